#pragma once
// COrderDlg2: the trading view's account side panel. It lists every broker account in the
// account-summary grid (CAccInfoRecord rows with a totals footer), shows the D+2 deposit, the
// estimated assets and the credit collateral ratio, draws the domestic and the US asset bars,
// and holds the buttons that open the order-entry dialog, refresh the accounts at once, open
// the account-password dialog, the recommendation dialog and the recommended-stock board.
// Its order form (code search, price, side, quantity, amount presets, order and cancel) places
// orders as the order-entry dialog does: through COrderEntry and the view's order worker.
//
// It reads only what the engine hands the view after an account pass (AccountSummarySnapshot_s),
// never the engine's account records. The arithmetic is in plugin/orders/AccountPanel.h.

#include <array>
#include <memory>
#include <string>

#include "platform/ui/ControlDialog.h"
#include "platform/ui/model/ReportCtrl.h"
#include "plugin/orders/OrderEntry.h"
#include "plugin/orders/window/OrderFormParts.h"
#include "plugin/view/ChildWindows.h"
#include "plugin/view/engine/ViewSnapshots.h"

class CAssetBarChart;
class wxMenu;
class wxTimer;

// Control ids of template 3175.
enum OrderDlg2Id : int {
  IDC_AP_GRID = 1507,
  IDC_AP_DOMESTIC_CHART = 1509,
  IDC_AP_US_CHART = 1508,
  IDC_AP_D2_DEPOSIT = 1332,
  IDC_AP_ESTIMATED_ASSETS = 1333,
  IDC_AP_COLLATERAL_RATIO = 1334,
  IDC_AP_STRIP = 3754,
  IDC_AP_SERVER = 2282,
  IDC_AP_ACCOUNT = 2121,
  IDC_AP_ACCOUNT_CHECK = 2248,
  IDC_AP_REFRESH = 2205,
  IDC_AP_PASSWORD = 2208,
  IDC_AP_HELP = 1310,
  IDC_AP_NOTICE = 2132,
  IDC_AP_ORDER_WINDOW = 2211,
  IDC_AP_RECOMMEND = 2110,
  IDC_AP_WATCH_BUY = 2112,
  // The order form.
  IDC_AP_CODE = 2123,
  IDC_AP_SEARCH = 2206,
  IDC_AP_NAME = 2126,
  IDC_AP_PRICE = 2125,
  IDC_AP_PRICE2 = 2194,
  IDC_AP_ORDER_TYPE = 2117,
  IDC_AP_BUY = 1312,
  IDC_AP_SELL = 1313,
  IDC_AP_SIDE = 2116,
  IDC_AP_QUANTITY = 2128,
  IDC_AP_AMOUNT_PRESET = 2118,
  IDC_AP_TOTAL_BUTTON = 2120,
  IDC_AP_TOTAL = 2210,
  IDC_AP_NOTE = 2127,
  IDC_AP_LOAN_DATE = 2141,
  IDC_AP_CASH = 2142,
  IDC_AP_CREDIT = 2143,
  IDC_AP_CREDIT_KIND = 2115,
  IDC_AP_CREDIT_ORDER_KIND = 2114,
  IDC_AP_AUTO_TRADE = 2207,
  IDC_AP_ANALYSIS = 1340,
  IDC_AP_ORDER = 2108,
  IDC_AP_CANCEL = 2102,
  IDC_AP_STATUS = 2131,
  IDC_AP_MESSAGE = 2168,
  // The form's captions ("코드", "가격", "수량").
  IDC_AP_CODE_LABEL = 2901,
  IDC_AP_PRICE_LABEL = 2902,
  IDC_AP_QUANTITY_LABEL = 2903,
  IDC_AP_LOAN_LABEL = 2904,
};

// The account-summary grid's rows from a summary: one CAccInfoRecord per account (row numbers
// from 1) and a totals footer; the grid's rows and footers are replaced. Answers the rows.
int FillAccountSummaryGrid(orv::ui::CMyReportCtrl& grid, const AccountSummarySnapshot_s& summary,
                           double scale);
// Refreshes the rows in place from a summary (the row of each account label): OK, CNT, ERR,
// 예수금(추정), 미수금, 출금가능 and the message, with their colours. Answers the rows refreshed.
int RefreshAccountSummaryRows(orv::ui::CMyReportCtrl& grid,
                              const AccountSummarySnapshot_s& summary);

class COrderDlg2 : public CPelomarOrderWindow, private CViewOrderDesk {
 public:
  explicit COrderDlg2(CPelomarView& view);
  ~COrderDlg2() override;

  // --- CPelomarOrderWindow ---
  bool CreateFromTemplate(int templateId, wxWindow* parent) override;
  void ShowWindow(bool show) override;
  void SetSplitOrderBaseMoney(int amountManWon) override;
  void SetServerMode(uint32_t flags, const wchar_t* text) override;
  void SetNoticeText(const wchar_t* text) override;
  void ShowAutoTradeSwitch(bool on) override;
  void SetAccountLabels(const wchar_t* accountText, const wchar_t* stateText, int flag,
                        int mode) override;
  void SetAccountList(GroupInfoMap* accounts, const wchar_t* account1, const wchar_t* account2,
                      uint32_t columnFlags, login_info_s* login) override;
  // With accounts the view's last summary is taken (the panel never reads the map itself).
  void UpdateAccountSummary(GroupInfoMap* accounts, int rebuild) override;
  void ShowAccountSummary(std::shared_ptr<const AccountSummarySnapshot_s> summary,
                          int rebuild) override;
  void ResetAccountInfo(int keep) override;
  using CPelomarOrderWindow::SetOrderForm;
  // Presets the order form (the view's stock-grid menu). Without a code nothing happens (0).
  // A given stock becomes the form's stock; the price box, the loan date and the side are
  // shown; then, unless the preset is direct with a quantity of 1 or more, the code, name,
  // both prices, quantity and note are written (0). A direct preset leaves them and answers
  // -307 while the price simulation runs, else 0.
  int SetOrderForm(const OrderFormPreset_s& preset) override;

  // What tests and the road read.
  wxWindow* GetWindow() const { return m_form.GetHostWindow(); }
  orv::ui::CControlDialog& Form() { return m_form; }
  orv::ui::CMyReportCtrl& Grid() { return m_grid; }
  const std::wstring& AccountText() const { return m_accountText; }
  int SplitBase() const { return m_splitBase; }
  int SplitBaseWon() const { return m_splitBaseWon; }
  // Chart values in 10,000-won units: total purchase, credit loan, fees and taxes, estimated
  // assets; US: total purchase, fees, estimated assets.
  const std::array<double, 4>& DomesticChartValues() const { return m_domestic; }
  const std::array<double, 3>& UsChartValues() const { return m_us; }
  COrderEntry& Entry() { return *m_entry; }
  int Side() const { return m_side; }
  int OrderType() const { return m_orderType; }
  // 1 cash, 2 credit (the "현금 주문" / "신용 주문(이자주의)" radios and the credit kind combo).
  int CreditKind() const { return m_credit; }
  // Runs an order command (ID_ORDER_...) on the form as the order menu does.
  void RunOrderCommand(int command);

 private:
  void AddControl(int id, orv::ui::CtrlKind kind, const wchar_t* text,
                  const wchar_t* tip = nullptr);
  void BuildControls();
  void BindHandlers();
  void LayOut();
  void RebuildRows(const AccountSummarySnapshot_s& summary);
  void ShowCharts(const AccountTotals_s& totals);
  void ShowLabels(const AccountTotals_s& totals);
  void ShowLabel(int id, const std::wstring& text, COLORREF textColour, COLORREF backColour);
  void ApplyLoginEnabling();
  void OnAccountChosen();
  void BuildOrderForm();
  void BindOrderForm();
  void ShowSide(int side);
  void ShowCreditKind(int kind);
  // A credit order's checks before it goes to the entry: a credit buy needs the setting
  // "D1. 신용(Loan) 매수 허용"; a credit sell needs the loan date of the loan it repays.
  bool CreditOrderAllowed(int side);
  void OnSearch();
  void OnTotal();
  void OnOrderButton();

  // IOrderDesk: the form's part (the view's part is CViewOrderDesk's)
  // Only a stock of the market asked for: a US code typed into the panel finds nothing and is
  // never ordered as a domestic stock.
  OrderStock_s FindStock(int market, const std::wstring& text) override;
  void ShowResultLine(const std::wstring& line) override;
  void Focus(OrderField field) override;
  void ShowCodeAndPrice(const std::wstring& code, double price) override;
  void ShowStatus(const std::wstring& text, uint32_t textColour, uint32_t backColour) override;
  void EnableOrderButton(bool enable) override;

  CPelomarView& m_view;
  std::unique_ptr<COrderEntry> m_entry;
  std::unique_ptr<wxMenu> m_orderMenu;
  std::unique_ptr<wxTimer> m_timer;
  orv::ui::CMyReportCtrl m_grid;
  orv::ui::CControlDialog m_form;
  CAssetBarChart* m_domesticChart = nullptr;
  CAssetBarChart* m_usChart = nullptr;
  std::shared_ptr<const AccountSummarySnapshot_s> m_summary;
  std::wstring m_accountText;
  std::wstring m_lastAccountText;
  std::wstring m_shortAccountText;
  int m_orderType = 3;
  int m_side = 1;
  int m_credit = 1;
  int m_showAccountInfo = 1;
  int m_splitBase = 50;
  int m_splitBaseWon = 500000;
  std::array<double, 4> m_domestic{};
  std::array<double, 3> m_us{};
  bool m_inLayOut = false;
  std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

// Installs the maker that gives the trading view this panel for its side panel.
void InstallOrderPanelMaker();
