#pragma once
// printf-style formatting into a std::string, and the calendar arithmetic the daily files use.

#include <cstdint>
#include <string>

#include "platform/win/WinTypes.h"

#if defined(__GNUC__)
#define ORV_PRINTF_LIKE(f, a) __attribute__((format(printf, f, a)))
#else
#define ORV_PRINTF_LIKE(f, a)
#endif

std::string StrPrintf(const char* format, ...) ORV_PRINTF_LIKE(1, 2);

// Days since 1970-01-01 of a calendar date, and back.
int64_t DaysFromCivil(int year, int month, int day);
void CivilFromDays(int64_t days, int* year, int* month, int* day);

// The local date as "yyyymmdd".
std::string FormatDateKey(const SYSTEMTIME& time);
