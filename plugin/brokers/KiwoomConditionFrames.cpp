#include "plugin/brokers/KiwoomConditionFrames.h"

#include <rapidjson/document.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/support/TextConv.h"

namespace {
constexpr size_t kNameLen = 100;     // a condition name: at most 99 characters
constexpr size_t kCodeLen = 13;      // a stock code: at most 12 characters
constexpr size_t kMessageLen = 300;  // return_msg: at most 299 characters
constexpr int kMaxSeq = 999999;
constexpr const char* kConditionRealType = "02";

bool String(const rapidjson::Value& v, std::string* out) {
  if (!v.IsString()) return false;
  out->assign(v.GetString(), v.GetStringLength());
  return true;
}

bool Member(const rapidjson::Value& obj, const char* name, std::string* out) {
  if (!obj.IsObject()) return false;
  const auto found = obj.FindMember(name);
  return found != obj.MemberEnd() && String(found->value, out);
}

// A sequence number sent as a string ("3") or as a number.
bool Seq(const rapidjson::Value& v, int* out) {
  if (v.IsInt()) {
    *out = v.GetInt();
  } else if (v.IsString()) {
    const std::string text(v.GetString(), v.GetStringLength());
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
      return false;
    *out = std::atoi(text.c_str());
  } else {
    return false;
  }
  return *out >= 0 && *out <= kMaxSeq;
}

bool MemberSeq(const rapidjson::Value& obj, const char* name, int* out) {
  if (!obj.IsObject()) return false;
  const auto found = obj.FindMember(name);
  return found != obj.MemberEnd() && Seq(found->value, out);
}

// A text without NULs that fits `length`, as wide text; empty when it does not.
std::wstring Wide(const std::string& text, size_t length) {
  if (text.find('\0') != std::string::npos) return std::wstring();
  std::wstring wide = Utf8ToWide(text);
  if (wide.size() >= length) return std::wstring();
  return wide;
}

// A stock code: the market prefix 'A' dropped, letters and digits only.
std::wstring Code(const std::string& text) {
  std::string code = text;
  if (!code.empty() && code[0] == 'A') code.erase(0, 1);
  if (code.empty() || code.size() >= kCodeLen) return std::wstring();
  for (char c : code)
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
      return std::wstring();
  return Utf8ToWide(code);
}

// A price as the server sends it ("+71500", "-3200", "71500"); 0 when unreadable.
double Price(const std::string& text) {
  if (text.empty() || text.size() > 30) return 0;
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (errno != 0 || !end || *end != '\0' || !std::isfinite(value)) return 0;
  return std::fabs(value);
}

void ReadList(const rapidjson::Value& data, KiwoomConditionMessage_s* out) {
  for (const auto& entry : data.GetArray()) {
    if (!entry.IsArray() || entry.Size() < 2) continue;
    KiwoomCondition_s condition;
    std::string name;
    if (!Seq(entry[0], &condition.seq) || !String(entry[1], &name)) continue;
    condition.name = Wide(name, kNameLen);
    if (condition.name.empty()) continue;
    out->conditions.push_back(std::move(condition));
  }
}

void ReadHits(const rapidjson::Value& data, KiwoomConditionMessage_s* out) {
  for (const auto& entry : data.GetArray()) {
    std::string code;
    if (!Member(entry, "9001", &code) && !Member(entry, "jmcode", &code)) continue;
    KiwoomConditionHit_s hit;
    hit.code = Code(code);
    if (hit.code.empty()) continue;
    std::string price;
    if (Member(entry, "10", &price)) hit.price = Price(price);
    out->hits.push_back(std::move(hit));
  }
}

void ReadEvents(const rapidjson::Value& data, KiwoomConditionMessage_s* out) {
  for (const auto& entry : data.GetArray()) {
    std::string type;
    if (!Member(entry, "type", &type) || type != kConditionRealType) continue;
    const auto values = entry.FindMember("values");
    if (values == entry.MemberEnd() || !values->value.IsObject()) continue;
    KiwoomConditionEvent_s event;
    std::string code;
    std::string kind;
    if (!MemberSeq(values->value, "841", &event.seq) || !Member(values->value, "9001", &code) ||
        !Member(values->value, "843", &kind))
      continue;
    event.code = Code(code);
    if (event.code.empty() || (kind != "I" && kind != "D")) continue;
    event.kind = static_cast<wchar_t>(kind[0]);
    out->events.push_back(std::move(event));
  }
}
}  // namespace

std::string KiwoomConditionListFrame() { return "{ \"trnm\": \"CNSRLST\" }"; }

std::string KiwoomConditionRequestFrame(int seq) {
  return "{ \"trnm\": \"CNSRREQ\", \"seq\": \"" + std::to_string(seq) +
         "\", \"search_type\": \"1\", \"stex_tp\": \"K\" }";
}

std::string KiwoomConditionClearFrame(int seq) {
  return "{ \"trnm\": \"CNSRCLR\", \"seq\": \"" + std::to_string(seq) + "\" }";
}

bool ReadKiwoomConditionMessage(const char* data, size_t size, KiwoomConditionMessage_s* out) {
  *out = KiwoomConditionMessage_s();
  if (!data) return false;
  rapidjson::Document doc;
  doc.Parse(data, size);
  if (doc.HasParseError() || !doc.IsObject()) return false;
  std::string trnm;
  if (!Member(doc, "trnm", &trnm)) return false;
  const auto code = doc.FindMember("return_code");
  if (code != doc.MemberEnd()) {
    if (code->value.IsInt()) {
      out->returnCode = code->value.GetInt();
    } else if (code->value.IsString()) {
      out->returnCode = std::atoi(code->value.GetString());
    }
  }
  std::string message;
  if (Member(doc, "return_msg", &message)) out->returnMsg = Wide(message, kMessageLen);
  const auto dataMember = doc.FindMember("data");
  const rapidjson::Value* list =
      dataMember != doc.MemberEnd() && dataMember->value.IsArray() ? &dataMember->value : nullptr;

  if (trnm == "CNSRLST") {
    out->kind = KiwoomConditionMessage_s::kList;
    if (list && out->returnCode == 0) ReadList(*list, out);
    return true;
  }
  if (trnm == "CNSRREQ") {
    if (!MemberSeq(doc, "seq", &out->seq)) return false;
    out->kind = KiwoomConditionMessage_s::kSearchResult;
    if (list && out->returnCode == 0) ReadHits(*list, out);
    return true;
  }
  if (trnm == "CNSRCLR") {
    if (!MemberSeq(doc, "seq", &out->seq)) return false;
    out->kind = KiwoomConditionMessage_s::kCleared;
    return true;
  }
  if (trnm == "REAL" && list) {
    ReadEvents(*list, out);
    if (out->events.empty()) return false;
    out->kind = KiwoomConditionMessage_s::kEvents;
    return true;
  }
  return false;
}

std::wstring KiwoomConditionListText(const std::vector<KiwoomCondition_s>& conditions) {
  std::wstring text;
  for (const KiwoomCondition_s& condition : conditions) {
    if (condition.name.find_first_of(L"^;") != std::wstring::npos) continue;
    text += std::to_wstring(condition.seq) + L"^" + condition.name + L";";
  }
  return text;
}
