#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "platform/support/TextConv.h"
#include "platform/win/Registry.h"
#include "plugin/brokers/BrokerHosts.h"
#include "plugin/brokers/DbSecuAgent.h"
#include "tests/peers/DbBrokerPeer.h"
#include "tests/plugin/brokers/TestCaFile.h"

namespace orv::test {
namespace {

using namespace std::chrono_literals;

// A DB agent logged in (or not) against an HTTPS DB peer that trusts the test CA.
class DbAgentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(peer_.Start());
    peer_.AcceptCredentials("key", "secret");
    agent_.SetHostUrlA(peer_.BaseUrl().c_str());
    agent_.SetCaCertPemFilePath(SharedCaFileW().c_str());
    agent_.SetAccListPtr(&accounts_);
  }

  int LogIn(const char* key = "key", const char* secret = "secret") {
    code_ = -99;
    message_[0] = L'?';
    return agent_.LoginA(nullptr, "12345678", key, secret, &code_, message_, 200);
  }

  BalanceQueryArgs_s Args(group_info_s* totals) {
    BalanceQueryArgs_s args;
    args.totals = totals;
    args.holdings = &holdings_;
    args.options = nullptr;
    args.stocks = &stocks_;
    args.outCodes = &codes_;
    args.feeRateDomestic = 0.015;
    args.feeRateOther = 0.25;
    args.taxRate = 0.2;
    args.outResult = &result_;
    args.outTransfer = &transfer_;
    args.callbackContext = this;
    args.callback = [](void* context, int index, int kind, uint32_t flags, const wchar_t* code,
                       const wchar_t*, uint8_t, double, double, double, double, int, int, int,
                       void*) {
      auto* self = static_cast<DbAgentTest*>(context);
      self->added_.push_back(code);
      EXPECT_GT(index, 0);
      EXPECT_EQ(kind, 1);
      EXPECT_EQ(flags, 0x100u);
      return 0;
    };
    return args;
  }

  int Balance(uint8_t market = kMarketDomestic) {
    group_info_s* totals =
        market == kMarketDomestic ? &agent_.m_domesticRecord : &agent_.m_accountRecord;
    return agent_.QueryBalance(nullptr, market, 0, 0, Args(totals));
  }

  StockTrade_s* Held(const wchar_t* code) {
    for (auto& [holding, index] : holdings_) {
      if (std::wstring(holding->code) == code) return holding;
    }
    return nullptr;
  }

  DbBrokerPeer peer_{SharedCa()};
  CDbSecuAgent agent_{kMarketDomestic, L"main", '1', kDbBrokerId, 1, 1, 1500.0, 40};
  GroupInfoMap accounts_;
  OwningStockMap stocks_;
  OwningHoldingMap holdings_;
  std::wstring codes_;
  std::vector<std::wstring> added_;
  int32_t result_ = -5;
  int32_t transfer_ = -5;
  int code_ = 0;
  wchar_t message_[200]{};
};

TEST(DbAgentConstructionTest, SetsTheBrokersValues) {
  CDbSecuAgent named(kMarketDomestic, L"main", '1', kDbBrokerId, 2, 1, 1500.0, 40);
  EXPECT_EQ(named.m_key, (1u << 16) | (11u << 8) | 2u);
  EXPECT_STREQ(named.m_label, L"DB.main.2");
  EXPECT_EQ(named.m_accountRecord.label, L"DB.main.2");
  EXPECT_STREQ(named.m_brokerName, L"DB증권");
  EXPECT_STREQ(named.m_clientName, "orvella.auto.dbstock.pc");
  EXPECT_EQ(std::string(named.m_baseUrl), "https://" + std::string(kDbBrokerDefaultHost));
  EXPECT_EQ(std::string(named.m_wsUrl),
            "wss://" + std::string(kDbBrokerDefaultWsHost) + "/websocket");
  EXPECT_EQ(named.m_pollInterval, 1000u);
  EXPECT_EQ(named.m_chartPause, 500);
  EXPECT_EQ(named.m_tuning3, 50);
  EXPECT_EQ(named.m_reservedByte, 40);
  EXPECT_EQ(named.AccessToken(), "");
  EXPECT_EQ(named.RequestTimeout(), 20000);

  CDbSecuAgent unnamed(kMarketOverseas, nullptr, '1', kDbBrokerId, 1, 2, 1500.0, 40);
  EXPECT_EQ(std::wstring(unnamed.m_label), L"DB." + std::to_wstring(unnamed.m_key));
  EXPECT_EQ(unnamed.SetServerUrl(L"https://x"), 0);
  EXPECT_EQ(unnamed.QueryAccountsA(nullptr, "k", "s", nullptr, nullptr, 0), -1);
  wchar_t buf[20] = L"junk";
  EXPECT_STREQ(unnamed.GetAccountNo(buf, 20), L"");
}

TEST_F(DbAgentTest, TokenRequestIsAFormPostWithoutAuthorization) {
  peer_.AcceptCredentials("k+y/1", "s&c=2");
  ASSERT_EQ(LogIn("k+y/1", "s&c=2"), 1);
  EXPECT_EQ(code_, 0);
  EXPECT_STREQ(message_, L"");
  const auto requests = peer_.RequestsTo(DbBrokerPeer::kTokenPath);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].Header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_FALSE(requests[0].HasHeader("Authorization"));
  EXPECT_EQ(requests[0].body,
            "grant_type=client_credentials&appkey=k%2By%2F1&appsecretkey=s%26c%3D2&scope=oob");
  EXPECT_EQ(agent_.AccessToken(), peer_.Token());
  EXPECT_EQ(agent_.IsConnected(), 1);
}

TEST_F(DbAgentTest, AlphanumericCredentialsAreSentUnchanged) {
  peer_.AcceptCredentials("PSabc123", "Zz9");
  ASSERT_EQ(LogIn("PSabc123", "Zz9"), 1);
  EXPECT_EQ(peer_.RequestsTo(DbBrokerPeer::kTokenPath)[0].body,
            "grant_type=client_credentials&appkey=PSabc123&appsecretkey=Zz9&scope=oob");
}

TEST_F(DbAgentTest, RefusedTokenGivesTheBrokersCodeAndMessage) {
  EXPECT_EQ(LogIn("key", "wrong"), 0);
  EXPECT_EQ(code_, 100123);
  EXPECT_STREQ(message_, L"invalid appkey or appsecretkey");
  EXPECT_EQ(agent_.AccessToken(), "");

  peer_.RefuseToken("EGW00001", "잠시 후 다시 시도");
  EXPECT_EQ(LogIn(), 0);
  EXPECT_EQ(code_, -10000);
  EXPECT_STREQ(message_, L"잠시 후 다시 시도");
}

TEST_F(DbAgentTest, LoginThroughAnUntrustedPeerNamesTheCertificateProblem) {
  // The agent trusts another authority than the one that certified the peer.
  TestCa other("Unrelated Test CA");
  const std::string caFile = testing::TempDir() + "/db_agent_other_ca.pem";
  ASSERT_TRUE(other.WriteCertificate(caFile));
  agent_.SetCaCertPemFilePath(Utf8ToWide(caFile).c_str());
  EXPECT_EQ(LogIn(), 0);
  EXPECT_EQ(agent_.LastTransferCode(), static_cast<unsigned>(CURLE_PEER_FAILED_VERIFICATION));
  const std::wstring message = message_;
  EXPECT_NE(message.find(L"SSL certificate problem: unable to get local issuer certificate"),
            std::wstring::npos)
      << WideToUtf8(message);
}

TEST_F(DbAgentTest, TokenLifetimeIsClamped) {
  const struct {
    const char* expiresIn;
    int32_t lifetime;
  } cases[] = {{"0", 86400},       {"-5", 86400}, {"900000", 864000},  {"\"3600\"", 3600},
               {"864000", 864000}, {"1", 1},      {"\"junk\"", 86400}, {"99999999999", 864000}};
  for (const auto& c : cases) {
    peer_.SetToken("tok", c.expiresIn);
    ASSERT_EQ(LogIn(), 1) << c.expiresIn;
    EXPECT_EQ(agent_.m_tokenLifetime, c.lifetime) << c.expiresIn;
  }
}

TEST_F(DbAgentTest, EmptyKeyOrSecretSendsNothing) {
  EXPECT_EQ(LogIn("", "secret"), 0);
  EXPECT_EQ(LogIn("key", ""), 0);
  EXPECT_EQ(code_, 0);
  EXPECT_STREQ(message_, L"");
  EXPECT_TRUE(peer_.Requests().empty());
}

TEST_F(DbAgentTest, WideLoginWithoutKeyUsesTheStoredCredentials) {
  int code = 0;
  wchar_t message[50]{};
  ASSERT_EQ(agent_.Login(nullptr, L"111", L"key", L"secret", &code, message, 50), 1);
  EXPECT_STREQ(agent_.m_account, "111");
  ASSERT_EQ(agent_.Login(nullptr, L"", L"", L"", &code, message, 50), 1);
  EXPECT_STREQ(agent_.m_appKey, "key");
  EXPECT_EQ(peer_.RequestsTo(DbBrokerPeer::kTokenPath).size(), 2u);
}

TEST_F(DbAgentTest, LaterRequestsCarryTheBearerTokenAndJson) {
  ASSERT_EQ(LogIn(), 1);
  group_info_s* record = nullptr;
  ASSERT_EQ(agent_.QueryDeposit(nullptr, &accounts_, &record, 0), 1);
  const auto requests = peer_.RequestsTo(DbBrokerPeer::kDepositPath);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].Header("Authorization"), "Bearer " + peer_.Token());
  EXPECT_EQ(requests[0].Header("Content-Type"), "application/json; charset=utf-8");
  EXPECT_EQ(requests[0].Header("cont_yn"), "N");
  EXPECT_EQ(requests[0].body, "{ \"In\": {} }");
}

TEST_F(DbAgentTest, LogoutRevokesTheToken) {
  EXPECT_EQ(agent_.Logout(), kDbRevokeNotSent) << "nothing to revoke before a login";
  ASSERT_EQ(LogIn(), 1);
  agent_.m_balancePasses = 3;
  EXPECT_EQ(agent_.Logout(), 200);
  EXPECT_EQ(agent_.m_balancePasses, 0);
  EXPECT_EQ(agent_.IsConnected(), 0);
  const auto requests = peer_.RequestsTo(DbBrokerPeer::kRevokePath);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].Header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(requests[0].Header("Authorization"), "Bearer " + peer_.Token());
  EXPECT_EQ(requests[0].body, "token=" + peer_.Token() +
                                  "&token_type_hint=access_token&appkey=key&appsecretkey=secret");

  peer_.SetRevokeReply("{\"message\":\"done\"}");
  ASSERT_EQ(LogIn(), 1);
  EXPECT_EQ(agent_.Logout(), kDbRevokeNoCode);

  ASSERT_EQ(LogIn(), 1);
  peer_.Stop();
  EXPECT_EQ(agent_.Logout(), kDbRevokeNotSent) << "no reply came";
}

TEST_F(DbAgentTest, DepositIsFiledUnderTheLabelWithoutRegardToCase) {
  ASSERT_EQ(LogIn(), 1);
  group_info_s other;
  accounts_[L"db.MAIN.1"] = &other;
  peer_.SetDeposit({1000, 900, 50, 1100});
  group_info_s* record = nullptr;
  ASSERT_EQ(agent_.QueryDeposit(nullptr, &accounts_, &record, 0), 1);
  EXPECT_EQ(record, &other) << "the record already filed under the label is written";
  EXPECT_EQ(accounts_.size(), 1u);
  EXPECT_DOUBLE_EQ(other.deposit, 1000);
  EXPECT_DOUBLE_EQ(other.withdrawable, 900);
  EXPECT_DOUBLE_EQ(other.margin, 50);
  EXPECT_DOUBLE_EQ(other.next_day_deposit, 1100);

  ASSERT_EQ(agent_.QueryDeposit(nullptr, &accounts_, &record, 1), 1) << "clear first";
  EXPECT_EQ(record, &agent_.m_accountRecord);
  EXPECT_EQ(accounts_.size(), 1u);
}

TEST_F(DbAgentTest, DepositFiguresMayComeAsText) {
  group_info_s* record = nullptr;
  const char reply[] = "{\"Out1\":{\"DpsBalAmt\":\"1500.5\",\"WthdwAbleAmt\":7}}";
  ASSERT_EQ(agent_.ParseDepositResponse(reply, sizeof reply - 1, &accounts_, &record, 0), 1);
  EXPECT_DOUBLE_EQ(record->deposit, 1500.5);
  EXPECT_DOUBLE_EQ(record->withdrawable, 7);
  EXPECT_DOUBLE_EQ(record->margin, 0);
}

TEST_F(DbAgentTest, RefusedOrFailedDepositLeavesTheRecord) {
  ASSERT_EQ(LogIn(), 1);
  agent_.m_accountRecord.deposit = 777;
  peer_.Refuse(DbBrokerPeer::kDepositPath, "IGW00201", "조회 불가");
  group_info_s* record = nullptr;
  EXPECT_EQ(agent_.QueryDeposit(nullptr, &accounts_, &record, 0), 0);
  EXPECT_DOUBLE_EQ(agent_.m_accountRecord.deposit, 777);
  EXPECT_EQ(agent_.GetLastMessage(), L"조회 불가");
  EXPECT_TRUE(accounts_.empty());

  const char notJson[] = "<html>";
  EXPECT_EQ(agent_.ParseDepositResponse(notJson, 6, &accounts_, &record, 0), 0);
  EXPECT_EQ(agent_.ParseDepositResponse("", 0, &accounts_, &record, 0), 0);
  EXPECT_EQ(record, nullptr);

  agent_.SetHostUrlA("https://127.0.0.1:1");  // nothing listens there
  group_info_s stale;
  record = &stale;
  EXPECT_EQ(agent_.QueryDeposit(nullptr, &accounts_, &record, 0), 0);
  EXPECT_EQ(record, nullptr);
  EXPECT_DOUBLE_EQ(agent_.m_accountRecord.deposit, 777);
}

TEST_F(DbAgentTest, DomesticRowsBecomeHoldingsWithFeesAndProfit) {
  ASSERT_EQ(LogIn(), 1);
  DbHoldingRow samsung{"A005930", "삼성전자", 12, 10, 70000, 71000, 0, 30, 0, false};
  DbHoldingRow credit{"A000660", "SK하이닉스", 3, -1, 120000, 118000, 500, 0, 20250110, true};
  DbHoldingRow empty{"A035720", "카카오", 0, 0, 50000, 50000, 0, 0, 0, false};
  DbDomesticTotals totals{1060000, 1064000, 1, 2, 3, 4, 5, 6};
  peer_.SetDomesticBalance(totals, {samsung, credit, empty});

  EXPECT_EQ(Balance(), 2);
  EXPECT_EQ(result_, 2);
  EXPECT_EQ(transfer_, 0);
  const auto requests = peer_.RequestsTo(DbBrokerPeer::kDomesticBalancePath);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].body, "{ \"In\": { \"QryTpCode\": \"0\"} }");

  StockTrade_s* h = Held(L"005930");
  ASSERT_NE(h, nullptr);
  EXPECT_DOUBLE_EQ(h->quantity, 10) << "the orderable quantity";
  EXPECT_DOUBLE_EQ(h->purchase, 700000);
  EXPECT_DOUBLE_EQ(h->commission, 700000 * 0.015 / 100) << "computed when the reply has none";
  EXPECT_DOUBLE_EQ(h->tax, 30);
  EXPECT_DOUBLE_EQ(h->cost_per_share, (700000 + 105 + 30) / 10.0);
  EXPECT_DOUBLE_EQ(h->valuation, 710000);
  EXPECT_DOUBLE_EQ(h->profit, (71000 - h->cost_per_share) * 10);
  EXPECT_GT(h->profit_rate, 0);
  EXPECT_EQ(h->holding_kind, 1);
  EXPECT_EQ(h->broker_id, kDbBrokerId);
  EXPECT_EQ(h->account_no, static_cast<int32_t>(agent_.m_key));
  EXPECT_DOUBLE_EQ(h->steps[0], -100.0);
  EXPECT_GT(h->sell_split_qty, 0);
  ASSERT_NE(h->stock, nullptr);
  EXPECT_EQ(h->stock->holding, h);
  EXPECT_EQ(h->stock->name, L"삼성전자");
  EXPECT_DOUBLE_EQ(h->stock->cur_price, 71000);

  StockTrade_s* c = Held(L"000660");
  ASSERT_NE(c, nullptr);
  EXPECT_DOUBLE_EQ(c->quantity, 3) << "the balance quantity when no orderable one is given";
  EXPECT_EQ(c->holding_kind, 2);
  EXPECT_EQ(c->loan_date, 20250110);
  EXPECT_STREQ(c->loan_date_text, L"20250110");
  EXPECT_DOUBLE_EQ(c->commission, 500);
  EXPECT_EQ(Held(L"035720"), nullptr) << "a row without quantity is skipped";

  EXPECT_EQ(added_.size(), 2u);
  EXPECT_EQ(codes_, L"005930,000660,");
  const group_info_s& account = agent_.m_domesticRecord;
  EXPECT_DOUBLE_EQ(account.eval_total, 1064000);
  EXPECT_DOUBLE_EQ(account.today_buy, 1);
  EXPECT_DOUBLE_EQ(account.credit_amount, 2);
  EXPECT_DOUBLE_EQ(account.deposit_asset, 3);
  EXPECT_DOUBLE_EQ(account.cash, 4);
  EXPECT_DOUBLE_EQ(account.today_sell, 5);
  EXPECT_DOUBLE_EQ(account.realized_profit, 6);
  EXPECT_EQ(account.holding_count, 2);
  EXPECT_NEAR(agent_.LastBalanceSummary().profitRate, 4000 * 100.0 / 1060000, 1e-9);
  EXPECT_EQ(agent_.m_balanceCount, 2);
}

TEST_F(DbAgentTest, NextPassUpdatesHoldingsInPlaceAndDropsSoldOutOnes) {
  ASSERT_EQ(LogIn(), 1);
  DbHoldingRow a{"A005930", "삼성전자", 10, 10, 70000, 71000};
  DbHoldingRow b{"A000660", "SK하이닉스", 3, 3, 120000, 118000};
  peer_.SetDomesticBalance({}, {a, b});
  ASSERT_EQ(Balance(), 2);
  StockTrade_s* kept = Held(L"005930");
  const size_t stocks = stocks_.size();

  a.ableQty = 8;
  a.nowPrice = 72000;
  peer_.SetDomesticBalance({}, {a});
  agent_.m_balancePasses = 1;
  EXPECT_EQ(Balance(), 1);
  EXPECT_EQ(Held(L"005930"), kept);
  EXPECT_DOUBLE_EQ(kept->quantity, 8);
  EXPECT_EQ(kept->quantity_trend, 2);
  EXPECT_EQ(kept->changed_mark, 0) << "the average price did not move";
  EXPECT_DOUBLE_EQ(kept->valuation, 576000);
  EXPECT_EQ(Held(L"000660"), nullptr);
  EXPECT_EQ(holdings_.size(), 1u);
  EXPECT_EQ(stocks_.size(), stocks) << "known stocks are not added again";
  EXPECT_EQ(agent_.m_balanceCount, 2) << "one parsed and one filtered";

  a.avgPrice = 69000;
  peer_.SetDomesticBalance({}, {a});
  EXPECT_EQ(Balance(), 1);
  EXPECT_EQ(kept->changed_mark, 1);
  EXPECT_EQ(kept->quantity_trend, 0);
}

TEST_F(DbAgentTest, OverseasBalanceUsesItsOwnPathAndFields) {
  CDbSecuAgent overseas(kMarketOverseas, L"us", '1', kDbBrokerId, 1, 2, 1500.0, 40);
  overseas.SetHostUrlA(peer_.BaseUrl().c_str());
  overseas.SetCaCertPemFilePath(SharedCaFileW().c_str());
  int code = 0;
  ASSERT_EQ(overseas.LoginA(nullptr, "", "key", "secret", &code, nullptr, 0), 1);
  DbHoldingRow apple{"AAPL", "애플", 0, 4, 150.5, 160.25, 1.5, 0.5};
  peer_.SetOverseasBalance({602, 1000, 2000, 1.5, 0.5}, {apple});
  EXPECT_EQ(overseas.QueryBalance(nullptr, kMarketOverseas, 0, 0, Args(&overseas.m_accountRecord)),
            1);
  const auto requests = peer_.RequestsTo(DbBrokerPeer::kOverseasBalancePath);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].body,
            "{ \"In\": { \"TrxTpCode\":\"2\", \"CmsnTpCode\": \"2\",\"WonFcurrTpCode\": \"2\","
            "\"DpntBalTpCode\": \"0\"} }");
  StockTrade_s* h = Held(L"AAPL");
  ASSERT_NE(h, nullptr);
  EXPECT_DOUBLE_EQ(h->quantity, 4);
  EXPECT_DOUBLE_EQ(h->avg_price, 150.5);
  EXPECT_DOUBLE_EQ(h->commission, 1.5);
  EXPECT_DOUBLE_EQ(overseas.m_accountRecord.cash, 1000);
  EXPECT_DOUBLE_EQ(overseas.m_accountRecord.deposit_asset, 2000);
}

TEST_F(DbAgentTest, RefusedOrUnparsableBalanceDropsNothing) {
  ASSERT_EQ(LogIn(), 1);
  peer_.SetDomesticBalance({}, {{"A005930", "삼성전자", 10, 10, 70000, 71000}});
  ASSERT_EQ(Balance(), 1);
  peer_.Refuse(DbBrokerPeer::kDomesticBalancePath, "IGW00300", "잔고 조회 실패");
  EXPECT_EQ(Balance(), 0);
  EXPECT_EQ(holdings_.size(), 1u);
  EXPECT_EQ(agent_.GetLastMessage(), L"잔고 조회 실패");

  const char garbage[] = "{\"Out\":";
  EXPECT_EQ(agent_.ParseBalanceResponse(1, 0, 0, garbage, sizeof garbage - 1,
                                        Args(&agent_.m_domesticRecord)),
            0);
  EXPECT_EQ(holdings_.size(), 1u);
}

TEST_F(DbAgentTest, RequestsWithoutAValidTokenAreRefusedByThePeer) {
  group_info_s* record = nullptr;
  agent_.LoginA(nullptr, "", "key", "secret", &code_, nullptr, 0);
  agent_.Logout();
  peer_.SetToken("rotated");
  EXPECT_EQ(agent_.QueryDeposit(nullptr, &accounts_, &record, 0), 0);
  EXPECT_EQ(agent_.GetLastMessage(), L"invalid access token");
}

TEST_F(DbAgentTest, StopFlagAbortsARequestInProgress) {
  ASSERT_EQ(LogIn(), 1);
  peer_.SetDelay(DbBrokerPeer::kDomesticBalancePath, 60s);
  std::atomic<int> stop{0};
  agent_.SetStopFlag(&stop);
  std::thread stopper([&] {
    peer_.Http().WaitForRequests(2, 10s);
    stop = 1;
  });
  EXPECT_EQ(Balance(), 0);
  stopper.join();
  EXPECT_EQ(transfer_, CURLE_ABORTED_BY_CALLBACK);
}

TEST(BrokerHostsTest, SettingsOverrideTheProductionHost) {
  EXPECT_EQ(BrokerHostKey(11), "BrokerHost-11");
  // With no settings file open the production host is used.
  EXPECT_EQ(ReadBrokerHost(11, kDbBrokerDefaultHost), kDbBrokerDefaultHost);

  char pattern[] = "/tmp/orv-hosts-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const char* previous = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = previous ? previous : "";
  setenv("XDG_CONFIG_HOME", pattern, 1);
  ASSERT_TRUE(orv::win::AppRegistry().Open("OrvellaTest", "Settings.ini"));
  ASSERT_TRUE(orv::win::WriteProfileString("Settings", "BrokerHost-11", " 127.0.0.1:9443 "));
  EXPECT_EQ(ReadBrokerHost(11, kDbBrokerDefaultHost), "127.0.0.1:9443");
  EXPECT_EQ(ReadBrokerHost(14, "other:1"), "other:1");
  CDbSecuAgent agent(kMarketDomestic, nullptr, '1', 99, 1, 1, 1500.0, 40);
  EXPECT_STREQ(agent.m_baseUrl, "https://127.0.0.1:9443") << "the DB host, whatever the id";
  orv::win::AppRegistry().Open("", "");
  if (previous) {
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}

}  // namespace
}  // namespace orv::test
