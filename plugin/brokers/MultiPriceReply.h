#pragma once
// The multi-price reply the DB broker's quote inquiry writes ("rsp_cd"; array "Out" of rows
// with "Iscd", "Prpr", "Oprc", "Hprc", "Lprc", "PrdyVrss", "PrdyCtrt"), which the LS broker's
// domestic price poll answers too.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>

#include "shared/StockRecords.h"

// The step the quotes reach the records in (the agent's merge step, under the view's lock).
using QuoteApplyStep = std::function<void(const std::function<void()>& apply)>;

// Reads the reply, then writes the quoted prices into the records of `stocks` inside `step`
// (the reading is done outside it) and one price-log line per record updated (one write and
// one flush per reply). outCodeText takes "rsp_cd" (20 bytes), outCode its value as
// `resultCode` maps it (the DB broker's ParseResultCode when null). Returns records updated.
int ApplyMultiPriceReply(uint8_t priceSlot, const char* reply, size_t len, StockMap* stocks,
                         char* outCodeText, int* outCode, FILE* priceLog,
                         const QuoteApplyStep& step,
                         int (*resultCode)(const char* code) = nullptr);
