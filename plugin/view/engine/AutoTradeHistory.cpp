#include "plugin/view/engine/AutoTradeHistory.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/support/DateUtil.h"
#include "platform/support/TextConv.h"

namespace {

constexpr std::string_view kRecordStart = "{\"nth\":";
constexpr int64_t kDaySeconds = 86400;

struct StmtDeleter {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, StmtDeleter>;

Stmt Prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK) {
    sqlite3_finalize(s);
    return nullptr;
  }
  return Stmt(s);
}

std::string Value(std::string_view record, const char* key) {
  const std::string needle = std::string("\"") + key + "\":";
  const size_t at = record.find(needle);
  if (at == std::string_view::npos) return {};
  const size_t open = record.find('"', at + needle.size());
  if (open == std::string_view::npos) return {};
  const size_t close = record.find('"', open + 1);
  if (close == std::string_view::npos) return {};
  return std::string(record.substr(open + 1, close - open - 1));
}

// A whole decimal number; false for anything else.
bool ReadInt(const std::string& text, int* out) {
  if (text.empty() || text.size() > 10) return false;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0') return false;
  *out = static_cast<int>(value);
  return true;
}

// A price: a finite number of at least 0 (an empty text is 0).
bool ReadPrice(const std::string& text, double* out) {
  if (text.empty()) {
    *out = 0;
    return true;
  }
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (*end != '\0' || !std::isfinite(value) || value < 0) return false;
  *out = value;
  return true;
}

// The calendar time of a date text (local time); false when it cannot be read.
bool ReadDate(const std::string& text, SYSTEMTIME* date, time_t* when) {
  SYSTEMTIME t{};
  if (text.empty() || text.size() > 40 || !Str2UniDateTimeA(text.c_str(), &t)) return false;
  if (t.wYear < 1970 || t.wMonth < 1 || t.wMonth > 12 || t.wDay < 1 || t.wDay > 31) return false;
  std::tm tm{};
  tm.tm_year = t.wYear - 1900;
  tm.tm_mon = t.wMonth - 1;
  tm.tm_mday = t.wDay;
  tm.tm_hour = t.wHour;
  tm.tm_min = t.wMinute;
  tm.tm_sec = t.wSecond;
  tm.tm_isdst = -1;
  const time_t made = std::mktime(&tm);
  if (made == static_cast<time_t>(-1)) return false;
  *date = t;
  *when = made;
  return true;
}

int WholeDays(time_t from, time_t to) {
  return static_cast<int>((static_cast<int64_t>(to) - static_cast<int64_t>(from)) / kDaySeconds);
}

void BindText(sqlite3_stmt* s, int index, const std::string& text) {
  sqlite3_bind_text(s, index, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

}  // namespace

std::vector<std::string_view> CutAutoTradeRecords(std::string_view text, int* tooLong) {
  std::vector<std::string_view> records;
  int longOnes = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t start = text.find(kRecordStart, pos);
    size_t begin, end;
    if (start == std::string_view::npos) {
      begin = pos;
      end = text.size();
    } else {
      begin = start + kRecordStart.size();
      const size_t close = text.find('}', begin);
      end = close == std::string_view::npos ? text.size() : close;
    }
    if (end - begin > kAutoTradeRecordMax)
      ++longOnes;
    else if (end > begin)
      records.push_back(text.substr(begin, end - begin));
    if (start == std::string_view::npos) break;
    pos = end + 1;
  }
  if (tooLong) *tooLong = longOnes;
  return records;
}

AutoTradeRecord_s ReadAutoTradeRecord(std::string_view record) {
  AutoTradeRecord_s r;
  r.code = Value(record, "code");
  r.title = Value(record, "title");
  r.date = Value(record, "date");
  r.buyPrice = Value(record, "buy-price");
  r.sellPrice = Value(record, "sell-price");
  r.eqIdx = Value(record, "eq-idx");
  r.eqName = Value(record, "eq-name");
  r.buyOrSell = Value(record, "buy-or-sell");
  return r;
}

bool EnsureAutoTradeTable(sqlite3* db) {
  return db && sqlite3_exec(db,
                            "CREATE TABLE IF NOT EXISTS WX_STOCK_ORDER_A (idx INTEGER, base_year "
                            "INTEGER, base_date TEXT, code TEXT, title TEXT, user_idx INTEGER, "
                            "buy_price REAL, sell_price REAL, is_auto_trade INTEGER, buy_or_sell "
                            "INTEGER, auto_eq_idx INTEGER, auto_eq_name TEXT, buy_date TEXT, "
                            "sell_date TEXT, keep_days INTEGER, spent_days INTEGER, is_sold "
                            "INTEGER, cur_price REAL, profit_rate REAL, reg_date DATETIME "
                            "DEFAULT CURRENT_TIMESTAMP)",
                            nullptr, nullptr, nullptr) == SQLITE_OK;
}

AutoTradeImport_s ImportAutoTradeHistory(sqlite3* db, std::string_view text, bool pairSales,
                                         int userIdx, const HistoryStockLookup& lookup,
                                         const std::map<int, std::wstring>* conditions,
                                         time_t now) {
  AutoTradeImport_s result;
  if (!db || text.empty() || now < 0 || !EnsureAutoTradeTable(db)) return result;
  Stmt insert = Prepare(
      db,
      "INSERT INTO WX_STOCK_ORDER_A (idx, base_year, base_date, code, title, user_idx, "
      "buy_price, sell_price, is_auto_trade, buy_or_sell, auto_eq_idx, auto_eq_name, buy_date, "
      "sell_date, keep_days, spent_days, is_sold, cur_price) "
      "VALUES (?,?,?,?,?,?,?,?,1,?,?,?,?,?,0,?,?,?)");
  Stmt findBuy = Prepare(
      db,
      "SELECT rowid, buy_date, buy_price FROM WX_STOCK_ORDER_A WHERE user_idx=? AND code=? AND "
      "is_auto_trade=1 AND buy_or_sell=1 AND buy_price > 0 AND buy_date<=? "
      "ORDER BY reg_date DESC, rowid DESC LIMIT 1");
  Stmt update = Prepare(
      db,
      "UPDATE WX_STOCK_ORDER_A SET cur_price=?, sell_price=?, profit_rate=?, is_sold=3, "
      "sell_date=?, keep_days=?, spent_days=? WHERE rowid=? AND user_idx=? AND code=?");
  if (!insert || !findBuy || !update) return result;

  int counter = 0;
  int tooLong = 0;
  for (std::string_view raw : CutAutoTradeRecords(text, &tooLong)) {
    const AutoTradeRecord_s r = ReadAutoTradeRecord(raw);
    int eqIdx = 0, side = 0;
    HistoryStock_s stock;
    SYSTEMTIME date{};
    time_t when = 0;
    double buyPrice = 0, sellPrice = 0;
    if (r.code.empty() || r.date.empty() || !ReadInt(r.eqIdx, &eqIdx) ||
        !(lookup && lookup(r.code, &stock)) || !ReadDate(r.date, &date, &when) ||
        !ReadPrice(r.buyPrice, &buyPrice) || !ReadPrice(r.sellPrice, &sellPrice)) {
      ++result.skipped;
      continue;
    }
    if (!ReadInt(r.buyOrSell, &side)) side = 0;
    ++result.perCondition[eqIdx];
    if (conditions && conditions->find(eqIdx) == conditions->end()) {
      char line[512];
      std::snprintf(line, sizeof line, "%d(%s) eq is null (code %s)\r\n", eqIdx,
                    r.eqName.c_str(), r.code.c_str());
      result.missingConditions += line;
    }
    const bool buy = side == 1;
    const int spentDays = buy ? WholeDays(when, now) + 1 : 0;
    ++counter;
    sqlite3_stmt* s = insert.get();
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    sqlite3_bind_int(s, 1, counter);
    sqlite3_bind_int(s, 2, date.wYear);
    BindText(s, 3, r.date);
    BindText(s, 4, r.code);
    BindText(s, 5, WideToUtf8(stock.name));
    sqlite3_bind_int(s, 6, userIdx);
    sqlite3_bind_double(s, 7, buyPrice);
    sqlite3_bind_double(s, 8, sellPrice);
    sqlite3_bind_int(s, 9, side);
    sqlite3_bind_int(s, 10, eqIdx);
    BindText(s, 11, r.eqName);
    if (buy) {
      BindText(s, 12, r.date);
      sqlite3_bind_null(s, 13);
    } else {
      sqlite3_bind_null(s, 12);
      BindText(s, 13, r.date);
    }
    sqlite3_bind_int(s, 14, spentDays);
    sqlite3_bind_int(s, 15, side);
    sqlite3_bind_double(s, 16, stock.curPrice);
    if (sqlite3_step(s) != SQLITE_DONE) {
      ++result.skipped;
      continue;
    }
    ++result.inserted;
    if (!pairSales || buy) continue;

    // The sale's buy: the latest automatic buy of the code on or before the sale.
    sqlite3_stmt* f = findBuy.get();
    sqlite3_reset(f);
    sqlite3_bind_int(f, 1, userIdx);
    BindText(f, 2, r.code);
    BindText(f, 3, r.date);
    if (sqlite3_step(f) != SQLITE_ROW) continue;
    // The row itself: the record numbers start again with every import.
    const sqlite3_int64 buyRow = sqlite3_column_int64(f, 0);
    const unsigned char* buyDateText = sqlite3_column_text(f, 1);
    const double boughtAt = sqlite3_column_double(f, 2);
    SYSTEMTIME buyDate{};
    time_t buyWhen = 0;
    if (!buyDateText ||
        !ReadDate(reinterpret_cast<const char*>(buyDateText), &buyDate, &buyWhen))
      continue;
    const double rate =
        sellPrice > 0 && boughtAt > 0 ? (sellPrice - boughtAt) / boughtAt * 100.0 : 0.0;
    sqlite3_stmt* u = update.get();
    sqlite3_reset(u);
    sqlite3_bind_double(u, 1, stock.curPrice);
    sqlite3_bind_double(u, 2, sellPrice);
    sqlite3_bind_double(u, 3, rate);
    BindText(u, 4, r.date);
    sqlite3_bind_int(u, 5, WholeDays(buyWhen, when) + 1);
    sqlite3_bind_int(u, 6, WholeDays(buyWhen, now) + 1);
    sqlite3_bind_int64(u, 7, buyRow);
    sqlite3_bind_int(u, 8, userIdx);
    BindText(u, 9, r.code);
    if (sqlite3_step(u) == SQLITE_DONE && sqlite3_changes(db) > 0) ++result.paired;
  }
  result.skipped += tooLong;
  return result;
}
