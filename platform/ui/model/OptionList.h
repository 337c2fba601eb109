#pragma once
// Option lists: value and label pairs written as "value:label;" ("1:매수;2:매도"), that fill
// combo boxes, grid option columns and enumerated settings.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orv::ui {

struct OptionEntry {
  int64_t value = 0;
  std::wstring label;
};

class COptionList {
 public:
  // Parses the text form. Every entry is "value:label"; entries are ended (or separated) by
  // `sep`; blanks around the value are allowed (" 1048576:..."), the label is kept as written.
  // Values are decimal ("0810" is 810). On a malformed entry nothing is changed, false is
  // answered and *error says which entry and why.
  bool Parse(std::wstring_view text, wchar_t sep = L';', std::wstring* error = nullptr);
  bool Parse(std::string_view utf8, char sep = ';', std::wstring* error = nullptr);

  // The text form, each entry ended by `sep`.
  std::wstring ToText(wchar_t sep = L';') const;

  void Clear() { entries_.clear(); }
  void Add(int64_t value, std::wstring label);
  size_t Size() const { return entries_.size(); }
  bool Empty() const { return entries_.empty(); }
  const OptionEntry& At(size_t index) const { return entries_[index]; }
  const std::vector<OptionEntry>& Entries() const { return entries_; }

  // Index of the first entry with this value / label, or -1.
  int IndexOfValue(int64_t value) const;
  int IndexOfLabel(std::wstring_view label) const;
  // The label of a value; nullptr when the value is not listed.
  const std::wstring* FindLabel(int64_t value) const;
  // The value of a label; false when the label is not listed.
  bool FindValue(std::wstring_view label, int64_t* value) const;

 private:
  std::vector<OptionEntry> entries_;
};

// The edit options of an option column: its constraint list, whether the user may type a value
// that is not in the list, and whether the cell shows a drop-down button.
struct CReportEditOptions {
  COptionList constraints;
  bool allowEdit = false;
  bool comboButton = true;
};

// Non-zero when `number` is one of the values of an option-list text (1-based index of the
// entry, 0 when absent or when the text is malformed).
int StrFindNumIndex(std::wstring_view list, int64_t number, wchar_t sep = L';');

// Parses a whole decimal number with optional blanks around it; false on anything else.
bool ParseDecimalInt64(std::wstring_view text, int64_t* value);

}  // namespace orv::ui
