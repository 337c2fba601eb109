// The monitoring view on the road: the trading view puts it in the host's monitoring pane with
// its toolbars, the summary line, the status line and the found-stock grid; after the login the
// user asks for the automatic-buy settings, which in the scan mode opens the recommended-stock
// board, and switches the whole-market scan on after its question.
#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/grid.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/tglbtn.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "host/frame/MainFrame.h"
#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "tests/e2e/road/RoadHost.h"
#include "tests/e2e/road/RoadWindows.h"
#include "tests/e2e/road/TradingGrids.h"

using orv::test::RoadHost;
using orv::test::windows::FindById;
using orv::test::windows::ShownDialog;

namespace {
constexpr auto kStepBound = std::chrono::seconds(20);
constexpr int kMonitoringView = 2529;
constexpr int kMonitoringPane = 970;
}  // namespace

TEST(MonitoringRoad, TheViewStandsInItsPaneAndDrivesTheBoardAndTheScan) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR, "db"});
  std::string error;
  ASSERT_TRUE(road.Start("005930 70000 000660 198000\n", &error)) << error;
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };

  wxPanel* view = nullptr;
  ASSERT_TRUE(wait([&] { return (view = FindById<wxPanel>(road.Frame(), kMonitoringView)); }));
  EXPECT_EQ(view->GetName(), "CStockMonitoringView");
  ASSERT_NE(view->GetParent(), nullptr);
  EXPECT_EQ(view->GetParent()->GetId(), kMonitoringPane);
  EXPECT_TRUE(wait([&] { return view->IsShownOnScreen(); }));
  for (int id : {3456, 3457, 2530, 3218})
    EXPECT_NE(FindById<wxWindow>(view, id), nullptr) << id;
  auto* summary = FindById<wxStaticText>(view, 3213);
  ASSERT_NE(summary, nullptr);
  EXPECT_EQ(summary->GetLabel(), wxString("*(0)"));
  // The bars are laid out over the pane's width, each below the other, the grid last.
  wxWindow* mainBar = FindById<wxWindow>(view, 3456);
  wxWindow* limitBar = FindById<wxWindow>(view, 3457);
  wxWindow* grid = FindById<wxWindow>(view, 2530);
  ASSERT_NE(grid, nullptr);
  while (grid->GetParent() != view) grid = grid->GetParent();
  EXPECT_LE(mainBar->GetRect().GetBottom(), limitBar->GetRect().GetTop());
  EXPECT_LT(limitBar->GetRect().GetBottom(), grid->GetRect().GetTop());
  EXPECT_EQ(grid->GetRect().GetBottom(), view->GetClientSize().y - 1);

  std::wstring loginError;
  const int login = road.LogIn(&loginError);
  if (login != 1) road.KeepFolders();
  ASSERT_EQ(login, 1) << "log-in error: " << WideToUtf8(loginError);

  // Automatic trading was not allowed when the view was made: the limits cannot be changed.
  auto* perStock = FindById<wxChoice>(view, 2535);
  ASSERT_NE(perStock, nullptr);
  EXPECT_FALSE(perStock->IsEnabled());
  EXPECT_EQ(perStock->GetStringSelection(), wxString(L"10 만원"));

  // Signed in, in the scan mode, the settings command opens the recommended-stock board.
  wxWindow* settings = FindById<wxWindow>(view, 3212);
  ASSERT_NE(settings, nullptr);
  wxCommandEvent press(wxEVT_BUTTON, 3212);
  press.SetEventObject(settings);
  settings->ProcessWindowEvent(press);
  wxDialog* board = nullptr;
  EXPECT_TRUE(wait([&] { return (board = ShownDialog(L"추천종목 관리 + 분할매수")) != nullptr; }));
  if (board) board->Close();

  // The scan switch, after its question, is on and the summary says so.
  auto* scan = FindById<wxToggleButton>(view, 2533);
  ASSERT_NE(scan, nullptr);
  orv::win::ScriptMessageBoxes({IDYES});
  scan->SetValue(true);
  wxCommandEvent toggle(wxEVT_TOGGLEBUTTON, 2533);
  toggle.SetEventObject(scan);
  toggle.SetInt(1);
  scan->ProcessWindowEvent(toggle);
  const auto calls = orv::win::ScriptedMessageBoxCalls();
  orv::win::StopScriptingMessageBoxes();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].caption, "QUESTION");
  EXPECT_NE(calls[0].text.find("거래소 전체 종목에서 검색을 시작(ON)"), std::string::npos);
  EXPECT_EQ(summary->GetLabel(), wxString("*ON*(0)"));

  // ORV_ROAD_SCREENSHOT=FILE.png keeps a picture of the screen with the view in its pane.
  if (const char* shot = std::getenv("ORV_ROAD_SCREENSHOT")) {
    road.Frame()->SetSize(1400, 900);
    orv::test::PumpEvents(1200);
    const std::string command = std::string("import -window root '") + shot + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }
  EXPECT_TRUE(road.CloseWithYes(kStepBound));
}

namespace {

// The first grid under a window (the found-stock grid's body).
wxGrid* BodyGrid(wxWindow* window) {
  if (!window) return nullptr;
  if (auto* grid = dynamic_cast<wxGrid*>(window)) return grid;
  for (wxWindow* child : window->GetChildren())
    if (wxGrid* grid = BodyGrid(child)) return grid;
  return nullptr;
}

// The codes the grid shows, top to bottom.
std::vector<std::string> ShownCodes(wxGrid* grid) {
  std::vector<std::string> codes;
  const int col = orv::test::grids::ColumnTitled(grid, L"종목코드");
  for (int row = 0; col >= 0 && row < grid->GetNumberRows(); ++row)
    codes.push_back(grid->GetCellValue(row, col).ToStdString());
  return codes;
}

void Toggle(wxWindow* view, int id, bool on) {
  wxWindow* control = FindById<wxWindow>(view, id);
  ASSERT_NE(control, nullptr) << id;
  if (auto* toggle = dynamic_cast<wxToggleButton*>(control)) toggle->SetValue(on);
  if (auto* check = dynamic_cast<wxCheckBox*>(control)) check->SetValue(on);
  wxCommandEvent event(dynamic_cast<wxCheckBox*>(control) ? wxEVT_CHECKBOX : wxEVT_TOGGLEBUTTON,
                       id);
  event.SetEventObject(control);
  event.SetInt(on);
  control->ProcessWindowEvent(event);
}

}  // namespace

// The whole-market scan on the road: the user's signal module in the program's "PlugIn" folder
// (the test module flags a rising stock and scores it by its rise) runs over the broker's
// master list once the user switches the scan on; the flagged stocks fill the found-stock grid,
// the highest rise first. The real-time log switch opens today's search file with its header.
// The host then closes in the middle of the scan, and the worker is joined in bounded time.
TEST(MonitoringRoad, TheScanListsTheModulesStocksAndTheHostClosesInTheMiddleOfIt) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR, "db"});
  std::string error;
  // 005930 rises about 1.4%, 000660 about 2.3% over their previous closes.
  ASSERT_TRUE(road.Prepare("005930 72000 000660 201000\n", &error)) << error;
  std::filesystem::create_directories(road.ProgramFolder() + "PlugIn");
  std::filesystem::copy_file(std::string(QLX_MODULE_DIR) + "QLX_alpha.so",
                             road.ProgramFolder() + "PlugIn/QLX_alpha.so");
  {
    orv::win::Registry settings;
    ASSERT_TRUE(settings.Open("Vurorivide", "Orvella.ini"));
    ASSERT_TRUE(settings.WriteString("Settings", "STOCK_SignalModule", "alpha"));
  }
  ASSERT_TRUE(road.StartHost(&error)) << error;
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };

  wxPanel* view = nullptr;
  ASSERT_TRUE(wait([&] { return (view = FindById<wxPanel>(road.Frame(), kMonitoringView)); }));
  auto* modules = FindById<wxChoice>(view, 2532);
  ASSERT_NE(modules, nullptr);
  EXPECT_EQ(modules->GetStringSelection(), wxString("alpha"));
  std::wstring loginError;
  const int login = road.LogIn(&loginError);
  if (login != 1) road.KeepFolders();
  ASSERT_EQ(login, 1) << "log-in error: " << WideToUtf8(loginError);

  // The real-time log: after its question today's file holds the mark and the header.
  orv::win::ScriptMessageBoxes({IDYES});
  Toggle(view, 2539, true);
  orv::win::StopScriptingMessageBoxes();
  const std::string header = "시간,명령,키값,조건명,진입/이탈,검출수,EQ수,종목코드,종목명,가격,등락률(%),";
  EXPECT_TRUE(wait([&] {
    return road.FilesEndingWith(".csv").find("\xEF\xBB\xBF" + header) != std::string::npos;
  }));

  wxGrid* grid = BodyGrid(FindById<wxWindow>(view, 2530));
  ASSERT_NE(grid, nullptr);
  orv::win::ScriptMessageBoxes({IDYES});
  Toggle(view, 2533, true);
  orv::win::StopScriptingMessageBoxes();
  std::vector<std::string> codes;
  const bool listed = wait([&] {
    codes = ShownCodes(grid);
    return codes.size() >= 2 && codes[0] == "000660" && codes[1] == "005930";
  });
  if (!listed) road.KeepFolders();
  ASSERT_TRUE(listed) << ::testing::PrintToString(codes);
  auto* status = FindById<wxStaticText>(view, 3218);
  ASSERT_NE(status, nullptr);
  EXPECT_TRUE(wait([&] { return status->GetLabel().Contains("/"); })) << status->GetLabel();
  auto* summary = FindById<wxStaticText>(view, 3213);
  ASSERT_NE(summary, nullptr);
  EXPECT_TRUE(summary->GetLabel().StartsWith("*ON*")) << summary->GetLabel();
  road.Frame()->SetSize(0, 0, 1600, 1000);
  orv::test::RoadScreenshot("-scan", 1200);

  // The host closes with the scan running; the view's end joins the worker.
  const auto before = std::chrono::steady_clock::now();
  EXPECT_TRUE(road.CloseWithYes(kStepBound));
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(10));
}

// Condition searches on the road: the user logs in with the sandbox's Kiwoom account, whose
// real-time stream lists the user's three conditions and pushes entries and exits of sandbox
// stocks. The names fill the condition combo; with the real-time log on, an entry shows its
// row in the found-stock grid and writes its IN row, the exit removes the row and writes OUT.
TEST(MonitoringRoad, KiwoomConditionSearchesFillTheComboGridAndLog) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR, "kiwoom"});
  std::string error;
  ASSERT_TRUE(road.Start("005930 70000 000660 198000\n", &error)) << error;
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };
  wxPanel* view = nullptr;
  ASSERT_TRUE(wait([&] { return (view = FindById<wxPanel>(road.Frame(), kMonitoringView)); }));

  // The real-time log is switched on first, so no entry goes unwritten.
  orv::win::ScriptMessageBoxes({IDYES});
  Toggle(view, 2539, true);
  orv::win::StopScriptingMessageBoxes();

  std::wstring loginError;
  const int login = road.LogIn(&loginError, 1);
  if (login != 1) road.KeepFolders();
  ASSERT_EQ(login, 1) << "log-in error: " << WideToUtf8(loginError);

  auto* combo = FindById<wxChoice>(view, 2197);
  ASSERT_NE(combo, nullptr);
  const bool named = wait([&] { return combo->GetCount() == 3; });
  if (!named) road.KeepFolders();
  ASSERT_TRUE(named) << combo->GetCount();
  EXPECT_EQ(combo->GetString(0), wxString(L"급등주 포착"));
  EXPECT_EQ(combo->GetString(2), wxString(L"눌림목 매수"));

  // The first condition's current match is listed when its search starts.
  wxGrid* grid = BodyGrid(FindById<wxWindow>(view, 2530));
  ASSERT_NE(grid, nullptr);
  const std::string first = orv::test::SandboxStocks().front().code;
  EXPECT_TRUE(wait([&] { return ShownCodes(grid) == std::vector<std::string>{first}; }))
      << ::testing::PrintToString(ShownCodes(grid));
  // The market's stream (this road's market ticks by inquiries) pushes an entry, then its exit.
  orv::test::KiwoomQuoteStreamPeer& stream = road.Market().KiwoomStream();
  ASSERT_TRUE(wait([&] { return stream.Started().count(1) == 1; }));
  ASSERT_EQ(stream.PushConditionEvent(1, "000660", 'I'), 1);
  EXPECT_TRUE(wait([&] {
    const auto codes = ShownCodes(grid);
    return std::find(codes.begin(), codes.end(), "000660") != codes.end();
  })) << ::testing::PrintToString(ShownCodes(grid));
  if (const char* shot = std::getenv("ORV_ROAD_SCREENSHOT")) {
    road.Frame()->SetSize(1400, 900);
    orv::test::PumpEvents(1200);
    const std::string command = std::string("import -window root '") + shot + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }
  ASSERT_EQ(stream.PushConditionEvent(1, "000660", 'D'), 1);
  EXPECT_TRUE(wait([&] { return ShownCodes(grid) == std::vector<std::string>{first}; }))
      << ::testing::PrintToString(ShownCodes(grid));
  const bool logged = wait([&] {
    const std::string log = road.FilesEndingWith(".csv");
    return log.find(",000660,\"거래량 급증\",IN/I,") != std::string::npos &&
           log.find(",\"거래량 급증\",OUT,") != std::string::npos;
  });
  if (!logged) road.KeepFolders();
  EXPECT_TRUE(logged);
  EXPECT_TRUE(road.CloseWithYes(kStepBound));
}
