// The Korea Investment agent against its broker peer: token and revoke, the "tr_id" headers,
// the "t8430" list paging, result codes, price polls, order bodies and the candle request.

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/win/Clock.h"
#include "plugin/brokers/HangukSecuAgent.h"
#include "tests/peers/HangukBrokerPeer.h"
#include "tests/plugin/brokers/RawRequestCatcher.h"
#include "tests/plugin/brokers/TestCaFile.h"

namespace orv::test {
namespace {

class HangukAgentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(peer_.Start());
    peer_.AcceptCredentials("key", "secret/+=");
    agent_.SetHostUrlA(peer_.BaseUrl().c_str());
    agent_.SetCaCertPemFilePath(SharedCaFileW().c_str());
    ASSERT_EQ(LogIn(), 1);
    curl_ = curl_easy_init();
    ASSERT_NE(curl_, nullptr);
    peer_.Http().ClearRequests();
  }
  void TearDown() override {
    if (curl_) curl_easy_cleanup(curl_);
  }
  int LogIn(int* code = nullptr, wchar_t* message = nullptr) {
    int ownCode = 0;
    wchar_t ownMessage[200]{};
    return agent_.LoginA(nullptr, "12345678", "key", "secret/+=", code ? code : &ownCode,
                         message ? message : ownMessage, 200);
  }

  orv::win::FakeClock clock_;
  orv::win::ScopedClock scopedClock_{clock_};
  HangukBrokerPeer peer_{SharedCa()};
  CHangukSecuAgent agent_{kMarketDomestic, L"main", '1', kHangukBrokerId, 1, 1, 1500.0, 40};
  CURL* curl_ = nullptr;
};

TEST(HangukResultCode, GatewayPrefixesAndPlainNumbers) {
  const struct {
    const char* code;
    int expected;
  } cases[] = {{"EGW00123", 100123}, {"IGW00123", 100123}, {"EGW00205", 100205},
               {"OPSQ0002", kUnknownResultCode}, {"AGW00123", kUnknownResultCode},
               {"0", 0}, {"00000", 0}, {"08819", 8819}, {"", 0}, {nullptr, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(ParseHangukResultCode(c.code), c.expected) << (c.code ? c.code : "null");
  }
  EXPECT_EQ(ParseResultCode("EGW00123"), kUnknownResultCode) << "the DB broker knows no EGW";
}

TEST(HangukAgent, ConstructionValues) {
  CHangukSecuAgent named(kMarketDomestic, L"main", '1', kHangukBrokerId, 2, 1, 1500.0, 40);
  EXPECT_STREQ(named.m_label, L"한투.main.2");
  EXPECT_STREQ(named.m_brokerName, L"한국투자증권");
  EXPECT_STREQ(named.m_clientName, "orvella.auto.hanguk.pc");
  EXPECT_EQ(named.RequestTimeout(), kHangukRequestTimeoutMs);
  EXPECT_EQ(std::string(named.m_wsUrl).rfind("ws://", 0), 0u);
  for (const wchar_t* none : {static_cast<const wchar_t*>(nullptr), L""}) {
    CHangukSecuAgent unnamed(kMarketDomestic, none, '1', kHangukBrokerId, 1, 1, 1500.0, 40);
    EXPECT_EQ(std::wstring(unnamed.m_label), L"한투." + std::to_wstring(unnamed.m_key));
  }
}

TEST_F(HangukAgentTest, TokenRequestBodyAndRefusalCode) {
  agent_.Logout();
  peer_.Http().ClearRequests();
  ASSERT_EQ(LogIn(), 1);
  const auto tokens = peer_.RequestsTo(HangukBrokerPeer::kTokenPath);
  ASSERT_EQ(tokens.size(), 1u);
  EXPECT_EQ(tokens[0].body, "grant_type=client_credentials&appkey=key&appsecret=secret%2F%2B%3D");
  EXPECT_EQ(tokens[0].Header("Content-Type"), "application/x-www-form-urlencoded");

  peer_.RefuseToken("EGW00123", "유효하지 않은 키");
  int code = 0;
  wchar_t message[200]{};
  EXPECT_EQ(LogIn(&code, message), 0);
  EXPECT_EQ(code, 100123);
  EXPECT_STREQ(message, L"유효하지 않은 키");
  EXPECT_EQ(agent_.IsConnected(), 0);
}

TEST_F(HangukAgentTest, RevokeReadsReturnCodeAndKeepsTheBalancePassCount) {
  agent_.m_balancePasses = 3;
  EXPECT_EQ(agent_.Logout(), 200);
  const auto revokes = peer_.RequestsTo(HangukBrokerPeer::kRevokePath);
  ASSERT_EQ(revokes.size(), 1u);
  EXPECT_EQ(revokes[0].Param("token"), "peer-token-1");
  EXPECT_EQ(revokes[0].Param("appkey"), "key");
  EXPECT_EQ(revokes[0].Param("appsecret"), "secret/+=");
  EXPECT_EQ(revokes[0].Header("Authorization"), "Bearer peer-token-1");
  EXPECT_EQ(agent_.m_balancePasses, 3);

  ASSERT_EQ(LogIn(), 1);
  peer_.SetRevokeReply("{\"return_msg\":\"no code\"}");
  EXPECT_EQ(agent_.Logout(), kDbRevokeNoCode);

  // Without a token nothing is sent.
  CHangukSecuAgent fresh(kMarketDomestic, L"x", '1', kHangukBrokerId, 1, 1, 1500.0, 40);
  fresh.SetHostUrlA(peer_.BaseUrl().c_str());
  const size_t before = peer_.Requests().size();
  EXPECT_EQ(fresh.Logout(), kDbRevokeNotSent);
  EXPECT_EQ(peer_.Requests().size(), before);
}

TEST_F(HangukAgentTest, DepositCarriesItsTrIdHeaders) {
  peer_.SetDeposit({2500000, 2400000, 0, 2300000});
  GroupInfoMap accounts;
  group_info_s* record = nullptr;
  EXPECT_EQ(agent_.QueryDeposit(curl_, &accounts, &record, 0), 1);
  ASSERT_NE(record, nullptr);
  EXPECT_DOUBLE_EQ(record->deposit, 2500000);
  EXPECT_DOUBLE_EQ(record->withdrawable, 2400000);

  const auto deposits = peer_.RequestsTo(HangukBrokerPeer::kDepositPath);
  ASSERT_EQ(deposits.size(), 1u);
  EXPECT_EQ(deposits[0].body, "{ \"In\": {} }");
  EXPECT_EQ(deposits[0].Header("tr_id"), "t0424");
  EXPECT_EQ(deposits[0].Header("tr_cont"), "N");
  EXPECT_EQ(deposits[0].Header("Authorization"), "Bearer peer-token-1");
}

TEST_F(HangukAgentTest, DepositWithClearEmptiesTheAccountsEvenWithoutAReply) {
  GroupInfoMap accounts;
  group_info_s other;
  accounts.emplace(L"other", &other);
  peer_.Stop();
  EXPECT_EQ(agent_.QueryDeposit(curl_, &accounts, nullptr, 1), 0);
  EXPECT_TRUE(accounts.empty());
}

TEST_F(HangukAgentTest, DomesticListPagesWithTrHeadersAndStopsAtAKeyStartingWithZero) {
  peer_.SetListPages(HangukBrokerPeer::kStockListPath,
                     {{{"A005930", "KR7005930003", "1", "삼성전자"},
                       {"A035720", "KR7035720002", "2", "카카오"}},
                      {{"000660", "KR7000660001", "3", "SK하이닉스"}},
                      {{"A000270", "KR7000270009", "1", "기아"}}},
                     {"k1", "0-last", "never-read"});
  OwningStockMap stocks;
  int status = 0;
  EXPECT_EQ(agent_.LoadStockList(curl_, &stocks, kMarketDomestic, '1', 2, 10, &status, 0), 3);

  const auto requests = peer_.RequestsTo(HangukBrokerPeer::kStockListPath);
  ASSERT_EQ(requests.size(), 2u) << "the key starting with '0' ends the list";
  const char* keys[] = {"", "k1"};
  for (size_t i = 0; i < requests.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(requests[i].Header("tr_id"), "t8430");
    EXPECT_EQ(requests[i].Header("tr_cont"), i == 0 ? "N" : "Y");
    EXPECT_EQ(requests[i].Header("tr_cont_key"), keys[i]);
    EXPECT_EQ(requests[i].body, "{ \"t8430InBlock\" : { \"gubun\" : \"0\" } }");
  }
  EXPECT_EQ(clock_.SleptMs(), 2u * kDbListPagePauseMs);

  const struct {
    const wchar_t* code;
    const char* stdCode;
    char letter;
    int index;
  } expected[] = {{L"005930", "KR7005930003", '1', 11},
                  {L"035720", "KR7035720002", '2', 12},
                  {L"000660", "KR7000660001", '0', 13}};
  for (const auto& e : expected) {
    const Stock_s* stock = stocks.Find(e.code);
    ASSERT_NE(stock, nullptr);
    EXPECT_STREQ(stock->std_code, e.stdCode);
    EXPECT_EQ(stock->market_letter, e.letter);
    EXPECT_EQ(stock->list_index, e.index);
    EXPECT_EQ(stock->domestic, 1);
    EXPECT_EQ(stock->slot_flags[2], 1);
    EXPECT_STREQ(stock->nation_code, "KR");
  }
  EXPECT_EQ(stocks.Find(L"005930")->name, L"삼성전자");
}

// The peer keeps no header with an empty value: the first page's raw head shows the empty key
// and the order of the header lines.
TEST_F(HangukAgentTest, FirstDomesticListPageNamesAnEmptyKeyBeforeItsTrId) {
  RawRequestCatcher catcher;
  agent_.SetHostUrlA(catcher.BaseUrl().c_str());
  OwningStockMap stocks;
  int status = 0;
  EXPECT_EQ(agent_.LoadStockList(curl_, &stocks, kMarketDomestic, '1', 0, 0, &status, 0), 0);
  EXPECT_EQ(status, kHangukListNoBlock) << "the catcher's {} is no list";
  const std::string& text = catcher.Text();
  EXPECT_EQ(text.rfind("POST /stock/etc HTTP/1.1\r\n", 0), 0u) << text;
  size_t at = 0;
  for (const char* line :
       {"\r\nContent-Type: application/json; charset=utf-8\r\n",
        "\r\nAuthorization: Bearer peer-token-1\r\n", "\r\ntr_cont: N\r\n",
        "\r\ntr_cont_key:\r\n", "\r\ntr_id: t8430\r\n"}) {
    const size_t found = text.find(line, at);
    ASSERT_NE(found, std::string::npos) << line << " in order in\n" << text;
    at = found + std::strlen(line) - 2;
  }
}

TEST_F(HangukAgentTest, OverseasListGoesOnPastAZeroKeyAndKeepsTheLeadingA) {
  peer_.SetListPages(HangukBrokerPeer::kOverseasTickerPath,
                     {{{"AAPL", "US0378331005", "", "애플"}}, {{"AMZN", "US0231351067", "", "아마존"}}},
                     {"0abc"});
  OwningStockMap stocks;
  int status = 0;
  EXPECT_EQ(agent_.LoadStockList(curl_, &stocks, kMarketOverseas, 'N', 0, 0, &status, 0), 2);
  const auto requests = peer_.RequestsTo(HangukBrokerPeer::kOverseasTickerPath);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].Header("tr_cont_key"), "0abc");
  EXPECT_EQ(requests[0].body, "{\"In\": {\"InputDataCode\": \"NA\" }}");
  ASSERT_NE(stocks.Find(L"AAPL"), nullptr);
  EXPECT_EQ(stocks.Find(L"AAPL")->market_letter, 'N');
  EXPECT_EQ(stocks.Find(L"AAPL")->domestic, 0);
  EXPECT_STREQ(stocks.Find(L"AMZN")->nation_code, "US");

  EXPECT_EQ(agent_.LoadStockList(curl_, &stocks, kMarketOverseas, 'X', 0, 0, &status, 0), 0);
  EXPECT_EQ(peer_.RequestsTo(HangukBrokerPeer::kOverseasTickerPath).size(), 2u);
}

TEST_F(HangukAgentTest, DomesticListStopsAfterAHundredPages) {
  std::vector<std::vector<HangukListRow>> pages(120);
  std::vector<std::string> keys;
  for (int i = 0; i < 120; ++i) keys.push_back("k" + std::to_string(i + 1));
  peer_.SetListPages(HangukBrokerPeer::kStockListPath, pages, keys);
  OwningStockMap stocks;
  int status = 0;
  agent_.LoadStockList(curl_, &stocks, kMarketDomestic, '1', 0, 0, &status, 0);
  EXPECT_EQ(peer_.RequestsTo(HangukBrokerPeer::kStockListPath).size(),
            static_cast<size_t>(kMaxContinuationPages));
}

TEST_F(HangukAgentTest, ListParserStatusCodes) {
  OwningStockMap stocks;
  auto parse = [&](const char* reply, char letter, int* status) {
    return agent_.ParseStockList(reply, &stocks, kMarketDomestic, "KR", letter, 0, 0, status);
  };
  const struct {
    const char* reply;
    int added;
    int status;
  } cases[] = {
      {"{not json", 0, kDbListNotJson},
      {"[1,2]", 0, kHangukListNoBlock},
      {"{\"t8430OutBlock\": {}}", 0, kHangukListNoBlock},
      {"{\"rsp_cd\": \"00000\"}", 0, kHangukListNoBlock},
      {"{\"t8430OutBlock\": [{\"shcode\": \"A\", \"hname\": \"x\"}]}", 0,
       kHangukListEntryIncomplete},
      {"{\"t8430OutBlock\": [{\"shcode\": \"005930\"}]}", 0, kHangukListEntryIncomplete},
      {"{\"t8430OutBlock\": [{\"shcode\": \"005930\", \"hname\": \"a\"}, "
       "{\"shcode\": \"A005930\", \"hname\": \"b\"}]}",
       1, kHangukListDuplicate},
  };
  for (const auto& c : cases) {
    int status = 0;
    EXPECT_EQ(parse(c.reply, '1', &status), c.added) << c.reply;
    EXPECT_EQ(status, c.status) << c.reply;
  }
  int status = 0;
  EXPECT_EQ(parse("", '1', &status), 0);
  EXPECT_EQ(status, 0);
}

TEST_F(HangukAgentTest, PollOf120CodesAsksEveryCodeOnce) {
  OwningStockMap stocks;
  std::vector<DbQuote> quotes;
  for (int i = 0; i < 120; ++i) {
    const std::string code = std::to_string(100000 + i * 7);
    quotes.push_back({code, code, 1000.0 + i});
    GfxAddStockToMap(&stocks, std::wstring(code.begin(), code.end()).c_str(), kMarketDomestic, 0,
                     0, nullptr);
  }
  peer_.SetQuotes(quotes);
  std::atomic<int> running{1};
  char message[20]{};
  int code = -1;
  EXPECT_EQ(agent_.UpdatePrices(curl_, kMarketDomestic, 0, 2, &stocks, &running, 0, message, &code,
                                nullptr),
            120);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(agent_.m_priceUpdates, 1);

  std::multiset<std::string> asked;
  for (const RecordedRequest& r : peer_.RequestsTo(DbBrokerPeer::kDomesticPricePath)) {
    int count = -1;
    const auto codes = DbBrokerPeer::AskedCodes(r.body, &count);
    EXPECT_EQ(count, static_cast<int>(codes.size()));
    EXPECT_FALSE(r.HasHeader("tr_cont"));
    EXPECT_FALSE(r.HasHeader("tr_id")) << "a poll names no operation header";
    asked.insert(codes.begin(), codes.end());
  }
  for (const DbQuote& q : quotes) {
    EXPECT_EQ(asked.count(q.code), 1u) << q.code;
    EXPECT_DOUBLE_EQ(stocks.Find(std::wstring(q.code.begin(), q.code.end()).c_str())->cur_price,
                     q.price);
  }
  EXPECT_EQ(asked.size(), 120u) << "the main exchange only; no code is asked twice";
}

TEST_F(HangukAgentTest, RawPriceRequestPagesWithTrHeaders) {
  peer_.SetPages(DbBrokerPeer::kDomesticPricePath, {{"{}", "0k1"}, {"{}", ""}});
  EXPECT_EQ(agent_.QueryPricesA(curl_, "005930;000660"), nullptr);
  const auto requests = peer_.RequestsTo(DbBrokerPeer::kDomesticPricePath);
  ASSERT_EQ(requests.size(), 2u) << "a key starting with '0' ends only the domestic list";
  EXPECT_EQ(requests[0].Header("tr_cont"), "N");
  EXPECT_FALSE(requests[0].HasHeader("tr_cont_key"));
  EXPECT_EQ(requests[1].Header("tr_cont"), "Y");
  EXPECT_EQ(requests[1].Header("tr_cont_key"), "0k1");
  int count = 0;
  EXPECT_EQ(DbBrokerPeer::AskedCodes(requests[1].body, &count),
            (std::vector<std::string>{"005930", "000660"}));
  EXPECT_EQ(count, 2);
  EXPECT_EQ(clock_.SleptMs(), 2u * kDbPricePagePauseMs);
}

TEST_F(HangukAgentTest, OverseasPollAsksEachStockOnItsExchange) {
  OwningStockMap stocks;
  const struct {
    const wchar_t* code;
    char letter;
  } records[] = {{L"AAPL", 'D'}, {L"AMZN", 'N'}, {L"BRK", 'X'}, {L"TSLA", 'A'}};
  for (const auto& r : records) {
    Stock_s* stock = GfxAddStockToMap(&stocks, r.code, kMarketOverseas, 0, 0, nullptr);
    stock->market_letter = r.letter;
  }
  GfxAddStockToMap(&stocks, L"005930", kMarketDomestic, 0, 0, nullptr);
  peer_.SetQuotes({{"AAPL", "애플", 190}, {"AMZN", "아마존", 180}, {"BRK", "버크셔", 400}});
  std::atomic<int> running{1};
  EXPECT_EQ(agent_.UpdatePrices(curl_, kMarketOverseas, 0, 0, &stocks, &running, 30, nullptr,
                                nullptr, nullptr),
            3)
      << "TSLA has no quote";
  EXPECT_DOUBLE_EQ(stocks.Find(L"AMZN")->cur_price, 180);
  EXPECT_EQ(agent_.m_priceUpdates, 1);
  EXPECT_EQ(clock_.SleptMs(), 4u * 30u) << "the pause after each request";

  const auto requests = peer_.RequestsTo(HangukBrokerPeer::kOverseasSinglePricePath);
  ASSERT_EQ(requests.size(), 4u);
  // The map's key order: AAPL, AMZN, BRK, TSLA; BRK's letter names no exchange and takes AMZN's.
  const char* expected[] = {
      "{ \"In\": {\"InputIscd1\": \"AAPL\",\"InputCondMrktDivCode\": \"FY\" }\n}",
      "{ \"In\": {\"InputIscd1\": \"AMZN\",\"InputCondMrktDivCode\": \"FN\" }\n}",
      "{ \"In\": {\"InputIscd1\": \"BRK\",\"InputCondMrktDivCode\": \"FN\" }\n}",
      "{ \"In\": {\"InputIscd1\": \"TSLA\",\"InputCondMrktDivCode\": \"FA\" }\n}"};
  for (size_t i = 0; i < requests.size(); ++i) EXPECT_EQ(requests[i].body, expected[i]);

  running = 0;
  EXPECT_EQ(agent_.UpdatePrices(curl_, kMarketOverseas, 0, 0, &stocks, &running, 0, nullptr,
                                nullptr, nullptr),
            0);
  running = 1;
  EXPECT_EQ(agent_.UpdatePrices(curl_, 3, 0, 0, &stocks, &running, 0, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(peer_.RequestsTo(HangukBrokerPeer::kOverseasSinglePricePath).size(), 4u);
}

TEST_F(HangukAgentTest, DomesticOrderBodies) {
  const struct {
    int side, creditFlag, priceType, condition, loanDate, creditKind;
    double price;
    const char* body;
  } cases[] = {
      {1, 0, 0, 0, 0, 0, 70100,
       "{ \"In\":{ \"IsuNo\":\"005930\", \"OrdQty\":3, \"OrdPrc\":70100,\"BnsTpCode\":\"2\", "
       "\"OrdprcPtnCode\":\"00\", \"MgntrnCode\":\"000\",\"LoanDt\":\"00000000\", "
       "\"OrdCndiTpCode\":\"0\" } }"},
      {2, 0, 3, 5, 0, 0, 70100,
       "{ \"In\":{ \"IsuNo\":\"005930\", \"OrdQty\":3, \"OrdPrc\":0,\"BnsTpCode\":\"1\", "
       "\"OrdprcPtnCode\":\"03\", \"MgntrnCode\":\"000\",\"LoanDt\":\"00000000\", "
       "\"OrdCndiTpCode\":\"\" } }"},
      {2, 2, 0, 2, 20250102, 1, 70100,
       "{ \"In\":{ \"IsuNo\":\"005930\", \"OrdQty\":3, \"OrdPrc\":70100,\"BnsTpCode\":\"1\", "
       "\"OrdprcPtnCode\":\"00\", \"MgntrnCode\":\"101\",\"LoanDt\":\"20250102\", "
       "\"OrdCndiTpCode\":\"2\" } }"},
      {1, 2, 0, 1, 20250102, 3, 70100,
       "{ \"In\":{ \"IsuNo\":\"005930\", \"OrdQty\":3, \"OrdPrc\":70100,\"BnsTpCode\":\"2\", "
       "\"OrdprcPtnCode\":\"00\", \"MgntrnCode\":\"003\",\"LoanDt\":\"20250102\", "
       "\"OrdCndiTpCode\":\"1\" } }"},
  };
  peer_.SetDomesticBalance({}, {{"A005930", "삼성전자", 100, 100, 70000, 70000}});
  for (const auto& c : cases) {
    char orderNoText[50]{};
    int64_t orderNo = 0;
    int result = -5, success = -5, codeFlag = -5;
    wchar_t message[256]{};
    wchar_t resultText[20]{};
    EXPECT_EQ(agent_.TradeOrderA(curl_, kMarketDomestic, 2, c.side, 0, "005930", 3, c.price,
                                 c.creditFlag, c.priceType, c.condition, c.loanDate, c.creditKind,
                                 0, 0, 0, 0, 0, 0, orderNoText, &orderNo, &result, &success,
                                 &codeFlag, message, resultText),
              0);
    EXPECT_EQ(success, 1);
    EXPECT_EQ(orderNo, peer_.LastOrderNo());
    const auto orders = peer_.RequestsTo(DbBrokerPeer::kDomesticOrderPath);
    ASSERT_FALSE(orders.empty());
    EXPECT_EQ(orders.back().body, c.body);
    EXPECT_EQ(orders.back().Header("tr_cont"), "N");
  }
}

TEST_F(HangukAgentTest, OrderOutcomes) {
  auto buy = [&](uint8_t market, int* success, wchar_t* resultText) {
    char orderNoText[50]{};
    int64_t orderNo = 0;
    int result = 0, codeFlag = 0;
    wchar_t message[256]{};
    return agent_.TradeOrderA(curl_, market, 0, 1, 0, market == kMarketDomestic ? "005930" : "AAPL",
                              1, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, orderNoText, &orderNo,
                              &result, success, &codeFlag, message, resultText);
  };
  int success = -1;
  wchar_t resultText[20]{};
  EXPECT_EQ(buy(kMarketOverseas, &success, resultText), 0) << "an overseas order is placed";
  EXPECT_EQ(peer_.RequestsTo(DbBrokerPeer::kOverseasOrderPath).size(), 1u);
  EXPECT_EQ(peer_.RequestsTo(DbBrokerPeer::kOverseasOrderPath)[0].Header("tr_cont"), "N");

  peer_.QueueOrderFaults({DbBrokerPeer::OrderFault::kNotAccepted}, "EGW00201");
  EXPECT_EQ(buy(kMarketDomestic, &success, resultText), 100201) << "refused: the mapped code";
  EXPECT_EQ(success, 0);
  EXPECT_STREQ(resultText, L"EGW00201");

  peer_.QueueOrderFaults({DbBrokerPeer::OrderFault::kServerError});
  EXPECT_EQ(buy(kMarketDomestic, &success, resultText), kAgentNoReply) << "unknown outcome";
  EXPECT_EQ(success, 0);
  EXPECT_EQ(peer_.OrdersExecuted(), 2) << "the failed reply's order was executed and not resent";
  EXPECT_EQ(peer_.OrdersReceived(), 3);
}

TEST_F(HangukAgentTest, ChartRequestAsksDayCandlesAndReadsNone) {
  std::string rows = "kept";
  EXPECT_EQ(agent_.GetChartDataA(curl_, nullptr, "005930", 1, 0, 0, &rows, nullptr, nullptr,
                                 nullptr, 0),
            1);
  EXPECT_EQ(rows, "kept");
  const auto requests = peer_.RequestsTo(HangukBrokerPeer::kDayCandlePath);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].query, "market=005930&count=1");
  EXPECT_EQ(requests[0].Header("Content-Type"), "application/json; charset=utf-8");

  EXPECT_EQ(agent_.GetChartDataA(curl_, nullptr, "005930", 1, 0, 5, nullptr, nullptr, nullptr,
                                 nullptr, 0),
            -1);
  peer_.Stop();
  EXPECT_EQ(agent_.GetChartDataA(curl_, nullptr, "005930", 1, 0, 5, &rows, nullptr, nullptr,
                                 nullptr, 0),
            -1);
  EXPECT_EQ(peer_.RequestsTo(HangukBrokerPeer::kDayCandlePath).size(), 1u);
}

TEST_F(HangukAgentTest, OnlyATrContKeyHeaderContinuesAList) {
  const struct {
    const char* header;
    const char* value;
    size_t pages;
  } cases[] = {{"tr_cont_key", "  abc  ", 2}, {"tr_cont_key", "", 1}, {"cont_key", "xyz", 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.header + std::string("=") + c.value);
    peer_.Http().ClearRequests();
    peer_.Http().On("POST", HangukBrokerPeer::kOverseasTickerPath,
                    [&c](const RecordedRequest& request) {
                      PeerReply reply;
                      reply.body = HangukBrokerPeer::ListBody({});
                      // The first page names the key; the page it names ends the list.
                      if (!request.HasHeader("tr_cont_key"))
                        reply.headers.emplace_back(c.header, c.value);
                      return reply;
                    });
    OwningStockMap stocks;
    int status = 0;
    agent_.LoadStockList(curl_, &stocks, kMarketOverseas, 'D', 0, 0, &status, 0);
    const auto requests = peer_.RequestsTo(HangukBrokerPeer::kOverseasTickerPath);
    ASSERT_EQ(requests.size(), c.pages);
    if (c.pages == 2) EXPECT_EQ(requests[1].Header("tr_cont_key"), "abc");
  }
}

}  // namespace
}  // namespace orv::test
