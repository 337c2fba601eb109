#pragma once
// The agent for the Korea Investment securities broker (broker id 14), built on the DB agent:
// the deposit, balance, price and order replies are read in the DB agent's formats, and the
// balance query, the all-ticker list, the multi-price batches and the investor trend are the
// DB agent's. Its own are the token and revoke requests, the deposit request, the stock lists
// (the "t8430" list), the price polling, the domestic order body and the candle request
// (HangukSecuAgent.cpp, HangukSecuAgentMarket.cpp).
//
// Its transport differs from the DB agent's in a few points: the continuation key comes in the
// reply header "tr_cont_key:" (requests say "tr_cont: N|Y" and "tr_cont_key: <key>"), many
// requests carry a "tr_id" header naming the operation, the connection must open within
// 3500 ms, every request may take 15000 ms, and gateway result codes start with "EGW" or "IGW".
// The base URL is "https://<host:port>", the host coming from the "Settings" value
// "BrokerHost-14" or the broker's production host.

#include "plugin/brokers/DbSecuAgent.h"

constexpr uint8_t kHangukBrokerId = 14;
constexpr int kHangukRequestTimeoutMs = 15000;
constexpr long kHangukConnectTimeoutMs = 3500;
// Status codes ParseStockList reports besides kDbListNotJson (501): an element without code or
// name, an element whose code is already listed, a reply without a "t8430OutBlock" array.
constexpr int kHangukListEntryIncomplete = 502;
constexpr int kHangukListDuplicate = 503;
constexpr int kHangukListNoBlock = 504;

// "EGW<n>" and "IGW<n>" -> 100000 + n; any other code starting with a letter -> -10000;
// otherwise the decimal value.
int ParseHangukResultCode(const char* code);

class CHangukSecuAgent : public CDbSecuAgent {
 public:
  // (market kind, agent name (may be null), class letter, broker id, account instance, market
  //  id, the view's double, 40)
  CHangukSecuAgent(uint8_t marketKind, const wchar_t* name, char classLetter, uint8_t brokerId,
                   uint8_t instance, int32_t marketId, double exchangeRate, int32_t reserved40);

  int LoginA(CURL* curl, const char* account, const char* key, const char* secret, int* outCode,
             wchar_t* outMsg, int msgLen) override;
  // Revokes the token: the broker's "return_code", kDbRevokeNotSent (-1) when nothing was sent
  // or no reply came, kDbRevokeNoCode (-404) when the reply carried none. The count of balance
  // passes keeps its value.
  int Logout() override;
  // With `clear` the account map is emptied first, whatever the broker answers. 1 when the
  // deposit reply was read into the agent's account record, else 0.
  int QueryDeposit(CURL* curl, GroupInfoMap* accounts, group_info_s** outRecord,
                   int clear) override;

  // One raw domestic list page on a handle of its own (heap text the caller frees) or null.
  char* QueryStockTickerPage(CURL* curl) override;
  // The "t8430" lists: market letters '1', '2', '8' domestic (a continuation key starting with
  // '0' ends the list), 'D', 'N', 'A' overseas; pages 420 ms apart, at most 100. outStatus
  // takes the parser's status codes.
  int LoadStockList(CURL* curl, OwningStockMap* stocks, uint8_t market, char marketLetter,
                    uint8_t priceSlot, int startIndex, int* outStatus, int freeFirst) override;
  int ParseStockList(const char* reply, OwningStockMap* stocks, uint8_t market,
                     const char* nationCode, char marketLetter, uint8_t priceSlot, int runningIndex,
                     int* outStatus) override;
  // Pages through a multi-price request for the codes, each page on a handle of its own.
  char* QueryPricesA(CURL* curl, const char* codes) override;
  // Domestic records in batches of the DB agent's size, overseas records one request each with
  // `pauseMs` between them; every request on a handle of its own. Returns records updated.
  int UpdatePrices(CURL* curl, uint8_t market, uint8_t priceSlot, uint8_t exchange,
                   StockMap* stocks, const std::atomic<int>* running, int pauseMs, char* outMsg,
                   int* outCode, FILE* priceLog) override;
  // As the DB agent's, with this broker's domestic order body; an overseas order goes out on a
  // handle of its own.
  int TradeOrderA(CURL* curl, uint8_t market, uint8_t exchange, int side, int reverse,
                  const char* code, double qty, double price, int creditFlag, int priceType,
                  int condition, int loanDate, int creditKind, double v1, double v2, double v3,
                  int v4, int v5, int earlierOrderNo, char* outOrderNoText, int64_t* outOrderNo,
                  int* outResult, int* outSuccess, int* outCodeFlag, wchar_t* outMsg,
                  wchar_t* outResultText) override;
  // Asks the day candles of `code` (count at least 1) on a handle of its own and reads none:
  // 1 when a reply came, -1 without rows text or reply. The outputs are left as they are.
  int GetChartDataA(CURL* curl, Stock_s* stock, const char* code, int kind, int step, int count,
                    std::string* outRows, std::string* outSeries, std::deque<int32_t>* outDates,
                    std::deque<double>* outCloses, int csv) override;

 protected:
  std::string DomesticOrderBody(const char* code, uint8_t exchange, int side, double qty,
                                double price, int creditFlag, int priceType, int condition,
                                int loanDate, int creditKind) const override;

 private:
  // POST of a JSON body with the bearer token; `trHeader` (the operation's "tr_id: ..." line,
  // or null) follows the further headers.
  char* PostTr(CURL* curl, const char* path, const char* body, const char* extraHeader,
               const char* furtherHeaders, const char* trHeader, int* outLen,
               BrokerRequestState* state = nullptr);
  int UpdateOverseasPrices(uint8_t priceSlot, StockMap* stocks, const std::atomic<int>* running,
                           int pauseMs, FILE* priceLog);
};
