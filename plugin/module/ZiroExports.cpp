// The plug-in's exports: the host's loader reaches the trading view only through these
// functions and the embedded-view interface of the window they create. All run on the host's
// UI thread.

#include <wx/panel.h>
#include <wx/weakref.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <type_traits>

#include "platform/support/TextConv.h"
#include "platform/ui/DbViewBase.h"
#include "platform/win/Clock.h"
#include "platform/ui/Dispatcher.h"
#include "platform/ui/MessageBoxPresenter.h"
#include "platform/win/MessageBox.h"
#include "plugin/community/window/CafeDlg.h"
#include "plugin/community/dataview/CafeDataViewMaker.h"
#include "plugin/monitor/StockMonDlg.h"
#include "plugin/orders/window/MyAccountInfoDlg.h"
#include "plugin/orders/window/OrderDlg2.h"
#include "plugin/orders/window/OrderPopupDlg.h"
#include "plugin/orders/window/StairWatchDlg.h"
#include "plugin/settings/StockCfgDlg.h"
#include "plugin/monitor/dialogs/MonitorDialogMakers.h"
#include "plugin/monitor/view/StockMonitoringView.h"
#include "plugin/view/ChildWindows.h"
#include "plugin/view/PelomarView.h"
#include "shared/Export.h"
#include "shared/Messages.h"
#include "shared/PluginExports.h"
#include "shared/RuntimeClass.h"
#include "shared/SharedWnds.h"

namespace {

// The module's one window: window id 1, index 0.
constexpr int kViewWndId = 1;
constexpr UINT kDefaultCtrlIdBase = 0xE900;
constexpr short kSubWindowKind = 9;

constexpr size_t kModuleTitleLen = 255;
constexpr size_t kModuleCodeLen = 30;
const wchar_t kModuleTitle[] = L"Pelomar";
const wchar_t kModuleCode[] = L"Pelomar";
const wchar_t kModuleInfoTitle[] = L"Inspection Status";
const wchar_t kModuleInfoKey[] = L"inspection.status";

struct ModuleState {
  // Cleared by itself when the window goes, however it goes (also with its parent).
  wxWeakRef<CPelomarView> view;
  int curWndIndex = -1;
  uint32_t createdCount = 0;
};

ModuleState& State() {
  static ModuleState state;
  return state;
}

CDbViewBase* ViewInterface(wxWindow* wnd) { return dynamic_cast<CDbViewBase*>(wnd); }

bool EqualsIgnoringCase(const wchar_t* a, const wchar_t* b) {
  for (; *a && *b; ++a, ++b)
    if (std::towlower(*a) != std::towlower(*b)) return false;
  return *a == *b;
}

}  // namespace

ORV_EXPORT wxWindow* ZIRO_GetWndPtrById(int wndId) {
  return wndId == kViewWndId ? State().view.get() : nullptr;
}

ORV_EXPORT wxWindow* ZIRO_GetNthWndPtr(int index) { return ZIRO_GetWndPtrById(index + 1); }

ORV_EXPORT int ZIRO_Create(int index, int wndId, wxWindow* parent, void*, SharedWnds_s* block,
                           UINT ctrlId, WPARAM wParam, LPARAM lParam, uint16_t, uint32_t,
                           RECT* rect, uint32_t, uint8_t, uint8_t) {
  const DWORD start = orv::win::GetTickCount();
  const UINT id = ctrlId ? ctrlId : kDefaultCtrlIdBase + static_cast<UINT>(wndId);
  GfxSetEmbededViewsCfgDataPtr(block);
  // The module's message boxes go to the host's presenter (or, in a host that exports none,
  // to a presenter of the module's own), once per load of the library.
  static const bool hostBoxes = orv::win::UseHostMessageBoxes([] {
    orv::ui::InstallMessageBoxPresenter();
  });
  (void)hostBoxes;
  if (block) {
    block->nModuleIndex = static_cast<uint32_t>(index);
    block->nCtrlId = id;
    block->nWndId = static_cast<uint32_t>(wndId);
  }
  if (wndId != kViewWndId) return 0;
  // The real windows of the other subsystems replace the view's null objects.
  InstallMonitorMakers();
  InstallMonitorDialogMakers(ChildMakers());
  InstallMonitoringViewMaker(ChildMakers());

  // The real windows of the view's child roles replace their null objects.
  InstallOrderPopupMaker();
  InstallOrderPanelMaker();
  InstallAccountDialogMaker();
  InstallStairWatchMaker();
  ChildMakers().settingsDialog = MakeStockCfgDlg;
  InstallCafeDialogMaker();
  ChildMakers().cafeDataView = MakeCafeDataView;
  const RECT area = rect ? *rect : RECT{};
  wxWindow* wnd =
      GfxCreateEmbededView(block ? block->pDocument : nullptr, CPelomarView::GetThisClass(), area,
                           parent, id, WS_CHILD, block);
  auto* view = dynamic_cast<CPelomarView*>(wnd);
  if (!view) return 0;
  State().view = view;
  GfxSendMessageToWnd(view, WM_INITIALUPDATE, 0, 0);
  GfxSendMessageToWnd(view, WM_MODULE_START, wParam, lParam);

  const DWORD elapsed = orv::win::TickElapsed(start, orv::win::GetTickCount());
  if (block && block->pfnModuleCreated)
    block->pfnModuleCreated(block->pCallbackCtx, 0, id, 1, view, -1, 0, nullptr, block->szText,
                            elapsed, 0);
  return 1;
}

ORV_EXPORT int ZIRO_CreateAll(int index, wxWindow* parent, void* passThrough, SharedWnds_s* block,
                              UINT ctrlId, const char* option, WPARAM wParam, LPARAM lParam,
                              uint16_t value16, uint32_t value32, RECT* rect, uint32_t value32b,
                              uint8_t byte1, uint8_t byte2) {
  // A module option text, when given, must name the money module (case-sensitive).
  if (option && *option && !std::strstr(option, "money")) return State().createdCount;
  if (ZIRO_Create(index, kViewWndId, parent, passThrough, block, ctrlId, wParam, lParam, value16,
                  value32, rect, value32b, byte1, byte2))
    ++State().createdCount;
  return State().createdCount;
}

ORV_EXPORT BOOL ZIRO_Destroy(int wndId) {
  wxWindow* wnd = ZIRO_GetWndPtrById(wndId);
  if (!wnd) return 0;
  State().view = nullptr;
  return wnd->Destroy() ? 1 : 0;
}

ORV_EXPORT BOOL ZIRO_DestroyAll() {
  const BOOL destroyed = ZIRO_Destroy(kViewWndId) ? 1 : 0;
  // The host unloads the library next; its copy of the dispatcher goes with it.
  orv::ui::ReleaseDispatcher();
  return destroyed;
}

ORV_EXPORT UINT ZIRO_GetNthWndCtrlID(int index) {
  wxWindow* wnd = ZIRO_GetNthWndPtr(index);
  if (!wnd) return 0;
  CDbViewBase* view = ViewInterface(wnd);
  return view ? view->GetViewCtrlId() : static_cast<UINT>(wnd->GetId());
}

ORV_EXPORT int ZIRO_GetCurWndIndex() { return State().curWndIndex; }

ORV_EXPORT const CRuntimeClass* ZIRO_GetRuntimeClass(int index) {
  return index == 0 ? CPelomarView::GetThisClass() : nullptr;
}

ORV_EXPORT int ZIRO_GetModuleInfo(int index, intptr_t, intptr_t, int* outFlag,
                                  const CRuntimeClass** outClass, wchar_t* outTitle,
                                  wchar_t* outText, wchar_t** outKey) {
  if (index != 0) return 1;
  if (outTitle) StrSafeCopyW(outTitle, MODULE_INFO_TEXT_LEN, kModuleInfoTitle);
  if (outText) outText[0] = L'\0';
  if (outKey) {
    *outKey = static_cast<wchar_t*>(std::malloc(sizeof kModuleInfoKey));
    if (*outKey) std::wmemcpy(*outKey, kModuleInfoKey, std::size(kModuleInfoKey));
  }
  if (outClass) *outClass = CPelomarView::GetThisClass();
  if (outFlag) *outFlag = 0;
  return 1;
}

ORV_EXPORT int ZIRO_GetSubWindowCount(const wchar_t* code, int* outIndex, wchar_t* outTitle,
                                      wchar_t* outCode, short* outKind) {
  int index = -1;
  if (outKind) *outKind = kSubWindowKind;
  if (outTitle && outCode) {
    StrSafeCopyW(outTitle, kModuleTitleLen, kModuleTitle);
    StrSafeCopyW(outCode, kModuleCodeLen, kModuleCode);
    if (code) index = EqualsIgnoringCase(code, kModuleCode) ? 0 : -1;
  }
  if (outIndex) *outIndex = index;
  return 1;
}

ORV_EXPORT wxWindow* ZIRO_GetWndPtrByCode(const wchar_t* code, wchar_t* outTitle) {
  if (!code || !*code || !EqualsIgnoringCase(code, kModuleCode)) return nullptr;
  if (outTitle) StrSafeCopyW(outTitle, kModuleTitleLen, kModuleTitle);
  return ZIRO_GetWndPtrById(kViewWndId);
}

ORV_EXPORT BOOL ZIRO_IsWindowVisible(int index, int* out) {
  if (out) *out = 0;
  wxWindow* wnd = ZIRO_GetNthWndPtr(index);
  return wnd && wnd->IsShown() ? 1 : 0;
}

ORV_EXPORT int ZIRO_MoveWindowXY(int index, int x, int y, int width, int height, BOOL) {
  if (wxWindow* wnd = ZIRO_GetNthWndPtr(index)) wnd->SetSize(x, y, width, height);
  return 1;
}

ORV_EXPORT int ZIRO_MoveWindow(int index, const RECT* rect, BOOL repaint) {
  if (!rect) return 1;
  return ZIRO_MoveWindowXY(index, rect->left, rect->top, rect->right - rect->left,
                           rect->bottom - rect->top, repaint);
}

ORV_EXPORT int ZIRO_RefreshWindowById(uint16_t wndId, int command, int value, SYSTEMTIME* from,
                                      SYSTEMTIME* to, const wchar_t* text, void* data, wchar_t ch,
                                      uint8_t flag) {
  wxWindow* wnd = ZIRO_GetWndPtrById(wndId);
  if (!wnd) return -1;
  int result = 1;
  if (CDbViewBase* view = ViewInterface(wnd))
    result = view->RefreshWindow(command, value, from, to, text, data, ch, flag);
  else
    GfxSendMessageToWnd(wnd, WM_MODULE_REFRESH, static_cast<WPARAM>(command),
                        reinterpret_cast<LPARAM>(data));
  State().curWndIndex = wndId - 1;
  return result;
}

ORV_EXPORT int ZIRO_RefreshWindow(int index, int command, int value, SYSTEMTIME* from,
                                  SYSTEMTIME* to, const wchar_t* text, void* data, wchar_t ch,
                                  uint8_t flag) {
  return ZIRO_RefreshWindowById(static_cast<uint16_t>(index + 1), command, value, from, to, text,
                                data, ch, flag);
}

ORV_EXPORT int ZIRO_RefreshWindowAll(int value, SYSTEMTIME* from, SYSTEMTIME* to,
                                     const wchar_t* text, void* data, wchar_t ch, uint8_t flag) {
  ZIRO_RefreshWindow(0, 0, value, from, to, text, data, ch, flag);
  return 0;
}

ORV_EXPORT int64_t ZIRO_SendMessage(int index, int kind, UINT code, WPARAM wParam, LPARAM lParam,
                                    void* data) {
  wxWindow* wnd = ZIRO_GetNthWndPtr(index);
  if (!wnd) return 0;
  CDbViewBase* view = ViewInterface(wnd);
  if (!view) return -1;
  return view->OnReceivedMsgFromManager(kind, code, wParam, lParam, data);
}

ORV_EXPORT int ZIRO_SendMessageToAll(int kind, UINT code, WPARAM wParam, LPARAM lParam,
                                     void* data) {
  return ZIRO_SendMessage(0, kind, code, wParam, lParam, data) > 0 ? 1 : 0;
}

ORV_EXPORT int ZIRO_SetZoom(int index, int zoom) {
  CDbViewBase* view = ViewInterface(ZIRO_GetNthWndPtr(index));
  return view ? view->OnReqSetZoom(zoom) : -1;
}

ORV_EXPORT int ZIRO_GetZoom(int index) {
  CDbViewBase* view = ViewInterface(ZIRO_GetNthWndPtr(index));
  return view ? view->OnReqGetZoom() : -1;
}

ORV_EXPORT int ZIRO_ShowWindow(int index, intptr_t, int show, DWORD flags, void* data,
                               uint8_t flag) {
  wxWindow* wnd = ZIRO_GetNthWndPtr(index);
  if (!wnd) return 0;
  if (CDbViewBase* view = ViewInterface(wnd)) view->OnReqShowWindow(show, flags, data, flag);
  return 1;
}

ORV_EXPORT int ZIRO_GetLoginCallbackFunc(int index, void** outCtx, LoginCallback* outLogin,
                                         LoginNotifyCallback* outNotify) {
  wxWindow* wnd = ZIRO_GetNthWndPtr(index);
  if (!wnd) return 0;
  if (CDbViewBase* view = ViewInterface(wnd))
    view->GetLoginCallbackFunc(outCtx, outLogin, outNotify);
  return 1;
}

// The module keeps no font and has no gateway window; the remaining exports accept what the
// loader passes and do nothing.
ORV_EXPORT void* ZIRO_GetFontPtr() { return nullptr; }
ORV_EXPORT HWND ZIRO_GetModuleGatewayWndHandle() { return 0; }
ORV_EXPORT int ZIRO_SendParams(int, void*) { return 0; }
ORV_EXPORT int ZIRO_SetAddressBookSearchCallback(void*, void*) { return 0; }
ORV_EXPORT int ZIRO_SetCallBackManagerFuncPtrToAll(void*, void*) { return 0; }
ORV_EXPORT int ZIRO_SetFontPtr(int, void*) { return 0; }
ORV_EXPORT int ZIRO_SetFontPtrAll(void*) { return 0; }
ORV_EXPORT int ZIRO_SetText(int, const wchar_t*) { return 0; }

// Every export keeps the exact type the loader resolves it with.
#define ORV_CHECK_EXPORT_TYPE(name)                                      \
  static_assert(std::is_same_v<decltype(&ZIRO_##name), PFN_ZIRO_##name>, \
                "ZIRO_" #name " does not match its loader type");
ORV_ZIRO_EXPORTS(ORV_CHECK_EXPORT_TYPE)
#undef ORV_CHECK_EXPORT_TYPE
