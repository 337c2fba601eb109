#pragma once
// What the chart-like operations of the securities agents (candles, investor trend, short
// selling) hand their callers besides the deques: the rows text (a JSON object naming the series,
// or CSV rows) and the series text, both oldest first, from rows the brokers send newest first;
// and the date range those operations ask for.

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/support/DateUtil.h"
#include "platform/win/Clock.h"
#include "shared/StockRecords.h"

namespace series_texts {

struct Ymd {
  int y = 0;
  int m = 0;
  int d = 0;
};

// Today (local, program clock) and the day `back` calendar days before it.
inline void DateRange(int back, Ymd* from, Ymd* today) {
  SYSTEMTIME now;
  orv::win::GetLocalTime(&now);
  *today = {now.wYear, now.wMonth, now.wDay};
  CivilFromDays(DaysFromCivil(today->y, today->m, today->d) - back, &from->y, &from->m, &from->d);
}

// printf into a string of at most 511 bytes (a row or a request body).
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
inline std::string Format(const char* format, ...) {
  char buf[512];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  return n > 0 ? std::string(buf, std::min(static_cast<size_t>(n), sizeof buf - 1)) : std::string();
}

// Resets a record's candle block to `count` places (at least one, no more than its closes hold),
// every place empty and no candle held, with its whole-candle arrays sized; returns the places.
inline size_t ResetCandleBlock(StockSeries_s* block, int count, bool withTime = false) {
  GfxSizeStockSeries(block);  // a stock's first chart
  const size_t size = block->close.size();
  const size_t places = std::min(static_cast<size_t>(std::max(count, 1)), size);
  for (auto* values : {&block->open, &block->high, &block->low, &block->volume})
    if (values->size() < size) values->resize(size, 0.0);
  if (block->date.size() < size) block->date.resize(size, 0);
  for (auto* values : {&block->close, &block->open, &block->high, &block->low, &block->volume})
    std::fill(values->begin(), values->begin() + places, 0.0);
  std::fill(block->date.begin(), block->date.begin() + places, 0);
  // Minute candles keep each candle's time beside its date.
  if (withTime && block->time.size() < size) block->time.resize(size, 0);
  if (!block->time.empty())
    std::fill(block->time.begin(), block->time.begin() + std::min(places, block->time.size()), 0);
  block->requested = static_cast<int32_t>(places);
  block->count = 0;
  return places;
}

// Collects rows that a reply gives newest first and writes the texts oldest first.
class SeriesTexts {
 public:
  void Add(std::string row, std::string point) {
    rows_.push_back(std::move(row));
    points_.push_back(std::move(point));
  }
  // Rows text: the JSON header and "]}" unless csv, rows joined by a newline and a comma.
  // Series text: one line per row, each but the newest ended by "," and a newline.
  void Write(const std::string& name, int csv, std::string* outRows, std::string* outSeries) const {
    std::string rows = csv ? std::string() : "{\"" + name + "\" : [";
    for (size_t i = rows_.size(); i-- > 0;) {
      rows += rows_[i];
      if (i > 0) rows += "\n,";
    }
    if (!csv) rows += "]}";
    if (outRows) *outRows = std::move(rows);
    if (outSeries) {
      std::string series;
      for (size_t i = points_.size(); i-- > 0;) {
        series += points_[i];
        if (i > 0) series += ",\n";
      }
      *outSeries = std::move(series);
    }
  }
  int Count() const { return static_cast<int>(rows_.size()); }

 private:
  std::vector<std::string> rows_;    // newest first
  std::vector<std::string> points_;  // newest first
};

}  // namespace series_texts
