#include "plugin/community/HoldingsSyncWorker.h"

CHoldingsSyncWorker::CHoldingsSyncWorker(orv::win::CEvent& stopEvent,
                                         const std::atomic<bool>& running, LogFn log)
    : m_stopEvent(stopEvent), m_running(running), m_log(std::move(log)) {}

CHoldingsSyncWorker::~CHoldingsSyncWorker() { m_thread.Join(); }

bool CHoldingsSyncWorker::Start() {
  return m_thread.Start([this] { return HoldingsSyncThreadProc(this); });
}

bool CHoldingsSyncWorker::Join(DWORD timeoutMs) { return m_thread.Join(timeoutMs); }

int CHoldingsSyncWorker::HoldingsSyncThreadProc(CHoldingsSyncWorker* worker) {
  if (!worker) return 0;
  CURL* curl = curl_easy_init();
  while (worker->m_running.load()) {
    // The stop event comes first so that it wins when both are set.
    const DWORD fired =
        orv::win::WaitForAny({&worker->m_stopEvent, &worker->m_syncEvent}, INFINITE);
    if (fired != WAIT_OBJECT_0 + 1 || !worker->m_running.load()) break;
    worker->m_syncEvent.Reset();
    worker->SyncHoldings(curl);
  }
  if (curl) curl_easy_cleanup(curl);
  return 0;
}

void CHoldingsSyncWorker::SyncHoldings(CURL*) {
  ++m_steps;
  if (m_log) m_log(L"▶ 내 보유 종목 서버 동기화...\n");
}
