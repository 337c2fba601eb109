#include "tests/peers/AiChatPeer.h"

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

namespace orv::test {

namespace {

std::string Text(const std::string& value) {
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
  writer.String(value.c_str(), static_cast<rapidjson::SizeType>(value.size()));
  return buffer.GetString();
}

PeerReply Json(int status, std::string body) {
  PeerReply reply;
  reply.status = status;
  reply.body = std::move(body);
  return reply;
}

PeerReply Error(int status, const std::string& message) {
  return Json(status, "{\"error\":{\"message\":" + Text(message) +
                          ",\"type\":\"invalid_request_error\"}}");
}

PeerReply Id(const std::string& id) { return Json(200, "{\"id\":" + Text(id) + "}"); }

// The message's content as the assistants API writes it.
std::string MessageJson(const std::string& id, const std::string& role, const std::string& text) {
  return "{\"id\":" + Text(id) + ",\"object\":\"thread.message\",\"role\":" + Text(role) +
         ",\"content\":[{\"type\":\"text\",\"text\":{\"value\":" + Text(text) +
         ",\"annotations\":[]}}]}";
}

}  // namespace

AiChatPeer::AiChatPeer() { Install(); }
AiChatPeer::AiChatPeer(const TestCa& ca) : http_(ca) { Install(); }

void AiChatPeer::AcceptKey(const std::string& key) {
  std::lock_guard<std::mutex> lock(mutex_);
  key_ = key;
}

void AiChatPeer::SetAnswer(std::function<std::string(const std::string&)> answer) {
  std::lock_guard<std::mutex> lock(mutex_);
  answer_ = std::move(answer);
}

void AiChatPeer::SetUsedTokens(int tokens) {
  std::lock_guard<std::mutex> lock(mutex_);
  usedTokens_ = tokens;
}

void AiChatPeer::SetReply(PeerReply reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  reply_ = std::move(reply);
  hasReply_ = true;
}

void AiChatPeer::ClearReply() {
  std::lock_guard<std::mutex> lock(mutex_);
  hasReply_ = false;
}

void AiChatPeer::SetAssistantAnswer(const std::string& text, int afterReads) {
  std::lock_guard<std::mutex> lock(mutex_);
  assistantAnswers_ = true;
  assistantText_ = text;
  answerAfterReads_ = afterReads;
}

void AiChatPeer::SetAssistantSilent() {
  std::lock_guard<std::mutex> lock(mutex_);
  assistantAnswers_ = false;
}

std::vector<RecordedRequest> AiChatPeer::RequestsTo(const std::string& path) const {
  std::vector<RecordedRequest> out;
  for (const RecordedRequest& request : http_.Requests())
    if (request.path == path) out.push_back(request);
  return out;
}

std::vector<RecordedRequest> AiChatPeer::ChatRequests() const { return RequestsTo(kChatPath); }

std::string AiChatPeer::PromptOf(const RecordedRequest& request) {
  rapidjson::Document doc;
  doc.Parse(request.body.data(), request.body.size());
  if (doc.HasParseError() || !doc.IsObject()) return {};
  auto messages = doc.FindMember("messages");
  if (messages == doc.MemberEnd() || !messages->value.IsArray() || messages->value.Empty())
    return {};
  const rapidjson::Value& first = messages->value[0];
  if (!first.IsObject()) return {};
  auto content = first.FindMember("content");
  if (content == first.MemberEnd() || !content->value.IsString()) return {};
  return std::string(content->value.GetString(), content->value.GetStringLength());
}

std::string AiChatPeer::ChoicesReply(const std::string& content, int usedTokens) {
  return "{\"id\":\"chatcmpl-1\",\"object\":\"chat.completion\",\"model\":\"gpt-4o\","
         "\"choices\":[{\"index\":0,\"message\":{\"role\":\"assistant\",\"content\":" +
         Text(content) + "},\"finish_reason\":\"stop\"}],\"usage\":{\"prompt_tokens\":" +
         std::to_string(usedTokens / 2) + ",\"completion_tokens\":" +
         std::to_string(usedTokens - usedTokens / 2) +
         ",\"total_tokens\":" + std::to_string(usedTokens) + "}}";
}

std::string AiChatPeer::SandboxAnswer(const std::string& prompt) {
  const size_t end = prompt.find(" [");
  const std::string subject = end == std::string::npos ? std::string("이 종목") : prompt.substr(0, end);
  return subject +
         " 분석 (샌드박스 AI)\n최근 60일 일봉의 종가가 Envelope Mid 위에서 움직여 \"상승\" 추세로 "
         "판단됩니다.\n기관/외국인 순매수가 이어지는지 확인하세요.";
}

bool AiChatPeer::Authorized(const RecordedRequest& request) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return request.Header("Authorization") == "Bearer " + key_;
}

PeerReply AiChatPeer::Chat(const RecordedRequest& request) {
  if (!Authorized(request)) return Error(401, "Incorrect API key provided.");
  std::function<std::string(const std::string&)> answer;
  int tokens = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (hasReply_) return reply_;
    answer = answer_;
    tokens = usedTokens_;
  }
  if (request.Header("Content-Type").find("application/json") == std::string::npos)
    return Error(400, "The body must be JSON.");
  rapidjson::Document doc;
  doc.Parse(request.body.data(), request.body.size());
  if (doc.HasParseError() || !doc.IsObject() || !doc.HasMember("model"))
    return Error(400, "We could not parse the JSON body of your request.");
  const std::string prompt = PromptOf(request);
  if (prompt.empty()) return Error(400, "'messages' must hold a user message.");
  return Json(200, ChoicesReply(answer ? answer(prompt) : SandboxAnswer(prompt), tokens));
}

PeerReply AiChatPeer::Messages(const RecordedRequest& request) {
  if (!Authorized(request)) return Error(401, "Incorrect API key provided.");
  std::lock_guard<std::mutex> lock(mutex_);
  if (request.method == "POST") {
    rapidjson::Document doc;
    doc.Parse(request.body.data(), request.body.size());
    if (doc.HasParseError() || !doc.IsObject() || !doc.HasMember("content") ||
        !doc["content"].IsString())
      return Error(400, "We could not parse the JSON body of your request.");
    userMessages_.emplace_back(doc["content"].GetString(), doc["content"].GetStringLength());
    return Id("msg_user_" + std::to_string(userMessages_.size()));
  }
  // The list, newest first: the assistant's answer once the run has had its reads.
  ++reads_;
  std::vector<std::string> data;
  if (runStarted_ && assistantAnswers_ && reads_ > answerAfterReads_)
    data.push_back(MessageJson("msg_assistant_1", "assistant", assistantText_));
  for (size_t i = userMessages_.size(); i-- > 0;)
    data.push_back(MessageJson("msg_user_" + std::to_string(i + 1), "user", userMessages_[i]));
  std::string body = "{\"object\":\"list\",\"data\":[";
  for (size_t i = 0; i < data.size(); ++i) body += (i ? "," : "") + data[i];
  return Json(200, body + "]}");
}

void AiChatPeer::Install() {
  http_.On("POST", kChatPath, [this](const RecordedRequest& r) { return Chat(r); });
  http_.On("POST", "/v1/files", [this](const RecordedRequest& r) {
    if (!Authorized(r)) return Error(401, "Incorrect API key provided.");
    const FormPart* file = r.Part("file");
    const FormPart* purpose = r.Part("purpose");
    if (!file || !purpose || purpose->content != "assistants")
      return Error(400, "A file and its purpose are needed.");
    std::lock_guard<std::mutex> lock(mutex_);
    return Id("file-" + std::to_string(nextFile_++));
  });
  http_.On("POST", "/v1/assistants", [this](const RecordedRequest& r) {
    if (!Authorized(r)) return Error(401, "Incorrect API key provided.");
    rapidjson::Document doc;
    doc.Parse(r.body.data(), r.body.size());
    if (doc.HasParseError() || !doc.IsObject()) return Error(400, "Bad body.");
    return Id(kAssistantId);
  });
  http_.On("POST", "/v1/threads", [this](const RecordedRequest& r) {
    return Authorized(r) ? Id(kThreadId) : Error(401, "Incorrect API key provided.");
  });
  const std::string thread = std::string("/v1/threads/") + kThreadId;
  http_.On("POST", thread + "/messages", [this](const RecordedRequest& r) { return Messages(r); });
  http_.On("GET", thread + "/messages", [this](const RecordedRequest& r) { return Messages(r); });
  http_.On("POST", thread + "/runs", [this](const RecordedRequest& r) {
    if (!Authorized(r)) return Error(401, "Incorrect API key provided.");
    std::lock_guard<std::mutex> lock(mutex_);
    runStarted_ = true;
    reads_ = 0;
    return Id("run_1");
  });
}

}  // namespace orv::test
