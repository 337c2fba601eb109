// The frame timer's decisions, the caption bar's layout and hit test, the layout files and
// the about box's page and title, without windows.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "host/dialogs/AboutDlg.h"
#include "host/frame/CaptionBar.h"
#include "host/frame/CaptionBarLayout.h"
#include "host/frame/DisplayDpi.h"
#include "host/frame/FrameTimerLogic.h"
#include "host/frame/LayoutFiles.h"
#include "host/frame/MainStatusBar.h"
#include "tests/probe/ProbeHarness.h"

using namespace orv::host;

namespace {

SYSTEMTIME At(int hour, int minute, int second) {
  SYSTEMTIME t;
  t.wYear = 2025;
  t.wMonth = 1;
  t.wDay = 6;
  t.wHour = static_cast<WORD>(hour);
  t.wMinute = static_cast<WORD>(minute);
  t.wSecond = static_cast<WORD>(second);
  return t;
}

// Runs ticks 200 ms apart with a resting cursor from `start` for `ms`; counts the saver
// starts and remembers the tick of the first one.
struct RestRun {
  int keepAwakes = 0;
  int saverStarts = 0;
  DWORD firstSaver = 0;
};

RestRun RestFor(FrameTimerLogic& logic, DWORD start, DWORD ms, const FrameTimerSwitches& sw,
                POINT cursor = POINT{10, 20}) {
  RestRun run;
  for (DWORD t = 0; t <= ms; t += 200) {
    const FrameTimerActions a = logic.Tick(start + t, At(9, 0, 0), cursor, sw);
    if (a.keepAwake) ++run.keepAwakes;
    if (a.showSaver && run.saverStarts++ == 0) run.firstSaver = t;
  }
  return run;
}

}  // namespace

TEST(FrameTimer, KeepAwakeOncePerMinuteOnlyWithTheNoSleepSwitch) {
  FrameTimerSwitches sw;
  sw.noSleep = true;
  FrameTimerLogic logic;
  // The first tick sees the cursor away from the stored (0, 0): activity starts there.
  const RestRun on = RestFor(logic, 5000, 185000, sw);
  EXPECT_EQ(on.keepAwakes, 3);
  EXPECT_EQ(logic.KeepAwakeCount(), 3u);

  sw.noSleep = false;
  FrameTimerLogic off;
  EXPECT_EQ(RestFor(off, 5000, 185000, sw).keepAwakes, 0);
  EXPECT_EQ(off.KeepAwakeCount(), 0u);
}

TEST(FrameTimer, MovingTheCursorRestartsBothIdleTicks) {
  FrameTimerSwitches sw;
  sw.noSleep = true;
  FrameTimerLogic logic;
  RestFor(logic, 1000, 50000, sw);
  // A move at 51 s: another 50 s of rest makes no request (the minute counts from the move).
  logic.Tick(52000, At(9, 0, 0), POINT{11, 20}, sw);
  EXPECT_EQ(logic.LastActivityTick(), 52000u);
  EXPECT_EQ(logic.LastKeepAwakeTick(), 52000u);
  EXPECT_EQ(RestFor(logic, 52200, 50000, sw, POINT{11, 20}).keepAwakes, 0);
}

TEST(FrameTimer, ThePointerIsAskedOnceASecondAcrossTheTickCountWrap) {
  FrameTimerLogic logic;
  // Ticks 200 ms apart from just before the wrap: the first tick asks, then one tick a second.
  std::vector<DWORD> asks;
  const DWORD start = 0xFFFFFFFFu - 1500;
  for (DWORD t = 0; t <= 3000; t += 200) {
    if (logic.CursorAskDue(start + t)) asks.push_back(t);
  }
  EXPECT_EQ(asks, (std::vector<DWORD>{0, 1000, 2000, 3000}));
}

TEST(FrameTimer, SaverStartsAfterTheIdleTimeAndNeverBeforeThirtySeconds) {
  struct Case {
    bool saverOn;
    bool customSaver;
    DWORD idleMs;
    int expectedFirstMs;  // -1: never within 100 s
  };
  const Case cases[] = {
      {true, true, 5000, 30000},   // a shorter setting still waits 30 s
      {true, true, 30000, 30000},  //
      {true, true, 60000, 60000},  //
      {false, true, 5000, -1},     // screen-saver switch off
      {true, false, 5000, -1},     // custom saver off
      {true, true, 200000, -1},    // longer than the run
  };
  for (const Case& c : cases) {
    FrameTimerSwitches sw;
    sw.saverOn = c.saverOn;
    sw.customSaverOn = c.customSaver;
    sw.saverIdleMs = c.idleMs;
    FrameTimerLogic logic;
    const RestRun run = RestFor(logic, 7000, 100000, sw);
    if (c.expectedFirstMs < 0) {
      EXPECT_EQ(run.saverStarts, 0) << c.idleMs;
    } else {
      EXPECT_EQ(run.firstSaver, static_cast<DWORD>(c.expectedFirstMs)) << c.idleMs;
    }
  }
}

TEST(FrameTimer, IdleTimeSurvivesTheTickCountWrap) {
  FrameTimerSwitches sw;
  sw.saverOn = true;
  sw.customSaverOn = true;
  sw.saverIdleMs = 30000;
  FrameTimerLogic logic;
  const RestRun run = RestFor(logic, 0xFFFFFFFFu - 10000, 40000, sw);
  EXPECT_EQ(run.firstSaver, 30000u);
}

TEST(FrameTimer, PanesChangeOnlyWhenTheirTextChanges) {
  FrameTimerSwitches sw;
  sw.dollarRate = 1385.5;
  sw.euroRate = 1500.256;
  FrameTimerLogic logic;
  EXPECT_EQ(logic.ClockText(), L"00:00:00");
  FrameTimerActions a = logic.Tick(1000, At(9, 5, 7), POINT{1, 1}, sw);
  EXPECT_EQ(a.clockText, L"09:05:07");
  EXPECT_EQ(a.dollarText, L"1$:1385.50");
  EXPECT_EQ(a.euroText, L"1€:1500.26");
  EXPECT_EQ(a.scrText, L"절전.ON : 0s(0)");

  a = logic.Tick(1200, At(9, 5, 7), POINT{1, 1}, sw);
  EXPECT_TRUE(a.clockText.empty());
  EXPECT_TRUE(a.dollarText.empty());
  EXPECT_TRUE(a.euroText.empty());
  // The idle seconds move with the clock (one change a second); activity shows its reset at once.
  a = logic.Tick(1600, At(9, 5, 7), POINT{1, 1}, sw);
  EXPECT_TRUE(a.scrText.empty()) << "the idle count changed out of step with the clock";
  a = logic.Tick(2400, At(9, 5, 7), POINT{5, 1}, sw);
  EXPECT_EQ(a.scrText, L"절전.ON : 0s(0)");
  logic.ResetIdle(1000);

  sw.dollarRate = 1386.0;
  sw.noSleep = true;
  a = logic.Tick(3600, At(9, 5, 8), POINT{5, 1}, sw);
  EXPECT_EQ(a.clockText, L"09:05:08");
  EXPECT_EQ(a.dollarText, L"1$:1386.00");
  EXPECT_TRUE(a.euroText.empty());
  EXPECT_EQ(a.scrText, L"절전.감시 : 3s(0)");
}

TEST(CaptionBarLayout, SizesAndButtonsAt96And144Dpi) {
  struct Case {
    int dpi;
    int height;
    int button;
  };
  for (const Case& c : {Case{96, 36, 46}, Case{144, 54, 69}, Case{0, 36, 46}}) {
    const CaptionMetrics m = ScaleCaptionMetrics(c.dpi);
    EXPECT_EQ(m.height, c.height);
    EXPECT_EQ(m.buttonWidth, c.button);
    const int width = 1280;
    const CaptionLayout layout = LayoutCaptionBar(width, m.height, m);
    const int b = m.buttonWidth;
    // Right to left: close, maximise, minimise, gap, clock, gap, language, gap, settings with
    // about directly left of it, gap, pin, gap, log-in.
    EXPECT_EQ(layout.buttons[kCaptionClose].right, width);
    EXPECT_EQ(layout.buttons[kCaptionClose].left, width - b);
    EXPECT_EQ(layout.buttons[kCaptionMaximise].left, width - 2 * b);
    EXPECT_EQ(layout.buttons[kCaptionMinimise].left, width - 3 * b);
    EXPECT_EQ(layout.clock.right, width - 3 * b - m.gap);
    EXPECT_EQ(layout.clock.right - layout.clock.left, m.clockWidth);
    EXPECT_EQ(layout.clock.top, m.clockInset);
    EXPECT_EQ(layout.clock.bottom, m.height - m.clockInset);
    EXPECT_EQ(layout.buttons[kCaptionLanguage].right, layout.clock.left - m.gap);
    EXPECT_EQ(layout.buttons[kCaptionSettings].right,
              layout.buttons[kCaptionLanguage].left - m.gap);
    EXPECT_EQ(layout.buttons[kCaptionAbout].right, layout.buttons[kCaptionSettings].left);
    EXPECT_EQ(layout.buttons[kCaptionPin].right, layout.buttons[kCaptionAbout].left - m.gap);
    EXPECT_EQ(layout.buttons[kCaptionLogin].right, layout.buttons[kCaptionPin].left - m.gap);

    // Each button's centre hits it; its edges belong to it on the left, not on the right.
    for (int button = kCaptionMinimise; button <= kCaptionAbout; ++button) {
      const RECT& r = layout.buttons[button];
      EXPECT_EQ(r.right - r.left, b);
      EXPECT_EQ(r.bottom - r.top, m.height);
      EXPECT_EQ(CaptionHitTest(layout, POINT{(r.left + r.right) / 2, m.height / 2}), button);
      EXPECT_EQ(CaptionHitTest(layout, POINT{r.left, 0}), button);
    }
    // The clock, the gaps, the title area and below the bar are no button.
    EXPECT_EQ(CaptionHitTest(layout, POINT{(layout.clock.left + layout.clock.right) / 2, 5}),
              kCaptionNone);
    EXPECT_EQ(CaptionHitTest(layout, POINT{layout.buttons[kCaptionLanguage].right, 5}),
              kCaptionNone);
    EXPECT_EQ(CaptionHitTest(layout, POINT{10, 10}), kCaptionNone);
    EXPECT_EQ(CaptionHitTest(layout, POINT{width - 1, m.height}), kCaptionNone);
  }
}

TEST(CaptionBarLayout, ClockAndLanguageButtonFitTheirTexts) {
  const CaptionMetrics base = ScaleCaptionMetrics(144);
  // Texts that fit leave the sizes alone.
  const CaptionMetrics same = FitCaptionTexts(base, 100, 40);
  EXPECT_EQ(same.clockWidth, base.clockWidth);
  EXPECT_EQ(same.languageWidth, base.buttonWidth);
  // Wider texts get a gap on either side, and the buttons left of them move over.
  const CaptionMetrics m = FitCaptionTexts(base, 200, 90);
  EXPECT_EQ(m.clockWidth, 200 + 2 * base.gap);
  EXPECT_EQ(m.languageWidth, 90 + 2 * base.gap);
  const CaptionLayout layout = LayoutCaptionBar(1600, m.height, m);
  const RECT& language = layout.buttons[kCaptionLanguage];
  EXPECT_EQ(language.right - language.left, m.languageWidth);
  EXPECT_EQ(language.right, layout.clock.left - m.gap);
  EXPECT_EQ(layout.buttons[kCaptionSettings].right, language.left - m.gap);
  EXPECT_EQ(layout.clock.right - layout.clock.left, m.clockWidth);
}

TEST(HostDpi, TheLargerOfMonitorAndTextDpi) {
  struct Case {
    double monitor, text;
    int dpi;
  };
  for (const Case& c : {Case{96, 96, 96}, Case{96, 144, 144}, Case{144, 96, 144}, Case{0, 120, 120},
                        Case{110.6, 0, 111}, Case{0, 0, 96}, Case{-1, 0.5, 96}})
    EXPECT_EQ(LargerDpi(c.monitor, c.text), c.dpi) << c.monitor << " " << c.text;
}

TEST(StatusPanes, WidthsKeepEveryTextWholeWhileTheTextsFit) {
  const std::vector<int> given = {-1, 100, 70, 130};
  const std::vector<int> needed = {0, 40, 90, 130};
  // Room for all: the given widths, a text wider than its pane widens it.
  EXPECT_EQ(FitStatusPaneWidths(given, needed, 400), (std::vector<int>{-1, 100, 90, 130}));
  // Too narrow for the given widths: each pane as wide as its text.
  EXPECT_EQ(FitStatusPaneWidths(given, needed, 300), (std::vector<int>{-1, 40, 90, 130}));
}

TEST(CaptionBarLayout, LabelsAndGlyphs) {
  EXPECT_STREQ(CaptionLanguageLabel(1), L"ENG ▼");
  EXPECT_STREQ(CaptionLanguageLabel(2), L"한 ▼");
  EXPECT_STREQ(CaptionLanguageLabel(3), L"CHN ▼");
  EXPECT_STREQ(CaptionLanguageLabel(4), L"JPN ▼");
  EXPECT_STREQ(CaptionLanguageLabel(5), L"한 ▼");
  // With the symbol fonts, the Windows glyphs: gear for settings, pin by state, restore when
  // maximised.
  EXPECT_EQ(CaptionButtonGlyph(kCaptionSettings, false, false, true), L"\xE713");
  EXPECT_EQ(CaptionButtonGlyph(kCaptionPin, true, false, true), L"\xE840");
  EXPECT_EQ(CaptionButtonGlyph(kCaptionPin, false, false, true), L"\xE77A");
  EXPECT_EQ(CaptionButtonGlyph(kCaptionMaximise, false, true, true), L"2");
  EXPECT_EQ(CaptionButtonGlyph(kCaptionMaximise, false, false, true), L"1");
  EXPECT_EQ(CaptionButtonGlyph(kCaptionClose, false, false, true), L"r");
  // Without them every button still has a visible glyph of its own.
  for (int button = kCaptionMinimise; button <= kCaptionAbout; ++button) {
    if (button == kCaptionLanguage) continue;
    EXPECT_FALSE(CaptionButtonGlyph(button, false, false, false).empty()) << button;
  }
  EXPECT_NE(CaptionButtonGlyph(kCaptionPin, true, false, false),
            CaptionButtonGlyph(kCaptionPin, false, false, false));
}

TEST(LayoutFiles, DockingAndRibbonLayoutsRoundTrip) {
  orv::test::TempDir dir;
  const std::string docking = dir.Path() + "/layout.xml";
  const std::string ribbon = dir.Path() + "/layout_ribbon.xml";
  // A perspective with the characters XML must escape.
  const std::string perspective =
      "layout2|name=ModuleArea;caption=;state=768;dir=5|name=3;caption=Log & <Tail> \"x\";"
      "state=2099196;dir=3|dock_size(5,0,0)=22|";
  ASSERT_TRUE(SaveDockingLayoutFile(docking, kNormalLayoutName, perspective));
  std::string read;
  ASSERT_TRUE(LoadDockingLayoutFile(docking, kNormalLayoutName, &read));
  EXPECT_EQ(read, perspective);
  EXPECT_FALSE(LoadDockingLayoutFile(docking, "OtherLayout", &read));
  EXPECT_FALSE(LoadDockingLayoutFile(dir.Path() + "/missing.xml", kNormalLayoutName, &read));

  RibbonLayoutState state;
  state.minimised = true;
  state.activePage = 2;
  state.themeId = 1250;
  state.dockingLayout = perspective;
  ASSERT_TRUE(SaveRibbonLayoutFile(ribbon, state));
  RibbonLayoutState back;
  ASSERT_TRUE(LoadRibbonLayoutFile(ribbon, &back));
  EXPECT_TRUE(back.minimised);
  EXPECT_EQ(back.activePage, 2);
  EXPECT_EQ(back.themeId, 1250);
  EXPECT_EQ(back.dockingLayout, perspective);
  ASSERT_TRUE(LoadRibbonDockingLayout(ribbon, kNormalLayoutName, &read));
  EXPECT_EQ(read, perspective);
  // The ribbon file's root and sections are as the exit writes them.
  std::ifstream in(ribbon);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("<rede2_app>"), std::string::npos);
  EXPECT_NE(text.find("<Layout>"), std::string::npos);
  EXPECT_NE(text.find("<CommandBars>"), std::string::npos);
  EXPECT_NE(text.find("<DockingPane>"), std::string::npos);
  // A docking file is no ribbon file, and a broken file loads nothing.
  EXPECT_FALSE(LoadRibbonDockingLayout(docking, kNormalLayoutName, &read));
  std::ofstream(ribbon) << "<rede2_app><Layout><DockingPane><NormalLayout>x</Normal";
  EXPECT_FALSE(LoadRibbonLayoutFile(ribbon, &back));
}

TEST(LayoutFiles, AFailedWriteKeepsThePreviousFile) {
  orv::test::TempDir dir;
  const std::string path = dir.Path() + "/layout.xml";
  ASSERT_TRUE(SaveDockingLayoutFile(path, kNormalLayoutName, "first"));
  // The temporary file cannot be made while a folder has its name.
  std::filesystem::create_directory(path + ".tmp");
  EXPECT_FALSE(SaveDockingLayoutFile(path, kNormalLayoutName, "second"));
  std::string read;
  ASSERT_TRUE(LoadDockingLayoutFile(path, kNormalLayoutName, &read));
  EXPECT_EQ(read, "first");
}

TEST(AboutBox, PageAddressByModeAndTitleText) {
  orv::test::TempDir dir;
  const std::string folder = dir.Path() + "/";
  EXPECT_EQ(AboutPageAddress(folder, 1), "");
  std::ofstream(folder + "eula.html") << "eula";
  EXPECT_EQ(AboutPageAddress(folder, 1), "file://" + folder + "eula.html");
  std::filesystem::create_directory(folder + "license");
  std::ofstream(folder + "license/eula.html") << "eula";
  EXPECT_EQ(AboutPageAddress(folder, 1), "file://" + folder + "license/eula.html");
  EXPECT_EQ(AboutPageAddress(folder, 2), "");
  std::ofstream(folder + "license.html") << "licence";
  EXPECT_EQ(AboutPageAddress(folder, 2), "file://" + folder + "license.html");
  EXPECT_EQ(AboutPageAddress(folder, 0), "");
  EXPECT_EQ(AboutPageAddress(folder, 3), "");
  EXPECT_EQ(AboutTitleText(L"Orvella", L"www", L"1.2", "20250106"),
            L"■Orvella(www) (1.2 @ 20250106)");
}
