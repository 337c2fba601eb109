// The chart indicators against values worked out here by other means: SAR by following the
// rule bar by bar on a series whose turns are known, MACD and RSI from their textbook formulas
// (EMA as a weighted sum of all closes, RSI from explicitly smoothed gains and losses).
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/ui/model/ChartModel.h"
#include "plugin/monitor/core/StockIndicators.h"

namespace {

// EMA with factor k starting at x[0], as the closed sum: (1-k)^(i+1) x0 + sum k (1-k)^(i-j) x_j.
double ClosedEma(const std::vector<double>& x, int i, double k) {
  double value = std::pow(1 - k, i + 1) * x[0];
  for (int j = 0; j <= i; ++j) value += k * std::pow(1 - k, i - j) * x[j];
  return value;
}

std::vector<double> Wave(int n) {
  std::vector<double> closes;
  for (int i = 0; i < n; ++i) closes.push_back(100 + 10 * std::sin(i / 4.0) + (i % 3) * 0.7);
  return closes;
}

}  // namespace

TEST(ParabolicSar, FollowsAnUptrendThenReversesOnTheFirstBreak) {
  // Five rising bars, then one whose low breaks the SAR.
  const std::vector<double> high = {10, 11, 12, 13, 14, 9};
  const std::vector<double> low = {9, 10, 11, 12, 13, 7};
  std::vector<double> out(6, -1);
  CalcParabolicSar(high.data(), low.data(), 6, out.data(), 0.02, 0.2);
  // Worked by hand: each new high raises AF by 0.02 and moves SAR toward the extreme point.
  double sar = 9, ep = 10, af = 0.02;
  std::vector<double> expected = {0};
  for (int i = 1; i < 5; ++i) {
    expected.push_back(sar);
    ep = high[i];
    af += 0.02;
    sar += (ep - sar) * af;
    if (i >= 2) sar = std::min({sar, low[i - 1], low[i - 2]});
  }
  expected.push_back(sar);  // in force during the breaking bar
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(out[i], expected[i], 1e-12) << "bar " << i;
  EXPECT_NEAR(out[1], 9.0, 1e-12);
  EXPECT_NEAR(out[2], 9.0 + (11 - 9.0) * 0.04, 1e-12);
}

TEST(ParabolicSar, AfterAReversalTheSarStartsAtTheOldExtremeAndFallsWithNewLows) {
  const std::vector<double> high = {10, 12, 8, 7, 6};
  const std::vector<double> low = {9, 11, 6, 5, 4};
  std::vector<double> out(5);
  CalcParabolicSar(high.data(), low.data(), 5, out.data(), 0.02, 0.2);
  // Bar 1: new high 12, AF 0.04: SAR = 9 + 3 * 0.04 = 9.12. Bar 2 breaks it (low 6): the SAR
  // becomes the extreme 12, EP the new low 6, AF 0.02 again; bar 3: new low 5 (AF 0.04):
  // 12 + (5 - 12) * 0.04 = 11.72, held at least at the two previous highs (12, 8) -> 12.
  EXPECT_NEAR(out[1], 9.0, 1e-12);
  EXPECT_NEAR(out[2], 9.12, 1e-12);
  EXPECT_NEAR(out[3], 12.0, 1e-12);
  EXPECT_NEAR(out[4], 12.0, 1e-12);
}

TEST(ParabolicSar, FewerThanTwoBarsWriteNothing) {
  const double high[] = {10};
  const double low[] = {9};
  double out[] = {42};
  CalcParabolicSar(high, low, 1, out, 0.02, 0.2);
  EXPECT_EQ(out[0], 42);
}

TEST(Macd, MatchesTheClosedFormOfTheTwoAveragesAndTheSignal) {
  const std::vector<double> closes = Wave(60);
  std::vector<double> macd(60), signal(60), histogram(60);
  CalcMacd(closes.data(), 60, macd.data(), 10, 20, 9, signal.data(), histogram.data());
  std::vector<double> expectedMacd;
  for (int i = 0; i < 60; ++i)
    expectedMacd.push_back(ClosedEma(closes, i, 2.0 / 11) - ClosedEma(closes, i, 2.0 / 21));
  for (int i = 0; i < 60; ++i) {
    EXPECT_NEAR(macd[i], expectedMacd[i], 1e-9) << i;
    EXPECT_NEAR(signal[i], ClosedEma(expectedMacd, i, 0.2), 1e-9) << i;
    EXPECT_NEAR(histogram[i], macd[i] - signal[i], 1e-12) << i;
  }
  EXPECT_EQ(macd[0], 0.0);
}

TEST(Macd, WithoutASignalOutputOnlyTheLineIsWritten) {
  const std::vector<double> closes = {100, 102, 101};
  std::vector<double> macd(3), histogram(3, 7);
  CalcMacd(closes.data(), 3, macd.data(), 10, 20, 9, nullptr, histogram.data());
  EXPECT_NEAR(macd[1], (2.0 * 2 / 11) - (2.0 * 2 / 21), 1e-12);
  EXPECT_EQ(histogram, std::vector<double>(3, 7));
}

TEST(Rsi, WildersSmoothingFromTheFirstFourteenChanges) {
  const std::vector<double> closes = Wave(40);
  std::vector<double> out(40, -1);
  CalcRsi(closes.data(), 40, out.data(), 14);
  std::vector<double> gains, losses;
  for (size_t i = 1; i < closes.size(); ++i) {
    const double d = closes[i] - closes[i - 1];
    gains.push_back(d > 0 ? d : 0);
    losses.push_back(d < 0 ? -d : 0);
  }
  double g = 0, l = 0;
  for (int i = 0; i < 14; ++i) {
    g += gains[i] / 14;
    l += losses[i] / 14;
  }
  for (int i = 0; i < 14; ++i) EXPECT_EQ(out[i], 0.0);
  for (int i = 14; i < 40; ++i) {
    if (i > 14) {
      g = g + (gains[i - 1] - g) / 14;
      l = l + (losses[i - 1] - l) / 14;
    }
    EXPECT_NEAR(out[i], 100 * g / (g + l), 1e-9) << i;
  }
}

TEST(Rsi, OnlyGainsGiveNearlyAHundred) {
  std::vector<double> closes;
  for (int i = 0; i < 20; ++i) closes.push_back(100 + i);
  std::vector<double> out(20);
  CalcRsi(closes.data(), 20, out.data(), 14);
  EXPECT_NEAR(out[14], 100 - 100 / (1 + 1 / 0.000001), 1e-9);
  EXPECT_GT(out[19], 99.99);
}

TEST(AxisRange, PlacesTheValuesInTheAskedBand) {
  struct Case {
    double min, max, from, to, axisMin, axisMax;
  } cases[] = {
      {70, 100, 0.3, 1.0, 70 - 30 / 0.7 * 0.3, 70 - 30 / 0.7 * 0.3 + 30 / 0.7},
      {-2, 4, 0.0, 0.3, -2, -2 + 20},
      {5, 5, 0.0, 1.0, 5, 6},        // an empty span gets a width of 1
      {0, 10, 0.5, 0.5, 0, 10},      // from >= to: the whole height
  };
  for (const Case& c : cases) {
    orv::ui::ChartAxis axis;
    SetAxisRangeByRatio(&axis, c.min, c.max, c.from, c.to);
    EXPECT_NEAR(axis.min, c.axisMin, 1e-9);
    EXPECT_NEAR(axis.max, c.axisMax, 1e-9);
    EXPECT_FALSE(axis.autoRange);
  }
}
