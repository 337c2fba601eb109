#pragma once
// The importer of the user's automatic trades as the product's web server records them: a run
// of objects, each beginning with {"nth": and ending at the next '}', whose values are quoted
// texts ("code", "title", "date", "buy-price", "sell-price", "eq-idx", "eq-name",
// "buy-or-sell"). Each listed stock's trade becomes a row of WX_STOCK_ORDER_A (created when
// missing); with pairing on, a sale is paired with the latest automatic buy of its code before
// it, which then carries the sale price, its profit rate and the days held.

#include <ctime>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

// A record holds at most this many characters; a longer one is skipped whole.
constexpr size_t kAutoTradeRecordMax = 1999;

struct AutoTradeRecord_s {
  std::string code, title, date, buyPrice, sellPrice, eqIdx, eqName, buyOrSell;
};

// The records of a text, each the text after {"nth": up to the next '}' (the rest of the text
// when none follows; the whole text when it holds no record start). Records longer than
// kAutoTradeRecordMax are left out and counted in *tooLong (when given).
std::vector<std::string_view> CutAutoTradeRecords(std::string_view text, int* tooLong = nullptr);
// The value of each key: the text between the double quotes after "<key>": (empty when absent).
AutoTradeRecord_s ReadAutoTradeRecord(std::string_view record);

// What the importer needs of a listed stock of the domestic market.
struct HistoryStock_s {
  std::wstring name;
  double curPrice = 0;
};
using HistoryStockLookup = std::function<bool(const std::string& code, HistoryStock_s* out)>;

struct AutoTradeImport_s {
  int inserted = 0;
  int paired = 0;
  int skipped = 0;
  // Per condition number, the records imported.
  std::map<int, int> perCondition;
  // "%d(%s) eq is null (code %s)\r\n" for each record whose condition is not known.
  std::string missingConditions;
};

// Creates WX_STOCK_ORDER_A when missing; false when it cannot.
bool EnsureAutoTradeTable(sqlite3* db);

// Imports the text into the table for the user (statements prepared, values bound). A record
// is skipped when it lacks code, date or condition number, when its code is not listed, when
// its date cannot be read, or when a price is not a number. Only sale records are paired.
// `conditions` (may be null) names the known condition numbers. Answers what was done; a
// failed insert skips the record and its pairing.
AutoTradeImport_s ImportAutoTradeHistory(sqlite3* db, std::string_view text, bool pairSales,
                                         int userIdx, const HistoryStockLookup& lookup,
                                         const std::map<int, std::wstring>* conditions,
                                         time_t now);
