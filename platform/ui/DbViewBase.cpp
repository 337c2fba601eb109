#include "platform/ui/DbViewBase.h"

#include <cwchar>

#include "shared/AppRunSetting.h"
#include "shared/HostCommands.h"
#include "shared/LogMsgData.h"
#include "shared/RuntimeClass.h"
#include "shared/SharedWnds.h"

namespace {
SharedWnds_s* g_embeddedViewsBlock = nullptr;

void CopyBounded(wchar_t* out, size_t outLen, const wchar_t* text) {
  if (!out || outLen == 0) return;
  size_t n = text ? std::wcslen(text) : 0;
  if (n >= outLen) n = outLen - 1;
  if (n) std::wmemcpy(out, text, n);
  out[n] = L'\0';
}
}  // namespace

void GfxSetEmbededViewsCfgDataPtr(SharedWnds_s* block) { g_embeddedViewsBlock = block; }

SharedWnds_s* GfxGetEmbededViewsCfgDataPtr() { return g_embeddedViewsBlock; }

// ---------------------------------------------------------------------------------------
// CDbViewBase

CDbViewBase::~CDbViewBase() = default;

void CDbViewBase::SetSharedWnds(SharedWnds_s* block) {
  m_pSharedWnds = block;
  if (!block) return;
  m_pRunSetting = block->pRunSetting;
  m_pLoginInfo = block->pLoginInfo;
  m_pFolders = block->pSearchCond;
  m_pCatalogDb = block->pCatalogDb;
  m_pDataDb = block->pDataDb;
}

int CDbViewBase::AddLogMsg(DWORD ctrlId, DWORD kind, double value, const wchar_t* title,
                           const wchar_t* message, uint8_t flag) {
  if (!message) return 0;
  log_msg_data_s rec;
  rec.nLevel = static_cast<int32_t>(kind);
  rec.nStatus = static_cast<int32_t>(ctrlId);
  rec.byFlags[0] = flag;
  return static_cast<int>(SendNotifyMsgToMainFrame(NOTIFY_KIND_LOG, static_cast<int>(kind), value,
                                                   0.0, title, message, &rec));
}

int CDbViewBase::RefreshUITextByLanguageId(int) { return 0; }

int CDbViewBase::RefreshWindowAll(int, SYSTEMTIME*, SYSTEMTIME*, const wchar_t*, void*, wchar_t,
                                  uint8_t) {
  return 0;
}

int CDbViewBase::RefreshWindow(int, int, SYSTEMTIME*, SYSTEMTIME*, const wchar_t*, void*, wchar_t,
                               uint8_t) {
  return 0;
}

int64_t CDbViewBase::OnReceivedMsgFromManager(int kind, UINT code, WPARAM wParam, LPARAM lParam,
                                              void*) {
  if (kind == MODULE_MSG_KIND_WINDOW) WindowProc(code, wParam, lParam);
  return 0;
}

int CDbViewBase::OnReqSetZoom(int zoom) {
  m_nZoom = zoom;
  return zoom;
}

int CDbViewBase::OnReqGetZoom() { return m_nZoom; }

int CDbViewBase::GetLoginCallbackFunc(void**, LoginCallback*, LoginNotifyCallback*) { return 0; }

int CDbViewBase::OnReqShowWindow(int, DWORD, void*, uint8_t) { return 0; }

LRESULT CDbViewBase::WindowProc(UINT, WPARAM, LPARAM) { return 0; }

int CDbViewBase::RunMainFrameFunction(int fn, int num1, int num2, const wchar_t* text1,
                                      const wchar_t* text2, const wchar_t* text3, wchar_t* buf,
                                      void* ptr, uint32_t flags, int num3, void* cbCtx,
                                      LoginCallback login, LoginNotifyCallback notify) {
  if (!m_pSharedWnds || !m_pSharedWnds->pfnCommand) return 0;
  int result = 0;
  return m_pSharedWnds->pfnCommand(m_pSharedWnds->pCallbackCtx, HOST_CMD_KIND_FUNCTION, fn, num1,
                                   num2, num3, text1, text2, text3, 0, 0, &result, buf, nullptr,
                                   ptr, flags, cbCtx, login, notify,
                                   reinterpret_cast<intptr_t>(this), m_nCtrlId);
}

intptr_t CDbViewBase::SendNotifyMsgToMainFrame(int kind, int code, double val1, double val2,
                                               const wchar_t* text1, const wchar_t* text2,
                                               const void* extra, int num1, int num2, void* owner,
                                               LoginNotifyCallback notify, int slot) {
  if (!m_pSharedWnds || !m_pSharedWnds->pfnNotify) return 0;
  return m_pSharedWnds->pfnNotify(m_pSharedWnds->pCallbackCtx, HOST_NOTIFY_CLASS_VIEW, kind, code,
                                  val1, val2, text1, text2, extra, 0, 0, nullptr, nullptr, num1,
                                  num2, slot, reinterpret_cast<intptr_t>(owner),
                                  reinterpret_cast<intptr_t>(notify));
}

intptr_t CDbViewBase::ShowMainFramePaneWnd(int mask, const wchar_t* titles, const wchar_t* widths,
                                           bool show) {
  if (!m_pSharedWnds || !m_pSharedWnds->pfnNotify) return 0;
  return m_pSharedWnds->pfnNotify(m_pSharedWnds->pCallbackCtx, HOST_NOTIFY_CLASS_PANES, 0,
                                  show ? PANES_SHOW : PANES_HIDE, mask, 0.0, titles, widths,
                                  nullptr, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0);
}

int CDbViewBase::ShowWaitingWnd(const wchar_t* title, const wchar_t* message, int value1,
                                int value2, int, int) {
  return RunMainFrameFunction(MAINFRAME_FN_WAIT_CONFIRM, 0, value1, message, title, nullptr,
                              nullptr, nullptr, 0, value2);
}

int CDbViewBase::HideWaitingWnd() { return RunMainFrameFunction(MAINFRAME_FN_HIDE_WAIT_CONFIRM); }

int CDbViewBase::ShowFetchingDataWnd(int language) {
  wchar_t title[500] = {};
  wchar_t message[500] = {};
  GetKeywordFromDbByLanguage(L"fetching.data", L"Fetching data", L"데이터를 조회중입니다.", 0,
                             title, 500, language);
  GetKeywordFromDbByLanguage(L"please.wait", L"Please wait.....", L"잠시만 기다려 주세요", 0,
                             message, 500, language);
  return ShowWaitingWnd(title, message, -1, 100, 0, -1);
}

int CDbViewBase::GetKeywordFromDbByLanguage(const wchar_t* key, const wchar_t* englishDefault,
                                            const wchar_t* koreanDefault, int option, wchar_t* out,
                                            size_t outLen, int language) {
  if (!out || outLen == 0) return 0;
  wchar_t text[HOST_UI_TEXT_BUF_LEN] = {};
  if (m_pSharedWnds && m_pSharedWnds->pfnCommand && key) {
    RunMainFrameFunction(MAINFRAME_FN_UI_TEXT, 0, option, key, englishDefault, koreanDefault, text,
                         nullptr, 0, language);
    text[HOST_UI_TEXT_BUF_LEN - 1] = L'\0';
  }
  if (!text[0]) {
    int lang = language;
    if (lang < 1 && m_pRunSetting) lang = m_pRunSetting->byLanguage;
    const wchar_t* fallback = (lang == 2 && koreanDefault) ? koreanDefault : englishDefault;
    CopyBounded(text, HOST_UI_TEXT_BUF_LEN, fallback);
  }
  CopyBounded(out, outLen, text);
  return out[0] ? 1 : 0;
}

// ---------------------------------------------------------------------------------------
// CDbBaseNormalView

CDbBaseNormalView::~CDbBaseNormalView() = default;

int CDbBaseNormalView::OnCreate(SharedWnds_s* creationBlock) {
  if (creationBlock && creationBlock == GfxGetEmbededViewsCfgDataPtr())
    SetSharedWnds(creationBlock);
  return 0;
}

int CDbBaseNormalView::OnReqShowWindow(int show, DWORD, void*, uint8_t) {
  Show(show != SW_HIDE);
  if (show != SW_HIDE) Refresh();
  return 1;
}

bool CDbBaseNormalView::CreateView(wxWindow* parent, UINT id, const RECT& rect, DWORD style,
                                   SharedWnds_s* creationBlock) {
  m_nCtrlId = id;
  // Created hidden so that a view without WS_VISIBLE never flashes up.
  Hide();
  // wx takes window ids below 32767 only; a larger control id (0xE901 ...) stays the view's
  // own (GetViewCtrlId) and the window gets an automatic one.
  const wxWindowID windowId = id < 32767 ? static_cast<wxWindowID>(id) : wxID_ANY;
  if (!Create(parent, windowId, wxPoint(rect.left, rect.top),
              wxSize(rect.right - rect.left, rect.bottom - rect.top)))
    return false;
  if (OnCreate(creationBlock) == -1) return false;
  if (style & WS_VISIBLE) Show();
  return true;
}

wxWindow* GfxCreateEmbededView(void* document, const CRuntimeClass* runtimeClass, RECT rect,
                               wxWindow* parent, UINT id, DWORD style, SharedWnds_s* block) {
  if (!runtimeClass || !runtimeClass->m_pfnCreateObject || !parent) return nullptr;
  CDbBaseNormalView* view = runtimeClass->m_pfnCreateObject();
  if (!view) return nullptr;
  view->m_pDocument = document;
  if (!view->CreateView(parent, id, rect, style, block)) {
    if (view->GetHandle() || view->GetParent())
      view->Destroy();
    else
      delete view;
    return nullptr;
  }
  return view;
}

LRESULT GfxSendMessageToWnd(wxWindow* wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* view = dynamic_cast<CDbViewBase*>(wnd);
  return view ? view->WindowProc(message, wParam, lParam) : 0;
}
