#include "platform/stocklib/StockCalc.h"

#include <sys/time.h>

#include <cmath>
#include <cstdio>
#include <vector>

double GfxCalculateProfitRate2(double avgPrice, double price, double qty, double buyFeeRate,
                               double sellFeeRate, double taxRate, int reverse) {
  if (!(avgPrice > 0) || !(qty > 0)) return 0.0;
  const double base = avgPrice * qty;
  const double sellKeep = 1.0 - (sellFeeRate + taxRate) / 100.0;
  const double buyCost = 1.0 + buyFeeRate / 100.0;
  double gain;
  if (reverse) {
    gain = avgPrice * qty * sellKeep - price * qty * buyCost;
    return gain / base * 100.0;
  }
  const double cost = base * buyCost;
  gain = price * qty * sellKeep - cost;
  return gain / cost * 100.0;
}

double GfxCalculateProfitRate(double avgPrice, double price, double qty, double feeRate,
                              double taxRate, int) {
  return GfxCalculateProfitRate2(avgPrice, price, qty, feeRate, feeRate, taxRate, 0);
}

int32_t GfxCalcEnvelope_FullOutput3(const double* prices, int count, int period, double pct,
                                    double* upper, double* middle, double* lower, int length) {
  if (!prices || !upper || !middle || !lower || period < 1 || length < 1 || count < 1)
    return kEnvelopeNone;
  const int n = count < length ? count : length;
  double sum = 0;
  for (int i = 0; i < length; ++i) upper[i] = middle[i] = lower[i] = 0.0;
  for (int i = 0; i < n; ++i) {
    sum += prices[i];
    if (i >= period) sum -= prices[i - period];
    if (i >= period - 1) {
      const double m = sum / period;
      middle[i] = m;
      upper[i] = m * (1.0 + pct / 100.0);
      lower[i] = m * (1.0 - pct / 100.0);
    }
  }
  if (n < period) return kEnvelopeNone;
  const double p = prices[n - 1];
  if (p > upper[n - 1]) return kEnvelopeAboveUpper;
  if (p >= middle[n - 1]) return kEnvelopeUpperHalf;
  if (p >= lower[n - 1]) return kEnvelopeLowerHalf;
  return kEnvelopeBelowLower;
}

int32_t GfxCalcEnvelope_FullOutput2(const std::deque<double>& prices, int period, double pct,
                                    double* upper, double* middle, double* lower, int length) {
  const std::vector<double> flat(prices.begin(), prices.end());
  return GfxCalcEnvelope_FullOutput3(flat.data(), static_cast<int>(flat.size()), period, pct, upper,
                                     middle, lower, length);
}

int32_t GfxCalcEnvelope_FullOutput(const std::deque<double>& prices, int period, double pct,
                                   EnvelopePoint* out, int count) {
  if (!out || count < 1) return kEnvelopeNone;
  const std::vector<double> flat(prices.begin(), prices.end());
  const size_t n = static_cast<size_t>(count);
  std::vector<double> upper(n), middle(n), lower(n);
  const int32_t state =
      GfxCalcEnvelope_FullOutput3(flat.data(), static_cast<int>(flat.size()), period, pct,
                                  upper.data(), middle.data(), lower.data(), count);
  for (size_t i = 0; i < n; ++i) out[i] = {middle[i], lower[i], upper[i]};
  return state;
}

std::string GfxConvertEnvelopeToText(const EnvelopePoint* points, const std::deque<int32_t>& dates,
                                     int count) {
  std::string text;
  if (!points) return text;
  for (int i = 0; i < count && static_cast<size_t>(i) < dates.size(); ++i) {
    if (points[i].middle == 0) continue;
    char line[96];
    std::snprintf(line, sizeof line, "%d,%.2f,%.2f\n", dates[static_cast<size_t>(i)],
                  points[i].middle, points[i].low);
    text += line;
  }
  return text;
}

double GfxStockCalcSellSplitQty(double* splitState, double price, double budget, double qty,
                                double minAmount, double minQty, int overseas, double splitRate) {
  double result = qty > 0 ? qty : 0.0;
  if (qty > 0 && price > 0 && budget > 0) {
    double n = std::floor(budget / price);
    if (splitRate > 0 && splitRate < 100) n = std::max(n, std::ceil(qty * splitRate / 100.0));
    if (n < minQty) n = minQty;
    if (n > qty) n = qty;
    if ((qty - n) * price < minAmount) n = qty;
    result = n;
  }
  (void)overseas;
  if (splitState) *splitState = result;
  return result;
}

int GfxFilterSoldoutStocks(HoldingMap* map, int brokerId, int accountNo, uint32_t pass, int side) {
  if (!map) return 0;
  int removed = 0;
  for (auto it = map->begin(); it != map->end();) {
    StockTrade_s* h = it->first;
    const int hSide = !h->stock || h->stock->market == kMarketDomestic ? 1 : 0;
    if ((side < 0 || side == hSide) && h->broker_id == brokerId && h->account_no == accountNo &&
        h->balance_pass != pass) {
      it = map->erase(it);
      if (map->OwnsRecords()) GfxStockTradeDataFree(h);
      ++removed;
    } else {
      ++it;
    }
  }
  return removed;
}

int btc_gettimeofday(int64_t* seconds, int64_t* microseconds) {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  if (seconds) *seconds = tv.tv_sec;
  if (microseconds) *microseconds = tv.tv_usec;
  return 0;
}
