#include "platform/win/Event.h"

#include <condition_variable>
#include <mutex>

namespace orv::win {
namespace {

// All events share one mutex and one condition, so that a wait can cover several events.
// The program has a few dozen events at most, so waking every waiter on a change is cheap.
struct EventHub {
  std::mutex mutex;
  std::condition_variable changed;
};

EventHub& Hub() {
  static EventHub hub;
  return hub;
}

}  // namespace

CEvent::CEvent(bool initiallySet) : set_(initiallySet) {}

void CEvent::Set() {
  EventHub& hub = Hub();
  {
    std::lock_guard<std::mutex> guard(hub.mutex);
    set_ = true;
  }
  hub.changed.notify_all();
}

void CEvent::Reset() {
  std::lock_guard<std::mutex> guard(Hub().mutex);
  set_ = false;
}

bool CEvent::IsSet() const {
  std::lock_guard<std::mutex> guard(Hub().mutex);
  return set_;
}

DWORD CEvent::Wait(DWORD ms) { return WaitForAny({this}, ms); }

DWORD WaitForAny(const std::vector<CEvent*>& events, DWORD ms) {
  if (events.empty() || events.size() > MAXIMUM_WAIT_OBJECTS) return WAIT_FAILED;
  for (const CEvent* event : events) {
    if (!event) return WAIT_FAILED;
  }
  EventHub& hub = Hub();
  std::unique_lock<std::mutex> lock(hub.mutex);
  DWORD fired = WAIT_TIMEOUT;
  auto ready = [&] {
    for (size_t i = 0; i < events.size(); ++i) {
      if (events[i]->set_) {
        fired = WAIT_OBJECT_0 + static_cast<DWORD>(i);
        return true;
      }
    }
    return false;
  };
  CurrentClock().WaitFor(lock, hub.changed, ms, ready);
  return fired;
}

}  // namespace orv::win
