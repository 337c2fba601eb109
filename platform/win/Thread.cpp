#include "platform/win/Thread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace orv::win {

// Shared with the running thread, so that a thread outliving its object touches nothing freed.
// Joining is bounded by real time: a thread's end is real work, not a paced pause of the program.
struct Thread::State {
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  int exitCode = -1;
  std::thread thread;
};

namespace {

using SteadyTime = std::chrono::steady_clock::time_point;

SteadyTime Deadline(DWORD timeoutMs) {
  return std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
}

}  // namespace

Thread::~Thread() {
  if (!state_ || !state_->thread.joinable()) return;
  bool done;
  {
    std::lock_guard<std::mutex> guard(state_->mutex);
    done = state_->done;
  }
  if (done) {
    state_->thread.join();
  } else {
    state_->thread.detach();
  }
}

bool Thread::Start(std::function<int()> body) {
  if (!body || IsRunning()) return false;
  if (state_ && state_->thread.joinable()) state_->thread.join();  // ended, not yet joined
  auto state = std::make_shared<State>();
  try {
    state->thread = std::thread([state, body = std::move(body)] {
      int code = -1;
      try {
        code = body();
      } catch (...) {
        code = -1;
      }
      {
        std::lock_guard<std::mutex> guard(state->mutex);
        state->exitCode = code;
        state->done = true;
      }
      state->ended.notify_all();
    });
  } catch (...) {
    return false;
  }
  state_ = std::move(state);
  return true;
}

namespace {

// Waits for the state's end until `deadline` (none when `unlimited`).
template <typename StatePtr>
bool WaitEnded(const StatePtr& state, bool unlimited, SteadyTime deadline) {
  std::unique_lock<std::mutex> lock(state->mutex);
  auto done = [&] { return state->done; };
  if (unlimited) {
    state->ended.wait(lock, done);
    return true;
  }
  return state->ended.wait_until(lock, deadline, done);
}

}  // namespace

bool Thread::Join(DWORD timeoutMs) {
  if (!state_) return true;
  if (!WaitEnded(state_, timeoutMs == INFINITE, Deadline(timeoutMs))) return false;
  if (state_->thread.joinable()) state_->thread.join();
  return true;
}

bool Thread::IsRunning() const {
  if (!state_) return false;
  std::lock_guard<std::mutex> guard(state_->mutex);
  return !state_->done;
}

int Thread::ExitCode() const {
  if (!state_) return -1;
  std::lock_guard<std::mutex> guard(state_->mutex);
  return state_->exitCode;
}

bool JoinAll(const std::vector<Thread*>& threads, DWORD timeoutMs) {
  SteadyTime deadline = Deadline(timeoutMs);
  bool all = true;
  for (Thread* thread : threads) {
    if (!thread) continue;
    DWORD left = INFINITE;
    if (timeoutMs != INFINITE) {
      // Rounded up, so that no thread is given up on before the common deadline.
      auto rest =
          std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      left = rest.count() > 0 ? static_cast<DWORD>(rest.count()) : 0;
    }
    if (!thread->Join(left)) all = false;
  }
  return all;
}

}  // namespace orv::win
