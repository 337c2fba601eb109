// The exchange agents' market data: the market list into the coin records, the ticker poll
// applied to them (with the price log), and the day and minute candles.

#include <rapidjson/document.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/stocklib/PriceLogLine.h"
#include "platform/support/DateUtil.h"
#include "platform/support/HttpForm.h"
#include "platform/support/JsonGetters.h"
#include "platform/support/TextConv.h"
#include "platform/win/Clock.h"
#include "plugin/brokers/ExchangeAgent.h"
#include "plugin/brokers/SeriesTexts.h"

namespace {

// The user agent of the support library's unsigned GET.
constexpr const char* kCandleUserAgent = "VARQO-PC-AGENT-TOOL-by HTTP";
constexpr int kCandleTimeoutMs = 2000;
constexpr size_t kPollMessageSize = 20;
constexpr int kMaxCandleGap = 60;  // minute units; a longer gap stores nothing

bool ParseReply(const char* reply, size_t len, rapidjson::Document* doc) {
  if (!reply || len == 0) return false;
  doc->Parse(reply, len);
  return !doc->HasParseError();
}

bool IsErrorObject(const rapidjson::Document& doc) {
  return doc.IsObject() && doc.HasMember("error");
}

// A member as text: strings only (the exchanges quote their texts).
std::string Text(const rapidjson::Value& object, const char* name) {
  const char* text = JsonGetStringPtr(object, name);
  return text ? text : "";
}

// A member as a finite number (numbers or decimal texts); 0 otherwise.
double Number(const rapidjson::Value& object, const char* name) {
  const double value = JsonGetDouble(object, name, 0);
  return std::isfinite(value) ? value : 0;
}

// Digits of a text as a number ("20261211", "093000"); 0 unless the text is 1 to 8 digits.
int32_t DigitsNumber(const std::string& text) {
  if (text.empty() || text.size() > 8) return 0;
  int32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value;
}

// "yyyy-mm-ddThh:mm:ss" into its fields; false unless every field is in range.
bool ReadDateTime(const std::string& text, SYSTEMTIME* out) {
  SYSTEMTIME t{};
  if (text.size() < 19 || !Str2UniDateTimeA(text.c_str(), &t)) return false;
  if (t.wYear < 1970 || t.wYear > 9999 || t.wMonth < 1 || t.wMonth > 12 || t.wDay < 1 ||
      t.wDay > 31 || t.wHour > 23 || t.wMinute > 59 || t.wSecond > 59)
    return false;
  *out = t;
  return true;
}

using series_texts::Format;

// The record a ticker names, found without building a key string for the usual ASCII codes.
Stock_s* FindMarket(StockMap* stocks, const std::string& market) {
  wchar_t key[kStockCodeLen + 1];
  if (market.size() > kStockCodeLen) return nullptr;
  for (size_t i = 0; i < market.size(); ++i) {
    const auto c = static_cast<unsigned char>(market[i]);
    if (c >= 0x80) {
      auto it = stocks->find(Utf8ToWide(market));
      return it == stocks->end() ? nullptr : it->second;
    }
    key[i] = static_cast<wchar_t>(c);
  }
  auto it = stocks->find(std::wstring_view(key, market.size()));
  return it == stocks->end() ? nullptr : it->second;
}

}  // namespace

bool ReadExchangeMarkets(const char* reply, size_t len, std::vector<ExchangeMarket>* out) {
  if (!out) return false;
  out->clear();
  rapidjson::Document doc;
  if (!ParseReply(reply, len, &doc) || !doc.IsArray()) return false;
  for (const rapidjson::Value& object : doc.GetArray()) {
    if (!object.IsObject()) continue;
    ExchangeMarket market{Text(object, "market"), Text(object, "korean_name")};
    if (market.market.empty() || market.koreanName.empty()) continue;
    out->push_back(std::move(market));
  }
  return true;
}

int ReadExchangeTickers(const char* reply, size_t len, std::vector<ExchangeTicker>* out) {
  if (out) out->clear();
  if (!reply || len == 0 || !*reply) return kTickerNoReply;
  rapidjson::Document doc;
  if (!ParseReply(reply, len, &doc)) return kTickerNotAList;
  if (IsErrorObject(doc)) return kTickerRefused;
  if (!doc.IsArray()) return kTickerNotAList;
  if (!out) return 0;
  out->reserve(doc.Size());
  for (const rapidjson::Value& object : doc.GetArray()) {
    if (!object.IsObject()) continue;
    ExchangeTicker t;
    t.market = Text(object, "market");
    if (t.market.empty()) continue;
    t.tradeDate = DigitsNumber(Text(object, "trade_date_kst"));
    t.tradeTime = DigitsNumber(Text(object, "trade_time_kst"));
    t.open = Number(object, "opening_price");
    t.high = Number(object, "high_price");
    t.low = Number(object, "low_price");
    t.price = Number(object, "trade_price");
    t.change = Number(object, "change_price");
    t.changeRate = Number(object, "change_rate") * 100.0;
    if (Text(object, "change") == "FALL") t.changeRate = -t.changeRate;
    const double volume = Number(object, "acc_trade_volume");
    const double volume24h = Number(object, "acc_trade_volume_24h");
    const double amount = Number(object, "acc_trade_price");
    const double amount24h = Number(object, "acc_trade_price_24h");
    if (volume24h > 0 && amount24h > 0) {
      const double ratio = (amount / amount24h) * (volume / volume24h) * 100.0;
      if (std::isfinite(ratio)) t.volumeRatio = ratio;
    }
    out->push_back(std::move(t));
  }
  return 0;
}

bool ReadExchangeCandles(const char* reply, size_t len, std::vector<ExchangeCandle>* out) {
  if (!out) return false;
  out->clear();
  rapidjson::Document doc;
  if (!ParseReply(reply, len, &doc) || !doc.IsArray()) return false;
  for (const rapidjson::Value& object : doc.GetArray()) {
    if (!object.IsObject()) continue;
    SYSTEMTIME utc{};
    if (!ReadDateTime(Text(object, "candle_date_time_utc"), &utc)) continue;
    SYSTEMTIME kst{};
    if (!ReadDateTime(Text(object, "candle_date_time_kst"), &kst)) kst = utc;
    ExchangeCandle c;
    // The row's text is rebuilt from the fields read: nothing of the reply goes into it as is.
    c.kst = Format("%04d-%02d-%02dT%02d:%02d:%02d", kst.wYear, kst.wMonth, kst.wDay, kst.wHour,
                   kst.wMinute, kst.wSecond);
    c.utcDate = static_cast<int32_t>(GfxYMDToDword(utc.wYear, utc.wMonth, utc.wDay));
    c.utcMinute = DaysFromCivil(utc.wYear, utc.wMonth, utc.wDay) * 1440 + utc.wHour * 60 +
                  utc.wMinute;
    c.kstKey = static_cast<int32_t>(GfxYMDToDword(kst.wYear, kst.wMonth, kst.wDay));
    c.kstTime = kst.wHour * 10000 + kst.wMinute * 100 + kst.wSecond;
    c.close = Number(object, "trade_price");
    c.open = Number(object, "opening_price");
    c.high = Number(object, "high_price");
    c.low = Number(object, "low_price");
    c.volume = Number(object, "candle_acc_trade_volume");
    out->push_back(std::move(c));
  }
  return true;
}

void MarkCoinMarket(Stock_s* stock) {
  if (!stock) return;
  if (std::wcsncmp(stock->code, L"KRW-", 4) == 0) stock->exchange_flags[0] = 1;
  if (std::wcsncmp(stock->code, L"BTC-", 4) == 0) stock->exchange_flags[1] = 1;
}

int StoreExchangeCandles(Stock_s* stock, int kind, int unit, int count,
                         const std::vector<ExchangeCandle>& newestFirst) {
  if (!stock) return 0;
  const bool days = kind == kExchangeDayCandles;
  StockSeries_s* block = days ? &stock->day : &stock->minute;
  const size_t places = series_texts::ResetCandleBlock(block, count);
  if (unit < 1) unit = 1;

  size_t filled = 0;
  const ExchangeCandle* before = nullptr;
  for (const ExchangeCandle& c : newestFirst) {
    if (filled >= places) break;
    int64_t slots = 1;
    if (!days && before) {
      // Newest first: how many units this candle lies before the one read before it.
      const int64_t gap = (before->utcMinute - c.utcMinute) / unit;
      slots = gap <= 0 ? 1 : gap < kMaxCandleGap ? gap : 0;
    }
    before = &c;
    for (int64_t k = 0; k < slots && filled < places; ++k) {
      const size_t place = places - 1 - filled;
      block->date[place] = c.utcDate;
      block->open[place] = c.open;
      block->high[place] = c.high;
      block->low[place] = c.low;
      block->close[place] = c.close;
      block->volume[place] = c.volume;
      if (filled == 0) {
        block->first_date = c.utcDate;
        block->last_date = c.utcDate;
        // A minute candle of a later day than the day block knows moves its last date on.
        if (!days && stock->day.last_date < c.utcDate) stock->day.last_date = c.utcDate;
      }
      ++filled;
    }
  }
  block->count = static_cast<int32_t>(filled);
  return static_cast<int>(filled);
}

// ---------------------------------------------------------------------------------------------
// The agents' market operations

char* CExchangeAgent::QueryStockTickerPage(CURL*) {
  const RequestCredentials credentials = CredentialsForRequest();
  return SendSignedRequest(nullptr, m_baseUrl, kExchangeMarketsPath, kExchangeGet, "", "", 0,
                           credentials.key.c_str(), credentials.secret.c_str(), nullptr, nullptr,
                           m_timeoutMs);
}

int CExchangeAgent::LoadStockList(CURL* curl, OwningStockMap* stocks, uint8_t market,
                                  char marketLetter, uint8_t priceSlot, int startIndex,
                                  int* outStatus, int freeFirst) {
  if (!stocks) stocks = m_defaultStocks;
  if (!curl || !stocks || !HasCredentials()) return 0;
  if (freeFirst) RunMerge([&] { GfxStockDataListFree2(stocks, 0, 1, 0); });
  const RequestCredentials credentials = CredentialsForRequest();
  BrokerRequestState state;
  uint32_t size = 0;
  char* reply = SendSignedRequest(curl, m_baseUrl, kExchangeMarketsPath, kExchangeGet, "", "", 0,
                                  credentials.key.c_str(), credentials.secret.c_str(), &size,
                                  nullptr, m_timeoutMs, &state);
  int len = static_cast<int>(size);
  if (reply) reply = KeepAnsweredReply(reply, &len, &state, nullptr);
  if (!reply) return 0;
  int added = 0;
  // The map may be the view's master list, which the balance merges also fill.
  RunMerge([&] {
    added = ParseStockList(reply, stocks, market, "KR", marketLetter, priceSlot, startIndex,
                           outStatus);
  });
  std::free(reply);
  return added;
}

int CExchangeAgent::ParseStockList(const char* reply, OwningStockMap* stocks, uint8_t market,
                                   const char* nationCode, char marketLetter, uint8_t priceSlot,
                                   int runningIndex, int*) {
  if (!reply || !*reply || !stocks) return 0;
  std::vector<ExchangeMarket> markets;
  if (!ReadExchangeMarkets(reply, std::strlen(reply), &markets)) return 0;
  const uint8_t slot = priceSlot < kPriceSlotCount ? priceSlot : 0;
  int added = 0;
  for (const ExchangeMarket& m : markets) {
    const std::wstring code = Utf8ToWide(m.market);
    if (code.empty() || code.size() > kStockCodeLen) continue;
    if (Stock_s* known = stocks->Find(code.c_str())) {
      if (m_traits.flagsListedAgain) known->slot_flags[slot] = 1;
      MarkCoinMarket(known);
      continue;
    }
    bool made = false;
    Stock_s* stock =
        GfxAddStockToMap(stocks, code.c_str(), market, slot, runningIndex + added + 1, &made);
    if (!stock || !made) continue;
    stock->market = market;
    stock->market_letter = marketLetter;
    StrSafeCopyA(stock->nation_code, sizeof stock->nation_code, nationCode ? nationCode : "");
    stock->name = Utf8ToWide(m.koreanName);
    MarkCoinMarket(stock);
    ++added;
  }
  return added;
}

void CExchangeAgent::OnBalanceMerged(const BalanceQueryArgs_s& args) {
  // A held coin the market list has not named (or not yet) is polled on its market all the same.
  if (!args.holdings) return;
  for (const auto& entry : *args.holdings)
    if (entry.first->broker_id == m_brokerId) MarkCoinMarket(entry.first->stock);
}

char* CExchangeAgent::QueryAllTickers(CURL*, const char* key, const char* secret) {
  const bool given = key && *key && secret && *secret;
  const RequestCredentials credentials = CredentialsForRequest();
  return SendSignedRequest(nullptr, m_baseUrl, kExchangeAllTickersPath, kExchangeGet, "", "", 0,
                           given ? key : credentials.key.c_str(),
                           given ? secret : credentials.secret.c_str(), nullptr, nullptr,
                           m_timeoutMs);
}

char* CExchangeAgent::QueryPricesA(CURL* curl, const char* codes) {
  if (!codes || !*codes) return nullptr;
  const RequestCredentials credentials = CredentialsForRequest();
  // The signed query is the one the exchange reads back from the URL.
  const std::string query = std::string("markets=") + codes;
  return SendSignedRequest(curl, m_baseUrl, "/v1/ticker?", kExchangeGet, query.c_str(), "", 0,
                           credentials.key.c_str(), credentials.secret.c_str(), nullptr, nullptr,
                           m_timeoutMs);
}

int CExchangeAgent::UpdatePrices(CURL* curl, uint8_t market, uint8_t priceSlot, uint8_t,
                                 StockMap* stocks, const std::atomic<int>* running, int pauseMs,
                                 char* outMsg, int* outCode, FILE* priceLog) {
  if (outCode) *outCode = 0;
  if (outMsg) outMsg[0] = 0;
  if (!stocks || stocks->empty() || !running) return 0;

  // The code lists, each within the characters one request carries.
  std::vector<std::string> lists;
  std::string list;
  for (const auto& [key, stock] : *stocks) {
    if (running->load() == 0) break;
    if (!stock || stock->market != market) continue;
    if (m_traits.pollsNamedOnly && stock->name.empty()) continue;
    const std::string code = WideToUtf8(key);
    if (!IsExchangeMarketCode(code.c_str())) continue;
    if (!list.empty() && list.size() + 1 + code.size() > kExchangeTickerCodesMax) {
      lists.push_back(std::move(list));
      list.clear();
    }
    if (!list.empty()) list += ',';
    list += code;
  }
  if (!list.empty()) lists.push_back(std::move(list));

  const RequestCredentials credentials = CredentialsForRequest();
  int total = 0;
  for (size_t i = 0; i < lists.size(); ++i) {
    if (running->load() == 0) break;
    if (i > 0 && pauseMs > 0) orv::win::Sleep(static_cast<DWORD>(pauseMs));
    const std::string query = "markets=" + lists[i];
    BrokerRequestState state;
    uint32_t size = 0;
    char* reply = SendSignedRequest(curl, m_baseUrl, "/v1/ticker?", kExchangeGet, query.c_str(), "",
                                    0, credentials.key.c_str(), credentials.secret.c_str(), &size,
                                    nullptr, m_timeoutMs, &state);
    int len = static_cast<int>(size);
    std::string why;
    if (reply && state.httpStatus >= 500) {
      // A failing server's page is no ticker reply, whatever it holds.
      std::free(reply);
      reply = nullptr;
      why = "HTTP " + std::to_string(state.httpStatus);
    }
    if (reply) reply = KeepAnsweredReply(reply, &len, &state, &why);
    if (!reply) {
      if (outCode) *outCode = kTickerNoReply;
      if (outMsg) StrSafeCopyA(outMsg, kPollMessageSize, why.empty() ? "no reply" : why.c_str());
      continue;
    }
    total += ParseMultiPriceResponse(priceSlot, reply, static_cast<size_t>(len), stocks, outMsg,
                                     outCode, priceLog);
    std::free(reply);
  }
  if (total >= 1) ++m_priceUpdates;
  return total;
}

int CExchangeAgent::ParseMultiPriceResponse(uint8_t priceSlot, const char* reply, size_t len,
                                            StockMap* stocks, char* outCodeText, int* outCode,
                                            FILE* priceLog) {
  std::vector<ExchangeTicker> tickers;
  const int status = ReadExchangeTickers(reply, len, &tickers);
  if (outCode) *outCode = status;
  if (outCodeText) {
    if (status != 0)
      std::snprintf(outCodeText, kPollMessageSize, "%d", status);
    else
      outCodeText[0] = 0;
  }
  if (status != 0 || !stocks) return 0;

  SYSTEMTIME now;
  orv::win::GetLocalTime(&now);
  const uint64_t tick = static_cast<uint64_t>(orv::win::GetTickCount());
  char timeText[24];
  FormatPriceLogTime(now, timeText, sizeof timeText);
  const uint8_t slot = priceSlot < kPriceSlotCount ? priceSlot : 0;
  std::string lines;
  int applied = 0;
  RunMerge([&] {
    for (const ExchangeTicker& t : tickers) {
      Stock_s* stock = FindMarket(stocks, t.market);
      if (!stock) continue;
      StockQuote_s quote;
      quote.cur_price = t.price;
      quote.open_price = t.open;
      quote.high_price = t.high;
      quote.low_price = t.low;
      quote.change = t.change;
      quote.change_rate = t.changeRate;
      GfxUpdateStockPrice(stock, slot, quote, now);
      // The holdings read a coin's price by its quote currency (0 KRW, 1 BTC).
      stock->coin_prices[slot < 2 ? slot : 0] = t.price;
      stock->cur_price = t.price;
      stock->trade_date = t.tradeDate;
      stock->trade_time = t.tradeTime;
      if (t.volumeRatio > 0) stock->volume_ratio = t.volumeRatio;
      if (priceLog) {
        const double values[5] = {t.price, t.changeRate, t.open, t.low, t.high};
        AppendPriceLogLine(&lines, stock->market, t.market.c_str(), tick, timeText, values);
      }
      ++applied;
    }
  });
  if (priceLog && !lines.empty()) {
    std::fwrite(lines.data(), 1, lines.size(), priceLog);
    std::fflush(priceLog);
  }
  return applied;
}

int CExchangeAgent::GetChartDataA(CURL* curl, Stock_s* stock, const char* code, int kind, int step,
                                  int count, std::string* outRows, std::string* outSeries,
                                  std::deque<int32_t>* outDates, std::deque<double>* outCloses,
                                  int csv) {
  if (!stock || !code || !outRows) return 0;
  if (count < 1) count = 1;
  if (outDates) outDates->clear();
  if (outCloses) outCloses->clear();
  const bool days = kind == kExchangeDayCandles;
  const int unit = step > 0 ? step : 1;
  *outRows = "{\"" + Format(days ? "days_%d" : "minutes_%d", count) + "\" : [";

  char* reply = nullptr;
  if (IsExchangeMarketCode(code)) {
    const std::string path =
        days ? Format("%s?market=%s&count=%d", kExchangeDayCandlesPath, code, count)
             : Format("%s%d?market=%s&count=%d", kExchangeMinuteCandlesPath, unit, code, count);
    reply = GetCandles(curl, std::string(m_baseUrl) + path);
  }
  std::vector<ExchangeCandle> candles;
  int stored = 0;
  if (reply && ReadExchangeCandles(reply, std::strlen(reply), &candles)) {
    std::string rows;
    std::string series;
    for (const ExchangeCandle& c : candles) {
      // Newest first in, oldest first out: each row goes in front of those collected.
      const std::string row =
          csv ? Format("%s,%f,%f,%f,%f,%f", c.kst.c_str(), c.open, c.high, c.low, c.close,
                       c.volume)
              : Format("{\"date\":\"%s\",\"open\":%f,\"high\":%f,\"low\":%f,\"close\":%f,"
                       "\"volume\":%f}",
                       c.kst.c_str(), c.open, c.high, c.low, c.close, c.volume);
      rows = rows.empty() ? row : row + "\n," + rows;
      series = series.empty() ? Format("%s,%.0f", c.kst.c_str(), c.close)
                              : Format("%s,%.0f,\n", c.kst.c_str(), c.close) + series;
      if (outDates) outDates->push_front(days ? c.kstKey : c.kstTime);
      if (outCloses) outCloses->push_front(c.close);
    }
    *outRows += rows;
    if (outSeries) *outSeries = std::move(series);
    RunMerge([&] {
      if (stock->cur_price <= 0) {
        for (const ExchangeCandle& c : candles) {
          if (c.close > 0) {
            stock->cur_price = c.close;
            break;
          }
        }
      }
      stored = StoreExchangeCandles(stock, kind, unit, count, candles);
    });
  }
  std::free(reply);
  *outRows += "]}";
  return stored;
}

char* CBithumbAgent::GetCandles(CURL* curl, const std::string& url) {
  char* reply = nullptr;
  size_t len = 0;
  int status = 0;
  const int result =
      GfxHttpGetDataUsingCurlObj(curl, url.c_str(), kCandleTimeoutMs, &reply, &len, &status,
                                 nullptr, nullptr, 0, 0, 0, 0, kCandleUserAgent, 0, 0);
  if (result != 0 || status >= 500) {
    std::free(reply);
    return nullptr;
  }
  return reply;
}

char* CUpBitAgent::GetCandles(CURL* curl, const std::string& url) {
  CURL* handle = curl ? curl : curl_easy_init();
  if (!handle) return nullptr;
  uint64_t size = 0;
  int32_t transfer = 0;
  char* reply = HttpGetVerified(handle, url.c_str(), kExchangeRequestTimeoutMs, &size, &transfer);
  if (!curl) curl_easy_cleanup(handle);
  if (transfer != CURLE_OK) {
    std::free(reply);
    return nullptr;
  }
  return reply;
}
