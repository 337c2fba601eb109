#pragma once
// A temporary program folder with a "Settings" folder, and helpers to inspect a catalogue.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

class CatalogueFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("orv_catalogue_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "Settings");
  }
  void TearDown() override {
    if (db_ != nullptr) sqlite3_close_v2(db_);
    fs::remove_all(root_);
  }

  fs::path SettingsFolder() const { return root_ / "Settings"; }
  fs::path CataloguePath() const { return SettingsFolder() / "app-settings.db"; }

  // The catalogue the build ships, copied into the settings folder.
  fs::path CopySeed() {
    fs::copy_file(fs::path(ORV_BINARY_DIR) / "seed" / "app-settings.db", CataloguePath(),
                  fs::copy_options::overwrite_existing);
    return CataloguePath();
  }

  static void TouchEmpty(const fs::path& file) { std::ofstream{file}; }

  static void Exec(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
        << (error ? error : "") << "\n"
        << sql;
  }

  // (type, name, sql) of every object, in a stable order.
  static std::vector<std::string> Schema(sqlite3* db) {
    std::vector<std::string> rows;
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "select type, name, sql from sqlite_master order by type, name", -1,
                       &stmt, nullptr);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      std::string row;
      for (int i = 0; i < 3; ++i) {
        const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
        row += std::string(t ? t : "") + "|";
      }
      rows.push_back(row);
    }
    sqlite3_finalize(stmt);
    return rows;
  }

  static std::string QueryText(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    std::string out;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW) {
      const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
      out = t ? t : "";
    }
    sqlite3_finalize(stmt);
    return out;
  }

  static bool HasColumn(sqlite3* db, const std::string& table, const std::string& column) {
    return !QueryText(db, "select name from pragma_table_info('" + table + "') where name='" +
                              column + "'")
                .empty();
  }

  static bool HasObject(sqlite3* db, const std::string& name) {
    return !QueryText(db, "select name from sqlite_master where name='" + name + "'").empty();
  }

  static std::string ReadFile(const fs::path& file) {
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  fs::path root_;
  sqlite3* db_ = nullptr;
};
