#include "plugin/monitor/core/AppLogKeys.h"

namespace {
constexpr int kEnter = 13;
constexpr int kEscape = 27;
constexpr size_t kSearchLen = 29;
}  // namespace

AppLogKey AppLogKeyAction(const AppLogKeyInput& key) {
  if (!key.keyDown) return AppLogKey::kNone;
  if (key.keyCode == kEnter) return AppLogKey::kSearch;
  // Escape never closes the dialog.
  if (key.keyCode == kEscape) return AppLogKey::kSwallow;
  if (!key.focusOnList || !key.control) return AppLogKey::kNone;
  if (key.keyCode == 'A' || key.keyCode == 'a') return AppLogKey::kSelectAll;
  if (key.keyCode == 'C' || key.keyCode == 'c') return AppLogKey::kCopy;
  return AppLogKey::kNone;
}

std::wstring AppLogSearchText(const std::wstring& typed) {
  std::wstring text = typed.substr(0, kSearchLen);
  const size_t first = text.find_first_not_of(L" \t\n\r");
  if (first == std::wstring::npos) return {};
  const size_t last = text.find_last_not_of(L" \t\n\r");
  return text.substr(first, last - first + 1);
}
