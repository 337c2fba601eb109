#pragma once
// A secure WebSocket server on 127.0.0.1 for tests and the sandbox: it stands in for a broker's
// real-time quote server, records every text frame and close it receives, answers frames from a
// script and pushes frames to its clients. DbQuoteStreamPeer adds the DB protocol: it keeps the
// codes registered with "S00" frames and pushes price messages for them.

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <set>
#include <utility>
#include <string>
#include <vector>

#include "tests/peers/TestCa.h"

namespace orv::test {

class WsQuotePeer {
 public:
  using Clock = std::chrono::steady_clock;

  // One text frame as received.
  struct Frame {
    std::string text;
    Clock::time_point at;
  };
  // One close frame as received.
  struct Close {
    int code = 0;
    std::string reason;
  };
  // Answers a received frame with the frames to send back (none: an empty list).
  using Script = std::function<std::vector<std::string>(const std::string& frame)>;

  // A certificate for 127.0.0.1 and localhost signed by the CA.
  explicit WsQuotePeer(const TestCa& ca);
  // Presents the given certificate and key.
  explicit WsQuotePeer(const PemIdentity& identity);
  ~WsQuotePeer();  // stops
  WsQuotePeer(const WsQuotePeer&) = delete;
  WsQuotePeer& operator=(const WsQuotePeer&) = delete;

  // Listens on 127.0.0.1 (`port` 0: one the system picks) and serves on a thread of its own.
  bool Start(int port = 0);
  // Closes the clients' connections and the port and joins the server; at once when stopped.
  void Stop();

  int Port() const;
  // "127.0.0.1:<port>", as the "BrokerWsHost-<id>" setting takes it.
  std::string Host() const;
  // "wss://127.0.0.1:<port>" followed by the path.
  std::string Url(const std::string& path) const;

  // The script answering every received frame (on the peer's thread).
  void OnFrame(Script script);
  // Also called for every received frame, after the script (the sandbox's subscriptions).
  void OnEveryFrame(std::function<void(const std::string&)> hook);

  // Sends a text frame to every open connection; answers how many connections it went to.
  int Push(const std::string& text);
  // Closes every open connection from the server's side with this code.
  void CloseAll(int code, const std::string& reason);

  std::vector<Frame> Frames() const;
  std::vector<Close> Closes() const;
  // The value of a request header of every connection's opening request, in order.
  std::vector<std::string> RequestHeaders(const std::string& name) const;
  int OpenConnections() const;
  // Connections opened so far.
  int ConnectionCount() const;
  // Waits until done() holds (checked whenever the peer records something) or the bound runs
  // out; done()'s last answer.
  bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds bound) const;
  bool WaitForFrames(size_t count, std::chrono::milliseconds bound) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The DB broker's quote stream.
class DbQuoteStreamPeer {
 public:
  explicit DbQuoteStreamPeer(const TestCa& ca);
  WsQuotePeer& Socket() { return socket_; }
  const WsQuotePeer& Socket() const { return socket_; }
  bool Start(int port = 0) { return socket_.Start(port); }
  void Stop() { socket_.Stop(); }

  // The codes registered ("tr_type" "1") and not removed since.
  std::set<std::string> Subscribed() const;
  // Pushes one price message for the code when it is registered; answers the connections it
  // went to.
  int PushQuote(const std::string& code, double price, double accVolume, double changeRate);
  // The price message the server sends (numbers as JSON numbers, as the broker sends them).
  static std::string PriceMessage(const std::string& code, double price, double accVolume,
                                  double changeRate);

 private:
  WsQuotePeer socket_;
  struct Codes;
  std::shared_ptr<Codes> codes_;
};

// The Kiwoom broker's quote stream with its condition searches: it accepts every "LOGIN",
// answers "CNSRLST" with the user's conditions, "CNSRREQ" with the condition's current matches
// (the search then counts as started) and "CNSRCLR" by stopping it, and pushes the real-time
// entries and exits of started searches.
class KiwoomQuoteStreamPeer {
 public:
  explicit KiwoomQuoteStreamPeer(const TestCa& ca);
  WsQuotePeer& Socket() { return socket_; }
  const WsQuotePeer& Socket() const { return socket_; }
  bool Start(int port = 0) { return socket_.Start(port); }
  void Stop() { socket_.Stop(); }

  // The conditions (sequence number, name) answered to "CNSRLST".
  void SetConditions(std::vector<std::pair<int, std::string>> conditions);
  // The codes answered to "CNSRREQ" of the condition.
  void SetMatches(int seq, std::vector<std::string> codes);
  // The conditions whose search was started and not stopped since.
  std::set<int> Started() const;
  // Pushes a stock entering ('I') or leaving ('D') the condition when its search runs; answers
  // the connections it went to.
  int PushConditionEvent(int seq, const std::string& code, char kind);
  static std::string ConditionEvent(int seq, const std::string& code, char kind);

 private:
  WsQuotePeer socket_;
  struct Conditions;
  std::shared_ptr<Conditions> conditions_;
};

}  // namespace orv::test
