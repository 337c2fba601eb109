#include "platform/support/LoginStore.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/support/Encryption.h"
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

// True when `table` has the column `column`.
bool HasColumn(sqlite3* db, const char* table, const char* column) {
  Stmt stmt = Prepare(db, "SELECT 1 FROM pragma_table_info(?) WHERE name=?");
  if (!stmt) return false;
  sqlite3_bind_text(stmt.get(), 1, table, -1, SQLITE_STATIC);
  sqlite3_bind_text(stmt.get(), 2, column, -1, SQLITE_STATIC);
  return sqlite3_step(stmt.get()) == SQLITE_ROW;
}

// Tables made before their values were encrypted lack the crypt_ver column; their rows hold
// plain text and read as version 0.
bool EnsureCryptVersionColumn(sqlite3* db, const char* table) {
  if (HasColumn(db, table, "crypt_ver")) return true;
  const std::string sql = std::string("ALTER TABLE ") + table + " ADD COLUMN crypt_ver INTEGER";
  return Exec(db, sql.c_str());
}

bool EnsureLoginTable(sqlite3* db) {
  return Exec(db,
              "CREATE TABLE IF NOT EXISTS WX_LOGIN_SAVED (company_idx INTEGER NOT NULL, "
              "agency_idx INTEGER NOT NULL, user_id TEXT NOT NULL, reg_time INTEGER, "
              "auto_login INTEGER, login_flags INTEGER, market_kind INTEGER, user_idx INTEGER, "
              "key_text TEXT, secret_text TEXT, extra_text1 TEXT, extra_text2 TEXT, "
              "crypt_ver INTEGER, PRIMARY KEY (company_idx, agency_idx, user_id))") &&
         EnsureCryptVersionColumn(db, "WX_LOGIN_SAVED");
}

bool EnsureCryptedTable(sqlite3* db) {
  return Exec(db,
              "CREATE TABLE IF NOT EXISTS WX_CRYPTED_DATA (kind INTEGER PRIMARY KEY, data BLOB, "
              "reg_time INTEGER, crypt_ver INTEGER)") &&
         EnsureCryptVersionColumn(db, "WX_CRYPTED_DATA");
}

bool EnsureUserDataTable(sqlite3* db) {
  return Exec(db,
              "CREATE TABLE IF NOT EXISTS WX_USER_DATA (user_idx INTEGER NOT NULL, code TEXT NOT "
              "NULL, crypted_data TEXT, mod_date TEXT, PRIMARY KEY (user_idx, code))");
}

// Version of the values in a row: 0 plain text (rows written before encryption), 1 sealed.
constexpr int kPlainRow = 0;
constexpr int kSealedRow = 1;

// The four credential columns of a saved login, sealed each under its own key: the key's
// context names the column and the row's owner, so a value moved to another column, row or
// user does not open.
const char* const kLoginTextColumns[] = {"key_text", "secret_text", "extra_text1", "extra_text2"};
constexpr int kLoginTextCount = 4;

std::string LoginContext(const char* column, int companyIdx, int agencyIdx,
                         const std::string& userId) {
  return std::string("WX_LOGIN_SAVED\x1f") + column + '\x1f' + std::to_string(companyIdx) + '\x1f' +
         std::to_string(agencyIdx) + '\x1f' + userId;
}

std::string CryptedDataContext(int kind) { return "WX_CRYPTED_DATA\x1f" + std::to_string(kind); }

// Seals the four texts of a login; false (nothing sealed) when any of them fails.
int SealLoginTexts(int companyIdx, int agencyIdx, const std::string& userId,
                   const std::string (&plain)[kLoginTextCount],
                   std::string (&sealed)[kLoginTextCount]) {
  for (int i = 0; i < kLoginTextCount; ++i) {
    const int result = orv::support::SealText(
        LoginContext(kLoginTextColumns[i], companyIdx, agencyIdx, userId), plain[i], &sealed[i]);
    if (result != orv::support::kCryptOk) return result;
  }
  return orv::support::kCryptOk;
}

// Writes the sealed texts of an existing login row.
bool UpdateLoginTexts(sqlite3* db, int companyIdx, int agencyIdx, const std::string& userId,
                      const std::string (&sealed)[kLoginTextCount]) {
  Stmt stmt = Prepare(db,
                      "UPDATE WX_LOGIN_SAVED SET key_text=?, secret_text=?, extra_text1=?, "
                      "extra_text2=?, crypt_ver=? WHERE company_idx=? AND agency_idx=? AND "
                      "user_id=?");
  if (!stmt) return false;
  sqlite3_stmt* s = stmt.get();
  for (int i = 0; i < kLoginTextCount; ++i) {
    sqlite3_bind_text(s, i + 1, sealed[i].c_str(), -1, SQLITE_TRANSIENT);
  }
  sqlite3_bind_int(s, 5, kSealedRow);
  sqlite3_bind_int(s, 6, companyIdx);
  sqlite3_bind_int(s, 7, agencyIdx);
  sqlite3_bind_text(s, 8, userId.c_str(), -1, SQLITE_TRANSIENT);
  return sqlite3_step(s) == SQLITE_DONE;
}

std::string ColumnUtf8(sqlite3_stmt* stmt, int index) {
  const unsigned char* text = sqlite3_column_text(stmt, index);
  return text ? std::string(reinterpret_cast<const char*>(text),
                            static_cast<size_t>(sqlite3_column_bytes(stmt, index)))
              : std::string();
}

std::string ColumnBlob(sqlite3_stmt* stmt, int index) {
  const void* blob = sqlite3_column_blob(stmt, index);
  return std::string(static_cast<const char*>(blob ? blob : ""),
                     static_cast<size_t>(sqlite3_column_bytes(stmt, index)));
}

std::string Utf8(const wchar_t* text) { return WideToUtf8(text ? text : L""); }

}  // namespace

int GfxSaveLoginCredentialToLoal(const app_run_setting_s*, sqlite3* db, time_t now, int companyIdx,
                                 int agencyIdx, int autoLogin, uint32_t loginFlags, int marketKind,
                                 int userIdx, const wchar_t* userId, const wchar_t* keyText,
                                 const wchar_t* secretText, const wchar_t* extraText1,
                                 const wchar_t* extraText2) {
  if (!db || !userId || !*userId || !EnsureLoginTable(db)) return 0;
  const std::string user = Utf8(userId);
  const std::string plain[kLoginTextCount] = {Utf8(keyText), Utf8(secretText), Utf8(extraText1),
                                              Utf8(extraText2)};
  std::string sealed[kLoginTextCount];
  // Never falls back to plain text: without a key nothing is saved.
  if (SealLoginTexts(companyIdx, agencyIdx, user, plain, sealed) != orv::support::kCryptOk) {
    return 0;
  }
  Stmt stmt = Prepare(db,
                      "INSERT OR REPLACE INTO WX_LOGIN_SAVED (company_idx, agency_idx, user_id, "
                      "reg_time, auto_login, login_flags, market_kind, user_idx, key_text, "
                      "secret_text, extra_text1, extra_text2, crypt_ver) VALUES "
                      "(?,?,?,?,?,?,?,?,?,?,?,?,?)");
  if (!stmt) return 0;
  sqlite3_stmt* s = stmt.get();
  sqlite3_bind_int(s, 1, companyIdx);
  sqlite3_bind_int(s, 2, agencyIdx);
  sqlite3_bind_text(s, 3, user.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_int64(s, 4, static_cast<sqlite3_int64>(now));
  sqlite3_bind_int(s, 5, autoLogin);
  sqlite3_bind_int64(s, 6, loginFlags);
  sqlite3_bind_int(s, 7, marketKind);
  sqlite3_bind_int(s, 8, userIdx);
  for (int i = 0; i < kLoginTextCount; ++i) {
    sqlite3_bind_text(s, 9 + i, sealed[i].c_str(), -1, SQLITE_TRANSIENT);
  }
  sqlite3_bind_int(s, 13, kSealedRow);
  return sqlite3_step(s) == SQLITE_DONE ? 1 : 0;
}

int GfxLoadSavedLogin(sqlite3* db, int companyIdx, int agencyIdx, const wchar_t* userId,
                      SavedLogin_s* out) {
  if (!db || !out || !EnsureLoginTable(db)) return 0;
  const std::string user = Utf8(userId);
  Stmt stmt = Prepare(db,
                      "SELECT reg_time, auto_login, login_flags, market_kind, user_idx, key_text, "
                      "secret_text, extra_text1, extra_text2, crypt_ver FROM WX_LOGIN_SAVED WHERE "
                      "company_idx=? AND agency_idx=? AND user_id=?");
  if (!stmt) return 0;
  sqlite3_stmt* s = stmt.get();
  sqlite3_bind_int(s, 1, companyIdx);
  sqlite3_bind_int(s, 2, agencyIdx);
  sqlite3_bind_text(s, 3, user.c_str(), -1, SQLITE_TRANSIENT);
  if (sqlite3_step(s) != SQLITE_ROW) return 0;
  const int version = sqlite3_column_int(s, 9);  // NULL in rows from before: plain text
  std::string stored[kLoginTextCount];
  for (int i = 0; i < kLoginTextCount; ++i) stored[i] = ColumnUtf8(s, 5 + i);

  std::string plain[kLoginTextCount];
  if (version == kSealedRow) {
    for (int i = 0; i < kLoginTextCount; ++i) {
      const int result = orv::support::OpenText(
          LoginContext(kLoginTextColumns[i], companyIdx, agencyIdx, user), stored[i], &plain[i]);
      if (result != orv::support::kCryptOk) return result;
    }
  } else if (version == kPlainRow) {
    for (int i = 0; i < kLoginTextCount; ++i) plain[i] = stored[i];
  } else {
    return orv::support::kCryptBadFormat;  // written by a newer program
  }

  SavedLogin_s login;
  login.companyIdx = companyIdx;
  login.agencyIdx = agencyIdx;
  login.userId = userId ? userId : L"";
  login.regTime = sqlite3_column_int64(s, 0);
  login.autoLogin = sqlite3_column_int(s, 1);
  login.loginFlags = static_cast<uint32_t>(sqlite3_column_int64(s, 2));
  login.marketKind = sqlite3_column_int(s, 3);
  login.userIdx = sqlite3_column_int(s, 4);
  login.keyText = Utf8ToWide(plain[0]);
  login.secretText = Utf8ToWide(plain[1]);
  login.extraText1 = Utf8ToWide(plain[2]);
  login.extraText2 = Utf8ToWide(plain[3]);
  stmt.reset();

  // A plain-text row is sealed in place once it has been read; when that fails it stays as it
  // was and is tried again at the next read.
  std::string sealed[kLoginTextCount];
  if (version == kPlainRow &&
      SealLoginTexts(companyIdx, agencyIdx, user, plain, sealed) == orv::support::kCryptOk) {
    UpdateLoginTexts(db, companyIdx, agencyIdx, user, sealed);
  }
  *out = std::move(login);
  return 1;
}

int GfxSaveCryptedDataToDbWithTimeA(sqlite3* db, int kind, const void* data, size_t length,
                                    time_t now) {
  if (!db || !EnsureCryptedTable(db)) return 0;
  // An empty record (the stored login forgotten) holds nothing secret and needs no key.
  std::string stored;
  int version = kPlainRow;
  if (data && length > 0) {
    if (orv::support::SealText(CryptedDataContext(kind),
                               std::string_view(static_cast<const char*>(data), length),
                               &stored) != orv::support::kCryptOk) {
      return 0;
    }
    version = kSealedRow;
  }
  Stmt stmt =
      Prepare(db,
              "INSERT OR REPLACE INTO WX_CRYPTED_DATA (kind, data, reg_time, crypt_ver) VALUES "
              "(?,?,?,?)");
  if (!stmt) return 0;
  sqlite3_stmt* s = stmt.get();
  sqlite3_bind_int(s, 1, kind);
  sqlite3_bind_blob(s, 2, stored.data(), static_cast<int>(stored.size()), SQLITE_TRANSIENT);
  sqlite3_bind_int64(s, 3, static_cast<sqlite3_int64>(now));
  sqlite3_bind_int(s, 4, version);
  return sqlite3_step(s) == SQLITE_DONE ? 1 : 0;
}

int GfxLoadCryptedDataFromDb(sqlite3* db, int kind, std::string* data, int64_t* regTime) {
  if (!db || !EnsureCryptedTable(db)) return 0;
  Stmt stmt = Prepare(db, "SELECT data, reg_time, crypt_ver FROM WX_CRYPTED_DATA WHERE kind=?");
  if (!stmt) return 0;
  sqlite3_bind_int(stmt.get(), 1, kind);
  if (sqlite3_step(stmt.get()) != SQLITE_ROW) return 0;
  const std::string stored = ColumnBlob(stmt.get(), 0);
  const int64_t time = sqlite3_column_int64(stmt.get(), 1);
  const int version = sqlite3_column_int(stmt.get(), 2);
  stmt.reset();

  std::string plain;
  if (version == kSealedRow) {
    const int result = orv::support::OpenText(CryptedDataContext(kind), stored, &plain);
    if (result != orv::support::kCryptOk) return result;
  } else if (version == kPlainRow) {
    plain = stored;
    // A plain record from before is sealed in place, keeping its time.
    if (!plain.empty()) GfxSaveCryptedDataToDbWithTimeA(db, kind, plain.data(), plain.size(), time);
  } else {
    return orv::support::kCryptBadFormat;
  }
  if (data) *data = std::move(plain);
  if (regTime) *regTime = time;
  return 1;
}

namespace {

std::string FormatTimeStamp(const SYSTEMTIME& time) {
  char text[64];
  std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u.%03u", time.wYear, time.wMonth,
                time.wDay, time.wHour, time.wMinute, time.wSecond, time.wMilliseconds);
  return text;
}

SYSTEMTIME ParseTimeStamp(const char* text) {
  SYSTEMTIME time;
  unsigned values[7] = {};
  if (text && std::sscanf(text, "%u-%u-%u %u:%u:%u.%u", &values[0], &values[1], &values[2],
                          &values[3], &values[4], &values[5], &values[6]) >= 3) {
    time.wYear = static_cast<WORD>(values[0]);
    time.wMonth = static_cast<WORD>(values[1]);
    time.wDay = static_cast<WORD>(values[2]);
    time.wHour = static_cast<WORD>(values[3]);
    time.wMinute = static_cast<WORD>(values[4]);
    time.wSecond = static_cast<WORD>(values[5]);
    time.wMilliseconds = static_cast<WORD>(values[6]);
  }
  return time;
}

}  // namespace

int GfxSaveCryptedData(sqlite3* db, const char* name, int userIdx, const char* cryptedText,
                       const SYSTEMTIME* timeStamp) {
  if (!db || !name || !*name || !cryptedText || !timeStamp || !EnsureUserDataTable(db)) return 0;
  Stmt stmt = Prepare(db,
                      "INSERT OR REPLACE INTO WX_USER_DATA (user_idx, code, crypted_data, "
                      "mod_date) VALUES (?,?,?,?)");
  if (!stmt) return 0;
  sqlite3_stmt* s = stmt.get();
  sqlite3_bind_int(s, 1, userIdx);
  sqlite3_bind_text(s, 2, name, -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(s, 3, cryptedText, -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(s, 4, FormatTimeStamp(*timeStamp).c_str(), -1, SQLITE_TRANSIENT);
  return sqlite3_step(s) == SQLITE_DONE ? 1 : 0;
}

int GfxLoadCryptedData(sqlite3* db, const char* name, int userIdx, char** cryptedText,
                       SYSTEMTIME* timeStamp) {
  if (!db || !name || !cryptedText || !EnsureUserDataTable(db)) return 0;
  Stmt stmt =
      Prepare(db, "SELECT crypted_data, mod_date FROM WX_USER_DATA WHERE user_idx=? AND code=?");
  if (!stmt) return 0;
  sqlite3_bind_int(stmt.get(), 1, userIdx);
  sqlite3_bind_text(stmt.get(), 2, name, -1, SQLITE_TRANSIENT);
  if (sqlite3_step(stmt.get()) != SQLITE_ROW) return 0;
  const std::string text = ColumnUtf8(stmt.get(), 0);
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (!copy) return 0;
  std::memcpy(copy, text.c_str(), text.size() + 1);
  *cryptedText = copy;
  if (timeStamp) {
    *timeStamp = ParseTimeStamp(reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 1)));
  }
  return 1;
}
