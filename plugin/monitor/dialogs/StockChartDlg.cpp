#include "plugin/monitor/dialogs/StockChartDlg.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/grid.h>
#include <wx/notebook.h>

#include <algorithm>
#include <cstdlib>

#include "platform/ui/ChartControl.h"
#include "plugin/view/PelomarView.h"

namespace {
constexpr int kTopTabsId = 2303;
constexpr int kBottomTabsId = 2304;
constexpr int kRefreshId = 379;
constexpr int kDayChartId = 2010;
constexpr int kMinuteChartId = 2011;
constexpr int kDayDataId = 2524;
// The strip on the left that holds the "Refresh" button.
constexpr int kButtonStrip = 80;
}  // namespace

CStockChartDlg::CStockChartDlg(CPelomarView& view) : view_(view) {}

CStockChartDlg::~CStockChartDlg() {
  *alive_ = false;
  if (dialog_) dialog_->Destroy();
}

bool CStockChartDlg::CreateFromTemplate(int, wxWindow* parent) {
  if (dialog_) return true;
  dialog_ = new wxDialog(parent, wxID_ANY, "CHART", wxDefaultPosition, wxSize(960, 720),
                         wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER);
  topTabs_ = new wxNotebook(dialog_, kTopTabsId);
  bottomTabs_ = new wxNotebook(dialog_, kBottomTabsId);
  refresh_ = new wxButton(dialog_, kRefreshId, "Refresh", wxPoint(0, 50), wxSize(70, 25));
  dayChart_ = new orv::ui::ChartControl(topTabs_, kDayChartId, &charts_.DayChart());
  topTabs_->AddPage(dayChart_, "DAY CHART");
  minuteChart_ = new orv::ui::ChartControl(bottomTabs_, kMinuteChartId, &charts_.MinuteChart());
  bottomTabs_->AddPage(minuteChart_, "MINUTE CHART");
  dayData_ = new wxGrid(bottomTabs_, kDayDataId, wxDefaultPosition, wxDefaultSize, wxBORDER_SIMPLE);
  dayData_->CreateGrid(0, 0);
  bottomTabs_->AddPage(dayData_, "DAY DATA");
  bottomTabs_->SetSelection(0);

  refresh_->Bind(wxEVT_BUTTON, [this, alive = alive_](wxCommandEvent&) {
    if (*alive) Refresh();
  });
  dialog_->Bind(wxEVT_SIZE, [this, alive = alive_](wxSizeEvent& event) {
    event.Skip();
    if (!*alive) return;
    const wxSize client = dialog_->GetClientSize();
    LayOut(client.x, client.y);
  });
  // Closing only hides while the view keeps the dialog.
  dialog_->Bind(wxEVT_CLOSE_WINDOW, [this, alive = alive_](wxCloseEvent& event) {
    if (*alive && event.CanVeto())
      dialog_->Hide();
    else
      event.Skip();
  });
  const wxSize client = dialog_->GetClientSize();
  LayOut(client.x, client.y);
  return true;
}

void CStockChartDlg::LayOut(int width, int height) {
  if (!topTabs_ || !bottomTabs_) return;
  const int left = kButtonStrip;
  const int half = std::abs(height) / 2;
  const int w = std::max(0, width - left);
  topTabs_->SetSize(left, 0, w, half);
  bottomTabs_->SetSize(left, half, w, std::max(0, height - half));
}

void CStockChartDlg::ShowDialog(wxWindow*, bool, bool, int) {
  if (!dialog_) return;
  dialog_->Show();
  dialog_->Raise();
}

void CStockChartDlg::HideDialog() {
  if (dialog_) dialog_->Hide();
}

void CStockChartDlg::CenterWindow() {
  if (dialog_) dialog_->CentreOnParent();
}

void CStockChartDlg::ShowWindow(bool show) {
  if (dialog_) dialog_->Show(show);
}

void CStockChartDlg::SetStock(uint8_t market, const std::wstring& code) {
  market_ = market;
  code_ = code;
}

void CStockChartDlg::SetChartData(std::shared_ptr<const StockChartSnapshot_s> chart) {
  stock_ = std::move(chart);
}

int CStockChartDlg::LoadChartData() {
  if (!charts_.LoadChartData(stock_.get())) return 0;
  if (dayChart_) dayChart_->Refresh();
  if (minuteChart_) minuteChart_->Refresh();
  return 1;
}

void CStockChartDlg::Refresh() {
  if (!code_.empty()) view_.ShowStockChartDlg(market_, code_);
}
