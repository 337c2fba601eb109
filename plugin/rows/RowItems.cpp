#include "plugin/rows/RowItems.h"

#include <cmath>
#include <memory>

using orv::ui::CMyReportRecordBase;
using orv::ui::CMyReportRecordItem;
using orv::ui::CMyReportRecordItemDateTime;
using orv::ui::CMyReportRecordItemNumber;
using orv::ui::COptionList;

COLORREF SignColor(double value, COLORREF zero) {
  if (value > 0) return kRowRed;
  if (value < 0) return kRowBlue;
  return zero;
}

CMyReportRecordItemNumber* AddMyNumber(CMyReportRecordBase* row, double value,
                                       std::string_view format, std::wstring suffix) {
  auto item = std::make_unique<CMyReportRecordItemNumber>(value, format, suffix);
  item->frameColor = kRowItemFrame;
  return static_cast<CMyReportRecordItemNumber*>(row->AddItem(std::move(item)));
}

CMyReportRecordItemNumber2::CMyReportRecordItemNumber2(double value, std::string_view format,
                                                       std::wstring prefixText,
                                                       std::wstring suffixText)
    : CMyReportRecordItemNumber(value, format) {
  prefix = prefixText;
  suffix = suffixText;
  frameColor = kRowItemFrame;
}

std::wstring CMyReportRecordItemNumber2::GetCaption(const COptionList*) const {
  if (std::fabs(value) > 100) return prefix.str() + format.Format(value);
  return prefix.str() + format.Format(value) + suffix.str();
}

CMyReportRecordItemNumber* AddNumber2(CMyReportRecordBase* row, double value) {
  return static_cast<CMyReportRecordItemNumber*>(
      row->AddItem(std::make_unique<CMyReportRecordItemNumber2>(value, "%.0f", L"", L"%")));
}

CMyReportRecordItemDateTime* AddTimeNum(CMyReportRecordBase* row, const SYSTEMTIME& time,
                                        int format, COLORREF frame) {
  const char* text = format == kTimeNumHourMinute ? orv::ui::kTimeFormatHm : orv::ui::kTimeFormat;
  CMyReportRecordItemDateTime* item = row->AddTime(time, text);
  item->frameColor = frame;
  return item;
}

void AddScaledButton(CMyReportRecordItem* item, std::wstring_view caption, int id, int width,
                     double scale) {
  if (!(scale > 0) || !std::isfinite(scale)) scale = 1.0;  // a missing scale draws at 100 %
  orv::ui::REPORT_CELL_ADD_BUTTON(item, caption, id, static_cast<int>(width * scale), 2, 1);
}

CStockGridRecord::~CStockGridRecord() = default;
