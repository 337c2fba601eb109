#include "plugin/brokers/KiwoomSecuAgent.h"

#include <rapidjson/document.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/support/JsonGetters.h"
#include "platform/support/TextConv.h"
#include "plugin/brokers/BrokerHosts.h"
#include "plugin/brokers/BrokerTransport.h"
#include "plugin/brokers/KiwoomSecuAgentJson.h"

namespace {

constexpr const char* kTokenPath = "/oauth2/token";
constexpr const char* kRevokePath = "/oauth2/revoke";
constexpr const char* kAccountPath = "/api/dostk/acnt";
constexpr size_t kTokenMessageLen = 251;  // "return_msg" of a refused login, with terminator

void CopyMessage(wchar_t* out, int outLen, const char* utf8) {
  if (out && outLen > 0) StrSafeCopyFromUTF8_W(out, static_cast<size_t>(outLen), utf8);
}


// A price as the broker writes it: the sign marks the direction of the day's move, not the
// price, so a negative value is read as its absolute value.
double KiwoomPrice(const rapidjson::Value& row, const char* name) {
  return std::fabs(KiwoomJsonDouble(row, name));
}

BalanceRow_s ReadDomesticRow(const rapidjson::Value& row) {
  BalanceRow_s r;
  if (const char* code = JsonGetStringPtr(row, "stk_cd"))
    r.code = Utf8ToWide(code[0] == 'A' ? code + 1 : code);
  if (const char* name = JsonGetStringPtr(row, "stk_nm")) r.name = Utf8ToWide(name);
  r.quantity = KiwoomJsonDouble(row, "rmnd_qty");
  r.avgPrice = KiwoomPrice(row, "pur_pric");
  r.curPrice = KiwoomPrice(row, "cur_prc");
  r.tax = KiwoomJsonDouble(row, "tax");
  r.commission = KiwoomJsonDouble(row, "sum_cmsn");
  const int creditKind = KiwoomJsonInt(row, "crd_tp");
  r.loanDate = KiwoomJsonInt(row, "crd_loan_dt");
  if (creditKind > 0 && r.loanDate <= 0) r.loanDate = kKiwoomOpenLoanDate;
  return r;
}

BalanceRow_s ReadOverseasRow(const rapidjson::Value& row) {
  BalanceRow_s r;
  if (const char* code = JsonGetStringPtr(row, "SymCode")) r.code = Utf8ToWide(code);
  if (const char* name = JsonGetStringPtr(row, "AstkHanglIsuNm")) r.name = Utf8ToWide(name);
  r.quantity = KiwoomJsonDouble(row, "AstkExecBaseQty");
  r.avgPrice = KiwoomPrice(row, "AstkAvrPchsPrc");
  r.curPrice = KiwoomPrice(row, "AstkNowPrc");
  r.commission = KiwoomJsonDouble(row, "AstkSellCmsn");
  if (!row.HasMember("AstkSellCmsn")) r.commission = KiwoomJsonDouble(row, "AstkBuyCmsn");
  const int creditKind = KiwoomJsonInt(row, "crd_tp");
  r.loanDate = KiwoomJsonInt(row, "LoanDt");
  if (creditKind > 0 && r.loanDate <= 0) r.loanDate = kKiwoomOpenLoanDate;
  return r;
}

}  // namespace

CKiwoomSecuAgent::CKiwoomSecuAgent(uint8_t marketKind, const wchar_t* name, char classLetter,
                                   uint8_t brokerId, uint8_t instance, int32_t marketId,
                                   double exchangeRate, int32_t reserved40)
    : CStockAgentBase(marketKind, classLetter, brokerId, instance, marketId, exchangeRate,
                      reserved40) {
  StrSafeCopyW(m_brokerName, sizeof m_brokerName / sizeof m_brokerName[0], L"키움증권");
  MakeLabel(L"키움", name);
  StrSafeCopyA(m_baseUrl, sizeof m_baseUrl,
               BrokerBaseUrl(kKiwoomBrokerId, kKiwoomDefaultHost).c_str());
  StrSafeCopyA(m_clientName, sizeof m_clientName, "orvella.auto.kiwoom.pc");
  m_pollInterval = 500;
  m_chartPause = 500;
  m_tuning3 = 100;
  m_dataAgent = 1;
  m_reservedByte = 40;
}

CKiwoomSecuAgent::~CKiwoomSecuAgent() = default;

int64_t CKiwoomSecuAgent::NowEpochSeconds() const {
  return static_cast<int64_t>(std::time(nullptr));
}

char* CKiwoomSecuAgent::Post(CURL* curl, const char* path, const char* body, int json,
                             const char* extraHeader, const char* furtherHeaders,
                             BrokerRequestState* state, int* outLen) {
  BrokerRequestState own;
  if (!state) state = &own;
  state->contKeyHeader = "next-key";
  state->connectTimeoutMs = kKiwoomConnectTimeoutMs;
  const RequestCredentials credentials = CredentialsForRequest();
  int len = 0;
  char* reply = SendBrokerRequest(curl, m_baseUrl, path, 1, nullptr, body, extraHeader,
                                  furtherHeaders, 0, credentials.key.c_str(),
                                  credentials.secret.c_str(), credentials.token.c_str(), json,
                                  &len, m_caCertPath.c_str(), state, m_stopFlag, m_timeoutMs, 0);
  // A reply cut short by a failed transfer, or an order's error page, is never read as an
  // answer; the message names the cause (a certificate problem, a host that did not answer).
  std::string why;
  reply = KeepAnsweredReply(reply, &len, state, &why);
  if (!reply && !why.empty()) SetLastMessageUtf8(why.c_str());
  if (outLen) *outLen = len;
  return reply;
}

int CKiwoomSecuAgent::PostPages(CURL* curl, const char* path, const char* body, const char* apiId,
                                int pauseMs, int maxPages,
                                const std::function<void(const char* reply, int len)>& onPage,
                                unsigned* outTransfer, bool* outMorePending) {
  const std::string operation = std::string("api-id: ") + apiId;
  ContinuationHeaders names;
  names.more = "cont-yn";
  names.key = "next-key";
  return RunContinuationPaging(
      pauseMs, maxPages,
      [&](const char* extra, const char* further, BrokerRequestState* state, int* outLen) {
        const std::string headers =
            further ? std::string(further) + "\n" + operation : operation;
        return Post(curl, path, body, 1, extra, headers.c_str(), state, outLen);
      },
      onPage, nullptr, names, outTransfer, outMorePending);
}

int CKiwoomSecuAgent::QueryAccountsA(CURL*, const char*, const char*, int*, wchar_t*, int) {
  return kAgentNotSupported;
}

int CKiwoomSecuAgent::Login(CURL* curl, const wchar_t* account, const wchar_t* key,
                            const wchar_t* secret, int* outCode, wchar_t* outMsg, int msgLen) {
  return LoginWithStoredCredentials(curl, account, key, secret, outCode, outMsg, msgLen);
}

int CKiwoomSecuAgent::LoginA(CURL* curl, const char* account, const char* key, const char* secret,
                             int* outCode, wchar_t* outMsg, int msgLen) {
  if (!BeginTokenLogin(account, key, secret, outCode, outMsg, msgLen)) return kAgentFailed;

  const RequestCredentials credentials = CredentialsForRequest();
  const std::string body = "{\t\t\t\t\"grant_type\": \"client_credentials\",\t\t\t\t\"appkey\" : " +
                           KiwoomJsonQuoted(credentials.key) + ",\t\t\t\t\"secretkey\" : " +
                           KiwoomJsonQuoted(credentials.secret) + " }";
  BrokerRequestState request;
  int len = 0;
  // The token request carries no bearer token: the one held may be the expired one it renews.
  const std::string base = m_baseUrl;
  char* reply = SendBrokerRequest(curl, base.c_str(), kTokenPath, 1, nullptr, body.c_str(),
                                  nullptr, nullptr, 0, credentials.key.c_str(),
                                  credentials.secret.c_str(), nullptr, 1, &len,
                                  m_caCertPath.c_str(), &request, m_stopFlag, m_timeoutMs, 0);
  if (request.transfer != CURLE_OK) {
    std::free(reply);
    reply = nullptr;
    if (request.transfer == kTransferNoHandle) request.errorText = "no HTTP handle";
    SetLastMessage(Utf8ToWide(request.errorText).c_str());
    CopyMessage(outMsg, msgLen, request.errorText.c_str());
  }
  if (!reply) {
    DropToken();
    return kAgentFailed;
  }

  int result = kAgentFailed;
  const KiwoomTokenReply_s read = ReadKiwoomTokenReply(reply, static_cast<size_t>(len));
  if (read.parsed) {
    if (read.token.empty()) {
      if (outCode) *outCode = read.code;
      if (!read.message.empty()) {
        std::string message = read.message;
        if (message.size() > kTokenMessageLen - 1) message.resize(kTokenMessageLen - 1);
        CopyMessage(outMsg, msgLen, message.c_str());
        SetLastMessage(Utf8ToWide(message).c_str());
      }
    } else {
      const int32_t lifetime = read.expiresEpoch > 0
                                   ? KiwoomTokenLifetime(read.expiresEpoch, NowEpochSeconds())
                                   : kKiwoomMaxTokenLifetime;
      SetAccessToken(read.token.c_str(), lifetime, NowTick64());
      result = kAgentOk;
    }
  }
  if (result != kAgentOk) DropToken();
  std::free(reply);
  return result;
}


int CKiwoomSecuAgent::Logout() {
  int result = kKiwoomRevokeNotSent;
  const RequestCredentials credentials = CredentialsForRequest();
  if (!credentials.token.empty() && !credentials.key.empty() && !credentials.secret.empty()) {
    CURL* handle = curl_easy_init();
    if (handle) {
      const std::string body = "token=" + UrlEncodeFormValue(credentials.token.c_str()) +
                               "&appkey=" + UrlEncodeFormValue(credentials.key.c_str()) +
                               "&secretkey=" + UrlEncodeFormValue(credentials.secret.c_str());
      char* reply = Post(handle, kRevokePath, body.c_str(), 0, nullptr, nullptr, nullptr, nullptr);
      curl_easy_cleanup(handle);
      if (reply) {
        result = RevokeReplyCode(reply, kKiwoomRevokeNoCode);
        std::free(reply);
      }
    }
  }
  m_tokenExpiry = 0;
  m_priceUpdates = 0;
  return result;
}

int CKiwoomSecuAgent::QueryDeposit(CURL* curl, GroupInfoMap* accounts, group_info_s** outRecord,
                                   int clear) {
  if (outRecord) *outRecord = nullptr;
  if (!HasCredentials()) return kAgentFailed;
  int len = 0;
  char* reply = Post(curl, kAccountPath, "{\t\t\"qry_tp\" : \"0\",\t\t\"dmst_stex_tp\" : \"KRX\"}", 1,
                     "cont-yn: N", "api-id: kt00004", nullptr, &len);
  int result = kAgentFailed;
  RunMerge([&] {
    if (clear && accounts) GfxGroupInfoMapClear(accounts);
    result =
        ParseDepositResponse(reply, static_cast<size_t>(reply ? len : 0), accounts, outRecord, 0);
  });
  std::free(reply);
  return result;
}

int CKiwoomSecuAgent::ParseDepositResponse(const char* reply, size_t len, GroupInfoMap* accounts,
                                           group_info_s** outRecord, int clear) {
  if (outRecord) *outRecord = nullptr;
  if (!accounts || !reply || len == 0) return kAgentFailed;
  KiwoomDeposit_s deposit;
  if (!ReadKiwoomDepositReply(reply, len, &deposit)) {
    // A refusal carries no figures: keep the record as it was.
    if (!deposit.message.empty()) SetLastMessage(Utf8ToWide(deposit.message).c_str());
    return kAgentFailed;
  }
  if (clear) GfxGroupInfoMapClear(accounts);

  const std::wstring label = m_label ? m_label : L"";
  auto it = accounts->find(label);
  if (it == accounts->end()) it = accounts->emplace(label, &m_accountRecord).first;
  group_info_s* record = it->second;
  record->deposit = deposit.deposit;
  record->withdrawable = deposit.withdrawable;
  record->total_buy = deposit.purchase;
  record->next_day_deposit = deposit.nextDayAsset;
  if (outRecord) *outRecord = record;
  return kAgentOk;
}

int CKiwoomSecuAgent::QueryBalance(CURL* curl, uint8_t market, uint8_t priceSlot, int,
                                   const BalanceQueryArgs_s& args) {
  if (args.outCodes) args.outCodes->clear();
  m_balanceCount = 0;
  if (args.outTransfer) *args.outTransfer = -1;

  // Every page is read first and the holdings merged once, after the last page: a holding is
  // dropped only when no page of this query named it.
  BalanceReply_s all;
  bool readable = true;
  bool any = false;
  unsigned transfer = 0;
  bool cut = false;
  if (HasCredentials()) {
    PostPages(
        curl, kAccountPath, "{ \"qry_tp\" : \"2\", \"dmst_stex_tp\" : \"KRX\" }", "kt00018", 0,
        kKiwoomMaxBalancePages,
        [&](const char* reply, int len) {
          BalanceReply_s page;
          if (!readable || !ReadBalanceReply(market, reply, static_cast<size_t>(len), &page)) {
            readable = false;
            return;
          }
          if (!any) {
            all.accountFigures = page.accountFigures;
            all.purchase = page.purchase;
            all.evaluation = page.evaluation;
          }
          any = true;
          for (BalanceRow_s& row : page.rows) all.rows.push_back(std::move(row));
        },
        &transfer, &cut);
  }
  if (args.outTransfer && any) *args.outTransfer = static_cast<int32_t>(transfer);

  int result = 0;
  // A page that failed or could not be read leaves the holdings as they were: its holdings
  // are unknown, not sold.
  if (any && readable && transfer == CURLE_OK) {
    all.complete = !cut;
    result = MergeBalance(market, priceSlot, all, args);
  } else if (args.outTransfer && transfer != CURLE_OK) {
    *args.outTransfer = static_cast<int32_t>(transfer);
  }
  if (args.outResult) *args.outResult = result;
  m_balanceResult = result;
  return result;
}

bool CKiwoomSecuAgent::ReadBalanceReply(uint8_t market, const char* reply, size_t len,
                                        BalanceReply_s* read) {
  if (!reply || !read) return false;
  rapidjson::Document doc;
  if (!KiwoomParse(reply, len, &doc) || !doc.IsObject()) return false;
  if (KiwoomJsonInt(doc, "return_code") != 0 || doc.HasMember("error")) {
    std::string message;
    KiwoomJsonText(doc, "return_msg", &message);
    if (!message.empty()) SetLastMessage(Utf8ToWide(message).c_str());
    return false;
  }

  const bool domestic = market == kMarketDomestic;
  read->purchase = KiwoomJsonDouble(doc, "tot_pur_amt");
  read->evaluation = KiwoomJsonDouble(doc, "tot_evlt_amt");
  read->accountFigures.emplace_back(&group_info_s::eval_total, domestic ? read->evaluation : 0);
  read->accountFigures.emplace_back(&group_info_s::credit_amount,
                                    domestic ? KiwoomJsonDouble(doc, "tot_crd_loan_amt") : 0);
  read->accountFigures.emplace_back(&group_info_s::deposit_asset,
                                    domestic ? KiwoomJsonDouble(doc, "prsm_dpst_aset_amt") : 0);
  read->accountFigures.emplace_back(&group_info_s::page_valuation, 0);
  read->accountFigures.emplace_back(&group_info_s::page_tax, 0);
  read->accountFigures.emplace_back(&group_info_s::page_commission, 0);

  if (const rapidjson::Value* rows = JsonGetArray(doc, "acnt_evlt_remn_indv_tot")) {
    for (const rapidjson::Value& row : rows->GetArray()) {
      if (!row.IsObject()) continue;
      BalanceRow_s r = domestic ? ReadDomesticRow(row) : ReadOverseasRow(row);
      if (r.code.empty() || !(r.quantity > 0)) continue;
      read->rows.push_back(std::move(r));
    }
  }
  return true;
}

int CKiwoomSecuAgent::SetServerUrl(const wchar_t*) { return 0; }
