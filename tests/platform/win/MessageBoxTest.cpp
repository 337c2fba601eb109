#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win/MessageBox.h"

namespace orv::win {
namespace {

class MessageBoxTest : public ::testing::Test {
 protected:
  void TearDown() override {
    StopScriptingMessageBoxes();
    SetMessageBoxPresenter(nullptr);
  }
};

TEST_F(MessageBoxTest, ScriptedAnswersAreTakenInOrderAndCallsRecorded) {
  ScriptMessageBoxes({IDNO, IDCANCEL});
  const std::string text = "프로그램 자동 시작이 *해제* 되었습니다";
  EXPECT_EQ(MessageBox(text, "Orvella", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(MessageBox("Quit?", "Orvella", MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBox("Saved", "Orvella", MB_OK | MB_ICONINFORMATION), IDOK);  // queue empty
  std::vector<MessageBoxCall> calls = ScriptedMessageBoxCalls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].text, text);
  EXPECT_EQ(calls[0].caption, "Orvella");
  EXPECT_EQ(calls[0].type, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(calls[2].text, "Saved");

  ScriptMessageBoxes({});  // a new script starts a new record
  EXPECT_TRUE(ScriptedMessageBoxCalls().empty());
}

TEST_F(MessageBoxTest, WithoutAnswerTheFirstButtonAnswers) {
  struct Case {
    UINT type;
    int answer;
  } cases[] = {
      {MB_OK, IDOK},
      {MB_OKCANCEL | MB_ICONWARNING, IDOK},
      {MB_YESNO | MB_ICONERROR, IDYES},
      {MB_YESNOCANCEL, IDYES},
  };
  for (const Case& c : cases) {
    ScriptMessageBoxes({});
    EXPECT_EQ(MessageBox("t", "c", c.type), c.answer) << c.type;
    StopScriptingMessageBoxes();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBox("t", "c", c.type), c.answer) << c.type;
    ::testing::internal::GetCapturedStderr();
  }
}

TEST_F(MessageBoxTest, PresenterShowsTheBoxUnlessScripted) {
  std::vector<MessageBoxCall> shown;
  SetMessageBoxPresenter([&](const MessageBoxCall& call) {
    shown.push_back(call);
    return IDCANCEL;
  });
  EXPECT_EQ(MessageBox("Cannot Register", "Orvella", MB_OK | MB_ICONERROR), IDCANCEL);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "Cannot Register");
  EXPECT_EQ(shown[0].type, MB_OK | MB_ICONERROR);

  ScriptMessageBoxes({IDYES});
  EXPECT_EQ(MessageBox("Sure?", "Orvella", MB_YESNO), IDYES);
  EXPECT_EQ(shown.size(), 1u);
  StopScriptingMessageBoxes();
  EXPECT_EQ(MessageBox("again", "Orvella", MB_OK), IDCANCEL);
  EXPECT_EQ(shown.size(), 2u);
}

TEST_F(MessageBoxTest, WithoutPresenterTheBoxGoesToStandardError) {
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBox("프로그램 자동 시작이 *해제* 되었습니다", "Orvella", MB_YESNOCANCEL), IDYES);
  std::string printed = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(printed.find("Orvella"), std::string::npos);
  EXPECT_NE(printed.find("프로그램 자동 시작이 *해제* 되었습니다"), std::string::npos);
  EXPECT_NE(printed.find("[Yes] [No] [Cancel]"), std::string::npos);
}

}  // namespace
}  // namespace orv::win
