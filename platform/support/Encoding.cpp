#include "platform/support/Encoding.h"

#include <openssl/evp.h>

#include <cstdlib>
#include <cstring>

std::string DigestHex(std::string_view data, const char* digestName) {
  const EVP_MD* md = EVP_get_digestbyname(digestName);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int len = 0;
  if (!md || !EVP_Digest(data.data(), data.size(), digest, &len, md, nullptr)) return {};
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < len; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 15];
  }
  return hex;
}

std::string Md5Hex(std::string_view data) { return DigestHex(data, "MD5"); }

char* MD5EncodeText(const char* text, char* out, size_t outSize) {
  if (!out || outSize < 33) return out;
  const std::string hex = Md5Hex(text ? text : "");
  std::memcpy(out, hex.c_str(), 33);
  return out;
}

std::string base64_encode(std::string_view data) {
  std::string out(4 * ((data.size() + 2) / 3) + 1, '\0');
  const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(&out[0]),
                                reinterpret_cast<const unsigned char*>(data.data()),
                                static_cast<int>(data.size()));
  out.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return out;
}

bool base64_decode(std::string_view text, std::string* out) {
  if (out) out->clear();
  std::string clean;
  for (char c : text) {
    if (c != ' ' && c != '\n' && c != '\r' && c != '\t') clean += c;
  }
  if (clean.size() % 4 != 0) return false;
  std::string buf(clean.size() / 4 * 3 + 1, '\0');
  const int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(&buf[0]),
                                reinterpret_cast<const unsigned char*>(clean.data()),
                                static_cast<int>(clean.size()));
  if (n < 0) return false;
  size_t len = static_cast<size_t>(n);
  // EVP_DecodeBlock counts the padding as zero bytes.
  if (!clean.empty() && clean.back() == '=') --len;
  if (clean.size() >= 2 && clean[clean.size() - 2] == '=') --len;
  buf.resize(len);
  if (out) *out = std::move(buf);
  return true;
}

unsigned char* base64_decode_alloc(const char* text, size_t* outLen) {
  if (outLen) *outLen = 0;
  std::string bytes;
  if (!text || !base64_decode(text, &bytes)) return nullptr;
  auto* p = static_cast<unsigned char*>(std::malloc(bytes.size() + 1));
  if (!p) return nullptr;
  std::memcpy(p, bytes.data(), bytes.size());
  p[bytes.size()] = 0;
  if (outLen) *outLen = bytes.size();
  return p;
}

std::string Base64UrlEncode(std::string_view data) {
  std::string s = base64_encode(data);
  while (!s.empty() && s.back() == '=') s.pop_back();
  for (char& c : s) {
    if (c == '+')
      c = '-';
    else if (c == '/')
      c = '_';
  }
  return s;
}
