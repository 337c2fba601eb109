// The view's web engine and its page and grid-menu handlers.

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
