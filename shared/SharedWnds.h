#pragma once
// The host's shared-window block. The host owns exactly one for the life of the process and
// hands its address to every plug-in window at creation. Plug-ins only read it, apart from the
// three 32-bit fields that module creation writes. It owns no memory.

#include <cstdint>

#include "shared/HostCallbacks.h"

class wxWindow;
struct sqlite3;
struct login_info_s;
struct app_run_setting_s;
struct search_condition_s;

constexpr int SHARED_WNDS_TEXT_LEN = 512;

struct SharedWnds_s {
  void* pApp = nullptr;            // the host's application object
  wxWindow* pMainFrame = nullptr;  // the main frame
  void* pCommandBars = nullptr;    // the frame's command bars; null until they exist
  void* pDocument = nullptr;       // document for plug-in views (stays null)
  void* pCallbackCtx = nullptr;    // first argument of every callback: the main frame
  sqlite3* pCatalogDb = nullptr;   // catalogue connection (may be null)
  sqlite3* pDataDb = nullptr;      // second connection (may be null)
  login_info_s* pLoginInfo = nullptr;
  uint32_t nModuleIndex = 0;  // written by the plug-in: index of the module being made
  uint32_t nCtrlId = 0;       // written by the plug-in: the window's control id
  uint32_t nWndId = 0;        // written by the plug-in: the module's window id
  app_run_setting_s* pRunSetting = nullptr;
  search_condition_s* pSearchCond = nullptr;  // start/parameter texts and the folder block
  wxWindow* pWorkspaceWnd = nullptr;          // container of a plug-in's first child view
  uint64_t reserved1 = 0;
  wxWindow* pLogViewWnd = nullptr;     // the log pane
  wxWindow* pPropertiesWnd = nullptr;  // container of the second child view
  wxWindow* pMonitoringWnd = nullptr;  // container of the third child view
  wxWindow* pOwnerWnd = nullptr;       // the main frame again
  uint64_t reserved2 = 0;
  uint64_t reserved3[3] = {};
  void* pStatusBar = nullptr;  // the status bar
  uint64_t reserved4[4] = {};
  uint64_t reserved5[8] = {};
  uint64_t reserved6[10] = {};
  HostNoopCallback pfnReserved = nullptr;
  HostNotifyCallback pfnNotify = nullptr;
  HostCommandCallback pfnCommand = nullptr;
  HostModuleCreatedCallback pfnModuleCreated = nullptr;
  // The current module's parameter text, copied here before each module load.
  wchar_t szText[SHARED_WNDS_TEXT_LEN] = {};
};
