#pragma once
// Whether an SQLite database can be trusted with data: a file that is no database, or one whose
// pages are damaged, opens without complaint and fails only later, so the program checks first.

#include <string>

struct sqlite3;

// SQLite's quick check of an open connection: true when it answers "ok"; otherwise false with
// SQLite's words in *problem (when given).
bool DatabaseIsIntact(sqlite3* db, std::string* problem);

// The same for a database file, opened read-only for the check (nothing is created or changed).
bool DatabaseFileIsIntact(const std::string& path, std::string* problem);
