#pragma once
// The window steps of start-up that follow the application object's InitInstance: the splash,
// the main frame with its shared-window block and loader, the frame's text, and showing it.

class CVarqoMainApp;
class CMainFrame;
class CSplashScreenEx;

struct HostWindows {
  CSplashScreenEx* splash = nullptr;  // null when no splash is shown
  CMainFrame* frame = nullptr;
};

// Runs the window steps; false when the main frame cannot be made (the program then ends).
bool RunWindowSteps(CVarqoMainApp& app, HostWindows& windows);

// True when start-up shows the splash: the command line's splash mode is not 0 and is either 1
// or the run settings ask for the splash, and the command line does not hide it.
bool ShouldShowSplash(int splashMode, bool showSplashSwitch, bool useSplashSetting);

// Tells the splash the program ends and destroys it.
void CloseSplash(HostWindows& windows);
