// The program as its own process: bin/orvella exec'd from a program folder staged for the
// sandbox as scripts/run stages it (the sandbox runs in this benchmark's process, so its work is
// not counted). Measured from outside, as a user would see it:
//   - start-up: from exec to the main window shown with the trading view made (its daily logs
//     opened);
//   - idle CPU: logged in through the log-in dialog (typed with xdotool, as a user types it),
//     the program's own CPU time (utime + stime of /proc/<pid>/stat) over a minute of a market
//     where nothing changes;
//   - resident memory of the logged-in program (VmRSS of /proc/<pid>/status).
// Needs a display (scripts/bench runs under xvfb-run) and xdotool.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "sandbox/Sandbox.h"
#include "sandbox/SandboxMarket.h"
#include "tests/e2e/road/RoadHost.h"

namespace {

using Clock = std::chrono::steady_clock;
using orv::test::RoadHost;

// The sandbox market stands still: no order, only quotes.
constexpr const char* kStillScript = "005930 70000\n";

bool Wait(const std::function<bool()>& done, Clock::duration bound) {
  const auto until = Clock::now() + bound;
  while (Clock::now() < until) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

// Output of a shell command (its first line), empty on failure.
std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[256];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

// The program exec'd from its staged folder, stopped (its whole process group) when this ends.
class ProgramProcess {
 public:
  bool Start(const std::string& folder, const std::string& logFile) {
    pid_ = fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
      setpgid(0, 0);
      if (chdir(folder.c_str()) != 0) _exit(127);
      const int fd = open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd >= 0) {
        dup2(fd, 1);
        dup2(fd, 2);
      }
      execl("./orvella", "orvella", static_cast<char*>(nullptr));
      _exit(127);
    }
    return true;
  }
  ~ProgramProcess() {
    if (pid_ <= 0) return;
    kill(-pid_, SIGTERM);
    for (int i = 0; i < 100; ++i) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(-pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  pid_t Pid() const { return pid_; }
  bool Alive() const { return pid_ > 0 && kill(pid_, 0) == 0; }

  // utime + stime of the process (every thread), in seconds.
  double CpuSeconds() const {
    std::ifstream in("/proc/" + std::to_string(pid_) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string f;
    double utime = 0, stime = 0;
    // Fields after the name: state is field 3; utime and stime are fields 14 and 15.
    for (int i = 3; i <= 15 && fields >> f; ++i) {
      if (i == 14) utime = std::atof(f.c_str());
      if (i == 15) stime = std::atof(f.c_str());
    }
    return (utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
  }
  double ResidentKb() const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    for (std::string line; std::getline(status, line);)
      if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6);
    return 0;
  }

 private:
  pid_t pid_ = -1;
};

// The sandbox and a program folder staged for it (RoadHost's stage, plus the program itself).
bool Stage(RoadHost& road, std::string* error) {
  if (!road.Prepare(kStillScript, error)) return false;
  std::error_code ec;
  std::filesystem::copy_file(std::string(ORV_BINARY_DIR) + "/bin/orvella",
                             road.ProgramFolder() + "orvella",
                             std::filesystem::copy_options::overwrite_existing, ec);
  if (ec) *error = "no program to stage: " + ec.message();
  return !ec;
}

bool HaveTools(benchmark::State& state) {
  if (std::getenv("DISPLAY") == nullptr) {
    state.SkipWithError("needs a display (scripts/bench runs under xvfb-run)");
    return false;
  }
  if (Shell("command -v xdotool").empty()) {
    state.SkipWithError("needs xdotool (scripts/install-deps)");
    return false;
  }
  return true;
}

// The program's shown top-level window whose title matches `title` (a grep pattern), empty
// when none.
std::string WindowTitled(const ProgramProcess& program, const std::string& title) {
  return Shell("for w in $(xdotool search --onlyvisible --pid " + std::to_string(program.Pid()) +
               " 2>/dev/null); do xdotool getwindowname $w | grep -q '" + title +
               "' && echo $w && break; done");
}

// The program's main window (its X window id: the title begins with the program's name), empty
// while there is none.
std::string MainWindow(const ProgramProcess& program) { return WindowTitled(program, "^Orvella("); }

// The trading view is made when the main window is shown and the view has opened its daily
// logs (it writes its start-up line into the application log).
bool TradingViewShown(RoadHost& road, const ProgramProcess& program) {
  return !MainWindow(program).empty() &&
         road.FilesEndingWith("_app_log.csv").find("개 삭제") != std::string::npos;
}

// Clicks at (x, y) inside window `w`, then types `text` when it is not empty.
void ClickAndType(const std::string& w, int x, int y, const std::string& text = std::string()) {
  std::string command = "xdotool mousemove --window " + w + " " + std::to_string(x) + " " +
                        std::to_string(y) + " click 1";
  if (!text.empty()) command += " type --delay 5 '" + text + "'";
  Shell(command + " 2>/dev/null");
}

// Logs in as the user does: the ribbon's log-in button (left of the ribbon, under the tabs) opens
// the log-in dialog; the sandbox member's id, key and secret go into its three fields and its
// log-in button is pressed. Places are those of the program at scale 1 in a 1600x1000 screen.
bool LogIn(RoadHost& road, const ProgramProcess& program, std::string* error) {
  const std::string frame = MainWindow(program);
  std::string dialog;
  std::this_thread::sleep_for(std::chrono::seconds(1));  // the ribbon laid out
  for (int attempt = 0; attempt < 5 && dialog.empty(); ++attempt) {
    ClickAndType(frame, 24, 150);
    Wait([&] { return !(dialog = WindowTitled(program, "로그인")).empty(); },
         std::chrono::seconds(5));
  }
  if (dialog.empty()) {
    *error = "the log-in dialog did not open";
    return false;
  }
  ClickAndType(dialog, 244, 80, orv::test::SandboxAccount::kUserId);
  ClickAndType(dialog, 244, 120, orv::test::SandboxAccount::kAppKey);
  ClickAndType(dialog, 244, 161, orv::test::SandboxAccount::kAppSecret);
  ClickAndType(dialog, 199, 242);
  const bool loggedIn = Wait(
      [&] { return !road.BrokerRequests(orv::test::DbBrokerPeer::kDomesticBalancePath).empty(); },
      std::chrono::seconds(60));
  if (!loggedIn) *error = "the log-in did not reach the account";
  return loggedIn;
}

// Starts the program, waits for the trading view and logs in; false with the reason in `error`.
bool StartLoggedIn(RoadHost& road, ProgramProcess& program, std::string* error) {
  if (!Stage(road, error)) return false;
  if (!program.Start(road.ProgramFolder(), road.Root() + "orvella.log")) {
    *error = "the program could not be started";
    return false;
  }
  if (!Wait([&] { return TradingViewShown(road, program); }, std::chrono::seconds(60))) {
    *error = "the trading view was not shown";
    return false;
  }
  return LogIn(road, program, error);
}

// From exec to the trading view shown.
void BM_ExecToTradingView(benchmark::State& state) {
  if (!HaveTools(state)) return;
  for (auto _ : state) {
    RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
    std::string error;
    if (!Stage(road, &error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    ProgramProcess program;
    const auto start = Clock::now();
    if (!program.Start(road.ProgramFolder(), road.Root() + "orvella.log") ||
        !Wait([&] { return TradingViewShown(road, program); }, std::chrono::seconds(60))) {
      state.SkipWithError("the trading view was not shown");
      return;
    }
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
}
BENCHMARK(BM_ExecToTradingView)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// Logged in and polling a market where nothing changes: the program's CPU time over a minute,
// once its lists and first quotes are in and it has settled.
void BM_ProcessIdleCpuPerMinute(benchmark::State& state) {
  if (!HaveTools(state)) return;
  for (auto _ : state) {
    RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
    ProgramProcess program;
    std::string error;
    if (!StartLoggedIn(road, program, &error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    const bool polled = Wait(
        [&] { return road.FilesEndingWith("_price_log.csv").find("005930") != std::string::npos; },
        std::chrono::seconds(60));
    if (!polled) {
      state.SkipWithError("the quotes were not polled");
      return;
    }
    std::this_thread::sleep_for(std::chrono::seconds(5));  // settle
    constexpr int kSeconds = 60;
    const double before = program.CpuSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(kSeconds));
    const double used = program.CpuSeconds() - before;
    if (!program.Alive()) {
      state.SkipWithError("the program ended while idle");
      return;
    }
    state.counters["cpu_s_per_minute"] = used * 60.0 / kSeconds;
    state.counters["target_s"] = 0.5;
    state.counters["rss_trading_kb"] = program.ResidentKb();
  }
}
BENCHMARK(BM_ProcessIdleCpuPerMinute)->Iterations(1)->Unit(benchmark::kMillisecond);

// Resident memory of the logged-in program with a market's full list: 12,000 listed stocks (the
// sandbox's own first), served as the broker serves them, in continued pages of 500.
void BM_ProcessResidentWith12000Listed(benchmark::State& state) {
  if (!HaveTools(state)) return;
  constexpr int kListed = 12000;
  constexpr size_t kPageRows = 500;
  for (auto _ : state) {
    RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
    ProgramProcess program;
    std::string error;
    const std::vector<std::vector<orv::test::DbTickerRow>> pages =
        orv::test::ListedTickerPages(kListed, kPageRows);
    const int listed = kListed;
    if (!Stage(road, &error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    road.Market().Broker().SetTickerPages(orv::test::DbBrokerPeer::kDomesticTickerPath, pages);
    if (!program.Start(road.ProgramFolder(), road.Root() + "orvella.log") ||
        !Wait([&] { return TradingViewShown(road, program); }, std::chrono::seconds(60)) ||
        !LogIn(road, program, &error)) {
      state.SkipWithError(error.empty() ? "the trading view was not shown" : error.c_str());
      return;
    }
    const size_t pageCount = pages.size();
    const bool loaded = Wait(
        [&] {
          return road.BrokerRequests(orv::test::DbBrokerPeer::kDomesticTickerPath).size() >=
                     pageCount &&
                 road.FilesEndingWith("_price_log.csv").find("005930") != std::string::npos;
        },
        std::chrono::seconds(90));
    if (!loaded) {
      state.SkipWithError("the 12,000 listed stocks were not loaded");
      return;
    }
    std::this_thread::sleep_for(std::chrono::seconds(3));  // the grids filled
    state.counters["listed"] = listed;
    state.counters["rss_trading_kb"] = program.ResidentKb();
    state.counters["target_kb"] = 200 * 1024;
  }
}
BENCHMARK(BM_ProcessResidentWith12000Listed)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
