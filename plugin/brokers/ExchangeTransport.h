#pragma once
// The crypto exchanges' REST transport: every request carries an HS256 token made for that one
// request from the user's access key and secret key, and goes out as a GET, a form POST or a
// JSON POST. The two exchanges differ only in a few points (their ExchangeDialect).
//
// The token is one the exchanges accept: the claim "access_key"; a "nonce" that is a fresh UUID
// on every request; for a request with parameters "query_hash" (hex SHA-512 of exactly the
// signed query) and "query_hash_alg" "SHA512"; and, for the exchanges that want it, "timestamp"
// (milliseconds since 1970). The secret key signs as the user gave it.

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "plugin/brokers/BrokerTransport.h"

// Request modes.
constexpr int kExchangeGet = 0;
constexpr int kExchangeFormPost = 1;
constexpr int kExchangeJsonPost = 2;

// The time-out every exchange request is given (ms).
constexpr int kExchangeRequestTimeoutMs = 15000;
// Working limits of one request (characters).
constexpr size_t kExchangeMaxUrl = 5999;
constexpr size_t kExchangeMaxAuthorization = 5999;
constexpr size_t kExchangeMaxNonce = 111;

// What differs between the exchanges' transports.
struct ExchangeDialect {
  const char* userAgent = nullptr;        // null: libcurl sends none
  const char* formContentType = nullptr;  // the form POST's Content-Type line; null: none
  bool timestampClaim = false;            // the token carries "timestamp"
  bool reportFailure = false;             // a failed transfer is written to standard error
};

// The millisecond nonce number of the moment: seconds x 1000 + microseconds / 1000 (the
// microseconds rounded down), from the program clock.
uint64_t ExchangeNonceNow();

// The token of one request ("header.claims.signature"), or empty when key or secret is empty.
// `signingOption` is the caller's (1 for an order): the query hash goes with every non-empty
// query, since both exchanges refuse a request with parameters but without it.
std::string MakeExchangeToken(const ExchangeDialect& dialect, const char* accessKey,
                              const char* secretKey, const char* query, int signingOption);

// Sends one signed request and returns the reply body (heap, NUL-terminated, free()) or null.
//  curl         the caller's handle (kept open), or null: one is made and cleaned up here
//  baseUrl      "https://<host>"; path e.g. "/v1/accounts" (may end in a query prefix)
//  mode         kExchangeGet / kExchangeFormPost / kExchangeJsonPost
//  query        the signed text; in a GET also appended unchanged after the path
//  body         the POST body (modes 1 and 2)
//  outSize      bytes received, when given
//  outTransfer  libcurl's result, or kTransferNoHandle (99) when no token, handle or URL could be
//               made, when given
//  timeoutMs    above 1000: the connect and whole-transfer time-outs; otherwise libcurl's own
//  caFile       the CA file TLS verifies the exchange with (empty: the system store)
//  state        this request's own state (HTTP status, failure text; `order` sends it on a
//               connection of its own), or null
//  abortFlag    the transfer aborts while *abortFlag is non-zero, or null
// With base URL, path, access key or secret key missing or empty nothing is sent, null is
// returned and the out values are left untouched.
char* SendExchangeRequest(const ExchangeDialect& dialect, CURL* curl, const char* baseUrl,
                          const char* path, int mode, const char* query, const char* body,
                          int signingOption, const char* accessKey, const char* secretKey,
                          uint32_t* outSize, int* outTransfer, int timeoutMs, const char* caFile,
                          BrokerRequestState* state, const std::atomic<int>* abortFlag);

// An unsigned GET that verifies the peer and its host name (against caFile when given). The
// handle is required: without one nothing is sent and the result is kTransferNoHandle. The
// time-out value is not used. Returns the body (heap, free()) or null.
char* HttpGetVerified(CURL* curl, const char* url, int timeoutMs, const char* caFile,
                      uint64_t* outSize, int32_t* outTransfer);
