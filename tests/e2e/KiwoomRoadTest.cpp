// The road with the sandbox's Kiwoom account: the real host signs in through its log-in dialog
// (the DB broker's account) and logs in the second domestic slot, the Kiwoom account and the data
// broker and the default domestic broker; the Kiwoom agent takes its token, deposit and paged
// balance, its holdings join the holdings rows, and its quote passes bring new prices to them. The script never reaches a sell
// step: Kiwoom orders are not offered by the agent yet. The host then closes with every worker
// stopped.
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

// The sandbox holds 005930 at 68,500 and 000660 at an opening 196,500: both move a little,
// nowhere near a sell step.
constexpr const char* kScript =
    "005930 69000\n"
    "005930 69000 000660 198000\n"
    "005930 69100 000660 198000\n";
constexpr auto kStepBound = std::chrono::seconds(20);

TEST(KiwoomRoad, SignInBalanceQuotesAndClose) {
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

  wxGrid* own = TabGrid(TradingTabs(road.Frame()), 1, false);
  ASSERT_NE(own, nullptr) << "no own-stock grid";
  EXPECT_EQ(own->GetNumberRows(), 6) << "three holdings of each account";

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

  // The Kiwoom broker was asked only for the operations this agent offers: no order.
  const std::set<std::string> offered = {"", "ka10099", "kt00004", "kt00018", "ka10095"};
  for (const RecordedRequest& r : road.Market().Kiwoom().Requests())
    EXPECT_EQ(offered.count(r.Header("api-id")), 1u) << r.path << " " << r.Header("api-id");

  ASSERT_TRUE(road.CloseWithYes(std::chrono::seconds(10))) << "the main window did not close";
  const size_t after = road.Market().Kiwoom().Http().Requests().size();
  orv::test::PumpEvents(1500);
  EXPECT_EQ(road.Market().Kiwoom().Http().Requests().size(), after);
  if (testing::Test::HasFailure()) road.KeepFolders();
}

}  // namespace
