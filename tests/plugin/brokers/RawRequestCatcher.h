#pragma once
// A bare loopback socket that reads one HTTP request's head and answers "{}".

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

namespace orv::test {

// The test peer's server library drops headers with empty values, so the raw request text is
// read by a bare socket that answers one request.
class RawRequestCatcher {
 public:
  RawRequestCatcher() {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(fd_, 1);
    socklen_t len = sizeof addr;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] {
      const int c = accept(fd_, nullptr, nullptr);
      if (c < 0) return;
      char buf[4096];
      while (text_.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = recv(c, buf, sizeof buf, 0);
        if (n <= 0) break;
        text_.append(buf, static_cast<size_t>(n));
      }
      const char reply[] = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n{}";
      send(c, reply, sizeof reply - 1, 0);
      close(c);
    });
  }
  ~RawRequestCatcher() {
    if (thread_.joinable()) thread_.join();
    close(fd_);
  }
  std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }
  // The request text; call after the request ended.
  const std::string& Text() {
    if (thread_.joinable()) thread_.join();
    return text_;
  }

 private:
  int fd_ = -1;
  int port_ = 0;
  std::thread thread_;
  std::string text_;
};

}  // namespace orv::test
