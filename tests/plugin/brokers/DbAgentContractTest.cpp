// The agent contract, run against the DB agent and the DB broker peer.

#include <memory>

#include "plugin/brokers/DbSecuAgent.h"
#include "tests/peers/DbBrokerPeer.h"
#include "tests/plugin/brokers/AgentContract.h"
#include "tests/plugin/brokers/DbFormatContractPeer.h"

namespace orv::test {
namespace {

// The DB peer seen through the contract's peer members.
class DbContractPeer : public DbFormatContractPeer<DbBrokerPeer> {
 public:
  using DbFormatContractPeer::DbFormatContractPeer;

  int RefuseLogin() {
    RefuseToken("IGW00123", "refused by the contract test");
    return 100123;
  }
  int SetListPages(const std::vector<std::vector<std::string>>& pages) {
    std::vector<std::vector<DbTickerRow>> rows;
    for (const auto& page : pages) {
      rows.emplace_back();
      for (const std::string& code : page) rows.back().push_back({code, "KR7" + code, "1", code});
    }
    SetTickerPages(kDomesticTickerPath, rows);
    return static_cast<int>(pages.size());
  }
  int RefuseOrders() { return RefuseOrdersWith("IGW"); }
};

struct DbAgentTraits {
  using Peer = DbContractPeer;
  static std::unique_ptr<CStockAgentBase> MakeAgent() {
    return std::make_unique<CDbSecuAgent>(kMarketDomestic, L"contract", '1', kDbBrokerId, 1, 1,
                                          1500.0, 40);
  }
  static std::unique_ptr<Peer> MakePeer(const TestCa& ca) { return std::make_unique<Peer>(ca); }
  static void SetTimeout(CStockAgentBase& agent, int ms) {
    static_cast<CDbSecuAgent&>(agent).SetRequestTimeout(ms);
  }
  static uint8_t Market() { return kMarketDomestic; }
  static char ListLetter() { return '1'; }
  static std::wstring HeldCode(const std::string& peerCode) { return DomesticHeldCode(peerCode); }
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Db, AgentContractTest, DbAgentTraits);

}  // namespace orv::test
