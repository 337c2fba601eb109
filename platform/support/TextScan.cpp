#include "platform/support/TextScan.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string_view>

#include "platform/support/CheckedNumber.h"

namespace {

template <class Ch>
bool IsSpace(Ch c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// Finds the block after the key; returns false when absent. [begin, end) is the value.
template <class Ch>
bool FindBlock(std::basic_string_view<Ch> text, std::basic_string_view<Ch> key, Ch open, Ch close,
               size_t* begin, size_t* end) {
  if (key.empty()) return false;
  const size_t k = text.find(key);
  if (k == std::basic_string_view<Ch>::npos) return false;
  // Open delimiter 0: the key text itself ends with the value's opening character.
  size_t o = open == Ch(0) ? k + key.size() - 1 : text.find(open, k + key.size());
  if (o == std::basic_string_view<Ch>::npos) return false;
  const bool quoted = open == Ch('"') || (open == Ch(0) && close == Ch('"'));
  if (open == Ch('{')) {
    int depth = 0;
    bool inString = false;
    for (size_t i = o; i < text.size(); ++i) {
      const Ch c = text[i];
      if (inString) {
        if (c == Ch('\\'))
          ++i;
        else if (c == Ch('"'))
          inString = false;
        continue;
      }
      if (c == Ch('"'))
        inString = true;
      else if (c == open)
        ++depth;
      else if (c == close && --depth == 0) {
        *begin = o;
        *end = i + 1;
        return true;
      }
    }
    return false;
  }
  size_t i = o + 1;
  if (quoted) {
    for (; i < text.size(); ++i) {
      if (text[i] == Ch('\\')) {
        ++i;
        continue;
      }
      if (text[i] == close) break;
    }
    if (i >= text.size()) return false;
    *begin = o + 1;
    *end = i;
    return true;
  }
  for (; i < text.size(); ++i) {
    const Ch c = text[i];
    if (c == close || c == Ch('}') || c == Ch(']') || c == Ch('\n') || c == Ch('\r')) break;
  }
  size_t b = o + 1, e = i;
  while (b < e && IsSpace(text[b])) ++b;
  while (e > b && IsSpace(text[e - 1])) --e;
  *begin = b;
  *end = e;
  return true;
}

template <class Ch>
int CopyBlock(const Ch* text, const Ch* key, Ch open, Ch close, Ch* out, size_t outSize) {
  if (!out || outSize == 0) return -1;
  out[0] = 0;
  if (!text || !key) return -1;
  std::basic_string_view<Ch> t(text), k(key);
  size_t b, e;
  if (!FindBlock<Ch>(t, k, open, close, &b, &e)) return -1;
  size_t n = e - b;
  if (n > outSize - 1) n = outSize - 1;
  for (size_t i = 0; i < n; ++i) out[i] = text[b + i];
  out[n] = 0;
  return static_cast<int>(n);
}

}  // namespace

int StrGetTextWithTextBlockA(const char* text, const char* key, char open, char close, char* out,
                             size_t outSize, int) {
  return CopyBlock<char>(text, key, open, close, out, outSize);
}

int StrGetTextWithTextBlock(const wchar_t* text, const wchar_t* key, wchar_t open, wchar_t close,
                            wchar_t* out, size_t outLen, int) {
  return CopyBlock<wchar_t>(text, key, open, close, out, outLen);
}

bool StrGetTextWithTextBlockA(const char* text, const char* key, char open, char close,
                              std::string* out) {
  if (out) out->clear();
  if (!text || !key) return false;
  size_t b, e;
  std::string_view t(text);
  if (!FindBlock<char>(t, key, open, close, &b, &e)) return false;
  if (out) out->assign(text + b, e - b);
  return true;
}

double StrGetNumDoubleWithTextBlockA(const char* text, const char* key, char open, char close,
                                     char* work, size_t workSize, double* out, double def, int) {
  std::string value;
  double result = def;
  if (StrGetTextWithTextBlockA(text, key, open, close, &value)) result = AtoN(value.c_str());
  if (work && workSize > 0) {
    size_t n = value.size() < workSize - 1 ? value.size() : workSize - 1;
    std::memcpy(work, value.data(), n);
    work[n] = 0;
  }
  if (out) *out = result;
  return result;
}

int StrGetNumIntWithTextBlockA(const char* text, const char* key, char open, char close, int* out,
                               int def, int) {
  std::string value;
  int result = def;
  if (StrGetTextWithTextBlockA(text, key, open, close, &value)) {
    if (!NumberToInt(AtoN(value.c_str()), &result)) result = def;
  }
  if (out) *out = result;
  return result;
}

uint8_t StrGetNumByteWithTextBlockA(const char* text, const char* key, char open, char close,
                                    uint8_t* out, uint8_t def, int) {
  std::string value;
  uint8_t result = def;
  if (StrGetTextWithTextBlockA(text, key, open, close, &value)) {
    if (!NumberToInt(AtoN(value.c_str()), &result)) result = def;
  }
  if (out) *out = result;
  return result;
}

const char* StrGetCharStartPosA(const char* text, int, int, int) {
  if (!text) return nullptr;
  while (*text && IsSpace(*text)) ++text;
  return text;
}

char* StrTrimRightA(char* text, int length) {
  if (!text) return text;
  size_t n = length < 0 ? std::strlen(text) : strnlen(text, static_cast<size_t>(length));
  while (n > 0 && IsSpace(text[n - 1])) --n;
  text[n] = 0;
  return text;
}

char* StrTrimA0(char* text) {
  if (!text) return text;
  const char* start = StrGetCharStartPosA(text);
  const size_t n = std::strlen(start);
  std::memmove(text, start, n + 1);
  return StrTrimRightA(text);
}

int StrReplaceCharOneOfA(char* text, const char* chars, int) {
  if (!text) return 0;
  if (!chars || !*chars) return static_cast<int>(std::strlen(text));
  char* w = text;
  for (const char* r = text; *r; ++r) {
    if (!std::strchr(chars, *r)) *w++ = *r;
  }
  *w = 0;
  return static_cast<int>(w - text);
}

namespace {

// The number at the start of a text (see AtoN); false when it starts with none.
bool ScanNumber(const char* text, double* out) {
  if (!text) return false;
  const char* p = StrGetCharStartPosA(text);
  std::string digits;
  if (*p == '+' || *p == '-') digits += *p++;
  bool any = false;
  for (; *p; ++p) {
    if (std::isdigit(static_cast<unsigned char>(*p))) {
      digits += *p;
      any = true;
    } else if (*p == ',' && any) {
      continue;
    } else {
      break;
    }
  }
  if (*p == '.') {
    digits += *p++;
    for (; std::isdigit(static_cast<unsigned char>(*p)); ++p) {
      digits += *p;
      any = true;
    }
  }
  if (!any) return false;
  if ((*p == 'e' || *p == 'E')) {
    const char* q = p + 1;
    if (*q == '+' || *q == '-') ++q;
    if (std::isdigit(static_cast<unsigned char>(*q))) {
      digits.append(p, q);
      for (; std::isdigit(static_cast<unsigned char>(*q)); ++q) digits += *q;
    }
  }
  *out = std::strtod(digits.c_str(), nullptr);
  return true;
}

}  // namespace

double AtoN(const char* text, int) {
  double value = 0.0;
  return ScanNumber(text, &value) ? value : 0.0;
}

bool TextToNumber(const char* text, double* out) {
  double value = 0.0;
  if (!ScanNumber(text, &value) || !std::isfinite(value)) return false;
  *out = value;
  return true;
}

size_t StrAppendCodeW(std::wstring* list, const wchar_t* code, wchar_t separator, int, int) {
  if (!list) return 0;
  if (code && *code) {
    list->append(code);
    list->push_back(separator);
  }
  return list->size();
}
