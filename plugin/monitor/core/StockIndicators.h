#pragma once
// The chart dialog's indicators and the arithmetic that turns a stock's bars into chart points:
// parabolic SAR, MACD, Wilder's RSI, the filling of one chart and the placing of a value axis
// so that its values take a given band of the plot's height.

#include <cstdint>

namespace orv::ui {
class ChartModel;
struct ChartSeries;
struct ChartAxis;
}  // namespace orv::ui

// Parabolic SAR of `count` bars into out (out[0] = 0; out[i] is the SAR in force during bar i).
// The first acceleration is `startStep`; each new extreme adds 0.02 up to `maxStep`. Fewer than
// two bars write nothing.
void CalcParabolicSar(const double* high, const double* low, int count, double* out,
                      double startStep, double maxStep);

// MACD line (fast EMA minus slow EMA, both starting at close[0]) into macd; with `signal` the
// signal EMA of the MACD line (starting at macd[0]), and with both `signal` and `histogram` the
// MACD minus the signal. A count of 0 writes nothing.
void CalcMacd(const double* close, int count, double* macd, double fast, double slow,
              double signalPeriod, double* signal, double* histogram);

// Wilder's RSI of `period` (14): out[period] from the averages of the first `period` changes,
// then smoothed; the first `period` outputs are 0. A loss average of 0 counts as 0.000001.
void CalcRsi(const double* close, int count, double* out, int period = 14);

// The extents of the last fill of one chart.
struct ChartExtents {
  double priceMin = 0;
  double priceMax = 0;
  double macdMin = 0;
  double macdMax = 0;
};

// The series of one chart that FillChartSeries fills.
struct ChartFillSeries {
  orv::ui::ChartSeries* candle = nullptr;
  orv::ui::ChartSeries* sar = nullptr;
  orv::ui::ChartSeries* macd = nullptr;
  orv::ui::ChartSeries* envLow = nullptr;
  orv::ui::ChartSeries* envMid = nullptr;
  orv::ui::ChartSeries* envHigh = nullptr;
};

// The bars of one chart (any array but the candle's may be null).
struct ChartFillBars {
  const int32_t* labels = nullptr;
  int count = 0;
  const double* open = nullptr;
  const double* low = nullptr;
  const double* high = nullptr;
  const double* close = nullptr;
  const double* sar = nullptr;
  const double* macd = nullptr;
  const double* envLow = nullptr;
  const double* envMid = nullptr;
  const double* envHigh = nullptr;
};

// Replaces the points of the six series with the bars' values and sets the chart's range: the
// price extents widened by `margin` (a fraction) on each side. Labels are the bars' numbers,
// divided by `labelDivisor` when it is above 0. Nothing happens when a series is missing.
void FillChartSeries(orv::ui::ChartModel* chart, const ChartFillSeries& series,
                     const ChartFillBars& bars, int labelDivisor, double margin,
                     ChartExtents* extents);

// Sets the axis's range so that [minimum, maximum] takes the part [from, to] of its height.
void SetAxisRangeByRatio(orv::ui::ChartAxis* axis, double minimum, double maximum, double from,
                         double to);
