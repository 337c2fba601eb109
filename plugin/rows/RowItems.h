#pragma once
// The grid cells the trading plug-in's rows share on top of the report grid's items: the
// framed number ("my-number"), the rate-or-amount number ("number2"), the framed time, and the
// base of every row that shows one stock.

#include <string>
#include <string_view>

#include "platform/ui/model/ReportRecord.h"
#include "platform/win/WinTypes.h"

struct Stock_s;

// Text colours of the rows (0x00BBGGRR).
constexpr COLORREF kRowRed = 0x0000FF;
constexpr COLORREF kRowBlue = 0xFF0000;
constexpr COLORREF kRowBlack = 0x000000;
constexpr COLORREF kRowWhite = 0xFFFFFF;
// Frame of the framed number and time cells.
constexpr COLORREF kRowItemFrame = 0xE0E0E0;

// Red above 0, blue below 0, `zero` at 0.
COLORREF SignColor(double value, COLORREF zero = orv::ui::kColorNone);

// A number cell with a frame: `format` as the grid's number format, `suffix` drawn after it.
orv::ui::CMyReportRecordItemNumber* AddMyNumber(orv::ui::CMyReportRecordBase* row, double value,
                                                std::string_view format, std::wstring suffix = {});

// A split rate or a split amount in one cell: values up to 100 are a rate and carry the suffix
// ("5%"), larger values are an amount in won and are drawn bare ("50000").
class CMyReportRecordItemNumber2 : public orv::ui::CMyReportRecordItemNumber {
 public:
  CMyReportRecordItemNumber2(double value, std::string_view format, std::wstring prefix,
                             std::wstring suffix);
  std::wstring GetCaption(const orv::ui::COptionList* options) const override;
};

orv::ui::CMyReportRecordItemNumber* AddNumber2(orv::ui::CMyReportRecordBase* row, double value);

// Time cell formats: 1 hours and minutes, 3 hours, minutes and seconds.
constexpr int kTimeNumHourMinute = 1;
constexpr int kTimeNumHourMinuteSecond = 3;

// A time cell (empty for an all-zero time); `frame` kColorNone for none.
orv::ui::CMyReportRecordItemDateTime* AddTimeNum(orv::ui::CMyReportRecordBase* row,
                                                 const SYSTEMTIME& time, int format,
                                                 COLORREF frame);

// A cell button whose width scales with the screen (width × scale, whole pixels).
void AddScaledButton(orv::ui::CMyReportRecordItem* item, std::wstring_view caption, int id,
                     int width, double scale);

// A row that shows one stock (not owned; null for rows without one). The stock may point back
// at the row through one slot of its row-reference table.
class CStockGridRecord : public orv::ui::CMyReportRecordBase {
 public:
  explicit CStockGridRecord(Stock_s* stock) : m_pStock(stock) {}
  ~CStockGridRecord() override;

  Stock_s* GetStock() const { return m_pStock; }
  void SetStock(Stock_s* stock) { m_pStock = stock; }

 protected:
  Stock_s* m_pStock = nullptr;
};
