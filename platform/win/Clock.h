#pragma once
// The program's one clock: a 32-bit millisecond tick of a steady clock, the local wall time
// and sleeping. Every timed wait and pause goes through the current clock, so tests install a
// FakeClock and never wait for real pauses.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

#include "platform/win/WinTypes.h"

// A wait without time limit.
constexpr DWORD INFINITE = 0xFFFFFFFF;

namespace orv::win {

class Clock {
 public:
  virtual ~Clock() = default;

  // Milliseconds of a steady clock, wrapping at 2^32; compare two ticks by unsigned subtraction.
  virtual DWORD NowTick() = 0;
  // The local wall time.
  virtual SYSTEMTIME Now() = 0;
  // Pauses the calling thread.
  virtual void Sleep(DWORD ms) = 0;
  // Waits on `cv` (whose mutex `lock` holds) until `ready()` is true or `ms` milliseconds of this
  // clock passed (INFINITE: no limit). Returns ready() at the end.
  virtual bool WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, DWORD ms,
                       const std::function<bool()>& ready) = 0;
};

// The operating system's clocks.
class RealClock : public Clock {
 public:
  DWORD NowTick() override;
  SYSTEMTIME Now() override;
  void Sleep(DWORD ms) override;
  bool WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, DWORD ms,
               const std::function<bool()>& ready) override;
};

// A clock for tests: time moves only when set or advanced, when a thread sleeps (the sleep
// returns at once, the time moved on by the pause) or when a timed wait finds nothing
// signalled (it returns timed out at once, the time moved on by the time-out).
class FakeClock : public Clock {
 public:
  // Starts at tick `startTick` and at 2025-01-06 09:00:00.000 local time (a Monday).
  explicit FakeClock(DWORD startTick = 1000);

  DWORD NowTick() override;
  SYSTEMTIME Now() override;
  void Sleep(DWORD ms) override;
  bool WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, DWORD ms,
               const std::function<bool()>& ready) override;

  void Advance(DWORD ms);
  void SetTick(DWORD tick);
  // Sets the local wall time; fields out of range are normalised (e.g. minute 60 is the next hour).
  void SetLocalTime(const SYSTEMTIME& time);
  // Total milliseconds slept through Sleep (not through time-outs), for checking pauses.
  uint64_t SleptMs();

 private:
  std::mutex mutex_;
  DWORD tick_;
  int64_t wallMs_;  // local wall time as milliseconds since 1970-01-01 00:00 local
  uint64_t slept_ = 0;
};

// The current clock: the real one unless a test installed another.
Clock& CurrentClock();
// Installs `clock` (the caller keeps it alive while installed); nullptr restores the real clock.
void SetClock(Clock* clock);

// Installs a clock for the lifetime of a scope and restores the previous one.
class ScopedClock {
 public:
  explicit ScopedClock(Clock& clock);
  ~ScopedClock();
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

 private:
  Clock* previous_;
};

// Shorthands on the current clock, named as on Windows.
DWORD GetTickCount();
void GetLocalTime(SYSTEMTIME* time);
void Sleep(DWORD ms);

// Milliseconds from tick `since` to tick `now`, correct across the 2^32 wrap.
constexpr DWORD TickElapsed(DWORD since, DWORD now) { return now - since; }

}  // namespace orv::win
