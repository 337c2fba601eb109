// The callbacks the main frame stores in the shared-window block (command, notify,
// module-created and the no-op), the waiting dialog's login-state callback, the frame's
// services behind them, and the frame timer's tick.
#include <wx/aui/aui.h>
#include <wx/dialog.h>
#include <wx/string.h>

#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>

#include "host/app/VarqoMainApp.h"
#include "host/catalogue/LanguageTexts.h"
#include "host/dialogs/LoginDlg.h"
#include "host/dialogs/SplashScreenEx.h"
#include "host/dialogs/WebPageWnd.h"
#include "host/frame/DockingPanes.h"
#include "host/frame/FrameCallbackState.h"
#include "host/frame/MainFrame.h"
#include "host/frame/MainRibbon.h"
#include "host/frame/MainStatusBar.h"
#include "host/modules/VarqoMainView.h"
#include "host/user/HostUserPages.h"
#include "host/user/WebLoginCheck.h"
#include "platform/support/PluginLoader.h"
#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "shared/AppRunSetting.h"
#include "shared/HostCommands.h"
#include "shared/LogMsgData.h"
#include "shared/LoginInfo.h"

namespace {

// Every bit set: the level of lines that plug-ins send as plain log text.
constexpr int kAllBitsLevel = -1;
// The characters the buffers of the path (3/2) and password (95) requests hold.
constexpr size_t kPathBufLen = RUN_PATH_LEN;
constexpr size_t kPasswordBufLen = 256;
// Run-settings flag word bit that lets modules send manager command 17.
constexpr uint32_t kFlagManagerCommands = 1u << 21;
// The login-state event mask of function 101.
constexpr uint32_t kReloginEvents = LOGIN_EVENT_RELOGIN;
constexpr const wchar_t* kStopQuestion = L"작업을 중지할까요?";
constexpr const wchar_t* kLoginOkText = L"로그인 성공";

CMainFrame* Frame(void* ctx) { return static_cast<CMainFrame*>(ctx); }

std::wstring WideOf(const char* utf8) { return wxString::FromUTF8(utf8).ToStdWstring(); }
std::wstring Or(const wchar_t* text) { return text ? text : L""; }

struct WaitRequest {
  std::wstring command;
  std::wstring args;
  std::wstring title;
  int titleHeight = 0;
  std::wstring info;
  int infoHeight = 0;
  bool wait = true;
  bool run = false;
  uint32_t eventMask = 0;
};

// Runs the waiting dialog; -1 at once while another one runs.
int RunWaitingDialog(CMainFrame& frame, FrameCallbackState& st, const WaitRequest& request) {
  if (st.waitBusy != 0) return -1;
  if (!st.waitDlg) {
    auto dlg = std::make_unique<CWaitingModalDlg>();
    if (!dlg->CreateDlg(&frame)) return -1;
    st.waitDlg = std::move(dlg);
  }
  st.waitBusy = 1;
  CWaitingModalDlg& dlg = *st.waitDlg;
  dlg.SetLoginStateCallback(&CMainFrame::OnLoginStateChanged, request.eventMask, &frame);
  dlg.SetTitleArea(request.title, request.titleHeight);
  if (request.run && !request.command.empty()) {
    dlg.SetProcessCommand(request.command, request.args, request.wait, request.info, kStopQuestion);
  } else {
    dlg.SetInfoArea(request.info, request.infoHeight);
  }
  const int result = dlg.RunDialog(&frame);
  st.waitBusy = 0;
  return result;
}

// The command callback's answer for a waiting-dialog request.
int WaitAnswer(int result) { return result == 0 ? 1 : 0; }

// Manager-window command 1/28; a popup with the texts when no manager answers.
void ManagerCommandOrPopup(CMainFrame& frame, FrameCallbackState& st, const wchar_t* title,
                           const wchar_t* body) {
  if (st.managerCommand(&frame, 1, 28, 1, 0, 0, 0) < 0) frame.ShowPopup(Or(title), Or(body));
}

// Opens or closes a docking pane.
void SetPaneOpen(CMainFrame& frame, int paneId, bool open) {
  if (frame.IsPaneOpen(paneId) == open) return;
  wxAuiPaneInfo& info = frame.GetPaneManager().GetPane(std::to_string(paneId));
  if (!info.IsOk()) return;
  info.Show(open);
  frame.GetPaneManager().Update();
}

// The n-th entry (from 0) of a ";"-separated list; none when the list has no such entry.
std::optional<std::wstring> ListEntry(const wchar_t* list, int index) {
  if (list == nullptr) return std::nullopt;
  const std::wstring text = list;
  size_t start = 0;
  for (int i = 0; i < index; ++i) {
    start = text.find(L';', start);
    if (start == std::wstring::npos) return std::nullopt;
    ++start;
  }
  if (start >= text.size()) return std::nullopt;
  const size_t end = text.find(L';', start);
  return text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}

// Side panes by mask: monitoring, properties, workspace, log, in that order.
void ShowSidePanes(CMainFrame& frame, int mask, const wchar_t* titles, const wchar_t* widths,
                   bool show) {
  const int runMask = frame.App().RunSettings().byPaneMask;
  for (int paneId : {PANE_ID_MONITORING, PANE_ID_PROPERTIES, PANE_ID_WORKSPACE, PANE_ID_LOG}) {
    const DockingPaneDef* def = FindPaneById(paneId);
    if ((mask & def->maskBit) == 0) continue;
    const bool open = show && (runMask & def->maskBit) != 0;
    SetPaneOpen(frame, paneId, open);
    if (!open) continue;
    if (auto title = ListEntry(titles, def->titleIndex); title && !title->empty())
      frame.SetPaneTitle(paneId, *title);
    if (auto width = ListEntry(widths, def->titleIndex)) {
      const int pixels = static_cast<int>(std::wcstol(width->c_str(), nullptr, 10));
      if (pixels >= 1) frame.SetPaneWidth(paneId, pixels);
    }
  }
}

// The modules' texts are drawn with the frame's next tick that paints (within a second),
// together with the clock.
void SetStatusPane(CMainFrame& frame, UINT id, const wchar_t* text) {
  if (CMainStatusBar* bar = frame.GetMainStatusBar()) bar->SetPaneTextHeld(id, Or(text));
}

// Status panes that show the module's text, and which status value (index) they keep.
struct StatusPaneRoute {
  int sub;
  UINT paneId;
  int valueIndex;  // -1: none
};
constexpr StatusPaneRoute kStatusPaneRoutes[] = {
    {STATUS_PANE_PROGRESS, ID_STATUS_PROGRESS, -1},
    {STATUS_PANE_COMM, ID_STATUS_COMM, 1},
    {STATUS_PANE_SCR, ID_STATUS_SCR, 2},
    {STATUS_PANE_VALID, ID_STATUS_VALID, 3},
    {STATUS_PANE_RUN_TIME, ID_STATUS_RUN_TIME, -1},
    {STATUS_PANE_MARKET, ID_STATUS_MARKET, -1},
};

// Notify class 3, code 3: the status panes. Answers the status.
int OnStatusNotify(CMainFrame& frame, FrameCallbackState& st, int sub, double val1,
                   const wchar_t* text1) {
  const int value = static_cast<int>(val1);
  for (const StatusPaneRoute& route : kStatusPaneRoutes) {
    if (route.sub != sub) continue;
    SetStatusPane(frame, route.paneId, text1);
    if (route.valueIndex >= 0) st.statusValues[route.valueIndex] = value;
    return 1;
  }
  switch (sub) {
    case STATUS_PANE_TITLE_USER:
      frame.SetTitle(
          orv::host::UserWindowTitle(WideOf(frame.App().WindowTitle().c_str()), value, text1));
      return 1;
    case STATUS_PANE_VALUE1:
      st.statusValues[0] = value;
      return 1;
    case STATUS_PANE_LOGIN:
      SetStatusPane(frame, ID_STATUS_LOGIN, text1);
      frame.ShowLoginButtonState(val1 == 1.0);
      if (val1 == 1.0) st.services.HideLoginDialog();
      st.loginState = value;
      return 1;
    case STATUS_PANE_SAVER:
      SetStatusPane(frame, ID_STATUS_SCR,
                    frame.App().RunSettings().bySaverOn ? L"SAVER ON" : L"SAVER OFF");
      return 1;
    default:
      return 0;
  }
}

// Notify 3/2: one host path into buf.
int CopyHostPath(CMainFrame& frame, int sub, wchar_t* buf) {
  const orv::host::AppFolders& folders = frame.App().Folders();
  std::string path;
  switch (sub) {
    case 1:
      path = folders.exePath;
      break;
    case 2:
      path = orv::host::WithSlash(folders.exeFolder);
      break;
    case 4:
      path = folders.catalogPath;
      break;
    case 5:
      path = orv::host::WithSlash(folders.settingsFolder);
      break;
    default:
      return 0;
  }
  if (buf) StrSafeCopyFromUTF8_W(buf, kPathBufLen, path.c_str());
  return 1;
}

// Notify 3/17 and 3/18: a page of the product's web server in the page window.
intptr_t OpenServerPage(CMainFrame& frame, FrameCallbackState& st, int sub, double val1,
                        double val2, const wchar_t* text2, const void* rec, int int1, int int2,
                        int int3) {
  if (st.pageWnd == nullptr) st.pageWnd = new CWebPageWnd(&frame, L"");
  const std::string url = orv::host::MakeServerPageUrl(
      frame.App().RunSettings(), frame.App().LoginInfo(), static_cast<int>(val2),
      static_cast<int>(val1), sub, static_cast<const char*>(rec), text2);
  if (url.empty()) return 0;
  const std::wstring agent = frame.App().RunSettings().szAgentName;
  if (!agent.empty()) st.pageWnd->SetAgentName(agent);
  st.pageWnd->SetWebUrl(url);
  st.pageValues[0] = int1;
  st.pageValues[1] = int2;
  st.pageValues[2] = int3;
  st.pageWnd->ShowPage(true, true);
  return reinterpret_cast<intptr_t>(st.pageWnd);
}

// Notify 3/19: the password-confirm window.
void ShowPasswordConfirm(CMainFrame& frame, FrameCallbackState& st, int sub, const wchar_t* text2) {
  if (sub == 0) {
    if (st.pwdConfirmDlg) st.pwdConfirmDlg->Hide();
    return;
  }
  if (!st.pwdConfirmDlg) {
    CVarqoMainApp& app = frame.App();
    auto dlg = std::make_unique<orv::ui::CPwdConfirmDlg>(&app.RunSettings(), &app.LoginInfo());
    if (!dlg->CreateDlg(&frame)) return;
    // The vault logs in to the web server on its own record and keeps its table encrypted in
    // the host's database.
    dlg->SetLoginCheck([&app](const std::wstring& id, const std::wstring& password,
                              login_info_s* record, std::wstring* message) {
      orv::host::WebLoginRequest request;
      request.userId = id;
      request.password = password;
      CURL* curl = curl_easy_init();
      const int userIdx =
          orv::host::GfxLoginIdAndPasswordCheck(curl, app.RunSettings(), *record, request, message);
      if (curl) curl_easy_cleanup(curl);
      return userIdx > 0 ? 0 : orv::ui::CPwdConfirmDlg::kErrLoginRefused;
    });
    // The data database when the program folder has one, else the catalogue.
    auto vaultDb = [&app] { return app.DataDb() ? app.DataDb() : app.CatalogueDb(); };
    dlg->SetDatabase(vaultDb());
    dlg->SetSaveCallback([vaultDb](int userIdx, const std::string& table, const SYSTEMTIME& stamp,
                                   std::string* crypted) {
      return orv::ui::SaveVaultTableToDb(vaultDb(), userIdx, table, stamp, crypted);
    });
    st.pwdConfirmDlg = std::move(dlg);
  }
  // Shown centred, with the id and password cleared, nothing decrypted and text2 as its
  // encrypted source. The vault is logged out too: an emptied table must not be saved over the
  // stored one, so the user logs in again and the stored table is loaded.
  orv::ui::CPwdConfirmDlg& vault = *st.pwdConfirmDlg;
  vault.LogOut();
  vault.SetLoginId(L"");
  vault.SetLoginPwd(L"");
  vault.ResetDecryptedText(false);
  SYSTEMTIME none{};
  vault.SetCryptedText(WideToUtf8(Or(text2)), none, true);
  vault.Show(nullptr, false);
  if (vault.GetWindow()) vault.GetWindow()->CentreOnScreen();
}

void ErrorBox(const wchar_t* text) {
  orv::win::MessageBox(WideToUtf8(Or(text)), "ERROR", MB_OK | MB_ICONERROR);
}

}  // namespace

FrameCallbackState& CMainFrame::CallbackState() {
  if (!callbackState_) {
    callbackState_ = std::make_unique<FrameCallbackState>(app_);
    CHostUserServices& services = callbackState_->services;
    services.SetLoginCallbackSource(
        [this](void** ctx, LoginCallback* login, LoginNotifyCallback* notify) {
          return mainView_ ? mainView_->GetCurrentLoginCallback(ctx, login, notify) : 0;
        });
    services.SetLoggedInHandler([this](const std::wstring&) {
      const login_info_s& li = app_.LoginInfo();
      SetStatusPane(*this, ID_STATUS_LOGIN, kLoginOkText);
      ShowLoginButtonState(true);
      callbackState_->loginState = 1;
      SetTitle(orv::host::UserWindowTitle(WideOf(app_.WindowTitle().c_str()), li.nUserIdx,
                                          li.szUserName[0] ? li.szUserName : li.szUserId));
    });
    services.SetSplashSource([this] { return splash_; });
    services.CreateLoginDialogs(this);
  }
  return *callbackState_;
}

CHostUserServices& CMainFrame::UserServices() { return CallbackState().services; }

void CMainFrame::OpenCredentialVault() { ShowPasswordConfirm(*this, CallbackState(), 1, L""); }

orv::ui::CPwdConfirmDlg* CMainFrame::CredentialVault() {
  return CallbackState().pwdConfirmDlg.get();
}

int CMainFrame::OpenLoginDialog(const wchar_t* stateText, const wchar_t* guide,
                                const wchar_t* pwd2Title, int agency, uint32_t flags, void* cbCtx,
                                LoginCallback login, LoginNotifyCallback notify) {
  return UserServices().ShowLoginDialog(stateText, guide, pwd2Title, 0, false, agency, flags, cbCtx,
                                        login, notify);
}

void CMainFrame::ShowLoginButtonState(bool loggedIn) {
  if (ribbon_) ribbon_->SetLoginState(loggedIn);
}

int CMainFrame::SendCommandToAllModules(unsigned code, WPARAM wParam) {
  return loader_ ? loader_->SendCmdMessageToAllModule(code, wParam, 0, nullptr) : 0;
}

intptr_t CMainFrame::OnPluginReserved(void*) { return 0; }

int CMainFrame::OnPluginCommand(void* ctx, int kind, int code, int num1, int num2, int num3,
                                const wchar_t* text1, const wchar_t* text2, const wchar_t* text3,
                                intptr_t, intptr_t, int* result, wchar_t* buf, void* packet,
                                void* ptr, uint32_t flags, void* cbCtx, LoginCallback login,
                                LoginNotifyCallback notify, intptr_t caller1, intptr_t caller2) {
  if (result != nullptr) *result = 0;
  CMainFrame* frame = Frame(ctx);
  if (frame == nullptr) return 0;
  FrameCallbackState& st = frame->CallbackState();
  st.lastCaller[0] = caller1;
  st.lastCaller[1] = caller2;
  if (kind != HOST_CMD_KIND_FUNCTION || code < MAINFRAME_FN_FIRST || code > MAINFRAME_FN_LAST)
    return 0;
  CVarqoMainApp& app = frame->App();
  const int language = orv::host::EffectiveLanguage(num3, frame->languageCode_);
  const int ptrValue = ptr ? *static_cast<const int*>(ptr) : 0;
  switch (code) {
    case MAINFRAME_FN_COUNTER_TEXT:
      // The frame keeps its own copy: the pane never points into the module's memory.
      st.counterText = Or(text1);
      SetStatusPane(*frame, ID_STATUS_COUNTER, st.counterText.c_str());
      return 0;
    case MAINFRAME_FN_WAIT_DIALOG: {
      WaitRequest r;
      r.title = Or(text1), r.titleHeight = 25, r.info = Or(text2), r.infoHeight = 18;
      return WaitAnswer(RunWaitingDialog(*frame, st, r));
    }
    case MAINFRAME_FN_LOGIN:
    case MAINFRAME_FN_LOGIN2:
      frame->OpenLoginDialog(text1, text2, text3, num3, flags, cbCtx, login, notify);
      return 0;
    case MAINFRAME_FN_HIDE_LOGIN:
      st.services.HideLoginDialog();
      return 0;
    case MAINFRAME_FN_LOGIN_STATE:
      st.services.UpdateLoginState(static_cast<int>(flags), num3, text2);
      return 0;
    case MAINFRAME_FN_SETUP_LOGIN:
      st.services.ConfigureLoginDialog(text2, text3, buf, num2, num3, flags, cbCtx, login, notify);
      return 0;
    case MAINFRAME_FN_LOGOUT:
      frame->Logout();
      return 0;
    case MAINFRAME_FN_RELOGIN:
    case MAINFRAME_FN_LOGGED_OUT:
      frame->SendCommandToAllModules(static_cast<unsigned>(code), 0);
      frame->OpenLoginDialog(text1, text2, text3, num3, flags, cbCtx, login, notify);
      return 0;
    case MAINFRAME_FN_UI_TEXT:
      if (buf)
        orv::host::GetUiText(app.CatalogueDb(), app.LoginInfo().nCompanyIdx, text1, text2, text3,
                             num3, frame->languageCode_, buf, HOST_UI_TEXT_BUF_LEN);
      return 0;
    case MAINFRAME_FN_CHILD_TITLES_PACKET:
      if (packet)
        orv::host::GfxZiroGetChildTitleByLang(app.CatalogueDb(), language,
                                              static_cast<ZiroResultPkt_s*>(packet));
      return 0;
    case MAINFRAME_FN_CHILD_TITLE:
      orv::host::UpdateMenuChildTitle(app.CatalogueDb(), text1, num3, text2, frame->languageCode_);
      return 0;
    case MAINFRAME_FN_MANAGER_17:
      if (app.RunSettings().dwFlagWord & kFlagManagerCommands)
        st.managerCommand(frame, 17, num2, num3 != 0 ? 16 : 17, 0, 0, 0);
      return 0;
    case MAINFRAME_FN_MANAGER_27:
    case MAINFRAME_FN_MANAGER_28: {
      const int command = code == MAINFRAME_FN_MANAGER_27 ? 27 : 28;
      st.managerCommand(frame, command, ptrValue, command, num2, ptrValue, num1);
      return 0;
    }
    case MAINFRAME_FN_PASSWORD: {
      if (buf) buf[0] = L'\0';
      std::wstring password;
      const int answer = st.services.AskPassword(num2 != 0, text1, &password);
      if (answer == 1 && buf) StrSafeCopyW(buf, kPasswordBufLen, password.c_str());
      if (result) *result = answer;
      return 1;
    }
    case MAINFRAME_FN_WAIT_DIALOG_LOGIN: {
      WaitRequest r;
      r.title = Or(text1), r.titleHeight = 25, r.info = Or(text2), r.infoHeight = 18;
      r.eventMask = kReloginEvents;
      return WaitAnswer(RunWaitingDialog(*frame, st, r));
    }
    case MAINFRAME_FN_WAIT_WEB_PAGE: {
      WaitRequest r;
      wchar_t line[1024];
      std::swprintf(line, 1024, L"\"%ls\" \"%ls\" /w:%d /h:%d /center", L"MiniWebBrowser.exe",
                    Or(text1).c_str(), num1, num2);
      r.info = Or(text2), r.infoHeight = 15;
      r.run = app.RunSettings().byBrowserOn != 0;
      r.command = line;
      return WaitAnswer(RunWaitingDialog(*frame, st, r));
    }
    case MAINFRAME_FN_WAIT_WND:
    case MAINFRAME_FN_WAIT_WND_NOWAIT: {
      WaitRequest r;
      r.title = Or(text1), r.titleHeight = 20, r.info = Or(text2), r.infoHeight = 15;
      r.wait = code == MAINFRAME_FN_WAIT_WND;
      return WaitAnswer(RunWaitingDialog(*frame, st, r));
    }
    case MAINFRAME_FN_WAIT_CONFIRM:
    case MAINFRAME_FN_WAIT_CONFIRM_MODE0:
      if (!st.waitConfirmDlg) {
        auto dlg = std::make_unique<CWaitConfirmDlg>();
        if (dlg->CreateDlg(frame)) st.waitConfirmDlg = std::move(dlg);
      }
      if (st.waitConfirmDlg)
        st.waitConfirmDlg->ShowWait(Or(text1), code == MAINFRAME_FN_WAIT_CONFIRM ? 1 : 0, num2,
                                    num3);
      return 0;
    case MAINFRAME_FN_HIDE_WAIT_CONFIRM:
      if (st.waitConfirmDlg) st.waitConfirmDlg->HideWait();
      return 0;
    default:
      // 88, 92, 94, 96 to 100, 107, and 110: the host has no user-select dialog.
      return 0;
  }
}

intptr_t CMainFrame::OnPluginNotify(void* ctx, int cls, int code, int sub, double val1, double val2,
                                    const wchar_t* text1, const wchar_t* text2, const void* rec,
                                    intptr_t, intptr_t, int* result, wchar_t* buf, int int1,
                                    int int2, int int3, intptr_t, intptr_t) {
  if (result != nullptr) *result = 0;
  CMainFrame* frame = Frame(ctx);
  if (frame == nullptr) return 0;
  FrameCallbackState& st = frame->CallbackState();
  int status = 0;
  intptr_t answer = 0;
  switch (cls) {
    case HOST_NOTIFY_CLASS_PANES:
      if (sub == PANES_SHOW || sub == PANES_HIDE)
        ShowSidePanes(*frame, static_cast<int>(val1), text1, text2, sub == PANES_SHOW);
      break;
    case HOST_NOTIFY_CLASS_ERROR:
      if (sub == 79)
        ErrorBox(text2 ? text2 : text1);
      else if (sub == 81 || (sub >= 83 && sub <= 86))
        ErrorBox(text1);
      break;
    case HOST_NOTIFY_CLASS_VIEW:
      switch (code) {
        case 1:
        case 5:
        case 9:
        case 11:
        case 13:
          break;
        case 2:
          status = CopyHostPath(*frame, sub, buf);
          break;
        case NOTIFY_KIND_STATUS:
          status = OnStatusNotify(*frame, st, sub, val1, text1);
          break;
        case NOTIFY_KIND_MANAGER:
          ManagerCommandOrPopup(*frame, st, text1, text2);
          break;
        case NOTIFY_KIND_RIBBON:
          if (sub == 41 || sub == 42) {
            if (frame->ribbon_) frame->ribbon_->MinimizeRibbon(sub == 42);
          } else {
            st.managerCommand(frame, 1, 28, 1, 0, 0, 0);
          }
          break;
        case NOTIFY_KIND_LOG:
          if (text2 != nullptr && rec != nullptr) {
            const auto* entry = static_cast<const log_msg_data_s*>(rec);
            const std::wstring line =
                text1 ? Or(text1) + L" (" + text2 + L")" : L" (" + std::wstring(text2) + L")";
            frame->WriteLog(sub, 0, line.c_str(), nullptr, entry->byFlags[0], entry->nStatus);
          }
          break;
        case NOTIFY_KIND_PAGE:
          answer = reinterpret_cast<intptr_t>(st.services.ShowWebPage(
              text1, text2 && text2[0] ? WideToUtf8(text2) : std::string(), true, true));
          break;
        case NOTIFY_KIND_ORDER_PAGE:
        case NOTIFY_KIND_EVENT_PAGE:
          answer = OpenServerPage(*frame, st, sub, val1, val2, text2, rec, int1, int2, int3);
          break;
        case NOTIFY_KIND_PASSWORD:
          ShowPasswordConfirm(*frame, st, sub, text2);
          break;
        case NOTIFY_KIND_SETTINGS:
          if (sub == 47) {
            st.services.ShowConfiguration(frame, &CMainFrame::OnConfigSaved, false);
            status = 1;
          } else if (sub == 107) {
            // The plug-in-column dialog is not part of this host.
            status = 1;
          }
          break;
        default:
          // 0, 4, 6, 7, 14, 15 and above 20.
          status = 1;
          if (sub == 17 || sub == 18 || sub == 19) break;
          if (sub == 22) {
            frame->ShowPopup(Or(text1), Or(text2));
            frame->WriteLog(kAllBitsLevel, 0, text1, nullptr, 0, 0);
          } else {
            ManagerCommandOrPopup(*frame, st, text1, text2);
          }
          break;
      }
      break;
    case HOST_NOTIFY_CLASS_LOG:
      frame->WriteLog(kAllBitsLevel, 0, text2, nullptr, 0, 0);
      if (sub == 22) frame->ShowPopup(Or(text1), Or(text2));
      break;
    default:
      break;
  }
  if (result != nullptr) *result = status;
  return answer;
}

intptr_t CMainFrame::OnLoginStateChanged(void* ctx, unsigned event, intptr_t value,
                                         intptr_t extra) {
  CMainFrame* frame = Frame(ctx);
  if (frame == nullptr) return 0;
  switch (event) {
    case LOGIN_EVENT_LOGGED_OUT:
    case LOGIN_EVENT_RELOGIN: {
      frame->ShowLoginButtonState(false);
      const int sent =
          frame->SendCommandToAllModules(HOST_CMD_LOGGED_OUT, static_cast<WPARAM>(value));
      if (event == LOGIN_EVENT_RELOGIN) {
        frame->UserServices().ShowLoginDialog(L"", L"", L"", 0, false, 0, 0, nullptr, nullptr,
                                              nullptr);
      }
      return sent;
    }
    case 3:
      if (value == LOGIN_STATE_WAITING && extra == 0)
        return frame->SendCommandToAllModules(HOST_CMD_LOGIN_STATE, LOGIN_STATE_WAITING);
      return 0;
    case 2:
      if (value == LOGIN_STATE_LOGGED_IN && extra == 0) {
        frame->ShowLoginButtonState(true);
        return frame->SendCommandToAllModules(HOST_CMD_LOGIN_STATE, LOGIN_STATE_LOGGED_IN);
      }
      return 0;
    default:
      return 0;
  }
}

void CMainFrame::OnConfigSaved(void* ctx, int event) {
  CMainFrame* frame = Frame(ctx);
  if (frame == nullptr || event != CConfigDlg::kEventSaved) return;
  const int theme = static_cast<int>(frame->App().RunSettings().dwRibbonStyle);
  if (theme != frame->GetThemeId()) frame->ApplyTheme(theme);
  frame->ApplyAllPaneVisibility();
}

int CMainFrame::Logout() {
  CHostUserServices& services = UserServices();
  wchar_t* question = services.TextByLanguage(
      L"logout.confirm",
      languageCode_ == orv::host::kLangEnglish ? L"Do you want to logout?" : L"로그아웃 할까요?",
      languageCode_);
  const std::string text =
      WideToUtf8(question                                   ? question
                 : languageCode_ == orv::host::kLangEnglish ? L"Do you want to logout?"
                                                            : L"로그아웃 할까요?");
  std::free(question);
  if (orv::win::MessageBox(text, "QUESTION", MB_YESNO | MB_ICONQUESTION) != IDYES) return 0;
  services.SetLoggedIn(false);
  login_info_s& li = app_.LoginInfo();
  CallbackState().managerCommand(this, 19, li.nUserIdx, 19, 0, 0, 0);
  const int32_t company = li.nCompanyIdx;
  li = login_info_s{};
  li.nCompanyIdx = company;
  SetTitle(wxString(app_.RunSettings().szAppName) + " - Not Logined");
  SendCommandToAllModules(HOST_CMD_LOGGED_OUT, 0);
  ShowLoginButtonState(false);
  CallbackState().loginState = 0;
  return 1;
}

int CMainFrame::OnPluginModuleCreated(void* ctx, intptr_t, uint32_t moduleNo, uint32_t moduleCount,
                                      wxWindow*, int, int, const char* detail, wchar_t*,
                                      uint32_t elapsedMs, int errorCode) {
  CMainFrame* frame = Frame(ctx);
  if (frame == nullptr || frame->GetSplash() == nullptr) return 0;
  char line[512];
  const bool hasDetail = detail != nullptr && detail[0] != '\0';
  if (errorCode != 0) {
    if (hasDetail) {
      std::snprintf(line, sizeof line, " > Module %u/%u(Err:%d/%s)\r\n", moduleNo, moduleCount,
                    errorCode, detail);
    } else {
      std::snprintf(line, sizeof line, " > Module %u/%u(Err:%d)\r\n", moduleNo, moduleCount,
                    errorCode);
    }
  } else if (elapsedMs >= 1000) {
    const double seconds = elapsedMs / 1000.0;
    if (hasDetail) {
      std::snprintf(line, sizeof line, " > Module %u/%u(%.1fs):%s\r\n", moduleNo, moduleCount,
                    seconds, detail);
    } else {
      std::snprintf(line, sizeof line, " > Module %u/%u Loaded(%.1fs)\r\n", moduleNo, moduleCount,
                    seconds);
    }
  } else if (hasDetail) {
    std::snprintf(line, sizeof line, " > Module %u/%u(%ums):%s\r\n", moduleNo, moduleCount,
                  elapsedMs, detail);
  } else {
    std::snprintf(line, sizeof line, " > Module %u/%u Loaded(%ums)\r\n", moduleNo, moduleCount,
                  elapsedMs);
  }
  frame->GetSplash()->AddText(WideOf(line));
  return 0;
}

void CMainFrame::OnFrameTimer() {
  // While the tray icon is missing, creating it is tried again every five seconds (asking the
  // display for a tray is a round trip to the X server).
  constexpr unsigned kTrayRetryTicks = 5000 / kFrameTimerMs;
  if (HasTrayIcon() || ++trayRetryTicks_ < kTrayRetryTicks) return;
  trayRetryTicks_ = 0;
  CreateTrayIcon();
}
