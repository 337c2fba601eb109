#pragma once
// What the main view needs of the frame it fills: the application object, the frame window
// (the owner of module windows), the splash, the plug-in loader, the shared-window block and
// what a module load borrows. The main frame implements it; the view knows nothing else of
// the frame.

#include "host/modules/PluginModuleLoading.h"

class CPluginLoader;
class CSplashScreenEx;
class CVarqoMainApp;
class wxFrame;
struct SharedWnds_s;

class IMainViewHost {
 public:
  virtual ~IMainViewHost() = default;
  virtual CVarqoMainApp& App() = 0;
  virtual wxFrame& FrameWindow() = 0;
  virtual CSplashScreenEx* GetSplash() const = 0;
  virtual CPluginLoader* GetPluginLoader() = 0;
  virtual SharedWnds_s* GetSharedWnds() = 0;
  virtual PluginModuleHost BuildModuleHost() = 0;
};
