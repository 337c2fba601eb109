#pragma once
// What the main frame's timer, commands, close and exit keep: the timer's decisions, where
// the cursor position and the screen saver come from, the own caption bar, the window state
// remembered for the exit, and the switches that have no place in the run settings.

#include <functional>
#include <map>

#include "host/frame/FrameTimerLogic.h"
#include "platform/win/WinTypes.h"

class CCaptionBar;
class CMainFrame;
class CSaverWnd;

struct FrameCommandState {
  orv::host::FrameTimerLogic timer;
  // The pointer's screen position (the toolkit's by default).
  std::function<POINT()> cursorSource;
  // Shows the screen saver over the frame's monitor; true when it shows.
  std::function<bool(CMainFrame&)> saverStarter;
  // The screen-saver window while it exists.
  CSaverWnd* saver = nullptr;
  CCaptionBar* captionBar = nullptr;
  // The frame's window rectangle while neither minimised nor maximised, and its show state
  // (5 normal, 6 minimised, 3 maximised), saved at exit.
  RECT windowRect{};
  int showState = 5;
  // 1 after the show command, 0 after the hide command.
  int windowShown = 1;
  bool consoleOpen = false;
  // The exit action ran: the close that follows only takes the frame down.
  bool exited = false;
  // The close steps ran; a second close request does nothing.
  bool closing = false;
  // The language in use (the caption bar's choice may change it).
  int appliedLanguage = 0;
  // Switches without a run-settings field (ids 227, 234, 236, 257, 269).
  std::map<int, bool> otherSwitches;
};
