#pragma once
// An Excel workbook held in memory: its sheets by name, each a sparse table of cells. A book is
// read whole from an .xlsx file (own reader over minizip and TinyXML) or an .xls file (freexl),
// and written whole as .xlsx (libxlsxwriter). Text is UTF-8. Rows and columns are 0-based.
//
// The readers take files a user hands over, so every size they trust is bounded: the file, each
// zip member, the sheet count, and rows and columns to Excel's own limits.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace orv::xl {

enum class CellType : uint8_t { kEmpty, kNumber, kString, kBoolean, kError };

struct Cell {
  CellType type = CellType::kEmpty;
  // True for a formula cell; its value (type, number, text) is the cached result when the
  // file had one.
  bool formula = false;
  double number = 0;  // numbers and booleans (0 or 1)
  std::string text;   // strings and error texts ("#DIV/0!")
  std::string formulaText;
};

// Excel's own limits.
constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;
// Limits of what a reader accepts.
constexpr size_t kMaxFileBytes = 64u << 20;
constexpr size_t kMaxMemberBytes = 128u << 20;
constexpr int kMaxSheets = 1024;

class CXlSheet {
 public:
  explicit CXlSheet(std::string name) : m_name(std::move(name)) {}
  const std::string& Name() const { return m_name; }

  // The cell, or null when the sheet has none there.
  const Cell* CellAt(int row, int col) const;
  // Replaces a cell; false outside Excel's limits.
  bool SetCell(int row, int col, const Cell& cell);
  bool SetNumber(int row, int col, double value);
  bool SetString(int row, int col, const std::string& text);
  // A formula with its cached numeric result.
  bool SetFormula(int row, int col, const std::string& formula, double cachedValue);

  // One past the last row that holds a cell (0 for an empty sheet).
  int LastRow() const;
  // One past the last column that holds a cell in any row.
  int LastColumn() const;
  const std::map<int, std::map<int, Cell>>& Rows() const { return m_rows; }

 private:
  std::string m_name;
  std::map<int, std::map<int, Cell>> m_rows;
};

class CXlBook {
 public:
  // Reads an .xlsx book from a file or from its bytes; false (with *error) when the file or
  // its parts cannot be read. A book that fails to load is left empty.
  bool LoadXlsx(const std::string& path, std::string* error = nullptr);
  bool LoadXlsxBytes(const void* data, size_t size, std::string* error = nullptr);
  // Reads an .xls (BIFF) book.
  bool LoadXls(const std::string& path, std::string* error = nullptr);
  // Reads by the file's first bytes: a zip is .xlsx, anything else is tried as .xls.
  bool Load(const std::string& path, std::string* error = nullptr);

  // Writes the book as .xlsx to `path`, replacing the file only once the new one is whole.
  // A book without sheets gets one empty sheet "Sheet1". False (with *error) on failure; the
  // old file is then kept.
  bool SaveXlsx(const std::string& path, std::string* error = nullptr) const;

  int SheetCount() const { return static_cast<int>(m_sheets.size()); }
  CXlSheet* Sheet(int index);
  const CXlSheet* Sheet(int index) const;
  // The index of the sheet with that exact name, or -1.
  int FindSheet(const std::string& name) const;
  // Adds an empty sheet; null when the name is empty, longer than 31 characters, holds one of
  // []:*?/\ or is taken (compared ignoring ASCII case, as Excel does).
  CXlSheet* AddSheet(const std::string& name);
  void Clear() { m_sheets.clear(); }

 private:
  std::deque<CXlSheet> m_sheets;  // a deque: sheet pointers stay valid as sheets are added
};

// Parts of the .xlsx reader, open for tests and the fuzz target.
// "A1" style reference to 0-based row and column; false when malformed or out of limits.
bool ParseCellRef(const char* ref, int* row, int* col);
// The shared-string table of xl/sharedStrings.xml.
bool ParseSharedStrings(const std::string& xml, std::vector<std::string>* out);
// One worksheet's XML into `sheet`.
bool ParseWorksheet(const std::string& xml, const std::vector<std::string>& shared, CXlSheet* sheet);

}  // namespace orv::xl
