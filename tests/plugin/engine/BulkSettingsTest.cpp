// Automatic trading switched for all holdings at once: which holdings qualify, what changes
// on them, the scope filter by group and the trading-log lines.

#include <algorithm>
#include <fstream>
#include <sstream>

#include "tests/plugin/engine/EngineTestSupport.h"
#include "tests/plugin/engine/RulesFixture.h"

namespace {

class BulkAutoTradeTest : public RulesFixture {
 protected:
  // A holding at `price` showing `rate` percent, stop-loss at `stop` percent of base 10,000;
  // its state marks what a switch must reset (steps reached, an order time, switched off).
  StockTrade_s* Make(const wchar_t* code, double price, double rate, double stop,
                     uint8_t reverse = 0, uint8_t group = 0) {
    StockTrade_s* h = AddHolding(code, code);
    h->stock->cur_price = price;
    h->profit_rate = rate;
    h->stop_loss_rate = stop;
    h->step_base_price = kAvg;
    h->reverse = reverse;
    h->auto_group = group;
    h->auto_trade = 0;
    h->stock->listing.auto_trade = 0;
    h->cur_step = 4;
    h->peak_step = 6;
    h->step_orders = 2;
    h->stairs[3].order_count = 5;
    h->last_sell_tick = 777;
    h->last_buy_tick = 888;
    h->sell_ratio = 60;
    all_.push_back(h);
    keys_.push_back(KeyOf(h));
    return h;
  }
  static bool StairsReset(const StockTrade_s* h) {
    return h->cur_step == -1 && h->peak_step == -1 && h->step_orders == 0 &&
           h->stairs[3].order_count == 0;
  }
  std::string TradingLog() {
    std::ifstream in(engine_.Logs().GetTradingLogPath());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // Windows name holdings by key, never by record.
  static HoldingKey_s KeyOf(const StockTrade_s* h) {
    return HoldingKey_s{h->account_no, h->code, h->holding_kind};
  }
  static bool Listed(const std::vector<HoldingRow_s>& rows, const StockTrade_s* h) {
    return std::any_of(rows.begin(), rows.end(),
                       [h](const HoldingRow_s& row) { return row.key.code == h->code; });
  }

  std::vector<StockTrade_s*> all_;
  std::vector<HoldingKey_s> keys_;
};

TEST_F(BulkAutoTradeTest, QualifyingHoldingsAreSwitchedAndTheRestSkipped) {
  TempDataFolder data;
  engine_.Logs().SetLogFolder(data.WidePath());
  struct Case {
    const char* what;
    StockTrade_s* h;
    bool qualifies;
  };
  const Case cases[] = {
      {"price above the stop-loss price", Make(L"000010", 11000, 10, -5), true},
      {"no price", Make(L"000020", 0, 10, -5), false},
      {"profit rate below the stop-loss rate", Make(L"000030", 11000, -10, -5), false},
      {"profit rate equal to the stop-loss rate", Make(L"000040", 11000, -5, -5), false},
      {"price at or below the stop-loss price", Make(L"000050", 9500, 0, -5), false},
      // Reverse holdings lose as the price rises: their stop-loss price lies above the base.
      {"reverse, price below its stop-loss price", Make(L"000060", 10000, 1, -5, 1), true},
      {"reverse, price above its stop-loss price", Make(L"000070", 10600, 1, -5, 1), false},
  };
  std::vector<HoldingRow_s> qualified;
  EXPECT_EQ(engine_.SetAutoTradeForHoldings(keys_, true, 0, &qualified), 2);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Listed(qualified, c.h), c.qualifies);
    EXPECT_EQ(c.h->auto_trade, c.qualifies ? 1 : 0);
    EXPECT_EQ(c.h->stock->listing.auto_trade, c.qualifies ? 1 : 0);
    EXPECT_EQ(StairsReset(c.h), c.qualifies);
    EXPECT_EQ(c.h->last_sell_tick, c.qualifies ? 0u : 777u);
    EXPECT_EQ(c.h->last_buy_tick, c.qualifies ? 0u : 888u);
    // The sell ratio was applied: the split target was sized for 60 % of the 10 shares.
    EXPECT_EQ(c.h->remaining_qty, c.qualifies ? 4.0 : 0.0);
    EXPECT_EQ(c.h->stairs_rebuild, c.qualifies ? 0 : 1);
  }

  // Off again: the same holdings switch off and the log has both lines.
  EXPECT_EQ(engine_.SetAutoTradeForHoldings(keys_, false, 0, nullptr), 2);
  EXPECT_EQ(cases[0].h->auto_trade, 0);
  EXPECT_EQ(cases[0].h->stock->listing.auto_trade, 0);
  const std::string log = TradingLog();
  const size_t on = log.find(",28,전종목.자동매도.설정,");
  const size_t off = log.find(",29,전종목.자동매도.해제,");
  ASSERT_NE(on, std::string::npos) << log;
  ASSERT_NE(off, std::string::npos) << log;
  EXPECT_LT(on, off);
}

TEST_F(BulkAutoTradeTest, OnlyHoldingsOfTheScopesGroupAreSwitchedAndCounted) {
  StockTrade_s* master = Make(L"000110", 11000, 10, -5, 0, 0);
  StockTrade_s* second = Make(L"000120", 11000, 10, -5, 0, 1);
  std::vector<HoldingRow_s> qualified;
  EXPECT_EQ(engine_.SetAutoTradeForHoldings(keys_, true, 1, &qualified), 1);
  EXPECT_EQ(second->auto_trade, 1);
  EXPECT_EQ(second->last_sell_tick, 0u);
  // The other group's holding still qualifies (its row check and stairs are refreshed) but
  // keeps its switch and order times.
  ASSERT_EQ(qualified.size(), 2u);
  // The rows handed back show the holdings as the switch left them.
  for (const HoldingRow_s& row : qualified)
    EXPECT_EQ(row.autoTrade, row.key.code == second->code) << row.key.code;
  EXPECT_EQ(master->auto_trade, 0);
  EXPECT_EQ(master->stock->listing.auto_trade, 0);
  EXPECT_EQ(master->last_sell_tick, 777u);
  EXPECT_TRUE(StairsReset(master));

  EXPECT_EQ(engine_.SetAutoTradeForHoldings(keys_, true, 0, nullptr), 1);
  EXPECT_EQ(master->auto_trade, 1);
}

TEST_F(BulkAutoTradeTest, RisksCountUnpricedAndBelowStopLossHoldings) {
  Make(L"000210", 11000, 10, -5);  // fine
  StockTrade_s* unpriced = Make(L"000220", 0, 10, -5);
  Make(L"000230", 9000, -10, -5);  // below its stop-loss
  Make(L"000240", 500, -97, -5);   // written off: not counted
  Make(L"000250", 0, -10, -5);     // no price counts before the rate
  const auto risks = engine_.CountAutoTradeRisks(keys_);
  EXPECT_EQ(risks.noPrice, 2);
  EXPECT_EQ(risks.belowStopLoss, 1);
  EXPECT_TRUE(risks.hasFirst);
  EXPECT_EQ(risks.firstCode, unpriced->code);
  EXPECT_DOUBLE_EQ(risks.firstPrice, 0);

  const std::vector<HoldingKey_s> safe(keys_.begin(), keys_.begin() + 1);
  const auto none = engine_.CountAutoTradeRisks(safe);
  EXPECT_EQ(none.noPrice + none.belowStopLoss, 0);
  EXPECT_FALSE(none.hasFirst);
}

TEST(BulkAutoTradePrices, StopLossAndCoinPrices) {
  Stock_s coin;
  coin.market = kMarketCoin;
  coin.cur_price = 1;
  coin.coin_prices[0] = 50000;
  coin.coin_prices[1] = 0.002;
  StockTrade_s h;
  h.stock = &coin;
  h.quote_currency = 1;
  EXPECT_DOUBLE_EQ(CPelomarEngine::HoldingPrice(&h), 0.002);
  h.quote_currency = 0;
  EXPECT_DOUBLE_EQ(CPelomarEngine::HoldingPrice(&h), 50000);
  h.stock = nullptr;
  EXPECT_EQ(CPelomarEngine::HoldingPrice(&h), 0);
  EXPECT_FALSE(CPelomarEngine::QualifiesForAutoTradeAll(&h));

  h.step_base_price = 1000;
  h.stop_loss_rate = -10;
  EXPECT_DOUBLE_EQ(CPelomarEngine::StopLossPrice(&h), 900);
  h.reverse = 1;
  EXPECT_DOUBLE_EQ(CPelomarEngine::StopLossPrice(&h), 1100);
}

}  // namespace
