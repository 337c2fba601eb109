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
