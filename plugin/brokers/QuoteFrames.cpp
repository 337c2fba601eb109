#include "plugin/brokers/QuoteFrames.h"

#include <json/json.h>
#include <rapidjson/document.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <vector>

#include "platform/support/JsonGetters.h"
#include "platform/support/TextConv.h"

namespace {

constexpr size_t kShortTextSize = 30;  // narrow texts: 29 bytes and the terminator
constexpr size_t kMessageLen = 300;    // wide messages: 299 characters and the terminator
constexpr size_t kCodeLen = 50;        // wide stock code: 49 characters and the terminator
constexpr size_t kRegisterFrameSize = 1024;

std::string Formatted(size_t capacity, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
std::string Formatted(size_t capacity, const char* format, ...) {
  std::vector<char> buffer(capacity);
  va_list args;
  va_start(args, format);
  const int written = std::vsnprintf(buffer.data(), buffer.size(), format, args);
  va_end(args);
  if (written < 0 || static_cast<size_t>(written) >= capacity) return std::string();
  return std::string(buffer.data(), static_cast<size_t>(written));
}

const char* Text(const char* text) { return text ? text : ""; }

std::string ShortText(const rapidjson::Value& obj, const char* name) {
  char buffer[kShortTextSize];
  JsonCopyString(obj, name, buffer, sizeof buffer);
  return buffer;
}

std::wstring WideText(const rapidjson::Value& obj, const char* name, size_t length) {
  const rapidjson::Value::ConstMemberIterator member = obj.FindMember(name);
  if (member == obj.MemberEnd() || !member->value.IsString()) return std::wstring();
  // A text that does not fit is not cut: it reads as missing.
  std::wstring wide =
      Utf8ToWide(std::string_view(member->value.GetString(), member->value.GetStringLength()));
  if (wide.size() >= length || wide.find(L'\0') != std::wstring::npos) return std::wstring();
  return wide;
}

bool ParseObject(const char* data, size_t size, rapidjson::Document* doc) {
  if (!data) return false;
  doc->Parse(data, size);
  return !doc->HasParseError() && doc->IsObject();
}

}  // namespace

std::string DbSubscriptionFrame(const char* token, bool add, const char* code) {
  std::string frame = "{ \"header\": { \"token\": \"";
  frame += Text(token);
  frame += "\", \"tr_type\": \"";
  frame += add ? "1" : "2";
  frame += "\" }, \"body\": { \"tr_cd\": \"S00\", \"tr_key\": \"J ";
  frame += Text(code);
  frame += "\" }}";
  return frame;
}

bool ReadDbPriceFrame(const char* data, size_t size, DbPriceFrame_s* out) {
  *out = DbPriceFrame_s();
  rapidjson::Document doc;
  if (!ParseObject(data, size, &doc)) return false;
  const rapidjson::Value* header = JsonGetObject(doc, "header");
  if (!header) return false;
  out->rspCd = JsonGetInt(*header, "rsp_cd", 0);
  out->rspMsg = WideText(*header, "rsp_msg", kMessageLen);
  out->trCd = ShortText(*header, "tr_cd");
  out->trKey = ShortText(*header, "tr_key");
  const rapidjson::Value* body = JsonGetObject(doc, "body");
  if (!body) return true;
  out->hasBody = true;
  out->code = WideText(*body, "ShrnIscd", kCodeLen);
  out->businessDate = ShortText(*body, "BsopDate");
  out->tradeTime = ShortText(*body, "StckCntghour");
  out->price = JsonGetDouble(*body, "StckPrpr", 0);
  out->tradeVolume = JsonGetDouble(*body, "CntgVol", 0);
  out->accVolume = JsonGetDouble(*body, "AcmlVol", 0);
  out->changeRate = JsonGetDouble(*body, "PrdyCtrt", 0);
  return true;
}

std::string KiwoomLoginFrame(const char* token, const char* appKey, const char* appSecret) {
  return std::string("{ \"trnm\": \"LOGIN\", \"token\": \"") + Text(token) + "\", \"appkey\": \"" +
         Text(appKey) + "\", \"appsecret\": \"" + Text(appSecret) + "\" }";
}

std::string KiwoomRegisterFrame(int group, int refresh, const char* code, const char* type) {
  return Formatted(kRegisterFrameSize,
                   "{ \"trnm\": \"REG\", \"grp_no\": \"%d\", \"refresh\": \"%d\", \"data\": [{ "
                   "\"item\": [\"%s\"], \"type\": [\"%s\"] }] }",
                   group, refresh, Text(code), Text(type));
}

bool ReadKiwoomReply(const char* data, size_t size, KiwoomReply_s* out) {
  *out = KiwoomReply_s();
  rapidjson::Document doc;
  if (!ParseObject(data, size, &doc)) return false;
  if (!doc.HasMember("trnm")) return false;
  out->returnCode = JsonGetInt(doc, "return_code", 0);
  out->returnMsg = WideText(doc, "return_msg", kMessageLen);
  out->trnm = ShortText(doc, "trnm");
  return true;
}

bool IsAcceptedLogin(const KiwoomReply_s& reply) {
  return reply.trnm == "LOGIN" && reply.returnCode == 0;
}

bool ReadHanaFrame(const char* data, size_t size, std::string* errors) {
  if (!data) data = "";
  Json::CharReaderBuilder builder;
  const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value root;
  std::string problems;
  bool parsed = false;
  try {
    parsed = reader->parse(data, data + size, &root, &problems);
  } catch (const std::exception& e) {
    // JsonCpp throws on nesting past its stack limit: an unreadable message like any other.
    problems = e.what();
    parsed = false;
  }
  if (errors) *errors = problems;
  return parsed;
}
