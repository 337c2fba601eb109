// The road of a pushed price: the real host signs in through its log-in dialog against the
// sandbox's DB broker, whose quote stream (secure WebSocket, the sandbox's CA) the program
// connects to after the log-in; the held stocks are subscribed one by one, and once the broker
// stops answering price inquiries a price pushed over the stream still reaches the holding's
// row. Closing the host ends the connection with a normal close.
#include <gtest/gtest.h>
#include <wx/grid.h>
#include <wx/notebook.h>

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

using orv::test::DbBrokerPeer;
using orv::test::RoadHost;
using namespace orv::test::grids;

namespace {

constexpr const char* kScript = "005930 69000\n";
constexpr auto kStepBound = std::chrono::seconds(20);
// NAVER is held at an average of 201,000 and quoted at 189,600; the stream moves it a little.
constexpr const char* kPushedCode = "035420";
constexpr double kPushedPrice = 190100;

TEST(QuoteStreamRoad, PushedPriceReachesTheHoldingsRow) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
  std::string error;
  ASSERT_TRUE(road.Start(kScript, &error)) << error;
  ASSERT_EQ(road.Frame()->GetPluginLoader()->GetLoadedCount(), 1u) << "Pelomar.so did not load";
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };
  orv::test::DbQuoteStreamPeer& stream = road.Market().DbQuoteStream();

  std::wstring loginError;
  const int login = road.LogIn(&loginError);
  if (login != 1) road.KeepFolders();
  ASSERT_EQ(login, 1) << "log-in error: " << WideToUtf8(loginError);

  // The program connects to the stream after the log-in and subscribes the held stocks.
  EXPECT_TRUE(wait([&] { return stream.Socket().ConnectionCount() == 1; }))
      << "the program never connected to the quote stream";
  EXPECT_TRUE(wait([&] {
    const std::set<std::string> codes = stream.Subscribed();
    return codes.count("005930") && codes.count("000660") && codes.count(kPushedCode);
  })) << "the held stocks were not all subscribed";
  for (const auto& frame : stream.Socket().Frames())
    EXPECT_NE(frame.text.find("\"token\": \"sandbox-access-token\""), std::string::npos)
        << frame.text;

  wxGrid* own = TabGrid(TradingTabs(road.Frame()), 1, false);
  ASSERT_NE(own, nullptr) << "no own-stock grid";
  const int priceCol = ColumnTitled(own, L"현재가");
  ASSERT_GE(priceCol, 0);
  EXPECT_TRUE(wait([&] { return RowOfCode(own, kPushedCode) >= 0; }));

  // The broker stops answering price inquiries with prices: from the first refused inquiry on,
  // polling brings nothing.
  const size_t served = road.ServedTimes(DbBrokerPeer::kDomesticPricePath).size();
  road.Market().Broker().Refuse(DbBrokerPeer::kDomesticPricePath, "IGW00500", "시세 없음");
  EXPECT_TRUE(wait([&] {
    return road.ServedTimes(DbBrokerPeer::kDomesticPricePath).size() >= served + 2;
  })) << "polling stopped";
  EXPECT_NE(CellNumber(own, RowOfCode(own, kPushedCode), priceCol), kPushedPrice);

  ASSERT_EQ(stream.PushQuote(kPushedCode, kPushedPrice, 123456, -5.42), 1);
  const bool pushed = wait([&] {
    const int row = RowOfCode(own, kPushedCode);
    return row >= 0 && CellNumber(own, row, priceCol) == kPushedPrice;
  });
  if (!pushed) road.KeepFolders();
  EXPECT_TRUE(pushed) << "the pushed price never reached the holdings row";

  ASSERT_TRUE(road.CloseWithYes(std::chrono::seconds(10))) << "the main window did not close";
  EXPECT_TRUE(stream.Socket().WaitFor([&] { return !stream.Socket().Closes().empty(); },
                                      std::chrono::seconds(5)));
  if (!stream.Socket().Closes().empty()) {
    EXPECT_EQ(stream.Socket().Closes()[0].code, 1000);
  }
  EXPECT_EQ(stream.Socket().OpenConnections(), 0);
  if (testing::Test::HasFailure()) road.KeepFolders();
}

}  // namespace
