#pragma once
// Holding and series calculations of the stock library.

#include <cstdint>
#include <deque>
#include <string>

#include "shared/StockRecords.h"

// Profit rate in percent after the buy fee, the sell fee and the tax (all rates in percent).
// Normal holding: (price x qty x (1 - sell fee - tax) - avg x qty x (1 + buy fee)) / cost.
// Reverse holding (gains when the price falls): (avg x qty x (1 - sell fee - tax) -
// price x qty x (1 + buy fee)) / (avg x qty). 0 when the average price or quantity is not
// above 0.
double GfxCalculateProfitRate2(double avgPrice, double price, double qty, double buyFeeRate,
                               double sellFeeRate, double taxRate, int reverse);
// The one-fee form the balance parsers use: the fee applies to buying and selling.
double GfxCalculateProfitRate(double avgPrice, double price, double qty, double feeRate,
                              double taxRate, int reserved = 0);

// Envelope state of the last point.
enum EnvelopeState : int32_t {
  kEnvelopeNone = 0,        // bad arguments or fewer points than the period
  kEnvelopeAboveUpper = 1,  // last price above the upper line
  kEnvelopeUpperHalf = 2,   // between the middle and the upper line
  kEnvelopeLowerHalf = 3,   // between the lower and the middle line
  kEnvelopeBelowLower = 4,  // below the lower line
};
// Middle = simple moving average of `period` prices; upper/lower = middle x (1 +/- pct / 100).
// Fills `length` points of each out array (points before the first full period are 0); the
// series is used up to `length` points. Returns the state of the last filled point.
int32_t GfxCalcEnvelope_FullOutput2(const std::deque<double>& prices, int period, double pct,
                                    double* upper, double* middle, double* lower, int length);
int32_t GfxCalcEnvelope_FullOutput3(const double* prices, int count, int period, double pct,
                                    double* upper, double* middle, double* lower, int length);

// One envelope point: the middle line and the bands around it.
struct EnvelopePoint {
  double middle = 0;
  double low = 0;
  double high = 0;
};
// The envelope as points, one per price (at most `count`); points before the first full
// period stay 0. Returns the state of the last point (kEnvelopeNone as above).
int32_t GfxCalcEnvelope_FullOutput(const std::deque<double>& prices, int period, double pct,
                                   EnvelopePoint* out, int count);
// The points with their dates as CSV, one "date,middle,low" line per point that has a full
// period (the others carry no envelope yet); prices with two decimals. A point without a
// date is left out.
std::string GfxConvertEnvelopeToText(const EnvelopePoint* points, const std::deque<int32_t>& dates,
                                     int count);

// Quantity of one split sell: budget / price in whole units, at least minQty, at most the
// quantity; when the rest after one split would be worth less than minAmount the whole
// quantity is sold. Overseas holdings use the same whole-unit rule. A split rate between 0 and
// 100 (percent of the quantity) raises the split to at least that share. The result is also
// kept through splitState when given.
double GfxStockCalcSellSplitQty(double* splitState, double price, double budget, double qty,
                                double minAmount, double minQty, int overseas, double splitRate);

// Removes the holdings of (brokerId, accountNo) whose balance_pass is not `pass` (the reply did
// not name them); frees them when the map owns them. Returns the number removed.
// side: -1 every holding of the account; 1 only domestic (market 1) ones; 0 only the others.
int GfxFilterSoldoutStocks(HoldingMap* map, int brokerId, int accountNo, uint32_t pass,
                           int side = -1);

// Time of day (seconds and microseconds since the epoch).
int btc_gettimeofday(int64_t* seconds, int64_t* microseconds);
