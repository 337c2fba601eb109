// The main frame's plug-in callbacks on a started host with the recording probe module loaded:
// command and notify dispatch, status panes and titles, the login-state callback and the
// commands it relays to modules, the waiting dialog, the password prompt, side panes, log
// lines, server pages fetched from a loopback web server, the host's web login with its
// suffix list, and the login dialog calling a module's login callback.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/aui/aui.h>
#include <wx/dialog.h>
#include <wx/textctrl.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "host/app/VarqoMainApp.h"
#include "host/catalogue/LanguageTexts.h"
#include "host/dialogs/LoginDlg.h"
#include "host/dialogs/SplashScreenEx.h"
#include "host/dialogs/WebPageWnd.h"
#include "host/frame/DockingPanes.h"
#include "host/frame/FrameCallbackState.h"
#include "host/frame/MainFrame.h"
#include "host/frame/MainStatusBar.h"
#include "host/modules/PluginModuleLoading.h"
#include "host/user/HostUserServices.h"
#include "platform/support/HttpForm.h"
#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "shared/HostCommands.h"
#include "shared/LogMsgData.h"
#include "shared/ZiroResultPkt.h"
#include "tests/host_frame/FrameFixture.h"
#include "tests/peers/HttpPeer.h"
#include "tests/peers/TestCa.h"
#include "tests/probe/ProbeHarness.h"

namespace {

using orv::test::ProbeLog;
using orv::test::StartedHost;

CMainFrame& Frame() { return StartedHost::Get().frame(); }
CVarqoMainApp& App() { return StartedHost::Get().app(); }
FrameCallbackState& State() { return Frame().CallbackState(); }

struct Cmd {
  int num1 = 0, num2 = 0, num3 = 0;
  const wchar_t* text1 = nullptr;
  const wchar_t* text2 = nullptr;
  const wchar_t* text3 = nullptr;
  wchar_t* buf = nullptr;
  void* packet = nullptr;
  void* ptr = nullptr;
  uint32_t flags = 0;
  void* cbCtx = nullptr;
  LoginCallback login = nullptr;
  LoginNotifyCallback notify = nullptr;
};

int Command(int kind, int code, const Cmd& c = {}, int* result = nullptr, intptr_t caller1 = 0,
            intptr_t caller2 = 0) {
  SharedWnds_s& block = *Frame().GetSharedWnds();
  return block.pfnCommand(block.pCallbackCtx, kind, code, c.num1, c.num2, c.num3, c.text1, c.text2,
                          c.text3, 0, 0, result, c.buf, c.packet, c.ptr, c.flags, c.cbCtx, c.login,
                          c.notify, caller1, caller2);
}

struct Note {
  double val1 = 0.0, val2 = 0.0;
  const wchar_t* text1 = nullptr;
  const wchar_t* text2 = nullptr;
  const void* rec = nullptr;
  wchar_t* buf = nullptr;
  int int1 = 0, int2 = 0, int3 = 0;
};

intptr_t Notify(int cls, int code, int sub, const Note& n = {}, int* result = nullptr) {
  SharedWnds_s& block = *Frame().GetSharedWnds();
  return block.pfnNotify(block.pCallbackCtx, cls, code, sub, n.val1, n.val2, n.text1, n.text2,
                         n.rec, 0, 0, result, n.buf, n.int1, n.int2, n.int3, 0, 0);
}

// Loads the recording probe module into the frame's loader once.
void EnsureProbeLoaded() {
  static bool loaded = false;
  if (loaded) return;
  const std::wstring path = Utf8ToWide(orv::test::ProbeModulePath());
  PluginModuleRequest request;
  request.libraryPath = path.c_str();
  request.startText = L"probe";
  request.parent = Frame().GetModuleArea();
  request.wndId = 1;
  ASSERT_NE(LoadPluginModule(Frame().BuildModuleHost(), request), nullptr);
  loaded = true;
}

std::vector<std::string> ModuleCommands(const ProbeLog& log) {
  return log.LinesStartingWith("cmd ");
}

// --- A module's login callbacks that record what they get ---
struct LoginCall {
  int calls = 0;
  void* ctx = nullptr;
  int kind = -1;
  std::wstring userId, password, secret, params;
  bool text5Null = false;
  int agency = -1, type = -1, flags = -1, num4 = -1;
  int saveId = -1;
};
LoginCall g_login;
int g_loginAnswer = 1;
struct NotifyCall {
  int calls = 0;
  unsigned state = 0;
  int value1 = 0;
  std::wstring text;
};
NotifyCall g_notify;

int RecordingLogin(void* ctx, int kind, const wchar_t* t1, const wchar_t* t2, const wchar_t* t3,
                   const wchar_t* t4, const wchar_t* t5, int n1, int n2, int n3, int n4,
                   uint8_t flag, const wchar_t*, int* outCode, wchar_t* outText) {
  ++g_login.calls;
  g_login.ctx = ctx;
  g_login.kind = kind;
  g_login.userId = t1 ? t1 : L"(null)";
  g_login.password = t2 ? t2 : L"(null)";
  g_login.secret = t3 ? t3 : L"(null)";
  g_login.params = t4 ? t4 : L"(null)";
  g_login.text5Null = t5 == nullptr;
  g_login.agency = n1;
  g_login.type = n2;
  g_login.flags = n3;
  g_login.num4 = n4;
  g_login.saveId = flag;
  if (g_loginAnswer != 1) {
    *outCode = 42;
    std::wcscpy(outText, L"broker refused");
  }
  return g_loginAnswer;
}

int RecordingNotify(void*, unsigned state, int value1, int, const wchar_t* text, void*, char**,
                    int*) {
  ++g_notify.calls;
  g_notify.state = state;
  g_notify.value1 = value1;
  g_notify.text = text ? text : L"";
  return 0;
}

void TypeInto(orv::ui::CControlDialog& dlg, int id, const wchar_t* text) {
  static_cast<wxTextCtrl*>(dlg.GetDlgItem(id))->SetValue(text);
}

// Starts the host first, so that whatever its start-up reports lands here.
TEST(HostCallbacks, HostStarts) { EXPECT_NE(Frame().GetSharedWnds()->pfnCommand, nullptr); }

TEST(HostCallbacks, UnknownKindsAndCodesAnswerZeroAndKeepTheCallerPair) {
  struct Case {
    int kind;
    int code;
  };
  for (const Case& c : {Case{1, 79}, Case{3, 82}, Case{2, 76}, Case{2, 111}, Case{2, 88},
                        Case{2, 100}, Case{2, 110}, Case{0, 0}}) {
    int result = 99;
    EXPECT_EQ(Command(c.kind, c.code, {}, &result, 0x1234, 0x5678), 0) << c.kind << "/" << c.code;
    EXPECT_EQ(result, 0) << c.kind << "/" << c.code;
    EXPECT_EQ(State().lastCaller[0], 0x1234);
    EXPECT_EQ(State().lastCaller[1], 0x5678);
  }
  // A null result is allowed.
  EXPECT_EQ(Command(2, 999), 0);
  // Notifications of unknown classes and status panes answer 0 with status 0.
  for (int cls : {0, 5, 9}) {
    int status = 99;
    EXPECT_EQ(Notify(cls, 3, 7, {}, &status), 0);
    EXPECT_EQ(status, 0);
  }
  int status = 99;
  EXPECT_EQ(Notify(3, 3, 99, {}, &status), 0);
  EXPECT_EQ(status, 0);
  status = 99;
  EXPECT_EQ(Notify(3, 20, 5, {}, &status), 0);
  EXPECT_EQ(status, 0);
  // Codes 0, 4, 6, 7, 14, 15 and above 20 with subs 17 to 19 do nothing and answer status 1.
  for (int code : {0, 4, 6, 7, 14, 15, 21, 40}) {
    status = 0;
    Notify(3, code, 18, {}, &status);
    EXPECT_EQ(status, 1) << code;
  }
}

TEST(HostCallbacks, WindowTitleNamesTheSignedInUser) {
  const std::wstring title = Utf8ToWide(App().WindowTitle());
  int status = 0;
  Notify(3, NOTIFY_KIND_STATUS, STATUS_PANE_TITLE_USER, {7.0, 0.0, L"kim"}, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(Frame().GetTitle().ToStdWstring(), title + L" (사용자=7/kim)");
  Notify(3, NOTIFY_KIND_STATUS, STATUS_PANE_TITLE_USER, {0.0, 0.0, L""});
  EXPECT_EQ(Frame().GetTitle().ToStdWstring(), title + L" (로그오프)");
  Notify(3, NOTIFY_KIND_STATUS, STATUS_PANE_TITLE_USER, {3.0, 0.0, nullptr});
  EXPECT_EQ(Frame().GetTitle().ToStdWstring(), title + L" (사용자=3/*)");
}

TEST(HostCallbacks, StatusPanesCounterAndValues) {
  CMainStatusBar& bar = *Frame().GetMainStatusBar();
  struct Case {
    int sub;
    double val1;
    const wchar_t* text;
    UINT pane;
    int valueIndex;  // -1: no status value
  };
  const Case cases[] = {
      {STATUS_PANE_PROGRESS, 0, L"55%", ID_STATUS_PROGRESS, -1},
      {STATUS_PANE_COMM, 2, L"SIMUL", ID_STATUS_COMM, 1},
      {STATUS_PANE_SCR, 3, L"SCR 1", ID_STATUS_SCR, 2},
      {STATUS_PANE_VALID, 4, L"VALID", ID_STATUS_VALID, 3},
      {STATUS_PANE_RUN_TIME, 0, L"01:02:03", ID_STATUS_RUN_TIME, -1},
      {STATUS_PANE_MARKET, 0, L"장중", ID_STATUS_MARKET, -1},
  };
  for (const Case& c : cases) {
    int status = 0;
    Notify(3, NOTIFY_KIND_STATUS, c.sub, {c.val1, 0.0, c.text}, &status);
    EXPECT_EQ(status, 1) << c.sub;
    EXPECT_EQ(bar.GetPaneText(c.pane), c.text) << c.sub;
    if (c.valueIndex >= 0) EXPECT_EQ(State().statusValues[c.valueIndex], (int)c.val1) << c.sub;
  }
  Notify(3, NOTIFY_KIND_STATUS, STATUS_PANE_VALUE1, {9.0});
  EXPECT_EQ(State().statusValues[0], 9);
  App().RunSettings().bySaverOn = 0;
  Notify(3, NOTIFY_KIND_STATUS, STATUS_PANE_SAVER, {});
  EXPECT_EQ(bar.GetPaneText(ID_STATUS_SCR), L"SAVER OFF");

  // The counter text is the frame's own copy of the module's text.
  std::wstring moduleText = L"12/40";
  Command(2, MAINFRAME_FN_COUNTER_TEXT, {0, 0, 0, moduleText.c_str()});
  moduleText.assign(L"xxxxx");
  EXPECT_EQ(State().counterText, L"12/40");
  EXPECT_EQ(bar.GetPaneText(ID_STATUS_COUNTER), L"12/40");
  Command(2, MAINFRAME_FN_COUNTER_TEXT, {});
  EXPECT_EQ(bar.GetPaneText(ID_STATUS_COUNTER), L"");
}

TEST(HostCallbacks, LoginSuccessReachesTheLoginPaneAndHidesTheLoginDialog) {
  Command(2, MAINFRAME_FN_LOGIN, {0, 0, 0, L"로그인", L"안내"});
  CLoginDlg* dlg = Frame().UserServices().GetLoginDlg();
  ASSERT_NE(dlg, nullptr);
  ASSERT_TRUE(dlg->IsDialogShown());
  // Any other value reports logged out and leaves the dialog open.
  int status = 0;
  Notify(3, NOTIFY_KIND_STATUS, STATUS_PANE_LOGIN, {0.0, 0.0, L"로그인 실패"}, &status);
  EXPECT_EQ(status, 1);
  EXPECT_TRUE(dlg->IsDialogShown());
  EXPECT_EQ(State().loginState, 0);
  EXPECT_EQ(Frame().GetMainStatusBar()->GetPaneText(ID_STATUS_LOGIN), L"로그인 실패");

  Notify(3, NOTIFY_KIND_STATUS, STATUS_PANE_LOGIN, {1.0, 0.0, L"로그인 성공"}, &status);
  EXPECT_EQ(Frame().GetMainStatusBar()->GetPaneText(ID_STATUS_LOGIN), L"로그인 성공");
  EXPECT_FALSE(dlg->IsDialogShown());
  EXPECT_EQ(State().loginState, 1);

  // Function 80 hides, 81 with state 1 clears the work message and hides.
  Command(2, MAINFRAME_FN_LOGIN, {});
  EXPECT_TRUE(dlg->IsDialogShown());
  Command(2, MAINFRAME_FN_HIDE_LOGIN, {});
  EXPECT_FALSE(dlg->IsDialogShown());
  Command(2, MAINFRAME_FN_LOGIN, {});
  dlg->SetWorkMessage(L"로그인 중...");
  Command(2, MAINFRAME_FN_LOGIN_STATE,
          {0, 0, 0, nullptr, L"새 안내", nullptr, nullptr, nullptr, nullptr, 64});
  EXPECT_TRUE(dlg->IsDialogShown());
  EXPECT_EQ(dlg->GetErrorText(), L"");
  Command(2, MAINFRAME_FN_LOGIN_STATE,
          {0, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 1});
  EXPECT_FALSE(dlg->IsDialogShown());
}

TEST(HostCallbacks, LoginStateAndRelayedCommandsReachEveryModule) {
  EnsureProbeLoaded();
  ProbeLog log;
  // Function 86 first relays 86 to the modules, then opens the login dialog.
  Command(2, MAINFRAME_FN_LOGGED_OUT, {});
  EXPECT_TRUE(Frame().UserServices().IsLoginDialogShown());
  Frame().UserServices().HideLoginDialog();
  Command(2, MAINFRAME_FN_RELOGIN, {});
  Frame().UserServices().HideLoginDialog();
  // The login-state callback: 0x20000 and 0x40000 send 86 with the value, 3 and 2 send 81
  // only with their values, anything else nothing.
  EXPECT_EQ(CMainFrame::OnLoginStateChanged(&Frame(), LOGIN_EVENT_LOGGED_OUT, 5, 0), 0);
  CMainFrame::OnLoginStateChanged(&Frame(), 3, LOGIN_STATE_WAITING, 0);
  CMainFrame::OnLoginStateChanged(&Frame(), 3, LOGIN_STATE_WAITING, 1);
  CMainFrame::OnLoginStateChanged(&Frame(), 2, LOGIN_STATE_LOGGED_IN, 0);
  CMainFrame::OnLoginStateChanged(&Frame(), 2, 1, 0);
  CMainFrame::OnLoginStateChanged(&Frame(), 7, 1, 0);
  CMainFrame::OnLoginStateChanged(&Frame(), LOGIN_EVENT_RELOGIN, 9, 0);
  EXPECT_TRUE(Frame().UserServices().IsLoginDialogShown());
  Frame().UserServices().HideLoginDialog();
  // The host's own commands.
  for (unsigned code :
       {HOST_CMD_SAVE, HOST_CMD_AUTO_TRADE_ON, HOST_CMD_AUTO_TRADE_OFF, HOST_CMD_PROFIT_RATES})
    Frame().SendCommandToAllModules(code, 0);
  EXPECT_EQ(Frame().SendCommandToAllModules(HOST_CMD_STOP, 1), 0);
  EXPECT_EQ(ModuleCommands(log),
            (std::vector<std::string>{
                "cmd kind=2 code=86 w=0", "cmd kind=2 code=84 w=0", "cmd kind=2 code=86 w=5",
                "cmd kind=2 code=81 w=65536", "cmd kind=2 code=81 w=2097152",
                "cmd kind=2 code=86 w=9", "cmd kind=2 code=7 w=0", "cmd kind=2 code=113 w=0",
                "cmd kind=2 code=114 w=0", "cmd kind=2 code=115 w=0", "cmd kind=2 code=21 w=1"}));
}

TEST(HostCallbacks, WaitingDialogRunsOneAtATimeAndPassesReloginEvents) {
  EnsureProbeLoaded();
  ProbeLog log;
  int inner = -2;
  std::wstring title, info;
  wxTheApp->CallAfter([&] {
    title = State().waitDlg->GetTitleText();
    info = State().waitDlg->GetInfoText();
    inner = Command(2, MAINFRAME_FN_WAIT_DIALOG, {0, 0, 0, L"again"});
    State().waitDlg->EndDialog(0);
  });
  EXPECT_EQ(Command(2, MAINFRAME_FN_WAIT_DIALOG, {0, 0, 0, L"처리 중", L"잠시 기다려 주세요"}), 1);
  EXPECT_EQ(inner, 0);
  EXPECT_EQ(title, L"처리 중");
  EXPECT_EQ(info, L"잠시 기다려 주세요");
  EXPECT_EQ(State().waitBusy, 0);

  // Closed by the user: 0. Events 0x20000/0x40000 pass only where the request enables them.
  intptr_t masked = -1;
  wxTheApp->CallAfter([&] {
    masked = State().waitDlg->RaiseLoginEvent(LOGIN_EVENT_RELOGIN, 4, 0);
    State().waitDlg->EndDialog(CWaitingModalDlg::kResultCancel);
  });
  EXPECT_EQ(Command(2, MAINFRAME_FN_WAIT_WND, {0, 0, 0, L"t", L"i"}), 0);
  EXPECT_EQ(masked, 0);
  // Function 101: a relogin event relays 86 with its value and opens the login dialog, so 86
  // reaches the modules twice on this road.
  Command(2, MAINFRAME_FN_LOGGED_OUT, {});
  Frame().UserServices().HideLoginDialog();
  wxTheApp->CallAfter([&] {
    State().waitDlg->RaiseLoginEvent(LOGIN_EVENT_RELOGIN, 4, 0);
    State().waitDlg->EndDialog(0);
  });
  EXPECT_EQ(Command(2, MAINFRAME_FN_WAIT_DIALOG_LOGIN, {0, 0, 0, L"t", L"i"}), 1);
  EXPECT_TRUE(Frame().UserServices().IsLoginDialogShown());
  Frame().UserServices().HideLoginDialog();
  EXPECT_EQ(ModuleCommands(log),
            (std::vector<std::string>{"cmd kind=2 code=86 w=0", "cmd kind=2 code=86 w=4"}));
}

TEST(HostCallbacks, PasswordPromptKeepsOkDisabledUntilBothEntriesMatch) {
  Frame();  // the application exists before anything is queued on it
  wchar_t buf[256];
  std::wcscpy(buf, L"old");
  bool okWhileDifferent = true, shownAfterPress = false;
  std::wstring title;
  wxTheApp->CallAfter([&] {
    CPasswordDlg& dlg = *Frame().UserServices().GetPasswordDlg();
    title = dlg.GetWindow()->GetTitle().ToStdWstring();
    TypeInto(dlg, CPasswordDlg::IDC_PWD, L"abc1");
    TypeInto(dlg, CPasswordDlg::IDC_CONFIRM, L"abc2");
    okWhileDifferent = dlg.IsOkEnabled();
    dlg.PressOk();
    shownAfterPress = dlg.IsDialogShown();
    TypeInto(dlg, CPasswordDlg::IDC_CONFIRM, L"abc1");
    dlg.PressOk();
  });
  int result = 0;
  EXPECT_EQ(Command(2, MAINFRAME_FN_PASSWORD, {0, 1, 0, L"kim", nullptr, nullptr, buf}, &result),
            1);
  EXPECT_EQ(title, L"Change Password : kim");
  EXPECT_FALSE(okWhileDifferent);
  EXPECT_TRUE(shownAfterPress);
  EXPECT_EQ(result, 1);
  EXPECT_STREQ(buf, L"abc1");

  // Cancel answers 7 and leaves the buffer empty.
  wxTheApp->CallAfter([&] {
    CPasswordDlg& dlg = *Frame().UserServices().GetPasswordDlg();
    title = dlg.GetWindow()->GetTitle().ToStdWstring();
    TypeInto(dlg, CPasswordDlg::IDC_PWD, L"x");
    TypeInto(dlg, CPasswordDlg::IDC_CONFIRM, L"y");
    dlg.PressCancel();
  });
  EXPECT_EQ(Command(2, MAINFRAME_FN_PASSWORD, {0, 0, 0, L"lee", nullptr, nullptr, buf}, &result),
            1);
  EXPECT_EQ(title, L"Enter Password : lee");
  EXPECT_EQ(result, 7);
  EXPECT_STREQ(buf, L"");
}

TEST(HostCallbacks, SidePanesFollowTheRunSettingsMask) {
  CMainFrame& frame = Frame();
  app_run_setting_s& rs = App().RunSettings();
  const uint8_t saved = rs.byPaneMask;
  rs.byPaneMask = PANE_BIT_LOG | PANE_BIT_PROPERTIES;
  Notify(1, 0, PANES_SHOW,
         {PANE_BIT_LOG | PANE_BIT_PROPERTIES | PANE_BIT_WORKSPACE, 0.0, L"W;로그 창;속성 창",
          L"0;0;321"});
  EXPECT_TRUE(frame.IsPaneOpen(PANE_ID_LOG));
  EXPECT_TRUE(frame.IsPaneOpen(PANE_ID_PROPERTIES));
  // The workspace's bit is clear in the run settings: a show request closes it.
  EXPECT_FALSE(frame.IsPaneOpen(PANE_ID_WORKSPACE));
  EXPECT_EQ(frame.GetPaneManager().GetPane(std::to_string(PANE_ID_LOG)).caption.ToStdWstring(),
            L"로그 창");
  EXPECT_EQ(
      frame.GetPaneManager().GetPane(std::to_string(PANE_ID_PROPERTIES)).caption.ToStdWstring(),
      L"속성 창");
  Notify(1, 0, PANES_HIDE, {PANE_BIT_LOG});
  EXPECT_FALSE(frame.IsPaneOpen(PANE_ID_LOG));
  EXPECT_TRUE(frame.IsPaneOpen(PANE_ID_PROPERTIES));
  rs.byPaneMask = saved;
  frame.ApplyAllPaneVisibility();
}

TEST(HostCallbacks, SettingsDialogSavesAndTheFrameAppliesThePanes) {
  CMainFrame& frame = Frame();
  app_run_setting_s& rs = App().RunSettings();
  const uint8_t saved = rs.byPaneMask;
  rs.byPaneMask = PANE_BIT_LOG | PANE_BIT_WORKSPACE;
  frame.ApplyAllPaneVisibility();
  ASSERT_TRUE(frame.IsPaneOpen(PANE_ID_LOG));
  int status = 0;
  Notify(3, NOTIFY_KIND_SETTINGS, 47, {}, &status);
  EXPECT_EQ(status, 1);
  CConfigDlg* dlg = frame.UserServices().GetConfigDlg();
  ASSERT_NE(dlg, nullptr);
  EXPECT_TRUE(dlg->IsDialogShown());
  EXPECT_TRUE(dlg->IsDlgButtonChecked(CConfigDlg::IDC_PANE_LOG));
  dlg->CheckDlgButton(CConfigDlg::IDC_PANE_LOG, false);
  dlg->CheckDlgButton(CConfigDlg::IDC_PANE_MONITORING, true);
  dlg->Save();
  EXPECT_EQ(rs.byPaneMask & 0x0F, PANE_BIT_WORKSPACE | PANE_BIT_MONITORING);
  EXPECT_FALSE(frame.IsPaneOpen(PANE_ID_LOG));
  EXPECT_TRUE(frame.IsPaneOpen(PANE_ID_MONITORING));
  dlg->HideDialog();
  rs.byPaneMask = saved;
  frame.ApplyAllPaneVisibility();

  // The wait-confirm window: shown with its text and mode, hidden by 109.
  Command(2, MAINFRAME_FN_WAIT_CONFIRM, {0, 30, 100, L"전송 중"});
  ASSERT_NE(State().waitConfirmDlg, nullptr);
  EXPECT_TRUE(State().waitConfirmDlg->IsDialogShown());
  EXPECT_EQ(State().waitConfirmDlg->GetText(), L"전송 중");
  EXPECT_EQ(State().waitConfirmDlg->GetMode(), 1);
  Command(2, MAINFRAME_FN_WAIT_CONFIRM_MODE0, {0, -1, 100, L"대기"});
  EXPECT_EQ(State().waitConfirmDlg->GetMode(), 0);
  Command(2, MAINFRAME_FN_HIDE_WAIT_CONFIRM, {});
  EXPECT_FALSE(State().waitConfirmDlg->IsDialogShown());
}

TEST(HostCallbacks, LogoutCommandAsksThenClearsTheUserAndTellsTheModules) {
  EnsureProbeLoaded();
  ProbeLog log;
  login_info_s& li = App().LoginInfo();
  li.nCompanyIdx = 5;
  li.nUserIdx = 7;
  std::wcscpy(li.szUserId, L"kim");
  Frame().UserServices().SetLoggedIn(true);
  // "No" keeps everything.
  orv::win::ScriptMessageBoxes({IDNO});
  Command(2, MAINFRAME_FN_LOGOUT, {});
  EXPECT_EQ(li.nUserIdx, 7);
  EXPECT_TRUE(ModuleCommands(log).empty());
  orv::win::ScriptMessageBoxes({IDYES});
  Command(2, MAINFRAME_FN_LOGOUT, {});
  const auto boxes = orv::win::ScriptedMessageBoxCalls();
  orv::win::ScriptMessageBoxes({});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "QUESTION");
  EXPECT_EQ(li.nUserIdx, 0);
  EXPECT_EQ(li.szUserId[0], L'\0');
  EXPECT_EQ(li.nCompanyIdx, 5);
  EXPECT_EQ(li.byState & 1, 0);
  EXPECT_EQ(App().RunSettings().dwStateWord & 0x8, 0u);
  EXPECT_EQ(Frame().GetTitle().ToStdWstring(),
            std::wstring(App().RunSettings().szAppName) + L" - Not Logined");
  EXPECT_EQ(ModuleCommands(log), (std::vector<std::string>{"cmd kind=2 code=86 w=0"}));
}

TEST(HostCallbacks, HelpOpensThroughTheDesktopOpener) {
  Frame();
  std::vector<std::string> opened;
  CHostUserServices::SetDesktopOpener([&](const std::string& target) {
    opened.push_back(target);
    return true;
  });
  const std::string folder = StartedHost::Get().programFolder();
  app_run_setting_s& rs = App().RunSettings();
  std::wcscpy(rs.szManualPath, L"manual/orvella-guide.pdf");
  orv::win::ScriptMessageBoxes({IDOK});
  EXPECT_EQ(Frame().UserServices().OpenHelp("", "", ""), 0);
  auto boxes = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "도움말 파일(" + folder + "orvella-guide.pdf) 이 존재하지 않습니다.");
  EXPECT_EQ(boxes[0].caption, "ERROR");
  EXPECT_TRUE(opened.empty());
  std::ofstream(folder + "orvella-guide.pdf") << "%PDF";
  EXPECT_EQ(Frame().UserServices().OpenHelp("", "", ""), 1);
  std::ofstream(folder + "help.html") << "<html/>";
  EXPECT_EQ(Frame().UserServices().OpenHelp("help.html", "trade", ""), 1);
  orv::win::ScriptMessageBoxes({});
  EXPECT_EQ(opened, (std::vector<std::string>{folder + "orvella-guide.pdf", folder + "help.html"}));
  rs.szManualPath[0] = L'\0';
  CHostUserServices::SetDesktopOpener(nullptr);
}

TEST(HostCallbacks, ChildTitlesAreEditedAndReadThroughTheCatalogue) {
  Frame();
  // The shipped catalogue's trading menu starts without child titles.
  Command(2, MAINFRAME_FN_CHILD_TITLE, {0, 0, 1, L"pelomar", L"주문"});
  Command(2, MAINFRAME_FN_CHILD_TITLE, {0, 0, 3, L"pelomar", L"잔고"});
  Command(2, MAINFRAME_FN_CHILD_TITLE, {0, 0, 2, L"pelomar", L"체결"});
  // Missing texts change nothing.
  Command(2, MAINFRAME_FN_CHILD_TITLE, {0, 0, 1, L"pelomar", nullptr});
  Command(2, MAINFRAME_FN_CHILD_TITLE, {0, 0, 1, L"", L"x"});
  std::wstring key = L"pelomar";
  ZiroResultPkt_s packet;
  ZIRO_RESULT_PKT_NULL(&packet);
  packet.pszKey = key.data();
  int result = 9;
  EXPECT_EQ(Command(2, MAINFRAME_FN_CHILD_TITLES_PACKET,
                    {0, 0, 0, nullptr, nullptr, nullptr, nullptr, &packet}, &result),
            0);
  EXPECT_EQ(result, 0);
  // The edited list is the entry's column list; the packet carries the menu's titles in the
  // frame's language.
  EXPECT_EQ(orv::host::GfxZiroGetChildTitlesAll(App().CatalogueDb(), L"pelomar", 2).value_or(L"?"),
            L"주문\n체결\n");
  const auto titles = orv::host::MenuChildTitlesByLang(App().CatalogueDb(), L"pelomar", 2);
  ASSERT_TRUE(titles.has_value());
  EXPECT_EQ(std::wstring(packet.pszResult ? packet.pszResult : L""), *titles);
  ZIRO_RESULT_PKT_FREE2(&packet);
}

TEST(HostCallbacks, SplashTextAndVisibility) {
  CSplashScreenEx* splash = Frame().GetSplash();
  ASSERT_NE(splash, nullptr);
  CHostUserServices& services = Frame().UserServices();
  services.SetSplashText(L"사용자 확인 중");
  EXPECT_EQ(splash->GetText(), L"사용자 확인 중");
  services.ShowSplash(true, L"잠시만 기다려 주세요");
  EXPECT_EQ(splash->GetText(), L"잠시만 기다려 주세요");
  EXPECT_TRUE(splash->IsShown());
  services.ShowSplash(false, nullptr);
  EXPECT_FALSE(splash->IsShown());
  EXPECT_EQ(splash->GetText(), L"잠시만 기다려 주세요");
}

TEST(HostCallbacks, LogLinesErrorBoxesAndPaths) {
  CMainFrame& frame = Frame();
  Notify(4, 0, 0, {0, 0, L"제목", L"모듈 로그 줄"});
  log_msg_data_s rec;
  rec.byFlags[0] = 3;
  rec.nStatus = 77;
  Notify(3, NOTIFY_KIND_LOG, 2, {0, 0, L"주문", L"전송됨", &rec});
  Notify(3, NOTIFY_KIND_LOG, 2, {0, 0, nullptr, L"제목 없음", &rec});
  StartedHost::Pump(300);
  const int count = frame.GetLogViewCount();
  ASSERT_GE(count, 3);
  const LogHubEntry* a = frame.GetLogHubLine(count - 3);
  const LogHubEntry* b = frame.GetLogHubLine(count - 2);
  const LogHubEntry* c = frame.GetLogHubLine(count - 1);
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(a->text, L"모듈 로그 줄");
  EXPECT_EQ(a->level, -1);
  EXPECT_EQ(b->text, L"주문 (전송됨)");
  EXPECT_EQ(b->level, 2);
  EXPECT_EQ(b->flag1, 3);
  EXPECT_EQ(b->number3, 77);
  EXPECT_EQ(c->text, L" (제목 없음)");

  orv::win::ScriptMessageBoxes({IDOK, IDOK});
  Notify(2, 0, 79, {0, 0, L"첫째", L"둘째"});
  Notify(2, 0, 84, {0, 0, L"셋째", L"넷째"});
  Notify(2, 0, 80, {0, 0, L"없음"});
  const auto boxes = orv::win::ScriptedMessageBoxCalls();
  orv::win::ScriptMessageBoxes({});
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "둘째");
  EXPECT_EQ(boxes[0].caption, "ERROR");
  EXPECT_EQ(boxes[0].type & MB_ICONERROR, MB_ICONERROR);
  EXPECT_EQ(boxes[1].text, "셋째");

  wchar_t buf[260] = {};
  int status = 0;
  Notify(3, 2, 2, {0, 0, nullptr, nullptr, nullptr, buf}, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(WideToUtf8(buf), StartedHost::Get().programFolder());
  Notify(3, 2, 3, {0, 0, nullptr, nullptr, nullptr, buf}, &status);
  EXPECT_EQ(status, 0);

  // Function 87: a UI text in the requested language, defaults when the catalogue has none.
  wchar_t text[HOST_UI_TEXT_BUF_LEN] = {};
  Command(2, MAINFRAME_FN_UI_TEXT, {0, 0, 1, L"no.such.key.h7", L"English text", L"한국어", text});
  EXPECT_STREQ(text, L"English text");
  Command(2, MAINFRAME_FN_UI_TEXT, {0, 0, 2, L"no.such.key.h7", L"English text", L"한국어", text});
  EXPECT_STREQ(text, L"한국어");
}

// A loopback web server whose pages and login check record what they were asked.
class HostWebServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    peer_.On("GET", "/event/event_list2",
             orv::test::PeerReply{200, "<html>events</html>", "text/html"});
    peer_.On("GET", "/member/myinfo", orv::test::PeerReply{200, "<html>me</html>", "text/html"});
    peer_.On("POST", "/member/login_check", [](const orv::test::RecordedRequest& r) {
      orv::test::PeerReply reply;
      const orv::test::FormPart* pw = r.Part("upw");
      const orv::test::FormPart* id = r.Part("uid");
      if (pw && pw->content == "pw" && id)
        reply.body = R"({"err":0,"uidx":7,"agc":4,"uname":"김","tk":"tok7","lvl":40})";
      else
        reply.body = R"({"err":12,"errmsg":"비밀번호가 다릅니다","uidx":0})";
      return reply;
    });
    ASSERT_TRUE(peer_.Start());
    // Without a b2b text the scripts are the member ones.
    app_run_setting_s& rs = App().RunSettings();
    savedBase_ = rs.szWebApiBase;
    savedB2b_ = rs.szB2b;
    std::strcpy(rs.szWebApiBase, peer_.BaseUrl().c_str());
    rs.szB2b[0] = L'\0';
  }
  void TearDown() override {
    std::strcpy(App().RunSettings().szWebApiBase, savedBase_.c_str());
    std::wcscpy(App().RunSettings().szB2b, savedB2b_.c_str());
    peer_.Stop();
  }
  std::vector<orv::test::RecordedRequest> RequestsTo(const std::string& path) {
    std::vector<orv::test::RecordedRequest> out;
    for (const auto& r : peer_.Requests())
      if (r.path == path) out.push_back(r);
    return out;
  }
  // Pumps events until the peer saw a request to path (the browser loads asynchronously).
  bool WaitForPage(const std::string& path) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < until) {
      if (!RequestsTo(path).empty()) return true;
      StartedHost::Pump(100);
    }
    return false;
  }

  orv::test::HttpPeer peer_;
  std::string savedBase_;
  std::wstring savedB2b_;
};

TEST_F(HostWebServerTest, ServerPagesAreFetchedWithTheirQueryKeysInOrder) {
  login_info_s& li = App().LoginInfo();
  li.nUserIdx = 7;
  std::wcscpy(li.szUserId, L"kim");
  const intptr_t wnd =
      Notify(3, NOTIFY_KIND_EVENT_PAGE, 5, {2.0, 6.0, nullptr, L"acc-1", "corp", nullptr, 1, 2, 3});
  ASSERT_NE(wnd, 0);
  EXPECT_EQ(State().pageValues[2], 3);
  auto* page = reinterpret_cast<CWebPageWnd*>(wnd);
  EXPECT_TRUE(page->IsShown());
  if (page->GetWebView() == nullptr) GTEST_SKIP() << "no browser engine on this system";
  ASSERT_TRUE(WaitForPage("/event/event_list2"));
  const orv::test::RecordedRequest r = RequestsTo("/event/event_list2").front();
  std::vector<std::string> keys;
  for (size_t start = 0; start < r.query.size();) {
    size_t end = r.query.find('&', start);
    if (end == std::string::npos) end = r.query.size();
    const std::string pair = r.query.substr(start, end - start);
    keys.push_back(pair.substr(0, pair.find('=')));
    start = end + 1;
  }
  EXPECT_EQ(keys, (std::vector<std::string>{
                      "rsp", "all",     "trade_corp", "gdp",  "deployer", "macid",   "macid2", "ip",
                      "co",  "uidx",    "uid",        "agc",  "b2b",      "b2buidx", "b2buid", "tk",
                      "gcd", "acc_num", "chk4",       "chk5", "key",      "spw"}));
  EXPECT_EQ(r.Param("trade_corp"), "5");
  EXPECT_EQ(r.Param("b2b"), "corp");
  EXPECT_EQ(r.Param("gcd"), "acc-1");
  EXPECT_EQ(r.Param("uidx"), "7");
  page->ShowPage(false, false);

  // A module's page (3/16) goes to the join/member window with its title.
  const std::string joinUrl = peer_.Url("/member/myinfo?from=module");
  const intptr_t join =
      Notify(3, NOTIFY_KIND_PAGE, 0, {0, 0, L"회원 정보", Utf8ToWide(joinUrl).c_str()});
  ASSERT_EQ(join, reinterpret_cast<intptr_t>(Frame().UserServices().GetUserJoinWnd()));
  EXPECT_EQ(Frame().UserServices().GetUserJoinWnd()->GetTitle().ToStdWstring(), L"회원 정보");
  EXPECT_EQ(Frame().UserServices().GetUserJoinWnd()->GetWebUrl(), joinUrl);
  ASSERT_TRUE(WaitForPage("/member/myinfo"));
  EXPECT_EQ(RequestsTo("/member/myinfo").front().Param("from"), "module");
  peer_.ClearRequests();

  // The member page goes to the join/member window.
  wxWindow* member = Frame().UserServices().ShowMemberPage(true);
  ASSERT_NE(member, nullptr);
  ASSERT_TRUE(WaitForPage("/member/myinfo"));
  EXPECT_EQ(RequestsTo("/member/myinfo").front().Param("uid"), "kim");
  member->Hide();
  li.nUserIdx = 0;
  li.szUserId[0] = L'\0';
}

TEST_F(HostWebServerTest, HostWebLoginThroughAFailingTlsPeerNamesTheCause) {
  const orv::test::TestCa trusted("Host Login Test CA");
  const std::string caFile = testing::TempDir() + "/host_login_ca.pem";
  ASSERT_TRUE(trusted.WriteCertificate(caFile));
  const std::string previousCa = GfxGetHttpCaCertFile();
  GfxSetHttpCaCertFile(caFile.c_str());
  CHostUserServices services(App());
  app_run_setting_s& rs = App().RunSettings();
  for (const auto& c : orv::test::TlsFailureCases(trusted)) {
    SCOPED_TRACE(c.what);
    orv::test::HttpPeer tls(c.identity);
    ASSERT_TRUE(tls.Start());
    std::strcpy(rs.szWebApiBase, tls.BaseUrl().c_str());
    std::wstring message;
    EXPECT_EQ(services.WebLoginCheck(1, L"a@x.com", L"pw", 0, 2, &message), 3);
    EXPECT_NE(message.find(Utf8ToWide(c.cause)), std::wstring::npos) << WideToUtf8(message);
  }
  GfxSetHttpCaCertFile(previousCa.c_str());
}

TEST_F(HostWebServerTest, HostWebLoginKeepsTheSuffixListOfSuccessfulLogins) {
  CHostUserServices services(App());
  app_run_setting_s& rs = App().RunSettings();
  rs.szLoginSuffixes[0] = L'\0';
  std::wstring message;
  for (const wchar_t* id : {L"a@x.com", L"b@y.com", L"a@x.com"})
    EXPECT_EQ(services.WebLoginCheck(1, id, L"pw", 0, 2, &message), 1) << message;
  EXPECT_STREQ(rs.szLoginSuffixes, L"*@x.com;@y.com;");
  EXPECT_EQ(orv::win::GetProfileString("Settings", "LOGIN-ID-SUFFIXES"), "*@x.com;@y.com;");
  const login_info_s& li = App().LoginInfo();
  EXPECT_EQ(li.nUserIdx, 7);
  EXPECT_EQ(li.nAgencyIdx, 4);
  EXPECT_STREQ(li.szUserId, L"a@x.com");
  EXPECT_STREQ(li.szUserName, L"김");
  EXPECT_STREQ(li.szToken, "tok7");
  EXPECT_EQ(App().m_nLastLoginUserType, 2);

  // A refused login answers 3, keeps the list and reports the server's text.
  EXPECT_EQ(services.WebLoginCheck(1, L"c@z.com", L"bad", 0, 2, &message), 3);
  EXPECT_EQ(message, L"비밀번호가 다릅니다");
  EXPECT_EQ(li.nUserIdx, 0);
  EXPECT_STREQ(rs.szLoginSuffixes, L"*@x.com;@y.com;");

  const auto checks = RequestsTo("/member/login_check");
  ASSERT_EQ(checks.size(), 4u);
  EXPECT_EQ(checks[0].Header("User-Agent"), "VARQO-PC-AGENT-TOOL-by HTTP");
  std::vector<std::string> names;
  for (const auto& part : checks[0].parts) names.push_back(part.name);
  EXPECT_EQ(names,
            (std::vector<std::string>{"rsp", "kind", "uid", "upw", "agc", "utype", "co", "app",
                                      "inst", "chk1", "chk2", "chk3", "macid", "macid2", "ip"}));
  EXPECT_EQ(checks[0].Part("uid")->content, "a@x.com");
  EXPECT_EQ(checks[0].Part("rsp")->content, "json");
  rs.szLoginSuffixes[0] = L'\0';
  services.SetLoggedIn(false);
}

TEST_F(HostWebServerTest, WithoutAModuleCallbackTheLoginButtonRunsTheHostWebLogin) {
  CHostUserServices services(App());
  services.CreateLoginDialogs(&Frame());
  std::wstring loggedInAs;
  services.SetLoggedInHandler([&](const std::wstring& id) { loggedInAs = id; });
  App().RunSettings().szLoginSuffixes[0] = L'\0';
  services.ShowLoginDialog(L"로그인", L"", nullptr, 0, false, 0, 0, nullptr, nullptr, nullptr);
  CLoginDlg& dlg = *services.GetLoginDlg();
  EXPECT_EQ(dlg.GetStateMessage().rfind(L"공용PC 자동로그인 금지(IP:", 0), 0u);
  dlg.SetDlgItemText(CLoginDlg::IDC_ID, L"lee@y.com");
  dlg.SetDlgItemText(CLoginDlg::IDC_PWD, L"bad");
  EXPECT_EQ(dlg.Login(), 3);
  EXPECT_EQ(dlg.GetErrorText(), L"비밀번호가 다릅니다");
  EXPECT_TRUE(dlg.IsDialogShown());
  dlg.SetDlgItemText(CLoginDlg::IDC_PWD, L"pw");
  EXPECT_EQ(dlg.Login(), 1);
  EXPECT_FALSE(dlg.IsDialogShown());
  EXPECT_EQ(loggedInAs, L"lee@y.com");
  EXPECT_TRUE(services.IsLoggedIn());
  EXPECT_EQ(App().LoginInfo().byState & 1, 1);
  EXPECT_EQ(App().RunSettings().dwStateWord & 0x8, 0x8u);
  services.SetLoggedIn(false);
  EXPECT_FALSE(services.IsLoggedIn());
  EXPECT_EQ(App().RunSettings().dwStateWord & 0x8, 0u);
  App().RunSettings().szLoginSuffixes[0] = L'\0';
}

TEST(HostCallbacks, LoginDialogCallsTheModulesLoginCallback) {
  int moduleContext = 0;
  g_login = {};
  g_notify = {};
  g_loginAnswer = 1;
  app_run_setting_s& rs = App().RunSettings();
  rs.szLoginSuffixes[0] = L'\0';
  wchar_t joinPage[] = L"http://127.0.0.1:1/join";
  // The module's set-up (function 82), then the log-in request (79).
  Command(2, MAINFRAME_FN_SETUP_LOGIN,
          {0, 64, 3, L"로그인", L"params", L"시크릿 키", joinPage, nullptr, nullptr, 0x1000 | 0x80,
           &moduleContext, RecordingLogin, RecordingNotify});
  Command(2, MAINFRAME_FN_LOGIN, {0, 0, 3, L"로그인", L"가입된 계정으로 로그인 하세요."});
  CLoginDlg& dlg = *Frame().UserServices().GetLoginDlg();
  ASSERT_TRUE(dlg.IsDialogShown());
  EXPECT_TRUE(dlg.IsDlgItemShown(CLoginDlg::IDC_PWD2));
  EXPECT_EQ(dlg.GetDlgItemText(CLoginDlg::IDC_PWD2_LABEL), L"시크릿 키");
  EXPECT_TRUE(dlg.IsDlgItemShown(CLoginDlg::IDC_JOIN));
  EXPECT_TRUE(dlg.IsDlgButtonChecked(CLoginDlg::IDC_AUTO_LOGIN));
  EXPECT_EQ(dlg.GetJoinPage(), L"http://127.0.0.1:1/join");

  // Empty fields never reach the module.
  dlg.SetDlgItemText(CLoginDlg::IDC_ID, L"");
  dlg.SetDlgItemText(CLoginDlg::IDC_PWD, L"");
  EXPECT_EQ(dlg.Login(), -1);
  EXPECT_EQ(g_login.calls, 0);
  EXPECT_FALSE(dlg.GetErrorText().empty());

  // A refusal keeps the dialog open with the module's text.
  g_loginAnswer = 0;
  dlg.SetDlgItemText(CLoginDlg::IDC_ID, L"kim");
  dlg.SetDlgItemText(CLoginDlg::IDC_PWD, L"pw");
  dlg.SetDlgItemText(CLoginDlg::IDC_PWD2, L"secret");
  dlg.CheckDlgButton(CLoginDlg::IDC_SAVE_ID, true);
  EXPECT_TRUE(dlg.SendCommand(CLoginDlg::IDC_LOGIN));
  EXPECT_EQ(g_login.calls, 1);
  EXPECT_TRUE(dlg.IsDialogShown());
  EXPECT_EQ(dlg.GetErrorText(), L"broker refused (42)");
  EXPECT_EQ(g_notify.calls, 0);

  if (const char* shot = std::getenv("ORV_LOGIN_SHOT")) {
    StartedHost::Pump(500);
    std::system((std::string("import -window root ") + shot).c_str());
  }

  g_loginAnswer = 1;
  EXPECT_EQ(dlg.Login(), 1);
  EXPECT_EQ(g_login.calls, 2);
  EXPECT_EQ(g_login.ctx, &moduleContext);
  EXPECT_EQ(g_login.kind, 0);
  EXPECT_EQ(g_login.userId, L"kim");
  EXPECT_EQ(g_login.password, L"pw");
  EXPECT_EQ(g_login.secret, L"secret");
  EXPECT_EQ(g_login.params, L"params");
  EXPECT_TRUE(g_login.text5Null);
  EXPECT_EQ(g_login.agency, 3);
  EXPECT_EQ(g_login.type, 0);
  EXPECT_EQ(g_login.flags, 0x1000 | 0x80);
  EXPECT_EQ(g_login.num4, 0);
  EXPECT_EQ(g_login.saveId, 1);
  EXPECT_FALSE(dlg.IsDialogShown());
  EXPECT_EQ(g_notify.calls, 1);
  EXPECT_EQ(g_notify.state, LOGIN_STATE_LOGGED_IN);
  EXPECT_EQ(g_notify.text, L"kim");
  EXPECT_EQ(orv::win::GetProfileString("Settings", "LOGIN-SAVED-ID"), "kim");

  // With a suffix list the chosen suffix completes an id without "@"; auto-login unchecked
  // clears 0x80.
  std::wcscpy(rs.szLoginSuffixes, L"@a.com;*@b.com;");
  Command(2, MAINFRAME_FN_LOGIN, {0, 0, 3});
  EXPECT_TRUE(dlg.IsDlgItemShown(CLoginDlg::IDC_SUFFIX));
  EXPECT_EQ(dlg.GetDlgItemText(CLoginDlg::IDC_SUFFIX), L"@b.com");
  dlg.CheckDlgButton(CLoginDlg::IDC_AUTO_LOGIN, false);
  dlg.SetDlgItemText(CLoginDlg::IDC_PWD, L"pw");
  EXPECT_EQ(dlg.Login(), 1);
  EXPECT_EQ(g_login.userId, L"kim@b.com");
  EXPECT_EQ(g_login.flags, 0x1000);
  rs.szLoginSuffixes[0] = L'\0';
}

}  // namespace
