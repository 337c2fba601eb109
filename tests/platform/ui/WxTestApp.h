#pragma once
// A wxWidgets application for GUI tests: started once for the whole program, with a bounded
// event pump that tests call on the UI thread (the test's main thread).

#include <chrono>
#include <functional>

namespace orv::test {

// Processes queued events until done() holds; false when the bound passes first.
bool PumpEventsUntil(const std::function<bool()>& done,
                     std::chrono::milliseconds bound = std::chrono::seconds(10));

// Processes what is queued now and what arrives within the given time.
void PumpEventsFor(std::chrono::milliseconds duration);

}  // namespace orv::test
