#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "platform/ui/model/ReportCtrl.h"
#include "plugin/rows/GridConstraints.h"
#include "plugin/rows/RurezOzadoResultRecord.h"
#include "shared/StockRecords.h"

namespace {

using orv::ui::CMyReportCtrl;
using orv::ui::CMyReportRecordItem;
using orv::ui::kColorNone;
using orv::ui::ReportItemKind;
using Row = CRurezOzadoResultRecord;

// A cash holding of 10 shares bought for 700,000, on a domestic market, with the values the
// holdings grid copies from its holding and stock.
struct HoldingFixture : ::testing::Test {
  RurezOzadoRowValues v;

  HoldingFixture() {
    v.nation = 1;
    v.stockMarket = 1;
    v.dayScore = 71.6;
    v.minuteScore = -3.2;
    v.brokerId = 14;
    v.creditAmount = 350000;
    v.tax = 1234.4;
    v.commission = 56.7;
    v.buyExchangeRate = 1385.25;
    v.checkTime.wHour = 9;
    v.checkTime.wMinute = 5;
    v.checkTime.wSecond = 7;
    v.entryTime.wHour = 10;
    v.market = '1';
    v.rowNumber = 3;
    v.creditKind = 1;
    v.accountId = 7;
    v.code = L"005930";
    v.name = L"삼성전자";
    v.curPrice = 71234.6;
    v.quantity = 10;
    v.purchaseAmount = 700000;
    v.valuation = 712346;
    v.valuationProfit = 12346;
    v.sellRatio = 100;
    v.stopLossRate = -5;
    v.minProfit = 2;
    v.stepInterval = 1;
    v.splitRateOrAmount = 20;
  }

  std::unique_ptr<Row> Make(double scale = 1.0) { return std::make_unique<Row>(scale, v); }
};

std::wstring Caption(const Row& row, int index) { return row.GetItemCaption(index); }

TEST_F(HoldingFixture, HasTheTitledAndSpareColumnsOfTheLayout) {
  CMyReportCtrl grid;
  ASSERT_EQ(grid.InitColumns(std::string_view(kRurezOzadoGridLayout)), kRurezOzadoTitledColumns);
  auto row = Make();
  EXPECT_EQ(row->GetItemCount(), kRurezOzadoTitledColumns + kRurezOzadoSpareColumns);
  // Option ("c") and time ("t") columns of the layout hold option and time items.
  for (int i = 0; i < grid.GetColumnCount(); ++i) {
    const auto& spec = grid.GetColumn(i)->spec;
    if (spec.options) {
      EXPECT_EQ(row->GetItem(i)->Kind(), ReportItemKind::Options) << i;
    }
    if (spec.time && i != 35) {  // the order count column is a number with the time flag
      EXPECT_EQ(row->GetItem(i)->Kind(), ReportItemKind::Time) << i;
    }
  }
  EXPECT_EQ(grid.GetColumn(Row::kColName)->spec.title, L"종목명");
  EXPECT_EQ(grid.GetColumn(72)->spec.title, L"재매수한도");
}

TEST_F(HoldingFixture, ShowsTheHoldingAndStockValues) {
  auto row = Make();
  EXPECT_EQ(Caption(*row, Row::kColNo), L"3");
  EXPECT_EQ(row->GetOptionsValue(Row::kColBroker), 14);
  EXPECT_EQ(row->GetOptionsValue(Row::kColAccount), 7);
  EXPECT_EQ(row->GetOptionsValue(Row::kColNation), 1);
  EXPECT_EQ(row->GetOptionsValue(Row::kColMarket), '1');
  EXPECT_EQ(Caption(*row, Row::kColCode), L"005930");
  EXPECT_EQ(row->GetItem(Row::kColCode)->backColor, 0xFBF5EBu);
  EXPECT_EQ(Caption(*row, Row::kColCheckTime), L"09:05:07");
  EXPECT_EQ(row->GetItem(Row::kColCheckTime)->backColor, 0xF8EEF5u);
  EXPECT_EQ(row->GetItem(Row::kColCheckTime)->frameColor, 0xE0E0E0u);
  EXPECT_EQ(Caption(*row, 33), L"10:00:00");
  EXPECT_EQ(Caption(*row, 34), L"");  // never left
  EXPECT_EQ(Caption(*row, 39), L"72");
  EXPECT_EQ(Caption(*row, 40), L"-3");
  EXPECT_EQ(Caption(*row, Row::kColCurPrice), L"71235");
  EXPECT_EQ(row->GetItem(Row::kColCurPrice)->frameColor, 0xE0E0E0u);
  EXPECT_EQ(Caption(*row, Row::kColAvgPrice), L"70000");
  EXPECT_EQ(Caption(*row, 49), L"1385.2");
  EXPECT_EQ(Caption(*row, Row::kColCreditAmount), L"350000");  // the holding's credit amount
  EXPECT_EQ(row->GetItem(Row::kColCreditAmount)->textColor, 0x000000u);
  EXPECT_EQ(Caption(*row, Row::kColCreditRate), L"50.0%");
  EXPECT_EQ(Caption(*row, 60), L"1234");
  EXPECT_EQ(Caption(*row, 61), L"57");
  EXPECT_EQ(Caption(*row, Row::kColSplitRate), L"20%");
  EXPECT_EQ(Caption(*row, Row::kColFirstSpare), L"0");
  EXPECT_EQ(Caption(*row, 132), L"0");
  // The row names its stock by market and code, never by the engine's record.
  EXPECT_TRUE(row->HasStock());
  EXPECT_EQ(row->GetStockMarket(), 1);
  EXPECT_EQ(row->GetStockCode(), L"005930");
  EXPECT_EQ(row->GetAccountId(), 7);
  EXPECT_FALSE(row->IsBlankRow());
}

TEST_F(HoldingFixture, WithoutHoldingOrStockTheirColumnsAreZeroOrEmpty) {
  const RurezOzadoRowValues given = v;
  v = RurezOzadoRowValues();
  v.market = given.market;
  v.rowNumber = given.rowNumber;
  v.accountId = given.accountId;
  v.code = given.code;
  v.name = given.name;
  v.creditAmount = 1000;
  v.creditKind = 2;
  auto row = Make(1.0);
  EXPECT_EQ(row->GetOptionsValue(Row::kColBroker), 0);
  EXPECT_EQ(row->GetOptionsValue(Row::kColNation), 0);
  EXPECT_EQ(Caption(*row, Row::kColCheckTime), L"");
  EXPECT_EQ(Caption(*row, 39), L"0");
  EXPECT_EQ(Caption(*row, 49), L"0.0");
  EXPECT_EQ(Caption(*row, 60), L"0");
  EXPECT_EQ(Caption(*row, Row::kColCreditAmount), L"1000");  // the given amount
  EXPECT_EQ(row->GetItem(Row::kColCreditAmount)->textColor, 0xFF00FFu);
}

TEST_F(HoldingFixture, ForeignAndCoinMarketsShowFourDecimals) {
  struct Case {
    uint8_t market;
    const wchar_t* price;
  };
  const Case cases[] = {{'1', L"0"},      {'2', L"0"},      {'A', L"0.1235"}, {'D', L"0.1235"},
                        {'H', L"0.1235"}, {'N', L"0.1235"}, {'b', L"0.1235"}, {'B', L"0.1235"}};
  for (const Case& c : cases) {
    v.market = c.market;
    v.curPrice = 0.12345;
    v.btcPrice = 0.12345;
    auto row = Make();
    EXPECT_EQ(Caption(*row, Row::kColCurPrice), c.price) << c.market;
    EXPECT_EQ(Caption(*row, 46), c.price) << c.market;
    EXPECT_EQ(Caption(*row, 54), L"10") << c.market;  // quantities stay whole
  }
}

TEST_F(HoldingFixture, CreditColumnByMarketKindAndPutFlag) {
  struct Case {
    uint8_t market;
    int creditKind;
    int put;
    const wchar_t* text;
    COLORREF textColor;
    COLORREF back;
  };
  const Case cases[] = {
      {'b', 1, 0, L"KRW", kColorNone, 0xF1FAEA},    {'B', 2, 1, L"BTC", kColorNone, 0xE6EEFB},
      {'1', 1, 1, L"풋", 0x0000FF, kColorNone},     {'1', 1, 0, L"현금", 0x000000, kColorNone},
      {'2', 2, 1, L"공매도", 0x0000FF, kColorNone}, {'N', 2, 0, L"신용", 0x0000FF, kColorNone},
      {'1', 0, 1, L"", 0x0000FF, kColorNone},       {'1', 3, 0, L"", kColorNone, kColorNone},
  };
  for (const Case& c : cases) {
    v.market = c.market;
    v.creditKind = c.creditKind;
    v.putFlag = c.put;
    auto row = Make();
    const CMyReportRecordItem* item = row->GetItem(Row::kColCredit);
    EXPECT_EQ(Caption(*row, Row::kColCredit), c.text) << c.market << c.creditKind << c.put;
    EXPECT_EQ(item->textColor, c.textColor) << c.market << c.creditKind << c.put;
    EXPECT_EQ(item->backColor, c.back) << c.market << c.creditKind << c.put;
    EXPECT_EQ(row->GetNumberValue(Row::kColPut), c.put);
  }
}

TEST_F(HoldingFixture, BlankRowsShowEmptyRuleAndSpareColumns) {
  for (int number : {kBlankRowNumber, 0}) {
    v.rowNumber = number;
    auto row = Make();
    EXPECT_TRUE(row->IsBlankRow());
    EXPECT_EQ(Caption(*row, Row::kColNo), L"0") << number;
    for (int i = Row::kColSellRatio; i <= Row::kColSplitRate; ++i) {
      EXPECT_EQ(row->GetItem(i)->Kind(), ReportItemKind::Text) << number << " " << i;
      EXPECT_EQ(Caption(*row, i), L"") << number << " " << i;
      EXPECT_TRUE(row->GetItem(i)->buttons.empty()) << number << " " << i;
    }
    EXPECT_EQ(row->GetItem(Row::kColSellRatio)->backColor, 0xCFF3FCu);
    for (int i = Row::kColFirstSpare; i < row->GetItemCount(); ++i) {
      EXPECT_EQ(row->GetItem(i)->Kind(), ReportItemKind::Text) << i;
      EXPECT_EQ(Caption(*row, i), L"") << i;
    }
  }
  // Row 65535 still has its auto-trading check; row 0 shows an empty cell there.
  v.rowNumber = kBlankRowNumber;
  EXPECT_EQ(Make()->GetItem(Row::kColAutoTrade)->Kind(), ReportItemKind::Check);
  v.rowNumber = 0;
  auto row = Make();
  EXPECT_EQ(row->GetItem(Row::kColAutoTrade)->Kind(), ReportItemKind::Text);
  EXPECT_EQ(row->GetItem(Row::kColAutoTrade)->backColor, 0xCFF3FCu);
}

TEST_F(HoldingFixture, DivisionsByZeroShowZero) {
  v.quantity = 0;
  v.purchaseAmount = 0;
  auto row = Make();
  EXPECT_EQ(row->GetNumberValue(Row::kColAvgPrice), 0);
  EXPECT_EQ(row->GetNumberValue(Row::kColCreditRate), 0);
  v.quantity = 5;
  v.purchaseAmount = 100;
  v.creditAmount = 0;
  row = Make();
  EXPECT_EQ(row->GetNumberValue(Row::kColAvgPrice), 20);
  EXPECT_EQ(row->GetNumberValue(Row::kColCreditRate), 0);
}

TEST_F(HoldingFixture, SignColoursOfProfitAndInvestorColumns) {
  struct Case {
    double value;
    COLORREF profit;
    COLORREF investor;
  };
  for (const Case& c : {Case{12, 0x0000FF, 0x0000FF}, Case{-0.5, 0xFF0000, 0xFF0000},
                        Case{0, 0x000000, kColorNone}}) {
    v.valuationProfit = c.value;
    v.inst10Days = v.instToday = v.foreign10Days = v.foreignToday = c.value;
    auto row = Make();
    EXPECT_EQ(row->GetItem(Row::kColValuationProfit)->textColor, c.profit) << c.value;
    EXPECT_EQ(row->GetItem(Row::kColValuationProfit)->backColor, 0xF1FAEAu);
    for (int i = 62; i <= 65; ++i) EXPECT_EQ(row->GetItem(i)->textColor, c.investor) << i;
  }
}

TEST_F(HoldingFixture, RuleColumnBackgroundBands) {
  struct Case {
    int column;
    double value;
    COLORREF back;
  };
  const Case cases[] = {
      {19, -98.9, 0xE6E0B0}, {19, -99, 0x9FE7F9}, {19, -150, 0x9FE7F9}, {20, 10, 0xFFB3FF},
      {20, 5, 0x99AAFF},     {20, 4.9, 0xE1E4FF}, {20, 0, 0xE1E4FF},    {20, -0.1, 0xFFFF00},
      {21, 7, 0x7AB2F0},     {21, 5, 0x6FDCF7},   {21, 3, 0xF0DEEB},    {21, 2.9, 0xECEDFD},
      {23, 10000, 0xFFFFFF}, {23, 101, 0xF0DEEB}, {23, 100, 0x99BBED},  {23, 10, 0x99BBED},
      {23, 5, 0xD5D7F2},     {23, 3, 0xF1E6D4},   {23, 2, 0xF7ECF4},
  };
  for (const Case& c : cases) {
    v.stopLossRate = v.minProfit = v.stepInterval = v.splitRateOrAmount = c.value;
    auto row = Make();
    EXPECT_EQ(row->GetItem(c.column)->backColor, c.back) << c.column << " " << c.value;
  }
  v.splitRateOrAmount = 50000;  // an amount, not a rate
  EXPECT_EQ(Caption(*Make(), Row::kColSplitRate), L"50000");
  v.stopLossRate = -5.25;
  EXPECT_EQ(Caption(*Make(), Row::kColStopLoss), L"-5.2%");
}

TEST_F(HoldingFixture, CheckColumnsAndTheirBackgrounds) {
  v.autoTrade = true;
  v.separateAccount = true;
  v.closeOut = true;
  v.sms = true;
  auto on = Make();
  EXPECT_TRUE(on->GetCheckValue(Row::kColAutoTrade));
  EXPECT_EQ(on->GetItem(Row::kColAutoTrade)->backColor, 0x0000FFu);
  EXPECT_EQ(on->GetItem(Row::kColSeparate)->backColor, 0x0000FFu);
  EXPECT_EQ(on->GetItem(Row::kColCloseOut)->backColor, 0xE6E022u);
  EXPECT_TRUE(on->GetCheckValue(Row::kColSms));
  EXPECT_FALSE(on->GetCheckValue(Row::kColReBuy));
  EXPECT_FALSE(on->GetCheckValue(Row::kColFirstStep));
  v.autoTrade = v.separateAccount = v.closeOut = false;
  auto off = Make();
  EXPECT_EQ(off->GetItem(Row::kColAutoTrade)->backColor, 0xE6E022u);
  EXPECT_EQ(off->GetItem(Row::kColSeparate)->backColor, 0xFFFFFFu);
  EXPECT_EQ(off->GetItem(Row::kColCloseOut)->backColor, 0xFFFFFFu);
}

TEST_F(HoldingFixture, HoldingRowsCarryScaledCellButtons) {
  auto row = Make(1.5);
  struct Expect {
    int column;
    std::vector<std::pair<std::wstring, int>> buttons;  // caption, id
    int width;
  };
  const Expect expects[] = {
      {Row::kColName, {{L"주문/정보", 1}}, 87},
      {Row::kColComment, {{L"?..", 0}}, 24},
      {Row::kColStopLoss, {{L".■.", 0}, {L".▼.", 1}}, 33},
      {Row::kColMinProfit, {{L".■.", 0}, {L".▼.", 1}}, 33},
      {Row::kColStepInterval, {{L".■.", 0}, {L".▼.", 1}}, 33},
      {Row::kColSplitRate, {{L".■.", 0}, {L".▼.", 1}}, 33},
      {Row::kColBaseRange, {{L"EQ.", 0}}, 33},
  };
  int withButtons = 0;
  for (int i = 0; i < row->GetItemCount(); ++i) withButtons += !row->GetItem(i)->buttons.empty();
  EXPECT_EQ(withButtons, 7);
  for (const Expect& e : expects) {
    const auto& buttons = row->GetItem(e.column)->buttons;
    ASSERT_EQ(buttons.size(), e.buttons.size()) << e.column;
    for (size_t b = 0; b < buttons.size(); ++b) {
      EXPECT_EQ(buttons[b].caption, e.buttons[b].first) << e.column;
      EXPECT_EQ(buttons[b].id, e.buttons[b].second) << e.column;
      EXPECT_EQ(buttons[b].width, e.width) << e.column;
    }
  }
  for (int kind : {0, 3}) {  // not a holding row: no buttons at all
    v.creditKind = kind;
    auto plain = Make(1.5);
    for (int i = 0; i < plain->GetItemCount(); ++i)
      EXPECT_TRUE(plain->GetItem(i)->buttons.empty()) << kind << " " << i;
  }
}

TEST_F(HoldingFixture, OptionColumnsShowTheFillersLabels) {
  CMyReportCtrl grid;
  ASSERT_GT(grid.InitColumns(std::string_view(kRurezOzadoGridLayout)), 0);
  GfxFillBrokerConstraints(grid.GetColumnEditOptions(Row::kColBroker), 0, 1);
  GfxFillNationConstraints(grid.GetColumnEditOptions(Row::kColNation), 0, 1);
  GfxFillMarketConstraints(grid.GetColumnEditOptions(Row::kColMarket), 0, 1);
  GfxFillSellRatioConstraints(grid.GetColumnEditOptions(Row::kColSellRatio), 0, 1);
  v.sellRatio = 95.7;  // shown as its whole percentage
  auto* row = grid.AddRecord(Make().release());
  EXPECT_EQ(row->GetItemCaption(Row::kColBroker), L"한국투자증권");
  EXPECT_EQ(row->GetItemCaption(Row::kColNation), L"KR");
  EXPECT_EQ(row->GetItemCaption(Row::kColMarket), L"1:코스피");
  EXPECT_EQ(row->GetItemCaption(Row::kColSellRatio), L"95%매도");
  EXPECT_NE(row->GetItem(Row::kColSellRatio)->backColor, 0xFFFFFFu);
  v.sellRatio = 100;
  row = grid.AddRecord(Make().release());
  EXPECT_EQ(row->GetItemCaption(Row::kColSellRatio), L"0.전량매도");
  EXPECT_EQ(row->GetItem(Row::kColSellRatio)->backColor, 0xFFFFFFu);
}

}  // namespace
