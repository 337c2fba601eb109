#include "platform/ui/model/ReportText.h"

#include "platform/ui/model/ReportCtrl.h"

namespace orv::ui {
namespace {

std::wstring PlainCell(std::wstring text) {
  for (wchar_t& c : text)
    if (c == L'\t' || c == L'\r' || c == L'\n') c = L' ';
  return text;
}

std::wstring HtmlEscaped(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    switch (c) {
      case L'&': out += L"&amp;"; break;
      case L'<': out += L"&lt;"; break;
      case L'>': out += L"&gt;"; break;
      case L'"': out += L"&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

std::vector<int> ReportTableColumns(const CMyReportCtrl& grid) {
  std::vector<int> columns;
  for (int c = 0; c < grid.GetColumnCount(); ++c) {
    const ReportColumn* column = grid.GetColumn(c);
    if (column && column->visible && column->width > 0) columns.push_back(c);
  }
  return columns;
}

std::vector<CMyReportRecordBase*> ReportTableRows(const CMyReportCtrl& grid, bool selectionOnly) {
  if (selectionOnly) {
    std::vector<CMyReportRecordBase*> selected = grid.GetSelectedRecords();
    if (!selected.empty()) return selected;
  }
  std::vector<CMyReportRecordBase*> rows;
  for (int r = 0; r < grid.GetRowCount(); ++r) rows.push_back(grid.GetRowRecord(r));
  return rows;
}

std::wstring ReportRecordsText(const CMyReportCtrl& grid) {
  const std::vector<int> columns = ReportTableColumns(grid);
  std::wstring text;
  auto line = [&](auto cellOf) {
    for (size_t i = 0; i < columns.size(); ++i) {
      if (i) text += L'\t';
      text += PlainCell(cellOf(*grid.GetColumn(columns[i])));
    }
    text += L"\r\n";
  };
  line([](const ReportColumn& column) { return column.spec.title; });
  for (CMyReportRecordBase* row : ReportTableRows(grid, false))
    line([row](const ReportColumn& column) { return row->GetItemCaption(column.itemIndex); });
  return text;
}

std::wstring ReportRecordsHtml(const CMyReportCtrl& grid, const std::wstring& title,
                               const std::wstring& font) {
  const std::vector<int> columns = ReportTableColumns(grid);
  std::wstring html = L"<html><head><meta charset=\"utf-8\"><title>" + HtmlEscaped(title) +
                      L"</title></head><body style=\"font-family:" + HtmlEscaped(font) +
                      L"\"><table border=\"1\" style=\"border-collapse:collapse\"><tr>";
  for (int c : columns) html += L"<th>" + HtmlEscaped(grid.GetColumn(c)->spec.title) + L"</th>";
  html += L"</tr>";
  for (CMyReportRecordBase* row : ReportTableRows(grid, false)) {
    html += L"<tr>";
    for (int c : columns)
      html += L"<td>" + HtmlEscaped(row->GetItemCaption(grid.GetColumn(c)->itemIndex)) + L"</td>";
    html += L"</tr>";
  }
  return html + L"</table></body></html>";
}

}  // namespace orv::ui
