// The road with the sandbox's Upbit coin account: the real host signs in through its log-in
// dialog (the DB broker's account) and logs in the first coin slot, whose Upbit agent checks the
// keys on the exchange's account list with a signed token. On the account refreshes the agent
// reads the account entry (won and the coin's purchase) and the coin holding from the same list.
// The master-code download reads the exchange's market list, the chart pass asks for the held
// coin's day and minute candles, and the coin quote worker's ticker polls move the coin's price
// in the holdings grid. The price stays a little above the coin's average, so no rule sells it
// and no order reaches the exchange. The host then closes.
#include <gtest/gtest.h>
#include <wx/grid.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <regex>
#include <string>

#include "host/frame/MainFrame.h"
#include "platform/support/TextConv.h"
#include "tests/e2e/road/RoadHost.h"
#include "tests/e2e/road/TradingGrids.h"

using orv::test::ExchangePeer;
using orv::test::RoadHost;
using namespace orv::test::grids;

namespace {

constexpr const char* kScript = "005930 70000\n005930 70000\n";
constexpr auto kStepBound = std::chrono::seconds(20);

TEST(UpbitRoad, SignInKeyCheckAccountsAndClose) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR, "upbit"});
  std::string error;
  ASSERT_TRUE(road.Start(kScript, &error)) << error;
  ExchangePeer& upbit = road.Market().Upbit();
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };
  auto appLog = [&] { return road.FilesEndingWith("_app_log.csv"); };

  std::wstring loginError;
  const int login = road.LogIn(&loginError);
  if (login != 1) road.KeepFolders();
  ASSERT_EQ(login, 1) << "log-in error: " << WideToUtf8(loginError);

  // The key check, with the slot's keys.
  EXPECT_TRUE(wait([&] { return !upbit.RequestsTo(ExchangePeer::kAccountsPath).empty(); }))
      << "the Upbit agent never checked its keys";
  EXPECT_TRUE(wait([&] {
    return appLog().find("[코인] 업비트 로그인/토큰 발급: 성공 (1/)") != std::string::npos;
  })) << "the coin slot's log-in was not logged as a success";

  // The account refresh reads the account list again: the entry and the coin holding.
  EXPECT_TRUE(wait([&] { return upbit.RequestsTo(ExchangePeer::kAccountsPath).size() >= 3; }))
      << "the account refresh did not ask the exchange";
  const std::regex coinBalance("▶ 업비트 잔고 \\[-?[0-9]+\\] \\(국내 : 1, 해외 : 0\\)");
  EXPECT_TRUE(wait([&] { return std::regex_search(appLog(), coinBalance); }))
      << "the Upbit agent's balance did not name the coin";
  // The DB account's three holdings and the coin reach the holdings rows.
  EXPECT_TRUE(wait([&] { return appLog().find("▶ [UI] 계좌 4개 갱신 완료") != std::string::npos; }))
      << "the coin holding never reached the holdings rows";

  // The market list, and the held coin's candles for the chart pass.
  EXPECT_TRUE(wait([&] { return !upbit.RequestsTo("/v1/market/all").empty(); }))
      << "the exchange's market list was never read";
  EXPECT_TRUE(wait([&] { return !upbit.RequestsTo("/v1/candles/days").empty(); }))
      << "no day candles asked for";
  EXPECT_TRUE(wait([&] { return !upbit.RequestsTo("/v1/candles/minutes/1").empty(); }))
      << "no minute candles asked for";

  // The ticker polls bring the coin's price to its holdings row, and it moves with the market.
  wxGrid* own = TabGrid(TradingTabs(road.Frame()), 1, false);
  ASSERT_NE(own, nullptr) << "no holdings grid";
  const int priceCol = ColumnTitled(own, L"현재가");
  ASSERT_GE(priceCol, 0);
  auto coinPrice = [&] {
    const int row = RowOfCode(own, "KRW-BTC");
    return row >= 0 ? CellNumber(own, row, priceCol) : 0.0;
  };
  double first = 0;
  EXPECT_TRUE(wait([&] { return (first = coinPrice()) > 50000000; }))
      << "the coin's row never showed a ticker price (" << coinPrice() << ")";
  EXPECT_TRUE(wait([&] { return coinPrice() > 50000000 && coinPrice() != first; }))
      << "the coin's price stayed at " << first;
  // ORV_ROAD_SCREENSHOT=FILE.png keeps a picture of the screen with the coin's price shown.
  if (const char* shot = std::getenv("ORV_ROAD_SCREENSHOT")) {
    if (wxNotebook* tabs = TradingTabs(road.Frame())) tabs->SetSelection(1);
    if (RowOfCode(own, "KRW-BTC") >= 0) own->MakeCellVisible(RowOfCode(own, "KRW-BTC"), priceCol);
    orv::test::PumpEvents(500);
    const std::string command = std::string("import -window root '") + shot + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }
  const auto tickers = upbit.RequestsTo("/v1/ticker");
  ASSERT_FALSE(tickers.empty());
  EXPECT_NE(tickers.back().Param("markets").find("KRW-BTC"), std::string::npos);

  EXPECT_TRUE(upbit.TokenRefusals().empty()) << upbit.TokenRefusals().front();
  EXPECT_TRUE(upbit.RequestsTo(ExchangePeer::kOrdersPath).empty())
      << "an order went out for a coin held at a small profit";
  EXPECT_TRUE(road.Market().Bithumb().Requests().empty());

  ASSERT_TRUE(road.CloseWithYes(std::chrono::seconds(10))) << "the main window did not close";
  const size_t after = upbit.Requests().size();
  orv::test::PumpEvents(1500);
  EXPECT_EQ(upbit.Requests().size(), after) << "a worker reached the exchange after the close";
  if (testing::Test::HasFailure()) road.KeepFolders();
}

}  // namespace
