// The credential vault's dialog: its grid from a table text, the new-entry row, and its save,
// which is refused without a saver and reports a failed upload as failed.
#include <gtest/gtest.h>
#include <wx/dialog.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/support/SecretTable.h"
#include "platform/ui/PwdConfirmDlg.h"
#include "platform/ui/model/SecretDataItemRecord.h"
#include "platform/win/MessageBox.h"
#include "shared/AppRunSetting.h"
#include "tests/platform/ui/WxTestApp.h"

namespace orv::ui {
namespace {

class PwdConfirmDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Nothing listens there: every upload fails.
    std::snprintf(run_.szWebApiBase, sizeof run_.szWebApiBase, "http://127.0.0.1:9");
    ASSERT_TRUE(dlg_.CreateDlg(nullptr));
    dlg_.SetLoginCheck([](const std::wstring& id, const std::wstring&, login_info_s* record,
                          std::wstring*) {
      record->nUserIdx = 5;
      std::wcsncpy(record->szUserId, id.c_str(), 10);
      return 0;
    });
    win::ScriptMessageBoxes({});
  }
  void TearDown() override {
    win::StopScriptingMessageBoxes();
    if (dlg_.GetWindow()) dlg_.GetWindow()->Destroy();
  }
  void LogIn() {
    dlg_.SetDlgItemText(CPwdConfirmDlg::IDC_ID, L"me");
    dlg_.SetDlgItemText(CPwdConfirmDlg::IDC_PWD, L"pw");
    dlg_.SendCommand(CPwdConfirmDlg::IDC_PWD);  // Enter in the password edit
    ASSERT_TRUE(dlg_.IsLoggedIn());
  }
  std::vector<std::string> Boxes() {
    std::vector<std::string> out;
    for (const win::MessageBoxCall& call : win::ScriptedMessageBoxCalls())
      out.push_back(call.caption + ":" + call.text);
    return out;
  }

  app_run_setting_s run_;
  CPwdConfirmDlg dlg_{&run_, nullptr};
};

TEST_F(PwdConfirmDlgTest, GroupsShowWithTheirBlankRowAndTheNewEntryRowGrows) {
  LogIn();
  const int entries = dlg_.FillGrid(
      "P1\t서버\t2\t10.0.0.1\t22\nP1\t서버\t3\t10.0.0.2\t21\nP2\t키만\t1\n", 0);
  EXPECT_EQ(entries, 2);
  CMyReportCtrl& grid = dlg_.GridModel();
  ASSERT_EQ(grid.GetRecordCount(), 3);
  auto* blank = dynamic_cast<CSecretDataItemRecord*>(grid.GetRecord(2));
  ASSERT_NE(blank, nullptr);
  EXPECT_TRUE(blank->IsNewEntryRow());
  EXPECT_EQ(blank->GetTextValue(CSecretDataItemRecord::kColTitle), L"서버");
  // An entry typed into the new-entry row gets a fresh blank row after it.
  ASSERT_TRUE(grid.OnCommitEdit(2, CSecretDataItemRecord::kColIp, L"10.0.0.3"));
  EXPECT_EQ(grid.GetRecordCount(), 4);
  EXPECT_FALSE(blank->IsNewEntryRow());
  EXPECT_EQ(dlg_.GetAllRecordsText(),
            "P1\t서버\t2\t10.0.0.1\t22\t\t\t\t\t\t\t\t\t\t\t\n"
            "P1\t서버\t3\t10.0.0.2\t21\t\t\t\t\t\t\t\t\t\t\t\n"
            "P1\t서버\t0\t10.0.0.3\t\t\t\t\t\t\t\t\t\t\t\t\n");
}

TEST_F(PwdConfirmDlgTest, ASaveWithoutASaverIsRefused) {
  LogIn();
  win::ScriptMessageBoxes({});
  dlg_.SendCommand(CPwdConfirmDlg::IDC_SAVE);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"ERROR:Failed\nCode : 409"});
}

TEST_F(PwdConfirmDlgTest, AFailedUploadIsReportedAsFailedAndNoSavesNothing) {
  LogIn();
  dlg_.FillGrid("P1\t웹\t1\thost\n", 1);
  std::vector<std::string> saved;
  dlg_.SetSaveCallback([&saved](int user, const std::string& table, const SYSTEMTIME&,
                                std::string* crypted) {
    saved.push_back(std::to_string(user) + ":" + table);
    *crypted = "sealed";
    return 1;
  });
  win::ScriptMessageBoxes({IDNO});
  dlg_.SendCommand(CPwdConfirmDlg::IDC_SAVE);
  EXPECT_TRUE(saved.empty());
  EXPECT_EQ(Boxes().size(), 1u);  // the question only

  win::ScriptMessageBoxes({IDYES});
  dlg_.CheckDlgButton(CPwdConfirmDlg::IDC_SERVER_SAVE, true);
  dlg_.SendCommand(CPwdConfirmDlg::IDC_SAVE);
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0], "5:P1\t웹\t1\thost\t\t\t\t\t\t\t\t\t\t\t\t\n");
  const std::vector<std::string> boxes = Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1], "NOTIFICATION:Success\nLocal Saved : Success\nServer : FAILED");

  // Escape leaves the vault open.
  dlg_.Show(nullptr, false);
  wxKeyEvent escape(wxEVT_CHAR_HOOK);
  escape.m_keyCode = WXK_ESCAPE;
  dlg_.GetWindow()->GetEventHandler()->ProcessEvent(escape);
  EXPECT_TRUE(dlg_.GetWindow()->IsShown());
  dlg_.SendCommand(CPwdConfirmDlg::IDC_CANCEL);
  EXPECT_FALSE(dlg_.GetWindow()->IsShown());
}

}  // namespace
}  // namespace orv::ui
