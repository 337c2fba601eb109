#pragma once
// The grid cells the trading plug-in's rows share on top of the report grid's items: the
// framed number ("my-number"), the rate-or-amount number ("number2"), the framed time, and the
// base of every row that shows one stock.

#include <string>
#include <string_view>

#include "platform/ui/model/ReportRecord.h"
#include "platform/win/WinTypes.h"

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

// A row that shows one stock, named by its market kind and code (empty for rows without one,
// such as footers). The row holds copies of the values it shows: it never points at the
// engine's stock record, which a balance or list reply may free.
class CStockGridRecord : public orv::ui::CMyReportRecordBase {
 public:
  CStockGridRecord() = default;
  CStockGridRecord(uint8_t market, std::wstring code) : m_market(market), m_code(std::move(code)) {}
  ~CStockGridRecord() override;

  bool HasStock() const { return !m_code.empty(); }
  uint8_t GetStockMarket() const { return m_market; }
  const std::wstring& GetStockCode() const { return m_code; }

 protected:
  uint8_t m_market = 0;
  std::wstring m_code;
};
