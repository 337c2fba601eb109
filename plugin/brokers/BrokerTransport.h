#pragma once
// The securities agents' REST transport: one request function over libcurl with its callbacks,
// the broker result-code mapper, continuation-key paging of long lists, fixed batches of price
// codes and the body of a multi-price request.
//
// TLS always verifies the peer certificate and the host name, against the CA file when one is
// given, else against the system store. A transfer can be aborted from another thread through
// an abort flag that libcurl's progress callback reads, so a stopping worker never waits out
// the time-out.

#include <curl/curl.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

// Size of a continuation-key buffer (bytes, terminator included).
constexpr size_t kContKeySize = 200;
// Transfer code stored when no HTTP handle could be made.
constexpr unsigned kTransferNoHandle = 99;
// The DB agent's request time-out (ms); limits of 500 ms and below mean 5000 ms.
constexpr int kBrokerRequestTimeoutMs = 20000;
// Connect time-out of a request unless its state names another (ms).
constexpr long kBrokerConnectTimeoutMs = 5000;

// What one request leaves besides its reply body: the reply headers the agents read and the
// transfer's result. Every request has its own, so requests that several workers send through
// one agent at the same time never see each other's continuation keys or results.
struct BrokerRequestState {
  char contKey[kContKeySize] = {};  // the reply's continuation-key header; empty when none
  // Set by the caller: the name of the reply header that carries the continuation key (this
  // exact case, without the colon).
  const char* contKeyHeader = "cont_key";
  // Set by the caller: the connect time-out (ms); 0 or below means 5000.
  long connectTimeoutMs = 0;
  unsigned transfer = 0;  // libcurl result code (kTransferNoHandle when no handle)
  long httpStatus = 0;    // the reply's HTTP status; 0 when none arrived
  std::string errorText;  // why the transfer failed, in libcurl's words; empty on success
  // Set by the caller: an order request. It goes out on a connection of its own that is
  // closed afterwards: on a reused connection that dies before the reply, libcurl would send
  // the request again by itself, and the broker may have executed the first one.
  bool order = false;
};

// The reply of a transfer as it arrives: the bytes so far, always followed by a NUL.
struct ReplyAccumulator {
  size_t length = 0;
  char* data = nullptr;  // malloc'd; handed to the caller, who frees it
};

// Sends one REST request and returns the reply (heap, NUL-terminated, free()) or null.
//  curl           handle to reuse, or null (one is made for this request)
//  baseUrl, path  the URL is baseUrl + path (+ query for a GET)
//  post           non-zero: POST with `body` (an empty body is sent empty); zero: GET
//  query          GET: appended unchanged after the path; also the signed query
//  extraHeader    one header line or null ("cont_yn: N")
//  furtherHeaders header lines separated by '\n' (each at most 999 characters), or null
//  signingValue   handed to the token signer
//  appKey, appSecret  must not be empty; otherwise nothing is sent and null is returned
//  bearerToken    "Authorization: Bearer <token>" when non-empty
//  json           non-zero: JSON content type; zero: URL-encoded form
//  outLen         reply length, or null
//  caFile         CA certificate file, or null/empty for the system store
//  state          this request's own state: whether it is an order (set by the caller), and
//                 its reply headers, transfer result and HTTP status; or null
//  abortFlag      the transfer aborts while *abortFlag is non-zero, or null
//  timeoutMs      total time-out; 500 and below mean 5000
//  sign           non-zero: the authorization is an HS256 token over the key and query
//  outErrorText   the failed transfer's text naming its cause (CurlTransferErrorText), empty
//                 after a success; or null
char* SendBrokerRequest(CURL* curl, const char* baseUrl, const char* path, int post,
                        const char* query, const char* body, const char* extraHeader,
                        const char* furtherHeaders, int signingValue, const char* appKey,
                        const char* appSecret, const char* bearerToken, int json, int* outLen,
                        const char* caFile, BrokerRequestState* state,
                        const std::atomic<int>* abortFlag, int timeoutMs, int sign);

// The options every agent request shares: a POST with its body (an empty one when none: without
// one libcurl would read the body from standard input) or a GET; the reply into `reply`; the
// abort flag (may be null); TLS verification of the peer and its host name against `caFile`
// (the system store when empty); no signals; and for an order a connection of its own, since
// on a reused connection that dies before the reply libcurl would send the order again by
// itself, and the broker may have executed the first one.
void SetSharedRequestOptions(CURL* handle, bool post, const char* body, ReplyAccumulator* reply,
                             const std::atomic<int>* abortFlag, const char* caFile, bool order);

// libcurl write callback: appends the block to the ReplyAccumulator in `userdata`. When the
// buffer cannot grow it is freed, the accumulator emptied and 0 returned (the transfer aborts).
size_t OnRequestData(char* data, size_t size, size_t count, void* userdata);
// libcurl header callback: a line starting with the state's continuation-key header name and a
// colon ("cont_key:" by default; this exact case) has its value, trimmed, copied into the contKey
// of the BrokerRequestState in `userdata` (at most 199 characters).
size_t OnRequestHeader(char* data, size_t size, size_t count, void* userdata);
// libcurl transfer-progress callback: non-zero (abort) while the std::atomic<int> flag in
// `userdata` is non-zero.
int OnRequestProgress(void* userdata, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t ulTotal,
                      curl_off_t ulNow);

// Broker result code text to int: "IGW<n>" -> 100000 + n; any other text starting with a
// letter, or a number no int holds -> kUnknownResultCode; otherwise the decimal value (empty,
// null or no number -> 0).
constexpr int kUnknownResultCode = -10000;
int ParseResultCode(const char* code);
// The same for a broker whose gateway codes start with any of the three-letter `prefixes`.
int ParseGatewayResultCode(const char* code, std::initializer_list<const char*> prefixes);

// The result of a token revocation: the number after the reply's quoted member (`member`, quotes
// included; "code" by default; the text between ':' and ',', quotes and blanks trimmed), `noCode`
// when the reply names none, kUnknownResultCode for a number no int holds.
int RevokeReplyCode(const char* reply, int noCode, const char* member = "\"code\"");

// What an agent keeps of a reply: null when the transfer failed (a reply cut short is never
// read as an answer) or, for an order request, when its HTTP status is not 2xx (an error page
// says nothing about the order). The reply is then freed, *len set to 0 and the reason ("HTTP
// <status>", or libcurl's words) left in *outMessage; otherwise the reply is returned as it is.
char* KeepAnsweredReply(char* reply, int* len, BrokerRequestState* state, std::string* outMessage);

// A refusal in the brokers' common reply form: the "rsp_cd" text (empty when none) and, in
// *outMessage, the "rsp_msg" text.
std::string ReadRefusal(const char* reply, std::string* outMessage);

// The total time-out a request uses for the time-out it was given.
int EffectiveTimeoutMs(int timeoutMs);

// A form value URL-encoded (RFC 3986 unreserved characters unchanged).
std::string UrlEncodeFormValue(const char* value);

// Continuation paging of a long list. `sendPage` sends one page with the extra header and the
// further headers it is given, leaving the reply's headers in the page's own request state;
// `onPage` takes each reply (which it must not free; it is freed after the call). After every
// page the loop sleeps `pauseMs` on the program clock. It continues while the last page named a
// continuation key, for at most `maxPages` pages, and stops early when `running` drops to 0.
// The key lives in the loop, so other requests through the same agent cannot end a list early.
// Returns pages received.
using PageSender = std::function<char*(const char* extraHeader, const char* furtherHeaders,
                                       BrokerRequestState* state, int* outLen)>;
using PageHandler = std::function<void(const char* reply, int len)>;
constexpr int kMaxContinuationPages = 100;
// The header names a broker pages with: `more` ("<more>: N" on the first page, "<more>: Y" on
// later ones) and `key` (the reply's key, repeated as "<key>: <value>" on the next request).
// With `keyOnFirstPage` the key header goes out on the first page too, empty; with
// `zeroKeyEnds` a key whose first character is '0' marks the last page.
struct ContinuationHeaders {
  const char* more = "cont_yn";
  const char* key = "cont_key";
  bool keyOnFirstPage = false;
  bool zeroKeyEnds = false;
};
// Returns pages received; *outTransfer (when given) takes the transfer code of the last page
// and *outMorePending whether the last page still named a key (the page limit cut the list).
int RunContinuationPaging(int pauseMs, int maxPages, const PageSender& sendPage,
                          const PageHandler& onPage, const std::atomic<int>* running = nullptr,
                          const ContinuationHeaders& names = ContinuationHeaders(),
                          unsigned* outTransfer = nullptr, bool* outMorePending = nullptr);

// Price batches: the codes are sent `batchSize` to a request (joined by ';'); after every full
// batch `pauseMs` is slept on the program clock; a last, partial batch is sent without a
// pause. Stops early when `running` drops to 0. Returns the number of batches sent.
constexpr int kPriceBatchSize = 50;
using BatchSender = std::function<void(const std::string& codes, int count)>;
int SendPriceBatches(const std::vector<std::string>& codes, int batchSize, int pauseMs,
                     const BatchSender& sendBatch, const std::atomic<int>* running = nullptr);

// The body of a multi-price request for a ';'-separated code list (at most 1023 characters
// and 500 codes are read; code lines take at most 3000 bytes and the whole body must fit
// `bodySize` bytes with its terminator; codes that do not fit are left out). Returns the
// number of codes written; 0 and an empty body when the list or buffer is null.
int BuildMultiPriceBody(const char* codes, char* body, size_t bodySize);
