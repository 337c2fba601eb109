#include "tests/host_frame/FrameFixture.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/debug.h>
#include <wx/image.h>
#include <wx/utils.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "host/app/VarqoMainApp.h"
#include "host/catalogue/CatalogueAccess.h"
#include "host/frame/MainFrame.h"
#include "platform/win/MessageBox.h"
#include "tests/probe/ProbeHarness.h"

namespace fs = std::filesystem;

namespace orv::test {

StartedHost& StartedHost::Get() {
  static StartedHost* host = new StartedHost();
  return *host;
}

StartedHost::StartedHost() {
  EnsureWxApp();
  // A toolkit assertion fails the test instead of waiting in a dialog.
  wxSetAssertHandler([](const wxString& file, int line, const wxString& func, const wxString& cond,
                        const wxString& msg) {
    ADD_FAILURE() << "wx assertion " << cond.utf8_string() << " in " << func.utf8_string() << " ("
                  << file.utf8_string() << ":" << line << "): " << msg.utf8_string();
  });
  wxInitAllImageHandlers();
  const orv::test::StagedHostFolders folders = orv::test::StageHostFolders("orv-frame");
  root_ = folders.root;
  programFolder_ = folders.program;
  fs::copy_file(std::string(ORV_SOURCE_DIR) + "/res/start.png", programFolder_ + "res/start.png");

  orv::win::ScriptMessageBoxes({});
  app_ = std::make_unique<CVarqoMainApp>(programFolder_ + "orvella");
  app_->SetCatalogueAccess(orv::host::MakeCatalogueAccess());
  const char* argv[] = {"orvella"};
  if (!app_->InitInstance(1, argv)) {
    ADD_FAILURE() << "start-up failed";
    std::abort();
  }
  if (!RunWindowSteps(*app_, windows_)) {
    ADD_FAILURE() << "the main frame was not made";
    std::abort();
  }
  Pump(100);
}

void StartedHost::Pump(int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until) {
    wxTheApp->ProcessPendingEvents();
    wxYield();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace orv::test
