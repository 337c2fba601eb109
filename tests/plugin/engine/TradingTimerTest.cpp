// The trading tick: market and session, the 30-second wake, worker results, tokens and panes.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "platform/stocklib/StockAgentBase.h"
#include "platform/win/Clock.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "shared/LoginInfo.h"
#include "shared/Messages.h"
#include "tests/plugin/engine/EngineTestSupport.h"
#include "tests/plugin/engine/FakeEngineWindow.h"
#include "tests/plugin/engine/ScriptedEngine.h"

namespace {

// An agent whose token expiry the test sets; its logins are counted.
class TokenAgent : public CStockAgentBase {
 public:
  explicit TokenAgent(std::function<void()> onLogin = {})
      : CStockAgentBase(1, '1', 11, 1, 1, 1500.0, 40), onLogin_(std::move(onLogin)) {}
  int Login(CURL*, const wchar_t*, const wchar_t*, const wchar_t*, int*, wchar_t*, int) override {
    ++logins;
    if (onLogin_) onLogin_();
    return 1;
  }
  int logins = 0;

 private:
  std::function<void()> onLogin_;
};

class TradingTick : public ::testing::Test {
 protected:
  TradingTick() : scopedClock_(clock_), engine_(&window_) {
    engine_.CreateEvents();
    engine_.SetLoginInfo(&login_);
    engine_.SetTick64Source([this] { return now64_; });
  }
  void At(int hour, int minute) {
    clock_.SetLocalTime(LocalTime(2025, 1, 6, hour, minute, 0));
    engine_.OnTradingTick();
  }
  void SignIn() {
    login_.nUserIdx = 7;
    engine_.TimerState().viewUserIndex = 1;
  }
  TokenAgent* AddAgent(int64_t remainingMs, std::function<void()> onLogin = {}) {
    auto agent = std::make_unique<TokenAgent>(std::move(onLogin));
    agent->m_tokenExpiry = now64_ + remainingMs;
    TokenAgent* raw = agent.get();
    engine_.Agents().emplace(CPelomarEngine::MakeAgentKey(1, 11, ++agentCount_), std::move(agent));
    return raw;
  }
  bool EventSet(EngineWorker worker) { return engine_.WorkEvent(worker)->IsSet(); }

  orv::win::FakeClock clock_;
  orv::win::ScopedClock scopedClock_;
  FakeEngineWindow window_;
  login_info_s login_;
  ScriptedEngine engine_;
  uint64_t now64_ = 1000000;
  uint8_t agentCount_ = 0;
};

TEST(MarketSession, SessionStatesAndMarketsByTimeOfDay) {
  const SessionBounds_s bounds;
  const struct {
    int hhmm;
    int state;
  } sessions[] = {{759, 3},  {800, 2},  {849, 2},  {850, 3},  {859, 3}, {900, 1},
                  {1529, 1}, {1530, 3}, {1531, 2}, {1959, 2}, {2000, 3}};
  for (const auto& c : sessions) EXPECT_EQ(SessionStateFor(c.hhmm, bounds), c.state) << c.hhmm;

  const struct {
    int hour;
    bool autoSwitch;
    int market;
  } markets[] = {{21, true, 1}, {22, true, 2}, {23, true, 2},  {0, true, 2},
                 {6, true, 2},  {7, true, 1},  {22, false, 1}, {3, false, 1}};
  for (const auto& c : markets)
    EXPECT_EQ(CurrentMarketFor(c.hour, c.autoSwitch), c.market) << c.hour << c.autoSwitch;
}

TEST(MarketSession, ADelayMovesEveryBoundAsATimeOfDay) {
  const struct {
    int hhmm;
    int delay;
    int shifted;
  } cases[] = {{800, 30, 830},   {850, 30, 920},   {1530, 30, 1600}, {2330, 100, 30},
               {800, -100, 700}, {30, -100, 2330}, {2000, 0, 2000}};
  for (const auto& c : cases) EXPECT_EQ(ShiftHhmm(c.hhmm, c.delay), c.shifted) << c.hhmm;

  const SessionBounds_s shifted = ShiftSessionBounds(SessionBounds_s(), 30);
  const std::array<int, 6> expected{930, 1600, 830, 1601, 920, 2030};
  EXPECT_EQ(shifted.hhmm, expected);
  EXPECT_EQ(SessionStateFor(910, shifted), 2);
  EXPECT_EQ(SessionStateFor(920, shifted), 3);
  EXPECT_EQ(SessionStateFor(1559, shifted), 1);
  EXPECT_EQ(FormatSecondsAsTimeText(3725), L"01:02:05");
}

TEST_F(TradingTick, WritesMarketAndSessionAndResetsStairsOnEveryChange) {
  int resets = 0;
  engine_.stairReset = [&] { return ++resets; };
  engine_.TimerState().overseasAutoSwitch = 1;
  const struct {
    int hour, minute, state, market, resets;
  } ticks[] = {{8, 49, 2, 1, 1}, {8, 49, 2, 1, 1},  {15, 31, 2, 1, 1},
               {20, 0, 3, 1, 2}, {21, 59, 3, 1, 2}, {22, 0, 3, 2, 2},
               {6, 59, 3, 2, 2}, {7, 0, 3, 1, 2},   {9, 0, 1, 1, 3}};
  for (const auto& t : ticks) {
    At(t.hour, t.minute);
    EXPECT_EQ(engine_.SessionState(), t.state) << t.hour << ":" << t.minute;
    EXPECT_EQ(engine_.CurrentMarket(), t.market) << t.hour << ":" << t.minute;
    EXPECT_EQ(resets, t.resets) << t.hour << ":" << t.minute;
  }
  EXPECT_EQ(engine_.CurrentHhmm(), 900);

  engine_.TimerState().domesticDelay = 30;
  At(9, 10);
  EXPECT_EQ(engine_.SessionState(), 2) << "the delayed morning session runs until 09:20";
}

TEST_F(TradingTick, WakesAccountAndCafeWorkersEvery30sOnlyWhileSignedIn) {
  const std::atomic<int>& accountRefreshes = window_.accountRefreshes;
  AddAgent(200);  // a due token: looked at only while signed in
  engine_.m_lastAccountQueryTick.store(clock_.NowTick() - 40000);
  engine_.m_lastCafeListTick.store(clock_.NowTick() - 40000);
  At(10, 0);
  EXPECT_FALSE(EventSet(EngineWorker::kAccount));
  EXPECT_FALSE(EventSet(EngineWorker::kCafeList));
  EXPECT_TRUE(window_.notices.empty()) << "no pane and no token check without a user";
  EXPECT_EQ(engine_.Agents().begin()->second->m_remainingTicks, 0);

  SignIn();
  engine_.m_lastAccountQueryTick.store(clock_.NowTick() - 29999);
  engine_.m_lastCafeListTick.store(clock_.NowTick() - 30000);
  At(10, 0);
  EXPECT_FALSE(EventSet(EngineWorker::kCafeList)) << "the cafe worker waits for the master list";
  engine_.Stocks().AddMasterStock(kMarketDomestic, L"005930", L"삼성전자", 1, 0, 0, 0, 0, 0, 0);
  At(10, 0);
  EXPECT_FALSE(EventSet(EngineWorker::kAccount));
  EXPECT_TRUE(EventSet(EngineWorker::kCafeList));
  EXPECT_EQ(engine_.Agents().begin()->second->m_remainingTicks, 200);
  clock_.Advance(1);
  At(10, 0);
  EXPECT_TRUE(EventSet(EngineWorker::kAccount));
  EXPECT_EQ(engine_.m_lastAccountQueryTick.load(), clock_.NowTick());

  // A pending account refresh takes the tick; the query waits for the next one.
  engine_.ResetWorkEvent(EngineWorker::kAccount);
  engine_.m_accountRefresh.store(1);
  clock_.Advance(30000);
  At(10, 1);
  EXPECT_EQ(accountRefreshes, 1);
  EXPECT_EQ(engine_.m_accountRefresh.load(), 0);
  EXPECT_FALSE(EventSet(EngineWorker::kAccount));
  At(10, 1);
  EXPECT_TRUE(EventSet(EngineWorker::kAccount));
}

// The window side follows a tick with an idle pass only when the tick changed more than the
// status texts and the quotes handed to the grids (which redraw their changed cells themselves).
TEST_F(TradingTick, SaysWhenItChangedMoreThanStatusTextsAndQuotes) {
  const struct {
    const char* what;
    std::function<void()> before;
    int hour, minute;
    bool changed;
  } steps[] = {
      {"the first tick signed in", [this] { SignIn(); }, 10, 0, true},
      {"nothing new", [] {}, 10, 0, false},
      {"quotes applied", [this] { engine_.m_quotesApplied.store(1); }, 10, 0, false},
      {"the session countdown turned", [this] { clock_.Advance(1000); }, 10, 0, false},
      {"the account summary", [this] { engine_.m_accountSummaryDue.store(1); }, 10, 0, true},
      {"the session closed", [] {}, 15, 31, true},
      {"the grids rebuilt", [this] { engine_.m_gridRebuildRequest.store(1); }, 15, 31, true},
      {"the holdings refreshed", [this] { engine_.m_accountRefresh.store(1); }, 15, 31, true},
      {"still nothing new", [] {}, 15, 31, false},
      {"signed out", [this] { login_.nUserIdx = 0; }, 15, 31, true},
  };
  for (const auto& step : steps) {
    step.before();
    clock_.SetLocalTime(LocalTime(2025, 1, 6, step.hour, step.minute, 0));
    EXPECT_EQ(engine_.OnTradingTick(), step.changed) << step.what;
  }
}

TEST_F(TradingTick, HandsWorkerResultsToTheGridsAndReportsPanes) {
  const std::atomic<int>& gridRefreshes = window_.gridRefreshes;
  const std::atomic<int>& rebuilds = window_.gridRebuilds;
  SignIn();
  engine_.m_quotesApplied.store(1);
  engine_.m_gridUpdatePending.store(1);
  engine_.m_lastAccountQueryTick.store(clock_.NowTick() - 12000);
  At(10, 0);
  EXPECT_EQ(gridRefreshes, 1);
  EXPECT_EQ(engine_.m_quotesApplied.load(), 0);
  EXPECT_EQ(rebuilds, 1);
  EXPECT_EQ(engine_.m_gridRebuildRequest.load(), 0);
  ASSERT_EQ(window_.posted.size(), 1u);
  EXPECT_EQ(window_.posted[0], WM_USER + 0x1F8);

  ASSERT_EQ(window_.notices.size(), 2u);
  EXPECT_EQ(window_.notices[0].code, 13);
  EXPECT_EQ(window_.notices[0].value1, 1);
  EXPECT_EQ(window_.notices[0].text, L"국내 주식");
  // No agent holds a token: the seconds are those since the account query.
  EXPECT_EQ(window_.notices[1].code, 11);
  EXPECT_EQ(window_.notices[1].text, L"세션[12]: 00:00:12");
  At(10, 0);
  EXPECT_EQ(gridRefreshes, 1);
  EXPECT_EQ(window_.notices.size(), 2u) << "same nation and seconds: nothing sent again";

  engine_.m_ruleCheckMs.store(5);
  engine_.m_quoteApplyMs.store(7);
  engine_.m_gridRefreshMs.store(9);
  engine_.ReportTimings();
  EXPECT_EQ(engine_.TimerState().statusText, L"%계산:5/7, R:9");
  EXPECT_EQ(window_.notices.back().code, 12);
  EXPECT_EQ(window_.notices.back().value1, 7);
  EXPECT_EQ(window_.notices.back().value2, 9);
}

TEST_F(TradingTick, TokenDueAt300MsButNotAt301UnlessForced) {
  TokenAgent* due = AddAgent(300);
  TokenAgent* notDue = AddAgent(301);
  TokenAgent* expired = AddAgent(-5);
  AddAgent(0)->m_tokenExpiry = 0;  // no token: not looked at
  int64_t smallest = 0;
  EXPECT_EQ(engine_.RenewBrokerLogins(nullptr, &smallest, 0, 0), 2);
  EXPECT_EQ(smallest, -5);
  EXPECT_EQ(notDue->m_remainingTicks, 301);
  EXPECT_EQ(due->logins + notDue->logins + expired->logins, 0) << "check only";
  EXPECT_EQ(engine_.RenewBrokerLogins(nullptr, nullptr, 0, 1), 3);

  EXPECT_EQ(engine_.RenewBrokerLogins(nullptr, nullptr, 1, 0), 2);
  EXPECT_EQ(due->logins, 1);
  EXPECT_EQ(expired->logins, 1);
  EXPECT_EQ(notDue->logins, 0);
  const auto logs = window_.Logs();
  ASSERT_EQ(logs.size(), 4u);
  EXPECT_EQ(logs[0], L"★ [1/4] " + std::wstring(due->m_brokerName) +
                         L" 로그인 시도 (START: 1000300, REMAIN: 300)");
  EXPECT_EQ(logs[1], L"★ [1/4] " + std::wstring(due->m_brokerName) + L" 로그인 결과 : 1");
}

TEST_F(TradingTick, RenewsDueTokensOnTheAccountWorkerWithPollingOffAndThePopupShown) {
  std::atomic<int> pollingDuringLogin{-1};
  std::atomic<bool> loginOnTick{false};
  const std::thread::id tickThread = std::this_thread::get_id();
  TokenAgent* agent = AddAgent(100, [&] {
    pollingDuringLogin = engine_.m_quotePolling.load();
    loginOnTick = std::this_thread::get_id() == tickThread;
  });
  engine_.accounts = [](CURL*, int, uint32_t*, int) { return 0; };
  SignIn();
  engine_.m_quotePolling.store(1);
  engine_.m_chartPass.store(CPelomarEngine::kChartPassRunning);
  At(10, 0);
  engine_.m_chartPass.store(CPelomarEngine::kChartPassDone);
  ASSERT_EQ(engine_.StartWorkerThreads(), kEngineWorkerCount);
  engine_.ResetWorkEvent(EngineWorker::kAccount);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(engine_.m_quotePolling.load(), 1) << "not while the chart pass runs";

  // The tick asks for the renewal and returns at once; the account worker logs in.
  At(10, 0);
  for (int i = 0; i < 2500 && engine_.m_quotePolling.load() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  EXPECT_TRUE(engine_.StopWorkerThreads());
  EXPECT_EQ(agent->logins, 1);
  EXPECT_FALSE(loginOnTick.load()) << "the user-interface thread never waits on a login";
  EXPECT_EQ(pollingDuringLogin.load(), 0);
  EXPECT_EQ(engine_.m_quotePolling.load(), 1);
  std::lock_guard<std::mutex> lock(window_.mutex);
  ASSERT_EQ(window_.popups.size(), 2u);
  EXPECT_EQ(window_.popups[0], L"다시 로그인중.\r\n잠시만 기다려 주세요\n");
  EXPECT_EQ(window_.popups[1], L"<hide>");
}

}  // namespace
