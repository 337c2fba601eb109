#include "platform/support/ZipArchive.h"

#include <minizip/zip.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

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

// Raw deflate of a whole file.
bool Deflate(const std::string& in, std::string* out) {
  z_stream stream{};
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                   Z_DEFAULT_STRATEGY) != Z_OK)
    return false;
  out->resize(deflateBound(&stream, static_cast<uLong>(in.size())));
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  stream.avail_in = static_cast<uInt>(in.size());
  stream.next_out = reinterpret_cast<Bytef*>(out->data());
  stream.avail_out = static_cast<uInt>(out->size());
  const int result = deflate(&stream, Z_FINISH);
  out->resize(stream.total_out);
  deflateEnd(&stream);
  return result == Z_STREAM_END;
}

// The traditional zip cipher (the "ZipCrypto" of the zip format's application note). The
// packaged minizip writes entries whose encryption header does not match their password, so
// the entries are encrypted here and handed to it raw.
class ZipCipher {
 public:
  explicit ZipCipher(const std::string& password) {
    for (unsigned char c : password) Update(c);
  }
  unsigned char Encrypt(unsigned char plain) {
    const unsigned char cipher = plain ^ StreamByte();
    Update(plain);
    return cipher;
  }

 private:
  static uint32_t Crc(uint32_t crc, unsigned char byte) {
    return static_cast<uint32_t>(get_crc_table()[(crc ^ byte) & 0xFF]) ^ (crc >> 8);
  }
  unsigned char StreamByte() const {
    const unsigned temp = (keys_[2] | 2) & 0xFFFF;
    return static_cast<unsigned char>((temp * (temp ^ 1)) >> 8);
  }
  void Update(unsigned char c) {
    keys_[0] = Crc(keys_[0], c);
    keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813u + 1;
    keys_[2] = Crc(keys_[2], static_cast<unsigned char>(keys_[1] >> 24));
  }
  uint32_t keys_[3] = {0x12345678u, 0x23456789u, 0x34567890u};
};

// The 12-byte encryption header (random bytes ending in the CRC's high byte) and the data,
// encrypted.
std::string Encrypt(const std::string& password, uint32_t crc, const std::string& data) {
  static std::random_device device;
  ZipCipher cipher(password);
  std::string out;
  out.reserve(12 + data.size());
  for (int i = 0; i < 11; ++i) out += static_cast<char>(cipher.Encrypt(device() & 0xFF));
  out += static_cast<char>(cipher.Encrypt(static_cast<unsigned char>(crc >> 24)));
  for (char c : data) out += static_cast<char>(cipher.Encrypt(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

int GfxCreateZipFile(const std::string& zipPath, const std::string& base,
                     const std::vector<std::string>& files, const std::string& password) {
  if (zipPath.empty()) return -1;
  zipFile zip = zipOpen64(zipPath.c_str(), APPEND_STATUS_CREATE);
  if (!zip) return -1;
  constexpr int kEncryptedFlag = 1;
  int written = 0;
  bool ok = true;
  for (const std::string& path : files) {
    std::string bytes, packed;
    if (!ReadWhole(path, &bytes) || !Deflate(bytes, &packed)) {
      ok = false;
      break;
    }
    const zip_fileinfo info = InfoOf(path);
    const uint32_t crc = static_cast<uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()),
              static_cast<uInt>(bytes.size())));
    if (!password.empty()) packed = Encrypt(password, crc, packed);
    if (zipOpenNewFileInZip4_64(zip, EntryName(path, base).c_str(), &info, nullptr, 0, nullptr, 0,
                                nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION, 1, -MAX_WBITS,
                                DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, 0,
                                password.empty() ? 0 : kEncryptedFlag,
                                bytes.size() >= 0xFFFFFFFFu) != ZIP_OK) {
      ok = false;
      break;
    }
    const bool wrote =
        packed.empty() ||
        zipWriteInFileInZip(zip, packed.data(), static_cast<unsigned>(packed.size())) == ZIP_OK;
    if (zipCloseFileInZipRaw64(zip, bytes.size(), crc) != ZIP_OK || !wrote) {
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

