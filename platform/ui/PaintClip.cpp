#include "platform/ui/PaintClip.h"

#include <wx/dc.h>
#include <wx/graphics.h>

#if defined(__WXGTK3__) && wxUSE_CAIRO
#include <cairo.h>
#define ORV_CAIRO_CLIP 1
#endif

namespace orv::ui {

bool RectInPaintClip(wxDC& dc, const wxRect& rect) {
#ifdef ORV_CAIRO_CLIP
  wxGraphicsContext* gc = dc.GetGraphicsContext();
  if (!gc || gc->GetRenderer() != wxGraphicsRenderer::GetCairoRenderer()) return true;
  auto* cr = static_cast<cairo_t*>(gc->GetNativeContext());
  if (!cr) return true;
  // The clip in user space, which is the DC's logical space (the DC's origin and scale are the
  // context's transformation).
  cairo_rectangle_list_t* list = cairo_copy_clip_rectangle_list(cr);
  if (!list) return true;
  bool inside = list->status != CAIRO_STATUS_SUCCESS;  // not a set of rectangles: draw
  const double left = rect.x, top = rect.y;
  const double right = left + rect.width, bottom = top + rect.height;
  for (int i = 0; !inside && i < list->num_rectangles; ++i) {
    const cairo_rectangle_t& c = list->rectangles[i];
    inside = c.x < right && c.x + c.width > left && c.y < bottom && c.y + c.height > top;
  }
  cairo_rectangle_list_destroy(list);
  return inside;
#else
  (void)dc;
  (void)rect;
  return true;
#endif
}

}  // namespace orv::ui
