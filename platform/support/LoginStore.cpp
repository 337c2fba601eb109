#include "platform/support/LoginStore.h"

#include <memory>

#include "platform/support/TextConv.h"

namespace {

struct StmtDeleter {
  void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, StmtDeleter>;

Stmt Prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
    sqlite3_finalize(stmt);
    return nullptr;
  }
  return Stmt(stmt);
}

bool Exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool EnsureLoginTable(sqlite3* db) {
  return Exec(db,
              "CREATE TABLE IF NOT EXISTS WX_LOGIN_SAVED (company_idx INTEGER NOT NULL, "
              "agency_idx INTEGER NOT NULL, user_id TEXT NOT NULL, reg_time INTEGER, "
              "auto_login INTEGER, login_flags INTEGER, market_kind INTEGER, user_idx INTEGER, "
              "key_text TEXT, secret_text TEXT, extra_text1 TEXT, extra_text2 TEXT, "
              "PRIMARY KEY (company_idx, agency_idx, user_id))");
}

bool EnsureCryptedTable(sqlite3* db) {
  return Exec(db,
              "CREATE TABLE IF NOT EXISTS WX_CRYPTED_DATA (kind INTEGER PRIMARY KEY, data BLOB, "
              "reg_time INTEGER)");
}

void BindText(sqlite3_stmt* stmt, int index, const wchar_t* text) {
  sqlite3_bind_text(stmt, index, WideToUtf8(text ? text : L"").c_str(), -1, SQLITE_TRANSIENT);
}

std::wstring ColumnText(sqlite3_stmt* stmt, int index) {
  const unsigned char* text = sqlite3_column_text(stmt, index);
  return text ? Utf8ToWide(reinterpret_cast<const char*>(text)) : std::wstring();
}

}  // namespace

int GfxSaveLoginCredentialToLoal(const app_run_setting_s*, sqlite3* db, time_t now, int companyIdx,
                                 int agencyIdx, int autoLogin, uint32_t loginFlags, int marketKind,
                                 int userIdx, const wchar_t* userId, const wchar_t* keyText,
                                 const wchar_t* secretText, const wchar_t* extraText1,
                                 const wchar_t* extraText2) {
  if (!db || !userId || !*userId || !EnsureLoginTable(db)) return 0;
  Stmt stmt = Prepare(db,
                      "INSERT OR REPLACE INTO WX_LOGIN_SAVED (company_idx, agency_idx, user_id, "
                      "reg_time, auto_login, login_flags, market_kind, user_idx, key_text, "
                      "secret_text, extra_text1, extra_text2) VALUES (?,?,?,?,?,?,?,?,?,?,?,?)");
  if (!stmt) return 0;
  sqlite3_stmt* s = stmt.get();
  sqlite3_bind_int(s, 1, companyIdx);
  sqlite3_bind_int(s, 2, agencyIdx);
  BindText(s, 3, userId);
  sqlite3_bind_int64(s, 4, static_cast<sqlite3_int64>(now));
  sqlite3_bind_int(s, 5, autoLogin);
  sqlite3_bind_int64(s, 6, loginFlags);
  sqlite3_bind_int(s, 7, marketKind);
  sqlite3_bind_int(s, 8, userIdx);
  BindText(s, 9, keyText);
  BindText(s, 10, secretText);
  BindText(s, 11, extraText1);
  BindText(s, 12, extraText2);
  return sqlite3_step(s) == SQLITE_DONE ? 1 : 0;
}

int GfxLoadSavedLogin(sqlite3* db, int companyIdx, int agencyIdx, const wchar_t* userId,
                      SavedLogin_s* out) {
  if (!db || !out || !EnsureLoginTable(db)) return 0;
  Stmt stmt = Prepare(db,
                      "SELECT reg_time, auto_login, login_flags, market_kind, user_idx, key_text, "
                      "secret_text, extra_text1, extra_text2 FROM WX_LOGIN_SAVED WHERE "
                      "company_idx=? AND agency_idx=? AND user_id=?");
  if (!stmt) return 0;
  sqlite3_stmt* s = stmt.get();
  sqlite3_bind_int(s, 1, companyIdx);
  sqlite3_bind_int(s, 2, agencyIdx);
  BindText(s, 3, userId);
  if (sqlite3_step(s) != SQLITE_ROW) return 0;
  out->companyIdx = companyIdx;
  out->agencyIdx = agencyIdx;
  out->userId = userId ? userId : L"";
  out->regTime = sqlite3_column_int64(s, 0);
  out->autoLogin = sqlite3_column_int(s, 1);
  out->loginFlags = static_cast<uint32_t>(sqlite3_column_int64(s, 2));
  out->marketKind = sqlite3_column_int(s, 3);
  out->userIdx = sqlite3_column_int(s, 4);
  out->keyText = ColumnText(s, 5);
  out->secretText = ColumnText(s, 6);
  out->extraText1 = ColumnText(s, 7);
  out->extraText2 = ColumnText(s, 8);
  return 1;
}

int GfxSaveCryptedDataToDbWithTimeA(sqlite3* db, int kind, const void* data, size_t length,
                                    time_t now) {
  if (!db || !EnsureCryptedTable(db)) return 0;
  Stmt stmt =
      Prepare(db, "INSERT OR REPLACE INTO WX_CRYPTED_DATA (kind, data, reg_time) VALUES (?,?,?)");
  if (!stmt) return 0;
  sqlite3_stmt* s = stmt.get();
  sqlite3_bind_int(s, 1, kind);
  sqlite3_bind_blob(s, 2, data ? data : "", data ? static_cast<int>(length) : 0, SQLITE_TRANSIENT);
  sqlite3_bind_int64(s, 3, static_cast<sqlite3_int64>(now));
  return sqlite3_step(s) == SQLITE_DONE ? 1 : 0;
}

int GfxLoadCryptedDataFromDb(sqlite3* db, int kind, std::string* data, int64_t* regTime) {
  if (!db || !EnsureCryptedTable(db)) return 0;
  Stmt stmt = Prepare(db, "SELECT data, reg_time FROM WX_CRYPTED_DATA WHERE kind=?");
  if (!stmt) return 0;
  sqlite3_bind_int(stmt.get(), 1, kind);
  if (sqlite3_step(stmt.get()) != SQLITE_ROW) return 0;
  if (data) {
    const void* blob = sqlite3_column_blob(stmt.get(), 0);
    data->assign(static_cast<const char*>(blob ? blob : ""),
                 static_cast<size_t>(sqlite3_column_bytes(stmt.get(), 0)));
  }
  if (regTime) *regTime = sqlite3_column_int64(stmt.get(), 1);
  return 1;
}
