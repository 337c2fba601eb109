#include "tests/peers/DbBrokerPeer.h"

#include <cstdio>
#include <sstream>

namespace orv::test {
namespace {

constexpr const char* kInvalidTokenBody =
    "{\"rsp_cd\":\"IGW00121\",\"rsp_msg\":\"invalid access token\"}";

std::string Number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
}

// A JSON string literal (the test texts need only quotes and backslashes escaped).
std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

class JsonObject {
 public:
  JsonObject& Num(const char* name, double value, bool asText = false) {
    return Raw(name, asText ? Quoted(Number(value)) : Number(value));
  }
  JsonObject& Text(const char* name, const std::string& value) { return Raw(name, Quoted(value)); }
  JsonObject& Raw(const char* name, const std::string& json) {
    if (!body_.empty()) body_ += ',';
    body_ += Quoted(name) + ':' + json;
    return *this;
  }
  std::string Str() const { return "{" + body_ + "}"; }

 private:
  std::string body_;
};

std::string Array(const std::vector<std::string>& items) {
  std::string out = "[";
  for (size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + items[i];
  return out + "]";
}

PeerReply Json(const std::string& body, int status = 200) {
  PeerReply reply;
  reply.status = status;
  reply.body = body;
  return reply;
}

}  // namespace

DbBrokerPeer::DbBrokerPeer() : http_(std::make_unique<HttpPeer>()) { Install(); }

DbBrokerPeer::DbBrokerPeer(const TestCa& ca) : http_(std::make_unique<HttpPeer>(ca)) { Install(); }

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
  for (const char* path :
       {kTokenPath, kRevokePath, kDepositPath, kDomesticBalancePath, kOverseasBalancePath}) {
    http_->On("POST", path,
              [this, p = std::string(path)](const RecordedRequest& r) { return Answer(p, r); });
  }
  SetDeposit({});
  SetDomesticBalance({}, {});
  SetOverseasBalance({}, {});
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
  bodies_[kDepositPath] = DepositBody(deposit);
}

void DbBrokerPeer::SetDomesticBalance(const DbDomesticTotals& totals,
                                      const std::vector<DbHoldingRow>& rows) {
  std::lock_guard<std::mutex> lock(mutex_);
  bodies_[kDomesticBalancePath] = DomesticBalanceBody(totals, rows);
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

PeerReply DbBrokerPeer::TokenReply(const RecordedRequest& request) {
  if (!refuseCode_.empty()) {
    return Json(JsonObject()
                    .Text("error_code", refuseCode_)
                    .Text("error_description", refuseDescription_)
                    .Str(),
                403);
  }
  if (request.Param("grant_type") != "client_credentials" || request.Param("appkey") != key_ ||
      request.Param("appsecretkey") != secret_) {
    return Json(JsonObject()
                    .Text("error_code", "IGW00123")
                    .Text("error_description", "invalid appkey or appsecretkey")
                    .Str(),
                403);
  }
  return Json(JsonObject()
                  .Text("access_token", token_)
                  .Text("token_type", "Bearer")
                  .Raw("expires_in", expiresIn_)
                  .Text("scope", "oob")
                  .Str());
}

PeerReply DbBrokerPeer::Answer(const std::string& path, const RecordedRequest& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  PeerReply reply;
  if (path == kTokenPath) {
    reply = TokenReply(request);
  } else if (request.Header("Authorization") != "Bearer " + token_) {
    reply = Json(kInvalidTokenBody, 401);
  } else if (path == kRevokePath) {
    reply = Json(revokeBody_);
  } else if (auto pages = pages_.find(path); pages != pages_.end() && !pages->second.empty()) {
    const std::string key = request.Header("cont_key");
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
        reply.headers.emplace_back("cont_key", pages->second[index].contKey);
      }
    } else {
      reply = Json("{\"rsp_cd\":\"IGW00200\",\"rsp_msg\":\"unknown continuation key\"}");
    }
  } else {
    reply = Json(bodies_[path]);
  }
  if (auto delay = delays_.find(path); delay != delays_.end()) reply.delay = delay->second;
  return reply;
}

}  // namespace orv::test
