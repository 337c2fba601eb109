#include "platform/stocklib/CoinOrderReply.h"

#include <rapidjson/document.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "platform/support/TextConv.h"

namespace {

struct ErrorName {
  const char* name;
  int code;
};

constexpr ErrorName kErrorNames[] = {
    {"too_many_request_order", kCoinOrderTooMany},
    {"under_min_total_market_ask", kCoinOrderUnderMinAsk},
    {"duplicated_identifier", kCoinOrderDuplicated},
    {"not_supported_ord_type", kCoinOrderBadType},
    {"under_min_total_bid", kCoinOrderUnderMinBid},
    {"insufficient_funds_bid", kCoinOrderNoFundsBid},
    {"insufficient_funds_ask", kCoinOrderNoFundsAsk},
    {"out_of_scope", kCoinOrderOutOfScope},
    {"remaining_volume", kCoinOrderRemaining},
};

constexpr size_t kMaxErrorName = 99;

// A member as text: strings as they are (JSON escapes already decoded), numbers in their
// shortest form; empty for anything else.
std::string MemberText(const rapidjson::Value& object, const char* name) {
  if (!object.IsObject()) return {};
  auto it = object.FindMember(name);
  if (it == object.MemberEnd()) return {};
  const rapidjson::Value& v = it->value;
  if (v.IsString()) return std::string(v.GetString(), v.GetStringLength());
  if (v.IsInt64()) return std::to_string(v.GetInt64());
  if (v.IsUint64()) return std::to_string(v.GetUint64());
  if (v.IsNumber()) {
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", v.GetDouble());
    return text;
  }
  return {};
}

void CopyWide(wchar_t* out, size_t outLen, const std::string& utf8) {
  if (out && outLen) StrSafeCopyFromUTF8_W(out, outLen, utf8.c_str());
}

}  // namespace

int CoinOrderErrorCode(const char* name) {
  if (name) {
    for (const ErrorName& entry : kErrorNames) {
      if (std::strcmp(entry.name, name) == 0) return entry.code;
    }
  }
  return kCoinOrderErrorOther;
}

int ReadCoinOrderError(const char* reply, wchar_t* outMsg, size_t msgLen, char* outName,
                       size_t nameSize) {
  if (!reply || !outMsg || msgLen == 0) return kCoinOrderUnreadable;
  outMsg[0] = 0;
  if (outName && nameSize) outName[0] = 0;

  rapidjson::Document doc;
  doc.Parse(reply);
  if (doc.HasParseError() || !doc.IsObject()) return kCoinOrderUnreadable;

  auto error = doc.FindMember("error");
  if (error == doc.MemberEnd()) {
    CopyWide(outMsg, msgLen, MemberText(doc, "volume"));
    return kCoinOrderOk;
  }
  CopyWide(outMsg, msgLen, MemberText(error->value, "message"));
  std::string name = MemberText(error->value, "name");
  if (name.size() > kMaxErrorName) name.resize(kMaxErrorName);
  if (outName && nameSize) StrSafeCopyA(outName, nameSize, name.c_str());
  return CoinOrderErrorCode(name.c_str());
}

int ReadCoinOrderReply(const char* reply, size_t len, CoinOrderReply_s* out) {
  if (!out) return 0;
  *out = CoinOrderReply_s();
  if (!reply || len == 0) return 0;
  rapidjson::Document doc;
  doc.Parse(reply, len);
  if (doc.HasParseError() || !doc.IsObject()) return 0;

  out->status = MemberText(doc, "status");
  out->orderId = Utf8ToWide(MemberText(doc, "order_id"));
  auto data = doc.FindMember("data");
  if (data != doc.MemberEnd()) {
    const rapidjson::Value* fields = &data->value;
    if (fields->IsArray() && !fields->Empty()) fields = &(*fields)[0];
    out->units = std::strtod(MemberText(*fields, "units").c_str(), nullptr);
    out->price = std::strtod(MemberText(*fields, "price").c_str(), nullptr);
  }
  out->message = Utf8ToWide(MemberText(doc, "message"));
  return static_cast<int>(out->message.size());
}

int MakeCoinOrderIdText(const char* reply, size_t len, wchar_t** outText) {
  if (!reply || !outText) return -1;
  *outText = nullptr;
  CoinOrderReply_s parsed;
  const int result = ReadCoinOrderReply(reply, len, &parsed);
  if (!parsed.orderId.empty() || !parsed.message.empty()) {
    *outText = StrDup2W((parsed.orderId + L"/" + parsed.message).c_str());
  }
  return result;
}
