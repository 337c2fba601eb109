#pragma once
// The plug-in's local login records in its SQLite database: the last successful login of each
// (company, agency, user id), and the stored encrypted records by kind. Statements are
// prepared with bound values; the tables are made when missing.

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

struct app_run_setting_s;

// One saved login (table WX_LOGIN_SAVED).
struct SavedLogin_s {
  int64_t regTime = 0;  // seconds since the epoch
  int32_t companyIdx = 0;
  int32_t agencyIdx = 0;
  int32_t autoLogin = 0;
  uint32_t loginFlags = 0;
  int32_t marketKind = 0;
  int32_t userIdx = 0;
  std::wstring userId;
  std::wstring keyText;
  std::wstring secretText;
  std::wstring extraText1;
  std::wstring extraText2;
};

// Saves (replaces) the login of (company, agency, user id). The run settings are accepted for
// the record's owner and not stored. Returns 1 when saved, 0 on a database error or without a
// database or user id.
int GfxSaveLoginCredentialToLoal(const app_run_setting_s* runSetting, sqlite3* db, time_t now,
                                 int companyIdx, int agencyIdx, int autoLogin, uint32_t loginFlags,
                                 int marketKind, int userIdx, const wchar_t* userId,
                                 const wchar_t* keyText, const wchar_t* secretText,
                                 const wchar_t* extraText1, const wchar_t* extraText2);
// Reads the saved login of (company, agency, user id); 1 when found, 0 otherwise.
int GfxLoadSavedLogin(sqlite3* db, int companyIdx, int agencyIdx, const wchar_t* userId,
                      SavedLogin_s* out);

// Stores (replaces) the record of a kind with its time (table WX_CRYPTED_DATA); an empty or
// null block stores an empty record. Returns 1 when stored, 0 otherwise.
int GfxSaveCryptedDataToDbWithTimeA(sqlite3* db, int kind, const void* data, size_t length,
                                    time_t now);
// Reads the record of a kind; 1 when found (data and time filled), 0 otherwise.
int GfxLoadCryptedDataFromDb(sqlite3* db, int kind, std::string* data, int64_t* regTime);
