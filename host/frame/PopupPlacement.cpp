#include "host/frame/PopupPlacement.h"

#include <cstddef>

namespace orv::host {

namespace {

bool Intersects(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

POINT PlacePopupRect(POINT start, int width, int height, const std::vector<RECT>& open) {
  RECT rc{start.x, start.y, start.x + width, start.y + height};
  // Each move puts the popup strictly above the one it hit, so every open popup is passed at
  // most once and the loop ends after at most open.size() moves.
  for (std::size_t moves = 0; moves <= open.size(); ++moves) {
    const RECT* hit = nullptr;
    for (const RECT& other : open) {
      if (Intersects(rc, other)) {
        hit = &other;
        break;
      }
    }
    if (hit == nullptr) break;
    rc.bottom = hit->top;
    rc.top = rc.bottom - height;
  }
  return POINT{rc.left, rc.top};
}

POINT DefaultPopupCorner(const RECT& workArea, int width, int height) {
  constexpr int kMargin = 8;
  return POINT{workArea.right - width - kMargin, workArea.bottom - height - kMargin};
}

}  // namespace orv::host
