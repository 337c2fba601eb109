#pragma once
// The crypto-exchange agents, CBithumbAgent (broker id 8) and CUpBitAgent (broker id 9): one
// family behind the broker-agent interface. Every request is signed with a token made for it
// (ExchangeTransport.h); the log-in is a check of the keys on the exchange's account list, the
// account entry holds the user's KRW cash and the purchase total of the coins, the balance turns
// the same list into holdings, and orders go to "/v1/orders".
//
// The family differs in its transport (ExchangeDialect), the name the exchange gives an unknown
// key, and the order request (OrderRequest).

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/stocklib/StockAgentBase.h"
#include "plugin/brokers/ExchangeTransport.h"

constexpr uint8_t kBithumbBrokerId = 8;
constexpr uint8_t kUpBitBrokerId = 9;
// The market kind and market id the factory makes the exchange agents with.
constexpr uint8_t kExchangeMarketKind = 9;
constexpr int32_t kExchangeMarketId = 5;

// Public production hosts of the exchanges' REST APIs.
constexpr const char* kBithumbDefaultHost = "api.bithumb.com";
constexpr const char* kUpBitDefaultHost = "api.upbit.com";

// Paths of the exchanges' private API.
constexpr const char* kExchangeAccountsPath = "/v1/accounts";
constexpr const char* kExchangeOrdersPath = "/v1/orders";
// Paths of the market data.
constexpr const char* kExchangeMarketsPath = "/v1/market/all";
constexpr const char* kExchangeTickerPath = "/v1/ticker";
constexpr const char* kExchangeAllTickersPath = "/public/ticker/ALL";
constexpr const char* kExchangeDayCandlesPath = "/v1/candles/days";
constexpr const char* kExchangeMinuteCandlesPath = "/v1/candles/minutes/";

// Ticker poll statuses (the out status of a price parse).
constexpr int kTickerNoReply = -1;     // an empty reply
constexpr int kTickerRefused = -501;   // the exchange's error object
constexpr int kTickerNotAList = -502;  // neither an error nor a list
// The most characters of codes one ticker request carries; longer lists go out in several.
constexpr size_t kExchangeTickerCodesMax = 999;
// Candle kinds of GetChartDataA: 1 days, any other minutes.
constexpr int kExchangeDayCandles = 1;

// Key-check results.
constexpr int kKeyCheckAccepted = 1;
constexpr int kKeyCheckNoReply = -1;
constexpr int kKeyCheckIpRefused = 903;  // the exchange does not allow this address
constexpr int kKeyCheckBadKey = 904;     // the exchange does not know the access key
constexpr int kKeyCheckRefused = 905;    // any other error of the exchange
constexpr int kKeyCheckNotAList = 402;   // a reply that is neither an error nor the list
constexpr int kKeyCheckNoAccount = 404;  // the keys are good, but no account text was given

// The exchange's refusal in a reply: the error object's "name" and "message" (UTF-8), both empty
// when the reply is not a JSON object with an "error" object.
struct ExchangeError {
  std::string name;
  std::string message;
  bool present = false;
};
ExchangeError ReadExchangeError(const char* reply, size_t len);

// The key-check result for an exchange error name: 903 for the names that refuse the address,
// 904 when the name contains `badKeyName`, else 905.
int KeyCheckCodeForError(const std::string& name, const char* badKeyName);

// The cash and coin purchase total of an account list.
struct ExchangeAccountTotals {
  double deposit = 0;   // won: the KRW entry's balance
  double purchase = 0;  // won: average buy price x balance over the coins
  int entries = 0;      // objects with a currency
};
// Reads an account list (a JSON array of objects whose fields are texts or numbers). False when
// the reply is not such a list.
bool ReadExchangeAccountTotals(const char* reply, size_t len, ExchangeAccountTotals* out);

// The holdings an account list names (coins with a positive balance and average buy price; the
// KRW entry is cash, never a holding), coded "<unit currency>-<currency>". False when the reply
// is not a list.
bool ReadExchangeBalance(const char* reply, size_t len, BalanceReply_s* out);

// Whether a market code may go into a request (URL, query, body) as it is: 1 to 30 letters,
// digits and '-'.
bool IsExchangeMarketCode(const char* code);

// One market of the exchange's market list.
struct ExchangeMarket {
  std::string market;      // "KRW-BTC": unit currency first
  std::string koreanName;  // UTF-8
};
// Reads a market list (a JSON array of objects); objects without a market or a Korean name are
// left out. False when the reply is not a list.
bool ReadExchangeMarkets(const char* reply, size_t len, std::vector<ExchangeMarket>* out);

// One ticker of a ticker reply, as it goes to the market's record.
struct ExchangeTicker {
  std::string market;
  double price = 0;
  double open = 0;
  double high = 0;
  double low = 0;
  double change = 0;       // the exchange's "change_price" (never signed)
  double changeRate = 0;   // percent; negative for a fall
  double volumeRatio = 0;  // this day's trade price and volume against their 24-hour values
  int32_t tradeDate = 0;   // yyyymmdd (KST)
  int32_t tradeTime = 0;   // hhmmss (KST)
};
// Reads a ticker reply. Returns 0 when it is a list (objects without a market are left out),
// kTickerNoReply for an empty reply, kTickerRefused for the exchange's error object and
// kTickerNotAList for anything else.
int ReadExchangeTickers(const char* reply, size_t len, std::vector<ExchangeTicker>* out);

// One candle of a candle reply (the exchange sends them newest first).
struct ExchangeCandle {
  std::string kst;        // "yyyy-mm-ddThh:mm:ss", the row's date-time text
  int32_t utcDate = 0;    // yyyymmdd (UTC)
  int64_t utcMinute = 0;  // minutes since 1970 (UTC)
  int32_t kstKey = 0;     // yyyymmdd (KST)
  int32_t kstTime = 0;    // hhmmss (KST)
  double open = 0;
  double high = 0;
  double low = 0;
  double close = 0;
  double volume = 0;
};
// Reads a candle reply. False for the exchange's error object or a reply that is not a list
// (objects without a readable UTC date-time are left out).
bool ReadExchangeCandles(const char* reply, size_t len, std::vector<ExchangeCandle>* out);
// Marks a coin record as listed on the market its code names: "KRW-..." the KRW market,
// "BTC-..." the BTC market (the quote lists take a held coin by these marks).
void MarkCoinMarket(Stock_s* stock);

// Stores candles (newest first) in the record's day block (kind 1) or minute block (any other
// kind), which is reset to `count` places (no more than the block holds), filled from the end.
// A day candle takes one place. A minute candle takes one place when it is the first or is not
// earlier than the candle read before it; one earlier by 1 to 59 minute units (`unit` minutes
// each) fills that many places with its values (the minutes between had no trade, so its close
// held); one earlier by 60 units or more stores nothing. Returns the places filled.
int StoreExchangeCandles(Stock_s* stock, int kind, int unit, int count,
                         const std::vector<ExchangeCandle>& newestFirst);

// An order's request: the signed query and the body that goes out.
struct ExchangeOrderRequest {
  std::string query;
  std::string body;
  int mode = kExchangeJsonPost;
  int signingOption = 0;
};

class CExchangeAgent : public CStockAgentBase {
 public:
  // What a family member brings.
  struct Traits {
    const wchar_t* brokerName;  // "빗썸" / "업비트"
    const char* clientName;
    const char* defaultHost;
    const char* badKeyName;  // the error name of an unknown access key
    ExchangeDialect dialect;
    bool flagsListedAgain;  // a market list marks the slot's flag on a market already there
    bool pollsNamedOnly;    // the ticker poll asks only for records with a name (its own list)
  };

  CExchangeAgent(uint8_t marketKind, const wchar_t* name, char classLetter, uint8_t brokerId,
                 uint8_t instance, int32_t marketId, double exchangeRate, int32_t reserved40,
                 const Traits& traits);

  // Never connected: every request carries its own token.
  int IsConnected() override;
  // The key check on the stored account text: GET "/v1/accounts" with these keys. Returns (and
  // writes to outCode) 1 accepted, 903/904/905 refused by the exchange, 402 not a list, 404 no
  // account text, -1 no reply. Accepted, the keys and the account are kept; otherwise all are
  // emptied. The exchange's message goes to outMsg and the last message.
  int QueryAccountsA(CURL* curl, const char* key, const char* secret, int* outCode, wchar_t* outMsg,
                     int msgLen) override;
  // With both keys given, stores the three texts; then the narrow log-in on the stored ones.
  int Login(CURL* curl, const wchar_t* account, const wchar_t* key, const wchar_t* secret,
            int* outCode, wchar_t* outMsg, int msgLen) override;
  // Stores the given texts, then the key check with option 1; 1 when it accepted the keys.
  int LoginA(CURL* curl, const char* account, const char* key, const char* secret, int* outCode,
             wchar_t* outMsg, int msgLen) override;
  // The account entry "<broker name>.<key in hex>" from an account list: each parse starts the
  // entry's cash and purchase total from zero and sums what the list holds.
  int ParseDepositResponse(const char* reply, size_t len, GroupInfoMap* accounts,
                           group_info_s** outRecord, int clear) override;
  // GET "/v1/accounts" into the account entry; 1 when the list was read, else 0.
  int QueryDeposit(CURL* curl, GroupInfoMap* accounts, group_info_s** outRecord,
                   int clear) override;
  bool ReadBalanceReply(uint8_t market, const char* reply, size_t len,
                        BalanceReply_s* out) override;

  // GET "/v1/market/all" on a handle of its own (the given keys when both are given, else the
  // stored ones); the reply (free()) or null.
  char* QueryStockTickerPage(CURL* curl) override;
  // The market list into `stocks` (the agent's own map when null): one GET "/v1/market/all" on
  // the caller's handle; the number of new records. Needs a handle and the stored keys.
  int LoadStockList(CURL* curl, OwningStockMap* stocks, uint8_t market, char marketLetter,
                    uint8_t priceSlot, int startIndex, int* outStatus, int freeFirst) override;
  // Records for the markets of a list reply the map lacks (code, Korean name, nation text,
  // market kind and letter, the slot's flag, index base + count); a market already there keeps
  // its record (Upbit sets the slot's flag on it). The number of new records.
  int ParseStockList(const char* reply, OwningStockMap* stocks, uint8_t market,
                     const char* nationCode, char marketLetter, uint8_t priceSlot,
                     int runningIndex, int* outStatus) override;
  // GET "/public/ticker/ALL" on a handle of its own; the reply (free()) or null.
  char* QueryAllTickers(CURL* curl, const char* key, const char* secret) override;
  // GET "/v1/ticker?markets=<codes>" on the caller's handle; the reply (free()) or null (also
  // for an empty list).
  char* QueryPricesA(CURL* curl, const char* codes) override;
  // One ticker poll of every record of `market` in `stocks` (Bithumb: those of its own list,
  // which have a name): the codes go out in requests of at most 999 characters, pausing
  // `pauseMs` between them; the tickers are applied (ParseMultiPriceResponse). Returns the
  // tickers applied; *outCode takes the last request's status (0, -1, -501, -502).
  int UpdatePrices(CURL* curl, uint8_t market, uint8_t priceSlot, uint8_t exchange,
                   StockMap* stocks, const std::atomic<int>* running, int pauseMs, char* outMsg,
                   int* outCode, FILE* priceLog) override;
  // Applies a ticker reply to the records of its markets (price slot `priceSlot`: 0 KRW, 1 BTC)
  // in the merge step and writes one price-log line per ticker. Returns the tickers applied.
  int ParseMultiPriceResponse(uint8_t priceSlot, const char* reply, size_t len, StockMap* stocks,
                              char* outCodeText, int* outCode, FILE* priceLog) override;
  // Day (kind 1) or minute candles (`step` minutes), unsigned: the rows and close texts, the
  // date and close queues and the record's blocks. Returns the candles stored.
  int GetChartDataA(CURL* curl, Stock_s* stock, const char* code, int kind, int step, int count,
                    std::string* outRows, std::string* outSeries, std::deque<int32_t>* outDates,
                    std::deque<double>* outCloses, int csv) override;
  // GET "/v1/accounts" into holdings; the number of coins held.
  int QueryBalance(CURL* curl, uint8_t market, uint8_t priceSlot, int filter,
                   const BalanceQueryArgs_s& args) override;
  // An order through TradeCoinOrderA: the market code (e.g. "KRW-BTC"), the side (1 buy), the
  // volume, the price (0: at the market) and, for a market buy, the amount in v1. The exchange's
  // order id goes to outOrderNoText; a refusal's code (701 to 710) to outResultText.
  int TradeOrderA(CURL* curl, uint8_t market, uint8_t exchange, int side, int reverse,
                  const char* code, double qty, double price, int creditFlag, int priceType,
                  int condition, int loanDate, int creditKind, double v1, double v2, double v3,
                  int v4, int v5, int earlierOrderNo, char* outOrderNoText, int64_t* outOrderNo,
                  int* outResult, int* outSuccess, int* outCodeFlag, wchar_t* outMsg,
                  wchar_t* outResultText) override;
  int GetBuyTrendData(CURL*, Stock_s*, const wchar_t*, uint8_t, int, std::string*, std::string*,
                      std::deque<int32_t>*, std::deque<double>*, int) override {
    return 0;
  }
  int GetBuyTrendDataA(CURL*, Stock_s*, const char*, uint8_t, int, std::string*, std::string*,
                       std::deque<int32_t>*, std::deque<double>*, int) override {
    return 0;
  }
  // Copies the text over the base URL; 0.
  int ParseUSAPriceResponse(const char* reply, size_t len, StockMap* stocks, uint8_t priceSlot,
                            FILE* priceLog) override;
  // Writes the wide URL over the base URL; 1.
  int SetServerUrl(const wchar_t* url) override;

  // Places an order with a signed POST to "/v1/orders": a buy ("bid", "price") or a sell
  // ("ask", "market"). Returns 0 placed, 701 to 710 refused (by the error's name), -1 when no
  // readable answer came (the outcome is unknown: the order may have been executed). outSuccess
  // is 1 exactly for 0; outA and outB are set to none. The exchange's message goes to outMsg
  // (msgLen characters), the error name to outErrorName, the order id ("uuid") to outOrderId.
  // `identifier` is the caller's order identifier for the exchanges that take one; 0 or below:
  // the agent makes a new one.
  virtual int TradeCoinOrderA(CURL* curl, uint8_t market, uint8_t exchange, int side, int reverse,
                              const char* code, double volume, double price, double amount,
                              void** outA, void** outB, const char* orderText, int64_t identifier,
                              int* outSuccess, wchar_t* outMsg, int msgLen, char* outErrorName,
                              int nameSize, std::string* outOrderId);
  // The wide form: market code and order text narrowed.
  int TradeCoinOrder(CURL* curl, uint8_t market, uint8_t exchange, int side, int reverse,
                     const wchar_t* code, double volume, double price, double amount, void** outA,
                     void** outB, const wchar_t* orderText, int64_t identifier, int* outSuccess,
                     wchar_t* outMsg, int msgLen, char* outErrorName, int nameSize,
                     std::string* outOrderId);

  // One signed request of this exchange (SendExchangeRequest), with the agent's CA file and
  // stop flag.
  char* SendSignedRequest(CURL* curl, const char* baseUrl, const char* path, int mode,
                          const char* query, const char* body, int signingOption,
                          const char* accessKey, const char* secretKey, uint32_t* outSize,
                          int* outTransfer, int timeoutMs, BrokerRequestState* state = nullptr);

  void SetRequestTimeout(int timeoutMs) { m_timeoutMs = timeoutMs; }
  // A candle request's unsigned GET of the URL: the reply (free()) or null.
  virtual char* GetCandles(CURL* curl, const std::string& url) = 0;
  // The engine's stop flag: a transfer aborts while it reads non-zero.
  void SetStopFlag(const std::atomic<int>* stop) { m_stopFlag = stop; }
  // The account entry's id: market id << 16 | broker id << 8 | instance.
  uint32_t EntryId() const;

 protected:
  // In the balance's merge step: each held coin's record is marked as listed on its market
  // (KRW or BTC), as the market list marks its records.
  void OnBalanceMerged(const BalanceQueryArgs_s& args) override;
  // The order's signed query and body.
  virtual ExchangeOrderRequest OrderRequest(const char* code, int side, double volume, double price,
                                            double amount, int64_t identifier) const = 0;
  // Whether the order request goes out on the caller's handle (else on one of its own).
  virtual bool OrderUsesCallersHandle() const { return true; }
  // The identifier an order goes out with: the caller's (exchanges that take none ignore it).
  virtual int64_t OrderIdentifier(int64_t given) { return given; }

 private:
  // GET "/v1/accounts" with the stored keys (caller's handle).
  char* GetAccounts(CURL* curl, uint32_t* outSize, BrokerRequestState* state);
  int KeyCheck(CURL* curl, const std::string& account, const std::string& key,
               const std::string& secret, int* outCode, wchar_t* outMsg, int msgLen);

  Traits m_traits;
  int m_timeoutMs = kExchangeRequestTimeoutMs;
  const std::atomic<int>* m_stopFlag = nullptr;
};

class CBithumbAgent : public CExchangeAgent {
 public:
  CBithumbAgent(uint8_t marketKind, const wchar_t* name, char classLetter, uint8_t brokerId,
                uint8_t instance, int32_t marketId, double exchangeRate, int32_t reserved40);

  // Through the support library's GET with the caller's handle.
  char* GetCandles(CURL* curl, const std::string& url) override;

 protected:
  // A JSON body with the same members, the query signed with option 1.
  ExchangeOrderRequest OrderRequest(const char* code, int side, double volume, double price,
                                    double amount, int64_t identifier) const override;
};

class CUpBitAgent : public CExchangeAgent {
 public:
  CUpBitAgent(uint8_t marketKind, const wchar_t* name, char classLetter, uint8_t brokerId,
              uint8_t instance, int32_t marketId, double exchangeRate, int32_t reserved40);

  // The unsigned, verified GET (ExchangeTransport.h) with the agent's CA file.
  char* HttpGetVerified(CURL* curl, const char* url, int timeoutMs, uint64_t* outSize,
                        int32_t* outTransfer);
  // Through HttpGetVerified (a handle of its own when none is given).
  char* GetCandles(CURL* curl, const std::string& url) override;
  // A new order identifier: above every one this agent used before and not below the clock's
  // milliseconds since 1970, so none goes out twice, not even after a failed request or a
  // restart of the program.
  int64_t NextOrderIdentifier();

 protected:
  // A JSON body with the members of the signed query, identifier included.
  ExchangeOrderRequest OrderRequest(const char* code, int side, double volume, double price,
                                    double amount, int64_t identifier) const override;
  bool OrderUsesCallersHandle() const override { return false; }
  // The caller's identifier when it is above every one used before, else a new one.
  int64_t OrderIdentifier(int64_t given) override;

 private:
  std::atomic<int64_t> m_lastIdentifier{0};
};
