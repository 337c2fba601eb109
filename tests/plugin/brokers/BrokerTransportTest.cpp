#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/win/Clock.h"
#include "plugin/brokers/BrokerTransport.h"
#include "tests/peers/DbBrokerPeer.h"
#include "tests/peers/HttpPeer.h"
#include "tests/plugin/brokers/RawRequestCatcher.h"
#include "tests/plugin/brokers/TestCaFile.h"

namespace orv::test {
namespace {

using namespace std::chrono_literals;

// One request through SendBrokerRequest with every output captured.
struct Sent {
  std::string reply;
  bool gotReply = false;
  int len = -7;
  unsigned transfer = 12345;
  char contKey[kContKeySize] = "untouched";
  std::string errorText = "untouched";
};

struct Request {
  std::string base;
  std::string path = "/p";
  int post = 1;
  std::string query;
  const char* body = "{}";
  const char* extra = nullptr;
  const char* further = nullptr;
  std::string key = "key";
  std::string secret = "secret";
  const char* bearer = nullptr;
  int json = 1;
  std::string caFile;
  const std::atomic<int>* abort = nullptr;
  int timeoutMs = 20000;
};

Sent Send(const Request& r, CURL* curl = nullptr) {
  Sent s;
  BrokerRequestState state;
  std::strcpy(state.contKey, s.contKey);
  state.transfer = s.transfer;
  char* reply =
      SendBrokerRequest(curl, r.base.c_str(), r.path.c_str(), r.post, r.query.c_str(), r.body,
                        r.extra, r.further, 0, r.key.c_str(), r.secret.c_str(), r.bearer, r.json,
                        &s.len, r.caFile.c_str(), &state, r.abort, r.timeoutMs, 0);
  std::strcpy(s.contKey, state.contKey);
  s.transfer = state.transfer;
  s.errorText = state.errorText;
  if (reply) {
    s.gotReply = true;
    s.reply = reply;
    std::free(reply);
  }
  return s;
}

PeerReply Reply(const std::string& body) {
  PeerReply reply;
  reply.body = body;
  return reply;
}

PeerReply ReplyWithHeader(const std::string& name, const std::string& value) {
  PeerReply reply = Reply("{}");
  reply.headers.emplace_back(name, value);
  return reply;
}

class TransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(peer_.Start());
    peer_.On("POST", "/p", Reply("{\"ok\":1}"));
    peer_.On("GET", "/p", Reply("{\"get\":1}"));
    request_.base = peer_.BaseUrl();
  }
  HttpPeer peer_;
  Request request_;
};

TEST(ParseResultCodeTest, MapsBrokerCodes) {
  const struct {
    const char* text;
    int code;
  } cases[] = {
      {"IGW00123", 100123},
      {"IGW00000", 100000},
      {"EGW00123", -10000},
      {"abc12", -10000},
      {"0", 0},
      {"00000", 0},
      {"-1", -1},
      {"8819", 8819},
      {"", 0},
      {nullptr, 0},
      // Numbers no int holds are unknown codes, never a wrapped value.
      {"99999999999", -10000},
      {"-99999999999", -10000},
      {"1e99", -10000},
      {"1e999", -10000},
      {"IGW99999999999", -10000},
      {"IGW-5", -10000},
      {"2147483647", 2147483647},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseResultCode(c.text), c.code) << (c.text ? c.text : "(null)");
  }
}

TEST(OnRequestHeaderTest, CapturesOnlyTheExactContinuationHeaderTrimmed) {
  const struct {
    std::string line;
    std::string key;
    const char* header = "cont_key";
  } cases[] = {
      {"cont_key:   abc123  \r\n", "abc123"},
      {"cont_key:k\r\n", "k"},
      {"Cont_key: other\r\n", ""},
      {"cont_key : spaced\r\n", ""},
      {"cont_yn: Y\r\n", ""},
      {"cont_key:\r\n", ""},
      {"cont_key: " + std::string(600, 'x') + "\r\n", std::string(199, 'x')},
      // A broker that names its key otherwise: only that header is taken.
      {"next-key: kt00018-1\r\n", "kt00018-1", "next-key"},
      {"cont_key: k\r\n", "", "next-key"},
      {"next-keys: k\r\n", "", "next-key"},
  };
  for (const auto& c : cases) {
    BrokerRequestState state;
    state.contKeyHeader = c.header;
    std::string line = c.line;
    EXPECT_EQ(OnRequestHeader(line.data(), 1, line.size(), &state), line.size());
    EXPECT_EQ(std::string(state.contKey), c.key) << c.line;
  }
}

TEST(OnRequestDataTest, KeepsTheReplyNulTerminatedAcrossBlocks) {
  ReplyAccumulator reply;
  char first[] = "{\"a\":";
  char second[] = "1}";
  EXPECT_EQ(OnRequestData(first, 1, 5, &reply), 5u);
  EXPECT_EQ(OnRequestData(second, 2, 1, &reply), 2u);
  ASSERT_NE(reply.data, nullptr);
  EXPECT_EQ(reply.length, 7u);
  EXPECT_STREQ(reply.data, "{\"a\":1}");
  std::free(reply.data);
}

TEST_F(TransportTest, PostSendsHeadersInOrderAndTheExactBody) {
  request_.extra = "cont_yn: N";
  request_.further = "cont_key: abc\n\nX-Second: 2\n";
  request_.bearer = "tok";
  request_.body = "{ \"In\": {} }";
  Sent s = Send(request_);
  EXPECT_TRUE(s.gotReply);
  EXPECT_EQ(s.reply, "{\"ok\":1}");
  EXPECT_EQ(s.len, 8);
  EXPECT_EQ(s.transfer, 0u);
  ASSERT_EQ(peer_.Requests().size(), 1u);
  const RecordedRequest r = peer_.Requests()[0];
  EXPECT_EQ(r.method, "POST");
  EXPECT_EQ(r.body, "{ \"In\": {} }");
  EXPECT_EQ(r.Header("Content-Type"), "application/json; charset=utf-8");
  EXPECT_EQ(r.Header("Authorization"), "Bearer tok");
  EXPECT_EQ(r.Header("User-Agent"), "Mozilla/4.0 (compatible DB API C Client)");
  EXPECT_EQ(r.Header("cont_yn"), "N");
  EXPECT_EQ(r.Header("cont_key"), "abc");
  EXPECT_EQ(r.Header("X-Second"), "2");
}

TEST_F(TransportTest, FormPostWithoutTokenHasNoAuthorization) {
  request_.json = 0;
  request_.body = "a=1&b=2";
  Send(request_);
  ASSERT_EQ(peer_.Requests().size(), 1u);
  const RecordedRequest r = peer_.Requests()[0];
  EXPECT_EQ(r.Header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_FALSE(r.HasHeader("Authorization"));
  EXPECT_EQ(r.body, "a=1&b=2");
}

TEST_F(TransportTest, EmptyPostBodyIsSentEmpty) {
  request_.body = "";
  Sent s = Send(request_);
  EXPECT_TRUE(s.gotReply);
  ASSERT_EQ(peer_.Requests().size(), 1u);
  EXPECT_EQ(peer_.Requests()[0].body, "");
  EXPECT_EQ(peer_.Requests()[0].Header("Content-Length"), "0");
  request_.body = nullptr;
  EXPECT_TRUE(Send(request_).gotReply);
}

TEST(TransportHeaderTest, HeadersWithEmptyValuesAreStillSent) {
  RawRequestCatcher catcher;
  Request r;
  r.base = catcher.BaseUrl();
  r.further = "X-Empty:\nX-Blank:   \nX-Full: 1";
  EXPECT_TRUE(Send(r).gotReply);
  const std::string& text = catcher.Text();
  EXPECT_NE(text.find("\r\nX-Empty:\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\nX-Blank:\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\nX-Full: 1\r\n"), std::string::npos) << text;
}

TEST_F(TransportTest, GetAppendsTheQueryUnchanged) {
  request_.post = 0;
  request_.query = "?a=1&b=x%20y";
  Sent s = Send(request_);
  EXPECT_EQ(s.reply, "{\"get\":1}");
  ASSERT_EQ(peer_.Requests().size(), 1u);
  EXPECT_EQ(peer_.Requests()[0].method, "GET");
  EXPECT_EQ(peer_.Requests()[0].query, "a=1&b=x%20y");
}

TEST_F(TransportTest, MissingUrlKeySecretOrPathSendsNothingAndTouchesNoOutput) {
  for (int missing = 0; missing < 4; ++missing) {
    Request r = request_;
    if (missing == 0) r.base.clear();
    if (missing == 1) r.key.clear();
    if (missing == 2) r.secret.clear();
    if (missing == 3) r.path.clear();
    Sent s = Send(r);
    EXPECT_FALSE(s.gotReply) << missing;
    EXPECT_EQ(s.len, -7);
    EXPECT_EQ(s.transfer, 12345u);
    EXPECT_STREQ(s.contKey, "untouched");
  }
  EXPECT_TRUE(peer_.Requests().empty());
}

TEST_F(TransportTest, ContinuationKeyIsCapturedOrEmptied) {
  peer_.On("POST", "/keyed", ReplyWithHeader("cont_key", "  next-7  "));
  peer_.On("POST", "/other", ReplyWithHeader("Cont_Key", "not-this"));
  request_.path = "/keyed";
  EXPECT_STREQ(Send(request_).contKey, "next-7");
  request_.path = "/other";
  EXPECT_STREQ(Send(request_).contKey, "");
  request_.path = "/p";
  EXPECT_STREQ(Send(request_).contKey, "");
}

TEST_F(TransportTest, TimeOutsOf500AndBelowMeanFiveSeconds) {
  EXPECT_EQ(EffectiveTimeoutMs(500), 5000);
  EXPECT_EQ(EffectiveTimeoutMs(0), 5000);
  EXPECT_EQ(EffectiveTimeoutMs(501), 501);
  EXPECT_EQ(EffectiveTimeoutMs(20000), 20000);

  PeerReply slow = Reply("{\"late\":1}");
  slow.delay = 1500ms;
  peer_.On("POST", "/slow", slow);
  request_.path = "/slow";
  request_.timeoutMs = 501;
  Sent cut = Send(request_);
  EXPECT_EQ(cut.transfer, static_cast<unsigned>(CURLE_OPERATION_TIMEDOUT));
  EXPECT_FALSE(cut.gotReply);
  request_.timeoutMs = 500;
  Sent waited = Send(request_);
  EXPECT_EQ(waited.transfer, 0u);
  EXPECT_EQ(waited.reply, "{\"late\":1}");
}

TEST_F(TransportTest, AbortFlagEndsATransferInProgress) {
  PeerReply never = Reply("{}");
  never.delay = 60s;
  peer_.On("POST", "/never", never);
  request_.path = "/never";
  std::atomic<int> abort{0};
  request_.abort = &abort;
  std::thread stopper([&] {
    peer_.WaitForRequests(1, 10s);
    abort = 1;
  });
  Sent s = Send(request_);
  stopper.join();
  EXPECT_EQ(s.transfer, static_cast<unsigned>(CURLE_ABORTED_BY_CALLBACK));
  EXPECT_FALSE(s.gotReply);
}

TEST_F(TransportTest, ReusedHandleServesSeveralRequests) {
  CURL* curl = curl_easy_init();
  ASSERT_NE(curl, nullptr);
  EXPECT_EQ(Send(request_, curl).reply, "{\"ok\":1}");
  request_.post = 0;
  EXPECT_EQ(Send(request_, curl).reply, "{\"get\":1}");
  curl_easy_cleanup(curl);
  EXPECT_EQ(peer_.Requests().size(), 2u);
}

TEST(TransportTlsTest, VerifiesThePeerAgainstTheConfiguredCaAndNamesWhatFailed) {
  HttpPeer tls(SharedCa());
  ASSERT_TRUE(tls.Start());
  tls.On("POST", "/p", Reply("{\"ok\":1}"));
  Request r;
  r.base = tls.BaseUrl();
  r.caFile = SharedCaFile();
  Sent trusted = Send(r);
  EXPECT_EQ(trusted.transfer, 0u);
  EXPECT_EQ(trusted.reply, "{\"ok\":1}");
  EXPECT_EQ(trusted.errorText, "");

  // An unknown authority, another host name, an expired certificate: refused, each named.
  for (const auto& c : orv::test::TlsFailureCases(SharedCa())) {
    SCOPED_TRACE(c.what);
    HttpPeer peer(c.identity);
    ASSERT_TRUE(peer.Start());
    peer.On("POST", "/p", Reply("{\"ok\":1}"));
    r.base = peer.BaseUrl();
    const Sent refused = Send(r);
    EXPECT_EQ(refused.transfer, static_cast<unsigned>(CURLE_PEER_FAILED_VERIFICATION));
    EXPECT_FALSE(refused.gotReply);
    EXPECT_NE(refused.errorText.find(c.cause), std::string::npos) << refused.errorText;
  }

  r.base = tls.BaseUrl();
  r.caFile.clear();  // the system store does not know the test CA
  EXPECT_EQ(Send(r).transfer, static_cast<unsigned>(CURLE_PEER_FAILED_VERIFICATION));
}

TEST(UrlEncodeFormValueTest, EncodesReservedCharactersOnly) {
  EXPECT_EQ(UrlEncodeFormValue("AbC123xyz"), "AbC123xyz");
  EXPECT_EQ(UrlEncodeFormValue("a+b/c=d&e f"), "a%2Bb%2Fc%3Dd%26e%20f");
  EXPECT_EQ(UrlEncodeFormValue(""), "");
  EXPECT_EQ(UrlEncodeFormValue(nullptr), "");
}

TEST(BuildMultiPriceBodyTest, WritesOneLinePerCode) {
  char body[1000];
  EXPECT_EQ(BuildMultiPriceBody("005930;000660", body, sizeof body), 2);
  EXPECT_STREQ(body,
               "{ \"In\": {\"dataCnt\": 2\n"
               "    ,\"InputCondMrktDivCode1\": \"J\", \"InputIscd1\": \"005930\"\n"
               "    ,\"InputCondMrktDivCode2\": \"J\", \"InputIscd2\": \"000660\"\n"
               " }\n}");
  EXPECT_EQ(BuildMultiPriceBody("005930;", body, sizeof body), 1);
  EXPECT_EQ(BuildMultiPriceBody(nullptr, body, sizeof body), 0);
  EXPECT_STREQ(body, "");
  EXPECT_EQ(BuildMultiPriceBody("005930", nullptr, 1000), 0);
}

TEST(BuildMultiPriceBodyTest, LeavesOutCodesThatDoNotFitTheBuffer) {
  std::string codes;
  for (int i = 0; i < 50; ++i) codes += (i ? ";" : "") + std::to_string(100000 + i);
  char body[1000];
  const int n = BuildMultiPriceBody(codes.c_str(), body, sizeof body);
  EXPECT_GT(n, 0);
  EXPECT_LT(n, 50);
  EXPECT_LT(std::strlen(body), sizeof body);
  EXPECT_NE(std::string(body).find("\"dataCnt\": " + std::to_string(n) + "\n"), std::string::npos);
  EXPECT_NE(std::string(body).find("\"InputIscd" + std::to_string(n) + "\""), std::string::npos);
  EXPECT_EQ(std::string(body).find("\"InputIscd" + std::to_string(n + 1) + "\""),
            std::string::npos);
  EXPECT_EQ(std::string(body).substr(std::strlen(body) - 4), " }\n}");
}

TEST(ContinuationPagingTest, FollowsTheKeyWithPagingHeadersAndPauses) {
  DbBrokerPeer peer;
  peer.AcceptCredentials("key", "secret");
  ASSERT_TRUE(peer.Start());
  const std::string path = "/api/v1/quote/kr-stock/inquiry/stock-ticker";
  peer.SetPages(path, {{"{\"page\":1}", "k1"}, {"{\"page\":2}", "k2"}, {"{\"page\":3}", ""}});
  orv::win::FakeClock clock;
  orv::win::ScopedClock installed(clock);

  std::vector<std::string> seen;
  const std::string base = peer.BaseUrl();
  const std::string token = peer.Token();
  const int pages = RunContinuationPaging(
      420, kMaxContinuationPages,
      [&](const char* extra, const char* further, BrokerRequestState* state, int* len) {
        return SendBrokerRequest(nullptr, base.c_str(), path.c_str(), 1, nullptr, "{}", extra,
                                 further, 0, "key", "secret", token.c_str(), 1, len, nullptr, state,
                                 nullptr, 20000, 0);
      },
      [&](const char* reply, int) { seen.emplace_back(reply); });
  EXPECT_EQ(pages, 3);
  EXPECT_EQ(seen, (std::vector<std::string>{"{\"page\":1}", "{\"page\":2}", "{\"page\":3}"}));
  EXPECT_EQ(clock.SleptMs(), 3u * 420u);
  const auto requests = peer.RequestsTo(path);
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].Header("cont_yn"), "N");
  EXPECT_FALSE(requests[0].HasHeader("cont_key"));
  EXPECT_EQ(requests[1].Header("cont_yn"), "Y");
  EXPECT_EQ(requests[1].Header("cont_key"), "k1");
  EXPECT_EQ(requests[2].Header("cont_key"), "k2");
}

TEST(ContinuationPagingTest, StopsAfterTheMaximumOrWhenStopped) {
  orv::win::FakeClock clock;
  orv::win::ScopedClock installed(clock);
  int sent = 0;
  auto endless = [&](const char*, const char*, BrokerRequestState* state, int* len) {
    ++sent;
    std::strcpy(state->contKey, "more");
    *len = 2;
    return static_cast<char*>(std::calloc(3, 1));
  };
  unsigned transfer = 7;
  bool more = false;
  EXPECT_EQ(RunContinuationPaging(200, kMaxContinuationPages, endless, nullptr, nullptr,
                                  ContinuationHeaders(), &transfer, &more),
            100);
  EXPECT_EQ(sent, 100);
  EXPECT_TRUE(more) << "the limit cut a list that had more pages";
  EXPECT_EQ(transfer, 0u);

  auto last = [&](const char*, const char*, BrokerRequestState* state, int* len) {
    state->transfer = CURLE_OPERATION_TIMEDOUT;
    *len = 0;
    return static_cast<char*>(nullptr);
  };
  EXPECT_EQ(RunContinuationPaging(200, kMaxContinuationPages, last, nullptr, nullptr,
                                  ContinuationHeaders(), &transfer, &more),
            1);
  EXPECT_FALSE(more);
  EXPECT_EQ(transfer, static_cast<unsigned>(CURLE_OPERATION_TIMEDOUT));

  std::atomic<int> running{1};
  sent = 0;
  auto stopping = [&](const char* extra, const char* further, BrokerRequestState* state, int* len) {
    if (sent == 2) running = 0;
    return endless(extra, further, state, len);
  };
  EXPECT_EQ(RunContinuationPaging(200, kMaxContinuationPages, stopping, nullptr, &running), 3);
}

TEST(PriceBatchesTest, SendsFiftyCodesARequestAndPausesAfterFullBatches) {
  orv::win::FakeClock clock;
  orv::win::ScopedClock installed(clock);
  std::vector<std::string> codes;
  for (int i = 0; i < 120; ++i) codes.push_back(std::to_string(100000 + i));
  std::vector<int> counts;
  std::string firstBatch;
  const int batches =
      SendPriceBatches(codes, kPriceBatchSize, 300, [&](const std::string& joined, int count) {
        if (counts.empty()) firstBatch = joined;
        counts.push_back(count);
      });
  EXPECT_EQ(batches, 3);
  EXPECT_EQ(counts, (std::vector<int>{50, 50, 20}));
  EXPECT_EQ(clock.SleptMs(), 600u);
  EXPECT_EQ(firstBatch.substr(0, 14), "100000;100001;");

  std::atomic<int> running{1};
  counts.clear();
  SendPriceBatches(
      codes, kPriceBatchSize, 300,
      [&](const std::string&, int count) {
        counts.push_back(count);
        running = 0;
      },
      &running);
  EXPECT_EQ(counts.size(), 1u);
}

}  // namespace
}  // namespace orv::test
