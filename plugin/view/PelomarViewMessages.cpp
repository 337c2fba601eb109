// The trading view's message map entries other than the menu commands of the ribbon, the
// host commands, printing and the toolbar control handlers.

#include <wx/datectrl.h>
#include <wx/dc.h>
#include <wx/filedlg.h>
#include <wx/notebook.h>
#include <wx/print.h>
#include <wx/printdlg.h>
#include <wx/prntbase.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>

#include "platform/support/TextConv.h"
#include "platform/ui/GridPrintout.h"
#include "platform/ui/Dispatcher.h"
#include "platform/ui/model/ReportCtrl.h"
#include "platform/win/Clock.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "plugin/community/WebPages.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/ViewToolbar.h"
#include "shared/AppRunSetting.h"
#include "shared/HostCommands.h"
#include "shared/LoginInfo.h"
#include "shared/Messages.h"

namespace {

constexpr UINT WM_COMMAND_MSG = 0x0111;
constexpr UINT WM_CREATE_CONTROL = 0x285E;
constexpr UINT WM_CREATE_COMMAND_BAR = 0x2861;
constexpr int kLogoutTimerMs = 100;

// Commands of this view.
constexpr int ID_PRINT = 57607;
constexpr int ID_PRINT_DIRECT = 57608;
constexpr int ID_PRINT_ALT = 470;
constexpr int ID_PRINT_PREVIEW = 57609;
constexpr int ID_PREVIEW_TARGET = 473;
constexpr int ID_PRINT_TARGET = 477;
constexpr int ID_PRINT_SELECTOR_OFF = 451;
constexpr int ID_FILE_OPEN = 57601;
constexpr int ID_SCREEN_SAVER = 3450;
constexpr int ID_REFRESH = 481;

// Company and branch numbers handed with WM_APP+4.
struct BranchNumbers_s {
  int32_t company = 0;
  int32_t branch = 0;
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Host commands

int64_t CPelomarView::OnReceivedMsgFromManager(int kind, UINT code, WPARAM wParam, LPARAM lParam,
                                               void* data) {
  if (kind == MODULE_MSG_KIND_WINDOW) {
    WindowProc(code, wParam, lParam);
    return 0;
  }
  if (kind != MODULE_MSG_KIND_HOST || code < HOST_CMD_UPLOAD || code > HOST_CMD_PROFIT_RATES)
    return 0;
  const bool loggedIn = m_pLoginInfo && m_pLoginInfo->nUserIdx > 0;
  switch (code) {
    case HOST_CMD_UPLOAD:
    case HOST_CMD_SAVE:
      // The cafe data view uploads its modified clients and answers what it did.
      if (!loggedIn || !m_cafeDataView) return 0;
      return m_cafeDataView->OnReceivedMsgFromManager(kind, code, wParam, lParam, data);
    case HOST_CMD_LOGIN_STATE:
      // The cafe data view follows the login state.
      if (m_cafeDataView) m_cafeDataView->OnReceivedMsgFromManager(kind, code, wParam, lParam, data);
      return 0;
    case HOST_CMD_RELOAD:
    case HOST_CMD_RELOAD2:
      ShowFetchingWindow(true);
      RefreshAllStockTab();
      HideWaitingWnd();
      return 0;
    case HOST_CMD_STOP:
      StopForHost();
      return 0;
    case HOST_CMD_LOGGED_OUT:
      if (m_pLoginInfo && m_pLoginInfo->nUserIdx != 0) return 0;
      if (m_monitoringView)
        m_monitoringView->OnReceivedMsgFromManager(kind, code, wParam, lParam, data);
      if (m_cafeDataView) m_cafeDataView->OnReceivedMsgFromManager(kind, code, wParam, lParam, data);
      StartLogoutTimer();
      return 0;
    case HOST_CMD_AUTO_TRADE_ON:
    case HOST_CMD_AUTO_TRADE_OFF:
      if (m_hooks.setAutoTradeAll)
        m_hooks.setAutoTradeAll(IDC_MY_STOCK_GRID, code == HOST_CMD_AUTO_TRADE_ON ? 1 : 0, 0, 0);
      return 1;
    case HOST_CMD_PROFIT_RATES:
      ShowProfitRateDialog();
      return 1;
    default:
      return 0;
  }
}

void CPelomarView::StopForHost() {
  // The workers use the agents: they are stopped and joined before the brokers log out.
  m_engine->StopWorkerThreads();
  m_engine->LogoutAllStockAgents();
  orv::win::Sleep(10);
  orv::win::Sleep(50);
}

void CPelomarView::ShowFetchingWindow(bool show) {
  if (show)
    ShowFetchingDataWnd(m_languageId);
  else
    HideWaitingWnd();
}

void CPelomarView::SetCurBranchIdx(int company, int branch) {
  m_curCompany = company;
  m_curBranch = branch;
}

int CPelomarView::AllStockCount() const { return m_engine->m_masterCodeCount.load(); }

void CPelomarView::RefreshAllStockTab() {
  if (m_cafeDataView) m_cafeDataView->FetchClientList(this);
  SetAllStockTabCaption();
}

void CPelomarView::SetAllStockTabCaption() {
  if (!m_tabs || m_tabs->GetPageCount() == 0) return;
  wchar_t caption[64];
  std::swprintf(caption, 64, L"전종목 시세 (%d 개)", AllStockCount());
  // Set on every refresh: an unchanged caption is left alone (setting it lays the tabs out).
  if (m_tabs->GetPageText(0) != wxString(caption)) m_tabs->SetPageText(0, wxString(caption));
}

void CPelomarView::OnHostRefreshMsg(WPARAM command, LPARAM lParam) {
  const auto* numbers = reinterpret_cast<const BranchNumbers_s*>(lParam);
  SetCurBranchIdx(numbers->company, numbers->branch);
  // The upload (3) and the reloads (13, 48) under the waiting window are the cafe data view's.
  if (m_cafeDataView) m_cafeDataView->OnHostRefresh(command, lParam);
}

void CPelomarView::PostGridRedraw() {
  if (m_engine->m_redrawPending.exchange(1) == 0)
    orv::ui::PostMessage(ViewHandle(), WM_REDRAW_GRID);
}

// ---------------------------------------------------------------------------------------
// The message map

bool CPelomarView::OnViewMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = 0;
  switch (message) {
    case WM_MODULE_START:
      return true;
    case WM_MODULE_REFRESH:
      // The host sends the numbers with every refresh; a message without them is ignored.
      if (lParam) OnHostRefreshMsg(wParam, lParam);
      return true;
    case WM_MODULE_LANGUAGE:
      if (wParam == MODULE_LANGUAGE_WPARAM && static_cast<intptr_t>(lParam) >= 1) {
        m_languageId = static_cast<int>(lParam);
        RefreshUITextByLanguageId(m_languageId);
      }
      return true;
    case WM_GRID_UPDATE:
      if (m_myStockGrid) m_myStockGrid->Populate();
      m_engine->m_gridUpdatePending.store(0);
      return true;
    case WM_ADD_SPARE_STOCK:
      // A message without a stock is ignored.
      if (auto* stock = reinterpret_cast<Stock_s*>(lParam)) {
        orv::win::CSingleLock lock(&m_engine->ViewLock(), true);
        m_engine->SpareStocks()[stock->code] = stock;
      }
      return true;
    case WM_REDRAW_GRID:
      if (m_myStockGrid) {
        m_myStockGrid->Populate();
        m_myStockGrid->RedrawControl();
      }
      for (int id : {IDC_ALL_STOCK_GRID, IDC_ORDER_HISTORY_GRID})
        if (auto* grid = Grid(id)) grid->RedrawControl();
      m_engine->m_redrawPending.store(0);
      return true;
    case WM_STAIR_RESET:
      m_engine->ResetAllStockStairs();
      return true;
    case WM_COMMAND_MSG:
      return OnViewCommand(static_cast<int>(wParam & 0xFFFF));
    case WM_CREATE_CONTROL:
      *result = OnCreateControl(static_cast<int>(wParam));
      return true;
    case WM_CREATE_COMMAND_BAR:
      *result = OnCreateCommandBar(static_cast<int>(wParam)) ? 1 : 0;
      return true;
    default:
      return false;
  }
}

int CPelomarView::RefreshUITextByLanguageId(int languageId) {
  const int language = languageId > 0 ? languageId : m_languageId;
  if (m_cafeDataView) m_cafeDataView->RefreshUITextByLanguageId(language);
  if (m_monitoringView) m_monitoringView->RefreshUITextByLanguageId(language);
  RefreshHeaderMenuTexts(language);
  RefreshToolbarTooltips(language);
  return 0;
}

// ---------------------------------------------------------------------------------------
// Commands

bool CPelomarView::OnViewCommand(int commandId) {
  switch (commandId) {
    case ID_PRINT:
    case ID_PRINT_ALT:
    case ID_PRINT_DIRECT:
      m_printSelector = 0;
      PrintWithTarget(ID_PRINT);
      return true;
    case ID_PRINT_PREVIEW:
    case ID_PREVIEW_TARGET:
      PrintWithTarget(ID_PRINT_PREVIEW);
      return true;
    case ID_PRINT_TARGET:
      PrintWithTarget(ID_PRINT);
      return true;
    case ID_PRINT_SELECTOR_OFF:
      m_printSelector = -1;
      return true;
    case ID_FILE_OPEN: {
      wxFileDialog dialog(this, wxString(L"Open"), wxEmptyString, wxEmptyString,
                          wxString(L"Excel Files (*.xlsx)|*.xlsx"),
                          wxFD_OPEN | wxFD_FILE_MUST_EXIST);
      if (dialog.ShowModal() == wxID_OK && m_hooks.importFile)
        m_hooks.importFile(dialog.GetPath().ToStdWstring());
      return true;
    }
    case ID_SCREEN_SAVER: {
      if (!m_pRunSetting) return true;
      m_pRunSetting->bySaverOn = m_pRunSetting->bySaverOn ? 0 : 1;
      const bool on = m_pRunSetting->bySaverOn != 0;
      SendNotifyMsgToMainFrame(NOTIFY_KIND_STATUS, 14, on ? 1.0 : 0.0, 0.0,
                               on ? L"SCR.SAVER ON" : L"SCR.SAVER OFF");
      return true;
    }
    case ID_REFRESH:
      DoRefresh();
      return true;
    case 428:
    case 578:
    case 57603:
    case 57634:
    case 57637:
      return true;
    default:
      return m_webPages && m_webPages->OnCommand(commandId);
  }
}

void CPelomarView::PrintWithTarget(int command) {
  // The print target: the grid of the selected tab.
  orv::ui::CMyReportCtrl* grid = nullptr;
  if (m_tabs) {
    const int ids[3] = {IDC_ALL_STOCK_GRID, IDC_MY_STOCK_GRID, IDC_ORDER_HISTORY_GRID};
    const int tab = m_tabs->GetSelection();
    if (tab >= 0 && tab < 3) grid = Grid(ids[tab]);
  }
  if (!grid) return;
  const bool selection = m_printSelector == 0 && !grid->GetSelectedRecords().empty();
  if (command == ID_PRINT_PREVIEW) {
    orv::ui::ShowGridPrintPreview(*grid, this, selection);
    return;
  }
  wxPrinter printer;
  orv::ui::GridPrintout printout(*grid, [selection] { return selection; });
  printer.Print(this, &printout, true);
}
