// The toolkit-free rules of the start-up loop, the module tabs, placement and program modules.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/catalogue/MenuModuleMap.h"
#include "host/modules/ModuleStartup.h"
#include "tests/probe/ProbeHarness.h"

namespace {

using namespace orv::host;

TEST(ModuleStartup, SplashTextNamesThePreviousFailure) {
  EXPECT_EQ(ModuleLoadSplashText(true, false, 7, L"주식"), L"Loading 주식...\r\n");
  EXPECT_EQ(ModuleLoadSplashText(false, true, 0, L"B"), L"\r\nLoading B...");
  EXPECT_EQ(ModuleLoadSplashText(false, false, -2, L"B"), L" >> *Failed*(-2)\r\nLoading B...");
  EXPECT_EQ(ModuleLoadSplashText(false, true, 3, L"B"), L" >> *Failed*(3)\r\nLoading B...");
}

TEST(ModuleStartup, PendingUpdateNeedsArchiveAndMarker) {
  orv::test::TempDir dir;
  const std::string base = dir.Path() + "/Mod";
  const std::wstring module = std::filesystem::path(base + ".so").wstring();
  EXPECT_EQ(ModuleUpdateArchive(module), std::filesystem::path(base + ".zip").wstring());
  EXPECT_EQ(ModuleUpdateMarker(module), std::filesystem::path(base + ".up_req.txt").wstring());

  MenuModule entry;
  bool update = true;
  EXPECT_FALSE(CheckPendingModuleUpdate(&entry, &update, L""));
  EXPECT_FALSE(CheckPendingModuleUpdate(&entry, &update, module));
  EXPECT_TRUE(update);  // untouched without an archive
  std::ofstream(base + ".zip") << "PK";
  EXPECT_FALSE(CheckPendingModuleUpdate(&entry, &update, module));
  EXPECT_FALSE(update);
  EXPECT_EQ(entry.flags & kModuleUpdatePending, 0u);
  std::ofstream(base + ".up_req.txt") << "2";
  EXPECT_TRUE(CheckPendingModuleUpdate(&entry, &update, module));
  EXPECT_TRUE(update);
  EXPECT_EQ(entry.flags & kModuleUpdatePending, kModuleUpdatePending);
}

TEST(ModuleStartup, TabsOfAModule) {
  const auto upper = [](const std::wstring& t) { return t == L"Orders" ? L"주문" : t; };
  // One sub-window: a single tab with the module title at image 0.
  auto tabs = PlanModuleTabs(1, L"ignored", 5, L"Trading", -1, upper);
  ASSERT_EQ(tabs.size(), 1u);
  EXPECT_EQ(tabs[0].caption, L"Trading");
  EXPECT_EQ(tabs[0].subWindow, 0);

  // Three titles, five expected: three from the lines, two with the module title.
  tabs = PlanModuleTabs(5, L"Orders\n  Balance\nLog", 5, L"Trading", -1, upper);
  ASSERT_EQ(tabs.size(), 5u);
  const wchar_t* captions[] = {L"주문", L"Balance", L"Log", L"Trading", L"Trading"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(tabs[i].caption, captions[i]);
    EXPECT_EQ(tabs[i].subWindow, i);
    EXPECT_EQ(tabs[i].image, i);
  }
  // Blank lines give no tab; lines past the expected count are dropped; a fixed image.
  tabs = PlanModuleTabs(4, L"A\n \nC\nD", 3, L"M", 2, nullptr);
  ASSERT_EQ(tabs.size(), 3u);
  EXPECT_EQ(tabs[1].caption, L"C");
  EXPECT_EQ(tabs[1].subWindow, 2);
  EXPECT_EQ(tabs[2].caption, L"M");
  EXPECT_EQ(tabs[2].image, 2);
  // Start-up titles end at 511 characters, re-titles at 99.
  tabs = PlanModuleTabs(2, std::wstring(600, L'x') + L"\nB", 2, L"M", -1, nullptr);
  EXPECT_EQ(tabs[0].caption.size(), 511u);
  EXPECT_EQ(RetitleCaptions(2, std::wstring(150, L'y') + L"\n\nZ", nullptr),
            (std::vector<std::wstring>{std::wstring(99, L'y')}));

  EXPECT_EQ(ChooseModuleTab(2, 0, 5), 2);
  EXPECT_EQ(ChooseModuleTab(-1, 3, 5), 3);
  EXPECT_EQ(ChooseModuleTab(-1, 5, 5), 0);
  EXPECT_EQ(ChooseModuleTab(-1, -4, 5), 0);
}

TEST(ModuleStartup, PlacementOnAMonitor) {
  struct Case {
    int position;
    RECT expected;
  };
  const RECT second{1920, 0, 3840, 1080};
  const Case cases[] = {
      {1, {1920, 0, 2880, 1080}},   {2, {2880, 0, 3840, 1080}},   {3, {1920, 0, 3840, 540}},
      {4, {1920, 540, 3840, 1080}}, {5, {1920, 0, 2880, 540}},    {6, {2880, 0, 3840, 540}},
      {7, {1920, 540, 2880, 1080}}, {8, {2880, 540, 3840, 1080}}, {9, {1920, 0, 3840, 1080}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    RECT r{};
    ASSERT_TRUE(PlacementRect(second, c.position, &r));
    EXPECT_EQ(r.left, c.expected.left);
    EXPECT_EQ(r.top, c.expected.top);
    EXPECT_EQ(r.right, c.expected.right);
    EXPECT_EQ(r.bottom, c.expected.bottom);
  }
  RECT r{};
  EXPECT_FALSE(PlacementRect(second, 0, &r));
  EXPECT_FALSE(PlacementRect(second, 10, &r));
  // Odd sizes halve by integer division from the monitor's origin.
  ASSERT_TRUE(PlacementRect(RECT{0, 0, 1365, 767}, 8, &r));
  EXPECT_EQ(r.left, 682);
  EXPECT_EQ(r.top, 383);
}

TEST(ModuleStartup, ProgramModuleCommandLine) {
  EXPECT_EQ(ProgramModuleCommand(L"/opt/a b", L"p", L"s", 800, 600),
            L"\"/opt/a b\" \"p\" /w:800 /h:600 /center");
  EXPECT_EQ(ProgramModuleCommand(L"x", L"", L"s", 0, 600), L"\"x\" \"s\"");
  EXPECT_EQ(ProgramModuleCommand(L"x", L"", L"", 800, 600), L"\"x\" /w:800 /h:600 /center");
}

}  // namespace
