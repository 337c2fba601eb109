#include "plugin/view/ViewLayout.h"

#include <algorithm>
#include <array>

namespace {

int Trunc(double x) { return static_cast<int>(x); }

RECT Rect(int x, int y, int w, int h) { return RECT{x, y, x + w, y + h}; }

std::array<const RECT*, 5> Boxes(const CheckRowRects_s& row) {
  return {&row.simpleUi, &row.profitSteps, &row.sellOneByOne, &row.slot, &row.profitRates};
}

}  // namespace

int EffectiveSplitterPos(int pos, int clientWidth) {
  return pos < kSplitterHalf ? Trunc(clientWidth / 2.0) : pos;
}

CheckRowRects_s LayoutCheckRow(int right, int barBottom, double s, const CheckRowNeeds_s& needs) {
  CheckRowRects_s r;
  const int y = barBottom + 2;
  const int h = std::max(Trunc(24 * s), needs.height);
  const int w110 = Trunc(110 * s);
  const int x0 = std::min(Trunc(right - 85 * s), right - needs.simpleUi);
  r.simpleUi = Rect(x0, y, std::max(w110, needs.simpleUi), h);
  const int w1 = std::max(w110, needs.profitSteps);
  const int x1 = x0 - 5 - w1;
  r.profitSteps = Rect(x1, y, w1, h);
  // At the default width the box keeps its own rounding (its left edge from the unrounded
  // width, its width reaching the unrounded right edge).
  int x2 = Trunc(x1 - (130 * s + 5));
  int w2 = Trunc(x2 + 130 * s) - x2;
  if (needs.sellOneByOne > w2) {
    w2 = needs.sellOneByOne;
    x2 = x1 - 5 - w2;
  }
  r.sellOneByOne = Rect(x2, y, w2, h);
  int x3 = Trunc(x2 - (110 * s + 5));
  if (needs.slot > w110) x3 = x2 - 5 - needs.slot;
  r.slot = Rect(x3, y, std::max(w110, needs.slot), h);
  const int w130 = std::max(Trunc(130 * s), needs.profitRates);
  r.profitRates = Rect(x3 - w130 - 5, y, w130, h);
  return r;
}

int TabsTopBelowCheckRow(const CheckRowRects_s& row, int barBottom, int tabsRight, int gap) {
  int left = row.simpleUi.left;
  for (const RECT* box : Boxes(row)) left = std::min(left, static_cast<int>(box->left));
  if (left >= tabsRight + gap) return barBottom;
  int bottom = barBottom;
  for (const RECT* box : Boxes(row)) bottom = std::max(bottom, static_cast<int>(box->bottom) + 2);
  return bottom;
}

CheckRowRects_s FitCheckRow(const CheckRowRects_s& row, int left, int right) {
  int rowLeft = row.simpleUi.left;
  for (const RECT* box : Boxes(row)) rowLeft = std::min(rowLeft, static_cast<int>(box->left));
  if (rowLeft >= left) return row;
  CheckRowRects_s fitted = row;
  RECT* boxes[] = {&fitted.profitRates, &fitted.slot, &fitted.sellOneByOne, &fitted.profitSteps,
                   &fitted.simpleUi};
  std::vector<BarItemSize_s> sizes;
  for (RECT* box : boxes)
    sizes.push_back(BarItemSize_s{box->right - box->left, box->bottom - box->top});
  const BarPlacement_s placed = WrapBarItems(sizes, right - left, 5, 0);
  for (size_t i = 0; i < sizes.size(); ++i)
    *boxes[i] = Rect(left + placed.positions[i].x, row.simpleUi.top + placed.positions[i].y,
                     sizes[i].width, sizes[i].height);
  return fitted;
}

BarPlacement_s WrapBarItems(const std::vector<BarItemSize_s>& items, int width, int gap,
                            int margin, int maxRows) {
  BarPlacement_s placement;
  placement.positions.assign(items.size(), POINT{0, 0});
  placement.rows.assign(items.size(), -1);
  // First the rows: where each starts and how high it is.
  std::vector<size_t> rowStarts;
  std::vector<int> rowHeights;
  int x = margin;
  for (size_t i = 0; i < items.size(); ++i) {
    // A row takes at least one item, however wide.
    if (rowStarts.empty() || (x > margin && x + items[i].width > width - margin)) {
      rowStarts.push_back(i);
      rowHeights.push_back(0);
      x = margin;
    }
    rowHeights.back() = std::max(rowHeights.back(), items[i].height);
    x += items[i].width + gap;
  }
  placement.rowCount = static_cast<int>(rowStarts.size());
  const size_t kept = maxRows > 0 ? std::min(rowStarts.size(), static_cast<size_t>(maxRows))
                                  : rowStarts.size();
  // Then the places: each item centred vertically in its row.
  int y = margin;
  for (size_t row = 0; row < kept; ++row) {
    const size_t end = row + 1 < rowStarts.size() ? rowStarts[row + 1] : items.size();
    x = margin;
    for (size_t i = rowStarts[row]; i < end; ++i) {
      placement.positions[i] = POINT{x, y + (rowHeights[row] - items[i].height) / 2};
      placement.rows[i] = static_cast<int>(row);
      x += items[i].width + gap;
    }
    y += rowHeights[row] + margin;
  }
  placement.height = kept == 0 ? 0 : y;
  return placement;
}
