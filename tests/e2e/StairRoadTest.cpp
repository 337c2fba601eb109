// The step stop-loss and take-profit dialog on the road: the signed-in user right-clicks a
// holding's row and picks "계단 손절/익절 설정"; the dark step dialog opens for that holding with
// the number of held stocks. The user raises band 1's minimum profit and the domestic loss-cut
// line and presses "수익률 설정 적용": the holding's row shows the new minimum profit, step
// interval and stop-loss with automatic trading off. "전종목 감시/매도 시작" switches the
// holding's automatic trading back on and the status light turns green.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/grid.h>
#include <wx/propgrid/propgrid.h>
#include <wx/stattext.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

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

using orv::test::RoadHost;
using orv::test::windows::FindById;
using namespace orv::test::grids;

namespace {

constexpr auto kStepBound = std::chrono::seconds(20);
constexpr int kStairCommand = 3178;
const wchar_t kTitlePrefix[] = L"계단 손절/익절 설정 - ";

wxDialog* ShownStairDialog() {
  for (wxWindow* top : wxTopLevelWindows)
    if (auto* dialog = dynamic_cast<wxDialog*>(top))
      if (dialog->IsShown() && dialog->GetTitle().StartsWith(kTitlePrefix)) return dialog;
  return nullptr;
}

wxPGProperty* RowLabelled(wxPropertyGrid* grid, const wchar_t* label) {
  for (wxPropertyGridIterator it = grid->GetIterator(wxPG_ITERATE_ALL); !it.AtEnd(); ++it)
    if ((*it)->GetLabel() == wxString(label)) return *it;
  return nullptr;
}

void Press(wxDialog* dialog, int id) {
  auto* button = FindById<wxButton>(dialog, id);
  ASSERT_NE(button, nullptr) << id;
  wxCommandEvent press(wxEVT_BUTTON, id);
  press.SetEventObject(button);
  button->GetEventHandler()->ProcessEvent(press);
}

bool Announced(const char* caption, const std::string& text) {
  for (const orv::win::MessageBoxCall& call : orv::win::ScriptedMessageBoxCalls())
    if (call.caption == caption && call.text == text) return true;
  return false;
}

}  // namespace

TEST(StairRoad, TheStepDialogOpensForAHoldingAndAppliesItsRulesToIt) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
  std::string error;
  ASSERT_TRUE(road.Start("005930 70000 000660 198000\n", &error)) << error;
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };
  std::wstring loginError;
  ASSERT_EQ(road.LogIn(&loginError), 1) << WideToUtf8(loginError);

  wxGrid* own = TabGrid(TradingTabs(road.Frame()), 1, false);
  ASSERT_NE(own, nullptr);
  int row = -1;
  ASSERT_TRUE(wait([&] { return (row = RowOfCode(own, "005930")) >= 0; }));
  const int minProfitCol = ColumnTitled(own, L"최저이익");
  const int stepCol = ColumnTitled(own, L"간격");
  const int stopCol = ColumnTitled(own, L"손절기준");
  ASSERT_GE(minProfitCol, 0);
  ASSERT_GE(stepCol, 0);
  ASSERT_GE(stopCol, 0);

  // The user right-clicks the holding's row and picks the step command.
  // A loaded machine may close the menu before the pick reaches it: the user tries again.
  wxDialog* dialog = nullptr;
  for (int attempt = 0; attempt < 3 && !dialog; ++attempt) {
    const auto pick = PickRowMenuCommand(own, row, kStairCommand);
    road.WaitFor([&] { return (dialog = ShownStairDialog()) != nullptr; },
                 std::chrono::seconds(5));
  }
  ASSERT_NE(dialog, nullptr) << "no step dialog";
  EXPECT_TRUE(dialog->GetTitle().EndsWith(L"(005930)")) << dialog->GetTitle();
  auto* count = FindById<wxStaticText>(dialog, 19002);
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count->GetLabel(), wxString(L"현재 종목 수: 3"));
  auto* grid = FindById<wxPropertyGrid>(dialog, 365);
  ASSERT_NE(grid, nullptr);
  wxPGProperty* minProfit = RowLabelled(grid, L"최저 이익 (3~5% 권장)");
  wxPGProperty* domestic = RowLabelled(grid, L"국내 주식 손절 라인(%) (-100:손절안함)");
  ASSERT_NE(minProfit, nullptr);
  ASSERT_NE(domestic, nullptr);
  EXPECT_DOUBLE_EQ(minProfit->GetValue().GetDouble(), 3.8);
  EXPECT_DOUBLE_EQ(domestic->GetValue().GetDouble(), -10.0);

  if (const char* shot = std::getenv("ORV_ROAD_SCREENSHOT")) {
    dialog->Raise();
    orv::test::PumpEvents(800);
    const std::string command = std::string("import -window root '") + shot + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }

  // The user sets band 1's minimum profit to 6 % and the domestic loss-cut line to -8 %, then
  // applies. The holding (profit below 4.9 %) takes band 1's values.
  orv::win::ScriptMessageBoxes({});
  ASSERT_TRUE(grid->ChangePropertyValue(minProfit, 6.0));
  ASSERT_TRUE(grid->ChangePropertyValue(domestic, -8.0));
  Press(dialog, 19004);
  EXPECT_TRUE(Announced("INFORMATION", "감시구간 설정이 적용되었습니다."));
  EXPECT_TRUE(wait([&] {
    row = RowOfCode(own, "005930");
    return row >= 0 && CellNumber(own, row, minProfitCol) == 6.0 &&
           CellNumber(own, row, stepCol) == 2.0;
  })) << "min profit " << CellNumber(own, row, minProfitCol) << ", step "
      << CellNumber(own, row, stepCol);
  const double stop = CellNumber(own, row, stopCol);
  EXPECT_LE(stop, -8.0) << stop;
  EXPECT_GT(stop, -100.0) << stop;

  // The start button switches the holding's automatic trading on; the light ends green.
  Press(dialog, 19005);
  bool failed = false;
  for (const orv::win::MessageBoxCall& call : orv::win::ScriptedMessageBoxCalls())
    failed = failed || call.caption == "ERROR";
  EXPECT_FALSE(failed);

  // Escape does not close the dialog; the close button hides it.
  wxKeyEvent escape(wxEVT_CHAR_HOOK);
  escape.m_keyCode = WXK_ESCAPE;
  dialog->GetEventHandler()->ProcessEvent(escape);
  EXPECT_TRUE(dialog->IsShown());
  Press(dialog, 983);
  EXPECT_TRUE(wait([&] { return !dialog->IsShown(); }));
  orv::win::StopScriptingMessageBoxes();
  EXPECT_TRUE(road.CloseWithYes(kStepBound));
}
