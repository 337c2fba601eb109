#include "tests/peers/ExchangePeer.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/sha.h>
#include <rapidjson/document.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <chrono>
#include <cstring>

#include "tests/peers/PeerJson.h"

namespace orv::test {
namespace {

using peer_json::JsonObject;

std::string Base64UrlDecode(std::string text, bool* ok) {
  *ok = false;
  for (char& c : text) {
    if (c == '-')
      c = '+';
    else if (c == '_')
      c = '/';
    else if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/'))
      return {};
  }
  const size_t pad = (4 - text.size() % 4) % 4;
  if (pad == 3) return {};
  text.append(pad, '=');
  std::string out(text.size() / 4 * 3, '\0');
  const int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                reinterpret_cast<const unsigned char*>(text.data()),
                                static_cast<int>(text.size()));
  if (n < 0) return {};
  out.resize(static_cast<size_t>(n) - pad);
  *ok = true;
  return out;
}

std::string Sha512Hex(const std::string& text) {
  unsigned char digest[SHA512_DIGEST_LENGTH];
  SHA512(reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest);
  static const char* hex = "0123456789abcdef";
  std::string out;
  for (unsigned char c : digest) {
    out += hex[c >> 4];
    out += hex[c & 15];
  }
  return out;
}

bool IsUuid(const std::string& text) {
  if (text.size() != 36) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

// A JSON value as the exchange puts it into the rebuilt query: strings as they are, numbers as
// written (the body is read with numbers kept as text).
bool ValueText(const rapidjson::Value& v, std::string* out) {
  if (v.IsString()) {
    *out = std::string(v.GetString(), v.GetStringLength());
    return true;
  }
  if (v.IsBool()) {
    *out = v.GetBool() ? "true" : "false";
    return true;
  }
  return false;
}

std::string Text(double value) { return peer_json::Number(value); }

PeerReply RawReply(const std::string& body, int status, const std::string& contentType) {
  PeerReply reply;
  reply.body = body;
  reply.status = status;
  reply.contentType = contentType;
  return reply;
}

}  // namespace

std::string ExchangeOrder::Member(const std::string& name) const {
  for (const auto& [key, value] : members)
    if (key == name) return value;
  return {};
}

ExchangePeer::ExchangePeer(Kind kind, const TestCa& ca) : kind_(kind), http_(ca) {
  http_.On("GET", kAccountsPath, [this](const RecordedRequest& r) { return AnswerAccounts(r); });
  http_.On("POST", kOrdersPath, [this](const RecordedRequest& r) { return AnswerOrder(r); });
  http_.On("GET", "/v1/market/all", [this](const RecordedRequest& r) { return AnswerMarkets(r); });
  http_.On("GET", "/v1/ticker", [this](const RecordedRequest& r) { return AnswerTickers(r); });
  http_.On("GET", "/v1/candles/days",
           [this](const RecordedRequest& r) { return AnswerCandles(r, 0); });
  for (int unit : kMinuteUnits) {
    http_.On("GET", "/v1/candles/minutes/" + std::to_string(unit),
             [this, unit](const RecordedRequest& r) { return AnswerCandles(r, unit); });
  }
}

ExchangePeer::~ExchangePeer() { Stop(); }

bool ExchangePeer::Start(int port) { return http_.Start(port); }
void ExchangePeer::Stop() { http_.Stop(); }
std::string ExchangePeer::BaseUrl() const { return http_.BaseUrl(); }
int ExchangePeer::Port() const { return http_.Port(); }

void ExchangePeer::AcceptCredentials(const std::string& key, const std::string& secret) {
  std::lock_guard<std::mutex> lock(mutex_);
  key_ = key;
  secret_ = secret;
}

void ExchangePeer::SetAccounts(const std::vector<ExchangeAccountRow>& rows) {
  std::lock_guard<std::mutex> lock(mutex_);
  accounts_ = rows;
}

void ExchangePeer::RefuseAccounts(const std::string& name, const std::string& message) {
  std::lock_guard<std::mutex> lock(mutex_);
  refuseAccountsName_ = name;
  refuseAccountsMessage_ = message;
}

void ExchangePeer::SetRawAccountsReply(const std::string& body, int status,
                                       const std::string& contentType) {
  std::lock_guard<std::mutex> lock(mutex_);
  rawAccountsSet_ = !body.empty();
  rawAccounts_ = RawReply(body, status, contentType);
}

void ExchangePeer::SetAccountsDelay(std::chrono::milliseconds delay) {
  std::lock_guard<std::mutex> lock(mutex_);
  accountsDelay_ = delay;
}

void ExchangePeer::SetMarkets(const std::vector<ExchangeMarketRow>& markets) {
  std::lock_guard<std::mutex> lock(mutex_);
  markets_ = markets;
}

void ExchangePeer::SetTickers(const std::vector<ExchangeTickerRow>& tickers) {
  std::lock_guard<std::mutex> lock(mutex_);
  tickers_ = tickers;
}

void ExchangePeer::SetTickerPrice(const std::string& market, double price) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (ExchangeTickerRow& t : tickers_) {
    if (t.market != market) continue;
    t.price = price;
    t.high = std::max(t.high, price);
    t.low = t.low > 0 ? std::min(t.low, price) : price;
    const double base = t.prevClose > 0 ? t.prevClose : t.open;
    t.change = price > base ? "RISE" : price < base ? "FALL" : "EVEN";
    t.changePrice = std::fabs(price - base);
    t.changeRate = base > 0 ? t.changePrice / base : 0;
  }
}

void ExchangePeer::RefuseTickers(const std::string& name, const std::string& message) {
  std::lock_guard<std::mutex> lock(mutex_);
  refuseTickersName_ = name;
  refuseTickersMessage_ = message;
}

void ExchangePeer::SetRawTickerReply(const std::string& body, int status,
                                     const std::string& contentType) {
  std::lock_guard<std::mutex> lock(mutex_);
  rawTickersSet_ = !body.empty();
  rawTickers_ = RawReply(body, status, contentType);
}

void ExchangePeer::SetCandles(const std::string& market, int unit,
                              const std::vector<ExchangeCandleRow>& rows) {
  std::lock_guard<std::mutex> lock(mutex_);
  candles_[{market, unit}] = rows;
}

std::string ExchangePeer::TickerBody(const std::vector<ExchangeTickerRow>& tickers) {
  std::vector<std::string> items;
  items.reserve(tickers.size());
  for (const ExchangeTickerRow& t : tickers) {
    const double sign = t.change == "FALL" ? -1 : 1;
    items.push_back(JsonObject()
                        .Text("market", t.market)
                        .Text("trade_date", t.tradeDate)
                        .Text("trade_time", t.tradeTime)
                        .Text("trade_date_kst", t.tradeDate)
                        .Text("trade_time_kst", t.tradeTime)
                        .Num("trade_timestamp", 1765413000000.0)
                        .Num("opening_price", t.open)
                        .Num("high_price", t.high)
                        .Num("low_price", t.low)
                        .Num("trade_price", t.price)
                        .Num("prev_closing_price", t.prevClose)
                        .Text("change", t.change)
                        .Num("change_price", t.changePrice)
                        .Num("change_rate", t.changeRate)
                        .Num("signed_change_price", sign * t.changePrice)
                        .Num("signed_change_rate", sign * t.changeRate)
                        .Num("trade_volume", 0.01)
                        .Num("acc_trade_price", t.accPrice)
                        .Num("acc_trade_price_24h", t.accPrice24h)
                        .Num("acc_trade_volume", t.accVolume)
                        .Num("acc_trade_volume_24h", t.accVolume24h)
                        .Num("highest_52_week_price", t.high * 1.5)
                        .Text("highest_52_week_date", "2026-03-14")
                        .Num("lowest_52_week_price", t.low * 0.5)
                        .Text("lowest_52_week_date", "2026-08-05")
                        .Num("timestamp", 1765413000123.0)
                        .Str());
  }
  return peer_json::Array(items);
}

void ExchangePeer::RefuseOrders(const std::string& name, const std::string& message) {
  std::lock_guard<std::mutex> lock(mutex_);
  refuseOrdersName_ = name;
  refuseOrdersMessage_ = message;
}

void ExchangePeer::SetRawOrderReply(const std::string& body, int status,
                                    const std::string& contentType) {
  std::lock_guard<std::mutex> lock(mutex_);
  rawOrderSet_ = !body.empty();
  rawOrder_ = RawReply(body, status, contentType);
}

void ExchangePeer::SetOrderWire(PeerReply::Wire wire) {
  std::lock_guard<std::mutex> lock(mutex_);
  orderWire_ = wire;
}

std::vector<RecordedRequest> ExchangePeer::RequestsTo(const std::string& path) const {
  std::vector<RecordedRequest> out;
  for (RecordedRequest& r : http_.Requests())
    if (r.path == path) out.push_back(std::move(r));
  return out;
}

std::vector<ExchangeOrder> ExchangePeer::Orders() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return orders_;
}

std::vector<std::string> ExchangePeer::TokenRefusals() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return tokenRefusals_;
}

std::string ExchangePeer::TokenClaims(const std::string& token) {
  const size_t d1 = token.find('.');
  const size_t d2 = token.rfind('.');
  if (d1 == std::string::npos || d1 == d2) return {};
  bool ok = false;
  std::string claims = Base64UrlDecode(token.substr(d1 + 1, d2 - d1 - 1), &ok);
  return ok ? claims : std::string();
}

PeerReply ExchangePeer::Error(int status, const std::string& name,
                              const std::string& message) const {
  JsonObject error;
  error.Text("message", message).Text("name", name);
  return peer_json::Json(JsonObject().Raw("error", error.Str()).Str(), status);
}

bool ExchangePeer::CheckToken(const RecordedRequest& request, const std::string& query,
                              PeerReply* refusal) {
  auto refuse = [&](const std::string& why, const std::string& name) {
    tokenRefusals_.push_back(why);
    *refusal = Error(401, name, why);
    return false;
  };
  const bool bithumb = kind_ == Kind::kBithumb;
  const char* badKey = bithumb ? "invalid_access_key" : "no_access_key";
  const char* badToken = bithumb ? "invalid_jwt" : "jwt_verification";

  const std::string authorization = request.Header("Authorization");
  const std::string bearer = "Bearer ";
  if (authorization.compare(0, bearer.size(), bearer) != 0)
    return refuse("no bearer token", badToken);
  const std::string token = authorization.substr(bearer.size());
  const size_t d1 = token.find('.');
  const size_t d2 = token.rfind('.');
  if (d1 == std::string::npos || d1 == d2) return refuse("not a token", badToken);

  bool ok = false;
  const std::string header = Base64UrlDecode(token.substr(0, d1), &ok);
  rapidjson::Document headerDoc;
  headerDoc.Parse(header.c_str());
  if (!ok || headerDoc.HasParseError() || !headerDoc.IsObject() || !headerDoc.HasMember("alg") ||
      !headerDoc["alg"].IsString() || std::string(headerDoc["alg"].GetString()) != "HS256")
    return refuse("not an HS256 token", badToken);

  const std::string claimsText = TokenClaims(token);
  rapidjson::Document claims;
  claims.Parse(claimsText.c_str());
  if (claimsText.empty() || claims.HasParseError() || !claims.IsObject())
    return refuse("claims unreadable", badToken);
  if (!claims.HasMember("access_key") || !claims["access_key"].IsString() || key_.empty() ||
      key_ != claims["access_key"].GetString())
    return refuse("unknown access key", badKey);

  // The signature, with the secret as the user gave it.
  const std::string signingInput = token.substr(0, d2);
  unsigned char mac[EVP_MAX_MD_SIZE];
  unsigned int macLen = 0;
  HMAC(EVP_sha256(), secret_.data(), static_cast<int>(secret_.size()),
       reinterpret_cast<const unsigned char*>(signingInput.data()), signingInput.size(), mac,
       &macLen);
  const std::string signature = Base64UrlDecode(token.substr(d2 + 1), &ok);
  if (!ok || signature != std::string(reinterpret_cast<char*>(mac), macLen))
    return refuse("bad signature", badToken);

  if (!claims.HasMember("nonce") || !claims["nonce"].IsString() ||
      !IsUuid(claims["nonce"].GetString()))
    return refuse("nonce is not a UUID", badToken);
  if (!nonces_.insert(claims["nonce"].GetString()).second)
    return refuse("nonce used before", bithumb ? "invalid_jwt" : "nonce_used");

  if (bithumb) {
    if (!claims.HasMember("timestamp") || !claims["timestamp"].IsUint64())
      return refuse("no timestamp", badToken);
    const int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    const int64_t stamp = static_cast<int64_t>(claims["timestamp"].GetUint64());
    if (stamp < now - 300000 || stamp > now + 300000) return refuse("stale timestamp", badToken);
  }

  const bool hashed = claims.HasMember("query_hash");
  if (query.empty()) {
    if (hashed) return refuse("query hash without parameters", "invalid_query_payload");
    return true;
  }
  if (!hashed || !claims["query_hash"].IsString() || !claims.HasMember("query_hash_alg") ||
      !claims["query_hash_alg"].IsString() ||
      std::string(claims["query_hash_alg"].GetString()) != "SHA512")
    return refuse("no query hash", "invalid_query_payload");
  if (claims["query_hash"].GetString() != Sha512Hex(query))
    return refuse("query hash", "invalid_query_payload");
  return true;
}

PeerReply ExchangePeer::AnswerAccounts(const RecordedRequest& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  PeerReply reply;
  if (!CheckToken(request, request.query, &reply)) return reply;
  if (!refuseAccountsName_.empty()) return Error(401, refuseAccountsName_, refuseAccountsMessage_);
  if (rawAccountsSet_) {
    reply = rawAccounts_;
  } else {
    std::vector<std::string> items;
    for (const ExchangeAccountRow& row : accounts_) {
      items.push_back(JsonObject()
                          .Text("currency", row.currency)
                          .Text("balance", Text(row.balance))
                          .Text("locked", Text(row.locked))
                          .Text("avg_buy_price", Text(row.avgBuyPrice))
                          .Raw("avg_buy_price_modified", "false")
                          .Text("unit_currency", row.unitCurrency)
                          .Str());
    }
    reply = peer_json::Json(peer_json::Array(items));
  }
  reply.delay = accountsDelay_;
  return reply;
}

bool ExchangePeer::CheckPublic(const RecordedRequest& request, PeerReply* refusal) {
  if (request.Header("Authorization").empty()) return true;
  return CheckToken(request, request.query, refusal);
}

PeerReply ExchangePeer::AnswerMarkets(const RecordedRequest& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  PeerReply reply;
  if (!CheckPublic(request, &reply)) return reply;
  std::vector<std::string> items;
  for (const ExchangeMarketRow& m : markets_) {
    items.push_back(JsonObject()
                        .Text("market", m.market)
                        .Text("korean_name", m.koreanName)
                        .Text("english_name", m.englishName)
                        .Text("market_warning", "NONE")
                        .Str());
  }
  return peer_json::Json(peer_json::Array(items));
}

PeerReply ExchangePeer::AnswerTickers(const RecordedRequest& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  PeerReply reply;
  if (!CheckPublic(request, &reply)) return reply;
  if (rawTickersSet_) return rawTickers_;
  if (!refuseTickersName_.empty()) return Error(404, refuseTickersName_, refuseTickersMessage_);
  const std::string asked = request.Param("markets");
  if (asked.empty()) return Error(400, "validation_error", "markets is required");
  std::vector<ExchangeTickerRow> found;
  size_t pos = 0;
  while (pos <= asked.size()) {
    size_t cut = asked.find(',', pos);
    if (cut == std::string::npos) cut = asked.size();
    const std::string market = asked.substr(pos, cut - pos);
    pos = cut + 1;
    for (const ExchangeTickerRow& t : tickers_)
      if (t.market == market) found.push_back(t);
  }
  return peer_json::Json(TickerBody(found));
}

PeerReply ExchangePeer::AnswerCandles(const RecordedRequest& request, int unit) {
  std::lock_guard<std::mutex> lock(mutex_);
  PeerReply reply;
  if (!CheckPublic(request, &reply)) return reply;
  const std::string market = request.Param("market");
  const auto it = candles_.find({market, unit});
  if (it == candles_.end()) return Error(404, "404", "Code not found");
  int count = std::atoi(request.Param("count").c_str());
  if (count < 1) count = 1;
  std::vector<std::string> items;
  for (const ExchangeCandleRow& c : it->second) {
    if (static_cast<int>(items.size()) >= count) break;
    JsonObject row;
    row.Text("market", market)
        .Text("candle_date_time_utc", c.utc)
        .Text("candle_date_time_kst", c.kst)
        .Num("opening_price", c.open)
        .Num("high_price", c.high)
        .Num("low_price", c.low)
        .Num("trade_price", c.close)
        .Num("timestamp", 1765413000000.0)
        .Num("candle_acc_trade_price", c.close * c.volume)
        .Num("candle_acc_trade_volume", c.volume);
    if (unit == 0) row.Num("prev_closing_price", c.open);
    else row.Num("unit", unit);
    items.push_back(row.Str());
  }
  return peer_json::Json(peer_json::Array(items));
}

PeerReply ExchangePeer::AnswerOrder(const RecordedRequest& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  PeerReply reply;
  const std::string contentType = request.Header("Content-Type");
  if (contentType.rfind("application/json", 0) != 0) {
    // Form bodies are no longer taken.
    tokenRefusals_.push_back("not a JSON body");
    return Error(400, "invalid_parameter", "Content-Type must be application/json");
  }
  // The members in body order, numbers as written; a null member is left out of the query.
  rapidjson::Document body;
  body.Parse<rapidjson::kParseNumbersAsStringsFlag>(request.body.c_str());
  if (body.HasParseError() || !body.IsObject())
    return Error(400, "invalid_parameter", "body is not a JSON object");
  ExchangeOrder order;
  for (const auto& member : body.GetObject()) {
    if (member.value.IsNull()) continue;
    std::string value;
    if (!ValueText(member.value, &value))
      return Error(400, "invalid_parameter", "member of unknown kind");
    order.members.emplace_back(member.name.GetString(), value);
  }
  for (size_t i = 0; i < order.members.size(); ++i) {
    if (i) order.signedQuery += '&';
    order.signedQuery += order.members[i].first + "=" + order.members[i].second;
  }
  if (!CheckToken(request, order.signedQuery, &reply)) return reply;
  // An identifier is spent once the exchange has seen it, whatever became of its order.
  if (kind_ == Kind::kUpbit) {
    const std::string identifier = order.Member("identifier");
    if (!identifier.empty() && !identifiers_.insert(identifier).second)
      return Error(400, "duplicated_identifier", "identifier used before");
  }

  if (rawOrderSet_) {
    reply = rawOrder_;
    reply.wire = orderWire_;
    return reply;
  }
  if (!refuseOrdersName_.empty()) return Error(400, refuseOrdersName_, refuseOrdersMessage_);

  const std::string side = order.Member("side");
  const std::string type = order.Member("ord_type");
  if ((side == "bid" && type != "price" && type != "limit") ||
      (side == "ask" && type != "market" && type != "limit") || (side != "bid" && side != "ask"))
    return Error(400, "not_supported_ord_type", "order type and side do not match");
  order.uuid = "order-" + std::to_string(orders_.size() + 1);
  orders_.push_back(order);
  reply = peer_json::Json(JsonObject()
                              .Text("uuid", order.uuid)
                              .Text("side", side)
                              .Text("ord_type", type)
                              .Text("market", order.Member("market"))
                              .Text("state", "wait")
                              .Text("volume", order.Member("volume"))
                              .Str(),
                          201);
  reply.wire = orderWire_;
  return reply;
}

}  // namespace orv::test
