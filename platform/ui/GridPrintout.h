#pragma once
// Printing a report grid: a printout that draws the grid's rows as a table of the visible
// columns' titles and cells, page after page at the printer's resolution mapped to 96 dots per
// inch; the print preview over it in a frame of its own; and the grid copied to the clipboard.

#include <wx/print.h>

#include <functional>
#include <string>
#include <vector>

namespace orv::ui {

class CMyReportCtrl;
class CMyReportRecordBase;

class GridPrintout : public wxPrintout {
 public:
  // `selectionOnly` is asked when printing starts (the print dialog may have changed it): with
  // true and selected rows only those are printed. The grid must outlive the printout.
  GridPrintout(CMyReportCtrl& grid, std::function<bool()> selectionOnly,
               const wxString& title = wxString(L"Pelomar"));

  void OnPreparePrinting() override;
  bool HasPage(int page) override;
  void GetPageInfo(int* minPage, int* maxPage, int* from, int* to) override;
  bool OnPrintPage(int page) override;

  int Pages() const { return pages_; }
  int RowsPerPage() const { return rowsPerPage_; }
  // The rows printed, in order (known once printing is prepared).
  const std::vector<CMyReportRecordBase*>& Rows() const { return rows_; }

  static constexpr int kMargin = 20;
  static constexpr int kRowHeight = 18;

 private:
  CMyReportCtrl& grid_;
  std::function<bool()> selectionOnly_;
  std::vector<CMyReportRecordBase*> rows_;
  int rowsPerPage_ = 1;
  int pages_ = 1;
};

// Prints the grid through the print dialog, which offers the selection when rows are selected.
// False when the user cancelled or printing failed.
bool PrintGrid(CMyReportCtrl& grid, wxWindow* parent, bool prompt = true);

// Opens the print preview of the grid in a frame titled "Print Preview" and answers it; when the
// preview cannot start, the "Cannot Preview" error box is shown and null answered.
wxFrame* ShowGridPrintPreview(CMyReportCtrl& grid, wxWindow* parent, bool selectionOnly);

// Puts the grid's table on the clipboard as text (tab-separated) and as HTML titled `title` in
// font `font`. False when the clipboard cannot be opened.
bool CopyAllRecordsTextToClipboard(const CMyReportCtrl& grid, const std::wstring& title,
                                   const std::wstring& font);

}  // namespace orv::ui
