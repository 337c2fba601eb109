#include "platform/support/DatabaseCheck.h"

#include <sqlite3.h>

namespace {

bool IsDamage(int code) {
  const int primary = code & 0xff;
  return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

}  // namespace

bool DatabaseIsIntact(sqlite3* db, std::string* problem) {
  if (!db) return true;
  sqlite3_stmt* check = nullptr;
  bool intact = true;
  std::string words;
  int rc = sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &check, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_step(check);
  if (rc == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(check, 0);
    words = text ? reinterpret_cast<const char*>(text) : "";
    intact = words == "ok";
  } else if (IsDamage(sqlite3_extended_errcode(db))) {
    words = sqlite3_errmsg(db);
    intact = false;
  }
  sqlite3_finalize(check);
  if (!intact && problem) *problem = words;
  return intact;
}

bool DatabaseFileIsIntact(const std::string& path, std::string* problem) {
  sqlite3* db = nullptr;
  bool intact = true;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_busy_timeout(db, 2000);
    intact = DatabaseIsIntact(db, problem);
  }
  sqlite3_close_v2(db);
  return intact;
}
