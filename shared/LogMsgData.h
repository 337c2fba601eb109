#pragma once
// One log entry: made by the host's log hub from a host or module line, shown by the log list
// control, and copied deep whenever a reader takes it.

#include <cstdint>

#include "platform/win/WinTypes.h"

struct log_msg_data_s {
  // The caller's level (for module lines: the notify sub-code).
  int32_t nLevel = 0;
  // Always 0 in entries the hub makes.
  int32_t nNumber2 = 0;
  // The caller's status integer.
  int32_t nStatus = 0;
  // The caller's code.
  int32_t nCode = 0;
  // The caller's three flag bytes; the first is the line's flag.
  uint8_t byFlags[3] = {};
  // Local time at which the entry was made.
  SYSTEMTIME tmTime;
  // Owned copies (malloc/wcsdup); the source may be null.
  wchar_t* pszSource = nullptr;
  wchar_t* pszText = nullptr;
};
