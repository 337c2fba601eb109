#pragma once
// The host's web-page window: a top-level window with an embedded browser (wxWebView) that
// shows pages of the product's web server (member page, join page, order and event lists)
// and pages that modules ask for. Closing it only hides it.

#include <wx/frame.h>

#include <string>

class wxWebView;

class CWebPageWnd : public wxFrame {
 public:
  CWebPageWnd(wxWindow* parent, const wxString& title);

  // The address to show; with show on, the page is loaded now, else when the window shows.
  void SetWebUrl(const std::string& url);
  const std::string& GetWebUrl() const { return url_; }
  // The browser's user agent (the run settings' agent name).
  void SetAgentName(const std::wstring& agent);
  // Shows (restored when minimised) or hides; with centre, a window that was hidden is
  // centred on the desktop. Brought to the front when shown.
  void ShowPage(bool show, bool centre);
  // The embedded browser, made when the window is first shown; null before, or when this
  // system has no browser engine.
  wxWebView* GetWebView() const { return web_; }

 private:
  void LoadPending();
  void EnsureWebView();

  wxWebView* web_ = nullptr;
  std::wstring agent_;
  std::string url_;
  std::string loaded_;
};
