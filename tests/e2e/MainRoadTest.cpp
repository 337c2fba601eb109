// The main road end to end: the real host, started in this process from a staged program folder
// whose module row names the real Pelomar.so, signs in through its log-in dialog against the
// sandbox, polls prices along a scripted path until the held stock's profit falls back from a
// high step, sells it at the market, reports the order, asks for the balance again, and closes
// with every worker stopped and the plug-in unloaded.
#include <gtest/gtest.h>
#include <wx/string.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "host/HostUserServices.h"
#include "host/MainFrame.h"
#include "host/VarqoMainApp.h"
#include "platform/support/PluginLoader.h"
#include "platform/support/TextConv.h"
#include "tests/e2e/road/RoadHost.h"

using orv::test::DbBrokerPeer;
using orv::test::RoadHost;
using orv::test::SandboxAccount;

namespace {

// The held stock the script moves: 10 shares at an average of 68,500 won in the sandbox.
constexpr const char* kCode = "005930";
// Below the first take-profit step, then about +14.6% (a high step), then about +10.2%: the
// fall of two steps queues a sell of the holding.
constexpr const char* kScript =
    "005930 70000\n"
    "005930 70000\n"
    "005930 78500\n"
    "005930 78500\n"
    "005930 78500\n"
    "005930 75500\n";
constexpr auto kStepBound = std::chrono::seconds(20);
// The report's fields per order line.
constexpr size_t kMoneyLogFields = 52;

// Fields of a comma-separated line whose quoted fields may hold commas.
std::vector<std::string> CsvFields(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (char c : line) {
    if (c == '"')
      quoted = !quoted;
    else if (c == ',' && !quoted)
      fields.emplace_back();
    else
      fields.back() += c;
  }
  return fields;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

TEST(MainRoad, SignInPollSellReportRefreshAndClose) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
  std::string error;
  ASSERT_TRUE(road.Start(kScript, &error)) << error;
  ASSERT_NE(road.Frame()->GetPluginLoader(), nullptr);
  ASSERT_EQ(road.Frame()->GetPluginLoader()->GetLoadedCount(), 1u) << "Pelomar.so did not load";
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };
  auto asked = [&](const char* path) {
    return [&road, path] { return !road.BrokerRequests(path).empty(); };
  };

  std::wstring loginError;
  const int login = road.LogIn(&loginError);
  if (login != 1 || testing::Test::HasFailure()) road.KeepFolders();
  ASSERT_EQ(login, 1) << "log-in error: " << WideToUtf8(loginError);
  EXPECT_TRUE(wait([&] { return road.Frame()->UserServices().IsLoggedIn(); }));

  // The broker session: token, master codes, deposit and balance.
  EXPECT_TRUE(wait(asked(DbBrokerPeer::kTokenPath)));
  EXPECT_TRUE(wait(asked(DbBrokerPeer::kDomesticTickerPath))) << "no master codes asked for";
  EXPECT_TRUE(wait(asked(DbBrokerPeer::kDepositPath)));
  EXPECT_TRUE(wait(asked(DbBrokerPeer::kDomesticBalancePath)));

  // The account refresh shows the three sandbox holdings in the own-stock grid.
  EXPECT_TRUE(wait([&] {
    return road.FilesEndingWith("_app_log.csv").find("▶ [UI] 계좌 3개 갱신 완료") !=
           std::string::npos;
  })) << "the holdings rows were never refreshed";

  // Quote polling writes the held stock's prices to the price log.
  EXPECT_TRUE(wait([&] {
    return road.FilesEndingWith("_price_log.csv").find(kCode) != std::string::npos;
  })) << "no price-log line of the held stock";

  // The fall from the high step sells the holding at the market.
  const bool ordered = wait(asked(DbBrokerPeer::kDomesticOrderPath));
  if (!ordered) road.KeepFolders();
  ASSERT_TRUE(ordered) << "no order reached the broker after "
                       << road.BrokerRequests(DbBrokerPeer::kDomesticPricePath).size()
                       << " price inquiries";
  const auto orders = road.BrokerRequests(DbBrokerPeer::kDomesticOrderPath);
  EXPECT_NE(orders[0].body.find(kCode), std::string::npos) << orders[0].body;
  const auto orderTimes = road.ServedTimes(DbBrokerPeer::kDomesticOrderPath);
  for (size_t i = 1; i < orderTimes.size(); ++i)
    EXPECT_GE(orderTimes[i] - orderTimes[i - 1], std::chrono::milliseconds(90));

  // The pass's order report: one line of 52 fields per order, the sold stock among them.
  ASSERT_TRUE(wait([&] { return !road.WebRequests("stock/order_up3").empty(); }))
      << "the order report never reached the web server";
  const auto reports = road.WebRequests("stock/order_up3");
  EXPECT_EQ(reports[0].method, "POST");
  const auto* text = reports[0].Part("op_qry");
  ASSERT_NE(text, nullptr);
  const auto reportLines = Lines(text->content);
  ASSERT_FALSE(reportLines.empty());
  for (const std::string& line : reportLines)
    EXPECT_EQ(CsvFields(line).size(), kMoneyLogFields) << line;
  EXPECT_NE(text->content.find(kCode), std::string::npos);
  ASSERT_NE(reports[0].Part("op_cnt"), nullptr);
  EXPECT_EQ(reports[0].Part("op_cnt")->content, std::to_string(reportLines.size()));

  // ORV_ROAD_SCREENSHOT=FILE.png keeps a picture of the screen after the sale.
  if (const char* shot = std::getenv("ORV_ROAD_SCREENSHOT")) {
    orv::test::PumpEvents(500);
    const std::string command = std::string("import -window root '") + shot + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }

  // The trading and application logs hold the sale.
  EXPECT_TRUE(wait(
      [&] { return road.FilesEndingWith("_trading_log.csv").find(kCode) != std::string::npos; }));
  EXPECT_TRUE(wait(
      [&] { return road.FilesEndingWith("_app_log.csv").find("매도 코드") != std::string::npos; }));

  // The holdings are asked for again after the sale: the order that empties the holding asks
  // at once (a split sale leaves the rest to a later pass, about 20 s on).
  EXPECT_TRUE(road.WaitFor(
      [&] {
        const auto balances = road.ServedTimes(DbBrokerPeer::kDomesticBalancePath);
        const auto placed = road.ServedTimes(DbBrokerPeer::kDomesticOrderPath);
        return !placed.empty() && !balances.empty() && balances.back() > placed.front();
      },
      std::chrono::seconds(35)))
      << "no balance request after the order";

  // The user closes the program and answers yes: command 21 stops the workers, the modules are
  // destroyed and the library unloaded, without a crash.
  ASSERT_TRUE(road.CloseWithYes(std::chrono::seconds(10))) << "the main window did not close";
  EXPECT_EQ(road.App().RunSettings().nAppRunning, 0);
  // No worker is left to reach the sandbox once the plug-in is gone.
  const size_t after = road.Market().Broker().Http().Requests().size();
  orv::test::PumpEvents(1500);
  EXPECT_EQ(road.Market().Broker().Http().Requests().size(), after);

  // No key, secret or token is left in clear in any file of the run: not in the catalogue
  // (the staged one held the key and secret in clear; the first start sealed them), its
  // write-ahead log, the plug-in's database, the settings or the logs.
  const std::string everything = road.FilesEndingWith("");
  ASSERT_FALSE(everything.empty());
  for (const char* secret : {SandboxAccount::kAppKey, SandboxAccount::kAppSecret,
                             SandboxAccount::kAccessToken, SandboxAccount::kUserToken}) {
    EXPECT_EQ(everything.find(secret), std::string::npos) << secret << " is on disk in clear";
  }
  if (testing::Test::HasFailure()) road.KeepFolders();
}

}  // namespace
