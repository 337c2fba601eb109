#pragma once
// A tab page with an embedded browser (wxWebView) that is made on first use: when a page other
// than the blank one is loaded, or page text is set. Making a browser starts the web engine: its
// helper processes and, in this process, its renderer and graphics libraries (tens of
// megabytes resident). Dialogs made at start-up hold such pages, and most runs never open them.

#include <wx/panel.h>
#include <wx/string.h>

class wxWebView;

namespace orv::ui {

class CWebPage : public wxPanel {
 public:
  // `browserId` is the browser's window id (the page itself takes any id).
  CWebPage(wxWindow* parent, int browserId);

  // Whether this system has a browser engine at all.
  static bool Available();

  // Loads `url`; the blank page ("about:blank" or empty) only clears a browser already made.
  void LoadURL(const wxString& url);
  // Shows `html` (relative links resolved against `baseUrl`).
  void SetPage(const wxString& html, const wxString& baseUrl);
  // Stops a load in progress (nothing when the browser was never made).
  void Stop();

  // The browser, or null while it is not made (or cannot be made).
  wxWebView* Browser() const { return browser_; }

 private:
  // Makes the browser filling the page; false when it cannot be made.
  bool MakeBrowser();

  int browserId_;
  wxWebView* browser_ = nullptr;
  bool failed_ = false;
};

}  // namespace orv::ui
