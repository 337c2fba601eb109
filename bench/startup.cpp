// The host's start-up and the memory it holds once trading: the real host and Pelomar.so
// started in this process against the sandbox (tests/e2e/road). Needs a display: run it under
// xvfb-run (scripts/bench-startup does).
#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "host/frame/MainFrame.h"
#include "sandbox/SandboxMarket.h"
#include "platform/support/PluginLoader.h"
#include "tests/e2e/road/RoadHost.h"

namespace {

using orv::test::RoadHost;

// The sandbox market stands still: no order, only quotes.
constexpr const char* kStillScript = "005930 70000\n";

// Resident memory of this process in kilobytes (VmRSS), 0 when unknown.
double ResidentKb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6);
  return 0;
}

bool HaveDisplay(benchmark::State& state) {
  if (std::getenv("DISPLAY") != nullptr) return true;
  state.SkipWithError("needs a display (run under xvfb-run: scripts/bench-startup)");
  return false;
}

// From starting the host to its main window shown with the trading view's module loaded.
void BM_StartToTradingView(benchmark::State& state) {
  if (!HaveDisplay(state)) return;
  for (auto _ : state) {
    RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
    std::string error;
    if (!road.Prepare(kStillScript, &error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    const auto start = std::chrono::steady_clock::now();
    const bool shown = road.StartHost(&error) &&
                       road.WaitFor(
                           [&road] {
                             CMainFrame* frame = road.Frame();
                             return frame && frame->IsShown() && frame->GetPluginLoader() &&
                                    frame->GetPluginLoader()->GetLoadedCount() == 1;
                           },
                           std::chrono::seconds(20));
    const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
    if (!shown) {
      state.SkipWithError(error.empty() ? "the trading view was not shown" : error.c_str());
      return;
    }
    state.SetIterationTime(taken.count());
    road.CloseWithYes(std::chrono::seconds(10));
  }
}
BENCHMARK(BM_StartToTradingView)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// Starts the sandbox and the host and logs in; false (the reason given to `state`) when that
// fails.
bool StartLoggedIn(RoadHost& road, benchmark::State& state) {
  std::string error;
  std::wstring loginError;
  if (road.Start(kStillScript, &error) && road.LogIn(&loginError) == 1) return true;
  state.SkipWithError(error.empty() ? "the log-in failed" : error.c_str());
  return false;
}

// Resident memory after logging in, with the sandbox's master codes, deposit, balance and the
// first quotes loaded.
void BM_ResidentWithStockListsLoaded(benchmark::State& state) {
  if (!HaveDisplay(state)) return;
  for (auto _ : state) {
    RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
    if (!StartLoggedIn(road, state)) return;
    const double before = ResidentKb();
    const bool loaded = road.WaitFor(
        [&road] {
          return !road.BrokerRequests(orv::test::DbBrokerPeer::kDomesticTickerPath).empty() &&
                 !road.BrokerRequests(orv::test::DbBrokerPeer::kDomesticBalancePath).empty() &&
                 road.FilesEndingWith("_price_log.csv").find("005930") != std::string::npos;
        },
        std::chrono::seconds(30));
    if (!loaded) {
      state.SkipWithError("the stock lists were not loaded");
      return;
    }
    state.counters["rss_after_login_kb"] = before;
    state.counters["rss_trading_kb"] = ResidentKb();
    road.CloseWithYes(std::chrono::seconds(10));
  }
}
BENCHMARK(BM_ResidentWithStockListsLoaded)->Iterations(1)->Unit(benchmark::kMillisecond);

// CPU time this process spends in seconds (every thread: the host, the trading view's workers
// and the sandbox, which answers the polls).
double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Logged in and polling a market where nothing changes: the CPU this process spends a minute,
// measured over 30 seconds once the lists are loaded. The figure holds the sandbox answering
// the polls and the harness waiting, so it carries no target: the program's own idle CPU, with
// its target, is bench_process's.
void BM_IdleCpuPerMinute(benchmark::State& state) {
  if (!HaveDisplay(state)) return;
  for (auto _ : state) {
    RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
    if (!StartLoggedIn(road, state)) return;
    const bool loaded = road.WaitFor(
        [&road] {
          return road.FilesEndingWith("_price_log.csv").find("005930") != std::string::npos;
        },
        std::chrono::seconds(30));
    if (!loaded) {
      state.SkipWithError("the quotes were not polled");
      return;
    }
    road.WaitFor([] { return false; }, std::chrono::seconds(3));  // settle
    constexpr int kSeconds = 30;
    const double before = ProcessCpuSeconds();
    road.WaitFor([] { return false; }, std::chrono::seconds(kSeconds));
    const double used = ProcessCpuSeconds() - before;
    state.counters["cpu_s_per_minute_with_sandbox"] = used * 60.0 / kSeconds;
    road.CloseWithYes(std::chrono::seconds(10));
  }
}
BENCHMARK(BM_IdleCpuPerMinute)->Iterations(1)->Unit(benchmark::kMillisecond);

// Resident memory of the logged-in program with a market's full list: 12,000 listed stocks
// (the sandbox's own first), served as the broker serves them, in continued pages of 500. The
// sandbox holds its own copy of the pages in this process, so the figure carries no target: the
// program's own, with its target, is bench_process's.
void BM_ResidentWith12000Listed(benchmark::State& state) {
  if (!HaveDisplay(state)) return;
  constexpr int kListed = 12000;
  constexpr size_t kPageRows = 500;
  for (auto _ : state) {
    RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
    std::string error;
    std::wstring loginError;
    if (!road.Start(kStillScript, &error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    const std::vector<std::vector<orv::test::DbTickerRow>> pages =
        orv::test::ListedTickerPages(kListed, kPageRows);
    const int listed = kListed;
    road.Market().Broker().SetTickerPages(orv::test::DbBrokerPeer::kDomesticTickerPath, pages);
    if (road.LogIn(&loginError) != 1) {
      state.SkipWithError("the log-in failed");
      return;
    }
    const size_t pageCount = pages.size();
    const bool loaded = road.WaitFor(
        [&road, pageCount] {
          return road.BrokerRequests(orv::test::DbBrokerPeer::kDomesticTickerPath).size() >=
                     pageCount &&
                 road.FilesEndingWith("_price_log.csv").find("005930") != std::string::npos;
        },
        std::chrono::seconds(60));
    if (!loaded) {
      state.SkipWithError("the 12,000 listed stocks were not loaded");
      return;
    }
    state.counters["listed"] = listed;
    state.counters["rss_with_sandbox_kb"] = ResidentKb();
    road.CloseWithYes(std::chrono::seconds(10));
  }
}
BENCHMARK(BM_ResidentWith12000Listed)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
