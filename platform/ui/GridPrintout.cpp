#include "platform/ui/GridPrintout.h"

#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/dc.h>
#include <wx/font.h>
#include <wx/printdlg.h>
#include <wx/prntbase.h>

#include <algorithm>

#include "platform/ui/model/ReportCtrl.h"
#include "platform/ui/model/ReportText.h"
#include "platform/win/MessageBox.h"

namespace orv::ui {
namespace {

constexpr int kScreenDpi = 96;
// The printed text: small enough for a grid's narrow columns.
constexpr int kFontPoints = 7;
constexpr int kCellGap = 3;
// Message-box style bits of the preview failure: task-modal, foreground.
constexpr UINT kMbTaskModal = 0x2000;
constexpr UINT kMbSetForeground = 0x10000;

}  // namespace

GridPrintout::GridPrintout(CMyReportCtrl& grid, std::function<bool()> selectionOnly,
                           const wxString& title)
    : wxPrintout(title), grid_(grid), selectionOnly_(std::move(selectionOnly)) {}

void GridPrintout::OnPreparePrinting() {
  rows_ = ReportTableRows(grid_, selectionOnly_ && selectionOnly_());
  int w = 0, h = 0;
  GetPageSizePixels(&w, &h);
  int ppiX = kScreenDpi, ppiY = kScreenDpi;
  GetPPIPrinter(&ppiX, &ppiY);
  const int pageHeight96 = ppiY > 0 ? h * kScreenDpi / ppiY : h;
  rowsPerPage_ = std::max(1, (pageHeight96 - 2 * kMargin) / kRowHeight - 1);
  pages_ = std::max(1, static_cast<int>((rows_.size() + rowsPerPage_ - 1) / rowsPerPage_));
}

bool GridPrintout::HasPage(int page) { return page >= 1 && page <= pages_; }

void GridPrintout::GetPageInfo(int* minPage, int* maxPage, int* from, int* to) {
  *minPage = *from = 1;
  *maxPage = *to = pages_;
}

bool GridPrintout::OnPrintPage(int page) {
  wxDC* dc = GetDC();
  if (!dc || !HasPage(page)) return false;
  MapScreenSizeToPage();
  dc->SetFont(wxFontInfo(kFontPoints).Family(wxFONTFAMILY_SWISS));
  dc->SetTextForeground(*wxBLACK);
  const std::vector<int> columns = ReportTableColumns(grid_);
  // Each text stays inside its column: a long one is cut rather than run into the next.
  auto cell = [dc](const std::wstring& text, int x, int y, int width) {
    wxDCClipper clip(*dc, wxRect(x, y, std::max(1, width - kCellGap), kRowHeight));
    dc->DrawText(wxString(text), x, y);
  };
  int y = kMargin;
  int x = kMargin;
  for (int c : columns) {
    const ReportColumn* column = grid_.GetColumn(c);
    cell(column->spec.title, x, y, column->width);
    x += column->width;
  }
  dc->DrawLine(kMargin, y + kRowHeight - 2, x, y + kRowHeight - 2);
  y += kRowHeight;
  const size_t first = static_cast<size_t>(page - 1) * rowsPerPage_;
  for (size_t i = first; i < rows_.size() && i < first + rowsPerPage_; ++i, y += kRowHeight) {
    x = kMargin;
    for (int c : columns) {
      const ReportColumn* column = grid_.GetColumn(c);
      cell(rows_[i]->GetItemCaption(column->itemIndex), x, y, column->width);
      x += column->width;
    }
  }
  return true;
}

bool PrintGrid(CMyReportCtrl& grid, wxWindow* parent, bool prompt) {
  wxPrintDialogData data;
  data.EnableSelection(!grid.GetSelectedRecords().empty());
  wxPrinter printer(&data);
  GridPrintout printout(grid, [&printer] { return printer.GetPrintDialogData().GetSelection(); });
  return printer.Print(parent, &printout, prompt);
}

wxFrame* ShowGridPrintPreview(CMyReportCtrl& grid, wxWindow* parent, bool selectionOnly) {
  auto selection = [selectionOnly] { return selectionOnly; };
  auto* preview = new wxPrintPreview(new GridPrintout(grid, selection),
                                     new GridPrintout(grid, selection));
  if (!preview->IsOk()) {
    delete preview;
    orv::win::MessageBox("Cannot Preview", "ERROR", MB_ICONERROR | kMbTaskModal | kMbSetForeground);
    return nullptr;
  }
  auto* frame = new wxPreviewFrame(preview, parent, wxString(L"Print Preview"));
  frame->Initialize();
  frame->Show();
  return frame;
}

bool CopyAllRecordsTextToClipboard(const CMyReportCtrl& grid, const std::wstring& title,
                                   const std::wstring& font) {
  wxClipboardLocker locker;
  if (!locker) return false;
  auto* data = new wxDataObjectComposite();
  data->Add(new wxTextDataObject(wxString(ReportRecordsText(grid))), true);
  data->Add(new wxHTMLDataObject(wxString(ReportRecordsHtml(grid, title, font))));
  return wxTheClipboard->SetData(data);
}

}  // namespace orv::ui
