// The order dialogs' orders go out from the order worker: each once, whatever becomes of its
// reply, with the outcome handed back to the caller; an unreadable reply is an unknown outcome.

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/stocklib/StockAgentBase.h"
#include "plugin/brokers/DbSecuAgent.h"
#include "plugin/view/engine/OrderSender.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"
#include "tests/plugin/engine/BrokerPeerSetup.h"
#include "tests/plugin/engine/FakeEngineWindow.h"

namespace {

using orv::test::DbBrokerPeer;
using Fault = orv::test::DbBrokerPeer::OrderFault;

class OrderSenderTest : public ::testing::Test {
 protected:
  OrderSenderTest() : broker_(true) { login_.nUserIdx = 77; }
  void SetUp() override {
    ASSERT_TRUE(broker_.Ready());
    broker_.peer.SetDomesticBalance({}, {{"A005930", "삼성전자", 10, -1, 10000, 9000}});
    engine_ = std::make_unique<CPelomarEngine>(&window_);
    CPelomarEngine& e = *engine_;
    e.CreateEvents();
    broker_.Prepare(e);
    e.Logs().SetLogFolder(broker_.folder.WidePath());
    e.SetLoginInfo(&login_);
    e.SetRunSetting(&run_);
    agent_ = e.GetStockAgent(1, 11, 1, nullptr, L"DB");
    int code = 0;
    wchar_t error[256]{};
    ASSERT_EQ(agent_->LoginA(nullptr, "11112222", "key", "secret", &code, error, 256), 1);
    agent_->m_accountRecord.agent = agent_;
    static_cast<CDbSecuAgent*>(agent_)->SetRequestTimeout(1000);
    curl_ = curl_easy_init();
    e.ResetWorkEvent(EngineWorker::kAccount);
    int changes = 0;
    e.AccountStep(curl_, 0, &changes);
    sender_ = std::make_unique<COrderSender>(e);
    sender_->Start();
  }
  void TearDown() override {
    sender_.reset();
    engine_.reset();
    if (curl_) curl_easy_cleanup(curl_);
  }

  // Sends and waits for the reply.
  UserOrderReply_s SendAndWait(const UserOrder_s& order) {
    std::mutex mutex;
    std::condition_variable done;
    bool answered = false;
    UserOrderReply_s reply;
    EXPECT_TRUE(sender_->Send(order, [&](const UserOrderReply_s& r) {
      std::lock_guard<std::mutex> lock(mutex);
      reply = r;
      answered = true;
      done.notify_all();
    }));
    std::unique_lock<std::mutex> lock(mutex);
    EXPECT_TRUE(done.wait_for(lock, std::chrono::seconds(20), [&] { return answered; }));
    return reply;
  }
  static UserOrder_s Buy(const wchar_t* code, double quantity) {
    UserOrder_s order;
    order.market = 1;
    order.code = code;
    order.side = 1;
    order.quantity = quantity;
    return order;
  }

  orv::test::BrokerPeerSetup broker_;
  FakeEngineWindow window_;
  login_info_s login_;
  app_run_setting_s run_;
  std::unique_ptr<CPelomarEngine> engine_;
  std::unique_ptr<COrderSender> sender_;
  CStockAgentBase* agent_ = nullptr;
  CURL* curl_ = nullptr;
};

TEST_F(OrderSenderTest, EachOrderGoesOutOnceAndItsOutcomeComesBack) {
  struct Case {
    const char* name;
    Fault fault;
    OrderOutcome outcome;
    int executed;  // orders the broker executed
  };
  const Case cases[] = {
      {"answered", Fault::kNone, OrderOutcome::kPlaced, 1},
      {"reset before the reply", Fault::kReset, OrderOutcome::kUnknown, 1},
      {"HTTP 500 page", Fault::kServerError, OrderOutcome::kUnknown, 1},
      {"reply cut short", Fault::kCutReply, OrderOutcome::kUnknown, 1},
      {"time-out", Fault::kTimeout, OrderOutcome::kUnknown, 1},
      {"refused", Fault::kNotAccepted, OrderOutcome::kRefused, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int receivedBefore = broker_.peer.OrdersReceived();
    const int executedBefore = broker_.peer.OrdersExecuted();
    broker_.peer.QueueOrderFaults({c.fault}, "00001");
    const UserOrderReply_s reply = SendAndWait(Buy(L"005930", 2));
    EXPECT_EQ(reply.outcome, c.outcome);
    EXPECT_EQ(reply.success, c.outcome == OrderOutcome::kPlaced ? 1 : 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(broker_.peer.OrdersReceived() - receivedBefore, 1) << "sent once, never again";
    EXPECT_EQ(broker_.peer.OrdersExecuted() - executedBefore, c.executed);
  }
}

TEST_F(OrderSenderTest, AnUnknownCodeOrAStoppedWorkerSendsNothing) {
  const UserOrderReply_s reply = SendAndWait(Buy(L"999999", 1));
  EXPECT_EQ(reply.result, kOrderNoStock);
  EXPECT_EQ(reply.outcome, OrderOutcome::kNotSent);
  EXPECT_EQ(broker_.peer.OrdersReceived(), 0);

  sender_->Stop();
  bool called = false;
  EXPECT_FALSE(sender_->Send(Buy(L"005930", 1), [&](const UserOrderReply_s&) { called = true; }));
  EXPECT_FALSE(called);
  EXPECT_EQ(broker_.peer.OrdersReceived(), 0);
}

TEST_F(OrderSenderTest, ASplitPartIsCutByThePerOrderLimitAndTheCutComesBack) {
  engine_->Options().per_order_limit = 50000;
  UserOrder_s order = Buy(L"005930", 10);
  order.splitPart = true;
  order.price = 10000;  // 10 x 10,000 is above the 50,000 limit: 5 shares go out
  const UserOrderReply_s reply = SendAndWait(order);
  EXPECT_EQ(reply.outcome, OrderOutcome::kPlaced);
  EXPECT_DOUBLE_EQ(reply.cut, 5);
  EXPECT_EQ(broker_.peer.OrdersReceived(), 1);
}

}  // namespace
