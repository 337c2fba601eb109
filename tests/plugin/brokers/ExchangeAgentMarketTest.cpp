// The Bithumb and Upbit agents' market data and coin holdings against their exchange peers: the
// market list into records, the ticker poll (signs, statuses, the price log, long code lists),
// day and minute candles with the minute gaps filled, and the balance's coin holdings.

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "platform/support/HttpForm.h"
#include "platform/support/TextConv.h"
#include "plugin/brokers/ExchangeAgent.h"
#include "tests/peers/ExchangePeer.h"
#include "tests/plugin/brokers/TestCaFile.h"

namespace orv::test {
namespace {

constexpr const char* kKey = "access-key-1";
constexpr const char* kSecret = "secret-key-1";

ExchangeTickerRow Ticker(const std::string& market, double price, const std::string& change,
                         double rate) {
  ExchangeTickerRow t;
  t.market = market;
  t.price = price;
  t.open = price * 0.99;
  t.high = price * 1.01;
  t.low = price * 0.98;
  t.change = change;
  t.changePrice = price * rate;
  t.changeRate = rate;
  t.accVolume = 30;
  t.accVolume24h = 60;
  t.accPrice = 1000;
  t.accPrice24h = 4000;
  return t;
}

std::string ReadAll(std::FILE* file) {
  std::string text;
  std::rewind(file);
  char buf[4096];
  size_t n = 0;
  while ((n = std::fread(buf, 1, sizeof buf, file)) > 0) text.append(buf, n);
  return text;
}

class ExchangeMarketTest : public ::testing::TestWithParam<ExchangePeer::Kind> {
 protected:
  ExchangeMarketTest() : peer_(GetParam(), SharedCa()) {
    if (Bithumb())
      agent_ = std::make_unique<CBithumbAgent>(kExchangeMarketKind, L"b", 'b', kBithumbBrokerId, 1,
                                               kExchangeMarketId, 0, 40);
    else
      agent_ = std::make_unique<CUpBitAgent>(kExchangeMarketKind, L"u", 'b', kUpBitBrokerId, 1,
                                             kExchangeMarketId, 0, 40);
  }

  void SetUp() override {
    ASSERT_TRUE(peer_.Start());
    peer_.AcceptCredentials(kKey, kSecret);
    peer_.SetAccounts({{"KRW", 100000, 0, 0, "KRW"}});
    agent_->SetHostUrlA(peer_.BaseUrl().c_str());
    agent_->SetCaCertPemFilePath(SharedCaFileW().c_str());
    // Bithumb's candles go through the support library's GET, which verifies with its file.
    GfxSetHttpCaCertFile(SharedCaFile().c_str());
    curl_ = curl_easy_init();
    ASSERT_NE(curl_, nullptr);
    int code = 0;
    wchar_t message[200]{};
    ASSERT_EQ(agent_->LoginA(curl_, "coin", kKey, kSecret, &code, message, 200), 1);
  }
  void TearDown() override {
    if (curl_) curl_easy_cleanup(curl_);
  }

  bool Bithumb() const { return GetParam() == ExchangePeer::Kind::kBithumb; }

  // A record as the market list makes it (with its Korean name).
  Stock_s* Listed(const wchar_t* code) {
    Stock_s* stock = GfxAddStockToMap(&stocks_, code, kExchangeMarketKind, 0, 0, nullptr);
    stock->name = L"코인";
    return stock;
  }

  int Poll(FILE* log = nullptr, uint8_t slot = 0) {
    std::atomic<int> running{1};
    message_[0] = 0;
    status_ = 99;
    return agent_->UpdatePrices(curl_, kExchangeMarketKind, slot, 0, &stocks_, &running, 0,
                                message_, &status_, log);
  }

  std::vector<std::string> AskedMarkets() const {
    std::vector<std::string> asked;
    for (const RecordedRequest& r : peer_.RequestsTo("/v1/ticker")) asked.push_back(r.Param("markets"));
    return asked;
  }

  ExchangePeer peer_;
  std::unique_ptr<CExchangeAgent> agent_;
  CURL* curl_ = nullptr;
  OwningStockMap stocks_;
  char message_[20]{};
  int status_ = 0;
};

TEST_P(ExchangeMarketTest, MarketListMakesOneRecordPerMarket) {
  peer_.SetMarkets({{"KRW-BTC", "비트코인", "Bitcoin"},
                    {"KRW-ETH", "이더리움", "Ethereum"},
                    {"KRW-BTC", "비트코인", "Bitcoin"},
                    {"KRW-NONAME", "", "No name"}});
  EXPECT_EQ(agent_->LoadStockList(nullptr, &stocks_, kExchangeMarketKind, '1', 0, 10, nullptr, 0),
            0)
      << "no handle, no list";
  EXPECT_TRUE(peer_.RequestsTo("/v1/market/all").empty());

  ASSERT_EQ(agent_->LoadStockList(curl_, &stocks_, kExchangeMarketKind, '1', 0, 10, nullptr, 0), 2);
  ASSERT_EQ(stocks_.size(), 2u);
  const Stock_s* btc = stocks_.Find(L"KRW-BTC");
  const Stock_s* eth = stocks_.Find(L"KRW-ETH");
  ASSERT_NE(btc, nullptr);
  ASSERT_NE(eth, nullptr);
  EXPECT_EQ(btc->name, L"비트코인");
  EXPECT_STREQ(btc->nation_code, "KR");
  EXPECT_EQ(btc->market, kExchangeMarketKind);
  EXPECT_EQ(btc->market_letter, '1');
  EXPECT_EQ(btc->list_index, 11);
  EXPECT_EQ(eth->list_index, 12);
  EXPECT_EQ(btc->slot_flags[0], 1);
  EXPECT_EQ(btc->exchange_flags[0], 1) << "listed on the KRW market: the quote lists take it";
  EXPECT_EQ(btc->exchange_flags[1], 0);
  const auto asked = peer_.RequestsTo("/v1/market/all");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_FALSE(asked[0].Header("Authorization").empty()) << "the list request is signed";
  EXPECT_TRUE(peer_.TokenRefusals().empty());

  // Loaded again for the BTC market's slot: no new record; Upbit marks the slot on its records.
  EXPECT_EQ(agent_->LoadStockList(curl_, &stocks_, kExchangeMarketKind, '1', 1, 0, nullptr, 0), 0);
  EXPECT_EQ(stocks_.Find(L"KRW-BTC")->slot_flags[1], Bithumb() ? 0 : 1);
  EXPECT_EQ(stocks_.Find(L"KRW-BTC")->name, L"비트코인");
}

TEST_P(ExchangeMarketTest, TickerPollAppliesPricesAndWritesThePriceLog) {
  Stock_s* btc = Listed(L"KRW-BTC");
  Stock_s* eth = Listed(L"KRW-ETH");
  Stock_s* unnamed = GfxAddStockToMap(&stocks_, L"KRW-XRP", kExchangeMarketKind, 0, 0, nullptr);
  GfxAddStockToMap(&stocks_, L"005930", kMarketDomestic, 0, 0, nullptr);
  peer_.SetTickers({Ticker("KRW-BTC", 50500000, "RISE", 0.01),
                    Ticker("KRW-ETH", 3000000, "FALL", 0.0123), Ticker("KRW-XRP", 700, "EVEN", 0)});
  std::FILE* log = std::tmpfile();
  ASSERT_NE(log, nullptr);
  EXPECT_EQ(Poll(log), Bithumb() ? 2 : 3);
  EXPECT_EQ(status_, 0);
  EXPECT_EQ(agent_->m_priceUpdates, 1);
  // Bithumb asks only for the coins of its own list (those with a name); domestic codes never.
  const auto asked = AskedMarkets();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], Bithumb() ? "KRW-BTC,KRW-ETH" : "KRW-BTC,KRW-ETH,KRW-XRP");
  EXPECT_TRUE(peer_.TokenRefusals().empty()) << peer_.TokenRefusals().front();

  EXPECT_DOUBLE_EQ(btc->cur_price, 50500000);
  EXPECT_DOUBLE_EQ(btc->coin_prices[0], 50500000) << "the holdings read a coin's price here";
  EXPECT_DOUBLE_EQ(btc->change_rate, 1.0);
  EXPECT_DOUBLE_EQ(eth->change_rate, -1.23) << "a fall is a negative rate";
  EXPECT_DOUBLE_EQ(eth->change, 3000000 * 0.0123);
  EXPECT_DOUBLE_EQ(eth->open_price, 3000000 * 0.99);
  EXPECT_DOUBLE_EQ(eth->volume_ratio, (1000.0 / 4000) * (30.0 / 60) * 100);
  EXPECT_EQ(eth->trade_date, 20261211);
  EXPECT_EQ(eth->trade_time, 93000);
  EXPECT_EQ(eth->changed, 1);
  EXPECT_DOUBLE_EQ(unnamed->cur_price, Bithumb() ? 0 : 700);

  const std::string lines = ReadAll(log);
  std::fclose(log);
  const std::regex ethLine(
      "9,\"KRW-ETH\",[0-9]+,\"[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\","
      "3000000\\.000000,-1\\.230000,2970000\\.000000,2940000\\.000000,3030000\\.000000\n");
  EXPECT_TRUE(std::regex_search(lines, ethLine)) << lines;
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), Bithumb() ? 2 : 3);

  // The same price again leaves the changed flag as it was; a new one sets it with its step.
  btc->changed = 0;
  Poll();
  EXPECT_EQ(btc->changed, 0);
  peer_.SetTickerPrice("KRW-BTC", 50600000);
  Poll();
  EXPECT_EQ(btc->changed, 1);
  EXPECT_DOUBLE_EQ(btc->price_step, 100000);

  // The BTC market's poll writes its own slot.
  Poll(nullptr, 1);
  EXPECT_DOUBLE_EQ(btc->coin_prices[1], 50600000);
}

TEST_P(ExchangeMarketTest, TickerStatusesLeaveRecordsAsTheyWere) {
  Stock_s* btc = Listed(L"KRW-BTC");
  btc->cur_price = 1234;
  struct Case {
    const char* what;
    std::string body;
    int status;
    int expected;
  };
  const Case cases[] = {
      {"error object", "{\"error\":{\"name\":\"404\",\"message\":\"Code not found\"}}", 404,
       kTickerRefused},
      {"not a list", "{\"market\":\"KRW-BTC\",\"trade_price\":5}", 200, kTickerNotAList},
      {"gateway page", "<html>502 Bad Gateway</html>", 502, kTickerNoReply},
      {"cut reply", "[{\"market\":\"KRW-BTC\",\"trade_price\":5", 200, kTickerNotAList},
  };
  for (const Case& c : cases) {
    peer_.SetRawTickerReply(c.body, c.status);
    EXPECT_EQ(Poll(), 0) << c.what;
    EXPECT_EQ(status_, c.expected) << c.what;
    EXPECT_DOUBLE_EQ(btc->cur_price, 1234) << c.what;
  }
  // The reader alone: an empty reply.
  int status = 0;
  EXPECT_EQ(agent_->ParseMultiPriceResponse(0, "", 0, &stocks_, nullptr, &status, nullptr), 0);
  EXPECT_EQ(status, kTickerNoReply);
  // A list with an empty object, a ticker of a market without a record and a good one.
  const std::string body = "[{}, {\"market\":\"KRW-DOGE\",\"trade_price\":1}," +
                           ExchangePeer::TickerBody({Ticker("KRW-BTC", 99, "EVEN", 0)}).substr(1);
  EXPECT_EQ(agent_->ParseMultiPriceResponse(0, body.c_str(), body.size(), &stocks_, nullptr,
                                            &status, nullptr),
            1);
  EXPECT_EQ(status, 0);
  EXPECT_DOUBLE_EQ(btc->cur_price, 99);
}

TEST_P(ExchangeMarketTest, TwoHundredMarketsGoOutInListsWithinTheLimit) {
  std::vector<ExchangeTickerRow> tickers;
  for (int i = 0; i < 200; ++i) {
    const std::string market = "KRW-C" + std::to_string(1000 + i);
    tickers.push_back(Ticker(market, 100 + i, "RISE", 0.01));
    Listed(Utf8ToWide(market).c_str());
  }
  peer_.SetTickers(tickers);
  EXPECT_EQ(Poll(), 200);
  const auto asked = AskedMarkets();
  ASSERT_GE(asked.size(), 2u);
  size_t codes = 0;
  for (const std::string& list : asked) {
    EXPECT_LE(list.size(), kExchangeTickerCodesMax);
    codes += std::count(list.begin(), list.end(), ',') + 1;
  }
  EXPECT_EQ(codes, 200u) << "every market asked for once";
  EXPECT_DOUBLE_EQ(stocks_.Find(L"KRW-C1199")->cur_price, 299);
}

TEST_P(ExchangeMarketTest, DayCandlesGiveRowsOldestFirst) {
  Stock_s* btc = Listed(L"KRW-BTC");
  peer_.SetCandles("KRW-BTC", 0,
                   {{"2026-12-11T00:00:00", "2026-12-11T09:00:00", 3, 4, 2, 3.5, 10},
                    {"2026-12-10T00:00:00", "2026-12-10T09:00:00", 2, 3, 1, 3, 20},
                    {"2026-12-09T00:00:00", "2026-12-09T09:00:00", 1, 2, 1, 2, 30}});
  std::string rows, series;
  std::deque<int32_t> dates{7};
  std::deque<double> closes{7};
  EXPECT_EQ(agent_->GetChartDataA(curl_, btc, "KRW-BTC", 1, 1, 3, &rows, &series, &dates, &closes, 0),
            3);
  EXPECT_EQ(rows,
            "{\"days_3\" : ["
            "{\"date\":\"2026-12-09T09:00:00\",\"open\":1.000000,\"high\":2.000000,\"low\":1.000000,"
            "\"close\":2.000000,\"volume\":30.000000}\n,"
            "{\"date\":\"2026-12-10T09:00:00\",\"open\":2.000000,\"high\":3.000000,\"low\":1.000000,"
            "\"close\":3.000000,\"volume\":20.000000}\n,"
            "{\"date\":\"2026-12-11T09:00:00\",\"open\":3.000000,\"high\":4.000000,\"low\":2.000000,"
            "\"close\":3.500000,\"volume\":10.000000}]}");
  EXPECT_EQ(series, "2026-12-09T09:00:00,2,\n2026-12-10T09:00:00,3,\n2026-12-11T09:00:00,4");
  EXPECT_EQ(dates, (std::deque<int32_t>{20261209, 20261210, 20261211}));
  EXPECT_EQ(closes, (std::deque<double>{2, 3, 3.5}));
  EXPECT_DOUBLE_EQ(btc->cur_price, 3.5) << "a coin without a price takes the newest close";
  EXPECT_EQ(btc->day.count, 3);
  EXPECT_EQ(btc->day.requested, 3);
  EXPECT_DOUBLE_EQ(btc->day.close[2], 3.5);
  EXPECT_DOUBLE_EQ(btc->day.close[0], 2);
  EXPECT_EQ(btc->day.last_date, 20261211);

  // Count 0 asks for one; CSV rows; an error reply stores nothing and still closes the rows.
  EXPECT_EQ(agent_->GetChartDataA(curl_, btc, "KRW-BTC", 1, 1, 0, &rows, &series, &dates, &closes, 1),
            1);
  EXPECT_EQ(peer_.RequestsTo("/v1/candles/days").back().Param("count"), "1");
  EXPECT_EQ(rows, "{\"days_1\" : [2026-12-11T09:00:00,3.000000,4.000000,2.000000,3.500000,"
                  "10.000000]}");
  EXPECT_EQ(agent_->GetChartDataA(curl_, btc, "KRW-ETH", 1, 1, 5, &rows, &series, &dates, &closes, 0),
            0);
  EXPECT_EQ(rows, "{\"days_5\" : []}");
  EXPECT_TRUE(dates.empty());
  // A code that is no market code never reaches the URL.
  const size_t sent = peer_.Requests().size();
  EXPECT_EQ(agent_->GetChartDataA(curl_, btc, "KRW-BTC&count=9", 1, 1, 5, &rows, &series, &dates,
                                  &closes, 0),
            0);
  EXPECT_EQ(peer_.Requests().size(), sent);
}

TEST_P(ExchangeMarketTest, MinuteCandlesFillTheMinutesWithoutTrades) {
  Stock_s* btc = Listed(L"KRW-BTC");
  // Newest first: 09:05, 09:04, then 09:01 (two minutes without a trade before 09:04), then 07:30
  // (more than an hour earlier: stored nowhere), then 07:29.
  peer_.SetCandles("KRW-BTC", 1,
                   {{"2026-12-11T00:05:00", "2026-12-11T09:05:00", 1, 1, 1, 105, 1},
                    {"2026-12-11T00:04:00", "2026-12-11T09:04:00", 1, 1, 1, 104, 1},
                    {"2026-12-11T00:01:00", "2026-12-11T09:01:00", 1, 1, 1, 101, 1},
                    {"2026-12-10T22:30:00", "2026-12-11T07:30:00", 1, 1, 1, 73, 1},
                    {"2026-12-10T22:29:00", "2026-12-11T07:29:00", 1, 1, 1, 72, 1}});
  std::string rows, series;
  std::deque<int32_t> dates;
  std::deque<double> closes;
  EXPECT_EQ(agent_->GetChartDataA(curl_, btc, "KRW-BTC", 3, 1, 10, &rows, &series, &dates, &closes, 1),
            6);
  EXPECT_EQ(peer_.RequestsTo("/v1/candles/minutes/1").size(), 1u);
  EXPECT_EQ(dates, (std::deque<int32_t>{72900, 73000, 90100, 90400, 90500}));
  const StockSeries_s& m = btc->minute;
  EXPECT_EQ(m.requested, 10);
  EXPECT_EQ(m.count, 6);
  const std::vector<double> expected{0, 0, 0, 0, 72, 101, 101, 101, 104, 105};
  EXPECT_EQ(std::vector<double>(m.close.begin(), m.close.begin() + 10), expected);
  EXPECT_EQ(m.last_date, 20261211);

  // The count caps the filling.
  EXPECT_EQ(agent_->GetChartDataA(curl_, btc, "KRW-BTC", 3, 1, 4, &rows, &series, &dates, &closes, 1),
            4);
  EXPECT_EQ(std::vector<double>(m.close.begin(), m.close.begin() + 4),
            (std::vector<double>{101, 101, 104, 105}));

  // Three-minute candles count their gaps in three-minute units: back to back is one place.
  const std::string reply =
      "[{\"candle_date_time_utc\":\"2026-12-11T00:06:00\",\"trade_price\":106},"
      "{\"candle_date_time_utc\":\"2026-12-11T00:03:00\",\"trade_price\":103},"
      "{\"candle_date_time_utc\":\"2026-12-10T23:57:00\",\"trade_price\":97}]";
  std::vector<ExchangeCandle> threes;
  ASSERT_TRUE(ReadExchangeCandles(reply.c_str(), reply.size(), &threes));
  EXPECT_EQ(StoreExchangeCandles(btc, 3, 3, 5, threes), 4);
  EXPECT_EQ(std::vector<double>(m.close.begin(), m.close.begin() + 5),
            (std::vector<double>{0, 97, 97, 103, 106}));
}

TEST_P(ExchangeMarketTest, CoinHoldingsFeesNewRecordsAndSoldOutCoins) {
  Stock_s* btc = Listed(L"KRW-BTC");
  btc->market = kMarketDomestic;  // takes the fee rate of kind 1
  btc->cur_price = 52000000;
  peer_.SetAccounts({{"KRW", 100000, 0, 0, "KRW"},
                     {"BTC", 0.01, 0, 50000000, "KRW"},
                     {"ETH", 2, 0, 3000000, "KRW"}});
  struct Told {
    std::wstring code;
    double price = -1;
    int calls = 0;
  } told;
  OwningHoldingMap holdings;
  BalanceQueryArgs_s args;
  args.totals = &agent_->m_accountRecord;
  args.holdings = &holdings;
  args.stocks = &stocks_;
  args.feeRateDomestic = 0.1;
  args.feeRateOther = 0.05;
  args.callbackContext = &told;
  args.callback = [](void* context, int, int, uint32_t, const wchar_t* code, const wchar_t*,
                     uint8_t, double price, double, double, double, int, int, int, void*) {
    auto* t = static_cast<Told*>(context);
    t->code = code;
    t->price = price;
    ++t->calls;
    return 0;
  };
  ASSERT_EQ(agent_->QueryBalance(curl_, kExchangeMarketKind, 0, 0, args), 2);
  ASSERT_EQ(holdings.size(), 2u);
  const StockTrade_s* heldBtc = GfxGetStockTradeDataByCode2(&holdings, 0, 0, nullptr, L"KRW-BTC", 0);
  const StockTrade_s* heldEth = GfxGetStockTradeDataByCode2(&holdings, 0, 0, nullptr, L"KRW-ETH", 0);
  ASSERT_NE(heldBtc, nullptr);
  ASSERT_NE(heldEth, nullptr);
  EXPECT_DOUBLE_EQ(heldBtc->purchase, 500000);
  EXPECT_DOUBLE_EQ(heldBtc->commission, 500000 * 0.1 / 100);
  EXPECT_DOUBLE_EQ(heldEth->commission, 6000000 * 0.05 / 100) << "each coin its record's rate";
  EXPECT_DOUBLE_EQ(heldBtc->profit, (52000000 - (500000 + 500) / 0.01) * 0.01);
  EXPECT_GT(heldBtc->sell_split_qty, 0);
  // ETH had no record: one is made, without a price, and the view is told of it.
  const Stock_s* eth = stocks_.Find(L"KRW-ETH");
  ASSERT_NE(eth, nullptr);
  EXPECT_DOUBLE_EQ(eth->cur_price, 0);
  EXPECT_EQ(eth->exchange_flags[0], 1) << "a held coin is polled on its market";
  EXPECT_EQ(told.calls, 1);
  EXPECT_EQ(told.code, L"KRW-ETH");
  EXPECT_DOUBLE_EQ(told.price, 0);

  // The same balance again updates the holdings and adds none.
  ASSERT_EQ(agent_->QueryBalance(curl_, kExchangeMarketKind, 0, 0, args), 2);
  EXPECT_EQ(holdings.size(), 2u);
  EXPECT_EQ(told.calls, 1);

  // ETH sold: its holding leaves; BTC stays.
  peer_.SetAccounts({{"KRW", 6100000, 0, 0, "KRW"}, {"BTC", 0.01, 0, 50000000, "KRW"}});
  ASSERT_EQ(agent_->QueryBalance(curl_, kExchangeMarketKind, 0, 0, args), 1);
  ASSERT_EQ(holdings.size(), 1u);
  EXPECT_STREQ(holdings.begin()->first->code, L"KRW-BTC");
}

INSTANTIATE_TEST_SUITE_P(Exchanges, ExchangeMarketTest,
                         ::testing::Values(ExchangePeer::Kind::kBithumb,
                                           ExchangePeer::Kind::kUpbit),
                         [](const auto& info) {
                           return info.param == ExchangePeer::Kind::kBithumb ? "Bithumb" : "UpBit";
                         });

}  // namespace
}  // namespace orv::test
