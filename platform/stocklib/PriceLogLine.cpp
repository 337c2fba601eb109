#include "platform/stocklib/PriceLogLine.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/support/TextConv.h"

void FormatPriceLogTime(const SYSTEMTIME& time, char* out, size_t outSize) {
  if (!out || outSize == 0) return;
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.wYear, time.wMonth,
                time.wDay, time.wHour, time.wMinute, time.wSecond);
  StrSafeCopyA(out, outSize, text);
}

namespace {

// Writes `v` as "%f" does (six decimals) and answers the end. Quote values are prices and rates
// of few decimals: those are scaled to an integer count of millionths, which is the rounding
// "%f" makes whenever the scaled value is clearly away from a half (checked below); any other
// value goes through std::to_chars.
char* AppendFixed6(char* p, char* end, double v) {
  constexpr double kScale = 1e6;
  // Below 5e8, |v| * 1e6 is below 2^49: the product is within 1/16 of the exact one, so a
  // product within 1/4 of an integer rounds to that integer exactly as the exact value does.
  constexpr double kLimit = 5e8;
  if (std::isfinite(v) && std::fabs(v) < kLimit) {
    const double scaled = std::fabs(v) * kScale;
    const double whole = std::nearbyint(scaled);
    if (std::fabs(scaled - whole) < 0.25) {
      auto millionths = static_cast<uint64_t>(whole);
      if (std::signbit(v)) *p++ = '-';
      p = std::to_chars(p, end, millionths / 1000000).ptr;
      *p++ = '.';
      uint64_t fraction = millionths % 1000000;
      for (int i = 5; i >= 0; --i) {
        p[i] = static_cast<char>('0' + fraction % 10);
        fraction /= 10;
      }
      return p + 6;
    }
  }
  return std::to_chars(p, end, v, std::chars_format::fixed, 6).ptr;
}

}  // namespace

void AppendPriceLogLine(std::string* out, int market, const char* code, uint64_t tick,
                        const char* timeText, const double (&values)[5]) {
  if (!out) return;
  // Built by hand rather than with one snprintf: the price parsers write a line per quoted
  // stock, and "%f" through printf dominates their cost. std::to_chars with fixed precision 6
  // gives exactly the digits of "%f".
  constexpr size_t kMaxCode = 200;
  constexpr size_t kMaxTime = 40;
  char line[2048];
  char* p = line;
  char* const end = line + sizeof line;
  p = std::to_chars(p, end, market).ptr;
  *p++ = ',';
  *p++ = '"';
  const size_t codeLen = code ? strnlen(code, kMaxCode) : 0;
  std::memcpy(p, code ? code : "", codeLen);
  p += codeLen;
  *p++ = '"';
  *p++ = ',';
  p = std::to_chars(p, end, static_cast<unsigned long long>(tick)).ptr;
  *p++ = ',';
  *p++ = '"';
  const size_t timeLen = timeText ? strnlen(timeText, kMaxTime) : 0;
  std::memcpy(p, timeText ? timeText : "", timeLen);
  p += timeLen;
  *p++ = '"';
  for (double v : values) {
    *p++ = ',';
    // Five numbers of at most 318 characters each always fit after the bounded fields.
    p = AppendFixed6(p, end, v);
  }
  *p++ = '\n';
  out->append(line, static_cast<size_t>(p - line));
}

std::string FormatPriceLogLine(int market, const wchar_t* code, uint64_t tick,
                               const SYSTEMTIME& time, const double (&values)[5]) {
  char timeText[32];
  FormatPriceLogTime(time, timeText, sizeof timeText);
  std::string line;
  AppendPriceLogLine(&line, market, WideToUtf8(code ? code : L"").c_str(), tick, timeText, values);
  return line;
}

int WritePriceLogLine(FILE* stream, int market, const wchar_t* code, uint64_t tick,
                      const SYSTEMTIME& time, const double (&values)[5]) {
  if (!stream || !code) return 0;
  const std::string line = FormatPriceLogLine(market, code, tick, time, values);
  std::fwrite(line.data(), 1, line.size(), stream);
  return 1;
}
