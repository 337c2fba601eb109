// The per-stock trading rules: the profit ladder of thirty steps, the sell decision on the way
// down and at the stop-loss, the queueing of sell orders for the sell pass, and the split-sell
// sizing.

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <system_error>

#include "platform/stocklib/StockCalc.h"
#include "platform/support/TextConv.h"
#include "platform/win/Clock.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "plugin/view/engine/TextFormat.h"

using orv::win::CSingleLock;

namespace {

constexpr DWORD kRulesLogKind = 4;
constexpr int kOrderKindSell = 2;
constexpr int kQueuedValue = 9999;
// A rate this many points above the rate of the last sell passes the time gate.
constexpr double kTimeGateBypassPoints = 1.0;
// Ladder steps before the wide steps begin.
constexpr int kNarrowSteps = 15;
constexpr double kWideStepFactor = 3.0;
// The trading-log line of a queued order.
constexpr int kTradingLineQueued = 18;
// A stop-loss rate at or below this means no stop-loss.
constexpr double kNoStopLoss = -100.0;
// The floor offset is in force only inside this range.
constexpr double kFloorOffsetLowest = -99.0;
constexpr double kFloorOffsetHighest = -1.0;
// Split-sell caps.
constexpr double kSplitValueCap = 10000000.0;
constexpr int kSellRatioLowest = 5;
constexpr double kFullRatio = 100.0;

enum class StepMove { kNone, kUp, kDown };

bool IsOverseasLetter(char letter) {
  return letter == 'D' || letter == 'H' || letter == 'N' || letter == 'A';
}

std::string Narrow(const wchar_t* text) { return WideToUtf8(text ? text : L""); }

void ClearStairOrders(StockStair_s& stair) {
  stair.order_value1 = 0;
  stair.order_value2 = 0;
  stair.order_count = 0;
}

// Each step's upper bound is the next step's threshold; the last one's lies `wide` above it.
void SetStairUppers(StockStair_s* stairs, double wide) {
  for (int k = 0; k < kStockStairCount; ++k)
    stairs[k].upper =
        k + 1 < kStockStairCount ? stairs[k + 1].threshold : stairs[k].threshold + wide;
}

// Appends `value` as printf's "%.1f" writes it (both round the exact binary value to nearest).
void AppendOneDecimal(std::wstring& out, double value) {
  char digits[64];
  const std::to_chars_result r =
      std::isfinite(value)
          ? std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 1)
          : std::to_chars_result{digits, std::errc::invalid_argument};
  if (r.ec != std::errc()) {
    out += Utf8ToWide(StrPrintf("%.1f", value));
    return;
  }
  out.append(digits, r.ptr);
}

// The quantity the split sells aim at: the sell ratio's share of the holding.
double SellTarget(const StockTrade_s& holding) {
  return holding.sell_ratio < kFullRatio ? holding.quantity * holding.sell_ratio / kFullRatio
                                         : holding.quantity;
}

}  // namespace

void CPelomarEngine::RecomputeSellSteps(StockTrade_s* holding, int switchA) {
  // The change is then handled: later balance passes leave the ladder and its step orders
  // alone until the average price moves again.
  BuildStockLadder(holding, switchA);
  holding->changed_mark = 0;
}

void CPelomarEngine::LogAppKind(DWORD kind, const std::wstring& text) {
  m_logs.AddLogMsg(0, kind, 0, L"", text.c_str(), 0);
}

// ---------------------------------------------------------------------------------------
// Rule check

void CPelomarEngine::TakeOverStepValues(StockTrade_s* holding) {
  if (!holding || holding->rules_ready) return;
  holding->stop_loss_rate = holding->steps[0];
  holding->min_take_profit = holding->steps[1];
  holding->step_width = holding->steps[2];
  holding->sell_ratio = holding->steps[4];
  holding->rules_ready = 1;
  holding->stairs_rebuild = 1;
}

double CPelomarEngine::CheckStockRules(StockTrade_s* holding, double price, int mayQueue,
                                       int* outSell) {
  if (outSell) *outSell = 0;
  // A sold-out holding is not judged, even when a balance read before the sale settled lists
  // it again.
  if (!holding || !holding->stock || holding->quantity <= 0 || holding->sold_out) return 0.0;
  // A holding with no price yet (a coin whose quotes have not come) is not judged: against a
  // price of 0 it would read as a loss of 100% and be sold at the market.
  if (!(price > 0)) return 0.0;
  const DWORD now = orv::win::GetTickCount();
  Stock_s* stock = holding->stock;

  // A new holding takes its step values (stop-loss, minimum take-profit, step width, sell
  // ratio) and its ladder before its first check, so that it is never judged on an empty
  // ladder or a stop-loss of 0.
  TakeOverStepValues(holding);
  if (holding->stairs_rebuild) BuildStockLadder(holding, 0);

  // 1. Profit rate.
  double buyFee = 0, sellFee = 0, tax = 0;
  if (stock->market == kMarketDomestic) {
    buyFee = m_option.buy_fee_domestic;
    sellFee = m_option.sell_fee_domestic;
    tax = m_option.tax_rate;
  } else if (stock->market != kMarketCoin) {
    buyFee = m_option.buy_fee_overseas;
    sellFee = m_option.sell_fee_overseas;
    tax = m_option.tax_rate;
  }
  const double rate = GfxCalculateProfitRate2(holding->avg_price, price, holding->quantity, buyFee,
                                              sellFee, tax, holding->reverse);
  holding->profit_rate = rate;
  holding->shown_profit_rate = rate;

  // 2. Current step: the last step whose threshold the rate lies strictly above.
  int step = -1;
  double stepThreshold = 0;
  for (int i = 0; i < kStockStairCount && rate > holding->stairs[i].threshold; ++i) {
    step = i + 1;
    stepThreshold = holding->stairs[i].threshold;
  }
  holding->cur_step = step;

  // 3. Direction against the previous check.
  StepMove move = StepMove::kNone;
  if (step != holding->prev_step) {
    SYSTEMTIME local;
    orv::win::GetLocalTime(&local);
    if (step > holding->prev_step) {
      move = StepMove::kUp;
      holding->step_up_tick = now;
      holding->step_up_time = local;
    } else {
      move = StepMove::kDown;
      if (holding->peak_step < holding->prev_step) holding->peak_step = holding->prev_step;
      holding->step_down_tick = now;
      holding->step_down_time = local;
    }
    holding->prev_step = step;
    holding->step_change_tick = now;
    holding->step_orders = 0;
  }

  // 4.-6. The ladder's decision. The peak stays at the highest step reached until the rate
  // climbs above it, falls out of the ladder or the stairs are reset, so a holding below its
  // peak sells once per allowed interval until the step limits stop it.
  double gap = 0;
  bool sell = false;
  const auto stepTest = [&] {
    const bool orderLimit =
        m_option.max_orders_per_step > 0 && holding->step_orders >= m_option.max_orders_per_step;
    const bool holdOver =
        m_option.step_hold_ms > 0 && orv::win::TickElapsed(holding->step_change_tick, now) >
                                         static_cast<DWORD>(m_option.step_hold_ms);
    return !orderLimit && !holdOver;
  };
  if (step < 1) {
    if (holding->peak_step > 0) {
      sell = true;
      holding->peak_step = 1;
      holding->first_threshold = holding->stairs[0].threshold;
      gap = std::fabs(holding->stairs[0].threshold - rate);
    }
  } else if (move == StepMove::kUp) {
    if (holding->peak_step < step) holding->peak_step = step;
  } else if (move == StepMove::kDown) {
    if (step < kStockStairCount) gap = std::fabs(holding->stairs[step].threshold - rate);
    sell = stepTest();
  } else if (step < holding->peak_step && holding->peak_step > 0) {
    sell = stepTest();
  }

  // 7. The current step's threshold.
  holding->step_threshold = step < 1 ? 0 : stepThreshold;

  // 8. Stop-loss, with its floor: far below the stop-loss the sell is withdrawn.
  bool stopWithdrawn = false;
  const double stop = holding->stop_loss_rate;
  if (stop > kNoStopLoss) {
    const bool triggered = holding->reverse ? rate > stop : rate < stop;
    if (triggered) {
      sell = true;
      const double offset = m_option.stop_floor_offset[0];
      if (offset >= kFloorOffsetLowest && offset <= kFloorOffsetHighest) {
        const double floor = stop + offset;
        if (holding->reverse ? rate > floor : rate < floor) {
          sell = false;
          stopWithdrawn = true;
        }
      }
    }
  }

  // 9. Step margin: a fall that overshoots the margin does not sell.
  const double margin = std::fabs(m_option.step_margin);
  if (!stopWithdrawn && sell && margin > 0 && gap > margin) sell = false;

  // 10.-11. Signal and queueing.
  holding->sell_signal = sell ? 2 : 0;
  if (mayQueue == 1 && sell && holding->auto_trade) QueueSellOrder(holding, now);

  // 12.
  if (outSell) *outSell = sell ? 1 : 0;
  // Only a figure the status line shows: no ordering with other memory is needed.
  m_ruleCheckMs.store(orv::win::TickElapsed(now, orv::win::GetTickCount()),
                      std::memory_order_relaxed);
  return rate;
}

void CPelomarEngine::QueueSellOrder(StockTrade_s* holding, DWORD now) {
  if (m_sellPassRunning.load() != 0) return;
  // A holding whose last order the broker's balance has not settled is held: the broker may
  // have sold what the holding still shows.
  if (HoldingHasOpenOrder(*holding, true)) return;
  const double rate = holding->profit_rate;
  const bool allowed =
      rate >= holding->rate_at_last_sell + kTimeGateBypassPoints ||
      static_cast<int32_t>(now - holding->last_sell_tick) >= m_option.min_order_gap_ms;
  Stock_s* stock = holding->stock;
  const std::string code = Narrow(stock->code);
  const std::string name = WideToUtf8(stock->name);
  const int market = stock->market;

  if (StockTrade_s* queued = FindQueuedOrder(market, holding->holding_kind, holding->reverse,
                                             stock->code, holding->account_index)) {
    LogAppKind(kRulesLogKind,
               Utf8ToWide(StrPrintf("● 이미 등록됨...(현금/신용:%d) [%s %s] SKIP",
                                    queued->holding_kind, code.c_str(), name.c_str())));
    return;
  }
  const double seconds = static_cast<int32_t>(now - holding->last_sell_tick) / 1000.0;
  if (!allowed) {
    LogAppKind(kRulesLogKind,
               Utf8ToWide(StrPrintf(
                   "* sell_signal...(현금/신용:%d) [%s %s] step(%d/%d) 아직 시간 안됨 (%.2fs)",
                   holding->holding_kind, code.c_str(), name.c_str(), holding->cur_step,
                   holding->peak_step, seconds)));
    return;
  }
  {
    CSingleLock lock(&m_viewLock, TRUE);
    holding->order_count += 1;
    holding->order_kind = kOrderKindSell;
    holding->order_rate = rate;
    holding->order_tick = now;
    if (holding->order_count == 1) holding->first_order_rate = rate;
    holding->last_sell_tick = now;
    holding->step_orders += 1;
    if (m_orderQueue.emplace(holding, kQueuedValue).second) NoteQueuedUnderLock(holding);
  }
  TradingLine_s line;
  line.order_no = L"매도타임(자동)";
  line.auto_flag = 1;
  line.sim_flag = m_simulationRunning.load();
  line.result_code = kTradingLineQueued;
  line.result_msg = L"큐에 추가";
  line.order_qty = holding->sell_split_qty;
  line.remaining_qty = holding->quantity;
  line.total_qty = holding->quantity;
  line.buy_price = holding->avg_price;
  m_logs.WriteTradingLine(holding, stock, line);
  SetWorkEvent(EngineWorker::kSell);
  LogAppKind(kRulesLogKind,
             Utf8ToWide(StrPrintf("▶ 주문 등록...(현금/신용:%d) [%s %s] step(%d/%d), (%.2fs)",
                                  holding->holding_kind, code.c_str(), name.c_str(),
                                  holding->cur_step, holding->peak_step, seconds)));
}

// ---------------------------------------------------------------------------------------
// Ladder

int CPelomarEngine::RecomputeStockLadder(StockTrade_s* holding, double stepWidth, double correction,
                                         int force) {
  if (!holding) return 0;
  holding->step_width = stepWidth < 1.0 ? m_option.step_width : stepWidth;
  const double above = holding->profit_rate - holding->min_take_profit;
  holding->first_band_on = correction > 0.5 && above >= 1.0 && above <= 10.0 ? 1 : 0;
  holding->first_band_correction = holding->first_band_on ? correction : 0;
  if (holding->stairs_rebuild || force) return BuildStockLadder(holding, force);
  return 0;
}

int CPelomarEngine::BuildStockLadder(StockTrade_s* holding, int reset) {
  if (!holding) return 0;
  const double first = holding->min_take_profit;
  const double c = holding->first_band_on ? holding->first_band_correction : 0;
  const double w = holding->step_width;
  const double wide = kWideStepFactor * w;
  StockStair_s* stairs = holding->stairs;
  for (int k = 0; k < kStockStairCount; ++k) {
    if (k == 0)
      stairs[k].threshold = first;
    else if (k == 1)
      stairs[k].threshold = first + c + w;
    else
      stairs[k].threshold = stairs[k - 1].threshold + (k < kNarrowSteps ? w : wide);
  }
  SetStairUppers(stairs, wide);
  if (reset) {
    holding->step_orders = 0;
    for (StockStair_s& stair : holding->stairs) ClearStairOrders(stair);
  }
  // Each step as "%s%.1f~ %.1f%%\r\n" prints it (mark, threshold, upper bound). The rule check
  // rebuilds ladders as prices move, so the text is put together without printf.
  const wchar_t* mark = holding->auto_trade ? L"●" : L"";
  std::wstring& text = holding->stairs_text;
  text.clear();
  for (const StockStair_s& stair : holding->stairs) {
    text += mark;
    AppendOneDecimal(text, stair.threshold);
    text += L"~ ";
    AppendOneDecimal(text, stair.upper);
    text += L"%\r\n";
  }
  holding->stairs_rebuild = 0;
  return 1;
}

int CPelomarEngine::ComputeStockStairs(StockTrade_s* holding, int reset) {
  if (!holding) return 0;
  const double width = holding->step_width;
  const double first = holding->min_take_profit;
  const double wide = width * m_option.wide_step_factor;
  const double g = m_option.step_margin > 0 ? m_option.step_margin / 100.0 : 0;
  const double base = holding->step_base_price;
  StockStair_s* stairs = holding->stairs;
  for (int i = 0; i < kStockStairCount; ++i) {
    stairs[i].threshold = i < kNarrowSteps ? i * width + first : stairs[i - 1].threshold + wide;
    const double r = stairs[i].threshold / 100.0;
    if (holding->reverse) {
      stairs[i].sell_down_price = (1 - r) * base;
      stairs[i].step_price = (1 - r + g) * base;
    } else {
      stairs[i].step_price = (1 + r) * base;
      stairs[i].sell_down_price = (1 + r - g) * base;
    }
    if (reset) ClearStairOrders(stairs[i]);
    stairs[i].flag = 0;
  }
  SetStairUppers(stairs, wide);
  return 1;
}

void CPelomarEngine::ResetStockStairs(StockTrade_s* holding) {
  if (!holding) return;
  holding->cur_step = -1;
  holding->prev_step = -1;
  holding->peak_step = -1;
  holding->step_change_tick = 0;
  holding->step_up_tick = 0;
  holding->step_down_tick = 0;
  holding->step_orders = 0;
  for (StockStair_s& stair : holding->stairs) {
    ClearStairOrders(stair);
    stair.flag = 0;
  }
}

int CPelomarEngine::ResetAllStockStairs() {
  int count = 0;
  {
    CSingleLock lock(&m_viewLock, TRUE);
    for (auto& entry : m_stocks.Holdings()) {
      ResetStockStairs(entry.first);
      ++count;
    }
  }
  LogAppKind(kRulesLogKind, Utf8ToWide(StrPrintf("[계단 초기화] %d 종목", count)));
  return count;
}

// ---------------------------------------------------------------------------------------
// Split-sell sizing

double CPelomarEngine::CalcSplitSellQty(StockTrade_s* holding, double price, double splitAmount) {
  if (!holding) return 0;
  const Stock_s* stock = holding->stock;
  const bool domestic = stock && stock->market == kMarketDomestic;
  const double usdRate = m_option.exchange_rate;
  const auto toQuoteCurrency = [&](double value) {
    return usdRate > 1.0 && stock && IsOverseasLetter(stock->market_letter) ? value / usdRate
                                                                            : value;
  };
  const double target = SellTarget(*holding);
  double qty = 0;
  double value = 0;
  if (splitAmount < 0) {
    qty = std::fabs(splitAmount) * target / 100.0;
    if (price > 0) {
      value = price * qty;
      bool capped = false;
      if (value > kSplitValueCap) {
        value = kSplitValueCap;
        capped = true;
      }
      if (m_option.per_order_limit > 0 && value > m_option.per_order_limit) {
        value = m_option.per_order_limit;
        capped = true;
      }
      if (capped) {
        value = toQuoteCurrency(value);
        qty = value / price;
      }
    }
    if (domestic) {
      qty = std::trunc(qty);
      if (qty < 1) qty = 1;
    }
  } else {
    const double amount = splitAmount > 0 ? splitAmount : std::fabs(m_option.split_sell_amount_won);
    value = std::min(amount, kSplitValueCap);
    if (price > 0) {
      value = toQuoteCurrency(value);
      qty = value / price;
      if (domestic) qty = std::trunc(qty);
      if (qty > target) {
        qty = target;
        value = target * price;
      }
    } else {
      qty = 0;
    }
  }
  holding->sell_split_qty = qty;
  holding->split_value = value;
  return qty;
}

double CPelomarEngine::CalcSellTarget(StockTrade_s* holding, double price, int flags, int orderKind,
                                      double splitAmount) {
  if (!holding) return 0;
  CalcSplitSellQty(holding, price, splitAmount);
  const double target = SellTarget(*holding);
  holding->remaining_qty = holding->quantity - target;
  if (flags & 1) holding->sell_balance = target - holding->remaining_qty;
  if (flags & 2) holding->sold_amount = 0;
  holding->order_kind = orderKind;
  holding->sizing_qty = holding->quantity;
  return target;
}

double CPelomarEngine::SetHoldingSellRatio(StockTrade_s* holding, double price, double ratio) {
  if (!holding) return 0;
  if (ratio < kSellRatioLowest || ratio > kFullRatio) ratio = kFullRatio;
  holding->sell_ratio = ratio;
  holding->order_count = 0;
  holding->order_rate = 0;
  holding->first_order_rate = 0;
  holding->order_tick = 0;
  CalcSellTarget(holding, price, 3, holding->order_kind, holding->split_amount);
  return ratio;
}
