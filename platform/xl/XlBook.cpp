#include "platform/xl/XlBook.h"

#include <xlsxwriter.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <unistd.h>

namespace orv::xl {

namespace {

bool InLimits(int row, int col) {
  return row >= 0 && row < kMaxRows && col >= 0 && col < kMaxColumns;
}

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

// Characters, not bytes: Excel's 31-character limit counts characters.
size_t Utf8Length(const std::string& text) {
  size_t n = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

bool WriteCell(lxw_worksheet* ws, int row, int col, const Cell& cell) {
  lxw_error rc = LXW_NO_ERROR;
  const auto r = static_cast<lxw_row_t>(row);
  const auto c = static_cast<lxw_col_t>(col);
  if (cell.formula) {
    rc = worksheet_write_formula_num(ws, r, c, cell.formulaText.c_str(), nullptr, cell.number);
  } else {
    switch (cell.type) {
      case CellType::kNumber:
        rc = worksheet_write_number(ws, r, c, cell.number, nullptr);
        break;
      case CellType::kString:
      case CellType::kError:
        rc = worksheet_write_string(ws, r, c, cell.text.c_str(), nullptr);
        break;
      case CellType::kBoolean:
        rc = worksheet_write_boolean(ws, r, c, cell.number != 0, nullptr);
        break;
      case CellType::kEmpty:
        break;
    }
  }
  return rc == LXW_NO_ERROR;
}

}  // namespace

const Cell* CXlSheet::CellAt(int row, int col) const {
  auto r = m_rows.find(row);
  if (r == m_rows.end()) return nullptr;
  auto c = r->second.find(col);
  return c == r->second.end() ? nullptr : &c->second;
}

bool CXlSheet::SetCell(int row, int col, const Cell& cell) {
  if (!InLimits(row, col)) return false;
  m_rows[row][col] = cell;
  return true;
}

bool CXlSheet::SetNumber(int row, int col, double value) {
  Cell cell;
  cell.type = CellType::kNumber;
  cell.number = value;
  return SetCell(row, col, cell);
}

bool CXlSheet::SetString(int row, int col, const std::string& text) {
  Cell cell;
  cell.type = CellType::kString;
  cell.text = text;
  return SetCell(row, col, cell);
}

bool CXlSheet::SetFormula(int row, int col, const std::string& formula, double cachedValue) {
  Cell cell;
  cell.type = CellType::kNumber;
  cell.formula = true;
  cell.formulaText = formula;
  cell.number = cachedValue;
  return SetCell(row, col, cell);
}

int CXlSheet::LastRow() const { return m_rows.empty() ? 0 : m_rows.rbegin()->first + 1; }

int CXlSheet::LastColumn() const {
  int last = 0;
  for (const auto& [row, cells] : m_rows)
    if (!cells.empty() && cells.rbegin()->first + 1 > last) last = cells.rbegin()->first + 1;
  return last;
}

CXlSheet* CXlBook::Sheet(int index) {
  return index >= 0 && index < SheetCount() ? &m_sheets[static_cast<size_t>(index)] : nullptr;
}

const CXlSheet* CXlBook::Sheet(int index) const {
  return index >= 0 && index < SheetCount() ? &m_sheets[static_cast<size_t>(index)] : nullptr;
}

int CXlBook::FindSheet(const std::string& name) const {
  for (int i = 0; i < SheetCount(); ++i)
    if (m_sheets[static_cast<size_t>(i)].Name() == name) return i;
  return -1;
}

CXlSheet* CXlBook::AddSheet(const std::string& name) {
  if (name.empty() || Utf8Length(name) > 31 || name.find_first_of("[]:*?/\\") != std::string::npos)
    return nullptr;
  for (const CXlSheet& sheet : m_sheets)
    if (SameIgnoringAsciiCase(sheet.Name(), name)) return nullptr;
  m_sheets.emplace_back(name);
  return &m_sheets.back();
}

bool CXlBook::Load(const std::string& path, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    Clear();
    SetError(error, "cannot open " + path);
    return false;
  }
  char magic[2] = {};
  in.read(magic, 2);
  in.close();
  if (magic[0] == 'P' && magic[1] == 'K') return LoadXlsx(path, error);
  return LoadXls(path, error);
}

bool CXlBook::SaveXlsx(const std::string& path, std::string* error) const {
  // The new book goes to a file beside the old one, which it replaces only once it is whole.
  const std::string temp = path + ".tmp" + std::to_string(::getpid());
  lxw_workbook* wb = workbook_new(temp.c_str());
  if (!wb) {
    SetError(error, "cannot create " + temp);
    return false;
  }
  bool ok = true;
  auto writeSheet = [&](const CXlSheet* sheet, const char* name) {
    lxw_worksheet* ws = workbook_add_worksheet(wb, name);
    if (!ws) {
      ok = false;
      return;
    }
    if (!sheet) return;
    for (const auto& [row, cells] : sheet->Rows())
      for (const auto& [col, cell] : cells)
        if (!WriteCell(ws, row, col, cell)) ok = false;
  };
  if (m_sheets.empty()) writeSheet(nullptr, "Sheet1");
  for (const CXlSheet& sheet : m_sheets) writeSheet(&sheet, sheet.Name().c_str());
  const lxw_error closed = workbook_close(wb);
  if (!ok || closed != LXW_NO_ERROR) {
    std::remove(temp.c_str());
    SetError(error, closed != LXW_NO_ERROR ? lxw_strerror(closed) : "a cell or sheet was refused");
    return false;
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    SetError(error, "cannot replace " + path + ": " + std::strerror(errno));
    return false;
  }
  return true;
}

}  // namespace orv::xl
