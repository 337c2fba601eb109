// The main road against the Korea Investment broker: the real host signs in through its log-in
// dialog to a sandbox that stands in for that broker, loads the "t8430" master list, reads the
// deposit and the balance, polls prices along a scripted path until the held stock's profit
// falls back from a high step, sells it at the market, and closes.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

#include "host/frame/MainFrame.h"
#include "host/user/HostUserServices.h"
#include "platform/support/TextConv.h"
#include "tests/e2e/road/RoadHost.h"

using orv::test::DbBrokerPeer;
using orv::test::HangukBrokerPeer;
using orv::test::RoadHost;

namespace {

// The held stock (10 shares at 68,500 won) climbs to a high step and falls back two steps.
constexpr const char* kCode = "005930";
constexpr const char* kScript =
    "005930 70000\n005930 78500\n005930 78500\n005930 78500\n005930 75500\n";
constexpr auto kStepBound = std::chrono::seconds(20);

TEST(HangukRoad, SignInListPollSellAndClose) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
  road.UseBroker(orv::test::kSandboxHangukBroker);
  std::string error;
  ASSERT_TRUE(road.Start(kScript, &error)) << error;
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };
  auto asked = [&](const char* path) {
    return [&road, path] { return !road.BrokerRequests(path).empty(); };
  };

  std::wstring loginError;
  const int login = road.LogIn(&loginError);
  if (login != 1) road.KeepFolders();
  ASSERT_EQ(login, 1) << "log-in error: " << WideToUtf8(loginError);
  EXPECT_TRUE(wait([&] { return road.Frame()->UserServices().IsLoggedIn(); }));

  // This broker's own token, list and deposit requests, with their "tr_id" headers.
  EXPECT_TRUE(wait(asked(HangukBrokerPeer::kTokenPath)));
  EXPECT_TRUE(wait(asked(HangukBrokerPeer::kStockListPath))) << "no master codes asked for";
  EXPECT_TRUE(wait(asked(HangukBrokerPeer::kDepositPath)));
  EXPECT_TRUE(wait(asked(DbBrokerPeer::kDomesticBalancePath)));
  const auto lists = road.BrokerRequests(HangukBrokerPeer::kStockListPath);
  ASSERT_FALSE(lists.empty());
  EXPECT_EQ(lists[0].Header("tr_id"), "t8430");
  EXPECT_EQ(road.BrokerRequests(HangukBrokerPeer::kDepositPath)[0].Header("tr_id"), "t0424");
  EXPECT_TRUE(road.BrokerRequests(DbBrokerPeer::kTokenPath).empty());
  EXPECT_TRUE(wait([&] {
    return road.FilesEndingWith("_app_log.csv").find("▶ [UI] 계좌 3개 갱신 완료") !=
           std::string::npos;
  })) << "the holdings rows were never refreshed";

  // The fall from the high step sells the holding at the market, once.
  const bool ordered = wait(asked(DbBrokerPeer::kDomesticOrderPath));
  if (!ordered) road.KeepFolders();
  ASSERT_TRUE(ordered) << "no order reached the broker after "
                       << road.BrokerRequests(DbBrokerPeer::kDomesticPricePath).size()
                       << " price inquiries";
  const auto orders = road.BrokerRequests(DbBrokerPeer::kDomesticOrderPath);
  EXPECT_NE(orders[0].body.find(kCode), std::string::npos) << orders[0].body;
  EXPECT_EQ(orders[0].Header("tr_cont"), "N");
  EXPECT_TRUE(wait(
      [&] { return road.FilesEndingWith("_trading_log.csv").find(kCode) != std::string::npos; }));

  ASSERT_TRUE(road.CloseWithYes(std::chrono::seconds(10))) << "the main window did not close";
  if (testing::Test::HasFailure()) road.KeepFolders();
}

}  // namespace
