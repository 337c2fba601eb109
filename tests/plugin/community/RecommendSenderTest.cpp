// Sending a recommendation at the loopback web server: the upload form and what its replies
// mean, the SMS chunks of the recipients (only confirmed sends count), the profit check's form
// and codes, the cafe join, and the SMS service's token request over verified TLS.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/support/HttpForm.h"
#include "plugin/community/RecommendSender.h"
#include "tests/peers/TestCa.h"
#include "tests/plugin/community/WebFixture.h"

namespace orv::test {
namespace {

class RecommendSenderTest : public WebFixture {
 protected:
  void SetUp() override {
    WebFixture::SetUp();
    WebServerUser user;
    user.userId = "a+b>?";
    user.userIdx = 77;
    user.token = "tk-77";
    peer.AddUser(user);
    WebServerCafe cafe;
    cafe.idx = 8;
    cafe.title = "테스트 카페";
    cafe.managerIdx = 77;
    cafe.phones = {"01011112222", "01033334444", "01055556666"};
    peer.ServeCafes({cafe});
    peer.ServeRecommendations();
    ctx.run = &run;
    ctx.login = &login;
  }

  RecUpload_s Upload(int kind) {
    RecUpload_s u;
    u.recTime.wYear = 2025;
    u.recTime.wMonth = 3;
    u.recTime.wDay = 7;
    u.cafe = 8;
    u.smsSend = 1;
    u.title = L"제목";
    u.message = L"짧은 메시지";
    u.authorIndex = 77;
    u.authorName = L"홍길동";
    u.nationCode = "KR";
    u.code = L"005930";
    u.market = '1';
    u.name = L"삼성전자";
    u.kind = kind;
    u.freeFlag = 0;
    u.rebuy = 1;
    u.strong = 1;
    u.weight = 20;
    u.days = 45;
    u.comment = L"실적 개선";
    u.bandLow = 67900;
    u.bandHigh = 72100;
    u.curPrice = 70000;
    u.target1 = 73500;
    u.stopPrice = 63000;
    u.minProfitRate = 5;
    u.lossCutRate = -10;
    u.sellRate = 70;
    return u;
  }

  RecWebContext_s ctx;
};

const std::vector<std::string> kLoginFields = {"rsp",  "b2b",  "gdp",  "deployer", "apk",
                                               "co",   "agc",  "uidx", "tk",       "uid2",
                                               "chk4", "chk5", "key"};

std::vector<std::string> With(std::vector<std::string> head, const std::vector<std::string>& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

TEST_F(RecommendSenderTest, TheUploadCarriesTheRecommendationAndReadsTheRecipients) {
  RecUploadReply_s reply;
  EXPECT_EQ(PostRecommendation(nullptr, ctx, Upload(1), &reply), 0);
  const auto sent = To("/stock/cafe_rec_items_up");
  ASSERT_EQ(sent.size(), 1u);
  const RecordedRequest& r = sent[0];
  const std::vector<std::string> common = {"to",          "rec_time",   "cafe",       "pc_sms_send",
                                           "tit",         "msg",        "author_idx", "author_name",
                                           "nation_code", "stock_code", "stock_mkt",  "stock_name",
                                           "buy_or_sell", "free"};
  EXPECT_EQ(PartNames(r), With(With(kLoginFields, common),
                               {"buy_on", "buy_more", "strong_buy_on", "buy_rate", "invest_term",
                                "buy_msg", "buy_price", "buy_price2", "buy_price_cur",
                                "target_price", "cut_price", "min_profit_rate", "losscut_rate"}));
  EXPECT_EQ(PartValue(r, "rsp"), "json");
  EXPECT_EQ(PartValue(r, "to"), "*cafe*");
  EXPECT_EQ(PartValue(r, "rec_time"), "2025-03-07 00:00:00");
  EXPECT_EQ(PartValue(r, "tit"), "제목");
  EXPECT_EQ(PartValue(r, "author_name"), "홍길동");
  EXPECT_EQ(PartValue(r, "stock_mkt"), "1");
  EXPECT_EQ(PartValue(r, "buy_or_sell"), "1");
  EXPECT_EQ(PartValue(r, "free"), "0");
  EXPECT_EQ(PartValue(r, "buy_msg"), "실적 개선");
  EXPECT_EQ(std::atof(PartValue(r, "buy_price2").c_str()), 72100);
  EXPECT_EQ(std::atof(PartValue(r, "losscut_rate").c_str()), -10);
  // The server took it and names three recipients.
  EXPECT_TRUE(RecUploadAccepted(reply));
  EXPECT_EQ(reply.idx, 1);
  EXPECT_EQ(reply.smsOk, 3);
  EXPECT_EQ(reply.smsReq, 3);
  EXPECT_TRUE(reply.hasTels);
  EXPECT_EQ(reply.tels, "01011112222;01033334444;01055556666;");

  // Any other kind sends the sell fields instead.
  ASSERT_EQ(PostRecommendation(nullptr, ctx, Upload(7), &reply), 0);
  const RecordedRequest hold = To("/stock/cafe_rec_items_up").back();
  EXPECT_EQ(PartNames(hold),
            With(With(kLoginFields, common),
                 {"sell_on", "strong_sell_on", "sell_price", "sell_msg", "sell_rate"}));
  EXPECT_EQ(PartValue(hold, "sell_rate"), "70");
  EXPECT_EQ(PartValue(hold, "buy_or_sell"), "7");
  EXPECT_EQ(reply.idx, 2);
}

TEST_F(RecommendSenderTest, OnlyAnUploadWithAnIndexAndNoErrorIsAccepted) {
  const struct {
    const char* what;
    int status;
    const char* body;
    bool accepted;
  } cases[] = {
      {"idx and err 0", 200, R"({"err":0,"idx":9,"sms_ok_cnt":0,"sms_req_cnt":4})", true},
      {"idx 0 with err 0", 200, R"({"err":0,"idx":0})", false},
      {"an error", 200, R"({"err":5,"idx":9})", false},
      {"no err", 200, R"({"idx":9})", false},
      {"a server fault", 500, R"({"err":0,"idx":9})", false},
      {"not json", 200, "<html>gateway</html>", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PeerReply answer;
    answer.status = c.status;
    answer.body = c.body;
    peer.Http().On("POST", "/stock/cafe_rec_items_up", answer);
    RecUploadReply_s reply;
    PostRecommendation(nullptr, ctx, Upload(1), &reply);
    EXPECT_EQ(RecUploadAccepted(reply), c.accepted);
    EXPECT_EQ(reply.httpStatus, c.status);
  }
  RecUploadReply_s reply;
  reply.err = 0;
  reply.idx = 0;
  reply.httpStatus = 200;
  reply.postResult = 0;
  reply.length = 11;
  reply.smsReq = 4;
  EXPECT_EQ(
      WideToUtf8(RecUploadFailureText(L"매수", reply)),
      "매수 추천하지 못했습니다.\n----\n에러 : 0(D0/H200/R0/L11)\n송신성공 : 0 (고객수 : 4명)");
  reply.smsOk = 4;
  EXPECT_EQ(WideToUtf8(RecUploadSuccessText(L"매도", reply, true)),
            "종목 매도 추천을 했으며, 잠시 기다려 주세요.\n문자를 송신중입니다.\n문자 송신 : "
            "4명(고객수 : 4명)\n(추천 메시지는 클립보드에 복사 되었습니다)");
}

TEST(SmsRecipients, HandsOutTenNumbersAChunk) {
  std::string list;
  for (int i = 1; i <= 25; ++i) list += "0100000" + std::to_string(1000 + i) + ";";
  CSmsRecipients recipients;
  recipients.Reset(list);
  std::vector<int> counts;
  std::string chunk, joined;
  int count = 0;
  while (recipients.Next(&chunk, &count)) {
    counts.push_back(count);
    joined += chunk;
  }
  EXPECT_EQ(counts, (std::vector<int>{10, 10, 5}));
  EXPECT_EQ(joined, list);
  // A last number without its separator travels with the chunk before it, uncounted.
  recipients.Reset("01011112222;01033334444");
  ASSERT_TRUE(recipients.Next(&chunk, &count));
  EXPECT_EQ(chunk, "01011112222;01033334444");
  EXPECT_EQ(count, 1);
  EXPECT_FALSE(recipients.Next(&chunk, &count));
  recipients.Reset("");
  EXPECT_TRUE(recipients.Done());
}

TEST_F(RecommendSenderTest, AChunkCountsWhatTheServerConfirmed) {
  RecSmsChunk_s chunk;
  chunk.numbers = "01011112222;01033334444;";
  chunk.count = 2;
  chunk.message = L"짧은 메시지";
  chunk.recIndex = 31;
  chunk.cafe = 8;
  chunk.kind = 2;
  CURL* curl = curl_easy_init();
  EXPECT_EQ(SendSmsChunk(curl, ctx, chunk, "0212345678"), 2);
  const auto sent = To("/stock/cafe_rec_sms_send");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(PartNames(sent[0]), With(kLoginFields, {"recv_tels", "msg", "rec", "cafe",
                                                    "buy_or_sell", "recv_tels_cnt"}));
  EXPECT_EQ(PartValue(sent[0], "recv_tels"), "01011112222;01033334444;");
  EXPECT_EQ(PartValue(sent[0], "rec"), "31");
  EXPECT_EQ(PartValue(sent[0], "buy_or_sell"), "2");
  EXPECT_EQ(PartValue(sent[0], "recv_tels_cnt"), "2");
  // The handle is used again for the next chunk.
  EXPECT_EQ(SendSmsChunk(curl, ctx, chunk, "0212345678"), 2);
  curl_easy_cleanup(curl);

  // A failed post, a refusal or a reply without a count sends nobody.
  for (const PeerReply& answer : {PeerReply{500, R"({"sms_ok_cnt":2})"},
                                  PeerReply{200, R"({"err":-1})"}, PeerReply{200, "cut"}}) {
    peer.Http().On("POST", "/stock/cafe_rec_sms_send", answer);
    EXPECT_EQ(SendSmsChunk(nullptr, ctx, chunk, "0212345678"), 0) << answer.body;
  }
  // Without a sender number or a recommendation number nothing goes out.
  const size_t before = To("/stock/cafe_rec_sms_send").size();
  EXPECT_EQ(SendSmsChunk(nullptr, ctx, chunk, ""), 0);
  chunk.recIndex = 0;
  EXPECT_EQ(SendSmsChunk(nullptr, ctx, chunk, "0212345678"), 0);
  EXPECT_EQ(To("/stock/cafe_rec_sms_send").size(), before);
}

TEST_F(RecommendSenderTest, TheProfitCheckSendsThePricedStocksByTheirPlace) {
  const std::vector<RecProfitItem_s> items = {
      {L"005930", 0, 0}, {L"000660", 120000, 12.5}, {L"035420", 0, 0}};
  EXPECT_EQ(RecProfitCheckPrecondition(true, 8, items), 0);
  int checked = 0;
  SYSTEMTIME date{};
  date.wYear = 2025;
  date.wMonth = 3;
  date.wDay = 7;
  EXPECT_EQ(PostProfitCheck(nullptr, ctx, date, 8, 0, items, &checked), 0);
  EXPECT_EQ(checked, 1);
  const RecordedRequest r = To("/stock/cafe_rec_items_up").back();
  EXPECT_EQ(PartNames(r),
            With(kLoginFields, {"to", "rec_time", "cafe", "pc_sms_send", "buy_or_sell", "op",
                                "item_cnt", "code_2", "profit_2", "price_2"}));
  EXPECT_EQ(PartValue(r, "buy_or_sell"), "11");
  EXPECT_EQ(PartValue(r, "op"), "7");
  EXPECT_EQ(PartValue(r, "item_cnt"), "3");
  EXPECT_EQ(PartValue(r, "code_2"), "000660");
  EXPECT_EQ(std::atof(PartValue(r, "profit_2").c_str()), 12.5);
  EXPECT_EQ(std::atof(PartValue(r, "price_2").c_str()), 120000);

  // Who may check, and with what.
  EXPECT_EQ(RecProfitCheckPrecondition(false, 8, items), kProfitCheckNoAccess);
  EXPECT_EQ(RecProfitCheckPrecondition(true, 0, items), kProfitCheckNoAccess);
  EXPECT_EQ(RecProfitCheckPrecondition(true, 8, {}), kProfitCheckNoAccess);
  EXPECT_EQ(RecProfitCheckPrecondition(true, 8, {{L"005930", 0, 0}}), kProfitCheckNoPrices);

  // The codes of the replies.
  const struct {
    int status;
    const char* body;
    int code;
  } replies[] = {{200, R"({"err":0,"check_cnt":1})", 0},
                 {200, R"({"err":9})", 9},
                 {200, R"({"check_cnt":1})", kProfitCheckNoErr},
                 {404, "missing", 404}};
  for (const auto& c : replies) {
    peer.Http().On("POST", "/stock/cafe_rec_items_up", PeerReply{c.status, c.body});
    EXPECT_EQ(PostProfitCheck(nullptr, ctx, date, 8, 0, items, &checked), c.code) << c.body;
  }
  EXPECT_EQ(ReadProfitCheckReply(nullptr, 0, &checked), kProfitCheckNoReply);
  EXPECT_EQ(ReadProfitCheckReply("{}", 0, &checked), kProfitCheckNoStatus);
  peer.Stop();
  EXPECT_EQ(PostProfitCheck(nullptr, ctx, date, 8, 0, items, &checked), kProfitCheckNoReply);
}

TEST_F(RecommendSenderTest, JoiningACafeAsksTheServerWithTheUsersToken) {
  std::string message;
  EXPECT_EQ(RequestCafeJoin(nullptr, ctx, 8, &message), 0);
  EXPECT_EQ(message, "requested");
  const auto sent = To("/stock/cafe_join_up");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].method, "GET");
  EXPECT_EQ(sent[0].Param("opcmd"), "list");
  EXPECT_EQ(sent[0].Param("num"), "8");
  EXPECT_EQ(sent[0].Param("tk"), "tk-77");
  EXPECT_EQ(sent[0].Param("rsp"), "json");
  // Refused, and unanswered.
  snprintf(login.szToken, sizeof login.szToken, "other");
  EXPECT_EQ(RequestCafeJoin(nullptr, ctx, 8, &message), -1);
  EXPECT_EQ(message, "login required");
  peer.Stop();
  EXPECT_EQ(RequestCafeJoin(nullptr, ctx, 8, &message), -1);
}

TEST(SmsApiToken, TheTokenRequestVerifiesTheServer) {
  const TestCa ca("SMS Test CA");
  HttpPeer service(ca);
  service.On("POST", "/oauth/token", PeerReply{200, R"({"access_token":"abc"})"});
  ASSERT_TRUE(service.Start());
  const std::string url = service.Url("/oauth/token");
  CURL* curl = curl_easy_init();

  // The system store does not know the test CA: no token, nothing received.
  GfxSetHttpCaCertFile(nullptr);
  char* reply = RequestSmsApiToken(curl, url.c_str(), 1, "user", "secret");
  EXPECT_EQ(reply, nullptr);
  std::free(reply);
  EXPECT_TRUE(service.Requests().empty());

  // With the CA it trusts, the token comes back.
  const std::string caFile = testing::TempDir() + "/sms_token_ca.pem";
  ASSERT_TRUE(ca.WriteCertificate(caFile));
  GfxSetHttpCaCertFile(caFile.c_str());
  const struct {
    int mode;
    const char* contentType;
    const char* body;
  } modes[] = {{1, "application/x-www-form-urlencoded", "grant_type=client_credentials"},
               {2, "application/json; charset=utf-8", "grant_type=client_credentials"},
               {0, "application/x-www-form-urlencoded", ""}};
  for (const auto& m : modes) {
    service.ClearRequests();
    reply = RequestSmsApiToken(curl, url.c_str(), m.mode, "user", "secret");
    ASSERT_NE(reply, nullptr) << m.mode;
    EXPECT_STREQ(reply, R"({"access_token":"abc"})");
    std::free(reply);
    const auto got = service.Requests();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].method, "POST");
    EXPECT_EQ(got[0].Header("Authorization"), "Basic dXNlcjpzZWNyZXQ=");
    EXPECT_EQ(got[0].Header("Content-Type"), m.contentType);
    EXPECT_EQ(got[0].body, m.body);
    EXPECT_EQ(got[0].Header("User-Agent"), "Mozilla/4.0 (compatible SMS API C Client)");
  }
  // Without credentials nothing is sent.
  service.ClearRequests();
  EXPECT_EQ(RequestSmsApiToken(curl, url.c_str(), 1, "", ""), nullptr);
  EXPECT_TRUE(service.Requests().empty());
  GfxSetHttpCaCertFile(nullptr);
  curl_easy_cleanup(curl);
}

}  // namespace
}  // namespace orv::test
