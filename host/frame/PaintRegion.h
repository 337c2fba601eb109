#pragma once
// Whether a window's own drawing would show in the part of it being repainted.

class wxWindow;

// True when the part of `window` being repainted (its update region, valid inside a paint
// handler) lies wholly under shown child windows: those paint themselves, and whatever the
// window draws there is hidden. The toolkit sends a parent a paint event for every child that
// repaints, so a parent that draws much skips its drawing then.
bool RepaintOnlyUnderChildren(const wxWindow& window);
