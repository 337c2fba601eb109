#include "host/dialogs/WebPageWnd.h"

#include <wx/sizer.h>
#include <wx/webview.h>

CWebPageWnd::CWebPageWnd(wxWindow* parent, const wxString& title)
    : wxFrame(parent, wxID_ANY, title, wxDefaultPosition, wxSize(1000, 760),
              wxDEFAULT_FRAME_STYLE | wxFRAME_FLOAT_ON_PARENT) {
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& e) {
    if (e.CanVeto()) {
      e.Veto();
      Hide();
    } else {
      e.Skip();
    }
  });
}

void CWebPageWnd::SetWebUrl(const std::string& url) {
  url_ = url;
  if (IsShown()) LoadPending();
}

void CWebPageWnd::SetAgentName(const std::wstring& agent) {
  if (agent.empty()) return;
  agent_ = agent;
  if (web_ != nullptr) web_->SetUserAgent(wxString(agent));
}

void CWebPageWnd::EnsureWebView() {
  // The browser engine (with its graphics stack, some 100 MB resident) is started by the first
  // page shown, not by every window made at start-up in case a page is asked for.
  if (web_ != nullptr || !wxWebView::IsBackendAvailable(wxWebViewBackendDefault)) return;
  web_ = wxWebView::New(this, wxID_ANY);
  if (!agent_.empty()) web_->SetUserAgent(wxString(agent_));
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(web_, 1, wxEXPAND);
  SetSizer(sizer);
  Layout();
}

void CWebPageWnd::LoadPending() {
  if (web_ == nullptr || url_.empty() || url_ == loaded_) return;
  loaded_ = url_;
  web_->LoadURL(wxString::FromUTF8(url_));
}

void CWebPageWnd::ShowPage(bool show, bool centre) {
  if (!show) {
    Hide();
    return;
  }
  const bool wasShown = IsShown();
  EnsureWebView();
  if (IsIconized()) Iconize(false);
  Show(true);
  if (centre && !wasShown) CentreOnScreen();
  Raise();
  LoadPending();
}
