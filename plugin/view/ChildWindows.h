#pragma once
// The dialogs and child views that the trading view creates and drives, as the view sees them.
// Each is a class with do-nothing operations: on its own it is the null object the view uses
// until the subsystem that builds the real window installs a maker for it in
// PelomarChildMakers() (the plug-in's start-up does that). The view holds them through these
// classes and never sees the real ones.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/WinTypes.h"
#include "shared/StockRecords.h"

class wxWindow;
class CPelomarView;
class CCafeDlgGrids;
class ICafeFiller;
struct SharedWnds_s;
struct login_info_s;
struct stock_option_s;
struct sqlite3;
struct StockChartSnapshot_s;
struct ForeignStockRow_s;
struct AccountSummarySnapshot_s;
struct HoldingRow_s;

// What a window that is not available yet tells the user who asks for it.
extern const char kNotAvailableText[];

// A modeless dialog made once from its template, then shown and hidden.
class CPelomarChildDialog {
 public:
  virtual ~CPelomarChildDialog() = default;
  // Creates the window from template `templateId` as a child of `parent`. False on failure
  // (the view then deletes the object).
  virtual bool CreateFromTemplate(int templateId, wxWindow* parent) { return true; }
  virtual void SetOwnerWnd(wxWindow* owner, bool modal) {}
  // Shows the dialog. The null object has nothing to show: it tells the user the window is
  // not available yet (kNotAvailableText) instead of acting as if it had opened.
  virtual void ShowDialog(wxWindow* owner, bool modal, bool reload, int tab);
  virtual void HideDialog() {}
  virtual void CenterWindow() {}
  virtual void ShowWindow(bool show) {}
};

// What the trading view presets the side panel's order form with (its stock-grid menu).
struct OrderFormPreset_s {
  // The stock, a copy the view took under its lock (found false: none).
  bool stockFound = false;
  uint8_t market = 1;
  std::wstring stockCode;
  std::wstring stockName;
  double stockPrice = 0;
  int side = 1;  // 1 buy, 2 sell
  // 0: the form is filled; else, with a quantity of 1 or more, the form stays as it is.
  int direct = 0;
  std::wstring code;
  std::wstring name;
  std::wstring note;
  double quantity = 0;
  double price = 0;
  int loanDate = 0;
};

// The account and order side panel (COrderDlg2) and the order popup (COrderPopupDlg).
class CPelomarOrderWindow : public CPelomarChildDialog {
 public:
  // Amount in units of 10,000 won.
  virtual void SetSplitOrderBaseMoney(int amountManWon) {}
  virtual void SetServerMode(uint32_t flags, const wchar_t* text) {}
  // The notice box (server messages, the SMS count).
  virtual void SetNoticeText(const wchar_t* text) {}
  // The view's all-stock auto-trading switch changed (or is shown for the first time).
  virtual void ShowAutoTradeSwitch(bool on) {}
  // The account and state labels (a null account text leaves the account label as it is).
  virtual void SetAccountLabels(const wchar_t* accountText, const wchar_t* stateText, int flag,
                                int mode) {}
  virtual void SetAccountList(GroupInfoMap* accounts, const wchar_t* account1,
                              const wchar_t* account2, uint32_t columnFlags, login_info_s* login) {}
  virtual void UpdateAccountSummary(GroupInfoMap* accounts, int rebuild) {}
  // The accounts as the engine handed them after an account pass (null: none brought; then a
  // rebuild request refreshes only the charts and labels).
  virtual void ShowAccountSummary(std::shared_ptr<const AccountSummarySnapshot_s> summary,
                                  int rebuild) {}
  // After a logout: unless keep, the account list and rows go and the amounts show 0.
  virtual void ResetAccountInfo(int keep) {}
  virtual void SetAccountGroups(GroupInfoMap* accounts, int selectFirst) {}
  // Fills the order form for the stock of (market, code) (empty code: none): account label
  // (empty: as it is), side, quantity, credit kind, loan date; with showPages the stock's
  // pages are loaded.
  virtual void SetOrderForm(int market, const std::wstring& account, const std::wstring& code,
                            int side, double quantity, int credit, int loanDate, int showPages) {}
  // The side panel's order form: 0 when it was preset (or, without a code, left alone), -307
  // for a direct preset while the price simulation runs. The null object has no form (-1).
  virtual int SetOrderForm(const OrderFormPreset_s& preset) { return -1; }
  // An AI analysis in the order dialog's analysis page (kind 5 a coin): the answer and the
  // price, investor and short-selling series its charts draw.
  virtual void ShowAnalysisPage(int kind, const std::wstring& code, const std::wstring& name,
                                const std::wstring& analysis, const std::string& priceCsv,
                                const std::string& investorCsv, const std::string& shortCsv) {}
};

// The account-password dialog (CMyAccountInfoDlg).
class CPelomarAccountDialog : public CPelomarChildDialog {
 public:
  virtual void SetAccountList(GroupInfoMap* accounts, const wchar_t* account1,
                              const wchar_t* account2) {}
  // The accounts as an option list ("1:label;2:label;") and the one to select.
  virtual void SetAccountListText(const std::wstring& optionList, const std::wstring& current) {}
};

// The settings dialog (CStockCfgDlg).
class CPelomarSettingsDialog : public CPelomarChildDialog {
 public:
  virtual void SetOptions(stock_option_s* options, sqlite3* db) {}
  virtual void FillSelectorConstraints(GroupInfoMap* accounts, int flag) {}
};

// The chart dialog (CStockChartDlg).
class CPelomarChartDialog : public CPelomarChildDialog {
 public:
  // The stock to chart, named by market kind and code.
  virtual void SetStock(uint8_t market, const std::wstring& code) {}
  // The stock's bars as the engine handed them over (null when no list holds the stock).
  virtual void SetChartData(std::shared_ptr<const StockChartSnapshot_s> chart) {}
  virtual int LoadChartData() { return 0; }
};

// The cafe dialog (CCafeDlg).
class CPelomarCafeDialog : public CPelomarChildDialog {
 public:
  CPelomarCafeDialog();
  ~CPelomarCafeDialog() override;
  // The dialog's grids and cafe picker with their fillers: the cafe downloads fill them
  // whether or not a window shows them.
  CCafeDlgGrids& Grids() { return *m_grids; }
  const CCafeDlgGrids& Grids() const { return *m_grids; }
  // What the cafe downloads fill: the grids; a dialog with a window also refreshes it.
  virtual ICafeFiller& CafeFiller();
  // kind: 1 buy, 2 sell, 3 holding, 4 review, 5 market briefing.
  virtual void SetRecommendItem(uint8_t market, const std::wstring& code, int kind) {}

 private:
  std::unique_ptr<CCafeDlgGrids> m_grids;
};

// The recommended-stock board (CStockMonDlg).
class CPelomarStockBoard : public CPelomarChildDialog {
 public:
  virtual void SetAccountGroups(GroupInfoMap* accounts, int selectFirst) {}
  virtual void ReloadBuyItems() {}
  // The portal's exchange-wide stock lists for the board's list grid (control 3384).
  virtual void ShowForeignStockList(std::shared_ptr<const std::vector<ForeignStockRow_s>> rows) {}
};

// The step stop-loss and take-profit dialog (CStairWatchDlg).
class CPelomarStairDialog : public CPelomarChildDialog {
 public:
  // The holding the dialog's rules go to, as the engine handed it over.
  virtual void SetHolding(const HoldingRow_s& holding) {}
  virtual void SetStockCount(int count) {}
};

// An embedded child view (the cafe data view, the monitoring view).
class CPelomarChildView {
 public:
  virtual ~CPelomarChildView() = default;
  virtual void SetSharedWnds(SharedWnds_s* block) {}
  // Creates the window with a class and window name, style, rectangle, parent and id.
  virtual bool CreateView(const wchar_t* className, DWORD style, const RECT& rect, wxWindow* parent,
                          UINT id) {
    return true;
  }
  // The created window, or null.
  virtual wxWindow* GetWindow() { return nullptr; }
  virtual int64_t OnReceivedMsgFromManager(int kind, UINT code, WPARAM wParam, LPARAM lParam,
                                           void* data) {
    return 0;
  }
  virtual int RefreshUITextByLanguageId(int languageId) { return 0; }
  // Cafe data view: the client list download and upload.
  virtual int FetchClientList(wxWindow* window) { return 0; }
  virtual int UploadClients(int value) { return 0; }
  // The host's refresh message (WM_MODULE_REFRESH: command, the company/branch record).
  virtual void OnHostRefresh(WPARAM command, LPARAM record) {}
};

// Which object the view makes for each role. A maker gets the view; an unset maker gives the
// null object.
struct PelomarChildMakers {
  std::function<std::unique_ptr<CPelomarOrderWindow>(CPelomarView&)> orderPanel;
  std::function<std::unique_ptr<CPelomarOrderWindow>(CPelomarView&)> orderPopup;
  std::function<std::unique_ptr<CPelomarAccountDialog>(CPelomarView&)> accountDialog;
  std::function<std::unique_ptr<CPelomarSettingsDialog>(CPelomarView&)> settingsDialog;
  std::function<std::unique_ptr<CPelomarChartDialog>(CPelomarView&)> chartDialog;
  std::function<std::unique_ptr<CPelomarChildDialog>(CPelomarView&)> tickListDialog;
  std::function<std::unique_ptr<CPelomarCafeDialog>(CPelomarView&)> cafeDialog;
  std::function<std::unique_ptr<CPelomarStockBoard>(CPelomarView&)> stockBoard;
  std::function<std::unique_ptr<CPelomarStairDialog>(CPelomarView&)> stairWatchDialog;
  std::function<std::unique_ptr<CPelomarChildView>(CPelomarView&)> cafeDataView;
  std::function<std::unique_ptr<CPelomarChildView>(CPelomarView&)> monitoringView;
};

// The makers of this plug-in (one set per loaded library).
PelomarChildMakers& ChildMakers();

// The object a maker gives, or the null object when the maker is unset or gives nothing.
template <class T>
std::unique_ptr<T> MakeChild(const std::function<std::unique_ptr<T>(CPelomarView&)>& maker,
                             CPelomarView& view) {
  std::unique_ptr<T> made = maker ? maker(view) : nullptr;
  return made ? std::move(made) : std::make_unique<T>();
}
