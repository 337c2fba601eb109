#pragma once
// A program folder in the temporary directory, removed with everything in it afterwards.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orv_host_XXXXXX").string();
    path_ = mkdtemp(pattern.data());
    path_ += "/";
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  // Ends with "/".
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// UTF-16LE bytes of plain ASCII text.
inline std::string Utf16Ascii(const std::string& text) {
  std::string out;
  for (char c : text) {
    out.push_back(c);
    out.push_back('\0');
  }
  return out;
}
