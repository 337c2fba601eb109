#pragma once
// A window side for headless engine tests: records what the engine shows and sends.

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "plugin/view/engine/EngineWindow.h"

struct HostNotice {
  int kind;
  int code;
  double value1;
  double value2;
  std::wstring text;
};

class FakeEngineWindow : public IEngineWindow {
 public:
  int AddLogMsgToPane(DWORD, DWORD kind, double, const wchar_t*, const wchar_t* msg,
                      BYTE) override {
    std::lock_guard<std::mutex> lock(mutex);
    logs.push_back(msg ? msg : L"");
    return 0;
  }
  void RedrawMyStockGrid() override {}
  void SetRowInterest(Stock_s*, int) override {}
  void MarkStockGridRedraw() override {}
  void PostViewMessage(UINT msg, WPARAM, LPARAM) override {
    std::lock_guard<std::mutex> lock(mutex);
    posted.push_back(msg);
  }
  void ShowWaitingPopup(bool show, const wchar_t* text, const wchar_t*, DWORD) override {
    std::lock_guard<std::mutex> lock(mutex);
    popups.push_back(show ? std::wstring(text ? text : L"") : std::wstring(L"<hide>"));
  }
  int ShowMessageBox(const wchar_t* text, const wchar_t*, UINT) override {
    std::lock_guard<std::mutex> lock(mutex);
    boxes.push_back(text ? text : L"");
    return boxAnswer;
  }
  void NotifyHost(int kind, int code, const wchar_t* text1, const wchar_t*) override {
    NotifyHostValues(kind, code, 0, 0, text1, nullptr);
  }
  void NotifyHostValues(int kind, int code, double v1, double v2, const wchar_t* text1,
                        const wchar_t*) override {
    std::lock_guard<std::mutex> lock(mutex);
    notices.push_back({kind, code, v1, v2, text1 ? text1 : L""});
  }
  void RefreshRows() override { ++rowRefreshes; }
  int InterfaceLanguage() const override { return language; }
  void AddOrderHistoryRow(const OrderHistoryRow_s& row) override {
    std::lock_guard<std::mutex> lock(mutex);
    historyRows.push_back(row);
  }
  // The snapshots the engine publishes, as a window would receive them.
  void ShowHoldings(std::shared_ptr<const HoldingsSnapshot_s> holdings) override {
    std::lock_guard<std::mutex> lock(mutex);
    lastHoldings = std::move(holdings);
    ++accountRefreshes;
  }
  void ShowAccountSummary(std::shared_ptr<const AccountSummarySnapshot_s> summary) override {
    std::lock_guard<std::mutex> lock(mutex);
    lastAccountSummary = std::move(summary);
    ++accountSummaries;
  }
  void ShowQuotes(std::shared_ptr<const QuotesSnapshot_s> quotes) override {
    std::lock_guard<std::mutex> lock(mutex);
    lastQuotes = std::move(quotes);
    ++gridRefreshes;
  }
  void ShowMasterList(std::shared_ptr<const MasterListSnapshot_s> master) override {
    std::lock_guard<std::mutex> lock(mutex);
    lastMaster = std::move(master);
    ++gridRebuilds;
  }
  void ClearViewAfterLogout() override { ++viewClears; }
  bool CheckServiceUser(CURL* curl, int brokerId, const char* clientName, const wchar_t* account,
                        int* userIndex) override {
    if (!serviceCheck) return false;
    *userIndex = serviceCheck(curl, brokerId, clientName, account);
    return true;
  }
  void UploadMoneyLog(CURL* curl, const std::wstring& lines, int lineCount) override {
    if (upload) upload(curl, lines, lineCount);
  }
  void ForgetAutoLogin() override { ++autoLoginsForgotten; }
  void PlayAlertSound(int sound) override {
    {
      std::lock_guard<std::mutex> lock(mutex);
      sounds.push_back(sound);
    }
    if (onSound) onSound();
  }

  std::vector<std::wstring> Logs() {
    std::lock_guard<std::mutex> lock(mutex);
    return logs;
  }

  std::mutex mutex;
  std::vector<std::wstring> logs;
  std::vector<UINT> posted;
  std::vector<std::wstring> popups;
  std::vector<std::wstring> boxes;
  std::vector<HostNotice> notices;
  std::atomic<int> rowRefreshes{0};
  std::vector<OrderHistoryRow_s> historyRows;
  std::vector<int> sounds;
  std::function<void()> onSound;  // runs inside the order, on the ordering thread
  std::shared_ptr<const HoldingsSnapshot_s> lastHoldings;
  std::shared_ptr<const AccountSummarySnapshot_s> lastAccountSummary;
  std::atomic<int> accountSummaries{0};
  std::shared_ptr<const QuotesSnapshot_s> lastQuotes;
  std::shared_ptr<const MasterListSnapshot_s> lastMaster;
  std::atomic<int> accountRefreshes{0};
  std::atomic<int> gridRefreshes{0};
  std::atomic<int> gridRebuilds{0};
  std::atomic<int> viewClears{0};
  std::atomic<int> autoLoginsForgotten{0};
  // The web server's user check and money-log upload; none when empty.
  std::function<int(CURL*, int, const char*, const wchar_t*)> serviceCheck;
  std::function<void(CURL*, const std::wstring&, int)> upload;
  int boxAnswer = 7;  // IDNO
  int language = 0;   // the host's default (Korean)
};
