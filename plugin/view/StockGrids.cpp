#include "plugin/view/StockGrids.h"

#include <cmath>
#include <cstdio>

#include "platform/ui/model/ReportCtrl.h"
#include "platform/win/Clock.h"
#include "plugin/view/HoldingsGrid.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "plugin/view/engine/WideText.h"

using orv::ui::CMyReportCtrl;
using orv::ui::CMyReportRecordBase;

// ---------------------------------------------------------------------------------------
// The filter

CStockRecord* AddAllStockRow(CMyReportCtrl& grid, const StockRow_s& stock, int index,
                             double scale) {
  return static_cast<CStockRecord*>(
      grid.AddRecord(std::make_unique<CStockRecord>(&stock, index, scale)));
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
bool IsShown(const std::wstring& code, const StockFilterValues_s& l, const MasterGridFilter_s& f,
             int range) {
  bool shown = f.codesEndingInZero && !code.empty() && code.back() == L'0';
  if (shown && f.excludeManaged && (l.managed || l.caution2)) shown = false;
  if (shown && f.listedOnly && !l.listed) shown = false;
  if (shown && f.excludeCredit && l.credit) shown = false;
  // The price class: the change rate must stay below 30% and the price lie in the class.
  if (f.priceClass >= 1 && f.priceClass <= 3)
    shown = std::fabs(l.changeRate) < 30 && InPriceClass(f.priceClass, l.curPrice);
  if (range >= 0) shown = range == 1;
  return shown;
}

}  // namespace

MasterGridCounts_s FilterMasterGridRows(CMyReportCtrl& grid, const MasterGridFilter_s& filter,
                                        const std::function<int(double)>& priceInRange, int mode) {
  MasterGridCounts_s counts;
  for (int i = 0; i < grid.GetRecordCount(); ++i) {
    auto* row = dynamic_cast<CStockRecord*>(grid.GetRecord(i));
    if (!row || !row->HasStock()) continue;
    const StockFilterValues_s& l = row->FilterValues();
    if (l.managed) ++counts.managed;
    if (l.caution) ++counts.caution;
    if (l.credit) ++counts.credit;
    if (l.change > 0) ++counts.rising;
    if (l.change < 0) ++counts.falling;
    bool shown = true;
    if (mode == 0) {
      const int range = priceInRange ? priceInRange(l.curPrice) : -1;
      shown = IsShown(row->GetStockCode(), l, filter, range);
    }
    if (shown) row->SetOrder(++counts.shown);
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
  const CStockLists& lists = m_engine->Stocks();
  return FilterMasterGridRows(
      *m_allStockGrid, m_gridFilter,
      [&lists](double price) { return lists.PriceInFilterRange(price); }, mode);
}

int CPelomarView::ShowMasterList(std::shared_ptr<const MasterListSnapshot_s> master) {
  if (!m_allStockGrid || !master || m_fillingAllStock) return 0;
  m_fillingAllStock = true;
  const DWORD start = orv::win::GetTickCount();
  CMyReportCtrl& grid = *m_allStockGrid;
  grid.ResetContent(true);
  m_allStockRows.clear();
  int rows = 0;
  m_allStockRows.reserve(master->stocks.size());
  grid.ReserveRecords(master->stocks.size());
  // Each row shares its stock's values in the snapshot until it makes its items.
  for (const StockRow_s& stock : master->stocks)
    m_allStockRows[stock.code] = static_cast<CStockRecord*>(grid.AddRecord(
        std::make_unique<CStockRecord>(std::shared_ptr<const StockRow_s>(master, &stock), ++rows,
                                       Scale())));
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

void CPelomarView::RefreshOwnGridTotals() {
  if (!m_myStockGrid) return;
  const DWORD start = orv::win::GetTickCount();
  m_ownTotals = SumOwnGridTotals(*m_myStockGrid);
  m_myStockGrid->RedrawControl();
  const DWORD taken = orv::win::TickElapsed(start, orv::win::GetTickCount());
  m_ownTotalsMs = taken;
  m_engine->m_gridRefreshMs.store(taken);
}

int CPelomarView::ShowQuotes(const QuotesSnapshot_s& quotes) {
  if (m_holdingsRows) m_holdingsRows->ApplyQuotes(quotes.holdings);
  RefreshOwnGridTotals();
  if (!m_allStockGrid) return 0;
  int changed = 0;
  for (const StockQuoteRow_s& quote : quotes.stocks) {
    auto found = m_allStockRows.find(quote.code);
    // Only rows whose stock was priced anew are written (and so redrawn).
    if (found != m_allStockRows.end() && found->second->ApplyQuote(quote)) ++changed;
  }
  if (changed > 0) m_allStockGrid->RedrawControl();
  return changed;
}
