// The .xls (BIFF) reader over freexl: sheet names and cell values. freexl does not tell
// formulas apart; their cached results come back as plain values.

#include <freexl.h>

#include <cstdio>

#include "platform/xl/XlBook.h"

namespace orv::xl {

namespace {

class FreeXlHandle {
 public:
  ~FreeXlHandle() {
    if (handle) freexl_close(handle);
  }
  const void* handle = nullptr;
};

}  // namespace

bool CXlBook::LoadXls(const std::string& path, std::string* error) {
  Clear();
  auto fail = [&](const std::string& text) {
    Clear();
    if (error) *error = text;
    return false;
  };
  FreeXlHandle xl;
  if (freexl_open(path.c_str(), &xl.handle) != FREEXL_OK) return fail("cannot read .xls " + path);
  unsigned int count = 0;
  if (freexl_get_info(xl.handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK)
    return fail("no sheets in " + path);
  if (count > static_cast<unsigned>(kMaxSheets)) return fail("too many sheets");
  for (unsigned short i = 0; i < count; ++i) {
    const char* name = nullptr;
    if (freexl_get_worksheet_name(xl.handle, i, &name) != FREEXL_OK || !name)
      return fail("bad sheet name");
    CXlSheet* sheet = AddSheet(name);
    if (!sheet) return fail(std::string("bad or repeated sheet name: ") + name);
    unsigned int rows = 0;
    unsigned short cols = 0;
    if (freexl_select_active_worksheet(xl.handle, i) != FREEXL_OK ||
        freexl_worksheet_dimensions(xl.handle, &rows, &cols) != FREEXL_OK)
      return fail("cannot read sheet " + std::string(name));
    if (rows > static_cast<unsigned>(kMaxRows)) rows = kMaxRows;
    for (unsigned int r = 0; r < rows; ++r) {
      for (unsigned short c = 0; c < cols; ++c) {
        FreeXL_CellValue value;
        if (freexl_get_cell_value(xl.handle, r, c, &value) != FREEXL_OK) continue;
        Cell cell;
        switch (value.type) {
          case FREEXL_CELL_INT:
            cell.type = CellType::kNumber;
            cell.number = value.value.int_value;
            break;
          case FREEXL_CELL_DOUBLE:
            cell.type = CellType::kNumber;
            cell.number = value.value.double_value;
            break;
          case FREEXL_CELL_TEXT:
          case FREEXL_CELL_SST_TEXT:
          case FREEXL_CELL_DATE:
          case FREEXL_CELL_DATETIME:
          case FREEXL_CELL_TIME:
            cell.type = CellType::kString;
            cell.text = value.value.text_value ? value.value.text_value : "";
            break;
          default:
            continue;
        }
        sheet->SetCell(static_cast<int>(r), c, cell);
      }
    }
  }
  return true;
}

}  // namespace orv::xl
