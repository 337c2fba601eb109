#pragma once
// The cafe records and the readers of the three cafe replies of the product's web server: the
// cafe list ("stock/cafe_list"), the member list of a cafe ("stock/cafe_member_list") and the
// cafe's recommended items ("stock/cafe_rec_items_list2"). The readers only read: they change
// nothing outside what they answer, so a reply that cannot be read loses nothing.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/WinTypes.h"

// One cafe of the cafe list. Records never change once read: windows keep them (or the whole
// map) for as long as they like while later downloads make new ones.
struct CafeRecord_s {
  int32_t cafeIndex = 0;          // "idx" (1 or more)
  int32_t agencyIndex = 0;        // the agency the list was asked with
  int32_t managerIndex = 0;       // "manager_idx"
  int32_t chiefManagerIndex = 0;  // "manager_idx" again: what the downloads take as the chief
  int32_t subManagerIndex = 0;    // "sub_manager_idx"
  int32_t chatId = 0;             // "chat_id"
  bool hasChatToken = false;      // "chat_token" was sent
  std::string chatToken;          // "chat_token", base64-decoded
  std::string profitRates;        // "ps_rates", as received
  bool hasManagerPhone = false;   // "manager_tel" was sent
  std::string managerPhone;       // "manager_tel", base64-decoded
  std::wstring title;             // "title"
  std::wstring adminUrl;          // "admin_url"
  std::wstring managerName;       // "manager_name"
  std::wstring subManagerIds;     // "sub_manager_ids": member indexes, ';'-separated
};
using CafeRecordPtr = std::shared_ptr<const CafeRecord_s>;
// The cafes of one cafe-list reply by cafe index.
using CafeMap = std::map<int32_t, CafeRecordPtr>;

// How a reply reader ended.
enum class CafeReplyRead {
  kOk,
  kNotJson,      // not JSON (or, for the recommended items, a root that is not an object)
  kNoDataArray,  // the cafe list without a "data" array
};

// --- Cafe list ---
struct CafeListReply_s {
  CafeMap cafes;
  // The picked cafe: the last entry whose index is the user's own or the requested cafe, else
  // the first entry kept; null when no entry was kept.
  CafeRecordPtr picked;
};
// Entries without an index of 1 or more, a title or a manager name are skipped; a cafe index
// sent twice keeps its first record.
CafeReplyRead ReadCafeListReply(const char* text, size_t length, int32_t agencyIndex,
                                int32_t ownCafe, int32_t requestedCafe, CafeListReply_s* out);

// --- Member list ---
// The period status of a member: 2 when the start lies 1 second or more after now, else 1 when
// the end does, else 4 (ended). Texts as the server writes them ("yyyy-mm-dd hh:mm:ss"); a text
// that is not a date counts as long past.
constexpr int kCafePeriodNotStarted = 2;
constexpr int kCafePeriodRunning = 1;
constexpr int kCafePeriodEnded = 4;
int CafeMemberPeriodStatus(const char* startText, const char* endText, const SYSTEMTIME& now);

struct CafeMembersReply_s {
  int32_t myCafeApproved = 0;  // the last "info" element's "my_cafe_approved"
  int32_t members = 0;         // member rows with a "uid" and a "uidx" of 1 or more
  // The cafe the user's membership is approved in; 0 when the reply approves none.
  int32_t approvedCafe = 0;
};
// `memberIndex` is the user's member index (0: nobody), `cafeIndex` the cafe asked for.
CafeReplyRead ReadCafeMembersReply(const char* text, size_t length, int32_t memberIndex,
                                   int32_t cafeIndex, const SYSTEMTIME& now,
                                   CafeMembersReply_s* out);

// --- Recommended items ---
// Longest stock code of an item, in bytes (a 32-byte buffer with its terminator).
constexpr size_t kCafeItemCodeMax = 31;
// Longest mod-time text kept, in characters.
constexpr size_t kCafeModTimeMax = 19;
// What an item says about its recommendation (absent fields 0 or empty).
struct CafeRecItemValues_s {
  int32_t recIndex = 0;       // "idx", the recommendation's number
  int32_t tradeSide = 0;      // "buy_or_sell": 1 buy, 2 sell, 3 both
  double recPrice = 0;        // "buy_price_cur"
  double targetPrice = 0;     // "target_price", the lowest take-profit price
  double cutPrice = 0;        // "cut_price", the stop-loss price
  double stopLossRate = 0;    // "losscut_rate"
  double takeProfitRate1 = 0; // "min_profit_rate"
  double takeProfitRate2 = 0; // "min_profit_rate2"
  double profit = 0;          // "profit_rate"
  double dailyProfit = 0;     // "profit_rate_day"
  int32_t elapsed = 0;        // "cur_days"
  int32_t closed = 0;         // "closed": 1 when the recommendation is finished
  int32_t likes = 0;          // "good_cnt"
  std::wstring buyReason;     // "buy_msg"
  std::wstring sellReason;    // "sell_msg"
  std::wstring author;        // "author_name"
  std::wstring recDate;       // "rec_date"
};
struct CafeRecItem_s {
  uint8_t market = 0;  // "nation_idx", the master list's market
  std::string code;    // "stock_code", decoded when the reply's approval is 0
  CafeRecItemValues_s values;
};
struct CafeRecItemsReply_s {
  bool infoIsArray = false;
  std::string modTime;  // the last "mod_time" of "info" (at most 19 characters)
  int32_t dataCount = 0;
  int32_t approval = 0;              // 0 when "info" is absent: the codes then come base64-encoded
  std::vector<CafeRecItem_s> items;  // in reply order; entries without a code are skipped
};
// A leading UTF-8 byte-order mark is skipped. The text need not be terminated.
CafeReplyRead ReadCafeRecItemsReply(const char* text, size_t length, CafeRecItemsReply_s* out);

// The changes-since text of a mod-time: widened, every blank written as "%20".
std::wstring MakeCafeChangesSince(const std::string& modTime);

// True when the member index is one of the numbers of a sub-manager id list ("12;34", "12,34").
bool CafeIdListHasMember(const std::wstring& list, int32_t memberIndex);
