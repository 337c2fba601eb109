// The Kiwoom agent's domestic cash and credit orders.

#include <rapidjson/document.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/support/TextConv.h"
#include "plugin/brokers/BrokerTransport.h"
#include "plugin/brokers/KiwoomSecuAgent.h"
#include "plugin/brokers/KiwoomSecuAgentJson.h"

namespace {

constexpr const char* kCashOrderPath = "/api/dostk/ordr";
constexpr const char* kCreditOrderPath = "/api/dostk/crdordr";
constexpr size_t kOrderNoTextSize = 50;
constexpr size_t kCodeTextSize = 20;
constexpr size_t kOrderMessageLen = 256;
constexpr size_t kResultTextLen = 20;
constexpr int kSideBuy = 1;
constexpr int kCreditOrder = 2;
constexpr int kMarketPriceOrder = 3;

// "dmst_stex_tp" of the exchange selector.
const char* ExchangeName(uint8_t exchange) {
  return exchange == 2 ? "NXT" : exchange == 3 ? "SOR" : "KRX";
}

// A whole decimal number, as a JSON number or as text of digits (an optional sign first).
bool WholeNumber(const rapidjson::Value& value, int64_t* out) {
  if (value.IsInt64()) {
    *out = value.GetInt64();
    return true;
  }
  if (!value.IsString()) return false;
  const char* text = value.GetString();
  const char* p = text;
  if (*p == '-' || *p == '+') ++p;
  if (!*p) return false;
  for (const char* q = p; *q; ++q) {
    if (!std::isdigit(static_cast<unsigned char>(*q))) return false;
  }
  errno = 0;
  const long long number = std::strtoll(text, nullptr, 10);
  if (errno == ERANGE) return false;
  *out = number;
  return true;
}

}  // namespace

int CKiwoomSecuAgent::ParseTradeOrderResponse(const char* reply, char* outOrderNoText,
                                              int64_t* outOrderNo, int* outResult,
                                              char* outCodeText, wchar_t* outMsg) {
  if (outOrderNoText) outOrderNoText[0] = 0;
  if (outOrderNo) *outOrderNo = 0;
  if (outCodeText) outCodeText[0] = 0;
  if (outResult) *outResult = kAgentNoReply;
  rapidjson::Document doc;
  if (!reply || !KiwoomParse(reply, std::strlen(reply), &doc) || !doc.IsObject()) {
    std::printf("JSON 파싱 실패\n");
    return 0;
  }
  // The result code, only when the reply names one: a reply without it tells nothing.
  int64_t code = 0;
  const bool named = doc.HasMember("return_code") && WholeNumber(doc["return_code"], &code) &&
                     code >= INT32_MIN && code <= INT32_MAX;
  if (named) {
    if (outResult) *outResult = static_cast<int>(code);
    if (outCodeText) std::snprintf(outCodeText, kCodeTextSize, "%d", static_cast<int>(code));
    if (code != 0 && outMsg) {
      std::string message;
      KiwoomJsonText(doc, "return_msg", &message);
      StrSafeCopyFromUTF8_W(outMsg, kOrderMessageLen, message.c_str());
    }
  }
  // The order number as the broker wrote it (its leading zeros belong to it); a text that is
  // no number, or the number 0, names no order.
  int64_t orderNo = 0;
  if (doc.HasMember("ord_no") && WholeNumber(doc["ord_no"], &orderNo) && orderNo > 0) {
    if (outOrderNo) *outOrderNo = orderNo;
    if (outOrderNoText) {
      const rapidjson::Value& value = doc["ord_no"];
      if (value.IsString() && value.GetStringLength() < kOrderNoTextSize) {
        StrSafeCopyA(outOrderNoText, kOrderNoTextSize, value.GetString());
      } else {
        std::snprintf(outOrderNoText, kOrderNoTextSize, "%lld", static_cast<long long>(orderNo));
      }
    }
  }
  return 1;
}

int CKiwoomSecuAgent::TradeOrderA(CURL* curl, uint8_t market, uint8_t exchange, int side, int,
                                  const char* code, double qty, double price, int creditFlag,
                                  int priceType, int, int loanDate, int, double, double, double,
                                  int, int, int, char* outOrderNoText, int64_t* outOrderNo,
                                  int* outResult, int* outSuccess, int* outCodeFlag,
                                  wchar_t* outMsg, wchar_t* outResultText) {
  if (outOrderNoText) outOrderNoText[0] = 0;
  if (outOrderNo) *outOrderNo = 0;
  if (outSuccess) *outSuccess = 0;
  if (outCodeFlag) *outCodeFlag = 0;
  if (outMsg) outMsg[0] = 0;
  if (outResultText) outResultText[0] = 0;

  // Three outcomes: placed (0, with the broker's order number), refused (the broker's code, also
  // in the result-code text) and unknown (-1 with an empty result-code text: no reply, an error
  // page or a reply that cannot be read; the broker may have executed the order).
  int result = kAgentNoReply;
  if (SimulationRunning()) {
    result = kAgentSimulationOn;
  } else if (market != kMarketDomestic) {
    // The broker's REST API takes no overseas orders: nothing is sent.
    result = kAgentOrderNotAvailable;
  } else if (code && *code) {
    const bool buy = side == kSideBuy;
    const bool credit = creditFlag == kCreditOrder;
    const double orderPrice = priceType == kMarketPriceOrder ? 0.0 : price;
    const std::string stockCode = KiwoomJsonQuoted(code);
    char body[640];
    if (credit) {
      char loanText[16];
      std::snprintf(loanText, sizeof loanText, "%08d", loanDate);
      std::snprintf(body, sizeof body,
                    "{ \"dmst_stex_tp\" : \"%s\",\t\t\t\t\t\"stk_cd\" : %s,\t\t\t\t\t"
                    "\"ord_qty\" : \"%.0f\",\t\t\t\t\t\"ord_uv\" : \"%.0f\",\t\t\t\t\t"
                    "\"trde_tp\" : \"%d\",\t\t\t\t\t\"crd_deal_tp\" : \"%s\",\t\t\t\t\t"
                    "\"crd_loan_dt\" : \"%s\",\t\t\t\t\t\"cond_uv\" : \"\"\t}",
                    ExchangeName(exchange), stockCode.c_str(), qty, orderPrice, priceType,
                    kKiwoomCreditDealKind, loanText);
    } else {
      std::snprintf(body, sizeof body,
                    "{\t\"dmst_stex_tp\" : \"%s\",\t\"stk_cd\" : %s,\t\"ord_qty\" : \"%.0f\",\t"
                    "\"ord_uv\" : \"%.0f\",\t\"trde_tp\" : \"%d\",\t\"cond_uv\" : \"\"}",
                    ExchangeName(exchange), stockCode.c_str(), qty, orderPrice, priceType);
    }
    const char* apiId = buy ? (credit ? "api-id: kt10006" : "api-id: kt10000")
                            : (credit ? "api-id: kt10007" : "api-id: kt10001");
    int len = 0;
    BrokerRequestState request;
    request.order = true;
    char* reply = Post(curl, credit ? kCreditOrderPath : kCashOrderPath, body, 1, "cont-yn: N",
                       apiId, &request, &len);
    if (reply) {
      char codeText[kCodeTextSize]{};
      char orderNoText[kOrderNoTextSize]{};
      int64_t orderNo = 0;
      int code = kAgentNoReply;
      const int parsed =
          ParseTradeOrderResponse(reply, orderNoText, &orderNo, &code, codeText, outMsg);
      std::free(reply);
      if (parsed && codeText[0] && code != 0) {
        result = code;  // the broker refused
      } else if (parsed && codeText[0] && orderNo > 0) {
        result = 0;
        if (outOrderNoText) StrSafeCopyA(outOrderNoText, kOrderNoTextSize, orderNoText);
        if (outOrderNo) *outOrderNo = orderNo;
      }
      // Only an answer (a refusal or a placed order) carries a result-code text.
      if (result != kAgentNoReply && outResultText)
        StrSafeCopyFromUTF8_W(outResultText, kResultTextLen, codeText);
      if (outCodeFlag) {
        *outCodeFlag = result == kKiwoomOrderRetryCode1 || result == kKiwoomOrderRetryCode2 ? 1 : 0;
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
