#pragma once
// Whether a rectangle of a window being painted can change what is on screen.
//
// The toolkit hands a window's paint handler the bounding box of everything invalidated since
// the last paint, while the drawing surface is clipped to the invalidated areas themselves. A
// grid that refreshed a few cells far apart would thus draw every cell between them, to have
// the clip throw the work away. The surface's own clip tells which cells are really due.

#include <wx/gdicmn.h>

class wxDC;

namespace orv::ui {

// False only when `rect` (in the DC's logical coordinates) lies wholly outside the areas the
// DC's drawing surface lets through; true when it does not or cannot tell.
bool RectInPaintClip(wxDC& dc, const wxRect& rect);

}  // namespace orv::ui
