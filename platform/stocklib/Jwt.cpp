#include "platform/stocklib/Jwt.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/support/Encoding.h"

namespace {

std::string JsonEscape(const char* s) {
  std::string out;
  for (const char* p = s; *p; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

bool RandomUuid(std::string* out) {
  unsigned char b[16];
  if (RAND_bytes(b, sizeof b) != 1) return false;
  b[6] = (b[6] & 0x0F) | 0x40;
  b[8] = (b[8] & 0x3F) | 0x80;
  char buf[37];
  std::snprintf(buf, sizeof buf,
                "%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x", b[0], b[1],
                b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14],
                b[15]);
  *out = buf;
  return true;
}

}  // namespace

std::string HmacSha256(const std::string& key, const std::string& data) {
  unsigned char mac[EVP_MAX_MD_SIZE];
  unsigned int len = 0;
  if (!HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
            reinterpret_cast<const unsigned char*>(data.data()), data.size(), mac, &len))
    return std::string();
  return std::string(reinterpret_cast<char*>(mac), len);
}

char* jwt_credential_hs256(const char* claimName, const char* key, const char* query,
                           const char* nonceText, uint64_t nonce, const char* secret,
                           int signingOption, int uuidNonce, int timestampClaim,
                           int nonceAsNumber) {
  if (!claimName || !*claimName || !key || !*key || !secret || !*secret) return nullptr;
  std::string claims = "{\"" + JsonEscape(claimName) + "\":\"" + JsonEscape(key) + "\"";
  if (uuidNonce) {
    std::string uuid;
    if (!RandomUuid(&uuid)) return nullptr;
    claims += ",\"nonce\":\"" + uuid + "\"";
  } else {
    char number[24];
    std::snprintf(number, sizeof number, "%llu", static_cast<unsigned long long>(nonce));
    const std::string text = nonceText && *nonceText ? JsonEscape(nonceText) : number;
    claims += nonceAsNumber ? ",\"nonce\":" + std::string(number) : ",\"nonce\":\"" + text + "\"";
  }
  if (timestampClaim) {
    char number[24];
    std::snprintf(number, sizeof number, "%llu", static_cast<unsigned long long>(nonce));
    claims += ",\"timestamp\":" + std::string(number);
  }
  if (signingOption && query && *query) {
    claims +=
        ",\"query_hash\":\"" + DigestHex(query, "SHA512") + "\",\"query_hash_alg\":\"SHA512\"";
  }
  claims += "}";
  const std::string signingInput =
      Base64UrlEncode("{\"alg\":\"HS256\",\"typ\":\"JWT\"}") + "." + Base64UrlEncode(claims);
  const std::string mac = HmacSha256(secret, signingInput);
  if (mac.empty()) return nullptr;
  const std::string token = signingInput + "." + Base64UrlEncode(mac);
  char* out = static_cast<char*>(std::malloc(token.size() + 1));
  if (out) std::memcpy(out, token.c_str(), token.size() + 1);
  return out;
}
