#pragma once
// Counts the X server's Expose events that reach a window's area from outside the program:
// test processes share one display, and another process's window mapped over ours and taken
// away again makes the server ask ours to repaint what it uncovered. A paint-count test asks
// the watch whether a round was disturbed that way, so it can tell those paints from its own.

class wxWindow;

namespace orv::test {

class ExposeWatch {
 public:
  explicit ExposeWatch(wxWindow* watched);
  ~ExposeWatch();
  ExposeWatch(const ExposeWatch&) = delete;
  ExposeWatch& operator=(const ExposeWatch&) = delete;

  // Whether the watch could hook the display (no X display, no watch).
  bool Installed() const { return installed_; }
  // Expose events over the watched window since the last Reset. An Expose on another of the
  // program's native windows counts too: it cannot be placed, so it is taken as a disturbance.
  int Exposures() const { return exposures_; }
  void Reset() { exposures_ = 0; }

 private:
  static int OnEvent(void* xevent, void* event, void* data);
  void Count(unsigned long window, int x, int y, int width, int height);

  wxWindow* watched_;
  void* topWindow_ = nullptr;
  unsigned long topXid_ = 0;
  bool installed_ = false;
  int exposures_ = 0;
};

}  // namespace orv::test
