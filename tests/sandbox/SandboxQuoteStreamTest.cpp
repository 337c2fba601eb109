// The sandbox's DB quote stream: a client that registers a stock over secure WebSocket (the
// sandbox's CA) gets the market clock's prices pushed, with no price inquiry made.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/support/TextConv.h"
#include "platform/win/CriticalSection.h"
#include "plugin/brokers/WsQuoteThread_DBSEC.h"
#include "plugin/brokers/WsQuoteThread_KIWOOM.h"
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
  // SetTarget subscribes the only stock on the quote thread; when that has not happened yet,
  // SubscribeAll does it. Either way the stock is subscribed once.
  EXPECT_LE(client.SubscribeAll(), 1);

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

// The Kiwoom stream lists the user's conditions, answers the first with a sandbox stock, and the
// clock has stocks enter and then leave the running searches.
TEST(SandboxQuoteStream, KiwoomStreamListsConditionsAndPushesEntriesAndExits) {
  SandboxOptions options;
  options.tickMs = 20;
  Sandbox sandbox(options);
  std::string error;
  ASSERT_TRUE(sandbox.Start(&error)) << error;
  const std::filesystem::path ca =
      std::filesystem::temp_directory_path() / ("orv-sandbox-kca-" + std::to_string(getpid()));
  ASSERT_TRUE(sandbox.Ca().WriteCertificate(ca.string()));

  std::mutex mutex;
  std::wstring list;
  std::vector<std::wstring> matches;
  std::set<std::wstring> entered;
  std::set<std::wstring> left;
  KiwoomConditionSink_s sink;
  sink.list = [&](const std::vector<KiwoomCondition_s>& conditions) {
    std::lock_guard<std::mutex> lock(mutex);
    list = KiwoomConditionListText(conditions);
  };
  sink.result = [&](const KiwoomCondition_s&, const std::vector<KiwoomConditionHit_s>& hits) {
    std::lock_guard<std::mutex> lock(mutex);
    for (const auto& hit : hits) matches.push_back(hit.code);
  };
  sink.event = [&](const KiwoomCondition_s& condition, const KiwoomConditionEvent_s& event) {
    std::lock_guard<std::mutex> lock(mutex);
    (event.kind == L'I' ? entered : left).insert(condition.name + L" " + event.code);
  };
  CWsQuoteThread_KIWOOM client;
  client.SetParams(("wss://" + sandbox.KiwoomStreamHost() + "/api/dostk/websocket").c_str(),
                   SandboxAccount::kAppKey, SandboxAccount::kAppSecret,
                   SandboxAccount::kAccessToken, "");
  client.SetCaCertPemFilePath(ca.string());
  client.SetConditionSink(sink);
  ASSERT_TRUE(client.Start());

  // Something that entered has also left (the same condition and stock).
  const auto end = std::chrono::steady_clock::now() + 10s;
  bool both = false;
  while (!both && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(20ms);
    std::lock_guard<std::mutex> lock(mutex);
    for (const auto& e : entered) both = both || left.count(e) != 0;
  }
  std::lock_guard<std::mutex> lock(mutex);
  EXPECT_TRUE(both) << client.LastTrace();
  EXPECT_EQ(list, L"0^급등주 포착;1^거래량 급증;2^눌림목 매수;");
  EXPECT_EQ(matches, std::vector<std::wstring>{Utf8ToWide(SandboxStocks().front().code)});
  client.Disconnect();
  client.Stop();
  std::filesystem::remove(ca);
}

}  // namespace
}  // namespace orv::test
