// The recommended-stock board in the real host against the sandbox: after the log-in the
// master-code worker loads the portal's exchange-wide lists (the sandbox's web server stands in
// for the portal), the user opens the board with the monitoring view's settings button (in the
// view's scan mode the trading view shows its board), and the board shows the lists in its left
// tab, its watch grid under "감시 종목.등록" and the portal tab below.
#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/grid.h>
#include <wx/notebook.h>
#include <wx/panel.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>

#include "host/frame/MainFrame.h"
#include "platform/support/TextConv.h"
#include "tests/e2e/road/RoadHost.h"
#include "tests/e2e/road/RoadWindows.h"

using orv::test::PeerReply;
using orv::test::RoadHost;
using orv::test::windows::FindById;
using orv::test::windows::ShownDialog;

namespace {

constexpr auto kStepBound = std::chrono::seconds(30);
constexpr int kMonitoringView = 2529;
constexpr int kMonitorSettings = 3212;
const wchar_t kBoardTitle[] = L"추천종목 관리 + 분할매수";

PeerReply Json(const std::string& body) {
  PeerReply reply;
  reply.body = body;
  return reply;
}

// One page of an exchange's list as the portal answers it.
std::string ExchangePage(int total, const std::string& items) {
  return "{\"totalCount\":" + std::to_string(total) + ",\"stocks\":[" + items + "]}";
}

std::string Item(const char* code, const char* name) {
  return std::string("{\"symbolCode\":\"") + code + "\",\"stockName\":\"" + name + "\"}";
}

// The first body grid under a window.
wxGrid* GridUnder(wxWindow* window) {
  if (auto* grid = dynamic_cast<wxGrid*>(window)) return grid;
  for (wxWindow* child : window->GetChildren())
    if (wxGrid* grid = GridUnder(child)) return grid;
  return nullptr;
}

}  // namespace

TEST(BoardRoad, TheMonitoringViewOpensTheBoardWithTheForeignListsAndItsTabs) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
  std::string error;
  ASSERT_TRUE(road.Prepare("005930 70000\n", &error)) << error;
  auto& web = road.Market().Web().Http();
  web.On("GET", "/stock/exchange/NASDAQ/marketValue",
         Json(ExchangePage(2, Item("AAPL.O", "애플") + "," + Item("MSFT.O", "마이크로소프트"))));
  web.On("GET", "/api/worldstock/index/.DJI/constituents",
         Json("{\"stocks\":[" + Item("JPM.N", "JP모간 체이스") + "," + Item("KO", "코카콜라") +
              "]}"));
  web.On("GET", "/stock/exchange/KOSPI/marketValue",
         Json(ExchangePage(1, Item("005930", "삼성전자"))));
  web.On("GET", "/stock/exchange/KOSDAQ/marketValue",
         Json(ExchangePage(1, Item("247540", "에코프로비엠"))));
  ASSERT_TRUE(road.StartHost(&error)) << error;
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };
  std::wstring loginError;
  const int login = road.LogIn(&loginError);
  if (login != 1) road.KeepFolders();
  ASSERT_EQ(login, 1) << "log-in error: " << WideToUtf8(loginError);
  ASSERT_TRUE(wait([&] { return !road.WebRequests("stock/exchange/KOSDAQ/marketValue").empty(); }))
      << "the portal's lists were not asked for";

  // The monitoring view's settings button opens the board through the trading view.
  wxPanel* monitor = nullptr;
  ASSERT_TRUE(wait([&] { return (monitor = FindById<wxPanel>(road.Frame(), kMonitoringView)); }));
  wxWindow* settings = FindById<wxWindow>(monitor, kMonitorSettings);
  ASSERT_NE(settings, nullptr);
  wxCommandEvent press(wxEVT_BUTTON, kMonitorSettings);
  press.SetEventObject(settings);
  settings->ProcessWindowEvent(press);
  wxDialog* board = nullptr;
  ASSERT_TRUE(wait([&] { return (board = ShownDialog(kBoardTitle)) != nullptr; }))
      << "the board did not open";

  auto* listTabs = FindById<wxNotebook>(board, 3383);
  auto* watchTabs = FindById<wxNotebook>(board, 3378);
  auto* portalTabs = FindById<wxNotebook>(board, 3382);
  ASSERT_TRUE(listTabs && watchTabs && portalTabs);
  ASSERT_EQ(watchTabs->GetPageCount(), 3u);
  EXPECT_EQ(watchTabs->GetPageText(0), wxString(L"감시 종목.등록"));
  EXPECT_EQ(watchTabs->GetSelection(), 0);
  ASSERT_EQ(portalTabs->GetPageCount(), 1u);
  EXPECT_EQ(portalTabs->GetPageText(0), wxString(L"인터넷 포털 정보"));

  // The lists in their order: NASDAQ, the Dow's constituents, KOSPI, KOSDAQ.
  wxGrid* list = GridUnder(listTabs);
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(wait([&] { return list->GetNumberRows() == 6; }))
      << "list rows: " << list->GetNumberRows();
  const wchar_t* expected[6][6] = {
      {L"NASDAQ", L"AAPL.O", L"AAPL", L"애플", L"NASDAQ", L"USA"},
      {L"NASDAQ", L"MSFT.O", L"MSFT", L"마이크로소프트", L"NASDAQ", L"USA"},
      {L"DOW", L"JPM.N", L"JPM", L"JP모간 체이스", L"NYSE", L"USA"},
      {L"DOW", L"KO", L"KO", L"코카콜라", L"USA", L"USA"},
      {L"KOSPI", L"005930", L"005930", L"삼성전자", L"KOSPI", L"KOR"},
      {L"KOSDAQ", L"247540", L"247540", L"에코프로비엠", L"KOSDAQ", L"KOR"},
  };
  for (int r = 0; r < 6; ++r)
    for (int c = 0; c < 6; ++c)
      EXPECT_EQ(list->GetCellValue(r, c), wxString(expected[r][c])) << r << "," << c;

  // The watch grid with its blank rows for the user's stocks.
  wxGrid* watch = GridUnder(watchTabs->GetPage(0));
  ASSERT_NE(watch, nullptr);
  EXPECT_GT(watch->GetNumberRows(), 0);
  EXPECT_EQ(watch->GetColLabelValue(7), wxString(L" 종목명"));
  orv::test::RoadScreenshot("-board", 800);
  board->Close();
  EXPECT_TRUE(wait([&] { return ShownDialog(kBoardTitle) == nullptr; }));
}
