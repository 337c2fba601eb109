#pragma once
// A loopback stand-in for the Korea Investment securities broker, on top of the DB broker peer
// (its deposit, balance, quote and order replies are in the DB broker's formats): the token and
// revoke endpoints "/oauth2/tokenP" and "/oauth2/revokeP" (form field "appsecret"), the
// deposit "/stock/accno", the "t8430" stock list at "/stock/etc", the overseas single-stock
// price and the day-candle GET. Continuation keys travel in "tr_cont_key" headers. The
// deposit and the list want their "tr_id" header; without it the reply is HTTP 400 with
// rsp_cd "EGW00205".

#include <string>
#include <vector>

#include "tests/peers/DbBrokerPeer.h"

namespace orv::test {

// One element of a "t8430OutBlock" list.
struct HangukListRow {
  std::string shcode;  // "A005930" domestic, "AAPL" overseas
  std::string expcode;
  std::string gubun;  // market class ("1", "2", ...)
  std::string hname;
};

class HangukBrokerPeer : public DbBrokerPeer {
 public:
  static constexpr const char* kTokenPath = "/oauth2/tokenP";
  static constexpr const char* kRevokePath = "/oauth2/revokeP";
  static constexpr const char* kDepositPath = "/stock/accno";
  static constexpr const char* kStockListPath = "/stock/etc";
  static constexpr const char* kOverseasSinglePricePath =
      "/api/v1/quote/overseas-stock/inquiry/price";
  static constexpr const char* kDayCandlePath = "/v1/candles/days";

  HangukBrokerPeer();
  explicit HangukBrokerPeer(const TestCa& ca);

  // Pages of the list at `path`: page i lists pages[i] and carries keys[i] (when given, else
  // "k<i+1>") except the last, which carries none unless keys names one.
  void SetListPages(const std::string& path, const std::vector<std::vector<HangukListRow>>& pages,
                    const std::vector<std::string>& keys = {});
  static std::string ListBody(const std::vector<HangukListRow>& rows);

 protected:
  bool AnswerOwn(const std::string& path, const RecordedRequest& request,
                 PeerReply* reply) override;

 private:
  void InstallOwn();
};

}  // namespace orv::test
