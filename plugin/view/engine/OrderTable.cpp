// The plug-in's order table WX_STOCK_ORDER in the host's "data.db": one row per recorded
// order with its profit figures. The engine keeps its own connection; every value is bound.

#include <sqlite3.h>

#include <cstring>

#include "platform/support/DatabaseCheck.h"
#include "platform/support/TextConv.h"
#include "platform/win/Clock.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "plugin/view/engine/TextFormat.h"
#include "shared/LoginInfo.h"

namespace {

// The log kind of the application log and of the host's notice for an order not recorded.
constexpr DWORD kErrorLogKind = 4;

constexpr const char* kCreateOrderTable =
    "CREATE TABLE IF NOT EXISTS WX_STOCK_ORDER (idx INTEGER PRIMARY KEY, base_year INTEGER, "
    "base_date TEXT, code TEXT, user_idx INTEGER, comment TEXT, buy_cnt REAL, sell_cnt REAL, "
    "reg_date TEXT, mod_date TEXT, invest_money REAL, profit_money REAL, profit_rate REAL, "
    "cut_profit_rate REAL, min_profit_rate REAL, ps_rate_gap REAL, ext_rate_gap REAL, "
    "is_finished INTEGER, buy_price REAL, buy_price_avg REAL, sell_price REAL, "
    "is_simulation INTEGER, is_auto_trade INTEGER, req_total_cnt REAL, req_nth INTEGER, "
    "is_credit_loan INTEGER, buy_or_sell INTEGER, auto_eq_idx INTEGER, auto_eq_name TEXT)";

constexpr const char* kInsertOrder =
    "INSERT INTO WX_STOCK_ORDER (idx, base_year, base_date, code, user_idx, comment, buy_cnt, "
    "sell_cnt, reg_date, mod_date, invest_money, profit_money, profit_rate, cut_profit_rate, "
    "min_profit_rate, ps_rate_gap, ext_rate_gap, is_finished, buy_price, buy_price_avg, "
    "sell_price, is_simulation, is_auto_trade, req_total_cnt, req_nth, is_credit_loan, "
    "buy_or_sell, auto_eq_idx, auto_eq_name) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
    "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";

constexpr const char* kSelectOrders =
    "SELECT idx, base_date, code, buy_cnt, sell_cnt, invest_money, profit_money, profit_rate, "
    "buy_price, sell_price, is_simulation, is_auto_trade, is_credit_loan, buy_or_sell FROM "
    "WX_STOCK_ORDER";

// Orders the broker's balance has not settled yet, one per holding: a restart reads them
// back, so no new order for the holding goes out before the balance settles them.
constexpr const char* kCreateOpenTable =
    "CREATE TABLE IF NOT EXISTS WX_STOCK_ORDER_OPEN (order_key TEXT PRIMARY KEY, code TEXT, "
    "buy_or_sell INTEGER, order_cnt REAL, held_cnt REAL, is_unknown INTEGER, sent_ms INTEGER, "
    "order_no TEXT)";
constexpr const char* kSaveOpen =
    "INSERT OR REPLACE INTO WX_STOCK_ORDER_OPEN (order_key, code, buy_or_sell, order_cnt, "
    "held_cnt, is_unknown, sent_ms, order_no) VALUES (?, ?, ?, ?, ?, ?, ?, ?)";
constexpr const char* kDeleteOpen = "DELETE FROM WX_STOCK_ORDER_OPEN WHERE order_key = ?";
constexpr const char* kSelectOpen =
    "SELECT order_key, code, buy_or_sell, order_cnt, held_cnt, is_unknown, sent_ms, order_no "
    "FROM WX_STOCK_ORDER_OPEN";

// A prepared statement that finalizes itself.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) {
    if (sqlite3_prepare_v2(db, sql, -1, &st_, nullptr) != SQLITE_OK) st_ = nullptr;
  }
  ~Statement() { sqlite3_finalize(st_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  sqlite3_stmt* get() const { return st_; }

 private:
  sqlite3_stmt* st_ = nullptr;
};

// Copies a column's text into a fixed buffer, cut to fit, always terminated.
void CopyColumnText(sqlite3_stmt* st, int column, char* out, size_t size) {
  const unsigned char* text = sqlite3_column_text(st, column);
  out[0] = 0;
  if (!text) return;
  std::strncpy(out, reinterpret_cast<const char*>(text), size - 1);
  out[size - 1] = 0;
}

}  // namespace

int CPelomarEngine::OpenDataDb(const std::string& utf8Path, std::string* problem) {
  if (m_dataDb) return 1;
  sqlite3* db = nullptr;
  const auto fail = [&](const std::string& why) {
    if (problem) *problem = why;
    sqlite3_close(db);
    return 0;
  };
  if (sqlite3_open_v2(utf8Path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
      SQLITE_OK) {
    return fail(db ? sqlite3_errmsg(db) : "cannot open");
  }
  sqlite3_busy_timeout(db, 2000);
  // A damaged file opens without complaint: it is checked before orders are trusted to it.
  std::string damage;
  if (!DatabaseIsIntact(db, &damage)) return fail(damage);
  sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
  sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
  if (sqlite3_exec(db, kCreateOrderTable, nullptr, nullptr, nullptr) != SQLITE_OK ||
      sqlite3_exec(db, kCreateOpenTable, nullptr, nullptr, nullptr) != SQLITE_OK) {
    return fail(sqlite3_errmsg(db));
  }
  m_dataDb = db;
  LoadOpenOrders();
  return 1;
}

void CPelomarEngine::StoreOpenOrder(const OpenOrder_s& order) {
  if (!m_dataDb) return;
  Statement save(m_dataDb, kSaveOpen);
  sqlite3_stmt* st = save.get();
  if (!st) return;
  sqlite3_bind_text(st, 1, order.key.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(st, 2, order.code.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_int(st, 3, order.side);
  sqlite3_bind_double(st, 4, order.quantity);
  sqlite3_bind_double(st, 5, order.heldBefore);
  sqlite3_bind_int(st, 6, order.unknown);
  sqlite3_bind_int64(st, 7, order.sentMs);
  sqlite3_bind_text(st, 8, order.orderNo.c_str(), -1, SQLITE_TRANSIENT);
  if (sqlite3_step(st) != SQLITE_DONE)
    LogAppKind(4, Utf8ToWide(StrPrintf("미확인 주문 저장 실패 [%s]: %s", order.code.c_str(),
                                       sqlite3_errmsg(m_dataDb))));
}

void CPelomarEngine::DeleteStoredOpenOrder(const std::string& key) {
  if (!m_dataDb) return;
  Statement remove(m_dataDb, kDeleteOpen);
  if (!remove.get()) return;
  sqlite3_bind_text(remove.get(), 1, key.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_step(remove.get());
}

int CPelomarEngine::LoadOpenOrders() {
  Statement select(m_dataDb, kSelectOpen);
  sqlite3_stmt* st = select.get();
  if (!st) return 0;
  std::vector<OpenOrder_s> read;
  while (sqlite3_step(st) == SQLITE_ROW) {
    OpenOrder_s order;
    const unsigned char* key = sqlite3_column_text(st, 0);
    const unsigned char* code = sqlite3_column_text(st, 1);
    const unsigned char* orderNo = sqlite3_column_text(st, 7);
    if (!key) continue;
    order.key = reinterpret_cast<const char*>(key);
    order.code = code ? reinterpret_cast<const char*>(code) : "";
    order.side = sqlite3_column_int(st, 2);
    order.quantity = sqlite3_column_double(st, 3);
    order.heldBefore = sqlite3_column_double(st, 4);
    order.unknown = sqlite3_column_int(st, 5);
    order.sentMs = sqlite3_column_int64(st, 6);
    order.orderNo = orderNo ? reinterpret_cast<const char*>(orderNo) : "";
    read.push_back(order);
  }
  orv::win::CSingleLock lock(&m_viewLock, TRUE);
  for (const OpenOrder_s& order : read) m_openOrders[order.key] = order;
  return static_cast<int>(read.size());
}

void CPelomarEngine::ReportUnrecordedOrder(const StockOrderInsert_s& order,
                                           const std::string& why) {
  m_unrecordedOrders.fetch_add(1);
  const std::wstring text = Utf8ToWide(StrPrintf(
      "주문이 주문 DB(data.db)에 기록되지 않았습니다: %s %s %.0f x %.0f\n(%s)", order.code.c_str(),
      order.buyOrSell == 1 ? "매수" : "매도", order.price, order.quantity, why.c_str()));
  LogAppKind(kErrorLogKind, text);
  if (m_window) m_window->NotifyHost(kErrorLogKind, 0, L"주문 기록 실패", text.c_str());
}

int CPelomarEngine::InsertStockOrder(const StockOrderInsert_s& order) {
  if (!m_dataDb) {
    ReportUnrecordedOrder(order, "the order database is not open");
    return 0;
  }
  int idx = 1;
  {
    Statement max(m_dataDb, "SELECT MAX(idx) FROM WX_STOCK_ORDER");
    if (max.get() && sqlite3_step(max.get()) == SQLITE_ROW &&
        sqlite3_column_type(max.get(), 0) != SQLITE_NULL)
      idx = sqlite3_column_int(max.get(), 0) + 1;
  }
  SYSTEMTIME now;
  orv::win::GetLocalTime(&now);
  const std::string date = StrPrintf("%04d-%02d-%02d", now.wYear, now.wMonth, now.wDay);
  const std::string stamp =
      StrPrintf("%s %02d:%02d:%02d", date.c_str(), now.wHour, now.wMinute, now.wSecond);
  const bool buy = order.buyOrSell == 1;
  const double qty = order.quantity;

  Statement insert(m_dataDb, kInsertOrder);
  sqlite3_stmt* st = insert.get();
  if (!st) {
    ReportUnrecordedOrder(order, sqlite3_errmsg(m_dataDb));
    return 0;
  }
  int n = 0;
  const auto Int = [&](int v) { sqlite3_bind_int(st, ++n, v); };
  const auto Real = [&](double v) { sqlite3_bind_double(st, ++n, v); };
  const auto Text = [&](const std::string& v) {
    sqlite3_bind_text(st, ++n, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
  };
  Int(idx);
  Int(now.wYear);
  Text(date);
  Text(order.code);
  Int(m_loginInfo ? m_loginInfo->nUserIdx : 0);
  Text("");
  Real(buy ? qty : 0);
  Real(buy ? 0 : qty);
  Text(stamp);
  Text(stamp);
  Real(buy ? order.price * qty : 0);
  Real(order.profitMoney);
  Real(order.profitRate);
  Real(order.cutProfitRate);
  Real(order.minProfitRate);
  Real(order.rateGap);
  Real(m_option.step_margin);
  Int(0);
  Real(buy ? order.price : order.avgBuyPrice);
  Real(order.avgBuyPrice);
  Real(buy ? 0 : order.price);
  Int(order.simulation);
  Int(order.autoTrade);
  Real(order.requestedTotal);
  Int(order.nth);
  Int(order.creditFlag);
  Int(order.buyOrSell);
  Int(order.ruleIndex);
  Text(order.ruleName);
  if (sqlite3_step(st) != SQLITE_DONE) {
    ReportUnrecordedOrder(order, sqlite3_errmsg(m_dataDb));
    return 0;
  }
  return idx;
}

int CPelomarEngine::ReadStockOrders(std::vector<StockOrderRecord_s>* out) {
  if (!m_dataDb || !out) return 0;
  Statement select(m_dataDb, kSelectOrders);
  sqlite3_stmt* st = select.get();
  if (!st) return 0;
  int count = 0;
  while (sqlite3_step(st) == SQLITE_ROW) {
    StockOrderRecord_s record;
    record.idx = sqlite3_column_int(st, 0);
    CopyColumnText(st, 1, record.base_date, sizeof record.base_date);
    CopyColumnText(st, 2, record.code, sizeof record.code);
    record.buy_cnt = sqlite3_column_double(st, 3);
    record.sell_cnt = sqlite3_column_double(st, 4);
    record.invest_money = sqlite3_column_double(st, 5);
    record.profit_money = sqlite3_column_double(st, 6);
    record.profit_rate = sqlite3_column_double(st, 7);
    record.buy_price = sqlite3_column_double(st, 8);
    record.sell_price = sqlite3_column_double(st, 9);
    record.is_simulation = sqlite3_column_int(st, 10);
    record.is_auto_trade = sqlite3_column_int(st, 11);
    record.is_credit_loan = sqlite3_column_int(st, 12);
    record.buy_or_sell = sqlite3_column_int(st, 13);
    out->push_back(record);
    ++count;
  }
  return count;
}
