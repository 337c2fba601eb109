#pragma once
// COrderDlg2: the trading view's account side panel. It lists every broker account in the
// account-summary grid (CAccInfoRecord rows with a totals footer), shows the D+2 deposit, the
// estimated assets and the credit collateral ratio, draws the domestic and the US asset bars,
// and holds the buttons that open the order-entry dialog, refresh the accounts at once, open
// the account-password dialog, the recommendation dialog and the recommended-stock board.
//
// It reads only what the engine hands the view after an account pass (AccountSummarySnapshot_s),
// never the engine's account records. The arithmetic is in plugin/orders/AccountPanel.h.

#include <array>
#include <memory>
#include <string>

#include "platform/ui/ControlDialog.h"
#include "platform/ui/model/ReportCtrl.h"
#include "plugin/view/ChildWindows.h"
#include "plugin/view/engine/ViewSnapshots.h"

class CAssetBarChart;

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
};

// The account-summary grid's rows from a summary: one CAccInfoRecord per account (row numbers
// from 1) and a totals footer; the grid's rows and footers are replaced. Answers the rows.
int FillAccountSummaryGrid(orv::ui::CMyReportCtrl& grid, const AccountSummarySnapshot_s& summary,
                           double scale);
// Refreshes the rows in place from a summary (the row of each account label): OK, CNT, ERR,
// 예수금(추정), 미수금, 출금가능 and the message, with their colours. Answers the rows refreshed.
int RefreshAccountSummaryRows(orv::ui::CMyReportCtrl& grid,
                              const AccountSummarySnapshot_s& summary);

class COrderDlg2 : public CPelomarOrderWindow {
 public:
  explicit COrderDlg2(CPelomarView& view);
  ~COrderDlg2() override;

  // --- CPelomarOrderWindow ---
  bool CreateFromTemplate(int templateId, wxWindow* parent) override;
  void ShowWindow(bool show) override;
  void SetSplitOrderBaseMoney(int amountManWon) override;
  void SetServerMode(uint32_t flags, const wchar_t* text) override;
  void SetNoticeText(const wchar_t* text) override;
  void SetAccountLabels(const wchar_t* accountText, const wchar_t* stateText, int flag,
                        int mode) override;
  void SetAccountList(GroupInfoMap* accounts, const wchar_t* account1, const wchar_t* account2,
                      uint32_t columnFlags, login_info_s* login) override;
  // With accounts the view's last summary is taken (the panel never reads the map itself).
  void UpdateAccountSummary(GroupInfoMap* accounts, int rebuild) override;
  void ShowAccountSummary(std::shared_ptr<const AccountSummarySnapshot_s> summary,
                          int rebuild) override;
  void ResetAccountInfo(int keep) override;

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

 private:
  void BuildControls();
  void BindHandlers();
  void LayOut();
  void RebuildRows(const AccountSummarySnapshot_s& summary);
  void ShowCharts(const AccountTotals_s& totals);
  void ShowLabels(const AccountTotals_s& totals);
  void ShowLabel(int id, const std::wstring& text, COLORREF textColour, COLORREF backColour);
  void ApplyLoginEnabling();
  void OnAccountChosen();

  CPelomarView& m_view;
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
  int m_showAccountInfo = 1;
  int m_splitBase = 50;
  int m_splitBaseWon = 500000;
  std::array<double, 4> m_domestic{};
  std::array<double, 3> m_us{};
  std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

// Installs the maker that gives the trading view this panel for its side panel.
void InstallOrderPanelMaker();
