#include "plugin/community/WorkbookCells.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/support/TextConv.h"
#include "platform/win/CivilDays.h"
#include "platform/xl/XlBook.h"

namespace {

// Excel's serial days run to 9999-12-31.
constexpr double kLastSerialDay = 2958465;
// Serial day 60 is Excel's 1900-02-29, a day the calendar never had.
constexpr int kFakeLeapDay = 60;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsCalendarDate(int year, int month, int day) {
  if (year < 1900 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  int y = 0, m = 0, d = 0;
  CivilFromDays(DaysFromCivil(year, month, day), &y, &m, &d);
  return y == year && m == month && d == day;
}

// Reads up to `maxDigits` digits at `at`; false when there is none.
bool ReadNumber(const std::string& text, size_t* at, size_t maxDigits, int* out) {
  size_t i = *at;
  int value = 0;
  while (i < text.size() && IsDigit(text[i]) && i - *at < maxDigits)
    value = value * 10 + (text[i++] - '0');
  if (i == *at) return false;
  *at = i;
  *out = value;
  return true;
}

}  // namespace

std::string WorkbookExtension(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  const size_t nameStart = slash == std::wstring::npos ? 0 : slash + 1;
  const size_t dot = path.rfind(L'.');
  if (dot == std::wstring::npos || dot < nameStart) return {};
  std::string ext = WideToUtf8(path.substr(dot + 1));
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return ext;
}

bool LoadWorkbookAs(const std::wstring& path, bool asXlsx, orv::xl::CXlBook* book) {
  if (!book) return false;
  const std::string file = WideToUtf8(path);
  return asXlsx ? book->LoadXlsx(file) : book->LoadXls(file);
}

std::wstring WorkbookCellText(const orv::xl::Cell* cell) {
  if (!cell) return {};
  switch (cell->type) {
    case orv::xl::CellType::kString:
      return Utf8ToWide(cell->text);
    case orv::xl::CellType::kNumber:
    case orv::xl::CellType::kBoolean: {
      if (!std::isfinite(cell->number)) return {};
      char text[64];
      std::snprintf(text, sizeof text, "%.15g", cell->number);
      return Utf8ToWide(text);
    }
    default:
      return {};
  }
}

double WorkbookCellNumber(const orv::xl::Cell* cell) {
  if (!cell) return 0;
  switch (cell->type) {
    case orv::xl::CellType::kNumber:
    case orv::xl::CellType::kBoolean:
      return cell->number;
    case orv::xl::CellType::kString: {
      const char* begin = cell->text.c_str();
      char* end = nullptr;
      const double value = std::strtod(begin, &end);
      if (end == begin) return 0;
      while (*end == ' ') ++end;
      return *end == '\0' && std::isfinite(value) ? value : 0;
    }
    default:
      return 0;
  }
}

int32_t WorkbookNumberToInt(double value) {
  if (!std::isfinite(value)) return 0;
  const double whole = std::trunc(value);
  if (whole < std::numeric_limits<int32_t>::min() || whole > std::numeric_limits<int32_t>::max())
    return 0;
  return static_cast<int32_t>(whole);
}

bool Str2Date(const std::string& text, SYSTEMTIME* out, int /*mode*/) {
  if (!out) return false;
  size_t at = 0;
  while (at < text.size() && text[at] == ' ') ++at;
  int year = 0, month = 0, day = 0;
  const size_t start = at;
  if (!ReadNumber(text, &at, 8, &year)) return false;
  if (at - start == 8) {
    // "yyyymmdd"
    day = year % 100;
    month = year / 100 % 100;
    year /= 10000;
  } else {
    if (at - start != 4 || at >= text.size()) return false;
    const char separator = text[at];
    if (separator != '-' && separator != '.' && separator != '/') return false;
    ++at;
    if (!ReadNumber(text, &at, 2, &month) || at >= text.size() || text[at] != separator)
      return false;
    ++at;
    if (!ReadNumber(text, &at, 2, &day)) return false;
  }
  // What follows the date may only be a time ("2024-03-05 09:30:00") or a closing dot.
  if (at < text.size() && text[at] != ' ' && text[at] != 'T' && text[at] != '.') return false;
  if (!IsCalendarDate(year, month, day)) return false;
  *out = SYSTEMTIME{};
  out->wYear = static_cast<WORD>(year);
  out->wMonth = static_cast<WORD>(month);
  out->wDay = static_cast<WORD>(day);
  return true;
}

bool CodeGenGetDateValueFromExcelCell(const orv::xl::Cell* cell, SYSTEMTIME* out) {
  if (!cell || !out) return false;
  if (cell->type == orv::xl::CellType::kString) return Str2Date(cell->text, out, 1);
  if (cell->type != orv::xl::CellType::kNumber) return false;
  const double serial = std::floor(cell->number);
  if (!std::isfinite(serial) || serial < 1 || serial > kLastSerialDay) return false;
  int serialDay = static_cast<int>(serial);
  if (serialDay == kFakeLeapDay) return false;
  // Days before the fake leap day count from 1899-12-31, the later ones from 1899-12-30.
  const int64_t base = serialDay < kFakeLeapDay ? DaysFromCivil(1899, 12, 31)
                                                : DaysFromCivil(1899, 12, 30);
  int year = 0, month = 0, day = 0;
  CivilFromDays(base + serialDay, &year, &month, &day);
  *out = SYSTEMTIME{};
  out->wYear = static_cast<WORD>(year);
  out->wMonth = static_cast<WORD>(month);
  out->wDay = static_cast<WORD>(day);
  return true;
}

std::wstring FormatWorkbookDate(const SYSTEMTIME& date) {
  if (date.wYear == 0) return {};
  wchar_t text[32];
  std::swprintf(text, 32, L"%04d-%02d-%02d", date.wYear, date.wMonth, date.wDay);
  return text;
}
