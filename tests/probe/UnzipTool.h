#pragma once
// Reading a zip back the way its receiver would: through the Info-ZIP unzip tool.

#include <cstdio>
#include <map>
#include <string>

namespace orv::test {

// Every entry of a zip as the Info-ZIP unzip tool reads it with `password`: name -> bytes.
// False when an entry does not read back (a wrong password fails its check).
inline bool ReadZip(const std::string& path, const std::string& password,
             std::map<std::string, std::string>* out) {
  auto run = [](const std::string& command, std::string* text) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return false;
    char buffer[4096];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) text->append(buffer, n);
    return pclose(pipe) == 0;
  };
  std::string names;
  if (!run("unzip -Z1 '" + path + "' 2>/dev/null", &names)) return false;
  size_t start = 0;
  while (start < names.size()) {
    const size_t end = names.find('\n', start);
    const std::string name = names.substr(start, end - start);
    start = end == std::string::npos ? names.size() : end + 1;
    std::string bytes;
    if (!run("unzip -p -P '" + password + "' '" + path + "' '" + name + "' 2>/dev/null", &bytes))
      return false;
    (*out)[name] = bytes;
  }
  return true;
}

}  // namespace orv::test
