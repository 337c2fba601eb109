#include <gtest/gtest.h>

#include "platform/ui/model/OptionList.h"
#include "platform/ui/model/ReportItems.h"

namespace orv::ui {
namespace {

TEST(NumberFormat, FormatsTheRowFormats) {
  struct Case {
    const char* format;
    double value;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {"%.0lf", 12345.6, L"12346"}, {"%.1lf%%", 3.14, L"3.1%"},   {"%.0f%%", -2.0, L"-2%"},
      {"K%.1f", 1.25, L"K1.2"},     {"%.2f", 0.5, L"0.50"},       {"%.1f %%", 0.05, L"0.1 %"},
      {"%d", 65535.9, L"65535"},    {"%.4f", 1.23456, L"1.2346"}, {"", 42.0, L"42"},
      {"", 0.25, L"0.25"},          {"%5.1f", 2.0, L"  2.0"},
  };
  for (const Case& c : cases) {
    NumberFormat f;
    ASSERT_TRUE(f.Set(c.format)) << c.format;
    EXPECT_EQ(f.Format(c.value), c.expected) << c.format;
  }
}

TEST(NumberFormat, RefusesUnsafeFormatsAndKeepsTheOldOne) {
  NumberFormat f;
  ASSERT_TRUE(f.Set("%.2f"));
  for (const char* bad : {"%s", "%n", "%.1f %.1f", "%*d", "%hs", "no number", "%", "%1000f"}) {
    EXPECT_FALSE(f.Set(bad)) << bad;
    EXPECT_EQ(f.Format(1.0), L"1.00") << bad;
  }
}

TEST(ReportItems, CaptionsOfEveryKind) {
  COptionList alarms;
  alarms.Add(1, L"알람없음");
  alarms.Add(3, L"상승알람");
  EXPECT_EQ(CMyRecItemOptions(3).GetCaption(&alarms), L"상승알람");
  EXPECT_EQ(CMyRecItemOptions(7).GetCaption(&alarms), L"7");  // unlisted: its number
  EXPECT_EQ(CMyRecItemOptions(3).GetCaption(nullptr), L"3");

  SYSTEMTIME t{};
  EXPECT_EQ(CMyReportRecordItemDateTime(ReportItemKind::Time, t, kTimeFormat).GetCaption(nullptr),
            L"");  // no time: empty cell
  t.wYear = 2025;
  t.wMonth = 3;
  t.wDay = 7;
  t.wHour = 9;
  t.wMinute = 5;
  t.wSecond = 1;
  EXPECT_EQ(CMyReportRecordItemDateTime(ReportItemKind::Date, t, kDateFormat).GetCaption(nullptr),
            L"2025-03-07");
  EXPECT_EQ(CMyReportRecordItemDateTime(ReportItemKind::Time, t, kTimeFormat).GetCaption(nullptr),
            L"09:05:01");

  CMyReportRecordItemDateTime date(ReportItemKind::Date, {}, kDateFormat);
  SYSTEMTIME parsed{};
  EXPECT_TRUE(date.ParseCaption(L"2024-12-31", &parsed));
  EXPECT_EQ(parsed.wYear, 2024);
  EXPECT_EQ(parsed.wDay, 31);
  EXPECT_FALSE(date.ParseCaption(L"2024-13-01", &parsed));
  EXPECT_FALSE(date.ParseCaption(L"2024-12-31x", &parsed));
}

TEST(ReportItems, CellButtonsSitAtTheRightEndInOrder) {
  CMyReportRecordItemText item(L"삼성전자");
  REPORT_CELL_ADD_BUTTON(&item, L"정보", 1, 27);
  REPORT_CELL_ADD_BUTTON(&item, L"인증", 5, 27);
  // cell 150 wide: buttons at [96,123) and [123,150)
  EXPECT_EQ(HitTestCellButton(item, 150, 10), -1);
  EXPECT_EQ(HitTestCellButton(item, 150, 96), 0);
  EXPECT_EQ(HitTestCellButton(item, 150, 122), 0);
  EXPECT_EQ(HitTestCellButton(item, 150, 123), 1);
  EXPECT_EQ(HitTestCellButton(item, 150, 149), 1);
  EXPECT_EQ(HitTestCellButton(item, 150, 150), -1);
  EXPECT_EQ(CellButtonLeft(item, 150, 1), 123);
  EXPECT_EQ(item.buttons[1].id, 5);
}

}  // namespace
}  // namespace orv::ui
