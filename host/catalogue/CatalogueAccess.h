#pragma once
// What start-up needs of the catalogue databases: open and migrate them, load the run settings
// of the application row, clear them at exit. The program plugs in the catalogue code; tests
// plug in their own.

#include <memory>
#include <string>

#include "shared/AppRunSetting.h"

struct sqlite3;

namespace orv::host {

class CatalogueAccess {
 public:
  virtual ~CatalogueAccess() = default;
  // Opens and migrates an existing database file; 1 when the connection opened, else 0.
  virtual int OpenCatalogue(sqlite3** db, const std::string& path) = 0;
  virtual int OpenData(sqlite3** db, const std::string& path) = 0;
  // Fills the run settings from the application row of project "rede2", kind "app"; 1 when a
  // row was loaded, 0 or -1 otherwise (with a reason in errorText).
  virtual int LoadProjectCode(sqlite3* db, const std::string& companyKey,
                              const std::string& exeName, const std::string& settingsFolder,
                              app_run_setting_s* settings, std::string& errorText) = 0;
  virtual void ClearRunSettings(app_run_setting_s* settings) = 0;
};

// The program's catalogue code (defined where the catalogue is built).
std::unique_ptr<CatalogueAccess> MakeCatalogueAccess();

}  // namespace orv::host
