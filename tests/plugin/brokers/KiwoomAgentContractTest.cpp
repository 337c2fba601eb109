// The agent contract, run against the Kiwoom agent and the Kiwoom broker peer.

#include <memory>

#include "plugin/brokers/KiwoomSecuAgent.h"
#include "tests/peers/KiwoomBrokerPeer.h"
#include "tests/plugin/brokers/AgentContract.h"

namespace orv::test {
namespace {

// The Kiwoom peer seen through the contract's peer members.
class KiwoomContractPeer : public KiwoomBrokerPeer {
 public:
  using KiwoomBrokerPeer::KiwoomBrokerPeer;

  int RefuseLogin() {
    RefuseToken(8001, "[8001:App Key와 Secret Key 검증에 실패했습니다]");
    return 8001;
  }
  void SetDepositAmount(double amount) { SetDeposit({amount, amount, 0, amount}); }
  void SetHoldings(const std::vector<ContractHolding>& holdings) {
    std::vector<KiwoomHolding> rows;
    for (const ContractHolding& h : holdings) {
      KiwoomHolding row;
      row.code = h.code;
      row.name = h.code;
      row.quantity = h.quantity;
      row.avgPrice = h.avgPrice;
      row.nowPrice = h.nowPrice;
      rows.push_back(row);
    }
    SetBalancePages({rows});
  }
  void NeverAnswerBalance() { SetDelay("kt00018", std::chrono::seconds(30)); }
  int SetListPages(const std::vector<std::vector<std::string>>& pages) {
    std::vector<std::vector<KiwoomListRow>> rows;
    for (const auto& page : pages) {
      rows.emplace_back();
      for (const std::string& code : page) rows.back().push_back({code, code, "0", 1000});
    }
    KiwoomBrokerPeer::SetListPages(rows);
    return static_cast<int>(pages.size());
  }
  void SetQuotes(const std::vector<ContractQuote>& quotes) {
    std::vector<KiwoomQuote> kiwoom;
    for (const ContractQuote& q : quotes) {
      KiwoomQuote quote;
      quote.code = q.code;
      quote.name = q.code;
      quote.price = q.price;
      kiwoom.push_back(quote);
    }
    KiwoomBrokerPeer::SetQuotes(kiwoom);
  }
  int RefuseOrders() {
    SetRawReply("kt10000", "{\"return_code\":20,\"return_msg\":\"[2000](RC4007:주문가능금액이 부족합니다)\"}");
    return 20;
  }
  void AnswerOrdersWithErrorPage() {
    SetRawReply("kt10000", "<html><body>503 Service Unavailable</body></html>", 503, "text/html");
  }
  size_t OrderRequests() const { return static_cast<size_t>(OrdersReceived()); }
};

struct KiwoomAgentTraits {
  using Peer = KiwoomContractPeer;
  static std::unique_ptr<CStockAgentBase> MakeAgent() {
    return std::make_unique<CKiwoomSecuAgent>(kMarketDomestic, L"contract", '1', kKiwoomBrokerId,
                                              1, 1, 1500.0, 40);
  }
  static std::unique_ptr<Peer> MakePeer(const TestCa& ca) { return std::make_unique<Peer>(ca); }
  static void SetTimeout(CStockAgentBase& agent, int ms) {
    static_cast<CKiwoomSecuAgent&>(agent).SetRequestTimeout(ms);
  }
  static uint8_t Market() { return kMarketDomestic; }
  static char ListLetter() { return '1'; }
  static std::wstring HeldCode(const std::string& peerCode) { return DomesticHeldCode(peerCode); }
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Kiwoom, AgentContractTest, KiwoomAgentTraits);

}  // namespace orv::test
