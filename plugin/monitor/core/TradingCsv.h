#pragma once
// The prototype viewer's CSV of trading data: a header line, then one row per line, split at
// commas. A line with 12 or more fields becomes a row (every field as text) and an entry.

#include <string>
#include <vector>

struct TradingData {
  wchar_t field1[32]{};
  wchar_t field5[16]{};
  wchar_t field6[64]{};
  double value9 = 0;
  double value10 = 0;
  double value11 = 0;
};

// Reads the file; false (nothing read) when it cannot be opened. Rows and entries are appended.
bool LoadTradingCsv(const std::string& path, std::vector<std::vector<std::wstring>>* rows,
                    std::vector<TradingData>* entries);
