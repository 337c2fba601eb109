#pragma once
// The sandbox's market: a few domestic stocks whose prices move one step per tick, either on a
// seeded random walk (the same seed gives the same prices, tick for tick) or along a script of
// prices, so a run can be made to rise and fall on cue.

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/peers/DbBrokerPeer.h"

namespace orv::test {

struct SandboxStock {
  std::string code;         // "005930"
  std::string stdCode;      // "KR7005930003"
  std::string name;         // "삼성전자"
  std::string marketClass;  // the list's market class: "1" KOSPI, "4" KOSDAQ
  double previousClose = 0;
};

// The prices some stocks take at one tick, in the script's order.
using SandboxTick = std::vector<std::pair<std::string, double>>;

// The sandbox's listed stocks with sensible prices.
std::vector<SandboxStock> SandboxStocks();

// The exchange's price unit for a domestic price (1 won below 2,000 up to 1,000 won from
// 500,000).
double KrxTickSize(double price);

// Reads a price script: every line is one tick of "code price" pairs ("005930 71500 000660
// 197000"); "#" starts a comment and blank lines are skipped. False, with the line named in
// `error`, on an unknown code, a price that is not a positive number, or a code without price.
bool ParseSandboxScript(const std::string& text, const std::vector<SandboxStock>& stocks,
                        std::vector<SandboxTick>* ticks, std::string* error);

// Not thread-safe: the sandbox serialises its calls.
class SandboxMarket {
 public:
  SandboxMarket(std::vector<SandboxStock> stocks, uint64_t seed);

  // Follow this script instead of the random walk; prices stay where the last line left them.
  void SetScript(std::vector<SandboxTick> ticks);
  // One tick: the next script line, or every stock a few price units up or down, held within the
  // daily limit of 30% around its previous close.
  void Step();
  int Ticks() const { return ticks_; }

  // The quotes as the broker reports them (previous close, open, high, low, change and rate).
  std::vector<DbQuote> Quotes() const;
  const std::vector<SandboxStock>& Stocks() const { return stocks_; }

 private:
  struct Price {
    double now = 0;
    double open = 0;
    double high = 0;
    double low = 0;
  };
  void Set(size_t index, double price);

  std::vector<SandboxStock> stocks_;
  std::vector<Price> prices_;
  std::mt19937_64 random_;
  std::vector<SandboxTick> script_;
  bool scripted_ = false;
  size_t scriptLine_ = 0;
  int ticks_ = 0;
};

}  // namespace orv::test
