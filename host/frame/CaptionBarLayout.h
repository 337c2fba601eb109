#pragma once
// The own caption bar's sizes and button rectangles, free of windows: sizes are given at 96
// DPI and scaled with MulDiv(value, dpi, 96); buttons are laid out from the right edge.

#include <array>

#include "platform/win/WinTypes.h"

namespace orv::host {

// Button numbers as the hit test answers them; 0 is no button.
enum CaptionButton : int {
  kCaptionNone = 0,
  kCaptionMinimise = 1,
  kCaptionMaximise = 2,
  kCaptionClose = 3,
  kCaptionPin = 4,
  kCaptionSettings = 5,
  kCaptionLanguage = 6,
  kCaptionLogin = 7,
  kCaptionAbout = 8,
};

struct CaptionMetrics {
  int height = 36;
  int buttonWidth = 46;
  int iconSize = 32;
  int gap = 8;
  int clockInset = 8;
  int clockWidth = 120;
  int clockHeight = 22;
  // The language button's width; the other buttons are buttonWidth wide.
  int languageWidth = 46;
};

// MulDiv as Windows rounds it: value * numerator / denominator, rounded half away from zero.
int MulDiv(int value, int numerator, int denominator);

// The sizes for a DPI (96 when the DPI is unknown, i.e. 0 or less).
CaptionMetrics ScaleCaptionMetrics(int dpi);

// Widens the clock field and the language button so that their texts, as wide as measured in
// the bar's fonts, fit with a gap on either side; never narrower than the sizes in `m`.
CaptionMetrics FitCaptionTexts(CaptionMetrics m, int clockTextWidth, int languageTextWidth);

struct CaptionLayout {
  // Indexed by CaptionButton (entry 0 unused).
  std::array<RECT, 9> buttons{};
  RECT clock{};
};

CaptionLayout LayoutCaptionBar(int width, int height, const CaptionMetrics& metrics);

// The button under the point, tested in the order close, maximise, minimise, pin, settings,
// language, about, log-in; kCaptionNone elsewhere. Rectangles hold their left and top edges,
// not their right and bottom ones.
int CaptionHitTest(const CaptionLayout& layout, POINT point);

// The language button's label: "ENG ▼", "CHN ▼", "JPN ▼", else "한 ▼".
const wchar_t* CaptionLanguageLabel(int language);

}  // namespace orv::host
