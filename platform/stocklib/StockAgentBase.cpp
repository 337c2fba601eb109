#include "platform/stocklib/StockAgentBase.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "platform/support/CheckedNumber.h"
#include "platform/support/TextConv.h"

namespace {

constexpr size_t kLabelLen = 56;  // label buffer, terminator included

std::string Narrow(const wchar_t* w) { return w ? WideToUtf8(w) : std::string(); }

}  // namespace

CStockAgentBase::CStockAgentBase(uint8_t marketKind, char classLetter, uint8_t brokerId,
                                 uint8_t instance, int32_t marketId, double exchangeRate,
                                 int32_t reserved40)
    : m_marketKind(marketKind),
      m_classLetter(classLetter),
      m_brokerId(brokerId),
      m_instance(instance),
      m_marketId(marketId),
      m_exchangeRate(exchangeRate),
      m_reserved40(reserved40) {
  m_key =
      (static_cast<uint32_t>(marketId) << 16) | (static_cast<uint32_t>(brokerId) << 8) | instance;
  m_accountRecord.key = m_key;
  m_accountRecord.agent = this;
  m_domesticRecord.key = m_key;
  m_domesticRecord.agent = this;
}

CStockAgentBase::~CStockAgentBase() { std::free(m_label); }

void CStockAgentBase::SetCaCertPemFilePath(const wchar_t* path) { m_caCertPath = Narrow(path); }

void CStockAgentBase::MakeLabel(const wchar_t* prefix, const wchar_t* name) {
  std::wstring text = prefix ? prefix : L"";
  if (name && *name) {
    text += L'.';
    text += name;
    text += L'.';
    text += std::to_wstring(m_instance);
  } else {
    text += L'.';
    text += std::to_wstring(m_key);
  }
  if (text.size() > kLabelLen - 1) text.resize(kLabelLen - 1);
  std::free(m_label);
  m_label = StrDup2W(text.c_str());
  m_accountRecord.label = text;
  m_domesticRecord.label = text;
}

void CStockAgentBase::SetAccessToken(const char* token, int32_t lifetimeSeconds, uint64_t nowTick) {
  std::lock_guard<std::mutex> lock(m_tokenLock);
  m_accessToken = token ? token : "";
  m_tokenLifetime = lifetimeSeconds;
  m_tokenExpiry = nowTick + static_cast<uint64_t>(lifetimeSeconds > 0 ? lifetimeSeconds : 0) * 1000;
}

void CStockAgentBase::FreeAccessToken() {
  std::lock_guard<std::mutex> lock(m_tokenLock);
  m_accessToken.clear();
}

std::string CStockAgentBase::AccessToken() const {
  std::lock_guard<std::mutex> lock(m_tokenLock);
  return m_accessToken;
}

void CStockAgentBase::SetLastMessageUtf8(const char* text) {
  wchar_t wide[201];
  StrSafeCopyFromUTF8_W(wide, sizeof wide / sizeof wide[0], text ? text : "");
  SetLastMessage(wide);
}

std::string CStockAgentBase::AccountNumber() const {
  std::lock_guard<std::mutex> lock(m_tokenLock);
  return m_account;
}

CStockAgentBase::RequestCredentials CStockAgentBase::CredentialsForRequest() const {
  std::lock_guard<std::mutex> lock(m_tokenLock);
  return {m_appKey, m_appSecret, m_accessToken};
}

void CStockAgentBase::StoreCredentials(const char* account, const char* key, const char* secret) {
  std::lock_guard<std::mutex> lock(m_tokenLock);
  if (account) StrSafeCopyA(m_account, sizeof m_account, account);
  if (key) StrSafeCopyA(m_appKey, sizeof m_appKey, key);
  if (secret) StrSafeCopyA(m_appSecret, sizeof m_appSecret, secret);
}

bool CStockAgentBase::HasCredentials() const {
  std::lock_guard<std::mutex> lock(m_tokenLock);
  return m_appKey[0] && m_appSecret[0];
}

uint64_t CStockAgentBase::NowTick64() const {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

int CStockAgentBase::IsConnected() {
  const bool held = !AccessToken().empty();
  return held && NowTick64() < m_tokenExpiry ? 1 : 0;
}

void CStockAgentBase::ClearCredentials() {
  std::lock_guard<std::mutex> lock(m_tokenLock);
  m_account[0] = 0;
  m_confirmedAccount[0] = 0;
  m_appKey[0] = 0;
  m_appSecret[0] = 0;
}

int CStockAgentBase::SetHostUrlA(const char* url) {
  if (url) StrSafeCopyA(m_baseUrl, sizeof m_baseUrl, url);
  return 0;
}

int CStockAgentBase::SetHostUrl(const wchar_t* url) {
  if (url) StrSafeCopyFromWCHAR_A(m_baseUrl, sizeof m_baseUrl, url);
  return 1;
}

int CStockAgentBase::QueryAccountsA(CURL*, const char*, const char*, int*, wchar_t*, int) {
  return kAgentNotSupported;
}

int CStockAgentBase::QueryAccounts(CURL* curl, const wchar_t* key, const wchar_t* secret,
                                   int* outCode, wchar_t* outMsg, int msgLen) {
  return QueryAccountsA(curl, Narrow(key).c_str(), Narrow(secret).c_str(), outCode, outMsg, msgLen);
}

int CStockAgentBase::Logout() {
  FreeAccessToken();
  m_tokenExpiry = 0;
  m_tokenLifetime = 0;
  return 1;
}

int CStockAgentBase::Login(CURL* curl, const wchar_t* account, const wchar_t* key,
                           const wchar_t* secret, int* outCode, wchar_t* outMsg, int msgLen) {
  return LoginA(curl, Narrow(account).c_str(), Narrow(key).c_str(), Narrow(secret).c_str(), outCode,
                outMsg, msgLen);
}

int CStockAgentBase::LoginA(CURL*, const char*, const char*, const char*, int*, wchar_t*, int) {
  return kAgentFailed;
}

int CStockAgentBase::LoginWithStoredCredentials(CURL* curl, const wchar_t* account,
                                                const wchar_t* key, const wchar_t* secret,
                                                int* outCode, wchar_t* outMsg, int msgLen) {
  if (key && *key && secret && *secret)
    StoreCredentials(Narrow(account).c_str(), Narrow(key).c_str(), Narrow(secret).c_str());
  return LoginA(curl, nullptr, nullptr, nullptr, outCode, outMsg, msgLen);
}

bool CStockAgentBase::BeginTokenLogin(const char* account, const char* key, const char* secret,
                                      int* outCode, wchar_t* outMsg, int msgLen) {
  // The token in use stays until its successor is in hand: workers keep sending with it while
  // this login (a renewal, often) waits for the broker.
  StoreCredentials(account && *account ? account : nullptr, key, secret);
  if (outCode) *outCode = 0;
  if (outMsg && msgLen > 0) outMsg[0] = 0;
  if (HasCredentials()) return true;
  DropToken();
  return false;
}

void CStockAgentBase::DropToken() {
  FreeAccessToken();
  m_tokenExpiry = 0;
}

int CStockAgentBase::ParseDepositResponse(const char*, size_t, GroupInfoMap*, group_info_s**, int) {
  return kAgentFailed;
}

int CStockAgentBase::QueryDeposit(CURL*, GroupInfoMap*, group_info_s**, int) {
  return kAgentFailed;
}

group_info_s* CStockAgentBase::FindAccountList(int index) {
  if (!m_accounts || index < 0 || static_cast<size_t>(index) >= m_accounts->size()) return nullptr;
  auto it = m_accounts->begin();
  std::advance(it, index);
  return it->second;
}

wchar_t* CStockAgentBase::GetAccountNo(wchar_t* buf, int bufLen) {
  if (buf && bufLen > 0)
    StrSafeCopyFromUTF8_W(buf, static_cast<size_t>(bufLen), m_confirmedAccount);
  return buf;
}

const char* CStockAgentBase::GetAccountNoA() { return m_confirmedAccount; }

char* CStockAgentBase::QueryStockTickerPage(CURL*) { return nullptr; }

int CStockAgentBase::LoadStockList(CURL*, OwningStockMap*, uint8_t, char, uint8_t, int, int*, int) {
  return 0;
}

int CStockAgentBase::ParseStockList(const char*, OwningStockMap*, uint8_t, const char*, char,
                                    uint8_t, int, int*) {
  return 0;
}

char* CStockAgentBase::QueryAllTickers(CURL*, const char*, const char*) { return nullptr; }

char* CStockAgentBase::QueryPrices(CURL* curl, const wchar_t* codes) {
  std::wstring bounded = codes ? codes : L"";
  if (bounded.size() > 5000) bounded.resize(5000);
  return QueryPricesA(curl, WideToUtf8(bounded).c_str());
}

char* CStockAgentBase::QueryPricesA(CURL*, const char*) { return nullptr; }

int CStockAgentBase::ParseBalanceResponse(uint8_t market, uint8_t priceSlot, int, const char* reply,
                                          size_t len, const BalanceQueryArgs_s& args) {
  m_balanceCount = 0;
  if (!reply || !args.totals || !args.holdings || !args.stocks) return 0;
  BalanceReply_s read;
  if (!ReadBalanceReply(market, reply, len, &read)) return 0;
  return MergeBalance(market, priceSlot, read, args);
}

int CStockAgentBase::MergeBalance(uint8_t market, uint8_t priceSlot, const BalanceReply_s& read,
                                  const BalanceQueryArgs_s& args) {
  m_balanceCount = 0;
  if (!args.totals || !args.holdings || !args.stocks) return 0;
  BalanceOwner_s owner;
  owner.brokerId = m_brokerId;
  owner.accountKey = m_key;
  owner.market = market;
  owner.priceSlot = priceSlot;
  owner.pass = ++m_balanceStamp;
  owner.afterFirstPass = m_balancePasses > 0;
  BalanceMergeResult_s merged;
  RunMerge([&] {
    merged = MergeBalanceReply(read, owner, args);
    OnBalanceMerged(args);
  });
  m_balanceCount = merged.parsed + merged.removed;
  return merged.parsed;
}

void CStockAgentBase::OnBalanceMerged(const BalanceQueryArgs_s&) {}

bool CStockAgentBase::ReadBalanceReply(uint8_t, const char*, size_t, BalanceReply_s*) {
  return false;
}

void CStockAgentBase::RunMerge(const std::function<void()>& merge) const {
  if (m_mergeStep) {
    m_mergeStep(merge);
  } else {
    merge();
  }
}

int CStockAgentBase::QueryBalance(CURL*, uint8_t, uint8_t, int, const BalanceQueryArgs_s&) {
  return 0;
}

int CStockAgentBase::QueryMultiPrices(CURL*, uint8_t, uint8_t, const char*, StockMap*, const char*,
                                      int, char*, char*, int*, FILE*) {
  return kAgentNotSupported;
}

int CStockAgentBase::UpdatePrices(CURL*, uint8_t, uint8_t, uint8_t, StockMap*,
                                  const std::atomic<int>*, int, char*, int*, FILE*) {
  return 0;
}

int CStockAgentBase::ParseMultiPriceResponse(uint8_t, const char*, size_t, StockMap*, char*, int*,
                                             FILE*) {
  return 0;
}

int CStockAgentBase::ParseUSATradeOrderResponse(const char*, char*, int64_t*, int*, char*,
                                                wchar_t*) {
  return kAgentNotSupported;
}

int CStockAgentBase::ParseTradeOrderResponse(const char*, char*, int64_t*, int*, char*, wchar_t*) {
  return kAgentNotSupported;
}

int CStockAgentBase::TradeOrderA(CURL*, uint8_t, uint8_t, int, int, const char*, double, double,
                                 int, int, int, int, int, double, double, double, int, int, int,
                                 char*, int64_t*, int*, int* outSuccess, int*, wchar_t*, wchar_t*) {
  // An agent without orders sends nothing: the order is certainly not executed.
  if (outSuccess) *outSuccess = 0;
  return kAgentOrderNotAvailable;
}

int CStockAgentBase::TradeOrder(CURL* curl, uint8_t market, uint8_t exchange, int side, int reverse,
                                const wchar_t* code, double qty, double price, int creditFlag,
                                int priceType, int condition, int loanDate, int creditKind,
                                double v1, double v2, double v3, int v4, int v5,
                                const wchar_t* earlierOrder, char* outOrderNoText,
                                int64_t* outOrderNo, int* outResult, int* outSuccess,
                                int* outCodeFlag, wchar_t* outMsg, wchar_t* outResultText) {
  // An order number no int holds names no order: it is sent as none.
  int earlier = 0;
  if (earlierOrder &&
      !NumberToInt(static_cast<double>(std::wcstoll(earlierOrder, nullptr, 10)), &earlier)) {
    earlier = 0;
  }
  return TradeOrderA(curl, market, exchange, side, reverse, Narrow(code).c_str(), qty, price,
                     creditFlag, priceType, condition, loanDate, creditKind, v1, v2, v3, v4, v5,
                     earlier, outOrderNoText, outOrderNo, outResult, outSuccess, outCodeFlag,
                     outMsg, outResultText);
}

std::wstring CStockAgentBase::GetLastMessage() const {
  std::lock_guard<std::mutex> lock(m_messageLock);
  return m_lastMessage;
}

int CStockAgentBase::SetLastMessage(const wchar_t* text) {
  constexpr size_t kMessageLen = 200;
  std::wstring kept = text ? text : L"";
  if (kept.size() > kMessageLen) kept.resize(kMessageLen);
  std::lock_guard<std::mutex> lock(m_messageLock);
  m_lastMessage = std::move(kept);
  return 0;
}

int CStockAgentBase::GetChartData(CURL* curl, Stock_s* stock, const wchar_t* code, int kind,
                                  int step, int count, std::string* outRows, std::string* outSeries,
                                  std::deque<int32_t>* outDates, std::deque<double>* outCloses,
                                  int csv) {
  return GetChartDataA(curl, stock, Narrow(code).c_str(), kind, step, count, outRows, outSeries,
                       outDates, outCloses, csv);
}

int CStockAgentBase::GetChartDataA(CURL*, Stock_s*, const char*, int, int, int, std::string*,
                                   std::string*, std::deque<int32_t>*, std::deque<double>*, int) {
  return kAgentNotSupported;
}

int CStockAgentBase::GetBuyTrendData(CURL* curl, Stock_s* stock, const wchar_t* code, uint8_t kind,
                                     int days, std::string* outRows, std::string* outSeries,
                                     std::deque<int32_t>* outDates, std::deque<double>* outValues,
                                     int csv) {
  return GetBuyTrendDataA(curl, stock, Narrow(code).c_str(), kind, days, outRows, outSeries,
                          outDates, outValues, csv);
}

int CStockAgentBase::GetBuyTrendDataA(CURL*, Stock_s*, const char*, uint8_t, int, std::string*,
                                      std::string*, std::deque<int32_t>*, std::deque<double>*,
                                      int) {
  return kAgentNotSupported;
}

int CStockAgentBase::GetShortSellingData(CURL* curl, Stock_s* stock, const wchar_t* code, int days,
                                         std::string* outRows, std::string* outSeries, int csv) {
  return GetShortSellingDataA(curl, stock, Narrow(code).c_str(), days, outRows, outSeries, csv);
}

int CStockAgentBase::GetShortSellingDataA(CURL*, Stock_s*, const char*, int, std::string*,
                                          std::string*, int) {
  return kAgentNotSupported;
}

int CStockAgentBase::GetBidAskData(CURL* curl, Stock_s* stock, const wchar_t* code, uint8_t kind,
                                   double out[8]) {
  return GetBidAskDataA(curl, stock, Narrow(code).c_str(), kind, out);
}

int CStockAgentBase::GetBidAskDataA(CURL*, Stock_s*, const char*, uint8_t, double*) {
  return kAgentNotSupported;
}

int CStockAgentBase::ParseCoinOrderResponse(const char* reply, size_t len, CoinOrderReply_s* out) {
  return ReadCoinOrderReply(reply, len, out);
}

int CStockAgentBase::ParseCoinOrderError(const char* reply, wchar_t* outMsg, int msgLen,
                                         char* outName, int nameSize) {
  return ReadCoinOrderError(reply, outMsg, msgLen > 0 ? static_cast<size_t>(msgLen) : 0, outName,
                            nameSize > 0 ? static_cast<size_t>(nameSize) : 0);
}

int CStockAgentBase::GetCoinOrderId(const char* reply, size_t len, const char*, wchar_t** outText) {
  return MakeCoinOrderIdText(reply, len, outText);
}

int CStockAgentBase::ParsePriceResponse(const char*, size_t, Stock_s*, uint8_t, FILE*) { return 0; }

int CStockAgentBase::ParseUSAPriceResponse(const char*, size_t, StockMap*, uint8_t, FILE*) {
  return 0;
}

int CStockAgentBase::SetServerUrl(const wchar_t*) { return 0; }
