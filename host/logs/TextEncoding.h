#pragma once
// Conversions of wide text (32-bit wchar_t code points) to the byte forms the host writes:
// UTF-8 for file names and UTF-16 little-endian for the daily log files.

#include <string>

#include "platform/support/TextConv.h"

namespace orv::host {

using ::WideToUtf8;
// Two bytes per UTF-16 unit, low byte first; characters above U+FFFF become surrogate pairs.
std::string WideToUtf16Le(const std::wstring& text);

}  // namespace orv::host
