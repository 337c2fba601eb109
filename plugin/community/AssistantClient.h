#pragma once
// A small client of an assistants-style AI web API that drafts a document from text files: it
// uploads the statement files, creates an assistant that may read them, opens a thread, posts
// the instruction, runs the assistant, waits for its answer and writes it to
// "Generated_PreparedStatement.txt". The service's address and key are the user's settings
// (the origin of the chat address and the generative-AI key); the client keeps no key of its
// own and never writes one out. Every request makes and cleans up its own easy handle.

#include <curl/curl.h>

#include <string>

// A heap copy (malloc, freed by the caller) of the string member `name` of the JSON object
// text; null when the text is not JSON, not an object or the member is absent or no string.
char* JsonGetStringDup(const char* json, const char* name);
// The text escaped for a JSON string: quote and backslash with a backslash; backspace, tab,
// line feed, form feed and carriage return as \b \t \n \f \r; other bytes below 0x20 as
// \u00xx (lower case); everything else unchanged.
std::string JsonEscapeString(const std::string& text);
// The texts of the assistant's messages of a message-list reply ("data"[].content[].text.value
// of the messages whose role is "assistant"), each followed by a line feed, oldest message
// first. The user's own messages are never part of the answer: a list without an assistant
// text gives an empty text.
std::string AssistantAnswerText(const char* messageList, size_t length);

// Where the service is: its origin ("https://host[:port]") and the bearer key.
struct AssistantConfig_s {
  std::string origin;
  std::string key;
};
// The origin of an address ("https://host:port/v1/chat/completions" gives
// "https://host:port"); empty for an address that is not http or https.
std::string AssistantOriginOf(const std::string& url);

class CAssistantClient {
 public:
  // Waiting: up to this many reads of the message list, this far apart.
  static constexpr int kWaitTries = 20;
  static constexpr int kWaitPauseMs = 5;

  explicit CAssistantClient(AssistantConfig_s config);

  // True when an origin and a key are set; without them no request is sent.
  bool Configured() const;

  // The helpers: a reply buffer (malloc, NUL-terminated, freed by the caller) or null when the
  // transfer failed ("GET failed: ..." / "POST failed: ..." on the standard error stream).
  char* AssistantHttpGet(const std::string& url, curl_slist* headers);
  char* AssistantHttpPost(const std::string& url, curl_slist* headers, const std::string& body);
  // Posts with the bearer and JSON content-type headers; the reply, empty on failure.
  std::string AssistantHttpPostString(const std::string& url, const std::string& body);

  // "/v1/files": the local file as "my_statement<n>.txt" (kind 0) or "opp_statement<n>.txt".
  char* AssistantUploadFile(int kind, const std::string& path, int number);
  // "/v1/assistants" with the file ids (a JSON array text).
  char* AssistantCreate(const std::string& fileIdsJson);
  // "/v1/threads".
  char* AssistantCreateThread();
  // A user message with the text as it is (it must already be JSON-string safe).
  char* AssistantAddMessageA(const std::string& threadId, const std::string& text);
  // A user message, escaped; the reply, empty on failure.
  std::string AssistantAddMessage(const std::string& threadId, const std::string& message);
  // "/v1/threads/<id>/runs" with the assistant.
  char* AssistantRun(const std::string& threadId, const std::string& assistantId);
  // The message list once it holds an answer of the assistant; null after kWaitTries reads
  // without one.
  char* AssistantWaitForResult(const std::string& threadId);
  // The assistant's answer in the thread (AssistantAnswerText); empty when it has none.
  std::string AssistantGetMessagesText(const std::string& threadId);

  // The whole draft from the two statement files of `folder` ("opp_statement.txt" uploaded
  // twice as the opponent's, "my_statement.txt" once as the user's own); the answer goes to "<folder>Generated_PreparedStatement.txt".
  // 0 when the file was written; -1 when a step failed (a missing id ends the draft there) or
  // no answer came, and then no file is written.
  int AssistantDraftStatement(const std::string& folder);

 private:
  std::string Url(const std::string& path) const { return m_config.origin + path; }
  curl_slist* JsonHeaders() const;
  char* Perform(CURL* curl, const std::string& url, curl_slist* headers, const char* failure);

  AssistantConfig_s m_config;
};
