#include "tests/peers/DbBrokerPeer.h"

#include <rapidjson/document.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "tests/peers/PeerJson.h"

namespace orv::test {
namespace {

using namespace peer_json;

constexpr const char* kInvalidTokenBody =
    "{\"rsp_cd\":\"IGW00121\",\"rsp_msg\":\"invalid access token\"}";

}  // namespace

DbBrokerPeer::DbBrokerPeer() : DbBrokerPeer(BrokerPeerDialect(), nullptr) {}

DbBrokerPeer::DbBrokerPeer(const TestCa& ca) : DbBrokerPeer(BrokerPeerDialect(), &ca) {}

DbBrokerPeer::DbBrokerPeer(const BrokerPeerDialect& dialect, const TestCa* ca)
    : dialect_(dialect),
      http_(ca ? std::make_unique<HttpPeer>(*ca) : std::make_unique<HttpPeer>()) {
  Install();
}

bool DbBrokerPeer::AnswerOwn(const std::string&, const RecordedRequest&, PeerReply*) {
  return false;
}

const DbQuote* DbBrokerPeer::QuoteOf(const std::string& code) const {
  auto it = quotes_.find(code);
  return it == quotes_.end() ? nullptr : &it->second;
}

DbBrokerPeer::~DbBrokerPeer() { Stop(); }

bool DbBrokerPeer::Start() { return http_->Start(); }

void DbBrokerPeer::Stop() { http_->Stop(); }

std::vector<RecordedRequest> DbBrokerPeer::RequestsTo(const std::string& path) const {
  std::vector<RecordedRequest> out;
  for (const RecordedRequest& r : http_->Requests()) {
    if (r.path == path) out.push_back(r);
  }
  return out;
}

void DbBrokerPeer::Install() {
  std::vector<std::string> paths = {dialect_.tokenPath,  dialect_.revokePath, dialect_.depositPath,
                                    kDomesticBalancePath, kOverseasBalancePath, kDomesticTickerPath,
                                    kOverseasTickerPath,  kDomesticPricePath,  kOverseasPricePath,
                                    kDayChartPath,        kMinuteChartPath,    kInvestorPath,
                                    kDomesticOrderPath,   kOverseasOrderPath};
  paths.insert(paths.end(), dialect_.extraPaths.begin(), dialect_.extraPaths.end());
  for (const std::string& path : paths) {
    http_->On("POST", path, [this, path](const RecordedRequest& r) { return Answer(path, r); });
  }
  http_->On("GET", kAllTickersPath, [this](const RecordedRequest&) {
    std::lock_guard<std::mutex> lock(mutex_);
    return Json(bodies_[kAllTickersPath]);
  });
  SetDeposit({});
  SetDomesticBalance({}, {});
  SetOverseasBalance({}, {});
  bodies_[kDomesticTickerPath] = TickerPageBody({});
  bodies_[kOverseasTickerPath] = TickerPageBody({});
  bodies_[kDayChartPath] = CandleBody({}, false);
  bodies_[kMinuteChartPath] = CandleBody({}, true);
  bodies_[kInvestorPath] = InvestorBody({});
  bodies_[kAllTickersPath] = "{\"status\":\"0000\",\"data\":{}}";
}

void DbBrokerPeer::AcceptCredentials(const std::string& key, const std::string& secret) {
  std::lock_guard<std::mutex> lock(mutex_);
  key_ = key;
  secret_ = secret;
}

void DbBrokerPeer::SetToken(const std::string& token, const std::string& expiresInJson) {
  std::lock_guard<std::mutex> lock(mutex_);
  token_ = token;
  expiresIn_ = expiresInJson;
}

void DbBrokerPeer::RefuseToken(const std::string& code, const std::string& description) {
  std::lock_guard<std::mutex> lock(mutex_);
  refuseCode_ = code;
  refuseDescription_ = description;
}

void DbBrokerPeer::SetRevokeReply(const std::string& body) {
  std::lock_guard<std::mutex> lock(mutex_);
  revokeBody_ = body;
}

void DbBrokerPeer::SetDeposit(const DbDeposit& deposit) {
  std::lock_guard<std::mutex> lock(mutex_);
  deposit_ = deposit;
  bodies_[dialect_.depositPath] = DepositBody(deposit);
  if (live_) RefreshLiveAccount();
}

void DbBrokerPeer::SetLiveAccount(bool live) {
  std::lock_guard<std::mutex> lock(mutex_);
  live_ = live;
  if (live_) RefreshLiveAccount();
}

DbDeposit DbBrokerPeer::Deposit() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return deposit_;
}

std::vector<DbHoldingRow> DbBrokerPeer::DomesticHoldings() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return domesticRows_;
}

void DbBrokerPeer::RefreshLiveAccount() {
  double bought = 0;
  double valued = 0;
  for (DbHoldingRow& row : domesticRows_) {
    const std::string bare = row.code.rfind('A', 0) == 0 ? row.code.substr(1) : row.code;
    if (auto quote = quotes_.find(bare); quote != quotes_.end()) row.nowPrice = quote->second.price;
    const double qty = row.ableQty >= 0 ? row.ableQty : row.balanceQty;
    bought += qty * row.avgPrice;
    valued += qty * row.nowPrice;
  }
  domesticTotals_.buy = bought;
  domesticTotals_.eval = valued;
  domesticTotals_.cash = deposit_.deposit;
  domesticTotals_.depositAsset = deposit_.deposit + valued;
  bodies_[dialect_.depositPath] = DepositBody(deposit_);
  bodies_[kDomesticBalancePath] = DomesticBalanceBody(domesticTotals_, domesticRows_);
}

void DbBrokerPeer::SetDomesticBalance(const DbDomesticTotals& totals,
                                      const std::vector<DbHoldingRow>& rows) {
  std::lock_guard<std::mutex> lock(mutex_);
  domesticTotals_ = totals;
  domesticRows_ = rows;
  bodies_[kDomesticBalancePath] = DomesticBalanceBody(totals, rows);
  if (live_) RefreshLiveAccount();
}

void DbBrokerPeer::SetOverseasBalance(const DbOverseasTotals& totals,
                                      const std::vector<DbHoldingRow>& rows) {
  std::lock_guard<std::mutex> lock(mutex_);
  bodies_[kOverseasBalancePath] = OverseasBalanceBody(totals, rows);
}

void DbBrokerPeer::Refuse(const std::string& path, const std::string& code,
                          const std::string& message) {
  std::lock_guard<std::mutex> lock(mutex_);
  bodies_[path] = JsonObject().Text("rsp_cd", code).Text("rsp_msg", message).Str();
}

void DbBrokerPeer::SetPages(const std::string& path, const std::vector<DbPage>& pages) {
  std::lock_guard<std::mutex> lock(mutex_);
  pages_[path] = pages;
  http_->On("POST", path, [this, path](const RecordedRequest& r) { return Answer(path, r); });
}

void DbBrokerPeer::SetTickerPages(const std::string& path,
                                  const std::vector<std::vector<DbTickerRow>>& pages) {
  std::vector<DbPage> bodies;
  for (size_t i = 0; i < pages.size(); ++i) {
    bodies.push_back({TickerPageBody(pages[i]),
                      i + 1 < pages.size() ? "k" + std::to_string(i + 1) : std::string()});
  }
  SetPages(path, bodies);
}

void DbBrokerPeer::SetQuotes(const std::vector<DbQuote>& quotes) {
  std::lock_guard<std::mutex> lock(mutex_);
  quotes_.clear();
  for (const DbQuote& q : quotes) quotes_[q.code] = q;
  if (live_) RefreshLiveAccount();
}

void DbBrokerPeer::SetCandles(const std::string& path, const std::vector<DbCandle>& newestFirst) {
  std::lock_guard<std::mutex> lock(mutex_);
  bodies_[path] = CandleBody(newestFirst, path == kMinuteChartPath);
}

void DbBrokerPeer::SetInvestorRows(const std::vector<DbInvestorRow>& newestFirst) {
  std::lock_guard<std::mutex> lock(mutex_);
  bodies_[kInvestorPath] = InvestorBody(newestFirst);
}

void DbBrokerPeer::SetRawReply(const std::string& path, const std::string& body,
                               const std::string& contentType) {
  std::lock_guard<std::mutex> lock(mutex_);
  PeerReply reply;
  reply.body = body;
  reply.contentType = contentType;
  rawReplies_[path] = reply;
}

void DbBrokerPeer::ClearReply(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  rawReplies_.erase(path);
}

int DbBrokerPeer::LastOrderNo() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lastOrderNo_;
}

void DbBrokerPeer::SetDelay(const std::string& path, std::chrono::milliseconds delay) {
  std::lock_guard<std::mutex> lock(mutex_);
  delays_[path] = delay;
}

std::string DbBrokerPeer::DepositBody(const DbDeposit& d) {
  return JsonObject()
      .Text("rsp_cd", "00000")
      .Text("rsp_msg", "ok")
      .Raw("Out1", JsonObject()
                       .Num("DpsBalAmt", d.deposit)
                       .Num("WthdwAbleAmt", d.withdrawable)
                       .Num("MgnMny", d.margin)
                       .Num("PrsmptDpsD1", d.nextDay)
                       .Str())
      .Str();
}

std::string DbBrokerPeer::DomesticBalanceBody(const DbDomesticTotals& t,
                                              const std::vector<DbHoldingRow>& rows) {
  std::vector<std::string> items;
  for (const DbHoldingRow& r : rows) {
    JsonObject row;
    row.Text("IsuNo", r.code).Text("IsuNm", r.name).Num("BalQty0", r.balanceQty, r.asText);
    if (r.ableQty >= 0) row.Num("AbleQty", r.ableQty, r.asText);
    row.Num("ExecPrc", r.avgPrice, r.asText)
        .Num("NowPrc", r.nowPrice, r.asText)
        .Num("EvalAmt", r.nowPrice * (r.ableQty >= 0 ? r.ableQty : r.balanceQty), r.asText)
        .Num("EvrTax", r.tax, r.asText)
        .Num("BnsCmsn", r.commission, r.asText)
        .Num("LoanDt", r.loanDate);
    items.push_back(row.Str());
  }
  return JsonObject()
      .Text("rsp_cd", "00000")
      .Text("rsp_msg", "ok")
      .Raw("Out", JsonObject()
                      .Num("TotBuyAmt", t.buy)
                      .Num("TotEvalAmt", t.eval)
                      .Num("ThdayBuyAmt", t.todayBuy)
                      .Num("CrdtBnsAmt", t.credit)
                      .Num("DpsastAmt", t.depositAsset)
                      .Num("Dps2", t.cash)
                      .Num("ThdaySellAmt", t.todaySell)
                      .Num("ThdayRlzPnlAmt", t.realized)
                      .Str())
      .Raw("Out1", Array(items))
      .Str();
}

std::string DbBrokerPeer::OverseasBalanceBody(const DbOverseasTotals& t,
                                              const std::vector<DbHoldingRow>& rows) {
  std::vector<std::string> items;
  for (const DbHoldingRow& r : rows) {
    items.push_back(JsonObject()
                        .Text("SymCode", r.code)
                        .Text("AstkHanglIsuNm", r.name)
                        .Num("AstkExecBaseQty", r.ableQty >= 0 ? r.ableQty : r.balanceQty, r.asText)
                        .Num("AstkAvrPchsPrc", r.avgPrice, r.asText)
                        .Num("AstkNowPrc", r.nowPrice, r.asText)
                        .Num("CmsnAmt", r.commission, r.asText)
                        .Num("TaxAmt", r.tax, r.asText)
                        .Str());
  }
  return JsonObject()
      .Text("rsp_cd", "00000")
      .Text("rsp_msg", "ok")
      .Raw("Out", JsonObject()
                      .Num("PchsAmt", t.purchase)
                      .Num("Dps", t.cash)
                      .Num("AssetAmtTotamt", t.asset)
                      .Num("Cmsn", t.commission)
                      .Num("TaxAmt", t.tax)
                      .Num("UnsttAmt", 0)
                      .Str())
      .Raw("Out2", Array(items))
      .Str();
}

std::string DbBrokerPeer::TickerPageBody(const std::vector<DbTickerRow>& rows) {
  std::vector<std::string> items;
  for (const DbTickerRow& r : rows) {
    items.push_back(JsonObject()
                        .Text("Iscd", r.code)
                        .Text("StndIscd", r.stdCode)
                        .Text("MrktClsCode", r.marketClass)
                        .Text("KorIsnm", r.name)
                        .Str());
  }
  return JsonObject().Text("rsp_cd", "00000").Text("rsp_msg", "ok").Raw("Out", Array(items)).Str();
}

std::string DbBrokerPeer::MultiPriceBody(const std::vector<DbQuote>& quotes) {
  std::vector<std::string> items;
  for (const DbQuote& q : quotes) {
    items.push_back(JsonObject()
                        .Text("Iscd", q.code)
                        .Text("KorIsnm", q.name)
                        .Num("Oprc", q.open, true)
                        .Num("Prpr", q.price, true)
                        .Num("Hprc", q.high, true)
                        .Num("Lprc", q.low, true)
                        .Num("Sdpr", q.previous, true)
                        .Num("PrdyVrss", q.change, true)
                        .Num("PrdyCtrt", q.rate, true)
                        .Str());
  }
  return JsonObject()
      .Text("rsp_cd", "00000")
      .Text("rsp_msg", "조회가 완료되었습니다.")
      .Raw("Out", Array(items))
      .Str();
}

std::string DbBrokerPeer::SinglePriceBody(const DbQuote& q) {
  return JsonObject()
      .Text("rsp_cd", "00000")
      .Text("rsp_msg", "ok")
      .Raw("Out", JsonObject()
                      .Num("Prpr", q.price, true)
                      .Num("Oprc", q.open, true)
                      .Num("Hprc", q.high, true)
                      .Num("Lprc", q.low, true)
                      .Num("Sdpr", q.previous, true)
                      .Num("PrprVrssOprcRate", q.rate, true)
                      .Str())
      .Str();
}

std::string DbBrokerPeer::OverseasPriceBody(const DbQuote& q) {
  return JsonObject()
      .Text("rsp_cd", "00000")
      .Text("rsp_msg", "ok")
      .Raw("Out", JsonObject()
                      .Text("Symbl", q.code)
                      .Num("StckPrc", q.price, true)
                      .Num("OpnPrc", q.open, true)
                      .Num("HgstPrc", q.high, true)
                      .Num("LwstPrc", q.low, true)
                      .Num("PrdyPrc", q.previous, true)
                      .Num("PrdyVrss", q.change, true)
                      .Num("PrdyCtrt", q.rate, true)
                      .Str())
      .Str();
}

std::string DbBrokerPeer::CandleBody(const std::vector<DbCandle>& newestFirst, bool minutes) {
  std::vector<std::string> items;
  for (const DbCandle& c : newestFirst) {
    JsonObject row;
    row.Text("Date", c.date);
    if (minutes) {
      char hour[16];
      std::snprintf(hour, sizeof hour, "%06d", c.hour);
      row.Text("Hour", hour);
    }
    items.push_back(row.Num("Prpr", c.close, true)
                        .Num("Oprc", c.open, true)
                        .Num("Hprc", c.high, true)
                        .Num("Lprc", c.low, true)
                        .Num("CntgVol", c.volume, true)
                        .Str());
  }
  return JsonObject().Text("rsp_cd", "00000").Text("rsp_msg", "ok").Raw("Out", Array(items)).Str();
}

std::string DbBrokerPeer::InvestorBody(const std::vector<DbInvestorRow>& newestFirst) {
  std::vector<std::string> items;
  for (const DbInvestorRow& r : newestFirst) {
    items.push_back(JsonObject()
                        .Text("Date", r.date)
                        .Num("AcmlVol", r.volume, true)
                        .Num("Prpr", r.close, true)
                        .Num("OrgnShnuTrPbmn", r.agencyBuyAmount, true)
                        .Num("OrgnSelnTrPbmn", r.agencySellAmount, true)
                        .Num("OrgnShnuVol", r.agencyBuyVolume, true)
                        .Num("OrgnSelnVol", r.agencySellVolume, true)
                        .Num("FrgnRegShnuTrPbmn", r.foreignBuyAmount, true)
                        .Num("FrgnRegSelnTrPbmn", r.foreignSellAmount, true)
                        .Num("FrgnRegShnuVol", r.foreignBuyVolume, true)
                        .Num("FrgnRegSelnVol", r.foreignSellVolume, true)
                        .Str());
  }
  return JsonObject()
      .Text("rsp_cd", "00000")
      .Text("rsp_msg", "ok")
      .Raw("Out", JsonObject().Num("orgn_prsm_avg_pric", 0).Num("for_prsm_avg_pric", 0).Str())
      .Raw("Out1", Array(items))
      .Str();
}

std::vector<std::string> DbBrokerPeer::AskedCodes(const std::string& requestBody, int* dataCount) {
  std::vector<std::string> codes;
  if (dataCount) *dataCount = -1;
  rapidjson::Document doc;
  doc.Parse(requestBody.c_str());
  if (doc.HasParseError() || !doc.IsObject() || !doc.HasMember("In") || !doc["In"].IsObject()) {
    return codes;
  }
  const rapidjson::Value& in = doc["In"];
  if (dataCount && in.HasMember("dataCnt") && in["dataCnt"].IsInt()) {
    *dataCount = in["dataCnt"].GetInt();
  }
  for (int i = 1;; ++i) {
    const std::string name = "InputIscd" + std::to_string(i);
    if (!in.HasMember(name.c_str()) || !in[name.c_str()].IsString()) break;
    codes.push_back(in[name.c_str()].GetString());
  }
  return codes;
}

PeerReply DbBrokerPeer::PriceReply(const RecordedRequest& request) {
  std::vector<DbQuote> found;
  for (const std::string& asked : AskedCodes(request.body, nullptr)) {
    const std::string bare = asked.rfind("N-", 0) == 0 ? asked.substr(2) : asked;
    auto it = quotes_.find(bare);
    if (it == quotes_.end()) continue;
    DbQuote quote = it->second;
    quote.code = asked;
    found.push_back(quote);
  }
  return Json(MultiPriceBody(found));
}

PeerReply DbBrokerPeer::OrderReply(const std::string& path, const RecordedRequest& request) {
  rapidjson::Document doc;
  doc.Parse(request.body.c_str());
  if (doc.HasParseError() || !doc.IsObject() || !doc.HasMember("In") || !doc["In"].IsObject()) {
    return Json("{\"rsp_cd\":\"IGW00002\",\"rsp_msg\":\"invalid request body\"}", 400);
  }
  const rapidjson::Value& in = doc["In"];
  auto text = [&in](const char* name) {
    return in.HasMember(name) && in[name].IsString() ? std::string(in[name].GetString())
                                                     : std::string();
  };
  auto number = [&in](const char* name) {
    return in.HasMember(name) && in[name].IsNumber() ? in[name].GetDouble() : 0.0;
  };
  if (path == kDomesticOrderPath) {
    const std::string code = text("IsuNo");
    const double qty = number("OrdQty");
    const bool buy = text("BnsTpCode") == "2";
    auto row = std::find_if(domesticRows_.begin(), domesticRows_.end(), [&](const DbHoldingRow& r) {
      return r.code == code || r.code == "A" + code;
    });
    const double held =
        row == domesticRows_.end() ? 0 : (row->ableQty >= 0 ? row->ableQty : row->balanceQty);
    if (code.empty() || qty <= 0 || (!buy && qty > held)) {
      return Json(JsonObject()
                      .Text("rsp_cd", "02110")
                      .Text("rsp_msg", "주문가능수량을 초과하였습니다.")
                      .Str());
    }
    double price = number("OrdPrc");
    const auto quote = quotes_.find(code);
    if (price <= 0 && quote != quotes_.end()) price = quote->second.price;
    const double amount = qty * price;
    if (live_ && buy && (price <= 0 || amount > deposit_.withdrawable)) {
      return Json(JsonObject()
                      .Text("rsp_cd", "02111")
                      .Text("rsp_msg", "주문가능금액을 초과하였습니다.")
                      .Str());
    }
    if (live_) {
      const double sign = buy ? -1 : 1;
      deposit_.deposit += sign * amount;
      deposit_.withdrawable += sign * amount;
      deposit_.nextDay += sign * amount;
      if (buy) {
        domesticTotals_.todayBuy += amount;
      } else {
        domesticTotals_.todaySell += amount;
        if (row != domesticRows_.end()) domesticTotals_.realized += qty * (price - row->avgPrice);
      }
    }
    if (row == domesticRows_.end()) {
      DbHoldingRow fresh;
      fresh.code = "A" + code;
      fresh.name = live_ && quote != quotes_.end() ? quote->second.name : code;
      fresh.avgPrice = price;
      fresh.nowPrice = price;
      domesticRows_.push_back(fresh);
      row = domesticRows_.end() - 1;
    }
    const double after = held + (buy ? qty : -qty);
    if (buy && after > 0) row->avgPrice = (held * row->avgPrice + qty * price) / after;
    row->balanceQty = after;
    row->ableQty = after;
    if (after <= 0) domesticRows_.erase(row);
    bodies_[kDomesticBalancePath] = DomesticBalanceBody(domesticTotals_, domesticRows_);
    if (live_) RefreshLiveAccount();
  }
  return Json(JsonObject()
                  .Text("rsp_cd", "00000")
                  .Text("rsp_msg", "주문이 완료되었습니다.")
                  .Raw("Out", JsonObject().Num("OrdNo", ++lastOrderNo_).Str())
                  .Str());
}

void DbBrokerPeer::RotateTokens(bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  rotate_ = on;
}

std::vector<std::string> DbBrokerPeer::IssuedTokens() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return issued_;
}

bool DbBrokerPeer::TokenAccepted(const std::string& authorization) const {
  if (!rotate_) return authorization == "Bearer " + token_;
  for (const std::string& token : issued_)
    if (authorization == "Bearer " + token) return true;
  return false;
}

void DbBrokerPeer::QueueOrderFaults(const std::vector<OrderFault>& faults, const std::string& code,
                                    std::chrono::milliseconds faultDelay) {
  std::lock_guard<std::mutex> lock(mutex_);
  orderFaults_.insert(orderFaults_.end(), faults.begin(), faults.end());
  notAcceptedCode_ = code;
  faultDelay_ = faultDelay;
}

int DbBrokerPeer::OrdersExecuted() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return ordersExecuted_;
}

int DbBrokerPeer::OrdersReceived() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return ordersReceived_;
}

PeerReply DbBrokerPeer::TokenReply(const RecordedRequest& request) {
  if (!refuseCode_.empty()) {
    return Json(JsonObject()
                    .Text("error_code", refuseCode_)
                    .Text("error_description", refuseDescription_)
                    .Str(),
                403);
  }
  if (request.Param("grant_type") != "client_credentials" || request.Param("appkey") != key_ ||
      request.Param(dialect_.secretParam) != secret_) {
    return Json(JsonObject()
                    .Text("error_code", "IGW00123")
                    .Text("error_description", "invalid appkey or appsecretkey")
                    .Str(),
                403);
  }
  std::string token = token_;
  if (rotate_) {
    token += "-" + std::to_string(issued_.size() + 1);
    token.resize(kRotatedTokenLength, 'x');
  }
  issued_.push_back(token);
  return Json(JsonObject()
                  .Text("access_token", token)
                  .Text("token_type", "Bearer")
                  .Raw("expires_in", expiresIn_)
                  .Text("scope", "oob")
                  .Str());
}

PeerReply DbBrokerPeer::Answer(const std::string& path, const RecordedRequest& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  PeerReply reply;
  if (path == dialect_.tokenPath) {
    reply = TokenReply(request);
  } else if (!TokenAccepted(request.Header("Authorization"))) {
    reply = Json(kInvalidTokenBody, 401);
  } else if (auto raw = rawReplies_.find(path); raw != rawReplies_.end()) {
    reply = raw->second;
  } else if (AnswerOwn(path, request, &reply)) {
  } else if (path == dialect_.revokePath) {
    reply = Json(revokeBody_);
  } else if (auto pages = pages_.find(path); pages != pages_.end() && !pages->second.empty()) {
    const std::string key = request.Header(dialect_.contKeyHeader);
    size_t index = 0;
    if (!key.empty()) {
      index = pages->second.size();
      for (size_t i = 0; i + 1 < pages->second.size(); ++i) {
        if (pages->second[i].contKey == key) index = i + 1;
      }
    }
    if (index < pages->second.size()) {
      reply = Json(pages->second[index].body);
      if (!pages->second[index].contKey.empty()) {
        reply.headers.emplace_back(dialect_.contKeyHeader, pages->second[index].contKey);
      }
    } else {
      reply = Json("{\"rsp_cd\":\"IGW00200\",\"rsp_msg\":\"unknown continuation key\"}");
    }
  } else if (path == kDomesticPricePath || path == kOverseasPricePath) {
    reply = PriceReply(request);
  } else if (path == kDomesticOrderPath || path == kOverseasOrderPath) {
    ++ordersReceived_;
    OrderFault fault = OrderFault::kNone;
    if (!orderFaults_.empty()) {
      fault = orderFaults_.front();
      orderFaults_.erase(orderFaults_.begin());
    }
    if (fault == OrderFault::kNotAccepted) {
      reply = Json(JsonObject()
                       .Text("rsp_cd", notAcceptedCode_)
                       .Text("rsp_msg", "주문이 접수되지 않았습니다. 다시 주문하십시오.")
                       .Str());
    } else {
      const int numberBefore = lastOrderNo_;
      reply = OrderReply(path, request);
      if (lastOrderNo_ != numberBefore) ++ordersExecuted_;
      switch (fault) {
        case OrderFault::kReset:
          reply.wire = PeerReply::Wire::kReset;
          break;
        case OrderFault::kTimeout:
          reply.delay = faultDelay_;
          break;
        case OrderFault::kServerError:
          reply = Json("<html><body>500 Internal Server Error</body></html>", 500);
          reply.contentType = "text/html";
          break;
        case OrderFault::kCutReply:
          reply.wire = PeerReply::Wire::kCut;
          break;
        case OrderFault::kCutJson:
          reply.body = reply.body.substr(0, reply.body.size() / 2);
          break;
        default:
          break;
      }
    }
  } else {
    reply = Json(bodies_[path]);
  }
  if (auto delay = delays_.find(path); delay != delays_.end()) reply.delay = delay->second;
  return reply;
}

}  // namespace orv::test
