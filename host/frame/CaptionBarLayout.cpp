#include "host/frame/CaptionBarLayout.h"

#include <cstdint>

namespace orv::host {

int MulDiv(int value, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const int64_t product = static_cast<int64_t>(value) * numerator;
  const int64_t half = (denominator < 0 ? -denominator : denominator) / 2;
  const bool negative = (product < 0) != (denominator < 0);
  const int64_t magnitude =
      ((product < 0 ? -product : product) + half) / (denominator < 0 ? -denominator : denominator);
  return static_cast<int>(negative ? -magnitude : magnitude);
}

CaptionMetrics ScaleCaptionMetrics(int dpi) {
  if (dpi <= 0) dpi = 96;
  const CaptionMetrics base;
  CaptionMetrics m;
  m.height = MulDiv(base.height, dpi, 96);
  m.buttonWidth = MulDiv(base.buttonWidth, dpi, 96);
  m.iconSize = MulDiv(base.iconSize, dpi, 96);
  m.gap = MulDiv(base.gap, dpi, 96);
  m.clockInset = MulDiv(base.clockInset, dpi, 96);
  m.clockWidth = MulDiv(base.clockWidth, dpi, 96);
  m.clockHeight = MulDiv(base.clockHeight, dpi, 96);
  m.languageWidth = MulDiv(base.languageWidth, dpi, 96);
  return m;
}

CaptionMetrics FitCaptionTexts(CaptionMetrics m, int clockTextWidth, int languageTextWidth) {
  if (clockTextWidth + 2 * m.gap > m.clockWidth) m.clockWidth = clockTextWidth + 2 * m.gap;
  if (languageTextWidth + 2 * m.gap > m.languageWidth)
    m.languageWidth = languageTextWidth + 2 * m.gap;
  return m;
}

CaptionLayout LayoutCaptionBar(int width, int height, const CaptionMetrics& m) {
  CaptionLayout layout;
  const int b = m.buttonWidth;
  auto button = [&](int right) { return RECT{right - b, 0, right, height}; };
  layout.buttons[kCaptionClose] = button(width);
  layout.buttons[kCaptionMaximise] = button(width - b);
  layout.buttons[kCaptionMinimise] = button(width - 2 * b);
  int right = width - 3 * b - m.gap;
  layout.clock = RECT{right - m.clockWidth, m.clockInset, right, height - m.clockInset};
  right = layout.clock.left - m.gap;
  layout.buttons[kCaptionLanguage] = RECT{right - m.languageWidth, 0, right, height};
  right -= m.languageWidth + m.gap;
  layout.buttons[kCaptionSettings] = button(right);
  right -= b;
  layout.buttons[kCaptionAbout] = button(right);
  right -= b + m.gap;
  layout.buttons[kCaptionPin] = button(right);
  right -= b + m.gap;
  layout.buttons[kCaptionLogin] = button(right);
  return layout;
}

int CaptionHitTest(const CaptionLayout& layout, POINT p) {
  static const int kOrder[] = {kCaptionClose,    kCaptionMaximise, kCaptionMinimise, kCaptionPin,
                               kCaptionSettings, kCaptionLanguage, kCaptionAbout,    kCaptionLogin};
  for (int button : kOrder) {
    const RECT& r = layout.buttons[button];
    if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom) return button;
  }
  return kCaptionNone;
}

const wchar_t* CaptionLanguageLabel(int language) {
  switch (language) {
    case 1:
      return L"ENG ▼";
    case 3:
      return L"CHN ▼";
    case 4:
      return L"JPN ▼";
    default:
      return L"한 ▼";
  }
}

}  // namespace orv::host
