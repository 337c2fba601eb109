#pragma once
// The AI analysis of a stock as text: the Korean prompt written from the stock's candles,
// envelope, investor trend and short selling, the chat request that carries it, the request to
// the configured chat service and the reading of its reply. The service's address and key are
// the user's settings; nothing here knows a service of its own.

#include <curl/curl.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

// The three prompt templates: A for coins (day candles and envelope only), C when short-selling
// data came, B otherwise.
enum class AiPromptTemplate { kA, kB, kC };
AiPromptTemplate ChooseAiPromptTemplate(uint8_t market, const std::string& shortSellingCsv);

// "코인" for the coin markets, else "주식".
const wchar_t* AiMarketWord(uint8_t market);

// The prompt (UTF-8) of a stock; the CSV texts go in as the agents wrote them (UTF-8), a
// missing one as an empty text. Empty when no name is given or a CSV text is not UTF-8.
std::string BuildAiPrompt(uint8_t market, const std::wstring& code, const std::wstring& name,
                          const std::string& dayCsv, const std::string& envelopeCsv,
                          const std::string& investorCsv, const std::string& shortSellingCsv);

// The escaping of a UTF-8 text for a JSON string, byte by byte: tab, line feed, carriage
// return, quote and backslash as \t \n \r \" \\; any other byte below 0x20 as \u00XX (lower
// case); every other byte (UTF-8 sequences included) unchanged.
std::string JsonEscapeUtf8(const std::string& utf8);

// The chat request body:
// {"model":"gpt-4o","messages":[{"role":"user","content":"<escaped prompt>"}]}
// Empty when the prompt is (no name, text not UTF-8).
std::string BuildAiChatRequest(uint8_t market, const std::wstring& code, const std::wstring& name,
                               const std::string& dayCsv, const std::string& envelopeCsv,
                               const std::string& investorCsv,
                               const std::string& shortSellingCsv);

// What a chat reply holds: choices[0].message.content (a leading UTF-8 byte-order mark is
// skipped), the tokens the service counted ("usage"."total_tokens", 0 when absent) and the
// service's own error text ("error"."message", or "error" as a text), when it sent one.
struct AiChatReply_s {
  bool hasContent = false;  // a non-empty content string
  std::string content;      // UTF-8
  int usedTokens = 0;
  std::string error;
};
AiChatReply_s ReadAiChatReply(const char* reply, size_t length);

// choices[0].message.content copied into a new heap text (malloc, NUL-terminated, freed by the
// caller) in *outText; answers its length, 0 (and null) when the reply holds none.
size_t ExtractAiReplyContent(const char* reply, size_t length, char** outText);
// The same content as a string; empty when absent.
std::string ExtractAiReplyContentString(const char* reply, size_t length);

// Where the chat requests go: the full address and the bearer key (the user's settings).
struct AiChatEndpoint_s {
  std::string url;
  std::string key;
};

// One chat request's outcome. `transfer` is libcurl's code (-1 when nothing was sent).
struct AiChatResult_s {
  int transfer = -1;
  int status = 0;     // HTTP status, 0 without an answer
  std::string reply;  // the raw reply
  std::string error;  // why nothing usable came, for the log (empty on an answer of 200)
};

// Posts the body to the endpoint on `curl` (the calling worker's handle) with
// "Authorization: Bearer <key>" and "Content-Type: application/json", verifying TLS against
// the program's CA file (else the system store). `abort`, when given, ends the transfer once
// it is non-zero. An endpoint without an https or http address, or without a key, sends
// nothing.
AiChatResult_s SendAiChatRequest(CURL* curl, const AiChatEndpoint_s& endpoint,
                                 const std::string& body, long timeoutMs,
                                 const std::atomic<int>* abort);

// The investor-trend series of the agents ("date,institution,foreign" per line) in the
// column order of the analysis page's chart ("date,foreign,institution"), one line each.
std::string InvestorSeriesForPage(const std::string& series);
