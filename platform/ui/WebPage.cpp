#include "platform/ui/WebPage.h"

#include <wx/sizer.h>
#include <wx/webview.h>

namespace orv::ui {

CWebPage::CWebPage(wxWindow* parent, int browserId)
    : wxPanel(parent, wxID_ANY), browserId_(browserId) {
  // White, as a browser's blank page is, until a page is loaded.
  SetBackgroundColour(*wxWHITE);
  SetSizer(new wxBoxSizer(wxVERTICAL));
}

bool CWebPage::Available() { return wxWebView::IsBackendAvailable(wxWebViewBackendDefault); }

bool CWebPage::MakeBrowser() {
  if (browser_) return true;
  if (failed_) return false;
  browser_ = Available() ? wxWebView::New(this, browserId_, wxWebViewDefaultURLStr,
                                          wxDefaultPosition, wxDefaultSize,
                                          wxWebViewBackendDefault)
                         : nullptr;
  if (!browser_) {
    failed_ = true;
    return false;
  }
  browser_->EnableContextMenu(false);
  GetSizer()->Add(browser_, 1, wxEXPAND);
  Layout();
  return true;
}

void CWebPage::LoadURL(const wxString& url) {
  const bool blank = url.empty() || url == wxWebViewDefaultURLStr;
  // A browser not made yet shows nothing already: a blank page needs none.
  if (blank && !browser_) return;
  if (MakeBrowser()) browser_->LoadURL(blank ? wxString(wxWebViewDefaultURLStr) : url);
}

void CWebPage::SetPage(const wxString& html, const wxString& baseUrl) {
  if (MakeBrowser()) browser_->SetPage(html, baseUrl);
}

void CWebPage::Stop() {
  if (browser_) browser_->Stop();
}

}  // namespace orv::ui
