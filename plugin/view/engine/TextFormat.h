#pragma once
// printf-style formatting into a std::string, and the date keys of the daily files (calendar
// arithmetic: platform/support/DateUtil.h).

#include <cstdint>
#include <string>

#include "platform/support/DateUtil.h"
#include "platform/win/WinTypes.h"

#if defined(__GNUC__)
#define ORV_PRINTF_LIKE(f, a) __attribute__((format(printf, f, a)))
#else
#define ORV_PRINTF_LIKE(f, a)
#endif

std::string StrPrintf(const char* format, ...) ORV_PRINTF_LIKE(1, 2);

// The local date as "yyyymmdd".
std::string FormatDateKey(const SYSTEMTIME& time);
