#pragma once
// What the monitoring view decides, without a window: its settings in "Settings", the money
// limits and their lists, the summary line, the checks and questions of the automatic-buy
// switch and of the watch-list add, and the 60-second refresh gate. The view only moves values
// between these and its controls.

#include <cstdint>
#include <string>

#include "platform/win/WinTypes.h"

struct stock_option_s;

// Monitoring modes.
constexpr int kMonitorModeConditionWatch = 1;  // "1.HTS 검색식 감시"
constexpr int kMonitorModeConditionBuy = 2;    // "2.HTS 검색식 매수"
constexpr int kMonitorModeIndicatorBuy = 3;    // "3.지표분석 자동매수"
constexpr int kMonitorModeStockWatch = 4;      // "2.종목 모니터링"
constexpr int kMonitorModeCafe = 5;            // the cafe recommendations (radio 2538)
constexpr int kMonitorModeScan7 = 7;
constexpr int kMonitorModeMarketScan = 8;      // the whole-market scan, the starting mode

// The mode list of the mode combo: with automatic trading allowed, or without.
extern const wchar_t kMonitorModesAllowed[];
extern const wchar_t kMonitorModesWatchOnly[];
// The limit combos' lists (values in 10,000 won).
extern const wchar_t kPerStockLimitOptions[];
extern const wchar_t kDailyLimitOptions[];

// Registry keys (section "Settings").
extern const char kKeyWriteRealTimeLog[];   // "%s-%d" with the user index
extern const char kKeyAutoBuyType[];        // "%s-%d" with the user index
extern const char kKeyAutoBuyMoneyItem[];
extern const char kKeyAutoBuyMoneyTotalQuota[];
extern const char kKeyLastConditionName[];
extern const char kKeyLastConditionName2[];

// The view's own settings.
struct MonitorSettings_s {
  int writeRealTimeLog = 0;
  int mode = kMonitorModeMarketScan;
};
// Reads both with the current values as defaults.
void LoadMonitorSettings(int userIndex, MonitorSettings_s* settings);
// Writes both; false when the settings file could not be written.
bool SaveMonitorSettings(int userIndex, const MonitorSettings_s& settings);

// A limit in won from 10,000-won units (32-bit, as the view keeps it; clamped, never wrapped).
int32_t LimitWon(int32_t manWon);
// The view's id text: "%04d" of the id, 9999 for an id below 1.
std::wstring MonitorViewIdText(int id);

// The configuration's values the summary line and the switch use.
struct MonitorRules_s {
  int perStockLimitMan = 0;
  int dailyLimitMan = 0;
  int maxStocks = 0;
  int riseLimit = 0;
  int waitMs = 0;
  int splitAmountMan = 0;
  int checkIntervalMs = 0;
  bool andMatch = false;       // the condition-combination byte is 1
  int chosenConditions = 0;    // buy conditions chosen
  std::wstring buyList;        // "%d차 : %s\n" per chosen buy condition
  std::wstring sellList;       // the same for the sell conditions
};
// The rules of a configuration (the two condition lists from its slots and names).
MonitorRules_s RulesOf(const stock_option_s& options);
// The conditions that must hold at once: all chosen with AND, one with OR.
int RequiredConditions(const MonitorRules_s& rules);

struct MonitorSummaryState_s {
  int mode = kMonitorModeMarketScan;
  bool scanRunning = false;
  int resultCount = 0;
  std::wstring moduleName;
  std::wstring conditionText;
};
// The one-line summary: scan modes "*ON*(n)module" / "*(n)module"; other modes
// "조건식.AND매수.*2개중 2개성공*" or "종목한정.OR매수. (text)".
std::wstring ComposeMonitorSummary(const MonitorSummaryState_s& state, const MonitorRules_s& rules);

// The automatic-buy switch turned on: what the user is asked, or why it cannot be on.
struct AutoBuySwitchInput_s {
  int mode = kMonitorModeMarketScan;
  int knownConditions = 0;    // conditions the broker delivered
  int ownStockCount = 0;      // the trading view's own list
  std::wstring ownSummary;    // "<name>(<code>)외 총 <n>개"
  std::wstring userName;
  int customerNumber = 0;
};
struct AutoBuySwitchCheck_s {
  bool ok = false;
  std::wstring text;  // ok: the question (caption "QUESTION"); else the error ("ERROR")
};
AutoBuySwitchCheck_s CheckAutoBuySwitch(const AutoBuySwitchInput_s& input,
                                        const MonitorRules_s& rules);

// The watch list holds at most this many stocks.
constexpr int kMonitorWatchLimit = 10;
// "감시 종목은 10개까지 등록 가능합니다."
std::wstring WatchLimitText();
std::wstring WatchAddQuestion(const std::wstring& name, const std::wstring& code);

// The 60-second refresh gate: opens (and starts a new period) only when more than 60,000 ms
// passed since the last opening; the first period starts at tick 0.
class CRefreshGate {
 public:
  static constexpr DWORD kPeriodMs = 60000;
  bool Open(DWORD now);
  DWORD Remaining() const { return m_remaining; }

 private:
  DWORD m_last = 0;
  DWORD m_remaining = kPeriodMs;
};
