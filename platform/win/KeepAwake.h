#pragma once
// Keeping the computer awake: the frame timer's request that the system stay awake with the
// display on. On this desktop the request resets the screen-saver and power timers through
// "xdg-screensaver reset" when that program is installed, and does nothing otherwise. Tests
// install their own function and count the requests.

#include <cstdint>
#include <functional>

namespace orv::win {

// Takes the request flags (continuous, system required, display required).
using KeepAwakeFunction = std::function<void(uint32_t flags)>;

// The function in use; the default one runs "xdg-screensaver reset" without waiting.
KeepAwakeFunction& CurrentKeepAwake();
void SetKeepAwake(KeepAwakeFunction function);

// Asks the system to stay awake through the current function.
void RequestKeepAwake(uint32_t flags);

}  // namespace orv::win
