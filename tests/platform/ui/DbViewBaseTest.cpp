// The embedded-view base: creation through its runtime class, and the mapping of its host
// calls onto the callbacks of the shared-window block.

#include <gtest/gtest.h>
#include <wx/frame.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/ui/DbViewBase.h"
#include "shared/AppRunSetting.h"
#include "shared/HostCommands.h"
#include "shared/LogMsgData.h"
#include "shared/RuntimeClass.h"
#include "shared/SharedWnds.h"
#include "tests/probe/ProbeHarness.h"

namespace {

// What the host callbacks were called with.
struct CommandCall {
  int kind, code, num1, num2, num3;
  std::wstring text1, text2, text3;
  wchar_t* buf;
  void* ptr;
  uint32_t flags;
  void* cbCtx;
  LoginCallback login;
  LoginNotifyCallback notify;
};
struct NotifyCall {
  int cls, code, sub;
  double val1, val2;
  std::wstring text1, text2;
  const void* rec;
  int int1, int2, int3;
  intptr_t ptr1, ptr2;
};

struct HostFake {
  std::vector<CommandCall> commands;
  std::vector<NotifyCall> notifies;
  std::vector<log_msg_data_s> logRecs;
  std::wstring uiText;  // what function 87 answers
};

std::wstring Str(const wchar_t* t) { return t ? t : L"(null)"; }

int FakeCommand(void* ctx, int kind, int code, int num1, int num2, int num3, const wchar_t* text1,
                const wchar_t* text2, const wchar_t* text3, intptr_t, intptr_t, int* result,
                wchar_t* buf, void*, void* ptr, uint32_t flags, void* cbCtx, LoginCallback login,
                LoginNotifyCallback notify, intptr_t, intptr_t) {
  auto* host = static_cast<HostFake*>(ctx);
  host->commands.push_back({kind, code, num1, num2, num3, Str(text1), Str(text2), Str(text3), buf,
                            ptr, flags, cbCtx, login, notify});
  if (result) *result = 0;
  if (code == MAINFRAME_FN_UI_TEXT && buf) {
    // The host's side of function 87: at most HOST_UI_TEXT_BUF_LEN - 1 characters.
    const size_t n = std::min(host->uiText.size(), size_t(HOST_UI_TEXT_BUF_LEN - 1));
    std::wmemcpy(buf, host->uiText.data(), n);
    buf[n] = L'\0';
  }
  return code;
}

intptr_t FakeNotify(void* ctx, int cls, int code, int sub, double val1, double val2,
                    const wchar_t* text1, const wchar_t* text2, const void* rec, intptr_t, intptr_t,
                    int*, wchar_t*, int int1, int int2, int int3, intptr_t ptr1, intptr_t ptr2) {
  auto* host = static_cast<HostFake*>(ctx);
  host->notifies.push_back(
      {cls, code, sub, val1, val2, Str(text1), Str(text2), rec, int1, int2, int3, ptr1, ptr2});
  if (cls == 3 && code == 12 && rec)
    host->logRecs.push_back(*static_cast<const log_msg_data_s*>(rec));
  return code == 16 ? 0x1234 : 0;
}

int TestLogin(void*, int, const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*,
              const wchar_t*, int, int, int, int, uint8_t, const wchar_t*, int*, wchar_t*) {
  return 0;
}
int TestNotify(void*, unsigned, int, int, const wchar_t*, void*, char**, int*) { return 0; }

class TestView : public CDbBaseNormalView {
 public:
  static bool failCreate;
  int OnCreate(SharedWnds_s* block) override {
    return failCreate ? -1 : CDbBaseNormalView::OnCreate(block);
  }
};
bool TestView::failCreate = false;

const CRuntimeClass kTestViewClass{"CTestView",
                                   []() -> CDbBaseNormalView* { return new TestView; }};

class DbViewBaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    orv::test::EnsureWxApp();
    frame_ = orv::test::HiddenFrame();
    block_.pCallbackCtx = &host_;
    block_.pfnCommand = FakeCommand;
    block_.pfnNotify = FakeNotify;
    block_.pRunSetting = &run_;
    GfxSetEmbededViewsCfgDataPtr(&block_);
    TestView::failCreate = false;
  }
  void TearDown() override {
    if (view_) view_->Destroy();
    GfxSetEmbededViewsCfgDataPtr(nullptr);
  }
  CDbBaseNormalView* MakeView(SharedWnds_s* block, DWORD style = WS_CHILD) {
    wxWindow* wnd = GfxCreateEmbededView(nullptr, &kTestViewClass, RECT{0, 0, 200, 100}, frame_,
                                         3028, style, block);
    view_ = dynamic_cast<CDbBaseNormalView*>(wnd);
    return view_;
  }

  HostFake host_;
  SharedWnds_s block_;
  app_run_setting_s run_;
  wxFrame* frame_ = nullptr;
  CDbBaseNormalView* view_ = nullptr;
};

TEST_F(DbViewBaseTest, CreatesFromItsRuntimeClassAndTakesOnlyTheConfiguredBlock) {
  CDbBaseNormalView* view = MakeView(&block_, WS_CHILD | WS_VISIBLE);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->GetSharedWnds(), &block_);
  EXPECT_EQ(view->GetId(), 3028);
  EXPECT_EQ(view->GetViewCtrlId(), 3028u);
  EXPECT_TRUE(view->IsShown());
  view->Destroy();
  view_ = nullptr;

  SharedWnds_s other;
  view = MakeView(&other);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->GetSharedWnds(), nullptr);
  EXPECT_FALSE(view->IsShown());
}

TEST_F(DbViewBaseTest, FailedCreationLeavesNoWindow) {
  const size_t children = frame_->GetChildren().size();
  TestView::failCreate = true;
  EXPECT_EQ(MakeView(&block_), nullptr);
  EXPECT_EQ(GfxCreateEmbededView(nullptr, nullptr, RECT{}, frame_, 1, WS_CHILD, &block_), nullptr);
  EXPECT_EQ(GfxCreateEmbededView(nullptr, &kTestViewClass, RECT{}, nullptr, 1, WS_CHILD, &block_),
            nullptr);
  EXPECT_EQ(frame_->GetChildren().size(), children);
}

TEST_F(DbViewBaseTest, MainFrameFunctionsReachTheCommandCallback) {
  CDbBaseNormalView* view = MakeView(&block_);
  ASSERT_NE(view, nullptr);
  wchar_t join[] = L"join notice";
  EXPECT_EQ(
      view->RunMainFrameFunction(MAINFRAME_FN_LOGIN, 3, 5, L"로그인", L"help %hs", L"시크릿 키",
                                 join, nullptr, 0x4000, 2, view, TestLogin, TestNotify),
      79);
  EXPECT_EQ(view->RunMainFrameFunction(MAINFRAME_FN_LOGOUT, 3, 5, L"로그아웃", L"view"), 83);
  ASSERT_EQ(host_.commands.size(), 2u);
  const CommandCall& c = host_.commands[0];
  EXPECT_EQ(c.kind, 2);
  EXPECT_EQ(c.code, 79);
  EXPECT_EQ(c.num1, 3);
  EXPECT_EQ(c.num2, 5);
  EXPECT_EQ(c.num3, 2);
  EXPECT_EQ(c.text1, L"로그인");
  EXPECT_EQ(c.text2, L"help %hs");
  EXPECT_EQ(c.text3, L"시크릿 키");
  EXPECT_EQ(c.buf, join);
  EXPECT_EQ(c.flags, 0x4000u);
  EXPECT_EQ(c.cbCtx, view);
  EXPECT_EQ(c.login, TestLogin);
  EXPECT_EQ(c.notify, TestNotify);
  EXPECT_EQ(host_.commands[1].code, 83);
  EXPECT_EQ(host_.commands[1].text1, L"로그아웃");
  EXPECT_EQ(host_.commands[1].login, nullptr);
}

TEST_F(DbViewBaseTest, NotificationsReachTheNotifyCallbackAsClassThree) {
  CDbBaseNormalView* view = MakeView(&block_);
  ASSERT_NE(view, nullptr);
  const char b2b[] = "stock";
  view->SendNotifyMsgToMainFrame(NOTIFY_KIND_STATUS, STATUS_PANE_LOGIN, 1.0, 0.0, L"로그인 성공",
                                 L"");
  EXPECT_EQ(view->SendNotifyMsgToMainFrame(NOTIFY_KIND_PAGE, 0, 0, 0, L"회원 가입", L"https://x/",
                                           nullptr, 0, 0, view, TestNotify, 3),
            0x1234);
  view->SendNotifyMsgToMainFrame(NOTIFY_KIND_EVENT_PAGE, 4, 4.0, 6.0, L"이벤트", L"view", b2b, 11,
                                 12, view, TestNotify, 15);
  ASSERT_EQ(host_.notifies.size(), 3u);
  const NotifyCall& login = host_.notifies[0];
  EXPECT_EQ(login.cls, 3);
  EXPECT_EQ(login.code, 3);
  EXPECT_EQ(login.sub, 7);
  EXPECT_EQ(login.val1, 1.0);
  EXPECT_EQ(login.text1, L"로그인 성공");
  const NotifyCall& page = host_.notifies[1];
  EXPECT_EQ(page.code, 16);
  EXPECT_EQ(page.text1, L"회원 가입");
  EXPECT_EQ(page.text2, L"https://x/");
  EXPECT_EQ(page.int3, 3);
  EXPECT_EQ(page.ptr1, reinterpret_cast<intptr_t>(view));
  EXPECT_EQ(page.ptr2, reinterpret_cast<intptr_t>(&TestNotify));
  const NotifyCall& event = host_.notifies[2];
  EXPECT_EQ(event.code, 18);
  EXPECT_EQ(event.sub, 4);
  EXPECT_EQ(event.val2, 6.0);
  EXPECT_EQ(event.rec, b2b);
  EXPECT_EQ(event.int1, 11);
  EXPECT_EQ(event.int2, 12);
  EXPECT_EQ(event.int3, 15);
}

TEST_F(DbViewBaseTest, LogLinesPanesAndWaitingWindow) {
  CDbBaseNormalView* view = MakeView(&block_);
  ASSERT_NE(view, nullptr);
  view->AddLogMsg(3028, 4, 0.0, nullptr, L"> Master 코드 수신", 1);
  view->AddLogMsg(3028, 4, 0.0, nullptr, nullptr, 0);  // nothing to show
  view->ShowMainFramePaneWnd(PANE_BIT_WORKSPACE | PANE_BIT_LOG, L"전문가 카페;LOG", L"250;", true);
  ASSERT_EQ(host_.notifies.size(), 2u);
  EXPECT_EQ(host_.notifies[0].code, 12);
  EXPECT_EQ(host_.notifies[0].sub, 4);
  EXPECT_EQ(host_.notifies[0].text2, L"> Master 코드 수신");
  ASSERT_EQ(host_.logRecs.size(), 1u);
  EXPECT_EQ(host_.logRecs[0].nLevel, 4);
  EXPECT_EQ(host_.logRecs[0].nStatus, 3028);
  EXPECT_EQ(host_.logRecs[0].byFlags[0], 1);
  EXPECT_EQ(host_.notifies[1].cls, 1);
  EXPECT_EQ(host_.notifies[1].sub, PANES_SHOW);
  EXPECT_EQ(host_.notifies[1].val1, 3.0);

  view->ShowWaitingWnd(L"Fetching data", L"Please wait.....");
  view->HideWaitingWnd();
  ASSERT_EQ(host_.commands.size(), 2u);
  EXPECT_EQ(host_.commands[0].code, MAINFRAME_FN_WAIT_CONFIRM);
  EXPECT_EQ(host_.commands[0].text1, L"Please wait.....");
  EXPECT_EQ(host_.commands[1].code, MAINFRAME_FN_HIDE_WAIT_CONFIRM);
}

TEST_F(DbViewBaseTest, KeywordTextsAreCutToTheCallersBuffer) {
  CDbBaseNormalView* view = MakeView(&block_);
  ASSERT_NE(view, nullptr);
  wchar_t out[8];
  host_.uiText = L"데이터를 조회중입니다.";
  EXPECT_EQ(view->GetKeywordFromDbByLanguage(L"fetching.data", L"Fetching data",
                                             L"데이터를 조회중입니다.", 0, out, 8),
            1);
  EXPECT_STREQ(out, L"데이터를 조회");  // 7 characters and the end
  ASSERT_EQ(host_.commands.size(), 1u);
  EXPECT_EQ(host_.commands[0].code, 87);
  EXPECT_EQ(host_.commands[0].text1, L"fetching.data");

  // Without an answer from the host the default of the language is used.
  host_.uiText.clear();
  wchar_t big[64];
  run_.byLanguage = 2;
  view->GetKeywordFromDbByLanguage(L"please.wait", L"Please wait", L"잠시만", 0, big, 64);
  EXPECT_STREQ(big, L"잠시만");
  view->GetKeywordFromDbByLanguage(L"please.wait", L"Please wait", L"잠시만", 0, big, 64, 1);
  EXPECT_STREQ(big, L"Please wait");
}

TEST_F(DbViewBaseTest, WithoutHostCallbacksNothingIsCalled) {
  SharedWnds_s empty;
  GfxSetEmbededViewsCfgDataPtr(&empty);
  CDbBaseNormalView* view = MakeView(&empty);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->RunMainFrameFunction(79), 0);
  EXPECT_EQ(view->SendNotifyMsgToMainFrame(3, 7), 0);
  EXPECT_EQ(view->OnReqSetZoom(120), 120);
  EXPECT_EQ(view->OnReqGetZoom(), 120);
  EXPECT_EQ(view->OnReqShowWindow(SW_SHOW, 0, nullptr, 0), 1);
  EXPECT_TRUE(view->IsShown());
}

}  // namespace
