#include "plugin/view/engine/PelomarEngine.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include "platform/stocklib/StockAgentBase.h"
#include "platform/support/StockOptionStore.h"
#include "platform/support/TextConv.h"
#include "platform/win/Clock.h"
#include "plugin/community/CafeService.h"
#include "plugin/community/HoldingsSyncWorker.h"
#include "plugin/view/engine/OrderSender.h"
#include "plugin/view/engine/TextFormat.h"
#include "plugin/view/engine/TradingOptions.h"

using orv::win::CEvent;
using orv::win::CSingleLock;

namespace {
constexpr int kOptionAppIdx = 1;
constexpr int kOptionSiteIdx = 1;
// Kind of the trading-log line that records a configuration save.
constexpr int kTradingLineOptionSaved = 66;

int Index(EngineWorker worker) { return static_cast<int>(worker); }
}  // namespace

CPelomarEngine::CPelomarEngine(IEngineWindow* window)
    : m_window(window), m_stocks(m_viewLock, window) {
  std::copy(std::begin(kDefaultTradingHours), std::end(kDefaultTradingHours), m_tradingHours);
  SetDefaultStockOptions(&m_option);
  m_logs.SetLogPane(window);
  InstallWorkerBodies();
  m_cafe = MakeCafeService();
}

CPelomarEngine::~CPelomarEngine() {
  StartQuoteWebSockets(nullptr, 0);
  JoinCodeUpdateThread();
  StopWorkerThreads();
  CloseEvents();
  ReleaseEngineData();
}

// ---------------------------------------------------------------------------------------
// Events and workers

int CPelomarEngine::CreateEvents() {
  if (m_stopEvent) return 0;
  m_stopEvent = std::make_unique<CEvent>(false);
  for (auto& event : m_workEvents) event = std::make_unique<CEvent>(false);
  return 1;
}

void CPelomarEngine::CloseEvents() {
  // Workers still waiting on the events would be left with dangling handles.
  if (m_workersInLoop.load() != 0) return;
  m_stopEvent.reset();
  for (auto& event : m_workEvents) event.reset();
}

CEvent* CPelomarEngine::WorkEvent(EngineWorker worker) const {
  return m_workEvents[Index(worker)].get();
}

bool CPelomarEngine::SetWorkEvent(EngineWorker worker) {
  CEvent* event = WorkEvent(worker);
  if (!event) return false;
  event->Set();
  return true;
}

bool CPelomarEngine::ResetWorkEvent(EngineWorker worker) {
  CEvent* event = WorkEvent(worker);
  if (!event) return false;
  event->Reset();
  return true;
}

void CPelomarEngine::SetWorkerBody(EngineWorker worker, WorkerBody body) {
  m_workerBodies[Index(worker)] = std::move(body);
}

int CPelomarEngine::StartWorkerThreads() {
  if (!m_stopEvent || m_threadsStarted.load() != 0) return 0;
  m_threadsStarted.store(1);
  m_threadsRunning.store(1);
  int started = 0;
  for (int i = 0; i < kEngineWorkerCount; ++i) {
    auto thread = std::make_unique<orv::win::Thread>();
    const auto worker = static_cast<EngineWorker>(i);
    m_workersInLoop.fetch_add(1);
    if (thread->Start([this, worker] {
          WorkerLoop(worker);
          m_workersInLoop.fetch_sub(1);
          return 0;
        })) {
      m_workers[i] = std::move(thread);
      ++started;
    } else {
      m_workersInLoop.fetch_sub(1);
    }
  }
  StartHoldingsSync();
  StartOrderSender();
  return started;
}

void CPelomarEngine::WorkerLoop(EngineWorker worker) {
  CEvent* own = WorkEvent(worker);
  CEvent* stop = m_stopEvent.get();
  // Each worker has its own HTTP handle; the simulation makes no requests.
  CURL* curl = worker == EngineWorker::kSimulation ? nullptr : curl_easy_init();
  m_workerCurls[Index(worker)].store(curl);
  while (m_threadsRunning.load() == 1) {
    const DWORD fired = orv::win::WaitForAny({own, stop}, INFINITE);
    if (m_threadsRunning.load() == 0 || fired != WAIT_OBJECT_0) break;
    const WorkerBody& body = m_workerBodies[Index(worker)];
    if (body)
      body(*this, worker);
    else
      own->Reset();
  }
  m_workerCurls[Index(worker)].store(nullptr);
  if (curl) curl_easy_cleanup(curl);
}

bool CPelomarEngine::StopWorkerThreads() {
  const bool allEnded = JoinWorkers();
  m_resumeWorkers = false;
  m_logs.CloseLogs();
  return allEnded;
}

bool CPelomarEngine::JoinWorkers() {
  m_threadsRunning.store(0);
  m_threadsStarted.store(0);
  // Transfers in flight end through libcurl's progress callback instead of their time-out.
  m_abortTransfers.store(1);
  if (m_stopEvent) m_stopEvent->Set();
  std::vector<orv::win::Thread*> threads;
  for (auto& t : m_workers)
    if (t) threads.push_back(t.get());
  const bool allEnded = threads.empty() || orv::win::JoinAll(threads, kStopWaitMs);
  for (auto& t : m_workers) t.reset();
  StopHoldingsSync();
  StopOrderSender();
  // A worker that is still out keeps the abort on, so its transfer cannot go on either.
  if (allEnded) m_abortTransfers.store(0);
  return allEnded;
}

bool CPelomarEngine::SuspendWorkers() {
  m_resumeWorkers = m_threadsStarted.load() != 0;
  if (!m_resumeWorkers) return m_workersInLoop.load() == 0;
  return JoinWorkers();
}

void CPelomarEngine::ResumeWorkers() {
  if (!m_resumeWorkers) return;
  m_resumeWorkers = false;
  // A worker that did not end would run twice.
  if (m_workersInLoop.load() != 0 || !m_stopEvent) return;
  m_stopEvent->Reset();
  StartWorkerThreads();
}

int CPelomarEngine::RunningWorkerCount() const { return m_workersInLoop.load(); }

// ---------------------------------------------------------------------------------------
// Trading configuration

int CPelomarEngine::OpenOptionsDb(const std::string& utf8Path) {
  if (!m_optionsDb) m_optionsDb = GfxOpenOptionsDb(utf8Path.c_str());
  return m_optionsDb ? 1 : 0;
}

int CPelomarEngine::LoadStockOption() {
  if (!m_optionsDb) return -1;
  const int result = GfxLoadStockOption(m_optionsDb, kOptionAppIdx, kOptionSiteIdx, &m_option);
  // A sealed broker key that does not open is left out, never read as garbage: the user enters
  // it again.
  if (result < -1)
    LogApp(L"설정 DB의 증권사 앱 키를 열 수 없습니다 (다른 설치의 키이거나 손상됨): 키를 다시 "
           L"입력하세요");
  return result;
}

int CPelomarEngine::SaveChangedStockOption() {
  const uint8_t mark = m_option.changed;
  if (mark == 0) return 0;
  if (!m_optionsDb) return SQLITE_CANTOPEN;
  const int rc =
      mark == 2 ? GfxSaveStockAccItemsInfo(m_optionsDb, kOptionAppIdx, kOptionSiteIdx, &m_option)
                : GfxSaveStockOption(m_optionsDb, kOptionAppIdx, kOptionSiteIdx, &m_option, nullptr,
                                     nullptr);
  if (rc != 0) return rc;
  m_option.changed = 0;
  // The trading log records the save on a line of its own.
  WriteNoticeTradingLine(kTradingLineOptionSaved, L"STK.OPT.SAVE");
  return 0;
}

void CPelomarEngine::WriteNoticeTradingLine(int code, const wchar_t* text) {
  Stock_s marker;
  marker.name = text;
  TradingLine_s line;
  line.result_code = code;
  line.result_msg = text;
  m_logs.WriteTradingLine(nullptr, &marker, line);
}

// ---------------------------------------------------------------------------------------
// Data and lookups

uint32_t CPelomarEngine::MakeAgentKey(uint8_t marketKind, uint8_t brokerId, uint8_t instance) {
  return (static_cast<uint32_t>(marketKind) << 16) | (static_cast<uint32_t>(brokerId) << 8) |
         instance;
}

CStockAgentBase* CPelomarEngine::FindAgent(uint32_t key) const {
  auto it = m_agents.find(key);
  return it == m_agents.end() ? nullptr : it->second.get();
}

const std::wstring& CPelomarEngine::ResolveCaCertPath() {
  m_caCertPath = m_programFolder + L"Settings/cacert.pem";
  struct stat info {};
  if (stat(WideToUtf8(m_caCertPath).c_str(), &info) != 0 || !S_ISREG(info.st_mode))
    m_caCertPath.clear();
  return m_caCertPath;
}

group_info_s* CPelomarEngine::FindAccount(const wchar_t* accountNo) const {
  if (!accountNo || !*accountNo) return nullptr;
  auto it = m_accounts.find(accountNo);
  return it == m_accounts.end() ? nullptr : it->second;
}

int CPelomarEngine::GetMyStockCount(wchar_t* buffer, size_t bufferLen) {
  CSingleLock lock(&m_viewLock, TRUE);
  StockViewMap& list = m_stocks.MyList(CStockLists::kMyDomestic);
  const int count = static_cast<int>(list.size());
  if (buffer && bufferLen > 0 && count > 0) {
    const Stock_s* first = list.begin()->second;
    const std::wstring text =
        first->name + L"(" + first->code + L")외 총 " + std::to_wstring(count) + L"개";
    StrSafeCopyW(buffer, bufferLen, text.c_str());
  }
  return count;
}

int CPelomarEngine::IsHeldStock(const wchar_t* code) const {
  if (!code) return 0;
  for (const auto& entry : const_cast<CStockLists&>(m_stocks).Holdings()) {
    const StockTrade_s* holding = entry.first;
    if (holding->quantity > 0 && std::wcscmp(holding->code, code) == 0) return 1;
  }
  return 0;
}

StockTrade_s* CPelomarEngine::FindHeldHolding(const HoldingKey_s& key) const {
  for (const auto& entry : const_cast<CStockLists&>(m_stocks).Holdings()) {
    StockTrade_s* holding = entry.first;
    if (holding->quantity > 0 && holding->account_no == key.accountNo &&
        holding->holding_kind == key.holdingKind && key.code == holding->code)
      return holding;
  }
  return nullptr;
}

bool CPelomarEngine::SetHoldingAutoTrade(const HoldingKey_s& key, bool on) {
  CSingleLock lock(&m_viewLock, TRUE);
  StockTrade_s* holding = FindHeldHolding(key);
  if (!holding) return false;
  holding->auto_trade = on ? 1 : 0;
  holding->order_count = 0;
  holding->step_orders = 0;
  return true;
}

bool CPelomarEngine::SnapshotHeldHolding(const HoldingKey_s& key, HoldingRow_s* out) {
  CSingleLock lock(&m_viewLock, TRUE);
  const StockTrade_s* holding = FindHeldHolding(key);
  if (!holding) return false;
  if (out) *out = MakeHoldingRow(*holding);
  return true;
}

int CPelomarEngine::HeldHoldingCount() {
  CSingleLock lock(&m_viewLock, TRUE);
  int count = 0;
  for (const auto& entry : m_stocks.Holdings())
    if (entry.first && entry.first->quantity > 0) ++count;
  return count;
}

bool CPelomarEngine::ApplyStairRulesToHolding(const HoldingKey_s& key,
                                              const AutoStopLossRates_s& rates, HoldingRow_s* out) {
  CSingleLock lock(&m_viewLock, TRUE);
  StockTrade_s* holding = FindHeldHolding(key);
  if (!holding) return false;
  ApplyAutoStopLossRates(holding, rates);
  if (out) *out = MakeHoldingRow(*holding);
  return true;
}

double CPelomarEngine::HeldQuantity(const HoldingKey_s& key) {
  CSingleLock lock(&m_viewLock, TRUE);
  const StockTrade_s* holding = FindHeldHolding(key);
  return holding ? holding->quantity : 0;
}

namespace {

// The queue's lookup key: the code (as far as the order compares it) and the four numbers.
std::wstring QueueKey(int marketKind, int cashCredit, int reverse, const wchar_t* code,
                      int accountIndex) {
  std::wstring key(code, wcsnlen(code, 20));
  key += L'\x1';
  for (int v : {marketKind, cashCredit, reverse, accountIndex}) {
    key += std::to_wstring(v);
    key += L',';
  }
  return key;
}

std::wstring QueueKeyOf(const StockTrade_s& order) {
  return QueueKey(order.stock ? order.stock->market : 0, order.holding_kind, order.reverse,
                  order.code, order.account_index);
}

}  // namespace

void CPelomarEngine::NoteQueuedUnderLock(StockTrade_s* holding) {
  // Kept in step only while the index matched the queue before this holding joined it.
  if (m_queueIndexSize + 1 == m_orderQueue.size()) {
    m_queueIndex.emplace(QueueKeyOf(*holding), holding);
    m_queueIndexSize = m_orderQueue.size();
  } else {
    DropQueueIndexUnderLock();
  }
}

StockTrade_s* CPelomarEngine::FindQueuedOrder(int marketKind, int cashCredit, int reverse,
                                              const wchar_t* code, int accountIndex) {
  if (!code || !*code) return nullptr;
  CSingleLock lock(&m_viewLock, TRUE);
  const std::wstring key = QueueKey(marketKind, cashCredit, reverse, code, accountIndex);
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (m_queueIndexSize != m_orderQueue.size()) {
      m_queueIndex.clear();
      for (const auto& entry : m_orderQueue) m_queueIndex.emplace(QueueKeyOf(*entry.first), entry.first);
      m_queueIndexSize = m_orderQueue.size();
    }
    auto found = m_queueIndex.find(key);
    if (found == m_queueIndex.end()) return nullptr;
    StockTrade_s* order = found->second;
    if (m_orderQueue.count(order) && QueueKeyOf(*order) == key) return order;
    DropQueueIndexUnderLock();  // the queue changed behind the index: look again
  }
  return nullptr;
}

std::wstring CPelomarEngine::FormatToday() const {
  SYSTEMTIME now;
  orv::win::GetLocalTime(&now);
  return Utf8ToWide(FormatDateKey(now));
}

// ---------------------------------------------------------------------------------------
// Teardown

void CPelomarEngine::ReleaseEngineData() {
  FreeStockData();
  GfxClearStockOption(&m_option, 1);
  m_alertSounds.clear();
  if (m_optionsDb) {
    sqlite3_close(m_optionsDb);
    m_optionsDb = nullptr;
  }
  if (m_dataDb) {
    sqlite3_close(m_dataDb);
    m_dataDb = nullptr;
  }
}

void CPelomarEngine::FreeStockData() {
  // The quote client writes into the records freed below: it ends first.
  StartQuoteWebSockets(nullptr, 0);
  m_priceSeries.ClearPriceSeries();
  {
    CSingleLock lock(&m_viewLock, TRUE);
    // The queue only points at holdings; the holdings map frees them.
    GfxStockTradeDataMap3Free(&m_orderQueue, 0);
    DropQueueIndexUnderLock();
    GfxStockTradeDataMap3Free(&m_stocks.Holdings(), 0);
    GfxStockDataListFree2(&m_spareStocks, 0, 0, 0);
    for (int i = 0; i < CStockLists::kHeldCount; ++i)
      GfxStockDataListFree2(&m_stocks.Held(i), 0, 1, 0);
    for (int i = 0; i < CStockLists::kWatchCount; ++i)
      GfxStockDataListFree2(&m_stocks.Watch(i), 0, 1, 0);
    m_autoBuyRegistry.clear();
    for (auto& quotes : m_quoteLists) GfxStockDataListFree2(&quotes, 0, 1, 0);
    for (int i = 0; i < CStockLists::kMyListCount; ++i)
      m_stocks.MyList(static_cast<CStockLists::MyListIndex>(i)).clear();
  }
  GfxGroupInfoMapClear(&m_accounts);
  m_agents.clear();
  m_roles = AgentRoles_s();
  GfxStockDataListFree2(&m_stocks.Master(), 0, 1, 0);
}
