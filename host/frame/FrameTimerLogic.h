#pragma once
// What the main frame's 200 ms timer decides on each tick, free of windows: the clock pane's
// text, the keep-awake request while the cursor rests, the start of the screen saver after
// the idle time, the "[SCR]" pane's text and the two currency panes. The frame feeds it the
// tick count, the local time and the cursor position and acts on the answer.

#include <cstdint>
#include <string>

#include "platform/win/WinTypes.h"

namespace orv::host {

// The keep-awake request: continuous, system required, display required.
constexpr uint32_t kKeepAwakeFlags = 0x80000003;
// The keep-awake check runs at most once per this many milliseconds of a resting cursor.
constexpr DWORD kKeepAwakeIntervalMs = 60000;
// The screen saver never starts before this much idle time, whatever the settings say.
constexpr DWORD kMinSaverIdleMs = 30000;
// The pointer's position is asked of the display at most once per this many milliseconds: each
// ask is a round trip to the display server, and rest is only measured in whole seconds.
constexpr DWORD kCursorAskIntervalMs = 1000;

// The switches a tick reads.
struct FrameTimerSwitches {
  bool noSleep = false;        // the application's no-sleep switch
  bool saverOn = false;        // the run settings' screen-saver switch
  DWORD saverIdleMs = 0;       // the run settings' saver idle time
  bool customSaverOn = false;  // the application's custom-saver switch
  double dollarRate = 0.0;
  double euroRate = 0.0;
};

// What one tick asks the frame to do; an empty text leaves its pane alone.
struct FrameTimerActions {
  std::wstring clockText;   // new clock pane text, only when it changed
  bool keepAwake = false;   // ask the system to stay awake with the display on
  bool showSaver = false;   // start the screen saver
  std::wstring scrText;     // the "[SCR]" pane's text, as the second turns or on activity
  std::wstring dollarText;  // only when changed
  std::wstring euroText;    // only when changed
};

class FrameTimerLogic {
 public:
  FrameTimerLogic();

  FrameTimerActions Tick(DWORD now, const SYSTEMTIME& localTime, POINT cursor,
                         const FrameTimerSwitches& switches);
  // The saver ended (or was started by hand): both idle ticks restart at now.
  void ResetIdle(DWORD now);
  // True when a tick at `now` asks the pointer's position (the first tick, then once the ask
  // interval has passed; the interval restarts here). Between asks the tick is given the
  // position last asked, LastCursor().
  bool CursorAskDue(DWORD now);
  POINT LastCursor() const { return lastCursor_; }

  const std::wstring& ClockText() const { return clockText_; }
  uint32_t KeepAwakeCount() const { return keepAwakeCount_; }
  DWORD LastActivityTick() const { return lastActivityTick_; }
  DWORD LastKeepAwakeTick() const { return lastKeepAwakeTick_; }

 private:
  // Adds the currency panes' texts that changed.
  FrameTimerActions FinishRates(FrameTimerActions& actions, const FrameTimerSwitches& switches);

  std::wstring clockText_;
  POINT lastCursor_{};
  bool cursorAsked_ = false;
  DWORD cursorAskTick_ = 0;
  DWORD lastActivityTick_ = 0;
  DWORD lastKeepAwakeTick_ = 0;
  uint32_t keepAwakeCount_ = 0;
  std::wstring dollarText_;
  std::wstring euroText_;
};

}  // namespace orv::host
