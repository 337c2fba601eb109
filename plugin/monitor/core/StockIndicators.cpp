#include "plugin/monitor/core/StockIndicators.h"

#include <algorithm>
#include <cstdio>

#include "platform/ui/model/ChartModel.h"

namespace {
// The acceleration step after a reversal and per new extreme.
constexpr double kSarStep = 0.02;
constexpr double kNoLoss = 0.000001;
}  // namespace

void CalcParabolicSar(const double* high, const double* low, int count, double* out,
                      double startStep, double maxStep) {
  if (!high || !low || !out || count < 2) return;
  bool up = true;
  double ep = high[0];
  double sar = low[0];
  double af = startStep;
  out[0] = 0;
  for (int i = 1; i < count; ++i) {
    out[i] = sar;
    if (up) {
      if (sar > low[i]) {
        sar = ep;
        ep = low[i];
        af = kSarStep;
        up = false;
      } else {
        if (high[i] > ep) {
          ep = high[i];
          af = std::min(af + kSarStep, maxStep);
        }
        sar += (ep - sar) * af;
        if (i >= 2) sar = std::min({sar, low[i - 1], low[i - 2]});
      }
    } else {
      if (high[i] > sar) {
        sar = ep;
        ep = high[i];
        af = kSarStep;
        up = true;
      } else {
        if (low[i] < ep) {
          ep = low[i];
          af = std::min(af + kSarStep, maxStep);
        }
        sar += (ep - sar) * af;
        if (i >= 2) sar = std::max({sar, high[i - 1], high[i - 2]});
      }
    }
  }
}

void CalcMacd(const double* close, int count, double* macd, double fast, double slow,
              double signalPeriod, double* signal, double* histogram) {
  if (!close || !macd || count <= 0) return;
  const double kFast = 2.0 / (fast + 1.0);
  const double kSlow = 2.0 / (slow + 1.0);
  const double kSignal = 2.0 / (signalPeriod + 1.0);
  double fastAvg = close[0];
  double slowAvg = close[0];
  for (int i = 0; i < count; ++i) {
    slowAvg += (close[i] - slowAvg) * kSlow;
    fastAvg += (close[i] - fastAvg) * kFast;
    macd[i] = fastAvg - slowAvg;
  }
  if (!signal) return;
  double s = macd[0];
  for (int i = 0; i < count; ++i) {
    s += (macd[i] - s) * kSignal;
    signal[i] = s;
    if (histogram) histogram[i] = macd[i] - s;
  }
}

void CalcRsi(const double* close, int count, double* out, int period) {
  if (!close || !out || count <= 0 || period < 1) return;
  std::fill(out, out + std::min(count, period), 0.0);
  if (count <= period) return;
  double gain = 0, loss = 0;
  for (int i = 1; i <= period; ++i) {
    const double change = close[i] - close[i - 1];
    if (change > 0) gain += change;
    else loss -= change;
  }
  gain /= period;
  loss /= period;
  auto rsi = [](double g, double l) { return 100.0 - 100.0 / (1.0 + g / (l > 0 ? l : kNoLoss)); };
  out[period] = rsi(gain, loss);
  for (int i = period + 1; i < count; ++i) {
    const double change = close[i] - close[i - 1];
    gain = (gain * (period - 1) + (change > 0 ? change : 0)) / period;
    loss = (loss * (period - 1) + (change < 0 ? -change : 0)) / period;
    out[i] = rsi(gain, loss);
  }
}

void FillChartSeries(orv::ui::ChartModel* chart, const ChartFillSeries& series,
                     const ChartFillBars& bars, int labelDivisor, double margin,
                     ChartExtents* extents) {
  if (!chart || !series.candle || !series.sar || !series.macd || !series.envLow ||
      !series.envMid || !series.envHigh)
    return;
  for (orv::ui::ChartSeries* s :
       {series.candle, series.sar, series.macd, series.envLow, series.envMid, series.envHigh})
    s->RemoveAllPoints();
  ChartExtents e;
  bool priceStarted = false;
  const bool envelope = bars.envLow && bars.envHigh;
  for (int i = 0; i < bars.count; ++i) {
    const double open = bars.open ? bars.open[i] : 0;
    const double low = bars.low ? bars.low[i] : 0;
    const double high = bars.high ? bars.high[i] : 0;
    const double close = bars.close ? bars.close[i] : 0;
    if (bars.macd) {
      if (i == 0) {
        e.macdMax = bars.macd[i];
      } else {
        e.macdMin = std::min(e.macdMin, bars.macd[i]);
        e.macdMax = std::max(e.macdMax, bars.macd[i]);
      }
    }
    if (!priceStarted && close > 0) {
      e.priceMin = low;
      e.priceMax = high;
      priceStarted = true;
    }
    if (priceStarted) {
      e.priceMin = std::min({e.priceMin, close, low, high});
      e.priceMax = std::max({e.priceMax, close, low, high});
      if (bars.sar && bars.sar[i] > 0) {
        e.priceMin = std::min(e.priceMin, bars.sar[i]);
        e.priceMax = std::max(e.priceMax, bars.sar[i]);
      }
      if (envelope && bars.envLow[i] > 0) {
        e.priceMin = std::min(e.priceMin, bars.envLow[i]);
        e.priceMax = std::max(e.priceMax, bars.envHigh[i]);
      }
    }
    int number = bars.labels ? bars.labels[i] : i;
    if (labelDivisor > 0) number /= labelDivisor;
    char label[16];
    std::snprintf(label, sizeof label, "%d", number);
    series.candle->AddCandle(label, low, high, open, close);
    if (bars.sar && bars.sar[i] > 0) series.sar->AddPoint(label, bars.sar[i]);
    if (bars.envLow && bars.envLow[i] > 0) series.envLow->AddPoint(label, bars.envLow[i]);
    if (bars.envMid && bars.envMid[i] > 0) series.envMid->AddPoint(label, bars.envMid[i]);
    if (bars.envHigh && bars.envHigh[i] > 0) series.envHigh->AddPoint(label, bars.envHigh[i]);
    if (bars.macd) series.macd->AddPoint(label, bars.macd[i]);
  }
  const double yMin = margin > 0 ? (1 - margin) * e.priceMin : e.priceMin;
  const double yMax = margin > 0 ? (1 + margin) * e.priceMax : e.priceMax;
  orv::ui::GfxChartSetRange(chart, 0.0, bars.count, yMin, yMax, 1);
  if (extents) *extents = e;
}

void SetAxisRangeByRatio(orv::ui::ChartAxis* axis, double minimum, double maximum, double from,
                         double to) {
  if (!axis) return;
  if (from >= to) {
    from = 0;
    to = 1;
  }
  if (maximum <= minimum) maximum = minimum + 1;
  const double span = (maximum - minimum) / (to - from);
  axis->min = minimum - span * from;
  axis->max = axis->min + span;
  axis->autoRange = false;
}
