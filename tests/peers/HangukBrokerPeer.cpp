#include "tests/peers/HangukBrokerPeer.h"

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

namespace orv::test {
namespace {

BrokerPeerDialect HangukDialect() {
  BrokerPeerDialect dialect;
  dialect.tokenPath = HangukBrokerPeer::kTokenPath;
  dialect.revokePath = HangukBrokerPeer::kRevokePath;
  dialect.depositPath = HangukBrokerPeer::kDepositPath;
  dialect.secretParam = "appsecret";
  dialect.contKeyHeader = "tr_cont_key";
  dialect.extraPaths = {HangukBrokerPeer::kStockListPath,
                        HangukBrokerPeer::kOverseasSinglePricePath};
  return dialect;
}

PeerReply JsonReply(const std::string& body, int status = 200) {
  PeerReply reply;
  reply.status = status;
  reply.body = body;
  return reply;
}

// The "tr_id" each path wants.
const char* RequiredTrId(const std::string& path) {
  if (path == HangukBrokerPeer::kDepositPath) return "t0424";
  if (path == HangukBrokerPeer::kStockListPath) return "t8430";
  return nullptr;
}

}  // namespace

HangukBrokerPeer::HangukBrokerPeer() : DbBrokerPeer(HangukDialect(), nullptr) { InstallOwn(); }

HangukBrokerPeer::HangukBrokerPeer(const TestCa& ca) : DbBrokerPeer(HangukDialect(), &ca) {
  InstallOwn();
}

void HangukBrokerPeer::InstallOwn() {
  SetRevokeReply("{\"return_code\":200,\"return_msg\":\"revoked\"}");
  SetListPages(kStockListPath, {{}});
  Http().On("GET", kDayCandlePath, [this](const RecordedRequest& request) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!TokenAccepted(request.Header("Authorization")))
      return JsonReply("{\"rsp_cd\":\"EGW00121\",\"rsp_msg\":\"invalid access token\"}", 401);
    return JsonReply("[]");
  });
}

std::string HangukBrokerPeer::ListBody(const std::vector<HangukListRow>& rows) {
  rapidjson::StringBuffer text;
  rapidjson::Writer<rapidjson::StringBuffer> out(text);
  out.StartObject();
  out.Key("rsp_cd");
  out.String("00000");
  out.Key("t8430OutBlock");
  out.StartArray();
  for (const HangukListRow& r : rows) {
    out.StartObject();
    out.Key("shcode");
    out.String(r.shcode.c_str());
    out.Key("expcode");
    out.String(r.expcode.c_str());
    out.Key("gubun");
    out.String(r.gubun.c_str());
    out.Key("hname");
    out.String(r.hname.c_str());
    out.EndObject();
  }
  out.EndArray();
  out.EndObject();
  return text.GetString();
}

void HangukBrokerPeer::SetListPages(const std::string& path,
                                    const std::vector<std::vector<HangukListRow>>& pages,
                                    const std::vector<std::string>& keys) {
  std::vector<DbPage> bodies;
  for (size_t i = 0; i < pages.size(); ++i) {
    std::string key = i + 1 < pages.size() ? "k" + std::to_string(i + 1) : std::string();
    if (i < keys.size()) key = keys[i];
    bodies.push_back({ListBody(pages[i]), key});
  }
  SetPages(path, bodies);
}

bool HangukBrokerPeer::AnswerOwn(const std::string& path, const RecordedRequest& request,
                                 PeerReply* reply) {
  if (const char* trId = RequiredTrId(path); trId && request.Header("tr_id") != trId) {
    *reply = JsonReply("{\"rsp_cd\":\"EGW00205\",\"rsp_msg\":\"tr_id 오류\"}", 400);
    return true;
  }
  if (path != kOverseasSinglePricePath) return false;
  rapidjson::Document doc;
  doc.Parse(request.body.c_str());
  const char* code = nullptr;
  if (!doc.HasParseError() && doc.IsObject() && doc.HasMember("In") && doc["In"].IsObject() &&
      doc["In"].HasMember("InputIscd1") && doc["In"]["InputIscd1"].IsString()) {
    code = doc["In"]["InputIscd1"].GetString();
  }
  const DbQuote* quote = code ? QuoteOf(code) : nullptr;
  *reply = quote ? JsonReply(SinglePriceBody(*quote))
                 : JsonReply("{\"rsp_cd\":\"EGW00404\",\"rsp_msg\":\"종목 없음\"}");
  return true;
}

}  // namespace orv::test
