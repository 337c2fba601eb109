#pragma once
// Loading and saving the trading configuration (stock_option_s) in the catalogue database.
//
// The row of STOCK_CFG keyed by (application index, site index) says whether a configuration
// exists and holds the values that have a column there (split-sell amount in won, dollar rate).
// Every other field, the broker account items among them, is kept by name in the companion
// table STOCK_CFG_VALUES (made when missing), so a save followed by a load gives back the
// whole record.

struct sqlite3;
struct stock_option_s;

// Reads the configuration of (appIdx, siteIdx) into `option`. Fields without a stored value
// keep what `option` holds. Returns 1 when a STOCK_CFG row was read, 0 when there is none
// (nothing changed), -1 on a database error or a null argument.
int GfxLoadStockOption(sqlite3* db, int appIdx, int siteIdx, stock_option_s* option);

// Writes the whole configuration (STOCK_CFG row and every named value) in one transaction.
// `text` and `outLen` are accepted for the callers' argument lists and not used. Returns 0 on
// success, else the SQLite result code (8: the database is read-only); on failure nothing is
// written.
int GfxSaveStockOption(sqlite3* db, int appIdx, int siteIdx, const stock_option_s* option,
                       const wchar_t* text, int* outLen);

// Writes only the broker account items (ids, instances, accounts, names, keys). Same results
// as GfxSaveStockOption.
int GfxSaveStockAccItemsInfo(sqlite3* db, int appIdx, int siteIdx, const stock_option_s* option);

// Resets the configuration to the values of a new record. `mode` is accepted for the callers'
// argument lists.
void GfxClearStockOption(stock_option_s* option, int mode);

// Opens the catalogue database at `utf8Path` for the plug-in's own use (WAL journal,
// synchronous NORMAL, 5 s busy wait). Null when the file is missing or cannot be opened.
sqlite3* GfxOpenOptionsDb(const char* utf8Path);
