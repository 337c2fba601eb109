#include "platform/support/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

std::wstring StrFormatNumber2(double value, int decimals) {
  if (!std::isfinite(value)) return L"0";
  decimals = std::clamp(decimals, 0, 6);
  char text[64];
  std::snprintf(text, sizeof(text), "%.*f", decimals, std::fabs(value));
  std::string digits(text);
  const size_t point = digits.find('.');
  const std::string whole = digits.substr(0, point);
  const std::string fraction = point == std::string::npos ? "" : digits.substr(point);
  std::wstring out;
  // A value that rounds to zero shows no sign.
  const bool zero = whole.find_first_not_of('0') == std::string::npos &&
                    fraction.find_first_not_of(".0") == std::string::npos;
  if (value < 0 && !zero) out.push_back(L'-');
  for (size_t i = 0; i < whole.size(); ++i) {
    if (i > 0 && (whole.size() - i) % 3 == 0) out.push_back(L',');
    out.push_back(static_cast<wchar_t>(whole[i]));
  }
  for (char c : fraction) out.push_back(static_cast<wchar_t>(c));
  return out;
}
