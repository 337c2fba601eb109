#pragma once
// The credential vault's plain-text table: one entry per line (lines end with a line feed),
// sixteen fields per line separated by tabs: code, project/title, kind (a number), IP or host,
// port, database name, shop account, user account, password, access key, secret key, token,
// return URL, start date, expiry date and description. A line break inside a description is
// kept as a carriage return, so an entry stays on one line.
//
// Read into rows for the vault's grid: consecutive entries with the same code and title form a
// group, and after each group a blank row carrying its code and title is where the user adds
// the group's next entry.

#include <string>
#include <string_view>
#include <vector>

#include "platform/win/WinTypes.h"

// Entry kinds (the "구분" column) as an option list: value and label.
extern const wchar_t kSecretKindOptions[];
constexpr int kSecretKindMax = 7;

// The vault grid's layout string.
extern const wchar_t kSecretGridLayout[];

struct SecretEntry_s {
  enum Field : int {
    kCode,
    kTitle,
    kKind,
    kIp,
    kPort,
    kDbName,
    kShopAccount,
    kUserAccount,
    kPassword,
    kAccessKey,
    kSecretKey,
    kToken,
    kReturnUrl,
    kStartDate,
    kExpiryDate,
    kDescription,
    kFieldCount
  };
  int number = 0;  // the row number, from 1
  std::wstring code, title;
  int kind = 0;
  std::wstring ip, port, dbName, shopAccount, userAccount, password, accessKey, secretKey, token,
      returnUrl;
  bool hasStart = false;
  SYSTEMTIME start{};
  bool hasExpiry = false;
  SYSTEMTIME expiry{};
  // Line breaks as "\r\n".
  std::wstring description;

  // True when nothing but the code, title and kind is filled in: such a row is a group's blank
  // row and is neither shown as an entry nor written.
  bool IsBlank() const;
};

// The rows of a table text (UTF-8): entries numbered from 1, the groups' blank rows, then
// `blankRows` fully blank rows. `entryCount` (when given) receives the number of entries.
// `newEntryRow` (when given) receives the index of the last blank row added (-1: none).
std::vector<SecretEntry_s> ParseSecretTable(std::string_view text, int blankRows,
                                            int* entryCount = nullptr,
                                            int* newEntryRow = nullptr);

// The table text of the rows (blank rows left out). Tabs and line feeds inside a field would
// split it: tabs become spaces, and line breaks in the description become carriage returns.
std::string WriteSecretTable(const std::vector<SecretEntry_s>& rows);

// A date as the table writes it ("yyyy-mm-dd"), and read back (false: none or invalid).
std::wstring FormatSecretDate(const SYSTEMTIME& date);
bool ParseSecretDate(std::string_view text, SYSTEMTIME* date);
