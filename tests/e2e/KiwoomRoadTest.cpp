// The road with the sandbox's Kiwoom account: the real host signs in through its log-in dialog
// (the DB broker's account) and logs in the second domestic slot, the Kiwoom account and the data
// broker and the default domestic broker; the Kiwoom agent takes its token, deposit and paged
// balance, its holdings join the holdings rows, its chart pass asks for candles and, as the data
// agent, for short selling, and its quote passes bring new prices to the rows. When the held
// stock falls back from a high step it is sold at the market through the Kiwoom agent
// ("kt10001"), the placed order is logged with its order number, and the balance is asked for
// again. The host then closes with every worker stopped.
#include <gtest/gtest.h>
#include <wx/grid.h>
#include <wx/notebook.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <set>
#include <string>

#include "host/app/VarqoMainApp.h"
#include "host/frame/MainFrame.h"
#include "host/user/HostUserServices.h"
#include "platform/support/PluginLoader.h"
#include "platform/support/TextConv.h"
#include "tests/e2e/road/RoadHost.h"
#include "tests/e2e/road/TradingGrids.h"

using orv::test::KiwoomBrokerPeer;
using orv::test::RecordedRequest;
using orv::test::RoadHost;
using namespace orv::test::grids;

namespace {

// The sandbox holds 005930 (10 shares at 68,500 in each account) and 000660 at an opening
// 196,500: 005930 climbs to a high step and falls back two steps, which sells it; 000660 moves a
// little, nowhere near a step.
constexpr const char* kCode = "005930";
constexpr const char* kScript =
    "005930 70000 000660 198000\n"
    "005930 78500\n005930 78500\n005930 78500\n005930 75500\n";
constexpr auto kStepBound = std::chrono::seconds(20);

TEST(KiwoomRoad, SignInBalanceChartsQuotesSellAndClose) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR, "kiwoom"});
  std::string error;
  ASSERT_TRUE(road.Start(kScript, &error)) << error;
  ASSERT_EQ(road.Frame()->GetPluginLoader()->GetLoadedCount(), 1u) << "Pelomar.so did not load";
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };
  auto asked = [&](const char* apiId) {
    return [&road, apiId] { return !road.KiwoomRequests(apiId).empty(); };
  };

  std::wstring loginError;
  const int login = road.LogIn(&loginError);
  if (login != 1) road.KeepFolders();
  ASSERT_EQ(login, 1) << "log-in error: " << WideToUtf8(loginError);
  EXPECT_TRUE(wait([&] { return road.Frame()->UserServices().IsLoggedIn(); }));

  // The Kiwoom session: token, deposit and balance, beside the DB account's.
  EXPECT_TRUE(wait([&] { return !road.KiwoomRequests("", KiwoomBrokerPeer::kTokenPath).empty(); }));
  EXPECT_TRUE(wait(asked("kt00004"))) << "no deposit asked for";
  EXPECT_TRUE(wait(asked("kt00018"))) << "no balance asked for";
  EXPECT_TRUE(wait([&] {
    const std::string log = road.FilesEndingWith("_app_log.csv");
    return log.find("[국내] 키움증권 로그인/토큰 발급: 성공") != std::string::npos &&
           log.find("▶ 키움증권 잔고 [") != std::string::npos &&
           log.find("(국내 : 3, 해외 : 0)") != std::string::npos;
  })) << "the Kiwoom account's three holdings were never read";
  EXPECT_TRUE(wait([&] {
    return road.FilesEndingWith("_app_log.csv").find("▶ [UI] 계좌 6개 갱신 완료") !=
           std::string::npos;
  })) << "the holdings rows of both accounts were never refreshed";

  // The chart pass of the default domestic agent, and short selling from the data agent.
  EXPECT_TRUE(wait(asked("ka10081"))) << "no day candles asked for";
  EXPECT_TRUE(wait(asked("ka10080"))) << "no minute candles asked for";
  EXPECT_TRUE(wait(asked("ka10014"))) << "no short selling asked for";

  wxGrid* own = TabGrid(TradingTabs(road.Frame()), 1, false);
  ASSERT_NE(own, nullptr) << "no own-stock grid";

  // Quote passes of the Kiwoom agent (the default domestic broker's) bring the script's new
  // price to the holdings' rows.
  const int priceCol = ColumnTitled(own, L"현재가");
  EXPECT_TRUE(wait([&] {
    const int row = RowOfCode(own, "000660");
    return row >= 0 && CellNumber(own, row, priceCol) == 198000;
  })) << "the 000660 row's price never followed the quotes";
  EXPECT_FALSE(road.KiwoomRequests("ka10095").empty()) << "no Kiwoom quote inquiry";
  EXPECT_TRUE(road.BrokerRequests(orv::test::DbBrokerPeer::kDomesticPricePath).empty())
      << "the DB broker was polled for quotes";

  // The fall from the high step sells the Kiwoom holding at the market through its agent.
  const bool ordered = road.WaitFor(asked("kt10001"), kStepBound * 3);
  if (!ordered) road.KeepFolders();
  ASSERT_TRUE(ordered) << "no Kiwoom order after " << road.KiwoomRequests("ka10095").size()
                       << " quote inquiries";
  const std::vector<RecordedRequest> orders = road.KiwoomRequests("kt10001");
  EXPECT_EQ(orders[0].path, KiwoomBrokerPeer::kCashOrderPath);
  EXPECT_EQ(orders[0].Header("cont-yn"), "N");
  EXPECT_NE(orders[0].body.find(std::string("\"stk_cd\" : \"") + kCode + "\""), std::string::npos)
      << orders[0].body;
  EXPECT_NE(orders[0].body.find("\"ord_uv\" : \"0\",\t\"trde_tp\" : \"3\""), std::string::npos)
      << "a market order: " << orders[0].body;
  // The placed order is logged as such and sent once.
  EXPECT_TRUE(wait(
      [&] { return road.FilesEndingWith("_trading_log.csv").find(kCode) != std::string::npos; }));
  EXPECT_TRUE(wait(
      [&] { return road.FilesEndingWith("_app_log.csv").find("매도 코드") != std::string::npos; }));
  EXPECT_EQ(road.FilesEndingWith("_app_log.csv").find("주문 결과 미확인"), std::string::npos);

  // The holdings are asked for again after the sale, which the Kiwoom account shows.
  EXPECT_TRUE(road.WaitFor(
      [&] {
        const auto balances = road.ServedTimes(std::string("kiwoom POST ") +
                                               KiwoomBrokerPeer::kAccountPath);
        const auto placed = road.ServedTimes(std::string("kiwoom POST ") +
                                             KiwoomBrokerPeer::kCashOrderPath);
        return !placed.empty() && !balances.empty() && balances.back() > placed.front();
      },
      std::chrono::seconds(35)))
      << "no balance request after the order";
  EXPECT_EQ(road.Market().Kiwoom().OrdersReceived(), 1);
  for (const orv::test::KiwoomHolding& h : road.Market().Kiwoom().Holdings()) {
    if (h.code == std::string("A") + kCode) EXPECT_LT(h.quantity, 10) << "nothing was sold";
  }

  // The Kiwoom broker was asked only for the operations of this road: no buy, no credit order.
  const std::set<std::string> offered = {"",        "ka10099", "kt00004", "kt00018",
                                         "ka10095", "ka10081", "ka10080", "ka10045",
                                         "ka10014", "kt10001"};
  for (const RecordedRequest& r : road.Market().Kiwoom().Requests())
    EXPECT_EQ(offered.count(r.Header("api-id")), 1u) << r.path << " " << r.Header("api-id");

  ASSERT_TRUE(road.CloseWithYes(std::chrono::seconds(10))) << "the main window did not close";
  const size_t after = road.Market().Kiwoom().Http().Requests().size();
  orv::test::PumpEvents(1500);
  EXPECT_EQ(road.Market().Kiwoom().Http().Requests().size(), after);
  if (testing::Test::HasFailure()) road.KeepFolders();
}

}  // namespace
