#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/ui/model/ReportCtrl.h"
#include "plugin/rows/FilteredStockRecord.h"
#include "plugin/rows/GridConstraints.h"
#include "plugin/rows/StockBuyItemRecord.h"
#include "shared/StockRecords.h"

namespace {

using orv::ui::CMyReportCtrl;
using orv::ui::ReportItemKind;

TEST(StockBuyItemRecord, BuildsTheWatchRowInLayoutOrder) {
  CMyReportCtrl grid;
  ASSERT_EQ(grid.InitColumns(std::string_view(kStockBuyItemGridLayout)), kStockBuyItemColumns);
  EXPECT_EQ(grid.GetColumn(2)->spec.title, L" 계좌");
  EXPECT_EQ(grid.GetColumn(25)->spec.title, L"  매수2-저가");
  GfxFillNationConstraints(grid.GetColumnEditOptions(CStockBuyItemRecord::kColNation), 0, 1);
  GfxFillAlgorithmConstraints(grid.GetColumnEditOptions(CStockBuyItemRecord::kColAlgorithm), 0, 1);

  Stock_s stock;
  StockBuyItemValues v;
  v.curPrice = 71234.5;
  v.changeRate = -1.234;
  v.change = -900;
  v.creditAllowed = true;
  v.algorithm = 2;
  v.dayScore = 66.4;
  v.buyCount = 3.9;
  v.buyLimit = 1000000;
  v.band1Low = 69000;
  v.band1Tolerance = 7;
  v.band1Time.wHour = 9;
  v.band1Time.wMinute = 5;
  v.band2High = 80000;
  auto* row = static_cast<CStockBuyItemRecord*>(grid.AddRecord(
      new CStockBuyItemRecord(4, &stock, 12345, 1, '2', 3, L"005930", L"삼성전자", v)));
  ASSERT_EQ(row->GetItemCount(), kStockBuyItemColumns);
  EXPECT_EQ(row->GetStockCode(), std::wstring(stock.code));
  const std::pair<int, std::wstring> captions[] = {
      {0, L""},       {1, L"4"},        {2, L"12345"},    {3, L"KR"},    {4, L"50"},
      {5, L"3"},      {6, L"005930"},   {7, L"삼성전자"}, {8, L"71234"}, {9, L"-1.23%"},
      {10, L"-900"},  {13, L"PSAR"},    {14, L""},        {15, L"66"},   {16, L"0"},
      {17, L"3"},     {18, L"1000000"}, {21, L"69000"},   {22, L"7.0%"}, {24, L"09:05"},
      {27, L"80000"}, {28, L""},
  };
  for (const auto& [index, text] : captions) EXPECT_EQ(row->GetItemCaption(index), text) << index;
  EXPECT_TRUE(row->GetCheckValue(CStockBuyItemRecord::kColCredit));
  EXPECT_FALSE(row->GetCheckValue(CStockBuyItemRecord::kColAutoBuy));
  EXPECT_EQ(row->GetItem(8)->frameColor, 0xE0E0E0u);
  EXPECT_EQ(row->GetItem(24)->Kind(), ReportItemKind::Time);
  EXPECT_EQ(row->GetItem(24)->frameColor, orv::ui::kColorNone);
}

struct FilteredRow {
  Stock_s stock;
  FilteredStockValues v;
  char market = '1';
  int rowKind = 1;
  double scale = 2.0;

  std::unique_ptr<CFilteredStockRecord> Make(bool withStock = true) {
    return std::make_unique<CFilteredStockRecord>(
        scale, 1, -1, -1, rowKind, 0x21, market, L"005930", L"삼성전자", L"신", L"09:01:02", 2,
        L"key", 5, true, false, withStock ? &stock : nullptr, v);
  }
};

TEST(FilteredStockRecord, ItemsKindsAndValues) {
  FilteredRow f;
  f.stock.secondary_score_prev = 1.5;
  f.stock.secondary_score = 2.25;
  f.stock.signal_score_prev = 3;
  f.stock.signal_score = 4.125;
  f.v.rate = 12.4;
  f.v.maxQty = 42;
  f.v.curPrice = 71234.5;
  f.v.lowerAmount = 100000;
  f.v.further[0] = 1.234;  // item 38
  f.v.further[17] = 7.6;   // item 55
  auto row = f.Make();
  ASSERT_EQ(row->GetItemCount(), kFilteredStockItems);
  const std::pair<int, std::wstring> captions[] = {
      {1, L"1"},        {2, L"-1"},     {3, L"33"},      {4, L"1"},         {5, L"005930"},
      {6, L"삼성전자"}, {7, L"신"},     {8, L"-1"},      {11, L"12%"},      {13, L"42%"},
      {14, L"2%"},      {17, L"71234"}, {24, L"100000"}, {30, L"09:01:02"}, {31, L"2"},
      {32, L"key"},     {33, L"5"},     {34, L"1.50"},   {35, L"2.25"},     {36, L"3.00"},
      {37, L"4.12"},    {38, L"1.23"},  {52, L"0.00"},   {53, L"0"},        {55, L"8"},
  };
  for (const auto& [index, text] : captions) EXPECT_EQ(row->GetItemCaption(index), text) << index;
  EXPECT_TRUE(row->GetCheckValue(CFilteredStockRecord::kItemWatch));
  EXPECT_FALSE(row->GetCheckValue(CFilteredStockRecord::kItemCheck2));
  EXPECT_EQ(row->GetItem(13)->textColor, 0x0000FFu);
  for (int i : {24, 29}) {
    EXPECT_EQ(row->GetItem(i)->textColor, 0x0000FFu) << i;
    EXPECT_EQ(row->GetItem(i)->backColor, 0x9FE7F9u) << i;
  }
  for (int i = 38; i <= 52; ++i)
    EXPECT_EQ(row->GetItem(i)->backColor, i >= 41 && i <= 43 ? 0x66FFFFu : orv::ui::kColorNone)
        << i;
  EXPECT_EQ(row->GetStockCode(), std::wstring(f.stock.code));

  auto bare = f.Make(false);  // no stock: scores 0
  for (int i = 34; i <= 37; ++i) EXPECT_EQ(bare->GetNumberValue(i), 0) << i;
}

TEST(FilteredStockRecord, MarketFormatOfQuantityColumns) {
  FilteredRow f;
  f.v.perOrderQty = 3.25;
  for (char market : {'A', 'D', 'H', 'N', '1', '2'}) {
    f.market = market;
    const bool foreign = market >= 'A';
    auto row = f.Make();
    EXPECT_EQ(row->GetItemCaption(4), std::wstring(1, static_cast<wchar_t>(market)));
    EXPECT_EQ(row->GetItemCaption(12), foreign ? L"3.2500" : L"3%") << market;
    for (int i : {13, 20, 22, 23, 27, 28})
      EXPECT_EQ(row->GetItemCaption(i), foreign ? L"0.0000" : L"0%") << market << i;
  }
}

TEST(FilteredStockRecord, BoughtQuantityColourThresholds) {
  struct Case {
    double value;
    COLORREF color;
    const wchar_t* text;
  };
  FilteredRow f;
  for (const Case& c : {Case{0.05, 0x000000, L"0.1 %"}, Case{0.1, 0x0000FF, L"0.1 %"},
                        Case{-0.1, 0xFF0000, L"-0.1 %"}, Case{-0.05, 0x000000, L"-0.1 %"},
                        Case{3, 0x0000FF, L"3.0 %"}}) {
    f.v.boughtQty = c.value;
    auto row = f.Make();
    EXPECT_EQ(row->GetItem(19)->textColor, c.color) << c.value;
    EXPECT_EQ(row->GetItemCaption(19), c.text) << c.value;
  }
}

TEST(FilteredStockRecord, NameButtonByRowKind) {
  struct Case {
    int kind;
    const wchar_t* caption;
    int width;
  };
  FilteredRow f;
  f.scale = 1.25;
  for (const Case& c : {Case{1, L"주문/정보", 72}, Case{2, L"삭제", 32}, Case{3, nullptr, 0},
                        Case{0, nullptr, 0}}) {
    f.rowKind = c.kind;
    auto row = f.Make();
    const auto& buttons = row->GetItem(CFilteredStockRecord::kItemName)->buttons;
    if (!c.caption) {
      EXPECT_TRUE(buttons.empty()) << c.kind;
      continue;
    }
    ASSERT_EQ(buttons.size(), 1u) << c.kind;
    EXPECT_EQ(buttons[0].caption, c.caption);
    EXPECT_EQ(buttons[0].width, c.width);
  }
}

TEST(FilteredStockRecord, EveryTitleStandsOverItsContent) {
  CMyReportCtrl grid;
  ASSERT_EQ(grid.InitColumns(std::string_view(kFilteredStockGridLayout)), kFilteredStockColumns);
  const std::pair<int, const wchar_t*> titles[] = {
      {CFilteredStockRecord::kItemNo, L"IDX"},
      {CFilteredStockRecord::kItemCafe, L"카페"},
      {CFilteredStockRecord::kItemMarket, L"마켓"},
      {CFilteredStockRecord::kItemCode, L"종목코드"},
      {CFilteredStockRecord::kItemName, L"종목명"},
      {CFilteredStockRecord::kItemExtra, L"신용"},
      {CFilteredStockRecord::kItemCondition, L"조건명"},
      {CFilteredStockRecord::kItemWatch, L"관심"},
      {CFilteredStockRecord::kItemCheck2, L"자동"},
  };
  for (const auto& [item, title] : titles)
    EXPECT_EQ(grid.FindColumnByItem(item)->spec.title, title) << item;
  // The condition column is the option column that receives the condition names.
  EXPECT_TRUE(grid.FindColumnByItem(CFilteredStockRecord::kItemCondition)->spec.options);
  EXPECT_EQ(grid.FindColumnByItem(54), nullptr);
  EXPECT_EQ(grid.FindColumnByItem(55), nullptr);
}

}  // namespace
