// Holdings-grid generations on a grid model: rows found again by holding identity, hidden
// after two missed refreshes, shown again when the holding comes back.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/model/ReportCtrl.h"
#include "plugin/rows/RurezOzadoResultRecord.h"
#include "plugin/view/HoldingsGrid.h"

namespace {

StockTrade_s* MakeHolding(OwningStockMap& master, const wchar_t* code, int account) {
  Stock_s* stock = GfxAddStockToMap(&master, code, 1, 0, 0, nullptr);
  auto* h = new StockTrade_s();
  h->stock = stock;
  h->account_no = account;
  h->quantity = 5;
  std::wcsncpy(h->code, code, kStockCodeLen);
  return h;
}

TEST(HoldingsGrid, RowsKeepTheirIdentityHideAfterTwoMissesAndComeBack) {
  orv::ui::CMyReportCtrl grid;
  CHoldingsGrid rows(grid);
  std::vector<std::wstring> log;
  int redraws = 0;
  rows.SetLogger([&](const std::wstring& line) { log.push_back(line); });
  rows.SetRedrawRequest([&] { ++redraws; });
  OwningStockMap master;
  OwningHoldingMap holdings;
  StockTrade_s* a = MakeHolding(master, L"005930", 1);
  StockTrade_s* b = MakeHolding(master, L"000660", 1);
  holdings.emplace(a, 0);
  holdings.emplace(b, 1);

  EXPECT_EQ(rows.RefreshHoldingsGrid(&holdings), 2);
  EXPECT_EQ(grid.GetRecordCount(), 2);
  EXPECT_EQ(grid.GetFooterRecordCount(), 2);
  EXPECT_EQ(log.front(), L"▶ [UI] 계좌 2개 갱신 시작[1]\n");
  EXPECT_EQ(log.back(), L"▶ [UI] 계좌 2개 갱신 완료\n");
  auto* rowB = rows.RowOf(b);
  ASSERT_NE(rowB, nullptr);
  EXPECT_EQ(b->grid_row, rowB);

  // b is sold (quantity 0) at one refresh: its row stays; at a second one: hidden, pointer
  // dropped.
  b->quantity = 0;
  EXPECT_EQ(rows.RefreshHoldingsGrid(&holdings), 0);
  EXPECT_TRUE(rowB->IsVisible());
  EXPECT_EQ(rows.RefreshHoldingsGrid(&holdings), 0);
  EXPECT_FALSE(rowB->IsVisible());
  EXPECT_EQ(b->grid_row, nullptr);
  EXPECT_EQ(b->removed, 1);
  EXPECT_EQ(rows.ShownRows(), 1);

  // Back again: the same row, shown, no new row made.
  b->quantity = 5;
  EXPECT_EQ(rows.RefreshHoldingsGrid(&holdings), 0);
  EXPECT_TRUE(rowB->IsVisible());
  EXPECT_EQ(b->grid_row, rowB);
  EXPECT_EQ(b->removed, 0);
  EXPECT_EQ(grid.GetRecordCount(), 2);
  EXPECT_EQ(rows.Generation(), 4u);
  EXPECT_EQ(redraws, 3) << "added, hidden, shown again";
}

TEST(HoldingsGrid, AFreedHoldingIsNeverTouchedAgain) {
  orv::ui::CMyReportCtrl grid;
  CHoldingsGrid rows(grid);
  OwningStockMap master;
  OwningHoldingMap holdings;
  StockTrade_s* a = MakeHolding(master, L"005930", 1);
  holdings.emplace(a, 0);
  rows.RefreshHoldingsGrid(&holdings);
  GfxStockTradeDataMap3Free(&holdings);  // the balance query dropped and freed it
  rows.RefreshHoldingsGrid(&holdings);
  rows.RefreshHoldingsGrid(&holdings);  // would write into the freed holding
  EXPECT_EQ(rows.ShownRows(), 0);
}

}  // namespace
