// The view's account side: after the account worker reported changes, the 500 ms tick refreshes
// the holdings rows of the own-stock grid from the engine's holdings; a logout empties them
// before the engine frees the holdings and stocks the rows point at.

#include "platform/ui/model/ReportCtrl.h"
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
  return m_holdingsRows->RefreshHoldingsGrid(&m_engine->Stocks().Holdings());
}

void CPelomarView::ClearHoldingsRows() {
  if (m_holdingsRows) m_holdingsRows->RemoveRows();
}
