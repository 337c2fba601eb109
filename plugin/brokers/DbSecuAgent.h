#pragma once
// The agent for the DB securities broker's open REST API (broker id 11, and the agent the
// factory makes for any broker id it does not know): token login and revocation, deposit and
// balance queries (DbSecuAgent.cpp), stock lists and prices (DbSecuAgentPrices.cpp), candles
// and investor trend (DbSecuAgentCharts.cpp), orders (DbSecuAgentOrders.cpp).
//
// Every request goes through SendBrokerRequest with the agent's base URL, key, secret, bearer
// token (copied under the agent's lock) and CA file, and a request state of its own that takes
// the reply's continuation key and the transfer result. The base URL is "https://<host:port>", the
// host coming from the "Settings" value "BrokerHost-11" or the broker's production host; tests
// point it elsewhere with SetHostUrlA/SetHostUrl.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/stocklib/StockAgentBase.h"
#include "plugin/brokers/BrokerTransport.h"

constexpr uint8_t kDbBrokerId = 11;
// Token lifetime bounds (seconds): a lifetime below 1 s means a day; longer than ten days is
// cut to ten days.
constexpr int32_t kDbDefaultTokenLifetime = 86400;
constexpr int32_t kDbMaxTokenLifetime = 864000;
// Revoke results besides the broker's code.
constexpr int kDbRevokeNotSent = -1;
constexpr int kDbRevokeNoCode = -404;
// Stock-list paging: at most this many pages, this far apart (ms).
constexpr int kDbListPagePauseMs = 420;
// Price-list paging of QueryPricesA (ms between pages).
constexpr int kDbPricePagePauseMs = 200;
// Status codes ParseStockList reports: a page that is not JSON, an entry without code or name.
constexpr int kDbListNotJson = 501;
constexpr int kDbListEntryIncomplete = 503;
// Order result codes for which the caller may retry (the code flag of TradeOrderA).
constexpr int kDbOrderRetryCode1 = 8819;
constexpr int kDbOrderRetryCode2 = 2297;

// Totals of the last balance reply: purchase, evaluation and the profit rate between them.
struct DbBalanceSummary_s {
  double purchase = 0;
  double evaluation = 0;
  double profitRate = 0;  // (evaluation - purchase) x 100 / purchase; 0 without a purchase
};

class CDbSecuAgent : public CStockAgentBase {
 public:
  // (market kind, agent name (may be null), class letter, broker id, account instance, market
  //  id, the view's double, 40)
  CDbSecuAgent(uint8_t marketKind, const wchar_t* name, char classLetter, uint8_t brokerId,
               uint8_t instance, int32_t marketId, double exchangeRate, int32_t reserved40);
  ~CDbSecuAgent() override;

  int Logout() override;
  int Login(CURL* curl, const wchar_t* account, const wchar_t* key, const wchar_t* secret,
            int* outCode, wchar_t* outMsg, int msgLen) override;
  int LoginA(CURL* curl, const char* account, const char* key, const char* secret, int* outCode,
             wchar_t* outMsg, int msgLen) override;
  // 1 when the deposit reply was read into the agent's account record, else 0 (a failed
  // transfer or a refusal leaves the record as it was).
  int QueryDeposit(CURL* curl, GroupInfoMap* accounts, group_info_s** outRecord,
                   int clear) override;
  int ParseDepositResponse(const char* reply, size_t len, GroupInfoMap* accounts,
                           group_info_s** outRecord, int clear) override;
  // The number of holdings the reply named (0 when the transfer failed or the broker refused:
  // then no holding is dropped; *args.outTransfer and the last message tell why).
  int QueryBalance(CURL* curl, uint8_t market, uint8_t priceSlot, int filter,
                   const BalanceQueryArgs_s& args) override;
  bool ReadBalanceReply(uint8_t market, const char* reply, size_t len,
                        BalanceReply_s* read) override;

  // Stock lists (market letters '1', '2', '8' domestic; 'D', 'N', 'A' overseas). Needs a
  // handle; pages with continuation keys, 420 ms apart on the program clock, at most 100.
  char* QueryStockTickerPage(CURL* curl) override;
  int LoadStockList(CURL* curl, OwningStockMap* stocks, uint8_t market, char marketLetter,
                    uint8_t priceSlot, int startIndex, int* outStatus, int freeFirst) override;
  int ParseStockList(const char* reply, OwningStockMap* stocks, uint8_t market,
                     const char* nationCode, char marketLetter, uint8_t priceSlot, int runningIndex,
                     int* outStatus) override;
  char* QueryAllTickers(CURL* curl, const char* key, const char* secret) override;
  // Pages through a multi-price request for the codes (200 ms apart); returns null.
  char* QueryPricesA(CURL* curl, const char* codes) override;

  // Prices of the records of `market` (1 domestic, 2 overseas) in `stocks`, 50 codes to a
  // request, `pauseMs` after each full batch; exchange 2 asks the NXT exchange for domestic
  // codes. Returns records updated.
  int UpdatePrices(CURL* curl, uint8_t market, uint8_t priceSlot, uint8_t exchange,
                   StockMap* stocks, const std::atomic<int>* running, int pauseMs, char* outMsg,
                   int* outCode, FILE* priceLog) override;
  // One batch: `body` holds the code lines, `codeCount` their number.
  int QueryMultiPrices(CURL* curl, uint8_t market, uint8_t priceSlot, const char* path,
                       StockMap* stocks, const char* body, int codeCount, char* contKey,
                       char* outMsg, int* outCode, FILE* priceLog) override;
  // Writes the quoted prices into the records and one price-log line per record updated (one
  // write and one flush per reply). outCodeText takes "rsp_cd" (20 bytes).
  int ParseMultiPriceResponse(uint8_t priceSlot, const char* reply, size_t len, StockMap* stocks,
                              char* outCodeText, int* outCode, FILE* priceLog) override;
  int ParsePriceResponse(const char* reply, size_t len, Stock_s* stock, uint8_t priceSlot,
                         FILE* priceLog) override;
  int ParseUSAPriceResponse(const char* reply, size_t len, StockMap* stocks, uint8_t priceSlot,
                            FILE* priceLog) override;

  // Candles (kind 1 days over count x 1.5 calendar days, else minutes of `step`) and the
  // investor trend (days x 1.5 calendar days). Three forms at once, oldest first: the rows
  // text (a JSON object naming the series, or CSV rows), the series text, and the deques
  // (outDates: yyyymmdd for days and the investor trend, hhmmss for minutes; outCloses: the
  // closes; investor trend outValues: institutions' and foreigners' net volume, two per row).
  // Return the number of rows, -1 without a code or rows text.
  int GetChartDataA(CURL* curl, Stock_s* stock, const char* code, int kind, int step, int count,
                    std::string* outRows, std::string* outSeries, std::deque<int32_t>* outDates,
                    std::deque<double>* outCloses, int csv) override;
  int GetBuyTrendDataA(CURL* curl, Stock_s* stock, const char* code, uint8_t kind, int days,
                       std::string* outRows, std::string* outSeries, std::deque<int32_t>* outDates,
                       std::deque<double>* outValues, int csv) override;
  // The readers of those replies (`len` bytes, null for none), the outputs as above. `kind` 1
  // reads day candles, anything else minutes; `name` names the series of the rows text. Return
  // the number of rows, -1 without a rows text.
  int ParseChartResponse(const char* reply, size_t len, int kind, const char* name, Stock_s* stock,
                         std::string* outRows, std::string* outSeries,
                         std::deque<int32_t>* outDates, std::deque<double>* outCloses, int csv);
  int ParseBuyTrendResponse(const char* reply, size_t len, int days, Stock_s* stock,
                            std::string* outRows, std::string* outSeries,
                            std::deque<int32_t>* outDates, std::deque<double>* outValues, int csv);

  // Orders: 1 when the reply holds "Out" (its "OrdNo" read), 0 otherwise; the mapped
  // "rsp_cd" goes to outResult and, when not 0, "rsp_msg" to outMsg (256 characters).
  int ParseTradeOrderResponse(const char* reply, char* outOrderNoText, int64_t* outOrderNo,
                              int* outResult, char* outCodeText, wchar_t* outMsg) override;
  int ParseUSATradeOrderResponse(const char* reply, char* outOrderNoText, int64_t* outOrderNo,
                                 int* outResult, char* outCodeText, wchar_t* outMsg) override;
  // Domestic (market 1) and overseas (market 2) orders. Returns the broker's mapped result
  // code, 0 when placed; -1 (success flag 0) without a code, for another market, when no
  // usable reply came; -307 while the price simulation runs.
  int TradeOrderA(CURL* curl, uint8_t market, uint8_t exchange, int side, int reverse,
                  const char* code, double qty, double price, int creditFlag, int priceType,
                  int condition, int loanDate, int creditKind, double v1, double v2, double v3,
                  int v4, int v5, int earlierOrderNo, char* outOrderNoText, int64_t* outOrderNo,
                  int* outResult, int* outSuccess, int* outCodeFlag, wchar_t* outMsg,
                  wchar_t* outResultText) override;

  // Total time-out of every request (ms; 500 and below mean 5000). 20000 by default.
  void SetRequestTimeout(int timeoutMs) { m_timeoutMs = timeoutMs; }
  int RequestTimeout() const { return m_timeoutMs; }
  // A flag the owner sets non-zero to abort the transfer in progress (and every later one
  // while set); null for none.
  void SetStopFlag(const std::atomic<int>* stop) { m_stopFlag = stop; }
  // The libcurl code of the last transfer any worker made (kTransferNoHandle when no handle
  // could be made). A request's own result is in its request state.
  unsigned LastTransferCode() const { return m_lastTransfer.load(); }
  const DbBalanceSummary_s& LastBalanceSummary() const { return m_summary; }

 protected:
  // Sends one request to the path (POST with `body` when `post`, else GET) with the agent's key
  // and secret, and its access token when `bearer`; the reply (free()) or null. A null `curl`
  // makes a handle for this request alone. `state`, when given, takes the reply's headers and
  // the transfer result of this request alone; with its order flag set the request goes out on
  // a connection of its own, and a reply whose HTTP status is not 2xx is no answer (null; the
  // status is the last message).
  char* Send(CURL* curl, int post, const char* path, const char* body, int json,
             const char* extraHeader, bool bearer, int* outLen, const char* furtherHeaders,
             BrokerRequestState* state);
  char* Post(CURL* curl, const char* path, const char* body, int json, const char* extraHeader,
             bool bearer, int* outLen, const char* furtherHeaders = nullptr,
             BrokerRequestState* state = nullptr) {
    return Send(curl, 1, path, body, json, extraHeader, bearer, outLen, furtherHeaders, state);
  }
  // Continuation paging of POST requests to `path` with `body`; each reply to onPage.
  int PostPages(CURL* curl, const char* path, const char* body, int pauseMs,
                const std::function<void(const char* reply, int len)>& onPage);
  // A stock-list load: the map (the agent's default when none is given; nothing without a
  // handle, a map or credentials), emptied first when asked, the nation code by market, and
  // every page `runPages` receives parsed into the map through the merge step. Returns the
  // records made.
  int LoadListPages(CURL* curl, OwningStockMap* stocks, uint8_t market, char marketLetter,
                    uint8_t priceSlot, int startIndex, int* outStatus, int freeFirst,
                    const std::function<void(const PageHandler& onPage)>& runPages);
  // The token login: stores the credentials, POSTs the form `body` made from them to `path`
  // and reads the token or the refusal.
  using FormBody = std::function<std::string(const RequestCredentials&)>;
  int TokenLogin(CURL* curl, const char* account, const char* key, const char* secret,
                 int* outCode, wchar_t* outMsg, int msgLen, const char* path,
                 const FormBody& body);
  // Revokes the token at `path` with the form `body` on a handle of its own and reads the
  // number after `codeName` in the reply: kDbRevokeNotSent when nothing was sent or no reply
  // came, kDbRevokeNoCode when the reply names no code. The login state is left as it is.
  int RevokeToken(const char* path, const FormBody& body, const char* codeName);
  // The body of a domestic order.
  virtual std::string DomesticOrderBody(const char* code, uint8_t exchange, int side, double qty,
                                        double price, int creditFlag, int priceType,
                                        int condition, int loanDate, int creditKind) const;
  // The market-price type code, the credit code and the loan date of a domestic order.
  struct DomesticOrderCodes {
    const char* priceType = "00";
    const char* credit = "000";
    char loanDate[16] = "00000000";
  };
  static DomesticOrderCodes OrderCodes(int side, int priceType, int creditFlag, int creditKind,
                                       int loanDate);
  // Reads "rsp_cd"/"rsp_msg" of a refusal into the last message; returns the mapped code.
  int NoteRefusal(const char* reply);

  // How this broker's replies and requests are spelt: its result codes, the continuation-key
  // reply header, the connect time-out and the extra header of an order.
  int (*m_resultCode)(const char* code) = ParseResultCode;
  const char* m_contKeyHeader = "cont_key";
  long m_connectTimeoutMs = kBrokerConnectTimeoutMs;
  const char* m_orderHeader = "cont_yn: N";
  const std::atomic<int>* m_stopFlag = nullptr;

 private:
  // POST of a JSON body with the bearer token and "cont_yn: N"; the reply (free()) or null.
  char* PostQuery(CURL* curl, const char* path, const char* body, int* outLen);

  int m_timeoutMs = 20000;
  std::atomic<unsigned> m_lastTransfer{0};
  DbBalanceSummary_s m_summary;
};
