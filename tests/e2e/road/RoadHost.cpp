#include "tests/e2e/road/RoadHost.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/toplevel.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "host/app/VarqoMainApp.h"
#include "host/catalogue/CatalogueAccess.h"
#include "host/dialogs/LoginDlg.h"
#include "host/frame/FrameCommandState.h"
#include "host/frame/MainFrame.h"
#include "host/user/HostUserServices.h"
#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "sandbox/SandboxMarket.h"
#include "tests/probe/ProbeHarness.h"

namespace fs = std::filesystem;

namespace orv::test {
namespace {

// The ribbon's log-in command.
constexpr int kLoginCommand = 948;

bool IsTopLevel(wxWindow* window) {
  return std::find(wxTopLevelWindows.begin(), wxTopLevelWindows.end(), window) !=
         wxTopLevelWindows.end();
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

void PumpEvents(int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  do {
    wxTheApp->ProcessPendingEvents();
    wxYield();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  } while (std::chrono::steady_clock::now() < until);
}

void RoadScreenshot(const char* suffix, int settleMs) {
  const char* shot = std::getenv("ORV_ROAD_SCREENSHOT");
  if (!shot) return;
  PumpEvents(settleMs);
  std::string path = shot;
  path.insert(path.size() > 4 ? path.size() - 4 : path.size(), suffix);
  const std::string command = "import -window root '" + path + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

RoadHost::RoadHost(RoadPaths paths) : paths_(std::move(paths)) {
  EnsureWxApp();
  static bool once = [] {
    wxInitAllImageHandlers();
    return true;
  }();
  (void)once;
  std::string templ = (fs::temp_directory_path() / "orv-road-XXXXXX").string();
  root_ = std::string(mkdtemp(templ.data())) + "/";
  program_ = root_ + "prog/";
}

RoadHost::~RoadHost() {
  if (started_) {
    if (windows_.frame != nullptr && IsTopLevel(windows_.frame)) {
      windows_.frame->CommandState().exited = true;
      windows_.frame->Destroy();
      PumpEvents(50);
    }
    app_->ExitInstance();
  }
  win::StopScriptingMessageBoxes();
  if (sandbox_) sandbox_->Stop();
  std::error_code ec;
  // ORV_ROAD_KEEP keeps every run's folders, for a look at its logs.
  if (keep_ || std::getenv("ORV_ROAD_KEEP") != nullptr)
    std::fprintf(stderr, "the run's folders are kept in %s\n", root_.c_str());
  else
    fs::remove_all(root_, ec);
}

bool RoadHost::Prepare(const std::string& script, std::string* error) {
  for (const char* sub : {"home", "config", "data", "docs"}) fs::create_directories(root_ + sub);
  setenv("HOME", (root_ + "home").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (root_ + "config").c_str(), 1);
  setenv("XDG_DATA_HOME", (root_ + "data").c_str(), 1);
  setenv("XDG_DOCUMENTS_DIR", (root_ + "docs").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", root_.c_str(), 1);

  SandboxOptions options;
  // The market ticks after every answered price inquiry, so the script's lines follow the
  // program's quote passes whatever their timing.
  options.tickMs = 0;
  options.lsHoldings = paths_.broker == "ls";
  if (!ParseSandboxScript(script, SandboxStocks(), &options.script, error)) return false;
  sandbox_ = std::make_unique<Sandbox>(options);
  sandbox_->OnServed([this](const std::string& line) {
    std::lock_guard<std::mutex> lock(servedMutex_);
    served_.emplace_back(Clock::now(), line);
  });
  return sandbox_->Start(error) && StageProgramFolder(error);
}

bool RoadHost::StartHost(std::string* error) {
  win::ScriptMessageBoxes({});
  app_ = std::make_unique<CVarqoMainApp>(program_ + "orvella");
  app_->SetCatalogueAccess(host::MakeCatalogueAccess());
  const char* argv[] = {"orvella"};
  if (!app_->InitInstance(1, argv)) {
    *error = "the host did not initialise";
    return false;
  }
  started_ = true;
  if (!RunWindowSteps(*app_, windows_)) {
    *error = "the host made no main window";
    return false;
  }
  return true;
}

bool RoadHost::StageProgramFolder(std::string* error) {
  std::error_code ec;
  fs::create_directories(program_ + "Settings", ec);
  fs::create_directories(program_ + "res", ec);
  fs::copy_file(paths_.binaryDir + "/bin/Pelomar.so", program_ + "Pelomar.so", ec);
  if (ec) {
    *error = "no plug-in to stage: " + ec.message();
    return false;
  }
  fs::copy(paths_.sourceDir + "/res", program_ + "res", fs::copy_options::recursive, ec);
  for (const auto& seed : fs::directory_iterator(paths_.binaryDir + "/seed", ec))
    fs::copy_file(seed.path(), program_ + "Settings/" + seed.path().filename().string(), ec);
  const std::string ca = program_ + "Settings/cacert.pem";
  const std::string state = root_ + "sandbox.state";
  if (!sandbox_->Ca().WriteCertificate(ca) ||
      !WriteFileAtomically(state, sandbox_->StateText(ca))) {
    *error = "the sandbox's CA or state could not be written";
    return false;
  }
  const std::string stage = "'" + paths_.sourceDir + "/scripts/sandbox-stage' '" + program_ +
                            "' '" + root_ + "config' '" + state + "' '" + paths_.broker + "' >/dev/null";
  if (std::system(stage.c_str()) != 0) {
    *error = "scripts/sandbox-stage failed";
    return false;
  }
  return true;
}

int RoadHost::LogIn(std::wstring* error, int broker) {
  windows_.frame->RunCommand(kLoginCommand);
  CLoginDlg* dlg = windows_.frame->UserServices().GetLoginDlg();
  if (dlg == nullptr || !dlg->IsDialogShown()) return 0;
  if (broker > 0) dlg->SetAgencyIndex(broker);
  dlg->SetDlgItemText(CLoginDlg::IDC_ID, Utf8ToWide(SandboxAccount::kUserId));
  dlg->SetDlgItemText(CLoginDlg::IDC_PWD, Utf8ToWide(SandboxAccount::kAppKey));
  dlg->SetDlgItemText(CLoginDlg::IDC_PWD2, Utf8ToWide(SandboxAccount::kAppSecret));
  const int answer = dlg->Login();
  if (error) *error = dlg->GetErrorText();
  return answer;
}

bool RoadHost::WaitFor(const std::function<bool()>& done, Clock::duration bound) {
  const auto until = Clock::now() + bound;
  while (Clock::now() < until) {
    if (done()) return true;
    PumpEvents(50);
  }
  return done();
}

bool RoadHost::CloseWithYes(Clock::duration bound) {
  CMainFrame* frame = windows_.frame;
  if (frame == nullptr) return true;
  win::ScriptMessageBoxes({IDYES});
  frame->Close(false);
  if (!WaitFor([frame] { return !IsTopLevel(frame); }, bound)) return false;
  windows_.frame = nullptr;
  return true;
}

bool RoadHost::Restart(std::string* error) {
  if (started_) {
    app_->ExitInstance();
    PumpEvents(50);
    started_ = false;
  }
  windows_ = HostWindows{};
  app_.reset();
  return StartHost(error);
}

std::vector<RecordedRequest> RoadHost::BrokerRequests(const std::string& path) const {
  std::vector<RecordedRequest> out;
  for (RecordedRequest& r : sandbox_->Broker().Http().Requests())
    if (r.path == path) out.push_back(std::move(r));
  return out;
}

std::vector<RecordedRequest> RoadHost::HangukRequests(const std::string& path) const {
  std::vector<RecordedRequest> out;
  for (RecordedRequest& r : sandbox_->Hanguk().Http().Requests())
    if (r.path == path) out.push_back(std::move(r));
  return out;
}

std::vector<RecordedRequest> RoadHost::KiwoomRequests(const std::string& apiId,
                                                      const std::string& path) const {
  std::vector<RecordedRequest> out;
  for (RecordedRequest& r : sandbox_->Kiwoom().Http().Requests()) {
    if (apiId.empty() ? r.path == path : r.Header("api-id") == apiId) out.push_back(std::move(r));
  }
  return out;
}

std::vector<RecordedRequest> RoadHost::WebRequests(const std::string& pathPart) const {
  std::vector<RecordedRequest> out;
  for (RecordedRequest& r : sandbox_->Web().Http().Requests())
    if (r.path.find(pathPart) != std::string::npos) out.push_back(std::move(r));
  return out;
}

std::vector<RoadHost::Clock::time_point> RoadHost::ServedTimes(const std::string& text) const {
  std::lock_guard<std::mutex> lock(servedMutex_);
  std::vector<Clock::time_point> times;
  for (const auto& entry : served_)
    if (entry.second.find(text) != std::string::npos) times.push_back(entry.first);
  return times;
}

std::string RoadHost::FilesEndingWith(const std::string& suffix) const {
  std::string all;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root_, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (it->is_regular_file(ec) && name.size() >= suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
      all += ReadAll(it->path());
  }
  return all;
}

std::vector<std::vector<DbTickerRow>> ListedTickerPages(int listed, size_t pageRows) {
  std::vector<std::vector<DbTickerRow>> pages(1);
  int count = 0;
  auto add = [&](DbTickerRow row) {
    if (pages.back().size() == pageRows) pages.emplace_back();
    pages.back().push_back(std::move(row));
    ++count;
  };
  for (const SandboxStock& stock : SandboxStocks())
    add({"A" + stock.code, stock.stdCode, stock.marketClass, stock.name});
  for (int i = 0; count < listed; ++i) {
    char code[16];
    std::snprintf(code, sizeof code, "9%05d", i);
    add({std::string("A") + code, std::string("KR7") + code + "000", i % 2 ? "1" : "4",
         "종목" + std::to_string(i)});
  }
  return pages;
}

}  // namespace orv::test
