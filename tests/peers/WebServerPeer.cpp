#include "tests/peers/WebServerPeer.h"

#include <openssl/evp.h>

#include <cstdio>
#include <cstdlib>

namespace orv::test {

WebServerPeer::WebServerPeer() { Install(); }

WebServerPeer::WebServerPeer(const TestCa& ca) : http_(ca) { Install(); }

void WebServerPeer::Install() {
  http_.On("POST", kIdCheckPath,
           [this](const RecordedRequest& request) { return IdCheck(request); });
}

void WebServerPeer::AddUser(const WebServerUser& user) {
  std::lock_guard<std::mutex> lock(mutex_);
  users_.push_back(user);
}

void WebServerPeer::SetServiceFields(std::vector<std::pair<std::string, std::string>> fields) {
  std::lock_guard<std::mutex> lock(mutex_);
  fields_ = std::move(fields);
}

void WebServerPeer::AddServiceField(const std::string& key, const std::string& value) {
  std::lock_guard<std::mutex> lock(mutex_);
  fields_.emplace_back(key, value);
}

void WebServerPeer::SetRefusal(int err, const std::string& message, bool withIndex) {
  std::lock_guard<std::mutex> lock(mutex_);
  refusalErr_ = err;
  refusalMessage_ = message;
  refusalWithIndex_ = withIndex;
}

void WebServerPeer::SetDelay(std::chrono::milliseconds delay) {
  std::lock_guard<std::mutex> lock(mutex_);
  delay_ = delay;
}

void WebServerPeer::AnswerReports(int smsRemain) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    smsRemain_ = smsRemain;
  }
  for (const char* path :
       {"/stock/order_up3", "/stock/ai_cmt_up", "/sms/sms_send", "/stock/user_eq_pr_up",
        "/stock/cafe_member_up"}) {
    http_.On("POST", path, [this, p = std::string(path)](const RecordedRequest& request) {
      return Report(p, request);
    });
  }
  for (const char* path : {"/stock/cafe_rec_up", "/stock/order_up2"}) {
    http_.On("GET", path, [this, p = std::string(path)](const RecordedRequest& request) {
      return Report(p, request);
    });
  }
}

std::vector<RecordedRequest> WebServerPeer::RequestsTo(const std::string& path) const {
  std::vector<RecordedRequest> out;
  for (const RecordedRequest& request : http_.Requests()) {
    if (request.path == path) out.push_back(request);
  }
  return out;
}

std::string WebServerPeer::Md5(const std::string& text) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(text.data(), text.size(), digest, &length, EVP_md5(), nullptr);
  std::string hex;
  char pair[3];
  for (unsigned int i = 0; i < length; ++i) {
    snprintf(pair, sizeof pair, "%02x", digest[i]);
    hex += pair;
  }
  return hex;
}

std::string WebServerPeer::Base64(const std::string& text) {
  std::string out(4 * ((text.size() + 2) / 3) + 1, '\0');
  const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(&out[0]),
                                reinterpret_cast<const unsigned char*>(text.data()),
                                static_cast<int>(text.size()));
  out.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return out;
}

std::string WebServerPeer::ExpectedCrc3(const std::string& crc2) {
  return Md5(crc2 + ".hR@dXn@Ub@.");
}

namespace {
std::string Value(const RecordedRequest& request, const char* name) {
  const FormPart* part = request.Part(name);
  return part ? part->content : std::string();
}
}  // namespace

PeerReply WebServerPeer::Report(const std::string& path, const RecordedRequest& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string token = request.Part("tk") ? Value(request, "tk") : request.Param("tk");
  bool member = false;
  for (const WebServerUser& user : users_)
    member = member || (!token.empty() && token == user.token);
  PeerReply reply;
  // The SMS and condition-result replies quote their numbers; the cafe signal's err is a bare
  // number; the order report's values are read up to their closing quote.
  if (!member) {
    reply.body = path == "/stock/cafe_rec_up" ? "{\"err\":-1,\"msg\":\"login required\"}"
                                              : "{\"err\":\"-1\",\"msg\":\"login required\"}";
  } else if (path == "/sms/sms_send") {
    if (smsRemain_ > 0) --smsRemain_;
    reply.body = "{\"err\":\"0\",\"sms_remain\":\"" + std::to_string(smsRemain_) + "\"}";
  } else if (path == "/stock/user_eq_pr_up") {
    reply.body =
        "{\"idx\":\"" + std::to_string(++lastUploadIdx_) + "\",\"err\":\"0\",\"msg\":\"ok\"}";
  } else if (path == "/stock/cafe_rec_up" || path == "/stock/order_up2") {
    reply.body = "{\"err\":0,\"msg\":\"ok\"}";
  } else {
    reply.body = "{\"err\":\"0\",\"msg\":\"ok\"}";
  }
  return reply;
}

void WebServerPeer::ServeRecommendations() {
  for (const char* path : {"/stock/cafe_rec_items_up", "/stock/cafe_rec_sms_send"}) {
    http_.On("POST", path, [this, p = std::string(path)](const RecordedRequest& request) {
      return Recommendation(p, request);
    });
  }
  http_.On("GET", "/stock/cafe_join_up", [this](const RecordedRequest& request) {
    return Recommendation("/stock/cafe_join_up", request);
  });
}

PeerReply WebServerPeer::Recommendation(const std::string& path, const RecordedRequest& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string token = request.Part("tk") ? Value(request, "tk") : request.Param("tk");
  PeerReply reply;
  if (!IsMemberToken(token)) {
    reply.body = "{\"err\":-1,\"msg\":\"login required\"}";
    return reply;
  }
  if (path == "/stock/cafe_join_up") {
    reply.body = "{\"err\":0,\"msg\":\"requested\"}";
    return reply;
  }
  if (path == "/stock/cafe_rec_sms_send") {
    reply.body = "{\"err\":0,\"sms_ok_cnt\":" + Value(request, "recv_tels_cnt") + "}";
    return reply;
  }
  if (Value(request, "buy_or_sell") == "11") {
    int checked = 0;
    for (const FormPart& part : request.parts)
      if (part.name.rfind("code_", 0) == 0) ++checked;
    reply.body = "{\"err\":0,\"check_cnt\":" + std::to_string(checked) + "}";
    return reply;
  }
  const int cafeIdx = std::atoi(Value(request, "cafe").c_str());
  std::vector<std::string> phones;
  for (const WebServerCafe& cafe : cafes_)
    if (cafe.idx == cafeIdx) phones = cafe.phones;
  const bool sms = Value(request, "pc_sms_send") == "1" && !phones.empty();
  std::string tels;
  for (const std::string& phone : phones) tels += phone + ";";
  reply.body = "{\"err\":0,\"idx\":" + std::to_string(++lastRecommendationIdx_) +
               ",\"sms_req_cnt\":" + std::to_string(phones.size()) +
               ",\"sms_ok_cnt\":" + std::to_string(sms ? phones.size() : 0);
  if (sms) reply.body += ",\"sms_tels\":\"" + Base64(tels) + "\"";
  reply.body += "}";
  return reply;
}

void WebServerPeer::ServeLoginCheck() {
  for (const char* path : {"/member/login_check", "/stock/login_check"}) {
    http_.On("POST", path, [this](const RecordedRequest& request) { return LoginCheck(request); });
  }
}

PeerReply WebServerPeer::LoginCheck(const RecordedRequest& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string uid = Value(request, "uid");
  const std::string upw = Value(request, "upw");
  PeerReply reply;
  for (const WebServerUser& user : users_) {
    if (user.password.empty() || uid != user.userId || upw != user.password) continue;
    reply.body = "{\"err\":0,\"errmsg\":\"\",\"uidx\":" + std::to_string(user.userIdx) +
                 ",\"agc\":1,\"uname\":\"" + user.userId + "\",\"tk\":\"" + user.token +
                 "\",\"tk2\":\"\",\"lvl\":40}";
    return reply;
  }
  reply.body = "{\"err\":1,\"errmsg\":\"invalid id or password\"}";
  return reply;
}

void WebServerPeer::ServeCryptedData() {
  for (const char* path : {"/data/crypted_data_up", "/data/crypted_data_list"}) {
    http_.On("POST", path, [this, p = std::string(path)](const RecordedRequest& request) {
      return CryptedData(p, request);
    });
  }
}

std::string WebServerPeer::CryptedDataOf(const std::string& token) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = crypted_.find(token);
  return found == crypted_.end() ? std::string() : found->second.data;
}

PeerReply WebServerPeer::CryptedData(const std::string& path, const RecordedRequest& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string token = Value(request, "tk");
  bool member = false;
  for (const WebServerUser& user : users_)
    member = member || (!token.empty() && token == user.token);
  PeerReply reply;
  if (!member) {
    reply.body = "{\"err\":\"-1\",\"msg\":\"login required\"}";
    return reply;
  }
  if (path == "/data/crypted_data_up") {
    StoredCrypt& stored = crypted_[token];
    if (stored.idx == 0) stored.idx = ++lastUploadIdx_;
    stored.data = Value(request, "crypted");
    stored.modDate = Value(request, "dt");
    reply.body = "{\"err\":\"0\",\"idx\":\"" + std::to_string(stored.idx) + "\"}";
    return reply;
  }
  auto found = crypted_.find(token);
  if (found == crypted_.end()) {
    reply.body = "{\"err\":\"0\",\"idx\":\"0\"}";
    return reply;
  }
  // The stored text is base64 and the date digits and punctuation: nothing to escape.
  reply.body = "{\"err\":\"0\",\"idx\":\"" + std::to_string(found->second.idx) +
               "\",\"mod_date\":\"" + found->second.modDate + "\",\"crypted_data\":\"" +
               found->second.data + "\"}";
  return reply;
}

void WebServerPeer::ServeCafes(std::vector<WebServerCafe> cafes) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    cafes_ = std::move(cafes);
  }
  for (const char* path :
       {"/stock/cafe_list", "/stock/cafe_member_list", "/stock/cafe_rec_items_list2"}) {
    http_.On("GET", path, [this, p = std::string(path)](const RecordedRequest& request) {
      return Cafe(p, request);
    });
  }
}

bool WebServerPeer::IsMemberToken(const std::string& token) const {
  for (const WebServerUser& user : users_)
    if (!token.empty() && token == user.token) return true;
  return false;
}

namespace {
std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}
// A JSON number, whole numbers without a fraction.
std::string Number(double value) {
  char text[64];
  std::snprintf(text, sizeof(text), "%.15g", value);
  return text;
}
}  // namespace

std::string WebServerPeer::CafeListJson(const std::vector<WebServerCafe>& cafes) {
  std::string body = "{\"err\":0,\"msg\":\"\",\"data\":[";
  for (size_t i = 0; i < cafes.size(); ++i) {
    const WebServerCafe& cafe = cafes[i];
    if (i) body += ",";
    body += "{\"idx\":" + std::to_string(cafe.idx);
    if (!cafe.title.empty()) body += ",\"title\":" + Quoted(cafe.title);
    if (!cafe.managerName.empty()) body += ",\"manager_name\":" + Quoted(cafe.managerName);
    if (!cafe.managerTel.empty()) body += ",\"manager_tel\":" + Quoted(Base64(cafe.managerTel));
    body += ",\"description\":\"\",\"ps_rates\":\"5;10\",\"manager_idx\":" +
            std::to_string(cafe.managerIdx) +
            ",\"sub_manager_idx\":" + std::to_string(cafe.subManagerIdx) +
            ",\"sub_manager_ids\":" + Quoted(cafe.subManagerIds) +
            ",\"admin_url\":\"https://cafe.example/admin\",\"chat_id\":" +
            std::to_string(cafe.idx * 10);
    if (!cafe.chatToken.empty()) body += ",\"chat_token\":" + Quoted(Base64(cafe.chatToken));
    body += "}";
  }
  return body + "]}";
}

std::string WebServerPeer::CafeMembersJson(const WebServerCafe& cafe) {
  std::string body = "{\"info\":[{\"mod_time\":" + Quoted(cafe.modTime) +
                     ",\"err\":0,\"msg\":\"\",\"cur_time\":\"2025-01-06 09:00:00\","
                     "\"approved\":1,\"auto_trade\":0,\"my_cafe_approved\":" +
                     std::to_string(cafe.myCafeApproved) + "}],\"data\":[";
  for (size_t i = 0; i < cafe.members.size(); ++i) {
    const WebServerCafeMember& member = cafe.members[i];
    if (i) body += ",";
    body += "{\"uidx\":" + std::to_string(member.uidx);
    if (!member.uid.empty()) body += ",\"uid\":" + Quoted(member.uid);
    body += ",\"uname\":" + Quoted(member.uname) + ",\"cafe\":" + std::to_string(cafe.idx) +
            ",\"approved\":" + std::to_string(member.approved) +
            ",\"start_date\":" + Quoted(member.startDate) +
            ",\"end_date\":" + Quoted(member.endDate) + ",\"state\":1}";
  }
  return body + "]}";
}

std::string WebServerPeer::CafeItemsJson(const WebServerCafe& cafe) {
  std::string body = "{\"info\":[{\"mod_time\":" + Quoted(cafe.modTime) +
                     ",\"data_cnt\":" + std::to_string(cafe.items.size()) +
                     ",\"approved\":" + std::to_string(cafe.itemsApproved) + "}],\"data\":[";
  for (size_t i = 0; i < cafe.items.size(); ++i) {
    const WebServerCafeItem& item = cafe.items[i];
    if (i) body += ",";
    const std::string code = cafe.itemsApproved ? item.code : Base64(item.code);
    body += "{\"idx\":" + std::to_string(i + 1) +
            ",\"nation_idx\":" + std::to_string(item.nationIdx) +
            ",\"stock_market\":\"KOSPI\",\"stock_code\":" + Quoted(code) +
            ",\"stock_name\":" + Quoted(item.name) + ",\"cafe\":" + std::to_string(cafe.idx) +
            ",\"buy_or_sell\":" + std::to_string(item.buyOrSell) +
            ",\"buy_price_cur\":" + Number(item.buyPrice) +
            ",\"target_price\":" + Number(item.targetPrice) +
            ",\"cut_price\":" + Number(item.cutPrice) +
            ",\"losscut_rate\":" + Number(item.losscutRate) +
            ",\"min_profit_rate\":" + Number(item.minProfitRate) +
            ",\"profit_rate\":" + Number(item.profitRate) + ",\"buy_msg\":" +
            Quoted(item.buyMsg) + ",\"closed\":" + std::to_string(item.closed) + "}";
  }
  return body + "]}";
}

PeerReply WebServerPeer::Cafe(const std::string& path, const RecordedRequest& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  PeerReply reply;
  if (!IsMemberToken(request.Param("tk"))) {
    reply.body = "{\"err\":-1,\"msg\":\"login required\"}";
    return reply;
  }
  if (path == "/stock/cafe_list") {
    reply.body = CafeListJson(cafes_);
    return reply;
  }
  const int wanted = std::atoi(request.Param("cafe").c_str());
  for (const WebServerCafe& cafe : cafes_) {
    if (cafe.idx != wanted) continue;
    reply.body = path == "/stock/cafe_member_list" ? CafeMembersJson(cafe) : CafeItemsJson(cafe);
    return reply;
  }
  reply.body = "{\"err\":-2,\"msg\":\"no cafe\",\"info\":[],\"data\":[]}";
  return reply;
}

PeerReply WebServerPeer::IdCheck(const RecordedRequest& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  PeerReply reply;
  reply.delay = delay_;
  if (Value(request, "crc3") != ExpectedCrc3(Value(request, "crc2"))) {
    reply.body = "{\"err\":-3,\"errmsg\":\"crc\",\"idx\":0}";
    return reply;
  }
  const WebServerUser* user = nullptr;
  for (const WebServerUser& candidate : users_) {
    const std::string idBase64 = Base64(candidate.userId);
    if (Value(request, "uid2") == idBase64 && Value(request, "chk4") == idBase64 &&
        Value(request, "chk5") == Md5(idBase64) && Value(request, "key") == Md5(candidate.userId))
      user = &candidate;
  }
  if (!user) {
    reply.body = "{\"err\":-1,\"errmsg\":\"no user\",\"idx\":0}";
    return reply;
  }
  if (refusalErr_ != 0) {
    reply.body = "{\"err\":" + std::to_string(refusalErr_) + ",\"errmsg\":\"" + refusalMessage_ +
                 "\",\"idx\":" + std::to_string(refusalWithIndex_ ? user->userIdx : 0) + "}";
    return reply;
  }
  std::string body = "{\"err\":0,\"errmsg\":\"\",\"idx\":" + std::to_string(user->userIdx) +
                     ",\"token\":\"" + user->token +
                     "\",\"web_api_token\":" + std::to_string(user->webApiToken);
  if (!user->webApiKey.empty()) body += ",\"web_api_key\":\"" + user->webApiKey + "\"";
  if (!user->tel.empty()) body += ",\"tel\":\"" + Base64(user->tel) + "\"";
  for (const auto& [name, value] : fields_) body += ",\"" + name + "\":" + value;
  reply.body = body + "}";
  return reply;
}

}  // namespace orv::test
