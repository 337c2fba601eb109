// The Korea Investment agent's stock lists, prices, orders and candle request.

#include <rapidjson/document.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "platform/support/JsonGetters.h"
#include "platform/support/TextConv.h"
#include "platform/win/Clock.h"
#include "plugin/brokers/HangukSecuAgent.h"
#include "plugin/brokers/T8430Codes.h"

namespace {

constexpr const char* kListPath = "/stock/etc";
constexpr const char* kDomesticTickerPath = "/api/v1/quote/kr-stock/inquiry/stock-ticker";
constexpr const char* kOverseasTickerPath = "/api/v1/quote/overseas-stock/inquiry/stock-ticker";
constexpr const char* kDomesticPricePath = "/api/v1/quote/kr-stock/inquiry/multiprice";
constexpr const char* kOverseasPricePath = "/api/v1/quote/overseas-stock/inquiry/price";
constexpr const char* kListTrHeader = "tr_id: t8430";
constexpr size_t kQueryPricesBodySize = 1000;
constexpr int kSideBuy = 1;
constexpr int kMarketPriceOrder = 3;

// This broker's continuation headers. The domestic list names an empty key on its first page,
// and a key starting with '0' marks its last page; other lists page on while any key comes.
ContinuationHeaders Paging(bool domesticList) {
  ContinuationHeaders names;
  names.more = "tr_cont";
  names.key = "tr_cont_key";
  names.keyOnFirstPage = domesticList;
  names.zeroKeyEnds = domesticList;
  return names;
}

}  // namespace

char* CHangukSecuAgent::QueryStockTickerPage(CURL*) {
  if (!HasCredentials()) return nullptr;
  return PostTr(nullptr, kDomesticTickerPath, "", "tr_cont: N", "tr_cont_key:", "api-id:",
                nullptr);
}

int CHangukSecuAgent::LoadStockList(CURL* curl, OwningStockMap* stocks, uint8_t market,
                                    char marketLetter, uint8_t priceSlot, int startIndex,
                                    int* outStatus, int freeFirst) {
  const bool domestic = marketLetter == '1' || marketLetter == '2' || marketLetter == '8';
  const char* path = domestic ? kListPath : kOverseasTickerPath;
  const char* body =
      domestic ? "{ \"t8430InBlock\" : { \"gubun\" : \"0\" } }" : OverseasListBody(marketLetter);
  return LoadListPages(
      curl, stocks, market, marketLetter, priceSlot, startIndex, outStatus, freeFirst,
      [&](const PageHandler& onPage) {
        if (!domestic && !IsOverseasListLetter(marketLetter)) return;
        RunContinuationPaging(
            kDbListPagePauseMs, kMaxContinuationPages,
            [&](const char* extra, const char* further, BrokerRequestState* state, int* outLen) {
              return PostTr(curl, path, body, extra, further, kListTrHeader, outLen, state);
            },
            onPage, nullptr, Paging(domestic));
      });
}

int CHangukSecuAgent::ParseStockList(const char* reply, OwningStockMap* stocks, uint8_t market,
                                     const char* nationCode, char marketLetter, uint8_t priceSlot,
                                     int runningIndex, int* outStatus) {
  if (!reply || !*reply || !stocks) return 0;
  auto status = [outStatus](int code) {
    if (outStatus) *outStatus = code;
  };
  rapidjson::Document doc;
  doc.Parse(reply);
  if (doc.HasParseError()) {
    status(kDbListNotJson);
    return 0;
  }
  const rapidjson::Value* rows = doc.IsObject() ? JsonGetArray(doc, "t8430OutBlock") : nullptr;
  if (!rows) {
    status(kHangukListNoBlock);
    return 0;
  }

  const bool domestic = !IsOverseasListLetter(marketLetter);
  const uint8_t slot = priceSlot < kPriceSlotCount ? priceSlot : 0;
  int added = 0;
  for (const rapidjson::Value& row : rows->GetArray()) {
    if (!row.IsObject()) continue;
    char shcode[100];
    char gubun[100];
    JsonCopyString(row, "shcode", shcode, sizeof shcode);
    JsonCopyString(row, "gubun", gubun, sizeof gubun);
    const char* name = JsonGetStringPtr(row, "hname");
    // Only a domestic code carries the leading 'A'; overseas symbols keep every letter.
    const char* code = domestic && shcode[0] == 'A' ? shcode + 1 : shcode;
    if (!*code || !name) {
      status(kHangukListEntryIncomplete);
      continue;
    }
    std::wstring key = Utf8ToWide(code);
    if (key.size() > kStockCodeLen) key.resize(kStockCodeLen);
    if (Stock_s* known = stocks->Find(key.c_str())) {
      known->slot_flags[slot] = 1;
      status(kHangukListDuplicate);
      continue;
    }
    ++added;
    Stock_s* stock = GfxNewStock(market);
    StrSafeCopyA(stock->nation_code, sizeof stock->nation_code, nationCode ? nationCode : "");
    stock->list_index = runningIndex + added;
    stock->slot_flags[slot] = 1;
    std::wcscpy(stock->code, key.c_str());
    JsonCopyString(row, "expcode", stock->std_code, sizeof stock->std_code);
    stock->name = Utf8ToWide(name);
    stock->domestic = domestic ? 1 : 0;
    stock->market_letter = !domestic         ? marketLetter
                           : gubun[0] == '1' ? '1'
                           : gubun[0] == '2' ? '2'
                                             : '0';
    stocks->emplace(key, stock);
  }
  return added;
}

char* CHangukSecuAgent::QueryPricesA(CURL*, const char* codes) {
  char body[kQueryPricesBodySize];
  if (BuildMultiPriceBody(codes, body, sizeof body) == 0 || !HasCredentials()) return nullptr;
  RunContinuationPaging(
      kDbPricePagePauseMs, kMaxContinuationPages,
      [&](const char* extra, const char* further, BrokerRequestState* state, int* outLen) {
        return PostTr(nullptr, kDomesticPricePath, body, extra, further, nullptr, outLen, state);
      },
      nullptr, nullptr, Paging(false));
  return nullptr;
}

int CHangukSecuAgent::UpdatePrices(CURL*, uint8_t market, uint8_t priceSlot, uint8_t,
                                   StockMap* stocks, const std::atomic<int>* running, int pauseMs,
                                   char* outMsg, int* outCode, FILE* priceLog) {
  if (!stocks || !running || stocks->empty()) return 0;
  // Domestic codes go in the DB agent's batches, so a long watch list is asked whole (one
  // request of every code would outgrow the broker's request size), each batch on a handle of
  // its own and on the main exchange.
  if (market == kMarketDomestic)
    return CDbSecuAgent::UpdatePrices(nullptr, market, priceSlot, 0, stocks, running, pauseMs,
                                      outMsg, outCode, priceLog);
  if (market != kMarketOverseas) return 0;
  const int total = UpdateOverseasPrices(priceSlot, stocks, running, pauseMs, priceLog);
  if (total > 0) ++m_priceUpdates;
  return total;
}

int CHangukSecuAgent::UpdateOverseasPrices(uint8_t priceSlot, StockMap* stocks,
                                           const std::atomic<int>* running, int pauseMs,
                                           FILE* priceLog) {
  int total = 0;
  std::string exchange;  // a record whose letter names no exchange is asked on the one before
  for (const auto& [key, stock] : *stocks) {
    if (running->load() == 0) break;
    if (!stock || stock->market != kMarketOverseas) continue;
    if (const char* named = OverseasExchangeCode(stock->market_letter)) exchange = named;
    const std::string body = "{ \"In\": {\"InputIscd1\": \"" + WideToUtf8(key) +
                             "\",\"InputCondMrktDivCode\": \"" + exchange + "\" }\n}";
    int len = 0;
    char* reply = PostTr(nullptr, kOverseasPricePath, body.c_str(), nullptr, nullptr, nullptr, &len);
    total += ParsePriceResponse(reply, static_cast<size_t>(reply ? len : 0), stock, priceSlot,
                                priceLog);
    std::free(reply);
    orv::win::Sleep(static_cast<DWORD>(pauseMs > 0 ? pauseMs : 0));
  }
  return total;
}

std::string CHangukSecuAgent::DomesticOrderBody(const char* code, uint8_t, int side, double qty,
                                                double price, int creditFlag, int priceType,
                                                int condition, int loanDate,
                                                int creditKind) const {
  const DomesticOrderCodes codes = OrderCodes(side, priceType, creditFlag, creditKind, loanDate);
  const char* conditionCode = condition == 0   ? "0"
                              : condition == 1 ? "1"
                              : condition == 2 ? "2"
                                               : "";
  char body[512];
  std::snprintf(body, sizeof body,
                "{ \"In\":{ \"IsuNo\":\"%s\", \"OrdQty\":%.0f, \"OrdPrc\":%.0f,\"BnsTpCode\":\"%s\", "
                "\"OrdprcPtnCode\":\"%s\", \"MgntrnCode\":\"%s\",\"LoanDt\":\"%s\", "
                "\"OrdCndiTpCode\":\"%s\" } }",
                code, qty, priceType == kMarketPriceOrder ? 0.0 : price,
                side == kSideBuy ? "2" : "1", codes.priceType, codes.credit, codes.loanDate,
                conditionCode);
  return body;
}

int CHangukSecuAgent::TradeOrderA(CURL* curl, uint8_t market, uint8_t exchange, int side,
                                  int reverse, const char* code, double qty, double price,
                                  int creditFlag, int priceType, int condition, int loanDate,
                                  int creditKind, double v1, double v2, double v3, int v4, int v5,
                                  int earlierOrderNo, char* outOrderNoText, int64_t* outOrderNo,
                                  int* outResult, int* outSuccess, int* outCodeFlag,
                                  wchar_t* outMsg, wchar_t* outResultText) {
  return CDbSecuAgent::TradeOrderA(market == kMarketOverseas ? nullptr : curl, market, exchange,
                                   side, reverse, code, qty, price, creditFlag, priceType,
                                   condition, loanDate, creditKind, v1, v2, v3, v4, v5,
                                   earlierOrderNo, outOrderNoText, outOrderNo, outResult,
                                   outSuccess, outCodeFlag, outMsg, outResultText);
}

int CHangukSecuAgent::GetChartDataA(CURL*, Stock_s*, const char* code, int, int, int count,
                                    std::string* outRows, std::string*, std::deque<int32_t>*,
                                    std::deque<double>*, int) {
  if (!outRows) return -1;
  const std::string path = "/v1/candles/days?market=" + UrlEncodeFormValue(code ? code : "") +
                           "&count=" + std::to_string(count < 1 ? 1 : count);
  char* reply = Send(nullptr, 0, path.c_str(), nullptr, 1, nullptr, true, nullptr, nullptr, nullptr);
  if (!reply) return -1;
  std::free(reply);
  return 1;
}
