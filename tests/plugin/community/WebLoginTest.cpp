// The user login against the loopback web server and fake broker agents: results, the
// service check's form, the stored settings, the saved login, the host notifications and the
// engine's start.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/stocklib/StockAgentBase.h"
#include "platform/stocklib/StockUrls.h"
#include "platform/support/Encryption.h"
#include "platform/support/HttpForm.h"
#include "platform/support/LoginStore.h"
#include "platform/support/TextConv.h"
#include "plugin/community/MarketSchedule.h"
#include "plugin/community/WebLogin.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"
#include "shared/Messages.h"
#include "shared/StockOption.h"
#include "tests/peers/HttpPeer.h"
#include "tests/peers/TestCa.h"
#include "tests/peers/WebServerPeer.h"
#include "tests/platform/win/TestFolders.h"

using orv::test::RecordedRequest;
using orv::test::WebServerPeer;

namespace {

class FakeAgent : public CStockAgentBase {
 public:
  FakeAgent(int marketKind, int brokerId, int loginResult)
      : CStockAgentBase(static_cast<uint8_t>(marketKind), '1', static_cast<uint8_t>(brokerId), 1, 1,
                        0.0, 40),
        m_loginResult(loginResult) {
    m_marketKind = marketKind;
    m_brokerId = static_cast<uint8_t>(brokerId);
    snprintf(m_clientName, sizeof m_clientName, "orvella.auto.dbstock.pc");
  }
  int Login(CURL*, const wchar_t* account, const wchar_t* key, const wchar_t* secret, int* outCode,
            wchar_t* outMsg, int msgLen) override {
    m_loginAccount = account;
    m_loginKey = key;
    m_loginSecret = secret;
    if (m_loginResult == 0) {
      *outCode = 40510;
      swprintf(outMsg, msgLen, L"%ls", L"앱키 인증 실패");
    }
    return m_loginResult;
  }
  int m_loginResult;
  std::wstring m_loginAccount, m_loginKey, m_loginSecret;
};

struct Notify {
  int kind, code;
  double val1, val2;
  std::wstring text1, text2;
  int slot;
};

struct Popup {
  std::wstring text, caption;
};

class FakeEngine : public ILoginEngine {
 public:
  int DeleteAllStockAgents() override {
    const int n = static_cast<int>(agents.size());
    agents.clear();
    return n;
  }
  CStockAgentBase* GetStockAgent(int marketKind, int brokerId, int) override {
    requestedMarket = marketKind;
    if (!makeAgents) return nullptr;
    agents.push_back(std::make_unique<FakeAgent>(marketKind, brokerId, brokerLoginResult));
    return agents.back().get();
  }
  void SetPrimaryAgent(CStockAgentBase* agent) override { primary = agent; }
  void ClearDefaultAgents() override { defaults.clear(); }
  void SetDefaultAgent(int marketKind, CStockAgentBase*) override {
    defaults.push_back(marketKind);
  }
  void SetOverseasMode() override { overseasMode = true; }
  int LoginBrokerAgents(CURL* curl, int) override {
    // The other stored accounts check the service with the token the login stored.
    for (int i = 0; i < otherAccounts; ++i)
      accountIdx.push_back(login->LoadServiceSettings(curl, 2, nullptr, "orvella.auto.kiwoom.pc",
                                                      L"a>>x", "tok123", 0, 1, 0));
    return otherAccounts;
  }
  stock_option_s& Options() override { return options; }
  CMarketSchedule& Schedule() override { return schedule; }
  sqlite3* PluginDb() override { return db; }
  void SetMasterCodeEvent() override { ++masterEvents; }
  void ClearBalanceQueryArea() override {}
  int ApplyAutoStopLossRates() override { return ++stopLossApplied + 40; }
  int DoRefresh() override { return ++refreshes, 0; }
  void ShowWaitingPopup(bool, const wchar_t* text, const wchar_t* caption, DWORD) override {
    popups.push_back({text, caption});
  }
  void SetNoticeText(const wchar_t* text) override { notice = text; }
  void SetAccountLabels(const wchar_t* text) override { label = text; }
  void RefreshCafe() override {}
  intptr_t SendNotifyMsgToMainFrame(int kind, int code, double val1, double val2,
                                    const wchar_t* text1, const wchar_t* text2, int slot) override {
    notifies.push_back({kind, code, val1, val2, text1 ? text1 : L"", text2 ? text2 : L"", slot});
    return 0;
  }
  int RunMainFrameFunction(int fn, int, int, const wchar_t* text1, const wchar_t*, const wchar_t*,
                           wchar_t*, uint32_t flags, int) override {
    functions.push_back({fn, flags, text1 ? text1 : L""});
    return 0;
  }

  CWebLogin* login = nullptr;
  bool makeAgents = true;
  int brokerLoginResult = 1;
  int otherAccounts = 0;
  int requestedMarket = -1;
  std::vector<std::unique_ptr<FakeAgent>> agents;
  CStockAgentBase* primary = nullptr;
  std::vector<int> defaults;
  std::vector<int> accountIdx;
  bool overseasMode = false;
  stock_option_s options;
  CMarketSchedule schedule;
  sqlite3* db = nullptr;
  int masterEvents = 0;
  int stopLossApplied = 0;
  int refreshes = 0;
  std::vector<Popup> popups;
  std::wstring notice, label;
  std::vector<Notify> notifies;
  struct Function {
    int fn;
    uint32_t flags;
    std::wstring title;
  };
  std::vector<Function> functions;
};

class WebLoginTest : public testing::Test {
 protected:
  void SetUp() override {
    // The saved login is sealed under an installation secret kept in the config folder.
    ASSERT_TRUE(orv::support::SetCryptKeyCompany("WebLoginTest"));
    ASSERT_TRUE(web.Start());
    orv::test::WebServerUser user;
    user.userId = "a>>x";
    user.userIdx = 77;
    user.token = "tok123";
    user.webApiToken = 555;
    web.AddUser(user);
    web.SetServiceFields({{"co", "12"},
                          {"kor_stk_delay", "100"},
                          {"usa_stk_delay", "0"},
                          {"tax_rate", "0.18"},
                          {"fee_rate", "0"},
                          {"fee_rate2", "0.25"},
                          {"kospi_url", "\"http://k/list?a=1&amp;b=2\""},
                          {"kosdaq_url", "\"http://q/list\""},
                          {"search_app_keys", "\"naver=n1\\ngoogle=g-key\\nbing=b\""},
                          {"nick_name", "\"" + WebServerPeer::Base64("별명") + "\""},
                          {"level", "45"},
                          {"sms_remain", "9"}});

    snprintf(run.szWebApiBase, sizeof run.szWebApiBase, "%s", web.BaseUrl().c_str());
    run.nCompanyNo = 3;
    run.nGdp = 0;
    run.nDeployer = 4;
    snprintf(run.szBuild, sizeof run.szBuild, "1.0 beta 2");
    snprintf(run.szIp, sizeof run.szIp, "10.0.0.7");
    snprintf(run.szMac, sizeof run.szMac, "AA-BB");
    run.nMacId = 12345678901ull;
    run.nMacId2 = 2;
    wcscpy(run.szAppId, L"pelomar");
    wcscpy(run.szVersion, L"2.1");

    dbPath = testing::TempDir() + "/weblogin_" +
             testing::UnitTest::GetInstance()->current_test_info()->name() + ".db";
    std::filesystem::remove(dbPath);
    ASSERT_EQ(SQLITE_OK, sqlite3_open(dbPath.c_str(), &engine.db));
    engine.options.buy_fee_domestic = 0.015;
    login = std::make_unique<CWebLogin>(engine, run, info);
    engine.login = login.get();
  }
  void TearDown() override {
    sqlite3_close(engine.db);
    orv::support::SetCryptKeyCompany("");
  }

  int Login(const wchar_t* id = L"a>>x", int brokerId = 2, int marketKind = 1,
            uint32_t flags = 0x80) {
    outCode = 0;
    outText[0] = 0;
    return login->LoginUser(id, L"APPKEY", L"SECRET", nullptr, brokerId, marketKind, flags,
                            (flags & 0x80) ? 1 : 0, &outCode, outText);
  }

  orv::win::test::TempFolder configFolder;
  orv::win::test::EnvVar configHome{"XDG_CONFIG_HOME", configFolder.Path()};
  WebServerPeer web;
  app_run_setting_s run;
  login_info_s info;
  FakeEngine engine;
  std::unique_ptr<CWebLogin> login;
  std::string dbPath;
  int outCode = 0;
  wchar_t outText[251] = {};
};

std::vector<std::string> PartNames(const RecordedRequest& request) {
  std::vector<std::string> names;
  for (const auto& part : request.parts) names.push_back(part.name);
  return names;
}

std::string PartValue(const RecordedRequest& request, const char* name) {
  const auto* part = request.Part(name);
  return part ? part->content : "<absent>";
}

TEST_F(WebLoginTest, SuccessfulLoginStoresSettingsSavesTheLoginAndStartsTheEngine) {
  EXPECT_EQ(kLoginSucceeded, Login());

  // The service check's form, field by field in order.
  const auto checks = web.RequestsTo(WebServerPeer::kIdCheckPath);
  ASSERT_EQ(1u, checks.size());
  const RecordedRequest& check = checks[0];
  const std::vector<std::string> order = {
      "rsp", "b2b",   "co",  "gdp",   "deployer", "crc1", "crc2",   "crc3", "uchk",  "login_app",
      "svr", "acafe", "agc", "uid2",  "uname2",   "pwd4", "chk4",   "pwd5", "chk5",  "key",
      "tk",  "tkup",  "ip",  "build", "ptn_id",   "app",  "appver", "mac",  "macid", "macid2"};
  EXPECT_EQ(order, PartNames(check));
  EXPECT_EQ("VARQO-PC-AGENT-TOOL-by HTTP", check.Header("User-Agent"));
  const std::pair<const char*, std::string> values[] = {
      {"rsp", "json"},
      {"b2b", "stock"},
      {"co", "3"},
      {"deployer", "4"},
      {"uchk", "1"},
      {"login_app", "2"},
      {"svr", "0"},
      {"acafe", "1"},
      {"agc", "2"},
      {"uid2", "YT4+eA=="},
      {"uname2", "YT4+eA=="},
      {"chk4", "YT4+eA=="},
      {"chk5", "870f5db62e678053bf4390bfc57f21c4"},
      {"key", "f6e02efd44108ecfefe90ba81174e6d3"},
      {"tk", ""},
      {"tkup", "1"},
      {"ip", "10.0.0.7"},
      {"build", "1.0_beta_2"},
      {"app", "orvella.auto.dbstock.pc"},
      {"appver", "2.1"},
      {"mac", "AA-BB"},
      {"macid", "12345678901"}};
  for (const auto& [name, value] : values) EXPECT_EQ(value, PartValue(check, name)) << name;
  EXPECT_EQ(8u, PartValue(check, "crc1").size());
  EXPECT_EQ(9u, PartValue(check, "crc2").size());

  // Web-login state and the host's records.
  EXPECT_EQ(77, info.nUserIdx);
  EXPECT_EQ(12, info.nCompanyIdx);
  EXPECT_STREQ("tok123", info.szToken);
  EXPECT_EQ(45, info.byUserLevel);
  EXPECT_EQ(9, info.nSmsRemain);
  EXPECT_STREQ(L"별명", info.szNickName);
  EXPECT_EQ(77, run.nWebApiUserIdx);
  EXPECT_EQ(555, run.nWebApiToken);
  EXPECT_STREQ(L"a>>x", run.szWebApiUserId);
  // No key in the reply: the derived 32-digit key.
  EXPECT_EQ(32u, std::wcslen(run.szWebApiKey));
  EXPECT_EQ(Utf8ToWide(MakeDefaultWebApiKey(77, L"a>>x", 555)), run.szWebApiKey);
  EXPECT_STREQ("g-key", run.szSearchKey);
  EXPECT_EQ("http://k/list?a=1&b=2", GfxStockGetUrl(0));
  EXPECT_EQ("http://q/list", GfxStockGetUrl(1));

  // Fees and tax: a rate of 0 keeps the configured one; fractions follow the rates.
  EXPECT_DOUBLE_EQ(0.18, engine.options.tax_rate);
  EXPECT_DOUBLE_EQ(0.015, engine.options.buy_fee_domestic);
  EXPECT_DOUBLE_EQ(0.25, engine.options.sell_fee_domestic);
  EXPECT_DOUBLE_EQ(0.0018, login->m_settings.taxFraction);
  EXPECT_DOUBLE_EQ(0.00015, login->m_settings.feeFraction[0]);
  EXPECT_DOUBLE_EQ(0.0025, login->m_settings.feeFraction[1]);
  EXPECT_DOUBLE_EQ(0.18, info.dTaxRate);

  // The domestic session bounds move by the delay.
  EXPECT_EQ(1000, engine.schedule.Domestic(2));
  EXPECT_EQ(950, engine.schedule.Domestic(1));

  // The broker account fills the domestic slot.
  EXPECT_STREQ(L"a>>x", engine.options.domestic.account[0]);
  EXPECT_STREQ(L"a>>x", engine.options.domestic.name[0]);
  EXPECT_STREQ(L"APPKEY", engine.options.domestic.app_key[0]);
  EXPECT_EQ(2, engine.options.domestic.broker_id[0]);
  EXPECT_EQ(std::vector<int>{1}, engine.defaults);

  // The saved login.
  SavedLogin_s saved;
  ASSERT_EQ(1, GfxLoadSavedLogin(engine.db, 12, 2, L"a>>x", &saved));
  EXPECT_EQ(77, saved.userIdx);
  EXPECT_EQ(1, saved.autoLogin);
  EXPECT_EQ(0x80u, saved.loginFlags);
  EXPECT_EQ(1, saved.marketKind);
  EXPECT_EQ(L"APPKEY", saved.keyText);
  EXPECT_EQ(L"SECRET", saved.secretText);

  // The engine starts and the host's status pane shows the login.
  EXPECT_EQ(1, engine.masterEvents);
  EXPECT_EQ(1, login->m_loggedIn);
  EXPECT_EQ(1, login->m_autoTradeAllowed);
  ASSERT_FALSE(engine.notifies.empty());
  const Notify& status = engine.notifies.back();
  EXPECT_EQ(3, status.kind);
  EXPECT_EQ(7, status.code);
  EXPECT_EQ(1.0, status.val1);
  EXPECT_EQ(L"로그인 성공", status.text1);
  EXPECT_EQ(L"", status.text2);
  for (const Popup& popup : engine.popups) EXPECT_EQ(L"WAIT", popup.caption);
}

TEST_F(WebLoginTest, DelaysShiftTheBoundsOnceAcrossAccountsAndRepeatedLogins) {
  engine.otherAccounts = 2;
  EXPECT_EQ(kLoginSucceeded, Login());
  EXPECT_EQ((std::vector<int>{77, 77}), engine.accountIdx);
  EXPECT_EQ(1000, engine.schedule.Domestic(2));
  EXPECT_EQ(kLoginSucceeded, Login());
  EXPECT_EQ(1000, engine.schedule.Domestic(2));
  EXPECT_EQ(2330, engine.schedule.Overseas(0));

  // The account checks send the name first and no token update.
  const auto checks = web.RequestsTo(WebServerPeer::kIdCheckPath);
  ASSERT_EQ(6u, checks.size());
  const auto names = PartNames(checks[1]);
  ASSERT_GT(names.size(), 14u);
  EXPECT_EQ("uname2", names[13]);
  EXPECT_EQ("uid2", names[14]);
  EXPECT_EQ("0", PartValue(checks[1], "tkup"));
  EXPECT_EQ("tok123", PartValue(checks[1], "tk"));
  EXPECT_EQ("orvella.auto.kiwoom.pc", PartValue(checks[1], "app"));
}

TEST_F(WebLoginTest, NoPhoneNumberOpensTheMemberPage) {
  EXPECT_EQ(kLoginSucceeded, Login());
  const Notify* page = nullptr;
  for (const Notify& n : engine.notifies)
    if (n.kind == 16) page = &n;
  ASSERT_NE(nullptr, page);
  EXPECT_EQ(6, page->slot);
  EXPECT_EQ(L"회원 가입 및 정보변경", page->text1);
  const std::string expected =
      web.BaseUrl() +
      "/stock/user_regist?b2b=stock&rsp=html&co=12&agc=2&gdp=0&deployer=4&uidx=77"
      "&chk4=YT4%2BeA%3D%3D&chk5=870f5db62e678053bf4390bfc57f21c4&tk=tok123"
      "&uid2=YT4%2BeA%3D%3D&key=f6e02efd44108ecfefe90ba81174e6d3";
  EXPECT_EQ(std::wstring(expected.begin(), expected.end()), page->text2);
}

TEST_F(WebLoginTest, RefusedBrokerLoginReportsFailureAndForgetsStoredLogin) {
  engine.brokerLoginResult = 0;
  run.pCryptedLogin = static_cast<uint8_t*>(malloc(4));
  run.nCryptedLoginLen = 4;
  EXPECT_EQ(kLoginFailed, Login());
  EXPECT_EQ(40510, outCode);
  EXPECT_STREQ(L"앱키 인증 실패", outText);
  EXPECT_TRUE(web.RequestsTo(WebServerPeer::kIdCheckPath).empty());
  EXPECT_EQ(nullptr, run.pCryptedLogin);
  std::string stored = "x";
  EXPECT_EQ(1, GfxLoadCryptedDataFromDb(engine.db, 1, &stored, nullptr));
  EXPECT_EQ("", stored);
  EXPECT_EQ(0, engine.masterEvents);
  EXPECT_EQ(0, info.nUserIdx);
  ASSERT_FALSE(engine.notifies.empty());
  EXPECT_EQ(0.0, engine.notifies.back().val1);
  EXPECT_EQ(L"로그인 실패", engine.notifies.back().text1);
}

TEST_F(WebLoginTest, NoAgentReportsFailure) {
  engine.makeAgents = false;
  EXPECT_EQ(kLoginFailed, Login());
  EXPECT_EQ(-1, outCode);
  EXPECT_EQ(L"로그인 실패", engine.notifies.back().text1);
}

TEST_F(WebLoginTest, ServiceCheckWithoutAUserIndexShowsTheLoginErrorById) {
  // Refused with an index, refused without one, no answer at all: the engine does not start,
  // the host hears of the failure and the waiting popup names the id with the server's code.
  struct Case {
    const char* name;
    int err;            // -2: the server does not answer
    bool withIndex;
    uint32_t messageFlags;
    const wchar_t* text;
  } cases[] = {
      // First: no check has read a code yet.
      // No answer: the transfer's cause stands in the brackets.
      {"unanswered", -2, false, 7, L"코드: -1(Couldn't connect to server"},
      {"refused with index", 5, true, 7, L"코드: 5(blocked)\n(MAC주소는 홈페이지에서 수정해 주세요)\n"},
      {"refused", 9, false, 7, L"코드: 9(blocked)\n(MAC주소는 홈페이지에서 수정해 주세요)\n"},
      {"texts off", 5, true, 0, L""},
  };
  const std::string base = run.szWebApiBase;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    snprintf(run.szWebApiBase, sizeof run.szWebApiBase, "%s",
             c.err == -2 ? "http://127.0.0.1:1" : base.c_str());
    if (c.err != -2) web.SetRefusal(c.err, "blocked", c.withIndex);
    login->SetMessageFlags(c.messageFlags);
    engine.popups.clear();
    EXPECT_EQ(kLoginServiceCheckFailed, Login());
    EXPECT_EQ(0, info.nUserIdx);
    EXPECT_EQ(0, engine.masterEvents);
    EXPECT_EQ(0, login->m_loggedIn);
    EXPECT_EQ(L"로그인 실패", engine.notifies.back().text1);
    ASSERT_FALSE(engine.popups.empty());
    EXPECT_EQ(L"로그인 에러(ID:a>>x)", engine.popups.back().caption);
    if (c.err == -2)
      EXPECT_EQ(0u, engine.popups.back().text.find(c.text)) << WideToUtf8(engine.popups.back().text);
    else
      EXPECT_EQ(c.text, engine.popups.back().text);
  }
}

// The fixture's service fields with one key's value replaced (or added).
std::vector<std::pair<std::string, std::string>> FieldsWith(const std::string& key,
                                                            const std::string& value) {
  std::vector<std::pair<std::string, std::string>> fields = {
      {"co", "12"},      {"kor_stk_delay", "100"}, {"usa_stk_delay", "0"}, {"tax_rate", "0.18"},
      {"fee_rate", "0"}, {"fee_rate2", "0.25"},    {"level", "45"},        {"sms_remain", "9"}};
  bool replaced = false;
  for (auto& field : fields) {
    if (field.first == key) field.second = value, replaced = true;
  }
  if (!replaced) fields.emplace_back(key, value);
  return fields;
}

TEST_F(WebLoginTest, ServiceReplyWithANumberOutOfRangeIsABadReplyAndAppliesNothing) {
  const std::pair<const char*, const char*> bad[] = {
      {"co", "1e99"},
      {"co", "-1e300"},
      {"my_cafe", "\"1e99\""},
      {"my_cafe", "\"12abc\""},
      {"level", "300"},
      {"level", "-1"},
      {"sms_remain", "99999999999"},
      {"gpt_used", "\"1e999\""},
      {"kor_stk_delay", "99999999"},
      {"tax_rate", "1e99"},
      {"fee_rate2", "-300"},
      {"market_start", "\"99:99\""},
      {"market_end", "\"123456789012\""},
      {"nxt_market_start", "\"25:00:00\""},
  };
  for (const auto& [key, value] : bad) {
    SCOPED_TRACE(std::string(key) + "=" + value);
    web.SetServiceFields(FieldsWith(key, value));
    engine.popups.clear();
    const int taxBefore = static_cast<int>(engine.options.tax_rate * 1000);
    EXPECT_EQ(kLoginServiceCheckFailed, Login());
    EXPECT_EQ(0, info.nUserIdx);
    EXPECT_EQ(0, login->m_loggedIn);
    EXPECT_EQ(0, engine.schedule.DomesticDelay());
    EXPECT_EQ(taxBefore, static_cast<int>(engine.options.tax_rate * 1000));
    // The user sees the error naming the bad number.
    ASSERT_FALSE(engine.popups.empty());
    EXPECT_EQ(L"로그인 에러(ID:a>>x)", engine.popups.back().caption);
    const std::wstring& shown = engine.popups.back().text;
    EXPECT_EQ(0u, shown.find(L"코드: -1(Bad reply from the web server (stock/id_check3)")) << shown;
    EXPECT_NE(std::wstring::npos, shown.find(Utf8ToWide(std::string("\"") + key + "\":"))) << shown;
  }
}

TEST_F(WebLoginTest, ServiceReplyErrorCodeOutOfRangeIsNotAccepted) {
  for (const char* err : {"1e99", "-1e99", "4294967296", "\"0abc\""}) {
    SCOPED_TRACE(err);
    web.On("POST", WebServerPeer::kIdCheckPath, [err](const RecordedRequest&) {
      orv::test::PeerReply reply;
      reply.body = std::string("{\"err\":") + err + ",\"errmsg\":\"\",\"idx\":77,\"tk\":\"t\"}";
      return reply;
    });
    EXPECT_EQ(kLoginServiceCheckFailed, Login());
    EXPECT_EQ(0, info.nUserIdx);
    EXPECT_EQ(-1, login->m_lastErrorCode);
  }
}

TEST_F(WebLoginTest, MarketTimesTakeBothFormsAndTheirBounds) {
  web.SetServiceFields({{"market_start", "\"09:05\""},
                        {"market_end", "\"1530\""},
                        {"nxt_market_start", "\"080000\""},
                        {"nxt_market_end", "\"23:59:59\""},
                        {"market_delay_begin", "\"00:00\""}});
  EXPECT_EQ(kLoginSucceeded, Login());
  const int expected[5] = {90500, 153000, 80000, 235959, 0};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(expected[i], login->m_settings.marketTimes[i]) << i;
}

TEST_F(WebLoginTest, UnansweredServiceCheckShowsTheCheckingNotice) {
  snprintf(run.szWebApiBase, sizeof run.szWebApiBase, "http://127.0.0.1:1");
  login->SetPluginVersion(L"9.9");
  EXPECT_EQ(kLoginServiceCheckFailed, Login());
  EXPECT_EQ(0, login->m_httpStatus);
  EXPECT_EQ(0u, engine.notice.find(L"※인증 체크중(0.H:0/R7/A2)\r\nDLL-Version: 9.9/a>>x"));
  EXPECT_EQ(L"확인중(1)", engine.label);
}

TEST_F(WebLoginTest, ServiceCheckThroughAFailingTlsPeerNamesTheCauseInTheErrorBox) {
  const orv::test::TestCa trusted("Web Login Test CA");
  const std::string caFile = testing::TempDir() + "/web_login_ca.pem";
  ASSERT_TRUE(trusted.WriteCertificate(caFile));
  GfxSetHttpCaCertFile(caFile.c_str());
  for (const auto& c : orv::test::TlsFailureCases(trusted)) {
    SCOPED_TRACE(c.what);
    orv::test::HttpPeer tls(c.identity);
    ASSERT_TRUE(tls.Start());
    snprintf(run.szWebApiBase, sizeof run.szWebApiBase, "%s", tls.BaseUrl().c_str());
    engine.popups.clear();
    EXPECT_EQ(kLoginServiceCheckFailed, Login());
    ASSERT_FALSE(engine.popups.empty());
    EXPECT_NE(std::wstring::npos, engine.popups.back().text.find(Utf8ToWide(c.cause)))
        << WideToUtf8(engine.popups.back().text);
  }
  GfxSetHttpCaCertFile(nullptr);
}

TEST_F(WebLoginTest, ExchangeBrokersLogInAsCrypto) {
  struct Case {
    int brokerId, marketKind, expected;
  } cases[] = {{8, 1, 5}, {9, 2, 5}, {2, 5, 1}, {2, 2, 2}};
  for (const Case& c : cases) {
    engine.makeAgents = false;
    Login(L"a>>x", c.brokerId, c.marketKind);
    EXPECT_EQ(c.expected, engine.requestedMarket) << c.brokerId << "/" << c.marketKind;
  }
}

TEST_F(WebLoginTest, NotifyCallbackReactsToItsCodesOnly) {
  EXPECT_EQ(41, CWebLogin::LoginNotifyCallback(login.get(), 3000, 0, 0, nullptr, nullptr, nullptr,
                                               nullptr));
  EXPECT_EQ(0, CWebLogin::LoginNotifyCallback(login.get(), 0x200001, 0, 0, nullptr, nullptr,
                                              nullptr, nullptr));
  EXPECT_TRUE(engine.notifies.empty());
  EXPECT_EQ(0, CWebLogin::LoginNotifyCallback(login.get(), 0x200000, 0, 0, nullptr, nullptr,
                                              nullptr, nullptr));
  EXPECT_EQ(1, engine.refreshes);
  ASSERT_EQ(1u, engine.notifies.size());
  EXPECT_EQ(L"로그인 성공", engine.notifies[0].text1);
  EXPECT_EQ(
      0, CWebLogin::LoginNotifyCallback(nullptr, 3000, 0, 0, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(WebLoginTest, LoginCallbackPassesTheDialogsArguments) {
  int code = 0;
  wchar_t text[251] = {};
  EXPECT_EQ(kLoginSucceeded,
            CWebLogin::LoginCallback(login.get(), 0, L"a>>x", L"K", L"S", nullptr, nullptr, 2, 1,
                                     0x880, 0, 0, nullptr, &code, text));
  EXPECT_EQ(L"K", engine.agents.back()->m_loginKey);
  EXPECT_EQ(1, login->m_autoLogin);
  EXPECT_EQ(1, login->m_savePassword);
  EXPECT_EQ(0x880u, login->m_loginFlags);
}

TEST_F(WebLoginTest, LoginCommandOpensTheHostsDialog) {
  login->OnLoginCmd();
  login->OnLogoutCmd();
  ASSERT_EQ(2u, engine.functions.size());
  EXPECT_EQ(79, engine.functions[0].fn);
  EXPECT_EQ(0x4000u, engine.functions[0].flags);
  EXPECT_EQ(L"로그인", engine.functions[0].title);
  EXPECT_EQ(83, engine.functions[1].fn);
  EXPECT_EQ(L"로그아웃", engine.functions[1].title);
}

}  // namespace
