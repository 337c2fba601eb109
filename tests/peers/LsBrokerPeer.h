#pragma once
// A loopback stand-in for the LS securities broker's REST API, on top of HttpPeer: the token
// and revoke endpoints, the t0424 deposit and balance and the COSOQ00201 overseas balance
// (pages continued through the "tr_cont"/"tr_cont_key" headers), the t8430 stock lists,
// domestic multi-price and overseas single-price quotes, and the CSPAT00601 and COSAT00301
// orders (a filled domestic order changes the peer's domestic holdings).
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

// One balance row (domestic: "expcode" with its leading 'A'; overseas: the symbol).
struct LsHolding {
  std::string code;
  std::string name;
  double quantity = 0;
  double avgPrice = 0;
  double nowPrice = 0;
  int loanDate = 0;
};

// One stock-list row.
struct LsListRow {
  std::string shcode;  // "A005930" or a symbol
  std::string name;
  std::string gubun = "1";
};

struct LsQuote {
  std::string code;
  double price = 0;
  double open = 0;
  double high = 0;
  double low = 0;
  double rate = 0;
};

class LsBrokerPeer {
 public:
  static constexpr const char* kTokenPath = "/oauth2/token";
  static constexpr const char* kRevokePath = "/oauth2/revoke";
  static constexpr const char* kAccountPath = "/stock/accno";
  static constexpr const char* kOverseasAccountPath = "/overseas-stock/accno";
  static constexpr const char* kDomesticListPath = "/stock/etc";
  static constexpr const char* kOverseasListPath =
      "/api/v1/quote/overseas-stock/inquiry/stock-ticker";
  static constexpr const char* kDomesticPricePath = "/api/v1/quote/kr-stock/inquiry/multiprice";
  static constexpr const char* kOverseasPricePath = "/api/v1/quote/overseas-stock/inquiry/price";
  static constexpr const char* kDomesticOrderPath = "/stock/order";
  static constexpr const char* kOverseasOrderPath = "/api/v1/trading/overseas-stock/order";

  LsBrokerPeer();                           // plain HTTP
  explicit LsBrokerPeer(const TestCa& ca);  // HTTPS with a certificate from `ca`
  ~LsBrokerPeer();

  bool Start(int port = 0);
  void Stop();
  std::string BaseUrl() const { return http_->BaseUrl(); }
  HttpPeer& Http() { return *http_; }
  std::vector<RecordedRequest> Requests() const { return http_->Requests(); }
  std::vector<RecordedRequest> RequestsTo(const std::string& path) const;

  // The token endpoint answers these credentials with the token and the raw JSON text of
  // "expires_in" (empty: the member is left out); others get rsp_cd "IGW00123".
  void AcceptCredentials(const std::string& key, const std::string& secret);
  void SetToken(const std::string& token, const std::string& expiresInJson = "86400");
  // Refuses every token request with this code and message (HTTP 403).
  void RefuseToken(const std::string& code, const std::string& message);
  void SetRevokeReply(const std::string& body);

  // The deposit reply's figures (DpsBalAmt, WthdwAbleAmt, MgnMny, PrsmptDpsD1).
  void SetDeposit(double deposit, double withdrawable, double margin, double nextDay);
  // Holdings of a balance, `pageSize` rows to a page: every page but the last names the key of
  // the next ("k1", "k2", ...) in its "tr_cont_key" header.
  void SetDomesticHoldings(const std::vector<LsHolding>& rows);
  void SetOverseasHoldings(const std::vector<LsHolding>& rows);
  void SetBalancePageSize(size_t rows);
  // Every balance page names a next page (a broker that never ends its list).
  void SetEndlessBalance(bool on);
  // Continuation keys are "k<n>" padded with 'x' to this length (0: no padding).
  void SetContKeyLength(size_t length);
  // Stock-list pages of one path: page i lists pages[i] and names key "k<i+1>" except the
  // last, which names `lastKey` (none when empty).
  void SetListPages(const std::string& path, const std::vector<std::vector<LsListRow>>& pages,
                    const std::string& lastKey = "");
  // Quotes the price inquiries answer with (codes without a quote are left out).
  void SetQuotes(const std::vector<LsQuote>& quotes);
  std::vector<LsQuote> Quotes() const;
  // The path answers with this body and status until ClearReply.
  void SetRawReply(const std::string& path, const std::string& body, int status = 200,
                   const std::string& contentType = "application/json");
  void ClearReply(const std::string& path);
  // Every reply of the path waits this long first.
  void SetDelay(const std::string& path, std::chrono::milliseconds delay);
  // A filled domestic order moves the deposit too, and every balance reply values the
  // holdings at the current quotes (the sandbox's account). Off by default.
  void SetLiveAccount(bool live);
  // The last order number issued (orders are numbered from 5001), and orders received.
  int LastOrderNo() const;
  int OrdersReceived() const;
  std::vector<LsHolding> DomesticHoldings() const;

 private:
  void Install();
  PeerReply Answer(const std::string& path, const RecordedRequest& request);
  PeerReply TokenReply(const RecordedRequest& request);
  PeerReply BalancePage(bool domestic, const RecordedRequest& request);
  PeerReply ListPage(const std::string& path, const RecordedRequest& request);
  PeerReply PriceReply(bool domestic, const RecordedRequest& request);
  PeerReply OrderReply(bool domestic, const RecordedRequest& request);
  std::string KeyOf(size_t page) const;

  std::unique_ptr<HttpPeer> http_;
  mutable std::mutex mutex_;
  std::string key_ = "key";
  std::string secret_ = "secret";
  std::string token_ = "ls-peer-token";
  std::string expiresIn_ = "86400";
  std::string refuseCode_;
  std::string refuseMessage_;
  std::string revokeBody_ = "{\"return_code\":0,\"return_msg\":\"revoked\"}";
  double deposit_[4] = {};
  std::vector<LsHolding> domestic_;
  std::vector<LsHolding> overseas_;
  size_t pageSize_ = 20;
  bool endless_ = false;
  size_t keyLength_ = 0;
  std::map<std::string, std::vector<std::vector<LsListRow>>> lists_;
  std::map<std::string, std::string> listLastKey_;
  std::map<std::string, LsQuote> quotes_;
  std::map<std::string, PeerReply> raw_;
  std::map<std::string, std::chrono::milliseconds> delays_;
  bool live_ = false;
  int lastOrderNo_ = 5000;
  int ordersReceived_ = 0;
};

}  // namespace orv::test
