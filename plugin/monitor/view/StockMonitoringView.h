#pragma once
// CStockMonitoringView: the trading view's real-time monitoring view (control id 2529), an
// embedded child view in the container the host gives for it. Two toolbars (mode, automatic-
// buy switch, settings, signal module, re-register, clear, progress; the two money limits), a
// strip with the controls the view binds (mode buttons, the real-time log and option checks,
// the condition combo, the elapsed time and the summary line), the status line and the grid of
// found stocks. It owns its worker (CMonitoringThread) and the daily real-time search log.
// Changes to the trading configuration are made under the engine's view lock and only mark
// it changed; the view never reads the engine's stock records.

#include <wx/panel.h>
#include <wx/weakref.h>

#include <map>
#include <memory>
#include <string>

#include "platform/ui/model/OptionList.h"
#include "platform/ui/model/ReportCtrl.h"
#include "plugin/monitor/core/MonitorViewLogic.h"
#include "plugin/monitor/core/ConditionSearch.h"
#include "plugin/monitor/core/MarketScan.h"
#include "plugin/monitor/core/MonitoringThread.h"
#include "plugin/monitor/core/RealTimeSearchLog.h"
#include "plugin/view/ChildWindows.h"

class wxChoice;
class wxComboBox;
class wxToggleButton;
class wxCheckBox;
class wxRadioButton;
class wxStaticText;
class wxTimer;
class wxWindow;
namespace orv::ui {
class MessageTarget;
class ReportGridWindow;
struct ReportNotify;
}  // namespace orv::ui

// Control ids of the view.
constexpr int IDC_MONITOR_GRID = 2530;
constexpr int IDC_MONITOR_PROGRESS = 2531;
constexpr int IDC_MONITOR_MODULE_COMBO = 2532;
constexpr int IDC_MONITOR_AUTO_BUY = 2533;
constexpr int IDC_MONITOR_DAILY_LIMIT = 2534;
constexpr int IDC_MONITOR_STOCK_LIMIT = 2535;
constexpr int IDC_MONITOR_MODE_COMBO = 2536;
constexpr int IDC_MONITOR_MODE_CONDITION = 2537;
constexpr int IDC_MONITOR_MODE_CAFE = 2538;
constexpr int IDC_MONITOR_WRITE_LOG = 2539;
constexpr int IDC_MONITOR_CONDITION_COMBO = 2197;
constexpr int IDC_MONITOR_CLEAR = 3210;
constexpr int IDC_MONITOR_SETTINGS = 3212;
constexpr int IDC_MONITOR_SUMMARY = 3213;
constexpr int IDC_MONITOR_OPTION = 3214;
constexpr int IDC_MONITOR_CONDITION_LABEL = 3215;
constexpr int IDC_MONITOR_ELAPSED = 3217;
constexpr int IDC_MONITOR_STATUS = 3218;
constexpr int IDC_MONITOR_HIDDEN = 3219;
constexpr int IDC_MONITOR_REREGISTER = 3220;
constexpr int IDC_MONITOR_CAPTION = 3221;
constexpr int IDR_MONITOR_MAIN_TOOLBAR = 3456;
constexpr int IDR_MONITOR_LIMIT_TOOLBAR = 3457;

// The view's timers.
constexpr int MONITOR_TIMER_REFRESH = 112;  // 1000 ms, after re-registering

class CStockMonitoringView : public CPelomarChildView {
 public:
  // `view` is the owner trading view; `id` the id its text is made from (below 1: 9999).
  explicit CStockMonitoringView(CPelomarView& view, int id = 9999);
  // DestroyWindow: settings written, the worker stopped and joined, then the maps and the log.
  ~CStockMonitoringView() override;

  bool CreateView(const wchar_t* className, DWORD style, const RECT& rect, wxWindow* parent,
                  UINT id) override;
  wxWindow* GetWindow() override;

  // --- State the window shows (for the program's own parts and their tests) ---
  int Mode() const { return m_mode; }
  bool ScanRunning() const { return m_thread && m_thread->scanRunning.load() != 0; }
  int32_t PerStockLimitWon() const { return m_perStockLimitWon; }
  int32_t DailyLimitWon() const { return m_dailyLimitWon; }
  const std::wstring& IdText() const { return m_idText; }
  const std::wstring& Summary() const { return m_summary; }
  int WriteLogFlag() const { return m_writeLog; }
  CRealTimeSearchLog& RealTimeLog() { return m_log; }
  CMonitoringThread* Worker() const { return m_thread.get(); }
  orv::ui::CMyReportCtrl& Grid() { return m_grid; }
  wxPanel* Panel() const { return m_panel; }

  // --- Commands (the handlers of the view's controls) ---
  void OnToggleAutoBuy();
  void OnReRegisterConditions();
  void OnClearReceivedResults();
  void OnToggleRealTimeLog();
  void OnShowAutoBuySettings();
  void OnOptionCheck();
  void OnModeButton(int id);
  void OnModeCombo();
  void OnModuleCombo();
  void OnLimitCombo(int id);
  void OnConditionCombo();
  bool OnTimer(int id);
  // The grid's notifications: right click, watch-list check, the name cell's button.
  LRESULT OnGridNotify(orv::ui::ReportNotify& nm);

  // Recomposes the summary line and shows it.
  void UpdateSummary();

  // The scan's hand-overs, on the window's thread: the status line and the progress control,
  // and the grid made anew from a finished pass (rows detached from the received stocks
  // before the grid empties).
  void ShowScanProgress(const ScanProgress_s& progress);
  void ShowScanPass(const ScanPassResult_s& pass);
  // The condition-search rows handed over (entries add or update a row, exits remove it or
  // show their exit values).
  void ApplyConditionRows(const std::vector<ConditionRowAction_s>& actions);
  // The broker's list of condition formulas ("index^name;..."), from any thread: the names
  // become the choices of the condition column (item 8) and of the condition combo on the
  // window's thread; with reset the old ones go first.
  void LoadConditionList(const std::wstring& list, bool reset);
  // Starts the worker (start) or stops and joins it; with ask the user confirms first.
  void StartBuyMonitoring(bool start, bool ask);
  // The broker's condition lists, events and results are handed here.
  CConditionSearch* Conditions() const { return m_conditions.get(); }
  std::wstring StatusText() const;
  std::wstring ElapsedText() const;

 private:
  void OnInitialUpdate();
  void BuildToolbars();
  void BuildForm();
  void FillCombos();
  void LayOut();
  // Selects the limit combos' values of the configuration and sets the two checks from it.
  void OnShown();
  void RecomputeLimits();
  // Empties the condition maps and the received stocks, detaches and drops every row.
  void ClearReceived();
  // The received stocks forget their rows (before the grid frees them); the grid is dirty.
  void DetachAllRows();
  // The status line: "%d:%s[%s]" (stocks scanned by the last pass, name, code).
  void ShowStockStatus(const std::wstring& code, const std::wstring& name);
  // Takes the condition column's edit options and sets its flags.
  void BindConditionColumn();
  void ShowConditionList(const ConditionList_s& loaded);
  void SetAutoBuyCheck(bool on);
  void ShowError(const std::wstring& text);
  bool AskYesNo(const std::wstring& text);
  int UserIndex() const;
  bool SignedIn() const;
  bool AutoTradeAllowed() const;
  bool HasBrokerAgent() const;
  void DestroyView();

  CPelomarView& m_view;
  std::wstring m_idText;
  wxPanel* m_panel = nullptr;
  // Cleared when the window goes first (with its container).
  wxWeakRef<wxPanel> m_panelRef;
  std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
  wxPanel* m_mainBar = nullptr;
  wxPanel* m_limitBar = nullptr;
  wxPanel* m_form = nullptr;
  wxChoice* m_modeCombo = nullptr;
  wxChoice* m_moduleCombo = nullptr;
  wxChoice* m_stockLimitCombo = nullptr;
  wxChoice* m_dailyLimitCombo = nullptr;
  wxToggleButton* m_autoBuy = nullptr;
  wxWindow* m_progress = nullptr;
  wxCheckBox* m_writeLogCheck = nullptr;
  wxCheckBox* m_optionCheck = nullptr;
  wxChoice* m_conditionCombo = nullptr;
  wxStaticText* m_elapsed = nullptr;
  wxStaticText* m_summaryLabel = nullptr;
  wxStaticText* m_status = nullptr;
  orv::ui::ReportGridWindow* m_gridWindow = nullptr;
  orv::ui::CMyReportCtrl m_grid;
  std::unique_ptr<wxTimer> m_refreshTimer;
  std::unique_ptr<orv::ui::MessageTarget> m_sink;
  std::map<int, orv::ui::COptionList> m_options;

  int m_mode = kMonitorModeMarketScan;
  int m_modeChanged = 1;
  int m_writeLog = 0;
  int m_cleared = 0;
  int m_resultCount = 0;
  int32_t m_perStockLimitWon = 0;
  int32_t m_dailyLimitWon = 0;
  int m_lastClickedGrid = 0;
  int m_lastCondition = -1;
  std::wstring m_summary;
  CRefreshGate m_gate;

  // The maps and the received stocks' state live in m_conditions; the window keeps only the
  // codes of the received stocks that have a row.
  // The received stocks' rows while they are in the grid (the grid owns them): every path that
  // frees rows detaches them here first.
  std::map<std::wstring, orv::ui::CMyReportRecordBase*> m_received;
  std::shared_ptr<CConditionRowQueue> m_rowQueue = std::make_shared<CConditionRowQueue>();
  std::shared_ptr<CConditionListQueue> m_conditionLists = std::make_shared<CConditionListQueue>();
  orv::ui::CReportEditOptions* m_conditionColumn = nullptr;
  int m_lastScanned = 0;
  std::unique_ptr<CConditionSearch> m_conditions;

  CRealTimeSearchLog m_log;
  std::wstring m_lastProgress;
  std::shared_ptr<CScanMailbox> m_mailbox = std::make_shared<CScanMailbox>();
  std::unique_ptr<CMarketScan> m_scan;
  std::unique_ptr<CMonitoringThread> m_thread;
  bool m_destroyed = false;
};

// Installs the view's maker in the trading view's child makers (the plug-in's start-up).
void InstallMonitoringViewMaker(PelomarChildMakers& makers);
