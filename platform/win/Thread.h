#pragma once
// A thread that is started with a function and joined with a time limit. A thread that does not
// end in time keeps running on its own; the object lets go of it when destroyed.

#include <functional>
#include <memory>
#include <vector>

#include "platform/win/Clock.h"
#include "platform/win/WinTypes.h"

namespace orv::win {

class Thread {
 public:
  Thread() = default;
  // Joins a thread that has ended; lets go of one that is still running.
  ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Starts `body` on a new thread; its result becomes the exit code (an escaping exception
  // gives -1). False when a thread was started and not yet joined, or none could be created.
  bool Start(std::function<int()> body);
  // Waits up to `timeoutMs` of real time (INFINITE: no limit) for the thread to end. True when
  // it ended (also when none was started); the object may then start a new thread.
  bool Join(DWORD timeoutMs = INFINITE);
  // True from Start until the body returned.
  bool IsRunning() const;
  // The body's result once it ended, else -1.
  int ExitCode() const;

 private:
  struct State;
  std::shared_ptr<State> state_;
};

// Waits for all `threads` together, up to `timeoutMs` of real time overall. True when every one
// ended; null entries are skipped.
bool JoinAll(const std::vector<Thread*>& threads, DWORD timeoutMs);

}  // namespace orv::win
