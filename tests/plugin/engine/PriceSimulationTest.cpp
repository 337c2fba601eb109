// The price simulation: the replay of a price log at a third of its gaps (long gaps not
// waited for), its progress report, the change-rate cycle, and that no order reaches the
// loopback broker while the rules fire on simulated prices, nor after the run ends.

#include <gtest/gtest.h>

#include <curl/curl.h>

#include <string>
#include <vector>

#include "platform/stocklib/StockAgentBase.h"
#include "tests/plugin/engine/BrokerPeerSetup.h"
#include "tests/plugin/engine/RulesFixture.h"

namespace {

using orv::test::DbBrokerPeer;

// An engine whose rule check can stand in for the sell worker: right after a check that
// queued an order it runs the sell pass, as the sell worker would while the run goes on.
class SimulatingEngine : public CPelomarEngine {
 public:
  using CPelomarEngine::CPelomarEngine;
  ~SimulatingEngine() override { StopWorkerThreads(); }
  double CheckStockRules(StockTrade_s* holding, double price, int mayQueue,
                         int* outSell) override {
    const double rate = CPelomarEngine::CheckStockRules(holding, price, mayQueue, outSell);
    checkedPrices.push_back(price);
    if (afterCheck) afterCheck(*this);
    return rate;
  }
  std::vector<double> checkedPrices;
  std::function<void(SimulatingEngine&)> afterCheck;
};

// A price line as the price log holds it.
std::string PriceLine(const char* code, const char* time, double price, double rate = 0) {
  char line[200];
  std::snprintf(line, sizeof line, "1,\"%s\",12345,\"2025-01-06 %s\",%.2f,%.2f,%.2f,%.2f,%.2f\n",
                code, time, price, rate, price - 10, price - 20, price + 20);
  return line;
}

class PriceSimulation : public ::testing::Test {
 protected:
  PriceSimulation() : clock_(1000000), scoped_(clock_), engine_(&window_) {
    engine_.Logs().SetLogFolder(data_.WidePath());
    engine_.CreateEvents();
    engine_.m_signedInUser.store(1);
  }
  Stock_s* Listed(const wchar_t* code, double price) {
    bool added = false;
    Stock_s* stock =
        GfxAddStockToMap(&engine_.Stocks().Master(), code, kMarketDomestic, 0, 0, &added);
    stock->name = L"종목";
    stock->market_letter = '1';
    stock->cur_price = price;
    return stock;
  }
  StockTrade_s* Holding(Stock_s* stock, double qty, double avg) {
    auto* holding = new StockTrade_s();
    holding->stock = stock;
    std::wcsncpy(holding->code, stock->code, kStockCodeLen);
    holding->quantity = qty;
    holding->avg_price = avg;
    holding->account_index = 1;
    holding->account_no = 1;
    holding->holding_kind = 1;
    engine_.Stocks().Holdings().emplace(holding, 0);
    engine_.Stocks().InsertStockIntoList(&engine_.Stocks().Held(0), stock);
    return holding;
  }
  std::string WriteLog(const std::string& lines) {
    const std::string path = data_.Path() + "prices.csv";
    WriteBytes(path, lines);
    return path;
  }

  orv::win::FakeClock clock_;
  orv::win::ScopedClock scoped_;
  FakeEngineWindow window_;
  TempDataFolder data_;
  SimulatingEngine engine_;
};

TEST_F(PriceSimulation, ReplayWaitsAThirdOfEachGapUnderAMinuteAndSkipsLongerOnes) {
  Stock_s* stock = Listed(L"005930", 990);
  const std::string path =
      WriteLog(PriceLine("005930", "08:58:00", 900) +  // before the start time: not replayed
               PriceLine("005930", "09:00:00", 1000) + PriceLine("005930", "09:00:03", 1010) +
               PriceLine("999999", "09:00:03", 5) +  // not listed: skipped
               PriceLine("005930", "09:00:09", 1020) +
               PriceLine("005930", "09:01:39", 1030, 2.5));  // 90 s later: no wait
  ASSERT_EQ(engine_.ArmPriceSimulation(CPelomarEngine::kSimulationReplay, path), 1);
  EXPECT_EQ(engine_.SimulationMode(), 1);
  EXPECT_TRUE(engine_.WorkEvent(EngineWorker::kSimulation)->IsSet());
  const DWORD start = clock_.NowTick();

  engine_.RunSimulationStep();

  // 3 s -> 1000 ms, 0 s -> none, 6 s -> 2000 ms, 90 s -> none; then the 100 ms at the end.
  EXPECT_EQ(clock_.NowTick() - start, 3100u);
  EXPECT_DOUBLE_EQ(stock->cur_price, 1030);
  EXPECT_DOUBLE_EQ(stock->change_rate, 2.5);
  EXPECT_DOUBLE_EQ(stock->open_price, 1020);
  EXPECT_DOUBLE_EQ(stock->low_price, 1010);
  EXPECT_DOUBLE_EQ(stock->high_price, 1050);
  EXPECT_EQ(stock->changed, 1);
  EXPECT_DOUBLE_EQ(engine_.SimulationProgress(), 100.0);
  EXPECT_EQ(engine_.SimulationMode(), 0);
  EXPECT_FALSE(engine_.SimulationBusy());
  EXPECT_TRUE(engine_.PriceSeries().Records().empty()) << "the records are freed after the run";
  // One progress report: the first record more than a second after the last report.
  const auto notices = window_.notices;
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].kind, 3);
  EXPECT_EQ(notices[0].code, 9);
  EXPECT_EQ(notices[0].text, L"SIM[2025-01-06 09:00:09] 80.00%(3/5)");
  EXPECT_EQ(notices[0].value1, 3);
  EXPECT_EQ(notices[0].value2, 5);
}

TEST_F(PriceSimulation, ChangeRatesRepeatInOrderUntilStopped) {
  Stock_s* stock = Listed(L"005930", 1000);
  Holding(stock, 10, 1000);
  WriteBytes(data_.Path() + "rates.csv", "# rates\n1.0,a\n-2.0,b\nx,c\n0.5,d\n");
  ASSERT_EQ(engine_.ArmPriceSimulation(CPelomarEngine::kSimulationRates, data_.Path() + "rates.csv"),
            3);
  engine_.afterCheck = [](SimulatingEngine& e) {
    if (e.checkedPrices.size() == 7) e.StopPriceSimulation();
  };
  engine_.RunSimulationStep();
  const std::vector<double> expected = {1010, 990, 995, 1005, 985, 990, 1000};
  ASSERT_EQ(engine_.checkedPrices.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_NEAR(engine_.checkedPrices[i], expected[i], 1e-6) << "step " << i;
  EXPECT_EQ(engine_.SimulationMode(), 0);
  EXPECT_TRUE(engine_.PriceSeries().Rates().empty());
  EXPECT_EQ(engine_.ArmPriceSimulation(CPelomarEngine::kSimulationRates, data_.Path() + "none.csv"),
            0)
      << "no rate read: nothing armed";
  EXPECT_EQ(engine_.SimulationMode(), 0);
}

// The rules fire on replayed prices and the sell worker runs its pass, against the loopback
// DB broker: no order reaches it, during the run or after it.
class SimulationOrders : public PriceSimulation {
 protected:
  void SetUp() override {
    ASSERT_TRUE(broker_.Ready());
    broker_.Prepare(engine_);
    agent_ = broker_.LoginAgent(engine_);
    ASSERT_NE(agent_, nullptr);
    curl_ = curl_easy_init();
  }
  void TearDown() override {
    if (curl_) curl_easy_cleanup(curl_);
  }
  orv::test::BrokerPeerSetup broker_;
  CStockAgentBase* agent_ = nullptr;
  CURL* curl_ = nullptr;
};

TEST_F(SimulationOrders, NoOrderReachesTheBrokerWhileTheRulesFireOnSimulatedPrices) {
  broker_.peer.SetDomesticBalance({}, {{"A005930", "삼성전자", 10, -1, 10000, 11400}});
  engine_.Options().min_order_gap_ms = 20000;
  engine_.Options().max_orders_per_step = 2;
  engine_.Options().step_hold_ms = 0;
  engine_.Options().buy_fee_domestic = 0;
  engine_.Options().sell_fee_domestic = 0;
  engine_.Options().tax_rate = 0;
  Stock_s* stock = Listed(L"005930", 10000);
  StockTrade_s* holding = Holding(stock, 10, 10000);
  holding->account = &agent_->m_accountRecord;
  holding->auto_trade = 1;
  int passes = 0;
  std::vector<int> results;
  engine_.afterCheck = [&](SimulatingEngine& e) {
    bool queued;
    {
      orv::win::CSingleLock lock(&e.ViewLock(), TRUE);
      queued = !e.OrderQueue().empty();
    }
    if (!queued) return;
    ++passes;
    e.RunSellPass(curl_);
    results.push_back(holding->last_result);
  };
  // From +14 % down to +10 %: a fall of two steps, a sell decision.
  const std::string path = WriteLog(PriceLine("005930", "09:00:00", 11400) +
                                    PriceLine("005930", "09:00:03", 11000) +
                                    PriceLine("005930", "09:00:30", 11000));
  ASSERT_EQ(engine_.ArmPriceSimulation(CPelomarEngine::kSimulationReplay, path), 1);
  engine_.RunSimulationStep();

  EXPECT_GE(passes, 1) << "the rules fired on the replayed prices";
  for (int result : results) EXPECT_EQ(result, kOrderSimulationOn);
  EXPECT_TRUE(broker_.peer.RequestsTo(DbBrokerPeer::kDomesticOrderPath).empty());
  EXPECT_DOUBLE_EQ(holding->quantity, 10);

  // A decision queued as the run ends never goes out afterwards.
  {
    orv::win::CSingleLock lock(&engine_.ViewLock(), TRUE);
    EXPECT_TRUE(engine_.OrderQueue().empty());
  }
  EXPECT_EQ(engine_.RunSellPass(curl_), 0);
  EXPECT_TRUE(broker_.peer.RequestsTo(DbBrokerPeer::kDomesticOrderPath).empty());
}

}  // namespace
