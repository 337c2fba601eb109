#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/support/LoginStore.h"
#include "platform/support/TextConv.h"
#include "tests/platform/support_crypto/CryptoTestFixture.h"

namespace orv::support::test {
namespace {

const wchar_t kUser[] = L"trader01";
const wchar_t kKey[] = L"PSx9a8Hk2mZ0QwErTyUiOp1234567890ab";
const wchar_t kSecret[] = L"시크릿키-Zq93kLmN0pQrStUvWxYz";
const wchar_t kToken[] = L"tok-7f3e2d1c0b";
const wchar_t kNick[] = L"별명";

class LoginStoreTest : public CryptoFixture {
 protected:
  int Save(const wchar_t* user = kUser, const wchar_t* secret = kSecret) {
    return GfxSaveLoginCredentialToLoal(nullptr, OpenDb(), 1700000000, 12, 2, 1, 0x880, 1, 77, user,
                                        kKey, secret, kToken, kNick);
  }
  void ExpectSaved(const SavedLogin_s& saved, const wchar_t* secret = kSecret) {
    EXPECT_EQ(1700000000, saved.regTime);
    EXPECT_EQ(1, saved.autoLogin);
    EXPECT_EQ(0x880u, saved.loginFlags);
    EXPECT_EQ(77, saved.userIdx);
    EXPECT_EQ(kUser, saved.userId);
    EXPECT_EQ(kKey, saved.keyText);
    EXPECT_EQ(secret, saved.secretText);
    EXPECT_EQ(kToken, saved.extraText1);
    EXPECT_EQ(kNick, saved.extraText2);
  }
  // Old tables: no crypt_ver column, texts in clear.
  void MakeLegacyTables() {
    Exec(
        "CREATE TABLE WX_LOGIN_SAVED (company_idx INTEGER NOT NULL, agency_idx INTEGER NOT NULL, "
        "user_id TEXT NOT NULL, reg_time INTEGER, auto_login INTEGER, login_flags INTEGER, "
        "market_kind INTEGER, user_idx INTEGER, key_text TEXT, secret_text TEXT, extra_text1 "
        "TEXT, extra_text2 TEXT, PRIMARY KEY (company_idx, agency_idx, user_id))");
    Exec("INSERT INTO WX_LOGIN_SAVED VALUES (12, 2, 'trader01', 1700000000, 1, 2176, 1, 77, '" +
         WideToUtf8(kKey) + "', '" + WideToUtf8(kSecret) + "', '" + WideToUtf8(kToken) + "', '" +
         WideToUtf8(kNick) + "')");
    Exec("CREATE TABLE WX_CRYPTED_DATA (kind INTEGER PRIMARY KEY, data BLOB, reg_time INTEGER)");
    Exec("INSERT INTO WX_CRYPTED_DATA VALUES (1, 'legacy-login-blob', 1600000000)");
  }
  std::string SecretUtf8() const { return WideToUtf8(kSecret); }
};

TEST_F(LoginStoreTest, SavedLoginReadsBackAndNoSecretIsOnDisk) {
  ASSERT_EQ(1, Save());
  SavedLogin_s saved;
  ASSERT_EQ(1, GfxLoadSavedLogin(OpenDb(), 12, 2, kUser, &saved));
  ExpectSaved(saved);
  EXPECT_EQ("1", Query("SELECT crypt_ver FROM WX_LOGIN_SAVED"));

  const std::string disk = DiskBytes();
  ASSERT_NE(std::string::npos, disk.find("trader01"));  // the file really holds the row
  for (const wchar_t* text : {kKey, kSecret, kToken}) {
    EXPECT_EQ(std::string::npos, disk.find(WideToUtf8(text))) << WideToUtf8(text);
  }
  EXPECT_EQ(std::string::npos, disk.find("Zq93kLmN"));
}

TEST_F(LoginStoreTest, EmptyTextsRoundTrip) {
  ASSERT_EQ(1, GfxSaveLoginCredentialToLoal(nullptr, OpenDb(), 5, 1, 1, 0, 0, 1, 3, L"u", nullptr,
                                            L"", nullptr, nullptr));
  SavedLogin_s saved;
  saved.secretText = L"stale";
  ASSERT_EQ(1, GfxLoadSavedLogin(OpenDb(), 1, 1, L"u", &saved));
  EXPECT_EQ(L"", saved.keyText);
  EXPECT_EQ(L"", saved.secretText);
}

TEST_F(LoginStoreTest, ChangedOrMovedValuesFailWithoutTouchingAnything) {
  ASSERT_EQ(1, Save());
  ASSERT_EQ(1, Save(L"other"));
  const std::string before = Query("SELECT group_concat(secret_text, '|') FROM WX_LOGIN_SAVED");

  struct Case {
    const char* name;
    const char* sql;
  } cases[] = {
      {"flipped character",
       "UPDATE WX_LOGIN_SAVED SET secret_text = substr(secret_text, 1, 20) || "
       "(CASE substr(secret_text, 21, 1) WHEN 'A' THEN 'B' ELSE 'A' END) || "
       "substr(secret_text, 22) WHERE user_id='trader01'"},
      {"other user's value",
       "UPDATE WX_LOGIN_SAVED SET secret_text = (SELECT secret_text FROM WX_LOGIN_SAVED WHERE "
       "user_id='other') WHERE user_id='trader01'"},
      {"other column's value",
       "UPDATE WX_LOGIN_SAVED SET secret_text = key_text WHERE user_id='trader01'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string good =
        Query("SELECT secret_text FROM WX_LOGIN_SAVED WHERE user_id='trader01'");
    Exec(c.sql);
    const std::string bad =
        Query("SELECT secret_text FROM WX_LOGIN_SAVED WHERE user_id='trader01'");
    ASSERT_NE(good, bad);

    SavedLogin_s saved;
    saved.secretText = L"untouched";
    EXPECT_EQ(kCryptAuthFailed, GfxLoadSavedLogin(OpenDb(), 12, 2, kUser, &saved));
    EXPECT_EQ(L"untouched", saved.secretText);
    EXPECT_EQ(L"", saved.keyText);
    EXPECT_EQ(bad, Query("SELECT secret_text FROM WX_LOGIN_SAVED WHERE user_id='trader01'"));

    Exec("UPDATE WX_LOGIN_SAVED SET secret_text = '" + good + "' WHERE user_id='trader01'");
    ASSERT_EQ(1, GfxLoadSavedLogin(OpenDb(), 12, 2, kUser, &saved));
    ExpectSaved(saved);
  }
  EXPECT_EQ(before, Query("SELECT group_concat(secret_text, '|') FROM WX_LOGIN_SAVED"));
}

TEST_F(LoginStoreTest, AnotherInstallationsSecretDoesNotOpenTheLogin) {
  ASSERT_EQ(1, Save());
  const std::string row = Query("SELECT key_text || secret_text FROM WX_LOGIN_SAVED");
  std::filesystem::remove(KeyPath());  // a fresh secret is made at the next use

  SavedLogin_s saved;
  EXPECT_EQ(kCryptAuthFailed, GfxLoadSavedLogin(OpenDb(), 12, 2, kUser, &saved));
  EXPECT_EQ(L"", saved.secretText);
  EXPECT_EQ(row, Query("SELECT key_text || secret_text FROM WX_LOGIN_SAVED"));
  std::string data = "untouched";
  ASSERT_EQ(1, GfxSaveCryptedDataToDbWithTimeA(OpenDb(), 1, "blob", 4, 9));
  std::filesystem::remove(KeyPath());
  EXPECT_EQ(kCryptAuthFailed, GfxLoadCryptedDataFromDb(OpenDb(), 1, &data, nullptr));
  EXPECT_EQ("untouched", data);
}

TEST_F(LoginStoreTest, WithoutASecretNothingIsSavedInClear) {
  ASSERT_TRUE(SetCryptKeyCompany(""));  // no company key and no registry: no secret
  EXPECT_EQ(0, Save());
  EXPECT_EQ(0, GfxSaveCryptedDataToDbWithTimeA(OpenDb(), 1, "blob", 4, 9));
  EXPECT_EQ("0", Query("SELECT count(*) FROM WX_LOGIN_SAVED"));
  EXPECT_EQ("0", Query("SELECT count(*) FROM WX_CRYPTED_DATA"));
  // Forgetting the stored login needs no secret.
  EXPECT_EQ(1, GfxSaveCryptedDataToDbWithTimeA(OpenDb(), 1, nullptr, 0, 9));
  std::string data = "x";
  EXPECT_EQ(1, GfxLoadCryptedDataFromDb(OpenDb(), 1, &data, nullptr));
  EXPECT_EQ("", data);
  EXPECT_EQ(std::string::npos, DiskBytes().find(SecretUtf8()));
}

TEST_F(LoginStoreTest, PlainRowsFromBeforeLoadOnceAndAreSealedInPlace) {
  MakeLegacyTables();
  SavedLogin_s saved;
  ASSERT_EQ(1, GfxLoadSavedLogin(OpenDb(), 12, 2, kUser, &saved));
  ExpectSaved(saved);
  EXPECT_EQ("1", Query("SELECT crypt_ver FROM WX_LOGIN_SAVED"));
  EXPECT_EQ("1700000000", Query("SELECT reg_time FROM WX_LOGIN_SAVED"));

  std::string data;
  int64_t time = 0;
  ASSERT_EQ(1, GfxLoadCryptedDataFromDb(OpenDb(), 1, &data, &time));
  EXPECT_EQ("legacy-login-blob", data);
  EXPECT_EQ(1600000000, time);
  EXPECT_EQ("1", Query("SELECT crypt_ver FROM WX_CRYPTED_DATA"));

  const std::string disk = DiskBytes();
  for (const std::string& text :
       {SecretUtf8(), WideToUtf8(kKey), WideToUtf8(kToken), std::string("legacy-login-blob")}) {
    EXPECT_EQ(std::string::npos, disk.find(text)) << text;
  }
  // Read again, now from the sealed rows.
  SavedLogin_s again;
  ASSERT_EQ(1, GfxLoadSavedLogin(OpenDb(), 12, 2, kUser, &again));
  ExpectSaved(again);
  ASSERT_EQ(1, GfxLoadCryptedDataFromDb(OpenDb(), 1, &data, &time));
  EXPECT_EQ("legacy-login-blob", data);
  EXPECT_EQ(1600000000, time);
}

TEST_F(LoginStoreTest, RecordsByKindKeepBinaryDataSealed) {
  const std::string blob = std::string("로그인\0data\xff", 14);
  ASSERT_EQ(1, GfxSaveCryptedDataToDbWithTimeA(OpenDb(), 1, blob.data(), blob.size(), 42));
  ASSERT_EQ(1, GfxSaveCryptedDataToDbWithTimeA(OpenDb(), 2, "other", 5, 43));
  std::string data;
  int64_t time = 0;
  ASSERT_EQ(1, GfxLoadCryptedDataFromDb(OpenDb(), 1, &data, &time));
  EXPECT_EQ(blob, data);
  EXPECT_EQ(42, time);
  EXPECT_EQ(0, GfxLoadCryptedDataFromDb(OpenDb(), 3, &data, &time));

  // A record moved to another kind does not open.
  Exec(
      "UPDATE WX_CRYPTED_DATA SET data = (SELECT data FROM WX_CRYPTED_DATA WHERE kind=1) "
      "WHERE kind=2");
  data = "untouched";
  EXPECT_EQ(kCryptAuthFailed, GfxLoadCryptedDataFromDb(OpenDb(), 2, &data, &time));
  EXPECT_EQ("untouched", data);
  EXPECT_EQ(std::string::npos, DiskBytes().find("로그인"));
}

TEST_F(LoginStoreTest, UserDataKeepsTheEncryptedTextAndItsTimeStamp) {
  SYSTEMTIME stamp;
  stamp.wYear = 2024;
  stamp.wMonth = 5;
  stamp.wDay = 17;
  stamp.wHour = 9;
  stamp.wMinute = 30;
  stamp.wSecond = 1;
  stamp.wMilliseconds = 250;
  char* crypted = GfxCipherEncrypt2A("P1\t웹\n", "A4D93F0C71B85E26C3", 2024, 5, 17);
  ASSERT_NE(nullptr, crypted);
  ASSERT_EQ(1, GfxSaveCryptedData(OpenDb(), "private.login.info", 77, crypted, &stamp));

  char* loaded = nullptr;
  SYSTEMTIME time;
  EXPECT_EQ(0, GfxLoadCryptedData(OpenDb(), "private.login.info", 78, &loaded, &time));
  EXPECT_EQ(nullptr, loaded);
  ASSERT_EQ(1, GfxLoadCryptedData(OpenDb(), "private.login.info", 77, &loaded, &time));
  EXPECT_STREQ(crypted, loaded);
  EXPECT_EQ(2024, time.wYear);
  EXPECT_EQ(17, time.wDay);
  EXPECT_EQ(250, time.wMilliseconds);
  char* plain =
      GfxCipherDecrypt2A(loaded, "A4D93F0C71B85E26C3", time.wYear, time.wMonth, time.wDay);
  ASSERT_NE(nullptr, plain);
  EXPECT_STREQ("P1\t웹\n", plain);
  std::free(plain);
  std::free(loaded);
  std::free(crypted);
}

}  // namespace
}  // namespace orv::support::test
