// The sell pass: the queued holdings are taken from the order queue and ordered one by one,
// 100 ms apart, through the one order routine (SendTradeOrder) that the order panel and the
// order dialog also use; each order gives one money-log line, and the pass reports its lines
// to the product's web server.

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/stocklib/StockAgentBase.h"
#include "platform/support/DateUtil.h"
#include "platform/support/TextConv.h"
#include "platform/win/Clock.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "plugin/view/engine/TextFormat.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"

using orv::win::CSingleLock;

namespace {

constexpr DWORD kOrderLogKind = 0;
constexpr DWORD kOrderSpacingMs = 100;
// The money-log text stops taking orders once it is longer than this.
constexpr size_t kMoneyLogLimit = 8000;
constexpr int kSideBuy = 1;
constexpr int kSideSell = 2;
constexpr int kMarketPriceType = 3;
constexpr DWORD kSoldOutPopupMs = 2000;
constexpr size_t kOrderMessageLen = 256;
constexpr size_t kResultTextLen = 20;
constexpr size_t kOrderNoTextSize = 50;
// Host notice: a line for the host's log hub.
constexpr int kHostLogKind = 4;

// A text field of the money log: quoted with single quotes; a quote inside is doubled and a
// line break becomes a space, so one order stays one line and its fields stay apart.
std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'')
      out += "''";
    else if (c == '\n' || c == '\r')
      out += ' ';
    else
      out += c;
  }
  out += '\'';
  return out;
}

// A holding is still the one the pass took when the holdings map holds that record and it
// still names the same holding (a freed record's address may come back as another holding).
bool IsHeld(OwningHoldingMap& holdings, const StockTrade_s* holding, const std::string& key) {
  for (const auto& entry : holdings)
    if (entry.first == holding) return CPelomarEngine::OpenOrderKey(*holding) == key;
  return false;
}

}  // namespace

std::string CPelomarEngine::OpenOrderKey(const StockTrade_s& holding) {
  return StrPrintf("%d|%d|%d|%d|%d|%s", holding.broker_id, holding.account_no, holding.holding_kind,
                   holding.loan_date, holding.kind2,
                   WideToUtf8(holding.code[0] || !holding.stock ? std::wstring(holding.code)
                                                                : holding.stock->code)
                       .c_str());
}

int64_t CPelomarEngine::WallClockMs() {
  SYSTEMTIME t;
  orv::win::GetLocalTime(&t);
  const int64_t days = DaysFromCivil(t.wYear, t.wMonth, t.wDay);
  return ((days * 24 + t.wHour) * 60 + t.wMinute) * 60000 + t.wSecond * 1000 + t.wMilliseconds;
}

const char* CPelomarEngine::UserText(const char* korean, const char* english) const {
  return m_runSetting && m_runSetting->byLanguage == 1 ? english : korean;
}

// ---------------------------------------------------------------------------------------
// Sell pass

int CPelomarEngine::RunSellPass(CURL* curl) {
  std::vector<StockTrade_s*> taken;
  {
    CSingleLock lock(&m_viewLock, TRUE);
    for (const auto& entry : m_orderQueue) taken.push_back(entry.first);
    m_orderQueue.clear();
    DropQueueIndexUnderLock();
  }
  LogAppKind(kOrderLogKind,
             Utf8ToWide(StrPrintf("▶ 매도 조건 평가 중.[%d]..\n", static_cast<int>(taken.size()))));
  m_sellPassRunning.exchange(1);
  std::wstring moneyLog;
  std::wstring firstCode;
  int lineCount = 0;
  bool soldOut = false;

  for (size_t i = 0; curl && i < taken.size() && m_quotePolling.load() != 0; ++i) {
    // A pass stops taking orders once its report is full; every order already placed stays
    // in the report (the upload sends long reports in parts).
    if (moneyLog.size() > kMoneyLogLimit) {
      LogAppKind(kOrderLogKind, Utf8ToWide(StrPrintf(">> BUFFER OVER (%d)...\n",
                                                     static_cast<int>(moneyLog.size()))));
      break;
    }
    StockTrade_s* holding = taken[i];
    TradeOrderArgs_s args;
    StockTrade_s snapshot;
    std::string key;
    {
      // The account worker may have replaced the holdings since the rule check queued this
      // one: only a holding still in the holdings map is ordered, and none whose last order
      // the broker's balance has not settled yet.
      CSingleLock lock(&m_viewLock, TRUE);
      bool usable = false;
      for (const auto& entry : m_stocks.Holdings()) usable = usable || entry.first == holding;
      if (usable) key = OpenOrderKey(*holding);
      usable = usable && holding->stock && holding->quantity > 0 && !holding->sold_out &&
               holding->account && holding->account->agent && !m_openOrders.count(key);
      if (usable) {
        snapshot = *holding;
        double qty = holding->quantity;
        if (holding->order_kind == kSideBuy) {
          if (holding->buy_qty > 0) qty = holding->buy_qty;
        } else if (holding->sell_split_qty > 0) {
          qty = std::min(holding->sell_split_qty, holding->quantity);
        }
        args.market = holding->stock->market;
        args.session = m_sessionState.load();
        args.account = holding->account;
        args.side = holding->order_kind == kSideBuy ? kSideBuy : kSideSell;
        args.reverse = holding->reverse;
        args.cashCredit = holding->holding_kind;
        args.stock = holding->stock;
        args.code = holding->stock->code;
        args.quantity = qty;
        args.price = 0;
        args.accountText = holding->account->agent->AccountNumber();
        args.orderCondition = holding->order_condition;
        args.orderByte = holding->order_byte;
        args.note = L"0:없음";
        args.flags = kSellPassOrderFlags;
        args.intValue = kSellPassOrderValue;
        args.holding = holding;
        args.snapshot = &snapshot;
      }
    }
    if (!args.holding) {
      orv::win::Sleep(kOrderSpacingMs);
      continue;
    }

    // From here on the holding may be freed by the account step: the order works from the
    // snapshot, and the holding is written again only under the lock, when it is still held.
    // The order is stored as unknown before it goes out, so that a program ended while it is
    // out finds it at the next start and waits for the broker's balance.
    OpenOrder_s open;
    open.key = key;
    open.code = WideToUtf8(args.code);
    open.side = args.side;
    open.quantity = args.quantity;
    open.heldBefore = snapshot.quantity;
    open.unknown = 1;
    open.sentMs = WallClockMs();
    StoreOpenOrder(open);
    TradeOrderResult_s order;
    SendTradeOrder(curl, args, &order);
    const DWORD now = orv::win::GetTickCount();
    SYSTEMTIME local;
    orv::win::GetLocalTime(&local);
    const bool placed = order.outcome == OrderOutcome::kPlaced;
    if (placed || order.outcome == OrderOutcome::kUnknown) {
      open.unknown = placed ? 0 : 1;
      open.orderNo = order.orderNo;
      RecordOpenOrder(open);
    } else {
      DeleteStoredOpenOrder(key);
    }
    {
      CSingleLock lock(&m_viewLock, TRUE);
      const bool held = IsHeld(m_stocks.Holdings(), holding, key);
      StockTrade_s* target = held ? holding : &snapshot;
      target->last_result = order.result;
      target->ordered = order.outcome != OrderOutcome::kNotSent;
      if (order.outcome != OrderOutcome::kNotSent) target->order_price = order.orderPrice;
      if (args.side == kSideSell) {
        target->sell_time = local;
        target->rate_at_last_sell = target->profit_rate;
        target->last_sell_tick = now;
        if (placed) {
          target->step_orders += 1;
          target->quantity -= args.quantity;
          if (target->quantity <= 0) {
            target->quantity = 0;
            target->sold_out = 1;
            soldOut = true;
          }
        }
      } else {
        target->buy_time = local;
        target->last_buy_tick = now;
      }
      snapshot = *target;
    }
    if (args.side == kSideSell && placed && snapshot.quantity <= 0) {
      m_gridUpdatePending.store(1);
      if (m_window) {
        const std::wstring text =
            Utf8ToWide(StrPrintf("%s 매도 완료(잔고 소진)\n", WideToUtf8(args.code).c_str()));
        m_window->ShowWaitingPopup(true, text.c_str(), L"매도 완료(잔고 소진)", kSoldOutPopupMs);
      }
    }
    if (firstCode.empty()) firstCode = args.code;
    if (!moneyLog.empty()) moneyLog += L"\n";
    moneyLog += FormatMoneyLogLine(snapshot, args.quantity, args.side, order);
    ++lineCount;
    orv::win::Sleep(kOrderSpacingMs);
  }

  m_sellPassRunning.exchange(0);
  LogAppKind(kOrderLogKind, Utf8ToWide(StrPrintf("▶ 매도 코드 [%d개] (%s)...\n", lineCount,
                                                 WideToUtf8(firstCode).c_str())));
  if (!moneyLog.empty() && m_window) m_window->UploadMoneyLog(curl, moneyLog, lineCount);
  if (soldOut) {
    m_lastAccountQueryTick.store(orv::win::GetTickCount());
    SetWorkEvent(EngineWorker::kAccount);
  }
  m_sellOrders.fetch_add(lineCount);
  return lineCount;
}

// ---------------------------------------------------------------------------------------
// Money log

std::wstring CPelomarEngine::FormatMoneyLogLine(const StockTrade_s& holding, double orderQty,
                                                int side, const TradeOrderResult_s& order) const {
  const Stock_s* stock = holding.stock;
  const CStockAgentBase* agent = holding.account ? holding.account->agent : nullptr;
  const bool domestic = stock && stock->market == kMarketDomestic;
  const bool buy = side == kSideBuy;
  const double price = stock ? stock->cur_price : 0;
  const double avg = holding.avg_price;
  double profit = 0;
  if (!buy) profit = (holding.reverse ? avg - price : price - avg) * orderQty;
  const double buyAmount = (buy ? price : avg) * orderQty;

  const auto I = [](long long v) { return std::to_string(v); };
  const auto F = [](double v) { return StrPrintf("%f", v); };
  const auto F0 = [](double v) { return StrPrintf("%.0f", v); };
  const auto F4 = [](double v) { return StrPrintf("%.4f", v); };
  // Fields 27 and 39 to 43 carry decimals except for domestic stocks.
  const auto Money = [&](double v) { return domestic ? F0(v) : F(v); };
  const std::string letter =
      stock && stock->market_letter ? std::string(1, stock->market_letter) : std::string();
  const std::string code = stock ? WideToUtf8(stock->code) : std::string();

  const std::vector<std::string> fields = {
      "0",
      I(m_loginInfo ? m_loginInfo->nCompanyIdx : 0),
      I(agent ? agent->m_brokerId : 0),
      I(agent ? agent->m_marketId : 0),
      I(m_loginInfo ? m_loginInfo->nAgencyIdx : 0),
      I(m_loginInfo ? m_loginInfo->nUserIdx : 0),
      I(m_runSetting ? m_runSetting->nAppIdx : 0),
      I(m_runSetting ? m_runSetting->nAppNo : 0),
      I(order.result),
      I(side),
      "0",
      I(holding.auto_trade),
      "1",
      I(holding.holding_kind),
      I(holding.account_index),
      Quoted(""),
      Quoted(stock ? stock->nation_code : ""),
      Quoted(letter),
      Quoted(stock ? stock->std_code : ""),
      Quoted(code),
      Quoted(code),
      Quoted(stock ? WideToUtf8(stock->name) : std::string()),
      Quoted(WideToUtf8(order.message)),
      F0(buy ? orderQty : 0),
      F0(buy ? 0 : orderQty),
      F(holding.quantity),
      Money(profit),
      F4(profit > 0 ? profit : 0),
      F4(profit < 0 ? profit : 0),
      F4(holding.profit_rate),
      F4(holding.step_threshold),
      F(holding.stop_loss_rate),
      F(holding.order_rate),
      F(holding.step_width),
      F(holding.min_take_profit),
      F(8),
      F(profit),
      "0",
      Money(buy ? price : 0),
      Money(avg),
      Money(buy ? 0 : price),
      Money(buyAmount),
      Money(buyAmount),
      I(holding.cur_step),
      I(holding.order_count),
      "0",
      "0",
      "0",
      "0",
      F(holding.step_orders),
      F(holding.sell_ratio),
      F(holding.sell_split_qty),
  };
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i) line += ',';
    line += fields[i];
  }
  return Utf8ToWide(line);
}

// ---------------------------------------------------------------------------------------
// One order

int CPelomarEngine::SendTradeOrder(CURL* curl, const TradeOrderArgs_s& args,
                                   TradeOrderResult_s* out) {
  const DWORD start = orv::win::GetTickCount();
  TradeOrderResult_s result;
  const StockTrade_s* values = args.snapshot;
  CStockAgentBase* agent = args.account ? args.account->agent : nullptr;

  if (m_simulationRunning.load() != 0) {
    // While the price simulation runs no order reaches a broker, whoever asks.
    result.result = kOrderSimulationOn;
    result.message = L"시뮬레이션 중에는 주문하지 않습니다";
  } else if (agent) {
    const int conditionNumber =
        args.orderCondition.empty()
            ? 0
            : static_cast<int>(std::wcstol(args.orderCondition.c_str(), nullptr, 10));
    int retryAsked = 0;
    auto send = [&] {
      wchar_t message[kOrderMessageLen]{};
      wchar_t resultText[kResultTextLen]{};
      char orderNo[kOrderNoTextSize]{};
      int64_t orderNumber = 0;
      int code = 0, success = 0;
      retryAsked = 0;
      result.result = agent->TradeOrder(
          curl, static_cast<uint8_t>(args.market == 0 ? 1 : args.market),
          static_cast<uint8_t>(args.session), args.side, args.reverse, args.code.c_str(),
          args.quantity, args.price, args.cashCredit, kMarketPriceType, 0, conditionNumber,
          args.intValue, args.reserved1, 0, 0, static_cast<int>(start), 0, nullptr, orderNo,
          &orderNumber, &code, &success, &retryAsked, message, resultText);
      result.success = success;
      result.message = message;
      result.orderNo = orderNo;
      // Placed only with the broker's order number; refused only when the broker answered
      // with its code; anything else may have been executed.
      if (result.result == 0 && success && !result.orderNo.empty() && result.orderNo != "0")
        result.outcome = OrderOutcome::kPlaced;
      else if (result.result != 0 && resultText[0])
        result.outcome = OrderOutcome::kRefused;
      else if (result.result == kAgentSimulationOn || result.result == kAgentOrderNotAvailable)
        result.outcome = OrderOutcome::kNotSent;
      else
        result.outcome = OrderOutcome::kUnknown;
    };
    send();
    if (result.outcome == OrderOutcome::kRefused && retryAsked) {
      // The broker did not take the order and asks for it again: once, after a pause.
      LogAppKind(kOrderLogKind,
                 Utf8ToWide(StrPrintf(UserText("주문 재전송 (거부 코드 %d) [%s]\n",
                                               "Order sent again (refusal code %d) [%s]\n"),
                                      result.result, WideToUtf8(args.code).c_str())));
      orv::win::Sleep(kOrderRetryPauseMs);
      send();
      result.retried = 1;
    }
    if (result.outcome == OrderOutcome::kUnknown) {
      result.success = 0;
      const std::wstring why = result.message;
      result.message = Utf8ToWide(UserText("주문 결과 미확인(잔고로 확인)",
                                           "Order outcome unknown (the balance settles it)"));
      if (!why.empty()) result.message += L": " + why;
    }
    if (args.stock) result.orderPrice = args.stock->cur_price;
  }
  result.remaining = values ? values->quantity : 0;

  // Trading log (the holding's rates and quantity) and application log.
  const std::wstring orderNoText = Utf8ToWide(result.orderNo);
  TradingLine_s line;
  line.order_no = orderNoText.c_str();
  line.auto_flag = args.holding ? 1 : 0;
  line.sim_flag = m_simulationRunning.load();
  line.result_code = result.result;
  line.result_msg = result.message.c_str();
  line.order_qty = args.quantity;
  line.remaining_qty = result.remaining;
  line.total_qty = values ? values->quantity : args.quantity;
  line.buy_price = values ? values->avg_price : args.price;
  m_logs.WriteTradingLine(values, args.stock, line);
  LogAppKind(
      kOrderLogKind,
      Utf8ToWide(StrPrintf("trade (bSuccess=%d, remainCnt=%f) nErrorCode=%d / %s\n", result.success,
                           result.remaining, result.result, WideToUtf8(result.message).c_str())));

  if ((args.flags & kOrderFlagSound) && m_alertSoundOn.load() != 0) {
    const int sound = args.side == kSideBuy ? kAlertSoundBuy : kAlertSoundSell;
    if (sound < static_cast<int>(m_alertSounds.size()) && !m_alertSounds[sound].path.empty())
      m_alertSounds[sound].queued = 1;
    if (m_window) m_window->PlayAlertSound(sound);
  }
  if ((args.flags & kOrderFlagHistory) && m_window && args.stock) {
    const double price = args.price > 0 ? args.price : args.stock->cur_price;
    const double qty = args.holding ? args.quantity : std::trunc(args.quantity);
    OrderHistoryRow_s row = MakeOrderHistoryRow(values, args.stock, args.side, args.intValue,
                                                args.cashCredit == 2, qty, price);
    row.fromHolding = args.holding != nullptr;
    m_window->AddOrderHistoryRow(row);
  }
  if (out) *out = result;
  return result.result;
}

OrderHistoryRow_s CPelomarEngine::MakeOrderHistoryRow(const StockTrade_s* holding, Stock_s* stock,
                                                      int side, int intValue, bool credit,
                                                      double quantity, double price) const {
  // The row is a copy: it reaches the window later, when the records may be gone.
  OrderHistoryRow_s row;
  row.fromHolding = holding != nullptr;
  if (stock) {
    row.marketLetter = stock->market_letter;
    row.code = stock->code;
    row.name = stock->name;
    row.market = stock->market;
    row.nation = stock->nation;
  }
  row.side = side;
  row.intValue = intValue;
  row.credit = credit;
  row.quantity = quantity;
  row.price = price;
  SYSTEMTIME now;
  orv::win::GetLocalTime(&now);
  row.orderTime = Utf8ToWide(
      StrPrintf("%02d:%02d:%02d.%03d", now.wHour, now.wMinute, now.wSecond, now.wMilliseconds));
  row.orderClock = now;
  if (holding) {
    row.avgPrice = holding->avg_price;
    row.amount = quantity * holding->avg_price;
    row.profitRate =
        holding->avg_price > 0 ? (price - holding->avg_price) / holding->avg_price * 100.0 : 0;
  }
  if (stock) {
    const double previous = stock->cur_price - stock->change;
    row.changeRate =
        previous > 0 && stock->cur_price > 0 ? (stock->cur_price - previous) / previous * 100.0 : 0;
  }
  return row;
}

// ---------------------------------------------------------------------------------------
// Orders of the order panel and the order dialog

int CPelomarEngine::PlaceUserOrder(CURL* curl, int market, const wchar_t* accountNo, Stock_s* stock,
                                   double* quantityCut, int side, int cashCredit, int intValue,
                                   double price, double quantity, int orderNumber,
                                   TradeOrderResult_s* out, std::wstring* outNotice) {
  if (out) *out = TradeOrderResult_s();
  if (quantityCut) *quantityCut = 0;
  if (!stock) return kOrderNoStock;

  double qty = quantity;
  const double limit = m_option.per_order_limit;
  if (price > 0 && limit > 0 && price * qty > limit) {
    qty = limit / price;
    if (quantityCut) *quantityCut = std::max(0.0, quantity - qty);
  }

  TradeOrderArgs_s args;
  args.market = side == kSideBuy ? m_defaultBuyMarket.load() : market;
  args.session = m_sessionState.load();
  args.account = FindAccount(accountNo);
  args.side = side;
  args.cashCredit = cashCredit;
  args.stock = stock;
  args.code = stock->code;
  args.quantity = qty;
  args.price = price;
  if (args.account && args.account->agent) args.accountText = args.account->agent->AccountNumber();
  if (side != kSideBuy && cashCredit != 1) {
    // A credit sell names its loan: "99" repays the earliest loans (date 99991231), "33" the
    // loan of the given date.
    const bool longCondition = m_longCreditCondition.load() != 0;
    args.note = longCondition ? L"99" : L"33";
    args.orderCondition = longCondition ? L"99991231" : Utf8ToWide(StrPrintf("%08d", orderNumber));
  }
  args.flags = kOrderFlagSound | kOrderFlagHistory;
  args.intValue = intValue;

  TradeOrderResult_s result;
  const int code = SendTradeOrder(curl, args, &result);
  if (out) *out = result;
  if (code == kOrderNoStock || code == kOrderRefused) return code;

  const std::wstring notice =
      Utf8ToWide(StrPrintf("%s : %.0f x %.0f = %.0f\r\n주문 : %.0f / 잔량 : %.0f",
                           side == kSideBuy ? "주문-매수" : "주문-매도", price, qty, price * qty,
                           qty, result.remaining));
  if (m_noticesOn.load() != 0 && m_window)
    m_window->NotifyHost(kHostLogKind, 0, L"주문", notice.c_str());
  if (outNotice) *outNotice = notice;
  return code;
}

// ---------------------------------------------------------------------------------------
// Open orders: a sale the broker placed, or one whose outcome is unknown, holds its holding
// until a balance read begun a settle time later shows what the broker did.

void CPelomarEngine::RecordOpenOrder(const OpenOrder_s& order) {
  OpenOrder_s kept = order;
  {
    CSingleLock lock(&m_viewLock, TRUE);
    auto found = m_openOrders.find(order.key);
    if (found != m_openOrders.end()) {
      // Still open from before: the balance must show both orders.
      kept.quantity += found->second.quantity;
      kept.heldBefore = found->second.heldBefore;
      kept.sentMs = std::max(kept.sentMs, found->second.sentMs);
      kept.unknown = kept.unknown || found->second.unknown;
    }
    m_openOrders[order.key] = kept;
  }
  StoreOpenOrder(kept);
  if (order.unknown) {
    LogAppKind(
        kOrderLogKind,
        Utf8ToWide(StrPrintf(UserText("▶ 주문 결과 미확인 [%s] %.0f주: 잔고 확인 전까지 보류\n",
                                      "▶ Order outcome unknown [%s] %.0f shares: held "
                                      "until the balance settles it\n"),
                             order.code.c_str(), order.quantity)));
  }
}

std::map<std::string, uint32_t> CPelomarEngine::OpenOrderPasses() {
  std::map<std::string, uint32_t> passes;
  CSingleLock lock(&m_viewLock, TRUE);
  if (m_openOrders.empty()) return passes;
  for (const auto& entry : m_stocks.Holdings()) {
    const std::string key = OpenOrderKey(*entry.first);
    if (m_openOrders.count(key)) passes[key] = entry.first->balance_pass;
  }
  return passes;
}

int CPelomarEngine::SettleOpenOrders(int64_t readStartMs,
                                     const std::map<std::string, uint32_t>& passesBefore) {
  struct Settled {
    OpenOrder_s order;
    double held;
  };
  std::vector<Settled> settled;
  {
    CSingleLock lock(&m_viewLock, TRUE);
    if (m_openOrders.empty()) return 0;
    std::map<std::string, StockTrade_s*> byKey;
    for (const auto& entry : m_stocks.Holdings()) byKey[OpenOrderKey(*entry.first)] = entry.first;
    for (auto it = m_openOrders.begin(); it != m_openOrders.end();) {
      OpenOrder_s& open = it->second;
      if (readStartMs < open.sentMs + kOrderSettleMs) {
        ++it;
        continue;
      }
      // The read settles the order when it named the holding or dropped it; a holding it did
      // not refresh (its balance request failed) still shows the old quantity.
      auto holding = byKey.find(open.key);
      if (holding != byKey.end()) {
        auto before = passesBefore.find(open.key);
        if (before != passesBefore.end() && before->second == holding->second->balance_pass) {
          open.settleAsked = false;  // ask again when the next quotes find it due
          ++it;
          continue;
        }
      }
      const double held = holding != byKey.end() ? holding->second->quantity : 0;
      if (holding != byKey.end()) holding->second->sold_out = held <= 0 ? 1 : 0;
      settled.push_back({open, held});
      it = m_openOrders.erase(it);
    }
  }
  for (const Settled& done : settled) {
    DeleteStoredOpenOrder(done.order.key);
    LogAppKind(
        kOrderLogKind,
        Utf8ToWide(StrPrintf(
            UserText("▶ 주문 확인 [%s] 주문 %.0f주, 주문 전 %.0f주 → 잔고 %.0f주\n",
                     "▶ Order settled [%s] ordered %.0f, held %.0f before "
                     "-> %.0f in the balance\n"),
            done.order.code.c_str(), done.order.quantity, done.order.heldBefore, done.held)));
  }
  return static_cast<int>(settled.size());
}

bool CPelomarEngine::HoldingHasOpenOrder(const StockTrade_s& holding, bool askSettle) {
  CSingleLock lock(&m_viewLock, TRUE);
  if (m_openOrders.empty()) return false;
  auto found = m_openOrders.find(OpenOrderKey(holding));
  if (found == m_openOrders.end()) return false;
  OpenOrder_s& open = found->second;
  if (askSettle && !open.settleAsked && WallClockMs() >= open.sentMs + kOrderSettleMs) {
    open.settleAsked = true;
    SetWorkEvent(EngineWorker::kAccount);
  }
  return true;
}
