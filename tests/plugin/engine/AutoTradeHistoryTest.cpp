// The importer of the server's automatic-trade history into WX_STOCK_ORDER_A.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <ctime>
#include <map>
#include <string>

#include "plugin/view/engine/AutoTradeHistory.h"

namespace {

time_t LocalTime(int year, int month, int day) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

std::string Record(const std::string& code, const std::string& date, const std::string& buy,
                   const std::string& sell, int side, const std::string& eqName = "급등",
                   bool withEq = true) {
  std::string r = "{\"nth\":\"1\",\"code\":\"" + code + "\",\"title\":\"x\",\"date\":\"" + date +
                  "\",\"buy-price\":\"" + buy + "\",\"sell-price\":\"" + sell + "\",";
  if (withEq) r += "\"eq-idx\":\"7\",";
  r += "\"eq-name\":\"" + eqName + "\",\"buy-or-sell\":\"" + std::to_string(side) + "\"}";
  return r;
}

class AutoTradeHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK); }
  void TearDown() override { sqlite3_close(db_); }

  AutoTradeImport_s Import(const std::string& text, bool pair = true) {
    return ImportAutoTradeHistory(db_, text, pair, 77, lookup_, &conditions_, now_);
  }
  // One column of the rows of a code and side, as text ("" for null).
  std::string Column(const char* column, const char* code, int side) {
    const std::string sql = std::string("SELECT ") + column +
                            " FROM WX_STOCK_ORDER_A WHERE code=? AND buy_or_sell=? ORDER BY rowid";
    sqlite3_stmt* s = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr), SQLITE_OK);
    sqlite3_bind_text(s, 1, code, -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(s, 2, side);
    std::string out;
    bool first = true;
    while (sqlite3_step(s) == SQLITE_ROW) {
      const unsigned char* text = sqlite3_column_text(s, 0);
      if (!first) out += "|";
      first = false;
      out += text ? reinterpret_cast<const char*>(text) : "";
    }
    sqlite3_finalize(s);
    return out;
  }
  int Rows() {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db_, "SELECT count(*) FROM WX_STOCK_ORDER_A", -1, &s, nullptr);
    const int n = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int(s, 0) : -1;
    sqlite3_finalize(s);
    return n;
  }

  sqlite3* db_ = nullptr;
  time_t now_ = LocalTime(2024, 3, 11);
  std::map<int, std::wstring> conditions_{{7, L"급등"}};
  HistoryStockLookup lookup_ = [](const std::string& code, HistoryStock_s* out) {
    static const std::map<std::string, HistoryStock_s> listed = {
        {"005930", {L"삼성전자", 71000}}, {"000001", {L"Tom's \"Co\"", 1000}}};
    auto found = listed.find(code);
    if (found == listed.end()) return false;
    *out = found->second;
    return true;
  };
};

TEST_F(AutoTradeHistoryTest, ASaleIsPairedWithItsBuy) {
  const AutoTradeImport_s done = Import(Record("005930", "2024-03-01", "70000", "0", 1) +
                                        Record("005930", "2024-03-04", "0", "77000", 2));
  EXPECT_EQ(done.inserted, 2);
  EXPECT_EQ(done.paired, 1);
  EXPECT_EQ(Column("is_sold", "005930", 1), "3");
  EXPECT_EQ(Column("sell_price", "005930", 1), "77000.0");
  EXPECT_EQ(Column("profit_rate", "005930", 1), "10.0");
  EXPECT_EQ(Column("keep_days", "005930", 1), "4");
  EXPECT_EQ(Column("spent_days", "005930", 1), "11");
  EXPECT_EQ(Column("sell_date", "005930", 1), "2024-03-04");
  EXPECT_EQ(Column("buy_date", "005930", 2), "");
  EXPECT_EQ(Column("title", "005930", 2), "삼성전자");
  EXPECT_EQ(Column("cur_price", "005930", 2), "71000.0");
}

TEST_F(AutoTradeHistoryTest, BadRecordsAreSkippedAndValuesAreBound) {
  const std::string injected = "a'); DROP TABLE WX_STOCK_ORDER_A;--";
  const AutoTradeImport_s done = Import(
      Record("005930", "2024-03-01", "70000", "0", 1, "x", false) +  // no eq-idx
      Record("999999", "2024-03-01", "70000", "0", 1) +              // not listed
      Record("005930", "2024-03-01", "7e", "0", 1) +                 // not a price
      Record("005930", "2024-13-45", "70000", "0", 1) +              // not a date
      "{\"nth\":\"9\",\"code\":\"005930\"" + std::string(2100, ' ') + "}" +  // too long
      Record("000001", "2024-03-02", "1000", "0", 1, injected));
  EXPECT_EQ(done.inserted, 1);
  EXPECT_EQ(done.skipped, 5);
  EXPECT_EQ(Rows(), 1);
  // A quote in the stock's name and in the condition's name is stored as it is.
  EXPECT_EQ(Column("title", "000001", 1), "Tom's \"Co\"");
  EXPECT_EQ(Column("auto_eq_name", "000001", 1), injected);
}

TEST_F(AutoTradeHistoryTest, OnlySalesArePairedAndOnlyWithABoughtPrice) {
  // A buy at price 0 is no partner; a later buy does not touch the earlier buy.
  Import(Record("005930", "2024-03-01", "0", "0", 1) + Record("005930", "2024-03-02", "70000", "0", 1));
  EXPECT_EQ(Column("is_sold", "005930", 1), "1|1");
  AutoTradeImport_s done = Import(Record("005930", "2024-02-01", "0", "75000", 2));
  EXPECT_EQ(done.paired, 0);  // no buy on or before the sale
  done = Import(Record("005930", "2024-03-05", "0", "63000", 2));
  EXPECT_EQ(done.paired, 1);
  EXPECT_EQ(Column("is_sold", "005930", 1), "1|3");
  EXPECT_EQ(Column("profit_rate", "005930", 1), "|-10.0");
  // An unknown condition is logged.
  conditions_.clear();
  done = Import(Record("005930", "2024-03-06", "70000", "0", 1, "새조건"));
  EXPECT_EQ(done.missingConditions, "7(새조건) eq is null (code 005930)\r\n");
}

TEST(AutoTradeRecordsTest, RecordsAreCutAtTheirStartAndEnd) {
  int tooLong = 0;
  EXPECT_EQ(CutAutoTradeRecords("{\"nth\":\"1\",\"code\":\"A\"}{\"nth\":\"2\"", &tooLong).size(),
            2u);
  EXPECT_EQ(CutAutoTradeRecords("no record start at all").size(), 1u);
  EXPECT_EQ(CutAutoTradeRecords("").size(), 0u);
  const AutoTradeRecord_s r = ReadAutoTradeRecord("\"code\":\"A1\",\"eq-name\":\"x");
  EXPECT_EQ(r.code, "A1");
  EXPECT_EQ(r.eqName, "");  // no closing quote
}

}  // namespace
