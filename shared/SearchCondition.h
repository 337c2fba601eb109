#pragma once
// The application's search-condition record. Before each module load the host writes the
// module's start and parameter texts here; the folder texts are the folder block that the
// plug-in reads its program folder from.

#include <cwchar>

constexpr int SEARCH_COND_TEXT_LEN = 256;
constexpr int SEARCH_COND_PATH_LEN = 260;

struct search_condition_s {
  // The module's start text (its menu_url), cut to the field.
  wchar_t szStartText[SEARCH_COND_TEXT_LEN] = {};
  // The module's parameter text (its menu_param), cut to the field.
  wchar_t szParamText[SEARCH_COND_TEXT_LEN] = {};
  // The program folder, ending in "/": plug-ins build their data paths on it.
  wchar_t szExeFolder[SEARCH_COND_PATH_LEN] = {};
  // The folder that holds the plug-in modules, ending in "/".
  wchar_t szModuleFolder[SEARCH_COND_PATH_LEN] = {};
};
