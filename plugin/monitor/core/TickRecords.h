#pragma once
// The tick list's records (one price event of one stock) and the cells of one grid row, as the
// tick list dialog's virtual grid builds them on demand.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct TickRecord_s {
  int32_t nation = 0;
  wchar_t code[32]{};
  int32_t tick = 0;
  wchar_t time[40]{};
  double price = 0;
  double changeRate = 0;  // percent
  double startPrice = 0;
  double low = 0;
  double high = 0;
};

using TickRecordList = std::vector<TickRecord_s*>;

constexpr int kTickColumnCount = 9;

struct TickColumn {
  const wchar_t* caption;
  int width;
};
extern const TickColumn kTickColumns[kTickColumnCount];

// The texts of row `index` of the list: nation, code, tick, time, then price, change rate,
// start, high and low, each cut toward zero to a whole number. False (no row) for a missing
// list or record, or an index outside the list.
bool TickRowTexts(const TickRecordList* list, long index,
                  std::array<std::wstring, kTickColumnCount>* cells);
