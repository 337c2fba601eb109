// Entry point of the host program: runs the application object's start-up, then the window
// steps (splash, main frame with the shared-window block and the plug-in loader, show).
#include <unistd.h>
#include <wx/wx.h>

#include <memory>
#include <string>
#include <vector>

#include "host/app/VarqoMainApp.h"
#include "host/frame/MainFrame.h"
#include "host/frame/MainWindowSteps.h"
#include "platform/ui/IdleWalk.h"
#include "platform/ui/MessageBoxPresenter.h"

namespace {

std::string ExecutablePath() {
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string("orvella");
}

class OrvellaApp : public wxApp {
 public:
  bool OnInit() override {
    orv::ui::InstallMessageBoxPresenter();
    wxInitAllImageHandlers();
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(argv[i].utf8_string());
    std::vector<const char*> raw;
    for (const auto& a : args) raw.push_back(a.c_str());

    app_ = std::make_unique<CVarqoMainApp>(ExecutablePath());
    app_->SetCatalogueAccess(orv::host::MakeCatalogueAccess());
    if (!app_->InitInstance(static_cast<int>(raw.size()), raw.data())) {
      app_->ExitInstance();
      return false;
    }
    if (!RunWindowSteps(*app_, windows_)) {
      CloseSplash(windows_);
      app_->ExitInstance();
      return false;
    }
    return true;
  }

  int OnExit() override {
    CloseSplash(windows_);
    if (app_) {
      app_->InstanceGuard().SetWakeHandler(nullptr);
      app_->ExitInstance();
    }
    return wxApp::OnExit();
  }

  // The toolkit's idle pass, given only to the top-level windows on screen and within them to
  // the shown part of the tree: a hidden dialog (the trading view keeps its dialogs made and
  // hidden, owned by the frame) or a tab not selected has nothing to update until it is shown
  // again, and walking its controls on every pass is most of an idle program's work.
  // The pass is left out when nothing happened since the last one but ticks of the frame's
  // timer that changed nothing (see orv::ui::IdleGate).
  bool ProcessIdle() override {
    bool needMore = wxAppConsoleBase::ProcessIdle();
    const long interval = wxUpdateUIEvent::GetUpdateInterval();
    const bool statesDue = commandStates_.Due(wxGetLocalTimeMillis().GetValue(), interval);
    orv::ui::IdleGate& gate = orv::ui::ProgramIdleGate();
    if (!gate.PassDue(statesDue)) return needMore;
    gate.PassStarts(statesDue);
    bool windowsNeedMore = false;
    wxIdleEvent event;
    for (wxWindowList::compatibility_iterator node = wxTopLevelWindows.GetFirst(); node;
         node = node->GetNext()) {
      wxWindow* window = node->GetData();
      if (!window->IsShown() || wxPendingDelete.Member(window)) continue;
      if (orv::ui::SendIdleToShownWindows(*window, event, statesDue)) windowsNeedMore = true;
    }
    wxUpdateUIEvent::ResetUpdateTime();
    commandStates_.Passed(wxGetLocalTimeMillis().GetValue(), interval);
    gate.PassEnded(windowsNeedMore);
    return needMore || windowsNeedMore;
  }

  // Every event the program handles is shown to the idle gate first.
  int FilterEvent(wxEvent& event) override {
    orv::ui::ProgramIdleGate().Saw(event);
    return wxApp::FilterEvent(event);
  }

 private:
  std::unique_ptr<CVarqoMainApp> app_;
  HostWindows windows_;
  orv::ui::CommandStatePacer commandStates_;
};

}  // namespace

wxIMPLEMENT_APP(OrvellaApp);
