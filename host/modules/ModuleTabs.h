#pragma once
// The module tabs of the main view as the ribbon switches them: the current module, selecting a
// module's tabs and re-captioning them in a language. The main view implements it.

namespace orv::host {
struct MenuModule;
}  // namespace orv::host

class IModuleTabs {
 public:
  using MenuModule = orv::host::MenuModule;

  virtual ~IModuleTabs() = default;
  virtual MenuModule* GetCurrentEntry() const = 0;
  // Makes entry current and, with apply, rebuilds the tabs (language < 1: the frame's).
  virtual MenuModule* SelectModuleTab(MenuModule* entry, int selected, bool apply,
                                      int language) = 0;
  // Re-captions the tabs of a module with two or more sub-windows; the number of titles read.
  virtual int RetitleModuleTabs(MenuModule* entry, int language) = 0;
};
