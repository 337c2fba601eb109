#include <gtest/gtest.h>

#include <cwchar>

#include "shared/StockRecords.h"

namespace {

StockTrade_s* Holding(int broker, int account, uint8_t kind, int loan, const wchar_t* code) {
  auto* h = new StockTrade_s();
  h->broker_id = broker;
  h->account_no = account;
  h->holding_kind = kind;
  h->loan_date = loan;
  std::wcscpy(h->code, code);
  return h;
}

TEST(StockRecords, ComparatorsOrderMaps) {
  OwningStockMap stocks;
  for (const wchar_t* c : {L"B1", L"A2", L"a1", L"005930"}) stocks.emplace(c, GfxNewStock(1));
  std::wstring order;
  for (auto& e : stocks) order += e.first + L"|";
  EXPECT_EQ(order, L"005930|A2|B1|a1|");

  GroupInfoMap accounts;
  group_info_s a, b;
  accounts[L"db.1"] = &a;
  accounts[L"DB.1"] = &b;  // same key ignoring case: replaces
  EXPECT_EQ(accounts.size(), 1u);
  EXPECT_EQ(accounts.begin()->second, &b);

  OwningHoldingMap holdings;
  StockTrade_s* credit = Holding(11, 5, 2, 20240101, L"005930");
  StockTrade_s* cash = Holding(11, 5, 1, 0, L"005930");
  StockTrade_s* otherAccount = Holding(11, 4, 2, 0, L"000001");
  StockTrade_s* firstBroker = Holding(1, 9, 1, 0, L"ZZZ");
  StockTrade_s* cashB = Holding(11, 5, 1, 0, L"005931");
  for (auto* h : {credit, cash, otherAccount, firstBroker, cashB}) holdings.emplace(h, 0);
  std::vector<StockTrade_s*> got;
  for (auto& e : holdings) got.push_back(e.first);
  EXPECT_EQ(got, (std::vector<StockTrade_s*>{firstBroker, otherAccount, cash, cashB, credit}));
  StockTrade_s probe;
  probe.broker_id = 11, probe.account_no = 5, probe.holding_kind = 1;
  std::wcscpy(probe.code, L"005931");
  EXPECT_EQ(holdings.find(&probe)->first, cashB);
}

TEST(StockRecords, AddStockDropsLeadingADomesticAndFlagsDuplicates) {
  OwningStockMap map;
  bool added = false;
  Stock_s* s = GfxAddStockToMap(&map, L"A005930", kMarketDomestic, 2, 0, &added);
  ASSERT_NE(s, nullptr);
  EXPECT_TRUE(added);
  EXPECT_STREQ(s->code, L"005930");
  EXPECT_EQ(s->list_index, 1);
  EXPECT_EQ(s->slot_flags[2], 1);
  EXPECT_EQ(s->slot_prices.size(), static_cast<size_t>(kPriceSlotCount));

  Stock_s* again = GfxAddStockToMap(&map, L"005930", kMarketDomestic, 3, 0, &added);
  EXPECT_FALSE(added);
  EXPECT_EQ(again, s);
  EXPECT_EQ(s->slot_flags[3], 1);
  EXPECT_EQ(map.size(), 1u);

  // Overseas codes keep their 'A'; empty codes are refused.
  Stock_s* aapl = GfxAddStockToMap(&map, L"AAPL", kMarketOverseas, 0, 7, &added);
  EXPECT_TRUE(added);
  EXPECT_STREQ(aapl->code, L"AAPL");
  EXPECT_EQ(aapl->list_index, 7);
  EXPECT_EQ(GfxAddStockToMap(&map, L"A", kMarketDomestic, 0, 0, &added), nullptr);
  EXPECT_FALSE(added);
}

TEST(StockRecords, UpdatePriceSetsStepsOnlyOnChange) {
  Stock_s* s = GfxNewStock(1);
  SYSTEMTIME t1;
  t1.wHour = 9;
  StockQuote_s q;
  q.cur_price = 100, q.high_price = 110, q.low_price = 90, q.open_price = 95, q.change = 5,
  q.change_rate = 5.0;
  EXPECT_EQ(GfxUpdateStockPrice(s, 1, q, t1), 1);
  EXPECT_EQ(s->changed, 1);
  EXPECT_DOUBLE_EQ(s->price_step, 100);
  EXPECT_DOUBLE_EQ(s->rate_step, 5.0);
  EXPECT_DOUBLE_EQ(s->slot_prices[1], 100);
  EXPECT_DOUBLE_EQ(s->cur_price, 100);

  s->changed = 0;
  s->update_value = 77;
  q.high_price = 120, q.change_rate = 6.0;
  SYSTEMTIME t2;
  t2.wHour = 10;
  EXPECT_EQ(GfxUpdateStockPrice(s, 1, q, t2), 0);
  EXPECT_EQ(s->changed, 0);
  EXPECT_DOUBLE_EQ(s->price_step, 100);  // untouched without a price change
  EXPECT_DOUBLE_EQ(s->high_price, 120);
  EXPECT_DOUBLE_EQ(s->change_rate, 6.0);
  EXPECT_EQ(s->update_time.wHour, 10);
  EXPECT_EQ(s->update_value, 0);

  q.cur_price = 104, q.change_rate = 7.5;
  EXPECT_EQ(GfxUpdateStockPrice(s, 1, q, t2), 1);
  EXPECT_DOUBLE_EQ(s->price_step, 4);
  EXPECT_DOUBLE_EQ(s->rate_step, 1.5);
  GfxStockDataFree(s);
}

TEST(StockRecords, ViewMapsNeverFreeMasterRecords) {
  OwningStockMap master;
  bool added;
  Stock_s* s = GfxAddStockToMap(&master, L"005930", 1, 0, 0, &added);
  {
    StockViewMap view;
    view.emplace(L"005930", s);
    EXPECT_EQ(GfxStockDataListFree2(&view, 0, 1, 0), 1);
    EXPECT_TRUE(view.empty());
    view.emplace(L"005930", s);
  }  // view destroyed with an entry
  ASSERT_EQ(master.Find(L"005930"), s);
  s->cur_price = 1;  // still a live record (ASan would flag a freed one)

  OwningHoldingMap holdings;
  StockTrade_s* h = Holding(11, 1, 1, 0, L"005930");
  h->stock = s;
  s->holding = h;
  holdings.emplace(h, 0);
  {
    HoldingViewMap queue;
    queue.emplace(h, 9999);
    GfxStockTradeDataMap3Free(&queue);
  }
  EXPECT_EQ(h->stock, s);
  EXPECT_EQ(GfxGetStockTradeDataByCode2(&holdings, 11, 0, nullptr, L"005930", 0), h);
  EXPECT_EQ(GfxGetStockTradeDataByCode2(&holdings, 0, 0, s, nullptr, 0), h);
  EXPECT_EQ(GfxGetStockTradeDataByCode2(&holdings, 2, 0, s, nullptr, 0), nullptr);
  EXPECT_EQ(GfxGetStockTradeDataByCode2(&holdings, 0, 0, nullptr, L"000000", 0), nullptr);

  // Freeing the owning holdings map unlinks the stock.
  EXPECT_EQ(GfxStockTradeDataMap3Free(&holdings), 1);
  EXPECT_EQ(s->holding, nullptr);
  EXPECT_EQ(GfxStockDataListFree2(&master, 0, 1, 0), 1);
  EXPECT_TRUE(master.empty());
}

}  // namespace
