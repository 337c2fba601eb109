// The browser page of the dialogs' tabs: its browser is made when a page is first loaded.

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/webview.h>

#include "platform/ui/WebPage.h"
#include "tests/platform/ui/WxTestApp.h"

namespace {

TEST(WebPage, MakesItsBrowserWhenAPageIsFirstLoaded) {
  auto* frame = new wxFrame(nullptr, wxID_ANY, "web page");
  auto* page = new orv::ui::CWebPage(frame, 975);
  frame->Show();
  // Nothing to show yet: a blank page, a stop and an empty address need no browser.
  page->LoadURL(wxWebViewDefaultURLStr);
  page->LoadURL(wxString());
  page->Stop();
  EXPECT_EQ(page->Browser(), nullptr);
  if (!orv::ui::CWebPage::Available()) {
    frame->Destroy();
    GTEST_SKIP() << "no browser engine on this system";
  }

  page->SetPage(wxString::FromUTF8("<html><body><p>시세 정보</p></body></html>"), wxString());
  wxWebView* browser = page->Browser();
  ASSERT_NE(browser, nullptr);
  EXPECT_EQ(browser->GetId(), 975);
  EXPECT_EQ(browser->GetParent(), page);
  EXPECT_EQ(wxWindow::FindWindowById(975, frame), browser);
  auto bodyText = [browser] {
    wxString text;
    return browser->RunScript("document.body ? document.body.innerText : ''", &text) ? text
                                                                                     : wxString();
  };
  EXPECT_TRUE(orv::test::PumpEventsUntil(
      [&] { return bodyText().Find(wxString::FromUTF8("시세 정보")) != wxNOT_FOUND; }))
      << bodyText().utf8_string();

  // Once made, the blank page clears it, in the same browser.
  page->LoadURL(wxWebViewDefaultURLStr);
  EXPECT_EQ(page->Browser(), browser);
  EXPECT_TRUE(orv::test::PumpEventsUntil([&] { return bodyText().empty(); }));
  frame->Destroy();
}

}  // namespace
