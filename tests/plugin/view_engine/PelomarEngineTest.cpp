// The trading engine driven headless: lookups, events and workers, the trading-option store
// on a copy of the seed catalogue, and the teardown.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/stocklib/StockAgentBase.h"
#include "platform/support/Encryption.h"
#include "platform/support/StockOptionStore.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "plugin/view/engine/TradingOptions.h"
#include "tests/probe/ProbeHarness.h"

namespace fs = std::filesystem;

namespace {

class FakeWindow : public IEngineWindow {
 public:
  int AddLogMsgToPane(DWORD, DWORD, double, const wchar_t*, const wchar_t* msg, BYTE) override {
    ++logLines;
    return 0;
  }
  void RedrawMyStockGrid() override {}
  void SetRowInterest(Stock_s*, int) override {}
  void MarkStockGridRedraw() override {}
  void PostViewMessage(UINT, WPARAM, LPARAM) override {}
  void ShowWaitingPopup(bool, const wchar_t*, const wchar_t*, DWORD) override {}
  int ShowMessageBox(const wchar_t*, const wchar_t*, UINT) override { return 0; }
  void NotifyHost(int, int, const wchar_t*, const wchar_t*) override {}
  void RefreshRows() override {}
  std::atomic<int> logLines{0};
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A program folder with a copy of the seed catalogue in Settings/, and a config folder of its
// own whose installation secret seals the broker keys.
class EngineWithCatalogue : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config) savedConfig_ = config;
    hadConfig_ = config != nullptr;
    setenv("XDG_CONFIG_HOME", (dir_.Path() + "/config").c_str(), 1);
    ASSERT_TRUE(orv::support::SetCryptKeyCompany("EngineTest"));
    fs::create_directories(fs::path(dir_.Path()) / "Settings");
    catalogue_ = dir_.Path() + "/Settings/app-settings.db";
    fs::copy_file(fs::path(ORV_BINARY_DIR) / "seed" / "app-settings.db", catalogue_);
  }
  int Exec(const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(catalogue_.c_str(), &db);
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc;
  }
  void TearDown() override {
    orv::support::SetCryptKeyCompany("");
    if (hadConfig_)
      setenv("XDG_CONFIG_HOME", savedConfig_.c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
  }
  orv::test::TempDir dir_;
  std::string catalogue_;
  FakeWindow window_;
  std::string savedConfig_;
  bool hadConfig_ = false;
};

}  // namespace

TEST(PelomarEngine, ConstructionStateAndSmallLookups) {
  FakeWindow window;
  CPelomarEngine engine(&window);
  EXPECT_EQ(engine.m_gridRebuildRequest.load(), 1);
  EXPECT_FALSE(engine.ThreadsStarted());
  EXPECT_TRUE(engine.ThreadsRunning());
  EXPECT_FALSE(engine.HasEvents());
  const int hours[] = {800, 1531, 850, 2000, 2330, 2400, 600};
  EXPECT_TRUE(std::equal(std::begin(hours), std::end(hours), engine.m_tradingHours));
  EXPECT_EQ(engine.Options().split_sell_amount, 50);
  EXPECT_EQ(engine.Options().stop_loss_rate, -100);

  group_info_s account;
  engine.Accounts()[L"ABC"] = &account;
  EXPECT_EQ(engine.FindAccount(L"abc"), &account);
  EXPECT_EQ(engine.FindAccount(L""), nullptr);
  EXPECT_EQ(engine.FindAccount(nullptr), nullptr);
  EXPECT_EQ(engine.FindAccount(L"ABD"), nullptr);

  wchar_t buffer[64] = L"untouched";
  EXPECT_EQ(engine.GetMyStockCount(buffer, 64), 0);
  EXPECT_STREQ(buffer, L"untouched");
  Stock_s* stock = engine.Stocks().AddMasterStock(1, L"005930", L"삼성전자", 0, 0, 0, 0, 0, 0, 0);
  ASSERT_NE(stock, nullptr);
  engine.Stocks().MyList(CStockLists::kMyDomestic)[L"005930"] = stock;
  EXPECT_EQ(engine.GetMyStockCount(buffer, 64), 1);
  EXPECT_STREQ(buffer, L"삼성전자(005930)외 총 1개");

  EXPECT_EQ(engine.IsStockLinkEnabled(), 0);
  EXPECT_EQ(engine.SetLinkedStock(L"005930"), 0);
  EXPECT_EQ(engine.OnMonitorStockOut(L"005930"), -1);
  EXPECT_EQ(CPelomarEngine::MapOrderSide(2), 2);
  EXPECT_EQ(CPelomarEngine::MakeAgentKey(9, 0x21, 2), 0x092102u);
  EXPECT_EQ(engine.FormatToday().size(), 8u);
}

TEST(PelomarEngine, HeldStockAndQueuedOrdersPointIntoTheHoldings) {
  FakeWindow window;
  CPelomarEngine engine(&window);
  Stock_s* stock = engine.Stocks().AddMasterStock(1, L"000660", L"SK하이닉스", 0, 0, 0, 0, 0, 0, 0);
  auto* holding = new StockTrade_s;
  holding->stock = stock;
  std::wcscpy(holding->code, L"000660");
  holding->quantity = 3;
  holding->holding_kind = 2;
  holding->account_index = 1;
  engine.Stocks().Holdings()[holding] = 0;
  engine.OrderQueue()[holding] = 9999;

  EXPECT_EQ(engine.IsHeldStock(L"000660"), 1);
  EXPECT_EQ(engine.IsHeldStock(L"00066"), 0);
  EXPECT_EQ(engine.FindQueuedOrder(1, 2, 0, L"000660", 1), holding);
  EXPECT_EQ(engine.FindQueuedOrder(1, 1, 0, L"000660", 1), nullptr);
  EXPECT_EQ(engine.FindQueuedOrder(1, 2, 0, L"", 1), nullptr);
  EXPECT_EQ(engine.FindQueuedOrder(1, 2, 0, nullptr, 1), nullptr);

  // The queue shares its holdings with the holdings map: a teardown (twice) frees each once.
  engine.ReleaseEngineData();
  EXPECT_TRUE(engine.OrderQueue().empty());
  EXPECT_TRUE(engine.Stocks().Holdings().empty());
  EXPECT_TRUE(engine.Stocks().Master().empty());
  engine.ReleaseEngineData();
}

TEST(PelomarEngine, WorkersWakeOnTheirEventAndStopCleanlyTwice) {
  FakeWindow window;
  auto engine = std::make_unique<CPelomarEngine>(&window);
  EXPECT_EQ(engine->StartWorkerThreads(), 0);  // no events yet
  EXPECT_EQ(engine->CreateEvents(), 1);
  EXPECT_EQ(engine->CreateEvents(), 0);

  std::atomic<int> sellRuns{0};
  engine->SetWorkerBody(EngineWorker::kSell, [&](CPelomarEngine& e, EngineWorker w) {
    e.ResetWorkEvent(w);
    ++sellRuns;
  });
  EXPECT_EQ(engine->StartWorkerThreads(), kEngineWorkerCount);
  EXPECT_EQ(engine->StartWorkerThreads(), 0);
  EXPECT_TRUE(engine->ThreadsStarted());

  engine->SetWorkEvent(EngineWorker::kSell);
  // A worker without a body only resets its event.
  engine->SetWorkEvent(EngineWorker::kAi);
  for (int i = 0;
       i < 500 && (sellRuns.load() == 0 || engine->WorkEvent(EngineWorker::kAi)->IsSet()); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(sellRuns.load(), 1);
  EXPECT_FALSE(engine->WorkEvent(EngineWorker::kAi)->IsSet());
  EXPECT_EQ(engine->RunningWorkerCount(), kEngineWorkerCount);

  EXPECT_TRUE(engine->StopWorkerThreads());
  EXPECT_EQ(engine->RunningWorkerCount(), 0);
  EXPECT_FALSE(engine->ThreadsStarted());
  EXPECT_FALSE(engine->ThreadsRunning());
  EXPECT_TRUE(engine->StopWorkerThreads());
  engine->CloseEvents();
  EXPECT_FALSE(engine->HasEvents());
  engine.reset();  // the destructor stops and closes again
}

TEST_F(EngineWithCatalogue, OptionsSurviveASaveAndALoad) {
  sqlite3* db = GfxOpenOptionsDb(catalogue_.c_str());
  ASSERT_NE(db, nullptr);
  stock_option_s saved;
  saved.split_sell_amount = 30;
  saved.exchange_rate = 1388.5;
  saved.min_take_profit = 3.5;
  saved.max_orders_per_step = -300;
  saved.sell_one_by_one = 1;
  std::wcscpy(saved.domestic.account[1], L"5012-34");
  std::wcscpy(saved.coin.app_secret[0], L"비밀키");
  saved.domestic.broker_id[1] = 7;
  EXPECT_EQ(GfxSaveStockOption(db, 1, 1, &saved, nullptr, nullptr), 0);

  stock_option_s loaded;
  EXPECT_EQ(GfxLoadStockOption(db, 1, 1, &loaded), 1);
  EXPECT_EQ(loaded.split_sell_amount, 30);
  EXPECT_EQ(loaded.split_sell_amount_won, 300000.0);
  EXPECT_DOUBLE_EQ(loaded.exchange_rate, 1388.5);
  EXPECT_DOUBLE_EQ(loaded.min_take_profit, 3.5);
  EXPECT_EQ(loaded.max_orders_per_step, -300);
  EXPECT_EQ(loaded.sell_one_by_one, 1);
  EXPECT_STREQ(loaded.domestic.account[1], L"5012-34");
  EXPECT_STREQ(loaded.coin.app_secret[0], L"비밀키");
  EXPECT_EQ(loaded.domestic.broker_id[1], 7);

  // Only the account items: other values stay as stored.
  saved.min_take_profit = 9.0;
  std::wcscpy(saved.domestic.account[1], L"9999-00");
  EXPECT_EQ(GfxSaveStockAccItemsInfo(db, 1, 1, &saved), 0);
  stock_option_s again;
  EXPECT_EQ(GfxLoadStockOption(db, 1, 1, &again), 1);
  EXPECT_STREQ(again.domestic.account[1], L"9999-00");
  EXPECT_DOUBLE_EQ(again.min_take_profit, 3.5);

  // Another site has no configuration: nothing changes.
  stock_option_s none;
  none.min_take_profit = 1.25;
  EXPECT_EQ(GfxLoadStockOption(db, 1, 2, &none), 0);
  EXPECT_DOUBLE_EQ(none.min_take_profit, 1.25);
  sqlite3_close(db);
}

TEST_F(EngineWithCatalogue, SeedRowKeepsTheDefaultsItDoesNotSet) {
  CPelomarEngine engine(&window_);
  ASSERT_EQ(engine.OpenOptionsDb(catalogue_), 1);
  EXPECT_EQ(engine.LoadStockOption(), 1);
  // The seed row leaves the amount at 0 and the rate at 0.
  EXPECT_EQ(engine.Options().split_sell_amount, 50);
  EXPECT_EQ(engine.Options().step_hold_ms, 300000);
  double rate = engine.Options().exchange_rate, rate2 = 0.5;
  EXPECT_EQ(rate, 0.0);
  ApplyCurrencyRates(&rate, &rate2, 0, 0);
  EXPECT_EQ(rate, 1500.0);
  EXPECT_EQ(rate2, 1500.0);
  rate = 1200;
  ApplyCurrencyRates(&rate, &rate2, 1350.0, 0);
  EXPECT_EQ(rate, 1350.0);
}

TEST_F(EngineWithCatalogue, ChangedOptionsAreSavedOnceWithATradingLogLine) {
  const std::string dataFolder = dir_.Path() + "/data/";
  CPelomarEngine engine(&window_);
  ASSERT_EQ(engine.OpenOptionsDb(catalogue_), 1);
  ASSERT_EQ(engine.Logs().SetLogFolder(std::wstring(dataFolder.begin(), dataFolder.end())), 1);

  EXPECT_EQ(engine.SaveChangedStockOption(), 0);  // unchanged: nothing
  EXPECT_EQ(ReadFile(engine.Logs().GetTradingLogPath()).find("STK.OPT.SAVE"), std::string::npos);

  engine.Options().min_take_profit = 12.5;
  engine.Options().changed = 1;
  EXPECT_EQ(engine.SaveChangedStockOption(), 0);
  EXPECT_EQ(engine.Options().changed, 0);
  EXPECT_NE(ReadFile(engine.Logs().GetTradingLogPath()).find("STK.OPT.SAVE"), std::string::npos);
  stock_option_s stored;
  sqlite3* db = GfxOpenOptionsDb(catalogue_.c_str());
  EXPECT_EQ(GfxLoadStockOption(db, 1, 1, &stored), 1);
  sqlite3_close(db);
  EXPECT_DOUBLE_EQ(stored.min_take_profit, 12.5);
}

TEST_F(EngineWithCatalogue, AFailedSaveKeepsTheChangeMark) {
  CPelomarEngine engine(&window_);
  ASSERT_EQ(engine.OpenOptionsDb(catalogue_), 1);
  // A table the save needs is gone: the save fails and reports it.
  ASSERT_EQ(Exec("DROP TABLE STOCK_CFG"), SQLITE_OK);
  engine.Options().changed = 1;
  EXPECT_NE(engine.SaveChangedStockOption(), 0);
  EXPECT_EQ(engine.Options().changed, 1);
}

TEST(PelomarEngine, CaCertPathOnlyWhenTheFileExists) {
  orv::test::TempDir dir;
  FakeWindow window;
  CPelomarEngine engine(&window);
  const std::wstring folder = std::wstring(dir.Path().begin(), dir.Path().end()) + L"/";
  engine.SetProgramFolder(folder);
  EXPECT_EQ(engine.ResolveCaCertPath(), L"");
  fs::create_directories(dir.Path() + "/Settings");
  std::ofstream(dir.Path() + "/Settings/cacert.pem") << "pem";
  EXPECT_EQ(engine.ResolveCaCertPath(), folder + L"Settings/cacert.pem");
}
