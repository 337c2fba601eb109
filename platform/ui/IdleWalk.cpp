#include "platform/ui/IdleWalk.h"

#include <wx/app.h>
#include <wx/event.h>
#include <wx/frame.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/timer.h>
#include <wx/window.h>

#include <algorithm>

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

void IdleGate::AddQuietTimer(const wxTimer* timer) {
  if (std::find(quietTimers_.begin(), quietTimers_.end(), timer) == quietTimers_.end())
    quietTimers_.push_back(timer);
}

void IdleGate::RemoveQuietTimer(const wxTimer* timer) {
  quietTimers_.erase(std::remove(quietTimers_.begin(), quietTimers_.end(), timer),
                     quietTimers_.end());
}

void IdleGate::Saw(const wxEvent& event) {
  ++happenings_;
  takeBackAt_ = 0;
  const wxEventType type = event.GetEventType();
  if (type == wxEVT_IDLE || type == wxEVT_UPDATE_UI || type == wxEVT_PAINT ||
      type == wxEVT_NC_PAINT || type == wxEVT_ERASE_BACKGROUND || type == wxEVT_LIST_CACHE_HINT) {
    return;
  }
  if (type == wxEVT_TIMER) {
    // A timer's event carries the timer's id and comes from the timer's owner.
    for (const wxTimer* timer : quietTimers_) {
      if (event.GetId() == timer->GetId() && event.GetEventObject() == timer->GetOwner()) return;
    }
  }
  const bool changedBefore = changed_;
  const bool statesBefore = statesPending_;
  Changed();
  changedBefore_ = changedBefore;
  statesBefore_ = statesBefore;
  takeBackAt_ = happenings_;
}

void IdleGate::Changed() {
  ++happenings_;
  takeBackAt_ = 0;
  changed_ = true;
  statesPending_ = true;
}

void IdleGate::Unchanged() {
  if (takeBackAt_ != 0 && takeBackAt_ == happenings_) {
    changed_ = changedBefore_;
    statesPending_ = statesBefore_;
  }
  takeBackAt_ = 0;
}

bool IdleGate::PassDue(bool statesDue) const {
  return changed_ || moreRequested_ || (statesDue && statesPending_);
}

void IdleGate::PassStarts(bool asksStates) {
  takeBackAt_ = 0;
  changed_ = false;
  moreRequested_ = false;
  if (asksStates) statesPending_ = false;
}

IdleGate& ProgramIdleGate() {
  // Never destroyed: windows that outlive static destruction still take their timers off. The
  // gate is the application's client data (nothing else of the program uses it); the copy of
  // this library that asks first makes it, and the other finds it there.
  static IdleGate* noApp = nullptr;
  wxAppConsole* app = wxAppConsole::GetInstance();
  if (app == nullptr) {
    if (noApp == nullptr) noApp = new IdleGate;
    return *noApp;
  }
  auto* gate = static_cast<IdleGate*>(app->GetClientData());
  if (gate == nullptr) {
    gate = new IdleGate;
    app->SetClientData(gate);
  }
  return *gate;
}

}  // namespace orv::ui
