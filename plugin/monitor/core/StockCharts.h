#pragma once
// The chart dialog's two charts without their window: the series made once, and the loading of
// one stock's day and minute bars with their SAR, MACD and envelope lines. The bars are a copy
// the trading engine hands over (StockChartSnapshot_s); the window only shows the charts.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/model/ChartModel.h"
#include "plugin/monitor/core/StockIndicators.h"
#include "plugin/view/engine/ViewSnapshots.h"

class CStockChartSet {
 public:
  CStockChartSet();

  // Makes the series of both charts anew (all points go).
  void CreateSeries();
  // Recomputes SAR and MACD from the stock's bars and fills both charts; the day chart's price
  // axis takes the upper 70 % of its height and its MACD axis the lower 30 %. A null stock
  // changes nothing (false).
  bool LoadChartData(const StockChartSnapshot_s* stock);

  orv::ui::ChartModel& DayChart() { return day_; }
  orv::ui::ChartModel& MinuteChart() { return minute_; }
  const ChartExtents& DayExtents() const { return dayExtents_; }
  const ChartExtents& MinuteExtents() const { return minuteExtents_; }
  // The outputs of the last load, one per bar.
  const std::vector<double>& DaySar() const { return daySar_; }
  const std::vector<double>& DayMacd() const { return dayMacd_; }
  const std::vector<double>& MinuteSar() const { return minuteSar_; }
  const std::vector<double>& MinuteMacd() const { return minuteMacd_; }

 private:
  orv::ui::ChartModel day_;
  orv::ui::ChartModel minute_;
  ChartFillSeries daySeries_;
  ChartFillSeries minuteSeries_;
  ChartExtents dayExtents_;
  ChartExtents minuteExtents_;
  std::vector<double> daySar_, dayMacd_, minuteSar_, minuteMacd_;
};
