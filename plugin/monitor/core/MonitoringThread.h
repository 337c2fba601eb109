#pragma once
// The monitoring view's worker: it waits for one of three events (stop, spare, scan); a scan
// wake runs the scan loop while the view's scan switch, the host's running flag and its own
// run flag stay on, refreshing the grid when it is dirty and pausing 100 ms between passes.
// While it waits it looks at the host's running flag every 100 ms and ends once the host stops
// running (the window thread is not woken for that). Stop clears the run flag, sets the stop
// event and joins the thread, so whatever the thread reads may be freed once Stop returns.

#include <atomic>
#include <functional>
#include <memory>

#include "platform/win/Event.h"
#include "platform/win/Thread.h"

class CMonitoringThread {
 public:
  // The loop's pause between passes and after each wake.
  static constexpr DWORD kPassPauseMs = 100;
  static constexpr DWORD kWakePauseMs = 20;
  // How often a waiting thread looks at the host's running flag.
  static constexpr DWORD kHostCheckMs = 100;

  // `hostRunning` answers whether the host still runs; `refreshGrid` is called (on this
  // thread) when the grid is dirty and must hand the work to the window's thread.
  CMonitoringThread(std::function<bool()> hostRunning, std::function<void()> refreshGrid);
  ~CMonitoringThread();
  CMonitoringThread(const CMonitoringThread&) = delete;
  CMonitoringThread& operator=(const CMonitoringThread&) = delete;

  // Starts the thread unless one runs (run flag 1); false when it could not start.
  bool Start();
  // Run flag 0, stop event set, then the thread is joined. Safe to call twice.
  void Stop();
  bool Running() const { return m_inLoop.load() != 0; }
  // A thread was started and not stopped since (on the thread that starts and stops it).
  bool Started() const { return m_thread != nullptr; }

  // The pass run on each turn of the scan loop in the whole-market scan mode (set before
  // Start). It may call Going and Pause.
  void SetScanPass(std::function<void()> pass) { m_scanPass = std::move(pass); }
  // Whether a pass may go on: scan switch, run flag and host all on.
  bool Going() const { return scanRunning.load() && m_run.load() && m_hostRunning(); }
  // Waits up to ms on the thread; false (the stop event left set for the loop) when a stop
  // ended the wait or the run flag is off.
  bool Pause(DWORD ms);

  // Wakes the thread for a scan (the automatic-buy switch turned on).
  void SetScanEvent() { m_scan.Set(); }
  // Ends the thread's wait.
  void SetStopEvent() { m_stop.Set(); }

  // Shared with the view's window thread.
  std::atomic<int> scanRunning{0};
  std::atomic<int> gridDirty{0};
  std::atomic<int> enabled{1};
  // The view's mode; the scan loop runs the pass only in the whole-market scan mode (8).
  std::atomic<int> mode{8};
  // Scan wakes served (each runs the loop until the switch goes off).
  std::atomic<int> scanWakes{0};

 private:
  int Run();

  std::function<bool()> m_hostRunning;
  std::function<void()> m_refreshGrid;
  std::function<void()> m_scanPass;
  orv::win::CEvent m_stop;
  orv::win::CEvent m_spare;
  orv::win::CEvent m_scan;
  std::atomic<int> m_run{0};
  std::atomic<int> m_inLoop{0};
  std::unique_ptr<orv::win::Thread> m_thread;
};
