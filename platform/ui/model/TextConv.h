#pragma once
// UTF-8 and wide-text conversion for the grid model (wchar_t is UTF-32 here).

#include <string>
#include <string_view>

namespace orv::ui {

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

}  // namespace orv::ui
