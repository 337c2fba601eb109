// The single-instance guard between two real processes, and the crash report of a child that
// crashes.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>

#include "ChildProcess.h"
#include "TestFolder.h"
#include "platform/win/CrashReport.h"
#include "platform/win/MessageBox.h"
#include "platform/win/SingleInstanceGuard.h"

namespace {

using orv::test::TempFolder;
using orv::win::SingleInstanceGuard;

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr ? v : "";
}

// Writes every message box of this process to `path` as "caption|type|text" lines.
void RecordMessageBoxesTo(const std::string& path) {
  orv::win::SetMessageBoxPresenter([path](const orv::win::MessageBoxCall& call) {
    std::ofstream(path, std::ios::app)
        << call.caption << "|" << call.type << "|" << call.text << "\n";
    return IDOK;
  });
}

// The helper roles the tests below start this program for.
TEST(ChildRole, Run) {
  const std::string role = orv::test::ChildRole();
  if (role.empty()) GTEST_SKIP() << "runs only as a child process";
  RecordMessageBoxesTo(Env("ORV_OUT"));
  if (role == "second-instance") {
    SingleInstanceGuard guard;
    const bool goOn = orv::win::EnforceSingleInstance(guard, Env("ORV_FOLDER"), Env("ORV_NAME"));
    std::_Exit(goOn ? 10 : 20);
  }
  if (role == "crash") {
    orv::win::InstallCrashReportFilter(Env("ORV_FOLDER"), "orvella");
    // An address no page is mapped at (not null, which sanitizers catch before the fault).
    volatile int* nowhere = reinterpret_cast<volatile int*>(static_cast<uintptr_t>(16));
    *nowhere = 1;
  }
  if (role == "abort") {
    orv::win::InstallCrashReportFilter(Env("ORV_FOLDER"), "orvella");
    std::abort();
  }
  std::_Exit(99);
}

TEST(SingleInstanceGuard, MutexNames) {
  EXPECT_EQ(SingleInstanceGuard::MutexName("Orvella", "1.0", false), "Orvella_1.0_0");
  EXPECT_EQ(SingleInstanceGuard::MutexName("Orvella", "1.0", true), "Orvella_1.0_1");
  EXPECT_EQ(SingleInstanceGuard::MutexName("Orvella", "", false), "Orvella__0");
}

TEST(SingleInstanceGuard, SecondProcessWakesTheFirstAndEnds) {
  TempFolder dir;
  const std::string name = SingleInstanceGuard::MutexName("Orvella", "1.0", false);
  SingleInstanceGuard first;
  ASSERT_TRUE(first.Acquire(dir.path(), name));
  EXPECT_TRUE(std::filesystem::exists(dir.path() + name));

  std::mutex m;
  std::condition_variable cv;
  std::vector<std::pair<WPARAM, LPARAM>> received;
  first.SetWakeHandler([&](WPARAM w, LPARAM l) {
    std::lock_guard<std::mutex> lock(m);
    received.emplace_back(w, l);
    cv.notify_all();
  });

  const std::string out = dir.path() + "boxes.txt";
  const auto started = std::chrono::steady_clock::now();
  const int pid = orv::test::StartChild(
      "second-instance", {"ORV_FOLDER=" + dir.path(), "ORV_NAME=" + name, "ORV_OUT=" + out});
  ASSERT_GT(pid, 0);
  {
    std::unique_lock<std::mutex> lock(m);
    // Generous: the child program has to start first; the guard's own wait is bounded by 1 s.
    cv.wait_until(lock, started + std::chrono::seconds(30), [&] { return !received.empty(); });
  }
  const int status = orv::test::WaitChild(pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 20) << "the second instance must end";
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].first, 261u);
  EXPECT_EQ(received[0].second, 0);
  const std::string boxes = orv::test::ReadFileText(out);
  EXPECT_EQ(
      boxes.rfind(
          "이미 실행중입니다|48|이미 실행중인 화면을 표시합니다.(중복 실행되지 않습니다.)\n", 0),
      0u)
      << boxes;
  EXPECT_NE(boxes.find("혹은 작업관리자에서 프로세스를 종료하시기 부탁드립니다.\n"),
            std::string::npos);

  // Once the first lets go, a new start may run.
  first.Release();
  SingleInstanceGuard third;
  EXPECT_TRUE(third.Acquire(dir.path(), name));
}

TEST(SingleInstanceGuard, DifferentNamesRunSideBySide) {
  TempFolder dir;
  SingleInstanceGuard user, admin, again;
  EXPECT_TRUE(user.Acquire(dir.path(), SingleInstanceGuard::MutexName("Orvella", "1.0", false)));
  EXPECT_TRUE(admin.Acquire(dir.path(), SingleInstanceGuard::MutexName("Orvella", "1.0", true)));
  // Within one process the lock is per open file, so a second holder is refused as well.
  EXPECT_FALSE(again.Acquire(dir.path(), SingleInstanceGuard::MutexName("Orvella", "1.0", true)));
  EXPECT_TRUE(again.AlreadyRunning());
}

TEST(SingleInstanceGuard, UnreachableInstanceShowsTheErrorText) {
  TempFolder dir;
  orv::win::ScriptMessageBoxes({});
  // No one listens under this name, yet its lock is held by another open file.
  SingleInstanceGuard holder;
  ASSERT_TRUE(holder.Acquire(dir.path(), "Lonely__0"));
  std::filesystem::remove(dir.path() + "Lonely__0.sock");
  SingleInstanceGuard second;
  EXPECT_FALSE(orv::win::EnforceSingleInstance(second, dir.path(), "Lonely__0"));
  const auto calls = orv::win::ScriptedMessageBoxCalls();
  orv::win::StopScriptingMessageBoxes();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].caption, "ERROR");
  EXPECT_EQ(calls[0].text,
            "This application is already Running\nPlease check process.(watch out tray icon)");
}

TEST(CrashReport, NameAndMessage) {
  std::tm t{};
  t.tm_year = 2024 - 1900;
  t.tm_mon = 2;
  t.tm_mday = 5;
  t.tm_hour = 7;
  t.tm_min = 8;
  t.tm_sec = 9;
  EXPECT_EQ(orv::win::CrashReportFileName("orvella", t), "orvella_20240305_070809.dmp");
  const std::string msg = orv::win::CrashReportMessage(11, "/u/orvella_x.dmp");
  EXPECT_EQ(msg.rfind("에러(0x0000000B)가 발생했습니다.", 0), 0u);
  EXPECT_NE(msg.find("/u/orvella_x.dmp"), std::string::npos);
  EXPECT_NE(msg.find(orv::win::kSupportMailAddress), std::string::npos);
}

// The report file a crashed child left in the folder, or empty.
std::string FindReport(const std::string& folder) {
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    const std::string name = e.path().filename().string();
    if (name.rfind("orvella_", 0) == 0 &&
        name.size() == std::string("orvella_20240305_070809.dmp").size() &&
        name.compare(name.size() - 4, 4, ".dmp") == 0) {
      return e.path().string();
    }
  }
  return {};
}

TEST(CrashReport, CrashingChildWritesItsReportAndTheNextStartShowsIt) {
  struct Case {
    const char* role;
    int signal;
    const char* head;
    const char* code;
  } cases[] = {
      {"crash", SIGSEGV, "Signal 11 (SIGSEGV) at address 0x0000000000000010, process ",
       "에러(0x0000000B)가 발생했습니다."},
      {"abort", SIGABRT, "Signal 6 (SIGABRT) at address ", "에러(0x00000006)가 발생했습니다."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.role);
    TempFolder dir;
    const std::string out = dir.path() + "boxes.txt";
    const time_t before = time(nullptr);
    const int pid = orv::test::StartChild(c.role, {"ORV_FOLDER=" + dir.path(), "ORV_OUT=" + out});
    ASSERT_GT(pid, 0);
    const int status = orv::test::WaitChild(pid);
    const time_t after = time(nullptr);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), c.signal);

    const std::string report = FindReport(dir.path());
    ASSERT_FALSE(report.empty()) << "no report file";
    // The file name carries the local time of the crash, computed without the time zone calls.
    // time() reads the kernel's coarse clock, which can lag the crash's clock by a tick: a
    // crash just after a second turned may be named a second later than `after`.
    const std::string name = std::filesystem::path(report).filename().string();
    bool named = false;
    for (time_t t = before; t <= after + 1 && !named; ++t) {
      std::tm local{};
      localtime_r(&t, &local);
      named = name == orv::win::CrashReportFileName("orvella", local);
    }
    EXPECT_TRUE(named) << name;
    const std::string text = orv::test::ReadFileText(report);
    EXPECT_EQ(text.rfind(c.head, 0), 0u) << text;
    EXPECT_NE(text.find(", process " + std::to_string(pid) + "\nBacktrace:\n"), std::string::npos)
        << text;
    size_t frames = 0;
    for (size_t at = text.find("[0x"); at != std::string::npos; at = text.find("[0x", at + 1))
      ++frames;
    EXPECT_GE(frames, 3u) << "backtrace frames: " << text;

    // The crashing process shows nothing: the message comes from the next start, once.
    EXPECT_EQ(orv::test::ReadFileText(out), "");
    orv::win::ScriptMessageBoxes({});
    EXPECT_TRUE(orv::win::ShowPendingCrashReport(dir.path(), "orvella", false));
    EXPECT_FALSE(orv::win::ShowPendingCrashReport(dir.path(), "orvella", false));
    const auto calls = orv::win::ScriptedMessageBoxCalls();
    orv::win::StopScriptingMessageBoxes();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].caption, name);
    EXPECT_EQ(calls[0].type, static_cast<unsigned>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(calls[0].text,
              orv::win::CrashReportMessage(static_cast<unsigned>(c.signal), report));
    EXPECT_EQ(calls[0].text.rfind(c.code, 0), 0u);
  }
}

}  // namespace
