// Master codes, the account and balance passes, quote polling and the held-stock chart pass,
// driven headless against the DB broker peer.

#include <gtest/gtest.h>

#include <set>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/stocklib/PriceLogLine.h"
#include "platform/stocklib/StockAgentBase.h"
#include "platform/support/TextConv.h"
#include "platform/win/Clock.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "shared/LoginInfo.h"
#include "shared/Messages.h"
#include "tests/plugin/engine/BrokerPeerSetup.h"
#include "tests/plugin/engine/FakeEngineWindow.h"
#include "tests/plugin/engine/ScriptedEngine.h"

namespace {

using orv::test::DbBrokerPeer;

int CountContaining(const std::vector<std::wstring>& lines, const std::wstring& part) {
  return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::wstring& l) {
    return l.find(part) != std::wstring::npos;
  }));
}

class DataSteps : public ::testing::Test {
 protected:
  DataSteps() : clock_(5000), scoped_(clock_), engine_(&window_) {
    login_.nUserIdx = 7;
    std::wcscpy(login_.szUserId, L"tester");
    engine_.SetLoginInfo(&login_);
    curl_ = curl_easy_init();
  }
  ~DataSteps() override { curl_easy_cleanup(curl_); }

  void SetUp() override {
    ASSERT_TRUE(setup_.Ready());
    setup_.Prepare(engine_);
    engine_.Logs().SetLogFolder(setup_.folder.WidePath() + L"data/");
    setup_.peer.AcceptCredentials("key", "secret");
    agent_ = engine_.GetStockAgent(1, 11, 0, nullptr, L"DB");
    ASSERT_NE(agent_, nullptr);
    ASSERT_EQ(agent_->Login(curl_, L"11112222", L"key", L"secret", nullptr, nullptr, 0), 1);
    engine_.AgentRoles().marketData = agent_;
    engine_.AgentRoles().defaultDomestic = agent_;
  }

  void SetBalances(double samsungQty, double samsungAvg = 70000,
                   const orv::test::DbDomesticTotals& totals = {}) {
    std::vector<orv::test::DbHoldingRow> domestic;
    orv::test::DbHoldingRow samsung;
    samsung.code = "A005930";
    samsung.name = "삼성전자";
    samsung.balanceQty = samsungQty;
    samsung.avgPrice = samsungAvg;
    samsung.nowPrice = 71000;
    if (samsungQty > 0) domestic.push_back(samsung);
    orv::test::DbHoldingRow hynix;
    hynix.code = "A000660";
    hynix.name = "SK하이닉스";
    hynix.balanceQty = 3;
    hynix.avgPrice = 150000;
    hynix.nowPrice = 160000;
    domestic.push_back(hynix);
    setup_.peer.SetDomesticBalance(totals, domestic);
    orv::test::DbHoldingRow apple;
    apple.code = "AAPL";
    apple.name = "애플";
    apple.ableQty = 2;
    apple.avgPrice = 150;
    apple.nowPrice = 180;
    setup_.peer.SetOverseasBalance({}, {apple});
    setup_.peer.SetDeposit({1000000, 900000, 0, 950000});
  }

  size_t RequestsTo(const char* path) { return setup_.peer.RequestsTo(path).size(); }
  // One balance pass of the signed-in user.
  void BalancePass() {
    uint32_t total = 0;
    engine_.QueryAccountsAndBalances(curl_, 1, &total, 0);
  }
  StockTrade_s* Samsung() {
    return engine_.Stocks().FindHoldingByCode(1, 0, 0, nullptr, L"005930", 0);
  }

  orv::win::FakeClock clock_;
  orv::win::ScopedClock scoped_;
  orv::test::BrokerPeerSetup setup_;
  FakeEngineWindow window_;
  ScriptedEngine engine_;
  login_info_s login_;
  CURL* curl_ = nullptr;
  CStockAgentBase* agent_ = nullptr;
};

TEST_F(DataSteps, MasterCodesLoadTheDomesticListAndTheThreeOverseasListsOnce) {
  setup_.peer.SetTickerPages(DbBrokerPeer::kDomesticTickerPath,
                             {{{"A005930", "KR7005930003", "1", "삼성전자"},
                               {"A000660", "KR7000660001", "1", "SK하이닉스"}},
                              {{"A035420", "KR7035420009", "1", "NAVER"}}});
  setup_.peer.SetTickerPages(DbBrokerPeer::kOverseasTickerPath,
                             {{{"AAPL", "US0378331005", "", "애플"}, {"MSFT", "", "", "MS"}}});
  // A second DB agent: the overseas lists still load once.
  ASSERT_NE(engine_.GetStockAgent(1, 11, 0, nullptr, L"DB2"), nullptr);
  engine_.Options().overseas_on = 1;
  engine_.m_gridRebuildRequest.store(0);

  EXPECT_EQ(engine_.LoadMasterCodes(curl_, 0, 0), 5);
  EXPECT_EQ(RequestsTo(DbBrokerPeer::kOverseasTickerPath), 3u);
  EXPECT_EQ(RequestsTo(DbBrokerPeer::kDomesticTickerPath), 2u) << "two pages, loaded once";
  EXPECT_EQ(engine_.m_masterCodeCount.load(), 5);
  EXPECT_EQ(engine_.m_gridRebuildRequest.load(), 1);
  EXPECT_EQ(CountContaining(window_.Logs(), L"> Master 코드 수신 (종목수 : 5)"), 1);
  EXPECT_EQ(CountContaining(window_.popups, L"종목 마스터 코드를 표시중"), 1);

  // The same count again: the rebuild is left to the tick, nothing is "shown" here.
  engine_.m_gridRebuildRequest.store(0);
  EXPECT_EQ(engine_.LoadMasterCodes(curl_, 5, 0), 5);
  EXPECT_EQ(engine_.m_gridRebuildRequest.load(), 1);
  EXPECT_EQ(CountContaining(window_.popups, L"종목 마스터 코드를 표시중"), 1);

  // Without the overseas switch only the domestic list is asked for.
  engine_.Options().overseas_on = 0;
  EXPECT_EQ(engine_.LoadMasterCodes(curl_, 5, 1), 5);
  EXPECT_EQ(RequestsTo(DbBrokerPeer::kOverseasTickerPath), 6u);
  EXPECT_EQ(CountContaining(window_.popups, L"종목 마스터 코드를 표시중"), 2) << "forced";
}

TEST_F(DataSteps, BalancePassesFillAccountsHoldingsHeldAndPollLists) {
  SetBalances(10);
  login_.nUserIdx = 0;
  uint32_t total = 99;
  EXPECT_EQ(engine_.QueryAccountsAndBalances(curl_, 1, &total, 1), 0);
  EXPECT_EQ(total, 0u);
  EXPECT_EQ(RequestsTo(DbBrokerPeer::kDepositPath), 0u) << "nobody signed in";
  EXPECT_TRUE(window_.popups.empty());

  login_.nUserIdx = 7;
  EXPECT_EQ(engine_.QueryAccountsAndBalances(curl_, 1, &total, 1), 3);
  EXPECT_EQ(total, 3u);
  ASSERT_EQ(engine_.Accounts().size(), 1u);
  EXPECT_DOUBLE_EQ(engine_.Accounts().begin()->second->deposit, 1000000);
  EXPECT_EQ(engine_.Stocks().Holdings().size(), 3u);
  EXPECT_EQ(engine_.Stocks().Held(CStockLists::kHeldDomestic).size(), 2u);
  EXPECT_EQ(engine_.Stocks().Held(CStockLists::kHeldOverseas).size(), 1u);
  EXPECT_EQ(engine_.QuoteList(0).size(), 2u);
  EXPECT_EQ(engine_.QuoteList(1).size(), 1u);
  // The balance callback left the held codes in the master list.
  EXPECT_NE(engine_.Stocks().FindMasterStock(1, L"005930"), nullptr);
  const auto logs = window_.Logs();
  EXPECT_EQ(CountContaining(logs, L"▶ DB증권 잔고 조회  시작 [5000]"), 1);
  EXPECT_EQ(CountContaining(logs, L"▶ DB증권 잔고 [5000] (국내 : 2, 해외 : 1)"), 1);
  EXPECT_EQ(CountContaining(logs, L"09:00:00.000▶ DB증권 : [5000] LTV: 0.000000"), 1);
  EXPECT_EQ(CountContaining(window_.popups, L"tester님, 잔고 조회(종목: 3개) 완료했습니다."), 1);
  EXPECT_EQ(std::count(window_.posted.begin(), window_.posted.end(), WM_REDRAW_GRID), 1);

  // Again: the domestic record is asked again (current market 1), the overseas one is not.
  EXPECT_EQ(engine_.QueryAccountsAndBalances(curl_, 1, &total, 0), 2);
  EXPECT_EQ(RequestsTo(DbBrokerPeer::kDomesticBalancePath), 2u);
  EXPECT_EQ(RequestsTo(DbBrokerPeer::kOverseasBalancePath), 1u);
}

TEST_F(DataSteps, AHoldingTheBalanceDropsLeavesTheOrderQueue) {
  SetBalances(10);
  BalancePass();
  StockTrade_s* samsung = Samsung();
  ASSERT_NE(samsung, nullptr);
  engine_.OrderQueue().emplace(samsung, 1);
  SetBalances(0);  // sold: the broker no longer lists it
  BalancePass();
  EXPECT_TRUE(engine_.OrderQueue().empty());
  EXPECT_EQ(Samsung(), nullptr);
}

TEST_F(DataSteps, AMovedAveragePriceRebuildsTheSellStepsOnce) {
  SetBalances(10);
  BalancePass();
  StockTrade_s* samsung = Samsung();
  ASSERT_NE(samsung, nullptr);
  samsung->min_take_profit = 4;
  samsung->stairs[2].order_value1 = 3;

  // The same average price: the ladder and its step orders stay.
  BalancePass();
  EXPECT_DOUBLE_EQ(samsung->stairs[2].order_value1, 3);

  // A moved average price rebuilds the ladder from the holding's levels, orders cleared.
  SetBalances(12, 68000);
  BalancePass();
  EXPECT_EQ(samsung->stairs_rebuild, 0);
  EXPECT_DOUBLE_EQ(samsung->stairs[0].threshold, 4);
  EXPECT_FALSE(samsung->stairs_text.empty());
  EXPECT_DOUBLE_EQ(samsung->stairs[2].order_value1, 0);

  // Once: the next pass with that price keeps what the rules put in the steps since.
  samsung->stairs[2].order_value1 = 5;
  BalancePass();
  EXPECT_DOUBLE_EQ(samsung->stairs[2].order_value1, 5);
}

// While the broker is asked (its reply not yet sent), another thread takes the view lock at
// once: the account step holds it only to merge a reply, never across a request.
TEST_F(DataSteps, TheViewLockIsFreeWhileTheAccountStepWaitsForTheBroker) {
  SetBalances(10);
  std::mutex seenLock;
  std::map<std::string, int> freeWhileAsked;
  std::map<std::string, int> heldWhileAsked;
  setup_.peer.Http().OnServed([&](const orv::test::RecordedRequest& request, int) {
    const bool free = engine_.ViewLock().TryLock();
    if (free) engine_.ViewLock().Unlock();
    std::lock_guard<std::mutex> lock(seenLock);
    ++(free ? freeWhileAsked : heldWhileAsked)[request.path];
  });
  uint32_t total = 0;
  EXPECT_EQ(engine_.QueryAccountsAndBalances(curl_, 1, &total, 0), 3);
  setup_.peer.Http().OnServed(nullptr);
  EXPECT_EQ(engine_.Stocks().Holdings().size(), 3u);
  EXPECT_TRUE(heldWhileAsked.empty()) << heldWhileAsked.begin()->first;
  EXPECT_EQ(freeWhileAsked[DbBrokerPeer::kDepositPath], 1);
  EXPECT_EQ(freeWhileAsked[DbBrokerPeer::kDomesticBalancePath], 1);
  EXPECT_EQ(freeWhileAsked[DbBrokerPeer::kOverseasBalancePath], 1);
}

// The account step on its worker, token renewals on the user-interface thread and a reader of
// the holdings under the view lock, all at once (scripts/tsan checks this run for races).
TEST_F(DataSteps, AccountStepsRenewalsAndLockedReadersRunTogether) {
  SetBalances(10);
  setup_.peer.RotateTokens(true);
  std::atomic<bool> stop{false};
  std::atomic<int> refreshes{0};
  std::thread account([&] {
    CURL* curl = curl_easy_init();
    uint32_t total = 0;
    while (!stop) {
      if (engine_.QueryAccountsAndBalances(curl, 1, &total, 0) >= 2) ++refreshes;
    }
    curl_easy_cleanup(curl);
  });
  int renewed = 0;
  double held = 0;
  for (int i = 0; i < 20; ++i) {
    int64_t smallest = 0;
    renewed += engine_.RenewBrokerLogins(curl_, &smallest, 1, 1);
    orv::win::CSingleLock lock(&engine_.ViewLock(), TRUE);
    for (const auto& entry : engine_.Stocks().Holdings()) held += entry.first->quantity;
  }
  while (refreshes.load() < 3) std::this_thread::yield();
  stop = true;
  account.join();
  EXPECT_EQ(renewed, 20);
  EXPECT_GT(held, 0);
  EXPECT_EQ(engine_.Stocks().Holdings().size(), 3u);
  const auto issued = setup_.peer.IssuedTokens();
  EXPECT_EQ(agent_->AccessToken(), issued.back());
  EXPECT_EQ(setup_.peer.RequestsTo(DbBrokerPeer::kTokenPath).size(), issued.size());
}

TEST_F(DataSteps, QuotePassPollsLogsAndAppliesPrices) {
  SetBalances(10);
  uint32_t total = 0;
  engine_.QueryAccountsAndBalances(curl_, 1, &total, 0);
  orv::test::DbQuote samsung{"005930", "삼성전자", 72000, 71000, 72500, 70500, 71000, 1000, 1.41};
  orv::test::DbQuote hynix{"000660", "SK하이닉스", 165000, 160000, 166000,
                           159000,   160000,       5000,   3.13};
  setup_.peer.SetQuotes({samsung, hynix});

  engine_.m_quotePolling.store(0);
  EXPECT_EQ(engine_.RunQuotePass(curl_, 1), clock_.NowTick());
  EXPECT_EQ(RequestsTo(DbBrokerPeer::kDomesticPricePath), 0u) << "polling off";

  engine_.m_quotePolling.store(1);
  const DWORD tick = clock_.NowTick();
  EXPECT_EQ(engine_.RunQuotePass(curl_, 1), tick);
  EXPECT_EQ(CountContaining(window_.Logs(),
                            std::to_wstring(tick) + L"\t▶ DB증권 [1] 국내 시세 조회 OK (R=" +
                                Utf8ToWide(agent_->m_pollMessage) + L"/0) : 2 개..."),
            1);
  EXPECT_EQ(engine_.m_quotesApplied.load(), 1);
  StockTrade_s* held = engine_.Stocks().FindHoldingByCode(1, 0, 0, nullptr, L"005930", 0);
  ASSERT_NE(held, nullptr);
  EXPECT_DOUBLE_EQ(held->valuation, 720000);
  EXPECT_DOUBLE_EQ(held->profit_amount, 720000 - 700000);
  EXPECT_DOUBLE_EQ(engine_.Accounts().begin()->second->total_valuation, 720000 + 3 * 165000)
      << "the overseas holding counts in its own record";

  // One price line per stock, as the price log's writer writes it.
  SYSTEMTIME now;
  orv::win::GetLocalTime(&now);
  const double values[5] = {72000, 1.41, 71000, 70500, 72500};
  const std::string expected = FormatPriceLogLine(1, L"005930", tick, now, values);
  const std::string log = ReadBytes(engine_.Logs().GetPriceLogPath());
  EXPECT_NE(log.find(expected), std::string::npos) << log;

  // An interval not yet passed: no poll. A refused poll logs the error and is asked again.
  EXPECT_EQ(engine_.RunQuotePass(curl_, 1), tick);
  EXPECT_EQ(RequestsTo(DbBrokerPeer::kDomesticPricePath), 1u);
  clock_.Advance(1000);
  setup_.peer.SetRawReply(DbBrokerPeer::kDomesticPricePath,
                          "{\"rsp_cd\":\"9999\",\"rsp_msg\":\"busy\"}");
  engine_.RunQuotePass(curl_, 1);
  EXPECT_EQ(CountContaining(window_.Logs(), L"국내 시세 조회 ERROR"), 1);
  engine_.RunQuotePass(curl_, 1);
  EXPECT_EQ(RequestsTo(DbBrokerPeer::kDomesticPricePath), 3u) << "polled again at once";

  // No coin agent: a coin pass asks nobody.
  EXPECT_EQ(engine_.RunQuotePass(curl_, 9), clock_.NowTick());
}

// Quote passes on their worker write prices into the stock records while a window reads them
// under the view lock: the agent applies a reply's quotes in the engine's merge step, so the
// reader sees each price whole (scripts/tsan checks this run for races).
TEST_F(DataSteps, QuotePassesAndLockedReadersOfThePricesRunTogether) {
  SetBalances(10);
  BalancePass();
  orv::test::DbQuote samsung{"005930", "삼성전자", 72000, 71000, 72500, 70500, 71000, 1000, 1.41};
  setup_.peer.SetQuotes({samsung});
  engine_.m_quotePolling.store(1);
  std::atomic<bool> stop{false};
  std::atomic<int> passes{0};
  std::thread quotes([&] {
    CURL* curl = curl_easy_init();
    while (!stop) {
      engine_.RunQuotePass(curl, 1);
      clock_.Advance(1000);
      ++passes;
    }
    curl_easy_cleanup(curl);
  });
  const Stock_s* stock = Samsung()->stock;
  std::set<double> seen;
  while (passes.load() < 20) {
    orv::win::CSingleLock lock(&engine_.ViewLock(), TRUE);
    seen.insert(stock->cur_price);
  }
  stop = true;
  quotes.join();
  for (double price : seen) EXPECT_TRUE(price == 71000 || price == 72000) << price;
  EXPECT_GE(RequestsTo(DbBrokerPeer::kDomesticPricePath), 20u);
  orv::win::CSingleLock lock(&engine_.ViewLock(), TRUE);
  EXPECT_DOUBLE_EQ(stock->cur_price, 72000);
}

TEST_F(DataSteps, AHoldingAtQuantityZeroIsSoldOutAndLeftOutOfTheTotals) {
  SetBalances(10);
  BalancePass();
  StockTrade_s* held = Samsung();
  ASSERT_NE(held, nullptr);
  held->quantity = 0;
  int checked = 0;
  engine_.ruleCheck = [&](StockTrade_s*, double, int mayQueue, int*) {
    EXPECT_EQ(mayQueue, 1);
    ++checked;
    return 0.0;
  };
  double buy = 0, day = 0, profit = 0;
  int rows = 0;
  EXPECT_EQ(engine_.ApplyQuotesToHoldings(&buy, &day, &profit, 1, &rows, 1), 3);
  EXPECT_EQ(checked, 3);
  EXPECT_EQ(held->sold_out, 1);
  EXPECT_DOUBLE_EQ(held->valuation, 0);
  EXPECT_DOUBLE_EQ(buy, 3 * 150000 + 2 * 150.0);
  EXPECT_DOUBLE_EQ(engine_.TotalValuation(), 3 * 160000 + 2 * 180.0);
}

TEST_F(DataSteps, QuotePassesAskForARowRebuildOnlyWhenTheGridsRowSetChanges) {
  SetBalances(10);
  BalancePass();
  StockTrade_s* held = Samsung();
  ASSERT_NE(held, nullptr);
  auto rebuildsAfterPass = [&] {
    window_.posted.clear();
    engine_.m_redrawPending.store(0);  // the view's handler ran
    engine_.ApplyQuotesToHoldings(nullptr, nullptr, nullptr, 1, nullptr, 1);
    return std::count(window_.posted.begin(), window_.posted.end(), WM_REDRAW_GRID);
  };
  // Held stocks the grid does not show yet: one rebuild, which hands them to the grid.
  EXPECT_EQ(rebuildsAfterPass(), 1);
  engine_.SnapshotHoldings();
  // Nothing changed since: no rebuild, pass after pass.
  EXPECT_EQ(rebuildsAfterPass(), 0);
  EXPECT_EQ(rebuildsAfterPass(), 0);
  // A holding sold to zero leaves the grid once, then stays out of it without further rebuilds.
  held->quantity = 0;
  EXPECT_EQ(rebuildsAfterPass(), 1);
  engine_.SnapshotHoldings();
  EXPECT_EQ(held->in_grid, 0);
  EXPECT_EQ(rebuildsAfterPass(), 0);
  EXPECT_EQ(rebuildsAfterPass(), 0);
  // Bought again: it comes back into the grid with one rebuild.
  held->quantity = 4;
  held->sold_out = 0;
  EXPECT_EQ(rebuildsAfterPass(), 1);
}

TEST_F(DataSteps, ChartPassAsksTwoCandleKindsPerStockAndTheTrendForDomesticOnes) {
  SetBalances(10);
  uint32_t total = 0;
  engine_.QueryAccountsAndBalances(curl_, 1, &total, 0);
  std::vector<orv::test::DbCandle> candles;
  for (int i = 0; i < 12; ++i)
    candles.push_back({"202501" + std::to_string(21 - i), 0, 100, 110, 90, 100.0 + i, 1000});
  setup_.peer.SetCandles(DbBrokerPeer::kDayChartPath, candles);
  setup_.peer.SetCandles(DbBrokerPeer::kMinuteChartPath, candles);

  // No overseas or coin agent: only the two domestic stocks are charted.
  EXPECT_EQ(engine_.QueryHeldStockCharts(curl_), 2);
  EXPECT_EQ(engine_.ChartRequestCount(), 6);
  EXPECT_EQ(RequestsTo(DbBrokerPeer::kDayChartPath), 2u);
  EXPECT_EQ(RequestsTo(DbBrokerPeer::kMinuteChartPath), 2u);
  EXPECT_EQ(RequestsTo(DbBrokerPeer::kInvestorPath), 2u);
  Stock_s* stock = engine_.Stocks().FindMasterStock(1, L"005930");
  ASSERT_NE(stock, nullptr);
  EXPECT_GT(stock->day.env_middle[11], 0.0);
  EXPECT_EQ(clock_.SleptMs(), 4u * agent_->m_chartPause) << "paced by the agent's pause";
  EXPECT_EQ(window_.popups.back(), L"<hide>");

  // A stale first-overseas role (its agent is gone) is not asked.
  CStockAgentBase stale(2, '1', 11, 9, 2, 0, 40);
  engine_.AgentRoles().firstOverseas = &stale;
  EXPECT_EQ(engine_.QueryStockListCharts(curl_, 2, &stale, &engine_.QuoteList(1)), 0);
}

}  // namespace

TEST_F(DataSteps, TheAccountSummaryCopiesEachAccountAndTheTotals) {
  orv::test::DbDomesticTotals totals;
  totals.eval = 1700000;
  totals.todayBuy = 300000;
  totals.credit = 2000000;
  totals.depositAsset = 3000000;
  totals.cash = -120000;
  totals.todaySell = 50000;
  totals.realized = 7000;
  SetBalances(0, 70000, totals);
  BalancePass();

  AccountSummarySnapshot_s summary = engine_.SnapshotAccountSummary();
  ASSERT_EQ(summary.accounts.size(), 1u);
  const AccountSummaryRow_s& a = summary.accounts[0];
  EXPECT_EQ(a.label, engine_.Accounts().begin()->first);
  EXPECT_EQ(a.brokerId, 11);
  EXPECT_EQ(a.checked, 1);
  EXPECT_EQ(a.errors, 0);
  EXPECT_DOUBLE_EQ(a.holdings, 1) << "the overseas holding belongs to the second record";
  EXPECT_DOUBLE_EQ(a.estimatedDeposit, 1000000);
  EXPECT_DOUBLE_EQ(a.withdrawable, 900000);
  EXPECT_DOUBLE_EQ(a.stockValuation, 1700000);
  EXPECT_DOUBLE_EQ(a.d2Deposit, -120000);
  EXPECT_DOUBLE_EQ(a.receivable, 120000) << "a D+2 deposit below zero is owed";
  EXPECT_DOUBLE_EQ(a.estimatedAssets, 3000000);
  EXPECT_DOUBLE_EQ(a.creditAmount, 2000000);
  EXPECT_DOUBLE_EQ(a.collateralRatio, 150) << "assets against the loan";
  EXPECT_DOUBLE_EQ(a.todayBuy, 300000);
  EXPECT_DOUBLE_EQ(a.todaySell, 50000);
  EXPECT_DOUBLE_EQ(a.todayProfit, 7000);
  EXPECT_DOUBLE_EQ(summary.totals.d2Deposit, -120000);
  EXPECT_DOUBLE_EQ(summary.totals.estimatedAssets, 3000000);
  EXPECT_DOUBLE_EQ(summary.totals.creditLoan, 2000000);
  EXPECT_DOUBLE_EQ(summary.totals.collateralRatio, 150);

  // A refused deposit query counts against the account, with the broker's word, until a read
  // succeeds again; the figures of the last read stay.
  setup_.peer.Refuse(DbBrokerPeer::kDepositPath, "IGW00999", "계좌 조회 불가");
  BalancePass();
  BalancePass();
  summary = engine_.SnapshotAccountSummary();
  ASSERT_EQ(summary.accounts.size(), 1u);
  EXPECT_EQ(summary.accounts[0].errors, 2);
  EXPECT_EQ(summary.accounts[0].checked, 0);
  EXPECT_NE(summary.accounts[0].message.find(L"계좌 조회 불가"), std::wstring::npos)
      << WideToUtf8(summary.accounts[0].message);
  EXPECT_DOUBLE_EQ(summary.accounts[0].estimatedDeposit, 1000000);
  setup_.peer.SetDeposit({1000000, 900000, 0, 950000});
  BalancePass();
  summary = engine_.SnapshotAccountSummary();
  EXPECT_EQ(summary.accounts[0].errors, 0);
  EXPECT_TRUE(summary.accounts[0].message.empty());
}

TEST_F(DataSteps, AnAccountPassHandsTheSummaryOverOnTheNextTick) {
  SetBalances(10);
  const int before = window_.accountSummaries.load();
  int changes = 0;
  engine_.AccountStep(curl_, 1, &changes);
  EXPECT_EQ(window_.accountSummaries.load(), before) << "the tick hands it over, not the worker";
  engine_.OnTradingTick();
  EXPECT_EQ(window_.accountSummaries.load(), before + 1);
  engine_.OnTradingTick();
  EXPECT_EQ(window_.accountSummaries.load(), before + 1) << "handed over once per pass";
}
