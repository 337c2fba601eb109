#pragma once
// The callbacks that cross between the host and its plug-ins: the four host callbacks stored
// in the shared-window block, and the login and login-notify callbacks that a module view
// hands to the host's login dialog.
//
// Argument mapping of the embedded-view base (platform/ui/DbViewBase.h), fixed here once:
//
//   RunMainFrameFunction(fn, num1, num2, text1, text2, text3, buf, ptr, flags, num3,
//                        cbCtx, login, notify)
//     -> pfnCommand(ctx, HOST_CMD_KIND_FUNCTION (2), fn, num1, num2, num3, text1, text2,
//                   text3, 0, 0, &result, buf, nullptr /*packet*/, ptr, flags, cbCtx, login,
//                   notify, view, control id)
//   e.g. function 79: (79, company, user index, "로그인", help, "시크릿 키", join notice,
//        nullptr, 0x4000, agency, view, LoginCallback, LoginNotifyCallback).
//
//   SendNotifyMsgToMainFrame(kind, code, val1, val2, text1, text2, extra, n1, n2, owner,
//                            notifyCb, slot)
//     -> pfnNotify(ctx, HOST_NOTIFY_CLASS_VIEW (3), kind, code, val1, val2, text1, text2,
//                  extra /*rec*/, 0, 0, nullptr, nullptr, n1, n2, slot, owner, notifyCb)
//   so "kind 3, code 7" reaches the host's notify class 3, code 3, sub 7 (the login pane);
//   kind 16 code 0 opens a page (title text1, address text2); kind 18 with code = agency
//   index, val1 = agency and val2 = 6 opens the event page with the narrow b2b text as rec.

#include <cstdint>

#include "platform/win/WinTypes.h"

class wxWindow;

// Module view -> login: (context, login kind, user id, key text, secret text, extra text,
// fifth text, broker id, market kind, login flags, fourth int, byte, text, out code, out text).
using LoginCallback = int (*)(void* ctx, int kind, const wchar_t* text1, const wchar_t* text2,
                              const wchar_t* text3, const wchar_t* text4, const wchar_t* text5,
                              int num1, int num2, int num3, int num4, uint8_t flag,
                              const wchar_t* text6, int* outCode, wchar_t* outText);

// Module view -> login state: (context, state, two ints, text, data, out narrow text, out int).
using LoginNotifyCallback = int (*)(void* ctx, unsigned int state, int value1, int value2,
                                    const wchar_t* text, void* data, char** outText, int* outValue);

// Host callback that does nothing and answers 0.
using HostNoopCallback = intptr_t (*)(void* ctx);

// Host notify callback: context; class; code; sub; val1, val2; text1, text2; rec; two values
// not read; result (may be null); buf; int1, int2, int3; two pointer-sized values.
using HostNotifyCallback = intptr_t (*)(void* ctx, int cls, int code, int sub, double val1,
                                        double val2, const wchar_t* text1, const wchar_t* text2,
                                        const void* rec, intptr_t unused1, intptr_t unused2,
                                        int* result, wchar_t* buf, int int1, int int2, int int3,
                                        intptr_t ptr1, intptr_t ptr2);

// Host command callback: context; kind; code; num1..num3; text1..text3; two values not read;
// result; buf; packet; ptr; flags; callback context, login and notify callbacks; caller pair.
using HostCommandCallback = int (*)(void* ctx, int kind, int code, int num1, int num2, int num3,
                                    const wchar_t* text1, const wchar_t* text2,
                                    const wchar_t* text3, intptr_t unused1, intptr_t unused2,
                                    int* result, wchar_t* buf, void* packet, void* ptr,
                                    uint32_t flags, void* cbCtx, LoginCallback login,
                                    LoginNotifyCallback notify, intptr_t caller1, intptr_t caller2);

// Module-created callback: context; a value not read; module number; module count; the new
// window; -1; 0; detail text (may be null); the block's text buffer; elapsed ms; error code.
using HostModuleCreatedCallback = int (*)(void* ctx, intptr_t unused, uint32_t moduleNo,
                                          uint32_t moduleCount, wxWindow* wnd, int minusOne,
                                          int zero, const char* detail, wchar_t* blockText,
                                          uint32_t elapsedMs, int errorCode);

// The notify class that the view base's SendNotifyMsgToMainFrame uses.
constexpr int HOST_NOTIFY_CLASS_PANES = 1;
constexpr int HOST_NOTIFY_CLASS_ERROR = 2;
constexpr int HOST_NOTIFY_CLASS_VIEW = 3;
constexpr int HOST_NOTIFY_CLASS_LOG = 4;

// The command kind of main-frame functions (RunMainFrameFunction).
constexpr int HOST_CMD_KIND_FUNCTION = 2;
