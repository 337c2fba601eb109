// The DB agent's stock lists, price polling, price parsers, candles and investor trend against
// the DB peer.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "platform/support/TextConv.h"
#include "tests/plugin/brokers/DbAgentFixture.h"

namespace orv::test {
namespace {

using DbListTest = DbAgentFixture;
using DbPriceTest = DbAgentFixture;
using DbChartTest = DbAgentFixture;

std::string ReadAll(FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string text;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, file)) > 0) text.append(buf, n);
  return text;
}

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using TempFile = std::unique_ptr<FILE, FileCloser>;

TEST_F(DbListTest, PagesFollowTheContinuationKeyAndFillRecords) {
  peer_.SetTickerPages(
      DbBrokerPeer::kDomesticTickerPath,
      {{{"A005930", "KR7005930003", "1", "삼성전자"}, {"A035720", "KR7035720002", "4", "카카오"}},
       {{"000660", "KR7000660001", "9", "SK하이닉스"}, {"", "X", "1", "이름만"}},
       {{"A000270", "KR7000270009", "1", "기아"}}});
  OwningStockMap stocks;
  int status = 0;
  EXPECT_EQ(agent_.LoadStockList(curl_, &stocks, kMarketDomestic, '1', 2, 10, &status, 0), 4);
  EXPECT_EQ(status, kDbListEntryIncomplete) << "an entry without a code is skipped and reported";

  const auto requests = peer_.RequestsTo(DbBrokerPeer::kDomesticTickerPath);
  ASSERT_EQ(requests.size(), 3u);
  const char* expectedKeys[] = {"", "k1", "k2"};
  for (size_t i = 0; i < requests.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(requests[i].Header("cont_yn"), i == 0 ? "N" : "Y");
    EXPECT_EQ(requests[i].Header("cont_key"), expectedKeys[i]);
    EXPECT_EQ(requests[i].HasHeader("cont_key"), i > 0);
    EXPECT_EQ(requests[i].body, "{\"In\": {\"InputCondMrktDivCode\": \"J\" }}");
  }
  EXPECT_EQ(clock_.SleptMs(), 3u * kDbListPagePauseMs) << "a pause after every page";

  ASSERT_EQ(stocks.size(), 4u);
  const Stock_s* samsung = stocks.Find(L"005930");
  ASSERT_NE(samsung, nullptr) << "the leading A of a domestic code is dropped";
  EXPECT_EQ(samsung->list_index, 11);
  EXPECT_EQ(samsung->market_letter, '1');
  EXPECT_EQ(samsung->market, kMarketDomestic);
  EXPECT_EQ(samsung->domestic, 1);
  EXPECT_STREQ(samsung->std_code, "KR7005930003");
  EXPECT_STREQ(samsung->nation_code, "KR");
  EXPECT_EQ(samsung->name, L"삼성전자");
  EXPECT_EQ(samsung->slot_flags[2], 1);
  EXPECT_EQ(stocks.Find(L"035720")->market_letter, '2');
  EXPECT_EQ(stocks.Find(L"000660")->market_letter, '0');
  EXPECT_EQ(stocks.Find(L"000660")->list_index, 13);
  EXPECT_EQ(stocks.Find(L"000270")->list_index, 14);

  // A second load for another price slot adds nothing and only marks the slot.
  peer_.Http().ClearRequests();
  EXPECT_EQ(agent_.LoadStockList(curl_, &stocks, kMarketDomestic, '2', 5, 0, &status, 0), 0);
  EXPECT_EQ(stocks.size(), 4u);
  EXPECT_EQ(samsung->slot_flags[5], 1);
  EXPECT_EQ(samsung->list_index, 11);
}

TEST_F(DbListTest, OverseasListsKeepEverySymbolLetter) {
  peer_.SetTickerPages(
      DbBrokerPeer::kOverseasTickerPath,
      {{{"AAPL", "US0378331005", "", "애플"}, {"AMZN", "US0231351067", "", "아마존"}}});
  OwningStockMap stocks;
  int status = 0;
  EXPECT_EQ(agent_.LoadStockList(curl_, &stocks, kMarketOverseas, 'N', 0, 0, &status, 0), 2);
  const auto requests = peer_.RequestsTo(DbBrokerPeer::kOverseasTickerPath);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].body, "{\"In\": {\"InputDataCode\": \"NA\" }}");
  const Stock_s* apple = stocks.Find(L"AAPL");
  ASSERT_NE(apple, nullptr);
  EXPECT_EQ(apple->market_letter, 'N');
  EXPECT_EQ(apple->domestic, 0);
  EXPECT_STREQ(apple->nation_code, "US");
  EXPECT_EQ(stocks.Find(L"APL"), nullptr);
}

TEST_F(DbListTest, RefusesWithoutHandleOrKnownLetterAndReportsBadPages) {
  OwningStockMap stocks;
  int status = 0;
  EXPECT_EQ(agent_.LoadStockList(nullptr, &stocks, kMarketDomestic, '1', 0, 0, &status, 0), 0);
  EXPECT_EQ(agent_.LoadStockList(curl_, &stocks, kMarketDomestic, 'Z', 0, 0, &status, 0), 0);
  EXPECT_TRUE(peer_.Requests().empty());

  EXPECT_EQ(agent_.ParseStockList("<html>busy</html>", &stocks, kMarketDomestic, "KR", '1', 0, 0,
                                  &status),
            0);
  EXPECT_EQ(status, kDbListNotJson);
  EXPECT_TRUE(stocks.empty());
}

// A map of `n` domestic records "100000", "100001", ...
void FillDomestic(OwningStockMap* stocks, int n) {
  for (int i = 0; i < n; ++i) {
    GfxAddStockToMap(stocks, std::to_wstring(100000 + i).c_str(), kMarketDomestic, 0, 0, nullptr);
  }
}

TEST_F(DbPriceTest, PollsInBatchesOfFiftyWithPausesBetweenFullBatches) {
  OwningStockMap stocks;
  FillDomestic(&stocks, 120);
  std::vector<DbQuote> quotes;
  for (int i = 0; i < 120; ++i) quotes.push_back({std::to_string(100000 + i), "종목", 1000.0 + i});
  peer_.SetQuotes(quotes);

  std::atomic<int> running{1};
  char message[20] = "junk";
  int code = -1;
  EXPECT_EQ(agent_.UpdatePrices(curl_, kMarketDomestic, 1, 1, &stocks, &running, 300, message,
                                &code, nullptr),
            120);
  EXPECT_EQ(code, 0);
  EXPECT_STREQ(message, "00000");
  EXPECT_EQ(agent_.m_priceUpdates, 1);
  EXPECT_EQ(clock_.SleptMs(), 600u) << "two pauses: none after the last, partial batch";

  const auto requests = peer_.RequestsTo(DbBrokerPeer::kDomesticPricePath);
  ASSERT_EQ(requests.size(), 3u);
  const int expectedCounts[] = {50, 50, 20};
  int next = 100000;
  for (size_t i = 0; i < 3; ++i) {
    int count = 0;
    const auto codes = DbBrokerPeer::AskedCodes(requests[i].body, &count);
    EXPECT_EQ(count, expectedCounts[i]);
    ASSERT_EQ(codes.size(), static_cast<size_t>(expectedCounts[i]));
    for (const std::string& c : codes) EXPECT_EQ(c, std::to_string(next++));
    EXPECT_FALSE(requests[i].HasHeader("cont_yn"));
  }
  EXPECT_DOUBLE_EQ(stocks.Find(L"100119")->cur_price, 1119.0);
  EXPECT_DOUBLE_EQ(stocks.Find(L"100000")->slot_prices[1], 1000.0);
}

TEST_F(DbPriceTest, RequestBodiesPerExchange) {
  struct Case {
    uint8_t market;
    uint8_t exchange;
    char letter;
    const wchar_t* code;
    const char* path;
    const char* body;
  } cases[] = {
      {kMarketDomestic, 1, '1', L"005930", DbBrokerPeer::kDomesticPricePath,
       "{ \"In\": {\"dataCnt\": 1\n,\"InputCondMrktDivCode1\": \"J\", \"InputIscd1\": "
       "\"005930\"\n }\n}"},
      {kMarketDomestic, 2, '1', L"005930", DbBrokerPeer::kDomesticPricePath,
       "{ \"In\": {\"dataCnt\": 1\n,\"InputCondMrktDivCode1\": \"NJ\", \"InputIscd1\": "
       "\"N-005930\"\n }\n}"},
      {kMarketOverseas, 0, 'N', L"AAPL", DbBrokerPeer::kOverseasPricePath,
       "{ \"In\": {\"dataCnt\": 1\n,\"InputCondMrktDivCode1\": \"FN\", \"InputIscd1\": "
       "\"AAPL\"\n }\n}"},
      {kMarketOverseas, 0, 'A', L"SPY", DbBrokerPeer::kOverseasPricePath,
       "{ \"In\": {\"dataCnt\": 1\n,\"InputCondMrktDivCode1\": \"FA\", \"InputIscd1\": "
       "\"SPY\"\n }\n}"},
      {kMarketOverseas, 0, 'H', L"TSLA", DbBrokerPeer::kOverseasPricePath,
       "{ \"In\": {\"dataCnt\": 1\n,\"InputCondMrktDivCode1\": \"FY\", \"InputIscd1\": "
       "\"TSLA\"\n }\n}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    peer_.Http().ClearRequests();
    OwningStockMap stocks;
    Stock_s* stock = GfxAddStockToMap(&stocks, c.code, c.market, 0, 0, nullptr);
    stock->market_letter = c.letter;
    peer_.SetQuotes({{WideToUtf8(c.code), "x", 50.0}});
    std::atomic<int> running{1};
    char message[20]{};
    int code = 0;
    EXPECT_EQ(agent_.UpdatePrices(curl_, c.market, 0, c.exchange, &stocks, &running, 0, message,
                                  &code, nullptr),
              1)
        << "an NXT reply naming N-<code> still finds the record";
    const auto requests = peer_.RequestsTo(c.path);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].body, c.body);
    EXPECT_DOUBLE_EQ(stock->cur_price, 50.0);
  }
}

TEST_F(DbPriceTest, SendsNothingForOtherMarketsOrAStoppedView) {
  OwningStockMap stocks;
  GfxAddStockToMap(&stocks, L"AAPL", kMarketOverseas, 0, 0, nullptr);
  std::atomic<int> running{1};
  char message[20]{};
  int code = 0;
  EXPECT_EQ(agent_.UpdatePrices(curl_, kMarketDomestic, 0, 1, &stocks, &running, 0, message, &code,
                                nullptr),
            0);
  FillDomestic(&stocks, 3);
  running = 0;
  EXPECT_EQ(agent_.UpdatePrices(curl_, kMarketDomestic, 0, 1, &stocks, &running, 0, message, &code,
                                nullptr),
            0);
  EXPECT_EQ(agent_.UpdatePrices(curl_, kMarketDomestic, 0, 1, &stocks, nullptr, 0, message, &code,
                                nullptr),
            0);
  EXPECT_TRUE(peer_.Requests().empty());
  EXPECT_EQ(agent_.m_priceUpdates, 0);
}

TEST_F(DbPriceTest, BrokerErrorLeavesRecordsAndGivesItsCode) {
  OwningStockMap stocks;
  FillDomestic(&stocks, 2);
  stocks.Find(L"100000")->cur_price = 777;
  peer_.SetRawReply(DbBrokerPeer::kDomesticPricePath,
                    "{\"rsp_cd\":\"IGW00201\",\"rsp_msg\":\"초당 거래건수를 초과하였습니다.\"}");
  std::atomic<int> running{1};
  char message[20]{};
  int code = 0;
  EXPECT_EQ(agent_.UpdatePrices(curl_, kMarketDomestic, 0, 1, &stocks, &running, 0, message, &code,
                                nullptr),
            0);
  EXPECT_EQ(code, 100201);
  EXPECT_STREQ(message, "IGW00201");
  EXPECT_DOUBLE_EQ(stocks.Find(L"100000")->cur_price, 777);
}

TEST_F(DbPriceTest, QuoteUpdatesTheRecordAndWritesOneExactLogLine) {
  OwningStockMap stocks;
  Stock_s* stock = GfxAddStockToMap(&stocks, L"005930", kMarketDomestic, 0, 0, nullptr);
  GfxAddStockToMap(&stocks, L"000660", kMarketDomestic, 0, 0, nullptr);
  stock->slot_prices[3] = 70000;
  stock->change_rate = 0.5;
  clock_.SetTick(4000000000u);
  clock_.SetLocalTime({2025, 3, 0, 14, 10, 5, 9, 250});

  const std::string reply = DbBrokerPeer::MultiPriceBody(
      {{"005930", "삼성전자", 71500, 70000, 72000, 69800, 70500, 1000, 1.25},
       {"999999", "없는 종목", 1, 1, 1, 1, 1, 0, 0}});
  TempFile log(std::tmpfile());
  ASSERT_NE(log, nullptr);
  char codeText[20]{};
  int code = -1;
  EXPECT_EQ(agent_.ParseMultiPriceResponse(3, reply.c_str(), reply.size(), &stocks, codeText, &code,
                                           log.get()),
            1)
      << "a code not in the map is not counted";
  EXPECT_EQ(ReadAll(log.get()),
            "1,\"005930\",4000000000,\"2025-03-14 10:05:09\",71500.000000,1.250000,70000.000000,"
            "69800.000000,72000.000000\n");
  EXPECT_EQ(stock->changed, 1);
  EXPECT_DOUBLE_EQ(stock->price_step, 1500);
  EXPECT_DOUBLE_EQ(stock->rate_step, 0.75);
  EXPECT_DOUBLE_EQ(stock->slot_prices[3], 71500);
  EXPECT_DOUBLE_EQ(stock->cur_price, 71500);
  EXPECT_DOUBLE_EQ(stock->high_price, 72000);
  EXPECT_DOUBLE_EQ(stock->low_price, 69800);
  EXPECT_DOUBLE_EQ(stock->open_price, 70000);
  EXPECT_DOUBLE_EQ(stock->change, 1000);
  EXPECT_EQ(stock->update_time.wHour, 10);

  EXPECT_EQ(agent_.ParseMultiPriceResponse(0, "<html>", 6, &stocks, codeText, &code, log.get()), 0);
  EXPECT_EQ(code, 0);
}

// Rows are looked up after the previous row's record first: rows in the list's order, out of
// it, repeated, unknown or with the NXT prefix each reach their own record.
TEST_F(DbPriceTest, RowsInAnyOrderReachTheirOwnRecords) {
  OwningStockMap stocks;
  const wchar_t* codes[] = {L"000100", L"000200", L"000300", L"000400", L"000500"};
  for (const wchar_t* c : codes) GfxAddStockToMap(&stocks, c, kMarketDomestic, 0, 0, nullptr);
  const std::string reply = DbBrokerPeer::MultiPriceBody(
      {{"000100", "a", 1100, 1, 1, 1, 1, 0, 0},
       {"000200", "b", 1200, 1, 1, 1, 1, 0, 0},
       {"000400", "d", 1400, 1, 1, 1, 1, 0, 0},
       {"N-000300", "c", 1300, 1, 1, 1, 1, 0, 0},
       {"000150", "none", 9, 1, 1, 1, 1, 0, 0},
       {"000500", "e", 1500, 1, 1, 1, 1, 0, 0},
       {"000100", "a", 1101, 1, 1, 1, 1, 0, 0}});
  char codeText[20]{};
  int code = -1;
  EXPECT_EQ(agent_.ParseMultiPriceResponse(0, reply.c_str(), reply.size(), &stocks, codeText, &code,
                                           nullptr),
            6);
  EXPECT_DOUBLE_EQ(stocks.Find(L"000100")->cur_price, 1101);
  EXPECT_DOUBLE_EQ(stocks.Find(L"000200")->cur_price, 1200);
  EXPECT_DOUBLE_EQ(stocks.Find(L"000300")->cur_price, 1300);
  EXPECT_DOUBLE_EQ(stocks.Find(L"000400")->cur_price, 1400);
  EXPECT_DOUBLE_EQ(stocks.Find(L"000500")->cur_price, 1500);
  EXPECT_EQ(stocks.size(), 5u) << "an unknown code adds no record";
}

TEST_F(DbPriceTest, SingleAndOverseasPriceReplies) {
  OwningStockMap stocks;
  Stock_s* samsung = GfxAddStockToMap(&stocks, L"005930", kMarketDomestic, 0, 0, nullptr);
  Stock_s* apple = GfxAddStockToMap(&stocks, L"AAPL", kMarketOverseas, 0, 0, nullptr);
  TempFile log(std::tmpfile());

  const std::string single =
      DbBrokerPeer::SinglePriceBody({"005930", "", 71500, 70000, 72000, 69800, 70500, 0, 2.14});
  EXPECT_EQ(agent_.ParsePriceResponse(single.c_str(), single.size(), samsung, 0, log.get()), 1);
  EXPECT_DOUBLE_EQ(samsung->cur_price, 71500);
  EXPECT_DOUBLE_EQ(samsung->low_price, 69800);
  EXPECT_DOUBLE_EQ(samsung->change, 1000);
  EXPECT_DOUBLE_EQ(samsung->change_rate, 2.14);

  const std::string error = "{\"error\":{\"code\":\"E1\",\"message\":\"조회 실패\"}}";
  EXPECT_EQ(agent_.ParsePriceResponse(error.c_str(), error.size(), samsung, 0, log.get()), 0);
  EXPECT_EQ(agent_.GetLastMessage(), L"조회 실패");

  const std::string overseas =
      DbBrokerPeer::OverseasPriceBody({"AAPL", "", 190.5, 188, 191, 187.25, 189, 1.5, 0.79});
  EXPECT_EQ(agent_.ParseUSAPriceResponse(overseas.c_str(), overseas.size(), &stocks, 0, log.get()),
            1);
  EXPECT_DOUBLE_EQ(apple->cur_price, 190.5);
  EXPECT_DOUBLE_EQ(apple->low_price, 187.25);
  EXPECT_DOUBLE_EQ(apple->change_rate, 0.79);

  const std::string text = ReadAll(log.get());
  EXPECT_NE(text.find("1,\"005930\","), std::string::npos);
  EXPECT_NE(text.find("2,\"AAPL\","), std::string::npos);
  EXPECT_NE(text.find(",190.500000,0.790000,188.000000,187.250000,191.000000\n"),
            std::string::npos);
}

TEST_F(DbChartTest, DayCandlesComeOldestFirstOverTheDateRange) {
  peer_.SetCandles(DbBrokerPeer::kDayChartPath, {{"20250106", 0, 100, 110, 95, 105, 1000},
                                                 {"20250103", 0, 90, 101, 89, 100, 2000},
                                                 {"20250102", 0, 80, 92, 79, 90, 3000}});
  OwningStockMap stocks;
  Stock_s* stock = GfxAddStockToMap(&stocks, L"005930", kMarketDomestic, 0, 0, nullptr);
  std::string rows;
  std::string series;
  std::deque<int32_t> dates;
  std::deque<double> closes{42};
  EXPECT_EQ(
      agent_.GetChartData(curl_, stock, L"005930", 1, 1, 60, &rows, &series, &dates, &closes, 0),
      3);
  const auto requests = peer_.RequestsTo(DbBrokerPeer::kDayChartPath);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].body,
            "{ \"In\": {  \"InputCondMrktDivCode\": \"J\",  \"InputIscd1\": \"005930\",    "
            "\"InputDate1\": \"20241008\",   \"InputDate2\": \"20250106\",    "
            "\"InputDivXtick\": \"600\"  } }")
      << "60 candles ask for the last 90 calendar days";
  EXPECT_EQ(requests[0].Header("cont_yn"), "N");
  EXPECT_EQ(rows,
            "{\"days_60\" : [{\"date\":\"20250102\",\"open\":80,\"high\":92,\"low\":79,\"close\":"
            "90,\"volume\":3000}\n,{\"date\":\"20250103\",\"open\":90,\"high\":101,\"low\":89,"
            "\"close\":100,\"volume\":2000}\n,{\"date\":\"20250106\",\"open\":100,\"high\":110,"
            "\"low\":95,\"close\":105,\"volume\":1000}]}");
  EXPECT_EQ(series, "20250102,90,\n20250103,100,\n20250106,105");
  EXPECT_EQ(dates, (std::deque<int32_t>{20250102, 20250103, 20250106}));
  EXPECT_EQ(closes, (std::deque<double>{90, 100, 105}));
  EXPECT_DOUBLE_EQ(stock->cur_price, 105) << "the newest close when no price was known";
  EXPECT_EQ(stock->day.count, 3);
  EXPECT_DOUBLE_EQ(stock->day.close.back(), 105);

  EXPECT_EQ(
      agent_.GetChartData(curl_, stock, L"005930", 1, 1, 0, &rows, &series, &dates, &closes, 1), 3);
  EXPECT_NE(
      peer_.RequestsTo(DbBrokerPeer::kDayChartPath)[1].body.find("\"InputDate1\": \"20250105\""),
      std::string::npos)
      << "a count of 0 asks for one candle (1.5 days, cut to 1)";
  EXPECT_EQ(rows,
            "20250102,80,92,79,90,3000\n,20250103,90,101,89,100,2000\n,"
            "20250106,100,110,95,105,1000");

  EXPECT_EQ(agent_.GetChartData(curl_, stock, nullptr, 1, 1, 5, &rows, &series, &dates, &closes, 0),
            -1);
  EXPECT_EQ(
      agent_.GetChartData(curl_, stock, L"005930", 1, 1, 5, nullptr, &series, &dates, &closes, 0),
      -1);
}

TEST_F(DbChartTest, MinuteCandlesAreLabelledByTheirTime) {
  peer_.SetCandles(DbBrokerPeer::kMinuteChartPath,
                   {{"20250106", 90200, 10, 12, 9, 11, 5}, {"20250106", 90100, 9, 10, 8, 10, 7}});
  std::string rows;
  std::string series;
  std::deque<int32_t> times;
  std::deque<double> closes;
  EXPECT_EQ(
      agent_.GetChartDataA(curl_, nullptr, "005930", 3, 2, 30, &rows, &series, &times, &closes, 0),
      2);
  EXPECT_EQ(peer_.RequestsTo(DbBrokerPeer::kMinuteChartPath)[0].body,
            "{ \"In\": {  \"InputCondMrktDivCode\": \"J\",  \"InputIscd1\": \"005930\",    "
            "\"InputDate1\": \"20250106\",   \"InputDivXtick\": \"120\", \"dataCnt\": \"30\"  } }");
  EXPECT_EQ(series, "090100,10,\n090200,11");
  EXPECT_EQ(rows,
            "{\"minutes_30\" : [{\"date\":\"090100\",\"open\":9,\"high\":10,\"low\":8,"
            "\"close\":10,\"volume\":7}\n,{\"date\":\"090200\",\"open\":10,\"high\":12,"
            "\"low\":9,\"close\":11,\"volume\":5}]}");
  EXPECT_EQ(times, (std::deque<int32_t>{90100, 90200}));
}

TEST_F(DbChartTest, BrokerErrorGivesAnEmptySeries) {
  peer_.SetRawReply(DbBrokerPeer::kDayChartPath,
                    "{\"error\":{\"code\":\"IGW00121\",\"message\":\"token expired\"}}");
  std::string rows = "old";
  std::string series = "old";
  EXPECT_EQ(
      agent_.GetChartDataA(curl_, nullptr, "005930", 1, 1, 10, &rows, &series, nullptr, nullptr, 0),
      0);
  EXPECT_EQ(rows, "{\"days_10\" : []}");
  EXPECT_EQ(series, "");
  EXPECT_EQ(agent_.GetLastMessage(), L"token expired");
}

TEST_F(DbChartTest, InvestorTrendNetsBuyingAgainstSelling) {
  DbInvestorRow newest{"20250106", 1000, 70000, 5e8, 2e8, 300, 100, 1e8, 4e8, 50, 250};
  DbInvestorRow older{"20250103", 0, 69000, 0, 0, 10, 20, 0, 0, 5, 1};
  peer_.SetInvestorRows({newest, older});
  OwningStockMap stocks;
  Stock_s* stock = GfxAddStockToMap(&stocks, L"005930", kMarketDomestic, 0, 0, nullptr);
  std::string rows;
  std::string series;
  std::deque<int32_t> dates;
  std::deque<double> values;
  EXPECT_EQ(
      agent_.GetBuyTrendDataA(curl_, stock, "005930", 0, 0, &rows, &series, &dates, &values, 0), 2);
  EXPECT_EQ(peer_.RequestsTo(DbBrokerPeer::kInvestorPath)[0].body,
            "{  \"In\": {    \"InputCondMrktDivCode\": \"J\",    \"InputIscd1\": \"005930\",    "
            "\"InputDate1\": \"20241222\",    \"InputDate2\": \"20250106\" }}")
      << "no day count means 10 days, over 15 calendar days";
  EXPECT_EQ(rows,
            "{\"investor_10\" : [{\"date\":\"20250103\",\"agency\":-10,\"agency_money\":0,"
            "\"foreigner\":4,\"foreigner_money\":0,\"foreigner_ratio\":0.00}\n,{\"date\":"
            "\"20250106\",\"agency\":200,\"agency_money\":300000000,\"foreigner\":-200,"
            "\"foreigner_money\":-300000000,\"foreigner_ratio\":20.00}]}");
  EXPECT_EQ(series, "20250103,-10,4,\n20250106,200,-200");
  EXPECT_EQ(dates, (std::deque<int32_t>{20250103, 20250106}));
  EXPECT_EQ(values, (std::deque<double>{-10, 4, 200, -200}));
  EXPECT_DOUBLE_EQ(stock->cur_price, 70000);
  EXPECT_EQ(
      agent_.GetBuyTrendDataA(curl_, stock, "005930", 0, 5, nullptr, &series, &dates, &values, 0),
      -1);
}

}  // namespace
}  // namespace orv::test
