#pragma once
// Sending a composed cafe recommendation to the product's web server: the upload
// ("stock/cafe_rec_items_up"), which answers with the recipients' phone numbers; the SMS chunks
// of those numbers ("stock/cafe_rec_sms_send", ten numbers a post); the profit check of the
// cafe's recommended stocks; and the membership request of a cafe ("stock/cafe_join_up").
// Also the token request of an outside SMS web service, which nothing in the program calls.
//
// Each request blocks its caller (the composer page runs them on the user-interface thread, as
// the login does) and keeps its state in its own values; no lock is held.

#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/WinTypes.h"

struct app_run_setting_s;
struct login_info_s;

constexpr int kRecUploadTimeoutMs = 5000;
constexpr int kRecSmsChunkTimeoutMs = 10000;
constexpr int kRecJoinTimeoutMs = 5000;
// Numbers in one SMS post.
constexpr int kRecSmsChunkNumbers = 10;

// The records every request reads the user and the server from (borrowed).
struct RecWebContext_s {
  const app_run_setting_s* run = nullptr;
  const login_info_s* login = nullptr;
};

// One recommendation as the upload form carries it.
struct RecUpload_s {
  SYSTEMTIME recTime{};  // the recommendation date
  int32_t cafe = 0;
  int smsSend = 0;  // 1: the server sends the short message by SMS
  std::wstring title, message;
  int32_t authorIndex = 0;
  std::wstring authorName;
  std::string nationCode;
  std::wstring code;
  char market = 0;  // the stock's market letter
  std::wstring name;
  int kind = 1;
  int freeFlag = 1;
  // A buy.
  int rebuy = 0, strong = 0, weight = 0, days = 0;
  std::wstring comment;
  double bandLow = 0, bandHigh = 0, curPrice = 0, target1 = 0, stopPrice = 0;
  double minProfitRate = 0, lossCutRate = 0;
  // Other kinds.
  int sellRate = 100;
};

// What the upload answered. A missing key keeps its default.
struct RecUploadReply_s {
  int idx = 0;
  int smsOk = 0;
  int smsReq = 0;
  int err = -1;
  bool hasTels = false;
  std::string tels;  // "sms_tels" base64-decoded: numbers, each ended by ';'
  int httpStatus = 0;
  int postResult = -1;  // the transfer's own result (0 sent)
  size_t length = 0;    // the reply's length
};
// Reads the keys of an upload reply (null: nothing).
void ReadRecUploadReply(const char* reply, RecUploadReply_s* out);
// Posts the upload form; answers the transfer's result, the reply in *out.
int PostRecommendation(CURL* curl, const RecWebContext_s& web, const RecUpload_s& upload,
                       RecUploadReply_s* out);
// An upload the server took: status 200, "err" 0 and an "idx" of 1 or more.
bool RecUploadAccepted(const RecUploadReply_s& reply);
// The messages of a finished upload (the kind's label; whether SMS sending started).
std::wstring RecUploadFailureText(const wchar_t* label, const RecUploadReply_s& reply);
std::wstring RecUploadSuccessText(const wchar_t* label, const RecUploadReply_s& reply,
                                  bool smsStarted);

// The recipients of an upload, handed out ten numbers at a time.
class CSmsRecipients {
 public:
  // A new list (the decoded "sms_tels"); the cursor goes to its start.
  void Reset(std::string list);
  void Clear() { Reset(std::string()); }
  bool Done() const { return m_cursor >= m_list.size(); }
  // The next chunk: up to ten numbers with their ';' separators from the cursor (a last number
  // without a ';' goes with them), and the separators counted. False when the list is done.
  bool Next(std::string* chunk, int* separators);

 private:
  std::string m_list;
  size_t m_cursor = 0;
};

// One SMS chunk as the form carries it.
struct RecSmsChunk_s {
  std::string numbers;  // "n1;n2;...;"
  int count = 0;        // separators in numbers
  std::wstring message;
  int32_t recIndex = 0;  // the upload's "idx"
  int32_t cafe = 0;
  int kind = 1;
};
// Posts one chunk (`senderNumber`, the service settings' "sms_tel", must be present; it is not
// sent). Answers the recipients the server confirmed ("sms_ok_cnt"); 0 when a precondition
// fails (no chunk, message, sender number or recommendation number), the transfer fails, the
// status is not 200 or the reply has no count.
int SendSmsChunk(CURL* curl, const RecWebContext_s& web, const RecSmsChunk_s& chunk,
                 const std::string& senderNumber);
// The confirmed count of a chunk reply (0 without a reply or a count).
int ReadSmsChunkReply(const char* reply);

// The profit check: the cafe's recommended stocks with their prices and profit rates, numbered
// by their 1-based position in the cafe's list.
struct RecProfitItem_s {
  std::wstring code;
  double price = 0;
  double profitRate = 0;
};
constexpr int kProfitCheckNoAccess = 403;
constexpr int kProfitCheckNoPrices = 470;
constexpr int kProfitCheckNoReply = 471;
constexpr int kProfitCheckNoStatus = 472;
constexpr int kProfitCheckNoErr = 473;
// 403 when the user may not check (not a manager, no cafe, no stocks), 470 when no stock has a
// price, else 0.
int RecProfitCheckPrecondition(bool manager, int32_t cafe,
                               const std::vector<RecProfitItem_s>& items);
int RecPricedCount(const std::vector<RecProfitItem_s>& items);
// Posts the profit check; answers 0 or the error code (471 no reply, the HTTP status or 472,
// the reply's "err" or 473 without one); "check_cnt" into *checked.
int PostProfitCheck(CURL* curl, const RecWebContext_s& web, const SYSTEMTIME& recTime, int32_t cafe,
                    int smsSend, const std::vector<RecProfitItem_s>& items, int* checked);
// The result of a profit-check reply with the status (the codes above).
int ReadProfitCheckReply(const char* reply, int httpStatus, int* checked);

// The membership request of a cafe: answers the reply's "err" (-1 without a reply or an
// address) and its "msg".
int RequestCafeJoin(CURL* curl, const RecWebContext_s& web, int32_t cafe, std::string* message);
int ReadCafeJoinReply(const char* reply, int httpStatus, std::string* message);

// The token request of an outside SMS web service (client credentials, basic authorisation of
// "uid:key"). Mode 2 asks for JSON; modes 1 and 2 send the body, mode 0 none. TLS is verified.
// Answers the reply (malloc, NUL-terminated; the caller frees it), null when nothing came or
// the credentials are empty.
char* RequestSmsApiToken(CURL* curl, const char* url, int mode, const std::string& uid,
                         const std::string& key);
// Appends a piece of a reply to a heap buffer kept NUL-terminated (libcurl write function).
size_t OnSmsApiData(char* data, size_t size, size_t count, void* buffer);
