// Broker sessions: agent keys, the broker-id table, slot logins against the DB peer, the
// market switch and the user logout.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cwchar>
#include <memory>
#include <thread>
#include <vector>

#include "platform/stocklib/StockAgentBase.h"
#include "platform/win/MessageBox.h"
#include "plugin/brokers/DbSecuAgent.h"
#include "plugin/brokers/ExchangeAgent.h"
#include "plugin/brokers/HangukSecuAgent.h"
#include "plugin/brokers/KiwoomSecuAgent.h"
#include "plugin/brokers/LsSecuAgent.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "shared/LoginInfo.h"
#include "tests/peers/ExchangePeer.h"
#include "tests/plugin/engine/BrokerPeerSetup.h"
#include "tests/plugin/engine/FakeEngineWindow.h"
#include "tests/plugin/engine/ScriptedEngine.h"

namespace {

template <size_t N>
void SetText(wchar_t (&field)[N], const wchar_t* text) {
  std::wcsncpy(field, text, N - 1);
  field[N - 1] = 0;
}

// Broker 2 gets the LS agent, for each market kind it is asked for.
TEST(AgentFactory, LsBrokerGetsTheLsAgent) {
  FakeEngineWindow window;
  CPelomarEngine engine(&window);
  for (uint8_t kind : {1, 2}) {
    CStockAgentBase* agent = engine.GetStockAgent(kind, kLsBrokerId, 1, nullptr, L"ls");
    ASSERT_NE(dynamic_cast<CLsSecuAgent*>(agent), nullptr);
    EXPECT_EQ(agent->m_brokerId, kLsBrokerId);
    EXPECT_EQ(agent->m_marketKind, kind);
    EXPECT_EQ(agent->m_accounts, &engine.Accounts());
  }
}

// Brokers 8 and 9 get the exchange agents: market kind 9, class 'b', market id 5, and the
// account entry named after the exchange and the agent key.
TEST(AgentFactory, ExchangesGetTheirAgents) {
  FakeEngineWindow window;
  CPelomarEngine engine(&window);
  const struct {
    uint8_t broker;
    const wchar_t* name;
    const wchar_t* label;
  } rows[] = {{kBithumbBrokerId, L"빗썸", L"빗썸.50801"}, {kUpBitBrokerId, L"업비트", L"업비트.50901"}};
  for (const auto& row : rows) {
    uint8_t instance = 0;
    CStockAgentBase* agent = engine.GetStockAgent(5, row.broker, 0, &instance, L"coin");
    ASSERT_NE(agent, nullptr) << int(row.broker);
    EXPECT_EQ(dynamic_cast<CBithumbAgent*>(agent) != nullptr, row.broker == kBithumbBrokerId);
    EXPECT_EQ(dynamic_cast<CUpBitAgent*>(agent) != nullptr, row.broker == kUpBitBrokerId);
    EXPECT_EQ(instance, 1);
    EXPECT_EQ(agent->m_marketKind, 9);
    EXPECT_EQ(agent->m_classLetter, 'b');
    EXPECT_EQ(agent->m_marketId, 5);
    EXPECT_EQ(agent->m_brokerId, row.broker);
    EXPECT_EQ(agent->m_key, CPelomarEngine::MakeAgentKey(5, row.broker, 1));
    EXPECT_STREQ(agent->m_brokerName, row.name);
    EXPECT_STREQ(agent->m_label, row.label);
    EXPECT_EQ(agent->m_accounts, &engine.Accounts());
    EXPECT_EQ(agent->IsConnected(), 0);
  }
  EXPECT_NE(engine.FindStockAgentByMarket(9), nullptr);
}

TEST(AgentFactory, KeysAndTheBrokerIdTable) {
  FakeEngineWindow window;
  CPelomarEngine engine(&window);
  const struct {
    uint8_t kind, broker;
    int agentKind;
    int marketId;
    uint8_t instance;  // counted per broker id
  } table[] = {
      {2, 11, 2, 2, 1},
      {0, 11, 1, 1, 2},
      {1, 5, 1, 1, 1},
      {2, 0, 1, 2, 1},
      {3, 11, 3, 3, 3},
      {3, 14, 3, 3, 1},
  };
  for (const auto& row : table) {
    uint8_t instance = 0;
    CStockAgentBase* agent = engine.GetStockAgent(row.kind, row.broker, 0, &instance, L"n");
    ASSERT_NE(agent, nullptr) << int(row.broker);
    EXPECT_EQ(instance, row.instance);
    EXPECT_NE(dynamic_cast<CDbSecuAgent*>(agent), nullptr) << int(row.broker);
    const bool hanguk = row.broker == kHangukBrokerId;
    EXPECT_EQ(dynamic_cast<CHangukSecuAgent*>(agent) != nullptr, hanguk) << int(row.broker);
    EXPECT_EQ(agent->m_marketKind, row.agentKind) << int(row.broker);
    EXPECT_EQ(agent->m_classLetter, '1') << int(row.broker);
    EXPECT_EQ(agent->m_marketId, row.marketId) << int(row.broker);
    EXPECT_EQ(agent->m_brokerId, hanguk ? kHangukBrokerId : kDbBrokerId) << int(row.broker);
    const uint32_t key = (uint32_t(row.kind) << 16) | (uint32_t(row.broker) << 8) | row.instance;
    EXPECT_EQ(agent->m_key, key);
    EXPECT_EQ(engine.FindAgent(key), agent);
    EXPECT_EQ(agent->m_accounts, &engine.Accounts());
    EXPECT_EQ(agent->m_masterStocks, &engine.Stocks().Master());
  }
  EXPECT_EQ(engine.FindStockAgentByMarket(3), engine.FindAgent(CPelomarEngine::MakeAgentKey(3, 11, 3)));
  EXPECT_EQ(engine.FindStockAgentByMarket(9), nullptr);

  // Kiwoom has its own agent, which becomes the view's data agent.
  uint8_t kiwoomInstance = 0;
  CStockAgentBase* kiwoom = engine.GetStockAgent(1, 1, 0, &kiwoomInstance, L"n");
  ASSERT_NE(dynamic_cast<CKiwoomSecuAgent*>(kiwoom), nullptr);
  EXPECT_EQ(kiwoomInstance, 1);
  EXPECT_EQ(kiwoom->m_brokerId, kKiwoomBrokerId);
  EXPECT_EQ(kiwoom->m_key, CPelomarEngine::MakeAgentKey(1, 1, 1));
  EXPECT_EQ(kiwoom->m_accounts, &engine.Accounts());
  EXPECT_EQ(engine.AgentRoles().data, kiwoom);

  // Two slots of one broker get the next instances; a stored instance finds its agent again.
  uint8_t first = 0, second = 0;
  CStockAgentBase* a = engine.GetStockAgent(1, 11, 0, &first, nullptr);
  CStockAgentBase* b = engine.GetStockAgent(1, 11, 0, &second, nullptr);
  EXPECT_EQ(first, 4);  // instances 1 to 3 went to the rows above
  EXPECT_EQ(second, 5);
  EXPECT_NE(a, b);
  EXPECT_EQ(engine.GetStockAgent(1, 11, second, nullptr, L"other"), b);

  engine.AgentRoles().primary = a;
  engine.AgentRoles().firstCoin = b;
  engine.Options().domestic.instance[0] = 2;
  engine.Options().domestic.logged_in[3] = 1;
  engine.m_chartPass.store(CPelomarEngine::kChartPassDone);
  const int agents = static_cast<int>(engine.Agents().size());
  EXPECT_EQ(engine.LogoutAllStockAgents(), agents);
  EXPECT_EQ(engine.m_chartPass.load(), CPelomarEngine::kChartPassNone);
  EXPECT_EQ(engine.DeleteAllStockAgents(), agents);
  EXPECT_TRUE(engine.Agents().empty());
  EXPECT_TRUE(engine.InstanceCounts().empty());
  EXPECT_EQ(engine.AgentRoles().primary, nullptr);
  EXPECT_EQ(engine.AgentRoles().firstCoin, b) << "kept as the logout leaves it";
  EXPECT_EQ(engine.Options().domestic.instance[0], 0);
  EXPECT_EQ(engine.Options().domestic.logged_in[3], 0);
}

class SlotLogins : public ::testing::Test {
 protected:
  SlotLogins() : engine_(&window_) {
    setup_.Prepare(engine_);
    engine_.SetLoginInfo(&login_);
    window_.serviceCheck = [this](CURL*, int broker, const char* client,
                                  const wchar_t* account) {
      checks_.push_back(std::to_string(broker) + "/" + client + "/" +
                        std::string(account, account + std::wcslen(account)));
      return 42;
    };
    auto& dom = engine_.Options().domestic;
    dom.broker_id[0] = 11;
    SetText(dom.account[0], L"11112222");
    SetText(dom.app_key[0], L"key");
    SetText(dom.app_secret[0], L"secret");
    dom.broker_id[1] = 11;
    SetText(dom.account[1], L"33334444");
    SetText(dom.app_key[1], L"key");
    SetText(dom.app_secret[1], L"wrong");
    dom.broker_id[2] = 11;  // no key: skipped
    SetText(dom.app_secret[2], L"secret");
  }

  orv::test::BrokerPeerSetup setup_;
  FakeEngineWindow window_;
  login_info_s login_;
  ScriptedEngine engine_;
  std::vector<std::string> checks_;
};

TEST_F(SlotLogins, LogsInTheDbSlotsAgainstThePeerWithTheServiceCheckAfterEachSuccess) {
  ASSERT_TRUE(setup_.Ready());
  EXPECT_EQ(engine_.LoginBrokerAgents(nullptr, 0), 2) << "made, not logged in";
  EXPECT_TRUE(setup_.peer.RequestsTo(orv::test::DbBrokerPeer::kTokenPath).empty());
  EXPECT_EQ(engine_.Options().domestic.instance[0], 1);
  EXPECT_EQ(engine_.Options().domestic.instance[1], 2);

  EXPECT_EQ(engine_.LoginBrokerAgents(nullptr, 1), 2);
  const auto& dom = engine_.Options().domestic;
  EXPECT_EQ(dom.logged_in[0], 1);
  EXPECT_EQ(dom.logged_in[1], 0);
  EXPECT_EQ(setup_.peer.RequestsTo(orv::test::DbBrokerPeer::kTokenPath).size(), 2u);
  ASSERT_EQ(checks_.size(), 1u);
  EXPECT_EQ(checks_[0], "11/orvella.auto.dbstock.pc/11112222");
  CStockAgentBase* first = engine_.FindAgent(CPelomarEngine::MakeAgentKey(1, 11, 1));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->m_userCheck[0], 42);
  EXPECT_EQ(first->m_userCheck[1], 42);
  EXPECT_EQ(engine_.AgentRoles().defaultDomestic, first);
  const auto logs = window_.Logs();
  ASSERT_EQ(logs.size(), 2u);
  EXPECT_EQ(logs[0], L"[국내] DB증권 로그인/토큰 발급: 성공 (0/)");
  EXPECT_EQ(logs[1].rfind(L"[국내] DB증권 로그인/토큰 발급: *실패* (100123/", 0), 0u) << logs[1];

  // A slot already logged in is not logged in again.
  EXPECT_EQ(engine_.LoginBrokerAgents(nullptr, 1), 2);
  EXPECT_EQ(setup_.peer.RequestsTo(orv::test::DbBrokerPeer::kTokenPath).size(), 3u);
}

// The coin slots' exchange agents log in with the user's keys from the slots: the key check on
// the exchange's account list, signed with the slot's key and secret.
TEST_F(SlotLogins, CoinSlotsLogTheirExchangeAgentsInWithTheSlotsKeys) {
  ASSERT_TRUE(setup_.Ready());
  orv::test::ExchangePeer exchange(orv::test::ExchangePeer::Kind::kUpbit, setup_.ca);
  ASSERT_TRUE(exchange.Start());
  exchange.AcceptCredentials("upbit-key", "upbit-secret");
  exchange.SetAccounts({{"KRW", 500000, 0, 0, "KRW"}});
  const std::string host = "127.0.0.1:" + std::to_string(exchange.Port());
  // Both exchanges are pointed at the one peer: Bithumb's slot signs with a secret it refuses.
  ASSERT_NE(orv::win::WriteProfileString("Settings", "BrokerHost-9", host), 0);
  ASSERT_NE(orv::win::WriteProfileString("Settings", "BrokerHost-8", host), 0);
  engine_.Options().domestic.broker_id[1] = 0;
  engine_.Options().domestic.broker_id[2] = 0;
  engine_.Options().coin_on = 1;
  auto& coin = engine_.Options().coin;
  coin.broker_id[0] = kUpBitBrokerId;
  SetText(coin.name[0], L"업비트");
  SetText(coin.account[0], L"upbit-account");
  SetText(coin.app_key[0], L"upbit-key");
  SetText(coin.app_secret[0], L"upbit-secret");
  coin.broker_id[1] = kBithumbBrokerId;
  SetText(coin.name[1], L"빗썸");
  SetText(coin.account[1], L"bithumb-account");
  SetText(coin.app_key[1], L"upbit-key");
  SetText(coin.app_secret[1], L"wrong-secret");

  EXPECT_EQ(engine_.LoginBrokerAgents(nullptr, 1), 3);
  EXPECT_EQ(coin.logged_in[0], 1);
  EXPECT_EQ(coin.logged_in[1], 0);
  CStockAgentBase* upbit = engine_.FindAgent(CPelomarEngine::MakeAgentKey(5, kUpBitBrokerId, 1));
  ASSERT_NE(dynamic_cast<CUpBitAgent*>(upbit), nullptr);
  EXPECT_EQ(engine_.AgentRoles().firstCoin, upbit);
  EXPECT_STREQ(upbit->GetAccountNoA(), "upbit-account");
  CStockAgentBase* bithumb =
      engine_.FindAgent(CPelomarEngine::MakeAgentKey(5, kBithumbBrokerId, 1));
  ASSERT_NE(dynamic_cast<CBithumbAgent*>(bithumb), nullptr);
  EXPECT_STREQ(bithumb->m_appKey, "") << "refused keys are not kept";

  const auto checks = exchange.RequestsTo(orv::test::ExchangePeer::kAccountsPath);
  ASSERT_EQ(checks.size(), 2u);
  EXPECT_EQ(exchange.TokenRefusals(), std::vector<std::string>{"bad signature"});
  const std::string claims =
      orv::test::ExchangePeer::TokenClaims(checks[0].Header("Authorization").substr(7));
  EXPECT_NE(claims.find("\"access_key\":\"upbit-key\""), std::string::npos) << claims;

  const auto logs = window_.Logs();
  EXPECT_NE(std::find(logs.begin(), logs.end(), L"[코인] 업비트 로그인/토큰 발급: 성공 (1/)"),
            logs.end());
  EXPECT_NE(std::find(logs.begin(), logs.end(),
                      L"[코인] 빗썸 로그인/토큰 발급: *실패* (905/bad signature)"),
            logs.end());
  exchange.Stop();
}

TEST_F(SlotLogins, MarketSwitchRemakesTheAgentsLogsInAndRestartsTheChain) {
  ASSERT_TRUE(setup_.Ready());
  ASSERT_EQ(engine_.CreateEvents(), 1);
  ASSERT_EQ(engine_.StartWorkerThreads(), kEngineWorkerCount);
  std::atomic<int> masterRuns{0};
  engine_.masterCodes = [&](CURL*) { return ++masterRuns; };
  engine_.Options().domestic.app_secret[1][0] = 0;  // one usable slot
  engine_.Options().domestic.broker_id[2] = 0;
  EXPECT_EQ(engine_.SwitchTradingMarket(nullptr), 1);
  EXPECT_EQ(engine_.m_quotePolling.load(), 1);
  EXPECT_NE(engine_.AgentRoles().currentLogin, nullptr);
  EXPECT_TRUE(engine_.ThreadsStarted()) << "workers run again after the switch";
  for (int i = 0; i < 2500 && masterRuns.load() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  EXPECT_EQ(masterRuns.load(), 1);

  // No usable login: polling stays off and the chain is not started.
  engine_.Options().domestic.app_secret[0][0] = 0;
  setup_.peer.RefuseToken("IGW00123", "no");
  EXPECT_EQ(engine_.SwitchTradingMarket(nullptr), 0);
  EXPECT_EQ(engine_.m_quotePolling.load(), 0);
  EXPECT_FALSE(engine_.WorkEvent(EngineWorker::kMasterCode)->IsSet());
  EXPECT_TRUE(engine_.StopWorkerThreads());
}

TEST(UserLogout, FreesTheSessionAndAsksAboutAutoLoginOnlyWhenItIsOn) {
  FakeEngineWindow window;
  login_info_s login;
  std::strcpy(login.szToken, "tok");
  login.nTokenValue = 5;
  CPelomarEngine engine(&window);
  engine.SetLoginInfo(&login);
  const std::atomic<int>& viewCleared = window.viewClears;
  const std::atomic<int>& forgotten = window.autoLoginsForgotten;
  engine.AgentRoles().primary = engine.GetStockAgent(1, 11, 0, nullptr, nullptr);
  engine.Stocks().Master().emplace(L"005930", GfxNewStock(1));

  EXPECT_EQ(engine.LogoutUser(nullptr, 1), 0);
  EXPECT_TRUE(window.boxes.empty()) << "auto-login off: never asks";
  EXPECT_EQ(viewCleared, 1);
  EXPECT_EQ(login.szToken[0], 0);
  EXPECT_EQ(login.nTokenValue, 0);
  EXPECT_TRUE(engine.Agents().empty());
  EXPECT_TRUE(engine.Stocks().Master().empty());
  EXPECT_EQ(engine.AgentRoles().primary, nullptr);

  engine.SetAutoLoginOn(true);
  engine.LogoutUser(nullptr, 0);
  EXPECT_TRUE(window.boxes.empty()) << "not asked without the ask switch";
  engine.LogoutUser(nullptr, 1);
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(forgotten, 0) << "No keeps the auto-login data";
  window.boxAnswer = IDYES;
  engine.LogoutUser(nullptr, 1);
  EXPECT_EQ(forgotten, 1);
}

}  // namespace
