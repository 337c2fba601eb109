// Entry point of the host program: runs the application object's start-up, then the window
// steps (for now a plain main window titled with the program's title).
#include <unistd.h>
#include <wx/wx.h>

#include <memory>
#include <string>
#include <vector>

#include "host/VarqoMainApp.h"
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

    // Window steps: the main frame replaces this window.
    auto* frame =
        new wxFrame(nullptr, wxID_ANY, wxString::FromUTF8(app_->FrameText()), wxDefaultPosition,
                    wxSize(app_->m_nDefaultWidth, app_->m_nDefaultHeight));
    app_->InstanceGuard().SetWakeHandler([this, frame](WPARAM wParam, LPARAM) {
      if (wParam != orv::host::kShowMainWindowCommand) return;
      CallAfter([frame] {
        frame->Show();
        frame->Iconize(false);
        frame->Raise();
      });
    });
    if (app_->RunSettings().byHideOnStart != 0) return true;
    frame->Centre();
    frame->Show();
    return true;
  }

  int OnExit() override {
    if (app_) {
      app_->InstanceGuard().SetWakeHandler(nullptr);
      app_->ExitInstance();
    }
    return wxApp::OnExit();
  }

 private:
  std::unique_ptr<CVarqoMainApp> app_;
};

}  // namespace

wxIMPLEMENT_APP(OrvellaApp);
