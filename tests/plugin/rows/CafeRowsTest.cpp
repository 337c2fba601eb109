// The cafe rows: the recommended-stock row with its formats, colours and buttons, the client and
// member rows of the cafe data view, and the layouts that show them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/model/ReportCtrl.h"
#include "plugin/rows/CafeStockRecord.h"
#include "plugin/rows/ClientRecords.h"
#include "plugin/rows/GridConstraints.h"
#include "shared/StockRecords.h"

namespace {

using orv::ui::CMyReportCtrl;
using orv::ui::CMyReportRecordItem;
using orv::ui::kColorNone;
using orv::ui::ReportItemKind;

// "caption/id/width" of each button of a cell.
std::vector<std::wstring> Buttons(const CMyReportRecordItem* item) {
  std::vector<std::wstring> out;
  for (const auto& b : item->buttons)
    out.push_back(b.caption + L"/" + std::to_wstring(b.id) + L"/" + std::to_wstring(b.width));
  return out;
}

CafeStockValues_s FullValues() {
  CafeStockValues_s v;
  v.tradeSide = 3;
  v.interest = 1;
  v.elapsed1 = 4;
  v.elapsed2 = 11;
  v.curPrice = 71234.56;
  v.recPrice = 69000.4;
  v.weight = 12.6;
  v.takeProfitRate1 = 5;
  v.takeProfitRate2 = 10.4;
  v.lowestTakeProfitPrice = 72000;
  v.stopLossRate = -3;
  v.stopLossPrice = 66930.5;
  v.buyReason = L"실적 개선";
  v.sellReason = L"목표가 도달";
  v.recommenderIndex = 500;
  v.recommenderName = L"전문가";
  v.likes = 17;
  v.recDate = L"2025-01-02";
  v.sellDate = L"2025-01-09";
  v.approval = 1;
  v.changeRate = 1.26;
  v.profit = 3.24;
  v.closingProfit = -1.06;
  v.dailyProfit = 0;
  v.change = -900;
  return v;
}

class CafeGrid : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(grid.InitColumns(std::string_view(kCafeInterestGridLayout)), kCafeStockColumns);
    GfxFillTradeSideConstraints(grid.GetColumnEditOptions(CCafeStockRecord::kColTradeSide), 0, 1);
    GfxFillNationConstraints(grid.GetColumnEditOptions(CCafeStockRecord::kColNation), 0, 1);
    GfxFillBuyStateConstraints(grid.GetColumnEditOptions(CCafeStockRecord::kColState), 0, 1);
  }
  CCafeStockRecord* Add(int32_t rowNumber, int32_t state, char market,
                        const CafeStockValues_s& v, double scale = 1.0) {
    return static_cast<CCafeStockRecord*>(grid.AddRecord(new CCafeStockRecord(
        scale, rowNumber, 7, state, 1, market, L"005930", L"삼성전자", &stock, v)));
  }
  CMyReportCtrl grid;
  Stock_s stock;
};

TEST(CafeLayouts, RecommendedLayoutsHaveAColumnPerCellAndDifferOnlyInColumnThree) {
  CMyReportCtrl interest, expert, members;
  ASSERT_EQ(interest.InitColumns(std::string_view(kCafeInterestGridLayout)), kCafeStockColumns);
  ASSERT_EQ(expert.InitColumns(std::string_view(kCafeExpertGridLayout)), kCafeStockColumns);
  ASSERT_EQ(members.InitColumns(std::string_view(kCafeMemberGridLayout)), kCafeMemberColumns);
  for (int i = 0; i < kCafeStockColumns; ++i) {
    if (i == CCafeStockRecord::kColState) continue;
    EXPECT_EQ(interest.GetColumn(i)->spec.title, expert.GetColumn(i)->spec.title) << i;
  }
  EXPECT_EQ(interest.GetColumn(3)->spec.title, L"구분");
  EXPECT_EQ(expert.GetColumn(3)->spec.title, L"상태");
  EXPECT_EQ(interest.GetColumn(0)->spec.title, L"");
  EXPECT_EQ(interest.GetColumn(7)->spec.title, L"종목명");
  EXPECT_EQ(interest.GetColumn(32)->spec.title, L"승인");
  EXPECT_EQ(members.GetColumn(15)->spec.title, L"코멘트");
  EXPECT_EQ(members.GetColumn(13)->spec.title, L"유/무료");
}

TEST_F(CafeGrid, RowShowsEveryValueInItsColumnWithItsFormat) {
  CCafeStockRecord* row = Add(3, kCafeStateBuying, '1', FullValues());
  ASSERT_EQ(row->GetItemCount(), kCafeStockColumns);
  EXPECT_EQ(row->GetStock(), &stock);
  const std::pair<int, std::wstring> captions[] = {
      {0, L""},        {1, L"3"},           {2, L"7"},           {3, L"매수 진행중"},
      {4, L"KR"},      {5, L"1"},           {6, L"005930"},      {7, L"삼성전자"},
      {8, L"매수+매도"}, {10, L"69000"},    {11, L"-1.1%"},      {12, L"71235"},
      {13, L"1.3 %"},  {14, L"3.2%"},       {15, L"4"},          {16, L"11"},
      {17, L"0.0%"},   {18, L"5%"},         {19, L"10%"},        {20, L"72000"},
      {21, L"-3%"},    {22, L"66930"},      {23, L"실적 개선"},  {24, L"목표가 도달"},
      {25, L"13%"},    {26, L"500"},        {27, L"전문가"},     {28, L"17"},
      {29, L"2025-01-02"}, {30, L"2025-01-09"}, {31, L"-900"},   {32, L"1"},
  };
  for (const auto& [index, text] : captions) EXPECT_EQ(row->GetItemCaption(index), text) << index;
  EXPECT_EQ(row->GetItem(CCafeStockRecord::kColInterest)->Kind(), ReportItemKind::Check);
  EXPECT_TRUE(row->GetCheckValue(CCafeStockRecord::kColInterest));
  // Price cells and the change from the previous close are framed.
  for (int framed : {10, 12, 20, 22, 31})
    EXPECT_EQ(row->GetItem(framed)->frameColor, 0xE0E0E0u) << framed;
  EXPECT_EQ(row->GetItem(13)->frameColor, kColorNone);
}

TEST_F(CafeGrid, OverseasMarketsShowPricesWithFourDecimals) {
  const struct {
    char market;
    const wchar_t* price;
  } cases[] = {{'N', L"71234.5600"}, {'A', L"71234.5600"}, {'D', L"71234.5600"},
               {'H', L"71234.5600"}, {'1', L"71235"},      {'2', L"71235"}};
  for (const auto& c : cases) {
    CCafeStockRecord* row = Add(1, 1, c.market, FullValues());
    EXPECT_EQ(row->GetItemCaption(CCafeStockRecord::kColCurPrice), c.price) << c.market;
    EXPECT_EQ(row->GetItemCaption(CCafeStockRecord::kColMarket), std::wstring(1, c.market));
  }
}

TEST_F(CafeGrid, ColoursFollowTheSignsFixedAtConstruction) {
  const struct {
    double changeRate, profit;
    COLORREF rateColor, profitColor;
  } cases[] = {
      {0.05, 0.0, 0x000000, 0xFF0000},   {0.1, 0.01, 0x0000FF, 0x0000FF},
      {-0.1, -2.0, 0xFF0000, 0xFF0000},  {-0.09, 5.0, 0x000000, 0x0000FF},
  };
  for (const auto& c : cases) {
    CafeStockValues_s v = FullValues();
    v.changeRate = c.changeRate;
    v.profit = v.closingProfit = v.dailyProfit = c.profit;
    CCafeStockRecord* row = Add(1, 1, '1', v);
    SCOPED_TRACE(std::to_string(c.changeRate) + " / " + std::to_string(c.profit));
    EXPECT_EQ(row->GetItem(CCafeStockRecord::kColChangeRate)->textColor, c.rateColor);
    for (int col : {11, 14, 17}) EXPECT_EQ(row->GetItem(col)->textColor, c.profitColor) << col;
    EXPECT_EQ(row->GetItem(11)->backColor, 0x9FE7F9u);
    EXPECT_EQ(row->GetItem(14)->backColor, 0x9FE7F9u);
    EXPECT_EQ(row->GetItem(17)->backColor, 0xA4CBFFu);
    EXPECT_EQ(row->GetItem(12)->backColor, 0xE2E2E2u);
    // A value set later keeps the colour of construction.
    row->SetNumberValue(CCafeStockRecord::kColChangeRate, -5);
    EXPECT_EQ(row->GetItem(CCafeStockRecord::kColChangeRate)->textColor, c.rateColor);
  }
}

TEST_F(CafeGrid, ButtonsByRowNumberApprovalStateAndManager) {
  const std::wstring confirm = L"인증/5/27";
  const struct {
    const char* what;
    int32_t rowNumber, approval, state;
    uint8_t manager;
    std::vector<std::wstring> nameButtons;
    bool reasonButtons;
  } cases[] = {
      {"buying, member", 1, 1, 1, 0, {L"정보/1/27", confirm}, true},
      {"buying, manager", 1, 1, 1, 1, {L"매도/2/27", confirm}, true},
      {"done, member", 1, 1, 2, 0, {L"결과/4/27", confirm}, true},
      {"done, manager", 1, 1, 2, 1, {L"재매수/3/38", confirm}, true},
      {"state 0, member", 1, 1, 0, 0, {L"결과/4/27", confirm}, true},
      {"not approved", 1, 0, 1, 1, {confirm}, false},
      {"no row number", 0, 1, 1, 1, {confirm}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CafeStockValues_s v = FullValues();
    v.approval = c.approval;
    v.manager = c.manager;
    CCafeStockRecord* row = Add(c.rowNumber, c.state, '1', v);
    EXPECT_EQ(Buttons(row->GetItem(CCafeStockRecord::kColName)), c.nameButtons);
    const std::vector<std::wstring> reason =
        c.reasonButtons ? std::vector<std::wstring>{L".../0/22"} : std::vector<std::wstring>{};
    EXPECT_EQ(Buttons(row->GetItem(CCafeStockRecord::kColBuyReason)), reason);
    EXPECT_EQ(Buttons(row->GetItem(CCafeStockRecord::kColSellReason)), reason);
  }
}

TEST_F(CafeGrid, RowWithoutNumberHasNoCheckAndButtonsScaleByTruncation) {
  CCafeStockRecord* unnumbered = Add(0, 1, '1', FullValues());
  EXPECT_EQ(unnumbered->GetItem(CCafeStockRecord::kColInterest)->Kind(), ReportItemKind::Text);
  EXPECT_EQ(unnumbered->GetItemCaption(CCafeStockRecord::kColInterest), L"");

  CafeStockValues_s manager = FullValues();
  manager.manager = 1;
  CCafeStockRecord* scaled = Add(2, 2, '1', manager, 1.25);
  EXPECT_EQ(Buttons(scaled->GetItem(CCafeStockRecord::kColName)),
            (std::vector<std::wstring>{L"재매수/3/47", L"인증/5/33"}));
  EXPECT_EQ(Buttons(scaled->GetItem(CCafeStockRecord::kColBuyReason)),
            (std::vector<std::wstring>{L".../0/27"}));
}

ClientValues_s Client() {
  ClientValues_s v;
  v.idx = 41;
  v.companyIndex = 2;
  v.agencyIndex = 3;
  v.customerKind = kClientFirstTier;
  v.memberCount = 5;
  v.groupIndex = 41;
  v.title = L"가나상사";
  v.companyName = L"(주)가나";
  v.ceoName = L"홍길동";
  v.ceoPhone = L"010-1234-5678";
  v.bizRegNumber = L"#123-45-67890";
  SYSTEMTIME birthday{};
  birthday.wYear = 1980;
  birthday.wMonth = 7;
  birthday.wDay = 9;
  v.birthday = birthday;
  v.notes = L"메모";
  return v;
}

TEST(ClientRecord, CellsInOrderWithDatesAndTexts) {
  CWX_CLIENTS_Record row(Client(), false);
  ASSERT_EQ(row.GetItemCount(), kClientCells);
  EXPECT_FALSE(row.IsModified());
  const std::pair<int, std::wstring> captions[] = {
      {0, L""},        {1, L"41"},           {2, L"2"},         {3, L"3"},
      {4, L"가나상사"}, {5, L"1"},            {6, L"5"},         {7, L"0"},
      {11, L"(주)가나"}, {13, L"홍길동"},     {14, L"010-1234-5678"},
      {16, L"1980-07-09"}, {17, L"#123-45-67890"}, {40, L"메모"}, {41, L""},
  };
  for (const auto& [index, text] : captions) EXPECT_EQ(row.GetItemCaption(index), text) << index;
  EXPECT_EQ(row.GetItem(CWX_CLIENTS_Record::kColGroup)->Kind(), ReportItemKind::Options);
  EXPECT_EQ(row.GetItem(CWX_CLIENTS_Record::kColBirthday)->Kind(), ReportItemKind::Date);
  EXPECT_EQ(row.GetItem(CWX_CLIENTS_Record::kColIdx)->frameColor, 0xE0E0E0u);
  EXPECT_TRUE(CWX_CLIENTS_Record(Client(), true).IsModified());
}

TEST(ClientRecord, ColoursOfKindCountsAndRegistrationNumber) {
  const struct {
    int32_t kind, count;
    std::wstring bizReg;
    COLORREF kindBack, countText, countBack, bizText;
  } cases[] = {
      {1, 0, L"#1", 0xE3F5D5, 0x000000, 0xFFFFFF, 0x0000FF},
      {2, 1, L"123-45", 0xCFF3FC, 0x0000FF, 0xE3F5D5, 0xFF0000},
      {0, 3, L"", 0xCFF3FC, 0x0000FF, 0xE3F5D5, 0xFF0000},
      {1, -1, L" #1", 0xE3F5D5, 0x000000, 0xFFFFFF, 0xFF0000},
  };
  for (const auto& c : cases) {
    ClientValues_s v = Client();
    v.customerKind = c.kind;
    v.memberCount = v.carCheckCount = v.insuranceCount = c.count;
    v.bizRegNumber = c.bizReg;
    CWX_CLIENTS_Record row(v, false);
    SCOPED_TRACE(std::to_string(c.kind) + "/" + std::to_string(c.count));
    EXPECT_EQ(row.GetItem(CWX_CLIENTS_Record::kColCustomerKind)->backColor, c.kindBack);
    for (int cell : {6, 7, 8}) {
      EXPECT_EQ(row.GetItem(cell)->textColor, c.countText) << cell;
      EXPECT_EQ(row.GetItem(cell)->backColor, c.countBack) << cell;
    }
    EXPECT_EQ(row.GetItem(CWX_CLIENTS_Record::kColBizRegNumber)->textColor, c.bizText);
  }
}

TEST(ClientRecord, FixedRowsAndAbsentDates) {
  std::unique_ptr<CWX_CLIENTS_Record> top(CWX_CLIENTS_Record::MakeTopRow(4, 9));
  EXPECT_EQ(top->GetItemCaption(CWX_CLIENTS_Record::kColTitle), L"*전체*");
  EXPECT_EQ(top->GetItemCaption(CWX_CLIENTS_Record::kColGroupBizNumber), L"*전체*");
  EXPECT_EQ(top->GetNumberValue(CWX_CLIENTS_Record::kColIdx), 0);
  EXPECT_EQ(top->GetNumberValue(CWX_CLIENTS_Record::kColCompany), 4);
  EXPECT_EQ(top->GetNumberValue(CWX_CLIENTS_Record::kColAgency), 9);
  EXPECT_FALSE(top->IsModified());
  std::unique_ptr<CWX_CLIENTS_Record> empty(CWX_CLIENTS_Record::MakeNewRow());
  EXPECT_EQ(empty->GetNumberValue(CWX_CLIENTS_Record::kColCompany), 1);
  EXPECT_EQ(empty->GetItemCaption(CWX_CLIENTS_Record::kColBirthday), L"");
  EXPECT_EQ(empty->GetItemCaption(CWX_CLIENTS_Record::kColRegistered), L"");
  EXPECT_EQ(empty->GetItem(CWX_CLIENTS_Record::kColBizRegNumber)->textColor, 0xFF0000u);
  EXPECT_FALSE(empty->IsModified());
}

TEST(CafeUserRecord, SixteenCellsWithStateAndPaidSwappedIntoPlace) {
  CMyReportCtrl grid;
  ASSERT_EQ(grid.InitColumns(std::string_view(kCafeMemberGridLayout)), kCafeMemberColumns);
  GfxFillMemberLevelConstraints(grid.GetColumnEditOptions(CCafeUserRecord::kColPeriod), 0, 1);
  CafeMemberValues_s v;
  v.rowNumber = 2;
  v.memberIndex = 77;
  v.cafeIndex = 7;
  v.group = 3;
  v.memberId = L"ab***d";
  v.name = L"김회원";
  v.startDate = L"2025-01-01";
  v.endDate = L"2025-02-01";
  v.refundAmount = 5000;
  v.state = 8;
  v.paidOrFree = 1;
  v.periodState = 2;
  v.comment = L"메모";
  auto* row = grid.AddRecord(new CCafeUserRecord(v));
  ASSERT_EQ(row->GetItemCount(), kCafeMemberColumns);
  const std::pair<int, std::wstring> captions[] = {
      {1, L"2"},        {2, L"77"},         {3, L"7"},          {4, L"3"},
      {5, L"2. 예정 회원"}, {6, L"ab***d"},  {7, L"김회원"},      {8, L""},
      {9, L"2025-01-01"}, {10, L"2025-02-01"}, {11, L""},       {12, L"5000"},
      {13, L"1"},       {14, L"8"},         {15, L"메모"},
  };
  for (const auto& [index, text] : captions) EXPECT_EQ(row->GetItemCaption(index), text) << index;
}

// The cafe data view's grid holds recommended stocks and clients under the same 33 columns.
TEST_F(CafeGrid, OneGridHoldsStockAndClientRows) {
  Add(1, 1, '1', FullValues());
  auto* client = grid.AddRecord(new CWX_CLIENTS_Record(Client(), false));
  grid.Populate();
  ASSERT_EQ(grid.GetRowCount(), 2);
  EXPECT_EQ(grid.GetCell(1, CWX_CLIENTS_Record::kColTitle)->GetCaption(nullptr), L"가나상사");
  EXPECT_EQ(grid.GetCell(0, CCafeStockRecord::kColName)->GetCaption(nullptr), L"삼성전자");
  // Cells beyond the 33 columns stay with the row, unshown.
  EXPECT_EQ(client->GetItemCaption(CWX_CLIENTS_Record::kColBirthday), L"1980-07-09");
  EXPECT_EQ(client->GetItemCount(), kClientCells);
  EXPECT_EQ(grid.GetColumnCount(), kCafeStockColumns);
}

}  // namespace
