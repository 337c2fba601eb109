#pragma once
// Wide printf-style formatting for the engine's log lines and popup texts ("%ls" for wide and
// "%s" for narrow arguments, as glibc reads them).

#include <string>

std::wstring StrPrintfW(const wchar_t* format, ...);
// A fixed wide field up to its first NUL (or its size).
template <size_t N>
std::wstring FieldText(const wchar_t (&field)[N]) {
  size_t n = 0;
  while (n < N && field[n]) ++n;
  return std::wstring(field, n);
}
