#include "plugin/orders/window/OrderPopupDlg.h"

#include <sqlite3.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/gauge.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/webview.h>
#include <wx/wupdlock.h>

#include <algorithm>
#include <cstdlib>
#include <cwctype>

#include "platform/support/TextConv.h"
#include "platform/ui/WebPage.h"
#include "plugin/view/engine/TextFormat.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "plugin/orders/AnalysisPage.h"
#include "plugin/orders/window/OrderDialogProfile.h"
#include "plugin/view/PelomarView.h"

using orv::ui::CtrlKind;

namespace {

constexpr int kWidth = 980;
constexpr int kHeight = 640;
constexpr int kFormRight = 330;  // the form's right edge; the tabs start after the name box
constexpr double kPositionScale = 1.5;
constexpr int kUiPosScene = 3175;
const char kProfileSection[] = "Stock-Settings";

constexpr const wchar_t* kMarketOptions = L"1:국내 주식;2:미국(해외) 주식";
constexpr const wchar_t* kAiDataOptions =
    L"1:일봉+기관/외인+공매도;2:일봉+기관/외인;3:일봉+공매도;4:일봉+분봉+기관/외인+공매도";
constexpr const wchar_t* kOrderTypeOptions = L"3:시장가";
constexpr const wchar_t* kCreditOptions = L"1:현금;2:신용융자";
constexpr const wchar_t* kCreditOrderOptions = L"3:자기융자매수;7:대주 매도;77:대주 상환";
constexpr const wchar_t* kNoticeText =
    L"[안내]\r\n"
    L"이 프로그램은 각 증권사에서 제공하는 Open API를 이용합니다.\r\n"
    L"주문은 종목코드로 시장가 주문이 접수되므로, 체결가격은 현재가와 차이가 날 수 있습니다.\r\n"
    L"수익률은 증권사가 제공하는 현재가를 기준으로 계산됩니다.\r\n"
    L"매매로 인한 손실은 보상되지 않습니다.\r\n"
    L"처음 사용하시는 분은 모의투자와 적은 분할 금액으로 먼저 사용해 보세요.\r\n"
    L"문의: 고객센터 게시판";

struct FieldName {
  const wchar_t* id;
  const wchar_t* name;
};
constexpr FieldName kFieldNames[] = {
    {L"9201", L"계좌번호"}, {L"9203", L"주문번호"}, {L"9001", L"종목코드"},
    {L"913", L"주문상태"}, {L"302", L"종목명"}, {L"900", L"주문수량"},
    {L"901", L"주문가격"}, {L"902", L"미체결수량"}, {L"903", L"체결누계금액"},
    {L"904", L"원주문번호"}, {L"905", L"주문구분"}, {L"906", L"매매구분"},
    {L"907", L"매도수구분"}, {L"908", L"주문/체결시간"}, {L"909", L"체결번호"},
    {L"910", L"체결가"}, {L"911", L"체결량"}, {L"10", L"현재가"},
    {L"27", L"(최우선)매도호가"}, {L"28", L"(최우선)매수호가"}, {L"914", L"단위체결가"},
    {L"915", L"단위체결량"}, {L"919", L"거부사유"}, {L"920", L"화면번호"},
    {L"917", L"신용구분"}, {L"916", L"대출일"}, {L"930", L"보유수량"},
    {L"931", L"매입단가"}, {L"932", L"총매입가"}, {L"933", L"주문가능수량"},
    {L"945", L"당일순매수수량"}, {L"946", L"매도/매수구분"}, {L"950", L"당일총매도손일"},
    {L"951", L"예수금"}, {L"307", L"기준가"}, {L"8019", L"손익율"},
    {L"957", L"신용금액"}, {L"958", L"신용이자"}, {L"918", L"만기일"},
    {L"990", L"당일실현손익(유가"}, {L"991", L"당일실현손익률(유가"},
    {L"992", L"당일실현손익(신용"}, {L"993", L"당일실현손익률(신용"},
    {L"397", L"파생상품거래단위"}, {L"305", L"상한가"}, {L"306", L"하한가"},
};

wxColour FromRgb(uint32_t rgb) { return wxColour(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF); }

}  // namespace

COrderPopupDlg::COrderPopupDlg(CPelomarView& view)
    : CViewOrderDesk(view),
      m_view(view), m_entry(std::make_unique<COrderEntry>(static_cast<IOrderDesk&>(*this))) {}

COrderPopupDlg::~COrderPopupDlg() {
  *m_alive = false;
  if (m_timer) m_timer->Stop();
  if (m_portal) m_portal->LoadURL(wxWebViewDefaultURLStr);
}

wxWindow* COrderPopupDlg::GetWindow() const { return m_form.GetWindow(); }

bool COrderPopupDlg::CreateFromTemplate(int, wxWindow* parent) {
  if (!m_form.Create(parent, L"주문하기", kWidth, kHeight)) return false;
  const OrderDialogProfile_s profile =
      ReadOrderDialogProfile(m_view.AgencyIndex(), {m_orderType, m_showAccountInfo, m_accountText});
  m_orderType = profile.orderType;
  m_showAccountInfo = profile.showAccountInfo;
  m_lastAccountText = profile.lastAccount;
  BuildControls();
  for (const FieldName& field : kFieldNames) m_fieldNames[field.id] = field.name;
  BuildTabs();
  BindHandlers();
  m_form.SetDialogFont(L"굴림", 9);
  ApplyStoredPositions(kPositionScale);
  Layout();
  return true;
}

void COrderPopupDlg::BuildControls() {
  auto add = [this](int id, CtrlKind kind, const wchar_t* text, int l, int t, int r, int b,
                    const wchar_t* tip = nullptr) {
    m_form.AddControl(id, kind, text, RECT{l, t, r, b});
    if (tip)
      if (wxWindow* w = m_form.GetDlgItem(id)) w->SetToolTip(wxString(tip));
  };
  add(IDC_OP_NATION_STATIC, CtrlKind::Static, L"국가", 8, 12, 50, 30);
  add(IDC_OP_MARKET, CtrlKind::ComboList, L"", 52, 8, 240, 34);
  add(IDC_OP_HELP, CtrlKind::Button, L"도움말", 244, 8, 320, 34, L"화면 배율 등 도움말");
  add(IDC_OP_ACCOUNT_LABEL, CtrlKind::Static, L"계좌", 8, 40, 50, 58);
  add(IDC_OP_ACCOUNT, CtrlKind::ComboEdit, L"", 52, 36, 200, 62);
  add(IDC_OP_ACCOUNT_REFRESH, CtrlKind::Button, L"갱신", 204, 36, 260, 62,
      L"계좌 목록을 새로 고칩니다.\n(다소 시간이 걸릴 수 있습니다)");
  add(IDC_OP_PASSWORD, CtrlKind::Button, L"암호", 264, 36, 320, 62, L"계좌 암호를 입력합니다.");
  add(IDC_OP_CODE_LABEL, CtrlKind::Static, L"코드", 8, 68, 50, 86);
  add(IDC_OP_CODE, CtrlKind::Edit, L"", 52, 64, 150, 90);
  add(IDC_OP_SEARCH, CtrlKind::Button, L"검색", 154, 64, 200, 90, L"종목 현재가를 검색합니다.");
  add(IDC_OP_NAME, CtrlKind::Edit, L"", 204, 64, 320, 90);
  add(IDC_OP_PRICE_LABEL, CtrlKind::Static, L"가격", 8, 96, 50, 114);
  add(IDC_OP_PRICE, CtrlKind::Edit, L"", 52, 92, 200, 118);
  add(IDC_OP_ORDER_TYPE, CtrlKind::ComboList, L"", 204, 92, 320, 118);
  add(IDC_OP_AI_LABEL, CtrlKind::Static, L"A.I", 8, 124, 50, 142);
  add(IDC_OP_AI_DATA, CtrlKind::ComboList, L"", 52, 120, 250, 146);
  add(IDC_OP_AI, CtrlKind::Button, L"AI.분석", 254, 120, 320, 146);
  add(IDC_OP_BUY, CtrlKind::Radio, L"매수:&1", 52, 150, 120, 174);
  add(IDC_OP_SELL, CtrlKind::Radio, L"매도:&2", 122, 150, 190, 174);
  add(IDC_OP_CREDIT, CtrlKind::ComboList, L"", 192, 148, 268, 174);
  add(IDC_OP_CREDIT_LABEL, CtrlKind::Static, L"현금/신용", 270, 152, 320, 172);
  add(IDC_OP_QUANTITY_LABEL, CtrlKind::Static, L"수량", 8, 182, 50, 200);
  add(IDC_OP_QUANTITY, CtrlKind::Edit, L"", 52, 178, 150, 204);
  add(IDC_OP_LOAN_STATIC, CtrlKind::Static, L"대출일", 154, 182, 200, 200);
  add(IDC_OP_LOAN_DATE, CtrlKind::Edit, L"", 204, 178, 320, 204);
  add(IDC_OP_CREDIT_ORDER_KIND, CtrlKind::ComboList, L"", 52, 206, 200, 232);
  add(IDC_OP_TOTAL_BUTTON, CtrlKind::Button, L"총액", 8, 234, 50, 260);
  add(IDC_OP_TOTAL, CtrlKind::Edit, L"", 52, 234, 200, 260);
  add(IDC_OP_PRICE_STATIC, CtrlKind::Static, L"가격", 204, 238, 232, 256);
  add(IDC_OP_PRICE2, CtrlKind::Edit, L"", 234, 234, 320, 260);
  add(IDC_OP_AMOUNT_LABEL, CtrlKind::Static, L"매수한도", 8, 266, 62, 284);
  add(IDC_OP_AMOUNT_PRESET, CtrlKind::ComboList, L"", 64, 262, 200, 288);
  add(IDC_OP_ORDER, CtrlKind::Button, L"매수 (&Buy)", 8, 296, 200, 336, L"주식을 주문 합니다.");
  add(IDC_OP_CANCEL, CtrlKind::Button, L"주문 중지", 204, 296, 320, 336, L"주문을 취소합니다.");
  add(IDC_OP_SPLIT_LABEL, CtrlKind::Static, L"분할매매", 8, 346, 62, 364);
  add(IDC_OP_STATUS, CtrlKind::Static, L"주문상태표시", 64, 342, 320, 366);
  m_progress = new wxGauge(m_form.GetWindow(), IDC_OP_PROGRESS, 1, wxPoint(8, 370),
                           wxSize(312, 16));
  add(IDC_OP_SPLIT_HINT, CtrlKind::Static, L"분할 매수 권장(취소 가능)", 8, 390, 320, 408);
  add(IDC_OP_MESSAGE, CtrlKind::EditMulti, L"", 8, 412, 320, 450);
  add(IDC_OP_NOTICE, CtrlKind::EditMulti, kNoticeText, 8, 454, 320, kHeight - 8);
  // Spare boxes of the template that this dialog does not fill.
  for (int id : {2127, 2132, 2129}) {
    add(id, CtrlKind::Edit, L"", 0, 0, 10, 10);
    m_form.ShowDlgItem(id, false);
  }
  add(2119, CtrlKind::ComboList, L"", 0, 0, 10, 10);
  m_form.ShowDlgItem(2119, false);

  // The form's first state.
  m_form.FillComboFromOptions(IDC_OP_AI_DATA, kAiDataOptions, m_aiChoice);
  m_form.FillComboFromOptions(IDC_OP_MARKET, kMarketOptions, m_entry->MarketKind());
  m_form.SetDlgItemText(IDC_OP_QUANTITY, L"1");
  m_form.FillComboFromOptions(IDC_OP_AMOUNT_PRESET, kAmountPresetOptions, m_amountChoice);
  m_form.FillComboFromOptions(IDC_OP_ORDER_TYPE, kOrderTypeOptions, 3);
  m_orderType = 3;
  m_form.FillComboFromOptions(IDC_OP_CREDIT_ORDER_KIND, kCreditOrderOptions, 3);
  m_form.FillComboFromOptions(IDC_OP_CREDIT, kCreditOptions, 1);
  m_form.EnableDlgItem(IDC_OP_CREDIT_ORDER_KIND, false);
  m_form.EnableDlgItem(IDC_OP_LOAN_DATE, true);
  if (wxWindow* status = m_form.GetDlgItem(IDC_OP_STATUS)) {
    status->SetForegroundColour(*wxWHITE);
    status->SetBackgroundColour(FromRgb(kStatusBlue));
  }
  if (wxWindow* label = m_form.GetDlgItem(IDC_OP_CREDIT_LABEL))
    label->SetForegroundColour(*wxWHITE);
  ShowCreditKind(1);
  ShowSide(1);
  // Colours of the amounts: totals and sells red, quantities and buys blue.
  for (int id : {IDC_OP_TOTAL_BUTTON, IDC_OP_TOTAL, IDC_OP_PRICE_STATIC, IDC_OP_SELL})
    if (wxWindow* w = m_form.GetDlgItem(id)) w->SetForegroundColour(wxColour(255, 0, 0));
  for (int id : {IDC_OP_QUANTITY, IDC_OP_QUANTITY_LABEL, IDC_OP_BUY})
    if (wxWindow* w = m_form.GetDlgItem(id)) w->SetForegroundColour(wxColour(0, 0, 255));

  // The order menu (submenu 0 neutral, 1 buy, 2 sell).
  m_orderMenu = MakeOrderMenu();
}

void COrderPopupDlg::BuildTabs() {
  wxDialog* dialog = m_form.GetWindow();
  m_tabs = new wxNotebook(dialog, IDC_OP_TABS, wxPoint(kFormRight, 0), wxSize(208, 154),
                          wxCLIP_CHILDREN);
  if (!orv::ui::CWebPage::Available()) return;
  auto make = [this](int id, const wchar_t* title) {
    auto* view = new orv::ui::CWebPage(m_tabs, id);
    m_tabs->AddPage(view, wxString(title));
    return view;
  };
  m_portal = make(IDC_OP_PORTAL, L"인터넷 포털 정보");
  m_aiPage = make(IDC_OP_AI_PAGE, L"생성형 AI 분석(특허 출원)");
  m_comments = make(IDC_OP_COMMENTS, L"전문가/커뮤니티 의견");
}

void COrderPopupDlg::BindHandlers() {
  wxDialog* dialog = m_form.GetWindow();
  m_form.OnCommand(IDC_OP_ORDER, [this] { OnOrderButton(); });
  m_form.OnCommand(IDC_OP_CANCEL, [this] { m_entry->OnCancel(); });
  auto side = [this] { ShowSide(m_form.IsDlgButtonChecked(IDC_OP_SELL) ? 2 : 1); };
  m_form.OnCommand(IDC_OP_BUY, side);
  m_form.OnCommand(IDC_OP_SELL, side);
  m_form.OnCommand(IDC_OP_ACCOUNT, [this] { OnAccountChanged(); });
  m_form.OnCommand(IDC_OP_ACCOUNT_REFRESH, [this] { OnAccountChanged(); });
  m_form.OnCommand(IDC_OP_CREDIT, [this] {
    int64_t value = 0;
    if (m_form.GetComboValue(IDC_OP_CREDIT, &value)) {
      m_entry->SetCreditKind(static_cast<int>(value));
      ShowCreditKind(static_cast<int>(value));
    }
  });
  m_form.OnCommand(IDC_OP_ORDER_TYPE, [this] {
    m_orderType = ComboValueOr(m_form, IDC_OP_ORDER_TYPE, m_orderType);
    orv::win::WriteProfileInt(kProfileSection, "LastTradeTypeCodes", m_orderType);
    m_form.EnableDlgItem(IDC_OP_PRICE, m_orderType != 3);
  });
  m_form.OnCommand(IDC_OP_AMOUNT_PRESET, [this] {
    const int value = ComboValueOr(m_form, IDC_OP_AMOUNT_PRESET, 0);
    if (value > 0) m_form.SetDlgItemText(IDC_OP_TOTAL, COrderEntry::FormatAmount(value));
  });
  m_form.OnCommand(IDC_OP_MARKET, [] {});
  m_form.OnCommand(IDC_OP_AI_DATA, [this] { m_aiChoice = ComboValueOr(m_form, IDC_OP_AI_DATA, m_aiChoice); });
  m_form.OnCommand(IDC_OP_TOTAL_BUTTON, [this] { OnTotal(); });
  m_form.OnCommand(IDC_OP_SEARCH, [this] { OnSearch(); });
  m_form.OnCommand(IDC_OP_CODE, [this] { OnSearch(); });
  m_form.OnCommand(IDC_OP_AI, [this] { OnAiRequest(); });
  m_form.OnCommand(IDC_OP_HELP, [this] { m_view.OpenOrderHelpPage(); });
  m_form.OnCommand(IDC_OP_PASSWORD, [this] { m_view.ResetOrderPopupFlag(); });
  dialog->Bind(wxEVT_CHAR_HOOK, [this, alive = m_alive](wxKeyEvent& event) {
    if (*alive)
      OnKey(event);
    else
      event.Skip();
  });
  dialog->Bind(wxEVT_SIZE, [this, alive = m_alive](wxSizeEvent& event) {
    event.Skip();
    if (*alive) Layout();
  });
  // The order commands, from the order menu or sent to the dialog, and the form's timer.
  m_timer = BindOrderCommandsAndTimer(
      dialog, m_alive, [this](int command) { RunOrderCommand(command); }, *m_entry);
}

void COrderPopupDlg::ShowSide(int side) {
  m_side = side == 2 ? 2 : 1;
  m_form.SetDlgItemText(IDC_OP_ORDER, m_side == 2 ? L"매도 (&Sell)" : L"매수 (&Buy)");
  m_form.CheckDlgButton(IDC_OP_BUY, m_side == 1);
  m_form.CheckDlgButton(IDC_OP_SELL, m_side == 2);
  m_form.EnableDlgItem(IDC_OP_PRICE, m_orderType != 3);
}

void COrderPopupDlg::ShowCreditKind(int kind) {
  m_form.SetDlgItemText(IDC_OP_CREDIT_LABEL, kind == 1 ? L"현금" : L"신용융자");
  if (wxWindow* label = m_form.GetDlgItem(IDC_OP_CREDIT_LABEL)) {
    label->SetBackgroundColour(kind == 1 ? wxColour(41, 128, 185) : wxColour(192, 57, 43));
    label->Refresh();
  }
}

void COrderPopupDlg::OnOrderButton() {
  ShowSide(m_form.IsDlgButtonChecked(IDC_OP_SELL) ? 2 : 1);
  const int chosen = PickOrderCommand(m_form.GetWindow(), *m_orderMenu, m_side);
  if (chosen) RunOrderCommand(chosen);
}

void COrderPopupDlg::RunOrderCommand(int command) {
  OrderForm_s form;
  form.market = ComboValueOr(m_form, IDC_OP_MARKET, 1);
  form.account = m_form.GetDlgItemText(IDC_OP_ACCOUNT);
  form.code = m_form.GetDlgItemText(IDC_OP_CODE);
  form.price = m_form.GetDlgItemText(IDC_OP_PRICE);
  form.quantity = m_form.GetDlgItemText(IDC_OP_QUANTITY);
  form.sell = m_form.IsDlgButtonChecked(IDC_OP_SELL);
  form.orderType = m_orderType;
  ::RunOrderCommand(*m_entry, form, m_entry->CreditKind(), command);
  // The stock named by the order stays the form's stock.
  if (m_entry->SelectedStock().found) m_form.SetDlgItemText(IDC_OP_NAME, m_entry->SelectedStock().name);
}

void COrderPopupDlg::OnSearch() {
  const int market = ComboValueOr(m_form, IDC_OP_MARKET, 1);
  std::wstring text = m_form.GetDlgItemText(IDC_OP_CODE);
  while (!text.empty() && iswspace(text.back())) text.pop_back();
  while (!text.empty() && iswspace(text.front())) text.erase(text.begin());
  const OrderStock_s stock = FindStock(market, text);
  if (!stock.found) {
    m_entry->ClearSelectedStock();
    return;
  }
  m_entry->SetSelectedStock(stock);
  std::wstring comments;
  m_view.StockPageUrls(stock.market, stock.code, &m_portalUrl, &comments);
  if (!m_portalUrl.empty()) Navigate(m_portal, m_portalUrl);
  m_form.SetDlgItemText(IDC_OP_CODE, stock.code);
  m_form.SetDlgItemText(IDC_OP_NAME, stock.name);
  m_form.SetDlgItemText(IDC_OP_PRICE, COrderEntry::FormatAmount(stock.price));
  if (!stock.code.empty()) m_view.SetCurStock(stock.market, stock.code);
}

void COrderPopupDlg::OnTotal() {
  const long long quantity = COrderEntry::LeadingNumber(m_form.GetDlgItemText(IDC_OP_QUANTITY));
  const long long price = COrderEntry::LeadingNumber(m_form.GetDlgItemText(IDC_OP_PRICE));
  if (!m_entry->SelectedStock().found) return;
  const std::wstring total =
      COrderEntry::FormatAmount(static_cast<double>(quantity) * static_cast<double>(price));
  if (m_form.GetDlgItemText(IDC_OP_TOTAL) != total) m_form.SetDlgItemText(IDC_OP_TOTAL, total);
}

void COrderPopupDlg::OnAiRequest() {
  RequestStockAnalysis(m_view, *this, m_entry->SelectedStock());
}

void COrderPopupDlg::OnAccountChanged() {
  m_accountText = m_form.GetDlgItemText(IDC_OP_ACCOUNT);
}

void COrderPopupDlg::OnKey(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  wxWindow* focus = wxWindow::FindFocus();
  if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && focus &&
      focus == m_form.GetDlgItem(IDC_OP_CODE)) {
    OnSearch();
    return;
  }
  const OrderFormKeys_s keys{IDC_OP_CODE,  IDC_OP_QUANTITY, IDC_OP_PRICE2,
                             IDC_OP_TOTAL, IDC_OP_ORDER,    m_side,
                             [this](int side) { ShowSide(side); }};
  if (!HandleOrderFormKey(m_view, *m_entry, m_form, keys, key, event.ControlDown(),
                          event.AltDown()))
    event.Skip();
}

void COrderPopupDlg::ApplyStoredPositions(double scale) {
  sqlite3* db = m_view.Engine().OptionsDb();
  if (!db) return;
  sqlite3_stmt* st = nullptr;
  const std::string sql = StrPrintf(
      "select ctrl_id,ctrl_pos from APP_UI_POS where app_idx=%d and site_idx=%d and "
      "scene_idx=%d",
      1, 1, kUiPosScene);
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
    sqlite3_finalize(st);
    return;
  }
  while (sqlite3_step(st) == SQLITE_ROW) {
    const int id = sqlite3_column_int(st, 0);
    const unsigned char* text = sqlite3_column_text(st, 1);
    if (id < 1 || !text) continue;
    int v[4] = {0, 0, 0, 0};
    const char* p = reinterpret_cast<const char*>(text);
    for (int i = 0; i < 4 && *p; ++i) {
      v[i] = static_cast<int>(std::strtol(p, const_cast<char**>(&p), 10));
      while (*p && *p != ',') ++p;
      if (*p == ',') ++p;
    }
    wxWindow* control = m_form.GetDlgItem(id);
    if (!control && m_progress && id == IDC_OP_PROGRESS) control = m_progress;
    if (!control || v[2] <= 0 || v[3] <= 0) continue;
    const int left = static_cast<int>(v[0] * scale);
    const int top = static_cast<int>(v[1] * scale);
    control->SetSize(left, top, static_cast<int>(v[2] * scale), static_cast<int>(v[3] * scale));
    control->Refresh();
  }
  sqlite3_finalize(st);
}

void COrderPopupDlg::Layout() {
  wxDialog* dialog = m_form.GetWindow();
  if (!dialog) return;
  wxWindowUpdateLocker lock(dialog);
  const wxSize client = dialog->GetClientSize();
  if (wxWindow* name = m_form.GetDlgItem(IDC_OP_NAME); name && m_tabs) {
    const int left = name->GetRect().GetRight() + 2;
    m_tabs->SetSize(left, 0, std::max(10, client.x - left), client.y);
  }
  if (wxWindow* message = m_form.GetDlgItem(IDC_OP_MESSAGE)) {
    const wxRect r = message->GetRect();
    message->SetSize(r.x, r.y, std::max(10, (m_tabs ? m_tabs->GetRect().x - 4 : client.x) - r.x),
                     r.height);
  }
  if (wxWindow* notice = m_form.GetDlgItem(IDC_OP_NOTICE)) {
    const wxRect r = notice->GetRect();
    notice->SetSize(r.x, r.y, r.width, std::max(10, client.y - r.y - 4));
  }
}

void COrderPopupDlg::Navigate(orv::ui::CWebPage* view, const std::wstring& url) {
  if (view && !url.empty()) view->LoadURL(wxString(url));
}

void COrderPopupDlg::FillAccounts(const std::wstring& select) {
  const std::vector<std::wstring> labels = m_view.AccountLabels();
  auto* combo = dynamic_cast<wxComboBox*>(m_form.GetDlgItem(IDC_OP_ACCOUNT));
  if (!combo) return;
  std::wstring options;
  for (size_t i = 0; i < labels.size(); ++i)
    options += std::to_wstring(i + 1) + L":" + labels[i] + L";";
  const std::wstring keep = select.empty() ? m_accountText : select;
  m_form.FillComboFromOptions(IDC_OP_ACCOUNT, options, 0);
  if (labels.empty()) {
    m_accountText.clear();
    combo->SetValue(wxString());
    return;
  }
  std::wstring chosen = labels.front();
  for (const std::wstring& label : labels)
    if (label == keep || label == m_lastAccountText) chosen = label;
  for (const std::wstring& label : labels)
    if (label == keep) chosen = label;
  m_form.SelectComboByLabel(IDC_OP_ACCOUNT, chosen);
  combo->SetValue(wxString(chosen));
  m_accountText = chosen;
}

// ---------------------------------------------------------------------------------------
// The view's calls

void COrderPopupDlg::ShowDialog(wxWindow* owner, bool, bool, int) {
  if (m_form.GetDlgItemText(IDC_OP_ACCOUNT).empty()) FillAccounts(L"");
  m_form.ShowDialog(owner, false);
}

void COrderPopupDlg::HideDialog() { m_form.HideDialog(); }

void COrderPopupDlg::CenterWindow() {
  if (wxDialog* dialog = m_form.GetWindow()) dialog->CentreOnParent();
}

void COrderPopupDlg::ShowWindow(bool show) {
  if (!show) {
    m_form.HideDialog();
    return;
  }
  if (!m_form.IsDialogShown()) {
    if (m_form.GetDlgItemText(IDC_OP_ACCOUNT).empty()) FillAccounts(L"");
    m_form.ShowDialog(nullptr, false);
  } else if (wxDialog* dialog = m_form.GetWindow()) {
    dialog->Raise();
  }
}

void COrderPopupDlg::SetSplitOrderBaseMoney(int amountManWon) { m_entry->SetSplitBase(amountManWon); }

void COrderPopupDlg::SetAccountList(GroupInfoMap*, const wchar_t*, const wchar_t*, uint32_t,
                                    login_info_s*) {
  FillAccounts(m_lastAccountText);
}

void COrderPopupDlg::SetAccountGroups(GroupInfoMap*, int) {
  m_accountText.clear();
  FillAccounts(L"");
  m_lastAccountText = m_accountText;
}

void COrderPopupDlg::SetOrderForm(int market, const std::wstring& account,
                                  const std::wstring& code, int side, double quantity, int credit,
                                  int loanDate, int showPages) {
  m_entry->SetCreditKind(credit);
  m_entry->SetLoanDate(loanDate);
  m_form.SetDlgItemText(IDC_OP_LOAN_DATE, Utf8ToWide(StrPrintf("%08d", loanDate)));
  // The account list follows the view's accounts (they come with the login).
  FillAccounts(account);
  m_form.SelectComboByValue(IDC_OP_MARKET, market);
  m_form.SelectComboByValue(IDC_OP_CREDIT, credit);
  ShowCreditKind(credit);
  const OrderStock_s stock = code.empty() ? OrderStock_s() : FindStock(market, code);
  if (stock.found)
    m_entry->SetSelectedStock(stock);
  else
    m_entry->ClearSelectedStock();
  const std::wstring price = COrderEntry::FormatAmount(stock.found ? stock.price : 0);
  m_form.SetDlgItemText(IDC_OP_CODE, stock.found ? stock.code : L"");
  m_form.SetDlgItemText(IDC_OP_NAME, stock.found ? stock.name : L"");
  m_form.SetDlgItemText(IDC_OP_PRICE, price);
  m_form.SetDlgItemText(IDC_OP_PRICE2, price);
  m_form.SetDlgItemText(IDC_OP_QUANTITY, Utf8ToWide(StrPrintf("%.0f", quantity)));
  ShowSide(side);
  m_form.SetDlgItemText(IDC_OP_TOTAL,
                        COrderEntry::FormatAmount((stock.found ? stock.price : 0) * quantity));
  if (stock.found && showPages) {
    m_view.StockPageUrls(stock.market, stock.code, &m_portalUrl, &m_commentUrl);
    Navigate(m_portal, m_portalUrl);
    Navigate(m_comments, m_commentUrl);
  }
}

void COrderPopupDlg::ShowAnalysisPage(int kind, const std::wstring& code, const std::wstring& name,
                                      const std::wstring& analysis, const std::string& priceCsv,
                                      const std::string& investorCsv,
                                      const std::string& shortCsv) {
  if (m_aiPage)
    m_aiPage->SetPage(wxString::FromUTF8(BuildAnalysisPage(kind, code, name, analysis, priceCsv,
                                                           investorCsv, shortCsv)),
                      wxString());
  if (m_tabs && m_tabs->GetPageCount() > 1) m_tabs->SetSelection(1);
}

// ---------------------------------------------------------------------------------------
// IOrderDesk: the trading view's services and the form

void COrderPopupDlg::ShowResultLine(const std::wstring& line) {
  m_form.SetDlgItemText(IDC_OP_MESSAGE, line);
}

void COrderPopupDlg::Focus(OrderField field) {
  int id = 0;
  switch (field) {
    case OrderField::kAccount:
      id = IDC_OP_ACCOUNT;
      break;
    case OrderField::kCode:
      id = IDC_OP_CODE;
      break;
    case OrderField::kPrice:
      id = IDC_OP_PRICE;
      break;
    case OrderField::kQuantity:
      id = IDC_OP_QUANTITY;
      break;
    default:
      return;
  }
  if (wxWindow* w = m_form.GetDlgItem(id)) w->SetFocus();
}

void COrderPopupDlg::ShowCodeAndPrice(const std::wstring& code, double price) {
  if (m_form.GetDlgItemText(IDC_OP_CODE) != code) m_form.SetDlgItemText(IDC_OP_CODE, code);
  const std::wstring text = COrderEntry::FormatAmount(price);
  if (m_form.GetDlgItemText(IDC_OP_PRICE) != text) m_form.SetDlgItemText(IDC_OP_PRICE, text);
}

void COrderPopupDlg::ShowStatus(const std::wstring& text, uint32_t textColour,
                                uint32_t backColour) {
  m_form.SetDlgItemText(IDC_OP_STATUS, text);
  if (wxWindow* status = m_form.GetDlgItem(IDC_OP_STATUS)) {
    status->SetForegroundColour(FromRgb(textColour));
    status->SetBackgroundColour(FromRgb(backColour));
    status->Refresh();
  }
}

void COrderPopupDlg::ShowProgress(int position, int range) {
  if (!m_progress) return;
  m_progress->SetRange(std::max(1, range));
  m_progress->SetValue(std::clamp(position, 0, std::max(1, range)));
}

void COrderPopupDlg::EnableOrderButton(bool enable) { m_form.EnableDlgItem(IDC_OP_ORDER, enable); }

void InstallOrderPopupMaker() {
  ChildMakers().orderPopup = [](CPelomarView& view) -> std::unique_ptr<CPelomarOrderWindow> {
    return std::make_unique<COrderPopupDlg>(view);
  };
}
