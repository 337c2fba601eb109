// The idle pass over the shown part of a window tree: who gets an idle turn, who asks its command
// state, and when the command states are due.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/listctrl.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/timer.h>

#include <functional>
#include <map>
#include <string>

#include "WxTestApp.h"
#include "platform/ui/IdleWalk.h"

namespace orv::ui {
namespace {

using namespace std::chrono_literals;

// Idle events go only to the windows that ask, and command states are asked on every pass
// that asks them at all; both as the program sets them, restored after each test.
class IdleWalkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    idleMode_ = wxIdleEvent::GetMode();
    interval_ = wxUpdateUIEvent::GetUpdateInterval();
    wxIdleEvent::SetMode(wxIDLE_PROCESS_SPECIFIED);
    wxUpdateUIEvent::SetUpdateInterval(0);
    frame_ = new wxFrame(nullptr, wxID_ANY, "idle", wxDefaultPosition, wxSize(400, 300));
    shown_ = Counted(frame_, "shown");
    shownChild_ = Counted(shown_, "shown child");
    hidden_ = Counted(frame_, "hidden");
    hiddenChild_ = Counted(hidden_, "hidden child");
    hiddenGrandchild_ = Counted(hiddenChild_, "hidden grandchild");
    hidden_->Hide();
    book_ = new wxNotebook(frame_, wxID_ANY);
    auto* first = new wxPanel(book_);
    auto* second = new wxPanel(book_);
    Counted(first, "selected page control");
    Counted(second, "other page control");
    book_->AddPage(first, "1", true);
    book_->AddPage(second, "2", false);
    frame_->Show();
    orv::test::PumpEventsFor(100ms);
  }
  void TearDown() override {
    frame_->Destroy();
    orv::test::PumpEventsFor(20ms);
    wxIdleEvent::SetMode(idleMode_);
    wxUpdateUIEvent::SetUpdateInterval(interval_);
  }

  // A panel that asks for idle events and counts them and its command-state asks by name.
  wxPanel* Counted(wxWindow* parent, const std::string& name) {
    auto* panel = new wxPanel(parent, wxID_ANY);
    panel->SetExtraStyle(panel->GetExtraStyle() | wxWS_EX_PROCESS_IDLE);
    panel->Bind(wxEVT_IDLE, [this, name](wxIdleEvent& e) {
      ++idle_[name];
      e.Skip();
    });
    panel->Bind(wxEVT_UPDATE_UI, [this, name, panel](wxUpdateUIEvent& e) {
      if (e.GetEventObject() == panel) ++states_[name];
    });
    return panel;
  }

  bool Pass(bool askStates) {
    idle_.clear();
    states_.clear();
    wxIdleEvent event;
    return SendIdleToShownWindows(*frame_, event, askStates);
  }

  wxIdleMode idleMode_ = wxIDLE_PROCESS_ALL;
  long interval_ = 0;
  wxFrame* frame_ = nullptr;
  wxPanel* shown_ = nullptr;
  wxPanel* shownChild_ = nullptr;
  wxPanel* hidden_ = nullptr;
  wxPanel* hiddenChild_ = nullptr;
  wxPanel* hiddenGrandchild_ = nullptr;
  wxNotebook* book_ = nullptr;
  std::map<std::string, int> idle_;
  std::map<std::string, int> states_;
};

TEST_F(IdleWalkTest, ShownWindowsGetTheirTurnHiddenOnesOnlyTheirOwn) {
  ASSERT_TRUE(frame_->IsShown());
  ASSERT_FALSE(book_->GetPage(1)->IsShown()) << "the toolkit hides a page not selected";
  EXPECT_FALSE(Pass(true));
  const std::map<std::string, int> expected = {{"shown", 1},
                                               {"shown child", 1},
                                               {"hidden", 1},
                                               {"selected page control", 1}};
  EXPECT_EQ(idle_, expected);
  // The command states are asked where the idle turns went; the hidden window's own handler
  // may show it again.
  EXPECT_EQ(states_, expected);

  // Its parent shown again, the hidden subtree is walked on the next pass.
  hidden_->Show();
  book_->SetSelection(1);
  Pass(true);
  for (const char* name :
       {"hidden child", "hidden grandchild", "other page control", "shown child"})
    EXPECT_EQ(idle_[name], 1) << name;
  EXPECT_EQ(idle_.count("selected page control"), 0u) << "now the page not selected";
}

TEST_F(IdleWalkTest, APassThatDoesNotAskCommandStatesStillGivesIdleTurnsAndRestoresTheMode) {
  ASSERT_EQ(wxUpdateUIEvent::GetMode(), wxUPDATE_UI_PROCESS_ALL);
  Pass(false);
  EXPECT_EQ(idle_["shown child"], 1);
  EXPECT_TRUE(states_.empty());
  EXPECT_EQ(wxUpdateUIEvent::GetMode(), wxUPDATE_UI_PROCESS_ALL);
  Pass(true);
  EXPECT_EQ(states_["shown child"], 1);
}

TEST_F(IdleWalkTest, OnlyAWindowOnTheWalkCanAskForMoreIdleTime) {
  hiddenGrandchild_->Bind(wxEVT_IDLE, [](wxIdleEvent& e) { e.RequestMore(); });
  EXPECT_FALSE(Pass(true)) << "a window under a hidden one is not walked";
  shownChild_->Bind(wxEVT_IDLE, [](wxIdleEvent& e) {
    e.RequestMore();
    e.Skip();
  });
  EXPECT_TRUE(Pass(true));
  EXPECT_EQ(idle_["shown child"], 1);
}

TEST(CommandStatePacer, DueOncePerIntervalAsTheToolkitsUpdateClock) {
  struct Step {
    int64_t now;
    long interval;
    bool due;
  };
  // A pass asks when the interval ran out since the last pass that started a new one; an
  // interval of 0 asks on every pass, a negative one never.
  const Step steps[] = {{1000, 250, true},  {1100, 250, false}, {1250, 250, false},
                        {1251, 250, true},  {1300, 250, false}, {1300, 0, true},
                        {1301, -1, false},  {5000, -1, false},  {5000, 250, true}};
  CommandStatePacer pacer;
  for (const Step& s : steps) {
    EXPECT_EQ(pacer.Due(s.now, s.interval), s.due) << s.now << " " << s.interval;
    pacer.Passed(s.now, s.interval);
  }
}

TEST(IdleGate, APassFollowsEveryEventButDrawingQuietTimersUnchangedTicksAndTakenBackEvents) {
  wxEvtHandler owner;
  wxEvtHandler other;
  wxTimer quiet(&owner, 7);
  wxTimer secondQuiet(&other, 3);
  wxTimer sameIdElsewhere(&other, 7);
  wxTimer otherId(&owner, 8);
  const wxTimerEvent quietTick(quiet);
  const wxTimerEvent secondQuietTick(secondQuiet);
  const wxTimerEvent foreignTick(sameIdElsewhere);
  const wxTimerEvent ownersOtherTick(otherId);
  const wxCommandEvent button(wxEVT_BUTTON, 100);
  const wxSizeEvent size(wxSize(10, 10));
  const wxIdleEvent idle;
  const wxUpdateUIEvent state(100);
  // Only the toolkit makes paint events; the gate looks at the kind alone.
  const wxCommandEvent paint(wxEVT_PAINT);
  const wxCommandEvent frameBorderPaint(wxEVT_NC_PAINT);
  const wxEraseEvent erase;
  const wxListEvent cacheHint(wxEVT_LIST_CACHE_HINT);
  const wxCommandEvent posted(wxEVT_ASYNC_METHOD_CALL);
  const wxCommandEvent text(wxEVT_TEXT, 101);
  // Each case starts after a pass that asked the command states and wanted no more time.
  struct Case {
    const char* what;
    std::function<void(IdleGate&)> happen;
    bool due;
  };
  const Case cases[] = {
      {"nothing", [](IdleGate&) {}, false},
      {"quiet timers' ticks", [&](IdleGate& g) { g.Saw(quietTick), g.Saw(secondQuietTick); }, false},
      {"the passes' own events", [&](IdleGate& g) { g.Saw(idle), g.Saw(state); }, false},
      {"drawing", [&](IdleGate& g) { g.Saw(paint), g.Saw(frameBorderPaint), g.Saw(erase), g.Saw(cacheHint); }, false},
      {"a quiet tick that changed something",
       [&](IdleGate& g) {
         g.Saw(quietTick);
         g.Changed();
       },
       true},
      {"a timer no longer quiet",
       [&](IdleGate& g) {
         g.RemoveQuietTimer(&secondQuiet);
         g.Saw(secondQuietTick);
       },
       true},
      {"a timer of another owner with the same id", [&](IdleGate& g) { g.Saw(foreignTick); }, true},
      {"another timer of the same owner", [&](IdleGate& g) { g.Saw(ownersOtherTick); }, true},
      {"a button", [&](IdleGate& g) { g.Saw(button); }, true},
      {"a size", [&](IdleGate& g) { g.Saw(size); }, true},
      {"a window asked for more time", [](IdleGate& g) { g.PassEnded(true); }, true},
      // A handler takes its event back when it changed nothing a pass looks at; only the event
      // just seen, and only while nothing else happened since.
      {"a posted call taken back",
       [&](IdleGate& g) {
         g.Saw(posted);
         g.Unchanged();
       },
       false},
      {"a tick taken back", [&](IdleGate& g) { g.Saw(ownersOtherTick), g.Unchanged(); }, false},
      {"taken back after its handler set a text",
       [&](IdleGate& g) {
         g.Saw(posted);
         g.Saw(text);
         g.Unchanged();
       },
       true},
      {"taken back after its handler reported a change",
       [&](IdleGate& g) {
         g.Saw(posted);
         g.Changed();
         g.Unchanged();
       },
       true},
      {"taken back after a paint", [&](IdleGate& g) { g.Saw(posted), g.Saw(paint), g.Unchanged(); },
       true},
      {"the second of two events taken back",
       [&](IdleGate& g) { g.Saw(button), g.Saw(posted), g.Unchanged(); }, true},
      {"a quiet tick's handler cannot take back the event before",
       [&](IdleGate& g) { g.Saw(button), g.Saw(quietTick), g.Unchanged(); }, true},
  };
  for (const Case& c : cases) {
    IdleGate gate;
    gate.AddQuietTimer(&quiet);
    gate.AddQuietTimer(&secondQuiet);
    EXPECT_TRUE(gate.PassDue(false)) << "the first pass always runs";
    gate.PassStarts(true);
    gate.PassEnded(false);
    c.happen(gate);
    EXPECT_EQ(gate.PassDue(false), c.due) << c.what;
  }
}

TEST(IdleGate, ChangesDuringAPassAndHeldBackCommandStatesMakeTheNextPassDue) {
  IdleGate gate;
  // An event handled while the pass runs (a window laid out in its idle turn) is not lost.
  gate.PassStarts(true);
  gate.Saw(wxCommandEvent(wxEVT_BUTTON, 1));
  gate.PassEnded(false);
  EXPECT_TRUE(gate.PassDue(false));

  // A change followed by a pass whose command states were not yet due: the states are asked
  // by the first pass that is due to ask them, however quiet the time in between.
  gate.PassStarts(false);
  gate.PassEnded(false);
  EXPECT_FALSE(gate.PassDue(false));
  EXPECT_TRUE(gate.PassDue(true));
  gate.PassStarts(true);
  gate.PassEnded(false);
  EXPECT_FALSE(gate.PassDue(true));
}

// The host and the plug-in each link a copy of this library: the gate both reach is the one on
// the application object they share, made by whichever asks first.
TEST(IdleGate, TheProgramsGateHangsOnTheApplication) {
  ASSERT_NE(wxAppConsole::GetInstance(), nullptr);
  IdleGate& gate = ProgramIdleGate();
  EXPECT_EQ(wxAppConsole::GetInstance()->GetClientData(), static_cast<void*>(&gate));
  EXPECT_EQ(&ProgramIdleGate(), &gate);
}

}  // namespace
}  // namespace orv::ui
