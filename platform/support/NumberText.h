#pragma once
// Numbers as the windows and messages show them.

#include <string>

// The value with `decimals` places (0 to 6; rounded), its whole part grouped by thousands with
// ',': 1234567.5 with 0 decimals is "1,234,568", -1234.5 with 1 is "-1,234.5". A value that is
// not a finite number gives "0".
std::wstring StrFormatNumber2(double value, int decimals);
