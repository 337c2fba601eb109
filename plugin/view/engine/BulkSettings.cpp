// Settings changed for every holding of a grid at once: automatic trading switched on or off
// for all holdings that can safely trade.

#include "platform/win/CriticalSection.h"
#include "plugin/view/engine/PelomarEngine.h"

using orv::win::CSingleLock;

namespace {
// Trading-log lines of the all-stock switch.
constexpr int kTradingLineAutoAllOn = 28;
constexpr int kTradingLineAutoAllOff = 29;
// Holdings this far down count as written off rather than as below their stop-loss.
constexpr double kWrittenOffRate = -95.0;

}  // namespace

double CPelomarEngine::HoldingPrice(const StockTrade_s* holding) {
  if (!holding || !holding->stock) return 0;
  const Stock_s* stock = holding->stock;
  if (stock->market == kMarketCoin) return stock->coin_prices[holding->quote_currency ? 1 : 0];
  return stock->cur_price;
}

double CPelomarEngine::StopLossPrice(const StockTrade_s* holding) {
  if (!holding) return 0;
  const double r = holding->stop_loss_rate / 100.0;
  return holding->step_base_price * (holding->reverse ? 1.0 - r : 1.0 + r);
}

bool CPelomarEngine::QualifiesForAutoTradeAll(const StockTrade_s* holding) {
  const double price = HoldingPrice(holding);
  if (price <= 0) return false;
  if (!(holding->profit_rate > holding->stop_loss_rate)) return false;
  const double stop = StopLossPrice(holding);
  return holding->reverse ? price < stop : price > stop;
}

CPelomarEngine::AutoTradeRisks_s CPelomarEngine::CountAutoTradeRisks(
    const std::vector<HoldingKey_s>& holdings) {
  AutoTradeRisks_s risks;
  CSingleLock lock(&m_viewLock, TRUE);
  for (const HoldingKey_s& key : holdings) {
    const StockTrade_s* h = FindHeldHolding(key);
    if (!h) continue;
    if (HoldingPrice(h) <= 0) {
      ++risks.noPrice;
    } else if (h->profit_rate > kWrittenOffRate && h->profit_rate < h->stop_loss_rate) {
      ++risks.belowStopLoss;
    } else {
      continue;
    }
    if (risks.hasFirst) continue;
    risks.hasFirst = true;
    risks.firstName = h->stock ? h->stock->name : std::wstring();
    risks.firstCode = h->code;
    risks.firstPrice = HoldingPrice(h);
    risks.firstStopLossPrice = StopLossPrice(h);
  }
  return risks;
}

int CPelomarEngine::SetAutoTradeForHoldings(const std::vector<HoldingKey_s>& holdings, bool on,
                                            int scope, std::vector<HoldingRow_s>* qualified) {
  WriteNoticeTradingLine(on ? kTradingLineAutoAllOn : kTradingLineAutoAllOff,
                         on ? L"전종목.자동매도.설정" : L"전종목.자동매도.해제");
  int count = 0;
  {
    CSingleLock lock(&m_viewLock, TRUE);
    for (const HoldingKey_s& key : holdings) {
      StockTrade_s* h = FindHeldHolding(key);
      if (!h || !QualifiesForAutoTradeAll(h)) continue;
      ResetStockStairs(h);
      SetHoldingSellRatio(h, HoldingPrice(h), h->sell_ratio);
      if (h->auto_group == scope) {
        h->auto_trade = on ? 1 : 0;
        if (h->stock) h->stock->listing.auto_trade = h->auto_trade;
        h->last_sell_tick = 0;
        h->last_buy_tick = 0;
        BuildStockLadder(h, 0);
        ++count;
      }
      if (qualified) qualified->push_back(MakeHoldingRow(*h));
    }
  }
  return count;
}

// ---------------------------------------------------------------------------------------
// Sell ratio, rate presets and the stop-loss option for many holdings

namespace {
constexpr int kTradingLineSellRatio = 55;
constexpr int kTradingLineRatePreset = 56;
constexpr int kTradingLineStopLossReset = 71;
constexpr double kNoStopLoss = -100.0;
// Holdings this far down are left alone by a stop-loss preset that would not lower them.
constexpr double kDeepLossRate = -80.0;
}  // namespace

int CPelomarEngine::ChangeHeldHoldings(const std::vector<HoldingKey_s>& holdings,
                                       const std::function<bool(StockTrade_s*)>& change,
                                       std::vector<HoldingRow_s>* changed) {
  int count = 0;
  CSingleLock lock(&m_viewLock, TRUE);
  for (const HoldingKey_s& key : holdings) {
    StockTrade_s* h = FindHeldHolding(key);
    if (!h) continue;
    TakeOverStepValues(h);
    if (!change(h)) continue;
    BuildStockLadder(h, 0);
    ++count;
    if (changed) changed->push_back(MakeHoldingRow(*h));
  }
  return count;
}

int CPelomarEngine::ApplyStepIntervalToHoldings(double interval, int force) {
  constexpr double kGivenFloor = 0.1;
  constexpr double kNarrowest = 0.5;
  if (interval > kGivenFloor && interval < kNarrowest) interval = kNarrowest;
  int count = 0;
  CSingleLock lock(&m_viewLock, TRUE);
  for (const auto& entry : m_stocks.Holdings()) {
    StockTrade_s* h = entry.first;
    if (!h || h->quantity <= 0) continue;
    TakeOverStepValues(h);
    h->stairs_text.clear();
    if (h->step_width < 1) h->step_width = m_option.min_take_profit;
    const double base = h->avg_price;
    if (base == h->step_base_price && !force) continue;
    h->step_base_price = base;
    if (interval > kGivenFloor) h->step_width = interval;
    ApplyHoldingLevels(h, h->credit ? 20 : 2, h->sell_rate, h->step_value, h->step_threshold, 0,
                       0, 0, 1);
    ++count;
  }
  return count;
}

int CPelomarEngine::SetSellRatioForHoldings(const std::vector<HoldingKey_s>& holdings,
                                            double ratio, std::vector<HoldingRow_s>* changed) {
  {
    Stock_s marker;
    marker.name = L"매도 비중.설정";
    TradingLine_s line;
    line.result_code = kTradingLineSellRatio;
    line.result_msg = marker.name.c_str();
    line.order_qty = ratio;
    m_logs.WriteTradingLine(nullptr, &marker, line);
  }
  return ChangeHeldHoldings(
      holdings,
      [&](StockTrade_s* h) {
        SetHoldingSellRatio(h, HoldingPrice(h), ratio);
        return true;
      },
      changed);
}

int CPelomarEngine::ApplyRatePresetToHoldings(const std::vector<HoldingKey_s>& holdings,
                                              double value, bool takeProfitMode, bool relative,
                                              bool autoTrade,
                                              std::vector<HoldingRow_s>* changed) {
  WriteNoticeTradingLine(kTradingLineRatePreset, L"전종목.손절/익절률.재설정");
  return ChangeHeldHoldings(
      holdings,
      [&](StockTrade_s* h) {
        const double profit = h->profit_rate;
        if (takeProfitMode) {
          if (value <= 0 && profit < 10) return false;
          const double d = profit - value;
          h->min_take_profit = relative && value < d ? d : value;
        } else if (value <= kNoStopLoss) {
          h->stop_loss_rate = kNoStopLoss;
          WriteNoticeTradingLine(kTradingLineStopLossReset, L"이익갭.오류.손절률_리셋");
        } else {
          if (h->stop_loss_rate <= profit && (profit >= 0 || profit < kDeepLossRate)) return false;
          double stop = value + profit;
          if (stop < kNoStopLoss) {
            stop = kNoStopLoss;
            WriteNoticeTradingLine(kTradingLineStopLossReset, L"손절률.오류.손절률_리셋");
          }
          h->stop_loss_rate = stop;
        }
        h->auto_trade = autoTrade ? 1 : 0;
        if (h->stock) h->stock->listing.auto_trade = h->auto_trade;
        h->last_sell_tick = 0;
        h->last_buy_tick = 0;
        return true;
      },
      changed);
}

int CPelomarEngine::ApplyStopLossOptionToHoldings(const std::vector<HoldingKey_s>& holdings,
                                                  int kind, double splitAmount,
                                                  std::vector<HoldingRow_s>* changed) {
  return ChangeHeldHoldings(
      holdings,
      [&](StockTrade_s* h) {
        if (kind == 1) h->step_width = m_option.step_width;
        h->split_amount = splitAmount;
        CalcSplitSellQty(h, HoldingPrice(h), splitAmount);
        return true;
      },
      changed);
}
