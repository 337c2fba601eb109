#pragma once
// A temporary folder removed with everything in it when the test ends, and small file helpers.

#include <string>

namespace orv::test {

// Keeps the current folder of the test process; the application object changes it.
class KeepCurrentFolder {
 public:
  KeepCurrentFolder();
  ~KeepCurrentFolder();

 private:
  std::string folder_;
};

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // Ends with "/".
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string ReadFileText(const std::string& path);
void WriteFileText(const std::string& path, const std::string& text);

// Writes a zip archive of (name, content) entries with minizip.
void MakeZip(const std::string& zipPath,
             const std::initializer_list<std::pair<std::string, std::string>>& entries);

}  // namespace orv::test
