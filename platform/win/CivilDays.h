#pragma once
// Calendar dates as day counts, with no time-zone or library state: safe to call anywhere,
// a signal handler included.

#include <cstdint>

// Days since 1970-01-01 of a calendar date (proleptic Gregorian), and back.
int64_t DaysFromCivil(int year, int month, int day);
void CivilFromDays(int64_t days, int* year, int* month, int* day);
