#include "platform/ui/model/GridLayout.h"

namespace orv::ui {

bool ParseColumnFlags(std::wstring_view flags, GridColumnSpec* spec, std::wstring* error) {
  size_t i = 0;
  for (; i < flags.size() && (flags[i] < L'0' || flags[i] > L'9'); ++i) {
    switch (flags[i]) {
      case L'?':
        spec->hidden = true;
        break;
      case L'>':
        spec->alignRight = true;
        break;
      case L'-':
        spec->alignCenter = true;
        break;
      case L'#':
        spec->treeColumn = true;
        break;
      case L'g':
        spec->grouping = true;
        break;
      case L'c':
        spec->options = true;
        break;
      case L'd':
        spec->date = true;
        break;
      case L't':
        spec->time = true;
        break;
      default:
        if (error) *error = std::wstring(L"unknown column flag '") + flags[i] + L"'";
        return false;
    }
  }
  if (i == flags.size()) return true;  // no width: the default
  int width = 0;
  for (; i < flags.size(); ++i) {
    if (flags[i] < L'0' || flags[i] > L'9') {
      if (error) *error = L"column width \"" + std::wstring(flags) + L"\" is not a number";
      return false;
    }
    width = width * 10 + (flags[i] - L'0');
    if (width > 100000) {
      if (error) *error = L"column width \"" + std::wstring(flags) + L"\" is too large";
      return false;
    }
  }
  spec->width = width;
  return true;
}

bool ParseGridLayout(std::wstring_view layout, wchar_t sep, std::vector<GridColumnSpec>* out,
                     std::wstring* error) {
  std::vector<GridColumnSpec> columns;
  size_t pos = 0;
  while (pos < layout.size()) {
    size_t end = layout.find(sep, pos);
    if (end == std::wstring_view::npos) end = layout.size();
    std::wstring_view entry = layout.substr(pos, end - pos);
    pos = end + 1;
    GridColumnSpec spec;
    size_t colon = entry.rfind(L':');
    if (colon == std::wstring_view::npos) {
      spec.title = std::wstring(entry);
    } else {
      spec.title = std::wstring(entry.substr(0, colon));
      std::wstring why;
      if (!ParseColumnFlags(entry.substr(colon + 1), &spec, &why)) {
        if (error) {
          *error = L"layout entry " + std::to_wstring(columns.size()) + L" \"" +
                   std::wstring(entry) + L"\": " + why;
        }
        return false;
      }
    }
    columns.push_back(std::move(spec));
  }
  *out = std::move(columns);
  return true;
}

}  // namespace orv::ui
