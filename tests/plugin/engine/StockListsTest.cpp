#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "plugin/view/engine/StockLists.h"

namespace {

class FakeListView : public IStockListView {
 public:
  void RedrawMyStockGrid() override { ++redraws; }
  void SetRowInterest(Stock_s* stock, int value) override {
    rowStock = stock;
    rowValue = value;
  }
  void MarkStockGridRedraw() override { ++gridMarks; }
  int redraws = 0;
  int gridMarks = 0;
  Stock_s* rowStock = nullptr;
  int rowValue = 0;
};

class StockListsTest : public ::testing::Test {
 protected:
  StockListsTest() : lists_(lock_, &view_) {}
  Stock_s* Add(uint8_t market, const wchar_t* code, const wchar_t* name, int8_t nation = 0,
               double price = 0) {
    return lists_.AddMasterStock(market, code, name, nation, 0, 0, 0, price, 0, 0);
  }

  orv::win::CCriticalSection lock_;
  FakeListView view_;
  CStockLists lists_;
};

TEST_F(StockListsTest, DomesticPrefixIsDroppedForMasterOwnAndHoldingLookups) {
  Stock_s* samsung = Add(kMarketDomestic, L"005930", L"삼성전자");
  Stock_s* apple = Add(kMarketOverseas, L"AAPL", L"Apple");
  Add(kMarketOverseas, L"APL", L"other");
  StockTrade_s* holding = new StockTrade_s();
  holding->stock = samsung;
  holding->broker_id = 2;
  std::wcscpy(holding->code, L"005930");
  lists_.Holdings().emplace(holding, 1);
  ASSERT_EQ(lists_.AddMyStock(samsung, 1, 0, false), 1);

  for (const wchar_t* code : {L"005930", L"A005930", L"B005930"}) {
    SCOPED_TRACE(std::wstring(code).size());
    EXPECT_EQ(lists_.FindMasterStock(kMarketDomestic, code), samsung);
    EXPECT_EQ(lists_.FindMyStock(kMarketDomestic, code, false, false), samsung);
    EXPECT_EQ(lists_.FindHoldingByCode(kMarketDomestic, 0, 0, nullptr, code, 0), holding);
  }
  EXPECT_EQ(lists_.FindMasterStockA(kMarketDomestic, "A005930"), samsung);
  EXPECT_EQ(lists_.FindMasterStockA(kMarketDomestic, ""), nullptr);
  EXPECT_EQ(lists_.FindMasterStock(kMarketDomestic, nullptr), nullptr);
  // Other markets keep the letter; FindStockByCode never drops it.
  EXPECT_EQ(lists_.FindMasterStock(kMarketOverseas, L"AAPL"), apple);
  EXPECT_EQ(lists_.FindStockByCode(kMarketDomestic, L"A005930", nullptr, true, nullptr), nullptr);
  EXPECT_EQ(lists_.FindHoldingByCode(kMarketDomestic, 3, 0, nullptr, L"A005930", 0), nullptr);
}

TEST_F(StockListsTest, FindStockByCodeTriesExactThenAlternateThenScan) {
  Stock_s* coin = Add(kMarketCoin, L"KRW-BTC", L"비트코인");
  Stock_s* us = Add(kMarketOverseas, L"msft", L"Microsoft");
  std::wstring name = L"stale";
  EXPECT_EQ(lists_.FindStockByCode(kMarketCoin, L"KRW-BTC", &name, false, nullptr), coin);
  EXPECT_EQ(name, L"비트코인");
  EXPECT_EQ(lists_.FindStockByCode(kMarketCoin, L"nope", &name, false, L"KRW-BTC"), coin);
  EXPECT_EQ(lists_.FindStockByCode(kMarketCoin, L"krw-btc", &name, false, L""), nullptr);
  EXPECT_EQ(name, L"");
  EXPECT_EQ(lists_.FindStockByCode(kMarketCoin, L"krw-btc", &name, true, nullptr), coin);
  // The case-insensitive walk only takes stocks of the same market.
  EXPECT_EQ(lists_.FindStockByCode(kMarketDomestic, L"MSFT", &name, true, nullptr), nullptr);
  EXPECT_EQ(lists_.FindStockByCode(kMarketOverseas, L"MSFT", &name, true, nullptr), us);
  name = L"kept";
  EXPECT_EQ(lists_.FindStockByCode(kMarketCoin, L"", &name, true, nullptr), nullptr);
  EXPECT_EQ(name, L"kept");
}

TEST_F(StockListsTest, FindStockByNamePrefersNationThenPrefixThenSmallestNation) {
  Stock_s* kr = Add(kMarketDomestic, L"100", L"Alpha", 1);
  Stock_s* us = Add(kMarketOverseas, L"200", L"ALPHA", 2);
  Stock_s* jp = Add(kMarketOverseas, L"300", L"alpha", 3);
  Add(kMarketDomestic, L"400", L"Alpha Tech", 1);
  Stock_s* alphaHold = Add(kMarketDomestic, L"500", L"Alpha Holdings", 1);
  Stock_s* betaUs = Add(kMarketOverseas, L"600", L"Beta", 2);
  Stock_s* betaJp = Add(kMarketOverseas, L"700", L"Beta One", 3);
  Stock_s* betaJp2 = Add(kMarketOverseas, L"800", L"Beta Two", 3);

  std::wstring code = L"stale";
  // Any nation: the first exact match in code order.
  EXPECT_EQ(lists_.FindStockByName(L"alpha", &code, 0), kr);
  EXPECT_EQ(code, L"100");
  EXPECT_EQ(lists_.FindStockByName(L"alpha", &code, 3), jp);
  EXPECT_EQ(code, L"300");
  // A prefix match of the nation (the last one in code order) beats an exact one of another.
  EXPECT_EQ(lists_.FindStockByName(L"Alpha", &code, 1), kr);
  EXPECT_EQ(lists_.FindStockByName(L"ALPHA", &code, 2), us);
  EXPECT_EQ(lists_.FindStockByName(L"Alpha ", &code, 1), alphaHold);
  // No match of the nation: the candidate with the smallest nation, the earlier on ties.
  EXPECT_EQ(lists_.FindStockByName(L"Beta", &code, 5), betaUs);
  EXPECT_EQ(lists_.FindStockByName(L"Beta ", &code, 5), betaJp);
  EXPECT_EQ(lists_.FindStockByName(L"Beta T", &code, 3), betaJp2);
  // The prefix compare is case-sensitive.
  EXPECT_EQ(lists_.FindStockByName(L"beta o", &code, 0), nullptr);
  EXPECT_EQ(code, L"");
  EXPECT_EQ(lists_.FindStockByName(L"", &code, 0), nullptr);
}

TEST_F(StockListsTest, SearchStockByNameOrder) {
  Stock_s* krExact = Add(kMarketDomestic, L"100", L"Gamma", 1);
  Stock_s* usExact = Add(kMarketOverseas, L"200", L"gamma", 2);
  Stock_s* krSub = Add(kMarketDomestic, L"300", L"Big Gamma Co", 1);
  Stock_s* usSub = Add(kMarketOverseas, L"400", L"New Gamma", 2);
  Stock_s* jpSub = Add(kMarketOverseas, L"500", L"Old Gamma", 3);
  Add(kMarketCoin, L"600", L"", 1);

  EXPECT_EQ(lists_.SearchStockByName(0, L"GAMMA", 2), usExact);
  EXPECT_EQ(lists_.SearchStockByName(0, L"GAMMA", 1), krExact);
  // No exact match of the nation: the last exact match of any nation.
  EXPECT_EQ(lists_.SearchStockByName(0, L"GAMMA", 3), usExact);
  // Only substrings: the last of the nation, else the smallest nation.
  EXPECT_EQ(lists_.SearchStockByName(0, L"Gamma ", 1), krSub);
  EXPECT_EQ(lists_.SearchStockByName(0, L" Gamma", 2), usSub);
  EXPECT_EQ(lists_.SearchStockByName(0, L" Gamma", 3), jpSub);
  EXPECT_EQ(lists_.SearchStockByName(0, L" Gamma", 7), krSub);
  // The market filter.
  EXPECT_EQ(lists_.SearchStockByName(kMarketOverseas, L"GAMMA", 1), usExact);
  EXPECT_EQ(lists_.SearchStockByName(kMarketCoin, L"Gamma", 1), nullptr);
}

TEST_F(StockListsTest, AddMyStockSetsLevelsAndBudgetQuantity) {
  lists_.SetPerStockBudget(1000000);
  Stock_s* priced = Add(kMarketDomestic, L"005930", L"삼성전자", 0, 10000);
  EXPECT_EQ(lists_.AddMyStock(priced, 1, 7, true), 1);
  EXPECT_EQ(priced->source, 7);
  EXPECT_DOUBLE_EQ(priced->preset_price1, 9000);
  EXPECT_DOUBLE_EQ(priced->preset_price2, 9500);
  EXPECT_NEAR(priced->preset_qty, 105.263, 0.001);
  EXPECT_EQ(view_.redraws, 1);

  // Already listed: 2, nothing else changes.
  priced->cur_price = 20000;
  EXPECT_EQ(lists_.AddMyStock(priced, 1, 7, true), 2);
  EXPECT_DOUBLE_EQ(priced->preset_price1, 9000);
  EXPECT_EQ(view_.redraws, 1);

  // A preset quantity stays; without a price both levels are 0.
  Stock_s* preset = Add(kMarketOverseas, L"AAPL", L"Apple", 0, 200);
  preset->preset_qty = 3;
  EXPECT_EQ(lists_.AddMyStock(preset, 1, 1, false), 1);
  EXPECT_DOUBLE_EQ(preset->preset_qty, 3);
  Stock_s* unpriced = Add(kMarketCoin, L"KRW-ETH", L"이더리움");
  unpriced->preset_price1 = 5;
  EXPECT_EQ(lists_.AddMyStock(unpriced, 1, 1, false), 1);
  EXPECT_EQ(unpriced->preset_price1, 0);
  EXPECT_EQ(unpriced->preset_qty, 0);
  EXPECT_EQ(lists_.MyListOf(kMarketCoinBtc)->count(L"KRW-ETH"), 1u);

  // Mode other than 1 only records the source byte.
  Stock_s* other = Add(kMarketDomestic, L"000660", L"SK하이닉스", 0, 100);
  EXPECT_EQ(lists_.AddMyStock(other, 0, 9, true), 0);
  EXPECT_EQ(other->source, 9);
  EXPECT_EQ(other->preset_price1, 0);
  EXPECT_EQ(lists_.FindMyStock(kMarketDomestic, L"000660", false, false), nullptr);
  EXPECT_EQ(lists_.AddMyStock(nullptr, 1, 0, false), 0);
}

TEST_F(StockListsTest, AddOrRemoveMyStockAndListChangeMark) {
  Stock_s* a = Add(kMarketDomestic, L"000001", L"a", 0, 100);
  Add(kMarketDomestic, L"000002", L"b", 0, 100);
  EXPECT_EQ(lists_.AddOrRemoveMyStock(kMarketDomestic, L"A000002", 1, 3, false),
            lists_.FindMasterStock(kMarketDomestic, L"000002"));
  EXPECT_EQ(lists_.AddOrRemoveMyStock(kMarketDomestic, L"000001", 1, 3, false), a);
  EXPECT_EQ(lists_.AddOrRemoveMyStock(kMarketDomestic, L"999999", 1, 3, false), nullptr);
  EXPECT_EQ(lists_.MyList(CStockLists::kMyDomestic).size(), 2u);

  lists_.SetSavedMyStockText(L"000001;000002;");
  EXPECT_EQ(lists_.IsMyStockListChanged(L';'), 0);
  EXPECT_EQ(lists_.IsMyStockListChanged(L','), 1);

  a->own_state1 = 4;
  a->own_state2 = 5;
  EXPECT_EQ(lists_.AddOrRemoveMyStock(kMarketDomestic, L"B000001", 0, 3, true), a);
  EXPECT_EQ(lists_.FindMyStock(kMarketDomestic, L"000001", false, false), nullptr);
  EXPECT_EQ(a->own_state1, 0);
  EXPECT_EQ(a->own_state2, 0);
  EXPECT_EQ(view_.redraws, 1);
  EXPECT_EQ(lists_.IsMyStockListChanged(L';'), 1);
  // The record stays in the master list.
  EXPECT_EQ(lists_.FindMasterStock(kMarketDomestic, L"000001"), a);
  EXPECT_EQ(lists_.FindMyStock(kMarketDomestic, L"000001", true, true), nullptr);
  EXPECT_EQ(view_.redraws, 1);
}

TEST_F(StockListsTest, OwnListChangesWaitForTheViewLock) {
  Stock_s* stock = Add(kMarketDomestic, L"005930", L"삼성전자", 0, 100);
  ASSERT_EQ(lists_.AddMyStock(stock, 1, 0, false), 1);
  std::atomic<bool> removed{false};
  lock_.Lock();
  std::thread remover([&] {
    lists_.FindMyStock(kMarketDomestic, L"005930", true, false);
    removed = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(removed);
  EXPECT_EQ(lists_.MyList(CStockLists::kMyDomestic).size(), 1u);
  lock_.Unlock();
  remover.join();
  EXPECT_TRUE(removed);
  EXPECT_TRUE(lists_.MyList(CStockLists::kMyDomestic).empty());
}

TEST_F(StockListsTest, AddMasterStockFillsTheRecordAndKeepsAnExistingOne) {
  lists_.SetNewStockOptionValue(4);
  Stock_s* stock = lists_.AddMasterStock(kMarketDomestic, L"005930", L"삼성전자", -1, 17, 3, 99,
                                         71500, 70000, 5);
  ASSERT_NE(stock, nullptr);
  EXPECT_STREQ(stock->code, L"005930");
  EXPECT_EQ(stock->name, L"삼성전자");
  EXPECT_EQ(stock->market, kMarketDomestic);
  EXPECT_EQ(stock->nation, -1);
  EXPECT_EQ(stock->kind, 17);
  EXPECT_EQ(stock->flag_byte, 3);
  EXPECT_EQ(stock->int_value, 99);
  EXPECT_EQ(stock->cur_price, 71500);
  EXPECT_EQ(stock->second_price, 70000);
  EXPECT_EQ(stock->count64, 5);
  EXPECT_EQ(stock->option_rate, 3.0);
  EXPECT_EQ(stock->option_value, 4);
  EXPECT_EQ(stock->status, 1);
  EXPECT_EQ(stock->slot_prices.size(), static_cast<size_t>(kPriceSlotCount));
  EXPECT_EQ(lists_.AddMasterStock(kMarketDomestic, L"005930", L"dup", 0, 0, 0, 0, 1, 0, 0), stock);
  EXPECT_EQ(stock->name, L"삼성전자");
  EXPECT_EQ(lists_.Master().size(), 1u);
  EXPECT_EQ(lists_.AddMasterStock(kMarketDomestic, L"", L"x", 0, 0, 0, 0, 1, 0, 0), nullptr);
}

TEST_F(StockListsTest, InsertStockIntoListOnlyIntoViewListsAndOnce) {
  Stock_s* stock = Add(kMarketDomestic, L"005930", L"삼성전자");
  StockViewMap& held = lists_.Held(CStockLists::kHeldDomestic);
  EXPECT_EQ(lists_.InsertStockIntoList(&held, stock), 1);
  EXPECT_EQ(lists_.InsertStockIntoList(&held, stock), 0);
  EXPECT_EQ(lists_.InsertStockIntoList(&held, nullptr), 0);
  // The master list owns its records; another record under its code would be freed twice.
  EXPECT_EQ(lists_.InsertStockIntoList(&lists_.Master(), stock), 0);
  EXPECT_EQ(held.at(L"005930"), stock);
}

TEST_F(StockListsTest, SetStockInterestStoresTheValueAndMarksTheGrid) {
  Stock_s* stock = Add(kMarketDomestic, L"005930", L"삼성전자");
  EXPECT_EQ(lists_.SetStockInterest(L"005930", 2, nullptr), 0);
  EXPECT_EQ(stock->interest, 2);
  EXPECT_EQ(view_.rowStock, stock);
  EXPECT_EQ(view_.rowValue, 2);
  EXPECT_EQ(view_.gridMarks, 1);
  view_.rowStock = nullptr;
  EXPECT_EQ(lists_.SetStockInterest(L"A005930", 1, nullptr), 0);  // exact code only
  EXPECT_EQ(view_.rowStock, nullptr);
  EXPECT_EQ(view_.gridMarks, 2);
}

TEST_F(StockListsTest, PriceFilterRange) {
  struct Case {
    double lower, upper, price;
    int expected;
  };
  const Case cases[] = {
      {0, 0, 500, -1},     {0, 2000, 500, -1},  {1000, 0, 0, 0},       {1000, 0, 999, 0},
      {1000, 0, 1000, 1},  {1000, 0, 1e9, 1},   {1000, 2000, 2000, 1}, {1000, 2000, 2000.5, 0},
      {1000, -5, 5000, 1}, {1000, 2000, -1, 0},
  };
  for (const Case& c : cases) {
    lists_.SetPriceFilter(c.lower, c.upper);
    EXPECT_EQ(lists_.PriceInFilterRange(c.price), c.expected)
        << c.lower << " " << c.upper << " " << c.price;
  }
}

}  // namespace
