#pragma once
// The sandbox: on loopback HTTPS (a test CA made at start), a DB broker, a Kiwoom broker, an LS
// broker and a Korea Investment broker with one account each over the same moving market, the
// Bithumb and Upbit exchanges with one coin account each (won and one coin held), and
// the product web server with one member, so the real program logs in, polls prices, places
// orders and reports them without any real account. Which broker the program uses is chosen
// when the program folder is staged.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sandbox/SandboxMarket.h"
#include "tests/peers/AiChatPeer.h"
#include "tests/peers/ClientListPeer.h"
#include "tests/peers/DbBrokerPeer.h"
#include "tests/peers/ExchangePeer.h"
#include "tests/peers/HangukBrokerPeer.h"
#include "tests/peers/KiwoomBrokerPeer.h"
#include "tests/peers/LsBrokerPeer.h"
#include "tests/peers/TestCa.h"
#include "tests/peers/WebServerPeer.h"
#include "tests/peers/WsQuotePeer.h"

namespace orv::test {

// The sandbox member and its DB broker account (scripts/run stores the same values in the
// staged catalogue).
struct SandboxAccount {
  static constexpr const char* kUserId = "sandbox";
  static constexpr int kUserIdx = 1001;
  static constexpr const char* kUserToken = "sandbox-user-token";
  static constexpr const char* kAppKey = "SANDBOX-APPKEY";
  static constexpr const char* kAppSecret = "SANDBOX-APPSECRET";
  static constexpr const char* kAccessToken = "sandbox-access-token";
  static constexpr double kDeposit = 10000000;  // won
  // The coin account at each exchange: won, and one coin held.
  static constexpr double kCoinDeposit = 2000000;  // won
  static constexpr const char* kCoin = "BTC";
  static constexpr double kCoinBalance = 0.01;
  static constexpr double kCoinAvgPrice = 50000000;  // won
  // The key of the generative-AI chat service.
  static constexpr const char* kAiKey = "SANDBOX-AI-KEY";
};

struct SandboxOptions {
  uint64_t seed = 1;
  // A price script (ParseSandboxScript); empty: the seeded random walk.
  std::vector<SandboxTick> script;
  // Milliseconds between market ticks; 0: the market ticks after each answered price inquiry,
  // so a client's run of inquiries sees the same prices whatever its timing.
  int tickMs = 1000;
  // The opening holdings sit in the LS broker's account and the DB account starts empty
  // (false: the other way round).
  bool lsHoldings = false;
  int brokerPort = 0;  // 0: a port the system picks
  int lsBrokerPort = 0;
  int webPort = 0;
};

class Sandbox {
 public:
  explicit Sandbox(SandboxOptions options);
  ~Sandbox();  // stops
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  // Starts both servers and the market clock; false, with the reason in `error`, when the CA
  // cannot be made or a server cannot listen (nothing then keeps running).
  bool Start(std::string* error);
  // Stops the clock and both servers; at once when not running.
  void Stop();

  const TestCa& Ca() const { return ca_; }
  int BrokerPort() const { return brokerPort_; }
  int WebPort() const { return webPort_; }
  // "127.0.0.1:<port>", as the "BrokerHost-11" setting takes it.
  std::string BrokerHost() const;
  // The Kiwoom broker's "127.0.0.1:<port>", as the "BrokerHost-1" setting takes it.
  std::string KiwoomHost() const;
  // The Korea Investment broker's "127.0.0.1:<port>", as the "BrokerHost-14" setting takes it.
  std::string HangukHost() const;
  // The LS broker's "127.0.0.1:<port>", as the "BrokerHost-2" setting takes it.
  std::string LsBrokerHost() const;
  // The DB broker's real-time quote stream "127.0.0.1:<port>", as "BrokerWsHost-11" takes it.
  std::string DbQuoteStreamHost() const;
  // The Kiwoom broker's real-time stream "127.0.0.1:<port>", as "BrokerWsHost-1" takes it.
  std::string KiwoomStreamHost() const;
  // The exchanges' "127.0.0.1:<port>", as "BrokerHost-8" (Bithumb) and "BrokerHost-9" (Upbit)
  // take them.
  std::string BithumbHost() const;
  std::string UpbitHost() const;
  // "https://127.0.0.1:<port>/", the web server's base URL.
  std::string WebUrl() const;
  // The stock page of the portal the sandbox stands in for (plain HTTP on loopback): the
  // service check hands it out as the stock page address ("stock_url"), "%s" the code.
  std::string PortalStockUrl() const;
  // The generative-AI chat service's request address (the "ai_url" setting).
  std::string AiChatUrl() const { return ai_.ChatUrl(); }
  // The lines of the state file: broker_host, broker_port, kiwoom_host, ls_broker_host,
  // hanguk_host, db_ws_host, kiwoom_ws_host, bithumb_host, upbit_host, web_url, web_port, ca_file, pid,
  // ai_url.
  std::string StateText(const std::string& caFile) const;

  // The two servers, for tests that read what the program sent them.
  DbBrokerPeer& Broker() { return broker_; }
  KiwoomBrokerPeer& Kiwoom() { return kiwoom_; }
  HangukBrokerPeer& Hanguk() { return hanguk_; }
  LsBrokerPeer& LsBroker() { return lsBroker_; }
  ExchangePeer& Bithumb() { return bithumb_; }
  ExchangePeer& Upbit() { return upbit_; }
  WebServerPeer& Web() { return web_; }
  // The web server's client list of the member.
  ClientListPeer& Clients() { return clients_; }
  HttpPeer& Portal() { return portal_; }
  // The DB broker's quote stream: every tick of the market clock pushes the changed quotes of
  // the codes a client registered (a market ticked by inquiries pushes nothing by itself).
  DbQuoteStreamPeer& DbQuoteStream() { return dbStream_; }
  // The Kiwoom broker's real-time stream: the user's three conditions (kConditionNames), the
  // first stock matching the first; every fourth tick of the market clock one stock enters a
  // condition whose search runs, and two ticks later it leaves it again.
  KiwoomQuoteStreamPeer& KiwoomStream() { return kiwoomStream_; }
  static const std::vector<std::pair<int, std::string>>& ConditionNames();
  // The generative-AI chat service (answers choices to the key kAiKey).
  AiChatPeer& Ai() { return ai_; }

  std::vector<DbQuote> Quotes() const;
  int Ticks() const;

  // Called for every answered request (method, path, status), from the servers' threads.
  void OnServed(std::function<void(const std::string& line)> log);

 private:
  void Tick();
  // The Kiwoom broker quotes what the market quotes.
  void SetKiwoomQuotes(const std::vector<DbQuote>& quotes);
  // The DB quote stream pushes the market's quotes to its clients.
  void PushStreamQuotes(const std::vector<DbQuote>& quotes);
  // The Kiwoom stream's condition entries and exits of a tick.
  void PushConditionEvents(const std::vector<DbQuote>& quotes, int ticks);
  void RunClock();

  SandboxOptions options_;
  TestCa ca_;
  DbBrokerPeer broker_;
  KiwoomBrokerPeer kiwoom_;
  HangukBrokerPeer hanguk_;
  LsBrokerPeer lsBroker_;
  ExchangePeer bithumb_;
  ExchangePeer upbit_;
  WebServerPeer web_;
  ClientListPeer clients_{web_, SandboxAccount::kUserToken};
  HttpPeer portal_;
  std::vector<std::pair<std::string, std::string>> serviceFields_;
  DbQuoteStreamPeer dbStream_;
  KiwoomQuoteStreamPeer kiwoomStream_;
  AiChatPeer ai_;
  SandboxMarket market_;
  mutable std::mutex mutex_;  // the market and the clock's state
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread clock_;
  std::function<void(const std::string&)> log_;
  std::mutex streamMutex_;                 // the prices the quote stream sent last
  std::map<std::string, double> streamed_;
  int brokerPort_ = -1;
  int kiwoomPort_ = -1;
  int hangukPort_ = -1;
  int lsBrokerPort_ = -1;
  int webPort_ = -1;
};

// Writes `text` to `path` through a temporary file and a rename, so a reader never sees half of
// it. False on failure.
bool WriteFileAtomically(const std::string& path, const std::string& text);

}  // namespace orv::test
