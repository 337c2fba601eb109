#include "plugin/monitor/core/MonitoringThread.h"

namespace {
constexpr int kScanMode = 8;
}  // namespace

CMonitoringThread::CMonitoringThread(std::function<bool()> hostRunning,
                                     std::function<void()> refreshGrid)
    : m_hostRunning(std::move(hostRunning)), m_refreshGrid(std::move(refreshGrid)) {}

CMonitoringThread::~CMonitoringThread() { Stop(); }

bool CMonitoringThread::Start() {
  if (m_thread) return true;
  m_run.store(1);
  m_stop.Reset();
  m_thread = std::make_unique<orv::win::Thread>();
  if (!m_thread->Start([this] { return Run(); })) {
    m_thread.reset();
    m_run.store(0);
    return false;
  }
  return true;
}

void CMonitoringThread::Stop() {
  m_run.store(0);
  scanRunning.store(0);
  m_stop.Set();
  if (m_thread) {
    m_thread->Join();
    m_thread.reset();
  }
}

bool CMonitoringThread::Pause(DWORD ms) {
  if (m_stop.Wait(ms) == WAIT_OBJECT_0) {
    // The loop's own waits see the stop too.
    m_stop.Set();
    return false;
  }
  return m_run.load() != 0;
}

int CMonitoringThread::Run() {
  if (!enabled.load() || !m_run.load()) return 0;
  m_inLoop.store(1);
  auto going = [this] { return m_run.load() && m_hostRunning(); };
  while (going()) {
    const DWORD woke = orv::win::WaitForAny({&m_stop, &m_spare, &m_scan}, kHostCheckMs);
    if (woke == WAIT_TIMEOUT) continue;  // the host's running flag is looked at again
    if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) break;
    if (woke == WAIT_OBJECT_0 + 1) m_spare.Reset();
    if (woke == WAIT_OBJECT_0 + 2) {
      m_scan.Reset();
      scanWakes.fetch_add(1);
      while (scanRunning.load() && going()) {
        if (mode.load() == kScanMode && m_scanPass) m_scanPass();
        if (gridDirty.exchange(0) && m_refreshGrid) m_refreshGrid();
        // The pause ends at once on a stop.
        if (m_stop.Wait(kPassPauseMs) == WAIT_OBJECT_0) break;
      }
    }
    if (m_stop.Wait(kWakePauseMs) == WAIT_OBJECT_0 || !m_run.load()) break;
  }
  m_stop.Reset();
  m_inLoop.store(0);
  return 0;
}
