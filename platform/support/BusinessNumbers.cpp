#include "platform/support/BusinessNumbers.h"

#include <vector>

namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Characters people write between the groups of a number.
bool IsNumberSeparator(wchar_t c) {
  return c == L'-' || c == L' ' || c == L'.' || c == L'(' || c == L')' || c == L'\t';
}

// The digits of one number; false when anything else than digits and separators is in it.
bool NumberDigits(std::wstring_view text, std::wstring* digits) {
  digits->clear();
  for (wchar_t c : text) {
    if (IsDigit(c))
      digits->push_back(c);
    else if (!IsNumberSeparator(c))
      return false;
  }
  return !digits->empty();
}

std::wstring Grouped(const std::wstring& digits, std::initializer_list<size_t> sizes) {
  std::wstring out;
  size_t at = 0;
  for (size_t size : sizes) {
    if (!out.empty()) out += L'-';
    out += digits.substr(at, size);
    at += size;
  }
  return out;
}

bool FormatOneTelNumber(std::wstring_view text, std::wstring* out) {
  std::wstring d;
  if (!NumberDigits(text, &d)) return false;
  const size_t n = d.size();
  if (d.compare(0, 2, L"02") == 0) {
    if (n == 9) return *out = Grouped(d, {2, 3, 4}), true;
    if (n == 10) return *out = Grouped(d, {2, 4, 4}), true;
    return false;
  }
  if (d[0] == L'0') {
    if (n == 10) return *out = Grouped(d, {3, 3, 4}), true;
    if (n == 11) return *out = Grouped(d, {3, 4, 4}), true;
    return false;
  }
  // Nationwide service numbers (1588-, 1644-, 1800- ...).
  if (n == 8 && d[0] == L'1') return *out = Grouped(d, {4, 4}), true;
  return false;
}

bool Fits(const std::wstring& text, size_t maxChars) {
  return maxChars == 0 || text.size() <= maxChars;
}

}  // namespace

std::wstring StrGetNumberOnly(std::wstring_view text, wchar_t extra) {
  std::wstring out;
  for (wchar_t c : text)
    if (IsDigit(c) || (extra != 0 && c == extra)) out.push_back(c);
  return out;
}

bool GfxFormatTelNumber(std::wstring_view text, wchar_t extra, std::wstring* out,
                        size_t maxChars) {
  if (!out) return false;
  std::vector<std::wstring_view> parts;
  if (extra == 0) {
    parts.push_back(text);
  } else {
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find(extra, start);
      if (end == std::wstring_view::npos) end = text.size();
      parts.push_back(text.substr(start, end - start));
      start = end + 1;
    }
  }
  std::wstring result;
  bool any = false;
  for (std::wstring_view part : parts) {
    std::wstring formatted;
    bool blank = true;
    for (wchar_t c : part) blank = blank && (c == L' ' || c == L'\t');
    if (blank) continue;  // "a;;b" or a trailing separator: nothing to format there
    if (!FormatOneTelNumber(part, &formatted)) return false;
    if (any) result += extra;
    result += formatted;
    any = true;
  }
  if (!any || !Fits(result, maxChars)) return false;
  *out = result;
  return true;
}

bool GfxFormatBizRegNumber(std::wstring_view text, wchar_t extra, std::wstring* out,
                           size_t maxChars) {
  if (!out) return false;
  std::wstring prefix;
  if (extra != 0 && !text.empty() && text.front() == extra) {
    prefix.push_back(extra);
    text.remove_prefix(1);
  }
  std::wstring d;
  if (!NumberDigits(text, &d) || d.size() != 10) return false;
  const std::wstring result = prefix + Grouped(d, {3, 2, 5});
  if (!Fits(result, maxChars)) return false;
  *out = result;
  return true;
}
