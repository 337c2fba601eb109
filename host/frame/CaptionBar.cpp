#include "host/frame/CaptionBar.h"

#include <wx/dcbuffer.h>
#include <wx/fontenum.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/generic/stattextg.h>

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "host/frame/DisplayDpi.h"
#include "host/frame/PaintRegion.h"
#include "platform/ui/IdleWalk.h"
#include "platform/win/Clock.h"

namespace {

using namespace orv::host;

wxColour Colour(COLORREF c) { return wxColour(GetRValue(c), GetGValue(c), GetBValue(c)); }

wxRect ToWx(const RECT& r) { return wxRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

wxFont MakeFont(const wxString& face, double points) {
  wxFont font(wxFontInfo(points).FaceName(face));
  if (!font.IsOk() || !wxFontEnumerator::IsValidFacename(face)) {
    font = wxFont(wxFontInfo(points).Family(wxFONTFAMILY_SWISS));
  }
  return font;
}

bool IsSymbolFontButton(int button) {
  return button == kCaptionSettings || button == kCaptionPin || button == kCaptionAbout ||
         button == kCaptionLogin;
}

}  // namespace

std::wstring CaptionButtonGlyph(int button, bool pinned, bool maximised, bool symbolFonts) {
  if (symbolFonts) {
    switch (button) {
      case kCaptionMinimise:
        return L"0";
      case kCaptionMaximise:
        return maximised ? L"2" : L"1";
      case kCaptionClose:
        return L"r";
      case kCaptionSettings:
        return L"\xE713";
      case kCaptionPin:
        return pinned ? L"\xE840" : L"\xE77A";
      case kCaptionAbout:
        return L"\xE9CE";
      case kCaptionLogin:
        return L"\xE72E";
      default:
        return L"";
    }
  }
  switch (button) {
    case kCaptionMinimise:
      return L"\x2500";
    case kCaptionMaximise:
      return maximised ? L"\x2750" : L"\x25A1";
    case kCaptionClose:
      return L"\x2715";
    case kCaptionSettings:
      return L"\x2699";
    case kCaptionPin:
      return pinned ? L"\x25C9" : L"\x25CB";
    case kCaptionAbout:
      return L"\x24D8";
    case kCaptionLogin:
      return L"\x21E5";
    default:
      return L"";
  }
}

CCaptionBar::CCaptionBar(wxFrame* owner, wxWindow* parent)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
               wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE, "CaptionBar"),
      owner_(owner),
      clockTimer_(this, 1) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  symbolFonts_ = wxFontEnumerator::IsValidFacename("Marlett") &&
                 wxFontEnumerator::IsValidFacename("Segoe MDL2 Assets");
  UpdateLayout();
  clock_ = new wxGenericStaticText(
      this, kCaptionClockId, wxEmptyString, wxDefaultPosition, wxDefaultSize,
      wxALIGN_CENTRE_HORIZONTAL | wxALIGN_CENTRE_VERTICAL | wxST_NO_AUTORESIZE | wxBORDER_NONE);
  clock_->SetFont(MakeFont("Segoe UI", 9.0));
  SetClockColours(clockBackground_, clockText_);
  clock_->SetSize(ToWx(layout_.clock));
  UpdateClock();
  pinned_ = owner_ != nullptr && owner_->HasFlag(wxSTAY_ON_TOP);

  Bind(wxEVT_PAINT, &CCaptionBar::OnPaint, this);
  Bind(wxEVT_SIZE, &CCaptionBar::OnSize, this);
  Bind(wxEVT_MOTION, &CCaptionBar::OnMotion, this);
  Bind(wxEVT_LEAVE_WINDOW, &CCaptionBar::OnLeave, this);
  Bind(wxEVT_LEFT_DOWN, &CCaptionBar::OnLeftDown, this);
  Bind(wxEVT_LEFT_UP, &CCaptionBar::OnLeftUp, this);
  Bind(wxEVT_LEFT_DCLICK, &CCaptionBar::OnDoubleClick, this);
  Bind(wxEVT_RIGHT_UP, &CCaptionBar::OnRightUp, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &CCaptionBar::OnCaptureLost, this);
  Bind(
      wxEVT_TIMER,
      [this](wxTimerEvent&) {
        UpdateClock();
        KeepClockTimerMidSecond();
      },
      1);
  clockTimer_.Start(1000);
  KeepClockTimerMidSecond();
  // The clock's tick only sets the clock's text, which leaves the windows' idle pass no work.
  orv::ui::ProgramIdleGate().AddQuietTimer(&clockTimer_);
}

CCaptionBar::~CCaptionBar() {
  clockTimer_.Stop();
  orv::ui::ProgramIdleGate().RemoveQuietTimer(&clockTimer_);
  if (HasCapture()) ReleaseMouse();
}

void CCaptionBar::UpdateLayout() {
  // The clock field and the language button fit their texts in the fonts they are drawn in:
  // the clock's widest form and the widest language label.
  int clockText = 0;
  int languageText = 0;
  {
    wxClientDC dc(this);
    dc.SetFont(MakeFont("Segoe UI", 9.0));
    clockText = dc.GetTextExtent("0000-00-00 00:00:00").x;
    for (int language : {1, 2, 3, 4})
      languageText =
          std::max(languageText, dc.GetTextExtent(wxString(CaptionLanguageLabel(language))).x);
  }
  metrics_ = FitCaptionTexts(ScaleCaptionMetrics(HostLayoutDpi(this)), clockText, languageText);
  const int width = owner_ != nullptr ? owner_->GetClientSize().x : GetClientSize().x;
  SetMinSize(wxSize(-1, metrics_.height));
  if (GetSize() != wxSize(width, metrics_.height)) SetSize(width, metrics_.height);
  layout_ = LayoutCaptionBar(GetClientSize().x, metrics_.height, metrics_);
  if (clock_ != nullptr) clock_->SetSize(ToWx(layout_.clock));
}

void CCaptionBar::SetClockColours(COLORREF background, COLORREF text) {
  clockBackground_ = background;
  clockText_ = text;
  if (clock_ == nullptr) return;
  clock_->SetBackgroundColour(Colour(background));
  clock_->SetForegroundColour(Colour(text));
  clock_->Refresh();
}

void CCaptionBar::SetTopmost(bool on) {
  pinned_ = on;
  if (owner_ != nullptr) {
    const long style = owner_->GetWindowStyleFlag();
    owner_->SetWindowStyleFlag(on ? (style | wxSTAY_ON_TOP) : (style & ~wxSTAY_ON_TOP));
  }
  Refresh();
}

void CCaptionBar::UpdateClock() {
  if (clock_ == nullptr) return;
  // The precise clock: the frame calls this just after the second turns, when the coarse one
  // may still be in the second before.
  const SYSTEMTIME now = orv::win::CurrentClock().Now();
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", now.wYear, now.wMonth,
                now.wDay, now.wHour, now.wMinute, now.wSecond);
  // An unchanged text is not drawn again.
  if (clock_->GetLabel() != text) clock_->SetLabel(text);
}

void CCaptionBar::KeepClockTimerMidSecond() {
  // The main frame turns the clock with its own tick as the second turns, in the same paint
  // as the status bar's clock; this timer ticks between two turns and so finds the text
  // current, and keeps the clock going where no frame tick does.
  if (!clockTimer_.IsRunning()) return;
  const int ms = orv::win::CurrentClock().Now().wMilliseconds;
  int next = (1500 - ms) % 1000;
  if (next < 100) next += 1000;
  clockTimer_.Start(next);
}

void CCaptionBar::SetLanguage(int language) {
  language_ = language;
  Refresh();
}

void CCaptionBar::SendCommand(int id, int value) {
  if (owner_ == nullptr) return;
  wxCommandEvent event(wxEVT_MENU, id);
  event.SetInt(value);
  event.SetEventObject(this);
  owner_->GetEventHandler()->ProcessEvent(event);
}

void CCaptionBar::ToggleMaximise() {
  if (owner_ == nullptr) return;
  owner_->Maximize(!owner_->IsMaximized());
}

void CCaptionBar::ActOnButton(int button) {
  switch (button) {
    case kCaptionMinimise:
      if (owner_ != nullptr) owner_->Iconize(true);
      break;
    case kCaptionMaximise:
      ToggleMaximise();
      break;
    case kCaptionClose:
      if (owner_ != nullptr) owner_->Close();
      break;
    case kCaptionPin:
      ToggleTopmost();
      break;
    case kCaptionSettings:
      SendCommand(settingsCommand_ != 0 ? settingsCommand_ : kCmdSettings);
      break;
    case kCaptionLanguage:
      ShowLanguageMenu();
      break;
    case kCaptionLogin:
      SendCommand(kCmdLoginButton);
      break;
    case kCaptionAbout:
      SendCommand(kCmdAbout);
      break;
    default:
      break;
  }
}

void CCaptionBar::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  // The clock's new time each second repaints the clock field alone.
  if (RepaintOnlyUnderChildren(*this)) return;
  const wxSize size = GetClientSize();
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(Colour(kBackground)));
  dc.DrawRectangle(0, 0, size.x, size.y);

  int x = metrics_.gap;
  if (owner_ != nullptr && owner_->GetIcon().IsOk()) {
    wxBitmap icon(owner_->GetIcon());
    if (icon.GetWidth() != metrics_.iconSize) {
      wxImage image = icon.ConvertToImage();
      image.Rescale(metrics_.iconSize, metrics_.iconSize, wxIMAGE_QUALITY_HIGH);
      icon = wxBitmap(image);
    }
    dc.DrawBitmap(icon, x, (size.y - metrics_.iconSize) / 2, true);
    x += metrics_.iconSize + metrics_.gap;
  }
  const wxFont textFont = MakeFont("Segoe UI", 9.0);
  dc.SetFont(textFont);
  dc.SetTextForeground(Colour(kTitleText));
  const int titleRight = layout_.buttons[kCaptionLogin].left - metrics_.gap;
  if (owner_ != nullptr && titleRight > x) {
    const wxString title =
        wxControl::Ellipsize(owner_->GetTitle(), dc, wxELLIPSIZE_END, titleRight - x);
    dc.DrawLabel(title, wxRect(x, 0, titleRight - x, size.y),
                 wxALIGN_LEFT | wxALIGN_CENTER_VERTICAL);
  }

  const bool maximised = owner_ != nullptr && owner_->IsMaximized();
  const wxFont glyphFont = MakeFont(symbolFonts_ ? "Marlett" : "", 10.0);
  const wxFont symbolFont = MakeFont(symbolFonts_ ? "Segoe MDL2 Assets" : "", 10.0);
  for (int button = kCaptionMinimise; button <= kCaptionAbout; ++button) {
    const wxRect r = ToWx(layout_.buttons[button]);
    COLORREF face = kFaceNormal;
    COLORREF glyph = kGlyph;
    if (button == pressed_ && button == hovered_) {
      face = button == kCaptionClose ? kClosePressed : kFacePressed;
      if (button == kCaptionClose) glyph = 0xFFFFFF;
    } else if (button == hovered_) {
      face = button == kCaptionClose ? kCloseHover : kFaceHover;
      if (button == kCaptionClose) glyph = 0xFFFFFF;
    }
    dc.SetBrush(wxBrush(Colour(face)));
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.DrawRectangle(r);
    // A 3D border: light top and left, dark bottom and right.
    const bool down = button == pressed_;
    dc.SetPen(wxPen(Colour(down ? 0x50413C : 0x5A4B46)));
    dc.DrawLine(r.GetLeft(), r.GetBottom(), r.GetLeft(), r.GetTop());
    dc.DrawLine(r.GetLeft(), r.GetTop(), r.GetRight(), r.GetTop());
    dc.SetPen(wxPen(Colour(0x161212)));
    dc.DrawLine(r.GetRight(), r.GetTop(), r.GetRight(), r.GetBottom());
    dc.DrawLine(r.GetLeft(), r.GetBottom(), r.GetRight() + 1, r.GetBottom());
    dc.SetTextForeground(Colour(glyph));
    if (button == kCaptionLanguage) {
      dc.SetFont(textFont);
      dc.DrawLabel(wxString(CaptionLanguageLabel(language_)), r, wxALIGN_CENTER);
      continue;
    }
    dc.SetFont(IsSymbolFontButton(button) ? symbolFont : glyphFont);
    dc.DrawLabel(wxString(CaptionButtonGlyph(button, pinned_, maximised, symbolFonts_)), r,
                 wxALIGN_CENTER);
  }
}

void CCaptionBar::OnSize(wxSizeEvent& event) {
  layout_ = LayoutCaptionBar(GetClientSize().x, GetClientSize().y, metrics_);
  if (clock_ != nullptr) clock_->SetSize(ToWx(layout_.clock));
  Refresh();
  event.Skip();
}

void CCaptionBar::OnMotion(wxMouseEvent& event) {
  if (dragging_ && owner_ != nullptr) {
    const wxPoint now = ClientToScreen(event.GetPosition());
    owner_->Move(frameStart_ + (now - dragStart_));
    return;
  }
  const int hit = HitTest(POINT{event.GetX(), event.GetY()});
  if (hit != hovered_) {
    hovered_ = hit;
    Refresh();
  }
}

void CCaptionBar::OnLeave(wxMouseEvent&) {
  if (hovered_ != kCaptionNone) {
    hovered_ = kCaptionNone;
    Refresh();
  }
}

void CCaptionBar::OnLeftDown(wxMouseEvent& event) {
  pressed_ = HitTest(POINT{event.GetX(), event.GetY()});
  if (pressed_ == kCaptionNone) {
    // No button: the bar is the frame's caption, so the press starts moving the frame.
    if (owner_ != nullptr && !owner_->IsMaximized()) {
      dragging_ = true;
      dragStart_ = ClientToScreen(event.GetPosition());
      frameStart_ = owner_->GetPosition();
      if (!HasCapture()) CaptureMouse();
    }
    return;
  }
  if (!HasCapture()) CaptureMouse();
  Refresh();
}

void CCaptionBar::OnLeftUp(wxMouseEvent& event) {
  const int pressed = pressed_;
  pressed_ = kCaptionNone;
  dragging_ = false;
  if (HasCapture()) ReleaseMouse();
  Refresh();
  if (pressed != kCaptionNone && HitTest(POINT{event.GetX(), event.GetY()}) == pressed) {
    ActOnButton(pressed);
  }
}

void CCaptionBar::OnDoubleClick(wxMouseEvent& event) {
  if (HitTest(POINT{event.GetX(), event.GetY()}) != kCaptionNone) return;
  ToggleMaximise();
}

void CCaptionBar::OnRightUp(wxMouseEvent& event) { ShowSystemMenu(event.GetPosition()); }

void CCaptionBar::OnCaptureLost(wxMouseCaptureLostEvent&) {
  pressed_ = kCaptionNone;
  dragging_ = false;
  Refresh();
}

void CCaptionBar::ShowLanguageMenu() {
  static const struct {
    int id;
    const wchar_t* text;
  } kItems[] = {{1536, L"한국어"}, {1535, L"English"}, {1537, L"Chinese"}, {1538, L"Japanese"}};
  wxMenu menu;
  for (const auto& item : kItems) {
    menu.AppendCheckItem(item.id, wxString(item.text));
    menu.Check(item.id, item.id - kCmdCaptionLanguage == language_);
  }
  const RECT& r = layout_.buttons[kCaptionLanguage];
  const int id = GetPopupMenuSelectionFromUser(menu, wxPoint(r.left, r.bottom));
  if (id < kCmdCaptionLanguageMenuFirst || id > kCmdCaptionLanguageMenuFirst + 3) return;
  // Choosing the shown language sends it again: the frame decides what changed.
  SetLanguage(id - kCmdCaptionLanguage);
  SendCommand(kCmdCaptionLanguage, language_);
}

void CCaptionBar::ShowSystemMenu(const wxPoint& at) {
  if (owner_ == nullptr) return;
  enum { kRestore = 1, kMinimise, kMaximise, kClose };
  wxMenu menu;
  menu.Append(kRestore, "Restore")->Enable(owner_->IsMaximized() || owner_->IsIconized());
  menu.Append(kMinimise, "Minimize");
  menu.Append(kMaximise, "Maximize")->Enable(!owner_->IsMaximized());
  menu.AppendSeparator();
  menu.Append(kClose, "Close\tAlt+F4");
  switch (GetPopupMenuSelectionFromUser(menu, at)) {
    case kRestore:
      owner_->Maximize(false);
      break;
    case kMinimise:
      owner_->Iconize(true);
      break;
    case kMaximise:
      owner_->Maximize(true);
      break;
    case kClose:
      owner_->Close();
      break;
    default:
      break;
  }
}
