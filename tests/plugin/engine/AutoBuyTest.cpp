// The automatic-buying pass with the test signal module: envelopes handed to the module, the
// candidates, the registry and the minimum time between two detections of one stock; and the
// auto-buy worker running passes while the switch is on.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "tests/plugin/engine/RulesFixture.h"

namespace fs = std::filesystem;

namespace {

constexpr wchar_t kDetected[] = L"▶ [자동매수 검출-등록] : ";

class AutoBuy : public RulesFixture {
 protected:
  void SetUp() override {
    fs::create_directories(program_.Path() + "PlugIn");
    fs::copy_file(std::string(QLX_MODULE_DIR) + "QLX_alpha.so",
                  program_.Path() + "PlugIn/QLX_alpha.so");
    engine_.SetProgramFolder(program_.WidePath());
    engine_.SignalModules().SetFolders(program_.WidePath(), program_.WidePath());
    engine_.SetTick64Source([this] { return tick64_; });
    engine_.Options().min_order_gap_ms = 20000;
    engine_.SetAutoBuy(true);
  }
  // A master stock with five flat day candles at 100 and the given price, on the domestic
  // auto-buy list; `autoBuy` is its flag, `registered` puts it on the registry.
  Stock_s* Stock(const wchar_t* code, const wchar_t* name, double price, bool autoBuy,
                 bool registered) {
    bool added = false;
    Stock_s* stock =
        GfxAddStockToMap(&engine_.Stocks().Master(), code, kMarketDomestic, 0, 0, &added);
    stock->name = name;
    stock->cur_price = price;
    stock->day.close.assign(5, 100.0);
    stock->day.count = 5;
    if (registered)
      EXPECT_EQ(engine_.SetAutoBuyStock(kMarketDomestic, code, true), 1);
    else
      engine_.Stocks().InsertStockIntoList(&engine_.Stocks().Watch(0), stock);
    stock->auto_buy = autoBuy ? 1 : 0;
    return stock;
  }
  int Pass() { return engine_.RunAutoBuyPass(nullptr, engine_.Stocks().Watch(0)); }
  std::vector<std::string> ModuleCalls() {
    std::vector<std::string> lines;
    std::stringstream in(ReadBytes(program_.Path() + "signal_calls.txt"));
    for (std::string line; std::getline(in, line);)
      if (line.find("CalcBuySignal") != std::string::npos) lines.push_back(line);
    return lines;
  }

  TempDataFolder program_;
  uint64_t tick64_ = 1000000;
};

TEST_F(AutoBuy, WithoutAModuleNothingBecomesACandidate) {
  Stock(L"005930", L"삼성전자", 120, true, true);
  EXPECT_EQ(Pass(), 0);
  EXPECT_TRUE(LogsStartingWith(kDetected).empty());
}

TEST_F(AutoBuy, RegisteredFlaggedCandidatesAreLoggedOncePerInterval) {
  engine_.SignalModules().SelectSignalModule(L"alpha");
  ASSERT_TRUE(engine_.SignalModules().HasBuySignal());
  Stock_s* hit = Stock(L"005930", L"삼성전자", 120, true, true);
  Stock_s* unregistered = Stock(L"000660", L"하이닉스", 130, true, false);
  Stock_s* unflagged = Stock(L"035420", L"네이버", 125, false, true);
  Stock_s* below = Stock(L"051910", L"엘지화학", 90, true, true);
  Stock_s* nameless = Stock(L"000001", L"", 150, true, true);

  EXPECT_EQ(Pass(), 1);
  const auto logged = LogsStartingWith(kDetected);
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0],
            L"▶ [자동매수 검출-등록] : 005930/삼성전자 (가격:120.00) [점수:0.12, M:2.00]");
  EXPECT_EQ(hit->last_auto_buy_tick, tick64_);
  EXPECT_EQ(unregistered->last_auto_buy_tick, 0u) << "a candidate off the registry keeps its time";
  EXPECT_EQ(unflagged->last_auto_buy_tick, 0u);
  EXPECT_EQ(below->last_auto_buy_tick, 0u);
  // The module saw the envelope of the day candles and the option block; the nameless stock
  // was never handed to it.
  EXPECT_DOUBLE_EQ(below->signal_score, 0.09);
  EXPECT_EQ(nameless->signal_score, 0);
  const auto calls = ModuleCalls();
  EXPECT_EQ(calls.size(), 4u);
  for (const auto& call : calls) EXPECT_NE(call.find(" period 5"), std::string::npos) << call;
  EXPECT_EQ(hit->day.env_middle.size(), 5u);
  EXPECT_DOUBLE_EQ(hit->day.env_middle[4], 100.0);

  // Within the minimum time the same stock is not logged again; after it, it is.
  tick64_ += 19999;
  EXPECT_EQ(Pass(), 0);
  tick64_ += 1;
  EXPECT_EQ(Pass(), 1);
  EXPECT_EQ(LogsStartingWith(kDetected).size(), 2u);
}

TEST_F(AutoBuy, SwitchOffEndsThePassAndTakingAStockOffTheRegistryStopsItsDetection) {
  engine_.SignalModules().SelectSignalModule(L"alpha");
  Stock(L"005930", L"삼성전자", 120, true, true);
  engine_.SetAutoBuy(false);
  EXPECT_EQ(Pass(), 0);
  EXPECT_TRUE(ModuleCalls().empty());
  engine_.SetAutoBuy(true);
  EXPECT_EQ(engine_.SetAutoBuyStock(kMarketDomestic, L"005930", false), 1);
  EXPECT_EQ(Pass(), 0);
  EXPECT_EQ(engine_.SetAutoBuyStock(kMarketDomestic, L"999999", true), 0) << "not listed";
}

// The program's own path: the switch wakes the auto-buy worker, which runs passes until the
// switch goes off.
TEST(AutoBuyWorker, TheSwitchWakesTheWorkerThatRunsPassesUntilItIsTurnedOff) {
  TempDataFolder program;
  fs::create_directories(program.Path() + "PlugIn");
  fs::copy_file(std::string(QLX_MODULE_DIR) + "QLX_alpha.so",
                program.Path() + "PlugIn/QLX_alpha.so");
  FakeEngineWindow window;
  CPelomarEngine engine(&window);
  engine.SignalModules().SetFolders(program.WidePath(), program.WidePath());
  engine.SignalModules().SelectSignalModule(L"");
  bool added = false;
  Stock_s* stock =
      GfxAddStockToMap(&engine.Stocks().Master(), L"005930", kMarketDomestic, 0, 0, &added);
  stock->name = L"삼성전자";
  stock->cur_price = 120;
  stock->day.close.assign(5, 100.0);
  stock->day.count = 5;
  ASSERT_EQ(engine.SetAutoBuyStock(kMarketDomestic, L"005930", true), 1);
  engine.CreateEvents();
  // Only the auto-buy worker works here.
  for (int i = 0; i < kEngineWorkerCount; ++i)
    if (static_cast<EngineWorker>(i) != EngineWorker::kAutoBuy)
      engine.SetWorkerBody(static_cast<EngineWorker>(i), [](CPelomarEngine& e, EngineWorker w) {
        e.ResetWorkEvent(w);
      });
  ASSERT_EQ(engine.StartWorkerThreads(), kEngineWorkerCount);
  engine.SetAutoBuy(true);
  auto detected = [&] {
    for (const auto& line : window.Logs())
      if (line.rfind(kDetected, 0) == 0) return true;
    return false;
  };
  for (int i = 0; i < 200 && !detected(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(detected());
  engine.SetAutoBuy(false);
  EXPECT_TRUE(engine.StopWorkerThreads());
}

}  // namespace
