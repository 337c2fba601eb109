// The cafe dialog's grids and their fillers: the cafe picker and column, the recommended-stock
// rows with their stock slots, and the unlinking before the grids are emptied.

#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "plugin/community/CafeDlgGrids.h"
#include "plugin/rows/CafeStockRecord.h"
#include "plugin/rows/ClientRecords.h"
#include "shared/StockRecords.h"

namespace {

using orv::ui::CMyReportCtrl;

CafeRecordPtr Cafe(int32_t index, const wchar_t* title) {
  auto cafe = std::make_shared<CafeRecord_s>();
  cafe->cafeIndex = index;
  cafe->title = title;
  return cafe;
}

// A recommended stock as the master list keeps it.
std::unique_ptr<Stock_s> MakeStock(const wchar_t* code, const wchar_t* name, uint8_t approved,
                                   char market = '1', int8_t nation = 1) {
  auto stock = std::make_unique<Stock_s>();
  std::wcsncpy(stock->code, code, kStockCodeLen);
  stock->name = name;
  stock->cafe_approved = approved;
  stock->market_letter = market;
  stock->nation = nation;
  return stock;
}

// "code name No" of each row of a grid, in row order.
std::vector<std::wstring> Rows(CMyReportCtrl& grid) {
  std::vector<std::wstring> rows;
  for (int i = 0; i < grid.GetRecordCount(); ++i) {
    auto* row = grid.GetRecord(i);
    rows.push_back(row->GetItemCaption(CCafeStockRecord::kColCode) + L" " +
                   row->GetItemCaption(CCafeStockRecord::kColName) + L" " +
                   row->GetItemCaption(CCafeStockRecord::kColNo));
  }
  return rows;
}

class CafeDlgGridsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stocks.push_back(MakeStock(L"005930", L"삼성전자", 1));
    stocks.push_back(MakeStock(L"000660", L"SK하이닉스", 0));
    stocks.push_back(MakeStock(L"AAPL", L"애플", 1, 'N', 2));
    for (auto& stock : stocks) items[stock->code] = stock.get();
  }
  // The grids go before the stocks their rows point at.
  void TearDown() override { grids.reset(); }

  Stock_s* At(const wchar_t* code) { return items.at(code); }
  CCafeDlgGrids& G() { return *grids; }

  std::vector<std::unique_ptr<Stock_s>> stocks;
  std::map<std::wstring, Stock_s*> items;
  std::unique_ptr<CCafeDlgGrids> grids = std::make_unique<CCafeDlgGrids>();
};

TEST_F(CafeDlgGridsTest, GridsAreMadeWithTheirLayoutsFrozenColumnsAndOptionLists) {
  const struct {
    CMyReportCtrl* grid;
    int id, columns;
  } cases[] = {{&G().InterestGrid(), 2255, 33}, {&G().ExpertGrid(), 1330, 33},
               {&G().MemberGrid(), 1310, 16}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.grid->GetCtrlId(), c.id);
    EXPECT_EQ(c.grid->GetColumnCount(), c.columns) << c.id;
    EXPECT_EQ(c.grid->GetFrozenColumns(), 2) << c.id;
  }
  for (CMyReportCtrl* grid : {&G().InterestGrid(), &G().ExpertGrid()}) {
    EXPECT_EQ(grid->GetColumnEditOptions(8)->constraints.ToText(), L"0:;1:매수;2:매도;3:매수+매도;");
    EXPECT_EQ(grid->GetColumnEditOptions(4)->constraints.Size(), 7u);
  }
  EXPECT_EQ(G().InterestGrid().GetColumnEditOptions(3)->constraints.ToText(),
            L"0:;1:매수 진행중;2:완료;");
  EXPECT_TRUE(G().ExpertGrid().GetColumnEditOptions(3)->constraints.Empty());
  EXPECT_EQ(G().MemberGrid().GetColumnEditOptions(5)->constraints.ToText(),
            L"0:;1:1. 현재 회원;2:2. 예정 회원;4:3. 경과 회원;");
}

TEST_F(CafeDlgGridsTest, GroupFillerListsEveryCafeAndSelectsTheWantedOne) {
  const CafeMap cafes = {{3, Cafe(3, L"주식 카페")}, {7, Cafe(7, L"가치투자")}};
  const struct {
    const char* what;
    int32_t select, selected;
  } cases[] = {{"a listed cafe", 7, 7},
               {"negative keeps the current cafe", -1, 7},
               {"another listed cafe", 3, 3},
               {"a cafe not listed", 9, 0},
               {"negative after none", -1, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(G().FillCafeGroups(cafes, c.select), c.selected);
    EXPECT_EQ(G().CurrentCafe(), c.selected);
    EXPECT_EQ(G().CafePicker().selected, c.selected);
    // Filled again each time, never added to.
    EXPECT_EQ(G().CafePicker().entries.ToText(), L"3:주식 카페;7:가치투자;");
    const auto* column = G().InterestGrid().GetColumnEditOptions(CCafeStockRecord::kColCafe);
    EXPECT_EQ(column->constraints.ToText(), L"3:주식 카페;7:가치투자;");
    EXPECT_TRUE(column->allowEdit);
    EXPECT_FALSE(column->comboButton);
  }
  EXPECT_EQ(G().FillCafeGroups(CafeMap(), 3), 0);
  EXPECT_TRUE(G().CafePicker().entries.Empty());
}

TEST_F(CafeDlgGridsTest, RowFillerRunTwiceGivesTheSameRows) {
  EXPECT_EQ(G().FillRecItemRows(items, 7, 0, false), 0);
  const std::vector<std::wstring> first = {L"000660 *** 1", L"005930 삼성전자 2",
                                           L"AAPL 애플 3"};
  EXPECT_EQ(Rows(G().InterestGrid()), first);
  EXPECT_EQ(G().InterestGrid().GetRowCount(), 3);  // populated
  G().FillRecItemRows(items, 7, 0, false);
  EXPECT_EQ(Rows(G().InterestGrid()), first);
  EXPECT_TRUE(G().ExpertGrid().GetRecordCount() == 0);

  for (auto& stock : stocks) {
    auto* row = static_cast<CCafeStockRecord*>(stock->row_refs[kRowSlotCafeInterest]);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->GetStock(), stock.get());
    EXPECT_EQ(stock->cafe_index, 7);
    // A new row: its stock's nation and market, the check, "인증" only, values at 0.
    EXPECT_EQ(row->GetOptionsValue(CCafeStockRecord::kColCafe), 7);
    EXPECT_EQ(row->GetOptionsValue(CCafeStockRecord::kColState), 0);
    EXPECT_EQ(row->GetOptionsValue(CCafeStockRecord::kColNation), stock->nation);
    EXPECT_EQ(row->GetItemCaption(CCafeStockRecord::kColMarket),
              std::wstring(1, stock->market_letter));
    EXPECT_FALSE(row->GetCheckValue(CCafeStockRecord::kColInterest));
    ASSERT_EQ(row->GetItem(CCafeStockRecord::kColName)->buttons.size(), 1u);
    EXPECT_EQ(row->GetItem(CCafeStockRecord::kColName)->buttons[0].caption, L"인증");
    EXPECT_EQ(row->GetNumberValue(CCafeStockRecord::kColCurPrice), 0);
  }
  EXPECT_EQ(At(L"AAPL")->row_refs[kRowSlotCafeInterest] != nullptr, true);
  auto* overseas = static_cast<CCafeStockRecord*>(At(L"AAPL")->row_refs[kRowSlotCafeInterest]);
  EXPECT_EQ(overseas->GetItemCaption(CCafeStockRecord::kColCurPrice), L"0.0000");
}

TEST_F(CafeDlgGridsTest, AStockWhoseRowLeftTheGridGetsANewOne) {
  G().FillRecItemRows(items, 7, 0, false);
  auto* removed = static_cast<CCafeStockRecord*>(At(L"005930")->row_refs[kRowSlotCafeInterest]);
  ASSERT_TRUE(G().InterestGrid().RemoveRecord(removed));  // the slot now holds a freed row
  G().FillRecItemRows(items, 7, 0, false);
  EXPECT_EQ(Rows(G().InterestGrid()),
            (std::vector<std::wstring>{L"000660 *** 1", L"AAPL 애플 3", L"005930 삼성전자 1"}));
  auto* renewed = static_cast<CCafeStockRecord*>(At(L"005930")->row_refs[kRowSlotCafeInterest]);
  EXPECT_EQ(renewed->GetStock(), At(L"005930"));

  // A slot holding another stock's row is not taken for this stock's.
  At(L"000660")->row_refs[kRowSlotCafeInterest] = renewed;
  G().FillRecItemRows(items, 7, 0, false);
  EXPECT_EQ(G().InterestGrid().GetRecordCount(), 4);
  EXPECT_EQ(static_cast<CCafeStockRecord*>(At(L"000660")->row_refs[kRowSlotCafeInterest])
                ->GetStock(),
            At(L"000660"));
}

TEST_F(CafeDlgGridsTest, NameIsMaskedUnlessApprovedInThisCafe) {
  const struct {
    const char* what;
    int32_t cafe, stockCafe;
    uint8_t approved;
    const wchar_t* name;
  } cases[] = {{"approved in the cafe", 7, 0, 1, L"삼성전자"},
               {"not approved", 7, 0, 0, L"***"},
               {"no cafe given, stock of another cafe", 0, 3, 1, L"***"},
               {"no cafe given, stock without cafe", 0, 0, 1, L"삼성전자"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CCafeDlgGrids grids;
    auto stock = MakeStock(L"005930", L"삼성전자", c.approved);
    stock->cafe_index = c.stockCafe;
    grids.FillRecItemRows({{stock->code, stock.get()}}, c.cafe, 0, false);
    ASSERT_EQ(grids.InterestGrid().GetRecordCount(), 1);
    EXPECT_EQ(grids.InterestGrid().GetRecord(0)->GetItemCaption(CCafeStockRecord::kColName),
              c.name);
    grids.ClearRecGrids();
  }
}

TEST_F(CafeDlgGridsTest, ClearingUnlinksEveryStockBeforeTheRowsGo) {
  G().FillRecItemRows(items, 7, 0, false);
  // A row of the expert grid with its stock in slot 2.
  auto expertStock = MakeStock(L"035420", L"NAVER", 1);
  auto* expertRow = new CCafeStockRecord(1.0, 1, 7, 2, 1, '1', L"035420", L"NAVER",
                                         expertStock.get(), CafeStockValues_s());
  G().ExpertGrid().AddRecord(expertRow);
  expertStock->row_refs[kRowSlotCellButton] = expertRow;
  expertStock->cafe_index = 7;
  expertStock->cafe_state = 4;
  At(L"005930")->cafe_state = 2;
  At(L"005930")->cafe_rates[0] = 5.5;
  At(L"005930")->row_refs[kRowSlotCafeData] = expertRow;  // another grid's slot stays

  G().ClearRecGrids();
  EXPECT_EQ(G().InterestGrid().GetRecordCount(), 0);
  EXPECT_EQ(G().ExpertGrid().GetRecordCount(), 0);
  stocks.push_back(std::move(expertStock));
  for (auto& stock : stocks) {
    EXPECT_EQ(stock->row_refs[kRowSlotCafeInterest], nullptr);
    EXPECT_EQ(stock->row_refs[kRowSlotCellButton], nullptr);
    EXPECT_EQ(stock->cafe_index, 0);
    EXPECT_EQ(stock->cafe_state, 0);
    EXPECT_EQ(stock->cafe_rates[0], -100.0);
    EXPECT_EQ(stock->cafe_rates[1], -100.0);
  }
  EXPECT_NE(At(L"005930")->row_refs[kRowSlotCafeData], nullptr);
  // Filled again after the clear: fresh rows numbered from 1.
  G().FillRecItemRows(items, 7, 0, true);
  EXPECT_EQ(Rows(G().InterestGrid()), (std::vector<std::wstring>{
                                          L"000660 *** 1", L"005930 삼성전자 2", L"AAPL 애플 3"}));
}

TEST_F(CafeDlgGridsTest, UnlinkingBySlotAndDetachLeavesOtherRowKindsAlone) {
  CMyReportCtrl grid;
  grid.InitColumns(std::string_view(kCafeInterestGridLayout));
  auto* stockRow = new CCafeStockRecord(1.0, 1, 7, 1, 1, '1', L"005930", L"삼성전자",
                                        At(L"005930"), CafeStockValues_s());
  grid.AddRecord(stockRow);
  grid.AddRecord(new CWX_CLIENTS_Record(ClientValues_s(), false));
  auto* bare = new CCafeStockRecord(1.0, 2, 7, 1, 1, '1', L"X", L"X", nullptr, {});
  grid.AddRecord(bare);
  const struct {
    int slot;
    bool detach;
  } cases[] = {{-1, false}, {kRowSlotCafeData, false}, {kRowSlotCafeData, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.slot);
    Stock_s* stock = At(L"005930");
    stockRow->SetStock(stock);
    stock->row_refs[kRowSlotCafeData] = stockRow;
    stock->cafe_index = 7;
    CCafeDlgGrids::UnlinkGridRows(grid, c.slot, c.detach);
    EXPECT_EQ(stock->cafe_index, 0);
    EXPECT_EQ(stock->row_refs[kRowSlotCafeData] == nullptr, c.slot >= 0);
    EXPECT_EQ(stockRow->GetStock() == nullptr, c.detach);
    EXPECT_EQ(grid.GetRecordCount(), 3);
  }
  EXPECT_EQ(bare->GetStock(), nullptr);
}

// The cafe downloads' results as the dialog's filler receives them.
TEST_F(CafeDlgGridsTest, DownloadsFillTheRowsOfOneCafe) {
  auto snapshot = [](int32_t cafe, std::vector<CafeRecStock_s> recStocks) {
    auto data = std::make_shared<CafeSnapshot_s>();
    data->cafes = std::make_shared<const CafeMap>(CafeMap{{cafe, Cafe(cafe, L"카페")}});
    data->currentCafeIndex = data->recItemsCafe = cafe;
    data->recStocks = std::move(recStocks);
    return CafeSnapshotPtr(data);
  };
  const CafeRecStock_s samsung{1, '1', 1, L"005930", L"삼성전자", 1};
  const CafeRecStock_s hynix{1, '2', 1, L"000660", L"SK하이닉스", 0};
  ICafeFiller& filler = G();
  filler.FillCafeGroups(snapshot(7, {}));
  EXPECT_EQ(G().CurrentCafe(), 7);
  for (int pass = 0; pass < 2; ++pass) {
    filler.FillCafeRows(snapshot(7, {hynix, samsung}));
    EXPECT_EQ(Rows(G().InterestGrid()),
              (std::vector<std::wstring>{L"000660 *** 1", L"005930 삼성전자 2"}));
  }
  EXPECT_EQ(G().InterestGrid().GetRecord(0)->GetItemCaption(CCafeStockRecord::kColMarket), L"2");
  // A stock that left the list keeps its row; another cafe's stocks replace the rows.
  filler.FillCafeRows(snapshot(7, {samsung}));
  EXPECT_EQ(G().InterestGrid().GetRecordCount(), 2);
  filler.FillCafeRows(snapshot(9, {samsung}));
  EXPECT_EQ(Rows(G().InterestGrid()), (std::vector<std::wstring>{L"005930 삼성전자 1"}));
  EXPECT_EQ(G().InterestGrid().GetRecord(0)->GetOptionsValue(CCafeStockRecord::kColCafe), 9);
  filler.SetCafeManagerFlags(1, true);
  EXPECT_EQ(G().ManagerFlag(), 1);
  EXPECT_TRUE(G().ChiefManager());
}

}  // namespace
