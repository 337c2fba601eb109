#include "platform/support/PluginLoader.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

#include "platform/support/Utf8Text.h"
#include "shared/HostCommands.h"

namespace fs = std::filesystem;

namespace {

std::string CanonicalPath(const wchar_t* path) {
  if (!path || !*path) return {};
  const std::string utf8 = orv::support::WideToUtf8(path);
  std::error_code ec;
  fs::path canonical = fs::weakly_canonical(fs::path(utf8), ec);
  return ec ? utf8 : canonical.string();
}

void SetStatus(int* status, int value) {
  if (status) *status = value;
}

void SetError(std::wstring* errorText, const std::string& text) {
  if (errorText) *errorText = orv::support::Utf8ToWide(text);
}

}  // namespace

CPluginLoader::CPluginLoader(void* hInstance) : hInstance_(hInstance) {}

CPluginLoader::~CPluginLoader() { UnloadAllDLLs(); }

CPluginLoader::Module* CPluginLoader::Find(HINSTANCE handle) {
  if (!handle) return nullptr;
  for (auto& m : modules_)
    if (m->handle == handle) return m.get();
  return nullptr;
}

const CPluginLoader::Module* CPluginLoader::FindByPath(const std::string& canonicalPath) const {
  for (const auto& m : modules_)
    if (m->path == canonicalPath) return m.get();
  return nullptr;
}

HINSTANCE CPluginLoader::IsLoadedDLL(const wchar_t* path, int* status) const {
  const Module* m = FindByPath(CanonicalPath(path));
  SetStatus(status, m ? LOADER_STATUS_ALREADY_LOADED : LOADER_STATUS_NOT_LOADED);
  return m ? m->handle : nullptr;
}

HINSTANCE CPluginLoader::LoadDLL(const wchar_t* path, int* status, std::wstring* errorText) {
  const std::string canonical = CanonicalPath(path);
  if (canonical.empty()) {
    SetStatus(status, LOADER_STATUS_NO_FILE);
    SetError(errorText, "no library path");
    return nullptr;
  }
  if (const Module* m = FindByPath(canonical)) {
    SetStatus(status, LOADER_STATUS_ALREADY_LOADED);
    return m->handle;
  }
  std::error_code ec;
  if (!fs::is_regular_file(canonical, ec)) {
    SetStatus(status, LOADER_STATUS_NO_FILE);
    SetError(errorText, "file not found: " + canonical);
    return nullptr;
  }
  dlerror();
  void* handle = dlopen(canonical.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    SetStatus(status, LOADER_STATUS_NOT_LOADABLE);
    SetError(errorText, why ? why : "cannot load library");
    return nullptr;
  }
  auto module = std::make_unique<Module>();
  module->path = canonical;
  module->handle = handle;
#define ORV_RESOLVE(name) \
  module->exports.name = reinterpret_cast<PFN_ZIRO_##name>(dlsym(handle, "ZIRO_" #name));
  ORV_ZIRO_EXPORTS(ORV_RESOLVE)
#undef ORV_RESOLVE
  // Without a way to create and to destroy its windows a library is no module.
  if (!module->exports.CreateAll || !module->exports.DestroyAll) {
    dlclose(handle);
    SetStatus(status, LOADER_STATUS_NOT_A_MODULE);
    SetError(errorText,
             "not a plug-in module (ZIRO_CreateAll/ZIRO_DestroyAll missing): " + canonical);
    return nullptr;
  }
  module->index = nextIndex_++;
  modules_.push_back(std::move(module));
  SetStatus(status, LOADER_STATUS_OK);
  if (errorText) errorText->clear();
  return handle;
}

void CPluginLoader::UnloadAllDLLs() {
  while (!modules_.empty()) {
    std::unique_ptr<Module> m = std::move(modules_.back());
    modules_.pop_back();
    m->exports.DestroyAll();
    dlclose(m->handle);
  }
}

int CPluginLoader::CreateAllSubModules(HINSTANCE handle, const wchar_t* path,
                                       const tagMenuPos* menuPos, wxWindow* parent,
                                       SharedWnds_s* block, UINT wndId, const char* option,
                                       WPARAM startText, LPARAM startValue, uint16_t value16,
                                       uint32_t value32, const RECT* rect, uint32_t passThrough,
                                       uint8_t byte1, uint8_t byte2, int, int) {
  Module* m = Find(handle);
  if (!m && path) m = Find(IsLoadedDLL(path));
  if (!m) return -1;
  RECT rc = rect ? *rect : RECT{};
  const int created =
      m->exports.CreateAll(m->index, parent, const_cast<tagMenuPos*>(menuPos), block, wndId, option,
                           startText, startValue, value16, value32, &rc, passThrough, byte1, byte2);
  if (created > 0) {
    bool known = false;
    for (UINT id : m->wndIds) known = known || id == wndId;
    if (!known) m->wndIds.push_back(wndId);
  }
  return created;
}

int CPluginLoader::GetModuleInfo(HINSTANCE handle, int index, int* outFlag,
                                 const CRuntimeClass** outClass, wchar_t* outTitle,
                                 wchar_t* outText, wchar_t** outKey) {
  Module* m = Find(handle);
  if (!m || !m->exports.GetModuleInfo) return 0;
  return m->exports.GetModuleInfo(index, 0, 0, outFlag, outClass, outTitle, outText, outKey);
}

int CPluginLoader::GetSubWindowCount(HINSTANCE handle, const wchar_t* code, int* outIndex,
                                     wchar_t* outTitle, wchar_t* outCode, short* outKind) {
  Module* m = Find(handle);
  if (!m || !m->exports.GetSubWindowCount) return 0;
  return m->exports.GetSubWindowCount(code, outIndex, outTitle, outCode, outKind);
}

wxWindow* CPluginLoader::GetNthWndPtr(HINSTANCE handle, int index) {
  Module* m = Find(handle);
  if (!m || !m->exports.GetNthWndPtr) return nullptr;
  return m->exports.GetNthWndPtr(index);
}

wxWindow* CPluginLoader::GetWndPtrById(HINSTANCE handle, int wndId) {
  Module* m = Find(handle);
  if (!m || !m->exports.GetWndPtrById) return nullptr;
  return m->exports.GetWndPtrById(wndId);
}

const CRuntimeClass* CPluginLoader::GetPlugInRuntimeClass(HINSTANCE handle, int index,
                                                          int* outValue) {
  if (outValue) *outValue = 0;
  Module* m = Find(handle);
  if (!m || !m->exports.GetRuntimeClass) return nullptr;
  return m->exports.GetRuntimeClass(index);
}

int CPluginLoader::GetLoginCallbackFunc(HINSTANCE handle, int index, void** outCtx,
                                        LoginCallback* outLogin, LoginNotifyCallback* outNotify) {
  Module* m = Find(handle);
  if (!m || !m->exports.GetLoginCallbackFunc) return 0;
  return m->exports.GetLoginCallbackFunc(index, outCtx, outLogin, outNotify);
}

int CPluginLoader::RefreshSubWindowById(UINT moduleWndId, int index, int command, int value,
                                        SYSTEMTIME* from, SYSTEMTIME* to, const wchar_t* text,
                                        void* data, wchar_t ch, uint8_t flag) {
  for (auto& m : modules_) {
    for (UINT id : m->wndIds) {
      if (id != moduleWndId) continue;
      if (!m->exports.RefreshWindow) return -1;
      return m->exports.RefreshWindow(index, command, value, from, to, text, data, ch, flag);
    }
  }
  return -1;
}

int CPluginLoader::SendCmdMessageToAllModule(UINT code, WPARAM wParam, LPARAM lParam, void* ptr) {
  int answered = 0;
  for (auto& m : modules_) {
    if (!m->exports.SendMessageToAll) continue;
    if (m->exports.SendMessageToAll(MODULE_MSG_KIND_HOST, code, wParam, lParam, ptr) > 0)
      ++answered;
  }
  return answered;
}
