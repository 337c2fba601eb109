#pragma once
// The contract's peer members for a broker peer that answers in the DB broker's formats (the
// DB peer and the peers built on it); the login refusal and the list pages are each broker's.

#include <chrono>
#include <string>
#include <vector>

#include "tests/peers/DbBrokerPeer.h"
#include "tests/plugin/brokers/AgentContract.h"

namespace orv::test {

template <class BrokerPeer>
class DbFormatContractPeer : public BrokerPeer {
 public:
  using BrokerPeer::BrokerPeer;

  void SetDepositAmount(double amount) { this->SetDeposit({amount, amount, 0, amount}); }
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
    this->SetDomesticBalance(totals, rows);
  }
  void NeverAnswerBalance() {
    this->SetDelay(DbBrokerPeer::kDomesticBalancePath, std::chrono::seconds(30));
  }
  void SetQuotes(const std::vector<ContractQuote>& quotes) {
    std::vector<DbQuote> db;
    for (const ContractQuote& q : quotes) db.push_back({q.code, q.code, q.price});
    DbBrokerPeer::SetQuotes(db);
  }
  // Refuses every order with the gateway code "<prefix>00510"; returns the code the agent
  // must report.
  int RefuseOrdersWith(const std::string& prefix) {
    this->SetRawReply(DbBrokerPeer::kDomesticOrderPath,
                      "{\"rsp_cd\":\"" + prefix + "00510\",\"rsp_msg\":\"주문 불가\"}");
    return 100510;
  }
  void AnswerOrdersWithErrorPage() {
    this->SetRawReply(DbBrokerPeer::kDomesticOrderPath, "<html><body>503</body></html>",
                      "text/html");
  }
  size_t OrderRequests() const { return this->RequestsTo(DbBrokerPeer::kDomesticOrderPath).size(); }
};

}  // namespace orv::test
