#include "host/dialogs/SplashScreenEx.h"

#include <wx/dcbuffer.h>
#include <wx/image.h>
#include <wx/wx.h>

#include <algorithm>

namespace {

constexpr int kDefaultWidth = 500;
constexpr int kDefaultHeight = 300;

}  // namespace

CSplashScreenEx::CSplashScreenEx() = default;

bool CSplashScreenEx::Create(wxWindow* parent, const wxString& text) {
  if (!wxFrame::Create(parent, wxID_ANY, text, wxDefaultPosition,
                       wxSize(kDefaultWidth, kDefaultHeight),
                       wxFRAME_NO_TASKBAR | wxSTAY_ON_TOP | wxBORDER_NONE, kWindowName)) {
    return false;
  }
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &CSplashScreenEx::OnPaint, this);
  return true;
}

bool CSplashScreenEx::SetBitmap(const std::string& path, COLORREF transparent) {
  if (!wxFileExists(wxString::FromUTF8(path))) return false;
  wxImage image;
  if (!image.LoadFile(wxString::FromUTF8(path))) return false;
  if (!image.HasAlpha()) {
    image.SetMaskColour(GetRValue(transparent), GetGValue(transparent), GetBValue(transparent));
  }
  bitmap_ = wxBitmap(image);
  SetClientSize(bitmap_.GetWidth(), bitmap_.GetHeight());
  Refresh();
  return true;
}

void CSplashScreenEx::SetDefaultBitmap(const wxString& productName) {
  wxBitmap bmp(kDefaultWidth, kDefaultHeight);
  {
    wxMemoryDC dc(bmp);
    dc.GradientFillLinear(wxRect(0, 0, kDefaultWidth, kDefaultHeight), wxColour(0x1d, 0x2a, 0x44),
                          wxColour(0x0e, 0x15, 0x24), wxSOUTH);
    dc.SetTextForeground(wxColour(0xe8, 0xee, 0xf8));
    dc.SetFont(wxFont(wxFontInfo(28).Bold()));
    dc.DrawText(productName, 24, 48);
  }
  bitmap_ = bmp;
  SetClientSize(kDefaultWidth, kDefaultHeight);
  Refresh();
}

void CSplashScreenEx::SetTextRect(const RECT& rect) { textRect_ = rect; }

void CSplashScreenEx::SetText(const std::wstring& text) {
  text_ = text;
  Refresh();
  Update();
}

void CSplashScreenEx::AddText(const std::wstring& text) { SetText(text_ + text); }

void CSplashScreenEx::ShowSplash() {
  CentreOnScreen();
  Show(true);
  Raise();
  Update();
}

void CSplashScreenEx::HideSplash() { Hide(); }

wxRect CSplashScreenEx::TextRect() const {
  const wxSize size = GetClientSize();
  if (textRect_.right > textRect_.left && textRect_.bottom > textRect_.top) {
    return wxRect(wxPoint(textRect_.left, textRect_.top),
                  wxPoint(textRect_.right - 1, textRect_.bottom - 1));
  }
  return wxRect(16, size.y * 2 / 3, size.x - 32, size.y / 3 - 8);
}

void CSplashScreenEx::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  dc.SetBackground(wxBrush(wxColour(0x0e, 0x15, 0x24)));
  dc.Clear();
  if (bitmap_.IsOk()) dc.DrawBitmap(bitmap_, 0, 0, true);
  const wxRect area = TextRect();
  dc.SetClippingRegion(area);
  dc.SetFont(wxFont(wxFontInfo(9)));
  dc.SetTextForeground(wxColour(0xd6, 0xe0, 0xf0));
  // The newest lines stay in view: the text is drawn from the bottom of the area upwards.
  wxString text(text_);
  text.Replace("\r\n", "\n");
  text.Trim();
  wxArrayString lines = wxSplit(text, '\n', '\0');
  const int lineHeight = dc.GetCharHeight() + 2;
  int y = std::min(area.GetTop() + static_cast<int>(lines.size()) * lineHeight, area.GetBottom()) -
          lineHeight;
  for (size_t i = lines.size(); i-- > 0 && y >= area.GetTop() - lineHeight;) {
    dc.DrawText(lines[i], area.GetLeft(), y);
    y -= lineHeight;
  }
}
