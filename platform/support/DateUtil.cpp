#include "platform/support/DateUtil.h"

#include <cctype>
#include <cstring>
#include <ctime>

DWORD GfxYMDToDword(int year, int month, int day) {
  return static_cast<DWORD>(year * 10000 + month * 100 + day);
}

void GfxYMDFromNumber(DWORD ymd, int* year, int* month, int* day) {
  if (year) *year = static_cast<int>(ymd / 10000);
  if (month) *month = static_cast<int>(ymd / 100 % 100);
  if (day) *day = static_cast<int>(ymd % 100);
}

int64_t GfxGetCurrentDateTimeInt64() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return (tm.tm_year + 1900) * 10000000000LL + (tm.tm_mon + 1) * 100000000LL +
         tm.tm_mday * 1000000LL + tm.tm_hour * 10000LL + tm.tm_min * 100LL + tm.tm_sec;
}

namespace {

bool Digits(const char* p, int n, int* value) {
  int v = 0;
  for (int i = 0; i < n; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(p[i]))) return false;
    v = v * 10 + (p[i] - '0');
  }
  *value = v;
  return true;
}

bool ValidDate(int y, int m, int d) { return y > 0 && m >= 1 && m <= 12 && d >= 1 && d <= 31; }
bool ValidTime(int h, int mi, int s) { return h <= 23 && mi <= 59 && s <= 60; }

}  // namespace

int Str2UniDateTimeA(const char* text, SYSTEMTIME* out, int) {
  if (!text || !out) return 0;
  while (*text == ' ') ++text;
  size_t len = 0;
  while (text[len] && text[len] != ' ' && text[len] != 'T') ++len;
  int y, m, d, h, mi, s;
  SYSTEMTIME t = *out;
  const char* rest = nullptr;
  if (len >= 10 && text[4] == '-' && text[7] == '-' && Digits(text, 4, &y) &&
      Digits(text + 5, 2, &m) && Digits(text + 8, 2, &d)) {
    if (!ValidDate(y, m, d)) return 0;
    t.wYear = y, t.wMonth = m, t.wDay = d;
    rest = text + 10;
  } else if (len == 14 && Digits(text, 4, &y) && Digits(text + 4, 2, &m) &&
             Digits(text + 6, 2, &d) && Digits(text + 8, 2, &h) && Digits(text + 10, 2, &mi) &&
             Digits(text + 12, 2, &s)) {
    if (!ValidDate(y, m, d) || !ValidTime(h, mi, s)) return 0;
    t.wYear = y, t.wMonth = m, t.wDay = d, t.wHour = h, t.wMinute = mi, t.wSecond = s;
  } else if (len == 8 && Digits(text, 4, &y) && Digits(text + 4, 2, &m) &&
             Digits(text + 6, 2, &d)) {
    if (!ValidDate(y, m, d)) return 0;
    t.wYear = y, t.wMonth = m, t.wDay = d;
  } else if (len == 6 && Digits(text, 2, &h) && Digits(text + 2, 2, &mi) &&
             Digits(text + 4, 2, &s)) {
    if (!ValidTime(h, mi, s)) return 0;
    t.wHour = h, t.wMinute = mi, t.wSecond = s;
  } else {
    return 0;
  }
  if (rest && (*rest == ' ' || *rest == 'T')) {
    if (std::strlen(rest) >= 9 && rest[3] == ':' && rest[6] == ':' && Digits(rest + 1, 2, &h) &&
        Digits(rest + 4, 2, &mi) && Digits(rest + 7, 2, &s)) {
      if (!ValidTime(h, mi, s)) return 0;
      t.wHour = h, t.wMinute = mi, t.wSecond = s;
    } else {
      return 0;
    }
  }
  *out = t;
  return 1;
}
