#pragma once
// The main frame's ribbon: one tab per menu group of the catalogue with a gallery of its
// modules (the login group on the first tab), the Settings tab, and above the tabs a strip
// with what the ribbon bar itself cannot hold: the file button with its backstage or system
// menu, the quick-access buttons and the tab-row controls (user mode, window placement,
// language, help, about, settings, collapse and expand).
//
// Every command button, check box and combo of the ribbon sends a wxEVT_MENU event with its
// command id to the main frame (a check box's new state in GetInt(), a combo's chosen item
// data in GetExtraLong()); the frame's command handlers bind those ids. Choosing a gallery
// item selects its module here.

#include <wx/panel.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/catalogue/MenuModuleMap.h"
#include "host/frame/CommandIds.h"
#include "host/frame/RibbonFrame.h"
#include "host/modules/ModuleTabs.h"

class CSplashScreenEx;
class wxBitmap;
class wxBitmapButton;
class wxButton;
class wxChoice;
class wxMenu;
class wxRibbonBar;
class wxRibbonBarEvent;
class wxRibbonButtonBar;
class wxRibbonGallery;
class wxRibbonGalleryEvent;
class wxRibbonPage;
class wxRibbonPanel;
struct sqlite3;

// The caption of a command id in a language (Korean for 2, else English); empty for an id the
// ribbon does not carry.
std::wstring RibbonCommandCaption(int id, int language);

// The item data lists of the tab-row and settings combos: (text, item data).
struct ComboItem {
  const wchar_t* text;
  long data;
};
const std::vector<ComboItem>& PlacementComboItems();
const std::vector<ComboItem>& LanguageComboItems();
const std::vector<ComboItem>& ShutdownComboItems();
const std::vector<ComboItem>& SaverComboItems();

// The commands of the backstage menu in order (kCmdBackstageSeparator separates).
const std::vector<int>& BackstageCommands();

class CMainRibbon : public wxPanel {
 public:
  using MenuModule = orv::host::MenuModule;
  // Runs a module of kind 2 or 3 as a separate program (command line, kind-2 flag).
  using ProgramRunner = std::function<void(const std::wstring& command, bool kind2)>;

  CMainRibbon(IRibbonFrame& frame, wxWindow* parent);
  ~CMainRibbon() override;

  // Builds the ribbon bar and the strip above it; fontPoints >= 1 sets the font height from
  // dpiY. 1 when built.
  int CreateRibbonBar(int fontPoints, int dpiY);
  // The Settings tab; 1 when added, 0 when the run settings do not show it or without ribbon.
  int AddSettingsTab();
  // The module tabs of the catalogue; 1 when read, 0 when the catalogue cannot be read.
  int LoadModuleMenus(sqlite3* db, const std::wstring& settingsPath);
  // The test tab for libraries named on the command line; the number of modules added.
  int LoadTestModuleMenu(const std::wstring& tabTitle, const std::wstring& folder,
                         const std::wstring& titles, const std::wstring& names);
  // Re-captions the tabs and gallery items in language (the main view first). Returns the
  // number of tabs re-captioned.
  int RefreshMenuTitles(int language);
  // Shows the module of a tab's gallery item, of the current item, or of key (see the .cpp).
  // 1 when a plug-in module was shown, 0 when a program was started or nothing was found.
  int SelectModule(int tabIndex, uint32_t key, bool useCurrent);
  MenuModule* FindMenuModule(uint32_t key) const { return modules_.Find(key); }
  // Moves the main frame to a part of its monitor (positions 1 to 9); 0 or less does nothing.
  void PlaceWindow(int position);
  // 1 when the theme id is valid (then stored in the frame and the run settings).
  int SetThemeId(int themeId);
  int GetThemeId() const { return themeId_; }
  // The file button's menu: the backstage commands, or the short system menu.
  void CreateBackstage();
  void CreateSystemMenu();
  // Expands (false) or minimises (true) the ribbon; the expand and collapse buttons swap.
  void MinimizeRibbon(bool minimise);
  // The login button shows the signed-in state.
  void SetLoginState(bool loggedIn);

  void SetMainView(IModuleTabs* view) { view_ = view; }
  void SetProgramRunner(ProgramRunner runner) { runner_ = std::move(runner); }

  orv::host::MenuModuleMap& GetModuleMap() { return modules_; }
  wxRibbonBar* GetRibbonBar() const { return ribbon_; }
  int GetPageCount() const;
  // The module tabs in creation order (the Settings tab is not among them).
  std::vector<wxRibbonPage*> GetModulePages() const;
  wxRibbonPage* GetSettingsPage() const { return settingsPage_; }
  wxRibbonGallery* GetGallery(int moduleTab) const;
  // The keys of a module tab's gallery items, in order.
  std::vector<uint32_t> GetGalleryKeys(int moduleTab) const;
  // Caption of a gallery item as drawn.
  std::wstring GetItemCaption(uint32_t key) const;
  // The caption of a module tab's first group.
  std::wstring GetGroupCaption(int moduleTab) const;
  uint32_t GetCurrentKey() const { return currentKey_; }
  MenuModule* GetCurrentModule() const { return currentModule_; }
  uint32_t GetFirstModuleKey() const { return modules_.FirstKey(); }
  wxMenu* GetFileMenu() const { return fileMenu_.get(); }
  // The commands of the file menu in order (kCmdBackstageSeparator for a separator).
  std::vector<int> GetFileMenuCommands() const;
  wxWindow* GetTabRowControl(int id) const;
  wxRibbonButtonBar* GetLoginBar() const { return loginBar_; }

 private:
  struct ModuleTab {
    wxRibbonPage* page = nullptr;
    wxRibbonPanel* panel = nullptr;
    wxRibbonGallery* gallery = nullptr;
    uint32_t groupNumber = 0;
    int itemWidth = 0;
    int itemHeight = 0;
    int imageWidth = 0;
    int imageHeight = 0;
    std::vector<uint32_t> keys;
    uint32_t selectedKey = 0;
    bool testTab = false;
  };
  struct ItemLook {
    std::wstring title;
    std::wstring description;
    std::unique_ptr<wxBitmap> icon;
  };

  void BuildTopStrip();
  void FillFileMenu(const std::vector<int>& commands);
  ModuleTab& AddModuleTab(const orv::host::MenuGroup& group, bool testTab);
  void AddLoginGroup(wxRibbonPage* page);
  void FillGallery(ModuleTab& tab);
  wxBitmap ItemBitmap(const ModuleTab& tab, uint32_t key) const;
  void LoadItemIcon(const ModuleTab& tab, const MenuModule& module);
  int Scaled(int value) const;
  int Language() const;
  void SendCommand(int id, int checked = 0, long data = 0);
  void OnGallerySelected(wxRibbonGalleryEvent& event);
  void OnGalleryHover(wxRibbonGalleryEvent& event);
  void OnPageChanged(wxRibbonBarEvent& event);
  void OnFileButton();
  int ModuleTabIndexOfPage(int pageIndex) const;

  IRibbonFrame& frame_;
  IModuleTabs* view_ = nullptr;
  ProgramRunner runner_;
  orv::host::MenuModuleMap modules_;
  wxRibbonBar* ribbon_ = nullptr;
  wxPanel* strip_ = nullptr;
  wxButton* fileButton_ = nullptr;
  std::unique_ptr<wxMenu> fileMenu_;
  std::vector<std::pair<int, int>> fileMenuIds_;  // (menu item id, command id)
  std::vector<std::pair<int, wxWindow*>> tabRowControls_;
  std::vector<ModuleTab> moduleTabs_;
  std::map<uint32_t, ItemLook> looks_;
  wxRibbonPage* settingsPage_ = nullptr;
  wxRibbonButtonBar* loginBar_ = nullptr;
  wxRibbonPage* loginPage_ = nullptr;
  uint32_t currentKey_ = 0;
  MenuModule* currentModule_ = nullptr;
  int currentTab_ = -1;
  int themeId_ = kDefaultThemeId;
  bool backstage_ = true;
};
