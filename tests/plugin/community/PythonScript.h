#pragma once
// Runs a Python script for the workbook tests: the Debian interpreter, where python3-openpyxl
// lives, makes and reads workbooks the way another program would.

#include <cstdio>
#include <fstream>
#include <string>

namespace orv::test {

// Writes `script` to `scriptPath`, runs it and answers its output (empty when all went well).
inline std::string RunPython(const std::string& scriptPath, const std::string& script) {
  std::ofstream(scriptPath) << script;
  std::string out;
  FILE* pipe = popen(("/usr/bin/python3 '" + scriptPath + "' 2>&1").c_str(), "r");
  if (!pipe) return "popen failed";
  char buf[4096];
  size_t n = 0;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  pclose(pipe);
  return out;
}

}  // namespace orv::test
