// The readers of the workbooks a user imports: the member rows of every sheet and the client
// sheet of a client workbook, over books read from .xlsx packages in memory (the .xls reader
// below them is fuzz_workbooks'), and the date texts of their cells.

#include <string>
#include <vector>

#include "platform/xl/XlBook.h"
#include "plugin/community/CafeMemberImport.h"
#include "plugin/community/ClientWorkbook.h"
#include "plugin/community/WorkbookCells.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

void ReadAsImports(const orv::xl::CXlBook& book) {
  for (int s = 0; s < book.SheetCount(); ++s) {
    const orv::xl::CXlSheet* sheet = book.Sheet(s);
    CafeMemberRow_s person;
    for (int r = kCafeMemberFirstRow; r < sheet->LastRow() && r < 256; ++r)
      ReadCafeMemberRow(*sheet, r, &person);
  }
  int mainSheet = -1, clientSheet = -1;
  if (FindClientWorkbookSheets(book, &mainSheet, &clientSheet))
    (void)ReadClientSheet(book, clientSheet).size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const orv::fuzz::FuzzInput in(data, size);
  switch (in.selector % 2) {
    case 0: {
      orv::xl::CXlBook book;
      book.LoadXlsxBytes(in.text.data(), in.text.size());
      ReadAsImports(book);
      break;
    }
    default: {
      SYSTEMTIME date{};
      Str2Date(in.text, &date);
      orv::xl::Cell cell;
      cell.type = orv::xl::CellType::kString;
      cell.text = in.text;
      CodeGenGetDateValueFromExcelCell(&cell, &date);
      (void)WorkbookCellNumber(&cell);
      break;
    }
  }
  return 0;
}
