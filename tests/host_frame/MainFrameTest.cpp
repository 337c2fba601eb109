// The main frame started from a program folder with the shipped catalogue: the shared-window
// block, the status bar, the docking panes, the log pane, popups, the splash's progress lines.
#include <gtest/gtest.h>
#include <wx/aui/aui.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/generic/stattextg.h>
#include <wx/stattext.h>
#include <wx/slider.h>

#include <algorithm>
#include <thread>

#include "host/app/VarqoMainApp.h"
#include "host/dialogs/SplashScreenEx.h"
#include "host/frame/CaptionBar.h"
#include "host/frame/ContainerPanes.h"
#include "host/frame/DockingPanes.h"
#include "host/frame/MainFrame.h"
#include "host/frame/MainRibbon.h"
#include "host/frame/MainStatusBar.h"
#include "host/logs/LogViewWnd.h"
#include "platform/support/PluginLoader.h"
#include "platform/support/TextConv.h"
#include "platform/win/Clock.h"
#include "platform/win/MessageBox.h"
#include "tests/host_frame/ExposeWatch.h"
#include "tests/host_frame/FrameFixture.h"

namespace {

using orv::test::ExposeWatch;
using orv::test::StartedHost;

CMainFrame& Frame() { return StartedHost::Get().frame(); }

TEST(MainFrame, SharedWindowBlockHoldsTheFrameItsPanesRecordsAndCallbacks) {
  CMainFrame& frame = Frame();
  CVarqoMainApp& app = StartedHost::Get().app();
  const SharedWnds_s& block = *frame.GetSharedWnds();
  EXPECT_EQ(&block, &HostSharedWnds());
  EXPECT_EQ(block.pApp, &app);
  EXPECT_EQ(block.pMainFrame, &frame);
  EXPECT_EQ(block.pCallbackCtx, &frame);
  EXPECT_EQ(block.pOwnerWnd, &frame);
  EXPECT_EQ(block.pLogViewWnd, frame.GetLogViewWnd());
  EXPECT_EQ(block.pWorkspaceWnd, frame.GetWorkspaceWnd());
  EXPECT_EQ(block.pPropertiesWnd, frame.GetPropertiesWnd());
  EXPECT_EQ(block.pMonitoringWnd, frame.GetMonitoringWnd());
  EXPECT_NE(block.pLogViewWnd, nullptr);
  EXPECT_EQ(block.pStatusBar, frame.GetMainStatusBar());
  EXPECT_EQ(block.pRunSetting, &app.RunSettings());
  EXPECT_EQ(block.pLoginInfo, &app.LoginInfo());
  EXPECT_EQ(block.pCommandBars, nullptr);
  EXPECT_EQ(block.pDocument, nullptr);
  EXPECT_EQ(block.pCatalogDb, nullptr);
  EXPECT_EQ(block.pDataDb, nullptr);
  EXPECT_EQ(block.szText[0], L'\0');

  ASSERT_NE(block.pfnReserved, nullptr);
  ASSERT_NE(block.pfnNotify, nullptr);
  ASSERT_NE(block.pfnCommand, nullptr);
  ASSERT_NE(block.pfnModuleCreated, nullptr);
  EXPECT_EQ(block.pfnReserved(block.pCallbackCtx), 0);

  // The program folder reaches plug-ins before any module loads.
  ASSERT_EQ(block.pSearchCond, &HostSearchCondition());
  EXPECT_EQ(WideToUtf8(block.pSearchCond->szExeFolder), StartedHost::Get().programFolder());

  ASSERT_NE(frame.GetPluginLoader(), nullptr);
  EXPECT_EQ(frame.GetPluginLoader()->GetOptions() & 1u, 1u);
  EXPECT_EQ(app.RunSettings().nAppState, 3);
  EXPECT_GE(app.RunSettings().nDpiPercent, 100);
}

TEST(MainFrame, FrameIsShownWithTheWindowClassAndTitle) {
  CMainFrame& frame = Frame();
  EXPECT_TRUE(frame.IsShown());
  EXPECT_EQ(frame.GetName(), CMainFrame::kWindowClass);
  EXPECT_EQ(frame.GetTitle().utf8_string(), StartedHost::Get().app().FrameText());
  ASSERT_NE(frame.GetModuleArea(), nullptr);
  EXPECT_EQ(frame.GetModuleArea()->GetParent(), &frame);
}

TEST(MainFrame, StatusBarHasItsPanesAndTexts) {
  CMainStatusBar* bar = Frame().GetMainStatusBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->GetParent(), &Frame());
  EXPECT_EQ(bar->GetPaneCount(), 16);
  EXPECT_EQ(bar->CommandToIndex(ID_STATUS_MESSAGE), 0);
  struct Case {
    UINT id;
    int index;
    const char* text;
    const char* tooltip;
  };
  const Case cases[] = {
      {ID_STATUS_AUX, 1, "", "[AUX 상태]"},
      {ID_STATUS_COUNTER, 2, "*", "[Counter 상태]"},
      {ID_STATUS_MARKET, 3, "MARKET", "MARKET"},
      {ID_STATUS_LOGIN, 4, "[로그인 상태]", "[로그인 상태]"},
      {ID_STATUS_VALID, 5, "[VALID]", "[VALID]"},
      // The frame timer rewrites the "[SCR]", currency and clock panes from its first tick.
      {ID_STATUS_SCR, 6, nullptr, "[SCR]"},
      {ID_STATUS_COMM, 7, "[COMM/SIMUL 상태]", "[COMM/SIMUL 상태]"},
      {ID_STATUS_RUN_TIME, 8, "---", "[동작시간]"},
      {ID_STATUS_PROGRESS, 9, "---", "[진행률]"},
      {ID_STATUS_USD, 10, nullptr, "[USD]"},
      {ID_STATUS_EURO, 11, nullptr, "[EURO]"},
      {ID_STATUS_CLOCK, 12, nullptr, "Current Time"},
      {ID_STATUS_ZOOM_TEXT, 14, "100%", "Zoom level. Click to open the Zoom dialog box."},
      {ID_STATUS_ZOOM_SLIDER, 15, "", "Zoom"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(bar->CommandToIndex(c.id), c.index);
    if (c.text != nullptr) {
      EXPECT_EQ(WideToUtf8(bar->GetPaneText(c.id)), c.text);
    } else {
      EXPECT_FALSE(bar->GetPaneText(c.id).empty());
    }
    EXPECT_EQ(WideToUtf8(bar->GetPaneTooltip(c.id)), c.tooltip);
  }
  const std::string ip = StartedHost::Get().app().RunSettings().szLocalIp;
  EXPECT_EQ(WideToUtf8(bar->GetPaneText(ID_STATUS_LOCAL_IP)), "아이피: " + ip);
  EXPECT_EQ(bar->CommandToIndex(4242), -1);
  EXPECT_FALSE(bar->SetPaneText(4242, L"x"));

  // The coloured pane and the others take new texts alike.
  EXPECT_TRUE(bar->SetPaneText(ID_STATUS_AUX, L"AUX 1"));
  EXPECT_EQ(bar->GetPaneText(ID_STATUS_AUX), L"AUX 1");
  EXPECT_TRUE(bar->SetPaneText(ID_STATUS_LOGIN, L"로그인 성공"));
  EXPECT_EQ(bar->GetPaneText(ID_STATUS_LOGIN), L"로그인 성공");

  wxSlider* zoom = bar->GetZoomSlider();
  ASSERT_NE(zoom, nullptr);
  EXPECT_EQ(zoom->GetMin(), 0);
  EXPECT_EQ(zoom->GetMax(), 1000);
  EXPECT_EQ(zoom->GetValue(), 500);
}

// The bar keeps the theme's font and colours it was given (it asks the theme once, and again
// after a theme change): a plain status bar gets the same.
TEST(MainFrame, StatusBarKeepsTheThemesFontAndColours) {
  CMainStatusBar* bar = Frame().GetMainStatusBar();
  ASSERT_NE(bar, nullptr);
  auto* plain = new wxStatusBar(&Frame(), wxID_ANY);
  const wxVisualAttributes theme = plain->GetDefaultAttributes();
  plain->Destroy();
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    const wxVisualAttributes kept = bar->GetDefaultAttributes();
    EXPECT_EQ(kept.font, theme.font);
    EXPECT_EQ(kept.colFg, theme.colFg);
    EXPECT_EQ(kept.colBg, theme.colBg);
    EXPECT_EQ(bar->GetFont(), theme.font);
    wxSysColourChangedEvent changed;
    bar->GetEventHandler()->ProcessEvent(changed);
  }
}

// The bar as the frame makes it, noting which panes it draws.
class DrawnPanesBar : public CMainStatusBar {
 public:
  using CMainStatusBar::CMainStatusBar;
  std::vector<int> drawn;

 protected:
  void DrawFieldText(wxDC& dc, const wxRect& rc, int i, int textHeight) override {
    drawn.push_back(i);
    CMainStatusBar::DrawFieldText(dc, rc, i, textHeight);
  }
};

// A bar of the host's panes in a frame of its own, shown and drawn once.
DrawnPanesBar* ShownBar() {
  Frame();  // the host started, with its run settings
  auto* frame = new wxFrame(nullptr, wxID_ANY, "bar", wxPoint(0, 0), wxSize(1400, 200));
  auto* bar = new DrawnPanesBar(frame, StartedHost::Get().app().RunSettings());
  frame->SetStatusBar(bar);
  frame->Show();
  StartedHost::Pump(150);
  return bar;
}

// Two panes changed at opposite ends of the bar (the clock and the session countdown each
// second): those two are drawn, not the panes between them.
TEST(MainFrame, StatusBarDrawsOnlyTheChangedPanes) {
  DrawnPanesBar* bar = ShownBar();
  wxWindow* frame = bar->GetParent();
  const int first = bar->CommandToIndex(ID_STATUS_MARKET);
  const int last = bar->GetPaneCount() - 2;
  ASSERT_GT(last, first + 3);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    bar->drawn.clear();
    bar->SetStatusText(wxString::Format("A%d", round), first);
    bar->SetStatusText(wxString::Format("B%d", round), last);
    bar->Update();
    StartedHost::Pump(50);
    std::sort(bar->drawn.begin(), bar->drawn.end());
    bar->drawn.erase(std::unique(bar->drawn.begin(), bar->drawn.end()), bar->drawn.end());
    EXPECT_EQ(bar->drawn, (std::vector<int>{first, last}));
    EXPECT_EQ(bar->GetStatusText(last), wxString::Format("B%d", round));
  }
  frame->Destroy();
  StartedHost::Pump(50);
}

// The modules' pane texts wait for the frame's next tick that paints: a held pane is not drawn
// until then, and then alone. Test processes share one display, so another's window mapped over
// this one makes it repaint what it uncovered: such a round is run again, and the bar's draws
// are judged in the first round nothing disturbed.
TEST(MainFrame, HeldPaneTextsAreDrawnTogetherWhenAsked) {
  DrawnPanesBar* bar = ShownBar();
  wxWindow* frame = bar->GetParent();
  const int session = bar->CommandToIndex(ID_STATUS_RUN_TIME);
  const int progress = bar->CommandToIndex(ID_STATUS_PROGRESS);
  EXPECT_FALSE(bar->SetPaneTextHeld(4242, L"?"));
  // The texts' first forms size their panes (a new width redraws the whole bar).
  bar->SetPaneText(ID_STATUS_RUN_TIME, L"세션[2]: 00:00:02");
  bar->SetPaneText(ID_STATUS_PROGRESS, L"10%");
  bar->Update();
  StartedHost::Pump(50);
  auto drawnOnce = [&] {
    bar->Update();
    StartedHost::Pump(50);
    std::vector<int> drawn = bar->drawn;
    std::sort(drawn.begin(), drawn.end());
    drawn.erase(std::unique(drawn.begin(), drawn.end()), drawn.end());
    bar->drawn.clear();
    return drawn;
  };
  const std::vector<int> both{std::min(session, progress), std::max(session, progress)};
  ExposeWatch watch(bar);
  ASSERT_TRUE(watch.Installed());
  std::string failed;
  bool undisturbed = false;
  for (int round = 0; round < 10 && !undisturbed; ++round) {
    drawnOnce();
    watch.Reset();
    const std::wstring text = L"세션[1]: 00:00:0" + std::to_wstring(round + 1);
    EXPECT_TRUE(bar->SetPaneTextHeld(ID_STATUS_RUN_TIME, text));
    EXPECT_TRUE(bar->SetPaneTextHeld(ID_STATUS_PROGRESS, std::to_wstring(20 + round) + L"%"));
    EXPECT_EQ(bar->GetPaneText(ID_STATUS_RUN_TIME), text);
    const std::vector<int> early = drawnOnce();
    bar->DrawHeldPanes();
    const std::vector<int> asked = drawnOnce();
    bar->DrawHeldPanes();
    const std::vector<int> again = drawnOnce();
    undisturbed = watch.Exposures() == 0;
    failed.clear();
    if (!early.empty() || asked != both || !again.empty())
      failed = ::testing::PrintToString(early) + " drawn before asked, " +
               ::testing::PrintToString(asked) + " when asked, " +
               ::testing::PrintToString(again) + " when asked again";
  }
  EXPECT_TRUE(undisturbed) << "every round had the bar uncovered by another window";
  EXPECT_EQ(failed, "");
  frame->Destroy();
  StartedHost::Pump(50);
}

// The frame's tick on the turn of a second turns the status bar's clock and the caption's
// together.
TEST(MainFrame, TheTickOnTheSecondTurnsBothClocks) {
  CMainFrame& frame = Frame();
  StartedHost::Pump(50);
  auto at = [](int second, int ms) {
    SYSTEMTIME t{};
    t.wYear = 2026;
    t.wMonth = 12;
    t.wDay = 11;
    t.wHour = 9;
    t.wMinute = 30;
    t.wSecond = static_cast<WORD>(second);
    t.wMilliseconds = static_cast<WORD>(ms);
    return t;
  };
  orv::win::FakeClock clock(100000);
  clock.SetLocalTime(at(5, 3));
  orv::win::ScopedClock scoped(clock);
  frame.OnFrameTimerTick();
  CCaptionBar* caption = frame.GetCaptionBar();
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->GetClockField()->GetLabel(), "2026-12-11 09:30:05");
  EXPECT_EQ(frame.GetMainStatusBar()->GetPaneText(ID_STATUS_CLOCK), L"09:30:05");
  clock.SetLocalTime(at(6, 2));
  frame.OnFrameTimerTick();
  EXPECT_EQ(caption->GetClockField()->GetLabel(), "2026-12-11 09:30:06");
  EXPECT_EQ(frame.GetMainStatusBar()->GetPaneText(ID_STATUS_CLOCK), L"09:30:06");
}

// The first screen's texts as the frame lays them out: the caption bar's clock and buttons,
// every status pane, and the ribbon's log-in button after it says "로그아웃", each whole and
// none over another.
TEST(MainFrame, FirstScreenTextsAreWholeAndApart) {
  CMainFrame& frame = Frame();
  StartedHost::Pump(100);

  CCaptionBar* caption = frame.GetCaptionBar();
  ASSERT_NE(caption, nullptr);
  caption->UpdateClock();
  wxGenericStaticText* clock = caption->GetClockField();
  const orv::host::CaptionLayout& layout = caption->GetButtonLayout();
  const wxRect clockRect = clock->GetRect();
  EXPECT_GE(clockRect.width, clock->GetTextExtent(clock->GetLabel()).x);
  const wxSize label = clock->GetTextExtent(wxString(orv::host::CaptionLanguageLabel(1)));
  const RECT& language = layout.buttons[orv::host::kCaptionLanguage];
  EXPECT_GE(language.right - language.left, label.x);
  std::vector<wxRect> taken = {clockRect};
  for (int button = orv::host::kCaptionMinimise; button <= orv::host::kCaptionAbout; ++button) {
    const RECT& r = layout.buttons[button];
    const wxRect rect(r.left, r.top, r.right - r.left, r.bottom - r.top);
    EXPECT_GE(rect.x, 0) << button;
    EXPECT_LE(rect.GetRight(), caption->GetClientSize().x - 1) << button;
    for (const wxRect& other : taken) EXPECT_FALSE(rect.Intersects(other)) << button;
    taken.push_back(rect);
  }

  CMainStatusBar* status = frame.GetMainStatusBar();
  ASSERT_NE(status, nullptr);
  for (int i = 1; i < status->GetFieldsCount(); ++i) {
    wxRect field;
    ASSERT_TRUE(status->GetFieldRect(i, field));
    EXPECT_LE(field.GetRight(), status->GetClientSize().x) << i;
    const wxString text = status->GetStatusText(i);
    if (!text.empty()) {
      EXPECT_GE(field.width, status->GetTextExtent(text).x) << text;
    }
  }

  wxRibbonButtonBar* login = frame.GetRibbon()->GetLoginBar();
  ASSERT_NE(login, nullptr);
  frame.GetRibbon()->SetLoginState(true);
  StartedHost::Pump(50);
  const wxRect button = login->GetItemRect(kCmdLoginButton);
  EXPECT_GE(button.width, login->GetTextExtent(wxString(L"로그아웃")).x);
  EXPECT_LE(button.GetRight(), login->GetClientSize().x - 1);
  frame.GetRibbon()->SetLoginState(false);
}

TEST(MainFrame, FourDockingPanesExistWithTheirIdsAndFollowTheMask) {
  CMainFrame& frame = Frame();
  app_run_setting_s& rs = StartedHost::Get().app().RunSettings();
  struct Case {
    int paneId;
    int wndId;
    const char* className;
  };
  const Case cases[] = {{1271, 973, "CWorkspaceWnd"},
                        {1266, 968, "CLogViewWnd"},
                        {1270, 972, "CPropertiesWnd"},
                        {1272, 970, "CMonitoringWnd"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.paneId);
    wxAuiPaneInfo& info = frame.GetPaneManager().GetPane(std::to_string(c.paneId));
    ASSERT_TRUE(info.IsOk());
    ASSERT_NE(info.window, nullptr);
    EXPECT_EQ(info.window, frame.GetPaneWindow(c.paneId));
    EXPECT_EQ(info.window->GetId(), c.wndId);
    EXPECT_EQ(info.window->GetName(), c.className);
    // The shipped catalogue opens all four panes.
    EXPECT_TRUE(frame.IsPaneOpen(c.paneId));
  }
  EXPECT_EQ(frame.GetPaneManager().GetPane("1271").dock_direction, wxAUI_DOCK_LEFT);
  EXPECT_EQ(frame.GetPaneManager().GetPane("1266").dock_direction, wxAUI_DOCK_BOTTOM);
  EXPECT_EQ(frame.GetPaneManager().GetPane("1270").dock_direction, wxAUI_DOCK_RIGHT);
  EXPECT_EQ(frame.GetPaneManager().GetPane("1272").dock_direction, wxAUI_DOCK_RIGHT);
  EXPECT_GT(frame.GetPaneManager().GetPane("1272").dock_pos,
            frame.GetPaneManager().GetPane("1270").dock_pos);

  // The toggle command closes an open pane and clears its bit, then opens it again.
  rs.dwChangedFlags = 0;
  frame.TogglePane(968);
  EXPECT_FALSE(frame.IsPaneOpen(1266));
  EXPECT_EQ(rs.byPaneMask & 2, 0);
  EXPECT_EQ(rs.dwChangedFlags & 0x10u, 0x10u);
  frame.TogglePane(968);
  EXPECT_TRUE(frame.IsPaneOpen(1266));
  EXPECT_EQ(rs.byPaneMask & 2, 2);

  // Ids outside the four do nothing.
  const uint8_t mask = rs.byPaneMask;
  frame.TogglePane(969);
  EXPECT_EQ(rs.byPaneMask, mask);

  // A show request for a pane whose mask bit is clear leaves it closed.
  rs.byPaneMask = static_cast<uint8_t>(mask & ~8);
  frame.ApplyPaneVisibility(1272, 8);
  EXPECT_FALSE(frame.IsPaneOpen(1272));
  rs.byPaneMask = mask;
  frame.ApplyAllPaneVisibility();
  EXPECT_TRUE(frame.IsPaneOpen(1272));
}

TEST(MainFrame, ClosingAPaneWithItsButtonClearsItsBit) {
  CMainFrame& frame = Frame();
  app_run_setting_s& rs = StartedHost::Get().app().RunSettings();
  rs.byPaneMask = 15;
  rs.dwChangedFlags = 0;
  frame.ApplyAllPaneVisibility();
  wxAuiPaneInfo& info = frame.GetPaneManager().GetPane("1270");
  frame.GetPaneManager().ClosePane(info);
  // ClosePane hides without the close event; the pane's close button sends it.
  wxAuiManagerEvent event(wxEVT_AUI_PANE_CLOSE);
  event.SetManager(&frame.GetPaneManager());
  event.SetPane(&info);
  frame.GetEventHandler()->ProcessEvent(event);
  EXPECT_EQ(rs.byPaneMask & 4, 0);
  EXPECT_EQ(rs.dwChangedFlags & 0x10u, 0x10u);
  frame.TogglePane(972);
  EXPECT_TRUE(frame.IsPaneOpen(1270));
  EXPECT_EQ(rs.byPaneMask, 15);
}

TEST(MainFrame, LinesAddedToTheHubAppearInTheLogPane) {
  CMainFrame& frame = Frame();
  CLogHub* hub = frame.GetLogHub();
  CLogViewWnd* pane = frame.GetLogViewWnd();
  ASSERT_NE(hub, nullptr);
  ASSERT_NE(pane, nullptr);
  StartedHost::Pump(250);
  // The start-up line is the first line.
  ASSERT_GE(pane->GetList()->GetItemCount(), 1);
  EXPECT_EQ(pane->GetList()->GetItemText(0, 2), "Program started... Please wait..");

  // Lines from a worker thread reach the list on the pane's next 200 ms tick.
  std::thread worker([hub] {
    hub->AddLinesAndWrite(L"주문 전송 1\nsecond line", false, 5, 1, 0, 0, 7, 0, L"Pelomar");
  });
  worker.join();
  EXPECT_TRUE(pane->IsRedrawNeeded());
  StartedHost::Pump(300);
  EXPECT_FALSE(pane->IsRedrawNeeded());
  const long count = pane->GetList()->GetItemCount();
  ASSERT_EQ(count, hub->GetViewCount());
  EXPECT_EQ(pane->GetList()->GetItemText(count - 2, 2).utf8_string(), "주문 전송 1");
  EXPECT_EQ(pane->GetList()->GetItemText(count - 2, 1), "5");
  EXPECT_EQ(pane->GetList()->GetItemText(count - 2, 3), "Pelomar");
  EXPECT_EQ(pane->GetList()->GetItemText(count - 1, 2), "second line");

  // The frame's own log lines go to the list the same way.
  EXPECT_EQ(frame.WriteLog(3, 0, L"frame line", L"title", 2, 44), 1);
  StartedHost::Pump(300);
  const long after = pane->GetList()->GetItemCount();
  EXPECT_EQ(pane->GetList()->GetItemText(after - 1, 2), "frame line");
  const LogHubEntry* entry = frame.GetLogHubLine(static_cast<int>(after - 1));
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->level, 3);
  EXPECT_EQ(entry->flag1, 2);
  EXPECT_EQ(entry->number3, 44);
  EXPECT_FALSE(entry->source.has_value());
  EXPECT_EQ(frame.GetLogHubLine(-1), nullptr);

  // The search box shows only the lines that hold its text, an empty text all of them.
  pane->OnSearch(L"전송");
  EXPECT_EQ(pane->GetList()->GetItemCount(), 1);
  EXPECT_EQ(pane->GetList()->GetItemText(0, 2).utf8_string(), "주문 전송 1");
  pane->OnSearch(L"");
  EXPECT_EQ(pane->GetList()->GetItemCount(), after);
}

// The log list redraws itself whole whenever a new line changes its scroll range; its column
// titles are a window of their own that stays as it is, follows the list sideways and sizes the
// list's columns.
TEST(MainFrame, LogPaneTitlesStayPutAsLinesArriveAndFollowTheList) {
  CMainFrame& frame = Frame();
  CLogHub* hub = frame.GetLogHub();
  CLogViewWnd* pane = frame.GetLogViewWnd();
  CLogHeader* titles = pane->GetHeader();
  CLogListCtrl* list = pane->GetList();
  ASSERT_NE(titles, nullptr);
  ASSERT_EQ(titles->GetColumnCount(), 4u);
  const char* names[] = {"시간", "구분", "내용", "모듈"};
  for (unsigned int i = 0; i < 4; ++i) {
    EXPECT_EQ(titles->GetColumn(i).GetTitle().utf8_string(), names[i]);
    EXPECT_EQ(titles->GetColumn(i).GetWidth(), list->GetColumnWidth(static_cast<int>(i)));
  }
  EXPECT_LE(titles->GetRect().GetBottom(), list->GetRect().GetTop());

  int titlePaints = 0, listPaints = 0;
  titles->Bind(wxEVT_PAINT, [&](wxPaintEvent& e) {
    ++titlePaints;
    e.Skip();
  });
  for (wxWindow* child : list->GetChildren())
    child->Bind(wxEVT_PAINT, [&](wxPaintEvent& e) {
      ++listPaints;
      e.Skip();
    });
  pane->SetAutoScroll(true);
  // The pane's first paints end before the count starts (a loaded machine may be slow to them).
  for (int settle = 0, before = -1; settle < 20 && titlePaints != before; ++settle) {
    before = titlePaints;
    StartedHost::Pump(300);
  }
  // Another test's window mapped over this one and taken away makes the titles repaint what it
  // uncovered: such a round is run again. The count holds for the first round nothing disturbed.
  ExposeWatch watch(titles);
  ASSERT_TRUE(watch.Installed());
  bool undisturbed = false;
  for (int round = 0; round < 10 && !undisturbed; ++round) {
    titlePaints = listPaints = 0;
    watch.Reset();
    for (int batch = 0; batch < 6; ++batch) {
      hub->AddLinesAndWrite(L"1\n2\n3\n4\n5\n6\n7\n8\n9\n10", false, 1, 0, 0, 0, 0, 0, nullptr);
      StartedHost::Pump(300);
    }
    undisturbed = watch.Exposures() == 0;
  }
  ASSERT_TRUE(undisturbed) << "every round had the titles uncovered by another window";
  EXPECT_GT(listPaints, 0);
  EXPECT_EQ(titlePaints, 0);
  // The list laid its new lines out: it scrolls, and auto-scroll shows the last line.
  const long count = list->GetItemCount();
  ASSERT_EQ(count, hub->GetViewCount());
  EXPECT_GT(list->GetTopItem(), 0);
  EXPECT_GE(list->GetTopItem() + list->GetCountPerPage(), count - 1);
  EXPECT_GE(list->GetScrollRange(wxVERTICAL), count);

  // A title's border dragged sizes the list's column.
  wxHeaderCtrlEvent resized(wxEVT_HEADER_END_RESIZE, titles->GetId());
  resized.SetEventObject(titles);
  resized.SetColumn(2);
  resized.SetWidth(3000);
  titles->GetEventHandler()->ProcessEvent(resized);
  EXPECT_EQ(list->GetColumnWidth(2), 3000);
  EXPECT_EQ(titles->GetColumn(2).GetWidth(), 3000);

  // The list scrolled sideways: the titles move with it.
  StartedHost::Pump(100);
  list->Scroll(10, -1);
  wxScrollWinEvent scrolled(wxEVT_SCROLLWIN_THUMBRELEASE, 10, wxHORIZONTAL);
  scrolled.SetEventObject(list);
  list->GetEventHandler()->ProcessEvent(scrolled);
  StartedHost::Pump(100);
  int x = 0, y = 0;
  list->CalcUnscrolledPosition(0, 0, &x, &y);
  EXPECT_GT(x, 0);
  EXPECT_EQ(titles->ScrolledBy(), x);
  list->Scroll(0, -1);
  wxScrollWinEvent back(wxEVT_SCROLLWIN_THUMBRELEASE, 0, wxHORIZONTAL);
  back.SetEventObject(list);
  list->GetEventHandler()->ProcessEvent(back);
  StartedHost::Pump(100);
  EXPECT_EQ(titles->ScrolledBy(), 0);
  resized.SetWidth(640);
  titles->GetEventHandler()->ProcessEvent(resized);
}

TEST(MainFrame, LogPaneDeleteAsksAndClearsOnlyOnYes) {
  CMainFrame& frame = Frame();
  CLogViewWnd* pane = frame.GetLogViewWnd();
  frame.WriteLog(0, 0, L"keep me", nullptr, 0, 0);
  StartedHost::Pump(250);
  const long before = pane->GetList()->GetItemCount();
  ASSERT_GT(before, 0);

  orv::win::ScriptMessageBoxes({IDNO});
  pane->OnDelete();
  auto calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().text, "로그를 삭제할까요?");
  EXPECT_EQ(calls.back().caption, "QUESTION");
  EXPECT_EQ(pane->GetList()->GetItemCount(), before);

  orv::win::ScriptMessageBoxes({IDYES});
  pane->OnDelete();
  EXPECT_EQ(pane->GetList()->GetItemCount(), 0);
  EXPECT_EQ(frame.GetLogHub()->GetLineCount(), 0);
}

TEST(MainFrame, LogPaneSwitchesFlipTheirState) {
  CMainFrame& frame = Frame();
  CLogViewWnd* pane = frame.GetLogViewWnd();
  app_run_setting_s& rs = StartedHost::Get().app().RunSettings();
  EXPECT_FALSE(pane->IsAutoScroll());
  pane->SetAutoScroll(true);
  EXPECT_TRUE(pane->IsAutoScroll());
  pane->SetAutoScroll(false);

  const uint8_t display = rs.byLogDisplayOn;
  pane->OnToggleDisplay();
  EXPECT_EQ(rs.byLogDisplayOn, display != 0 ? 0 : 1);
  pane->OnToggleDisplay();
  EXPECT_EQ(rs.byLogDisplayOn, display);

  EXPECT_EQ(pane->GetOptions(), 15u);
  pane->SetOptionBit16(true);
  pane->SetThreeState(true, true);
  EXPECT_EQ(pane->GetOptions(), (15u & ~3u) | 0x10u | 1u);
  pane->SetThreeState(true, false);
  EXPECT_EQ(pane->GetOptions() & 3u, 2u);
  pane->SetThreeState(false, false);
  EXPECT_EQ(pane->GetOptions() & 3u, 0u);
}

TEST(MainFrame, ThirdPopupStacksAboveTheFirstTwo) {
  CMainFrame& frame = Frame();
  wxWindow* first = frame.ShowPopup(L"첫째", L"one");
  wxWindow* second = frame.ShowPopup(L"둘째", L"two");
  wxWindow* third = frame.ShowPopup(L"셋째", L"three");
  StartedHost::Pump(50);
  const wxRect r1 = first->GetScreenRect();
  const wxRect r2 = second->GetScreenRect();
  const wxRect r3 = third->GetScreenRect();
  EXPECT_EQ(r3.GetSize(), wxSize(CMainFrame::kPopupWidth, CMainFrame::kPopupHeight));
  EXPECT_LE(r3.GetBottom(), std::min(r1.GetTop(), r2.GetTop()));
  const auto open = frame.GetOpenPopups();
  for (size_t i = 0; i < open.size(); ++i) {
    for (size_t j = i + 1; j < open.size(); ++j) {
      EXPECT_FALSE(open[i]->GetScreenRect().Intersects(open[j]->GetScreenRect()))
          << i << " overlaps " << j;
    }
  }
  EXPECT_NE(std::find(open.begin(), open.end(), third), open.end());
}

TEST(MainFrame, WaitPopupShowsAndHides) {
  CMainFrame& frame = Frame();
  EXPECT_EQ(frame.ShowWaitPopup(L"잠시만 기다려 주세요", L""), 1);
  EXPECT_TRUE(frame.IsWaitPopupShown());
  EXPECT_EQ(frame.HideWaitPopup(), 1);
  EXPECT_FALSE(frame.IsWaitPopupShown());
}

TEST(MainFrame, ModuleCreatedCallbackReportsProgressOnTheSplash) {
  CMainFrame& frame = Frame();
  CSplashScreenEx* splash = frame.GetSplash();
  ASSERT_NE(splash, nullptr) << "the shipped catalogue asks for the splash";
  EXPECT_EQ(splash->GetName(), CSplashScreenEx::kWindowName);
  // The main view's start-up loop adds its "Loading ..." lines after this one.
  EXPECT_EQ(splash->GetText().rfind(L"Initialize Views...(Please wait)\r\n", 0), 0u);
  struct Case {
    uint32_t no, count, ms;
    const char* detail;
    int error;
    const wchar_t* line;
  };
  const Case cases[] = {
      {1, 1, 12, nullptr, 0, L" > Module 1/1 Loaded(12ms)\r\n"},
      {2, 3, 999, "view", 0, L" > Module 2/3(999ms):view\r\n"},
      {1, 1, 1500, nullptr, 0, L" > Module 1/1 Loaded(1.5s)\r\n"},
      {1, 2, 2345, "slow", 0, L" > Module 1/2(2.3s):slow\r\n"},
      {1, 1, 5, nullptr, -4, L" > Module 1/1(Err:-4)\r\n"},
      {1, 1, 5, "no view", 7, L" > Module 1/1(Err:7/no view)\r\n"},
  };
  const SharedWnds_s& block = *frame.GetSharedWnds();
  for (const Case& c : cases) {
    splash->SetText(L"");
    EXPECT_EQ(block.pfnModuleCreated(block.pCallbackCtx, 0, c.no, c.count, nullptr, -1, 0, c.detail,
                                     const_cast<wchar_t*>(block.szText), c.ms, c.error),
              0);
    EXPECT_EQ(splash->GetText(), c.line);
  }
}

TEST(MainFrame, LogNotifyFromModulesReachesTheLogAndPopups) {
  CMainFrame& frame = Frame();
  const SharedWnds_s& block = *frame.GetSharedWnds();
  const size_t popupsBefore = frame.GetOpenPopups().size();
  block.pfnNotify(block.pCallbackCtx, HOST_NOTIFY_CLASS_LOG, 0, 22, 0, 0, L"알림", L"매도 완료",
                  nullptr, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0);
  CLogHub* hub = frame.GetLogHub();
  const LogHubEntry* last = hub->GetLine(hub->GetViewCount() - 1, nullptr);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->text, L"매도 완료");
  EXPECT_EQ(last->level, -1);
  EXPECT_EQ(frame.GetOpenPopups().size(), popupsBefore + 1);
}

}  // namespace
