// The price simulation: the simulation worker replays a day's price log (mode 1) or moves the
// held stocks' prices by a list of change rates (mode 2). The prices it writes reach the rules
// as pushed quotes do; no order reaches a broker while it runs (the order routine and every
// agent refuse while the mode is set), and orders the rules queued from simulated prices are
// dropped when the run ends, so none of them goes out afterwards.

#include <cwchar>
#include <vector>

#include "platform/win/Clock.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "plugin/view/engine/TextFormat.h"

namespace {
constexpr int kTradingLineSimulationOff = 65;
constexpr int kStatusKind = 3;
constexpr int kStatusSimulation = 9;
constexpr DWORD kStatusEveryMs = 1000;
constexpr DWORD kRunEndPauseMs = 100;
constexpr DWORD kReadingPopupMs = 30000;
constexpr DWORD kStartedPopupMs = 3000;
constexpr DWORD kEndedPopupMs = 1000;

// Milliseconds since midnight of a record's time.
int64_t RecordMs(const PriceLogRecord_s& record) {
  const SYSTEMTIME& t = record.time;
  return ((static_cast<int64_t>(t.wHour) * 60 + t.wMinute) * 60 + t.wSecond) * 1000 +
         t.wMilliseconds;
}

double BasePrice(double price, double rate) {
  const double factor = 1.0 + rate / 100.0;
  return factor > 0 ? price / factor : price;
}

double NewPrice(double base, double rate) { return base * (1.0 + rate / 100.0); }
}  // namespace

int CPelomarEngine::ArmPriceSimulation(int mode, const std::string& path) {
  if (mode != kSimulationReplay && mode != kSimulationRates) return 0;
  if (m_simulationRunning.load() != 0 || m_simulationBusy.load() != 0) return 0;
  {
    std::lock_guard<std::mutex> lock(m_simulationFileLock);
    m_simulationFile = path;
  }
  int count = 1;
  if (mode == kSimulationRates) {
    // The worker is idle (no mode, not busy): the series is the user-interface thread's now.
    count = m_priceSeries.ReadPriceLog(path, CPriceSeries::kModeRates, kSimulationStartHhmm,
                                       nullptr);
    if (count <= 0) return 0;
  }
  m_simulationRunning.store(mode);
  SetWorkEvent(EngineWorker::kSimulation);
  return count;
}

void CPelomarEngine::StopPriceSimulation() {
  m_simulationBusy.store(0);
  // A run in progress drops the mode itself once the orders it queued are gone; until then
  // the order routine keeps refusing.
  if (m_simulationInRun.load() == 0) m_simulationRunning.store(0);
  WriteNoticeTradingLine(kTradingLineSimulationOff, L"가격 시뮬레이션 해제");
}

void CPelomarEngine::ShowSimulationPopup(const wchar_t* text, const wchar_t* caption,
                                         DWORD timeoutMs) {
  if ((m_popupMode.load() & 7) != 0 && m_window)
    m_window->ShowWaitingPopup(true, text, caption, timeoutMs);
}

void CPelomarEngine::RunPriceSimulation() {
  const int mode = m_simulationRunning.load();
  if (mode == kSimulationReplay)
    RunReplaySimulation();
  else if (mode == kSimulationRates)
    RunRateSimulation();
  // Orders the rules queued from simulated prices never go out: they leave the queue before
  // the mode drops.
  {
    orv::win::CSingleLock lock(&m_viewLock, TRUE);
    m_orderQueue.clear();
    DropQueueIndexUnderLock();
  }
  m_simulationRunning.store(0);
  ShowSimulationPopup(L"시뮬레이션 종료 되었습니다.\n창은 닫으셔도 됩니다\n", L"시세 시뮬레이션 종료",
                      kEndedPopupMs);
}

void CPelomarEngine::RunReplaySimulation() {
  m_simulationProgress.store(0);
  std::string path;
  {
    std::lock_guard<std::mutex> lock(m_simulationFileLock);
    path = m_simulationFile;
  }
  wchar_t text[200];
  std::swprintf(text, sizeof text / sizeof text[0],
                L"%04d 이후 데이터 읽는중\n잠시만 기다려 주세요\n", kSimulationStartHhmm);
  ShowSimulationPopup(text, L"시뮬레이션 데이터 읽는중", kReadingPopupMs);
  const int count = m_priceSeries.ReadPriceLog(path, 1, kSimulationStartHhmm, nullptr);
  m_simulationCount.store(count);
  m_simulationPosition.store(0);
  if (count > 0) {
    std::swprintf(text, sizeof text / sizeof text[0],
                  L"%04d 이후 데이터부터 %d개 시뮬레이션\n창을 닫으셔도 됩니다\n",
                  kSimulationStartHhmm, count);
    ShowSimulationPopup(text, L"시뮬레이션 시작됨", kStartedPopupMs);
    const std::vector<PriceLogRecord_s>& records = m_priceSeries.Records();
    DWORD lastReport = orv::win::GetTickCount();
    int64_t previous = 0;
    for (int position = 0; position < count; ++position) {
      if (!IsRunning() || m_simulationBusy.load() == 0 || m_simulationRunning.load() == 0 ||
          m_signedInUser.load() <= 0)
        break;
      const PriceLogRecord_s& record = records[position];
      m_simulationPosition.store(position);
      const int64_t stamp = RecordMs(record);
      if (position > 0) {
        // A gap of a minute or more (a pause in the log) is not waited for.
        const int64_t gap = stamp - previous;
        const auto wait = static_cast<int64_t>(gap / kSimulationSpeedDivisor);
        if (wait > 0 && gap < static_cast<int64_t>(kSimulationMaxGapMs))
          PauseWorker(static_cast<DWORD>(wait));
      }
      previous = stamp;
      const double progress = (position + 1) * 100.0 / count;
      m_simulationProgress.store(progress);
      bool found = false;
      {
        orv::win::CSingleLock lock(&m_viewLock, TRUE);
        if (Stock_s* stock =
                m_stocks.FindMasterStock(static_cast<uint8_t>(record.market), record.code)) {
          if (stock->changed == 0) stock->changed = stock->cur_price != record.values[0] ? 1 : 0;
          stock->cur_price = record.values[0];
          stock->change_rate = record.values[1];
          stock->open_price = record.values[2];
          stock->low_price = record.values[3];
          stock->high_price = record.values[4];
          found = true;
        }
      }
      // The rules see the price as they see a pushed quote.
      if (found) ApplyPushedQuotes();
      const DWORD now = orv::win::GetTickCount();
      if (orv::win::TickElapsed(lastReport, now) > kStatusEveryMs && m_window) {
        lastReport = now;
        wchar_t status[160];
        std::swprintf(status, sizeof status / sizeof status[0], L"SIM[%ls] %.2f%%(%d/%d)",
                      record.time_text, progress, position, count);
        m_window->NotifyHostValues(kStatusKind, kStatusSimulation, position, count, status, L"");
      }
    }
  }
  PauseWorker(kRunEndPauseMs);
  m_priceSeries.ClearPriceSeries();
  m_simulationCount.store(0);
  m_simulationPosition.store(0);
}

void CPelomarEngine::RunRateSimulation() {
  const std::vector<double> rates = m_priceSeries.Rates();
  if (rates.empty()) return;
  std::vector<Stock_s*> held;
  {
    orv::win::CSingleLock lock(&m_viewLock, TRUE);
    for (int i = 0; i < CStockLists::kHeldCount; ++i)
      for (const auto& entry : m_stocks.Held(i)) {
        Stock_s* stock = entry.second;
        stock->sim_base_price = BasePrice(stock->cur_price, stock->change_rate);
        held.push_back(stock);
      }
  }
  m_simulationCount.store(static_cast<int>(rates.size()));
  for (size_t k = 0;; ++k) {
    if (!IsRunning() || m_simulationBusy.load() == 0 || m_simulationRunning.load() == 0) break;
    const double rate = rates[k % rates.size()];
    m_simulationPosition.store(static_cast<int>(k % rates.size()));
    {
      orv::win::CSingleLock lock(&m_viewLock, TRUE);
      for (Stock_s* stock : held) {
        stock->change_rate += rate;
        const double price = NewPrice(stock->sim_base_price, stock->change_rate);
        if (stock->changed == 0) stock->changed = price != stock->cur_price ? 1 : 0;
        stock->cur_price = price;
      }
    }
    ApplyPushedQuotes();
    PauseWorker(kSimulationRateStepMs);
  }
  m_priceSeries.ClearPriceSeries();
  m_simulationCount.store(0);
  m_simulationPosition.store(0);
}
