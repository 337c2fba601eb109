#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>

#include "platform/win/CriticalSection.h"
#include "platform/win/Event.h"
#include "platform/win/Thread.h"

namespace orv::win {
namespace {

TEST(ThreadTest, RunsTheBodyAndGivesItsResult) {
  Thread thread;
  EXPECT_TRUE(thread.Join(0));  // nothing started
  EXPECT_EQ(thread.ExitCode(), -1);
  std::atomic<int> runs{0};
  ASSERT_TRUE(thread.Start([&] {
    ++runs;
    return 7;
  }));
  EXPECT_TRUE(thread.Join());
  EXPECT_FALSE(thread.IsRunning());
  EXPECT_EQ(thread.ExitCode(), 7);
  // A joined thread object starts again.
  ASSERT_TRUE(thread.Start([&] {
    ++runs;
    return 8;
  }));
  EXPECT_TRUE(thread.Join(INFINITE));
  EXPECT_EQ(thread.ExitCode(), 8);
  EXPECT_EQ(runs, 2);
}

TEST(ThreadTest, JoinTimesOutWhileTheBodyRunsAndSucceedsAfter) {
  CEvent release;
  Thread thread;
  ASSERT_TRUE(thread.Start([&] { return release.Wait() == WAIT_OBJECT_0 ? 0 : 1; }));
  EXPECT_FALSE(thread.Start([] { return 0; }));  // still running
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(thread.Join(10));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(10));
  EXPECT_TRUE(thread.IsRunning());
  EXPECT_EQ(thread.ExitCode(), -1);
  release.Set();
  EXPECT_TRUE(thread.Join(INFINITE));
  EXPECT_EQ(thread.ExitCode(), 0);
}

TEST(ThreadTest, RejectsAnEmptyBodyAndContainsExceptions) {
  Thread thread;
  EXPECT_FALSE(thread.Start(nullptr));
  ASSERT_TRUE(thread.Start([]() -> int { throw std::runtime_error("worker failed"); }));
  EXPECT_TRUE(thread.Join());
  EXPECT_EQ(thread.ExitCode(), -1);
}

TEST(ThreadTest, AThreadOutlivingItsObjectEndsSafely) {
  auto release = std::make_shared<CEvent>();
  auto finished = std::make_shared<CEvent>();
  {
    Thread thread;
    ASSERT_TRUE(thread.Start([release, finished] {
      release->Wait();
      finished->Set();
      return 0;
    }));
    EXPECT_FALSE(thread.Join(0));
  }  // the object lets go of the running thread
  release->Set();
  EXPECT_EQ(finished->Wait(), WAIT_OBJECT_0);
}

TEST(ThreadTest, JoinAllWaitsForEveryThreadWithOneLimit) {
  CEvent release;
  Thread quick, stuck, other;
  ASSERT_TRUE(quick.Start([] { return 1; }));
  ASSERT_TRUE(stuck.Start([&] { return static_cast<int>(release.Wait()); }));
  ASSERT_TRUE(other.Start([] { return 3; }));
  // The two quick threads have ended before the join, however busy the machine is: a thread
  // may take longer than the limit just to be scheduled.
  for (Thread* t : {&quick, &other})
    while (t->IsRunning()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(JoinAll({&quick, &stuck, nullptr, &other}, 20));
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, std::chrono::milliseconds(20));
  EXPECT_LT(took, std::chrono::seconds(5));
  EXPECT_EQ(quick.ExitCode(), 1);
  EXPECT_EQ(other.ExitCode(), 3);
  release.Set();
  EXPECT_TRUE(JoinAll({&quick, &stuck, &other}, INFINITE));
  EXPECT_EQ(stuck.ExitCode(), 0);
}

// Whether another thread can take the section right now.
bool FreeForOthers(CCriticalSection& section) {
  bool taken = false;
  std::thread([&] {
    taken = section.TryLock();
    if (taken) section.Unlock();
  }).join();
  return taken;
}

TEST(CriticalSectionTest, ScopedLockHoldsRecursivelyAndReleasesAtScopeEnd) {
  CCriticalSection section;
  {
    CSingleLock outer(&section, TRUE);
    EXPECT_TRUE(outer.IsLocked());
    {
      CSingleLock inner(&section, TRUE);  // the same thread takes it again
      EXPECT_TRUE(inner.IsLocked());
    }
    EXPECT_FALSE(FreeForOthers(section));
    outer.Unlock();
    EXPECT_FALSE(outer.IsLocked());
    EXPECT_TRUE(FreeForOthers(section));
    outer.Lock();
    outer.Lock();  // a second Lock of one holder does not stack
  }
  EXPECT_TRUE(FreeForOthers(section));

  CSingleLock deferred(&section);
  EXPECT_FALSE(deferred.IsLocked());
  EXPECT_TRUE(FreeForOthers(section));
  CSingleLock none(nullptr, TRUE);
  EXPECT_FALSE(none.IsLocked());
}

TEST(CriticalSectionTest, ExcludesOtherThreads) {
  CCriticalSection section;
  long counter = 0;
  auto work = [&] {
    for (int i = 0; i < 100000; ++i) {
      CSingleLock lock(&section, TRUE);
      counter = counter + 1;
    }
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
  EXPECT_EQ(counter, 200000);
}

}  // namespace
}  // namespace orv::win
