#include "plugin/brokers/ExchangeAgent.h"

#include <rapidjson/document.h>
#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <utility>
#include <vector>

#include "platform/support/JsonGetters.h"
#include "platform/support/TextConv.h"
#include "plugin/brokers/BrokerHosts.h"

namespace {

// Error names by which the exchanges refuse the caller's address.
constexpr const char* kIpRefusalNames[] = {"no_authorization_ip", "no_authorization_i_p",
                                           "NotAllowIP"};
constexpr size_t kMaxErrorText = 499;
constexpr size_t kMaxOrderIdText = 49;
constexpr int kAccountMessageLen = 200;

bool ParseJson(const char* reply, size_t len, rapidjson::Document* doc) {
  if (!reply || len == 0) return false;
  doc->Parse(reply, len);
  return !doc->HasParseError();
}

// A member as text: strings as they are, numbers in their shortest form; empty otherwise.
std::string MemberText(const rapidjson::Value& object, const char* name) {
  if (!object.IsObject()) return {};
  const auto it = object.FindMember(name);
  if (it == object.MemberEnd()) return {};
  const rapidjson::Value& v = it->value;
  if (v.IsString()) return std::string(v.GetString(), v.GetStringLength());
  if (v.IsNumber()) {
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", v.GetDouble());
    return text;
  }
  return {};
}

// A member as a finite number (texts read as decimals); 0 otherwise.
double MemberNumber(const rapidjson::Value& object, const char* name) {
  const double value = JsonGetDouble(object, name, 0);
  return std::isfinite(value) ? value : 0;
}

std::string Bounded(std::string text, size_t limit) {
  if (text.size() > limit) text.resize(limit);
  return text;
}

// One object of an account list.
struct AccountEntry {
  std::string code;  // "<unit currency>-<currency>"
  double balance = 0;
  double avgBuyPrice = 0;
  bool won = false;  // the KRW entry (cash)
};

bool ReadAccountEntry(const rapidjson::Value& object, AccountEntry* out) {
  if (!object.IsObject()) return false;
  const std::string currency = MemberText(object, "currency");
  if (currency.empty()) return false;
  out->code = MemberText(object, "unit_currency") + "-" + currency;
  out->won = strcasecmp(out->code.c_str(), "KRW-KRW") == 0;
  out->balance = MemberNumber(object, "balance");
  out->avgBuyPrice = MemberNumber(object, "avg_buy_price");
  return true;
}

}  // namespace

bool IsExchangeMarketCode(const char* code) {
  if (!code || !*code || std::strlen(code) > 30) return false;
  for (const char* p = code; *p; ++p) {
    const char c = *p;
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'))
      return false;
  }
  return true;
}

namespace {

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  char buffer[1024];
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return n < 0 ? std::string() : std::string(buffer, std::min<size_t>(n, sizeof buffer - 1));
}

void CopyMessage(wchar_t* out, int outLen, const std::string& utf8) {
  if (out && outLen > 0) StrSafeCopyFromUTF8_W(out, static_cast<size_t>(outLen), utf8.c_str());
}

}  // namespace

ExchangeError ReadExchangeError(const char* reply, size_t len) {
  ExchangeError error;
  rapidjson::Document doc;
  if (!ParseJson(reply, len, &doc) || !doc.IsObject()) return error;
  const auto it = doc.FindMember("error");
  if (it == doc.MemberEnd()) return error;
  error.present = true;
  error.name = Bounded(MemberText(it->value, "name"), kMaxErrorText);
  error.message = Bounded(MemberText(it->value, "message"), kMaxErrorText);
  return error;
}

int KeyCheckCodeForError(const std::string& name, const char* badKeyName) {
  for (const char* ip : kIpRefusalNames)
    if (name.find(ip) != std::string::npos) return kKeyCheckIpRefused;
  if (badKeyName && *badKeyName && name.find(badKeyName) != std::string::npos)
    return kKeyCheckBadKey;
  return kKeyCheckRefused;
}

bool ReadExchangeAccountTotals(const char* reply, size_t len, ExchangeAccountTotals* out) {
  if (!out) return false;
  *out = ExchangeAccountTotals();
  rapidjson::Document doc;
  if (!ParseJson(reply, len, &doc) || !doc.IsArray()) return false;
  for (const rapidjson::Value& object : doc.GetArray()) {
    AccountEntry entry;
    if (!ReadAccountEntry(object, &entry)) continue;
    ++out->entries;
    // A balance that is all but gone while more is locked in open orders counts the locked part.
    const double locked = MemberNumber(object, "locked");
    if (entry.balance <= 0.1 && locked > entry.balance) entry.balance = locked;
    const double add = entry.won ? entry.balance : entry.avgBuyPrice * entry.balance;
    if (!std::isfinite(add)) continue;
    (entry.won ? out->deposit : out->purchase) += add;
  }
  return true;
}

bool ReadExchangeBalance(const char* reply, size_t len, BalanceReply_s* out) {
  if (!out) return false;
  *out = BalanceReply_s();
  rapidjson::Document doc;
  if (!ParseJson(reply, len, &doc) || !doc.IsArray()) return false;
  // The list carries no prices: each holding takes its coin's current price from the stock map.
  out->pricesFromRecords = true;
  for (const rapidjson::Value& object : doc.GetArray()) {
    AccountEntry entry;
    if (!ReadAccountEntry(object, &entry) || entry.won) continue;
    if (!(entry.balance > 0) || !(entry.avgBuyPrice > 0)) continue;
    const double purchase = entry.balance * entry.avgBuyPrice;
    if (!std::isfinite(purchase)) continue;
    BalanceRow_s row;
    row.code = Utf8ToWide(Bounded(entry.code, kStockCodeLen));
    row.quantity = entry.balance;
    row.avgPrice = entry.avgBuyPrice;
    out->rows.push_back(std::move(row));
    out->purchase += purchase;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// The family

CExchangeAgent::CExchangeAgent(uint8_t marketKind, const wchar_t*, char classLetter,
                               uint8_t brokerId, uint8_t instance, int32_t marketId,
                               double exchangeRate, int32_t reserved40, const Traits& traits)
    : CStockAgentBase(marketKind, classLetter, brokerId, instance, marketId, exchangeRate,
                      reserved40),
      m_traits(traits) {
  StrSafeCopyW(m_brokerName, sizeof m_brokerName / sizeof m_brokerName[0], traits.brokerName);
  // The account entry's name: the broker's name and the entry id in hex ("빗썸.50801").
  wchar_t label[64];
  std::swprintf(label, sizeof label / sizeof label[0], L"%ls.%X", traits.brokerName, EntryId());
  std::free(m_label);
  m_label = StrDup2W(label);
  m_accountRecord.label = label;
  m_accountRecord.agent = this;
  StrSafeCopyA(m_baseUrl, sizeof m_baseUrl, BrokerBaseUrl(brokerId, traits.defaultHost).c_str());
  StrSafeCopyA(m_clientName, sizeof m_clientName, traits.clientName);
}

uint32_t CExchangeAgent::EntryId() const {
  return (static_cast<uint32_t>(m_marketId) << 16) | (static_cast<uint32_t>(m_brokerId) << 8) |
         m_instance;
}

int CExchangeAgent::IsConnected() { return 0; }

char* CExchangeAgent::SendSignedRequest(CURL* curl, const char* baseUrl, const char* path, int mode,
                                        const char* query, const char* body, int signingOption,
                                        const char* accessKey, const char* secretKey,
                                        uint32_t* outSize, int* outTransfer, int timeoutMs,
                                        BrokerRequestState* state) {
  return SendExchangeRequest(m_traits.dialect, curl, baseUrl, path, mode, query, body,
                             signingOption, accessKey, secretKey, outSize, outTransfer, timeoutMs,
                             CaCertPemFilePath().c_str(), state, m_stopFlag);
}

char* CExchangeAgent::GetAccounts(CURL* curl, uint32_t* outSize, BrokerRequestState* state) {
  const RequestCredentials credentials = CredentialsForRequest();
  return SendSignedRequest(curl, m_baseUrl, kExchangeAccountsPath, kExchangeGet, "", "", 0,
                           credentials.key.c_str(), credentials.secret.c_str(), outSize, nullptr,
                           m_timeoutMs, state);
}

int CExchangeAgent::KeyCheck(CURL* curl, const std::string& account, const std::string& key,
                             const std::string& secret, int* outCode, wchar_t* outMsg, int msgLen) {
  int result = kKeyCheckNoReply;
  if (outMsg && msgLen > 0) outMsg[0] = 0;

  BrokerRequestState state;
  uint32_t size = 0;
  char* reply = SendSignedRequest(curl, m_baseUrl, kExchangeAccountsPath, kExchangeGet, "", "", 0,
                                  key.c_str(), secret.c_str(), &size, nullptr, m_timeoutMs, &state);
  int len = static_cast<int>(size);
  std::string why;
  // A transfer that failed or was cut short is no answer.
  if (reply) reply = KeepAnsweredReply(reply, &len, &state, &why);
  if (reply) {
    const ExchangeError error = ReadExchangeError(reply, static_cast<size_t>(len));
    rapidjson::Document doc;
    if (error.present) {
      result = KeyCheckCodeForError(error.name, m_traits.badKeyName);
      CopyMessage(outMsg, msgLen, error.message);
      SetLastMessageUtf8(error.message.c_str());
    } else if (ParseJson(reply, static_cast<size_t>(len), &doc) && doc.IsArray()) {
      result = account.empty() ? kKeyCheckNoAccount : kKeyCheckAccepted;
    } else {
      result = kKeyCheckNotAList;
    }
    std::free(reply);
  } else if (!state.errorText.empty()) {
    CopyMessage(outMsg, msgLen, state.errorText);
  }

  if (result == kKeyCheckAccepted) {
    StoreCredentials(account.c_str(), key.c_str(), secret.c_str());
    StrSafeCopyA(m_confirmedAccount, sizeof m_confirmedAccount, account.c_str());
  } else {
    // Refused keys are not kept: nothing is signed with them until the next log-in.
    ClearCredentials();
  }
  if (outCode) *outCode = result;
  return result;
}

int CExchangeAgent::QueryAccountsA(CURL* curl, const char* key, const char* secret, int* outCode,
                                   wchar_t* outMsg, int msgLen) {
  return KeyCheck(curl, AccountNumber(), key ? key : "", secret ? secret : "", outCode, outMsg,
                  msgLen);
}

int CExchangeAgent::Login(CURL* curl, const wchar_t* account, const wchar_t* key,
                          const wchar_t* secret, int* outCode, wchar_t* outMsg, int msgLen) {
  return LoginWithStoredCredentials(curl, account, key, secret, outCode, outMsg, msgLen);
}

int CExchangeAgent::LoginA(CURL* curl, const char* account, const char* key, const char* secret,
                           int* outCode, wchar_t* outMsg, int msgLen) {
  FreeAccessToken();
  StoreCredentials(account, key, secret);
  if (outMsg && msgLen > 0) outMsg[0] = 0;
  if (outCode) *outCode = 0;
  const RequestCredentials credentials = CredentialsForRequest();
  if (credentials.key.empty() || credentials.secret.empty()) return kAgentFailed;
  return KeyCheck(curl, AccountNumber(), credentials.key, credentials.secret, outCode, outMsg,
                  msgLen) == kKeyCheckAccepted
             ? kAgentOk
             : kAgentFailed;
}

int CExchangeAgent::ParseDepositResponse(const char* reply, size_t len, GroupInfoMap* accounts,
                                         group_info_s** outRecord, int clear) {
  if (outRecord) *outRecord = nullptr;
  if (!reply || len == 0 || !accounts) return kAgentFailed;
  if (clear) GfxGroupInfoMapClear(accounts);
  ExchangeAccountTotals totals;
  if (!ReadExchangeAccountTotals(reply, len, &totals)) return kAgentFailed;

  const std::wstring name = m_label ? m_label : L"";
  auto it = accounts->find(name);
  if (it == accounts->end()) it = accounts->emplace(name, &m_accountRecord).first;
  group_info_s* entry = it->second;
  // Every list states the whole account: the figures are this list's, not added to the last.
  entry->deposit = totals.deposit;
  entry->total_buy = totals.purchase;
  if (outRecord) *outRecord = entry;
  return kAgentOk;
}

int CExchangeAgent::QueryDeposit(CURL* curl, GroupInfoMap* accounts, group_info_s** outRecord,
                                 int clear) {
  if (outRecord) *outRecord = nullptr;
  if (clear && accounts) RunMerge([&] { GfxGroupInfoMapClear(accounts); });
  BrokerRequestState state;
  uint32_t size = 0;
  char* reply = GetAccounts(curl, &size, &state);
  int len = static_cast<int>(size);
  if (reply) reply = KeepAnsweredReply(reply, &len, &state, nullptr);
  if (!reply) return kAgentFailed;
  int result = kAgentFailed;
  RunMerge([&] {
    result = ParseDepositResponse(reply, static_cast<size_t>(len), accounts, outRecord, 0);
  });
  std::free(reply);
  return result;
}

bool CExchangeAgent::ReadBalanceReply(uint8_t, const char* reply, size_t len, BalanceReply_s* out) {
  return ReadExchangeBalance(reply, len, out);
}

int CExchangeAgent::QueryBalance(CURL* curl, uint8_t market, uint8_t priceSlot, int filter,
                                 const BalanceQueryArgs_s& args) {
  if (args.outCodes) args.outCodes->clear();
  m_balanceCount = 0;
  BrokerRequestState state;
  state.transfer = static_cast<unsigned>(-1);
  uint32_t size = 0;
  char* reply = GetAccounts(curl, &size, &state);
  int len = static_cast<int>(size);
  if (reply) reply = KeepAnsweredReply(reply, &len, &state, nullptr);
  int result = 0;
  if (reply) {
    result = ParseBalanceResponse(market, priceSlot, filter, reply, static_cast<size_t>(len), args);
    std::free(reply);
  }
  m_balanceResult = result;
  if (args.outResult) *args.outResult = result;
  if (args.outTransfer) *args.outTransfer = static_cast<int32_t>(state.transfer);
  return result;
}

int CExchangeAgent::TradeOrderA(CURL* curl, uint8_t market, uint8_t exchange, int side, int reverse,
                                const char* code, double qty, double price, int, int, int, int, int,
                                double v1, double, double, int, int, int, char* outOrderNoText,
                                int64_t* outOrderNo, int* outResult, int* outSuccess,
                                int* outCodeFlag, wchar_t* outMsg, wchar_t* outResultText) {
  constexpr int kMessageLen = 256;
  constexpr size_t kResultTextLen = 20;
  if (outOrderNoText) outOrderNoText[0] = 0;
  if (outOrderNo) *outOrderNo = 0;
  if (outCodeFlag) *outCodeFlag = 0;
  if (outResultText) outResultText[0] = 0;
  char errorName[100] = {};
  std::string orderId;
  int success = 0;
  wchar_t message[kMessageLen] = {};
  const int result = TradeCoinOrderA(curl, market, exchange, side, reverse, code, qty, price, v1,
                                     nullptr, nullptr, nullptr, 0, &success, message, kMessageLen,
                                     errorName, sizeof errorName, &orderId);
  if (outOrderNoText) StrSafeCopyA(outOrderNoText, kMaxOrderIdText + 1, orderId.c_str());
  if (outResult) *outResult = result;
  if (outSuccess) *outSuccess = success;
  if (outMsg) StrSafeCopyW(outMsg, kMessageLen, message);
  // A refusal names its code: the order was answered and not taken.
  if (outResultText && result >= kCoinOrderErrorOther && result <= kCoinOrderRemaining)
    std::swprintf(outResultText, kResultTextLen, L"%d", result);
  return result;
}

int CExchangeAgent::TradeCoinOrderA(CURL* curl, uint8_t, uint8_t, int side, int, const char* code,
                                    double volume, double price, double amount, void** outA,
                                    void** outB, const char*, int64_t identifier, int* outSuccess,
                                    wchar_t* outMsg, int msgLen, char* outErrorName, int nameSize,
                                    std::string* outOrderId) {
  if (outSuccess) *outSuccess = 0;
  if (outA) *outA = nullptr;
  if (outB) *outB = nullptr;
  if (outMsg && msgLen > 0) outMsg[0] = 0;
  if (outErrorName && nameSize > 0) outErrorName[0] = 0;
  if (outOrderId) outOrderId->clear();
  if (SimulationRunning()) return kAgentSimulationOn;
  if (!IsExchangeMarketCode(code)) {
    CopyMessage(outMsg, msgLen, "bad market code");
    return kAgentOrderNotAvailable;
  }
  const RequestCredentials credentials = CredentialsForRequest();
  if (credentials.key.empty() || credentials.secret.empty()) {
    CopyMessage(outMsg, msgLen, "no exchange keys");
    return kAgentOrderNotAvailable;
  }

  const ExchangeOrderRequest request =
      OrderRequest(code, side, volume, price, amount, OrderIdentifier(identifier));
  BrokerRequestState state;
  state.order = true;
  // Stays so when the request could not even be made (no base URL): nothing went out.
  state.transfer = kTransferNoHandle;
  uint32_t size = 0;
  char* reply = SendSignedRequest(
      OrderUsesCallersHandle() ? curl : nullptr, m_baseUrl, kExchangeOrdersPath, request.mode,
      request.query.c_str(), request.body.c_str(), request.signingOption, credentials.key.c_str(),
      credentials.secret.c_str(), &size, nullptr, m_timeoutMs, &state);
  if (state.transfer == kTransferNoHandle) {
    // Nothing went out.
    std::free(reply);
    CopyMessage(outMsg, msgLen, state.errorText.empty() ? "no request made" : state.errorText);
    return kAgentOrderNotAvailable;
  }
  if (!reply || state.transfer != CURLE_OK) {
    // No whole answer: the exchange may have taken the order.
    std::free(reply);
    CopyMessage(outMsg, msgLen, state.errorText.empty() ? "no reply" : state.errorText);
    return kCoinOrderUnreadable;
  }

  int result = ParseCoinOrderError(reply, outMsg, msgLen, outErrorName, nameSize);
  const long status = state.httpStatus;
  const bool statusOk = status >= 200 && status <= 299;
  if ((result == kCoinOrderOk && !statusOk) || (result > 0 && status >= 500)) {
    // An order answered as taken with an error status, or refused by a failing server, says
    // nothing sure about the order.
    CopyMessage(outMsg, msgLen, "HTTP " + std::to_string(status));
    result = kCoinOrderUnreadable;
  } else if (result == kCoinOrderUnreadable) {
    CopyMessage(outMsg, msgLen, statusOk ? "unreadable reply" : "HTTP " + std::to_string(status));
  }
  if (result == kCoinOrderOk && outOrderId) {
    rapidjson::Document doc;
    if (ParseJson(reply, size, &doc) && doc.IsObject())
      *outOrderId = Bounded(MemberText(doc, "uuid"), kMaxOrderIdText);
  }
  std::free(reply);
  if (outSuccess) *outSuccess = result == kCoinOrderOk ? 1 : 0;
  return result;
}

int CExchangeAgent::TradeCoinOrder(CURL* curl, uint8_t market, uint8_t exchange, int side,
                                   int reverse, const wchar_t* code, double volume, double price,
                                   double amount, void** outA, void** outB,
                                   const wchar_t* orderText, int64_t identifier, int* outSuccess,
                                   wchar_t* outMsg, int msgLen, char* outErrorName, int nameSize,
                                   std::string* outOrderId) {
  const std::string narrowCode = code ? WideToUtf8(code) : std::string();
  const std::string narrowText = orderText ? WideToUtf8(orderText) : std::string();
  return TradeCoinOrderA(curl, market, exchange, side, reverse, code ? narrowCode.c_str() : nullptr,
                         volume, price, amount, outA, outB,
                         orderText ? narrowText.c_str() : nullptr, identifier, outSuccess, outMsg,
                         msgLen, outErrorName, nameSize, outOrderId);
}

int CExchangeAgent::ParseUSAPriceResponse(const char* reply, size_t, StockMap*, uint8_t, FILE*) {
  if (reply) StrSafeCopyA(m_baseUrl, sizeof m_baseUrl, reply);
  return 0;
}

int CExchangeAgent::SetServerUrl(const wchar_t* url) {
  if (url) StrSafeCopyFromWCHAR_A(m_baseUrl, sizeof m_baseUrl, url);
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Bithumb

namespace {

const char* SideName(int side) { return side == 1 ? "bid" : "ask"; }
// A buy spends an amount ("price"); a sell sells a volume at the market ("market").
const char* OrderTypeName(int side) { return side == 1 ? "price" : "market"; }

const CExchangeAgent::Traits kBithumbTraits{
    L"빗썸", "orvella.auto.bithumb.pc", kBithumbDefaultHost, "invalid_access_key",
    ExchangeDialect{nullptr, "Content-Type: application/x-www-form-urlencoded", true, false},
    false, true};

const CExchangeAgent::Traits kUpBitTraits{
    L"업비트", "orvella.auto.upbit.pc", kUpBitDefaultHost, "no_access_key",
    ExchangeDialect{"Mozilla/4.0 (compatible UPBIT API C Client)", nullptr, false, true}, true,
    false};

}  // namespace

CBithumbAgent::CBithumbAgent(uint8_t marketKind, const wchar_t* name, char classLetter,
                             uint8_t brokerId, uint8_t instance, int32_t marketId,
                             double exchangeRate, int32_t reserved40)
    : CExchangeAgent(marketKind, name, classLetter, brokerId, instance, marketId, exchangeRate,
                     reserved40, kBithumbTraits) {}

ExchangeOrderRequest CBithumbAgent::OrderRequest(const char* code, int side, double volume,
                                                 double price, double amount, int64_t) const {
  // The exchange takes five decimals of volume: cut, never round up, so a sale of the whole
  // holding never asks for more than is held.
  volume = std::floor(volume * 1e5 + 1e-6) / 1e5;
  ExchangeOrderRequest request;
  request.mode = kExchangeJsonPost;
  request.signingOption = 1;
  const char* type = OrderTypeName(side);
  const char* sideName = SideName(side);
  if (price > 0) {
    request.body = Printf(
        "{\"market\":\"%s\", \"ord_type\":\"%s\", \"price\":%.8f, \"side\":\"%s\", "
        "\"volume\":%.5f}",
        code, type, price, sideName, volume);
    request.query = Printf("market=%s&ord_type=%s&price=%.8f&side=%s&volume=%.5f", code, type,
                           price, sideName, volume);
  } else if (side != 1) {
    request.body =
        Printf("{\"market\":\"%s\", \"ord_type\":\"%s\", \"side\":\"%s\", \"volume\":%.5f}", code,
               type, sideName, volume);
    request.query =
        Printf("market=%s&ord_type=%s&side=%s&volume=%.5f", code, type, sideName, volume);
  } else {
    // A market buy spends the amount: the body carries it as "price", as the signed query does.
    request.body =
        Printf("{\"market\":\"%s\", \"ord_type\":\"%s\", \"price\":%.5f, \"side\":\"%s\"}", code,
               type, amount, sideName);
    request.query =
        Printf("market=%s&ord_type=%s&price=%.5f&side=%s", code, type, amount, sideName);
  }
  return request;
}

// ---------------------------------------------------------------------------------------------
// Upbit

CUpBitAgent::CUpBitAgent(uint8_t marketKind, const wchar_t* name, char classLetter,
                         uint8_t brokerId, uint8_t instance, int32_t marketId, double exchangeRate,
                         int32_t reserved40)
    : CExchangeAgent(marketKind, name, classLetter, brokerId, instance, marketId, exchangeRate,
                     reserved40, kUpBitTraits) {}

char* CUpBitAgent::HttpGetVerified(CURL* curl, const char* url, int timeoutMs, uint64_t* outSize,
                                   int32_t* outTransfer) {
  return ::HttpGetVerified(curl, url, timeoutMs, CaCertPemFilePath().c_str(), outSize, outTransfer);
}

int64_t CUpBitAgent::NextOrderIdentifier() { return OrderIdentifier(0); }

int64_t CUpBitAgent::OrderIdentifier(int64_t given) {
  const int64_t now = static_cast<int64_t>(ExchangeNonceNow());
  int64_t last = m_lastIdentifier.load();
  int64_t next = 0;
  do {
    next = given > last ? given : std::max(last + 1, now);
  } while (!m_lastIdentifier.compare_exchange_weak(last, next));
  return next;
}

ExchangeOrderRequest CUpBitAgent::OrderRequest(const char* code, int side, double volume,
                                               double price, double amount,
                                               int64_t identifier) const {
  // The members in the order of the signed query, as texts: the exchange hashes the query it
  // rebuilds from the body, which must give back exactly the signed text.
  std::vector<std::pair<std::string, std::string>> members;
  auto number = [](double value) { return Printf("%.8f", value); };
  members.emplace_back("market", code);
  members.emplace_back("side", SideName(side));
  if (price > 0) {
    members.emplace_back("price", number(price));
    members.emplace_back("volume", number(volume));
  } else if (side != 1) {
    members.emplace_back("volume", number(volume));
  } else {
    members.emplace_back("price", number(amount));
  }
  members.emplace_back("ord_type", OrderTypeName(side));
  members.emplace_back("identifier", std::to_string(identifier));

  ExchangeOrderRequest request;
  request.mode = kExchangeJsonPost;
  request.signingOption = 0;
  request.body = "{";
  for (size_t i = 0; i < members.size(); ++i) {
    if (i) {
      request.query += '&';
      request.body += ',';
    }
    request.query += members[i].first + "=" + members[i].second;
    request.body += "\"" + members[i].first + "\":\"" + members[i].second + "\"";
  }
  request.body += "}";
  return request;
}
