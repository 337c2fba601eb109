#include "platform/win/CrashReport.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/win/CivilDays.h"
#include "platform/win/MessageBox.h"

extern char** environ;

namespace orv::win {

const char kSupportMailAddress[] = "support@varqo.example";

namespace {

// Everything the handler needs, prepared when it is installed: the handler itself may not
// allocate, format with stdio, or read the time zone.
struct HandlerSetup {
  char folder[4096];
  char exeName[256];
  char pendingPath[4096 + 256 + 16];  // "<folder><exe name>.crash"
  long utcOffsetSeconds;              // local time minus UTC at install
};
HandlerSetup g_setup;

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

const char* SignalName(int sig) {
  switch (sig) {
    case SIGSEGV:
      return "SIGSEGV";
    case SIGBUS:
      return "SIGBUS";
    case SIGFPE:
      return "SIGFPE";
    case SIGILL:
      return "SIGILL";
    case SIGABRT:
      return "SIGABRT";
    default:
      return "signal";
  }
}

// A bounded text buffer filled without allocation (async-signal-safe).
class SafeText {
 public:
  SafeText(char* buffer, size_t size) : buf_(buffer), size_(size) { buf_[0] = '\0'; }
  SafeText& Add(const char* text) {
    while (*text && len_ + 1 < size_) buf_[len_++] = *text++;
    buf_[len_] = '\0';
    return *this;
  }
  // Decimal, zero-padded to `width` digits.
  SafeText& AddNumber(uint64_t value, int width = 1) {
    char digits[24];
    int n = 0;
    do {
      digits[n++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value > 0 && n < 24);
    while (n < width && n < 24) digits[n++] = '0';
    char out[25];
    for (int i = 0; i < n; ++i) out[i] = digits[n - 1 - i];
    out[n] = '\0';
    return Add(out);
  }
  SafeText& AddHex(uintptr_t value) {
    char out[2 + 2 * sizeof value + 1] = "0x";
    for (size_t i = 0; i < 2 * sizeof value; ++i)
      out[2 + i] = "0123456789abcdef"[(value >> (4 * (2 * sizeof value - 1 - i))) & 0xf];
    out[sizeof out - 1] = '\0';
    return Add(out);
  }
  const char* c_str() const { return buf_; }
  size_t size() const { return len_; }

 private:
  char* buf_;
  size_t size_;
  size_t len_ = 0;
};

void WriteAll(int fd, const char* text, size_t left) {
  while (left > 0) {
    const ssize_t n = write(fd, text, left);
    if (n <= 0) return;
    text += n;
    left -= static_cast<size_t>(n);
  }
}

// "<folder><exe name>_YYYYMMDD_HHMMSS.dmp" of a local time given as seconds since the epoch in
// local time.
void AddReportPath(SafeText& path, const char* folder, const char* exeName, int64_t localSeconds) {
  int64_t days = localSeconds / 86400;
  int64_t secondOfDay = localSeconds % 86400;
  if (secondOfDay < 0) {
    secondOfDay += 86400;
    --days;
  }
  int year = 0, month = 0, day = 0;
  CivilFromDays(days, &year, &month, &day);
  path.Add(folder).Add(exeName).Add("_");
  path.AddNumber(static_cast<uint64_t>(year), 4).AddNumber(month, 2).AddNumber(day, 2).Add("_");
  path.AddNumber(secondOfDay / 3600, 2).AddNumber(secondOfDay / 60 % 60, 2);
  path.AddNumber(secondOfDay % 60, 2).Add(".dmp");
}

void OnFatalSignal(int sig, siginfo_t* info, void* /*context*/) {
  // SA_RESETHAND put this signal back to its default; a second fault of another kind while
  // reporting ends the process at once too.
  for (int s : kFatalSignals) signal(s, SIG_DFL);

  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  char pathBuffer[sizeof g_setup.folder + sizeof g_setup.exeName + 32];
  SafeText path(pathBuffer, sizeof pathBuffer);
  AddReportPath(path, g_setup.folder, g_setup.exeName,
                static_cast<int64_t>(now.tv_sec) + g_setup.utcOffsetSeconds);

  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd >= 0) {
    char headBuffer[256];
    SafeText head(headBuffer, sizeof headBuffer);
    head.Add("Signal ").AddNumber(static_cast<uint64_t>(sig)).Add(" (").Add(SignalName(sig));
    head.Add(") at address ");
    head.AddHex(info != nullptr ? reinterpret_cast<uintptr_t>(info->si_addr) : 0);
    head.Add(", process ").AddNumber(static_cast<uint64_t>(getpid())).Add("\nBacktrace:\n");
    WriteAll(fd, head.c_str(), head.size());
    void* frames[128];
    const int n = backtrace(frames, 128);
    backtrace_symbols_fd(frames, n, fd);
    close(fd);

    // The note the next start shows the user: "<signal>\n<report path>\n".
    const int note = open(g_setup.pendingPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (note >= 0) {
      char noteBuffer[sizeof pathBuffer + 32];
      SafeText text(noteBuffer, sizeof noteBuffer);
      text.AddNumber(static_cast<uint64_t>(sig)).Add("\n").Add(path.c_str()).Add("\n");
      WriteAll(note, text.c_str(), text.size());
      close(note);
    }
  }
  raise(sig);
}

void OpenInFileManager(const std::string& folder) {
  char* const argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(folder.c_str()), nullptr};
  pid_t pid = 0;
  posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ);
}

}  // namespace

std::string CrashReportFileName(const std::string& exeName, const std::tm& local) {
  const int64_t seconds =
      DaysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) * 86400 +
      local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
  char buffer[512];
  SafeText name(buffer, sizeof buffer);
  AddReportPath(name, "", exeName.c_str(), seconds);
  return name.c_str();
}

std::string CrashReportMessage(unsigned code, const std::string& reportPath) {
  char head[64];
  std::snprintf(head, sizeof head, "에러(0x%08X)가 발생했습니다.", code);
  return std::string(head) + "\n\n아래 파일을 압축하여 " + kSupportMailAddress +
         " 으로 메일을 보내주시기 바랍니다.\n" + reportPath;
}

void InstallCrashReportFilter(const std::string& folder, const std::string& exeName) {
  // Block the signals while the setup changes, so a handler never reads a half-written one.
  sigset_t fatal, previous;
  sigemptyset(&fatal);
  for (int s : kFatalSignals) sigaddset(&fatal, s);
  pthread_sigmask(SIG_BLOCK, &fatal, &previous);
  std::snprintf(g_setup.folder, sizeof g_setup.folder, "%s", folder.c_str());
  std::snprintf(g_setup.exeName, sizeof g_setup.exeName, "%s", exeName.c_str());
  std::snprintf(g_setup.pendingPath, sizeof g_setup.pendingPath, "%s%s.crash", folder.c_str(),
                exeName.c_str());
  const time_t now = time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  g_setup.utcOffsetSeconds = local.tm_gmtoff;
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);

  // Loads the unwinder now: backtrace() may allocate the first time it runs.
  void* warm[1];
  backtrace(warm, 1);
  struct sigaction sa {};
  sa.sa_sigaction = OnFatalSignal;
  sa.sa_flags = SA_SIGINFO | SA_RESETHAND;
  sigemptyset(&sa.sa_mask);
  for (int s : kFatalSignals) sigaction(s, &sa, nullptr);
}

bool TakePendingCrashReport(const std::string& folder, const std::string& exeName,
                            PendingCrashReport* out) {
  const std::string notePath = folder + exeName + ".crash";
  std::ifstream note(notePath);
  if (!note) return false;
  std::string codeLine, reportPath;
  std::getline(note, codeLine);
  std::getline(note, reportPath);
  note.close();
  std::remove(notePath.c_str());
  unsigned code = 0;
  if (std::sscanf(codeLine.c_str(), "%u", &code) != 1 || reportPath.empty()) return false;
  out->code = code;
  out->reportPath = reportPath;
  return true;
}

bool ShowPendingCrashReport(const std::string& folder, const std::string& exeName,
                            bool openFolder) {
  PendingCrashReport report;
  if (!TakePendingCrashReport(folder, exeName, &report)) return false;
  if (openFolder) OpenInFileManager(folder);
  const size_t slash = report.reportPath.rfind('/');
  const std::string name =
      slash == std::string::npos ? report.reportPath : report.reportPath.substr(slash + 1);
  orv::win::MessageBox(CrashReportMessage(report.code, report.reportPath), name,
                       MB_OK | MB_ICONERROR);
  return true;
}

}  // namespace orv::win
