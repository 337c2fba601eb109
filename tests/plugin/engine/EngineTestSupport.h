#pragma once
// A temporary data folder and file helpers for the engine tests.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/win/WinTypes.h"

class TempDataFolder {
 public:
  TempDataFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orv-engine-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? pattern + "/" : std::string();
  }
  ~TempDataFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  // Ends with "/".
  const std::string& Path() const { return path_; }
  std::wstring WidePath() const { return std::wstring(path_.begin(), path_.end()); }

 private:
  std::string path_;
};

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// A local time with every field given.
inline SYSTEMTIME LocalTime(int year, int month, int day, int hour, int minute, int second,
                            int ms = 0) {
  SYSTEMTIME t;
  t.wYear = static_cast<WORD>(year);
  t.wMonth = static_cast<WORD>(month);
  t.wDay = static_cast<WORD>(day);
  t.wHour = static_cast<WORD>(hour);
  t.wMinute = static_cast<WORD>(minute);
  t.wSecond = static_cast<WORD>(second);
  t.wMilliseconds = static_cast<WORD>(ms);
  return t;
}
