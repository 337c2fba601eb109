#pragma once
// The user login's way into the trading view and its engine (ILoginEngine), and the view's web
// login (CWebLogin) with the market schedule it keeps. The view makes it at start-up, installs
// the web login's callbacks as its login handlers and the service check as the engine's, and
// the engine's session bounds follow the schedule.

#include <memory>

#include "plugin/community/LoginEngine.h"
#include "plugin/community/MarketSchedule.h"

class CPelomarView;
class CPelomarEngine;
class CWebLogin;

class CPelomarLoginEngine : public ILoginEngine {
 public:
  // Null when the view has no run settings or login record (no host block).
  static std::unique_ptr<CPelomarLoginEngine> Create(CPelomarView& view);
  ~CPelomarLoginEngine() override;

  CWebLogin& WebLogin() { return *m_web; }

  int DeleteAllStockAgents() override;
  CStockAgentBase* GetStockAgent(int marketKind, int brokerId, int instance) override;
  void SetPrimaryAgent(CStockAgentBase* agent) override;
  void ClearDefaultAgents() override;
  void SetDefaultAgent(int marketKind, CStockAgentBase* agent) override;
  void SetOverseasMode() override;
  int LoginBrokerAgents(CURL* curl, int loginSwitch) override;
  stock_option_s& Options() override;
  CMarketSchedule& Schedule() override { return m_schedule; }
  sqlite3* PluginDb() override;
  void SetMasterCodeEvent() override;
  void ClearBalanceQueryArea() override;
  int ApplyAutoStopLossRates() override;
  int DoRefresh() override;
  void ShowWaitingPopup(bool show, const wchar_t* text, const wchar_t* caption,
                        DWORD timeoutMs) override;
  void SetNoticeText(const wchar_t* text) override;
  void SetAccountLabels(const wchar_t* stateText) override;
  void RefreshCafe() override;
  intptr_t SendNotifyMsgToMainFrame(int kind, int code, double val1, double val2,
                                    const wchar_t* text1, const wchar_t* text2, int slot) override;
  int RunMainFrameFunction(int fn, int num1, int num2, const wchar_t* text1, const wchar_t* text2,
                           const wchar_t* text3, wchar_t* buf, uint32_t flags, int num3) override;

 private:
  explicit CPelomarLoginEngine(CPelomarView& view);
  // Hooks the web login into the view's login handlers and the engine's service check and
  // session bounds.
  void Install();

  CPelomarView& m_view;
  CPelomarEngine& m_engine;
  CMarketSchedule m_schedule;
  std::unique_ptr<CWebLogin> m_web;
};
