#pragma once
// Manual-reset events: once set, an event stays set (and wakes every waiter) until reset.
// Timed waits go through the current clock (Clock.h).

#include <initializer_list>
#include <vector>

#include "platform/win/Clock.h"
#include "platform/win/WinTypes.h"

// Wait results, as on Windows: WAIT_OBJECT_0 + index of the event that fired.
constexpr DWORD WAIT_OBJECT_0 = 0x00000000;
constexpr DWORD WAIT_TIMEOUT = 0x00000102;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
// The most events one wait takes, as on Windows.
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;

namespace orv::win {

class CEvent {
 public:
  explicit CEvent(bool initiallySet = false);
  CEvent(const CEvent&) = delete;
  CEvent& operator=(const CEvent&) = delete;

  void Set();
  void Reset();
  bool IsSet() const;
  // WAIT_OBJECT_0 when the event is (or becomes) set within `ms`, else WAIT_TIMEOUT.
  DWORD Wait(DWORD ms = INFINITE);

 private:
  friend DWORD WaitForAny(const std::vector<CEvent*>& events, DWORD ms);
  bool set_;  // guarded by the events' shared mutex
};

// Waits until any of `events` is set or `ms` passed. Returns WAIT_OBJECT_0 + the index of the
// first set event (the lowest index when several are set), WAIT_TIMEOUT, or WAIT_FAILED when
// the list is empty, longer than MAXIMUM_WAIT_OBJECTS or holds a null pointer. Nothing is reset.
DWORD WaitForAny(const std::vector<CEvent*>& events, DWORD ms);
inline DWORD WaitForAny(std::initializer_list<CEvent*> events, DWORD ms) {
  return WaitForAny(std::vector<CEvent*>(events), ms);
}

}  // namespace orv::win
