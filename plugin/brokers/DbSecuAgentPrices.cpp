// The DB agent's stock lists and prices.

#include <rapidjson/document.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/stocklib/PriceLogLine.h"
#include "platform/support/JsonGetters.h"
#include "platform/support/TextConv.h"
#include "platform/support/TextScan.h"
#include "platform/win/Clock.h"
#include "plugin/brokers/BrokerTransport.h"
#include "plugin/brokers/DbSecuAgent.h"
#include "plugin/brokers/MultiPriceReply.h"

namespace {

constexpr const char* kDomesticTickerPath = "/api/v1/quote/kr-stock/inquiry/stock-ticker";
constexpr const char* kOverseasTickerPath = "/api/v1/quote/overseas-stock/inquiry/stock-ticker";
constexpr const char* kAllTickersPath = "/public/ticker/ALL";
constexpr const char* kDomesticPricePath = "/api/v1/quote/kr-stock/inquiry/multiprice";
constexpr const char* kOverseasPricePath = "/api/v1/quote/overseas-stock/inquiry/multiprice";
constexpr size_t kQueryPricesBodySize = 1000;
constexpr size_t kOutCodeTextSize = 20;
constexpr size_t kNxtPrefixLen = 2;  // "N-" before a code asked on the NXT exchange

bool IsDomesticListLetter(char letter) { return letter != 'D' && letter != 'N' && letter != 'A'; }

// The body of a stock-list request for a market letter, or null for a letter without a list.
const char* TickerBody(char letter) {
  switch (letter) {
    case '1':
    case '2':
    case '8':
      return "{\"In\": {\"InputCondMrktDivCode\": \"J\" }}";
    case 'D':
      return "{\"In\": {\"InputDataCode\": \"NY\" }}";
    case 'N':
      return "{\"In\": {\"InputDataCode\": \"NA\" }}";
    case 'A':
      return "{\"In\": {\"InputDataCode\": \"AM\" }}";
    default:
      return nullptr;
  }
}

// The exchange code of an overseas record's market letter in a price request.
const char* OverseasExchangeCode(char letter) {
  switch (letter) {
    case 'N':
      return "FN";
    case 'A':
      return "FA";
    default:
      return "FY";
  }
}

// A broker code as a wide key without allocating for the usual ASCII codes.
class WideCode {
 public:
  explicit WideCode(const char* code) {
    size_t i = 0;
    for (; code[i] && i < kStockCodeLen; ++i) {
      const auto c = static_cast<unsigned char>(code[i]);
      if (c >= 0x80) {
        wide_ = Utf8ToWide(code);
        if (wide_.size() > kStockCodeLen) wide_.resize(kStockCodeLen);
        return;
      }
      buf_[i] = static_cast<wchar_t>(c);
    }
    buf_[i] = 0;
    len_ = i;
  }
  const wchar_t* c_str() const { return wide_.empty() ? buf_ : wide_.c_str(); }
  std::wstring_view view() const {
    return wide_.empty() ? std::wstring_view(buf_, len_) : std::wstring_view(wide_);
  }

 private:
  wchar_t buf_[kStockCodeLen + 1];
  size_t len_ = 0;
  std::wstring wide_;
};

// The record a quoted code names; a code asked on the NXT exchange may come back with its
// "N-" prefix. `next` is where the previous row's record was found: a reply lists
// its rows in the order the request asked them, which is the map's order, so the record after
// it is tried first and the tree is searched only when that is not the one.
Stock_s* FindQuoted(StockMap* stocks, const char* code, StockMap::iterator* next) {
  // The map's comparator takes the wide text as it is: no key string is built per lookup.
  auto find = [stocks, next](const char* text) -> Stock_s* {
    const WideCode wide(text);
    auto it = stocks->end();
    if (*next != stocks->end() && (*next)->first == wide.view()) {
      it = *next;
    } else {
      it = stocks->find(wide.view());
    }
    if (it == stocks->end()) return nullptr;
    *next = std::next(it);
    return it->second;
  };
  Stock_s* stock = find(code);
  if (!stock && std::strncmp(code, "N-", kNxtPrefixLen) == 0) stock = find(code + kNxtPrefixLen);
  return stock;
}

// Applies one quote and, when a log is being collected, adds the record's price line.
void ApplyQuote(Stock_s* stock, uint8_t priceSlot, const StockQuote_s& quote, const SYSTEMTIME& now,
                uint64_t tick, const char* timeText, const char* code, std::string* logLines) {
  GfxUpdateStockPrice(stock, priceSlot, quote, now);
  if (logLines) {
    const double values[5] = {quote.cur_price, quote.change_rate, quote.open_price, quote.low_price,
                              quote.high_price};
    AppendPriceLogLine(logLines, stock->market, code, tick, timeText, values);
  }
}

// A quote field: a JSON number, or numeric text (the broker writes its numbers as text). The
// common plain decimal text takes the fast path; anything else is read as strtod reads it.
double QuoteNumber(const rapidjson::Value& v) {
  if (v.IsNumber()) return v.GetDouble();
  if (!v.IsString()) return 0;
  const char* text = v.GetString();
  const char* end = text + v.GetStringLength();
  double value = 0;
  const auto parsed = std::from_chars(text, end, value);
  if (parsed.ec == std::errc() && parsed.ptr == end) return value;
  return std::strtod(text, nullptr);
}

// One row of a multi-price reply, read in a single pass over its members.
struct QuoteRow {
  const char* code = nullptr;
  StockQuote_s quote;
};

QuoteRow ReadQuoteRow(const rapidjson::Value& row) {
  QuoteRow r;
  struct Field {
    const char* name;
    unsigned len;
    double* target;
  };
  const Field fields[] = {
      {"Prpr", 4, &r.quote.cur_price},  {"Oprc", 4, &r.quote.open_price},
      {"Hprc", 4, &r.quote.high_price}, {"Lprc", 4, &r.quote.low_price},
      {"PrdyVrss", 8, &r.quote.change}, {"PrdyCtrt", 8, &r.quote.change_rate},
  };
  for (auto it = row.MemberBegin(); it != row.MemberEnd(); ++it) {
    const char* name = it->name.GetString();
    const unsigned len = it->name.GetStringLength();
    if (len == 4 && std::memcmp(name, "Iscd", 4) == 0) {
      if (it->value.IsString()) r.code = it->value.GetString();
      continue;
    }
    for (const Field& f : fields) {
      if (f.len == len && std::memcmp(f.name, name, len) == 0) {
        *f.target = QuoteNumber(it->value);
        break;
      }
    }
  }
  return r;
}

void WriteLog(FILE* priceLog, const std::string& lines) {
  if (!priceLog || lines.empty()) return;
  // No flush: the polling pass flushes the log once at its end.
  std::fwrite(lines.data(), 1, lines.size(), priceLog);
}

// The value after a quoted member name in a reply read as text (between ':' and ','), its
// quotes removed.
std::string TextValue(const char* text, const char* key) {
  char value[128];
  StrGetTextWithTextBlockA(text, key, ':', ',', value, sizeof value);
  StrReplaceCharOneOfA(value, "\"");
  return value;
}

double TextNumber(const char* text, const char* key) { return AtoN(TextValue(text, key).c_str()); }

}  // namespace

char* CDbSecuAgent::QueryStockTickerPage(CURL* curl) {
  if (!HasCredentials()) return nullptr;
  return Post(curl, kDomesticTickerPath, "", 1, "cont_yn: N", true, nullptr, "cont_key:");
}

int CDbSecuAgent::PostPages(CURL* curl, const char* path, const char* body, int pauseMs,
                            const std::function<void(const char* reply, int len)>& onPage) {
  return RunContinuationPaging(
      pauseMs, kMaxContinuationPages,
      [&](const char* extra, const char* further, BrokerRequestState* state, int* outLen) {
        return Post(curl, path, body, 1, extra, true, outLen, further, state);
      },
      onPage, nullptr);
}

int CDbSecuAgent::LoadStockList(CURL* curl, OwningStockMap* stocks, uint8_t market,
                                char marketLetter, uint8_t priceSlot, int startIndex,
                                int* outStatus, int freeFirst) {
  const char* body = TickerBody(marketLetter);
  const char* path = IsDomesticListLetter(marketLetter) ? kDomesticTickerPath : kOverseasTickerPath;
  return LoadListPages(curl, stocks, market, marketLetter, priceSlot, startIndex, outStatus,
                       freeFirst, [&](const PageHandler& onPage) {
                         if (body) PostPages(curl, path, body, kDbListPagePauseMs, onPage);
                       });
}

int CDbSecuAgent::LoadListPages(CURL* curl, OwningStockMap* stocks, uint8_t market,
                                char marketLetter, uint8_t priceSlot, int startIndex,
                                int* outStatus, int freeFirst,
                                const std::function<void(const PageHandler& onPage)>& runPages) {
  if (!stocks) stocks = m_defaultStocks;
  if (!curl || !stocks || !HasCredentials()) return 0;
  if (freeFirst) RunMerge([&] { GfxStockDataListFree2(stocks, 0, 1, 0); });
  const char* nation = market == kMarketOverseas ? "US" : market == 5 ? "JP" : "KR";

  int total = 0;
  // Each page reaches the map through the merge step: the map may be the view's master map,
  // which the balance merges also fill. The request and the pause run without it.
  runPages([&](const char* reply, int) {
    RunMerge([&] {
      total += ParseStockList(reply, stocks, market, nation, marketLetter, priceSlot,
                              startIndex + total, outStatus);
    });
  });
  return total;
}

int CDbSecuAgent::ParseStockList(const char* reply, OwningStockMap* stocks, uint8_t market,
                                 const char* nationCode, char marketLetter, uint8_t priceSlot,
                                 int runningIndex, int* outStatus) {
  if (!reply || !*reply || !stocks) return 0;
  rapidjson::Document doc;
  doc.Parse(reply);
  if (doc.HasParseError() || !doc.IsObject()) {
    if (outStatus) *outStatus = kDbListNotJson;
    return 0;
  }
  const rapidjson::Value* rows = JsonGetArray(doc, "Out");
  if (!rows) return 0;

  const bool domestic = IsDomesticListLetter(marketLetter);
  int added = 0;
  for (const rapidjson::Value& row : rows->GetArray()) {
    if (!row.IsObject()) continue;
    const char* code = JsonGetStringPtr(row, "Iscd");
    const char* name = JsonGetStringPtr(row, "KorIsnm");
    if (!code || !*code || !name || !*name) {
      if (outStatus) *outStatus = kDbListEntryIncomplete;
      continue;
    }
    // Only a domestic code carries the leading 'A'; overseas symbols keep every letter. The
    // code is normalised here, so the map helper is asked for no normalisation (market 0).
    if (domestic && code[0] == 'A') ++code;
    bool made = false;
    Stock_s* stock = GfxAddStockToMap(stocks, WideCode(code).c_str(), 0, priceSlot,
                                      runningIndex + added + 1, &made);
    if (!stock || !made) continue;
    stock->market = market;
    stock->domestic = domestic ? 1 : 0;
    JsonCopyString(row, "StndIscd", stock->std_code, sizeof stock->std_code);
    StrSafeCopyA(stock->nation_code, sizeof stock->nation_code, nationCode ? nationCode : "");
    stock->name = Utf8ToWide(name);
    if (domestic) {
      const char* cls = JsonGetStringPtr(row, "MrktClsCode");
      stock->market_letter = cls && std::strcmp(cls, "1") == 0   ? '1'
                             : cls && std::strcmp(cls, "4") == 0 ? '2'
                                                                 : '0';
    } else {
      stock->market_letter = marketLetter;
    }
    ++added;
  }
  return added;
}

char* CDbSecuAgent::QueryAllTickers(CURL*, const char* key, const char* secret) {
  const bool given = key && *key && secret && *secret;
  CURL* handle = curl_easy_init();
  if (!handle) return nullptr;
  const RequestCredentials credentials = CredentialsForRequest();
  BrokerRequestState request;
  request.contKeyHeader = m_contKeyHeader;
  request.connectTimeoutMs = m_connectTimeoutMs;
  char* reply = SendBrokerRequest(handle, m_baseUrl, kAllTickersPath, 0, nullptr, nullptr, nullptr,
                                  nullptr, 0, given ? key : credentials.key.c_str(),
                                  given ? secret : credentials.secret.c_str(), nullptr, 1, nullptr,
                                  m_caCertPath.c_str(), &request, m_stopFlag, m_timeoutMs, 0);
  curl_easy_cleanup(handle);
  m_lastTransfer = request.transfer;
  if (request.transfer != CURLE_OK) {
    std::free(reply);
    return nullptr;
  }
  return reply;
}

char* CDbSecuAgent::QueryPricesA(CURL* curl, const char* codes) {
  char body[kQueryPricesBodySize];
  if (BuildMultiPriceBody(codes, body, sizeof body) == 0 || !HasCredentials()) return nullptr;
  PostPages(curl, kDomesticPricePath, body, kDbPricePagePauseMs, nullptr);
  return nullptr;
}

int CDbSecuAgent::UpdatePrices(CURL* curl, uint8_t market, uint8_t priceSlot, uint8_t exchange,
                               StockMap* stocks, const std::atomic<int>* running, int pauseMs,
                               char* outMsg, int* outCode, FILE* priceLog) {
  if (!stocks || !running || stocks->empty()) return 0;
  if (market != kMarketDomestic && market != kMarketOverseas) return 0;
  const char* path = market == kMarketDomestic ? kDomesticPricePath : kOverseasPricePath;

  // Each entry is "<market division code>:<code as asked>".
  std::vector<std::string> entries;
  for (const auto& [key, stock] : *stocks) {
    if (!stock || stock->market != market) continue;
    const std::string code = WideToUtf8(key);
    if (market == kMarketDomestic) {
      entries.push_back(exchange == 2 ? "NJ:N-" + code : "J:" + code);
    } else {
      entries.push_back(std::string(OverseasExchangeCode(stock->market_letter)) + ":" + code);
    }
  }

  int total = 0;
  SendPriceBatches(
      entries, kPriceBatchSize, pauseMs,
      [&](const std::string& joined, int count) {
        std::string lines;
        int n = 0;
        size_t pos = 0;
        while (pos <= joined.size() && n < count) {
          size_t cut = joined.find(';', pos);
          if (cut == std::string::npos) cut = joined.size();
          const std::string entry = joined.substr(pos, cut - pos);
          pos = cut + 1;
          const size_t colon = entry.find(':');
          ++n;
          char line[256];
          std::snprintf(line, sizeof line,
                        ",\"InputCondMrktDivCode%d\": \"%s\", \"InputIscd%d\": \"%s\"\n", n,
                        entry.substr(0, colon).c_str(), n, entry.c_str() + colon + 1);
          lines += line;
        }
        const int updated = QueryMultiPrices(curl, market, priceSlot, path, stocks, lines.c_str(),
                                             n, nullptr, outMsg, outCode, priceLog);
        if (updated > 0) total += updated;
      },
      running);
  if (total >= 1) ++m_priceUpdates;
  return total;
}

int CDbSecuAgent::QueryMultiPrices(CURL* curl, uint8_t, uint8_t priceSlot, const char* path,
                                   StockMap* stocks, const char* body, int codeCount, char*,
                                   char* outMsg, int* outCode, FILE* priceLog) {
  char head[64];
  std::snprintf(head, sizeof head, "{ \"In\": {\"dataCnt\": %d\n", codeCount);
  const std::string request = std::string(head) + (body ? body : "") + " }\n}";
  int len = 0;
  char* reply = Post(curl, path, request.c_str(), 1, nullptr, true, &len);
  if (!reply) return 0;
  const int updated = ParseMultiPriceResponse(priceSlot, reply, static_cast<size_t>(len), stocks,
                                              outMsg, outCode, priceLog);
  std::free(reply);
  return updated;
}

int CDbSecuAgent::ParseMultiPriceResponse(uint8_t priceSlot, const char* reply, size_t len,
                                          StockMap* stocks, char* outCodeText, int* outCode,
                                          FILE* priceLog) {
  return ApplyMultiPriceReply(priceSlot, reply, len, stocks, outCodeText, outCode, priceLog,
                              [this](const std::function<void()>& apply) { RunMerge(apply); },
                              m_resultCode);
}

int ApplyMultiPriceReply(uint8_t priceSlot, const char* reply, size_t len, StockMap* stocks,
                         char* outCodeText, int* outCode, FILE* priceLog,
                         const QuoteApplyStep& step, int (*resultCode)(const char* code)) {
  if (outCode) *outCode = 0;
  if (!reply || len == 0 || !stocks) return 0;
  // A poll parses a reply per batch all day long: the tree is built in a per-thread buffer
  // (the pool only reaches for the heap when a reply outgrows it), and the reply is read in
  // place from a per-thread copy, so that its texts are not copied a second time into the tree.
  // The copy (and the texts the tree points at) stays valid until this thread's next reply.
  alignas(8) static thread_local char poolBuffer[64 * 1024];
  static thread_local std::vector<char> threadText;
  std::vector<char>& text = threadText;
  const size_t n = reply[len] == '\0' ? len : strnlen(reply, len);
  text.assign(reply, reply + n);
  text.push_back('\0');
  rapidjson::MemoryPoolAllocator<> pool(poolBuffer, sizeof poolBuffer);
  rapidjson::Document doc(&pool);
  doc.ParseInsitu(text.data());
  if (doc.HasParseError() || !doc.IsObject()) return 0;

  SYSTEMTIME now;
  orv::win::GetLocalTime(&now);
  const uint64_t tick = orv::win::GetTickCount();
  char timeText[32];
  FormatPriceLogTime(now, timeText, sizeof timeText);

  const char* code = JsonGetStringPtr(doc, "rsp_cd");
  if (outCodeText) StrSafeCopyA(outCodeText, kOutCodeTextSize, code ? code : "");
  if (outCode) *outCode = resultCode ? resultCode(code) : ParseResultCode(code);

  const rapidjson::Value* rows = JsonGetArray(doc, "Out");
  if (!rows) return 0;
  // The reply is read without the lock; the quotes reach the records (which the windows and
  // the rule check read) in one short step of the view's merge.
  std::vector<QuoteRow> quotes;
  quotes.reserve(rows->Size());
  for (const rapidjson::Value& row : rows->GetArray()) {
    if (!row.IsObject()) continue;
    QuoteRow r = ReadQuoteRow(row);
    if (r.code && *r.code) quotes.push_back(r);
  }
  // The log lines of a reply are gathered in a per-thread buffer that keeps its room.
  static thread_local std::string threadLogLines;
  std::string& logLines = threadLogLines;
  logLines.clear();
  int updated = 0;
  step([&] {
    StockMap::iterator next = stocks->end();
    for (const QuoteRow& r : quotes) {
      Stock_s* stock = FindQuoted(stocks, r.code, &next);
      if (!stock) continue;
      ApplyQuote(stock, priceSlot, r.quote, now, tick, timeText, r.code,
                 priceLog ? &logLines : nullptr);
      ++updated;
    }
  });
  WriteLog(priceLog, logLines);
  return updated;
}

int CDbSecuAgent::ParsePriceResponse(const char* reply, size_t len, Stock_s* stock,
                                     uint8_t priceSlot, FILE* priceLog) {
  if (!reply || len == 0 || !stock) return 0;
  const char* out = std::strstr(reply, "\"Out\"");
  const int code = m_resultCode(TextValue(reply, "\"rsp_cd\"").c_str());
  if (std::strstr(reply, "\"error\"")) {
    std::string message;
    StrGetTextWithTextBlockA(std::strstr(reply, "\"error\""), "\"message\"", '"', '"', &message);
    SetLastMessage(Utf8ToWide(message).c_str());
    return 0;
  }
  if (!out || code != 0) return 0;

  SYSTEMTIME now;
  orv::win::GetLocalTime(&now);
  char timeText[32];
  FormatPriceLogTime(now, timeText, sizeof timeText);
  StockQuote_s quote;
  quote.cur_price = TextNumber(out, "\"Prpr\"");
  quote.open_price = TextNumber(out, "\"Oprc\"");
  quote.high_price = TextNumber(out, "\"Hprc\"");
  quote.low_price = TextNumber(out, "\"Lprc\"");
  const double previous = TextNumber(out, "\"Sdpr\"");
  quote.change = previous > 0 ? quote.cur_price - previous : 0;
  quote.change_rate = TextNumber(out, "\"PrprVrssOprcRate\"");
  std::string lines;
  RunMerge([&] {
    ApplyQuote(stock, priceSlot, quote, now, orv::win::GetTickCount(), timeText,
               WideToUtf8(stock->code).c_str(), priceLog ? &lines : nullptr);
  });
  WriteLog(priceLog, lines);
  return 1;
}

int CDbSecuAgent::ParseUSAPriceResponse(const char* reply, size_t len, StockMap* stocks,
                                        uint8_t priceSlot, FILE* priceLog) {
  if (!reply || len == 0 || !stocks) return 0;
  rapidjson::Document doc;
  doc.Parse(reply, len);
  if (doc.HasParseError() || !doc.IsObject()) return 0;
  const char* code = JsonGetStringPtr(doc, "rsp_cd");
  if (m_resultCode(code) != 0) {
    NoteRefusal(reply);
    return 0;
  }
  const rapidjson::Value* out = JsonGetObject(doc, "Out");
  const char* symbol = out ? JsonGetStringPtr(*out, "Symbl") : nullptr;
  Stock_s* stock = symbol && *symbol ? stocks->Find(WideCode(symbol).c_str()) : nullptr;
  if (!stock) return 0;

  SYSTEMTIME now;
  orv::win::GetLocalTime(&now);
  char timeText[32];
  FormatPriceLogTime(now, timeText, sizeof timeText);
  StockQuote_s quote;
  quote.cur_price = JsonGetDouble(*out, "StckPrc", 0);
  quote.open_price = JsonGetDouble(*out, "OpnPrc", 0);
  quote.high_price = JsonGetDouble(*out, "HgstPrc", 0);
  quote.low_price = JsonGetDouble(*out, "LwstPrc", 0);
  quote.change = JsonGetDouble(*out, "PrdyVrss", 0);
  quote.change_rate = JsonGetDouble(*out, "PrdyCtrt", 0);
  std::string lines;
  RunMerge([&] {
    ApplyQuote(stock, priceSlot, quote, now, orv::win::GetTickCount(), timeText, symbol,
               priceLog ? &lines : nullptr);
  });
  WriteLog(priceLog, lines);
  return 1;
}
