#pragma once
// The main view: the client area of the main frame. At start-up it loads every plug-in module
// of the menu-module map, reporting progress on the splash; afterwards it shows the windows of
// the selected module, one tab per sub-window along the bottom, and keeps the shown window
// sized to the view. A module that asks for its own frame gets an inner frame instead of tabs.

#include <wx/panel.h>

#include <memory>
#include <string>

#include "host/modules/MainViewHost.h"
#include "host/modules/ModuleTabs.h"
#include "shared/HostCallbacks.h"

class CModuleTabStrip;
class CMyFrameWnd;
class wxImageList;

namespace orv::host {
struct MenuModule;
class MenuModuleMap;
}  // namespace orv::host

// The document of the single-document host: carries one number and no data.
class CVarqoMainDoc {
 public:
  uint32_t GetValue() const { return value_; }
  void SetValue(uint32_t value) { value_ = value; }

 private:
  uint32_t value_ = 0;
};

class CVarqoMainView : public wxPanel, public IModuleTabs {
 public:
  static constexpr int kTabControlId = 906;
  // Refresh request values handed to the module when one of its sub-windows is shown.
  static constexpr int kRefreshCommand = 44;
  static constexpr int kRefreshValue = 20;

  // Creates the view (and its bottom tab strip) inside parent, for frame.
  CVarqoMainView(IMainViewHost& frame, wxWindow* parent);
  ~CVarqoMainView() override;

  // Loads every module of map in key order (see the start-up loop); *outFirst receives the
  // first entry of the map (null when empty). Returns 1.
  int LoadAllModules(const orv::host::MenuModuleMap& map, MenuModule** outFirst);
  // Start-up: loads all modules, selects the first module's tabs in language, hides the
  // splash. Returns the first entry (null when the map is empty).
  MenuModule* OnInitialUpdate(const orv::host::MenuModuleMap& map, int language);

  // Makes entry current and, with apply, rebuilds the tabs (language < 1: the frame's). Returns
  // the current entry.
  MenuModule* SelectModuleTab(MenuModule* entry, int selected, bool apply, int language) override;
  // Re-captions the tabs of a module with two or more sub-windows; the number of titles read.
  int RetitleModuleTabs(MenuModule* entry, int language) override;
  // Shows sub-window index of the current module; 1 when a window became the active view.
  int ShowModuleSubWindow(int index);
  // Moves the current window to (0, 0, width, height - header) and, with moveTabs, the tab
  // strip below it. Returns the header height (0 without a tab strip).
  int LayoutModuleWindow(int width, int height, bool moveTabs);
  // The login callback the current tab's module offers; the loader's answer, 0 without a
  // current module.
  int GetCurrentLoginCallback(void** outCtx, LoginCallback* outLogin,
                              LoginNotifyCallback* outNotify);
  // The module windows are about to go with their libraries: the view lets go of them.
  void ForgetModuleWindows();
  // Marks the entry when an update is pending for its module file (see ModuleStartup.h).
  static bool CheckPendingModuleUpdate(MenuModule* entry, bool* outUpdate,
                                       const std::wstring& modulePath);

  MenuModule* GetCurrentEntry() const override { return current_; }
  MenuModule* GetPendingUpdateEntry() const { return pendingUpdate_; }
  CModuleTabStrip* GetTabStrip() const { return tabs_; }
  CMyFrameWnd* GetInnerFrame() const { return innerFrame_; }
  wxWindow* GetCurrentWindow() const { return currentWnd_; }
  wxWindow* GetActiveModuleView() const { return activeView_; }
  int GetSelectedIndex() const { return selected_; }
  bool TabsReady() const { return tabsReady_; }
  CVarqoMainDoc& GetDocument() { return document_; }

 private:
  std::wstring TranslateTitle(const std::wstring& title, int language) const;
  void HideInnerFrame();
  void OnSize(wxSizeEvent& event);
  void OnTabClicked(int tab);

  IMainViewHost& frame_;
  CVarqoMainDoc document_;
  std::unique_ptr<wxImageList> tabImages_;
  CModuleTabStrip* tabs_ = nullptr;
  MenuModule* pendingUpdate_ = nullptr;
  MenuModule* current_ = nullptr;
  CMyFrameWnd* innerFrame_ = nullptr;
  bool tabsReady_ = false;
  int selected_ = -1;
  wxWindow* currentWnd_ = nullptr;
  wxWindow* previousWnd_ = nullptr;
  wxWindow* activeView_ = nullptr;
  int language_ = 0;
};
