#include "plugin/community/dataview/CafeDataView.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/datectrl.h>
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

namespace {

constexpr int kToolbarHeight = 34;
constexpr int kLargestWindowId = 32767;
// Menu item ids stop below 32767 too: the body menu's "Save", "Print" and "Print Preview" carry
// the toolkit's ids.
constexpr int kSaveMenuId = wxID_SAVE;
constexpr int kPrintMenuId = wxID_PRINT;
constexpr int kPreviewMenuId = wxID_PREVIEW;

// The command of a menu item.
int MenuCommand(int menuId) {
  switch (menuId) {
    case kSaveMenuId:
      return ID_CAFE_VIEW_SAVE;
    case kPrintMenuId:
      return ID_CAFE_VIEW_PRINT;
    case kPreviewMenuId:
      return ID_CAFE_VIEW_PREVIEW;
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

// The commands of the client list (delete, save, edit, add, search).
bool IsClientListCommand(int id) {
  static constexpr int kIds[] = {ID_CAFE_VIEW_DELETE, ID_CAFE_VIEW_SAVE, 578, 10011, 670};
  return std::find(std::begin(kIds), std::end(kIds), id) != std::end(kIds);
}

// The commands that need a signed-in user.
bool NeedsLogin(int id) {
  static constexpr int kIds[] = {ID_CAFE_VIEW_DELETE, ID_CAFE_VIEW_SAVE, ID_CAFE_VIEW_REFRESH};
  return std::find(std::begin(kIds), std::end(kIds), id) != std::end(kIds);
}

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
  void Hide(int id) {
    auto it = pairs_.find(id);
    if (it != pairs_.end()) sizer_->Hide(it->second, true);
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

CCafeDataView::CCafeDataView(CPelomarView* owner) : m_owner(owner) {}

CCafeDataView::~CCafeDataView() {
  // The preview draws the cafe grid: it goes first.
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

  CreateToolbar();
  CreateTabsAndGrids();
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
        m_customerKind = std::max(0, e.GetSelection());
        break;
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
  bar.AddButton(57601, L"열기", L"열기");
  bar.AddButton(ID_CAFE_VIEW_SAVE, L"저장", L"저장");
  bar.AddButton(352, L"엑셀", L"export.xls");
  m_cafePicker = bar.AddChoice(ID_CAFE_VIEW_PICKER, L"카페", L"가입할 카페를 선택합니다", 130);
  bar.AddSeparator();
  m_keywordBox = new wxTextCtrl(&bar, ID_CAFE_VIEW_KEYWORD, wxEmptyString, wxDefaultPosition,
                                wxSize(bar.Scaled(60), -1), wxTE_PROCESS_ENTER);
  m_keywordBox->SetToolTip(L"Keyword");
  m_keywordBox->Bind(wxEVT_TEXT_ENTER,
                     [this](wxCommandEvent&) { m_searchKeyword = Trimmed(m_keywordBox->GetValue()); });
  bar.AddControl(ID_CAFE_VIEW_KEYWORD, L"검색", m_keywordBox);
  bar.AddButton(670, L"검색", L"검색");
  bar.AddSeparator();
  bar.AddButton(ID_CAFE_VIEW_REFRESH, L"새로고침", L"새로고침");
  bar.AddSeparator();
  bar.AddButton(ID_CAFE_VIEW_DELETE, L"삭제", L"삭제");
  bar.AddSeparator();
  wxChoice* kinds = bar.AddChoice(ID_CAFE_VIEW_CUSTOMER_KIND, L"벤더", L"고객사 구분", 80);
  orv::ui::COptionList kindList;
  kindList.Parse(std::wstring_view(kCustomerKinds));
  for (const auto& entry : kindList.Entries()) kinds->Append(wxString(entry.label));
  kinds->SetSelection(kindList.IndexOfValue(m_customerKind));
  bar.AddChoice(ID_CAFE_VIEW_GROUP, L"소속", L"소속", 100);
  bar.AddSeparator();
  bar.AddChoice(ID_CAFE_VIEW_CARD_COMPANY, L"카드사", L"카드사", 100);
  bar.AddSeparator();
  m_startDate = new wxDatePickerCtrl(&bar, ID_CAFE_VIEW_START_DATE, wxDateTime::Now() -
                                                                        wxDateSpan::Days(30));
  bar.AddControl(ID_CAFE_VIEW_START_DATE, nullptr, m_startDate);
  m_endDate = new wxDatePickerCtrl(&bar, ID_CAFE_VIEW_END_DATE, wxDateTime::Now());
  bar.AddControl(ID_CAFE_VIEW_END_DATE, nullptr, m_endDate);
  bar.AddSeparator();
  bar.AddChoice(ID_CAFE_VIEW_PAGE, nullptr, L"페이지를 선택할 수 있습니다", 50);
  bar.AddButton(ID_CAFE_VIEW_COUNT, L"개수:0", nullptr);
  bar.AddSeparator();
  bar.AddButton(ID_CAFE_VIEW_DICTIONARY, L"사전", L"웹 사전을 엽니다");
  auto* timer = new wxToggleButton(&bar, ID_CAFE_VIEW_TIMER, L"타이머", wxDefaultPosition,
                                   wxDefaultSize, wxBU_EXACTFIT);
  timer->SetToolTip(L"1초 타이머 켜기/끄기");
  bar.AddControl(ID_CAFE_VIEW_TIMER, nullptr, timer);
  // What the view does not use yet stays hidden: the client list's controls.
  for (int id : {10011, ID_CAFE_VIEW_KEYWORD, 670, 57601, ID_CAFE_VIEW_SAVE, 352,
                 ID_CAFE_VIEW_CARD_COMPANY, ID_CAFE_VIEW_CUSTOMER_KIND, ID_CAFE_VIEW_START_DATE,
                 ID_CAFE_VIEW_END_DATE, ID_CAFE_VIEW_PAGE, ID_CAFE_VIEW_COUNT})
    bar.Hide(id);
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
  EmptyCafeGrid();
  m_selectedCafe = cafe;
  m_selectedCafeRecord = m_owner ? m_owner->Engine().Cafe().Snapshot()->FindCafe(cafe) : nullptr;
  RequestCafeReload();
}

void CCafeDataView::RequestCafeReload() {
  // The worker downloads and posts the results back; nothing waits here.
  if (m_owner) m_owner->Engine().Cafe().RequestCafe(m_selectedCafe);
}

void CCafeDataView::EmptyCafeGrid() {
  CCafeDlgGrids::UnlinkGridRows(m_cafeGrid, kRowSlotCafeData, true);
  m_cafeGrid.ResetContent();
  m_cafeGrid.Populate();
  m_rowsCafe = -1;
}

int CCafeDataView::AddCafeItemRows(const std::map<std::wstring, Stock_s*>& items,
                                   int32_t cafeIndex, int /*unused*/, bool clearFirst) {
  if (clearFirst) EmptyCafeGrid();
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
    EmptyCafeGrid();
    m_stocks.clear();
    m_rowsCafe = snapshot->recItemsCafe;
  }
  AddCafeItemRows(TakeCafeStocks(m_stocks, *snapshot), snapshot->recItemsCafe, 0, false);
}

// ---------------------------------------------------------------------------------------
// The client list (not available yet)

void CCafeDataView::SayNotAvailable(const wchar_t* what) {
  const std::wstring text = std::wstring(what) + L": " + Utf8ToWide(kNotAvailableText);
  AddLogMsg(m_nCtrlId, 4, 0, nullptr, text.c_str(), 0);
}

int CCafeDataView::FetchClientList(bool /*refill*/) {
  if (!IsLoggedIn()) return 0;
  SayNotAvailable(L"고객 목록 조회");
  return 0;
}

int CCafeDataView::UploadClients(int /*deleteMode*/) {
  SayNotAvailable(L"고객 목록 저장");
  return 0;
}

// ---------------------------------------------------------------------------------------
// Commands and grid notifications

bool CCafeDataView::OnCommand(int id) {
  if (id == ID_CAFE_VIEW_REFRESH) {
    RequestCafeReload();
    return true;
  }
  if (IsClientListCommand(id)) {
    orv::win::MessageBox(kNotAvailableText, "INFORMATION", MB_OK | MB_ICONINFORMATION);
    return true;
  }
  switch (id) {
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
  for (int id : {ID_CAFE_VIEW_REFRESH, ID_CAFE_VIEW_DELETE, kSaveMenuId})
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
