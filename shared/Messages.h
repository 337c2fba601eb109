#pragma once
// Window message numbers that cross between the host, the plug-in and its workers.

#include "platform/win/WinTypes.h"

// Initial update of a freshly created embedded view (wParam 0, lParam 0).
constexpr UINT WM_INITIALUPDATE = 0x0364;

// Host -> module window: start with the host's parameters (wParam: start text as
// const wchar_t*, lParam: start value). Also wakes a module that is already loaded.
constexpr UINT WM_MODULE_START = WM_APP + 3;  // 0x8003
// Host -> module window: refresh (wParam: command, lParam: the company/branch record).
constexpr UINT WM_MODULE_REFRESH = WM_APP + 4;  // 0x8004
// Host -> module window: interface language changed (wParam 15, lParam the language id).
constexpr UINT WM_MODULE_LANGUAGE = WM_APP + 6;  // 0x8006
constexpr WPARAM MODULE_LANGUAGE_WPARAM = 15;

// Trading view messages posted by its workers and timers.
constexpr UINT WM_CODE_UPDATE_ENDED = WM_USER + 0x1F5;  // the code-update thread ended
constexpr UINT WM_LOGIN_ERROR = WM_USER + 0x1F6;        // login error notice
constexpr UINT WM_GRID_UPDATE = WM_USER + 0x1F8;        // begin/populate/end the grid
constexpr UINT WM_ADD_SPARE_STOCK = WM_USER + 0x1FA;    // lParam: a Stock_s to keep
constexpr UINT WM_REDRAW_GRID = WM_USER + 0x1FB;        // workers ask for one redraw
constexpr UINT WM_STAIR_RESET = WM_USER + 0x1FC;        // reset the profit stairs
