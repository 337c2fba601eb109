#pragma once
// The market and the session of a local time of day: which market the engine trades (domestic,
// or overseas at night when the auto-switch is on) and whether the time falls in the regular
// session, an extended session or neither. Times are HHMM numbers (hour x 100 + minute).

#include <array>
#include <string>

constexpr int kMarketDomestic1 = 1;
constexpr int kMarketOverseas2 = 2;

constexpr int kSessionRegular = 1;
constexpr int kSessionExtended = 2;
constexpr int kSessionClosed = 3;

// The six session bounds, in this order.
struct SessionBounds_s {
  enum Index {
    kRegularStart = 0,
    kRegularEnd,
    kMorningStart,
    kEveningStart,
    kMorningEnd,
    kEveningEnd,
    kCount
  };
  // Regular 09:00-15:30, extended morning 08:00-08:50, extended evening 15:31-20:00.
  std::array<int, kCount> hhmm{900, 1530, 800, 1531, 850, 2000};
};

// 2 (overseas) when the auto-switch is on and the hour is 22, 23 or below 7; else 1.
int CurrentMarketFor(int hour, bool overseasAutoSwitch);
// 1 when regular start <= t < regular end; else 2 in either extended window [start, end);
// else 3.
int SessionStateFor(int hhmm, const SessionBounds_s& bounds);
// A time of day moved by a delay given in HHMM form (30 = thirty minutes, -100 = one hour
// earlier); minutes carry into hours and the result wraps around midnight.
int ShiftHhmm(int hhmm, int delayHhmm);
// Every bound moved by the delay; a delay of 0 leaves them as they are.
SessionBounds_s ShiftSessionBounds(const SessionBounds_s& bounds, int delayHhmm);
// Whole seconds as "hh:mm:ss" (hours not limited to 24).
std::wstring FormatSecondsAsTimeText(long long seconds);
