#pragma once
// The menu-module map: one record per module of the catalogue's menus (or of the command
// line's test list), ordered by its menu key. The ribbon builds its tabs and gallery items
// from it, and the main view's start-up loop walks it to load the plug-in modules.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/WinTypes.h"

struct sqlite3;

namespace orv::host {

// Key of the r-th module of the g-th group (both from 1): (g << 16) | (r << 8).
constexpr uint32_t MenuKey(uint32_t group, uint32_t item) { return (group << 16) | (item << 8); }
// Key of the n-th module of the test tab.
constexpr uint32_t TestMenuKey(uint32_t n) { return ((n & 255u) | 0x100u) << 8; }

// Kinds run as separate programs rather than loaded as plug-ins.
constexpr bool IsProgramKind(uint8_t kind) { return kind == 2 || kind == 3; }

// Smallest gallery size of a module, and the background of icons without one.
constexpr uint16_t kMinModuleSize = 60;
constexpr COLORREF kIconMaskColour = 0xFF00FF;

struct MenuModule {
  uint32_t key = 0;
  uint16_t menuId = 0;  // menu_idx; the module's window id
  uint16_t width = kMinModuleSize;
  uint16_t height = kMinModuleSize;
  uint8_t kind = 0;  // menu_type

  // Filled by the start-up loop.
  void* moduleHandle = nullptr;
  HWND window = 0;
  HWND frame = 0;
  int32_t loadStatus = 0;
  int32_t loadError = 0;
  std::wstring loadText;
  int32_t currentSubWindow = -1;
  int32_t subWindowCount = 0;
  uint8_t expectedSubWindows = 0;
  uint8_t ownFrame = 0;
  int16_t tabImage = -1;
  uint32_t frameResourceId = 0;
  uint32_t flags = 0;  // 0x1000: an update is pending

  std::wstring code;         // menu_code (the library name on the test tab)
  std::string optionText;    // modules_on
  std::wstring title;        // in the current language
  std::wstring description;  // menu_desc
  uintptr_t startValue = 0;
  std::wstring startText;    // menu_url
  std::wstring paramText;    // menu_param
  std::wstring libraryPath;  // absolute; empty when the entry names no library
  std::wstring iconPath;
  std::wstring extraText;
  COLORREF iconBackground = kIconMaskColour;  // bg_color, 0xFF00FF when negative
};

// A ribbon tab: one menu group and the keys of its modules in load order.
struct MenuGroup {
  uint32_t number = 0;  // from 1
  int32_t groupIdx = 0;
  uint16_t itemWidth = 0;
  uint16_t itemHeight = 0;
  std::wstring title;
  std::wstring description;
  std::vector<uint32_t> keys;
};

class MenuModuleMap {
 public:
  using Map = std::map<uint32_t, std::unique_ptr<MenuModule>>;

  // Adds the record unless its key is already held (the first record then stays).
  bool Insert(std::unique_ptr<MenuModule> module);
  // The record with exactly that key, else null.
  MenuModule* Find(uint32_t key) const;
  // The first key ever inserted (0 when none).
  uint32_t FirstKey() const { return firstKey_; }
  size_t Size() const { return modules_.size(); }
  void Clear();

  Map::const_iterator begin() const { return modules_.begin(); }
  Map::const_iterator end() const { return modules_.end(); }

 private:
  Map modules_;
  uint32_t firstKey_ = 0;
};

// Where the module records' files are found.
struct MenuPaths {
  std::wstring moduleFolder;  // the user's "Ziro" folder, ending with "/"
  std::wstring settingsPath;  // the catalogue file; its folder resolves relative links
};

// A module file name as this platform names it: a ".dll" link is the same module's ".so".
std::wstring PlatformModuleName(const std::wstring& name);
// The library of a menu link: "<module folder>PlugIn/<file name>" when that file exists, else
// the link (with "\" as "/") made absolute against the settings file's folder.
std::wstring ResolveModuleLibrary(const std::wstring& menuLink, const MenuPaths& paths);
// The icon: "<settings folder>res/<code>.png" when the code is set and the file exists, else
// the same with the link's file name without extension.
std::wstring ResolveModuleIcon(const std::wstring& code, const std::wstring& menuLink,
                               const MenuPaths& paths);

using SplashReporter = std::function<void(const std::wstring&)>;

// Reads at most ten valid menu groups of application 1 and their valid modules of application
// appNo, titles in language, into map (and the tabs into groups when given). A key the map
// already holds keeps its record; the duplicate is reported through report. Returns 1, or 0
// when the catalogue cannot be read.
int LoadModuleMenus(sqlite3* db, int appNo, int language, const MenuPaths& paths,
                    MenuModuleMap& map, std::vector<MenuGroup>* groups,
                    const SplashReporter& report);

// The test tab: the ";"-separated names are libraries in folder (when it exists, else the
// program's "PlugIn/" folder), titled by the ";"-separated titles or their names. A name of
// 260 characters or more or a title of 100 or more ends the list. Returns the modules added.
int LoadTestModuleMenu(const std::wstring& tabTitle, const std::wstring& folder,
                       const std::wstring& titles, const std::wstring& names,
                       const std::wstring& programFolder, MenuModuleMap& map, MenuGroup* group);

}  // namespace orv::host
