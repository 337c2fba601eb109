#include "plugin/brokers/LsSecuAgent.h"

#include <rapidjson/document.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <limits>
#include <string>

#include "platform/support/CheckedNumber.h"
#include "platform/support/JsonGetters.h"
#include "platform/support/TextConv.h"
#include "platform/support/TextScan.h"
#include "plugin/brokers/BrokerHosts.h"
#include "plugin/brokers/BrokerTransport.h"

namespace {

constexpr const char* kTokenPath = "/oauth2/token";
constexpr const char* kRevokePath = "/oauth2/revoke";
constexpr const char* kDomesticAccountPath = "/stock/accno";
constexpr const char* kOverseasAccountPath = "/overseas-stock/accno";
constexpr const char* kBalanceTr = "tr_cd: t0424";
constexpr const char* kOverseasBalanceTr = "tr_cd: COSOQ00201";
// The balance inquiry, the same on every page and for both markets.
constexpr const char* kBalanceBody =
    "{  \"t0424InBlock\": {    \"prcgb\": \"\", \"chegb\": \"\", \"dangb\": \"\", \"charge\": "
    "\"\", \"cts_expcode\": \"\"  }}";

bool ParseJson(const char* reply, size_t len, rapidjson::Document* doc) {
  if (!reply || len == 0) return false;
  doc->Parse(reply, len);
  return !doc->HasParseError();
}

void CopyMessage(wchar_t* out, int outLen, const char* utf8) {
  if (out && outLen > 0) StrSafeCopyFromUTF8_W(out, static_cast<size_t>(outLen), utf8);
}

// The token lifetime a reply names: "expires_in" as a number or as text read as a number; a
// day when absent or of another type. Values no 32-bit lifetime holds are cut to its range.
int32_t TokenLifetime(const rapidjson::Value& doc) {
  const rapidjson::Value* value = nullptr;
  if (doc.IsObject()) {
    auto it = doc.FindMember("expires_in");
    if (it != doc.MemberEnd()) value = &it->value;
  }
  int64_t lifetime = kLsDefaultTokenLifetime;
  if (value && value->IsInt64()) {
    lifetime = value->GetInt64();
  } else if (value && value->IsString()) {
    lifetime = std::strtoll(value->GetString(), nullptr, 10);
  }
  constexpr int64_t low = std::numeric_limits<int32_t>::min();
  constexpr int64_t high = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(lifetime < low ? low : lifetime > high ? high : lifetime);
}

BalanceRow_s ReadDomesticRow(const rapidjson::Value& row, double* purchase) {
  BalanceRow_s r;
  if (const char* code = JsonGetStringPtr(row, "expcode"))
    r.code = Utf8ToWide(code[0] == 'A' ? code + 1 : code);
  if (const char* name = JsonGetStringPtr(row, "hname")) r.name = Utf8ToWide(name);
  r.quantity = JsonGetDouble(row, "janqty", 0);
  r.avgPrice = JsonGetDouble(row, "pamt", 0);
  r.curPrice = JsonGetDouble(row, "price", 0);
  r.tax = JsonGetDouble(row, "tax", 0);
  r.commission = JsonGetDouble(row, "fee", 0);
  r.loanDate = JsonGetInt(row, "loandt", 0);
  *purchase = JsonGetDouble(row, "mamt", 0);
  return r;
}

BalanceRow_s ReadOverseasRow(const rapidjson::Value& row, double* purchase) {
  BalanceRow_s r;
  if (const char* code = JsonGetStringPtr(row, "SymCode")) r.code = Utf8ToWide(code);
  if (const char* name = JsonGetStringPtr(row, "AstkHanglIsuNm")) r.name = Utf8ToWide(name);
  r.quantity = JsonGetDouble(row, "AstkExecBaseQty", 0);
  r.avgPrice = JsonGetDouble(row, "AstkAvrPchsPrc", 0);
  r.curPrice = JsonGetDouble(row, "AstkNowPrc", 0);
  r.loanDate = JsonGetInt(row, "LoanDt", 0);
  *purchase = JsonGetDouble(row, "AstkBuyAmt", 0);
  return r;
}

}  // namespace

CLsSecuAgent::CLsSecuAgent(uint8_t marketKind, const wchar_t* name, char classLetter,
                           uint8_t brokerId, uint8_t instance, int32_t marketId,
                           double exchangeRate, int32_t reserved40)
    : CStockAgentBase(marketKind, classLetter, brokerId, instance, marketId, exchangeRate,
                      reserved40) {
  StrSafeCopyW(m_brokerName, sizeof m_brokerName / sizeof m_brokerName[0], L"LS증권");
  MakeLabel(L"LS", name);
  StrSafeCopyA(m_baseUrl, sizeof m_baseUrl,
               BrokerBaseUrl(kLsBrokerId, kLsBrokerDefaultHost).c_str());
  StrSafeCopyA(m_clientName, sizeof m_clientName, "orvella.auto.lssec.pc");
  m_pollInterval = 1000;
  m_chartPause = 500;
  m_tuning3 = 50;
  m_reservedByte = 40;
}

CLsSecuAgent::~CLsSecuAgent() = default;

char* CLsSecuAgent::Send(CURL* curl, const char* path, int post, const char* body, int json,
                         const char* extraHeader, const char* furtherHeader, const char* trHeader,
                         bool bearer, int* outLen, BrokerRequestState* state) {
  BrokerRequestState own;
  if (!state) state = &own;
  state->contKeyHeader = "tr_cont_key";
  state->connectTimeoutMs = kLsConnectTimeoutMs;
  // The transaction header goes after the further header.
  std::string further = furtherHeader ? furtherHeader : "";
  if (trHeader && *trHeader) further += (further.empty() ? "" : "\n") + std::string(trHeader);
  const RequestCredentials credentials = CredentialsForRequest();
  int len = 0;
  char* reply =
      SendBrokerRequest(curl, m_baseUrl, path, post, nullptr, body, extraHeader,
                        further.empty() ? nullptr : further.c_str(), 0, credentials.key.c_str(),
                        credentials.secret.c_str(), bearer ? credentials.token.c_str() : nullptr,
                        json, &len, m_caCertPath.c_str(), state, m_stopFlag, m_timeoutMs, 0);
  std::string why;
  reply = KeepAnsweredReply(reply, &len, state, &why);
  if (!reply) SetLastMessage(Utf8ToWide(why).c_str());
  if (outLen) *outLen = len;
  return reply;
}

int CLsSecuAgent::NoteRefusal(const char* reply) {
  std::string message;
  const std::string code = ReadRefusal(reply, &message);
  if (!message.empty()) SetLastMessage(Utf8ToWide(message).c_str());
  return ParseResultCode(code.c_str());
}


int CLsSecuAgent::Login(CURL* curl, const wchar_t* account, const wchar_t* key,
                        const wchar_t* secret, int* outCode, wchar_t* outMsg, int msgLen) {
  return LoginWithStoredCredentials(curl, account, key, secret, outCode, outMsg, msgLen);
}

int CLsSecuAgent::LoginA(CURL* curl, const char* account, const char* key, const char* secret,
                         int* outCode, wchar_t* outMsg, int msgLen) {
  if (!BeginTokenLogin(account, key, secret, outCode, outMsg, msgLen)) return kAgentFailed;

  const RequestCredentials credentials = CredentialsForRequest();
  const std::string body =
      "grant_type=client_credentials&appkey=" + UrlEncodeFormValue(credentials.key.c_str()) +
      "&appsecretkey=" + UrlEncodeFormValue(credentials.secret.c_str()) + "&scope=oob";
  BrokerRequestState request;
  int len = 0;
  char* reply =
      Send(curl, kTokenPath, 1, body.c_str(), 0, nullptr, nullptr, nullptr, false, &len, &request);
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
      const char* description = JsonGetStringPtr(doc, "error_description");
      if (!description) description = JsonGetStringPtr(doc, "rsp_msg");
      if (description) {
        CopyMessage(outMsg, msgLen, description);
        SetLastMessage(Utf8ToWide(description).c_str());
      }
      const char* code = JsonGetStringPtr(doc, "error_code");
      if (!code) code = JsonGetStringPtr(doc, "rsp_cd");
      if (code && outCode) *outCode = ParseResultCode(code);
    } else {
      SetAccessToken(token, TokenLifetime(doc), NowTick64());
      result = kAgentOk;
    }
  }
  if (result != kAgentOk) DropToken();
  std::free(reply);
  return result;
}

int CLsSecuAgent::Logout() {
  int result = kLsRevokeNotSent;
  const RequestCredentials credentials = CredentialsForRequest();
  if (!credentials.token.empty() && !credentials.key.empty() && !credentials.secret.empty()) {
    CURL* handle = curl_easy_init();
    if (handle) {
      const std::string body = "token=" + UrlEncodeFormValue(credentials.token.c_str()) +
                               "&appkey=" + UrlEncodeFormValue(credentials.key.c_str()) +
                               "&appsecretkey=" + UrlEncodeFormValue(credentials.secret.c_str());
      char* reply = Send(handle, kRevokePath, 1, body.c_str(), 0, nullptr, nullptr, nullptr, true,
                         nullptr, nullptr);
      curl_easy_cleanup(handle);
      if (reply) {
        result = RevokeReplyCode(reply, kLsRevokeNoCode, "\"return_code\"");
        std::free(reply);
      }
    }
  }
  m_tokenExpiry = 0;
  return result;
}

int CLsSecuAgent::QueryDeposit(CURL* curl, GroupInfoMap* accounts, group_info_s** outRecord,
                               int clear) {
  int len = 0;
  char* reply = Send(curl, kDomesticAccountPath, 1, "{ \"In\": {} }", 1, "tr_cont: N",
                     "tr_cont_key: ", kBalanceTr, true, &len, nullptr);
  int result = kAgentFailed;
  RunMerge([&] {
    result = ParseDepositResponse(reply, static_cast<size_t>(reply ? len : 0), accounts, outRecord,
                                  clear);
  });
  std::free(reply);
  return result;
}

int CLsSecuAgent::ParseDepositResponse(const char* reply, size_t len, GroupInfoMap* accounts,
                                       group_info_s** outRecord, int clear) {
  if (outRecord) *outRecord = nullptr;
  if (!accounts || !reply || len == 0) return kAgentFailed;
  rapidjson::Document doc;
  if (!ParseJson(reply, len, &doc) || !doc.IsObject()) return kAgentFailed;
  const rapidjson::Value* out = JsonGetObject(doc, "Out1");
  if (!out) {
    // A refusal carries no figures: the account map and the record stay as they were.
    NoteRefusal(reply);
    return kAgentFailed;
  }
  if (clear) GfxGroupInfoMapClear(accounts);

  // The label is the key: an agent without a name is filed as "LS.<agent key>".
  const std::wstring label = m_label ? m_label : L"";
  auto it = accounts->begin();
  for (; it != accounts->end(); ++it) {
    if (wcscasecmp(it->first.c_str(), label.c_str()) == 0) break;
  }
  if (it == accounts->end()) it = accounts->emplace(label, &m_accountRecord).first;
  group_info_s* record = it->second;
  record->deposit = JsonGetDouble(*out, "DpsBalAmt", 0);
  record->withdrawable = JsonGetDouble(*out, "WthdwAbleAmt", 0);
  record->margin = JsonGetDouble(*out, "MgnMny", 0);
  record->next_day_deposit = JsonGetDouble(*out, "PrsmptDpsD1", 0);
  if (outRecord) *outRecord = record;
  return kAgentOk;
}

int CLsSecuAgent::QueryBalance(CURL*, uint8_t market, uint8_t priceSlot, int,
                               const BalanceQueryArgs_s& args) {
  const bool domestic = market == kMarketDomestic;
  const char* path = domestic ? kDomesticAccountPath : kOverseasAccountPath;
  const char* trHeader = domestic ? kBalanceTr : kOverseasBalanceTr;
  if (args.outCodes) args.outCodes->clear();
  m_balanceResult = 0;
  m_balanceCount = 0;

  // Every page is read first and the holdings merged once, after the last page: a merge per
  // page would drop as sold out every holding a later page names. The key of the next page is
  // kept whole (up to 199 characters).
  BalanceReply_s read;
  std::string contKey;
  int32_t transfer = -1;
  bool complete = false;
  for (int page = 0; page < kLsMaxBalancePages; ++page) {
    const std::string extra = std::string("tr_cont: ") + (contKey.empty() ? 'N' : 'Y');
    const std::string further = "tr_cont_key: " + contKey;
    BrokerRequestState request;
    int len = 0;
    char* reply = Send(nullptr, path, 1, kBalanceBody, 1, extra.c_str(), further.c_str(), trHeader,
                       true, &len, &request);
    transfer = static_cast<int32_t>(request.transfer);
    const bool readable = reply && ReadBalanceReply(market, reply, static_cast<size_t>(len), &read);
    std::free(reply);
    if (!readable) break;
    contKey = request.contKey;
    if (contKey.empty()) {
      complete = true;
      break;
    }
    // The 30th page still named a next page: the list is cut there, so the pages read update
    // what they name and no holding is dropped for not being named.
    if (page + 1 == kLsMaxBalancePages) {
      read.complete = false;
      complete = true;
    }
  }

  int result = 0;
  if (complete) result = MergeBalance(market, priceSlot, read, args);
  if (args.outResult) *args.outResult = result;
  m_balanceResult = result;
  if (args.outTransfer) *args.outTransfer = transfer;
  return result;
}

bool CLsSecuAgent::ReadBalanceReply(uint8_t market, const char* reply, size_t len,
                                    BalanceReply_s* read) {
  if (!reply || !read) return false;
  rapidjson::Document doc;
  const rapidjson::Value* summary = nullptr;
  if (ParseJson(reply, len, &doc) && doc.IsObject()) summary = JsonGetObject(doc, "t0424OutBlock");
  if (!summary) {
    NoteRefusal(reply);
    return false;
  }

  const bool domestic = market == kMarketDomestic;
  auto figure = [&](double group_info_s::*field, double value) {
    read->accountFigures.emplace_back(field, value);
  };
  figure(&group_info_s::deposit_asset,
         JsonGetDouble(*summary, domestic ? "sunamt" : "AssetAmtTotamt", 0));
  figure(&group_info_s::cash, JsonGetDouble(*summary, domestic ? "sunamt1" : "Dps", 0));
  if (domestic) {
    // The broker's balance names no day's trading figures.
    for (double group_info_s::*field :
         {&group_info_s::today_buy, &group_info_s::credit_amount, &group_info_s::today_sell,
          &group_info_s::realized_profit}) {
      figure(field, 0);
    }
  }

  if (const rapidjson::Value* rows = JsonGetArray(doc, "t0424OutBlock1")) {
    for (const rapidjson::Value& row : rows->GetArray()) {
      if (!row.IsObject()) continue;
      double purchase = 0;
      BalanceRow_s r = domestic ? ReadDomesticRow(row, &purchase) : ReadOverseasRow(row, &purchase);
      if (r.code.empty() || r.quantity <= 0) continue;
      read->purchase += purchase > 0 ? purchase : r.quantity * r.avgPrice;
      read->evaluation += r.curPrice * r.quantity;
      read->rows.push_back(std::move(r));
    }
  }
  // The evaluation total is the holdings' valuation over every page read so far.
  figure(&group_info_s::eval_total, read->evaluation);
  return true;
}
