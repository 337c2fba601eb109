#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/support/Encoding.h"
#include "platform/support/Encryption.h"
#include "tests/platform/support_crypto/CryptoTestFixture.h"

namespace orv::support::test {
namespace {

using EncryptionTest = CryptoFixture;

const std::string kTexts[] = {
    "",
    "PSx9a8Hk2mZ0QwErTy",
    "한국어 시크릿 키: 접속키(Key)/보안키(Key)",
    std::string("bin\0ary\xff\x01", 10),
    std::string(5000, 'k'),
};

TEST_F(EncryptionTest, SealedTextsOpenToTheSameBytes) {
  for (const std::string& text : kTexts) {
    std::string record;
    ASSERT_EQ(kCryptOk, SealText("ctx", text, &record));
    if (!text.empty()) {
      EXPECT_EQ(std::string::npos, record.find(text));
    }
    std::string opened = "sentinel";
    ASSERT_EQ(kCryptOk, OpenText("ctx", record, &opened));
    EXPECT_EQ(text, opened);

    // version | nonce (12) | ciphertext | tag (16), and a fresh nonce every time.
    std::string raw;
    ASSERT_TRUE(base64_decode(record, &raw));
    EXPECT_EQ(1 + 12 + text.size() + 16, raw.size());
    EXPECT_EQ(1, raw[0]);
    std::string again;
    ASSERT_EQ(kCryptOk, SealText("ctx", text, &again));
    EXPECT_NE(record, again);
  }
}

TEST_F(EncryptionTest, AnyChangedByteFailsAndLeavesTheOutputAlone) {
  std::string record;
  ASSERT_EQ(kCryptOk, SealText("ctx", "한국어 secret", &record));
  std::string raw;
  ASSERT_TRUE(base64_decode(record, &raw));
  for (size_t i = 0; i < raw.size(); ++i) {
    std::string bad = raw;
    bad[i] = static_cast<char>(bad[i] ^ 0x01);
    std::string out = "untouched";
    const int result = OpenText("ctx", base64_encode(bad), &out);
    EXPECT_EQ(i == 0 ? kCryptBadFormat : kCryptAuthFailed, result) << "byte " << i;
    EXPECT_EQ("untouched", out);
  }
  // Cut short, extended, or not a record at all.
  const std::string broken[] = {base64_encode(raw.substr(0, raw.size() - 1)),
                                base64_encode(raw.substr(0, 28)),
                                base64_encode(raw + "x"),
                                "PSx9a8Hk2mZ0QwErTy",
                                "not base64 !",
                                ""};
  for (const std::string& text : broken) {
    std::string out = "untouched";
    EXPECT_LT(OpenText("ctx", text, &out), 0) << text;
    EXPECT_EQ("untouched", out);
  }
}

TEST_F(EncryptionTest, WrongKeyOrContextFails) {
  std::string keyA, keyB, record, out = "untouched";
  ASSERT_EQ(kCryptOk, DeriveKey(std::string(32, 'a'), "user-1", &keyA));
  ASSERT_EQ(kCryptOk, DeriveKey(std::string(32, 'b'), "user-1", &keyB));
  ASSERT_EQ(kCryptKeySize, keyA.size());
  ASSERT_EQ(kCryptOk, EncryptRecord(keyA, "secret", &record));
  EXPECT_EQ(kCryptAuthFailed, DecryptRecord(keyB, record, &out));
  EXPECT_EQ(kCryptBadArgument, DecryptRecord("short", record, &out));
  EXPECT_EQ("untouched", out);
  ASSERT_EQ(kCryptOk, DecryptRecord(keyA, record, &out));
  EXPECT_EQ("secret", out);

  // The same secret with another context (another user, column or row) is another key.
  std::string keyOther;
  ASSERT_EQ(kCryptOk, DeriveKey(std::string(32, 'a'), "user-2", &keyOther));
  EXPECT_NE(keyA, keyOther);

  ASSERT_EQ(kCryptOk, SealText("user-1", "secret", &record));
  out = "untouched";
  EXPECT_EQ(kCryptAuthFailed, OpenText("user-2", record, &out));
  EXPECT_EQ("untouched", out);
}

TEST_F(EncryptionTest, SecretFileIsMadeOnFirstUsePrivateAndKept) {
  EXPECT_EQ(KeyPath(), CryptKeyFilePath());
  ASSERT_FALSE(std::filesystem::exists(KeyPath()));
  std::string record;
  ASSERT_EQ(kCryptOk, SealText("ctx", "value", &record));

  struct stat info {};
  ASSERT_EQ(0, ::stat(KeyPath().c_str(), &info));
  EXPECT_EQ(0600u, info.st_mode & 0777);
  EXPECT_EQ(static_cast<off_t>(kCryptSecretSize), info.st_size);
  const std::string secret = win::test::ReadText(KeyPath());
  // Only the secret is left in its folder: no temporary file.
  int files = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(ConfigFolder() + "/" + kTestCompany)) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(1, files);

  std::string loaded;
  ASSERT_EQ(kCryptOk, LoadInstallSecret(&loaded));
  EXPECT_EQ(secret, loaded);
  std::string out;
  ASSERT_EQ(kCryptOk, OpenText("ctx", record, &out));

  // Another installation's secret does not open the record.
  std::filesystem::remove(KeyPath());
  ASSERT_EQ(kCryptOk, LoadInstallSecret(&loaded));
  EXPECT_NE(secret, loaded);
  out = "untouched";
  EXPECT_EQ(kCryptAuthFailed, OpenText("ctx", record, &out));
  EXPECT_EQ("untouched", out);
}

TEST_F(EncryptionTest, DamagedSecretFileIsRefusedNotReplaced) {
  std::filesystem::create_directories(ConfigFolder() + "/" + kTestCompany);
  win::test::WriteText(KeyPath(), "short");
  std::string secret = "untouched", record;
  EXPECT_EQ(kCryptNoSecret, LoadInstallSecret(&secret));
  EXPECT_EQ(kCryptNoSecret, SealText("ctx", "value", &record));
  EXPECT_EQ("untouched", secret);
  EXPECT_EQ("short", win::test::ReadText(KeyPath()));
}

TEST_F(EncryptionTest, SecretFolderFollowsTheCompanyKeyOrTheRegistry) {
  EXPECT_FALSE(SetCryptKeyCompany("a/b"));
  EXPECT_FALSE(SetCryptKeyCompany(".."));
  ASSERT_TRUE(SetCryptKeyCompany(""));
  // Without a company key or an open registry there is no secret: nothing is sealed.
  EXPECT_EQ("", CryptKeyFilePath());
  std::string record = "untouched";
  EXPECT_EQ(kCryptNoSecret, SealText("ctx", "value", &record));
  EXPECT_EQ("untouched", record);

  ASSERT_TRUE(win::AppRegistry().Open("RegCompany", "Settings.ini"));
  EXPECT_EQ(ConfigFolder() + "/RegCompany/crypt.key", CryptKeyFilePath());
  EXPECT_EQ(kCryptOk, SealText("ctx", "value", &record));
  EXPECT_TRUE(std::filesystem::exists(ConfigFolder() + "/RegCompany/crypt.key"));
  win::AppRegistry().Open("", "");
}

TEST_F(EncryptionTest, ConcurrentFirstUseAgreesOnOneSecret) {
  std::vector<std::string> secrets(8);
  std::vector<int> results(secrets.size());
  std::vector<std::thread> threads;
  for (size_t i = 0; i < secrets.size(); ++i) {
    threads.emplace_back([&, i] { results[i] = LoadInstallSecret(&secrets[i]); });
  }
  for (auto& thread : threads) thread.join();
  for (size_t i = 0; i < secrets.size(); ++i) {
    EXPECT_EQ(kCryptOk, results[i]);
    EXPECT_EQ(secrets[0], secrets[i]);
  }
  EXPECT_EQ(secrets[0], win::test::ReadText(KeyPath()));
}

TEST_F(EncryptionTest, CredentialTableCipherIsBoundToKeyTextAndDate) {
  const char kKey[] = "A4D93F0C71B85E26C3";
  const char kTable[] = "P1\t서버\t1\t10.0.0.1\t22\n";
  int error = 0;
  char* crypted = GfxCipherEncrypt2A(kTable, kKey, 2024, 5, 17, &error);
  ASSERT_NE(nullptr, crypted);
  EXPECT_EQ(kCryptOk, error);
  EXPECT_EQ(nullptr, std::strstr(crypted, "서버"));

  char* plain = GfxCipherDecrypt2A(crypted, kKey, 2024, 5, 17, &error);
  ASSERT_NE(nullptr, plain);
  EXPECT_STREQ(kTable, plain);
  std::free(plain);

  struct Case {
    const char* key;
    int year, month, day;
  } wrong[] = {{kKey, 2024, 5, 18}, {kKey, 2023, 5, 17}, {"A4D93F0C71B85E26C4", 2024, 5, 17}};
  for (const Case& c : wrong) {
    error = 0;
    EXPECT_EQ(nullptr, GfxCipherDecrypt2A(crypted, c.key, c.year, c.month, c.day, &error));
    EXPECT_EQ(kCryptAuthFailed, error);
  }
  EXPECT_EQ(nullptr, GfxCipherDecrypt2A(nullptr, kKey, 2024, 5, 17, &error));
  EXPECT_EQ(kCryptBadArgument, error);
  std::free(crypted);
}

}  // namespace
}  // namespace orv::support::test
