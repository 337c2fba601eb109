// The monitoring view's decisions without a window: settings round trip, limits, id text,
// summary line, the automatic-buy switch's checks and questions, the watch-list texts, the
// refresh gate, and the worker's stop order.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/support/TextConv.h"
#include "platform/win/Registry.h"
#include "plugin/monitor/core/MonitorViewLogic.h"
#include "plugin/monitor/core/MonitoringThread.h"
#include "shared/StockOption.h"

namespace fs = std::filesystem;

TEST(MonitorViewLogicTest, SettingsRoundTripPerUser) {
  std::string pattern = (fs::temp_directory_path() / "monset-XXXXXX").string();
  const std::string home = ::mkdtemp(pattern.data());
  setenv("XDG_CONFIG_HOME", home.c_str(), 1);
  ASSERT_TRUE(orv::win::AppRegistry().Open("OrvMonitorTest", "settings.ini"));

  MonitorSettings_s fresh;
  LoadMonitorSettings(3, &fresh);  // nothing stored: the defaults stay
  EXPECT_EQ(fresh.writeRealTimeLog, 0);
  EXPECT_EQ(fresh.mode, kMonitorModeMarketScan);

  ASSERT_TRUE(SaveMonitorSettings(3, {1, kMonitorModeConditionWatch}));
  EXPECT_EQ(orv::win::GetProfileInt("Settings", "Stock-WriteRealTimeStockLog-3", -1), 1);
  EXPECT_EQ(orv::win::GetProfileInt("Settings", "Stock-AutoBuyType-3", -1), 1);
  MonitorSettings_s read;
  LoadMonitorSettings(3, &read);
  EXPECT_EQ(read.writeRealTimeLog, 1);
  EXPECT_EQ(read.mode, kMonitorModeConditionWatch);
  MonitorSettings_s other;
  LoadMonitorSettings(4, &other);  // another user's keys are not these
  EXPECT_EQ(other.mode, kMonitorModeMarketScan);
  fs::remove_all(home);
}

TEST(MonitorViewLogicTest, LimitsAndIdText) {
  EXPECT_EQ(LimitWon(15), 150000);
  EXPECT_EQ(LimitWon(3000), 30000000);
  EXPECT_EQ(LimitWon(1000000), INT32_MAX);  // clamped, never wrapped
  EXPECT_EQ(MonitorViewIdText(0), L"9999");
  EXPECT_EQ(MonitorViewIdText(-5), L"9999");
  EXPECT_EQ(MonitorViewIdText(12), L"0012");
}

namespace {
stock_option_s OptionsWithConditions() {
  stock_option_s o;
  o.buy_condition[0] = 13;
  o.buy_condition[2] = 4;
  std::wcscpy(o.chosen_buy_conditions, L"급등주;눌림목;거래량;");
  std::wcscpy(o.chosen_sell_conditions, L"이탈;");
  o.auto_buy_match = 1;
  o.auto_buy_max_stocks = 0;
  o.auto_buy_rise_limit = 10;
  o.auto_buy_delay_ms = 3000;
  o.per_stock_buy_limit = 15;
  o.daily_buy_limit = 100;
  o.split_buy_amount = 7;
  o.split_buy_interval_ms = 10000;
  return o;
}
}  // namespace

TEST(MonitorViewLogicTest, RulesAndSummaryLine) {
  const MonitorRules_s rules = RulesOf(OptionsWithConditions());
  EXPECT_EQ(rules.buyList, L"1차 : 급등주\n3차 : 거래량\n");
  EXPECT_EQ(rules.sellList, L"1차 : 이탈\n");
  EXPECT_EQ(RequiredConditions(rules), 2);

  struct Case {
    int mode;
    bool running;
    bool andMatch;
    const wchar_t* expected;
  } cases[] = {
      {kMonitorModeMarketScan, true, true, L"*ON*(3)QLX_Trend"},
      {kMonitorModeScan7, false, true, L"*(3)QLX_Trend"},
      {kMonitorModeConditionWatch, false, true, L"조건식.AND매수.*2개중 2개성공*"},
      {kMonitorModeConditionWatch, false, false, L"조건식.OR매수.*2개중 1개성공*"},
      {kMonitorModeStockWatch, false, false, L"종목한정.OR매수. (코스피)"},
  };
  for (const Case& c : cases) {
    MonitorRules_s r = rules;
    r.andMatch = c.andMatch;
    MonitorSummaryState_s s{c.mode, c.running, 3, L"QLX_Trend", L"코스피"};
    EXPECT_EQ(ComposeMonitorSummary(s, r), c.expected) << c.mode;
  }
}

TEST(MonitorViewLogicTest, AutoBuySwitchChecksPerMode) {
  const MonitorRules_s rules = RulesOf(OptionsWithConditions());
  MonitorRules_s none = rules;
  none.buyList.clear();
  none.sellList.clear();
  AutoBuySwitchInput_s in;
  in.userName = L"홍길동";
  in.customerNumber = 7;

  in.mode = kMonitorModeConditionWatch;
  AutoBuySwitchCheck_s c = CheckAutoBuySwitch(in, rules);
  EXPECT_FALSE(c.ok);
  EXPECT_EQ(c.text.rfind(L"서버에 조건검색식이 없거나", 0), 0u);

  in.knownConditions = 5;
  c = CheckAutoBuySwitch(in, none);
  EXPECT_FALSE(c.ok);
  EXPECT_EQ(c.text.rfind(L"서버에서 조건검색식은 5개 검출되었습니다.", 0), 0u);

  c = CheckAutoBuySwitch(in, rules);
  ASSERT_TRUE(c.ok);
  EXPECT_NE(c.text.find(L"[홍길동 (고객번호: 7)]님, 조건검색식 기반"), std::wstring::npos);
  // A maximum stock count of 0 is asked about as 1.
  EXPECT_NE(c.text.find(L"-----\n1차 : 급등주\n3차 : 거래량\n** 최대 종목 개수 : 1 개\n** 매수 "
                        L"제한 : 상승 10 %이하 종목만 매수\n** 매수 대기 : 3 초"),
            std::wstring::npos);
  EXPECT_NE(c.text.find(L"1종목당 매수 한도 : 15만원\n1일 매수 한도 : 100만원\n분할 주문 금액 : "
                        L"7만원 (10초마다 체크/주문)"),
            std::wstring::npos);

  in.mode = kMonitorModeMarketScan;
  c = CheckAutoBuySwitch(in, none);
  ASSERT_TRUE(c.ok);
  EXPECT_EQ(c.text.rfind(L"[홍길동 (고객번호: 7)]님, 거래소 전체 종목에서 검색을 시작(ON)", 0), 0u);

  in.mode = kMonitorModeStockWatch;
  c = CheckAutoBuySwitch(in, rules);
  EXPECT_FALSE(c.ok);
  EXPECT_EQ(c.text.rfind(L"자동매수 감시할 종목을 설정하지 않았습니다.", 0), 0u);
  in.ownStockCount = 2;
  in.ownSummary = L"삼성전자(005930)외 총 2개";
  c = CheckAutoBuySwitch(in, rules);
  ASSERT_TRUE(c.ok);
  EXPECT_NE(c.text.find(L"-----\n삼성전자(005930)외 총 2개\n-----"), std::wstring::npos);
}

TEST(MonitorViewLogicTest, WatchTextsAndRefreshGate) {
  EXPECT_EQ(WatchLimitText(), L"감시 종목은 10개까지 등록 가능합니다.");
  EXPECT_EQ(WatchAddQuestion(L"삼성전자", L"005930"),
            L"삼성전자(005930)종목을 감시 종목으로 추가할까요?\n10개까지 등록 가능합니다.\n\n"
            L"감시 종목으로 추가할까요?");

  CRefreshGate gate;
  EXPECT_FALSE(gate.Open(1000));
  EXPECT_EQ(gate.Remaining(), 59000u);
  EXPECT_FALSE(gate.Open(60000));  // exactly 60 s: not more
  EXPECT_TRUE(gate.Open(60001));
  EXPECT_FALSE(gate.Open(60002));
  EXPECT_TRUE(gate.Open(0xFFFFFFF0u));  // far later, across the tick's wrap
}

TEST(MonitoringThreadTest, ScanWakeRefreshesAndStopJoinsBeforeReturning) {
  std::atomic<int> refreshes{0};
  std::atomic<bool> inRefresh{false};
  std::atomic<bool> hostRunning{true};
  CMonitoringThread worker([&] { return hostRunning.load(); },
                           [&] {
                             inRefresh = true;
                             std::this_thread::sleep_for(std::chrono::milliseconds(150));
                             ++refreshes;
                             inRefresh = false;
                           });
  ASSERT_TRUE(worker.Start());
  worker.scanRunning = 1;
  worker.gridDirty = 1;
  worker.SetScanEvent();
  for (int i = 0; i < 200 && !inRefresh; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_TRUE(inRefresh.load());
  // The stop returns only after the refresh under way ended: what it reads may then go.
  worker.Stop();
  EXPECT_FALSE(inRefresh.load());
  EXPECT_EQ(refreshes.load(), 1);
  EXPECT_FALSE(worker.Running());
  EXPECT_EQ(worker.scanWakes.load(), 1);

  // The host stopping ends the waiting thread by itself: it looks at the host's flag while it
  // waits, without anything waking it.
  ASSERT_TRUE(worker.Start());
  for (int i = 0; i < 200 && !worker.Running(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  hostRunning = false;
  for (int i = 0; i < 200 && worker.Running(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_FALSE(worker.Running());
  worker.Stop();
}
