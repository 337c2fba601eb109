#pragma once
// An engine with a fake window and a fake clock, and holdings in its holdings map, for the
// rule-check and sell-pass tests.

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "platform/win/Clock.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "tests/plugin/engine/EngineTestSupport.h"
#include "tests/plugin/engine/FakeEngineWindow.h"

class RulesFixture : public ::testing::Test {
 protected:
  static constexpr double kAvg = 10000.0;

  RulesFixture() : clock_(1000000), scoped_(clock_), engine_(&window_) {
    engine_.Options().buy_fee_domestic = 0;
    engine_.Options().sell_fee_domestic = 0;
    engine_.Options().tax_rate = 0;
    engine_.Logs().SetLogFolder(data_.WidePath());
    engine_.CreateEvents();
  }

  // A domestic holding of `qty` shares at kAvg, with the default step values (stop-loss off,
  // minimum take-profit 5, step width 2). Its key (account, holding kind, code) must be new.
  StockTrade_s* AddHolding(const wchar_t* code, const wchar_t* name, double qty = 10,
                           int accountIndex = 1, uint8_t holdingKind = 1) {
    bool added = false;
    Stock_s* stock =
        GfxAddStockToMap(&engine_.Stocks().Master(), code, kMarketDomestic, 0, 0, &added);
    stock->name = name;
    stock->market_letter = '1';
    auto* holding = new StockTrade_s();
    holding->stock = stock;
    std::wcsncpy(holding->code, code, kStockCodeLen);
    holding->quantity = qty;
    holding->avg_price = kAvg;
    holding->account_index = accountIndex;
    holding->account_no = accountIndex;
    holding->holding_kind = holdingKind;
    const bool inMap = engine_.Stocks().Holdings().emplace(holding, 0).second;
    EXPECT_TRUE(inMap) << "a holding of the same key is there already";
    if (!inMap) delete holding;
    return inMap ? holding : nullptr;
  }

  // The price at which a holding bought at kAvg (no fees) shows `rate` percent.
  static double PriceFor(double rate) { return kAvg * (1.0 + rate / 100.0); }

  double Check(StockTrade_s* holding, double rate, int mayQueue = 1, int* sell = nullptr) {
    int out = -1;
    const double r = engine_.CheckStockRules(holding, PriceFor(rate), mayQueue, &out);
    if (sell) *sell = out;
    return r;
  }

  size_t QueueSize() {
    orv::win::CSingleLock lock(&engine_.ViewLock(), TRUE);
    return engine_.OrderQueue().size();
  }
  void DrainQueue() {
    orv::win::CSingleLock lock(&engine_.ViewLock(), TRUE);
    engine_.OrderQueue().clear();
  }
  // Application-log lines that begin with `prefix`.
  std::vector<std::wstring> LogsStartingWith(const std::wstring& prefix) {
    std::vector<std::wstring> found;
    for (const auto& line : window_.Logs())
      if (line.rfind(prefix, 0) == 0) found.push_back(line);
    return found;
  }

  orv::win::FakeClock clock_;
  orv::win::ScopedClock scoped_;
  FakeEngineWindow window_;
  // The trading log's folder: the rules write their lines there.
  TempDataFolder data_;
  CPelomarEngine engine_;
};
