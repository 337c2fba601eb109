// The catalogue code the program starts with. Opening and migrating the databases and loading
// the application row belong to the catalogue module; until it is linked here the databases
// are only opened, no application row is found, and start-up reports "Cannot load App
// Settings.".
#include <sqlite3.h>

#include "host/CatalogueAccess.h"

namespace orv::host {
namespace {

int OpenExisting(sqlite3** db, const std::string& path) {
  sqlite3_close_v2(*db);
  *db = nullptr;
  if (sqlite3_open_v2(path.c_str(), db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) return 1;
  sqlite3_close_v2(*db);
  *db = nullptr;
  return 0;
}

class ProgramCatalogue : public CatalogueAccess {
 public:
  int OpenCatalogue(sqlite3** db, const std::string& path) override {
    return OpenExisting(db, path);
  }
  int OpenData(sqlite3** db, const std::string& path) override { return OpenExisting(db, path); }
  int LoadProjectCode(sqlite3*, const std::string&, const std::string&, const std::string&,
                      app_run_setting_s*, std::string& errorText) override {
    errorText = "the catalogue module is not linked";
    return 0;
  }
  void ClearRunSettings(app_run_setting_s* settings) override { *settings = app_run_setting_s{}; }
};

}  // namespace

std::unique_ptr<CatalogueAccess> MakeCatalogueAccess() {
  return std::make_unique<ProgramCatalogue>();
}

}  // namespace orv::host
