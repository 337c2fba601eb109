// The catalogue code the program starts with: the catalogue module's open-and-migrate
// functions and the run-settings loader.
#include <sqlite3.h>

#include "host/CatalogueAccess.h"
#include "host/CatalogueDb.h"
#include "host/RunSettingsLoader.h"
#include "platform/support/TextConv.h"

namespace orv::host {
namespace {

class ProgramCatalogue : public CatalogueAccess {
 public:
  int OpenCatalogue(sqlite3** db, const std::string& path) override {
    return OpenCatalogueDb(db, Utf8ToWide(path));
  }
  int OpenData(sqlite3** db, const std::string& path) override {
    return OpenDataDb(db, Utf8ToWide(path));
  }
  int LoadProjectCode(sqlite3* db, const std::string& companyKey, const std::string& exeName,
                      const std::string& settingsFolder, app_run_setting_s* settings,
                      std::string& errorText) override {
    wchar_t error[512] = {};
    const int rc = GfxLoadProjectCode(db, L"rede2", Utf8ToWide(companyKey).c_str(), L"app",
                                      Utf8ToWide(exeName).c_str(),
                                      Utf8ToWide(settingsFolder).c_str(), settings, error,
                                      sizeof(error) / sizeof(error[0]));
    if (rc != 1) errorText = WideToUtf8(error);
    return rc;
  }
  void ClearRunSettings(app_run_setting_s* settings) override { GfxClearAppRunSettings(settings); }
};

}  // namespace

std::unique_ptr<CatalogueAccess> MakeCatalogueAccess() {
  return std::make_unique<ProgramCatalogue>();
}

}  // namespace orv::host
