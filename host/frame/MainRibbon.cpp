#include "host/frame/MainRibbon.h"

#include <sqlite3.h>
#include <unistd.h>
#include <wx/artprov.h>
#include <wx/aui/aui.h>
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dcmemory.h>
#include <wx/display.h>
#include <wx/frame.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/ribbon/bar.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/ribbon/gallery.h>
#include <wx/ribbon/page.h>
#include <wx/ribbon/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <filesystem>

#include "host/app/VarqoMainApp.h"
#include "host/catalogue/HostText.h"
#include "host/catalogue/LanguageTexts.h"
#include "host/dialogs/SplashScreenEx.h"
#include "host/frame/DockingPanes.h"
#include "host/modules/ModuleStartup.h"
#include "platform/win/Registry.h"

namespace fs = std::filesystem;
using orv::host::MenuModule;

namespace {

constexpr uint32_t kTestTabData = 0x10100;
constexpr int kGalleryHeight = 60;
constexpr int kTestItemWidth = 90;
constexpr int kMaxViewChecks = sizeof(kPaneViewCheckIds) / sizeof(kPaneViewCheckIds[0]);
const wchar_t kNotDefined[] = L"Not-Defined";
const wxColour kStripColour(0x24, 0x28, 0x34);

struct CommandText {
  int id;
  const wchar_t* korean;
  const wchar_t* english;
  wxArtID art;
};

const std::vector<CommandText>& CommandTexts() {
  static const std::vector<CommandText> texts = {
      {kCmdMyInfo, L"내 정보", L"My Info", wxART_INFORMATION},
      {kCmdAccounts, L"계정 관리", L"Accounts", wxART_LIST_VIEW},
      {kCmdCheckUpdates, L"업데이트 확인", L"Check Updates", wxART_GO_DOWN},
      {kCmdAdvanced, L"고급 설정", L"Advanced", wxART_EXECUTABLE_FILE},
      {kSwNoSleep, L"절전 모드 끄기", L"No Sleep", wxART_TICK_MARK},
      {kSwConsole, L"DOS 콘솔", L"DOS Console", wxART_TICK_MARK},
      {kSwCustomSaver, L"사용자 화면보호기", L"Custom Screen Saver", wxART_TICK_MARK},
      {kSwSaverTest, L"화면보호기 실행", L"Start Screen Saver", wxART_GO_FORWARD},
      {kSwBetaMode, L"베타 모드로 실행", L"Run as Beta", wxART_TICK_MARK},
      {kSwSingleInstance, L"단일 실행 모드", L"Single Instance", wxART_TICK_MARK},
      {kSwHideOnExit, L"종료 시 숨기기", L"Hide on Exit", wxART_TICK_MARK},
      {kSwHideOnStart, L"시작 시 숨기기", L"Hide on Start", wxART_TICK_MARK},
      {kSwMinMenu, L"시작 시 메뉴 최소화", L"Minimise Menu on Start", wxART_TICK_MARK},
      {kCmdPluginAdd, L"플러그인 메뉴 편집", L"Plug-in Menus", wxART_EDIT},
      {kCmdLanguages, L"다국어 편집", L"Languages", wxART_HELP_BOOK},
      {kCmdHelp1, L"도움말", L"Help", wxART_HELP},
      {kCmdAbout1, L"정보", L"About", wxART_INFORMATION},
      {kCmdAbout2, L"버전 정보", L"Version", wxART_HELP_PAGE},
      {kCmdSettings, L"설정", L"Settings", wxART_HELP_SETTINGS},
      {kCmdRibbonMinimise, L"메뉴 접기", L"Collapse", wxART_GO_UP},
      {kCmdRibbonExpand, L"메뉴 펼치기", L"Expand", wxART_GO_DOWN},
      {kCmdLogin, L"로그인", L"Login", wxART_GO_FORWARD},
      {kCmdLogout, L"로그아웃", L"Logout", wxART_GO_BACK},
      {kCmdLoginButton, L"로그인", L"Login", wxART_GO_FORWARD},
      {kCmdHide, L"창 숨기기", L"Hide", wxART_MINUS},
      {kCmdAppExit, L"앱 종료", L"Exit", wxART_QUIT},
      {kCmdAbout, L"프로그램 정보", L"About", wxART_INFORMATION},
      {kCmdSave, L"저장하기", L"Save", wxART_FILE_SAVE},
      {kCmdSaveAll, L"전체 저장", L"Save All", wxART_FILE_SAVE_AS},
      {kCmdRefresh, L"새로고침", L"Refresh", wxART_REDO},
      {kCmdUserMode, L"USER", L"USER", wxART_TIP},
      {kCmdAdminMode, L"ADMIN", L"ADMIN", wxART_TIP},
      {kCmdStatusBarCheck, L"상태 표시줄", L"Status Bar", wxART_TICK_MARK},
  };
  return texts;
}

const CommandText* FindCommand(int id) {
  for (const auto& text : CommandTexts()) {
    if (text.id == id) return &text;
  }
  return nullptr;
}

wxBitmap CommandBitmap(int id, int size) {
  const CommandText* text = FindCommand(id);
  return wxArtProvider::GetBitmap(text != nullptr ? text->art : wxART_MISSING_IMAGE, wxART_TOOLBAR,
                                  wxSize(size, size));
}

int TitleColumn(int koreanColumn, int englishColumn, int language) {
  switch (language) {
    case orv::host::kLangKorean:
      return koreanColumn;
    case orv::host::kLangChinese:
      return englishColumn + 1;
    case orv::host::kLangJapanese:
      return englishColumn + 2;
    case orv::host::kLangVietnamese:
      return englishColumn + 3;
    case orv::host::kLangThai:
      return englishColumn + 4;
    default:
      return englishColumn;
  }
}

std::wstring Column(sqlite3_stmt* stmt, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
  return text != nullptr ? orv::host::Utf8ToWide(text) : std::wstring();
}

wxColour FromColorRef(COLORREF c) { return wxColour(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

std::wstring LowerText(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

bool IsAdministrator() { return geteuid() == 0; }

}  // namespace

std::wstring RibbonCommandCaption(int id, int language) {
  const CommandText* text = FindCommand(id);
  if (text == nullptr) return L"";
  return language == orv::host::kLangKorean ? text->korean : text->english;
}

const std::vector<ComboItem>& PlacementComboItems() {
  static const std::vector<ComboItem> items = {{L"*화면배치*", 0},     {L"1.위쪽 배치", 3},
                                               {L"2.아래쪽 배치", 4},  {L"3.왼쪽 배치", 1},
                                               {L"4.오른쪽 배치", 2},  {L"5.좌 상단 배치", 5},
                                               {L"6.우 상단 배치", 6}, {L"7.좌 하단 배치", 7},
                                               {L"8.우 하단 배치", 8}, {L"9.전체화면", 9}};
  return items;
}

const std::vector<ComboItem>& LanguageComboItems() {
  static const std::vector<ComboItem> items = {{L"KOR", 2},  {L"ENG", 1}, {L"VTN", 5},
                                               {L"THAI", 6}, {L"CHN", 3}, {L"JPN", 4}};
  return items;
}

const std::vector<ComboItem>& ShutdownComboItems() {
  static const std::vector<ComboItem> items = {{L"*끄지 않음*", 0},
                                               {L"PM 12시(정오)에 OFF", 1200},
                                               {L"PM 3:40분에 OFF", 1540},
                                               {L"PM 4:40분에 OFF", 1640},
                                               {L"PM 5:40분에 OFF", 1740}};
  return items;
}

const std::vector<ComboItem>& SaverComboItems() {
  static const std::vector<ComboItem> items = {{L"사용안함", 0},
                                               {L"30초 자리비움시", 30000},
                                               {L"1분 자리비움시", 60000},
                                               {L"3분 자리비움시", 180000},
                                               {L"5분 자리비움시", 300000},
                                               {L"7분 자리비움시", 420000},
                                               {L"10분 자리비움시", 600000}};
  return items;
}

const std::vector<int>& BackstageCommands() {
  static const std::vector<int> ids = {kCmdLogin,        kCmdLogout,
                                       kCmdMyInfo,       kCmdBackstageSeparator,
                                       kCmdCheckUpdates, kCmdBackstageSeparator,
                                       kCmdSettings,     kCmdBackstageSeparator,
                                       kCmdAbout1,       kCmdAbout2,
                                       kCmdAbout,        kCmdBackstageSeparator,
                                       kCmdHide,         kCmdAppExit};
  return ids;
}

namespace {

// A combo filled with (text, value) items whose item equal to current is selected.
wxChoice* MakeCombo(wxWindow* parent, int id, const std::vector<ComboItem>& items, long current,
                    int width) {
  auto* combo = new wxChoice(parent, id, wxDefaultPosition, wxSize(width, -1));
  for (const auto& item : items) {
    const int n = combo->Append(wxString(item.text));
    combo->SetClientData(n, reinterpret_cast<void*>(static_cast<intptr_t>(item.data)));
    if (item.data == current) combo->SetSelection(n);
  }
  if (combo->GetSelection() == wxNOT_FOUND && !items.empty()) combo->SetSelection(0);
  return combo;
}

long ComboData(wxChoice* combo) {
  const int n = combo->GetSelection();
  return n == wxNOT_FOUND ? 0
                          : static_cast<long>(reinterpret_cast<intptr_t>(combo->GetClientData(n)));
}

}  // namespace

CMainRibbon::CMainRibbon(IRibbonFrame& frame, wxWindow* parent)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxBORDER_NONE,
              "MainRibbon"),
      frame_(frame) {
  const app_run_setting_s& rs = frame_.App().RunSettings();
  themeId_ = rs.dwRibbonStyle != 0 ? static_cast<int>(rs.dwRibbonStyle) : kDefaultThemeId;
  runner_ = [this](const std::wstring& command, bool) {
    frame_.ShowWaitPopup(L"잠시만 기다려주세요",
                         L"잠시만 기다려주세요.\r\n작업이 완료되기를 기다리는 중입니다.\r\n"
                         L"--------------------------\r\nPlease wait until work is ended.");
    wxExecute(wxString(command), wxEXEC_SYNC);
    frame_.HideWaitPopup();
  };
}

CMainRibbon::~CMainRibbon() = default;

int CMainRibbon::Scaled(int value) const {
  return static_cast<int>(std::lround(value * frame_.App().RunSettings().dScale));
}

int CMainRibbon::Language() const { return frame_.App().RunSettings().nLanguageCode; }

void CMainRibbon::SendCommand(int id, int checked, long data) {
  wxCommandEvent event(wxEVT_MENU, id);
  event.SetInt(checked);
  event.SetExtraLong(data);
  event.SetEventObject(this);
  frame_.FrameWindow().GetEventHandler()->ProcessEvent(event);
}

int CMainRibbon::CreateRibbonBar(int fontPoints, int dpiY) {
  if (ribbon_ != nullptr) return 1;
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  BuildTopStrip();
  sizer->Add(strip_, 0, wxEXPAND);
  ribbon_ =
      new wxRibbonBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                      wxRIBBON_BAR_FLOW_HORIZONTAL | wxRIBBON_BAR_SHOW_PAGE_LABELS |
                          wxRIBBON_BAR_SHOW_PANEL_EXT_BUTTONS | wxRIBBON_BAR_SHOW_TOGGLE_BUTTON);
  ribbon_->SetName("The Ribbon");
  if (fontPoints >= 1) {
    wxFont font = ribbon_->GetFont();
    font.SetPixelSize(wxSize(0, fontPoints * (dpiY > 0 ? dpiY : 96) / 72));
    ribbon_->SetFont(font);
  }
  sizer->Add(ribbon_, 0, wxEXPAND);
  SetSizer(sizer);
  ribbon_->Bind(wxEVT_RIBBONBAR_PAGE_CHANGED, &CMainRibbon::OnPageChanged, this);
  ribbon_->Bind(wxEVT_RIBBONGALLERY_SELECTED, &CMainRibbon::OnGallerySelected, this);
  ribbon_->Bind(wxEVT_RIBBONGALLERY_HOVER_CHANGED, &CMainRibbon::OnGalleryHover, this);
  ribbon_->Bind(wxEVT_RIBBONBUTTONBAR_CLICKED, [this](wxRibbonButtonBarEvent& event) {
    wxRibbonButtonBar* bar = event.GetBar();
    const int id = event.GetId();
    const bool checked = bar != nullptr && (bar->GetItemById(id) != nullptr) &&
                         (bar->GetButtonCount() > 0) && event.IsChecked();
    SendCommand(id, checked ? 1 : 0);
  });
  ribbon_->Bind(wxEVT_CHOICE, [this](wxCommandEvent& event) {
    SendCommand(event.GetId(), 0, ComboData(static_cast<wxChoice*>(event.GetEventObject())));
  });
  CreateBackstage();
  return 1;
}

void CMainRibbon::BuildTopStrip() {
  const app_run_setting_s& rs = frame_.App().RunSettings();
  strip_ =
      new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE, "RibbonStrip");
  strip_->SetBackgroundColour(kStripColour);
  auto* row = new wxBoxSizer(wxHORIZONTAL);

  // The file button: the product title, else the application name, else "&File".
  wxString caption =
      rs.szProductTitle[0] != L'\0' ? wxString(rs.szProductTitle) : wxString("Orvella");
  if (caption.empty())
    caption = rs.szAppName[0] != L'\0' ? wxString(rs.szAppName) : wxString("&File");
  fileButton_ = new wxButton(strip_, kCmdFileButton, caption + wxString::FromUTF8(" ▾"),
                             wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT | wxBORDER_NONE);
  fileButton_->SetBackgroundColour(wxColour(0x2B, 0x57, 0x9A));
  fileButton_->SetForegroundColour(*wxWHITE);
  fileButton_->SetFont(fileButton_->GetFont().Bold());
  fileButton_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnFileButton(); });
  row->Add(fileButton_, 0, wxEXPAND | wxRIGHT, Scaled(6));

  auto addButton = [this, row](int id, int flags = wxLEFT) {
    // Window ids stop at 32767; the command id travels in the event instead.
    auto* button = new wxBitmapButton(strip_, wxID_ANY, CommandBitmap(id, 16), wxDefaultPosition,
                                      wxDefaultSize, wxBORDER_NONE);
    button->SetBackgroundColour(kStripColour);
    button->SetToolTip(wxString(RibbonCommandCaption(id, Language())));
    button->Bind(wxEVT_BUTTON, [this, id](wxCommandEvent&) { SendCommand(id); });
    row->Add(button, 0, wxALIGN_CENTER_VERTICAL | flags, Scaled(2));
    tabRowControls_.emplace_back(id, button);
  };
  // The quick-access commands.
  if ((rs.dwUiFlags & 1u) != 0) {
    for (int id : {kCmdSave, kCmdSaveAll, kCmdRefresh}) addButton(id);
  }
  row->AddStretchSpacer(1);

  const int modeId = IsAdministrator() ? kCmdAdminMode : kCmdUserMode;
  auto* mode = new wxButton(strip_, modeId, wxString(RibbonCommandCaption(modeId, Language())),
                            wxDefaultPosition, wxSize(Scaled(72), -1), wxBORDER_NONE);
  mode->SetBackgroundColour(kStripColour);
  mode->SetForegroundColour(wxColour(0xF0, 0xE6, 0xDC));
  mode->Bind(wxEVT_BUTTON, [this, modeId](wxCommandEvent&) { SendCommand(modeId); });
  row->Add(mode, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, Scaled(4));
  tabRowControls_.emplace_back(modeId, mode);

  auto addLabel = [this, row](const wchar_t* text) {
    auto* label = new wxStaticText(strip_, wxID_ANY, wxString(text));
    label->SetForegroundColour(wxColour(0xF0, 0xE6, 0xDC));
    row->Add(label, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, Scaled(8));
  };
  addLabel(L"창");
  wxChoice* placement =
      MakeCombo(strip_, kCmdPlacementCombo, PlacementComboItems(), 0, Scaled(120));
  placement->SetToolTip(wxString(L"창의 배치 위치"));
  placement->Bind(wxEVT_CHOICE, [this, placement](wxCommandEvent&) {
    const long position = ComboData(placement);
    PlaceWindow(static_cast<int>(position));
    SendCommand(kCmdPlacementCombo, 0, position);
  });
  row->Add(placement, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, Scaled(4));
  tabRowControls_.emplace_back(kCmdPlacementCombo, placement);

  addLabel(L"Language");
  wxChoice* language =
      MakeCombo(strip_, kCmdLanguageCombo, LanguageComboItems(), Language(), Scaled(88));
  language->SetToolTip("Language");
  language->Bind(wxEVT_CHOICE, [this, language](wxCommandEvent&) {
    const int code = static_cast<int>(ComboData(language));
    frame_.App().RunSettings().nLanguageCode = code;
    orv::win::WriteProfileInt(kSettingsSection, "APP-LanguageCode", code);
    RefreshMenuTitles(code);
    SendCommand(kCmdLanguageCombo, 0, code);
  });
  row->Add(language, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, Scaled(4));
  tabRowControls_.emplace_back(kCmdLanguageCombo, language);

  for (int id : {kCmdHelp1, kCmdAbout1, kCmdAbout2, kCmdSettings}) addButton(id, wxLEFT);
  addButton(kCmdRibbonMinimise, wxLEFT | wxRIGHT);
  addButton(kCmdRibbonExpand, wxLEFT | wxRIGHT);
  // The collapse and expand buttons act on the ribbon here; the frame hears them too.
  for (int id : {kCmdRibbonMinimise, kCmdRibbonExpand}) {
    GetTabRowControl(id)->Bind(wxEVT_BUTTON, [this, id](wxCommandEvent& event) {
      MinimizeRibbon(id == kCmdRibbonMinimise);
      event.Skip();
    });
  }
  GetTabRowControl(kCmdRibbonExpand)->Hide();
  strip_->SetSizer(row);
}

wxWindow* CMainRibbon::GetTabRowControl(int id) const {
  for (const auto& [controlId, window] : tabRowControls_) {
    if (controlId == id) return window;
  }
  return nullptr;
}

void CMainRibbon::MinimizeRibbon(bool minimise) {
  if (ribbon_ == nullptr) return;
  ribbon_->ShowPanels(!minimise);
  if (wxWindow* collapse = GetTabRowControl(kCmdRibbonMinimise)) collapse->Show(!minimise);
  if (wxWindow* expand = GetTabRowControl(kCmdRibbonExpand)) expand->Show(minimise);
  strip_->Layout();
  Layout();
  frame_.ResizeRibbonPane(GetBestSize());
}

void CMainRibbon::FillFileMenu(const std::vector<int>& commands) {
  fileMenu_ = std::make_unique<wxMenu>();
  fileMenuIds_.clear();
  for (int id : commands) {
    if (id == kCmdBackstageSeparator) {
      fileMenu_->AppendSeparator();
      continue;
    }
    // Menu item ids stop at 32767; larger command ids get an item id of their own.
    const int itemId = id < 0x7FFF ? id : wxWindow::NewControlId();
    fileMenu_->Append(itemId, wxString(RibbonCommandCaption(id, Language())));
    fileMenuIds_.emplace_back(itemId, id);
  }
}

void CMainRibbon::CreateBackstage() {
  FillFileMenu(BackstageCommands());
  backstage_ = true;
}

void CMainRibbon::CreateSystemMenu() {
  FillFileMenu({kCmdLogin, kCmdLogout, kCmdBackstageSeparator, kCmdAppExit});
  backstage_ = false;
}

std::vector<int> CMainRibbon::GetFileMenuCommands() const {
  std::vector<int> commands;
  if (!fileMenu_) return commands;
  for (wxMenuItem* item : fileMenu_->GetMenuItems()) {
    if (item->IsSeparator()) {
      commands.push_back(kCmdBackstageSeparator);
      continue;
    }
    for (const auto& [itemId, command] : fileMenuIds_) {
      if (itemId == item->GetId()) commands.push_back(command);
    }
  }
  return commands;
}

void CMainRibbon::OnFileButton() {
  if (!fileMenu_) return;
  const int id = GetPopupMenuSelectionFromUser(
      *fileMenu_, fileButton_->GetPosition() + wxPoint(0, fileButton_->GetSize().y));
  for (const auto& [itemId, command] : fileMenuIds_) {
    if (itemId == id) SendCommand(command);
  }
}

void CMainRibbon::AddLoginGroup(wxRibbonPage* page) {
  auto* panel =
      new wxRibbonPanel(page, wxID_ANY, wxString(L"로그인"), wxNullBitmap, wxDefaultPosition,
                        wxDefaultSize, wxRIBBON_PANEL_NO_AUTO_MINIMISE);
  loginBar_ = new wxRibbonButtonBar(panel);
  loginBar_->AddButton(kCmdLoginButton, wxString(RibbonCommandCaption(kCmdLoginButton, Language())),
                       CommandBitmap(kCmdLoginButton, 32));
  loginPage_ = page;
}

void CMainRibbon::SetLoginState(bool loggedIn) {
  if (loginBar_ == nullptr) return;
  loginBar_->SetButtonText(kCmdLoginButton, wxString(RibbonCommandCaption(
                                                loggedIn ? kCmdLogout : kCmdLogin, Language())));
  // The new caption may be wider: the page sizes its panels again so the button grows with it.
  loginBar_->Realize();
  if (loginPage_ != nullptr) {
    loginPage_->Realize();
    loginPage_->Layout();
  }
}

CMainRibbon::ModuleTab& CMainRibbon::AddModuleTab(const orv::host::MenuGroup& group, bool testTab) {
  ModuleTab tab;
  tab.groupNumber = group.number;
  tab.testTab = testTab;
  if (testTab) {
    tab.itemWidth = Scaled(kTestItemWidth);
    tab.itemHeight = Scaled(kGalleryHeight);
    tab.imageWidth = kGalleryHeight;
    tab.imageHeight = kGalleryHeight;
  } else {
    tab.itemWidth = Scaled(group.itemWidth);
    tab.itemHeight = Scaled(group.itemHeight);
    tab.imageWidth = group.itemWidth;
    tab.imageHeight = group.itemHeight;
  }
  tab.page = new wxRibbonPage(ribbon_, wxID_ANY, wxString(group.title));
  tab.page->SetClientObject(nullptr);
  const bool firstTab = loginPage_ == nullptr;
  if (firstTab) AddLoginGroup(tab.page);
  tab.panel =
      new wxRibbonPanel(tab.page, wxID_ANY, wxString(group.title), wxNullBitmap, wxDefaultPosition,
                        wxDefaultSize, wxRIBBON_PANEL_NO_AUTO_MINIMISE | wxRIBBON_PANEL_STRETCH);
  tab.gallery = new wxRibbonGallery(tab.panel, kCmdFirstGallery + static_cast<int>(group.number));
  tab.keys = group.keys;
  moduleTabs_.push_back(std::move(tab));
  return moduleTabs_.back();
}

void CMainRibbon::LoadItemIcon(const ModuleTab& tab, const MenuModule& module) {
  ItemLook& look = looks_[module.key];
  look.title = module.title;
  look.description = module.description;
  look.icon.reset();
  std::error_code ec;
  if (module.iconPath.empty() || !fs::is_regular_file(fs::path(module.iconPath), ec)) return;
  wxImage image;
  {
    wxLogNull quiet;
    if (!image.LoadFile(wxString(module.iconPath), wxBITMAP_TYPE_ANY) || !image.IsOk()) return;
  }
  const std::wstring ext = LowerText(fs::path(module.iconPath).extension().wstring());
  const wxColour background = FromColorRef(module.iconBackground);
  if (ext == L".gif" || ext == L".jpg" || ext == L".jpeg" || ext == L".tga") {
    // Centred on a canvas of the group's image size, the margin in the background colour.
    wxImage canvas(tab.imageWidth, tab.imageHeight);
    canvas.SetRGB(wxRect(0, 0, tab.imageWidth, tab.imageHeight), background.Red(),
                  background.Green(), background.Blue());
    canvas.Paste(image, (tab.imageWidth - image.GetWidth()) / 2,
                 (tab.imageHeight - image.GetHeight()) / 2);
    canvas.SetMaskColour(background.Red(), background.Green(), background.Blue());
    image = canvas;
  } else if (ext == L".bmp") {
    image.SetMaskColour(background.Red(), background.Green(), background.Blue());
  }
  look.icon = std::make_unique<wxBitmap>(image);
}

wxBitmap CMainRibbon::ItemBitmap(const ModuleTab& tab, uint32_t key) const {
  // The gallery shows bitmaps only: each item draws its icon above its caption.
  wxBitmap bitmap(tab.itemWidth, tab.itemHeight, 32);
  bitmap.UseAlpha();
  wxMemoryDC dc(bitmap);
  dc.SetBackground(wxBrush(wxColour(0xF7, 0xF9, 0xFC)));
  dc.Clear();
  const auto it = looks_.find(key);
  const std::wstring title = it != looks_.end() ? it->second.title : std::wstring();
  dc.SetFont(GetFont());
  const int textHeight = dc.GetCharHeight();
  if (it != looks_.end() && it->second.icon && it->second.icon->IsOk()) {
    const int room = std::max(8, tab.itemHeight - textHeight - 6);
    wxImage icon = it->second.icon->ConvertToImage();
    if (icon.GetHeight() > room || icon.GetWidth() > tab.itemWidth) {
      const double f = std::min(room / static_cast<double>(icon.GetHeight()),
                                tab.itemWidth / static_cast<double>(icon.GetWidth()));
      icon.Rescale(std::max(1, static_cast<int>(icon.GetWidth() * f)),
                   std::max(1, static_cast<int>(icon.GetHeight() * f)), wxIMAGE_QUALITY_HIGH);
    }
    dc.DrawBitmap(wxBitmap(icon), (tab.itemWidth - icon.GetWidth()) / 2, 3, true);
  }
  const wxString caption =
      wxControl::Ellipsize(wxString(title), dc, wxELLIPSIZE_END, tab.itemWidth - 4);
  dc.SetTextForeground(wxColour(0x20, 0x24, 0x30));
  const wxSize extent = dc.GetTextExtent(caption);
  dc.DrawText(caption, (tab.itemWidth - extent.x) / 2, tab.itemHeight - extent.y - 3);
  dc.SelectObject(wxNullBitmap);
  return bitmap;
}

void CMainRibbon::FillGallery(ModuleTab& tab) {
  tab.gallery->Clear();
  for (uint32_t key : tab.keys) {
    tab.gallery->Append(ItemBitmap(tab, key), static_cast<int>(key),
                        reinterpret_cast<void*>(static_cast<uintptr_t>(key)));
  }
  for (unsigned int i = 0; i < tab.gallery->GetCount(); ++i) {
    wxRibbonGalleryItem* item = tab.gallery->GetItem(i);
    if (tab.gallery->GetItemClientData(item) ==
        reinterpret_cast<void*>(static_cast<uintptr_t>(tab.selectedKey))) {
      tab.gallery->SetSelection(item);
    }
  }
  tab.gallery->Realize();
}

int CMainRibbon::LoadModuleMenus(sqlite3* db, const std::wstring& settingsPath) {
  if (ribbon_ == nullptr) CreateRibbonBar(10, frame_.App().RunSettings().nLogPixelsY);
  CVarqoMainApp& app = frame_.App();
  orv::host::MenuPaths paths;
  paths.moduleFolder =
      wxString::FromUTF8(orv::host::WithSlash(app.Folders().moduleFolder)).ToStdWstring();
  paths.settingsPath = settingsPath;
  std::vector<orv::host::MenuGroup> groups;
  CSplashScreenEx* splash = frame_.GetSplash();
  const int read =
      orv::host::LoadModuleMenus(db, app.RunSettings().nAppNo, Language(), paths, modules_, &groups,
                                 [splash](const std::wstring& text) {
                                   if (splash != nullptr) splash->AddText(text);
                                 });
  if (read == 0) return 0;
  for (const auto& group : groups) {
    ModuleTab& tab = AddModuleTab(group, false);
    for (uint32_t key : tab.keys) {
      if (const MenuModule* module = modules_.Find(key)) LoadItemIcon(tab, *module);
    }
    if (!tab.keys.empty()) {
      tab.panel->SetLabel(wxString(modules_.Find(tab.keys.front())->title));
      if (currentKey_ == 0) {
        currentKey_ = tab.keys.front();
        currentModule_ = modules_.Find(currentKey_);
        currentTab_ = static_cast<int>(moduleTabs_.size()) - 1;
      }
      tab.selectedKey = tab.keys.front();
    }
    FillGallery(tab);
  }
  ribbon_->Realize();
  return 1;
}

int CMainRibbon::LoadTestModuleMenu(const std::wstring& tabTitle, const std::wstring& folder,
                                    const std::wstring& titles, const std::wstring& names) {
  if (ribbon_ == nullptr) CreateRibbonBar(10, frame_.App().RunSettings().nLogPixelsY);
  const std::wstring programFolder =
      wxString::FromUTF8(orv::host::WithSlash(frame_.App().Folders().exeFolder)).ToStdWstring();
  orv::host::MenuGroup group;
  const int added = orv::host::LoadTestModuleMenu(tabTitle, folder, titles, names, programFolder,
                                                  modules_, &group);
  ModuleTab& tab = AddModuleTab(group, true);
  tab.page->SetClientObject(new wxStringClientData(wxString::Format("%u", kTestTabData)));
  for (uint32_t key : tab.keys) {
    if (const MenuModule* module = modules_.Find(key)) LoadItemIcon(tab, *module);
  }
  if (!tab.keys.empty()) {
    tab.selectedKey = tab.keys.front();
    if (currentKey_ == 0) {
      currentKey_ = tab.keys.front();
      currentModule_ = modules_.Find(currentKey_);
      currentTab_ = static_cast<int>(moduleTabs_.size()) - 1;
    }
  }
  FillGallery(tab);
  ribbon_->Realize();
  return added;
}

int CMainRibbon::AddSettingsTab() {
  const app_run_setting_s& rs = frame_.App().RunSettings();
  if (rs.byShowConfigTab == 0 || ribbon_ == nullptr || settingsPage_ != nullptr) return 0;
  const int language = Language();
  CVarqoMainApp& app = frame_.App();
  auto uiText = [&](const wchar_t* key, const wchar_t* english, const wchar_t* korean) {
    wchar_t buffer[orv::host::kUiTextBufferChars] = {};
    if (orv::host::GetUiText(app.CatalogueDb(), rs.nCompanyNo, key, english, korean, language,
                             language, buffer, orv::host::kUiTextBufferChars) == 1) {
      return wxString(buffer);
    }
    return wxString(language == orv::host::kLangKorean ? korean : english);
  };
  const wxString caption = uiText(L"설정/Settings", L"Settings(설정)", L"설정/Settings");
  settingsPage_ = new wxRibbonPage(ribbon_, wxID_ANY, caption);

  auto addButtons = [&](wxRibbonPanel* panel, std::initializer_list<int> ids, bool toggles) {
    auto* bar = new wxRibbonButtonBar(panel);
    for (int id : ids) {
      const wxString text(RibbonCommandCaption(id, language));
      if (toggles) {
        bar->AddToggleButton(id, text, CommandBitmap(id, 32), text);
      } else {
        bar->AddButton(id, text, CommandBitmap(id, 32), text);
      }
    }
    return bar;
  };
  auto* first = new wxRibbonPanel(settingsPage_, wxID_ANY, caption);
  if ((rs.dwOptionFlags & 0x40000u) != 0) {
    addButtons(first, {kCmdMyInfo, kCmdAccounts, kCmdCheckUpdates, kCmdAdvanced}, false);
  } else {
    addButtons(first, {kCmdMyInfo, kCmdAccounts, kCmdCheckUpdates}, false);
  }

  // One check per docking pane of the frame, then the status bar.
  auto* view = new wxRibbonPanel(settingsPage_, wxID_ANY, uiText(L"view", L"View", L"보기"));
  auto* viewBar = new wxRibbonButtonBar(view);
  int n = 0;
  for (const auto& pane : DockingPaneTable()) {
    if (n >= kMaxViewChecks) break;
    const int id = kPaneViewCheckIds[n];
    const wxString text = wxString::FromUTF8(pane.caption);
    viewBar->AddToggleButton(id, text, CommandBitmap(kCmdStatusBarCheck, 32), text);
    viewBar->ToggleButton(id, (rs.dwViewMask & (1u << n)) != 0);
    ++n;
  }
  const wxString statusText(RibbonCommandCaption(kCmdStatusBarCheck, language));
  viewBar->AddToggleButton(kCmdStatusBarCheck, statusText, CommandBitmap(kCmdStatusBarCheck, 32),
                           statusText);
  viewBar->ToggleButton(kCmdStatusBarCheck, true);

  auto* pc =
      new wxRibbonPanel(settingsPage_, wxID_ANY, uiText(L"pc.option", L"PC Options", L"PC 옵션"));
  auto* pcSizer = new wxBoxSizer(wxHORIZONTAL);
  wxRibbonButtonBar* pcBar = addButtons(pc, {kSwNoSleep, kSwConsole, kSwCustomSaver}, true);
  pcBar->AddButton(kSwSaverTest, wxString(RibbonCommandCaption(kSwSaverTest, language)),
                   CommandBitmap(kSwSaverTest, 32));
  pcBar->ToggleButton(kSwNoSleep, rs.byHibernateOff != 0);
  pcBar->ToggleButton(kSwConsole, rs.byConsoleOn != 0);
  pcBar->ToggleButton(kSwCustomSaver, rs.byCustomSaverOn != 0);
  pcSizer->Add(pcBar, 0, wxALIGN_CENTER_VERTICAL);
  auto* combos = new wxFlexGridSizer(2, 2, 2, 4);
  combos->Add(new wxStaticText(pc, wxID_ANY, wxString(L"PC 끄기")), 0, wxALIGN_CENTER_VERTICAL);
  wxChoice* shutdown = MakeCombo(pc, kCmdShutdownCombo, ShutdownComboItems(),
                                 frame_.App().m_nShutdownPcOn, Scaled(160));
  shutdown->SetToolTip(wxString(L"컴퓨터 종료시간을 설정합니다"));
  combos->Add(shutdown);
  combos->Add(new wxStaticText(pc, wxID_ANY, wxString(L"화면보호기 동작")), 0,
              wxALIGN_CENTER_VERTICAL);
  wxChoice* saver = MakeCombo(pc, kCmdSaverCombo, SaverComboItems(),
                              static_cast<long>(rs.dwSaverIdleMs), Scaled(170));
  saver->SetToolTip(wxString(L"화면보호기 동작 시간을 설정합니다"));
  combos->Add(saver);
  pcSizer->Add(combos, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, Scaled(6));
  pc->SetSizer(pcSizer);

  auto* options =
      new wxRibbonPanel(settingsPage_, wxID_ANY, uiText(L"option", L"Options", L"옵션"));
  wxRibbonButtonBar* optionBar = addButtons(
      options, {kSwBetaMode, kSwSingleInstance, kSwHideOnExit, kSwHideOnStart, kSwMinMenu}, true);
  optionBar->ToggleButton(kSwSingleInstance, (rs.dwAppFlags & 0x20u) != 0);
  optionBar->ToggleButton(kSwHideOnExit, rs.byHideOnExit != 0);
  optionBar->ToggleButton(kSwHideOnStart, rs.byHideOnStart != 0);
  optionBar->ToggleButton(kSwMinMenu, rs.byMinMenuOnStart != 0);

  auto* menus = new wxRibbonPanel(settingsPage_, wxID_ANY,
                                  uiText(L"menu.config", L"MENU CONFIG", L"메뉴 환경설정"));
  addButtons(menus, {kCmdPluginAdd, kCmdLanguages}, false);
  ribbon_->Realize();
  return 1;
}

std::wstring CMainRibbon::GetItemCaption(uint32_t key) const {
  const auto it = looks_.find(key);
  return it != looks_.end() ? it->second.title : std::wstring();
}

int CMainRibbon::GetPageCount() const {
  return ribbon_ != nullptr ? static_cast<int>(ribbon_->GetPageCount()) : 0;
}

std::vector<wxRibbonPage*> CMainRibbon::GetModulePages() const {
  std::vector<wxRibbonPage*> pages;
  for (const auto& tab : moduleTabs_) pages.push_back(tab.page);
  return pages;
}

wxRibbonGallery* CMainRibbon::GetGallery(int moduleTab) const {
  return moduleTab >= 0 && moduleTab < static_cast<int>(moduleTabs_.size())
             ? moduleTabs_[moduleTab].gallery
             : nullptr;
}

std::vector<uint32_t> CMainRibbon::GetGalleryKeys(int moduleTab) const {
  return moduleTab >= 0 && moduleTab < static_cast<int>(moduleTabs_.size())
             ? moduleTabs_[moduleTab].keys
             : std::vector<uint32_t>();
}

std::wstring CMainRibbon::GetGroupCaption(int moduleTab) const {
  return moduleTab >= 0 && moduleTab < static_cast<int>(moduleTabs_.size())
             ? moduleTabs_[moduleTab].panel->GetLabel().ToStdWstring()
             : std::wstring();
}

int CMainRibbon::ModuleTabIndexOfPage(int pageIndex) const {
  if (ribbon_ == nullptr || pageIndex < 0 || pageIndex >= GetPageCount()) return -1;
  wxRibbonPage* page = ribbon_->GetPage(pageIndex);
  for (size_t i = 0; i < moduleTabs_.size(); ++i) {
    if (moduleTabs_[i].page == page) return static_cast<int>(i);
  }
  return -1;
}

int CMainRibbon::RefreshMenuTitles(int language) {
  if (view_ != nullptr) view_->RetitleModuleTabs(view_->GetCurrentEntry(), language);
  sqlite3* db = frame_.App().CatalogueDb();
  const app_run_setting_s& rs = frame_.App().RunSettings();
  if (db == nullptr || ribbon_ == nullptr) return 0;
  static const char kGroups[] =
      "SELECT group_idx,group_title,title_eng,title_chn,title_jpn,title_vtn,title_tai,"
      "group_desc,child_cnt  FROM APP_MENU_GROUP where app_idx=? and project_idx=? and "
      "is_valid=1 order by group_pos limit 30";
  static const char kModules[] =
      "SELECT menu_idx,menu_title,tab_titles,title_eng,title_chn,title_jpn,title_vtn,title_tai,"
      "menu_desc,child_titles,menu_img1,bg_color,menu_pwd FROM APP_MENU_INFO where is_valid=1 "
      "and group_idx=? and app_idx=? order by menu_pos;";
  sqlite3_stmt* groups = nullptr;
  sqlite3_stmt* modules = nullptr;
  if (sqlite3_prepare_v2(db, kGroups, -1, &groups, nullptr) != SQLITE_OK ||
      sqlite3_prepare_v2(db, kModules, -1, &modules, nullptr) != SQLITE_OK) {
    sqlite3_finalize(groups);
    sqlite3_finalize(modules);
    return 0;
  }
  sqlite3_bind_int(groups, 1, rs.nAppNo);
  sqlite3_bind_int(groups, 2, rs.nProjectIdx);
  int retitled = 0;
  size_t t = 0;
  while (sqlite3_step(groups) == SQLITE_ROW) {
    while (t < moduleTabs_.size() && moduleTabs_[t].testTab) ++t;
    if (t >= moduleTabs_.size()) break;
    ModuleTab& tab = moduleTabs_[t++];
    std::wstring title = Column(groups, TitleColumn(1, 2, language));
    if (title.empty()) title = kNotDefined;
    tab.page->SetLabel(wxString(title));
    tab.page->SetToolTip(wxString(title));
    ++retitled;
    sqlite3_reset(modules);
    sqlite3_bind_int(modules, 1, sqlite3_column_int(groups, 0));
    sqlite3_bind_int(modules, 2, rs.nAppNo);
    size_t item = 0;
    while (sqlite3_step(modules) == SQLITE_ROW && item < tab.keys.size()) {
      const uint32_t key = tab.keys[item++];
      std::wstring itemTitle = Column(modules, TitleColumn(1, 3, language));
      std::wstring description = Column(modules, 2);
      if (itemTitle.empty()) {
        itemTitle = kNotDefined;
        description.clear();
      }
      looks_[key].title = itemTitle;
      looks_[key].description = description;
      if (MenuModule* module = modules_.Find(key)) module->title = itemTitle;
    }
    if (!tab.keys.empty()) {
      if (const MenuModule* shown = modules_.Find(tab.selectedKey)) {
        tab.panel->SetLabel(wxString(shown->title));
      }
    }
    FillGallery(tab);
  }
  sqlite3_finalize(groups);
  sqlite3_finalize(modules);
  ribbon_->Realize();
  ribbon_->Refresh();
  return retitled;
}

int CMainRibbon::SelectModule(int tabIndex, uint32_t key, bool useCurrent) {
  uint32_t id = key;
  if (tabIndex != currentTab_ && tabIndex >= 0 && tabIndex < static_cast<int>(moduleTabs_.size())) {
    const ModuleTab& tab = moduleTabs_[tabIndex];
    id = tab.selectedKey != 0 ? tab.selectedKey : (tab.keys.empty() ? 0 : tab.keys.front());
  } else if (useCurrent) {
    id = currentKey_;
  }
  const uint32_t moduleKey = id & ~0xFFu;
  currentKey_ = moduleKey;
  currentModule_ = FindMenuModule(moduleKey);

  int shownTab = -1;
  for (size_t i = 0; i < moduleTabs_.size(); ++i) {
    const auto& keys = moduleTabs_[i].keys;
    if (std::find(keys.begin(), keys.end(), moduleKey) != keys.end()) {
      shownTab = static_cast<int>(i);
      break;
    }
  }
  if (shownTab < 0 && tabIndex >= 0 && tabIndex < static_cast<int>(moduleTabs_.size())) {
    shownTab = tabIndex;
  }
  if (shownTab < 0 && ribbon_ != nullptr) shownTab = ModuleTabIndexOfPage(ribbon_->GetActivePage());
  if (shownTab >= 0) {
    currentTab_ = shownTab;
    ModuleTab& tab = moduleTabs_[shownTab];
    tab.panel->SetLabel(currentModule_ != nullptr ? wxString(currentModule_->title)
                                                  : wxString("Error : "));
    if (currentModule_ != nullptr && moduleKey != 0) {
      tab.selectedKey = moduleKey;
      for (unsigned int i = 0; i < tab.gallery->GetCount(); ++i) {
        wxRibbonGalleryItem* item = tab.gallery->GetItem(i);
        if (tab.gallery->GetItemClientData(item) ==
            reinterpret_cast<void*>(static_cast<uintptr_t>(moduleKey))) {
          tab.gallery->SetSelection(item);
        }
      }
    }
    tab.panel->Refresh();
  }
  if (view_ == nullptr || currentModule_ == nullptr) return 0;
  if (orv::host::IsProgramKind(currentModule_->kind)) {
    if (runner_) {
      runner_(orv::host::ProgramModuleCommand(currentModule_->libraryPath,
                                              currentModule_->paramText, currentModule_->startText,
                                              currentModule_->width, currentModule_->height),
              currentModule_->kind == 2);
    }
    return 0;
  }
  view_->SelectModuleTab(currentModule_, 0, true, Language());
  return 1;
}

void CMainRibbon::OnGallerySelected(wxRibbonGalleryEvent& event) {
  wxRibbonGallery* gallery = event.GetGallery();
  wxRibbonGalleryItem* item = event.GetGalleryItem();
  if (gallery == nullptr || item == nullptr) return;
  const auto key =
      static_cast<uint32_t>(reinterpret_cast<uintptr_t>(gallery->GetItemClientData(item)));
  SelectModule(-1, key, false);
}

void CMainRibbon::OnGalleryHover(wxRibbonGalleryEvent& event) {
  wxRibbonGallery* gallery = event.GetGallery();
  wxRibbonGalleryItem* item = event.GetGalleryItem();
  if (gallery == nullptr) return;
  if (item == nullptr) {
    gallery->UnsetToolTip();
    return;
  }
  const auto key =
      static_cast<uint32_t>(reinterpret_cast<uintptr_t>(gallery->GetItemClientData(item)));
  const auto it = looks_.find(key);
  if (it == looks_.end()) return;
  const std::wstring tip = it->second.description.empty()
                               ? it->second.title
                               : it->second.title + L"\n" + it->second.description;
  gallery->SetToolTip(wxString(tip));
}

void CMainRibbon::OnPageChanged(wxRibbonBarEvent& event) {
  // With "ViewChangeWithTabChanging" set, choosing a module tab shows its chosen module.
  if (frame_.App().m_nViewChangeWithTabChanging == 0) return;
  const int tab = ModuleTabIndexOfPage(ribbon_->GetActivePage());
  if (tab >= 0) SelectModule(tab, 0, false);
  event.Skip();
}

void CMainRibbon::PlaceWindow(int position) {
  if (position <= 0) return;
  const int display = wxDisplay::GetFromWindow(&frame_.FrameWindow());
  const wxRect area =
      wxDisplay(display == wxNOT_FOUND ? 0u : static_cast<unsigned>(display)).GetGeometry();
  RECT target{};
  if (!orv::host::PlacementRect(
          RECT{area.GetLeft(), area.GetTop(), area.GetRight() + 1, area.GetBottom() + 1}, position,
          &target)) {
    return;
  }
  wxFrame& window = frame_.FrameWindow();
  if (window.IsMaximized()) window.Maximize(false);
  window.SetSize(target.left, target.top, target.right - target.left, target.bottom - target.top);
  window.Refresh();
}

int CMainRibbon::SetThemeId(int themeId) {
  if (themeId < kFirstThemeId || themeId > kLastThemeId) return 0;
  themeId_ = themeId;
  frame_.App().RunSettings().dwRibbonStyle = static_cast<uint32_t>(themeId);
  if (ribbon_ != nullptr) ribbon_->Refresh();
  return 1;
}
