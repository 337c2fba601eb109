#pragma once
// The agent for the LS securities broker's REST API (broker id 2): token login and revocation,
// deposit and balance (LsSecuAgent.cpp), stock lists, prices and orders (LsSecuAgentMarket.cpp).
//
// Each of the broker's transactions is named by a "tr_cd" request header, its data travel in
// named blocks ("t0424InBlock", "t8430OutBlock", ...), and a long list continues through the
// headers "tr_cont" (Y/N) and "tr_cont_key" (the reply names the key of the next page). Every
// request goes through SendBrokerRequest with the agent's base URL, key, secret and bearer token
// (copied under the agent's lock), the CA file, and a request state of its own that captures the
// reply's "tr_cont_key". The host comes from the "Settings" value "BrokerHost-2" or the broker's
// production host; tests point it elsewhere with SetHostUrlA/SetHostUrl.

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/stocklib/StockAgentBase.h"

struct BrokerRequestState;

constexpr uint8_t kLsBrokerId = 2;
// The lifetime of a token whose reply names none (seconds). A named lifetime is used as sent.
constexpr int32_t kLsDefaultTokenLifetime = 86400;
// Revoke results besides the broker's "return_code".
constexpr int kLsRevokeNotSent = -1;
constexpr int kLsRevokeNoCode = -404;
// Request time-outs (ms).
constexpr int kLsRequestTimeoutMs = 15000;
constexpr long kLsConnectTimeoutMs = 3500;
// Balance pages asked for at most; stock-list pages at most, this far apart (ms).
constexpr int kLsMaxBalancePages = 30;
constexpr int kLsMaxListPages = 100;
constexpr int kLsListPagePauseMs = 420;
// Status codes ParseStockList reports: a page that is not JSON, a row without code or name, a
// code already listed.
constexpr int kLsListNotJson = 501;
constexpr int kLsListRowIncomplete = 502;
constexpr int kLsListCodeKnown = 503;
// Order result codes for which the broker asks for the order again (the code flag).
constexpr int kLsOrderRetryCode1 = 8819;
constexpr int kLsOrderRetryCode2 = 2297;

class CLsSecuAgent : public CStockAgentBase {
 public:
  // (market kind, agent name (may be null), class letter, broker id, account instance, market
  //  id, the view's double, 40)
  CLsSecuAgent(uint8_t marketKind, const wchar_t* name, char classLetter, uint8_t brokerId,
               uint8_t instance, int32_t marketId, double exchangeRate, int32_t reserved40);
  ~CLsSecuAgent() override;

  // Revokes the token: the broker's "return_code", -404 when its reply names none, -1 when
  // nothing was sent. The login state is cleared in every case.
  int Logout() override;
  int Login(CURL* curl, const wchar_t* account, const wchar_t* key, const wchar_t* secret,
            int* outCode, wchar_t* outMsg, int msgLen) override;
  // 1 when a token was obtained. Its lifetime is the reply's "expires_in" as sent (a number, or
  // text read as a number), a day when the reply names none.
  int LoginA(CURL* curl, const char* account, const char* key, const char* secret, int* outCode,
             wchar_t* outMsg, int msgLen) override;
  // 1 when the deposit reply was read into the agent's account record, else 0.
  int QueryDeposit(CURL* curl, GroupInfoMap* accounts, group_info_s** outRecord,
                   int clear) override;
  int ParseDepositResponse(const char* reply, size_t len, GroupInfoMap* accounts,
                           group_info_s** outRecord, int clear) override;
  // Reads every page of the balance (t0424 for market 1, COSOQ00201 otherwise; at most 30
  // pages) and merges them once, after the last page, so that holdings named on a later page
  // are not dropped as sold out. A failed or unreadable page changes nothing: the result is 0.
  // Returns the number of holdings.
  int QueryBalance(CURL* curl, uint8_t market, uint8_t priceSlot, int filter,
                   const BalanceQueryArgs_s& args) override;
  // Appends the page's rows and account figures to `read` (several pages make one reply).
  bool ReadBalanceReply(uint8_t market, const char* reply, size_t len,
                        BalanceReply_s* read) override;

  // Stock lists (t8430): market letters '1', '2', '8' domestic, 'D', 'N', 'A' overseas. Needs a
  // handle; pages 420 ms apart on the program clock, at most 100.
  int LoadStockList(CURL* curl, OwningStockMap* stocks, uint8_t market, char marketLetter,
                    uint8_t priceSlot, int startIndex, int* outStatus, int freeFirst) override;
  int ParseStockList(const char* reply, OwningStockMap* stocks, uint8_t market,
                     const char* nationCode, char marketLetter, uint8_t priceSlot, int runningIndex,
                     int* outStatus) override;

  // Prices: market 1 in multi-price requests of 50 codes each (`pauseMs` after each full
  // batch), market 2 one request per stock (`pauseMs` after each). Stops when *running drops
  // to 0. Returns records updated.
  int UpdatePrices(CURL* curl, uint8_t market, uint8_t priceSlot, uint8_t exchange,
                   StockMap* stocks, const std::atomic<int>* running, int pauseMs, char* outMsg,
                   int* outCode, FILE* priceLog) override;
  int ParseMultiPriceResponse(uint8_t priceSlot, const char* reply, size_t len, StockMap* stocks,
                              char* outCodeText, int* outCode, FILE* priceLog) override;
  // One overseas price reply (object "Out") into its record; 1 when it was read.
  int ParsePriceResponse(const char* reply, size_t len, Stock_s* stock, uint8_t priceSlot,
                         FILE* priceLog) override;

  // Order replies: 1 when the reply holds the order block ("CSPAT00601OutBlock2" domestic,
  // "COSAT00301OutBlock2" overseas) and its "OrdNo" was read; the mapped "rsp_cd" goes to
  // outResult, its text to outCodeText (20 bytes) and, when not 0, "rsp_msg" to outMsg.
  int ParseTradeOrderResponse(const char* reply, char* outOrderNoText, int64_t* outOrderNo,
                              int* outResult, char* outCodeText, wchar_t* outMsg) override;
  int ParseUSATradeOrderResponse(const char* reply, char* outOrderNoText, int64_t* outOrderNo,
                                 int* outResult, char* outCodeText, wchar_t* outMsg) override;
  // Domestic (CSPAT00601) and overseas (COSAT00301) orders. Placed (0, success flag 1) only
  // with an order number above 0; refused: the broker's mapped code with its text; -1 (success
  // flag 0, no result text) when the outcome is unknown: no reply, an error page, a reply that
  // cannot be read or one without an order number. -307 while the price simulation runs.
  int TradeOrderA(CURL* curl, uint8_t market, uint8_t exchange, int side, int reverse,
                  const char* code, double qty, double price, int creditFlag, int priceType,
                  int condition, int loanDate, int creditKind, double v1, double v2, double v3,
                  int v4, int v5, int earlierOrderNo, char* outOrderNoText, int64_t* outOrderNo,
                  int* outResult, int* outSuccess, int* outCodeFlag, wchar_t* outMsg,
                  wchar_t* outResultText) override;

  // Total time-out of every request (ms). 15000 by default.
  void SetRequestTimeout(int timeoutMs) { m_timeoutMs = timeoutMs; }
  // A flag the owner sets non-zero to abort the transfer in progress; null for none.
  void SetStopFlag(const std::atomic<int>* stop) { m_stopFlag = stop; }

 private:
  // One request: POST (`post`) or GET to `path`, with the JSON or form body, the extra header,
  // the further header, the transaction header ("tr_cd: ..."), each when not null, and the
  // bearer token when `bearer`. `state` takes the reply's "tr_cont_key" and the transfer
  // result; with its order flag set the request goes out on a connection of its own and a
  // reply whose HTTP status is not 2xx is no answer (null). A failed transfer returns null and
  // leaves its cause in the last message.
  char* Send(CURL* curl, const char* path, int post, const char* body, int json,
             const char* extraHeader, const char* furtherHeader, const char* trHeader, bool bearer,
             int* outLen, BrokerRequestState* state);
  // Reads "rsp_cd"/"rsp_msg" of a refusal into the last message; returns the mapped code.
  int NoteRefusal(const char* reply);

  int m_timeoutMs = kLsRequestTimeoutMs;
  const std::atomic<int>* m_stopFlag = nullptr;
};
