#pragma once
// Requests to the product's web server over libcurl: script URLs, multipart form builders and
// the two senders (multipart POST, GET).
//
// The four web-API credentials (key, user id, user index, token) travel with every request as
// HTTP headers, so that no form or query of a caller ever changes for them:
//   X-Web-Api-Key: <key, UTF-8>      X-Web-Api-User: <user id, UTF-8>
//   X-Web-Api-Uidx: <user index>     X-Web-Api-Token: <token>
//
// TLS always verifies the peer and its host name, against the CA file set with
// GfxSetHttpCaCertFile ("<program folder>Settings/cacert.pem"), else the system store.
// A sender returns the transfer's libcurl code (0 success, CURLE_OPERATION_TIMEDOUT when the
// time-out passed, ...) or -1 when it could not send (no handle, no URL). The reply is a heap
// buffer (malloc, NUL-terminated) that the caller frees; null when nothing came back.

#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <string>

// The CA file every request verifies TLS with; empty or null: the system store.
void GfxSetHttpCaCertFile(const char* path);
std::string GfxGetHttpCaCertFile();

// The address of a script of the web server: the base URL, one '/', then the script path
// (UTF-8). The flag byte and the three values are accepted and not used. Returns the length
// written; 0 (out empty) when the base is empty or the address does not fit.
int StrMakeScriptApiUrl(char* out, size_t outSize, const char* baseUrl, const wchar_t* scriptPath,
                        uint8_t flag, int r1 = 0, int r2 = 0, int r3 = 0);

// Percent-encoding of a query value (RFC 3986 unreserved characters stay as they are).
std::string StrUrlEncodeA(const std::string& value);

// Form builders: each adds one part named `name` at the end of the form; null when the form
// or the name is missing. Wide texts go as UTF-8; numbers as decimal text.
curl_mimepart* CURL_MIMEADD_TEXTA(curl_mime* form, const char* name, const char* value);
curl_mimepart* CURL_MIMEADD_TEXTW(curl_mime* form, const char* name, const wchar_t* value);
curl_mimepart* CURL_MIMEADD_INT(curl_mime* form, const char* name, int32_t value);
curl_mimepart* CURL_MIMEADD_UINT64(curl_mime* form, const char* name, uint64_t value);
curl_mimepart* CURL_MIMEADD_FLOAT(curl_mime* form, const char* name, double value);
// The file's contents, with its file name; null when the file cannot be read.
curl_mimepart* CURL_MIMEADD_FILE(curl_mime* form, const char* name, const char* path);

// Posts the form to url on the handle (null: a handle of its own, cleaned up afterwards).
// With freeForm 1 the form is freed here in every case; with 0 the caller frees it. The
// reply, its length and the HTTP status (0 when no answer) go to the out values.
int GfxHttpPostMimeDataUsingCurl2(const char* url, CURL* curl, curl_mime* form, int freeForm,
                                  char** outReply, size_t* outLen, int* outStatus,
                                  const wchar_t* apiKey, const wchar_t* apiUserId, int apiUserIdx,
                                  int apiToken, int timeoutMs, int r1, int r2,
                                  const char* userAgent, int r3, int r4);

// The text of a failed transfer: what libcurl wrote into the transfer's error buffer, which names
// the cause (a certificate whose name does not match the host, an expired certificate, an
// unknown certificate authority), after the code's general text; the general text alone when
// the buffer is empty.
std::string CurlTransferErrorText(int code, const char* errorBuffer);

// The text of this thread's last failed transfer of the two calls here (CurlTransferErrorText);
// empty when the last one succeeded. Read it right after the call, like errno.
std::string GfxHttpLastTransferError();

// GET of url on the handle (null: a handle of its own), the rest as the post.
int GfxHttpGetDataUsingCurlObj(CURL* curl, const char* url, int timeoutMs, char** outReply,
                               size_t* outLen, int* outStatus, const wchar_t* apiKey,
                               const wchar_t* apiUserId, int apiUserIdx, int apiToken, int r1,
                               int r2, const char* userAgent, int r3, int r4);
