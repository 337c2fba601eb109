#include "host/modules/PluginModuleLoading.h"

#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <system_error>

#include "platform/support/ModuleResource.h"
#include "platform/support/Utf8Text.h"
#include "platform/ui/DbViewBase.h"
#include "shared/Messages.h"
#include "shared/SearchCondition.h"
#include "shared/SharedWnds.h"

namespace {

// Log-hub entry of a load failure.
constexpr int kLoadFailKind = -1;
constexpr int kLoadFailSeverity = 4;
constexpr int kLoadFailCode = 504;
// The module icon: a PNG resource of the library.
constexpr int kModuleIconResource = 811;

// Copies text into a field of fieldLen characters: zero-filled, cut, always terminated.
void CopyToField(wchar_t* field, size_t fieldLen, const wchar_t* text) {
  std::wmemset(field, L'\0', fieldLen);
  if (!text) return;
  size_t n = std::wcslen(text);
  if (n >= fieldLen) n = fieldLen - 1;
  std::wmemcpy(field, text, n);
}

// The folder of a path, ending in "/" (empty when the path has none).
std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L'/');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// Makes sure the module's icon file "<module folder>res/<key>.png" exists, taking it from
// the library when it does not. An icon already there stays as it is.
void EnsureModuleIcon(HINSTANCE handle, const std::wstring& moduleFolder, const wchar_t* key) {
  if (!key || !*key) return;
  const std::string iconPath = orv::support::WideToUtf8(moduleFolder + L"res/" + key + L".png");
  std::error_code ec;
  if (std::filesystem::exists(iconPath, ec)) return;
  GfxExtractResourceToFile(handle, kModuleIconResource, "PNG", iconPath, 0);
}

}  // namespace

std::wstring PluginLoadFailureText(const wchar_t* libraryPath) {
  return std::wstring(L"Invalid Plugin DLL. Cannot load plugin(") +
         (libraryPath ? libraryPath : L"") + L")";
}

RECT PluginModuleRect(const RECT& frameClientRect) {
  RECT rc = frameClientRect;
  rc.left += 5;
  rc.top += 30;
  rc.right -= 5;
  rc.bottom -= 5;
  return rc;
}

HINSTANCE LoadPluginModule(const PluginModuleHost& host, const PluginModuleRequest& request,
                           const PluginModuleResult& result) {
  if (result.firstWnd) *result.firstWnd = nullptr;
  const wchar_t* path = request.libraryPath;
  if (!path || !*path || !host.loader) return nullptr;

  const RECT moduleRect = PluginModuleRect(host.frameClientRect);
  tagMenuPos menuPos;
  menuPos.b[0] = menuPos.b[1] = menuPos.b[2] = 1;

  int status = 0;
  HINSTANCE handle = host.loader->IsLoadedDLL(path, &status);

  if (host.searchCond) {
    CopyToField(host.searchCond->szStartText, SEARCH_COND_TEXT_LEN, request.startText);
    CopyToField(host.searchCond->szParamText, SEARCH_COND_TEXT_LEN, request.paramText);
  }
  if (host.block) CopyToField(host.block->szText, SHARED_WNDS_TEXT_LEN, request.paramText);

  const std::wstring moduleFolder = FolderOf(path);
  const auto startText = reinterpret_cast<WPARAM>(request.startText);
  auto createAll = [&](HINSTANCE h) {
    return host.loader->CreateAllSubModules(
        h, path, &menuPos, request.parent, host.block, request.wndId, request.optionText, startText,
        request.startValue, 9, 0, &moduleRect, request.passThrough, 0, 0, 0, -1);
  };

  if (handle) {
    if (wxWindow* wnd = host.loader->GetWndPtrById(handle, static_cast<int>(request.wndId))) {
      GfxSendMessageToWnd(wnd, WM_MODULE_START, startText, request.startValue);
      if (result.firstWnd) *result.firstWnd = wnd;
    } else {
      createAll(handle);
    }
    return handle;
  }

  std::wstring loaderError;
  handle =
      host.loader->LoadDLL(path, result.loaderStatus ? result.loaderStatus : &status, &loaderError);
  if (!handle) {
    const std::wstring message = PluginLoadFailureText(path);
    if (result.errorText) *result.errorText = message;
    if (host.writeLog) host.writeLog(kLoadFailKind, kLoadFailSeverity, kLoadFailCode, message);
    if (host.showError) host.showError(message);
    return nullptr;
  }

  wxWindow* first = nullptr;
  if (createAll(handle) > 0) {
    PluginModuleInfo local;
    PluginModuleInfo* info = result.info ? result.info : &local;
    host.loader->GetModuleInfo(handle, 0, &info->flag, &info->runtimeClass, info->title, info->text,
                               &info->key);
    EnsureModuleIcon(handle, moduleFolder, info->key);
    if (!result.info) std::free(local.key);
    first = host.loader->GetNthWndPtr(handle, 0);
  } else if (host.writeLog) {
    host.writeLog(kLoadFailKind, 0, 0, path);
  }
  if (result.firstWnd) *result.firstWnd = first;
  return handle;
}
