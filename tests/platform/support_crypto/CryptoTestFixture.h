#pragma once
// A temporary configuration folder with its own installation secret, and a database in it.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "platform/support/Encryption.h"
#include "platform/win/Registry.h"
#include "tests/platform/win/TestFolders.h"

namespace orv::support::test {

constexpr char kTestCompany[] = "OrvCryptTest";

class CryptoFixture : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.Path().empty());
    ASSERT_TRUE(SetCryptKeyCompany(kTestCompany));
  }
  void TearDown() override {
    CloseDb();
    SetCryptKeyCompany("");
  }

  std::string ConfigFolder() const { return folder_.Path() + "/config"; }
  std::string KeyPath() const { return ConfigFolder() + "/" + kTestCompany + "/crypt.key"; }
  std::string DbPath() const { return folder_.Path() + "/plugin.db"; }

  sqlite3* OpenDb() {
    if (!db_) {
      EXPECT_EQ(SQLITE_OK, sqlite3_open(DbPath().c_str(), &db_));
    }
    return db_;
  }
  void CloseDb() {
    if (db_) sqlite3_close(db_);
    db_ = nullptr;
  }
  void Exec(const std::string& sql) {
    char* error = nullptr;
    EXPECT_EQ(SQLITE_OK, sqlite3_exec(OpenDb(), sql.c_str(), nullptr, nullptr, &error))
        << (error ? error : "") << " in " << sql;
    sqlite3_free(error);
  }
  // The first column of the first row of a query, as text ("<null>" for NULL, "" for no row).
  std::string Query(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    std::string value;
    if (sqlite3_prepare_v2(OpenDb(), sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW) {
      const unsigned char* text = sqlite3_column_text(stmt, 0);
      value = text ? std::string(reinterpret_cast<const char*>(text),
                                 static_cast<size_t>(sqlite3_column_bytes(stmt, 0)))
                   : "<null>";
    }
    sqlite3_finalize(stmt);
    return value;
  }
  // Every byte the database keeps on disk, the journal files included.
  std::string DiskBytes() {
    CloseDb();
    return win::test::ReadText(DbPath()) + win::test::ReadText(DbPath() + "-wal") +
           win::test::ReadText(DbPath() + "-journal");
  }

  win::test::TempFolder folder_;
  win::test::EnvVar config_{"XDG_CONFIG_HOME", folder_.Path() + "/config"};
  sqlite3* db_ = nullptr;
};

}  // namespace orv::support::test
