// The road with the sandbox's Korea Investment account: the real host signs in through its log-in
// dialog (the DB broker's account) and logs in the second domestic slot, the Korea Investment
// account, the data broker and the default domestic broker. Its agent takes the token, the
// deposit with its "tr_id" header and the balance, polls the quotes along a scripted path until
// the held stock's profit falls back from a high step, and sells it at the market through this
// broker. The host then closes.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

#include "host/frame/MainFrame.h"
#include "host/user/HostUserServices.h"
#include "platform/support/PluginLoader.h"
#include "platform/support/TextConv.h"
#include "tests/e2e/road/RoadHost.h"

using orv::test::DbBrokerPeer;
using orv::test::HangukBrokerPeer;
using orv::test::RoadHost;

namespace {

// The held stock (10 shares at 68,500 won in each account) climbs to a high step and falls back
// two steps.
constexpr const char* kCode = "005930";
constexpr const char* kScript =
    "005930 70000\n005930 78500\n005930 78500\n005930 78500\n005930 75500\n";
constexpr auto kStepBound = std::chrono::seconds(20);

TEST(HangukRoad, SignInBalancePollSellAndClose) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR, "hanguk"});
  std::string error;
  ASSERT_TRUE(road.Start(kScript, &error)) << error;
  ASSERT_EQ(road.Frame()->GetPluginLoader()->GetLoadedCount(), 1u) << "Pelomar.so did not load";
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };
  auto asked = [&](const char* path) {
    return [&road, path] { return !road.HangukRequests(path).empty(); };
  };

  std::wstring loginError;
  const int login = road.LogIn(&loginError);
  if (login != 1) road.KeepFolders();
  ASSERT_EQ(login, 1) << "log-in error: " << WideToUtf8(loginError);
  EXPECT_TRUE(wait([&] { return road.Frame()->UserServices().IsLoggedIn(); }));

  // The Korea Investment session: its own token and deposit requests, and the balance.
  EXPECT_TRUE(wait(asked(HangukBrokerPeer::kTokenPath)));
  EXPECT_TRUE(wait(asked(HangukBrokerPeer::kDepositPath))) << "no deposit asked for";
  EXPECT_TRUE(wait(asked(DbBrokerPeer::kDomesticBalancePath))) << "no balance asked for";
  const auto deposits = road.HangukRequests(HangukBrokerPeer::kDepositPath);
  ASSERT_FALSE(deposits.empty());
  EXPECT_EQ(deposits[0].Header("tr_id"), "t0424");
  EXPECT_TRUE(road.HangukRequests(DbBrokerPeer::kTokenPath).empty());
  EXPECT_TRUE(wait([&] {
    return road.FilesEndingWith("_app_log.csv").find("[국내] 한국투자증권 로그인/토큰 발급: 성공") !=
           std::string::npos;
  })) << "no log line of the Korea Investment log-in";

  // Its quote passes (the default domestic broker's) follow the script to the sale, which goes
  // out through this broker.
  const bool ordered = wait(asked(DbBrokerPeer::kDomesticOrderPath));
  if (!ordered) road.KeepFolders();
  ASSERT_TRUE(ordered) << "no order reached the Korea Investment broker after "
                       << road.HangukRequests(DbBrokerPeer::kDomesticPricePath).size()
                       << " price inquiries";
  const auto orders = road.HangukRequests(DbBrokerPeer::kDomesticOrderPath);
  EXPECT_NE(orders[0].body.find(kCode), std::string::npos) << orders[0].body;
  EXPECT_EQ(orders[0].Header("tr_cont"), "N");
  EXPECT_EQ(orders[0].body.find("TrchNo"), std::string::npos) << "this broker's order body";
  EXPECT_TRUE(wait(
      [&] { return road.FilesEndingWith("_trading_log.csv").find(kCode) != std::string::npos; }));

  ASSERT_TRUE(road.CloseWithYes(std::chrono::seconds(10))) << "the main window did not close";
  if (testing::Test::HasFailure()) road.KeepFolders();
}

}  // namespace
