#include "plugin/monitor/dialogs/StockViewerDlg.h"

#include <wx/grid.h>

#include <cstdlib>

#include "platform/ui/ChartControl.h"

namespace {
constexpr int kGridId = 2524;
constexpr int kChartId = 2010;
constexpr int kValueCount = 100;
constexpr int kMarkedPoints[] = {20, 50, 80};
}  // namespace

CStockViewerDlg::CStockViewerDlg(wxWindow* parent, const std::string& csvPath)
    : wxDialog(parent, wxID_ANY, "CHART", wxDefaultPosition, wxSize(900, 700),
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {
  grid_ = new wxGrid(this, kGridId, wxDefaultPosition, wxDefaultSize, wxBORDER_SIMPLE);
  grid_->CreateGrid(0, 0);
  grid_->EnableEditing(false);
  LoadCsv(csvPath);
  chartWindow_ = new orv::ui::ChartControl(this, kChartId, &chart_);
  std::vector<double> values;
  for (int i = 0; i < kValueCount; ++i) values.push_back(std::rand() % 1000 + 8000);
  DrawValues(values);
  Bind(wxEVT_SIZE, &CStockViewerDlg::OnSize, this);
  wxSizeEvent size(GetSize());
  OnSize(size);
}

void CStockViewerDlg::LoadCsv(const std::string& path) {
  std::vector<std::vector<std::wstring>> rows;
  std::vector<TradingData> entries;
  if (!LoadTradingCsv(path, &rows, &entries)) return;
  for (const auto& row : rows) {
    const int r = grid_->GetNumberRows();
    grid_->AppendRows(1);
    if (static_cast<int>(row.size()) > grid_->GetNumberCols())
      grid_->AppendCols(static_cast<int>(row.size()) - grid_->GetNumberCols());
    for (size_t c = 0; c < row.size(); ++c) grid_->SetCellValue(r, static_cast<int>(c), row[c]);
  }
  entries_.insert(entries_.end(), entries.begin(), entries.end());
}

void CStockViewerDlg::DrawValues(const std::vector<double>& values) {
  values_ = values;
  chart_.RemoveAllSeries();
  orv::ui::ChartSeries* line = chart_.AddSeries("1", orv::ui::ChartSeriesKind::kLine);
  for (size_t i = 0; i < values.size(); ++i) line->AddPoint(std::to_string(i), values[i]);
  for (int at : kMarkedPoints) {
    if (at >= static_cast<int>(values.size())) continue;
    orv::ui::ChartSeries* mark =
        chart_.AddSeries("Point " + std::to_string(at), orv::ui::ChartSeriesKind::kPoint);
    mark->markers = true;
    mark->AddPoint(std::to_string(at), values[static_cast<size_t>(at)]);
  }
  chart_.labelAngle = 90;
  chart_.legend = true;
  if (chartWindow_) chartWindow_->Refresh();
}

void CStockViewerDlg::OnSize(wxSizeEvent& event) {
  event.Skip();
  const wxSize client = GetClientSize();
  const int half = client.y / 2;
  if (grid_) grid_->SetSize(0, 0, client.x, half);
  if (chartWindow_) chartWindow_->SetSize(0, half, client.x, client.y - half);
}
