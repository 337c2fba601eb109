// Entry point of the host program.
#include <wx/wx.h>

namespace {

class OrvellaApp : public wxApp {
 public:
  bool OnInit() override {
    auto* frame = new wxFrame(nullptr, wxID_ANY, "Orvella");
    frame->Show();
    return true;
  }
};

}  // namespace

wxIMPLEMENT_APP(OrvellaApp);
