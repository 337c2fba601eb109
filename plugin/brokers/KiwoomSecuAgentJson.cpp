#include "plugin/brokers/KiwoomSecuAgentJson.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstring>

#include "platform/support/DateUtil.h"
#include "plugin/brokers/KiwoomSecuAgent.h"

namespace {

constexpr int64_t kKstOffsetSeconds = 9 * 3600;

}  // namespace

bool KiwoomParse(const char* reply, size_t len, rapidjson::Document* doc) {
  if (!reply || len == 0) return false;
  doc->Parse(reply, len);
  return !doc->HasParseError();
}

void KiwoomJsonText(const rapidjson::Value& obj, const char* name, std::string* out) {
  const char* text = JsonGetStringPtr(obj, name);
  *out = text ? text : "";
}

std::string KiwoomJsonQuoted(const std::string& text) {
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
  writer.String(text.c_str(), static_cast<rapidjson::SizeType>(text.size()));
  return buffer.GetString();
}

bool KiwoomDateTimeToEpoch(const char* text, int64_t* outEpoch) {
  if (!text || std::strlen(text) != 14) return false;
  SYSTEMTIME t{};
  if (!Str2UniDateTimeA(text, &t)) return false;
  const int64_t days = DaysFromCivil(t.wYear, t.wMonth, t.wDay);
  *outEpoch = days * 86400 + t.wHour * 3600 + t.wMinute * 60 + t.wSecond - kKstOffsetSeconds;
  return true;
}

int32_t KiwoomTokenLifetime(int64_t expiresEpoch, int64_t nowEpoch) {
  const int64_t lifetime = expiresEpoch - nowEpoch;
  return lifetime < 1 || lifetime > kKiwoomMaxTokenLifetime ? kKiwoomMaxTokenLifetime
                                                      : static_cast<int32_t>(lifetime);
}

KiwoomTokenReply_s ReadKiwoomTokenReply(const char* reply, size_t len) {
  KiwoomTokenReply_s read;
  rapidjson::Document doc;
  if (!KiwoomParse(reply, len, &doc) || !doc.IsObject()) return read;
  read.parsed = true;
  KiwoomJsonText(doc, "token", &read.token);
  if (read.token.empty()) {
    read.code = KiwoomJsonInt(doc, "return_code");
    KiwoomJsonText(doc, "return_msg", &read.message);
    return read;
  }
  // The expiry comes as text ("20261211093000") or, from some gateways, as a number.
  std::string expires;
  KiwoomJsonText(doc, "expires_dt", &expires);
  if (expires.empty()) {
    const int64_t number = JsonGetInt64(doc, "expires_dt", 0);
    if (number > 0) expires = std::to_string(number);
  }
  int64_t epoch = 0;
  if (KiwoomDateTimeToEpoch(expires.c_str(), &epoch)) read.expiresEpoch = epoch;
  return read;
}

bool ReadKiwoomDepositReply(const char* reply, size_t len, KiwoomDeposit_s* out) {
  rapidjson::Document doc;
  if (!out || !KiwoomParse(reply, len, &doc) || !doc.IsObject()) return false;
  KiwoomJsonText(doc, "return_msg", &out->message);
  if (JsonGetStringPtr(doc, "error") || !JsonGetStringPtr(doc, "acnt_nm")) return false;
  out->deposit = KiwoomJsonDouble(doc, "entr");
  out->withdrawable = KiwoomJsonDouble(doc, "d2_entra");
  out->purchase = KiwoomJsonDouble(doc, "tot_pur_amt");
  out->nextDayAsset = KiwoomJsonDouble(doc, "prsm_dpst_aset_amt");
  return true;
}
