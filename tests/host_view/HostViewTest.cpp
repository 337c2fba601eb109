// The main view and the ribbon in a host started from a program folder whose catalogue lists
// the probe module, a broken module and a second probe copy with a pending update.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/menu.h>
#include <wx/ribbon/bar.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/ribbon/gallery.h>
#include <wx/ribbon/page.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "host/app/MyAppSharedCmdLineInfo.h"
#include "host/app/VarqoMainApp.h"
#include "host/catalogue/CatalogueAccess.h"
#include "host/dialogs/SplashScreenEx.h"
#include "host/frame/MainFrame.h"
#include "host/frame/MainRibbon.h"
#include "host/frame/MainWindowSteps.h"
#include "host/modules/ModuleStartup.h"
#include "host/modules/ModuleTabStrip.h"
#include "host/modules/VarqoMainView.h"
#include "platform/support/TextConv.h"
#include "platform/ui/DbViewBase.h"
#include "platform/win/MessageBox.h"
#include "tests/probe/ProbeHarness.h"

namespace fs = std::filesystem;
using orv::host::MenuModule;

namespace {

void Exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
      << (error ? error : "") << "\n"
      << sql;
}

// One host for the whole program: the frame, its block and its loader exist once a process.
class Host {
 public:
  static Host& Get() {
    static Host* host = new Host();
    return *host;
  }
  CVarqoMainApp& app() { return *app_; }
  CMainFrame& frame() { return *windows_.frame; }
  CVarqoMainView& view() { return *frame().GetMainView(); }
  CMainRibbon& ribbon() { return *frame().GetRibbon(); }
  const std::string& programFolder() const { return program_; }
  orv::test::ProbeLog& log() { return log_; }
  std::vector<std::wstring> splashLines;

  static void Pump(int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
      wxTheApp->ProcessPendingEvents();
      wxYield();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

 private:
  Host() {
    orv::test::EnsureWxApp();
    // A toolkit assertion fails the test instead of waiting in a dialog. The status bar's
    // standard id lies above the toolkit's window-id range; that one is the frame's to settle.
    wxSetAssertHandler([](const wxString& file, int line, const wxString& func,
                          const wxString& cond, const wxString& msg) {
      if (func.Contains("CreateBase") && msg.Contains("id")) return;
      ADD_FAILURE() << "wx assertion " << cond.utf8_string() << " in " << func.utf8_string() << " ("
                    << file.utf8_string() << ":" << line << "): " << msg.utf8_string();
    });
    wxInitAllImageHandlers();
    const orv::test::StagedHostFolders folders = orv::test::StageHostFolders("orv-view");
    root_ = folders.root;
    program_ = folders.program;
    fs::create_directories(program_ + "PlugIn");
    const std::string catalogue = program_ + "Settings/app-settings.db";
    // The probe as the trading module, a second copy that has an update waiting, and the
    // test tab's libraries.
    fs::copy_file(orv::test::ProbeModulePath(), program_ + "probe.so");
    fs::copy_file(orv::test::ProbeModulePath(), program_ + "probe2.so");
    std::ofstream(program_ + "probe2.zip") << "PK";
    std::ofstream(program_ + "probe2.up_req.txt") << "3";
    fs::copy_file(orv::test::ProbeModulePath(), program_ + "PlugIn/probe.so");
    fs::copy_file(orv::test::ProbeModulePath(), program_ + "PlugIn/probe2.so");

    sqlite3* db = nullptr;
    sqlite3_open(catalogue.c_str(), &db);
    Exec(db, "UPDATE APP_MENU_INFO SET menu_link='../probe.dll' WHERE menu_idx=101");
    const std::string copy =
        "INSERT INTO APP_MENU_INFO (menu_idx, app_idx, project_idx, com_idx, group_idx, menu_pos,"
        " bg_color, menu_title, title_kor, title_eng, menu_code, menu_link, modules_on, is_valid,"
        " width, height, menu_type) SELECT %d, app_idx, project_idx, com_idx, group_idx, %d,"
        " bg_color, '%s', '%s', '%s', '%s', '%s', modules_on, 1, width, height, menu_type FROM"
        " APP_MENU_INFO WHERE menu_idx=101";
    char sql[1024];
    std::snprintf(sql, sizeof sql, copy.c_str(), 102, 2, "고장 모듈", "고장 모듈", "Broken",
                  "broken", "../missing.dll");
    Exec(db, sql);
    std::snprintf(sql, sizeof sql, copy.c_str(), 103, 3, "두번째 모듈", "두번째 모듈", "Second",
                  "second", "../probe2.dll");
    Exec(db, sql);
    sqlite3_close(db);

    orv::win::ScriptMessageBoxes({});
    app_ = std::make_unique<CVarqoMainApp>(program_ + "orvella");
    app_->SetCatalogueAccess(orv::host::MakeCatalogueAccess());
    const char* argv[] = {"orvella"};
    if (!app_->InitInstance(1, argv) || !RunWindowSteps(*app_, windows_)) {
      ADD_FAILURE() << "the host did not start";
      std::abort();
    }
    Pump(100);
  }

  std::string root_;
  std::string program_;
  orv::test::ProbeLog log_;
  std::unique_ptr<CVarqoMainApp> app_;
  HostWindows windows_;
};

MenuModule* ModuleById(uint16_t menuId) {
  for (const auto& [key, module] : Host::Get().ribbon().GetModuleMap()) {
    if (module->menuId == menuId) return module.get();
  }
  return nullptr;
}

TEST(HostView, StartUpLoadsEveryModuleOnceAndShowsTheFirstInItsTab) {
  Host& host = Host::Get();
  // ZIRO_CreateAll ran once per module library with the window id, option text and rectangle.
  const auto creates = host.log().LinesStartingWith("CreateAll");
  ASSERT_EQ(creates.size(), 2u);
  EXPECT_NE(creates[0].find("index=0 ctrl=101 option=money"), std::string::npos) << creates[0];
  EXPECT_NE(creates[1].find("ctrl=103 option=money"), std::string::npos) << creates[1];
  const RECT rect = PluginModuleRect(host.frame().BuildModuleHost().frameClientRect);
  const std::string rectText = "rect=" + std::to_string(rect.left) + "," +
                               std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
                               std::to_string(rect.bottom);
  EXPECT_EQ(rect.left, 5);
  EXPECT_EQ(rect.top, 30);
  EXPECT_NE(creates[0].find("rect=5,30,"), std::string::npos) << creates[0];

  MenuModule* probe = ModuleById(101);
  ASSERT_NE(probe, nullptr);
  ASSERT_NE(probe->moduleHandle, nullptr);
  auto* window = reinterpret_cast<wxWindow*>(probe->window);
  ASSERT_NE(window, nullptr);
  // The module's window is a child of the view, shown above the single tab of the module.
  CVarqoMainView& view = host.view();
  EXPECT_EQ(window->GetParent(), &view);
  EXPECT_EQ(view.GetCurrentEntry(), probe);
  EXPECT_EQ(view.GetCurrentWindow(), window);
  EXPECT_TRUE(window->IsShown());
  EXPECT_EQ(view.GetActiveModuleView(), window);
  ASSERT_EQ(view.GetTabStrip()->GetItemCount(), 1);
  EXPECT_EQ(view.GetTabStrip()->GetItemCaption(0), L"주식 자동매매");
  EXPECT_EQ(view.GetTabStrip()->GetCurSel(), 0);
  // Shown sized to the view above the tab strip, which sits along the bottom.
  const wxSize client = view.GetClientSize();
  const int header = view.GetTabStrip()->GetHeaderHeight();
  EXPECT_EQ(window->GetSize(), wxSize(client.x, client.y - header));
  EXPECT_EQ(view.GetTabStrip()->GetPosition().y, client.y - header);
  EXPECT_EQ(probe->currentSubWindow, 0);
  // The shown sub-window was asked to refresh.
  EXPECT_FALSE(host.log().LinesStartingWith("refresh command=44 value=20").empty());

  // The login callback of the current tab comes from the module.
  void* ctx = nullptr;
  LoginCallback login = nullptr;
  LoginNotifyCallback notify = nullptr;
  EXPECT_EQ(view.GetCurrentLoginCallback(&ctx, &login, &notify), 1);
  EXPECT_EQ(ctx, window);
  EXPECT_NE(login, nullptr);

  // The splash is hidden after the loop.
  if (host.frame().GetSplash() != nullptr) EXPECT_FALSE(host.frame().GetSplash()->IsShown());
}

TEST(HostView, BrokenModuleDoesNotStopTheNextAndPendingUpdateLoadsUnchanged) {
  Host& host = Host::Get();
  MenuModule* broken = ModuleById(102);
  MenuModule* second = ModuleById(103);
  ASSERT_NE(broken, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(broken->moduleHandle, nullptr);
  EXPECT_EQ(broken->window, 0u);
  EXPECT_NE(broken->loadText.find(L"Invalid Plugin DLL. Cannot load plugin("), std::wstring::npos);
  // The next module loaded, and so did the update-pending one, unchanged.
  ASSERT_NE(second->moduleHandle, nullptr);
  EXPECT_NE(second->window, 0u);
  EXPECT_EQ(second->flags & orv::host::kModuleUpdatePending, orv::host::kModuleUpdatePending);
  EXPECT_EQ(host.view().GetPendingUpdateEntry(), second);
  EXPECT_TRUE(fs::exists(host.programFolder() + "probe2.zip"));
  EXPECT_TRUE(fs::exists(host.programFolder() + "probe2.up_req.txt"));
  EXPECT_EQ(ModuleById(101)->flags & orv::host::kModuleUpdatePending, 0u);
  // A hidden module window stays hidden until its module is chosen.
  EXPECT_FALSE(reinterpret_cast<wxWindow*>(second->window)->IsShown());
}

TEST(HostView, RibbonHasTheGroupTabWithAGalleryThatSwitchesModules) {
  Host& host = Host::Get();
  CMainRibbon& ribbon = host.ribbon();
  ASSERT_NE(ribbon.GetRibbonBar(), nullptr);
  const auto pages = ribbon.GetModulePages();
  ASSERT_GE(pages.size(), 1u);
  EXPECT_EQ(pages[0]->GetLabel().ToStdWstring(), L"자동매매");
  const auto keys = ribbon.GetGalleryKeys(0);
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[0], orv::host::MenuKey(1, 1));
  EXPECT_EQ(keys[2], orv::host::MenuKey(1, 3));
  ASSERT_NE(ribbon.GetGallery(0), nullptr);
  EXPECT_EQ(ribbon.GetGallery(0)->GetCount(), 3u);
  EXPECT_EQ(ribbon.GetGallery(0)->GetId(), kCmdFirstGallery + 1);
  EXPECT_EQ(ribbon.GetItemCaption(keys[1]), L"고장 모듈");
  EXPECT_EQ(ribbon.GetGroupCaption(0), L"주식 자동매매");

  // Choosing the third item shows the second probe's window and hides the first.
  wxRibbonGallery* gallery = ribbon.GetGallery(0);
  wxRibbonGalleryEvent event(wxEVT_RIBBONGALLERY_SELECTED, gallery->GetId());
  event.SetEventObject(gallery);
  event.SetGallery(gallery);
  event.SetGalleryItem(gallery->GetItem(2));
  gallery->ProcessWindowEvent(event);
  MenuModule* first = ModuleById(101);
  MenuModule* second = ModuleById(103);
  EXPECT_EQ(ribbon.GetCurrentKey(), keys[2]);
  EXPECT_EQ(host.view().GetCurrentEntry(), second);
  EXPECT_TRUE(reinterpret_cast<wxWindow*>(second->window)->IsShown());
  EXPECT_FALSE(reinterpret_cast<wxWindow*>(first->window)->IsShown());
  EXPECT_EQ(ribbon.GetGroupCaption(0), L"두번째 모듈");

  // The broken module shows nothing; the group caption still names it.
  EXPECT_EQ(ribbon.SelectModule(-1, keys[1], false), 1);
  EXPECT_EQ(host.view().GetCurrentWindow(), nullptr);
  EXPECT_FALSE(reinterpret_cast<wxWindow*>(second->window)->IsShown());
  // A key nobody holds: no module, caption "Error : ".
  EXPECT_EQ(ribbon.SelectModule(-1, orv::host::MenuKey(9, 9), false), 0);
  EXPECT_EQ(ribbon.GetGroupCaption(0), L"Error : ");

  // Back to the first with the gallery's remembered item through the tab index.
  EXPECT_EQ(ribbon.SelectModule(-1, keys[0] | 0x7F, false), 1);
  EXPECT_EQ(ribbon.GetCurrentKey(), keys[0]);
  EXPECT_TRUE(reinterpret_cast<wxWindow*>(first->window)->IsShown());
}

TEST(HostView, ProgramModulesAreRunNotLoaded) {
  Host& host = Host::Get();
  CMainRibbon& ribbon = host.ribbon();
  std::vector<std::pair<std::wstring, bool>> runs;
  ribbon.SetProgramRunner(
      [&runs](const std::wstring& command, bool kind2) { runs.emplace_back(command, kind2); });
  MenuModule* broken = ModuleById(102);
  const uint8_t kind = broken->kind;
  broken->kind = 3;
  broken->paramText = L"--x";
  broken->width = 800;
  broken->height = 600;
  EXPECT_EQ(ribbon.SelectModule(-1, broken->key, false), 0);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].first, L"\"" + broken->libraryPath + L"\" \"--x\" /w:800 /h:600 /center");
  EXPECT_FALSE(runs[0].second);
  // Shown through the view, a program module has no sub-window.
  host.view().SelectModuleTab(broken, 0, true, 0);
  EXPECT_EQ(broken->currentSubWindow, -1);
  broken->kind = kind;
  ribbon.SetProgramRunner(nullptr);
  ribbon.SelectModule(-1, ModuleById(101)->key, false);
}

TEST(HostView, SettingsTabAndTabRowControls) {
  Host& host = Host::Get();
  CMainRibbon& ribbon = host.ribbon();
  if (host.app().RunSettings().byShowConfigTab != 0) {
    ASSERT_NE(ribbon.GetSettingsPage(), nullptr);
    EXPECT_EQ(ribbon.GetSettingsPage()->GetLabel().ToStdWstring(), L"설정/Settings");
  } else {
    EXPECT_EQ(ribbon.GetSettingsPage(), nullptr);
  }
  EXPECT_NE(ribbon.GetTabRowControl(kCmdPlacementCombo), nullptr);
  EXPECT_NE(ribbon.GetTabRowControl(kCmdLanguageCombo), nullptr);
  // The backstage menu carries its commands in order.
  wxMenu* menu = ribbon.GetFileMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(ribbon.GetFileMenuCommands(), BackstageCommands());
  EXPECT_EQ(menu->GetLabelText(948).ToStdWstring(), L"로그인");
  ribbon.CreateSystemMenu();
  EXPECT_EQ(ribbon.GetFileMenuCommands(), (std::vector<int>{948, 949, 1278, 57665}));
  ribbon.CreateBackstage();

  // A ribbon command reaches the frame as a menu command with its id.
  int heard = 0;
  auto handler = [&heard](wxCommandEvent& e) { heard = e.GetId(); };
  host.frame().Bind(wxEVT_MENU, handler, 946);
  wxRibbonButtonBarEvent click(wxEVT_RIBBONBUTTONBAR_CLICKED, 946);
  click.SetEventObject(ribbon.GetRibbonBar());
  ribbon.GetRibbonBar()->ProcessWindowEvent(click);
  EXPECT_EQ(heard, 946);
  host.frame().Unbind(wxEVT_MENU, handler, 946);

  EXPECT_EQ(ribbon.SetThemeId(1244), 0);
  EXPECT_EQ(ribbon.SetThemeId(1259), 0);
  EXPECT_EQ(ribbon.SetThemeId(1250), 1);
  EXPECT_EQ(host.app().RunSettings().dwRibbonStyle, 1250u);
}

TEST(HostView, LanguageChangeRecaptionsTabsAndGalleryItems) {
  Host& host = Host::Get();
  CMainRibbon& ribbon = host.ribbon();
  host.app().RunSettings().nLanguageCode = 1;
  EXPECT_EQ(ribbon.RefreshMenuTitles(1), 1);
  EXPECT_EQ(ribbon.GetModulePages()[0]->GetLabel().ToStdWstring(), L"Auto Trading");
  const auto keys = ribbon.GetGalleryKeys(0);
  EXPECT_EQ(ribbon.GetItemCaption(keys[0]), L"Stock Auto Trading");
  EXPECT_EQ(ribbon.GetItemCaption(keys[2]), L"Second");
  // Language 7 is English too; Korean comes back with 2.
  EXPECT_EQ(ribbon.RefreshMenuTitles(7), 1);
  EXPECT_EQ(ribbon.GetItemCaption(keys[1]), L"Broken");
  host.app().RunSettings().nLanguageCode = 2;
  EXPECT_EQ(ribbon.RefreshMenuTitles(2), 1);
  EXPECT_EQ(ribbon.GetModulePages()[0]->GetLabel().ToStdWstring(), L"자동매매");
  EXPECT_EQ(ribbon.GetItemCaption(keys[0]), L"주식 자동매매");
}

TEST(HostView, CommandLineLibrariesBuildTheTestTab) {
  Host& host = Host::Get();
  CMyAppSharedCmdLineInfo cmd;
  cmd.ParseParam(L"dlls:probe;probe2", TRUE, FALSE);
  cmd.ParseParam(L"dlltitles:P1;P2", TRUE, TRUE);
  // The test tab replaces the catalogue's menus, whose keys it shares: a ribbon of its own.
  auto* testRibbon = new CMainRibbon(host.frame(), &host.frame());
  CMainRibbon& ribbon = *testRibbon;
  ASSERT_EQ(ribbon.CreateRibbonBar(10, 96), 1);
  const size_t tabsBefore = ribbon.GetModulePages().size();
  EXPECT_EQ(
      ribbon.LoadTestModuleMenu(cmd.m_szDllGroup, cmd.m_szDllDir, cmd.m_szDllTitles, cmd.m_szDlls),
      2);
  const auto pages = ribbon.GetModulePages();
  ASSERT_EQ(pages.size(), tabsBefore + 1);
  EXPECT_EQ(pages.back()->GetLabel().ToStdWstring(), L"DLL 테스트");
  const int tab = static_cast<int>(pages.size()) - 1;
  const auto keys = ribbon.GetGalleryKeys(tab);
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0], orv::host::TestMenuKey(1));
  EXPECT_EQ(ribbon.GetItemCaption(keys[0]), L"P1");
  EXPECT_EQ(ribbon.GetItemCaption(keys[1]), L"P2");
  EXPECT_EQ(ribbon.GetGallery(tab)->GetCount(), 2u);
  const MenuModule* p1 = ribbon.FindMenuModule(keys[0]);
  ASSERT_NE(p1, nullptr);
  EXPECT_EQ(p1->libraryPath, Utf8ToWide(host.programFolder()) + L"PlugIn/probe.so");
  EXPECT_EQ(p1->code, L"probe");
  testRibbon->Destroy();
}

}  // namespace
