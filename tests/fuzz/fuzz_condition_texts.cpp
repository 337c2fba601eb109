// The condition-search texts a broker hands over: a condition list, a first result and a
// real-time event, read into the monitoring view's bookkeeping (selector bit 0: the text is
// also used as the event's code, bit 1: the list is loaded with reset).

#include <cstddef>
#include <cstdint>

#include "platform/support/TextConv.h"
#include "plugin/monitor/core/ConditionSearch.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const orv::fuzz::FuzzInput input(data, size);
  const std::wstring text = Utf8ToWide(input.text);
  CRealTimeSearchLog log;  // not open: no rows are written
  ConditionHooks_s hooks;
  hooks.findStock = [](const std::wstring& code, ScanStock_s* out) {
    out->code = code;
    out->name = L"n";
    out->curPrice = code.size() * 100.0;
    return !code.empty() && code.size() < 12;
  };
  CConditionSearch search(log, hooks);
  const auto added = search.LoadConditionList(text, (input.selector & 2) != 0);
  search.LoadConditionList(L"0^a;1^b", false);
  search.OnConditionSearchResult(text, L"a");
  if (input.selector & 1) {
    search.OnRealTimeConditionEvent(text, L"I", L"b");
    search.OnRealTimeConditionEvent(text, L"D", L"b");
  }
  for (const auto& [index, name] : added) search.OnRealTimeConditionEvent(L"005930", L"I", name);
  return 0;
}
