#pragma once
// The toolkit-free half of the chart control: series of labelled points on one or two value
// axes, as a chart window draws them. The window side (platform/ui/ChartControl.h) only paints
// what this holds, so the arithmetic that fills a chart runs and tests without a display.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orv::ui {

enum class ChartSeriesKind { kCandle, kLine, kPoint, kBar };

// One point: a category label and its values (a candle: low, high, open, close; any other
// kind: the value alone).
struct ChartPoint {
  std::string label;
  double low = 0;
  double high = 0;
  double open = 0;
  double close = 0;
  double Value() const { return close; }
};

struct ChartSeries {
  std::string name;
  ChartSeriesKind kind = ChartSeriesKind::kLine;
  int axis = 0;          // 0: the primary value axis, 1: the secondary
  uint32_t colour = 0;   // 0x00BBGGRR; 0 picks the chart's colour for the series' place
  bool visible = true;
  bool markers = false;  // a point marker at every value (lines)
  std::vector<ChartPoint> points;

  void RemoveAllPoints() { points.clear(); }
  void AddPoint(const std::string& label, double value);
  void AddCandle(const std::string& label, double low, double high, double open, double close);
};

struct ChartAxis {
  bool visible = true;
  bool farSide = false;  // drawn on the right (value axes) instead of the left
  bool labels = true;
  bool gridLines = true;
  std::string title;
  bool titleVisible = false;
  bool autoRange = true;
  double min = 0;
  double max = 1;
  std::vector<double> constantLines;
};

class ChartModel {
 public:
  ChartSeries* AddSeries(const std::string& name, ChartSeriesKind kind);
  void RemoveAllSeries() { series_.clear(); }
  const std::vector<std::unique_ptr<ChartSeries>>& Series() const { return series_; }
  ChartSeries* Find(const std::string& name) const;

  // Value axis 0 (primary) and 1 (secondary); the secondary exists once a series uses it or it
  // is switched on.
  ChartAxis& ValueAxis(int index) { return valueAxes_[index == 1 ? 1 : 0]; }
  const ChartAxis& ValueAxis(int index) const { return valueAxes_[index == 1 ? 1 : 0]; }
  bool secondaryAxis = false;
  // The category axis: its first and last place, and the angle of its labels (0 or 90).
  double argumentMin = 0;
  double argumentMax = 0;
  int labelAngle = 0;
  bool legend = true;

  // The range of an axis when it ranges itself: the values of the series on it, with a little
  // room above and below; {0, 1} without any.
  void AutoRange(int axis, double* min, double* max) const;

 private:
  std::vector<std::unique_ptr<ChartSeries>> series_;
  ChartAxis valueAxes_[2];
};

// The chart helpers of the support library. The style code picks the series kind (13 a
// candlestick, 0 points, 1 a line, 2 bars); `markers` asks for a marker at every point. The
// other arguments are the support library's and change nothing here. Returns the new series.
ChartSeries* GfxAddSeriesObjToChart(ChartModel* chart, const std::string& name, int styleCode,
                                    int markers, int arg2, int arg3, int arg4);
// Fixes the primary axis to [yMin, yMax] and the category range to [xMin, xMax]. With yMax not
// above yMin the axis ranges itself. `axis` names the value axis (1 the primary, 2 the second).
void GfxChartSetRange(ChartModel* chart, double xMin, double xMax, double yMin, double yMax,
                      int axis);

}  // namespace orv::ui
