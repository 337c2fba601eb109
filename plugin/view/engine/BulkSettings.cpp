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
// Trading-log lines of the presets.
constexpr int kTradingLinePresetApplied = 56;
constexpr int kTradingLineStopLossReset = 71;
constexpr int kTradingLineSellRatio = 55;
// No stop-loss.
constexpr double kNoStopLoss = -100.0;
// A loss this deep keeps its stop-loss under a stop-loss preset.
constexpr double kDeepLossRate = -80.0;
// Holdings below this profit keep their take-profit under a lowering preset.
constexpr double kLoweringFloorRate = 10.0;

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

int CPelomarEngine::ApplyRatePresetToHoldings(const std::vector<HoldingKey_s>& holdings,
                                              const RatePreset_s& preset, bool autoOn,
                                              std::vector<HoldingRow_s>* rows) {
  WriteNoticeTradingLine(kTradingLinePresetApplied, L"전종목.손절/익절률.재설정");
  const bool takeProfit = preset.takeProfit || preset.value > 0;
  int count = 0;
  int resets = 0;
  const wchar_t* resetText = nullptr;
  {
    CSingleLock lock(&m_viewLock, TRUE);
    for (const HoldingKey_s& key : holdings) {
      StockTrade_s* h = FindHeldHolding(key);
      if (!h) continue;
      bool changed = false;
      if (takeProfit) {
        if (!(preset.value <= 0 && h->profit_rate < kLoweringFloorRate)) {
          const double d = h->profit_rate - preset.value;
          h->min_take_profit = preset.relative && preset.value < d ? d : preset.value;
          changed = true;
        }
      } else if (preset.value <= kNoStopLoss) {
        h->stop_loss_rate = kNoStopLoss;
        resetText = L"이익갭.오류.손절률_리셋";
        ++resets;
        changed = true;
      } else if (!(h->stop_loss_rate <= h->profit_rate &&
                   (h->profit_rate >= 0 || h->profit_rate < kDeepLossRate))) {
        double rate = preset.value + h->profit_rate;
        if (rate < kNoStopLoss) {
          rate = kNoStopLoss;
          resetText = L"손절률.오류.손절률_리셋";
          ++resets;
        }
        h->stop_loss_rate = rate;
        changed = true;
      }
      if (changed) {
        h->auto_trade = autoOn ? 1 : 0;
        if (h->stock) h->stock->listing.auto_trade = h->auto_trade;
        h->last_sell_tick = 0;
        h->last_buy_tick = 0;
        BuildStockLadder(h, 0);
        ++count;
      }
      if (rows) rows->push_back(MakeHoldingRow(*h));
    }
  }
  // The log is written outside the lock.
  if (resets > 0 && resetText) WriteNoticeTradingLine(kTradingLineStopLossReset, resetText);
  return count;
}

int CPelomarEngine::SetSellRatioOfHoldings(const std::vector<HoldingKey_s>& holdings,
                                           double ratio, std::vector<HoldingRow_s>* rows) {
  WriteNoticeTradingLine(kTradingLineSellRatio, L"매도 비중.설정");
  int count = 0;
  CSingleLock lock(&m_viewLock, TRUE);
  for (const HoldingKey_s& key : holdings) {
    StockTrade_s* h = FindHeldHolding(key);
    if (!h || h->sell_ratio == ratio) continue;
    SetHoldingSellRatio(h, HoldingPrice(h), ratio);
    BuildStockLadder(h, 0);
    ++count;
    if (rows) rows->push_back(MakeHoldingRow(*h));
  }
  return count;
}
