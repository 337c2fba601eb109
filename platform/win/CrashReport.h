#pragma once
// The crash report: on a fatal signal the program writes a text report with a backtrace into
// the user data folder and ends. The handler does only async-signal-safe work (write(2) into
// buffers prepared when it is installed); the user is told at the next start, which finds the
// report's pending note, opens the folder and shows the message.

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
// into `folder` (ending in "/"), with a pending note "<folder><exe name>.crash" beside it that
// names the signal and the report.
void InstallCrashReportFilter(const std::string& folder, const std::string& exeName);

// A report an earlier run left: the signal and the report's path.
struct PendingCrashReport {
  unsigned code = 0;
  std::string reportPath;
};

// Takes (reads and removes) the pending note of `folder`; false when there is none.
bool TakePendingCrashReport(const std::string& folder, const std::string& exeName,
                            PendingCrashReport* out);

// At start-up: for a pending note in `folder`, opens the folder in the desktop's file manager
// (when `openFolder`) and shows the crash message with the report's file name as its caption.
// Returns whether there was one.
bool ShowPendingCrashReport(const std::string& folder, const std::string& exeName, bool openFolder);

}  // namespace orv::win
