// Accounts and balances: the deposit and balance passes through every agent, the held-stock
// maps rebuilt from the holdings, the per-holding stop and step levels, the split-order base
// amount and the account passwords.
//
// The agents ask the brokers and read their replies without any lock; they bring a reply into
// the holdings map and the account map through the engine's merge step (MergeUnderViewLock), a
// short step under the view lock, which the quote workers and the user-interface thread take
// to read both. A holding a balance reply dropped (and its map freed) is taken out of the order
// queue in that same locked step, so no other thread can reach it afterwards.

#include <algorithm>
#include <ctime>
#include <unordered_set>

#include "platform/stocklib/StockAgentBase.h"
#include "platform/support/TextConv.h"
#include "platform/win/Clock.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "plugin/view/engine/WideText.h"
#include "shared/LoginInfo.h"
#include "shared/Messages.h"

namespace {
constexpr DWORD kAccountLogKind = 4;
constexpr DWORD kDonePopupMs = 5000;
constexpr uint8_t kKiwoomBrokerId = 1;
constexpr int32_t kCoinAgentKind = 9;
constexpr uint32_t kAddToMasterFlag = 0x100;
constexpr int kSplitBaseMin = -50;
constexpr int kSplitBaseMax = 1000;
constexpr double kWonPerUnit = 10000.0;
constexpr double kSplitWonMax = 10000000.0;

void ClearTotals(group_info_s& record) {
  record.total_valuation = 0;
  record.total_buy = 0;
  record.total_profit = 0;
  record.total_further = 0;
}

// The record that takes the balance of the agent's own market is the one in the account
// map; a domestic securities agent keeps its overseas balance in its second record.
group_info_s& OwnMarketRecord(CStockAgentBase& agent) { return agent.m_accountRecord; }
group_info_s& OverseasRecord(CStockAgentBase& agent) {
  return agent.m_marketKind == kMarketOverseas ? agent.m_accountRecord : agent.m_domesticRecord;
}
}  // namespace

int CPelomarEngine::OnBalanceStockFound(void* context, int recordIndex, int marketKind,
                                        uint32_t flags, const wchar_t* code, const wchar_t* name,
                                        uint8_t letter, double price, double, double, double, int,
                                        int, int, void*) {
  auto* engine = static_cast<CPelomarEngine*>(context);
  if (!engine || !code || !*code || !(flags & kAddToMasterFlag)) return 0;
  CStockLists& stocks = engine->m_stocks;
  if (stocks.FindMasterStock(static_cast<uint8_t>(marketKind), code)) return 0;
  stocks.AddMasterStock(kMarketDomestic, code, name ? name : L"", 0, 0, letter, recordIndex, price,
                        0, 0);
  return 0;
}

void CPelomarEngine::MergeUnderViewLock(const std::function<void()>& merge) {
  orv::win::CSingleLock lock(&m_viewLock, TRUE);
  std::unordered_set<const StockTrade_s*> before;
  for (const auto& entry : m_stocks.Holdings()) before.insert(entry.first);
  merge();
  // Holdings the reply no longer named are gone: the order queue must not keep them.
  std::unordered_set<const StockTrade_s*> live;
  for (const auto& entry : m_stocks.Holdings()) live.insert(entry.first);
  for (auto it = m_orderQueue.begin(); it != m_orderQueue.end();)
    it = live.count(it->first) || !before.count(it->first) ? std::next(it) : m_orderQueue.erase(it);
  DropQueueIndexUnderLock();
}

int CPelomarEngine::QueryAccountsAndBalances(CURL* curl, int accountSwitch, uint32_t* outTotal,
                                             int popupSwitch) {
  if (!m_loginInfo || m_loginInfo->nUserIdx <= 0) {
    if (outTotal) *outTotal = 0;
    return 0;
  }
  const bool popups = popupSwitch != 0 && (m_popupMode.load() & 7) != 0;
  auto popup = [&](const std::wstring& text, const wchar_t* caption, DWORD timeoutMs) {
    if (popups && m_window) m_window->ShowWaitingPopup(true, text.c_str(), caption, timeoutMs);
  };
  auto log = [&](const std::wstring& text) {
    m_logs.AddLogMsg(0, kAccountLogKind, 0, L"", text.c_str(), 0);
  };
  const std::wstring user = FieldText(m_loginInfo->szUserId);
  popup(StrPrintfW(L"%ls님, 계좌/잔고 조회중입니다.\r\n잠시만 기다려 주세요\n", user.c_str()),
        L"계좌/잔고 조회", 0);
  const DWORD tick = orv::win::GetTickCount();
  int domesticCount = 0, overseasCount = 0, coinCount = 0, total = 0;
  OwningHoldingMap& holdings = m_stocks.Holdings();

  auto balancePass = [&](CStockAgentBase& agent, uint8_t market, group_info_s& record) {
    {
      orv::win::CSingleLock lock(&m_viewLock, TRUE);
      ClearTotals(record);
    }
    popup(StrPrintfW(L"%ls[%ls] 잔고 종목 조회중.\r\n잠시만 기다려 주세요\n", agent.m_brokerName,
                     user.c_str()),
          L"잔고 종목 조회", 0);
    BalanceQueryArgs_s args;
    args.totals = &record;
    args.holdings = &holdings;
    args.options = &m_option;
    args.stocks = &m_stocks.Master();
    args.runningIndex = total;
    args.separator = L',';
    args.splitBudget = m_option.split_sell_amount_won;
    args.feeRateDomestic = m_option.sell_fee_domestic;
    args.feeRateOther = m_option.sell_fee_overseas;
    args.taxRate = m_option.tax_rate;
    args.exchangeRate = m_option.exchange_rate;
    for (int i = 0; i < 5; ++i) args.steps[i] = m_option.steps[i];
    args.ruleByte = m_option.rule_byte;
    args.tick = tick;
    args.callbackContext = this;
    args.callback = &CPelomarEngine::OnBalanceStockFound;
    // The request goes out without the view lock: the agent merges the reply through
    // MergeUnderViewLock.
    const int result = agent.QueryBalance(curl, market, agent.m_slotIndex, 0, args);
    orv::win::CSingleLock lock(&m_viewLock, TRUE);
    ++record.query_count;
    return result;
  };

  for (auto& entry : m_agents) {
    if (!IsRunning()) break;
    CStockAgentBase* agent = entry.second.get();
    if (!agent) continue;
    if (accountSwitch) {
      popup(StrPrintfW(L"%ls[%ls] 계좌 목록 조회중.\r\n잠시만 기다려 주세요\n", agent->m_brokerName,
                       user.c_str()),
            L"계좌 목록 조회", 0);
      const int deposit = agent->QueryDeposit(curl, &m_accounts, nullptr, 0);
      // The summary shows an account whose deposit cannot be read with its failures and the
      // broker's word; a read clears both.
      const std::wstring refusal = deposit == kAgentOk ? std::wstring() : agent->GetLastMessage();
      orv::win::CSingleLock lock(&m_viewLock, TRUE);
      AccountStatus_s& status = m_accountStatus[agent->m_key];
      status.errors = deposit == kAgentOk ? 0 : status.errors + 1;
      status.message = refusal;
    }

    const bool coin = agent->m_marketKind == kCoinAgentKind;
    const int currentMarket = m_currentMarket.load();
    int first = 0;
    group_info_s& own = OwnMarketRecord(*agent);
    if (own.query_count == 0 || coin || (currentMarket == 1 && agent->m_marketKind == 1)) {
      log(StrPrintfW(L"▶ %ls 잔고 조회  시작 [%d]", agent->m_brokerName, static_cast<int>(tick)));
      first = balancePass(*agent, static_cast<uint8_t>(agent->m_marketKind), own);
      if (agent->m_balanceCount > 0) (coin ? coinCount : domesticCount) += agent->m_balanceCount;
      ++agent->m_balancePasses;
      SYSTEMTIME now;
      orv::win::GetLocalTime(&now);
      log(StrPrintfW(L"%02d:%02d:%02d.%03d▶ %ls : [%d] LTV: %f", now.wHour, now.wMinute,
                     now.wSecond, now.wMilliseconds, agent->m_brokerName, static_cast<int>(tick),
                     own.loan_to_value));
    }

    int second = 0;
    if (!coin && agent->m_brokerId != kKiwoomBrokerId && IsRunning()) {
      group_info_s& overseas = OverseasRecord(*agent);
      if (overseas.query_count == 0 ||
          (currentMarket == 2 && agent->m_marketKind == kMarketOverseas)) {
        second = balancePass(*agent, kMarketOverseas, overseas);
        if (agent->m_balanceCount >= 1) overseasCount += agent->m_balanceCount;
      }
    }
    log(StrPrintfW(L"▶ %ls 잔고 [%d] (국내 : %d, 해외 : %d)", agent->m_brokerName,
                   static_cast<int>(tick), first, second));
    total += first + second;
  }

  if (domesticCount > 0 || overseasCount > 0 || coinCount > 0) {
    ApplyAllHoldingLevels(1, 1, 1, 0);
    RebuildHeldStockLists(&holdings, 1);
    RebuildQuoteLists(0, 1);
    popup(StrPrintfW(L"%ls님, 잔고 조회(종목: %d개) 완료했습니다.\n창을 닫으시면 됩니다\n",
                     user.c_str(), total),
          L"잔고 조회 완료", kDonePopupMs);
    m_option.rule_byte_copy = m_option.rule_byte;
    if (m_window && m_redrawPending.exchange(1) == 0)
      m_window->PostViewMessage(WM_REDRAW_GRID, 0, 0);
  } else {
    popup(
        StrPrintfW(L"%ls님, 잔고 조회(종목: %d개 [K:%d, U:%d, C:%d]) 완료했습니다.\n창을 닫으시면 "
                   L"됩니다\n",
                   user.c_str(), total, domesticCount, overseasCount, coinCount),
        L"잔고 조회 완료", kDonePopupMs);
  }
  if (outTotal) *outTotal = static_cast<uint32_t>(domesticCount + overseasCount + coinCount);
  return total;
}

int CPelomarEngine::RebuildHeldStockLists(HoldingMap* holdings, int clear) {
  HoldingMap& map = holdings ? *holdings : m_stocks.Holdings();
  orv::win::CSingleLock lock(&m_viewLock, TRUE);
  if (clear)
    for (int i = 0; i < CStockLists::kHeldCount; ++i)
      GfxStockDataListFree2(&m_stocks.Held(i), 0, 1, 0);
  int inserted = 0;
  for (const auto& entry : map) {
    const StockTrade_s* holding = entry.first;
    Stock_s* stock = holding->stock;
    if (!stock || holding->quantity <= 0) continue;
    StockViewMap* list = nullptr;
    if (stock->market == kMarketCoin) {
      if (holding->quote_currency == 0 && stock->exchange_flags[0])
        list = &m_stocks.Held(CStockLists::kHeldCoin);
      else if (holding->quote_currency == 1 && stock->exchange_flags[1])
        list = &m_stocks.Held(CStockLists::kHeldCoinBtc);
    } else if (stock->market == kMarketOverseas) {
      list = &m_stocks.Held(CStockLists::kHeldOverseas);
    } else {
      list = &m_stocks.Held(CStockLists::kHeldDomestic);
    }
    if (list) inserted += m_stocks.InsertStockIntoList(list, stock);
  }
  m_quoteListsChanged.store(1);
  return inserted;
}

void CPelomarEngine::ApplyHoldingLevels(StockTrade_s* holding, int, double sellRate,
                                        double stepValue, double, int switchA, int, int,
                                        int update) {
  if (!holding) return;
  const double offset = holding->profit_offset;
  // Stop-loss start: the option moved by the holding's offset, never below the floor.
  const double minimum = m_option.stop_trading_loss / 10.0;
  if (m_option.stop_loss_rate < 0) {
    holding->stop_start = m_option.stop_loss_rate + offset;
    if (holding->stop_start < minimum) holding->stop_start = minimum;
  } else {
    holding->stop_start = minimum;
  }
  const double firstStop = m_option.stop_floor_offset[0];
  const double secondStop = m_option.stop_floor_offset[1];
  if (firstStop < 0 && secondStop < 0 && secondStop < firstStop) {
    holding->stop1 = firstStop + offset;
    holding->stop2 = secondStop + offset;
  } else {
    holding->stop1 = 0;
    holding->stop2 = 0;
  }
  const double rate = sellRate < 1.0 ? m_option.sell_ratio : sellRate;
  if (holding->stock && holding->buy_price > 0) {
    const double profit =
        (holding->stock->cur_price - holding->buy_price) / holding->buy_price * 100.0 - offset;
    if (profit >= 1.0 && profit <= 10.0 && stepValue > 0.5) {
      holding->step_value = stepValue;
      holding->step_flags[0] = holding->step_flags[1] = 1;
    } else {
      holding->step_flags[0] = holding->step_flags[1] = 0;
    }
    holding->sell_rate = rate;
    holding->profit_offset2 = offset;
  }
  if (holding->changed_mark || update) RecomputeSellSteps(holding, switchA);
}

void CPelomarEngine::ApplyAllHoldingLevels(int switchA, int switchB, int switchC, int update) {
  orv::win::CSingleLock lock(&m_viewLock, TRUE);
  for (const auto& entry : m_stocks.Holdings()) {
    StockTrade_s* holding = entry.first;
    ApplyHoldingLevels(holding, holding->credit ? 20 : 2, holding->sell_rate, holding->step_value,
                       holding->step_threshold, switchA, switchB, switchC, update);
  }
}

int CPelomarEngine::SetSplitOrderBaseAmount(int changed) {
  if (m_splitOrderBase < kSplitBaseMin) m_splitOrderBase = kSplitBaseMin;
  if (m_splitOrderBase > kSplitBaseMax) m_splitOrderBase = kSplitBaseMax;
  const double won = m_splitOrderBase < 1 ? static_cast<double>(m_splitOrderBase)
                                          : std::min(m_splitOrderBase * kWonPerUnit, kSplitWonMax);
  bool mark = changed != 0;
  if (m_option.split_sell_amount != m_splitOrderBase) {
    m_option.split_sell_amount = m_splitOrderBase;
    mark = true;
  }
  if (m_option.split_sell_amount_won != won) {
    m_option.split_sell_amount_won = won;
    mark = true;
  }
  if (mark) m_option.changed = 1;
  return mark ? 1 : 0;
}

int CPelomarEngine::SetAccountPassword(const wchar_t* accountNo, const wchar_t* password, int,
                                       int) {
  orv::win::CSingleLock lock(&m_viewLock, TRUE);
  group_info_s* account = FindAccount(accountNo);
  if (!account) return 0;
  account->password = WideToUtf8(password ? password : L"");
  return 1;
}

int CPelomarEngine::SetPasswordForAllAccounts(const wchar_t* password) {
  if (!password || !*password) return 0;
  const std::string narrow = WideToUtf8(password);
  orv::win::CSingleLock lock(&m_viewLock, TRUE);
  for (auto& entry : m_accounts)
    if (entry.second) entry.second->password = narrow;
  return static_cast<int>(m_accounts.size());
}
