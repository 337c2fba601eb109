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
constexpr double kDefaultSplitBudget = 500000.0;
constexpr double kAvgPriceEpsilon = 0.000001;

// Parses a reply; false when it is missing or is not JSON.
bool ParseJson(const char* reply, size_t len, rapidjson::Document* doc) {
  if (!reply || len == 0) return false;
  doc->Parse(reply, len);
  return !doc->HasParseError();
}

std::string Narrow(const wchar_t* text) { return text ? WideToUtf8(text) : std::string(); }

void CopyMessage(wchar_t* out, int outLen, const char* utf8) {
  if (out && outLen > 0) StrSafeCopyFromUTF8_W(out, static_cast<size_t>(outLen), utf8);
}

bool IsOverseasLetter(char letter) {
  return letter == 'A' || letter == 'D' || letter == 'H' || letter == 'N';
}

// One holding as a balance reply row describes it.
struct BalanceRow {
  std::wstring code;
  const char* name = nullptr;
  double quantity = 0;
  double avgPrice = 0;
  double curPrice = 0;
  double commission = 0;
  double tax = 0;
  int32_t loanDate = 0;
};

BalanceRow ReadDomesticRow(const rapidjson::Value& row) {
  BalanceRow r;
  const char* code = JsonGetStringPtr(row, "IsuNo");
  if (code) r.code = Utf8ToWide(code[0] == 'A' ? code + 1 : code);
  r.name = JsonGetStringPtr(row, "IsuNm");
  r.quantity = row.HasMember("AbleQty") ? JsonGetDouble(row, "AbleQty", 0)
                                        : JsonGetDouble(row, "BalQty0", 0);
  r.avgPrice = JsonGetDouble(row, "ExecPrc", 0);
  r.curPrice = JsonGetDouble(row, "NowPrc", 0);
  r.commission = JsonGetDouble(row, "BnsCmsn", 0);
  r.tax = JsonGetDouble(row, "EvrTax", 0);
  r.loanDate = JsonGetInt(row, "LoanDt", 0);
  return r;
}

BalanceRow ReadOverseasRow(const rapidjson::Value& row) {
  BalanceRow r;
  if (const char* code = JsonGetStringPtr(row, "SymCode")) r.code = Utf8ToWide(code);
  r.name = JsonGetStringPtr(row, "AstkHanglIsuNm");
  r.quantity = JsonGetDouble(row, "AstkExecBaseQty", 0);
  r.avgPrice = JsonGetDouble(row, "AstkAvrPchsPrc", 0);
  r.curPrice = JsonGetDouble(row, "AstkNowPrc", 0);
  r.commission = JsonGetDouble(row, "CmsnAmt", 0);
  r.tax = JsonGetDouble(row, "TaxAmt", 0);
  return r;
}

// The figures of a holding that follow from its row and the fee and tax rates.
void FillHoldingFigures(StockTrade_s* h, const BalanceRow& r, double feeRate, double taxRate) {
  h->quantity = r.quantity;
  h->quantity2 = r.quantity;
  h->avg_price = r.avgPrice;
  h->cur_price = r.curPrice;
  h->purchase = r.quantity * r.avgPrice;
  h->commission = r.commission > 0 ? r.commission : h->purchase * feeRate / 100.0;
  h->tax = r.tax;
  h->cost_per_share = (h->purchase + h->commission + h->tax) / r.quantity;
  h->valuation = r.curPrice * r.quantity;
  h->profit = (r.curPrice - h->cost_per_share) * r.quantity;
  h->profit_rate = GfxCalculateProfitRate(r.avgPrice, r.curPrice, r.quantity, feeRate, taxRate);
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

char* CDbSecuAgent::Post(CURL* curl, const char* path, const char* body, int json,
                         const char* extraHeader, const char* bearer, int* outLen,
                         const char* furtherHeaders) {
  unsigned transfer = 0;
  int len = 0;
  std::string transferError;
  char* reply =
      SendBrokerRequest(curl, m_baseUrl, path, 1, nullptr, body, extraHeader, furtherHeaders, 0,
                        m_appKey, m_appSecret, bearer, json, &len, m_caCertPath.c_str(), m_contKey,
                        &transfer, m_stopFlag, m_timeoutMs, 0, &transferError);
  m_lastTransfer = transfer;
  if (transfer != CURLE_OK) {
    // A reply cut short by a failed transfer is never read as an answer.
    std::free(reply);
    reply = nullptr;
    len = 0;
    // The message the login's error box shows names the cause (a certificate problem, say).
    if (transfer == kTransferNoHandle) transferError = "no HTTP handle";
    StrSafeCopyFromUTF8_W(m_lastMessage, sizeof m_lastMessage / sizeof m_lastMessage[0],
                          transferError.c_str());
  }
  if (outLen) *outLen = len;
  return reply;
}

int CDbSecuAgent::NoteRefusal(const char* reply) {
  std::string code;
  std::string message;
  StrGetTextWithTextBlockA(reply, "\"rsp_cd\"", '"', '"', &code);
  StrGetTextWithTextBlockA(reply, "\"rsp_msg\"", '"', '"', &message);
  if (!message.empty()) SetLastMessage(Utf8ToWide(message).c_str());
  return ParseResultCode(code.c_str());
}

int CDbSecuAgent::Login(CURL* curl, const wchar_t* account, const wchar_t* key,
                        const wchar_t* secret, int* outCode, wchar_t* outMsg, int msgLen) {
  if (key && *key && secret && *secret) {
    StrSafeCopyFromWCHAR_A(m_account, sizeof m_account, account ? account : L"");
    StrSafeCopyFromWCHAR_A(m_appKey, sizeof m_appKey, key);
    StrSafeCopyFromWCHAR_A(m_appSecret, sizeof m_appSecret, secret);
  }
  return LoginA(curl, nullptr, nullptr, nullptr, outCode, outMsg, msgLen);
}

int CDbSecuAgent::LoginA(CURL* curl, const char* account, const char* key, const char* secret,
                         int* outCode, wchar_t* outMsg, int msgLen) {
  FreeAccessToken();
  m_tokenExpiry = 0;
  if (account && *account) StrSafeCopyA(m_account, sizeof m_account, account);
  if (key) StrSafeCopyA(m_appKey, sizeof m_appKey, key);
  if (secret) StrSafeCopyA(m_appSecret, sizeof m_appSecret, secret);
  if (outCode) *outCode = 0;
  CopyMessage(outMsg, msgLen, "");
  if (!HasCredentials()) return kAgentFailed;

  const std::string body = "grant_type=client_credentials&appkey=" + UrlEncodeFormValue(m_appKey) +
                           "&appsecretkey=" + UrlEncodeFormValue(m_appSecret) + "&scope=oob";
  int len = 0;
  char* reply = Post(curl, kTokenPath, body.c_str(), 0, nullptr, nullptr, &len);
  if (!reply) {
    if (m_lastTransfer != CURLE_OK) CopyMessage(outMsg, msgLen, Narrow(m_lastMessage).c_str());
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
        if (outCode) *outCode = ParseResultCode(code);
      }
    } else {
      int64_t lifetime = JsonGetInt64(doc, "expires_in", 0);
      if (lifetime < 1) lifetime = kDbDefaultTokenLifetime;
      if (lifetime > kDbMaxTokenLifetime) lifetime = kDbMaxTokenLifetime;
      SetAccessToken(token, static_cast<int32_t>(lifetime), NowTick64());
      result = m_accessToken ? kAgentOk : kAgentFailed;
    }
  }
  std::free(reply);
  return result;
}

int CDbSecuAgent::Logout() {
  int result = kDbRevokeNotSent;
  if (m_accessToken && m_accessToken[0] && HasCredentials()) {
    CURL* handle = curl_easy_init();
    if (handle) {
      const std::string body =
          "token=" + UrlEncodeFormValue(m_accessToken) +
          "&token_type_hint=access_token&appkey=" + UrlEncodeFormValue(m_appKey) +
          "&appsecretkey=" + UrlEncodeFormValue(m_appSecret);
      char* reply = Post(handle, kRevokePath, body.c_str(), 0, nullptr, m_accessToken, nullptr);
      curl_easy_cleanup(handle);
      if (reply) {
        std::string code;
        StrGetTextWithTextBlockA(reply, "\"code\"", ':', ',', &code);
        const size_t first = code.find_first_not_of("\" \t");
        const size_t last = code.find_last_not_of("\" \t");
        code = first == std::string::npos ? std::string() : code.substr(first, last - first + 1);
        int number = 0;
        result = code.empty()                               ? kDbRevokeNoCode
                 : NumberToInt(AtoN(code.c_str()), &number) ? number
                                                            : kUnknownResultCode;
        std::free(reply);
      }
    }
  }
  m_tokenExpiry = 0;
  m_balancePasses = 0;
  return result;
}

int CDbSecuAgent::QueryDeposit(CURL* curl, GroupInfoMap* accounts, group_info_s** outRecord,
                               int clear) {
  if (clear && accounts) GfxGroupInfoMapClear(accounts);
  int len = 0;
  char* reply = Post(curl, kDepositPath, "{ \"In\": {} }", 1, "cont_yn: N", m_accessToken, &len);
  const int result =
      ParseDepositResponse(reply, static_cast<size_t>(reply ? len : 0), accounts, outRecord, 0);
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
  int len = 0;
  char* reply = Post(curl, market == kMarketDomestic ? kDomesticBalancePath : kOverseasBalancePath,
                     body, 1, nullptr, m_accessToken, &len);
  if (args.outCodes) args.outCodes->clear();
  m_balanceCount = 0;

  int result = 0;
  if (reply) {
    result = ParseBalanceResponse(market, priceSlot, filter, reply, static_cast<size_t>(len), args);
    std::free(reply);
  }
  if (args.outResult) *args.outResult = result;
  m_balanceResult = result;
  if (args.outTransfer) *args.outTransfer = static_cast<int32_t>(m_lastTransfer);
  return result;
}

int CDbSecuAgent::ParseBalanceResponse(uint8_t market, uint8_t priceSlot, int, const char* reply,
                                       size_t len, const BalanceQueryArgs_s& args) {
  if (!reply || !args.totals || !args.holdings || !args.stocks) return 0;
  rapidjson::Document doc;
  const rapidjson::Value* out = nullptr;
  if (ParseJson(reply, len, &doc) && doc.IsObject()) out = JsonGetObject(doc, "Out");
  if (!out) {
    NoteRefusal(reply);
    m_balanceCount = 0;
    return 0;
  }

  const bool domestic = market == kMarketDomestic;
  group_info_s* account = args.totals;
  double purchaseTotal = 0;
  double evaluationTotal = 0;
  if (domestic) {
    purchaseTotal = JsonGetDouble(*out, "TotBuyAmt", 0);
    evaluationTotal = JsonGetDouble(*out, "TotEvalAmt", 0);
    account->eval_total = evaluationTotal;
    account->today_buy = JsonGetDouble(*out, "ThdayBuyAmt", 0);
    account->credit_amount = JsonGetDouble(*out, "CrdtBnsAmt", 0);
    account->deposit_asset = JsonGetDouble(*out, "DpsastAmt", 0);
    account->cash = JsonGetDouble(*out, "Dps2", 0);
    account->today_sell = JsonGetDouble(*out, "ThdaySellAmt", 0);
    account->realized_profit = JsonGetDouble(*out, "ThdayRlzPnlAmt", 0);
  } else {
    purchaseTotal = JsonGetDouble(*out, "PchsAmt", 0);
    account->cash = JsonGetDouble(*out, "Dps", 0);
    account->deposit_asset = JsonGetDouble(*out, "AssetAmtTotamt", 0);
    account->page_commission = JsonGetDouble(*out, "Cmsn", 0);
    account->page_tax = JsonGetDouble(*out, "TaxAmt", 0);
  }

  const uint32_t stamp = ++m_balanceStamp;
  const uint8_t slot = priceSlot < kPriceSlotCount ? priceSlot : 0;
  const double budget = args.splitBudget > 0 ? args.splitBudget : kDefaultSplitBudget;
  int parsed = 0;
  double overseasValuation = 0;

  const rapidjson::Value* rows = JsonGetArray(doc, domestic ? "Out1" : "Out2");
  if (rows) {
    for (const rapidjson::Value& row : rows->GetArray()) {
      if (!row.IsObject()) continue;
      const BalanceRow r = domestic ? ReadDomesticRow(row) : ReadOverseasRow(row);
      if (r.code.empty() || r.quantity <= 0) continue;

      bool added = false;
      Stock_s* stock = GfxAddStockToMap(args.stocks, r.code.c_str(), market, slot, 0, &added);
      if (!stock) continue;
      if (added) {
        if (r.name) stock->name = Utf8ToWide(r.name);
        if (args.callback) {
          args.callback(args.callbackContext, stock->list_index, 1, 0x100, stock->code,
                        r.name ? stock->name.c_str() : nullptr, '1', r.curPrice, 0, 0,
                        static_cast<double>(args.runningIndex + parsed), 0, 0, 0, nullptr);
        }
      }
      if (stock->slot_prices.size() > slot) stock->slot_prices[slot] = r.curPrice;
      stock->cur_price = r.curPrice;

      const double feeRate =
          stock->market == kMarketDomestic ? args.feeRateDomestic : args.feeRateOther;
      auto* fresh = new StockTrade_s();
      fresh->stock = stock;
      fresh->account = account;
      fresh->broker_id = m_brokerId;
      fresh->account_no = static_cast<int32_t>(m_key);
      fresh->price_slot = slot;
      fresh->loan_date = r.loanDate > 0 ? r.loanDate : 0;
      fresh->holding_kind = fresh->loan_date > 0 ? 2 : 1;
      fresh->credit = fresh->loan_date > 0 ? 1 : 0;
      std::swprintf(fresh->loan_date_text, sizeof fresh->loan_date_text / sizeof(wchar_t), L"%08d",
                    fresh->loan_date);
      StrSafeCopyW(fresh->code, kStockCodeLen + 1, stock->code);
      FillHoldingFigures(fresh, r, feeRate, args.taxRate);

      StockTrade_s* holding = fresh;
      bool isNew = true;
      bool changed = false;
      auto found = args.holdings->find(fresh);
      if (found != args.holdings->end()) {
        holding = found->first;
        isNew = false;
        changed = std::fabs(holding->avg_price - fresh->avg_price) > kAvgPriceEpsilon;
        if (changed) holding->changed_mark = 1;
        holding->quantity_trend = fresh->quantity > holding->quantity   ? 1
                                  : fresh->quantity < holding->quantity ? 2
                                                                        : 0;
        holding->stock = stock;
        holding->account = account;
        FillHoldingFigures(holding, r, feeRate, args.taxRate);
        delete fresh;
      } else {
        holding->is_new = 1;
        holding->running_index = args.runningIndex + parsed;
        args.holdings->emplace(holding, holding->running_index);
        stock->holding = holding;
      }
      holding->caller_value = args.callerValue;
      holding->balance_pass = stamp;

      if (m_balancePasses > 0) {
        holding->order_byte = isNew ? (args.options ? args.options->rule_byte : 0) : args.ruleByte;
      }
      if (isNew || changed) {
        const double* steps = args.options ? args.options->steps : nullptr;
        const StockTrade_s defaults;
        for (int i = 0; i < 5; ++i) holding->steps[i] = steps ? steps[i] : defaults.steps[i];
        holding->sell_split_qty = GfxStockCalcSellSplitQty(
            &holding->split_state, r.curPrice, budget, holding->quantity, 5000.0, 1.0,
            IsOverseasLetter(stock->market_letter) ? 1 : 0, args.splitRate);
      }
      if (args.outCodes) StrAppendCodeW(args.outCodes, stock->code, args.separator);
      overseasValuation += holding->valuation;
      ++parsed;
    }
  }

  // Only the queried side (domestic or overseas) is dropped: the other side's holdings come
  // from the other balance query.
  const int removed = GfxFilterSoldoutStocks(args.holdings, m_brokerId, static_cast<int>(m_key),
                                             stamp, domestic ? 1 : 0);
  account->holding_count += parsed;
  if (!domestic) evaluationTotal = overseasValuation;
  m_summary.purchase = purchaseTotal;
  m_summary.evaluation = evaluationTotal;
  m_summary.profitRate =
      purchaseTotal > 0 ? (evaluationTotal - purchaseTotal) * 100.0 / purchaseTotal : 0;
  account->total_buy = purchaseTotal;
  account->total_valuation = evaluationTotal;
  account->total_profit = evaluationTotal - purchaseTotal;
  m_balanceCount = parsed + removed;
  return parsed;
}
