#include "plugin/community/AssistantClient.h"

#include <rapidjson/document.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>
#include <utility>

#include "platform/support/HttpForm.h"
#include "plugin/community/AiAnalysis.h"

namespace {

constexpr const char* kResultFile = "Generated_PreparedStatement.txt";
constexpr const char* kAssistantInstructions =
    "첨부된 문서들을 바탕으로 법원에 제출할 준비서면을 작성하는 법률 보조자입니다. 문서의 "
    "사실관계와 주장을 정리하여 준비서면 형식으로 답해 주세요.";
constexpr const char* kDraftInstruction =
    "첨부한 세 문서를 참고하여 상대방 주장에 대한 반박을 담은 준비서면 초안을 작성해 주세요.";
constexpr const char* kDraftNotice = "준비서면 초안을 %s 파일에 저장했습니다.\n";

// The reply grows with each chunk and always ends with a zero byte.
struct Reply {
  char* data = nullptr;
  size_t size = 0;
};

size_t Append(char* chunk, size_t size, size_t count, void* user) {
  auto* reply = static_cast<Reply*>(user);
  const size_t n = size * count;
  char* grown = static_cast<char*>(std::realloc(reply->data, reply->size + n + 1));
  if (!grown) return 0;  // stops the transfer
  std::memcpy(grown + reply->size, chunk, n);
  reply->size += n;
  grown[reply->size] = 0;
  reply->data = grown;
  return n;
}

void SetTls(CURL* curl) {
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  const std::string caFile = GfxGetHttpCaCertFile();
  if (!caFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.c_str());
}

std::string TakeId(char* reply) {
  char* id = reply ? JsonGetStringDup(reply, "id") : nullptr;
  std::string out = id ? id : "";
  std::free(id);
  std::free(reply);
  return out;
}

bool IsAssistantText(const rapidjson::Value& message) {
  if (!message.IsObject()) return false;
  auto role = message.FindMember("role");
  return role != message.MemberEnd() && role->value.IsString() &&
         std::strcmp(role->value.GetString(), "assistant") == 0;
}

}  // namespace

char* JsonGetStringDup(const char* json, const char* name) {
  if (!json || !name) return nullptr;
  rapidjson::Document doc;
  doc.Parse(json);
  if (doc.HasParseError() || !doc.IsObject()) return nullptr;
  auto member = doc.FindMember(name);
  if (member == doc.MemberEnd() || !member->value.IsString()) return nullptr;
  const size_t n = member->value.GetStringLength();
  char* copy = static_cast<char*>(std::malloc(n + 1));
  if (!copy) return nullptr;
  std::memcpy(copy, member->value.GetString(), n);
  copy[n] = 0;
  return copy;
}

std::string JsonEscapeString(const std::string& text) {
  // The chat prompt's escaping, with backspace and form feed in their short forms.
  std::string out;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != '\b' && text[i] != '\f') continue;
    out += JsonEscapeUtf8(text.substr(start, i - start));
    if (i < text.size()) out += text[i] == '\b' ? "\\b" : "\\f";
    start = i + 1;
  }
  return out;
}

std::string AssistantAnswerText(const char* messageList, size_t length) {
  std::string text;
  if (!messageList) return text;
  rapidjson::Document doc;
  doc.Parse(messageList, length);
  if (doc.HasParseError() || !doc.IsObject()) return text;
  auto data = doc.FindMember("data");
  if (data == doc.MemberEnd() || !data->value.IsArray()) return text;
  // The list comes newest first; the answer reads oldest first.
  for (rapidjson::SizeType i = data->value.Size(); i-- > 0;) {
    const rapidjson::Value& message = data->value[i];
    if (!IsAssistantText(message)) continue;
    auto content = message.FindMember("content");
    if (content == message.MemberEnd() || !content->value.IsArray()) continue;
    for (const rapidjson::Value& item : content->value.GetArray()) {
      if (!item.IsObject()) continue;
      auto body = item.FindMember("text");
      if (body == item.MemberEnd() || !body->value.IsObject()) continue;
      auto value = body->value.FindMember("value");
      if (value == body->value.MemberEnd() || !value->value.IsString()) continue;
      text.append(value->value.GetString(), value->value.GetStringLength());
      text += '\n';
    }
  }
  return text;
}

std::string AssistantOriginOf(const std::string& url) {
  size_t start = 0;
  if (url.rfind("https://", 0) == 0)
    start = 8;
  else if (url.rfind("http://", 0) == 0)
    start = 7;
  else
    return {};
  const size_t slash = url.find('/', start);
  if (slash == start) return {};
  return url.substr(0, slash);
}

CAssistantClient::CAssistantClient(AssistantConfig_s config) : m_config(std::move(config)) {}

bool CAssistantClient::Configured() const {
  return !AssistantOriginOf(m_config.origin + "/").empty() && !m_config.key.empty() &&
         m_config.key.find_first_of("\r\n") == std::string::npos;
}

curl_slist* CAssistantClient::JsonHeaders() const {
  const std::string bearer = "Authorization: Bearer " + m_config.key;
  curl_slist* headers = curl_slist_append(nullptr, bearer.c_str());
  return curl_slist_append(headers, "Content-Type: application/json");
}

char* CAssistantClient::Perform(CURL* curl, const std::string& url, curl_slist* headers,
                                const char* failure) {
  Reply reply;
  reply.data = static_cast<char*>(std::malloc(1));
  if (reply.data) reply.data[0] = 0;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Append);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  SetTls(curl);
  const CURLcode code = reply.data ? curl_easy_perform(curl) : CURLE_OUT_OF_MEMORY;
  curl_easy_cleanup(curl);
  if (code != CURLE_OK) {
    std::fprintf(stderr, "%s failed: %s\n", failure, curl_easy_strerror(code));
    std::free(reply.data);
    return nullptr;
  }
  return reply.data;
}

char* CAssistantClient::AssistantHttpGet(const std::string& url, curl_slist* headers) {
  if (!Configured()) return nullptr;
  CURL* curl = curl_easy_init();
  if (!curl) return nullptr;
  curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
  return Perform(curl, url, headers, "GET");
}

char* CAssistantClient::AssistantHttpPost(const std::string& url, curl_slist* headers,
                                          const std::string& body) {
  if (!Configured()) return nullptr;
  CURL* curl = curl_easy_init();
  if (!curl) return nullptr;
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  return Perform(curl, url, headers, "POST");
}

std::string CAssistantClient::AssistantHttpPostString(const std::string& url,
                                                      const std::string& body) {
  curl_slist* headers = JsonHeaders();
  char* reply = AssistantHttpPost(url, headers, body);
  curl_slist_free_all(headers);
  std::string out = reply ? reply : "";
  std::free(reply);
  return out;
}

char* CAssistantClient::AssistantUploadFile(int kind, const std::string& path, int number) {
  if (!Configured()) return nullptr;
  CURL* curl = curl_easy_init();
  if (!curl) return nullptr;
  char name[128];
  std::snprintf(name, sizeof name, "%s%d.txt", kind == 0 ? "my_statement" : "opp_statement",
                number);
  curl_mime* form = curl_mime_init(curl);
  curl_mimepart* part = curl_mime_addpart(form);
  curl_mime_name(part, "purpose");
  curl_mime_data(part, "assistants", CURL_ZERO_TERMINATED);
  part = curl_mime_addpart(form);
  curl_mime_name(part, "file");
  if (curl_mime_filedata(part, path.c_str()) != CURLE_OK) {
    std::fprintf(stderr, "Upload failed: %s cannot be read\n", path.c_str());
    curl_mime_free(form);
    curl_easy_cleanup(curl);
    return nullptr;
  }
  curl_mime_filename(part, name);
  const std::string bearer = "Authorization: Bearer " + m_config.key;
  curl_slist* headers = curl_slist_append(nullptr, bearer.c_str());
  headers = curl_slist_append(headers, "Expect:");
  curl_easy_setopt(curl, CURLOPT_MIMEPOST, form);
  char* reply = Perform(curl, Url("/v1/files"), headers, "Upload");
  curl_mime_free(form);
  curl_slist_free_all(headers);
  return reply;
}

char* CAssistantClient::AssistantCreate(const std::string& fileIdsJson) {
  const std::string body = std::string("{\"model\":\"gpt-4-1106-preview\",\"name\":\"LegalAssistant\",") +
                           "\"instructions\":\"" + JsonEscapeString(kAssistantInstructions) +
                           "\",\"tools\":[{\"type\":\"retrieval\"}],\"file_ids\":" + fileIdsJson +
                           "}";
  curl_slist* headers = JsonHeaders();
  char* reply = AssistantHttpPost(Url("/v1/assistants"), headers, body);
  curl_slist_free_all(headers);
  return reply;
}

char* CAssistantClient::AssistantCreateThread() {
  curl_slist* headers = JsonHeaders();
  char* reply = AssistantHttpPost(Url("/v1/threads"), headers, "{}");
  curl_slist_free_all(headers);
  return reply;
}

char* CAssistantClient::AssistantAddMessageA(const std::string& threadId, const std::string& text) {
  curl_slist* headers = JsonHeaders();
  char* reply = AssistantHttpPost(Url("/v1/threads/" + threadId + "/messages"), headers,
                                  "{ \"role\": \"user\", \"content\": \"" + text + "\" }");
  curl_slist_free_all(headers);
  return reply;
}

std::string CAssistantClient::AssistantAddMessage(const std::string& threadId,
                                                  const std::string& message) {
  return AssistantHttpPostString(
      Url("/v1/threads/" + threadId + "/messages"),
      "{ \"role\": \"user\", \"content\": \"" + JsonEscapeString(message) + "\" }");
}

char* CAssistantClient::AssistantRun(const std::string& threadId, const std::string& assistantId) {
  curl_slist* headers = JsonHeaders();
  char* reply = AssistantHttpPost(Url("/v1/threads/" + threadId + "/runs"), headers,
                                  "{ \"assistant_id\": \"" + JsonEscapeString(assistantId) + "\" }");
  curl_slist_free_all(headers);
  return reply;
}

char* CAssistantClient::AssistantWaitForResult(const std::string& threadId) {
  curl_slist* headers = JsonHeaders();
  char* found = nullptr;
  for (int i = 0; i < kWaitTries && !found; ++i) {
    std::fputs("[Waiting for result...]\n", stdout);
    std::this_thread::sleep_for(std::chrono::milliseconds(kWaitPauseMs));
    char* reply = AssistantHttpGet(Url("/v1/threads/" + threadId + "/messages"), headers);
    // Only an answer of the assistant ends the wait: the user's own message has content too.
    if (reply && !AssistantAnswerText(reply, std::strlen(reply)).empty())
      found = reply;
    else
      std::free(reply);
  }
  curl_slist_free_all(headers);
  return found;
}

std::string CAssistantClient::AssistantGetMessagesText(const std::string& threadId) {
  curl_slist* headers = JsonHeaders();
  char* reply = AssistantHttpGet(Url("/v1/threads/" + threadId + "/messages"), headers);
  curl_slist_free_all(headers);
  std::string text = reply ? AssistantAnswerText(reply, std::strlen(reply)) : std::string();
  std::free(reply);
  return text;
}

int CAssistantClient::AssistantDraftStatement(const std::string& folder) {
  if (!Configured()) {
    std::fputs("The AI service's address or key is not set.\n", stderr);
    return -1;
  }
  const std::string opponent = folder + "opp_statement.txt";
  const std::string mine = folder + "my_statement.txt";
  std::string ids[3] = {TakeId(AssistantUploadFile(2, opponent, 1)),
                        TakeId(AssistantUploadFile(2, opponent, 2)),
                        // The own statement goes up under its own name (kind 0).
                        TakeId(AssistantUploadFile(0, mine, 1))};
  for (const std::string& id : ids)
    if (id.empty()) {
      std::fputs("A statement file was not taken.\n", stderr);
      return -1;
    }
  const std::string fileIds = "[\"" + JsonEscapeString(ids[0]) + "\",\"" + JsonEscapeString(ids[1]) +
                              "\",\"" + JsonEscapeString(ids[2]) + "\"]";
  const std::string assistant = TakeId(AssistantCreate(fileIds));
  const std::string thread = assistant.empty() ? std::string() : TakeId(AssistantCreateThread());
  if (assistant.empty() || thread.empty()) {
    std::fputs("The assistant or its thread was not made.\n", stderr);
    return -1;
  }
  std::free(AssistantAddMessageA(thread, JsonEscapeString(kDraftInstruction)));
  const std::string run = TakeId(AssistantRun(thread, assistant));
  char* result = run.empty() ? nullptr : AssistantWaitForResult(thread);
  if (!result) {
    std::fputs("The assistant gave no answer.\n", stderr);
    return -1;
  }
  const std::string answer = AssistantAnswerText(result, std::strlen(result));
  std::free(result);
  const std::string path = folder + kResultFile;
  std::ofstream out(path, std::ios::trunc);
  out << answer;
  out.close();
  if (!out) {
    std::fprintf(stderr, "%s cannot be written.\n", path.c_str());
    return -1;
  }
  std::printf(kDraftNotice, kResultFile);
  return 0;
}
