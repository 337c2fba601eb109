// The host's own screen saver under the toolkit: started by the frame's idle timer, shown
// full screen on top, drawing its scenes, ended by input, and gone without ending the program.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/display.h>
#include <wx/image.h>
#include <wx/weakref.h>

#include <vector>

#include "host/app/VarqoMainApp.h"
#include "host/frame/FrameCommandState.h"
#include "host/frame/MainFrame.h"
#include "host/saver/SaverWnd.h"
#include "platform/win/Clock.h"
#include "tests/host_frame/FrameFixture.h"

namespace {

using orv::test::StartedHost;

void Move(CSaverWnd& saver, int x, int y) {
  wxMouseEvent event(wxEVT_MOTION);
  event.SetPosition(saver.ScreenToClient(wxPoint(x, y)));
  event.SetEventObject(&saver);
  saver.ProcessWindowEvent(event);
}

void Press(CSaverWnd& saver, wxEventType type) {
  if (type == wxEVT_CHAR_HOOK) {
    wxKeyEvent event(wxEVT_CHAR_HOOK);
    event.m_keyCode = 'A';
    event.SetEventObject(&saver);
    saver.ProcessWindowEvent(event);
  } else {
    wxMouseEvent event(type);
    event.SetEventObject(&saver);
    saver.ProcessWindowEvent(event);
  }
}

bool HasLitPixel(const wxBitmap& bitmap) {
  const wxImage image = bitmap.ConvertToImage();
  const unsigned char* data = image.GetData();
  const size_t size = static_cast<size_t>(image.GetWidth()) * image.GetHeight() * 3;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] > 16) return true;
  }
  return false;
}

struct SaverCalls {
  std::vector<std::vector<intptr_t>> calls;
  static void Record(void* context, int id, intptr_t a, intptr_t b, intptr_t c, intptr_t d,
                     intptr_t e, intptr_t f) {
    static_cast<SaverCalls*>(context)->calls.push_back({id, a, b, c, d, e, f});
  }
};

TEST(SaverWnd, TheIdleFrameShowsItFullScreenAndAKeyEndsIt) {
  StartedHost& host = StartedHost::Get();
  CMainFrame& frame = host.frame();
  app_run_setting_s& rs = host.app().RunSettings();
  const app_run_setting_s saved = rs;
  rs.bySaverOn = 1;
  rs.byCustomSaverOn = 1;
  rs.dwSaverIdleMs = 30000;
  wcscpy(rs.szProductTitle, L"제품 제목");
  wcscpy(rs.szAppName, L"Orvella");
  orv::win::FakeClock clock(100000);
  orv::win::SetClock(&clock);
  frame.SetCursorSource([] { return POINT{7, 7}; });

  frame.OnFrameTimerTick();
  clock.Advance(29800);
  frame.OnFrameTimerTick();
  EXPECT_EQ(frame.GetSaverWnd(), nullptr);
  clock.Advance(200);
  frame.OnFrameTimerTick();
  CSaverWnd* saver = frame.GetSaverWnd();
  ASSERT_NE(saver, nullptr);
  EXPECT_TRUE(saver->IsShown());
  EXPECT_TRUE(saver->TimerRunning());
  EXPECT_EQ(saver->SaverId(), 1208);
  EXPECT_EQ(saver->TimeoutMs(), 10000);
  EXPECT_TRUE(saver->HasFlag(wxSTAY_ON_TOP));
  EXPECT_EQ(saver->Texts().heading, L"제품 제목");
  EXPECT_EQ(saver->Texts().title, L"Orvella");
  EXPECT_EQ(saver->Texts().logoPath, host.programFolder() + "res/scr_saver_logo.bmp");
  ASSERT_EQ(saver->Lines().Count(), 3);
  EXPECT_EQ(saver->Lines().Line(2)[1], L"(주)업비트 자동매수/자동매도 지원");

  // It covers the monitor and draws the scene on its 20 ms timer.
  StartedHost::Pump(1500);
  const wxRect screen = wxDisplay(0u).GetGeometry();
  EXPECT_EQ(saver->GetScreenRect(), screen);
  EXPECT_EQ(saver->Image().GetWidth(), screen.width);
  EXPECT_TRUE(HasLitPixel(saver->Image()));

  // Later idle ticks keep the same saver.
  frame.OnFrameTimerTick();
  EXPECT_EQ(frame.GetSaverWnd(), saver);

  // After the first second a 3-pixel move leaves it; a key ends it.
  // (The pointer rests where it is; the saver may have seen it there already.)
  clock.Advance(1100);
  const wxPoint pointer = wxGetMousePosition();
  Move(*saver, pointer.x, pointer.y);
  Move(*saver, pointer.x + 2, pointer.y + 1);
  EXPECT_TRUE(saver->IsShown());
  wxWeakRef<wxWindow> ref(saver);
  Press(*saver, wxEVT_CHAR_HOOK);
  EXPECT_EQ(frame.GetSaverWnd(), nullptr);
  EXPECT_EQ(frame.CommandState().timer.LastActivityTick(), clock.NowTick());
  StartedHost::Pump(200);
  EXPECT_EQ(ref.get(), nullptr);

  // The program goes on: the frame stays, and the next idle period brings a new saver.
  EXPECT_TRUE(frame.IsShown());
  EXPECT_FALSE(wxTheApp->IsScheduledForDestruction(&frame));
  clock.Advance(30000);
  frame.OnFrameTimerTick();
  ASSERT_NE(frame.GetSaverWnd(), nullptr);
  EXPECT_TRUE(frame.GetSaverWnd()->IsShown());
  frame.GetSaverWnd()->Stop(true, false);
  EXPECT_EQ(frame.GetSaverWnd(), nullptr);
  StartedHost::Pump(100);

  frame.SetCursorSource(nullptr);
  orv::win::SetClock(nullptr);
  rs = saved;
}

TEST(SaverWnd, InputGuardAndOneNotification) {
  StartedHost& host = StartedHost::Get();
  orv::win::FakeClock clock(5000);
  orv::win::SetClock(&clock);
  SaverCalls calls;
  auto* saver = new CSaverWnd(500, false, 77, &SaverCalls::Record, &calls);
  EXPECT_EQ(saver->TimeoutMs(), 1000);
  ASSERT_TRUE(saver->CreateSaver(&host.frame(), wxRect(100, 100, 400, 300), true));
  EXPECT_TRUE(saver->IsShown());

  // Inside the first second: the right button and a 5-pixel move do nothing.
  clock.Advance(200);
  Press(*saver, wxEVT_RIGHT_DOWN);
  Move(*saver, 150, 150);
  Move(*saver, 153, 152);
  EXPECT_TRUE(saver->IsShown());
  // After it, a 3-pixel move still does nothing; 5 pixels end the saver.
  clock.Advance(900);
  Move(*saver, 151, 152);
  EXPECT_TRUE(saver->IsShown());
  EXPECT_TRUE(calls.calls.empty());
  Move(*saver, 155, 150);
  EXPECT_FALSE(saver->IsShown());
  EXPECT_FALSE(saver->TimerRunning());
  ASSERT_EQ(calls.calls.size(), 1u);
  EXPECT_EQ(calls.calls[0], (std::vector<intptr_t>{77, 1, 0, 0, 0, 0, 0}));
  // Hidden already: more input and another hide tell nobody again.
  Press(*saver, wxEVT_CHAR_HOOK);
  saver->Hide();
  EXPECT_EQ(calls.calls.size(), 1u);

  // Shown again, a key 200 ms later ends it at once.
  saver->Show(true);
  EXPECT_TRUE(saver->TimerRunning());
  clock.Advance(200);
  Press(*saver, wxEVT_CHAR_HOOK);
  EXPECT_FALSE(saver->IsShown());
  EXPECT_EQ(calls.calls.size(), 2u);

  // Closing a saver made to close on stop destroys only the saver.
  auto* closing = new CSaverWnd(10000, true, 0, nullptr, nullptr);
  ASSERT_TRUE(closing->CreateSaver(&host.frame(), wxRect(0, 0, 200, 100), true));
  wxWeakRef<wxWindow> ref(closing);
  clock.Advance(200);
  Press(*closing, wxEVT_LEFT_DOWN);
  StartedHost::Pump(100);
  EXPECT_EQ(ref.get(), nullptr);
  EXPECT_TRUE(host.frame().IsShown());
  saver->Destroy();
  StartedHost::Pump(50);
  orv::win::SetClock(nullptr);
}

}  // namespace
