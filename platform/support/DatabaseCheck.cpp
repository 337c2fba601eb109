#include "platform/support/DatabaseCheck.h"

#include <sqlite3.h>

bool DatabaseIsIntact(sqlite3* db, std::string* problem) {
  std::string result = "no connection";
  if (db) {
    sqlite3_stmt* check = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &check, nullptr) == SQLITE_OK &&
        sqlite3_step(check) == SQLITE_ROW) {
      const unsigned char* text = sqlite3_column_text(check, 0);
      result = text ? reinterpret_cast<const char*>(text) : "";
    } else {
      result = sqlite3_errmsg(db);
    }
    sqlite3_finalize(check);
  }
  if (result == "ok") return true;
  if (problem) *problem = result;
  return false;
}

bool DatabaseFileIsIntact(const std::string& path, std::string* problem) {
  sqlite3* db = nullptr;
  bool intact = false;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    intact = DatabaseIsIntact(db, problem);
  } else if (problem) {
    *problem = db ? sqlite3_errmsg(db) : "cannot open";
  }
  sqlite3_close_v2(db);
  return intact;
}
