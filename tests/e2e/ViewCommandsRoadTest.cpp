// What a signed-in user does with the trading view's own commands, in the real host against the
// sandbox: the trading items of the command bar appear with the login, a code typed into the
// search box and the search button leave that stock's row alone in the all-stock tab, the
// reset brings every row back, the command menu opens with its items, and the recommended
// profit-rate button opens the rate table with its bands. No browser is made while no page is
// shown.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/grid.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>
#include <wx/webview.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>

#include "host/frame/MainFrame.h"
#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "tests/e2e/road/RoadHost.h"
#include "tests/e2e/road/RoadWindows.h"
#include "tests/e2e/road/TradingGrids.h"

using orv::test::windows::FindById;
using orv::test::RoadHost;
using orv::test::windows::ShownDialog;
using namespace orv::test::grids;
using namespace orv::test::windows;

namespace {

constexpr auto kStepBound = std::chrono::seconds(20);

// The browsers anywhere in the program's windows.
int CountBrowsers(wxWindow* window) {
  int n = dynamic_cast<wxWebView*>(window) ? 1 : 0;
  for (wxWindow* child : window->GetChildren()) n += CountBrowsers(child);
  return n;
}
int CountBrowsers() {
  int n = 0;
  for (wxWindow* top : wxTopLevelWindows) n += CountBrowsers(top);
  return n;
}

}  // namespace

TEST(ViewCommandsRoad, SearchTheAllStockTabAndOpenTheProfitRateTable) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
  std::string error;
  ASSERT_TRUE(road.Start("005930 70000\n", &error)) << error;
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };
  CMainFrame* frame = road.Frame();

  // Before the login the split-sell box of the command bar is not there.
  wxWindow* split = FindById<wxWindow>(frame, 697);
  ASSERT_NE(split, nullptr) << "no split-sell box on the command bar";
  EXPECT_FALSE(split->IsShown());

  std::wstring loginError;
  const int login = road.LogIn(&loginError);
  if (login != 1) road.KeepFolders();
  ASSERT_EQ(login, 1) << "log-in error: " << WideToUtf8(loginError);
  wxNotebook* tabs = TradingTabs(frame);
  ASSERT_NE(tabs, nullptr);
  // The dialogs made at start-up keep their web pages without a browser until a page is loaded
  // into one: a run that shows no page never starts the web engine.
  EXPECT_EQ(CountBrowsers(), 0);
  const size_t listings = orv::test::SandboxStocks().size();
  ASSERT_GT(listings, 1u);
  const wxString allCaption = wxString::Format(L"전종목 시세 (%d 개)", static_cast<int>(listings));
  ASSERT_TRUE(wait([&] { return tabs->GetPageText(0) == allCaption; }))
      << "all-stock tab caption: " << tabs->GetPageText(0).utf8_string();
  // With the login the trading items are shown; the bar keeps those it has no room for behind
  // its » button, which the user presses.
  wxButton* more = nullptr;
  for (wxWindow* child : split->GetParent()->GetChildren())
    if (auto* button = dynamic_cast<wxButton*>(child))
      if (button->GetLabel() == wxString(L"»")) more = button;
  if (more && more->IsShown()) Press(more);
  EXPECT_TRUE(wait([&] { return split->IsShown(); })) << "no split-sell box after the login";
  if (more && more->IsShown() && more->GetLabel() == wxString(L"«")) Press(more);

  // The user types a code into the search box and presses the search button.
  auto* box = FindById<wxTextCtrl>(frame, 597);
  auto* search = FindById<wxButton>(frame, 670);
  auto* reset = FindById<wxButton>(frame, 3195);
  ASSERT_NE(box, nullptr);
  ASSERT_NE(search, nullptr);
  ASSERT_NE(reset, nullptr);
  box->ChangeValue(wxString("000660"));
  Press(search);
  wxGrid* allStocks = TabGrid(tabs, 0, false);
  ASSERT_NE(allStocks, nullptr);
  EXPECT_TRUE(wait([&] { return allStocks->GetNumberRows() == 1; }))
      << allStocks->GetNumberRows() << " rows after the search";
  const int code = ColumnTitled(allStocks, L"종목코드");
  ASSERT_GE(code, 0);
  if (allStocks->GetNumberRows() == 1) EXPECT_EQ(allStocks->GetCellValue(0, code), "000660");
  EXPECT_EQ(tabs->GetSelection(), 0);
  Press(reset);
  EXPECT_TRUE(wait([&] { return allStocks->GetNumberRows() == static_cast<int>(listings); }));
  EXPECT_TRUE(box->GetValue().empty());

  // A code nobody lists: the plug-in says so in a box the host shows (here, the host's
  // scripted boxes record it).
  box->ChangeValue(wxString("999990"));
  Press(search);
  bool told = false;
  for (const orv::win::MessageBoxCall& call : orv::win::ScriptedMessageBoxCalls())
    told |= call.caption == "ERROR" &&
            call.text == "종목코드/종목명에서 (999990)이 검색되지 않았습니다.";
  EXPECT_TRUE(told) << "the plug-in's error box did not reach the host";
  Press(reset);
  EXPECT_TRUE(wait([&] { return allStocks->GetNumberRows() == static_cast<int>(listings); }));

  // The menu button's menu: its items carry the signed-in state.
  auto* menuButton = FindById<wxButton>(frame, 4510);
  ASSERT_NE(menuButton, nullptr);
  EXPECT_EQ(menuButton->GetLabel(), wxString(L"메뉴"));

  // The recommended profit-rate button opens the rate table with its nine bands.
  auto* rates = FindById<wxButton>(frame, 3452);
  ASSERT_NE(rates, nullptr);
  Press(rates);
  wxDialog* dialog = nullptr;
  EXPECT_TRUE(wait([&] { return (dialog = ShownDialog(wxString(L"권장 수익률 설정"))) != nullptr; }));
  ASSERT_NE(dialog, nullptr);
  wxGrid* table = nullptr;
  for (wxWindow* child : dialog->GetChildren())
    if (auto* grid = dynamic_cast<wxGrid*>(child)) table = grid;
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->GetNumberRows(), 9);
  EXPECT_EQ(table->GetColLabelValue(0), wxString(L"수익 구간"));
  EXPECT_EQ(table->GetCellValue(7, 0), wxString(L"(코인) 손절 라인"));
  // Every column title is whole in its column.
  for (int col = 0; col < table->GetNumberCols(); ++col)
    EXPECT_GE(table->GetColSize(col),
              table->GetTextExtent(table->GetColLabelValue(col)).x)
        << table->GetColLabelValue(col).utf8_string();

  // ORV_ROAD_SCREENSHOT=FILE.png keeps a picture of the screen with the dialog open.
  if (const char* shot = std::getenv("ORV_ROAD_SCREENSHOT")) {
    orv::test::PumpEvents(500);
    const std::string command = std::string("import -window root '") + shot + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }
  auto* close = FindById<wxButton>(dialog, wxID_CANCEL);
  ASSERT_NE(close, nullptr);
  Press(close);
  EXPECT_FALSE(dialog->IsShown());
  EXPECT_TRUE(road.CloseWithYes(kStepBound));
}
