// The LS agent against the LS broker peer: what goes on the wire, continuation paging, the
// balance over several pages, the token lifetime and the three order outcomes.

#include <arpa/inet.h>
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/win/Clock.h"
#include "plugin/brokers/LsSecuAgent.h"
#include "tests/peers/LsBrokerPeer.h"
#include "tests/plugin/brokers/TestCaFile.h"

namespace orv::test {
namespace {

constexpr uint64_t kLoginTick = 5000;

// The agent on a fixed tick, so token expiries can be compared exactly.
class FixedTickLsAgent : public CLsSecuAgent {
 public:
  using CLsSecuAgent::CLsSecuAgent;
  uint64_t NowTick64() const override { return kLoginTick; }
};

class LsAgentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(peer_.Start());
    peer_.AcceptCredentials("key", "secret");
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

  int LogIn() {
    int code = 0;
    wchar_t message[200]{};
    return agent_.LoginA(nullptr, "12345678", "key", "secret", &code, message, 200);
  }

  BalanceQueryArgs_s Args() {
    BalanceQueryArgs_s args;
    args.totals = &agent_.m_accountRecord;
    args.holdings = &holdings_;
    args.stocks = &stocks_;
    args.outResult = &result_;
    args.outTransfer = &transfer_;
    return args;
  }
  int Balance(uint8_t market = kMarketDomestic) {
    return agent_.QueryBalance(nullptr, market, 0, 0, Args());
  }
  StockTrade_s* Held(const wchar_t* code) {
    for (auto& [holding, index] : holdings_) {
      if (std::wstring(code) == holding->code) return holding;
    }
    return nullptr;
  }

  struct Order {
    int result = 0;
    char orderNoText[50]{};
    int64_t orderNo = 0;
    int code = 0;
    int success = -1;
    int retry = -1;
    wchar_t message[256]{};
    wchar_t resultText[20]{};
  };
  Order Place(uint8_t market, int side = 1, int creditFlag = 0, int priceType = 0,
              int creditKind = 0, int loanDate = 0) {
    Order o;
    o.result =
        agent_.TradeOrderA(curl_, market, 1, side, 0, "005930", 3, 71500, creditFlag, priceType, 0,
                           loanDate, creditKind, 0, 0, 0, 0, 0, 77, o.orderNoText, &o.orderNo,
                           &o.code, &o.success, &o.retry, o.message, o.resultText);
    return o;
  }

  static std::vector<LsHolding> Holdings(int count) {
    std::vector<LsHolding> rows;
    for (int i = 0; i < count; ++i) {
      const std::string code = std::to_string(100000 + i);
      rows.push_back({"A" + code, "종목" + code, 1.0 + i, 1000, 1100, 0});
    }
    return rows;
  }

  orv::win::FakeClock clock_;
  orv::win::ScopedClock scopedClock_{clock_};
  LsBrokerPeer peer_{SharedCa()};
  FixedTickLsAgent agent_{kMarketDomestic, L"main", '1', kLsBrokerId, 1, 1, 1500.0, 40};
  CURL* curl_ = nullptr;
  GroupInfoMap accounts_;
  OwningStockMap stocks_;
  OwningHoldingMap holdings_;
  int32_t result_ = 0;
  int32_t transfer_ = 0;
};

TEST_F(LsAgentTest, ConstructionSetsTheBrokersValues) {
  EXPECT_STREQ(agent_.m_brokerName, L"LS증권");
  EXPECT_STREQ(agent_.m_label, L"LS.main.1");
  EXPECT_STREQ(agent_.m_clientName, "orvella.auto.lssec.pc");
  EXPECT_EQ(agent_.m_key, (1u << 16) | (2u << 8) | 1u);
  CLsSecuAgent unnamed(kMarketDomestic, nullptr, '1', kLsBrokerId, 3, 1, 1500.0, 40);
  EXPECT_EQ(std::wstring(unnamed.m_label), L"LS." + std::to_wstring(unnamed.m_key));
}

TEST_F(LsAgentTest, RequestsGoOutByteForByte) {
  peer_.SetDomesticHoldings({});
  ASSERT_EQ(LogIn(), 1);
  group_info_s* record = nullptr;
  EXPECT_EQ(agent_.QueryDeposit(curl_, &accounts_, &record, 0), 1);
  EXPECT_EQ(Balance(), 0);
  EXPECT_EQ(Balance(kMarketOverseas), 0);

  const auto requests = peer_.Requests();
  ASSERT_EQ(requests.size(), 4u);
  const RecordedRequest& token = requests[0];
  EXPECT_EQ(token.path, "/oauth2/token");
  EXPECT_EQ(token.body, "grant_type=client_credentials&appkey=key&appsecretkey=secret&scope=oob");
  EXPECT_EQ(token.Header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_FALSE(token.HasHeader("Authorization"));
  EXPECT_FALSE(token.HasHeader("tr_cd"));

  const RecordedRequest& deposit = requests[1];
  EXPECT_EQ(deposit.path, "/stock/accno");
  EXPECT_EQ(deposit.body, "{ \"In\": {} }");
  EXPECT_EQ(deposit.Header("tr_cd"), "t0424");
  EXPECT_EQ(deposit.Header("tr_cont"), "N");
  EXPECT_EQ(deposit.Header("Authorization"), "Bearer ls-peer-token");
  EXPECT_EQ(deposit.Header("Content-Type"), "application/json; charset=utf-8");

  const std::string balanceBody =
      "{  \"t0424InBlock\": {    \"prcgb\": \"\", \"chegb\": \"\", \"dangb\": \"\", \"charge\": "
      "\"\", \"cts_expcode\": \"\"  }}";
  const struct {
    const RecordedRequest& request;
    const char* path;
    const char* tr;
  } balances[] = {{requests[2], "/stock/accno", "t0424"},
                  {requests[3], "/overseas-stock/accno", "COSOQ00201"}};
  for (const auto& b : balances) {
    SCOPED_TRACE(b.path);
    EXPECT_EQ(b.request.path, b.path);
    EXPECT_EQ(b.request.body, balanceBody);
    EXPECT_EQ(b.request.Header("tr_cd"), b.tr);
    EXPECT_EQ(b.request.Header("tr_cont"), "N");
  }
}

TEST_F(LsAgentTest, OrderBodiesByteForByte) {
  const struct {
    uint8_t market;
    int side, creditFlag, priceType, creditKind, loanDate;
    const char* path;
    const char* tr;
    const char* body;
  } cases[] = {
      {kMarketDomestic, 1, 0, 0, 0, 0, "/stock/order", "CSPAT00601",
       "{ \"CSPAT00601InBlock1\":{ \"IsuNo\":\"005930\", \"OrdQty\":3, \"OrdPrc\":71500,"
       "\"BnsTpCode\":\"2\", \"OrdprcPtnCode\":\"00\", "
       "\"MgntrnCode\":\"000\",\"LoanDt\":\"00000000\","
       " \"OrdCndiTpCode\":\"0\",\"MbrNo\":\"\"} }"},
      // A market-price credit sell of credit kind 1: price 0, "03", "101" and the loan date.
      {kMarketDomestic, 2, 2, 3, 1, 20250103, "/stock/order", "CSPAT00601",
       "{ \"CSPAT00601InBlock1\":{ \"IsuNo\":\"005930\", \"OrdQty\":3, \"OrdPrc\":0,"
       "\"BnsTpCode\":\"1\", \"OrdprcPtnCode\":\"03\", "
       "\"MgntrnCode\":\"101\",\"LoanDt\":\"20250103\","
       " \"OrdCndiTpCode\":\"0\",\"MbrNo\":\"\"} }"},
      {kMarketOverseas, 1, 0, 3, 0, 0, "/api/v1/trading/overseas-stock/order", "COSAT00301",
       "{ \"COSAT00301InBlock1\":{    \"IsuNo\": \"005930\",    \"OrdMktCode\": \"2\",    "
       "\"OrdprcPtnCode\": \"2\",    \"OrdPtnCode\": \"1\",    \"OrdQty\": 3,    \"OvrsOrdPrc\": 0,"
       "    \"BrkTpCode\": \"0\",    \"OrgOrdNo\" : 77   }  }"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.body);
    peer_.Http().ClearRequests();
    const Order o = Place(c.market, c.side, c.creditFlag, c.priceType, c.creditKind, c.loanDate);
    EXPECT_EQ(o.result, 0);
    const auto sent = peer_.Requests();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].path, c.path);
    EXPECT_EQ(sent[0].body, c.body);
    EXPECT_EQ(sent[0].Header("tr_cd"), c.tr);
    EXPECT_EQ(sent[0].Header("tr_cont"), "N");
  }
}

// The header lines as they leave, in order; an empty "tr_cont_key" is sent with its colon (the
// peer's parser drops empty headers, so this one listens on a bare socket).
TEST_F(LsAgentTest, HeaderLinesOnTheWire) {
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t addrLen = sizeof addr;
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(listen(listener, 1), 0);
  ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &addrLen), 0);
  std::string received;
  std::thread server([&] {
    const int client = accept(listener, nullptr, nullptr);
    if (client < 0) return;
    char buffer[4096];
    while (received.find("{ \"In\": {} }") == std::string::npos) {
      const ssize_t n = recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      received.append(buffer, static_cast<size_t>(n));
    }
    const char reply[] = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\n{}";
    send(client, reply, sizeof reply - 1, 0);
    close(client);
  });
  agent_.SetHostUrlA(("http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port))).c_str());
  EXPECT_EQ(agent_.QueryDeposit(curl_, &accounts_, nullptr, 0), 0);
  server.join();
  close(listener);
  EXPECT_EQ(received.rfind("POST /stock/accno HTTP/1.1\r\n", 0), 0u) << received;
  EXPECT_NE(received.find("\r\nContent-Type: application/json; charset=utf-8\r\n"
                          "Authorization: Bearer ls-peer-token\r\ntr_cont: N\r\n"
                          "tr_cont_key:\r\ntr_cd: t0424\r\n"),
            std::string::npos)
      << received;
}

// The broker's continuation key comes back whole on the next page, long keys included (a
// 30-byte buffer once cut them and the balance read the first page again).
TEST_F(LsAgentTest, ContinuationKeyIsCapturedWhole) {
  peer_.SetBalancePageSize(2);
  peer_.SetContKeyLength(150);
  peer_.SetDomesticHoldings(Holdings(5));
  EXPECT_EQ(Balance(), 5);
  const auto pages = peer_.RequestsTo(LsBrokerPeer::kAccountPath);
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages[0].Header("tr_cont"), "N");
  for (size_t i = 1; i < pages.size(); ++i) {
    const std::string key = pages[i].Header("tr_cont_key");
    EXPECT_EQ(key.size(), 150u);
    EXPECT_EQ(key.rfind("k" + std::to_string(i), 0), 0u) << key;
    EXPECT_EQ(pages[i].Header("tr_cont"), "Y");
  }
}

// Holdings named on different pages are all kept: the sold-out drop runs once, after the last
// page (run per page, it dropped every holding of the earlier pages).
TEST_F(LsAgentTest, BalanceOverSeveralPagesKeepsEveryPagesHoldings) {
  peer_.SetBalancePageSize(20);
  peer_.SetDomesticHoldings(Holdings(45));
  EXPECT_EQ(Balance(), 45);
  EXPECT_EQ(result_, 45);
  EXPECT_EQ(holdings_.size(), 45u);
  EXPECT_EQ(peer_.RequestsTo(LsBrokerPeer::kAccountPath).size(), 3u);
  ASSERT_NE(Held(L"100000"), nullptr) << "a first-page holding";
  ASSERT_NE(Held(L"100044"), nullptr) << "a last-page holding";
  EXPECT_DOUBLE_EQ(Held(L"100044")->quantity, 45);

  // Sold out on the next pass: only that one leaves.
  auto rows = Holdings(45);
  rows.erase(rows.begin() + 30);
  peer_.SetDomesticHoldings(rows);
  EXPECT_EQ(Balance(), 44);
  EXPECT_EQ(holdings_.size(), 44u);
  EXPECT_EQ(Held(L"100030"), nullptr);
  EXPECT_NE(Held(L"100000"), nullptr);
}

TEST_F(LsAgentTest, BalanceStopsAfterThirtyPages) {
  peer_.SetBalancePageSize(1);
  peer_.SetEndlessBalance(true);
  peer_.SetDomesticHoldings(Holdings(40));
  EXPECT_EQ(Balance(), 30);
  EXPECT_EQ(peer_.RequestsTo(LsBrokerPeer::kAccountPath).size(), 30u);
}

// A list cut at the page limit does not name every holding: the ones past page 30 stay held.
TEST_F(LsAgentTest, BalanceCutAtThePageLimitDropsNoHolding) {
  peer_.SetBalancePageSize(2);
  peer_.SetDomesticHoldings(Holdings(40));
  ASSERT_EQ(Balance(), 40);
  peer_.SetBalancePageSize(1);
  peer_.SetEndlessBalance(true);
  Balance();
  EXPECT_EQ(holdings_.size(), 40u);
  EXPECT_NE(Held(L"100039"), nullptr) << "a holding past the last page read";
}

// A page that fails leaves every holding as it was: merging the pages before it would drop the
// holdings of the pages not read as sold out.
TEST_F(LsAgentTest, FailedPageChangesNoHolding) {
  peer_.SetBalancePageSize(2);
  peer_.SetDomesticHoldings(Holdings(4));
  ASSERT_EQ(Balance(), 4);
  peer_.SetDomesticHoldings(Holdings(6));
  peer_.Http().On("POST", LsBrokerPeer::kAccountPath, [](const RecordedRequest& r) {
    PeerReply reply;
    if (r.Header("tr_cont") == "Y") {
      reply.status = 500;
      reply.body = "{\"rsp_cd\":\"IGW00500\",\"rsp_msg\":\"busy\"}";
    } else {
      reply.body =
          "{\"t0424OutBlock\":{},\"t0424OutBlock1\":[{\"expcode\":\"A100000\",\"janqty\":1}]}";
      reply.headers.emplace_back("tr_cont_key", "k1");
    }
    return reply;
  });
  EXPECT_EQ(Balance(), 0);
  EXPECT_EQ(holdings_.size(), 4u);
  EXPECT_EQ(agent_.GetLastMessage(), L"busy");
}

TEST_F(LsAgentTest, BalanceRowsAndTotals) {
  peer_.SetDeposit(1000000, 900000, 0, 950000);
  peer_.SetDomesticHoldings({{"A005930", "삼성전자", 10, 70000, 71000, 0},
                             {"A000660", "SK하이닉스", 0, 120000, 118000, 0},
                             {"A035720", "카카오", 2, 50000, 49000, 20250103}});
  EXPECT_EQ(Balance(), 2) << "a row with no quantity adds no holding";
  StockTrade_s* credit = Held(L"035720");
  ASSERT_NE(credit, nullptr);
  EXPECT_EQ(credit->loan_date, 20250103);
  EXPECT_EQ(credit->credit, 1);
  EXPECT_DOUBLE_EQ(agent_.m_accountRecord.total_buy, 10 * 70000 + 2 * 50000);
  EXPECT_DOUBLE_EQ(agent_.m_accountRecord.total_valuation, 10 * 71000 + 2 * 49000);
  EXPECT_DOUBLE_EQ(agent_.m_accountRecord.cash, 900000);

  peer_.SetOverseasHoldings({{"AAPL", "애플", 4, 180, 190, 0}});
  EXPECT_EQ(Balance(kMarketOverseas), 1);
  ASSERT_NE(Held(L"AAPL"), nullptr) << "an overseas symbol keeps its leading 'A'";
  EXPECT_DOUBLE_EQ(Held(L"AAPL")->quantity, 4);
  EXPECT_NE(Held(L"005930"), nullptr) << "the overseas query drops no domestic holding";
}

TEST_F(LsAgentTest, TokenLifetimeIsUsedAsSent) {
  const struct {
    const char* expiresIn;
    int32_t lifetime;
  } cases[] = {{"\"3600\"", 3600}, {"", 86400}, {"0", 0}, {"2000000", 2000000}, {"-5", -5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expiresIn);
    peer_.SetToken("t", c.expiresIn);
    ASSERT_EQ(LogIn(), 1);
    EXPECT_EQ(agent_.m_tokenLifetime.load(), c.lifetime);
    EXPECT_EQ(agent_.m_tokenExpiry.load(),
              kLoginTick + static_cast<uint64_t>(c.lifetime > 0 ? c.lifetime : 0) * 1000);
  }
}

TEST_F(LsAgentTest, RevokeReportsTheReturnCode) {
  const struct {
    const char* body;
    int result;
  } cases[] = {{"{\"return_code\":0,\"return_msg\":\"ok\"}", 0},
               {"{\"return_msg\":\"ok\", \"return_code\": 17}", 17},
               {"{\"return_msg\":\"ok\"}", kLsRevokeNoCode}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.body);
    ASSERT_EQ(LogIn(), 1);
    peer_.SetRevokeReply(c.body);
    peer_.Http().ClearRequests();
    EXPECT_EQ(agent_.Logout(), c.result);
    EXPECT_EQ(agent_.IsConnected(), 0);
    const auto sent = peer_.RequestsTo(LsBrokerPeer::kRevokePath);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].body, "token=ls-peer-token&appkey=key&appsecretkey=secret");
  }
  agent_.ClearCredentials();
  EXPECT_EQ(agent_.Logout(), kLsRevokeNotSent);
}

TEST_F(LsAgentTest, StockListPagesAndRows) {
  int status = 0;
  EXPECT_EQ(agent_.LoadStockList(nullptr, &stocks_, kMarketDomestic, '1', 0, 0, &status, 0), 0);
  EXPECT_TRUE(peer_.Requests().empty()) << "no handle, no request";

  // The last domestic page names key "0": the list ends there.
  peer_.SetListPages(LsBrokerPeer::kDomesticListPath,
                     {{{"A005930", "삼성전자", "1"}, {"A000660", "SK하이닉스", "2"}},
                      {{"A005930", "again", "1"}, {"", "no code", "1"}}},
                     "0");
  EXPECT_EQ(agent_.LoadStockList(curl_, &stocks_, kMarketDomestic, '1', 0, 0, &status, 0), 2);
  EXPECT_EQ(status, kLsListRowIncomplete);
  const auto pages = peer_.RequestsTo(LsBrokerPeer::kDomesticListPath);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0].body, "{ \"t8430InBlock\" : { \"gubun\" : \"0\" } }");
  EXPECT_EQ(pages[0].Header("tr_cd"), "t8430");
  EXPECT_EQ(pages[1].Header("tr_cont_key"), "k1");
  EXPECT_EQ(pages[1].Header("tr_cont"), "Y");
  Stock_s* samsung = stocks_.Find(L"005930");
  ASSERT_NE(samsung, nullptr);
  EXPECT_EQ(samsung->name, L"삼성전자");
  EXPECT_EQ(samsung->market_letter, '1');
  EXPECT_STREQ(samsung->std_code, "KR7005930");
  EXPECT_EQ(stocks_.Find(L"000660")->market_letter, '2');

  // Overseas rows keep their letters; the first page sends no key.
  peer_.SetListPages(LsBrokerPeer::kOverseasListPath, {{{"AAPL", "애플", "0"}}});
  EXPECT_EQ(agent_.LoadStockList(curl_, &stocks_, kMarketOverseas, 'D', 0, 0, &status, 0), 1);
  const auto overseas = peer_.RequestsTo(LsBrokerPeer::kOverseasListPath);
  ASSERT_EQ(overseas.size(), 1u);
  EXPECT_EQ(overseas[0].body, "{\"In\": {\"InputDataCode\": \"NY\" }}");
  EXPECT_FALSE(overseas[0].HasHeader("tr_cont_key"));
  ASSERT_NE(stocks_.Find(L"AAPL"), nullptr);
  EXPECT_EQ(stocks_.Find(L"AAPL")->market_letter, 'D');

  // A page that names an existing code again marks it known.
  status = 0;
  peer_.SetListPages(LsBrokerPeer::kDomesticListPath, {{{"A005930", "삼성전자", "1"}}});
  EXPECT_EQ(agent_.LoadStockList(curl_, &stocks_, kMarketDomestic, '1', 0, 0, &status, 0), 0);
  EXPECT_EQ(status, kLsListCodeKnown);
}

// Every domestic code is asked for, 50 to a request (one body for all once left codes out).
TEST_F(LsAgentTest, DomesticPollAsksForEveryCodeInBatches) {
  std::vector<LsQuote> quotes;
  for (int i = 0; i < 120; ++i) {
    const std::string code = std::to_string(300000 + i);
    quotes.push_back({code, 1000.0 + i, 990, 1010, 980, 1.5});
    GfxAddStockToMap(&stocks_, std::wstring(code.begin(), code.end()).c_str(), kMarketDomestic, 0,
                     0, nullptr);
  }
  peer_.SetQuotes(quotes);
  std::atomic<int> running{1};
  char message[20]{};
  int code = -1;
  EXPECT_EQ(agent_.UpdatePrices(nullptr, kMarketDomestic, 0, 1, &stocks_, &running, 0, message,
                                &code, nullptr),
            120);
  const auto sent = peer_.RequestsTo(LsBrokerPeer::kDomesticPricePath);
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0].body.rfind("{ \"In\": {\"dataCnt\": 50\n,\"InputCondMrktDivCode1\": \"J\", "
                               "\"InputIscd1\": \"300000\"\n",
                               0),
            0u)
      << sent[0].body;
  EXPECT_NE(sent[2].body.find("\"dataCnt\": 20\n"), std::string::npos);
  EXPECT_DOUBLE_EQ(stocks_.Find(L"300119")->cur_price, 1119);
}

TEST_F(LsAgentTest, OverseasPollAsksOneStockAtATime) {
  for (const char* symbol : {"AAPL", "MSFT"}) {
    const std::string s = symbol;
    Stock_s* stock = GfxAddStockToMap(&stocks_, std::wstring(s.begin(), s.end()).c_str(),
                                      kMarketOverseas, 0, 0, nullptr);
    stock->market_letter = s == "AAPL" ? 'N' : 'X';
  }
  peer_.SetQuotes({{"AAPL", 190, 188, 191, 187, 0.5}, {"MSFT", 410, 405, 412, 404, 1.0}});
  std::atomic<int> running{0};
  char message[20]{};
  int code = 0;
  EXPECT_EQ(agent_.UpdatePrices(nullptr, kMarketOverseas, 0, 1, &stocks_, &running, 0, message,
                                &code, nullptr),
            0);
  EXPECT_TRUE(peer_.Requests().empty()) << "a stopped poll sends nothing";

  running = 1;
  EXPECT_EQ(agent_.UpdatePrices(nullptr, kMarketOverseas, 0, 1, &stocks_, &running, 0, message,
                                &code, nullptr),
            2);
  const auto sent = peer_.RequestsTo(LsBrokerPeer::kOverseasPricePath);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].body,
            "{ \"In\": {\"InputIscd1\": \"AAPL\",\"InputCondMrktDivCode\": \"FN\" }\n}");
  EXPECT_EQ(sent[1].body,
            "{ \"In\": {\"InputIscd1\": \"MSFT\",\"InputCondMrktDivCode\": \"FN\" }\n}")
      << "an unknown letter keeps the previous exchange";
  EXPECT_DOUBLE_EQ(stocks_.Find(L"MSFT")->cur_price, 410);
  EXPECT_EQ(agent_.m_priceUpdates, 1);
}

// The overseas reply's own block carries the order number: read as placed, sent once.
TEST_F(LsAgentTest, OverseasOrderReplyIsReadAsPlaced) {
  const Order o = Place(kMarketOverseas);
  EXPECT_EQ(o.result, 0);
  EXPECT_EQ(o.success, 1);
  EXPECT_EQ(o.orderNo, peer_.LastOrderNo());
  EXPECT_EQ(std::string(o.orderNoText), std::to_string(peer_.LastOrderNo()));
  EXPECT_EQ(o.retry, 0);
  EXPECT_EQ(peer_.OrdersReceived(), 1);
}

TEST_F(LsAgentTest, OrderOutcomes) {
  const struct {
    const char* reply;
    int status;
    int result;
    int success;
    int retry;
    const wchar_t* resultText;
  } cases[] = {
      // Refused: no order block, the broker's code.
      {"{\"rsp_cd\":\"02297\",\"rsp_msg\":\"다시 주문하세요\"}", 200, 2297, 0, 1, L"02297"},
      {"{\"rsp_cd\":\"IGW00510\",\"rsp_msg\":\"주문 불가\"}", 200, 100510, 0, 0, L"IGW00510"},
      // Unknown: a block without an order number, an unreadable reply, an error page.
      {"{\"rsp_cd\":\"00000\",\"CSPAT00601OutBlock2\":{\"OrdNo\":0}}", 200, kAgentNoReply, 0, 0,
       L""},
      {"{\"rsp_cd\":\"00040\",\"CSPAT00601Out", 200, kAgentNoReply, 0, 0, L""},
      {"{\"rsp_cd\":\"00040\",\"CSPAT00601OutBlock2\":{\"OrdNo\":9}}", 502, kAgentNoReply, 0, 0,
       L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reply);
    peer_.SetRawReply(LsBrokerPeer::kDomesticOrderPath, c.reply, c.status);
    const Order o = Place(kMarketDomestic);
    EXPECT_EQ(o.result, c.result);
    EXPECT_EQ(o.success, c.success);
    EXPECT_EQ(o.retry, c.retry);
    EXPECT_STREQ(o.resultText, c.resultText);
    EXPECT_STREQ(o.orderNoText, "");
  }
}

}  // namespace
}  // namespace orv::test
