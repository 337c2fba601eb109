#pragma once
// The agent for the Kiwoom securities broker's REST API (broker id 1), the data agent of the
// trading view: token login and revocation, deposit and paged balance (KiwoomSecuAgent.cpp),
// stock lists and price polling (KiwoomSecuAgentPrices.cpp), candles, investor trend, short
// selling and best bid/ask (KiwoomSecuAgentCharts.cpp), domestic cash and credit orders
// (KiwoomSecuAgentOrders.cpp).
//
// Every request is a POST of a JSON body to a path under the base URL "https://<host>", naming
// its operation in an "api-id: <code>" header line. Long results page with the "cont-yn" ('N' on
// the first page, 'Y' later) and "next-key" headers; the reply's "next-key" header carries the
// key of the next page. Result codes come in "return_code" (0 success) with "return_msg".
// The host comes from the "Settings" value "BrokerHost-1" or the broker's production host; tests
// point it elsewhere with SetHostUrlA/SetHostUrl.

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "platform/stocklib/StockAgentBase.h"

struct BrokerRequestState;
namespace series_texts {
struct Ymd;
}

constexpr uint8_t kKiwoomBrokerId = 1;
// Public production host of the broker's REST API.
constexpr const char* kKiwoomDefaultHost = "api.kiwoom.com";
// Every request's total time-out and connect time-out (ms).
constexpr int kKiwoomRequestTimeoutMs = 15000;
constexpr long kKiwoomConnectTimeoutMs = 3500;
// Token lifetime (seconds) when "expires_dt" is missing, not after now, or more than ten days
// ahead.
constexpr int32_t kKiwoomMaxTokenLifetime = 864000;
// Revoke results besides the broker's code.
constexpr int kKiwoomRevokeNotSent = -1;
constexpr int kKiwoomRevokeNoCode = -404;
// Balance pages read at most; stock-list and price-list pages at most.
constexpr int kKiwoomMaxBalancePages = 30;
// Pauses (ms) after each stock-list page and between QueryPricesA pages.
constexpr int kKiwoomListPagePauseMs = 420;
constexpr int kKiwoomPricePagePauseMs = 200;
// Status codes ParseStockList reports: a row without code or name, a code already listed.
constexpr int kKiwoomListRowIncomplete = 501;
constexpr int kKiwoomListRowKnown = 502;
// Loan date of a credit holding whose reply names none.
constexpr int32_t kKiwoomOpenLoanDate = 99999999;
// Order result codes for which the broker asks for the order again (the code flag of
// TradeOrderA).
constexpr int kKiwoomOrderRetryCode1 = 8819;
constexpr int kKiwoomOrderRetryCode2 = 2297;
// The credit-deal kind every credit order carries ("crd_deal_tp").
constexpr const char* kKiwoomCreditDealKind = "33";

class CKiwoomSecuAgent : public CStockAgentBase {
 public:
  // (market kind, agent name (may be null), class letter, broker id, account instance, market
  //  id, the view's double, 40)
  CKiwoomSecuAgent(uint8_t marketKind, const wchar_t* name, char classLetter, uint8_t brokerId,
                   uint8_t instance, int32_t marketId, double exchangeRate, int32_t reserved40);
  ~CKiwoomSecuAgent() override;

  int QueryAccountsA(CURL* curl, const char* key, const char* secret, int* outCode,
                     wchar_t* outMsg, int msgLen) override;
  // Revokes the token at the broker: the broker's "code", -404 when the reply names none, -1
  // when nothing was sent. The login state ends either way; the token and credentials stay.
  int Logout() override;
  int Login(CURL* curl, const wchar_t* account, const wchar_t* key, const wchar_t* secret,
            int* outCode, wchar_t* outMsg, int msgLen) override;
  // 1 when a token was obtained; a refusal gives 0 with the broker's "return_code" and
  // "return_msg" in the outputs.
  int LoginA(CURL* curl, const char* account, const char* key, const char* secret, int* outCode,
             wchar_t* outMsg, int msgLen) override;
  // "kt00004": 1 when the reply named the account ("acnt_nm"), else 0 (record unchanged).
  int QueryDeposit(CURL* curl, GroupInfoMap* accounts, group_info_s** outRecord,
                   int clear) override;
  int ParseDepositResponse(const char* reply, size_t len, GroupInfoMap* accounts,
                           group_info_s** outRecord, int clear) override;
  // "kt00018", every page (at most 30) read first, then merged once: the holdings of all pages
  // are kept, and only holdings no page named are dropped. A failed or unreadable page merges
  // nothing (0; *args.outTransfer and the last message tell why); a list cut at the page limit
  // updates what it named and drops nothing.
  int QueryBalance(CURL* curl, uint8_t market, uint8_t priceSlot, int filter,
                   const BalanceQueryArgs_s& args) override;
  // One balance page; false when it is not JSON or is a refusal.
  bool ReadBalanceReply(uint8_t market, const char* reply, size_t len,
                        BalanceReply_s* read) override;

  // One raw page of the "ka10099" list (market letter '1'), or null.
  char* QueryStockTickerPage(CURL* curl) override;
  // "ka10099" lists for the market letters '1', '2' and '8' (others: 0 without a request); needs
  // a handle; pages 420 ms apart on the program clock, at most 100.
  int LoadStockList(CURL* curl, OwningStockMap* stocks, uint8_t market, char marketLetter,
                    uint8_t priceSlot, int startIndex, int* outStatus, int freeFirst) override;
  int ParseStockList(const char* reply, OwningStockMap* stocks, uint8_t market,
                     const char* nationCode, char marketLetter, uint8_t priceSlot, int runningIndex,
                     int* outStatus) override;
  // Returns 0: the broker has no all-tickers list.
  char* QueryAllTickers(CURL* curl, const char* key, const char* secret) override;
  // Pages through a "ka10004" request for the ';'-separated codes (200 ms apart); returns null.
  char* QueryPricesA(CURL* curl, const char* codes) override;

  // "ka10095" prices of the market-1 records of `stocks`, 50 codes to a request joined by '|',
  // each code followed by "_NX" for exchange 2 or "_AL" for exchange 3; `pauseMs` after each full
  // batch. Returns records updated.
  int UpdatePrices(CURL* curl, uint8_t market, uint8_t priceSlot, uint8_t exchange,
                   StockMap* stocks, const std::atomic<int>* running, int pauseMs, char* outMsg,
                   int* outCode, FILE* priceLog) override;
  // One batch: `body` is the '|'-joined code list.
  int QueryMultiPrices(CURL* curl, uint8_t market, uint8_t priceSlot, const char* path,
                       StockMap* stocks, const char* body, int codeCount, char* contKey,
                       char* outMsg, int* outCode, FILE* priceLog) override;
  // Writes the quoted prices into the records (the last day candle's close follows the price),
  // one price-log line per record updated. outCodeText takes "return_code" as text (20 bytes).
  int ParseMultiPriceResponse(uint8_t priceSlot, const char* reply, size_t len, StockMap* stocks,
                              char* outCodeText, int* outCode, FILE* priceLog) override;

  // Candles: kind 1 "ka10081" days (up to today), any other kind "ka10080" minutes of `step`.
  // The rows and series texts oldest first (Parse... below); outDates takes yyyymmdd for days
  // and hhmmss for minutes, outCloses the closes, both oldest first. Kind 1 fills the record's
  // day block and kind 3 its minute block, `count` places (at least 1) with the newest candle
  // last. 1 when the broker answered, -1 without a rows text or an answer.
  int GetChartDataA(CURL* curl, Stock_s* stock, const char* code, int kind, int step, int count,
                    std::string* outRows, std::string* outSeries, std::deque<int32_t>* outDates,
                    std::deque<double>* outCloses, int csv) override;
  // "ka10045" daily net buying of institutions and foreigners over days x 1.5 calendar days;
  // outValues takes the closes, oldest first; outDates is left as it is. 1 when the broker
  // answered, -1 without a rows text or an answer.
  int GetBuyTrendDataA(CURL* curl, Stock_s* stock, const char* code, uint8_t kind, int days,
                       std::string* outRows, std::string* outSeries, std::deque<int32_t>* outDates,
                       std::deque<double>* outValues, int csv) override;
  // "ka10014" daily short selling over days x 1.5 calendar days; the number of rows (0 without
  // a rows text or an answer).
  int GetShortSellingDataA(CURL* curl, Stock_s* stock, const char* code, int days,
                           std::string* outRows, std::string* outSeries, int csv) override;
  // "ka10004" best and second-best ask and bid: out = {ask price, ask quantity, bid price, bid
  // quantity, second ask price, second ask quantity, second bid price, second bid quantity}.
  // Exchange letter 'X' asks the NXT exchange ("<code>_NX"), 'S' both ("<code>_AL"). 1 when the
  // broker answered (a refusal leaves `out` as it was), -1 without `out` or an answer.
  int GetBidAskDataA(CURL* curl, Stock_s* stock, const char* code, uint8_t kind,
                     double out[8]) override;

  // The readers of those replies (`len` bytes; null for none). A chart reader fills the record's
  // block only from a reply that holds rows; `name` names the series of the rows text. They
  // return the number of rows read, -1 for no reply or one that is not JSON (the rows text is
  // still written, empty).
  int ParseChartReply(const char* reply, size_t len, int kind, int count, const char* name,
                      Stock_s* stock, std::string* outRows, std::string* outSeries,
                      std::deque<int32_t>* outDates, std::deque<double>* outCloses, int csv);
  int ParseBuyTrendReply(const char* reply, size_t len, const char* name, Stock_s* stock,
                         std::string* outRows, std::string* outSeries,
                         std::deque<double>* outCloses, int csv);
  int ParseShortSellingReply(const char* reply, size_t len, const char* name, Stock_s* stock,
                             std::string* outRows, std::string* outSeries, int csv);
  // 1 when the reply was read into `out`, 0 for a refusal (out unchanged), -1 when it is not JSON.
  int ParseBidAskReply(const char* reply, size_t len, double out[8]);

  // A domestic order reply: "return_code" and its text ("%d"; -1 and no text when the reply
  // names no code, which tells nothing of the order), "return_msg"
  // for a refusal, "ord_no" as the broker wrote it (leading zeros kept; empty when it names no
  // order) and as a number. 1 when the reply was read, 0 when it is not a JSON object (outputs
  // left empty).
  int ParseTradeOrderResponse(const char* reply, char* outOrderNoText, int64_t* outOrderNo,
                              int* outResult, char* outCodeText, wchar_t* outMsg) override;
  // Domestic orders (market 1): cash orders ("kt10000" buy, "kt10001" sell) on /api/dostk/ordr,
  // credit orders (credit flag 2: "kt10006", "kt10007", "crd_deal_tp" 33 and the loan date) on
  // /api/dostk/crdordr, on exchange 1 KRX, 2 NXT, 3 SOR (others KRX); price type 3 is a market
  // order, sent with price 0. Returns the broker's "return_code": 0 when placed (success flag 1,
  // the order number given); the broker's code when refused (also in outResultText; retry flag
  // for 8819 and 2297); -1 (success flag 0, outResultText empty) when the outcome is unknown: no
  // reply, an HTTP error, a reply that cannot be read or that names no order; also -1 without a
  // code. Other markets: -308, nothing sent. -307 while the price simulation runs.
  int TradeOrderA(CURL* curl, uint8_t market, uint8_t exchange, int side, int reverse,
                  const char* code, double qty, double price, int creditFlag, int priceType,
                  int condition, int loanDate, int creditKind, double v1, double v2, double v3,
                  int v4, int v5, int earlierOrderNo, char* outOrderNoText, int64_t* outOrderNo,
                  int* outResult, int* outSuccess, int* outCodeFlag, wchar_t* outMsg,
                  wchar_t* outResultText) override;

  int SetServerUrl(const wchar_t* url) override;

  // Total time-out of every request (ms; 500 and below mean 5000). 15000 by default.
  void SetRequestTimeout(int timeoutMs) { m_timeoutMs = timeoutMs; }
  // A flag the owner sets non-zero to abort the transfer in progress; null for none.
  void SetStopFlag(const std::atomic<int>* stop) { m_stopFlag = stop; }

 protected:
  // The wall clock as seconds since 1970 (UTC); tests fix it.
  virtual int64_t NowEpochSeconds() const;

 private:
  // POST of a JSON (or, with json 0, form) body to `path` with the agent's key, secret and
  // token; the reply (free()) or null when the transfer failed (the cause is the last message).
  // `state` takes this request's headers and transfer result.
  char* Post(CURL* curl, const char* path, const char* body, int json, const char* extraHeader,
             const char* furtherHeaders, BrokerRequestState* state, int* outLen);
  // Continuation paging of `path` with `body` and the operation `apiId`; each reply to onPage.
  int PostPages(CURL* curl, const char* path, const char* body, const char* apiId, int pauseMs,
                int maxPages, const std::function<void(const char* reply, int len)>& onPage,
                unsigned* outTransfer = nullptr, bool* outMorePending = nullptr);

  // POST of a daily series request (investor trend, short selling) on a handle of its own, over
  // days x 1.5 calendar days up to today: `body` makes the body of the quoted code and the two
  // dates. Null without a code or credentials (nothing sent) or without an answer.
  using DailySeriesBody = std::function<std::string(
      const std::string& quotedCode, const series_texts::Ymd& from, const series_texts::Ymd& today)>;
  char* PostDailySeries(const char* code, int days, const char* path, const char* apiIdHeader,
                        int* outLen, const DailySeriesBody& body);

  int m_timeoutMs = kKiwoomRequestTimeoutMs;
  const std::atomic<int>* m_stopFlag = nullptr;
};
