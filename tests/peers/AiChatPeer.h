#pragma once
// A generative-AI web service on loopback: the chat requests ("/v1/chat/completions") answered
// with "choices" as the service does, after checking the bearer key and the body, and the
// assistants API ("/v1/files", "/v1/assistants", "/v1/threads" and a thread's messages and
// runs) with fixed ids. It records what it was sent.

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "tests/peers/HttpPeer.h"

namespace orv::test {

class AiChatPeer {
 public:
  static constexpr const char* kChatPath = "/v1/chat/completions";
  static constexpr const char* kThreadId = "thread_1";
  static constexpr const char* kAssistantId = "asst_1";

  // Plain HTTP, or HTTPS with a certificate signed by the CA.
  AiChatPeer();
  explicit AiChatPeer(const TestCa& ca);

  bool Start(int port = 0) { return http_.Start(port); }
  void Stop() { http_.Stop(); }
  HttpPeer& Http() { return http_; }
  // The service's base address and its chat address.
  std::string BaseUrl() const { return http_.BaseUrl(); }
  std::string ChatUrl() const { return http_.Url(kChatPath); }

  // The only key the service takes (default "sk-test"); any other gets 401 with an error.
  void AcceptKey(const std::string& key);
  // The answer to a prompt (default: SandboxAnswer) and the tokens the reply counts.
  void SetAnswer(std::function<std::string(const std::string& prompt)> answer);
  void SetUsedTokens(int tokens);
  // Answers every chat request with this reply instead (faults, empty choices...).
  void SetReply(PeerReply reply);
  void ClearReply();

  // The chat requests received, and the prompt of one (messages[0].content; empty when the
  // body does not hold one).
  std::vector<RecordedRequest> ChatRequests() const;
  static std::string PromptOf(const RecordedRequest& request);
  // The reply the service sends for a content.
  static std::string ChoicesReply(const std::string& content, int usedTokens);
  // The default answer: a short analysis naming the prompt's stock ("<name> (<code>)"), with a
  // quote and a line break in it.
  static std::string SandboxAnswer(const std::string& prompt);

  // Assistants: whether the assistant answers the thread's message, and after how many reads
  // of the message list its answer appears (0: at once).
  void SetAssistantAnswer(const std::string& text, int afterReads);
  void SetAssistantSilent();
  // Requests to a path (exact), in arrival order.
  std::vector<RecordedRequest> RequestsTo(const std::string& path) const;

 private:
  void Install();
  bool Authorized(const RecordedRequest& request) const;
  PeerReply Chat(const RecordedRequest& request);
  PeerReply Messages(const RecordedRequest& request);

  HttpPeer http_;
  mutable std::mutex mutex_;
  std::string key_ = "sk-test";
  std::function<std::string(const std::string&)> answer_;
  int usedTokens_ = 1234;
  bool hasReply_ = false;
  PeerReply reply_;
  int nextFile_ = 1;
  std::vector<std::string> userMessages_;
  bool assistantAnswers_ = true;
  std::string assistantText_ = "assistant answer";
  int answerAfterReads_ = 0;
  int reads_ = 0;
  bool runStarted_ = false;
};

}  // namespace orv::test
