#include "plugin/monitor/core/ConditionSearch.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <cwctype>

#include "platform/win/Clock.h"

namespace {

std::wstring Trim(std::wstring_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && std::iswspace(text[begin])) ++begin;
  while (end > begin && std::iswspace(text[end - 1])) --end;
  return std::wstring(text.substr(begin, end - begin));
}

// The entries of a ';'-separated list, each trimmed, empty ones dropped; an entry of `limit`
// characters or more ends the list.
std::vector<std::wstring> Entries(const std::wstring& list, size_t limit = std::wstring::npos) {
  std::vector<std::wstring> out;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(L';', start);
    if (end == std::wstring::npos) end = list.size();
    std::wstring entry = Trim(std::wstring_view(list).substr(start, end - start));
    start = end + 1;
    if (entry.size() >= limit) break;
    if (!entry.empty()) out.push_back(std::move(entry));
  }
  return out;
}

// "code^price": the code (trimmed) and the whole-number price after '^' (0 without one).
std::wstring SplitCodePrice(const std::wstring& text, double* price) {
  *price = 0;
  const size_t caret = text.find(L'^');
  if (caret == std::wstring::npos) return Trim(text);
  *price = static_cast<double>(std::wcstoll(text.c_str() + caret + 1, nullptr, 10));
  return Trim(std::wstring_view(text).substr(0, caret));
}

std::wstring TimeText(const SYSTEMTIME& t) {
  wchar_t text[32];
  std::swprintf(text, std::size(text), L"%02d:%02d:%02d.%03d", t.wHour, t.wMinute, t.wSecond,
                t.wMilliseconds);
  return text;
}

}  // namespace

CConditionSearch::CConditionSearch(CRealTimeSearchLog& log, ConditionHooks_s hooks)
    : m_log(log), m_hooks(std::move(hooks)) {}

ConditionConfig_s CConditionSearch::Config() const {
  return m_hooks.config ? m_hooks.config() : ConditionConfig_s{};
}

SYSTEMTIME CConditionSearch::Now() const {
  if (m_hooks.now) return m_hooks.now();
  SYSTEMTIME t;
  orv::win::GetLocalTime(&t);
  return t;
}

DWORD CConditionSearch::Tick() const {
  return m_hooks.tick ? m_hooks.tick() : orv::win::GetTickCount();
}

void CConditionSearch::Emit(const ConditionRowAction_s& action) {
  if (m_hooks.rows) m_hooks.rows(action);
}

std::vector<std::pair<int, std::wstring>> CConditionSearch::LoadConditionList(
    const std::wstring& list, bool reset) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  std::vector<std::pair<int, std::wstring>> added;
  if (reset) {
    m_nameToIndex.clear();
    m_indexToName.clear();
  }
  for (const std::wstring& entry : Entries(list, 200)) {
    const size_t caret = entry.find(L'^');
    if (caret == std::wstring::npos) continue;
    const int index = static_cast<int>(std::wcstol(entry.substr(0, caret).c_str(), nullptr, 10)) + 1;
    const std::wstring name = Trim(std::wstring_view(entry).substr(caret + 1));
    if (name.empty()) continue;
    added.emplace_back(index, name);
    if (!m_nameToIndex.count(name)) {
      m_nameToIndex[name] = index;
      m_indexToName[index] = name;
    }
  }
  return added;
}

std::wstring CConditionSearch::AddCondition(int index, const std::wstring& text1,
                                            const std::wstring& text2, bool reset) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  if (reset) {
    m_keys.clear();
    m_nameToIndex.clear();
    m_indexToName.clear();
  }
  wchar_t name[512];
  std::swprintf(name, std::size(name), L"%d:%ls:%ls", index, text1.c_str(), text2.c_str());
  if (!m_nameToIndex.count(name)) {
    m_nameToIndex[name] = index;
    m_indexToName[index] = name;
  }
  return name;
}

int CConditionSearch::FindConditionIndex(const std::wstring& name, uint32_t* flags,
                                         std::wstring* nameOut) const {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  auto it = m_keys.find(name);
  const uint32_t value = it == m_keys.end() ? 0 : it->second;
  if (flags) *flags = value;
  const int index = static_cast<int>(value & 0xFFF);
  if (nameOut) {
    auto named = m_indexToName.find(index);
    *nameOut = named == m_indexToName.end() ? std::wstring() : named->second;
  }
  return index;
}

void CConditionSearch::ResetCondition(const std::wstring& name, uint32_t value,
                                      std::wstring* nameOut, bool reset) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  if (reset) m_keys.clear();
  m_keys[name] = value;
  const int index = static_cast<int>(value & 0xFFF);
  auto named = m_indexToName.find(index);
  const std::wstring registered = named == m_indexToName.end() ? std::wstring() : named->second;
  if (nameOut) *nameOut = registered;
  const ConditionConfig_s config = Config();
  RealTimeResetRow_s row;
  row.time = Now();
  row.condition = name;
  row.registeredName = registered;
  row.conditionIndex = index;
  row.limits = config.limits;
  row.limits.checking = m_checking;
  m_log.WriteReset(row);
}

int CConditionSearch::AddMonitoredCode(const std::wstring& code, bool add, int maxCount) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  for (const std::wstring& known : Entries(m_monitored))
    if (known == code) return 1;
  if (!add || code.empty() || m_monitoredCount >= maxCount) return 0;
  m_monitored += m_monitored.empty() ? code : L";" + code;
  ++m_monitoredCount;
  return 1;
}

int CConditionSearch::KnownConditions() const {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  return static_cast<int>(m_nameToIndex.size());
}

std::wstring CConditionSearch::ConditionName(int index) const {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  auto it = m_indexToName.find(index);
  return it == m_indexToName.end() ? std::wstring() : it->second;
}

ConditionStock_s* CConditionSearch::StockUnderLock(const std::wstring& code, double price) {
  ScanStock_s copy;
  if (!m_hooks.findStock || !m_hooks.findStock(code, &copy)) return nullptr;
  if (price > 0) {
    copy.curPrice = price;
    if (m_hooks.setPrice) m_hooks.setPrice(code, price);
  }
  ConditionStock_s& state = m_stocks[code];
  state.stock = copy;
  return &state;
}

void CConditionSearch::OnRealTimeConditionEvent(const std::wstring& codeText,
                                                const std::wstring& type,
                                                const std::wstring& conditionName) {
  std::unique_lock<std::recursive_mutex> lock(m_mutex);
  auto known = m_nameToIndex.find(conditionName);
  if (known == m_nameToIndex.end() || codeText.empty()) return;
  const int index = known->second;
  double price = 0;
  const std::wstring code = SplitCodePrice(codeText, &price);
  if (code.empty()) return;
  ConditionStock_s* state = StockUnderLock(code, price);
  if (!state) return;
  const ConditionConfig_s config = Config();
  if (type == L"I") {
    ++state->entryCount;
    state->state = kConditionStateEntered;
    state->autoBuyCount = 0;
    if (!state->hasFirstEntry) {
      state->firstEntry = Now();
      state->hasFirstEntry = true;
    }
    state->entryTick = Tick();
    state->entryPrice = state->stock.curPrice;
    EntryUnderLock(*state, conditionName, index, code, L'I', config);
    if (config.alert && m_hooks.alert) m_hooks.alert();
    // With the switch on, a stock in every required condition is offered to the buy decision,
    // which hands its order over without our lock.
    const bool buy = config.autoBuyOn && state->allMet;
    lock.unlock();
    if (buy) TryAutoBuy(code, AutoBuyRequest_s{});
  } else if (type == L"D") {
    ExitUnderLock(*state, conditionName, index, config);
  }
}

int CConditionSearch::OnConditionSearchResult(const std::wstring& list,
                                              const std::wstring& conditionName) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  auto known = m_nameToIndex.find(conditionName);
  if (known == m_nameToIndex.end()) return 0;
  const ConditionConfig_s config = Config();
  int handled = 0;
  for (const std::wstring& entry : Entries(list, 100)) {
    double price = 0;
    const std::wstring code = SplitCodePrice(entry, &price);
    if (code.empty()) continue;
    ConditionStock_s* state = StockUnderLock(code, price);
    if (!state) continue;
    EntryUnderLock(*state, conditionName, known->second, code, L'R', config);
    ++handled;
  }
  return handled;
}

void CConditionSearch::TakeSlotsUnderLock(ConditionStock_s& state,
                                          const std::wstring& conditionName, int index,
                                          const ConditionConfig_s& config, bool slots) {
  auto takeFirstFree = [&](int* indexes, std::wstring* names, int count) {
    for (int slot = 0; slot < count; ++slot)
      if (indexes[slot] == index) return;  // a condition the stock is in keeps its slot
    for (int slot = 0; slot < count; ++slot) {
      if (indexes[slot] > 0) continue;
      indexes[slot] = index;
      names[slot] = conditionName;
      return;
    }
  };
  auto occupied = [](const int* indexes, int count) {
    int n = 0;
    for (int slot = 0; slot < count; ++slot)
      if (indexes[slot] > 0) ++n;
    return n;
  };
  int buySlot = -1;
  bool sell = false;
  if (slots) {
    for (int slot = 0; slot < kConditionBuySlots && buySlot < 0; ++slot)
      if (config.buyConditions[slot] > 0 && config.buyConditions[slot] == index) buySlot = slot;
    for (int slot = 0; slot < kConditionSellSlots && buySlot < 0 && !sell; ++slot)
      sell = !config.sellConditions[slot].empty() && config.sellConditions[slot] == conditionName;
  }
  if (sell) {
    state.state = kConditionStateSell;
    takeFirstFree(state.sellIndex, state.sellName, kConditionSellSlots);
    state.secondCount = occupied(state.sellIndex, kConditionSellSlots);
    return;
  }
  if (buySlot >= 0) {
    state.state = kConditionStateBuy;
    state.lastCondition = conditionName;
    if (config.slotMatching) {
      // The slot of the chosen condition; the change at this entry is what a held stock's
      // later fall is measured from.
      state.slotIndex[buySlot] = index;
      state.slotName[buySlot] = conditionName;
      state.conditionRate = state.stock.changeRate;
      state.previousIndex = state.currentIndex;
      state.currentIndex = index;
      if (state.previousIndex > 0 && state.previousIndex != index) state.conditionFlag = true;
    } else {
      takeFirstFree(state.slotIndex, state.slotName, kConditionBuySlots);
    }
  } else {
    if (!slots && (config.mode == 5 || config.mode == 7)) return;
    state.lastCondition = conditionName;
    takeFirstFree(state.slotIndex, state.slotName, kConditionBuySlots);
  }
  state.count = occupied(state.slotIndex, kConditionBuySlots);
  state.allMet = state.count == config.requiredCount;
}

void CConditionSearch::EntryUnderLock(ConditionStock_s& state, const std::wstring& conditionName,
                                      int index, const std::wstring& key, wchar_t kind,
                                      const ConditionConfig_s& config, bool slots) {
  const std::wstring& code = state.stock.code;
  TakeSlotsUnderLock(state, conditionName, index, config, slots);
  ConditionRowAction_s action;
  action.code = code;
  action.stock = state.stock;
  action.conditionIndex = index;
  action.conditionCount = state.count;
  action.keyText = key;
  action.entryCount = state.entryCount;
  if (m_received.count(code)) {
    action.kind = ConditionRowAction_s::kUpdate;
    Emit(action);
    return;
  }
  m_checking = 1;
  const double price = state.stock.curPrice;
  if (price <= 0) {
    state.maxQty = 1;
  } else {
    const double max = std::floor(config.perStockLimitWon / price);
    state.maxQty = max >= 1 ? max : 0;
  }
  action.kind = ConditionRowAction_s::kAdd;
  action.maxQty = state.maxQty;
  action.timeText = TimeText(Now());
  Emit(action);
  wchar_t item[256];
  std::swprintf(item, std::size(item), L"%ls:%ls:%f:%.2f", code.c_str(),
                state.stock.name.c_str(), price, state.stock.changeRate);
  const std::wstring joined = m_receivedText.empty() ? item : m_receivedText + L";" + item;
  if (joined.size() <= kReceivedTextLimit) {
    m_receivedText = joined;
    m_receivedKeys += m_receivedKeys.empty() ? key : L";" + key;
    ++m_receivedCount;
  }
  RealTimeEntryRow_s row;
  row.time = Now();
  row.key = key;
  row.condition = conditionName;
  row.kind = kind;
  row.conditionCount = state.count;
  row.requiredCount = config.requiredCount;
  row.code = code;
  row.name = state.stock.name;
  row.price = price;
  row.changeRate = state.stock.changeRate;
  row.limits = config.limits;
  row.limits.checking = m_checking;
  m_log.WriteEntry(row);
  m_received[code] = true;
  m_checking = 0;
}

void CConditionSearch::ExitUnderLock(ConditionStock_s& state, const std::wstring& conditionName,
                                     int index, const ConditionConfig_s& config) {
  const std::wstring code = state.stock.code;
  state.state = kConditionStateExited;
  ++state.exitCount;
  state.exitTick = Tick();
  state.exitTime = Now();
  // The slot holding this condition is freed, buy or sell.
  auto release = [index](int* indexes, std::wstring* names, int slots, int* count) {
    for (int slot = 0; slot < slots; ++slot) {
      if (indexes[slot] != index) continue;
      indexes[slot] = 0;
      names[slot].clear();
      if (*count > 0) --*count;
      return;
    }
  };
  release(state.slotIndex, state.slotName, kConditionBuySlots, &state.count);
  release(state.sellIndex, state.sellName, kConditionSellSlots, &state.secondCount);
  state.allMet = false;
  RealTimeExitStateRow_s row;
  row.time = state.exitTime;
  row.conditionIndex = index;
  row.state = state.state;
  row.condition = conditionName;
  row.conditionCount = state.count;
  row.secondCount = state.secondCount;
  row.requiredCount = config.requiredCount;
  row.code = code;
  row.name = state.stock.name;
  row.price = state.stock.curPrice;
  row.changeRate = state.stock.changeRate;
  m_log.WriteExitWithState(row);
  auto received = m_received.find(code);
  if (received == m_received.end()) return;
  ConditionRowAction_s action;
  action.kind = ConditionRowAction_s::kRemove;
  action.code = code;
  Emit(action);
  if (m_hooks.stockOut) m_hooks.stockOut(code);
  m_received.erase(received);
  DropReceivedTextUnderLock(code);
}

void CConditionSearch::DropReceivedTextUnderLock(const std::wstring& code) {
  // The received-list text loses the stock's "code:" entry; the count never goes below 0.
  std::wstring text;
  int dropped = 0;
  for (const std::wstring& entry : Entries(m_receivedText)) {
    if (entry.rfind(code + L":", 0) == 0) {
      ++dropped;
      continue;
    }
    text += (text.empty() ? L"" : L";") + entry;
  }
  m_receivedText = text;
  m_receivedCount = std::max(0, m_receivedCount - dropped);
}

bool CConditionSearch::OnConditionStockChange(const std::wstring& code, int index,
                                              const std::wstring& conditionName,
                                              const std::wstring& key, wchar_t kind) {
  std::unique_lock<std::recursive_mutex> lock(m_mutex);
  if (kind != L'I' && kind != L'R' && kind != L'D') return false;
  ConditionStock_s* state = StockUnderLock(Trim(code), 0);
  if (!state) return false;
  const ConditionConfig_s config = Config();
  if (kind == L'D') {
    ExitUnderLock(*state, conditionName, index, config);
    return true;
  }
  if (m_hooks.alert) m_hooks.alert();
  ++state->entryCount;
  if (!state->hasFirstEntry) {
    state->firstEntry = Now();
    state->hasFirstEntry = true;
  }
  state->entryTick = Tick();
  state->entryPrice = state->stock.curPrice;
  EntryUnderLock(*state, conditionName, index, key, kind, config, true);
  const bool buy = config.autoBuyOn && state->state == kConditionStateBuy && state->allMet;
  const std::wstring listed = state->stock.code;
  lock.unlock();
  if (buy) TryAutoBuy(listed, AutoBuyRequest_s{});
  return true;
}

bool CConditionSearch::UpdateExitedStock(const std::wstring& code,
                                         const double (&values)[kExitValueCount]) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  DropReceivedTextUnderLock(code);
  if (!m_received.count(code)) return false;
  ConditionRowAction_s action;
  action.kind = ConditionRowAction_s::kExited;
  action.code = code;
  std::copy(std::begin(values), std::end(values), action.exitValues);
  Emit(action);
  return true;
}

void CConditionSearch::Clear() {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  m_nameToIndex.clear();
  m_indexToName.clear();
  m_keys.clear();
  m_stocks.clear();
  m_received.clear();
  m_receivedText.clear();
  m_receivedCount = 0;
  m_receivedKeys.clear();
}

bool CConditionSearch::StockState(const std::wstring& code, ConditionStock_s* out) const {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  auto it = m_stocks.find(code);
  if (it == m_stocks.end()) return false;
  if (out) *out = it->second;
  return true;
}

bool CConditionSearch::Received(const std::wstring& code) const {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  return m_received.count(code) != 0;
}

double CConditionSearch::CheckBuyQuantity(const ConditionStock_s* state, double quantity,
                                          bool held, double lowestHeldChange) {
  if (!state || state->stock.curPrice <= 0 || quantity <= 0) return quantity >= 1 ? quantity : 0;
  if (!state->conditionFlag) return 0;
  if (state->currentIndex == state->previousIndex) return 0;
  if (held && state->stock.changeRate - state->conditionRate < lowestHeldChange) return 0;
  return quantity;
}

double CConditionSearch::BoughtTodayWon() const {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  return m_boughtTodayWon;
}

double CConditionSearch::TryAutoBuy(const std::wstring& code, const AutoBuyRequest_s& request) {
  double orderQty = 0;
  double price = 0;
  {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    auto it = m_stocks.find(code);
    if (it == m_stocks.end()) return 0;
    ConditionStock_s& state = it->second;
    price = state.stock.curPrice;
    if (price <= 0 || state.orderOut || state.buyBlocked) return 0;
    const ConditionConfig_s config = Config();
    const DWORD now = Tick();
    const DWORD since = state.lastCheckTick > state.entryTick ? state.lastCheckTick : state.entryTick;
    if (state.autoBuyCount > 0 && now - since < static_cast<DWORD>(std::max(config.checkIntervalMs, 0)))
      return 0;
    if (request.riseCheck && state.stock.changeRate > config.riseLimit) return 0;
    state.lastCheckTick = now;
    const double maxQty = std::floor(config.perStockLimitWon / price);
    state.maxQty = maxQty >= 1 ? maxQty : 0;
    double amount = request.amount;
    if (amount <= 0 || amount > config.perOrderWon) amount = config.perOrderWon;
    double quantity = std::max(1.0, std::floor(amount / price));
    if (request.cap > 0 && request.cap < quantity) quantity = request.cap;
    const double leftover = state.maxQty - (quantity + state.boughtQty);
    const double extra =
        leftover > 0 && leftover < quantity && leftover * price < 1000 ? std::floor(leftover) : 0;
    orderQty = std::floor(quantity + extra);
    if (orderQty < 1) return 0;
    if (config.slotMatching) {
      const bool held = m_hooks.isHeld && m_hooks.isHeld(code);
      orderQty = CheckBuyQuantity(&state, orderQty, held, config.lowestHeldChange);
      if (orderQty <= 0) return 0;
    }
    const double orderAmount = std::floor(quantity) * price;
    const bool go = request.force ||
                    // The order itself stays within the per-stock maximum: a stock already
                    // at its maximum is not bought again.
                    (state.boughtQty + orderQty <= state.maxQty &&
                     orderAmount + m_boughtTodayWon < config.dailyLimitWon &&
                     orderAmount + m_boughtTodayWon >= request.lowerAmount);
    if (!go) return 0;
    state.orderOut = true;
  }
  // The order worker takes it from here, with no lock of ours held. Its answer may come after
  // the bookkeeping is gone.
  std::weak_ptr<int> alive = m_alive;
  auto done = [this, alive, code, orderQty, price](AutoOrderOutcome outcome) {
    if (!alive.lock()) return;
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    auto it = m_stocks.find(code);
    if (outcome == AutoOrderOutcome::kPlaced) m_boughtTodayWon += orderQty * price;
    if (it == m_stocks.end()) return;
    ConditionStock_s& state = it->second;
    state.orderOut = false;
    if (outcome == AutoOrderOutcome::kPlaced) {
      ++state.autoBuyCount;
      state.boughtQty += orderQty;
      state.lastBuyRate = state.stock.changeRate;
    } else if (outcome == AutoOrderOutcome::kUnknown) {
      state.buyBlocked = true;
    } else if (outcome == AutoOrderOutcome::kNotSent && m_hooks.log) {
      m_hooks.log(L"자동주문 미지원/미구현 증권사\r\n");
    }
  };
  if (!m_hooks.placeOrder || !m_hooks.placeOrder(code, orderQty, done)) {
    done(AutoOrderOutcome::kNotSent);
    return 0;
  }
  return orderQty;
}
