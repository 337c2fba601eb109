#pragma once
// A login engine whose every call is inert: for code that needs one and does not use it (the
// reports and pages tests, the web reply fuzz target).

#include "plugin/community/LoginEngine.h"
#include "plugin/community/MarketSchedule.h"
#include "shared/StockOption.h"

namespace orv::test {

class InertLoginEngine : public ILoginEngine {
 public:
  int DeleteAllStockAgents() override { return 0; }
  CStockAgentBase* GetStockAgent(int, int, int) override { return nullptr; }
  void SetPrimaryAgent(CStockAgentBase*) override {}
  void ClearDefaultAgents() override {}
  void SetDefaultAgent(int, CStockAgentBase*) override {}
  void SetOverseasMode() override {}
  int LoginBrokerAgents(CURL*, int) override { return 0; }
  void ParseStockAccessSecretKeyData(int) override {}
  stock_option_s& Options() override { return options; }
  CMarketSchedule& Schedule() override { return schedule; }
  sqlite3* PluginDb() override { return nullptr; }
  void SetMasterCodeEvent() override {}
  void ClearBalanceQueryArea() override {}
  int ApplyAutoStopLossRates() override { return 0; }
  int DoRefresh() override { return 0; }
  void UpdateUiModeVisibility(int, int) override {}
  void ShowWaitingPopup(bool, const wchar_t*, const wchar_t*, DWORD) override {}
  void PostViewMessage(UINT, WPARAM, LPARAM) override {}
  void SetNoticeText(const wchar_t*) override {}
  void SetAccountLabels(const wchar_t*) override {}
  void RefreshCafe() override {}
  intptr_t SendNotifyMsgToMainFrame(int, int, double, double, const wchar_t*, const wchar_t*,
                                    int) override {
    return 0;
  }
  int RunMainFrameFunction(int, int, int, const wchar_t*, const wchar_t*, const wchar_t*, wchar_t*,
                           uint32_t, int) override {
    return 0;
  }
  stock_option_s options;
  CMarketSchedule schedule;
};

}  // namespace orv::test
