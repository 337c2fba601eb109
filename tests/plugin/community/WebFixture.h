#pragma once
// Fixture of the reports, pages and grid-menu tests: a logged-in web state pointing at the
// loopback web server, and fakes of the login engine and the web engine that record calls.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/support/TextConv.h"
#include "plugin/community/LoginEngine.h"
#include "plugin/community/MarketSchedule.h"
#include "plugin/community/WebEngine.h"
#include "plugin/community/WebLogin.h"
#include "plugin/community/WebReports.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"
#include "shared/StockOption.h"
#include "shared/StockRecords.h"
#include "tests/peers/WebServerPeer.h"

namespace orv::test {

// The login engine is not used by the reports and pages; every call is inert.
class InertLoginEngine : public ILoginEngine {
 public:
  int DeleteAllStockAgents() override { return 0; }
  CStockAgentBase* GetStockAgent(int, int, int) override { return nullptr; }
  void SetPrimaryAgent(CStockAgentBase*) override {}
  void ClearDefaultAgents() override {}
  void SetDefaultAgent(int, CStockAgentBase*) override {}
  void SetOverseasMode() override {}
  int LoginBrokerAgents(CURL*, int) override { return 0; }
  stock_option_s& Options() override { return options; }
  CMarketSchedule& Schedule() override { return schedule; }
  sqlite3* PluginDb() override { return nullptr; }
  void SetMasterCodeEvent() override {}
  void ClearBalanceQueryArea() override {}
  int ApplyAutoStopLossRates() override { return 0; }
  int DoRefresh() override { return 0; }
  void ShowWaitingPopup(bool, const wchar_t*, const wchar_t*, DWORD) override {}
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

struct HostNotify {
  int kind, code;
  double val1, val2;
  std::wstring text1, text2;
  std::string extra;
  int n1, n2;
  bool withCallback;
  int slot;
};

class FakeWebEngine : public IWebEngine {
 public:
  intptr_t SendNotifyMsgToMainFrame(int kind, int code, double val1, double val2,
                                    const wchar_t* text1, const wchar_t* text2, const char* extra,
                                    int n1, int n2, bool withCallback, int slot) override {
    notifies.push_back({kind, code, val1, val2, text1 ? text1 : L"", text2 ? text2 : L"",
                        extra ? extra : "", n1, n2, withCallback, slot});
    return pageWindow;
  }
  void OpenInSystemBrowser(const std::wstring& url) override { browser.push_back(url); }
  void SetNoticeText(const wchar_t* text) override { notice = text; }
  void AddLogMsg(const wchar_t* text) override { log.push_back(text); }
  void ShowParentMaximized() override { calls.push_back("maximize"); }
  void SelectViewTab(int tab) override { calls.push_back("tab " + std::to_string(tab)); }
  void SetViewTimer(int id, unsigned int ms) override {
    calls.push_back("timer " + std::to_string(id) + " " + std::to_string(ms));
  }
  void SetCurrentWebWindow(intptr_t window) override { currentWebWindow = window; }
  std::wstring EventPageText() override { return L"event-view"; }
  double DefaultRateGap() override { return 0.7; }
  double ExtensionGap() override { return 0.3; }
  void AllSellSettings(int* flag, int* hour, int* minute) override {
    *flag = 1;
    *hour = 15;
    *minute = 10;
  }
  int CafeAdminValue() override { return 4; }
  int InsertStockOrder(const TradeOrderReport_s& order) override {
    inserted.push_back(order.code);
    return insertResult;
  }
  std::string StockCodeSuffix(const Stock_s& stock) override {
    auto found = suffixes.find(WideToUtf8(stock.code));
    return found == suffixes.end() ? std::string() : found->second;
  }
  Stock_s* FindStockByCode(const wchar_t* code) {
    for (auto& stock : stocks)
      if (std::wstring(stock->code) == code) return stock.get();
    return nullptr;
  }
  bool GetStockGridRow(int gridId, int row, StockGridRow_s* out) override {
    auto found = rows.find({gridId, row});
    if (found == rows.end()) return false;
    *out = found->second;
    return true;
  }
  void SetStockGridRowAutoTrade(int gridId, int row, bool on, COLORREF colour) override {
    rows[{gridId, row}].autoTrade = on;
    checkColour = colour;
  }
  void RedrawGrid(int gridId) override { calls.push_back("redraw " + std::to_string(gridId)); }
  int TrackStockGridMenu(void*, POINT) override { return chosenCommand; }
  void ApplyMinProfitPreset(int command, int apply) override {
    calls.push_back("preset " + std::to_string(command) + " " + std::to_string(apply));
  }
  int AutoTradeAllFlag() override { return autoTradeAllFlag; }
  void SetAutoTradeAll(int gridId, int on) override {
    calls.push_back("autoall " + std::to_string(gridId) + " " + std::to_string(on));
  }
  void ShowStockChartDlg(uint8_t market, const wchar_t* code) override {
    calls.push_back("chart " + std::to_string(market) + " " + WideToUtf8(code));
  }
  void ShowStairWatchDlg(int gridId, int row) override {
    calls.push_back("stair " + std::to_string(gridId) + " " + std::to_string(row));
  }
  void RequestStockSelect(const wchar_t* code, int how) override {
    calls.push_back("select " + WideToUtf8(code) + " " + std::to_string(how));
  }
  void SetOrderForm(int side, uint8_t, const wchar_t* code, double quantity,
                    double price) override {
    const Stock_s* stock = FindStockByCode(code);
    calls.push_back("order " + std::to_string(side) + " " + WideToUtf8(code) + " " +
                    std::to_string(static_cast<long long>(quantity)) + " " +
                    std::to_string(static_cast<long long>(price)) + (stock ? "" : " nostock"));
  }
  void NoteBuyPresetTime() override { calls.push_back("buytime"); }
  bool ResetStockStairs(const wchar_t* code, uint8_t) override {
    if (!FindStockByCode(code)) return false;
    calls.push_back("stairs " + WideToUtf8(code));
    return true;
  }
  void SetStockAutoTrade(const wchar_t* code, uint8_t market, bool on) override {
    calls.push_back("stockauto " + WideToUtf8(code) + (on ? " on" : " off"));
  }
  void ShowCafeRecommendDlg(uint8_t, const wchar_t* code, int kind) override {
    const Stock_s* stock = FindStockByCode(code);
    calls.push_back("cafe " + std::to_string(kind) + (stock ? "" : " nostock"));
  }
  int AddMyStock(const wchar_t* code, uint8_t, int a, int b, int c) override {
    const Stock_s* stock = FindStockByCode(code);
    calls.push_back("addmy " + std::to_string(a) + std::to_string(b) + std::to_string(c));
    return stock && addMyStockOk ? 1 : 0;
  }
  void ShowCafeDlg(int tab) override { calls.push_back("cafedlg " + std::to_string(tab)); }

  Stock_s* AddStock(const wchar_t* code, const wchar_t* name, double price, char letter = '1') {
    stocks.push_back(std::make_unique<Stock_s>());
    Stock_s* stock = stocks.back().get();
    wcsncpy(stock->code, code, kStockCodeLen);
    stock->name = name;
    stock->cur_price = price;
    stock->market_letter = letter;
    stock->market = 1;
    return stock;
  }

  intptr_t pageWindow = 0;
  std::vector<HostNotify> notifies;
  std::vector<std::wstring> browser;
  std::wstring notice;
  std::vector<std::wstring> log;
  std::vector<std::string> calls;
  intptr_t currentWebWindow = -1;
  std::vector<std::wstring> inserted;
  std::map<std::string, std::string> suffixes;
  std::vector<std::unique_ptr<Stock_s>> stocks;
  std::map<std::pair<int, int>, StockGridRow_s> rows;
  COLORREF checkColour = 0;
  int chosenCommand = 0;
  int autoTradeAllFlag = 0;
  bool addMyStockOk = true;
  int insertResult = 0;
};

// The keys of a query ("a=1&b=2" -> a, b), in order.
inline std::vector<std::string> QueryKeys(const std::string& url) {
  std::vector<std::string> keys;
  const size_t mark = url.find('?');
  if (mark == std::string::npos) return keys;
  size_t at = mark + 1;
  while (at <= url.size()) {
    size_t end = url.find('&', at);
    if (end == std::string::npos) end = url.size();
    const std::string pair = url.substr(at, end - at);
    keys.push_back(pair.substr(0, pair.find('=')));
    at = end + 1;
  }
  return keys;
}

// The value of a query key (raw); empty when absent.
inline std::string QueryValue(const std::string& url, const std::string& key) {
  const std::string needle = key + "=";
  for (size_t at = url.find('?'); at != std::string::npos; at = url.find('&', at + 1)) {
    if (url.compare(at + 1, needle.size(), needle) == 0) {
      const size_t start = at + 1 + needle.size();
      const size_t end = url.find('&', start);
      return url.substr(start, end == std::string::npos ? std::string::npos : end - start);
    }
  }
  return {};
}

// A logged-in user (index 77, token "tk-77", company 5, agency 3) of the loopback server.
class WebFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(peer.Start());
    snprintf(run.szWebApiBase, sizeof run.szWebApiBase, "%s", peer.BaseUrl().c_str());
    run.nGdp = 11;
    run.nDeployer = 12;
    run.nAgencyIdx = 9;
    wcscpy(run.szAppId, L"orvella.app");
    wcscpy(run.szManualBase, L"https://manual.example");
    web.m_userId = L"a+b>?";  // its base64 holds "+" and "="
    web.m_userName = L"홍길동";
    web.m_userIdx = 77;
    web.m_companyIdx = 5;
    web.m_agencyIdx = 3;
    web.m_userToken = "tk-77";
    web.m_phone = "01012345678";
    web.BuildUserQueryParams();
    login.nUserIdx = 77;
    login.nCompanyIdx = 5;
    login.nAgencyIdx = 3;
    snprintf(login.szToken, sizeof login.szToken, "tk-77");
    wcscpy(login.szUserId, L"a+b>?");
  }

  std::vector<RecordedRequest> To(const std::string& path) { return peer.RequestsTo(path); }

  WebServerPeer peer;
  app_run_setting_s run;
  login_info_s login;
  InertLoginEngine loginEngine;
  CWebLogin web{loginEngine, run, login};
  FakeWebEngine engine;
};

// Names of a form's parts, in sent order.
inline std::vector<std::string> PartNames(const RecordedRequest& request) {
  std::vector<std::string> names;
  for (const FormPart& part : request.parts) names.push_back(part.name);
  return names;
}

inline std::string PartValue(const RecordedRequest& request, const char* name) {
  const FormPart* part = request.Part(name);
  return part ? part->content : std::string("<absent>");
}

}  // namespace orv::test
