#include "plugin/brokers/DbSecuAgent.h"

#include <rapidjson/document.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "platform/stocklib/StockCalc.h"
#include "platform/support/CheckedNumber.h"
#include "platform/support/JsonGetters.h"
#include "platform/support/TextConv.h"
#include "platform/support/TextScan.h"
#include "plugin/brokers/BrokerHosts.h"
#include "plugin/brokers/BrokerTransport.h"

namespace {

constexpr const char* kTokenPath = "/oauth2/token";
constexpr const char* kRevokePath = "/oauth2/revoke";
constexpr const char* kDepositPath = "/api/v1/trading/kr-stock/inquiry/acnt-deposit";
constexpr const char* kDomesticBalancePath = "/api/v1/trading/kr-stock/inquiry/balance";
constexpr const char* kOverseasBalancePath =
    "/api/v1/trading/overseas-stock/inquiry/balance-margin";

// Parses a reply; false when it is missing or is not JSON.
bool ParseJson(const char* reply, size_t len, rapidjson::Document* doc) {
  if (!reply || len == 0) return false;
  doc->Parse(reply, len);
  return !doc->HasParseError();
}

void CopyMessage(wchar_t* out, int outLen, const char* utf8) {
  if (out && outLen > 0) StrSafeCopyFromUTF8_W(out, static_cast<size_t>(outLen), utf8);
}

BalanceRow_s ReadDomesticRow(const rapidjson::Value& row) {
  BalanceRow_s r;
  const char* code = JsonGetStringPtr(row, "IsuNo");
  if (code) r.code = Utf8ToWide(code[0] == 'A' ? code + 1 : code);
  if (const char* name = JsonGetStringPtr(row, "IsuNm")) r.name = Utf8ToWide(name);
  r.quantity = row.HasMember("AbleQty") ? JsonGetDouble(row, "AbleQty", 0)
                                        : JsonGetDouble(row, "BalQty0", 0);
  r.avgPrice = JsonGetDouble(row, "ExecPrc", 0);
  r.curPrice = JsonGetDouble(row, "NowPrc", 0);
  r.commission = JsonGetDouble(row, "BnsCmsn", 0);
  r.tax = JsonGetDouble(row, "EvrTax", 0);
  r.loanDate = JsonGetInt(row, "LoanDt", 0);
  return r;
}

BalanceRow_s ReadOverseasRow(const rapidjson::Value& row) {
  BalanceRow_s r;
  if (const char* code = JsonGetStringPtr(row, "SymCode")) r.code = Utf8ToWide(code);
  if (const char* name = JsonGetStringPtr(row, "AstkHanglIsuNm")) r.name = Utf8ToWide(name);
  r.quantity = JsonGetDouble(row, "AstkExecBaseQty", 0);
  r.avgPrice = JsonGetDouble(row, "AstkAvrPchsPrc", 0);
  r.curPrice = JsonGetDouble(row, "AstkNowPrc", 0);
  r.commission = JsonGetDouble(row, "CmsnAmt", 0);
  r.tax = JsonGetDouble(row, "TaxAmt", 0);
  return r;
}

}  // namespace

CDbSecuAgent::CDbSecuAgent(uint8_t marketKind, const wchar_t* name, char classLetter,
                           uint8_t brokerId, uint8_t instance, int32_t marketId,
                           double exchangeRate, int32_t reserved40)
    : CStockAgentBase(marketKind, classLetter, brokerId, instance, marketId, exchangeRate,
                      reserved40) {
  StrSafeCopyW(m_brokerName, sizeof m_brokerName / sizeof m_brokerName[0], L"DB증권");
  MakeLabel(L"DB", name);
  StrSafeCopyA(m_baseUrl, sizeof m_baseUrl,
               BrokerBaseUrl(kDbBrokerId, kDbBrokerDefaultHost).c_str());
  StrSafeCopyA(m_clientName, sizeof m_clientName, "orvella.auto.dbstock.pc");
  const std::string ws =
      "wss://" + ReadBrokerWsHost(kDbBrokerId, kDbBrokerDefaultWsHost) + "/websocket";
  StrSafeCopyA(m_wsUrl, sizeof m_wsUrl, ws.c_str());
  m_pollInterval = 1000;
  m_chartPause = 500;
  m_tuning3 = 50;
  m_reservedByte = 40;
}

CDbSecuAgent::~CDbSecuAgent() = default;

char* CDbSecuAgent::Send(CURL* curl, int post, const char* path, const char* body, int json,
                         const char* extraHeader, bool bearer, int* outLen,
                         const char* furtherHeaders, BrokerRequestState* state) {
  BrokerRequestState own;
  if (!state) state = &own;
  state->contKeyHeader = m_contKeyHeader;
  state->connectTimeoutMs = m_connectTimeoutMs;
  const RequestCredentials credentials = CredentialsForRequest();
  int len = 0;
  char* reply =
      SendBrokerRequest(curl, m_baseUrl, path, post, nullptr, body, extraHeader, furtherHeaders, 0,
                        credentials.key.c_str(), credentials.secret.c_str(),
                        bearer ? credentials.token.c_str() : nullptr, json, &len,
                        m_caCertPath.c_str(), state, m_stopFlag, m_timeoutMs, 0);
  m_lastTransfer = state->transfer;
  std::string why;
  reply = KeepAnsweredReply(reply, &len, state, &why);
  // The message the login's error box shows names the cause (a certificate problem, say).
  if (!reply) SetLastMessage(Utf8ToWide(why).c_str());
  if (outLen) *outLen = len;
  return reply;
}

int CDbSecuAgent::NoteRefusal(const char* reply) {
  std::string message;
  const std::string code = ReadRefusal(reply, &message);
  if (!message.empty()) SetLastMessage(Utf8ToWide(message).c_str());
  return m_resultCode(code.c_str());
}

int CDbSecuAgent::Login(CURL* curl, const wchar_t* account, const wchar_t* key,
                        const wchar_t* secret, int* outCode, wchar_t* outMsg, int msgLen) {
  return LoginWithStoredCredentials(curl, account, key, secret, outCode, outMsg, msgLen);
}

int CDbSecuAgent::LoginA(CURL* curl, const char* account, const char* key, const char* secret,
                         int* outCode, wchar_t* outMsg, int msgLen) {
  return TokenLogin(curl, account, key, secret, outCode, outMsg, msgLen, kTokenPath,
                    [](const RequestCredentials& credentials) {
                      return "grant_type=client_credentials&appkey=" +
                             UrlEncodeFormValue(credentials.key.c_str()) + "&appsecretkey=" +
                             UrlEncodeFormValue(credentials.secret.c_str()) + "&scope=oob";
                    });
}

int CDbSecuAgent::TokenLogin(CURL* curl, const char* account, const char* key, const char* secret,
                             int* outCode, wchar_t* outMsg, int msgLen, const char* path,
                             const FormBody& makeBody) {
  if (!BeginTokenLogin(account, key, secret, outCode, outMsg, msgLen)) return kAgentFailed;

  const std::string body = makeBody(CredentialsForRequest());
  BrokerRequestState request;
  int len = 0;
  char* reply = Post(curl, path, body.c_str(), 0, nullptr, false, &len, nullptr, &request);
  if (!reply) {
    DropToken();
    // The cause travels with this request: another worker may have set the last message since.
    if (request.transfer != CURLE_OK) CopyMessage(outMsg, msgLen, request.errorText.c_str());
    return kAgentFailed;
  }

  rapidjson::Document doc;
  int result = kAgentFailed;
  if (ParseJson(reply, static_cast<size_t>(len), &doc) && doc.IsObject()) {
    const char* token = JsonGetStringPtr(doc, "access_token");
    if (!token || !*token) {
      if (const char* description = JsonGetStringPtr(doc, "error_description")) {
        CopyMessage(outMsg, msgLen, description);
        SetLastMessage(Utf8ToWide(description).c_str());
      }
      if (const char* code = JsonGetStringPtr(doc, "error_code")) {
        if (outCode) *outCode = m_resultCode(code);
      }
    } else {
      int64_t lifetime = JsonGetInt64(doc, "expires_in", 0);
      if (lifetime < 1) lifetime = kDbDefaultTokenLifetime;
      if (lifetime > kDbMaxTokenLifetime) lifetime = kDbMaxTokenLifetime;
      SetAccessToken(token, static_cast<int32_t>(lifetime), NowTick64());
      result = kAgentOk;
    }
  }
  if (result != kAgentOk) DropToken();
  std::free(reply);
  return result;
}

int CDbSecuAgent::Logout() {
  const int result =
      RevokeToken(kRevokePath,
                  [](const RequestCredentials& credentials) {
                    return "token=" + UrlEncodeFormValue(credentials.token.c_str()) +
                           "&token_type_hint=access_token&appkey=" +
                           UrlEncodeFormValue(credentials.key.c_str()) + "&appsecretkey=" +
                           UrlEncodeFormValue(credentials.secret.c_str());
                  },
                  "\"code\"");
  m_tokenExpiry = 0;
  m_balancePasses = 0;
  return result;
}

int CDbSecuAgent::RevokeToken(const char* path, const FormBody& makeBody, const char* codeName) {
  int result = kDbRevokeNotSent;
  const RequestCredentials credentials = CredentialsForRequest();
  if (credentials.token.empty() || credentials.key.empty() || credentials.secret.empty())
    return result;
  CURL* handle = curl_easy_init();
  if (!handle) return result;
  char* reply = Post(handle, path, makeBody(credentials).c_str(), 0, nullptr, true, nullptr);
  curl_easy_cleanup(handle);
  if (reply) {
    result = RevokeReplyCode(reply, kDbRevokeNoCode, codeName);
    std::free(reply);
  }
  return result;
}

int CDbSecuAgent::QueryDeposit(CURL* curl, GroupInfoMap* accounts, group_info_s** outRecord,
                               int clear) {
  int len = 0;
  char* reply = Post(curl, kDepositPath, "{ \"In\": {} }", 1, "cont_yn: N", true, &len);
  int result = kAgentFailed;
  RunMerge([&] {
    if (clear && accounts) GfxGroupInfoMapClear(accounts);
    result =
        ParseDepositResponse(reply, static_cast<size_t>(reply ? len : 0), accounts, outRecord, 0);
  });
  std::free(reply);
  return result;
}

int CDbSecuAgent::ParseDepositResponse(const char* reply, size_t len, GroupInfoMap* accounts,
                                       group_info_s** outRecord, int clear) {
  if (!accounts || !reply || len == 0) {
    if (outRecord) *outRecord = nullptr;
    return kAgentFailed;
  }
  rapidjson::Document doc;
  if (!ParseJson(reply, len, &doc) || !doc.IsObject()) return kAgentFailed;
  const rapidjson::Value* out = JsonGetObject(doc, "Out1");
  if (!out) {
    // A refusal carries no figures: keep the record as it was.
    NoteRefusal(reply);
    return kAgentFailed;
  }
  if (clear) GfxGroupInfoMapClear(accounts);

  const std::wstring label = m_label ? m_label : L"";
  auto it = accounts->find(label);
  if (it == accounts->end()) it = accounts->emplace(label, &m_accountRecord).first;
  group_info_s* record = it->second;
  record->deposit = JsonGetDouble(*out, "DpsBalAmt", 0);
  record->withdrawable = JsonGetDouble(*out, "WthdwAbleAmt", 0);
  record->margin = JsonGetDouble(*out, "MgnMny", 0);
  record->next_day_deposit = JsonGetDouble(*out, "PrsmptDpsD1", 0);
  if (outRecord) *outRecord = record;
  return kAgentOk;
}

int CDbSecuAgent::QueryBalance(CURL* curl, uint8_t market, uint8_t priceSlot, int filter,
                               const BalanceQueryArgs_s& args) {
  char body[256];
  if (market == kMarketDomestic) {
    std::snprintf(body, sizeof body, "{ \"In\": { \"QryTpCode\": \"%d\"} }", 0);
  } else {
    std::snprintf(body, sizeof body,
                  "{ \"In\": { \"TrxTpCode\":\"%d\", \"CmsnTpCode\": \"%d\",\"WonFcurrTpCode\": "
                  "\"%d\",\"DpntBalTpCode\": \"%d\"} }",
                  2, 2, 2, 0);
  }
  BrokerRequestState request;
  int len = 0;
  char* reply = Post(curl, market == kMarketDomestic ? kDomesticBalancePath : kOverseasBalancePath,
                     body, 1, nullptr, true, &len, nullptr, &request);
  if (args.outCodes) args.outCodes->clear();
  m_balanceCount = 0;

  int result = 0;
  if (reply) {
    result = ParseBalanceResponse(market, priceSlot, filter, reply, static_cast<size_t>(len), args);
    std::free(reply);
  }
  if (args.outResult) *args.outResult = result;
  m_balanceResult = result;
  if (args.outTransfer) *args.outTransfer = static_cast<int32_t>(request.transfer);
  return result;
}

bool CDbSecuAgent::ReadBalanceReply(uint8_t market, const char* reply, size_t len,
                                    BalanceReply_s* read) {
  if (!reply || !read) return false;
  rapidjson::Document doc;
  const rapidjson::Value* out = nullptr;
  if (ParseJson(reply, len, &doc) && doc.IsObject()) out = JsonGetObject(doc, "Out");
  if (!out) {
    NoteRefusal(reply);
    return false;
  }

  const bool domestic = market == kMarketDomestic;
  auto figure = [&](double group_info_s::*field, const char* name) {
    read->accountFigures.emplace_back(field, JsonGetDouble(*out, name, 0));
  };
  if (domestic) {
    read->purchase = JsonGetDouble(*out, "TotBuyAmt", 0);
    read->evaluation = JsonGetDouble(*out, "TotEvalAmt", 0);
    read->accountFigures.emplace_back(&group_info_s::eval_total, read->evaluation);
    figure(&group_info_s::today_buy, "ThdayBuyAmt");
    figure(&group_info_s::credit_amount, "CrdtBnsAmt");
    figure(&group_info_s::deposit_asset, "DpsastAmt");
    figure(&group_info_s::cash, "Dps2");
    figure(&group_info_s::today_sell, "ThdaySellAmt");
    figure(&group_info_s::realized_profit, "ThdayRlzPnlAmt");
  } else {
    read->purchase = JsonGetDouble(*out, "PchsAmt", 0);
    figure(&group_info_s::cash, "Dps");
    figure(&group_info_s::deposit_asset, "AssetAmtTotamt");
    figure(&group_info_s::page_commission, "Cmsn");
    figure(&group_info_s::page_tax, "TaxAmt");
  }

  double valuation = 0;
  if (const rapidjson::Value* rows = JsonGetArray(doc, domestic ? "Out1" : "Out2")) {
    for (const rapidjson::Value& row : rows->GetArray()) {
      if (!row.IsObject()) continue;
      BalanceRow_s r = domestic ? ReadDomesticRow(row) : ReadOverseasRow(row);
      if (r.code.empty() || r.quantity <= 0) continue;
      valuation += r.curPrice * r.quantity;
      read->rows.push_back(std::move(r));
    }
  }
  // An overseas reply carries no evaluation total: its holdings' valuations make it.
  if (!domestic) read->evaluation = valuation;
  m_summary.purchase = read->purchase;
  m_summary.evaluation = read->evaluation;
  m_summary.profitRate =
      read->purchase > 0 ? (read->evaluation - read->purchase) * 100.0 / read->purchase : 0;
  return true;
}
