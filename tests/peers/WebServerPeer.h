#pragma once
// The product's web server on loopback: it answers the plug-in's script requests as the server
// does and records them. "stock/id_check3" (the service check) checks the form's crc3 and the
// user's identity fields and answers with the user's index, token, web-API credentials and the
// service settings set here; further scripts ("stock/order_up3" ...) are added with On().

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "tests/peers/HttpPeer.h"

namespace orv::test {

// One member of the web server.
struct WebServerUser {
  std::string userId;  // UTF-8
  int userIdx = 0;
  std::string token;
  int webApiToken = 0;
  std::string webApiKey;  // empty: the reply carries none
  std::string tel;        // plain; sent base64; empty: the reply carries none
  std::string password;   // the web login's password; empty: the member cannot log in so
};

// One cafe of the cafe downloads, with its members and recommended items.
struct WebServerCafeMember {
  int uidx = 0;
  std::string uid;  // empty: the row carries no "uid"
  std::string uname;
  int approved = 1;
  std::string startDate = "2000-01-01 00:00:00";
  std::string endDate = "2999-12-31 23:59:59";
};
struct WebServerCafeItem {
  int nationIdx = 1;
  std::string code;  // plain; sent base64 when the cafe's items are not approved
  std::string name;
  // The recommendation ("buy_or_sell", "buy_price_cur", "target_price", "cut_price",
  // "losscut_rate", "min_profit_rate", "profit_rate", "buy_msg", "closed"); "idx" is the item's
  // place from 1.
  int buyOrSell = 1;
  double buyPrice = 1000;
  double targetPrice = 0;
  double cutPrice = 0;
  double losscutRate = 0;
  double minProfitRate = 0;
  double profitRate = 0;
  std::string buyMsg;
  int closed = 0;
};
struct WebServerCafe {
  int idx = 0;
  std::string title;        // empty: the entry carries no "title"
  std::string managerName;  // empty: the entry carries no "manager_name"
  std::string managerTel;   // plain; sent base64
  int managerIdx = 0;
  int subManagerIdx = 0;
  std::string subManagerIds;
  std::string chatToken;  // plain; sent base64
  std::vector<WebServerCafeMember> members;
  int myCafeApproved = 0;  // the member list's "my_cafe_approved"
  std::vector<WebServerCafeItem> items;
  int itemsApproved = 1;  // the items' "approved"; 0 sends the codes base64
  std::string modTime = "2025-01-06 09:00:00";
  // The members' phone numbers a recommendation of the cafe goes to by SMS.
  std::vector<std::string> phones;
};

class WebServerPeer {
 public:
  // The script paths, as the plug-in posts them.
  static constexpr const char* kIdCheckPath = "/stock/id_check3";

  WebServerPeer();
  explicit WebServerPeer(const TestCa& ca);

  bool Start() { return http_.Start(); }
  void Stop() { http_.Stop(); }
  // The base URL the run settings take.
  std::string BaseUrl() const { return http_.BaseUrl(); }
  HttpPeer& Http() { return http_; }

  void AddUser(const WebServerUser& user);
  // Members added to every accepted service-check reply, in order, each a raw JSON value
  // ("100", "\"text\"").
  void SetServiceFields(std::vector<std::pair<std::string, std::string>> fields);
  // Adds one member to the accepted service-check replies (a raw JSON value, as above).
  void AddServiceField(const std::string& key, const std::string& value);
  // Answers every service check with this error (err, errmsg) and, when above 0, still the
  // user's index; 0 restores normal answers.
  void SetRefusal(int err, const std::string& message, bool withIndex);
  // Answers the report scripts as the server does ("stock/order_up3", "stock/ai_cmt_up",
  // "sms/sms_send", "stock/user_eq_pr_up", the cafe member upload "stock/cafe_member_up" and
  // the GETs "stock/cafe_rec_up", "stock/order_up2"):
  // err 0 to a request carrying a member's token ("tk"), else err -1. An SMS leaves one message
  // less of `smsRemain`; a condition-result upload gets the next idx.
  void AnswerReports(int smsRemain);
  // Answers the cafe downloads ("stock/cafe_list", "stock/cafe_member_list",
  // "stock/cafe_rec_items_list2") with these cafes: a request carrying a member's token ("tk")
  // gets the cafes, a cafe's members and its items; any other gets err -1 and no data.
  void ServeCafes(std::vector<WebServerCafe> cafes);
  // The JSON of the cafe downloads as ServeCafes answers them.
  static std::string CafeListJson(const std::vector<WebServerCafe>& cafes);
  static std::string CafeMembersJson(const WebServerCafe& cafe);
  static std::string CafeItemsJson(const WebServerCafe& cafe);
  // Answers the recommendation scripts of the cafes of ServeCafes for a member's token ("tk";
  // any other gets err -1). "stock/cafe_rec_items_up" with "buy_or_sell" 11 is the profit
  // check: err 0 and "check_cnt", the number of "code_<n>" fields. Any other kind is an upload:
  // the next "idx", "sms_req_cnt" the cafe's phones and, with "pc_sms_send" 1, "sms_ok_cnt"
  // the same and "sms_tels" the phones base64, each ended by ';'. "stock/cafe_rec_sms_send"
  // answers "sms_ok_cnt" as "recv_tels_cnt"; the GET "stock/cafe_join_up" err 0 and a "msg".
  void ServeRecommendations();
  // Answers the web login ("member/login_check", "<b2b>/login_check" for b2b "stock"): a member
  // whose "uid" and "upw" match gets err 0 with "uidx", "tk", "uname" and "lvl"; anyone else
  // gets err 1 and an error message.
  void ServeLoginCheck();
  // Keeps each member's encrypted credential table: "data/crypted_data_up" stores the form's
  // "crypted" and "dt" under the member's token ("tk") and answers {"err":"0","idx":"<n>"};
  // "data/crypted_data_list" answers the stored copy ("idx", "mod_date", "crypted_data"), or
  // err 0 without data when none is kept. A request without a member's token gets err -1.
  void ServeCryptedData();
  // The member's stored copy (empty when none).
  std::string CryptedDataOf(const std::string& token) const;
  // Holds every service check for delay before answering.
  void SetDelay(std::chrono::milliseconds delay);

  // Another script of the server.
  void On(const std::string& method, const std::string& path, PeerScript script) {
    http_.On(method, path, std::move(script));
  }

  // Requests to a path, in arrival order.
  std::vector<RecordedRequest> RequestsTo(const std::string& path) const;

  // crc3 of a service-check form, as the server computes it: MD5 hex of "<crc2>.hR@dXn@Ub@.".
  static std::string ExpectedCrc3(const std::string& crc2);
  static std::string Base64(const std::string& text);
  static std::string Md5(const std::string& text);

 private:
  void Install();
  PeerReply IdCheck(const RecordedRequest& request);
  PeerReply Report(const std::string& path, const RecordedRequest& request);
  PeerReply Cafe(const std::string& path, const RecordedRequest& request);
  PeerReply Recommendation(const std::string& path, const RecordedRequest& request);
  PeerReply CryptedData(const std::string& path, const RecordedRequest& request);
  PeerReply LoginCheck(const RecordedRequest& request);
  bool IsMemberToken(const std::string& token) const;  // mutex_ held

  HttpPeer http_;
  mutable std::mutex mutex_;
  std::vector<WebServerUser> users_;
  std::vector<std::pair<std::string, std::string>> fields_;
  int refusalErr_ = 0;
  std::string refusalMessage_;
  bool refusalWithIndex_ = false;
  std::chrono::milliseconds delay_{0};
  int smsRemain_ = 0;
  int lastUploadIdx_ = 0;
  int lastRecommendationIdx_ = 0;
  std::vector<WebServerCafe> cafes_;
  struct StoredCrypt {
    int idx = 0;
    std::string data;
    std::string modDate;
  };
  std::map<std::string, StoredCrypt> crypted_;  // by member token
};

}  // namespace orv::test
