// The order table WX_STOCK_ORDER in a temporary "data.db": created when missing with its 29
// columns, rows recorded with bound values and read back.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "platform/support/TextConv.h"
#include "platform/win/Clock.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "shared/LoginInfo.h"
#include "tests/plugin/engine/EngineTestSupport.h"
#include "tests/plugin/engine/FakeEngineWindow.h"

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
  std::string problem;
  EXPECT_EQ(engine_.OpenDataDb(folder_.Path() + "missing/sub/data.db", &problem), 0);
  EXPECT_EQ(engine_.DataDb(), nullptr);
  EXPECT_EQ(problem, "unable to open database file");
}

TEST_F(OrderTable, ADamagedFileOpensNothingAndSaysWhy) {
  // A real order database whose table pages are then overwritten.
  ASSERT_EQ(engine_.OpenDataDb(DbPath()), 1);
  StockOrderInsert_s order;
  order.code = std::string(200, 'C');
  for (int i = 0; i < 200; ++i) ASSERT_GT(engine_.InsertStockOrder(order), 0);
  sqlite3_exec(engine_.DataDb(), "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
  CPelomarEngine reader(nullptr);
  const struct {
    const char* what;
    std::function<void(std::string&)> damage;
  } cases[] = {
      {"no database", [](std::string& bytes) { bytes.assign(8192, 'x'); }},
      {"damaged pages",
       [](std::string& bytes) {
         for (size_t i = 8192; i < 8192 + 300 && i < bytes.size(); ++i) bytes[i] = '\x55';
       }},
  };
  std::ifstream in(DbPath(), std::ios::binary);
  const std::string intact((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = intact;
    c.damage(bytes);
    const std::string path = folder_.Path() + "damaged.db";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    std::string problem;
    CPelomarEngine engine(nullptr);
    EXPECT_EQ(engine.OpenDataDb(path, &problem), 0);
    EXPECT_EQ(engine.DataDb(), nullptr);
    EXPECT_FALSE(problem.empty());
  }
}

TEST_F(OrderTable, AnOrderThatCannotBeRecordedIsReportedToTheUser) {
  FakeEngineWindow window;
  CPelomarEngine engine(&window);
  StockOrderInsert_s order;
  order.code = "005930";
  order.buyOrSell = 2;
  order.price = 70000;
  order.quantity = 3;
  // Without a connection, and with one that refuses the write.
  EXPECT_EQ(engine.InsertStockOrder(order), 0);
  ASSERT_EQ(engine.OpenDataDb(DbPath()), 1);
  sqlite3_exec(engine.DataDb(), "PRAGMA query_only = 1", nullptr, nullptr, nullptr);
  EXPECT_EQ(engine.InsertStockOrder(order), 0);

  EXPECT_EQ(engine.UnrecordedOrders(), 2);
  const std::wstring head =
      L"주문이 주문 DB(data.db)에 기록되지 않았습니다: 005930 매도 70000 x 3\n(";
  ASSERT_EQ(window.notices.size(), 2u);
  for (const HostNotice& notice : window.notices) {
    EXPECT_EQ(notice.kind, 4);
    EXPECT_EQ(notice.text, L"주문 기록 실패");
  }
  std::vector<std::wstring> reported;
  for (const std::wstring& line : window.Logs())
    if (line.rfind(head, 0) == 0) reported.push_back(line);
  ASSERT_EQ(reported.size(), 2u);
  EXPECT_EQ(reported[0], head + L"the order database is not open)");
  EXPECT_NE(reported[1].find(L"readonly"), std::wstring::npos) << WideToUtf8(reported[1]);
}

}  // namespace
