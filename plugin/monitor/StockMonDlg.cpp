#include "plugin/monitor/StockMonDlg.h"

#include <wx/dialog.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/timer.h>
#include <wx/webview.h>
#include <wx/wupdlock.h>

#include <algorithm>

#include "platform/support/TextConv.h"
#include "platform/ui/ReportEditPopup.h"
#include "platform/ui/ReportGridWindow.h"
#include "platform/ui/WebPage.h"
#include "plugin/monitor/core/ForeignStockLists.h"
#include "plugin/rows/StockBuyItemRecord.h"
#include "plugin/view/PelomarView.h"
#include "shared/AppRunSetting.h"

using orv::ui::CtrlKind;
using orv::ui::ReportNotify;

namespace {

constexpr int kWidth = 1180;
constexpr int kHeight = 620;
constexpr int kToolbarHeight = 28;
constexpr int kButtonRowTop = 34;
constexpr int kGridTop = 64;
// The list tab control's width before the screen scale. The portal's lists fill this grid,
// so it is wide enough for their market, code, symbol and name columns.
constexpr int kListPaneWidth = 460;
constexpr int kPopupWidth = 400;
constexpr int kPopupHeight = 100;

// Controls of the board that do nothing beyond being there.
constexpr int IDC_REALTIME = 2283;
constexpr int IDC_JOIN = 2105;
constexpr int IDC_RISE_PRESET = 2299;
constexpr int IDC_FALL_PRESET = 3427;
constexpr int IDC_BOTH_PRESET = 3429;
constexpr int IDC_NOTE = 1310;
constexpr int IDC_SCAN_LABEL = 1311;
constexpr int IDC_START_TIME = 10001;
constexpr int IDC_END_TIME = 10002;
constexpr int IDC_PAGE = 10003;
constexpr int IDC_STATE = 10004;

constexpr int kMenuStockPage = 565;
const wchar_t* const kMenuPresetTexts[5] = {
    L"&1. 가격 구간 설정 (+1 ~ +3%, -4 ~ -6%) 상승,하락구간 모두 매수",
    L"&2. 가격 구간 설정 (+3 ~ +5%, -3 ~ -5%) 상승,하락구간 모두  매수",
    L"&3. 가격 구간 설정 (+2 ~ +4%, +8 ~ +10%) 상승구간 매수",
    L"&4. 가격 구간 설정 (+3 ~ +5%, +8 ~ +10%) 상승구간 매수",
    L"&5. 가격 구간 설정 (-3 ~ -5%, -8 ~ -10%) 하락구간 매수",
};

RECT Rect(int x, int y, int w, int h) { return RECT{x, y, x + w, y + h}; }

}  // namespace

// The board's view of the trading view: its engine's lists and options.
class CStockMonDlg::ViewHost : public IStockBoardHost {
 public:
  explicit ViewHost(CPelomarView& view) : m_view(view) {}

  Stock_s* FindMasterStock(uint8_t market, const std::wstring& code) override {
    return Lists().FindMasterStock(market, code.c_str());
  }
  Stock_s* SearchStockByName(uint8_t market, const std::wstring& text) override {
    return Lists().SearchStockByName(market, text.c_str(), 1);
  }
  size_t MasterStockCount() override {
    orv::win::CSingleLock lock(&Lists().ViewLock(), TRUE);
    return Lists().Master().size();
  }
  std::vector<Stock_s*> AutoBuyStocks() override {
    std::vector<Stock_s*> stocks;
    orv::win::CSingleLock lock(&Lists().ViewLock(), TRUE);
    for (int i = 0; i < CStockLists::kMyListCount; ++i)
      for (const auto& entry : Lists().MyList(static_cast<CStockLists::MyListIndex>(i)))
        if (entry.second) stocks.push_back(entry.second);
    return stocks;
  }
  bool InAutoBuyList(uint8_t market, const std::wstring& code) override {
    return Lists().FindMyStock(market, code.c_str(), false, false) != nullptr;
  }
  bool AddToAutoBuyList(uint8_t market, const std::wstring& code, bool autoBuy) override {
    if (!Lists().AddOrRemoveMyStock(market, code.c_str(), 1, 0, false)) return false;
    m_view.Engine().SetAutoBuyStock(market, code.c_str(), autoBuy);
    return true;
  }
  void RemoveFromAutoBuyList(uint8_t market, const std::wstring& code) override {
    m_view.Engine().SetAutoBuyStock(market, code.c_str(), false);
    Lists().FindMyStock(market, code.c_str(), true, true);
  }
  void ClearMyStockList(bool force) override {
    if (!force && !Lists().IsMyStockListChanged(L',')) return;
    std::vector<std::pair<uint8_t, std::wstring>> listed;
    {
      orv::win::CSingleLock lock(&Lists().ViewLock(), TRUE);
      for (const auto& entry : Lists().MyList(CStockLists::kMyDomestic))
        if (entry.second) listed.emplace_back(entry.second->market, entry.second->code);
    }
    for (const auto& [market, code] : listed) {
      m_view.Engine().SetAutoBuyStock(market, code.c_str(), false);
      Lists().FindMyStock(market, code.c_str(), true, false);
    }
    Lists().SetSavedMyStockText(L"");
  }
  void RefreshAllStockGrids() override { m_view.Engine().RefreshAllStockGrids(); }
  void SetCurStock(uint8_t market, const std::wstring& code) override {
    m_view.SetCurStock(market, code);
  }
  void RequestStockSelect(const std::wstring& code, int mode) override {
    m_view.RequestStockSelect(mode, code.c_str(), 0);
  }
  bool IsAutoBuyOn() override { return m_view.Engine().AutoBuyOn(); }
  void SetAutoBuy(bool on) override { m_view.SetAutoBuy(on ? 1 : 0); }
  double DefaultBuyLimit() override { return m_view.Engine().Options().auto_buy_limit * 10000.0; }
  int DefaultAccount(int) override {
    orv::win::CSingleLock lock(&Lists().ViewLock(), TRUE);
    const GroupInfoMap& accounts = m_view.Engine().Accounts();
    return accounts.empty() || !accounts.begin()->second
               ? 1
               : static_cast<int>(accounts.begin()->second->key);
  }
  int UserIndex() override { return m_view.Engine().TimerState().viewUserIndex; }
  std::string ProgramFolder() override { return WideToUtf8(m_view.Engine().ProgramFolder()); }
  void LockStocks() override { Lists().ViewLock().Lock(); }
  void UnlockStocks() override { Lists().ViewLock().Unlock(); }

 private:
  CStockLists& Lists() { return m_view.Engine().Stocks(); }
  CPelomarView& m_view;
};

CStockMonDlg::CStockMonDlg(CPelomarView& view)
    : m_view(view), m_host(std::make_unique<ViewHost>(view)) {
  stock_option_s& options = view.Engine().Options();
  m_board = std::make_unique<CStockBoard>(*m_host, &options.board_mode, &options.board_buy_amount);
}

CStockMonDlg::~CStockMonDlg() {
  if (m_scoreTimer) m_scoreTimer->Stop();
  if (m_masterWaitTimer) m_masterWaitTimer->Stop();
  // The window may outlive this object until wx deletes it: its events must not reach here.
  if (wxDialog* dlg = GetWindow()) {
    dlg->Unbind(wxEVT_TIMER, &CStockMonDlg::OnTimer, this);
    dlg->Unbind(wxEVT_SIZE, &CStockMonDlg::OnSize, this);
  }
  if (m_watchTabs)
    m_watchTabs->Unbind(wxEVT_NOTEBOOK_PAGE_CHANGED, &CStockMonDlg::OnWatchTabChanged, this);
  orv::ui::CloseReportEditPopup(false);
}

void CStockMonDlg::OnSize(wxSizeEvent& event) {
  Layout();
  event.Skip();
}

bool CStockMonDlg::CreateFromTemplate(int, wxWindow* parent) {
  m_parent = parent;
  if (!Create(parent, L"추천종목 관리 + 분할매수", kWidth, kHeight)) return false;
  BuildControls();
  return true;
}

void CStockMonDlg::BuildControls() {
  wxDialog* dlg = GetWindow();
  dlg->SetWindowStyleFlag(dlg->GetWindowStyleFlag() | wxRESIZE_BORDER);
  // The toolbar row.
  int x = 4;
  auto add = [&](int id, CtrlKind kind, const wchar_t* text, int width) {
    const int top = kind == CtrlKind::Static ? 6 : 2;  // labels sit on the boxes' text line
    AddControl(id, kind, text, Rect(x, top, width, kToolbarHeight - 4 - (top - 2)));
    x += width + 4;
  };
  add(IDC_RELOAD, CtrlKind::Button, L"새로고침", 70);
  add(IDC_SAVE, CtrlKind::Button, L"종목한정 자동매수 설정/저장", 200);
  add(IDC_JOIN, CtrlKind::Button, L"가입", 50);
  add(20001, CtrlKind::Static, L"시작", 30);
  add(IDC_START_TIME, CtrlKind::Edit, L"--:--", 80);
  add(20002, CtrlKind::Static, L"종료", 30);
  add(IDC_END_TIME, CtrlKind::Edit, L"--:--", 80);
  add(IDC_AUTO_BUY_WATCH, CtrlKind::CheckBox, L"자동 감시", 90);
  add(20003, CtrlKind::Static, L"Page", 36);
  add(IDC_PAGE, CtrlKind::ComboList, L"", 90);
  add(20004, CtrlKind::Static, L"상태", 30);
  add(IDC_STATE, CtrlKind::Edit, L"준비중", 100);

  // The button row.
  AddControl(IDC_REALTIME, CtrlKind::Button, L"실시간", Rect(4, kButtonRowTop, 52, 24));
  AddControl(IDC_RISE_PRESET, CtrlKind::Button, L"+3%,+8% >>", Rect(60, kButtonRowTop, 92, 24));
  AddControl(IDC_FALL_PRESET, CtrlKind::Button, L"-3%,-8% >>", Rect(156, kButtonRowTop, 92, 24));
  AddControl(IDC_BOTH_PRESET, CtrlKind::Button, L"-3%,+3% >>", Rect(252, kButtonRowTop, 92, 24));
  AddControl(IDC_NOTE, CtrlKind::Static, L"매수 감시 종목은, 해당 조건대로 매수 진행(주의 필요).",
             Rect(350, kButtonRowTop + 4, 400, 20));
  if (wxWindow* note = GetDlgItem(IDC_NOTE)) note->SetForegroundColour(wxColour(0, 0, 255));
  AddControl(IDC_SCAN_LABEL, CtrlKind::Static, L"스캔모드", Rect(760, kButtonRowTop + 4, 60, 20));
  AddControl(IDC_SEARCH_MODE, CtrlKind::ComboList, L"", Rect(824, kButtonRowTop, 120, 24));
  AddControl(IDC_SEARCH_ON, CtrlKind::CheckBox, L"종목한정 보드", Rect(950, kButtonRowTop, 120, 24));
  if (wxWindow* check = GetDlgItem(IDC_SEARCH_ON)) check->SetForegroundColour(wxColour(255, 0, 0));
  const wchar_t* tips[3] = {L"관심종목을 자동매수로 등록시킵니다.\n상승시 매수로 등록",
                            L"관심종목을 자동매수로 등록시킵니다.\n하락시 매수로 등록",
                            L"관심종목을 자동매수로 등록시킵니다.\n상승+하락시 매수로 등록"};
  const int tipIds[3] = {IDC_RISE_PRESET, IDC_FALL_PRESET, IDC_BOTH_PRESET};
  for (int i = 0; i < 3; ++i)
    if (wxWindow* b = GetDlgItem(tipIds[i])) b->SetToolTip(tips[i]);

  BuildTabs();
  m_board->InitGrid();
  m_board->LoadSearchMode();
  FillComboFromOptions(IDC_SEARCH_MODE, L"1:RSI 검색;2:CCI 검색;3:MACD 검색;4:S.검색;",
                       m_board->SearchMode());
  m_reloadedMasterCount = m_host->MasterStockCount();
  m_board->InitRows();
  const uint8_t mode = m_view.Engine().Options().board_mode;
  CheckDlgButton(IDC_SEARCH_ON, mode == 2);
  ShowDlgItem(IDC_SEARCH_MODE, false);
  ShowDlgItem(IDC_SCAN_LABEL, false);
  ShowDlgItem(IDC_SEARCH_ON, false);

  OnCommand(IDC_RELOAD, [this] { ReloadWhenReady(); });
  OnCommand(IDC_SAVE, [this] { m_board->SaveBuyItems(true, true); });
  OnCommand(IDC_AUTO_BUY_WATCH, [this] {
    m_board->ToggleAutoBuyWatch();
    UpdateAutoBuyCheck();
  });
  OnCommand(IDC_SEARCH_ON, [this] { OnSearchOn(); });
  OnCommand(IDC_SEARCH_MODE, [this] {
    int64_t value = 0;
    if (GetComboValue(IDC_SEARCH_MODE, &value)) m_board->SetSearchMode(static_cast<int>(value));
  });
  for (int code : {orv::ui::REPORT_NM_REQUESTEDIT, orv::ui::REPORT_NM_VALUECHANGED,
                   orv::ui::REPORT_NM_CHECKED, orv::ui::NM_RCLICK,
                   orv::ui::REPORT_NM_ITEMBUTTONCLICK})
    OnGridNotify(IDC_WATCH_GRID, code, [this](ReportNotify& nm) { return HandleGridNotify(nm); });

  m_scoreTimer = std::make_unique<wxTimer>(dlg, kScoreTimerId);
  m_masterWaitTimer = std::make_unique<wxTimer>(dlg, kMasterWaitTimerId);
  dlg->Bind(wxEVT_TIMER, &CStockMonDlg::OnTimer, this);
  dlg->Bind(wxEVT_SIZE, &CStockMonDlg::OnSize, this);
  m_scoreTimer->Start(1000);
  UpdateAutoBuyCheck();
}

void CStockMonDlg::BuildTabs() {
  wxDialog* dlg = GetWindow();
  auto page = [](wxNotebook* tabs, const wchar_t* title) {
    auto* panel = new wxPanel(tabs);
    panel->SetSizer(new wxBoxSizer(wxVERTICAL));
    tabs->AddPage(panel, wxString(title));
    return panel;
  };
  // The grids are made on the dialog (where its controls live) and then moved to their page.
  auto fill = [](wxPanel* panel, wxWindow* child) {
    if (child->GetParent() != panel) child->Reparent(panel);
    panel->GetSizer()->Add(child, 1, wxEXPAND);
    panel->Layout();
  };
  m_listTabs = new wxNotebook(dlg, IDC_LIST_TABS);
  m_watchTabs = new wxNotebook(dlg, IDC_WATCH_TABS);
  m_portalTabs = new wxNotebook(dlg, IDC_PORTAL_TABS);

  // The list grid: the portal's exchange-wide stock lists.
  wxPanel* listPage = page(m_listTabs, L"  ");
  std::wstring listLayout;
  for (const ForeignListColumn& c : kForeignListColumns)
    listLayout += std::wstring(c.caption) + L":" + std::to_wstring(c.width) + L";";
  if (orv::ui::ReportGridWindow* list =
          AddReportGrid(IDC_LIST_GRID, m_listGrid, listLayout, Rect(0, 0, 10, 10)))
    fill(listPage, list->GetWindow());

  // "감시 종목.등록" and the page after it show the watch grid, the third the web view.
  m_watchPages[kWatchPage] = page(m_watchTabs, L"감시 종목.등록");
  m_watchPages[kWatchPage2] = page(m_watchTabs, L"  ");
  m_watchPages[kWebPage] = page(m_watchTabs, L"  ");
  m_watchGridWnd = AddReportGrid(IDC_WATCH_GRID, m_board->Grid(),
                                 Utf8ToWide(kStockBuyItemGridLayout), Rect(0, 0, 10, 10));
  if (m_watchGridWnd) fill(m_watchPages[kWatchPage], m_watchGridWnd->GetWindow());

  m_portalPage = page(m_portalTabs, L"인터넷 포털 정보");
  if (orv::ui::CWebPage::Available()) {
    // The browser itself is made when a page is first loaded into it.
    m_webView = new orv::ui::CWebPage(m_portalPage, IDC_WEB_VIEW);
    fill(m_portalPage, m_webView);
  }
  m_watchTabs->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, &CStockMonDlg::OnWatchTabChanged, this);
}

wxNotebook* CStockMonDlg::Tabs(int id) const {
  switch (id) {
    case IDC_LIST_TABS:
      return m_listTabs;
    case IDC_WATCH_TABS:
      return m_watchTabs;
    case IDC_PORTAL_TABS:
      return m_portalTabs;
    default:
      return nullptr;
  }
}

void CStockMonDlg::OnWatchTabChanged(wxBookCtrlEvent& event) {
  PlaceSharedPanes(event.GetSelection());
  event.Skip();
}

void CStockMonDlg::PlaceSharedPanes(int page) {
  // One watch grid and one web view serve two pages each: they move to the page shown.
  auto move = [](wxWindow* child, wxPanel* to) {
    if (!child || !to || child->GetParent() == to) return;
    if (wxSizer* from = child->GetParent()->GetSizer()) from->Detach(child);
    child->GetParent()->Layout();
    child->Reparent(to);
    to->GetSizer()->Add(child, 1, wxEXPAND);
    to->Layout();
  };
  if (page == kWatchPage || page == kWatchPage2) {
    if (m_watchGridWnd) move(m_watchGridWnd->GetWindow(), m_watchPages[page]);
    move(m_webView, m_portalPage);
  } else if (page == kWebPage) {
    move(m_webView, m_watchPages[kWebPage]);
  }
}

void CStockMonDlg::OnSearchOn() {
  const bool on = IsDlgButtonChecked(IDC_SEARCH_ON);
  stock_option_s& options = m_view.Engine().Options();
  options.board_mode = on ? 2 : 4;
  // The view saves the changed configuration when it goes.
  options.changed = 1;
  if (m_watchTabs) m_watchTabs->SetSelection(kWatchPage2);
  for (int c = 21; c < m_board->Grid().GetColumnCount(); ++c) m_board->Grid().ShowColumn(c, on);
}

void CStockMonDlg::ShowForeignStockList(
    std::shared_ptr<const std::vector<ForeignStockRow_s>> rows) {
  m_listGrid.ResetContent();
  if (rows) {
    m_listGrid.ReserveRecords(rows->size());
    for (const ForeignStockRow_s& r : *rows) {
      auto row = std::make_unique<orv::ui::CMyReportRecordBase>();
      for (const std::wstring* text : {&r.market, &r.code, &r.symbol, &r.name, &r.exchange, &r.nation})
        row->AddText(*text);
      m_listGrid.AddRecord(std::move(row));
    }
  }
  m_listGrid.Populate();
}

void CStockMonDlg::Layout() {
  wxDialog* dlg = GetWindow();
  if (!dlg || !m_listTabs || !m_watchTabs || !m_portalTabs) return;
  wxWindowUpdateLocker lock(dlg);
  const wxSize size = dlg->GetClientSize();
  const double scale = m_view.RunSetting() && m_view.RunSetting()->dScale > 0
                           ? m_view.RunSetting()->dScale
                           : 1.0;
  // The list tab control at the left; the watch tabs above and the portal tabs below in the
  // rest of the width.
  const int listWidth = static_cast<int>(kListPaneWidth * scale);
  const int height = std::max(100, size.y - kGridTop - 4);
  const int right = 4 + listWidth + 4;
  const int width = std::max(100, size.x - right - 4);
  const int upper = height / 2;
  m_listTabs->SetSize(4, kGridTop, listWidth, height);
  m_watchTabs->SetSize(right, kGridTop, width, upper);
  m_portalTabs->SetSize(right, kGridTop + upper, width, height - upper);
  if (wxWindow* note = GetDlgItem(IDC_NOTE)) note->SetSize(350, kButtonRowTop + 4, 400, 20);
}

void CStockMonDlg::UpdateAutoBuyCheck() {
  CheckDlgButton(IDC_AUTO_BUY_WATCH, m_view.Engine().AutoBuyOn());
}

LRESULT CStockMonDlg::HandleGridNotify(ReportNotify& nm) {
  auto* row = static_cast<CStockBuyItemRecord*>(nm.record);
  switch (nm.code) {
    case orv::ui::REPORT_NM_REQUESTEDIT:
      if (!CStockBoard::IsEditableColumn(nm.column)) nm.cancel = TRUE;
      return 0;
    case orv::ui::REPORT_NM_CHECKED:
      m_board->OnCheckChanged(row, nm.column);
      return 0;
    case orv::ui::REPORT_NM_VALUECHANGED:
      if (nm.column != CStockBuyItemRecord::kColCredit &&
          nm.column != CStockBuyItemRecord::kColAutoBuy)
        m_board->OnValueChanged(row, nm.column);
      return 0;
    case orv::ui::REPORT_NM_ITEMBUTTONCLICK:
      if (nm.column == CStockBoard::kColPopupHigh || nm.column == CStockBoard::kColPopupTime)
        orv::ui::GfxShowReportCtrlEditPopup(m_watchGridWnd, nm.row, nm.column, kPopupWidth,
                                            kPopupHeight, orv::ui::kEditPopupStoreOnClose);
      else if (nm.column == CStockBuyItemRecord::kColName && nm.buttonId == 4)
        m_board->RemoveRowStock(row);
      return 0;
    case orv::ui::NM_RCLICK: {
      wxMenu menu;
      menu.Append(kMenuStockPage, L"&6. 종목 정보 조회 (웹 사이트 이동)");
      for (int i = 0; i < 5; ++i) menu.Append(CStockBoard::kMenuPresets[i].command, kMenuPresetTexts[i]);
      const int command = GetWindow()->GetPopupMenuSelectionFromUser(menu);
      if (command != wxID_NONE) OnContextCommand(command);
      return 0;
    }
    default:
      return 0;
  }
}

void CStockMonDlg::OnContextCommand(int command) {
  std::vector<CStockBuyItemRecord*> rows;
  for (orv::ui::CMyReportRecordBase* r : m_board->Grid().GetSelectedRecords())
    rows.push_back(static_cast<CStockBuyItemRecord*>(r));
  if (command == kMenuStockPage) {
    if (!rows.empty())
      if (Stock_s* stock = m_board->StockOfRow(rows.front()))
        m_view.RequestStockSelect(2, stock->code, 0);
    return;
  }
  m_board->ApplyMenuPreset(command, rows);
}

void CStockMonDlg::OnTimer(wxTimerEvent& event) {
  if (event.GetId() == kScoreTimerId) {
    m_board->RefreshScores();
  } else if (event.GetId() == kMasterWaitTimerId) {
    if (m_host->MasterStockCount() > 0) {
      m_masterWaitTimer->Stop();
      ReloadRows();
    }
  }
}

void CStockMonDlg::ReloadWhenReady() {
  if (m_host->MasterStockCount() > 0) {
    ReloadRows();
  } else if (m_masterWaitTimer && !m_masterWaitTimer->IsRunning()) {
    m_masterWaitTimer->Start(1000);
  }
}

bool CStockMonDlg::WaitingForMasterList() const {
  return m_masterWaitTimer && m_masterWaitTimer->IsRunning();
}

void CStockMonDlg::SetOwnerWnd(wxWindow* owner, bool) { m_owner = owner; }

void CStockMonDlg::ShowDialog(wxWindow* owner, bool modal, bool reload, int tab) {
  m_pageIndex = tab;
  // A board already on screen keeps the user's unsaved edits.
  if (reload && !IsDialogShown()) ReloadWhenReady();
  UpdateAutoBuyCheck();
  Layout();
  if (m_watchTabs && tab >= 0 && tab < static_cast<int>(m_watchTabs->GetPageCount()))
    m_watchTabs->SetSelection(tab);
  orv::ui::CControlDialog::ShowDialog(owner ? owner : m_parent, modal);
}

void CStockMonDlg::HideDialog() { orv::ui::CControlDialog::HideDialog(); }

void CStockMonDlg::CenterWindow() {
  if (GetWindow()) GetWindow()->CentreOnParent();
}

void CStockMonDlg::ShowWindow(bool show) {
  if (show)
    ShowDialog(m_owner, false, false, m_pageIndex);
  else
    HideDialog();
}

void CStockMonDlg::SetAccountGroups(GroupInfoMap* accounts, int) {
  // The workers change the account map under the view lock.
  m_host->LockStocks();
  m_board->SetAccountGroups(accounts);
  m_host->UnlockStocks();
}

void CStockMonDlg::ReloadBuyItems() {
  // The view calls this whenever it shows a new master list; only a list of another size is a
  // new load of the master codes, and the board's unsaved edits stay otherwise.
  if (m_host->MasterStockCount() == m_reloadedMasterCount) return;
  ReloadRows();
}

void CStockMonDlg::ReloadRows() {
  m_reloadedMasterCount = m_host->MasterStockCount();
  m_board->ReloadBuyItems();
}

void CStockMonDlg::OnClose() {
  m_board->SaveBuyItems(false, true);
  HideDialog();
}

void InstallMonitorMakers() {
  ChildMakers().stockBoard = [](CPelomarView& view) -> std::unique_ptr<CPelomarStockBoard> {
    return std::make_unique<CStockMonDlg>(view);
  };
}
