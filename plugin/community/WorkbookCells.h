#pragma once
// Reading the cells of the workbooks a user hands over (member lists, client lists): texts,
// whole numbers and dates, and the file's extension, which decides how a workbook is opened.
// Toolkit-free.

#include <string>

#include "platform/win/WinTypes.h"

namespace orv::xl {
struct Cell;
class CXlBook;
}  // namespace orv::xl

// The extension of a path, after its last '.' in the file name, lower-cased (ASCII); empty when
// the name has none. "C:\\a\\b.XLSX" and "/a/b.XLSX" both give "xlsx".
std::string WorkbookExtension(const std::wstring& path);

// Loads the workbook at `path` as .xlsx when `asXlsx`, else as .xls (BIFF). False when the file
// does not load (the book is then empty).
bool LoadWorkbookAs(const std::wstring& path, bool asXlsx, orv::xl::CXlBook* book);

// The cell's text (null or empty cell: empty). A number reads as its shortest decimal text
// ("1012345678", "2.5"), a boolean as "1" or "0", so a phone number typed as a number keeps
// its digits.
std::wstring WorkbookCellText(const orv::xl::Cell* cell);

// The cell's number: numbers and booleans as they are, a text that holds a whole number or a
// decimal as that number, anything else 0.
double WorkbookCellNumber(const orv::xl::Cell* cell);

// A number as int32, truncated toward zero; 0 when it is not finite or does not fit.
int32_t WorkbookNumberToInt(double value);

// A date text: year, month and day separated by '-', '.' or '/' ("2024-03-05", "2024.3.5"),
// optionally followed by a time, or eight digits "20240305". Fills year, month and day (the time
// of day stays 0) and answers true only for a real calendar date from year 1900 to 9999.
bool Str2Date(const std::string& text, SYSTEMTIME* out, int mode = 1);

// The cell as a date: a number is an Excel serial day (1 is 1900-01-01, with Excel's own
// 1900-02-29), a text goes through Str2Date. False (out untouched) when the cell holds no date;
// callers tell a missing date by wYear 0.
bool CodeGenGetDateValueFromExcelCell(const orv::xl::Cell* cell, SYSTEMTIME* out);

// "%04d-%02d-%02d" of a date; empty when its year is 0.
std::wstring FormatWorkbookDate(const SYSTEMTIME& date);
