#include <curl/curl.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <thread>

#include "sandbox/Sandbox.h"
#include "sandbox/SandboxMarket.h"
#include "tests/peers/HttpPeer.h"

namespace orv::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// ---------------------------------------------------------------------------------------------
// The market on its own.

std::vector<std::vector<DbQuote>> Walk(uint64_t seed, int ticks) {
  SandboxMarket market(SandboxStocks(), seed);
  std::vector<std::vector<DbQuote>> path;
  for (int i = 0; i < ticks; ++i) {
    market.Step();
    path.push_back(market.Quotes());
  }
  return path;
}

std::vector<double> Prices(const std::vector<DbQuote>& quotes) {
  std::vector<double> prices;
  for (const DbQuote& q : quotes) prices.push_back(q.price);
  return prices;
}

TEST(SandboxMarketTest, TheSameSeedWalksTheSamePathAndAnotherSeedAnother) {
  const auto first = Walk(42, 50);
  const auto second = Walk(42, 50);
  const auto other = Walk(43, 50);
  bool moved = false;
  bool differs = false;
  for (size_t t = 0; t < first.size(); ++t) {
    ASSERT_EQ(Prices(first[t]), Prices(second[t])) << "tick " << t;
    moved = moved || Prices(first[t]) != Prices(first[0]);
    differs = differs || Prices(first[t]) != Prices(other[t]);
  }
  EXPECT_TRUE(moved) << "the prices move";
  EXPECT_TRUE(differs) << "another seed takes another path";
}

TEST(SandboxMarketTest, WalkedPricesStayOnThePriceGridWithinTheDailyLimit) {
  const std::vector<SandboxStock> stocks = SandboxStocks();
  const auto path = Walk(7, 3000);
  for (const auto& quotes : path) {
    for (size_t i = 0; i < quotes.size(); ++i) {
      const DbQuote& q = quotes[i];
      SCOPED_TRACE(q.code + " at " + std::to_string(q.price));
      EXPECT_EQ(std::fmod(q.price, KrxTickSize(q.price)), 0.0);
      EXPECT_GE(q.price, stocks[i].previousClose * 0.7);
      EXPECT_LE(q.price, stocks[i].previousClose * 1.3);
      EXPECT_LE(q.low, q.price);
      EXPECT_GE(q.high, q.price);
      EXPECT_EQ(q.previous, stocks[i].previousClose);
      EXPECT_EQ(q.open, stocks[i].previousClose);
      EXPECT_DOUBLE_EQ(q.change, q.price - q.previous);
    }
  }
}

TEST(SandboxMarketTest, TickSizes) {
  const std::pair<double, double> cases[] = {
      {1999, 1},   {2000, 5},    {4995, 5},     {5000, 10},    {19990, 10},   {20000, 50},
      {49950, 50}, {50000, 100}, {199900, 100}, {200000, 500}, {499500, 500}, {500000, 1000}};
  for (const auto& [price, tick] : cases) EXPECT_EQ(KrxTickSize(price), tick) << price;
}

TEST(SandboxMarketTest, AScriptIsFollowedTickByTickAndHoldsAfterItsEnd) {
  std::vector<SandboxTick> script;
  std::string error;
  ASSERT_TRUE(
      ParseSandboxScript("# rise, then fall\n005930 72000 000660 200000\n\n"
                         "005930 69000   # a comment after a step\n",
                         SandboxStocks(), &script, &error))
      << error;
  ASSERT_EQ(script.size(), 2u);
  SandboxMarket market(SandboxStocks(), 1);
  market.SetScript(script);
  auto price = [&market](const std::string& code) {
    for (const DbQuote& q : market.Quotes())
      if (q.code == code) return q;
    return DbQuote{};
  };
  EXPECT_EQ(price("005930").price, 71000);
  market.Step();
  EXPECT_EQ(price("005930").price, 72000);
  EXPECT_EQ(price("000660").price, 200000);
  EXPECT_EQ(price("035420").price, 189600) << "a stock the line leaves out keeps its price";
  market.Step();
  market.Step();
  const DbQuote samsung = price("005930");
  EXPECT_EQ(samsung.price, 69000);
  EXPECT_EQ(samsung.high, 72000);
  EXPECT_EQ(samsung.low, 69000);
  EXPECT_EQ(samsung.change, -2000);
  EXPECT_DOUBLE_EQ(samsung.rate, -2.82);
  EXPECT_EQ(market.Ticks(), 3);
}

TEST(SandboxMarketTest, ABadScriptNamesItsLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"005930 72000\n999999 100\n", "line 2: unknown stock code \"999999\""},
      {"005930\n", "line 1: no price after \"005930\""},
      {"005930 -5\n", "line 1: \"-5\" is not a positive price"},
      {"\n\n005930 7e\n", "line 3: \"7e\" is not a positive price"},
      {"005930 nan\n", "line 1: \"nan\" is not a positive price"},
  };
  for (const auto& [text, message] : cases) {
    std::vector<SandboxTick> script{{{"005930", 1}}};
    std::string error;
    EXPECT_FALSE(ParseSandboxScript(text, SandboxStocks(), &script, &error)) << text;
    EXPECT_EQ(error, message);
    EXPECT_EQ(script.size(), 1u) << "a bad script changes nothing";
  }
}

// ---------------------------------------------------------------------------------------------
// The program, over HTTPS with its CA.

struct Reply {
  CURLcode code = CURLE_OK;
  long status = 0;
  std::string body;
};

size_t Append(char* data, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

// One verified HTTPS transfer; `setup` sets the method and body.
Reply Transfer(const std::string& url, const std::string& caFile,
               const std::function<void(CURL*)>& setup) {
  Reply reply;
  CURL* curl = curl_easy_init();
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Append);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply.body);
  curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.c_str());
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 20000L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  setup(curl);
  reply.code = curl_easy_perform(curl);
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
  curl_easy_cleanup(curl);
  return reply;
}

Reply Post(const std::string& url, const std::string& body, const std::string& caFile,
           const std::vector<std::string>& headers) {
  curl_slist* list = nullptr;
  for (const std::string& h : headers) list = curl_slist_append(list, h.c_str());
  const Reply reply = Transfer(url, caFile, [&](CURL* curl) {
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
  });
  curl_slist_free_all(list);
  return reply;
}

// A multipart form post of text fields.
Reply PostForm(const std::string& url,
               const std::vector<std::pair<std::string, std::string>>& fields,
               const std::string& caFile) {
  curl_mime* form = nullptr;
  const Reply reply = Transfer(url, caFile, [&](CURL* curl) {
    form = curl_mime_init(curl);
    for (const auto& [name, value] : fields) {
      curl_mimepart* part = curl_mime_addpart(form);
      curl_mime_name(part, name.c_str());
      curl_mime_data(part, value.c_str(), CURL_ZERO_TERMINATED);
    }
    curl_easy_setopt(curl, CURLOPT_MIMEPOST, form);
  });
  curl_mime_free(form);
  return reply;
}

rapidjson::Document Json(const std::string& text) {
  rapidjson::Document doc;
  doc.Parse(text.c_str());
  return doc;
}

std::string Text(const rapidjson::Value& object, const char* name) {
  return object.IsObject() && object.HasMember(name) && object[name].IsString()
             ? object[name].GetString()
             : std::string();
}

double Number(const rapidjson::Value& object, const char* name) {
  if (!object.IsObject() || !object.HasMember(name)) return NAN;
  const rapidjson::Value& v = object[name];
  return v.IsNumber() ? v.GetDouble() : v.IsString() ? std::atof(v.GetString()) : NAN;
}

// The program started with its own state file in a temporary folder.
class SandboxProcess {
 public:
  explicit SandboxProcess(std::vector<std::string> args) {
    char pattern[] = "/tmp/orv-sandbox-XXXXXX";
    folder_ = mkdtemp(pattern);
    statePath_ = folder_ + "/sandbox.state";
    logPath_ = folder_ + "/sandbox.log";
    args.insert(args.begin(), {ORV_BINARY_DIR "/bin/orvella-sandbox", "--state", statePath_});
    pid_ = fork();
    if (pid_ == 0) {
      const int fd = ::open(logPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (fd >= 0) {
        dup2(fd, 1);
        dup2(fd, 2);
      }
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
  }
  ~SandboxProcess() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  // Waits for the state file; false when the program ended or the bound passed first.
  bool WaitReady() {
    for (int i = 0; i < 400; ++i) {
      std::ifstream in(statePath_);
      std::string line;
      while (std::getline(in, line)) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos) state_[line.substr(0, eq)] = line.substr(eq + 1);
      }
      if (state_.count("pid")) return true;
      if (waitpid(pid_, &status_, WNOHANG) == pid_) {
        exited_ = true;
        return false;
      }
      std::this_thread::sleep_for(25ms);
    }
    return false;
  }

  // Sends the signal and waits for the exit status; -1 when it did not end within the bound.
  int SignalAndWait(int signal) {
    kill(pid_, signal);
    return WaitExit();
  }
  // The exit status (128 + the signal when a signal ended it); -1 when it did not end within
  // the bound.
  int WaitExit() {
    for (int i = 0; i < 400 && !exited_; ++i) {
      if (waitpid(pid_, &status_, WNOHANG) == pid_) {
        exited_ = true;
      } else {
        std::this_thread::sleep_for(25ms);
      }
    }
    if (!exited_) return -1;
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
  }

  std::string State(const std::string& key) const {
    auto it = state_.find(key);
    return it == state_.end() ? std::string() : it->second;
  }
  std::string Broker(const std::string& path) const {
    return "https://" + State("broker_host") + path;
  }
  std::string Web(const std::string& path) const { return State("web_url") + path; }
  std::string Ca() const { return State("ca_file"); }
  const std::string& StatePath() const { return statePath_; }
  std::string Log() const {
    std::ifstream in(logPath_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  Reply Token(const std::string& key = SandboxAccount::kAppKey,
              const std::string& secret = SandboxAccount::kAppSecret) const {
    return Post(
        Broker(DbBrokerPeer::kTokenPath),
        "grant_type=client_credentials&appkey=" + key + "&appsecretkey=" + secret + "&scope=oob",
        Ca(), {"Content-Type: application/x-www-form-urlencoded"});
  }
  Reply Query(const char* path, const std::string& body) const {
    return Post(Broker(path), body, Ca(),
                {"Content-Type: application/json",
                 std::string("Authorization: Bearer ") + SandboxAccount::kAccessToken});
  }
  // One multi-price inquiry of every sandbox stock: code -> price.
  std::map<std::string, double> Prices() const {
    std::string body = "{\"In\":{\"dataCnt\":" + std::to_string(SandboxStocks().size());
    int n = 0;
    for (const SandboxStock& s : SandboxStocks()) {
      ++n;
      body += ",\"InputCondMrktDivCode" + std::to_string(n) + "\":\"J\",\"InputIscd" +
              std::to_string(n) + "\":\"" + s.code + "\"";
    }
    const Reply reply = Query(DbBrokerPeer::kDomesticPricePath, body + "}}");
    std::map<std::string, double> prices;
    const rapidjson::Document doc = Json(reply.body);
    if (!doc.IsObject() || !doc.HasMember("Out") || !doc["Out"].IsArray()) return prices;
    for (const rapidjson::Value& row : doc["Out"].GetArray())
      prices[Text(row, "Iscd")] = Number(row, "Prpr");
    return prices;
  }
  Reply Order(const std::string& code, int qty, bool buy) const {
    return Query(DbBrokerPeer::kDomesticOrderPath,
                 "{\"In\":{\"IsuNo\":\"" + code + "\",\"OrdQty\":" + std::to_string(qty) +
                     ",\"OrdPrc\":0,\"BnsTpCode\":\"" + (buy ? "2" : "1") +
                     "\",\"OrdprcPtnCode\":\"03\"}}");
  }
  // code -> quantity of the balance reply.
  std::map<std::string, double> Holdings() const {
    const rapidjson::Document doc =
        Json(Query(DbBrokerPeer::kDomesticBalancePath, "{\"In\":{}}").body);
    std::map<std::string, double> rows;
    if (!doc.IsObject() || !doc.HasMember("Out1") || !doc["Out1"].IsArray()) return rows;
    for (const rapidjson::Value& row : doc["Out1"].GetArray())
      rows[Text(row, "IsuNo")] = Number(row, "BalQty0");
    return rows;
  }
  double Deposit() const {
    const rapidjson::Document doc = Json(Query(DbBrokerPeer::kDepositPath, "{ \"In\": {} }").body);
    return doc.IsObject() && doc.HasMember("Out1") ? Number(doc["Out1"], "DpsBalAmt") : NAN;
  }

 private:
  std::string folder_;
  std::string statePath_;
  std::string logPath_;
  pid_t pid_ = -1;
  int status_ = 0;
  bool exited_ = false;
  std::map<std::string, std::string> state_;
};

// A script file in a temporary folder, removed afterwards.
class ScriptFile {
 public:
  explicit ScriptFile(const std::string& text) {
    char pattern[] = "/tmp/orv-script-XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd >= 0) close(fd);
    path_ = pattern;
    std::ofstream(path_) << text;
  }
  ~ScriptFile() { std::remove(path_.c_str()); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

class SandboxProgramTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { curl_global_init(CURL_GLOBAL_ALL); }
};

TEST_F(SandboxProgramTest, StartsWritesItsStateAndAnswersATokenRequestOverVerifiedTls) {
  SandboxProcess sandbox({"--tick-ms", "0"});
  ASSERT_TRUE(sandbox.WaitReady()) << sandbox.Log();
  EXPECT_EQ(sandbox.State("broker_host"), "127.0.0.1:" + sandbox.State("broker_port"));
  EXPECT_EQ(sandbox.State("web_url"), "https://127.0.0.1:" + sandbox.State("web_port") + "/");
  EXPECT_TRUE(fs::exists(sandbox.Ca()));

  const Reply token = sandbox.Token();
  ASSERT_EQ(token.code, CURLE_OK) << "the CA the sandbox wrote verifies its certificate";
  EXPECT_EQ(token.status, 200);
  EXPECT_EQ(Text(Json(token.body), "access_token"), SandboxAccount::kAccessToken);

  const Reply refused = sandbox.Token("other-key");
  EXPECT_EQ(refused.status, 403);
  EXPECT_EQ(Text(Json(refused.body), "error_code"), "IGW00123");

  // The ticker list is the sandbox market, and the log names what was answered.
  const rapidjson::Document list = Json(
      sandbox
          .Query(DbBrokerPeer::kDomesticTickerPath, "{\"In\": {\"InputCondMrktDivCode\": \"J\" }}")
          .body);
  ASSERT_TRUE(list.IsObject() && list.HasMember("Out") && list["Out"].IsArray()) << list.GetType();
  ASSERT_EQ(list["Out"].Size(), SandboxStocks().size());
  EXPECT_EQ(Text(list["Out"][0], "Iscd"), "A005930");
  EXPECT_EQ(Text(list["Out"][0], "KorIsnm"), "삼성전자");
  EXPECT_NE(sandbox.Log().find("broker POST /oauth2/token -> 200"), std::string::npos)
      << sandbox.Log();
}

TEST_F(SandboxProgramTest, TwoRunsWithTheSameSeedQuoteTheSamePrices) {
  auto run = [](const char* seed) {
    SandboxProcess sandbox({"--seed", seed, "--tick-ms", "0"});
    std::vector<std::map<std::string, double>> seen;
    if (!sandbox.WaitReady()) return seen;
    for (int i = 0; i < 6; ++i) seen.push_back(sandbox.Prices());
    return seen;
  };
  const auto first = run("20240605");
  const auto second = run("20240605");
  const auto other = run("7");
  ASSERT_EQ(first.size(), 6u);
  ASSERT_EQ(first[0].size(), SandboxStocks().size());
  EXPECT_EQ(first, second);
  EXPECT_NE(first, other);
  EXPECT_EQ(first[0].at("005930"), 71000) << "the first inquiry sees the previous close";
  EXPECT_NE(first.front(), first.back()) << "the market moves between inquiries";
}

TEST_F(SandboxProgramTest, AScriptedRiseAndFallIsQuotedInTurn) {
  ScriptFile script("005930 72500\n005930 74000 000660 201000\n005930 66000\n");
  SandboxProcess sandbox({"--script", script.Path(), "--tick-ms", "0"});
  ASSERT_TRUE(sandbox.WaitReady()) << sandbox.Log();
  std::vector<double> samsung;
  for (int i = 0; i < 5; ++i) samsung.push_back(sandbox.Prices().at("005930"));
  EXPECT_EQ(samsung, (std::vector<double>{71000, 72500, 74000, 66000, 66000}));
  EXPECT_EQ(sandbox.Prices().at("000660"), 201000);
}

TEST_F(SandboxProgramTest, ABadScriptStopsTheStartWithTheReason) {
  const std::pair<const char*, const char*> cases[] = {
      {"005930 72500\n123456 1\n", "line 2: unknown stock code \"123456\""},
      {"# only a comment\n", "the script has no price line"},
  };
  for (const auto& [text, reason] : cases) {
    ScriptFile script(text);
    SandboxProcess sandbox({"--script", script.Path()});
    EXPECT_FALSE(sandbox.WaitReady());
    EXPECT_EQ(sandbox.WaitExit(), 2);
    EXPECT_NE(sandbox.Log().find(reason), std::string::npos) << sandbox.Log();
  }
}

TEST_F(SandboxProgramTest, OrdersChangeTheHoldingsAndTheDeposit) {
  // A one-line script that keeps the price: the market stands still.
  ScriptFile script("005930 71000\n");
  SandboxProcess frozen({"--script", script.Path(), "--tick-ms", "0"});
  ASSERT_TRUE(frozen.WaitReady()) << frozen.Log();

  EXPECT_EQ(frozen.Deposit(), SandboxAccount::kDeposit);
  const std::map<std::string, double> opening{{"A005930", 10}, {"A000660", 3}, {"A035420", 4}};
  EXPECT_EQ(frozen.Holdings(), opening);

  const Reply buy = frozen.Order("005930", 2, true);
  EXPECT_EQ(Text(Json(buy.body), "rsp_cd"), "00000") << buy.body;
  EXPECT_EQ(frozen.Deposit(), SandboxAccount::kDeposit - 2 * 71000);
  const Reply sell = frozen.Order("000660", 3, false);
  EXPECT_EQ(Text(Json(sell.body), "rsp_cd"), "00000") << sell.body;
  EXPECT_EQ(frozen.Deposit(), SandboxAccount::kDeposit - 2 * 71000 + 3 * 196500);
  EXPECT_EQ(frozen.Holdings(), (std::map<std::string, double>{{"A005930", 12}, {"A035420", 4}}))
      << "a sold-out holding leaves the balance";

  struct Refusal {
    const char* code;
    int qty;
    bool buy;
    const char* rspCd;
  } refusals[] = {
      {"035420", 5, false, "02110"},   // more than held
      {"373220", 100, true, "02111"},  // more than the deposit pays for
  };
  for (const Refusal& r : refusals) {
    const Reply reply = frozen.Order(r.code, r.qty, r.buy);
    EXPECT_EQ(Text(Json(reply.body), "rsp_cd"), r.rspCd) << r.code;
  }
  EXPECT_EQ(frozen.Deposit(), SandboxAccount::kDeposit - 2 * 71000 + 3 * 196500)
      << "a refused order moves nothing";
}

TEST_F(SandboxProgramTest, TheWebServerAnswersTheServiceCheckAndReportsOfItsMember) {
  SandboxProcess sandbox({"--tick-ms", "0"});
  ASSERT_TRUE(sandbox.WaitReady()) << sandbox.Log();
  const std::string id64 = WebServerPeer::Base64(SandboxAccount::kUserId);
  const Reply check = PostForm(sandbox.Web("stock/id_check3"),
                               {{"rsp", "json"},
                                {"crc2", "101010123"},
                                {"crc3", WebServerPeer::ExpectedCrc3("101010123")},
                                {"uid2", id64},
                                {"chk4", id64},
                                {"chk5", WebServerPeer::Md5(id64)},
                                {"key", WebServerPeer::Md5(SandboxAccount::kUserId)}},
                               sandbox.Ca());
  ASSERT_EQ(check.code, CURLE_OK);
  const rapidjson::Document reply = Json(check.body);
  EXPECT_EQ(Number(reply, "err"), 0) << check.body;
  EXPECT_EQ(Number(reply, "idx"), SandboxAccount::kUserIdx);
  EXPECT_EQ(Text(reply, "token"), SandboxAccount::kUserToken);
  EXPECT_FALSE(Text(reply, "tel").empty()) << "no member page opens after the login";

  struct Case {
    std::string token;
    const char* err;
  } cases[] = {{SandboxAccount::kUserToken, "0"}, {"", "-1"}, {"stranger", "-1"}};
  for (const Case& c : cases) {
    const Reply report =
        PostForm(sandbox.Web("stock/order_up3"),
                 {{"tk", c.token}, {"sector", "MONEY_LOG"}, {"op_qry", "line"}, {"op_cnt", "1"}},
                 sandbox.Ca());
    EXPECT_EQ(Text(Json(report.body), "err"), c.err) << c.token;
  }
}

TEST_F(SandboxProgramTest, StopsOnSigtermAndSigintAndRemovesItsStateFile) {
  for (int signal : {SIGTERM, SIGINT}) {
    SandboxProcess sandbox({"--tick-ms", "50"});
    ASSERT_TRUE(sandbox.WaitReady()) << sandbox.Log();
    const std::string broker = sandbox.Broker(DbBrokerPeer::kTokenPath);
    const std::string ca = sandbox.Ca();
    EXPECT_EQ(sandbox.SignalAndWait(signal), 0) << signal;
    EXPECT_FALSE(fs::exists(sandbox.StatePath()));
    EXPECT_NE(sandbox.Log().find("sandbox: stopping"), std::string::npos) << sandbox.Log();
    EXPECT_NE(Post(broker, "", ca, {}).code, CURLE_OK) << "the port is closed";
  }
}

TEST_F(SandboxProgramTest, ListensOnGivenPortsAndRefusesToStartOnOneInUse) {
  HttpPeer taken;
  ASSERT_TRUE(taken.Start());
  HttpPeer probe;
  ASSERT_TRUE(probe.Start());
  const std::string freePort = std::to_string(probe.Port());
  probe.Stop();

  SandboxProcess sandbox({"--broker-port", freePort, "--tick-ms", "0"});
  ASSERT_TRUE(sandbox.WaitReady()) << sandbox.Log();
  EXPECT_EQ(sandbox.State("broker_port"), freePort);
  EXPECT_EQ(sandbox.Token().status, 200);

  SandboxProcess clash({"--web-port", std::to_string(taken.Port())});
  EXPECT_FALSE(clash.WaitReady());
  EXPECT_EQ(clash.WaitExit(), 2);
  EXPECT_NE(clash.Log().find("the web server cannot listen"), std::string::npos) << clash.Log();
}

TEST_F(SandboxProgramTest, TheClockMovesTheMarketWithoutInquiries) {
  SandboxProcess sandbox({"--tick-ms", "20", "--seed", "3"});
  ASSERT_TRUE(sandbox.WaitReady()) << sandbox.Log();
  const auto before = sandbox.Prices();
  std::map<std::string, double> after = before;
  for (int i = 0; i < 200 && after == before; ++i) {
    std::this_thread::sleep_for(20ms);
    after = sandbox.Prices();
  }
  EXPECT_NE(after, before);
}

}  // namespace
}  // namespace orv::test
