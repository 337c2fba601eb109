// The main road through the sandbox's LS broker: the real host signs in (through the DB broker,
// whose account is empty, and which loads the master list), logs in the LS agent of its second
// domestic slot, reads the t0424 deposit and balance, polls prices along a scripted path until the
// held stock falls back from a high step, sells it at the market with a CSPAT00601 order, asks for
// the balance again and closes; no order reaches the DB broker.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

#include "platform/support/TextConv.h"
#include "tests/e2e/road/RoadHost.h"

using orv::test::LsBrokerPeer;
using orv::test::RoadHost;

namespace {

// 10 shares held at an average of 68,500 won: below the first take-profit step, then about
// +14.6% (a high step), then about +10.2%, a fall of two steps that queues a sale.
constexpr const char* kCode = "005930";
constexpr const char* kScript =
    "005930 70000\n005930 78500\n005930 78500\n005930 78500\n005930 75500\n";
constexpr auto kStepBound = std::chrono::seconds(20);

TEST(LsRoad, SignInPollSellAndClose) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR, "ls"});
  std::string error;
  ASSERT_TRUE(road.Start(kScript, &error)) << error;
  LsBrokerPeer& ls = road.Market().LsBroker();
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };
  auto asked = [&](const char* path) {
    return [&ls, path] { return !ls.RequestsTo(path).empty(); };
  };

  std::wstring loginError;
  const int login = road.LogIn(&loginError);
  if (login != 1) road.KeepFolders();
  ASSERT_EQ(login, 1) << "log-in error: " << WideToUtf8(loginError);

  EXPECT_TRUE(wait(asked(LsBrokerPeer::kTokenPath)));
  EXPECT_TRUE(wait(asked(LsBrokerPeer::kAccountPath))) << "no deposit or balance asked for";
  EXPECT_TRUE(wait([&] {
    return road.FilesEndingWith("_app_log.csv").find("▶ [UI] 계좌 3개 갱신 완료") !=
           std::string::npos;
  })) << "the three LS holdings never reached the holdings rows";

  // The fall from the high step sells the holding at the market.
  const bool ordered = road.WaitFor(asked(LsBrokerPeer::kDomesticOrderPath), kStepBound * 3);
  if (!ordered) road.KeepFolders();
  ASSERT_TRUE(ordered) << "no order reached the LS broker after "
                       << ls.RequestsTo(LsBrokerPeer::kDomesticPricePath).size()
                       << " price inquiries";
  const auto orders = ls.RequestsTo(LsBrokerPeer::kDomesticOrderPath);
  EXPECT_EQ(orders[0].Header("tr_cd"), "CSPAT00601");
  EXPECT_NE(orders[0].body.find(std::string("\"IsuNo\":\"") + kCode + "\""), std::string::npos)
      << orders[0].body;
  EXPECT_NE(orders[0].body.find("\"BnsTpCode\":\"1\""), std::string::npos) << "a sale";
  // The placed order is logged as such, with the LS order number, and sent once.
  EXPECT_TRUE(wait(
      [&] { return road.FilesEndingWith("_trading_log.csv").find(kCode) != std::string::npos; }));
  EXPECT_TRUE(wait(
      [&] { return road.FilesEndingWith("_app_log.csv").find("매도 코드") != std::string::npos; }));
  EXPECT_EQ(road.FilesEndingWith("_app_log.csv").find("주문 결과 미확인"), std::string::npos);

  // The holdings are asked for again after the sale.
  EXPECT_TRUE(road.WaitFor(
      [&] {
        const auto balances =
            road.ServedTimes(std::string("ls-broker POST ") + LsBrokerPeer::kAccountPath);
        const auto placed =
            road.ServedTimes(std::string("ls-broker POST ") + LsBrokerPeer::kDomesticOrderPath);
        return !placed.empty() && !balances.empty() && balances.back() > placed.front();
      },
      std::chrono::seconds(35)))
      << "no balance request after the order";
  EXPECT_EQ(ls.OrdersReceived(), 1);
  EXPECT_TRUE(road.BrokerRequests(orv::test::DbBrokerPeer::kDomesticOrderPath).empty());

  ASSERT_TRUE(road.CloseWithYes(std::chrono::seconds(10))) << "the main window did not close";
  const size_t after = ls.Requests().size();
  orv::test::PumpEvents(1500);
  EXPECT_EQ(ls.Requests().size(), after) << "a worker reached the broker after the close";
  if (testing::Test::HasFailure()) road.KeepFolders();
}

}  // namespace
