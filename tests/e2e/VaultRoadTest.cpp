// The credential vault on the road: the user presses "계정 관리" on the host's settings tab, logs
// in to the vault with the web id and password, types an entry into the blank row and saves
// with the server copy on. The table is stored encrypted in the host's data database and on
// the sandbox's web server; after logging out and in again the entry is shown again, and
// "서버 데이터 조회" brings back the server's copy.
#include <gtest/gtest.h>
#include <wx/dialog.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>

#include "host/frame/CommandIds.h"
#include "host/frame/MainFrame.h"
#include "platform/support/TextConv.h"
#include "platform/ui/PwdConfirmDlg.h"
#include "platform/ui/model/SecretDataItemRecord.h"
#include "platform/win/MessageBox.h"
#include "sandbox/Sandbox.h"
#include "tests/e2e/road/RoadHost.h"

using orv::test::RoadHost;
using orv::ui::CPwdConfirmDlg;
using orv::ui::CSecretDataItemRecord;

namespace {

constexpr auto kStepBound = std::chrono::seconds(20);

bool Boxed(const char* caption, const std::string& text) {
  std::string asked;
  for (const orv::win::MessageBoxCall& call : orv::win::ScriptedMessageBoxCalls()) {
    if (call.caption == caption && call.text == text) return true;
    asked += "[" + call.caption + "] " + call.text + "\n";
  }
  ADD_FAILURE() << "asked instead:\n" << asked;
  return false;
}

void LogInto(CPwdConfirmDlg& vault) {
  vault.SetDlgItemText(CPwdConfirmDlg::IDC_ID, Utf8ToWide(orv::test::SandboxAccount::kUserId));
  vault.SetDlgItemText(CPwdConfirmDlg::IDC_PWD, Utf8ToWide(orv::test::SandboxAccount::kAppKey));
  vault.SendCommand(CPwdConfirmDlg::IDC_CHECK);
}

}  // namespace

TEST(VaultRoad, AnEntrySavedInTheVaultComesBackFromTheDatabaseAndTheServer) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
  std::string error;
  ASSERT_TRUE(road.Start("005930 70000\n", &error)) << error;
  std::wstring loginError;
  ASSERT_EQ(road.LogIn(&loginError), 1) << WideToUtf8(loginError);

  road.Frame()->RunCommand(kCmdAccounts);
  CPwdConfirmDlg* vault = road.Frame()->CredentialVault();
  ASSERT_NE(vault, nullptr);
  ASSERT_TRUE(vault->IsDialogShown());
  EXPECT_EQ(vault->GetWindow()->GetTitle(), wxString(L"Data"));
  EXPECT_FALSE(vault->IsDlgItemEnabled(CPwdConfirmDlg::IDC_SAVE));

  // A wrong password is refused.
  orv::win::ScriptMessageBoxes({});
  vault->SetDlgItemText(CPwdConfirmDlg::IDC_ID, L"sandbox");
  vault->SetDlgItemText(CPwdConfirmDlg::IDC_PWD, L"wrong");
  vault->SendCommand(CPwdConfirmDlg::IDC_CHECK);
  EXPECT_FALSE(vault->IsLoggedIn());
  EXPECT_TRUE(Boxed("ERROR", "Cannot Login(1407). Please retry again."));

  orv::win::ScriptMessageBoxes({});
  LogInto(*vault);
  ASSERT_TRUE(vault->IsLoggedIn());
  EXPECT_TRUE(Boxed("INFORMATION", "로그인 성공했습니다.(Login Successful)"));
  EXPECT_EQ(vault->GetDlgItemText(CPwdConfirmDlg::IDC_CHECK), L"로그아웃");
  orv::ui::CMyReportCtrl& grid = vault->GridModel();
  ASSERT_EQ(grid.GetRowCount(), 1);  // the blank row

  // The user types an entry into the blank row; a fresh blank row follows.
  ASSERT_TRUE(grid.OnCommitEdit(0, CSecretDataItemRecord::kColCode, L"P1"));
  ASSERT_TRUE(grid.OnCommitEdit(0, CSecretDataItemRecord::kColTitle, L"사내 서버"));
  ASSERT_TRUE(grid.OnCommitEdit(0, CSecretDataItemRecord::kColKind, L"SSH-접속"));
  ASSERT_TRUE(grid.OnCommitEdit(0, CSecretDataItemRecord::kColIp, L"10.0.0.7"));
  ASSERT_TRUE(grid.OnCommitEdit(0, CSecretDataItemRecord::kColIp + 5, L"비밀번호!"));
  EXPECT_EQ(grid.GetRowCount(), 2);

  if (const char* shot = std::getenv("ORV_ROAD_SCREENSHOT")) {
    vault->GetWindow()->Raise();
    orv::test::PumpEvents(800);
    const std::string command = std::string("import -window root '") + shot + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }

  // Save with the server copy on: yes to the question.
  orv::win::ScriptMessageBoxes({IDYES});
  vault->CheckDlgButton(CPwdConfirmDlg::IDC_SERVER_SAVE, true);
  vault->SendCommand(CPwdConfirmDlg::IDC_SAVE);
  EXPECT_TRUE(Boxed("INFORMATION",
                    "Success\nLocal Saved : Success\nServer : Saved to server successful"));
  EXPECT_EQ(road.WebRequests("data/crypted_data_up").size(), 1u);
  EXPECT_GT(vault->ServerIndex(), 0);

  // Logged out and in again: the stored table is shown.
  vault->SendCommand(CPwdConfirmDlg::IDC_CHECK);
  EXPECT_FALSE(vault->IsLoggedIn());
  orv::win::ScriptMessageBoxes({});
  LogInto(*vault);
  ASSERT_TRUE(vault->IsLoggedIn());
  ASSERT_GE(grid.GetRecordCount(), 1);
  auto* first = dynamic_cast<CSecretDataItemRecord*>(grid.GetRecord(0));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->ToEntry().password, L"비밀번호!");
  EXPECT_EQ(first->ToEntry().kind, 2);

  // The server's copy comes back too.
  orv::win::ScriptMessageBoxes({IDYES});
  vault->SendCommand(CPwdConfirmDlg::IDC_LOAD);
  EXPECT_TRUE(Boxed("INFORMATION", "SUCCESS"));
  first = dynamic_cast<CSecretDataItemRecord*>(grid.GetRecord(0));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->ToEntry().ip, L"10.0.0.7");

  vault->SendCommand(CPwdConfirmDlg::IDC_CANCEL);
  EXPECT_FALSE(vault->IsDialogShown());
  orv::win::StopScriptingMessageBoxes();
  EXPECT_TRUE(road.CloseWithYes(kStepBound));
}
