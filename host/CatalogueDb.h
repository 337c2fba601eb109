#pragma once
// Opening and bringing up to date the host's two local databases in the settings folder: the
// catalogue ("app-settings.db": applications, sites, menus, modules, texts by language, the
// trading configuration) and the data database ("data.db": the work-issue tables).

#include <string>

struct sqlite3;

namespace orv::host {

// Opens the catalogue, which must already exist, read-write with shared cache, and migrates
// it: columns that later versions added, then every table and view that is missing. An open
// connection in *db is closed first. Returns 1 when the connection opened (whatever the later
// statements did), 0 when the path is empty or the open fails (*db is then null).
int OpenCatalogueDb(sqlite3** db, const std::wstring& path);

// Opens the existing data database read-write and migrates its work-issue tables and view.
// Same contract as OpenCatalogueDb.
int OpenDataDb(sqlite3** db, const std::wstring& path);

// Runs every statement of script on its own, so that one failing statement (a column that
// already exists, a table that does not yet) does not stop the rest. Returns how many failed.
int ExecEachStatement(sqlite3* db, const char* script);

// The probe of the application view: 1 when the view prepares, gives a row and none of the
// integer columns it checks holds -1; 0 otherwise (the view is then due to be rebuilt).
int ProbeSiteAppListView(sqlite3* db);

}  // namespace orv::host
