#pragma once
// A started host: a temporary program folder with the shipped catalogue in Settings/, HOME
// and XDG folders in the temporary folder, the application's start-up and the window steps.
// One per test process; message boxes are scripted so none is shown.

#include <memory>
#include <string>

#include "host/frame/MainWindowSteps.h"

class CVarqoMainApp;
class CMainFrame;

namespace orv::test {

class StartedHost {
 public:
  // Starts the host the first time; later calls answer the same one.
  static StartedHost& Get();

  CVarqoMainApp& app() { return *app_; }
  CMainFrame& frame() { return *windows_.frame; }
  HostWindows& windows() { return windows_; }
  // The program folder, ending in "/".
  const std::string& programFolder() const { return programFolder_; }

  // Runs the event loop for about `ms` milliseconds.
  static void Pump(int ms);

 private:
  StartedHost();
  std::string root_;
  std::string programFolder_;
  std::unique_ptr<CVarqoMainApp> app_;
  HostWindows windows_;
};

}  // namespace orv::test
