#pragma once
// What the engine asks the agents for when it charts a stock (the chart pass, the AI
// analysis): the candle kinds, their step and count, and the investor-trend and short-selling
// rows.

#include <cstdint>

namespace chart_queries {
constexpr int kDayCandles = 1;
constexpr int kMinuteCandles = 3;
constexpr int kCandleStep = 1;
constexpr int kCandleCount = 60;
constexpr uint8_t kTrendKind = 6;
constexpr int kTrendDays = 10;
constexpr int kShortSellingDays = 10;
}  // namespace chart_queries
