// The Bithumb and Upbit agents against their exchange peers: the request token as the exchange
// verifies it, the key check's result codes, the account entry over repeated refreshes, the
// order bodies and signed queries, the refusal names and the orders whose outcome is unknown.

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/sha.h>
#include <rapidjson/document.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/support/TextConv.h"
#include "plugin/brokers/ExchangeAgent.h"
#include "tests/peers/ExchangePeer.h"
#include "tests/peers/PeerJson.h"
#include "tests/plugin/brokers/TestCaFile.h"

namespace orv::test {
namespace {

constexpr const char* kKey = "access-key-1";
constexpr const char* kSecret = "c2VjcmV0LWFzLWdpdmVu";  // looks like base64: signs as given

std::string Sha512Hex(const std::string& text) {
  unsigned char digest[SHA512_DIGEST_LENGTH];
  SHA512(reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest);
  std::string out;
  for (unsigned char c : digest) {
    out += "0123456789abcdef"[c >> 4];
    out += "0123456789abcdef"[c & 15];
  }
  return out;
}

std::string Base64Url(const unsigned char* data, size_t len) {
  std::string out(4 * ((len + 2) / 3) + 1, '\0');
  const int n =
      EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), data, static_cast<int>(len));
  out.resize(static_cast<size_t>(n));
  while (!out.empty() && out.back() == '=') out.pop_back();
  for (char& c : out) c = c == '+' ? '-' : c == '/' ? '_' : c;
  return out;
}

// What a token says, checked as the exchange checks it.
struct CheckedToken {
  bool signatureOk = false;
  rapidjson::Document claims;
};

void CheckToken(const RecordedRequest& request, CheckedToken* out) {
  const std::string auth = request.Header("Authorization");
  ASSERT_EQ(auth.rfind("Bearer ", 0), 0u) << auth;
  const std::string token = auth.substr(7);
  const size_t last = token.rfind('.');
  ASSERT_NE(last, std::string::npos);
  const std::string input = token.substr(0, last);
  unsigned char mac[EVP_MAX_MD_SIZE];
  unsigned int macLen = 0;
  HMAC(EVP_sha256(), kSecret, static_cast<int>(std::strlen(kSecret)),
       reinterpret_cast<const unsigned char*>(input.data()), input.size(), mac, &macLen);
  out->signatureOk = Base64Url(mac, macLen) == token.substr(last + 1);
  out->claims.Parse(ExchangePeer::TokenClaims(token).c_str());
  ASSERT_FALSE(out->claims.HasParseError());
  ASSERT_TRUE(out->claims.IsObject());
}

std::unique_ptr<CExchangeAgent> MakeAgent(ExchangePeer::Kind kind) {
  if (kind == ExchangePeer::Kind::kBithumb)
    return std::make_unique<CBithumbAgent>(kExchangeMarketKind, L"b", 'b', kBithumbBrokerId, 1,
                                           kExchangeMarketId, 1300.0, 40);
  return std::make_unique<CUpBitAgent>(kExchangeMarketKind, L"u", 'b', kUpBitBrokerId, 1,
                                       kExchangeMarketId, 1300.0, 40);
}

class ExchangeAgentTest : public ::testing::TestWithParam<ExchangePeer::Kind> {
 protected:
  ExchangeAgentTest() : peer_(GetParam(), SharedCa()), agent_(MakeAgent(GetParam())) {}

  void SetUp() override {
    ASSERT_TRUE(peer_.Start());
    peer_.AcceptCredentials(kKey, kSecret);
    peer_.SetAccounts({{"KRW", 1000000, 0, 0, "KRW"}, {"BTC", 0.01, 0, 50000000, "KRW"}});
    agent_->SetHostUrlA(peer_.BaseUrl().c_str());
    agent_->SetCaCertPemFilePath(SharedCaFileW().c_str());
    agent_->SetAccListPtr(&accounts_);
  }

  bool Bithumb() const { return GetParam() == ExchangePeer::Kind::kBithumb; }

  int LogIn(const char* account = "coin-account", const char* secret = kSecret) {
    code_ = 0;
    message_[0] = 0;
    return agent_->LoginA(nullptr, account, kKey, secret, &code_, message_, 200);
  }

  // A coin order through the interface's TradeOrderA (amount in v1).
  int Order(int side, const char* code, double qty, double price, double amount) {
    orderNo_[0] = 0;
    return agent_->TradeOrderA(nullptr, kExchangeMarketKind, 1, side, 0, code, qty, price, 0, 0, 0,
                               0, 0, amount, 0, 0, 0, 0, 0, orderNo_, &orderNumber_, &result_,
                               &success_, &codeFlag_, orderMessage_, resultText_);
  }

  ExchangePeer peer_;
  std::unique_ptr<CExchangeAgent> agent_;
  GroupInfoMap accounts_;
  int code_ = 0;
  wchar_t message_[200]{};
  char orderNo_[50]{};
  int64_t orderNumber_ = 0;
  int result_ = 0, success_ = -1, codeFlag_ = -1;
  wchar_t orderMessage_[256]{};
  wchar_t resultText_[20]{};
};

TEST_P(ExchangeAgentTest, EveryRequestCarriesATokenTheExchangeAccepts) {
  ASSERT_EQ(LogIn(), 1);
  ASSERT_EQ(agent_->QueryDeposit(nullptr, &accounts_, nullptr, 0), 1);
  ASSERT_EQ(Order(2, "KRW-BTC", 0.5, 0, 0), 0);
  EXPECT_TRUE(peer_.TokenRefusals().empty());

  const auto requests = peer_.Requests();
  ASSERT_EQ(requests.size(), 3u);
  std::vector<std::string> nonces;
  for (const RecordedRequest& request : requests) {
    CheckedToken token;
    CheckToken(request, &token);
    EXPECT_TRUE(token.signatureOk) << "HMAC-SHA256 over header.claims with the secret as given";
    const auto& claims = token.claims;
    EXPECT_STREQ(claims["access_key"].GetString(), kKey);
    nonces.push_back(claims["nonce"].GetString());
    EXPECT_EQ(nonces.back().size(), 36u) << "a UUID nonce";
    EXPECT_EQ(claims.HasMember("timestamp"), Bithumb());
    const bool hasQuery = request.path == ExchangePeer::kOrdersPath;
    EXPECT_EQ(claims.HasMember("query_hash"), hasQuery) << request.path;
    if (hasQuery) {
      EXPECT_STREQ(claims["query_hash_alg"].GetString(), "SHA512");
      const std::string signedQuery =
          Bithumb() ? "market=KRW-BTC&ord_type=market&side=ask&volume=0.50000"
                    : "market=KRW-BTC&side=ask&volume=0.50000000&ord_type=market&identifier=" +
                          peer_.Orders().at(0).Member("identifier");
      EXPECT_EQ(claims["query_hash"].GetString(), Sha512Hex(signedQuery));
    }
  }
  EXPECT_NE(nonces[0], nonces[1]);
  EXPECT_NE(nonces[1], nonces[2]);
  if (!Bithumb()) {
    EXPECT_EQ(requests[0].Header("User-Agent"), "Mozilla/4.0 (compatible UPBIT API C Client)");
  }
}

TEST_P(ExchangeAgentTest, ATokenSignedWithAnotherSecretIsRefused) {
  EXPECT_EQ(LogIn("coin-account", "another-secret"), 0);
  EXPECT_EQ(code_, kKeyCheckRefused);
  ASSERT_EQ(peer_.TokenRefusals().size(), 1u);
  EXPECT_EQ(peer_.TokenRefusals()[0], "bad signature");
  EXPECT_STREQ(agent_->m_appKey, "") << "refused keys are not kept";
}

TEST_P(ExchangeAgentTest, SignedGetAppendsTheQueryAndHashesExactlyIt) {
  peer_.Http().On("GET", "/v1/ticker", peer_json::Json("[]"));
  uint32_t size = 7;
  int transfer = -5;
  char* reply = agent_->SendSignedRequest(
      nullptr, peer_.BaseUrl().c_str(), "/v1/ticker?markets=", kExchangeGet, "KRW-BTC,KRW-ETH", "",
      0, kKey, kSecret, &size, &transfer, kExchangeRequestTimeoutMs);
  ASSERT_NE(reply, nullptr);
  std::free(reply);
  EXPECT_EQ(transfer, 0);
  EXPECT_EQ(size, 2u);
  const auto requests = peer_.RequestsTo("/v1/ticker");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].query, "markets=KRW-BTC,KRW-ETH");
  CheckedToken token;
  CheckToken(requests[0], &token);
  EXPECT_EQ(token.claims["query_hash"].GetString(), Sha512Hex("KRW-BTC,KRW-ETH"));

  // Without a secret nothing is sent and the out values stay as they were.
  size = 7;
  transfer = -5;
  EXPECT_EQ(
      agent_->SendSignedRequest(nullptr, peer_.BaseUrl().c_str(), "/v1/accounts", kExchangeGet, "",
                                "", 0, kKey, "", &size, &transfer, kExchangeRequestTimeoutMs),
      nullptr);
  EXPECT_EQ(size, 7u);
  EXPECT_EQ(transfer, -5);
  EXPECT_EQ(peer_.Requests().size(), 1u);

  // A URL beyond its limit is refused whole rather than sent cut short.
  const std::string longQuery(kExchangeMaxUrl, 'A');
  EXPECT_EQ(agent_->SendSignedRequest(nullptr, peer_.BaseUrl().c_str(), "/v1/ticker?markets=",
                                      kExchangeGet, longQuery.c_str(), "", 0, kKey, kSecret, &size,
                                      &transfer, kExchangeRequestTimeoutMs),
            nullptr);
  EXPECT_EQ(transfer, 99);
  EXPECT_EQ(peer_.Requests().size(), 1u);
}

TEST_P(ExchangeAgentTest, KeyCheckResultCodes) {
  const std::string badKey = Bithumb() ? "invalid_access_key" : "no_access_key";
  const struct {
    std::string refusal;  // error name; empty: the list
    std::string raw;      // a raw reply instead
    const char* account;
    int code;
  } cases[] = {
      {"", "", "coin-account", kKeyCheckAccepted},
      {"", "", "", kKeyCheckNoAccount},
      {"no_authorization_ip", "", "coin-account", kKeyCheckIpRefused},
      {Bithumb() ? "NotAllowIP" : "no_authorization_i_p", "", "coin-account", kKeyCheckIpRefused},
      {badKey, "", "coin-account", kKeyCheckBadKey},
      {"expired_access_key", "", "coin-account", kKeyCheckRefused},
      {"", "<html><body>gateway</body></html>", "coin-account", kKeyCheckNotAList},
      {"", "{\"status\":\"ok\"}", "coin-account", kKeyCheckNotAList},
  };
  for (const auto& c : cases) {
    peer_.RefuseAccounts(c.refusal, "거부: " + c.refusal);
    peer_.SetRawAccountsReply(c.raw, 200, "text/html");
    const int result = LogIn(c.account);
    EXPECT_EQ(code_, c.code) << c.refusal << c.raw;
    EXPECT_EQ(result, c.code == kKeyCheckAccepted ? 1 : 0);
    EXPECT_EQ(agent_->IsConnected(), 0);
    if (c.code == kKeyCheckAccepted) {
      EXPECT_STREQ(agent_->m_appKey, kKey);
      EXPECT_STREQ(agent_->GetAccountNoA(), "coin-account");
    } else {
      EXPECT_STREQ(agent_->m_appKey, "") << c.code;
      EXPECT_STREQ(agent_->m_appSecret, "") << c.code;
      EXPECT_STREQ(agent_->GetAccountNoA(), "") << c.code;
    }
    if (!c.refusal.empty()) {
      EXPECT_EQ(WideToUtf8(message_), "거부: " + c.refusal);
      EXPECT_EQ(WideToUtf8(agent_->GetLastMessage()), "거부: " + c.refusal);
    }
  }

  // No reply at all.
  peer_.RefuseAccounts("");
  peer_.SetRawAccountsReply("");
  peer_.Stop();
  EXPECT_EQ(LogIn(), 0);
  EXPECT_EQ(code_, kKeyCheckNoReply);
  EXPECT_STREQ(agent_->m_appKey, "");
}

TEST_P(ExchangeAgentTest, AccountEntryHoldsThisRefreshsTotalsAfterEveryRefresh) {
  ASSERT_EQ(LogIn(), 1);
  // Won nearly all locked in open orders counts the locked amount.
  peer_.SetAccounts({{"KRW", 0.05, 10000, 0, "KRW"},
                     {"BTC", 0.01, 0, 50000000, "KRW"},
                     {"ETH", 2, 0, 3000000, "KRW"}});
  group_info_s* entry = nullptr;
  for (int refresh = 0; refresh < 3; ++refresh) {
    ASSERT_EQ(agent_->QueryDeposit(nullptr, &accounts_, &entry, 0), 1);
    ASSERT_NE(entry, nullptr);
    EXPECT_DOUBLE_EQ(entry->deposit, 10000) << refresh;
    EXPECT_DOUBLE_EQ(entry->total_buy, 500000 + 6000000) << refresh;
  }
  const std::wstring name = Bithumb() ? L"빗썸.50801" : L"업비트.50901";
  ASSERT_EQ(accounts_.size(), 1u);
  EXPECT_EQ(accounts_.begin()->first, name);
  EXPECT_EQ(accounts_.begin()->second, entry);

  // A refusal or a page that is no list leaves the entry as it was.
  peer_.SetRawAccountsReply("<html>busy</html>", 503, "text/html");
  EXPECT_EQ(agent_->QueryDeposit(nullptr, &accounts_, &entry, 0), 0);
  EXPECT_EQ(entry, nullptr);
  EXPECT_DOUBLE_EQ(accounts_.begin()->second->deposit, 10000);
}

TEST_P(ExchangeAgentTest, BalanceHoldingsTakeTheCoinsCurrentPrice) {
  ASSERT_EQ(LogIn(), 1);
  OwningStockMap stocks;
  OwningHoldingMap holdings;
  Stock_s* btc = GfxAddStockToMap(&stocks, L"KRW-BTC", kExchangeMarketKind, 0, 0, nullptr);
  ASSERT_NE(btc, nullptr);
  btc->cur_price = 52000000;
  peer_.SetAccounts({{"KRW", 100000, 0, 0, "KRW"},
                     {"BTC", 0.01, 0, 50000000, "KRW"},
                     {"XRP", 0, 0, 700, "KRW"},
                     {"DOGE", 100, 0, 0, "KRW"}});
  BalanceQueryArgs_s args;
  args.totals = &agent_->m_accountRecord;
  args.holdings = &holdings;
  args.stocks = &stocks;
  EXPECT_EQ(agent_->QueryBalance(nullptr, kExchangeMarketKind, 0, 0, args), 1);
  ASSERT_EQ(holdings.size(), 1u);
  const StockTrade_s* held = holdings.begin()->first;
  EXPECT_STREQ(held->code, L"KRW-BTC");
  EXPECT_DOUBLE_EQ(held->purchase, 500000);
  EXPECT_DOUBLE_EQ(held->cur_price, 52000000);
  EXPECT_DOUBLE_EQ(btc->cur_price, 52000000) << "the balance keeps the coin's price";
  EXPECT_DOUBLE_EQ(agent_->m_accountRecord.total_valuation, 520000);
}

TEST_P(ExchangeAgentTest, OrderBodiesAndSignedQueries) {
  ASSERT_EQ(LogIn(), 1);
  struct Case {
    int side;
    double qty, price, amount;
    std::string bithumbBody, bithumbQuery, upbitQuery;  // Upbit's body: the query's members
  };
  const Case cases[] = {
      {2, 0.5, 0, 0,
       "{\"market\":\"KRW-BTC\", \"ord_type\":\"market\", \"side\":\"ask\", \"volume\":0.50000}",
       "market=KRW-BTC&ord_type=market&side=ask&volume=0.50000",
       "market=KRW-BTC&side=ask&volume=0.50000000&ord_type=market"},
      {1, 0, 0, 10000,
       "{\"market\":\"KRW-BTC\", \"ord_type\":\"price\", \"price\":10000.00000, \"side\":\"bid\"}",
       "market=KRW-BTC&ord_type=price&price=10000.00000&side=bid",
       "market=KRW-BTC&side=bid&price=10000.00000000&ord_type=price"},
      {1, 0.002, 51000000, 0,
       "{\"market\":\"KRW-BTC\", \"ord_type\":\"price\", \"price\":51000000.00000000, "
       "\"side\":\"bid\", \"volume\":0.00200}",
       "market=KRW-BTC&ord_type=price&price=51000000.00000000&side=bid&volume=0.00200",
       "market=KRW-BTC&side=bid&price=51000000.00000000&volume=0.00200000&ord_type=price"},
      // Bithumb's five decimals cut the volume of a whole holding; they never round it up.
      {2, 0.123456, 0, 0,
       "{\"market\":\"KRW-BTC\", \"ord_type\":\"market\", \"side\":\"ask\", \"volume\":0.12345}",
       "market=KRW-BTC&ord_type=market&side=ask&volume=0.12345",
       "market=KRW-BTC&side=ask&volume=0.12345600&ord_type=market"},
  };
  std::vector<std::string> identifiers;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    ASSERT_EQ(Order(c.side, "KRW-BTC", c.qty, c.price, c.amount), 0) << i;
    EXPECT_EQ(success_, 1);
    EXPECT_EQ(std::string(orderNo_), "order-" + std::to_string(i + 1));
    const auto sent = peer_.RequestsTo(ExchangePeer::kOrdersPath);
    ASSERT_EQ(sent.size(), i + 1);
    const RecordedRequest& request = sent.back();
    EXPECT_EQ(request.Header("Content-Type"), "application/json; charset=utf-8");
    CheckedToken token;
    CheckToken(request, &token);
    const ExchangeOrder order = peer_.Orders().at(i);
    if (Bithumb()) {
      EXPECT_EQ(request.body, c.bithumbBody);
      EXPECT_EQ(order.signedQuery, c.bithumbQuery);
      EXPECT_EQ(token.claims["query_hash"].GetString(), Sha512Hex(c.bithumbQuery));
    } else {
      const std::string identifier = order.Member("identifier");
      identifiers.push_back(identifier);
      const std::string query = c.upbitQuery + "&identifier=" + identifier;
      EXPECT_EQ(order.signedQuery, query);
      EXPECT_EQ(token.claims["query_hash"].GetString(), Sha512Hex(query));
      std::string body = "{";
      for (const auto& [name, value] : order.members)
        body += (body.size() > 1 ? "," : "") + ("\"" + name + "\":\"" + value + "\"");
      EXPECT_EQ(request.body, body + "}");
    }
  }
  if (!Bithumb()) {
    // The identifier of an order that failed is never used again.
    peer_.SetRawOrderReply("<html>502</html>", 502);
    EXPECT_EQ(Order(2, "KRW-BTC", 1, 0, 0), kCoinOrderUnreadable);
    peer_.SetRawOrderReply("", 0);
    ASSERT_EQ(Order(2, "KRW-BTC", 1, 0, 0), 0);
    identifiers.push_back(peer_.Orders().back().Member("identifier"));
    for (size_t i = 1; i < identifiers.size(); ++i)
      EXPECT_GT(std::stoll(identifiers[i]), std::stoll(identifiers[i - 1]));
  }
  // A market code that is not one is refused before anything goes out.
  const size_t before = peer_.Requests().size();
  EXPECT_EQ(Order(2, "KRW-BTC\",\"x", 1, 0, 0), kAgentOrderNotAvailable);
  EXPECT_EQ(peer_.Requests().size(), before);
}

TEST_P(ExchangeAgentTest, ErrorNamesMapToOrderCodesCaseSensitively) {
  ASSERT_EQ(LogIn(), 1);
  const struct {
    const char* name;
    int code;
  } cases[] = {
      {"too_many_request_order", 702}, {"under_min_total_market_ask", 703},
      {"duplicated_identifier", 704},  {"not_supported_ord_type", 705},
      {"under_min_total_bid", 706},    {"insufficient_funds_bid", 707},
      {"insufficient_funds_ask", 708}, {"out_of_scope", 709},
      {"remaining_volume", 710},       {"Insufficient_funds_ask", 701},
      {"validation_error", 701},
  };
  for (const auto& c : cases) {
    peer_.RefuseOrders(c.name, std::string("거부 ") + c.name);
    EXPECT_EQ(Order(2, "KRW-BTC", 1, 0, 0), c.code) << c.name;
    EXPECT_EQ(success_, 0);
    EXPECT_EQ(result_, c.code);
    EXPECT_EQ(WideToUtf8(resultText_), std::to_string(c.code)) << "answered: a refusal";
    EXPECT_EQ(WideToUtf8(orderMessage_), std::string("거부 ") + c.name);
    EXPECT_EQ(orderNo_[0], '\0');
  }
  char name[100] = {};
  wchar_t message[64] = {};
  int success = -1;
  std::string id;
  peer_.RefuseOrders("insufficient_funds_ask", "잔고 부족");
  EXPECT_EQ(
      agent_->TradeCoinOrder(nullptr, kExchangeMarketKind, 1, 2, 0, L"KRW-BTC", 1, 0, 0, nullptr,
                             nullptr, nullptr, 0, &success, message, 64, name, sizeof name, &id),
      708);
  EXPECT_STREQ(name, "insufficient_funds_ask");
  EXPECT_EQ(success, 0);
}

// An order whose answer cannot be read may have been executed: it is reported unknown (-1, no
// refusal code), and it went out exactly once.
TEST_P(ExchangeAgentTest, UnreadableOrderAnswersAreUnknownAndSentOnce) {
  ASSERT_EQ(LogIn(), 1);
  const struct {
    const char* what;
    std::string body;
    int status;
    PeerReply::Wire wire;
  } cases[] = {
      {"gateway page", "<html><body>502 Bad Gateway</body></html>", 502, PeerReply::Wire::kWhole},
      {"HTML with 200", "<html>ok</html>", 200, PeerReply::Wire::kWhole},
      {"error from a failing server", "{\"error\":{\"name\":\"server_error\"}}", 500,
       PeerReply::Wire::kWhole},
      {"cut transfer", "{\"uuid\":\"order-x\",\"side\":\"ask\"}", 201, PeerReply::Wire::kCut},
      {"reset", "{\"uuid\":\"order-x\"}", 201, PeerReply::Wire::kReset},
  };
  for (const auto& c : cases) {
    peer_.SetRawOrderReply(c.body, c.status, "application/json");
    peer_.SetOrderWire(c.wire);
    const size_t before = peer_.RequestsTo(ExchangePeer::kOrdersPath).size();
    EXPECT_EQ(Order(2, "KRW-BTC", 1, 0, 0), kCoinOrderUnreadable) << c.what;
    EXPECT_EQ(success_, 0) << c.what;
    EXPECT_EQ(resultText_[0], L'\0') << c.what << ": no refusal code";
    EXPECT_NE(orderMessage_[0], L'\0') << c.what;
    EXPECT_EQ(peer_.RequestsTo(ExchangePeer::kOrdersPath).size(), before + 1) << c.what;
  }
}

TEST_P(ExchangeAgentTest, ServerUrlOperations) {
  const std::string base = agent_->m_baseUrl;
  EXPECT_EQ(agent_->SetServerUrl(nullptr), 1);
  EXPECT_EQ(std::string(agent_->m_baseUrl), base);
  EXPECT_EQ(agent_->SetServerUrl(L"https://127.0.0.1:1"), 1);
  EXPECT_STREQ(agent_->m_baseUrl, "https://127.0.0.1:1");
  EXPECT_EQ(agent_->ParseUSAPriceResponse("https://127.0.0.1:2", 0, nullptr, 0, nullptr), 0);
  EXPECT_STREQ(agent_->m_baseUrl, "https://127.0.0.1:2");
  EXPECT_EQ(agent_->SetLastMessage(nullptr), 0);
  EXPECT_EQ(agent_->GetLastMessage(), L"");
}

INSTANTIATE_TEST_SUITE_P(Exchanges, ExchangeAgentTest,
                         ::testing::Values(ExchangePeer::Kind::kBithumb,
                                           ExchangePeer::Kind::kUpbit),
                         [](const auto& info) {
                           return info.param == ExchangePeer::Kind::kBithumb ? "Bithumb" : "UpBit";
                         });

TEST(UpBitAgent, HttpGetVerifiedNeedsAHandleAndVerifiesThePeer) {
  CUpBitAgent agent(kExchangeMarketKind, L"u", 'b', kUpBitBrokerId, 1, kExchangeMarketId, 0, 40);
  uint64_t size = 0;
  int32_t transfer = 0;
  EXPECT_EQ(agent.HttpGetVerified(nullptr, "https://127.0.0.1:1/", 0, &size, &transfer), nullptr);
  EXPECT_EQ(transfer, 99);

  ExchangePeer peer(ExchangePeer::Kind::kUpbit, SharedCa());
  ASSERT_TRUE(peer.Start());
  peer.Http().On("GET", "/v1/candles/days", peer_json::Json("[{\"trade_price\":1}]"));
  CURL* curl = curl_easy_init();
  ASSERT_NE(curl, nullptr);
  const std::string url = peer.BaseUrl() + "/v1/candles/days?market=KRW-BTC&count=1";
  // Without the test CA the peer's certificate is refused.
  char* refused = agent.HttpGetVerified(curl, url.c_str(), 0, &size, &transfer);
  std::free(refused);
  EXPECT_NE(transfer, 0);
  agent.SetCaCertPemFilePath(SharedCaFileW().c_str());
  char* reply = agent.HttpGetVerified(curl, url.c_str(), 0, &size, &transfer);
  ASSERT_NE(reply, nullptr);
  EXPECT_EQ(transfer, 0);
  EXPECT_STREQ(reply, "[{\"trade_price\":1}]");
  EXPECT_EQ(size, std::strlen(reply));
  std::free(reply);
  curl_easy_cleanup(curl);
  const auto sent = peer.RequestsTo("/v1/candles/days");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].Header("User-Agent"), "libcurl-agent/1.0");
  EXPECT_FALSE(sent[0].HasHeader("Authorization"));
}

}  // namespace
}  // namespace orv::test
