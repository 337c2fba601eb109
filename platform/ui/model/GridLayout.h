#pragma once
// Grid layout strings: "title:flags width;" entries (":?5;No:25;카페:?30;"). The n-th entry is
// the column of item n. The title may be empty; an entry without a colon is a title alone.
// Flag letters before the width:
//   ?  the column starts hidden        >  right-aligned (numbers)     -  centred
//   #  the tree column (expand buttons) g  a grouping column (kept, no own drawing)
//   c  an option column (drop-down from the column's option list)
//   d  a date column                   t  a time column
// A missing width takes kDefaultColumnWidth.

#include <string>
#include <string_view>
#include <vector>

namespace orv::ui {

constexpr int kDefaultColumnWidth = 60;

struct GridColumnSpec {
  std::wstring title;
  int width = kDefaultColumnWidth;
  bool hidden = false;
  bool alignRight = false;
  bool alignCenter = false;
  bool treeColumn = false;
  bool grouping = false;
  bool options = false;
  bool date = false;
  bool time = false;
};

// Parses a layout; on a malformed entry answers false, leaves *out unchanged and says why.
bool ParseGridLayout(std::wstring_view layout, wchar_t sep, std::vector<GridColumnSpec>* out,
                     std::wstring* error = nullptr);

// Parses one entry's "flags width" part (the text after the last colon).
bool ParseColumnFlags(std::wstring_view flags, GridColumnSpec* spec, std::wstring* error);

}  // namespace orv::ui
