#pragma once
// The two owners every request to the web server uses: the HTTP handle (the caller's, or one of
// the request's own that is cleaned up with it) and the reply buffer the senders hand back.

#include <curl/curl.h>

#include <cstdlib>

class RequestHandle {
 public:
  explicit RequestHandle(CURL* given) : m_curl(given) {
    if (!m_curl) m_curl = m_own = curl_easy_init();
  }
  ~RequestHandle() {
    if (m_own) curl_easy_cleanup(m_own);
  }
  RequestHandle(const RequestHandle&) = delete;
  RequestHandle& operator=(const RequestHandle&) = delete;
  CURL* get() const { return m_curl; }

 private:
  CURL* m_curl = nullptr;
  CURL* m_own = nullptr;
};

// Frees a reply buffer of the senders when it goes out of scope.
struct ReplyBuffer {
  char* text = nullptr;
  ReplyBuffer() = default;
  ReplyBuffer(const ReplyBuffer&) = delete;
  ReplyBuffer& operator=(const ReplyBuffer&) = delete;
  ~ReplyBuffer() { std::free(text); }
};
