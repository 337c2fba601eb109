// The host's start-up and the memory it holds once trading: the real host and Pelomar.so
// started in this process against the sandbox (tests/e2e/road). Needs a display: run it under
// xvfb-run (scripts/bench-startup does).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

#include "host/frame/MainFrame.h"
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

// Resident memory after logging in, with the sandbox's master codes, deposit, balance and the
// first quotes loaded.
void BM_ResidentWithStockListsLoaded(benchmark::State& state) {
  if (!HaveDisplay(state)) return;
  for (auto _ : state) {
    RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
    std::string error;
    std::wstring loginError;
    if (!road.Start(kStillScript, &error) || road.LogIn(&loginError) != 1) {
      state.SkipWithError(error.empty() ? "the log-in failed" : error.c_str());
      return;
    }
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

}  // namespace
