#include "host/app/AppDataFile.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/win/AtomicFile.h"

namespace orv::host {

namespace {
// Bytes at the end of the file that do not belong to the block.
constexpr size_t kAppDataTrailer = 80;
}  // namespace

void LoadAppDataFile(const std::string& path, AppDataBlock& block) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    block.fileWasShort = true;
    return;
  }
  const std::vector<char> data((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
  if (data.size() < kAppDataBlockSize) {
    block.fileWasShort = true;
    return;
  }
  size_t n = data.size() - kAppDataTrailer;
  if (n > kAppDataBlockSize) n = kAppDataBlockSize;
  std::memcpy(block.bytes, data.data(), n);
  block.bytes[0] = 0;
  block.fileWasShort = false;
}

bool SaveAppDataFile(const std::string& path, AppDataBlock& block) {
  // Replaced whole: a failed save leaves the previous file as it was.
  const bool ok = orv::win::ReplaceFileContents(
      path, std::string(reinterpret_cast<const char*>(block.bytes), kAppDataBlockSize));
  block.bytes[0] = 0;
  return ok;
}

}  // namespace orv::host
