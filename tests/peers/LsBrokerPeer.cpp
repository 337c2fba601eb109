#include "tests/peers/LsBrokerPeer.h"

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <cstdlib>

namespace orv::test {
namespace {

using Writer = rapidjson::Writer<rapidjson::StringBuffer>;

PeerReply JsonReply(const std::string& body, int status = 200) {
  PeerReply reply;
  reply.status = status;
  reply.body = body;
  return reply;
}

// Builds one JSON reply with rapidjson's writer.
class Json {
 public:
  Json() { w_.StartObject(); }
  Json& Text(const char* name, const std::string& value) {
    w_.Key(name);
    w_.String(value.c_str(), static_cast<rapidjson::SizeType>(value.size()));
    return *this;
  }
  Json& Num(const char* name, double value) {
    w_.Key(name);
    w_.Double(value);
    return *this;
  }
  Json& Int(const char* name, int64_t value) {
    w_.Key(name);
    w_.Int64(value);
    return *this;
  }
  Json& Open(const char* name) {
    w_.Key(name);
    w_.StartObject();
    return *this;
  }
  Json& OpenArray(const char* name) {
    w_.Key(name);
    w_.StartArray();
    return *this;
  }
  Json& Item() {
    w_.StartObject();
    return *this;
  }
  Json& Close() {
    w_.EndObject();
    return *this;
  }
  Json& CloseArray() {
    w_.EndArray();
    return *this;
  }
  std::string Str() {
    w_.EndObject();
    return buf_.GetString();
  }

 private:
  rapidjson::StringBuffer buf_;
  Writer w_{buf_};
};

// The number of the key "k<n>" (0 for anything else, the first page's empty key included).
size_t PageOfKey(const std::string& key) {
  if (key.size() < 2 || key[0] != 'k') return 0;
  return static_cast<size_t>(std::strtoul(key.c_str() + 1, nullptr, 10));
}

}  // namespace

LsBrokerPeer::LsBrokerPeer() : http_(std::make_unique<HttpPeer>()) { Install(); }

LsBrokerPeer::LsBrokerPeer(const TestCa& ca) : http_(std::make_unique<HttpPeer>(ca)) { Install(); }

LsBrokerPeer::~LsBrokerPeer() { Stop(); }

bool LsBrokerPeer::Start(int port) { return http_->Start(port); }

void LsBrokerPeer::Stop() { http_->Stop(); }

std::vector<RecordedRequest> LsBrokerPeer::RequestsTo(const std::string& path) const {
  std::vector<RecordedRequest> out;
  for (const RecordedRequest& r : http_->Requests()) {
    if (r.path == path) out.push_back(r);
  }
  return out;
}

void LsBrokerPeer::Install() {
  for (const char* path : {kTokenPath, kRevokePath, kAccountPath, kOverseasAccountPath,
                           kDomesticListPath, kOverseasListPath, kDomesticPricePath,
                           kOverseasPricePath, kDomesticOrderPath, kOverseasOrderPath}) {
    const std::string p = path;
    http_->On("POST", p, [this, p](const RecordedRequest& r) { return Answer(p, r); });
  }
}

void LsBrokerPeer::AcceptCredentials(const std::string& key, const std::string& secret) {
  std::lock_guard<std::mutex> lock(mutex_);
  key_ = key;
  secret_ = secret;
}

void LsBrokerPeer::SetToken(const std::string& token, const std::string& expiresInJson) {
  std::lock_guard<std::mutex> lock(mutex_);
  token_ = token;
  expiresIn_ = expiresInJson;
}

void LsBrokerPeer::RefuseToken(const std::string& code, const std::string& message) {
  std::lock_guard<std::mutex> lock(mutex_);
  refuseCode_ = code;
  refuseMessage_ = message;
}

void LsBrokerPeer::SetRevokeReply(const std::string& body) {
  std::lock_guard<std::mutex> lock(mutex_);
  revokeBody_ = body;
}

void LsBrokerPeer::SetDeposit(double deposit, double withdrawable, double margin, double nextDay) {
  std::lock_guard<std::mutex> lock(mutex_);
  deposit_[0] = deposit;
  deposit_[1] = withdrawable;
  deposit_[2] = margin;
  deposit_[3] = nextDay;
}

void LsBrokerPeer::SetDomesticHoldings(const std::vector<LsHolding>& rows) {
  std::lock_guard<std::mutex> lock(mutex_);
  domestic_ = rows;
}

void LsBrokerPeer::SetOverseasHoldings(const std::vector<LsHolding>& rows) {
  std::lock_guard<std::mutex> lock(mutex_);
  overseas_ = rows;
}

void LsBrokerPeer::SetBalancePageSize(size_t rows) {
  std::lock_guard<std::mutex> lock(mutex_);
  pageSize_ = rows > 0 ? rows : 1;
}

void LsBrokerPeer::SetEndlessBalance(bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  endless_ = on;
}

void LsBrokerPeer::SetContKeyLength(size_t length) {
  std::lock_guard<std::mutex> lock(mutex_);
  keyLength_ = length;
}

std::string LsBrokerPeer::KeyOf(size_t page) const {
  std::string key = "k" + std::to_string(page);
  if (key.size() < keyLength_) key.resize(keyLength_, 'x');
  return key;
}

void LsBrokerPeer::SetListPages(const std::string& path,
                                const std::vector<std::vector<LsListRow>>& pages,
                                const std::string& lastKey) {
  std::lock_guard<std::mutex> lock(mutex_);
  lists_[path] = pages;
  listLastKey_[path] = lastKey;
}

void LsBrokerPeer::SetQuotes(const std::vector<LsQuote>& quotes) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const LsQuote& q : quotes) quotes_[q.code] = q;
}

std::vector<LsQuote> LsBrokerPeer::Quotes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<LsQuote> out;
  for (const auto& entry : quotes_) out.push_back(entry.second);
  return out;
}

void LsBrokerPeer::SetRawReply(const std::string& path, const std::string& body, int status,
                               const std::string& contentType) {
  std::lock_guard<std::mutex> lock(mutex_);
  PeerReply reply = JsonReply(body, status);
  reply.contentType = contentType;
  raw_[path] = reply;
}

void LsBrokerPeer::ClearReply(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  raw_.erase(path);
}

void LsBrokerPeer::SetDelay(const std::string& path, std::chrono::milliseconds delay) {
  std::lock_guard<std::mutex> lock(mutex_);
  delays_[path] = delay;
}

void LsBrokerPeer::SetLiveAccount(bool live) {
  std::lock_guard<std::mutex> lock(mutex_);
  live_ = live;
}

int LsBrokerPeer::LastOrderNo() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lastOrderNo_;
}

int LsBrokerPeer::OrdersReceived() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return ordersReceived_;
}

std::vector<LsHolding> LsBrokerPeer::DomesticHoldings() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return domestic_;
}

PeerReply LsBrokerPeer::Answer(const std::string& path, const RecordedRequest& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  PeerReply reply;
  if (path == kTokenPath) {
    reply = TokenReply(request);
  } else if (request.Header("Authorization") != "Bearer " + token_) {
    reply = JsonReply("{\"rsp_cd\":\"IGW00121\",\"rsp_msg\":\"invalid access token\"}", 401);
  } else if (auto raw = raw_.find(path); raw != raw_.end()) {
    reply = raw->second;
  } else if (path == kRevokePath) {
    reply = JsonReply(revokeBody_);
  } else if (path == kAccountPath && request.body.find("t0424InBlock") == std::string::npos) {
    reply = JsonReply(Json()
                          .Text("rsp_cd", "00000")
                          .Open("Out")
                          .Text("AcntNm", "LS sandbox")
                          .Text("AcntStatNm", "정상")
                          .Close()
                          .Open("Out1")
                          .Num("DpsBalAmt", deposit_[0])
                          .Num("WthdwAbleAmt", deposit_[1])
                          .Num("MgnMny", deposit_[2])
                          .Num("PrsmptDpsD1", deposit_[3])
                          .Close()
                          .Str());
  } else if (path == kAccountPath || path == kOverseasAccountPath) {
    reply = BalancePage(path == kAccountPath, request);
  } else if (path == kDomesticListPath || path == kOverseasListPath) {
    reply = ListPage(path, request);
  } else if (path == kDomesticPricePath || path == kOverseasPricePath) {
    reply = PriceReply(path == kDomesticPricePath, request);
  } else {
    reply = OrderReply(path == kDomesticOrderPath, request);
  }
  if (auto delay = delays_.find(path); delay != delays_.end()) reply.delay = delay->second;
  return reply;
}

PeerReply LsBrokerPeer::TokenReply(const RecordedRequest& request) {
  if (!refuseCode_.empty()) {
    return JsonReply(Json().Text("rsp_cd", refuseCode_).Text("rsp_msg", refuseMessage_).Str(), 403);
  }
  if (request.Param("grant_type") != "client_credentials" || request.Param("appkey") != key_ ||
      request.Param("appsecretkey") != secret_ || request.Param("scope") != "oob") {
    return JsonReply(
        Json().Text("rsp_cd", "IGW00123").Text("rsp_msg", "invalid appkey or appsecretkey").Str(),
        403);
  }
  std::string body = "{\"access_token\":\"" + token_ + "\",\"token_type\":\"Bearer\"";
  if (!expiresIn_.empty()) body += ",\"expires_in\":" + expiresIn_;
  return JsonReply(body + "}");
}

PeerReply LsBrokerPeer::BalancePage(bool domestic, const RecordedRequest& request) {
  std::vector<LsHolding>& rows = domestic ? domestic_ : overseas_;
  if (live_) {
    for (LsHolding& row : rows) {
      if (auto q = quotes_.find(row.code[0] == 'A' ? row.code.substr(1) : row.code);
          q != quotes_.end())
        row.nowPrice = q->second.price;
    }
  }
  const std::string key = request.Header("tr_cont_key");
  // A continued page must say so: "tr_cont: Y" with the key, "N" on the first page.
  if ((request.Header("tr_cont") == "Y") == key.empty())
    return JsonReply("{\"rsp_cd\":\"IGW00201\",\"rsp_msg\":\"tr_cont does not match\"}", 400);
  const size_t page = PageOfKey(key);
  const size_t first = page * pageSize_;
  const size_t end = std::min(rows.size(), first + pageSize_);
  double purchase = 0;
  double valuation = 0;
  for (const LsHolding& row : rows) {
    purchase += row.quantity * row.avgPrice;
    valuation += row.quantity * row.nowPrice;
  }
  Json json;
  json.Text("rsp_cd", "00000").Open("t0424OutBlock");
  if (domestic) {
    json.Num("sunamt", deposit_[0] + valuation).Num("sunamt1", deposit_[1]).Num("mamt", purchase);
    json.Num("tdtsunik", valuation - purchase).Text("cts_expcode", "");
  } else {
    json.Num("AssetAmtTotamt", deposit_[0] + valuation).Num("Dps", deposit_[1]);
    json.Num("PchsAmt", purchase);
  }
  json.Close().OpenArray("t0424OutBlock1");
  for (size_t i = first; i < end; ++i) {
    const LsHolding& row = rows[i];
    json.Item();
    if (domestic) {
      json.Text("expcode", row.code).Text("hname", row.name).Num("janqty", row.quantity);
      json.Num("pamt", row.avgPrice).Num("mamt", row.quantity * row.avgPrice);
      json.Num("price", row.nowPrice).Num("fee", 0).Num("tax", 0).Int("loandt", row.loanDate);
      json.Num("sinamt", 0).Text("marketgb", "1");
    } else {
      json.Text("SymCode", row.code).Text("AstkIsuNo", row.code);
      json.Text("AstkHanglIsuNm", row.name).Num("AstkExecBaseQty", row.quantity);
      json.Num("AstkAvrPchsPrc", row.avgPrice).Num("AstkBuyAmt", row.quantity * row.avgPrice);
      json.Num("AstkNowPrc", row.nowPrice).Int("LoanDt", row.loanDate);
    }
    json.Close();
  }
  json.CloseArray();
  PeerReply reply = JsonReply(json.Str());
  if (endless_ || end < rows.size()) reply.headers.emplace_back("tr_cont_key", KeyOf(page + 1));
  reply.headers.emplace_back("tr_cont", endless_ || end < rows.size() ? "Y" : "N");
  return reply;
}

PeerReply LsBrokerPeer::ListPage(const std::string& path, const RecordedRequest& request) {
  const auto& pages = lists_[path];
  const size_t page = PageOfKey(request.Header("tr_cont_key"));
  Json json;
  json.Text("rsp_cd", "00000").OpenArray("t8430OutBlock");
  if (page < pages.size()) {
    for (const LsListRow& row : pages[page]) {
      const std::string std = row.shcode[0] == 'A' ? "KR7" + row.shcode.substr(1) : row.shcode;
      json.Item().Text("hname", row.name).Text("shcode", row.shcode).Text("expcode", std);
      json.Text("etfgubun", "0").Text("gubun", row.gubun).Close();
    }
  }
  json.CloseArray();
  PeerReply reply = JsonReply(json.Str());
  if (page + 1 < pages.size()) {
    reply.headers.emplace_back("tr_cont_key", KeyOf(page + 1));
  } else if (!listLastKey_[path].empty()) {
    reply.headers.emplace_back("tr_cont_key", listLastKey_[path]);
  }
  return reply;
}

PeerReply LsBrokerPeer::PriceReply(bool domestic, const RecordedRequest& request) {
  rapidjson::Document body;
  body.Parse(request.body.c_str());
  const rapidjson::Value* in = nullptr;
  if (!body.HasParseError() && body.IsObject() && body.HasMember("In") && body["In"].IsObject())
    in = &body["In"];
  if (!in) return JsonReply("{\"rsp_cd\":\"IGW00202\",\"rsp_msg\":\"bad request\"}", 400);
  if (!domestic) {
    const auto code = in->FindMember("InputIscd1");
    const auto quote = code != in->MemberEnd() && code->value.IsString()
                           ? quotes_.find(code->value.GetString())
                           : quotes_.end();
    if (quote == quotes_.end())
      return JsonReply("{\"rsp_cd\":\"01234\",\"rsp_msg\":\"no such symbol\"}");
    const LsQuote& q = quote->second;
    return JsonReply(Json()
                         .Text("rsp_cd", "00000")
                         .Open("Out")
                         .Num("Prpr", q.price)
                         .Num("Oprc", q.open)
                         .Num("Hprc", q.high)
                         .Num("Lprc", q.low)
                         .Num("Sdpr", q.open)
                         .Num("PrdyVrssOprcRate", q.rate)
                         .Close()
                         .Str());
  }
  const auto count = in->FindMember("dataCnt");
  const int n = count != in->MemberEnd() && count->value.IsInt() ? count->value.GetInt() : -1;
  Json json;
  json.Text("rsp_cd", "00000").OpenArray("Out");
  for (int i = 1; i <= n; ++i) {
    const std::string name = "InputIscd" + std::to_string(i);
    const auto code = in->FindMember(name.c_str());
    if (code == in->MemberEnd() || !code->value.IsString()) continue;
    const auto quote = quotes_.find(code->value.GetString());
    if (quote == quotes_.end()) continue;
    const LsQuote& q = quote->second;
    json.Item().Text("Iscd", q.code).Num("Prpr", q.price).Num("Oprc", q.open);
    json.Num("Hprc", q.high).Num("Lprc", q.low).Num("PrdyCtrt", q.rate).Close();
  }
  json.CloseArray();
  return JsonReply(json.Str());
}

PeerReply LsBrokerPeer::OrderReply(bool domestic, const RecordedRequest& request) {
  ++ordersReceived_;
  const char* in = domestic ? "CSPAT00601InBlock1" : "COSAT00301InBlock1";
  rapidjson::Document body;
  body.Parse(request.body.c_str());
  if (body.HasParseError() || !body.IsObject() || !body.HasMember(in) || !body[in].IsObject())
    return JsonReply("{\"rsp_cd\":\"IGW00202\",\"rsp_msg\":\"bad order\"}", 400);
  const int orderNo = ++lastOrderNo_;
  if (domestic) {
    const rapidjson::Value& order = body[in];
    const std::string code =
        order.HasMember("IsuNo") && order["IsuNo"].IsString() ? order["IsuNo"].GetString() : "";
    const double qty =
        order.HasMember("OrdQty") && order["OrdQty"].IsNumber() ? order["OrdQty"].GetDouble() : 0;
    const bool buy = order.HasMember("BnsTpCode") && order["BnsTpCode"].IsString() &&
                     std::string(order["BnsTpCode"].GetString()) == "2";
    const auto quote = quotes_.find(code);
    const double price = quote != quotes_.end() ? quote->second.price
                         : order.HasMember("OrdPrc") && order["OrdPrc"].IsNumber()
                             ? order["OrdPrc"].GetDouble()
                             : 0;
    auto held = std::find_if(domestic_.begin(), domestic_.end(), [&](const LsHolding& h) {
      return h.code == code || h.code == "A" + code;
    });
    if (buy) {
      if (held == domestic_.end()) {
        domestic_.push_back({"A" + code, code, qty, price, price, 0});
      } else {
        held->avgPrice = (held->avgPrice * held->quantity + price * qty) / (held->quantity + qty);
        held->quantity += qty;
      }
      if (live_) deposit_[0] -= price * qty, deposit_[1] -= price * qty;
    } else if (held != domestic_.end()) {
      const double sold = std::min(qty, held->quantity);
      held->quantity -= sold;
      if (live_) deposit_[0] += price * sold, deposit_[1] += price * sold;
      if (held->quantity <= 0) domestic_.erase(held);
    }
    return JsonReply(Json()
                         .Text("rsp_cd", "00040")
                         .Text("rsp_msg", "매수주문이 완료되었습니다.")
                         .Open("CSPAT00601OutBlock2")
                         .Int("OrdNo", orderNo)
                         .Text("IsuNm", code)
                         .Close()
                         .Str());
  }
  // The overseas reply writes its order number as a floating-point number.
  return JsonReply(Json()
                       .Text("rsp_cd", "00040")
                       .Text("rsp_msg", "주문이 완료되었습니다.")
                       .Open("COSAT00301OutBlock2")
                       .Num("OrdNo", orderNo)
                       .Close()
                       .Str());
}

}  // namespace orv::test
