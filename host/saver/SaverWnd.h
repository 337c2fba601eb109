#pragma once
// The host's own screen saver: a black, borderless, topmost window over a monitor on which
// the animation engine plays the saver's scenes every 20 ms until a key, a button or a mouse
// move ends it. What it shows and which input ends it are decided in SaverScene; this window
// only draws the engine's frames and passes the input on.
//
// Stopping hides the window (or closes it when it was made to close on stop) and calls the
// owner's callback once with the saver id and 1. Closing or destroying the saver never ends
// the application.

#include <wx/bitmap.h>
#include <wx/frame.h>
#include <wx/timer.h>

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "host/saver/AnimationEngine.h"
#include "host/saver/SaverScene.h"

// The owner's callback: context, saver id and six values (1 and five zeros when stopped).
using SaverCallback = void (*)(void* context, int saverId, intptr_t v1, intptr_t v2, intptr_t v3,
                               intptr_t v4, intptr_t v5, intptr_t v6);

class CSaverWnd : public wxFrame {
 public:
  static constexpr int kFrameMs = 20;

  // timeoutMs below 1001 becomes 1000.
  CSaverWnd(int timeoutMs, bool closeOnStop, int saverId, SaverCallback callback, void* context);
  ~CSaverWnd() override;

  // Makes the window over `area` (screen coordinates) with `owner` as its parent; shown at
  // once when `visible`. False when the toolkit cannot make it.
  bool CreateSaver(wxWindow* owner, const wxRect& area, bool visible);

  // Shows: input tracking and guard restart, the 20 ms timer starts, the window goes on top
  // and takes the focus. Hides: stops without closing, with the owner told.
  bool Show(bool show = true) override;

  // Kills the timer; with `close`, closes or hides the window; with `notify`, tells the owner.
  void Stop(bool close, bool notify);

  int SetMessageLine(int index, const std::wstring& first, const std::wstring& second,
                     const std::wstring& third) {
    return lines_.Set(index, first, second, third);
  }
  void ClearMessageLines(int first) { lines_.Clear(first); }
  void SetTitleText(const std::wstring& text) { texts_.title = text.substr(0, 99); }
  void SetSubtitleText(const std::wstring& text) { texts_.subtitle = text.substr(0, 99); }
  void SetHeadingText(const std::wstring& text) { texts_.heading = text.substr(0, 99); }
  void SetLogoPath(const std::string& path) { texts_.logoPath = path; }

  int SaverId() const { return saverId_; }
  int TimeoutMs() const { return timeoutMs_; }
  bool TimerRunning() const { return timer_.IsRunning(); }
  const orv::host::SaverTexts& Texts() const { return texts_; }
  const orv::host::SaverMessageLines& Lines() const { return lines_; }
  CAnimationEngine& Engine() { return engine_; }
  // One frame drawn into the window's image (the timer's tick).
  void PaintFrame();
  // The window's current image.
  const wxBitmap& Image() const { return image_; }

 private:
  class Canvas;

  void OnKey(wxKeyEvent& event);
  void OnMouse(wxMouseEvent& event);
  void OnActivate(wxActivateEvent& event);
  void OnPaint(wxPaintEvent& event);
  void OnSize(wxSizeEvent& event);
  void CheckMove(POINT cursor);
  void ResetImage();

  int timeoutMs_;
  bool closeOnStop_;
  int saverId_;
  SaverCallback callback_;
  void* context_;
  orv::host::SaverTexts texts_;
  orv::host::SaverMessageLines lines_;
  orv::host::SaverInputGuard guard_;
  CAnimationEngine engine_;
  wxTimer timer_;
  wxBitmap image_;
  std::unique_ptr<Canvas> canvas_;
};
