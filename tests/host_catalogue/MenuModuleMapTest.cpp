#include "CatalogueFixture.h"
#include "host/catalogue/CatalogueDb.h"
#include "host/catalogue/MenuModuleMap.h"

using namespace orv::host;

namespace {

class MenuModuleMapTest : public CatalogueFixture {
 protected:
  void SetUp() override {
    CatalogueFixture::SetUp();
    CopySeed();
    ASSERT_EQ(OpenCatalogueDb(&db_, CataloguePath().wstring()), 1);
    paths_.moduleFolder = (root_ / "Ziro").wstring() + L"/";
    paths_.settingsPath = CataloguePath().wstring();
  }

  int Load(int language, std::vector<MenuGroup>* groups = nullptr) {
    return LoadModuleMenus(db_, 1, language, paths_, map_, groups,
                           [this](const std::wstring& line) { splash_ += line; });
  }

  MenuPaths paths_;
  MenuModuleMap map_;
  std::wstring splash_;
};

TEST_F(MenuModuleMapTest, SeedGivesTheTradingModule) {
  std::vector<MenuGroup> groups;
  ASSERT_EQ(Load(2, &groups), 1);
  ASSERT_EQ(map_.Size(), 1u);
  EXPECT_EQ(map_.FirstKey(), 0x10100u);
  const MenuModule* module = map_.Find(0x10100);
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(module->menuId, 101);
  EXPECT_EQ(module->kind, 1);
  EXPECT_EQ(module->width, 90);
  EXPECT_EQ(module->height, 60);
  EXPECT_EQ(module->optionText, "money");
  EXPECT_EQ(module->code, L"pelomar");
  EXPECT_EQ(module->title, L"주식 자동매매");
  EXPECT_EQ(module->iconBackground, kIconMaskColour);
  // "../Pelomar.dll" beside the settings folder is the staged "Pelomar.so".
  EXPECT_EQ(module->libraryPath, (root_ / "Pelomar.so").wstring());
  EXPECT_EQ(module->iconPath, SettingsFolder().wstring() + L"/res/Pelomar.png");
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].title, L"자동매매");
  EXPECT_EQ(groups[0].keys, std::vector<uint32_t>{0x10100u});
  EXPECT_TRUE(splash_.empty());

  // Loading again keeps the first records and reports each duplicate on the splash.
  MenuModule* first = map_.Find(0x10100);
  ASSERT_EQ(Load(1), 1);
  EXPECT_EQ(map_.Find(0x10100), first);
  EXPECT_EQ(first->title, L"주식 자동매매");
  EXPECT_EQ(splash_, L"*Error* 메뉴 인덱스가 중복(Auto Trading  1/1)\r\n");
}

TEST_F(MenuModuleMapTest, GroupLimitSizesLanguagesAndOrder) {
  Exec(db_, "DELETE FROM APP_MENU_GROUP; DELETE FROM APP_MENU_INFO;");
  for (int g = 1; g <= 11; ++g) {
    Exec(db_,
         "INSERT INTO APP_MENU_GROUP (group_idx, app_idx, com_idx, group_pos, group_title, "
         "title_eng, title_tai, is_valid, group_width, group_height) VALUES (" +
             std::to_string(100 + g) + ", 1, 1, " + std::to_string(g) + ", 'G" + std::to_string(g) +
             "', 'E" + std::to_string(g) + "', 'T" + std::to_string(g) + "', 1, 80, 60);");
    Exec(db_,
         "INSERT INTO APP_MENU_INFO (menu_idx, app_idx, com_idx, group_idx, menu_pos, "
         "menu_title, title_eng, is_valid, width, height, bg_color, menu_link) VALUES (" +
             std::to_string(g) + ", 1, 1, " + std::to_string(100 + g) + ", 1, 'M', 'ME', 1, " +
             "30, 200, 255, 'x.so');");
  }
  // An invalid group, a module of another application and a second module ordered first.
  Exec(db_,
       "INSERT INTO APP_MENU_GROUP (group_idx, app_idx, com_idx, group_pos, is_valid) VALUES "
       "(99, 1, 1, 0, 0);"
       "INSERT INTO APP_MENU_INFO (menu_idx, app_idx, com_idx, group_idx, menu_pos, title_eng, "
       "is_valid) VALUES (50, 2, 1, 101, 0, 'other app', 1), (51, 1, 1, 101, 0, 'first', 1);");
  std::vector<MenuGroup> groups;
  ASSERT_EQ(Load(6, &groups), 1);
  ASSERT_EQ(groups.size(), 10u);  // the eleventh group is not shown
  EXPECT_EQ(groups[0].title, L"T1");
  EXPECT_EQ(groups[9].title, L"T10");
  EXPECT_EQ(map_.Find(MenuKey(11, 1)), nullptr);
  EXPECT_EQ(map_.Size(), 11u);
  const MenuModule* first = map_.Find(MenuKey(1, 1));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->menuId, 51);
  const MenuModule* second = map_.Find(MenuKey(1, 2));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->width, 60);  // 30 becomes 60
  EXPECT_EQ(second->height, 200);
  EXPECT_EQ(second->iconBackground, 255u);
  EXPECT_EQ(second->title, L"");  // the Thai column is empty: no fallback to English

  map_.Clear();
  groups.clear();
  ASSERT_EQ(Load(7, &groups), 1);
  EXPECT_EQ(groups[0].title, L"E1");  // language 7 shows the English titles
}

TEST_F(MenuModuleMapTest, LibraryAndIconPathResolution) {
  // No file in the plug-in folder: the link, "\" as "/", made absolute against Settings/.
  EXPECT_EQ(ResolveModuleLibrary(L"mods\\Trade.DLL", paths_),
            SettingsFolder().wstring() + L"/mods/Trade.so");
  EXPECT_EQ(ResolveModuleLibrary(L"/opt/mods/Trade.so", paths_), L"/opt/mods/Trade.so");
  EXPECT_EQ(ResolveModuleLibrary(L"", paths_), L"");
  // A file of that name in the user's plug-in folder wins.
  fs::create_directories(root_ / "Ziro" / "PlugIn");
  TouchEmpty(root_ / "Ziro" / "PlugIn" / "Trade.so");
  EXPECT_EQ(ResolveModuleLibrary(L"mods\\Trade.dll", paths_),
            (root_ / "Ziro" / "PlugIn" / "Trade.so").wstring());

  const std::wstring res = SettingsFolder().wstring() + L"/res/";
  EXPECT_EQ(ResolveModuleIcon(L"trade", L"mods/Trade.dll", paths_), res + L"Trade.png");
  fs::create_directories(SettingsFolder() / "res");
  TouchEmpty(SettingsFolder() / "res" / "trade.png");
  EXPECT_EQ(ResolveModuleIcon(L"trade", L"mods/Trade.dll", paths_), res + L"trade.png");
  EXPECT_EQ(ResolveModuleIcon(L"", L"mods/Trade.dll", paths_), res + L"Trade.png");
}

TEST_F(MenuModuleMapTest, TestTabRecords) {
  const std::wstring program = root_.wstring() + L"/";
  MenuGroup tab;
  // A key the map already holds is skipped.
  auto existing = std::make_unique<MenuModule>();
  existing->key = TestMenuKey(2);
  existing->title = L"kept";
  map_.Insert(std::move(existing));
  EXPECT_EQ(LoadTestModuleMenu(L"", L"/no/such/folder", L"Alpha", L"alpha;beta;gamma", program,
                               map_, &tab),
            2);
  EXPECT_EQ(tab.title, L"DLL 테스트");
  EXPECT_EQ(tab.keys, (std::vector<uint32_t>{0x10100u, 0x10300u}));
  const MenuModule* alpha = map_.Find(0x10100);
  ASSERT_NE(alpha, nullptr);
  EXPECT_EQ(alpha->title, L"Alpha");
  EXPECT_EQ(alpha->menuId, 1);
  EXPECT_EQ(alpha->width, 60);
  EXPECT_EQ(alpha->code, L"alpha");
  EXPECT_EQ(alpha->libraryPath, program + L"PlugIn/alpha.so");
  EXPECT_EQ(alpha->iconPath, program + L"res/alpha.png");
  EXPECT_EQ(map_.Find(0x10200)->title, L"kept");
  EXPECT_EQ(map_.Find(0x10300)->title, L"gamma");

  // An existing folder is used; a name of 260 characters ends the list.
  map_.Clear();
  const std::wstring longName(260, L'n');
  EXPECT_EQ(LoadTestModuleMenu(L"Try", root_.wstring(), L"", L"one;" + longName + L";three",
                               program, map_, &tab),
            1);
  EXPECT_EQ(tab.title, L"Try");
  EXPECT_EQ(map_.Find(0x10100)->libraryPath, program + L"one.so");
  // A title of 100 characters ends it too.
  map_.Clear();
  EXPECT_EQ(LoadTestModuleMenu(L"", L"", std::wstring(100, L't'), L"one;two", program, map_, &tab),
            0);
}

}  // namespace
