// A sale through the Kiwoom agent, as the engine's own steps make it (balance read, rule check,
// sell pass): a placed order is logged with its order number; a reply the agent cannot read (an
// error page, a cut reply) leaves the outcome unknown and the order is never sent again; the
// broker's send-again code is honoured once.

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>

#include "platform/win/Clock.h"
#include "plugin/brokers/KiwoomSecuAgent.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"
#include "tests/peers/KiwoomBrokerPeer.h"
#include "tests/plugin/engine/BrokerPeerSetup.h"
#include "tests/plugin/engine/FakeEngineWindow.h"

namespace {

using orv::test::KiwoomBrokerPeer;
using orv::test::KiwoomHolding;

class KiwoomSale : public ::testing::Test {
 protected:
  KiwoomSale() : clock_(1000000), scoped_(clock_) { login_.nUserIdx = 77; }
  void SetUp() override {
    ASSERT_TRUE(broker_.Ready());
    broker_.peer.AcceptCredentials("key", "secret");
    broker_.peer.SetLiveAccount(true);
    // 10 shares bought at 10,000 now at 9,000: -10 %, below the stop-loss of -3 %.
    KiwoomHolding held;
    held.code = "A005930";
    held.name = "삼성전자";
    held.quantity = 10;
    held.avgPrice = 10000;
    held.nowPrice = 9000;
    broker_.peer.SetBalancePages({{held}});
    broker_.peer.SetDeposit({1000000, 1000000, 0, 1000000});
  }
  void TearDown() override {
    engine_.reset();
    if (curl_) curl_easy_cleanup(curl_);
  }

  // The engine with its Kiwoom account logged in and read once, on a data file of its own (a
  // program keeps its unsettled orders there).
  void Start(const std::string& dataFile = "data.db") {
    engine_ = std::make_unique<CPelomarEngine>(&window_);
    CPelomarEngine& e = *engine_;
    stock_option_s& options = e.Options();
    options.buy_fee_domestic = options.sell_fee_domestic = options.tax_rate = 0;
    options.steps[0] = -3;  // stop-loss rate
    e.CreateEvents();
    broker_.Prepare(e);
    e.Logs().SetLogFolder(broker_.folder.WidePath());
    e.SetLoginInfo(&login_);
    e.SetRunSetting(&run_);
    e.m_signedInUser.store(login_.nUserIdx);
    ASSERT_EQ(e.OpenDataDb(broker_.folder.Path() + dataFile), 1);
    agent_ = e.GetStockAgent(1, kKiwoomBrokerId, 1, nullptr, L"키움");
    ASSERT_NE(dynamic_cast<CKiwoomSecuAgent*>(agent_), nullptr);
    int code = 0;
    wchar_t error[256]{};
    ASSERT_EQ(agent_->LoginA(nullptr, "11112222", "key", "secret", &code, error, 256), 1);
    agent_->m_accountRecord.agent = agent_;
    e.m_quotePolling.store(1);
    curl_ = curl_easy_init();
    e.ResetWorkEvent(EngineWorker::kAccount);
    int changes = 0;
    e.AccountStep(curl_, 0, &changes);
  }

  // One second of the workers: the rule check, then the sell pass when a sale was queued.
  void Pass() {
    clock_.Advance(1000);
    engine_->ApplyQuotesToHoldings(nullptr, nullptr, nullptr, 1, nullptr, 0);
    bool queued = false;
    {
      orv::win::CSingleLock lock(&engine_->ViewLock(), TRUE);
      queued = !engine_->OrderQueue().empty();
    }
    if (queued) engine_->RunSellPass(curl_);
  }

  bool Logged(const std::wstring& part) {
    for (const auto& line : window_.Logs())
      if (line.find(part) != std::wstring::npos) return true;
    return false;
  }

  orv::win::FakeClock clock_;
  orv::win::ScopedClock scoped_;
  orv::test::BrokerPeerSetupFor<KiwoomBrokerPeer, kKiwoomBrokerId> broker_;
  login_info_s login_;
  app_run_setting_s run_;
  FakeEngineWindow window_;
  std::unique_ptr<CPelomarEngine> engine_;
  CStockAgentBase* agent_ = nullptr;
  CURL* curl_ = nullptr;
};

TEST_F(KiwoomSale, APlacedSaleIsLoggedWithItsOrderNumber) {
  Start();
  Pass();
  EXPECT_EQ(broker_.peer.OrdersReceived(), 1);
  const std::vector<orv::test::RecordedRequest> sent = broker_.peer.RequestsFor("kt10001");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_NE(sent[0].body.find("\"ord_qty\" : \"10\""), std::string::npos) << sent[0].body;
  EXPECT_TRUE(Logged(L"trade (bSuccess=1"));
  EXPECT_FALSE(Logged(L"주문 결과 미확인"));
  EXPECT_TRUE(broker_.peer.Holdings().empty()) << "the broker sold the shares";
}

TEST_F(KiwoomSale, AnUnreadableReplyIsAnUnknownOutcomeNeverSentAgain) {
  const struct {
    const char* name;
    const char* body;
    int status;
    const char* type;
  } cases[] = {
      {"error page", "<html><body><h1>Internal Server Error</h1></body></html>", 200, "text/html"},
      {"HTTP 500", "<html><body>500</body></html>", 500, "text/html"},
      {"cut reply", "{\"ord_no\":\"00012", 200, "application/json"},
      {"no order number", "{\"return_code\":0,\"return_msg\":\"완료\"}", 200, "application/json"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    {
      std::lock_guard<std::mutex> lock(window_.mutex);
      window_.logs.clear();
    }
    broker_.peer.SetRawReply("kt10001", c.body, c.status, c.type);
    Start(std::string(c.name) + ".db");
    const int before = broker_.peer.OrdersReceived();
    Pass();
    Pass();
    EXPECT_EQ(broker_.peer.OrdersReceived() - before, 1) << "sent once";
    EXPECT_TRUE(Logged(L"주문 결과 미확인 [005930]"));
    EXPECT_FALSE(Logged(L"trade (bSuccess=1")) << "never reported as placed";
    EXPECT_FALSE(Logged(L"주문 재전송"));
    engine_.reset();
  }
}

TEST_F(KiwoomSale, TheSendAgainCodeIsHonouredOnce) {
  broker_.peer.SetRawReply("kt10001", "{\"return_code\":2297,\"return_msg\":\"잠시 후 다시 주문하세요\"}");
  Start();
  Pass();
  EXPECT_EQ(broker_.peer.OrdersReceived(), 2);
  EXPECT_TRUE(Logged(L"주문 재전송"));
  EXPECT_FALSE(Logged(L"주문 결과 미확인")) << "a refusal is an answer";
}

}  // namespace
