#include "host/CommandLineInfo.h"

#include <cstring>

void CCommandLineInfo::ParseParam(const wchar_t* param, BOOL flag, BOOL /*last*/) {
  if (flag || param == nullptr) return;
  if (m_strFileName.empty()) {
    m_strFileName = param;
    m_nShellCommand = FileOpen;
  }
}

namespace {

bool IsFlagArgument(const std::string& arg) {
  if (arg.size() < 2) return false;
  if (arg[0] == '-') return true;
  if (arg[0] != '/') return false;
  const size_t keyEnd = arg.find_first_of(":=", 1);
  const size_t slash = arg.find('/', 1);
  return slash == std::string::npos || (keyEnd != std::string::npos && slash > keyEnd);
}

}  // namespace

void ParseCommandLine(int argc, const char* const* argv, CCommandLineInfo& info) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i] ? argv[i] : "";
    const BOOL last = (i == argc - 1) ? TRUE : FALSE;
    if (IsFlagArgument(arg)) {
      info.ParseParam(Utf8ToWideText(arg.substr(1)).c_str(), TRUE, last);
    } else {
      info.ParseParam(Utf8ToWideText(arg).c_str(), FALSE, last);
    }
  }
}

std::wstring Utf8ToWideText(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    const unsigned char c = s[i];
    int extra = 0;
    uint32_t cp = 0;
    if (c < 0x80) {
      cp = c;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      extra = 2;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07;
      extra = 3;
    } else {
      out.push_back(L'\xFFFD');
      ++i;
      continue;
    }
    bool ok = i + static_cast<size_t>(extra) < n;
    for (int k = 1; ok && k <= extra; ++k) {
      if ((s[i + k] & 0xC0) != 0x80) {
        ok = false;
      } else {
        cp = (cp << 6) | (s[i + k] & 0x3F);
      }
    }
    if (!ok) {
      out.push_back(L'\xFFFD');
      ++i;
      continue;
    }
    out.push_back(static_cast<wchar_t>(cp));
    i += 1 + extra;
  }
  return out;
}
