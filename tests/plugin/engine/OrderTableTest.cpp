// The order table WX_STOCK_ORDER in a temporary "data.db": created when missing with its 29
// columns, rows recorded with bound values and read back.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "platform/win/Clock.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "shared/LoginInfo.h"
#include "tests/plugin/engine/EngineTestSupport.h"

namespace {

class OrderTable : public ::testing::Test {
 protected:
  OrderTable() : clock_(5000), scoped_(clock_), engine_(nullptr) {
    login_.nUserIdx = 42;
    engine_.SetLoginInfo(&login_);
    clock_.SetLocalTime(LocalTime(2025, 3, 4, 10, 11, 12));
  }
  std::string DbPath() const { return folder_.Path() + "data.db"; }

  TempDataFolder folder_;
  orv::win::FakeClock clock_;
  orv::win::ScopedClock scoped_;
  login_info_s login_;
  CPelomarEngine engine_;
};

TEST_F(OrderTable, WithoutAConnectionNothingIsRecorded) {
  StockOrderInsert_s order;
  EXPECT_EQ(engine_.InsertStockOrder(order), 0);
  std::vector<StockOrderRecord_s> rows;
  EXPECT_EQ(engine_.ReadStockOrders(&rows), 0);
}

TEST_F(OrderTable, CreatesTheTableAndRecordsBuysAndSellsWithBoundValues) {
  ASSERT_EQ(engine_.OpenDataDb(DbPath()), 1);
  int columns = 0;
  sqlite3_exec(
      engine_.DataDb(), "PRAGMA table_info(WX_STOCK_ORDER)",
      [](void* n, int, char**, char**) {
        ++*static_cast<int*>(n);
        return 0;
      },
      &columns, nullptr);
  EXPECT_EQ(columns, 29);

  StockOrderInsert_s buy;
  buy.buyOrSell = 1;
  buy.code = "005930";
  buy.price = 61000;
  buy.quantity = 3;
  buy.autoTrade = 1;
  buy.ruleName = "봉's 규칙";  // a quote stays intact
  EXPECT_EQ(engine_.InsertStockOrder(buy), 1);

  StockOrderInsert_s sell;
  sell.buyOrSell = 2;
  sell.code = "A'B";
  sell.price = 0;
  sell.quantity = 2;
  sell.avgBuyPrice = 0;
  sell.profitRate = -1.25;
  sell.simulation = 1;
  sell.creditFlag = 1;
  EXPECT_EQ(engine_.InsertStockOrder(sell), 2);

  std::vector<StockOrderRecord_s> rows;
  ASSERT_EQ(engine_.ReadStockOrders(&rows), 2);
  EXPECT_EQ(rows[0].idx, 1);
  EXPECT_STREQ(rows[0].base_date, "2025-03-04");
  EXPECT_STREQ(rows[0].code, "005930");
  EXPECT_DOUBLE_EQ(rows[0].buy_cnt, 3);
  EXPECT_DOUBLE_EQ(rows[0].sell_cnt, 0);
  EXPECT_DOUBLE_EQ(rows[0].invest_money, 183000);
  EXPECT_DOUBLE_EQ(rows[0].buy_price, 61000);
  EXPECT_DOUBLE_EQ(rows[0].sell_price, 0);
  EXPECT_EQ(rows[0].is_auto_trade, 1);
  EXPECT_EQ(rows[0].buy_or_sell, 1);
  EXPECT_STREQ(rows[1].code, "A'B");
  EXPECT_DOUBLE_EQ(rows[1].buy_cnt, 0);
  EXPECT_DOUBLE_EQ(rows[1].sell_cnt, 2);
  EXPECT_DOUBLE_EQ(rows[1].invest_money, 0);
  EXPECT_DOUBLE_EQ(rows[1].profit_rate, -1.25);
  EXPECT_EQ(rows[1].is_simulation, 1);
  EXPECT_EQ(rows[1].is_credit_loan, 1);

  // The texts the read-back record does not carry.
  sqlite3_stmt* st = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(engine_.DataDb(),
                               "SELECT user_idx, reg_date, mod_date, auto_eq_name, comment, "
                               "base_year FROM WX_STOCK_ORDER WHERE idx = 1",
                               -1, &st, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(st, 0), 42);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)), "2025-03-04 10:11:12");
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, 2)), "2025-03-04 10:11:12");
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, 3)), "봉's 규칙");
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, 4)), "");
  EXPECT_EQ(sqlite3_column_int(st, 5), 2025);
  sqlite3_finalize(st);
}

TEST_F(OrderTable, ReadBackCutsLongCodesAndAReopenedFileKeepsCounting) {
  ASSERT_EQ(engine_.OpenDataDb(DbPath()), 1);
  StockOrderInsert_s order;
  order.code = std::string(40, 'X');
  EXPECT_EQ(engine_.InsertStockOrder(order), 1);
  std::vector<StockOrderRecord_s> rows;
  ASSERT_EQ(engine_.ReadStockOrders(&rows), 1);
  EXPECT_EQ(std::string(rows[0].code), std::string(31, 'X'));

  CPelomarEngine again(nullptr);
  ASSERT_EQ(again.OpenDataDb(DbPath()), 1);
  EXPECT_EQ(again.InsertStockOrder(order), 2);
  rows.clear();
  EXPECT_EQ(again.ReadStockOrders(&rows), 2);
}

TEST_F(OrderTable, AFolderThatCannotHoldTheFileOpensNothing) {
  EXPECT_EQ(engine_.OpenDataDb(folder_.Path() + "missing/sub/data.db"), 0);
  EXPECT_EQ(engine_.DataDb(), nullptr);
}

}  // namespace
