#pragma once
// The window that shows a CMyReportCtrl: a wxGrid over a virtual table (only the rows on screen
// are formatted and drawn), with a second grid below for the footer rows, frozen leading
// columns, a cell renderer for colours, check boxes, in-cell buttons and tree buttons, and the
// user's clicks and edits forwarded to the model, which notifies the owner.
//
// The model must outlive nothing: when it goes first the window shows an empty grid.

#include <cstdint>
#include <string_view>

class wxWindow;
class wxGrid;

namespace orv::ui {

class CMyReportCtrl;
class ReportGridPanel;

class ReportGridWindow {
 public:
  // Creates the window as a child of `parent`; `model` gets it as its view. The returned
  // handle lives as long as the window (the parent destroys both).
  static ReportGridWindow* Create(CMyReportCtrl& model, wxWindow* parent, int id);
  ReportGridWindow(const ReportGridWindow&) = delete;
  ReportGridWindow& operator=(const ReportGridWindow&) = delete;

  wxWindow* GetWindow() const;  // the panel to place in the parent
  wxGrid* GetBodyGrid() const;
  wxGrid* GetFooterGrid() const;
  // The model shown, or null once it went.
  CMyReportCtrl* GetModel() const;

  // The shown rows currently on screen (first > last when none).
  void GetVisibleRows(int* first, int* last) const;
  // Repaints the changed rows that are on screen, and the footer rows when they changed. The
  // model asks for it through RedrawControl(); tests and benchmarks call it directly.
  void RefreshChangedRows();
  // How many rows the last RefreshChangedRows repainted.
  int GetLastRepaintCount() const;

  // A left click `xInCell` pixels into a body cell, as the mouse handler sees it: tree button,
  // in-cell button or check box, else selection. Answers true when the click was consumed.
  bool ClickCell(int row, int column, int xInCell);

 private:
  friend class ReportGridPanel;
  explicit ReportGridWindow(ReportGridPanel* panel) : panel_(panel) {}
  ReportGridPanel* panel_;
};

// Creates a grid for `model` with the columns of a layout string; answers the window, or
// nullptr (nothing created) when the layout is malformed.
ReportGridWindow* GfxInitReportCtrl2(CMyReportCtrl& model, wxWindow* parent, int id,
                                     std::wstring_view layout, wchar_t sep = L';');

// Window styles a grid is made with (the Windows values).
constexpr uint32_t WS_CHILD = 0x40000000;
constexpr uint32_t WS_VISIBLE = 0x10000000;
constexpr uint32_t WS_BORDER = 0x00800000;

// As GfxInitReportCtrl2, with window styles: without WS_VISIBLE the grid starts hidden, with
// WS_BORDER it has a thin frame.
ReportGridWindow* GfxInitReportCtrl4(CMyReportCtrl& model, wxWindow* parent, int id,
                                     uint32_t style, std::wstring_view layout,
                                     wchar_t sep = L';');

}  // namespace orv::ui
