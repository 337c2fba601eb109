// The plug-in's exports through dlopen of the built library, as the host's loader calls them:
// the edge cases before creation, the option rule, creation with its messages and callbacks,
// the lookups, and destruction.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <wx/frame.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/win/MessageBox.h"
#include "shared/AppRunSetting.h"
#include "shared/HostCommands.h"
#include "shared/LoginInfo.h"
#include "shared/PluginExports.h"
#include "shared/RuntimeClass.h"
#include "shared/SearchCondition.h"
#include "shared/SharedWnds.h"
#include "tests/probe/ProbeHarness.h"

namespace fs = std::filesystem;

namespace {

struct CommandCall {
  int kind, code, num1, num2, num3;
  std::wstring text1, text2, text3, buf;
  uint32_t flags;
  void* cbCtx;
  LoginCallback login;
  LoginNotifyCallback notify;
};
std::vector<CommandCall> g_commands;
struct CreatedCall {
  uint32_t moduleNo, count;
  wxWindow* wnd;
  uint32_t elapsed;
};
std::vector<CreatedCall> g_created;

int OnCommand(void*, int kind, int code, int num1, int num2, int num3, const wchar_t* t1,
              const wchar_t* t2, const wchar_t* t3, intptr_t, intptr_t, int*, wchar_t* buf, void*,
              void*, uint32_t flags, void* cbCtx, LoginCallback login, LoginNotifyCallback notify,
              intptr_t, intptr_t) {
  g_commands.push_back({kind, code, num1, num2, num3, t1 ? t1 : L"", t2 ? t2 : L"", t3 ? t3 : L"",
                        buf ? buf : L"", flags, cbCtx, login, notify});
  return 1;
}

int OnModuleCreated(void*, intptr_t, uint32_t moduleNo, uint32_t count, wxWindow* wnd, int, int,
                    const char*, wchar_t*, uint32_t elapsed, int) {
  g_created.push_back({moduleNo, count, wnd, elapsed});
  return 0;
}

// The library, loaded once for the whole program as the host loads it.
class Pelomar {
 public:
  static Pelomar& Get() {
    static Pelomar lib;
    return lib;
  }
  ZiroExports x;

 private:
  Pelomar() {
    handle_ = dlopen(ORV_PELOMAR_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!handle_) return;
#define ORV_RESOLVE(name) x.name = reinterpret_cast<PFN_ZIRO_##name>(dlsym(handle_, "ZIRO_" #name));
    ORV_ZIRO_EXPORTS(ORV_RESOLVE)
#undef ORV_RESOLVE
  }
  void* handle_ = nullptr;
};

class ZiroExportsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    orv::test::EnsureWxApp();
    // This program is the host here: the module's boxes come to its copy of the service,
    // which answers them from the script instead of showing them.
    orv::win::ScriptMessageBoxes({});
    dir_ = new orv::test::TempDir;
    setenv("XDG_CONFIG_HOME", (dir_->Path() + "/config").c_str(), 1);
    fs::create_directories(fs::path(dir_->Path()) / "Settings");
    fs::copy_file(fs::path(ORV_BINARY_DIR) / "seed" / "app-settings.db",
                  dir_->Path() + "/Settings/app-settings.db");
    const std::wstring program(dir_->Path().begin(), dir_->Path().end());
    std::wcscpy(folders_.szExeFolder, (program + L"/").c_str());
    std::wcscpy(run_.szDataFolder, (program + L"/data/").c_str());
    std::wcscpy(run_.szHomePage, L"https://home.example");
    run_.nLoginDlgValue = 41;
    run_.nAgencyIdx = 6;
    block_.pRunSetting = &run_;
    block_.pLoginInfo = &login_;
    block_.pSearchCond = &folders_;
    block_.pfnCommand = &OnCommand;
    block_.pfnModuleCreated = &OnModuleCreated;
  }
  static void TearDownTestSuite() {
    orv::win::StopScriptingMessageBoxes();
    delete dir_;
    dir_ = nullptr;
  }
  const ZiroExports& x() { return Pelomar::Get().x; }
  int CreateAll(const char* option, UINT ctrlId = 0) {
    RECT rect{0, 0, 900, 600};
    return x().CreateAll(0, orv::test::HiddenFrame(), nullptr, &block_, ctrlId, option, 0, 0, 0, 0,
                         &rect, 0, 0, 0);
  }

  static inline orv::test::TempDir* dir_ = nullptr;
  static inline SharedWnds_s block_;
  static inline app_run_setting_s run_;
  static inline login_info_s login_;
  static inline search_condition_s folders_;
};

}  // namespace

// Runs first: nothing has been created or refreshed yet.
TEST_F(ZiroExportsTest, BeforeCreation) {
  int resolved = 0;
#define ORV_COUNT(name) resolved += x().name ? 1 : 0;
  ORV_ZIRO_EXPORTS(ORV_COUNT)
#undef ORV_COUNT
  ASSERT_EQ(resolved, 32);

  EXPECT_EQ(x().GetCurWndIndex(), -1);
  EXPECT_EQ(x().GetWndPtrById(1), nullptr);
  EXPECT_EQ(x().RefreshWindow(0, 0, 0, nullptr, nullptr, nullptr, nullptr, 0, 0), -1);
  EXPECT_EQ(x().GetCurWndIndex(), -1);
  EXPECT_EQ(x().SetZoom(0, 3), -1);
  EXPECT_EQ(x().SendMessage(0, 2, HOST_CMD_SAVE, 0, 0, nullptr), 0);

  // Module information: index 1 writes nothing; index 0 fills every given out value.
  int flag = 77;
  const CRuntimeClass* cls = nullptr;
  wchar_t title[MODULE_INFO_TEXT_LEN] = L"keep";
  wchar_t text[MODULE_INFO_TEXT_LEN] = L"keep";
  wchar_t* key = nullptr;
  EXPECT_EQ(x().GetModuleInfo(1, 0, 0, &flag, &cls, title, text, &key), 1);
  EXPECT_EQ(flag, 77);
  EXPECT_EQ(cls, nullptr);
  EXPECT_STREQ(title, L"keep");
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(x().GetModuleInfo(0, 0, 0, &flag, &cls, title, text, &key), 1);
  EXPECT_EQ(flag, 0);
  EXPECT_EQ(cls, x().GetRuntimeClass(0));
  EXPECT_STREQ(cls->m_lpszClassName, "CPelomarView");
  EXPECT_STREQ(title, L"Inspection Status");
  EXPECT_STREQ(text, L"");
  ASSERT_NE(key, nullptr);
  EXPECT_STREQ(key, L"inspection.status");
  std::free(key);
  EXPECT_EQ(x().GetRuntimeClass(1), nullptr);

  // Sub-window lookup by code, ignoring case.
  struct Case {
    const wchar_t* code;
    bool titleBuffer;
    int index;
  };
  for (const Case& c : {Case{L"PELOMAR", true, 0}, Case{L"pelomar", true, 0},
                        Case{L"Other", true, -1}, Case{L"PELOMAR", false, -1}}) {
    int index = 5;
    short kind = 0;
    wchar_t t[MODULE_INFO_TEXT_LEN] = L"", code[MODULE_INFO_TEXT_LEN] = L"";
    EXPECT_EQ(x().GetSubWindowCount(c.code, &index, c.titleBuffer ? t : nullptr, code, &kind), 1);
    EXPECT_EQ(index, c.index);
    EXPECT_EQ(kind, 9);
    if (c.titleBuffer) {
      EXPECT_STREQ(t, L"Pelomar");
      EXPECT_STREQ(code, L"Pelomar");
    }
  }
  wchar_t untouched[16] = L"same";
  EXPECT_EQ(x().GetWndPtrByCode(L"", untouched), nullptr);
  EXPECT_STREQ(untouched, L"same");

  // Window id 2 writes the block and creates nothing.
  RECT rect{0, 0, 10, 10};
  EXPECT_EQ(
      x().Create(4, 2, orv::test::HiddenFrame(), nullptr, &block_, 0, 0, 0, 0, 0, &rect, 0, 0, 0),
      0);
  EXPECT_EQ(block_.nModuleIndex, 4u);
  EXPECT_EQ(block_.nCtrlId, 0xE902u);
  EXPECT_EQ(block_.nWndId, 2u);
  EXPECT_EQ(x().GetWndPtrById(2), nullptr);

  // The option rule: "money" is looked for case-sensitively.
  EXPECT_EQ(CreateAll("Money"), 0);
  EXPECT_EQ(x().GetWndPtrById(1), nullptr);
  EXPECT_TRUE(g_commands.empty());
  EXPECT_TRUE(g_created.empty());
}

TEST_F(ZiroExportsTest, CreationLookupsAndDestruction) {
  ASSERT_EQ(CreateAll("pelomar money module"), 1);
  wxWindow* view = x().GetWndPtrById(1);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(block_.nCtrlId, 0xE901u);
  EXPECT_EQ(block_.nWndId, 1u);
  EXPECT_EQ(x().GetNthWndCtrlID(0), 0xE901u);
  EXPECT_EQ(x().GetNthWndPtr(0), view);
  EXPECT_EQ(x().GetNthWndPtr(1), nullptr);
  wchar_t title[64] = L"";
  EXPECT_EQ(x().GetWndPtrByCode(L"PELOMAR", title), view);
  EXPECT_STREQ(title, L"Pelomar");

  // The module-created callback once, with the new window.
  ASSERT_EQ(g_created.size(), 1u);
  EXPECT_EQ(g_created[0].moduleNo, 0xE901u);
  EXPECT_EQ(g_created[0].count, 1u);
  EXPECT_EQ(g_created[0].wnd, view);

  // The start-up ran once and asked the host to set up its login dialog (function 82).
  std::vector<CommandCall> setups;
  for (const auto& c : g_commands)
    if (c.code == MAINFRAME_FN_SETUP_LOGIN) setups.push_back(c);
  ASSERT_EQ(setups.size(), 1u);
  const CommandCall& c = setups[0];
  EXPECT_EQ(c.kind, HOST_CMD_KIND_FUNCTION);
  EXPECT_EQ(c.num1, 41);
  EXPECT_EQ(c.num2, 64);
  EXPECT_EQ(c.num3, 6);
  EXPECT_EQ(c.text1, L"로그인");
  EXPECT_EQ(c.text2,
            L"가입된 계정으로 먼저 로그인 하셔야 합니다.\n사용자는 관리자에 의해 등록됩니다.\n\n"
            L"자세한 사항은 고객사 홈페이지 참고 부탁드립니다.\n홈페이지 https://home.example");
  EXPECT_EQ(c.text3, L"시크릿 키");
  EXPECT_EQ(c.buf, L"0\t\t\t\t0\t0");
  EXPECT_EQ(c.flags, 0x104000u);
  EXPECT_NE(c.cbCtx, nullptr);
  void* ctx = nullptr;
  LoginCallback login = nullptr;
  LoginNotifyCallback notify = nullptr;
  EXPECT_EQ(x().GetLoginCallbackFunc(0, &ctx, &login, &notify), 1);
  EXPECT_EQ(ctx, c.cbCtx);
  EXPECT_EQ(login, c.login);
  EXPECT_EQ(notify, c.notify);
  EXPECT_NE(login, nullptr);

  // Zoom, visibility, moves and refresh.
  EXPECT_EQ(x().SetZoom(0, 120), 120);
  EXPECT_EQ(x().GetZoom(0), 120);
  int out = 9;
  x().IsWindowVisible(0, &out);
  EXPECT_EQ(out, 0);
  EXPECT_EQ(x().ShowWindow(0, 0, 5, 0, nullptr, 0), 1);
  EXPECT_EQ(x().IsWindowVisible(0, &out), 1);
  RECT to{10, 20, 410, 320};
  EXPECT_EQ(x().MoveWindow(0, &to, 1), 1);
  EXPECT_EQ(view->GetPosition(), wxPoint(10, 20));
  EXPECT_EQ(view->GetSize(), wxSize(400, 300));
  EXPECT_EQ(x().RefreshWindow(0, 0, 0, nullptr, nullptr, nullptr, nullptr, 0, 0), 1);
  EXPECT_EQ(x().GetCurWndIndex(), 0);
  EXPECT_EQ(x().RefreshWindowById(3, 0, 0, nullptr, nullptr, nullptr, nullptr, 0, 0), -1);
  EXPECT_EQ(x().GetCurWndIndex(), 0);
  // The view answers host commands with 0 here, so none counts as answered.
  EXPECT_EQ(x().SendMessageToAll(2, HOST_CMD_SAVE, 0, 0, nullptr), 0);

  // Destroy: the teardown runs in the destroy and again in the destructor.
  EXPECT_EQ(x().DestroyAll(), 1);
  EXPECT_EQ(x().GetWndPtrById(1), nullptr);
  EXPECT_EQ(x().Destroy(1), 0);
  EXPECT_EQ(x().DestroyAll(), 0);
  EXPECT_EQ(x().GetNthWndCtrlID(0), 0u);
  // The log folder was made in the data folder and the daily logs written there.
  EXPECT_TRUE(fs::is_directory(dir_->Path() + "/data/Log"));
}

TEST_F(ZiroExportsTest, HostCommandTable) {
  ASSERT_GE(CreateAll("pelomar money module"), 1);
  ASSERT_NE(x().GetWndPtrById(1), nullptr);
  login_.nUserIdx = 0;
  struct Case {
    int kind;
    UINT code;
    int64_t answer;
  };
  const size_t before = g_commands.size();
  for (const Case& c : {Case{2, 113, 1}, Case{2, 114, 1}, Case{2, 81, 0}, Case{2, 84, 0},
                        Case{3, 113, 0}, Case{2, 2, 0}, Case{2, 116, 0}, Case{2, 7, 0},
                        Case{2, 3, 0}, Case{2, 115, 1}}) {
    SCOPED_TRACE(testing::Message() << c.kind << "/" << c.code);
    EXPECT_EQ(x().SendMessage(0, c.kind, c.code, 0, 0, nullptr), c.answer);
  }
  // The rate table asked for while logged out is refused in a box the host shows.
  bool askedToLogIn = false;
  for (const orv::win::MessageBoxCall& call : orv::win::ScriptedMessageBoxCalls())
    askedToLogIn |= call.text.find("로그인을 먼저 해주세요") != std::string::npos;
  EXPECT_TRUE(askedToLogIn);
  // Logged out, uploads (3, 7) ask nothing of the host.
  EXPECT_EQ(g_commands.size(), before);
  EXPECT_EQ(x().SendMessageToAll(2, 113, 0, 0, nullptr), 1);

  // 13 shows the waiting window with the fetching texts, then hides it.
  EXPECT_EQ(x().SendMessage(0, 2, HOST_CMD_RELOAD, 0, 0, nullptr), 0);
  std::vector<int> codes;
  for (size_t i = before; i < g_commands.size(); ++i) codes.push_back(g_commands[i].code);
  auto show = std::find(codes.begin(), codes.end(), MAINFRAME_FN_WAIT_CONFIRM);
  ASSERT_NE(show, codes.end());
  const CommandCall& wait = g_commands[before + (show - codes.begin())];
  EXPECT_EQ(wait.text1, L"Please wait.....");
  EXPECT_EQ(wait.text2, L"Fetching data");
  EXPECT_NE(std::find(show, codes.end(), MAINFRAME_FN_HIDE_WAIT_CONFIRM), codes.end());

  // 86 while a user is logged in is ignored; 21 stops, and the view still answers afterwards.
  login_.nUserIdx = 5;
  EXPECT_EQ(x().SendMessage(0, 2, HOST_CMD_LOGGED_OUT, 0, 0, nullptr), 0);
  EXPECT_EQ(x().SendMessage(0, 2, HOST_CMD_STOP, 0, 0, nullptr), 0);
  EXPECT_EQ(x().SendMessage(0, 2, HOST_CMD_AUTO_TRADE_OFF, 0, 0, nullptr), 1);
  login_.nUserIdx = 0;
  EXPECT_EQ(x().DestroyAll(), 1);
}
