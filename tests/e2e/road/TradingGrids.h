#pragma once
// The trading view's grids read as the user sees them, for the road tests.

#include <wx/grid.h>
#include <wx/notebook.h>
#include <wx/string.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <memory>
#include <string>

namespace orv::test::grids {

// The trading view's grids as the user sees them: the tab control whose first tab is the
// all-stock quotes, each tab a grid window whose first wxGrid is the body and second the footer.
inline wxNotebook* TradingTabs(wxWindow* window) {
  if (auto* tabs = dynamic_cast<wxNotebook*>(window))
    if (tabs->GetPageCount() > 0 && tabs->GetPageText(0).StartsWith(L"전종목 시세")) return tabs;
  for (wxWindow* child : window->GetChildren())
    if (wxNotebook* tabs = TradingTabs(child)) return tabs;
  return nullptr;
}

inline wxGrid* TabGrid(wxNotebook* tabs, size_t page, bool footer) {
  if (!tabs || page >= tabs->GetPageCount()) return nullptr;
  int seen = 0;
  for (wxWindow* child : tabs->GetPage(page)->GetChildren())
    if (auto* grid = dynamic_cast<wxGrid*>(child))
      if (seen++ == (footer ? 1 : 0)) return grid;
  return nullptr;
}

inline int ColumnTitled(wxGrid* grid, const wchar_t* title) {
  for (int col = 0; grid && col < grid->GetNumberCols(); ++col)
    if (grid->GetColLabelValue(col) == title) return col;
  return -1;
}

inline double CellNumber(wxGrid* grid, int row, int col) {
  std::wstring text = grid->GetCellValue(row, col).ToStdWstring();
  text.erase(std::remove(text.begin(), text.end(), L','), text.end());
  return text.empty() ? 0 : std::stod(text);
}

// The body row whose 코드 cell is `code`, or -1.
inline int RowOfCode(wxGrid* grid, const char* code) {
  const int col = ColumnTitled(grid, L"코드");
  for (int row = 0; col >= 0 && row < grid->GetNumberRows(); ++row)
    if (grid->GetCellValue(row, col) == wxString(code)) return row;
  return -1;
}

// A left click a few pixels inside the right edge of a body cell, where its buttons are.
inline void ClickCellButton(wxGrid* grid, int row, int col) {
  const wxRect cell = grid->CellToRect(row, col);
  int x = 0, y = 0;
  grid->CalcScrolledPosition(cell.GetRight() - 4, cell.y + cell.height / 2, &x, &y);
  for (int c = 0; c < grid->GetNumberFrozenCols(); ++c) x -= grid->GetColSize(c);
  wxWindow* target = grid->GetGridWindow();
  wxMouseEvent down(wxEVT_LEFT_DOWN);
  down.SetEventObject(target);
  down.SetPosition(wxPoint(x, y));
  target->GetEventHandler()->ProcessEvent(down);
}

// The user right-clicks a row of the grid; in the menu that opens, `command` is picked and the
// menu closes. The menu may open after this returns: the caller keeps the returned timer, which
// makes the pick, until the command's effect shows.
inline std::unique_ptr<wxTimer> PickRowMenuCommand(wxGrid* grid, int row, int command) {
  auto pick = std::make_unique<wxTimer>();
  pick->Bind(wxEVT_TIMER, [grid, command](wxTimerEvent&) {
    wxCommandEvent choose(wxEVT_MENU, command);
    grid->ProcessWindowEvent(choose);
    wxUIActionSimulator().Char(WXK_ESCAPE);
  });
  pick->StartOnce(500);
  wxGridEvent click(grid->GetId(), wxEVT_GRID_CELL_RIGHT_CLICK, grid, row, 1);
  grid->ProcessWindowEvent(click);
  return pick;
}

}  // namespace orv::test::grids
