// The agent contract, run against the DB agent and the DB broker peer.

#include <memory>

#include "plugin/brokers/DbSecuAgent.h"
#include "tests/peers/DbBrokerPeer.h"
#include "tests/plugin/brokers/AgentContract.h"

namespace orv::test {
namespace {

// The DB peer seen through the contract's peer members.
class DbContractPeer : public DbBrokerPeer {
 public:
  using DbBrokerPeer::DbBrokerPeer;

  int RefuseLogin() {
    RefuseToken("IGW00123", "refused by the contract test");
    return 100123;
  }
  void SetDepositAmount(double amount) { SetDeposit({amount, amount, 0, amount}); }
  void SetHoldings(const std::vector<ContractHolding>& holdings) {
    std::vector<DbHoldingRow> rows;
    DbDomesticTotals totals;
    for (const ContractHolding& h : holdings) {
      DbHoldingRow row;
      row.code = h.code;
      row.name = h.code;
      row.balanceQty = h.quantity;
      row.ableQty = h.quantity;
      row.avgPrice = h.avgPrice;
      row.nowPrice = h.nowPrice;
      rows.push_back(row);
      totals.buy += h.quantity * h.avgPrice;
      totals.eval += h.quantity * h.nowPrice;
    }
    SetDomesticBalance(totals, rows);
  }
  void NeverAnswerBalance() { SetDelay(kDomesticBalancePath, std::chrono::seconds(30)); }
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
  static std::wstring HeldCode(const std::string& peerCode) {
    const std::string code =
        !peerCode.empty() && peerCode[0] == 'A' ? peerCode.substr(1) : peerCode;
    return std::wstring(code.begin(), code.end());
  }
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Db, AgentContractTest, DbAgentTraits);

}  // namespace orv::test
