// The main frame's 200 ms timer, its own commands (ribbon, backstage, caption bar), the
// close and the exit action.
#include <wx/aui/aui.h>
#include <wx/display.h>
#include <wx/ribbon/art.h>
#include <wx/ribbon/bar.h>
#include <wx/wx.h>

#include <cstdio>
#include <ctime>
#include <set>

#include "host/app/VarqoMainApp.h"
#include "host/catalogue/LanguageTexts.h"
#include "host/dialogs/AboutDlg.h"
#include "host/frame/CaptionBar.h"
#include "host/frame/CommandIds.h"
#include "host/frame/DockingPanes.h"
#include "host/frame/FrameCallbackState.h"
#include "host/frame/FrameCommandState.h"
#include "host/frame/LayoutFiles.h"
#include "host/frame/MainFrame.h"
#include "host/frame/MainRibbon.h"
#include "host/frame/MainStatusBar.h"
#include "host/modules/VarqoMainView.h"
#include "host/user/HostUserServices.h"
#include "platform/support/PluginLoader.h"
#include "platform/support/TextConv.h"
#include "platform/ui/DbViewBase.h"
#include "platform/ui/IdleWalk.h"
#include "platform/win/Clock.h"
#include "platform/win/KeepAwake.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "shared/HostCommands.h"
#include "shared/Messages.h"

namespace {

constexpr uint32_t kSingleInstanceFlag = 0x20;
constexpr uint32_t kFlagLoginToManager = 0x80000;
constexpr uint32_t kFlagMyInfoToManager = 0x200000;
constexpr uint32_t kFlagSettingsToManager = 0x800000;
constexpr int kSaverTestIdleMs = 10000;
constexpr int kAdminLevel = 80;
constexpr int kCloseFirstPauseMs = 100;
constexpr int kCloseSecondPauseMs = 200;
constexpr int kExitWaitMs = 200;

// The switches that are one byte of the run settings.
struct ByteSwitch {
  int id;
  uint8_t app_run_setting_s::*field;
};
constexpr ByteSwitch kByteSwitches[] = {
    {kSwConsole, &app_run_setting_s::byConsoleOn},
    {kSwMinMenu, &app_run_setting_s::byMinMenuOnStart},
    {kSwHideOnExit, &app_run_setting_s::byHideOnExit},
    {kSwHideOnStart, &app_run_setting_s::byHideOnStart},
    // The desktop's task bar belongs to the desktop here; the switch is only kept.
    {kSwHideTaskBar, &app_run_setting_s::byHideTaskBar},
    {kSwCustomSaver, &app_run_setting_s::byCustomSaverOn},
    {kSwNoSleep, &app_run_setting_s::byHibernateOff},
};

uint8_t* FindByteSwitch(app_run_setting_s& rs, int id) {
  for (const ByteSwitch& sw : kByteSwitches) {
    if (sw.id == id) return &(rs.*sw.field);
  }
  return nullptr;
}

std::string Narrow(const std::wstring& text) { return WideToUtf8(text); }

// The switches that carry no settings-changed mark.
bool MarksSettingsChanged(int id) {
  return id != 227 && id != 234 && id != 269 && id != kSwAutoStart && id != kSwSaverTest;
}

bool IsStockProject(int projectCode) { return projectCode >= 1 && projectCode <= 14; }

// The console banner, with the local date and time.
std::string ConsoleBanner() {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900,
                t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  return std::string("ORVELLA(R)용 DOS 콘솔이 열렸습니다.\n표출 시간: ") + stamp +
         "\n--------------\n*주의* : DOS창을 강제로 닫으면, ORVELLA(R) 프로그램도 함께 "
         "*종료*됩니다.\n(DOS창을 닫을 때는, 메뉴의 체크박스 버튼을 활용해 주세요)\n"
         "--------------\n주: printf() 함수를 사용하시면, DOS 창에 메시지가 출력됩니다.\n"
         "--------------\n\n";
}

}  // namespace

FrameCommandState& CMainFrame::CommandState() {
  if (!commandState_) commandState_ = std::make_unique<FrameCommandState>();
  return *commandState_;
}

CCaptionBar* CMainFrame::GetCaptionBar() const {
  return commandState_ ? commandState_->captionBar : nullptr;
}

void CMainFrame::SetCursorSource(std::function<POINT()> source) {
  // Null restores the pointer's real position.
  if (!source) {
    source = [] {
      const wxPoint p = wxGetMousePosition();
      return POINT{p.x, p.y};
    };
  }
  CommandState().cursorSource = std::move(source);
}

void CMainFrame::SetScreenSaverStarter(std::function<bool(CMainFrame&)> starter) {
  // Null restores the frame's own saver window.
  if (!starter) {
    starter = [](CMainFrame& frame) { return frame.StartOwnSaver(); };
  }
  CommandState().saverStarter = std::move(starter);
}

void CMainFrame::BindFrameCommands() {
  FrameCommandState& state = CommandState();
  state.appliedLanguage = languageCode_;
  if (!state.cursorSource) SetCursorSource(nullptr);
  if (!state.saverStarter) SetScreenSaverStarter(nullptr);
  Bind(wxEVT_CLOSE_WINDOW, &CMainFrame::OnCloseWindow, this);
  Bind(wxEVT_SIZE, &CMainFrame::OnFrameSize, this);
  // Ids outside the ranges below (the switch range also holds exit, hide, show, settings,
  // the language combo and the saver combo).
  static const int kSingle[] = {
      kCmdAppExit,    kCmdLogin,     kCmdLogout,      kCmdLoginButton,   kCmdSaveAll,
      kCmdStartWatch, kCmdStopWatch, kCmdProfitRates, kCmdMyInfo,        kCmdReloadLayout, kCmdAccounts,
      kCmdAdminMode,  kCmdUserMode,  kCmdAbout,       kCmdHelp1,         kCmdHelp2,
      kCmdHelp3,      kCmdLeftHalf,  kCmdRightHalf,   kCmdShutdownCombo, kCmdCaptionLanguage,
      kCmdPluginAdd};
  for (int id : kSingle) {
    Bind(wxEVT_MENU, &CMainFrame::OnFrameCommand, this, id);
    Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateFrameCommand, this, id);
  }
  static const std::pair<int, int> kRanges[] = {{kCmdFirstSwitch, kCmdLastSwitch},
                                                {kCmdAbout1, kCmdAbout1},
                                                {kCmdAbout2, kCmdAbout2},
                                                {kCmdRibbonExpand, kCmdRibbonMinimise},
                                                {kCmdFirstPaneToggle, kCmdLastPaneToggle},
                                                {kCmdFirstTheme, kCmdLastTheme},
                                                {kCmdFirstShowPane, kCmdLastShowPane}};
  for (const auto& [first, last] : kRanges) {
    Bind(wxEVT_MENU, &CMainFrame::OnFrameCommand, this, first, last);
    Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateFrameCommand, this, first, last);
  }
}

void CMainFrame::CreateCaptionBar() {
  FrameCommandState& state = CommandState();
  if (state.captionBar != nullptr) return;
  auto* bar = new CCaptionBar(this, this);
  // The frame's own colours for the clock field.
  bar->SetClockColours(0x342824, 0xF0E6DC);
  bar->SetLanguage(languageCode_);
  state.captionBar = bar;
  const orv::host::CaptionMetrics& m = bar->GetMetrics();
  paneManager_->AddPane(bar, wxAuiPaneInfo()
                                 .Name("CaptionBar")
                                 .Top()
                                 .Layer(20)
                                 .CaptionVisible(false)
                                 .PaneBorder(false)
                                 .Floatable(false)
                                 .Movable(false)
                                 .Gripper(false)
                                 .CloseButton(false)
                                 .DockFixed()
                                 .Resizable(false)
                                 .MinSize(wxSize(-1, m.height))
                                 .BestSize(wxSize(GetClientSize().x, m.height)));
  Bind(wxEVT_DPI_CHANGED, [this](wxDPIChangedEvent& event) {
    if (CCaptionBar* caption = GetCaptionBar()) {
      caption->UpdateLayout();
      paneManager_->GetPane("CaptionBar").MinSize(wxSize(-1, caption->GetMetrics().height));
      paneManager_->Update();
    }
    event.Skip();
  });
}

// ---------------------------------------------------------------------------------------------
// Timer

void CMainFrame::OnFrameTimerTick() {
  FrameCommandState& state = CommandState();
  const app_run_setting_s& rs = app_.RunSettings();
  orv::win::Clock& clock = orv::win::CurrentClock();
  const SYSTEMTIME local = clock.Now();
  // Retries the tray icon while it is missing.
  const bool hadTray = HasTrayIcon();
  OnFrameTimer();
  // The log pane reloads on this tick when lines were announced since the last one.
  const bool logReload = logView_ != nullptr && logView_->IsRedrawNeeded();
  if (logView_ != nullptr) logView_->OnRedrawTimer();
  const DWORD now = clock.NowTick();
  // The pointer is asked once a second; the ticks between reuse its last position.
  POINT cursor{};
  if (state.cursorSource) {
    cursor = state.timer.CursorAskDue(now) ? state.cursorSource() : state.timer.LastCursor();
  }
  orv::host::FrameTimerSwitches switches;
  switches.noSleep = rs.byHibernateOff != 0;
  switches.saverOn = rs.bySaverOn != 0;
  switches.saverIdleMs = rs.dwSaverIdleMs;
  switches.customSaverOn = rs.byCustomSaverOn != 0;
  switches.dollarRate = rs.dCurrencyRate;
  switches.euroRate = rs.dCurrencyRate2;
  const orv::host::FrameTimerActions actions = state.timer.Tick(now, local, cursor, switches);
  if (statusBar_ != nullptr && !actions.clockText.empty()) {
    statusBar_->SetPaneText(ID_STATUS_CLOCK, actions.clockText);
  }
  // The caption's clock turns with the pane's, in the same paint.
  if (!actions.clockText.empty()) {
    if (CCaptionBar* caption = GetCaptionBar()) caption->UpdateClock();
  }
  if (actions.keepAwake) orv::win::RequestKeepAwake(orv::host::kKeepAwakeFlags);
  if (actions.showSaver) ShowScreenSaver();
  if (statusBar_ != nullptr) {
    if (!actions.scrText.empty() && statusBar_->CommandToIndex(ID_STATUS_SCR) >= 0) {
      statusBar_->SetPaneText(ID_STATUS_SCR, actions.scrText);
    }
    if (!actions.dollarText.empty()) statusBar_->SetPaneText(ID_STATUS_USD, actions.dollarText);
    if (!actions.euroText.empty()) statusBar_->SetPaneText(ID_STATUS_EURO, actions.euroText);
    // The modules' texts are drawn with the next tick that paints anyway: the clock's turn
    // (once a second) or the log's new lines.
    if (!actions.clockText.empty() || logReload) statusBar_->DrawHeldPanes();
  }
  KeepFrameTimerInStep(clock.Now());
  // The windows' idle pass follows a tick only when a window came or went; new pane texts are
  // only drawn, and the log list lays its new lines out as it loads them.
  if (hadTray != HasTrayIcon() || actions.showSaver) {
    orv::ui::ProgramIdleGate().Changed();
  }
}

void CMainFrame::KeepFrameTimerInStep(const SYSTEMTIME& local) {
  // The ticks fall just after each fifth of a second of the local clock, so that the clock
  // turns as the second does, not up to a tick later. A periodic timer drifts later by the time
  // each tick takes to be dispatched: the next tick is set from the clock every time.
  // The timer is set again only when the tick is out of step by more than a few milliseconds,
  // and back to its period on the tick after.
  if (!frameTimer_.IsRunning()) return;
  constexpr int kAfterTurnMs = 2;
  constexpr int kLateMs = 8;
  const int phase = local.wMilliseconds % kFrameTimerMs;
  if (phase >= kAfterTurnMs && phase <= kAfterTurnMs + kLateMs) {
    if (frameTimer_.GetInterval() != kFrameTimerMs) frameTimer_.Start(kFrameTimerMs);
    return;
  }
  frameTimer_.Start((kFrameTimerMs - phase + kAfterTurnMs) % kFrameTimerMs + 1);
}

void CMainFrame::ShowScreenSaver() {
  FrameCommandState& state = CommandState();
  if (state.saverStarter) state.saverStarter(*this);
}

void CMainFrame::OnScreenSaverEnded() { CommandState().timer.ResetIdle(orv::win::GetTickCount()); }

// ---------------------------------------------------------------------------------------------
// Commands

void CMainFrame::RunCommand(int id, int value, long data) {
  wxCommandEvent event(wxEVT_MENU, id);
  event.SetInt(value);
  event.SetExtraLong(data);
  event.SetEventObject(this);
  GetEventHandler()->ProcessEvent(event);
}

void CMainFrame::OnFrameCommand(wxCommandEvent& event) {
  const int id = event.GetId();
  app_run_setting_s& rs = app_.RunSettings();
  FrameCommandState& state = CommandState();
  switch (id) {
    case kCmdExit:
    case kCmdAppExit:
      if (ExitApplication(kExitWaitMs, true) == 1) Close(true);
      return;
    case kCmdHide:
      Hide();
      if (commandState_) state.windowShown = 0;
      return;
    case kCmdShow:
      ShowMainWindow();
      state.windowShown = 1;
      return;
    case kCmdLogin:
    case kCmdLogout:
    case kCmdLoginButton:
      RunLoginCommand();
      return;
    case kCmdSaveAll:
      SaveAll();
      return;
    case kCmdStartWatch:
      RunWatchCommand(true);
      return;
    case kCmdStopWatch:
      RunWatchCommand(false);
      return;
    case kCmdProfitRates:
      SendCommandToAllModules(HOST_CMD_PROFIT_RATES, 0);
      return;
    case kCmdSettings:
    case kCmdSettings2: {
      const int user = app_.LoginInfo().nUserIdx;
      if ((rs.dwFlagWord & kFlagSettingsToManager) == 0) {
        UserServices().ShowConfiguration(this, &CMainFrame::OnConfigSaved, true);
      } else {
        CallbackState().managerCommand(this, 42, user, 42, 0, user, 0);
      }
      return;
    }
    case kCmdMyInfo:
      if ((rs.dwFlagWord & kFlagMyInfoToManager) == 0) {
        UserServices().ShowMemberPage(true);
      } else {
        CallbackState().managerCommand(this, 16, app_.LoginInfo().nUserIdx, 16, 0, 0, 0);
      }
      return;
    case kCmdAccounts:
      // "계정 관리": the user's credential vault.
      OpenCredentialVault();
      return;
    case kCmdHelp1:
    case kCmdHelp2:
    case kCmdHelp3:
      UserServices().OpenHelp("", "", "");
      return;
    case kCmdReloadLayout:
      if (ReloadLayout()) {
        orv::win::MessageBox("성공했습니다.", "INFORMATION", MB_OK | MB_ICONINFORMATION);
      } else {
        orv::win::MessageBox("실패했습니다.", "ERROR", MB_OK | MB_ICONERROR);
      }
      return;
    case kCmdAdminMode:
      orv::win::MessageBox(
          "관리자(Administrator) 모드로 실행되었습니다.\n이 프로그램은 안전하게 보호되고 있습니다.",
          "INFORMATION", MB_OK | MB_ICONINFORMATION);
      return;
    case kCmdUserMode:
      orv::win::MessageBox(
          "사용자 모드로 실행되었습니다.\n이 프로그램은 안전하게 보호되고 있습니다.", "INFORMATION",
          MB_OK | MB_ICONINFORMATION);
      return;
    case kCmdRibbonExpand:
    case kCmdRibbonMinimise:
      if (ribbon_ != nullptr) ribbon_->MinimizeRibbon(id == kCmdRibbonMinimise);
      return;
    case kCmdSaverCombo:
      rs.dwSaverIdleMs = static_cast<uint32_t>(event.GetExtraLong());
      rs.bySaverOn = rs.dwSaverIdleMs != 0 ? 1 : 0;
      rs.dwChangedFlags |= SETTINGS_CHANGED_FLAG;
      app_.SaveSettings(themeId_, false);
      return;
    case kCmdAbout1:
      ShowAboutBox(1);
      return;
    case kCmdAbout2:
      ShowAboutBox(2);
      return;
    case kCmdAbout:
      ShowAboutBox(2);
      return;
    case kCmdLeftHalf:
    case kCmdRightHalf: {
      const int display = wxDisplay::GetFromWindow(this);
      const wxRect screen =
          wxDisplay(display == wxNOT_FOUND ? 0u : static_cast<unsigned>(display)).GetGeometry();
      if (IsMaximized()) Maximize(false);
      const int half = screen.width / 2;
      if (id == kCmdLeftHalf) {
        SetSize(screen.x, screen.y, half, screen.height);
      } else {
        SetSize(screen.x + half, screen.y, screen.width - half, screen.height);
      }
      return;
    }
    case kCmdLanguageCombo:
      OnLanguageChanged(static_cast<int>(event.GetExtraLong()));
      return;
    case kCmdShutdownCombo:
      app_.m_nShutdownPcOn = static_cast<int>(event.GetExtraLong());
      orv::win::WriteProfileInt(kSettingsSection, "APP-ShutdownPC-On", app_.m_nShutdownPcOn);
      app_.SaveSettings(themeId_, false);
      if (app_.m_nShutdownPcOn >= 1) {
        orv::win::MessageBox(
            "선택한 시간에 자동으로 컴퓨터를 끄도록 설정되었습니다.\n(주의사항)\n1. 일부 PC에서는 "
            "동작하지 않을 수 있습니다.\n2. 자동 OFF가 미동작시, 수동으로 꺼 주세요.\n3. 컴퓨터가 "
            "자동 종료됨으로 인해 생기는 문제에 대해서는 개발자는 책임지지 않습니다.",
            "NOTIFICATION", MB_OK | MB_ICONWARNING);
      }
      return;
    case kCmdCaptionLanguage:
      OnCaptionLanguage(event.GetInt());
      return;
    default:
      break;
  }
  if (id >= kCmdFirstTheme && id <= kCmdLastTheme) {
    ApplyTheme(id);
  } else if (id >= kCmdFirstPaneToggle && id <= kCmdLastPaneToggle) {
    TogglePane(id);
  } else if (id >= kCmdFirstShowPane && id <= kCmdLastShowPane) {
    const DockingPaneDef* def = FindPaneById(id);
    if (def != nullptr) {
      paneManager_->GetPane(std::to_string(id)).Show(true);
      paneManager_->Update();
    }
  } else if (id < kCmdFirstSwitch || id > kCmdLastSwitch || !ToggleSwitch(id)) {
    // Not the frame's own: whoever else serves the id hears it.
    event.Skip();
  }
}

bool CMainFrame::ToggleSwitch(int id) {
  app_run_setting_s& rs = app_.RunSettings();
  if (uint8_t* value = FindByteSwitch(rs, id)) *value = *value != 0 ? 0 : 1;
  switch (id) {
    case kSwConsole:
      // This program's standard output is the terminal it was started from; the banner goes
      // there once when the console is switched on.
      if (rs.byConsoleOn != 0 && !CommandState().consoleOpen) {
        CommandState().consoleOpen = true;
        std::fputs(ConsoleBanner().c_str(), stdout);
        std::fflush(stdout);
      } else if (rs.byConsoleOn == 0) {
        CommandState().consoleOpen = false;
      }
      break;
    case kSwSingleInstance:
      rs.dwAppFlags ^= kSingleInstanceFlag;
      break;
    case kSwAutoStart:
      app_.SetAutoStartOnBoot(app_.m_nAutoStartOnBoot != 0 ? 0 : 1);
      break;
    case kSwSaverTest:
      OnScreenSaverEnded();
      ShowScreenSaver();
      break;
    case 227:
    case 234:
    case 236:
    case 257:
    case 269: {
      bool& value = CommandState().otherSwitches[id];
      value = !value;
      break;
    }
    default:
      if (FindByteSwitch(rs, id) == nullptr) return false;
  }
  if (MarksSettingsChanged(id)) rs.dwChangedFlags |= SETTINGS_CHANGED_FLAG;
  return true;
}

bool CMainFrame::GetCommandState(int id, bool* enabled, bool* checked) {
  const app_run_setting_s& rs = app_.RunSettings();
  bool on = true;
  bool check = false;
  bool known = true;
  if (const uint8_t* value = FindByteSwitch(app_.RunSettings(), id)) {
    if (enabled != nullptr) *enabled = true;
    if (checked != nullptr) *checked = *value != 0;
    return true;
  }
  switch (id) {
    case kSwSingleInstance:
      check = (rs.dwAppFlags & kSingleInstanceFlag) != 0;
      break;
    case kSwAutoStart:
      check = app_.m_nAutoStartOnBoot != 0;
      break;
    case 227:
    case 234:
    case 236:
    case 257:
    case 269: {
      const auto& others = CommandState().otherSwitches;
      const auto it = others.find(id);
      check = it != others.end() && it->second;
      break;
    }
    case kCmdPluginAdd:
      on = app_.LoginInfo().nUserIdx > 0 && app_.LoginInfo().byUserLevel >= kAdminLevel;
      break;
    default:
      if (id >= kCmdFirstPaneToggle && id <= kCmdLastPaneToggle) {
        const DockingPaneDef* def = FindPaneByWndId(id);
        check = def != nullptr && IsPaneOpen(def->paneId);
      } else if (id >= kCmdFirstTheme && id <= kCmdLastTheme) {
        check = id == themeId_;
      } else {
        known = (id >= kCmdFirstSwitch && id <= kCmdLastSwitch) || id == kCmdExit ||
                id == kCmdAppExit || id == kCmdHide || id == kCmdShow || id == kCmdLogin ||
                id == kCmdLogout || id == kCmdLoginButton || id == kCmdSaveAll || id == kCmdAbout ||
                id == kCmdAbout1 || id == kCmdAbout2;
      }
  }
  if (enabled != nullptr) *enabled = on;
  if (checked != nullptr) *checked = check;
  return known;
}

void CMainFrame::OnUpdateFrameCommand(wxUpdateUIEvent& event) {
  bool enabled = true;
  bool checked = false;
  if (!GetCommandState(event.GetId(), &enabled, &checked)) {
    event.Skip();
    return;
  }
  event.Enable(enabled);
  if (event.IsCheckable()) event.Check(checked);
}

void CMainFrame::ApplyTheme(int commandId) {
  if (commandId < kCmdFirstTheme || commandId > kCmdLastTheme) return;
  // The nearest toolkit looks: the Office 2007 family and Windows 7 get the ribbon's MSW art,
  // Office 2010 and 2013 the flat AUI art, the plain theme (1249) the default art.
  if (ribbon_ != nullptr && ribbon_->GetRibbonBar() != nullptr && commandId != kCmdLastTheme) {
    wxRibbonBar* bar = ribbon_->GetRibbonBar();
    wxRibbonArtProvider* art = nullptr;
    if (commandId == 1249) {
      art = new wxRibbonDefaultArtProvider();
    } else if (commandId <= 1248 || commandId == 1258) {
      art = new wxRibbonMSWArtProvider();
    } else {
      art = new wxRibbonAUIArtProvider();
    }
    if (commandId == 1247 || commandId == 1252) {
      art->SetColourScheme(wxColour(0x44, 0x48, 0x50), wxColour(0xD0, 0x9A, 0x3C),
                           wxColour(0xF0, 0xF0, 0xF0));
    } else if (commandId == 1246 || commandId == 1251) {
      art->SetColourScheme(wxColour(0xD6, 0xDB, 0xE3), wxColour(0xE8, 0xB4, 0x4C),
                           wxColour(0x30, 0x30, 0x30));
    } else if (commandId == 1248) {
      art->SetColourScheme(wxColour(0xC6, 0xE6, 0xF0), wxColour(0x4C, 0xB4, 0xE8),
                           wxColour(0x20, 0x20, 0x20));
    }
    bar->SetArtProvider(art);
  }
  if (ribbon_ != nullptr) ribbon_->SetThemeId(commandId > 1258 ? themeId_ : commandId);
  themeId_ = commandId;
  app_.RunSettings().dwRibbonStyle = static_cast<uint32_t>(commandId);
  if (ribbon_ != nullptr && ribbon_->GetRibbonBar() != nullptr) ribbon_->GetRibbonBar()->Realize();
  paneManager_->Update();
  Layout();
  Refresh();
}

void CMainFrame::RunWatchCommand(bool start) {
  const bool stock = IsStockProject(app_.RunSettings().nProjectIdx);
  const char* question =
      start ? (stock ? "▶종목 감시를 시작(START)할까요?" : "▶모듈 감시를 시작(START)할까요?")
            : (stock ? "■종목 감시를 중지(STOP)할까요?" : "■모듈 감시를 중지(STOP)할까요?");
  if (orv::win::MessageBox(question, "QUESTION", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  const int answer =
      SendCommandToAllModules(start ? HOST_CMD_AUTO_TRADE_ON : HOST_CMD_AUTO_TRADE_OFF, 0);
  if (answer != 1) {
    orv::win::MessageBox(
        start ? "감시를 시작(START)하지 못했습니다." : "감시를 중지(STOP)하지 못했습니다.", "ERROR",
        MB_OK | MB_ICONERROR);
  }
}

void CMainFrame::SaveAll() {
  const DWORD start = orv::win::GetTickCount();
  const int saved = SendCommandToAllModules(HOST_CMD_SAVE, 0);
  if (saved < 1) {
    ShowPopup(L"Cannot save.", L"");
    return;
  }
  const double seconds = (orv::win::GetTickCount() - start) / 1000.0;
  wchar_t body[160];
  std::swprintf(body, sizeof body / sizeof body[0],
                L"Plugin moudle count is %d.\r\nSaving time is %.1f seconds.", saved, seconds);
  ShowPopup(L"Save all modified data.", body);
}

void CMainFrame::OnLanguageChanged(int language) {
  app_run_setting_s& rs = app_.RunSettings();
  languageCode_ = language;
  rs.nLanguageCode = language;
  CommandState().appliedLanguage = language;
  if (CCaptionBar* bar = GetCaptionBar()) bar->SetLanguage(language);
  // Every loaded module window hears the new language.
  std::set<wxWindow*> told;
  if (ribbon_ != nullptr) {
    for (const auto& [key, module] : ribbon_->GetModuleMap()) {
      auto* window = reinterpret_cast<wxWindow*>(module->window);
      if (module->moduleHandle == nullptr || window == nullptr || !told.insert(window).second) {
        continue;
      }
      GfxSendMessageToWnd(window, WM_MODULE_LANGUAGE, MODULE_LANGUAGE_WPARAM,
                          static_cast<LPARAM>(language));
    }
  }
  const std::wstring text =
      orv::host::TextByLanguage(app_.CatalogueDb(), rs.nCompanyNo, L"language.changed",
                                L"Language was changed.", L"언어가 변경되었습니다", language)
          .value_or(L"Language was changed.");
  ShowPopup(L"Language changed.", text);
}

void CMainFrame::OnCaptionLanguage(int language) {
  app_run_setting_s& rs = app_.RunSettings();
  if (language != rs.byLanguage) rs.byLanguage = static_cast<uint8_t>(language);
  FrameCommandState& state = CommandState();
  if (language != state.appliedLanguage) {
    state.appliedLanguage = language;
    languageCode_ = language;
    rs.nLanguageCode = language;
    if (ribbon_ != nullptr) ribbon_->RefreshMenuTitles(language);
  }
  if (CCaptionBar* bar = GetCaptionBar()) bar->SetLanguage(language);
}

void CMainFrame::OnFrameSize(wxSizeEvent& event) {
  RememberWindowRect();
  if (CCaptionBar* bar = GetCaptionBar()) {
    bar->UpdateLayout();
  }
  event.Skip();
}

void CMainFrame::RememberWindowRect() {
  FrameCommandState& state = CommandState();
  if (IsIconized()) {
    state.showState = 6;
  } else if (IsMaximized()) {
    state.showState = 3;
  } else {
    const wxRect r = GetRect();
    state.windowRect = RECT{r.GetLeft(), r.GetTop(), r.GetRight() + 1, r.GetBottom() + 1};
    state.showState = 5;
  }
}

int CMainFrame::ShowAboutBox(int mode) {
  const app_run_setting_s& rs = app_.RunSettings();
  CAboutDlg dialog(this, orv::host::WithSlash(app_.Folders().exeFolder));
  dialog.SetTitleText(Utf8ToWide(app_.WindowTitle()), Utf8ToWide(app_.SiteText()), rs.szVersion,
                      rs.szBuild);
  dialog.SetLink(rs.szAboutText[0] != L'\0' ? rs.szAboutText : nullptr);
  dialog.SetMode(mode);
  return dialog.ShowModal();
}

// ---------------------------------------------------------------------------------------------
// Close and exit

std::string CMainFrame::DockingLayoutPath() const {
  return orv::host::WithSlash(app_.Folders().exeFolder) + "layout.xml";
}

std::string CMainFrame::RibbonLayoutPath() const {
  return orv::host::WithSlash(app_.Folders().settingsFolder) + "layout_ribbon.xml";
}

bool CMainFrame::ReloadLayout() {
  std::string perspective;
  if (!orv::host::LoadRibbonDockingLayout(RibbonLayoutPath(), orv::host::kNormalLayoutName,
                                          &perspective) ||
      perspective.empty()) {
    return false;
  }
  return paneManager_->LoadPerspective(wxString::FromUTF8(perspective), true);
}

bool CMainFrame::AskExit() {
  const app_run_setting_s& rs = app_.RunSettings();
  std::wstring title = rs.szProductTitle;
  if (title.empty()) title = rs.szAppName;
  std::wstring format =
      orv::host::TextByLanguage(app_.CatalogueDb(), rs.nCompanyNo, L"exit.confirm.msg.fmt",
                                L"Do you want to exit %s application?",
                                L"%s 프로그램을 종료할까요?", languageCode_)
          .value_or(L"Do you want to exit %s application?");
  // The catalogue's text is never used as a printf format: only its "%s" is filled in.
  const size_t at = format.find(L"%s");
  if (at != std::wstring::npos) format.replace(at, 2, title);
  return orv::win::MessageBox(Narrow(format), "QUESTION", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CMainFrame::StopModules(int pauseMs) {
  // The modules' workers read the flag while it changes: written atomically.
  __atomic_store_n(&app_.RunSettings().nAppRunning, 0, __ATOMIC_RELAXED);
  orv::win::Sleep(static_cast<DWORD>(pauseMs));
  // Modules log out and stop their workers while every window of the frame still exists.
  SendCommandToAllModules(HOST_CMD_STOP, 1);
}

void CMainFrame::OnCloseWindow(wxCloseEvent& event) {
  FrameCommandState& state = CommandState();
  if (state.exited || state.closing) {
    frameTimer_.Stop();
    StopLogUpdates();
    event.Skip();
    return;
  }
  const app_run_setting_s& rs = app_.RunSettings();
  if (rs.byHideOnExit != 0 && event.CanVeto()) {
    Hide();
    event.Veto();
    return;
  }
  if (!AskExit()) {
    if (event.CanVeto()) {
      event.Veto();
      return;
    }
  }
  state.closing = true;
  app_.SaveSettings(themeId_, false);
  StopModules(kCloseFirstPauseMs);
  frameTimer_.Stop();
  StopLogUpdates();
  orv::win::Sleep(kCloseSecondPauseMs);
  event.Skip();
}

int CMainFrame::ExitApplication(int waitMs, bool ask) {
  if (IsWaitPopupShown()) {
    orv::win::MessageBox("IDS_OTHER_WORK_IS_RUNNING", "ERROR", MB_OK | MB_ICONERROR);
    return 0;
  }
  if (ask && !AskExit()) return 0;
  FrameCommandState& state = CommandState();
  StopModules(waitMs);

  // The docking layout and the ribbon layout, then the window's place.
  const std::string perspective = paneManager_->SavePerspective().utf8_string();
  if (!paneManager_->GetAllPanes().IsEmpty()) {
    orv::host::SaveDockingLayoutFile(DockingLayoutPath(), orv::host::kNormalLayoutName,
                                     perspective);
  }
  RememberWindowRect();
  app_.SaveWindowPos(state.showState == 5 ? &state.windowRect : nullptr, state.showState);
  orv::host::RibbonLayoutState ribbonState;
  ribbonState.minimised = ribbon_ != nullptr && ribbon_->GetRibbonBar() != nullptr &&
                          !ribbon_->GetRibbonBar()->ArePanelsShown();
  ribbonState.activePage = ribbon_ != nullptr && ribbon_->GetRibbonBar() != nullptr
                               ? ribbon_->GetRibbonBar()->GetActivePage()
                               : 0;
  ribbonState.themeId = themeId_;
  ribbonState.dockingLayout = perspective;
  orv::host::SaveRibbonLayoutFile(RibbonLayoutPath(), ribbonState);
  app_.SaveSettings(themeId_, false);

  // The module windows go with their libraries: the view forgets them first.
  if (mainView_ != nullptr) mainView_->ForgetModuleWindows();
  DeletePluginLoader();
  state.exited = true;
  return 1;
}

void CMainFrame::RunLoginCommand() {
  void* ctx = nullptr;
  LoginCallback login = nullptr;
  LoginNotifyCallback notify = nullptr;
  if (mainView_ != nullptr) mainView_->GetCurrentLoginCallback(&ctx, &login, &notify);
  if (UserServices().IsLoggedIn()) {
    Logout();
  } else if ((app_.RunSettings().dwFlagWord & kFlagLoginToManager) == 0) {
    OpenLoginDialog(nullptr, nullptr, nullptr, 0, 0, ctx, login, notify);
  } else {
    // The manager program signs the user in and answers with the login information.
    CallbackState().managerCommand(this, 1, 0, 0, 2, 0, 0);
  }
}
