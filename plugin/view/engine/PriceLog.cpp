#include "plugin/view/engine/PriceLog.h"

#include <algorithm>
#include <cwchar>
#include <fstream>
#include <iterator>

#include "platform/support/DateUtil.h"
#include "platform/support/TextConv.h"

namespace {

constexpr size_t kMinPriceFields = 9;
constexpr size_t kMaxRateLineLength = 100;
constexpr size_t kMaxPriceLineLength = 1024;

void StripLineBreak(std::wstring* line) {
  while (!line->empty() && (line->back() == L'\n' || line->back() == L'\r')) line->pop_back();
}

// The field without one leading and one trailing double quote.
std::wstring Unquote(std::wstring field) {
  if (field.size() >= 2 && field.front() == L'"') field.erase(0, 1);
  if (!field.empty() && field.back() == L'"') field.pop_back();
  return field;
}

// A whole field as a number; false when it is not one.
bool ParseDouble(const std::wstring& field, double* out) {
  const wchar_t* begin = field.c_str();
  wchar_t* end = nullptr;
  const double value = std::wcstod(begin, &end);
  if (end == begin) return false;
  while (*end == L' ' || *end == L'\t') ++end;
  if (*end != L'\0') return false;
  *out = value;
  return true;
}

}  // namespace

std::vector<std::wstring> TokenizeCsvLine(const std::wstring& line) {
  std::vector<std::wstring> fields(1);
  bool quoted = false;
  for (wchar_t c : line) {
    if (c == L'"') quoted = !quoted;
    if (c == L',' && !quoted) {
      fields.emplace_back();
    } else {
      fields.back().push_back(c);
    }
  }
  return fields;
}

bool ParsePriceLine(const std::wstring& text, PriceLogRecord_s* out) {
  std::wstring line = text;
  StripLineBreak(&line);
  if (!line.empty() && line[0] == L'\xFEFF') line.erase(0, 1);
  const std::vector<std::wstring> fields = TokenizeCsvLine(line);
  if (fields.size() < kMinPriceFields) return false;
  PriceLogRecord_s record;
  record.market = static_cast<int32_t>(std::wcstol(fields[0].c_str(), nullptr, 10));
  StrSafeCopyW(record.code, std::size(record.code), Unquote(fields[1]).c_str());
  record.tick = static_cast<uint32_t>(std::wcstoul(fields[2].c_str(), nullptr, 10));
  StrSafeCopyW(record.time_text, std::size(record.time_text), Unquote(fields[3]).c_str());
  for (int i = 0; i < 5; ++i) record.values[i] = std::wcstod(fields[4 + i].c_str(), nullptr);
  *out = record;
  return true;
}

void CPriceSeries::ClearPriceSeries() {
  m_records.clear();
  m_rates.clear();
}

int CPriceSeries::ReadRates(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
  const std::wstring text = Utf8ToWide(bytes);
  m_rates.clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, std::min(end - start, kMaxRateLineLength));
    start = end + 1;
    StripLineBreak(&line);
    const size_t comma = line.find(L',');
    if (line.empty() || line[0] == L'#' || comma == std::wstring::npos) continue;
    double rate = 0;
    if (ParseDouble(line.substr(0, comma), &rate)) m_rates.push_back(rate);
  }
  return static_cast<int>(m_rates.size());
}

int CPriceSeries::ReadPriceLog(const std::string& path, int mode, int startHhmm, int* outSkipped) {
  if (outSkipped) *outSkipped = 0;
  if (mode == kModeRates) {
    std::ifstream probe(path);
    return probe ? ReadRates(path) : 0;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return 0;
  m_records.clear();
  int skipped = 0;
  std::string bytes;
  while (std::getline(in, bytes)) {
    if (bytes.size() > kMaxPriceLineLength) bytes.resize(kMaxPriceLineLength);
    PriceLogRecord_s record;
    if (!ParsePriceLine(Utf8ToWide(bytes), &record)) continue;
    Str2UniDateTimeA(WideToUtf8(record.time_text).c_str(), &record.time);
    if (record.time.wHour * 100 + record.time.wMinute < startHhmm) {
      ++skipped;
      continue;
    }
    record.rise = !m_records.empty() && record.values[0] > m_records.back().values[0] ? 1 : 0;
    m_records.push_back(record);
  }
  if (outSkipped) *outSkipped = skipped;
  return static_cast<int>(m_records.size());
}
