#include "host/dialogs/AboutDlg.h"

#include <wx/artprov.h>
#include <wx/bmpbuttn.h>
#include <wx/dcclient.h>
#include <wx/utils.h>
#include <wx/webview.h>

#include <algorithm>
#include <cwchar>

#include "host/app/AppFolders.h"
#include "platform/support/TextConv.h"

namespace {

const wxRect kLinkRect(228, 235, 240, 22);
const wxRect kHelpRect(228, 260, 240, 22);
// The size of the dialog's face (the skin the title and the links are drawn on).
const wxSize kFaceSize(640, 480);

}  // namespace

std::string AboutPageAddress(const std::string& programFolder, int mode) {
  std::string first;
  std::string second;
  if (mode == 1) {
    first = programFolder + "license/eula.html";
    second = programFolder + "eula.html";
  } else if (mode == 2) {
    first = programFolder + "license/license.html";
    second = programFolder + "license.html";
  } else {
    return {};
  }
  std::string path = orv::host::FileExists(first) ? first : second;
  if (!orv::host::FileExists(path)) return {};
  std::replace(path.begin(), path.end(), '\\', '/');
  // An absolute path already begins with "/": "file://" and it make the three slashes.
  return path.front() == '/' ? "file://" + path : "file:///" + path;
}

std::wstring AboutTitleText(const std::wstring& title, const std::wstring& site,
                            const std::wstring& version, const std::string& build) {
  return L"■" + title + L"(" + site + L") (" + version + L" @ " + Utf8ToWide(build) + L")";
}

CAboutDlg::CAboutDlg(wxWindow* parent, const std::string& programFolder)
    : wxDialog(parent, wxID_ANY, "About", wxDefaultPosition, kFaceSize, wxBORDER_NONE),
      programFolder_(programFolder) {
  helpPath_ = programFolder_ + "res/help.png";
  SetBackgroundColour(wxColour(0xF4, 0xF6, 0xFA));
  // The close button: the program's pictures when they exist, else the toolkit's close icon.
  wxBitmap normal;
  wxBitmap pressed;
  if (orv::host::FileExists(programFolder_ + "res/w_close_n.bmp")) {
    normal.LoadFile(wxString::FromUTF8(programFolder_ + "res/w_close_n.bmp"), wxBITMAP_TYPE_BMP);
  }
  if (orv::host::FileExists(programFolder_ + "res/w_close_p.bmp")) {
    pressed.LoadFile(wxString::FromUTF8(programFolder_ + "res/w_close_p.bmp"), wxBITMAP_TYPE_BMP);
  }
  if (!normal.IsOk()) normal = wxArtProvider::GetBitmap(wxART_CLOSE, wxART_BUTTON, wxSize(16, 16));
  closeButton_ = new wxBitmapButton(this, wxID_CANCEL, normal, wxDefaultPosition, wxSize(24, 24),
                                    wxBORDER_NONE);
  if (pressed.IsOk()) closeButton_->SetBitmapPressed(pressed);
  closeButton_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { EndModal(wxID_CANCEL); });
  SetEscapeId(wxID_CANCEL);

  Bind(wxEVT_PAINT, &CAboutDlg::OnPaint, this);
  Bind(wxEVT_LEFT_DOWN, &CAboutDlg::OnLeftDown, this);
  Bind(wxEVT_LEFT_UP, &CAboutDlg::OnLeftUp, this);
  Bind(wxEVT_MOTION, &CAboutDlg::OnMotion, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { dragging_ = false; });
  Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    LayoutChildren();
    event.Skip();
  });
  LayoutChildren();
  CentreOnScreen();
}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::SetTitleText(const std::wstring& title, const std::wstring& site,
                             const std::wstring& version, const std::string& build) {
  title_ = AboutTitleText(title, site, version, build);
  Refresh();
}

void CAboutDlg::SetLink(const wchar_t* link) {
  link_ = link != nullptr ? link : L"";
  Refresh();
}

void CAboutDlg::SetMode(int mode) {
  mode_ = mode;
  address_ = AboutPageAddress(programFolder_, mode);
  if ((mode == 1 || mode == 2) && webView_ == nullptr &&
      wxWebView::IsBackendAvailable(wxWebViewBackendDefault)) {
    webView_ = wxWebView::New(this, kWebViewId, wxWebViewDefaultURLStr, wxDefaultPosition,
                              wxDefaultSize, wxWebViewBackendDefault, wxTAB_TRAVERSAL);
  }
  // A missing page leaves the view without navigation.
  if (webView_ != nullptr && !address_.empty()) webView_->LoadURL(wxString::FromUTF8(address_));
  LayoutChildren();
}

void CAboutDlg::LayoutChildren() {
  const wxSize client = GetClientSize();
  if (closeButton_ != nullptr) closeButton_->SetSize(client.x - 36, 12, 24, 24);
  if (webView_ != nullptr) {
    webView_->SetSize(20, 40, std::max(1, client.x - 40), std::max(1, client.y - 60));
    webView_->Show(mode_ == 1 || mode_ == 2);
  }
}

void CAboutDlg::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  wxFont titleFont(wxFontInfo(wxSize(0, 16)).Family(wxFONTFAMILY_SWISS).FaceName("Arial").Light());
  dc.SetFont(titleFont);
  dc.SetTextForeground(*wxRED);
  dc.SetBackgroundMode(wxTRANSPARENT);
  dc.DrawText(wxString(title_), 20, 14);
  if (mode_ != 0) return;
  wxFont linkFont(wxFontInfo(wxSize(0, 20)).Family(wxFONTFAMILY_SWISS).FaceName("Arial").Light());
  dc.SetFont(linkFont);
  dc.SetTextForeground(wxColour(0x20, 0x40, 0xA0));
  dc.DrawLabel(wxString(link_), kLinkRect, wxALIGN_LEFT | wxALIGN_CENTER_VERTICAL);
  dc.SetPen(wxPen(*wxLIGHT_GREY, 1, wxPENSTYLE_DOT));
  dc.SetBrush(*wxTRANSPARENT_BRUSH);
  dc.DrawRectangle(kLinkRect);
  if (orv::host::FileExists(helpPath_)) {
    dc.DrawLabel(wxString::FromUTF8(helpPath_), kHelpRect, wxALIGN_LEFT | wxALIGN_CENTER_VERTICAL);
    dc.DrawRectangle(kHelpRect);
  }
}

void CAboutDlg::OpenWithShell(const std::string& target) {
  if (target.empty()) return;
  wxLaunchDefaultApplication(wxString::FromUTF8(target));
}

void CAboutDlg::OnLeftDown(wxMouseEvent& event) {
  const wxPoint p = event.GetPosition();
  if (mode_ == 0 && kLinkRect.Contains(p)) {
    OpenWithShell(WideToUtf8(link_));
    return;
  }
  if (mode_ == 0 && kHelpRect.Contains(p) && orv::host::FileExists(helpPath_)) {
    OpenWithShell(helpPath_);
    return;
  }
  // Anywhere else the press moves the dialog, as a press on a caption would.
  dragging_ = true;
  dragStart_ = ClientToScreen(p) - GetPosition();
  if (!HasCapture()) CaptureMouse();
}

void CAboutDlg::OnLeftUp(wxMouseEvent&) {
  dragging_ = false;
  if (HasCapture()) ReleaseMouse();
}

void CAboutDlg::OnMotion(wxMouseEvent& event) {
  const wxPoint p = event.GetPosition();
  if (dragging_ && event.LeftIsDown()) {
    Move(ClientToScreen(p) - dragStart_);
    return;
  }
  const bool overLink = mode_ == 0 && (kLinkRect.Contains(p) || kHelpRect.Contains(p));
  SetCursor(overLink ? wxCursor(wxCURSOR_HAND) : wxNullCursor);
}
