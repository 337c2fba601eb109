#pragma once
// The crash report: on a fatal signal the program writes a text report with a backtrace into
// the user data folder, tells the user where it is, and ends.

#include <ctime>
#include <string>

namespace orv::win {

// "<exe name>_YYYYMMDD_HHMMSS.dmp" of a local time.
std::string CrashReportFileName(const std::string& exeName, const std::tm& local);

// The message shown after a crash: the error code and the report file to send.
std::string CrashReportMessage(unsigned code, const std::string& reportPath);

// The support address named in the crash message.
extern const char kSupportMailAddress[];

// Installs the fatal-signal handler (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT). The report goes
// into `folder` (ending in "/"); `openFolder` says whether the folder is opened in the desktop's
// file manager after the report is written.
void InstallCrashReportFilter(const std::string& folder, const std::string& exeName,
                              bool openFolder);

}  // namespace orv::win
