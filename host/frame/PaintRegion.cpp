#include "host/frame/PaintRegion.h"

#include <wx/region.h>
#include <wx/window.h>

bool RepaintOnlyUnderChildren(const wxWindow& window) {
  const wxRegion& region = window.GetUpdateRegion();
  if (region.IsEmpty()) return false;
  for (wxRegionIterator part(region); part; ++part) {
    const wxRect rect = part.GetRect();
    bool covered = false;
    for (const wxWindow* child : window.GetChildren()) {
      if (child->IsTopLevel() || !child->IsShown()) continue;
      if (child->GetRect().Contains(rect)) {
        covered = true;
        break;
      }
    }
    if (!covered) return false;
  }
  return true;
}
