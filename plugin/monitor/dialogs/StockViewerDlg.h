#pragma once
// The prototype viewer: the rows of "sample.csv" (in the working folder) in a grid above, and
// a line of 100 values with three marked points in a chart below.

#include <wx/dialog.h>

#include <string>
#include <vector>

#include "platform/ui/model/ChartModel.h"
#include "plugin/monitor/core/TradingCsv.h"

class wxGrid;
namespace orv::ui {
class ChartControl;
}

class CStockViewerDlg : public wxDialog {
 public:
  explicit CStockViewerDlg(wxWindow* parent, const std::string& csvPath = "sample.csv");

  // Loads the CSV into the grid and the entries; a file that cannot be opened loads nothing.
  void LoadCsv(const std::string& path);
  // Draws the values as the line "1" with the points at 20, 50 and 80 marked.
  void DrawValues(const std::vector<double>& values);

  wxGrid* Grid() const { return grid_; }
  const std::vector<TradingData>& Entries() const { return entries_; }
  const orv::ui::ChartModel& Chart() const { return chart_; }

 private:
  void OnSize(wxSizeEvent& event);

  wxGrid* grid_ = nullptr;
  orv::ui::ChartControl* chartWindow_ = nullptr;
  orv::ui::ChartModel chart_;
  std::vector<double> values_;
  std::vector<TradingData> entries_;
};
