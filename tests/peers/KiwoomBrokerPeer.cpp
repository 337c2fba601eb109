#include "tests/peers/KiwoomBrokerPeer.h"

#include <rapidjson/document.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "tests/peers/PeerJson.h"

namespace orv::test {
namespace {

using namespace peer_json;

constexpr const char* kInvalidTokenBody =
    "{\"return_code\":3,\"return_msg\":\"[8005:Token이 유효하지 않습니다]\"}";
constexpr const char* kDone = "정상적으로 처리되었습니다";

// A number as the broker writes it: zero-padded text, with a leading minus when `negative`.
std::string Padded(double value, bool negative = false) {
  char text[64];
  std::snprintf(text, sizeof text, "\"%s%012.0f\"", negative ? "-" : "", std::fabs(value));
  return text;
}

// A rate as text with two decimals and its sign ("+1.25", "-0.40").
std::string Rate(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "\"%+.2f\"", value);
  return text;
}

std::string Member(const std::string& body, const char* name) {
  rapidjson::Document doc;
  doc.Parse(body.c_str());
  if (doc.HasParseError() || !doc.IsObject() || !doc.HasMember(name) || !doc[name].IsString())
    return {};
  return doc[name].GetString();
}

std::string Bare(const std::string& code) {
  const size_t bar = code.find('_');
  return bar == std::string::npos ? code : code.substr(0, bar);
}

}  // namespace

KiwoomBrokerPeer::KiwoomBrokerPeer() : http_(std::make_unique<HttpPeer>()) { Install(); }

KiwoomBrokerPeer::KiwoomBrokerPeer(const TestCa& ca) : http_(std::make_unique<HttpPeer>(ca)) {
  Install();
}

KiwoomBrokerPeer::~KiwoomBrokerPeer() { Stop(); }

bool KiwoomBrokerPeer::Start() { return http_->Start(); }

void KiwoomBrokerPeer::Stop() { http_->Stop(); }

void KiwoomBrokerPeer::Install() {
  for (const char* path :
       {kTokenPath, kRevokePath, kAccountPath, kStockInfoPath, kMarketConditionPath}) {
    http_->On("POST", path,
              [this, p = std::string(path)](const RecordedRequest& r) { return Answer(p, r); });
  }
}

std::vector<RecordedRequest> KiwoomBrokerPeer::RequestsFor(const std::string& apiId) const {
  std::vector<RecordedRequest> out;
  for (const RecordedRequest& r : http_->Requests()) {
    if (r.Header("api-id") == apiId) out.push_back(r);
  }
  return out;
}

void KiwoomBrokerPeer::AcceptCredentials(const std::string& key, const std::string& secret) {
  std::lock_guard<std::mutex> lock(mutex_);
  key_ = key;
  secret_ = secret;
  refuseCode_ = 0;
}

void KiwoomBrokerPeer::SetToken(const std::string& token, const std::string& expiresDtJson) {
  std::lock_guard<std::mutex> lock(mutex_);
  token_ = token;
  expiresDt_ = expiresDtJson;
  expiresSet_ = true;
}

void KiwoomBrokerPeer::RefuseToken(int code, const std::string& message) {
  std::lock_guard<std::mutex> lock(mutex_);
  refuseCode_ = code;
  refuseMessage_ = message;
}

void KiwoomBrokerPeer::SetRevokeReply(const std::string& body) {
  std::lock_guard<std::mutex> lock(mutex_);
  revokeBody_ = body;
}

void KiwoomBrokerPeer::SetDeposit(const KiwoomDeposit& deposit) {
  std::lock_guard<std::mutex> lock(mutex_);
  deposit_ = deposit;
}

void KiwoomBrokerPeer::SetBalancePages(const std::vector<std::vector<KiwoomHolding>>& pages) {
  std::lock_guard<std::mutex> lock(mutex_);
  balancePages_ = pages;
}

void KiwoomBrokerPeer::SetListPages(const std::vector<std::vector<KiwoomListRow>>& pages) {
  std::lock_guard<std::mutex> lock(mutex_);
  listPages_.clear();
  for (const auto& rows : pages) listPages_.push_back(ListBody(rows));
}

void KiwoomBrokerPeer::SetQuotes(const std::vector<KiwoomQuote>& quotes) {
  std::lock_guard<std::mutex> lock(mutex_);
  quotes_.clear();
  for (const KiwoomQuote& q : quotes) quotes_[q.code] = q;
}

std::vector<KiwoomQuote> KiwoomBrokerPeer::Quotes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<KiwoomQuote> out;
  for (const auto& entry : quotes_) out.push_back(entry.second);
  return out;
}

void KiwoomBrokerPeer::SetRawReply(const std::string& apiId, const std::string& body) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (body.empty()) {
    rawReplies_.erase(apiId);
  } else {
    rawReplies_[apiId] = body;
  }
}

void KiwoomBrokerPeer::SetDelay(const std::string& apiId, std::chrono::milliseconds delay) {
  std::lock_guard<std::mutex> lock(mutex_);
  delays_[apiId] = delay;
}

std::string KiwoomBrokerPeer::KstDateTime(long long secondsFromNow) {
  const std::time_t at = std::time(nullptr) + static_cast<std::time_t>(secondsFromNow) + 9 * 3600;
  std::tm tm{};
  gmtime_r(&at, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &tm);
  return text;
}

std::string KiwoomBrokerPeer::DepositBody(const KiwoomDeposit& deposit) {
  return JsonObject()
      .Text("acnt_nm", "키움테스트")
      .Text("brch_nm", "본점")
      .Raw("entr", Padded(deposit.entr))
      .Raw("d2_entra", Padded(deposit.d2))
      .Raw("tot_pur_amt", Padded(deposit.purchase))
      .Raw("prsm_dpst_aset_amt", Padded(deposit.nextDayAsset))
      .Raw("return_code", "0")
      .Text("return_msg", kDone)
      .Str();
}

std::string KiwoomBrokerPeer::BalanceBody(const std::vector<KiwoomHolding>& rows, double purchase,
                                          double evaluation) {
  std::vector<std::string> items;
  for (const KiwoomHolding& h : rows) {
    JsonObject row;
    row.Text("stk_cd", h.code)
        .Text("stk_nm", h.name)
        .Raw("rmnd_qty", Padded(h.quantity))
        .Raw("trde_able_qty", Padded(h.quantity))
        .Raw("pur_pric", Padded(h.avgPrice, h.falling))
        .Raw("cur_prc", Padded(h.nowPrice, h.falling))
        .Raw("pur_amt", Padded(h.quantity * h.avgPrice))
        .Raw("evlt_amt", Padded(h.quantity * h.nowPrice))
        .Raw("tax", Padded(0))
        .Raw("sum_cmsn", Padded(0))
        .Text("crd_tp", std::to_string(h.creditKind));
    if (h.loanDate > 0) row.Text("crd_loan_dt", std::to_string(h.loanDate));
    items.push_back(row.Str());
  }
  return JsonObject()
      .Raw("tot_pur_amt", Padded(purchase))
      .Raw("tot_evlt_amt", Padded(evaluation))
      .Raw("tot_crd_loan_amt", Padded(0))
      .Raw("prsm_dpst_aset_amt", Padded(evaluation))
      .Raw("acnt_evlt_remn_indv_tot", Array(items))
      .Raw("return_code", "0")
      .Text("return_msg", kDone)
      .Str();
}

std::string KiwoomBrokerPeer::ListBody(const std::vector<KiwoomListRow>& rows) {
  std::vector<std::string> items;
  for (const KiwoomListRow& r : rows) {
    items.push_back(JsonObject()
                        .Text("code", r.code)
                        .Text("name", r.name)
                        .Text("marketCode", r.marketCode)
                        .Text("state", "증거금20%")
                        .Raw("lastPrice", Padded(r.lastPrice))
                        .Str());
  }
  return JsonObject()
      .Raw("list", Array(items))
      .Raw("return_code", "0")
      .Text("return_msg", kDone)
      .Str();
}

std::string KiwoomBrokerPeer::PriceBody(const std::vector<std::string>& asked,
                                        const std::map<std::string, KiwoomQuote>& quotes) {
  std::vector<std::string> items;
  for (const std::string& code : asked) {
    auto it = quotes.find(Bare(code));
    if (it == quotes.end()) continue;
    const KiwoomQuote& q = it->second;
    items.push_back(JsonObject()
                        .Text("stk_cd", code)
                        .Text("stk_nm", q.name)
                        .Raw("cur_prc", Padded(q.price, q.falling))
                        .Raw("open_pric", Padded(q.open, q.falling))
                        .Raw("high_pric", Padded(q.high, q.falling))
                        .Raw("low_pric", Padded(q.low, q.falling))
                        .Raw("pred_pre", Padded(q.change, q.change < 0))
                        .Raw("flu_rt", Rate(q.rate))
                        .Raw("trde_qty", Padded(1000))
                        .Text("dt", "20261210")
                        .Text("bid_tm", "093000")
                        .Raw("sel_bid", Padded(q.price))
                        .Raw("buy_bid", Padded(q.price))
                        .Raw("close_pric", Padded(q.price))
                        .Str());
  }
  return JsonObject()
      .Raw("atn_stk_infr", Array(items))
      .Raw("return_code", "0")
      .Text("return_msg", kDone)
      .Str();
}

std::vector<std::string> KiwoomBrokerPeer::BalanceBodies() const {
  // The totals cover every page; rows without a price take the current quote.
  std::vector<std::vector<KiwoomHolding>> pages = balancePages_;
  double purchase = 0;
  double evaluation = 0;
  for (auto& page : pages) {
    for (KiwoomHolding& h : page) {
      if (h.nowPrice == 0) {
        auto it = quotes_.find(h.code[0] == 'A' ? h.code.substr(1) : h.code);
        if (it != quotes_.end()) h.nowPrice = it->second.price;
      }
      purchase += h.quantity * h.avgPrice;
      evaluation += h.quantity * h.nowPrice;
    }
  }
  if (pages.empty()) pages.emplace_back();
  std::vector<std::string> bodies;
  for (const auto& page : pages) bodies.push_back(BalanceBody(page, purchase, evaluation));
  return bodies;
}

PeerReply KiwoomBrokerPeer::PageReply(const std::vector<std::string>& pages,
                                      const std::string& apiId,
                                      const RecordedRequest& request) const {
  const std::string key = request.Header("next-key");
  size_t index = 0;
  if (!key.empty()) {
    const std::string prefix = apiId + "-";
    index = key.compare(0, prefix.size(), prefix) == 0
                ? static_cast<size_t>(std::atoi(key.c_str() + prefix.size()))
                : pages.size();
    if (request.Header("cont-yn") != "Y") index = pages.size();
  }
  if (index >= pages.size()) {
    return Json("{\"return_code\":2,\"return_msg\":\"연속조회키가 올바르지 않습니다\"}");
  }
  PeerReply reply = Json(pages[index]);
  const bool more = index + 1 < pages.size();
  reply.headers.emplace_back("cont-yn", more ? "Y" : "N");
  reply.headers.emplace_back("next-key", more ? apiId + "-" + std::to_string(index + 1) : "");
  reply.headers.emplace_back("api-id", apiId);
  return reply;
}

PeerReply KiwoomBrokerPeer::TokenReply(const RecordedRequest& request) {
  if (refuseCode_ != 0) {
    return Json(JsonObject()
                    .Raw("return_code", std::to_string(refuseCode_))
                    .Text("return_msg", refuseMessage_)
                    .Str());
  }
  if (Member(request.body, "grant_type") != "client_credentials" ||
      Member(request.body, "appkey") != key_ || Member(request.body, "secretkey") != secret_) {
    return Json(JsonObject()
                    .Raw("return_code", "3")
                    .Text("return_msg", "[8030:투자구분(실전/모의)이 달라서 거래가 불가합니다]")
                    .Str());
  }
  JsonObject reply;
  const std::string expires = expiresSet_ ? expiresDt_ : Quoted(KstDateTime(86400));
  if (!expires.empty()) reply.Raw("expires_dt", expires);
  return Json(reply.Text("token_type", "bearer")
                  .Text("token", token_)
                  .Raw("return_code", "0")
                  .Text("return_msg", kDone)
                  .Str());
}

PeerReply KiwoomBrokerPeer::Answer(const std::string& path, const RecordedRequest& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (path == kTokenPath) return TokenReply(request);
  if (request.Header("Authorization") != "Bearer " + token_) return Json(kInvalidTokenBody, 401);
  if (path == kRevokePath) return Json(revokeBody_);

  const std::string apiId = request.Header("api-id");
  PeerReply reply;
  if (auto raw = rawReplies_.find(apiId); raw != rawReplies_.end()) {
    reply = Json(raw->second);
  } else if (path == kAccountPath && apiId == "kt00004") {
    reply = Json(DepositBody(deposit_));
  } else if (path == kAccountPath && apiId == "kt00018") {
    reply = PageReply(BalanceBodies(), apiId, request);
  } else if (path == kStockInfoPath && apiId == "ka10099") {
    reply = PageReply(listPages_.empty() ? std::vector<std::string>{ListBody({})} : listPages_,
                      apiId, request);
  } else if (path == kStockInfoPath && apiId == "ka10095") {
    std::vector<std::string> asked;
    const std::string list = Member(request.body, "stk_cd");
    size_t pos = 0;
    while (pos <= list.size() && !list.empty()) {
      size_t bar = list.find('|', pos);
      if (bar == std::string::npos) bar = list.size();
      asked.push_back(list.substr(pos, bar - pos));
      pos = bar + 1;
    }
    reply = Json(PriceBody(asked, quotes_));
  } else if (path == kMarketConditionPath && apiId == "ka10004") {
    reply = Json("{\"return_code\":0,\"return_msg\":\"정상적으로 처리되었습니다\"}");
  } else {
    reply = Json("{\"return_code\":2,\"return_msg\":\"API ID를 확인하세요\"}");
  }
  if (auto delay = delays_.find(apiId); delay != delays_.end()) reply.delay = delay->second;
  return reply;
}

}  // namespace orv::test
