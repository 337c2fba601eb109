#pragma once
// Encrypted storage of secrets (broker keys, login data, the credential table) over OpenSSL.
//
// A record is AES-256-GCM with a fresh random 12-byte nonce, kept as base64 text of
// version (1 byte) | nonce (12) | ciphertext | tag (16). Its key is derived with HKDF-SHA256
// from this installation's random secret and a context text that names what the record is and
// whose it is (for example the table, the column and the user id), so a record copied into
// another row, column or user does not open. The installation secret is a file of random bytes,
// "crypt.key" in <config folder>/<company key>/, mode 0600, created on first use.
//
// Every call returns one of the codes below; on failure the outputs are left as they were.

#include <string>
#include <string_view>

namespace orv::support {

enum CryptResult : int {
  kCryptOk = 1,
  kCryptBadArgument = -1,   // null output, or a key of the wrong size
  kCryptNoSecret = -2,      // the installation secret cannot be read or created
  kCryptBadFormat = -3,     // not a record of ours (bad base64, unknown version, too short)
  kCryptAuthFailed = -4,    // tampered with, or made with another key
  kCryptLibraryError = -5,  // OpenSSL failed (random source, cipher)
};

constexpr size_t kCryptKeySize = 32;
constexpr size_t kCryptSecretSize = 32;

// Where the installation secret lives: the company key set here, else the folder of the
// application registry (platform/win Registry.h) when that is open. An empty key forgets the
// setting. Names with "/" or equal to "." or ".." are refused (false).
bool SetCryptKeyCompany(const std::string& companyKey);
// The secret file's full path; empty when no folder is known.
std::string CryptKeyFilePath();
// Reads the installation secret, creating its folder and file on first use. The file is
// written to a temporary file and linked into place, so two processes starting together agree
// on one secret and a crash never leaves a half-written file. A file of the wrong size is
// refused (kCryptNoSecret), never replaced: records made with it would be lost.
int LoadInstallSecret(std::string* secret);

// HKDF-SHA256 of the secret with `context` as its info: a 32-byte key.
int DeriveKey(std::string_view secret, std::string_view context, std::string* key);

// Encrypts `plain` with a 32-byte key into record text.
int EncryptRecord(std::string_view key, std::string_view plain, std::string* record);
// Decrypts record text with a 32-byte key; `plain` is only written on success.
int DecryptRecord(std::string_view key, std::string_view record, std::string* plain);

// The two steps above with the key derived from the installation secret and `context`.
int SealText(std::string_view context, std::string_view plain, std::string* record);
int OpenText(std::string_view context, std::string_view record, std::string* plain);

}  // namespace orv::support

// The credential table's cipher: the table text (narrow) is sealed under the key text and the
// date of its time stamp, on top of the installation secret. The result is a heap text that the
// caller frees with free(); null on failure, with the code in *error when given.
char* GfxCipherEncrypt2A(const char* plainText, const char* keyText, int year, int month, int day,
                         int* error = nullptr);
char* GfxCipherDecrypt2A(const char* cryptedText, const char* keyText, int year, int month, int day,
                         int* error = nullptr);
