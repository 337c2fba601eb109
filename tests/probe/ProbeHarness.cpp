#include "tests/probe/ProbeHarness.h"

#include <unistd.h>
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/init.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace orv::test {

void EnsureWxApp() {
  static bool started = [] {
    static int argc = 1;
    static char arg0[] = "orv-tests";
    static char* argv[] = {arg0, nullptr};
    wxApp::SetInstance(new wxApp());
    return wxEntryStart(argc, argv) && wxTheApp->CallOnInit();
  }();
  (void)started;
}

wxFrame* HiddenFrame() {
  EnsureWxApp();
  static wxFrame* frame =
      new wxFrame(nullptr, wxID_ANY, "host", wxDefaultPosition, wxSize(800, 600));
  return frame;
}

bool PumpUntil(const std::function<bool()>& done, int ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    wxTheApp->Yield(true);
    wxTheApp->ProcessPendingEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

std::string ProbeModulePath() { return ORV_PROBE_MODULE_PATH; }

TempDir::TempDir() {
  std::string templ = (std::filesystem::temp_directory_path() / "orv-test-XXXXXX").string();
  path_ = mkdtemp(templ.data()) ? templ : std::string();
}

TempDir::~TempDir() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

ProbeLog::ProbeLog() {
  std::string templ = (std::filesystem::temp_directory_path() / "orv-probe-XXXXXX").string();
  const int fd = mkstemp(templ.data());
  if (fd >= 0) close(fd);
  path_ = templ;
  setenv("ORV_PROBE_LOG", path_.c_str(), 1);
}

ProbeLog::~ProbeLog() {
  unsetenv("ORV_PROBE_LOG");
  std::remove(path_.c_str());
}

std::vector<std::string> ProbeLog::Lines() const {
  std::vector<std::string> lines;
  std::ifstream in(path_);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> ProbeLog::LinesStartingWith(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const auto& line : Lines())
    if (line.rfind(prefix, 0) == 0) out.push_back(line);
  return out;
}

StagedHostFolders StageHostFolders(const std::string& prefix) {
  namespace fs = std::filesystem;
  std::string templ = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
  StagedHostFolders folders;
  folders.root = std::string(mkdtemp(templ.data())) + "/";
  folders.program = folders.root + "prog/";
  for (const char* sub : {"home", "config", "data", "docs"})
    fs::create_directories(folders.root + sub);
  setenv("HOME", (folders.root + "home").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (folders.root + "config").c_str(), 1);
  setenv("XDG_DATA_HOME", (folders.root + "data").c_str(), 1);
  setenv("XDG_DOCUMENTS_DIR", (folders.root + "docs").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", folders.root.c_str(), 1);
  fs::create_directories(folders.program + "Settings");
  fs::create_directories(folders.program + "res");
  fs::copy_file(std::string(ORV_BINARY_DIR) + "/seed/app-settings.db",
                folders.program + "Settings/app-settings.db");
  return folders;
}

}  // namespace orv::test
