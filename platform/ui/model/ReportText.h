#pragma once
// A report grid as a table of text: the visible columns' titles and the shown rows' captions,
// for printing and for the clipboard (tab-separated text and an HTML table).

#include <string>
#include <vector>

namespace orv::ui {

class CMyReportCtrl;
class CMyReportRecordBase;

// The columns a printed or copied table shows: visible ones with a width above 0, in order.
std::vector<int> ReportTableColumns(const CMyReportCtrl& grid);

// The rows a table shows: with `selectionOnly` the selected rows when there are any, else every
// shown row in its order.
std::vector<CMyReportRecordBase*> ReportTableRows(const CMyReportCtrl& grid, bool selectionOnly);

// The title line and one line per row, cells separated by tabs, lines by "\r\n"; a tab or line
// break inside a cell becomes a space.
std::wstring ReportRecordsText(const CMyReportCtrl& grid);

// The same table as an HTML document titled `title` in font `font`, texts escaped.
std::wstring ReportRecordsHtml(const CMyReportCtrl& grid, const std::wstring& title,
                               const std::wstring& font);

}  // namespace orv::ui
