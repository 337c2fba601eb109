// The view's web engine, its page and grid-menu handlers, and the grid notifications that open
// the stock-grid menu.

#include "plugin/view/WebEngineBridge.h"

#include "plugin/community/CafeService.h"
#include "plugin/community/StockGridMenu.h"
#include "plugin/community/WebLogin.h"
#include "plugin/community/WebPages.h"
#include "plugin/community/WebReports.h"

IWebEngine& CPelomarView::WebEngine() {
  if (!m_webBridge) m_webBridge = std::make_unique<WebEngineBridge>(*this);
  return *m_webBridge;
}

void CPelomarView::AttachWebLogin(CWebLogin* web) {
  // The sell worker reports each pass's orders through the reports (IEngineWindow's
  // UploadMoneyLog): they are made here, at the initial update, before the workers start, and
  // never replaced while the workers run.
  if (m_engine->ThreadsStarted() || m_webReports) return;
  m_webPages = web ? std::make_unique<CWebPages>(*web, WebEngine()) : nullptr;
  m_webReports = web ? std::make_unique<CWebReports>(*web, WebEngine()) : nullptr;
  // The cafe worker asks for the cafe data as the signed-in user of the same web login.
  m_engine->Cafe().SetWebLogin(web);
}

CStockGridMenu& CPelomarView::GridMenu() {
  if (!m_gridMenu) m_gridMenu = std::make_unique<CStockGridMenu>(WebEngine());
  return *m_gridMenu;
}

LRESULT CPelomarView::OnGridNotify(orv::ui::ReportNotify& nm) {
  // A click on a holding row's 자동매매 check switches that holding, as the menu's "자동 매매"
  // does (which also flips the check): the grid's own toggle would change only the cell.
  if (nm.code == orv::ui::REPORT_NM_REQUESTEDIT && nm.ctrlId == IDC_MY_STOCK_GRID && nm.grid &&
      nm.row >= 0) {
    const orv::ui::ReportColumn* column = nm.grid->GetColumn(nm.column);
    if (column && column->itemIndex == CRurezOzadoResultRecord::kColAutoTrade &&
        dynamic_cast<CRurezOzadoResultRecord*>(nm.grid->GetRowRecord(nm.row))) {
      nm.cancel = TRUE;
      GridMenu().RunStockGridCommand(nm.ctrlId, nm.row, ID_HOLDING_AUTO_TRADE);
      return 1;
    }
    return 0;
  }
  if (nm.code != orv::ui::NM_RCLICK || nm.row < 0) return 0;
  // The menu opens where the mouse was clicked.
  const wxPoint screen = wxGetMousePosition();
  GridMenu().OnStockGridContextMenu(nm.ctrlId, nm.row, StockMenu(), POINT{screen.x, screen.y});
  return 1;
}
