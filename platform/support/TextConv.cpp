#include "platform/support/TextConv.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

void AppendUtf8(std::string& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::wstring Utf8ToWide(std::string_view s) {
  std::wstring out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    int extra;
    char32_t c;
    if (b < 0x80) {
      c = b;
      extra = 0;
    } else if ((b & 0xE0) == 0xC0) {
      c = b & 0x1F;
      extra = 1;
    } else if ((b & 0xF0) == 0xE0) {
      c = b & 0x0F;
      extra = 2;
    } else if ((b & 0xF8) == 0xF0) {
      c = b & 0x07;
      extra = 3;
    } else {
      out += L'\uFFFD';
      ++i;
      continue;
    }
    if (i + extra >= s.size()) {
      out += L'\uFFFD';
      ++i;
      continue;
    }
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      const unsigned char cb = static_cast<unsigned char>(s[i + k]);
      if ((cb & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      c = (c << 6) | (cb & 0x3F);
    }
    static const char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
    if (!ok || c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      out += L'\uFFFD';
      ++i;
      continue;
    }
    out += static_cast<wchar_t>(c);
    i += extra + 1;
  }
  return out;
}

std::string WideToUtf8(std::wstring_view w) {
  std::string out;
  out.reserve(w.size());
  for (wchar_t c : w) AppendUtf8(out, static_cast<char32_t>(c));
  return out;
}

wchar_t* StrUTF8toWideChar(const char* utf8, int, int, int) {
  if (!utf8) return nullptr;
  const std::wstring w = Utf8ToWide(utf8);
  auto* p = static_cast<wchar_t*>(std::malloc((w.size() + 1) * sizeof(wchar_t)));
  if (p) std::wmemcpy(p, w.c_str(), w.size() + 1);
  return p;
}

char* StrWideChar2UTF8(const wchar_t* wide, int) {
  if (!wide) return nullptr;
  const std::string s = WideToUtf8(wide);
  char* p = static_cast<char*>(std::malloc(s.size() + 1));
  if (p) std::memcpy(p, s.c_str(), s.size() + 1);
  return p;
}

wchar_t* StrDup2W(const wchar_t* wide, int) {
  if (!wide) return nullptr;
  const size_t n = std::wcslen(wide);
  auto* p = static_cast<wchar_t*>(std::malloc((n + 1) * sizeof(wchar_t)));
  if (p) std::wmemcpy(p, wide, n + 1);
  return p;
}

char* StrSafeCopyFromWCHAR_A(char* out, size_t outSize, const wchar_t* wide, int) {
  if (!out || outSize == 0) return out;
  out[0] = 0;
  if (!wide) return out;
  size_t used = 0;
  std::string one;
  for (const wchar_t* p = wide; *p; ++p) {
    one.clear();
    AppendUtf8(one, static_cast<char32_t>(*p));
    if (used + one.size() > outSize - 1) break;
    std::memcpy(out + used, one.data(), one.size());
    used += one.size();
  }
  out[used] = 0;
  return out;
}

wchar_t* StrSafeCopyFromUTF8_W(wchar_t* out, size_t outLen, const char* utf8) {
  if (!out || outLen == 0) return out;
  return StrSafeCopyW(out, outLen, utf8 ? Utf8ToWide(utf8).c_str() : nullptr);
}

wchar_t* StrSafeCopyW(wchar_t* out, size_t outLen, const wchar_t* in) {
  if (!out || outLen == 0) return out;
  size_t i = 0;
  if (in) {
    for (; i + 1 < outLen && in[i]; ++i) out[i] = in[i];
  }
  out[i] = 0;
  return out;
}

char* StrSafeCopyA(char* out, size_t outSize, const char* in) {
  if (!out || outSize == 0) return out;
  size_t i = 0;
  if (in) {
    for (; i + 1 < outSize && in[i]; ++i) out[i] = in[i];
  }
  out[i] = 0;
  return out;
}
