#pragma once
// Whole numbers out of reply values. A number that a server sends may be anything (1e99, -1e300,
// a value of infinity written as 1e999), and converting a double outside the target type's range
// to that type is undefined behaviour. Every conversion of a reply's number goes through these:
// the value is truncated toward zero and taken only when it fits the target type.

#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>

// True, with *out set, when the value truncated toward zero fits Int; false (out untouched) for
// a value outside Int's range or not a number.
template <typename Int>
bool NumberToInt(double value, Int* out) {
  static_assert(std::is_integral<Int>::value, "whole-number target");
  // Both bounds are zero or powers of two, so they and the comparisons are exact.
  constexpr double kLow = static_cast<double>(std::numeric_limits<Int>::min());
  constexpr double kHighExclusive =
      2.0 * static_cast<double>(std::numeric_limits<Int>::max() / 2 + 1);
  const double whole = std::trunc(value);
  if (!(whole >= kLow && whole < kHighExclusive)) return false;
  *out = static_cast<Int>(whole);
  return true;
}

// The same with bounds of the caller's choosing (inclusive), inside Int's range.
template <typename Int>
bool NumberToIntIn(double value, Int low, Int high, Int* out) {
  Int whole = 0;
  if (!NumberToInt(value, &whole) || whole < low || whole > high) return false;
  *out = whole;
  return true;
}

// The number at the start of a text (AtoN: sign, digits with ',' separators, fraction, exponent)
// as a whole number; false when the text holds no number or one outside Int's range.
bool TextToNumber(const char* text, double* out);
template <typename Int>
bool TextToInt(const char* text, Int* out) {
  double value = 0;
  return TextToNumber(text, &value) && NumberToInt(value, out);
}
