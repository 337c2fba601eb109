#pragma once
// Notifications a report grid sends its owner, with the codes the owners switch on.

#include "platform/win/WinTypes.h"

namespace orv::ui {

class CMyReportCtrl;
class CMyReportRecordBase;

constexpr int NM_DBLCLK = -3;                     // double click on a row
constexpr int NM_RCLICK = -5;                     // right click on a row, with the point
constexpr int REPORT_NM_HEADER_RCLICK = -51;      // right click on a column header
constexpr int REPORT_NM_SELCHANGED = -52;         // the selected rows changed
constexpr int REPORT_NM_CHECKED = -53;            // a check box was toggled by the user
constexpr int REPORT_NM_SORTCHANGED = -56;        // the sort column or order changed
constexpr int REPORT_NM_VALUECHANGED = -57;       // the user changed a cell's value
constexpr int REPORT_NM_INPLACEBUTTONDOWN = -58;  // the drop-down button of an editor
constexpr int REPORT_NM_REQUESTEDIT = -62;        // may this cell be edited? (set cancel)
constexpr int REPORT_NM_COLUMNCHANGED = -68;      // a column was resized, hidden or shown
constexpr int REPORT_NM_ITEMBUTTONCLICK = -83;    // an in-cell button was clicked

struct ReportNotify {
  int code = 0;
  int ctrlId = 0;
  CMyReportCtrl* grid = nullptr;
  CMyReportRecordBase* record = nullptr;
  int row = -1;         // shown row index, -1 for none
  int column = -1;      // column index (= item index), -1 for none
  int buttonId = -1;    // in-cell button id (the icon index) for REPORT_NM_ITEMBUTTONCLICK
  POINT pt{};           // client point of a click
  BOOL cancel = FALSE;  // REPORT_NM_REQUESTEDIT: the owner sets TRUE to refuse the edit
};

}  // namespace orv::ui
