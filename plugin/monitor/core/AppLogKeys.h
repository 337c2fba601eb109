#pragma once
// What a key does in the application log dialog. Only a key going down acts: a key coming up
// (or a repeated character message) never runs a search or a copy a second time.

#include <string>

enum class AppLogKey { kNone, kSearch, kSwallow, kSelectAll, kCopy };

struct AppLogKeyInput {
  bool keyDown = true;
  int keyCode = 0;           // 13 Enter, 27 Escape, 'A', 'C' ...
  bool control = false;
  bool focusOnList = false;  // the focus is on the dialog itself or on its log list
};

AppLogKey AppLogKeyAction(const AppLogKeyInput& key);

// The search box's text as the list gets it: at most 29 characters, trimmed of " \t\n\r".
std::wstring AppLogSearchText(const std::wstring& typed);
