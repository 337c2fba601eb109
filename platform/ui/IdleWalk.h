#pragma once
// The toolkit's idle pass over one top-level window, limited to what is on screen.
//
// The toolkit's own pass visits every window of the tree after each batch of events: hidden
// dialogs owned by the frame, the pages of every notebook that are not selected and all their
// controls. Nothing there can change what the user sees (the command-state updates already skip
// the children of hidden windows), yet walking them is most of an idle program's work. This
// pass gives each window whose parent is shown its idle turn (its internal idle step, which also
// asks its command state, and its idle event when it asks for idle events), and descends only
// into the windows that are shown. A window that is hidden still gets its own turn, so an
// update handler can show it again; what lies under it waits until it is shown.
//
// The command states (enabled, checked) are asked at most once per update interval. The toolkit
// decides that per window, and only after looking up whether the window's parents are all on
// screen; a pass between two intervals therefore tells every window at once that no state is
// due, which leaves the result unchanged and saves the look-ups.

#include <cstdint>
#include <vector>

class wxEvent;
class wxIdleEvent;
class wxTimer;
class wxWindow;

namespace orv::ui {

// Runs the idle pass over `top` and the shown part of its tree; true when a window asked for
// more idle time. Without `askCommandStates` no window asks its command state in this pass.
bool SendIdleToShownWindows(wxWindow& top, wxIdleEvent& event, bool askCommandStates = true);

// Whether an idle pass is due to ask the command states, by the toolkit's update interval
// (0: every pass; negative: never) and the time of the last pass that asked them.
class CommandStatePacer {
 public:
  // True when a pass at `nowMs` asks the command states.
  bool Due(int64_t nowMs, long intervalMs) const;
  // After a pass at `nowMs`: starts a new interval when the last one has run out (as the
  // toolkit's own update clock does).
  void Passed(int64_t nowMs, long intervalMs);

 private:
  int64_t lastMs_ = 0;
};

// Whether an idle pass has work. An event the program handles may leave a window something to
// do in its idle turn (a list to lay out again, a command state to ask), so a pass follows it, as
// the toolkit runs one. Not counted are the passes' own idle and command-state events, painting
// (a paint only draws what is there, and a list asks for the rows it draws to be cached), and the
// ticks of quiet timers: timers that tick often and mostly change nothing a pass looks at (the
// main frame's 200 ms tick, the caption clock's second). A quiet timer's handler reports a change
// that does need a pass through Changed(); a pass after quiet ticks alone would find every window
// as the last pass left it. A pass that asked for more idle time is followed by another, and
// command states held back by their interval are asked on the first pass due after it.
//
// A handler that finds its event changed nothing a pass looks at (a trading tick that only
// counted down a status text, a posted task that only appended a log line) takes the event back
// with Unchanged(). That holds only while nothing else has happened since the event was seen:
// an event its handler caused in turn (a text set, a window shown) or a Changed() keeps the pass
// due. User-interface thread only.
class IdleGate {
 public:
  // A timer whose ticks count only through Changed(); removed before the timer goes.
  void AddQuietTimer(const wxTimer* timer);
  void RemoveQuietTimer(const wxTimer* timer);
  // Every event, before it is handled.
  void Saw(const wxEvent& event);
  // Something changed that a pass may have to act on.
  void Changed();
  // The event being handled changed nothing a pass looks at (see above).
  void Unchanged();
  // Whether a pass now has work; `statesDue`: the pass would ask the command states.
  bool PassDue(bool statesDue) const;
  // A pass begins: what happens from here on (also during the pass) makes the next one due.
  void PassStarts(bool asksStates);
  // A pass ended; `needMore`: a window asked for more idle time.
  void PassEnded(bool needMore) { moreRequested_ = needMore; }

 private:
  std::vector<const wxTimer*> quietTimers_;
  bool changed_ = true;
  bool statesPending_ = true;
  bool moreRequested_ = false;
  // Counts every event seen and every Changed(); the last counted event can be taken back
  // while the count still stands where it left it (`takeBackAt_`, 0 when none can).
  uint64_t happenings_ = 0;
  uint64_t takeBackAt_ = 0;
  bool changedBefore_ = false;
  bool statesBefore_ = false;
};

// The program's one gate: the application shows it every event and asks it before each idle
// pass; the windows that own quiet timers register them and report their changes to it. The
// host and the plug-in each link a copy of this library; both reach the same gate, which hangs
// on the application object they share.
IdleGate& ProgramIdleGate();

}  // namespace orv::ui
