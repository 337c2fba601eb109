// The JSON and text scanners replies go through: the block scanners (narrow and wide) and
// their number readers, AtoN and the trims, the JSON getters over a parsed reply, the date
// reader, base64 and UTF-8 conversion.

#include <rapidjson/document.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/support/DateUtil.h"
#include "platform/support/Encoding.h"
#include "platform/support/JsonGetters.h"
#include "platform/support/TextConv.h"
#include "platform/support/TextScan.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

// The key a scan looks for: the input's text up to its first line feed, the rest is scanned.
struct KeyAndText {
  explicit KeyAndText(const std::string& input) {
    const size_t cut = input.find('\n');
    key = cut == std::string::npos ? "\"err\"" : input.substr(0, cut);
    text = cut == std::string::npos ? input : input.substr(cut + 1);
  }
  std::string key, text;
};

constexpr char kDelimiters[][2] = {{'"', '"'}, {':', ','}, {'{', '}'}, {0, '"'}, {'[', ']'}};

void ReadEveryType(const rapidjson::Value& obj, const char* name) {
  unsigned len = 0;
  std::free(JsonGetString(obj, name, &len));
  int wlen = 0;
  std::free(JsonGetWString(obj, name, &wlen));
  JsonGetArray(obj, name);
  JsonGetObject(obj, name);
  JsonGetBool(obj, name, 2);
  JsonGetStringPtr(obj, name);
  JsonGetDouble(obj, name, -1);
  JsonGetInt64(obj, name, -1);
  JsonGetInt(obj, name, -1);
  char buf[16];
  JsonCopyString(obj, name, buf, sizeof buf);
  wchar_t wbuf[16];
  JsonCopyWString(obj, name, wbuf, 16, 0);
  JsonCopyWString(obj, name, wbuf, 16, 1);
}

// Every member of every object of the document, nested ones included.
void ReadJson(const rapidjson::Value& value, int depth) {
  if (depth > 8) return;
  if (value.IsObject()) {
    for (auto it = value.MemberBegin(); it != value.MemberEnd(); ++it) {
      if (it->name.IsString()) ReadEveryType(value, it->name.GetString());
      ReadJson(it->value, depth + 1);
    }
  } else if (value.IsArray()) {
    for (const auto& item : value.GetArray()) ReadJson(item, depth + 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const orv::fuzz::FuzzInput in(data, size);
  switch ((in.selector & 7) % 5) {  // bits 3 and up pick delimiters and lengths
    case 0: {
      const KeyAndText scan(in.text);
      const auto& d = kDelimiters[(in.selector >> 3) % 5];
      char out[64];
      StrGetTextWithTextBlockA(scan.text.c_str(), scan.key.c_str(), d[0], d[1], out, sizeof out);
      StrGetTextWithTextBlockA(scan.text.c_str(), scan.key.c_str(), d[0], d[1], out, 1);
      std::string whole;
      StrGetTextWithTextBlockA(scan.text.c_str(), scan.key.c_str(), d[0], d[1], &whole);
      char work[32];
      double number = 0;
      StrGetNumDoubleWithTextBlockA(scan.text.c_str(), scan.key.c_str(), d[0], d[1], work,
                                    sizeof work, &number, -1);
      int integer = 0;
      StrGetNumIntWithTextBlockA(scan.text.c_str(), scan.key.c_str(), d[0], d[1], &integer, -1);
      uint8_t byte = 0;
      StrGetNumByteWithTextBlockA(scan.text.c_str(), scan.key.c_str(), d[0], d[1], &byte, 0);
      const std::wstring wideText = Utf8ToWide(scan.text);
      const std::wstring wideKey = Utf8ToWide(scan.key);
      wchar_t wout[64];
      StrGetTextWithTextBlock(wideText.c_str(), wideKey.c_str(), d[0], d[1], wout, 64);
      break;
    }
    case 1: {
      AtoN(in.text.c_str());
      StrGetCharStartPosA(in.text.c_str());
      std::vector<char> buf(in.text.begin(), in.text.end());
      buf.push_back(0);
      StrTrimRightA(buf.data(),
                    std::min(static_cast<int>(in.selector >> 3), static_cast<int>(std::strlen(buf.data()))));
      StrTrimA0(buf.data());
      StrReplaceCharOneOfA(buf.data(), ",\" ");
      break;
    }
    case 2: {
      rapidjson::Document doc;
      if (!doc.Parse(in.text.c_str(), in.text.size()).HasParseError()) ReadJson(doc, 0);
      break;
    }
    case 3: {
      SYSTEMTIME time;
      Str2UniDateTimeA(in.text.c_str(), &time);
      std::string decoded;
      base64_decode(in.text, &decoded);
      size_t n = 0;
      std::free(base64_decode_alloc(in.text.c_str(), &n));
      break;
    }
    case 4: {
      const std::wstring wide = Utf8ToWide(in.text);
      WideToUtf8(wide);
      wchar_t out[32];
      StrSafeCopyFromUTF8_W(out, 32, in.text.c_str());
      std::free(StrUTF8toWideChar(in.text.c_str()));
      break;
    }
  }
  return 0;
}
