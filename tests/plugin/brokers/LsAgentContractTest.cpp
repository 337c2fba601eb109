// The agent contract, run against the LS agent and the LS broker peer.

#include <memory>

#include "plugin/brokers/LsSecuAgent.h"
#include "tests/peers/LsBrokerPeer.h"
#include "tests/plugin/brokers/AgentContract.h"

namespace orv::test {
namespace {

// The LS peer seen through the contract's peer members.
class LsContractPeer : public LsBrokerPeer {
 public:
  using LsBrokerPeer::LsBrokerPeer;

  bool Start() { return LsBrokerPeer::Start(); }
  int RefuseLogin() {
    RefuseToken("IGW00123", "refused by the contract test");
    return 100123;
  }
  void SetDepositAmount(double amount) { SetDeposit(amount, amount, 0, amount); }
  void SetHoldings(const std::vector<ContractHolding>& holdings) {
    std::vector<LsHolding> rows;
    for (const ContractHolding& h : holdings)
      rows.push_back({h.code, h.code, h.quantity, h.avgPrice, h.nowPrice, 0});
    SetDomesticHoldings(rows);
  }
  void NeverAnswerBalance() { SetDelay(kAccountPath, std::chrono::seconds(30)); }
  int SetListPages(const std::vector<std::vector<std::string>>& pages) {
    std::vector<std::vector<LsListRow>> rows;
    for (const auto& page : pages) {
      rows.emplace_back();
      for (const std::string& code : page) rows.back().push_back({code, code, "1"});
    }
    LsBrokerPeer::SetListPages(kDomesticListPath, rows);
    return static_cast<int>(pages.size());
  }
  void SetQuotes(const std::vector<ContractQuote>& quotes) {
    std::vector<LsQuote> ls;
    for (const ContractQuote& q : quotes) ls.push_back({q.code, q.price});
    LsBrokerPeer::SetQuotes(ls);
  }
  int RefuseOrders() {
    SetRawReply(kDomesticOrderPath, "{\"rsp_cd\":\"IGW00510\",\"rsp_msg\":\"주문 불가\"}");
    return 100510;
  }
  void AnswerOrdersWithErrorPage() {
    SetRawReply(kDomesticOrderPath, "<html><body>503</body></html>", 503, "text/html");
  }
  size_t OrderRequests() const { return RequestsTo(kDomesticOrderPath).size(); }
};

struct LsAgentTraits {
  using Peer = LsContractPeer;
  static std::unique_ptr<CStockAgentBase> MakeAgent() {
    return std::make_unique<CLsSecuAgent>(kMarketDomestic, L"contract", '1', kLsBrokerId, 1, 1,
                                          1500.0, 40);
  }
  static std::unique_ptr<Peer> MakePeer(const TestCa& ca) { return std::make_unique<Peer>(ca); }
  static void SetTimeout(CStockAgentBase& agent, int ms) {
    static_cast<CLsSecuAgent&>(agent).SetRequestTimeout(ms);
  }
  static uint8_t Market() { return kMarketDomestic; }
  static char ListLetter() { return '1'; }
  static std::wstring HeldCode(const std::string& peerCode) {
    const std::string code =
        !peerCode.empty() && peerCode[0] == 'A' ? peerCode.substr(1) : peerCode;
    return std::wstring(code.begin(), code.end());
  }
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Ls, AgentContractTest, LsAgentTraits);

}  // namespace orv::test
