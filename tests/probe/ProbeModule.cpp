// A plug-in module for the loader tests. Its exports behave like a one-window module and
// append one line per call to the file named by ORV_PROBE_LOG.

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "platform/support/ModuleResource.h"
#include "platform/support/Utf8Text.h"
#include "platform/ui/DbViewBase.h"
#include "shared/Export.h"
#include "shared/HostCommands.h"
#include "shared/Messages.h"
#include "shared/PluginExports.h"
#include "shared/RuntimeClass.h"
#include "shared/SharedWnds.h"

namespace {

void Record(const char* format, ...) {
  const char* path = std::getenv("ORV_PROBE_LOG");
  if (!path) return;
  FILE* f = std::fopen(path, "a");
  if (!f) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(f, format, args);
  va_end(args);
  std::fputc('\n', f);
  std::fclose(f);
}

std::string Utf8(const wchar_t* text) {
  return text ? orv::support::WideToUtf8(text) : std::string("(null)");
}

class ProbeView : public CDbBaseNormalView {
 public:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_MODULE_START)
      Record("msg 0x%X start=%s value=%ld", message,
             Utf8(reinterpret_cast<const wchar_t*>(wParam)).c_str(), static_cast<long>(lParam));
    else
      Record("msg 0x%X", message);
    return 0;
  }
  int64_t OnReceivedMsgFromManager(int kind, UINT code, WPARAM wParam, LPARAM lParam,
                                   void* data) override {
    Record("cmd kind=%d code=%u w=%lu", kind, code, static_cast<unsigned long>(wParam));
    // Only the save command is answered, so a test sees the count of answering modules.
    return code == HOST_CMD_SAVE ? 1 : 0;
  }
  int RefreshWindow(int command, int value, SYSTEMTIME*, SYSTEMTIME*, const wchar_t*, void*,
                    wchar_t, uint8_t) override {
    Record("refresh command=%d value=%d", command, value);
    return 1;
  }
};

const CRuntimeClass kProbeViewClass{"CProbeView",
                                    []() -> CDbBaseNormalView* { return new ProbeView; }};

// The module icon, carried as resource PNG 811.
const unsigned char kIcon[] ORV_MODULE_RESOURCE(PNG, 811) = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A,
                                                             '\n', 'p', 'r', 'o', 'b',  'e'};

ProbeView* g_view = nullptr;
int g_created = 0;

int LoggedInCallback(void*, int, const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*,
                     const wchar_t*, int, int, int, int, uint8_t, const wchar_t*, int*, wchar_t*) {
  return 1;
}

__attribute__((destructor)) void OnUnload() { Record("unloaded"); }

}  // namespace

ORV_EXPORT int ZIRO_Create(int index, int wndId, wxWindow* parent, void*, SharedWnds_s* block,
                           UINT ctrlId, WPARAM wParam, LPARAM lParam, uint16_t, uint32_t,
                           RECT* rect, uint32_t, uint8_t, uint8_t) {
  const UINT id = ctrlId ? ctrlId : 0xE900 + wndId;
  GfxSetEmbededViewsCfgDataPtr(block);
  block->nModuleIndex = index;
  block->nCtrlId = id;
  block->nWndId = wndId;
  if (wndId != 1) return 0;
  wxWindow* wnd =
      GfxCreateEmbededView(block->pDocument, &kProbeViewClass, *rect, parent, id, WS_CHILD, block);
  if (!wnd) return 0;
  g_view = static_cast<ProbeView*>(wnd);
  Record("view shared=%d", g_view->GetSharedWnds() == block ? 1 : 0);
  GfxSendMessageToWnd(wnd, WM_INITIALUPDATE, 0, 0);
  GfxSendMessageToWnd(wnd, WM_MODULE_START, wParam, lParam);
  if (block->pfnModuleCreated)
    block->pfnModuleCreated(block->pCallbackCtx, 0, id, 1, wnd, -1, 0, nullptr, block->szText, 0,
                            0);
  return 1;
}

ORV_EXPORT int ZIRO_CreateAll(int index, wxWindow* parent, void* menuPos, SharedWnds_s* block,
                              UINT ctrlId, const char* option, WPARAM wParam, LPARAM lParam,
                              uint16_t value16, uint32_t value32, RECT* rect, uint32_t passThrough,
                              uint8_t b1, uint8_t b2) {
  const auto* pos = static_cast<const unsigned char*>(menuPos);
  Record(
      "CreateAll index=%d ctrl=%u option=%s start=%s value=%ld v16=%u menu=%u%u%u%u%u "
      "rect=%d,%d,%d,%d pass=%u",
      index, ctrlId, option ? option : "(null)",
      Utf8(reinterpret_cast<const wchar_t*>(wParam)).c_str(), static_cast<long>(lParam), value16,
      pos[0], pos[1], pos[2], pos[3], pos[4], rect->left, rect->top, rect->right, rect->bottom,
      passThrough);
  if (ZIRO_Create(index, 1, parent, menuPos, block, ctrlId, wParam, lParam, value16, value32, rect,
                  passThrough, b1, b2))
    ++g_created;
  return g_created;
}

ORV_EXPORT BOOL ZIRO_Destroy(int wndId) {
  if (wndId != 1 || !g_view) return 0;
  g_view->Destroy();
  g_view = nullptr;
  return 1;
}

ORV_EXPORT BOOL ZIRO_DestroyAll() {
  Record("DestroyAll");
  return ZIRO_Destroy(1);
}

ORV_EXPORT wxWindow* ZIRO_GetWndPtrById(int wndId) { return wndId == 1 ? g_view : nullptr; }

ORV_EXPORT wxWindow* ZIRO_GetNthWndPtr(int index) { return ZIRO_GetWndPtrById(index + 1); }

ORV_EXPORT int ZIRO_GetModuleInfo(int index, intptr_t, intptr_t, int* outFlag,
                                  const CRuntimeClass** outClass, wchar_t* outTitle,
                                  wchar_t* outText, wchar_t** outKey) {
  Record("GetModuleInfo index=%d", index);
  if (index != 0) return 1;
  if (outFlag) *outFlag = 0;
  if (outClass) *outClass = &kProbeViewClass;
  if (outTitle) std::wcscpy(outTitle, L"Probe Status");
  if (outText) outText[0] = L'\0';
  if (outKey) {
    const wchar_t key[] = L"probe.status";
    *outKey = static_cast<wchar_t*>(std::malloc(sizeof key));
    std::memcpy(*outKey, key, sizeof key);
  }
  return 1;
}

ORV_EXPORT int ZIRO_SendMessageToAll(int kind, UINT code, WPARAM wParam, LPARAM lParam,
                                     void* data) {
  if (!g_view) return 0;
  return g_view->OnReceivedMsgFromManager(kind, code, wParam, lParam, data) > 0 ? 1 : 0;
}

ORV_EXPORT int ZIRO_RefreshWindow(int index, int command, int value, SYSTEMTIME* from,
                                  SYSTEMTIME* to, const wchar_t* text, void* data, wchar_t ch,
                                  uint8_t flag) {
  if (index != 0 || !g_view) return -1;
  return g_view->RefreshWindow(command, value, from, to, text, data, ch, flag);
}

ORV_EXPORT int ZIRO_GetLoginCallbackFunc(int index, void** outCtx, LoginCallback* outLogin,
                                         LoginNotifyCallback* outNotify) {
  if (index != 0 || !g_view) return 0;
  if (outCtx) *outCtx = g_view;
  if (outLogin) *outLogin = LoggedInCallback;
  if (outNotify) *outNotify = nullptr;
  return 1;
}
