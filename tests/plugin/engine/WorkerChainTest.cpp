// The worker chain: its order, re-signals during work, and stopping while quotes poll.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/stocklib/StockAgentBase.h"
#include "platform/win/Clock.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "tests/plugin/engine/BrokerPeerSetup.h"
#include "tests/plugin/engine/FakeEngineWindow.h"
#include "tests/plugin/engine/ScriptedEngine.h"

namespace {

bool WaitUntil(const std::function<bool()>& done, int limitMs = 5000) {
  for (int waited = 0; waited < limitMs; waited += 2) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return done();
}

// Records the steps in the order the workers ran them.
class StepRecorder {
 public:
  void Add(const std::string& step) {
    std::lock_guard<std::mutex> lock(mutex_);
    steps_.push_back(step);
  }
  std::vector<std::string> Steps() {
    std::lock_guard<std::mutex> lock(mutex_);
    return steps_;
  }
  int Count(const std::string& step) {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(std::count(steps_.begin(), steps_.end(), step));
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> steps_;
};

class WorkerChain : public ::testing::Test {
 protected:
  WorkerChain() : scopedClock_(clock_), engine_(&window_) {}
  void Start() {
    ASSERT_EQ(engine_.CreateEvents(), 1);
    ASSERT_EQ(engine_.StartWorkerThreads(), kEngineWorkerCount);
  }
  void SignIn() {
    engine_.m_signedInUser.store(1);
    engine_.m_quotePolling.store(1);
  }

  orv::win::FakeClock clock_;
  orv::win::ScopedClock scopedClock_;
  FakeEngineWindow window_;
  ScriptedEngine engine_;
  StepRecorder rec_;
};

TEST_F(WorkerChain, RunsMasterCodesAccountsChartsOnceQuotesRulesSellThenAccounts) {
  std::atomic<int> quotePasses{0};
  engine_.masterCodes = [&](CURL* curl) {
    rec_.Add(curl ? "master" : "master-without-handle");
    return 10;
  };
  engine_.accounts = [&](CURL* curl, int accountSwitch, uint32_t* changes, int accountsEmpty) {
    rec_.Add(curl && accountSwitch == 1 && accountsEmpty == 1 ? "accounts" : "accounts-bad-args");
    *changes = 2;
    return 3;
  };
  engine_.charts = [&](CURL*) {
    rec_.Add("charts");
    return 5;
  };
  engine_.quotePass = [&](CURL*, int market) -> DWORD {
    const DWORD start = orv::win::GetTickCount();
    // The domestic pass's rule check queues one order on its first run.
    if (market == 1 && quotePasses.fetch_add(1) == 0) {
      rec_.Add("quote-1");
      engine_.SetWorkEvent(EngineWorker::kSell);
    }
    if (market == 9 && rec_.Count("quote-9") == 0) rec_.Add("quote-9");
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return start;
  };
  engine_.sellPass = [&](CURL*) {
    rec_.Add("sell");
    engine_.SetWorkEvent(EngineWorker::kAccount);  // after a sale
    return 1;
  };
  Start();
  SignIn();
  engine_.SetWorkEvent(EngineWorker::kMasterCode);

  ASSERT_TRUE(WaitUntil([&] { return rec_.Count("accounts") >= 2; }));
  ASSERT_TRUE(WaitUntil([&] { return rec_.Count("quote-9") == 1; }));
  EXPECT_TRUE(engine_.StopWorkerThreads());

  std::vector<std::string> steps = rec_.Steps();
  // The coin worker's first pass may fall anywhere after the charts; take it out to compare.
  const auto coin = std::find(steps.begin(), steps.end(), "quote-9");
  const auto charts = std::find(steps.begin(), steps.end(), "charts");
  EXPECT_LT(charts - steps.begin(), coin - steps.begin());
  steps.erase(coin);
  const std::vector<std::string> expected{"master",  "accounts", "charts",
                                          "quote-1", "sell",     "accounts"};
  EXPECT_EQ(steps, expected);
  EXPECT_EQ(engine_.m_chartPass.load(), CPelomarEngine::kChartPassDone);
  EXPECT_EQ(engine_.m_chartPassResult.load(), 5);
  EXPECT_EQ(engine_.m_accountRefresh.load(), 1) << "the account step reported changes";
  const auto logs = window_.Logs();
  EXPECT_NE(std::find(logs.begin(), logs.end(), L"> 계좌 조회 수행 완료 (종목수 : 3)"), logs.end());
}

TEST_F(WorkerChain, QuotePassesStartAbout1010MsApartAndIdleWithoutUserOrPolling) {
  std::mutex mutex;
  std::vector<DWORD> starts;
  engine_.quotePass = [&](CURL*, int market) -> DWORD {
    const DWORD start = orv::win::GetTickCount();
    if (market == 1) {
      std::lock_guard<std::mutex> lock(mutex);
      starts.push_back(start);
      clock_.Advance(starts.size() == 3 ? 1500 : 200);  // the third pass takes long
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return start;
  };
  Start();
  engine_.SetWorkEvent(EngineWorker::kQuote);
  // Nobody signed in: the worker pauses and never runs a pass.
  ASSERT_TRUE(WaitUntil([&] { return clock_.NowTick() > 5000; }));
  {
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_TRUE(starts.empty());
  }
  SignIn();
  ASSERT_TRUE(WaitUntil([&] {
    std::lock_guard<std::mutex> lock(mutex);
    return starts.size() >= 4;
  }));
  engine_.StopWorkerThreads();
  std::lock_guard<std::mutex> lock(mutex);
  // Passes are spaced 1010 ms start to start; after a pass over 1000 ms only 10 ms follow.
  EXPECT_EQ(starts[1] - starts[0], 1010u);
  EXPECT_EQ(starts[2] - starts[1], 1010u);
  EXPECT_EQ(starts[3] - starts[2], 1510u);
}

TEST_F(WorkerChain, AMasterCodeSignalDuringTheWorkCausesExactlyOneMoreRun) {
  std::mutex mutex;
  std::condition_variable cv;
  bool release = false;
  std::atomic<int> runs{0};
  engine_.masterCodes = [&](CURL*) {
    if (runs.fetch_add(1) == 0) {
      std::unique_lock<std::mutex> lock(mutex);
      cv.wait(lock, [&] { return release; });
    }
    return 1;
  };
  Start();
  engine_.SetWorkEvent(EngineWorker::kMasterCode);
  ASSERT_TRUE(WaitUntil([&] { return runs.load() == 1; }));
  // Two logins while the first load runs.
  engine_.SetWorkEvent(EngineWorker::kMasterCode);
  engine_.SetWorkEvent(EngineWorker::kMasterCode);
  {
    std::lock_guard<std::mutex> lock(mutex);
    release = true;
  }
  cv.notify_all();
  ASSERT_TRUE(WaitUntil([&] { return runs.load() == 2; }));
  ASSERT_TRUE(WaitUntil([&] { return !engine_.WorkEvent(EngineWorker::kMasterCode)->IsSet(); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(runs.load(), 2);
  EXPECT_TRUE(engine_.StopWorkerThreads());
}

TEST_F(WorkerChain, ChartWorkerHoldsBackWhileASimulationRuns) {
  std::atomic<int> charts{0};
  engine_.charts = [&](CURL*) { return ++charts; };
  Start();
  engine_.m_simulationRunning.store(1);
  engine_.SetWorkEvent(EngineWorker::kChart);
  ASSERT_TRUE(WaitUntil([&] { return clock_.NowTick() > 2000; }));
  EXPECT_EQ(charts.load(), 0);
  EXPECT_TRUE(engine_.WorkEvent(EngineWorker::kChart)->IsSet());
  engine_.m_simulationRunning.store(0);
  ASSERT_TRUE(WaitUntil([&] { return charts.load() == 1; }));
  EXPECT_TRUE(engine_.StopWorkerThreads());
}

}  // namespace

// Stop while a quote pass waits on a broker that does not answer: the transfer is aborted, the
// workers end well inside the stop's wait, and the agents are freed only after that.
TEST(WorkerStop, StopDuringAQuoteTransferAbortsItAndEndsTheWorkers) {
  orv::test::BrokerPeerSetup setup;
  ASSERT_TRUE(setup.Ready());
  FakeEngineWindow window;
  auto engine = std::make_unique<ScriptedEngine>(&window);
  setup.Prepare(*engine);
  setup.peer.SetDelay(orv::test::DbBrokerPeer::kDomesticBalancePath, std::chrono::seconds(30));

  CStockAgentBase* agent = engine->GetStockAgent(1, 11, 0, nullptr, L"stop");
  ASSERT_NE(agent, nullptr);
  ASSERT_EQ(agent->Login(nullptr, L"12345678901", L"key", L"secret", nullptr, nullptr, 0), 1);

  std::atomic<int> inTransfer{0};
  std::atomic<int> afterTransfer{0};
  engine->quotePass = [&](CURL* curl, int market) -> DWORD {
    const DWORD start = orv::win::GetTickCount();
    if (market != 1) return start;
    BalanceQueryArgs_s args;
    inTransfer.store(1);
    agent->QueryBalance(curl, 1, 0, 0, args);
    afterTransfer.store(1);
    return engine->IsRunning() ? start : 0;
  };
  ASSERT_EQ(engine->CreateEvents(), 1);
  ASSERT_EQ(engine->StartWorkerThreads(), kEngineWorkerCount);
  engine->m_signedInUser.store(1);
  engine->m_quotePolling.store(1);
  engine->SetWorkEvent(EngineWorker::kQuote);
  ASSERT_TRUE(WaitUntil([&] { return inTransfer.load() == 1; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the request is on the wire

  EXPECT_TRUE(engine->StopWorkerThreads()) << "every worker ended within the stop's wait";
  EXPECT_EQ(afterTransfer.load(), 1);
  EXPECT_EQ(engine->RunningWorkerCount(), 0);
  EXPECT_EQ(engine->AbortFlag()->load(), 0) << "cleared once all ended";
  EXPECT_TRUE(engine->StopWorkerThreads()) << "a second stop finds nothing to do";
  engine.reset();  // frees the agents after the workers are gone
}
