// The trading view's window dressing: the command bar and its controls, the popup bars and
// context menus with their language texts, the layout of the child windows, the splitter, the
// check-box row and the host's docking panes.

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/dcclient.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/settings.h>

#include <algorithm>

#include "platform/support/TextConv.h"
#include "platform/ui/ReportGridWindow.h"
#include "platform/ui/model/ReportCtrl.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "plugin/community/StockGridMenu.h"
#include "plugin/view/PelomarLoginEngine.h"
#include "plugin/rows/RurezOzadoResultRecord.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/ViewToolbar.h"
#include "plugin/view/engine/TradingOptions.h"
#include "platform/ui/model/OptionList.h"
#include "shared/AppRunSetting.h"

namespace {

constexpr int IDC_COMMAND_BAR = 0xE800 & 0x7FFF;
constexpr int kKeywordLen = 500;
constexpr const char* kSettingsSection = "Settings";

const wchar_t* const kContextPopupNames[17] = {
    L"1-left Header",  L"1-left body",    L"1-right Header", L"1-right body",   L"Order",
    L"1-right Header", L"1-right Header", L"upload",         L"upload-8",       L"upload-9",
    L"Order-10",       L"Order-11",       L"Order-12",       L"13-left Header", L"Order-14",
    L"Order-15",       L"updown-16"};

struct KeywordItem {
  int id;
  const wchar_t* key;
  const wchar_t* english;
  const wchar_t* korean;
};

const KeywordItem kHeaderItems[] = {
    {592, L"hide.column", L"Hide Column", L"열 숨기기"},
    {679, L"show.all.hidden.column", L"Show all hidden columns", L"숨겨진 열 보이기"},
    {309, L"copy.column.caption", L"Copy column's caption", L"열 타이틀 복사"},
    {311, L"copy.column.caption.width", L"Copy all column's caption(with width)",
     L"전체 열 타이틀 복사"},
};
const KeywordItem kBodyItems[] = {
    {542, L"add", L"add", L"추가"},
    {578, L"edit", L"edit", nullptr},
    {451, L"delete", L"delete", L"삭제"},
};
// Toolbar tooltips by command id; the English default is the key itself.
const KeywordItem kTooltips[] = {
    {267, L"timer.on", L"timer.on", nullptr},
    {352, L"export.xls", L"export.xls", nullptr},
    {428, L"copy.selected", L"copy.selected", nullptr},
    {434, L"end.date", L"end.date", L"종료일"},
    {481, L"refresh", L"refresh", L"새로고침"},
    {542, L"add", L"add", L"추가"},
    {557, L"category", L"category", L"카테고리"},
    {558, L"category.add", L"category.add", nullptr},
    {572, L"setting", L"setting", L"환경설정"},
    {597, L"keyword", L"keyword", L"키워드"},
    {670, L"search", L"search", L"검색"},
    {702, L"sub.type", L"sub.type", nullptr},
    {715, L"type", L"type", nullptr},
    {787, L"page", L"page", nullptr},
    {899, L"start.date", L"start.date", L"시작일"},
    {987, L"show.left.panel", L"show.left.panel", nullptr},
    {57601, L"open", L"open", L"열기"},
    {57603, L"save", L"save", L"저장"},
    {57607, L"print", L"print", L"인쇄"},
};

// Popup bars: command-bar id -> submenu of the first menu.
const std::pair<int, int> kCommandBarMenus[] = {{394, 7},  {667, 8},   {681, 9},   {934, 12},
                                                {978, 11}, {2240, 16}, {57601, 5}, {57603, 6}};

const KeywordItem kStockMenuItems[] = {
    {ID_GRID_BUY, nullptr, L"매수", nullptr},
    {ID_GRID_SELL, nullptr, L"매도", nullptr},
    {ID_STOCK_INFO, nullptr, L"종목 정보 조회 (웹 사이트 이동)", nullptr},
    {ID_HOLDING_AUTO_TRADE, nullptr, L"자동 매매", nullptr},
    {ID_STAIR_WATCH, nullptr, L"계단 손절/익절 설정", nullptr},
    {ID_AUTO_SELL_ALL, nullptr,
     L"전체 잔고 종목 -> 자동 매도(Auto Sell) 등록(전체 50만원씩 분할 매도)", nullptr},
    {ID_CAFE_RECOMMEND_BUY, nullptr, L"종목 매수 (&Buy) 추천 - 카페 멤버에게 공유", nullptr},
    {ID_CAFE_RECOMMEND_SELL, nullptr, L"종목 매도 (&Sell) 추천 - 카페 멤버에게 공유", nullptr},
    {ID_ADD_WATCH_STOCK, nullptr, L"감시 종목으로 등록 (&Auto Buy)", nullptr},
    {ID_OTHER_ACCOUNT_MONITOR_ON, nullptr,
     L"타계좌 모니터링 종목으로 설정 - 권장 (스탑로스 문자 수신)", nullptr},
    {ID_OTHER_ACCOUNT_MONITOR_OFF, nullptr, L"타계좌 모니터링 종목에서 해제", nullptr},
};

// The holdings grid's column menus: the presets that set one column for many holdings.
struct PresetItem {
  int id;
  const wchar_t* text;
};
const PresetItem kSellRatioItems[] = {
    {3190, L"★전체 100% 전량매도 설정"},
    {3191, L"☆전체 95%만 매도 설정 (5% 남김)"},
};
const PresetItem kStopLossItems[] = {
    {3185, L"▽손절(-) (선택): -3% 하향"},   {3189, L"▽손절(-) (선택): -5% 하향"},
    {3202, L"▽손절(-) (선택): -7.5% 하향"}, {3200, L"↓손절(-) (선택): -10% 하향"},
    {3186, L"▼손절(-) 전체 해제"},
};
const PresetItem kMinProfitItems[] = {
    {3184, L"△최저익절(+) (선택): -2% 하향"},    {3187, L"△최저익절(+) (선택): 3% 설정"},
    {3188, L"▲최저익절(+) (선택): 5% 설정"},     {3201, L"▲최저익절(+) (선택): 7.5% 설정"},
    {3199, L"↑최저익절(+) (선택): 10% 설정"},    {3198, L"↑▲최저익절(+) (선택): 50% 설정"},
    {3203, L"↑↑최저익절(+) (선택): 100% 설정"},  {3204, L"↑↑↑최저익절(+) (선택): 200% 설정"},
};

template <size_t N>
std::unique_ptr<wxMenu> MakePresetMenu(const PresetItem (&items)[N]) {
  auto menu = std::make_unique<wxMenu>();
  for (const PresetItem& item : items) menu->Append(item.id, wxString(item.text));
  return menu;
}

wxRect ToWx(const RECT& r) { return wxRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

}  // namespace

double CPelomarView::Scale() const {
  return m_pRunSetting && m_pRunSetting->dScale > 0 ? m_pRunSetting->dScale : 1.0;
}

// ---------------------------------------------------------------------------------------
// Creation

void CPelomarView::InitWindowParts() {
  if (m_commandBar) return;
  m_layout.splitterPos = orv::win::GetProfileInt(kSettingsSection, "TrackerPos", 0);
  // The left pane holds the cafe data view when the host gave it no container of its own.
  wxWindow* left = m_cafeDataView ? m_cafeDataView->GetWindow() : nullptr;
  m_layout.leftPaneHidden = (m_containerGiven[0] || !left) ? 1 : 0;
  m_layout.sidePanelHidden = 1;
  BuildContextMenus();
  CreateCommandBar();
  for (int id : {IDC_ALL_STOCK_GRID, IDC_MY_STOCK_GRID, IDC_ORDER_HISTORY_GRID})
    if (auto* grid = Grid(id)) {
      grid->SetCtrlId(id);
      grid->SetNotifyHandler([this](orv::ui::ReportNotify& nm) { return OnGridNotify(nm); });
    }
  // The own-stock grid's footer (its first row carries the totals) comes with the first
  // holdings rows; the all-stock grid has its footer from the start, made anew by each fill.
  if (m_allStockGrid && m_allStockGrid->GetFooterRecordCount() == 0)
    m_allStockGrid->AddFooterRecord(std::make_unique<CStockRecord>(nullptr, 0, Scale()));
  FillGridOptionLists();
  FillOptionLists();

  // The check-box row's texts at 12 pixels (scaled), so the captions fit their boxes.
  const wxFont rowFont(wxFontInfo(wxSize(0, static_cast<int>(12 * Scale()))));
  for (wxCheckBox* check : m_checks)
    if (check) check->SetFont(rowFont);
  if (m_profitRatesButton) m_profitRatesButton->SetFont(rowFont);

  Bind(wxEVT_PAINT, &CPelomarView::OnPaintView, this);
  Bind(wxEVT_LEFT_DOWN, &CPelomarView::OnMouseDown, this);
  Bind(wxEVT_LEFT_UP, &CPelomarView::OnMouseUp, this);
  Bind(wxEVT_SIZE, &CPelomarView::OnSizeView, this);
  // A changed tab caption changes the tab strip's width: the check-box row may no longer fit
  // beside it (or fit again). Tabs not yet shown at the last layout are measured once shown.
  SetExtraStyle(GetExtraStyle() | wxWS_EX_PROCESS_IDLE);  // where idle goes only on request
  Bind(wxEVT_IDLE, [this](wxIdleEvent& event) {
    event.Skip();
    if (!m_tabs) return;
    if (TabCaptions() != m_tabCaptionsAtLayout ||
        (m_tabStripAtLayout == 0 && m_tabs->IsShownOnScreen() && TabStripWidth() > 0))
      LayoutChildWindows();
  });
  Bind(wxEVT_DROP_FILES, &CPelomarView::OnDropFilesView, this);
  Bind(wxEVT_CHECKBOX, &CPelomarView::OnCheckBoxClicked, this);
  Bind(wxEVT_MENU, [this](wxCommandEvent& e) {
    if (!OnCommand(e.GetId())) e.Skip();
  });
  Bind(wxEVT_BUTTON, [this](wxCommandEvent& e) {
    if (!OnCommand(e.GetId())) e.Skip();
  });
  // The menu items show their update state whenever a menu opens.
  Bind(wxEVT_MENU_OPEN, [this](wxMenuEvent& e) {
    if (wxMenu* menu = e.GetMenu()) UpdateCommandMenu(*menu);
    e.Skip();
  });
  UpdateUiModeVisibility(nullptr, true);
  UpdateCheckColours();
  if (m_loginEngine) AttachWebLogin(&m_loginEngine->WebLogin());
  // The language texts of the menus and the tooltips made above.
  RefreshHeaderMenuTexts(m_languageId);
  RefreshToolbarTooltips(m_languageId);
}

void CPelomarView::CreateCommandBar() {
  m_commandBar = new CViewCommandBar(this, IDC_COMMAND_BAR, Scale());
  for (const ToolbarControlSpec& spec : ToolbarControls()) OnCreateControl(spec.id);
  auto onControl = [this](wxCommandEvent& e) {
    if (!OnToolbarControl(e.GetId()) && !OnToolbarExecute(e.GetId())) e.Skip();
  };
  m_commandBar->Bind(wxEVT_COMBOBOX, onControl);
  m_commandBar->Bind(wxEVT_CHECKBOX, onControl);
  m_commandBar->Bind(wxEVT_TEXT_ENTER, onControl);
  // The toolkit's picker closes as the date is picked: a change is also its close-up.
  m_commandBar->Bind(wxEVT_DATE_CHANGED, [this](wxDateEvent& e) {
    OnDateChanged(e.GetId());
    OnDateCloseUp(e.GetId());
  });
  m_commandBar->Bind(wxEVT_BUTTON, [this](wxCommandEvent& e) {
    if (e.GetId() == IDC_COMMAND_MENU_BUTTON) {
      std::unique_ptr<wxMenu> menu = BuildCommandMenu();
      if (wxWindow* button = m_commandBar->Control(IDC_COMMAND_MENU_BUTTON))
        m_commandBar->PopupMenu(menu.get(), button->GetPosition() +
                                                wxPoint(0, button->GetSize().y));
      return;
    }
    if (!OnCommand(e.GetId())) e.Skip();
  });
  m_commandBar->Bind(wxEVT_MENU, [this](wxCommandEvent& e) {
    if (!OnCommand(e.GetId())) e.Skip();
  });
}

int CPelomarView::OnCreateControl(int id) {
  if (!m_commandBar || !m_commandBar->CreateControl(id)) return 0;
  wxWindow* control = m_commandBar->Control(id);
  switch (id) {
    case 1298:
      control->Show(m_nationSwitchOn != 0);
      control->Enable(m_overseasAutoSwitch == 0);
      break;
    case 1299:
      control->Show(m_nationSwitchOn != 0);
      static_cast<wxCheckBox*>(control)->SetValue(m_overseasAutoSwitch != 0);
      break;
    case 2239:
      static_cast<wxCheckBox*>(control)->SetValue(m_newStockStopLoss != 0);
      break;
    case 3445:
      static_cast<wxCheckBox*>(control)->SetValue(m_engine->Options().sell_one_by_one != 0);
      break;
    case 899:
    case 434: {
      const SYSTEMTIME& t = id == 899 ? m_queryFrom : m_queryTo;
      if (t.wYear)
        static_cast<wxDatePickerCtrl*>(control)->SetValue(
            wxDateTime(t.wDay, static_cast<wxDateTime::Month>(t.wMonth - 1), t.wYear));
      break;
    }
    default:
      break;
  }
  return 1;
}

namespace {
// The room a combo box's drop-down button and borders take beside its text (at 96 dpi).
constexpr int kComboButtonRoom = 60;
}  // namespace

void CPelomarView::FillOptionLists() {
  if (!m_commandBar) return;
  m_engine->m_popupMode.store(m_notiPopupFlags);
  for (const ToolbarOptionList_s& list :
       ToolbarOptionLists(m_engine->Options(), m_notiPopupFlags, m_nationSelection)) {
    auto* combo = dynamic_cast<wxComboBox*>(m_commandBar->Control(list.controlId));
    orv::ui::COptionList options;
    std::wstring problem;
    if (!combo || !options.Parse(std::string_view(list.text), ';', &problem)) continue;
    combo->Clear();
    int widest = 0;
    for (const orv::ui::OptionEntry& entry : options.Entries()) {
      combo->Append(wxString(entry.label));
      widest = std::max(widest, combo->GetTextExtent(wxString(entry.label)).x);
    }
    // Every entry shows whole in the box, beside its drop-down button.
    const int needed = widest + static_cast<int>(kComboButtonRoom * Scale());
    if (combo->GetSize().x < needed) combo->SetSize(wxSize(needed, combo->GetSize().y));
    const int index = options.IndexOfValue(list.selected);
    if (!options.Empty()) combo->SetSelection(index >= 0 ? index : 0);
    if (list.hidden) {
      combo->Hide();
      if (wxWindow* label = m_commandBar->Label(list.controlId)) label->Hide();
    }
    m_toolbarOptions[list.controlId] = std::move(options);
  }
  m_commandBar->Layout();
}

bool CPelomarView::SelectedOptionValue(int id, int64_t* value) const {
  auto* combo = m_commandBar ? dynamic_cast<wxComboBox*>(m_commandBar->Control(id)) : nullptr;
  auto list = m_toolbarOptions.find(id);
  if (!combo || list == m_toolbarOptions.end()) return false;
  const int index = combo->GetSelection();
  if (index < 0 || index >= static_cast<int>(list->second.Size())) return false;
  *value = list->second.At(index).value;
  return true;
}

bool CPelomarView::OnToolbarControl(int id) {
  wxWindow* control = m_commandBar ? m_commandBar->Control(id) : nullptr;
  // A combo box's value is the value part of its selected entry.
  int64_t selected = 0;
  const bool hasValue = SelectedOptionValue(id, &selected);
  const int value = static_cast<int>(selected);
  switch (id) {
    case 1316:
      if (!hasValue) return true;
      m_notiPopupFlags = value;
      m_engine->m_popupMode.store(value);
      orv::win::WriteProfileInt(kSettingsSection, "STOCK_NotiPopupFlags", value);
      return true;
    case 3350:
      if (!hasValue) return true;
      m_engine->Options().stop_trading_loss = value;
      m_engine->Options().changed = 1;
      return true;
    case 1299: {
      const bool wasOn = m_overseasAutoSwitch != 0;
      m_overseasAutoSwitch = wasOn ? 0 : 1;
      if (wasOn) m_nationSelection = 1;
      if (auto* check = dynamic_cast<wxCheckBox*>(control)) check->SetValue(!wasOn);
      if (wxWindow* nation = m_commandBar->Control(1298)) nation->Enable(m_overseasAutoSwitch == 0);
      return true;
    }
    case 3445:
      ToggleSellOneByOne();
      return true;
    case 1298:
      if (!hasValue) return true;
      m_nationSelection = value;
      return true;
    case 787:
      m_pageEntry = value + 1;
      ShowFetchingWindow(true);
      ShowFetchingWindow(false);
      return true;
    default:
      return false;
  }
}

// ---------------------------------------------------------------------------------------
// Menus

void CPelomarView::BuildContextMenus() {
  m_contextMenu = std::make_unique<wxMenu>();
  for (int i = 0; i < 17; ++i) {
    auto* popup = new wxMenu;
    if (i == 1 || i == 2)
      for (const KeywordItem& item : kBodyItems) popup->Append(item.id, wxString(item.english));
    m_contextMenu->AppendSubMenu(popup, wxString(kContextPopupNames[i]));
  }
  m_stockMenu = std::make_unique<wxMenu>();
  for (const KeywordItem& item : kStockMenuItems)
    m_stockMenu->Append(item.id, wxString(item.english));
  m_sellRatioMenu = MakePresetMenu(kSellRatioItems);
  m_stopLossMenu = MakePresetMenu(kStopLossItems);
  m_minProfitMenu = MakePresetMenu(kMinProfitItems);
}

wxMenu* CPelomarView::HoldingsColumnMenu(int item) {
  switch (item) {
    case CRurezOzadoResultRecord::kColSellRatio:
      return m_sellRatioMenu.get();
    case CRurezOzadoResultRecord::kColStopLoss:
      return m_stopLossMenu.get();
    case CRurezOzadoResultRecord::kColMinProfit:
      return m_minProfitMenu.get();
    default:
      return StockMenu();
  }
}

wxMenu* CPelomarView::ContextMenuPopup(int index) {
  if (!m_contextMenu || index < 0 || index >= static_cast<int>(m_contextMenu->GetMenuItemCount()))
    return nullptr;
  return m_contextMenu->FindItemByPosition(index)->GetSubMenu();
}

wxMenu* CPelomarView::StockMenu() { return m_stockMenu.get(); }

wxMenu* CPelomarView::OnCreateCommandBar(int id) {
  int submenu = -1;
  for (const auto& [barId, index] : kCommandBarMenus)
    if (barId == id) submenu = index;
  auto copy = [](wxMenu* from, const wxString& title) {
    auto* menu = new wxMenu(title, wxMENU_TEAROFF);
    if (from)
      for (wxMenuItem* item : from->GetMenuItems())
        if (!item->IsSubMenu()) menu->Append(item->GetId(), item->GetItemLabel());
    return menu;
  };
  if (submenu >= 0) return copy(ContextMenuPopup(submenu), wxString(L"Themes Bar"));
  if (id == 562) return copy(nullptr, wxString(L"Borders"));
  if (id == 569) {
    wxMenu* menu = copy(nullptr, wxString(L"Text Color"));
    menu->Append(9948, wxString(L"Automatic"));
    menu->Append(570, wxString(L"Text Color"));
    menu->Append(9949, wxString(L"More Colors..."));
    return menu;
  }
  return nullptr;
}

void CPelomarView::RefreshHeaderMenuTexts(int languageId) {
  wchar_t text[kKeywordLen];
  if (wxMenu* header = ContextMenuPopup(0)) {
    while (header->GetMenuItemCount() > 0) header->Destroy(header->FindItemByPosition(0));
    for (const KeywordItem& item : kHeaderItems) {
      GetKeywordFromDbByLanguage(item.key, item.english, item.korean, 0, text, kKeywordLen,
                                 languageId);
      header->Append(item.id, wxString(text));
    }
  }
  for (int index : {1, 2}) {
    wxMenu* body = ContextMenuPopup(index);
    if (!body) continue;
    for (int i = 0; i < 3 && body->GetMenuItemCount() > 0; ++i)
      body->Destroy(body->FindItemByPosition(0));
    for (const KeywordItem& item : kBodyItems) {
      GetKeywordFromDbByLanguage(item.key, item.english, item.korean, 0, text, kKeywordLen,
                                 languageId);
      body->Append(item.id, wxString(text));
    }
  }
}

void CPelomarView::RefreshToolbarTooltips(int languageId) {
  if (!m_commandBar) return;
  wchar_t text[kKeywordLen];
  for (const KeywordItem& item : kTooltips) {
    if (!m_commandBar->Control(item.id)) continue;
    GetKeywordFromDbByLanguage(item.key, item.english, item.korean, 0, text, kKeywordLen,
                               languageId);
    m_commandBar->SetToolTipOf(item.id, wxString(text));
  }
}

// ---------------------------------------------------------------------------------------
// Layout

wxCheckBox* CPelomarView::CheckBox(int id) const {
  for (wxCheckBox* check : m_checks)
    if (check && check->GetId() == id) return check;
  return nullptr;
}

void CPelomarView::LayoutChildWindows() {
  if (!GetHandle()) return;
  wxRect client = GetClientRect();
  // The view does not scroll: the client rectangle is the layout area.
  int bottom = client.GetBottom() + 1;
  if (m_layout.topOffset >= 1) bottom -= m_layout.topOffset;
  const int left = client.x;
  const int right = client.GetRight() + 1;

  if (!m_layout.leftPaneHidden) {
    m_layout.splitterPos = EffectiveSplitterPos(m_layout.splitterPos, client.width);
    m_layout.splitterRect = RECT{left + m_layout.splitterPos - kSplitterHalf, client.y,
                                 left + m_layout.splitterPos + kSplitterHalf, bottom};
  }
  int barBottom = client.y;
  if (m_commandBar) {
    const int height = m_commandBar->CalcDockedHeight(client.width);
    m_commandBar->SetSize(0, 0, client.width, height);
    m_commandBar->Layout();
    barBottom = height;
    if (!m_layout.leftPaneHidden)
      m_layout.splitterRect = RECT{left + m_layout.splitterPos - kSplitterHalf, barBottom,
                                   left + m_layout.splitterPos + kSplitterHalf, bottom};
    m_commandBar->Refresh();
  }
  if (!m_layout.leftPaneHidden) {
    const wxRect pane(left, barBottom, m_layout.splitterRect.left - left, bottom - barBottom);
    if (wxWindow* child = m_cafeDataView ? m_cafeDataView->GetWindow() : nullptr) {
      child->Show();
      child->SetSize(pane);
    }
    if (!m_layout.sidePanelHidden && m_orderPanel) m_orderPanel->ShowWindow(true);
  }
  const int rightLeft = m_layout.leftPaneHidden ? left : m_layout.splitterRect.right;

  // The check-box row at the top right: every box as wide as its text needs, over the tab
  // strip's empty part when it fits there, else in a band of its own above the tabs.
  CheckRowNeeds_s needs;
  auto need = [&needs](wxWindow* w) {
    if (!w) return 0;
    const wxSize best = w->GetBestSize();
    needs.height = std::max(needs.height, best.y);
    return best.x;
  };
  needs.simpleUi = need(CheckBox(IDC_CHECK_SIMPLE_UI));
  needs.profitSteps = need(CheckBox(IDC_CHECK_PROFIT_STEPS));
  needs.sellOneByOne = need(CheckBox(IDC_CHECK_SELL_ONE_BY_ONE));
  needs.slot = need(CheckBox(IDC_CHECK_ALL_STOCK_WATCH));
  needs.profitRates = need(m_profitRatesButton);
  const CheckRowRects_s row =
      FitCheckRow(LayoutCheckRow(right, barBottom, Scale(), needs), rightLeft, right);
  m_tabStripAtLayout = TabStripWidth();
  const int tabsTop =
      m_tabs ? TabsTopBelowCheckRow(row, barBottom, rightLeft + m_tabStripAtLayout,
                                    static_cast<int>(8 * Scale()))
             : barBottom;
  if (m_tabs) {
    m_tabs->SetSize(rightLeft, tabsTop, std::max(0, right - rightLeft),
                    std::max(0, bottom - tabsTop));
    m_tabCaptionsAtLayout = TabCaptions();
  }
  const std::pair<int, RECT> places[] = {{IDC_CHECK_SIMPLE_UI, row.simpleUi},
                                         {IDC_CHECK_PROFIT_STEPS, row.profitSteps},
                                         {IDC_CHECK_SELL_ONE_BY_ONE, row.sellOneByOne},
                                         {IDC_CHECK_ALL_STOCK_WATCH, row.slot}};
  for (const auto& [id, rect] : places)
    if (wxCheckBox* check = CheckBox(id)) {
      check->SetSize(ToWx(rect));
      check->Raise();
    }
  if (m_profitRatesButton) {
    m_profitRatesButton->SetSize(ToWx(row.profitRates));
    m_profitRatesButton->Raise();
  }
}

int CPelomarView::TabStripWidth() const {
  if (!m_tabs || !m_tabs->GetCurrentPage()) return 0;
  // The tabs lie above the pages: look for the last tab along the strip's middle line, from the
  // control's right edge leftwards. Before the control is first shown no tab is found.
  const int stripHeight =
      m_tabs->GetCurrentPage()->GetScreenPosition().y - m_tabs->GetScreenPosition().y;
  if (stripHeight <= 0) return 0;
  const int y = stripHeight / 2;
  for (int x = m_tabs->GetClientSize().x - 1; x >= 0; x -= 2)
    if (m_tabs->HitTest(wxPoint(x, y)) != wxNOT_FOUND) return x + 2;
  return 0;
}

std::vector<wxString> CPelomarView::TabCaptions() const {
  std::vector<wxString> captions;
  if (m_tabs)
    for (size_t i = 0; i < m_tabs->GetPageCount(); ++i) captions.push_back(m_tabs->GetPageText(i));
  return captions;
}

void CPelomarView::ShowHostPanes() {
  static const wchar_t kTitles[] =
      L"전문가 카페;LOG VIEW;계좌 정보 ;종목 검색;SMS;CAFE;ORDER LIST;";
  static const wchar_t kWidths[] = L"350;800;250;250;250;250;250;";
  const uint8_t flags = m_pRunSetting ? m_pRunSetting->byPaneMask : 0;
  ShowMainFramePaneWnd(1, kTitles, kWidths, (flags & 1) != 0);
  ShowMainFramePaneWnd(4, kTitles, kWidths, true);
  ShowMainFramePaneWnd(8, kTitles, kWidths, true);
  ShowMainFramePaneWnd(2, kTitles, kWidths, (flags & 2) != 0);
}

void CPelomarView::UpdateCheckColours() {
  const wxColour red(0xFF, 0, 0), blue(0, 0, 0xFF);
  if (wxCheckBox* watch = CheckBox(IDC_CHECK_ALL_STOCK_WATCH))
    watch->SetForegroundColour(m_allStockWatch ? red : blue);
  if (wxCheckBox* sell = CheckBox(IDC_CHECK_SELL_ONE_BY_ONE))
    sell->SetForegroundColour(m_sellOneByOne ? red : blue);
}

void CPelomarView::OnCheckBoxClicked(wxCommandEvent& event) {
  switch (event.GetId()) {
    case IDC_CHECK_SELL_ONE_BY_ONE:
    case IDC_CHECK_SIMPLE_UI:
    case IDC_CHECK_PROFIT_STEPS:
      OnCommand(event.GetId());
      break;
    default:
      event.Skip();
      break;
  }
  CallAfter([this] { UpdateCheckColours(); });
}

// ---------------------------------------------------------------------------------------
// Painting, the splitter and dropped files

void CPelomarView::OnPaintView(wxPaintEvent&) {
  wxPaintDC dc(this);
  if (m_containerGiven[0] || m_layout.leftPaneHidden) return;
  dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW)));
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.DrawRectangle(ToWx(m_layout.splitterRect));
}

bool CPelomarView::BeginSplitterDrag(int x, int y) {
  if (m_containerGiven[0] || m_layout.leftPaneHidden) return false;
  if (!ToWx(m_layout.splitterRect).Contains(x, y)) return false;
  m_splitterDragging = true;
  m_dragStartX = x;
  return true;
}

void CPelomarView::EndSplitterDrag(int x) {
  if (!m_splitterDragging) return;
  m_splitterDragging = false;
  if (x == m_dragStartX) return;
  const int width = GetClientSize().x;
  int pos = m_layout.splitterPos + (x - m_dragStartX);
  pos = std::max(0, std::min(pos, width));
  m_layout.splitterPos = pos;
  m_layout.leftPaneHidden = pos > kSplitterHalf ? 0 : 1;
  orv::win::WriteProfileInt(kSettingsSection, "TrackerPos", pos);
  LayoutChildWindows();
  Refresh();
}

void CPelomarView::OnMouseDown(wxMouseEvent& event) {
  if (BeginSplitterDrag(event.GetX(), event.GetY()) && !HasCapture()) CaptureMouse();
  event.Skip();
}

void CPelomarView::OnMouseUp(wxMouseEvent& event) {
  if (HasCapture()) ReleaseMouse();
  EndSplitterDrag(event.GetX());
  event.Skip();
}

void CPelomarView::OnSizeView(wxSizeEvent& event) {
  event.Skip();
  LayoutChildWindows();
}

void CPelomarView::OnDropFilesView(wxDropFilesEvent& event) {
  for (int i = 0; i < event.GetNumberOfFiles(); ++i) {
    const std::wstring path = event.GetFiles()[i].ToStdWstring();
    if (path.size() <= 260 && m_hooks.importFile) m_hooks.importFile(path);
  }
}
