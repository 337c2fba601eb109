#pragma once
// Loading one plug-in module for the main frame: creates the module's window through the
// loader, or wakes the window of a module that is already loaded with WM_MODULE_START.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/support/PluginLoader.h"
#include "platform/win/WinTypes.h"
#include "shared/PluginExports.h"

class wxWindow;
struct SharedWnds_s;
struct search_condition_s;
struct CRuntimeClass;

// What the main frame lends to a module load.
struct PluginModuleHost {
  CPluginLoader* loader = nullptr;
  SharedWnds_s* block = nullptr;
  search_condition_s* searchCond = nullptr;
  // The main frame's client rectangle; the module rectangle is moved in from it.
  RECT frameClientRect;
  // One entry into the log hub (kind, severity, code, text); may be empty.
  std::function<void(int kind, int severity, int code, const std::wstring& text)> writeLog;
  // Shows a load failure to the user (ShowPluginLoadError); may be empty.
  std::function<void(const std::wstring& text)> showError;
};

// What the module tells about sub-window 0.
struct PluginModuleInfo {
  int flag = 0;
  const CRuntimeClass* runtimeClass = nullptr;
  wchar_t title[MODULE_INFO_TEXT_LEN] = {};
  wchar_t text[MODULE_INFO_TEXT_LEN] = {};
  // Heap text (malloc) that the caller keeps or frees with free(); null when none.
  wchar_t* key = nullptr;
};

// One module to load, from its catalogue record.
struct PluginModuleRequest {
  const wchar_t* libraryPath = nullptr;
  const wchar_t* startText = nullptr;  // menu_url
  const wchar_t* paramText = nullptr;  // menu_param
  LPARAM startValue = 0;
  wxWindow* parent = nullptr;        // the main view
  UINT wndId = 0;                    // menu_idx
  const char* optionText = nullptr;  // modules_on
  uint32_t passThrough = 0;
};

// Every output is optional.
struct PluginModuleResult {
  wxWindow** firstWnd = nullptr;
  PluginModuleInfo* info = nullptr;
  int* loaderStatus = nullptr;
  std::wstring* errorText = nullptr;
};

// The text of a load failure.
std::wstring PluginLoadFailureText(const wchar_t* libraryPath);

// The module rectangle: the frame's client rectangle moved in by 5, 30, 5 and 5.
RECT PluginModuleRect(const RECT& frameClientRect);

// Loads one module (see the file comment). Answers the library handle, null when the library
// cannot be loaded or no path is given.
HINSTANCE LoadPluginModule(const PluginModuleHost& host, const PluginModuleRequest& request,
                           const PluginModuleResult& result = {});

// Shows a load failure in an error box (caption "ERROR").
void ShowPluginLoadError(const std::wstring& text);
