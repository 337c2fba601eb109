#include "platform/support/JsonGetters.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "platform/support/CheckedNumber.h"
#include "platform/support/TextConv.h"

namespace {

const rapidjson::Value* Member(const rapidjson::Value& obj, const char* name) {
  if (!name || !obj.IsObject()) return nullptr;
  const size_t len = std::strlen(name);
  for (auto it = obj.MemberBegin(); it != obj.MemberEnd(); ++it) {
    if (it->name.IsString() && it->name.GetStringLength() == len &&
        std::memcmp(it->name.GetString(), name, len) == 0)
      return &it->value;
  }
  return nullptr;
}

}  // namespace

char* JsonGetString(const rapidjson::Value& obj, const char* name, unsigned* outLen) {
  if (outLen) *outLen = 0;
  const rapidjson::Value* v = Member(obj, name);
  if (!v || !v->IsString() || v->GetStringLength() == 0) return nullptr;
  const unsigned n = v->GetStringLength();
  char* p = static_cast<char*>(std::malloc(n + 1));
  if (!p) return nullptr;
  std::memcpy(p, v->GetString(), n);
  p[n] = 0;
  if (outLen) *outLen = n;
  return p;
}

wchar_t* JsonGetWString(const rapidjson::Value& obj, const char* name, int* outLen) {
  const rapidjson::Value* v = Member(obj, name);
  if (!v || !v->IsString()) return nullptr;
  const std::wstring w = Utf8ToWide(std::string(v->GetString(), v->GetStringLength()));
  const size_t n = w.size() + 1;
  auto* p = static_cast<wchar_t*>(std::calloc(n + 1, sizeof(wchar_t)));
  if (!p) return nullptr;
  std::wmemcpy(p, w.data(), w.size());
  if (outLen) *outLen = static_cast<int>(n);
  return p;
}

const rapidjson::Value* JsonGetArray(const rapidjson::Value& obj, const char* name) {
  const rapidjson::Value* v = Member(obj, name);
  return v && v->IsArray() ? v : nullptr;
}

const rapidjson::Value* JsonGetObject(const rapidjson::Value& obj, const char* name) {
  const rapidjson::Value* v = Member(obj, name);
  return v && v->IsObject() ? v : nullptr;
}

uint8_t JsonGetBool(const rapidjson::Value& obj, const char* name, uint8_t def) {
  const rapidjson::Value* v = Member(obj, name);
  if (!v || !v->IsBool()) return def;
  return v->GetBool() ? 1 : 0;
}

const char* JsonGetStringPtr(const rapidjson::Value& obj, const char* name) {
  const rapidjson::Value* v = Member(obj, name);
  return v && v->IsString() ? v->GetString() : nullptr;
}

double JsonGetDouble(const rapidjson::Value& obj, const char* name, double def) {
  const rapidjson::Value* v = Member(obj, name);
  if (!v) return def;
  if (v->IsInt()) return v->GetInt();
  if (v->IsNumber()) return v->GetDouble();
  if (v->IsString()) {
    // A number sent as text may spell a value no double holds ("1e999"): that is no number.
    const double d = std::strtod(v->GetString(), nullptr);
    return std::isfinite(d) ? d : def;
  }
  return def;
}

int64_t JsonGetInt64(const rapidjson::Value& obj, const char* name, int64_t def) {
  const rapidjson::Value* v = Member(obj, name);
  if (!v) return def;
  if (v->IsInt()) return v->GetInt();
  if (v->IsNumber()) {
    int64_t whole = def;
    return NumberToInt(v->GetDouble(), &whole) ? whole : def;
  }
  if (v->IsString()) {
    errno = 0;
    const long long r = std::strtoll(v->GetString(), nullptr, 10);
    return errno == ERANGE ? def : static_cast<int64_t>(r);
  }
  return def;
}

int JsonGetInt(const rapidjson::Value& obj, const char* name, int def) {
  const rapidjson::Value* v = Member(obj, name);
  if (!v) return def;
  if (v->IsInt()) return v->GetInt();
  if (v->IsNumber()) {
    int whole = def;
    return NumberToInt(v->GetDouble(), &whole) ? whole : def;
  }
  if (v->IsString()) {
    errno = 0;
    const long r = std::strtol(v->GetString(), nullptr, 10);
    if (errno == ERANGE || r < -2147483648L || r > 2147483647L) return def;
    return static_cast<int>(r);
  }
  return def;
}

void JsonCopyString(const rapidjson::Value& obj, const char* name, char* buf, size_t size) {
  if (!buf || size == 0) return;
  buf[0] = 0;
  const rapidjson::Value* v = Member(obj, name);
  if (!v || !v->IsString()) return;
  size_t n = v->GetStringLength();
  if (n > size - 1) n = size - 1;
  std::memcpy(buf, v->GetString(), n);
  buf[n] = 0;
}

void JsonCopyWString(const rapidjson::Value& obj, const char* name, wchar_t* buf, size_t length,
                     uint8_t narrowFlag) {
  if (!buf || length == 0) return;
  buf[0] = 0;
  const rapidjson::Value* v = Member(obj, name);
  if (!v || !v->IsString()) return;
  if (narrowFlag) {
    const unsigned char* s = reinterpret_cast<const unsigned char*>(v->GetString());
    size_t n = v->GetStringLength();
    if (n > length - 1) n = length - 1;
    for (size_t i = 0; i < n; ++i) buf[i] = static_cast<wchar_t>(s[i]);
    buf[n] = 0;
    return;
  }
  const std::wstring w = Utf8ToWide(std::string(v->GetString(), v->GetStringLength()));
  StrSafeCopyW(buf, length, w.c_str());
}
