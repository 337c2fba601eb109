#include "platform/win/CrashReport.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/win/MessageBox.h"

extern char** environ;

namespace orv::win {

const char kSupportMailAddress[] = "support@varqo.example";

namespace {

// Copies kept for the handler, which must not allocate before it has written the report.
char g_folder[4096];
char g_exeName[256];
bool g_openFolder = false;

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

void WriteText(int fd, const char* text) {
  size_t left = std::strlen(text);
  while (left > 0) {
    const ssize_t n = write(fd, text, left);
    if (n <= 0) return;
    text += n;
    left -= static_cast<size_t>(n);
  }
}

void OpenInFileManager(const char* folder) {
  char* const argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(folder), nullptr};
  pid_t pid = 0;
  posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ);
}

// "<folder><exe name>_YYYYMMDD_HHMMSS.dmp" into a caller's buffer (no allocation).
void FormatReportPath(char* out, size_t size, const char* folder, const char* exeName,
                      const std::tm& t) {
  std::snprintf(out, size, "%s%s_%04d%02d%02d_%02d%02d%02d.dmp", folder, exeName, t.tm_year + 1900,
                t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
}

void OnFatalSignal(int sig, siginfo_t* info, void* /*context*/) {
  // A second fault while reporting ends the process at once.
  for (int s : kFatalSignals) signal(s, SIG_DFL);

  const time_t now = time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char path[sizeof g_folder + sizeof g_exeName + 64];
  FormatReportPath(path, sizeof path, g_folder, g_exeName, local);
  const int fd = open(path, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd >= 0) {
    char head[256];
    std::snprintf(head, sizeof head, "Signal %d (%s) at address %p, process %d\nBacktrace:\n", sig,
                  strsignal(sig), info != nullptr ? info->si_addr : nullptr,
                  static_cast<int>(getpid()));
    WriteText(fd, head);
    void* frames[128];
    const int n = backtrace(frames, 128);
    backtrace_symbols_fd(frames, n, fd);
    close(fd);

    if (g_openFolder) OpenInFileManager(g_folder);
    const char* name = std::strrchr(path, '/');
    orv::win::MessageBox(CrashReportMessage(static_cast<unsigned>(sig), path),
                         name != nullptr ? name + 1 : path, MB_OK | MB_ICONERROR);
  }
  raise(sig);
}

}  // namespace

std::string CrashReportFileName(const std::string& exeName, const std::tm& local) {
  std::string name(exeName.size() + 32, '\0');
  FormatReportPath(name.data(), name.size(), "", exeName.c_str(), local);
  name.resize(std::strlen(name.c_str()));
  return name;
}

std::string CrashReportMessage(unsigned code, const std::string& reportPath) {
  char head[64];
  std::snprintf(head, sizeof head, "에러(0x%08X)가 발생했습니다.", code);
  return std::string(head) + "\n\n아래 파일을 압축하여 " + kSupportMailAddress +
         " 으로 메일을 보내주시기 바랍니다.\n" + reportPath;
}

void InstallCrashReportFilter(const std::string& folder, const std::string& exeName,
                              bool openFolder) {
  std::snprintf(g_folder, sizeof g_folder, "%s", folder.c_str());
  std::snprintf(g_exeName, sizeof g_exeName, "%s", exeName.c_str());
  g_openFolder = openFolder;
  // Loads the unwinder now: backtrace() may allocate the first time it runs.
  void* warm[1];
  backtrace(warm, 1);
  struct sigaction sa {};
  sa.sa_sigaction = OnFatalSignal;
  sa.sa_flags = SA_SIGINFO | SA_RESETHAND;
  sigemptyset(&sa.sa_mask);
  for (int s : kFatalSignals) sigaction(s, &sa, nullptr);
}

}  // namespace orv::win
