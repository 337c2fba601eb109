#include "host/app/ZipFiles.h"

#include <minizip/unzip.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "platform/win/AtomicFile.h"

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

// Reads the current entry whole; false on a read error.
bool ReadCurrent(unzFile z, std::string* bytes) {
  if (unzOpenCurrentFile(z) != UNZ_OK) return false;
  bool ok = true;
  std::vector<char> buf(64 * 1024);
  for (;;) {
    const int n = unzReadCurrentFile(z, buf.data(), static_cast<unsigned>(buf.size()));
    if (n < 0) ok = false;
    if (n <= 0) break;
    bytes->append(buf.data(), static_cast<size_t>(n));
  }
  if (unzCloseCurrentFile(z) != UNZ_OK) ok = false;
  return ok;
}

// Writes the current entry to `target` through a temporary file renamed over it, so a failed
// unpack never leaves half a file where a whole one was.
bool ExtractCurrent(unzFile z, const fs::path& target) {
  std::string bytes;
  return ReadCurrent(z, &bytes) && orv::win::ReplaceFileContents(target.string(), bytes);
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

bool UnzipEntryTo(const std::string& zipPath, const std::string& entryName,
                  const std::string& targetPath) {
  std::unique_ptr<void, UnzCloser> z(unzOpen64(zipPath.c_str()));
  if (!z || unzLocateFile(z.get(), entryName.c_str(), 1) != UNZ_OK) return false;
  return ExtractCurrent(z.get(), targetPath);
}

}  // namespace orv::host
