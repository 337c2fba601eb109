// The workbook reader: whole .xlsx packages from memory, the sheet and shared-string parts on
// their own, and .xls files through freexl.

#include <string>
#include <vector>

#include "platform/xl/XlBook.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

// Reads every cell as the strategy workbook loader does.
void Touch(const orv::xl::CXlBook& book) {
  for (int i = 0; i < book.SheetCount(); ++i) {
    const orv::xl::CXlSheet* sheet = book.Sheet(i);
    const int rows = sheet->LastRow();
    for (int r = 0; r < rows && r < 64; ++r)
      for (int c = 0; c < 29; ++c)
        if (const orv::xl::Cell* cell = sheet->CellAt(r, c)) (void)cell->text.size();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static orv::fuzz::ScratchFile xls("book.xls");
  const orv::fuzz::FuzzInput in(data, size);
  switch (in.selector % 4) {
    case 0: {
      orv::xl::CXlBook book;
      book.LoadXlsxBytes(in.text.data(), in.text.size());
      Touch(book);
      break;
    }
    case 1: {
      std::vector<std::string> shared;
      orv::xl::ParseSharedStrings(in.text, &shared);
      orv::xl::CXlSheet sheet("S");
      orv::xl::ParseWorksheet(in.text, shared, &sheet);
      break;
    }
    case 2: {
      int row = 0, col = 0;
      orv::xl::ParseCellRef(in.text.c_str(), &row, &col);
      break;
    }
    default: {
      orv::xl::CXlBook book;
      book.LoadXls(xls.Write(in.text));
      Touch(book);
      break;
    }
  }
  return 0;
}
