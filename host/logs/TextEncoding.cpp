#include "host/logs/TextEncoding.h"

#include <cstdint>

namespace orv::host {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

char32_t ScalarValue(wchar_t c) {
  const auto cp = static_cast<uint32_t>(c);
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
  return static_cast<char32_t>(cp);
}

void PutUtf16Unit(std::string& out, uint32_t unit) {
  out.push_back(static_cast<char>(unit & 0xFF));
  out.push_back(static_cast<char>((unit >> 8) & 0xFF));
}

}  // namespace

std::string WideToUtf16Le(const std::wstring& text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (wchar_t wc : text) {
    const char32_t cp = ScalarValue(wc);
    if (cp < 0x10000) {
      PutUtf16Unit(out, cp);
    } else {
      const uint32_t v = cp - 0x10000;
      PutUtf16Unit(out, 0xD800 | (v >> 10));
      PutUtf16Unit(out, 0xDC00 | (v & 0x3FF));
    }
  }
  return out;
}

}  // namespace orv::host
