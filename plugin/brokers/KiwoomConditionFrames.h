#pragma once
// Kiwoom's condition searches over the real-time WebSocket: the frames the client sends
// ("CNSRLST" for the user's list of conditions, "CNSRREQ" to start a real-time search of one,
// "CNSRCLR" to stop it) and the reader of what the server sends back (the list, the current
// matches of a started search, and the real-time entries and exits). No UI types here.

#include <cstddef>
#include <string>
#include <vector>

// One condition of the user's list: the server's sequence number and the name.
struct KiwoomCondition_s {
  int seq = 0;
  std::wstring name;
};

// One stock currently matching a started search.
struct KiwoomConditionHit_s {
  std::wstring code;   // without the market prefix 'A'
  double price = 0;    // the current price, sign dropped; 0 when not sent
};

// A stock entering ('I') or leaving ('D') a condition in real time.
struct KiwoomConditionEvent_s {
  int seq = 0;
  std::wstring code;
  wchar_t kind = L'\0';
};

struct KiwoomConditionMessage_s {
  enum Kind { kNone, kList, kSearchResult, kEvents, kCleared };
  Kind kind = kNone;
  int returnCode = 0;
  std::wstring returnMsg;
  std::vector<KiwoomCondition_s> conditions;  // kList
  int seq = -1;                               // kSearchResult, kCleared
  std::vector<KiwoomConditionHit_s> hits;     // kSearchResult
  std::vector<KiwoomConditionEvent_s> events; // kEvents
};

std::string KiwoomConditionListFrame();
// search_type "1": real-time, the current matches answered first.
std::string KiwoomConditionRequestFrame(int seq);
std::string KiwoomConditionClearFrame(int seq);

// Reads a server message about condition searches. False for any other message (a quote, the
// log-in reply) and for one that cannot be read; entries of a list that cannot be read (no
// number, an empty or overlong name or code, an unknown kind) are skipped.
bool ReadKiwoomConditionMessage(const char* data, size_t size, KiwoomConditionMessage_s* out);

// The list as the monitoring view takes it: "seq^name;..." (names without '^' or ';').
std::wstring KiwoomConditionListText(const std::vector<KiwoomCondition_s>& conditions);
