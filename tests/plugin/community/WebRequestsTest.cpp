// The web-request layer: script URLs, multipart forms and their order, the credentials and
// user agent of every request, time-outs, TLS verification and the identity encodings.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/support/HttpForm.h"
#include "platform/support/TextScan.h"
#include "plugin/community/MarketSchedule.h"
#include "plugin/community/WebLogin.h"
#include "tests/peers/HttpPeer.h"
#include "tests/peers/TestCa.h"

using orv::test::HttpPeer;
using orv::test::PeerReply;
using orv::test::RecordedRequest;

namespace {

struct Reply {
  int result = -100;
  char* text = nullptr;
  size_t length = 0;
  int status = -1;
  ~Reply() { free(text); }
};

TEST(ScriptUrl, JoinsBaseAndPathWithOneSlash) {
  struct Case {
    const char* base;
    const wchar_t* path;
    const char* expected;
  } cases[] = {
      {"http://h:8/app", L"stock/id_check3", "http://h:8/app/stock/id_check3"},
      {"http://h:8/app/", L"/stock/id_check3", "http://h:8/app/stock/id_check3"},
      {"", L"stock/id_check3", ""},
  };
  for (const Case& c : cases) {
    char out[128] = "x";
    StrMakeScriptApiUrl(out, sizeof out, c.base, c.path, 0);
    EXPECT_STREQ(c.expected, out) << c.base;
  }
  char small[10] = "x";
  EXPECT_EQ(0, StrMakeScriptApiUrl(small, sizeof small, "http://long.host", L"stock/a", 0));
  EXPECT_STREQ("", small);
}

TEST(HttpForm, PostSendsPartsInOrderWithCredentialsAndUserAgent) {
  HttpPeer peer;
  peer.On("POST", "/stock/form", PeerReply{200, "{\"err\":0}"});
  ASSERT_TRUE(peer.Start());
  CURL* curl = curl_easy_init();
  curl_mime* form = curl_mime_init(curl);
  CURL_MIMEADD_TEXTA(form, "zeta", "1+1=2 &x");
  CURL_MIMEADD_TEXTW(form, "alpha", L"홍길동");
  CURL_MIMEADD_INT(form, "num", -42);
  CURL_MIMEADD_UINT64(form, "big", 18446744073709551615ull);
  CURL_MIMEADD_FLOAT(form, "rate", 0.25);
  Reply reply;
  reply.result = GfxHttpPostMimeDataUsingCurl2(
      peer.Url("/stock/form").c_str(), curl, form, 1, &reply.text, &reply.length, &reply.status,
      L"k-1", L"a>>x", 77, 555, 5000, 0, 0, kWebAgentUserAgent, 0, 0);
  curl_easy_cleanup(curl);
  ASSERT_EQ(0, reply.result);
  EXPECT_EQ(200, reply.status);
  ASSERT_NE(nullptr, reply.text);
  EXPECT_STREQ("{\"err\":0}", reply.text);
  EXPECT_EQ(9u, reply.length);

  const RecordedRequest request = peer.Requests().at(0);
  std::vector<std::pair<std::string, std::string>> parts;
  for (const auto& part : request.parts) parts.emplace_back(part.name, part.content);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"zeta", "1+1=2 &x"},
      {"alpha", "홍길동"},
      {"num", "-42"},
      {"big", "18446744073709551615"},
      {"rate", "0.250000"}};
  EXPECT_EQ(expected, parts);
  EXPECT_EQ("VARQO-PC-AGENT-TOOL-by HTTP", request.Header("User-Agent"));
  EXPECT_EQ("k-1", request.Header("X-Web-Api-Key"));
  EXPECT_EQ("a>>x", request.Header("X-Web-Api-User"));
  EXPECT_EQ("77", request.Header("X-Web-Api-Uidx"));
  EXPECT_EQ("555", request.Header("X-Web-Api-Token"));
}

TEST(HttpForm, GetSendsTheQueryAsFormatted) {
  HttpPeer peer;
  peer.On("GET", "/stock/list", PeerReply{201, "[]"});
  ASSERT_TRUE(peer.Start());
  const std::string query =
      "b2b=stock&rsp=json&uid2=YT4%2BeA%3D%3D&name2=" + StrUrlEncodeA("7ZmN6ri464+Z");
  Reply reply;
  reply.result = GfxHttpGetDataUsingCurlObj(nullptr, peer.Url("/stock/list?" + query).c_str(), 3000,
                                            &reply.text, &reply.length, &reply.status, L"", L"", 0,
                                            0, 0, 0, kWebAgentUserAgent, 0, 0);
  ASSERT_EQ(0, reply.result);
  EXPECT_EQ(201, reply.status);
  const RecordedRequest request = peer.Requests().at(0);
  EXPECT_EQ("GET", request.method);
  EXPECT_EQ("b2b=stock&rsp=json&uid2=YT4%2BeA%3D%3D&name2=7ZmN6ri464%2BZ", request.query);
  EXPECT_EQ("YT4+eA==", request.Param("uid2"));
  EXPECT_EQ("7ZmN6ri464+Z", request.Param("name2"));
}

TEST(HttpForm, StalledServerEndsWithTheTimeOutAndNoReply) {
  HttpPeer peer;
  PeerReply stalled{200, "{}"};
  stalled.delay = std::chrono::milliseconds(5000);
  peer.On("POST", "/stock/slow", stalled);
  ASSERT_TRUE(peer.Start());
  curl_mime* form = curl_mime_init(nullptr);
  CURL_MIMEADD_TEXTA(form, "a", "b");
  Reply reply;
  reply.text = static_cast<char*>(malloc(1));  // overwritten with null, not leaked by the call
  char* before = reply.text;
  reply.result = GfxHttpPostMimeDataUsingCurl2(peer.Url("/stock/slow").c_str(), nullptr, form, 1,
                                               &reply.text, &reply.length, &reply.status, L"", L"",
                                               0, 0, 300, 0, 0, kWebAgentUserAgent, 0, 0);
  free(before);
  EXPECT_EQ(CURLE_OPERATION_TIMEDOUT, reply.result);
  EXPECT_EQ(nullptr, reply.text);
  EXPECT_EQ(0, reply.status);
  EXPECT_EQ(0u, reply.length);
}

TEST(HttpForm, TlsVerifiesThePeerAgainstTheCaFile) {
  orv::test::TestCa ca;
  orv::test::TestCa other("Other CA");
  ASSERT_TRUE(ca.IsValid() && other.IsValid());
  HttpPeer peer(ca);
  peer.On("GET", "/ok", PeerReply{200, "ok"});
  ASSERT_TRUE(peer.Start());
  const std::string folder = testing::TempDir() + "/tls_ca/";
  ASSERT_TRUE(ca.WriteCertificate(folder + "Settings/cacert.pem"));
  ASSERT_TRUE(other.WriteCertificate(folder + "Other/cacert.pem"));

  struct Case {
    std::string caFile;
    int result;
  } cases[] = {{folder + "Settings/cacert.pem", CURLE_OK},
               {folder + "Other/cacert.pem", CURLE_PEER_FAILED_VERIFICATION},
               {"", CURLE_PEER_FAILED_VERIFICATION}};
  for (const Case& c : cases) {
    GfxSetHttpCaCertFile(c.caFile.c_str());
    Reply reply;
    reply.result = GfxHttpGetDataUsingCurlObj(nullptr, peer.Url("/ok").c_str(), 3000, &reply.text,
                                              &reply.length, &reply.status, L"", L"", 0, 0, 0, 0,
                                              kWebAgentUserAgent, 0, 0);
    EXPECT_EQ(c.result, reply.result) << c.caFile;
  }
  GfxSetHttpCaCertFile(nullptr);
}

TEST(WebIdentity, EncodesIdsAndHangulNamesAndEscapesThemForQueries) {
  struct Case {
    std::wstring id, name;
    std::string idBase64, idCheck, idKey, nameBase64;
    std::wstring escapedId, escapedName;
  } cases[] = {
      {L"a>>x", L"홍길동", "YT4+eA==", "870f5db62e678053bf4390bfc57f21c4",
       "f6e02efd44108ecfefe90ba81174e6d3", "7ZmN6ri464+Z", L"YT4%2BeA%3D%3D", L"7ZmN6ri464%2BZ"},
      {L"ab?", L"x", "YWI/", "391935b6930382c05da09df1120697b6", "e3a0c660c77e08a66e72d86d5b6e9775",
       "eA==", L"YWI/", L"eA%3D%3D"},
  };
  for (const Case& c : cases) {
    const WebIdentity_s id = MakeWebIdentity(c.id, c.name);
    EXPECT_EQ(c.idBase64, id.idBase64);
    EXPECT_EQ(c.idCheck, id.idCheck);
    EXPECT_EQ(c.idKey, id.idKey);
    EXPECT_EQ(c.nameBase64, id.nameBase64);
    EXPECT_EQ(c.escapedId, id.escapedId);
    EXPECT_EQ(c.escapedName, id.escapedName);
    EXPECT_EQ("uid2=" + std::string(c.escapedId.begin(), c.escapedId.end()), id.identityQuery);
  }
}

TEST(ReplyScan, KeyTextEndingWithTheOpeningQuote) {
  const char* reply = "{\"web_api_token\":\"zz\",\"token\":\"ab,c\",\"err\":0}";
  char out[16];
  EXPECT_EQ(4, StrGetTextWithTextBlockA(reply, "\"token\":\"", 0, '"', out, sizeof out));
  EXPECT_STREQ("ab,c", out);
  EXPECT_EQ(-1, StrGetTextWithTextBlockA(reply, "\"msg\":\"", 0, '"', out, sizeof out));
  EXPECT_STREQ("", out);
}

TEST(MarketSchedule, DelaysShiftTheBaseTimesOnce) {
  struct Case {
    int hhmm, delay, expected;
  } cases[] = {
      {900, 100, 1000}, {850, 30, 920}, {900, -100, 800}, {2330, 100, 30}, {1531, 0, 1531}};
  for (const Case& c : cases)
    EXPECT_EQ(c.expected, CMarketSchedule::AddHhmm(c.hhmm, c.delay)) << c.hhmm << "+" << c.delay;

  CMarketSchedule schedule;
  schedule.ApplyDomesticDelay(100);
  schedule.ApplyDomesticDelay(100);
  schedule.ApplyDomesticDelay(0);
  EXPECT_EQ(1000, schedule.Domestic(2));
  EXPECT_EQ(900, schedule.BaseDomestic()[2]);
  EXPECT_EQ(2330, schedule.Overseas(0));
}

}  // namespace
