#include "plugin/view/engine/TextFormat.h"

#include <cstdarg>
#include <cstdio>

std::string StrPrintf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out;
  if (length > 0) {
    out.resize(static_cast<size_t>(length) + 1);
    std::vsnprintf(out.data(), out.size(), format, args);
    out.resize(static_cast<size_t>(length));
  }
  va_end(args);
  return out;
}

std::string FormatDateKey(const SYSTEMTIME& time) {
  return StrPrintf("%04d%02d%02d", time.wYear, time.wMonth, time.wDay);
}
