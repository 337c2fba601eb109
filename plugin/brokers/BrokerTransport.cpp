#include "plugin/brokers/BrokerTransport.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/stocklib/Jwt.h"
#include "platform/stocklib/StockCalc.h"
#include "platform/support/CheckedNumber.h"
#include "platform/support/HttpForm.h"
#include "platform/support/TextConv.h"
#include "platform/support/TextScan.h"
#include "platform/win/Clock.h"

namespace {

constexpr const char* kUserAgent = "Mozilla/4.0 (compatible DB API C Client)";
constexpr const char* kJsonContentType = "Content-Type: application/json; charset=utf-8";
constexpr const char* kFormContentType = "Content-Type: application/x-www-form-urlencoded";
constexpr size_t kMaxHeaderLine = 999;
constexpr size_t kMaxContKeyValue = 511;

bool IsEmpty(const char* text) { return !text || !*text; }

// Adds one header line. libcurl drops a header written "Name:" with nothing after the colon
// (that form removes a header), so an empty value is sent in libcurl's "Name;" form instead.
curl_slist* AppendHeader(curl_slist* list, std::string line) {
  const size_t colon = line.find(':');
  if (colon != std::string::npos && line.find_first_not_of(" \t", colon + 1) == std::string::npos) {
    line.resize(colon);
    line += ';';
  }
  curl_slist* grown = curl_slist_append(list, line.c_str());
  return grown ? grown : list;
}

curl_slist* BuildHeaderList(int json, const std::string& authorization, const char* extraHeader,
                            const char* furtherHeaders) {
  curl_slist* list = AppendHeader(nullptr, json ? kJsonContentType : kFormContentType);
  if (!authorization.empty()) list = AppendHeader(list, authorization);
  if (!IsEmpty(extraHeader)) list = AppendHeader(list, extraHeader);
  if (furtherHeaders) {
    const char* p = furtherHeaders;
    while (*p) {
      const char* end = std::strchr(p, '\n');
      const size_t n = end ? static_cast<size_t>(end - p) : std::strlen(p);
      std::string line(p, n < kMaxHeaderLine ? n : kMaxHeaderLine);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) list = AppendHeader(list, line);
      p += n;
      if (*p == '\n') ++p;
    }
  }
  return list;
}

std::string AuthorizationLine(int sign, const char* appKey, const char* appSecret,
                              const char* query, const char* bearerToken, int signingValue) {
  if (sign) {
    int64_t seconds = 0;
    int64_t micros = 0;
    btc_gettimeofday(&seconds, &micros);
    const uint64_t nonce = static_cast<uint64_t>(seconds) * 1000 + micros / 1000;
    const std::string nonceText = std::to_string(nonce);
    char* token = jwt_credential_hs256("access_key", appKey, query ? query : "", nonceText.c_str(),
                                       nonce, appSecret, signingValue, 1, 0, 0);
    if (token) {
      std::string line = std::string("Authorization: Bearer ") + token;
      std::free(token);
      return line;
    }
  }
  if (!IsEmpty(bearerToken)) return std::string("Authorization: Bearer ") + bearerToken;
  return {};
}

}  // namespace

int EffectiveTimeoutMs(int timeoutMs) { return timeoutMs < 501 ? 5000 : timeoutMs; }

char* SendBrokerRequest(CURL* curl, const char* baseUrl, const char* path, int post,
                        const char* query, const char* body, const char* extraHeader,
                        const char* furtherHeaders, int signingValue, const char* appKey,
                        const char* appSecret, const char* bearerToken, int json, int* outLen,
                        const char* caFile, BrokerRequestState* state,
                        const std::atomic<int>* abortFlag, int timeoutMs, int sign) {
  if (state) {
    state->httpStatus = 0;
    state->errorText.clear();
  }
  if (IsEmpty(baseUrl) || IsEmpty(appKey) || IsEmpty(appSecret) || IsEmpty(path)) return nullptr;

  std::string url = std::string(baseUrl) + path;
  if (!post && !IsEmpty(query)) url += query;

  const std::string authorization =
      AuthorizationLine(sign, appKey, appSecret, query, bearerToken, signingValue);
  curl_slist* headers = BuildHeaderList(json, authorization, extraHeader, furtherHeaders);

  CURL* handle = curl ? curl : curl_easy_init();
  if (!handle) {
    curl_slist_free_all(headers);
    if (state) state->transfer = kTransferNoHandle;
    if (outLen) *outLen = 0;
    return nullptr;
  }
  if (state) state->contKey[0] = 0;

  ReplyAccumulator reply;
  curl_easy_reset(handle);
  curl_easy_setopt(handle, CURLOPT_USERAGENT, kUserAgent);
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  SetSharedRequestOptions(handle, post != 0, body, &reply, abortFlag, caFile,
                          state && state->order);
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
  if (state) {
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, OnRequestHeader);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, state);
  }
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(EffectiveTimeoutMs(timeoutMs)));
  curl_easy_setopt(
      handle, CURLOPT_CONNECTTIMEOUT_MS,
      state && state->connectTimeoutMs > 0 ? state->connectTimeoutMs : kBrokerConnectTimeoutMs);

  char errorBuffer[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorBuffer);

  const CURLcode code = curl_easy_perform(handle);
  if (state) {
    long status = 0;
    if (curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK)
      state->httpStatus = status;
  }
  if (code != CURLE_OK) {
    // The cause in libcurl's words: which certificate check failed, which host did not answer.
    const std::string text = CurlTransferErrorText(code, errorBuffer);
    std::fprintf(stderr, "curl_easy_perform() failed: %s\n", text.c_str());
    if (state) state->errorText = text;
  }

  curl_slist_free_all(headers);
  if (!curl) {
    curl_easy_cleanup(handle);
  } else {
    // The caller's handle outlives this call: it keeps its connection but no pointer into
    // this frame.
    curl_easy_reset(handle);
  }

  if (state) state->transfer = static_cast<unsigned>(code);
  if (outLen) *outLen = static_cast<int>(reply.length);
  return reply.data;
}

void SetSharedRequestOptions(CURL* handle, bool post, const char* body, ReplyAccumulator* reply,
                             const std::atomic<int>* abortFlag, const char* caFile, bool order) {
  if (post) {
    const char* text = body ? body : "";
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE, static_cast<long>(std::strlen(text)));
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, text);
    curl_easy_setopt(handle, CURLOPT_POST, 1L);
  } else {
    curl_easy_setopt(handle, CURLOPT_POST, 0L);
    curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
  }
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, OnRequestData);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, reply);
  if (abortFlag) {
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, OnRequestProgress);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, const_cast<std::atomic<int>*>(abortFlag));
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
  }
  if (!IsEmpty(caFile)) curl_easy_setopt(handle, CURLOPT_CAINFO, caFile);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  if (order) {
    curl_easy_setopt(handle, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(handle, CURLOPT_FORBID_REUSE, 1L);
  }
}

size_t OnRequestData(char* data, size_t size, size_t count, void* userdata) {
  auto* reply = static_cast<ReplyAccumulator*>(userdata);
  const size_t block = size * count;
  char* grown = static_cast<char*>(std::realloc(reply->data, reply->length + block + 1));
  if (!grown) {
    std::free(reply->data);
    reply->data = nullptr;
    reply->length = 0;
    return 0;
  }
  reply->data = grown;
  std::memcpy(reply->data + reply->length, data, block);
  reply->length += block;
  reply->data[reply->length] = 0;
  return block;
}

size_t OnRequestHeader(char* data, size_t size, size_t count, void* userdata) {
  const size_t n = size * count;
  auto* state = static_cast<BrokerRequestState*>(userdata);
  if (!state || IsEmpty(state->contKeyHeader)) return n;
  const size_t nameLen = std::strlen(state->contKeyHeader);
  if (n > nameLen && std::memcmp(data, state->contKeyHeader, nameLen) == 0 &&
      data[nameLen] == ':') {
    const size_t skip = nameLen + 1;
    char value[kMaxContKeyValue + 1];
    size_t len = n - skip;
    if (len > kMaxContKeyValue) len = kMaxContKeyValue;
    std::memcpy(value, data + skip, len);
    value[len] = 0;
    StrTrimA0(value);
    StrSafeCopyA(state->contKey, kContKeySize, value);
  }
  return n;
}

int OnRequestProgress(void* userdata, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  const auto* flag = static_cast<const std::atomic<int>*>(userdata);
  return flag && flag->load() != 0 ? 1 : 0;
}

int ParseResultCode(const char* code) { return ParseGatewayResultCode(code, {"IGW"}); }

int ParseGatewayResultCode(const char* code, std::initializer_list<const char*> prefixes) {
  if (!code || !*code) return 0;
  // A code whose number no int holds is none the broker gives: it reads as an unknown code.
  int number = 0;
  if (std::isalpha(static_cast<unsigned char>(code[0]))) {
    for (const char* prefix : prefixes) {
      if (std::strncmp(code, prefix, 3) == 0 && NumberToIntIn(AtoN(code + 3), 0, 99999, &number))
        return 100000 + number;
    }
    return kUnknownResultCode;
  }
  return NumberToInt(AtoN(code), &number) ? number : kUnknownResultCode;
}

int RevokeReplyCode(const char* reply, int noCode, const char* member) {
  if (!reply) return noCode;
  std::string code;
  StrGetTextWithTextBlockA(reply, member, ':', ',', &code);
  const size_t first = code.find_first_not_of("\" \t\r\n}");
  const size_t last = code.find_last_not_of("\" \t\r\n}");
  code = first == std::string::npos ? std::string() : code.substr(first, last - first + 1);
  if (code.empty()) return noCode;
  int number = 0;
  return NumberToInt(AtoN(code.c_str()), &number) ? number : kUnknownResultCode;
}

char* KeepAnsweredReply(char* reply, int* len, BrokerRequestState* state, std::string* outMessage) {
  const long status = state->httpStatus;
  std::string why;
  if (state->order && state->transfer == CURLE_OK && (status < 200 || status > 299)) {
    why = "HTTP " + std::to_string(status);
  } else if (state->transfer != CURLE_OK) {
    if (state->transfer == kTransferNoHandle) state->errorText = "no HTTP handle";
    why = state->errorText;
  } else {
    return reply;
  }
  std::free(reply);
  if (len) *len = 0;
  // The cause stays with the request: the agent's last message is shared by every worker.
  state->errorText = why;
  if (outMessage) *outMessage = why;
  return nullptr;
}

std::string UrlEncodeFormValue(const char* value) {
  if (!value || !*value) return {};
  char* escaped = curl_easy_escape(nullptr, value, 0);
  if (!escaped) return {};
  std::string text = escaped;
  curl_free(escaped);
  return text;
}

int RunContinuationPaging(int pauseMs, int maxPages, const PageSender& sendPage,
                          const PageHandler& onPage, const std::atomic<int>* running,
                          const ContinuationHeaders& names, unsigned* outTransfer,
                          bool* outMorePending) {
  if (outMorePending) *outMorePending = false;
  if (!sendPage) return 0;
  std::string contKey;
  int pages = 0;
  while (pages < maxPages) {
    if (running && running->load() == 0) break;
    const bool first = pages == 0;
    const std::string extra = std::string(names.more) + ": " + (first ? 'N' : 'Y');
    const bool sendKey = !first || names.keyOnFirstPage;
    const std::string further = std::string(names.key) + ": " + contKey;
    BrokerRequestState page;
    page.contKeyHeader = names.key;
    int len = 0;
    char* reply = sendPage(extra.c_str(), sendKey ? further.c_str() : nullptr, &page, &len);
    ++pages;
    if (outTransfer) *outTransfer = page.transfer;
    if (reply && onPage) onPage(reply, len);
    std::free(reply);
    orv::win::Sleep(static_cast<DWORD>(pauseMs > 0 ? pauseMs : 0));
    contKey = page.contKey;
    if (contKey.empty() || (names.zeroKeyEnds && contKey[0] == '0')) break;
  }
  if (outMorePending) *outMorePending = !contKey.empty();
  return pages;
}

int SendPriceBatches(const std::vector<std::string>& codes, int batchSize, int pauseMs,
                     const BatchSender& sendBatch, const std::atomic<int>* running) {
  if (!sendBatch || batchSize <= 0) return 0;
  int batches = 0;
  for (size_t start = 0; start < codes.size(); start += static_cast<size_t>(batchSize)) {
    if (running && running->load() == 0) break;
    const size_t end = std::min(codes.size(), start + static_cast<size_t>(batchSize));
    std::string joined;
    for (size_t i = start; i < end; ++i) {
      if (i > start) joined += ';';
      joined += codes[i];
    }
    sendBatch(joined, static_cast<int>(end - start));
    ++batches;
    if (end - start == static_cast<size_t>(batchSize)) {
      orv::win::Sleep(static_cast<DWORD>(pauseMs > 0 ? pauseMs : 0));
    }
  }
  return batches;
}

int BuildMultiPriceBody(const char* codes, char* body, size_t bodySize) {
  if (!codes || !body || bodySize == 0) {
    if (body && bodySize) body[0] = 0;
    return 0;
  }
  constexpr size_t kMaxList = 1023;
  constexpr int kMaxCodes = 500;
  constexpr size_t kMaxLines = 3000;
  const std::string list(codes, strnlen(codes, kMaxList));

  auto frame = [](int n, const std::string& lines) {
    char head[64];
    std::snprintf(head, sizeof head, "{ \"In\": {\"dataCnt\": %d\n", n);
    return std::string(head) + lines + " }\n}";
  };

  std::string lines;
  int n = 0;
  size_t pos = 0;
  int seen = 0;
  while (pos <= list.size() && seen < kMaxCodes) {
    size_t cut = list.find(';', pos);
    if (cut == std::string::npos) cut = list.size();
    const std::string code = list.substr(pos, cut - pos);
    pos = cut + 1;
    if (code.empty()) {
      if (cut == list.size()) break;
      continue;
    }
    ++seen;
    const std::string number = std::to_string(n + 1);
    const std::string grown = lines + "    ,\"InputCondMrktDivCode" + number +
                              "\": \"J\", \"InputIscd" + number + "\": \"" + code + "\"\n";
    if (grown.size() > kMaxLines || frame(n + 1, grown).size() + 1 > bodySize) continue;
    lines = grown;
    ++n;
  }
  const std::string text = frame(n, lines);
  if (text.size() + 1 > bodySize) {
    body[0] = 0;
    return 0;
  }
  std::memcpy(body, text.c_str(), text.size() + 1);
  return n;
}

std::string ReadRefusal(const char* reply, std::string* outMessage) {
  std::string code;
  StrGetTextWithTextBlockA(reply, "\"rsp_cd\"", '"', '"', &code);
  if (outMessage) StrGetTextWithTextBlockA(reply, "\"rsp_msg\"", '"', '"', outMessage);
  return code;
}
