#include "plugin/view/StockGrids.h"

#include <cmath>
#include <cstdio>
#include <cwchar>

#include "platform/ui/model/ReportCtrl.h"
#include "platform/win/Clock.h"
#include "platform/win/CriticalSection.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "plugin/view/engine/WideText.h"
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

// Stocks of this nation byte are counted in the master list but get no all-stock row.
constexpr int8_t kNationNotListed = '3';

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
  orv::win::CSingleLock lock(&m_engine->ViewLock(), TRUE);
  return FilterMasterGridRows(
      *m_allStockGrid, lists.Master(), m_gridFilter,
      [&lists](double price) { return lists.PriceInFilterRange(price); }, mode);
}

void CPelomarView::RefreshAllStockGrids() {
  m_engine->m_gridRebuildRequest.store(1);
  m_engine->Window()->RebuildAllStockGrid();
}

int CPelomarView::FillAllStockGrid() {
  if (!m_allStockGrid || m_fillingAllStock) return 0;
  m_fillingAllStock = true;
  const DWORD start = orv::win::GetTickCount();
  CMyReportCtrl& grid = *m_allStockGrid;
  // The old rows unlink themselves from their stocks as they go.
  grid.ResetContent(true);
  int rows = 0;
  {
    orv::win::CSingleLock lock(&m_engine->ViewLock(), TRUE);
    for (const auto& [code, stock] : m_engine->Stocks().Master()) {
      if (!stock || stock->nation == kNationNotListed) continue;
      AddAllStockRow(grid, stock, ++rows, Scale());
    }
  }
  auto* footer = grid.AddFooterRecord(std::make_unique<CStockRecord>(nullptr, 0, Scale()));
  footer->SetTextValue(kAllItemName, L"전체");
  FilterMasterGrid(0);
  const DWORD taken = orv::win::TickElapsed(start, orv::win::GetTickCount());
  AddLogMsg(m_nCtrlId, 4, 0, nullptr,
            StrPrintfW(L"[전종목] %d 조회 (%.1fs) ", rows, taken / 1000.0).c_str(), 0);
  SetAllStockTabCaption();
  m_fillingAllStock = false;
  return rows;
}

void CPelomarView::RefreshOwnGridValues() {
  if (!m_myStockGrid) return;
  const DWORD start = orv::win::GetTickCount();
  {
    // The holdings are the workers' too: read them under the engine's lock, and only those
    // the latest balance still holds.
    orv::win::CSingleLock lock(&m_engine->ViewLock(), TRUE);
    m_ownTotals = RefreshOwnGridRows(*m_myStockGrid, m_engine->Stocks().Holdings());
  }
  m_myStockGrid->RedrawControl();
  const DWORD taken = orv::win::TickElapsed(start, orv::win::GetTickCount());
  m_ownTotalsMs = taken;
  m_engine->m_gridRefreshMs.store(taken);
}

int CPelomarView::RefreshAllStockPrices() {
  if (!m_allStockGrid) return 0;
  CMyReportCtrl& grid = *m_allStockGrid;
  int changed = 0;
  {
    orv::win::CSingleLock lock(&m_engine->ViewLock(), TRUE);
    for (int i = 0; i < grid.GetRecordCount(); ++i) {
      auto* row = dynamic_cast<CStockGridRecord*>(grid.GetRecord(i));
      const Stock_s* s = row ? row->GetStock() : nullptr;
      // Only rows whose stock was priced anew are written (and so redrawn).
      if (!s || (row->GetNumberValue(kAllItemPrice) == s->cur_price &&
                 row->GetNumberValue(kAllItemChangeRate) == s->change_rate))
        continue;
      RefreshRowColours(row);
      ++changed;
    }
  }
  if (changed > 0) grid.RedrawControl();
  return changed;
}

void CPelomarView::RefreshStockRowPrices(CMyReportCtrl* grid, bool reevaluate) {
  if (!grid) return;
  {
    orv::win::CSingleLock lock(&m_engine->ViewLock(), TRUE);
    const HoldingMap& holdings = m_engine->Stocks().Holdings();
    for (int i = 0; i < grid->GetRecordCount(); ++i) {
      CMyReportRecordBase* row = grid->GetRecord(i);
      StockTrade_s* h = HeldHoldingOf(row, holdings);
      if (!h || !h->stock) continue;
      if (reevaluate && m_hooks.resetStockStairs) m_hooks.resetStockStairs(h->stock);
      const double price = h->stock->cur_price;
      row->SetNumberValue(kMyItemRebuyLimit, 0);
      row->SetNumberValue(kMyItemSplitQty, h->sell_split_qty);
      row->SetNumberValue(kMyItemSplitAmount, h->sell_split_qty * price);
      row->SetNumberValue(kMyItemSellForbidden, 0);
      row->SetNumberValue(kMyItemForeignDown, h->stock->listing.foreign_down);
    }
  }
  grid->RedrawControl();
}
