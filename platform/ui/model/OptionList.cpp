#include "platform/ui/model/OptionList.h"

#include <cwctype>
#include <limits>

#include "platform/ui/model/TextConv.h"

namespace orv::ui {

bool ParseDecimalInt64(std::wstring_view text, int64_t* value) {
  size_t i = 0;
  size_t n = text.size();
  while (i < n && std::iswspace(text[i])) ++i;
  while (n > i && std::iswspace(text[n - 1])) --n;
  if (i == n) return false;
  bool negative = false;
  if (text[i] == L'-' || text[i] == L'+') {
    negative = text[i] == L'-';
    ++i;
  }
  if (i == n) return false;
  uint64_t acc = 0;
  const uint64_t limit =
      negative ? uint64_t(std::numeric_limits<int64_t>::max()) + 1 : uint64_t(INT64_MAX);
  for (; i < n; ++i) {
    wchar_t c = text[i];
    if (c < L'0' || c > L'9') return false;
    unsigned d = static_cast<unsigned>(c - L'0');
    if (acc > (limit - d) / 10) return false;
    acc = acc * 10 + d;
  }
  *value = negative ? static_cast<int64_t>(0 - acc) : static_cast<int64_t>(acc);
  return true;
}

bool COptionList::Parse(std::wstring_view text, wchar_t sep, std::wstring* error) {
  std::vector<OptionEntry> parsed;
  size_t pos = 0;
  int entryNo = 0;
  while (pos < text.size()) {
    size_t end = text.find(sep, pos);
    if (end == std::wstring_view::npos) end = text.size();
    std::wstring_view entry = text.substr(pos, end - pos);
    pos = end + 1;
    ++entryNo;
    bool blank = true;
    for (wchar_t c : entry) blank = blank && std::iswspace(c);
    if (blank) continue;  // "a;;b" and a trailing blank after the last ';'
    size_t colon = entry.find(L':');
    int64_t value = 0;
    if (colon == std::wstring_view::npos || !ParseDecimalInt64(entry.substr(0, colon), &value)) {
      if (error) {
        *error = L"option entry " + std::to_wstring(entryNo) + L" \"" + std::wstring(entry) +
                 L"\" is not value:label";
      }
      return false;
    }
    parsed.push_back({value, std::wstring(entry.substr(colon + 1))});
  }
  entries_ = std::move(parsed);
  return true;
}

bool COptionList::Parse(std::string_view utf8, char sep, std::wstring* error) {
  return Parse(Utf8ToWide(utf8), static_cast<wchar_t>(sep), error);
}

std::wstring COptionList::ToText(wchar_t sep) const {
  std::wstring out;
  for (const auto& e : entries_) {
    out += std::to_wstring(e.value);
    out += L':';
    out += e.label;
    out += sep;
  }
  return out;
}

void COptionList::Add(int64_t value, std::wstring label) {
  entries_.push_back({value, std::move(label)});
}

int COptionList::IndexOfValue(int64_t value) const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].value == value) return static_cast<int>(i);
  return -1;
}

int COptionList::IndexOfLabel(std::wstring_view label) const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].label == label) return static_cast<int>(i);
  return -1;
}

const std::wstring* COptionList::FindLabel(int64_t value) const {
  int i = IndexOfValue(value);
  return i < 0 ? nullptr : &entries_[static_cast<size_t>(i)].label;
}

bool COptionList::FindValue(std::wstring_view label, int64_t* value) const {
  int i = IndexOfLabel(label);
  if (i < 0) return false;
  *value = entries_[static_cast<size_t>(i)].value;
  return true;
}

int StrFindNumIndex(std::wstring_view list, int64_t number, wchar_t sep) {
  COptionList options;
  if (!options.Parse(list, sep)) return 0;
  return options.IndexOfValue(number) + 1;
}

}  // namespace orv::ui
