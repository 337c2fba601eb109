#pragma once
// What the user login needs of the trading view and its engine. The trading view implements
// it (the engine's agent factory, configuration and events, the view's popups and the host
// notifications); tests use a fake. All calls come from the user-interface thread.

#include <curl/curl.h>

#include <cstdint>

#include "platform/win/WinTypes.h"

class CStockAgentBase;
class CMarketSchedule;
struct stock_option_s;
struct sqlite3;

class ILoginEngine {
 public:
  virtual ~ILoginEngine() = default;

  // --- Agent factory and broker logins ---
  // Deletes every broker agent, the per-broker instance counts and the default agents; answers
  // the number deleted.
  virtual int DeleteAllStockAgents() = 0;
  // The agent for (market kind, broker id, instance), made when absent (instance below 1: the
  // broker's next instance); null when it cannot be made. The engine owns it.
  virtual CStockAgentBase* GetStockAgent(int marketKind, int brokerId, int instance) = 0;
  // The agent of the user login becomes the primary and current agent.
  virtual void SetPrimaryAgent(CStockAgentBase* agent) = 0;
  // Clears the domestic, overseas and crypto default agents.
  virtual void ClearDefaultAgents() = 0;
  // Makes the agent the default of its market: 1 domestic (all four domestic pointers),
  // 2 overseas, 5 crypto.
  virtual void SetDefaultAgent(int marketKind, CStockAgentBase* agent) = 0;
  // An overseas login switches the view's two overseas-mode members on.
  virtual void SetOverseasMode() = 0;
  // Logs every other stored broker account in; for each account it runs
  // CWebLogin::LoadServiceSettings(curl, agency, nullptr, client name, account user id, stored
  // token, 0, 1, 0) and keeps the result as that account's user index. Answers the number of
  // accounts handled.
  virtual int LoginBrokerAgents(CURL* curl, int loginSwitch) = 0;

  // --- Data ---
  virtual stock_option_s& Options() = 0;
  virtual CMarketSchedule& Schedule() = 0;
  // The plug-in's own database connection (saved logins); may be null.
  virtual sqlite3* PluginDb() = 0;

  // --- Engine chain ---
  // Sets the master-codes event, which starts the engine's event chain.
  virtual void SetMasterCodeEvent() = 0;
  // Clears the view's balance-query work area.
  virtual void ClearBalanceQueryArea() = 0;
  // Runs ApplyAutoStopLossRates of the view and answers its result.
  virtual int ApplyAutoStopLossRates() = 0;
  // The view's refresh hook.
  virtual int DoRefresh() = 0;

  // --- Window side ---
  // The view's waiting popup (show or hide, message, caption, time-out in ms).
  virtual void ShowWaitingPopup(bool show, const wchar_t* text, const wchar_t* caption,
                                DWORD timeoutMs) = 0;
  // The order side panel: notice box text and the state label.
  virtual void SetNoticeText(const wchar_t* text) = 0;
  virtual void SetAccountLabels(const wchar_t* stateText) = 0;
  // Asks the cafe dialog to refresh its cafe.
  virtual void RefreshCafe() = 0;

  // --- Host ---
  // The view base's SendNotifyMsgToMainFrame: (kind, code, val1, val2, text1, text2, slot); the
  // view adds itself as owner and its notify callback. Answers the host's answer.
  virtual intptr_t SendNotifyMsgToMainFrame(int kind, int code, double val1, double val2,
                                            const wchar_t* text1, const wchar_t* text2,
                                            int slot) = 0;
  // The view base's RunMainFrameFunction; the view adds itself as callback context with
  // CWebLogin::LoginCallback and CWebLogin::LoginNotifyCallback (context: the CWebLogin).
  virtual int RunMainFrameFunction(int fn, int num1, int num2, const wchar_t* text1,
                                   const wchar_t* text2, const wchar_t* text3, wchar_t* buf,
                                   uint32_t flags, int num3) = 0;
};
