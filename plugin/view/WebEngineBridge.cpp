// The view's web engine, its page and grid-menu handlers, and the grid notifications that open
// the stock-grid menu.

#include "plugin/view/WebEngineBridge.h"

#include "plugin/community/StockGridMenu.h"
#include "plugin/community/WebLogin.h"
#include "plugin/community/WebPages.h"

IWebEngine& CPelomarView::WebEngine() {
  if (!m_webBridge) m_webBridge = std::make_unique<WebEngineBridge>(*this);
  return *m_webBridge;
}

void CPelomarView::AttachWebLogin(CWebLogin* web) {
  m_webPages = web ? std::make_unique<CWebPages>(*web, WebEngine()) : nullptr;
}

CStockGridMenu& CPelomarView::GridMenu() {
  if (!m_gridMenu) m_gridMenu = std::make_unique<CStockGridMenu>(WebEngine());
  return *m_gridMenu;
}

LRESULT CPelomarView::OnGridNotify(orv::ui::ReportNotify& nm) {
  if (nm.code != orv::ui::NM_RCLICK || nm.row < 0) return 0;
  // The menu opens where the mouse was clicked.
  const wxPoint screen = wxGetMousePosition();
  GridMenu().OnStockGridContextMenu(nm.ctrlId, nm.row, StockMenu(), POINT{screen.x, screen.y});
  return 1;
}
