#pragma once
// A loopback stand-in for the Kiwoom securities REST API, on top of HttpPeer: the token and
// revoke endpoints, and the operations the agent names in its "api-id" header: "kt00004"
// (deposit) and "kt00018" (balance, paged) on /api/dostk/acnt, "ka10099" (stock list, paged) and
// "ka10095" (prices of '|'-joined codes) on /api/dostk/stkinfo, "ka10004" (best bid and ask)
// and "ka10045" (investor trend) on /api/dostk/mrkcond, "ka10081" and "ka10080" (day and minute
// candles) on /api/dostk/chart, "ka10014" (short selling) on /api/dostk/shsa, and the orders:
// "kt10000"/"kt10001" (cash buy/sell) on /api/dostk/ordr, "kt10006"/"kt10007" (credit) on
// /api/dostk/crdordr. Market data not set answers from the quotes (one row of today).
// Paged operations answer the first request (no "next-key" header) with page 0 and a request
// carrying page i's key with page i + 1; every page but the last carries "cont-yn: Y" and a
// "next-key" header. Numbers are written as the broker writes them: zero-padded text, prices of
// a falling stock with a leading minus.
// Every endpoint but the token endpoint wants "Authorization: Bearer <issued token>"; without it
// the reply is HTTP 401 with return_code 3.

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/peers/HttpPeer.h"

namespace orv::test {

struct KiwoomDeposit {
  double entr = 0;        // deposit
  double d2 = 0;          // "d2_entra", withdrawable
  double purchase = 0;    // "tot_pur_amt"
  double nextDayAsset = 0;  // "prsm_dpst_aset_amt"
};

// One balance row ("acnt_evlt_remn_indv_tot").
struct KiwoomHolding {
  std::string code;  // "A005930"
  std::string name;
  double quantity = 0;
  double avgPrice = 0;
  double nowPrice = 0;  // 0: the current quote of the code (a live account)
  int creditKind = 0;   // "crd_tp"
  int loanDate = 0;     // "crd_loan_dt" (left out when 0)
  bool falling = false;  // prices written with a leading minus
};

struct KiwoomListRow {
  std::string code;  // "005930"
  std::string name;
  std::string marketCode = "0";
  double lastPrice = 0;
};

struct KiwoomQuote {
  std::string code;  // "005930"
  std::string name;
  double price = 0;
  double open = 0;
  double high = 0;
  double low = 0;
  double change = 0;  // "pred_pre"
  double rate = 0;    // "flu_rt"
  bool falling = false;  // prices written with a leading minus
};

// One candle row ("ka10081" "dt", "ka10080" "cntr_tm").
struct KiwoomCandle {
  std::string date;  // "20261210" for days, "20261210093000" for minutes
  double open = 0;
  double high = 0;
  double low = 0;
  double close = 0;
  double volume = 0;
  bool falling = false;  // prices written with a leading minus
};

// One "ka10045" row.
struct KiwoomInvestorRow {
  std::string date;
  double close = 0;
  double agency = 0;     // "orgn_daly_nettrde_qty"
  double foreigner = 0;  // "for_daly_nettrde_qty"
  double ratio = 0;      // "limit_exh_rt"
};

// One "ka10014" row.
struct KiwoomShortRow {
  std::string date;
  double close = 0;
  double rate = 0;    // "flu_rt"
  double qty = 0;     // "shrts_qty"
  double sum = 0;     // "ovr_shrts_qty"
  double weight = 0;  // "trde_wght"
};

// A "ka10004" reply's best and second-best ask and bid.
struct KiwoomBidAsk {
  double askPrice = 0, askQty = 0, bidPrice = 0, bidQty = 0;
  double ask2Price = 0, ask2Qty = 0, bid2Price = 0, bid2Qty = 0;
  bool falling = false;  // prices written with a leading minus
};

class KiwoomBrokerPeer {
 public:
  static constexpr const char* kTokenPath = "/oauth2/token";
  static constexpr const char* kRevokePath = "/oauth2/revoke";
  static constexpr const char* kAccountPath = "/api/dostk/acnt";
  static constexpr const char* kStockInfoPath = "/api/dostk/stkinfo";
  static constexpr const char* kMarketConditionPath = "/api/dostk/mrkcond";
  static constexpr const char* kChartPath = "/api/dostk/chart";
  static constexpr const char* kShortSellingPath = "/api/dostk/shsa";
  static constexpr const char* kCashOrderPath = "/api/dostk/ordr";
  static constexpr const char* kCreditOrderPath = "/api/dostk/crdordr";

  KiwoomBrokerPeer();  // plain HTTP
  explicit KiwoomBrokerPeer(const TestCa& ca);
  ~KiwoomBrokerPeer();

  bool Start();
  void Stop();
  std::string BaseUrl() const { return http_->BaseUrl(); }
  HttpPeer& Http() { return *http_; }
  std::vector<RecordedRequest> Requests() const { return http_->Requests(); }
  // The requests naming this operation in their "api-id" header.
  std::vector<RecordedRequest> RequestsFor(const std::string& apiId) const;

  void AcceptCredentials(const std::string& key, const std::string& secret);
  // The token issued and the raw JSON of its "expires_dt" (a quoted "yyyymmddhhmmss" text in
  // Korean time; empty: the member is left out). By default a day after the present.
  void SetToken(const std::string& token, const std::string& expiresDtJson = std::string());
  const std::string& Token() const { return token_; }
  // Refuses every token request with this code and message.
  void RefuseToken(int code, const std::string& message);
  void SetRevokeReply(const std::string& body);

  void SetDeposit(const KiwoomDeposit& deposit);
  // The balance as pages of rows; the totals are computed over all rows.
  void SetBalancePages(const std::vector<std::vector<KiwoomHolding>>& pages);
  // Stock-list pages of "ka10099".
  void SetListPages(const std::vector<std::vector<KiwoomListRow>>& pages);
  void SetQuotes(const std::vector<KiwoomQuote>& quotes);
  // The operation answers with this body (and status and content type) until cleared with an
  // empty body.
  void SetRawReply(const std::string& apiId, const std::string& body, int status = 200,
                   const std::string& contentType = "application/json");
  // Candles of "ka10081" or "ka10080", newest first as the broker sends them.
  void SetCandles(const std::string& apiId, const std::vector<KiwoomCandle>& newestFirst);
  void SetInvestorRows(const std::vector<KiwoomInvestorRow>& newestFirst);
  void SetShortRows(const std::vector<KiwoomShortRow>& newestFirst);
  // The "ka10004" answer for a code as asked ("005930", "005930_NX").
  void SetBidAsk(const std::string& askedCode, const KiwoomBidAsk& values);
  // A live account (the sandbox's): an order moves the holdings and the deposit (a sale of more
  // than is held, or a buy beyond the deposit, is refused).
  void SetLiveAccount(bool live);
  // Order requests received, and the last order number issued (from 1001, sent as seven digits
  // with leading zeros).
  int OrdersReceived() const;
  int LastOrderNo() const;
  std::vector<KiwoomHolding> Holdings() const;
  // Every reply of the operation waits this long first.
  void SetDelay(const std::string& apiId, std::chrono::milliseconds delay);
  // A live account (the sandbox's): balance rows without a price are valued at the quotes.
  std::vector<KiwoomQuote> Quotes() const;

  static std::string DepositBody(const KiwoomDeposit& deposit);
  static std::string BalanceBody(const std::vector<KiwoomHolding>& rows, double purchase,
                                 double evaluation);
  static std::string ListBody(const std::vector<KiwoomListRow>& rows);
  // A "ka10095" reply for the codes as asked (suffixes kept; codes without a quote left out).
  static std::string PriceBody(const std::vector<std::string>& asked,
                               const std::map<std::string, KiwoomQuote>& quotes);
  // A date-time "yyyymmddhhmmss" in Korean time `secondsFromNow` from the present.
  static std::string KstDateTime(long long secondsFromNow);

 private:
  void Install();
  PeerReply Answer(const std::string& path, const RecordedRequest& request);
  PeerReply TokenReply(const RecordedRequest& request);
  // Page by "next-key" of a paged operation (caller holds mutex_).
  PeerReply PageReply(const std::vector<std::string>& pages, const std::string& apiId,
                      const RecordedRequest& request) const;
  std::vector<std::string> BalanceBodies() const;
  // An order (caller holds mutex_).
  PeerReply OrderReply(const std::string& path, const std::string& apiId,
                       const RecordedRequest& request);
  // Market-data replies (caller holds mutex_).
  PeerReply ChartReply(const std::string& apiId, const RecordedRequest& request) const;
  PeerReply TrendReply(const RecordedRequest& request) const;
  PeerReply ShortReply(const RecordedRequest& request) const;
  PeerReply BidAskReply(const RecordedRequest& request) const;
  // Today's date in Korea ("yyyymmdd").
  static std::string KstToday();

  std::unique_ptr<HttpPeer> http_;
  mutable std::mutex mutex_;
  std::string key_ = "key";
  std::string secret_ = "secret";
  std::string token_ = "kiwoom-token-1";
  std::string expiresDt_;
  bool expiresSet_ = false;
  int refuseCode_ = 0;
  std::string refuseMessage_;
  std::string revokeBody_ = "{\"code\":0,\"message\":\"revoked\"}";
  KiwoomDeposit deposit_;
  std::vector<std::vector<KiwoomHolding>> balancePages_;
  std::vector<std::string> listPages_;
  std::map<std::string, KiwoomQuote> quotes_;
  struct RawReply {
    std::string body;
    int status = 200;
    std::string contentType;
  };
  std::map<std::string, RawReply> rawReplies_;
  std::map<std::string, std::vector<KiwoomCandle>> candles_;
  std::vector<KiwoomInvestorRow> investorRows_;
  bool investorSet_ = false;
  std::vector<KiwoomShortRow> shortRows_;
  bool shortSet_ = false;
  std::map<std::string, KiwoomBidAsk> bidAsk_;
  bool live_ = false;
  int ordersReceived_ = 0;
  int lastOrderNo_ = 1000;
  std::map<std::string, std::chrono::milliseconds> delays_;
};

}  // namespace orv::test
