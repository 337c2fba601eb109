#include "platform/ui/IdleWalk.h"

#include <wx/event.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/window.h>

namespace orv::ui {
namespace {

// The window's own turn: its internal idle step, then its idle event when the event goes to
// every window or the window asked for idle events.
bool IdleTurn(wxWindow& window, wxIdleEvent& event) {
  window.OnInternalIdle();
  if (wxIdleEvent::GetMode() == wxIDLE_PROCESS_ALL ||
      window.HasExtraStyle(wxWS_EX_PROCESS_IDLE)) {
    event.SetEventObject(&window);
    window.HandleWindowEvent(event);
    return event.MoreRequested();
  }
  return false;
}

bool Walk(wxWindow& window, wxIdleEvent& event) {
  bool needMore = IdleTurn(window, event);
  if (!window.IsShown()) return needMore;
  for (wxWindowList::compatibility_iterator node = window.GetChildren().GetFirst(); node;
       node = node->GetNext()) {
    if (Walk(*node->GetData(), event)) needMore = true;
  }
  return needMore;
}

// For the pass: only windows that ask for command-state updates themselves would ask (and the
// update interval, not yet run out, still stops them); the mode in force comes back after.
class NoCommandStates {
 public:
  explicit NoCommandStates(bool on) : on_(on), mode_(wxUpdateUIEvent::GetMode()) {
    if (on_) wxUpdateUIEvent::SetMode(wxUPDATE_UI_PROCESS_SPECIFIED);
  }
  ~NoCommandStates() {
    if (on_) wxUpdateUIEvent::SetMode(mode_);
  }
  NoCommandStates(const NoCommandStates&) = delete;
  NoCommandStates& operator=(const NoCommandStates&) = delete;

 private:
  bool on_;
  wxUpdateUIMode mode_;
};

}  // namespace

bool SendIdleToShownWindows(wxWindow& top, wxIdleEvent& event, bool askCommandStates) {
  NoCommandStates pause(!askCommandStates);
  bool needMore = Walk(top, event);
#if wxUSE_MENUS
  // A frame's menu bar is not among its children on every port; it gets its pass as the
  // toolkit gives it one.
  if (auto* frame = wxDynamicCast(&top, wxFrame)) {
    wxMenuBar* bar = frame->GetMenuBar();
    if (bar && top.IsShown() && !top.GetChildren().Find(bar) && Walk(*bar, event)) needMore = true;
  }
#endif
  return needMore;
}

bool CommandStatePacer::Due(int64_t nowMs, long intervalMs) const {
  if (intervalMs < 0) return false;
  return intervalMs == 0 || nowMs > lastMs_ + intervalMs;
}

void CommandStatePacer::Passed(int64_t nowMs, long intervalMs) {
  if (intervalMs > 0 && nowMs > lastMs_ + intervalMs) lastMs_ = nowMs;
}

}  // namespace orv::ui
