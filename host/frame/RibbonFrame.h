#pragma once
// What the ribbon needs of the frame that holds it: the application object, the frame window
// (its commands go to the frame's event handler; the ribbon places it on a display), the
// splash, the wait popup and its own pane's size. The main frame implements it; the ribbon
// knows nothing else of the frame.

#include <string>

class CSplashScreenEx;
class CVarqoMainApp;
class wxFrame;
class wxSize;

class IRibbonFrame {
 public:
  virtual ~IRibbonFrame() = default;
  virtual CVarqoMainApp& App() = 0;
  virtual wxFrame& FrameWindow() = 0;
  virtual CSplashScreenEx* GetSplash() const = 0;
  virtual int ShowWaitPopup(const std::wstring& text, const std::wstring& subText) = 0;
  virtual int HideWaitPopup() = 0;
  // Gives the ribbon's docking pane the ribbon's new size and lays the panes out again.
  virtual void ResizeRibbonPane(const wxSize& size) = 0;
};
