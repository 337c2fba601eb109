#pragma once
// Loading and saving the trading configuration (stock_option_s) in the catalogue database.
//
// The row of STOCK_CFG keyed by (application index, site index) says whether a configuration
// exists and holds the values that have a column there (split-sell amount in won, dollar rate).
// Every other field, the broker account items among them, is kept by name in the companion
// table STOCK_CFG_VALUES (made when missing), so a save followed by a load gives back the
// whole record.
//
// The broker app keys and secrets never reach the file in clear: each is sealed (Encryption.h)
// under a key bound to its configuration and field name, and marked by crypt_ver = 1. Values an
// earlier version stored in clear are sealed when the database is opened, and the clear text is
// wiped from the file and its write-ahead log.

struct sqlite3;
struct stock_option_s;

// Reads the configuration of (appIdx, siteIdx) into `option`. Fields without a stored value
// keep what `option` holds. Returns 1 when a STOCK_CFG row was read, 0 when there is none
// (nothing changed), -1 on a database error or a null argument. A sealed key that does not
// open (tampered with, or sealed by another installation) leaves its field as it was; every
// other value is read and the result is that negative code of Encryption.h (below -1).
int GfxLoadStockOption(sqlite3* db, int appIdx, int siteIdx, stock_option_s* option);

// Writes the whole configuration (STOCK_CFG row and every named value) in one transaction.
// `text` is accepted for the callers' argument lists and not used; `outLen`, when given,
// receives the number of named values written (0 on failure). Returns 0 on
// success, else the SQLite result code (8: the database is read-only; 23, SQLITE_AUTH: the keys
// cannot be sealed, as the installation secret is missing); on failure nothing is written.
int GfxSaveStockOption(sqlite3* db, int appIdx, int siteIdx, const stock_option_s* option,
                       const wchar_t* text, int* outLen);

// Writes only the broker account items (ids, instances, accounts, names, keys). Same results
// as GfxSaveStockOption.
int GfxSaveStockAccItemsInfo(sqlite3* db, int appIdx, int siteIdx, const stock_option_s* option);

// Resets the configuration to the values of a new record. `mode` is accepted for the callers'
// argument lists.
void GfxClearStockOption(stock_option_s* option, int mode);

// Opens the catalogue database at `utf8Path` for the plug-in's own use (WAL journal,
// synchronous NORMAL, secure delete, 5 s busy wait) and seals the keys an earlier version kept
// in clear. Null when the file is missing or cannot be opened.
sqlite3* GfxOpenOptionsDb(const char* utf8Path);
