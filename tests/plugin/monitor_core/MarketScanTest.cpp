// The whole-market scan over an engine's master list with the test signal module: which stocks
// are scanned, found and in which order, the scores written back, the progress and the pass
// texts; and the monitoring thread running passes and stopping in the middle of one.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "plugin/monitor/core/MarketScan.h"
#include "plugin/monitor/core/MonitoringThread.h"
#include "tests/plugin/engine/RulesFixture.h"

namespace fs = std::filesystem;

namespace {

class MarketScan : public RulesFixture {
 protected:
  void SetUp() override {
    fs::create_directories(program_.Path() + "PlugIn");
    fs::copy_file(std::string(QLX_MODULE_DIR) + "QLX_alpha.so",
                  program_.Path() + "PlugIn/QLX_alpha.so");
    engine_.SignalModules().SetFolders(program_.WidePath(), program_.WidePath());
  }
  Stock_s* Add(const wchar_t* code, char letter, double rate, double secondary = 0,
               uint8_t flag = 0) {
    bool added = false;
    Stock_s* s = GfxAddStockToMap(&engine_.Stocks().Master(), code,
                                  IsScannedMarket(letter) ? kMarketDomestic : kMarketOverseas, 0,
                                  0, &added);
    s->name = std::wstring(L"N") + code;
    s->market_letter = letter;
    s->change_rate = rate;
    s->cur_price = 1000;
    s->secondary_score = secondary;
    s->flag_byte = flag;
    return s;
  }
  // The hooks the view gives, with the pause answering at once.
  CMarketScan::Hooks Hooks() {
    CMarketScan::Hooks h;
    CPelomarEngine* engine = &engine_;
    h.readMaster = [engine] { return CMarketScan::CopyMaster(*engine); };
    h.signal = [engine](int kind, bool flag, const double (&params)[kSignalParamCount],
                        double* out) { return engine->CalcTradeSignal(kind, flag, params, out); };
    h.storeScores = [engine](const ScanStock_s& s) { CMarketScan::StoreScores(*engine, s); };
    h.pause = [](DWORD) { return true; };
    h.progress = [this](const ScanProgress_s& p) { progress_.push_back(p); };
    h.finished = [this](const ScanPassResult_s& p) { finished_.push_back(p); };
    return h;
  }
  static std::vector<std::wstring> Codes(const ScanPassResult_s& pass) {
    std::vector<std::wstring> codes;
    for (const auto& s : pass.found) codes.push_back(s.code);
    return codes;
  }

  TempDataFolder program_;
  std::vector<ScanProgress_s> progress_;
  std::vector<ScanPassResult_s> finished_;
};

// The test module answers kind code x 100 + the first value (the flag byte) and leaves the
// second value (the change rate) as its score: rising stocks are found, highest first.
TEST_F(MarketScan, DomesticStocksRunThroughTheModuleAndTheFoundOnesAreSortedByScore) {
  engine_.SignalModules().SelectSignalModule(L"alpha");
  ASSERT_TRUE(engine_.SignalModules().Loaded());
  Add(L"000010", '1', 3.0, 0.0);
  Add(L"000020", '2', 5.0);
  Add(L"000030", '1', -1.0);
  Add(L"AAPL", 'D', 9.0);          // not domestic: skipped, not counted
  Add(L"000040", '1', 3.0, 2.0);   // same score as 000010, higher secondary score
  Add(L"000050", '2', 0.5, 0, 1);  // flag byte 1: kind code 12, answer 1201
  CMarketScan scan(Hooks());
  const ScanPassResult_s pass = scan.ScanMarket(CMarketScan::kScanMode);
  EXPECT_EQ(pass.scanned, 5);
  EXPECT_EQ(pass.total, 5);
  EXPECT_TRUE(pass.complete);
  EXPECT_EQ(pass.passCount, 1);
  EXPECT_EQ(Codes(pass),
            (std::vector<std::wstring>{L"000020", L"000040", L"000010", L"000050"}));
  ASSERT_EQ(progress_.size(), 5u);
  EXPECT_EQ(progress_.back().text, L"5/5:1201: N000050/000050");
  EXPECT_EQ(progress_.front().text, L"1/5:400: N000010/000010");
  ASSERT_EQ(finished_.size(), 1u);
  EXPECT_EQ(finished_[0].elapsedText.substr(finished_[0].elapsedText.find(L'/')), L"/1");
  // The module's scores went back to the master records; the skipped stock kept its own.
  EXPECT_DOUBLE_EQ(engine_.Stocks().Master().Find(L"000020")->signal_score, 5.0);
  EXPECT_DOUBLE_EQ(engine_.Stocks().Master().Find(L"000030")->signal_score, -1.0);
  EXPECT_DOUBLE_EQ(engine_.Stocks().Master().Find(L"AAPL")->signal_score, 0.0);

  // A second pass: the previous score follows the score, the pass count goes on.
  engine_.Stocks().Master().Find(L"000020")->change_rate = 7.0;
  const ScanPassResult_s second = scan.ScanMarket(CMarketScan::kScanMode);
  EXPECT_EQ(second.passCount, 2);
  EXPECT_DOUBLE_EQ(engine_.Stocks().Master().Find(L"000020")->signal_score_prev, 5.0);
  EXPECT_DOUBLE_EQ(engine_.Stocks().Master().Find(L"000020")->signal_score, 7.0);
}

TEST_F(MarketScan, WithoutAModuleNothingIsFoundButTheStocksAreCounted) {
  Add(L"000010", '1', 3.0);
  Add(L"000020", '2', 5.0);
  CMarketScan scan(Hooks());
  const ScanPassResult_s pass = scan.ScanMarket(CMarketScan::kScanMode);
  EXPECT_EQ(pass.scanned, 2);
  EXPECT_TRUE(pass.found.empty());
  EXPECT_EQ(pass.passCount, 1);
  ASSERT_EQ(progress_.size(), 2u);
  EXPECT_EQ(progress_.back().text, L"2/2:-1: N000020/000020");
}

TEST_F(MarketScan, AnEmptyListAndOtherModesGiveAnEmptyPassWithoutCounting) {
  engine_.SignalModules().SelectSignalModule(L"alpha");
  CMarketScan scan(Hooks());
  ScanPassResult_s pass = scan.ScanMarket(CMarketScan::kScanMode);
  EXPECT_EQ(pass.total, 0);
  EXPECT_TRUE(pass.found.empty());
  EXPECT_EQ(pass.elapsedText, L"0.0s/0");
  Add(L"000010", '1', 3.0);
  pass = scan.ScanMarket(1);
  EXPECT_EQ(pass.scanned, 0);
  EXPECT_TRUE(pass.found.empty());
  EXPECT_EQ(pass.passCount, 0);
  // Both still hand on a pass: the grid is redrawn (emptied).
  EXPECT_EQ(finished_.size(), 2u);
  EXPECT_TRUE(progress_.empty());
}

TEST_F(MarketScan, APassStopsEarlyKeepingWhatItFound) {
  engine_.SignalModules().SelectSignalModule(L"alpha");
  for (int i = 0; i < 10; ++i) Add((L"0000" + std::to_wstring(10 + i)).c_str(), '1', 1.0 + i);
  CMarketScan::Hooks hooks = Hooks();
  int calls = 0;
  hooks.pause = [&calls](DWORD) { return ++calls < 3; };
  CMarketScan scan(std::move(hooks));
  const ScanPassResult_s pass = scan.ScanMarket(CMarketScan::kScanMode);
  EXPECT_FALSE(pass.complete);
  EXPECT_EQ(pass.scanned, 3);
  EXPECT_EQ(pass.found.size(), 3u);
  EXPECT_EQ(pass.found.front().code, L"000012");
}

TEST(CompareFoundStocks, HigherScoreFirstThenHigherSecondaryScore) {
  struct Case {
    double scoreA, secondA, scoreB, secondB;
    bool aFirst;
  } cases[] = {
      {2, 0, 1, 9, true}, {1, 9, 2, 0, false}, {1, 3, 1, 2, true}, {1, 2, 1, 3, false},
      {1, 2, 1, 2, false},
  };
  for (const Case& c : cases) {
    ScanStock_s a, b;
    a.signalScore = c.scoreA;
    a.secondaryScore = c.secondA;
    b.signalScore = c.scoreB;
    b.secondaryScore = c.secondB;
    EXPECT_EQ(CompareFoundStocks(a, b), c.aFirst) << c.scoreA << "/" << c.secondA;
  }
}

// The thread runs passes while the switch is on, each stock followed by a 20 ms pause; a stop
// in the middle of a long pass ends the pause and the pass, and the join returns soon.
TEST_F(MarketScan, TheThreadRunsPassesAndAStopInTheMiddleOfOneJoinsSoon) {
  // Real pauses here: the test's clock would end every pause at once.
  orv::win::RealClock real;
  orv::win::ScopedClock useReal(real);
  engine_.SignalModules().SelectSignalModule(L"alpha");
  // 500 stocks x 20 ms: a pass of 10 s.
  for (int i = 0; i < 500; ++i) Add((L"1" + std::to_wstring(100000 + i)).c_str(), '1', 1.0);
  CMonitoringThread thread([] { return true; }, nullptr);
  CMarketScan::Hooks hooks = Hooks();
  std::atomic<int> scanned{0};
  hooks.progress = [&scanned](const ScanProgress_s& p) { scanned.store(p.scanned); };
  hooks.finished = nullptr;
  hooks.going = [&thread] { return thread.Going(); };
  hooks.pause = [&thread](DWORD ms) { return thread.Pause(ms); };
  CMarketScan scan(std::move(hooks));
  thread.SetScanPass([&scan, &thread] { scan.ScanMarket(thread.mode.load()); });
  ASSERT_TRUE(thread.Start());
  thread.scanRunning.store(1);
  thread.SetScanEvent();
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (scanned.load() < 3 && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_GE(scanned.load(), 3);
  const auto before = std::chrono::steady_clock::now();
  thread.Stop();
  const auto took = std::chrono::steady_clock::now() - before;
  EXPECT_LT(took, std::chrono::seconds(2));
  EXPECT_FALSE(thread.Running());
  EXPECT_LT(scanned.load(), 500);
}

}  // namespace
