// The main road's sale when the sandbox broker executes the order and its reply goes wrong:
// the program logs the outcome as unknown, sends nothing again, and waits for the balance to
// settle the order before the stock can be ordered again.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

#include "platform/support/TextConv.h"
#include "tests/e2e/road/RoadHost.h"

using orv::test::DbBrokerPeer;
using orv::test::RoadHost;
using Fault = orv::test::DbBrokerPeer::OrderFault;

namespace {

// The held stock (10 shares at 68,500 won) climbs to a high step and falls back two steps:
// the rule check queues a sale.
constexpr const char* kScript = "005930 70000\n005930 78500\n005930 78500\n005930 75500\n";
constexpr auto kStepBound = std::chrono::seconds(20);
// The settle time, the account step it asks for and the quote passes around it.
constexpr auto kSettleBound = std::chrono::seconds(40);

class OrderFaultRoad : public ::testing::TestWithParam<Fault> {};

TEST_P(OrderFaultRoad, TheSaleIsExecutedOnceAndSettledFromTheBalance) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
  std::string error;
  ASSERT_TRUE(road.Start(kScript, &error)) << error;
  DbBrokerPeer& broker = road.Market().Broker();
  broker.QueueOrderFaults({GetParam()});
  std::wstring loginError;
  const int login = road.LogIn(&loginError);
  if (login != 1) road.KeepFolders();
  ASSERT_EQ(login, 1) << "log-in error: " << WideToUtf8(loginError);

  ASSERT_TRUE(road.WaitFor([&] { return broker.OrdersReceived() > 0; }, kStepBound * 3))
      << "no order reached the broker";
  EXPECT_EQ(broker.OrdersExecuted(), 1);
  const auto logged = [&](const char* text) {
    return [&road, text] {
      return road.FilesEndingWith("_app_log.csv").find(text) != std::string::npos;
    };
  };
  EXPECT_TRUE(road.WaitFor(logged("▶ 주문 결과 미확인 [005930]"), kStepBound));
  EXPECT_TRUE(road.WaitFor(
      [&] {
        return road.FilesEndingWith("_trading_log.csv").find("주문 결과 미확인") !=
               std::string::npos;
      },
      kStepBound));
  // Until the balance settles it, the sale is not sent again, by libcurl or by the rules.
  EXPECT_TRUE(road.WaitFor(logged("▶ 주문 확인 [005930]"), kSettleBound))
      << "the unknown order was never settled";
  EXPECT_EQ(broker.OrdersReceived(), 1);
  EXPECT_EQ(broker.OrdersExecuted(), 1);

  ASSERT_TRUE(road.CloseWithYes(std::chrono::seconds(10))) << "the main window did not close";
  if (testing::Test::HasFailure()) road.KeepFolders();
}

INSTANTIATE_TEST_SUITE_P(Faults, OrderFaultRoad,
                         ::testing::Values(Fault::kReset, Fault::kServerError, Fault::kCutReply),
                         [](const ::testing::TestParamInfo<Fault>& info) {
                           switch (info.param) {
                             case Fault::kReset:
                               return std::string("Reset");
                             case Fault::kServerError:
                               return std::string("ServerError");
                             default:
                               return std::string("CutReply");
                           }
                         });

}  // namespace
