#include "plugin/monitor/dialogs/LogFileDlg.h"

#include <wx/dialog.h>
#include <wx/grid.h>
#include <wx/sizer.h>

#include <array>

class CLogGridTable : public wxGridTableBase {
 public:
  void Bind(TickRecordList* ticks) {
    const int before = rows_;
    ticks_ = ticks;
    rows_ = ticks ? static_cast<int>(ticks->size()) : 0;
    if (!GetView()) return;
    if (rows_ > before) {
      wxGridTableMessage grow(this, wxGRIDTABLE_NOTIFY_ROWS_APPENDED, rows_ - before);
      GetView()->ProcessTableMessage(grow);
    } else if (rows_ < before) {
      wxGridTableMessage shrink(this, wxGRIDTABLE_NOTIFY_ROWS_DELETED, rows_, before - rows_);
      GetView()->ProcessTableMessage(shrink);
    }
  }
  int GetNumberRows() override { return rows_; }
  int GetNumberCols() override { return kTickColumnCount; }
  wxString GetValue(int row, int col) override {
    std::array<std::wstring, kTickColumnCount> cells;
    if (col < 0 || col >= kTickColumnCount || !TickRowTexts(ticks_, row, &cells)) return {};
    return wxString(cells[static_cast<size_t>(col)]);
  }
  void SetValue(int, int, const wxString&) override {}
  wxString GetColLabelValue(int col) override {
    return col >= 0 && col < kTickColumnCount ? wxString(kTickColumns[col].caption) : wxString();
  }

 private:
  TickRecordList* ticks_ = nullptr;
  int rows_ = 0;
};

CLogGridCtrl::CLogGridCtrl(wxWindow* parent)
    : grid_(new wxGrid(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                       wxBORDER_SIMPLE | wxTAB_TRAVERSAL)),
      table_(new CLogGridTable) {
  grid_->SetTable(table_, true);
  grid_->EnableEditing(false);
  grid_->HideRowLabels();
  for (int col = 0; col < kTickColumnCount; ++col) grid_->SetColSize(col, kTickColumns[col].width);
}

void CLogGridCtrl::SetTickData(TickRecordList* ticks) {
  table_->Bind(ticks);
  grid_->ForceRefresh();
}

int CLogGridCtrl::RowCount() const { return grid_->GetNumberRows(); }

CLogFileDlg::~CLogFileDlg() {
  *alive_ = false;
  // The grid window goes with the dialog; its table must not read the vector any more.
  if (grid_ && dialog_) grid_->SetTickData(nullptr);
  if (dialog_) dialog_->Destroy();
}

bool CLogFileDlg::CreateFromTemplate(int, wxWindow* parent) {
  if (dialog_) return true;
  dialog_ = new wxDialog(parent, wxID_ANY, "Tick List", wxDefaultPosition, wxSize(800, 500),
                         wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER);
  grid_ = std::make_unique<CLogGridCtrl>(dialog_.get());
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(grid_->Grid(), 1, wxEXPAND | wxALL, 10);
  dialog_->SetSizer(sizer);
  dialog_->Bind(wxEVT_CLOSE_WINDOW, [this, alive = alive_](wxCloseEvent& event) {
    if (*alive && event.CanVeto())
      dialog_->Hide();
    else
      event.Skip();
  });
  if (ticks_) grid_->SetTickData(ticks_);
  return true;
}

void CLogFileDlg::ShowDialog(wxWindow*, bool, bool, int) { ShowWindow(true); }

void CLogFileDlg::HideDialog() { ShowWindow(false); }

void CLogFileDlg::ShowWindow(bool show) {
  if (dialog_) dialog_->Show(show);
}

void CLogFileDlg::RefreshTickList(bool scroll) {
  if (!grid_ || !ticks_ || !dialog_) return;
  grid_->SetTickData(ticks_);
  if (scroll && !ticks_->empty()) grid_->Grid()->MakeCellVisible(grid_->RowCount() - 1, 0);
  grid_->Grid()->Refresh();
}
