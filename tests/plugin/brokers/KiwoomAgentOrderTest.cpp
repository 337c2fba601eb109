// The Kiwoom agent's cash and credit orders against the Kiwoom broker peer: the bodies as they go
// out, the three outcomes (placed, refused, unknown) and an order that goes out once.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "tests/plugin/brokers/KiwoomAgentFixture.h"

namespace orv::test {
namespace {

struct Order {
  int result = -5;
  char orderNoText[50]{};
  int64_t orderNo = -5;
  int passed = -5;  // the result code written through the pass-through pointer
  int success = -5;
  int retry = -5;
  wchar_t message[256]{};
  wchar_t resultText[20]{};
};

// One order's arguments (the engine's sell pass sends market price type 3, condition 0, the
// loan date and the credit kind).
struct OrderArgs {
  uint8_t market = kMarketDomestic;
  uint8_t exchange = 1;
  int side = 1;
  const wchar_t* code = L"005930";
  double qty = 10;
  double price = 70000;
  int creditFlag = 1;
  int priceType = 0;
  int loanDate = 0;
};

class KiwoomOrderTest : public KiwoomLoggedInTest {
 protected:
  Order Place(const OrderArgs& a = OrderArgs()) {
    Order o;
    o.result = agent_.TradeOrder(nullptr, a.market, a.exchange, a.side, 0, a.code, a.qty, a.price,
                                 a.creditFlag, a.priceType, 0, a.loanDate, 1, 0, 0, 0, 0, 0,
                                 nullptr, o.orderNoText, &o.orderNo, &o.passed, &o.success,
                                 &o.retry, o.message, o.resultText);
    return o;
  }

  std::vector<RecordedRequest> Orders() const {
    std::vector<RecordedRequest> out;
    for (const RecordedRequest& r : peer_.Requests()) {
      if (r.path == KiwoomBrokerPeer::kCashOrderPath ||
          r.path == KiwoomBrokerPeer::kCreditOrderPath)
        out.push_back(r);
    }
    return out;
  }
};

TEST_F(KiwoomOrderTest, OrderBodiesByteForByte) {
  OrderArgs limitBuy;  // 10 shares at 70,000 on KRX
  OrderArgs marketSell;
  marketSell.side = 2;
  marketSell.priceType = 3;
  marketSell.exchange = 3;
  OrderArgs creditSell;  // a credit holding sold at the market on NXT
  creditSell.side = 2;
  creditSell.exchange = 2;
  creditSell.qty = 5;
  creditSell.creditFlag = 2;
  creditSell.priceType = 3;
  creditSell.loanDate = 20261105;
  OrderArgs creditBuy;
  creditBuy.creditFlag = 2;
  creditBuy.exchange = 9;
  creditBuy.loanDate = 0;
  const struct {
    OrderArgs args;
    const char* path;
    const char* apiId;
    const char* body;
  } cases[] = {
      {limitBuy, "/api/dostk/ordr", "kt10000",
       "{\t\"dmst_stex_tp\" : \"KRX\",\t\"stk_cd\" : \"005930\",\t\"ord_qty\" : \"10\",\t"
       "\"ord_uv\" : \"70000\",\t\"trde_tp\" : \"0\",\t\"cond_uv\" : \"\"}"},
      {marketSell, "/api/dostk/ordr", "kt10001",
       "{\t\"dmst_stex_tp\" : \"SOR\",\t\"stk_cd\" : \"005930\",\t\"ord_qty\" : \"10\",\t"
       "\"ord_uv\" : \"0\",\t\"trde_tp\" : \"3\",\t\"cond_uv\" : \"\"}"},
      {creditSell, "/api/dostk/crdordr", "kt10007",
       "{ \"dmst_stex_tp\" : \"NXT\",\t\t\t\t\t\"stk_cd\" : \"005930\",\t\t\t\t\t"
       "\"ord_qty\" : \"5\",\t\t\t\t\t\"ord_uv\" : \"0\",\t\t\t\t\t\"trde_tp\" : \"3\",\t\t\t\t\t"
       "\"crd_deal_tp\" : \"33\",\t\t\t\t\t\"crd_loan_dt\" : \"20261105\",\t\t\t\t\t"
       "\"cond_uv\" : \"\"\t}"},
      {creditBuy, "/api/dostk/crdordr", "kt10006",
       "{ \"dmst_stex_tp\" : \"KRX\",\t\t\t\t\t\"stk_cd\" : \"005930\",\t\t\t\t\t"
       "\"ord_qty\" : \"10\",\t\t\t\t\t\"ord_uv\" : \"70000\",\t\t\t\t\t\"trde_tp\" : \"0\",\t\t\t\t\t"
       "\"crd_deal_tp\" : \"33\",\t\t\t\t\t\"crd_loan_dt\" : \"00000000\",\t\t\t\t\t"
       "\"cond_uv\" : \"\"\t}"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.apiId);
    peer_.Http().ClearRequests();
    const Order o = Place(c.args);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.success, 1);
    EXPECT_EQ(o.passed, 0);
    EXPECT_EQ(o.retry, 0);
    EXPECT_STREQ(o.resultText, L"0");
    const std::vector<RecordedRequest> sent = Orders();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].path, c.path);
    EXPECT_EQ(sent[0].Header("api-id"), c.apiId);
    EXPECT_EQ(sent[0].Header("cont-yn"), "N");
    EXPECT_EQ(sent[0].Header("Authorization"), "Bearer " + peer_.Token());
    EXPECT_EQ(sent[0].body, c.body);
  }
}

TEST_F(KiwoomOrderTest, ACashOrderIsNeverSentAsCredit) {
  // Any credit flag but 2 is a cash order, on the cash path with the cash body.
  for (int flag : {0, 1, 3}) {
    SCOPED_TRACE(flag);
    peer_.Http().ClearRequests();
    OrderArgs a;
    a.creditFlag = flag;
    EXPECT_EQ(Place(a).result, 0);
    const std::vector<RecordedRequest> sent = Orders();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].path, "/api/dostk/ordr");
    EXPECT_EQ(sent[0].Header("api-id"), "kt10000");
    EXPECT_EQ(sent[0].body.find("crd_deal_tp"), std::string::npos);
  }
}

TEST_F(KiwoomOrderTest, PlacedOrderKeepsTheBrokersOrderNumber) {
  const Order o = Place();
  EXPECT_EQ(o.result, 0);
  EXPECT_EQ(o.success, 1);
  EXPECT_EQ(o.orderNo, peer_.LastOrderNo());
  EXPECT_STREQ(o.orderNoText, "0001001") << "the leading zeros belong to the number";
  EXPECT_EQ(peer_.OrdersReceived(), 1);
}

TEST_F(KiwoomOrderTest, OrderOutcomes) {
  const struct {
    const char* reply;
    int status;
    int result;
    int success;
    int retry;
    const wchar_t* resultText;
    const char* orderNoText;
  } cases[] = {
      // Placed: the broker's code 0 and its order number, as text or as a number.
      {"{\"ord_no\":\"0000123\",\"return_code\":0,\"return_msg\":\"완료\"}", 200, 0, 1, 0, L"0",
       "0000123"},
      {"{\"ord_no\":456,\"return_code\":\"0\"}", 200, 0, 1, 0, L"0", "456"},
      // Refused: the broker's code; 2297 and 8819 ask for the order again.
      {"{\"return_code\":2297,\"return_msg\":\"[2297] 잠시 후 다시 주문하세요\"}", 200, 2297, 0, 1,
       L"2297", ""},
      {"{\"return_code\":8819,\"return_msg\":\"재주문\"}", 200, 8819, 0, 1, L"8819", ""},
      {"{\"return_code\":20,\"return_msg\":\"[2000](RC4025:매도가능수량이 부족합니다)\"}", 200, 20,
       0, 0, L"20", ""},
      // Unknown: an error page, a reply cut short or not JSON, a reply naming no code or no
      // order. The broker may have executed the order: never a placed one, never a refusal.
      {"<html><body><h1>500 Internal Server Error</h1></body></html>", 200, kAgentNoReply, 0, 0,
       L"", ""},
      {"<html><body>503 Service Unavailable</body></html>", 503, kAgentNoReply, 0, 0, L"", ""},
      {"{\"ord_no\":\"0000123\",\"return_code\":20}", 502, kAgentNoReply, 0, 0, L"", ""},
      {"{\"ord_no\":\"0000123\",\"retu", 200, kAgentNoReply, 0, 0, L"", ""},
      {"{\"ord_no\":\"0000123\"}", 200, kAgentNoReply, 0, 0, L"", ""},
      {"{\"return_code\":0,\"return_msg\":\"완료\"}", 200, kAgentNoReply, 0, 0, L"", ""},
      {"{\"return_code\":0,\"ord_no\":\"0000000\"}", 200, kAgentNoReply, 0, 0, L"", ""},
      {"{\"return_code\":\"abc\",\"ord_no\":\"0000123\"}", 200, kAgentNoReply, 0, 0, L"", ""},
      {"{\"return_code\":0,\"ord_no\":\"12a\"}", 200, kAgentNoReply, 0, 0, L"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reply);
    peer_.SetRawReply("kt10000", c.reply, c.status,
                      c.reply[0] == '<' ? "text/html" : "application/json");
    const int before = peer_.OrdersReceived();
    const Order o = Place();
    EXPECT_EQ(o.result, c.result);
    EXPECT_EQ(o.passed, c.result);
    EXPECT_EQ(o.success, c.success);
    EXPECT_EQ(o.retry, c.retry);
    EXPECT_STREQ(o.resultText, c.resultText);
    EXPECT_STREQ(o.orderNoText, c.orderNoText);
    EXPECT_EQ(peer_.OrdersReceived(), before + 1) << "sent once";
    if (c.result > 0) {
      EXPECT_NE(o.message[0], L'\0') << "the broker's message";
    }
  }
}

TEST_F(KiwoomOrderTest, AnOrderWithoutAnAnswerIsSentOnceAndUnknown) {
  agent_.SetRequestTimeout(1000);
  peer_.SetDelay("kt10001", std::chrono::milliseconds(3000));
  OrderArgs sell;
  sell.side = 2;
  const Order late = Place(sell);
  EXPECT_EQ(late.result, kAgentNoReply);
  EXPECT_EQ(late.success, 0) << "no reply is no success";
  EXPECT_EQ(late.retry, 0);
  EXPECT_STREQ(late.resultText, L"");
  EXPECT_NE(late.message[0], L'\0') << "why the order has no outcome";
  EXPECT_EQ(peer_.OrdersReceived(), 1);

  peer_.Stop();
  const Order none = Place(sell);
  EXPECT_EQ(none.result, kAgentNoReply);
  EXPECT_EQ(none.success, 0);
}

TEST_F(KiwoomOrderTest, OrdersThatCannotBeSentSendNothing) {
  OrderArgs overseas;
  overseas.market = kMarketOverseas;
  overseas.code = L"AAPL";
  const Order o = Place(overseas);
  EXPECT_EQ(o.result, kAgentOrderNotAvailable);
  EXPECT_EQ(o.success, 0);

  OrderArgs noCode;
  noCode.code = L"";
  EXPECT_EQ(Place(noCode).result, kAgentNoReply);
  EXPECT_EQ(Place(noCode).success, 0);

  std::atomic<int> simulating{1};
  agent_.SetSimulationFlag(&simulating);
  EXPECT_EQ(Place().result, kAgentSimulationOn);
  EXPECT_TRUE(Orders().empty());

  // A code is never spliced into the body raw.
  agent_.SetSimulationFlag(nullptr);
  OrderArgs odd;
  odd.code = L"00\"59";
  Place(odd);
  ASSERT_EQ(Orders().size(), 1u);
  EXPECT_NE(Orders()[0].body.find("\"stk_cd\" : \"00\\\"59\""), std::string::npos);
}

}  // namespace
}  // namespace orv::test
