#pragma once
// The application's command-line record base: what the program does with the arguments that no
// derived record recognises (shell command and file name), and the loop that splits argv.

#include <string>

#include "platform/win/WinTypes.h"

class CCommandLineInfo {
 public:
  enum ShellCommand { FileNew = 0, FileOpen = 1, FileNothing = 5 };

  CCommandLineInfo() = default;
  virtual ~CCommandLineInfo() = default;
  CCommandLineInfo(const CCommandLineInfo&) = delete;
  CCommandLineInfo& operator=(const CCommandLineInfo&) = delete;

  // One argument. `flag` is TRUE when the argument began with "/" or "-", which `param` no
  // longer carries. The base takes the first argument that is not a flag as the file to open;
  // flags it does not know are ignored.
  virtual void ParseParam(const wchar_t* param, BOOL flag, BOOL last);

  BOOL m_bShowSplash = TRUE;
  ShellCommand m_nShellCommand = FileNew;
  std::wstring m_strFileName;
};

// Hands every argument after the program name to info.ParseParam. An argument that begins with
// "/" is a flag unless it is an absolute path: the part before the first ":" or "=" holds a
// further "/" (so "/home/a/b.txt" is a file, "/dllDir:/opt/x" a flag).
void ParseCommandLine(int argc, const char* const* argv, CCommandLineInfo& info);
