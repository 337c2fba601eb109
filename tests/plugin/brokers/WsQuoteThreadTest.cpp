// The real-time quote clients against a secure WebSocket peer on loopback that verifies nothing
// itself but records every frame: the DB subscriptions and price messages, the Kiwoom log-in
// and registrations, the start and stop rules and the TLS checks.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/win/CriticalSection.h"
#include "plugin/brokers/QuoteFrames.h"
#include "plugin/brokers/WsQuoteThread_DBSEC.h"
#include "plugin/brokers/WsQuoteThread_HANA.h"
#include "plugin/brokers/WsQuoteThread_KIWOOM.h"
#include "tests/peers/WsQuotePeer.h"
#include "tests/plugin/brokers/TestCaFile.h"

using orv::test::DbQuoteStreamPeer;
using orv::test::SharedCa;
using orv::test::SharedCaFile;
using orv::test::WsQuotePeer;
using namespace std::chrono_literals;

namespace {

constexpr auto kBound = 10s;
constexpr const char* kToken = "ws-access-token";

// Records of a quote list, as the owner keeps them, with the owner's lock.
struct QuoteList {
  std::vector<std::unique_ptr<Stock_s>> records;
  StockViewMap map;
  orv::win::CCriticalSection lock;
  std::atomic<int> pricesWritten{0};

  explicit QuoteList(const std::vector<std::wstring>& codes) {
    for (const std::wstring& code : codes) Add(code);
  }
  void Add(const std::wstring& code) {
    auto stock = std::make_unique<Stock_s>();
    code.copy(stock->code, code.size());
    orv::win::CSingleLock hold(&lock, TRUE);
    map.emplace(code, stock.get());
    records.push_back(std::move(stock));
  }
  Stock_s* Find(const std::wstring& code) {
    orv::win::CSingleLock hold(&lock, TRUE);
    return map.Find(code.c_str());
  }
  template <class Client>
  void Guard(Client& client) {
    client.SetRecordGuard(&lock, [this] { pricesWritten.fetch_add(1); });
  }
};

template <class Client>
std::unique_ptr<Client> StartClient(const std::string& url, QuoteList* list) {
  auto client = std::make_unique<Client>();
  client->SetParams(url.c_str(), "ws-app-key", "ws-app-secret", kToken, "J");
  client->SetCaCertPemFilePath(SharedCaFile());
  if (list) list->Guard(*client);
  EXPECT_TRUE(client->Start());
  return client;
}

std::vector<std::string> Texts(const WsQuotePeer& peer) {
  std::vector<std::string> texts;
  for (const auto& frame : peer.Frames()) texts.push_back(frame.text);
  return texts;
}

std::string DbFrame(const char* type, const char* code) {
  return std::string("{ \"header\": { \"token\": \"ws-access-token\", \"tr_type\": \"") + type +
         "\" }, \"body\": { \"tr_cd\": \"S00\", \"tr_key\": \"J " + code + "\" }}";
}

std::string RegFrame(const char* code) {
  return std::string(
             "{ \"trnm\": \"REG\", \"grp_no\": \"1\", \"refresh\": \"1\", \"data\": [{ \"item\": "
             "[\"") +
         code + "\"], \"type\": [\"0B\"] }] }";
}

constexpr const char* kLoginFrame =
    "{ \"trnm\": \"LOGIN\", \"token\": \"ws-access-token\", \"appkey\": \"ws-app-key\", "
    "\"appsecret\": \"ws-app-secret\" }";

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds bound = kBound) {
  const auto end = std::chrono::steady_clock::now() + bound;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

class DbQuoteClientTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(peer.Start()); }
  DbQuoteStreamPeer peer{SharedCa()};
};

TEST_F(DbQuoteClientTest, SubscribesOneStockPerCallInKeyOrderAndWritesPushedPrices) {
  QuoteList list({L"035420", L"000660", L"005930"});
  auto client = StartClient<CWsQuoteThread_DBSEC>(peer.Socket().Url("/websocket"), &list);
  // Before the connection opens nothing is subscribed.
  client->SetTarget(&list.map);
  ASSERT_TRUE(client->WaitForOpen(10000)) << client->LastTrace();
  EXPECT_TRUE(client->IsLoggedIn());

  EXPECT_EQ(client->SubscribeAll(), 1);
  ASSERT_TRUE(peer.Socket().WaitForFrames(1, kBound));
  EXPECT_EQ(Texts(peer.Socket())[0], DbFrame("1", "000660"));
  client->SetTarget(&list.map);  // the owner's repeated start: one more
  EXPECT_EQ(client->SubscribeAll(), 1);
  EXPECT_EQ(client->SubscribeAll(), 0) << "every stock is subscribed";
  ASSERT_TRUE(peer.Socket().WaitForFrames(3, kBound));
  EXPECT_EQ(Texts(peer.Socket()),
            (std::vector<std::string>{DbFrame("1", "000660"), DbFrame("1", "005930"),
                                      DbFrame("1", "035420")}));
  for (const auto& record : list.records) EXPECT_EQ(record->rt_subscribed, 1) << record->code;

  // A pushed price lands in its record: price, accumulated volume and change rate.
  ASSERT_EQ(peer.PushQuote("005930", 71500, 1234567, 1.25), 1);
  ASSERT_TRUE(WaitUntil([&] { return list.pricesWritten.load() >= 1; }));
  Stock_s* stock = list.Find(L"005930");
  orv::win::CSingleLock hold(&list.lock, TRUE);
  EXPECT_EQ(stock->cur_price, 71500);
  EXPECT_EQ(stock->listing.volume, 1234567);
  EXPECT_DOUBLE_EQ(stock->change_rate, 1.25);
}

TEST_F(DbQuoteClientTest, RemoveSendsTypeTwoAndUnreadableOrForeignMessagesChangeNothing) {
  QuoteList list({L"005930"});
  auto client = StartClient<CWsQuoteThread_DBSEC>(peer.Socket().Url("/websocket"), &list);
  client->SetTarget(&list.map);
  ASSERT_TRUE(client->WaitForOpen(10000)) << client->LastTrace();
  EXPECT_EQ(client->Subscribe("005930", nullptr, 0, false, 1), 0);
  ASSERT_TRUE(peer.Socket().WaitForFrames(1, kBound));
  EXPECT_EQ(Texts(peer.Socket())[0], DbFrame("2", "005930"));

  const std::string ignored[] = {
      "not json",
      "{\"body\":{\"ShrnIscd\":\"005930\",\"StckPrpr\":9}}",                // no header
      "{\"header\":{},\"body\":{\"ShrnIscd\":\"000000\",\"StckPrpr\":9}}",  // not in the map
      "{\"header\":{},\"body\":{\"ShrnIscd\":\"005930\",\"StckPrpr\":0}}",  // no price
      "[1,2]",
  };
  for (const std::string& text : ignored) peer.Socket().Push(text);
  // A price sent as text holding a number is read as that number.
  peer.Socket().Push(
      "{\"header\":{\"tr_cd\":\"S00\"},\"body\":{\"ShrnIscd\":\"005930\",\"StckPrpr\":\"70100\","
      "\"AcmlVol\":\"55\",\"PrdyCtrt\":\"-0.5\"}}");
  ASSERT_TRUE(WaitUntil([&] { return list.pricesWritten.load() >= 1; }));
  EXPECT_EQ(list.pricesWritten.load(), 1) << "only the last message wrote a price";
  orv::win::CSingleLock hold(&list.lock, TRUE);
  EXPECT_EQ(list.records[0]->cur_price, 70100);
  EXPECT_EQ(list.records[0]->listing.volume, 55);
  EXPECT_DOUBLE_EQ(list.records[0]->change_rate, -0.5);
}

TEST_F(DbQuoteClientTest, StartTwiceStartsOneConnection) {
  auto client = StartClient<CWsQuoteThread_DBSEC>(peer.Socket().Url("/websocket"), nullptr);
  EXPECT_FALSE(client->Start()) << "a running client does not start again";
  ASSERT_TRUE(client->WaitForOpen(10000)) << client->LastTrace();
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(peer.Socket().ConnectionCount(), 1);
}

TEST_F(DbQuoteClientTest, DisconnectSendsNormalCloseAndTheThreadEnds) {
  auto client = StartClient<CWsQuoteThread_DBSEC>(peer.Socket().Url("/websocket"), nullptr);
  ASSERT_TRUE(client->WaitForOpen(10000)) << client->LastTrace();
  client->Disconnect();
  ASSERT_TRUE(peer.Socket().WaitFor([&] { return !peer.Socket().Closes().empty(); }, kBound));
  EXPECT_EQ(peer.Socket().Closes()[0].code, 1000);
  EXPECT_EQ(peer.Socket().Closes()[0].reason, "User disconnect");
  client->Stop();
  EXPECT_TRUE(client->HasFinished());
  EXPECT_FALSE(client->IsRunning());
  EXPECT_EQ(client->Subscribe("005930", nullptr, 0, true, 1), -1) << "no connection any more";
}

TEST_F(DbQuoteClientTest, ServerCloseClearsRunningAndStopJoinsTheFinishedThread) {
  QuoteList list({L"005930"});
  auto client = StartClient<CWsQuoteThread_DBSEC>(peer.Socket().Url("/websocket"), &list);
  ASSERT_TRUE(client->WaitForOpen(10000)) << client->LastTrace();
  ASSERT_TRUE(peer.Socket().WaitFor([&] { return peer.Socket().OpenConnections() == 1; }, kBound));
  peer.Socket().CloseAll(1001, "going away");
  EXPECT_TRUE(WaitUntil([&] { return client->HasFinished(); }));
  EXPECT_FALSE(client->IsRunning());
  client->Stop();
  EXPECT_FALSE(client->Start()) << "one connection per object";
  client->SetTarget(&list.map);
  EXPECT_EQ(client->SubscribeAll(), 0);
}

TEST_F(DbQuoteClientTest, StopEndsAConnectionTheOwnerDidNotDisconnect) {
  auto client = StartClient<CWsQuoteThread_DBSEC>(peer.Socket().Url("/websocket"), nullptr);
  ASSERT_TRUE(client->WaitForOpen(10000)) << client->LastTrace();
  client->Stop();  // bounded: the I/O loop is ended after the grace period
  EXPECT_TRUE(client->HasFinished());
}

TEST_F(DbQuoteClientTest, PostSubscribeSendsOneSubscriptionOnTheQuoteThreadOrGivesUp) {
  auto client = StartClient<CWsQuoteThread_DBSEC>(peer.Socket().Url("/websocket"), nullptr);
  EXPECT_TRUE(client->PostSubscribe(L"000660", true)) << client->LastTrace();
  ASSERT_TRUE(peer.Socket().WaitForFrames(1, kBound));
  EXPECT_EQ(Texts(peer.Socket())[0], DbFrame("1", "000660"));

  // A client whose connection can never open gives up as soon as its thread ended.
  CWsQuoteThread_DBSEC refused;
  refused.SetParams("wss://", "k", "s", kToken, "J");
  ASSERT_TRUE(refused.Start());
  const auto before = std::chrono::steady_clock::now();
  EXPECT_FALSE(refused.PostSubscribe(L"000660", true));
  EXPECT_LT(std::chrono::steady_clock::now() - before,
            std::chrono::milliseconds(CWsConnectedQuoteThread::kOpenWaitMs));
}

TEST(QuoteClientStart, UrlsWebsocketRefusesEndTheThreadWithRunningCleared) {
  for (const char* url : {"not a url", "wss://", "http://127.0.0.1:1/x", ""}) {
    CWsQuoteThread_DBSEC client;
    client.SetParams(url, "k", "s", kToken, "J");
    ASSERT_TRUE(client.Start()) << url;
    EXPECT_TRUE(WaitUntil([&] { return client.HasFinished(); })) << url;
    EXPECT_FALSE(client.IsRunning()) << url;
    EXPECT_FALSE(client.LastTrace().empty()) << url;
  }
}

TEST(QuoteClientStart, TextsThatDoNotFitTheirFieldsAreRefused) {
  const std::string longUrl = "wss://127.0.0.1:1/" + std::string(600, 'a');
  const std::string longToken(512, 't');
  const std::string longKey(200, 'k');
  struct Case {
    const char* what;
    const char* url;
    const char* key;
    const char* token;
    const char* division;
  } cases[] = {
      {"url", longUrl.c_str(), "k", "t", "J"},
      {"token", "wss://127.0.0.1:1/", "k", longToken.c_str(), "J"},
      {"key", "wss://127.0.0.1:1/", longKey.c_str(), "t", "J"},
      {"division", "wss://127.0.0.1:1/", "k", "t", "0123456789ABCDEF"},
  };
  for (const Case& c : cases) {
    CWsQuoteThread_KIWOOM client;
    client.SetParams(c.url, c.key, "s", c.token, c.division);
    EXPECT_FALSE(client.Start()) << c.what;
    EXPECT_FALSE(client.IsRunning()) << c.what;
  }
  // Exactly at the capacity (terminator included) is accepted.
  CWsQuoteThread_KIWOOM client;
  const std::string token(511, 't');
  client.SetParams("wss://127.0.0.1:1/", nullptr, nullptr, token.c_str(), "0123456789ABCDE");
  EXPECT_EQ(std::string(client.Token()), token);
  EXPECT_EQ(std::string(client.Division()), "0123456789ABCDE");
}

TEST(QuoteClientTls, ServersTheProgramMustNotTrustAreRefused) {
  for (const auto& failure : orv::test::TlsFailureCases(SharedCa())) {
    WsQuotePeer peer(failure.identity);
    ASSERT_TRUE(peer.Start()) << failure.what;
    CWsQuoteThread_DBSEC client;
    client.SetParams(peer.Url("/websocket").c_str(), "k", "s", kToken, "J");
    client.SetCaCertPemFilePath(SharedCaFile());
    ASSERT_TRUE(client.Start());
    EXPECT_TRUE(WaitUntil([&] { return client.HasFinished(); })) << failure.what;
    EXPECT_FALSE(client.WaitForOpen(0)) << failure.what;
    EXPECT_EQ(peer.OpenConnections(), 0) << failure.what;
    EXPECT_TRUE(peer.Frames().empty()) << failure.what;
  }
}

class KiwoomQuoteClientTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(peer.Start()); }
  // The server answers "LOGIN" with this return code.
  void AnswerLogin(int code) {
    peer.OnFrame([code](const std::string& frame) {
      if (frame.find("\"LOGIN\"") == std::string::npos) return std::vector<std::string>();
      return std::vector<std::string>{"{\"trnm\":\"LOGIN\",\"return_code\":" +
                                      std::to_string(code) + ",\"return_msg\":\"done\"}"};
    });
  }
  WsQuotePeer peer{SharedCa()};
};

TEST_F(KiwoomQuoteClientTest, LogsInThenRegistersEveryStockTwoHundredMsApart) {
  AnswerLogin(0);
  QuoteList list({L"005930", L"000660"});
  auto client = StartClient<CWsQuoteThread_KIWOOM>(peer.Url("/api/dostk/websocket"), &list);
  client->SetTarget(&list.map);  // before the log-in: stored, nothing registered
  ASSERT_TRUE(peer.WaitForFrames(4, kBound)) << client->LastTrace();
  const auto frames = peer.Frames();
  EXPECT_EQ(frames[0].text, kLoginFrame);
  EXPECT_EQ(frames[1].text, KiwoomConditionListFrame());
  EXPECT_EQ(frames[2].text, RegFrame("000660"));
  EXPECT_EQ(frames[3].text, RegFrame("005930"));
  EXPECT_GE(frames[3].at - frames[2].at, 190ms) << "registrations are spaced";
  EXPECT_TRUE(WaitUntil([&] {
    orv::win::CSingleLock hold(&list.lock, TRUE);
    return list.records[0]->rt_subscribed == 1 && list.records[1]->rt_subscribed == 1;
  }));
  EXPECT_TRUE(client->IsLoggedIn());

  // A second accepted log-in registers only what is not marked yet; a stock the list gained is
  // registered at once from the owner's thread.
  peer.Push("{\"trnm\":\"LOGIN\",\"return_code\":0}");
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(peer.Frames().size(), 4u);
  list.Add(L"035420");
  client->SetTarget(&list.map);
  ASSERT_TRUE(peer.WaitForFrames(5, kBound));
  EXPECT_EQ(peer.Frames()[4].text, RegFrame("035420"));
  EXPECT_EQ(client->SubscribeAll(), 0);
}

TEST_F(KiwoomQuoteClientTest, RefusedLoginSendsNothingMore) {
  AnswerLogin(8005);
  QuoteList list({L"005930", L"000660"});
  auto client = StartClient<CWsQuoteThread_KIWOOM>(peer.Url("/api/dostk/websocket"), &list);
  client->SetTarget(&list.map);
  ASSERT_TRUE(peer.WaitForFrames(1, kBound)) << client->LastTrace();
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(Texts(peer), std::vector<std::string>{kLoginFrame});
  EXPECT_FALSE(client->IsLoggedIn());
  EXPECT_EQ(client->SubscribeAll(), 0);
  EXPECT_TRUE(client->IsRunning()) << "the connection stays open";
  EXPECT_EQ(list.records[0]->rt_subscribed, 0);
}

TEST_F(KiwoomQuoteClientTest, SubscribeBeforeOpenIsNotConnected) {
  CWsQuoteThread_KIWOOM client;
  EXPECT_EQ(client.Subscribe("005930", "0B", 1, true, 1), -1);
  EXPECT_EQ(client.SubscribeAll(), 0);
}

TEST(HanaQuoteClient, SendsTheTokenAsAuthorizationHeader) {
  WsQuotePeer peer(SharedCa());
  ASSERT_TRUE(peer.Start());
  CWsQuoteThread_HANA client;
  client.SetParams(peer.Url("/").c_str(), nullptr, nullptr, kToken, nullptr);
  client.SetCaCertPemFilePath(SharedCaFile());
  ASSERT_TRUE(client.Start());
  ASSERT_TRUE(peer.WaitFor([&] { return peer.ConnectionCount() == 1; }, kBound));
  EXPECT_EQ(peer.RequestHeaders("authorization"), std::vector<std::string>{kToken});
  EXPECT_EQ(client.SubscribeAll(), 0);
  EXPECT_EQ(client.Subscribe("005930", "0B", 1, true, 1), -1);
  peer.CloseAll(1000, "bye");
  EXPECT_TRUE(WaitUntil([&] { return client.HasFinished(); }));
  EXPECT_FALSE(client.IsRunning());
}

TEST(QuoteFrameReaders, MalformedFramesAreRefusedWithoutThrowing) {
  const std::string deep(5000, '[');
  std::string errors;
  EXPECT_FALSE(ReadHanaFrame(deep.data(), deep.size(), &errors)) << "nesting past the limit";
  EXPECT_FALSE(errors.empty());
  EXPECT_TRUE(ReadHanaFrame("{\"a\":1}", 7, &errors));

  DbPriceFrame_s db;
  EXPECT_FALSE(ReadDbPriceFrame(deep.data(), deep.size(), &db));
  const std::string longCode =
      "{\"header\":{},\"body\":{\"ShrnIscd\":\"" + std::string(60, '0') + "\",\"StckPrpr\":1}}";
  ASSERT_TRUE(ReadDbPriceFrame(longCode.data(), longCode.size(), &db));
  EXPECT_TRUE(db.code.empty()) << "a code longer than its field reads as missing";

  KiwoomReply_s reply;
  for (const char* text : {"[]", "{\"return_code\":0}", "null", ""})
    EXPECT_FALSE(ReadKiwoomReply(text, std::strlen(text), &reply)) << text;
  const char* login = "{\"trnm\":\"LOGIN\",\"return_code\":\"0\"}";
  ASSERT_TRUE(ReadKiwoomReply(login, std::strlen(login), &reply));
  EXPECT_TRUE(IsAcceptedLogin(reply));
  // A registration frame that would pass the protocol's 1023 characters is not built.
  EXPECT_TRUE(KiwoomRegisterFrame(1, 1, std::string(1100, '9').c_str(), "0B").empty());
}

}  // namespace
