#pragma once
// The main frame's own dark caption bar, used when the frame has no system caption: the
// application icon and title, the log-in, pin, about, settings and language buttons, a clock
// field with the local date and time (updated every second), and the minimise, maximise or
// restore and close buttons. Dragging the bar moves the frame, a double click maximises or
// restores it. Buttons that run commands send a wxEVT_MENU with the command id to the frame,
// as the ribbon does; a language chosen from its menu goes to the frame as command 1534 with
// the language in GetInt().

#include <wx/generic/stattextg.h>
#include <wx/timer.h>
#include <wx/window.h>

#include <string>

#include "host/frame/CaptionBarLayout.h"
#include "host/frame/CommandIds.h"

class wxFrame;

// The window id of the clock field.
constexpr int kCaptionClockId = 1001;

// The glyph a button shows; with the symbol fonts the Windows code points, without them
// Unicode stand-ins that the desktop's fonts carry.
std::wstring CaptionButtonGlyph(int button, bool pinned, bool maximised, bool symbolFonts);

class CCaptionBar : public wxWindow {
 public:
  // Colours as 0x00BBGGRR.
  static constexpr COLORREF kBackground = 0x201814;
  static constexpr COLORREF kTitleText = 0xF5EBE6;
  static constexpr COLORREF kGlyph = 0xE6DCDC;
  static constexpr COLORREF kFaceNormal = 0x342824;
  static constexpr COLORREF kFaceHover = 0x3E322E;
  static constexpr COLORREF kFacePressed = 0x2E221E;
  static constexpr COLORREF kCloseHover = 0x3A3AC4;
  static constexpr COLORREF kClosePressed = 0x2A2AB0;

  CCaptionBar(wxFrame* owner, wxWindow* parent);
  ~CCaptionBar() override;

  // Recomputes the sizes for the window's DPI and lays the buttons out over the width.
  void UpdateLayout();
  void SetClockColours(COLORREF background, COLORREF text);
  void SetTopmost(bool on);
  void ToggleTopmost() { SetTopmost(!pinned_); }
  bool IsTopmost() const { return pinned_; }
  void UpdateClock();
  // The language the language button shows (1 English, 2 Korean, 3 Chinese, 4 Japanese).
  void SetLanguage(int language);
  int GetLanguage() const { return language_; }
  void SetSettingsCommand(int id) { settingsCommand_ = id; }

  int HitTest(POINT point) const { return orv::host::CaptionHitTest(layout_, point); }
  const orv::host::CaptionLayout& GetButtonLayout() const { return layout_; }
  const orv::host::CaptionMetrics& GetMetrics() const { return metrics_; }
  wxGenericStaticText* GetClockField() const { return clock_; }
  int GetHovered() const { return hovered_; }
  int GetPressed() const { return pressed_; }

  // What a release of the pressed button over `button` does (see the .cpp); public so that
  // the frame's tests can press buttons without a pointer.
  void ActOnButton(int button);

 private:
  // Restarts the clock timer so that it ticks in the middle of the next second.
  void KeepClockTimerMidSecond();
  void OnPaint(wxPaintEvent& event);
  void OnSize(wxSizeEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnLeave(wxMouseEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnDoubleClick(wxMouseEvent& event);
  void OnRightUp(wxMouseEvent& event);
  void OnCaptureLost(wxMouseCaptureLostEvent& event);
  void ShowLanguageMenu();
  void ShowSystemMenu(const wxPoint& at);
  void SendCommand(int id, int value = 0);
  void ToggleMaximise();

  wxFrame* owner_;
  orv::host::CaptionMetrics metrics_;
  orv::host::CaptionLayout layout_;
  // Drawn by the program itself: a new time each second repaints the field alone, where a
  // toolkit label would lay out the whole window again.
  wxGenericStaticText* clock_ = nullptr;
  wxTimer clockTimer_;
  COLORREF clockBackground_ = 0x342824;
  COLORREF clockText_ = 0xF5EBE6;
  int hovered_ = 0;
  int pressed_ = 0;
  bool dragging_ = false;
  wxPoint dragStart_;
  wxPoint frameStart_;
  int language_ = 2;
  int settingsCommand_ = 0;
  bool pinned_ = false;
  bool symbolFonts_ = false;
};
