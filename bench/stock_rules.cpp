// The rule check as a quote pass runs it over a book of 10,000 varied holdings (prices from a
// few hundred won to a few hundred thousand, different quantities, accounts, cash and credit,
// step values and average prices), walked in the holdings map's order with prices that move
// every pass; and the pass in which most holdings queue a sale, at two book sizes, whose time
// per holding must not grow with the book (the queue is searched per sale).
//
// "ns_per_holding" aims under 500 ("target_ns"); "x_per_holding_vs_small" (the large book's
// time per queued holding over the small book's) aims near 1. Times are this thread's CPU
// time (a shared machine's load does not count) and the growth figure is the median of
// several passes of each book.

#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <cwchar>
#include <random>
#include <string>
#include <vector>

#include "plugin/view/engine/PelomarEngine.h"

namespace {

constexpr int kHoldings = 10000;

// This thread's CPU time in seconds.
double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Book {
  CPelomarEngine engine{nullptr};
  std::vector<StockTrade_s*> holdings;  // in the holdings map's order
  std::vector<double> prices;

  explicit Book(int count, bool autoTrade) {
    std::mt19937 random(7);
    for (int i = 0; i < count; ++i) {
      wchar_t code[16];
      std::swprintf(code, 16, L"%06d", (i * 7919) % 1000000);
      bool added = false;
      Stock_s* stock =
          GfxAddStockToMap(&engine.Stocks().Master(), code, kMarketDomestic, 0, 0, &added);
      stock->name = L"종목";
      stock->market_letter = '1';
      auto* h = new StockTrade_s();
      h->stock = stock;
      std::wcsncpy(h->code, code, kStockCodeLen);
      h->quantity = 1 + random() % 3000;
      h->avg_price = 300 + random() % 400000;
      h->account_index = i % 4;
      h->account_no = i % 4;
      h->holding_kind = static_cast<uint8_t>(1 + i % 2);
      h->steps[0] = -3.0 - (random() % 20);           // stop-loss
      h->steps[1] = 1.0 + (random() % 6);             // minimum take-profit
      h->steps[2] = 0.5 + (random() % 4) * 0.5;       // step width
      h->steps[4] = 30.0 + (random() % 8) * 10;       // sell ratio
      h->auto_trade = autoTrade ? 1 : 0;
      if (!engine.Stocks().Holdings().emplace(h, 0).second) delete h;
    }
    for (const auto& entry : engine.Stocks().Holdings()) {
      holdings.push_back(entry.first);
      prices.push_back(entry.first->avg_price * (0.9 + (random() % 300) / 1000.0));
    }
    // The first check of a holding builds its ladder once; the passes measured come after.
    for (size_t i = 0; i < holdings.size(); ++i)
      engine.CheckStockRules(holdings[i], prices[i], 0, nullptr);
  }
};

// Every pass moves each holding's price by up to 1.5% either way, as quotes do.
void BM_CheckStockRulesMovingBook(benchmark::State& state) {
  Book book(kHoldings, false);
  std::mt19937 random(11);
  std::vector<double> moves;
  for (int i = 0; i < 1 << 16; ++i) moves.push_back(1.0 + (static_cast<int>(random() % 301) - 150) / 10000.0);
  size_t m = 0;
  const size_t n = book.holdings.size();
  double seconds = 0;
  for (auto _ : state) {
    const double start = ThreadSeconds();
    double sum = 0;
    for (size_t i = 0; i < n; ++i) {
      double& price = book.prices[i];
      price *= moves[m++ & 0xFFFF];
      sum += book.engine.CheckStockRules(book.holdings[i], price, 1, nullptr);
    }
    benchmark::DoNotOptimize(sum);
    seconds += ThreadSeconds() - start;
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(n));
  state.counters["ns_per_holding"] = 1e9 * seconds / static_cast<double>(state.iterations()) /
                                    static_cast<double>(n);
  state.counters["target_ns"] = 500;
}
BENCHMARK(BM_CheckStockRulesMovingBook)->Unit(benchmark::kMillisecond);

// Seconds per holding of one pass in which every holding falls off its peak step and queues a
// sale (automatic trading on).
double QueueingPassPerHolding(int count) {
  Book book(count, true);
  const size_t n = book.holdings.size();
  // Climb: every holding well above its minimum take-profit, several steps up.
  for (size_t i = 0; i < n; ++i)
    book.engine.CheckStockRules(book.holdings[i], book.holdings[i]->avg_price * 1.2, 0, nullptr);
  const double start = ThreadSeconds();
  for (size_t i = 0; i < n; ++i)
    book.engine.CheckStockRules(book.holdings[i], book.holdings[i]->avg_price * 1.12, 1, nullptr);
  const double seconds = ThreadSeconds() - start;
  if (book.engine.OrderQueue().size() < n / 2) return -1;  // the pass did not queue most
  return seconds / static_cast<double>(n);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void BM_QueueingPassGrowth(benchmark::State& state) {
  std::vector<double> smalls, larges;
  for (auto _ : state) {
    smalls.push_back(QueueingPassPerHolding(kHoldings / 5));
    larges.push_back(QueueingPassPerHolding(kHoldings));
  }
  const double small = Median(smalls);
  const double large = Median(larges);
  if (std::min(*std::min_element(smalls.begin(), smalls.end()),
               *std::min_element(larges.begin(), larges.end())) <= 0) {
    state.SkipWithError("the falling pass did not queue most holdings");
    return;
  }
  state.counters["us_per_queued_small"] = small * 1e6;
  state.counters["us_per_queued_large"] = large * 1e6;
  state.counters["x_per_holding_vs_small"] = large / small;
}
BENCHMARK(BM_QueueingPassGrowth)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
