// The per-stock rules: the ladder, the step found for a rate, the sell decision on the way down
// and at the stop-loss, the queueing gates, and the split-sell sizing.

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>

#include "platform/support/TextConv.h"
#include "plugin/community/HoldingsSyncWorker.h"
#include "tests/plugin/engine/RulesFixture.h"

namespace {

using StockRules = RulesFixture;

TEST_F(StockRules, LadderRisesByTheWidthForFifteenStepsThenByThreeWidths) {
  StockTrade_s* h = AddHolding(L"005930", L"삼성전자");
  h->min_take_profit = 4.0;
  h->step_width = 1.5;
  h->auto_trade = 1;
  EXPECT_EQ(engine_.BuildStockLadder(h, 1), 1);
  EXPECT_DOUBLE_EQ(h->stairs[0].threshold, 4.0);
  for (int k = 1; k < 15; ++k)
    EXPECT_DOUBLE_EQ(h->stairs[k].threshold, h->stairs[k - 1].threshold + 1.5) << k;
  for (int k = 15; k < kStockStairCount; ++k)
    EXPECT_DOUBLE_EQ(h->stairs[k].threshold, h->stairs[k - 1].threshold + 4.5) << k;
  for (int k = 0; k + 1 < kStockStairCount; ++k)
    EXPECT_DOUBLE_EQ(h->stairs[k].upper, h->stairs[k + 1].threshold);
  EXPECT_DOUBLE_EQ(h->stairs[29].upper, h->stairs[29].threshold + 4.5);
  EXPECT_EQ(h->stairs_text.substr(0, 24), L"●4.0~ 5.5%\r\n●5.5~ 7.0%\r\n");
  EXPECT_EQ(h->stairs_rebuild, 0);

  // The first-band correction widens only the gap to the second step.
  h->first_band_on = 1;
  h->first_band_correction = 0.7;
  h->auto_trade = 0;
  engine_.BuildStockLadder(h, 0);
  EXPECT_DOUBLE_EQ(h->stairs[1].threshold, 4.0 + 0.7 + 1.5);
  EXPECT_DOUBLE_EQ(h->stairs[2].threshold, 4.0 + 0.7 + 3.0);
  EXPECT_EQ(h->stairs_text.substr(0, 11), L"4.0~ 6.2%\r\n");
}

TEST_F(StockRules, LadderTextWritesEveryStepAsPrintfWritesItsOneDecimal) {
  // Values on and next to a rounding boundary, negative ones, large ones and the special values:
  // the text must be what "%s%.1f~ %.1f%%\r\n" makes of each step.
  struct Case {
    double first;
    double width;
  };
  const Case cases[] = {{4.0, 1.5},    {0.05, 0.1},  {0.15, 0.25}, {2.675, 0.35}, {-0.04, 0.02},
                        {-3.25, 1.05}, {1e15, 0.05}, {1e22, 3.0},  {0.0, 0.0},    {NAN, 1.0},
                        {INFINITY, 1.0}, {-INFINITY, 2.0}};
  StockTrade_s* h = AddHolding(L"005930", L"삼성전자");
  for (const Case& c : cases) {
    for (int autoTrade : {0, 1}) {
      h->min_take_profit = c.first;
      h->step_width = c.width;
      h->first_band_on = 0;
      h->auto_trade = autoTrade;
      engine_.BuildStockLadder(h, 0);
      std::string expected;
      for (const StockStair_s& stair : h->stairs) {
        char line[160];
        std::snprintf(line, sizeof line, "%s%.1f~ %.1f%%\r\n", autoTrade ? "●" : "",
                      stair.threshold, stair.upper);
        expected += line;
      }
      EXPECT_EQ(h->stairs_text, Utf8ToWide(expected)) << c.first << " " << c.width;
    }
  }
}

TEST_F(StockRules, TheViewsRecomputeTakesTheOptionWidthAndDecidesTheFirstBand) {
  StockTrade_s* h = AddHolding(L"005930", L"삼성전자");
  h->min_take_profit = 5.0;
  h->profit_rate = 8.0;  // 3 points above the minimum take-profit
  engine_.Options().step_width = 2.5;
  engine_.RecomputeStockLadder(h, 0.4, 0.8, 1);
  EXPECT_DOUBLE_EQ(h->step_width, 2.5);
  EXPECT_EQ(h->first_band_on, 1);
  EXPECT_DOUBLE_EQ(h->stairs[1].threshold, 5.0 + 0.8 + 2.5);
  h->profit_rate = 16.0;  // 11 points above: no correction
  engine_.RecomputeStockLadder(h, 3.0, 0.8, 1);
  EXPECT_EQ(h->first_band_on, 0);
  EXPECT_DOUBLE_EQ(h->stairs[1].threshold, 8.0);
}

TEST_F(StockRules, StepIsTheLastThresholdTheRateLiesStrictlyAbove) {
  StockTrade_s* h = AddHolding(L"005930", L"삼성전자");
  h->auto_trade = 0;
  // Ladder 5, 7, 9, ... 33 (entry 15), then 39, 45, ... 123 (entry 30).
  const double rate = Check(h, 12.0, 0);
  EXPECT_NEAR(rate, 12.0, 1e-9);
  EXPECT_DOUBLE_EQ(h->profit_rate, rate);
  EXPECT_DOUBLE_EQ(h->shown_profit_rate, rate);
  EXPECT_EQ(h->cur_step, 4);
  EXPECT_DOUBLE_EQ(h->step_threshold, 11.0);

  // A rate exactly equal to a threshold does not reach that step.
  engine_.ResetStockStairs(h);
  h->min_take_profit = Check(h, 6.0, 0);
  h->stairs_rebuild = 1;
  Check(h, 6.0, 0);
  EXPECT_EQ(h->cur_step, -1);
  EXPECT_DOUBLE_EQ(h->step_threshold, 0);
  h->stairs[0].threshold = std::nextafter(h->stairs[0].threshold, 0.0);
  Check(h, 6.0, 0);
  EXPECT_EQ(h->cur_step, 1);

  // Above all thirty thresholds: step 30.
  h->min_take_profit = 5.0;
  h->stairs_rebuild = 1;
  Check(h, 500.0, 0);
  EXPECT_EQ(h->cur_step, 30);
  EXPECT_DOUBLE_EQ(h->step_threshold, 123.0);
  EXPECT_EQ(h->peak_step, 30);
}

TEST_F(StockRules, HoldingWithoutStockOrQuantityAnswersZeroAndChangesNothing) {
  StockTrade_s* h = AddHolding(L"005930", L"삼성전자", 0);
  int sell = -1;
  EXPECT_EQ(engine_.CheckStockRules(h, PriceFor(20), 1, &sell), 0.0);
  EXPECT_EQ(sell, 0);
  EXPECT_EQ(h->cur_step, -1);
  EXPECT_EQ(engine_.CheckStockRules(nullptr, 1, 1, &sell), 0.0);
  h->quantity = 5;
  h->stock = nullptr;
  EXPECT_EQ(engine_.CheckStockRules(h, PriceFor(20), 1, &sell), 0.0);
  EXPECT_EQ(QueueSize(), 0u);
}

// A fall from step 5 to step 3 sells once per allowed interval while the rate stays below the
// peak, until the maximum orders per step is reached.
TEST_F(StockRules, FallFromFiveToThreeSellsOncePerIntervalUpToTheStepLimit) {
  engine_.Options().min_order_gap_ms = 20000;
  engine_.Options().max_orders_per_step = 2;
  engine_.Options().step_hold_ms = 0;
  StockTrade_s* h = AddHolding(L"005930", L"삼성전자");
  int sell = -1;
  Check(h, 14.0, 1, &sell);  // step 5 (above 13)
  EXPECT_EQ(h->cur_step, 5);
  EXPECT_EQ(sell, 0);
  EXPECT_EQ(h->peak_step, 5);

  clock_.Advance(1000);
  Check(h, 10.0, 1, &sell);  // step 3: a fall
  EXPECT_EQ(h->cur_step, 3);
  EXPECT_EQ(h->peak_step, 5) << "the peak stays at the highest step";
  EXPECT_EQ(sell, 1);
  EXPECT_EQ(h->sell_signal, 2);
  ASSERT_EQ(QueueSize(), 1u);
  EXPECT_EQ(engine_.OrderQueue().begin()->second, 9999);
  EXPECT_EQ(h->order_count, 1);
  EXPECT_EQ(h->order_kind, 2);
  EXPECT_DOUBLE_EQ(h->step_orders, 1);
  EXPECT_NEAR(h->first_order_rate, 10.0, 1e-9);
  EXPECT_EQ(h->last_sell_tick, clock_.NowTick());
  EXPECT_TRUE(engine_.WorkEvent(EngineWorker::kSell)->IsSet());
  EXPECT_EQ(LogsStartingWith(L"▶ 주문 등록...(현금/신용:1) [005930 삼성전자] step(3/5), (1001.00s)")
                .size(),
            1u);

  // Still queued: the duplicate is skipped and counts nothing.
  clock_.Advance(1000);
  Check(h, 10.0, 1, &sell);
  EXPECT_EQ(sell, 1);
  EXPECT_EQ(QueueSize(), 1u);
  EXPECT_EQ(h->order_count, 1);
  EXPECT_EQ(LogsStartingWith(L"● 이미 등록됨...(현금/신용:1) [005930 삼성전자] SKIP").size(), 1u);

  // Taken by the sell pass (which notes the rate it sold at); the next check inside the
  // interval waits.
  DrainQueue();
  h->rate_at_last_sell = h->profit_rate;
  clock_.Advance(5000);
  Check(h, 10.0, 1, &sell);
  EXPECT_EQ(QueueSize(), 0u);
  const auto waiting = LogsStartingWith(
      L"* sell_signal...(현금/신용:1) [005930 삼성전자] step(3/5) 아직 시간 안됨 (6.00s)");
  EXPECT_EQ(waiting.size(), 1u);

  // After the interval: the second order of this step.
  clock_.Advance(15000);
  Check(h, 10.0, 1, &sell);
  EXPECT_EQ(QueueSize(), 1u);
  EXPECT_DOUBLE_EQ(h->step_orders, 2);
  DrainQueue();

  // The step's limit is reached: no more sells at step 3.
  clock_.Advance(60000);
  Check(h, 10.0, 1, &sell);
  EXPECT_EQ(sell, 0);
  EXPECT_EQ(h->sell_signal, 0);
  EXPECT_EQ(QueueSize(), 0u);
  EXPECT_EQ(h->order_count, 2);
}

TEST_F(StockRules, StepHoldTimeEndsTheSellsOfAStep) {
  engine_.Options().min_order_gap_ms = 0;
  engine_.Options().max_orders_per_step = 0;
  engine_.Options().step_hold_ms = 60000;
  StockTrade_s* h = AddHolding(L"005930", L"삼성전자");
  h->auto_trade = 0;
  int sell = -1;
  Check(h, 14.0, 1, &sell);
  Check(h, 10.0, 1, &sell);
  EXPECT_EQ(sell, 1);
  EXPECT_EQ(QueueSize(), 0u) << "automatic trading off: signalled, never queued";
  clock_.Advance(60000);
  Check(h, 10.0, 1, &sell);
  EXPECT_EQ(sell, 1) << "exactly the hold time is still inside it";
  clock_.Advance(1);
  Check(h, 10.0, 1, &sell);
  EXPECT_EQ(sell, 0);
}

TEST_F(StockRules, RiseBackAfterAFallKeepsTheHigherPeakAndDoesNotSellOnTheWayUp) {
  engine_.Options().min_order_gap_ms = 0;
  StockTrade_s* h = AddHolding(L"005930", L"삼성전자");
  int sell = -1;
  Check(h, 14.0, 1, &sell);  // 5
  Check(h, 10.0, 1, &sell);  // 3: sells
  EXPECT_EQ(sell, 1);
  DrainQueue();
  Check(h, 12.0, 1, &sell);  // 4: on the way up
  EXPECT_EQ(h->cur_step, 4);
  EXPECT_EQ(sell, 0);
  EXPECT_EQ(h->peak_step, 5);
  EXPECT_EQ(QueueSize(), 0u);
  Check(h, 12.0, 1, &sell);  // still 4, below the peak
  EXPECT_EQ(sell, 1);
  DrainQueue();
  Check(h, 16.0, 1, &sell);  // 6: above the old peak
  EXPECT_EQ(sell, 0);
  EXPECT_EQ(h->peak_step, 6);
  Check(h, 16.0, 1, &sell);
  EXPECT_EQ(sell, 0) << "at the peak nothing sells";

  // Below the ladder: every check sells and the peak becomes 1.
  Check(h, 2.0, 1, &sell);
  EXPECT_EQ(sell, 1);
  EXPECT_EQ(h->cur_step, -1);
  EXPECT_EQ(h->peak_step, 1);
  EXPECT_DOUBLE_EQ(h->first_threshold, 5.0);
  DrainQueue();
  Check(h, 2.0, 1, &sell);
  EXPECT_EQ(sell, 1);

  // A reset returns the holding to the state before its first step.
  EXPECT_EQ(engine_.ResetAllStockStairs(), 1);
  EXPECT_EQ(h->peak_step, -1);
  EXPECT_EQ(h->prev_step, -1);
  EXPECT_EQ(LogsStartingWith(L"[계단 초기화] 1 종목").size(), 1u);
  Check(h, 2.0, 1, &sell);
  EXPECT_EQ(sell, 0);
}

TEST_F(StockRules, StopLossWithTheFloorOffsetAndTheStepMargin) {
  engine_.Options().min_order_gap_ms = 0;
  struct Case {
    double stop, offset, rate;
    uint8_t reverse;
    int sell;
  } cases[] = {
      {-3, -10, -5, 0, 1},      // below the stop-loss, above its floor
      {-3, -10, -14, 0, 0},     // below the floor -13: withdrawn
      {-3, -100, -14, 0, 1},    // the floor is off
      {-3, -0.5, -14, 0, 1},    // an offset outside [-99, -1] is off
      {-3, -10, -2, 0, 0},      // above the stop-loss
      {-100, -100, -60, 0, 0},  // -100: no stop-loss
      {3, -100, 4, 1, 1},       // reverse: fires above the stop-loss
      {3, -100, 2, 1, 0},
  };
  int n = 0;
  for (const Case& c : cases) {
    engine_.Options().stop_floor_offset[0] = c.offset;
    StockTrade_s* h = AddHolding((L"00000" + std::to_wstring(n)).c_str(), L"종목");
    h->reverse = c.reverse;
    h->steps[0] = c.stop;
    int sell = -1;
    const double rate =
        engine_.CheckStockRules(h, kAvg * (1.0 + (c.reverse ? -c.rate : c.rate) / 100.0), 0, &sell);
    EXPECT_EQ(sell, c.sell) << n << " rate " << rate;
    EXPECT_DOUBLE_EQ(h->stop_loss_rate, c.stop);
    ++n;
  }

  // Step margin 0.5: a fall that lands more than 0.5 below the next step does not sell.
  engine_.Options().step_margin = -0.5;
  StockTrade_s* h = AddHolding(L"000900", L"마진");
  int sell = -1;
  Check(h, 14.0, 0, &sell);
  Check(h, 9.2, 0, &sell);  // step 3, 1.8 below step 4's 11
  EXPECT_EQ(sell, 0);
  StockTrade_s* h2 = AddHolding(L"000901", L"마진2");
  Check(h2, 14.0, 0, &sell);
  Check(h2, 10.8, 0, &sell);  // 0.2 below
  EXPECT_EQ(sell, 1);
}

// A holding without a price (a coin before its first quote) is not judged: a price of 0 is no
// loss of 100% to sell at the market.
TEST_F(StockRules, HoldingWithoutAPriceIsNotJudged) {
  engine_.Options().min_order_gap_ms = 0;
  engine_.Options().stop_floor_offset[0] = -100;
  StockTrade_s* h = AddHolding(L"000950", L"가격없음");
  h->steps[0] = -5;
  h->auto_trade = 1;
  int sell = -1;
  EXPECT_EQ(engine_.CheckStockRules(h, 0, 1, &sell), 0.0);
  EXPECT_EQ(sell, 0);
  EXPECT_EQ(QueueSize(), 0u);
  // With a price, the same holding at -10% is sold at its stop-loss.
  engine_.CheckStockRules(h, kAvg * 0.9, 1, &sell);
  EXPECT_EQ(sell, 1);
}

TEST_F(StockRules, TimeGateOpensOnePointAboveTheLastSellRate) {
  engine_.Options().min_order_gap_ms = 20000;
  StockTrade_s* h = AddHolding(L"005930", L"삼성전자");
  h->steps[0] = -3;
  h->last_sell_tick = clock_.NowTick();
  h->rate_at_last_sell = -5.0;
  Check(h, -4.2, 1);  // 0.8 above: waits
  EXPECT_EQ(QueueSize(), 0u);
  Check(h, -3.9, 1);  // 1.1 above: passes at once
  EXPECT_EQ(QueueSize(), 1u);
  // A mayQueue other than 1 only answers.
  DrainQueue();
  clock_.Advance(30000);
  int sell = -1;
  Check(h, -3.9, 0, &sell);
  EXPECT_EQ(sell, 1);
  EXPECT_EQ(QueueSize(), 0u);
}

TEST_F(StockRules, DuplicateKeyIncludesTheCashCreditKindAndTheAccount) {
  engine_.Options().min_order_gap_ms = 0;
  StockTrade_s* cash = AddHolding(L"005930", L"삼성전자", 10, 1);
  StockTrade_s* credit = AddHolding(L"005930", L"삼성전자", 10, 1, 2);
  StockTrade_s* other = AddHolding(L"005930", L"삼성전자", 10, 2);
  other->account_no = 2;
  for (StockTrade_s* h : {cash, credit, other}) {
    h->steps[0] = -3;
    Check(h, -5.0, 1);
  }
  EXPECT_EQ(QueueSize(), 3u);
  EXPECT_TRUE(LogsStartingWith(L"● 이미 등록됨").empty());
}

TEST_F(StockRules, SplitSellSizing) {
  StockTrade_s* h = AddHolding(L"005930", L"삼성전자", 7);
  // -50: half of the target, whole shares for domestic stocks, at least one.
  EXPECT_DOUBLE_EQ(engine_.CalcSplitSellQty(h, 10000, -50), 3);
  h->quantity = 1;
  EXPECT_DOUBLE_EQ(engine_.CalcSplitSellQty(h, 10000, -50), 1);
  EXPECT_DOUBLE_EQ(engine_.CalcSplitSellQty(h, 0, -50), 1);
  EXPECT_DOUBLE_EQ(h->split_value, 0);
  // The per-order limit caps the value of a percentage split.
  h->quantity = 100;
  EXPECT_DOUBLE_EQ(engine_.CalcSplitSellQty(h, 60000, -50), 8);  // 500,000 / 60,000
  EXPECT_DOUBLE_EQ(h->split_value, 500000);
  // An amount: value / price, at most the target; 0 takes the view's split amount.
  EXPECT_DOUBLE_EQ(engine_.CalcSplitSellQty(h, 60000, 200000), 3);
  EXPECT_DOUBLE_EQ(engine_.CalcSplitSellQty(h, 60000, 0), 8);
  h->quantity = 2;
  EXPECT_DOUBLE_EQ(engine_.CalcSplitSellQty(h, 60000, 0), 2);
  EXPECT_DOUBLE_EQ(h->split_value, 120000);
  EXPECT_DOUBLE_EQ(engine_.CalcSplitSellQty(h, 0, 100000), 0);
  // An overseas stock: the amount in won becomes dollars.
  h->stock->market = kMarketOverseas;
  h->stock->market_letter = 'N';
  h->quantity = 100;
  engine_.Options().exchange_rate = 1250;
  EXPECT_DOUBLE_EQ(engine_.CalcSplitSellQty(h, 100, 500000), 4);

  // The sell ratio: clamped, sizes the target and the remaining quantity.
  h->stock->market = kMarketDomestic;
  h->stock->market_letter = '1';
  h->quantity = 10;
  h->sold_amount = 77;
  EXPECT_DOUBLE_EQ(engine_.SetHoldingSellRatio(h, 10000, 3), 100);
  EXPECT_DOUBLE_EQ(h->remaining_qty, 0);
  EXPECT_DOUBLE_EQ(engine_.SetHoldingSellRatio(h, 10000, 60), 60);
  EXPECT_DOUBLE_EQ(h->remaining_qty, 4);
  EXPECT_DOUBLE_EQ(h->sell_balance, 2);
  EXPECT_DOUBLE_EQ(h->sold_amount, 0);
  EXPECT_DOUBLE_EQ(h->sizing_qty, 10);
  EXPECT_DOUBLE_EQ(engine_.CalcSellTarget(h, 10000, 0, 2, -50), 6);
  EXPECT_DOUBLE_EQ(h->sell_split_qty, 3);
}

TEST_F(StockRules, StairsWithStepPricesFromTheBasePrice) {
  StockTrade_s* h = AddHolding(L"005930", L"삼성전자");
  h->step_width = 2;
  h->min_take_profit = 5;
  h->step_base_price = 10000;
  h->stairs[3].order_count = 4;
  h->stairs[3].flag = 1;
  engine_.Options().step_margin = 1.0;
  engine_.ComputeStockStairs(h, 0);
  EXPECT_DOUBLE_EQ(h->stairs[0].threshold, 5);
  EXPECT_DOUBLE_EQ(h->stairs[14].threshold, 33);
  EXPECT_DOUBLE_EQ(h->stairs[15].threshold, 39);
  EXPECT_DOUBLE_EQ(h->stairs[0].step_price, 10500);
  EXPECT_DOUBLE_EQ(h->stairs[0].sell_down_price, 10400);
  EXPECT_EQ(h->stairs[3].order_count, 4) << "kept without reset";
  EXPECT_EQ(h->stairs[3].flag, 0);
  h->reverse = 1;
  engine_.ComputeStockStairs(h, 1);
  EXPECT_DOUBLE_EQ(h->stairs[0].sell_down_price, 9500);
  EXPECT_DOUBLE_EQ(h->stairs[0].step_price, 9600);
  EXPECT_EQ(h->stairs[3].order_count, 0);
}

}  // namespace

namespace {

TEST(HoldingsSyncWorkerTable, StartsAndStopsWithTheWorkers) {
  FakeEngineWindow window;
  CPelomarEngine engine(&window);
  EXPECT_EQ(engine.HoldingsSync(), nullptr);
  ASSERT_EQ(engine.CreateEvents(), 1);
  ASSERT_EQ(engine.StartWorkerThreads(), kEngineWorkerCount);
  CHoldingsSyncWorker* sync = engine.HoldingsSync();
  ASSERT_NE(sync, nullptr);
  EXPECT_TRUE(sync->IsRunning());
  sync->SyncEvent().Set();
  for (int i = 0; i < 500 && sync->StepCount() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  EXPECT_EQ(sync->StepCount(), 1);
  EXPECT_TRUE(engine.StopWorkerThreads());
  EXPECT_EQ(engine.HoldingsSync(), nullptr);
  // A restart makes it again.
  engine.StopEvent()->Reset();
  ASSERT_EQ(engine.StartWorkerThreads(), kEngineWorkerCount);
  EXPECT_NE(engine.HoldingsSync(), nullptr);
  EXPECT_TRUE(engine.StopWorkerThreads());
}

}  // namespace
