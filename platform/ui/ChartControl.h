#pragma once
// The chart window: paints a ChartModel (candles, lines, points, bars on one or two value
// axes, the category labels below, a legend on top). The model belongs to the window's owner
// and outlives it; whoever changes it calls Refresh() afterwards.

#include <wx/panel.h>

#include "platform/ui/model/ChartModel.h"

namespace orv::ui {

class ChartControl : public wxPanel {
 public:
  ChartControl(wxWindow* parent, int id, const ChartModel* model);

  const ChartModel* Model() const { return model_; }

  // The plot area (inside the axes) for the current size, and the category slot width.
  wxRect PlotRect(wxDC& dc) const;

 private:
  void OnPaint(wxPaintEvent& event);
  void Draw(wxDC& dc);

  const ChartModel* model_;
};

}  // namespace orv::ui
