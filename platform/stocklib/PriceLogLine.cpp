#include "platform/stocklib/PriceLogLine.h"

#include <algorithm>

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
  // Five "%f" numbers take at most 5 x 318 bytes; with the code and time bounded the line
  // always fits.
  char line[2048];
  const int n = std::snprintf(line, sizeof line, "%d,\"%.200s\",%llu,\"%.40s\",%f,%f,%f,%f,%f\n",
                              market, code ? code : "", static_cast<unsigned long long>(tick),
                              timeText ? timeText : "", values[0], values[1], values[2], values[3],
                              values[4]);
  if (n > 0) out->append(line, std::min(static_cast<size_t>(n), sizeof line - 1));
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
