// Holdings-grid generations on a grid model, fed by the engine's own snapshots: rows found
// again by holding identity, hidden after two missed refreshes, shown again when the holding
// comes back, and never touching the engine's records.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/model/ReportCtrl.h"
#include "plugin/rows/RurezOzadoResultRecord.h"
#include "plugin/view/HoldingsGrid.h"
#include "plugin/view/engine/PelomarEngine.h"

namespace {

class HoldingsGridTest : public ::testing::Test {
 protected:
  StockTrade_s* AddHolding(const wchar_t* code, int account) {
    Stock_s* stock = GfxAddStockToMap(&engine_.Stocks().Master(), code, 1, 0, 0, nullptr);
    stock->cur_price = 1000;
    auto* h = new StockTrade_s();
    h->stock = stock;
    h->account_no = account;
    h->holding_kind = 1;
    h->quantity = 5;
    std::wcsncpy(h->code, code, kStockCodeLen);
    engine_.Stocks().Holdings().emplace(h, static_cast<int>(engine_.Stocks().Holdings().size()));
    return h;
  }
  static HoldingKey_s Key(const StockTrade_s* h) {
    return HoldingKey_s{h->account_no, h->code, h->holding_kind};
  }
  // What the program does at an account refresh: the engine copies, the grid shows.
  int Refresh() { return rows_.RefreshHoldingsGrid(engine_.SnapshotHoldings().rows); }

  CPelomarEngine engine_{nullptr};
  orv::ui::CMyReportCtrl grid_;
  CHoldingsGrid rows_{grid_};
};

TEST_F(HoldingsGridTest, RowsKeepTheirIdentityHideAfterTwoMissesAndComeBack) {
  std::vector<std::wstring> log;
  int redraws = 0;
  rows_.SetLogger([&](const std::wstring& line) { log.push_back(line); });
  rows_.SetRedrawRequest([&] { ++redraws; });
  AddHolding(L"005930", 1);
  StockTrade_s* b = AddHolding(L"000660", 1);

  EXPECT_EQ(Refresh(), 2);
  EXPECT_EQ(grid_.GetRecordCount(), 2);
  EXPECT_EQ(grid_.GetFooterRecordCount(), 2);
  EXPECT_EQ(log.front(), L"▶ [UI] 계좌 2개 갱신 시작[1]\n");
  EXPECT_EQ(log.back(), L"▶ [UI] 계좌 2개 갱신 완료\n");
  CRurezOzadoResultRecord* rowB = rows_.RowOf(Key(b));
  ASSERT_NE(rowB, nullptr);
  EXPECT_EQ(rowB->GetStockCode(), L"000660");
  EXPECT_EQ(b->in_grid, 1);

  // b is sold (quantity 0) at one refresh: its row stays; at a second one: hidden.
  b->quantity = 0;
  EXPECT_EQ(Refresh(), 0);
  EXPECT_TRUE(rowB->IsVisible());
  EXPECT_FALSE(rows_.IsHeld(rowB));
  EXPECT_EQ(rows_.RowOf(Key(b)), nullptr);
  EXPECT_EQ(b->in_grid, 0);
  EXPECT_EQ(Refresh(), 0);
  EXPECT_FALSE(rowB->IsVisible());
  EXPECT_EQ(rows_.ShownRows(), 1);

  // Back again: the same row, shown, no new row made.
  b->quantity = 5;
  EXPECT_EQ(Refresh(), 0);
  EXPECT_TRUE(rowB->IsVisible());
  EXPECT_EQ(rows_.RowOf(Key(b)), rowB);
  EXPECT_EQ(b->in_grid, 1);
  EXPECT_EQ(grid_.GetRecordCount(), 2);
  EXPECT_EQ(rows_.Generation(), 4u);
  EXPECT_EQ(redraws, 3) << "added, hidden, shown again";
}

TEST_F(HoldingsGridTest, QuotesReachTheRowsThatAreStillHeld) {
  StockTrade_s* a = AddHolding(L"005930", 1);
  StockTrade_s* b = AddHolding(L"000660", 2);
  Refresh();
  a->stock->cur_price = 71200;
  b->stock->cur_price = 120500;
  const QuotesSnapshot_s quotes = engine_.SnapshotQuotes();
  // b leaves the engine before the window gets round to the quotes: its row keeps its values.
  b->quantity = 0;
  Refresh();
  EXPECT_EQ(rows_.ApplyQuotes(quotes.holdings), 1);
  EXPECT_EQ(rows_.RowOf(Key(a))->GetNumberValue(CRurezOzadoResultRecord::kColCurPrice), 71200);
}

TEST_F(HoldingsGridTest, AHoldingFreedByTheEngineLeavesTheGridSafely) {
  AddHolding(L"005930", 1);
  Refresh();
  // The balance query dropped and freed it; the grid holds only its copy and the key.
  GfxStockTradeDataMap3Free(&engine_.Stocks().Holdings());
  Refresh();
  Refresh();
  EXPECT_EQ(rows_.ShownRows(), 0);
  EXPECT_EQ(grid_.GetRecordCount(), 1);
}

}  // namespace
