#include "plugin/brokers/ExchangeTransport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/stocklib/Jwt.h"
#include "platform/stocklib/StockCalc.h"
#include "platform/support/HttpForm.h"

namespace {

constexpr const char* kJsonAccept = "Accept: application/json";
constexpr const char* kJsonContentType = "Content-Type: application/json; charset=utf-8";
constexpr const char* kVerifiedUserAgent = "libcurl-agent/1.0";
constexpr long kMinTimeoutMs = 1000;

bool IsEmpty(const char* text) { return !text || !*text; }

curl_slist* Append(curl_slist* list, const char* line) {
  curl_slist* grown = curl_slist_append(list, line);
  if (!grown) {
    curl_slist_free_all(list);
    return nullptr;
  }
  return grown;
}

}  // namespace

uint64_t ExchangeNonceNow() {
  int64_t seconds = 0;
  int64_t micros = 0;
  btc_gettimeofday(&seconds, &micros);
  return static_cast<uint64_t>(seconds) * 1000 + static_cast<uint64_t>(micros) / 1000;
}

std::string MakeExchangeToken(const ExchangeDialect& dialect, const char* accessKey,
                              const char* secretKey, const char* query, int signingOption) {
  (void)signingOption;
  if (IsEmpty(accessKey) || IsEmpty(secretKey)) return {};
  const uint64_t nonce = ExchangeNonceNow();
  char nonceText[kExchangeMaxNonce + 1];
  std::snprintf(nonceText, sizeof nonceText, "%llu", static_cast<unsigned long long>(nonce));
  // Hash every non-empty query; a UUID nonce; the timestamp claim where the exchange wants it.
  char* token = jwt_credential_hs256("access_key", accessKey, query ? query : "", nonceText, nonce,
                                     secretKey, 1, 1, dialect.timestampClaim ? 1 : 0, 0);
  if (!token) return {};
  std::string text = token;
  std::free(token);
  return text;
}

char* SendExchangeRequest(const ExchangeDialect& dialect, CURL* curl, const char* baseUrl,
                          const char* path, int mode, const char* query, const char* body,
                          int signingOption, const char* accessKey, const char* secretKey,
                          uint32_t* outSize, int* outTransfer, int timeoutMs, const char* caFile,
                          BrokerRequestState* state, const std::atomic<int>* abortFlag) {
  if (IsEmpty(baseUrl) || IsEmpty(path) || IsEmpty(accessKey) || IsEmpty(secretKey)) return nullptr;
  if (state) {
    state->httpStatus = 0;
    state->errorText.clear();
  }
  auto fail = [&](const char* why) -> char* {
    if (outSize) *outSize = 0;
    if (outTransfer) *outTransfer = static_cast<int>(kTransferNoHandle);
    if (state) {
      state->transfer = kTransferNoHandle;
      state->errorText = why;
    }
    return nullptr;
  };

  std::string url = std::string(baseUrl) + path;
  if (mode == kExchangeGet && !IsEmpty(query)) url += query;
  // A URL beyond the limit is refused whole: a cut one would ask for something else.
  if (url.size() > kExchangeMaxUrl) return fail("request URL too long");

  const std::string token = MakeExchangeToken(dialect, accessKey, secretKey, query, signingOption);
  if (token.empty()) return fail("no request token");
  const std::string authorization = "Authorization: Bearer " + token;
  if (authorization.size() > kExchangeMaxAuthorization) return fail("request token too long");

  curl_slist* headers = Append(nullptr, authorization.c_str());
  if (headers && mode == kExchangeJsonPost) {
    headers = Append(headers, kJsonAccept);
    if (headers) headers = Append(headers, kJsonContentType);
  } else if (headers && mode == kExchangeFormPost && dialect.formContentType) {
    headers = Append(headers, dialect.formContentType);
  }
  if (!headers) return fail("no header list");

  CURL* handle = curl ? curl : curl_easy_init();
  if (!handle) {
    curl_slist_free_all(headers);
    return fail("no HTTP handle");
  }

  ReplyAccumulator reply;
  curl_easy_reset(handle);
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  const bool post = mode == kExchangeFormPost || mode == kExchangeJsonPost;
  SetSharedRequestOptions(handle, post, body, &reply, abortFlag, caFile, state && state->order);
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
  if (timeoutMs > kMinTimeoutMs) {
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeoutMs));
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(timeoutMs));
  }
  if (dialect.userAgent) curl_easy_setopt(handle, CURLOPT_USERAGENT, dialect.userAgent);
  char errorBuffer[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorBuffer);

  const CURLcode code = curl_easy_perform(handle);
  long status = 0;
  if (curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK) status = 0;
  std::string failure;
  if (code != CURLE_OK) {
    failure = CurlTransferErrorText(code, errorBuffer);
    if (dialect.reportFailure)
      std::fprintf(stderr, "curl_easy_perform() failed: %s\n", failure.c_str());
  }

  curl_slist_free_all(headers);
  if (!curl) {
    curl_easy_cleanup(handle);
  } else {
    // The caller's handle outlives this call: it keeps its connection but no pointer into this
    // frame.
    curl_easy_reset(handle);
  }

  if (state) {
    state->httpStatus = status;
    state->transfer = static_cast<unsigned>(code);
    state->errorText = failure;
  }
  if (outSize) *outSize = static_cast<uint32_t>(reply.length);
  if (outTransfer) *outTransfer = static_cast<int>(code);
  return reply.data;
}

char* HttpGetVerified(CURL* curl, const char* url, int, const char* caFile, uint64_t* outSize,
                      int32_t* outTransfer) {
  if (!curl) {
    if (outTransfer) *outTransfer = static_cast<int32_t>(kTransferNoHandle);
    return nullptr;
  }
  ReplyAccumulator reply;
  char errorBuffer[CURL_ERROR_SIZE] = {};
  curl_easy_reset(curl);
  curl_easy_setopt(curl, CURLOPT_URL, url ? url : "");
  SetSharedRequestOptions(curl, false, nullptr, &reply, nullptr, caFile, false);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, kVerifiedUserAgent);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 1L);
  const CURLcode code = curl_easy_perform(curl);
  if (code != CURLE_OK) {
    std::fprintf(stderr, "curl_easy_perform() 실패: %s\n",
                 CurlTransferErrorText(code, errorBuffer).c_str());
  } else {
    std::printf("응답 데이터:\n%s\n", reply.data ? reply.data : "");
  }
  // The handle is the caller's: it keeps no pointer into this frame.
  curl_easy_reset(curl);
  if (outSize) *outSize = reply.length;
  if (outTransfer) *outTransfer = static_cast<int32_t>(code);
  return reply.data;
}
