// A sale goes to the broker once. The engine's own steps (balance read, quote application
// with the rule check, sell pass) run against a DB broker peer that executes each order and
// then fails its reply in one way or another; whatever the reply, the broker executes each
// sale exactly once, whole or split, across a restart too.

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/stocklib/StockAgentBase.h"
#include "platform/support/TextConv.h"
#include "platform/win/Clock.h"
#include "plugin/brokers/DbSecuAgent.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"
#include "tests/plugin/engine/BrokerPeerSetup.h"
#include "tests/plugin/engine/FakeEngineWindow.h"

namespace {

using orv::test::DbBrokerPeer;
using Fault = orv::test::DbBrokerPeer::OrderFault;

constexpr int kQuotePasses = 100;  // one a second
constexpr int kAccountEveryPasses = 30;

// One running program: its window, engine and DB agent.
struct Program {
  FakeEngineWindow window;
  std::unique_ptr<CPelomarEngine> engine;
  CStockAgentBase* agent = nullptr;
  CURL* curl = nullptr;
  ~Program() {
    engine.reset();
    if (curl) curl_easy_cleanup(curl);
  }
};

class OrderOnce : public ::testing::Test {
 protected:
  OrderOnce() : clock_(1000000), scoped_(clock_), broker_(true) { login_.nUserIdx = 77; }
  void SetUp() override {
    ASSERT_TRUE(broker_.Ready());
    // 10 shares bought at 10,000 now at 9,000: -10 %, below the stop-loss of -3 %.
    broker_.peer.SetDomesticBalance({}, {{"A005930", "삼성전자", 10, -1, 10000, 9000}});
  }

  // Starts a program on the folder's data.db and reads the balance once. With `split` above
  // 0 every holding sells that many shares an order.
  std::unique_ptr<Program> Start(double split = 0) {
    auto program = std::make_unique<Program>();
    program->engine = std::make_unique<CPelomarEngine>(&program->window);
    CPelomarEngine& e = *program->engine;
    stock_option_s& options = e.Options();
    options.buy_fee_domestic = options.sell_fee_domestic = options.tax_rate = 0;
    options.steps[0] = -3;  // stop-loss rate
    e.CreateEvents();
    broker_.Prepare(e);
    e.Logs().SetLogFolder(broker_.folder.WidePath());
    e.SetLoginInfo(&login_);
    e.SetRunSetting(&run_);
    e.m_signedInUser.store(login_.nUserIdx);
    EXPECT_EQ(e.OpenDataDb(broker_.folder.Path() + "data.db"), 1);
    program->agent = e.GetStockAgent(1, 11, 1, nullptr, L"DB");
    int code = 0;
    wchar_t error[256]{};
    EXPECT_EQ(program->agent->LoginA(nullptr, "11112222", "key", "secret", &code, error, 256), 1);
    program->agent->m_accountRecord.agent = program->agent;
    // The peer's time-out fault answers after 3 s: the order waits 1 s.
    static_cast<CDbSecuAgent*>(program->agent)->SetRequestTimeout(1000);
    e.m_quotePolling.store(1);
    program->curl = curl_easy_init();
    AccountStep(*program);
    if (split > 0) {
      orv::win::CSingleLock lock(&e.ViewLock(), TRUE);
      for (const auto& entry : e.Stocks().Holdings()) entry.first->sell_split_qty = split;
    }
    return program;
  }

  void AccountStep(Program& program) {
    program.engine->ResetWorkEvent(EngineWorker::kAccount);
    int changes = 0;
    program.engine->AccountStep(program.curl, 0, &changes);
  }

  // What the workers do, a second at a time: the quote pass's rule check, the sell pass
  // when something was queued, the account step every 30 s and whenever it is asked for.
  void Run(Program& program, int passes) {
    CPelomarEngine& e = *program.engine;
    for (int i = 0; i < passes; ++i) {
      clock_.Advance(1000);
      e.ApplyQuotesToHoldings(nullptr, nullptr, nullptr, 1, nullptr, 0);
      bool queued = false;
      {
        orv::win::CSingleLock lock(&e.ViewLock(), TRUE);
        queued = !e.OrderQueue().empty();
      }
      if (queued) e.RunSellPass(program.curl);
      if (e.WorkEvent(EngineWorker::kAccount)->IsSet() || i % kAccountEveryPasses == 0)
        AccountStep(program);
    }
  }

  double PeerHolds() {
    double held = 0;
    for (const auto& row : broker_.peer.DomesticHoldings()) held += row.balanceQty;
    return held;
  }
  static bool Logged(Program& program, const std::wstring& prefix) {
    for (const auto& line : program.window.Logs())
      if (line.rfind(prefix, 0) == 0) return true;
    return false;
  }

  orv::win::FakeClock clock_;
  orv::win::ScopedClock scoped_;
  orv::test::BrokerPeerSetup broker_;
  login_info_s login_;
  app_run_setting_s run_;
};

struct FaultCase {
  const char* name;
  Fault fault;
  bool unknown;  // the engine cannot read the outcome
};

const FaultCase kFaults[] = {
    {"answered", Fault::kNone, false},           {"reset before the reply", Fault::kReset, true},
    {"time-out", Fault::kTimeout, true},         {"HTTP 500 page", Fault::kServerError, true},
    {"reply cut short", Fault::kCutReply, true}, {"JSON cut short", Fault::kCutJson, true},
};

TEST_F(OrderOnce, EverySaleIsExecutedOnceWhateverBecomesOfItsReply) {
  struct Sale {
    double split;
    int orders;  // sales 10 shares take
  };
  for (const FaultCase& c : kFaults) {
    for (const Sale sale : {Sale{0, 1}, Sale{4, 3}}) {
      SCOPED_TRACE(std::string(c.name) + (sale.split > 0 ? ", split" : ", whole"));
      broker_.peer.SetDomesticBalance({}, {{"A005930", "삼성전자", 10, -1, 10000, 9000}});
      const int executedBefore = broker_.peer.OrdersExecuted();
      const int receivedBefore = broker_.peer.OrdersReceived();
      // Every order of the sale meets the fault.
      broker_.peer.QueueOrderFaults(std::vector<Fault>(sale.orders, c.fault));
      auto program = Start(sale.split);
      Run(*program, kQuotePasses);

      EXPECT_EQ(broker_.peer.OrdersExecuted() - executedBefore, sale.orders);
      EXPECT_EQ(broker_.peer.OrdersReceived() - receivedBefore, sale.orders)
          << "no order was sent again";
      EXPECT_DOUBLE_EQ(PeerHolds(), 0);
      EXPECT_EQ(Logged(*program, L"▶ 주문 결과 미확인 [005930]"), c.unknown);
      EXPECT_TRUE(Logged(*program, L"▶ 주문 확인 [005930]"));
      if (c.unknown) {
        EXPECT_FALSE(Logged(*program, L"trade (bSuccess=1")) << "never reported as placed";
        EXPECT_NE(ReadBytes(program->engine->Logs().GetTradingLogPath()).find("주문 결과 미확인"),
                  std::string::npos);
      }
      {
        orv::win::CSingleLock lock(&program->engine->ViewLock(), TRUE);
        EXPECT_TRUE(program->engine->Stocks().Holdings().empty());
      }
    }
  }
}

// A placed sale holds its holding until the broker's balance shows it: the balance read
// right after the sale that still lists the shares does not make them sellable again.
TEST_F(OrderOnce, ABalanceThatLagsBehindThePlacedSaleSellsNothingTwice) {
  auto program = Start();
  broker_.peer.SetRawReply(
      DbBrokerPeer::kDomesticBalancePath,
      DbBrokerPeer::DomesticBalanceBody({}, {{"A005930", "삼성전자", 10, -1, 10000, 9000}}));
  Run(*program, 8);  // the sale, and the sold-out refresh that still lists all 10 shares
  EXPECT_EQ(broker_.peer.OrdersReceived(), 1);
  broker_.peer.ClearReply(DbBrokerPeer::kDomesticBalancePath);
  Run(*program, kQuotePasses);
  EXPECT_EQ(broker_.peer.OrdersExecuted(), 1);
  EXPECT_EQ(broker_.peer.OrdersReceived(), 1);
  EXPECT_DOUBLE_EQ(PeerHolds(), 0);
}

// The order whose reply was lost is in data.db: the next start holds the holding until the
// balance settles it, then sells only what is left.
TEST_F(OrderOnce, ARestartAfterAnUnknownOutcomeKeepsTheSaleOnce) {
  broker_.peer.QueueOrderFaults({Fault::kReset});
  {
    auto first = Start(4);
    Run(*first, 3);
    ASSERT_EQ(broker_.peer.OrdersExecuted(), 1);
    EXPECT_TRUE(Logged(*first, L"▶ 주문 결과 미확인 [005930] 4주"));
  }
  auto second = Start(4);
  Run(*second, 5);
  EXPECT_EQ(broker_.peer.OrdersReceived(), 1) << "held until the balance settles the order";
  Run(*second, kQuotePasses);
  EXPECT_EQ(broker_.peer.OrdersExecuted(), 3);
  EXPECT_EQ(broker_.peer.OrdersReceived(), 3);
  EXPECT_DOUBLE_EQ(PeerHolds(), 0);
  auto third = Start();
  Run(*third, 30);
  EXPECT_EQ(broker_.peer.OrdersReceived(), 3) << "nothing left to settle or sell";
}

// The broker's "not accepted, send again" codes are answered once, after a pause; other
// refusals are not sent again by the order routine.
TEST_F(OrderOnce, TheBrokersSendAgainCodeIsHonouredOnceAfterAPause) {
  struct RetryCase {
    const char* code;
    std::vector<Fault> faults;
    int received;
    int executed;
  };
  const RetryCase cases[] = {
      {"08819", {Fault::kNotAccepted}, 2, 1},
      {"02297", {Fault::kNotAccepted, Fault::kNotAccepted}, 2, 0},
      {"02110", {Fault::kNotAccepted}, 1, 0},
  };
  for (const RetryCase& c : cases) {
    SCOPED_TRACE(c.code);
    broker_.peer.SetDomesticBalance({}, {{"A005930", "삼성전자", 10, -1, 10000, 9000}});
    auto program = Start();
    broker_.peer.QueueOrderFaults(c.faults, c.code);
    const int receivedBefore = broker_.peer.OrdersReceived();
    const int executedBefore = broker_.peer.OrdersExecuted();
    const uint64_t sleptBefore = clock_.SleptMs();
    Run(*program, 1);
    EXPECT_EQ(broker_.peer.OrdersReceived() - receivedBefore, c.received);
    EXPECT_EQ(broker_.peer.OrdersExecuted() - executedBefore, c.executed);
    EXPECT_EQ(Logged(*program, L"주문 재전송"), c.received == 2);
    if (c.received == 2) {
      EXPECT_GE(clock_.SleptMs() - sleptBefore, CPelomarEngine::kOrderRetryPauseMs);
    }
    EXPECT_FALSE(Logged(*program, L"▶ 주문 결과 미확인")) << "a refusal is an answer";
    broker_.peer.QueueOrderFaults({});
    Run(*program, kQuotePasses);  // a refused sale is tried again by the rules, not resent
    EXPECT_DOUBLE_EQ(PeerHolds(), 0);
  }
}

// The account step may free a holding while its order is out (the broker no longer lists the
// shares): the sell pass finishes from its snapshot and never touches the freed holding
// (AddressSanitizer builds see any access).
TEST_F(OrderOnce, AHoldingFreedWhileItsOrderIsOutIsNeverTouched) {
  auto program = Start();
  CPelomarEngine& e = *program->engine;
  static_cast<CDbSecuAgent*>(program->agent)->SetRequestTimeout(10000);
  // A slow reply, well within the time-out.
  broker_.peer.QueueOrderFaults({Fault::kTimeout}, "", std::chrono::milliseconds(1500));
  clock_.Advance(1000);
  e.ApplyQuotesToHoldings(nullptr, nullptr, nullptr, 1, nullptr, 0);
  int placed = -1;
  std::thread pass([&] { placed = e.RunSellPass(program->curl); });
  for (int i = 0; i < 500 && broker_.peer.OrdersReceived() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  CURL* accountCurl = curl_easy_init();
  int changes = 0;
  e.AccountStep(accountCurl, 0, &changes);
  bool freed = false;
  {
    orv::win::CSingleLock lock(&e.ViewLock(), TRUE);
    freed = e.Stocks().Holdings().empty();
  }
  pass.join();
  curl_easy_cleanup(accountCurl);
  EXPECT_TRUE(freed) << "the holding was freed while its order was out";
  EXPECT_EQ(placed, 1);
  EXPECT_TRUE(Logged(*program, L"trade (bSuccess=1, remainCnt=10.000000) nErrorCode=0"));
  EXPECT_EQ(broker_.peer.OrdersReceived(), 1);
  Run(*program, 40);
  EXPECT_EQ(broker_.peer.OrdersReceived(), 1);
}

// The unknown outcome is logged in the user's language.
TEST_F(OrderOnce, UnknownOutcomesAreLoggedInEnglishForEnglishUsers) {
  run_.byLanguage = 1;
  broker_.peer.QueueOrderFaults({Fault::kServerError});
  auto program = Start();
  Run(*program, 2);
  EXPECT_TRUE(Logged(*program, L"▶ Order outcome unknown [005930] 10 shares"));
  EXPECT_TRUE(Logged(*program,
                     L"trade (bSuccess=0, remainCnt=10.000000) nErrorCode=-1 / Order "
                     L"outcome unknown (the balance settles it): HTTP 500"));
}

}  // namespace
