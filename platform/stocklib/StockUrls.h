#pragma once
// The stock-list addresses the stock library reads lists from (the service settings give the
// KOSPI and KOSDAQ addresses).

#include <string>

// Keeps the four narrow addresses; a null address is kept empty.
void GfxStockSetUrls(const char* url1, const char* url2, const char* url3, const char* url4);
// The index-th (0..3) address; empty when unset or out of range.
std::string GfxStockGetUrl(int index);
