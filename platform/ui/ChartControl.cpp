#include "platform/ui/ChartControl.h"

#include <wx/dcbuffer.h>
#include <wx/settings.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace orv::ui {

namespace {

constexpr int kLeftMargin = 72;
constexpr int kRightMargin = 64;
constexpr int kTopMargin = 8;
constexpr int kBottomMargin = 26;
constexpr int kLegendGap = 6;
// Room between the plot's frame and the extreme values, so a wick at an extent stays visible.
constexpr int kPlotInset = 4;

// The colours series get when they name none.
const uint32_t kSeriesColours[] = {0x00000000, 0x00A000A0, 0x00808080, 0x0000A0E0,
                                   0x00808080, 0x00FF8000, 0x00008000, 0x000080FF, 0x00C0C0C0};
// Rising candles red, falling blue (0x00BBGGRR).
constexpr uint32_t kRiseColour = 0x000000FF;
constexpr uint32_t kFallColour = 0x00FF0000;

wxColour FromColorRef(uint32_t c) {
  return wxColour(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

// A step of 1, 2 or 5 times a power of ten giving about `wanted` ticks over the span.
double NiceStep(double span, int wanted) {
  if (!(span > 0) || wanted < 1) return 1;
  const double raw = span / wanted;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (raw <= m * power) return m * power;
  return 10 * power;
}

wxString ValueText(double v, double step) {
  if (step >= 1) return wxString::Format("%.0f", v);
  const int decimals = std::min(6, static_cast<int>(std::ceil(-std::log10(step))));
  return wxString::Format("%.*f", decimals, v);
}

struct AxisScale {
  double min = 0;
  double max = 1;
  int top = 0;
  int bottom = 1;
  int Y(double v) const {
    const double span = max > min ? max - min : 1;
    return bottom - static_cast<int>(std::lround((v - min) / span * (bottom - top)));
  }
};

}  // namespace

ChartControl::ChartControl(wxWindow* parent, int id, const ChartModel* model)
    : wxPanel(parent, id, wxDefaultPosition, wxDefaultSize, wxFULL_REPAINT_ON_RESIZE),
      model_(model) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &ChartControl::OnPaint, this);
}

void ChartControl::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  Draw(dc);
}

wxRect ChartControl::PlotRect(wxDC& dc) const {
  static const ChartModel kEmpty;
  const ChartModel& model = model_ ? *model_ : kEmpty;
  const wxSize size = GetClientSize();
  const int line = dc.GetCharHeight();
  const int top = kTopMargin + (model.legend ? line + kLegendGap : 0);
  const int right = model.secondaryAxis && model.ValueAxis(1).visible ? kRightMargin : 12;
  const int bottom = kBottomMargin + (model.labelAngle == 90 ? line * 3 : 0);
  return wxRect(kLeftMargin, top, std::max(10, size.x - kLeftMargin - right),
                std::max(10, size.y - top - bottom));
}

void ChartControl::Draw(wxDC& dc) {
  dc.SetBackground(*wxWHITE_BRUSH);
  dc.Clear();
  dc.SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
  if (!model_) return;
  const ChartModel& model = *model_;
  const wxRect plot = PlotRect(dc);

  // The categories: the labels of the series with the most points, in order.
  const ChartSeries* longest = nullptr;
  for (const auto& s : model.Series())
    if (s->visible && (!longest || s->points.size() > longest->points.size())) longest = s.get();
  std::vector<std::string> categories;
  if (longest)
    for (const ChartPoint& p : longest->points) categories.push_back(p.label);
  const int n = std::max<int>(1, static_cast<int>(categories.size()));
  const double slot = static_cast<double>(plot.width) / n;
  auto xOf = [&](int index) { return plot.x + static_cast<int>((index + 0.5) * slot); };

  AxisScale scales[2];
  for (int a = 0; a < 2; ++a) {
    const ChartAxis& axis = model.ValueAxis(a);
    scales[a].top = plot.y + kPlotInset;
    scales[a].bottom = plot.GetBottom() - kPlotInset;
    if (axis.autoRange) {
      model.AutoRange(a, &scales[a].min, &scales[a].max);
    } else {
      scales[a].min = axis.min;
      scales[a].max = axis.max;
    }
  }

  // Value axes: grid lines, tick labels and titles.
  dc.SetTextForeground(wxColour(60, 60, 60));
  for (int a = 0; a < 2; ++a) {
    const ChartAxis& axis = model.ValueAxis(a);
    if (a == 1 && !model.secondaryAxis) continue;
    if (!axis.visible) continue;
    // A second axis that no series with points uses has nothing to label.
    if (a == 1) {
      bool used = false;
      for (const auto& s : model.Series()) used = used || (s->axis == 1 && !s->points.empty());
      if (!used) continue;
    }
    const AxisScale& sc = scales[a];
    const double step = NiceStep(sc.max - sc.min, std::max(2, plot.height / 40));
    for (double v = std::ceil(sc.min / step) * step; v <= sc.max + step * 1e-9; v += step) {
      const int y = sc.Y(v);
      if (y < plot.y || y > plot.GetBottom()) continue;
      if (axis.gridLines) {
        dc.SetPen(wxPen(wxColour(230, 230, 230)));
        dc.DrawLine(plot.x, y, plot.GetRight(), y);
      }
      if (!axis.labels) continue;
      const wxString text = ValueText(std::fabs(v) < step * 1e-6 ? 0.0 : v, step);
      const wxSize ext = dc.GetTextExtent(text);
      const int x = axis.farSide ? plot.GetRight() + 5 : plot.x - 5 - ext.x;
      dc.DrawText(text, x, y - ext.y / 2);
    }
    if (axis.titleVisible && !axis.title.empty()) {
      const wxString title = wxString::FromUTF8(axis.title);
      const wxSize ext = dc.GetTextExtent(title);
      const int x = axis.farSide ? GetClientSize().x - ext.y - 2 : 2;
      dc.DrawRotatedText(title, x, plot.y + (plot.height + ext.x) / 2, 90);
    }
    for (double line : axis.constantLines) {
      const int y = sc.Y(line);
      if (y < plot.y || y > plot.GetBottom()) continue;
      dc.SetPen(wxPen(wxColour(120, 120, 120), 1, wxPENSTYLE_SHORT_DASH));
      dc.DrawLine(plot.x, y, plot.GetRight(), y);
    }
  }

  // The plot's frame and the category labels, as many as fit side by side.
  dc.SetPen(wxPen(wxColour(160, 160, 160)));
  dc.SetBrush(*wxTRANSPARENT_BRUSH);
  dc.DrawRectangle(plot);
  if (!categories.empty()) {
    int widest = 0;
    for (const std::string& c : categories)
      widest = std::max(widest, dc.GetTextExtent(wxString::FromUTF8(c)).x);
    const int room = model.labelAngle == 90 ? dc.GetCharHeight() + 4 : widest + 12;
    const int every = std::max(1, static_cast<int>(std::ceil(room / std::max(1.0, slot))));
    for (int i = 0; i < static_cast<int>(categories.size()); i += every) {
      const wxString text = wxString::FromUTF8(categories[i]);
      const wxSize ext = dc.GetTextExtent(text);
      dc.DrawLine(xOf(i), plot.GetBottom(), xOf(i), plot.GetBottom() + 4);
      if (model.labelAngle == 90)
        dc.DrawRotatedText(text, xOf(i) - ext.y / 2, plot.GetBottom() + 6 + ext.x, 90);
      else
        dc.DrawText(text, xOf(i) - ext.x / 2, plot.GetBottom() + 6);
    }
  }

  // The series, clipped to the plot; each point goes to the next category of its label.
  dc.SetClippingRegion(plot);
  int place = 0;
  std::vector<std::pair<wxString, wxColour>> legend;
  for (const auto& s : model.Series()) {
    const int colourIndex = place++ % static_cast<int>(std::size(kSeriesColours));
    if (!s->visible || s->points.empty()) continue;
    const wxColour colour = FromColorRef(s->colour ? s->colour : kSeriesColours[colourIndex]);
    legend.emplace_back(wxString::FromUTF8(s->name), colour);
    const AxisScale& sc = scales[s->axis == 1 && model.secondaryAxis ? 1 : 0];
    std::vector<int> index(s->points.size(), -1);
    size_t cursor = 0;
    for (size_t i = 0; i < s->points.size(); ++i) {
      for (size_t c = cursor; c < categories.size(); ++c)
        if (categories[c] == s->points[i].label) {
          index[i] = static_cast<int>(c);
          cursor = c + 1;
          break;
        }
    }
    const int body = std::max(1, static_cast<int>(slot * 0.6));
    wxPoint previous;
    bool hasPrevious = false;
    for (size_t i = 0; i < s->points.size(); ++i) {
      if (index[i] < 0) continue;
      const ChartPoint& p = s->points[i];
      const int x = xOf(index[i]);
      switch (s->kind) {
        case ChartSeriesKind::kCandle: {
          const wxColour c = FromColorRef(p.close >= p.open ? kRiseColour : kFallColour);
          dc.SetPen(wxPen(c));
          dc.SetBrush(wxBrush(c));
          dc.DrawLine(x, sc.Y(p.high), x, sc.Y(p.low));
          const int top = sc.Y(std::max(p.open, p.close));
          const int bottom = sc.Y(std::min(p.open, p.close));
          dc.DrawRectangle(x - body / 2, top, body, std::max(1, bottom - top));
          break;
        }
        case ChartSeriesKind::kPoint: {
          dc.SetPen(wxPen(colour));
          dc.SetBrush(wxBrush(colour));
          dc.DrawCircle(x, sc.Y(p.close), 2);
          break;
        }
        case ChartSeriesKind::kBar: {
          dc.SetPen(wxPen(colour));
          dc.SetBrush(wxBrush(colour));
          const int zero = sc.Y(0);
          const int y = sc.Y(p.close);
          dc.DrawRectangle(x - body / 2, std::min(y, zero), body, std::max(1, std::abs(zero - y)));
          break;
        }
        case ChartSeriesKind::kLine: {
          const wxPoint at(x, sc.Y(p.close));
          dc.SetPen(wxPen(colour, 2));
          if (hasPrevious) dc.DrawLine(previous, at);
          if (s->markers) {
            dc.SetBrush(wxBrush(colour));
            dc.DrawCircle(at, 2);
          }
          previous = at;
          hasPrevious = true;
          break;
        }
      }
    }
  }
  dc.DestroyClippingRegion();

  // The legend: a swatch and the name of every series with points, in a row above the plot.
  if (model.legend) {
    int x = plot.x;
    const int line = dc.GetCharHeight();
    dc.SetTextForeground(*wxBLACK);
    for (const auto& [name, colour] : legend) {
      dc.SetPen(wxPen(colour));
      dc.SetBrush(wxBrush(colour));
      dc.DrawRectangle(x, kTopMargin + line / 2 - 4, 12, 8);
      dc.DrawText(name, x + 16, kTopMargin);
      x += 16 + dc.GetTextExtent(name).x + 14;
    }
  }
}

}  // namespace orv::ui
