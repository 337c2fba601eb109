// The credential vault's table text, its round trip through the cipher, and its copy on the
// loopback web server.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/support/Encryption.h"
#include "platform/support/SecretTable.h"
#include "platform/support/SecretVault.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"
#include "tests/peers/WebServerPeer.h"
#include "tests/platform/support_crypto/CryptoTestFixture.h"

namespace orv::support::test {
namespace {

using SecretVaultTest = CryptoFixture;
const char kVaultKey[] = "A4D93F0C71B85E26C3";

std::string Line(std::vector<std::string> fields) {
  fields.resize(SecretEntry_s::kFieldCount);
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) line += (i ? "\t" : "") + fields[i];
  return line + "\n";
}

TEST(SecretTableTest, GroupsGetABlankRowAndEmptyEntriesAreLeftOut) {
  const std::string text =
      Line({"P1", "서버", "2", "10.0.0.1", "22", "", "", "root", "pw1"}) +
      Line({"P1", "서버", "3", "10.0.0.2", "21", "", "", "ftp", "pw2"}) +
      Line({"P2", "키만", "1"}) +                                    // code, title, kind only
      Line({"P2", "키만", "1", "", "", "", "", "", "", "AK-1"}) +    // an access key only
      Line({"P3", "URL", "1", "", "", "", "", "", "", "", "", "", "https://r.example"}) +
      Line({"P4", "기간", "7", "", "", "", "", "", "", "", "", "", "", "2024-01-02",
            "2025-12-31"});
  int entries = 0, newEntry = -1;
  const std::vector<SecretEntry_s> rows = ParseSecretTable(text, 2, &entries, &newEntry);
  EXPECT_EQ(entries, 5);
  // P1 x2, blank P1, P2 access key, blank P2, P3, blank P3, P4, blank P4, two blank rows.
  ASSERT_EQ(rows.size(), 11u);
  EXPECT_EQ(rows[0].userAccount, L"root");
  EXPECT_EQ(rows[1].kind, 3);
  EXPECT_TRUE(rows[2].IsBlank());
  EXPECT_EQ(rows[2].code, L"P1");
  EXPECT_EQ(rows[2].title, L"서버");
  EXPECT_EQ(rows[3].accessKey, L"AK-1");
  EXPECT_EQ(rows[5].returnUrl, L"https://r.example");
  EXPECT_TRUE(rows[7].hasStart);
  EXPECT_EQ(rows[7].expiry.wYear, 2025);
  EXPECT_EQ(rows[7].expiry.wDay, 31);
  EXPECT_EQ(rows[10].number, 11);
  EXPECT_EQ(newEntry, 10);
  // Written back: the entries only, in order, the same lines.
  const std::string written = WriteSecretTable(rows);
  EXPECT_EQ(written, Line({"P1", "서버", "2", "10.0.0.1", "22", "", "", "root", "pw1"}) +
                         Line({"P1", "서버", "3", "10.0.0.2", "21", "", "", "ftp", "pw2"}) +
                         Line({"P2", "키만", "1", "", "", "", "", "", "", "AK-1"}) +
                         Line({"P3", "URL", "1", "", "", "", "", "", "", "", "", "",
                               "https://r.example"}) +
                         Line({"P4", "기간", "7", "", "", "", "", "", "", "", "", "", "",
                               "2024-01-02", "2025-12-31"}));
}

TEST(SecretTableTest, SeparatorsInsideFieldsDoNotSplitTheEntry) {
  SecretEntry_s entry;
  entry.code = L"C\t1";
  entry.title = L"T";
  entry.password = L"p\nw";
  entry.description = L"첫 줄\r\n둘째 줄";
  entry.kind = 9;  // not a kind: read back as none
  const std::string text = WriteSecretTable({entry});
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
  const std::vector<SecretEntry_s> rows = ParseSecretTable(text, 0);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].code, L"C 1");
  EXPECT_EQ(rows[0].password, L"p w");
  EXPECT_EQ(rows[0].description, L"첫 줄\r\n둘째 줄");
  EXPECT_EQ(rows[0].kind, 0);
  // Bad dates are none; a malformed text gives no entry and no crash.
  EXPECT_TRUE(ParseSecretTable(Line({"X", "Y", "1", "", "", "", "", "", "", "", "", "", "",
                                     "2024-13-01", "garbage"}),
                               0)
                  .empty());
  EXPECT_TRUE(ParseSecretTable("\n\n\t\t\t\n", 0).empty());
}

TEST_F(SecretVaultTest, TheTableSurvivesTheCipherAndTheServer) {
  const std::string table = Line({"P1", "웹", "1", "example.org", "443", "", "", "me", "비밀"}) +
                            Line({"P1", "웹", "6", "", "", "", "", "", "", "", "", "", "", "",
                                  "", "메모\r둘째"});
  const int year = 2026, month = 12, day = 11;
  int error = 0;
  char* crypted = GfxCipherEncrypt2A(table.c_str(), kVaultKey, year, month, day, &error);
  ASSERT_NE(crypted, nullptr) << error;
  const std::string sealed = crypted;
  std::free(crypted);

  orv::test::WebServerPeer peer;
  peer.AddUser({"vault", 77, "tk-77"});
  peer.ServeCryptedData();
  ASSERT_TRUE(peer.Start());
  app_run_setting_s run;
  std::snprintf(run.szWebApiBase, sizeof run.szWebApiBase, "%s", peer.BaseUrl().c_str());
  login_info_s login;
  login.nUserIdx = 77;
  std::snprintf(login.szToken, sizeof login.szToken, "tk-77");
  std::wcscpy(login.szUserId, L"vault");

  SYSTEMTIME stamp{};
  stamp.wYear = year;
  stamp.wMonth = month;
  stamp.wDay = day;
  stamp.wHour = 9;
  int serverIdx = 0;
  ASSERT_EQ(UploadCryptedData(nullptr, run, login, &serverIdx, sealed, stamp), 1);
  EXPECT_GT(serverIdx, 0);
  const auto uploads = peer.RequestsTo("/data/crypted_data_up");
  ASSERT_EQ(uploads.size(), 1u);
  ASSERT_NE(uploads[0].Part("rsp"), nullptr);
  EXPECT_EQ(uploads[0].parts.front().name, "rsp");
  EXPECT_EQ(uploads[0].Part("code")->content, "crypted.data");
  EXPECT_EQ(uploads[0].Part("tit")->content, "Crypted Data");
  EXPECT_EQ(uploads[0].Part("dt")->content, "2026-12-11 09:00:00");
  EXPECT_EQ(peer.CryptedDataOf("tk-77"), sealed);

  SYSTEMTIME loaded{};
  std::string fetched;
  int fetchedIdx = 0;
  ASSERT_EQ(DownloadCryptedData(nullptr, run, login, &fetchedIdx, &loaded, &fetched), 1);
  EXPECT_EQ(fetchedIdx, serverIdx);
  EXPECT_EQ(fetched, sealed);
  char* plain =
      GfxCipherDecrypt2A(fetched.c_str(), kVaultKey, loaded.wYear, loaded.wMonth, loaded.wDay);
  ASSERT_NE(plain, nullptr);
  const std::vector<SecretEntry_s> rows = ParseSecretTable(plain, 0);
  std::free(plain);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].password, L"비밀");
  EXPECT_EQ(rows[1].description, L"메모\r\n둘째");
  EXPECT_EQ(WriteSecretTable(rows), table);

  // A stranger's token is refused on both ways; the stored copy stays.
  login_info_s stranger = login;
  std::snprintf(stranger.szToken, sizeof stranger.szToken, "tk-0");
  EXPECT_EQ(UploadCryptedData(nullptr, run, stranger, &serverIdx, "other", stamp), 0);
  EXPECT_EQ(DownloadCryptedData(nullptr, run, stranger, &fetchedIdx, &loaded, &fetched), 0);
  EXPECT_EQ(peer.CryptedDataOf("tk-77"), sealed);
  // Without a user index nothing is sent.
  login_info_s nobody;
  EXPECT_EQ(UploadCryptedData(nullptr, run, nobody, &serverIdx, sealed, stamp), 0);
  EXPECT_EQ(peer.RequestsTo("/data/crypted_data_up").size(), 2u);
}

TEST(SecretVaultReplyTest, OnlyAnExplicitZeroErrIsSuccess) {
  struct Case {
    const char* reply;
    bool ok;
    int idx;
  } cases[] = {
      {"{\"err\":\"0\",\"idx\":\"12\"}", true, 12},
      {"{\"err\":0}", true, 5},
      {"{\"idx\":\"12\"}", false, 12},  // no "err": a failure
      {"{\"err\":\"-1\",\"msg\":\"x\"}", false, 5},
      {"<html>500</html>", false, 5},
      {"", false, 5},
      {"{\"err\":\"0\",\"idx\":", false, 5},  // cut short
  };
  for (const Case& c : cases) {
    int idx = 5;
    EXPECT_EQ(ReadVaultUploadReply(c.reply, &idx), c.ok) << c.reply;
    EXPECT_EQ(idx, c.idx) << c.reply;
  }
  SYSTEMTIME stamp{};
  std::string data = "kept";
  EXPECT_FALSE(ReadVaultDownloadReply("{\"crypted_data\":\"x\"}", nullptr, &stamp, &data));
  EXPECT_EQ(data, "kept");
  ASSERT_TRUE(ReadVaultDownloadReply(
      "{\"err\":\"0\",\"mod_date\":\"2024-05-17 10:11:12\",\"crypted_data\":\"QUJD\"}", nullptr,
      &stamp, &data));
  EXPECT_EQ(data, "QUJD");
  EXPECT_EQ(stamp.wMonth, 5);
  EXPECT_EQ(stamp.wDay, 17);
}

}  // namespace
}  // namespace orv::support::test
