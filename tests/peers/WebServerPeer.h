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
  // Answers every service check with this error (err, errmsg) and, when above 0, still the
  // user's index; 0 restores normal answers.
  void SetRefusal(int err, const std::string& message, bool withIndex);
  // Answers the report scripts as the server does ("stock/order_up3", "stock/ai_cmt_up",
  // "sms/sms_send", "stock/user_eq_pr_up" and the GETs "stock/cafe_rec_up", "stock/order_up2"):
  // err 0 to a request carrying a member's token ("tk"), else err -1. An SMS leaves one message
  // less of `smsRemain`; a condition-result upload gets the next idx.
  void AnswerReports(int smsRemain);
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
};

}  // namespace orv::test
