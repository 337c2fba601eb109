#pragma once
// Whether an SQLite database is damaged: a file that is no database, or one whose pages are
// damaged, opens without complaint and fails only later, so the program checks first.

#include <string>

struct sqlite3;

// SQLite's quick check of an open connection: false, with SQLite's words in *problem (when
// given), only when the database is known to be damaged (no database, damaged pages). A check
// that cannot run for another reason (busy, locked, out of memory) is no finding: true.
bool DatabaseIsIntact(sqlite3* db, std::string* problem);

// The same for a database file, opened read-only for the check (nothing is created or changed).
// A file that cannot be opened at all (missing, no permission) is no finding either: the caller's
// own open reports that.
bool DatabaseFileIsIntact(const std::string& path, std::string* problem);
