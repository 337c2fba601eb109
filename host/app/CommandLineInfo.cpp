#include "host/app/CommandLineInfo.h"

#include <cstring>

#include "platform/support/Utf8Text.h"

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
      info.ParseParam(orv::support::Utf8ToWide(arg.substr(1)).c_str(), TRUE, last);
    } else {
      info.ParseParam(orv::support::Utf8ToWide(arg).c_str(), FALSE, last);
    }
  }
}
