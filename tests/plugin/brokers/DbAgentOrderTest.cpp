// The DB agent's orders against the DB peer, and the exchange order-reply readers every agent
// carries.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "platform/support/TextConv.h"
#include "tests/plugin/brokers/DbAgentFixture.h"

namespace orv::test {
namespace {

// One order's arguments and outputs.
struct Order {
  uint8_t market = kMarketDomestic;
  uint8_t exchange = 1;
  int side = 1;
  const char* code = "005930";
  double qty = 10;
  double price = 70000;
  int creditFlag = 0;
  int priceType = 0;
  int condition = 0;
  int loanDate = 0;
  int creditKind = 1;
  int earlier = 0;

  char orderNoText[50] = "junk";
  int64_t orderNo = -5;
  int result = -5;
  int success = -5;
  int codeFlag = -5;
  wchar_t message[256]{};
  wchar_t resultText[20] = L"junk";
};

class DbOrderTest : public DbAgentFixture {
 protected:
  int Place(Order* o) {
    return agent_.TradeOrderA(curl_, o->market, o->exchange, o->side, 0, o->code, o->qty, o->price,
                              o->creditFlag, o->priceType, o->condition, o->loanDate, o->creditKind,
                              0, 0, 0, 0, 0, o->earlier, o->orderNoText, &o->orderNo, &o->result,
                              &o->success, &o->codeFlag, o->message, o->resultText);
  }
  std::string LastBody(const char* path) {
    const auto requests = peer_.RequestsTo(path);
    return requests.empty() ? std::string() : requests.back().body;
  }
};

TEST_F(DbOrderTest, MarketBuyIsSentByteForByteAndPlaced) {
  Order o;
  o.priceType = 3;
  EXPECT_EQ(Place(&o), 0);
  EXPECT_EQ(LastBody(DbBrokerPeer::kDomesticOrderPath),
            "{ \"In\":{ \"IsuNo\":\"005930\", \"TrchNo\":\"1\", \"SorTpYn\":\"0\",  "
            "\"OrdQty\":10, \"OrdPrc\":0,\"BnsTpCode\":\"2\", \"OrdprcPtnCode\":\"03\", "
            "\"MgntrnCode\":\"000\",\"LoanDt\":\"00000000\", \"OrdCndiTpCode\":\"0\" } }");
  const auto request = peer_.RequestsTo(DbBrokerPeer::kDomesticOrderPath).back();
  EXPECT_EQ(request.Header("cont_yn"), "N");
  EXPECT_EQ(request.Header("Authorization"), "Bearer " + peer_.Token());
  EXPECT_EQ(o.success, 1);
  EXPECT_EQ(o.result, 0);
  EXPECT_EQ(o.codeFlag, 0);
  EXPECT_EQ(o.orderNo, peer_.LastOrderNo());
  EXPECT_EQ(std::string(o.orderNoText), std::to_string(peer_.LastOrderNo()));
  EXPECT_STREQ(o.resultText, L"00000");
}

TEST_F(DbOrderTest, CreditAndConditionCodes) {
  struct Case {
    int side, creditFlag, creditKind, loanDate, exchange, condition, priceType;
    double price;
    const char* body;
  } cases[] = {
      {2, 2, 1, 20250103, 1, 0, 0, 70100,
       "{ \"In\":{ \"IsuNo\":\"005930\", \"TrchNo\":\"1\", \"SorTpYn\":\"0\",  \"OrdQty\":10, "
       "\"OrdPrc\":70100,\"BnsTpCode\":\"1\", \"OrdprcPtnCode\":\"00\", \"MgntrnCode\":\"101\","
       "\"LoanDt\":\"20250103\", \"OrdCndiTpCode\":\"0\" } }"},
      {1, 2, 1, 0, 2, 1, 0, 70100,
       "{ \"In\":{ \"IsuNo\":\"005930\", \"TrchNo\":\"2\", \"SorTpYn\":\"0\",  \"OrdQty\":10, "
       "\"OrdPrc\":70100,\"BnsTpCode\":\"2\", \"OrdprcPtnCode\":\"00\", \"MgntrnCode\":\"001\","
       "\"LoanDt\":\"00000000\", \"OrdCndiTpCode\":\"1\" } }"},
      {1, 2, 3, 250103, 3, 2, 0, 70100,
       "{ \"In\":{ \"IsuNo\":\"005930\", \"TrchNo\":\"0\", \"SorTpYn\":\"0\",  \"OrdQty\":10, "
       "\"OrdPrc\":70100,\"BnsTpCode\":\"2\", \"OrdprcPtnCode\":\"00\", \"MgntrnCode\":\"003\","
       "\"LoanDt\":\"00250103\", \"OrdCndiTpCode\":\"2\" } }"},
      {2, 2, 3, 20250103, 3, 0, 0, 70100,
       "{ \"In\":{ \"IsuNo\":\"005930\", \"TrchNo\":\"0\", \"SorTpYn\":\"0\",  \"OrdQty\":10, "
       "\"OrdPrc\":70100,\"BnsTpCode\":\"1\", \"OrdprcPtnCode\":\"00\", \"MgntrnCode\":\"103\","
       "\"LoanDt\":\"20250103\", \"OrdCndiTpCode\":\"1\" } }"},
  };
  peer_.SetDomesticBalance({}, {{"A005930", "삼성전자", 100, 100, 70000, 70000}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    Order o;
    o.side = c.side;
    o.creditFlag = c.creditFlag;
    o.creditKind = c.creditKind;
    o.loanDate = c.loanDate;
    o.exchange = c.exchange;
    o.condition = c.condition;
    o.price = c.price;
    EXPECT_EQ(Place(&o), 0);
    EXPECT_EQ(LastBody(DbBrokerPeer::kDomesticOrderPath), c.body);
  }
}

TEST_F(DbOrderTest, OverseasOrderBody) {
  Order o;
  o.market = kMarketOverseas;
  o.code = "AAPL";
  o.side = 2;
  o.qty = 3;
  o.price = 190.4;
  o.condition = 2;
  o.earlier = 1234;
  EXPECT_EQ(Place(&o), 0);
  EXPECT_EQ(LastBody(DbBrokerPeer::kOverseasOrderPath),
            "{ \"In\":{    \"AstkIsuNo\": \"AAPL\",    \"AstkBnsTpCode\": \"1\",    "
            "\"AstkOrdprcPtnCode\": \"1\",    \"AstkOrdCndiTpCode\": \"1\",    \"AstkOrdQty\": 3,"
            "    \"AstkOrdPrc\": 190,    \"OrdTrdTpCode\": \"0\",    \"OrgOrdNo\" : 1234   }  }");
  EXPECT_EQ(o.success, 1);
}

TEST_F(DbOrderTest, RefusalsGiveTheMappedCodeAndTheRetryFlag) {
  struct Case {
    const char* code;
    int result;
    int codeFlag;
  } cases[] = {{"8819", 8819, 1},
               {"2297", 2297, 1},
               {"0040", 40, 0},
               {"IGW00121", 100121, 0},
               {"EGW00201", -10000, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    peer_.SetRawReply(DbBrokerPeer::kDomesticOrderPath,
                      std::string("{\"rsp_cd\":\"") + c.code + "\",\"rsp_msg\":\"주문 거부\"}");
    Order o;
    EXPECT_EQ(Place(&o), c.result);
    EXPECT_EQ(o.result, c.result);
    EXPECT_EQ(o.success, 0) << "a letter-prefixed code is never read as 0";
    EXPECT_EQ(o.codeFlag, c.codeFlag);
    EXPECT_STREQ(o.message, L"주문 거부");
    EXPECT_EQ(WideToUtf8(o.resultText), c.code);
    EXPECT_STREQ(o.orderNoText, "");
  }
}

TEST_F(DbOrderTest, UnusableRepliesAndRefusedCallsAreFailures) {
  struct Case {
    const char* name;
    const char* body;
    const char* contentType;
  } replies[] = {
      {"html error page", "<html><body>502 Bad Gateway</body></html>", "text/html"},
      {"empty object", "{}", "application/json"},
      {"success code without Out", "{\"rsp_cd\":\"00000\",\"rsp_msg\":\"ok\"}", "application/json"},
  };
  for (const Case& c : replies) {
    SCOPED_TRACE(c.name);
    peer_.SetRawReply(DbBrokerPeer::kDomesticOrderPath, c.body, c.contentType);
    Order o;
    EXPECT_EQ(Place(&o), -1);
    EXPECT_EQ(o.success, 0);
    EXPECT_EQ(o.codeFlag, 0);
  }
  peer_.ClearReply(DbBrokerPeer::kDomesticOrderPath);
  peer_.Http().ClearRequests();

  Order unknownMarket;
  unknownMarket.market = 3;
  EXPECT_EQ(Place(&unknownMarket), -1);
  EXPECT_EQ(unknownMarket.success, 0);
  Order noCode;
  noCode.code = "";
  EXPECT_EQ(Place(&noCode), -1);
  EXPECT_EQ(noCode.success, 0);

  std::atomic<int> simulating{1};
  agent_.SetSimulationFlag(&simulating);
  Order simulated;
  EXPECT_EQ(Place(&simulated), kAgentSimulationOn);
  EXPECT_EQ(simulated.success, 0);
  EXPECT_TRUE(peer_.Requests().empty()) << "no order reaches the broker";
  simulating = 0;
  Order real;
  EXPECT_EQ(Place(&real), 0);

  peer_.Stop();
  Order unanswered;
  EXPECT_EQ(Place(&unanswered), -1);
  EXPECT_EQ(unanswered.success, 0);
  EXPECT_EQ(unanswered.codeFlag, 0);
}

TEST_F(DbOrderTest, OrdersChangeThePeersHoldings) {
  peer_.SetDomesticBalance({}, {{"A005930", "삼성전자", 5, 5, 70000, 70000}});
  Order buy;
  buy.qty = 5;
  buy.price = 72000;
  ASSERT_EQ(Place(&buy), 0);
  Order sell;
  sell.code = "005930";
  sell.side = 2;
  sell.qty = 20;
  EXPECT_NE(Place(&sell), 0) << "more than held is refused";

  OwningStockMap stocks;
  OwningHoldingMap holdings;
  BalanceQueryArgs_s args;
  args.totals = &agent_.m_domesticRecord;
  args.holdings = &holdings;
  args.stocks = &stocks;
  ASSERT_EQ(agent_.QueryBalance(curl_, kMarketDomestic, 0, 0, args), 1);
  StockTrade_s* held = holdings.begin()->first;
  EXPECT_DOUBLE_EQ(held->quantity, 10);
  EXPECT_DOUBLE_EQ(held->avg_price, 71000);
}

TEST_F(DbOrderTest, WideEntryConvertsTheCode) {
  Order o;
  EXPECT_EQ(agent_.TradeOrder(curl_, kMarketDomestic, 1, 1, 0, L"005930", 1, 100, 0, 0, 0, 0, 1, 0,
                              0, 0, 0, 0, L"77", o.orderNoText, &o.orderNo, &o.result, &o.success,
                              &o.codeFlag, o.message, o.resultText),
            0);
  EXPECT_NE(LastBody(DbBrokerPeer::kDomesticOrderPath).find("\"IsuNo\":\"005930\""),
            std::string::npos);
}

TEST(CoinOrderReplyTest, ErrorNamesMapToCodes) {
  struct Case {
    const char* name;
    int code;
  } cases[] = {{"too_many_request_order", 702}, {"under_min_total_market_ask", 703},
               {"duplicated_identifier", 704},  {"not_supported_ord_type", 705},
               {"under_min_total_bid", 706},    {"insufficient_funds_bid", 707},
               {"insufficient_funds_ask", 708}, {"out_of_scope", 709},
               {"remaining_volume", 710},       {"Insufficient_funds_bid", 701},
               {"insufficient_funds", 701},     {"", 701}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string reply = std::string("{\"error\":{\"name\":\"") + c.name +
                              "\",\"message\":\"\\uc8fc\\ubb38 \\uc2e4\\ud328\"}}";
    wchar_t message[64] = L"junk";
    char name[100] = "junk";
    EXPECT_EQ(ReadCoinOrderError(reply.c_str(), message, 64, name, sizeof name), c.code);
    EXPECT_STREQ(message, L"주문 실패");
    EXPECT_STREQ(name, c.name);
  }
}

TEST(CoinOrderReplyTest, OnlyAJsonObjectWithoutErrorIsSuccess) {
  wchar_t message[64] = L"junk";
  EXPECT_EQ(ReadCoinOrderError("{\"uuid\":\"u-1\",\"volume\":\"0.5\"}", message, 64, nullptr, 0),
            0);
  EXPECT_STREQ(message, L"0.5");
  for (const char* bad : {"<html><body>502 Bad Gateway</body></html>", "[]", "\"ok\"", ""}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(ReadCoinOrderError(bad, message, 64, nullptr, 0), kCoinOrderUnreadable);
  }
  EXPECT_EQ(ReadCoinOrderError(nullptr, message, 64, nullptr, 0), -1);
  EXPECT_EQ(ReadCoinOrderError("{}", nullptr, 0, nullptr, 0), -1);
}

TEST(CoinOrderReplyTest, OrderReplyAndIdText) {
  const std::string reply =
      "{\"status\":\"0000\",\"order_id\":\"C0101000000123\",\"data\":{\"units\":\"0.25\","
      "\"price\":\"51,000\"},\"message\":\"\\uccb4\\uacb0 ok\"}";
  CDbSecuAgent agent(kMarketDomestic, nullptr, '1', kDbBrokerId, 1, 1, 0, 40);
  CoinOrderReply_s out;
  EXPECT_EQ(agent.ParseCoinOrderResponse(reply.c_str(), reply.size(), &out), 5);
  EXPECT_EQ(out.status, "0000");
  EXPECT_EQ(out.orderId, L"C0101000000123");
  EXPECT_DOUBLE_EQ(out.units, 0.25);
  EXPECT_EQ(out.message, L"체결 ok");

  wchar_t* text = nullptr;
  EXPECT_EQ(agent.GetCoinOrderId(reply.c_str(), reply.size(), nullptr, &text), 5);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, L"C0101000000123/체결 ok");
  std::free(text);
  EXPECT_EQ(agent.GetCoinOrderId(nullptr, 0, nullptr, &text), -1);
  EXPECT_EQ(agent.GetCoinOrderId("<html>", 6, nullptr, &text), 0);
  EXPECT_EQ(text, nullptr);
}

// A broker that keeps its connections open, as brokers do: an order whose reply is lost
// after the broker executed it.
class DbOrderFaultTest : public DbOrderTest {
 protected:
  void SetUp() override {
    peer_.Http().SetKeepAlive(100, 2);
    DbOrderTest::SetUp();
  }
};

TEST_F(DbOrderFaultTest, ALostReplyIsAnUnknownOutcomeAndTheOrderIsNotSentAgain) {
  using Fault = DbBrokerPeer::OrderFault;
  struct Case {
    const char* name;
    Fault fault;
    const char* message;
  } cases[] = {
      {"reset before the reply", Fault::kReset, ""},
      {"time-out", Fault::kTimeout, "Timeout was reached"},
      {"HTTP 500 page", Fault::kServerError, "HTTP 500"},
      {"reply cut short", Fault::kCutReply, ""},
      {"JSON cut short", Fault::kCutJson, ""},
  };
  agent_.SetRequestTimeout(600);
  peer_.SetDomesticBalance({}, {{"A005930", "삼성전자", 100, 100, 70000, 70000}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // A request before the order leaves a kept-alive connection in the handle.
    std::string rows;
    agent_.GetChartDataA(curl_, nullptr, "005930", 1, 1, 5, &rows, nullptr, nullptr, nullptr, 1);
    const int received = peer_.OrdersReceived();
    const int executed = peer_.OrdersExecuted();
    peer_.QueueOrderFaults({c.fault}, "08819", std::chrono::milliseconds(1500));
    Order o;
    o.side = 2;
    EXPECT_EQ(Place(&o), kAgentNoReply);
    EXPECT_EQ(o.success, 0);
    EXPECT_EQ(o.codeFlag, 0) << "only an answer can ask for the order again";
    EXPECT_STREQ(o.resultText, L"") << "no answer, no result code";
    EXPECT_STREQ(o.orderNoText, "");
    EXPECT_NE(WideToUtf8(o.message).find(c.message), std::string::npos) << WideToUtf8(o.message);
    EXPECT_EQ(peer_.OrdersExecuted() - executed, 1);
    EXPECT_EQ(peer_.OrdersReceived() - received, 1) << "libcurl sent the order again";
  }
}

}  // namespace
}  // namespace orv::test
