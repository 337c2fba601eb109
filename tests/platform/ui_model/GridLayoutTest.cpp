#include <gtest/gtest.h>

#include "platform/ui/model/GridLayout.h"

namespace orv::ui {
namespace {

TEST(GridLayout, ReadsTitlesFlagsAndWidths) {
  std::vector<GridColumnSpec> cols;
  std::wstring error;
  ASSERT_TRUE(ParseGridLayout(
      L":?5;No:25;카페:?30;구분:?g50;국가:c30;만기일:?;대출일:d60;체크시간:t60;No:-28;현재가:>60;"
      L":#16;매수시간1; 매수한도;허용1(%):38;추천인:?0",
      L';', &cols, &error))
      << error;
  ASSERT_EQ(cols.size(), 15u);
  EXPECT_EQ(cols[0].title, L"");
  EXPECT_TRUE(cols[0].hidden);
  EXPECT_EQ(cols[0].width, 5);
  EXPECT_EQ(cols[1].title, L"No");
  EXPECT_FALSE(cols[1].hidden);
  EXPECT_EQ(cols[2].title, L"카페");
  EXPECT_TRUE(cols[3].hidden && cols[3].grouping);
  EXPECT_TRUE(cols[4].options);
  EXPECT_EQ(cols[5].width, kDefaultColumnWidth);  // "?" without a width
  EXPECT_TRUE(cols[6].date);
  EXPECT_TRUE(cols[7].time);
  EXPECT_TRUE(cols[8].alignCenter);
  EXPECT_TRUE(cols[9].alignRight);
  EXPECT_TRUE(cols[10].treeColumn);
  EXPECT_EQ(cols[11].title, L"매수시간1");  // title alone
  EXPECT_EQ(cols[11].width, kDefaultColumnWidth);
  EXPECT_EQ(cols[12].title, L" 매수한도");  // blanks belong to the title
  EXPECT_EQ(cols[13].title, L"허용1(%)");
  EXPECT_EQ(cols[13].width, 38);
  EXPECT_EQ(cols[14].width, 0);
}

TEST(GridLayout, ViewLayoutsHaveTheirColumnCounts) {
  const wchar_t* own =
      L":#16;No:-28;증권사:?g100;계좌:40;구분:?35;국가:?gc35;마켓:c30;NXT:?30;풋/"
      L"콜:?30;신용구분:20;"
      L"코드:50;종목명:150;코멘트:?90;자동매매:40;SMS:?32;재매수:?45;분리계좌:?40;청산매도:?40;"
      L"매도비중:c75;손절기준:>95;최저이익:>95;간격:>85;첫계단 보정:?45;분할률/금액:100;매수/매도 "
      L"기준구간:100;대출일:d60;만기일:?60;융자:-20;수신:-30;계단:-30;계단2:-30;계단매도:-50;"
      L"체크시간:"
      L"t60;IN-TIME:t60;OUT-TIME:t60;주문수:?t40;보전수익금:?60;튕김:?60;디버그:?;점수D:>40;점수M:>"
      L"40;"
      L"현재가:>60;등락:>43;강도:?>43;점수:?>40;김.프:?>40;BTC마켓:?>50;B.등락:?>40;매수평단:>60;"
      L"매수환율:?>60;수익률:>50;보전수익:>60;돌파점:>50;주문량:>45;보유수:>35;매입금액:>70;"
      L"신용금액:>"
      L"70;신용율:>40;평가금액:>70;평가손익:>70;세금:>70;수수료:>70;기관10일:>60;기관.오늘:>60;"
      L"외인10일:"
      L">60;외인.오늘:>60;외인상승:?>50;외인하락:?>50;분할량:>55;분할금액:>65;매도금지량:>75;"
      L"재매수량:"
      L">75;재매수한도:>75;";
  std::vector<GridColumnSpec> cols;
  ASSERT_TRUE(ParseGridLayout(own, L';', &cols));
  EXPECT_EQ(cols.size(), 73u);
  EXPECT_EQ(cols[72].title, L"재매수한도");
  EXPECT_EQ(cols[24].title, L"매수/매도 기준구간");
}

TEST(GridLayout, RejectsUnknownFlagsAndBadWidths) {
  std::vector<GridColumnSpec> cols(2);
  for (const wchar_t* bad : {L"No:25;A:?x30", L"A:3a0", L"A:9999999"}) {
    std::wstring error;
    EXPECT_FALSE(ParseGridLayout(bad, L';', &cols, &error)) << bad;
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(cols.size(), 2u);  // untouched
  }
}

}  // namespace
}  // namespace orv::ui
