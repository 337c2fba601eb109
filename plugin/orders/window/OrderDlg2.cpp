#include "plugin/orders/window/OrderDlg2.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/dcbuffer.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/wupdlock.h>

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <map>
#include <vector>

#include "platform/support/TextConv.h"
#include "platform/ui/model/ReportNotify.h"
#include "platform/win/MessageBox.h"
#include "plugin/orders/AccountPanel.h"
#include "plugin/orders/window/OrderDialogProfile.h"
#include "plugin/rows/AccInfoRecord.h"
#include "plugin/rows/GridConstraints.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/engine/TextFormat.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"

using orv::ui::CtrlKind;

namespace {

constexpr int kWidth = 740;
constexpr int kHeight = 400;
constexpr double kWonPerUnit = 10000.0;
constexpr int kMarketOrderType = 3;
constexpr const wchar_t* kOrderTypeOptions = L"0:지정가; 3:시장가";
constexpr const wchar_t* kSideOptions = L"1:매수;2:매도";
constexpr const wchar_t* kCreditKindOptions = L"1:현금;2:신용융자";
// No credit order kind is offered beyond the plain credit order.
constexpr const wchar_t* kCreditOrderKindOptions = L"0:지원안함";
constexpr int kCashKind = 1;
constexpr int kCreditKind = 2;
// The all-stock auto-trading switch's colours (as the view's own check box): red on, blue off.
const wxColour kAutoTradeOnText(255, 0, 0);
const wxColour kAutoTradeOffText(0, 0, 255);

wxColour FromRef(COLORREF c) { return wxColour(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

AccInfoAmounts AmountsOf(const AccountSummaryRow_s& a) {
  AccInfoAmounts v{};
  v[kAccEstimatedDeposit] = a.estimatedDeposit;
  v[kAccReceivable] = a.receivable;
  v[kAccStockValuation] = a.stockValuation;
  v[kAccWithdrawable] = a.withdrawable;
  v[kAccD2Deposit] = a.d2Deposit;
  v[kAccEstimatedAssets] = a.estimatedAssets;
  v[kAccTax] = a.tax;
  v[kAccFees] = a.fees;
  v[kAccCreditLimit] = a.creditLimit;
  v[kAccCreditAmount] = a.creditAmount;
  v[kAccCollateralRatio] = a.collateralRatio;
  v[kAccTodayBuy] = a.todayBuy;
  v[kAccTodaySell] = a.todaySell;
  v[kAccTodayProfit] = a.todayProfit;
  return v;
}

}  // namespace

// A bar chart drawn on the panel's own device context: one bar per value from a common zero
// line, the value above the bar and the name below it.
class CAssetBarChart : public wxPanel {
 public:
  CAssetBarChart(wxWindow* parent, int id, std::vector<std::wstring> names,
                 std::vector<wxColour> colours)
      : wxPanel(parent, id, wxDefaultPosition, wxSize(100, 60), wxFULL_REPAINT_ON_RESIZE),
        m_names(std::move(names)),
        m_colours(std::move(colours)),
        m_values(m_names.size(), 0.0) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
      wxAutoBufferedPaintDC dc(this);
      Draw(dc);
    });
  }
  void SetValues(const std::vector<double>& values) {
    for (size_t i = 0; i < m_values.size() && i < values.size(); ++i) m_values[i] = values[i];
    Refresh();
  }
  const std::vector<double>& Values() const { return m_values; }

 private:
  void Draw(wxDC& dc) {
    const wxSize size = GetClientSize();
    dc.SetBackground(wxBrush(*wxWHITE));
    dc.Clear();
    if (m_values.empty() || size.x < 10 || size.y < 4) return;
    dc.SetFont(GetFont());
    dc.SetTextForeground(*wxBLACK);
    const int line = dc.GetCharHeight();
    const int slot = size.x / static_cast<int>(m_values.size());
    // Too low for a bar between the value and the name: each slot shows its name and value
    // under a strip of its colour, on two lines when they fit, else on one.
    if (size.y < 3 * line + 8) {
      const bool twoLines = size.y >= 2 * line + 4;
      // A text wider than its slot is written smaller until it fits.
      auto centred = [&](const wxString& text, int left, int top) {
        wxFont font = GetFont();
        wxSize extent = dc.GetTextExtent(text);
        for (int px = dc.GetCharHeight() - 1; extent.x > slot - 2 && px >= 7; --px) {
          font.SetPixelSize(wxSize(0, px));
          dc.SetFont(font);
          extent = dc.GetTextExtent(text);
        }
        dc.DrawText(text, left + std::max(0, (slot - extent.x) / 2), top);
        dc.SetFont(GetFont());
      };
      for (size_t i = 0; i < m_values.size(); ++i) {
        const int left = static_cast<int>(i) * slot;
        const wxColour colour = m_colours[i % m_colours.size()];
        dc.SetPen(wxPen(colour));
        dc.SetBrush(wxBrush(colour));
        dc.DrawRectangle(left + 2, 0, std::max(1, slot - 4), 3);
        const wxString name(m_names[i]);
        const wxString value(FormatOneDecimal(m_values[i]));
        if (twoLines) {
          centred(name, left, 4);
          centred(value, left, 4 + line);
        } else {
          centred(name + L" " + value, left, 4);
        }
      }
      return;
    }
    const int top = line + 4;
    const int bottom = size.y - line - 4;
    double high = 0, low = 0;
    for (double v : m_values) {
      high = std::max(high, v);
      low = std::min(low, v);
    }
    const double span = high - low > 0 ? high - low : 1.0;
    auto y = [&](double v) {
      return bottom - static_cast<int>((v - low) / span * std::max(1, bottom - top));
    };
    const int zero = y(0);
    const int body = std::max(4, slot * 3 / 5);
    dc.SetPen(wxPen(wxColour(0xC0, 0xC0, 0xC0)));
    dc.DrawLine(0, zero, size.x, zero);
    for (size_t i = 0; i < m_values.size(); ++i) {
      const int centre = static_cast<int>(i) * slot + slot / 2;
      const wxColour colour = m_colours[i % m_colours.size()];
      dc.SetPen(wxPen(colour));
      dc.SetBrush(wxBrush(colour));
      const int at = y(m_values[i]);
      dc.DrawRectangle(centre - body / 2, std::min(at, zero), body, std::max(1, std::abs(zero - at)));
      const wxString value(FormatOneDecimal(m_values[i]));
      const wxSize valueSize = dc.GetTextExtent(value);
      dc.DrawText(value, centre - valueSize.x / 2, std::max(0, std::min(at, zero) - line - 1));
      const wxString name(m_names[i]);
      const wxSize nameSize = dc.GetTextExtent(name);
      dc.DrawText(name, centre - nameSize.x / 2, bottom + 2);
    }
  }

  std::vector<std::wstring> m_names;
  std::vector<wxColour> m_colours;
  std::vector<double> m_values;
};

// ---------------------------------------------------------------------------------------
// The grid's rows

int FillAccountSummaryGrid(orv::ui::CMyReportCtrl& grid, const AccountSummarySnapshot_s& summary,
                           double scale) {
  grid.ResetContent(true);
  AccInfoAmounts totals{};
  double holdings = 0;
  int errors = 0;
  int32_t row = 0;
  for (const AccountSummaryRow_s& a : summary.accounts) {
    const AccInfoAmounts amounts = AmountsOf(a);
    for (size_t i = 0; i < totals.size(); ++i) totals[i] += amounts[i];
    holdings += a.holdings;
    errors += a.errors;
    grid.AddRecord(std::make_unique<CAccInfoRecord>(scale, ++row, a.brokerId, a.label, a.checked,
                                                    a.holdings, a.errors, amounts, a.message));
  }
  // The footer sums the accounts; its ratio is the accounts' together, not a sum of ratios.
  totals[kAccCollateralRatio] = summary.totals.collateralRatio;
  grid.AddFooterRecord(std::make_unique<CAccInfoRecord>(scale, 0, -1, L"", 1, holdings, errors,
                                                        totals, L"", row));
  RefreshAccountSummaryRows(grid, summary);
  grid.Populate();
  return row;
}

int RefreshAccountSummaryRows(orv::ui::CMyReportCtrl& grid,
                              const AccountSummarySnapshot_s& summary) {
  using Row = CAccInfoRecord;
  std::map<std::wstring, const AccountSummaryRow_s*> byLabel;
  for (const AccountSummaryRow_s& a : summary.accounts) byLabel[a.label] = &a;
  int refreshed = 0;
  for (int i = 0; i < grid.GetRecordCount(); ++i) {
    auto* row = dynamic_cast<CAccInfoRecord*>(grid.GetRecord(i));
    if (!row || row->IsFooter()) continue;
    auto found = byLabel.find(row->Account());
    if (found == byLabel.end()) continue;
    const AccountSummaryRow_s& a = *found->second;
    row->SetNumberValue(Row::kColErrors, a.errors);
    row->SetItemTextColor(Row::kColErrors, a.errors > 0 ? kRowRed : kRowBlack);
    row->SetCheckValue(Row::kColOk, a.checked != 0);
    row->SetNumberValue(Row::kColCount, a.holdings);
    row->SetItemTextColor(Row::kColCount, a.holdings > 0 ? kRowRed : kRowBlack);
    row->SetItemBackColor(Row::kColCount, a.holdings > 0 ? kAccHighlight : kRowWhite);
    const int deposit = Row::kColFirstAmount + kAccEstimatedDeposit;
    row->SetNumberValue(deposit, a.estimatedDeposit);
    row->SetItemTextColor(deposit, a.estimatedDeposit > 0 ? kRowBlue : kRowBlack);
    const int receivable = Row::kColFirstAmount + kAccReceivable;
    row->SetNumberValue(receivable, a.receivable);
    row->SetItemTextColor(receivable, kRowRed);
    const int withdrawable = Row::kColFirstAmount + kAccWithdrawable;
    row->SetNumberValue(withdrawable, a.withdrawable);
    row->SetItemTextColor(withdrawable, a.withdrawable > 0 ? kRowBlue : kRowBlack);
    row->SetTextValue(Row::kColMessage, a.message);
    ++refreshed;
  }
  grid.RedrawControl();
  return refreshed;
}

// ---------------------------------------------------------------------------------------
// The panel

COrderDlg2::COrderDlg2(CPelomarView& view)
    : CViewOrderDesk(view),
      m_view(view),
      m_entry(std::make_unique<COrderEntry>(static_cast<IOrderDesk&>(*this))) {}

COrderDlg2::~COrderDlg2() {
  *m_alive = false;
  if (m_timer) m_timer->Stop();
}

bool COrderDlg2::CreateFromTemplate(int, wxWindow* parent) {
  if (!m_form.CreateChild(parent, 3175, kWidth, kHeight)) return false;
  const OrderDialogProfile_s profile =
      ReadOrderDialogProfile(m_view.AgencyIndex(), {m_orderType, m_showAccountInfo, m_accountText});
  m_orderType = profile.orderType;
  m_showAccountInfo = profile.showAccountInfo;
  m_lastAccountText = profile.lastAccount;
  BuildControls();
  BindHandlers();
  BindOrderForm();
  // The panel fills its pane (the host's pane lays its children over its client area too).
  if (wxWindow* window = m_form.GetHostWindow()) {
    const wxSize area = parent->GetClientSize();
    if (area.x > 0 && area.y > 0) window->SetSize(0, 0, area.x, area.y);
  }
  LayOut();
  return true;
}

void COrderDlg2::AddControl(int id, CtrlKind kind, const wchar_t* text, const wchar_t* tip) {
  // The layout places every control; it starts small.
  m_form.AddControl(id, kind, text, RECT{0, 0, 10, 10});
  if (tip)
    if (wxWindow* w = m_form.GetDlgItem(id)) w->SetToolTip(wxString(tip));
}

void COrderDlg2::BuildControls() {
  const double scale = m_view.Scale();
  m_form.AddReportGrid(IDC_AP_GRID, m_grid, kAccInfoGridLayout, RECT{0, 0, 100, 100});
  m_grid.SetCtrlId(IDC_AP_GRID);
  m_grid.FreezeColumns(3);
  GfxFillBrokerConstraintsAt(&m_grid, CAccInfoRecord::kColBroker, FALSE, FALSE);

  AddControl(IDC_AP_REFRESH, CtrlKind::Button, L"↻",
             L"계좌 목록을 새로 고칩니다.\n(다소 시간이 걸릴 수 있습니다)");
  AddControl(IDC_AP_PASSWORD, CtrlKind::Button, L"암호", L"계좌 암호를 입력합니다.");
  AddControl(IDC_AP_HELP, CtrlKind::Button, L"?", L"화면 배율 등 도움말");
  AddControl(IDC_AP_STRIP, CtrlKind::Static, L"");
  AddControl(IDC_AP_D2_DEPOSIT, CtrlKind::Static, L"");
  AddControl(IDC_AP_ESTIMATED_ASSETS, CtrlKind::Static, L"");
  AddControl(IDC_AP_COLLATERAL_RATIO, CtrlKind::Static, L"");
  AddControl(IDC_AP_ORDER_WINDOW, CtrlKind::Button, L"주문창");
  AddControl(IDC_AP_ACCOUNT, CtrlKind::ComboList, L"");
  AddControl(IDC_AP_ACCOUNT_CHECK, CtrlKind::CheckBox, L"계좌");
  AddControl(IDC_AP_SERVER, CtrlKind::Static, L"(접속서버)");
  AddControl(IDC_AP_RECOMMEND, CtrlKind::Button, L"종목 추천", L"종목을 추천합니다.");
  AddControl(IDC_AP_WATCH_BUY, CtrlKind::Button, L"감시 매수");
  AddControl(IDC_AP_NOTICE, CtrlKind::Edit, L"");
  if (auto* notice = dynamic_cast<wxTextCtrl*>(m_form.GetDlgItem(IDC_AP_NOTICE)))
    notice->SetEditable(false);

  wxWindow* host = m_form.GetHostWindow();
  host->SetBackgroundColour(*wxWHITE);
  m_domesticChart = new CAssetBarChart(
      host, IDC_AP_DOMESTIC_CHART, {L"총매입", L"신용융자", L"수수료 등", L"추정자산"},
      {wxColour(0x3E, 0x7C, 0xB1), wxColour(0xE8, 0x6A, 0x50), wxColour(0xA5, 0xA5, 0xA5),
       wxColour(0x5C, 0xA8, 0x5C)});
  m_usChart = new CAssetBarChart(host, IDC_AP_US_CHART, {L"총매입($)", L"수수료($) 등", L"추정자산($)"},
                                 {wxColour(0x3E, 0x7C, 0xB1), wxColour(0xA5, 0xA5, 0xA5),
                                  wxColour(0x5C, 0xA8, 0x5C)});

  BuildOrderForm();

  // The first state.
  ShowLabel(IDC_AP_STRIP, L"", 0xFFFFFF, 0x6370EC);  // white on RGB(236,112,99)
  ShowLabels(AccountTotals_s{});
  m_form.CheckDlgButton(IDC_AP_ACCOUNT_CHECK, m_showAccountInfo != 0);
  m_form.SetDialogFont(L"굴림", 9);
  // The grid and the charts write smaller, so the summary fits the pane.
  const wxFont small(wxFontInfo(wxSize(0, static_cast<int>(11 * scale))));
  m_domesticChart->SetFont(small);
  m_usChart->SetFont(small);
  // The valuation labels write their two lines in their small height.
  for (int id : {IDC_AP_D2_DEPOSIT, IDC_AP_ESTIMATED_ASSETS, IDC_AP_COLLATERAL_RATIO})
    if (wxWindow* label = m_form.GetDlgItem(id)) label->SetFont(small);
  // The small buttons above the labels show icons (their tooltips say what they do); a text
  // stays where the icon theme has none.
  const std::pair<int, wxArtID> icons[] = {{IDC_AP_REFRESH, wxART_REFRESH},
                                           {IDC_AP_PASSWORD, wxArtID("dialog-password")},
                                           {IDC_AP_HELP, wxART_HELP},
                                           {IDC_AP_SEARCH, wxART_FIND}};
  for (const auto& [id, art] : icons) {
    auto* button = dynamic_cast<wxButton*>(m_form.GetDlgItem(id));
    const wxBitmap icon = wxArtProvider::GetBitmap(art, wxART_BUTTON, wxSize(16, 16));
    if (!button || !icon.IsOk()) continue;
    button->SetBitmap(icon);
    button->SetLabel(wxString());
  }
  ApplyLoginEnabling();
}

void COrderDlg2::BindHandlers() {
  m_form.OnCommand(IDC_AP_ORDER_WINDOW, [this] { m_view.ShowOrderPopup(true, true); });
  m_form.OnCommand(IDC_AP_REFRESH, [this] { m_view.RequestAccountRefresh(); });
  m_form.OnCommand(IDC_AP_PASSWORD, [this] { m_view.ShowAccountDialog(true); });
  m_form.OnCommand(IDC_AP_HELP, [this] { m_view.OpenOrderHelpPage(); });
  m_form.OnCommand(IDC_AP_RECOMMEND, [this] {
    m_side = ComboValueOr(m_form, IDC_AP_SIDE, m_side);
    const OrderStock_s& stock = m_entry->SelectedStock();
    m_view.ShowCafeRecommendDlg(true, 1, stock.found ? stock.code : L"", m_side, -1);
  });
  m_form.OnCommand(IDC_AP_WATCH_BUY, [this] { m_view.ShowStockMonDlg(true); });
  m_form.OnCommand(IDC_AP_ACCOUNT, [this] { OnAccountChosen(); });
  m_form.OnCommand(IDC_AP_ACCOUNT_CHECK, [this] {
    m_showAccountInfo = m_form.IsDlgButtonChecked(IDC_AP_ACCOUNT_CHECK) ? 1 : 0;
  });
  // Only the OK column may be changed; the account's button shows the account.
  m_form.OnGridNotify(IDC_AP_GRID, orv::ui::REPORT_NM_REQUESTEDIT,
                      [](orv::ui::ReportNotify& nm) -> LRESULT {
                        if (nm.column != CAccInfoRecord::kColOk) nm.cancel = TRUE;
                        return 1;
                      });
  m_form.OnGridNotify(IDC_AP_GRID, orv::ui::REPORT_NM_ITEMBUTTONCLICK,
                      [](orv::ui::ReportNotify& nm) -> LRESULT {
                        if (nm.column != CAccInfoRecord::kColAccount) return 0;
                        auto* row = dynamic_cast<CAccInfoRecord*>(nm.record);
                        if (!row) return 0;
                        orv::win::MessageBox(
                            WideToUtf8(row->ColumnText(CAccInfoRecord::kColAccount)),
                            "INFORMATION", MB_OK | MB_ICONINFORMATION);
                        return 1;
                      });
  wxWindow* host = m_form.GetHostWindow();
  host->Bind(wxEVT_SIZE, [this, alive = m_alive](wxSizeEvent& event) {
    event.Skip();
    if (*alive) LayOut();
  });
}

void COrderDlg2::LayOut() {
  wxWindow* host = m_form.GetHostWindow();
  if (!host) return;
  if (m_inLayOut) return;
  m_inLayOut = true;
  wxWindowUpdateLocker lock(host);
  auto* scrolled = dynamic_cast<wxScrolledWindow*>(host);
  // A pane lower than the panel's content scrolls: the content keeps its height. A scroll bar
  // that comes or goes changes the width: the layout follows it once more.
  wxSize client;
  AccountPanelLayout_s o;
  for (int pass = 0; pass < 2; ++pass) {
    client = host->GetClientSize();
    o = LayOutAccountPanel(client.x, client.y, m_view.Scale());
    const int height = std::max(client.y, o.minHeight);
    if (height != client.y) o = LayOutAccountPanel(client.x, height, m_view.Scale());
    if (!scrolled) break;
    scrolled->SetVirtualSize(client.x, height);
    if (host->GetClientSize() == client) break;
  }
  const wxPoint origin = scrolled ? scrolled->CalcScrolledPosition(wxPoint(0, 0)) : wxPoint();
  auto place = [origin](wxWindow* w, const RECT& r) {
    if (w)
      w->SetSize(origin.x + r.left, origin.y + r.top, r.right - r.left, r.bottom - r.top);
  };
  const std::pair<int, RECT> places[] = {
      {IDC_AP_GRID, o.grid},
      {IDC_AP_REFRESH, o.refresh},
      {IDC_AP_PASSWORD, o.password},
      {IDC_AP_HELP, o.help},
      {IDC_AP_STRIP, o.strip},
      {IDC_AP_D2_DEPOSIT, o.d2Deposit},
      {IDC_AP_ESTIMATED_ASSETS, o.estimatedAssets},
      {IDC_AP_COLLATERAL_RATIO, o.collateralRatio},
      {IDC_AP_ORDER_WINDOW, o.orderWindow},
      {IDC_AP_RECOMMEND, o.recommend},
      {IDC_AP_WATCH_BUY, o.watchBuy},
      {IDC_AP_ACCOUNT, o.account},
      {IDC_AP_ACCOUNT_CHECK, o.accountCheck},
      {IDC_AP_SERVER, o.server},
      {IDC_AP_NOTICE, o.notice},
      {IDC_AP_CODE_LABEL, o.codeLabel},
      {IDC_AP_CODE, o.code},
      {IDC_AP_SEARCH, o.search},
      {IDC_AP_ANALYSIS, o.analysis},
      {IDC_AP_NAME, o.name},
      {IDC_AP_PRICE_LABEL, o.priceLabel},
      {IDC_AP_PRICE, o.price},
      {IDC_AP_ORDER_TYPE, o.orderType},
      {IDC_AP_BUY, o.buy},
      {IDC_AP_SELL, o.sell},
      {IDC_AP_QUANTITY_LABEL, o.quantityLabel},
      {IDC_AP_QUANTITY, o.quantity},
      {IDC_AP_AMOUNT_PRESET, o.amountPreset},
      {IDC_AP_TOTAL_BUTTON, o.totalButton},
      {IDC_AP_TOTAL, o.total},
      {IDC_AP_ORDER, o.order},
      {IDC_AP_CANCEL, o.cancel},
      {IDC_AP_STATUS, o.status},
      {IDC_AP_MESSAGE, o.message},
      {IDC_AP_CASH, o.cash},
      {IDC_AP_CREDIT, o.credit},
      {IDC_AP_CREDIT_KIND, o.creditKind},
      {IDC_AP_LOAN_DATE, o.loanDate},
      {IDC_AP_CREDIT_ORDER_KIND, o.creditOrderKind},
      {IDC_AP_AUTO_TRADE, o.autoTrade},
  };
  for (const auto& [id, rect] : places) place(m_form.GetDlgItem(id), rect);
  // The form's captions stand level with the text of the boxes beside them.
  const int drop = static_cast<int>(4 * m_view.Scale());
  for (const auto& [id, rect] : {std::pair<int, RECT>{IDC_AP_CODE_LABEL, o.codeLabel},
                                 {IDC_AP_PRICE_LABEL, o.priceLabel},
                                 {IDC_AP_QUANTITY_LABEL, o.quantityLabel},
                                 {IDC_AP_LOAN_LABEL, o.loanLabel}})
    place(m_form.GetDlgItem(id), RECT{rect.left, rect.top + drop, rect.right, rect.bottom});
  place(m_domesticChart, o.domesticChart);
  place(m_usChart, o.usChart);
  m_inLayOut = false;
}

void COrderDlg2::ShowLabel(int id, const std::wstring& text, COLORREF textColour,
                           COLORREF backColour) {
  wxWindow* label = m_form.GetDlgItem(id);
  if (!label) return;
  m_form.SetDlgItemText(id, text);
  label->SetForegroundColour(FromRef(textColour));
  label->SetBackgroundColour(FromRef(backColour));
  label->Refresh();
}

void COrderDlg2::ShowLabels(const AccountTotals_s& totals) {
  for (const auto& [id, label] :
       {std::pair<int, PanelLabel_s>{IDC_AP_D2_DEPOSIT, D2DepositLabel(totals.d2Deposit)},
        {IDC_AP_ESTIMATED_ASSETS, EstimatedAssetsLabel(totals.estimatedAssets)},
        {IDC_AP_COLLATERAL_RATIO, CollateralRatioLabel(totals.collateralRatio)}}) {
    // A label shows its two lines one below the other.
    std::wstring text = label.text;
    for (size_t at = text.find(L"\r\n"); at != std::wstring::npos; at = text.find(L"\r\n"))
      text.replace(at, 2, L"\n");
    ShowLabel(id, text, label.textColour, label.backColour);
  }
}

void COrderDlg2::ShowCharts(const AccountTotals_s& totals) {
  m_domestic = {totals.purchase / kWonPerUnit, totals.creditLoan / kWonPerUnit,
                (totals.fees + totals.taxes) / kWonPerUnit, totals.estimatedAssets / kWonPerUnit};
  m_us = {totals.usPurchase / kWonPerUnit, (totals.usFees + totals.usTax) / kWonPerUnit,
          totals.usEstimatedAssets / kWonPerUnit};
  if (m_domesticChart) m_domesticChart->SetValues({m_domestic.begin(), m_domestic.end()});
  if (m_usChart) m_usChart->SetValues({m_us.begin(), m_us.end()});
}

void COrderDlg2::ApplyLoginEnabling() {
  const login_info_s* login = m_view.LoginInfo();
  const bool signedIn = login && login->nUserIdx > 0;
  for (int id : {IDC_AP_ORDER_WINDOW, IDC_AP_RECOMMEND, IDC_AP_ANALYSIS, IDC_AP_PASSWORD,
                 IDC_AP_REFRESH, IDC_AP_HELP, IDC_AP_WATCH_BUY, IDC_AP_ORDER})
    m_form.EnableDlgItem(id, signedIn);
}

void COrderDlg2::OnAccountChosen() {
  m_accountText = m_form.GetDlgItemText(IDC_AP_ACCOUNT);
  m_shortAccountText = ShortAccountText(m_accountText);
}

void COrderDlg2::RebuildRows(const AccountSummarySnapshot_s& summary) {
  std::wstring options;
  int selected = 0;
  for (size_t i = 0; i < summary.accounts.size(); ++i) {
    options += std::to_wstring(i) + L":" + summary.accounts[i].label + L";";
    if (summary.accounts[i].label == m_lastAccountText) selected = static_cast<int>(i);
  }
  m_form.FillComboFromOptions(IDC_AP_ACCOUNT, options, selected);
  FillAccountSummaryGrid(m_grid, summary, m_view.Scale());
  m_accountText = summary.accounts.empty()
                      ? std::wstring()
                      : summary.accounts[static_cast<size_t>(selected)].label;
  m_shortAccountText = ShortAccountText(m_accountText);
}

// ---------------------------------------------------------------------------------------
// The order form

void COrderDlg2::BuildOrderForm() {
  AddControl(IDC_AP_CODE_LABEL, CtrlKind::Static, L"코드");
  AddControl(IDC_AP_CODE, CtrlKind::Edit, L"");
  AddControl(IDC_AP_SEARCH, CtrlKind::Button, L"검색", L"종목 현재가를 검색합니다.");
  // The theme has no analysis icon: the button shows its caption.
  AddControl(IDC_AP_ANALYSIS, CtrlKind::Button, L"분석", L"종목을 분석합니다.");
  AddControl(IDC_AP_NAME, CtrlKind::Edit, L"");
  AddControl(IDC_AP_PRICE_LABEL, CtrlKind::Static, L"가격");
  AddControl(IDC_AP_PRICE, CtrlKind::Edit, L"");
  AddControl(IDC_AP_ORDER_TYPE, CtrlKind::ComboList, L"");
  AddControl(IDC_AP_BUY, CtrlKind::Radio, L"매수:&1");
  AddControl(IDC_AP_SELL, CtrlKind::Radio, L"매도:&2");
  AddControl(IDC_AP_QUANTITY_LABEL, CtrlKind::Static, L"수량");
  AddControl(IDC_AP_QUANTITY, CtrlKind::Edit, L"1");
  AddControl(IDC_AP_AMOUNT_PRESET, CtrlKind::ComboList, L"");
  AddControl(IDC_AP_TOTAL_BUTTON, CtrlKind::Button, L"총금액");
  AddControl(IDC_AP_TOTAL, CtrlKind::Edit, L"");
  AddControl(IDC_AP_ORDER, CtrlKind::Button, L"매수 (&Buy)", L"주식을 주문 합니다.");
  AddControl(IDC_AP_CANCEL, CtrlKind::Button, L"취소", L"주문을 취소합니다.");
  AddControl(IDC_AP_STATUS, CtrlKind::Static, L"주문상태표시");
  AddControl(IDC_AP_MESSAGE, CtrlKind::Edit, L"");
  // Cash or credit: the radio buttons and the credit kind combo show the same choice.
  AddControl(IDC_AP_CASH, CtrlKind::RadioGroup, L"현금 주문");
  AddControl(IDC_AP_CREDIT, CtrlKind::Radio, L"신용 주문(이자주의)");
  AddControl(IDC_AP_CREDIT_KIND, CtrlKind::ComboList, L"");
  AddControl(IDC_AP_LOAN_LABEL, CtrlKind::Static, L"대출일");
  AddControl(IDC_AP_LOAN_DATE, CtrlKind::Edit, L"");
  AddControl(IDC_AP_CREDIT_ORDER_KIND, CtrlKind::ComboList, L"");
  AddControl(IDC_AP_AUTO_TRADE, CtrlKind::CheckBox, L"자동 매매(손절/익절 자동)");
  // Boxes the presets fill that the panel does not show: the second price, the note and the
  // side combo (the radio buttons show the side).
  for (int id : {IDC_AP_PRICE2, IDC_AP_NOTE}) {
    AddControl(id, CtrlKind::Edit, L"");
    m_form.ShowDlgItem(id, false);
  }
  AddControl(IDC_AP_SIDE, CtrlKind::ComboList, L"");
  m_form.ShowDlgItem(IDC_AP_SIDE, false);
  if (auto* message = dynamic_cast<wxTextCtrl*>(m_form.GetDlgItem(IDC_AP_MESSAGE)))
    message->SetEditable(false);
  m_form.EnableDlgItem(IDC_AP_NAME, false);

  m_form.FillComboFromOptions(IDC_AP_AMOUNT_PRESET, kAmountPresetOptions, 0);
  m_form.FillComboFromOptions(IDC_AP_SIDE, kSideOptions, 1);
  m_form.FillComboFromOptions(IDC_AP_CREDIT_KIND, kCreditKindOptions, kCashKind);
  m_form.FillComboFromOptions(IDC_AP_CREDIT_ORDER_KIND, kCreditOrderKindOptions, 0);
  m_form.EnableDlgItem(IDC_AP_CREDIT_ORDER_KIND, false);
  m_form.FillComboFromOptions(IDC_AP_ORDER_TYPE, kOrderTypeOptions,
                              m_orderType == 0 ? 0 : kMarketOrderType);
  if (m_orderType != 0) m_orderType = kMarketOrderType;
  // Sells and totals red, buys and quantities blue; the status white on blue.
  for (int id : {IDC_AP_SELL, IDC_AP_TOTAL_BUTTON})
    if (wxWindow* w = m_form.GetDlgItem(id)) w->SetForegroundColour(wxColour(255, 0, 0));
  for (int id : {IDC_AP_BUY, IDC_AP_QUANTITY_LABEL})
    if (wxWindow* w = m_form.GetDlgItem(id)) w->SetForegroundColour(wxColour(0, 0, 255));
  ShowStatus(L"주문상태표시", kStatusWhite, kStatusBlue);
  m_orderMenu = MakeOrderMenu();
  ShowSide(1);
  ShowCreditKind(kCashKind);
  ShowAutoTradeSwitch(m_view.AutoTradeSwitch(0) != 0);
}

void COrderDlg2::BindOrderForm() {
  m_form.OnCommand(IDC_AP_SEARCH, [this] { OnSearch(); });
  m_form.OnCommand(IDC_AP_CODE, [this] { OnSearch(); });
  m_form.OnCommand(IDC_AP_TOTAL_BUTTON, [this] { OnTotal(); });
  m_form.OnCommand(IDC_AP_ORDER, [this] { OnOrderButton(); });
  m_form.OnCommand(IDC_AP_CANCEL, [this] { m_entry->OnCancel(); });
  auto side = [this] { ShowSide(m_form.IsDlgButtonChecked(IDC_AP_SELL) ? 2 : 1); };
  m_form.OnCommand(IDC_AP_BUY, side);
  m_form.OnCommand(IDC_AP_SELL, side);
  m_form.OnCommand(IDC_AP_CASH, [this] { ShowCreditKind(kCashKind); });
  m_form.OnCommand(IDC_AP_CREDIT, [this] { ShowCreditKind(kCreditKind); });
  m_form.OnCommand(IDC_AP_CREDIT_KIND, [this] {
    ShowCreditKind(ComboValueOr(m_form, IDC_AP_CREDIT_KIND, m_credit));
  });
  // The check switches the view's all-stock auto-trading as the view's own check box does
  // (asking first while it is off); the check then shows what the view's switch became.
  m_form.OnCommand(IDC_AP_AUTO_TRADE, [this] {
    m_view.OnCommand(IDC_CHECK_ALL_STOCK_WATCH);
    ShowAutoTradeSwitch(m_view.AutoTradeSwitch(0) != 0);
  });
  // The analysis answer shows on the order dialog's analysis page: the dialog opens with it.
  m_form.OnCommand(IDC_AP_ANALYSIS, [this] {
    if (RequestStockAnalysis(m_view, *this, m_entry->SelectedStock()))
      m_view.ShowOrderPopup(true, true);
  });
  m_form.OnCommand(IDC_AP_ORDER_TYPE, [this] {
    m_orderType = ComboValueOr(m_form, IDC_AP_ORDER_TYPE, m_orderType);
    m_form.EnableDlgItem(IDC_AP_PRICE, m_orderType != kMarketOrderType);
  });
  m_form.OnCommand(IDC_AP_AMOUNT_PRESET, [this] {
    const int value = ComboValueOr(m_form, IDC_AP_AMOUNT_PRESET, 0);
    if (value > 0) m_form.SetDlgItemText(IDC_AP_TOTAL, COrderEntry::FormatAmount(value));
  });
  // The form's keys, while the focus is in the panel.
  m_form.GetHostWindow()->Bind(wxEVT_CHAR_HOOK, [this, alive = m_alive](wxKeyEvent& event) {
    if (!*alive) {
      event.Skip();
      return;
    }
    const OrderFormKeys_s keys{IDC_AP_CODE,  IDC_AP_QUANTITY, IDC_AP_PRICE,
                               IDC_AP_TOTAL, IDC_AP_ORDER,    m_side,
                               [this](int side) { ShowSide(side); }};
    if (!HandleOrderFormKey(m_view, *m_entry, m_form, keys, event.GetKeyCode(),
                            event.ControlDown(), event.AltDown()))
      event.Skip();
  });
  m_timer = BindOrderCommandsAndTimer(
      m_form.GetHostWindow(), m_alive, [this](int command) { RunOrderCommand(command); },
      *m_entry);
}

void COrderDlg2::ShowSide(int side) {
  m_side = side == 2 ? 2 : 1;
  m_form.SetDlgItemText(IDC_AP_ORDER, m_side == 2 ? L"매도 (&Sell)" : L"매수 (&Buy)");
  m_form.CheckDlgButton(IDC_AP_BUY, m_side == 1);
  m_form.CheckDlgButton(IDC_AP_SELL, m_side == 2);
  m_form.SelectComboByValue(IDC_AP_SIDE, m_side);
  if (wxWindow* order = m_form.GetDlgItem(IDC_AP_ORDER)) {
    order->SetForegroundColour(m_side == 2 ? wxColour(255, 0, 0) : wxColour(0, 0, 255));
    order->Refresh();
  }
  m_form.EnableDlgItem(IDC_AP_PRICE, m_orderType != kMarketOrderType);
}

void COrderDlg2::ShowCreditKind(int kind) {
  m_credit = kind == kCreditKind ? kCreditKind : kCashKind;
  m_entry->SetCreditKind(m_credit);
  m_form.CheckDlgButton(IDC_AP_CASH, m_credit == kCashKind);
  m_form.CheckDlgButton(IDC_AP_CREDIT, m_credit == kCreditKind);
  m_form.SelectComboByValue(IDC_AP_CREDIT_KIND, m_credit);
  // Only a credit order names a loan.
  m_form.EnableDlgItem(IDC_AP_LOAN_DATE, m_credit == kCreditKind);
}

bool COrderDlg2::CreditOrderAllowed(int side) {
  if (side != 2 && !m_view.CreditBuyAllowed()) {
    Box(L"신용 매수가 허용되어 있지 않습니다.\n환경설정의 \"D1. 신용(Loan) 매수 허용\"을 "
        L"확인해 주세요.",
        L"ERROR", kBoxOk | kBoxError);
    return false;
  }
  // A buy opens a new loan; a sell repays the loan of its date (yyyymmdd).
  const long long loanDate = COrderEntry::LeadingNumber(m_form.GetDlgItemText(IDC_AP_LOAN_DATE));
  const bool dated = loanDate >= 10000000 && loanDate <= 99999999;
  if (side == 2 && !dated) {
    Box(L"신용 매도할 대출일(예: 20240105)을 입력해 주세요.", L"ERROR", kBoxOk | kBoxError);
    if (wxWindow* box = m_form.GetDlgItem(IDC_AP_LOAN_DATE)) box->SetFocus();
    return false;
  }
  m_entry->SetLoanDate(dated ? static_cast<int>(loanDate) : 0);
  return true;
}

void COrderDlg2::OnSearch() {
  std::wstring text = m_form.GetDlgItemText(IDC_AP_CODE);
  while (!text.empty() && std::iswspace(text.back())) text.pop_back();
  while (!text.empty() && std::iswspace(text.front())) text.erase(text.begin());
  // The panel searches the domestic market only.
  const OrderStock_s stock = FindStock(1, text);
  if (!stock.found) {
    m_entry->ClearSelectedStock();
    return;
  }
  m_entry->SetSelectedStock(stock);
  m_form.SetDlgItemText(IDC_AP_CODE, stock.code);
  m_form.SetDlgItemText(IDC_AP_NAME, stock.name);
  m_form.SetDlgItemText(IDC_AP_PRICE, COrderEntry::FormatAmount(stock.price));
}

void COrderDlg2::OnTotal() {
  if (!m_entry->SelectedStock().found) return;
  const long long quantity = COrderEntry::LeadingNumber(m_form.GetDlgItemText(IDC_AP_QUANTITY));
  const long long price = COrderEntry::LeadingNumber(m_form.GetDlgItemText(IDC_AP_PRICE));
  m_form.SetDlgItemText(IDC_AP_TOTAL, COrderEntry::FormatAmount(static_cast<double>(quantity) *
                                                                static_cast<double>(price)));
}

void COrderDlg2::OnOrderButton() {
  ShowSide(m_form.IsDlgButtonChecked(IDC_AP_SELL) ? 2 : 1);
  const int chosen = PickOrderCommand(m_form.GetHostWindow(), *m_orderMenu, m_side);
  if (chosen) RunOrderCommand(chosen);
}

void COrderDlg2::RunOrderCommand(int command) {
  OrderForm_s form;
  form.market = 1;
  form.account = m_form.GetDlgItemText(IDC_AP_ACCOUNT);
  form.code = m_form.GetDlgItemText(IDC_AP_CODE);
  // A code typed after the last search names another stock than the price box: that stock's
  // own price is taken, never the price of the one searched before.
  const OrderStock_s& searched = m_entry->SelectedStock();
  if (searched.found && searched.code == form.code)
    form.price = m_form.GetDlgItemText(IDC_AP_PRICE);
  form.quantity = m_form.GetDlgItemText(IDC_AP_QUANTITY);
  form.sell = m_form.IsDlgButtonChecked(IDC_AP_SELL);
  form.orderType = m_orderType;
  // The credit commands order on credit whatever the form shows.
  const bool creditCommand = command == ID_CREDIT_ORDER_NOW || command == ID_CREDIT_ORDER_SPLIT5 ||
                             command == ID_CREDIT_ORDER_SPLIT10 ||
                             command == ID_CREDIT_ORDER_SPLIT20;
  if ((creditCommand || m_credit == kCreditKind) && !CreditOrderAllowed(form.sell ? 2 : 1)) return;
  ::RunOrderCommand(*m_entry, form, m_credit, command);
  if (m_entry->SelectedStock().found)
    m_form.SetDlgItemText(IDC_AP_NAME, m_entry->SelectedStock().name);
}

int COrderDlg2::SetOrderForm(const OrderFormPreset_s& p) {
  if (p.code.empty()) return 0;
  if (p.stockFound) {
    OrderStock_s stock;
    stock.found = true;
    stock.market = p.market;
    stock.code = p.stockCode;
    stock.name = p.stockName;
    stock.price = p.stockPrice;
    m_entry->SetSelectedStock(stock);
  }
  m_entry->SetLoanDate(p.loanDate);
  const std::wstring price = COrderEntry::FormatAmount(p.price);
  m_form.SetDlgItemText(IDC_AP_PRICE, price);
  m_form.SetDlgItemText(IDC_AP_LOAN_DATE, Utf8ToWide(StrPrintf("%08d", p.loanDate)));
  ShowSide(p.side == 2 ? 2 : 1);
  if (p.direct == 0 || p.quantity < 1) {
    m_form.SetDlgItemText(IDC_AP_NAME, p.name);
    m_form.SetDlgItemText(IDC_AP_CODE, p.code);
    m_form.SetDlgItemText(IDC_AP_PRICE2, price);
    m_form.SetDlgItemText(IDC_AP_QUANTITY, Utf8ToWide(StrPrintf("%.0f", p.quantity)));
    m_form.SetDlgItemText(IDC_AP_NOTE, p.note);
    return 0;
  }
  return SimulationRunning() ? kEntrySimulationOn : 0;
}

// IOrderDesk: the form's part

OrderStock_s COrderDlg2::FindStock(int market, const std::wstring& text) {
  const OrderStock_s stock = CViewOrderDesk::FindStock(market, text);
  return stock.found && stock.market == market ? stock : OrderStock_s();
}

void COrderDlg2::ShowResultLine(const std::wstring& line) {
  m_form.SetDlgItemText(IDC_AP_MESSAGE, line);
  // The line is longer than its box: its tooltip shows it whole.
  if (wxWindow* box = m_form.GetDlgItem(IDC_AP_MESSAGE)) box->SetToolTip(wxString(line));
}

void COrderDlg2::Focus(OrderField field) {
  const int id = field == OrderField::kAccount    ? IDC_AP_ACCOUNT
                 : field == OrderField::kCode     ? IDC_AP_CODE
                 : field == OrderField::kPrice    ? IDC_AP_PRICE
                 : field == OrderField::kQuantity ? IDC_AP_QUANTITY
                                                  : 0;
  if (wxWindow* w = id ? m_form.GetDlgItem(id) : nullptr) w->SetFocus();
}

void COrderDlg2::ShowCodeAndPrice(const std::wstring& code, double price) {
  // The price follows the market only for a market order of the stock the form still names:
  // a typed limit price, or a code typed for the next search, stays as the user left it.
  if (m_orderType != kMarketOrderType || m_form.GetDlgItemText(IDC_AP_CODE) != code) return;
  const std::wstring text = COrderEntry::FormatAmount(price);
  if (m_form.GetDlgItemText(IDC_AP_PRICE) != text) m_form.SetDlgItemText(IDC_AP_PRICE, text);
}

void COrderDlg2::ShowStatus(const std::wstring& text, uint32_t textColour, uint32_t backColour) {
  ShowLabel(IDC_AP_STATUS, text, textColour, backColour);
}

void COrderDlg2::EnableOrderButton(bool enable) { m_form.EnableDlgItem(IDC_AP_ORDER, enable); }

// ---------------------------------------------------------------------------------------
// The view's calls

void COrderDlg2::ShowWindow(bool show) {
  if (wxWindow* window = m_form.GetHostWindow()) {
    window->Show(show);
    if (show) LayOut();
  }
}

void COrderDlg2::ShowAutoTradeSwitch(bool on) {
  m_form.CheckDlgButton(IDC_AP_AUTO_TRADE, on);
  if (wxWindow* check = m_form.GetDlgItem(IDC_AP_AUTO_TRADE)) {
    check->SetForegroundColour(on ? kAutoTradeOnText : kAutoTradeOffText);
    check->Refresh();
  }
}

void COrderDlg2::SetSplitOrderBaseMoney(int amountManWon) {
  m_splitBase = amountManWon;
  m_splitBaseWon = amountManWon * 10000;
}

void COrderDlg2::SetServerMode(uint32_t flags, const wchar_t* text) {
  const PanelLabel_s label = ServerModeLabel(flags, text);
  ShowLabel(IDC_AP_SERVER, label.text, label.textColour, label.backColour);
}

void COrderDlg2::SetNoticeText(const wchar_t* text) {
  // The box has one line: the text's lines follow one another in it.
  std::wstring line = text ? text : L"";
  for (wchar_t& c : line)
    if (c == L'\r' || c == L'\n') c = L' ';
  m_form.SetDlgItemText(IDC_AP_NOTICE, line);
}

void COrderDlg2::SetAccountLabels(const wchar_t* accountText, const wchar_t* stateText, int,
                                  int) {
  if (accountText) {
    m_accountText = accountText;
    m_shortAccountText = ShortAccountText(m_accountText);
  }
  // The state (a service check still failing) shows in the notice box.
  if (stateText && *stateText) SetNoticeText(stateText);
}

void COrderDlg2::SetAccountList(GroupInfoMap*, const wchar_t*, const wchar_t*, uint32_t,
                                login_info_s*) {
  m_accountText.clear();
  m_grid.ResetContent(true);
  m_grid.Populate();
  if (const auto summary = m_view.AccountSummary(); summary && !summary->accounts.empty()) {
    m_summary = summary;
    RebuildRows(*summary);
  }
}

void COrderDlg2::UpdateAccountSummary(GroupInfoMap* accounts, int rebuild) {
  ShowAccountSummary(accounts ? m_view.AccountSummary() : nullptr, rebuild);
}

void COrderDlg2::ShowAccountSummary(std::shared_ptr<const AccountSummarySnapshot_s> summary,
                                    int rebuild) {
  const SummaryStep step =
      DecideSummaryStep(summary != nullptr, m_grid.GetRecordCount(),
                        summary ? static_cast<int>(summary->accounts.size()) : 0, rebuild);
  if (summary) m_summary = summary;
  const AccountTotals_s totals = m_summary ? m_summary->totals : AccountTotals_s{};
  switch (step) {
    case SummaryStep::kRebuild:
      RebuildRows(*summary);
      ShowCharts(totals);
      break;
    case SummaryStep::kRefreshRows:
      if (summary) RefreshAccountSummaryRows(m_grid, *summary);
      break;
    case SummaryStep::kChartsOnly:
      ShowCharts(totals);
      break;
  }
  ShowLabels(totals);
  ApplyLoginEnabling();
}

void COrderDlg2::ResetAccountInfo(int keep) {
  if (!keep) {
    m_form.FillComboFromOptions(IDC_AP_ACCOUNT, L"", 0);
    m_grid.ResetContent(true);
    m_grid.Populate();
    m_summary.reset();
    m_accountText.clear();
    ShowLabels(AccountTotals_s{});
  }
  ApplyLoginEnabling();
}

void InstallOrderPanelMaker() {
  ChildMakers().orderPanel = [](CPelomarView& view) -> std::unique_ptr<CPelomarOrderWindow> {
    return std::make_unique<COrderDlg2>(view);
  };
}
