// The AI analysis of a holding, in the real host against the sandbox: the 주문/정보 button of a
// held stock's row opens "주문하기"; the user presses "AI.분석" and says yes to the question.
// The AI worker gathers the stock's candles and investor trend from the DB broker, asks the
// sandbox's chat service with the key and address of the settings, uploads the answer to the
// web server ("stock/ai_cmt_up") and the order dialog's analysis page shows it.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/grid.h>
#include <wx/notebook.h>
#include <wx/webview.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "host/frame/MainFrame.h"
#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "tests/e2e/road/RoadHost.h"
#include "tests/e2e/road/RoadWindows.h"
#include "tests/e2e/road/TradingGrids.h"

using orv::test::AiChatPeer;
using orv::test::DbBrokerPeer;
using orv::test::RoadHost;
using namespace orv::test::grids;
using namespace orv::test::windows;

namespace {

constexpr auto kStepBound = std::chrono::seconds(30);

// Sixty day candles, newest first, that climb around 180,000 won.
std::vector<orv::test::DbCandle> DayCandles() {
  std::vector<orv::test::DbCandle> newestFirst;
  for (int i = 0; i < 60; ++i) {
    const int back = i;
    char date[16];
    std::snprintf(date, sizeof date, "2026%02d%02d", 12 - back / 28, 28 - back % 28);
    const double close = std::round((185000 - back * 200 + 3000 * std::sin(back / 5.0)) / 100) * 100;
    newestFirst.push_back({date, 0, close - 500, close + 1500, close - 1500, close, 50000.0 + i});
  }
  return newestFirst;
}

std::vector<orv::test::DbInvestorRow> InvestorRows() {
  std::vector<orv::test::DbInvestorRow> rows;
  for (int i = 0; i < 10; ++i) {
    orv::test::DbInvestorRow row;
    char date[16];
    std::snprintf(date, sizeof date, "202612%02d", 28 - i);
    row.date = date;
    row.volume = 100000;
    row.close = 185000;
    row.agencyBuyVolume = 2000 + 300 * (i % 3);
    row.agencySellVolume = 2500;
    row.foreignBuyVolume = 4000 - 500 * (i % 4);
    row.foreignSellVolume = 3000;
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

TEST(AiAnalysisRoad, TheAnalysisOfAHoldingShowsTheServicesAnswerInTheOrderDialog) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
  std::string error;
  ASSERT_TRUE(road.Prepare("000660 185000\n", &error)) << error;
  DbBrokerPeer& broker = road.Market().Broker();
  broker.SetCandles(DbBrokerPeer::kDayChartPath, DayCandles());
  broker.SetCandles(DbBrokerPeer::kMinuteChartPath, DayCandles());
  broker.SetInvestorRows(InvestorRows());
  ASSERT_TRUE(road.StartHost(&error)) << error;
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };
  std::wstring loginError;
  const int login = road.LogIn(&loginError);
  if (login != 1) road.KeepFolders();
  ASSERT_EQ(login, 1) << "log-in error: " << WideToUtf8(loginError);

  wxNotebook* tabs = TradingTabs(road.Frame());
  ASSERT_NE(tabs, nullptr);
  wxGrid* own = TabGrid(tabs, 1, false);
  ASSERT_NE(own, nullptr);
  ASSERT_TRUE(wait([&] { return RowOfCode(own, "000660") >= 0; })) << "no 000660 holding row";
  const int nameCol = ColumnTitled(own, L"종목명");
  ASSERT_GE(nameCol, 0);
  tabs->SetSelection(1);
  ClickCellButton(own, RowOfCode(own, "000660"), nameCol);
  wxDialog* dialog = nullptr;
  ASSERT_TRUE(wait([&] { return (dialog = ShownDialog(wxString(L"주문하기"))) != nullptr; }))
      << "the order dialog did not open";
  auto* aiButton = FindById<wxButton>(dialog, 1340);
  auto* pages = FindById<wxNotebook>(dialog, 2523);
  ASSERT_TRUE(aiButton && pages);
  EXPECT_EQ(aiButton->GetLabel(), wxString(L"AI.분석"));

  // The user asks for the analysis and says yes (the scripted boxes answer with their first
  // button).
  AiChatPeer& ai = road.Market().Ai();
  wxCommandEvent click(wxEVT_BUTTON, 1340);
  click.SetEventObject(aiButton);
  aiButton->GetEventHandler()->ProcessEvent(click);
  bool asked = false;
  for (const orv::win::MessageBoxCall& call : orv::win::ScriptedMessageBoxCalls())
    asked |= call.caption == "QUESTION" &&
             call.text.find("종목을 분석 할까요?") != std::string::npos;
  EXPECT_TRUE(asked) << "no question before the analysis";

  ASSERT_TRUE(wait([&] { return !ai.ChatRequests().empty(); })) << "the chat service was not asked";
  const orv::test::RecordedRequest chat = ai.ChatRequests().front();
  EXPECT_EQ(chat.Header("Authorization"), std::string("Bearer ") + orv::test::SandboxAccount::kAiKey);
  const std::string prompt = AiChatPeer::PromptOf(chat);
  EXPECT_EQ(prompt.rfind("SK하이닉스 (000660) [주식]의 추세를", 0), 0u) << prompt;
  EXPECT_NE(prompt.find("- 60일 일봉:\n20261" ), std::string::npos) << prompt;
  EXPECT_NE(prompt.find("- 최근 기관/외국인 추이:\n2026"), std::string::npos) << prompt;
  const std::string answer = AiChatPeer::SandboxAnswer(prompt);

  // The answer goes to the members' AI comments and into the analysis page.
  ASSERT_TRUE(wait([&] { return !road.WebRequests("stock/ai_cmt_up").empty(); }))
      << "the answer was not uploaded";
  const orv::test::RecordedRequest upload = road.WebRequests("stock/ai_cmt_up").front();
  ASSERT_NE(upload.Part("analyze_msg"), nullptr);
  EXPECT_EQ(upload.Part("analyze_msg")->content, answer);
  EXPECT_EQ(upload.Part("code")->content, "000660");
  EXPECT_EQ(upload.Part("used_token")->content, "1234");
  EXPECT_TRUE(wait([&] { return pages->GetSelection() == 1; })) << "the analysis tab is not shown";
  auto* page = FindById<wxWebView>(dialog, 2301);
  ASSERT_NE(page, nullptr);
  // The page's text, read through its script (the DOM readers need a web extension).
  auto pageText = [&] {
    wxString text;
    return page->RunScript("document.body ? document.body.innerText : ''", &text) ? text
                                                                                   : wxString();
  };
  EXPECT_TRUE(wait([&] { return pageText().Find(wxString::FromUTF8("샌드박스 AI")) != wxNOT_FOUND; }))
      << pageText().utf8_string();
  const wxString text = pageText();
  EXPECT_NE(text.Find(wxString(L"📈 SK하이닉스(000660) 주식 추세 분석")), wxNOT_FOUND);
  EXPECT_NE(text.Find(wxString::FromUTF8("\"상승\" 추세로")), wxNOT_FOUND) << text.utf8_string();
  EXPECT_TRUE(wait([&] {
    return road.FilesEndingWith("_app_log.csv").find("답변을 받지 못했습니다") == std::string::npos;
  }));

  if (const char* shot = std::getenv("ORV_ROAD_SCREENSHOT")) {
    dialog->Raise();
    orv::test::PumpEvents(1500);
    const std::string command = std::string("import -window root '") + shot + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }
  if (testing::Test::HasFailure()) road.KeepFolders();
  ASSERT_TRUE(road.CloseWithYes(std::chrono::seconds(10))) << "the main window did not close";
}
