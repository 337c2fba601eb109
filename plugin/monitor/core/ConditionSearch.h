#pragma once
// The monitoring view's bookkeeping of the broker's real-time condition searches ("HTS 검색식"):
// the user's condition formulas as the broker names them, the stocks that enter ("I") and
// leave ("D") each condition, the conditions a stock is in at once, the received stocks with
// their list texts, and the entry, exit and reset rows of the real-time search log.
//
// The handlers run on whichever thread delivers the broker's events; the bookkeeping has its
// own lock. Stocks are looked up in the engine's master list through a hook that copies the
// record under the engine's lock; the per-stock condition state lives here, by code. Changes
// to the grid leave as row actions (copies) that the window applies on its own thread.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/win/WinTypes.h"
#include "plugin/monitor/core/MarketScan.h"
#include "plugin/monitor/core/RealTimeSearchLog.h"

// State words of a stock.
constexpr uint32_t kConditionStateEntered = 0x21000;
constexpr uint32_t kConditionStateExited = 0x11000;
constexpr uint32_t kConditionStateBuy = 0x1000;
constexpr uint32_t kConditionStateSell = 0x2000;

constexpr int kConditionBuySlots = 4;
constexpr int kConditionSellSlots = 2;
// The received-list text holds at most this many characters.
constexpr size_t kReceivedTextLimit = 2000;

// A stock's condition state.
struct ConditionStock_s {
  ScanStock_s stock;  // the copy of the master record (price, rate, name)
  int slotIndex[kConditionBuySlots]{};
  std::wstring slotName[kConditionBuySlots];
  int sellIndex[kConditionSellSlots]{};
  std::wstring sellName[kConditionSellSlots];
  int count = 0;        // occupied buy slots
  int secondCount = 0;  // occupied sell slots
  bool allMet = false;  // count equals the required count
  uint32_t state = 0;
  int entryCount = 0;
  int exitCount = 0;
  bool hasFirstEntry = false;
  SYSTEMTIME firstEntry{};
  SYSTEMTIME exitTime{};
  DWORD entryTick = 0;
  double entryPrice = 0;
  DWORD exitTick = 0;
  std::wstring lastCondition;
  // The buy decision's bookkeeping.
  int autoBuyCount = 0;
  double boughtQty = 0;
  double maxQty = 0;
  double lastBuyRate = 0;
  DWORD lastCheckTick = 0;
  bool orderOut = false;     // an automatic order is with the order worker
  bool buyBlocked = false;   // an order's outcome could not be read: no further automatic buy
  // Slot matching: the condition the stock is in now and before, the change at its entry.
  int currentIndex = 0;
  int previousIndex = 0;
  bool conditionFlag = false;
  double conditionRate = 0;
};

// A change of the grid for the window to apply.
struct ConditionRowAction_s {
  // kExited: the row of a stock that left keeps its place and shows the five exit values.
  enum Kind { kAdd, kUpdate, kRemove, kEmpty, kExited };
  Kind kind = kAdd;
  std::wstring code;
  ScanStock_s stock;
  int conditionIndex = 0;
  int conditionCount = 0;
  double maxQty = 0;
  std::wstring keyText;
  std::wstring timeText;
  int entryCount = 0;
  double exitValues[5]{};
};

// The number of values UpdateExitedStock shows (items 34, 37, 40, 43 and 46 of the row).
constexpr int kExitValueCount = 5;

// The configuration's values the handling uses.
struct ConditionConfig_s {
  int mode = 8;              // the view's mode (5 and 7 take no slots)
  int requiredCount = 0;     // EQ수
  double perStockLimitWon = 0;
  int maxStocks = 0;         // the monitored-code limit
  bool alert = false;        // the alert sound on an entry
  RealTimeLogLimits_s limits;
  // The buy decision.
  bool autoBuyOn = false;    // the automatic-buy switch
  double perOrderWon = 0;
  int checkIntervalMs = 0;
  double riseLimit = 0;      // percent
  double dailyLimitWon = 0;
  bool slotMatching = false;
  double lowestHeldChange = -5;
  // The four buy conditions chosen (condition indexes, 0 or below: none) and the names of the
  // two sell conditions: an entry into one of them takes a buy or a sell slot.
  int buyConditions[kConditionBuySlots]{};
  std::wstring sellConditions[kConditionSellSlots];
};

// What became of an automatic order.
enum class AutoOrderOutcome { kNotSent, kPlaced, kRefused, kUnknown };

// How the buy decision is asked for.
struct AutoBuyRequest_s {
  double amount = 0;       // 0 or above the per-order amount: the per-order amount
  double cap = 0;          // a positive cap on the quantity
  bool force = false;      // go ahead whatever the limits say
  bool riseCheck = false;  // refuse a stock that rose above the rise limit
  double lowerAmount = 0;  // the order's amount may not fall below this
};

struct ConditionHooks_s {
  // A copy of the master stock of `code` (domestic market); false when not listed.
  std::function<bool(const std::wstring& code, ScanStock_s* out)> findStock;
  // The price an event carried becomes the master record's current price.
  std::function<void(const std::wstring& code, double price)> setPrice;
  std::function<ConditionConfig_s()> config;
  std::function<void()> alert;
  // The trading view is told a stock left (OnMonitorStockOut).
  std::function<void(const std::wstring& code)> stockOut;
  // A change of the grid, handed to the window.
  std::function<void(const ConditionRowAction_s&)> rows;
  std::function<DWORD()> tick;
  std::function<SYSTEMTIME()> now;
  // Hands a buy of `quantity` shares (market price) to the order worker; `done` tells what
  // became of it. False when it could not be handed over (then `done` is not called).
  std::function<bool(const std::wstring& code, double quantity,
                     std::function<void(AutoOrderOutcome)> done)>
      placeOrder;
  // Whether the account holds the stock.
  std::function<bool(const std::wstring& code)> isHeld;
  // A line of the application log (kind 5).
  std::function<void(const std::wstring& text)> log;
};

class CConditionSearch {
 public:
  CConditionSearch(CRealTimeSearchLog& log, ConditionHooks_s hooks);

  // --- The condition maps ---
  // Entries "index^name" separated by ';': each trimmed; an entry without '^' is skipped;
  // index := the number before '^' + 1. Parsing ends at an entry of 200 characters or more.
  // Answers the (index, name) of every entry, for the condition column's choices; names not
  // yet known go into both maps. With reset the maps are emptied first.
  std::vector<std::pair<int, std::wstring>> LoadConditionList(const std::wstring& list,
                                                              bool reset);
  // Registers "%d:%s:%s" (index, text1, text2) under `index`; answers the name.
  std::wstring AddCondition(int index, const std::wstring& text1, const std::wstring& text2,
                            bool reset);
  // The low 12 bits of the value registered under `name` (0 when absent); the whole value in
  // *flags and the name registered for that index in *nameOut.
  int FindConditionIndex(const std::wstring& name, uint32_t* flags = nullptr,
                         std::wstring* nameOut = nullptr) const;
  // Registers `name` under `index` in the key map (with reset, emptied first), copies the name
  // registered for the index and writes a reset row.
  void ResetCondition(const std::wstring& name, uint32_t value, std::wstring* nameOut,
                      bool reset);
  // 1 when `code` is monitored; with add a new code is added while the count stays below
  // `maxCount`, answering 1; else 0.
  int AddMonitoredCode(const std::wstring& code, bool add, int maxCount);
  int KnownConditions() const;
  std::wstring ConditionName(int index) const;

  // --- Events ---
  // A stock entering ("I") or leaving ("D") a known condition; "code^price" carries a price.
  void OnRealTimeConditionEvent(const std::wstring& code, const std::wstring& type,
                                const std::wstring& conditionName);
  // The first result of a condition: "code^price" entries separated by ';', each an entry of
  // kind 'R'; an entry of 100 characters or more ends the list.
  int OnConditionSearchResult(const std::wstring& list, const std::wstring& conditionName);
  // Entry ('I', 'R') or exit ('D') of a listed stock into the condition `index`, with the alert
  // queued first. An entry into one of the chosen buy conditions takes a buy slot (with slot
  // matching the slot of that condition), one into a chosen sell condition a sell slot; false
  // when the stock is not listed or the kind is unknown.
  bool OnConditionStockChange(const std::wstring& code, int index, const std::wstring& conditionName,
                              const std::wstring& key, wchar_t kind);
  // A stock that left: its entry leaves the received-list text and its row shows the five
  // values; false when the stock has no row.
  bool UpdateExitedStock(const std::wstring& code, const double (&values)[kExitValueCount]);

  // The buy decision for a received stock: answers the quantity handed to the order worker
  // (0 when nothing was ordered). Only an order the broker placed counts as bought; an order
  // whose outcome cannot be read is not sent again and ends automatic buying of the stock.
  double TryAutoBuy(const std::wstring& code, const AutoBuyRequest_s& request);
  // The quantity slot matching allows: 0 when the stock did not change conditions, or when it
  // is held and fell more than the lowest change since it entered its condition.
  static double CheckBuyQuantity(const ConditionStock_s* state, double quantity, bool held,
                                 double lowestHeldChange);
  double BoughtTodayWon() const;

  // Forgets the maps, the received stocks and the list texts (the clear command).
  void Clear();

  // --- What the view and the tests read ---
  bool StockState(const std::wstring& code, ConditionStock_s* out) const;
  bool Received(const std::wstring& code) const;
  std::wstring ReceivedText() const { return Locked(m_receivedText); }
  int ReceivedCount() const { return Locked(m_receivedCount); }
  std::wstring ReceivedKeys() const { return Locked(m_receivedKeys); }
  std::wstring MonitoredCodes() const { return Locked(m_monitored); }
  int Checking() const { return Locked(m_checking); }

 private:
  // A copy of a member taken under the lock.
  template <class T>
  T Locked(const T& member) const {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return member;
  }
  // The entry handling; `slots` the buy- and sell-slot variant.
  void EntryUnderLock(ConditionStock_s& state, const std::wstring& conditionName, int index,
                      const std::wstring& key, wchar_t kind, const ConditionConfig_s& config,
                      bool slots = false);
  void TakeSlotsUnderLock(ConditionStock_s& state, const std::wstring& conditionName, int index,
                          const ConditionConfig_s& config, bool slots);
  void DropReceivedTextUnderLock(const std::wstring& code);
  void ExitUnderLock(ConditionStock_s& state, const std::wstring& conditionName, int index,
                     const ConditionConfig_s& config);
  // Looks the stock up, applies a carried price and answers its state (null when unlisted).
  ConditionStock_s* StockUnderLock(const std::wstring& code, double price);
  ConditionConfig_s Config() const;
  SYSTEMTIME Now() const;
  DWORD Tick() const;
  void Emit(const ConditionRowAction_s& action);

  CRealTimeSearchLog& m_log;
  ConditionHooks_s m_hooks;
  mutable std::recursive_mutex m_mutex;
  std::map<std::wstring, int> m_nameToIndex;
  std::map<int, std::wstring> m_indexToName;
  std::map<std::wstring, uint32_t> m_keys;
  std::map<std::wstring, ConditionStock_s> m_stocks;
  std::map<std::wstring, bool> m_received;
  std::wstring m_receivedText;
  int m_receivedCount = 0;
  std::wstring m_receivedKeys;
  std::wstring m_monitored;
  int m_monitoredCount = 0;
  int m_checking = 0;
  double m_boughtTodayWon = 0;
  std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

// Values on their way from the thread that delivers the broker's events to the window, in
// order.
template <class T>
class CHandOverQueue {
 public:
  void Put(T value) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_values.push_back(std::move(value));
  }
  std::vector<T> TakeAll() {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<T> out;
    out.swap(m_values);
    return out;
  }

 private:
  std::mutex m_mutex;
  std::vector<T> m_values;
};

// The row actions on their way to the window.
using CConditionRowQueue = CHandOverQueue<ConditionRowAction_s>;

// A condition list as loaded: the (index, name) entries for the condition column's choices.
struct ConditionList_s {
  bool reset = false;
  std::vector<std::pair<int, std::wstring>> entries;
};
using CConditionListQueue = CHandOverQueue<ConditionList_s>;
