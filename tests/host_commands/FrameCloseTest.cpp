// The main frame's timer, commands, close and exit in a started host whose catalogue lists the
// probe module, which records every command it gets and when it is destroyed and unloaded.
// Each test starts its own host; message boxes are scripted.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/stattext.h>
#include <wx/toplevel.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "host/app/VarqoMainApp.h"
#include "host/catalogue/CatalogueAccess.h"
#include "host/frame/CaptionBar.h"
#include "host/frame/FrameCommandState.h"
#include "host/frame/LayoutFiles.h"
#include "host/frame/MainFrame.h"
#include "host/frame/MainStatusBar.h"
#include "host/frame/MainWindowSteps.h"
#include "platform/support/PluginLoader.h"
#include "platform/support/TextConv.h"
#include "platform/win/Clock.h"
#include "platform/win/KeepAwake.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "tests/probe/ProbeHarness.h"

namespace fs = std::filesystem;

namespace {

void Pump(int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until) {
    wxTheApp->ProcessPendingEvents();
    wxYield();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

bool IsTopLevel(wxWindow* window) {
  return std::find(wxTopLevelWindows.begin(), wxTopLevelWindows.end(), window) !=
         wxTopLevelWindows.end();
}

// Index of the first log line that starts with prefix, -1 when none does.
int IndexOf(const std::vector<std::string>& lines, const std::string& prefix) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
  }
  return -1;
}

// The modules heard command 21 with WPARAM 1 before ZIRO_DestroyAll, which came before the
// library was unloaded.
void ExpectStopThenDestroyThenUnload(const std::vector<std::string>& lines) {
  const int stop = IndexOf(lines, "cmd kind=2 code=21 w=1");
  const int destroy = IndexOf(lines, "DestroyAll");
  const int unload = IndexOf(lines, "unloaded");
  ASSERT_GE(stop, 0);
  ASSERT_GE(destroy, 0);
  ASSERT_GE(unload, 0);
  EXPECT_LT(stop, destroy);
  EXPECT_LT(destroy, unload);
}

// A host started from a fresh program folder whose first module is the probe.
class StartedHost {
 public:
  StartedHost() {
    orv::test::EnsureWxApp();
    static bool once = [] {
      wxInitAllImageHandlers();
      return true;
    }();
    (void)once;
    const orv::test::StagedHostFolders folders = orv::test::StageHostFolders("orv-cmd");
    root_ = folders.root;
    program_ = folders.program;
    const std::string catalogue = program_ + "Settings/app-settings.db";
    fs::copy_file(orv::test::ProbeModulePath(), program_ + "probe.so");
    sqlite3* db = nullptr;
    sqlite3_open(catalogue.c_str(), &db);
    sqlite3_exec(db, "UPDATE APP_MENU_INFO SET menu_link='../probe.dll' WHERE menu_idx=101",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);

    orv::win::ScriptMessageBoxes({});
    app_ = std::make_unique<CVarqoMainApp>(program_ + "orvella");
    app_->SetCatalogueAccess(orv::host::MakeCatalogueAccess());
    const char* argv[] = {"orvella"};
    if (!app_->InitInstance(1, argv) || !RunWindowSteps(*app_, windows_)) {
      ADD_FAILURE() << "the host did not start";
      std::abort();
    }
    Pump(100);
  }

  ~StartedHost() {
    if (windows_.frame != nullptr && IsTopLevel(windows_.frame)) {
      windows_.frame->CommandState().exited = true;
      windows_.frame->Destroy();
      Pump(50);
    }
    app_->ExitInstance();
    orv::win::StopScriptingMessageBoxes();
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  CVarqoMainApp& app() { return *app_; }
  CMainFrame& frame() { return *windows_.frame; }
  const std::string& program() const { return program_; }
  orv::test::ProbeLog& log() { return log_; }

  // Closes the frame as the window manager would and waits until it is gone (or 3 s).
  bool CloseAndWait() {
    CMainFrame* frame = windows_.frame;
    frame->Close(false);
    for (int i = 0; i < 300 && IsTopLevel(frame); ++i) Pump(10);
    return !IsTopLevel(frame);
  }

  // The close question as the frame words it in Korean.
  std::string ExpectedQuestion() {
    std::wstring title = app_->RunSettings().szProductTitle;
    if (title.empty()) title = app_->RunSettings().szAppName;
    return WideToUtf8(title) + " 프로그램을 종료할까요?";
  }

 private:
  std::string root_;
  std::string program_;
  orv::test::ProbeLog log_;
  std::unique_ptr<CVarqoMainApp> app_;
  HostWindows windows_;
};

}  // namespace

TEST(FrameClose, YesStopsTheModulesBeforeTheFrameGoesAndTheLibraryAfterItsWindows) {
  StartedHost host;
  ASSERT_EQ(host.log().LinesStartingWith("CreateAll").size(), 1u);
  orv::win::ScriptMessageBoxes({IDYES});
  ASSERT_TRUE(host.CloseAndWait());

  const auto calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].caption, "QUESTION");
  EXPECT_EQ(calls[0].text, host.ExpectedQuestion());
  EXPECT_EQ(calls[0].type, MB_YESNO | MB_ICONQUESTION);

  ExpectStopThenDestroyThenUnload(host.log().Lines());
  EXPECT_EQ(host.log().LinesStartingWith("cmd kind=2 code=21").size(), 1u);
  EXPECT_EQ(host.app().RunSettings().nAppRunning, 0);
  // The interface settings were saved; the layouts are the exit's alone.
  EXPECT_NE(orv::win::GetProfileInt("Settings", "UI-RibbonStyle", -1), -1);
  EXPECT_FALSE(fs::exists(host.program() + "layout.xml"));
}

TEST(FrameClose, NoKeepsEverythingRunning) {
  StartedHost host;
  orv::win::ScriptMessageBoxes({IDNO});
  host.frame().Close(false);
  Pump(100);
  ASSERT_TRUE(IsTopLevel(&host.frame()));
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls().size(), 1u);
  EXPECT_TRUE(host.log().LinesStartingWith("cmd kind=2 code=21").empty());
  EXPECT_NE(host.frame().GetPluginLoader(), nullptr);
  EXPECT_EQ(host.frame().GetPluginLoader()->GetLoadedCount(), 1u);
}

TEST(FrameClose, HideOnExitOnlyHidesTheWindow) {
  StartedHost host;
  host.app().RunSettings().byHideOnExit = 1;
  host.frame().Show();
  orv::win::ScriptMessageBoxes({IDYES});
  host.frame().Close(false);
  Pump(100);
  ASSERT_TRUE(IsTopLevel(&host.frame()));
  EXPECT_FALSE(host.frame().IsShown());
  EXPECT_TRUE(orv::win::ScriptedMessageBoxCalls().empty());
  EXPECT_TRUE(host.log().LinesStartingWith("cmd kind=2 code=21").empty());
}

TEST(FrameExit, StopsModulesSavesLayoutsAndUnloadsThePluginsBeforeTheFrameCloses) {
  StartedHost host;
  CMainFrame& frame = host.frame();
  orv::win::ScriptMessageBoxes({IDYES});
  frame.RunCommand(240);
  // The exit ran to its end inside the command: modules stopped, plug-ins gone.
  ExpectStopThenDestroyThenUnload(host.log().Lines());
  EXPECT_EQ(frame.GetPluginLoader(), nullptr);

  // The docking layout and the ribbon layout were written and load back into the panes.
  std::string docking;
  ASSERT_TRUE(orv::host::LoadDockingLayoutFile(host.program() + "layout.xml",
                                               orv::host::kNormalLayoutName, &docking));
  EXPECT_NE(docking.find("name=ModuleArea"), std::string::npos);
  orv::host::RibbonLayoutState ribbon;
  ASSERT_TRUE(orv::host::LoadRibbonLayoutFile(frame.RibbonLayoutPath(), &ribbon));
  EXPECT_EQ(frame.RibbonLayoutPath(), host.program() + "Settings/layout_ribbon.xml");
  EXPECT_EQ(ribbon.dockingLayout, docking);
  EXPECT_EQ(ribbon.themeId, frame.GetThemeId());
  EXPECT_TRUE(frame.ReloadLayout());
  EXPECT_NE(orv::win::GetProfileInt("Settings", "WndShowMode", -1), -1);

  // The frame then closes without asking again.
  for (int i = 0; i < 300 && IsTopLevel(&frame); ++i) Pump(10);
  EXPECT_FALSE(IsTopLevel(&frame));
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls().size(), 1u);
  EXPECT_EQ(host.log().LinesStartingWith("cmd kind=2 code=21").size(), 1u);
}

TEST(FrameExit, RefusedWhileOtherWorkRunsAndWhenTheUserSaysNo) {
  StartedHost host;
  CMainFrame& frame = host.frame();
  orv::win::ScriptMessageBoxes({IDYES});
  frame.ShowWaitPopup(L"wait", L"");
  EXPECT_EQ(frame.ExitApplication(0, true), 0);
  auto calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].text, "IDS_OTHER_WORK_IS_RUNNING");
  EXPECT_EQ(calls[0].caption, "ERROR");
  frame.HideWaitPopup();

  orv::win::ScriptMessageBoxes({IDNO});
  EXPECT_EQ(frame.ExitApplication(0, true), 0);
  EXPECT_TRUE(host.log().LinesStartingWith("cmd kind=2 code=21").empty());
  EXPECT_NE(frame.GetPluginLoader(), nullptr);
  EXPECT_FALSE(fs::exists(host.program() + "layout.xml"));
}

TEST(FrameTimerTick, KeepAwakeSaverAndPanesWithAnInjectedClockAndCursor) {
  StartedHost host;
  CMainFrame& frame = host.frame();
  app_run_setting_s& rs = host.app().RunSettings();
  rs.byHibernateOff = 1;
  rs.bySaverOn = 0;
  rs.byCustomSaverOn = 1;
  rs.dwSaverIdleMs = 10000;
  rs.dCurrencyRate = 1400.0;
  orv::win::FakeClock clock(50000);
  orv::win::ScopedClock scoped(clock);
  int keepAwakes = 0;
  uint32_t flags = 0;
  orv::win::SetKeepAwake([&](uint32_t f) {
    ++keepAwakes;
    flags = f;
  });
  std::vector<DWORD> saverStarts;
  frame.SetScreenSaverStarter([&](CMainFrame& f) {
    saverStarts.push_back(clock.NowTick());
    // The saver ends at once; its end restarts the idle time.
    f.OnScreenSaverEnded();
    return true;
  });
  frame.SetCursorSource([] { return POINT{321, 123}; });
  auto runFor = [&](int ms) {
    for (int t = 0; t < ms; t += 200) {
      frame.OnFrameTimerTick();
      clock.Advance(200);
    }
  };
  // 130 s of rest without the saver: one keep-awake request per minute.
  runFor(130000);
  orv::win::SetKeepAwake(nullptr);
  EXPECT_EQ(keepAwakes, 2);
  EXPECT_EQ(flags, 0x80000003u);
  EXPECT_TRUE(saverStarts.empty());
  CMainStatusBar* bar = frame.GetMainStatusBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->GetPaneText(ID_STATUS_CLOCK), L"09:02:09");
  EXPECT_EQ(bar->GetPaneText(ID_STATUS_USD), L"1$:1400.00");
  // The idle seconds as the clock turned to its second: 129 s after 09:00:00.
  EXPECT_EQ(bar->GetPaneText(ID_STATUS_SCR), L"절전.감시 : 129s(2)");

  // With the saver switched on it starts at once (long idle), and after each end only when
  // 30 s passed again, although 10 s are set.
  rs.bySaverOn = 1;
  runFor(70000);
  ASSERT_EQ(saverStarts.size(), 3u);
  EXPECT_EQ(saverStarts[1] - saverStarts[0], 30000u);
  EXPECT_EQ(saverStarts[2] - saverStarts[1], 30000u);
  // The frame's own timer outlives this test's locals.
  frame.SetScreenSaverStarter(nullptr);
  frame.SetCursorSource(nullptr);
  rs.bySaverOn = 0;
}

TEST(FrameCommands, WatchingLanguageAndSaveAllReachTheModules) {
  StartedHost host;
  CMainFrame& frame = host.frame();
  // Project 15 is no stock project: the module wording; the probe does not answer 113.
  host.app().RunSettings().nProjectIdx = 15;
  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  frame.RunCommand(109);
  auto calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].text, "▶모듈 감시를 시작(START)할까요?");
  EXPECT_EQ(calls[0].caption, "QUESTION");
  EXPECT_EQ(calls[1].text, "감시를 시작(START)하지 못했습니다.");
  EXPECT_EQ(host.log().LinesStartingWith("cmd kind=2 code=113 w=0").size(), 1u);

  host.app().RunSettings().nProjectIdx = 1;
  orv::win::ScriptMessageBoxes({IDNO});
  frame.RunCommand(897);
  calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].text, "■종목 감시를 중지(STOP)할까요?");
  EXPECT_TRUE(host.log().LinesStartingWith("cmd kind=2 code=114").empty());

  frame.RunCommand(486);
  EXPECT_EQ(host.log().LinesStartingWith("cmd kind=2 code=7 w=0").size(), 1u);
  frame.RunCommand(108);
  EXPECT_EQ(host.log().LinesStartingWith("cmd kind=2 code=115 w=0").size(), 1u);

  // The language combo tells every module window.
  frame.RunCommand(237, 0, 1);
  EXPECT_EQ(host.log().LinesStartingWith("msg 0x8006").size(), 1u);
  EXPECT_EQ(host.app().RunSettings().nLanguageCode, 1);
}

TEST(FrameCommands, SwitchesAndPaneTogglesShowTheirStates) {
  StartedHost host;
  CMainFrame& frame = host.frame();
  app_run_setting_s& rs = host.app().RunSettings();
  struct Case {
    int id;
    bool marksChanged;
  };
  for (const Case& c : {Case{279, true}, Case{244, true}, Case{245, true}, Case{241, true},
                        Case{275, true}, Case{221, true}, Case{234, false}, Case{236, true}}) {
    bool enabled = false;
    bool before = false;
    ASSERT_TRUE(frame.GetCommandState(c.id, &enabled, &before)) << c.id;
    rs.dwChangedFlags = 0;
    frame.RunCommand(c.id);
    bool after = before;
    frame.GetCommandState(c.id, &enabled, &after);
    EXPECT_NE(after, before) << c.id;
    EXPECT_EQ((rs.dwChangedFlags & 0x10u) != 0, c.marksChanged) << c.id;
    frame.RunCommand(c.id);
  }
  // A pane toggle is checked while its pane is open.
  bool enabled = false;
  bool open = false;
  frame.GetCommandState(968, &enabled, &open);
  frame.RunCommand(968);
  bool now = open;
  frame.GetCommandState(968, &enabled, &now);
  EXPECT_NE(now, open);
  // The plug-in editor needs a signed-in user of level 80 or more.
  frame.GetCommandState(482, &enabled, nullptr);
  EXPECT_FALSE(enabled);
  host.app().LoginInfo().nUserIdx = 7;
  host.app().LoginInfo().byUserLevel = 80;
  frame.GetCommandState(482, &enabled, nullptr);
  EXPECT_TRUE(enabled);
  // Themes: the applied one is checked and kept.
  frame.RunCommand(1250);
  EXPECT_EQ(frame.GetThemeId(), 1250);
  bool checked = false;
  frame.GetCommandState(1250, &enabled, &checked);
  EXPECT_TRUE(checked);
  EXPECT_EQ(rs.dwRibbonStyle, 1250u);
}

TEST(CaptionBar, ButtonsActOnlyWhenReleasedWhereTheyWerePressed) {
  StartedHost host;
  CMainFrame& frame = host.frame();
  CCaptionBar* bar = frame.GetCaptionBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->GetSize().y, bar->GetMetrics().height);
  EXPECT_EQ(bar->GetClockField()->GetId(), kCaptionClockId);
  auto centre = [&](int button) {
    const RECT& r = bar->GetButtonLayout().buttons[button];
    return wxPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  };
  auto mouse = [&](wxEventType type, wxPoint at) {
    wxMouseEvent event(type);
    event.SetPosition(at);
    event.SetEventObject(bar);
    bar->GetEventHandler()->ProcessEvent(event);
  };
  orv::win::ScriptMessageBoxes({IDNO});
  // Close pressed, released over minimise: nothing happens.
  mouse(wxEVT_LEFT_DOWN, centre(orv::host::kCaptionClose));
  EXPECT_EQ(bar->GetPressed(), orv::host::kCaptionClose);
  mouse(wxEVT_LEFT_UP, centre(orv::host::kCaptionMinimise));
  EXPECT_EQ(bar->GetPressed(), orv::host::kCaptionNone);
  EXPECT_TRUE(orv::win::ScriptedMessageBoxCalls().empty());
  EXPECT_FALSE(frame.IsIconized());
  // Close pressed and released on it: the close question.
  mouse(wxEVT_LEFT_DOWN, centre(orv::host::kCaptionClose));
  mouse(wxEVT_LEFT_UP, centre(orv::host::kCaptionClose));
  ASSERT_EQ(orv::win::ScriptedMessageBoxCalls().size(), 1u);
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls()[0].text, host.ExpectedQuestion());
  // The pin makes the frame stay on top and back.
  mouse(wxEVT_LEFT_DOWN, centre(orv::host::kCaptionPin));
  mouse(wxEVT_LEFT_UP, centre(orv::host::kCaptionPin));
  EXPECT_TRUE(bar->IsTopmost());
  EXPECT_TRUE(frame.HasFlag(wxSTAY_ON_TOP));
  bar->ToggleTopmost();
  EXPECT_FALSE(frame.HasFlag(wxSTAY_ON_TOP));
  // A language from the bar's menu reaches the frame as command 1534.
  frame.RunCommand(kCmdCaptionLanguage, 1);
  EXPECT_EQ(bar->GetLanguage(), 1);
  EXPECT_EQ(host.app().RunSettings().byLanguage, 1);
}
