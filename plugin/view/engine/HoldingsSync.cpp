// The holdings-sync worker in the engine's worker table: made and started with the workers,
// stopped through the shared stop event and joined with them.

#include "plugin/community/HoldingsSyncWorker.h"
#include "plugin/view/engine/PelomarEngine.h"

namespace {
constexpr DWORD kSyncLogKind = 4;
}  // namespace

void CPelomarEngine::StartHoldingsSync() {
  if (m_holdingsSync || !m_stopEvent) return;
  m_syncRunning.store(true);
  auto worker = std::make_unique<CHoldingsSyncWorker>(
      *m_stopEvent, m_syncRunning,
      [this](const wchar_t* text) { m_logs.AddLogMsg(0, kSyncLogKind, 0, L"", text, 0); });
  if (worker->Start()) m_holdingsSync = std::move(worker);
}

void CPelomarEngine::StopHoldingsSync() {
  m_syncRunning.store(false);
  if (!m_holdingsSync) return;
  // The stop event is set by the caller; a worker that does not end in time is kept, so
  // its thread never outlives what it uses.
  if (m_holdingsSync->Join(kStopWaitMs)) m_holdingsSync.reset();
}
