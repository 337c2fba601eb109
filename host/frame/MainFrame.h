#pragma once
// The host's main window: status bar, docking panes (workspace, log, properties, monitoring)
// around the central module area, log hub and log pane, tray icon, popup notifications and
// the wait popup, the plug-in loader and the one shared-window block that every plug-in
// window receives.
//
// What later work plugs in:
// - the main view with the module tabs goes into GetModuleArea() (a plain panel in the
//   centre of the pane layout); modules load with LoadPluginModule and BuildModuleHost();
// - the plug-in callbacks are the static OnPlugin... functions stored in the block
//   (MainFrameCallbacks.cpp);
// - the frame timer (200 ms) calls OnFrameTimer(); the caption bar, ribbon and commands are
//   added to this class.

#include <wx/frame.h>
#include <wx/timer.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/frame/RibbonFrame.h"
#include "host/logs/LogHub.h"
#include "host/logs/LogViewWnd.h"
#include "host/modules/MainViewHost.h"
#include "host/modules/PluginModuleLoading.h"
#include "shared/HostCallbacks.h"
#include "shared/SearchCondition.h"
#include "shared/SharedWnds.h"

namespace orv::ui {
class CPwdConfirmDlg;
}
class CVarqoMainApp;
class CCaptionBar;
struct FrameCommandState;
class CHostUserServices;
struct FrameCallbackState;
class CVarqoMainView;
class CMainRibbon;
class CPluginLoader;
class CSplashScreenEx;
class CMainStatusBar;
class CWorkspaceWnd;
class CPropertiesWnd;
class CMonitoringWnd;
class CSaverWnd;
class wxAuiManager;
class wxAuiManagerEvent;
class wxCloseEvent;
class wxUpdateUIEvent;
class wxPanel;
class wxTaskBarIcon;
namespace orv::ui {
class CNoticePopup;
class CWaitingWnd;
}  // namespace orv::ui

// The host's one shared-window block and search-condition record; both live as long as the
// process.
SharedWnds_s& HostSharedWnds();
search_condition_s& HostSearchCondition();

class CMainFrame : public wxFrame,
                   public LogHubOwner,
                   public LogViewHost,
                   public IRibbonFrame,
                   public IMainViewHost {
 public:
  // The window class: the X11 WM_CLASS of the main window.
  static constexpr const char* kWindowClass = "VURORIVIDE_MAIN_APP_CLS_v1";
  static constexpr int kFrameTimerId = 1;
  static constexpr int kFrameTimerMs = 200;
  static constexpr int kPopupWidth = 329;
  static constexpr int kPopupHeight = 74;
  static constexpr int kPopupShowMs = 2500;

  explicit CMainFrame(CVarqoMainApp& app);
  ~CMainFrame() override;

  // Creates the window (the default size scaled from 96 DPI, hidden) and builds everything in
  // it; false when the window, the status bar or the panes cannot be made.
  bool CreateFrame(const wxString& title);

  // --- What other parts call ---
  CVarqoMainApp& App() override { return app_; }
  wxFrame& FrameWindow() override { return *this; }
  SharedWnds_s* GetSharedWnds() override { return &HostSharedWnds(); }
  CPluginLoader* GetPluginLoader() override { return loader_.get(); }
  // Deletes the loader after unloading every module library (the exit action's last step).
  void DeletePluginLoader();
  // What a module load borrows from the frame (loader, block, client rectangle, log, errors).
  PluginModuleHost BuildModuleHost() override;
  // The central area in which the main view with the module windows goes.
  wxPanel* GetModuleArea() const { return moduleArea_; }
  CLogHub* GetLogHub() const { return logHub_.get(); }
  CLogViewWnd* GetLogViewWnd() const { return logView_; }
  CMainStatusBar* GetMainStatusBar() const { return statusBar_; }
  CWorkspaceWnd* GetWorkspaceWnd() const { return workspace_; }
  CPropertiesWnd* GetPropertiesWnd() const { return properties_; }
  CMonitoringWnd* GetMonitoringWnd() const { return monitoring_; }
  // The main view with the module tabs, and the ribbon with the module menus
  // (MainFrameModules.cpp).
  CVarqoMainView* GetMainView() const { return mainView_; }
  CMainRibbon* GetRibbon() const { return ribbon_; }
  wxAuiManager& GetPaneManager() { return *paneManager_; }
  void ResizeRibbonPane(const wxSize& size) override;
  // The splash window that start-up shows (not owned); module loads report to it.
  void SetSplash(CSplashScreenEx* splash) { splash_ = splash; }
  CSplashScreenEx* GetSplash() const override { return splash_; }

  // One log line (kind as level, severity as flag, code as number) to the hub and the log
  // pane, not to the daily file. 1 when the hub holds at least one line, else 0.
  int WriteLog(int kind, int number2, const wchar_t* text, const wchar_t* title, int severity,
               int code);
  // Forwarders to the hub: the line at index as the list shows it (null for a negative index
  // or without a hub), and the number of lines shown.
  const LogHubEntry* GetLogHubLine(int index);
  // LogHubOwner: the hub added lines (any thread).
  void OnLogLinesAdded(int count) override;
  // Stops telling the log pane about new lines (the close does this before the frame goes).
  void StopLogUpdates() { logUpdate_ = false; }

  // Popup notifications: shown in the screen corner for 2.5 s, stacked above the ones still
  // open. Returns the popup's window.
  wxWindow* ShowPopup(const std::wstring& title, const std::wstring& text, int width = kPopupWidth,
                      int height = kPopupHeight);
  // The popups still open, oldest first.
  std::vector<wxWindow*> GetOpenPopups();

  // The wait popup (one, made on first use).
  int CreateWaitPopup();
  int ShowWaitPopup(const std::wstring& text, const std::wstring& subText) override;
  int HideWaitPopup() override;
  bool IsWaitPopupShown() const;

  // Tray icon: 1 when it exists. Without a system tray (no tray manager on the display) it
  // answers 0 at once, so retrying from the frame timer costs nothing.
  int CreateTrayIcon();
  bool HasTrayIcon() const { return trayIcon_ != nullptr; }

  // Docking panes.
  // Opens the pane when `bit` is set in the run settings' pane mask, else closes it.
  void ApplyPaneVisibility(int paneId, int bit);
  // The four panes (monitoring, properties, workspace, log) by the run settings' pane mask.
  void ApplyAllPaneVisibility();
  // Side-pane toggle command (window ids 968, 970, 972, 973): flips the pane's bit by its
  // current state, marks the settings changed and applies it.
  void TogglePane(int wndId);
  bool IsPaneOpen(int paneId) const;
  wxWindow* GetPaneWindow(int paneId) const;
  // Sets a docked pane's width (at least 1) when it differs.
  void SetPaneWidth(int paneId, int width);
  void SetPaneTitle(int paneId, const std::wstring& title);

  // Shows, restores and raises the main window (the wake-up of a second start).
  void ShowMainWindow();

  // The frame timer's tick (every 200 ms).
  void OnFrameTimer();

  // --- Timer, commands, close and exit (MainFrameCommands.cpp) ---
  // One run of the 200 ms timer: clock pane, tray retry, keep-awake, screen saver, the
  // "[SCR]" pane and the currency panes.
  void OnFrameTimerTick();
  // Sets the frame timer's next tick just after the next fifth of a second of `local`.
  void KeepFrameTimerInStep(const SYSTEMTIME& local);
  // The exit action: asks (when ask), stops the modules (command 21 after waitMs), saves the
  // layouts, window state and settings, unloads the plug-ins. 1 when the program may end,
  // 0 when the user said no or other work runs.
  int ExitApplication(int waitMs, bool ask);
  // The close question; true on yes.
  bool AskExit();
  // Applies a theme command id (1245 to 1259) and makes it the current theme.
  void ApplyTheme(int commandId);
  int GetThemeId() const { return themeId_; }
  // The screen saver over the frame's monitor; its end resets both idle ticks.
  void ShowScreenSaver();
  void OnScreenSaverEnded();
  // --- The screen-saver window (MainFrameSaver.cpp) ---
  // Makes the saver window when missing and fills its texts, lines and logo; 1 when it
  // exists, 0 when it could not be made.
  int CreateSaverWnd();
  // The saver window while it exists (its end destroys it).
  CSaverWnd* GetSaverWnd() const;
  // Deletes the saver window at once (the frame's end).
  void DeleteSaverWnd();
  // The default saver start: makes the saver window, moves it over the frame's monitor and
  // shows it; true when it shows.
  bool StartOwnSaver();
  // Where the pointer position and the screen saver come from (tests and the saver window).
  void SetCursorSource(std::function<POINT()> source);
  void SetScreenSaverStarter(std::function<bool(CMainFrame&)> starter);
  FrameCommandState& CommandState();
  // Enable and check state of a command id; false for an id the frame does not serve.
  bool GetCommandState(int id, bool* enabled, bool* checked);
  // Runs a command as the ribbon sends it (a check box's state in value, a combo's data).
  void RunCommand(int id, int value = 0, long data = 0);
  // The about box in a mode (0 links, 1 end-user licence, 2 licence), modal.
  int ShowAboutBox(int mode);
  CCaptionBar* GetCaptionBar() const;
  // Where the exit writes the docking layout and the ribbon layout.
  std::string DockingLayoutPath() const;
  std::string RibbonLayoutPath() const;
  // The docking layout "NormalLayout" from the ribbon layout file; false leaves the layout.
  bool ReloadLayout();

  // --- Plug-in callbacks stored in the block (context: the frame) ---
  static intptr_t OnPluginReserved(void* ctx);
  static intptr_t OnPluginNotify(void* ctx, int cls, int code, int sub, double val1, double val2,
                                 const wchar_t* text1, const wchar_t* text2, const void* rec,
                                 intptr_t unused1, intptr_t unused2, int* result, wchar_t* buf,
                                 int int1, int int2, int int3, intptr_t ptr1, intptr_t ptr2);
  static int OnPluginCommand(void* ctx, int kind, int code, int num1, int num2, int num3,
                             const wchar_t* text1, const wchar_t* text2, const wchar_t* text3,
                             intptr_t unused1, intptr_t unused2, int* result, wchar_t* buf,
                             void* packet, void* ptr, uint32_t flags, void* cbCtx,
                             LoginCallback login, LoginNotifyCallback notify, intptr_t caller1,
                             intptr_t caller2);
  static int OnPluginModuleCreated(void* ctx, intptr_t unused, uint32_t moduleNo,
                                   uint32_t moduleCount, wxWindow* wnd, int minusOne, int zero,
                                   const char* detail, wchar_t* blockText, uint32_t elapsedMs,
                                   int errorCode);

  // Login-state callback of the waiting dialog: (frame, event, value, extra).
  static intptr_t OnLoginStateChanged(void* ctx, unsigned event, intptr_t value, intptr_t extra);
  // The settings dialog's saved callback (event 1: apply the theme and the side panes).
  static void OnConfigSaved(void* ctx, int event);

  // --- What the callbacks keep and use (MainFrameCallbacks.cpp) ---
  // The user services (login dialog, pages, settings dialog, password prompt), made on first
  // use with the frame as the dialogs' parent.
  CHostUserServices& UserServices();
  // Opens the credential vault (the password-confirm window of notify 3/19).
  void OpenCredentialVault();
  // The credential vault once opened, else null.
  orv::ui::CPwdConfirmDlg* CredentialVault();
  FrameCallbackState& CallbackState();
  // Opens the login dialog with the current module tab's login callbacks (the log-in command).
  int OpenLoginDialog(const wchar_t* stateText, const wchar_t* guide, const wchar_t* pwd2Title,
                      int agency, uint32_t flags, void* cbCtx, LoginCallback login,
                      LoginNotifyCallback notify);
  // The login button of the ribbon shows logged in or out.
  void ShowLoginButtonState(bool loggedIn);
  // The log-out command (also main-frame function 83): asks "logout.confirm"; on yes clears the
  // login state, zeroes the user record (company kept), titles the frame "<app> - Not Logined",
  // sends 86 to all modules and shows the login button logged out. 1 when logged out.
  int Logout();
  // Sends a host command to every module; the number of modules that answered.
  int SendCommandToAllModules(unsigned code, WPARAM wParam);

  // LogViewHost.
  bool GetLogLine(int index, log_msg_data_s* out) override;
  int GetLogViewCount() override;
  void SetLogFilter(const std::wstring& text) override;
  void ClearLog() override;
  std::string GetLogFolder() override;
  app_run_setting_s* GetRunSettings() override;

 private:
  int OnCreate();
  void ApplyDpi();
  void CreateLogHub();
  void CreatePaneWindows();
  bool CreateStatusBar2();
  void FillSharedWnds();
  void SetUpDockingPanes();
  void OnPaneClose(wxAuiManagerEvent& event);
  void SetWindowClass();
  bool CreateModuleViewAndMenus();
  void BindFrameCommands();
  void CreateCaptionBar();
  void OnCloseWindow(wxCloseEvent& event);
  void OnFrameCommand(wxCommandEvent& event);
  void OnUpdateFrameCommand(wxUpdateUIEvent& event);
  void OnFrameSize(wxSizeEvent& event);
  void OnCaptionLanguage(int language);
  void OnLanguageChanged(int language);
  // Flips a settings switch (ids 189 to 279); false for an id that is no switch.
  bool ToggleSwitch(int id);
  void RunWatchCommand(bool start);
  void SaveAll();
  void RunLoginCommand();
  void StopModules(int pauseMs);
  void RememberWindowRect();

  CVarqoMainApp& app_;
  std::unique_ptr<wxAuiManager> paneManager_;
  std::unique_ptr<CLogHub> logHub_;
  std::unique_ptr<FrameCommandState> commandState_;
  std::atomic<bool> logUpdate_{false};
  CLogViewWnd* logView_ = nullptr;
  CWorkspaceWnd* workspace_ = nullptr;
  CPropertiesWnd* properties_ = nullptr;
  CMonitoringWnd* monitoring_ = nullptr;
  wxPanel* moduleArea_ = nullptr;
  std::unique_ptr<FrameCallbackState> callbackState_;
  CVarqoMainView* mainView_ = nullptr;
  CMainRibbon* ribbon_ = nullptr;
  CMainStatusBar* statusBar_ = nullptr;
  std::unique_ptr<CPluginLoader> loader_;
  CSplashScreenEx* splash_ = nullptr;
  std::vector<std::unique_ptr<orv::ui::CNoticePopup>> popups_;
  std::unique_ptr<orv::ui::CWaitingWnd> waitPopup_;
  std::unique_ptr<wxTaskBarIcon> trayIcon_;
  unsigned trayRetryTicks_ = 0;  // frame timer ticks since the tray icon was last tried
  wxString trayTooltip_;
  wxTimer frameTimer_;
  int languageCode_ = 2;
  int themeId_ = 1253;
  POINT lastPopupPos_{-1, -1};
};
