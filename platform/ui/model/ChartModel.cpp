#include "platform/ui/model/ChartModel.h"

#include <algorithm>

namespace orv::ui {

void ChartSeries::AddPoint(const std::string& label, double value) {
  ChartPoint p;
  p.label = label;
  p.low = p.high = p.open = p.close = value;
  points.push_back(std::move(p));
}

void ChartSeries::AddCandle(const std::string& label, double low, double high, double open,
                            double close) {
  points.push_back(ChartPoint{label, low, high, open, close});
}

ChartSeries* ChartModel::AddSeries(const std::string& name, ChartSeriesKind kind) {
  auto series = std::make_unique<ChartSeries>();
  series->name = name;
  series->kind = kind;
  series_.push_back(std::move(series));
  return series_.back().get();
}

ChartSeries* ChartModel::Find(const std::string& name) const {
  for (const auto& s : series_)
    if (s->name == name) return s.get();
  return nullptr;
}

void ChartModel::AutoRange(int axis, double* min, double* max) const {
  bool any = false;
  double lo = 0, hi = 0;
  for (const auto& s : series_) {
    if (!s->visible || (s->axis == 1) != (axis == 1)) continue;
    for (const ChartPoint& p : s->points) {
      const double a = s->kind == ChartSeriesKind::kCandle ? p.low : p.close;
      const double b = s->kind == ChartSeriesKind::kCandle ? p.high : p.close;
      if (!any) {
        lo = a;
        hi = b;
        any = true;
      }
      lo = std::min({lo, a, b});
      hi = std::max({hi, a, b});
    }
  }
  if (!any) {
    *min = 0;
    *max = 1;
    return;
  }
  const double room = hi > lo ? (hi - lo) * 0.05 : (hi != 0 ? std::abs(hi) * 0.05 : 1);
  *min = lo - room;
  *max = hi + room;
}

ChartSeries* GfxAddSeriesObjToChart(ChartModel* chart, const std::string& name, int styleCode,
                                    int markers, int, int, int) {
  if (!chart) return nullptr;
  ChartSeriesKind kind = ChartSeriesKind::kLine;
  if (styleCode == 13) kind = ChartSeriesKind::kCandle;
  else if (styleCode == 0) kind = ChartSeriesKind::kPoint;
  else if (styleCode == 2) kind = ChartSeriesKind::kBar;
  ChartSeries* series = chart->AddSeries(name, kind);
  series->markers = markers != 0;
  return series;
}

void GfxChartSetRange(ChartModel* chart, double xMin, double xMax, double yMin, double yMax,
                      int axis) {
  if (!chart) return;
  chart->argumentMin = xMin;
  chart->argumentMax = xMax;
  ChartAxis& a = chart->ValueAxis(axis == 2 ? 1 : 0);
  if (yMax > yMin) {
    a.min = yMin;
    a.max = yMax;
    a.autoRange = false;
  } else {
    a.autoRange = true;
  }
}

}  // namespace orv::ui
