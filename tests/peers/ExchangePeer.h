#pragma once
// A loopback stand-in for a crypto exchange's private REST API (Bithumb or Upbit): the account
// list "GET /v1/accounts" and orders "POST /v1/orders". Every request must carry the bearer
// token the exchange checks: HS256 over "header.claims" with the user's secret key, the claim
// "access_key" naming a known key, a "nonce" UUID never seen before, "query_hash" (hex SHA-512)
// and "query_hash_alg" "SHA512" whenever the request has parameters (the hash must be that of
// the query the exchange rebuilds from the GET query, the form body or the JSON body's members
// in order), and for Bithumb a "timestamp" in milliseconds within five minutes of now. A request
// that fails a check is answered 401 with the exchange's error object.
//
// Market data: the market list "GET /v1/market/all", tickers "GET /v1/ticker?markets=A,B"
// (markets the exchange does not list are left out), day candles "GET /v1/candles/days" and
// minute candles "GET /v1/candles/minutes/<unit>" (?market=&count=, newest first). These are
// public: a request without a token is answered, one with a token must carry a good one.
//
// Orders: Bithumb's come as a JSON body; Upbit's as a JSON body (form bodies are refused with
// 400 since the exchange ended them) whose "identifier" may be used once only.

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "tests/peers/HttpPeer.h"
#include "tests/peers/TestCa.h"

namespace orv::test {

// One object of the account list.
struct ExchangeAccountRow {
  std::string currency;  // "KRW", "BTC", ...
  double balance = 0;
  double locked = 0;
  double avgBuyPrice = 0;
  std::string unitCurrency = "KRW";
};

// One market of the market list.
struct ExchangeMarketRow {
  std::string market;  // "KRW-BTC"
  std::string koreanName;
  std::string englishName;
};

// One market's ticker.
struct ExchangeTickerRow {
  std::string market;
  double price = 0;
  double open = 0;
  double high = 0;
  double low = 0;
  double prevClose = 0;
  std::string change = "EVEN";  // "RISE", "EVEN" or "FALL"
  double changePrice = 0;       // never signed
  double changeRate = 0;        // a fraction (0.0123 is 1.23 percent), never signed
  double accVolume = 0;
  double accVolume24h = 0;
  double accPrice = 0;
  double accPrice24h = 0;
  std::string tradeDate = "20261211";  // KST
  std::string tradeTime = "093000";
};

// One candle.
struct ExchangeCandleRow {
  std::string utc;  // "2026-12-11T00:00:00"
  std::string kst;
  double open = 0;
  double high = 0;
  double low = 0;
  double close = 0;
  double volume = 0;
};

// One order the exchange accepted: its members as the exchange read them (in body order) and
// the query its token's hash covered.
struct ExchangeOrder {
  std::vector<std::pair<std::string, std::string>> members;
  std::string signedQuery;
  std::string uuid;
  std::string Member(const std::string& name) const;
};

class ExchangePeer {
 public:
  enum class Kind { kBithumb, kUpbit };
  static constexpr const char* kAccountsPath = "/v1/accounts";
  static constexpr const char* kOrdersPath = "/v1/orders";

  ExchangePeer(Kind kind, const TestCa& ca);
  ~ExchangePeer();
  ExchangePeer(const ExchangePeer&) = delete;
  ExchangePeer& operator=(const ExchangePeer&) = delete;

  bool Start(int port = 0);
  void Stop();
  std::string BaseUrl() const;
  int Port() const;
  HttpPeer& Http() { return http_; }

  // The one key pair the exchange knows.
  void AcceptCredentials(const std::string& key, const std::string& secret);
  // The account list.
  void SetAccounts(const std::vector<ExchangeAccountRow>& rows);
  // Answers the account list with this error object (status 401) until cleared with "".
  void RefuseAccounts(const std::string& name, const std::string& message = "refused");
  // Answers the account list with a raw reply (e.g. a gateway page) until cleared with "".
  void SetRawAccountsReply(const std::string& body, int status = 200,
                           const std::string& contentType = "application/json");
  void SetAccountsDelay(std::chrono::milliseconds delay);

  void SetMarkets(const std::vector<ExchangeMarketRow>& markets);
  // Every ticker; SetTickerPrice moves one market's price (and its change against the open).
  void SetTickers(const std::vector<ExchangeTickerRow>& tickers);
  void SetTickerPrice(const std::string& market, double price);
  // Answers tickers with this error object (status 404) until cleared with "".
  void RefuseTickers(const std::string& name, const std::string& message = "refused");
  // Answers tickers with a raw reply until cleared with an empty body.
  void SetRawTickerReply(const std::string& body, int status = 200,
                         const std::string& contentType = "application/json");
  // A market's candles, newest first: unit 0 days, else minutes of that unit.
  void SetCandles(const std::string& market, int unit, const std::vector<ExchangeCandleRow>& rows);
  // The ticker reply the exchange writes for these tickers.
  static std::string TickerBody(const std::vector<ExchangeTickerRow>& tickers);
  // The minute units the exchange serves.
  static constexpr int kMinuteUnits[] = {1, 3, 5, 10, 15, 30, 60, 240};

  // Orders: refused with this error name (status 400) until cleared with "".
  void RefuseOrders(const std::string& name, const std::string& message = "refused");
  // Orders answered with a raw reply (status, content type) until cleared with an empty body.
  void SetRawOrderReply(const std::string& body, int status,
                        const std::string& contentType = "text/html");
  // How the order reply leaves the peer (whole, reset, cut).
  void SetOrderWire(PeerReply::Wire wire);

  std::vector<RecordedRequest> Requests() const { return http_.Requests(); }
  std::vector<RecordedRequest> RequestsTo(const std::string& path) const;
  std::vector<ExchangeOrder> Orders() const;
  // Requests refused for their token, and why ("bad signature", "query hash", ...).
  std::vector<std::string> TokenRefusals() const;

  // The claims of a token (the decoded middle part), empty when it is not three parts.
  static std::string TokenClaims(const std::string& token);

 private:
  PeerReply AnswerAccounts(const RecordedRequest& request);
  PeerReply AnswerMarkets(const RecordedRequest& request);
  PeerReply AnswerTickers(const RecordedRequest& request);
  PeerReply AnswerCandles(const RecordedRequest& request, int unit);
  // A public request: answered without a token; a token sent must be good.
  bool CheckPublic(const RecordedRequest& request, PeerReply* refusal);
  PeerReply AnswerOrder(const RecordedRequest& request);
  // Checks the request's token against the signed query; on failure fills the refusal.
  bool CheckToken(const RecordedRequest& request, const std::string& query, PeerReply* refusal);
  PeerReply Error(int status, const std::string& name, const std::string& message) const;

  Kind kind_;
  HttpPeer http_;
  mutable std::mutex mutex_;
  std::string key_;
  std::string secret_;
  std::vector<ExchangeAccountRow> accounts_;
  std::vector<ExchangeMarketRow> markets_;
  std::vector<ExchangeTickerRow> tickers_;
  std::map<std::pair<std::string, int>, std::vector<ExchangeCandleRow>> candles_;
  std::string refuseTickersName_;
  std::string refuseTickersMessage_;
  PeerReply rawTickers_;
  bool rawTickersSet_ = false;
  std::string refuseAccountsName_;
  std::string refuseAccountsMessage_;
  PeerReply rawAccounts_;
  bool rawAccountsSet_ = false;
  std::chrono::milliseconds accountsDelay_{0};
  std::string refuseOrdersName_;
  std::string refuseOrdersMessage_;
  PeerReply rawOrder_;
  bool rawOrderSet_ = false;
  PeerReply::Wire orderWire_ = PeerReply::Wire::kWhole;
  std::set<std::string> nonces_;
  std::set<std::string> identifiers_;
  std::vector<ExchangeOrder> orders_;
  std::vector<std::string> tokenRefusals_;
};

}  // namespace orv::test
