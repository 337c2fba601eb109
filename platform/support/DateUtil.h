#pragma once
// Date packing and broker date-time texts.

#include <cstdint>

#include "platform/win/CivilDays.h"
#include "platform/win/WinTypes.h"

// yyyymmdd as one number.
DWORD GfxYMDToDword(int year, int month, int day);
// Splits a yyyymmdd number; any out pointer may be null.
void GfxYMDFromNumber(DWORD ymd, int* year, int* month, int* day);
// Current local date-time as yyyymmddhhmmss.
int64_t GfxGetCurrentDateTimeInt64();
// Parses "yyyymmdd", "hhmmss", "yyyymmddhhmmss", "yyyy-mm-dd", "yyyy-mm-dd hh:mm:ss" and
// "yyyy-mm-ddThh:mm:ss" (fraction and zone ignored). Fields not in the text stay as they were.
// Returns 1 when the text was understood, else 0 (out untouched).
int Str2UniDateTimeA(const char* text, SYSTEMTIME* out, int reserved = 0);
