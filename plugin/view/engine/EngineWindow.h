#pragma once
// What the trading engine asks of the window side. The trading view implements it; tests drive
// the engine headless with a fake. Every call may come from a worker thread except where said:
// the view marshals what touches a window to the UI thread (PostViewMessage is the one way
// back, the others post internally or run where they are safe).

#include "platform/win/WinTypes.h"
#include "plugin/view/engine/DailyLogs.h"
#include "plugin/view/engine/StockLists.h"
#include "plugin/view/engine/TradeOrders.h"

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
};
