#include "platform/support/Encryption.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <openssl/kdf.h>
#include <openssl/rand.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/support/Encoding.h"
#include "platform/win/KnownFolders.h"
#include "platform/win/Registry.h"

namespace orv::support {
namespace {

constexpr unsigned char kRecordVersion = 1;
constexpr size_t kNonceSize = 12;
constexpr size_t kTagSize = 16;
constexpr char kSecretFileName[] = "crypt.key";
constexpr char kKeySalt[] = "record-key-v1";

std::mutex g_folderMutex;
std::string g_companyKey;

struct CipherCtxDeleter {
  void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
struct PkeyCtxDeleter {
  void operator()(EVP_PKEY_CTX* ctx) const { EVP_PKEY_CTX_free(ctx); }
};

const unsigned char* Bytes(std::string_view text) {
  return reinterpret_cast<const unsigned char*>(text.data());
}
unsigned char* Bytes(std::string& text) { return reinterpret_cast<unsigned char*>(&text[0]); }

// Starts AES-256-GCM in `ctx` (encrypt 1, decrypt 0) with the record's nonce; the version byte
// is authenticated with the data.
bool StartGcm(EVP_CIPHER_CTX* ctx, int encrypt, std::string_view key, const unsigned char* nonce,
              const unsigned char* version) {
  int len = 0;
  return ctx &&
         EVP_CipherInit_ex(ctx, EVP_aes_256_gcm(), nullptr, nullptr, nullptr, encrypt) == 1 &&
         EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_GCM_SET_IVLEN, static_cast<int>(kNonceSize), nullptr) ==
             1 &&
         EVP_CipherInit_ex(ctx, nullptr, nullptr, Bytes(key), nonce, encrypt) == 1 &&
         EVP_CipherUpdate(ctx, nullptr, &len, version, 1) == 1;
}

bool ValidFolderName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

std::string SecretFolder() {
  std::lock_guard<std::mutex> lock(g_folderMutex);
  if (!g_companyKey.empty()) return win::GetConfigFolder() + "/" + g_companyKey;
  const std::string registryPath = win::AppRegistry().Path();
  const size_t slash = registryPath.rfind('/');
  return slash == std::string::npos ? std::string() : registryPath.substr(0, slash);
}

constexpr int kSecretAbsent = 0;

void Wipe(std::string& text) {
  if (!text.empty()) OPENSSL_cleanse(&text[0], text.size());
}

// Reads the whole secret file: kCryptOk, kSecretAbsent when there is no file, or kCryptNoSecret
// when it cannot be read or has the wrong size.
int ReadSecretFile(const std::string& path, std::string* secret) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return errno == ENOENT ? kSecretAbsent : kCryptNoSecret;
  std::string data(kCryptSecretSize + 1, '\0');
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::read(fd, &data[done], data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  if (done != kCryptSecretSize) return kCryptNoSecret;
  data.resize(done);
  *secret = std::move(data);
  return kCryptOk;
}

// Writes a new random secret to a temporary file and links it into place; when another process
// won the race, its secret is used.
int CreateSecretFile(const std::string& folder, const std::string& path, std::string* secret) {
  std::string fresh(kCryptSecretSize, '\0');
  if (RAND_bytes(Bytes(fresh), static_cast<int>(fresh.size())) != 1) return kCryptLibraryError;
  std::string temp = path + ".XXXXXX";
  const int fd = ::mkstemp(&temp[0]);  // mode 0600
  if (fd < 0) return kCryptNoSecret;
  bool ok = ::fchmod(fd, S_IRUSR | S_IWUSR) == 0;
  size_t done = 0;
  while (ok && done < fresh.size()) {
    const ssize_t n = ::write(fd, fresh.data() + done, fresh.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      ok = false;
    else
      done += static_cast<size_t>(n);
  }
  ok = ok && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  const bool linked = ok && ::link(temp.c_str(), path.c_str()) == 0;
  const int linkError = errno;
  ::unlink(temp.c_str());
  if (!linked) {
    if (ok && linkError == EEXIST)
      return ReadSecretFile(path, secret) == kCryptOk ? kCryptOk : kCryptNoSecret;
    return kCryptNoSecret;
  }
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  *secret = std::move(fresh);
  return kCryptOk;
}

}  // namespace

bool SetCryptKeyCompany(const std::string& companyKey) {
  if (!companyKey.empty() && !ValidFolderName(companyKey)) return false;
  std::lock_guard<std::mutex> lock(g_folderMutex);
  g_companyKey = companyKey;
  return true;
}

std::string CryptKeyFilePath() {
  const std::string folder = SecretFolder();
  return folder.empty() ? std::string() : folder + "/" + kSecretFileName;
}

int LoadInstallSecret(std::string* secret) {
  if (!secret) return kCryptBadArgument;
  const std::string folder = SecretFolder();
  if (folder.empty()) return kCryptNoSecret;
  const std::string path = folder + "/" + kSecretFileName;
  const int read = ReadSecretFile(path, secret);
  if (read != kSecretAbsent) return read;
  if (!win::CreateFolders(folder)) return kCryptNoSecret;
  return CreateSecretFile(folder, path, secret);
}

int DeriveKey(std::string_view secret, std::string_view context, std::string* key) {
  if (!key || secret.empty()) return kCryptBadArgument;
  // The context is digested so that any length fits HKDF's info limit.
  unsigned char info[EVP_MAX_MD_SIZE];
  unsigned int infoLen = 0;
  if (!EVP_Digest(context.data(), context.size(), info, &infoLen, EVP_sha256(), nullptr)) {
    return kCryptLibraryError;
  }
  std::unique_ptr<EVP_PKEY_CTX, PkeyCtxDeleter> ctx(EVP_PKEY_CTX_new_id(EVP_PKEY_HKDF, nullptr));
  std::string out(kCryptKeySize, '\0');
  size_t outLen = out.size();
  if (!ctx || EVP_PKEY_derive_init(ctx.get()) <= 0 ||
      EVP_PKEY_CTX_set_hkdf_md(ctx.get(), EVP_sha256()) <= 0 ||
      EVP_PKEY_CTX_set1_hkdf_salt(ctx.get(), reinterpret_cast<const unsigned char*>(kKeySalt),
                                  static_cast<int>(sizeof(kKeySalt) - 1)) <= 0 ||
      EVP_PKEY_CTX_set1_hkdf_key(ctx.get(), Bytes(secret), static_cast<int>(secret.size())) <= 0 ||
      EVP_PKEY_CTX_add1_hkdf_info(ctx.get(), info, static_cast<int>(infoLen)) <= 0 ||
      EVP_PKEY_derive(ctx.get(), Bytes(out), &outLen) <= 0 || outLen != kCryptKeySize) {
    return kCryptLibraryError;
  }
  *key = std::move(out);
  return kCryptOk;
}

int EncryptRecord(std::string_view key, std::string_view plain, std::string* record) {
  if (!record || key.size() != kCryptKeySize) return kCryptBadArgument;
  std::string raw(1 + kNonceSize + plain.size() + kTagSize, '\0');
  raw[0] = static_cast<char>(kRecordVersion);
  unsigned char* nonce = Bytes(raw) + 1;
  unsigned char* body = nonce + kNonceSize;
  if (RAND_bytes(nonce, static_cast<int>(kNonceSize)) != 1) return kCryptLibraryError;
  std::unique_ptr<EVP_CIPHER_CTX, CipherCtxDeleter> ctx(EVP_CIPHER_CTX_new());
  int len = 0;
  int finalLen = 0;
  if (!StartGcm(ctx.get(), 1, key, nonce, Bytes(raw)) ||
      EVP_EncryptUpdate(ctx.get(), body, &len, Bytes(plain), static_cast<int>(plain.size())) != 1 ||
      EVP_EncryptFinal_ex(ctx.get(), body + len, &finalLen) != 1 ||
      static_cast<size_t>(len + finalLen) != plain.size() ||
      EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, static_cast<int>(kTagSize),
                          body + plain.size()) != 1) {
    return kCryptLibraryError;
  }
  *record = base64_encode(raw);
  return kCryptOk;
}

int DecryptRecord(std::string_view key, std::string_view record, std::string* plain) {
  if (!plain || key.size() != kCryptKeySize) return kCryptBadArgument;
  std::string raw;
  if (!base64_decode(record, &raw) || raw.size() < 1 + kNonceSize + kTagSize ||
      static_cast<unsigned char>(raw[0]) != kRecordVersion) {
    return kCryptBadFormat;
  }
  const size_t bodySize = raw.size() - 1 - kNonceSize - kTagSize;
  unsigned char* nonce = Bytes(raw) + 1;
  unsigned char* body = nonce + kNonceSize;
  unsigned char* tag = body + bodySize;
  std::string out(bodySize, '\0');
  std::unique_ptr<EVP_CIPHER_CTX, CipherCtxDeleter> ctx(EVP_CIPHER_CTX_new());
  int len = 0;
  int finalLen = 0;
  if (!StartGcm(ctx.get(), 0, key, nonce, Bytes(raw)) ||
      EVP_DecryptUpdate(ctx.get(), bodySize ? Bytes(out) : nullptr, &len, body,
                        static_cast<int>(bodySize)) != 1 ||
      EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, static_cast<int>(kTagSize), tag) != 1) {
    return kCryptLibraryError;
  }
  if (EVP_DecryptFinal_ex(ctx.get(), bodySize ? Bytes(out) + len : nullptr, &finalLen) != 1) {
    Wipe(out);
    return kCryptAuthFailed;
  }
  *plain = std::move(out);
  return kCryptOk;
}

namespace {

int ContextKey(std::string_view context, std::string* key) {
  std::string secret;
  const int loaded = LoadInstallSecret(&secret);
  if (loaded != kCryptOk) return loaded;
  const int derived = DeriveKey(secret, context, key);
  Wipe(secret);
  return derived;
}

}  // namespace

int SealText(std::string_view context, std::string_view plain, std::string* record) {
  if (!record) return kCryptBadArgument;
  std::string key;
  const int made = ContextKey(context, &key);
  if (made != kCryptOk) return made;
  const int result = EncryptRecord(key, plain, record);
  Wipe(key);
  return result;
}

int OpenText(std::string_view context, std::string_view record, std::string* plain) {
  if (!plain) return kCryptBadArgument;
  std::string key;
  const int made = ContextKey(context, &key);
  if (made != kCryptOk) return made;
  const int result = DecryptRecord(key, record, plain);
  Wipe(key);
  return result;
}

}  // namespace orv::support

namespace {

std::string CipherContext(const char* keyText, int year, int month, int day) {
  char date[32];
  std::snprintf(date, sizeof(date), "%04d-%02d-%02d", year, month, day);
  return std::string("cipher2\x1f") + (keyText ? keyText : "") + '\x1f' + date;
}

char* HeapCopy(const std::string& text) {
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (copy) std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

char* CipherResult(int result, const std::string& text, int* error) {
  char* copy = result == orv::support::kCryptOk ? HeapCopy(text) : nullptr;
  if (result == orv::support::kCryptOk && !copy) result = orv::support::kCryptLibraryError;
  if (error) *error = result;
  return copy;
}

}  // namespace

char* GfxCipherEncrypt2A(const char* plainText, const char* keyText, int year, int month, int day,
                         int* error) {
  std::string record;
  const int result = plainText ? orv::support::SealText(CipherContext(keyText, year, month, day),
                                                        plainText, &record)
                               : orv::support::kCryptBadArgument;
  return CipherResult(result, record, error);
}

char* GfxCipherDecrypt2A(const char* cryptedText, const char* keyText, int year, int month, int day,
                         int* error) {
  std::string plain;
  const int result = cryptedText ? orv::support::OpenText(CipherContext(keyText, year, month, day),
                                                          cryptedText, &plain)
                                 : orv::support::kCryptBadArgument;
  char* copy = CipherResult(result, plain, error);
  if (!plain.empty()) OPENSSL_cleanse(&plain[0], plain.size());
  return copy;
}
