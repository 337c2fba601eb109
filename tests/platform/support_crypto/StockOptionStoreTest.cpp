// Broker keys in the trading configuration: sealed in the file, read back in clear, and keys an
// earlier version stored in clear sealed and wiped on the first open.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cwchar>
#include <string>

#include "platform/support/StockOptionStore.h"
#include "platform/support/TextConv.h"
#include "shared/StockOption.h"
#include "tests/platform/support_crypto/CryptoTestFixture.h"

namespace orv::support::test {
namespace {

const wchar_t kKey[] = L"PSx9a8Hk2mZ0QwErTyUiOp1234567890ab";
const wchar_t kSecret[] = L"시크릿-Zq93kLmN0pQrStUvWxYz4455";
const wchar_t kCoinKey[] = L"COIN-ACCESS-77f0e1d2c3b4a5968778";

class StockOptionStoreTest : public CryptoFixture {
 protected:
  void SetUp() override {
    CryptoFixture::SetUp();
    Exec("PRAGMA journal_mode=WAL");
    Exec("CREATE TABLE STOCK_CFG (app_idx int NOT NULL, site_idx int NOT NULL, "
         "split_sell_money double, currency_usd double, PRIMARY KEY (app_idx, site_idx))");
  }
  void TearDown() override {
    if (options_) sqlite3_close(options_);
    CryptoFixture::TearDown();
  }
  sqlite3* Options() {
    if (!options_) options_ = GfxOpenOptionsDb(DbPath().c_str());
    EXPECT_NE(nullptr, options_);
    return options_;
  }
  static stock_option_s WithKeys() {
    stock_option_s o;
    std::wcscpy(o.domestic.app_key[0], kKey);
    std::wcscpy(o.domestic.app_secret[0], kSecret);
    std::wcscpy(o.domestic.account[0], L"5012-34");
    std::wcscpy(o.coin.app_key[1], kCoinKey);
    o.min_take_profit = 3.5;
    return o;
  }
  // The database file and its write-ahead log as they are on disk now, connections open.
  std::string FileBytes() const {
    return win::test::ReadText(DbPath()) + win::test::ReadText(DbPath() + "-wal");
  }
  static void ExpectNoClearKey(const std::string& bytes, const char* when) {
    for (const wchar_t* key : {kKey, kSecret, kCoinKey}) {
      EXPECT_EQ(std::string::npos, bytes.find(WideToUtf8(key))) << when << ": " << WideToUtf8(key);
    }
  }

  sqlite3* options_ = nullptr;
};

TEST_F(StockOptionStoreTest, KeysAreSealedInTheFileAndReadBackInClear) {
  stock_option_s saved = WithKeys();
  ASSERT_EQ(0, GfxSaveStockOption(Options(), 1, 1, &saved, nullptr, nullptr));
  ExpectNoClearKey(FileBytes(), "after the save");
  EXPECT_NE(std::string::npos, FileBytes().find("5012-34"));  // the reading sees the file
  EXPECT_EQ("1", Query("SELECT crypt_ver FROM STOCK_CFG_VALUES WHERE name='acc.domestic.0.app_key'"));
  EXPECT_EQ("<null>", Query("SELECT crypt_ver FROM STOCK_CFG_VALUES WHERE name='tax_rate'"));

  std::wcscpy(saved.domestic.app_key[0], L"SECOND-KEY-0099887766");
  ASSERT_EQ(0, GfxSaveStockAccItemsInfo(Options(), 1, 1, &saved));
  stock_option_s loaded;
  EXPECT_EQ(1, GfxLoadStockOption(Options(), 1, 1, &loaded));
  EXPECT_STREQ(L"SECOND-KEY-0099887766", loaded.domestic.app_key[0]);
  EXPECT_STREQ(kSecret, loaded.domestic.app_secret[0]);
  EXPECT_STREQ(kCoinKey, loaded.coin.app_key[1]);
  EXPECT_STREQ(L"5012-34", loaded.domestic.account[0]);
  EXPECT_DOUBLE_EQ(3.5, loaded.min_take_profit);

  sqlite3_close(options_);
  options_ = nullptr;
  const std::string closed = DiskBytes();
  ExpectNoClearKey(closed, "after closing");
  EXPECT_EQ(std::string::npos, closed.find("SECOND-KEY-0099887766"));
}

TEST_F(StockOptionStoreTest, ClearKeysOfAnEarlierVersionAreSealedAndWipedOnOpen) {
  // The earlier table: no crypt_ver, keys in clear, a key overwritten once (its old bytes stay
  // in the page's free space) and everything still in the write-ahead log.
  Exec("PRAGMA wal_autocheckpoint=0");
  Exec("CREATE TABLE STOCK_CFG_VALUES (app_idx int NOT NULL, site_idx int NOT NULL, "
       "name varchar(64) NOT NULL, value text, PRIMARY KEY (app_idx, site_idx, name))");
  Exec("INSERT INTO STOCK_CFG VALUES (1, 1, 300000, 1388.5)");
  Exec("INSERT INTO STOCK_CFG_VALUES VALUES (1, 1, 'acc.domestic.0.app_key', 'OLD-" +
       WideToUtf8(kKey) + "')");
  Exec("UPDATE STOCK_CFG_VALUES SET value='" + WideToUtf8(kKey) +
       "' WHERE name='acc.domestic.0.app_key'");
  Exec("INSERT INTO STOCK_CFG_VALUES VALUES (1, 1, 'acc.domestic.0.app_secret', '" +
       WideToUtf8(kSecret) + "')");
  Exec("INSERT INTO STOCK_CFG_VALUES VALUES (2, 1, 'acc.coin.1.app_key', '" +
       WideToUtf8(kCoinKey) + "')");
  Exec("INSERT INTO STOCK_CFG_VALUES VALUES (1, 1, 'min_take_profit', '4.25')");
  ASSERT_NE(std::string::npos, FileBytes().find(WideToUtf8(kKey)));  // the fixture holds them

  Options();  // the first start
  ExpectNoClearKey(FileBytes(), "after the first open");
  EXPECT_EQ(std::string::npos, FileBytes().find("OLD-"));
  EXPECT_EQ("0", Query("SELECT count(*) FROM STOCK_CFG_VALUES WHERE name LIKE '%app_%' AND "
                       "(crypt_ver IS NULL OR crypt_ver <> 1)"));

  stock_option_s loaded;
  EXPECT_EQ(1, GfxLoadStockOption(Options(), 1, 1, &loaded));
  EXPECT_STREQ(kKey, loaded.domestic.app_key[0]);
  EXPECT_STREQ(kSecret, loaded.domestic.app_secret[0]);
  EXPECT_DOUBLE_EQ(4.25, loaded.min_take_profit);
  stock_option_s other;
  EXPECT_EQ(0, GfxLoadStockOption(Options(), 2, 1, &other));  // no STOCK_CFG row there
  EXPECT_EQ(1, GfxLoadStockOption(Options(), 1, 1, &other));

  sqlite3_close(options_);
  options_ = nullptr;
  ExpectNoClearKey(DiskBytes(), "after closing");
}

TEST_F(StockOptionStoreTest, ASealedKeyThatDoesNotOpenIsLeftOutWithAnError) {
  stock_option_s saved = WithKeys();
  ASSERT_EQ(0, GfxSaveStockOption(Options(), 1, 1, &saved, nullptr, nullptr));
  // A sealed value moved to another slot does not open there.
  Exec("UPDATE STOCK_CFG_VALUES SET value = (SELECT value FROM STOCK_CFG_VALUES WHERE "
       "name='acc.domestic.0.app_key') WHERE name='acc.domestic.1.app_key'");

  stock_option_s loaded;
  std::wcscpy(loaded.domestic.app_key[1], L"kept");
  EXPECT_EQ(kCryptAuthFailed, GfxLoadStockOption(Options(), 1, 1, &loaded));
  EXPECT_STREQ(L"kept", loaded.domestic.app_key[1]);
  EXPECT_STREQ(kKey, loaded.domestic.app_key[0]);
  EXPECT_DOUBLE_EQ(3.5, loaded.min_take_profit);
}

TEST_F(StockOptionStoreTest, WithoutAnInstallationSecretNothingIsWritten) {
  ASSERT_TRUE(SetCryptKeyCompany(""));  // no company key and no registry: no secret
  stock_option_s saved = WithKeys();
  EXPECT_EQ(SQLITE_AUTH, GfxSaveStockOption(Options(), 1, 1, &saved, nullptr, nullptr));
  EXPECT_EQ("", Query("SELECT 1 FROM STOCK_CFG"));
  EXPECT_EQ("", Query("SELECT 1 FROM STOCK_CFG_VALUES"));
  ExpectNoClearKey(FileBytes(), "after the failed save");
}

}  // namespace
}  // namespace orv::support::test
