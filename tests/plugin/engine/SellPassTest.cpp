// The sell pass against the loopback DB broker and web server: one market-price order per
// queued holding, 100 ms apart, the money-log report, the sold-out popup and the immediate
// account refresh; the order routine's simulation guard, history rows and user orders.

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <sstream>
#include <thread>

#include "platform/stocklib/StockAgentBase.h"
#include "plugin/community/WebLogin.h"
#include "plugin/community/WebReports.h"
#include "tests/plugin/community/WebFixture.h"
#include "tests/plugin/engine/BrokerPeerSetup.h"
#include "tests/plugin/engine/RulesFixture.h"

namespace {

using orv::test::DbBrokerPeer;
using orv::test::DbHoldingRow;
using orv::test::PeerReply;
using orv::test::RecordedRequest;

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  for (std::string field; std::getline(in, field, ',');) fields.push_back(field);
  return fields;
}

std::string FormValue(const RecordedRequest& request, const char* name) {
  return orv::test::PartValue(request, name);
}

class SellPass : public RulesFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(broker_.Ready());
    broker_.Prepare(engine_);
    ASSERT_TRUE(web_.Start());
    web_.Http().On("POST", "/stock/order_up3", [] {
      PeerReply reply;
      reply.body = "{\"err\":0}";
      return reply;
    }());
    snprintf(run_.szWebApiBase, sizeof run_.szWebApiBase, "%s", web_.BaseUrl().c_str());
    login_.nCompanyIdx = 5;
    login_.nAgencyIdx = 3;
    login_.nUserIdx = 77;
    run_.nAppIdx = 21;
    run_.nAppNo = 22;
    engine_.SetLoginInfo(&login_);
    engine_.SetRunSetting(&run_);
    window_.upload = [this](CURL* curl, const std::wstring& lines, int n) {
      reports_.UploadMoneyLog(curl, lines, n);
    };
    agent_ = broker_.LoginAgent(engine_);
    ASSERT_NE(agent_, nullptr);
    curl_ = curl_easy_init();
  }
  void TearDown() override {
    if (curl_) curl_easy_cleanup(curl_);
  }

  StockTrade_s* Held(const wchar_t* code, double qty, double price) {
    StockTrade_s* h = AddHolding(code, L"종목", qty);
    h->account = &agent_->m_accountRecord;
    h->stock->cur_price = price;
    h->order_kind = 2;
    return h;
  }
  void Queue(StockTrade_s* h) {
    orv::win::CSingleLock lock(&engine_.ViewLock(), TRUE);
    engine_.OrderQueue().emplace(h, 9999);
  }
  std::vector<RecordedRequest> Orders() {
    return broker_.peer.RequestsTo(DbBrokerPeer::kDomesticOrderPath);
  }
  std::vector<RecordedRequest> Reports() { return web_.RequestsTo("/stock/order_up3"); }

  orv::test::BrokerPeerSetup broker_;
  orv::test::WebServerPeer web_;
  app_run_setting_s run_;
  login_info_s login_;
  orv::test::InertLoginEngine loginEngine_;
  CWebLogin webLogin_{loginEngine_, run_, login_};
  orv::test::FakeWebEngine webEngine_;
  CWebReports reports_{webLogin_, webEngine_};
  CStockAgentBase* agent_ = nullptr;
  CURL* curl_ = nullptr;
};

TEST_F(SellPass, OrdersEachQueuedHoldingAtMarketPriceSpacedAndReportsTheMoneyLog) {
  broker_.peer.SetDomesticBalance({}, {{"A005930", "삼성전자", 10, -1, 60000, 61000},
                                       {"A000660", "하이닉스", 3, -1, 100000, 90000}});
  StockTrade_s* samsung = Held(L"005930", 10, 61000);
  samsung->avg_price = 60000;
  samsung->sell_split_qty = 4;
  samsung->profit_rate = 1.5;
  StockTrade_s* hynix = Held(L"000660", 3, 90000);
  hynix->sell_split_qty = 7;  // more than held: the whole quantity
  hynix->avg_price = 100000;
  hynix->profit_rate = -10;
  Queue(samsung);
  Queue(hynix);
  const uint64_t sleptBefore = clock_.SleptMs();

  EXPECT_EQ(engine_.RunSellPass(curl_), 2);

  EXPECT_EQ(QueueSize(), 0u);
  EXPECT_EQ(clock_.SleptMs() - sleptBefore, 200u) << "100 ms after each order";
  const auto orders = Orders();
  ASSERT_EQ(orders.size(), 2u);
  // Queue order is holding order: 000660 before 005930.
  EXPECT_NE(orders[0].body.find("\"IsuNo\":\"000660\""), std::string::npos) << orders[0].body;
  EXPECT_NE(orders[0].body.find("\"OrdQty\":3,"), std::string::npos);
  EXPECT_NE(orders[1].body.find("\"IsuNo\":\"005930\""), std::string::npos);
  EXPECT_NE(orders[1].body.find("\"OrdQty\":4,"), std::string::npos);
  for (const auto& order : orders) {
    EXPECT_NE(order.body.find("\"OrdPrc\":0,"), std::string::npos);
    EXPECT_NE(order.body.find("\"OrdprcPtnCode\":\"03\""), std::string::npos);
    EXPECT_NE(order.body.find("\"BnsTpCode\":\"1\""), std::string::npos) << "a sell";
  }

  // Bookkeeping.
  EXPECT_DOUBLE_EQ(samsung->quantity, 6);
  EXPECT_EQ(samsung->last_result, 0);
  EXPECT_EQ(samsung->ordered, 1);
  EXPECT_DOUBLE_EQ(samsung->step_orders, 1);
  EXPECT_DOUBLE_EQ(samsung->rate_at_last_sell, 1.5);
  EXPECT_EQ(samsung->last_sell_tick, clock_.NowTick() - 100);
  EXPECT_DOUBLE_EQ(samsung->order_price, 61000);
  EXPECT_DOUBLE_EQ(hynix->quantity, 0);
  EXPECT_EQ(hynix->sold_out, 1);

  // Sold out: the popup, a grid update and the account query at once.
  ASSERT_EQ(window_.popups.size(), 1u);
  EXPECT_EQ(window_.popups[0], L"000660 매도 완료(잔고 소진)\n");
  EXPECT_EQ(engine_.m_gridUpdatePending.load(), 1);
  EXPECT_TRUE(engine_.WorkEvent(EngineWorker::kAccount)->IsSet());
  EXPECT_EQ(engine_.m_lastAccountQueryTick.load(), clock_.NowTick());

  // One report with both lines of 52 fields.
  const auto reports = Reports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(FormValue(reports[0], "op_cnt"), "2");
  const auto lines = SplitLines(FormValue(reports[0], "op_qry"));
  ASSERT_EQ(lines.size(), 2u);
  const auto first = Fields(lines[0]);
  ASSERT_EQ(first.size(), 52u) << lines[0];
  EXPECT_EQ(Fields(lines[1]).size(), 52u) << lines[1];
  const std::vector<std::pair<int, std::string>> expected = {
      {1, "0"},         {2, "5"},
      {3, "11"},        {5, "3"},
      {6, "77"},        {7, "21"},
      {8, "22"},        {9, "0"},
      {10, "2"},        {13, "1"},
      {14, "1"},        {16, "''"},
      {18, "'1'"},      {20, "'000660'"},
      {21, "'000660'"}, {22, "'종목'"},
      {24, "0"},        {25, "3"},
      {26, "0.000000"}, {27, "-30000"},
      {28, "0.0000"},   {29, "-30000.0000"},
      {30, "-10.0000"}, {36, "8.000000"},
      {39, "0"},        {40, "100000"},
      {41, "90000"},    {42, "300000"},
      {43, "300000"},   {46, "0"},
      {49, "0"},
  };
  for (const auto& [number, value] : expected) EXPECT_EQ(first[number - 1], value) << number;

  const auto logs = window_.Logs();
  EXPECT_EQ(LogsStartingWith(L"▶ 매도 조건 평가 중.[2]..\n").size(), 1u);
  EXPECT_EQ(LogsStartingWith(L"▶ 매도 코드 [2개] (000660)...\n").size(), 1u);
  EXPECT_EQ(LogsStartingWith(L"trade (bSuccess=1, remainCnt=10.000000) nErrorCode=0 / \n").size(),
            1u);
  // Flags 7: the sell sound and a history row per order.
  EXPECT_EQ(window_.sounds, (std::vector<int>{kAlertSoundSell, kAlertSoundSell}));
  ASSERT_EQ(window_.historyRows.size(), 2u);
  EXPECT_TRUE(window_.historyRows[1].fromHolding);
  EXPECT_DOUBLE_EQ(window_.historyRows[1].quantity, 4);
  EXPECT_NEAR(window_.historyRows[1].profitRate, 1000.0 / 600.0, 1e-9);  // 61,000 on 60,000
}

TEST_F(SellPass, EmptyQueueLogsZeroSendsNoReportAndLeavesTheAccountEventAlone) {
  EXPECT_EQ(engine_.RunSellPass(curl_), 0);
  EXPECT_EQ(LogsStartingWith(L"▶ 매도 조건 평가 중.[0]..\n").size(), 1u);
  EXPECT_EQ(LogsStartingWith(L"▶ 매도 코드 [0개] ()...\n").size(), 1u);
  EXPECT_TRUE(Reports().empty());
  EXPECT_FALSE(engine_.WorkEvent(EngineWorker::kAccount)->IsSet());
  EXPECT_FALSE(engine_.SellPassRunning());
}

TEST_F(SellPass, RefusedOrderKeepsTheQuantityButStillReachesTheReport) {
  broker_.peer.SetDomesticBalance({}, {{"A005930", "삼성전자", 2, -1, 60000, 61000}});
  StockTrade_s* h = Held(L"005930", 10, 61000);  // the broker holds only 2
  Queue(h);
  EXPECT_EQ(engine_.RunSellPass(curl_), 1);
  EXPECT_DOUBLE_EQ(h->quantity, 10);
  EXPECT_EQ(h->last_result, 2110);
  EXPECT_EQ(h->ordered, 1);
  EXPECT_TRUE(window_.popups.empty());
  EXPECT_FALSE(engine_.WorkEvent(EngineWorker::kAccount)->IsSet());
  const auto reports = Reports();
  ASSERT_EQ(reports.size(), 1u);
  const auto fields = Fields(FormValue(reports[0], "op_qry"));
  ASSERT_EQ(fields.size(), 52u);
  EXPECT_EQ(fields[8], "2110");
  EXPECT_EQ(fields[22], "'주문가능수량을 초과하였습니다.'");
}

TEST_F(SellPass, WhileTheSimulationRunsNoOrderReachesTheBroker) {
  broker_.peer.SetDomesticBalance({}, {{"A005930", "삼성전자", 10, -1, 60000, 61000}});
  StockTrade_s* h = Held(L"005930", 10, 61000);
  Queue(h);
  engine_.m_simulationRunning.store(1);
  EXPECT_EQ(engine_.RunSellPass(curl_), 1);
  EXPECT_TRUE(Orders().empty());
  EXPECT_EQ(h->last_result, kOrderSimulationOn);
  EXPECT_EQ(h->ordered, 0);
  EXPECT_DOUBLE_EQ(h->quantity, 10);
  // The agent itself refuses as well, whoever asks it.
  int success = -1;
  EXPECT_EQ(
      agent_->TradeOrder(curl_, 1, 1, 2, 0, L"005930", 1, 0, 1, 3, 0, 0, 1, 0, 0, 0, 0, 0, nullptr,
                         nullptr, nullptr, nullptr, &success, nullptr, nullptr, nullptr),
      kAgentSimulationOn);
  EXPECT_EQ(success, 0);
  EXPECT_TRUE(Orders().empty());
}

// An order placed in a pass always reaches the report: the pass stops taking new orders once
// its text passes 8,000 characters, and the upload sends the text in parts.
TEST_F(SellPass, FullReportStopsThePassWithoutDroppingPlacedOrders) {
  std::vector<DbHoldingRow> rows;
  for (int i = 0; i < 40; ++i) {
    wchar_t code[8];
    swprintf(code, 8, L"%06d", 100000 + i);
    rows.push_back({"A" + WideToUtf8(code), "n", 5, -1, 1000, 1000});
    StockTrade_s* h = Held(code, 5, 1000);
    h->stock->name = std::wstring(120, L'가');  // long lines
    Queue(h);
  }
  broker_.peer.SetDomesticBalance({}, rows);
  const int placed = engine_.RunSellPass(curl_);
  EXPECT_GT(placed, 5);
  EXPECT_LT(placed, 40);
  EXPECT_EQ(static_cast<int>(Orders().size()), placed);
  EXPECT_EQ(LogsStartingWith(L">> BUFFER OVER (").size(), 1u);
  int reported = 0;
  for (const auto& report : Reports()) {
    const auto lines = SplitLines(FormValue(report, "op_qry"));
    EXPECT_EQ(FormValue(report, "op_cnt"), std::to_string(lines.size()));
    reported += static_cast<int>(lines.size());
  }
  EXPECT_EQ(reported, placed);
  EXPECT_GE(Reports().size(), 2u);
}

TEST_F(SellPass, RuleCheckQueuesNothingWhileAPassRuns) {
  broker_.peer.SetDomesticBalance({}, {{"A005930", "삼성전자", 10, -1, 60000, 61000}});
  StockTrade_s* h = Held(L"005930", 10, 61000);
  Queue(h);
  StockTrade_s* other = AddHolding(L"035720", L"카카오");
  other->steps[0] = -3;
  size_t queuedDuringPass = 99;
  bool runningDuringPass = false;
  window_.onSound = [&] {
    runningDuringPass = engine_.SellPassRunning();
    Check(other, -5.0, 1);
    queuedDuringPass = QueueSize();
  };
  engine_.RunSellPass(curl_);
  EXPECT_TRUE(runningDuringPass);
  EXPECT_EQ(queuedDuringPass, 0u);
  EXPECT_EQ(other->sell_signal, 2) << "the decision is still made";
  window_.onSound = nullptr;
  Check(other, -5.0, 1);
  EXPECT_EQ(QueueSize(), 1u) << "after the pass the next check queues";
}

TEST_F(SellPass, ThePassRunsOnTheSellWorkerWhenTheRuleCheckQueues) {
  broker_.peer.SetDomesticBalance({}, {{"A005930", "삼성전자", 10, -1, 60000, 61000}});
  StockTrade_s* h = Held(L"005930", 10, 9000);
  h->steps[0] = -3;
  ASSERT_EQ(engine_.StartWorkerThreads(), kEngineWorkerCount);
  engine_.CheckStockRules(h, 9000, 1, nullptr);
  for (int i = 0; i < 500 && Reports().empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(engine_.StopWorkerThreads());
  ASSERT_EQ(Orders().size(), 1u);
  EXPECT_NE(Orders()[0].body.find("\"OrdQty\":10,"), std::string::npos);
  EXPECT_EQ(Reports().size(), 1u);
  EXPECT_DOUBLE_EQ(h->quantity, 0);
}

TEST_F(SellPass, UserOrderIsCutToThePerOrderLimit) {
  bool added = false;
  Stock_s* stock = GfxAddStockToMap(&engine_.Stocks().Master(), L"005930", 1, 0, 0, &added);
  stock->cur_price = 60000;
  engine_.Accounts()[L"acc-1"] = &agent_->m_accountRecord;
  double cut = -1;
  TradeOrderResult_s result;
  std::wstring notice;
  EXPECT_EQ(engine_.PlaceUserOrder(curl_, 1, L"ACC-1", nullptr, &cut, 1, 1, 1, 60000, 10, 0,
                                   &result, &notice),
            kOrderNoStock);
  EXPECT_EQ(engine_.PlaceUserOrder(curl_, 1, L"ACC-1", stock, &cut, 1, 1, 1, 60000, 10, 0, &result,
                                   &notice),
            0);
  EXPECT_NEAR(cut, 10 - 500000.0 / 60000.0, 1e-9);
  ASSERT_EQ(Orders().size(), 1u);
  EXPECT_NE(Orders()[0].body.find("\"OrdQty\":8,"), std::string::npos) << Orders()[0].body;
  EXPECT_NE(Orders()[0].body.find("\"OrdPrc\":0,"), std::string::npos) << "market price";
  EXPECT_EQ(notice, L"주문-매수 : 60000 x 8 = 500000\r\n주문 : 8 / 잔량 : 0");
  // A manual order gets a history row from the stock, with whole shares.
  ASSERT_EQ(window_.historyRows.size(), 1u);
  EXPECT_FALSE(window_.historyRows[0].fromHolding);
  EXPECT_DOUBLE_EQ(window_.historyRows[0].quantity, 8);
  EXPECT_DOUBLE_EQ(window_.historyRows[0].profitRate, 0);
  EXPECT_EQ(window_.historyRows[0].orderTime, L"09:00:00.000");
}

}  // namespace
