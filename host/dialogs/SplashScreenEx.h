#pragma once
// The start-up splash: a borderless always-on-top window with the splash picture and a text
// area in which start-up reports its progress.

#include <wx/bitmap.h>
#include <wx/frame.h>

#include <string>

#include "platform/win/WinTypes.h"

class CSplashScreenEx : public wxFrame {
 public:
  static constexpr const char* kWindowName = "START_POPUPWND";

  CSplashScreenEx();
  // Creates the window (hidden) on the desktop; false when it cannot be made.
  bool Create(wxWindow* parent, const wxString& text);

  // The picture from an image file, with `transparent` as the colour that is not drawn; false
  // when the file cannot be read (the window keeps its previous picture).
  bool SetBitmap(const std::string& path, COLORREF transparent);
  // A picture made here when the file is missing: the product name on a dark ground.
  void SetDefaultBitmap(const wxString& productName);
  // The rectangle (in picture coordinates) in which the text is drawn; an empty rectangle
  // means the lower part of the picture.
  void SetTextRect(const RECT& rect);

  // Replaces the text; AddText appends to it.
  void SetText(const std::wstring& text);
  void AddText(const std::wstring& text);
  const std::wstring& GetText() const { return text_; }

  void ShowSplash();
  void HideSplash();

 private:
  void OnPaint(wxPaintEvent& event);
  wxRect TextRect() const;

  wxBitmap bitmap_;
  RECT textRect_{};
  std::wstring text_;
};
