#include "plugin/community/window/StockRecDlg.h"

#include <wx/clipbrd.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/gauge.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "plugin/community/WebLogin.h"
#include "plugin/community/WebText.h"
#include "plugin/community/window/CafeDlg.h"
#include "plugin/view/PelomarLoginEngine.h"
#include "plugin/view/PelomarView.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"

using orv::ui::CtrlKind;

namespace {

constexpr int kPageWidth = 750;
constexpr int kPageHeight = 180;
const char kSettings[] = "Settings";
constexpr const wchar_t* kNewRecommendation = L"신규 추천";
constexpr int IDC_INFO_SMS = 3431;
constexpr int IDC_INFO_PORTAL = 3432;
constexpr int kFirstLabelId = 24001;

// The seven saved values.
const char kKeyFree[] = "STOCK_REC-m_bRecFree";
const char kKeyLossCut[] = "STOCK_REC-m_nLosscutRate";
const char kKeyInvestRate[] = "STOCK_REC-m_nInvestRate";
const char kKeyInvestDays[] = "STOCK_REC-m_nInvestDays";
const char kKeyPlus[] = "STOCK_REC-m_nPlusRate";
const char kKeyPlus2[] = "STOCK_REC-m_nPlusRate2";
const char kKeySellRate[] = "STOCK_REC-m_nSellRate";

RECT Rect(int x, int y, int w, int h) { return RECT{x, y, x + w, y + h}; }

wxColour Colour(COLORREF c) { return wxColour(GetRValue(c), GetGValue(c), GetBValue(c)); }

std::wstring Trimmed(const std::wstring& text) {
  const size_t start = text.find_first_not_of(L" \t\r\n");
  if (start == std::wstring::npos) return std::wstring();
  return text.substr(start, text.find_last_not_of(L" \t\r\n") - start + 1);
}

SYSTEMTIME Today(const wxDatePickerCtrl* picker) {
  wxDateTime date = picker ? picker->GetValue() : wxDateTime::Today();
  if (!date.IsValid()) date = wxDateTime::Today();
  SYSTEMTIME t;
  t.wYear = static_cast<WORD>(date.GetYear());
  t.wMonth = static_cast<WORD>(date.GetMonth() + 1);
  t.wDay = static_cast<WORD>(date.GetDay());
  return t;
}

}  // namespace

CStockRecDlg::CStockRecDlg(CCafeDlg& cafeDialog, CPelomarView& view)
    : m_cafeDialog(cafeDialog), m_view(view) {}

CStockRecDlg::~CStockRecDlg() {
  *m_alive = false;
  if (m_priceTimer) m_priceTimer->Stop();
  if (m_smsTimer) m_smsTimer->Stop();
  if (m_smsCurl) curl_easy_cleanup(m_smsCurl);
  if (GetHostWindow()) SaveProfile();
}

// ---------------------------------------------------------------------------------------
// Making the page

bool CStockRecDlg::Create(wxWindow* parent) {
  if (!CreateChild(parent, wxID_ANY, kPageWidth, kPageHeight)) return false;
  LoadProfile();
  BuildControls();
  BindHandlers();
  SetDialogFont(L"굴림", 9);
  FillComboFromOptions(IDC_BAND, kRecBuyBandOptions, m_rates.buyBand);
  FillComboFromOptions(IDC_LOSSCUT, kRecLossCutOptions, m_rates.lossCutRate);
  FillComboFromOptions(IDC_PLUS, kRecPlusRateOptions, m_rates.plusRate);
  FillComboFromOptions(IDC_PLUS2, kRecPlusRateOptions, m_rates.plusRate2);
  FillComboFromOptions(IDC_WEIGHT, kRecInvestRateOptions, m_rates.investRate);
  FillComboFromOptions(IDC_DAYS, kRecInvestDaysOptions, m_rates.investDays);
  FillComboFromOptions(IDC_SELL_RATE, kRecSellRateOptions, m_rates.sellRate);
  FillComboFromOptions(IDC_COUNTRY, kRecCountryOptions, m_country);
  CheckDlgButton(IDC_SMS, m_sms != 0);
  CheckDlgButton(IDC_FREE, m_free != 0);
  EnableDlgItem(IDC_RECOMMEND, false);
  SetDlgItemText(IDC_COMMENT, kNewRecommendation);
  SetKind(kRecKindBuy, false);
  SetMemberLevel(false, false);
  SetCafeInfo(nullptr, {});
  GetHostWindow()->Show();
  if (wxWindow* code = GetDlgItem(IDC_CODE)) code->SetFocus();
  return true;
}

void CStockRecDlg::BuildControls() {
  int label = kFirstLabelId;
  auto text = [&](int x, int y, int w, const wchar_t* caption) {
    AddControl(label++, CtrlKind::Static, caption, Rect(x, y + 4, w, 18));
  };
  // Row 1: the stock, the country and the date; the user's standing.
  text(2, 2, 30, L"종목");
  AddControl(IDC_CODE, CtrlKind::Edit, L"", Rect(32, 2, 76, 24));
  AddControl(IDC_SEARCH, CtrlKind::Button, L"검색", Rect(110, 2, 44, 24));
  AddControl(IDC_INFO, CtrlKind::Button, L"정보", Rect(156, 2, 44, 24));
  AddControl(IDC_NAME, CtrlKind::Edit, L"", Rect(202, 2, 120, 24));
  AddControl(IDC_COUNTRY, CtrlKind::ComboList, L"", Rect(326, 2, 132, 24));
  m_date = new wxDatePickerCtrl(GetHostWindow(), IDC_DATE, wxDefaultDateTime, wxPoint(462, 2),
                                wxSize(122, 24), wxDP_DROPDOWN | wxDP_SHOWCENTURY);
  m_date->SetValue(wxDateTime::Today());
  AddControl(IDC_MEMBER_LEVEL, CtrlKind::Static, L"--", Rect(588, 6, 158, 18));
  // Row 2: the price, the kinds and the flags.
  text(2, 28, 40, L"현재가");
  AddControl(IDC_PRICE, CtrlKind::Edit, L"", Rect(42, 28, 84, 24));
  AddControl(IDC_UNIT, CtrlKind::Static, L"원", Rect(128, 32, 18, 18));
  AddControl(IDC_CHANGE, CtrlKind::Static, L"", Rect(148, 32, 52, 18));
  static const wchar_t* const kKinds[] = {L"매수", L"매도", L"홀딩", L"알림 문자", L"시황 문자"};
  static const int kKindWidths[] = {50, 50, 50, 76, 76};
  int x = 206;
  for (int i = 0; i < 5; ++i) {
    AddControl(IDC_KIND_BUY + i, CtrlKind::Radio, kKinds[i], Rect(x, 30, kKindWidths[i], 20));
    x += kKindWidths[i] + 2;
  }
  AddControl(IDC_FREE, CtrlKind::CheckBox, L"★무료", Rect(x + 4, 30, 60, 20));
  AddControl(IDC_REBUY, CtrlKind::CheckBox, L"재매수", Rect(x + 66, 30, 62, 20));
  AddControl(IDC_STRONG, CtrlKind::CheckBox, L"강력 추천", Rect(x + 130, 30, 84, 20));
  // Row 3: the rates worked from the price, and the SMS switch.
  const struct {
    int id;
    const wchar_t* caption;
    int labelWidth, comboWidth;
  } kRateCombos[] = {{IDC_BAND, L"매수구간", 48, 96},
                     {IDC_LOSSCUT, L"손절가", 36, 82},
                     {IDC_PLUS, L"1차 익절", 46, 82},
                     {IDC_PLUS2, L"2차 익절", 46, 82}};
  x = 2;
  for (const auto& combo : kRateCombos) {
    text(x, 54, combo.labelWidth, combo.caption);
    AddControl(combo.id, CtrlKind::ComboList, L"",
               Rect(x + combo.labelWidth, 54, combo.comboWidth, 24));
    x += combo.labelWidth + combo.comboWidth + 2;
  }
  AddControl(IDC_SMS, CtrlKind::CheckBox, L"※문자(SMS) 발송 (건당 15~50원)",
             Rect(x, 56, 746 - x, 20));
  // Row 4: weight, days, sell rate; the target and stop prices.
  const struct {
    int id;
    const wchar_t* caption;
  } kValueCombos[] = {
      {IDC_WEIGHT, L"매수비중"}, {IDC_DAYS, L"투자기간"}, {IDC_SELL_RATE, L"매도율"}};
  x = 2;
  for (const auto& combo : kValueCombos) {
    text(x, 80, 50, combo.caption);
    AddControl(combo.id, CtrlKind::ComboList, L"", Rect(x + 50, 80, 84, 24));
    x += 136;
  }
  text(x, 80, 34, L"목표1");
  AddControl(IDC_TARGET1, CtrlKind::Edit, L"", Rect(x + 34, 80, 72, 24));
  text(x + 110, 80, 34, L"목표2");
  AddControl(IDC_TARGET2, CtrlKind::Edit, L"", Rect(x + 144, 80, 72, 24));
  text(x + 220, 80, 28, L"손절");
  AddControl(IDC_STOP, CtrlKind::Edit, L"", Rect(x + 248, 80, 72, 24));
  // Row 5: comment and preview; the send buttons, the derived labels and the progress.
  AddControl(IDC_COMMENT, CtrlKind::EditMulti, L"", Rect(2, 106, 250, 50));
  AddControl(IDC_PREVIEW, CtrlKind::EditMulti, L"", Rect(256, 106, 250, 50));
  if (auto* preview = dynamic_cast<wxTextCtrl*>(GetDlgItem(IDC_PREVIEW)))
    preview->SetEditable(false);
  AddControl(IDC_RECOMMEND, CtrlKind::Button, L"매수\n추천", Rect(510, 106, 66, 50));
  AddControl(IDC_SELL, CtrlKind::Button, L"매도", Rect(580, 106, 44, 24));
  AddControl(IDC_JOIN, CtrlKind::Button, L"가입", Rect(580, 132, 44, 24));
  AddControl(IDC_PROFIT_CHECK, CtrlKind::Button, L"수익\n체크", Rect(628, 106, 48, 50));
  AddControl(IDC_REC_PRICE, CtrlKind::Static, L"", Rect(680, 106, 66, 16));
  AddControl(IDC_BAND_TEXT, CtrlKind::Static, L"", Rect(680, 122, 66, 16));
  m_progress = new wxGauge(GetHostWindow(), IDC_PROGRESS, 100, wxPoint(680, 141), wxSize(28, 12));
  AddControl(IDC_PROGRESS_TEXT, CtrlKind::Static, L"0건", Rect(710, 139, 36, 16));
  // Row 6: what the page advises.
  AddControl(IDC_INFO_SMS, CtrlKind::Static,
             L"매수/매도 추천시, 문자 송신 권장(고객 PC에 30초마다 알림)", Rect(2, 160, 330, 17));
  AddControl(IDC_INFO_PORTAL, CtrlKind::Static,
             L"종목을 검색하면, 하단 인터넷 포털창에 정보가 함께 표시됩니다.",
             Rect(336, 160, 410, 17));

  auto paint = [this](int id, const wxColour& fg, const wxColour* bg) {
    if (wxWindow* w = GetDlgItem(id)) {
      w->SetForegroundColour(fg);
      if (bg) w->SetBackgroundColour(*bg);
    }
  };
  const wxColour white(255, 255, 255), blue(0, 0, 255), red(255, 0, 0);
  const wxColour indigo(75, 0, 130), dodger(30, 144, 255);
  paint(IDC_INFO_SMS, white, &indigo);
  paint(IDC_INFO_PORTAL, white, &dodger);
  paint(IDC_PRICE, blue, nullptr);
  paint(IDC_KIND_BUY, blue, nullptr);
  paint(IDC_STRONG, blue, nullptr);
  paint(IDC_KIND_BUY + 1, red, nullptr);
  paint(IDC_KIND_BUY + 4, red, nullptr);
  paint(IDC_NAME, red, nullptr);
  paint(IDC_FREE, red, nullptr);
  if (wxWindow* search = GetDlgItem(IDC_SEARCH)) search->SetToolTip(L"종목 현재가를 검색합니다.");
}

void CStockRecDlg::BindHandlers() {
  for (int i = 0; i < 5; ++i) OnCommand(IDC_KIND_BUY + i, [this, i] { OnKindClicked(i); });
  OnCommand(IDC_SEARCH, [this] { OnSearch(); });
  OnCommand(IDC_CODE, [this] { OnSearch(); });  // Enter in the stock edit
  OnCommand(IDC_INFO, [this] { OnInfo(); });
  for (int id : {IDC_BAND, IDC_LOSSCUT, IDC_PLUS2, IDC_PLUS})
    OnCommand(id, [this] { OnRateChanged(true); });
  for (int id : {IDC_DAYS, IDC_WEIGHT, IDC_SELL_RATE})
    OnCommand(id, [this] { OnRateChanged(false); });
  OnCommand(IDC_COUNTRY, [this] { m_country = std::max(1, ComboValue(IDC_COUNTRY, 1)); });
  OnCommand(IDC_FREE, [this] { m_free = IsDlgButtonChecked(IDC_FREE) ? 1 : 0; });
  OnCommand(IDC_REBUY, [this] { m_rebuy = IsDlgButtonChecked(IDC_REBUY) ? 1 : 0; });
  OnCommand(IDC_STRONG, [this] { m_strong = IsDlgButtonChecked(IDC_STRONG) ? 1 : 0; });
  OnCommand(IDC_SMS, [this] { m_sms = IsDlgButtonChecked(IDC_SMS) ? 1 : 0; });
  OnCommand(IDC_RECOMMEND, [this] { SendRecommendation(m_kind, true); });
  OnCommand(IDC_SELL, [this] { SendRecommendation(kRecKindSell, true); });
  OnCommand(IDC_PROFIT_CHECK, [this] { SendRecommendation(kRecKindProfitCheck, true); });
  OnCommand(IDC_JOIN, [this] { JoinCafe(); });
  // Typing: the price recomputes the derived prices, the comment recomposes.
  if (wxWindow* price = GetDlgItem(IDC_PRICE))
    price->Bind(wxEVT_TEXT, [this, alive = m_alive](wxCommandEvent&) {
      if (*alive) OnPriceEdited();
    });
  if (wxWindow* comment = GetDlgItem(IDC_COMMENT))
    comment->Bind(wxEVT_TEXT, [this, alive = m_alive](wxCommandEvent&) {
      if (*alive) ComposeMessages(m_kind, 0, nullptr);
    });
  wxWindow* host = GetHostWindow();
  m_priceTimer = std::make_unique<wxTimer>(host, kPriceTimerId);
  m_smsTimer = std::make_unique<wxTimer>(host, kSmsTimerId);
  host->Bind(
      wxEVT_TIMER,
      [this, alive = m_alive](wxTimerEvent&) {
        if (!*alive) return;
        m_priceTimer->Stop();
        ShowPriceInfo();
      },
      kPriceTimerId);
  host->Bind(
      wxEVT_TIMER,
      [this, alive = m_alive](wxTimerEvent&) {
        if (*alive) OnSmsTimer();
      },
      kSmsTimerId);
}

void CStockRecDlg::LoadProfile() {
  m_free = orv::win::GetProfileInt(kSettings, kKeyFree, 1) != 0 ? 1 : 0;
  m_rates.lossCutRate = RecNegativeRate(orv::win::GetProfileInt(kSettings, kKeyLossCut, -10));
  m_rates.investRate = orv::win::GetProfileInt(kSettings, kKeyInvestRate, 10);
  m_rates.investDays = orv::win::GetProfileInt(kSettings, kKeyInvestDays, 30);
  m_rates.plusRate = orv::win::GetProfileInt(kSettings, kKeyPlus, 5);
  m_rates.plusRate2 = orv::win::GetProfileInt(kSettings, kKeyPlus2, 20);
  m_rates.sellRate = orv::win::GetProfileInt(kSettings, kKeySellRate, 100);
}

void CStockRecDlg::SaveProfile() const {
  orv::win::WriteProfileInt(kSettings, kKeyFree, m_free);
  orv::win::WriteProfileInt(kSettings, kKeyLossCut, m_rates.lossCutRate);
  orv::win::WriteProfileInt(kSettings, kKeyInvestRate, m_rates.investRate);
  orv::win::WriteProfileInt(kSettings, kKeyInvestDays, m_rates.investDays);
  orv::win::WriteProfileInt(kSettings, kKeyPlus, m_rates.plusRate);
  orv::win::WriteProfileInt(kSettings, kKeyPlus2, m_rates.plusRate2);
  orv::win::WriteProfileInt(kSettings, kKeySellRate, m_rates.sellRate);
}

// ---------------------------------------------------------------------------------------
// Values in and out

int CStockRecDlg::ComboValue(int id, int fallback) const {
  int64_t value = 0;
  return GetComboValue(id, &value) ? static_cast<int>(value) : fallback;
}

void CStockRecDlg::ReadRates() {
  m_rates.buyBand = ComboValue(IDC_BAND, 3);
  m_rates.lossCutRate = RecNegativeRate(ComboValue(IDC_LOSSCUT, -10));
  m_rates.plusRate = ComboValue(IDC_PLUS, 10);
  m_rates.plusRate2 = ComboValue(IDC_PLUS2, 20);
  m_rates.investRate = ComboValue(IDC_WEIGHT, 10);
  m_rates.investDays = ComboValue(IDC_DAYS, 30);
  m_rates.sellRate = ComboValue(IDC_SELL_RATE, 100);
}

RecSender_s CStockRecDlg::Sender() const {
  RecSender_s sender;
  if (const app_run_setting_s* run = m_view.RunSetting())
    sender.host = RecHostOfUrl(run->szWebApiBase);
  sender.managerIndex = m_managerIndex;
  if (const login_info_s* login = m_view.LoginInfo())
    sender.authorName = login->szNickName[0] ? login->szNickName : login->szUserName;
  if (CPelomarLoginEngine* engine = m_view.LoginEngine())
    sender.smsFooter = engine->WebLogin().m_settings.smsFooter;
  return sender;
}

std::string CStockRecDlg::SmsSenderNumber() const {
  CPelomarLoginEngine* engine = m_view.LoginEngine();
  return engine ? engine->WebLogin().m_settings.smsTel : std::string();
}

RecWebContext_s CStockRecDlg::Web() const {
  RecWebContext_s web;
  web.run = m_view.RunSetting();
  web.login = m_view.LoginInfo();
  return web;
}

void CStockRecDlg::CopyToClipboard(const std::wstring& text) const {
  if (text.empty() || !wxTheClipboard->Open()) return;
  wxTheClipboard->SetData(new wxTextDataObject(wxString(text)));
  wxTheClipboard->Close();
}

void CStockRecDlg::Say(bool show, const std::wstring& text, const char* caption,
                       unsigned type) const {
  if (show) orv::win::MessageBox(WideToUtf8(text), caption, type);
}

void CStockRecDlg::Focus(int id) {
  if (wxWindow* w = GetDlgItem(id)) w->SetFocus();
}

void CStockRecDlg::SetKind(int kind, bool fromCaller) {
  m_kind = kind;
  m_radio = RecRadioIndexOfKind(kind);
  CheckDlgButton(IDC_KIND_BUY + m_radio, true);
  SetDlgItemText(IDC_RECOMMEND, RecButtonText(kind, fromCaller));
}

// ---------------------------------------------------------------------------------------
// The interfaces the cafe dialog calls

int CStockRecDlg::SetRecommendItem(uint8_t market, const std::wstring& code, int callerKind,
                                   double recPrice, double targetPrice, double stopPrice) {
  SetKind(RecKindOfCaller(callerKind), true);
  const RecStock_s stock = m_view.FindRecommendStock(market, code);
  if (!stock.found) return 0;
  m_stock = stock;
  m_recommended = recPrice > 0 ? recPrice : 0;
  SetDlgItemText(IDC_CODE, m_stock.code);
  SetDlgItemText(IDC_NAME, m_stock.name);
  const int decimals = RecIsOverseasMarket(m_stock.marketLetter) ? 2 : 0;
  const double price = m_stock.curPrice;
  const double target = targetPrice > 0 ? targetPrice : price * 1.1;
  const double stop = stopPrice > 0 ? stopPrice : price * 0.9;
  SetDlgItemText(IDC_TARGET1, RecFormatNumber(target, decimals));
  SetDlgItemText(IDC_TARGET2, RecFormatNumber(target, decimals));
  SetDlgItemText(IDC_STOP, RecFormatNumber(stop, decimals));
  ShowPriceInfo();
  ComposeMessages(m_kind, 0, nullptr);
  return 1;
}

void CStockRecDlg::SetCafeInfo(const CafeRecordPtr& cafe, std::vector<CafeRecStock_s> recStocks) {
  m_cafeRecord = cafe;
  m_recStocks = std::move(recStocks);
  m_cafe = cafe ? cafe->cafeIndex : 0;
  m_managerIndex = cafe ? cafe->managerIndex : 0;
  m_subManagerIndex = cafe ? cafe->subManagerIndex : 0;
  const login_info_s* login = m_view.LoginInfo();
  m_manager = login && RecIsCafeManager(cafe.get(), login->nUserIdx, login->byWorkRole);
  for (int id : {IDC_PRICE, IDC_RECOMMEND, IDC_SELL, IDC_NAME, IDC_COMMENT})
    EnableDlgItem(id, m_manager);
  ShowMemberLevel();
}

void CStockRecDlg::SetMemberLevel(bool manager, bool leader) {
  m_manager = manager;
  m_leader = leader;
  EnableDlgItem(IDC_RECOMMEND, manager);
  ShowMemberLevel();
}

void CStockRecDlg::ShowMemberLevel() {
  const login_info_s* login = m_view.LoginInfo();
  const RecMemberLevel_s level = RecMemberLevelOf(m_manager, m_leader, login ? login->nUserIdx : 0,
                                                  login ? login->nApprovedCafeIdx : 0, m_cafe);
  SetDlgItemText(IDC_MEMBER_LEVEL, level.text);
  if (wxWindow* label = GetDlgItem(IDC_MEMBER_LEVEL)) {
    label->SetForegroundColour(Colour(level.text_colour));
    label->SetBackgroundColour(Colour(level.back_colour));
    label->Refresh();
  }
  EnableDlgItem(IDC_JOIN, level.joinEnabled);
}

int CStockRecDlg::LookupStock(bool showErrors) {
  const std::wstring text = Trimmed(GetDlgItemText(IDC_CODE));
  if (text.empty()) {
    Say(showErrors, L"종목명 혹은 코드를 입력해 주세요", "ERROR", MB_OK | MB_ICONERROR);
    return 0;
  }
  const RecStock_s stock = m_view.FindRecommendStock(m_country, text);
  if (!stock.found) {
    m_stock = RecStock_s();
    Say(showErrors,
        FormatW(L"[%ls] 종목명, 혹은 코드에 해당하는 종목이 없습니다.\n다시 입력해 주세요",
                text.c_str()),
        "ERROR", MB_OK | MB_ICONERROR);
    return 0;
  }
  m_stock = stock;
  SetDlgItemText(IDC_CODE, m_stock.code);
  SetDlgItemText(IDC_NAME, m_stock.name);
  m_view.SetCurStock(m_stock.market, m_stock.code);
  ShowPriceInfo();
  if (!m_priceTimer->IsRunning()) m_priceTimer->StartOnce(kPriceTimerMs);
  return 1;
}

void CStockRecDlg::ShowPriceInfo() {
  if (!m_stock.found) return;
  // The price may have moved since the stock was found: take a fresh copy.
  const RecStock_s fresh = m_view.FindRecommendStock(m_stock.market, m_stock.code);
  if (fresh.found && fresh.code == m_stock.code) m_stock = fresh;
  const bool overseas = RecIsOverseasMarket(m_stock.marketLetter);
  SetDlgItemText(IDC_PRICE, overseas ? FormatW(L"%.2f", m_stock.curPrice)
                                     : RecFormatNumber(m_stock.curPrice, 0));
  SetDlgItemText(IDC_CHANGE, FormatW(L"%.1f%%", m_stock.changeRate));
  if (wxWindow* change = GetDlgItem(IDC_CHANGE)) {
    const double rate = m_stock.changeRate;
    change->SetForegroundColour(*wxWHITE);
    change->SetBackgroundColour(rate > 0   ? wxColour(255, 0, 0)
                                : rate < 0 ? wxColour(0, 0, 255)
                                           : *wxBLACK);
    change->Refresh();
  }
  SetDlgItemText(IDC_UNIT, overseas ? L"$" : L"원");
}

int CStockRecDlg::ComposeMessages(int kind, int recomputeFlags, std::wstring* error) {
  ReadRates();
  RecComposeInput_s in;
  in.stock = m_stock;
  in.price = RecParsePrice(GetDlgItemText(IDC_PRICE));
  in.recommended = m_recommended;
  in.freeFlag = m_free;
  in.comment = GetDlgItemText(IDC_COMMENT);
  in.rates = m_rates;
  in.target1 = RecParsePrice(GetDlgItemText(IDC_TARGET1));
  in.target2 = RecParsePrice(GetDlgItemText(IDC_TARGET2));
  in.stopPrice = RecParsePrice(GetDlgItemText(IDC_STOP));
  in.bandLow = m_composed.bandLow;
  in.bandHigh = m_composed.bandHigh;
  in.sender = Sender();
  RecComposed_s out;
  const int result = ::ComposeMessages(in, kind, recomputeFlags, &out, error);
  if (result < 0 || (kind != kRecKindBriefing && out.shortText.empty())) return result;
  if (out.comment != in.comment) SetDlgItemText(IDC_COMMENT, out.comment);
  if (out.freeFlag != m_free) {
    m_free = out.freeFlag;
    CheckDlgButton(IDC_FREE, m_free != 0);
  }
  if (kind != kRecKindBriefing) {
    SetDlgItemText(IDC_BAND_TEXT, out.bandText);
    SetDlgItemText(IDC_REC_PRICE, out.recPriceText);
    if (!out.target1Edit.empty()) SetDlgItemText(IDC_TARGET1, out.target1Edit);
    if (!out.target2Edit.empty()) SetDlgItemText(IDC_TARGET2, out.target2Edit);
    if (!out.stopEdit.empty()) SetDlgItemText(IDC_STOP, out.stopEdit);
  }
  SetDlgItemText(IDC_PREVIEW, RecToCrLf(out.preview));
  m_composed = out;
  CopyToClipboard(out.longText);
  return result;
}

int CStockRecDlg::ComposeCafeMessages(RecCafeComposeInput_s in, bool clipboard,
                                      RecComposed_s* out) {
  if (!in.stock.found) in.stock = m_stock;
  in.sender = Sender();
  RecComposed_s composed;
  const int result = ::ComposeCafeMessages(in, &composed);
  if (result == 1 && clipboard) CopyToClipboard(composed.longText);
  if (out) *out = composed;
  return result;
}

// ---------------------------------------------------------------------------------------
// The controls

void CStockRecDlg::OnKindClicked(int index) {
  SetKind(RecKindOfRadioIndex(index), false);
  ComposeMessages(m_kind, 0, nullptr);
}

void CStockRecDlg::OnSearch() {
  if (!LookupStock(true)) return;
  ComposeMessages(m_kind, kRecomputeAll, nullptr);
  m_cafeDialog.ShowStockPortalPage(m_stock.market, m_stock.code, true);
}

void CStockRecDlg::OnInfo() {
  if (!LookupStock(true)) return;
  m_view.RequestStockSelect(0, m_stock.code.c_str(), 0);
}

void CStockRecDlg::OnRateChanged(bool recompute) {
  ReadRates();
  if (!recompute) {
    ComposeMessages(m_kind, 0, nullptr);
    return;
  }
  if (m_stock.found) ComposeMessages(m_kind, kRecomputeAll, nullptr);
}

void CStockRecDlg::OnPriceEdited() {
  if (m_stock.found) ComposeMessages(m_kind, kRecomputeAll, nullptr);
}

// ---------------------------------------------------------------------------------------
// Sending

int CStockRecDlg::SendRecommendation(int kind, bool show) {
  if (kind == kRecKindProfitCheck) return SendProfitCheck(show);
  const wchar_t* label = RecKindLabel(kind);
  const std::wstring text = Trimmed(GetDlgItemText(IDC_CODE));
  const RecStock_s stock = text.empty() ? RecStock_s() : m_view.FindRecommendStock(m_country, text);
  if (!stock.found) {
    Say(show, L"종목코드 및 종목이름을 정확히 입력해 주세요", "ERROR", MB_OK | MB_ICONERROR);
    Focus(IDC_CODE);
    return 0;
  }
  if (stock.code != m_stock.code || stock.market != m_stock.market) {
    // Another stock typed without a search: its own name and price go into the page first.
    m_stock = stock;
    m_recommended = 0;
    SetDlgItemText(IDC_NAME, m_stock.name);
    ShowPriceInfo();
  }
  const bool overseas = RecIsOverseasMarket(stock.marketLetter);
  const std::wstring header = m_free ? FormatW(L"★%ls%ls★ ", overseas ? L"해외" : L"", L"주식")
                                     : FormatW(L"○VIP %ls%ls○ ", overseas ? L"해외" : L"", L"주식");
  if (m_cafe < 1) {
    Say(show, L"종목을 선택해 주세요", "ERROR", MB_OK | MB_ICONERROR);
    return 0;
  }
  std::wstring error;
  const int composed = ComposeMessages(kind, 0, &error);
  const login_info_s* login = m_view.LoginInfo();
  const std::wstring user = Sender().authorName;
  if (composed != 1) {
    Say(show,
        FormatW(L"%ls님, 추천을 위한 정보가 부족합니다.(%d)\n-------\n%ls", user.c_str(), composed,
                error.c_str()),
        "ERROR", MB_OK | MB_ICONERROR);
    Focus(composed == -1 ? IDC_CODE : composed == -2 ? IDC_PRICE : IDC_COMMENT);
    return 0;
  }
  if (m_composed.comment.empty()) {
    Say(show,
        FormatW(L"%ls%ls에 대한, 종목 코멘트를 적어주세요.\n-------\n%ls\n-------\n\n간단하게라도 "
                L"적어주세요",
                header.c_str(), label, m_composed.shortText.c_str()),
        "ERROR", MB_OK | MB_ICONERROR);
    Focus(IDC_COMMENT);
    return 0;
  }
  const int answer = orv::win::MessageBox(
      WideToUtf8(FormatW(L"%ls님, %ls%ls 문자/푸시메시지를 보낼까요?\n--------\n%ls\n-------\n%ls "
                         L"문자/푸시메시지를 보낼까요?",
                         user.c_str(), header.c_str(), label, m_composed.shortText.c_str(), label)),
      "QUESTION", MB_YESNO | MB_ICONQUESTION);
  if (answer != IDYES) return 0;

  RecUpload_s upload;
  upload.recTime = Today(m_date);
  upload.cafe = m_cafe;
  upload.smsSend = m_sms;
  upload.title = m_composed.title;
  upload.message = m_composed.shortText;
  upload.authorIndex = login ? login->nUserIdx : 0;
  upload.authorName = login ? login->szUserName : L"";
  upload.nationCode = m_stock.nationCode;
  upload.code = m_stock.code;
  upload.market = m_stock.marketLetter;
  upload.name = m_stock.name;
  upload.kind = kind;
  upload.freeFlag = m_free;
  upload.rebuy = m_rebuy;
  upload.strong = m_strong;
  upload.weight = m_rates.investRate;
  upload.days = m_rates.investDays;
  upload.comment = m_composed.comment;
  upload.bandLow = m_composed.bandLow;
  upload.bandHigh = m_composed.bandHigh;
  upload.curPrice = m_composed.price;
  upload.target1 = m_composed.target1;
  upload.stopPrice = m_composed.stopPrice;
  upload.minProfitRate = m_composed.minProfitRate;
  upload.lossCutRate = m_composed.lossCutRate;
  upload.sellRate = m_rates.sellRate;
  m_recIndex = 0;
  RecUploadReply_s reply;
  PostRecommendation(nullptr, Web(), upload, &reply);

  bool smsStarted = false;
  if (RecUploadAccepted(reply)) {
    m_recIndex = reply.idx;
    // Without the number the SMS go out from, no chunk could be sent: none is started.
    if (reply.hasTels && reply.smsOk > 0 && !SmsSenderNumber().empty()) {
      // A new list replaces one still being sent.
      StopSms();
      m_smsAccepted = reply.smsOk;
      m_smsConfirmed = 0;
      m_smsPosted = 0;
      m_sentKind = kind;
      m_sentMessage = m_composed.shortText;
      std::string list = reply.tels;
      // Every number ends with its separator, so the last one is counted and sent too.
      if (!list.empty() && list.back() != ';') list += ';';
      m_recipients.Reset(std::move(list));
      if (!m_recipients.Done()) {
        m_smsDone = false;
        m_smsTimer->Start(kSmsTimerMs);
        smsStarted = true;
      }
    }
  }
  if (!RecUploadAccepted(reply)) {
    Say(show, RecUploadFailureText(label, reply), "ERROR", MB_OK | MB_ICONERROR);
    return 0;
  }
  // Recipients the page could not send to are not reported as sent.
  RecUploadReply_s shown = reply;
  if (!smsStarted && reply.hasTels) shown.smsOk = 0;
  Say(show, RecUploadSuccessText(label, shown, smsStarted), "INFORMATION",
      MB_OK | MB_ICONINFORMATION);
  return 1;
}

bool CStockRecDlg::SmsSending() const { return m_smsTimer && m_smsTimer->IsRunning(); }

void CStockRecDlg::StopSms() {
  if (m_smsTimer) m_smsTimer->Stop();
  m_recipients.Clear();
  m_smsDone = true;
  m_smsBusy = false;
  if (m_smsCurl) {
    curl_easy_cleanup(m_smsCurl);
    m_smsCurl = nullptr;
  }
}

void CStockRecDlg::SetProgress(int position, int range) {
  if (m_progress) {
    m_progress->SetRange(std::max(1, range));
    m_progress->SetValue(std::min(std::max(0, position), std::max(1, range)));
  }
  SetDlgItemText(IDC_PROGRESS_TEXT, FormatW(L"%d건", position));
}

void CStockRecDlg::OnSmsTimer() {
  if (m_recipients.Done()) {
    StopSms();
    return;
  }
  if (m_smsBusy) return;
  m_smsBusy = true;
  if (m_smsPosted == 0) {
    if (m_smsCurl) curl_easy_cleanup(m_smsCurl);
    m_smsCurl = curl_easy_init();
    SetProgress(0, m_smsAccepted);
  }
  RecSmsChunk_s chunk;
  if (m_recipients.Next(&chunk.numbers, &chunk.count) && chunk.count > 0) {
    chunk.message = m_sentMessage;
    chunk.recIndex = m_recIndex;
    chunk.cafe = m_cafe;
    chunk.kind = m_sentKind;
    // Only what the server confirms counts as sent.
    m_smsConfirmed += SendSmsChunk(m_smsCurl, Web(), chunk, SmsSenderNumber());
    m_smsPosted += chunk.count;
    SetProgress(m_smsConfirmed, m_smsAccepted);
    if (!m_recipients.Done()) {
      m_smsBusy = false;
      return;
    }
  }
  StopSms();
}

std::vector<RecProfitItem_s> CStockRecDlg::ProfitItems() const {
  std::vector<RecProfitItem_s> items;
  for (const CafeRecStock_s& rec : m_recStocks) {
    RecProfitItem_s item;
    item.code = rec.code;
    const RecStock_s stock = m_view.FindRecommendStock(rec.market, rec.code);
    if (stock.found && stock.code == rec.code) item.price = stock.curPrice;
    items.push_back(item);
  }
  return items;
}

int CStockRecDlg::SendProfitCheck(bool show) {
  const std::vector<RecProfitItem_s> items = ProfitItems();
  const int allowed = RecProfitCheckPrecondition(m_manager, m_cafe, items);
  if (allowed == kProfitCheckNoAccess) {
    Say(show, L"접근 권한이 없습니다", "ERROR", MB_OK | MB_ICONERROR);
    return allowed;
  }
  if (allowed == kProfitCheckNoPrices) {
    Say(show,
        FormatW(L"%d개 추천 종목 모두가 시세가 수신되지 않았습니다",
                static_cast<int>(items.size())),
        "ERROR", MB_OK | MB_ICONERROR);
    return allowed;
  }
  const int answer = orv::win::MessageBox(
      WideToUtf8(FormatW(L"추천 종목 %d개(전체 %d개) 수익률을 서버에 갱신할까요?\n\n주기적으로 "
                         L"해주시길 부탁드립니다.",
                         RecPricedCount(items), static_cast<int>(items.size()))),
      "QUESTION", MB_YESNO | MB_ICONQUESTION);
  if (answer != IDYES) return -1;
  int checked = 0;
  const int result = PostProfitCheck(nullptr, Web(), Today(m_date), m_cafe, m_sms, items, &checked);
  if (result != 0)
    Say(show, FormatW(L"에러(%d)가 발생했습니다", result), "ERROR", MB_OK | MB_ICONERROR);
  else
    Say(show, FormatW(L"종목 %d 개 수익률을 갱신했습니다", checked), "INFORMATION",
        MB_OK | MB_ICONINFORMATION);
  return result;
}

int CStockRecDlg::JoinCafe() {
  const int answer = orv::win::MessageBox(
      WideToUtf8(FormatW(
          L"선택하신 카페(%d)에 가입 할까요?\n----\n가입후 관리자의 승인이 필요합니다", m_cafe)),
      "QUESTION", MB_YESNO | MB_ICONQUESTION);
  if (answer != IDYES) return -1;
  const RecWebContext_s web = Web();
  if (!web.run || !web.login || !web.run->szWebApiBase[0]) {
    orv::win::MessageBox("가입이 불가능 합니다", "ERROR", MB_OK | MB_ICONERROR);
    return -1;
  }
  std::string message;
  const int err = RequestCafeJoin(nullptr, web, m_cafe, &message);
  if (err != 0) {
    orv::win::MessageBox(
        WideToUtf8(FormatW(L"가입하지 못했습니다.\n---\n에러(%d/%ls)\n\n관리자에게 문의 "
                           L"부탁드립니다.",
                           err, Utf8ToWide(message).c_str())),
        "ERROR", MB_OK | MB_ICONERROR);
  } else {
    orv::win::MessageBox("성공적으로 가입 신청되었습니다.\n(하지만, 관리자의 승인이 필요합니다)",
                         "NOTIFICATION", MB_OK | MB_ICONWARNING);
  }
  return err;
}
