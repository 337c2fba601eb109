#include "plugin/monitor/core/TickRecords.h"

#include <cmath>
#include <cstdint>
#include <limits>

const TickColumn kTickColumns[kTickColumnCount] = {
    {L"Nation", 50}, {L"Code", 80},  {L"Tick", 100}, {L"Time", 120}, {L"Price", 80},
    {L"Up/Down%", 80}, {L"Start", 80}, {L"High", 80},  {L"Low", 80}};

namespace {
// A value cut toward zero to a 32-bit integer (out-of-range values stop at its bounds).
int32_t Whole(double value) {
  if (std::isnan(value)) return 0;
  const double cut = std::trunc(value);
  if (cut >= static_cast<double>(std::numeric_limits<int32_t>::max()))
    return std::numeric_limits<int32_t>::max();
  if (cut <= static_cast<double>(std::numeric_limits<int32_t>::min()))
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(cut);
}

std::wstring Bounded(const wchar_t* text, size_t size) {
  size_t n = 0;
  while (n < size && text[n]) ++n;
  return std::wstring(text, n);
}
}  // namespace

bool TickRowTexts(const TickRecordList* list, long index,
                  std::array<std::wstring, kTickColumnCount>* cells) {
  if (!list || !cells || index < 0 || index >= static_cast<long>(list->size())) return false;
  const TickRecord_s* r = (*list)[static_cast<size_t>(index)];
  if (!r) return false;
  *cells = {std::to_wstring(r->nation),
            Bounded(r->code, std::size(r->code)),
            std::to_wstring(r->tick),
            Bounded(r->time, std::size(r->time)),
            std::to_wstring(Whole(r->price)),
            std::to_wstring(Whole(r->changeRate)),
            std::to_wstring(Whole(r->startPrice)),
            std::to_wstring(Whole(r->high)),
            std::to_wstring(Whole(r->low))};
  return true;
}
