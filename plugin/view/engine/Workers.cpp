// The engine's worker chain: what each of the ten workers does when its event wakes it, the
// quote pacing and the account step.

#include <cwchar>

#include "platform/win/Clock.h"
#include "plugin/community/CafeService.h"
#include "plugin/view/engine/PelomarEngine.h"

namespace {
// Quote pacing: passes start about 1010 ms apart.
constexpr DWORD kQuotePassSpacingMs = 1010;
constexpr DWORD kQuotePassLongMs = 1000;
constexpr DWORD kQuoteAfterLongPassMs = 10;
constexpr DWORD kQuotePollingOffPauseMs = 100;
// A quote cycle with nobody signed in does nothing; it waits this long before looking again.
constexpr DWORD kNobodySignedInPauseMs = 500;
constexpr DWORD kAfterStepPauseMs = 10;
constexpr DWORD kAppLogKind = 4;
constexpr int kCoinMarket = 9;
}  // namespace

void CPelomarEngine::InstallWorkerBodies() {
  for (int i = 0; i < kEngineWorkerCount; ++i)
    SetWorkerBody(static_cast<EngineWorker>(i), [](CPelomarEngine& engine, EngineWorker worker) {
      engine.RunWorkerStep(worker, engine.WorkerCurl(worker));
    });
}

CURL* CPelomarEngine::WorkerCurl(EngineWorker worker) const {
  return m_workerCurls[static_cast<int>(worker)].load();
}

void CPelomarEngine::PauseWorker(DWORD ms) {
  if (m_stopEvent)
    m_stopEvent->Wait(ms);
  else
    orv::win::Sleep(ms);
}

void CPelomarEngine::LogApp(const std::wstring& text) {
  m_logs.AddLogMsg(0, kAppLogKind, 0, L"", text.c_str(), 0);
}

int CPelomarEngine::AccountStep(CURL* curl, int accountsEmpty, int* changeCount) {
  // The balance read settles the open orders it can: note when it began and which holdings
  // it refreshes.
  const int64_t readStart = WallClockMs();
  const std::map<std::string, uint32_t> passes = OpenOrderPasses();
  uint32_t held = 0;
  const int result = QueryAccountsAndBalances(curl, 1, &held, accountsEmpty);
  if (changeCount) *changeCount = static_cast<int>(held);
  SettleOpenOrders(readStart, passes);
  m_lastAccountQueryTick.store(orv::win::GetTickCount());
  // The side panel shows every pass, also one that changed no holding.
  m_accountSummaryDue.store(1);
  wchar_t line[100];
  std::swprintf(line, sizeof line / sizeof line[0], L"> 계좌 조회 수행 완료 (종목수 : %d)", result);
  LogApp(line);
  return result;
}

void CPelomarEngine::RunQuoteCycle(CURL* curl, int market) {
  if (m_signedInUser.load() <= 0) {
    PauseWorker(kNobodySignedInPauseMs);
    return;
  }
  if (m_quotePolling.load() == 0) {
    PauseWorker(kQuotePollingOffPauseMs);
    return;
  }
  m_quotePassesInFlight.fetch_add(1);
  const DWORD start = RunQuotePass(curl, market);
  m_quotePassesInFlight.fetch_sub(1);
  if (start == 0) return;  // the pass ended because the workers stop
  const DWORD elapsed = orv::win::TickElapsed(start, orv::win::GetTickCount());
  PauseWorker(elapsed < kQuotePassLongMs ? kQuotePassSpacingMs - elapsed : kQuoteAfterLongPassMs);
}

void CPelomarEngine::RunSimulationStep() {
  m_simulationInRun.store(1);
  m_simulationBusy.store(1);
  RunPriceSimulation();
  m_simulationBusy.store(0);
  m_simulationInRun.store(0);
}

void CPelomarEngine::RunWorkerStep(EngineWorker worker, CURL* curl) {
  switch (worker) {
    case EngineWorker::kAccount: {
      ResetWorkEvent(worker);
      // A token renewal the tick asked for goes first: the account query then sends the
      // renewed tokens.
      if (m_tokenRenewal.exchange(0) != 0) RenewDueLogins(curl);
      bool accountsEmpty;
      {
        orv::win::CSingleLock lock(&m_viewLock, TRUE);
        accountsEmpty = m_accounts.empty();
      }
      int changes = 0;
      AccountStep(curl, accountsEmpty ? 1 : 0, &changes);
      if (changes > 0) m_accountRefresh.store(1);
      const int chart = m_chartPass.load();
      if (chart == kChartPassDone) {
        SetWorkEvent(EngineWorker::kQuote);
        SetWorkEvent(EngineWorker::kCoinQuote);
      } else if (chart != kChartPassRunning) {
        SetWorkEvent(EngineWorker::kChart);
      }
      break;
    }
    case EngineWorker::kQuote:
      // The quote events stay set: the worker keeps polling until the stop.
      RunQuoteCycle(curl, m_currentMarket.load());
      // Each round hands the real-time quote client the quote list again.
      RefreshQuoteStream();
      break;
    case EngineWorker::kCoinQuote:
      RunQuoteCycle(curl, kCoinMarket);
      break;
    case EngineWorker::kAutoBuy:
      ResetWorkEvent(worker);
      RunAutoBuyWorker(curl);
      break;
    case EngineWorker::kSimulation:
      ResetWorkEvent(worker);
      RunSimulationStep();
      PauseWorker(kAfterStepPauseMs);
      break;
    case EngineWorker::kAi:
      // The AI analysis is not built: its worker only takes its event back.
      ResetWorkEvent(worker);
      break;
    case EngineWorker::kCafeList:
      // Held back while a simulation runs: the event stays set and is served after it.
      if (m_simulationRunning.load() != 0) {
        PauseWorker(kAfterStepPauseMs);
        break;
      }
      ResetWorkEvent(worker);
      m_cafe->RunPass(curl);
      break;
    case EngineWorker::kSell:
      ResetWorkEvent(worker);
      RunSellPass(curl);
      break;
    case EngineWorker::kMasterCode:
      // Reset before the work, so a login during it runs the work once more.
      ResetWorkEvent(worker);
      LoadMasterCodes(curl, m_masterCodeCount.load(), 0);
      m_lastAccountQueryTick.store(orv::win::GetTickCount());
      SetWorkEvent(EngineWorker::kAccount);
      break;
    case EngineWorker::kChart:
      // Held back while a simulation runs: the event stays set and is looked at again.
      if (m_simulationRunning.load() != 0) {
        PauseWorker(kAfterStepPauseMs);
        break;
      }
      ResetWorkEvent(worker);
      m_chartPass.store(kChartPassRunning);
      m_chartPassResult.store(QueryHeldStockCharts(curl));
      m_chartPass.store(kChartPassDone);
      SetWorkEvent(EngineWorker::kQuote);
      SetWorkEvent(EngineWorker::kCoinQuote);
      PauseWorker(kAfterStepPauseMs);
      break;
  }
}
