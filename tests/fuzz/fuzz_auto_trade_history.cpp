// The automatic-trade history's record reader and importer: the records cut from a server
// text, their quoted values, and the import of all of them into an in-memory table.

#include <sqlite3.h>

#include <cstdlib>
#include <string>

#include "plugin/view/engine/AutoTradeHistory.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const orv::fuzz::FuzzInput in(data, size);
  int tooLong = 0;
  for (std::string_view record : CutAutoTradeRecords(in.text, &tooLong)) {
    if (record.size() > kAutoTradeRecordMax) std::abort();
    ReadAutoTradeRecord(record);
  }
  if (in.selector & 1) {
    sqlite3* db = nullptr;
    if (sqlite3_open(":memory:", &db) == SQLITE_OK) {
      const HistoryStockLookup anyCode = [](const std::string& code, HistoryStock_s* out) {
        out->name = L"종목";
        out->curPrice = 1000;
        return code.size() == 6;
      };
      ImportAutoTradeHistory(db, in.text, (in.selector & 2) != 0, 7, anyCode, nullptr,
                             1700000000);
    }
    sqlite3_close(db);
  }
  return 0;
}
