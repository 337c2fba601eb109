// The log record conversion and the popup stacking arithmetic.
#include <gtest/gtest.h>

#include <cwchar>

#include "host/frame/PopupPlacement.h"
#include "host/logs/LogHub.h"
#include "host/logs/LogMsgConversion.h"

namespace {

TEST(LogMsgConversion, CopiesEveryFieldDeepAndFreesIt) {
  LogHubEntry entry;
  entry.level = -1;
  entry.number3 = 12;
  entry.number4 = 3;
  entry.flag1 = 1;
  entry.flag2 = 2;
  entry.flag3 = 3;
  entry.time.wHour = 9;
  entry.time.wMilliseconds = 120;
  entry.text = L"매수 주문";
  entry.source = L"Pelomar";

  log_msg_data_s out;
  ASSERT_TRUE(orv::host::CopyLogHubEntry(entry, &out));
  EXPECT_EQ(out.nLevel, -1);
  EXPECT_EQ(out.nNumber2, 0);
  EXPECT_EQ(out.nStatus, 12);
  EXPECT_EQ(out.nCode, 3);
  EXPECT_EQ(out.byFlags[0], 1);
  EXPECT_EQ(out.byFlags[1], 2);
  EXPECT_EQ(out.byFlags[2], 3);
  EXPECT_EQ(out.tmTime.wHour, 9);
  EXPECT_EQ(out.tmTime.wMilliseconds, 120);
  ASSERT_NE(out.pszText, nullptr);
  EXPECT_STREQ(out.pszText, L"매수 주문");
  EXPECT_NE(out.pszText, entry.text.c_str());
  ASSERT_NE(out.pszSource, nullptr);
  EXPECT_STREQ(out.pszSource, L"Pelomar");

  // Copying into a record that holds texts replaces them; a line without a source gives null.
  LogHubEntry plain;
  plain.text = L"x";
  ASSERT_TRUE(orv::host::CopyLogHubEntry(plain, &out));
  EXPECT_STREQ(out.pszText, L"x");
  EXPECT_EQ(out.pszSource, nullptr);

  orv::host::FreeLogMsgData(&out);
  EXPECT_EQ(out.pszText, nullptr);
  EXPECT_EQ(out.pszSource, nullptr);
  orv::host::FreeLogMsgData(&out);
  EXPECT_FALSE(orv::host::CopyLogHubEntry(plain, nullptr));
}

RECT At(LONG x, LONG y, LONG w, LONG h) { return RECT{x, y, x + w, y + h}; }

TEST(PopupPlacement, MovesUpPastEveryPopupItWouldCover) {
  struct Case {
    const char* name;
    POINT start;
    std::vector<RECT> open;
    POINT expected;
  };
  const Case cases[] = {
      {"none open", {1000, 900}, {}, {1000, 900}},
      {"one below", {1000, 900}, {At(1000, 900, 329, 74)}, {1000, 826}},
      {"two stacked", {1000, 900}, {At(1000, 900, 329, 74), At(1000, 826, 329, 74)}, {1000, 752}},
      {"stacked in any order",
       {1000, 900},
       {At(1000, 826, 329, 74), At(1000, 900, 329, 74)},
       {1000, 752}},
      {"taller popup in the way", {1000, 900}, {At(1100, 850, 100, 200)}, {1000, 776}},
      {"not overlapping", {1000, 900}, {At(10, 900, 329, 74)}, {1000, 900}},
      {"touching edge is no overlap", {1000, 900}, {At(1000, 974, 329, 74)}, {1000, 900}},
      {"gap too small", {1000, 900}, {At(1000, 900, 329, 74), At(1000, 780, 329, 74)}, {1000, 706}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const POINT p = orv::host::PlacePopupRect(c.start, 329, 74, c.open);
    EXPECT_EQ(p.x, c.expected.x);
    EXPECT_EQ(p.y, c.expected.y);
  }
  const POINT corner = orv::host::DefaultPopupCorner(RECT{0, 0, 1600, 1000}, 329, 74);
  EXPECT_EQ(corner.x + 329, 1600 - 8);
  EXPECT_EQ(corner.y + 74, 1000 - 8);
}

}  // namespace
