// The cafe data view's routes of the host's commands and messages, against a view that records
// what it was asked to do.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/community/CafeDataViewRoutes.h"
#include "shared/HostCommands.h"
#include "shared/Messages.h"

namespace {

class RecordingView : public ICafeDataViewActions {
 public:
  bool loggedIn = false;
  int uploadAnswer = 0;
  std::vector<std::string> calls;

  bool IsLoggedIn() const override { return loggedIn; }
  int UploadModifiedClients() override {
    calls.push_back("upload");
    return uploadAnswer;
  }
  void ShowFetchingWindow() override { calls.push_back("show waiting"); }
  void HideFetchingWindow() override { calls.push_back("hide waiting"); }
  void ReloadClientList(bool refill) override {
    calls.push_back(refill ? "reload refill" : "reload keyword");
  }
  void EnableView(bool enable) override { calls.push_back(enable ? "enable" : "disable"); }
  void EmptyCafeGrid() override { calls.push_back("empty grid"); }
  void SendToWindow(UINT message, WPARAM wParam, LPARAM lParam) override {
    calls.push_back("window " + std::to_string(message) + " " + std::to_string(wParam) + " " +
                    std::to_string(lParam));
  }
  void SetCurBranchIdx(int32_t company, int32_t branch) override {
    calls.push_back("branch " + std::to_string(company) + " " + std::to_string(branch));
  }
  void ApplyLanguage(int languageId) override {
    calls.push_back("language " + std::to_string(languageId));
  }
};

using Calls = std::vector<std::string>;

TEST(CafeDataViewRoutes, HostCommandsFollowTheLoginState) {
  struct Case {
    int kind;
    UINT code;
    bool loggedIn;
    int64_t answer;
    Calls calls;
  } cases[] = {
      // 3 and 7 upload only while someone is logged in, and answer the upload's result.
      {2, HOST_CMD_UPLOAD, true, 4, {"upload"}},
      {2, HOST_CMD_SAVE, true, 4, {"upload"}},
      {2, HOST_CMD_UPLOAD, false, 0, {}},
      {2, HOST_CMD_SAVE, false, 0, {}},
      // 13 and 14 reload the list from its start under the waiting window, logged in or not.
      {2, HOST_CMD_RELOAD, false, 0, {"show waiting", "reload refill", "hide waiting"}},
      {2, HOST_CMD_RELOAD2, true, 0, {"show waiting", "reload refill", "hide waiting"}},
      // 81 follows the login; 86 empties and disables only when nobody is logged in.
      {2, HOST_CMD_LOGIN_STATE, true, 0, {"enable"}},
      {2, HOST_CMD_LOGIN_STATE, false, 0, {"disable"}},
      {2, HOST_CMD_LOGGED_OUT, false, 0, {"empty grid", "disable"}},
      {2, HOST_CMD_LOGGED_OUT, true, 0, {}},
      // Other codes and kinds do nothing.
      {2, HOST_CMD_STOP, true, 0, {}},
      {2, HOST_CMD_AUTO_TRADE_ON, true, 0, {}},
      {3, HOST_CMD_SAVE, true, 0, {}},
      // Kind 1 is a window message for the view's own map.
      {1, WM_MODULE_LANGUAGE, true, 0, {"window 32774 15 2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("kind " + std::to_string(c.kind) + " code " + std::to_string(c.code) +
                 (c.loggedIn ? " logged in" : " logged out"));
    RecordingView view;
    view.loggedIn = c.loggedIn;
    view.uploadAnswer = 4;
    const WPARAM wParam = c.kind == 1 ? 15 : 0;
    const LPARAM lParam = c.kind == 1 ? 2 : 0;
    EXPECT_EQ(RouteCafeViewHostCommand(c.kind, c.code, wParam, lParam, view), c.answer);
    EXPECT_EQ(view.calls, c.calls);
  }
}

TEST(CafeDataViewRoutes, RefreshMessageTakesTheNumbersAndUploadsOrReloads) {
  const CafeViewBranch_s numbers{12, 34};
  struct Case {
    WPARAM command;
    Calls calls;
  } cases[] = {
      {3, {"branch 12 34", "upload"}},
      {13, {"branch 12 34", "show waiting", "reload keyword", "hide waiting"}},
      {48, {"branch 12 34", "show waiting", "reload keyword", "hide waiting"}},
      {7, {"branch 12 34"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("command " + std::to_string(c.command));
    RecordingView view;
    EXPECT_EQ(RouteCafeViewRefresh(c.command, &numbers, view), 0);
    EXPECT_EQ(view.calls, c.calls);
  }
  // A message without its numbers is ignored.
  RecordingView view;
  EXPECT_EQ(RouteCafeViewRefresh(3, nullptr, view), 0);
  EXPECT_TRUE(view.calls.empty());
}

TEST(CafeDataViewRoutes, LanguageMessageNeedsItsMarkAndALanguage) {
  struct Case {
    WPARAM wParam;
    LPARAM lParam;
    bool taken;
  } cases[] = {{15, 2, true}, {15, 1, true}, {15, 0, false}, {15, -3, false}, {14, 2, false}};
  for (const Case& c : cases) {
    RecordingView view;
    EXPECT_EQ(RouteCafeViewLanguage(c.wParam, c.lParam, view), c.taken);
    EXPECT_EQ(view.calls,
              c.taken ? Calls{"language " + std::to_string(c.lParam)} : Calls{});
  }
}

}  // namespace
