#pragma once
// CPelomarView: the one window of the trading plug-in, an embedded view in a host module tab.
// It owns the engine (plugin/view/engine), the grids and tabs, the check boxes, the child
// views and dialogs, and the timers; it binds itself to the host's shared-window block when
// created, runs its start-up once on the first initial update, and saves a changed trading
// configuration when destroyed.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/ui/DbViewBase.h"
#include "platform/ui/model/OptionList.h"
#include "plugin/view/ChildWindows.h"
#include "plugin/view/StockRecord.h"
#include "plugin/view/ViewLayout.h"
#include "plugin/view/engine/OrderSender.h"
#include "plugin/view/engine/PelomarEngine.h"

class wxTimer;
class CProfitRateDialog;
class CPelomarLoginEngine;
class wxTimerEvent;
class wxNotebook;
class wxCheckBox;
class wxButton;
class wxFont;
class CRurezOzadoResultRecord;
class wxMenu;
class wxPaintEvent;
class wxMouseEvent;
class wxSizeEvent;
class wxDropFilesEvent;
class wxCommandEvent;
class CViewCommandBar;
class CWebLogin;
class CWebPages;
class CWebReports;
class CHoldingsGrid;
class CStockGridMenu;
class IWebEngine;
struct RecStock_s;
namespace orv::ui {
class CMyReportCtrl;
class ReportGridWindow;
struct ReportNotify;
}  // namespace orv::ui

// Window and control ids of the view.
constexpr int IDC_PELOMAR_TAB = 2523;
constexpr int IDC_ALL_STOCK_GRID = 2212;
constexpr int IDC_MY_STOCK_GRID = 2213;
constexpr int IDC_ORDER_HISTORY_GRID = 2216;
constexpr int IDC_CAFE_DATA_VIEW = 3028;
constexpr int IDC_MONITORING_VIEW = 2529;
constexpr int IDC_CHECK_SELL_ONE_BY_ONE = 3454;
constexpr int IDC_CHECK_SIMPLE_UI = 3455;
constexpr int IDC_CHECK_PROFIT_STEPS = 3458;
constexpr int IDC_CHECK_ALL_STOCK_WATCH = 3453;
constexpr int IDC_PROFIT_RATES_BUTTON = 3452;

// The view's timers: 3 and 1 tick every 500 ms, 2 every 2000 ms.
constexpr int PELOMAR_TIMER_3 = 3;
constexpr int PELOMAR_TIMER_TICK = 1;
constexpr int PELOMAR_TIMER_2 = 2;
// One-shot 100 ms timer that logs the view out after the host's logged-out command.
constexpr int PELOMAR_TIMER_LOGOUT = 501;

// View state bit: the first initial update has run.
constexpr uint32_t VIEW_STATE_INITIALIZED = 0x10000;

// Login flags of the stored login data.
constexpr uint32_t LOGIN_FLAG_AUTO = 0x80;
constexpr uint32_t LOGIN_FLAG_SAVE_PASSWORD = 0x800;
// Login-dialog flags handed with main-frame function 82.
constexpr uint32_t LOGIN_DIALOG_FLAGS = 0x104000;

// The grid layout texts of the all-stock grid and of the own-stock and order-history grids.
extern const wchar_t kAllStockGridLayout[];
extern const wchar_t kMyStockGridLayout[];

class CPelomarView : public CDbBaseNormalView {
 public:
  CPelomarView();
  ~CPelomarView() override;

  // The creatable class handed to GfxCreateEmbededView.
  static const CRuntimeClass* GetThisClass();

  // --- Window side ---
  int OnCreate(SharedWnds_s* creationBlock) override;
  void OnInitialUpdate();
  // Saves a changed configuration, then writes the view's switches to "Settings".
  void OnDestroy();
  // The view's DestroyWindow: destroy handling, workers stopped, data released, then the
  // window destroyed.
  bool Destroy() override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  // --- Embedded-view interface ---
  int AddLogMsg(DWORD ctrlId, DWORD kind, double value, const wchar_t* title,
                const wchar_t* message, uint8_t flag) override;
  int RefreshWindowAll(int value, SYSTEMTIME* from, SYSTEMTIME* to, const wchar_t* text, void* data,
                       wchar_t ch, uint8_t flag) override;
  int RefreshWindow(int command, int value, SYSTEMTIME* from, SYSTEMTIME* to, const wchar_t* text,
                    void* data, wchar_t ch, uint8_t flag) override;
  int GetLoginCallbackFunc(void** outCtx, ::LoginCallback* outLogin,
                           ::LoginNotifyCallback* outNotify) override;

  // The callbacks handed to the host's login dialog; they run the handlers installed with
  // SetLoginHandlers (the user login), and answer 0 without one.
  static int LoginCallback(void* ctx, int kind, const wchar_t* text1, const wchar_t* text2,
                           const wchar_t* text3, const wchar_t* text4, const wchar_t* text5,
                           int num1, int num2, int num3, int num4, uint8_t flag,
                           const wchar_t* text6, int* outCode, wchar_t* outText);
  static int LoginNotifyCallback(void* ctx, unsigned int state, int value1, int value2,
                                 const wchar_t* text, void* data, char** outText, int* outValue);
  using LoginHandler =
      std::function<int(CPelomarView&, int kind, const wchar_t* const* texts, const int* nums,
                        uint8_t flag, int* outCode, wchar_t* outText)>;
  using LoginNotifyHandler = std::function<int(CPelomarView&, unsigned state, int value1,
                                               int value2, const wchar_t* text, void* data)>;
  void SetLoginHandlers(LoginHandler login, LoginNotifyHandler notify);

  // --- What other parts read ---
  CPelomarEngine& Engine() { return *m_engine; }
  login_info_s* LoginInfo() const { return m_pLoginInfo; }
  app_run_setting_s* RunSetting() const { return m_pRunSetting; }
  // The user login; null before the start-up or without a host block.
  CPelomarLoginEngine* LoginEngine() const { return m_loginEngine.get(); }
  // The web-server pages and reports; null before the web login is set up.
  CWebPages* WebPages() const { return m_webPages.get(); }
  CWebReports* WebReports() const { return m_webReports.get(); }
  uint32_t ViewState() const { return m_viewState; }
  int InitialUpdateCount() const { return m_initialUpdates; }
  int TimerId(int index) const { return m_timerIds[index]; }
  const std::wstring& CredentialText() const { return m_credentialText; }
  const std::wstring& LoginNoticeText() const { return m_loginNotice; }
  const std::wstring& BrokerLoginHelpText() const { return m_brokerLoginHelp; }
  uint32_t LoginDialogFlags() const { return m_loginDialogFlags; }
  orv::ui::CMyReportCtrl* Grid(int id);
  wxNotebook* TabControl() const { return m_tabs; }
  CPelomarOrderWindow* OrderPanel() const { return m_orderPanel.get(); }
  // The order side panel's notice box shows the text (the web server's messages).
  void SetPanelNotice(const wchar_t* text) {
    if (m_orderPanel) m_orderPanel->SetNoticeText(text ? text : L"");
  }
  CPelomarChildView* CafeDataView() const { return m_cafeDataView.get(); }
  CPelomarCafeDialog* CafeDialog() const { return m_cafeDialog.get(); }
  CPelomarChildView* MonitoringView() const { return m_monitoringView.get(); }
  const SYSTEMTIME& QueryFrom() const { return m_queryFrom; }
  const SYSTEMTIME& QueryTo() const { return m_queryTo; }

  // --- Order history (OrderHistoryTab.cpp; user-interface thread) ---
  // Adds the row of one order to the "주문 내역" tab and counts it in the tab's caption;
  // null when the tab has no grid.
  CRurezOzadoResultRecord* AddOrderHistoryRow(const OrderHistoryRow_s& row);
  int OrderHistoryCount() const { return m_orderHistoryCount; }

  // --- Timers ---
  // Handles a timer id: 1 the trading tick, 2 the timing report, 3 the start-up layout (once),
  // 501 the logout (once). Answers false for an id it does not handle.
  bool OnTimer(int timerId);
  // Command 267: stops timers 1 and 2 when they run, else starts them.
  void OnToggleTradingTimers();
  // Starts the one-shot logout timer (the host's logged-out command).
  void StartLogoutTimer();

  // --- Messages and host commands (PelomarViewMessages.cpp) ---
  // Host commands: kind 1 is sent on as a window message; kind 2 codes 3 to 115 (see there).
  int64_t OnReceivedMsgFromManager(int kind, UINT code, WPARAM wParam, LPARAM lParam,
                                   void* data) override;
  // The view's own messages (WM_APP+3/4/6, WM_USER+0x1F5 to 0x1FC); false when not one.
  bool OnViewMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // The commands of the view handled here (printing, file open, screen saver, refresh, the
  // web pages); false when the command is not one of them.
  bool OnViewCommand(int commandId);
  // One WM_USER+0x1FB at a time: sets the redraw-pending flag and posts, unless set already.
  void PostGridRedraw();
  // Reloads the language texts (header menus, toolbar tooltips, child views).
  int RefreshUITextByLanguageId(int languageId) override;
  // The refresh hook of the refresh command and of a successful login; answers 0.
  int DoRefresh() { return 0; }
  // The toolbar's control of an id (0x285E); 1 when made, 0 when not listed or not made.
  int OnCreateControl(int id);
  // The popup bar of a command-bar id (0x2861) as a menu; null for other ids.
  wxMenu* OnCreateCommandBar(int id);
  // Section "Settings", key "STOCK_NotiPopupFlags" and the other toolbar handlers.
  bool OnToolbarControl(int id);
  // Fills the toolbar's drop-down lists from their option lists, selecting the current values
  // (the sell-ratio-per-step list is filled, then hidden).
  void FillOptionLists();
  // The value part of a toolbar combo box's selected entry; false without a selection.
  bool SelectedOptionValue(int id, int64_t* value) const;
  // The main context menu's popups (menu 2189): 0 to 16.
  wxMenu* ContextMenuPopup(int index);
  wxMenu* StockMenu();
  // The menu a right click on a holdings-grid column opens: the sell-ratio, stop-loss and
  // minimum-profit preset menus on their columns, the stock menu on the others.
  wxMenu* HoldingsColumnMenu(int item);
  CViewCommandBar* CommandBar() const { return m_commandBar; }
  int AllStockCount() const;

  // --- Stock grids (StockGrids.cpp) ---
  // Filters the all-stock rows (mode 0) or shows them all, and updates the footer row.
  MasterGridCounts_s FilterMasterGrid(int mode);
  // What the engine hands over (through the dispatcher, on the user-interface thread); the
  // view keeps the copies in its own rows and never reads the engine's records.
  // Rebuilds the all-stock grid from the master list (one row per stock), filters it and
  // captions its tab with the list's size. Answers the number of rows.
  int ShowMasterList(std::shared_ptr<const MasterListSnapshot_s> master);
  // The held rows' quote values, the totals row, and the price cells of the all-stock rows
  // whose stock has a new quote; answers the all-stock rows written.
  int ShowQuotes(const QuotesSnapshot_s& quotes);
  // The holdings rows of the own-stock grid and the account column's list after the account
  // worker reported changes. Answers rows added.
  int ShowHoldings(const HoldingsSnapshot_s& holdings);
  // Sums the shown holdings rows into the totals row; notes the time taken.
  void RefreshOwnGridTotals();
  // Empties the holdings rows and the all-stock rows (a logout, or the view's end).
  void ClearStockRows();
  CHoldingsGrid* HoldingsRows() const { return m_holdingsRows.get(); }
  // Fills the option lists of the stock grids' option columns (broker, kind, nation, market,
  // sell ratio, alarm kind), so their cells show labels instead of numbers.
  void FillGridOptionLists();
  MasterGridFilter_s& GridFilter() { return m_gridFilter; }
  // Answers a grid's notification (GridNotifications.cpp): whether a cell may be edited, a
  // changed value, an in-cell button, a right click.
  LRESULT OnGridNotify(orv::ui::ReportNotify& nm);
  LRESULT OnGridItemEditable(orv::ui::ReportNotify& nm);
  LRESULT OnGridValueChanged(orv::ui::ReportNotify& nm);
  LRESULT OnGridItemButtonClick(orv::ui::ReportNotify& nm);
  LRESULT OnGridRightClick(orv::ui::ReportNotify& nm);
  // The per-stock step mode: step width and split amount are set per holding.
  bool PerStockStepMode() const;
  // The stop-loss the down button proposes: `step` (signed) below the current stop-loss or
  // below a losing profit rate, whichever is lower, never below -100.
  static double StopLossAfterDownButton(double current, double profitRate, int step);
  int RightClickGrid() const { return m_rightClickGrid; }

  // --- Settings for all holdings (ViewBulkSettings.cpp) ---
  // Automatic trading on (state 1), off (0) or toggled (-1) for the qualifying holdings of a
  // grid; with ask the user confirms first. Scope 0 is the master switch (check box 3453),
  // scope 1 the second switch. Reports the outcome to the host.
  void SetAutoTradeAll(int gridId, int state, int ask, int scope);
  int AutoTradeSwitch(int scope) const { return scope == 1 ? m_autoTradeSecond : m_allStockWatch; }
  // The sell ratio of every holding whose ratio differs; with ask the user confirms first and
  // is told the outcome. Answers the declined answer, else the host notification's result.
  intptr_t SetSellRatioForAll(int ratio, int ask);
  // A take-profit (value above 0 or take-profit mode) or stop-loss preset for all (or only the
  // selected) holdings; automatic trading stops unless the amount is -100. Answers the count.
  int ApplyRatePresetToAll(double value, double amount, int takeProfitMode, int ask, int relative,
                           int selectedOnly, int ladder1, int ladder2);
  // The split amount and (kind 1) the option's step width for all holdings; mode below 0 keeps
  // the view's stop-loss option mode. Answers the number of holdings rows.
  int ApplyStopLossOptionToAll(int mode, int apply, int kind);
  // The stock-grid menu's take-profit, stop-loss and sell-ratio presets.
  void ApplyMinProfitPreset(int command, int scope);
  int PendingSave() const { return m_pendingSave; }

  // --- Layout (ViewLayout.cpp) ---
  void LayoutChildWindows();
  void ShowHostPanes();
  void RefreshHeaderMenuTexts(int languageId);
  void RefreshToolbarTooltips(int languageId);
  ViewLayoutState_s& LayoutState() { return m_layout; }
  wxCheckBox* CheckBox(int id) const;
  wxButton* ProfitRatesButton() const { return m_profitRatesButton; }
  // The width of the tab control's tabs from its left edge (0 before they are shown).
  int TabStripWidth() const;
  // Check-box text colours: 3453 by the all-stock watch, 3454 by sell-one-by-one.
  void UpdateCheckColours();
  // The splitter drag: a press in the splitter bar starts it, the release ends it at x.
  bool BeginSplitterDrag(int x, int y);
  void EndSplitterDrag(int x);

  // --- Web engine (WebEngineBridge.cpp) ---
  IWebEngine& WebEngine();
  // The web login the page commands use; the view makes its page and menu handlers with it.
  void AttachWebLogin(CWebLogin* web);
  CStockGridMenu& GridMenu();
  ViewHooks_s& Hooks() { return m_hooks; }
  // The company and branch numbers the host refreshes the view with.
  void SetCurBranchIdx(int company, int branch);
  int CurBranch() const { return m_curBranch; }
  // The host's scale factor (1.0 at 96 dpi).
  double Scale() const;

  // --- View commands and settings (ViewCommands.cpp) ---
  // What a command's update handler shows: enabled, check mark (-1: none) and, when not
  // empty, the item's text.
  struct CommandUi_s {
    bool enable = true;
    int check = -1;
    std::wstring text;
  };
  CommandUi_s CommandState(int id) const;
  // The view's commands (menu, toolbar buttons, check boxes); false when not one of them.
  bool OnCommand(int id);
  // The command menu of the toolbar's menu button, with every item's update state applied.
  std::unique_ptr<wxMenu> BuildCommandMenu() const;
  // Applies the update states to the items of a menu (and its submenus).
  void UpdateCommandMenu(wxMenu& menu) const;
  // The "execute" of a toolbar combo box or edit box; false when the id is not handled here.
  bool OnToolbarExecute(int id);
  // The value of a toolbar combo's selected item: its option-list value when the combo was
  // filled from a list, else the number its text begins with. False without a value.
  bool ToolbarComboValue(int id, int64_t* value) const;
  // Stock search over the all-stock grid by the search box (code, name, or "code:price").
  void SearchStocks();
  void ResetStockSearch();
  // The split-order base amount in units of 10,000 won (combo 697).
  void SetSplitOrderBase(int64_t value);
  // The per-stock step mode toggle; the column switches (3458, 3455) and their check boxes.
  void ToggleSellOneByOne();
  void SetColumnSwitch(int id, bool on);
  void ToggleAutoLogin();
  void ToggleLoginWindowAtStart();
  void ToggleNewBuyAutoSell();
  void StartCodeUpdate();
  // A date picker's change (bit 0 of the date-change state) and its close-up.
  void OnDateChanged(int id);
  void OnDateCloseUp(int id);
  // Shows the trading items while logged in, the price-search boxes by their switch.
  void UpdateUiModeVisibility(CViewCommandBar* bar, bool refresh);
  void UpdateColumnVisibility();
  void LoadUiSettings();
  void SaveUiSettings();
  // Copies the trading log to "<file>.bak"; 1 when copied.
  int BackupTradingLog(std::wstring* outPath);

  // --- Signal modules, price simulation and the log package (ViewTools.cpp) ---
  // The module list of the program's "PlugIn" folder (see CSignalModules); answers 0.
  int ScanSignalModules(std::wstring* outList, std::wstring* outFirst);
  // Selects and loads a module by name (the first one found when its file is missing) and
  // keeps the name in "Settings" for the next start.
  void SelectSignalModule(const wchar_t* name);
  bool SelectSignalModuleByIndex(int index);
  bool LoadSignalModule(const wchar_t* path);
  void UnloadSignalModule();
  // The start-up's selection: the module named in "Settings" (empty at first).
  void SelectStoredSignalModule();
  // The module's trade signal for the monitoring view; -1 without a module.
  int CalcTradeSignal(int kind, int flag, const double (&params)[kSignalParamCount],
                      double* outResult);
  // Commands 4511 (mode 1) and 687 (mode 2): starts a price simulation after the file choice
  // and the question, or stops the one that runs. Answers 0.
  int StartPriceSimulation(int mode);
  // Commands 1324 (logs only) and 1325 (with a screen picture): packs the recent logs, asks,
  // uploads to the web server and reports. Answers the result code (0 success or nothing
  // sent, 2 no window, 3 picture not loaded, 4 picture not saved, 5 no log, else the
  // upload's error).
  int CaptureAndShareLogs(int kind, int value, int withScreen);
  // The file chosen for a simulation ("" when cancelled): the hook's answer when set, else a
  // file-open dialog.
  std::wstring ChooseSimulationFile();
  // The recommended profit-rate dialog: made once (hidden unless show); 1 when it exists.
  int SetupProfitRateDialog(bool show);
  void ShowProfitRateDialog();
  CProfitRateDialog* ProfitRateDialog() const { return m_profitRatesDialog; }
  CPelomarStockBoard* StockBoard() const { return m_stockBoard.get(); }
  const std::wstring& RateTableText() const { return m_autoStopLossRates; }
  void SetRateTableText(const std::wstring& text) { m_autoStopLossRates = text; }
  bool LoggedIn() const;
  const std::wstring& SearchText() const { return m_searchText; }
  double PriceLow() const { return m_priceLow; }
  double PriceHigh() const { return m_priceHigh; }
  int SplitOrderBaseWon() const { return m_splitOrderWon; }
  int AutoLogin() const { return (m_loginFlags & LOGIN_FLAG_AUTO) ? 1 : 0; }
  int LoginWindowAtStart() const { return m_loginWindowAtStart; }
  int PriceSearchBox() const { return m_priceSearchBox; }
  int DateChangeState() const { return m_dateChangeState; }
  int PageValue() const { return m_pageValue; }

  // --- Services for dialogs (ViewServices.cpp) ---
  void SetAutoBuy(int on);
  int AutoBuy() const { return m_autoBuy; }
  // -1 keeps a value; bit 0x80 of the login flags mirrors auto-login, 0x800 save-password.
  void SetAccountLoginFlags(int autoLogin, int savePassword);
  uint32_t LoginFlags() const { return m_loginFlags; }
  void SetAutoTradeOn(uint8_t on) { m_autoTradeOn = on; }
  uint8_t AutoTradeOn() const { return m_autoTradeOn; }
  // Makes (market, code) the current stock (empty code: none); answers what it rebuilt.
  int SetCurStock(uint8_t market, const std::wstring& code);
  const std::wstring& CurStockCode() const { return m_curStockCode; }
  bool CurStockChanged() const { return m_curStockChanged; }
  // Keeps the code and arms the 100 ms selection timer.
  void RequestStockSelect(int value, const wchar_t* code, int kind);
  const std::wstring& PendingStockCode() const { return m_pendingStockCode; }
  void RequestAiAnalysis(uint8_t market, const std::wstring& code);
  // Sets the flag of an alert-sound entry; null for a negative or unknown index.
  AlertSound_s* QueueAlertSound(int index, uint8_t flag);
  int ResetOrderPopupFlag() { m_orderPopupFlag = 0; return 0; }
  void ShowOrderPopup(bool show, bool centre);
  void ShowCafeDlg(bool show, int flag, int tab);
  void ShowCafeRecommendDlg(bool show, uint8_t market, const std::wstring& code, int kind,
                            int tab);
  void ShowStockMonDlg(bool show);
  // The account-password dialog (shown, or hidden with show false).
  void ShowAccountDialog(bool show);
  // Wakes the account worker: it queries deposits and balances of all accounts at once.
  void RequestAccountRefresh();
  // The accounts' summary after an account pass: the side panel and the account-password
  // dialog's account list follow it.
  void ShowAccountSummary(std::shared_ptr<const AccountSummarySnapshot_s> summary);
  std::shared_ptr<const AccountSummarySnapshot_s> AccountSummary() const { return m_accountSummary; }
  // Account passwords (the account-password dialog): an empty password or an unknown account
  // gives 0; the login flags follow a stored one.
  int SetAccountPassword(const std::wstring& account, const std::wstring& password,
                         const std::wstring& tradePassword, int value, int autoLogin,
                         int savePassword);
  int SetPasswordForAllAccounts(const std::wstring& password, const std::wstring& tradePassword,
                                int value);
  // The account-password dialog's saved flags: nothing is done with them.
  int OnAccountLoginFlagsSaved(int autoLogin, int savePassword) { return 0; }
  // The login's option flags (0x200 the mock-trading server, 0x400 the product's own server).
  uint32_t ServerFlags() const;
  // The signed-in user's id; empty while nobody is signed in.
  std::wstring SignedInUserId() const;
  CPelomarAccountDialog* AccountDialog() const { return m_accountDialog.get(); }
  void ShowStockCfgDlg(bool show, bool reload);
  void ShowStockChartDlg(uint8_t market, const std::wstring& code);
  // The step stop-loss and take-profit dialog for the held holding of `key` (a copy of it
  // from the engine); an error box when the holding is no longer held.
  void ShowStairWatchDlg(const HoldingKey_s& key);
  // The dialog's rules applied by the engine to the held holding of `key`; its grid row shows
  // the new levels with automatic trading off. False when the holding is no longer held.
  bool ApplyStairRules(const HoldingKey_s& key, const AutoStopLossRates_s& rates);
  // Switches automatic trading of the held holding of `key` on; false when it is not held.
  bool StartHoldingAutoTrade(const HoldingKey_s& key);
  void ShowWaitingPopup(bool show, const wchar_t* message, const wchar_t* caption,
                        DWORD timeoutMs);
  // Starts the code-update thread, or stops it (up to 3000 ms); with ask the user confirms.
  // Answers 1 when it started, 2 when stopped, 0 when nothing changed.
  int StartCodeUpdateThread(bool ask);
  void ApplyStockOptions(bool refreshCombo);

  // --- Orders of the order dialogs (ViewServices.cpp; user-interface thread) ---
  // A stock as the dialogs see it: a copy taken under the view lock.
  struct OrderStock_s {
    bool found = false;
    uint8_t market = 0;
    std::wstring code;
    std::wstring name;
    double price = 0;
  };
  // The stock of a code in the market, else the stock whose name is or starts with the text.
  OrderStock_s FindOrderStock(int market, const std::wstring& text);
  // The stock's current price (0 when the market lists no such code).
  double StockPriceOf(int market, const std::wstring& code);
  // A copy of a stock for the recommendation composer: the stock of a code in the market (a
  // case-blind scan of the market too), else the stock of that name; found == false when none.
  RecStock_s FindRecommendStock(int market, const std::wstring& text);
  // The labels of the accounts, in the account map's order.
  std::vector<std::wstring> AccountLabels();
  bool HasAccount(const std::wstring& label);
  // Sends an order for the stock from the order worker; `done` gets the reply on this thread.
  // -1 without a stock (or while the workers do not run): nothing is sent, `done` not called.
  int PlaceOrderForStock(const OrderStock_s& stock, UserOrder_s order,
                         std::function<void(const UserOrderReply_s&)> done);
  // Finds the stock by code (the order's market first, then any market) and sends the order
  // for it; false when no market lists the code (nothing is sent).
  bool PlaceOrderByCode(const std::wstring& code, UserOrder_s order,
                        std::function<void(const UserOrderReply_s&)> done);
  // Opens the order dialog for the stock of (market, code) with the side, quantity and price;
  // without such a stock tells the user to choose one.
  void OpenOrderPopup(int side, uint8_t market, const wchar_t* code, double quantity,
                      double price);
  // Presets the side panel's order form for the stock of (market, code) with the side,
  // quantity and price (the stock-grid menu's buy and sell); answers the panel's result. While
  // the panel's pane is not on the screen the order dialog opens for the stock instead.
  int PresetOrderPanel(int side, uint8_t market, const wchar_t* code, double quantity,
                       double price);
  bool PriceSimulationRunning() const;
  void StopPriceSimulation();
  // The amount of one part of a split buy in won; 0: none.
  double SplitBuyAmountWon() const;
  // The setting "D1. 신용(Loan) 매수 허용": whether the order forms may place credit buys.
  bool CreditBuyAllowed() const;
  int AgencyIndex() const { return m_agencyIndex; }
  // The portal page and the members' comment page of a stock (empty when not available).
  void StockPageUrls(int market, const std::wstring& code, std::wstring* portal,
                     std::wstring* comments);
  // The order dialog's help page in the host ("도움말").
  void OpenOrderHelpPage();
  // The AI analyses the user has left (0 before a login).
  int AiAnalysesLeft() const;

  // Interface switches kept in "Settings".
  int m_showProfitStepCol = 0;
  int m_simpleUiMode = 0;
  int m_allStockWatch = 0;
  int m_notiPopupFlags = 7;
  int m_sellOneByOne = 0;

  int m_priceSearchBox = 0;
  int m_loginWindowAtStart = 0;
  int m_autoBuy = 0;
  uint8_t m_autoTradeOn = 0;
  int m_orderPopupFlag = 0;
  double m_priceLow = 0;
  double m_priceHigh = 0;
  std::wstring m_searchText;
  int m_splitOrderBase = 0;  // units of 10,000 won
  int m_splitOrderWon = 0;
  int m_splitInterval = 0;   // seconds
  int m_splitIntervalMs = 0;
  int m_dateChangeState = 0;
  int m_pageValue = 0;
  std::wstring m_curStockCode;
  uint8_t m_curStockMarket = 0;
  bool m_curStockChanged = false;
  std::wstring m_pendingStockCode;
  std::unique_ptr<wxTimer> m_selectTimer;

 private:
  class EngineWindow;
  class MessageSink;
  class WebEngineBridge;

  // Start-up pieces, in the order the initial update runs them.
  void SetQueryPeriod();
  void PrepareRunSettings();
  void PrepareFolders();
  void OpenDailyLogs();
  void LoadTradingOptions();
  void TakeContainers();
  void CreateCafeDataView();
  void CreateTabsAndGrids();
  void CreateMonitoringView();
  void CreateChildDialogs();
  void PrepareLoginTexts();
  void CreateCheckBoxes();
  void CreateStairWatchDialog();
  void StartTimers();
  void StartTimer(int slot, int id, int ms);
  void KillTimer(int slot);
  void LayOut();
  bool CreateChildView(CPelomarChildView& view, int container, const wchar_t* className,
                       const RECT& rect, UINT id);
  void OnTimerEvent(wxTimerEvent& event);
  // Frees what the view holds besides the engine's data; a second run does nothing.
  void ReleaseViewData();

  std::unique_ptr<EngineWindow> m_engineWindow;
  std::unique_ptr<CPelomarEngine> m_engine;
  std::unique_ptr<MessageSink> m_messageSink;

  uint32_t m_viewState = 0;
  int m_initialUpdates = 0;
  bool m_destroyHandled = false;
  bool m_released = false;
  bool m_fillingAllStock = false;  // ShowMasterList is running (it is not re-entered)
  // The all-stock rows by stock code (the grid owns them).
  std::unordered_map<std::wstring, CStockRecord*> m_allStockRows;
  int m_moduleIndex = 0;
  int m_controlId = 0;
  int m_windowId = 0;
  int m_languageId = 0;
  int m_agencyIndex = 0;
  int m_loginServerIndex = 0;
  int m_printSelector = 0;
  uint32_t m_loginFlags = 0;
  uint32_t m_loginDialogFlags = LOGIN_DIALOG_FLAGS;
  SYSTEMTIME m_queryFrom;
  SYSTEMTIME m_queryTo;
  std::wstring m_brokerLoginHelp;
  std::wstring m_loginNotice;
  std::wstring m_credentialText;
  std::wstring m_autoStopLossRates;
  std::wstring m_myGridLayout;
  std::array<wxWindow*, 3> m_containers{};
  std::array<bool, 3> m_containerGiven{};

  wxNotebook* m_tabs = nullptr;
  // The tab captions the last layout saw; a change lays the view out again.
  std::vector<wxString> m_tabCaptionsAtLayout;
  int m_tabStripAtLayout = 0;  // the tab strip's width the last layout saw (0: not shown yet)
  std::vector<wxString> TabCaptions() const;
  std::unique_ptr<orv::ui::CMyReportCtrl> m_allStockGrid;
  std::unique_ptr<orv::ui::CMyReportCtrl> m_myStockGrid;
  std::unique_ptr<orv::ui::CMyReportCtrl> m_orderHistoryGrid;
  std::unique_ptr<wxFont> m_checkFont;
  std::array<wxCheckBox*, 4> m_checks{};
  wxButton* m_profitRatesButton = nullptr;

  std::unique_ptr<CPelomarChildView> m_cafeDataView;
  std::unique_ptr<CPelomarChildView> m_monitoringView;
  std::unique_ptr<CPelomarOrderWindow> m_orderPanel;
  std::unique_ptr<CPelomarOrderWindow> m_orderPopup;
  std::unique_ptr<CPelomarAccountDialog> m_accountDialog;
  std::shared_ptr<const AccountSummarySnapshot_s> m_accountSummary;
  std::unique_ptr<CPelomarSettingsDialog> m_settingsDialog;
  std::unique_ptr<CPelomarChartDialog> m_chartDialog;
  std::unique_ptr<CPelomarChildDialog> m_tickListDialog;
  std::unique_ptr<CPelomarCafeDialog> m_cafeDialog;
  std::unique_ptr<CPelomarStockBoard> m_stockBoard;
  std::unique_ptr<CPelomarStairDialog> m_stairWatchDialog;

  std::array<std::unique_ptr<wxTimer>, 3> m_timers;
  std::array<int, 3> m_timerIds{};  // ids of timers 3, 1 and 2
  int m_timersOn = 1;
  std::unique_ptr<wxTimer> m_logoutTimer;
  int m_orderHistoryCount = 0;

  LoginHandler m_loginHandler;
  LoginNotifyHandler m_loginNotifyHandler;

  // Messages, grids, layout and the web engine (the files named above).
  void InitWindowParts();
  HWND ViewHandle() const;
  void CreateCommandBar();
  void BuildContextMenus();
  void UploadCafeClients(int code);
  void ShowFetchingWindow(bool show);
  void RefreshAllStockTab();
  // "전종목 시세 (N 개)" with the master list's size.
  void SetAllStockTabCaption();
  void StopForHost();
  void OnHostRefreshMsg(WPARAM command, LPARAM lParam);
  void PrintWithTarget(int command);
  void OnPaintView(wxPaintEvent& event);
  void OnMouseDown(wxMouseEvent& event);
  void OnMouseUp(wxMouseEvent& event);
  void OnSizeView(wxSizeEvent& event);
  void OnDropFilesView(wxDropFilesEvent& event);
  void OnCheckBoxClicked(wxCommandEvent& event);
  // Shows the master automatic-trading switch on its check box, coloured by its state.
  void ShowAutoTradeCheck();
  // A grid edit's outcome in its row: the cell's value and colour, the holding's values.
  void ShowGridEdit(CRurezOzadoResultRecord& row, int item, const CPelomarEngine::GridEdit_s& edit);
  // A stock's comment shown in its holdings rows and / or its all-stock row.
  void ShowStockComment(const std::wstring& code, const std::wstring& comment, bool inHoldings,
                        bool inAllStocks);
  int m_rightClickGrid = 0;
  int m_pendingSave = 0;          // 2: the holdings' settings are due for saving
  int m_stopLossOptionMode = 0;   // 0: one setting for all holdings
  void NotePendingSaves();
  // The outcome of a change to many holdings: "수정된 종목이 없습니다." (ERROR) or the given
  // text (INFORMATION, with the saves noted); shown only with ask. Answers the text.
  std::string ReportBulkOutcome(int count, const std::string& changedText, int ask);
  // The shown rows of held holdings of a grid (only the selected ones when asked).
  std::vector<CRurezOzadoResultRecord*> HeldRows(orv::ui::CMyReportCtrl& grid,
                                                 bool selectedOnly) const;

  ViewLayoutState_s m_layout;
  MasterGridFilter_s m_gridFilter;
  ViewHooks_s m_hooks;
  CViewCommandBar* m_commandBar = nullptr;
  std::unique_ptr<wxMenu> m_contextMenu;  // menu 2189, its popups in order
  std::unique_ptr<wxMenu> m_stockMenu;    // menu 2192
  CProfitRateDialog* m_profitRatesDialog = nullptr;  // a child window of the view
  std::unique_ptr<wxMenu> m_sellRatioMenu;  // "매도 비중"
  std::unique_ptr<wxMenu> m_stopLossMenu;   // "손절 메뉴"
  std::unique_ptr<wxMenu> m_minProfitMenu;  // "최저이익"
  // The option lists the toolbar's combo boxes were filled from, by control id.
  std::map<int, orv::ui::COptionList> m_toolbarOptions;
  std::unique_ptr<WebEngineBridge> m_webBridge;
  std::unique_ptr<CWebPages> m_webPages;
  // The order reports of the sell passes (the engine's UploadMoneyLog hook).
  std::unique_ptr<CWebReports> m_webReports;
  // The holdings rows of the own-stock grid, made at the first account refresh.
  std::unique_ptr<CHoldingsGrid> m_holdingsRows;
  // The account labels the grids' account columns show.
  std::vector<std::pair<uint32_t, std::wstring>> m_shownAccounts;
  int m_curCompany = 0;
  int m_curBranch = 0;
  std::unique_ptr<CStockGridMenu> m_gridMenu;
  bool m_splitterDragging = false;
  int m_dragStartX = 0;
  int m_nationSwitchOn = 0;  // the configuration's nation-switch option
  int m_overseasAutoSwitch = 0;
  int m_nationSelection = 1;
  int m_newStockStopLoss = 0;
  int m_autoTradeSecond = 0;   // the second automatic-trading switch (scope 1)
  int m_periodMark = 0;        // bit 1: the query period changed
  int m_pageEntry = 0;         // the page combo's entry plus one
  double m_ownTotalsMs = 0;
  OwnGridTotals_s m_ownTotals;
  // The user login (web login and its engine side); made at start-up, gone first.
  std::unique_ptr<CPelomarLoginEngine> m_loginEngine;
  friend class CPelomarLoginEngine;
};
