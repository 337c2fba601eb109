#include "plugin/view/engine/MarketSession.h"

#include <cwchar>

namespace {
constexpr int kMinutesPerDay = 24 * 60;

int ToMinutes(int hhmm) { return (hhmm / 100) * 60 + hhmm % 100; }
}  // namespace

int CurrentMarketFor(int hour, bool overseasAutoSwitch) {
  if (overseasAutoSwitch && (hour == 22 || hour == 23 || hour < 7)) return kMarketOverseas2;
  return kMarketDomestic1;
}

int SessionStateFor(int hhmm, const SessionBounds_s& bounds) {
  const auto& b = bounds.hhmm;
  using I = SessionBounds_s;
  if (b[I::kRegularStart] <= hhmm && hhmm < b[I::kRegularEnd]) return kSessionRegular;
  if ((b[I::kMorningStart] <= hhmm && hhmm < b[I::kMorningEnd]) ||
      (b[I::kEveningStart] <= hhmm && hhmm < b[I::kEveningEnd]))
    return kSessionExtended;
  return kSessionClosed;
}

int ShiftHhmm(int hhmm, int delayHhmm) {
  // A bound of 2400 (end of day) stays the end of the shifted day rather than wrapping to 0.
  const int sign = delayHhmm < 0 ? -1 : 1;
  const int delay = sign * ToMinutes(sign * delayHhmm);
  int minutes = ToMinutes(hhmm) + delay;
  if (minutes != kMinutesPerDay)
    minutes = ((minutes % kMinutesPerDay) + kMinutesPerDay) % kMinutesPerDay;
  return (minutes / 60) * 100 + minutes % 60;
}

SessionBounds_s ShiftSessionBounds(const SessionBounds_s& bounds, int delayHhmm) {
  if (delayHhmm == 0) return bounds;
  SessionBounds_s shifted;
  for (size_t i = 0; i < shifted.hhmm.size(); ++i)
    shifted.hhmm[i] = ShiftHhmm(bounds.hhmm[i], delayHhmm);
  return shifted;
}

std::wstring FormatSecondsAsTimeText(long long seconds) {
  if (seconds < 0) seconds = 0;
  wchar_t text[40];
  std::swprintf(text, sizeof text / sizeof text[0], L"%02lld:%02lld:%02lld", seconds / 3600,
                (seconds / 60) % 60, seconds % 60);
  return text;
}
