// The agent contract, run against the Bithumb and Upbit agents and their exchange peers.

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "plugin/brokers/ExchangeAgent.h"
#include "tests/peers/ExchangePeer.h"
#include "tests/plugin/brokers/AgentContract.h"

namespace orv::test {
namespace {

// The exchange peer seen through the contract's peer members: a holding of the contract is a
// coin of the KRW market named by the broker code.
template <ExchangePeer::Kind kKind>
class ExchangeContractPeer : public ExchangePeer {
 public:
  explicit ExchangeContractPeer(const TestCa& ca) : ExchangePeer(kKind, ca) {}

  bool Start() { return ExchangePeer::Start(); }
  int RefuseLogin() {
    RefuseAccounts(kKind == Kind::kBithumb ? "invalid_access_key" : "no_access_key",
                   "refused by the contract test");
    return kKeyCheckBadKey;
  }
  void SetDepositAmount(double amount) {
    deposit_ = amount;
    Publish();
  }
  void SetHoldings(const std::vector<ContractHolding>& holdings) {
    holdings_ = holdings;
    Publish();
  }
  void NeverAnswerBalance() { SetAccountsDelay(std::chrono::seconds(30)); }
  // The exchange's list comes in one reply: the pages' codes as markets of the KRW market.
  int SetListPages(const std::vector<std::vector<std::string>>& pages) {
    std::vector<ExchangeMarketRow> markets;
    for (const auto& page : pages)
      for (const std::string& code : page) markets.push_back({"KRW-" + code, "코인 " + code, code});
    SetMarkets(markets);
    return 1;
  }
  void SetQuotes(const std::vector<ContractQuote>& quotes) {
    std::vector<ExchangeTickerRow> tickers;
    for (const ContractQuote& q : quotes) {
      ExchangeTickerRow t;
      t.market = "KRW-" + q.code;
      t.price = t.open = t.high = t.low = q.price;
      tickers.push_back(t);
    }
    SetTickers(tickers);
  }
  int RefuseOrders() {
    ExchangePeer::RefuseOrders("insufficient_funds_bid", "주문가능한 금액(KRW)이 부족합니다.");
    return kCoinOrderNoFundsBid;
  }
  void AnswerOrdersWithErrorPage() {
    ExchangePeer::RefuseOrders("");
    SetRawOrderReply("<html><body>502 Bad Gateway</body></html>", 502);
  }
  size_t OrderRequests() const { return RequestsTo(kOrdersPath).size(); }

 private:
  void Publish() {
    std::vector<ExchangeAccountRow> rows{{"KRW", deposit_, 0, 0, "KRW"}};
    for (const ContractHolding& h : holdings_)
      rows.push_back({h.code, h.quantity, 0, h.avgPrice, "KRW"});
    SetAccounts(rows);
  }
  double deposit_ = 0;
  std::vector<ContractHolding> holdings_;
};

// Bithumb polls only the coins of its own market list (records with a name), which the
// contract's nameless records are not: its poll is tested in ExchangeAgentMarketTest.
template <class Agent, ExchangePeer::Kind kKind, uint8_t kBrokerId>
struct ExchangeTraits {
  using Peer = ExchangeContractPeer<kKind>;
  static constexpr bool kPollsPrices = kKind == ExchangePeer::Kind::kUpbit;
  static constexpr bool kKeepsSession = false;
  static constexpr bool kOrderNumberIsText = true;
  static std::unique_ptr<CStockAgentBase> MakeAgent() {
    return std::make_unique<Agent>(kExchangeMarketKind, L"contract", 'b', kBrokerId, 1,
                                   kExchangeMarketId, 1500.0, 40);
  }
  static std::unique_ptr<Peer> MakePeer(const TestCa& ca) { return std::make_unique<Peer>(ca); }
  // The exchanges set a time-out only above one second.
  static void SetTimeout(CStockAgentBase& agent, int ms) {
    static_cast<CExchangeAgent&>(agent).SetRequestTimeout(std::max(ms, 1001));
  }
  static uint8_t Market() { return kExchangeMarketKind; }
  static char ListLetter() { return 'C'; }
  static std::wstring HeldCode(const std::string& peerCode) {
    return L"KRW-" + std::wstring(peerCode.begin(), peerCode.end());
  }
};

using BithumbTraits = ExchangeTraits<CBithumbAgent, ExchangePeer::Kind::kBithumb, kBithumbBrokerId>;
using UpBitTraits = ExchangeTraits<CUpBitAgent, ExchangePeer::Kind::kUpbit, kUpBitBrokerId>;

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Bithumb, AgentContractTest, BithumbTraits);
INSTANTIATE_TYPED_TEST_SUITE_P(UpBit, AgentContractTest, UpBitTraits);

}  // namespace orv::test
