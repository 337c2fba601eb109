#pragma once
// A loopback stand-in for the DB securities broker's REST API, on top of HttpPeer: the token
// and revoke endpoints, the deposit and balance inquiries, stock-ticker pages, multi-price
// quotes, day and minute candles, the investor trend, domestic and overseas orders (which
// change the peer's domestic holdings), continuation pages and refusals.
// Every endpoint but the token endpoint wants "Authorization: Bearer <issued token>"; without
// it the reply is HTTP 401 with rsp_cd "IGW00121".

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/peers/HttpPeer.h"

namespace orv::test {

struct DbDeposit {
  double deposit = 0;       // DpsBalAmt
  double withdrawable = 0;  // WthdwAbleAmt
  double margin = 0;        // MgnMny
  double nextDay = 0;       // PrsmptDpsD1
};

// One balance row. Numbers are written as JSON numbers unless `asText` is set.
struct DbHoldingRow {
  std::string code;  // domestic: "A005930"; overseas: the symbol
  std::string name;
  double balanceQty = 0;  // BalQty0 (domestic)
  double ableQty = -1;    // AbleQty (domestic; left out when negative); overseas quantity
  double avgPrice = 0;
  double nowPrice = 0;
  double commission = 0;
  double tax = 0;
  int loanDate = 0;
  bool asText = false;
};

struct DbDomesticTotals {
  double buy = 0;           // TotBuyAmt
  double eval = 0;          // TotEvalAmt
  double todayBuy = 0;      // ThdayBuyAmt
  double credit = 0;        // CrdtBnsAmt
  double depositAsset = 0;  // DpsastAmt
  double cash = 0;          // Dps2
  double todaySell = 0;     // ThdaySellAmt
  double realized = 0;      // ThdayRlzPnlAmt
};

struct DbOverseasTotals {
  double purchase = 0;  // PchsAmt
  double cash = 0;      // Dps
  double asset = 0;     // AssetAmtTotamt
  double commission = 0;
  double tax = 0;
};

// One stock-list entry.
struct DbTickerRow {
  std::string code;  // Iscd ("A005930" domestic, "AAPL" overseas)
  std::string stdCode;
  std::string marketClass;  // MrktClsCode ("1", "4", ...)
  std::string name;         // KorIsnm
};

// One quote as the multi-price inquiry writes it (numbers as text, as the broker does).
struct DbQuote {
  std::string code;
  std::string name;
  double price = 0;     // Prpr
  double open = 0;      // Oprc
  double high = 0;      // Hprc
  double low = 0;       // Lprc
  double previous = 0;  // Sdpr
  double change = 0;    // PrdyVrss
  double rate = 0;      // PrdyCtrt
};

// One candle; `hour` (hhmmss) only for minute candles.
struct DbCandle {
  std::string date;
  int hour = 0;
  double open = 0;
  double high = 0;
  double low = 0;
  double close = 0;
  double volume = 0;
};

// One day of the investor trend.
struct DbInvestorRow {
  std::string date;
  double volume = 0;  // AcmlVol
  double close = 0;   // Prpr
  double agencyBuyAmount = 0;
  double agencySellAmount = 0;
  double agencyBuyVolume = 0;
  double agencySellVolume = 0;
  double foreignBuyAmount = 0;
  double foreignSellAmount = 0;
  double foreignBuyVolume = 0;
  double foreignSellVolume = 0;
};

// One page of a continued list: its body and the "cont_key" header sent with it (none when
// empty).
struct DbPage {
  std::string body;
  std::string contKey;
};

// Where a broker built on the DB broker's formats differs from it: its token, revoke and deposit
// paths, the form field of the app secret, the reply header that carries the continuation key,
// and further POST paths the peer serves (each through AnswerOwn, else its body or pages).
struct BrokerPeerDialect {
  std::string tokenPath = "/oauth2/token";
  std::string revokePath = "/oauth2/revoke";
  std::string depositPath = "/api/v1/trading/kr-stock/inquiry/acnt-deposit";
  std::string secretParam = "appsecretkey";
  std::string contKeyHeader = "cont_key";
  std::vector<std::string> extraPaths;
};

class DbBrokerPeer {
 public:
  static constexpr const char* kTokenPath = "/oauth2/token";
  static constexpr const char* kRevokePath = "/oauth2/revoke";
  static constexpr const char* kDepositPath = "/api/v1/trading/kr-stock/inquiry/acnt-deposit";
  static constexpr const char* kDomesticBalancePath = "/api/v1/trading/kr-stock/inquiry/balance";
  static constexpr const char* kOverseasBalancePath =
      "/api/v1/trading/overseas-stock/inquiry/balance-margin";
  static constexpr const char* kDomesticTickerPath = "/api/v1/quote/kr-stock/inquiry/stock-ticker";
  static constexpr const char* kOverseasTickerPath =
      "/api/v1/quote/overseas-stock/inquiry/stock-ticker";
  static constexpr const char* kDomesticPricePath = "/api/v1/quote/kr-stock/inquiry/multiprice";
  static constexpr const char* kOverseasPricePath =
      "/api/v1/quote/overseas-stock/inquiry/multiprice";
  static constexpr const char* kDayChartPath = "/api/v1/quote/kr-chart/day";
  static constexpr const char* kMinuteChartPath = "/api/v1/quote/kr-chart/min";
  static constexpr const char* kInvestorPath = "/api/v1/quote/kr-stock/inquiry/daily-investor";
  static constexpr const char* kDomesticOrderPath = "/api/v1/trading/kr-stock/order";
  static constexpr const char* kOverseasOrderPath = "/api/v1/trading/overseas-stock/order";
  static constexpr const char* kAllTickersPath = "/public/ticker/ALL";

  // Plain HTTP.
  DbBrokerPeer();
  // HTTPS with a certificate from `ca`.
  explicit DbBrokerPeer(const TestCa& ca);
  virtual ~DbBrokerPeer();

  bool Start();
  void Stop();
  std::string BaseUrl() const { return http_->BaseUrl(); }
  HttpPeer& Http() { return *http_; }

  std::vector<RecordedRequest> Requests() const { return http_->Requests(); }
  std::vector<RecordedRequest> RequestsTo(const std::string& path) const;

  // The token endpoint answers these credentials with the token; others get a refusal
  // ("IGW00123" unless RefuseToken set another code).
  void AcceptCredentials(const std::string& key, const std::string& secret);
  // The token issued and the raw JSON text of "expires_in" ("86400", "\"3600\"", ...).
  void SetToken(const std::string& token, const std::string& expiresInJson = "86400");
  const std::string& Token() const { return token_; }
  // Every token request gets a new token ("<token>-<n>" followed by padding to 512
  // characters), and every token issued so far stays valid: renewals racing the requests
  // that use the token. The tokens issued, in order.
  void RotateTokens(bool on);
  std::vector<std::string> IssuedTokens() const;
  // Refuses every token request with this code and description.
  void RefuseToken(const std::string& code, const std::string& description);
  // The revoke endpoint's reply body ({"code":200,"message":"..."} by default).
  void SetRevokeReply(const std::string& body);

  void SetDeposit(const DbDeposit& deposit);
  void SetDomesticBalance(const DbDomesticTotals& totals, const std::vector<DbHoldingRow>& rows);
  void SetOverseasBalance(const DbOverseasTotals& totals, const std::vector<DbHoldingRow>& rows);
  // The path answers with only rsp_cd and rsp_msg (HTTP 200) until cleared by its setter.
  void Refuse(const std::string& path, const std::string& code, const std::string& message);
  // The path answers page by page: the first request (no "cont_key" header) gets page 0, a
  // request carrying page i's key gets page i + 1.
  void SetPages(const std::string& path, const std::vector<DbPage>& pages);
  // Stock-list pages of one path: page i lists rows[i] and carries key i ("k1", "k2", ...)
  // except the last.
  void SetTickerPages(const std::string& path, const std::vector<std::vector<DbTickerRow>>& pages);
  // The quotes the multi-price inquiries answer with (codes not listed are left out of a reply).
  void SetQuotes(const std::vector<DbQuote>& quotes);
  // Candles of the day or minute chart path, newest first as the broker sends them.
  void SetCandles(const std::string& path, const std::vector<DbCandle>& newestFirst);
  void SetInvestorRows(const std::vector<DbInvestorRow>& newestFirst);
  // The path answers with this body and content type until ClearReply (refusals, error pages).
  void SetRawReply(const std::string& path, const std::string& body,
                   const std::string& contentType = "application/json");
  void ClearReply(const std::string& path);
  // A live account (the sandbox's): a filled domestic order also moves the deposit (a buy
  // beyond the withdrawable amount is refused), the day's bought, sold and realised amounts,
  // and every balance reply values the holdings at the current quotes, its totals computed
  // from the rows and the deposit. Off by default: balances then stay as set.
  void SetLiveAccount(bool live);
  DbDeposit Deposit() const;
  // The domestic holdings as the balance reply lists them.
  std::vector<DbHoldingRow> DomesticHoldings() const;
  // The last order number issued (orders are numbered from 1001).
  int LastOrderNo() const;
  // Every reply of the path waits this long first (a server that never answers in time).
  void SetDelay(const std::string& path, std::chrono::milliseconds delay);

  // What goes wrong with an order reply. The executing faults first execute the order as
  // usual, then fail the reply: kReset resets the connection before any reply byte, kTimeout
  // answers only after `faultDelay` (longer than the client waits), kServerError answers an
  // HTTP 500 page, kCutReply sends half the reply and closes, kCutJson sends a whole reply
  // whose JSON is cut short. kNotAccepted executes nothing and refuses with `code`.
  enum class OrderFault {
    kNone,
    kReset,
    kTimeout,
    kServerError,
    kCutReply,
    kCutJson,
    kNotAccepted
  };
  // The next orders meet these faults, one each, in order; later orders are answered normally.
  void QueueOrderFaults(const std::vector<OrderFault>& faults, const std::string& code = "08819",
                        std::chrono::milliseconds faultDelay = std::chrono::milliseconds(3000));
  // Orders the peer executed (each changed the holdings), and the order requests it received.
  int OrdersExecuted() const;
  int OrdersReceived() const;

  // Reply bodies as the broker writes them.
  static std::string DepositBody(const DbDeposit& deposit);
  static std::string DomesticBalanceBody(const DbDomesticTotals& totals,
                                         const std::vector<DbHoldingRow>& rows);
  static std::string OverseasBalanceBody(const DbOverseasTotals& totals,
                                         const std::vector<DbHoldingRow>& rows);
  static std::string TickerPageBody(const std::vector<DbTickerRow>& rows);
  static std::string MultiPriceBody(const std::vector<DbQuote>& quotes);
  // A single-stock price reply (object "Out") and an overseas price reply ("Symbl" ...).
  static std::string SinglePriceBody(const DbQuote& quote);
  static std::string OverseasPriceBody(const DbQuote& quote);
  static std::string CandleBody(const std::vector<DbCandle>& newestFirst, bool minutes);
  static std::string InvestorBody(const std::vector<DbInvestorRow>& newestFirst);
  // The codes a multi-price request asks for, in order ("InputIscd1", "InputIscd2", ...), and
  // its "dataCnt" (-1 when the body is not such a request).
  static std::vector<std::string> AskedCodes(const std::string& requestBody, int* dataCount);

 protected:
  DbBrokerPeer(const BrokerPeerDialect& dialect, const TestCa* ca);
  // A reply of the peer's own for an authorised request to `path` (the caller holds mutex_);
  // false leaves the request to the DB broker's answers.
  virtual bool AnswerOwn(const std::string& path, const RecordedRequest& request,
                         PeerReply* reply);
  // Whether an "Authorization" header carries a token the peer accepts (caller holds mutex_).
  bool TokenAccepted(const std::string& authorization) const;
  // The quote set for a code (caller holds mutex_); null when none.
  const DbQuote* QuoteOf(const std::string& code) const;
  mutable std::mutex mutex_;

 private:
  void Install();
  PeerReply Answer(const std::string& path, const RecordedRequest& request);
  PeerReply TokenReply(const RecordedRequest& request);
  static constexpr size_t kRotatedTokenLength = 512;
  PeerReply PriceReply(const RecordedRequest& request);
  PeerReply OrderReply(const std::string& path, const RecordedRequest& request);
  // Live account: revalues the rows at the quotes and rewrites the deposit and balance bodies.
  void RefreshLiveAccount();

  BrokerPeerDialect dialect_;
  std::unique_ptr<HttpPeer> http_;
  std::string key_ = "key";
  std::string secret_ = "secret";
  std::string token_ = "peer-token-1";
  std::string expiresIn_ = "86400";
  bool rotate_ = false;
  std::vector<std::string> issued_;
  std::string refuseCode_;
  std::string refuseDescription_;
  std::string revokeBody_ = "{\"code\":200,\"message\":\"revoked\"}";
  std::map<std::string, std::string> bodies_;
  std::map<std::string, std::vector<DbPage>> pages_;
  std::map<std::string, std::chrono::milliseconds> delays_;
  std::map<std::string, PeerReply> rawReplies_;
  std::map<std::string, DbQuote> quotes_;
  DbDeposit deposit_;
  bool live_ = false;
  DbDomesticTotals domesticTotals_;
  std::vector<DbHoldingRow> domesticRows_;
  int lastOrderNo_ = 1000;
  std::vector<OrderFault> orderFaults_;
  std::string notAcceptedCode_;
  std::chrono::milliseconds faultDelay_{3000};
  int ordersExecuted_ = 0;
  int ordersReceived_ = 0;
};

}  // namespace orv::test
