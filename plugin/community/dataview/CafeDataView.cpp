#include "plugin/community/dataview/CafeDataView.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/sizer.h>
#include <wx/wrapsizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>
#include <wx/timer.h>

#include <algorithm>
#include <cwctype>
#include <vector>

#include "platform/support/GridWidthStore.h"
#include "platform/support/TextConv.h"
#include "platform/ui/ReportGridWindow.h"
#include "platform/win/Clock.h"
#include "platform/win/MessageBox.h"
#include "plugin/community/CafeDlgGrids.h"
#include "plugin/community/dataview/DataInputDlg.h"
#include "plugin/rows/CafeStockRecord.h"
#include "plugin/rows/GridConstraints.h"
#include "plugin/view/ChildWindows.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"
#include "shared/Messages.h"
#include "shared/StockRecords.h"

using orv::ui::CMyReportCtrl;
using orv::ui::ReportNotify;

const wchar_t kCafeDataViewKey[] = L"inspection.status";

const wchar_t kClientGridLayout[] =
    L":?5;IDX:?40;회사:?30;소속코드:?30;회사명:#150;구분:-40;회원:>40;차량검사:>45;보험:>40;"
    L"소속:c90;소속명:?80;상호:100;:?0;대표명:60;CEO.전화:100;주민번호:?90;생년월일:?80;"
    L"사업자번호:100;업태:70;업종:70;이메일:130;전화:100;핸드폰:100;홈페이지:?100;FAX:100;"
    L"지역:60;사업장주소:160;상세주소:110;우편번호:60;나라:?40;택배주소:?120;택배주소.상세:?100;"
    L"택배.우편번호:?60;담당자:60;담당자.전화:100;담당자.직급:?60;담당자.부서:?60;은행명:?60;"
    L"계좌번호:?110;예금주:?60;메모:120;가입일:80";

namespace {

constexpr int kToolbarHeight = 34;
constexpr int kLargestWindowId = 32767;
// Menu item ids stop below 32767 too: the body menu's "Save", "Print" and "Print Preview" carry
// the toolkit's ids.
constexpr int kSaveMenuId = wxID_SAVE;
constexpr int kPrintMenuId = wxID_PRINT;
constexpr int kPreviewMenuId = wxID_PREVIEW;
constexpr int kOpenMenuId = wxID_OPEN;

// The command of a menu item.
int MenuCommand(int menuId) {
  switch (menuId) {
    case kSaveMenuId:
      return ID_CAFE_VIEW_SAVE;
    case kPrintMenuId:
      return ID_CAFE_VIEW_PRINT;
    case kPreviewMenuId:
      return ID_CAFE_VIEW_PREVIEW;
    case kOpenMenuId:
      return ID_CAFE_VIEW_OPEN;
    default:
      return menuId;
  }
}
constexpr int kWidthTextGridFirst = 1;  // column 0 is not written
constexpr int kNoColumn = -1;
// The member grid's layout (16 entries; the last has no width).
constexpr const wchar_t* kMemberLayout =
    L":?5;No:25;IDX:?;카페:?30;그룹:40;기간:?g40;아이디:50;이름:50;전화:?50;시작일:80;종료일:80;"
    L"환불일:?80;환불:?40;유/무료:?40;상태:?40;코멘트";
constexpr int kMemberFrozenColumns = 2;
constexpr const wchar_t* kCustomerKinds = L"0:전체고객;1:1차고객;2:2차고객;";

// The commands that need a signed-in user.
bool NeedsLogin(int id) {
  static constexpr int kIds[] = {ID_CAFE_VIEW_DELETE, ID_CAFE_VIEW_SAVE,  ID_CAFE_VIEW_REFRESH,
                                 ID_CAFE_VIEW_SEARCH, ID_CAFE_VIEW_EDIT,  ID_CAFE_VIEW_ADD,
                                 ID_CAFE_VIEW_RELOAD_CLIENTS, ID_CAFE_VIEW_OPEN};
  return std::find(std::begin(kIds), std::end(kIds), id) != std::end(kIds);
}

// The toolbar's client controls: shown while the client page is up.
constexpr int kClientToolIds[] = {ID_CAFE_VIEW_ADD,           ID_CAFE_VIEW_OPEN,
                                  ID_CAFE_VIEW_SAVE,
                                  ID_CAFE_VIEW_KEYWORD,       ID_CAFE_VIEW_SEARCH,
                                  ID_CAFE_VIEW_CUSTOMER_KIND, ID_CAFE_VIEW_START_DATE,
                                  ID_CAFE_VIEW_END_DATE,      ID_CAFE_VIEW_PAGE,
                                  ID_CAFE_VIEW_COUNT};

constexpr size_t kTextChars = 512;

// A curl handle made for one command and cleaned up with it.
struct FreshHandle {
  CURL* curl = curl_easy_init();
  ~FreshHandle() {
    if (curl) curl_easy_cleanup(curl);
  }
};

std::wstring Trimmed(const wxString& text) {
  std::wstring s = text.ToStdWstring();
  size_t begin = 0, end = s.size();
  while (begin < end && std::iswspace(s[begin])) ++begin;
  while (end > begin && std::iswspace(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

}  // namespace

// The view's toolbar: controls and buttons by command id, in the toolbar's order, in as many
// rows as the view's width needs; the ones the view does not use yet are made hidden.
class CCafeViewToolbar : public wxPanel {
 public:
  CCafeViewToolbar(wxWindow* parent, double scale)
      : wxPanel(parent, IDC_CAFE_VIEW_TOOLBAR), scale_(scale > 0 ? scale : 1.0) {
    SetBackgroundColour(wxColour(0xF3, 0xF3, 0xF3));
    sizer_ = new wxWrapSizer(wxHORIZONTAL);
    SetSizer(sizer_);
  }

  wxChoice* AddChoice(int id, const wchar_t* caption, const wchar_t* tip, int width) {
    auto* choice = new wxChoice(this, id, wxDefaultPosition, wxSize(Scaled(width), -1));
    if (tip && *tip) choice->SetToolTip(wxString(tip));
    return static_cast<wxChoice*>(AddControl(id, caption, choice));
  }
  wxButton* AddButton(int id, const wchar_t* caption, const wchar_t* tip) {
    // Window ids stop below 32767: a larger command id is carried by the click instead.
    const bool ownId = id < kLargestWindowId;
    auto* button = new wxButton(this, ownId ? id : wxID_ANY, wxString(caption), wxDefaultPosition,
                                wxDefaultSize, wxBU_EXACTFIT);
    if (!ownId)
      button->Bind(wxEVT_BUTTON, [button, id](wxCommandEvent& e) {
        wxCommandEvent command(wxEVT_BUTTON, id);
        command.SetEventObject(button);
        button->GetParent()->ProcessWindowEvent(command);
      });
    if (tip && *tip) button->SetToolTip(wxString(tip));
    return static_cast<wxButton*>(AddControl(id, nullptr, button));
  }
  // A control with its caption before it; the two stay in one row.
  wxWindow* AddControl(int id, const wchar_t* caption, wxWindow* control) {
    auto* pair = new wxBoxSizer(wxHORIZONTAL);
    if (caption && *caption)
      pair->Add(new wxStaticText(this, wxID_ANY, wxString(caption)), 0,
                wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, Scaled(3));
    pair->Add(control, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, Scaled(3));
    sizer_->Add(pair, 0, wxALIGN_CENTER_VERTICAL | wxTOP, Scaled(2));
    controls_[id] = control;
    pairs_[id] = pair;
    return control;
  }
  void AddSeparator() { sizer_->AddSpacer(Scaled(8)); }
  // Hides a control with its caption.
  void Hide(int id) { Show(id, false); }
  void Show(int id, bool show) {
    auto it = pairs_.find(id);
    if (it != pairs_.end()) sizer_->Show(it->second, show, true);
  }
  wxWindow* Control(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
  }
  int Scaled(int value) const { return static_cast<int>(value * scale_); }
  // Lays the controls out over `width` and answers the height they need (at least `minimum`).
  int PlaceOver(int width, int minimum) {
    SetSize(0, 0, width, std::max(minimum, GetSize().y));
    sizer_->SetDimension(0, 0, width, 10000);
    int bottom = 0;
    for (wxWindow* child : GetChildren())
      if (child->IsShown()) bottom = std::max(bottom, child->GetRect().GetBottom() + 1);
    const int height = std::max(minimum, bottom + Scaled(3));
    SetSize(0, 0, width, height);
    return height;
  }

 private:
  double scale_;
  wxWrapSizer* sizer_;
  std::map<int, wxWindow*> controls_;
  std::map<int, wxSizer*> pairs_;
};

// ---------------------------------------------------------------------------------------
// Construction and teardown

CCafeDataView::CCafeDataView(CPelomarView* owner)
    : m_owner(owner), m_clients(std::make_unique<CClientList>(m_clientGrid)) {}

CCafeDataView::~CCafeDataView() {
  // The preview draws a grid of the view: it goes first.
  ClosePreview();
  // A view deleted with its parent never went through Destroy.
  SaveColumnLayout();
  // No stock may keep pointing at a row that goes with the grid.
  CCafeDlgGrids::UnlinkGridRows(m_cafeGrid, kRowSlotCafeData, true);
}

bool CCafeDataView::Destroy() {
  SaveColumnLayout();
  return CDbBaseNormalView::Destroy();
}

void CCafeDataView::SaveColumnLayout() {
  if (!m_layoutChanged || m_layoutSaved) return;
  m_layoutChanged = false;
  m_layoutSaved = true;
  const int company = m_pLoginInfo ? m_pLoginInfo->nCompanyIdx : 0;
  const int user = m_pLoginInfo ? m_pLoginInfo->nUserIdx : 0;
  const std::wstring widths = CafeGridWidthText();
  SaveReportColumnWidthToDb(company, user, kCafeDataViewKey, 1, widths);
  SaveReportColumnWidthToDb(company, user, kCafeDataViewKey, 2, widths);
}

std::wstring CCafeDataView::CafeGridWidthText() const {
  return m_cafeGrid.GetColumnWidthText(kWidthTextGridFirst);
}

double CCafeDataView::Scale() const {
  return m_pRunSetting && m_pRunSetting->dScale > 0 ? m_pRunSetting->dScale : 1.0;
}

// ---------------------------------------------------------------------------------------
// Initial update

void CCafeDataView::OnInitialUpdate() {
  if (m_initialized) return;
  m_initialized = true;

  // The client list's period: the last 30 days.
  orv::win::GetLocalTime(&m_endTime);
  const wxDateTime end(wxDateTime::Now());
  const wxDateTime start = end - wxDateSpan::Days(30);
  m_startTime = m_endTime;
  m_startTime.wYear = static_cast<WORD>(start.GetYear());
  m_startTime.wMonth = static_cast<WORD>(start.GetMonth() + 1);
  m_startTime.wDay = static_cast<WORD>(start.GetDay());

  m_clients->SetUser(m_pRunSetting, m_pLoginInfo);
  m_clients->startDate = m_startTime;
  m_clients->endDate = m_endTime;
  CreateToolbar();
  CreateTabsAndGrids();
  CreateClientPage();
  if (m_pRunSetting) m_languageId = m_pRunSetting->byLanguage;
  RefreshUITextByLanguageId(m_languageId);
  FetchClientList(true);

  Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
    LayOut();
    e.Skip();
  });
  Bind(wxEVT_SHOW, [this](wxShowEvent& e) {
    // The first show loads the client list (only while someone is logged in).
    if (e.IsShown() && !m_firstShown) {
      m_firstShown = true;
      FetchClientList(true);
    }
    e.Skip();
  });
  Bind(wxEVT_BUTTON, [this](wxCommandEvent& e) {
    if (!OnCommand(e.GetId())) e.Skip();
  });
  Bind(wxEVT_MENU, [this](wxCommandEvent& e) {
    if (!OnCommand(MenuCommand(e.GetId()))) e.Skip();
  });
  Bind(wxEVT_TOGGLEBUTTON, [this](wxCommandEvent& e) {
    if (!OnCommand(e.GetId())) e.Skip();
  });
  Bind(wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) {
    if (NeedsLogin(e.GetId()))
      e.Enable(IsLoggedIn());
    else if (e.GetId() == ID_CAFE_VIEW_TIMER)
      e.Check(TimerRunning());
    else
      e.Skip();
  });
  Bind(wxEVT_CHOICE, [this](wxCommandEvent& e) {
    switch (e.GetId()) {
      case ID_CAFE_VIEW_PICKER:
        OnCafePicked();
        break;
      case ID_CAFE_VIEW_CUSTOMER_KIND:
        m_clients->customerKind = std::max(0, e.GetSelection());
        ShowClientCount(m_clients->ApplyFilter());
        break;
      case ID_CAFE_VIEW_GROUP: {
        const int at = e.GetSelection();
        m_clients->groupFilter =
            at >= 0 && static_cast<size_t>(at) < m_groupValues.size() ? m_groupValues[at] : 0;
        ShowClientCount(m_clients->ApplyFilter());
        break;
      }
      case ID_CAFE_VIEW_PAGE: {
        m_clients->currentPage = std::max(0, e.GetSelection()) + 1;
        ShowFetchingWindow();
        FetchGridPage(nullptr, IDC_CAFE_VIEW_CLIENT_GRID, false);
        HideFetchingWindow();
        break;
      }
      case ID_CAFE_VIEW_CARD_COMPANY:
        m_cardCompany = e.GetSelection();
        break;
      default:
        e.Skip();
    }
  });
  LayOut();
}

void CCafeDataView::CreateToolbar() {
  m_toolbar = new CCafeViewToolbar(this, Scale());
  CCafeViewToolbar& bar = *m_toolbar;
  bar.AddButton(10011, L"추가", L"추가");
  bar.AddButton(ID_CAFE_VIEW_OPEN, L"열기", L"엑셀 파일에서 고객을 가져옵니다");
  bar.AddButton(ID_CAFE_VIEW_SAVE, L"저장", L"저장");
  bar.AddButton(352, L"엑셀", L"export.xls");
  m_cafePicker = bar.AddChoice(ID_CAFE_VIEW_PICKER, L"카페", L"가입할 카페를 선택합니다", 130);
  bar.AddSeparator();
  m_keywordBox = new wxTextCtrl(&bar, ID_CAFE_VIEW_KEYWORD, wxEmptyString, wxDefaultPosition,
                                wxSize(bar.Scaled(60), -1), wxTE_PROCESS_ENTER);
  m_keywordBox->SetToolTip(L"Keyword");
  m_keywordBox->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { OnSearchClients(); });
  bar.AddControl(ID_CAFE_VIEW_KEYWORD, L"검색", m_keywordBox);
  bar.AddButton(670, L"검색", L"검색");
  bar.AddSeparator();
  bar.AddButton(ID_CAFE_VIEW_REFRESH, L"새로고침", L"새로고침");
  bar.AddSeparator();
  bar.AddButton(ID_CAFE_VIEW_DELETE, L"삭제", L"삭제");
  bar.AddSeparator();
  wxChoice* kinds = m_kindPicker =
      bar.AddChoice(ID_CAFE_VIEW_CUSTOMER_KIND, L"벤더", L"고객사 구분", 80);
  orv::ui::COptionList kindList;
  kindList.Parse(std::wstring_view(kCustomerKinds));
  for (const auto& entry : kindList.Entries()) kinds->Append(wxString(entry.label));
  kinds->SetSelection(kindList.IndexOfValue(m_clients->customerKind));
  m_groupPicker = bar.AddChoice(ID_CAFE_VIEW_GROUP, L"소속", L"소속", 100);
  bar.AddSeparator();
  bar.AddChoice(ID_CAFE_VIEW_CARD_COMPANY, L"카드사", L"카드사", 100);
  bar.AddSeparator();
  m_startDate = new wxDatePickerCtrl(&bar, ID_CAFE_VIEW_START_DATE, wxDateTime::Now() -
                                                                        wxDateSpan::Days(30));
  bar.AddControl(ID_CAFE_VIEW_START_DATE, nullptr, m_startDate);
  m_endDate = new wxDatePickerCtrl(&bar, ID_CAFE_VIEW_END_DATE, wxDateTime::Now());
  bar.AddControl(ID_CAFE_VIEW_END_DATE, nullptr, m_endDate);
  // A changed date is the list's new period: the list comes again for it.
  auto dateChanged = [this](wxDateEvent& e) {
    const wxDateTime date = e.GetDate();
    if (date.IsValid()) {
      SYSTEMTIME& target = e.GetId() == ID_CAFE_VIEW_END_DATE ? m_endTime : m_startTime;
      target.wYear = static_cast<WORD>(date.GetYear());
      target.wMonth = static_cast<WORD>(date.GetMonth() + 1);
      target.wDay = static_cast<WORD>(date.GetDay());
      m_clients->startDate = m_startTime;
      m_clients->endDate = m_endTime;
      m_clients->currentPage = 1;
      FreshHandle handle;
      FetchClientList(handle.curl, nullptr, 1, m_clients->pageSize, false);
      FillPageList();
    }
    e.Skip();
  };
  m_startDate->Bind(wxEVT_DATE_CHANGED, dateChanged);
  m_endDate->Bind(wxEVT_DATE_CHANGED, dateChanged);
  bar.AddSeparator();
  m_pagePicker = bar.AddChoice(ID_CAFE_VIEW_PAGE, nullptr, L"페이지를 선택할 수 있습니다", 120);
  m_countButton = bar.AddButton(ID_CAFE_VIEW_COUNT, L"개수:0", nullptr);
  bar.AddSeparator();
  bar.AddButton(ID_CAFE_VIEW_DICTIONARY, L"사전", L"웹 사전을 엽니다");
  auto* timer = new wxToggleButton(&bar, ID_CAFE_VIEW_TIMER, L"타이머", wxDefaultPosition,
                                   wxDefaultSize, wxBU_EXACTFIT);
  timer->SetToolTip(L"1초 타이머 켜기/끄기");
  bar.AddControl(ID_CAFE_VIEW_TIMER, nullptr, timer);
  // The client controls show with the client page; what nothing uses yet stays hidden.
  for (int id : {352, ID_CAFE_VIEW_CARD_COMPANY}) bar.Hide(id);
  for (int id : kClientToolIds) bar.Hide(id);
  bar.Layout();
}

void CCafeDataView::CreateTabsAndGrids() {
  m_tabs = new wxNotebook(this, IDC_CAFE_VIEW_TABS, wxPoint(0, 0), wxSize(208, 154));

  m_cafeGrid.SetCtrlId(IDC_CAFE_VIEW_GRID);
  if (auto* w = orv::ui::GfxInitReportCtrl2(m_cafeGrid, m_tabs, IDC_CAFE_VIEW_GRID,
                                            Utf8ToWide(kCafeInterestGridLayout))) {
    GfxFillTradeSideConstraints(m_cafeGrid.GetColumnEditOptions(CCafeStockRecord::kColTradeSide),
                                0, 1);
    GfxFillNationConstraints(m_cafeGrid.GetColumnEditOptions(CCafeStockRecord::kColNation), 0, 1);
    GfxFillBuyStateConstraints(m_cafeGrid.GetColumnEditOptions(CCafeStockRecord::kColState), 0, 1);
    m_cafeGrid.SetNotifyHandler([this](ReportNotify& nm) { return OnGridNotify(nm); });
    m_tabs->AddPage(w->GetWindow(), wxString(L"카페관심종목"));
  }

  m_memberGrid.SetCtrlId(IDC_CAFE_VIEW_MEMBER_GRID);
  if (auto* w = orv::ui::GfxInitReportCtrl2(m_memberGrid, m_tabs, IDC_CAFE_VIEW_MEMBER_GRID,
                                            kMemberLayout)) {
    m_memberGrid.FreezeColumns(kMemberFrozenColumns);
    GfxFillMemberLevelConstraints(m_memberGrid.GetColumnEditOptions(5), 0, 1);
    GfxFillNationConstraints(m_memberGrid.GetColumnEditOptions(4), 0, 1);
    m_tabs->AddPage(w->GetWindow(), wxString(L"회원관리"));
  }

  m_headerMenu = std::make_unique<wxMenu>();
  m_headerMenu->Append(ID_CAFE_VIEW_HIDE_COLUMN, L"Hide Column");
  m_headerMenu->Append(ID_CAFE_VIEW_SHOW_COLUMNS, L"Show All Hiden Columns");
  m_bodyMenu = std::make_unique<wxMenu>();
  m_bodyMenu->Append(ID_CAFE_VIEW_REFRESH, L"Refresh");
  m_bodyMenu->Append(ID_CAFE_VIEW_DELETE, L"Delete");
  m_bodyMenu->Append(kSaveMenuId, L"Save");
  m_bodyMenu->AppendSeparator();
  m_bodyMenu->Append(kPrintMenuId, L"Print");
  m_bodyMenu->Append(kPreviewMenuId, L"Print Preview");
  m_bodyMenu->Append(ID_CAFE_VIEW_COPY_ALL, L"Copy All");
}

void CCafeDataView::LayOut() {
  if (!m_tabs) return;
  const wxSize client = GetClientSize();
  int top = 0;
  if (m_toolbar) {
    // One row of 34 pixels when it fits; further rows when the view is narrow.
    top = m_toolbar->PlaceOver(client.x, m_toolbar->Scaled(kToolbarHeight));
    m_toolbar->Refresh();
  }
  m_tabs->SetSize(0, top, client.x, std::max(0, client.y - top));
}

wxWindow* CCafeDataView::ToolbarControl(int id) const {
  return m_toolbar ? m_toolbar->Control(id) : nullptr;
}

// ---------------------------------------------------------------------------------------
// The cafe tab

void CCafeDataView::OnCafePicked() {
  const int selection = m_cafePicker ? m_cafePicker->GetSelection() : wxNOT_FOUND;
  const int32_t cafe =
      selection >= 0 && static_cast<size_t>(selection) < m_pickerValues.size()
          ? m_pickerValues[static_cast<size_t>(selection)]
          : 0;
  EmptyStockRows();
  m_selectedCafe = cafe;
  m_selectedCafeRecord = m_owner ? m_owner->Engine().Cafe().Snapshot()->FindCafe(cafe) : nullptr;
  RequestCafeReload();
}

void CCafeDataView::RequestCafeReload() {
  // The worker downloads and posts the results back; nothing waits here.
  if (m_owner) m_owner->Engine().Cafe().RequestCafe(m_selectedCafe);
}

void CCafeDataView::EmptyCafeGrid() {
  EmptyStockRows();
  // The client list is the signed-in user's: it goes with the log-out.
  m_clientGrid.ResetContent();
  m_clientGrid.Populate();
  m_clients->SetUser(m_pRunSetting, m_pLoginInfo);
  m_clients->totalCount = 0;
  FillPageList();
  ShowClientCount(0);
}

void CCafeDataView::EmptyStockRows() {
  CCafeDlgGrids::UnlinkGridRows(m_cafeGrid, kRowSlotCafeData, true);
  m_cafeGrid.ResetContent();
  m_cafeGrid.Populate();
  m_rowsCafe = -1;
}

int CCafeDataView::AddCafeItemRows(const std::map<std::wstring, Stock_s*>& items,
                                   int32_t cafeIndex, int /*unused*/, bool clearFirst) {
  if (clearFirst) EmptyStockRows();
  AddCafeStockRows(m_cafeGrid, kRowSlotCafeData, Scale(), items, cafeIndex);
  return 0;
}

int32_t CCafeDataView::FillCafeConstraints(const CafeMap& cafes, int32_t select) {
  if (select < 0) select = m_selectedCafe;
  CafePicker_s picker;
  const int32_t selected = FillCafeColumnAndPicker(m_cafeGrid, cafes, &picker, select);
  m_pickerValues.clear();
  if (m_cafePicker) {
    m_cafePicker->Clear();
    for (const auto& entry : picker.entries.Entries()) {
      m_cafePicker->Append(wxString(entry.label));
      m_pickerValues.push_back(static_cast<int32_t>(entry.value));
    }
    const int index = picker.entries.IndexOfValue(selected);
    m_cafePicker->SetSelection(index >= 0 ? index : wxNOT_FOUND);
  }
  auto found = cafes.find(selected);
  m_selectedCafeRecord = found != cafes.end() ? found->second : nullptr;
  m_selectedCafe = selected;
  return selected;
}

void CCafeDataView::FillCafeGroups(const CafeSnapshotPtr& snapshot) {
  if (snapshot) FillCafeConstraints(*snapshot->cafes, snapshot->currentCafeIndex);
}

void CCafeDataView::FillCafeRows(const CafeSnapshotPtr& snapshot) {
  if (!snapshot) return;
  // The rows show one cafe: the stocks of another cafe replace them.
  if (snapshot->recItemsCafe != m_rowsCafe) {
    EmptyStockRows();
    m_stocks.clear();
    m_rowsCafe = snapshot->recItemsCafe;
  }
  AddCafeItemRows(TakeCafeStocks(m_stocks, *snapshot), snapshot->recItemsCafe, 0, false);
}

// ---------------------------------------------------------------------------------------
// The client list

void CCafeDataView::CreateClientPage() {
  if (!m_tabs) return;
  m_clientGrid.SetCtrlId(IDC_CAFE_VIEW_CLIENT_GRID);
  if (auto* w = orv::ui::GfxInitReportCtrl2(m_clientGrid, m_tabs, IDC_CAFE_VIEW_CLIENT_GRID,
                                            kClientGridLayout)) {
    m_clientGrid.SetNotifyHandler([this](ReportNotify& nm) { return OnClientGridNotify(nm); });
    m_tabs->AddPage(w->GetWindow(), wxString(L"고객관리"));
    // Workbooks dropped on the client list are imported.
    AcceptDroppedWorkbooks(w->GetWindow());
  }
  m_clientMenu = std::make_unique<wxMenu>();
  m_clientMenu->Append(ID_CAFE_VIEW_RELOAD_CLIENTS, L"Refresh");
  m_clientMenu->Append(ID_CAFE_VIEW_ADD, L"Add");
  m_clientMenu->Append(ID_CAFE_VIEW_EDIT, L"Edit");
  m_clientMenu->Append(ID_CAFE_VIEW_DELETE, L"Delete");
  m_clientMenu->Append(kSaveMenuId, L"Save");
  m_clientMenu->Append(kOpenMenuId, L"Open Excel File");
  m_clientMenu->AppendSeparator();
  m_clientMenu->Append(kPrintMenuId, L"Print");
  m_clientMenu->Append(kPreviewMenuId, L"Print Preview");
  m_clientMenu->Append(ID_CAFE_VIEW_COPY_ALL, L"Copy All");
  m_tabs->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, [this](wxBookCtrlEvent& e) {
    const bool clients = e.GetSelection() == kCafeViewClientPage;
    ShowClientTools(clients);
    // Opened after a log-in, the page downloads the list it has not had yet.
    if (clients && IsLoggedIn() && !m_clients->TopRow()) {
      ShowFetchingWindow();
      FetchClientList(true);
      HideFetchingWindow();
    }
    e.Skip();
  });
}

void CCafeDataView::ShowClientTools(bool show) {
  if (!m_toolbar) return;
  for (int id : kClientToolIds) m_toolbar->Show(id, show);
  m_toolbar->Layout();
  LayOut();
}

std::wstring CCafeDataView::Text(const wchar_t* key, const wchar_t* english) {
  wchar_t text[kTextChars] = {};
  GetKeywordFromDbByLanguage(key, english, nullptr, 0, text, kTextChars, m_languageId);
  return text[0] ? std::wstring(text) : std::wstring(english);
}

int CCafeDataView::FetchClientList(CURL* curl, const wchar_t* keyword, int page, int count,
                                   bool refill) {
  if (!IsLoggedIn()) return 0;
  m_clients->SetUser(m_pRunSetting, m_pLoginInfo);
  const int parsed = m_clients->Fetch(curl, keyword, page, count, refill);
  if (refill) FillGroupPicker();
  m_editedRecord = nullptr;
  ShowClientCount(static_cast<int>(m_clients->Records().size()));
  return parsed;
}

int CCafeDataView::FetchClientList(bool refill) {
  if (!IsLoggedIn()) return 0;
  m_clients->currentPage = 1;
  FreshHandle handle;
  const int parsed = FetchClientList(handle.curl, nullptr, 1, m_clients->pageSize, refill);
  FillPageList();
  return parsed;
}

void CCafeDataView::ReloadClientList(bool refill) {
  if (refill) {
    FetchClientList(true);
    return;
  }
  FreshHandle handle;
  const std::wstring keyword = m_clients->keyword;
  FetchClientList(handle.curl, keyword.c_str(), m_clients->currentPage, m_clients->pageSize,
                  false);
  FillPageList();
}

int CCafeDataView::FetchGridPage(CURL* curl, int gridId, bool refill) {
  if (gridId != IDC_CAFE_VIEW_CLIENT_GRID) return 0;
  FreshHandle fresh;
  FetchClientList(curl ? curl : fresh.curl, nullptr, m_clients->currentPage, m_clients->pageSize,
                  refill);
  return 0;
}

int CCafeDataView::UploadClients(CURL* curl, int deleteMode) {
  if (!IsLoggedIn()) return 0;
  m_clients->SetUser(m_pRunSetting, m_pLoginInfo);
  return m_clients->Upload(curl, deleteMode);
}

int CCafeDataView::ApplyClientFilter() {
  const int shown = m_clients->ApplyFilter();
  ShowClientCount(shown);
  return shown;
}

void CCafeDataView::FillPageList() {
  if (!m_pagePicker) return;
  m_pagePicker->Clear();
  for (const std::wstring& text : m_clients->PageTexts(Text(L"page.fmt", L"Page %d : %d")))
    m_pagePicker->Append(wxString(text));
  if (m_clients->currentPage >= 1 &&
      static_cast<unsigned>(m_clients->currentPage) <= m_pagePicker->GetCount())
    m_pagePicker->SetSelection(m_clients->currentPage - 1);
}

void CCafeDataView::FillGroupPicker() {
  if (!m_groupPicker) return;
  m_groupPicker->Clear();
  m_groupValues.clear();
  for (const auto& [title, idx] : m_clients->groups) {
    m_groupPicker->Append(wxString(title));
    m_groupValues.push_back(idx);
  }
  int at = 0;
  for (size_t i = 0; i < m_groupValues.size(); ++i)
    if (m_groupValues[i] == m_clients->groupFilter) at = static_cast<int>(i);
  if (!m_groupValues.empty()) m_groupPicker->SetSelection(at);
}

void CCafeDataView::ShowClientCount(int count) {
  if (m_countButton) m_countButton->SetLabel(wxString::Format(L"개수:%d", count));
}

void CCafeDataView::OnSearchClients() {
  m_clients->keyword = m_keywordBox ? Trimmed(m_keywordBox->GetValue()) : std::wstring();
  ShowFetchingWindow();
  ApplyClientFilter();
  HideFetchingWindow();
}

void CCafeDataView::OnSaveClients() {
  int added = 0, updated = 0;
  const int modified = m_clients->ModifiedCount(&added, &updated);
  if (modified < 1) {
    orv::win::MessageBox(WideToUtf8(Text(L"nothing.changed", L"Nothing changed")), "INFORMATION",
                         MB_OK | MB_ICONINFORMATION);
    return;
  }
  const std::wstring question = FillCounts(
      Text(L"save.changed",
           L"Do you want to save changes ? \nLeft Modified : %d\nRight Changed = %d(Add : %d, "
           L"Update : %d)\n You can save changed items all at once.You don't need to save every "
           L"time.  Do you still want to save?"),
      {modified, 0, added, updated});
  if (orv::win::MessageBox(WideToUtf8(question), "QUESTION", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  const int saved = SaveModifiedClients(0);
  if (saved > 0) {
    orv::win::MessageBox(
        WideToUtf8(FillCounts(Text(L"save.success.fmt", L"Successfully saved (success: %d, failed: %d)"),
                              {saved, 0})),
        "INFORMATION", MB_OK | MB_ICONINFORMATION);
  } else {
    orv::win::MessageBox(
        WideToUtf8(FillCounts(Text(L"save.failed.fmt", L"Failed to save (failed: %d, code: %d)"),
                              {modified, 0})),
        "ERROR", MB_OK | MB_ICONERROR);
  }
}

void CCafeDataView::OnDeleteClients() {
  const int count = m_clients->DeletableSelectedCount();
  if (count < 1) {
    orv::win::MessageBox(WideToUtf8(Text(L"nothing.selected", L"Nothing Seleted")), "ERROR",
                         MB_OK | MB_ICONERROR);
  } else if (orv::win::MessageBox(
                 WideToUtf8(FillCounts(Text(L"delete.confirm.fmt", L"Delete %d selected items?"),
                                       {count})),
                 "QUESTION", MB_YESNO | MB_ICONQUESTION) == IDYES) {
    FreshHandle handle;
    const int deleted = UploadClients(handle.curl, kClientDeleteRows);
    if (deleted < 1) {
      orv::win::MessageBox(WideToUtf8(Text(L"error.deleted", L"Can not delete.")), "ERROR",
                           MB_OK | MB_ICONERROR);
    } else {
      ReloadClientList(false);
      orv::win::MessageBox(
          WideToUtf8(FillCounts(Text(L"item.deleted.fmt",
                                     L"Item Deleted : %d (SKipped : %d, Failed : %d)"),
                                {deleted, 0, count > deleted ? count - deleted : 0})),
          "INFORMATION", MB_OK | MB_ICONINFORMATION);
    }
  }
  m_clickedGridId = -1;
}

void CCafeDataView::OnAddClient() {
  if (!IsLoggedIn()) {
    orv::win::MessageBox("로그인이 필요합니다", "ERROR", MB_OK | MB_ICONERROR);
    return;
  }
  if (!m_clients->NewRow()) FetchClientList(true);
  EditClient(m_clients->NewRow(), kEditorCompany);
}

void CCafeDataView::OnEditClient() {
  // The top row stands for the whole list and is no client of its own.
  std::vector<CWX_CLIENTS_Record*> rows;
  for (orv::ui::CMyReportRecordBase* row : m_clientGrid.GetSelectedRecords())
    if (auto* client = dynamic_cast<CWX_CLIENTS_Record*>(row); client && client != m_clients->TopRow())
      rows.push_back(client);
  if (rows.empty()) {
    orv::win::MessageBox(WideToUtf8(Text(L"nothing.selected", L"Nothing Seleted")), "ERROR",
                         MB_OK | MB_ICONERROR);
    return;
  }
  if (rows.size() > 1) {
    orv::win::MessageBox(WideToUtf8(Text(L"over.selected", L"Can not select over 1 item")),
                         "ERROR", MB_OK | MB_ICONERROR);
    return;
  }
  m_editedRecord = rows.front();
  EditClient(m_editedRecord, kEditorCompany);
}

int CCafeDataView::EditClient(CWX_CLIENTS_Record* row, int mode) {
  CDataInputDlg dialog(this, this, mode, 1, m_pRunSetting, m_pLoginInfo);
  if (row && mode == kEditorCompany) dialog.SetClientValues(CClientList::ValuesOf(*row));
  const int result = dialog.DoModal();
  if (result == wxID_OK && row && mode == kEditorCompany)
    m_clients->WriteValues(row, dialog.ClientValues());
  return result;
}

LRESULT CCafeDataView::OnClientGridNotify(ReportNotify& nm) {
  switch (nm.code) {
    case orv::ui::REPORT_NM_VALUECHANGED:
      return m_clients->OnCellChanged(nm.record, nm.column);
    case orv::ui::NM_RCLICK:
      m_clickedGridId = nm.ctrlId;
      m_clickedColumn = nm.column;
      PopupGridMenu(*m_clientMenu);
      return 1;
    case orv::ui::REPORT_NM_REQUESTEDIT:
      // The top row stands for the whole list, and the numbers the server gives stay its own.
      if (nm.record == m_clients->TopRow() || (nm.column >= CWX_CLIENTS_Record::kColIdx &&
                                               nm.column <= CWX_CLIENTS_Record::kColAgency))
        nm.cancel = TRUE;
      return 1;
    case orv::ui::NM_DBLCLK:
      // A double click opens the row in the record editor.
      if (nm.record && nm.record != m_clients->TopRow() && IsLoggedIn())
        EditClient(dynamic_cast<CWX_CLIENTS_Record*>(nm.record), kEditorCompany);
      return 1;
    default:
      return 0;
  }
}

// ---------------------------------------------------------------------------------------
// Commands and grid notifications

bool CCafeDataView::OnCommand(int id) {
  if (id == ID_CAFE_VIEW_REFRESH) {
    RequestCafeReload();
    return true;
  }
  switch (id) {
    case ID_CAFE_VIEW_SAVE:
      OnSaveClients();
      return true;
    case ID_CAFE_VIEW_DELETE:
      OnDeleteClients();
      return true;
    case ID_CAFE_VIEW_ADD:
      OnAddClient();
      return true;
    case ID_CAFE_VIEW_EDIT:
      OnEditClient();
      return true;
    case ID_CAFE_VIEW_SEARCH:
      OnSearchClients();
      return true;
    case ID_CAFE_VIEW_RELOAD_CLIENTS:
      ShowFetchingWindow();
      ReloadClientList(false);
      HideFetchingWindow();
      return true;
    case ID_CAFE_VIEW_HIDE_COLUMN:
      m_layoutChanged = true;
      if (m_clickedGridId == IDC_CAFE_VIEW_GRID && m_clickedColumn >= 0) {
        m_cafeGrid.ShowColumn(m_clickedColumn, false);
        m_cafeGrid.RedrawControl();
      }
      return true;
    case ID_CAFE_VIEW_SHOW_COLUMNS:
      m_layoutChanged = true;
      if (m_clickedGridId == IDC_CAFE_VIEW_GRID) {
        m_cafeGrid.ShowAllHiddenColumns();
        m_cafeGrid.RedrawControl();
      }
      return true;
    default:
      return OnToolCommand(id);
  }
}

LRESULT CCafeDataView::OnGridNotify(ReportNotify& nm) {
  if (nm.ctrlId != IDC_CAFE_VIEW_GRID) return 0;
  switch (nm.code) {
    case orv::ui::REPORT_NM_HEADER_RCLICK:
      m_clickedGridId = nm.ctrlId;
      m_clickedColumn = nm.column;
      PopupGridMenu(*m_headerMenu);
      return 1;
    case orv::ui::NM_RCLICK:
      m_clickedGridId = nm.ctrlId;
      m_clickedColumn = nm.column;
      PopupGridMenu(*m_bodyMenu);
      return 1;
    case orv::ui::REPORT_NM_COLUMNCHANGED:
      if (nm.column >= 0) m_layoutChanged = true;
      return 0;
    case orv::ui::REPORT_NM_REQUESTEDIT:
      // The rows' cells are edited only through the client list, which is not available:
      // an edit would change nothing that is kept.
      nm.cancel = TRUE;
      return 1;
    default:
      return 0;
  }
}

void CCafeDataView::PopupGridMenu(wxMenu& menu) {
  for (int id : {ID_CAFE_VIEW_REFRESH, ID_CAFE_VIEW_DELETE, kSaveMenuId, ID_CAFE_VIEW_ADD,
                 ID_CAFE_VIEW_EDIT, ID_CAFE_VIEW_RELOAD_CLIENTS})
    if (menu.FindItem(id)) menu.Enable(id, IsLoggedIn());
  PopupMenu(&menu);
}

// ---------------------------------------------------------------------------------------
// Embedded-view operations and messages

bool CCafeDataView::IsLoggedIn() const { return m_pLoginInfo && m_pLoginInfo->nUserIdx >= 1; }

int64_t CCafeDataView::OnReceivedMsgFromManager(int kind, UINT code, WPARAM wParam, LPARAM lParam,
                                                void*) {
  return RouteCafeViewHostCommand(kind, code, wParam, lParam, *this);
}

void CCafeDataView::SendToWindow(UINT message, WPARAM wParam, LPARAM lParam) {
  WindowProc(message, wParam, lParam);
}

LRESULT CCafeDataView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MODULE_REFRESH:
      return RouteCafeViewRefresh(wParam, reinterpret_cast<const CafeViewBranch_s*>(lParam),
                                  *this);
    case WM_MODULE_LANGUAGE:
      RouteCafeViewLanguage(wParam, lParam, *this);
      return 0;
    default:
      return 0;
  }
}

void CCafeDataView::SetCurBranchIdx(int32_t company, int32_t branch) {
  m_curCompany = company;
  m_curBranch = branch;
}

void CCafeDataView::ApplyLanguage(int languageId) {
  m_languageId = languageId;
  RefreshUITextByLanguageId(languageId);
}

int CCafeDataView::RefreshUITextByLanguageId(int languageId) {
  // The view's texts (the waiting window's) are looked up in this language.
  if (languageId >= 1) m_languageId = languageId;
  return 0;
}

int CCafeDataView::RefreshWindowAll(int, SYSTEMTIME*, SYSTEMTIME*, const wchar_t*, void*, wchar_t,
                                    uint8_t) {
  Enable(IsLoggedIn());
  return 0;
}

int CCafeDataView::RefreshWindow(int command, int, SYSTEMTIME*, SYSTEMTIME*, const wchar_t*,
                                 void*, wchar_t, uint8_t) {
  m_refreshArg = command;
  LayOut();
  Refresh();
  return 1;
}

void CCafeDataView::ShowFetchingWindow() { ShowFetchingDataWnd(m_languageId); }
