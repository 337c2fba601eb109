// The tick list's virtual rows: one per record of the bound vector, numbers cut toward zero.
#include <gtest/gtest.h>

#include <cwchar>

#include "plugin/monitor/core/AppLogKeys.h"
#include "plugin/monitor/core/TickRecords.h"

TEST(TickRows, RowsFromTheBoundRecords) {
  TickRecord_s a;
  a.nation = 1;
  std::wcscpy(a.code, L"005930");
  a.tick = 7;
  std::wcscpy(a.time, L"09:30:15");
  a.price = 70100.9;
  a.changeRate = 2.75;
  a.startPrice = 69000;
  a.high = 70500.5;
  a.low = -1.5;
  TickRecordList list = {&a, nullptr};
  std::array<std::wstring, kTickColumnCount> cells;
  ASSERT_TRUE(TickRowTexts(&list, 0, &cells));
  const std::array<std::wstring, kTickColumnCount> expected = {
      L"1", L"005930", L"7", L"09:30:15", L"70100", L"2", L"69000", L"70500", L"-1"};
  EXPECT_EQ(cells, expected);
  // No row without a list, for a null record or outside the list.
  EXPECT_FALSE(TickRowTexts(nullptr, 0, &cells));
  EXPECT_FALSE(TickRowTexts(&list, 1, &cells));
  EXPECT_FALSE(TickRowTexts(&list, -1, &cells));
  EXPECT_FALSE(TickRowTexts(&list, 2, &cells));
  EXPECT_STREQ(kTickColumns[5].caption, L"Up/Down%");
}

TEST(AppLogKeys, OnlyKeysGoingDownAct) {
  struct Case {
    AppLogKeyInput key;
    AppLogKey action;
  } cases[] = {
      {{true, 13, false, false}, AppLogKey::kSearch},
      {{false, 13, false, false}, AppLogKey::kNone},  // Enter coming up searches nothing
      {{true, 27, false, false}, AppLogKey::kSwallow},
      {{false, 27, false, true}, AppLogKey::kNone},
      {{true, 'A', true, true}, AppLogKey::kSelectAll},
      {{true, 'a', true, true}, AppLogKey::kSelectAll},
      {{true, 'A', true, false}, AppLogKey::kNone},   // the focus is elsewhere (the search box)
      {{true, 'A', false, true}, AppLogKey::kNone},
      {{true, 'C', true, true}, AppLogKey::kCopy},
      {{false, 'C', true, true}, AppLogKey::kNone},
      {{true, 'X', true, true}, AppLogKey::kNone},
  };
  for (const Case& c : cases)
    EXPECT_EQ(AppLogKeyAction(c.key), c.action)
        << c.key.keyDown << " " << c.key.keyCode << " " << c.key.control;
  EXPECT_EQ(AppLogSearchText(L" \t매수\r\n"), L"매수");
  EXPECT_EQ(AppLogSearchText(std::wstring(40, L'x')).size(), 29u);
  EXPECT_EQ(AppLogSearchText(L" \t "), L"");
}
