#pragma once
// The settings dialog's checks and its save, without a window: the re-buy range check, the
// fee fractions, the accounts text, the chosen-conditions text, the derived values, the module
// flag word, the store into the catalogue and the countdown announced after a save; and the
// import of one account's keys from a text file.

#include <cstdint>
#include <string>
#include <vector>

#include "plugin/settings/SettingsRows.h"

struct sqlite3;
struct stock_option_s;

// The error text of a wrong re-buy range (A16 start, A17 end), or empty when it may be saved:
// wrong when either is below 0 and the end is not below the start.
std::wstring RebuyRangeError(int32_t start, int32_t end);

// The tax and the four fee percentages into their fractions.
void ApplyFeeFractions(stock_option_s* options);

// One line per account: "%d|%f|%s|%s|%s|%s|\n" with broker id, fee, login id, access key,
// secret key and alias for domestic accounts 1 to 4, the US and the European account; then
// "%d|%s\n" with the AI engine and key; then the two coin accounts.
std::wstring BuildAccountsText(const stock_option_s& options);

// The seconds announced before the auto-buy settings apply: with e whole seconds since
// `stamp`, 8 - e when e is below 6, else 1.
int SaveCountdownSeconds(uint32_t nowTick, uint32_t stamp);

// The save's texts.
extern const wchar_t kCannotSaveText[];  // "Cannot Save to DB"

// Stores the configuration: the chosen buy conditions (from the selectors' shown texts, one per
// configured set; a set that repeats an earlier set's condition becomes -1), the reference
// codes, the derived values and the module flag word from the dialog's values, then the whole
// record through the support library. Returns 1 when stored; 0 with no database (message
// "Cannot Save to DB") or when the store failed (its code in the message). The modified flag
// is cleared only when the record was stored. Stored condition names are kept when no
// condition set is configured, and the chosen sell conditions are never touched.
int SaveStockCfgToDb(sqlite3* db, stock_option_s* options, const StockCfgValues& values,
                     const std::vector<std::wstring>& selectorTexts, const std::wstring& accounts,
                     std::wstring* message, int* length);

// Reads one account from a text file: its non-empty lines, trimmed, are the login id, the
// access key, the secret key and the alias, in this order (each cut to 100 characters).
// Returns how many values were found (0 when the file cannot be read).
int ParseLoginIdAndPasswordFile(const std::string& utf8Path, std::wstring values[4]);

// Copies imported values into an account's fields (cut to their widths) and sets the modified
// flag; with fewer than two values nothing changes and false is returned. The alias is only
// written when the account has one and the file gave it.
bool ApplyImportedAccount(stock_option_s* options, int account, const std::wstring values[4],
                          int count);
