// The window-free parts of the host's user services: the login-id suffix list, page addresses,
// the frame title with the user, the login dialog's state line, the help file and the
// password prompt's acceptance rule.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>

#include "host/dialogs/PasswordDlg.h"
#include "host/user/HostUserPages.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"
#include "tests/probe/ProbeHarness.h"

namespace {

using namespace orv::host;

TEST(HostLoginIdSuffixes, MarksTheLastUsedSuffixAndKeepsTheListShort) {
  struct Case {
    const wchar_t* before;
    const wchar_t* userId;
    const wchar_t* after;
  };
  const Case cases[] = {
      {L"", L"a@x.com", L"*@x.com;"},
      {L"*@x.com;", L"b@y.com", L"@x.com;*@y.com;"},
      {L"@x.com;*@y.com;", L"a@x.com", L"*@x.com;@y.com;"},
      // No "@": the list stays as it is, marks included.
      {L"@x.com;*@y.com;", L"plainuser", L"@x.com;*@y.com;"},
      {L"", L"plainuser", L""},
      // 7 + 8 + 8 = 23 characters: still below 25, appended.
      {L"@x.com;*@y.com;", L"c@zz.co", L"@x.com;@y.com;*@zz.co;"},
      // 22 + 9 = 31: the new entry replaces the first one.
      {L"@x.com;@y.com;*@zz.co;", L"d@ab.com", L"*@ab.com;@y.com;@zz.co;"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UpdateLoginIdSuffixes(c.before, c.userId), c.after)
        << "list \"" << std::filesystem::path(c.before).string() << "\" id "
        << std::filesystem::path(c.userId).string();
  }
}

TEST(HostLoginIdSuffixes, ThreeLoginsInARow) {
  std::wstring list;
  for (const wchar_t* id : {L"a@x.com", L"b@y.com", L"a@x.com"})
    list = UpdateLoginIdSuffixes(list, id);
  EXPECT_EQ(list, L"*@x.com;@y.com;");
}

TEST(HostUserWindowTitle, NamesTheUserOrTheLoggedOffState) {
  EXPECT_EQ(UserWindowTitle(L"Orvella", 7, L"kim"), L"Orvella (사용자=7/kim)");
  EXPECT_EQ(UserWindowTitle(L"Orvella", 0, L""), L"Orvella (로그오프)");
  EXPECT_EQ(UserWindowTitle(L"Orvella", -1, nullptr), L"Orvella (로그오프)");
  EXPECT_EQ(UserWindowTitle(L"Orvella", 7, nullptr), L"Orvella (사용자=7/*)");
}

TEST(HostLoginStateMessage, LoginAndLogoutTextsShowThePublicPcNotice) {
  bool flagged = true;
  const std::wstring notice = L"공용PC 자동로그인 금지(IP:10.0.0.5/MAC:AA-BB)";
  for (const wchar_t* text : {L"로그인", L"로그아웃", L"", static_cast<const wchar_t*>(nullptr)}) {
    flagged = true;
    EXPECT_EQ(LoginStateMessage(text, 32768, "10.0.0.5", "AA-BB", &flagged), notice);
    EXPECT_FALSE(flagged);
  }
  EXPECT_EQ(LoginStateMessage(L"서버 점검 중", 32768, "ip", "mac", &flagged), L"서버 점검 중");
  EXPECT_TRUE(flagged);
  EXPECT_EQ(LoginStateMessage(L"서버 점검 중", 1, "ip", "mac", &flagged), L"서버 점검 중");
  EXPECT_FALSE(flagged);
}

TEST(HostServerPageUrl, QueryKeysInOrderWithEncodedValues) {
  app_run_setting_s rs;
  std::strcpy(rs.szWebApiBase, "http://127.0.0.1:9/app");
  rs.nGdp = 3;
  rs.nDeployer = 4;
  rs.nMacId = 11;
  rs.nMacId2 = 12;
  std::strcpy(rs.szIp, "10.1.2.3");
  rs.nWebApiUserIdx = 21;
  std::wcscpy(rs.szWebApiUserId, L"b2b user");
  std::wcscpy(rs.szWebApiKey, L"k&y");
  login_info_s li;
  li.nCompanyIdx = 5;
  li.nUserIdx = 7;
  li.nAgencyIdx = 2;
  std::wcscpy(li.szUserId, L"kim@x.com");
  std::strcpy(li.szToken, "tok");
  std::strcpy(li.szCheck2, "c4");
  std::strcpy(li.szCheck3, "c5");
  std::strcpy(li.szToken2, "sp");
  EXPECT_EQ(MakeServerPageUrl(rs, li, 6, 0, 9, "corp", L"계좌 1"),
            "http://127.0.0.1:9/app/event/event_list2?rsp=html&all=1&trade_corp=9&gdp=3&"
            "deployer=4&macid=11&macid2=12&ip=10.1.2.3&co=5&uidx=7&uid=kim%40x.com&agc=2&b2b=corp&"
            "b2buidx=21&b2buid=b2b%20user&tk=tok&gcd=%EA%B3%84%EC%A2%8C%201&"
            "acc_num=%EA%B3%84%EC%A2%8C%201&chk4=c4&chk5=c5&key=k%26y&spw=sp");
  // Pages 1 and 2 are the order list; all is 0 only for the value 1.
  const std::string order = MakeServerPageUrl(rs, li, 1, 1, 0, nullptr, nullptr);
  EXPECT_EQ(order.rfind("http://127.0.0.1:9/app/order/order_list?rsp=html&all=0&", 0), 0u) << order;
  EXPECT_NE(order.find("&b2b=&"), std::string::npos);
  EXPECT_NE(MakeServerPageUrl(rs, li, 2, 0, 0, nullptr, nullptr).find("order_list?rsp=html&all=1"),
            std::string::npos);
  EXPECT_EQ(MakeServerPageUrl(rs, li, 3, 0, 0, nullptr, nullptr), "");
  rs.szWebApiBase[0] = '\0';
  EXPECT_EQ(MakeServerPageUrl(rs, li, 6, 0, 0, nullptr, nullptr), "");
}

TEST(HostMemberPageUrl, B2bPathOrMemberPath) {
  app_run_setting_s rs;
  std::strcpy(rs.szWebApiBase, "http://h:1");
  std::strcpy(rs.szIp, "ip");
  login_info_s li;
  li.nUserIdx = 7;
  std::wcscpy(li.szUserId, L"kim");
  EXPECT_EQ(MakeMemberPageUrl(rs, li),
            "http://h:1/member/myinfo?rsp=html&macid=0&macid2=0&b2b=&ip=ip&co=0&agc=0&uidx=7&"
            "uid=kim&tk=&chk4=&chk5=");
  std::wcscpy(rs.szB2b, L"corp");
  EXPECT_EQ(MakeMemberPageUrl(rs, li).rfind("http://h:1/corp/myinfo?rsp=html&", 0), 0u);
}

TEST(HostHelpFile, CompiledHelpThenTheManualPdf) {
  orv::test::TempDir dir;
  const std::string folder = dir.Path() + "/";
  // Nothing there and no manual: the compiled help file is reported missing.
  HelpTarget target = ResolveHelpFile(folder, "orvella", "", "", "", L"");
  EXPECT_FALSE(target.exists);
  EXPECT_EQ(target.path, folder + "orvella.chm");
  // The manual path's file title names the PDF in the program folder.
  std::ofstream(folder + "guide.pdf") << "%PDF";
  target = ResolveHelpFile(folder, "orvella", "", "", "", L"/docs/manuals/guide.hwp");
  EXPECT_TRUE(target.exists);
  EXPECT_TRUE(target.isManual);
  EXPECT_EQ(target.path, folder + "guide.pdf");
  // A named help file that exists wins, with its topic.
  std::ofstream(folder + "help.html") << "<html/>";
  target = ResolveHelpFile(folder, "orvella", "help.html", "trade", "buy", L"guide");
  EXPECT_TRUE(target.exists);
  EXPECT_FALSE(target.isManual);
  EXPECT_EQ(target.topic, "::/trade#buy");
  EXPECT_EQ(ResolveHelpFile(folder, "x", "help.html", "trade", "", L"").topic, "::/trade");
}

TEST(HostPasswordPrompt, OnlyTwoEqualNonEmptyEntriesAreAccepted) {
  EXPECT_TRUE(CPasswordDlg::EntriesAccepted(L"s3cret", L"s3cret"));
  EXPECT_FALSE(CPasswordDlg::EntriesAccepted(L"s3cret", L"s3creT"));
  EXPECT_FALSE(CPasswordDlg::EntriesAccepted(L"s3cret", L""));
  EXPECT_FALSE(CPasswordDlg::EntriesAccepted(L"", L""));
  EXPECT_EQ(CPasswordDlg::TitleFor(false, L"kim"), L"Enter Password : kim");
  EXPECT_EQ(CPasswordDlg::TitleFor(true, L"kim"), L"Change Password : kim");
}

}  // namespace
