// The engine's real-time quote client: made for a logged-in DB primary agent over its
// WebSocket host, handed the domestic quote list on every round (one more subscription each),
// its pushed prices valued like a quote pass's, and ended by the logout.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/stocklib/StockAgentBase.h"
#include "platform/win/Registry.h"
#include "plugin/view/engine/PelomarEngine.h"
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
