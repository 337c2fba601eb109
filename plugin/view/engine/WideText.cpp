#include "plugin/view/engine/WideText.h"

#include <cstdarg>
#include <cwchar>
#include <vector>

std::wstring StrPrintfW(const wchar_t* format, ...) {
  std::vector<wchar_t> buffer(256);
  for (;;) {
    va_list args;
    va_start(args, format);
    const int n = std::vswprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    if (n >= 0 && static_cast<size_t>(n) < buffer.size()) return std::wstring(buffer.data(), n);
    // vswprintf reports neither the needed size nor the cause: grow and try again.
    if (buffer.size() >= (1u << 20)) return std::wstring();
    buffer.resize(buffer.size() * 4);
  }
}
