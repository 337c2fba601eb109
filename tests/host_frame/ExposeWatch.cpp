#include "tests/host_frame/ExposeWatch.h"

#include <dlfcn.h>
#include <wx/window.h>

// After the toolkit's headers: Xlib's macros would clash with their names.
#include <X11/Xlib.h>

namespace orv::test {

namespace {

// The toolkit's functions are looked up at run time, as the program looks up the few it calls.
using Filter = int (*)(void*, void*, void*);
using FilterFn = void (*)(void*, Filter, void*);
using GetWindowFn = void* (*)(void*);
using GetXidFn = unsigned long (*)(void*);
using GetOriginFn = int (*)(void*, int*, int*);

template <typename Fn>
Fn Find(const char* name) {
  return reinterpret_cast<Fn>(dlsym(RTLD_DEFAULT, name));
}

}  // namespace

ExposeWatch::ExposeWatch(wxWindow* watched) : watched_(watched) {
  auto getWindow = Find<GetWindowFn>("gtk_widget_get_window");
  auto getXid = Find<GetXidFn>("gdk_x11_window_get_xid");
  auto add = Find<FilterFn>("gdk_window_add_filter");
  wxWindow* top = wxGetTopLevelParent(watched);
  if (!getWindow || !getXid || !add || !Find<GetOriginFn>("gdk_window_get_origin") || !top ||
      !top->GetHandle())
    return;
  topWindow_ = getWindow(top->GetHandle());
  if (!topWindow_) return;
  topXid_ = getXid(topWindow_);
  // A filter for no window in particular sees every event the program's connection reads.
  add(nullptr, &ExposeWatch::OnEvent, this);
  installed_ = true;
}

ExposeWatch::~ExposeWatch() {
  if (installed_) Find<FilterFn>("gdk_window_remove_filter")(nullptr, &ExposeWatch::OnEvent, this);
}

int ExposeWatch::OnEvent(void* xevent, void*, void* data) {
  const XEvent* e = static_cast<const XEvent*>(xevent);
  // Only Expose comes from outside; the program's own drawing never makes one.
  if (e->type == Expose) {
    const XExposeEvent& x = e->xexpose;
    static_cast<ExposeWatch*>(data)->Count(x.window, x.x, x.y, x.width, x.height);
  }
  return 0;  // the toolkit goes on with the event
}

void ExposeWatch::Count(unsigned long window, int x, int y, int width, int height) {
  if (window != topXid_) {
    ++exposures_;
    return;
  }
  int left = 0, top = 0;
  Find<GetOriginFn>("gdk_window_get_origin")(topWindow_, &left, &top);
  if (wxRect(left + x, top + y, width, height).Intersects(watched_->GetScreenRect())) ++exposures_;
}

}  // namespace orv::test
