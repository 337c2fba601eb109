// The agent contract, run against the Korea Investment agent and its broker peer.

#include <memory>

#include "plugin/brokers/HangukSecuAgent.h"
#include "tests/peers/HangukBrokerPeer.h"
#include "tests/plugin/brokers/AgentContract.h"
#include "tests/plugin/brokers/DbFormatContractPeer.h"

namespace orv::test {
namespace {

class HangukContractPeer : public DbFormatContractPeer<HangukBrokerPeer> {
 public:
  using DbFormatContractPeer::DbFormatContractPeer;

  int RefuseLogin() {
    RefuseToken("EGW00123", "refused by the contract test");
    return 100123;
  }
  int SetListPages(const std::vector<std::vector<std::string>>& pages) {
    std::vector<std::vector<HangukListRow>> rows;
    for (const auto& page : pages) {
      rows.emplace_back();
      for (const std::string& code : page) rows.back().push_back({code, "KR7" + code, "1", code});
    }
    HangukBrokerPeer::SetListPages(kStockListPath, rows);
    return static_cast<int>(pages.size());
  }
  int RefuseOrders() { return RefuseOrdersWith("EGW"); }
};

struct HangukAgentTraits {
  using Peer = HangukContractPeer;
  static std::unique_ptr<CStockAgentBase> MakeAgent() {
    return std::make_unique<CHangukSecuAgent>(kMarketDomestic, L"contract", '1', kHangukBrokerId,
                                              1, 1, 1500.0, 40);
  }
  static std::unique_ptr<Peer> MakePeer(const TestCa& ca) { return std::make_unique<Peer>(ca); }
  static void SetTimeout(CStockAgentBase& agent, int ms) {
    static_cast<CHangukSecuAgent&>(agent).SetRequestTimeout(ms);
  }
  static uint8_t Market() { return kMarketDomestic; }
  static char ListLetter() { return '1'; }
  static std::wstring HeldCode(const std::string& peerCode) { return DomesticHeldCode(peerCode); }
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Hanguk, AgentContractTest, HangukAgentTraits);

}  // namespace orv::test
