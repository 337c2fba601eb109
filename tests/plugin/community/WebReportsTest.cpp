// Reports to the loopback web server: each upload's form fields and files, the order report's
// 8,000-character parts, failed uploads, SMS replies, the cafe recommendation and the
// per-order report; the holdings-sync worker.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "platform/support/HttpForm.h"
#include "platform/win/MessageBox.h"
#include "plugin/community/HoldingsSyncWorker.h"
#include "tests/peers/HttpPeer.h"
#include "tests/peers/TestCa.h"
#include "tests/plugin/community/WebFixture.h"

namespace orv::test {
namespace {

const std::vector<std::string> kLoginFields = {"co",   "agc",  "uidx", "tk",
                                               "uid2", "chk4", "chk5", "key"};

std::vector<std::string> WithLogin(std::vector<std::string> rest) {
  std::vector<std::string> all = kLoginFields;
  all.insert(all.end(), rest.begin(), rest.end());
  return all;
}

PeerReply Json(const std::string& body, int status = 200) {
  PeerReply reply;
  reply.status = status;
  reply.body = body;
  return reply;
}

using WebReportsTest = WebFixture;

TEST_F(WebReportsTest, OrderReportSendsTheLinesWithLoginFieldsInOrder) {
  peer.Http().On("POST", "/stock/order_up3", Json("{\"err\":0,\"msg\":\"ok\"}"));
  CWebReports reports(web, engine);
  const std::wstring lines = L"삼성전자 매도 10주\n카카오 매도 3주";
  EXPECT_EQ(kUploadSent, reports.UploadMoneyLog(nullptr, lines, 2));

  const auto requests = To("/stock/order_up3");
  ASSERT_EQ(1u, requests.size());
  const RecordedRequest& r = requests[0];
  EXPECT_EQ(WithLogin({"rsp", "sector", "b2b", "op", "op_qry", "op_cnt"}), PartNames(r));
  EXPECT_EQ("77", PartValue(r, "uidx"));
  EXPECT_EQ("tk-77", PartValue(r, "tk"));
  EXPECT_EQ(web.m_identity.idBase64, PartValue(r, "uid2"));  // unescaped in forms
  EXPECT_EQ("json", PartValue(r, "rsp"));
  EXPECT_EQ("MONEY_LOG", PartValue(r, "sector"));
  EXPECT_EQ("stock", PartValue(r, "b2b"));
  EXPECT_EQ("1", PartValue(r, "op"));
  EXPECT_EQ(WideToUtf8(lines), PartValue(r, "op_qry"));
  EXPECT_EQ("2", PartValue(r, "op_cnt"));
  EXPECT_EQ(kWebAgentUserAgent, r.Header("User-Agent"));
}

TEST_F(WebReportsTest, OrderReportWithoutLinesSendsNothing) {
  peer.Http().On("POST", "/stock/order_up3", Json("{\"err\":0}"));
  CWebReports reports(web, engine);
  EXPECT_EQ(kUploadNothing, reports.UploadMoneyLog(nullptr, L"", 3));
  EXPECT_EQ(kUploadNothing, reports.UploadMoneyLog(nullptr, L"line", 0));
  EXPECT_EQ(kUploadNothing, reports.UploadMoneyLog(nullptr, L"\n\n", 2));
  EXPECT_TRUE(To("/stock/order_up3").empty());
}

// Lines over 8,000 characters go in several requests of at most 8,000 characters, whole lines
// each, and no line is lost.
TEST_F(WebReportsTest, OrderReportOverTheCapIsSentInPartsWithoutDroppingLines) {
  peer.Http().On("POST", "/stock/order_up3", Json("{\"err\":0}"));
  CWebReports reports(web, engine);
  std::wstring lines;
  std::vector<std::wstring> expected;
  for (int i = 0; i < 300; ++i) {
    std::wstring line = L"주문" + std::to_wstring(i) + L",";
    line.resize(39, L'가');
    expected.push_back(line);
    lines += (i ? L"\n" : L"") + line;
  }
  ASSERT_GT(lines.size(), kMoneyLogMaxChars);
  EXPECT_EQ(kUploadSent, reports.UploadMoneyLog(nullptr, lines, 300));

  const auto requests = To("/stock/order_up3");
  ASSERT_EQ(2u, requests.size());
  std::vector<std::wstring> received;
  int counted = 0;
  for (const RecordedRequest& r : requests) {
    const std::wstring text = Utf8ToWide(PartValue(r, "op_qry"));
    EXPECT_LE(text.size(), kMoneyLogMaxChars);
    int lineCount = 0;
    for (size_t at = 0; at <= text.size();) {
      size_t end = text.find(L'\n', at);
      if (end == std::wstring::npos) end = text.size();
      received.push_back(text.substr(at, end - at));
      ++lineCount;
      at = end + 1;
    }
    EXPECT_EQ(std::to_string(lineCount), PartValue(r, "op_cnt"));
    counted += lineCount;
  }
  EXPECT_EQ(300, counted);
  EXPECT_EQ(expected, received);
}

TEST(MoneyLogSplit, CutsOnlyLinesLongerThanThePart) {
  const std::wstring longLine(20000, L'x');
  const auto parts = SplitMoneyLog(L"a\n" + longLine + L"\nb");
  ASSERT_EQ(4u, parts.size());
  std::wstring joined;
  int lines = 0;
  for (const auto& part : parts) {
    EXPECT_LE(part.text.size(), kMoneyLogMaxChars);
    joined += part.text;
    lines += part.lines;
  }
  EXPECT_EQ(L"a" + longLine + L"\nb", joined);
  EXPECT_EQ(5, lines);
}

// A transfer error, a status other than 200, a reply without "err" or a refusal is a failed
// upload; the other parts are still sent.
TEST_F(WebReportsTest, FailedOrderReportIsReportedAsFailed) {
  struct Case {
    const char* name;
    PeerReply reply;
  } cases[] = {
      {"no err", Json("{\"msg\":\"ok\"}")},
      {"refused", Json("{\"err\":5,\"msg\":\"no\"}")},
      {"status 500", Json("{\"err\":0}", 500)},
      {"proxy page", Json("<html>gateway</html>")},
  };
  for (const Case& c : cases) {
    peer.Http().On("POST", "/stock/order_up3", c.reply);
    CWebReports reports(web, engine);
    EXPECT_EQ(kUploadFailed, reports.UploadMoneyLog(nullptr, L"x", 1)) << c.name;
  }

  // The first part fails, the second is still sent.
  std::atomic<int> calls{0};
  peer.Http().On("POST", "/stock/order_up3", [&calls](const RecordedRequest&) {
    return ++calls == 1 ? Json("{}") : Json("{\"err\":0}");
  });
  CWebReports reports(web, engine);
  EXPECT_EQ(kUploadFailed, reports.UploadMoneyLog(nullptr, std::wstring(9000, L'z'), 1));
  EXPECT_EQ(2, calls.load());

  // No server at all.
  peer.Stop();
  EXPECT_EQ(kUploadFailed, reports.UploadMoneyLog(nullptr, L"x", 1));
}

TEST_F(WebReportsTest, AiCommentUploadSendsTheStockAndTheAnalysis) {
  peer.Http().On("POST", "/stock/ai_cmt_up", Json("{\"err\":0,\"msg\":\"saved\"}"));
  CWebReports reports(web, engine);
  Stock_s* stock = engine.AddStock(L"005930", L"삼성전자", 70000);
  stock->nation = 1;
  snprintf(stock->nation_code, sizeof stock->nation_code, "KR");
  EXPECT_EQ(1, reports.UploadAiComment(nullptr, stock, L"매수 의견", "p1", "e1", "i1", "s1", 1, 120,
                                       4500));
  const auto requests = To("/stock/ai_cmt_up");
  ASSERT_EQ(1u, requests.size());
  const RecordedRequest& r = requests[0];
  EXPECT_EQ(WithLogin({"rsp", "b2b", "op", "analyze_msg", "nation_idx", "nation_code", "used_token",
                       "used_tk_total", "market", "code", "stock_name", "author_id", "price_data",
                       "envelope_data", "agc_fn_data", "short_sells", "short_sells_on"}),
            PartNames(r));
  EXPECT_EQ("매수 의견", PartValue(r, "analyze_msg"));
  EXPECT_EQ("KR", PartValue(r, "nation_code"));
  EXPECT_EQ("120", PartValue(r, "used_token"));
  EXPECT_EQ("4500", PartValue(r, "used_tk_total"));
  EXPECT_EQ("삼성전자", PartValue(r, "stock_name"));
  EXPECT_EQ("a+b>?", PartValue(r, "author_id"));
  EXPECT_EQ("i1", PartValue(r, "agc_fn_data"));
  EXPECT_EQ("1", PartValue(r, "short_sells_on"));

  // Nothing without a stock or a text; a reply without "err" is not an accepted upload.
  EXPECT_EQ(0, reports.UploadAiComment(nullptr, nullptr, L"x", "", "", "", "", 0, 0, 0));
  EXPECT_EQ(0, reports.UploadAiComment(nullptr, stock, L"", "", "", "", "", 0, 0, 0));
  EXPECT_EQ(1u, To("/stock/ai_cmt_up").size());
  peer.Http().On("POST", "/stock/ai_cmt_up", Json("{\"msg\":\"?\"}"));
  EXPECT_EQ(0, reports.UploadAiComment(nullptr, stock, L"x", "", "", "", "", 0, 0, 0));
}

TEST_F(WebReportsTest, SmsRepliesSetTheErrorCodeAndRemainingCount) {
  struct Case {
    const char* body;
    int result, err, remain;
    const wchar_t* badKey;  // the key a bad reply's logged error names, or null
  } cases[] = {
      {"{\"err\":\"0\",\"sms_remain\":\"12\"}", 1, 0, 12, nullptr},
      {"{\"err\":0,\"sms_remain\":7}", 1, 0, 7, nullptr},
      {"{\"sms_remain\":\"9\"}", 0, -1, 9, nullptr},
      {"{\"err\":\"0\"}", 1, 0, 0, nullptr},
      {"{\"err\":\"3\",\"sms_remain\":\"2\"}", 0, 3, 2, nullptr},
      // Numbers no int holds, or text where a number belongs, make the reply bad: not sent,
      // the remaining count kept, the error logged.
      {"{\"err\":1e99,\"sms_remain\":2}", 0, -1, 2, L"\"err\":1e99"},
      {"{\"err\":-1e300,\"sms_remain\":2}", 0, -1, 2, L"\"err\":-1e300"},
      {"{\"err\":\"0x\",\"sms_remain\":2}", 0, -1, 2, L"\"err\":0x"},
      {"{\"err\":0,\"sms_remain\":99999999999}", 0, 0, 55, L"\"sms_remain\":99999999999"},
      {"{\"err\":0,\"sms_remain\":\"1e999\"}", 0, 0, 55, L"\"sms_remain\":1e999"},
  };
  for (const auto& c : cases) {
    peer.Http().On("POST", "/sms/sms_send", Json(c.body));
    CWebReports reports(web, engine);
    web.m_smsRemain = 55;
    engine.log.clear();
    EXPECT_EQ(c.result, reports.SendSmsViaServer(nullptr, 0, L"안녕", 8)) << c.body;
    EXPECT_EQ(c.err, reports.m_smsErrorCode) << c.body;
    EXPECT_EQ(c.remain, web.m_smsRemain) << c.body;
    if (c.badKey) {
      ASSERT_EQ(1u, engine.log.size()) << c.body;
      EXPECT_EQ(0u, engine.log[0].find(L"Bad reply from the web server (sms/sms_send)"));
      EXPECT_NE(std::wstring::npos, engine.log[0].find(c.badKey)) << engine.log[0];
    } else {
      EXPECT_TRUE(engine.log.empty()) << c.body;
    }
    EXPECT_EQ(L"※SMS:" + std::to_wstring(c.remain) + L"건 @T:01012345678", engine.notice);
  }
  const RecordedRequest r = To("/sms/sms_send").back();
  EXPECT_EQ(
      (std::vector<std::string>{"rsp", "b2b", "gdp", "deployer", "apk", "co", "agc", "uidx", "tk",
                                "uid2", "chk4", "chk5", "key", "to", "tox", "cafe", "msg"}),
      PartNames(r));
  EXPECT_EQ("01012345678", PartValue(r, "to"));
  EXPECT_EQ("77", PartValue(r, "tox"));
  EXPECT_EQ("8", PartValue(r, "cafe"));
  EXPECT_EQ("안녕", PartValue(r, "msg"));
  EXPECT_EQ("orvella.app", PartValue(r, "apk"));
}

TEST_F(WebReportsTest, FailedTlsNamesItsCauseInTheLog) {
  const TestCa trusted("Web Test CA");
  const std::string caFile = testing::TempDir() + "/web_reports_ca.pem";
  ASSERT_TRUE(trusted.WriteCertificate(caFile));
  GfxSetHttpCaCertFile(caFile.c_str());
  for (const auto& c : TlsFailureCases(trusted)) {
    SCOPED_TRACE(c.what);
    HttpPeer tls(c.identity);
    ASSERT_TRUE(tls.Start());
    snprintf(run.szWebApiBase, sizeof run.szWebApiBase, "%s", tls.BaseUrl().c_str());
    engine.log.clear();
    CWebReports reports(web, engine);
    EXPECT_EQ(0, reports.SendSmsViaServer(nullptr, 0, L"hi", 1));
    ASSERT_EQ(1u, engine.log.size());
    const std::string logged = WideToUtf8(engine.log[0]);
    EXPECT_EQ(0u, logged.find("Web server request failed (sms/sms_send): ")) << logged;
    EXPECT_NE(std::string::npos, logged.find(c.cause)) << logged;
  }
  GfxSetHttpCaCertFile(nullptr);
}

TEST_F(WebReportsTest, SmsWithoutMessageOrReplyLeavesTheCounts) {
  CWebReports reports(web, engine);
  web.m_smsRemain = 4;
  EXPECT_EQ(0, reports.SendSmsViaServer(nullptr, 0, L"", 1));
  EXPECT_TRUE(To("/sms/sms_send").empty());
  peer.Stop();
  EXPECT_EQ(0, reports.SendSmsViaServer(nullptr, 0, L"hi", 1));
  EXPECT_EQ(4, web.m_smsRemain);
  EXPECT_EQ(-1, reports.m_smsErrorCode);

  web.m_phone.clear();
  reports.ShowSmsRemainText();
  EXPECT_EQ(L"※SMS:4건 *전화없음*(가입필요)", engine.notice);
}

class ConditionUploadTest : public WebFixture {
 protected:
  void SetUp() override {
    WebFixture::SetUp();
    dir = std::filesystem::temp_directory_path() /
          ("orv-cond-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           std::to_string(reinterpret_cast<uintptr_t>(this)));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "shot.png", std::ios::binary) << std::string("\x89PNG\0\1", 6);
    std::ofstream(dir / "result.csv") << "code,rate\n005930,1.5\n";
    record.title = L"조건 결과";
    record.contents = L"본문";
    record.dataFile = (dir / "result.csv").string();
    record.imageFile = (dir / "shot.png").string();
    record.filePassword = "pw";
    record.resultType = 2;
    record.nth = 3;
    record.fileCount = 1;
    record.profitRate = 1.5;
    record.minProfitRate = -0.25;
    record.maxProfitRate = 4;
    record.conditionNames = L"골든크로스";
    record.conditionIdx[0] = 10;
    record.conditionName[0] = L"골든크로스";
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  std::filesystem::path dir;
  ConditionProfitRecord_s record;
};

TEST_F(ConditionUploadTest, SendsFieldsAndFilesAndAnswersErr) {
  peer.Http().On("POST", "/stock/user_eq_pr_up",
                 Json("{\"idx\":\"31\",\"err\":\"0\",\"msg\":\"ok\"}"));
  CWebReports reports(web, engine);
  EXPECT_EQ(0, reports.UploadConditionProfitRecord(nullptr, record));
  EXPECT_EQ(31, reports.m_lastUploadIdx);
  const RecordedRequest r = To("/stock/user_eq_pr_up").at(0);
  EXPECT_EQ(WithLogin({"op",
                       "eq_idx",
                       "eq_name",
                       "eq2_idx",
                       "eq2_name",
                       "eq3_idx",
                       "eq3_name",
                       "file_pwd",
                       "valid",
                       "pr_type",
                       "nth",
                       "f_cnt",
                       "tit",
                       "cts",
                       "eq_names",
                       "profit_rate",
                       "profit_rate_min",
                       "profit_rate_max",
                       "imgfile",
                       "datafile"}),
            PartNames(r));
  EXPECT_EQ("1.500000", PartValue(r, "profit_rate"));
  EXPECT_EQ("-0.250000", PartValue(r, "profit_rate_min"));
  EXPECT_EQ("10", PartValue(r, "eq_idx"));
  EXPECT_EQ("골든크로스", PartValue(r, "eq_name"));
  EXPECT_EQ("", PartValue(r, "eq2_name"));
  EXPECT_EQ(std::string("\x89PNG\0\1", 6), PartValue(r, "imgfile"));
  EXPECT_EQ("shot.png", r.Part("imgfile")->filename);
  EXPECT_EQ("code,rate\n005930,1.5\n", PartValue(r, "datafile"));
  EXPECT_EQ("result.csv", r.Part("datafile")->filename);
}

TEST_F(ConditionUploadTest, ResultsWithoutImageRefusalsAndMissingFiles) {
  CWebReports reports(web, engine);
  peer.Http().On("POST", "/stock/user_eq_pr_up", Json("{\"err\":\"7\",\"msg\":\"dup\"}"));
  record.imageFile.clear();
  EXPECT_EQ(7, reports.UploadConditionProfitRecord(nullptr, record));
  EXPECT_EQ(nullptr, To("/stock/user_eq_pr_up").at(0).Part("imgfile"));
  EXPECT_EQ(L"dup", reports.m_lastUploadMsg);

  peer.Http().On("POST", "/stock/user_eq_pr_up", Json("{\"idx\":\"2\"}"));
  EXPECT_EQ(-1, reports.UploadConditionProfitRecord(nullptr, record));

  record.dataFile = (dir / "missing.csv").string();
  EXPECT_EQ(kUploadBadFile, reports.UploadConditionProfitRecord(nullptr, record));
  EXPECT_EQ(2u, To("/stock/user_eq_pr_up").size());

  peer.Stop();
  record.dataFile.clear();
  EXPECT_EQ(-1, reports.UploadConditionProfitRecord(nullptr, record));
}

TEST(CafeRecommendPrices, CutToIntegers) {
  const CafeRecommendPrices_s prices = MakeCafeRecommendPrices(10005);
  EXPECT_EQ(10005, prices.buyPrice);
  EXPECT_EQ(11005, prices.targetPrice);
  EXPECT_EQ(9004, prices.cutPrice);
}

TEST_F(WebReportsTest, CafeRecommendationPagesCarryTheirQueries) {
  CWebReports reports(web, engine);
  Stock_s* stock = engine.AddStock(L"005930", L"삼성전자", 10005);
  EXPECT_EQ(-1, reports.RecommendStockToCafe(nullptr, nullptr, 1, 2, 1, 0, nullptr, 0));
  EXPECT_EQ(-1, reports.RecommendStockToCafe(nullptr, stock, 4, 9, 1, 0, nullptr, 0));
  EXPECT_EQ(-1, reports.RecommendStockToCafe(nullptr, stock, 4, 9, 2, 0, nullptr, 0));
  ASSERT_EQ(2u, engine.notifies.size());

  const HostNotify& buy = engine.notifies[0];
  EXPECT_EQ(16, buy.kind);
  EXPECT_EQ(23, buy.slot);
  EXPECT_EQ(L"매수 추천 합니다", buy.text1);
  const std::string buyUrl = WideToUtf8(buy.text2);
  EXPECT_EQ(0u, buyUrl.find(peer.BaseUrl() + "/stock/cafe_rec_list?"));
  EXPECT_EQ((std::vector<std::string>{"b2b", "rsp", "cafe", "rec", "op", "opcmd", "buy_or_sell",
                                      "code", "co", "agc", "gdp", "deployer", "uidx", "tk",
                                      "buy_price", "target_price", "cut_price", "uid2", "name2"}),
            QueryKeys(buyUrl));
  EXPECT_EQ("11005", QueryValue(buyUrl, "target_price"));
  EXPECT_EQ("9004", QueryValue(buyUrl, "cut_price"));
  EXPECT_EQ(WideToUtf8(web.m_identity.escapedId), QueryValue(buyUrl, "uid2"));
  EXPECT_EQ(EscapeBase64ForQuery(WebServerPeer::Base64("삼성전자")), QueryValue(buyUrl, "name2"));

  const HostNotify& sell = engine.notifies[1];
  EXPECT_EQ(24, sell.slot);
  EXPECT_EQ(L"매도 추천", sell.text1);
  EXPECT_EQ((std::vector<std::string>{"b2b", "rsp", "cafe", "rec", "op", "opcmd", "buy_or_sell",
                                      "code", "co", "uidx", "agc", "gdp", "deployer", "tk",
                                      "buy_price", "target_price", "cut_price", "uid2", "name2"}),
            QueryKeys(WideToUtf8(sell.text2)));
  EXPECT_TRUE(To("/stock/cafe_rec_up").empty());
}

TEST_F(WebReportsTest, SellSignalAsksFirstAndReportsTheServersAnswer) {
  CWebReports reports(web, engine);
  Stock_s* stock = engine.AddStock(L"005930", L"삼성전자", 10005);
  std::wstring message;

  orv::win::ScriptMessageBoxes({IDNO});
  EXPECT_EQ(-1, reports.RecommendStockToCafe(nullptr, stock, 4, 9, 2, -2.5, &message, 1));
  auto asked = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(1u, asked.size());
  EXPECT_EQ("NOTIFICATION", asked[0].caption);
  EXPECT_EQ(MB_YESNO | MB_ICONWARNING, asked[0].type);
  EXPECT_EQ(
      "삼성전자(005930)종목을\n현재가(10005원)(-2.50% 손해)으로 매도(손절) 사인을 보낼까요?\n"
      "---------------\n***손절입니다. 주의해 주세요***\n손절 기준가 : 10005\n손해율 : -2.50% \n"
      "---------------\n회원들에게 10초 이내에 자동 전달됩니다. ",
      asked[0].text);
  EXPECT_TRUE(To("/stock/cafe_rec_up").empty());

  struct Case {
    const char* body;
    int result;
    const wchar_t* message;
  } cases[] = {
      {"{\"err\":0,\"msg\":\"sent\"}", 1, L"코드 : 0(sent)"},
      {"{\"err\":4,\"msg\":\"closed\"}", 0, L"코드 : 4(closed)"},
      {"{\"msg\":\"odd\"}", 0, L"코드 : -1(odd)"},
  };
  for (const auto& c : cases) {
    peer.Http().On("GET", "/stock/cafe_rec_up", Json(c.body));
    orv::win::ScriptMessageBoxes({IDYES});
    EXPECT_EQ(c.result, reports.RecommendStockToCafe(nullptr, stock, 4, 9, 2, 3.25, &message, 1));
    EXPECT_EQ(c.message, message);
    EXPECT_EQ("QUESTION", orv::win::ScriptedMessageBoxCalls().at(0).caption);
  }
  const RecordedRequest r = To("/stock/cafe_rec_up").back();
  EXPECT_EQ((std::vector<std::string>{"b2b", "rsp", "cafe", "rec", "op", "buy_or_sell", "code",
                                      "co", "agc", "gdp", "deployer", "uidx", "tk", "profit_rate",
                                      "sell_price", "uid2", "name2"}),
            QueryKeys("?" + r.query));
  EXPECT_EQ("3.250000", r.Param("profit_rate"));
  EXPECT_EQ("10005", r.Param("sell_price"));

  peer.Stop();
  orv::win::ScriptMessageBoxes({IDYES});
  EXPECT_EQ(-1, reports.RecommendStockToCafe(nullptr, stock, 4, 9, 2, 3.25, &message, 1));
  EXPECT_EQ(L"서버 접속시 에러 발생했습니다.(코드 : 0)", message);
  orv::win::StopScriptingMessageBoxes();
}

TEST_F(WebReportsTest, PerOrderReportQueryAndInsert) {
  peer.Http().On("GET", "/stock/order_up2", Json("{\"err\":0}"));
  CWebReports reports(web, engine);
  Stock_s* stock = engine.AddStock(L"AAPL", L"애플", 190, 'D');
  snprintf(stock->nation_code, sizeof stock->nation_code, "US");
  TradeOrderReport_s order;
  order.orderKind = 2;
  order.stock = stock;
  order.code = L"AAPL";
  order.orderQty = 3;
  order.orderPrice = 195;
  order.avgBuyPrice = 180;
  order.conditionName = L"조건1";
  order.insert = 1;
  EXPECT_EQ(0, reports.UploadTradeOrder(nullptr, order));
  const RecordedRequest r = To("/stock/order_up2").at(0);
  const std::vector<std::string> keys = QueryKeys("?" + r.query);
  const std::vector<std::string> expected = {
      "b2b",           "rsp",          "loan",        "agc",           "gdp",
      "deployer",      "svr",          "nth",         "recv",          "tk",
      "simul",         "auto",         "macid",       "macid2",        "market",
      "nation",        "exg_mkt",      "code",        "symbol",        "code_suffix",
      "trxnum",        "sell_cnt",     "buy_cnt",     "total_cnt",     "invest_money",
      "invest_money2", "sell_price",   "buy_price",   "buy_price_avg", "uidx",
      "uid2",          "profit_money", "profit_rate", "cut_rate",      "losscut",
      "min_rate",      "rate_gap",     "ext_gap",     "err",           "eqx",
      "allsell",       "allsell_h",    "allsell_m",   "cafe",          "cafe_rec",
      "cafe_admin",    "qty_factor",   "slope_rate0", "slope_rate",    "eq"};
  EXPECT_EQ(expected, keys);
  EXPECT_EQ("D", r.Param("market"));
  EXPECT_EQ("US", r.Param("nation"));
  EXPECT_EQ(".K", r.Param("code_suffix"));
  EXPECT_EQ("3.00000000", r.Param("sell_cnt"));
  EXPECT_EQ("0.00000000", r.Param("buy_cnt"));
  EXPECT_EQ("195.00000000", r.Param("sell_price"));
  EXPECT_EQ("180.000000", r.Param("buy_price"));
  EXPECT_EQ("0.700000", r.Param("rate_gap"));
  EXPECT_EQ("15", r.Param("allsell_h"));
  EXPECT_EQ(std::vector<std::wstring>{L"AAPL"}, engine.inserted);
  EXPECT_TRUE(engine.log.empty());

  // An order the table refuses is reported, never passed off as recorded.
  engine.insertResult = -1;
  EXPECT_EQ(-1, reports.UploadTradeOrder(nullptr, order));
  ASSERT_EQ(1u, engine.log.size());
  EXPECT_EQ(L"주문이 주문 DB(data.db)에 기록되지 않았습니다: AAPL", engine.log[0]);
}

TEST(HoldingsSyncWorker, RunsAStepPerSyncEventAndEndsOnStop) {
  orv::win::CEvent stop;
  std::atomic<bool> running{true};
  std::mutex mutex;
  std::vector<std::wstring> log;
  CHoldingsSyncWorker worker(stop, running, [&](const wchar_t* text) {
    std::lock_guard<std::mutex> lock(mutex);
    log.push_back(text);
  });
  ASSERT_TRUE(worker.Start());
  EXPECT_FALSE(worker.Start());
  worker.SyncEvent().Set();
  for (int i = 0; i < 500 && worker.StepCount() < 1; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  EXPECT_EQ(1, worker.StepCount());
  stop.Set();
  worker.SyncEvent().Set();  // the stop event wins
  EXPECT_TRUE(worker.Join(5000));
  EXPECT_EQ(1, worker.StepCount());
  std::lock_guard<std::mutex> lock(mutex);
  EXPECT_EQ(std::vector<std::wstring>{L"▶ 내 보유 종목 서버 동기화...\n"}, log);
}

TEST(HoldingsSyncWorker, ClearedRunFlagEndsTheLoop) {
  orv::win::CEvent stop;
  std::atomic<bool> running{false};
  CHoldingsSyncWorker worker(stop, running, nullptr);
  ASSERT_TRUE(worker.Start());
  EXPECT_TRUE(worker.Join(5000));
  EXPECT_EQ(0, worker.StepCount());
}

}  // namespace
}  // namespace orv::test
