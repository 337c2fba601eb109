// The Kiwoom agent against the Kiwoom broker peer: token, paged balance, lists and prices.

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "platform/win/Clock.h"
#include "plugin/brokers/KiwoomSecuAgent.h"
#include "plugin/brokers/KiwoomSecuAgentJson.h"
#include "tests/peers/KiwoomBrokerPeer.h"
#include "tests/plugin/brokers/TestCaFile.h"

namespace orv::test {
namespace {

// 2026-12-10 09:00:00 in Korea.
constexpr int64_t kNow = 1796860800;

// The agent with its wall clock fixed at kNow.
class FixedClockKiwoomAgent : public CKiwoomSecuAgent {
 public:
  using CKiwoomSecuAgent::CKiwoomSecuAgent;

 protected:
  int64_t NowEpochSeconds() const override { return kNow; }
};

class KiwoomAgentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(peer_.Start());
    peer_.AcceptCredentials("key", "secret");
    agent_.SetHostUrlA(peer_.BaseUrl().c_str());
    agent_.SetCaCertPemFilePath(SharedCaFileW().c_str());
    curl_ = curl_easy_init();
    ASSERT_NE(curl_, nullptr);
  }
  void TearDown() override {
    if (curl_) curl_easy_cleanup(curl_);
  }

  int LogIn() {
    int code = -5;
    wchar_t message[200]{};
    return agent_.LoginA(nullptr, "12345678", "key", "secret", &code, message, 200);
  }
  void LogInAndForget() {
    ASSERT_EQ(LogIn(), 1);
    peer_.Http().ClearRequests();
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
  int Balance() { return agent_.QueryBalance(nullptr, kMarketDomestic, 0, 0, Args()); }

  StockTrade_s* Held(const wchar_t* code) {
    for (auto& [holding, index] : holdings_) {
      if (std::wstring(code) == holding->code) return holding;
    }
    return nullptr;
  }

  static KiwoomHolding Holding(const std::string& code, double qty, double avg, double now) {
    KiwoomHolding h;
    h.code = code;
    h.name = code;
    h.quantity = qty;
    h.avgPrice = avg;
    h.nowPrice = now;
    return h;
  }

  orv::win::FakeClock clock_;
  orv::win::ScopedClock scopedClock_{clock_};
  KiwoomBrokerPeer peer_{SharedCa()};
  FixedClockKiwoomAgent agent_{kMarketDomestic, L"main", '1', kKiwoomBrokerId, 2, 1, 1500.0, 40};
  CURL* curl_ = nullptr;
  GroupInfoMap accounts_;
  OwningStockMap stocks_;
  OwningHoldingMap holdings_;
  int32_t result_ = 0;
  int32_t transfer_ = 0;
};

// A date-time in Korean time `offset` seconds from kNow.
std::string KstText(int64_t offset) {
  const std::time_t at = static_cast<std::time_t>(kNow + offset + 9 * 3600);
  std::tm tm{};
  gmtime_r(&at, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &tm);
  return text;
}

TEST_F(KiwoomAgentTest, ConstructionMarksTheDataAgent) {
  EXPECT_STREQ(agent_.m_label, L"키움.main.2");
  EXPECT_STREQ(agent_.m_brokerName, L"키움증권");
  EXPECT_STREQ(agent_.m_clientName, "orvella.auto.kiwoom.pc");
  EXPECT_EQ(agent_.m_pollInterval, 500u);
  EXPECT_EQ(agent_.m_dataAgent, 1);
  CKiwoomSecuAgent unnamed(kMarketDomestic, L"", '1', kKiwoomBrokerId, 1, 1, 0, 40);
  EXPECT_EQ(std::wstring(unnamed.m_label), L"키움." + std::to_wstring(unnamed.m_key));
  EXPECT_EQ(unnamed.QueryAccountsA(nullptr, "k", "s", nullptr, nullptr, 0), kAgentNotSupported);
  EXPECT_EQ(unnamed.QueryAllTickers(nullptr, "k", "s"), nullptr);
}

TEST_F(KiwoomAgentTest, TokenRequestBodyIsExactAndEscapesItsValues) {
  ASSERT_EQ(LogIn(), 1);
  ASSERT_EQ(peer_.Requests().size(), 1u);
  const RecordedRequest request = peer_.Requests()[0];
  EXPECT_EQ(request.path, "/oauth2/token");
  EXPECT_EQ(request.body,
            "{\t\t\t\t\"grant_type\": \"client_credentials\",\t\t\t\t\"appkey\" : \"key\",\t\t\t\t"
            "\"secretkey\" : \"secret\" }");
  EXPECT_EQ(request.Header("Content-Type"), "application/json; charset=utf-8");
  EXPECT_FALSE(request.HasHeader("Authorization"));

  // A key with a quote stays one JSON value: the broker sees the key as typed.
  peer_.AcceptCredentials("k\"ey", "sec\\ret");
  int code = 0;
  wchar_t message[200]{};
  EXPECT_EQ(agent_.LoginA(nullptr, "1", "k\"ey", "sec\\ret", &code, message, 200), 1);
  EXPECT_NE(peer_.Requests().back().body.find("\"appkey\" : \"k\\\"ey\""), std::string::npos);
}

TEST_F(KiwoomAgentTest, TokenLifetimeFollowsExpiresDtInKoreanTime) {
  const struct {
    const char* label;
    std::string expiresJson;
    int32_t lifetime;
  } cases[] = {
      {"a day ahead", "\"" + KstText(86400) + "\"", 86400},
      {"an hour ahead, as a number", KstText(3600), 3600},
      {"now", "\"" + KstText(0) + "\"", kKiwoomMaxTokenLifetime},
      {"in the past", "\"" + KstText(-600) + "\"", kKiwoomMaxTokenLifetime},
      {"beyond ten days", "\"" + KstText(864001) + "\"", kKiwoomMaxTokenLifetime},
      {"missing", "", kKiwoomMaxTokenLifetime},
      {"not a date-time", "\"tomorrow\"", kKiwoomMaxTokenLifetime},
  };
  // The machine's own time zone plays no part: the broker's times are Korean.
  const char* saved = std::getenv("TZ");
  const std::string savedTz = saved ? saved : "";
  for (const char* zone : {"UTC0", "EST5EDT,M3.2.0,M11.1.0"}) {
    setenv("TZ", zone, 1);
    tzset();
    for (const auto& c : cases) {
      peer_.SetToken("tok", c.expiresJson);
      ASSERT_EQ(LogIn(), 1) << c.label;
      EXPECT_EQ(agent_.m_tokenLifetime.load(), c.lifetime) << c.label << " in " << zone;
      EXPECT_EQ(agent_.IsConnected(), 1);
    }
  }
  if (saved) {
    setenv("TZ", savedTz.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

TEST_F(KiwoomAgentTest, RefusedTokenReportsTheBrokersCodeAndMessage) {
  peer_.RefuseToken(8030, "[8030:투자구분이 다릅니다]");
  int code = 0;
  wchar_t message[200]{};
  EXPECT_EQ(agent_.LoginA(nullptr, "1", "key", "secret", &code, message, 200), 0);
  EXPECT_EQ(code, 8030);
  EXPECT_STREQ(message, L"[8030:투자구분이 다릅니다]");
  EXPECT_EQ(agent_.IsConnected(), 0);
}

TEST_F(KiwoomAgentTest, LogoutRevokesAndEndsTheLogin) {
  EXPECT_EQ(agent_.Logout(), kKiwoomRevokeNotSent) << "no token";
  EXPECT_TRUE(peer_.Requests().empty());

  LogInAndForget();
  agent_.m_priceUpdates = 4;
  EXPECT_EQ(agent_.Logout(), 0);
  ASSERT_EQ(peer_.Requests().size(), 1u);
  const RecordedRequest revoke = peer_.Requests()[0];
  EXPECT_EQ(revoke.path, "/oauth2/revoke");
  EXPECT_EQ(revoke.Param("token"), "kiwoom-token-1");
  EXPECT_EQ(revoke.Param("appkey"), "key");
  EXPECT_EQ(revoke.Param("secretkey"), "secret");
  EXPECT_EQ(agent_.IsConnected(), 0);
  EXPECT_EQ(agent_.m_priceUpdates, 0);

  peer_.SetRevokeReply("{\"message\":\"ok\"}");
  EXPECT_EQ(agent_.Logout(), kKiwoomRevokeNoCode);
}

TEST_F(KiwoomAgentTest, DepositReadsNumbersSentAsTextAndKeepsTheRecordOnRefusal) {
  LogInAndForget();
  peer_.SetRawReply("kt00004",
                    "{\"acnt_nm\":\"홍길동\",\"entr\":\"1000\",\"d2_entra\":\"000000000900\","
                    "\"tot_pur_amt\":12,\"prsm_dpst_aset_amt\":\"-000000000050\","
                    "\"return_code\":0}");
  group_info_s* record = nullptr;
  EXPECT_EQ(agent_.QueryDeposit(nullptr, &accounts_, &record, 0), 1);
  ASSERT_EQ(record, &agent_.m_accountRecord);
  EXPECT_DOUBLE_EQ(record->deposit, 1000);
  EXPECT_DOUBLE_EQ(record->withdrawable, 900);
  EXPECT_DOUBLE_EQ(record->next_day_deposit, -50);
  const RecordedRequest request = peer_.Requests().back();
  EXPECT_EQ(request.Header("api-id"), "kt00004");
  EXPECT_EQ(request.Header("cont-yn"), "N");
  EXPECT_EQ(request.Header("Authorization"), "Bearer kiwoom-token-1");

  for (const char* refusal : {"{\"error\":\"bad\",\"acnt_nm\":\"x\",\"entr\":\"5\"}",
                              "{\"return_code\":2,\"return_msg\":\"조회 실패\",\"entr\":\"5\"}"}) {
    peer_.SetRawReply("kt00004", refusal);
    EXPECT_EQ(agent_.QueryDeposit(nullptr, &accounts_, &record, 0), 0) << refusal;
    EXPECT_EQ(record, nullptr);
    EXPECT_DOUBLE_EQ(agent_.m_accountRecord.deposit, 1000) << refusal;
  }
}

// Holdings spread over pages are merged once, after the last page: none is dropped for being
// on another page, and a holding the user tuned keeps its step values.
TEST_F(KiwoomAgentTest, BalanceOverThreePagesKeepsEveryHolding) {
  LogInAndForget();
  peer_.SetBalancePages({{Holding("A005930", 10, 70000, 71000), Holding("A000660", 3, 120000, 118000)},
                         {Holding("A035420", 4, 200000, 201000)},
                         {Holding("A051910", 1, 400000, 390000)}});
  EXPECT_EQ(Balance(), 4);
  EXPECT_EQ(transfer_, 0);
  EXPECT_EQ(holdings_.size(), 4u);
  EXPECT_EQ(agent_.m_accountRecord.holding_count, 4);

  const std::vector<RecordedRequest> pages = peer_.RequestsFor("kt00018");
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages[0].Header("cont-yn"), "N");
  EXPECT_FALSE(pages[0].HasHeader("next-key"));
  EXPECT_EQ(pages[1].Header("cont-yn"), "Y");
  EXPECT_EQ(pages[1].Header("next-key"), "kt00018-1");
  EXPECT_EQ(pages[2].Header("next-key"), "kt00018-2");
  EXPECT_EQ(pages[0].body, "{ \"qry_tp\" : \"2\", \"dmst_stex_tp\" : \"KRX\" }");

  StockTrade_s* first = Held(L"005930");
  ASSERT_NE(first, nullptr);
  first->steps[1] = 7.5;
  EXPECT_EQ(Balance(), 4);
  EXPECT_EQ(Held(L"005930"), first) << "a first-page holding survives the later pages";
  EXPECT_DOUBLE_EQ(first->steps[1], 7.5);
  EXPECT_NE(Held(L"051910"), nullptr);
  EXPECT_EQ(holdings_.size(), 4u);

  // A holding sold since: gone after the whole list was read.
  peer_.SetBalancePages({{Holding("A005930", 10, 70000, 71000)}, {Holding("A051910", 1, 400000, 390000)}});
  EXPECT_EQ(Balance(), 2);
  EXPECT_EQ(Held(L"000660"), nullptr);
  EXPECT_EQ(Held(L"005930"), first);
}

TEST_F(KiwoomAgentTest, BalanceStopsAfterThirtyPagesAndDropsNothingItDidNotSee) {
  LogInAndForget();
  std::vector<std::vector<KiwoomHolding>> pages;
  for (int i = 0; i < 31; ++i) {
    pages.push_back({Holding("A" + std::to_string(100000 + i), 1, 1000, 1000)});
  }
  // The last page's holding is known from before; the cut list must not drop it.
  peer_.SetBalancePages({pages.back()});
  ASSERT_EQ(Balance(), 1);
  StockTrade_s* last = Held(L"100030");
  ASSERT_NE(last, nullptr);

  peer_.Http().ClearRequests();
  peer_.SetBalancePages(pages);
  EXPECT_EQ(Balance(), kKiwoomMaxBalancePages);
  EXPECT_EQ(peer_.RequestsFor("kt00018").size(), 30u);
  EXPECT_EQ(Held(L"100030"), last);
  EXPECT_NE(Held(L"100029"), nullptr);
}

TEST_F(KiwoomAgentTest, FailedBalancePageLeavesTheHoldings) {
  LogInAndForget();
  peer_.SetBalancePages({{Holding("A005930", 10, 70000, 71000)}, {Holding("A000660", 3, 1, 1)}});
  ASSERT_EQ(Balance(), 2);
  peer_.SetRawReply("kt00018", "{\"return_code\":2,\"return_msg\":\"조회 실패\"}");
  EXPECT_EQ(Balance(), 0);
  EXPECT_EQ(holdings_.size(), 2u);
  EXPECT_STREQ(agent_.GetLastMessage(), L"조회 실패");
  peer_.SetRawReply("kt00018", "not json");
  EXPECT_EQ(Balance(), 0);
  EXPECT_EQ(holdings_.size(), 2u);
}

TEST_F(KiwoomAgentTest, CreditHoldingWithoutLoanDateAndFallingPrices) {
  LogInAndForget();
  KiwoomHolding credit = Holding("A005930", 10, 70000, 68000);
  credit.creditKind = 33;
  credit.falling = true;
  KiwoomHolding dated = Holding("A000660", 2, 100000, 101000);
  dated.creditKind = 33;
  dated.loanDate = 20261201;
  peer_.SetBalancePages({{credit, dated, Holding("A035720", 0, 1, 1)}});
  EXPECT_EQ(Balance(), 2) << "a row of quantity 0 is no holding";

  StockTrade_s* held = Held(L"005930");
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(held->loan_date, kKiwoomOpenLoanDate);
  EXPECT_EQ(held->holding_kind, 2);
  EXPECT_DOUBLE_EQ(held->avg_price, 70000) << "the minus marks a falling price, not the price";
  EXPECT_DOUBLE_EQ(held->cur_price, 68000);
  ASSERT_NE(Held(L"000660"), nullptr);
  EXPECT_EQ(Held(L"000660")->loan_date, 20261201);
  EXPECT_EQ(Held(L"035720"), nullptr);
}

TEST_F(KiwoomAgentTest, StockListsByMarketLetter) {
  LogInAndForget();
  int status = 0;
  EXPECT_EQ(agent_.LoadStockList(curl_, &stocks_, kMarketDomestic, '3', 0, 0, &status, 0), 0);
  EXPECT_TRUE(peer_.Requests().empty());

  peer_.SetListPages({{{"A005930", "삼성전자", "0", 71000}, {"000660", "SK하이닉스", "0", 120000}},
                      {{"035720", "", "10", 1}, {"005930", "삼성전자", "0", 71000}}});
  EXPECT_EQ(agent_.LoadStockList(curl_, &stocks_, kMarketDomestic, '2', 3, 0, &status, 0), 2);
  EXPECT_EQ(status, kKiwoomListRowKnown) << "the last skipped row decides";
  const Stock_s* samsung = stocks_.Find(L"005930");
  ASSERT_NE(samsung, nullptr);
  EXPECT_EQ(samsung->name, L"삼성전자");
  EXPECT_DOUBLE_EQ(samsung->cur_price, 71000);
  EXPECT_EQ(samsung->market_letter, '2');
  EXPECT_EQ(samsung->slot_flags[3], 1);
  EXPECT_EQ(stocks_.Find(L"035720"), nullptr) << "a row without a name";
  EXPECT_EQ(clock_.SleptMs(), 2u * kKiwoomListPagePauseMs);

  const std::vector<RecordedRequest> pages = peer_.RequestsFor("ka10099");
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0].body, "{\"mrkt_tp\": \"10\" }");
  EXPECT_EQ(pages[1].Header("next-key"), "ka10099-1");
}

TEST_F(KiwoomAgentTest, PricePollJoinsCodesWithTheExchangeSuffix) {
  LogInAndForget();
  for (const wchar_t* code : {L"005930", L"000660"}) {
    GfxAddStockToMap(&stocks_, code, kMarketDomestic, 0, 0, nullptr);
  }
  KiwoomQuote samsung;
  samsung.code = "005930";
  samsung.price = 71000;
  samsung.open = 72000;
  samsung.high = 72500;
  samsung.low = 70500;
  samsung.change = -1000;
  samsung.rate = -1.39;
  samsung.falling = true;
  KiwoomQuote hynix;
  hynix.code = "000660";
  hynix.price = 120000;
  peer_.SetQuotes({samsung, hynix});
  Stock_s* record = stocks_.Find(L"005930");
  record->day.close.assign(5, 0.0);
  record->day.count = 3;

  std::atomic<int> running{1};
  char message[20]{};
  int code = -1;
  EXPECT_EQ(agent_.UpdatePrices(curl_, kMarketDomestic, 0, 2, &stocks_, &running, 500, message,
                                &code, nullptr),
            2);
  const std::vector<RecordedRequest> asked = peer_.RequestsFor("ka10095");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].path, "/api/dostk/stkinfo");
  EXPECT_EQ(asked[0].body, "{\"stk_cd\":\"000660_NX|005930_NX\"}");
  EXPECT_STREQ(message, "0");
  EXPECT_DOUBLE_EQ(record->cur_price, 71000);
  EXPECT_DOUBLE_EQ(record->open_price, 72000);
  EXPECT_DOUBLE_EQ(record->low_price, 70500);
  EXPECT_DOUBLE_EQ(record->change, -1000);
  EXPECT_DOUBLE_EQ(record->change_rate, -1.39);
  EXPECT_DOUBLE_EQ(record->day.close[2], 71000) << "today's candle follows the price";
  EXPECT_EQ(agent_.m_priceUpdates, 1);
}

TEST_F(KiwoomAgentTest, PricePollSendsFiftyCodesARequestPausingAfterFullBatches) {
  LogInAndForget();
  std::vector<KiwoomQuote> quotes;
  for (int i = 0; i < 120; ++i) {
    const std::string code = std::to_string(300000 + i);
    GfxAddStockToMap(&stocks_, std::wstring(code.begin(), code.end()).c_str(), kMarketDomestic, 0,
                     0, nullptr);
    KiwoomQuote q;
    q.code = code;
    q.price = 1000 + i;
    quotes.push_back(q);
  }
  GfxAddStockToMap(&stocks_, L"AAPL", kMarketOverseas, 0, 0, nullptr);
  peer_.SetQuotes(quotes);
  std::atomic<int> running{1};
  char message[20]{};
  int code = -1;
  EXPECT_EQ(agent_.UpdatePrices(curl_, kMarketDomestic, 0, 1, &stocks_, &running, 500, message,
                                &code, nullptr),
            120);
  const std::vector<RecordedRequest> asked = peer_.RequestsFor("ka10095");
  ASSERT_EQ(asked.size(), 3u);
  const size_t counts[] = {50, 50, 20};
  for (size_t i = 0; i < 3; ++i) {
    const std::string& body = asked[i].body;
    EXPECT_EQ(static_cast<size_t>(std::count(body.begin(), body.end(), '|')) + 1, counts[i]);
    EXPECT_EQ(body.find("AAPL"), std::string::npos);
  }
  EXPECT_EQ(clock_.SleptMs(), 1000u) << "two pauses: none after the last, partial batch";
}

TEST_F(KiwoomAgentTest, ReadersTakeMalformedRepliesWithoutHarm) {
  const char* replies[] = {"",          "{",     "[]",        "null",
                           "{\"token\":5}", "{\"list\":{}}", "{\"atn_stk_infr\":[1,\"x\",{}]}",
                           "{\"acnt_evlt_remn_indv_tot\":[{\"stk_cd\":7,\"rmnd_qty\":\"1e999\"}]}"};
  for (const char* reply : replies) {
    const size_t len = std::strlen(reply);
    EXPECT_TRUE(ReadKiwoomTokenReply(reply, len).token.empty()) << reply;
    KiwoomDeposit_s deposit;
    EXPECT_FALSE(ReadKiwoomDepositReply(reply, len, &deposit)) << reply;
    BalanceReply_s balance;
    agent_.ReadBalanceReply(kMarketDomestic, reply, len, &balance);
    EXPECT_TRUE(balance.rows.empty()) << reply;
    EXPECT_EQ(agent_.ParseStockList(reply, &stocks_, 1, "KR", '1', 0, 0, nullptr), 0) << reply;
    EXPECT_EQ(agent_.ParseMultiPriceResponse(0, reply, len, &stocks_, nullptr, nullptr, nullptr), 0)
        << reply;
  }
  int64_t epoch = 0;
  EXPECT_FALSE(KiwoomDateTimeToEpoch("20261340000000", &epoch));
  ASSERT_TRUE(KiwoomDateTimeToEpoch("19700101090000", &epoch));
  EXPECT_EQ(epoch, 0) << "09:00 in Korea is midnight UTC";
}

}  // namespace
}  // namespace orv::test
