#include "host/modules/PluginModuleLoading.h"
#include "platform/support/Utf8Text.h"
#include "platform/win/MessageBox.h"

void ShowPluginLoadError(const std::wstring& text) {
  orv::win::MessageBox(orv::support::WideToUtf8(text), "ERROR", MB_OK | MB_ICONERROR);
}
