#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "WxTestApp.h"
#include "platform/ui/Dispatcher.h"
#include "platform/ui/UiThread.h"

namespace orv::ui {
namespace {

using namespace std::chrono_literals;
using orv::test::PumpEventsFor;
using orv::test::PumpEventsUntil;

constexpr UINT kRecord = WM_APP + 1;
constexpr UINT kAdd = WM_APP + 2;
constexpr UINT kMarker = WM_APP + 3;

struct Received {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
  bool onUiThread;
};

// A target that records what reaches it in a list owned by the test, so that the list
// outlives the target and shows what a destroyed target received.
class RecordingTarget : public MessageTarget {
 public:
  explicit RecordingTarget(std::vector<Received>* log) : log_(log) {
    for (UINT msg : {kRecord, kMarker}) {
      OnMessage(msg, [this, msg](WPARAM w, LPARAM l) {
        log_->push_back({msg, w, l, IsUiThread()});
        return LRESULT{1};
      });
    }
    OnMessage(kAdd, [](WPARAM w, LPARAM l) { return static_cast<LRESULT>(w) + l; });
  }

 protected:
  LRESULT DefaultMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    log_->push_back({msg, wParam, lParam, IsUiThread()});
    return -1;
  }

 private:
  std::vector<Received>* log_;
};

TEST(Dispatcher, PostsFromSeveralThreadsAllArriveOnTheUiThreadInPostingOrder) {
  std::vector<Received> log;
  RecordingTarget target(&log);
  constexpr int kThreads = 4;
  constexpr int kPerThread = 500;
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([&, t] {
      for (int i = 0; i < kPerThread; ++i) {
        EXPECT_TRUE(PostMessage(target.GetSafeHwnd(), kRecord, t, i));
      }
    });
  }
  ASSERT_TRUE(PumpEventsUntil([&] { return log.size() == kThreads * kPerThread; }));
  for (auto& worker : workers) worker.join();
  PumpEventsFor(50ms);
  ASSERT_EQ(log.size(), size_t{kThreads * kPerThread});

  std::vector<LPARAM> next(kThreads, 0);
  for (const Received& r : log) {
    ASSERT_TRUE(r.onUiThread);
    ASSERT_LT(r.wParam, WPARAM{kThreads});
    EXPECT_EQ(r.lParam, next[r.wParam]) << "thread " << r.wParam;
    next[r.wParam] = r.lParam + 1;
  }
}

TEST(Dispatcher, PostIsDeliveredLaterAndUnhandledMessagesReachTheDefault) {
  std::vector<Received> log;
  RecordingTarget target(&log);
  ASSERT_TRUE(PostMessage(target.GetSafeHwnd(), kRecord, 1, 2));
  ASSERT_TRUE(PostMessage(target.GetSafeHwnd(), WM_USER + 7, 3, 4));
  EXPECT_TRUE(log.empty()) << "a posted message must wait for the event loop";

  ASSERT_TRUE(PumpEventsUntil([&] { return log.size() == 2; }));
  EXPECT_EQ(log[0].msg, kRecord);
  EXPECT_EQ(log[1].msg, WM_USER + 7);
  EXPECT_EQ(log[1].wParam, WPARAM{3});
  EXPECT_EQ(log[1].lParam, LPARAM{4});
  EXPECT_EQ(target.Dispatch(WM_USER + 8, 0, 0), -1);
}

TEST(Dispatcher, OnMessageReplacesTheHandler) {
  std::vector<Received> log;
  RecordingTarget target(&log);
  target.OnMessage(kAdd, [](WPARAM w, LPARAM l) { return static_cast<LRESULT>(w) * l; });
  EXPECT_EQ(SendMessage(target.GetSafeHwnd(), kAdd, 6, 7), 42);
}

TEST(Dispatcher, SendMessageOnTheUiThreadRunsAtOnceAheadOfPostedMessages) {
  std::vector<Received> log;
  RecordingTarget target(&log);
  ASSERT_TRUE(PostMessage(target.GetSafeHwnd(), kRecord, 1, 0));
  EXPECT_EQ(SendMessage(target.GetSafeHwnd(), kMarker, 2, 0), 1);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].msg, kMarker);
  EXPECT_EQ(SendMessage(target.GetSafeHwnd(), kAdd, 40, 2), 42);

  ASSERT_TRUE(PumpEventsUntil([&] { return log.size() == 2; }));
  EXPECT_EQ(log[1].msg, kRecord);
}

TEST(Dispatcher, SendMessageFromAWorkerWaitsForTheUiThreadsAnswerAfterItsEarlierPosts) {
  std::vector<Received> log;
  RecordingTarget target(&log);
  std::atomic<bool> finished{false};
  LRESULT answer = 0;
  size_t seenBeforeAnswer = 0;
  std::thread worker([&] {
    PostMessage(target.GetSafeHwnd(), kRecord, 0, 0);
    answer = SendMessage(target.GetSafeHwnd(), kAdd, 20, 22);
    finished = true;
  });
  // Nothing can answer until the UI thread pumps.
  std::this_thread::sleep_for(20ms);
  EXPECT_FALSE(finished);
  ASSERT_TRUE(PumpEventsUntil([&] { return finished.load(); }));
  worker.join();
  seenBeforeAnswer = log.size();
  EXPECT_EQ(answer, 42);
  ASSERT_EQ(seenBeforeAnswer, 1u);
  EXPECT_TRUE(log[0].onUiThread);
}

TEST(Dispatcher, DestroyedTargetReceivesNothingAndItsHandleIsNeverReused) {
  std::vector<Received> destroyedLog;
  std::vector<Received> survivorLog;
  RecordingTarget survivor(&survivorLog);
  auto doomed = std::make_unique<RecordingTarget>(&destroyedLog);
  const HWND doomedHwnd = doomed->GetSafeHwnd();

  // Queued before and while the target dies; the survivor's marker shows the queue drained.
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(PostMessage(doomedHwnd, kRecord, i, 0));
  std::thread([&] { ASSERT_TRUE(PostMessage(doomedHwnd, kRecord, 9, 0)); }).join();
  doomed.reset();
  ASSERT_TRUE(PostMessage(survivor.GetSafeHwnd(), kMarker));
  ASSERT_TRUE(PumpEventsUntil([&] { return !survivorLog.empty(); }));
  PumpEventsFor(20ms);
  EXPECT_TRUE(destroyedLog.empty());

  EXPECT_FALSE(IsWindow(doomedHwnd));
  EXPECT_FALSE(PostMessage(doomedHwnd, kRecord));
  EXPECT_EQ(SendMessage(doomedHwnd, kAdd, 1, 1), 0);
  LRESULT fromWorker = -5;
  std::thread([&] { fromWorker = SendMessage(doomedHwnd, kAdd, 1, 1); }).join();
  EXPECT_EQ(fromWorker, 0);

  std::set<HWND> handles{doomedHwnd, survivor.GetSafeHwnd()};
  for (int i = 0; i < 100; ++i) {
    RecordingTarget fresh(&destroyedLog);
    EXPECT_NE(fresh.GetSafeHwnd(), HWND{0});
    EXPECT_TRUE(handles.insert(fresh.GetSafeHwnd()).second) << "handle reused";
  }
  EXPECT_TRUE(destroyedLog.empty());
}

TEST(Dispatcher, TargetDestroyingItselfInItsHandlerGetsNoMoreMessages) {
  std::vector<Received> log;
  auto* target = new RecordingTarget(&log);
  const HWND hwnd = target->GetSafeHwnd();
  int calls = 0;
  target->OnMessage(kRecord, [target, &calls](WPARAM, LPARAM) {
    ++calls;
    delete target;
    return LRESULT{0};
  });
  ASSERT_TRUE(PostMessage(hwnd, kRecord));
  ASSERT_TRUE(PostMessage(hwnd, kRecord));
  ASSERT_TRUE(PostMessage(hwnd, kMarker));
  PumpEventsFor(50ms);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(log.empty());
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST(Dispatcher, TargetDestroyedOnAWorkerWaitsForItsRunningHandler) {
  std::vector<Received> log;
  auto target = std::make_unique<RecordingTarget>(&log);
  std::atomic<bool> handlerRunning{false};
  std::atomic<bool> destroying{false};
  std::atomic<bool> handlerDone{false};
  std::atomic<bool> handlerDoneWhenDestroyed{false};
  target->OnMessage(kRecord, [&](WPARAM, LPARAM) {
    handlerRunning = true;
    while (!destroying) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(50ms);
    handlerDone = true;
    return LRESULT{0};
  });
  ASSERT_TRUE(PostMessage(target->GetSafeHwnd(), kRecord));
  std::thread worker([&] {
    while (!handlerRunning) std::this_thread::sleep_for(1ms);
    destroying = true;
    target.reset();
    handlerDoneWhenDestroyed = handlerDone.load();
  });
  ASSERT_TRUE(PumpEventsUntil([&] { return handlerDone.load(); }));
  worker.join();
  EXPECT_TRUE(handlerDoneWhenDestroyed);
}

TEST(Dispatcher, ReleaseFreesOnlyAnIdleDispatcherAndTheNextUseMakesItAfresh) {
  std::vector<Received> log;
  {
    RecordingTarget target(&log);
    EXPECT_FALSE(ReleaseDispatcher()) << "a target is alive";
    ASSERT_TRUE(PostMessage(target.GetSafeHwnd(), kRecord, 1, 0));
  }
  EXPECT_FALSE(ReleaseDispatcher()) << "the posted message waits in the queue";
  PumpEventsFor(20ms);
  EXPECT_TRUE(log.empty()) << "its target is gone";
  EXPECT_TRUE(ReleaseDispatcher());
  EXPECT_TRUE(ReleaseDispatcher()) << "nothing left to free";

  RecordingTarget fresh(&log);
  EXPECT_TRUE(IsWindow(fresh.GetSafeHwnd()));
  ASSERT_TRUE(PostMessage(fresh.GetSafeHwnd(), kRecord, 2, 0));
  ASSERT_TRUE(PumpEventsUntil([&] { return !log.empty(); }));
  EXPECT_EQ(log[0].wParam, 2u);
}

TEST(Dispatcher, UnknownHandlesAreRefused) {
  for (HWND hwnd : {HWND{0}, HWND{1}, ~HWND{0}, HWND{0x7fffffff}}) {
    EXPECT_FALSE(IsWindow(hwnd)) << hwnd;
    EXPECT_FALSE(PostMessage(hwnd, kRecord)) << hwnd;
    EXPECT_EQ(SendMessage(hwnd, kAdd, 1, 2), 0) << hwnd;
  }
}

}  // namespace
}  // namespace orv::ui
