#pragma once
// The broker-agent interface. Every broker and exchange is reached through one agent derived
// from CStockAgentBase; the trading view creates one per (market kind, broker id, account
// instance), owns it, and drives it only through the virtual operations below.
//
// Results are 32-bit ints unless stated: 1 success, 0 failure, -1 not supported, other values
// broker result codes. `curl` is an HTTP handle the caller may pass; when null the agent makes
// and frees its own. A wide ("W") entry converts its text arguments to UTF-8 and calls its
// narrow twin; the base class implements every W entry that way. Text results go into caller
// buffers whose sizes are given in characters (wide) or bytes (narrow) and are always bounded.
//
// Calling order the trading view relies on: create, SetCaCertPemFilePath, SetAccListPtr;
// Login; LoadStockList per market letter; QueryDeposit then QueryBalance on every account
// refresh; UpdatePrices no sooner than the poll interval; TradeOrder per queued order;
// GetChartData / GetBuyTrendData / GetShortSellingData; Logout; destruction.
//
// Several workers send through one agent at the same time (prices, balances, orders, charts)
// while the user-interface thread renews its token. Each request keeps its own state (reply
// headers, transfer result); the credentials and the access token are read and replaced only
// under the agent's own lock (`m_tokenLock`), so a request always sends a whole, live token.

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "platform/stocklib/BalanceMerge.h"
#include "platform/stocklib/CoinOrderReply.h"
#include "shared/StockOption.h"
#include "shared/StockRecords.h"

// Told by a balance parser about a held code the stock map lacked (a record has been made):
// (context, the new record's index, market kind (1), flags (0x100: the view may add the stock
// to its master list), wide code, name (may be null), market letter byte ('1'), price, second
// price, third value, the holding's index as a double, three ints (0), scratch pointer).
// The answer is not used.
using StockAddedCallback = int (*)(void* context, int recordIndex, int marketKind, uint32_t flags,
                                   const wchar_t* code, const wchar_t* name, uint8_t letter,
                                   double price, double price2, double value3, double holdingIndex,
                                   int int1, int int2, int int3, void* scratch);

// Values the view hands to QueryBalance and that the balance parser applies (all doubles are
// rates in percent unless said otherwise).
struct BalanceQueryArgs_s {
  group_info_s* totals = nullptr;           // the account record that takes the totals
  OwningHoldingMap* holdings = nullptr;     // the view's holdings map
  const stock_option_s* options = nullptr;  // step values for new holdings; may be null
  void* summary = nullptr;                  // the view's summary block (passed through)
  OwningStockMap* stocks = nullptr;         // the master stock map; missing stocks are added
  int32_t runningIndex = 0;                 // holdings counted so far by earlier queries
  std::wstring* outCodes = nullptr;         // receives the held codes, each followed by separator
  wchar_t separator = L',';
  double splitBudget = 0;      // per-stock split budget in won (500000 when <= 0)
  double feeRateDomestic = 0;  // commission rate for market-1 stocks
  double feeRateOther = 0;     // commission rate for other markets
  double taxRate = 0;
  double splitRate = 0;                           // GfxStockCalcSellSplitQty's split rate
  double exchangeRate = 0;                        // won per dollar
  double steps[5]{-100.0, 5.0, 2.0, 2.0, 100.0};  // pass-through step values for new holdings
  uint8_t ruleByte = 0;                           // credit / rule option byte
  int32_t callerValue = 0;                        // stored in each holding
  uint32_t tick = 0;                              // the view's tick at the start of the query
  int32_t* outResult = nullptr;                   // the parser's result code
  int32_t* outTransfer = nullptr;                 // the transfer's result code
  void* callbackContext = nullptr;
  StockAddedCallback callback = nullptr;
};

// Runs `merge` (a short step that changes the view's maps: holdings, stocks, accounts) under
// the view's lock, together with whatever the view must change in the same step.
using AgentMergeStep = std::function<void(const std::function<void()>& merge)>;

// Failure codes shared by the agents (besides the broker's own result codes).
constexpr int kAgentOk = 1;
constexpr int kAgentFailed = 0;
constexpr int kAgentNotSupported = -1;
constexpr int kAgentNoReply = -1;         // order: transfer failed or reply unusable
constexpr int kAgentSimulationOn = -307;  // order refused while the price simulation runs
constexpr int kAgentOrderNotAvailable = -308;  // the agent places no orders: nothing was sent

class CStockAgentBase {
 public:
  // (market kind, class letter '1' securities / 'b' exchange, broker id, account instance,
  //  market id, the view's double (exchange rate), 40)
  CStockAgentBase(uint8_t marketKind, char classLetter, uint8_t brokerId, uint8_t instance,
                  int32_t marketId, double exchangeRate, int32_t reserved40);
  CStockAgentBase(const CStockAgentBase&) = delete;
  CStockAgentBase& operator=(const CStockAgentBase&) = delete;

  // --- non-virtual ---
  // The view's account map; the agent enters its account records into it.
  void SetAccListPtr(GroupInfoMap* accounts) { m_accounts = accounts; }
  // The CA-certificate file every request verifies TLS with (empty: the system store).
  void SetCaCertPemFilePath(const wchar_t* path);
  const std::string& CaCertPemFilePath() const { return m_caCertPath; }
  // How the agent brings a reply into the view's maps: set once by the view before any worker
  // runs. Unset, a merge runs as it is (a caller with the maps to itself).
  void SetMergeStep(AgentMergeStep step) { m_mergeStep = std::move(step); }
  // The view's price-simulation flag: while it reads non-zero no order reaches the broker
  // (TradeOrderA returns -307). Null: the simulation is never on.
  void SetSimulationFlag(const std::atomic<int>* running) { m_simulation = running; }
  // Display label "<prefix>.<name>.<instance>" or "<prefix>.<key>", cut at 55 characters.
  void MakeLabel(const wchar_t* prefix, const wchar_t* name);

  // --- virtual operations, in slot order ---
  virtual ~CStockAgentBase();
  // Base: 1 while an access token is held and not expired.
  virtual int IsConnected();
  // Empties account text, confirmed account number, key and secret.
  virtual void ClearCredentials();
  // Copies a narrow URL into the base URL; returns 0 (null: 0, nothing changed).
  virtual int SetHostUrlA(const char* url);
  // Writes a wide URL narrowed into the base URL; returns 1 (null: 1, nothing changed).
  virtual int SetHostUrl(const wchar_t* url);
  // Checks key and secret against the exchange's account list. Base: -1.
  virtual int QueryAccountsA(CURL* curl, const char* key, const char* secret, int* outCode,
                             wchar_t* outMsg, int msgLen);
  virtual int QueryAccounts(CURL* curl, const wchar_t* key, const wchar_t* secret, int* outCode,
                            wchar_t* outMsg, int msgLen);
  // Revokes the token; base: frees it and clears the login state (credentials kept); 1.
  virtual int Logout();
  // W of LoginA.
  virtual int Login(CURL* curl, const wchar_t* account, const wchar_t* key, const wchar_t* secret,
                    int* outCode, wchar_t* outMsg, int msgLen);
  // Stores the credentials and obtains a token; 1 when one was obtained. Base: 0.
  virtual int LoginA(CURL* curl, const char* account, const char* key, const char* secret,
                     int* outCode, wchar_t* outMsg, int msgLen);
  // Fills account records from a deposit reply and enters them into the account map.
  // Base: 0.
  virtual int ParseDepositResponse(const char* reply, size_t len, GroupInfoMap* accounts,
                                   group_info_s** outRecord, int clear);
  // Asks for deposits and calls ParseDepositResponse. Base: 0.
  virtual int QueryDeposit(CURL* curl, GroupInfoMap* accounts, group_info_s** outRecord, int clear);
  // The index-th (0-based) record of the account map in map order, or null.
  virtual group_info_s* FindAccountList(int index);
  // Copies the confirmed account number into buf (empty when none); returns buf.
  virtual wchar_t* GetAccountNo(wchar_t* buf, int bufLen);
  virtual const char* GetAccountNoA();
  // One raw page of the stock list (heap text, free()), or null. Base: null.
  virtual char* QueryStockTickerPage(CURL* curl);
  // Loads the stock list into `stocks` (the default stock map when null); returns records
  // parsed. With freeFirst the map is emptied first. Base: 0.
  virtual int LoadStockList(CURL* curl, OwningStockMap* stocks, uint8_t market, char marketLetter,
                            uint8_t priceSlot, int startIndex, int* outStatus, int freeFirst);
  // Fills Stock_s records from one list page; returns their number. Base: 0.
  virtual int ParseStockList(const char* reply, OwningStockMap* stocks, uint8_t market,
                             const char* nationCode, char marketLetter, uint8_t priceSlot,
                             int runningIndex, int* outStatus);
  // Raw all-tickers reply (heap text, free()), or null. Base: null.
  virtual char* QueryAllTickers(CURL* curl, const char* key, const char* secret);
  // W of QueryPricesA (codes up to 5000 characters).
  virtual char* QueryPrices(CURL* curl, const wchar_t* codes);
  // Raw reply for ';'-separated codes (heap text, free()), or null. Base: null.
  virtual char* QueryPricesA(CURL* curl, const char* codes);
  // Fills holdings from one balance reply: reads it (ReadBalanceReply) without any lock, then
  // merges it (MergeBalanceReply) in the merge step. Returns the number of holdings; 0 when
  // the reply is missing or unreadable (then nothing changes).
  virtual int ParseBalanceResponse(uint8_t market, uint8_t priceSlot, int filter, const char* reply,
                                   size_t len, const BalanceQueryArgs_s& args);
  // Reads one balance reply of `market`; false when it holds no balance (a refusal, not JSON).
  // Touches nothing the view shares. Base: false.
  virtual bool ReadBalanceReply(uint8_t market, const char* reply, size_t len, BalanceReply_s* out);
  // Asks for the holdings (all pages), calls ParseBalanceResponse, drops sold-out holdings and
  // returns the number of holdings. Base: 0.
  virtual int QueryBalance(CURL* curl, uint8_t market, uint8_t priceSlot, int filter,
                           const BalanceQueryArgs_s& args);
  // One multi-price request; calls ParseMultiPriceResponse. Base: -1.
  virtual int QueryMultiPrices(CURL* curl, uint8_t market, uint8_t priceSlot, const char* path,
                               StockMap* stocks, const char* body, int codeCount, char* contKey,
                               char* outMsg, int* outCode, FILE* priceLog);
  // Polls the prices of every stock of `stocks` in batches, pausing `pauseMs` between batches
  // and stopping when *running drops to 0; writes the message text (20 bytes) and code; returns
  // records updated. Counts a price pass when at least one was updated. Base: 0.
  virtual int UpdatePrices(CURL* curl, uint8_t market, uint8_t priceSlot, uint8_t exchange,
                           StockMap* stocks, const std::atomic<int>* running, int pauseMs,
                           char* outMsg, int* outCode, FILE* priceLog);
  // Applies one price reply to the records; returns records updated. Base: 0.
  virtual int ParseMultiPriceResponse(uint8_t priceSlot, const char* reply, size_t len,
                                      StockMap* stocks, char* outCodeText, int* outCode,
                                      FILE* priceLog);
  // Order replies: order-number text (50 bytes), order number, result code, code text
  // (20 bytes), wide message (256 characters). Base overseas form: -1.
  virtual int ParseUSATradeOrderResponse(const char* reply, char* outOrderNoText,
                                         int64_t* outOrderNo, int* outResult, char* outCodeText,
                                         wchar_t* outMsg);
  virtual int ParseTradeOrderResponse(const char* reply, char* outOrderNoText, int64_t* outOrderNo,
                                      int* outResult, char* outCodeText, wchar_t* outMsg);
  // Places an order. In order: curl; market (1 domestic, 2 overseas); exchange selector (1, 2
  // or other); side (1 buy, else sell); reverse flag; stock code; quantity; price; credit flag
  // (2 credit order); price type (3 market price, else limit); order condition (0 none, 1, 2);
  // loan date (yyyymmdd); credit kind (1 or other); five further values (v1..v5) the brokers
  // may use; the number of the earlier order (overseas); out order-number text (50 bytes); out
  // order number; out result code; out success flag (1 when the code is 0); out code flag (set
  // only when a reply came: 1 for result codes 8819 and 2297, else 0); out wide message (256
  // characters); out wide result-code text (20 characters). Returns the broker's numeric
  // result code (0 success); -1 when no usable reply came (success flag 0). Base: -1.
  virtual int TradeOrderA(CURL* curl, uint8_t market, uint8_t exchange, int side, int reverse,
                          const char* code, double qty, double price, int creditFlag, int priceType,
                          int condition, int loanDate, int creditKind, double v1, double v2,
                          double v3, int v4, int v5, int earlierOrderNo, char* outOrderNoText,
                          int64_t* outOrderNo, int* outResult, int* outSuccess, int* outCodeFlag,
                          wchar_t* outMsg, wchar_t* outResultText);
  // W of TradeOrderA (code and earlier order's text wide).
  virtual int TradeOrder(CURL* curl, uint8_t market, uint8_t exchange, int side, int reverse,
                         const wchar_t* code, double qty, double price, int creditFlag,
                         int priceType, int condition, int loanDate, int creditKind, double v1,
                         double v2, double v3, int v4, int v5, const wchar_t* earlierOrder,
                         char* outOrderNoText, int64_t* outOrderNo, int* outResult, int* outSuccess,
                         int* outCodeFlag, wchar_t* outMsg, wchar_t* outResultText);
  // A copy of the agent's last message: several workers write it, so none may keep a pointer
  // into it.
  virtual std::wstring GetLastMessage() const;
  // Null empties the message; keeps at most 200 characters; returns 0.
  virtual int SetLastMessage(const wchar_t* text);
  // The same from UTF-8 text.
  void SetLastMessageUtf8(const char* text);
  // W of GetChartDataA.
  virtual int GetChartData(CURL* curl, Stock_s* stock, const wchar_t* code, int kind, int step,
                           int count, std::string* outRows, std::string* outSeries,
                           std::deque<int32_t>* outDates, std::deque<double>* outCloses, int csv);
  // Candles: kind 1 days, else minutes of `step`; rows and series texts, dates and closes.
  // Base: -1.
  virtual int GetChartDataA(CURL* curl, Stock_s* stock, const char* code, int kind, int step,
                            int count, std::string* outRows, std::string* outSeries,
                            std::deque<int32_t>* outDates, std::deque<double>* outCloses, int csv);
  virtual int GetBuyTrendData(CURL* curl, Stock_s* stock, const wchar_t* code, uint8_t kind,
                              int days, std::string* outRows, std::string* outSeries,
                              std::deque<int32_t>* outDates, std::deque<double>* outValues,
                              int csv);
  // Investor buy trend. Base: -1.
  virtual int GetBuyTrendDataA(CURL* curl, Stock_s* stock, const char* code, uint8_t kind, int days,
                               std::string* outRows, std::string* outSeries,
                               std::deque<int32_t>* outDates, std::deque<double>* outValues,
                               int csv);
  virtual int GetShortSellingData(CURL* curl, Stock_s* stock, const wchar_t* code, int days,
                                  std::string* outRows, std::string* outSeries, int csv);
  // Short selling. Base: -1.
  virtual int GetShortSellingDataA(CURL* curl, Stock_s* stock, const char* code, int days,
                                   std::string* outRows, std::string* outSeries, int csv);
  virtual int GetBidAskData(CURL* curl, Stock_s* stock, const wchar_t* code, uint8_t kind,
                            double out[8]);
  // Eight bid/ask values. Base: -1.
  virtual int GetBidAskDataA(CURL* curl, Stock_s* stock, const char* code, uint8_t kind,
                             double out[8]);
  // Exchange order replies (every agent; platform/stocklib/CoinOrderReply.h). Reads the
  // reply into `out`; returns the number of characters of its message.
  virtual int ParseCoinOrderResponse(const char* reply, size_t len, CoinOrderReply_s* out);
  // The reply's error code: 0 for a JSON object without an error, 701 to 710 by the error's
  // name, -1 without a reply or message buffer or for a reply that is not a JSON object. The
  // error's message (or the reply's "volume") goes into outMsg (msgLen characters), the name
  // into outName (nameSize bytes) when given.
  virtual int ParseCoinOrderError(const char* reply, wchar_t* outMsg, int msgLen, char* outName,
                                  int nameSize);
  // "<order id>/<message>" as a new wide text (free()) in *outText when the reply names either;
  // returns what ParseCoinOrderResponse returns, -1 with a missing argument. `text` is unused.
  virtual int GetCoinOrderId(const char* reply, size_t len, const char* text, wchar_t** outText);
  // One single-stock price reply into its record (price slot, and one price-log line when a
  // log is given); 1 when the record was updated. Base: 0.
  virtual int ParsePriceResponse(const char* reply, size_t len, Stock_s* stock, uint8_t priceSlot,
                                 FILE* priceLog);
  // One overseas price reply into the record of its symbol in `stocks`; 1 when updated.
  // Exchange agents take the reply text as a narrow base URL instead. Base: 0.
  virtual int ParseUSAPriceResponse(const char* reply, size_t len, StockMap* stocks,
                                    uint8_t priceSlot, FILE* priceLog);
  // Securities: 0. Exchange agents: writes the wide URL into the base URL and returns 1.
  virtual int SetServerUrl(const wchar_t* url);

  // --- state the trading view reads and writes ---
  int32_t m_marketKind = 0;
  uint8_t m_marketLetter = 0;
  char m_classLetter = '1';
  uint8_t m_brokerId = 0;
  uint8_t m_instance = 0;
  int32_t m_marketId = 0;
  double m_exchangeRate = 0;
  uint32_t m_key = 0;  // (market id << 16) | (broker id << 8) | instance
  uint8_t m_slotIndex = 0;
  uint8_t m_dataAgent = 0;
  uint8_t m_coinMarket = 0;  // 0 KRW market, else the BTC market
  uint8_t m_reservedByte = 40;
  int32_t m_reserved40 = 40;

  wchar_t m_brokerName[51]{};
  wchar_t* m_label = nullptr;  // owned; the account record's label is a copy
  char m_baseUrl[100]{};
  char m_clientName[190]{};
  char m_wsUrl[102]{};

  char m_account[50]{};
  char m_confirmedAccount[50]{};
  char m_appKey[200]{};
  char m_appSecret[200]{};
  std::atomic<int32_t> m_tokenLifetime{0};  // seconds
  std::atomic<uint64_t> m_tokenExpiry{0};   // tick count (ms)
  std::atomic<int64_t> m_remainingTicks{0};  // written by the token check
  std::string m_caCertPath;

  uint32_t m_lastPollTick = 0;
  uint32_t m_pollInterval = 1000;
  char m_pollMessage[20]{};
  int32_t m_pollCode = 0;
  int32_t m_chartPause = 500;
  int32_t m_tuning3 = 50;
  uint8_t m_priceSlot = 0;
  int32_t m_balanceResult = 0;
  int32_t m_balanceCount = 0;
  int32_t m_balancePasses = 0;
  int32_t m_priceUpdates = 0;
  int32_t m_userCheck[2]{};

  OwningStockMap* m_defaultStocks = nullptr;
  StockMap* m_masterStocks = nullptr;
  GroupInfoMap* m_accounts = nullptr;
  const std::atomic<int>* m_simulation = nullptr;
  group_info_s m_accountRecord;
  group_info_s m_domesticRecord;

  // A copy of the access token, taken under the agent's lock (empty when none is held).
  std::string AccessToken() const;
  // A copy of the account number, taken under the agent's lock (a login may be writing it).
  std::string AccountNumber() const;
  // What one request (or a real-time quote connection) authenticates with, copied under the
  // agent's lock.
  struct RequestCredentials {
    std::string key;
    std::string secret;
    std::string token;
  };
  RequestCredentials CredentialsForRequest() const;

 protected:
  // Merges a balance reply that has been read (ReadBalanceReply, or several pages gathered into
  // one) into the view's maps in one merge step; returns the number of holdings it named.
  int MergeBalance(uint8_t market, uint8_t priceSlot, const BalanceReply_s& read,
                   const BalanceQueryArgs_s& args);
  // Called inside the balance's merge step, after the merge, for what an agent adds to the
  // records it merged. Base: nothing.
  virtual void OnBalanceMerged(const BalanceQueryArgs_s& args);
  // The token-login agents' wide login: stores the credentials when key and secret are given
  // (a renewal without them keeps the stored ones), then logs in with LoginA on the stored ones.
  int LoginWithStoredCredentials(CURL* curl, const wchar_t* account, const wchar_t* key,
                                 const wchar_t* secret, int* outCode, wchar_t* outMsg, int msgLen);
  // The start of a token login: stores the account (when not empty), the key and the secret (each
  // when not null) and empties the outputs. False, with the token dropped, when the key or the
  // secret is missing (nothing may be sent).
  bool BeginTokenLogin(const char* account, const char* key, const char* secret, int* outCode,
                       wchar_t* outMsg, int msgLen);
  // Forgets the token after a failed login.
  void DropToken();
  // Runs `merge` through the view's merge step (directly when none is set).
  void RunMerge(const std::function<void()>& merge) const;
  // Stores the account, the key and the secret (each when not null) under the agent's lock.
  void StoreCredentials(const char* account, const char* key, const char* secret);
  // Replaces the token, its lifetime and expiry (tick now + lifetime x 1000) in one locked step:
  // a request sends either the old token or the new one, never a freed or partly written one.
  void SetAccessToken(const char* token, int32_t lifetimeSeconds, uint64_t nowTick);
  void FreeAccessToken();
  // True while the view's price simulation runs (orders must not be sent).
  bool SimulationRunning() const { return m_simulation && m_simulation->load() != 0; }
  // True when both key and secret are set (requests are refused otherwise).
  bool HasCredentials() const;
  // Injected tick source for token expiry (a steady millisecond clock by default).
  virtual uint64_t NowTick64() const;

 private:
  AgentMergeStep m_mergeStep;
  uint32_t m_balanceStamp = 0;     // marks the holdings each balance reply names
  mutable std::mutex m_tokenLock;  // guards m_accessToken, m_account, m_appKey, m_appSecret
  std::string m_accessToken;
  mutable std::mutex m_messageLock;  // guards m_lastMessage
  std::wstring m_lastMessage;
};
