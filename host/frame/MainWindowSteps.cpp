#include "host/frame/MainWindowSteps.h"

#include <wx/display.h>
#include <wx/wx.h>

#include <vector>

#include "host/app/VarqoMainApp.h"
#include "host/dialogs/SplashScreenEx.h"
#include "host/frame/MainFrame.h"

namespace {

// Bit 13 of the application flags: start maximised.
constexpr uint32_t kAppFlagStartMaximised = 1u << 13;
// How often the command states (menus, ribbon and toolbar buttons) are asked again.
constexpr long kCommandStateIntervalMs = 250;

RECT ToRect(const wxRect& r) {
  return RECT{r.GetLeft(), r.GetTop(), r.GetRight() + 1, r.GetBottom() + 1};
}

void ComputeFirstMonitorPlacement(CVarqoMainApp& app) {
  std::vector<RECT> monitors;
  wxRect all;
  for (unsigned i = 0; i < wxDisplay::GetCount(); ++i) {
    const wxRect r = wxDisplay(i).GetGeometry();
    if (wxDisplay(i).IsPrimary()) {
      monitors.insert(monitors.begin(), ToRect(r));
    } else {
      monitors.push_back(ToRect(r));
    }
    all.Union(r);
  }
  app.ComputePlacement(1, monitors.data(), static_cast<int>(monitors.size()), ToRect(all));
}

CSplashScreenEx* CreateSplash(CVarqoMainApp& app) {
  auto* splash = new CSplashScreenEx();
  if (!splash->Create(nullptr, CSplashScreenEx::kWindowName)) {
    delete splash;
    return nullptr;
  }
  const app_run_setting_s& rs = app.RunSettings();
  if (!splash->SetBitmap(app.Folders().exeFolder + "res/start.png", rs.crSplashTransparent)) {
    splash->SetDefaultBitmap(rs.szProductTitle[0] != L'\0' ? wxString(rs.szProductTitle)
                                                           : wxString("Orvella"));
  }
  splash->SetTextRect(rs.rcSplashText);
  splash->ShowSplash();
  return splash;
}

}  // namespace

bool ShouldShowSplash(int splashMode, bool showSplashSwitch, bool useSplashSetting) {
  return showSplashSwitch && splashMode != 0 && (splashMode == 1 || useSplashSetting);
}

bool RunWindowSteps(CVarqoMainApp& app, HostWindows& windows) {
  const app_run_setting_s& rs = app.RunSettings();
  if (ShouldShowSplash(app.CmdLine().m_nSplashMode, app.CmdLine().m_bShowSplash != FALSE,
                       rs.byUseSplash != 0)) {
    windows.splash = CreateSplash(app);
  }
  if (windows.splash) windows.splash->SetText(L"Load Modules...(Please wait)\r\n");
  ComputeFirstMonitorPlacement(app);
  if (windows.splash) windows.splash->SetText(L"Initialize Views...(Please wait)\r\n");
  wxYield();

  // Idle events go only to the windows that ask for them (wxWS_EX_PROCESS_IDLE), and the
  // command states are refreshed a few times a second rather than after every event: a still
  // market then costs the window tree next to nothing.
  wxIdleEvent::SetMode(wxIDLE_PROCESS_SPECIFIED);
  wxUpdateUIEvent::SetUpdateInterval(kCommandStateIntervalMs);
  auto* frame = new CMainFrame(app);
  frame->SetSplash(windows.splash);
  if (!frame->CreateFrame(wxString::FromUTF8(app.FrameText()))) {
    frame->Destroy();
    return false;
  }
  windows.frame = frame;
  frame->SetTitle(wxString::FromUTF8(app.FrameText()));

  // The main view hides the splash once its modules are loaded; start-up hides it here at the
  // latest, so it never stays over the main window.
  if (windows.splash) windows.splash->HideSplash();

  if (rs.byHideOnStart != 0) return true;
  frame->Centre();
  if ((rs.dwAppFlags & kAppFlagStartMaximised) != 0) frame->Maximize(true);
  frame->Show(true);
  frame->Update();
  return true;
}

void CloseSplash(HostWindows& windows) {
  if (windows.splash == nullptr) return;
  windows.splash->SetText(L"Exit Application...(Please wait)\r\n");
  windows.splash->Destroy();
  windows.splash = nullptr;
}
