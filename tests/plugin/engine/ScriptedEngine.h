#pragma once
// An engine whose worker-chain steps a test may stand in for: each step left empty runs the
// engine's own. The workers stop before the stand-ins go.

#include <functional>

#include "plugin/view/engine/PelomarEngine.h"

class ScriptedEngine : public CPelomarEngine {
 public:
  using CPelomarEngine::CPelomarEngine;
  ~ScriptedEngine() override { StopWorkerThreads(); }

  int LoadMasterCodes(CURL* curl, int previousCount, int force) override {
    return masterCodes ? masterCodes(curl)
                       : CPelomarEngine::LoadMasterCodes(curl, previousCount, force);
  }
  int QueryAccountsAndBalances(CURL* curl, int accountSwitch, uint32_t* outTotal,
                               int popupSwitch) override {
    return accounts ? accounts(curl, accountSwitch, outTotal, popupSwitch)
                    : CPelomarEngine::QueryAccountsAndBalances(curl, accountSwitch, outTotal,
                                                               popupSwitch);
  }
  int QueryHeldStockCharts(CURL* curl) override {
    return charts ? charts(curl) : CPelomarEngine::QueryHeldStockCharts(curl);
  }
  DWORD RunQuotePass(CURL* curl, int market) override {
    return quotePass ? quotePass(curl, market) : CPelomarEngine::RunQuotePass(curl, market);
  }
  int RunSellPass(CURL* curl) override {
    return sellPass ? sellPass(curl) : CPelomarEngine::RunSellPass(curl);
  }
  double CheckStockRules(StockTrade_s* holding, double price, int mayQueue,
                         int* outSell) override {
    return ruleCheck ? ruleCheck(holding, price, mayQueue, outSell)
                     : CPelomarEngine::CheckStockRules(holding, price, mayQueue, outSell);
  }
  int ResetAllStockStairs() override {
    return stairReset ? stairReset() : CPelomarEngine::ResetAllStockStairs();
  }

  // Set before the workers start.
  std::function<int(CURL*)> masterCodes;
  std::function<int(CURL*, int, uint32_t*, int)> accounts;
  std::function<int(CURL*)> charts;
  std::function<DWORD(CURL*, int)> quotePass;
  std::function<int(CURL*)> sellPass;
  std::function<double(StockTrade_s*, double, int, int*)> ruleCheck;
  std::function<int()> stairReset;
};
