#include "platform/stocklib/PriceLogLine.h"

#include <charconv>
#include <cstring>

#include "platform/support/TextConv.h"

void FormatPriceLogTime(const SYSTEMTIME& time, char* out, size_t outSize) {
  if (!out || outSize == 0) return;
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.wYear, time.wMonth,
                time.wDay, time.wHour, time.wMinute, time.wSecond);
  StrSafeCopyA(out, outSize, text);
}

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
    p = std::to_chars(p, end, v, std::chars_format::fixed, 6).ptr;
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
  std::fflush(stream);
  return 1;
}
