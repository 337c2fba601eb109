#include "platform/win/Clock.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

namespace orv::win {
namespace {

RealClock& TheRealClock() {
  static RealClock clock;
  return clock;
}

std::atomic<Clock*> g_current{nullptr};

SYSTEMTIME FromTm(const std::tm& tm, int ms) {
  SYSTEMTIME st;
  st.wYear = static_cast<WORD>(tm.tm_year + 1900);
  st.wMonth = static_cast<WORD>(tm.tm_mon + 1);
  st.wDayOfWeek = static_cast<WORD>(tm.tm_wday);
  st.wDay = static_cast<WORD>(tm.tm_mday);
  st.wHour = static_cast<WORD>(tm.tm_hour);
  st.wMinute = static_cast<WORD>(tm.tm_min);
  st.wSecond = static_cast<WORD>(tm.tm_sec);
  st.wMilliseconds = static_cast<WORD>(ms);
  return st;
}

// The fake clock keeps local time as a plain count and converts it without a time zone.
int64_t ToCount(const SYSTEMTIME& st) {
  std::tm tm{};
  tm.tm_year = st.wYear - 1900;
  tm.tm_mon = st.wMonth - 1;
  tm.tm_mday = st.wDay;
  tm.tm_hour = st.wHour;
  tm.tm_min = st.wMinute;
  tm.tm_sec = st.wSecond;
  return static_cast<int64_t>(timegm(&tm)) * 1000 + st.wMilliseconds;
}

SYSTEMTIME FromCount(int64_t count) {
  int64_t ms = ((count % 1000) + 1000) % 1000;
  std::time_t seconds = static_cast<std::time_t>((count - ms) / 1000);
  std::tm tm{};
  gmtime_r(&seconds, &tm);
  return FromTm(tm, static_cast<int>(ms));
}

}  // namespace

DWORD RealClock::NowTick() {
  auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

SYSTEMTIME RealClock::Now() {
  auto now = std::chrono::system_clock::now();
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
  std::time_t seconds = static_cast<std::time_t>(ms / 1000);
  // The rule check asks the local time per holding: the broken-down time of a second is
  // worked out once per thread (localtime_r takes the time zone's lock each call).
  thread_local std::time_t cachedSeconds = -1;
  thread_local std::tm cachedTm{};
  if (seconds != cachedSeconds) {
    std::tm tm{};
    localtime_r(&seconds, &tm);
    cachedTm = tm;
    cachedSeconds = seconds;
  }
  return FromTm(cachedTm, static_cast<int>(ms % 1000));
}

void RealClock::Sleep(DWORD ms) {
  if (ms == 0) {
    std::this_thread::yield();
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool RealClock::WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, DWORD ms,
                        const std::function<bool()>& ready) {
  if (ms == INFINITE) {
    cv.wait(lock, ready);
    return true;
  }
  return cv.wait_for(lock, std::chrono::milliseconds(ms), ready);
}

FakeClock::FakeClock(DWORD startTick) : tick_(startTick) {
  SYSTEMTIME start;
  start.wYear = 2025;
  start.wMonth = 1;
  start.wDay = 6;
  start.wHour = 9;
  wallMs_ = ToCount(start);
}

DWORD FakeClock::NowTick() {
  std::lock_guard<std::mutex> guard(mutex_);
  return tick_;
}

SYSTEMTIME FakeClock::Now() {
  std::lock_guard<std::mutex> guard(mutex_);
  return FromCount(wallMs_);
}

void FakeClock::Sleep(DWORD ms) {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    slept_ += ms;
  }
  Advance(ms);
  // Lets other threads run, as a real pause would.
  std::this_thread::yield();
}

bool FakeClock::WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, DWORD ms,
                        const std::function<bool()>& ready) {
  if (ready()) return true;
  if (ms == INFINITE) {
    cv.wait(lock, ready);
    return true;
  }
  Advance(ms);
  return ready();
}

void FakeClock::Advance(DWORD ms) {
  std::lock_guard<std::mutex> guard(mutex_);
  tick_ += ms;
  wallMs_ += ms;
}

void FakeClock::SetTick(DWORD tick) {
  std::lock_guard<std::mutex> guard(mutex_);
  tick_ = tick;
}

void FakeClock::SetLocalTime(const SYSTEMTIME& time) {
  std::lock_guard<std::mutex> guard(mutex_);
  wallMs_ = ToCount(time);
}

uint64_t FakeClock::SleptMs() {
  std::lock_guard<std::mutex> guard(mutex_);
  return slept_;
}

Clock& CurrentClock() {
  Clock* clock = g_current.load(std::memory_order_acquire);
  return clock ? *clock : TheRealClock();
}

void SetClock(Clock* clock) { g_current.store(clock, std::memory_order_release); }

ScopedClock::ScopedClock(Clock& clock) : previous_(g_current.load()) { SetClock(&clock); }

ScopedClock::~ScopedClock() { SetClock(previous_); }

DWORD GetTickCount() { return CurrentClock().NowTick(); }

void GetLocalTime(SYSTEMTIME* time) {
  if (time) *time = CurrentClock().Now();
}

void Sleep(DWORD ms) { CurrentClock().Sleep(ms); }

}  // namespace orv::win
