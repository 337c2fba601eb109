#pragma once
// The daily price log's line format, its parser, and the series the price simulation replays
// from a price log (or from a file of change rates).
//
// A price line (platform/stocklib/PriceLogLine.h): market byte, "code", tick count,
// "yyyy-mm-dd hh:mm:ss", then five decimal numbers, the first of which is the current price.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/stocklib/PriceLogLine.h"
#include "platform/win/WinTypes.h"

// One parsed price line.
struct PriceLogRecord_s {
  int32_t market = 0;
  wchar_t code[32]{};
  uint32_t tick = 0;  // the writer's tick count in milliseconds
  wchar_t time_text[32]{};
  SYSTEMTIME time;     // time_text taken apart (by the reader)
  double values[5]{};  // values[0] is the current price
  uint8_t rise = 0;    // 1 when the price is above the previous kept record's
};

// Splits one CSV line at the commas outside double quotes. Fields keep their quotes.
std::vector<std::wstring> TokenizeCsvLine(const std::wstring& line);

// Parses one price line (a trailing line break is ignored). False when the line has fewer
// than nine fields; the record's time is left zero.
bool ParsePriceLine(const std::wstring& line, PriceLogRecord_s* out);

// The price simulation's input: the replay records of a price log (mode 1) or the change
// rates of a plain number file (mode 2).
class CPriceSeries {
 public:
  static constexpr int kModeRates = 2;

  // Mode 2: every line that does not begin with "#" and holds a comma adds the number before
  // its first comma (lines are cut at 100 characters; a leading byte-order mark is skipped; a
  // line whose first field is not a number is skipped); returns the number of rates.
  // Any other mode: replaces the records with the lines of the price log whose time is at
  // or after startHhmm (hour x 100 + minute); earlier lines are counted into *outSkipped.
  // Lines that do not parse are neither kept nor counted. Returns the number of records.
  // A missing file loads nothing and returns 0.
  int ReadPriceLog(const std::string& path, int mode, int startHhmm, int* outSkipped);

  // Empties both lists.
  void ClearPriceSeries();

  const std::vector<PriceLogRecord_s>& Records() const { return m_records; }
  const std::vector<double>& Rates() const { return m_rates; }

 private:
  int ReadRates(const std::string& path);

  std::vector<PriceLogRecord_s> m_records;
  std::vector<double> m_rates;
};
