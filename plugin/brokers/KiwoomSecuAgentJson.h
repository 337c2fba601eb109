#pragma once
// Readers of the Kiwoom broker's replies that touch no agent or view state: the JSON members
// (numbers often sent as decimal text), the token, revoke and deposit replies, and the broker's
// date-times, which are Korean standard time whatever the machine's time zone.

#include <rapidjson/document.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/support/JsonGetters.h"

// Parses a reply; false when it is missing or is not JSON.
bool KiwoomParse(const char* reply, size_t len, rapidjson::Document* doc);
// A member as a number (a JSON number or its decimal text; 0 when missing, of another type or
// out of range).
inline int KiwoomJsonInt(const rapidjson::Value& obj, const char* name) {
  return JsonGetInt(obj, name, 0);
}
inline double KiwoomJsonDouble(const rapidjson::Value& obj, const char* name) {
  return JsonGetDouble(obj, name, 0);
}
// A string member's text; empty when missing or not a string.
void KiwoomJsonText(const rapidjson::Value& obj, const char* name, std::string* out);
// A text as a JSON string literal, quotes included: nothing a request body carries (a key, a
// secret, a stock code) is spliced in raw.
std::string KiwoomJsonQuoted(const std::string& text);

// Seconds since 1970 (UTC) of a broker date-time "yyyymmddhhmmss" in Korean standard time
// (UTC+9, no daylight saving); false when the text is not one.
bool KiwoomDateTimeToEpoch(const char* text, int64_t* outEpoch);
// The lifetime (seconds) of a token that expires at `expiresEpoch`: ten days when that is not
// after `nowEpoch` or more than ten days ahead.
int32_t KiwoomTokenLifetime(int64_t expiresEpoch, int64_t nowEpoch);

// A token reply: the token (empty for a refusal, which names "return_code" and "return_msg")
// and the expiry "expires_dt" (0 when missing or not a date-time).
struct KiwoomTokenReply_s {
  bool parsed = false;  // the reply was a JSON object
  std::string token;
  int64_t expiresEpoch = 0;
  int code = 0;
  std::string message;
};
KiwoomTokenReply_s ReadKiwoomTokenReply(const char* reply, size_t len);

// A "kt00004" deposit reply. False for a refusal (an "error" member, or no "acnt_nm"), with the
// broker's "return_msg" in `message`.
struct KiwoomDeposit_s {
  double deposit = 0;       // "entr"
  double withdrawable = 0;  // "d2_entra"
  double purchase = 0;      // "tot_pur_amt"
  double nextDayAsset = 0;  // "prsm_dpst_aset_amt"
  std::string message;
};
bool ReadKiwoomDepositReply(const char* reply, size_t len, KiwoomDeposit_s* out);
