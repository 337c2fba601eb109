#include "plugin/community/window/CafeDlg.h"

#include <wx/dialog.h>
#include <wx/filedlg.h>
#include <wx/utils.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/splitter.h>
#include <wx/stattext.h>
#include <wx/timer.h>
#include <wx/webview.h>
#include <wx/wupdlock.h>

#include "platform/support/HttpForm.h"
#include "platform/support/TextConv.h"
#include "platform/ui/ReportGridWindow.h"
#include "platform/ui/WebPage.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "plugin/community/CafeDlgGrids.h"
#include "plugin/community/WebEngine.h"
#include "plugin/community/WebLogin.h"
#include "plugin/community/WebText.h"
#include "plugin/community/window/StockRecDlg.h"
#include "plugin/rows/CafeStockRecord.h"
#include "plugin/view/PelomarLoginEngine.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"

using orv::ui::CtrlKind;

namespace {

constexpr int kWidth = 1180;
constexpr int kHeight = 680;
constexpr int kToolbarHeight = 32;
constexpr int kDefaultPaneWidth = 420;
constexpr int kMinPaneWidth = 120;
constexpr int kNoticeLeft = 350;
constexpr int kNoticeWidth = 400;
constexpr int kNoticeHeight = 20;
const char kSettings[] = "Settings";

constexpr int IDC_PICKER_LABEL = 20001;

constexpr const wchar_t* kNoticeText = L"추천하면, 회원에게 문자가 발송됩니다. ";
constexpr const wchar_t* kAutoBuyOffError =
    L"자동매수 감시 설정된 종목이 없습니다.\n먼저 감시 종목/가격을 설정해 주세요";

struct MenuItem {
  int id;
  const wchar_t* text;
};
const MenuItem kCafeMenu[] = {
    {ID_CAFE_JOIN, L"카페 가입하기"},
    {ID_CAFE_OPEN, L"카페 개설하기(주식 전문가)"},
    {ID_CAFE_ITEMS, L"카페 종목 관리(주식 전문가)"},
    {0, nullptr},
    {ID_CAFE_ADMIN, L"카페 관리 (관리자용)"},
    {ID_CAFE_ADD_CUSTOMERS, L"사용자 추가 (관리자용)"},
    {ID_CAFE_ADD_EMPLOYEES, L"직원 추가 (관리자용)"},
};

RECT Rect(int x, int y, int w, int h) { return RECT{x, y, x + w, y + h}; }

}  // namespace

// ---------------------------------------------------------------------------------------
// The cafe downloads' results

void CCafeDlg::Filler::FillCafeGroups(const CafeSnapshotPtr& snapshot) {
  if (snapshot) m_dialog.m_cafes = snapshot;
  m_dialog.Grids().FillCafeGroups(snapshot);
  m_dialog.FillPicker();
}

void CCafeDlg::Filler::FillCafeRows(const CafeSnapshotPtr& snapshot) {
  if (snapshot) m_dialog.m_cafes = snapshot;
  m_dialog.Grids().FillCafeRows(snapshot);
  // The composer's profit check takes the cafe's recommended stocks.
  m_dialog.UpdateComposerCafe();
}

void CCafeDlg::Filler::SetCafeManagerFlags(int managerFlag, bool chiefManager) {
  m_dialog.SetComposerFlags(managerFlag, chiefManager);
}

// ---------------------------------------------------------------------------------------
// Making the window

namespace {

// The composer as the cafe grid's handlers use it: a row's recommendation goes to the composer
// page, and a row's messenger text is composed with the row's values.
class CCafeRecComposer final : public ICafeRecComposer {
 public:
  explicit CCafeRecComposer(CStockRecDlg& composer) : m_composer(composer) {}

  int SetRecommendItem(const CafeStockInfo_s& stock, int kind, double recPrice, double,
                       double targetPrice, double stopPrice) override {
    return m_composer.SetRecommendItem(stock.market, stock.code, kind, recPrice, targetPrice,
                                       stopPrice) == 1
               ? 1
               : -1;
  }

  int ComposeCafeMessages(const CafeMessengerRequest_s& request, std::wstring* reason) override {
    if (!request.stock) return 0;
    RecCafeComposeInput_s in;
    in.stock.found = true;
    in.stock.market = request.stock->market;
    in.stock.nation = request.stock->nation;
    in.stock.code = request.stock->code;
    in.stock.name = request.stock->name;
    in.stock.curPrice = request.stock->curPrice;
    in.kind = request.kind;
    // The row's recommended price stands for both the price and the recommended price, its
    // prices for the band's ends, its rates and counts for the rest.
    in.price = request.recPrice;
    in.recommended = request.buyPrice;
    in.bandRate = 0;
    in.targetPrice = request.lowestTakeProfitPrice;
    in.stopPrice = request.stopLossPrice;
    in.takeProfitRate = request.takeProfitRate1;
    in.lossCutRate = request.firstCafeValue;
    in.investDays = request.elapsed1;
    in.investRate = request.secondCafeValue;
    in.sellRate = static_cast<int>(request.weight);
    in.freeFlag = 1;
    in.comment = request.buyReason;
    RecComposed_s out;
    const int result = m_composer.ComposeCafeMessages(std::move(in), true, &out);
    if (result == 1 && reason) *reason = out.comment;
    return result == 1 ? 1 : 0;
  }

 private:
  CStockRecDlg& m_composer;
};

}  // namespace

CCafeDlg::CCafeDlg(CPelomarView& view)
    : m_view(view),
      m_gridHost(MakeCafeDlgGridHost(*this)),
      m_gridActions(std::make_unique<CCafeGridActions>(*m_gridHost)) {}

CCafeDlg::~CCafeDlg() {
  *m_alive = false;
  Grids().InterestGrid().SetNotifyHandler(nullptr);
  SetRecComposer(nullptr);
  m_recComposer.reset();
  // The composer's page leaves its tabs before the composer destroys it (a page the tabs
  // still list would be deleted twice). A page already gone went with its tabs.
  if (m_composer && m_composer->GetPage()) {
    const int page = m_composerTabs->FindPage(m_composer->GetPage());
    if (page != wxNOT_FOUND) m_composerTabs->RemovePage(static_cast<size_t>(page));
  }
  m_composer.reset();
  if (m_waitTimer) m_waitTimer->Stop();
  if (m_portal) m_portal->Stop();
}

bool CCafeDlg::CreateFromTemplate(int, wxWindow* parent) {
  m_parent = parent;
  if (!Create(parent, L"추천종목 관리 + 분할매수", kWidth, kHeight)) return false;
  Grids().SetScreenScale(m_view.Scale());
  BuildToolbar();
  BuildPanes();
  BindHandlers();
  SetDialogFont(L"굴림", 9);
  // The window starts with no cafe and no managers, then shows what the view holds already.
  m_selection.Clear();
  const login_info_s* login = m_view.LoginInfo();
  if (const CafeSnapshotPtr snapshot = Snapshot())
    Grids().FillCafeGroups(*snapshot->cafes, login ? login->nApprovedCafeIdx : 0);
  FillPicker();
  SetComposerFlags(m_selection.ManagerFlag(), m_selection.ChiefManagerFlag());
  UpdateComposerCafe();
  LoadLayout();
  LayoutPanes(false);
  return true;
}

void CCafeDlg::BuildToolbar() {
  int x = 4;
  // The toolbar shows the cafe picker, the reload button and the cafe menu; its other
  // controls (check toggle, times, state, page list, search box, auto-buy and save) stay
  // hidden, so they are not made: their commands run through RunCommand.
  auto add = [&](int id, CtrlKind kind, const wchar_t* text, int width) {
    const int top = kind == CtrlKind::Static ? 8 : 3;
    AddControl(id, kind, text, Rect(x, top, width, kToolbarHeight - 6 - (top - 3)));
    x += width + 4;
  };
  add(IDC_PICKER_LABEL, CtrlKind::Static, L"카페", 34);
  add(IDC_CAFE_PICKER, CtrlKind::ComboList, L"", 300);
  add(IDC_RELOAD, CtrlKind::Button, L"새로고침", 80);
  add(IDC_CAFE_MENU, CtrlKind::Button, L"카페 메뉴", 90);
  if (wxWindow* picker = GetDlgItem(IDC_CAFE_PICKER))
    picker->SetToolTip(L"가입할 카페를 선택합니다");
  if (wxWindow* reload = GetDlgItem(IDC_RELOAD))
    reload->SetToolTip(L"선택한 카페의 회원과 추천 종목을 다시 받습니다");
  if (wxWindow* menu = GetDlgItem(IDC_CAFE_MENU)) menu->SetToolTip(L"카페 메뉴");
  m_toolbarHeight = kToolbarHeight;
}

void CCafeDlg::BuildPanes() {
  wxDialog* dlg = GetWindow();
  // The side pane (the top tabs) and the main part (composer strip and bottom tabs).
  m_pane = new wxSplitterWindow(dlg, kPaneId, wxPoint(0, m_toolbarHeight),
                                wxSize(kWidth, kHeight - m_toolbarHeight),
                                wxSP_LIVE_UPDATE | wxSP_3DSASH);
  m_pane->SetMinimumPaneSize(kMinPaneWidth);
  m_topTabs = new wxNotebook(m_pane, IDC_TOP_TABS, wxDefaultPosition, wxDefaultSize,
                             wxCLIP_CHILDREN);
  m_main = new wxPanel(m_pane, wxID_ANY);
  m_composerTabs = new wxNotebook(m_main, IDC_COMPOSER_TABS, wxDefaultPosition, wxDefaultSize,
                                  wxCLIP_CHILDREN);
  m_bottomTabs = new wxNotebook(m_main, IDC_BOTTOM_TABS, wxDefaultPosition, wxDefaultSize,
                                wxCLIP_CHILDREN);
  m_notice = new wxStaticText(m_main, wxID_ANY, kNoticeText);
  m_notice->SetForegroundColour(wxColour(0, 0, 255));

  // The grids over the view's grid models, whose columns and option lists are set already.
  CCafeDlgGrids& grids = Grids();
  m_expertGrid =
      orv::ui::ReportGridWindow::Create(grids.ExpertGrid(), m_bottomTabs, kCafeExpertGridId);
  m_interestGrid =
      orv::ui::ReportGridWindow::Create(grids.InterestGrid(), m_topTabs, kCafeInterestGridId);
  m_memberGrid =
      orv::ui::ReportGridWindow::Create(grids.MemberGrid(), m_topTabs, kCafeMemberGridId);
  // The user's buttons, "관심" ticks and right clicks on the recommended stocks.
  grids.InterestGrid().SetNotifyHandler([this, alive = m_alive](orv::ui::ReportNotify& nm) {
    return *alive ? m_gridActions->OnGridNotify(nm) : 0;
  });

  m_bottomTabs->AddPage(m_expertGrid->GetWindow(), L"전문가 추천 종목");
  if (orv::ui::CWebPage::Available()) {
    m_portal = new orv::ui::CWebPage(m_bottomTabs, IDC_PORTAL);
    m_bottomTabs->AddPage(m_portal, L"인터넷 포털 정보");
  } else {
    auto* none = new wxStaticText(m_bottomTabs, IDC_PORTAL, wxString(kNotAvailableText));
    m_bottomTabs->AddPage(none, L"인터넷 포털 정보");
  }
  m_topTabs->AddPage(m_interestGrid->GetWindow(), L"카페관심종목");
  m_topTabs->AddPage(m_memberGrid->GetWindow(), L"회원관리");
  // The recommendation composer is the composer strip's one page.
  m_composer = std::make_unique<CStockRecDlg>(*this, m_view);
  if (m_composer->Create(m_composerTabs)) {
    m_composerTabs->AddPage(m_composer->GetPage(), L"종목 추천하기");
    m_recComposer = std::make_unique<CCafeRecComposer>(*m_composer);
    SetRecComposer(m_recComposer.get());
  } else {
    m_composer.reset();
    auto* none = new wxStaticText(m_composerTabs, wxID_ANY, wxString(kNotAvailableText));
    m_composerTabs->AddPage(none, L"종목 추천하기");
  }

  m_pane->SplitVertically(m_topTabs, m_main, kDefaultPaneWidth);
}

void CCafeDlg::BindHandlers() {
  wxDialog* dlg = GetWindow();
  OnCommand(IDC_CAFE_PICKER, [this] { SelectCafe(-1); });
  OnCommand(IDC_RELOAD, [this] { SelectCafe(-1); });
  OnCommand(IDC_CAFE_MENU, [this] { ShowCafeMenu(); });
  dlg->Bind(wxEVT_SIZE, [this, alive = m_alive](wxSizeEvent& event) {
    event.Skip();
    if (*alive) LayoutPanes(false);
  });
  m_main->Bind(wxEVT_SIZE, [this, alive = m_alive](wxSizeEvent& event) {
    event.Skip();
    if (*alive) LayoutPanes(false);
  });
  // Only ShowDialog shows the window: any other show is turned back; a show by ShowDialog
  // reloads the cafe for a signed-in user.
  dlg->Bind(wxEVT_SHOW, [this, alive = m_alive](wxShowEvent& event) {
    event.Skip();
    if (!*alive || !event.IsShown()) return;
    if (!IsDialogShown()) {
      GetWindow()->CallAfter([this, alive] {
        if (*alive && !IsDialogShown()) GetWindow()->Hide();
      });
      return;
    }
    if (MemberIndex() != 0) SelectCafe(-1);
  });
  m_waitTimer = std::make_unique<wxTimer>(dlg, kWaitTimerId);
  dlg->Bind(
      wxEVT_TIMER, [this, alive = m_alive](wxTimerEvent&) {
        if (*alive) OnWaitTimerTick();
      },
      kWaitTimerId);
}

// ---------------------------------------------------------------------------------------
// Layout and the pane

void CCafeDlg::LayoutPanes(bool redraw) {
  wxDialog* dlg = GetWindow();
  if (!dlg || !m_pane || !m_main) return;
  wxWindowUpdateLocker lock(dlg);
  const wxSize client = dlg->GetClientSize();
  m_pane->SetSize(0, m_toolbarHeight, client.x, std::max(0, client.y - m_toolbarHeight));
  const wxSize space = m_main->GetClientSize();
  if (m_layoutMode != 1) {
    m_composerTabs->Show(true);
    m_composerTabs->SetSize(0, 0, space.x, kComposerHeight);
    m_bottomTabs->SetSize(0, kComposerHeight + kNoticeHeight, space.x,
                          std::max(0, space.y - kComposerHeight - kNoticeHeight));
    m_notice->SetSize(kNoticeLeft, kComposerHeight + 2, kNoticeWidth, kNoticeHeight);
  } else {
    m_composerTabs->Show(false);
    m_notice->SetSize(kNoticeLeft, 2, kNoticeWidth, kNoticeHeight);
    m_bottomTabs->SetSize(0, kNoticeHeight, space.x, std::max(0, space.y - kNoticeHeight));
  }
  if (redraw) dlg->Refresh();
}

void CCafeDlg::SaveLayout() {
  if (m_pane && m_pane->IsSplit())
    orv::win::WriteProfileInt(kSettings, kLayoutKey, m_pane->GetSashPosition());
}

void CCafeDlg::LoadLayout() {
  const int width = orv::win::GetProfileInt(kSettings, kLayoutKey, 0);
  // A width the window cannot hold (a broken setting) keeps the default.
  if (width >= kMinPaneWidth && width <= kWidth - kMinPaneWidth && m_pane)
    m_pane->SetSashPosition(width);
}

// ---------------------------------------------------------------------------------------
// Showing and hiding

void CCafeDlg::SetOwnerWnd(wxWindow*, bool) {}

void CCafeDlg::CenterWindow() {
  if (wxDialog* dlg = GetWindow()) dlg->CentreOnParent();
}

void CCafeDlg::ShowWindow(bool show) {
  if (show)
    ShowDialog(nullptr, false, false, m_layoutMode);
  else
    HideDialog();
}

void CCafeDlg::ShowDialog(wxWindow* owner, bool modal, bool, int tab) {
  m_layoutMode = tab;
  LayoutPanes(true);
  if (m_bottomTabs && tab >= 0 && static_cast<size_t>(tab) < m_bottomTabs->GetPageCount())
    m_bottomTabs->SetSelection(static_cast<size_t>(tab));
  if (IsDialogShown()) {
    // Shown already: brought to the front on the asked layout.
    GetWindow()->Raise();
    return;
  }
  orv::ui::CControlDialog::ShowDialog(owner ? owner : m_parent, modal);
}

void CCafeDlg::HideDialog() { orv::ui::CControlDialog::HideDialog(); }

void CCafeDlg::OnClose() {
  SaveLayout();
  orv::ui::CControlDialog::HideDialog();
}

// ---------------------------------------------------------------------------------------
// Cafe selection

int32_t CCafeDlg::PickerCafe() const {
  int64_t value = 0;
  return GetComboValue(IDC_CAFE_PICKER, &value) ? static_cast<int32_t>(value) : 0;
}

int32_t CCafeDlg::MemberIndex() const {
  const login_info_s* login = m_view.LoginInfo();
  return login ? login->nUserIdx : 0;
}

CafeSnapshotPtr CCafeDlg::Snapshot() const {
  return m_cafes ? m_cafes : m_view.Engine().Cafe().Snapshot();
}

size_t CCafeDlg::MasterStocks() const { return m_view.Engine().MasterStockCount(); }

void CCafeDlg::FillPicker() {
  const CafePicker_s& picker = Grids().CafePicker();
  FillComboFromOptions(IDC_CAFE_PICKER, picker.entries, picker.selected);
}

void CCafeDlg::SelectCafe(int refreshFlag) {
  const int32_t picked = PickerCafe();
  const CafeSnapshotPtr snapshot = Snapshot();
  const CafeRecordPtr cafe = snapshot ? snapshot->FindCafe(picked) : nullptr;
  switch (m_selection.Select(refreshFlag, MasterStocks(), picked, cafe.get(), MemberIndex())) {
    case CCafeSelection::Outcome::kArmTimer:
      m_waitTimer->Start(kWaitTimerMs);
      return;
    case CCafeSelection::Outcome::kWaiting:
      return;
    case CCafeSelection::Outcome::kSelected:
      break;
  }
  Grids().ClearRecGrids();
  Grids().SelectCafe(picked);
  SetComposerFlags(m_selection.ManagerFlag(), m_selection.ChiefManagerFlag());
  UpdateComposerCafe();
  m_view.Engine().Cafe().RequestCafe(picked);
}

void CCafeDlg::OnWaitTimerTick() {
  if (m_selection.OnWaitTimer(MasterStocks())) m_waitTimer->Stop();
}

bool CCafeDlg::WaitTimerRunning() const { return m_waitTimer && m_waitTimer->IsRunning(); }

// ---------------------------------------------------------------------------------------
// The composer

void CCafeDlg::SetComposerFlags(int managerFlag, bool chiefManager) {
  Grids().SetCafeManagerFlags(managerFlag, chiefManager);
  if (m_composer) m_composer->SetMemberLevel(managerFlag != 0, chiefManager);
}

void CCafeDlg::UpdateComposerCafe() {
  if (!m_composer) return;
  const CafeSnapshotPtr snapshot = Snapshot();
  const int32_t cafe = m_selection.CurrentCafe();
  CafeRecordPtr record = snapshot ? snapshot->FindCafe(cafe) : nullptr;
  std::vector<CafeRecStock_s> stocks;
  if (snapshot && record && snapshot->recItemsCafe == cafe) stocks = snapshot->recStocks;
  m_composer->SetCafeInfo(record, std::move(stocks));
}

void CCafeDlg::SetRecommendItem(uint8_t market, const std::wstring& code, int kind) {
  if (code.empty()) return;
  if (m_composer) m_composer->SetRecommendItem(market, code, kind, 0.0, 0.0, 0.0);
  // The portal page shows the stock to recommend as well.
  ShowStockPortalPage(market, code, true);
}

// ---------------------------------------------------------------------------------------
// The portal page

void CCafeDlg::ShowStockPortalPage(uint8_t market, const std::wstring& code, bool navigate) {
  std::wstring url;
  m_view.StockPageUrls(market, code, &url, nullptr);
  SetPortalUrl(url, navigate);
}

void CCafeDlg::SetPortalUrl(const std::wstring& url, bool navigate) {
  m_portalUrl = url;
  if (navigate && !m_portalUrl.empty() && m_portal) m_portal->LoadURL(wxString(m_portalUrl));
}

// ---------------------------------------------------------------------------------------
// The cafe menu

CafeMenuState_s CCafeDlg::MenuState() const {
  CafeMenuState_s state;
  if (const login_info_s* login = m_view.LoginInfo()) {
    state.memberIndex = login->nUserIdx;
    state.ownCafe = login->nOwnCafeIdx;
    state.approvedCafe = login->nApprovedCafeIdx;
    state.level = login->byUserLevel;
  }
  state.currentCafe = m_selection.CurrentCafe();
  state.managerFlag = Grids().ManagerFlag();
  state.checkToggle = m_checkToggle;
  state.autoBuyOn = m_view.Engine().AutoBuyOn();
  return state;
}

std::unique_ptr<wxMenu> CCafeDlg::BuildCafeMenu() const {
  auto menu = std::make_unique<wxMenu>();
  const CafeMenuState_s state = MenuState();
  for (const MenuItem& item : kCafeMenu) {
    if (!item.id) {
      menu->AppendSeparator();
      continue;
    }
    menu->Append(item.id, wxString(item.text));
    menu->Enable(item.id, CafeMenuCommandState(item.id, state).enable);
  }
  return menu;
}

void CCafeDlg::ShowCafeMenu() {
  std::unique_ptr<wxMenu> menu = BuildCafeMenu();
  const int chosen = GetWindow()->GetPopupMenuSelectionFromUser(*menu);
  if (chosen != wxID_NONE) RunCommand(chosen);
}

void CCafeDlg::RunCommand(int command) {
  const CafeMenuState_s state = MenuState();
  if (!CafeMenuCommandState(command, state).enable) return;
  switch (command) {
    case ID_CAFE_JOIN:
      OpenCafePage(CafePage::kJoinCafe, state.currentCafe);
      break;
    case ID_CAFE_OPEN:
      OpenCafePage(CafePage::kAddCafe, state.currentCafe);
      break;
    case ID_CAFE_ITEMS:
      OpenCafePage(CafePage::kCafeItems, state.currentCafe);
      break;
    case ID_CAFE_ADMIN:
      if (IsOwnCafeSelected(state)) OpenAdminPage();
      break;
    case ID_CAFE_ADD_CUSTOMERS:
      if (IsOwnCafeSelected(state)) ImportCustomers();
      break;
    case ID_CAFE_ADD_EMPLOYEES:
      if (IsOwnCafeSelected(state)) ImportEmployees();
      break;
    case ID_CAFE_AUTO_BUY:
      OnAutoBuyCmd();
      break;
    case ID_CAFE_CHECK_TOGGLE:
      m_checkToggle = !m_checkToggle;
      break;
    default:
      break;
  }
}

void CCafeDlg::OpenCafePage(CafePage page, int32_t cafe) {
  CPelomarLoginEngine* login = m_view.LoginEngine();
  if (!login) return;
  CWebLogin& web = login->WebLogin();
  CafePageIdentity_s who;
  who.scriptBase = MakeScriptUrl(web.RunSetting(), CafePagePath(page));
  who.company = web.m_companyIdx;
  who.agency = web.m_agencyIdx;
  who.gdp = web.RunSetting().nGdp;
  who.deployer = web.RunSetting().nDeployer;
  who.userIndex = web.m_userIdx;
  who.token = StrUrlEncodeA(web.m_userToken);
  who.escapedId = WideToUtf8(web.m_identity.escapedId);
  who.escapedName = WideToUtf8(web.m_identity.escapedName);
  const std::string url = MakeCafePageUrl(page, who, cafe);
  m_view.WebEngine().SendNotifyMsgToMainFrame(16, 0, 0, 0, CafePageTitle(page),
                                              Utf8ToWide(url).c_str(), nullptr, 0, 0, false, 0);
}

void CCafeDlg::OpenAdminPage() {
  const CafeSnapshotPtr snapshot = Snapshot();
  const int32_t cafe = m_selection.CurrentCafe();
  const CafeRecordPtr record = snapshot ? snapshot->FindCafe(cafe) : nullptr;
  const login_info_s* login = m_view.LoginInfo();
  const app_run_setting_s* run = m_view.RunSetting();
  if (!record || !login || !run) return;
  const std::wstring url =
      MakeCafeAdminUrl(record->adminUrl, login->nCompanyIdx, m_view.AgencyIndex(), run->nGdp,
                       run->nDeployer, cafe, login->szToken);
  if (!url.empty()) m_view.WebEngine().OpenInSystemBrowser(url);
}

void CCafeDlg::OnAutoBuyCmd() {
  if (!m_view.Engine().AutoBuyOn()) {
    orv::win::MessageBox(WideToUtf8(kAutoBuyOffError), "ERROR",
                         MB_OK | MB_ICONERROR);
    return;
  }
  // The command only ever switches the watch off.
  m_view.SetAutoBuy(0);
}

// ---------------------------------------------------------------------------------------
// Member import

int CCafeDlg::ImportCustomers() { return ImportMembersAndReport(kCafeMemberCustomer); }

int CCafeDlg::ImportEmployees() { return ImportMembersAndReport(kCafeMemberEmployee); }

int CCafeDlg::ImportMembersAndReport(int kind) {
  const CafeMemberImportResult_s result = ImportMemberFiles(L"", kind, kCafeMemberFirstRow);
  const CafeMemberImportMessage_s message = MakeCafeMemberImportMessage(result);
  if (message.error)
    orv::win::MessageBox(WideToUtf8(message.text), "ERROR", MB_OK | MB_ICONERROR);
  else
    orv::win::MessageBox(WideToUtf8(message.text), "INFORMATION", MB_OK | MB_ICONINFORMATION);
  return result.posted;
}

std::vector<std::wstring> CCafeDlg::ChooseMemberFiles() {
  std::vector<std::wstring> files;
  // No file name is preset: GTK's chooser would take it as a typed name and open only that.
  wxFileDialog dialog(GetWindow(), wxFileSelectorPromptStr, wxEmptyString, wxEmptyString,
                      wxString(L"Excel Files (*.xls;*.xlsx)|*.xls;*.xlsx|All Files (*.*)|*.*"),
                      wxFD_OPEN | wxFD_FILE_MUST_EXIST | wxFD_MULTIPLE);
  if (dialog.ShowModal() != wxID_OK) return files;
  wxArrayString paths;
  dialog.GetPaths(paths);
  for (const wxString& path : paths) files.push_back(path.ToStdWstring());
  return files;
}

CafeMemberImportResult_s CCafeDlg::ImportMemberFiles(const std::wstring& path, int kind,
                                                     int firstRow) {
  m_memberFiles.clear();
  if (!path.empty())
    m_memberFiles.push_back(path);
  else
    m_memberFiles = ChooseMemberFiles();
  CafeMemberImportResult_s result;
  if (!m_memberFiles.empty()) result = UploadMemberFiles(m_memberFiles, kind, firstRow);
  m_memberFiles.clear();
  return result;
}

CafeMemberImportResult_s CCafeDlg::UploadMemberFiles(const std::vector<std::wstring>& files,
                                                     int kind, int firstRow) {
  const app_run_setting_s* run = m_view.RunSetting();
  const login_info_s* login = m_view.LoginInfo();
  if (!run || !login || files.empty()) return {};
  // Each person is one request of up to 10 seconds on this thread: the cursor says so.
  wxBusyCursor busy;
  CCafeMemberImport import(*run, *login, [this](const std::wstring& line, int code1, int code2) {
    m_view.AddLogMsg(static_cast<DWORD>(code1), static_cast<DWORD>(code2), 0, nullptr,
                     line.c_str(), 0);
  });
  return import.UploadMemberFiles(files, kind, firstRow, m_selection.CurrentCafe());
}

// ---------------------------------------------------------------------------------------

void InstallCafeDialogMaker() {
  ChildMakers().cafeDialog = [](CPelomarView& view) -> std::unique_ptr<CPelomarCafeDialog> {
    return std::make_unique<CCafeDlg>(view);
  };
}
