// Entry point of the host program: runs the application object's start-up, then the window
// steps (for now a plain main window titled with the program's title).
#include <unistd.h>
#include <wx/msgdlg.h>
#include <wx/wx.h>

#include <memory>
#include <string>
#include <vector>

#include "host/VarqoMainApp.h"
#include "platform/win/MessageBox.h"

namespace {

std::string ExecutablePath() {
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string("orvella");
}

long StyleOf(UINT type) {
  long style = 0;
  switch (type & 0xF) {
    case MB_OKCANCEL:
      style = wxOK | wxCANCEL;
      break;
    case MB_YESNO:
      style = wxYES_NO;
      break;
    case MB_YESNOCANCEL:
      style = wxYES_NO | wxCANCEL;
      break;
    default:
      style = wxOK;
  }
  switch (type & 0xF0) {
    case MB_ICONERROR:
      return style | wxICON_ERROR;
    case MB_ICONQUESTION:
      return style | wxICON_QUESTION;
    case MB_ICONWARNING:
      return style | wxICON_WARNING;
    case MB_ICONINFORMATION:
      return style | wxICON_INFORMATION;
    default:
      return style;
  }
}

int ShowMessageDialog(const orv::win::MessageBoxCall& call) {
  wxMessageDialog dlg(nullptr, wxString::FromUTF8(call.text), wxString::FromUTF8(call.caption),
                      StyleOf(call.type) | wxSTAY_ON_TOP);
  switch (dlg.ShowModal()) {
    case wxID_YES:
      return IDYES;
    case wxID_NO:
      return IDNO;
    case wxID_CANCEL:
      return IDCANCEL;
    default:
      return IDOK;
  }
}

class OrvellaApp : public wxApp {
 public:
  bool OnInit() override {
    orv::win::SetMessageBoxPresenter(ShowMessageDialog);
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
