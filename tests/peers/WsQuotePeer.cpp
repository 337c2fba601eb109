#include "tests/peers/WsQuotePeer.h"

#include <rapidjson/document.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>
#include <websocketpp/config/asio.hpp>
#include <websocketpp/server.hpp>

namespace orv::test {
namespace {
// The library's TLS server with a short socket shutdown: a test peer does not wait five seconds
// for a client's TLS farewell before it reports the connection closed.
struct PeerConfig : websocketpp::config::asio_tls {
  typedef PeerConfig type;
  struct transport_config : websocketpp::config::asio_tls::transport_config {
    static const long timeout_socket_shutdown = 500;
  };
  typedef websocketpp::transport::asio::endpoint<transport_config> transport_type;
};
using WsServer = websocketpp::server<PeerConfig>;
using Hdl = websocketpp::connection_hdl;
constexpr auto kCloseWait = std::chrono::milliseconds(1000);
}  // namespace

struct WsQuotePeer::State {
  PemIdentity identity;
  WsServer server;
  std::thread thread;
  mutable std::mutex mutex;
  mutable std::condition_variable changed;
  std::map<Hdl, bool, std::owner_less<Hdl>> open;
  std::vector<Frame> frames;
  std::vector<Close> closes;
  std::vector<std::map<std::string, std::string>> requestHeaders;
  int connections = 0;
  int port = 0;
  bool running = false;
  Script script;
  std::function<void(const std::string&)> hook;

  void Note() { changed.notify_all(); }
  std::vector<Hdl> OpenHandles() {
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<Hdl> handles;
    for (const auto& entry : open) handles.push_back(entry.first);
    return handles;
  }
};

WsQuotePeer::WsQuotePeer(const TestCa& ca) : WsQuotePeer(ca.IssueServerCertificate()) {}

WsQuotePeer::WsQuotePeer(const PemIdentity& identity) : state_(std::make_unique<State>()) {
  state_->identity = identity;
}

WsQuotePeer::~WsQuotePeer() { Stop(); }

bool WsQuotePeer::Start(int port) {
  State& s = *state_;
  if (s.running || s.identity.certificatePem.empty()) return false;
  try {
    s.server.clear_access_channels(websocketpp::log::alevel::all);
    s.server.clear_error_channels(websocketpp::log::elevel::all);
    s.server.init_asio();
    s.server.set_reuse_addr(true);
    s.server.set_tls_init_handler([&s](Hdl) {
      auto context = std::make_shared<asio::ssl::context>(asio::ssl::context::tls_server);
      context->use_certificate_chain(
          asio::buffer(s.identity.certificatePem.data(), s.identity.certificatePem.size()));
      context->use_private_key(
          asio::buffer(s.identity.privateKeyPem.data(), s.identity.privateKeyPem.size()),
          asio::ssl::context::pem);
      return context;
    });
    s.server.set_open_handler([&s](Hdl hdl) {
      std::map<std::string, std::string> headers;
      websocketpp::lib::error_code ec;
      if (WsServer::connection_ptr con = s.server.get_con_from_hdl(hdl, ec)) {
        // The TLS farewell is not waited for long: the close frames have crossed by then.
        con->set_close_handshake_timeout(500);
        for (const char* name : {"authorization", "Authorization"}) {
          const std::string value = con->get_request_header(name);
          if (!value.empty()) headers["authorization"] = value;
        }
      }
      std::lock_guard<std::mutex> lock(s.mutex);
      s.open[hdl] = true;
      ++s.connections;
      s.requestHeaders.push_back(headers);
      s.Note();
    });
    s.server.set_close_handler([&s](Hdl hdl) {
      Close close;
      websocketpp::lib::error_code ec;
      if (WsServer::connection_ptr con = s.server.get_con_from_hdl(hdl, ec)) {
        close.code = con->get_remote_close_code();
        close.reason = con->get_remote_close_reason();
      }
      std::lock_guard<std::mutex> lock(s.mutex);
      s.open.erase(hdl);
      s.closes.push_back(close);
      s.Note();
    });
    s.server.set_fail_handler([&s](Hdl hdl) {
      std::lock_guard<std::mutex> lock(s.mutex);
      s.open.erase(hdl);
      s.Note();
    });
    s.server.set_message_handler([&s](Hdl hdl, WsServer::message_ptr msg) {
      const std::string text = msg->get_payload();
      Script script;
      std::function<void(const std::string&)> hook;
      {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.frames.push_back({text, Clock::now()});
        script = s.script;
        hook = s.hook;
        s.Note();
      }
      if (script) {
        for (const std::string& answer : script(text)) {
          websocketpp::lib::error_code ec;
          s.server.send(hdl, answer, websocketpp::frame::opcode::text, ec);
        }
      }
      if (hook) hook(text);
    });
    asio::error_code ec;
    const asio::ip::tcp::endpoint endpoint(asio::ip::make_address("127.0.0.1", ec),
                                           static_cast<unsigned short>(port));
    s.server.listen(endpoint);
    s.server.start_accept();
    s.port = s.server.get_local_endpoint(ec).port();
    if (ec) return false;
  } catch (const std::exception&) {
    return false;
  }
  s.running = true;
  s.thread = std::thread([&s] {
    try {
      s.server.run();
    } catch (const std::exception&) {
    }
  });
  return true;
}

void WsQuotePeer::Stop() {
  State& s = *state_;
  if (!s.running) return;
  s.running = false;
  s.server.get_io_service().post([&s] {
    websocketpp::lib::error_code ec;
    s.server.stop_listening(ec);
    for (const Hdl& hdl : s.OpenHandles())
      s.server.close(hdl, websocketpp::close::status::going_away, "peer stops", ec);
  });
  {
    std::unique_lock<std::mutex> lock(s.mutex);
    s.changed.wait_for(lock, kCloseWait, [&s] { return s.open.empty(); });
  }
  s.server.stop();
  if (s.thread.joinable()) s.thread.join();
}

int WsQuotePeer::Port() const { return state_->port; }

std::string WsQuotePeer::Host() const { return "127.0.0.1:" + std::to_string(Port()); }

std::string WsQuotePeer::Url(const std::string& path) const { return "wss://" + Host() + path; }

void WsQuotePeer::OnFrame(Script script) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->script = std::move(script);
}

void WsQuotePeer::OnEveryFrame(std::function<void(const std::string&)> hook) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->hook = std::move(hook);
}

int WsQuotePeer::Push(const std::string& text) {
  State& s = *state_;
  if (!s.running) return 0;
  const std::vector<Hdl> handles = s.OpenHandles();
  s.server.get_io_service().post([&s, handles, text] {
    for (const Hdl& hdl : handles) {
      websocketpp::lib::error_code ec;
      s.server.send(hdl, text, websocketpp::frame::opcode::text, ec);
    }
  });
  return static_cast<int>(handles.size());
}

void WsQuotePeer::CloseAll(int code, const std::string& reason) {
  State& s = *state_;
  if (!s.running) return;
  s.server.get_io_service().post([&s, code, reason] {
    for (const Hdl& hdl : s.OpenHandles()) {
      websocketpp::lib::error_code ec;
      s.server.close(hdl, static_cast<websocketpp::close::status::value>(code), reason, ec);
    }
  });
}

std::vector<WsQuotePeer::Frame> WsQuotePeer::Frames() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->frames;
}

std::vector<WsQuotePeer::Close> WsQuotePeer::Closes() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->closes;
}

std::vector<std::string> WsQuotePeer::RequestHeaders(const std::string& name) const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  std::vector<std::string> values;
  for (const auto& headers : state_->requestHeaders) {
    const auto found = headers.find(name);
    values.push_back(found == headers.end() ? std::string() : found->second);
  }
  return values;
}

int WsQuotePeer::OpenConnections() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return static_cast<int>(state_->open.size());
}

int WsQuotePeer::ConnectionCount() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->connections;
}

bool WsQuotePeer::WaitFor(const std::function<bool()>& done,
                          std::chrono::milliseconds bound) const {
  const auto end = Clock::now() + bound;
  std::unique_lock<std::mutex> lock(state_->mutex);
  while (true) {
    lock.unlock();
    const bool ok = done();
    lock.lock();
    if (ok) return true;
    if (Clock::now() >= end) return false;
    // Short waits: done() may look at things the peer does not signal.
    state_->changed.wait_for(lock, std::chrono::milliseconds(20));
  }
}

bool WsQuotePeer::WaitForFrames(size_t count, std::chrono::milliseconds bound) const {
  return WaitFor([this, count] { return Frames().size() >= count; }, bound);
}

// --- DbQuoteStreamPeer ---

struct DbQuoteStreamPeer::Codes {
  mutable std::mutex mutex;
  std::set<std::string> subscribed;
};

DbQuoteStreamPeer::DbQuoteStreamPeer(const TestCa& ca)
    : socket_(ca), codes_(std::make_shared<Codes>()) {
  std::shared_ptr<Codes> codes = codes_;
  socket_.OnEveryFrame([codes](const std::string& frame) {
    rapidjson::Document doc;
    doc.Parse(frame.c_str());
    if (doc.HasParseError() || !doc.IsObject() || !doc.HasMember("header") ||
        !doc.HasMember("body") || !doc["header"].IsObject() || !doc["body"].IsObject())
      return;
    const auto& header = doc["header"];
    const auto& body = doc["body"];
    if (!header.HasMember("tr_type") || !header["tr_type"].IsString() ||
        !body.HasMember("tr_key") || !body["tr_key"].IsString())
      return;
    const std::string type = header["tr_type"].GetString();
    std::string key = body["tr_key"].GetString();
    if (key.rfind("J ", 0) != 0) return;
    key = key.substr(2);
    std::lock_guard<std::mutex> lock(codes->mutex);
    if (type == "1") codes->subscribed.insert(key);
    if (type == "2") codes->subscribed.erase(key);
  });
}

std::set<std::string> DbQuoteStreamPeer::Subscribed() const {
  std::lock_guard<std::mutex> lock(codes_->mutex);
  return codes_->subscribed;
}

int DbQuoteStreamPeer::PushQuote(const std::string& code, double price, double accVolume,
                                 double changeRate) {
  if (Subscribed().count(code) == 0) return 0;
  return socket_.Push(PriceMessage(code, price, accVolume, changeRate));
}

std::string DbQuoteStreamPeer::PriceMessage(const std::string& code, double price, double accVolume,
                                            double changeRate) {
  char text[512];
  std::snprintf(text, sizeof text,
                "{\"header\":{\"rsp_cd\":0,\"rsp_msg\":\"정상처리\",\"tr_cd\":\"S00\",\"tr_key\":"
                "\"J %s\"},\"body\":{\"ShrnIscd\":\"%s\",\"BsopDate\":\"20250106\","
                "\"StckCntghour\":\"090000\",\"StckPrpr\":%.0f,\"CntgVol\":1,\"AcmlVol\":%.0f,"
                "\"PrdyCtrt\":%.2f}}",
                code.c_str(), code.c_str(), price, accVolume, changeRate);
  return text;
}

struct KiwoomQuoteStreamPeer::Conditions {
  mutable std::mutex mutex;
  std::vector<std::pair<int, std::string>> list;
  std::map<int, std::vector<std::string>> matches;
  std::set<int> started;
};

namespace {
std::string JsonText(const rapidjson::Value& obj, const char* name) {
  if (!obj.IsObject() || !obj.HasMember(name) || !obj[name].IsString()) return std::string();
  return std::string(obj[name].GetString(), obj[name].GetStringLength());
}
}  // namespace

KiwoomQuoteStreamPeer::KiwoomQuoteStreamPeer(const TestCa& ca)
    : socket_(ca), conditions_(std::make_shared<Conditions>()) {
  std::shared_ptr<Conditions> state = conditions_;
  socket_.OnFrame([state](const std::string& frame) -> std::vector<std::string> {
    rapidjson::Document doc;
    doc.Parse(frame.c_str());
    if (doc.HasParseError() || !doc.IsObject()) return {};
    const std::string trnm = JsonText(doc, "trnm");
    const std::string seqText = JsonText(doc, "seq");
    const int seq = seqText.empty() ? -1 : std::atoi(seqText.c_str());
    std::lock_guard<std::mutex> lock(state->mutex);
    if (trnm == "LOGIN") return {"{\"trnm\":\"LOGIN\",\"return_code\":0,\"return_msg\":\"\"}"};
    if (trnm == "REG") return {"{\"trnm\":\"REG\",\"return_code\":0,\"return_msg\":\"\"}"};
    if (trnm == "CNSRLST") {
      std::string data;
      for (const auto& [number, name] : state->list)
        data += (data.empty() ? "" : ",") + std::string("[\"") + std::to_string(number) + "\",\"" +
                name + "\"]";
      return {"{\"trnm\":\"CNSRLST\",\"return_code\":0,\"return_msg\":\"\",\"data\":[" + data +
              "]}"};
    }
    if (trnm == "CNSRREQ" && seq >= 0) {
      state->started.insert(seq);
      std::string data;
      for (const std::string& code : state->matches[seq])
        data += (data.empty() ? "" : ",") + std::string("{\"9001\":\"A") + code +
                "\",\"302\":\"\",\"10\":\"+10000\"}";
      return {"{\"trnm\":\"CNSRREQ\",\"seq\":\"" + std::to_string(seq) +
              "\",\"return_code\":0,\"return_msg\":\"\",\"data\":[" + data + "]}"};
    }
    if (trnm == "CNSRCLR" && seq >= 0) {
      state->started.erase(seq);
      return {"{\"trnm\":\"CNSRCLR\",\"seq\":\"" + std::to_string(seq) +
              "\",\"return_code\":0,\"return_msg\":\"\"}"};
    }
    return {};
  });
}

void KiwoomQuoteStreamPeer::SetConditions(std::vector<std::pair<int, std::string>> conditions) {
  std::lock_guard<std::mutex> lock(conditions_->mutex);
  conditions_->list = std::move(conditions);
}

void KiwoomQuoteStreamPeer::SetMatches(int seq, std::vector<std::string> codes) {
  std::lock_guard<std::mutex> lock(conditions_->mutex);
  conditions_->matches[seq] = std::move(codes);
}

std::set<int> KiwoomQuoteStreamPeer::Started() const {
  std::lock_guard<std::mutex> lock(conditions_->mutex);
  return conditions_->started;
}

int KiwoomQuoteStreamPeer::PushConditionEvent(int seq, const std::string& code, char kind) {
  if (Started().count(seq) == 0) return 0;
  return socket_.Push(ConditionEvent(seq, code, kind));
}

std::string KiwoomQuoteStreamPeer::ConditionEvent(int seq, const std::string& code, char kind) {
  const std::string number = std::to_string(seq);
  return "{\"trnm\":\"REAL\",\"data\":[{\"type\":\"02\",\"name\":\"조건검색\",\"item\":\"" +
         code + "\",\"values\":{\"841\":\"" + number + "\",\"9001\":\"" + code +
         "\",\"843\":\"" + std::string(1, kind) + "\",\"20\":\"090000\",\"907\":\"2\"}}]}";
}

}  // namespace orv::test
