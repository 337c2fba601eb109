#pragma once
// The multi-price reply the DB broker's quote inquiry writes ("rsp_cd"; array "Out" of rows
// with "Iscd", "Prpr", "Oprc", "Hprc", "Lprc", "PrdyVrss", "PrdyCtrt"), which the LS broker's
// domestic price poll answers too.

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "shared/StockRecords.h"

// Writes the quoted prices into the records of `stocks` and one price-log line per record
// updated (one write and one flush per reply). outCodeText takes "rsp_cd" (20 bytes), outCode
// its value as `resultCode` maps it (the DB broker's ParseResultCode when null). Returns records
// updated.
int ApplyMultiPriceReply(uint8_t priceSlot, const char* reply, size_t len, StockMap* stocks,
                         char* outCodeText, int* outCode, FILE* priceLog,
                         int (*resultCode)(const char* code) = nullptr);
