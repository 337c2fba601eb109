#include "host/frame/DisplayDpi.h"

#include <dlfcn.h>
#include <wx/display.h>
#include <wx/window.h>

#include <cmath>

namespace {

// The text resolution GTK renders fonts at (the desktop's font DPI with its scale applied),
// looked up at run time so that the build needs no GTK headers; 0 when unknown.
double DesktopTextDpi() {
  using GetDefaultScreen = void* (*)();
  using GetResolution = double (*)(void*);
  static auto getDefault =
      reinterpret_cast<GetDefaultScreen>(dlsym(RTLD_DEFAULT, "gdk_screen_get_default"));
  static auto getResolution =
      reinterpret_cast<GetResolution>(dlsym(RTLD_DEFAULT, "gdk_screen_get_resolution"));
  if (getDefault == nullptr || getResolution == nullptr) return 0;
  void* screen = getDefault();
  return screen != nullptr ? getResolution(screen) : 0;
}

}  // namespace

int LargerDpi(double monitorDpi, double textDpi) {
  const int monitor = monitorDpi >= 1 ? static_cast<int>(std::lround(monitorDpi)) : 0;
  const int text = textDpi >= 1 ? static_cast<int>(std::lround(textDpi)) : 0;
  const int dpi = monitor > text ? monitor : text;
  return dpi > 0 ? dpi : 96;
}

int HostLayoutDpi(const wxWindow* window) {
  const double monitor = window != nullptr ? window->GetDPI().y : wxDisplay().GetPPI().y;
  return LargerDpi(monitor, DesktopTextDpi());
}
