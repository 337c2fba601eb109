// Filling the chart dialog's charts from a stock's bars: points, extents, labels and ranges.
#include <gtest/gtest.h>

#include <vector>

#include "plugin/monitor/core/StockCharts.h"
#include "shared/StockRecords.h"

using orv::ui::ChartModel;
using orv::ui::ChartSeries;

namespace {

ChartBars_s Bars(const std::vector<double>& closes, int firstLabel) {
  ChartBars_s bars;
  for (size_t i = 0; i < closes.size(); ++i) {
    bars.labels.push_back(firstLabel + static_cast<int>(i));
    bars.close.push_back(closes[i]);
    bars.open.push_back(closes[i] - 1);
    bars.high.push_back(closes[i] + 2);
    bars.low.push_back(closes[i] - 3);
    bars.envLow.push_back(0);
    bars.envMid.push_back(0);
    bars.envHigh.push_back(0);
  }
  return bars;
}

const ChartSeries& Named(const ChartModel& chart, const char* name) {
  const ChartSeries* s = chart.Find(name);
  EXPECT_NE(s, nullptr) << name;
  static const ChartSeries kNone;
  return s ? *s : kNone;
}

}  // namespace

TEST(StockCharts, ADayAndAMinuteChartFromTheBars) {
  StockChartSnapshot_s stock;
  stock.day = Bars({100, 104, 103, 108, 106}, 20261201);
  stock.day.envLow[4] = 90;
  stock.day.envMid[4] = 100;
  stock.day.envHigh[4] = 120;
  stock.minute = Bars({100, 101}, 0);
  stock.minute.labels = {93015, 93115};
  CStockChartSet set;
  ASSERT_TRUE(set.LoadChartData(&stock));

  const ChartModel& day = set.DayChart();
  ASSERT_EQ(Named(day, "Candle").points.size(), 5u);
  const orv::ui::ChartPoint& first = Named(day, "Candle").points[0];
  EXPECT_EQ(first.label, "20261201");
  EXPECT_EQ(first.low, 97);
  EXPECT_EQ(first.high, 102);
  EXPECT_EQ(first.open, 99);
  EXPECT_EQ(first.close, 100);
  // MACD is plotted for every bar, its first value 0 included; the envelope only where it has one.
  EXPECT_EQ(Named(day, "MACD").points.size(), 5u);
  EXPECT_EQ(Named(day, "MACD").points[0].close, 0.0);
  EXPECT_EQ(Named(day, "MACD").axis, 1);
  EXPECT_EQ(Named(day, "Envelope.High").points.size(), 1u);
  // SAR: none for the first bar (0), one for every later bar.
  EXPECT_EQ(Named(day, "SAR").points.size(), 4u);
  EXPECT_EQ(Named(day, "SAR").points[0].label, "20261202");
  EXPECT_TRUE(Named(day, "RSI").points.empty());
  EXPECT_TRUE(Named(day, "Signal").points.empty());

  // Extents: the bars' lows and highs, the envelope's band; the price axis puts them in the
  // upper 70 %, the MACD axis its extents in the lower 30 %.
  EXPECT_EQ(set.DayExtents().priceMin, 90);
  EXPECT_EQ(set.DayExtents().priceMax, 120);
  const double span = 30 / 0.7;
  EXPECT_NEAR(day.ValueAxis(0).min, 90 - span * 0.3, 1e-9);
  EXPECT_NEAR(day.ValueAxis(0).max, 90 - span * 0.3 + span, 1e-9);
  EXPECT_NEAR(day.ValueAxis(1).min, set.DayExtents().macdMin, 1e-9);
  EXPECT_EQ(day.ValueAxis(1).title, "MACD");

  // Minute labels are the time divided by 100; the minute chart ranges without a margin.
  const ChartModel& minute = set.MinuteChart();
  ASSERT_EQ(Named(minute, "Candle").points.size(), 2u);
  EXPECT_EQ(Named(minute, "Candle").points[0].label, "930");
  EXPECT_EQ(minute.ValueAxis(0).min, 97);
  EXPECT_EQ(minute.ValueAxis(0).max, 103);
}

TEST(StockCharts, EdgeBars) {
  // One bar: no SAR, one candle. A first bar with close 0 is drawn but starts no extents.
  StockChartSnapshot_s stock;
  stock.day = Bars({0, 50, 52}, 1);
  stock.day.low[0] = 0;
  stock.day.high[0] = 0;
  stock.minute = Bars({70}, 90000);
  CStockChartSet set;
  ASSERT_TRUE(set.LoadChartData(&stock));
  EXPECT_EQ(set.DayChart().Find("Candle")->points.size(), 3u);
  // The empty first bar starts the SAR at 0, so the SAR in force on bar 2 (0 + 52 x 0.04) widens
  // the extents.
  EXPECT_NEAR(set.DayExtents().priceMin, 2.08, 1e-9);
  EXPECT_EQ(set.DayExtents().priceMax, 54);
  EXPECT_EQ(set.MinuteChart().Find("Candle")->points.size(), 1u);
  EXPECT_TRUE(set.MinuteChart().Find("SAR")->points.empty());

  // Loading the same stock again gives the same points; a null stock changes nothing.
  const auto before = set.DayChart().Find("MACD")->points;
  ASSERT_TRUE(set.LoadChartData(&stock));
  ASSERT_EQ(set.DayChart().Find("MACD")->points.size(), before.size());
  for (size_t i = 0; i < before.size(); ++i)
    EXPECT_EQ(set.DayChart().Find("MACD")->points[i].close, before[i].close);
  EXPECT_FALSE(set.LoadChartData(nullptr));
  EXPECT_EQ(set.DayChart().Find("Candle")->points.size(), 3u);
}

TEST(StockCharts, TheEngineCopyOfACandleBlock) {
  // A block of 200 places holding its 3 newest candles at the end, an envelope computed from
  // the oldest price on, and a closes-only block.
  StockSeries_s series;
  GfxSizeStockSeries(&series);
  series.requested = 200;
  series.count = 3;
  series.open.assign(200, 0);
  series.high.assign(200, 0);
  series.low.assign(200, 0);
  series.date.assign(200, 0);
  series.time.assign(200, 0);
  for (int i = 0; i < 3; ++i) {
    series.close[197 + i] = 100 + i;
    series.open[197 + i] = 99 + i;
    series.high[197 + i] = 103 + i;
    series.low[197 + i] = 98 + i;
    series.date[197 + i] = 20261201 + i;
    series.time[197 + i] = 90000 + i * 100;
    series.env_middle[i] = 200 + i;
    series.env_lower[i] = 190 + i;
    series.env_upper[i] = 210 + i;
  }
  const ChartBars_s day = MakeChartBars(series, false);
  ASSERT_EQ(day.Count(), 3);
  EXPECT_EQ(day.labels, (std::vector<int32_t>{20261201, 20261202, 20261203}));
  EXPECT_EQ(day.open[2], 101);
  EXPECT_EQ(day.envMid, (std::vector<double>{200, 201, 202}));
  EXPECT_EQ(MakeChartBars(series, true).labels[1], 90100);
  EXPECT_EQ(MakeChartBars(series, false, 2).labels,
            (std::vector<int32_t>{20261202, 20261203}));

  StockSeries_s closesOnly;
  GfxSizeStockSeries(&closesOnly);
  closesOnly.count = 2;
  closesOnly.requested = 200;
  closesOnly.close[198] = 10;
  closesOnly.close[199] = 11;
  const ChartBars_s flat = MakeChartBars(closesOnly, false);
  ASSERT_EQ(flat.Count(), 2);
  EXPECT_EQ(flat.high[1], 11);
  EXPECT_EQ(flat.low[1], 11);
  EXPECT_EQ(flat.envMid[1], 0);
  EXPECT_EQ(MakeChartBars(StockSeries_s(), false).Count(), 0);
}
