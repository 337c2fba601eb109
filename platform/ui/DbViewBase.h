#pragma once
// The embedded-view bases of every module view. CDbViewBase is the interface the module
// exports reach (refresh, host commands, zoom, show, login callbacks) and the view's way to
// the host (main-frame functions, notifications, log lines, waiting window, UI texts), all
// through the callbacks of the shared-window block. CDbBaseNormalView is the wxPanel that
// carries it.

#include <wx/panel.h>

#include <cstdint>

#include "platform/win/WinTypes.h"
#include "shared/HostCallbacks.h"

struct SharedWnds_s;
struct app_run_setting_s;
struct login_info_s;
struct search_condition_s;
struct sqlite3;
struct CRuntimeClass;

// Window styles for GfxCreateEmbededView.
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;

// Show commands for OnReqShowWindow.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

class CDbViewBase {
 public:
  CDbViewBase() = default;
  virtual ~CDbViewBase();
  CDbViewBase(const CDbViewBase&) = delete;
  CDbViewBase& operator=(const CDbViewBase&) = delete;

  // Keeps the block and takes its run settings, login record, folder block and connections.
  virtual void SetSharedWnds(SharedWnds_s* block);
  SharedWnds_s* GetSharedWnds() const { return m_pSharedWnds; }

  // --- Operations the exports reach ---
  // Puts an entry into the host's log pane (notify kind 12 at level = kind).
  virtual int AddLogMsg(DWORD ctrlId, DWORD kind, double value, const wchar_t* title,
                        const wchar_t* message, uint8_t flag);
  virtual int RefreshUITextByLanguageId(int languageId);
  virtual int RefreshWindowAll(int value, SYSTEMTIME* from, SYSTEMTIME* to, const wchar_t* text,
                               void* data, wchar_t ch, uint8_t flag);
  virtual int RefreshWindow(int command, int value, SYSTEMTIME* from, SYSTEMTIME* to,
                            const wchar_t* text, void* data, wchar_t ch, uint8_t flag);
  // Kind 1 passes the code on as a window message (answer dropped, 0); others answer 0.
  virtual int64_t OnReceivedMsgFromManager(int kind, UINT code, WPARAM wParam, LPARAM lParam,
                                           void* data);
  virtual int OnReqSetZoom(int zoom);
  virtual int OnReqGetZoom();
  virtual int GetLoginCallbackFunc(void** outCtx, LoginCallback* outLogin,
                                   LoginNotifyCallback* outNotify);
  virtual int OnReqShowWindow(int show, DWORD flags, void* data, uint8_t flag);

  // The view's message map: handles one window message sent to the view (0x364, 0x8003,
  // 0x8004, 0x8006 and the view's own); answers 0 when the view does not handle it.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  // --- The way to the host ---
  // Runs main-frame function fn through the block's command callback (kind 2). Answers the
  // callback's answer, 0 without a block or callback.
  int RunMainFrameFunction(int fn, int num1 = 0, int num2 = 0, const wchar_t* text1 = nullptr,
                           const wchar_t* text2 = nullptr, const wchar_t* text3 = nullptr,
                           wchar_t* buf = nullptr, void* ptr = nullptr, uint32_t flags = 0,
                           int num3 = 0, void* cbCtx = nullptr, LoginCallback login = nullptr,
                           LoginNotifyCallback notify = nullptr);
  // Sends a notification through the block's notify callback (class 3, code = kind, sub =
  // code). Answers the callback's answer (a window handle for pages), 0 without one.
  intptr_t SendNotifyMsgToMainFrame(int kind, int code, double val1 = 0.0, double val2 = 0.0,
                                    const wchar_t* text1 = nullptr, const wchar_t* text2 = nullptr,
                                    const void* extra = nullptr, int num1 = 0, int num2 = 0,
                                    void* owner = nullptr, LoginNotifyCallback notify = nullptr,
                                    int slot = 0);
  // Shows or hides the host's side panes of mask (notify class 1, sub 33 or 34).
  intptr_t ShowMainFramePaneWnd(int mask, const wchar_t* titles, const wchar_t* widths, bool show);
  // Shows the host's waiting window with a title and a message (main-frame function 106;
  // value1/value2 go as num2/num3); HideWaitingWnd hides it (function 109).
  int ShowWaitingWnd(const wchar_t* title, const wchar_t* message, int value1 = -1,
                     int value2 = 100, int value3 = 0, int value4 = -1);
  int HideWaitingWnd();
  // The waiting window of a data fetch: "fetching.data" ("Fetching data" / "데이터를 조회중입니다.")
  // over "please.wait" ("Please wait....." / "잠시만 기다려 주세요"), in the language.
  int ShowFetchingDataWnd(int language);
  // The text of key in the language (below 1: the host's language), from the host's UI
  // texts (main-frame function 87); out receives at most outLen - 1 characters. Without a
  // host, the Korean default for language 2, else the English default. Answers 1 when out
  // got a text.
  int GetKeywordFromDbByLanguage(const wchar_t* key, const wchar_t* englishDefault,
                                 const wchar_t* koreanDefault, int option, wchar_t* out,
                                 size_t outLen, int language = 0);

  // The control id the view was created with.
  UINT GetViewCtrlId() const { return m_nCtrlId; }

 protected:
  SharedWnds_s* m_pSharedWnds = nullptr;
  app_run_setting_s* m_pRunSetting = nullptr;
  login_info_s* m_pLoginInfo = nullptr;
  search_condition_s* m_pFolders = nullptr;
  sqlite3* m_pCatalogDb = nullptr;
  sqlite3* m_pDataDb = nullptr;
  void* m_pDocument = nullptr;
  UINT m_nCtrlId = 0;
  int m_nZoom = 0;

  friend wxWindow* GfxCreateEmbededView(void* document, const CRuntimeClass* runtimeClass,
                                        RECT rect, wxWindow* parent, UINT id, DWORD style,
                                        SharedWnds_s* block);
};

class CDbBaseNormalView : public wxPanel, public CDbViewBase {
 public:
  CDbBaseNormalView() = default;
  ~CDbBaseNormalView() override;

  // Runs when the window exists: takes the creation block as the view's block when it is
  // the embedded-views configuration. Answers 0, or -1 to fail the creation.
  virtual int OnCreate(SharedWnds_s* creationBlock);
  // Shows or hides the window by the show command; answers 1.
  int OnReqShowWindow(int show, DWORD flags, void* data, uint8_t flag) override;

  // Creates the window (wxPanel) and runs OnCreate; false when either fails.
  bool CreateView(wxWindow* parent, UINT id, const RECT& rect, DWORD style,
                  SharedWnds_s* creationBlock);
};

// The plug-in's shared-window block (one per library).
void GfxSetEmbededViewsCfgDataPtr(SharedWnds_s* block);
SharedWnds_s* GfxGetEmbededViewsCfgDataPtr();

// Makes a view of the runtime class as a child of parent, with the control id, rectangle and
// style (WS_VISIBLE shows it), and the block as its creation context. Null on failure.
wxWindow* GfxCreateEmbededView(void* document, const CRuntimeClass* runtimeClass, RECT rect,
                               wxWindow* parent, UINT id, DWORD style, SharedWnds_s* block);

// Sends a window message to a module window: its view's WindowProc, 0 when the window is
// not an embedded view.
LRESULT GfxSendMessageToWnd(wxWindow* wnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
