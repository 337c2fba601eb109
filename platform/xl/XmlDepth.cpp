#include "platform/xl/XmlDepth.h"

#include <algorithm>

int XmlDepth(const std::string& xml) {
  int depth = 0;
  int deepest = 0;
  const size_t n = xml.size();
  for (size_t i = 0; i < n; ++i) {
    if (xml[i] != '<') continue;
    if (xml.compare(i, 4, "<!--") == 0) {
      const size_t end = xml.find("-->", i + 4);
      if (end == std::string::npos) break;
      i = end + 2;
    } else if (xml.compare(i, 9, "<![CDATA[") == 0) {
      const size_t end = xml.find("]]>", i + 9);
      if (end == std::string::npos) break;
      i = end + 2;
    } else if (i + 1 < n && (xml[i + 1] == '?' || xml[i + 1] == '!')) {
      const size_t end = xml.find('>', i + 1);
      if (end == std::string::npos) break;
      i = end;
    } else if (i + 1 < n && xml[i + 1] == '/') {
      if (depth > 0) --depth;
      const size_t end = xml.find('>', i + 1);
      if (end == std::string::npos) break;
      i = end;
    } else {
      char quote = 0;
      size_t j = i + 1;
      for (; j < n; ++j) {
        if (quote) {
          if (xml[j] == quote) quote = 0;
        } else if (xml[j] == '"' || xml[j] == '\'') {
          quote = xml[j];
        } else if (xml[j] == '>') {
          break;
        }
      }
      if (j >= n) break;
      if (xml[j - 1] != '/' && ++depth > deepest) deepest = depth;
      i = j;
    }
  }
  return deepest;
}

namespace {

// Length of the well-formed UTF-8 character at text[i] (1 to 4), or 0 when it is not one.
size_t Utf8CharLength(const std::string& text, size_t i) {
  const auto b = static_cast<unsigned char>(text[i]);
  if (b < 0x80) return 1;
  size_t len;
  unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
  if (b >= 0xC2 && b <= 0xDF) {
    len = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    len = 3;
    if (b == 0xE0) lo = 0xA0;  // no overlong forms
    if (b == 0xED) hi = 0x9F;  // no surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;  // nothing past U+10FFFF
  } else {
    return 0;
  }
  if (len > text.size() - i) return 0;
  const auto second = static_cast<unsigned char>(text[i + 1]);
  if (second < lo || second > hi) return 0;
  for (size_t k = 2; k < len; ++k)
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
  return len;
}

// Where the first byte before end lies that is not part of a well-formed character, or end.
size_t FirstBadUtf8(const std::string& text, size_t end) {
  size_t i = 0;
  while (i < end) {
    const size_t len = Utf8CharLength(text, i);
    if (len == 0 || len > end - i) break;
    i += len;
  }
  return i;
}

}  // namespace

bool IsCleanXmlUtf8(const std::string& xml) {
  return xml.find('\0') == std::string::npos && FirstBadUtf8(xml, xml.size()) == xml.size();
}

std::string CleanXmlUtf8(const std::string& xml) {
  const size_t n = std::min(xml.find('\0'), xml.size());
  size_t i = FirstBadUtf8(xml, n);
  std::string out = xml.substr(0, i);
  out.reserve(n + 16);
  while (i < n) {
    const size_t len = Utf8CharLength(xml, i);
    if (len == 0 || len > n - i) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out.append(xml, i, len);
      i += len;
    }
  }
  return out;
}
