#include "tests/peers/HttpPeer.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <strings.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <thread>

#include "tests/peers/OpenSslPem.h"

namespace orv::test {
namespace {

// Entries the server library adds to a request's headers; the client never sent them.
bool IsAddedByServer(const std::string& name) {
  for (const char* added : {"REMOTE_ADDR", "REMOTE_PORT", "LOCAL_ADDR", "LOCAL_PORT"}) {
    if (name == added) return true;
  }
  return false;
}

// The body of a POST as the peer read it: the raw text, or the form parts in arrival order.
struct ReadBody {
  std::string body;
  std::vector<FormPart> parts;
  bool multipart = false;
};

RecordedRequest Record(const httplib::Request& req, const ReadBody* read = nullptr) {
  RecordedRequest rec;
  rec.method = req.method;
  rec.path = req.path;
  const size_t question = req.target.find('?');
  if (question != std::string::npos) rec.query = req.target.substr(question + 1);
  rec.params.insert(req.params.begin(), req.params.end());
  for (const auto& [name, value] : req.headers) {
    if (!IsAddedByServer(name)) rec.headers.emplace_back(name, value);
  }
  rec.body = req.body;
  for (const auto& [name, file] : req.files) {
    rec.parts.push_back({file.name, file.filename, file.content_type, file.content});
  }
  if (read) {
    rec.parts = read->parts;
    if (!read->multipart) {
      rec.body = read->body;
      if (req.get_header_value("Content-Type").find("application/x-www-form-urlencoded") == 0) {
        httplib::Params form;
        httplib::detail::parse_query_text(read->body, form);
        rec.params.insert(form.begin(), form.end());
      }
    }
  }
  return rec;
}

// Resets the server's end of the request's connection (an RST, no reply byte): the socket
// whose local and remote ports are the request's is disconnected.
void ResetConnection(const httplib::Request& req) {
  for (int fd = 0; fd < 4096; ++fd) {
    sockaddr_in local{}, remote{};
    socklen_t localLen = sizeof local, remoteLen = sizeof remote;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localLen) != 0 ||
        local.sin_family != AF_INET || ntohs(local.sin_port) != req.local_port ||
        getpeername(fd, reinterpret_cast<sockaddr*>(&remote), &remoteLen) != 0 ||
        ntohs(remote.sin_port) != req.remote_port)
      continue;
    linger hard{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    sockaddr unspec{};
    unspec.sa_family = AF_UNSPEC;
    connect(fd, &unspec, sizeof unspec);  // a connected TCP socket aborts: RST
    shutdown(fd, SHUT_RDWR);
    return;
  }
}

PeerReply NotFound() {
  PeerReply reply;
  reply.status = 404;
  reply.contentType = "text/plain";
  reply.body = "Not Found";
  return reply;
}

}  // namespace

std::string RecordedRequest::Header(const std::string& name) const {
  for (const auto& [key, value] : headers) {
    if (strcasecmp(key.c_str(), name.c_str()) == 0) return value;
  }
  return {};
}

bool RecordedRequest::HasHeader(const std::string& name) const {
  return std::any_of(headers.begin(), headers.end(), [&](const auto& header) {
    return strcasecmp(header.first.c_str(), name.c_str()) == 0;
  });
}

std::string RecordedRequest::Param(const std::string& name) const {
  auto it = params.find(name);
  return it == params.end() ? std::string() : it->second;
}

const FormPart* RecordedRequest::Part(const std::string& name) const {
  for (const FormPart& part : parts) {
    if (part.name == name) return &part;
  }
  return nullptr;
}

struct HttpPeer::State {
  bool https = false;
  PemIdentity identity;

  std::unique_ptr<httplib::Server> server;
  std::thread thread;
  int port = -1;
  bool started = false;

  mutable std::mutex mutex;
  mutable std::condition_variable changed;  // a request arrived, or the peer is stopping
  bool stopping = false;
  std::map<std::pair<std::string, std::string>, PeerScript> scripts;
  std::vector<RecordedRequest> requests;
  std::size_t recordLimit = static_cast<std::size_t>(-1);
  ServedHook served;
  int keepAliveMax = 1;
  int keepAliveSeconds = 5;

  void Serve(const httplib::Request& req, httplib::Response& res, const ReadBody* read = nullptr);
  bool WaitOut(std::chrono::milliseconds delay);
};

// Waits out a reply's delay; false when the peer is stopping.
bool HttpPeer::State::WaitOut(std::chrono::milliseconds delay) {
  std::unique_lock<std::mutex> lock(mutex);
  return !changed.wait_for(lock, delay, [this] { return stopping; });
}

void HttpPeer::State::Serve(const httplib::Request& req, httplib::Response& res,
                            const ReadBody* read) {
  RecordedRequest rec = Record(req, read);
  PeerScript script;
  ServedHook hook;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (recordLimit > 0) {
      if (requests.size() >= recordLimit) {
        requests.erase(requests.begin(), requests.begin() + static_cast<std::ptrdiff_t>(
                                                                requests.size() - recordLimit + 1));
      }
      requests.push_back(rec);
    }
    auto it = scripts.find({rec.method, rec.path});
    if (it != scripts.end()) script = it->second;
    hook = served;
  }
  changed.notify_all();
  PeerReply reply = script ? script(rec) : NotFound();
  if (reply.delay.count() > 0 && !WaitOut(reply.delay)) {
    res.status = 503;
    if (hook) hook(rec, res.status);
    return;
  }
  if (hook) hook(rec, reply.status);
  res.status = reply.status;
  for (const auto& [name, value] : reply.headers) res.set_header(name, value);
  if (reply.wire == PeerReply::Wire::kReset) {
    ResetConnection(req);
    return;
  }
  if (reply.wire == PeerReply::Wire::kCut) {
    auto body = std::make_shared<std::string>(std::move(reply.body));
    res.set_content_provider(body->size(),
                             reply.contentType.empty() ? "text/plain" : reply.contentType,
                             [body](size_t offset, size_t, httplib::DataSink& sink) {
                               if (offset == 0) sink.write(body->data(), body->size() / 2);
                               return false;  // the rest never comes: the connection closes
                             });
    return;
  }
  if (reply.contentType.empty()) {
    res.body = std::move(reply.body);
  } else {
    res.set_content(reply.body, reply.contentType);
  }
}

HttpPeer::HttpPeer() : state_(std::make_unique<State>()) {}

HttpPeer::HttpPeer(const TestCa& ca) : HttpPeer() {
  state_->https = true;
  state_->identity = ca.IssueServerCertificate();
}

HttpPeer::HttpPeer(const PemIdentity& identity) : HttpPeer() {
  state_->https = true;
  state_->identity = identity;
}

HttpPeer::~HttpPeer() { Stop(); }

bool HttpPeer::Start(int port) {
  State& s = *state_;
  if (s.started) return false;
  if (s.https) {
    CertPtr cert = CertFromPem(s.identity.certificatePem);
    KeyPtr key = KeyFromPem(s.identity.privateKeyPem);
    if (!cert || !key) return false;
    s.server = std::make_unique<httplib::SSLServer>(cert.get(), key.get());
  } else {
    s.server = std::make_unique<httplib::Server>();
  }
  if (!s.server->is_valid()) return false;
  // A TLS write to a client that has gone raises SIGPIPE; a test program must not die of it.
  std::signal(SIGPIPE, SIG_IGN);

  // An idle kept-alive connection holds a server thread until it times out, and Stop() waits
  // for every server thread: one request per connection keeps Stop() prompt.
  s.server->set_keep_alive_max_count(static_cast<size_t>(s.keepAliveMax));
  s.server->set_keep_alive_timeout(s.keepAliveSeconds);
  // A reply's head and body leave at once, as a web server sends them: on a kept connection a
  // delayed body would wait for the client's delayed acknowledgement.
  s.server->set_tcp_nodelay(true);
  auto serve = [&s](const httplib::Request& req, httplib::Response& res) { s.Serve(req, res); };
  const std::string any = ".*";
  s.server->Get(any, serve);
  // POST bodies are read here so that form parts keep the order they were sent in.
  s.server->Post(any, [&s](const httplib::Request& req, httplib::Response& res,
                           const httplib::ContentReader& reader) {
    ReadBody read;
    read.multipart = req.is_multipart_form_data();
    if (read.multipart) {
      reader(
          [&read](const httplib::MultipartFormData& file) {
            read.parts.push_back({file.name, file.filename, file.content_type, {}});
            return true;
          },
          [&read](const char* data, size_t size) {
            if (!read.parts.empty()) read.parts.back().content.append(data, size);
            return true;
          });
    } else {
      reader([&read](const char* data, size_t size) {
        read.body.append(data, size);
        return true;
      });
    }
    s.Serve(req, res, &read);
  });
  s.server->Put(any, serve);
  s.server->Patch(any, serve);
  s.server->Delete(any, serve);
  s.server->Options(any, serve);

  if (port > 0) {
    // The library's default also sets SO_REUSEPORT, which would let a second server share a
    // port that is in use and split its requests: only SO_REUSEADDR here.
    s.server->set_socket_options([](int sock) {
      int yes = 1;
      setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    s.port = s.server->bind_to_port("127.0.0.1", port) ? port : -1;
  } else {
    s.port = s.server->bind_to_any_port("127.0.0.1");
  }
  if (s.port < 0) return false;
  s.started = true;
  auto listenEnded = std::make_shared<std::atomic<bool>>(false);
  httplib::Server* server = s.server.get();
  s.thread = std::thread([server, listenEnded] {
    server->listen_after_bind();
    *listenEnded = true;
  });
  // Stop() only takes effect once the server loop runs; wait for it.
  while (!server->is_running() && !*listenEnded) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return !*listenEnded;
}

void HttpPeer::Stop() {
  State& s = *state_;
  if (!s.thread.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    s.stopping = true;
  }
  s.changed.notify_all();
  s.server->stop();
  s.thread.join();
}

void HttpPeer::SetKeepAlive(int maxRequests, int idleSeconds) {
  state_->keepAliveMax = maxRequests > 0 ? maxRequests : 1;
  state_->keepAliveSeconds = idleSeconds > 0 ? idleSeconds : 1;
}

int HttpPeer::Port() const { return state_->port; }

std::string HttpPeer::BaseUrl() const {
  return std::string(state_->https ? "https" : "http") + "://127.0.0.1:" + std::to_string(Port());
}

std::string HttpPeer::Url(const std::string& pathAndQuery) const {
  return BaseUrl() + pathAndQuery;
}

void HttpPeer::On(const std::string& method, const std::string& path, PeerScript script) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->scripts[{method, path}] = std::move(script);
}

void HttpPeer::On(const std::string& method, const std::string& path, PeerReply reply) {
  On(method, path, [reply](const RecordedRequest&) { return reply; });
}

std::vector<RecordedRequest> HttpPeer::Requests() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->requests;
}

bool HttpPeer::WaitForRequests(std::size_t count, std::chrono::milliseconds bound) const {
  std::unique_lock<std::mutex> lock(state_->mutex);
  return state_->changed.wait_for(lock, bound, [&] { return state_->requests.size() >= count; });
}

void HttpPeer::SetRecordLimit(std::size_t limit) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->recordLimit = limit;
  if (limit == 0) {
    state_->requests.clear();
  } else if (state_->requests.size() > limit) {
    state_->requests.erase(state_->requests.begin(),
                           state_->requests.end() - static_cast<std::ptrdiff_t>(limit));
  }
}

void HttpPeer::OnServed(ServedHook hook) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->served = std::move(hook);
}

void HttpPeer::ClearRequests() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->requests.clear();
}

}  // namespace orv::test
