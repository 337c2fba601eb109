#include "platform/support/ZipArchive.h"

#include <minizip/zip.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

bool ReadWhole(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

std::string EntryName(const std::string& path, const std::string& base) {
  namespace fs = std::filesystem;
  if (!base.empty()) {
    std::error_code ec;
    const fs::path relative = fs::path(path).lexically_relative(base);
    if (!relative.empty() && relative.native().compare(0, 2, "..") != 0) return relative.string();
  }
  return fs::path(path).filename().string();
}

zip_fileinfo InfoOf(const std::string& path) {
  zip_fileinfo info{};
  struct stat status {};
  const std::time_t when = stat(path.c_str(), &status) == 0 ? status.st_mtime : std::time(nullptr);
  std::tm local{};
  localtime_r(&when, &local);
  info.tmz_date.tm_sec = local.tm_sec;
  info.tmz_date.tm_min = local.tm_min;
  info.tmz_date.tm_hour = local.tm_hour;
  info.tmz_date.tm_mday = local.tm_mday;
  info.tmz_date.tm_mon = local.tm_mon;
  info.tmz_date.tm_year = local.tm_year + 1900;
  return info;
}

}  // namespace

int GfxCreateZipFile(const std::string& zipPath, const std::string& base,
                     const std::vector<std::string>& files, const std::string& password) {
  if (zipPath.empty()) return -1;
  zipFile zip = zipOpen64(zipPath.c_str(), APPEND_STATUS_CREATE);
  if (!zip) return -1;
  int written = 0;
  bool ok = true;
  for (const std::string& path : files) {
    std::string bytes;
    if (!ReadWhole(path, &bytes)) {
      ok = false;
      break;
    }
    const zip_fileinfo info = InfoOf(path);
    // Encryption needs the entry's CRC up front.
    const uLong crc =
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()),
              static_cast<uInt>(bytes.size()));
    const char* secret = password.empty() ? nullptr : password.c_str();
    if (zipOpenNewFileInZip3_64(zip, EntryName(path, base).c_str(), &info, nullptr, 0, nullptr, 0,
                                nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS,
                                DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, secret, crc,
                                bytes.size() >= 0xFFFFFFFFu) != ZIP_OK) {
      ok = false;
      break;
    }
    const bool wrote =
        bytes.empty() ||
        zipWriteInFileInZip(zip, bytes.data(), static_cast<unsigned>(bytes.size())) == ZIP_OK;
    if (zipCloseFileInZip(zip) != ZIP_OK || !wrote) {
      ok = false;
      break;
    }
    ++written;
  }
  if (zipClose(zip, nullptr) != ZIP_OK) ok = false;
  if (!ok) {
    std::remove(zipPath.c_str());
    return -1;
  }
  return written;
}
