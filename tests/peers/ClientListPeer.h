#pragma once
// The client list of the product's web server on loopback. "agc/clients_list" answers the
// stored clients as XML ("data" / "items" / "item" with the values as attributes), filtered by
// the customer kind and the bound search value, sorted by customer kind and company name and
// cut to the page asked for; "agc/clients_up" stores the numbered rows of a save (new ones get
// the next idx) or deletes the numbered idx, and answers "mod_ok_ids". Requests without the
// member's token ("tk") get status 403. A search condition other than the one with bound values
// is refused with status 400, so a keyword written into SQL never passes.

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "tests/peers/WebServerPeer.h"

namespace orv::test {

// One stored client: attribute name to value (UTF-8), as the list sends them.
using WebServerClient = std::map<std::string, std::string>;

class ClientListPeer {
 public:
  static constexpr const char* kListPath = "/agc/clients_list";
  static constexpr const char* kUploadPath = "/agc/clients_up";
  // The search condition the list accepts besides none.
  static constexpr const char* kBoundSearch =
      " and (title like ? or com_name like ? or biz_reg_num like ? or tel like ? or "
      "mobile like ?)";

  // Installs both scripts on the web server; `memberToken` is the token the requests carry.
  ClientListPeer(WebServerPeer& web, std::string memberToken);

  void SetClients(std::vector<WebServerClient> clients);
  std::vector<WebServerClient> Clients() const;
  // The list reply of these clients.
  static std::string ListXml(const std::vector<WebServerClient>& clients, int totalCount);
  static std::string EscapeXml(const std::string& text);

 private:
  PeerReply List(const RecordedRequest& request);
  PeerReply Upload(const RecordedRequest& request);

  std::string token_;
  mutable std::mutex mutex_;
  std::vector<WebServerClient> clients_;
  int lastIdx_ = 0;
};

}  // namespace orv::test
