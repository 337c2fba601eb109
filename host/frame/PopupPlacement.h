#pragma once
// Where a new popup notification goes: from a start corner position it moves up past every
// open popup it would overlap, so that popups stack instead of covering each other.

#include <vector>

#include "platform/win/WinTypes.h"

namespace orv::host {

// The top-left position for a popup of width x height whose first choice is `start`: while its
// rectangle intersects one of `open`, it moves up so that its bottom meets that popup's top.
POINT PlacePopupRect(POINT start, int width, int height, const std::vector<RECT>& open);

// The toolkit's default corner: the bottom-right corner of the work area, with a small margin.
POINT DefaultPopupCorner(const RECT& workArea, int width, int height);

}  // namespace orv::host
