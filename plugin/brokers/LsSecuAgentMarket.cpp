// The LS agent's stock lists, prices and orders.

#include <rapidjson/document.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/stocklib/PriceLogLine.h"
#include "platform/support/CheckedNumber.h"
#include "platform/support/JsonGetters.h"
#include "platform/support/TextConv.h"
#include "platform/win/Clock.h"
#include "plugin/brokers/BrokerTransport.h"
#include "plugin/brokers/LsSecuAgent.h"
#include "plugin/brokers/MultiPriceReply.h"
#include "plugin/brokers/T8430Codes.h"

namespace {

constexpr const char* kDomesticListPath = "/stock/etc";
constexpr const char* kOverseasListPath = "/api/v1/quote/overseas-stock/inquiry/stock-ticker";
constexpr const char* kListTr = "tr_cd: t8430";
constexpr const char* kDomesticPricePath = "/api/v1/quote/kr-stock/inquiry/multiprice";
constexpr const char* kOverseasPricePath = "/api/v1/quote/overseas-stock/inquiry/price";
constexpr const char* kDomesticOrderPath = "/stock/order";
constexpr const char* kOverseasOrderPath = "/api/v1/trading/overseas-stock/order";
constexpr const char* kDomesticOrderTr = "tr_cd: CSPAT00601";
constexpr const char* kOverseasOrderTr = "tr_cd: COSAT00301";
constexpr const char* kDomesticOrderBlock = "CSPAT00601OutBlock2";
constexpr const char* kOverseasOrderBlock = "COSAT00301OutBlock2";
constexpr size_t kOrderNoTextSize = 50;
constexpr size_t kCodeTextSize = 20;
constexpr size_t kOrderMessageLen = 256;
constexpr size_t kResultTextLen = 20;
constexpr int kSideBuy = 1;
constexpr int kCreditOrder = 2;
constexpr int kMarketPriceOrder = 3;

// Reads an order reply whose order block has the given name.
int ParseOrderReply(const char* reply, const char* block, char* outOrderNoText, int64_t* outOrderNo,
                    int* outResult, char* outCodeText, wchar_t* outMsg) {
  if (!reply) return 0;
  rapidjson::Document doc;
  doc.Parse(reply);
  if (doc.HasParseError() || !doc.IsObject()) {
    if (outResult) *outResult = -1;
    std::printf("JSON 파싱 실패\n");
    return 0;
  }
  const char* code = JsonGetStringPtr(doc, "rsp_cd");
  if (outCodeText) StrSafeCopyA(outCodeText, kCodeTextSize, code ? code : "");
  const int result = ParseResultCode(code);
  if (outResult) *outResult = result;
  if (result != 0 && outMsg) {
    const char* message = JsonGetStringPtr(doc, "rsp_msg");
    StrSafeCopyFromUTF8_W(outMsg, kOrderMessageLen, message ? message : "");
  }
  const rapidjson::Value* out = JsonGetObject(doc, block);
  if (!out) {
    std::printf("%s 항목 없음\n", block);
    return 0;
  }
  // The number may come as a JSON number of any kind or as text; one no 64-bit int holds is
  // no order number.
  int64_t orderNo = 0;
  auto it = out->FindMember("OrdNo");
  if (it != out->MemberEnd()) {
    double value = 0;
    if (it->value.IsInt64()) {
      orderNo = it->value.GetInt64();
    } else if (it->value.IsNumber()) {
      if (!NumberToInt(it->value.GetDouble(), &orderNo)) orderNo = 0;
    } else if (it->value.IsString() && TextToNumber(it->value.GetString(), &value)) {
      if (!NumberToInt(value, &orderNo)) orderNo = 0;
    }
  }
  if (outOrderNo) *outOrderNo = orderNo;
  if (outOrderNoText) {
    std::snprintf(outOrderNoText, kOrderNoTextSize, "%lld", static_cast<long long>(orderNo));
  }
  return 1;
}

std::string DomesticOrderBody(const char* code, int side, double qty, double price, int creditFlag,
                              int priceType, int condition, int loanDate, int creditKind) {
  const bool buy = side == kSideBuy;
  const bool marketPrice = priceType == kMarketPriceOrder;
  const char* creditCode = "000";
  char loan[16] = "00000000";
  if (creditFlag == kCreditOrder) {
    creditCode = creditKind == 1 ? (buy ? "001" : "101") : (buy ? "003" : "103");
    std::snprintf(loan, sizeof loan, "%08d", loanDate);
  }
  const char* conditionCode = condition == 0   ? "0"
                              : condition == 1 ? "1"
                              : condition == 2 ? "2"
                                               : "";
  char body[512];
  std::snprintf(body, sizeof body,
                "{ \"CSPAT00601InBlock1\":{ \"IsuNo\":\"%s\", \"OrdQty\":%.0f, \"OrdPrc\":%.0f,"
                "\"BnsTpCode\":\"%s\", \"OrdprcPtnCode\":\"%s\", \"MgntrnCode\":\"%s\","
                "\"LoanDt\":\"%s\", \"OrdCndiTpCode\":\"%s\",\"MbrNo\":\"%s\"} }",
                code, qty, marketPrice ? 0.0 : price, buy ? "2" : "1", marketPrice ? "03" : "00",
                creditCode, loan, conditionCode, "");
  return body;
}

std::string OverseasOrderBody(const char* code, int side, double qty, double price, int priceType,
                              int condition, int earlierOrderNo) {
  const bool marketPrice = priceType == kMarketPriceOrder;
  char body[512];
  std::snprintf(body, sizeof body,
                "{ \"COSAT00301InBlock1\":{    \"IsuNo\": \"%s\",    \"OrdMktCode\": \"%s\",    "
                "\"OrdprcPtnCode\": \"%s\",    \"OrdPtnCode\": \"%s\",    \"OrdQty\": %.0f,    "
                "\"OvrsOrdPrc\": %.0f,    \"BrkTpCode\": \"%s\",    \"OrgOrdNo\" : %d   }  }",
                code, side == kSideBuy ? "2" : "1", marketPrice ? "2" : "1",
                condition >= 0 && condition <= 2 ? "1" : "", qty, marketPrice ? 0.0 : price, "0",
                earlierOrderNo);
  return body;
}

}  // namespace

int CLsSecuAgent::LoadStockList(CURL* curl, OwningStockMap* stocks, uint8_t market,
                                char marketLetter, uint8_t priceSlot, int startIndex,
                                int* outStatus, int freeFirst) {
  if (!stocks) stocks = m_defaultStocks;
  if (!curl || !stocks || !HasCredentials()) return 0;
  const bool overseas = IsOverseasListLetter(marketLetter);
  if (!overseas && marketLetter != '1' && marketLetter != '2' && marketLetter != '8') return 0;
  if (freeFirst) RunMerge([&] { GfxStockDataListFree2(stocks, 0, 1, 0); });
  const char* nation = market == kMarketOverseas ? "US" : market == 5 ? "JP" : "KR";
  const char* path = overseas ? kOverseasListPath : kDomesticListPath;
  const char* body =
      overseas ? OverseasListBody(marketLetter) : "{ \"t8430InBlock\" : { \"gubun\" : \"0\" } }";

  // The key of the next page lives in this loop, so requests of other workers through the same
  // agent cannot end the list early.
  std::string contKey;
  int total = 0;
  for (int page = 0; page < kLsMaxListPages; ++page) {
    const std::string extra = std::string("tr_cont: ") + (contKey.empty() ? 'N' : 'Y');
    const std::string further = "tr_cont_key: " + contKey;
    // The overseas list names the key only once it has one.
    const bool sendKey = !overseas || !contKey.empty();
    BrokerRequestState request;
    int len = 0;
    char* reply = Send(curl, path, 1, body, 1, extra.c_str(), sendKey ? further.c_str() : nullptr,
                       kListTr, true, &len, &request);
    // Each page reaches the map through the merge step; the request and the pause run
    // without it.
    if (reply) {
      RunMerge([&] {
        total += ParseStockList(reply, stocks, market, nation, marketLetter, priceSlot,
                                startIndex + total, outStatus);
      });
    }
    std::free(reply);
    orv::win::Sleep(kLsListPagePauseMs);
    contKey = request.contKey;
    if (contKey.empty() || (!overseas && contKey[0] == '0')) break;
  }
  return total;
}

int CLsSecuAgent::ParseStockList(const char* reply, OwningStockMap* stocks, uint8_t market,
                                 const char* nationCode, char marketLetter, uint8_t priceSlot,
                                 int runningIndex, int* outStatus) {
  if (!reply || !*reply || !stocks) return 0;
  rapidjson::Document doc;
  doc.Parse(reply);
  if (doc.HasParseError() || !doc.IsObject()) {
    if (outStatus) *outStatus = kLsListNotJson;
    return 0;
  }
  const rapidjson::Value* rows = JsonGetArray(doc, "t8430OutBlock");
  if (!rows) return 0;

  const bool domestic = !IsOverseasListLetter(marketLetter);
  int added = 0;
  for (const rapidjson::Value& row : rows->GetArray()) {
    if (!row.IsObject()) continue;
    const char* code = JsonGetStringPtr(row, "shcode");
    const char* name = JsonGetStringPtr(row, "hname");
    if (!code || !*code || !name) {
      if (outStatus) *outStatus = kLsListRowIncomplete;
      continue;
    }
    // Only a domestic code carries the leading 'A'; overseas symbols keep every letter. The
    // code is normalised here, so the map helper is asked for no normalisation (market 0).
    if (domestic && code[0] == 'A') ++code;
    if (!*code) {
      if (outStatus) *outStatus = kLsListRowIncomplete;
      continue;
    }
    bool made = false;
    Stock_s* stock = GfxAddStockToMap(stocks, Utf8ToWide(code).c_str(), 0, priceSlot,
                                      runningIndex + added + 1, &made);
    if (!stock) continue;
    if (!made) {
      if (outStatus) *outStatus = kLsListCodeKnown;
      continue;
    }
    stock->market = market;
    stock->domestic = domestic ? 1 : 0;
    JsonCopyString(row, "expcode", stock->std_code, sizeof stock->std_code);
    StrSafeCopyA(stock->nation_code, sizeof stock->nation_code, nationCode ? nationCode : "");
    stock->name = Utf8ToWide(name);
    if (domestic) {
      const char* gubun = JsonGetStringPtr(row, "gubun");
      stock->market_letter = gubun && std::strcmp(gubun, "1") == 0   ? '1'
                             : gubun && std::strcmp(gubun, "2") == 0 ? '2'
                                                                     : '0';
    } else {
      stock->market_letter = marketLetter;
    }
    ++added;
  }
  return added;
}

int CLsSecuAgent::UpdatePrices(CURL*, uint8_t market, uint8_t priceSlot, uint8_t, StockMap* stocks,
                               const std::atomic<int>* running, int pauseMs, char* outMsg,
                               int* outCode, FILE* priceLog) {
  if (!stocks || !running || stocks->empty()) return 0;
  int total = 0;
  if (market == kMarketDomestic) {
    std::vector<std::string> codes;
    for (const auto& [key, stock] : *stocks) {
      if (stock && stock->market == kMarketDomestic) codes.push_back(WideToUtf8(key));
    }
    // Fixed batches: one request for every code would outgrow any body the broker takes.
    SendPriceBatches(
        codes, kPriceBatchSize, pauseMs,
        [&](const std::string& joined, int count) {
          std::string body = "{ \"In\": {\"dataCnt\": " + std::to_string(count) + "\n";
          int n = 0;
          size_t pos = 0;
          while (n < count && pos <= joined.size()) {
            size_t cut = joined.find(';', pos);
            if (cut == std::string::npos) cut = joined.size();
            const std::string number = std::to_string(++n);
            body += ",\"InputCondMrktDivCode" + number + "\": \"J\", \"InputIscd" + number +
                    "\": \"" + joined.substr(pos, cut - pos) + "\"\n";
            pos = cut + 1;
          }
          body += " }\n}";
          int len = 0;
          char* reply = Send(nullptr, kDomesticPricePath, 1, body.c_str(), 1, nullptr, nullptr,
                             nullptr, true, &len, nullptr);
          if (!reply) return;
          const int updated = ParseMultiPriceResponse(priceSlot, reply, static_cast<size_t>(len),
                                                      stocks, outMsg, outCode, priceLog);
          std::free(reply);
          if (updated > 0) total += updated;
        },
        running);
  } else if (market == kMarketOverseas) {
    const char* exchange = "";
    for (const auto& [key, stock] : *stocks) {
      if (running->load() == 0) break;
      if (!stock || stock->market != kMarketOverseas) continue;
      if (const char* named = OverseasExchangeCode(static_cast<char>(stock->market_letter)))
        exchange = named;
      const std::string body = "{ \"In\": {\"InputIscd1\": \"" + WideToUtf8(key) +
                               "\",\"InputCondMrktDivCode\": \"" + exchange + "\" }\n}";
      int len = 0;
      char* reply = Send(nullptr, kOverseasPricePath, 1, body.c_str(), 1, nullptr, nullptr, nullptr,
                         true, &len, nullptr);
      if (reply) {
        total += ParsePriceResponse(reply, static_cast<size_t>(len), stock, priceSlot, priceLog);
        std::free(reply);
      }
      orv::win::Sleep(static_cast<DWORD>(pauseMs > 0 ? pauseMs : 0));
    }
  }
  if (total > 0) ++m_priceUpdates;
  return total;
}

int CLsSecuAgent::ParseMultiPriceResponse(uint8_t priceSlot, const char* reply, size_t len,
                                          StockMap* stocks, char* outCodeText, int* outCode,
                                          FILE* priceLog) {
  return ApplyMultiPriceReply(priceSlot, reply, len, stocks, outCodeText, outCode, priceLog,
                              [this](const std::function<void()>& apply) { RunMerge(apply); });
}

int CLsSecuAgent::ParsePriceResponse(const char* reply, size_t len, Stock_s* stock,
                                     uint8_t priceSlot, FILE* priceLog) {
  if (!reply || len == 0 || !stock) return 0;
  rapidjson::Document doc;
  doc.Parse(reply, len);
  if (doc.HasParseError() || !doc.IsObject()) return 0;
  const rapidjson::Value* out = JsonGetObject(doc, "Out");
  if (!out) {
    NoteRefusal(reply);
    return 0;
  }
  StockQuote_s quote;
  quote.cur_price = JsonGetDouble(*out, "Prpr", 0);
  quote.open_price = JsonGetDouble(*out, "Oprc", 0);
  quote.high_price = JsonGetDouble(*out, "Hprc", 0);
  quote.low_price = JsonGetDouble(*out, "Lprc", 0);
  quote.change_rate = JsonGetDouble(*out, "PrdyVrssOprcRate", 0);
  SYSTEMTIME now;
  orv::win::GetLocalTime(&now);
  // The record is written under the engine's lock; the reply was read without it.
  uint8_t market = 0;
  std::wstring code;
  RunMerge([&] {
    GfxUpdateStockPrice(stock, priceSlot, quote, now);
    market = stock->market;
    code = stock->code;
  });
  if (priceLog) {
    const double values[5] = {quote.cur_price, quote.change_rate, quote.open_price, quote.low_price,
                              quote.high_price};
    WritePriceLogLine(priceLog, market, code.c_str(), orv::win::GetTickCount(), now, values);
  }
  return 1;
}

int CLsSecuAgent::ParseTradeOrderResponse(const char* reply, char* outOrderNoText,
                                          int64_t* outOrderNo, int* outResult, char* outCodeText,
                                          wchar_t* outMsg) {
  return ParseOrderReply(reply, kDomesticOrderBlock, outOrderNoText, outOrderNo, outResult,
                         outCodeText, outMsg);
}

int CLsSecuAgent::ParseUSATradeOrderResponse(const char* reply, char* outOrderNoText,
                                             int64_t* outOrderNo, int* outResult, char* outCodeText,
                                             wchar_t* outMsg) {
  // The overseas reply carries its own block: read under the domestic block's name, a placed
  // order would look failed and be sent again.
  return ParseOrderReply(reply, kOverseasOrderBlock, outOrderNoText, outOrderNo, outResult,
                         outCodeText, outMsg);
}

int CLsSecuAgent::TradeOrderA(CURL* curl, uint8_t market, uint8_t, int side, int, const char* code,
                              double qty, double price, int creditFlag, int priceType,
                              int condition, int loanDate, int creditKind, double, double, double,
                              int, int, int earlierOrderNo, char* outOrderNoText,
                              int64_t* outOrderNo, int* outResult, int* outSuccess,
                              int* outCodeFlag, wchar_t* outMsg, wchar_t* outResultText) {
  if (outOrderNoText) outOrderNoText[0] = 0;
  if (outOrderNo) *outOrderNo = 0;
  if (outSuccess) *outSuccess = 0;
  if (outCodeFlag) *outCodeFlag = 0;
  if (outMsg) outMsg[0] = 0;
  if (outResultText) outResultText[0] = 0;
  if (outResult) *outResult = kAgentNoReply;

  // Three outcomes: placed (0 with the broker's order number above 0), refused (the broker's
  // code, also in the result-code text) and unknown (-1 with an empty result-code text: no
  // reply, an error page, a reply that cannot be read or names no order number; the broker
  // may have executed the order).
  int result = kAgentNoReply;
  if (SimulationRunning()) {
    result = kAgentSimulationOn;
  } else if (code && *code && (market == kMarketDomestic || market == kMarketOverseas)) {
    const bool domestic = market == kMarketDomestic;
    const std::string body =
        domestic ? DomesticOrderBody(code, side, qty, price, creditFlag, priceType, condition,
                                     loanDate, creditKind)
                 : OverseasOrderBody(code, side, qty, price, priceType, condition, earlierOrderNo);
    int len = 0;
    BrokerRequestState request;
    request.order = true;
    char* reply =
        Send(domestic ? curl : nullptr, domestic ? kDomesticOrderPath : kOverseasOrderPath, 1,
             body.c_str(), 1, "tr_cont: N",
             "tr_cont_key: ", domestic ? kDomesticOrderTr : kOverseasOrderTr, true, &len, &request);
    if (reply) {
      char codeText[kCodeTextSize]{};
      char orderNoText[kOrderNoTextSize]{};
      int64_t orderNo = 0;
      int mapped = 0;
      const int parsed =
          domestic
              ? ParseTradeOrderResponse(reply, orderNoText, &orderNo, &mapped, codeText, outMsg)
              : ParseUSATradeOrderResponse(reply, orderNoText, &orderNo, &mapped, codeText, outMsg);
      std::free(reply);
      if (parsed && orderNo > 0) {
        result = 0;  // placed, whatever informational code came with it
        if (outOrderNoText) StrSafeCopyA(outOrderNoText, kOrderNoTextSize, orderNoText);
        if (outOrderNo) *outOrderNo = orderNo;
      } else if (codeText[0] && mapped != 0) {
        result = mapped;  // the broker answered and did not take the order
      }
      // Only an answer (a refusal or a placed order) carries a result-code text.
      if (codeText[0] && outResultText && result != kAgentNoReply)
        StrSafeCopyFromUTF8_W(outResultText, kResultTextLen, codeText);
      if (outCodeFlag) {
        *outCodeFlag = result == kLsOrderRetryCode1 || result == kLsOrderRetryCode2 ? 1 : 0;
      }
    } else if (outMsg) {
      // Why this request failed, from its own state.
      StrSafeCopyFromUTF8_W(outMsg, kOrderMessageLen, request.errorText.c_str());
    }
  }
  if (outResult) *outResult = result;
  if (outSuccess) *outSuccess = result == 0 ? 1 : 0;
  return result;
}
