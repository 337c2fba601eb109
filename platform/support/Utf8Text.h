#pragma once
// Wide (UTF-32 wchar_t) <-> UTF-8 text, independent of the process locale.

#include <string>

namespace orv::support {

// Invalid code points become U+FFFD.
std::string WideToUtf8(const std::wstring& text);
// Malformed sequences become U+FFFD.
std::wstring Utf8ToWide(const std::string& text);

}  // namespace orv::support
