#include "host/frame/FrameTimerLogic.h"

#include <cwchar>

namespace orv::host {

namespace {

std::wstring Format(const wchar_t* format, double value) {
  wchar_t text[64];
  std::swprintf(text, sizeof text / sizeof text[0], format, value);
  return text;
}

}  // namespace

FrameTimerLogic::FrameTimerLogic() : clockText_(L"00:00:00") {}

FrameTimerActions FrameTimerLogic::Tick(DWORD now, const SYSTEMTIME& localTime, POINT cursor,
                                        const FrameTimerSwitches& switches) {
  FrameTimerActions actions;
  wchar_t clock[16];
  std::swprintf(clock, 16, L"%02d:%02d:%02d", localTime.wHour, localTime.wMinute,
                localTime.wSecond);
  const bool secondTurned = clockText_ != clock;
  if (secondTurned) {
    clockText_ = clock;
    actions.clockText = clock;
  }
  bool activitySeen = false;

  // Unsigned subtraction keeps the idle time right across the tick count's wrap.
  if (cursor.x == lastCursor_.x && cursor.y == lastCursor_.y) {
    if (now - lastKeepAwakeTick_ >= kKeepAwakeIntervalMs) {
      lastKeepAwakeTick_ = now;
      if (switches.noSleep) {
        ++keepAwakeCount_;
        actions.keepAwake = true;
      }
    }
    const DWORD idle = now - lastActivityTick_;
    if (switches.saverOn && idle >= switches.saverIdleMs && idle >= kMinSaverIdleMs &&
        switches.customSaverOn) {
      actions.showSaver = true;
    }
  } else {
    activitySeen = true;
    lastCursor_ = cursor;
    lastActivityTick_ = now;
    lastKeepAwakeTick_ = now;
  }

  // The idle seconds move with the clock, so the status bar changes once a second rather than
  // twice out of step; activity shows its reset at once.
  if (!secondTurned && !activitySeen && !actions.keepAwake) return FinishRates(actions, switches);
  const double idleSeconds = (now - lastActivityTick_) / 1000.0;
  wchar_t scr[96];
  std::swprintf(scr, sizeof scr / sizeof scr[0], L"절전.%ls : %.0fs(%d)",
                switches.noSleep ? L"감시" : L"ON", idleSeconds, static_cast<int>(keepAwakeCount_));
  actions.scrText = scr;
  return FinishRates(actions, switches);
}

FrameTimerActions FrameTimerLogic::FinishRates(FrameTimerActions& actions,
                                               const FrameTimerSwitches& switches) {
  const std::wstring dollar = Format(L"1$:%.2f", switches.dollarRate);
  if (dollar != dollarText_) actions.dollarText = dollarText_ = dollar;
  const std::wstring euro = Format(L"1€:%.2f", switches.euroRate);
  if (euro != euroText_) actions.euroText = euroText_ = euro;
  return actions;
}

bool FrameTimerLogic::CursorAskDue(DWORD now) {
  if (cursorAsked_ && now - cursorAskTick_ < kCursorAskIntervalMs) return false;
  cursorAsked_ = true;
  cursorAskTick_ = now;
  return true;
}

void FrameTimerLogic::ResetIdle(DWORD now) {
  lastActivityTick_ = now;
  lastKeepAwakeTick_ = now;
}

}  // namespace orv::host
