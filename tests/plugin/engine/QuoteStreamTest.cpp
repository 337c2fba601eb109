// The engine's real-time quote client: made for a logged-in DB primary agent over its
// WebSocket host, handed the domestic quote list on every round (one more subscription each),
// its pushed prices valued like a quote pass's, and ended by the logout.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <set>
#include <string>
#include <vector>
#include <thread>

#include "platform/stocklib/StockAgentBase.h"
#include "platform/win/Registry.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "tests/peers/KiwoomBrokerPeer.h"
#include "tests/peers/WsQuotePeer.h"
#include "tests/plugin/engine/BrokerPeerSetup.h"
#include "tests/plugin/engine/FakeEngineWindow.h"

using namespace std::chrono_literals;

namespace {

bool WaitUntil(const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + 10s;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

TEST(EngineQuoteStream, DbPrimaryAgentStreamsPricesIntoTheQuoteListUntilLogout) {
  orv::test::BrokerPeerSetup setup;
  ASSERT_TRUE(setup.Ready());
  setup.peer.AcceptCredentials("key", "secret");
  setup.peer.SetToken("stream-token");
  orv::test::DbQuoteStreamPeer stream(setup.ca);
  ASSERT_TRUE(stream.Start());
  ASSERT_NE(orv::win::WriteProfileString("Settings", "BrokerWsHost-11", stream.Socket().Host()), 0);

  FakeEngineWindow window;
  CPelomarEngine engine(&window);
  setup.Prepare(engine);
  CStockAgentBase* agent = engine.GetStockAgent(1, 11, 0, nullptr, nullptr);
  ASSERT_NE(agent, nullptr);
  EXPECT_EQ(engine.StartQuoteWebSockets(agent, 1), 0) << "no token yet";
  ASSERT_EQ(agent->Login(nullptr, L"11112222", L"key", L"secret", nullptr, nullptr, 0), 1);
  engine.AgentRoles().primary = agent;
  Stock_s* stock = GfxNewStock(1);
  engine.Stocks().Master().emplace(L"005930", stock);
  engine.QuoteList(0).emplace(L"005930", stock);

  ASSERT_EQ(engine.RestartQuoteWebSockets(agent), 1);
  ASSERT_TRUE(stream.Socket().WaitFor([&] { return stream.Socket().OpenConnections() == 1; }, 10s));
  // The quote worker's rounds hand the list over again until the stock is subscribed.
  EXPECT_TRUE(WaitUntil([&] {
    engine.StartQuoteWebSockets(agent, 1);
    return stream.Subscribed().count("005930") == 1;
  }));
  ASSERT_FALSE(stream.Socket().Frames().empty());
  EXPECT_NE(stream.Socket().Frames()[0].text.find("\"token\": \"stream-token\""),
            std::string::npos);

  engine.m_quotesApplied.store(0);
  ASSERT_EQ(stream.PushQuote("005930", 72300, 4000, 1.8), 1);
  EXPECT_TRUE(WaitUntil([&] { return engine.m_quotesApplied.load() == 1; }))
      << "the pushed price was not applied like a quote pass";
  {
    orv::win::CSingleLock lock(&engine.ViewLock(), TRUE);
    EXPECT_EQ(stock->cur_price, 72300);
    EXPECT_DOUBLE_EQ(stock->change_rate, 1.8);
  }

  engine.LogoutUser(nullptr, 0);
  EXPECT_FALSE(engine.QuoteStreamRunning());
  ASSERT_TRUE(stream.Socket().WaitFor([&] { return !stream.Socket().Closes().empty(); }, 10s));
  EXPECT_EQ(stream.Socket().Closes()[0].code, 1000);
  EXPECT_EQ(stream.Socket().Closes()[0].reason, "User disconnect");
}

// A Kiwoom primary agent's stream runs the user's condition searches and hands the list, the
// current matches and the entries and exits to the feed a window set, until it removes it.
TEST(EngineQuoteStream, KiwoomPrimaryStreamFeedsConditionSearches) {
  orv::test::BrokerPeerSetupFor<orv::test::KiwoomBrokerPeer, 1> setup;
  ASSERT_TRUE(setup.Ready());
  setup.peer.AcceptCredentials("key", "secret");
  setup.peer.SetToken("stream-token");
  orv::test::KiwoomQuoteStreamPeer stream(setup.ca);
  stream.SetConditions({{0, "급등주"}, {1, "거래량 급증"}});
  stream.SetMatches(1, {"005930"});
  ASSERT_TRUE(stream.Start());
  ASSERT_NE(orv::win::WriteProfileString("Settings", "BrokerWsHost-1", stream.Socket().Host()), 0);

  FakeEngineWindow window;
  CPelomarEngine engine(&window);
  setup.Prepare(engine);
  CStockAgentBase* agent = engine.GetStockAgent(1, 1, 0, nullptr, nullptr);
  ASSERT_NE(agent, nullptr);
  int code = 0;
  wchar_t error[256]{};
  ASSERT_EQ(agent->LoginA(nullptr, "11112222", "key", "secret", &code, error, 256), 1);
  engine.AgentRoles().primary = agent;

  std::mutex mutex;
  std::vector<std::wstring> fed;
  auto add = [&](std::wstring line) {
    std::lock_guard<std::mutex> lock(mutex);
    fed.push_back(std::move(line));
  };
  auto lines = [&] {
    std::lock_guard<std::mutex> lock(mutex);
    return fed;
  };
  CPelomarEngine::ConditionFeed_s feed;
  feed.list = [&](const std::wstring& list) { add(L"list " + list); };
  feed.result = [&](const std::wstring& matches, const std::wstring& name) {
    add(L"result " + name + L" " + matches);
  };
  feed.event = [&](const std::wstring& code, const std::wstring& type, const std::wstring& name) {
    add(L"event " + name + L" " + code + L" " + type);
  };
  engine.SetConditionFeed(feed);
  EXPECT_FALSE(engine.RestartConditionSearches()) << "no stream yet";

  ASSERT_EQ(engine.RestartQuoteWebSockets(agent), 1);
  ASSERT_TRUE(WaitUntil([&] { return stream.Started() == std::set<int>{0, 1}; }));
  ASSERT_TRUE(WaitUntil([&] { return lines().size() >= 3; }));
  ASSERT_EQ(stream.PushConditionEvent(0, "000660", 'I'), 1);
  ASSERT_TRUE(WaitUntil([&] { return lines().size() >= 4; }));
  EXPECT_EQ(lines(), (std::vector<std::wstring>{L"list 0^급등주;1^거래량 급증;",
                                                L"result 급등주 ", L"result 거래량 급증 005930^10000;",
                                                L"event 급등주 000660 I"}));
  EXPECT_TRUE(engine.RestartConditionSearches());
  ASSERT_TRUE(WaitUntil([&] { return lines().size() >= 5; }));
  EXPECT_EQ(lines()[4], L"list 0^급등주;1^거래량 급증;");

  // A removed feed is not called again.
  engine.SetConditionFeed({});
  const size_t before = lines().size();
  ASSERT_TRUE(WaitUntil([&] { return stream.Started() == std::set<int>{0, 1}; }));
  stream.PushConditionEvent(0, "000660", 'D');
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(lines().size(), before);
  engine.LogoutUser(nullptr, 0);
}

TEST(EngineQuoteStream, BrokersWithoutAStreamStartNothing) {
  FakeEngineWindow window;
  CPelomarEngine engine(&window);
  EXPECT_EQ(engine.StartQuoteWebSockets(nullptr, 1), 0);
  CStockAgentBase* ls = engine.GetStockAgent(1, 2, 0, nullptr, nullptr);
  ASSERT_NE(ls, nullptr);
  EXPECT_EQ(engine.StartQuoteWebSockets(ls, 1), 0);
  EXPECT_FALSE(engine.QuoteStreamRunning());
  EXPECT_EQ(engine.StartQuoteWebSockets(ls, 0), 0);
}

}  // namespace
