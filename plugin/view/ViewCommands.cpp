// The trading view's own commands: the command menu with its enable and check rules, the
// toolbar's "execute" handlers, the stock search, the column and mode switches, the auto-login
// options, the code update, the interface switches kept in "Settings", the trading-log backup
// and the recommended profit-rate dialog.

#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cmath>
#include <cwctype>

#include "platform/support/TextConv.h"
#include "platform/ui/model/ReportCtrl.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "plugin/community/WebLogin.h"
#include "plugin/view/PelomarLoginEngine.h"
#include "shared/HostCommands.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/ProfitRateDialog.h"
#include "plugin/view/StockRecord.h"
#include "plugin/view/ViewToolbar.h"
#include "plugin/view/engine/WideText.h"
#include "plugin/view/engine/DailyLogs.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"

namespace {

constexpr const char* kSettingsSection = "Settings";
constexpr const char* kKeyShowProfitStepCol = "STOCK_ShowProfitStepCol";
constexpr const char* kKeySimpleUiMode = "STOCK_SimpleUiMode";
constexpr const char* kKeySellOneByOne = "STOCK_SellOptOneByOneOn";
constexpr const char* kKeyNotiPopupFlags = "STOCK_NotiPopupFlags";
constexpr const char* kKeyStopLossRates = "Stock-AutoStopLossRates";
constexpr const char* kKeySplitOrderBase = "Stock-SplitOrderBaseMoney10k";

constexpr UINT kMbTopmost = 0x40000;
constexpr int kLevelMember = 40;
constexpr int kLevelAdmin = 90;
constexpr wchar_t kBrokerName[] = L"DB금융투자";

// How a command's update handler enables it.
enum class EnableRule { Always, LoggedIn, Admin, LoginAvailable, Member };

struct ViewCommand {
  int id;
  const wchar_t* caption;  // null: not shown in the command menu
  EnableRule enable;
};

// The command menu, in its order; 0 separates groups.
const ViewCommand kCommands[] = {
    {948, L"1. 로그인", EnableRule::LoginAvailable},
    {949, L"2. 로그아웃", EnableRule::LoggedIn},
    {956, L"3. 회원 가입", EnableRule::LoggedIn},
    {950, L"4. 내 실적 조회", EnableRule::Member},
    {3169, L"5. ★고객 할인율 조회/관리", EnableRule::Member},
    {1341, L"6. 주주(투자자) 약정서 및 관리/조회", EnableRule::Member},
    {1307, L"8. ★ 자동로그인 설정(체크시, 자동로그인)", EnableRule::Always},
    {1308, L"9. ※ 앱 시작시, 로그인 창 표시하기", EnableRule::Always},
    {0, nullptr, EnableRule::Always},
    {3386, L"&1. 환경 설정 (반드시 확인해 주세요)", EnableRule::LoggedIn},
    {3452, L"&1. 권장 수익률 설정(권장)", EnableRule::Always},
    {3454, L"&3. 수익 간격 개별 설정", EnableRule::Always},
    {3206, L"○가격 검색창 표시", EnableRule::Always},
    {2291, L"B. 날짜별 매매 시간 그래프 보기", EnableRule::Always},
    {3450, L"자체 화면 보호기 ON + 절전 모드 비활성화", EnableRule::Always},
    {0, nullptr, EnableRule::Always},
    {670, L"종목 검색 - 입력창에 코드/종목명 입력후, 클릭(Search)", EnableRule::LoggedIn},
    {3195, L"종목 검색 초기화", EnableRule::Always},
    {481, L"새로 고침(Refresh)", EnableRule::LoggedIn},
    {352, L"엑셀로 출력", EnableRule::LoggedIn},
    {1326, L"전종목 코드 갱신하기(코드 + 종목명 최신화)", EnableRule::Admin},
    {0, nullptr, EnableRule::Always},
    {687,
     L"[테스트] 수익률 기반 시뮬레이션 - 주문은 입력되지 않지만, 장 종료시 해주세요.(주의)",
     EnableRule::Always},
    {4511,
     L"[테스트] 거래 로그 기반 시뮬레이션 - 주문은 입력되지 않지만, 장 종료시 해주세요.(주의)",
     EnableRule::Always},
    {0, nullptr, EnableRule::Always},
    {3423, L"0. ★웹 매뉴얼/설명서 (사용법을 익혀주세요)", EnableRule::Always},
    {2293, L"&2. 증권사/거래소 Open-API 사용 신청하기(필수)", EnableRule::Always},
    {10013, L"&3. 원격지원 요청하기(구글 원격데스크톱 활용)", EnableRule::Always},
    {3305, L"&4. 웹 매뉴얼 (화면 배율 100%로 설정하는 법 등)", EnableRule::Always},
    {3421, L"&5. ● 내 계좌잔고 증감 내역 조회 (날짜별 조회) (★강추★)", EnableRule::LoggedIn},
    {1306, L"&6. ★ 자동매매 배틀 현황 보기 (앱 *인기 최고*)", EnableRule::LoggedIn},
    {2263, L"&7. ●공지사항(Notice) 보기 - 중요 공지사항을 읽어주세요", EnableRule::LoggedIn},
    {3172, L"A.  + ★SNS에 오르벨라 홍보하고, 무료 혜택/할인 받기★", EnableRule::LoggedIn},
};

// Commands whose update handler only enables them (toolbar items, edit commands).
const std::pair<int, EnableRule> kOtherRules[] = {
    {451, EnableRule::LoggedIn},   {542, EnableRule::LoggedIn},  {558, EnableRule::LoggedIn},
    {57601, EnableRule::LoggedIn}, {57603, EnableRule::LoggedIn}, {597, EnableRule::LoggedIn},
    {667, EnableRule::Always},     {681, EnableRule::LoggedIn},  {394, EnableRule::LoggedIn},
    {2240, EnableRule::LoggedIn},  {3385, EnableRule::LoggedIn}, {2230, EnableRule::Admin},
    {2241, EnableRule::Admin},     {3205, EnableRule::LoggedIn}, {2259, EnableRule::LoggedIn},
    {2242, EnableRule::LoggedIn},  {2249, EnableRule::LoggedIn}, {3435, EnableRule::LoggedIn},
    {1506, EnableRule::LoggedIn},
};

std::wstring Trimmed(const wxString& text) {
  std::wstring s = text.ToStdWstring();
  const auto notSpace = [](wchar_t c) { return !std::iswspace(c); };
  s.erase(s.begin(), std::find_if(s.begin(), s.end(), notSpace));
  s.erase(std::find_if(s.rbegin(), s.rend(), notSpace).base(), s.end());
  return s;
}

std::wstring Upper(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(std::towupper(c));
  return s;
}

// A price-bound box's number: commas removed; empty or unreadable is no bound (0).
double BoundOf(wxWindow* box) {
  auto* text = dynamic_cast<wxTextCtrl*>(box);
  if (!text) return 0;
  std::wstring s = Trimmed(text->GetValue());
  s.erase(std::remove(s.begin(), s.end(), L','), s.end());
  if (s.empty()) return 0;
  wchar_t* end = nullptr;
  const double value = std::wcstod(s.c_str(), &end);
  return end == s.c_str() ? 0 : value;
}

int Ask(const std::wstring& text) {
  return orv::win::MessageBox(WideToUtf8(text), "QUESTION", MB_YESNO | MB_ICONQUESTION);
}

void ShowError(const std::wstring& text) {
  orv::win::MessageBox(WideToUtf8(text), "ERROR", MB_OK | MB_ICONERROR | kMbTopmost);
}

}  // namespace

bool CPelomarView::LoggedIn() const { return m_pLoginInfo && m_pLoginInfo->nUserIdx > 0; }

// ---------------------------------------------------------------------------------------
// Update handlers

CPelomarView::CommandUi_s CPelomarView::CommandState(int id) const {
  CommandUi_s ui;
  const bool loggedIn = LoggedIn();
  const int level = m_pLoginInfo ? m_pLoginInfo->byUserLevel : 0;
  auto rule = [&](EnableRule enable) {
    switch (enable) {
      case EnableRule::Always:
        return true;
      case EnableRule::LoggedIn:
        return loggedIn;
      case EnableRule::Admin:
        return loggedIn && level >= kLevelAdmin;
      case EnableRule::Member:
        return loggedIn && level >= kLevelMember;
      case EnableRule::LoginAvailable:
        return m_pLoginInfo != nullptr && !loggedIn;
    }
    return true;
  };
  for (const ViewCommand& command : kCommands)
    if (command.id == id) ui.enable = rule(command.enable);
  for (const auto& [other, enable] : kOtherRules)
    if (other == id) ui.enable = rule(enable);
  const std::wstring userId = m_pLoginInfo ? m_pLoginInfo->szUserId : L"";
  const std::wstring userName = m_pLoginInfo ? m_pLoginInfo->szUserName : L"";
  switch (id) {
    case 267:
      ui.check = m_timerIds[1] > 0 ? 1 : 0;
      break;
    case 1298:
      ui.enable = m_overseasAutoSwitch == 0;
      break;
    case 1299:
      ui.enable = m_nationSwitchOn != 0;
      break;
    case 3206:
      ui.check = m_priceSearchBox;
      break;
    case 3445:
    case 3454:
      ui.check = m_sellOneByOne;
      break;
    case 687:
      ui.check = m_engine->m_simulationRunning.load() == 2 ? 1 : 0;
      break;
    case 1307:
      ui.check = AutoLogin();
      break;
    case 1308:
      ui.check = m_loginWindowAtStart;
      break;
    case 3450:
      ui.check = m_pRunSetting && m_pRunSetting->bySaverOn ? 1 : 0;
      break;
    case 956:
      ui.text = loggedIn ? StrPrintfW(L"3. 내 정보 변경/전문가 신청 등 : %ls/%ls 님",
                                      userId.c_str(), userName.c_str())
                         : L"3. 회원 가입";
      break;
    case 950:
      ui.text = loggedIn ? StrPrintfW(L"4. 앱 배포자 수익 조회(%ls) : %ls 님", kBrokerName,
                                      userName.c_str())
                         : StrPrintfW(L"4. 앱 배포자 수익 조회(%ls)", kBrokerName);
      break;
    case 3169:
      ui.text = loggedIn ? StrPrintfW(L"5. ★고객 할인율 조회/관리 (%ls 님)", userName.c_str())
                         : StrPrintfW(L"5. 관리자 메뉴 - 회원/고객 조회(%ls)", kBrokerName);
      break;
    default:
      break;
  }
  return ui;
}

std::unique_ptr<wxMenu> CPelomarView::BuildCommandMenu() const {
  auto menu = std::make_unique<wxMenu>();
  for (const ViewCommand& command : kCommands) {
    if (command.id == 0) {
      menu->AppendSeparator();
      continue;
    }
    const CommandUi_s ui = CommandState(command.id);
    if (ui.check >= 0)
      menu->AppendCheckItem(command.id, wxString(command.caption));
    else
      menu->Append(command.id, wxString(command.caption));
  }
  UpdateCommandMenu(*menu);
  return menu;
}

void CPelomarView::UpdateCommandMenu(wxMenu& menu) const {
  for (wxMenuItem* item : menu.GetMenuItems()) {
    if (item->IsSubMenu()) {
      UpdateCommandMenu(*item->GetSubMenu());
      continue;
    }
    if (item->IsSeparator()) continue;
    const CommandUi_s ui = CommandState(item->GetId());
    item->Enable(ui.enable);
    if (item->IsCheckable() && ui.check >= 0) item->Check(ui.check != 0);
    if (!ui.text.empty()) item->SetItemLabel(wxString(ui.text));
  }
}

// ---------------------------------------------------------------------------------------
// Commands

bool CPelomarView::OnCommand(int id) {
  // A command its update handler disables does nothing (a stale menu or a test's call).
  if (!CommandState(id).enable) return true;
  switch (id) {
    case 267:
      OnToggleTradingTimers();
      return true;
    case 670:
      SearchStocks();
      return true;
    case 3195:
      ResetStockSearch();
      return true;
    case 3206:
      m_priceSearchBox = m_priceSearchBox ? 0 : 1;
      UpdateUiModeVisibility(nullptr, true);
      return true;
    case 3454:
    case 3445:
      ToggleSellOneByOne();
      return true;
    case IDC_CHECK_PROFIT_STEPS:
    case IDC_CHECK_SIMPLE_UI: {
      wxCheckBox* check = CheckBox(id);
      SetColumnSwitch(id, check ? check->GetValue()
                                : (id == IDC_CHECK_SIMPLE_UI ? !m_simpleUiMode
                                                             : !m_showProfitStepCol));
      return true;
    }
    case IDC_CHECK_ALL_STOCK_WATCH:
      SetAutoTradeAll(IDC_MY_STOCK_GRID, -1, m_allStockWatch ? 0 : 1, 0);
      return true;
    case 1326:
      StartCodeUpdate();
      return true;
    case 3386:
      ShowStockCfgDlg(true, false);
      return true;
    case 2291:
      ShowStockChartDlg(1, L"");
      return true;
    case 948:
      RunMainFrameFunction(MAINFRAME_FN_LOGIN, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
                           0, 0, this, &LoginCallback, &LoginNotifyCallback);
      return true;
    case 949:
      RunMainFrameFunction(MAINFRAME_FN_LOGOUT, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
                           0, 0, nullptr, nullptr, nullptr);
      return true;
    case 1307:
      ToggleAutoLogin();
      return true;
    case 1308:
      ToggleLoginWindowAtStart();
      return true;
    case IDC_PROFIT_RATES_BUTTON:
      ShowProfitRateDialog();
      return true;
    case 4511:
      StartPriceSimulation(CPelomarEngine::kSimulationReplay);
      return true;
    case 687:
      StartPriceSimulation(CPelomarEngine::kSimulationRates);
      return true;
    case 1324:
    case 1325:
      CaptureAndShareLogs(10, -1, id == 1325 ? 1 : 0);
      return true;
    default:
      return OnViewCommand(id);
  }
}

// ---------------------------------------------------------------------------------------
// Toolbar "execute" handlers

bool CPelomarView::ToolbarComboValue(int id, int64_t* value) const {
  auto* combo = m_commandBar ? dynamic_cast<wxComboBox*>(m_commandBar->Control(id)) : nullptr;
  if (!combo) return false;
  if (SelectedOptionValue(id, value)) return true;
  // A typed amount, or a label that begins with its number.
  const std::wstring text = Trimmed(combo->GetValue());
  wchar_t* end = nullptr;
  const long long number = std::wcstoll(text.c_str(), &end, 10);
  if (end == text.c_str()) return false;
  *value = number;
  return true;
}

bool CPelomarView::OnToolbarExecute(int id) {
  stock_option_s& options = m_engine->Options();
  if (id == 597) {
    SearchStocks();
    return true;
  }
  if (id == 2239) {
    ToggleNewBuyAutoSell();
    return true;
  }
  int64_t value = 0;
  const bool known = id == 695 || id == 697 || id == 1230 || id == 378 || id == 369 || id == 702;
  if (!known) return false;
  if (!ToolbarComboValue(id, &value)) return true;  // nothing selected: nothing to apply
  switch (id) {
    case 695:
      m_splitInterval = static_cast<int>(value);
      options.split_sell_interval = static_cast<int32_t>(value);
      m_splitIntervalMs = static_cast<int>(value * 1000);
      options.min_order_gap_ms = static_cast<int32_t>(value * 1000);
      options.changed = 1;
      break;
    case 697:
      SetSplitOrderBase(value);
      break;
    case 1230:
      options.min_take_profit = static_cast<double>(value) / 10.0;
      options.changed = 1;
      break;
    case 378:
      // Tenths of a percent; a step narrower than 0.8 % is taken as 0.8 %. Shared steps reach
      // every holding.
      options.step_width = std::max(0.8, static_cast<double>(value) / 10.0);
      options.changed = 1;
      if (!PerStockStepMode()) {
        m_engine->ApplyStepIntervalToHoldings(options.step_width, 1);
        ApplyStopLossOptionToAll(0, 1, 1);
      }
      break;
    case 369:
      options.step_margin = static_cast<double>(value) / 10.0;
      options.changed = 1;
      break;
    case 702:
      m_pageValue = static_cast<int>(value);
      break;
    default:
      break;
  }
  return true;
}

void CPelomarView::SetSplitOrderBase(int64_t value) {
  // The engine keeps the amount inside what an order may carry and stores it, with its won
  // amount (x 10,000 from 1 on), in the options.
  m_engine->SplitOrderBase() = static_cast<int>(std::clamp<int64_t>(value, -1000000, 1000000));
  m_engine->SetSplitOrderBaseAmount(1);
  // Every holding takes the amount: at once while the steps are shared, after asking while
  // they are set per stock.
  const bool apply =
      !PerStockStepMode() ||
      Ask(StrPrintfW(L"전체 종목을 동일하게 %lld원으로 분할매매하도록 설정할까요?",
                     static_cast<long long>(m_engine->Options().split_sell_amount_won))) == IDYES;
  if (apply) ApplyStopLossOptionToAll(PerStockStepMode() ? 1 : 0, 1, 0);
  m_splitOrderBase = m_engine->SplitOrderBase();
  m_splitOrderWon = static_cast<int>(m_engine->Options().split_sell_amount_won);
  if (m_orderPanel) m_orderPanel->SetSplitOrderBaseMoney(m_splitOrderBase);
  if (m_orderPopup) m_orderPopup->SetSplitOrderBaseMoney(m_splitOrderBase);
  orv::win::WriteProfileInt(kSettingsSection,
                            orv::win::UserIndexKey(kKeySplitOrderBase, m_agencyIndex),
                            m_splitOrderBase);
}

void CPelomarView::ToggleSellOneByOne() {
  // Turning the per-stock steps off sets every holding alike, after asking; turning them on
  // asks nothing.
  int mode = PerStockStepMode() ? 1 : 0;
  if (mode == 1) {
    if (Ask(L"수익 간격(Step)을 전체종목을 동일하게 설정할까요?\n편리하지만, 종목별 다르게 설정 "
            L"못하는 단점이 있습니다.편리함을 추구하신다면, 권장합니다. ") == IDYES) {
      ApplyStopLossOptionToAll(0, 1, 1);
      mode = 0;
    }
  } else {
    ApplyStopLossOptionToAll(1, 0, 0);
    mode = 1;
  }
  m_sellOneByOne = mode;
  if (wxCheckBox* check = CheckBox(IDC_CHECK_SELL_ONE_BY_ONE)) check->SetValue(mode != 0);
  if (auto* bar = m_commandBar ? dynamic_cast<wxCheckBox*>(m_commandBar->Control(3445)) : nullptr)
    bar->SetValue(mode != 0);
  UpdateCheckColours();
  m_engine->Options().sell_one_by_one = static_cast<uint8_t>(mode);
  m_engine->Options().changed = 1;
}

void CPelomarView::SetColumnSwitch(int id, bool on) {
  int& value = id == IDC_CHECK_SIMPLE_UI ? m_simpleUiMode : m_showProfitStepCol;
  value = on ? 1 : 0;
  if (wxCheckBox* check = CheckBox(id)) {
    check->SetValue(on);
    check->Refresh();
  }
  UpdateColumnVisibility();
  orv::win::WriteProfileInt(kSettingsSection,
                            id == IDC_CHECK_SIMPLE_UI ? kKeySimpleUiMode : kKeyShowProfitStepCol,
                            value);
}

void CPelomarView::ToggleAutoLogin() {
  if (!AutoLogin()) {
    if (Ask(L"어플 자동 시작시, 로그인 창을 표출하지 않고,\n자동으로 로그인 할까요?\n(매번 "
            L"로그인창이 표출됩니다)\n\n자동으로 로그인 할까요?") == IDYES)
      SetAccountLoginFlags(1, -1);
  } else {
    if (Ask(L"어플 자동 시작시, 로그인 창을 표출할까요?\n(매번 로그인창이 표출됩니다)\n\n로그인 "
            L"창을 표출할까요?") == IDYES)
      SetAccountLoginFlags(0, -1);
  }
}

void CPelomarView::ToggleLoginWindowAtStart() {
  m_loginWindowAtStart = m_loginWindowAtStart ? 0 : 1;
  const wchar_t* text =
      m_loginWindowAtStart
          ? L"어플 자동 시작시, 로그인 창을 표출합니다.(번거로움)\n귀찮더라도 로그인을 한번 더 "
            L"해줘야, 매매가 가능합니다.\n\n자동시작 및 공인인증서 AUTO를 체크하시면, 타인이 본인 "
            L"계좌를 매매할 수 있으므로, 체크를 권장합니다.\n현재는 체크 상태입니다.(공인인증 "
            L"AUTO시 권장사항)"
          : L"어플 자동 시작시, 로그인 창이 표출되지 않습니다.\n\n자동시작 및 공인인증서 AUTO를 "
            L"체크하시면, 타인이 본인 계좌를 매매할 수 있으므로, 주의가 필요합니다.\n\n공인인증서 "
            L"AUTO를 체크하시면, LOCK버튼을 체크하시길 권장합니다.\n\n현재는 해제 상태입니다.("
            L"공인인증 AUTO시 비권장. 주의 필요)";
  orv::win::MessageBox(WideToUtf8(text), "INFORMATION", MB_OK | MB_ICONINFORMATION);
}

void CPelomarView::ToggleNewBuyAutoSell() {
  auto* check = m_commandBar ? dynamic_cast<wxCheckBox*>(m_commandBar->Control(2239)) : nullptr;
  if (!check) return;
  if (m_newStockStopLoss) {
    m_newStockStopLoss = 0;
    SendNotifyMsgToMainFrame(8, 0, 0.0, 0.0, L"자동 매매 해제",
                             L"★신규 매수★(잔고 편입) 종목에 대한 [자동 매매]가 *해제* 되었습니다");
    m_engine->WriteNoticeTradingLine(31, L"신규매수.자동매도.해제");
  } else {
    const stock_option_s& options = m_engine->Options();
    const std::wstring question = StrPrintfW(
        L"★신규 매수★(잔고 편입) 종목 자동매도를 설정할까요?\n------------------------\n익절(+) "
        L"기준률 : %.1f%% 이상 수익시 분할 익절(낮을수록 유익)\n손절(-) 기준률 : %.1f%% 이상 "
        L"하락시 분할 손절\n------------------------\n\n잔고 편입(신규 매수) 종목 자동 매도를 "
        L"설정할까요?\n(*단타/급등주/세력주 매입시 유익합니다*)",
        options.min_take_profit, static_cast<double>(options.stop_loss_rate));
    if (Ask(question) != IDYES) {
      check->SetValue(m_newStockStopLoss != 0);
      return;
    }
    m_newStockStopLoss = 1;
    SendNotifyMsgToMainFrame(
        8, 0, 0.0, 0.0, L"자동 매매 설정",
        StrPrintfW(L"★신규 매수★(잔고 편입) 종목 수신시, [자동 매매] %ls 됩니다. 편리하지만, "
                   L"주의가 필요합니다.",
                   L"*설정*")
            .c_str());
    m_engine->WriteNoticeTradingLine(30, L"잔고편입(신규매수).자동매도.설정");
  }
  check->SetValue(m_newStockStopLoss != 0);
}

void CPelomarView::StartCodeUpdate() {
  const int level = m_pLoginInfo ? m_pLoginInfo->byUserLevel : 0;
  if (m_engine->Stocks().Master().empty() || level < kLevelAdmin) {
    ShowError(L"종목코드 갱신은 관리자만 가능합니다.\n너그러이 이해 부탁드립니다");
    return;
  }
  StartCodeUpdateThread(true);
}

// ---------------------------------------------------------------------------------------
// Stock search

void CPelomarView::SearchStocks() {
  wxWindow* low = m_commandBar ? m_commandBar->Control(619) : nullptr;
  wxWindow* high = m_commandBar ? m_commandBar->Control(618) : nullptr;
  m_priceLow = BoundOf(low);
  m_priceHigh = BoundOf(high);
  if (m_tabs && m_tabs->GetPageCount() > 0) m_tabs->SetSelection(0);
  auto* box = m_commandBar ? dynamic_cast<wxTextCtrl*>(m_commandBar->Control(597)) : nullptr;
  m_searchText = box ? Trimmed(box->GetValue()) : L"";
  orv::ui::CMyReportCtrl* grid = Grid(IDC_ALL_STOCK_GRID);
  if (m_searchText.empty() || !grid) {
    FilterMasterGrid(0);
    return;
  }
  std::wstring key = m_searchText;
  double wanted = -1;
  const size_t colon = key.find(L':');
  if (colon != std::wstring::npos) {
    wanted = std::wcstod(key.c_str() + colon + 1, nullptr);
    key.resize(colon);
  }
  key = Upper(Trimmed(key));
  bool nameFound = false;
  int shown = 0;
  for (int i = 0; i < grid->GetRecordCount(); ++i) {
    auto* row = dynamic_cast<CStockRecord*>(grid->GetRecord(i));
    if (!row || !row->HasStock()) continue;
    const double price = row->FilterValues().curPrice;
    bool visible = false;
    const bool lowOk = m_priceLow == 0 || (price > 0 && price >= m_priceLow);
    const bool highOk = m_priceHigh == 0 || (price > 0 && price <= m_priceHigh);
    if (!nameFound && lowOk && highOk) {
      const std::wstring code = Upper(row->GetStockCode());
      if (row->StockName() == key) {
        visible = true;
        nameFound = true;  // every later row stays hidden
      } else if (wanted < 0) {
        visible = code.find(key) != std::wstring::npos;
      } else {
        visible = code.rfind(key, 0) == 0 && price == wanted;
      }
    }
    row->SetVisible(visible);
    if (visible) ++shown;
  }
  grid->Populate();
  if (shown == 0)
    ShowError(
        StrPrintfW(L"종목코드/종목명에서 (%ls)이 검색되지 않았습니다.", m_searchText.c_str()));
}

void CPelomarView::ResetStockSearch() {
  m_searchText.clear();
  m_priceLow = m_priceHigh = 0;
  for (int id : {597, 618, 619})
    if (auto* box = m_commandBar ? dynamic_cast<wxTextCtrl*>(m_commandBar->Control(id)) : nullptr)
      box->ChangeValue(wxEmptyString);
  FilterMasterGrid(0);
}

// ---------------------------------------------------------------------------------------
// Date pickers

void CPelomarView::OnDateChanged(int) { m_dateChangeState |= 1; }

void CPelomarView::OnDateCloseUp(int id) {
  if (m_dateChangeState != 1 && m_dateChangeState != 2) return;
  auto* picker =
      m_commandBar ? dynamic_cast<wxDatePickerCtrl*>(m_commandBar->Control(id)) : nullptr;
  if (picker) {
    const wxDateTime d = picker->GetValue();
    SYSTEMTIME& t = id == 899 ? m_queryFrom : m_queryTo;
    t.wYear = static_cast<WORD>(d.GetYear());
    t.wMonth = static_cast<WORD>(d.GetMonth() + 1);
    t.wDay = static_cast<WORD>(d.GetDay());
  }
  RefreshWindowAll(m_pLoginInfo ? m_pLoginInfo->nUserIdx : 0, &m_queryFrom, &m_queryTo, nullptr,
                   nullptr, 0, 0);
  m_dateChangeState = 0;
}

// ---------------------------------------------------------------------------------------
// Visibility of the trading items and of the detail columns

void CPelomarView::UpdateUiModeVisibility(CViewCommandBar* bar, bool refresh) {
  if (!bar) bar = m_commandBar;
  const bool loggedIn = LoggedIn();
  auto show = [bar](int id, bool on) {
    if (bar) bar->ShowControl(id, on);
  };
  for (int id : {3350, 3441, 1316, 2239, 719, 1230, 378, 369, 695, 697}) show(id, loggedIn);
  show(618, m_priceSearchBox != 0);
  show(619, m_priceSearchBox != 0);
  show(3444, m_engine->Options().overseas_on != 0);
  if (orv::ui::CMyReportCtrl* grid = Grid(IDC_MY_STOCK_GRID)) {
    for (int item : {13, 18, 19, 24, 51, 53, 68, 69, 70, 71, 72})
      for (int c = 0; c < grid->GetColumnCount(); ++c)
        if (grid->GetColumn(c)->itemIndex == item) grid->ShowColumn(c, loggedIn);
    for (int item : {45, 46, 47})
      for (int c = 0; c < grid->GetColumnCount(); ++c)
        if (grid->GetColumn(c)->itemIndex == item) grid->ShowColumn(c, false);
  }
  if (bar && refresh) bar->Layout();
  UpdateColumnVisibility();
}

void CPelomarView::UpdateColumnVisibility() {
  orv::ui::CMyReportCtrl* grid = Grid(IDC_MY_STOCK_GRID);
  if (!grid) return;
  for (int c = 0; c < grid->GetColumnCount(); ++c) {
    const int item = grid->GetColumn(c)->itemIndex;
    const bool detail = item == 18 || item == 25 || item == 27 || item == 33 || item == 34 ||
                        (item >= 60 && item <= 65) || item >= 70;
    const bool step = item == 24 || item == 29 || item == 30 || item == 31;
    if (detail) grid->ShowColumn(c, m_simpleUiMode == 0);
    if (step) grid->ShowColumn(c, m_showProfitStepCol != 0);
  }
  grid->RedrawControl();
}

// ---------------------------------------------------------------------------------------
// Settings

void CPelomarView::LoadUiSettings() {
  m_showProfitStepCol =
      orv::win::GetProfileInt(kSettingsSection, kKeyShowProfitStepCol, m_showProfitStepCol);
  m_simpleUiMode = orv::win::GetProfileInt(kSettingsSection, kKeySimpleUiMode, m_simpleUiMode);
  m_sellOneByOne = orv::win::GetProfileInt(kSettingsSection, kKeySellOneByOne, m_sellOneByOne);
  m_notiPopupFlags =
      orv::win::GetProfileInt(kSettingsSection, kKeyNotiPopupFlags, m_notiPopupFlags);
  const int userIdx = m_pLoginInfo ? m_pLoginInfo->nUserIdx : 0;
  m_autoStopLossRates = Utf8ToWide(REG_READ_CSTRING_VALUE_UIDX(
      kSettingsSection, kKeyStopLossRates, m_agencyIndex, userIdx,
      WideToUtf8(m_autoStopLossRates)));
}

void CPelomarView::SaveUiSettings() {
  orv::win::WriteProfileInt(kSettingsSection, kKeyShowProfitStepCol, m_showProfitStepCol);
  orv::win::WriteProfileInt(kSettingsSection, kKeySimpleUiMode, m_simpleUiMode);
  orv::win::WriteProfileInt(kSettingsSection, kKeySellOneByOne, m_sellOneByOne);
  orv::win::WriteProfileInt(kSettingsSection, kKeyNotiPopupFlags, m_notiPopupFlags);
}

int CPelomarView::BackupTradingLog(std::wstring* outPath) {
  std::string path;
  const int copied = m_engine->Logs().BackupTradingLog(&path);
  if (outPath) *outPath = Utf8ToWide(path);
  return copied;
}

// ---------------------------------------------------------------------------------------
// The recommended profit-rate dialog

int CPelomarView::SetupProfitRateDialog(bool show) {
  if (!m_profitRatesDialog) {
    m_profitRatesDialog = new CProfitRateDialog(this, Scale());
    m_profitRatesDialog->SetApply([this](const std::wstring& table) {
      m_autoStopLossRates = table;
      // The table in force is what the login applies and keeps for the user.
      if (m_loginEngine) {
        m_loginEngine->WebLogin().m_stopLossRates = WideToUtf8(table);
        m_loginEngine->ApplyAutoStopLossRates();
      }
    });
    m_profitRatesDialog->CentreOnParent();
    m_profitRatesDialog->Show(show);
  }
  if (m_autoStopLossRates.empty() ||
      m_autoStopLossRates.find(L"(코인) 손절") == std::wstring::npos)
    m_autoStopLossRates = AutoStopLossRatesInForce(L"");
  m_profitRatesDialog->SetTable(m_autoStopLossRates);
  return 1;
}

void CPelomarView::ShowProfitRateDialog() {
  if (!LoggedIn()) {
    ShowError(L"로그인을 먼저 해주세요");
    return;
  }
  if (m_loginEngine && !m_loginEngine->WebLogin().m_stopLossRates.empty())
    m_autoStopLossRates = Utf8ToWide(m_loginEngine->WebLogin().m_stopLossRates);
  // The set-up puts the default table in place of an empty one or one without the coin row.
  if (!SetupProfitRateDialog(true)) return;
  m_profitRatesDialog->Show();
  m_profitRatesDialog->Raise();
}
