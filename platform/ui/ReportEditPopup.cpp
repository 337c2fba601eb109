#include "platform/ui/ReportEditPopup.h"

#include <wx/grid.h>
#include <wx/popupwin.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include <string>

#include "platform/ui/ReportGridWindow.h"
#include "platform/ui/model/ReportCtrl.h"
#include "platform/ui/model/ReportRecord.h"

namespace orv::ui {

namespace {

class EditPopup;
EditPopup* g_open = nullptr;

class EditPopup : public wxPopupTransientWindow {
 public:
  EditPopup(wxWindow* parent, CMyReportCtrl& model, CMyReportRecordBase* record, int column,
            const std::wstring& text, int width, int height, int flags)
      : wxPopupTransientWindow(parent, wxBORDER_SIMPLE),
        model_(&model),
        record_(record),
        column_(column),
        flags_(flags) {
    edit_ = new wxTextCtrl(this, wxID_ANY, wxString(text), wxDefaultPosition,
                           wxSize(width, height), wxTE_MULTILINE);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(edit_, 1, wxEXPAND);
    SetSizerAndFit(sizer);
    edit_->Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& e) {
      if (e.GetKeyCode() == WXK_ESCAPE) {
        Close(false);
      } else if ((e.GetKeyCode() == WXK_RETURN || e.GetKeyCode() == WXK_NUMPAD_ENTER) &&
                 e.ControlDown()) {
        Close(true);
      } else {
        e.Skip();
      }
    });
  }
  ~EditPopup() override {
    if (g_open == this) g_open = nullptr;
  }

  // Ends the pop-up once: stores the text when asked, then goes.
  void Close(bool store) {
    if (closed_) return;
    closed_ = true;
    if (g_open == this) g_open = nullptr;
    if (IsShown()) Dismiss();
    if (store) Store();
    Destroy();
  }

 protected:
  // A click outside.
  void OnDismiss() override { Close((flags_ & kEditPopupStoreOnClose) != 0); }

 private:
  void Store() {
    // The grid may have been repopulated meanwhile: the record's current row decides.
    const int row = model_->GetRowIndex(record_);
    if (row < 0) return;
    const std::wstring text = edit_->GetValue().ToStdWstring();
    if (text == record_->GetItemCaption(column_)) return;
    if (model_->OnRequestEdit(row, column_)) model_->OnCommitEdit(row, column_, text);
  }

  CMyReportCtrl* model_;
  CMyReportRecordBase* record_;
  int column_;
  int flags_;
  wxTextCtrl* edit_ = nullptr;
  bool closed_ = false;
};

}  // namespace

wxWindow* GfxShowReportCtrlEditPopup(ReportGridWindow* grid, int row, int column, int width,
                                     int height, int flags) {
  if (!grid) return nullptr;
  CMyReportCtrl* model = grid->GetModel();
  wxGrid* body = grid->GetBodyGrid();
  if (!model || !body) return nullptr;
  CMyReportRecordBase* record = model->GetRowRecord(row);
  if (!record || !model->GetCell(row, column)) return nullptr;
  CloseReportEditPopup(false);
  auto* popup = new EditPopup(body, *model, record, column, record->GetItemCaption(column),
                              width, height, flags);
  // Under the cell, as far as the grid has scrolled.
  const wxRect cell = body->CellToRect(row, column);
  int x = 0, y = 0;
  body->CalcScrolledPosition(cell.x, cell.GetBottom(), &x, &y);
  popup->Position(body->GetGridWindow()->ClientToScreen(wxPoint(x, y)), wxSize(0, 0));
  g_open = popup;
  popup->Popup(popup->GetChildren().front());
  return popup;
}

wxWindow* OpenReportEditPopup() { return g_open; }

void CloseReportEditPopup(bool store) {
  if (g_open) g_open->Close(store);
}

}  // namespace orv::ui
