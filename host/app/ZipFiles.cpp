#include "host/app/ZipFiles.h"

#include <minizip/unzip.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace orv::host {

namespace {

struct UnzCloser {
  void operator()(void* z) const { unzClose(z); }
};

bool IsSafeEntryName(const std::string& name) {
  if (name.empty() || name[0] == '/' || name[0] == '\\') return false;
  for (const auto& part : fs::path(name)) {
    if (part == "..") return false;
  }
  return name.find('\\') == std::string::npos;
}

// Writes the current entry to `target`; false on a read or write error.
bool ExtractCurrent(unzFile z, const fs::path& target) {
  if (unzOpenCurrentFile(z) != UNZ_OK) return false;
  std::FILE* out = std::fopen(target.c_str(), "wb");
  bool ok = out != nullptr;
  std::vector<char> buf(64 * 1024);
  while (ok) {
    const int n = unzReadCurrentFile(z, buf.data(), static_cast<unsigned>(buf.size()));
    if (n < 0) ok = false;
    if (n <= 0) break;
    ok = std::fwrite(buf.data(), 1, static_cast<size_t>(n), out) == static_cast<size_t>(n);
  }
  if (out != nullptr && std::fclose(out) != 0) ok = false;
  if (unzCloseCurrentFile(z) != UNZ_OK) ok = false;
  return ok;
}

}  // namespace

int UnzipFiles(const std::string& zipPath, const std::string& destFolder) {
  std::unique_ptr<void, UnzCloser> z(unzOpen64(zipPath.c_str()));
  if (!z) return -1;
  std::error_code ec;
  const fs::path dest(destFolder);
  fs::create_directories(dest, ec);
  int written = 0;
  for (int r = unzGoToFirstFile(z.get()); r == UNZ_OK; r = unzGoToNextFile(z.get())) {
    unz_file_info64 info{};
    char name[1024];
    if (unzGetCurrentFileInfo64(z.get(), &info, name, sizeof name, nullptr, 0, nullptr, 0) !=
        UNZ_OK) {
      return -1;
    }
    const std::string entry(name);
    if (!IsSafeEntryName(entry)) return -1;
    const fs::path target = dest / entry;
    if (entry.back() == '/') {
      fs::create_directories(target, ec);
      continue;
    }
    fs::create_directories(target.parent_path(), ec);
    if (!ExtractCurrent(z.get(), target)) return -1;
    ++written;
  }
  return written;
}

}  // namespace orv::host
