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
//   };
//   INSTANTIATE_TYPED_TEST_SUITE_P(Name, AgentContractTest, Traits);
//
// Peer members: Start(), BaseUrl(), AcceptCredentials(key, secret), RefuseLogin() -> the code
// the agent must report, SetDepositAmount(double), SetHoldings(vector<ContractHolding>),
// NeverAnswerBalance(), Requests().

#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "platform/stocklib/StockAgentBase.h"
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

  StockTrade_s* Held(const std::string& peerCode) {
    const std::wstring code = Traits::HeldCode(peerCode);
    for (auto& [holding, index] : holdings_) {
      if (code == holding->code) return holding;
    }
    return nullptr;
  }

  std::unique_ptr<typename Traits::Peer> peer_;
  std::unique_ptr<CStockAgentBase> agent_;
  GroupInfoMap accounts_;
  OwningStockMap stocks_;
  OwningHoldingMap holdings_;
  int32_t result_ = 0;
  int32_t transfer_ = 0;
};

TYPED_TEST_SUITE_P(AgentContractTest);

TYPED_TEST_P(AgentContractTest, LoginSucceedsWithAcceptedCredentials) {
  EXPECT_NE(this->LogIn(), 0);
  EXPECT_EQ(this->agent_->IsConnected(), 1);
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

REGISTER_TYPED_TEST_SUITE_P(AgentContractTest, LoginSucceedsWithAcceptedCredentials,
                            RefusedLoginReportsTheBrokersCode, EmptyCredentialsSendNothing,
                            DepositIsFiledUnderTheAgentsLabel,
                            BalanceRowsBecomeHoldingsAndSoldOutOnesLeave,
                            ServerThatNeverAnswersFailsAndKeepsHoldings,
                            PeerCertifiedByAnotherCaIsRefused);

}  // namespace orv::test
