// The sandbox's DB quote stream: a client that registers a stock over secure WebSocket (the
// sandbox's CA) gets the market clock's prices pushed, with no price inquiry made.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/win/CriticalSection.h"
#include "plugin/brokers/WsQuoteThread_DBSEC.h"
#include "sandbox/Sandbox.h"
#include "sandbox/SandboxMarket.h"

namespace orv::test {
namespace {

using namespace std::chrono_literals;

TEST(SandboxQuoteStream, TheClockPushesTheRegisteredStocksPrices) {
  SandboxOptions options;
  options.tickMs = 20;
  std::string error;
  ASSERT_TRUE(ParseSandboxScript("005930 70000\n005930 70100\n005930 70200\n", SandboxStocks(),
                                 &options.script, &error))
      << error;
  Sandbox sandbox(options);
  ASSERT_TRUE(sandbox.Start(&error)) << error;
  const std::filesystem::path ca =
      std::filesystem::temp_directory_path() / ("orv-sandbox-ca-" + std::to_string(getpid()));
  ASSERT_TRUE(sandbox.Ca().WriteCertificate(ca.string()));

  Stock_s stock;
  StockViewMap quotes;
  quotes.emplace(L"005930", &stock);
  orv::win::CCriticalSection lock;
  CWsQuoteThread_DBSEC client;
  client.SetParams(("wss://" + sandbox.DbQuoteStreamHost() + "/websocket").c_str(), "k", "s",
                   SandboxAccount::kAccessToken, "J");
  client.SetCaCertPemFilePath(ca.string());
  client.SetRecordGuard(&lock, nullptr);
  ASSERT_TRUE(client.Start());
  ASSERT_TRUE(client.WaitForOpen(10000)) << client.LastTrace();
  client.SetTarget(&quotes);
  EXPECT_EQ(client.SubscribeAll(), 0) << "SetTarget subscribed the only stock";

  const auto end = std::chrono::steady_clock::now() + 10s;
  double price = 0;
  while (std::chrono::steady_clock::now() < end) {
    {
      orv::win::CSingleLock hold(&lock, TRUE);
      price = stock.cur_price;
    }
    if (price == 70200) break;
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_EQ(price, 70200) << "the script's last price was never pushed";
  EXPECT_TRUE(sandbox.Broker().RequestsTo(DbBrokerPeer::kDomesticPricePath).empty());
  client.Disconnect();
  client.Stop();
  std::filesystem::remove(ca);
}

}  // namespace
}  // namespace orv::test
