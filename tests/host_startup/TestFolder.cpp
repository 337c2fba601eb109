#include "TestFolder.h"

#include <minizip/zip.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace orv::test {

KeepCurrentFolder::KeepCurrentFolder() : folder_(std::filesystem::current_path().string()) {}

KeepCurrentFolder::~KeepCurrentFolder() {
  std::error_code ec;
  std::filesystem::current_path(folder_, ec);
}

TempFolder::TempFolder() {
  std::string tmpl = std::filesystem::temp_directory_path().string() + "/orv_host_XXXXXX";
  if (mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl + "/";
}

TempFolder::~TempFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFileText(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

void MakeZip(const std::string& zipPath,
             const std::initializer_list<std::pair<std::string, std::string>>& entries) {
  std::filesystem::create_directories(std::filesystem::path(zipPath).parent_path());
  zipFile z = zipOpen64(zipPath.c_str(), APPEND_STATUS_CREATE);
  if (z == nullptr) throw std::runtime_error("zipOpen64 failed");
  for (const auto& [name, content] : entries) {
    zip_fileinfo info{};
    zipOpenNewFileInZip64(z, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                          Z_DEFAULT_COMPRESSION, 0);
    zipWriteInFileInZip(z, content.data(), static_cast<unsigned>(content.size()));
    zipCloseFileInZip(z);
  }
  zipClose(z, nullptr);
}

}  // namespace orv::test
