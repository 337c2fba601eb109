#include <curl/curl.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "tests/peers/HttpPeer.h"

namespace orv::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

struct Transfer {
  CURLcode code = CURLE_OK;
  long status = 0;
  std::string body;
  std::string contentType;
  std::string headers;
};

size_t Append(char* data, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

// One libcurl transfer; `setup` adds the method, body and TLS options.
Transfer Fetch(const std::string& url, const std::function<void(CURL*)>& setup = {},
               const std::vector<std::string>& headers = {}) {
  Transfer result;
  CURL* curl = curl_easy_init();
  curl_slist* headerList = nullptr;
  for (const std::string& header : headers) {
    headerList = curl_slist_append(headerList, header.c_str());
  }
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headerList);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Append);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &result.body);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, Append);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &result.headers);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 20000L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  if (setup) setup(curl);
  result.code = curl_easy_perform(curl);
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.status);
  char* type = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type) {
    result.contentType = type;
  }
  curl_easy_cleanup(curl);
  curl_slist_free_all(headerList);
  return result;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A program folder in a temporary folder, with the test CA written where the program reads it.
class PeerTest : public ::testing::TestWithParam<bool> {
 protected:
  static void SetUpTestSuite() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    char pattern[] = "/tmp/orv-peers-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    programFolder_ = new fs::path(pattern);
    ca_ = new TestCa();
    otherCa_ = new TestCa("Unrelated Test CA");
    ASSERT_TRUE(ca_->IsValid());
    ASSERT_TRUE(otherCa_->IsValid());
    ASSERT_TRUE(ca_->WriteCertificate(CaFile().string()));
    ASSERT_TRUE(otherCa_->WriteCertificate(OtherCaFile().string()));
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    fs::remove_all(*programFolder_, ignored);
    delete programFolder_;
    delete ca_;
    delete otherCa_;
  }

  static fs::path CaFile() { return *programFolder_ / "Settings" / "cacert.pem"; }
  static fs::path OtherCaFile() { return *programFolder_ / "other-ca.pem"; }

  // The peer for this run's variant (HTTPS when the parameter is true).
  std::unique_ptr<HttpPeer> MakePeer() {
    return GetParam() ? std::make_unique<HttpPeer>(*ca_) : std::make_unique<HttpPeer>();
  }

  // Trust the written CA (only HTTPS transfers read it).
  static void TrustCa(CURL* curl) {
    curl_easy_setopt(curl, CURLOPT_CAINFO, CaFile().c_str());
    curl_easy_setopt(curl, CURLOPT_CAPATH, nullptr);
  }

  static fs::path* programFolder_;
  static TestCa* ca_;
  static TestCa* otherCa_;
};

fs::path* PeerTest::programFolder_ = nullptr;
TestCa* PeerTest::ca_ = nullptr;
TestCa* PeerTest::otherCa_ = nullptr;

TEST_P(PeerTest, GetIsRecordedAndAnsweredFromTheScript) {
  auto peer = MakePeer();
  PeerReply reply;
  reply.status = 201;
  reply.body = R"({"rt_cd":"0"})";
  reply.headers = {{"tr_id", "TX100"}};
  peer->On("GET", "/uapi/price", reply);
  ASSERT_TRUE(peer->Start());
  EXPECT_EQ(peer->BaseUrl().rfind(GetParam() ? "https://127.0.0.1:" : "http://127.0.0.1:", 0), 0u);

  Transfer t = Fetch(peer->Url("/uapi/price?code=005930&name=%EC%82%BC%EC%84%B1&code=000660"),
                     TrustCa, {"authorization: Bearer tok"});
  ASSERT_EQ(t.code, CURLE_OK) << curl_easy_strerror(t.code);
  EXPECT_EQ(t.status, 201);
  EXPECT_EQ(t.body, R"({"rt_cd":"0"})");
  EXPECT_EQ(t.contentType, "application/json");
  EXPECT_NE(t.headers.find("tr_id: TX100"), std::string::npos) << t.headers;

  // An unscripted path answers 404 and is recorded too.
  Transfer missing = Fetch(peer->Url("/nowhere"), TrustCa);
  ASSERT_EQ(missing.code, CURLE_OK);
  EXPECT_EQ(missing.status, 404);

  const std::vector<RecordedRequest> requests = peer->Requests();
  ASSERT_EQ(requests.size(), 2u);
  const RecordedRequest& get = requests[0];
  EXPECT_EQ(get.method, "GET");
  EXPECT_EQ(get.path, "/uapi/price");
  EXPECT_EQ(get.query, "code=005930&name=%EC%82%BC%EC%84%B1&code=000660");
  EXPECT_EQ(get.params.count("code"), 2u);
  EXPECT_EQ(get.Param("name"), "삼성");
  EXPECT_EQ(get.Header("Authorization"), "Bearer tok");
  EXPECT_FALSE(get.HasHeader("REMOTE_ADDR"));
  EXPECT_EQ(requests[1].path, "/nowhere");
  EXPECT_EQ(requests[1].query, "");
}

TEST_P(PeerTest, PostBodiesFormsAndMultipartPartsAreRecorded) {
  auto peer = MakePeer();
  peer->On("POST", "/echo", [](const RecordedRequest& req) {
    PeerReply reply;
    reply.contentType = "text/plain; charset=utf-8";
    reply.body = req.Param("user") + "|" + req.body;
    return reply;
  });
  ASSERT_TRUE(peer->Start());

  Transfer json = Fetch(peer->Url("/echo"),
                        [](CURL* curl) {
                          TrustCa(curl);
                          curl_easy_setopt(curl, CURLOPT_COPYPOSTFIELDS, R"({"qty":3})");
                        },
                        {"Content-Type: application/json"});
  ASSERT_EQ(json.code, CURLE_OK) << curl_easy_strerror(json.code);
  EXPECT_EQ(json.body, R"(|{"qty":3})");

  Transfer form = Fetch(peer->Url("/echo?b2b=stock"), [](CURL* curl) {
    TrustCa(curl);
    curl_easy_setopt(curl, CURLOPT_COPYPOSTFIELDS, "user=kim%20a&memo=%EB%A7%A4%EC%88%98");
  });
  ASSERT_EQ(form.code, CURLE_OK);
  EXPECT_EQ(form.body, "kim a|user=kim%20a&memo=%EB%A7%A4%EC%88%98");

  curl_mime* mime = nullptr;
  Transfer multipart = Fetch(peer->Url("/echo"), [&](CURL* curl) {
    TrustCa(curl);
    mime = curl_mime_init(curl);
    curl_mimepart* text = curl_mime_addpart(mime);
    curl_mime_name(text, "msg");
    curl_mime_data(text, "매도 완료", CURL_ZERO_TERMINATED);
    curl_mimepart* file = curl_mime_addpart(mime);
    curl_mime_name(file, "upload");
    curl_mime_filename(file, "log.csv");
    curl_mime_type(file, "text/csv");
    curl_mime_data(file, "a,b\n1,2\n", CURL_ZERO_TERMINATED);
    curl_easy_setopt(curl, CURLOPT_MIMEPOST, mime);
  });
  curl_mime_free(mime);
  ASSERT_EQ(multipart.code, CURLE_OK);
  EXPECT_EQ(multipart.status, 200);

  const std::vector<RecordedRequest> requests = peer->Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].body, R"({"qty":3})");
  EXPECT_EQ(requests[0].Header("content-type"), "application/json");

  const RecordedRequest& f = requests[1];
  EXPECT_EQ(f.query, "b2b=stock");
  EXPECT_EQ(f.Param("b2b"), "stock");
  EXPECT_EQ(f.Param("user"), "kim a");
  EXPECT_EQ(f.Param("memo"), "매수");

  const RecordedRequest& m = requests[2];
  EXPECT_EQ(m.Header("Content-Type").rfind("multipart/form-data; boundary=", 0), 0u);
  ASSERT_EQ(m.parts.size(), 2u);
  ASSERT_NE(m.Part("msg"), nullptr);
  EXPECT_EQ(m.Part("msg")->content, "매도 완료");
  EXPECT_EQ(m.Part("msg")->filename, "");
  ASSERT_NE(m.Part("upload"), nullptr);
  EXPECT_EQ(m.Part("upload")->filename, "log.csv");
  EXPECT_EQ(m.Part("upload")->contentType, "text/csv");
  EXPECT_EQ(m.Part("upload")->content, "a,b\n1,2\n");
  EXPECT_EQ(m.Part("absent"), nullptr);
}

TEST_P(PeerTest, RequestsFromManyThreadsAreAllRecorded) {
  auto peer = MakePeer();
  peer->On("GET", "/ping", PeerReply{});
  ASSERT_TRUE(peer->Start());
  constexpr int kThreads = 4;
  constexpr int kEach = 8;
  std::vector<std::thread> clients;
  for (int t = 0; t < kThreads; ++t) {
    clients.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        Transfer r = Fetch(peer->Url("/ping?id=" + std::to_string(t * kEach + i)), TrustCa);
        EXPECT_EQ(r.status, 200);
      }
    });
  }
  for (auto& client : clients) client.join();
  std::vector<RecordedRequest> requests = peer->Requests();
  ASSERT_EQ(requests.size(), size_t{kThreads * kEach});
  std::set<std::string> ids;
  for (const auto& r : requests) ids.insert(r.Param("id"));
  EXPECT_EQ(ids.size(), size_t{kThreads * kEach});

  peer->ClearRequests();
  EXPECT_TRUE(peer->Requests().empty());
}

TEST_P(PeerTest, RecordLimitKeepsTheLatestAndTheServedHookSeesEveryReply) {
  auto peer = MakePeer();
  peer->On("GET", "/a", PeerReply{});
  std::vector<std::string> served;
  std::mutex servedMutex;
  peer->OnServed([&](const RecordedRequest& r, int status) {
    std::lock_guard<std::mutex> lock(servedMutex);
    served.push_back(r.path + " " + std::to_string(status));
  });
  ASSERT_TRUE(peer->Start());
  peer->SetRecordLimit(2);
  for (const char* path : {"/a?n=1", "/a?n=2", "/b", "/a?n=3"}) Fetch(peer->Url(path), TrustCa);
  const auto kept = peer->Requests();
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_EQ(kept[0].path, "/b");
  EXPECT_EQ(kept[1].query, "n=3");
  EXPECT_EQ(served, (std::vector<std::string>{"/a 200", "/a 200", "/b 404", "/a 200"}));
  peer->SetRecordLimit(0);
  Fetch(peer->Url("/a"), TrustCa);
  EXPECT_TRUE(peer->Requests().empty());
}

TEST_P(PeerTest, StartsOnAGivenPortAndRefusesOneInUse) {
  auto first = MakePeer();
  ASSERT_TRUE(first->Start());
  auto second = MakePeer();
  EXPECT_FALSE(second->Start(first->Port())) << "the port is taken";
  first->Stop();
  const int port = first->Port();
  auto third = MakePeer();
  third->On("GET", "/a", PeerReply{});
  ASSERT_TRUE(third->Start(port));
  EXPECT_EQ(third->Port(), port);
  EXPECT_EQ(Fetch(third->Url("/a"), TrustCa).status, 200);
}

TEST_P(PeerTest, DelayedReplyTimesTheClientOutAndStopStaysPrompt) {
  auto peer = MakePeer();
  PeerReply never;
  never.delay = 60s;
  peer->On("GET", "/slow", never);
  ASSERT_TRUE(peer->Start());

  Transfer timedOut = Fetch(peer->Url("/slow"), [](CURL* curl) {
    TrustCa(curl);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 300L);
  });
  EXPECT_EQ(timedOut.code, CURLE_OPERATION_TIMEDOUT) << curl_easy_strerror(timedOut.code);

  // An idle client that keeps its handle (and so its connection) between requests.
  peer->On("GET", "/quick", PeerReply{});
  CURL* idle = curl_easy_init();
  curl_easy_setopt(idle, CURLOPT_URL, peer->Url("/quick").c_str());
  curl_easy_setopt(idle, CURLOPT_WRITEFUNCTION, Append);
  std::string ignored;
  curl_easy_setopt(idle, CURLOPT_WRITEDATA, &ignored);
  TrustCa(idle);
  for (int i = 0; i < 2; ++i) ASSERT_EQ(curl_easy_perform(idle), CURLE_OK);

  // Another client is still waiting when the peer stops: it is let go at once.
  Transfer waiting;
  std::thread client([&] { waiting = Fetch(peer->Url("/slow"), TrustCa); });
  ASSERT_TRUE(peer->WaitForRequests(4, 10s));
  const auto before = std::chrono::steady_clock::now();
  peer->Stop();
  const auto stopMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - before)
                          .count();
  client.join();
  curl_easy_cleanup(idle);
  // Far below the 60 s delay and the server library's 5 s keep-alive wait: Stop() ended the
  // waits instead of sitting them out.
  EXPECT_LT(stopMs, 3000);
  EXPECT_NE(waiting.status, 200);

  // Stopped: nothing listens any more, and stopping again is harmless.
  Transfer refused = Fetch(peer->Url("/slow"), TrustCa);
  EXPECT_EQ(refused.code, CURLE_COULDNT_CONNECT);
  peer->Stop();
  EXPECT_FALSE(peer->Start());
}

INSTANTIATE_TEST_SUITE_P(Variants, PeerTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Https" : "Http"; });

class TlsPeerTest : public PeerTest {};

TEST_F(TlsPeerTest, CaFileIsWrittenAndOnlyItsCertificatesAreTrusted) {
  const std::string written = ReadFile(CaFile());
  EXPECT_EQ(written, ca_->CertificatePem());
  EXPECT_EQ(written.rfind("-----BEGIN CERTIFICATE-----", 0), 0u);

  HttpPeer trusted(*ca_);
  HttpPeer stranger(*otherCa_);
  trusted.On("GET", "/", PeerReply{});
  stranger.On("GET", "/", PeerReply{});
  ASSERT_TRUE(trusted.Start());
  ASSERT_TRUE(stranger.Start());

  const std::string localhostUrl = "https://localhost:" + std::to_string(trusted.Port()) + "/";
  struct Case {
    std::string url;
    fs::path caFile;
    CURLcode expected;
  };
  const Case cases[] = {
      {trusted.Url("/"), CaFile(), CURLE_OK},
      {localhostUrl, CaFile(), CURLE_OK},
      {trusted.Url("/"), OtherCaFile(), CURLE_PEER_FAILED_VERIFICATION},
      {stranger.Url("/"), CaFile(), CURLE_PEER_FAILED_VERIFICATION},
      {stranger.Url("/"), OtherCaFile(), CURLE_OK},
  };
  for (const Case& c : cases) {
    Transfer t = Fetch(c.url, [&](CURL* curl) {
      curl_easy_setopt(curl, CURLOPT_CAINFO, c.caFile.c_str());
      curl_easy_setopt(curl, CURLOPT_CAPATH, nullptr);
    });
    EXPECT_EQ(t.code, c.expected) << c.url << " with " << c.caFile << ": "
                                  << curl_easy_strerror(t.code);
  }
  // Refused handshakes never became requests.
  EXPECT_EQ(trusted.Requests().size(), 2u);
  EXPECT_EQ(stranger.Requests().size(), 1u);
}

}  // namespace
}  // namespace orv::test
