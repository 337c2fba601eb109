#pragma once
// The trading view's engine: every piece of data the view keeps while it runs (stock maps and
// lists, holdings, order queue, accounts, agents, the trading configuration), the view lock,
// the stop event and the ten work events, the ten workers, the flags they share, and the daily
// logs. It knows no toolkit: it reaches the window side only through IEngineWindow, and its
// times come from the program's one clock (platform/win/Clock.h).

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/win/CriticalSection.h"
#include "platform/win/Event.h"
#include "platform/win/Thread.h"
#include "plugin/view/engine/DailyLogs.h"
#include "plugin/view/engine/EngineWindow.h"
#include "plugin/view/engine/MarketSession.h"
#include "plugin/view/engine/PriceLog.h"
#include "plugin/view/engine/SignalModules.h"
#include "plugin/view/engine/StockLists.h"
#include "plugin/view/engine/TradeOrders.h"
#include "shared/StockOption.h"
#include "shared/StockRecords.h"

struct sqlite3;
class CStockAgentBase;
class CHoldingsSyncWorker;
class COrderSender;
class CWebSocketQuoteThread;
struct KiwoomConditionSink_s;
class CCafeService;
struct login_info_s;
struct app_run_setting_s;

// The ten workers, in creation order; each waits on its own work event and the stop event.
enum class EngineWorker : int {
  kAccount = 0,     // AccountThreadProc: accounts and balances
  kQuote = 1,       // QuoteThreadProc: domestic or overseas quotes
  kAutoBuy = 2,     // AutoBuyThreadProc: automatic buying
  kSell = 3,        // SellThreadProc: the sell pass
  kMasterCode = 4,  // MasterCodeThreadProc: master codes
  kSimulation = 5,  // SimulationThreadProc: price simulation
  kChart = 6,       // ChartThreadProc: held-stock charts
  kCafeList = 7,    // CafeListThreadProc: cafe lists
  kAi = 8,          // AiThreadProc: AI analysis
  kCoinQuote = 9,   // CoinQuoteThreadProc: coin quotes
};
constexpr int kEngineWorkerCount = 10;

// Agent pointers kept by role; none owned, all point into the agent map.
struct AgentRoles_s {
  CStockAgentBase* primary = nullptr;       // set by the user login
  CStockAgentBase* marketData = nullptr;    // set by the user login
  CStockAgentBase* currentLogin = nullptr;  // the one the last market switch logged in
  CStockAgentBase* defaultDomestic = nullptr;
  CStockAgentBase* data = nullptr;
  CStockAgentBase* overseas = nullptr;
  CStockAgentBase* firstCoin = nullptr;      // first logged-in coin agent
  CStockAgentBase* firstOverseas = nullptr;  // first logged-in overseas agent
};

// What the trading tick keeps between ticks (user-interface thread only).
struct TradingTimerState_s {
  SessionBounds_s bounds;          // unshifted; the domestic delay moves them
  int domesticDelay = 0;           // HHMM, "kor_stk_delay"
  int overseasDelay = -100;        // HHMM, "usa_stk_delay"
  uint8_t overseasAutoSwitch = 0;  // set by the user login
  int shownNation = 1;             // 1 domestic, 2 United States, 3 Europe
  int reportedNation = 0;          // last sent to the host's market pane
  int tickGuard = 0;
  int viewUserIndex = 0;  // the view's own user index, set by the user login
  DWORD sinceAccountQuery = 0;
  DWORD sinceCafeListRequest = 0;
  int64_t smallestTokenTime = 0;  // ms before the first access token expires
  int64_t shownSessionSeconds = -1;
  std::wstring sessionFormat;
  std::wstring sessionText;
  std::wstring statusText;  // the timing report
};

// One alert sound of the view's sound table.
struct AlertSound_s {
  std::wstring path;
  uint8_t queued = 0;  // set by QueueAlertSound, cleared when played
};

// The automatic stop-loss rate table, read from its text ("name=a,b,c[,comment];...").
struct AutoStopLossRates_s {
  // Profit bands: below 5 %, from 5, 15, 30 and 50 %.
  static constexpr int kBands = 5;
  // Band 0: the minimum take-profit (at least 1.0); the others: the correction added to the
  // profit rate (negative, floored at -4, -8, -15 and -15).
  double value[kBands]{};
  // The first-band correction switch of each band.
  bool firstBand[kBands]{};
  // The step width of each band (at least 1.0).
  double stepWidth[kBands]{};
  // Stop-loss lines of domestic, overseas and coin holdings (negative; -100: none).
  double stopLine[3]{};
  // The band of a profit rate.
  static int BandOf(double profitRate);
};
// Missing rows count as 0 (then floored as above).
AutoStopLossRates_s ParseAutoStopLossRates(const std::wstring& text);
// The table in force: the stored text, or the default table when the stored one is empty or
// has no coin stop-loss line.
std::wstring AutoStopLossRatesInForce(const std::wstring& stored);

class CPelomarEngine {
 public:
  // Trading-hour bounds (HHMM), in this order.
  static constexpr int kTradingHourCount = 7;
  static constexpr int kDefaultTradingHours[kTradingHourCount] = {800,  1531, 850, 2000,
                                                                  2330, 2400, 600};
  // How long StopWorkerThreads waits for the workers together.
  static constexpr DWORD kStopWaitMs = 5000;

  // `window` may be null (nothing reaches a window); it must outlive the engine. It is the
  // engine's one way out and is never replaced.
  explicit CPelomarEngine(IEngineWindow* window);
  // Stops the workers, closes the events, then frees the data (ReleaseEngineData). A class
  // that stands in for a worker step stops the workers in its own destructor.
  virtual ~CPelomarEngine();
  CPelomarEngine(const CPelomarEngine&) = delete;
  CPelomarEngine& operator=(const CPelomarEngine&) = delete;

  // --- Events and workers ---
  // Creates the stop event and the ten work events, unsignalled, when they do not exist yet.
  // Returns 1 when it created them, 0 when they already existed.
  int CreateEvents();
  // Closes the eleven events (after StopWorkerThreads). A second call does nothing.
  void CloseEvents();
  bool HasEvents() const { return m_stopEvent != nullptr; }
  // Sets / resets a worker's work event; false when the events do not exist.
  bool SetWorkEvent(EngineWorker worker);
  bool ResetWorkEvent(EngineWorker worker);
  orv::win::CEvent* WorkEvent(EngineWorker worker) const;
  orv::win::CEvent* StopEvent() const { return m_stopEvent.get(); }

  // The work one worker does each time its event wakes it. The body decides whether to reset
  // its event (the quote workers keep theirs set). A worker without a body resets its event
  // and waits again. Install bodies before StartWorkerThreads.
  using WorkerBody = std::function<void(CPelomarEngine&, EngineWorker)>;
  void SetWorkerBody(EngineWorker worker, WorkerBody body);

  // Starts the ten workers once (while the started flag is 0, and only when the events exist).
  // Returns the number of workers started.
  int StartWorkerThreads();
  // Clears the started and running flags, sets the stop event, waits up to kStopWaitMs for all
  // workers together, lets go of their handles, then closes the price, application and
  // trading logs. A second call finds nothing left to stop. Returns true when every worker
  // ended in time.
  bool StopWorkerThreads();
  bool ThreadsStarted() const { return m_threadsStarted.load() != 0; }
  bool ThreadsRunning() const { return m_threadsRunning.load() != 0; }
  // Number of workers currently running their loop.
  int RunningWorkerCount() const;

  // --- Worker chain (Workers.cpp) ---
  // The chain's steps are the engine's own methods below (LoadMasterCodes,
  // QueryAccountsAndBalances, QueryHeldStockCharts, RunQuotePass, RunSellPass); they are
  // virtual only so a test engine can stand in for one.
  // Gives every worker its step of the chain (the constructor does this).
  void InstallWorkerBodies();
  // The HTTP handle of a running worker (null for the simulation worker and when stopped).
  // Only that worker may use it.
  CURL* WorkerCurl(EngineWorker worker) const;
  // The account step: runs the account and balance query, stores the tick as the last account
  // query, logs "> 계좌 조회 수행 완료 (종목수 : %d)" (kind 4) and answers the query's result.
  int AccountStep(CURL* curl, int accountsEmpty, int* changeCount);
  // The workers' running flag, handed to the agents' polling (UpdatePrices).
  const std::atomic<int>* RunningFlag() const { return &m_threadsRunning; }
  bool IsRunning() const { return m_threadsRunning.load() == 1; }
  // Non-zero while a stop aborts the transfers in flight; agents read it from libcurl's
  // progress callback.
  const std::atomic<int>* AbortFlag() const { return &m_abortTransfers; }
  // Stops and joins the workers without closing the logs, so agents and data can be replaced;
  // false when a worker did not end in time (then nothing it uses may be freed).
  bool SuspendWorkers();
  // Starts the workers again when SuspendWorkers stopped running ones.
  void ResumeWorkers();
  // Pauses the calling worker; a stop ends the pause at once.
  void PauseWorker(DWORD ms);

  // --- Trading timer and market session (TradingTimer.cpp; user-interface thread) ---
  // The host's user record (the user index says whether someone is signed in); may be null.
  void SetLoginInfo(login_info_s* loginInfo) { m_loginInfo = loginInfo; }
  login_info_s* LoginInfo() const { return m_loginInfo; }
  // The 500 ms tick (timer 1). False when the tick changed nothing but status-pane texts and the
  // quotes it handed to the grids (which redraw their changed cells by themselves): the window
  // side then needs no idle pass for it.
  bool OnTradingTick();
  // Timer 2: "%계산:%d/%d, R:%d" to the host's status pane 12.
  void ReportTimings();
  TradingTimerState_s& TimerState() { return m_timer; }
  // The session bounds in force (the domestic delay applied).
  SessionBounds_s EffectiveSessionBounds() const;
  int CurrentMarket() const { return m_currentMarket.load(); }
  int SessionState() const { return m_sessionState.load(); }
  int CurrentHhmm() const { return m_currentHhmm.load(); }
  // The 64-bit millisecond tick that token expiries are compared with (the agents' clock by
  // default).
  void SetTick64Source(std::function<uint64_t()> source) { m_tick64 = std::move(source); }
  uint64_t NowTick64() const;

  // --- Broker sessions (BrokerSessions.cpp) ---
  // The agent of (market kind, broker id, instance); instance below 1 takes the broker's next
  // instance. Made when absent; null when it cannot be made.
  CStockAgentBase* GetStockAgent(uint8_t marketKind, uint8_t brokerId, int32_t instance,
                                 uint8_t* outInstance, const wchar_t* displayName);
  // The first agent in key order whose own market kind is `marketKind`, or null.
  CStockAgentBase* FindStockAgentByMarket(uint8_t marketKind) const;
  // Frees every agent; answers the number of map entries visited.
  int DeleteAllStockAgents();
  // Logs every agent out; answers their number.
  int LogoutAllStockAgents();
  // Makes (and with loginSwitch logs in) the agents of the configured broker slots; answers
  // the number of slots handled.
  int LoginBrokerAgents(CURL* curl, int loginSwitch);
  // Logs out, remakes the agents and logs in for the configured trading market; answers the
  // number of successful logins.
  int SwitchTradingMarket(CURL* curl);
  // Counts the agents whose access token is due (300 ms or less left, or forced) and with
  // loginSwitch logs them in again; the smallest time left goes to *outSmallest.
  int RenewBrokerLogins(CURL* curl, int64_t* outSmallest, int loginSwitch, int forceSwitch);
  // Logs the user out of the broker sessions and frees the session data; with `ask` and the
  // auto-login option on, asks whether to forget the auto-login data. Answers 0.
  int LogoutUser(CURL* curl, int ask);
  AgentRoles_s& AgentRoles() { return m_roles; }
  std::map<uint8_t, int32_t>& InstanceCounts() { return m_instanceCounts; }
  // The account, key and secret of the user login (used by an overseas market switch when the
  // overseas slot has no key).
  void SetUserLoginCredentials(const std::wstring& account, const std::wstring& key,
                               const std::wstring& secret);
  void SetAutoLoginOn(bool on) { m_autoLoginOn = on; }
  // The user-interface thread's HTTP handle (made on first use).
  CURL* UiCurl();
  // Frees the stock, holding, account and agent data (not the configuration). Call only while
  // the workers are stopped or suspended.
  void FreeStockData();

  // --- Trading configuration ---
  stock_option_s& Options() { return m_option; }
  // Opens the plug-in's own connection to the catalogue at `utf8Path` (an open one is kept).
  // Returns 1 when a connection is open afterwards.
  int OpenOptionsDb(const std::string& utf8Path);
  sqlite3* OptionsDb() const { return m_optionsDb; }
  // Loads the configuration (application 1, site 1) over the defaults; answers what the
  // loader answers (1 loaded, 0 none stored, -1 error or no connection).
  int LoadStockOption();
  // Saves by the change mark: 2 only the account items, any other non-zero value everything;
  // then clears the mark and writes the trading-log line "STK.OPT.SAVE" (kind 66). An
  // unchanged configuration saves nothing and writes nothing. Returns 0 when nothing needed
  // saving or the save succeeded, else the store's error code; a failed save keeps the mark.
  int SaveChangedStockOption();

  // --- Data ---
  orv::win::CCriticalSection& ViewLock() { return m_viewLock; }
  CStockLists& Stocks() { return m_stocks; }
  CDailyLogs& Logs() { return m_logs; }
  IEngineWindow* Window() const { return m_window; }
  StockViewMap& QuoteList(int index) { return m_quoteLists[index]; }
  StockViewMap& SpareStocks() { return m_spareStocks; }
  HoldingViewMap& OrderQueue() { return m_orderQueue; }
  GroupInfoMap& Accounts() { return m_accounts; }
  CPriceSeries& PriceSeries() { return m_priceSeries; }
  std::vector<AlertSound_s>& AlertSounds() { return m_alertSounds; }

  // The agent map: key = market kind << 16 | broker id << 8 | instance.
  static uint32_t MakeAgentKey(uint8_t marketKind, uint8_t brokerId, uint8_t instance);
  std::map<uint32_t, std::unique_ptr<CStockAgentBase>>& Agents() { return m_agents; }
  CStockAgentBase* FindAgent(uint32_t key) const;

  // Folders and the CA file handed to the agents.
  void SetProgramFolder(const std::wstring& folder) { m_programFolder = folder; }
  const std::wstring& ProgramFolder() const { return m_programFolder; }
  // "<program folder>Settings/cacert.pem" when that file exists, else empty. Returns the path.
  const std::wstring& ResolveCaCertPath();
  const std::wstring& CaCertPath() const { return m_caCertPath; }

  // --- Commands from the windows, by key, applied under the view lock ---
  // Switches automatic trading of the held holding (quantity above 0) of `key`; its order
  // counts start again. False when no such holding is held.
  bool SetHoldingAutoTrade(const HoldingKey_s& key, bool on);
  // The quantity of the held holding of `key`; 0 when none is held.
  double HeldQuantity(const HoldingKey_s& key);
  // A copy of the held holding of `key` as its grid row shows it; false when none is held.
  bool SnapshotHeldHolding(const HoldingKey_s& key, HoldingRow_s* out);
  // The number of holdings of quantity above 0.
  int HeldHoldingCount();
  // Applies the step stop-loss and take-profit table to the held holding of `key` (as the
  // automatic table does: automatic trading off, ladder rebuilt and reset); `out` (when given)
  // receives the holding as it is afterwards. False when no such holding is held.
  bool ApplyStairRulesToHolding(const HoldingKey_s& key, const AutoStopLossRates_s& rates,
                                HoldingRow_s* out);
  // Switches automatic trading of a listed stock (the all-stock grid's check) and of the
  // holding made for it; false when the market has no stock of that code.
  bool SetStockAutoTrade(uint8_t market, const wchar_t* code, bool on);
  // Resets the sell steps of every holding of the listed stock; false when the market lists
  // no stock of that code.
  bool ResetStairsOfStock(uint8_t market, const wchar_t* code);
  // Adds the listed stock to its market's own list (CStockLists::AddMyStock); 0 when the
  // market lists no stock of that code.
  int AddMyStockByCode(uint8_t market, const wchar_t* code, int mode, uint8_t source,
                       bool refresh);

  // --- What the windows are handed (ViewSnapshots.h), copied under the view lock ---
  HoldingsSnapshot_s SnapshotHoldings();
  // The held rows, and the stock quotes that changed since the last call or master list.
  QuotesSnapshot_s SnapshotQuotes();
  MasterListSnapshot_s SnapshotMasterList();
  AccountSummarySnapshot_s SnapshotAccountSummary();
  // The chart data of one stock; false (the snapshot empty) when no list holds it.
  bool SnapshotStockChart(uint8_t market, const wchar_t* code, StockChartSnapshot_s* out);
  // The trading tick's hand-overs to the window: the copy goes to IEngineWindow, which
  // delivers it on the user-interface thread.
  void PublishHoldings();
  void PublishQuotes();
  void PublishMasterList();
  void PublishAccountSummary();
  // The chart data of one stock for the chart dialog (null when no list holds the stock).
  void PublishStockChart(uint8_t market, const wchar_t* code);

  // --- Small lookups ---
  // The account of a number compared case-insensitively; null for a null or empty number.
  group_info_s* FindAccount(const wchar_t* accountNo) const;
  // Entries of the domestic own list; with a buffer and a non-empty list writes
  // "<name>(<code>)외 총 <n>개" into it (bounded).
  int GetMyStockCount(wchar_t* buffer = nullptr, size_t bufferLen = 0);
  // 1 when a holding whose held flag (quantity above 0) is set has exactly this code.
  int IsHeldStock(const wchar_t* code) const;
  int OnMonitorStockOut(const wchar_t* code) const { return -1; }
  int IsStockLinkEnabled() const { return 0; }
  int SetLinkedStock(const wchar_t* code) const { return IsStockLinkEnabled(); }
  // A queued order of (market kind, cash/credit kind, reverse flag, code, account index);
  // null when the code is missing or empty or no such order is queued. Takes the view lock.
  StockTrade_s* FindQueuedOrder(int marketKind, int cashCredit, int reverse, const wchar_t* code,
                                int accountIndex);
  // Today's local date as "yyyymmdd".
  std::wstring FormatToday() const;
  void ClearPriceSeries() { m_priceSeries.ClearPriceSeries(); }
  void ClearAlertSounds() { m_alertSounds.clear(); }
  static int MapOrderSide(int side) { return side; }

  // --- Per-stock rules (StockRules.cpp) ---
  // The rule check of one holding at `price`: profit rate, step, sell decision and, with
  // mayQueue 1, the queued order. Answers the profit rate (0 for a holding without stock or
  // quantity). *outSell (when given) takes 1 for a sell decision, else 0.
  virtual double CheckStockRules(StockTrade_s* holding, double price, int mayQueue, int* outSell);
  // A holding not yet checked takes its step values (stop-loss, minimum take-profit, step
  // width, sell ratio) once; a value the user sets afterwards is then never replaced by them.
  void TakeOverStepValues(StockTrade_s* holding);
  // Rebuilds the ladder's thresholds, upper bounds and text; with reset clears the orders in
  // this step and every step's order values. Answers 1.
  int BuildStockLadder(StockTrade_s* holding, int reset);
  // The view's ladder recompute: stores the step width (the option's below 1.0) and decides
  // the first-band correction, then rebuilds when the holding is marked or `force` is set.
  int RecomputeStockLadder(StockTrade_s* holding, double stepWidth, double correction, int force);
  // The ladder with step prices from the step base price (the stop-loss validation).
  int ComputeStockStairs(StockTrade_s* holding, int reset);
  // Current, previous and peak step become -1; every step's order values and flag are cleared.
  void ResetStockStairs(StockTrade_s* holding);
  // Applies the rate table to every holding handed to the holdings grid under the view lock;
  // `shown` (when given) receives the rows of the holdings changed. Answers their number.
  int ApplyAutoStopLossRates(const AutoStopLossRates_s& rates, std::vector<HoldingRow_s>* shown);
  // The table applied to one holding: automatic trading off, take-profit, step width and
  // first-band correction by the band of its profit rate, the stop-loss line of its market;
  // the ladder is rebuilt and reset.
  void ApplyAutoStopLossRates(StockTrade_s* holding, const AutoStopLossRates_s& rates);
  // ResetStockStairs for every holding; logs "[계단 초기화] %d 종목"; answers the number.
  virtual int ResetAllStockStairs();
  // Split-sell sizing at `price`. CalcSplitSellQty answers the split quantity (also kept in
  // the holding); CalcSellTarget sizes and stores the remaining quantity (flags 1: also the
  // sell balance, 2: clears the sold amount) and answers the target quantity;
  // SetHoldingSellRatio clamps the ratio (below 5 or above 100: 100), resizes and answers it.
  double CalcSplitSellQty(StockTrade_s* holding, double price, double splitAmount);
  double CalcSellTarget(StockTrade_s* holding, double price, int flags, int orderKind,
                        double splitAmount);
  double SetHoldingSellRatio(StockTrade_s* holding, double price, double ratio);

  // --- Automatic trading for all holdings (BulkSettings.cpp) ---
  // The price a holding is valued at: its stock's current price, for coins the price in the
  // holding's quote currency; 0 without a stock.
  static double HoldingPrice(const StockTrade_s* holding);
  // Step base price x (1 + stop-loss rate / 100); reverse holdings x (1 - rate / 100).
  static double StopLossPrice(const StockTrade_s* holding);
  // A holding qualifies for the all-stock switch when its price is above 0, its profit rate
  // above its stop-loss rate and its price above the stop-loss price (reverse: below it).
  static bool QualifiesForAutoTradeAll(const StockTrade_s* holding);
  // What the question before switching all holdings on reports: holdings without a price,
  // holdings whose profit rate lies between -95 and their stop-loss rate, and the first of
  // either kind, copied under the lock (the question waits for the user while the balance
  // may free that holding).
  struct AutoTradeRisks_s {
    int noPrice = 0;
    int belowStopLoss = 0;
    bool hasFirst = false;
    std::wstring firstName;
    std::wstring firstCode;
    double firstPrice = 0;
    double firstStopLossPrice = 0;
  };
  AutoTradeRisks_s CountAutoTradeRisks(const std::vector<HoldingKey_s>& holdings);
  // Switches automatic trading on or off for the qualifying holdings of `holdings`: writes the
  // trading-log line (28 on, 29 off); for each qualifying holding resets its stairs, applies
  // its sell ratio and, when its group equals `scope`, sets both automatic-trading switches,
  // clears its order times, rebuilds the ladder without reset and counts it. `qualified`
  // (when given) receives the rows of the qualifying holdings as they are afterwards.
  // Holdings are named by key: one the balance freed since is skipped. Answers the count.
  int SetAutoTradeForHoldings(const std::vector<HoldingKey_s>& holdings, bool on, int scope,
                              std::vector<HoldingRow_s>* qualified);
  // A take-profit or stop-loss preset for `holdings` (named by key, applied under the view
  // lock). Take-profit mode (or a value above 0): the minimum take-profit becomes the value
  // (relative: the profit rate less the value, when that is higher), except for holdings with a
  // profit rate below 10 when the value is 0 or less. Stop-loss mode: the stop-loss becomes
  // value + profit rate (at least -100), -100 for a value of -100 or less; a holding whose
  // stop-loss already lies at or below a profit rate of 0 or more (or below -80) is left alone.
  // A changed holding's automatic trading becomes `autoOn`, its order times are cleared and its
  // ladder is rebuilt without reset. `rows` receives every holding as it is afterwards.
  // Answers the number changed.
  struct RatePreset_s {
    double value = 0;
    bool takeProfit = false;
    bool relative = false;
  };
  int ApplyRatePresetToHoldings(const std::vector<HoldingKey_s>& holdings,
                                const RatePreset_s& preset, bool autoOn,
                                std::vector<HoldingRow_s>* rows);
  // The sell ratio for `holdings` whose ratio differs (SetHoldingSellRatio: the split is
  // re-sized, the ladder rebuilt without reset); writes the trading-log line "매도 비중.설정".
  // `rows` receives the changed holdings. Answers the number changed.
  int SetSellRatioOfHoldings(const std::vector<HoldingKey_s>& holdings, double ratio,
                             std::vector<HoldingRow_s>* rows);

  // --- Grid edits of one holding (GridEdits.cpp; user-interface thread) ---
  // Each checks the typed value against the holding's copy (questions and notices are shown
  // without the view lock), then applies it to the holding of `key` under the lock. An edit
  // from the holdings grid (control id 2213) also marks the whole options for saving and runs
  // the rule check of the holding.
  struct GridEdit_s {
    bool found = false;      // the holding is still held
    bool applied = false;    // the holding took a value
    double cell = 0;         // what the cell shows afterwards (the old value when refused)
    COLORREF colour = 0xFFFFFFFFu;  // the cell's new background (unchanged when 0xFFFFFFFF)
    HoldingRow_s row;        // the holding afterwards
  };
  // Stop-loss in percent as typed: a positive value is made negative; 0 and values below -100
  // mean no stop-loss (-100); at or above the current profit rate the user is asked first;
  // otherwise a value nearer 0 than 0.5 becomes -0.5.
  GridEdit_s ValidateStopLossRate(const HoldingKey_s& key, double value, int controlId);
  // Minimum take-profit in percent, refused when too near or below the current profit rate.
  GridEdit_s ValidateMinTakeProfit(const HoldingKey_s& key, double value, int controlId);
  // Split amount in won, at least the toolbar's split-order amount; re-sizes the split.
  GridEdit_s ValidateSplitAmount(const HoldingKey_s& key, double amount, int controlId);
  // Step width in percent: below 1.0 the option's width, at most 100.
  GridEdit_s ValidateStepWidth(const HoldingKey_s& key, double width, int controlId);
  // An edit applied to `h` (the view lock held): marks the save and copies the holding.
  GridEdit_s AppliedEdit(StockTrade_s* h, int controlId, double cell, COLORREF colour);
  // The copy of the held holding of `key`; false when none is held.
  bool HoldingRowOf(const HoldingKey_s& key, HoldingRow_s* out);
  // The toolbar's split-order amount in won (10,000-won units x 10,000, at least 10,000).
  double SplitOrderAmountWon() const;
  // A listed stock's comment, alarm rate and alarm kind (the all-stock grid's cells); false
  // when the market lists no stock of that code. A null value is left as it is.
  bool SetStockComment(uint8_t market, const wchar_t* code, const std::wstring& comment);
  bool SetStockAlarm(uint8_t market, const wchar_t* code, const double* rate, const int* kind);
  // The sell ratio of the held holding of `key` (SetHoldingSellRatio); false when none is held.
  bool SetHoldingSellRatioByKey(const HoldingKey_s& key, double ratio, HoldingRow_s* out);
  // The average buy price of the held holding of `key` (only above 0), then its rule check.
  bool SetHoldingAvgPrice(const HoldingKey_s& key, double price, HoldingRow_s* out);
  // Cell colours of the edits (COLORREF).
  static COLORREF StopLossCellColour(double rate);
  static COLORREF MinTakeProfitCellColour(double rate);
  static COLORREF SplitAmountCellColour(double amount);
  static COLORREF StepWidthCellColour(double width);
  static COLORREF SellRatioCellColour(double ratio);

  // The sell ratio of each held holding of `holdings` (SetHoldingSellRatio), its ladder
  // rebuilt; writes the trading-log line (55). Answers the holdings changed.
  int SetSellRatioForHoldings(const std::vector<HoldingKey_s>& holdings, double ratio,
                              std::vector<HoldingRow_s>* changed);
  // A take-profit or stop-loss preset for the held holdings of `holdings` (trading-log line 56;
  // 71 for a stop-loss reset to none). Take-profit mode: holdings below 10 % are left alone
  // when the value is 0 or less; relative takes the profit rate less the value when that is
  // higher. Stop-loss mode: the value below the profit rate (-100 or less: none); a holding
  // whose stop-loss already lies at or below a gaining (or deeply losing) rate is left alone.
  // Each changed holding's automatic trading takes `autoTrade`. Answers the holdings changed.
  int ApplyRatePresetToHoldings(const std::vector<HoldingKey_s>& holdings, double value,
                                bool takeProfitMode, bool relative, bool autoTrade,
                                std::vector<HoldingRow_s>* changed);
  // Runs `change` on each held holding of `holdings` under the view lock (after it took its
  // step values); a holding it changed (true) has its ladder rebuilt without reset, is counted
  // and copied into `changed`.
  int ChangeHeldHoldings(const std::vector<HoldingKey_s>& holdings,
                         const std::function<bool(StockTrade_s*)>& change,
                         std::vector<HoldingRow_s>* changed);
  // A new step interval for every held stock: each drops its ladder text; one whose own
  // interval is below 1 takes the minimum take-profit option; one whose step base moved (the
  // base is its average price) or every one when `force` is set keeps the new base, takes
  // `interval` (raised to 0.5) when above 0.1 and gets its ladder rebuilt. Runs under the view
  // lock, so no rule check sees a holding half changed. Answers how many were rebuilt.
  int ApplyStepIntervalToHoldings(double interval, int force);
  // The split amount (won) and, with kind 1, the option's step width for the held holdings.
  int ApplyStopLossOptionToHoldings(const std::vector<HoldingKey_s>& holdings, int kind,
                                    double splitAmount, std::vector<HoldingRow_s>* changed);

  // 1 while a sell pass runs (the rule check queues nothing then).
  bool SellPassRunning() const { return m_sellPassRunning.load() != 0; }

  // --- Sell pass and orders (SellPass.cpp) ---
  // Drains the order queue and places one order per queued holding, 100 ms apart; reports
  // the orders to the web server. Answers the number of orders placed.
  virtual int RunSellPass(CURL* curl);
  // One order through the account's agent, with its log lines, sound and history row.
  // Answers the agent's result (-1 when no agent was called, -307 while the simulation runs).
  int SendTradeOrder(CURL* curl, const TradeOrderArgs_s& args, TradeOrderResult_s* out);
  // An order of the order panel or dialog: the per-order limit cuts the quantity
  // (*quantityCut takes the cut), then SendTradeOrder. -998 without a stock. *outNotice takes
  // the notice text.
  int PlaceUserOrder(CURL* curl, int market, const wchar_t* accountNo, Stock_s* stock,
                     double* quantityCut, int side, int cashCredit, int intValue, double price,
                     double quantity, int orderNumber, TradeOrderResult_s* out,
                     std::wstring* outNotice);
  // How long after an order the broker's balance is trusted to show it: a balance read that
  // begins later settles the order. A broker's "send again" refusal is answered once, after
  // the retry pause.
  static constexpr int64_t kOrderSettleMs = 10000;
  static constexpr DWORD kOrderRetryPauseMs = 1000;
  // A holding's identity as text: broker, account, cash/credit kind, loan date, kind, code.
  static std::string OpenOrderKey(const StockTrade_s& holding);
  // The local wall time in ms since 1970 (the program clock), which open orders are dated by.
  static int64_t WallClockMs();
  // The money-log line of one order (52 fields).
  std::wstring FormatMoneyLogLine(const StockTrade_s& holding, double orderQty, int side,
                                  const TradeOrderResult_s& order) const;
  // The history row of an order: from a holding when given, else from the stock.
  OrderHistoryRow_s MakeOrderHistoryRow(const StockTrade_s* holding, Stock_s* stock, int side,
                                        int intValue, bool credit, double quantity,
                                        double price) const;
  // The host's run settings (the money log's fields 7 and 8); may be null.
  void SetRunSetting(app_run_setting_s* run) { m_runSetting = run; }
  // The view's switches the orders read.
  std::atomic<int> m_alertSoundOn{1};
  std::atomic<int> m_noticesOn{1};
  std::atomic<int> m_defaultBuyMarket{1};
  std::atomic<int> m_longCreditCondition{0};  // 1: credit sells use condition "99"
  // Orders the sell passes placed, for the status texts.
  std::atomic<int> m_sellOrders{0};
  std::atomic<int> m_unrecordedOrders{0};

  // --- Order table (OrderTable.cpp) ---
  // Opens the plug-in's own connection to "data.db" and creates WX_STOCK_ORDER when missing.
  // Answers 1 when a connection is open afterwards; 0 for a file that cannot be opened or is
  // damaged (SQLite's words in *problem, when given).
  int OpenDataDb(const std::string& utf8Path, std::string* problem = nullptr);
  sqlite3* DataDb() const { return m_dataDb; }
  // Records one order; answers its idx, 0 on failure or without a connection. An order not
  // recorded is never dropped silently: it goes to the application log and the host's notice.
  int InsertStockOrder(const StockOrderInsert_s& order);
  // Orders that could not be recorded since start.
  int UnrecordedOrders() const { return m_unrecordedOrders.load(); }
  // Appends every row of WX_STOCK_ORDER; answers the number read.
  int ReadStockOrders(std::vector<StockOrderRecord_s>* out);

  // The holdings-sync worker (started and stopped with the others); null while stopped.
  CHoldingsSyncWorker* HoldingsSync() const { return m_holdingsSync.get(); }
  // The worker of the order dialogs' orders (OrderSender.cpp; started and stopped with the
  // others); null before the first start.
  COrderSender* OrderSender() const { return m_orderSender.get(); }

  // --- Cafe (CafeWorker.cpp; the cafe worker) ---
  // The cafe downloads and the cafe data they keep; the tick wakes them, the cafe worker runs
  // their passes.
  CCafeService& Cafe() { return *m_cafe; }
  // Stocks in the master list (under the view lock).
  size_t MasterStockCount();

  // --- Teardown ---
  // Frees the data: price series, order queue, holdings, spare, held, watch and quote maps,
  // own lists, accounts, agents, cafe maps, master list, the configuration, the alert sounds,
  // and closes the catalogue connection. Every step empties what it frees, so a second run
  // does nothing. Call only while the workers are stopped.
  void ReleaseEngineData();

  // --- Master codes (MasterCodes.cpp; master-code worker) ---
  // Loads the master list of every market through the agents; answers the master list's
  // size. The all-stock grid is rebuilt on the user-interface thread: this sets the rebuild
  // request the tick serves (a changed count or `force` always asks for it).
  virtual int LoadMasterCodes(CURL* curl, int previousCount, int force);
  // The all-stock web-quote step: one log line; answers 0.
  int LogAllStockWebQuery();
  // Starts the code-update thread, which posts WM_USER+0x1F5 when it ends; false when one is
  // already out or it could not start. JoinCodeUpdateThread (on that message) joins it.
  bool StartCodeUpdateThread();
  void JoinCodeUpdateThread();
  bool CodeUpdateRunning() const;
  // Asks the code-update thread to stop and waits up to `timeoutMs` for it; true when it
  // ended (or none ran). A thread that did not end in time is let go and ends by itself.
  bool StopCodeUpdateThread(DWORD timeoutMs);
  // The AI-analysis stock (a copy of its key) and the worker's wake; the auto-buy switch.
  void RequestAiAnalysis(uint8_t market, const std::wstring& code);
  void SetAutoBuy(bool on);
  bool AutoBuyOn() const { return m_autoBuyOn.load() != 0; }
  // --- AI analysis (AiAnalysis.cpp; AI worker) ---
  // One analysis of the requested stock with the worker's handle: its day and minute candles,
  // investor trend and (through the data agent) short selling, the envelope of the day closes,
  // the prompt sent to the chat service of the settings; the answer is uploaded as the
  // members' AI comment and shown in the order dialog's analysis page (without an answer when
  // none came). Nothing while one runs or without a stock. Answers 0.
  int RunAiAnalysis(CURL* curl);
  bool AiBusy() const { return m_aiBusy.load() != 0; }
  // The last answer (empty when the last run got none) and the tokens counted so far.
  std::wstring AiAnswer() const;
  int AiTokensTotal() const { return m_aiTokensTotal.load(); }

  // --- Automatic buying and signal modules (AutoBuy.cpp; auto-buy worker) ---
  CSignalModules& SignalModules() { return m_signals; }
  // The option block handed to the signal module.
  SignalOptions_s SignalOptions() const;
  // One detection pass over `list`: each named stock's envelopes and the module's buy signal;
  // candidates (signal 1) with the auto-buy flag, on the registry and not detected within the
  // minimum time between detections are logged "▶ [자동매수 검출-등록] ..." (kind 4) and
  // stamped. Without a buy-signal entry nothing becomes a candidate. Answers the number logged.
  int RunAutoBuyPass(CURL* curl, StockViewMap& list);
  // The worker's loop: passes 500 ms apart while running and the switch is on.
  void RunAutoBuyWorker(CURL* curl);
  // Puts a master stock on (or takes it off) automatic buying: its flag, the domestic
  // auto-buy list and the registry. 0 when the market lists no such stock.
  int SetAutoBuyStock(uint8_t market, const wchar_t* code, bool on);
  StockViewMap& AutoBuyRegistry() { return m_autoBuyRegistry; }
  // The module's trade signal; -1 without a module or trade-signal entry.
  int CalcTradeSignal(int kind, bool flag, const double (&params)[kSignalParamCount],
                      double* outResult);

  // --- Price simulation (PriceSimulation.cpp; simulation worker) ---
  // The mode lives in m_simulationRunning (0 none, 1 price-log replay, 2 change rates).
  static constexpr int kSimulationReplay = 1;
  static constexpr int kSimulationRates = 2;
  static constexpr int kSimulationStartHhmm = 859;
  static constexpr double kSimulationSpeedDivisor = 3.0;
  // Replay gaps of this length or more are not waited for.
  static constexpr DWORD kSimulationMaxGapMs = 60000;
  static constexpr DWORD kSimulationRateStepMs = 1500;
  // Arms a run of `mode` over `path` (mode 2 reads its change rates first): sets the mode and
  // wakes the simulation worker. Answers the number of records or rates the run will use
  // (mode 1: 1 when armed), 0 when a run is already set or mode 2 read no rate.
  int ArmPriceSimulation(int mode, const std::string& path);
  // Ends a run: the mode and busy flag drop to 0 and the trading log gets "가격 시뮬레이션
  // 해제" (kind 65). The worker sees the mode and leaves its loop.
  void StopPriceSimulation();
  // One run of the armed mode.
  void RunPriceSimulation();
  // The simulation worker's step: busy while RunPriceSimulation runs.
  void RunSimulationStep();
  int SimulationMode() const { return m_simulationRunning.load(); }
  bool SimulationBusy() const { return m_simulationBusy.load() != 0; }
  // Progress of the run in percent, and the record being replayed / the record count.
  double SimulationProgress() const { return m_simulationProgress.load(); }
  int SimulationPosition() const { return m_simulationPosition.load(); }
  int SimulationCount() const { return m_simulationCount.load(); }

  // --- Accounts and balances (Accounts.cpp) ---
  // Deposits and balances through every agent; answers the holdings all QueryBalance calls
  // returned; *outTotal takes K + U + C.
  virtual int QueryAccountsAndBalances(CURL* curl, int accountSwitch, uint32_t* outTotal,
                                       int popupSwitch);
  // Refills the held maps (1, 2, 9, 10) from the holdings of quantity above 0; answers the
  // stocks inserted.
  int RebuildHeldStockLists(HoldingMap* holdings, int clear);
  // Stop, step and sell-rate levels of one holding (see Accounts.cpp).
  void ApplyHoldingLevels(StockTrade_s* holding, int rowKind, double sellRate, double stepValue,
                          double secondStep, int switchA, int switchB, int switchC, int update);
  void ApplyAllHoldingLevels(int switchA, int switchB, int switchC, int update);
  // The split-order base amount (10,000-won units): clamped to -50..1000, the won amount
  // stored in the options; answers 1 when the options were marked changed.
  int SetSplitOrderBaseAmount(int changed);
  int& SplitOrderBase() { return m_splitOrderBase; }
  // Account passwords (stored narrow); see Accounts.cpp.
  int SetAccountPassword(const wchar_t* accountNo, const wchar_t* password, int autoLogin,
                         int savePassword);
  int SetPasswordForAllAccounts(const wchar_t* password);
  // The merge step every agent brings its replies into the maps with (set when the agent is
  // made): `merge` runs under the view lock, and holdings it dropped leave the order queue in
  // the same step.
  void MergeUnderViewLock(const std::function<void()>& merge);
  // The balance callback handed to QueryBalance (context: the engine). With flag 0x100 a code
  // missing from the master list is added as a market-1 record. Always 0.
  static int OnBalanceStockFound(void* context, int recordIndex, int marketKind, uint32_t flags,
                                 const wchar_t* code, const wchar_t* name, uint8_t letter,
                                 double price, double price2, double value3, double holdingIndex,
                                 int int1, int int2, int int3, void* scratch);

  // --- Quote polling (QuotePass.cpp; quote workers) ---
  // One quote pass of market 1, 2 or 9: answers the tick at which it started, or 0 when the
  // running flag dropped during the pass. It sets the quotes-applied flag after applying.
  virtual DWORD RunQuotePass(CURL* curl, int market);
  // Prices every holding, runs the rule check, sums the account totals; answers the number of
  // holdings. Any out pointer may be null.
  int ApplyQuotesToHoldings(double* outBuy, double* outDay, double* outProfit, int ruleArg,
                            int* outRowsChanged, int redraw);
  // Merges the own, held and auto-buy lists into the poll lists (selector 0 all, 1, 2, 9, 10)
  // under the view lock when a list changed or with force; answers the stocks merged.
  int RebuildQuoteLists(int selector, int force);
  void MarkQuoteListsChanged() { m_quoteListsChanged.store(1); }
  // Asks for the stock grids to be rebuilt and merges the changed own lists into the poll
  // lists at once (after the split-buy board saved its stocks).
  void RefreshAllStockGrids() {
    m_gridRebuildRequest.store(1);
    MarkQuoteListsChanged();
    RebuildQuoteLists(0, 0);
  }
  double TotalValuation() const { return m_totalValuation.load(); }

  // --- Real-time quotes (WebSocketQuotes.cpp) ---
  // Starts (start 1) the quote client of the agent's broker over its WebSocket host, or, when
  // one runs, hands it the domestic quote list again; with start 0 ends it. 1 while a client
  // runs; 0 for a broker without a quote stream or an agent without a token.
  int StartQuoteWebSockets(CStockAgentBase* agent, int start);
  int RunQuoteThread(CStockAgentBase* agent, int start, const std::string& url,
                     const char* division, StockViewMap* targets);
  // A fresh client for a new login: the one of an earlier login ends first.
  int RestartQuoteWebSockets(CStockAgentBase* agent);
  bool QuoteStreamRunning() const { return m_quoteStreamRunning.load() != 0; }
  // The broker's condition searches as the monitoring view takes them: the list
  // ("seq^name;..."), the current matches of a started search ("code^price;...") and a stock
  // entering ("I") or leaving ("D") a condition, each with the condition's name. Called on the
  // quote thread; setting a feed (an empty one to remove it) waits for a call under way.
  struct ConditionFeed_s {
    std::function<void(const std::wstring& list)> list;
    std::function<void(const std::wstring& matches, const std::wstring& name)> result;
    std::function<void(const std::wstring& code, const std::wstring& type,
                       const std::wstring& name)>
        event;
  };
  void SetConditionFeed(ConditionFeed_s feed);
  // Stops the broker's condition searches and starts them anew from a fresh list; false when
  // no stream that runs condition searches is logged in.
  bool RestartConditionSearches();

  // --- Held-stock charts (HeldCharts.cpp; chart worker) ---
  virtual int QueryHeldStockCharts(CURL* curl);
  int QueryStockListCharts(CURL* curl, uint8_t market, CStockAgentBase* agent, StockMap* list);
  // The data agent while it is still one of the view's agents (null otherwise).
  CStockAgentBase* LiveDataAgent() const;
  // Calls counted by QueryStockListCharts/QueryHeldStockCharts (GetChartData + GetBuyTrendData).
  int ChartRequestCount() const { return m_chartRequests.load(); }

  // The view's popup-mode byte: popups show only when one of its three low bits is set.
  std::atomic<int> m_popupMode{7};

  // --- Shared flags ---
  std::atomic<uint8_t> m_gridRebuildRequest{1};
  std::atomic<uint8_t> m_gridUpdatePending{0};
  std::atomic<uint8_t> m_redrawPending{0};
  std::atomic<uint32_t> m_lastAccountQueryTick{0};
  std::atomic<int> m_masterCodeCount{0};
  int m_tradingHours[kTradingHourCount];

  // Shared between the workers and the user-interface thread.
  std::atomic<int> m_quotePolling{0};  // 1 while price polling is wanted
  std::atomic<int> m_chartPass{0};     // kChartPass... below; one store marks it done
  std::atomic<int> m_chartPassResult{0};
  std::atomic<int> m_accountRefresh{0};  // set by the account worker, consumed by the tick
  // Set after every account pass; the tick hands the account summary over.
  std::atomic<int> m_accountSummaryDue{0};
  std::atomic<int> m_quotesApplied{0};   // set by a quote pass, consumed by the tick
  std::atomic<uint32_t> m_lastCafeListTick{0};
  std::atomic<int> m_simulationRunning{0};
  std::atomic<int> m_signedInUser{0};     // the host's user index, as the tick last read it
  std::atomic<int> m_quotePassesInFlight{0};
  std::atomic<int> m_tokenRenewal{0};  // set by the tick, served by the account worker
  // Durations (ms) of the last rule check, quote application and grid value refresh.
  std::atomic<uint32_t> m_ruleCheckMs{0};
  std::atomic<uint32_t> m_quoteApplyMs{0};
  std::atomic<uint32_t> m_gridRefreshMs{0};
  static constexpr int kChartPassNone = 0;
  static constexpr int kChartPassRunning = 1;
  static constexpr int kChartPassDone = 2;
  // A trading-log line that names no stock: `text` stands in the name and result columns.
  void WriteNoticeTradingLine(int code, const wchar_t* text);

 private:
  // The held holding of `key` (the view lock held), or null.
  StockTrade_s* FindHeldHolding(const HoldingKey_s& key) const;
  void WorkerLoop(EngineWorker worker);
  // One wake of a worker: the step of its row in the chain.
  void RunWorkerStep(EngineWorker worker, CURL* curl);
  void RunQuoteCycle(CURL* curl, int market);
  // Sets the stop event and joins the workers; clears the abort flag when all ended.
  bool JoinWorkers();
  // Both true when they changed more than status-pane texts (see OnTradingTick).
  bool ThirtySecondBlock(DWORD now);
  bool CheckTokens(DWORD now);
  // The account worker's part of a token renewal the tick asked for: waits for the quote
  // passes in flight, logs the due agents in again, turns polling back on, hides the popup.
  void RenewDueLogins(CURL* curl);
  // A changed holding's sell steps rebuilt from its new levels (switch a: reset).
  void RecomputeSellSteps(StockTrade_s* holding, int switchA);
  // Waits (bounded) until no quote pass is in flight.
  void WaitForQuotePasses(DWORD limitMs);
  // True when the user's interface language is English (the window's choice).
  bool EnglishInterface() const { return m_window && m_window->InterfaceLanguage() == 1; }
  std::unique_ptr<CStockAgentBase> MakeAgent(uint8_t marketKind, uint8_t brokerId,
                                             uint8_t instance, const wchar_t* displayName);
  // Logs in the agent of a slot and, on success, runs the service check. Answers the login
  // result.
  int LoginSlotAgent(CURL* curl, CStockAgentBase* agent, uint8_t brokerId, const wchar_t* account,
                     const wchar_t* key, const wchar_t* secret, int* code, wchar_t* error,
                     int errorLen);
  void RunServiceCheck(CStockAgentBase* agent, uint8_t brokerId, const wchar_t* account);
  void LogApp(const std::wstring& text);
  void ReportUnrecordedOrder(const StockOrderInsert_s& order, const std::string& why);
  void LogAppKind(DWORD kind, const std::wstring& text);
  // Rule-check helpers (StockRules.cpp).
  void QueueSellOrder(StockTrade_s* holding, DWORD now);
  // Open orders (SellPass.cpp, OrderTable.cpp). RecordOpenOrder keeps and stores one;
  // OpenOrderPasses gives the balance-pass marks of their holdings before a balance read;
  // SettleOpenOrders settles those the read begun at `readStartMs` settles and answers how
  // many. True when the holding has an open order (the view lock held); with `askSettle`
  // the account step is asked once for the settling read when the order is due.
  void RecordOpenOrder(const OpenOrder_s& order);
  std::map<std::string, uint32_t> OpenOrderPasses();
  int SettleOpenOrders(int64_t readStartMs, const std::map<std::string, uint32_t>& passesBefore);
  bool HoldingHasOpenOrder(const StockTrade_s& holding, bool askSettle);
  void StoreOpenOrder(const OpenOrder_s& order);
  void DeleteStoredOpenOrder(const std::string& key);
  int LoadOpenOrders();
  // The log text of the user's language (the run settings' language 1 is English).
  const char* UserText(const char* korean, const char* english) const;
  // Pushed prices were written into records: the holdings are valued and checked again.
  void ApplyPushedQuotes();
  // The quote worker's repeated start of the primary agent's quote client.
  void RefreshQuoteStream();
  void StartHoldingsSync();
  void StopHoldingsSync();
  void StartOrderSender();
  void StopOrderSender();
  std::unique_ptr<COrderSender> m_orderSender;
  std::unique_ptr<CCafeService> MakeCafeService();

  // Declared first: the stock lists keep a reference to it, and it outlives all users.
  orv::win::CCriticalSection m_viewLock;
  IEngineWindow* m_window;

  stock_option_s m_option;
  sqlite3* m_optionsDb = nullptr;

  std::wstring m_programFolder;
  std::wstring m_caCertPath;

  std::map<uint32_t, std::unique_ptr<CStockAgentBase>> m_agents;
  GroupInfoMap m_accounts;
  // What the account passes noted of each account (by the owning agent's key), under the
  // view lock: failed deposit queries in a row and the broker's last refusal.
  struct AccountStatus_s {
    int32_t errors = 0;
    std::wstring message;
  };
  std::map<uint32_t, AccountStatus_s> m_accountStatus;
  // The quotes last handed to the window (SnapshotQuotes sends only what changed since).
  std::unordered_map<std::wstring, StockQuoteRow_s> m_postedQuotes;
  CStockLists m_stocks;
  StockViewMap m_quoteLists[4];
  StockViewMap m_spareStocks;
  // Holdings waiting for the sell pass; they belong to the holdings map.
  HoldingViewMap m_orderQueue;
  // The queued holdings by the key FindQueuedOrder looks for, under the view lock. It is
  // rebuilt whenever the queue's size is not the size it was made for (the queue changed
  // elsewhere), and every hit is checked against the queue.
  std::unordered_map<std::wstring, StockTrade_s*> m_queueIndex;
  size_t m_queueIndexSize = static_cast<size_t>(-1);
  void NoteQueuedUnderLock(StockTrade_s* holding);
  void DropQueueIndexUnderLock() { m_queueIndexSize = static_cast<size_t>(-1); }
  // Orders the broker's balance has not settled, by holding identity (under the view lock).
  std::map<std::string, OpenOrder_s> m_openOrders;
  CPriceSeries m_priceSeries;
  std::vector<AlertSound_s> m_alertSounds;
  CDailyLogs m_logs;

  std::unique_ptr<orv::win::CEvent> m_stopEvent;
  std::array<std::unique_ptr<orv::win::CEvent>, kEngineWorkerCount> m_workEvents;
  std::array<WorkerBody, kEngineWorkerCount> m_workerBodies;
  std::array<std::unique_ptr<orv::win::Thread>, kEngineWorkerCount> m_workers;
  std::atomic<int> m_threadsStarted{0};
  std::atomic<int> m_threadsRunning{1};
  std::atomic<int> m_workersInLoop{0};
  std::atomic<int> m_abortTransfers{0};
  std::array<std::atomic<CURL*>, kEngineWorkerCount> m_workerCurls{};
  bool m_resumeWorkers = false;

  TradingTimerState_s m_timer;
  login_info_s* m_loginInfo = nullptr;
  std::atomic<int> m_currentMarket{1};
  std::atomic<int> m_sessionState{1};
  std::atomic<int> m_currentHhmm{0};
  std::function<uint64_t()> m_tick64;

  int m_splitOrderBase = 50;
  std::atomic<int> m_quoteListsChanged{1};
  std::atomic<double> m_totalValuation{0};
  std::atomic<int> m_chartRequests{0};
  std::unique_ptr<orv::win::Thread> m_codeUpdateThread;
  std::atomic<int> m_codeUpdateStop{0};
  std::atomic<int> m_autoBuyOn{0};
  CSignalModules m_signals;
  // Stocks the user put on automatic buying, by code (under the view lock).
  StockViewMap m_autoBuyRegistry;
  // The price simulation's state (the mode is m_simulationRunning).
  std::atomic<int> m_simulationBusy{0};
  std::atomic<int> m_simulationInRun{0};  // 1 while the worker is inside a run
  std::atomic<double> m_simulationProgress{0};
  std::atomic<int> m_simulationPosition{0};
  std::atomic<int> m_simulationCount{0};
  std::mutex m_simulationFileLock;
  std::string m_simulationFile;
  void RunReplaySimulation();
  void RunRateSimulation();
  void ShowSimulationPopup(const wchar_t* text, const wchar_t* caption, DWORD timeoutMs);
  mutable std::mutex m_aiMutex;
  uint8_t m_aiMarket = 0;
  std::wstring m_aiCode;
  std::wstring m_aiAnswer;  // under m_aiMutex
  std::atomic<int> m_aiBusy{0};
  std::atomic<int> m_aiTokensTotal{0};
  std::atomic<int> m_allStockGridBusy{0};
  AgentRoles_s m_roles;
  std::map<uint8_t, int32_t> m_instanceCounts;
  std::wstring m_loginAccount;
  std::wstring m_loginKey;
  std::wstring m_loginSecret;
  bool m_autoLoginOn = false;
  std::unique_ptr<CURL, void (*)(CURL*)> m_uiCurl{nullptr, curl_easy_cleanup};

  std::atomic<int> m_sellPassRunning{0};
  app_run_setting_s* m_runSetting = nullptr;
  sqlite3* m_dataDb = nullptr;
  std::atomic<bool> m_syncRunning{false};
  // The real-time quote client: made, replaced and ended under its lock, used through a copy.
  std::mutex m_quoteStreamLock;
  std::shared_ptr<CWebSocketQuoteThread> m_quoteStream;
  std::atomic<int> m_quoteStreamRunning{0};
  // Held while the feed is called, so a window removing its feed never sees a call after.
  std::mutex m_conditionFeedLock;
  ConditionFeed_s m_conditionFeed;
  // The Kiwoom client's condition sink, handing to the feed.
  KiwoomConditionSink_s ConditionSinkToFeed();
  std::unique_ptr<CHoldingsSyncWorker> m_holdingsSync;
  std::unique_ptr<CCafeService> m_cafe;
};
