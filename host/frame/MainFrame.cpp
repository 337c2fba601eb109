#include "host/frame/MainFrame.h"

#include <dlfcn.h>
#include <wx/artprov.h>
#include <wx/aui/aui.h>
#include <wx/display.h>
#include <wx/icon.h>
#include <wx/taskbar.h>
#include <wx/wx.h>

#include <algorithm>
#include <cmath>

#include "host/app/AppFolders.h"
#include "host/app/VarqoMainApp.h"
#include "host/dialogs/SplashScreenEx.h"
#include "host/frame/ContainerPanes.h"
#include "host/frame/DisplayDpi.h"
#include "host/frame/DockingPanes.h"
#include "host/frame/FrameCallbackState.h"
#include "host/frame/FrameCommandState.h"
#include "host/frame/MainStatusBar.h"
#include "host/frame/PaintRegion.h"
#include "host/frame/PopupPlacement.h"
#include "host/logs/LogMsgConversion.h"
#include "platform/support/PluginLoader.h"
#include "platform/ui/IdleWalk.h"
#include "platform/ui/NoticePopup.h"
#include "platform/win/Registry.h"

namespace {

constexpr int kCaptionColour = 0x342824;

wxString Wide(const wchar_t* text) { return text != nullptr ? wxString(text) : wxString(); }

void CopyWide(wchar_t* dst, size_t cap, const std::wstring& src) {
  const size_t n = std::min(src.size(), cap - 1);
  std::wmemcpy(dst, src.c_str(), n);
  dst[n] = L'\0';
}

int Scaled(int value, double scale) { return static_cast<int>(std::lround(value * scale)); }

}  // namespace

SharedWnds_s& HostSharedWnds() {
  static SharedWnds_s block;
  return block;
}

search_condition_s& HostSearchCondition() {
  static search_condition_s record;
  return record;
}

CMainFrame::CMainFrame(CVarqoMainApp& app) : app_(app), frameTimer_(this, kFrameTimerId) {}

CMainFrame::~CMainFrame() {
  frameTimer_.Stop();
  orv::ui::ProgramIdleGate().RemoveQuietTimer(&frameTimer_);
  logUpdate_ = false;
  if (logHub_) logHub_->Stop();
  callbackState_.reset();
  popups_.clear();
  waitPopup_.reset();
  DeleteSaverWnd();
  if (trayIcon_) trayIcon_->RemoveIcon();
  trayIcon_.reset();
  if (paneManager_) paneManager_->UnInit();
  SharedWnds_s& block = HostSharedWnds();
  if (block.pMainFrame == this) block = SharedWnds_s{};
  // Module windows are children of this frame: their libraries stay loaded until the windows
  // are gone, so the loader is only deleted here when the exit action has not done it.
  loader_.reset();
  // The program ends with its main window, whatever hidden windows (splash, dialogs) remain.
  if (wxTheApp != nullptr) wxTheApp->ExitMainLoop();
}

bool CMainFrame::CreateFrame(const wxString& title) {
  // The default size is given at 96 DPI; it grows with the layout DPI, up to the screen's work
  // area.
  const double scale = HostLayoutDpi(nullptr) / 96.0;
  const wxRect area = wxDisplay().GetClientArea();
  wxSize size(Scaled(app_.m_nDefaultWidth, scale), Scaled(app_.m_nDefaultHeight, scale));
  if (area.width > 0 && area.height > 0) size.DecTo(area.GetSize());
  // Without the standard caption the frame draws its own caption bar: a sizing border, the
  // system menu and the minimise and maximise boxes, but no system caption.
  const long style = app_.RunSettings().byStdCaption != 0
                         ? (wxDEFAULT_FRAME_STYLE | wxCLIP_CHILDREN)
                         : (wxRESIZE_BORDER | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxMAXIMIZE_BOX |
                            wxCLOSE_BOX | wxCLIP_CHILDREN);
  if (!wxFrame::Create(nullptr, wxID_ANY, title, wxDefaultPosition, size, style, kWindowClass)) {
    return false;
  }
  SetWindowClass();
  return OnCreate() == 0;
}

void CMainFrame::SetWindowClass() {
  // GTK names a window's X11 class after the program unless told otherwise; the wake-up of a
  // second start and outside tools find the main window by this class. The call is looked up
  // at run time so that the build needs no GTK headers.
  using SetWmClass = void (*)(void*, const char*, const char*);
  static auto setWmClass =
      reinterpret_cast<SetWmClass>(dlsym(RTLD_DEFAULT, "gtk_window_set_wmclass"));
  if (setWmClass != nullptr && GetHandle() != nullptr) {
    setWmClass(GetHandle(), kWindowClass, kWindowClass);
  }
}

int CMainFrame::OnCreate() {
  app_run_setting_s& rs = app_.RunSettings();
  ApplyDpi();

  const std::string& exe = app_.Folders().exeFolder;
  const std::string iconPath = exe + "res/app_icon.ico";
  if (orv::host::FileExists(iconPath)) {
    wxIconBundle icons(wxString::FromUTF8(iconPath), wxBITMAP_TYPE_ICO);
    if (icons.IsOk() && !icons.IsEmpty()) SetIcons(icons);
  }

  CreateLogHub();

  languageCode_ = orv::win::GetProfileInt(kSettingsSection, "APP-LanguageCode", languageCode_);
  rs.nLanguageCode = languageCode_;
  rs.nAppState = 3;
  themeId_ = rs.dwRibbonStyle != 0 ? static_cast<int>(rs.dwRibbonStyle) : 1253;

  loader_ = std::make_unique<CPluginLoader>(nullptr);
  loader_->SetOptions(loader_->GetOptions() | 1u);

  // The manager paints the frame's whole client area itself and leaves the erase step empty:
  // the frame skips that step, which made a drawing context for nothing on every repaint of a
  // child window.
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  paneManager_ = std::make_unique<wxAuiManager>(this, wxAUI_MGR_DEFAULT);
  // The manager draws every caption, border and sash on each paint of the frame, and the
  // frame gets one whenever a pane's window repaints: a repaint that lies under the panes'
  // windows is left to them (this handler runs before the manager's own).
  paneManager_->Bind(wxEVT_PAINT, [this](wxPaintEvent& event) {
    if (!RepaintOnlyUnderChildren(*this)) event.Skip();
  });
  CreatePaneWindows();
  FillSharedWnds();

  if (!CreateStatusBar2()) return -1;
  HostSharedWnds().pStatusBar = statusBar_;

  SetUpDockingPanes();
  BindFrameCommands();
  if (rs.byStdCaption == 0) CreateCaptionBar();

  trayTooltip_ = Wide(rs.szProductTitle);
  if (trayTooltip_.empty()) trayTooltip_ = Wide(rs.szAppName);
  if (trayTooltip_.empty()) {
    trayTooltip_ = wxString::Format("%s (%s)", Wide(rs.szCompanyName), Wide(rs.szVersion));
  }
  CreateTrayIcon();

  app_.InstanceGuard().SetWakeHandler([this](WPARAM wParam, LPARAM) {
    if (wParam == orv::win::kShowMainWindowCommand) CallAfter([this] { ShowMainWindow(); });
  });

  ShowPopup(L"Started.", L"");
  if (!CreateModuleViewAndMenus()) return -1;

  Bind(
      wxEVT_TIMER, [this](wxTimerEvent&) { OnFrameTimerTick(); }, kFrameTimerId);
  frameTimer_.Start(kFrameTimerMs);
  // Most ticks change nothing; the idle pass follows only those that do (OnFrameTimerTick).
  orv::ui::ProgramIdleGate().AddQuietTimer(&frameTimer_);
  return 0;
}

void CMainFrame::ApplyDpi() {
  app_run_setting_s& rs = app_.RunSettings();
  const int dpi = HostLayoutDpi(this);
  rs.nDpiPercent = std::max(100, dpi * 100 / 96);
  rs.dScale = rs.nDpiPercent / 100.0;
  rs.nLogPixelsY = dpi;
}

void CMainFrame::CreateLogHub() {
  app_run_setting_s& rs = app_.RunSettings();
  logHub_ = std::make_unique<CLogHub>(this, 0, app_.Folders().exeFolder);
  rs.nLogLineLimit = CLogHub::ClampMaximum(rs.nLogLineLimit);
  logHub_->SetMaximum(rs.nLogLineLimit);
  logHub_->Init();
  logUpdate_ = true;
  logHub_->AddLinesAndWrite(L"Program started... Please wait..\r\n", false, 0, 0, 0, 0, 0, 0,
                            nullptr);
}

void CMainFrame::CreatePaneWindows() {
  // The module area sits in the centre; the panes dock around it.
  moduleArea_ = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                            wxTAB_TRAVERSAL | wxCLIP_CHILDREN, "ModuleArea");
  moduleArea_->SetBackgroundColour(wxColour(0xE9, 0xEC, 0xF1));
  workspace_ = new CWorkspaceWnd(this, WND_ID_WORKSPACE);
  logView_ = new CLogViewWnd(this, WND_ID_LOG, this);
  logView_->SetLineLimit(65535);
  properties_ = new CPropertiesWnd(this, WND_ID_PROPERTIES);
  monitoring_ = new CMonitoringWnd(this, WND_ID_MONITORING);
  if (logHub_) logView_->SetLineCount(logHub_->GetViewCount());
}

void CMainFrame::FillSharedWnds() {
  SharedWnds_s& block = HostSharedWnds();
  block = SharedWnds_s{};
  // The modules' workers run while this is set; the exit clears it (StopModules).
  __atomic_store_n(&app_.RunSettings().nAppRunning, 1, __ATOMIC_RELAXED);
  block.pApp = &app_;
  block.pMainFrame = this;
  block.pCommandBars = nullptr;
  block.pDocument = nullptr;
  block.pCallbackCtx = this;
  // The plug-in opens its own connections; the block's connection fields stay null.
  block.pCatalogDb = nullptr;
  block.pDataDb = nullptr;
  block.pLoginInfo = &app_.LoginInfo();
  block.pRunSetting = &app_.RunSettings();
  search_condition_s& cond = HostSearchCondition();
  // Plug-ins build their data paths on the program folder; it is written before any module
  // loads.
  CopyWide(cond.szExeFolder, SEARCH_COND_PATH_LEN,
           wxString::FromUTF8(orv::host::WithSlash(app_.Folders().exeFolder)).ToStdWstring());
  CopyWide(cond.szModuleFolder, SEARCH_COND_PATH_LEN,
           wxString::FromUTF8(orv::host::WithSlash(app_.Folders().moduleFolder)).ToStdWstring());
  block.pSearchCond = &cond;
  block.pWorkspaceWnd = workspace_;
  block.pLogViewWnd = logView_;
  block.pPropertiesWnd = properties_;
  block.pMonitoringWnd = monitoring_;
  block.pOwnerWnd = this;
  block.pfnReserved = &CMainFrame::OnPluginReserved;
  block.pfnNotify = &CMainFrame::OnPluginNotify;
  block.pfnCommand = &CMainFrame::OnPluginCommand;
  block.pfnModuleCreated = &CMainFrame::OnPluginModuleCreated;
  block.szText[0] = L'\0';
}

bool CMainFrame::CreateStatusBar2() {
  statusBar_ = new CMainStatusBar(this, app_.RunSettings());
  SetStatusBar(statusBar_);
  return statusBar_ != nullptr;
}

void CMainFrame::SetUpDockingPanes() {
  const double scale = app_.RunSettings().dScale;
  wxAuiManager& mgr = *paneManager_;
  mgr.GetArtProvider()->SetMetric(wxAUI_DOCKART_SASH_SIZE, Scaled(4, scale));
  mgr.GetArtProvider()->SetColour(wxAUI_DOCKART_ACTIVE_CAPTION_COLOUR, wxColour(0x24, 0x28, 0x34));
  mgr.GetArtProvider()->SetColour(wxAUI_DOCKART_INACTIVE_CAPTION_COLOUR,
                                  wxColour(0xDC, 0xE3, 0xEE));
  mgr.AddPane(moduleArea_, wxAuiPaneInfo().Name("ModuleArea").CenterPane().PaneBorder(false));
  for (const DockingPaneDef& def : DockingPaneTable()) {
    wxWindow* window = GetPaneWindow(def.paneId);
    wxAuiPaneInfo info;
    info.Name(std::to_string(def.paneId))
        .Caption(wxString::FromUTF8(def.caption))
        .BestSize(Scaled(def.width, scale), Scaled(def.height, scale))
        .MinSize(Scaled(60, scale), Scaled(60, scale))
        .CloseButton(true)
        .MaximizeButton(false)
        .DestroyOnClose(false);
    switch (def.dock) {
      case PaneDock::Left:
        info.Left().Layer(1);
        break;
      case PaneDock::Bottom:
        info.Bottom().Layer(0);
        break;
      case PaneDock::Right:
        info.Right().Layer(1).Row(0).Position(0);
        break;
      case PaneDock::BelowRight:
        info.Right().Layer(1).Row(0).Position(1);
        break;
    }
    mgr.AddPane(window, info);
  }
  Bind(wxEVT_AUI_PANE_CLOSE, &CMainFrame::OnPaneClose, this);
  ApplyAllPaneVisibility();
}

wxWindow* CMainFrame::GetPaneWindow(int paneId) const {
  switch (paneId) {
    case PANE_ID_WORKSPACE:
      return workspace_;
    case PANE_ID_LOG:
      return logView_;
    case PANE_ID_PROPERTIES:
      return properties_;
    case PANE_ID_MONITORING:
      return monitoring_;
    default:
      return nullptr;
  }
}

bool CMainFrame::IsPaneOpen(int paneId) const {
  if (!paneManager_) return false;
  wxAuiPaneInfo& info = paneManager_->GetPane(std::to_string(paneId));
  return info.IsOk() && info.IsShown();
}

void CMainFrame::ResizeRibbonPane(const wxSize& size) {
  GetPaneManager().GetPane("Ribbon").BestSize(size).MinSize(size);
  GetPaneManager().Update();
}

void CMainFrame::ApplyPaneVisibility(int paneId, int bit) {
  wxAuiPaneInfo& info = paneManager_->GetPane(std::to_string(paneId));
  if (!info.IsOk()) return;
  const bool show = (bit & app_.RunSettings().byPaneMask) != 0;
  if (show != info.IsShown()) {
    info.Show(show);
    paneManager_->Update();
  }
}

void CMainFrame::ApplyAllPaneVisibility() {
  const int mask = app_.RunSettings().byPaneMask;
  for (int paneId : {PANE_ID_MONITORING, PANE_ID_PROPERTIES, PANE_ID_WORKSPACE, PANE_ID_LOG}) {
    const DockingPaneDef* def = FindPaneById(paneId);
    ApplyPaneVisibility(paneId, mask & def->maskBit);
  }
  paneManager_->Update();
}

void CMainFrame::TogglePane(int wndId) {
  const DockingPaneDef* def = FindPaneByWndId(wndId);
  if (def == nullptr) return;
  app_run_setting_s& rs = app_.RunSettings();
  if (IsPaneOpen(def->paneId)) {
    rs.byPaneMask = static_cast<uint8_t>(rs.byPaneMask & ~def->maskBit);
  } else {
    rs.byPaneMask = static_cast<uint8_t>(rs.byPaneMask | def->maskBit);
  }
  rs.dwChangedFlags |= SETTINGS_CHANGED_FLAG;
  ApplyPaneVisibility(def->paneId, def->maskBit);
}

void CMainFrame::OnPaneClose(wxAuiManagerEvent& event) {
  wxAuiPaneInfo* pane = event.GetPane();
  const DockingPaneDef* def =
      pane != nullptr ? FindPaneById(static_cast<int>(wxAtoi(pane->name))) : nullptr;
  if (def == nullptr) return;
  app_run_setting_s& rs = app_.RunSettings();
  if ((rs.byPaneMask & def->maskBit) != 0) {
    rs.byPaneMask = static_cast<uint8_t>(rs.byPaneMask & ~def->maskBit);
    rs.dwChangedFlags |= SETTINGS_CHANGED_FLAG;
  }
}

void CMainFrame::SetPaneWidth(int paneId, int width) {
  wxAuiPaneInfo& info = paneManager_->GetPane(std::to_string(paneId));
  if (!info.IsOk() || info.window == nullptr || width < 1) return;
  if (info.window->GetSize().x == width) return;
  info.BestSize(width, info.best_size.y);
  info.window->SetSize(width, info.window->GetSize().y);
  paneManager_->Update();
}

void CMainFrame::SetPaneTitle(int paneId, const std::wstring& title) {
  wxAuiPaneInfo& info = paneManager_->GetPane(std::to_string(paneId));
  if (!info.IsOk()) return;
  info.Caption(wxString(title));
  paneManager_->Update();
}

int CMainFrame::WriteLog(int kind, int, const wchar_t* text, const wchar_t*, int severity,
                         int code) {
  if (!logHub_) return 0;
  const int count = logHub_->AddLines(text != nullptr ? std::wstring(text) : std::wstring(), false,
                                      kind, static_cast<uint8_t>(severity), 0, 0, code, 0, nullptr);
  if (logView_ != nullptr) logView_->SetLineCount(logHub_->GetViewCount());
  return count > 0 ? 1 : 0;
}

const LogHubEntry* CMainFrame::GetLogHubLine(int index) {
  if (!logHub_ || index < 0) return nullptr;
  return logHub_->GetLine(index, nullptr);
}

void CMainFrame::OnLogLinesAdded(int count) {
  if (logUpdate_ && logView_ != nullptr) logView_->SetLineCount(count);
}

bool CMainFrame::GetLogLine(int index, log_msg_data_s* out) {
  if (!logHub_ || index < 0) return false;
  // The hub hands out its own copy of the line, which stays valid while another thread drops
  // the original; it is converted and let go at once.
  LogCopyMap copies;
  const LogHubEntry* entry = logHub_->GetLine(index, &copies);
  return entry != nullptr && orv::host::CopyLogHubEntry(*entry, out);
}

int CMainFrame::GetLogViewCount() { return logHub_ ? logHub_->GetViewCount() : 0; }

void CMainFrame::SetLogFilter(const std::wstring& text) {
  if (logHub_) logHub_->SetFilter(!text.empty(), text);
}

void CMainFrame::ClearLog() {
  if (logHub_) logHub_->Clear();
}

std::string CMainFrame::GetLogFolder() { return app_.Folders().logFolder; }

app_run_setting_s* CMainFrame::GetRunSettings() { return &app_.RunSettings(); }

wxWindow* CMainFrame::ShowPopup(const std::wstring& title, const std::wstring& text, int width,
                                int height) {
  // Popups that timed out or were closed leave the list.
  popups_.erase(std::remove_if(popups_.begin(), popups_.end(),
                               [](const auto& popup) { return !popup->IsShown(); }),
                popups_.end());
  std::vector<RECT> open;
  for (const auto& popup : popups_) {
    const wxRect r = popup->GetWindow()->GetScreenRect();
    open.push_back(RECT{r.GetLeft(), r.GetTop(), r.GetRight() + 1, r.GetBottom() + 1});
  }
  POINT start = lastPopupPos_;
  if (start.x == -1 && start.y == -1) {
    const int display = wxDisplay::GetFromWindow(this);
    const wxRect area =
        wxDisplay(display == wxNOT_FOUND ? 0u : static_cast<unsigned>(display)).GetClientArea();
    start = orv::host::DefaultPopupCorner(
        RECT{area.GetLeft(), area.GetTop(), area.GetRight() + 1, area.GetBottom() + 1}, width,
        height);
  }
  const POINT pos = orv::host::PlacePopupRect(start, width, height, open);

  auto popup = std::make_unique<orv::ui::CNoticePopup>();
  popup->Show(this, text, title, kPopupShowMs);
  wxWindow* window = popup->GetWindow();
  window->SetSize(pos.x, pos.y, width, height);
  window->Layout();
  popups_.push_back(std::move(popup));
  return window;
}

std::vector<wxWindow*> CMainFrame::GetOpenPopups() {
  std::vector<wxWindow*> open;
  for (const auto& popup : popups_) {
    if (popup->IsShown()) open.push_back(popup->GetWindow());
  }
  return open;
}

int CMainFrame::CreateWaitPopup() {
  if (!waitPopup_) waitPopup_ = std::make_unique<orv::ui::CWaitingWnd>();
  return 1;
}

int CMainFrame::ShowWaitPopup(const std::wstring& text, const std::wstring& subText) {
  CreateWaitPopup();
  waitPopup_->Show(this, text, subText);
  return 1;
}

int CMainFrame::HideWaitPopup() {
  if (waitPopup_) waitPopup_->Hide();
  return 1;
}

bool CMainFrame::IsWaitPopupShown() const { return waitPopup_ && waitPopup_->IsShown(); }

int CMainFrame::CreateTrayIcon() {
  if (trayIcon_) return 1;
  if (!wxTaskBarIcon::IsAvailable()) return 0;
  auto icon = std::make_unique<wxTaskBarIcon>();
  wxIcon image = GetIcon();
  if (!image.IsOk()) image = wxArtProvider::GetIcon(wxART_INFORMATION, wxART_OTHER, wxSize(16, 16));
  if (!icon->SetIcon(wxBitmapBundle(image), trayTooltip_)) return 0;
  icon->Bind(wxEVT_TASKBAR_LEFT_DCLICK, [this](wxTaskBarIconEvent&) { ShowMainWindow(); });
  trayIcon_ = std::move(icon);
  return 1;
}

void CMainFrame::ShowMainWindow() {
  Show(true);
  Iconize(false);
  Raise();
}

void CMainFrame::DeletePluginLoader() {
  if (!loader_) return;
  loader_->UnloadAllDLLs();
  loader_.reset();
}

PluginModuleHost CMainFrame::BuildModuleHost() {
  PluginModuleHost host;
  host.loader = loader_.get();
  host.block = &HostSharedWnds();
  host.searchCond = &HostSearchCondition();
  const wxRect client = moduleArea_ != nullptr ? moduleArea_->GetClientRect() : GetClientRect();
  host.frameClientRect =
      RECT{client.GetLeft(), client.GetTop(), client.GetRight() + 1, client.GetBottom() + 1};
  host.writeLog = [this](int kind, int severity, int code, const std::wstring& text) {
    WriteLog(kind, 0, text.c_str(), nullptr, severity, code);
  };
  host.showError = [](const std::wstring& text) { ShowPluginLoadError(text); };
  return host;
}
