// The signed-in user opens the settings from the command menu, changes an option and saves; the
// dialog closes, opens again with the new value, and after the program is closed and started
// again the value is still there.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/propgrid/propgrid.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>

#include "host/frame/MainFrame.h"
#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "tests/e2e/road/RoadHost.h"
#include "tests/e2e/road/RoadWindows.h"

using orv::test::RoadHost;
using orv::test::windows::FindById;
using orv::test::windows::ShownDialog;

namespace {

constexpr auto kStepBound = std::chrono::seconds(20);
constexpr int kCommandMenuButton = 4510;
constexpr int kSettingsCommand = 3386;
const wchar_t kHoldingsInterval[] = L"A6. 보유 종목 조회 간격 (비트코인은 필수)";

// The user picks "1. 환경 설정" from the command bar's menu.
void PickSettingsCommand(CMainFrame* frame) {
  wxWindow* menuButton = FindById<wxButton>(frame, kCommandMenuButton);
  ASSERT_NE(menuButton, nullptr);
  wxCommandEvent pick(wxEVT_MENU, kSettingsCommand);
  menuButton->GetParent()->GetEventHandler()->ProcessEvent(pick);
}

wxPGProperty* RowLabelled(wxPropertyGrid* grid, const wchar_t* label) {
  for (wxPropertyGridIterator it = grid->GetIterator(wxPG_ITERATE_ALL); !it.AtEnd(); ++it)
    if ((*it)->GetLabel() == wxString(label)) return *it;
  return nullptr;
}

}  // namespace

TEST(SettingsRoad, AChangedOptionIsSavedAndKeptAcrossARestart) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
  std::string error;
  ASSERT_TRUE(road.Start("005930 70000\n", &error)) << error;
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };
  std::wstring loginError;
  ASSERT_EQ(road.LogIn(&loginError), 1) << WideToUtf8(loginError);

  PickSettingsCommand(road.Frame());
  wxDialog* dialog = nullptr;
  ASSERT_TRUE(wait([&] { return (dialog = ShownDialog(L"환경설정")) != nullptr; }));
  auto* grid = FindById<wxPropertyGrid>(dialog, 365);
  ASSERT_NE(grid, nullptr);
  wxPGProperty* interval = RowLabelled(grid, kHoldingsInterval);
  ASSERT_NE(interval, nullptr);
  EXPECT_EQ(interval->GetValue().GetLong(), 30000);
  orv::test::RoadScreenshot("-open");

  // The user picks "1분 간격으로 조회" and presses the save button; the plug-in's questions are
  // answered with their first button (yes, then OK) by the program's scripted boxes.
  grid->SelectProperty(interval);
  ASSERT_TRUE(grid->ChangePropertyValue(interval, 60000L));
  EXPECT_EQ(interval->GetValueAsString(), wxString(L"1분 간격으로 조회"));
  auto* save = FindById<wxButton>(dialog, 386);
  ASSERT_NE(save, nullptr);
  wxCommandEvent press(wxEVT_BUTTON, save->GetId());
  press.SetEventObject(save);
  save->GetEventHandler()->ProcessEvent(press);
  EXPECT_TRUE(wait([&] { return !dialog->IsShown(); })) << "the dialog stayed open after the save";
  bool announced = false;
  for (const orv::win::MessageBoxCall& call : orv::win::ScriptedMessageBoxCalls())
    announced = announced || (call.caption == "INFORMATION" &&
                              call.text.rfind("설정이 저장 되었습니다.", 0) == 0);
  EXPECT_TRUE(announced) << "the save was not announced";

  // Opened again, it shows the saved choice.
  PickSettingsCommand(road.Frame());
  ASSERT_TRUE(wait([&] { return dialog->IsShown(); }));
  interval = RowLabelled(grid, kHoldingsInterval);
  ASSERT_NE(interval, nullptr);
  EXPECT_EQ(interval->GetValue().GetLong(), 60000);
  dialog->Close();
  EXPECT_TRUE(wait([&] { return !dialog->IsShown(); }));

  // Closed and started again: the catalogue gives the option back.
  ASSERT_TRUE(road.CloseWithYes(kStepBound));
  ASSERT_TRUE(road.Restart(&error)) << error;
  ASSERT_EQ(road.LogIn(&loginError), 1) << WideToUtf8(loginError);
  PickSettingsCommand(road.Frame());
  ASSERT_TRUE(wait([&] { return (dialog = ShownDialog(L"환경설정")) != nullptr; }));
  grid = FindById<wxPropertyGrid>(dialog, 365);
  ASSERT_NE(grid, nullptr);
  interval = RowLabelled(grid, kHoldingsInterval);
  ASSERT_NE(interval, nullptr);
  EXPECT_EQ(interval->GetValue().GetLong(), 60000);
  grid->EnsureVisible(interval);
  orv::test::RoadScreenshot("-restarted");
  EXPECT_TRUE(road.CloseWithYes(kStepBound));
}
