#include "host/saver/SaverWnd.h"

#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/image.h>

#include "platform/win/Clock.h"

// Draws the engine's items on a device context: fonts and bitmaps are made once per engine
// font or bitmap cell and kept while the engine keeps its caches.
class CSaverWnd::Canvas : public CAnimationCanvas {
 public:
  void Begin(wxDC& dc) {
    dc_ = &dc;
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  }
  void Forget() {
    fonts_.clear();
    bitmaps_.clear();
  }

  void SelectFont(const AnimationFont& font) override {
    auto found = fonts_.find(&font);
    if (found == fonts_.end()) {
      // Faces missing here fall back to the family the face belongs to.
      const bool fixed = font.face.find(L"Courier") != std::wstring::npos;
      wxFontInfo info(wxSize(0, font.height));
      info.Family(fixed ? wxFONTFAMILY_TELETYPE : wxFONTFAMILY_SWISS)
          .FaceName(font.face)
          .Italic(font.italic)
          .Underlined(font.underline)
          .Strikethrough(font.strikeOut);
      wxFont made(info);
      if (!made.IsOk())
        made = wxFont(wxFontInfo(wxSize(0, font.height)).Family(wxFONTFAMILY_SWISS));
      made.SetNumericWeight(font.weight);
      found = fonts_.emplace(&font, made).first;
    }
    dc_->SetFont(found->second);
  }

  AnimationSize TextExtent(const std::wstring& text) override {
    const wxSize size = dc_->GetMultiLineTextExtent(text);
    return AnimationSize{size.x, size.y};
  }

  void DrawText(const std::wstring& text, const RECT& rect, COLORREF colour) override {
    dc_->SetTextForeground(wxColour(GetRValue(colour), GetGValue(colour), GetBValue(colour)));
    dc_->DrawText(text, rect.left, rect.top);
  }

  void FillBackground(const RECT& rect) override {
    dc_->SetPen(*wxTRANSPARENT_PEN);
    dc_->SetBrush(*wxBLACK_BRUSH);
    dc_->DrawRectangle(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  }

  void DrawBitmap(const CDIBitmap& bitmap, int srcX, int width, int x, int y) override {
    const auto key = std::make_pair(&bitmap, srcX);
    auto found = bitmaps_.find(key);
    if (found == bitmaps_.end()) {
      std::vector<uint8_t> rgb = bitmap.ToRgb(srcX, 0, width, bitmap.Height());
      // wxImage takes ownership of a malloc'ed buffer.
      auto* data = static_cast<unsigned char*>(malloc(rgb.size()));
      if (data == nullptr) return;
      std::copy(rgb.begin(), rgb.end(), data);
      const wxImage image(width, bitmap.Height(), data);
      found = bitmaps_.emplace(key, wxBitmap(image)).first;
    }
    dc_->DrawBitmap(found->second, x, y);
  }

 private:
  wxDC* dc_ = nullptr;
  std::map<const AnimationFont*, wxFont> fonts_;
  std::map<std::pair<const CDIBitmap*, int>, wxBitmap> bitmaps_;
};

CSaverWnd::CSaverWnd(int timeoutMs, bool closeOnStop, int saverId, SaverCallback callback,
                     void* context)
    : timeoutMs_(timeoutMs < 1001 ? 1000 : timeoutMs),
      closeOnStop_(closeOnStop),
      saverId_(saverId),
      callback_(callback),
      context_(context),
      timer_(this),
      canvas_(std::make_unique<Canvas>()) {}

CSaverWnd::~CSaverWnd() {
  timer_.Stop();
  engine_.Clear();
  canvas_->Forget();
  // Only the saver goes: the application's own loop keeps running.
}

bool CSaverWnd::CreateSaver(wxWindow* owner, const wxRect& area, bool visible) {
  if (!wxFrame::Create(owner, wxID_ANY, L"", area.GetPosition(), area.GetSize(),
                       wxBORDER_NONE | wxSTAY_ON_TOP | wxFRAME_NO_TASKBAR)) {
    return false;
  }
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  SetBackgroundColour(*wxBLACK);
  SetCursor(wxCursor(wxCURSOR_BLANK));
  Bind(wxEVT_TIMER, [this](wxTimerEvent&) { PaintFrame(); });
  Bind(wxEVT_CHAR_HOOK, &CSaverWnd::OnKey, this);
  Bind(wxEVT_KEY_DOWN, &CSaverWnd::OnKey, this);
  Bind(wxEVT_LEFT_DOWN, &CSaverWnd::OnMouse, this);
  Bind(wxEVT_RIGHT_DOWN, &CSaverWnd::OnMouse, this);
  Bind(wxEVT_MIDDLE_DOWN, &CSaverWnd::OnMouse, this);
  Bind(wxEVT_MOTION, &CSaverWnd::OnMouse, this);
  Bind(wxEVT_ACTIVATE, &CSaverWnd::OnActivate, this);
  Bind(wxEVT_PAINT, &CSaverWnd::OnPaint, this);
  Bind(wxEVT_SIZE, &CSaverWnd::OnSize, this);
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { Destroy(); });

  texts_.info = orv::host::SaverTexts().info;
  orv::host::AddSaverStartItem(engine_);
  ResetImage();
  if (visible) Show(true);
  return true;
}

void CSaverWnd::ResetImage() {
  const wxSize size = GetClientSize();
  engine_.SetRect(RECT{0, 0, size.x, size.y});
  image_ = wxBitmap(std::max(size.x, 1), std::max(size.y, 1), 24);
  wxMemoryDC dc(image_);
  dc.SetBackground(*wxBLACK_BRUSH);
  dc.Clear();
}

bool CSaverWnd::Show(bool show) {
  const bool wasShown = IsShown();
  if (!wxFrame::Show(show)) return false;
  if (show) {
    guard_.Restart(orv::win::GetTickCount());
    if (!timer_.IsRunning()) timer_.Start(kFrameMs);
    Raise();
    SetFocus();
  } else if (wasShown) {
    Stop(false, true);
  }
  return true;
}

void CSaverWnd::Stop(bool close, bool notify) {
  timer_.Stop();
  if (close) {
    if (closeOnStop_) {
      Close(true);
    } else if (IsShown()) {
      // Hiding runs the hide step, which tells the owner.
      Hide();
    }
  }
  if (notify && callback_ != nullptr && context_ != nullptr && saverId_ != 0) {
    callback_(context_, saverId_, 1, 0, 0, 0, 0, 0);
  }
}

void CSaverWnd::PaintFrame() {
  if (!image_.IsOk()) return;
  {
    wxMemoryDC dc(image_);
    canvas_->Begin(dc);
    orv::host::PlaySaverFrame(engine_, *canvas_, texts_, lines_);
  }
  Refresh(false);
}

void CSaverWnd::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  if (image_.IsOk()) dc.DrawBitmap(image_, 0, 0);
}

void CSaverWnd::OnSize(wxSizeEvent& event) {
  const wxSize size = GetClientSize();
  if (size.x != image_.GetWidth() || size.y != image_.GetHeight()) ResetImage();
  event.Skip();
}

void CSaverWnd::OnKey(wxKeyEvent&) {
  if (guard_.OnKey(orv::win::GetTickCount())) Stop(true, false);
}

void CSaverWnd::OnMouse(wxMouseEvent& event) {
  const DWORD now = orv::win::GetTickCount();
  const wxPoint screen = ClientToScreen(event.GetPosition());
  using Button = orv::host::SaverInputGuard::Button;
  bool stop = false;
  if (event.GetEventType() == wxEVT_MOTION) {
    stop = guard_.OnMouseMove(POINT{screen.x, screen.y}, now);
  } else if (event.GetEventType() == wxEVT_LEFT_DOWN) {
    stop = guard_.OnButton(Button::kLeft, now);
  } else {
    stop = guard_.OnButton(
        event.GetEventType() == wxEVT_RIGHT_DOWN ? Button::kRight : Button::kMiddle, now);
  }
  if (stop) Stop(true, false);
}

void CSaverWnd::OnActivate(wxActivateEvent& event) {
  // Losing the focus counts as a mouse move at the pointer's position.
  if (!event.GetActive() && IsShown()) {
    const wxPoint at = wxGetMousePosition();
    if (guard_.OnMouseMove(POINT{at.x, at.y}, orv::win::GetTickCount())) Stop(true, false);
  }
  event.Skip();
}
