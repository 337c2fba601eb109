// The view's account side: after the account worker reported changes, the 500 ms tick refreshes
// the holdings rows of the own-stock grid from the engine's holdings, with the account column's
// option list and the totals row; a logout empties the rows before the engine frees the
// holdings and stocks they point at. Also the option lists of the stock grids' option columns.

#include "platform/ui/model/ReportCtrl.h"
#include "platform/win/CriticalSection.h"
#include "plugin/rows/GridConstraints.h"
#include "plugin/rows/RurezOzadoResultRecord.h"
#include "plugin/view/HoldingsGrid.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/engine/PelomarEngine.h"

int CPelomarView::RefreshAccountUi() {
  AddLogMsg(m_nCtrlId, 4, 0, nullptr, L"▶ [UI] 계좌 정보 갱신됨\n", 0);
  if (!m_myStockGrid) return 0;
  if (!m_holdingsRows) {
    m_holdingsRows = std::make_unique<CHoldingsGrid>(*m_myStockGrid);
    m_holdingsRows->SetScale(Scale());
    m_holdingsRows->SetLogger(
        [this](const std::wstring& line) { AddLogMsg(m_nCtrlId, 4, 0, nullptr, line.c_str(), 0); });
  }
  int added = 0;
  {
    orv::win::CSingleLock lock(&m_engine->ViewLock(), TRUE);
    // The account column shows the accounts' labels.
    for (orv::ui::CMyReportCtrl* grid : {m_myStockGrid.get(), m_orderHistoryGrid.get()})
      GfxFillGroupInfoConstraints(grid, CRurezOzadoResultRecord::kColAccount,
                                  &m_engine->Accounts(), nullptr, nullptr, nullptr, nullptr, TRUE,
                                  TRUE);
    const HoldingMap& holdings = m_engine->Stocks().Holdings();
    added = m_holdingsRows->RefreshHoldingsGrid(&holdings);
    // Every row shows its holding's levels as the balance left them.
    for (int i = 0; i < m_myStockGrid->GetRecordCount(); ++i)
      if (HeldHoldingOf(m_myStockGrid->GetRecord(i), holdings))
        RefreshStockRow(static_cast<CRurezOzadoResultRecord*>(m_myStockGrid->GetRecord(i)), true);
  }
  // The totals row follows the rows at once, not only after the next quote pass.
  RefreshOwnGridValues();
  return added;
}

void CPelomarView::ClearStockRows() {
  if (m_holdingsRows) m_holdingsRows->RemoveRows();
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
