#include "host/modules/ModuleStartup.h"

#include <cwctype>
#include <filesystem>
#include <system_error>

#include "host/catalogue/MenuModuleMap.h"

namespace fs = std::filesystem;

namespace orv::host {
namespace {

constexpr size_t kStartupTitleChars = 511;
constexpr size_t kRetitleChars = 99;

bool FileExists(const std::wstring& path) {
  std::error_code ec;
  return !path.empty() && fs::exists(fs::path(path), ec);
}

std::wstring WithExtension(const std::wstring& path, const wchar_t* extension) {
  if (path.empty()) return L"";
  fs::path p(path);
  p.replace_extension(extension);
  return p.wstring();
}

std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find(L'\n', pos);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    lines.push_back(std::move(line));
    pos = end + 1;
  }
  return lines;
}

bool IsBlank(const std::wstring& text) {
  for (wchar_t c : text) {
    if (!std::iswspace(static_cast<wint_t>(c))) return false;
  }
  return true;
}

std::wstring Translate(const TitleTranslator& translate, const std::wstring& title) {
  return translate ? translate(title) : title;
}

}  // namespace

std::wstring ModuleLoadSplashText(bool first, bool previousOk, int previousError,
                                  const std::wstring& displayName) {
  if (first) return L"Loading " + displayName + L"...\r\n";
  if (previousOk && previousError == 0) return L"\r\nLoading " + displayName + L"...";
  return L" >> *Failed*(" + std::to_wstring(previousError) + L")\r\nLoading " + displayName +
         L"...";
}

std::wstring ModuleUpdateArchive(const std::wstring& modulePath) {
  return WithExtension(modulePath, L".zip");
}

std::wstring ModuleUpdateMarker(const std::wstring& modulePath) {
  return WithExtension(modulePath, L".up_req.txt");
}

bool CheckPendingModuleUpdate(MenuModule* entry, bool* outUpdate, const std::wstring& modulePath) {
  if (modulePath.empty() || !FileExists(ModuleUpdateArchive(modulePath))) return false;
  const bool requested = FileExists(ModuleUpdateMarker(modulePath));
  if (outUpdate != nullptr) *outUpdate = requested;
  if (requested && entry != nullptr) entry->flags |= kModuleUpdatePending;
  return requested;
}

std::vector<ModuleTab> PlanModuleTabs(int count, const std::wstring& titles, int expected,
                                      const std::wstring& moduleTitle, int tabImage,
                                      const TitleTranslator& translate) {
  std::vector<ModuleTab> tabs;
  auto imageAt = [tabImage](size_t position) {
    return tabImage >= 0 ? tabImage : static_cast<int>(position);
  };
  if (count < 2) {
    tabs.push_back({Translate(translate, moduleTitle), imageAt(0), 0});
    return tabs;
  }
  const std::vector<std::wstring> lines = Lines(titles);
  for (size_t i = 0; i < lines.size() && static_cast<int>(i) < expected; ++i) {
    std::wstring title = lines[i].substr(0, kStartupTitleChars);
    if (IsBlank(title)) continue;
    const size_t start = title.find_first_not_of(L" \t");
    title = title.substr(start);
    tabs.push_back({Translate(translate, title), imageAt(tabs.size()), static_cast<int>(i)});
  }
  for (int index = static_cast<int>(tabs.size()); index < expected; ++index) {
    tabs.push_back({moduleTitle, imageAt(tabs.size()), index});
  }
  return tabs;
}

std::vector<std::wstring> RetitleCaptions(int count, const std::wstring& titles,
                                          const TitleTranslator& translate) {
  std::vector<std::wstring> captions;
  const std::vector<std::wstring> lines = Lines(titles);
  for (size_t i = 0; i < lines.size() && static_cast<int>(i) < count; ++i) {
    const std::wstring title = lines[i].substr(0, kRetitleChars);
    if (IsBlank(title)) continue;
    captions.push_back(Translate(translate, title.substr(title.find_first_not_of(L" \t"))));
  }
  return captions;
}

int ChooseModuleTab(int preferred, int requested, int tabCount) {
  if (preferred >= 0) return preferred;
  if (requested >= 0 && requested < tabCount) return requested;
  return 0;
}

bool PlacementRect(const RECT& monitor, int position, RECT* out) {
  const LONG l = monitor.left;
  const LONG t = monitor.top;
  const LONG w = monitor.right - monitor.left;
  const LONG h = monitor.bottom - monitor.top;
  const LONG hw = w / 2;
  const LONG hh = h / 2;
  RECT r{};
  switch (position) {
    case 1:
      r = {l, t, l + hw, t + h};
      break;
    case 2:
      r = {l + hw, t, l + w, t + h};
      break;
    case 3:
      r = {l, t, l + w, t + hh};
      break;
    case 4:
      r = {l, t + hh, l + w, t + h};
      break;
    case 5:
      r = {l, t, l + hw, t + hh};
      break;
    case 6:
      r = {l + hw, t, l + w, t + hh};
      break;
    case 7:
      r = {l, t + hh, l + hw, t + h};
      break;
    case 8:
      r = {l + hw, t + hh, l + w, t + h};
      break;
    case 9:
      r = {l, t, l + w, t + h};
      break;
    default:
      return false;
  }
  if (out != nullptr) *out = r;
  return true;
}

std::wstring ProgramModuleCommand(const std::wstring& libraryPath, const std::wstring& paramText,
                                  const std::wstring& startText, int width, int height) {
  const std::wstring size = width != 0 && height != 0 ? L" /w:" + std::to_wstring(width) + L" /h:" +
                                                            std::to_wstring(height) + L" /center"
                                                      : std::wstring();
  const std::wstring& text = !paramText.empty() ? paramText : startText;
  if (text.empty()) return L"\"" + libraryPath + L"\"" + size;
  return L"\"" + libraryPath + L"\" \"" + text + L"\"" + size;
}

}  // namespace orv::host
