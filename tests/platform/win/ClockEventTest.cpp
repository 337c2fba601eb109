#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/win/Clock.h"
#include "platform/win/Event.h"

namespace orv::win {
namespace {

using RealTime = std::chrono::steady_clock;

TEST(TickTest, ElapsedIsCorrectAcrossTheWrap) {
  struct Case {
    DWORD since, now, elapsed;
  } cases[] = {
      {1000, 1500, 500},
      {0xFFFFFF00u, 0x00000100u, 0x200},
      {0xFFFFFFFFu, 0, 1},
      {42, 42, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TickElapsed(c.since, c.now), c.elapsed) << c.since << " -> " << c.now;
  }
}

TEST(FakeClockTest, SleepAndAdvanceMoveTickAndWallTimeTogether) {
  FakeClock clock(0xFFFFFFF0u);
  ScopedClock installed(clock);
  SYSTEMTIME late;
  late.wYear = 2024;
  late.wMonth = 12;
  late.wDay = 31;
  late.wHour = 23;
  late.wMinute = 59;
  late.wSecond = 59;
  late.wMilliseconds = 990;
  clock.SetLocalTime(late);

  DWORD start = GetTickCount();
  Sleep(20);
  EXPECT_EQ(GetTickCount(), 0x4u);  // wrapped
  EXPECT_EQ(TickElapsed(start, GetTickCount()), 20u);
  EXPECT_EQ(clock.SleptMs(), 20u);

  SYSTEMTIME now;
  GetLocalTime(&now);
  EXPECT_EQ(now.wYear, 2025);
  EXPECT_EQ(now.wMonth, 1);
  EXPECT_EQ(now.wDay, 1);
  EXPECT_EQ(now.wDayOfWeek, 3);  // a Wednesday
  EXPECT_EQ(now.wHour, 0);
  EXPECT_EQ(now.wSecond, 0);
  EXPECT_EQ(now.wMilliseconds, 10);

  clock.Advance(3600 * 1000);
  EXPECT_EQ(CurrentClock().Now().wHour, 1);
  EXPECT_EQ(clock.SleptMs(), 20u);  // advancing is not sleeping
}

TEST(FakeClockTest, StartsAtAFixedMondayMorningAndScopeRestoresTheRealClock) {
  FakeClock clock;
  {
    ScopedClock installed(clock);
    EXPECT_EQ(&CurrentClock(), &clock);
    SYSTEMTIME now = CurrentClock().Now();
    EXPECT_EQ(now.wYear, 2025);
    EXPECT_EQ(now.wDayOfWeek, 1);
    EXPECT_EQ(now.wHour, 9);
  }
  EXPECT_NE(&CurrentClock(), &clock);
  EXPECT_NE(dynamic_cast<RealClock*>(&CurrentClock()), nullptr);
}

TEST(RealClockTest, TickFollowsTheSteadyClockAndWallTimeIsCurrent) {
  RealClock clock;
  DWORD before = clock.NowTick();
  auto realBefore = RealTime::now();
  clock.Sleep(5);
  DWORD elapsed = TickElapsed(before, clock.NowTick());
  auto realElapsed =
      std::chrono::duration_cast<std::chrono::milliseconds>(RealTime::now() - realBefore).count();
  EXPECT_GE(elapsed, 5u);
  EXPECT_LE(elapsed, static_cast<DWORD>(realElapsed) + 1);
  SYSTEMTIME now = clock.Now();
  EXPECT_GE(now.wYear, 2024);
  EXPECT_GE(now.wMonth, 1);
  EXPECT_LE(now.wMonth, 12);
  EXPECT_LT(now.wMilliseconds, 1000);
}

TEST(EventTest, ManualResetStaysSetUntilReset) {
  CEvent event;
  EXPECT_FALSE(event.IsSet());
  event.Set();
  EXPECT_TRUE(event.IsSet());
  EXPECT_EQ(event.Wait(0), WAIT_OBJECT_0);
  EXPECT_EQ(event.Wait(), WAIT_OBJECT_0);  // a wait does not consume the signal
  event.Reset();
  EXPECT_FALSE(event.IsSet());
  EXPECT_EQ(event.Wait(0), WAIT_TIMEOUT);

  CEvent initially(true);
  EXPECT_TRUE(initially.IsSet());
}

TEST(EventTest, FakeClockTimeoutAdvancesTimeWithoutRealWaiting) {
  FakeClock clock;
  ScopedClock installed(clock);
  CEvent event;
  DWORD start = GetTickCount();
  auto realStart = RealTime::now();
  EXPECT_EQ(event.Wait(60000), WAIT_TIMEOUT);
  EXPECT_EQ(TickElapsed(start, GetTickCount()), 60000u);
  EXPECT_LT(RealTime::now() - realStart, std::chrono::seconds(5));

  event.Set();
  EXPECT_EQ(event.Wait(60000), WAIT_OBJECT_0);
  EXPECT_EQ(TickElapsed(start, GetTickCount()), 60000u);  // a signalled wait takes no time
}

TEST(EventTest, WaitForAnyReportsTheFirstSetEvent) {
  FakeClock clock;
  ScopedClock installed(clock);
  struct Case {
    bool own, stop;
    DWORD result;
  } cases[] = {
      {false, false, WAIT_TIMEOUT},
      {true, false, WAIT_OBJECT_0},
      {false, true, WAIT_OBJECT_0 + 1},
      {true, true, WAIT_OBJECT_0},  // the lowest index wins
  };
  for (const Case& c : cases) {
    CEvent own(c.own);
    CEvent stop(c.stop);
    EXPECT_EQ(WaitForAny({&own, &stop}, 500), c.result) << c.own << c.stop;
    EXPECT_EQ(own.IsSet(), c.own);  // nothing is reset by the wait
    EXPECT_EQ(stop.IsSet(), c.stop);
  }
}

TEST(EventTest, WaitForAnyRejectsBadLists) {
  CEvent event(true);
  EXPECT_EQ(WaitForAny(std::vector<CEvent*>{}, 0), WAIT_FAILED);
  EXPECT_EQ(WaitForAny({&event, nullptr}, 0), WAIT_FAILED);
  std::vector<CEvent*> tooMany(MAXIMUM_WAIT_OBJECTS + 1, &event);
  EXPECT_EQ(WaitForAny(tooMany, 0), WAIT_FAILED);
  std::vector<CEvent*> most(MAXIMUM_WAIT_OBJECTS, &event);
  EXPECT_EQ(WaitForAny(most, 0), WAIT_OBJECT_0);
}

TEST(EventTest, OneSetWakesEveryWaiterWithoutLimit) {
  CEvent stop;
  std::vector<CEvent> own(3);
  std::vector<DWORD> results(3, WAIT_FAILED);
  std::vector<std::thread> waiters;
  for (int i = 0; i < 3; ++i) {
    waiters.emplace_back([&, i] { results[i] = WaitForAny({&own[i], &stop}, INFINITE); });
  }
  own[1].Set();
  stop.Set();
  for (auto& waiter : waiters) waiter.join();
  EXPECT_EQ(results[0], WAIT_OBJECT_0 + 1);
  EXPECT_EQ(results[2], WAIT_OBJECT_0 + 1);
  // Its own event was set before the stop event and has the lower index.
  EXPECT_EQ(results[1], WAIT_OBJECT_0);
}

TEST(EventTest, RealClockTimeoutWaitsAboutTheTimeout) {
  CEvent event;
  auto start = RealTime::now();
  EXPECT_EQ(event.Wait(10), WAIT_TIMEOUT);
  EXPECT_GE(RealTime::now() - start, std::chrono::milliseconds(10));
}

}  // namespace
}  // namespace orv::win
