#include "plugin/view/ViewLayout.h"

namespace {

int Trunc(double x) { return static_cast<int>(x); }

RECT Rect(int x, int y, int w, int h) { return RECT{x, y, x + w, y + h}; }

}  // namespace

int EffectiveSplitterPos(int pos, int clientWidth) {
  return pos < kSplitterHalf ? Trunc(clientWidth / 2.0) : pos;
}

CheckRowRects_s LayoutCheckRow(int right, int barBottom, double s) {
  CheckRowRects_s r;
  const int y = barBottom + 2;
  const int h = Trunc(24 * s);
  const int w110 = Trunc(110 * s);
  const int x0 = Trunc(right - 85 * s);
  r.simpleUi = Rect(x0, y, w110, h);
  const int x1 = x0 - 5 - w110;
  r.profitSteps = Rect(x1, y, w110, h);
  const int x2 = Trunc(x1 - (130 * s + 5));
  r.sellOneByOne = Rect(x2, y, Trunc(x2 + 130 * s) - x2, h);
  const int x3 = Trunc(x2 - (110 * s + 5));
  r.slot = Rect(x3, y, w110, h);
  const int w130 = Trunc(130 * s);
  r.profitRates = Rect(x3 - w130 - 5, y, w130, h);
  return r;
}
