#pragma once
// The host's about box: a modal dialog with the program's title line and, in its licence
// modes, the end-user licence (mode 1) or the licence page (mode 2) of the program folder in
// an embedded web view; without a mode it shows two clickable texts (the link and the help
// page) instead.

#include <wx/dialog.h>

#include <string>

class wxWebView;
class wxBitmapButton;

// The page an about mode shows: the first of its two candidates under the program folder
// that is a file, as a "file:///" address; empty when neither exists or the mode has no page.
// Mode 1: "license/eula.html", else "eula.html"; mode 2: "license/license.html", else
// "license.html".
std::string AboutPageAddress(const std::string& programFolder, int mode);

// "■%s(%s) (%s @ %hs)" of the title, the site text, the version and the build stamp.
std::wstring AboutTitleText(const std::wstring& title, const std::wstring& site,
                            const std::wstring& version, const std::string& build);

class CAboutDlg : public wxDialog {
 public:
  static constexpr int kWebViewId = 975;

  CAboutDlg(wxWindow* parent, const std::string& programFolder);
  ~CAboutDlg() override;

  void SetTitleText(const std::wstring& title, const std::wstring& site,
                    const std::wstring& version, const std::string& build);
  // Null for no link.
  void SetLink(const wchar_t* link);
  // 0 links only, 1 end-user licence, 2 licence; builds the web view in modes 1 and 2.
  void SetMode(int mode);

  int GetMode() const { return mode_; }
  const std::wstring& GetTitleText() const { return title_; }
  const std::string& GetPageAddress() const { return address_; }
  wxWebView* GetWebView() const { return webView_; }

 private:
  void LayoutChildren();
  void OnPaint(wxPaintEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OpenWithShell(const std::string& target);

  std::string programFolder_;
  std::string helpPath_;
  std::wstring title_;
  std::wstring link_;
  std::string address_;
  int mode_ = 0;
  wxWebView* webView_ = nullptr;
  wxBitmapButton* closeButton_ = nullptr;
  bool dragging_ = false;
  wxPoint dragStart_;
};
