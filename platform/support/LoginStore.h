#pragma once
// The plug-in's local login records in its SQLite database: the last successful login of each
// (company, agency, user id), the stored login records by kind, and the users' encrypted data
// by name. Statements are prepared with bound values; the tables are made when missing.
//
// Secrets never reach the file in clear: the key, secret and extra texts of a login and the
// records by kind are sealed (Encryption.h) under keys bound to their row (and user). Rows
// written before sealing existed (crypt_ver NULL) are read as plain text once and sealed in
// place. A sealed value that does not open (tampered with, or another installation's key) makes
// the read fail with a negative code of Encryption.h; nothing is returned or overwritten.

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include "platform/win/WinTypes.h"

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

// Saves (replaces) the login of (company, agency, user id), its texts sealed. The run settings
// are accepted for the record's owner and not stored. Returns 1 when saved, 0 on a database
// error, without a database or user id, or when the texts cannot be sealed (then nothing is
// written).
int GfxSaveLoginCredentialToLoal(const app_run_setting_s* runSetting, sqlite3* db, time_t now,
                                 int companyIdx, int agencyIdx, int autoLogin, uint32_t loginFlags,
                                 int marketKind, int userIdx, const wchar_t* userId,
                                 const wchar_t* keyText, const wchar_t* secretText,
                                 const wchar_t* extraText1, const wchar_t* extraText2);
// Reads the saved login of (company, agency, user id): 1 when found (out filled), 0 when there
// is none, a negative code of Encryption.h when its texts do not open (out untouched).
int GfxLoadSavedLogin(sqlite3* db, int companyIdx, int agencyIdx, const wchar_t* userId,
                      SavedLogin_s* out);

// Stores (replaces) the record of a kind with its time (table WX_CRYPTED_DATA), sealed; an
// empty or null block stores an empty record. Returns 1 when stored, 0 otherwise (nothing
// written).
int GfxSaveCryptedDataToDbWithTimeA(sqlite3* db, int kind, const void* data, size_t length,
                                    time_t now);
// Reads the record of a kind: 1 when found (data and time filled), 0 when there is none, a
// negative code of Encryption.h when it does not open (outputs untouched).
int GfxLoadCryptedDataFromDb(sqlite3* db, int kind, std::string* data, int64_t* regTime);

// Stores (replaces) a user's encrypted text by name with its time stamp (table WX_USER_DATA;
// the text is kept as given: it is already encrypted, e.g. by GfxCipherEncrypt2A). 1 when
// stored, 0 otherwise.
int GfxSaveCryptedData(sqlite3* db, const char* name, int userIdx, const char* cryptedText,
                       const SYSTEMTIME* timeStamp);
// Reads a user's encrypted text by name: 1 when found, with a new heap text in *cryptedText
// that the caller frees with free() and the time stamp; 0 otherwise (outputs untouched).
int GfxLoadCryptedData(sqlite3* db, const char* name, int userIdx, char** cryptedText,
                       SYSTEMTIME* timeStamp);
