// The Kiwoom agent's stock lists and price polling.

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/stocklib/PriceLogLine.h"
#include "platform/support/TextConv.h"
#include "platform/win/Clock.h"
#include "plugin/brokers/BrokerTransport.h"
#include "plugin/brokers/KiwoomSecuAgent.h"
#include "plugin/brokers/KiwoomSecuAgentJson.h"

namespace {

constexpr const char* kStockInfoPath = "/api/dostk/stkinfo";
constexpr const char* kMarketConditionPath = "/api/dostk/mrkcond";
constexpr size_t kQueryPricesBodySize = 1000;
constexpr size_t kOutCodeTextSize = 20;
// A price request's code list takes at most this many bytes.
constexpr size_t kMaxCodeListBytes = 1000;

bool IsOverseasListLetter(char letter) { return letter == 'D' || letter == 'N' || letter == 'A'; }

// The list kind ("mrkt_tp") of a market letter, or null for a letter the broker lists none for.
const char* ListBody(char letter) {
  switch (letter) {
    case '1':
      return "{\"mrkt_tp\": \"0\" }";
    case '2':
      return "{\"mrkt_tp\": \"10\" }";
    case '8':
      return "{\"mrkt_tp\": \"8\" }";
    default:
      return nullptr;
  }
}

const char* NationCode(uint8_t market) {
  return market == kMarketOverseas ? "US" : market == 5 ? "JP" : "KR";
}

// The suffix a code carries in a price request for the exchange selector: 2 the NXT exchange,
// 3 both exchanges combined, otherwise the bare code (KRX).
const char* ExchangeSuffix(uint8_t exchange) {
  return exchange == 2 ? "_NX" : exchange == 3 ? "_AL" : "";
}

// The record a quoted code names: the code as sent back, or without the exchange suffix the
// request gave it.
Stock_s* FindQuoted(StockMap* stocks, const char* code) {
  std::wstring wide = Utf8ToWide(code);
  if (Stock_s* stock = stocks->Find(wide.c_str())) return stock;
  const size_t bar = wide.rfind(L'_');
  if (bar == std::wstring::npos) return nullptr;
  wide.resize(bar);
  return stocks->Find(wide.c_str());
}

}  // namespace

char* CKiwoomSecuAgent::QueryStockTickerPage(CURL* curl) {
  if (!HasCredentials()) return nullptr;
  return Post(curl, kStockInfoPath, ListBody('1'), 1, "cont-yn: N", "api-id: ka10099", nullptr,
              nullptr);
}

int CKiwoomSecuAgent::LoadStockList(CURL* curl, OwningStockMap* stocks, uint8_t market,
                                    char marketLetter, uint8_t priceSlot, int startIndex,
                                    int* outStatus, int freeFirst) {
  if (!stocks) stocks = m_defaultStocks;
  if (!curl || !stocks || !HasCredentials()) return 0;
  const char* body = ListBody(marketLetter);
  if (!body) return 0;
  if (freeFirst) RunMerge([&] { GfxStockDataListFree2(stocks, 0, 1, 0); });
  const char* nation = NationCode(market);

  int total = 0;
  // Each page reaches the map through the merge step: the map may be the view's master map,
  // which the balance merges also fill. The request and the pause run without it.
  PostPages(curl, kStockInfoPath, body, "ka10099", kKiwoomListPagePauseMs, kMaxContinuationPages,
            [&](const char* reply, int) {
              RunMerge([&] {
                total += ParseStockList(reply, stocks, market, nation, marketLetter, priceSlot,
                                        startIndex + total, outStatus);
              });
            });
  return total;
}

int CKiwoomSecuAgent::ParseStockList(const char* reply, OwningStockMap* stocks, uint8_t market,
                                     const char* nationCode, char marketLetter, uint8_t priceSlot,
                                     int runningIndex, int* outStatus) {
  if (!reply || !*reply || !stocks) return 0;
  rapidjson::Document doc;
  if (!KiwoomParse(reply, std::strlen(reply), &doc) || !doc.IsObject()) return 0;
  const rapidjson::Value* rows = JsonGetArray(doc, "list");
  if (!rows) return 0;

  const bool domestic = !IsOverseasListLetter(marketLetter);
  const uint8_t slot = priceSlot < kPriceSlotCount ? priceSlot : 0;
  int added = 0;
  for (const rapidjson::Value& row : rows->GetArray()) {
    if (!row.IsObject()) continue;
    const char* code = JsonGetStringPtr(row, "code");
    const char* name = JsonGetStringPtr(row, "name");
    if (!code || !*code || !name || !*name) {
      if (outStatus) *outStatus = kKiwoomListRowIncomplete;
      continue;
    }
    // Only a domestic code carries the leading 'A'; overseas symbols keep every letter. The
    // code is normalised here, so the map helper is asked for no normalisation (market 0).
    if (domestic && code[0] == 'A') ++code;
    std::wstring wide = Utf8ToWide(code);
    if (wide.size() > static_cast<size_t>(kStockCodeLen)) wide.resize(kStockCodeLen);
    bool made = false;
    Stock_s* stock =
        GfxAddStockToMap(stocks, wide.c_str(), 0, slot, runningIndex + added + 1, &made);
    if (!stock) continue;
    if (!made) {
      if (outStatus) *outStatus = kKiwoomListRowKnown;
      continue;
    }
    stock->market = market;
    stock->domestic = domestic ? 1 : 0;
    JsonCopyString(row, "marketCode", stock->std_code, sizeof stock->std_code);
    StrSafeCopyA(stock->nation_code, sizeof stock->nation_code, nationCode ? nationCode : "");
    stock->name = Utf8ToWide(name);
    if (domestic) stock->cur_price = std::fabs(KiwoomJsonDouble(row, "lastPrice"));
    stock->market_letter = marketLetter;
    ++added;
  }
  return added;
}

char* CKiwoomSecuAgent::QueryAllTickers(CURL*, const char*, const char*) { return nullptr; }

char* CKiwoomSecuAgent::QueryPricesA(CURL*, const char* codes) {
  char body[kQueryPricesBodySize];
  if (BuildMultiPriceBody(codes, body, sizeof body) == 0 || !HasCredentials()) return nullptr;
  // A private handle: the caller's may be in use by a poll of its own.
  CURL* handle = curl_easy_init();
  if (!handle) return nullptr;
  PostPages(handle, kMarketConditionPath, body, "ka10004", kKiwoomPricePagePauseMs,
            kMaxContinuationPages, nullptr);
  curl_easy_cleanup(handle);
  return nullptr;
}

int CKiwoomSecuAgent::UpdatePrices(CURL* curl, uint8_t market, uint8_t priceSlot, uint8_t exchange,
                                   StockMap* stocks, const std::atomic<int>* running, int pauseMs,
                                   char* outMsg, int* outCode, FILE* priceLog) {
  if (!stocks || !running || stocks->empty()) return 0;
  if (market != kMarketDomestic && market != kMarketOverseas) return 0;

  // The broker quotes domestic codes only.
  std::vector<std::string> codes;
  if (market == kMarketDomestic) {
    const char* suffix = ExchangeSuffix(exchange);
    for (const auto& [key, stock] : *stocks) {
      if (!stock || stock->market != market) continue;
      codes.push_back(WideToUtf8(key) + suffix);
    }
  }

  int total = 0;
  SendPriceBatches(
      codes, kPriceBatchSize, pauseMs,
      [&](const std::string& joined, int count) {
        // The batch comes joined by ';'; the broker wants '|' between codes.
        std::string list = joined;
        for (char& c : list) {
          if (c == ';') c = '|';
        }
        if (list.size() > kMaxCodeListBytes) {
          const size_t cut = list.rfind('|', kMaxCodeListBytes);
          list.resize(cut == std::string::npos ? 0 : cut);
        }
        const int updated =
            QueryMultiPrices(curl, market, priceSlot, kStockInfoPath, stocks, list.c_str(), count,
                             nullptr, outMsg, outCode, priceLog);
        if (updated > 0) total += updated;
      },
      running);
  if (total >= 1) ++m_priceUpdates;
  return total;
}

int CKiwoomSecuAgent::QueryMultiPrices(CURL*, uint8_t, uint8_t priceSlot, const char* path,
                                       StockMap* stocks, const char* body, int, char*, char* outMsg,
                                       int* outCode, FILE* priceLog) {
  if (!body || !*body || !path || !HasCredentials()) return 0;
  rapidjson::Document request;
  request.SetObject();
  request.AddMember("stk_cd", rapidjson::StringRef(body), request.GetAllocator());
  rapidjson::StringBuffer text;
  rapidjson::Writer<rapidjson::StringBuffer> writer(text);
  request.Accept(writer);
  // A private handle: the caller's may be in use by a paging request of its own.
  CURL* handle = curl_easy_init();
  if (!handle) return 0;
  int len = 0;
  char* reply = Post(handle, path, text.GetString(), 1, nullptr, "api-id: ka10095", nullptr, &len);
  curl_easy_cleanup(handle);
  if (!reply) return 0;
  const int updated = ParseMultiPriceResponse(priceSlot, reply, static_cast<size_t>(len), stocks,
                                              outMsg, outCode, priceLog);
  std::free(reply);
  return updated;
}

int CKiwoomSecuAgent::ParseMultiPriceResponse(uint8_t priceSlot, const char* reply, size_t len,
                                              StockMap* stocks, char* outCodeText, int* outCode,
                                              FILE* priceLog) {
  if (outCode) *outCode = 0;
  if (!reply || len == 0 || !stocks) return 0;
  rapidjson::Document doc;
  if (!KiwoomParse(reply, len, &doc) || !doc.IsObject()) return 0;

  SYSTEMTIME now;
  orv::win::GetLocalTime(&now);
  const uint64_t tick = orv::win::GetTickCount();
  char timeText[32];
  FormatPriceLogTime(now, timeText, sizeof timeText);

  const int code = KiwoomJsonInt(doc, "return_code");
  if (outCode) *outCode = code;
  if (outCodeText) std::snprintf(outCodeText, kOutCodeTextSize, "%d", code);

  const rapidjson::Value* rows = JsonGetArray(doc, "atn_stk_infr");
  if (!rows) return 0;
  std::string logLines;
  int updated = 0;
  // The records are written in one merge step under the engine's lock; the reply was read
  // without it.
  RunMerge([&] {
    for (const rapidjson::Value& row : rows->GetArray()) {
      if (!row.IsObject()) continue;
      const char* rowCode = JsonGetStringPtr(row, "stk_cd");
      if (!rowCode || !*rowCode) continue;
      Stock_s* stock = FindQuoted(stocks, rowCode);
      if (!stock) continue;
      // The sign of a price marks the day's direction, not the price.
      StockQuote_s quote;
      quote.cur_price = std::fabs(KiwoomJsonDouble(row, "cur_prc"));
      quote.open_price = std::fabs(KiwoomJsonDouble(row, "open_pric"));
      quote.high_price = std::fabs(KiwoomJsonDouble(row, "high_pric"));
      quote.low_price = std::fabs(KiwoomJsonDouble(row, "low_pric"));
      quote.change = KiwoomJsonDouble(row, "pred_pre");
      quote.change_rate = KiwoomJsonDouble(row, "flu_rt");
      GfxUpdateStockPrice(stock, priceSlot, quote, now);
      stock->cur_price = quote.cur_price;
      // Today's candle (the block's newest) follows the price.
      StockSeries_s& day = stock->day;
      const int newest = NewestCandlePlace(day);
      if (newest >= 0) {
        const size_t place = static_cast<size_t>(newest);
        const double price = quote.cur_price;
        day.close[place] = price;
        if (place < day.low.size() && place < day.high.size()) {
          if (day.low[place] <= 0 || price < day.low[place]) day.low[place] = price;
          if (price > day.high[place]) day.high[place] = price;
        }
      }
      if (priceLog) {
        const double values[5] = {quote.cur_price, quote.change_rate, quote.open_price,
                                  quote.low_price, quote.high_price};
        AppendPriceLogLine(&logLines, stock->market, rowCode, tick, timeText, values);
      }
      ++updated;
    }
  });
  if (priceLog && !logLines.empty()) {
    std::fwrite(logLines.data(), 1, logLines.size(), priceLog);
  }
  return updated;
}
