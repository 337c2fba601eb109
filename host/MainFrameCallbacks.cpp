// The callbacks the main frame stores in the shared-window block, and the frame timer's tick.
#include <wx/string.h>

#include <cstdio>
#include <string>

#include "host/MainFrame.h"
#include "host/SplashScreenEx.h"
#include "shared/HostCommands.h"

namespace {

// Every bit set: the level of lines that plug-ins send as plain log text.
constexpr int kAllBitsLevel = -1;

CMainFrame* Frame(void* ctx) { return static_cast<CMainFrame*>(ctx); }

std::wstring WideOf(const char* utf8) { return wxString::FromUTF8(utf8).ToStdWstring(); }

}  // namespace

intptr_t CMainFrame::OnPluginReserved(void*) { return 0; }

intptr_t CMainFrame::OnPluginNotify(void* ctx, int cls, int code, int sub, double, double,
                                    const wchar_t* text1, const wchar_t* text2, const void*,
                                    intptr_t, intptr_t, int* result, wchar_t*, int, int, int,
                                    intptr_t, intptr_t) {
  CMainFrame* frame = Frame(ctx);
  if (result != nullptr) *result = 0;
  if (frame == nullptr) return 0;
  // Log lines from modules: a line at the all-bits level, with a popup for sub-code 22.
  if (cls == HOST_NOTIFY_CLASS_LOG) {
    frame->WriteLog(kAllBitsLevel, 0, text2, nullptr, 0, 0);
    if (sub == 22) frame->ShowPopup(text1 ? text1 : L"", text2 ? text2 : L"");
  }
  (void)code;
  return 0;
}

int CMainFrame::OnPluginCommand(void*, int, int, int, int, int, const wchar_t*, const wchar_t*,
                                const wchar_t*, intptr_t, intptr_t, int* result, wchar_t*, void*,
                                void*, uint32_t, void*, LoginCallback, LoginNotifyCallback,
                                intptr_t, intptr_t) {
  if (result != nullptr) *result = 0;
  return 0;
}

int CMainFrame::OnPluginModuleCreated(void* ctx, intptr_t, uint32_t moduleNo, uint32_t moduleCount,
                                      wxWindow*, int, int, const char* detail, wchar_t*,
                                      uint32_t elapsedMs, int errorCode) {
  CMainFrame* frame = Frame(ctx);
  if (frame == nullptr || frame->GetSplash() == nullptr) return 0;
  char line[512];
  const bool hasDetail = detail != nullptr && detail[0] != '\0';
  if (errorCode != 0) {
    if (hasDetail) {
      std::snprintf(line, sizeof line, " > Module %u/%u(Err:%d/%s)\r\n", moduleNo, moduleCount,
                    errorCode, detail);
    } else {
      std::snprintf(line, sizeof line, " > Module %u/%u(Err:%d)\r\n", moduleNo, moduleCount,
                    errorCode);
    }
  } else if (elapsedMs >= 1000) {
    const double seconds = elapsedMs / 1000.0;
    if (hasDetail) {
      std::snprintf(line, sizeof line, " > Module %u/%u(%.1fs):%s\r\n", moduleNo, moduleCount,
                    seconds, detail);
    } else {
      std::snprintf(line, sizeof line, " > Module %u/%u Loaded(%.1fs)\r\n", moduleNo, moduleCount,
                    seconds);
    }
  } else if (hasDetail) {
    std::snprintf(line, sizeof line, " > Module %u/%u(%ums):%s\r\n", moduleNo, moduleCount,
                  elapsedMs, detail);
  } else {
    std::snprintf(line, sizeof line, " > Module %u/%u Loaded(%ums)\r\n", moduleNo, moduleCount,
                  elapsedMs);
  }
  frame->GetSplash()->AddText(WideOf(line));
  return 0;
}

void CMainFrame::OnFrameTimer() {
  // While the tray icon is missing, creating it is tried again; without a tray this is one
  // cheap check.
  if (!HasTrayIcon()) CreateTrayIcon();
}
