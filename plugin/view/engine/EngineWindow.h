#pragma once
// What the trading engine asks of the window side, and what plugs into the engine from outside
// it (the web server's user check and reports, the stored login, the market schedule). The
// trading view implements it and hands it to the engine's constructor, so everything here is
// in place before a worker starts; tests drive the engine headless with a fake. Every call may
// come from a worker thread except where said: the view marshals what touches a window to the
// UI thread (PostViewMessage is the one way back, the others post internally or run where
// they are safe).

#include <curl/curl.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/win/WinTypes.h"
#include "plugin/view/engine/DailyLogs.h"
#include "plugin/view/engine/StockLists.h"
#include "plugin/view/engine/TradeOrders.h"
#include "plugin/view/engine/ViewSnapshots.h"

class IEngineWindow : public ILogPane, public IStockListView {
 public:
  ~IEngineWindow() override = default;

  // Queues a window message for the view (WM_USER+0x1F5, 0x1F8, 0x1FB ...).
  virtual void PostViewMessage(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
  // The view's waiting popup: show or hide, text, caption, time-out in ms (0: until replaced).
  virtual void ShowWaitingPopup(bool show, const wchar_t* text, const wchar_t* caption,
                                DWORD timeoutMs) = 0;
  // A message box with the Windows style bits; answers the button pressed (IDYES ...).
  virtual int ShowMessageBox(const wchar_t* text, const wchar_t* caption, UINT style) = 0;
  // A notification to the host's main frame (SendNotifyMsgToMainFrame: kind, code, texts).
  virtual void NotifyHost(int kind, int code, const wchar_t* text1, const wchar_t* text2) = 0;
  // The same with the two values the host's status panes take (session, market, timings).
  virtual void NotifyHostValues(int kind, int code, double value1, double value2,
                                const wchar_t* text1, const wchar_t* text2) {
    NotifyHost(kind, code, text1, text2);
  }
  // Refreshes the rows of the stock grids from the records.
  virtual void RefreshRows() = 0;
  // Adds one row to the order-history tab (any thread; the view adds it on its own thread).
  virtual void AddOrderHistoryRow(const OrderHistoryRow_s& row) {}
  // The interface language of the user (1 English, 2 Korean, 0 the host's default, which is
  // Korean); texts the engine writes for the user follow it.
  virtual int InterfaceLanguage() const { return 0; }
  // Plays a queued alert sound (kAlertSound...); a window side without sounds does nothing.
  virtual void PlayAlertSound(int sound) {}
  // Runs a task on the user-interface thread, later and in posting order (any thread); a
  // window side without that thread runs it at once.
  virtual void RunOnUiThread(std::function<void()> task) { task(); }

  // --- What the trading tick hands over: copies the window keeps; it never reads the
  // engine's records. Called on the user-interface thread's tick; a window delivers them
  // through its dispatcher.
  // The holdings after the account worker reported changes.
  virtual void ShowHoldings(std::shared_ptr<const HoldingsSnapshot_s> holdings) {}
  // The accounts' summary after every account pass.
  virtual void ShowAccountSummary(std::shared_ptr<const AccountSummarySnapshot_s> summary) {}
  // The held rows' values and the changed quotes after a quote pass applied prices.
  virtual void ShowQuotes(std::shared_ptr<const QuotesSnapshot_s> quotes) { RefreshRows(); }
  // The master list, after it changed (the all-stock grid is built anew from it).
  virtual void ShowMasterList(std::shared_ptr<const MasterListSnapshot_s> master) {}
  // One stock's chart data for the chart dialog; null when no list holds the stock.
  virtual void ShowStockChart(std::shared_ptr<const StockChartSnapshot_s> chart) {}
  // The view's tab panes (timer 3).
  virtual void LayOutTabPanes() {}
  // The view's part of a user logout: the rows of the holdings and stocks the engine is about
  // to free go (user-interface thread, workers suspended).
  virtual void ClearViewAfterLogout() {}

  // --- Services from outside the engine ---
  // The product web server's user check after a broker login (HTTP handle of the calling
  // thread, broker id, the agent's client name, account). True with *userIndex set when a
  // check ran; false when there is no web login to ask.
  virtual bool CheckServiceUser(CURL* curl, int brokerId, const char* clientName,
                                const wchar_t* account, int* userIndex) {
    return false;
  }
  // Reports a sell pass's money-log lines (joined with line feeds) to the web server, on the
  // sell worker with its handle. Nothing when there are no web reports.
  virtual void UploadMoneyLog(CURL* curl, const std::wstring& lines, int lineCount) {}
  // The exchange-wide foreign stock lists for the board's list grid, loaded on the calling
  // worker after the master codes; `running` answers false once the workers are stopping.
  virtual void LoadForeignStockLists(const std::function<bool()>& running) {}
  // Frees the stored auto-login data (user-interface thread).
  virtual void ForgetAutoLogin() {}
  // The session bounds in force (the service settings' delays applied), six hhmm values in
  // SessionBounds_s order; false: the engine's own bounds shifted by its domestic delay.
  virtual bool ReadSessionBounds(int* hhmm6) const { return false; }
};
