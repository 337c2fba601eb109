#include "plugin/community/WebText.h"

#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "platform/support/HttpForm.h"
#include "platform/support/TextConv.h"
#include "platform/support/TextScan.h"
#include "shared/AppRunSetting.h"

std::string FormatA(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int n = vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out;
  if (n > 0) {
    out.resize(static_cast<size_t>(n) + 1);
    vsnprintf(&out[0], out.size(), format, args);
    out.resize(static_cast<size_t>(n));
  }
  va_end(args);
  return out;
}

std::wstring FormatW(const wchar_t* format, ...) {
  // vswprintf cannot measure: grow until it fits.
  for (size_t size = 1024; size <= (1u << 24); size *= 4) {
    std::vector<wchar_t> buffer(size);
    va_list args;
    va_start(args, format);
    const int n = vswprintf(buffer.data(), size, format, args);
    va_end(args);
    if (n >= 0) return std::wstring(buffer.data(), static_cast<size_t>(n));
  }
  return std::wstring();
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

bool ReplyValue(const char* reply, const char* key, std::string* out) {
  if (!reply) return false;
  const std::string keyText = std::string("\"") + key + "\":";
  std::string bare;
  if (!StrGetTextWithTextBlockA(reply, keyText.c_str(), 0, ',', &bare)) return false;
  if (!bare.empty() && bare[0] == '"') {
    return StrGetTextWithTextBlockA(reply, keyText.c_str(), '"', '"', out);
  }
  *out = bare;
  return true;
}

std::string ReplyText(const char* reply, const char* key) {
  std::string value;
  ReplyValue(reply, key, &value);
  return value;
}

bool ReplyNumber(const char* reply, const char* key, double* out) {
  std::string value;
  if (!ReplyValue(reply, key, &value)) return false;
  *out = AtoN(value.c_str());
  return true;
}

ReplyRead ReadReplyNumber(const char* reply, const char* key, double low, double high, double* out,
                          std::string* problems) {
  std::string text;
  if (!ReplyValue(reply, key, &text) || text.empty() || text == "null") return ReplyRead::Absent;
  double value = 0;
  // The whole text must be the number: "12abc" is no number either.
  const size_t end = text.find_last_not_of(" \t\r\n");
  const char last = end == std::string::npos ? '\0' : text[end];
  const bool numeric =
      TextToNumber(text.c_str(), &value) && ((last >= '0' && last <= '9') || last == '.');
  if (numeric) {
    const double whole = std::trunc(value);
    if ((value >= low && value <= high) || (whole >= low && whole <= high)) {
      *out = value;
      return ReplyRead::Ok;
    }
  }
  NoteReplyProblem(key, text, problems);
  return ReplyRead::Bad;
}

void NoteReplyProblem(const char* key, const std::string& text, std::string* problems) {
  if (!problems) return;
  if (!problems->empty()) *problems += ", ";
  *problems += std::string("\"") + key + "\":" + text.substr(0, 40);
}

std::string BadReplyText(const char* script, const std::string& problems) {
  return std::string("Bad reply from the web server (") + script +
         "): number out of range or malformed: " + problems;
}

int ReplyInt(const char* reply, const char* key, int def, std::string* problems) {
  int value = def;
  return ReadReplyWhole(reply, key, &value, problems) == ReplyRead::Ok ? value : def;
}

bool ReplyAccepted(const char* reply, int httpStatus) {
  std::string err;
  if (!reply || httpStatus != 200 || !ReplyValue(reply, "err", &err) || err.empty()) return false;
  return AtoN(err.c_str()) == 0 && err.find_first_of("0123456789") != std::string::npos;
}

bool IsWebAddress(const std::string& url) {
  auto startsWith = [&url](const char* scheme) {
    size_t i = 0;
    for (; scheme[i]; ++i) {
      if (i >= url.size() || tolower(static_cast<unsigned char>(url[i])) != scheme[i]) return false;
    }
    return url.size() > i && url[i] != '/' && url.find_first_of(" \t\r\n") == std::string::npos;
  };
  return startsWith("http://") || startsWith("https://");
}

bool IsWebAddress(const std::wstring& url) { return IsWebAddress(WideToUtf8(url)); }

std::string FillAddressTemplate(const std::string& pattern, const std::string& first,
                                const std::string& second) {
  const std::string* values[2] = {&first, &second};
  size_t next = 0;
  std::string out;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') {
      out += pattern[i];
      continue;
    }
    if (pattern.compare(i, 2, "%%") == 0) {
      out += '%';
      ++i;
      continue;
    }
    size_t length = 0;
    if (pattern.compare(i, 2, "%s") == 0)
      length = 2;
    else if (pattern.compare(i, 3, "%hs") == 0 || pattern.compare(i, 3, "%ls") == 0)
      length = 3;
    if (length == 0) {
      out += '%';
      continue;
    }
    if (next < 2) out += *values[next];
    ++next;
    i += length - 1;
  }
  return out;
}

std::string MakeScriptUrl(const app_run_setting_s& run, const wchar_t* path) {
  char url[2048];
  StrMakeScriptApiUrl(url, sizeof url, run.szWebApiBase, path, run.byWebApiFlag);
  return url;
}
