#pragma once
// Loading the run settings from the catalogue's application row, and clearing them at exit.

#include <cstddef>

#include "shared/AppRunSetting.h"

struct sqlite3;

// Fills settings from the application row of the catalogue's application view whose code is
// "<project>-<kind>" (for the host "rede2-app"); a row whose file name is the exe name is
// preferred, then the lowest application index. Columns that are NULL leave their fields as
// they were. The company key and the settings folder are kept in the record. Returns 1 when a
// row was loaded, 0 when there is none, -1 when the catalogue cannot be read; errorText (when
// given) receives the reason on 0 and -1.
int GfxLoadProjectCode(sqlite3* db, const wchar_t* project, const wchar_t* companyKey,
                       const wchar_t* kind, const wchar_t* exeName, const wchar_t* settingsFolder,
                       app_run_setting_s* settings, wchar_t* errorText, size_t errorCapacity);

// Frees what the run settings own and returns every field to its default.
void GfxClearAppRunSettings(app_run_setting_s* settings);
