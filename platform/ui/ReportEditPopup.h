#pragma once
// The support library's cell edit pop-up: a small window under a grid cell with a multi-line
// box holding the cell's text, for texts too long for the cell. Closing it (a click outside, or
// Ctrl+Enter) stores the text in the cell through the grid's own edit path (the edit request
// first, then the commit, so the owner's checks run as for an edit in place); Escape closes it
// without a change.

class wxWindow;

namespace orv::ui {

class ReportGridWindow;

// Flags of GfxShowReportCtrlEditPopup.
constexpr int kEditPopupStoreOnClose = 1;  // closing stores the text (else only Ctrl+Enter)

// Opens the pop-up (width x height pixels) for the cell at shown row `row`, column `column`
// of the grid. Answers the pop-up window, or null when the cell does not exist. A cell that
// refuses the edit shows its text and keeps it. One pop-up is open at a time: a new one closes
// the last.
wxWindow* GfxShowReportCtrlEditPopup(ReportGridWindow* grid, int row, int column, int width,
                                     int height, int flags);

// The pop-up that is open, or null (the edit box is its only child).
wxWindow* OpenReportEditPopup();
// Closes the open pop-up as the user would: with `store`, as a click outside (or Ctrl+Enter)
// does, else as Escape does.
void CloseReportEditPopup(bool store);

}  // namespace orv::ui
