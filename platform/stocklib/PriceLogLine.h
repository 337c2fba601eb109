#pragma once
// One line of the daily price log, as every price writer (the agents' price parsers and the
// engine) writes it: market byte, "code", tick count, "yyyy-mm-dd hh:mm:ss", then five decimal
// numbers (current price, change rate, open, low, high).

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/win/WinTypes.h"

// One price line, ended by a line feed.
std::string FormatPriceLogLine(int market, const wchar_t* code, uint64_t tick,
                               const SYSTEMTIME& time, const double (&values)[5]);
// Appends one price line to `out` (no allocation beyond the string's growth).
void AppendPriceLogLine(std::string* out, int market, const char* code, uint64_t tick,
                        const char* timeText, const double (&values)[5]);
// "yyyy-mm-dd hh:mm:ss" of a local time into a buffer of at least 20 bytes.
void FormatPriceLogTime(const SYSTEMTIME& time, char* out, size_t outSize);
// Appends one price line to an open price log in one write (the polling pass that handed out
// the stream flushes it at its end). Returns 1, or 0 for a null stream or code.
int WritePriceLogLine(FILE* stream, int market, const wchar_t* code, uint64_t tick,
                      const SYSTEMTIME& time, const double (&values)[5]);
