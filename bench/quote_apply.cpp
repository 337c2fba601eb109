// One quote application over 2,500 holdings of 50 accounts: valuation, profit, account
// totals and the running totals per stock (the rule check is not installed).

#include <benchmark/benchmark.h>

#include <string>

#include "plugin/view/engine/PelomarEngine.h"

static void BM_ApplyQuotesToHoldings(benchmark::State& state) {
  CPelomarEngine engine(nullptr);
  constexpr int kHoldings = 2500;
  constexpr int kAccounts = 50;
  static group_info_s accounts[kAccounts];
  for (int a = 0; a < kAccounts; ++a)
    engine.Accounts().emplace(L"acc" + std::to_wstring(a), &accounts[a]);
  OwningStockMap& master = engine.Stocks().Master();
  for (int i = 0; i < kHoldings; ++i) {
    const std::wstring code = std::to_wstring(100000 + i);
    Stock_s* stock = GfxAddStockToMap(&master, code.c_str(), 1, 0, 0, nullptr);
    stock->cur_price = 1000 + i;
    auto* holding = new StockTrade_s();
    holding->stock = stock;
    holding->account = &accounts[i % kAccounts];
    holding->account_no = i % kAccounts;
    holding->quantity = 10;
    holding->purchase = 10 * 990.0;
    holding->in_grid = 1;  // rows exist: no rebuild is asked for
    std::wcsncpy(holding->code, code.c_str(), kStockCodeLen);
    engine.Stocks().Holdings().emplace(holding, i);
  }
  for (auto _ : state) {
    double buy = 0;
    benchmark::DoNotOptimize(engine.ApplyQuotesToHoldings(&buy, nullptr, nullptr, 1, nullptr, 1));
    benchmark::DoNotOptimize(buy);
  }
}
BENCHMARK(BM_ApplyQuotesToHoldings)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
