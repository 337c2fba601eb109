// The foreign stock list reader: a portal reply scanned for its codes, names and total, as a
// page of an exchange list (selector bit 0 clear) or of the Dow constituents, with the fallback
// keys when bit 1 is set.

#include <cstddef>
#include <cstdint>

#include "plugin/monitor/core/ForeignStockLists.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const orv::fuzz::FuzzInput input(data, size);
  const char* json = input.text.c_str();
  ParseTotalCount(json);
  CForeignStockLists lists("http://127.0.0.1:1/", "http://127.0.0.1:1/");
  const bool dow = (input.selector & 1) != 0;
  const bool fallback = (input.selector & 2) != 0;
  lists.AddPageRows(json, fallback ? "symbol" : "symbolCode", fallback ? "name" : "stockName",
                    dow ? L"DOW" : L"NASDAQ", dow ? nullptr : L"NASDAQ", L"USA", dow);
  return 0;
}
