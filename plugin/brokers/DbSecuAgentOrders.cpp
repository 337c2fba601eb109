// The DB agent's domestic and overseas orders.

#include <rapidjson/document.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "platform/support/JsonGetters.h"
#include "platform/support/TextConv.h"
#include "plugin/brokers/BrokerTransport.h"
#include "plugin/brokers/DbSecuAgent.h"

namespace {

constexpr const char* kDomesticOrderPath = "/api/v1/trading/kr-stock/order";
constexpr const char* kOverseasOrderPath = "/api/v1/trading/overseas-stock/order";
constexpr size_t kOrderNoTextSize = 50;
constexpr size_t kCodeTextSize = 20;
constexpr size_t kOrderMessageLen = 256;
constexpr size_t kResultTextLen = 20;
constexpr int kSideBuy = 1;
constexpr int kCreditOrder = 2;
constexpr int kMarketPriceOrder = 3;

// Reads an order reply (domestic and overseas replies share their layout).
int ParseOrderReply(int (*resultCode)(const char*), const char* reply, char* outOrderNoText,
                    int64_t* outOrderNo, int* outResult, char* outCodeText, wchar_t* outMsg) {
  if (!reply) return 0;
  rapidjson::Document doc;
  doc.Parse(reply);
  if (doc.HasParseError() || !doc.IsObject()) return 0;
  const char* code = JsonGetStringPtr(doc, "rsp_cd");
  if (outCodeText) StrSafeCopyA(outCodeText, kCodeTextSize, code ? code : "");
  const int result = resultCode(code);
  if (outResult) *outResult = result;
  if (result != 0 && outMsg) {
    const char* message = JsonGetStringPtr(doc, "rsp_msg");
    StrSafeCopyFromUTF8_W(outMsg, kOrderMessageLen, message ? message : "");
  }
  const rapidjson::Value* out = JsonGetObject(doc, "Out");
  if (!out) {
    std::printf("Out 항목 없음\n");
    return 0;
  }
  const int64_t orderNo = JsonGetInt64(*out, "OrdNo", 0);
  if (outOrderNo) *outOrderNo = orderNo;
  if (outOrderNoText) {
    std::snprintf(outOrderNoText, kOrderNoTextSize, "%lld", static_cast<long long>(orderNo));
  }
  return 1;
}

std::string OverseasOrderBody(const char* code, int side, double qty, double price, int priceType,
                              int earlierOrderNo) {
  const bool marketPrice = priceType == kMarketPriceOrder;
  char body[512];
  std::snprintf(body, sizeof body,
                "{ \"In\":{    \"AstkIsuNo\": \"%s\",    \"AstkBnsTpCode\": \"%s\",    "
                "\"AstkOrdprcPtnCode\": \"%s\",    \"AstkOrdCndiTpCode\": \"%s\",    "
                "\"AstkOrdQty\": %.0f,    \"AstkOrdPrc\": %.0f,    \"OrdTrdTpCode\": \"%s\",    "
                "\"OrgOrdNo\" : %d   }  }",
                code, side == kSideBuy ? "2" : "1", marketPrice ? "2" : "1", "1", qty,
                marketPrice ? 0.0 : price, "0", earlierOrderNo);
  return body;
}

}  // namespace

CDbSecuAgent::DomesticOrderCodes CDbSecuAgent::OrderCodes(int side, int priceType, int creditFlag,
                                                          int creditKind, int loanDate) {
  const bool buy = side == kSideBuy;
  DomesticOrderCodes codes;
  if (priceType == kMarketPriceOrder) codes.priceType = "03";
  if (creditFlag == kCreditOrder) {
    codes.credit = creditKind == 1 ? (buy ? "001" : "101") : (buy ? "003" : "103");
    std::snprintf(codes.loanDate, sizeof codes.loanDate, "%08d", loanDate);
  }
  return codes;
}

std::string CDbSecuAgent::DomesticOrderBody(const char* code, uint8_t exchange, int side,
                                            double qty, double price, int creditFlag,
                                            int priceType, int condition, int loanDate,
                                            int creditKind) const {
  const DomesticOrderCodes codes = OrderCodes(side, priceType, creditFlag, creditKind, loanDate);
  const int trch = exchange == 1 ? 1 : exchange == 2 ? 2 : 0;
  const char* conditionCode = condition == 1   ? "1"
                              : condition == 2 ? "2"
                              : exchange == 1  ? "0"
                                               : "1";
  char body[512];
  std::snprintf(body, sizeof body,
                "{ \"In\":{ \"IsuNo\":\"%s\", \"TrchNo\":\"%d\", \"SorTpYn\":\"%d\",  "
                "\"OrdQty\":%.0f, \"OrdPrc\":%.0f,\"BnsTpCode\":\"%s\", \"OrdprcPtnCode\":\"%s\", "
                "\"MgntrnCode\":\"%s\",\"LoanDt\":\"%s\", \"OrdCndiTpCode\":\"%s\" } }",
                code, trch, 0, qty, priceType == kMarketPriceOrder ? 0.0 : price,
                side == kSideBuy ? "2" : "1", codes.priceType, codes.credit, codes.loanDate,
                conditionCode);
  return body;
}

int CDbSecuAgent::ParseTradeOrderResponse(const char* reply, char* outOrderNoText,
                                          int64_t* outOrderNo, int* outResult, char* outCodeText,
                                          wchar_t* outMsg) {
  return ParseOrderReply(m_resultCode, reply, outOrderNoText, outOrderNo, outResult, outCodeText,
                         outMsg);
}

int CDbSecuAgent::ParseUSATradeOrderResponse(const char* reply, char* outOrderNoText,
                                             int64_t* outOrderNo, int* outResult, char* outCodeText,
                                             wchar_t* outMsg) {
  return ParseOrderReply(m_resultCode, reply, outOrderNoText, outOrderNo, outResult, outCodeText,
                         outMsg);
}

int CDbSecuAgent::TradeOrderA(CURL* curl, uint8_t market, uint8_t exchange, int side, int,
                              const char* code, double qty, double price, int creditFlag,
                              int priceType, int condition, int loanDate, int creditKind, double,
                              double, double, int, int, int earlierOrderNo, char* outOrderNoText,
                              int64_t* outOrderNo, int* outResult, int* outSuccess,
                              int* outCodeFlag, wchar_t* outMsg, wchar_t* outResultText) {
  if (outOrderNoText) outOrderNoText[0] = 0;
  if (outOrderNo) *outOrderNo = 0;
  if (outSuccess) *outSuccess = 0;
  if (outCodeFlag) *outCodeFlag = 0;
  if (outResultText) outResultText[0] = 0;
  if (outResult) *outResult = kAgentNoReply;

  // Three outcomes: placed (0, with the broker's order number), refused (the broker's code,
  // also in the result-code text) and unknown (-1 with an empty result-code text: no reply,
  // an error page or a reply that cannot be read; the broker may have executed the order).
  int result = kAgentNoReply;
  if (SimulationRunning()) {
    result = kAgentSimulationOn;
  } else if (code && *code && (market == kMarketDomestic || market == kMarketOverseas)) {
    const bool domestic = market == kMarketDomestic;
    const std::string body =
        domestic ? DomesticOrderBody(code, exchange, side, qty, price, creditFlag, priceType,
                                     condition, loanDate, creditKind)
                 : OverseasOrderBody(code, side, qty, price, priceType, earlierOrderNo);
    int len = 0;
    BrokerRequestState request;
    request.order = true;
    char* reply = Post(curl, domestic ? kDomesticOrderPath : kOverseasOrderPath, body.c_str(), 1,
                       m_orderHeader, true, &len, nullptr, &request);
    if (reply) {
      char codeText[kCodeTextSize]{};
      int mapped = 0;
      const int parsed = domestic ? ParseTradeOrderResponse(reply, outOrderNoText, outOrderNo,
                                                            &mapped, codeText, outMsg)
                                  : ParseUSATradeOrderResponse(reply, outOrderNoText, outOrderNo,
                                                               &mapped, codeText, outMsg);
      std::free(reply);
      if (codeText[0] && mapped != 0) {
        result = mapped;  // the broker refused: its code, whatever else the reply held
      } else if (parsed) {
        result = 0;
      }
      // Only an answer (a refusal or a placed order) carries a result-code text.
      if (codeText[0] && outResultText && (result != kAgentNoReply || mapped != 0)) {
        StrSafeCopyFromUTF8_W(outResultText, kResultTextLen, codeText);
      }
      if (outCodeFlag) {
        *outCodeFlag = result == kDbOrderRetryCode1 || result == kDbOrderRetryCode2 ? 1 : 0;
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
