// The condition-search bookkeeping fed with the texts the broker's condition lists, events and
// results come in: the maps, the slots and counts of a stock, the received list, the row
// actions for the grid and the entry, exit and reset rows of the real-time search log.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "plugin/monitor/core/ConditionSearch.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class ConditionSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("orv-cond-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    path_ = (dir_ / "search.csv").string();
    log_.SetPath(path_);
    ASSERT_EQ(log_.SetRealTimeLog(true, nullptr, nullptr), 1);
    master_[L"005930"] = Stock(L"005930", L"삼성전자", 70000, 1.5);
    master_[L"000660"] = Stock(L"000660", L"SK하이닉스", 0, 0);
    ConditionHooks_s hooks;
    hooks.findStock = [this](const std::wstring& code, ScanStock_s* out) {
      auto it = master_.find(code);
      if (it == master_.end()) return false;
      *out = it->second;
      return true;
    };
    hooks.setPrice = [this](const std::wstring& code, double price) {
      master_[code].curPrice = price;
    };
    hooks.config = [this] { return config_; };
    hooks.alert = [this] { ++alerts_; };
    hooks.stockOut = [this](const std::wstring& code) { out_.push_back(code); };
    hooks.rows = [this](const ConditionRowAction_s& a) { actions_.push_back(a); };
    hooks.tick = [] { return DWORD(5000); };
    hooks.now = [] {
      SYSTEMTIME t{};
      t.wYear = 2026;
      t.wHour = 9;
      t.wMinute = 5;
      t.wSecond = 7;
      t.wMilliseconds = 12;
      return t;
    };
    search_ = std::make_unique<CConditionSearch>(log_, hooks);
    config_.requiredCount = 2;
    config_.perStockLimitWon = 300000;
    config_.alert = true;
  }
  void TearDown() override {
    log_.Close();
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  static ScanStock_s Stock(const wchar_t* code, const wchar_t* name, double price, double rate) {
    ScanStock_s s;
    s.code = code;
    s.name = name;
    s.marketLetter = '1';
    s.market = 1;
    s.curPrice = price;
    s.changeRate = rate;
    return s;
  }
  std::vector<std::string> LogLines() {
    log_.Close();
    std::vector<std::string> lines;
    std::stringstream in(ReadAll(path_));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  fs::path dir_;
  std::string path_;
  CRealTimeSearchLog log_;
  std::map<std::wstring, ScanStock_s> master_;
  ConditionConfig_s config_;
  int alerts_ = 0;
  std::vector<std::wstring> out_;
  std::vector<ConditionRowAction_s> actions_;
  std::unique_ptr<CConditionSearch> search_;
};

TEST_F(ConditionSearch, TheConditionListRegistersIndexPlusOneAndSkipsEntriesWithoutCaret) {
  const auto added =
      search_->LoadConditionList(L" 012^ 급등주 ;noCaret; 3^눌림목;;0^급등주;" +
                                     std::wstring(200, L'x') + L";5^after",
                                 true);
  ASSERT_EQ(added.size(), 3u);
  EXPECT_EQ(added[0], std::make_pair(13, std::wstring(L"급등주")));
  EXPECT_EQ(added[1], std::make_pair(4, std::wstring(L"눌림목")));
  // A known name keeps its first index; the entry of 200 characters ends the list.
  EXPECT_EQ(search_->KnownConditions(), 2);
  EXPECT_EQ(search_->ConditionName(13), L"급등주");
  EXPECT_EQ(search_->ConditionName(1), L"");
  EXPECT_EQ(search_->AddCondition(7, L"a", L"b", false), L"7:a:b");
  EXPECT_EQ(search_->KnownConditions(), 3);
}

TEST_F(ConditionSearch, KeysMonitoredCodesAndTheResetRow) {
  search_->LoadConditionList(L"4^눌림목", true);
  std::wstring name;
  search_->ResetCondition(L"K1", 0x7005, &name, false);
  EXPECT_EQ(name, L"눌림목");
  uint32_t flags = 0;
  EXPECT_EQ(search_->FindConditionIndex(L"K1", &flags, &name), 5);
  EXPECT_EQ(flags, 0x7005u);
  EXPECT_EQ(search_->FindConditionIndex(L"none", &flags, &name), 0);
  EXPECT_EQ(name, L"");
  EXPECT_EQ(search_->AddMonitoredCode(L"005930", true, 2), 1);
  EXPECT_EQ(search_->AddMonitoredCode(L"005930", true, 2), 1);
  EXPECT_EQ(search_->AddMonitoredCode(L"000660", false, 2), 0);
  EXPECT_EQ(search_->AddMonitoredCode(L"000660", true, 2), 1);
  EXPECT_EQ(search_->AddMonitoredCode(L"035420", true, 2), 0);
  EXPECT_EQ(search_->MonitoredCodes(), L"005930;000660");
  const auto lines = LogLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].rfind("09:05:07.012,7,K1,\"눌림목\",RESET/5,", 0), 0u) << lines[1];
}

TEST_F(ConditionSearch, EntryAddsARowAndAnEntryRowExitRemovesItAndLogsTheState) {
  search_->LoadConditionList(L"0^급등주;1^눌림목", true);
  // An unknown condition and an unlisted stock are ignored.
  search_->OnRealTimeConditionEvent(L"005930", L"I", L"없는식");
  search_->OnRealTimeConditionEvent(L"999999", L"I", L"급등주");
  EXPECT_TRUE(actions_.empty());
  // The price after '^' becomes the stock's price before the entry is handled.
  search_->OnRealTimeConditionEvent(L"005930^71000", L"I", L"급등주");
  EXPECT_DOUBLE_EQ(master_[L"005930"].curPrice, 71000);
  ASSERT_EQ(actions_.size(), 1u);
  EXPECT_EQ(actions_[0].kind, ConditionRowAction_s::kAdd);
  EXPECT_EQ(actions_[0].conditionIndex, 1);
  EXPECT_EQ(actions_[0].conditionCount, 1);
  EXPECT_DOUBLE_EQ(actions_[0].maxQty, 4);  // floor(300,000 / 71,000)
  EXPECT_EQ(alerts_, 1);
  EXPECT_EQ(search_->ReceivedText(), L"005930:삼성전자:71000.000000:1.50");
  EXPECT_EQ(search_->ReceivedCount(), 1);
  // A second condition: the row is updated, both slots taken, all met (2 of 2).
  search_->OnRealTimeConditionEvent(L"005930", L"I", L"눌림목");
  ASSERT_EQ(actions_.size(), 2u);
  EXPECT_EQ(actions_[1].kind, ConditionRowAction_s::kUpdate);
  EXPECT_EQ(actions_[1].conditionCount, 2);
  ConditionStock_s state;
  ASSERT_TRUE(search_->StockState(L"005930", &state));
  EXPECT_TRUE(state.allMet);
  EXPECT_EQ(state.entryCount, 2);
  EXPECT_EQ(state.state, kConditionStateEntered);
  // Leaving one: its slot is freed, the row goes, the trading view is told.
  search_->OnRealTimeConditionEvent(L"005930", L"D", L"급등주");
  ASSERT_TRUE(search_->StockState(L"005930", &state));
  EXPECT_EQ(state.count, 1);
  EXPECT_FALSE(state.allMet);
  EXPECT_EQ(state.state, kConditionStateExited);
  EXPECT_EQ(state.slotIndex[0], 0);
  EXPECT_EQ(state.slotIndex[1], 2);
  ASSERT_EQ(actions_.size(), 3u);
  EXPECT_EQ(actions_[2].kind, ConditionRowAction_s::kRemove);
  EXPECT_EQ(out_, std::vector<std::wstring>{L"005930"});
  EXPECT_FALSE(search_->Received(L"005930"));
  EXPECT_EQ(search_->ReceivedText(), L"");
  EXPECT_EQ(search_->ReceivedCount(), 0);

  const auto lines = LogLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1].rfind("09:05:07.012,5,005930,\"급등주\",IN/I,1,2,[005930],\"삼성전자\","
                           "71000.000,1.500000%,0,0,0,0,0,",
                           0),
            0u)
      << lines[1];
  EXPECT_EQ(lines[2].rfind("09:05:07.012,6,1:0x11000:0x1000,\"급등주\",OUT,\"1/0\",2,[005930]",
                           0),
            0u)
      << lines[2];
}

TEST_F(ConditionSearch, AFifthConditionFindsNoSlotAndAZeroPriceGivesMaximumOne) {
  search_->LoadConditionList(L"0^a;1^b;2^c;3^d;4^e", true);
  for (const wchar_t* name : {L"a", L"b", L"c", L"d", L"e"})
    search_->OnRealTimeConditionEvent(L"000660", L"I", name);
  ConditionStock_s state;
  ASSERT_TRUE(search_->StockState(L"000660", &state));
  EXPECT_EQ(state.count, 4);
  EXPECT_EQ(state.maxQty, 1);
  // The same condition entering again keeps its one slot.
  search_->OnRealTimeConditionEvent(L"000660", L"D", L"a");
  search_->OnRealTimeConditionEvent(L"000660", L"I", L"b");
  ASSERT_TRUE(search_->StockState(L"000660", &state));
  EXPECT_EQ(state.count, 3);
}

TEST_F(ConditionSearch, TheFirstResultEntersEachListedStockOnce) {
  search_->LoadConditionList(L"0^급등주", true);
  EXPECT_EQ(search_->OnConditionSearchResult(L" 005930^70500 ; 999999^1;000660;" +
                                                 std::wstring(100, L'9') + L";005930",
                                             L"급등주"),
            2);
  EXPECT_EQ(search_->OnConditionSearchResult(L"005930", L"없는식"), 0);
  ASSERT_EQ(actions_.size(), 2u);
  EXPECT_EQ(actions_[0].code, L"005930");
  EXPECT_DOUBLE_EQ(actions_[0].stock.curPrice, 70500);
  EXPECT_EQ(actions_[1].code, L"000660");
  EXPECT_EQ(search_->ReceivedCount(), 2);
  const auto lines = LogLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[1].find(",IN/R,"), std::string::npos);
  // The clear command forgets everything.
  search_->Clear();
  EXPECT_EQ(search_->KnownConditions(), 0);
  EXPECT_FALSE(search_->Received(L"005930"));
}

TEST_F(ConditionSearch, TheReceivedTextStopsGrowingAtItsLimit) {
  search_->LoadConditionList(L"0^a", true);
  for (int i = 0; i < 80; ++i) {
    const std::wstring code = L"1" + std::to_wstring(10000 + i);
    master_[code] = Stock(code.c_str(), L"이름이 조금 긴 종목", 1234, 0.5);
    search_->OnRealTimeConditionEvent(code, L"I", L"a");
  }
  EXPECT_LE(search_->ReceivedText().size(), kReceivedTextLimit);
  EXPECT_LT(search_->ReceivedCount(), 80);
  EXPECT_GT(search_->ReceivedCount(), 0);
  // Every stock still has its row.
  EXPECT_EQ(actions_.size(), 80u);
}

// A known stock's entries and exits with the buy and sell slots: the chosen buy conditions
// (indexes 3 and 7) and the sell condition "손절" take their own slots; any other condition
// the first free buy slot. Each row: the entries made in order, then the slots, counts and
// state the stock is left with.
TEST_F(ConditionSearch, StockChangesTakeBuyAndSellSlots) {
  struct Change {
    int index;
    const wchar_t* name;
    wchar_t kind;
  };
  struct Case {
    const char* what;
    bool slotMatching;
    std::vector<Change> changes;
    std::vector<int> buySlots;
    std::vector<int> sellSlots;
    int count;
    int secondCount;
    uint32_t state;
    bool conditionFlag;
  };
  const Case cases[] = {
      {"a buy condition takes the first free slot", false, {{7, L"b7", L'I'}},
       {7, 0, 0, 0}, {0, 0}, 1, 0, kConditionStateBuy, false},
      {"with slot matching it takes its own slot", true, {{7, L"b7", L'I'}},
       {0, 7, 0, 0}, {0, 0}, 1, 0, kConditionStateBuy, false},
      {"a change of buy condition raises the flag", true,
       {{3, L"b3", L'R'}, {7, L"b7", L'I'}}, {3, 7, 0, 0}, {0, 0}, 2, 0, kConditionStateBuy, true},
      {"a sell condition takes a sell slot", false, {{9, L"손절", L'I'}},
       {0, 0, 0, 0}, {9, 0}, 0, 1, kConditionStateSell, false},
      {"an exit frees the sell slot", false, {{9, L"손절", L'I'}, {9, L"손절", L'D'}},
       {0, 0, 0, 0}, {0, 0}, 0, 0, kConditionStateExited, false},
      {"another condition takes a buy slot", false, {{5, L"other", L'I'}},
       {5, 0, 0, 0}, {0, 0}, 1, 0, 0u, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // A fresh bookkeeping for every case.
    TearDown();
    SetUp();
    config_.slotMatching = c.slotMatching;
    config_.buyConditions[0] = 3;
    config_.buyConditions[1] = 7;
    config_.sellConditions[0] = L"손절";
    for (const Change& change : c.changes)
      EXPECT_TRUE(search_->OnConditionStockChange(L"005930", change.index, change.name, L"K",
                                                  change.kind));
    ConditionStock_s state;
    ASSERT_TRUE(search_->StockState(L"005930", &state));
    EXPECT_EQ(std::vector<int>(state.slotIndex, state.slotIndex + 4), c.buySlots);
    EXPECT_EQ(std::vector<int>(state.sellIndex, state.sellIndex + 2), c.sellSlots);
    EXPECT_EQ(state.count, c.count);
    EXPECT_EQ(state.secondCount, c.secondCount);
    EXPECT_EQ(state.state, c.state);
    EXPECT_EQ(state.conditionFlag, c.conditionFlag);
  }
}

// The variant queues the alert before the entry, logs the entry row of its kind, refuses an
// unlisted stock and an unknown kind; a stock that left shows its exit values on its row and
// leaves the received-list text.
TEST_F(ConditionSearch, StockChangeAlertsLogsAndTheExitedStockKeepsItsRow) {
  config_.alert = false;  // the variant's alert does not depend on the option
  EXPECT_FALSE(search_->OnConditionStockChange(L"123456", 3, L"b3", L"K", L'I'));
  EXPECT_FALSE(search_->OnConditionStockChange(L"005930", 3, L"b3", L"K", L'X'));
  EXPECT_EQ(alerts_, 0);
  EXPECT_TRUE(search_->OnConditionStockChange(L"005930", 3, L"b3", L"K1", L'R'));
  EXPECT_TRUE(search_->OnConditionStockChange(L"000660", 3, L"b3", L"K2", L'I'));
  EXPECT_EQ(alerts_, 2);
  EXPECT_EQ(search_->ReceivedCount(), 2);
  const double values[kExitValueCount] = {1.5, 2.5, 3.5, 4.5, 5.5};
  EXPECT_TRUE(search_->UpdateExitedStock(L"005930", values));
  EXPECT_FALSE(search_->UpdateExitedStock(L"035420", values));
  EXPECT_EQ(search_->ReceivedCount(), 1);
  EXPECT_EQ(search_->ReceivedText().find(L"005930:"), std::wstring::npos);
  EXPECT_NE(search_->ReceivedText().find(L"000660:"), std::wstring::npos);
  ASSERT_FALSE(actions_.empty());
  EXPECT_EQ(actions_.back().kind, ConditionRowAction_s::kExited);
  EXPECT_DOUBLE_EQ(actions_.back().exitValues[4], 5.5);
  // Leaving twice never takes the count below 0.
  EXPECT_TRUE(search_->UpdateExitedStock(L"000660", values));
  EXPECT_TRUE(search_->UpdateExitedStock(L"000660", values));
  EXPECT_EQ(search_->ReceivedCount(), 0);
  const auto lines = LogLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[1].find(",IN/R,"), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find(",IN/I,"), std::string::npos) << lines[2];
}

}  // namespace

namespace {

// The buy decision with an order worker the test answers: what is ordered, what counts.
class ConditionBuy : public ConditionSearch {
 protected:
  void SetUp() override {
    ConditionSearch::SetUp();
    ConditionHooks_s hooks;
    hooks.findStock = [this](const std::wstring& code, ScanStock_s* out) {
      auto it = master_.find(code);
      if (it == master_.end()) return false;
      *out = it->second;
      return true;
    };
    hooks.config = [this] { return config_; };
    hooks.tick = [this] { return tick_; };
    hooks.placeOrder = [this](const std::wstring& code, double quantity,
                              std::function<void(AutoOrderOutcome)> done) {
      orders_.push_back({code, quantity});
      if (!workerRuns_) return false;
      pending_.push_back(std::move(done));
      return true;
    };
    hooks.log = [this](const std::wstring& text) { logged_.push_back(text); };
    search_ = std::make_unique<CConditionSearch>(log_, hooks);
    master_[L"111111"] = Stock(L"111111", L"저가주", 300, 2.0);
    config_.perStockLimitWon = 3900;  // 13 shares at 300
    config_.perOrderWon = 3000;       // 10 shares at 300
    config_.dailyLimitWon = 1000000;
    config_.checkIntervalMs = 10000;
    config_.riseLimit = 10;
    config_.requiredCount = 1;
    search_->LoadConditionList(L"0^a", true);
    search_->OnRealTimeConditionEvent(L"111111", L"I", L"a");
  }
  void Answer(AutoOrderOutcome outcome) {
    ASSERT_FALSE(pending_.empty());
    auto done = std::move(pending_.front());
    pending_.erase(pending_.begin());
    done(outcome);
  }
  ConditionStock_s State() {
    ConditionStock_s state;
    EXPECT_TRUE(search_->StockState(L"111111", &state));
    return state;
  }

  DWORD tick_ = 100000;
  bool workerRuns_ = true;
  std::vector<std::pair<std::wstring, double>> orders_;
  std::vector<std::function<void(AutoOrderOutcome)>> pending_;
  std::vector<std::wstring> logged_;
};

}  // namespace

// A leftover of 3 shares at 300 won (900 won, under 1,000) joins the order of 10.
TEST_F(ConditionBuy, TheSmallLeftoverJoinsTheOrderAndOnlyAPlacedOrderCounts) {
  EXPECT_DOUBLE_EQ(search_->TryAutoBuy(L"111111", {}), 13);
  ASSERT_EQ(orders_.size(), 1u);
  EXPECT_EQ(orders_[0].second, 13);
  // While the order is out no second one goes.
  EXPECT_DOUBLE_EQ(search_->TryAutoBuy(L"111111", {}), 0);
  EXPECT_EQ(State().boughtQty, 0);
  Answer(AutoOrderOutcome::kRefused);
  EXPECT_EQ(State().boughtQty, 0);
  EXPECT_EQ(State().autoBuyCount, 0);
  EXPECT_DOUBLE_EQ(search_->TryAutoBuy(L"111111", {}), 13);
  Answer(AutoOrderOutcome::kPlaced);
  EXPECT_EQ(State().boughtQty, 13);
  EXPECT_EQ(State().autoBuyCount, 1);
  EXPECT_DOUBLE_EQ(search_->BoughtTodayWon(), 3900);
  // Within the check interval nothing more; after it, the per-stock maximum is used up.
  EXPECT_DOUBLE_EQ(search_->TryAutoBuy(L"111111", {}), 0);
  tick_ += 10000;
  EXPECT_DOUBLE_EQ(search_->TryAutoBuy(L"111111", {}), 0);
  EXPECT_EQ(orders_.size(), 2u);
  // A stock whose price is above the per-stock limit (maximum 0) is not bought.
  master_[L"333333"] = Stock(L"333333", L"고가주", 5000, 1.0);
  search_->OnRealTimeConditionEvent(L"333333", L"I", L"a");
  EXPECT_DOUBLE_EQ(search_->TryAutoBuy(L"333333", {}), 0);
  EXPECT_EQ(orders_.size(), 2u);
}

TEST_F(ConditionBuy, AnUnreadableOutcomeIsNeverRetriedAndAnOrderNotSentIsLogged) {
  EXPECT_DOUBLE_EQ(search_->TryAutoBuy(L"111111", {}), 13);
  Answer(AutoOrderOutcome::kUnknown);
  EXPECT_EQ(State().boughtQty, 0);
  tick_ += 60000;
  EXPECT_DOUBLE_EQ(search_->TryAutoBuy(L"111111", {}), 0);
  EXPECT_EQ(orders_.size(), 1u);

  master_[L"222222"] = Stock(L"222222", L"다른주", 1000, 1.0);
  search_->OnRealTimeConditionEvent(L"222222", L"I", L"a");
  workerRuns_ = false;
  EXPECT_DOUBLE_EQ(search_->TryAutoBuy(L"222222", {}), 0);
  ASSERT_EQ(logged_.size(), 1u);
  EXPECT_EQ(logged_[0], L"자동주문 미지원/미구현 증권사\r\n");
  ConditionStock_s state;
  ASSERT_TRUE(search_->StockState(L"222222", &state));
  EXPECT_EQ(state.boughtQty, 0);
  EXPECT_EQ(state.autoBuyCount, 0);
  EXPECT_FALSE(state.orderOut);
}

TEST_F(ConditionBuy, LimitsRiseCheckCapAndForce) {
  // The daily limit: 10 x 300 + 0 must stay below it.
  config_.dailyLimitWon = 3000;
  EXPECT_DOUBLE_EQ(search_->TryAutoBuy(L"111111", {}), 0);
  AutoBuyRequest_s forced;
  forced.force = true;
  forced.cap = 2;
  EXPECT_DOUBLE_EQ(search_->TryAutoBuy(L"111111", forced), 2);
  Answer(AutoOrderOutcome::kPlaced);
  config_.dailyLimitWon = 1000000;
  config_.riseLimit = 1;
  AutoBuyRequest_s rise;
  rise.riseCheck = true;
  tick_ += 10000;
  EXPECT_DOUBLE_EQ(search_->TryAutoBuy(L"111111", rise), 0);
  EXPECT_EQ(orders_.size(), 1u);
}

TEST(CheckBuyQuantity, SlotMatchingCases) {
  ConditionStock_s state;
  state.stock.curPrice = 1000;
  state.stock.changeRate = 1;
  state.conditionRate = 7;  // fell 6 points since it entered its condition
  state.conditionFlag = true;
  state.currentIndex = 2;
  state.previousIndex = 1;
  EXPECT_EQ(CConditionSearch::CheckBuyQuantity(nullptr, 3, false, -5), 3);
  EXPECT_EQ(CConditionSearch::CheckBuyQuantity(nullptr, 0.5, false, -5), 0);
  EXPECT_EQ(CConditionSearch::CheckBuyQuantity(&state, 3, false, -5), 3);
  EXPECT_EQ(CConditionSearch::CheckBuyQuantity(&state, 3, true, -5), 0);
  EXPECT_EQ(CConditionSearch::CheckBuyQuantity(&state, 3, true, -7), 3);
  state.previousIndex = 2;
  EXPECT_EQ(CConditionSearch::CheckBuyQuantity(&state, 3, false, -5), 0);
  state.previousIndex = 1;
  state.conditionFlag = false;
  EXPECT_EQ(CConditionSearch::CheckBuyQuantity(&state, 3, false, -5), 0);
}
