#pragma once
// The agent contract: the same tests of login, deposit, balance and failure codes, run against
// every broker and exchange agent with its loopback peer. An agent joins by providing a traits
// class and instantiating the suite:
//
//   struct Traits {
//     using Peer = ...;  // a peer with the members used below
//     static std::unique_ptr<CStockAgentBase> MakeAgent();
//     static std::unique_ptr<Peer> MakePeer(const orv::test::TestCa& ca);
//     static void SetTimeout(CStockAgentBase& agent, int ms);
//     static uint8_t Market();           // the market kind the balance cases query
//     static std::wstring HeldCode(const std::string& peerCode);  // code the agent files
//     static char ListLetter();          // the market letter the list cases load
//   };
//   INSTANTIATE_TYPED_TEST_SUITE_P(Name, AgentContractTest, Traits);
//
// Peer members: Start(), BaseUrl(), AcceptCredentials(key, secret), RefuseLogin() -> the code
// the agent must report, SetDepositAmount(double), SetHoldings(vector<ContractHolding>),
// NeverAnswerBalance(), Requests(), SetListPages(pages of broker codes) -> the number of
// requests the pages take, SetQuotes(vector<ContractQuote>), RefuseOrders() -> the code the
// agent must report, AnswerOrdersWithErrorPage(), OrderRequests() (the order members only when
// the traits do not declare kPlacesOrders false).
//
// Optional traits members, for agents that differ where the contract allows it:
//   static constexpr bool kKeepsSession = false;   // no session: IsConnected() stays 0
//   static constexpr bool kLoadsLists = false;     // no stock lists: nothing is loaded or sent
//   static constexpr bool kPollsPrices = false;    // no price polling: nothing is updated
//   static constexpr bool kOrderNumberIsText = true;  // the order id is text (outOrderNoText)

#include <gtest/gtest.h>

#include <atomic>
#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/stocklib/StockAgentBase.h"
#include "platform/win/Clock.h"
#include "tests/peers/HttpPeer.h"
#include "tests/peers/TestCa.h"
#include "tests/plugin/brokers/TestCaFile.h"

namespace orv::test {

struct ContractHolding {
  std::string code;  // as the broker writes it
  double quantity = 0;
  double avgPrice = 0;
  double nowPrice = 0;
};

struct ContractQuote {
  std::string code;  // as the broker writes it
  double price = 0;
};

// The code a domestic agent files a broker's code under: without its leading 'A'.
inline std::wstring DomesticHeldCode(const std::string& peerCode) {
  const std::string code = !peerCode.empty() && peerCode[0] == 'A' ? peerCode.substr(1) : peerCode;
  return std::wstring(code.begin(), code.end());
}

// Optional traits flags (see above); each is true unless the traits declare it.
#define ORV_CONTRACT_FLAG(Name, member)                      \
  template <class Traits, class = void>                      \
  struct Name : std::true_type {};                           \
  template <class Traits>                                    \
  struct Name<Traits, std::void_t<decltype(Traits::member)>> \
      : std::integral_constant<bool, Traits::member> {};
ORV_CONTRACT_FLAG(KeepsSession, kKeepsSession)
ORV_CONTRACT_FLAG(LoadsLists, kLoadsLists)
ORV_CONTRACT_FLAG(PollsPrices, kPollsPrices)
ORV_CONTRACT_FLAG(PlacesOrders, kPlacesOrders)
#undef ORV_CONTRACT_FLAG
template <class Traits, class = void>
struct OrderNumberIsText : std::false_type {};
template <class Traits>
struct OrderNumberIsText<Traits, std::void_t<decltype(Traits::kOrderNumberIsText)>>
    : std::integral_constant<bool, Traits::kOrderNumberIsText> {};

template <class Traits>
class AgentContractTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SharedCa().IsValid());
    peer_ = Traits::MakePeer(SharedCa());
    ASSERT_TRUE(peer_->Start());
    agent_ = Traits::MakeAgent();
    agent_->SetHostUrlA(peer_->BaseUrl().c_str());
    agent_->SetCaCertPemFilePath(SharedCaFileW().c_str());
    agent_->SetAccListPtr(&accounts_);
    peer_->AcceptCredentials("contract-key", "contract-secret");
  }

  int LogIn() {
    int code = 0;
    wchar_t message[200]{};
    return agent_->Login(nullptr, L"12345678", L"contract-key", L"contract-secret", &code, message,
                         200);
  }

  BalanceQueryArgs_s Args() {
    BalanceQueryArgs_s args;
    args.totals = &agent_->m_accountRecord;
    args.holdings = &holdings_;
    args.stocks = &stocks_;
    args.outResult = &result_;
    args.outTransfer = &transfer_;
    return args;
  }

  int Balance() { return agent_->QueryBalance(nullptr, Traits::Market(), 0, 0, Args()); }

  // A buy of one share at 1000 (limit); fills the outputs below.
  int Buy() {
    return agent_->TradeOrderA(nullptr, Traits::Market(), 1, 1, 0, "005930", 1, 1000, 0, 0, 0, 0, 1,
                               0, 0, 0, 0, 0, 0, orderNoText_, &orderNo_, &orderResult_,
                               &orderSuccess_, &codeFlag_, orderMessage_, resultText_);
  }

  StockTrade_s* Held(const std::string& peerCode) {
    const std::wstring code = Traits::HeldCode(peerCode);
    for (auto& [holding, index] : holdings_) {
      if (code == holding->code) return holding;
    }
    return nullptr;
  }

  // Paging pauses go to a fake program clock: counted, not waited.
  orv::win::FakeClock clock_;
  orv::win::ScopedClock scopedClock_{clock_};
  std::unique_ptr<typename Traits::Peer> peer_;
  std::unique_ptr<CStockAgentBase> agent_;
  GroupInfoMap accounts_;
  OwningStockMap stocks_;
  OwningHoldingMap holdings_;
  int32_t result_ = 0;
  int32_t transfer_ = 0;
  char orderNoText_[50]{};
  int64_t orderNo_ = 0;
  int orderResult_ = -5;
  int orderSuccess_ = -5;
  int codeFlag_ = -5;
  wchar_t orderMessage_[256]{};
  wchar_t resultText_[20]{};
};

TYPED_TEST_SUITE_P(AgentContractTest);

TYPED_TEST_P(AgentContractTest, LoginSucceedsWithAcceptedCredentials) {
  EXPECT_NE(this->LogIn(), 0);
  EXPECT_EQ(this->agent_->IsConnected(), KeepsSession<TypeParam>::value ? 1 : 0);
}

TYPED_TEST_P(AgentContractTest, RefusedLoginReportsTheBrokersCode) {
  const int expected = this->peer_->RefuseLogin();
  int code = 0;
  wchar_t message[200]{};
  EXPECT_EQ(this->agent_->Login(nullptr, L"12345678", L"contract-key", L"contract-secret", &code,
                                message, 200),
            0);
  EXPECT_EQ(code, expected);
  EXPECT_NE(message[0], L'\0');
  EXPECT_EQ(this->agent_->IsConnected(), 0);
}

TYPED_TEST_P(AgentContractTest, EmptyCredentialsSendNothing) {
  int code = 0;
  wchar_t message[200]{};
  this->agent_->ClearCredentials();
  EXPECT_EQ(this->agent_->LoginA(nullptr, "", "", "", &code, message, 200), 0);
  EXPECT_TRUE(this->peer_->Requests().empty());
}

TYPED_TEST_P(AgentContractTest, DepositIsFiledUnderTheAgentsLabel) {
  ASSERT_NE(this->LogIn(), 0);
  this->peer_->SetDepositAmount(1234567);
  group_info_s* record = nullptr;
  EXPECT_EQ(this->agent_->QueryDeposit(nullptr, &this->accounts_, &record, 0), 1);
  ASSERT_NE(record, nullptr);
  EXPECT_DOUBLE_EQ(record->deposit, 1234567);
  ASSERT_EQ(this->accounts_.count(this->agent_->m_label), 1u);
  EXPECT_EQ(this->accounts_.at(this->agent_->m_label), record);
}

TYPED_TEST_P(AgentContractTest, BalanceRowsBecomeHoldingsAndSoldOutOnesLeave) {
  ASSERT_NE(this->LogIn(), 0);
  this->peer_->SetHoldings({{"A005930", 10, 70000, 71000}, {"A000660", 3, 120000, 118000}});
  EXPECT_EQ(this->Balance(), 2);
  ASSERT_NE(this->Held("A005930"), nullptr);
  EXPECT_DOUBLE_EQ(this->Held("A005930")->quantity, 10);
  EXPECT_DOUBLE_EQ(this->Held("A000660")->avg_price, 120000);

  StockTrade_s* kept = this->Held("A005930");
  this->peer_->SetHoldings({{"A005930", 12, 70500, 71000}});
  EXPECT_EQ(this->Balance(), 1);
  EXPECT_EQ(this->Held("A005930"), kept) << "a known holding is updated in place";
  EXPECT_DOUBLE_EQ(kept->quantity, 12);
  EXPECT_EQ(kept->quantity_trend, 1);
  EXPECT_EQ(this->Held("A000660"), nullptr) << "a holding the reply no longer names is dropped";
  EXPECT_EQ(this->holdings_.size(), 1u);
}

// The view holds its lock only around the merge step: every change to the maps it shares happens
// inside the step, and no request goes out from inside it.
TYPED_TEST_P(AgentContractTest, BalanceAndDepositChangeTheMapsOnlyInTheMergeStep) {
  ASSERT_NE(this->LogIn(), 0);
  using Contents = std::vector<std::pair<StockTrade_s*, double>>;
  auto contents = [this] {
    Contents held;
    for (const auto& entry : this->holdings_) held.emplace_back(entry.first, entry.first->quantity);
    return held;
  };
  auto deposit = [this] {
    const auto it = this->accounts_.find(this->agent_->m_label);
    return it == this->accounts_.end() ? -1.0 : it->second->deposit;
  };
  Contents afterStep;
  double depositAfterStep = -1;
  int steps = 0;
  size_t requestsInSteps = 0;
  this->agent_->SetMergeStep([&](const std::function<void()>& merge) {
    EXPECT_EQ(contents(), afterStep) << "the holdings changed outside the merge step";
    EXPECT_EQ(deposit(), depositAfterStep) << "the account changed outside the merge step";
    const size_t sent = this->peer_->Requests().size();
    merge();
    requestsInSteps += this->peer_->Requests().size() - sent;
    afterStep = contents();
    depositAfterStep = deposit();
    ++steps;
  });

  this->peer_->SetDepositAmount(5000);
  EXPECT_EQ(this->agent_->QueryDeposit(nullptr, &this->accounts_, nullptr, 0), 1);
  this->peer_->SetHoldings({{"A005930", 10, 70000, 71000}, {"A000660", 3, 120000, 118000}});
  EXPECT_EQ(this->Balance(), 2);
  this->peer_->SetHoldings({{"A000660", 4, 120000, 118000}});
  EXPECT_EQ(this->Balance(), 1);
  EXPECT_EQ(contents(), afterStep);
  EXPECT_EQ(deposit(), 5000);
  EXPECT_EQ(steps, 3);
  EXPECT_EQ(requestsInSteps, 0u) << "a request was sent inside the merge step";
  EXPECT_EQ(this->Held("A005930"), nullptr);
  ASSERT_NE(this->Held("A000660"), nullptr);
  EXPECT_DOUBLE_EQ(this->Held("A000660")->quantity, 4);
}

TYPED_TEST_P(AgentContractTest, ServerThatNeverAnswersFailsAndKeepsHoldings) {
  ASSERT_NE(this->LogIn(), 0);
  this->peer_->SetHoldings({{"A005930", 10, 70000, 71000}});
  ASSERT_EQ(this->Balance(), 1);
  TypeParam::SetTimeout(*this->agent_, 700);
  this->peer_->NeverAnswerBalance();
  EXPECT_EQ(this->Balance(), 0);
  EXPECT_EQ(this->transfer_, CURLE_OPERATION_TIMEDOUT);
  EXPECT_EQ(this->holdings_.size(), 1u) << "a failed query drops nothing";
}

TYPED_TEST_P(AgentContractTest, PeerCertifiedByAnotherCaIsRefused) {
  TestCa other("Unrelated Broker CA");
  auto stranger = TypeParam::MakePeer(other);
  ASSERT_TRUE(stranger->Start());
  stranger->AcceptCredentials("contract-key", "contract-secret");
  this->agent_->SetHostUrlA(stranger->BaseUrl().c_str());
  EXPECT_EQ(this->LogIn(), 0);
  EXPECT_EQ(this->agent_->IsConnected(), 0);
  EXPECT_TRUE(stranger->Requests().empty());
}

TYPED_TEST_P(AgentContractTest, ListPagingLoadsEveryPage) {
  ASSERT_NE(this->LogIn(), 0);
  if constexpr (!LoadsLists<TypeParam>::value) {
    const size_t sent = this->peer_->Requests().size();
    int status = 0;
    EXPECT_EQ(this->agent_->LoadStockList(nullptr, &this->stocks_, TypeParam::Market(),
                                          TypeParam::ListLetter(), 0, 0, &status, 0),
              0);
    EXPECT_EQ(this->stocks_.size(), 0u);
    EXPECT_EQ(this->peer_->Requests().size(), sent);
    return;
  } else {
    const int requests =
        this->peer_->SetListPages({{"A005930", "A000660"}, {"A035720"}, {"A051910"}});
    CURL* curl = curl_easy_init();
    ASSERT_NE(curl, nullptr);
    int status = 0;
    EXPECT_EQ(this->agent_->LoadStockList(curl, &this->stocks_, TypeParam::Market(),
                                          TypeParam::ListLetter(), 0, 0, &status, 0),
              4);
    curl_easy_cleanup(curl);
    for (const char* code : {"A005930", "A000660", "A035720", "A051910"}) {
      EXPECT_NE(this->stocks_.Find(TypeParam::HeldCode(code).c_str()), nullptr) << code;
    }
    EXPECT_EQ(static_cast<int>(this->peer_->Requests().size()), 1 + requests) << "login + pages";
  }
}

TYPED_TEST_P(AgentContractTest, PricePollUpdatesEveryRecordOfTheMarket) {
  ASSERT_NE(this->LogIn(), 0);
  if constexpr (!PollsPrices<TypeParam>::value) {
    GfxAddStockToMap(&this->stocks_, TypeParam::HeldCode("200000").c_str(), TypeParam::Market(), 0,
                     0, nullptr);
    std::atomic<int> running{1};
    char message[20]{};
    int code = -1;
    EXPECT_EQ(this->agent_->UpdatePrices(nullptr, TypeParam::Market(), 0, 1, &this->stocks_,
                                         &running, 0, message, &code, nullptr),
              0);
    return;
  }
  std::vector<ContractQuote> quotes;
  for (int i = 0; i < 60; ++i) {
    const std::string code = std::to_string(200000 + i);
    quotes.push_back({code, 100.0 + i});
    GfxAddStockToMap(&this->stocks_, TypeParam::HeldCode(code).c_str(), TypeParam::Market(), 0, 0,
                     nullptr);
  }
  this->peer_->SetQuotes(quotes);
  std::atomic<int> running{1};
  char message[20]{};
  int code = -1;
  EXPECT_EQ(this->agent_->UpdatePrices(nullptr, TypeParam::Market(), 0, 1, &this->stocks_, &running,
                                       0, message, &code, nullptr),
            60);
  EXPECT_EQ(code, 0);
  EXPECT_DOUBLE_EQ(this->stocks_.Find(TypeParam::HeldCode("200059").c_str())->cur_price, 159.0);
  EXPECT_EQ(this->agent_->m_priceUpdates, 1);
}

// An agent whose traits declare `static constexpr bool kPlacesOrders = false` offers no orders
// yet: it must answer every order as not placed, without sending anything.

TYPED_TEST_P(AgentContractTest, OrdersArePlacedOrFailNeverBoth) {
  ASSERT_NE(this->LogIn(), 0);
  if constexpr (!PlacesOrders<TypeParam>::value) {
    const size_t sent = this->peer_->Requests().size();
    EXPECT_EQ(this->Buy(), kAgentOrderNotAvailable);
    EXPECT_EQ(this->orderSuccess_, 0);
    EXPECT_EQ(this->orderNo_, 0);
    EXPECT_EQ(this->peer_->Requests().size(), sent) << "an order the agent does not offer went out";
  } else {
    EXPECT_EQ(this->Buy(), 0);
    EXPECT_EQ(this->orderSuccess_, 1);
    if constexpr (OrderNumberIsText<TypeParam>::value) {
      EXPECT_NE(this->orderNoText_[0], '\0');
    } else {
      EXPECT_GT(this->orderNo_, 0);
    }

    const int refused = this->peer_->RefuseOrders();
    EXPECT_EQ(this->Buy(), refused);
    EXPECT_EQ(this->orderSuccess_, 0);
    EXPECT_NE(this->orderMessage_[0], L'\0');

    this->peer_->AnswerOrdersWithErrorPage();
    EXPECT_EQ(this->Buy(), kAgentNoReply);
    EXPECT_EQ(this->orderSuccess_, 0);

    std::atomic<int> simulating{1};
    this->agent_->SetSimulationFlag(&simulating);
    const size_t before = this->peer_->OrderRequests();
    EXPECT_EQ(this->Buy(), kAgentSimulationOn);
    EXPECT_EQ(this->orderSuccess_, 0);
    EXPECT_EQ(this->peer_->OrderRequests(), before);
  }
}

REGISTER_TYPED_TEST_SUITE_P(AgentContractTest, LoginSucceedsWithAcceptedCredentials,
                            RefusedLoginReportsTheBrokersCode, EmptyCredentialsSendNothing,
                            DepositIsFiledUnderTheAgentsLabel,
                            BalanceRowsBecomeHoldingsAndSoldOutOnesLeave,
                            BalanceAndDepositChangeTheMapsOnlyInTheMergeStep,
                            ServerThatNeverAnswersFailsAndKeepsHoldings,
                            PeerCertifiedByAnotherCaIsRefused, ListPagingLoadsEveryPage,
                            PricePollUpdatesEveryRecordOfTheMarket, OrdersArePlacedOrFailNeverBoth);

}  // namespace orv::test
