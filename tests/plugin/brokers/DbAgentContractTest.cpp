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
  int SetListPages(const std::vector<std::vector<std::string>>& pages) {
    std::vector<std::vector<DbTickerRow>> rows;
    for (const auto& page : pages) {
      rows.emplace_back();
      for (const std::string& code : page) rows.back().push_back({code, "KR7" + code, "1", code});
    }
    SetTickerPages(kDomesticTickerPath, rows);
    return static_cast<int>(pages.size());
  }
  void SetQuotes(const std::vector<ContractQuote>& quotes) {
    std::vector<DbQuote> db;
    for (const ContractQuote& q : quotes) db.push_back({q.code, q.code, q.price});
    DbBrokerPeer::SetQuotes(db);
  }
  int RefuseOrders() {
    SetRawReply(kDomesticOrderPath, "{\"rsp_cd\":\"IGW00510\",\"rsp_msg\":\"주문 불가\"}");
    return 100510;
  }
  void AnswerOrdersWithErrorPage() {
    SetRawReply(kDomesticOrderPath, "<html><body>503</body></html>", "text/html");
  }
  size_t OrderRequests() const { return RequestsTo(kDomesticOrderPath).size(); }
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
