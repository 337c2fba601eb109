#include <gtest/gtest.h>

#include "platform/ui/model/OptionList.h"

namespace orv::ui {
namespace {

TEST(OptionList, ParsesTheListFormsTheDialogsUse) {
  struct Case {
    const wchar_t* text;
    std::vector<OptionEntry> expected;
  };
  const Case cases[] = {
      {L"1:매수;2:매도", {{1, L"매수"}, {2, L"매도"}}},
      // no trailing separator, negative values, empty label
      {L"0:;-100:■숨기지 않음;-1:-1% 미만 숨김",
       {{0, L""}, {-100, L"■숨기지 않음"}, {-1, L"-1% 미만 숨김"}}},
      // blanks before the value; the label keeps its leading blank
      {L"0:Stochastic 사용안함; 1048576:Stochastic SLOW 사용;",
       {{0, L"Stochastic 사용안함"}, {1048576, L"Stochastic SLOW 사용"}}},
      // leading zeros are decimal, not octal
      {L"0:*자동 재시작 안함*;0810:08시10분에 재시작;",
       {{0, L"*자동 재시작 안함*"}, {810, L"08시10분에 재시작"}}},
      {L"1: 1% 이상;", {{1, L" 1% 이상"}}},
      // a colon inside the label belongs to the label
      {L"1:1:코스피;", {{1, L"1:코스피"}}},
      {L"", {}},
  };
  for (const Case& c : cases) {
    COptionList list;
    std::wstring error;
    ASSERT_TRUE(list.Parse(std::wstring_view(c.text), L';', &error)) << error;
    ASSERT_EQ(list.Size(), c.expected.size()) << c.text;
    for (size_t i = 0; i < list.Size(); ++i) {
      EXPECT_EQ(list.At(i).value, c.expected[i].value) << c.text;
      EXPECT_EQ(list.At(i).label, c.expected[i].label) << c.text;
    }
  }
}

TEST(OptionList, RejectsMalformedEntriesAndKeepsTheOldList) {
  COptionList list;
  ASSERT_TRUE(list.Parse(std::wstring_view(L"1:a;2:b")));
  for (const wchar_t* bad : {L"1:a;매수;", L"x:a", L":a", L"1.5:a", L"99999999999999999999:a"}) {
    std::wstring error;
    EXPECT_FALSE(list.Parse(std::wstring_view(bad), L';', &error)) << bad;
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(list.Size(), 2u) << bad;
  }
}

TEST(OptionList, RoundTripsAndFindsByValueAndLabel) {
  COptionList list;
  ASSERT_TRUE(
      list.Parse(std::string_view("0:■없음;1:키움증권;11:DB증권;2:LS증권;14:한국투자증권")));
  EXPECT_EQ(list.ToText(), L"0:■없음;1:키움증권;11:DB증권;2:LS증권;14:한국투자증권;");
  COptionList again;
  ASSERT_TRUE(again.Parse(std::wstring_view(list.ToText())));
  EXPECT_EQ(again.ToText(), list.ToText());

  EXPECT_EQ(list.IndexOfValue(11), 2);
  EXPECT_EQ(list.IndexOfValue(3), -1);
  ASSERT_NE(list.FindLabel(14), nullptr);
  EXPECT_EQ(*list.FindLabel(14), L"한국투자증권");
  int64_t v = -1;
  EXPECT_TRUE(list.FindValue(L"LS증권", &v));
  EXPECT_EQ(v, 2);
  EXPECT_FALSE(list.FindValue(L"LS", &v));
}

TEST(OptionList, StrFindNumIndexIsOneBased) {
  EXPECT_EQ(StrFindNumIndex(L"5000:5,000원;10000:10,000원;20000:20,000원;", 10000), 2);
  EXPECT_EQ(StrFindNumIndex(L"5000:5,000원;10000:10,000원;", 7000), 0);
  EXPECT_EQ(StrFindNumIndex(L"broken", 1), 0);
}

}  // namespace
}  // namespace orv::ui
