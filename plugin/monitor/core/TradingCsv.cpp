#include "plugin/monitor/core/TradingCsv.h"

#include <cwchar>
#include <fstream>

#include "platform/support/TextConv.h"

namespace {
constexpr size_t kMinFields = 12;

template <size_t N>
void CopyCut(wchar_t (&out)[N], const std::wstring& text) {
  const size_t n = std::min(text.size(), N - 1);
  text.copy(out, n);
  out[n] = L'\0';
}

double Number(const std::wstring& text) {
  // _wtof: the leading number, 0 when there is none.
  return std::wcstod(text.c_str(), nullptr);
}
}  // namespace

bool LoadTradingCsv(const std::string& path, std::vector<std::vector<std::wstring>>* rows,
                    std::vector<TradingData>* entries) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  std::getline(in, line);  // the header
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::wstring> fields;
    size_t start = 0;
    for (;;) {
      const size_t comma = line.find(',', start);
      fields.push_back(Utf8ToWide(line.substr(start, comma - start)));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    if (fields.size() < kMinFields) continue;
    TradingData entry;
    CopyCut(entry.field1, fields[0]);
    CopyCut(entry.field5, fields[4]);
    CopyCut(entry.field6, fields[5]);
    entry.value9 = Number(fields[8]);
    entry.value10 = Number(fields[9]);
    entry.value11 = Number(fields[10]);
    if (rows) rows->push_back(std::move(fields));
    if (entries) entries->push_back(entry);
  }
  return true;
}
