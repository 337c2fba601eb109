#include "plugin/monitor/core/ForeignStockLists.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/support/HttpForm.h"
#include "platform/support/TextConv.h"
#include "platform/win/Registry.h"

namespace {

constexpr long kTimeoutSeconds = 20;
constexpr const char* kUserAgent =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/124 Safari/537.36";
constexpr const char* kDefaultApiBase = "https://api.stock.naver.com/";
constexpr const char* kDefaultMobileBase = "https://m.stock.naver.com/";
// A page holds up to 100 items; every one of them is taken.
constexpr int kPageSize = 100;
constexpr int kPagesWithoutTotal = 30;
constexpr size_t kCodeSize = 32;
constexpr size_t kNameSize = 128;
constexpr size_t kUrlSize = 256;

size_t AppendChunk(char* data, size_t size, size_t count, void* user) {
  auto* buffer = static_cast<HttpBuffer*>(user);
  const size_t n = size * count;
  char* grown = static_cast<char*>(std::realloc(buffer->data, buffer->size + n + 1));
  if (!grown) return 0;  // stops the transfer
  std::memcpy(grown + buffer->size, data, n);
  buffer->size += n;
  grown[buffer->size] = '\0';
  buffer->data = grown;
  return n;
}

int AbortWhenStopped(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  const auto* running = static_cast<const KeepRunning*>(user);
  return running && *running && !(*running)() ? 1 : 0;
}

void FreeBuffer(HttpBuffer* buffer) {
  std::free(buffer->data);
  buffer->data = nullptr;
  buffer->size = 0;
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

std::string BaseSetting(const char* key, const char* fallback) {
  std::string value = Trimmed(orv::win::GetProfileString("Settings", key, std::string()));
  if (value.empty()) return fallback;
  if (value.back() != '/') value += '/';
  return value;
}

// Owns one easy handle for a list.
struct CurlHandle {
  CURL* curl = curl_easy_init();
  ~CurlHandle() {
    if (curl) curl_easy_cleanup(curl);
  }
};

}  // namespace

const ForeignListColumn kForeignListColumns[6] = {{L"Market", 90}, {L"Code", 120},
                                                  {L"Symbol", 90}, {L"Name", 160},
                                                  {L"Exchange", 100}, {L"Nation", 70}};

bool HttpGetJson(CURL* curl, const char* url, HttpBuffer* out, const KeepRunning* running) {
  if (!out) return false;
  FreeBuffer(out);
  if (!curl || !url || !*url) return false;
  curl_easy_reset(curl);
  const std::string referer = BaseSetting("ForeignListMobileUrl", kDefaultMobileBase);
  struct curl_slist* headers = curl_slist_append(nullptr, "Accept: application/json");
  headers = curl_slist_append(headers, ("Referer: " + referer).c_str());
  curl_easy_setopt(curl, CURLOPT_URL, url);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendChunk);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, out);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, kTimeoutSeconds);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  const std::string ca = GfxGetHttpCaCertFile();
  if (!ca.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, ca.c_str());
  if (running && *running) {
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &AbortWhenStopped);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, const_cast<KeepRunning*>(running));
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  }
  const CURLcode code = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  // The handle must not keep pointers to this call's header list.
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
  curl_slist_free_all(headers);
  if (code != CURLE_OK || status != 200 || out->size == 0) {
    FreeBuffer(out);
    return false;
  }
  return true;
}

int ScanJsonStrings(const char* json, const char* key, char* entries, size_t entrySize,
                    int maximum) {
  if (!json || !key || !entries || entrySize == 0 || maximum <= 0) return 0;
  const std::string pattern = "\"" + std::string(key) + "\":\"";
  int found = 0;
  const char* at = json;
  while (found < maximum) {
    const char* start = std::strstr(at, pattern.c_str());
    if (!start) break;
    start += pattern.size();
    const char* end = start;
    while (*end && *end != '"') {
      if (*end == '\\' && end[1]) ++end;
      ++end;
    }
    if (*end != '"') break;  // the value never ends
    const size_t n = std::min(static_cast<size_t>(end - start), entrySize - 1);
    char* entry = entries + static_cast<size_t>(found) * entrySize;
    std::memcpy(entry, start, n);
    entry[n] = '\0';
    ++found;
    at = end + 1;
  }
  return found;
}

long ParseTotalCount(const char* json) {
  if (!json) return 0;
  const char* at = std::strstr(json, "\"totalCount\"");
  if (!at) return 0;
  at = std::strchr(at, ':');
  if (!at) return 0;
  ++at;
  while (*at && std::isspace(static_cast<unsigned char>(*at))) ++at;
  if (!std::isdigit(static_cast<unsigned char>(*at))) return 0;
  char digits[32] = {};
  for (size_t i = 0; i < sizeof digits - 1 && std::isdigit(static_cast<unsigned char>(at[i])); ++i)
    digits[i] = at[i];
  return std::strtol(digits, nullptr, 10);
}

void SplitSymbol(const char* symbol, char* base, size_t baseSize, char* suffix,
                 size_t suffixSize) {
  auto copy = [](char* out, size_t size, const char* from, size_t n) {
    if (!out || size == 0) return;
    n = std::min(n, size - 1);
    if (n) std::memcpy(out, from, n);
    out[n] = '\0';
  };
  if (!symbol) symbol = "";
  const char* dot = std::strchr(symbol, '.');
  if (!dot) {
    copy(base, baseSize, symbol, std::strlen(symbol));
    copy(suffix, suffixSize, "", 0);
    return;
  }
  copy(base, baseSize, symbol, static_cast<size_t>(dot - symbol));
  copy(suffix, suffixSize, dot, std::strlen(dot));
}

CForeignStockLists::CForeignStockLists(std::string apiBase, std::string mobileBase)
    : apiBase_(std::move(apiBase)), mobileBase_(std::move(mobileBase)) {}

CForeignStockLists CForeignStockLists::FromSettings() {
  return CForeignStockLists(BaseSetting("ForeignListApiUrl", kDefaultApiBase),
                            BaseSetting("ForeignListMobileUrl", kDefaultMobileBase));
}

int CForeignStockLists::LoadForeignStockLists(KeepRunning running) {
  running_ = std::move(running);
  rows_.clear();
  auto go = [&] { return !running_ || running_(); };
  CurlHandle handle;
  if (!handle.curl) return 0;
  if (go()) LoadExchangeList(handle.curl, L"NASDAQ", "NASDAQ", L"NASDAQ", L"USA");
  if (go()) LoadDowConstituents(handle.curl);
  if (go()) LoadExchangeList(handle.curl, L"KOSPI", "KOSPI", L"KOSPI", L"KOR");
  if (go()) LoadExchangeList(handle.curl, L"KOSDAQ", "KOSDAQ", L"KOSDAQ", L"KOR");
  running_ = nullptr;
  return static_cast<int>(rows_.size());
}

int CForeignStockLists::LoadExchangeList(CURL* curl, const wchar_t* label,
                                         const char* exchangeCode, const wchar_t* exchangeName,
                                         const wchar_t* nationCode) {
  char url[kUrlSize];
  if (std::snprintf(url, sizeof url, "%sstock/exchange/%s/marketValue", apiBase_.c_str(),
                    exchangeCode) >= static_cast<int>(sizeof url))
    return 0;
  HttpBuffer page;
  if (!HttpGetJson(curl, url, &page, &running_)) return 0;
  const long total = ParseTotalCount(page.data);
  const long pages = total < 1 ? kPagesWithoutTotal : (total + kPageSize - 1) / kPageSize;
  int added = AddPageRows(page.data, "symbolCode", "stockName", label, exchangeName, nationCode,
                          false);
  for (long n = 2; n <= pages; ++n) {
    char pageUrl[kUrlSize + 40];
    std::snprintf(pageUrl, sizeof pageUrl, "%s?page=%ld&pageSize=%d", url, n, kPageSize);
    if (!HttpGetJson(curl, pageUrl, &page, &running_)) break;
    added += AddPageRows(page.data, "symbolCode", "stockName", label, exchangeName, nationCode,
                         false);
  }
  std::free(page.data);
  return added;
}

int CForeignStockLists::LoadDowConstituents(CURL* curl) {
  const std::string urls[2] = {mobileBase_ + "api/worldstock/index/.DJI/constituents",
                               apiBase_ + "worldstock/index/.DJI/constituents"};
  for (const std::string& url : urls) {
    HttpBuffer reply;
    if (!HttpGetJson(curl, url.c_str(), &reply, &running_)) continue;
    int added = AddPageRows(reply.data, "symbolCode", "stockName", L"DOW", nullptr, L"USA", true);
    if (added == 0) added = AddPageRows(reply.data, "symbol", "name", L"DOW", nullptr, L"USA", true);
    std::free(reply.data);
    if (added > 0) return added;
  }
  return 0;
}

int CForeignStockLists::AddPageRows(const char* json, const char* codeKey, const char* nameKey,
                                    const wchar_t* label, const wchar_t* exchangeName,
                                    const wchar_t* nationCode, bool dowExchange) {
  std::vector<char> codes(kPageSize * kCodeSize);
  std::vector<char> names(kPageSize * kNameSize);
  const int codeCount = ScanJsonStrings(json, codeKey, codes.data(), kCodeSize, kPageSize);
  const int nameCount = ScanJsonStrings(json, nameKey, names.data(), kNameSize, kPageSize);
  const int n = std::min(codeCount, nameCount);
  for (int i = 0; i < n; ++i) {
    const char* code = &codes[static_cast<size_t>(i) * kCodeSize];
    const wchar_t* exchange = exchangeName;
    if (dowExchange) {
      char base[kCodeSize];
      char suffix[6];
      SplitSymbol(code, base, sizeof base, suffix, sizeof suffix);
      exchange = std::strcmp(suffix, ".OQ") == 0 ? L"NASDAQ"
                 : std::strcmp(suffix, ".N") == 0 ? L"NYSE"
                                                  : L"USA";
    }
    AddForeignStockRow(label, code, &names[static_cast<size_t>(i) * kNameSize], exchange,
                       nationCode);
  }
  return n;
}

void CForeignStockLists::AddForeignStockRow(const wchar_t* label, const char* code,
                                            const char* name, const wchar_t* exchangeName,
                                            const wchar_t* nationCode) {
  char base[kCodeSize];
  char suffix[6];
  SplitSymbol(code, base, sizeof base, suffix, sizeof suffix);
  ForeignStockRow_s row;
  row.market = label ? label : L"";
  row.code = Utf8ToWide(code ? code : "");
  row.symbol = Utf8ToWide(base);
  row.name = Utf8ToWide(name ? name : "");
  row.exchange = exchangeName ? exchangeName : L"";
  row.nation = nationCode ? nationCode : L"";
  rows_.push_back(std::move(row));
}
