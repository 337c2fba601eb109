#include "plugin/view/StockGrids.h"

#include <cmath>
#include <cstdio>
#include <cwchar>

#include "platform/ui/model/ReportCtrl.h"
#include "platform/win/Clock.h"
#include "plugin/view/PelomarView.h"
#include "shared/StockRecords.h"

using orv::ui::CMyReportCtrl;
using orv::ui::CMyReportRecordBase;

// ---------------------------------------------------------------------------------------
// The filter

CMyReportRecordBase* AllStockRowOf(const Stock_s* stock, const CMyReportCtrl& grid) {
  if (!stock || !stock->grid_row) return nullptr;
  auto* row = static_cast<CMyReportRecordBase*>(stock->grid_row);
  return row->GetGrid() == &grid ? row : nullptr;
}

CStockRecord* AddAllStockRow(CMyReportCtrl& grid, Stock_s* stock, int index, double scale) {
  auto* row = static_cast<CStockRecord*>(
      grid.AddRecord(std::make_unique<CStockRecord>(stock, index, scale)));
  if (stock) stock->grid_row = static_cast<CMyReportRecordBase*>(row);
  return row;
}

namespace {

bool InPriceClass(int priceClass, double value) {
  switch (priceClass) {
    case 1:
      return value > 0 && value <= 100;
    case 2:
      return value > 100 && value < 1000;
    default:
      return value > 1000 && value < 10000;
  }
}

// The filter's decision for one stock in mode 0.
bool IsShown(const Stock_s& s, const MasterGridFilter_s& f, int range) {
  const StockListing_s& l = s.listing;
  const size_t len = std::wcslen(s.code);
  bool shown = f.codesEndingInZero && len > 0 && s.code[len - 1] == L'0';
  if (shown && f.excludeManaged && (l.managed || l.caution2)) shown = false;
  if (shown && f.listedOnly && !l.listed) shown = false;
  if (shown && f.excludeCredit && l.credit) shown = false;
  // The price class: the change rate must stay below 30% and the price lie in the class.
  if (f.priceClass >= 1 && f.priceClass <= 3)
    shown = std::fabs(s.change_rate) < 30 && InPriceClass(f.priceClass, s.cur_price);
  if (range >= 0) shown = range == 1;
  return shown;
}

}  // namespace

MasterGridCounts_s FilterMasterGridRows(CMyReportCtrl& grid, const StockMap& master,
                                        const MasterGridFilter_s& filter,
                                        const std::function<int(double)>& priceInRange, int mode) {
  MasterGridCounts_s counts;
  for (const auto& [code, stock] : master) {
    if (!stock) continue;
    const StockListing_s& l = stock->listing;
    if (l.managed) ++counts.managed;
    if (!l.caution.empty()) ++counts.caution;
    if (l.credit) ++counts.credit;
    if (stock->change > 0) ++counts.rising;
    if (stock->change < 0) ++counts.falling;
    CMyReportRecordBase* row = AllStockRowOf(stock, grid);
    if (!row) continue;
    bool shown = true;
    if (mode == 0) {
      const int range = priceInRange ? priceInRange(stock->cur_price) : -1;
      shown = IsShown(*stock, filter, range);
    }
    if (shown) row->SetNumberValue(kAllItemOrder, ++counts.shown);
    row->SetVisible(shown);
  }
  if (CMyReportRecordBase* footer =
          grid.GetFooterRecordCount() > 0 ? grid.GetFooterRecord(0) : nullptr) {
    footer->SetNumberValue(kAllItemOrder, counts.shown);
    footer->SetTextValue(kAllItemManaged, std::to_wstring(counts.managed));
    footer->SetTextValue(kAllItemCredit, std::to_wstring(counts.credit));
    footer->SetTextValue(kAllItemCaution, std::to_wstring(counts.caution));
    if (counts.rising > 0 && counts.falling > 0) {
      wchar_t text[128];
      std::swprintf(text, 128, L"상승(%d)/하락(%d) (%.1lf)", counts.rising, counts.falling,
                    filter.footerValue);
      footer->SetTextValue(kAllItemCode, text);
    }
  }
  grid.Populate();
  return counts;
}

// ---------------------------------------------------------------------------------------
// The view's grid operations

MasterGridCounts_s CPelomarView::FilterMasterGrid(int mode) {
  if (!m_allStockGrid) return {};
  CStockLists& lists = m_engine->Stocks();
  return FilterMasterGridRows(
      *m_allStockGrid, lists.Master(), m_gridFilter,
      [&lists](double price) { return lists.PriceInFilterRange(price); }, mode);
}

void CPelomarView::RefreshAllStockGrids() {
  m_engine->m_gridRebuildRequest.store(1);
  if (m_engine->Operations().RebuildAllStockGrid) m_engine->Operations().RebuildAllStockGrid(0, 0);
}

void CPelomarView::RefreshOwnGridValues() {
  if (!m_myStockGrid) return;
  const DWORD start = orv::win::GetTickCount();
  m_ownTotals = RefreshOwnGridRows(*m_myStockGrid);
  m_myStockGrid->RedrawControl();
  const DWORD taken = orv::win::TickElapsed(start, orv::win::GetTickCount());
  m_ownTotalsMs = taken;
  m_engine->m_gridRefreshMs.store(taken);
}

void CPelomarView::RefreshStockRowPrices(CMyReportCtrl* grid, bool reevaluate) {
  if (!grid) return;
  for (int i = 0; i < grid->GetRecordCount(); ++i) {
    auto* row = dynamic_cast<CMyStockRecord*>(grid->GetRecord(i));
    StockTrade_s* h = row ? row->GetHolding() : nullptr;
    if (!h || !h->stock) continue;
    if (reevaluate && m_hooks.resetStockStairs) m_hooks.resetStockStairs(h->stock);
    const double price = h->stock->cur_price;
    row->SetNumberValue(kMyItemRebuyLimit, 0);
    row->SetNumberValue(kMyItemSplitQty, h->sell_split_qty);
    row->SetNumberValue(kMyItemSplitAmount, h->sell_split_qty * price);
    row->SetNumberValue(kMyItemSellForbidden, 0);
    row->SetNumberValue(kMyItemForeignDown, h->stock->listing.foreign_down);
  }
  grid->RedrawControl();
}
