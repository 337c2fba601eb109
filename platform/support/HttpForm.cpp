#include "platform/support/HttpForm.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/support/TextConv.h"

namespace {

std::mutex g_caMutex;
std::string g_caFile;
thread_local std::string t_lastTransferError;

// The reply as it arrives.
size_t CollectReply(char* data, size_t size, size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}

curl_slist* CredentialHeaders(const wchar_t* apiKey, const wchar_t* apiUserId, int apiUserIdx,
                              int apiToken) {
  const std::string lines[] = {
      "X-Web-Api-Key: " + WideToUtf8(apiKey ? apiKey : L""),
      "X-Web-Api-User: " + WideToUtf8(apiUserId ? apiUserId : L""),
      "X-Web-Api-Uidx: " + std::to_string(apiUserIdx),
      "X-Web-Api-Token: " + std::to_string(apiToken),
  };
  curl_slist* headers = nullptr;
  for (const std::string& line : lines) headers = curl_slist_append(headers, line.c_str());
  return headers;
}

// One transfer on a handle the options are already set on (method and body). Sets the shared
// options, runs it and hands the reply out.
int Perform(CURL* curl, const char* url, int timeoutMs, const char* userAgent, curl_slist* headers,
            char** outReply, size_t* outLen, int* outStatus) {
  std::string reply;
  curl_easy_setopt(curl, CURLOPT_URL, url);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, userAgent && *userAgent ? userAgent : nullptr);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(timeoutMs > 0 ? timeoutMs : 0));
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, CollectReply);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  const std::string caFile = GfxGetHttpCaCertFile();
  curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.empty() ? nullptr : caFile.c_str());
  char errorBuffer[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);

  const CURLcode code = curl_easy_perform(curl);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
  t_lastTransferError = code == CURLE_OK ? std::string() : CurlTransferErrorText(code, errorBuffer);
  if (code != CURLE_OK)
    std::fprintf(stderr, "HTTP request failed: %s\n", t_lastTransferError.c_str());
  long status = 0;
  if (code == CURLE_OK) curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  if (outStatus) *outStatus = static_cast<int>(status);

  char* copy = nullptr;
  if (code == CURLE_OK) {
    copy = static_cast<char*>(malloc(reply.size() + 1));
    if (copy) {
      memcpy(copy, reply.data(), reply.size());
      copy[reply.size()] = 0;
    }
  }
  if (outLen) *outLen = copy ? reply.size() : 0;
  if (outReply)
    *outReply = copy;
  else
    free(copy);
  // The handle may be reused: it must not keep pointers to this call's data.
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, nullptr);
  return static_cast<int>(code);
}

void ClearOut(char** outReply, size_t* outLen, int* outStatus) {
  if (outReply) *outReply = nullptr;
  if (outLen) *outLen = 0;
  if (outStatus) *outStatus = 0;
}

// One request: a POST of the form, or a GET without one. A null handle is made and cleaned
// up here.
int Send(CURL* curl, const char* url, curl_mime* form, int timeoutMs, const char* userAgent,
         const wchar_t* apiKey, const wchar_t* apiUserId, int apiUserIdx, int apiToken,
         char** outReply, size_t* outLen, int* outStatus) {
  ClearOut(outReply, outLen, outStatus);
  t_lastTransferError = "no HTTP handle or address";
  CURL* own = nullptr;
  if (!curl) curl = own = curl_easy_init();
  int result = -1;
  if (curl && url && *url) {
    curl_slist* headers = CredentialHeaders(apiKey, apiUserId, apiUserIdx, apiToken);
    if (form)
      curl_easy_setopt(curl, CURLOPT_MIMEPOST, form);
    else
      curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    result = Perform(curl, url, timeoutMs, userAgent, headers, outReply, outLen, outStatus);
    if (form) curl_easy_setopt(curl, CURLOPT_MIMEPOST, nullptr);
    curl_slist_free_all(headers);
  }
  if (own) curl_easy_cleanup(own);
  return result;
}

}  // namespace

std::string CurlTransferErrorText(int code, const char* errorBuffer) {
  std::string text = curl_easy_strerror(static_cast<CURLcode>(code));
  if (errorBuffer && *errorBuffer) {
    std::string cause = errorBuffer;
    while (!cause.empty() && (cause.back() == '\n' || cause.back() == '\r')) cause.pop_back();
    if (!cause.empty() && cause != text) text += ": " + cause;
  }
  return text;
}

std::string GfxHttpLastTransferError() { return t_lastTransferError; }

void GfxSetHttpCaCertFile(const char* path) {
  std::lock_guard<std::mutex> lock(g_caMutex);
  g_caFile = path ? path : "";
}

std::string GfxGetHttpCaCertFile() {
  std::lock_guard<std::mutex> lock(g_caMutex);
  return g_caFile;
}

int StrMakeScriptApiUrl(char* out, size_t outSize, const char* baseUrl, const wchar_t* scriptPath,
                        uint8_t, int, int, int) {
  if (!out || outSize == 0) return 0;
  out[0] = 0;
  if (!baseUrl || !*baseUrl) return 0;
  std::string url = baseUrl;
  std::string path = WideToUtf8(scriptPath ? scriptPath : L"");
  while (!url.empty() && url.back() == '/') url.pop_back();
  size_t skip = 0;
  while (skip < path.size() && path[skip] == '/') ++skip;
  url += '/';
  url += path.substr(skip);
  if (url.size() + 1 > outSize) return 0;
  memcpy(out, url.c_str(), url.size() + 1);
  return static_cast<int>(url.size());
}

std::string StrUrlEncodeA(const std::string& value) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(value.size() * 3);
  for (unsigned char c : value) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
        c == '_' || c == '.' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

curl_mimepart* CURL_MIMEADD_TEXTA(curl_mime* form, const char* name, const char* value) {
  if (!form || !name) return nullptr;
  curl_mimepart* part = curl_mime_addpart(form);
  if (!part) return nullptr;
  curl_mime_name(part, name);
  curl_mime_data(part, value ? value : "", CURL_ZERO_TERMINATED);
  return part;
}

curl_mimepart* CURL_MIMEADD_TEXTW(curl_mime* form, const char* name, const wchar_t* value) {
  return CURL_MIMEADD_TEXTA(form, name, WideToUtf8(value ? value : L"").c_str());
}

curl_mimepart* CURL_MIMEADD_INT(curl_mime* form, const char* name, int32_t value) {
  return CURL_MIMEADD_TEXTA(form, name, std::to_string(value).c_str());
}

curl_mimepart* CURL_MIMEADD_UINT64(curl_mime* form, const char* name, uint64_t value) {
  return CURL_MIMEADD_TEXTA(form, name, std::to_string(value).c_str());
}

curl_mimepart* CURL_MIMEADD_FLOAT(curl_mime* form, const char* name, double value) {
  char text[64];
  snprintf(text, sizeof text, "%f", value);
  return CURL_MIMEADD_TEXTA(form, name, text);
}

curl_mimepart* CURL_MIMEADD_FILE(curl_mime* form, const char* name, const char* path) {
  if (!form || !name || !path) return nullptr;
  FILE* file = fopen(path, "rb");
  if (!file) return nullptr;
  fclose(file);
  curl_mimepart* part = curl_mime_addpart(form);
  if (!part) return nullptr;
  curl_mime_name(part, name);
  if (curl_mime_filedata(part, path) != CURLE_OK) return nullptr;
  return part;
}

int GfxHttpPostMimeDataUsingCurl2(const char* url, CURL* curl, curl_mime* form, int freeForm,
                                  char** outReply, size_t* outLen, int* outStatus,
                                  const wchar_t* apiKey, const wchar_t* apiUserId, int apiUserIdx,
                                  int apiToken, int timeoutMs, int, int, const char* userAgent, int,
                                  int) {
  const int result = Send(curl, url, form, timeoutMs, userAgent, apiKey, apiUserId, apiUserIdx,
                          apiToken, outReply, outLen, outStatus);
  if (freeForm) curl_mime_free(form);
  return result;
}

int GfxHttpGetDataUsingCurlObj(CURL* curl, const char* url, int timeoutMs, char** outReply,
                               size_t* outLen, int* outStatus, const wchar_t* apiKey,
                               const wchar_t* apiUserId, int apiUserIdx, int apiToken, int, int,
                               const char* userAgent, int, int) {
  return Send(curl, url, nullptr, timeoutMs, userAgent, apiKey, apiUserId, apiUserIdx, apiToken,
              outReply, outLen, outStatus);
}
