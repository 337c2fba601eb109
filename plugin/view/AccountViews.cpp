// The view's account side: after the account worker reported changes, the 500 ms tick hands
// the view a copy of the holdings; it refreshes the holdings rows of the own-stock grid, the
// account column's option list and the totals row. A logout empties the rows. Also the option
// lists of the stock grids' option columns.

#include "platform/ui/model/ReportCtrl.h"
#include "plugin/rows/GridConstraints.h"
#include "plugin/rows/RurezOzadoResultRecord.h"
#include "plugin/view/HoldingsGrid.h"
#include "plugin/view/PelomarView.h"

int CPelomarView::ShowHoldings(const HoldingsSnapshot_s& holdings) {
  AddLogMsg(m_nCtrlId, 4, 0, nullptr, L"▶ [UI] 계좌 정보 갱신됨\n", 0);
  if (!m_myStockGrid) return 0;
  if (!m_holdingsRows) {
    m_holdingsRows = std::make_unique<CHoldingsGrid>(*m_myStockGrid);
    m_holdingsRows->SetScale(Scale());
    m_holdingsRows->SetLogger(
        [this](const std::wstring& line) { AddLogMsg(m_nCtrlId, 4, 0, nullptr, line.c_str(), 0); });
  }
  // The account column shows the accounts' labels; when they changed, every row shows them
  // anew (a row is otherwise drawn again only when one of its values changes).
  const bool labelsChanged = holdings.accounts != m_shownAccounts;
  if (labelsChanged) m_shownAccounts = holdings.accounts;
  for (orv::ui::CMyReportCtrl* grid : {m_myStockGrid.get(), m_orderHistoryGrid.get()}) {
    GfxFillAccountConstraints(grid, CRurezOzadoResultRecord::kColAccount, holdings.accounts, TRUE,
                              TRUE);
    if (!grid || !labelsChanged) continue;
    for (int row = 0; row < grid->GetRowCount(); ++row)
      grid->NoteRecordChanged(grid->GetRowRecord(row));
    grid->RedrawControl();
  }
  const int added = m_holdingsRows->RefreshHoldingsGrid(holdings.rows);
  // The totals row follows the rows at once, not only after the next quote pass.
  RefreshOwnGridTotals();
  return added;
}

void CPelomarView::ClearStockRows() {
  if (m_holdingsRows) m_holdingsRows->RemoveRows();
  m_allStockRows.clear();
  if (m_allStockGrid) {
    // The footer row has no stock and stays.
    m_allStockGrid->ResetContent(false);
    m_allStockGrid->Populate();
  }
}

void CPelomarView::FillGridOptionLists() {
  using Row = CRurezOzadoResultRecord;
  for (orv::ui::CMyReportCtrl* grid : {m_myStockGrid.get(), m_orderHistoryGrid.get()}) {
    if (!grid) continue;
    GfxFillBrokerConstraints(grid->GetColumnEditOptions(Row::kColBroker), FALSE, FALSE);
    GfxFillWatchKindConstraints(grid->GetColumnEditOptions(Row::kColKind), FALSE, FALSE, FALSE);
    GfxFillNationConstraints(grid->GetColumnEditOptions(Row::kColNation), FALSE, FALSE);
    GfxFillMarketConstraints(grid->GetColumnEditOptions(Row::kColMarket), FALSE, FALSE);
    GfxFillSellRatioConstraints(grid->GetColumnEditOptions(Row::kColSellRatio), FALSE, TRUE);
  }
  if (orv::ui::CMyReportCtrl* grid = m_allStockGrid.get()) {
    GfxFillNationConstraints(grid->GetColumnEditOptions(kAllItemNation), FALSE, FALSE);
    GfxFillMarketConstraints(grid->GetColumnEditOptions(kAllItemMarket), FALSE, FALSE);
    GfxFillAlarmConstraints(grid->GetColumnEditOptions(kAllItemAlarmKind), FALSE, FALSE);
  }
}
