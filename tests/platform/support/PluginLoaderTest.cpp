// The loader against the probe module: load, create in a real parent, commands, module
// information, refresh, unload; and libraries that are not modules.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <wx/frame.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "platform/support/PluginLoader.h"
#include "platform/support/Utf8Text.h"
#include "platform/ui/DbViewBase.h"
#include "shared/Messages.h"
#include "shared/SharedWnds.h"
#include "tests/probe/ProbeHarness.h"

namespace {

using orv::support::Utf8ToWide;

class PluginLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    orv::test::EnsureWxApp();
    frame_ = orv::test::HiddenFrame();
    path_ = Utf8ToWide(orv::test::ProbeModulePath());
  }
  void TearDown() override { loader_.UnloadAllDLLs(); }

  int CreateProbe(HINSTANCE h, UINT wndId, const wchar_t* start = L"start", LPARAM value = 42) {
    tagMenuPos pos;
    pos.b[0] = pos.b[1] = pos.b[2] = 1;
    RECT rc{10, 20, 300, 200};
    return loader_.CreateAllSubModules(h, path_.c_str(), &pos, frame_, &block_, wndId, "money",
                                       reinterpret_cast<WPARAM>(start), value, 9, 0, &rc, 3);
  }

  orv::test::ProbeLog log_;
  CPluginLoader loader_;
  SharedWnds_s block_;
  wxFrame* frame_ = nullptr;
  std::wstring path_;
};

TEST_F(PluginLoaderTest, LoadsCreatesCommandsAndUnloadsAModule) {
  int status = -99;
  std::wstring error;
  HINSTANCE h = loader_.LoadDLL(path_.c_str(), &status, &error);
  ASSERT_NE(h, nullptr) << orv::support::WideToUtf8(error);
  EXPECT_EQ(status, LOADER_STATUS_OK);
  EXPECT_EQ(loader_.IsLoadedDLL(path_.c_str(), &status), h);
  EXPECT_EQ(status, LOADER_STATUS_ALREADY_LOADED);
  // A second load answers the same library.
  EXPECT_EQ(loader_.LoadDLL(path_.c_str(), &status), h);
  EXPECT_EQ(loader_.GetLoadedCount(), 1u);

  ASSERT_EQ(CreateProbe(h, 7), 1);
  EXPECT_EQ(block_.nModuleIndex, 0u);
  EXPECT_EQ(block_.nCtrlId, 7u);
  EXPECT_EQ(block_.nWndId, 1u);
  EXPECT_EQ(log_.Lines(), (std::vector<std::string>{
                              "CreateAll index=0 ctrl=7 option=money start=start value=42 v16=9 "
                              "menu=11100 rect=10,20,300,200 pass=3",
                              "view shared=1", "msg 0x364", "msg 0x8003 start=start value=42"}));

  wxWindow* wnd = loader_.GetNthWndPtr(h, 0);
  ASSERT_NE(wnd, nullptr);
  EXPECT_EQ(loader_.GetWndPtrById(h, 1), wnd);
  EXPECT_EQ(loader_.GetWndPtrById(h, 2), nullptr);
  EXPECT_EQ(wnd->GetParent(), frame_);
  EXPECT_EQ(wnd->GetId(), 7);
  EXPECT_EQ(wnd->GetPosition(), wxPoint(10, 20));
  EXPECT_FALSE(wnd->IsShown());  // created without WS_VISIBLE

  // Host commands: only the save command is answered by the probe.
  EXPECT_EQ(loader_.SendCmdMessageToAllModule(7, 0, 0, nullptr), 1);
  EXPECT_EQ(loader_.SendCmdMessageToAllModule(21, 1, 0, nullptr), 0);
  EXPECT_EQ(log_.LinesStartingWith("cmd"),
            (std::vector<std::string>{"cmd kind=2 code=7 w=0", "cmd kind=2 code=21 w=1"}));

  // A window message from this side reaches the module's view across the library boundary.
  GfxSendMessageToWnd(wnd, WM_MODULE_LANGUAGE, MODULE_LANGUAGE_WPARAM, 2);
  EXPECT_EQ(log_.Lines().back(), "msg 0x8006");

  wchar_t title[MODULE_INFO_TEXT_LEN] = {};
  wchar_t text[MODULE_INFO_TEXT_LEN] = {L'x'};
  wchar_t* key = nullptr;
  int flag = -1;
  const CRuntimeClass* cls = nullptr;
  EXPECT_EQ(loader_.GetModuleInfo(h, 0, &flag, &cls, title, text, &key), 1);
  EXPECT_STREQ(title, L"Probe Status");
  EXPECT_STREQ(text, L"");
  ASSERT_NE(key, nullptr);
  EXPECT_STREQ(key, L"probe.status");
  std::free(key);
  EXPECT_EQ(flag, 0);
  EXPECT_NE(cls, nullptr);

  EXPECT_EQ(loader_.RefreshSubWindowById(7, 0, 44, 20), 1);
  EXPECT_EQ(log_.Lines().back(), "refresh command=44 value=20");
  EXPECT_EQ(loader_.RefreshSubWindowById(8, 0, 44, 20), -1);

  void* ctx = nullptr;
  LoginCallback login = nullptr;
  EXPECT_EQ(loader_.GetLoginCallbackFunc(h, 0, &ctx, &login, nullptr), 1);
  EXPECT_EQ(ctx, static_cast<void*>(wnd));
  EXPECT_NE(login, nullptr);

  loader_.UnloadAllDLLs();
  const auto lines = log_.Lines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "DestroyAll");
  EXPECT_EQ(lines.back(), "unloaded");
  EXPECT_EQ(loader_.IsLoadedDLL(path_.c_str()), nullptr);
  EXPECT_EQ(loader_.GetLoadedCount(), 0u);
  EXPECT_TRUE(frame_->GetChildren().empty());
  EXPECT_EQ(loader_.SendCmdMessageToAllModule(7, 0, 0, nullptr), 0);
}

TEST_F(PluginLoaderTest, LibrariesThatAreNotModulesAreRefusedAndLoadingGoesOn) {
  orv::test::TempDir dir;
  const std::string notElf = dir.Path() + "/notes.so";
  std::ofstream(notElf) << "this is not a library\n";
  Dl_info info{};
  ASSERT_NE(dladdr(reinterpret_cast<void*>(static_cast<double (*)(double)>(std::cos)), &info), 0);
  const std::string noExports = info.dli_fname;

  struct Case {
    std::string path;
    int status;
  };
  const Case cases[] = {{dir.Path() + "/missing.so", LOADER_STATUS_NO_FILE},
                        {notElf, LOADER_STATUS_NOT_LOADABLE},
                        {noExports, LOADER_STATUS_NOT_A_MODULE}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    int status = 0;
    std::wstring error;
    EXPECT_EQ(loader_.LoadDLL(Utf8ToWide(c.path).c_str(), &status, &error), nullptr);
    EXPECT_EQ(status, c.status);
    EXPECT_FALSE(error.empty());
  }
  EXPECT_EQ(loader_.GetLoadedCount(), 0u);
  HINSTANCE h = loader_.LoadDLL(path_.c_str());
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(CreateProbe(h, 1), 1);
}

TEST_F(PluginLoaderTest, CallsOnAnUnknownHandleAnswerNothing) {
  int dummy = 0;
  HINSTANCE unknown = &dummy;
  EXPECT_EQ(CreateProbe(unknown, 1), -1);
  EXPECT_EQ(loader_.GetNthWndPtr(unknown, 0), nullptr);
  EXPECT_EQ(loader_.GetModuleInfo(unknown, 0, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(loader_.GetLoginCallbackFunc(unknown, 0, nullptr, nullptr, nullptr), 0);
  EXPECT_TRUE(log_.Lines().empty());
}

}  // namespace
