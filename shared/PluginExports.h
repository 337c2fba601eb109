#pragma once
// The 32 exports of a plug-in module, as the loader finds them with dlsym. A module defines
// them with ORV_EXPORT (shared/Export.h) and these exact signatures.

#include <cstdint>

#include "platform/win/WinTypes.h"
#include "shared/HostCallbacks.h"

class wxWindow;
struct SharedWnds_s;
struct CRuntimeClass;

// Title and text buffers handed to ZIRO_GetModuleInfo / ZIRO_GetSubWindowCount hold this many
// wide characters (terminator included).
constexpr int MODULE_INFO_TEXT_LEN = 256;

// index, parent, pass-through pointer, block, control id, option text, wParam (start text),
// lParam (start value), 16-bit value, 32-bit value, rectangle, 32-bit value, two bytes.
using PFN_ZIRO_CreateAll = int (*)(int index, wxWindow* parent, void* passThrough,
                                   SharedWnds_s* block, UINT ctrlId, const char* option,
                                   WPARAM wParam, LPARAM lParam, uint16_t value16, uint32_t value32,
                                   RECT* rect, uint32_t value32b, uint8_t byte1, uint8_t byte2);
using PFN_ZIRO_Create = int (*)(int index, int wndId, wxWindow* parent, void* passThrough,
                                SharedWnds_s* block, UINT ctrlId, WPARAM wParam, LPARAM lParam,
                                uint16_t value16, uint32_t value32, RECT* rect, uint32_t value32b,
                                uint8_t byte1, uint8_t byte2);
using PFN_ZIRO_Destroy = BOOL (*)(int wndId);
using PFN_ZIRO_DestroyAll = BOOL (*)();
using PFN_ZIRO_GetWndPtrById = wxWindow* (*)(int wndId);
using PFN_ZIRO_GetNthWndPtr = wxWindow* (*)(int index);
using PFN_ZIRO_GetNthWndCtrlID = UINT (*)(int index);
using PFN_ZIRO_GetCurWndIndex = int (*)();
using PFN_ZIRO_GetRuntimeClass = const CRuntimeClass* (*)(int index);
using PFN_ZIRO_GetModuleInfo = int (*)(int index, intptr_t unused1, intptr_t unused2, int* outFlag,
                                       const CRuntimeClass** outClass, wchar_t* outTitle,
                                       wchar_t* outText, wchar_t** outKey);
using PFN_ZIRO_GetSubWindowCount = int (*)(const wchar_t* code, int* outIndex, wchar_t* outTitle,
                                           wchar_t* outCode, short* outKind);
using PFN_ZIRO_GetWndPtrByCode = wxWindow* (*)(const wchar_t* code, wchar_t* outTitle);
using PFN_ZIRO_IsWindowVisible = BOOL (*)(int index, int* out);
using PFN_ZIRO_MoveWindow = int (*)(int index, const RECT* rect, BOOL repaint);
using PFN_ZIRO_MoveWindowXY = int (*)(int index, int x, int y, int width, int height, BOOL repaint);
using PFN_ZIRO_RefreshWindowById = int (*)(uint16_t wndId, int command, int value, SYSTEMTIME* from,
                                           SYSTEMTIME* to, const wchar_t* text, void* data,
                                           wchar_t ch, uint8_t flag);
using PFN_ZIRO_RefreshWindow = int (*)(int index, int command, int value, SYSTEMTIME* from,
                                       SYSTEMTIME* to, const wchar_t* text, void* data, wchar_t ch,
                                       uint8_t flag);
using PFN_ZIRO_RefreshWindowAll = int (*)(int value, SYSTEMTIME* from, SYSTEMTIME* to,
                                          const wchar_t* text, void* data, wchar_t ch,
                                          uint8_t flag);
using PFN_ZIRO_SendMessage = int64_t (*)(int index, int kind, UINT code, WPARAM wParam,
                                         LPARAM lParam, void* data);
using PFN_ZIRO_SendMessageToAll = int (*)(int kind, UINT code, WPARAM wParam, LPARAM lParam,
                                          void* data);
using PFN_ZIRO_SetZoom = int (*)(int index, int zoom);
using PFN_ZIRO_GetZoom = int (*)(int index);
using PFN_ZIRO_ShowWindow = int (*)(int index, intptr_t unused, int show, DWORD flags, void* data,
                                    uint8_t flag);
using PFN_ZIRO_GetLoginCallbackFunc = int (*)(int index, void** outCtx, LoginCallback* outLogin,
                                              LoginNotifyCallback* outNotify);
using PFN_ZIRO_GetFontPtr = void* (*)();
using PFN_ZIRO_GetModuleGatewayWndHandle = HWND (*)();
using PFN_ZIRO_SendParams = int (*)(int index, void* params);
using PFN_ZIRO_SetAddressBookSearchCallback = int (*)(void* ctx, void* callback);
using PFN_ZIRO_SetCallBackManagerFuncPtrToAll = int (*)(void* ctx, void* callback);
using PFN_ZIRO_SetFontPtr = int (*)(int index, void* font);
using PFN_ZIRO_SetFontPtrAll = int (*)(void* font);
using PFN_ZIRO_SetText = int (*)(int index, const wchar_t* text);

// The exported names, in one list so the loader and the module stay in step.
#define ORV_ZIRO_EXPORTS(X)         \
  X(CreateAll)                      \
  X(Create)                         \
  X(Destroy)                        \
  X(DestroyAll)                     \
  X(GetWndPtrById)                  \
  X(GetNthWndPtr)                   \
  X(GetNthWndCtrlID)                \
  X(GetCurWndIndex)                 \
  X(GetRuntimeClass)                \
  X(GetModuleInfo)                  \
  X(GetSubWindowCount)              \
  X(GetWndPtrByCode)                \
  X(IsWindowVisible)                \
  X(MoveWindow)                     \
  X(MoveWindowXY)                   \
  X(RefreshWindowById)              \
  X(RefreshWindow)                  \
  X(RefreshWindowAll)               \
  X(SendMessage)                    \
  X(SendMessageToAll)               \
  X(SetZoom)                        \
  X(GetZoom)                        \
  X(ShowWindow)                     \
  X(GetLoginCallbackFunc)           \
  X(GetFontPtr)                     \
  X(GetModuleGatewayWndHandle)      \
  X(SendParams)                     \
  X(SetAddressBookSearchCallback)   \
  X(SetCallBackManagerFuncPtrToAll) \
  X(SetFontPtr)                     \
  X(SetFontPtrAll)                  \
  X(SetText)

// Every export, resolved (null where the module lacks one).
struct ZiroExports {
#define ORV_ZIRO_FIELD(name) PFN_ZIRO_##name name = nullptr;
  ORV_ZIRO_EXPORTS(ORV_ZIRO_FIELD)
#undef ORV_ZIRO_FIELD
};
