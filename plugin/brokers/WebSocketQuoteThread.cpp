#include "plugin/brokers/WebSocketQuoteThread.h"

#include <openssl/ssl.h>

#include <asio/ssl/host_name_verification.hpp>
#include <chrono>
#include <cstring>
#include <future>
#include <websocketpp/client.hpp>
#include <websocketpp/config/asio_client.hpp>

#include "platform/support/TextConv.h"
#include "platform/win/CriticalSection.h"

namespace {

// The library's TLS client, with a short wait for the server's TLS farewell: a quote connection
// is over once the close frames crossed, and a server that never says goodbye must not hold the
// quote thread for the library's five seconds.
struct QuoteClientConfig : websocketpp::config::asio_tls_client {
  typedef QuoteClientConfig type;
  struct transport_config : websocketpp::config::asio_tls_client::transport_config {
    static const long timeout_socket_shutdown = 1000;
  };
  typedef websocketpp::transport::asio::endpoint<transport_config> transport_type;
};
using WsClient = websocketpp::client<QuoteClientConfig>;
using TlsContext = std::shared_ptr<asio::ssl::context>;
constexpr long kCloseHandshakeMs = 1000;

// Copies `text` into a field of `size` bytes when it fits with its terminator; otherwise the
// field is emptied and false answered.
bool CopyParam(char* field, size_t size, const char* text) {
  if (!text) text = "";
  const size_t length = std::strlen(text);
  if (length >= size) {
    field[0] = 0;
    return false;
  }
  std::memcpy(field, text, length + 1);
  return true;
}

// The TLS context of one connection: TLS 1.2 only, no compression, the server's certificate
// verified against the CA file (else the system store) and its name against the URL's host.
TlsContext MakeTlsContext(const std::string& caFile, const std::string& host,
                          std::string* problem) {
  auto context = std::make_shared<asio::ssl::context>(asio::ssl::context::tls_client);
  SSL_CTX_set_min_proto_version(context->native_handle(), TLS1_2_VERSION);
  SSL_CTX_set_max_proto_version(context->native_handle(), TLS1_2_VERSION);
  context->set_options(asio::ssl::context::no_compression);
  asio::error_code ec;
  // A CA file that cannot be read leaves nothing to trust: the handshake then fails.
  if (!caFile.empty())
    context->load_verify_file(caFile, ec);
  else
    context->set_default_verify_paths(ec);
  if (ec && problem) *problem = "CA: " + ec.message();
  context->set_verify_mode(asio::ssl::verify_peer);
  context->set_verify_callback(asio::ssl::host_name_verification(host));
  return context;
}

}  // namespace

// One WebSocket connection run on the calling thread until it ends.
class CQuoteSocket {
 public:
  struct Handlers {
    std::function<void()> open;
    std::function<void(const std::string&)> message;
    std::function<void()> close;
    std::function<void(const std::string&)> fail;
  };

  CQuoteSocket() {
    m_client.clear_access_channels(websocketpp::log::alevel::all);
    m_client.clear_error_channels(websocketpp::log::elevel::all);
  }

  // Connects to `url` and runs the I/O loop until the connection has ended. False, with the
  // library's words in *error, when no connection could be made for the URL.
  bool Run(const std::string& url, const std::string& caFile,
           const std::vector<std::pair<std::string, std::string>>& headers,
           const Handlers& handlers, std::string* error) {
    websocketpp::lib::error_code ec;
    m_client.init_asio(ec);
    if (ec) {
      *error = ec.message();
      return false;
    }
    // The name the server's certificate must carry (the connection is made with the TLS
    // context before it knows its URL).
    const websocketpp::uri target(url);
    const std::string host = target.get_valid() ? target.get_host() : std::string();
    m_client.set_tls_init_handler([caFile, host, handlers](websocketpp::connection_hdl) {
      std::string problem;
      TlsContext context = MakeTlsContext(caFile, host, &problem);
      if (!problem.empty() && handlers.fail) handlers.fail(problem);
      return context;
    });
    m_client.set_message_handler(
        [handlers](websocketpp::connection_hdl, WsClient::message_ptr msg) {
          if (handlers.message) handlers.message(msg->get_payload());
        });
    m_client.set_close_handler([handlers](websocketpp::connection_hdl) {
      if (handlers.close) handlers.close();
    });
    m_client.set_fail_handler([this, handlers](websocketpp::connection_hdl hdl) {
      websocketpp::lib::error_code lookup;
      WsClient::connection_ptr con = m_client.get_con_from_hdl(hdl, lookup);
      if (con && handlers.fail) handlers.fail(con->get_ec().message());
    });
    m_client.set_open_handler([this, handlers](websocketpp::connection_hdl hdl) {
      {
        std::lock_guard<std::mutex> lock(m_lock);
        m_hdl = hdl;
      }
      if (handlers.open) handlers.open();
    });

    WsClient::connection_ptr con = m_client.get_connection(url, ec);
    if (ec || !con) {
      *error = ec ? ec.message() : std::string("no connection");
      return false;
    }
    for (const auto& header : headers) con->append_header(header.first, header.second);
    // A TLS server may never answer the close handshake at the socket level; the connection
    // is over once the close frames crossed.
    con->set_close_handshake_timeout(kCloseHandshakeMs);
    m_client.connect(con);
    {
      std::lock_guard<std::mutex> lock(m_lock);
      m_loopThread = std::this_thread::get_id();
      m_looping = true;
    }
    struct LoopEnd {
      CQuoteSocket* socket;
      ~LoopEnd() {
        std::lock_guard<std::mutex> lock(socket->m_lock);
        socket->m_looping = false;
      }
    } loopEnd{this};
    m_client.run();
    return true;
  }

  bool IsOpen() const {
    websocketpp::connection_hdl hdl;
    {
      std::lock_guard<std::mutex> lock(m_lock);
      hdl = m_hdl;
    }
    websocketpp::lib::error_code ec;
    WsClient::connection_ptr con = const_cast<WsClient&>(m_client).get_con_from_hdl(hdl, ec);
    return !ec && con && con->get_state() == websocketpp::session::state::open;
  }

  bool OnLoopThread() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_looping && m_loopThread == std::this_thread::get_id();
  }

  bool Post(std::function<void()> work) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_looping) return false;
    m_client.get_io_service().post(std::move(work));
    return true;
  }

  // On the loop thread.
  bool After(int ms, std::function<void()> work) {
    if (!OnLoopThread()) return Post([this, ms, work] { After(ms, work); });
    m_client.set_timer(ms, [work](const websocketpp::lib::error_code& ec) {
      if (!ec) work();
    });
    return true;
  }

  // Sends a text frame: 0 sent, -1 not open, else the library's error code. A send from
  // another thread is handed to the loop thread and waited for (bounded).
  int Send(const std::string& text, int waitMs) {
    if (OnLoopThread()) return SendNow(text);
    auto result = std::make_shared<std::promise<int>>();
    std::future<int> sent = result->get_future();
    if (!Post([this, text, result] { result->set_value(SendNow(text)); })) return -1;
    if (sent.wait_for(std::chrono::milliseconds(waitMs)) != std::future_status::ready) return -1;
    try {
      return sent.get();
    } catch (const std::exception&) {
      return -1;  // the loop ended before it could send
    }
  }

  // Closes an open connection on the loop thread.
  void Close(uint16_t code, const std::string& reason) {
    auto close = [this, code, reason] {
      websocketpp::connection_hdl hdl;
      {
        std::lock_guard<std::mutex> lock(m_lock);
        hdl = m_hdl;
      }
      if (!IsOpen()) return;
      websocketpp::lib::error_code ec;
      m_client.close(hdl, code, reason, ec);
    };
    if (OnLoopThread())
      close();
    else
      Post(close);
  }

  // Ends the I/O loop (from any thread).
  void Stop() { m_client.stop(); }

 private:
  int SendNow(const std::string& text) {
    if (!IsOpen()) return -1;
    websocketpp::connection_hdl hdl;
    {
      std::lock_guard<std::mutex> lock(m_lock);
      hdl = m_hdl;
    }
    websocketpp::lib::error_code ec;
    m_client.send(hdl, text, websocketpp::frame::opcode::text, ec);
    return ec ? (ec.value() != 0 ? ec.value() : 1) : 0;
  }

  WsClient m_client;
  mutable std::mutex m_lock;  // the handle and the loop's state
  websocketpp::connection_hdl m_hdl;
  std::thread::id m_loopThread;
  bool m_looping = false;
};

// --- CWebSocketQuoteThread ---

CWebSocketQuoteThread::CWebSocketQuoteThread() : m_baseSocket(std::make_unique<CQuoteSocket>()) {}

CWebSocketQuoteThread::~CWebSocketQuoteThread() { Stop(); }

void CWebSocketQuoteThread::SetParams(const char* url, const char* appKey, const char* appSecret,
                                      const char* token, const char* division) {
  bool fits = CopyParam(m_url, sizeof m_url, url);
  fits = CopyParam(m_token, sizeof m_token, token) && fits;
  if (appKey) fits = CopyParam(m_appKey, sizeof m_appKey, appKey) && fits;
  if (appSecret) fits = CopyParam(m_appSecret, sizeof m_appSecret, appSecret) && fits;
  if (division) fits = CopyParam(m_division, sizeof m_division, division) && fits;
  m_paramsRefused = !fits;
}

void CWebSocketQuoteThread::SetRecordGuard(orv::win::CCriticalSection* lock,
                                           std::function<void()> pricesWritten) {
  m_recordLock = lock;
  m_pricesWritten = std::move(pricesWritten);
}

bool CWebSocketQuoteThread::Start() {
  if (m_running.load() != 0) return false;
  if (m_paramsRefused) {
    Trace("Start refused: a connection text does not fit its field");
    return false;
  }
  // One Run per object: a client whose thread ran is not started again.
  if (m_started) return false;
  m_started = true;
  m_running.store(1);
  {
    std::lock_guard<std::mutex> lock(m_finishLock);
    m_threadDone = false;
  }
  m_thread = std::thread([this] {
    Run();
    m_running.store(0);
    {
      std::lock_guard<std::mutex> lock(m_finishLock);
      m_threadDone = true;
    }
    m_finished.notify_all();
  });
  return true;
}

void CWebSocketQuoteThread::Stop() {
  m_running.store(0);
  if (!m_thread.joinable()) return;
  if (m_thread.get_id() == std::this_thread::get_id()) {
    Trace("Stop called on the quote thread");
    return;
  }
  bool done;
  {
    std::unique_lock<std::mutex> lock(m_finishLock);
    done = m_finished.wait_for(lock, std::chrono::milliseconds(kStopGraceMs),
                               [this] { return m_threadDone; });
  }
  if (!done) EndLoop();
  m_thread.join();
}

void CWebSocketQuoteThread::EndLoop() { m_baseSocket->Stop(); }

bool CWebSocketQuoteThread::RunBaseConnection(
    const std::vector<std::pair<std::string, std::string>>& headers,
    std::function<void(const std::string&)> onMessage, std::string* error) {
  CQuoteSocket::Handlers handlers;
  handlers.message = std::move(onMessage);
  return m_baseSocket->Run(m_url, m_caFile, headers, handlers, error);
}

void CWebSocketQuoteThread::SetTarget(StockViewMap* targets) {
  m_targets.store(targets);
  if (m_loggedIn.load() != 0) SubscribeAll();
}

bool CWebSocketQuoteThread::HasFinished() const {
  std::lock_guard<std::mutex> lock(m_finishLock);
  return m_threadDone;
}

std::string CWebSocketQuoteThread::LastTrace() const {
  std::lock_guard<std::mutex> lock(m_traceLock);
  return m_trace;
}

void CWebSocketQuoteThread::Trace(const std::string& text) {
  std::lock_guard<std::mutex> lock(m_traceLock);
  m_trace = text;
}

void CWebSocketQuoteThread::WithTargets(const std::function<void(StockViewMap&)>& visit) {
  StockViewMap* targets = m_targets.load();
  if (!targets) return;
  orv::win::CSingleLock lock(m_recordLock, TRUE);
  visit(*targets);
}

void CWebSocketQuoteThread::NotePricesWritten() {
  if (m_pricesWritten) m_pricesWritten();
}

// --- CWsConnectedQuoteThread ---

CWsConnectedQuoteThread::CWsConnectedQuoteThread() : m_socket(std::make_unique<CQuoteSocket>()) {}

CWsConnectedQuoteThread::~CWsConnectedQuoteThread() {
  Disconnect();
  Stop();
}

void CWsConnectedQuoteThread::EndLoop() { m_socket->Stop(); }

bool CWsConnectedQuoteThread::Opened() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_opened;
}

bool CWsConnectedQuoteThread::IsConnectionOpen() const { return m_socket->IsOpen(); }

bool CWsConnectedQuoteThread::OnQuoteThread() const { return m_socket->OnLoopThread(); }

int CWsConnectedQuoteThread::SendText(const std::string& text) {
  return m_socket->Send(text, kSendWaitMs);
}

bool CWsConnectedQuoteThread::After(int ms, std::function<void()> work) {
  return m_socket->After(ms, std::move(work));
}

bool CWsConnectedQuoteThread::Post(std::function<void()> work) {
  return m_socket->Post(std::move(work));
}

void CWsConnectedQuoteThread::Disconnect() {
  if (m_socket->IsOpen()) m_socket->Close(1000, "User disconnect");
}

bool CWsConnectedQuoteThread::WaitForOpen(int ms) {
  std::unique_lock<std::mutex> lock(m_lock);
  // A connection that ended without opening never will: the wait ends with it.
  m_openedSignal.wait_for(lock, std::chrono::milliseconds(ms),
                          [this] { return m_opened || m_ended; });
  return m_opened;
}

bool CWsConnectedQuoteThread::PostSubscribe(const wchar_t* code, bool add) {
  if (!WaitForOpen(kOpenWaitMs) || !m_socket->IsOpen()) return false;
  const std::string narrow = WideToUtf8(code ? code : L"");
  const std::string frame = SingleSubscriptionFrame(narrow, add);
  const std::string prefix = Prefix();
  return m_socket->Post([this, narrow, frame, prefix] {
    const int sent = m_socket->Send(frame, kSendWaitMs);
    if (sent == 0)
      Trace(prefix + " Sent single subscription for: " + narrow);
    else
      Trace(prefix + " Failed to send single subscription for " + narrow + ": " +
            std::to_string(sent));
  });
}

void CWsConnectedQuoteThread::RunConnection(const char* prefix) {
  const std::string tag = prefix;
  try {
    CQuoteSocket::Handlers handlers;
    handlers.open = [this] {
      // The broker's own opening step (a log-in state, a log-in frame to send) comes first, so
      // that whoever waits for the connection finds it done when the wait ends.
      OnOpened();
      {
        std::lock_guard<std::mutex> lock(m_lock);
        m_opened = true;
      }
      m_openedSignal.notify_all();
    };
    handlers.message = [this](const std::string& payload) { OnFrame(payload); };
    handlers.close = [this] { m_running.store(0); };
    handlers.fail = [this, tag](const std::string& reason) { Trace(tag + " Reason: " + reason); };
    std::string error;
    if (!m_socket->Run(m_url, m_caFile, {}, handlers, &error)) {
      Trace(tag + " Connection error: " + m_url + ",  " + error);
      m_running.store(0);
      m_loggedIn.store(0);
      NoteEnded();
      return;
    }
  } catch (const std::exception& e) {
    Trace(tag + " Exception in WebSocket thread: " + e.what());
  }
  m_running.store(0);
  m_loggedIn.store(0);
  NoteEnded();
}

void CWsConnectedQuoteThread::NoteEnded() {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_ended = true;
  }
  m_openedSignal.notify_all();
}
