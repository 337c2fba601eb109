#pragma once
// The plug-in loader: loads module libraries with dlopen, finds their ZIRO_ exports and calls
// them for the host. One instance, owned by the main frame; used on the UI thread only.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/WinTypes.h"
#include "shared/HostCallbacks.h"
#include "shared/PluginExports.h"

class wxWindow;
struct SharedWnds_s;
struct CRuntimeClass;

// A loaded library (the dlopen handle); null is no library.
using HINSTANCE = void*;

// Where a module's menu sits: five bytes handed to the module unchanged.
struct tagMenuPos {
  uint8_t b[5] = {};
};

// Status values that LoadDLL / IsLoadedDLL write.
constexpr int LOADER_STATUS_OK = 0;
constexpr int LOADER_STATUS_ALREADY_LOADED = 1;
constexpr int LOADER_STATUS_NOT_LOADED = 2;
constexpr int LOADER_STATUS_NO_FILE = -1;
constexpr int LOADER_STATUS_NOT_LOADABLE = -2;
constexpr int LOADER_STATUS_NOT_A_MODULE = -3;

class CPluginLoader {
 public:
  explicit CPluginLoader(void* hInstance = nullptr);
  ~CPluginLoader();
  CPluginLoader(const CPluginLoader&) = delete;
  CPluginLoader& operator=(const CPluginLoader&) = delete;

  // Option word of the loader (bit 0 is set by the main frame).
  void SetOptions(uint32_t options) { options_ = options; }
  uint32_t GetOptions() const { return options_; }

  // Loads the module library at path (UTF-8 on disk). Answers its handle, or null: status
  // gets a LOADER_STATUS_ value and errorText why it failed. A library that is already loaded
  // answers its existing handle.
  HINSTANCE LoadDLL(const wchar_t* path, int* status = nullptr, std::wstring* errorText = nullptr);
  // The handle of an already loaded library, else null.
  HINSTANCE IsLoadedDLL(const wchar_t* path, int* status = nullptr) const;
  // Destroys every module's windows (ZIRO_DestroyAll) and closes its library, newest first.
  void UnloadAllDLLs();
  // Number of loaded libraries.
  size_t GetLoadedCount() const { return modules_.size(); }

  // Creates the module's windows through ZIRO_CreateAll. The module index is the library's
  // load order, the window id goes as its control id, startText/startValue as the start
  // message's wParam/lParam, menuPos as the pass-through pointer. The last two values are
  // accepted for the caller's sake and not used. Answers what ZIRO_CreateAll answers, -1
  // when the library is not loaded.
  int CreateAllSubModules(HINSTANCE handle, const wchar_t* path, const tagMenuPos* menuPos,
                          wxWindow* parent, SharedWnds_s* block, UINT wndId, const char* option,
                          WPARAM startText, LPARAM startValue, uint16_t value16, uint32_t value32,
                          const RECT* rect, uint32_t passThrough, uint8_t byte1 = 0,
                          uint8_t byte2 = 0, int unused1 = 0, int unused2 = -1);

  // ZIRO_GetModuleInfo of the module; 0 without the module or export.
  int GetModuleInfo(HINSTANCE handle, int index, int* outFlag, const CRuntimeClass** outClass,
                    wchar_t* outTitle, wchar_t* outText, wchar_t** outKey);
  // ZIRO_GetSubWindowCount of the module; 0 without the module or export.
  int GetSubWindowCount(HINSTANCE handle, const wchar_t* code, int* outIndex, wchar_t* outTitle,
                        wchar_t* outCode, short* outKind);
  // ZIRO_GetNthWndPtr / ZIRO_GetWndPtrById; null without the module or export.
  wxWindow* GetNthWndPtr(HINSTANCE handle, int index);
  wxWindow* GetWndPtrById(HINSTANCE handle, int wndId);
  // ZIRO_GetRuntimeClass; null without the module or export.
  const CRuntimeClass* GetPlugInRuntimeClass(HINSTANCE handle, int index, int* outValue);
  // ZIRO_GetLoginCallbackFunc; 0 without the module or export.
  int GetLoginCallbackFunc(HINSTANCE handle, int index, void** outCtx, LoginCallback* outLogin,
                           LoginNotifyCallback* outNotify);
  // ZIRO_RefreshWindow of the module created with this window id; -1 when none is.
  int RefreshSubWindowById(UINT moduleWndId, int index, int command, int value,
                           SYSTEMTIME* from = nullptr, SYSTEMTIME* to = nullptr,
                           const wchar_t* text = nullptr, void* data = nullptr, wchar_t ch = 0,
                           uint8_t flag = 0);
  // Sends a host command (kind 2) to every loaded module through ZIRO_SendMessageToAll;
  // answers how many modules answered with more than 0.
  int SendCmdMessageToAllModule(UINT code, WPARAM wParam, LPARAM lParam, void* ptr);

 private:
  struct Module {
    std::string path;  // canonical UTF-8 path
    HINSTANCE handle = nullptr;
    int index = 0;
    ZiroExports exports;
    std::vector<UINT> wndIds;  // window ids it was created with
  };
  Module* Find(HINSTANCE handle);
  const Module* FindByPath(const std::string& canonicalPath) const;

  void* hInstance_;
  uint32_t options_ = 0;
  int nextIndex_ = 0;
  std::vector<std::unique_ptr<Module>> modules_;
};
