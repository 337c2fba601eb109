#pragma once
// The holdings-sync worker: one of the trading engine's workers, owned by its worker table and
// started and stopped with the others. It waits for its own sync event or the workers' shared
// stop event; each sync event runs one sync step. It keeps its own HTTP handle for the life of
// its thread.

#include <curl/curl.h>

#include <atomic>
#include <functional>

#include "platform/win/Event.h"
#include "platform/win/Thread.h"

class CHoldingsSyncWorker {
 public:
  // A line for the application log (the view's AddLogMsg); called on the worker's thread.
  using LogFn = std::function<void(const wchar_t*)>;

  // The stop event and the run flag are the worker table's, shared by all workers; both
  // outlive this object.
  CHoldingsSyncWorker(orv::win::CEvent& stopEvent, const std::atomic<bool>& running, LogFn log);
  // Joins the thread (the owner sets the stop event first).
  ~CHoldingsSyncWorker();
  CHoldingsSyncWorker(const CHoldingsSyncWorker&) = delete;
  CHoldingsSyncWorker& operator=(const CHoldingsSyncWorker&) = delete;

  // Starts the thread; false when it runs already or cannot start.
  bool Start();
  // Waits for the thread to end (the owner has set the stop event or cleared the run flag).
  bool Join(DWORD timeoutMs = INFINITE);
  bool IsRunning() const { return m_thread.IsRunning(); }

  // The worker's own event: one sync step.
  orv::win::CEvent& SyncEvent() { return m_syncEvent; }
  // Sync steps run so far.
  int StepCount() const { return m_steps.load(); }

  // The thread's loop; answers 0 when it ends.
  static int HoldingsSyncThreadProc(CHoldingsSyncWorker* worker);

 private:
  // One sync step: it writes the log line and sends nothing.
  void SyncHoldings(CURL* curl);

  orv::win::CEvent& m_stopEvent;
  const std::atomic<bool>& m_running;
  LogFn m_log;
  orv::win::CEvent m_syncEvent;
  std::atomic<int> m_steps{0};
  orv::win::Thread m_thread;
};
