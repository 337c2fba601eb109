#include "tests/peers/KiwoomBrokerPeer.h"

#include <rapidjson/document.h>

#include <algorithm>
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
       {kTokenPath, kRevokePath, kAccountPath, kStockInfoPath, kMarketConditionPath, kChartPath,
        kShortSellingPath, kCashOrderPath, kCreditOrderPath}) {
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

void KiwoomBrokerPeer::SetRawReply(const std::string& apiId, const std::string& body, int status,
                                   const std::string& contentType) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (body.empty()) {
    rawReplies_.erase(apiId);
  } else {
    rawReplies_[apiId] = {body, status, contentType};
  }
}

void KiwoomBrokerPeer::SetCandles(const std::string& apiId,
                                  const std::vector<KiwoomCandle>& newestFirst) {
  std::lock_guard<std::mutex> lock(mutex_);
  candles_[apiId] = newestFirst;
}

void KiwoomBrokerPeer::SetInvestorRows(const std::vector<KiwoomInvestorRow>& newestFirst) {
  std::lock_guard<std::mutex> lock(mutex_);
  investorRows_ = newestFirst;
  investorSet_ = true;
}

void KiwoomBrokerPeer::SetShortRows(const std::vector<KiwoomShortRow>& newestFirst) {
  std::lock_guard<std::mutex> lock(mutex_);
  shortRows_ = newestFirst;
  shortSet_ = true;
}

void KiwoomBrokerPeer::SetBidAsk(const std::string& askedCode, const KiwoomBidAsk& values) {
  std::lock_guard<std::mutex> lock(mutex_);
  bidAsk_[askedCode] = values;
}

void KiwoomBrokerPeer::SetLiveAccount(bool live) {
  std::lock_guard<std::mutex> lock(mutex_);
  live_ = live;
}

int KiwoomBrokerPeer::OrdersReceived() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return ordersReceived_;
}

int KiwoomBrokerPeer::LastOrderNo() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lastOrderNo_;
}

std::vector<KiwoomHolding> KiwoomBrokerPeer::Holdings() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<KiwoomHolding> out;
  for (const auto& page : balancePages_) out.insert(out.end(), page.begin(), page.end());
  return out;
}

std::string KiwoomBrokerPeer::KstToday() { return KstDateTime(0).substr(0, 8); }

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
  const bool order = path == kCashOrderPath || path == kCreditOrderPath;
  PeerReply reply;
  if (auto raw = rawReplies_.find(apiId); raw != rawReplies_.end()) {
    reply = Json(raw->second.body, raw->second.status);
    reply.contentType = raw->second.contentType;
    if (order) ++ordersReceived_;
  } else if (order) {
    reply = OrderReply(path, apiId, request);
  } else if (path == kChartPath && (apiId == "ka10081" || apiId == "ka10080")) {
    reply = ChartReply(apiId, request);
  } else if (path == kMarketConditionPath && apiId == "ka10045") {
    reply = TrendReply(request);
  } else if (path == kShortSellingPath && apiId == "ka10014") {
    reply = ShortReply(request);
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
    reply = BidAskReply(request);
  } else {
    reply = Json("{\"return_code\":2,\"return_msg\":\"API ID를 확인하세요\"}");
  }
  if (auto delay = delays_.find(apiId); delay != delays_.end()) reply.delay = delay->second;
  return reply;
}

PeerReply KiwoomBrokerPeer::OrderReply(const std::string& path, const std::string& apiId,
                                        const RecordedRequest& request) {
  ++ordersReceived_;
  auto refuse = [](int code, const std::string& message) {
    return Json(JsonObject().Raw("return_code", std::to_string(code)).Text("return_msg", message).Str());
  };
  rapidjson::Document doc;
  doc.Parse(request.body.c_str());
  if (doc.HasParseError() || !doc.IsObject()) {
    return Json("{\"return_code\":1,\"return_msg\":\"입력 값 형식이 올바르지 않습니다\"}", 400);
  }
  const bool credit = path == kCreditOrderPath;
  const bool buy = apiId == (credit ? "kt10006" : "kt10000");
  if (!buy && apiId != (credit ? "kt10007" : "kt10001")) return refuse(2, "API ID를 확인하세요");
  const std::string exchange = Member(request.body, "dmst_stex_tp");
  const std::string code = Member(request.body, "stk_cd");
  const double qty = std::atof(Member(request.body, "ord_qty").c_str());
  double price = std::atof(Member(request.body, "ord_uv").c_str());
  const std::string priceType = Member(request.body, "trde_tp");
  if (exchange != "KRX" && exchange != "NXT" && exchange != "SOR")
    return refuse(2, "거래소구분을 확인하세요");
  if (code.empty() || !(qty > 0) || priceType.empty()) return refuse(2, "주문수량을 확인하세요");
  if (credit && (Member(request.body, "crd_deal_tp") != "33" ||
                 Member(request.body, "crd_loan_dt").size() != 8)) {
    return refuse(2, "신용거래구분을 확인하세요");
  }
  if (live_) {
    if (price <= 0) {
      auto quote = quotes_.find(code);
      if (quote != quotes_.end()) price = quote->second.price;
    }
    double held = 0;
    KiwoomHolding* row = nullptr;
    for (auto& page : balancePages_) {
      for (KiwoomHolding& h : page) {
        if (h.code == code || h.code == "A" + code) {
          held += h.quantity;
          if (!row) row = &h;
        }
      }
    }
    const double amount = qty * price;
    if (!buy && qty > held) return refuse(20, "[2000](RC4025:매도가능수량이 부족합니다)");
    if (buy && (price <= 0 || amount > deposit_.entr)) {
      return refuse(20, "[2000](RC4007:주문가능금액이 부족합니다)");
    }
    const double sign = buy ? -1 : 1;
    deposit_.entr += sign * amount;
    deposit_.d2 += sign * amount;
    deposit_.nextDayAsset += sign * amount;
    if (!row) {
      if (balancePages_.empty()) balancePages_.emplace_back();
      KiwoomHolding fresh;
      fresh.code = "A" + code;
      auto quote = quotes_.find(code);
      fresh.name = quote != quotes_.end() ? quote->second.name : code;
      fresh.avgPrice = price;
      balancePages_.front().push_back(fresh);
      row = &balancePages_.front().back();
    }
    const double after = row->quantity + (buy ? qty : -qty);
    if (buy && after > 0) row->avgPrice = (row->quantity * row->avgPrice + qty * price) / after;
    row->quantity = after;
    for (auto& page : balancePages_) {
      page.erase(std::remove_if(page.begin(), page.end(),
                                [](const KiwoomHolding& h) { return h.quantity <= 0; }),
                 page.end());
    }
  }
  char orderNo[16];
  std::snprintf(orderNo, sizeof orderNo, "%07d", ++lastOrderNo_);
  return Json(JsonObject()
                  .Text("ord_no", orderNo)
                  .Text("dmst_stex_tp", exchange)
                  .Raw("return_code", "0")
                  .Text("return_msg", buy ? "매수주문이 완료되었습니다" : "매도주문이 완료되었습니다")
                  .Str());
}

PeerReply KiwoomBrokerPeer::ChartReply(const std::string& apiId,
                                       const RecordedRequest& request) const {
  const bool days = apiId == "ka10081";
  const std::string code = Member(request.body, "stk_cd");
  std::vector<KiwoomCandle> rows;
  if (auto set = candles_.find(apiId); set != candles_.end()) {
    rows = set->second;
  } else if (auto quote = quotes_.find(code); quote != quotes_.end()) {
    const KiwoomQuote& q = quote->second;
    rows.push_back({days ? KstToday() : KstDateTime(0), q.open, q.high, q.low, q.price, 1000,
                    q.falling});
  }
  std::vector<std::string> items;
  for (const KiwoomCandle& c : rows) {
    JsonObject row;
    row.Raw("cur_prc", Padded(c.close, c.falling))
        .Raw("trde_qty", Padded(c.volume))
        .Raw("trde_prica", Padded(c.volume * c.close / 1000000))
        .Text(days ? "dt" : "cntr_tm", c.date)
        .Raw("open_pric", Padded(c.open, c.falling))
        .Raw("high_pric", Padded(c.high, c.falling))
        .Raw("low_pric", Padded(c.low, c.falling));
    items.push_back(row.Str());
  }
  return Json(JsonObject()
                  .Text("stk_cd", code)
                  .Raw(days ? "stk_dt_pole_chart_qry" : "stk_min_pole_chart_qry", Array(items))
                  .Raw("return_code", "0")
                  .Text("return_msg", kDone)
                  .Str());
}

PeerReply KiwoomBrokerPeer::TrendReply(const RecordedRequest& request) const {
  std::vector<KiwoomInvestorRow> rows = investorRows_;
  if (!investorSet_) {
    auto quote = quotes_.find(Member(request.body, "stk_cd"));
    if (quote != quotes_.end()) rows.push_back({KstToday(), quote->second.price, 0, 0, 0});
  }
  std::vector<std::string> items;
  for (const KiwoomInvestorRow& r : rows) {
    items.push_back(JsonObject()
                        .Text("dt", r.date)
                        .Raw("close_pric", Padded(r.close))
                        .Raw("trde_qty", Padded(1000))
                        .Raw("orgn_daly_nettrde_qty", Padded(r.agency, r.agency < 0))
                        .Raw("for_daly_nettrde_qty", Padded(r.foreigner, r.foreigner < 0))
                        .Raw("limit_exh_rt", Rate(r.ratio))
                        .Raw("orgn_dt_acc", Padded(0))
                        .Raw("for_dt_acc", Padded(0))
                        .Str());
  }
  return Json(JsonObject()
                  .Raw("orgn_prsm_avg_pric", Padded(0))
                  .Raw("for_prsm_avg_pric", Padded(0))
                  .Raw("stk_orgn_fornr_trde_trnsn", Array(items))
                  .Raw("return_code", "0")
                  .Text("return_msg", kDone)
                  .Str());
}

PeerReply KiwoomBrokerPeer::ShortReply(const RecordedRequest& request) const {
  std::vector<KiwoomShortRow> rows = shortRows_;
  if (!shortSet_) {
    auto quote = quotes_.find(Member(request.body, "stk_cd"));
    if (quote != quotes_.end()) rows.push_back({KstToday(), quote->second.price, 0, 0, 0, 0});
  }
  std::vector<std::string> items;
  for (const KiwoomShortRow& r : rows) {
    items.push_back(JsonObject()
                        .Text("dt", r.date)
                        .Raw("close_pric", Padded(r.close))
                        .Raw("pred_pre_sig", "\"3\"")
                        .Raw("flu_rt", Rate(r.rate))
                        .Raw("trde_qty", Padded(1000))
                        .Raw("shrts_qty", Padded(r.qty))
                        .Raw("ovr_shrts_qty", Padded(r.sum))
                        .Raw("trde_wght", Rate(r.weight))
                        .Raw("shrts_trde_prica", Padded(r.qty * r.close))
                        .Raw("shrts_avg_pric", Padded(r.close))
                        .Str());
  }
  return Json(JsonObject()
                  .Raw("shrts_trnsn", Array(items))
                  .Raw("return_code", "0")
                  .Text("return_msg", kDone)
                  .Str());
}

PeerReply KiwoomBrokerPeer::BidAskReply(const RecordedRequest& request) const {
  const std::string asked = Member(request.body, "stk_cd");
  KiwoomBidAsk v;
  if (auto set = bidAsk_.find(asked); set != bidAsk_.end()) {
    v = set->second;
  } else if (auto quote = quotes_.find(Bare(asked)); quote != quotes_.end()) {
    const double p = quote->second.price;
    v = {p + 100, 120, p, 80, p + 200, 300, p - 100, 250, quote->second.falling};
  }
  return Json(JsonObject()
                  .Text("bid_req_base_tm", "093000")
                  .Raw("sel_2th_pre_req", Padded(v.ask2Qty))
                  .Raw("sel_2th_pre_bid", Padded(v.ask2Price, v.falling))
                  .Raw("sel_fpr_req", Padded(v.askQty))
                  .Raw("sel_fpr_bid", Padded(v.askPrice, v.falling))
                  .Raw("buy_fpr_bid", Padded(v.bidPrice, v.falling))
                  .Raw("buy_fpr_req", Padded(v.bidQty))
                  .Raw("buy_2th_pre_bid", Padded(v.bid2Price, v.falling))
                  .Raw("buy_2th_pre_req", Padded(v.bid2Qty))
                  .Raw("return_code", "0")
                  .Text("return_msg", kDone)
                  .Str());
}

}  // namespace orv::test
