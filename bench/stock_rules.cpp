// Nanoseconds per holding of the rule check over 10,000 holdings, as a quote pass runs it:
// every holding priced, stepped and judged, with nothing to queue (rates that stay on their
// step) and with holdings that keep moving between steps.

#include <benchmark/benchmark.h>

#include <cwchar>
#include <string>
#include <vector>

#include "plugin/view/engine/PelomarEngine.h"

namespace {

constexpr int kHoldings = 10000;
constexpr double kAvg = 10000.0;

struct Book {
  CPelomarEngine engine{nullptr};
  std::vector<StockTrade_s*> holdings;

  Book() {
    for (int i = 0; i < kHoldings; ++i) {
      wchar_t code[16];
      std::swprintf(code, 16, L"%06d", i);
      bool added = false;
      Stock_s* stock =
          GfxAddStockToMap(&engine.Stocks().Master(), code, kMarketDomestic, 0, 0, &added);
      auto* h = new StockTrade_s();
      h->stock = stock;
      std::wcsncpy(h->code, code, kStockCodeLen);
      h->quantity = 10;
      h->avg_price = kAvg;
      h->account_index = i;
      engine.Stocks().Holdings().emplace(h, 0);
      holdings.push_back(h);
    }
    // The first check of a holding builds its ladder once; the passes measured come after.
    for (StockTrade_s* h : holdings) engine.CheckStockRules(h, kAvg, 0, nullptr);
  }
};

// Holdings per second, and the time per holding.
void CountHoldings(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * kHoldings);
  state.counters["ns_per_holding"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kHoldings,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Rates that stay on their step (rising holdings at their peak): nothing sells or queues.
void BM_CheckStockRulesSteady(benchmark::State& state) {
  Book book;
  std::vector<double> prices;
  for (int i = 0; i < kHoldings; ++i) prices.push_back(kAvg * (1.0 + (i % 60) / 100.0));
  for (auto _ : state) {
    double sum = 0;
    for (int i = 0; i < kHoldings; ++i)
      sum += book.engine.CheckStockRules(book.holdings[i], prices[i], 1, nullptr);
    benchmark::DoNotOptimize(sum);
  }
  CountHoldings(state);
}
BENCHMARK(BM_CheckStockRulesSteady)->Unit(benchmark::kMicrosecond);

// Every pass moves each holding one step up or down; automatic trading is off, so the sells
// are decided but not queued.
void BM_CheckStockRulesMoving(benchmark::State& state) {
  Book book;
  for (StockTrade_s* h : book.holdings) h->auto_trade = 0;
  bool up = true;
  for (auto _ : state) {
    const double rate = up ? 14.0 : 10.0;
    up = !up;
    double sum = 0;
    for (StockTrade_s* h : book.holdings)
      sum += book.engine.CheckStockRules(h, kAvg * (1.0 + rate / 100.0), 1, nullptr);
    benchmark::DoNotOptimize(sum);
  }
  CountHoldings(state);
}
BENCHMARK(BM_CheckStockRulesMoving)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
