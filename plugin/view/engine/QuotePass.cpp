// Quote polling: one pass of a quote worker asks the agents of its market for the prices of
// the poll list, logs each query's outcome and applies the prices to every holding (valuation,
// profit, account totals and the per-stock rule check). The poll lists are rebuilt from the
// own, held and auto-buy lists under the view lock.
//
// A pass polls a copy of its poll list taken under the view lock, so the account worker can
// merge new stocks into the list while a poll is under way; the records themselves belong to
// the master list, which is only freed while the workers are stopped.

#include <cstdio>
#include <unordered_set>

#include "platform/stocklib/StockAgentBase.h"
#include "platform/win/Clock.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "plugin/view/engine/WideText.h"
#include "shared/Messages.h"

namespace {
constexpr DWORD kQuoteLogKind = 4;
constexpr int kOverseasPauseMs = 600;
constexpr int kCoinPauseMs = 600;
constexpr int32_t kCoinAgentKind = 9;
constexpr int kDomesticList = 0;
constexpr int kOverseasList = 1;
constexpr int kCoinKrwList = 2;
constexpr int kCoinBtcList = 3;

// Merges `from` into `into`; answers the entries added or already there.
int MergeInto(StockViewMap& into, const StockMap& from, int market = 0) {
  int merged = 0;
  for (const auto& entry : from) {
    Stock_s* stock = entry.second;
    if (!stock || (market != 0 && stock->market != market)) continue;
    into.emplace(stock->code, stock);
    ++merged;
  }
  return merged;
}
}  // namespace

int CPelomarEngine::RebuildQuoteLists(int selector, int force) {
  orv::win::CSingleLock lock(&m_viewLock, TRUE);
  if (!force && m_quoteListsChanged.load() == 0) return 0;
  int merged = 0;
  if (selector == 0 || selector == 1) {
    StockViewMap& list = m_quoteLists[kDomesticList];
    merged += MergeInto(list, m_stocks.MyList(CStockLists::kMyDomestic));
    merged += MergeInto(list, m_stocks.Held(CStockLists::kHeldDomestic));
    merged += MergeInto(list, m_stocks.Watch(0));
  }
  if (selector == 0 || selector == 2) {
    StockViewMap& list = m_quoteLists[kOverseasList];
    merged += MergeInto(list, m_stocks.MyList(CStockLists::kMyOverseas));
    merged += MergeInto(list, m_stocks.Held(CStockLists::kHeldOverseas));
    merged += MergeInto(list, m_stocks.Watch(1));
  }
  if (selector == 0 || selector == 9 || selector == 10) {
    StockViewMap& krw = m_quoteLists[kCoinKrwList];
    merged += MergeInto(krw, m_stocks.MyList(CStockLists::kMyCoin), kMarketCoin);
    merged += MergeInto(krw, m_stocks.Held(CStockLists::kHeldCoin));
    merged += MergeInto(krw, m_stocks.Watch(2));
    StockViewMap& btc = m_quoteLists[kCoinBtcList];
    merged += MergeInto(btc, m_stocks.Held(CStockLists::kHeldCoinBtc));
    merged += MergeInto(btc, m_stocks.Watch(2));
  }
  m_quoteListsChanged.store(0);
  return merged;
}

DWORD CPelomarEngine::RunQuotePass(CURL* curl, int market) {
  const DWORD start = orv::win::GetTickCount();
  if (m_simulationRunning.load() != 0) {
    ApplyQuotesToHoldings(nullptr, nullptr, nullptr, 1, nullptr, 1);
    m_quotesApplied.exchange(1);
    return start;
  }
  LogStream priceLog = m_logs.OpenPriceLog();
  // The agents append the pass's price lines to the log's buffer; the pass puts them in the
  // file once, however it ends.
  struct FlushAtEnd {
    FILE* stream;
    ~FlushAtEnd() {
      if (stream) std::fflush(stream);
    }
  } flushAtEnd{priceLog.get()};
  int total = 0;
  if (m_quotePolling.load() != 1 || !IsRunning()) return start;

  auto log = [&](const wchar_t* what, const char* verdict, CStockAgentBase* agent, int count) {
    m_logs.AddLogMsg(0, kQuoteLogKind, 0, L"",
                     StrPrintfW(L"%d\t▶ %ls [%d] %ls 시세 조회 %s (R=%s/%d) : %d 개...",
                                static_cast<int>(orv::win::GetTickCount()), agent->m_brokerName,
                                agent->m_marketKind, what, verdict, agent->m_pollMessage,
                                agent->m_pollCode, count)
                         .c_str(),
                     0);
  };
  auto intervalPassed = [&](const CStockAgentBase* agent) {
    return orv::win::TickElapsed(agent->m_lastPollTick, orv::win::GetTickCount()) >=
           agent->m_pollInterval;
  };
  auto snapshot = [&](int index) {
    auto copy = std::make_unique<StockViewMap>();
    orv::win::CSingleLock lock(&m_viewLock, TRUE);
    for (const auto& entry : m_quoteLists[index]) copy->emplace(entry.first, entry.second);
    return copy;
  };
  auto poll = [&](CStockAgentBase* agent, int index, int pauseMs) {
    agent->m_pollMessage[0] = 0;
    agent->m_pollCode = 0;
    std::unique_ptr<StockViewMap> list = snapshot(index);
    return agent->UpdatePrices(curl, static_cast<uint8_t>(agent->m_marketKind), agent->m_coinMarket,
                               static_cast<uint8_t>(m_sessionState.load()), list.get(),
                               RunningFlag(), pauseMs, agent->m_pollMessage, &agent->m_pollCode,
                               priceLog.get());
  };
  auto stillThere = [&](CStockAgentBase* agent) { return IsRunning() && FindAgent(agent->m_key); };

  if (market == 1 || market == 2) {
    CStockAgentBase* domestic = m_roles.defaultDomestic;
    if (domestic && domestic->m_marketKind == 1 &&
        (m_currentMarket.load() == 1 || domestic->m_priceUpdates <= 0) &&
        intervalPassed(domestic)) {
      const int count = poll(domestic, kDomesticList, static_cast<int>(domestic->m_pollInterval));
      if (!stillThere(domestic)) return 0;
      // Domestic prices count toward the application like every other market's.
      total += count;
      if (domestic->m_pollCode != 0) {
        log(L"국내", "ERROR", domestic, count);
      } else {
        log(L"국내", "OK", domestic, count);
        domestic->m_lastPollTick = start;
      }
    }
    CStockAgentBase* overseas = m_roles.overseas;
    if (overseas && m_currentMarket.load() == 2 && overseas->m_marketKind == kMarketOverseas &&
        intervalPassed(overseas)) {
      const int count = poll(overseas, kOverseasList, kOverseasPauseMs);
      total += count;
      if (!stillThere(overseas)) return 0;
      if (count < 1 || overseas->m_pollCode != 0) log(L"미국", "ERROR", overseas, count);
      overseas->m_lastPollTick = start;
    }
  } else if (market == kMarketCoin) {
    bool krwSeen = false;
    bool btcSeen = false;
    for (auto& entry : m_agents) {
      if (!IsRunning()) break;
      CStockAgentBase* agent = entry.second.get();
      if (!agent || agent->m_marketKind != kCoinAgentKind) continue;
      const bool krw = agent->m_coinMarket == 0;
      bool& seen = krw ? krwSeen : btcSeen;
      if (seen) continue;
      seen = true;
      const int index = krw ? kCoinKrwList : kCoinBtcList;
      {
        orv::win::CSingleLock lock(&m_viewLock, TRUE);
        if (m_quoteLists[index].empty()) continue;
      }
      if (!intervalPassed(agent)) continue;
      const int count = poll(agent, index, kCoinPauseMs);
      total += count;
      if (!IsRunning()) break;
      if (count < 1 || agent->m_pollCode != 0) log(L"코인", "ERROR", agent, count);
      agent->m_lastPollTick = start;
    }
  }

  if (total >= 1 && IsRunning()) {
    ApplyQuotesToHoldings(nullptr, nullptr, nullptr, 1, nullptr, 1);
    m_quotesApplied.exchange(1);
  }
  return start;
}

int CPelomarEngine::ApplyQuotesToHoldings(double* outBuy, double* outDay, double* outProfit,
                                          int ruleArg, int* outRowsChanged, int redraw) {
  const DWORD start = orv::win::GetTickCount();
  orv::win::CSingleLock lock(&m_viewLock, TRUE);
  for (auto& entry : m_accounts) {
    group_info_s* account = entry.second;
    if (!account) continue;
    account->recomputing = 1;
    account->total_valuation = account->total_buy = account->total_profit = 0;
    account->total_further = 0;
  }
  OwningHoldingMap& holdings = m_stocks.Holdings();
  for (const auto& entry : holdings)
    if (Stock_s* stock = entry.first->stock) stock->run_qty = stock->run_valuation = 0;

  double valuationTotal = 0, profitTotal = 0, buyTotal = 0, dayTotal = 0;
  int rowsChanged = 0;
  for (const auto& entry : holdings) {
    StockTrade_s* holding = entry.first;
    Stock_s* stock = holding->stock;
    if (!stock) continue;
    double price = stock->cur_price;
    if (stock->market == kMarketCoin) price = stock->coin_prices[holding->quote_currency ? 1 : 0];
    if (!holding->sold_out) {
      int sell = 0;
      CheckStockRules(holding, price, ruleArg, &sell);
    }
    const double valuation = price * holding->quantity;
    stock->run_valuation += valuation;
    stock->run_qty += holding->quantity;
    holding->valuation = valuation;
    holding->profit_amount = valuation - holding->purchase;
    if (!holding->sold_out && holding->quantity > 0) {
      if (group_info_s* account = holding->account) {
        account->total_valuation += valuation;
        account->total_buy += holding->purchase;
        account->total_profit += holding->profit_amount;
        account->total_further += holding->further_amount;
      }
      valuationTotal += valuation;
      profitTotal += holding->profit_amount;
      buyTotal += holding->purchase;
    }
    dayTotal += holding->day_value;
    bool heldMarkChanged = false;
    if (holding->quantity <= 0 && !holding->sold_out) {
      holding->sold_out = 1;
      heldMarkChanged = true;
    }
    // A held stock the grid does not show yet, or one whose held mark changed, needs the rows
    // rebuilt. A holding at quantity 0 is left out of the grid by every rebuild, so it counts
    // only when it is marked sold out: counting it on every pass would rebuild and repaint the
    // whole grid every second of a market where nothing changes.
    if ((!holding->in_grid && holding->quantity > 0) || heldMarkChanged) ++rowsChanged;
  }
  for (const auto& entry : holdings) {
    if (Stock_s* stock = entry.first->stock) {
      stock->prev_run_qty = stock->run_qty;
      stock->prev_run_valuation = stock->run_valuation;
    }
  }
  for (auto& entry : m_accounts)
    if (entry.second) entry.second->recomputing = 0;
  m_totalValuation.store(valuationTotal);

  // Rows are the user-interface thread's: a changed row set is one rebuild request there;
  // otherwise the tick redraws the values once it sees the quotes applied.
  if (redraw && rowsChanged > 0 && m_window && m_redrawPending.exchange(1) == 0)
    m_window->PostViewMessage(WM_REDRAW_GRID, 0, 0);
  if (outBuy) *outBuy = buyTotal;
  if (outDay) *outDay = dayTotal;
  if (outProfit) *outProfit = profitTotal;
  if (outRowsChanged) *outRowsChanged = rowsChanged;
  m_quoteApplyMs.store(orv::win::TickElapsed(start, orv::win::GetTickCount()));
  return static_cast<int>(holdings.size());
}
