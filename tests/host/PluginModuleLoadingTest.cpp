// Loading modules for the main frame, with the probe module copied into a module folder.

#include <gtest/gtest.h>
#include <wx/frame.h>

#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

#include "host/modules/PluginModuleLoading.h"
#include "platform/support/Utf8Text.h"
#include "shared/SearchCondition.h"
#include "shared/SharedWnds.h"
#include "tests/probe/ProbeHarness.h"

namespace fs = std::filesystem;
using orv::support::Utf8ToWide;

namespace {

std::wstring g_createdText;

int RecordModuleCreated(void*, intptr_t, uint32_t, uint32_t, wxWindow*, int, int, const char*,
                        wchar_t* blockText, uint32_t, int) {
  g_createdText = blockText ? blockText : L"(null)";
  return 0;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PluginModuleLoadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    orv::test::EnsureWxApp();
    fs::create_directories(dir_.Path() + "/plugins/res");
    modulePath_ = dir_.Path() + "/plugins/probe_module.so";
    fs::copy_file(orv::test::ProbeModulePath(), modulePath_);
    path_ = Utf8ToWide(modulePath_);

    block_.pfnModuleCreated = RecordModuleCreated;
    block_.pSearchCond = &cond_;
    host_.loader = &loader_;
    host_.block = &block_;
    host_.searchCond = &cond_;
    host_.frameClientRect = RECT{0, 0, 800, 600};
    host_.writeLog = [this](int kind, int severity, int code, const std::wstring& text) {
      logged_.emplace_back(kind, severity, code, text);
    };
    host_.showError = [this](const std::wstring& text) { shown_.push_back(text); };
    g_createdText.clear();
  }
  void TearDown() override { loader_.UnloadAllDLLs(); }

  PluginModuleRequest Request(const wchar_t* start, const wchar_t* param, UINT wndId = 1) {
    PluginModuleRequest r;
    r.libraryPath = path_.c_str();
    r.startText = start;
    r.paramText = param;
    r.startValue = 0;
    r.parent = orv::test::HiddenFrame();
    r.wndId = wndId;
    r.optionText = "money";
    return r;
  }

  orv::test::TempDir dir_;
  orv::test::ProbeLog log_;
  std::string modulePath_;
  std::wstring path_;
  CPluginLoader loader_;
  SharedWnds_s block_;
  search_condition_s cond_;
  PluginModuleHost host_;
  std::vector<std::tuple<int, int, int, std::wstring>> logged_;
  std::vector<std::wstring> shown_;
};

TEST_F(PluginModuleLoadingTest, FirstLoadCreatesTheWindowAndTakesInfoAndIcon) {
  wxWindow* first = nullptr;
  PluginModuleInfo info;
  HINSTANCE h = LoadPluginModule(host_, Request(L"stock/main", L"p=1"), {&first, &info});
  ASSERT_NE(h, nullptr);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, loader_.GetWndPtrById(h, 1));
  EXPECT_STREQ(info.title, L"Probe Status");
  ASSERT_NE(info.key, nullptr);
  EXPECT_STREQ(info.key, L"probe.status");
  std::free(info.key);

  EXPECT_EQ(log_.LinesStartingWith("CreateAll"),
            (std::vector<std::string>{"CreateAll index=0 ctrl=1 option=money start=stock/main "
                                      "value=0 v16=9 menu=11100 rect=5,30,795,595 pass=0"}));
  EXPECT_STREQ(cond_.szStartText, L"stock/main");
  EXPECT_STREQ(cond_.szParamText, L"p=1");
  EXPECT_STREQ(block_.szText, L"p=1");
  EXPECT_EQ(g_createdText, L"p=1");
  // The icon came out of the library's PNG resource 811.
  const std::string icon = ReadFile(dir_.Path() + "/plugins/res/probe.status.png");
  EXPECT_EQ(icon, std::string("\x89PNG\r\n\x1A\nprobe", 13));
  EXPECT_TRUE(logged_.empty());
}

TEST_F(PluginModuleLoadingTest, SecondLoadWakesTheWindowAndCreatesNothing) {
  wxWindow* first = nullptr;
  HINSTANCE h = LoadPluginModule(host_, Request(L"one", L"p=1"), {&first});
  ASSERT_NE(h, nullptr);
  wxWindow* again = nullptr;
  EXPECT_EQ(LoadPluginModule(host_, Request(L"two", L"p=2"), {&again}), h);
  EXPECT_EQ(again, first);
  EXPECT_EQ(log_.LinesStartingWith("CreateAll").size(), 1u);
  EXPECT_EQ(
      log_.LinesStartingWith("msg 0x8003"),
      (std::vector<std::string>{"msg 0x8003 start=one value=0", "msg 0x8003 start=two value=0"}));
  EXPECT_STREQ(block_.szText, L"p=2");
  EXPECT_EQ(loader_.GetLoadedCount(), 1u);

  // A window id the module does not know asks the module to create again.
  wxWindow* none = reinterpret_cast<wxWindow*>(1);
  EXPECT_EQ(LoadPluginModule(host_, Request(L"three", nullptr, 2), {&none}), h);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(log_.LinesStartingWith("CreateAll").size(), 2u);
}

TEST_F(PluginModuleLoadingTest, TextsAreCutToTheirFieldsAndAbsentTextsClearThem) {
  const std::wstring longParam(600, L'가');
  ASSERT_NE(LoadPluginModule(host_, Request(L"s", longParam.c_str())), nullptr);
  EXPECT_EQ(std::wcslen(block_.szText), 511u);
  EXPECT_EQ(std::wstring(block_.szText), longParam.substr(0, 511));
  EXPECT_EQ(std::wcslen(cond_.szParamText), 255u);
  EXPECT_EQ(g_createdText.size(), 511u);

  LoadPluginModule(host_, Request(nullptr, nullptr));
  for (wchar_t c : block_.szText) ASSERT_EQ(c, L'\0');
  EXPECT_STREQ(cond_.szStartText, L"");
  EXPECT_STREQ(cond_.szParamText, L"");
}

TEST_F(PluginModuleLoadingTest, AFileThatIsNoModuleFailsAndTheNextModuleLoads) {
  std::ofstream(dir_.Path() + "/plugins/text.so") << "not a library";
  const std::wstring bad[] = {Utf8ToWide(dir_.Path() + "/plugins/missing.so"),
                              Utf8ToWide(dir_.Path() + "/plugins/text.so")};
  for (const std::wstring& path : bad) {
    SCOPED_TRACE(orv::support::WideToUtf8(path));
    logged_.clear();
    shown_.clear();
    PluginModuleRequest r = Request(L"s", L"p");
    r.libraryPath = path.c_str();
    wxWindow* first = reinterpret_cast<wxWindow*>(1);
    std::wstring error;
    int status = 0;
    EXPECT_EQ(LoadPluginModule(host_, r, {&first, nullptr, &status, &error}), nullptr);
    const std::wstring expected = L"Invalid Plugin DLL. Cannot load plugin(" + path + L")";
    EXPECT_EQ(error, expected);
    EXPECT_EQ(first, nullptr);
    EXPECT_LT(status, 0);
    ASSERT_EQ(logged_.size(), 1u);
    EXPECT_EQ(logged_[0], std::make_tuple(-1, 4, 504, expected));
    EXPECT_EQ(shown_, std::vector<std::wstring>{expected});
  }
  wxWindow* first = nullptr;
  EXPECT_NE(LoadPluginModule(host_, Request(L"s", L"p"), {&first}), nullptr);
  EXPECT_NE(first, nullptr);
}

TEST_F(PluginModuleLoadingTest, NoPathLoadsNothingAndAnIconInPlaceStays) {
  PluginModuleRequest r = Request(L"s", L"p");
  r.libraryPath = L"";
  EXPECT_EQ(LoadPluginModule(host_, r), nullptr);
  r.libraryPath = nullptr;
  EXPECT_EQ(LoadPluginModule(host_, r), nullptr);
  EXPECT_TRUE(logged_.empty());
  EXPECT_EQ(loader_.GetLoadedCount(), 0u);

  const std::string iconPath = dir_.Path() + "/plugins/res/probe.status.png";
  std::ofstream(iconPath) << "own icon";
  ASSERT_NE(LoadPluginModule(host_, Request(L"s", L"p")), nullptr);
  EXPECT_EQ(ReadFile(iconPath), "own icon");
}

TEST(PluginModuleRectTest, MovesInFromTheFrameClientRectangle) {
  const RECT rc = PluginModuleRect(RECT{0, 0, 1280, 720});
  EXPECT_EQ(rc.left, 5);
  EXPECT_EQ(rc.top, 30);
  EXPECT_EQ(rc.right, 1275);
  EXPECT_EQ(rc.bottom, 715);
}

}  // namespace
