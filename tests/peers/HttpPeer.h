#pragma once
// A scripted HTTP or HTTPS server on 127.0.0.1 for tests: it stands in for a broker, an
// exchange or a web server, answers each request from a script and records what it was sent.

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/peers/TestCa.h"

namespace orv::test {

// One part of a multipart form.
struct FormPart {
  std::string name;
  std::string filename;
  std::string contentType;
  std::string content;
};

// One request as the peer received it.
struct RecordedRequest {
  std::string method;
  std::string path;
  std::string query;  // the raw text after '?', empty when there is none
  // Query fields and URL-encoded form fields, decoded.
  std::multimap<std::string, std::string> params;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;  // empty for a multipart form: its parts are in `parts`, in sent order
  std::vector<FormPart> parts;

  // The first header of that name (names compare without case); empty when absent.
  std::string Header(const std::string& name) const;
  bool HasHeader(const std::string& name) const;
  // The first parameter of that name; empty when absent.
  std::string Param(const std::string& name) const;
  // The first form part of that name; null when absent.
  const FormPart* Part(const std::string& name) const;
};

// What the peer answers.
struct PeerReply {
  int status = 200;
  std::string body;
  std::string contentType = "application/json";
  std::vector<std::pair<std::string, std::string>> headers;
  // Time the peer waits before answering; a long delay makes a server that never answers.
  // Stop() ends the wait.
  std::chrono::milliseconds delay{0};
  // How the reply leaves: whole; kReset resets the connection before any reply byte; kCut
  // sends the status line, the headers (with the full length) and half the body, then closes.
  enum class Wire { kWhole, kReset, kCut };
  Wire wire = Wire::kWhole;
};

using PeerScript = std::function<PeerReply(const RecordedRequest&)>;

class HttpPeer {
 public:
  // A plain-HTTP peer.
  HttpPeer();
  // An HTTPS peer with a new certificate for 127.0.0.1 and localhost signed by the CA.
  explicit HttpPeer(const TestCa& ca);
  // An HTTPS peer that presents the given certificate and key.
  explicit HttpPeer(const PemIdentity& identity);
  ~HttpPeer();  // stops
  HttpPeer(const HttpPeer&) = delete;
  HttpPeer& operator=(const HttpPeer&) = delete;

  // Listens on 127.0.0.1 at `port` (0: a port the system picks) and serves on a thread of its
  // own. False when it cannot listen (or its certificate could not be made), or when started
  // before.
  bool Start(int port = 0);
  // Closes the port, ends waiting delays and joins the server; at once when not running.
  void Stop();
  // Before Start: keep a connection open for up to `maxRequests` requests, idle at most
  // `idleSeconds` (a broker's keep-alive). By default each connection serves one request.
  void SetKeepAlive(int maxRequests, int idleSeconds);

  int Port() const;
  // "http://127.0.0.1:<port>" or "https://127.0.0.1:<port>".
  std::string BaseUrl() const;
  // BaseUrl() followed by the path (with its query, if any).
  std::string Url(const std::string& pathAndQuery) const;

  // Answers requests with this method ("GET", "POST", ...) and exact path (without query).
  // Requests with no script get 404. Scripts run on the peer's threads.
  void On(const std::string& method, const std::string& path, PeerScript script);
  void On(const std::string& method, const std::string& path, PeerReply reply);

  // Every request received so far, in arrival order.
  std::vector<RecordedRequest> Requests() const;
  // Waits until at least `count` requests have arrived; false when the bound passes first.
  bool WaitForRequests(std::size_t count, std::chrono::milliseconds bound) const;
  void ClearRequests();
  // Keeps only the latest `limit` requests (a long-running peer must not grow without bound);
  // 0 keeps none. Unlimited by default.
  void SetRecordLimit(std::size_t limit);

  // Called after each reply is chosen, on the peer's thread, with the request and the status
  // sent (a log of what the peer answered).
  using ServedHook = std::function<void(const RecordedRequest&, int status)>;
  void OnServed(ServedHook hook);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace orv::test
