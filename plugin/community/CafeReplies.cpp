#include "plugin/community/CafeReplies.h"

#include <rapidjson/document.h>

#include <cstring>
#include <limits>

#include "platform/support/DateUtil.h"
#include "platform/support/Encoding.h"
#include "platform/support/JsonGetters.h"
#include "platform/support/TextConv.h"

namespace {

// A member's value when it is a string, else null.
const rapidjson::Value* StringMember(const rapidjson::Value& obj, const char* name) {
  if (!obj.IsObject()) return nullptr;
  const auto found = obj.FindMember(name);
  if (found == obj.MemberEnd() || !found->value.IsString()) return nullptr;
  return &found->value;
}

std::string Text(const rapidjson::Value* value) {
  return value ? std::string(value->GetString(), value->GetStringLength()) : std::string();
}

std::wstring WideText(const rapidjson::Value* value) { return Utf8ToWide(Text(value)); }

// A base64 member decoded; false when absent. Text that is not base64 decodes to nothing.
bool DecodedMember(const rapidjson::Value& obj, const char* name, std::string* out) {
  const rapidjson::Value* value = StringMember(obj, name);
  out->clear();
  if (!value) return false;
  if (!base64_decode(Text(value), out)) out->clear();
  return true;
}

// Seconds since 1970 of a local date-time text; a text that is no date lies long past.
int64_t LocalSeconds(const SYSTEMTIME& t) {
  return DaysFromCivil(t.wYear, t.wMonth, t.wDay) * 86400 + t.wHour * 3600 + t.wMinute * 60 +
         t.wSecond;
}

int64_t TextSeconds(const char* text) {
  SYSTEMTIME t{};
  if (!text || Str2UniDateTimeA(text, &t) == 0 || t.wYear < 1)
    return std::numeric_limits<int64_t>::min() / 2;
  return LocalSeconds(t);
}

// Skips a leading UTF-8 byte-order mark.
void SkipBom(const char** text, size_t* length) {
  if (*length >= 3 && std::memcmp(*text, "\xEF\xBB\xBF", 3) == 0) {
    *text += 3;
    *length -= 3;
  }
}

bool ParseJson(const char* text, size_t length, rapidjson::Document* doc) {
  if (!text) return false;
  SkipBom(&text, &length);
  doc->Parse(text, length);
  return !doc->HasParseError();
}

}  // namespace

CafeReplyRead ReadCafeListReply(const char* text, size_t length, int32_t agencyIndex,
                                int32_t ownCafe, int32_t requestedCafe, CafeListReply_s* out) {
  *out = CafeListReply_s();
  rapidjson::Document doc;
  if (!ParseJson(text, length, &doc)) return CafeReplyRead::kNotJson;
  const rapidjson::Value* data = doc.IsObject() ? JsonGetArray(doc, "data") : nullptr;
  if (!data || !data->IsArray()) return CafeReplyRead::kNoDataArray;

  int32_t firstKept = 0;
  int32_t preferred = 0;  // the last entry that is the user's own or the requested cafe
  for (const rapidjson::Value& entry : data->GetArray()) {
    if (!entry.IsObject()) continue;
    const int32_t index = JsonGetInt(entry, "idx", 0);
    const rapidjson::Value* title = StringMember(entry, "title");
    const rapidjson::Value* managerName = StringMember(entry, "manager_name");
    if (index < 1 || !title || !managerName) continue;
    auto record = std::make_shared<CafeRecord_s>();
    record->cafeIndex = index;
    record->agencyIndex = agencyIndex;
    record->managerIndex = JsonGetInt(entry, "manager_idx", 0);
    record->chiefManagerIndex = record->managerIndex;
    record->subManagerIndex = JsonGetInt(entry, "sub_manager_idx", 0);
    record->chatId = JsonGetInt(entry, "chat_id", 0);
    record->hasChatToken = DecodedMember(entry, "chat_token", &record->chatToken);
    record->profitRates = Text(StringMember(entry, "ps_rates"));
    record->hasManagerPhone = DecodedMember(entry, "manager_tel", &record->managerPhone);
    record->title = WideText(title);
    record->adminUrl = WideText(StringMember(entry, "admin_url"));
    record->managerName = WideText(managerName);
    record->subManagerIds = WideText(StringMember(entry, "sub_manager_ids"));
    out->cafes.emplace(index, std::move(record));
    if (firstKept == 0) firstKept = index;
    if (index == ownCafe || index == requestedCafe) preferred = index;
  }
  const int32_t picked = preferred ? preferred : firstKept;
  if (picked) out->picked = out->cafes.at(picked);
  return CafeReplyRead::kOk;
}

int CafeMemberPeriodStatus(const char* startText, const char* endText, const SYSTEMTIME& now) {
  const int64_t nowSeconds = LocalSeconds(now);
  if (TextSeconds(startText) - nowSeconds >= 1) return kCafePeriodNotStarted;
  if (TextSeconds(endText) - nowSeconds >= 1) return kCafePeriodRunning;
  return kCafePeriodEnded;
}

CafeReplyRead ReadCafeMembersReply(const char* text, size_t length, int32_t memberIndex,
                                   int32_t cafeIndex, const SYSTEMTIME& now,
                                   CafeMembersReply_s* out) {
  *out = CafeMembersReply_s();
  rapidjson::Document doc;
  if (!ParseJson(text, length, &doc)) return CafeReplyRead::kNotJson;
  if (!doc.IsObject()) return CafeReplyRead::kOk;

  if (const rapidjson::Value* info = JsonGetArray(doc, "info")) {
    for (const rapidjson::Value& element : info->GetArray())
      out->myCafeApproved = element.IsObject() ? JsonGetInt(element, "my_cafe_approved", 0) : 0;
  }
  const rapidjson::Value* data = JsonGetArray(doc, "data");
  if (!data) return CafeReplyRead::kOk;
  if (memberIndex != 0 && out->myCafeApproved != 0) out->approvedCafe = cafeIndex;
  for (const rapidjson::Value& member : data->GetArray()) {
    if (!member.IsObject()) continue;
    const int32_t uidx = JsonGetInt(member, "uidx", 0);
    if (!StringMember(member, "uid") || uidx < 1) continue;
    ++out->members;
    const int status = CafeMemberPeriodStatus(Text(StringMember(member, "start_date")).c_str(),
                                              Text(StringMember(member, "end_date")).c_str(), now);
    const int32_t cafe = JsonGetInt(member, "cafe", 0);
    const uint8_t approved = static_cast<uint8_t>(JsonGetInt(member, "approved", 0));
    if (uidx == memberIndex && cafe >= 1 && approved != 0 && status == kCafePeriodRunning)
      out->approvedCafe = cafe;
  }
  return CafeReplyRead::kOk;
}

namespace {

// Numbers may come as JSON numbers or as texts; texts are UTF-8.
void ReadRecItemValues(const rapidjson::Value& element, CafeRecItemValues_s* v) {
  auto text = [&element](const char* name) { return WideText(StringMember(element, name)); };
  v->recIndex = JsonGetInt(element, "idx", 0);
  v->tradeSide = JsonGetInt(element, "buy_or_sell", 0);
  v->recPrice = JsonGetDouble(element, "buy_price_cur", 0);
  v->targetPrice = JsonGetDouble(element, "target_price", 0);
  v->cutPrice = JsonGetDouble(element, "cut_price", 0);
  v->stopLossRate = JsonGetDouble(element, "losscut_rate", 0);
  v->takeProfitRate1 = JsonGetDouble(element, "min_profit_rate", 0);
  v->takeProfitRate2 = JsonGetDouble(element, "min_profit_rate2", 0);
  v->profit = JsonGetDouble(element, "profit_rate", 0);
  v->dailyProfit = JsonGetDouble(element, "profit_rate_day", 0);
  v->elapsed = JsonGetInt(element, "cur_days", 0);
  v->closed = JsonGetInt(element, "closed", 0);
  v->likes = JsonGetInt(element, "good_cnt", 0);
  v->buyReason = text("buy_msg");
  v->sellReason = text("sell_msg");
  v->author = text("author_name");
  v->recDate = text("rec_date");
}

}  // namespace

CafeReplyRead ReadCafeRecItemsReply(const char* text, size_t length, CafeRecItemsReply_s* out) {
  *out = CafeRecItemsReply_s();
  rapidjson::Document doc;
  if (!ParseJson(text, length, &doc) || !doc.IsObject()) return CafeReplyRead::kNotJson;

  if (const rapidjson::Value* info = JsonGetArray(doc, "info")) {
    out->infoIsArray = true;
    for (const rapidjson::Value& element : info->GetArray()) {
      if (!element.IsObject()) continue;
      for (const auto& member : element.GetObject()) {
        const std::string name(member.name.GetString(), member.name.GetStringLength());
        if (name == "mod_time" && member.value.IsString())
          out->modTime = Text(&member.value).substr(0, kCafeModTimeMax);
        else if (name == "data_cnt" && member.value.IsInt())
          out->dataCount = member.value.GetInt();
        else if (name == "approved" && member.value.IsInt())
          out->approval = member.value.GetInt();
      }
    }
  }
  const rapidjson::Value* data = JsonGetArray(doc, "data");
  if (!data) return CafeReplyRead::kOk;
  for (const rapidjson::Value& element : data->GetArray()) {
    if (!element.IsObject()) continue;
    CafeRecItem_s item;
    item.market = static_cast<uint8_t>(JsonGetInt(element, "nation_idx", 0));
    std::string code = Text(StringMember(element, "stock_code")).substr(0, kCafeItemCodeMax);
    // The code buffer is a C text: it ends at the first NUL.
    code = code.c_str();
    if (code.empty()) continue;
    if (out->approval == 0) {
      std::string decoded;
      if (!base64_decode(code, &decoded)) continue;
      code = std::string(decoded.c_str()).substr(0, kCafeItemCodeMax);
      if (code.empty()) continue;
    }
    item.code = std::move(code);
    ReadRecItemValues(element, &item.values);
    out->items.push_back(std::move(item));
  }
  return CafeReplyRead::kOk;
}

std::wstring MakeCafeChangesSince(const std::string& modTime) {
  std::wstring out;
  for (wchar_t c : Utf8ToWide(modTime)) {
    if (c == L' ')
      out += L"%20";
    else
      out += c;
  }
  return out;
}

bool CafeIdListHasMember(const std::wstring& list, int32_t memberIndex) {
  if (memberIndex == 0) return false;
  // Whole numbers, separated by anything that is not a digit (";", ",", blanks).
  size_t at = 0;
  while (at < list.size()) {
    while (at < list.size() && (list[at] < L'0' || list[at] > L'9')) ++at;
    const bool negative = at > 0 && at < list.size() && list[at - 1] == L'-';
    int64_t value = 0;
    size_t digits = 0;
    while (at < list.size() && list[at] >= L'0' && list[at] <= L'9') {
      if (value < (int64_t{1} << 40)) value = value * 10 + (list[at] - L'0');
      ++at;
      ++digits;
    }
    if (digits > 0 && (negative ? -value : value) == memberIndex) return true;
  }
  return false;
}
