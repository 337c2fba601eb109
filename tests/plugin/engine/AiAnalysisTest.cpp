// The AI worker's analysis of a stock, headless: candles and the investor trend from the DB
// broker peer, the chat request to the loopback chat service the settings name, the upload of
// the answer and the page handed to the window; faults and missing settings give no answer and
// no upload. The last case runs through the worker itself.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/stocklib/StockAgentBase.h"
#include "platform/support/TextConv.h"
#include "platform/win/Clock.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "shared/LoginInfo.h"
#include "tests/peers/AiChatPeer.h"
#include "tests/plugin/engine/BrokerPeerSetup.h"
#include "tests/plugin/engine/FakeEngineWindow.h"

namespace {

using orv::test::AiChatPeer;
using orv::test::DbBrokerPeer;
using orv::test::PeerReply;

class AiAnalysis : public ::testing::Test {
 protected:
  AiAnalysis() : engine_(&window_) { curl_ = curl_easy_init(); }
  ~AiAnalysis() override { curl_easy_cleanup(curl_); }

  void SetUp() override {
    ASSERT_TRUE(setup_.Ready());
    ASSERT_TRUE(chat_.Start());
    setup_.Prepare(engine_);
    engine_.Logs().SetLogFolder(setup_.folder.WidePath() + L"data/");
    setup_.peer.AcceptCredentials("key", "secret");
    agent_ = engine_.GetStockAgent(1, 11, 0, nullptr, L"DB");
    ASSERT_NE(agent_, nullptr);
    ASSERT_EQ(agent_->Login(curl_, L"11112222", L"key", L"secret", nullptr, nullptr, 0), 1);
    engine_.AgentRoles().defaultDomestic = agent_;
    stock_ = engine_.Stocks().AddMasterStock(1, L"005930", L"삼성전자", 1, 0, 0, 0, 70000, 0, 0);
    ASSERT_NE(stock_, nullptr);

    std::vector<orv::test::DbCandle> candles;
    for (int i = 0; i < 12; ++i)
      candles.push_back({"202501" + std::to_string(21 - i), 0, 100, 110, 90, 111.0 - i, 1000});
    setup_.peer.SetCandles(DbBrokerPeer::kDayChartPath, candles);
    setup_.peer.SetCandles(DbBrokerPeer::kMinuteChartPath, candles);
    orv::test::DbInvestorRow row;
    row.date = "20250121";
    row.volume = 10000;
    row.close = 111;
    row.agencyBuyVolume = 100;
    row.agencySellVolume = 400;
    row.foreignBuyVolume = 900;
    row.foreignSellVolume = 400;
    setup_.peer.SetInvestorRows({row});

    std::wcscpy(engine_.Options().ai_url, Utf8ToWide(chat_.ChatUrl()).c_str());
    std::wcscpy(engine_.Options().ai_key, L"sk-test");
    engine_.Options().env_day_period = 5;
    engine_.Options().env_day_width = 5.0;
  }
  void TearDown() override { chat_.Stop(); }

  orv::test::BrokerPeerSetup setup_;
  AiChatPeer chat_;
  FakeEngineWindow window_;
  CPelomarEngine engine_;
  CURL* curl_ = nullptr;
  CStockAgentBase* agent_ = nullptr;
  Stock_s* stock_ = nullptr;
};

TEST_F(AiAnalysis, TheAnswerIsUploadedAndShownWithTheGatheredData) {
  engine_.RequestAiAnalysis(1, L"005930");
  EXPECT_EQ(engine_.RunAiAnalysis(curl_), 0);

  const auto requests = chat_.ChatRequests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].Header("Authorization"), "Bearer sk-test");
  const std::string prompt = AiChatPeer::PromptOf(requests[0]);
  // No data agent serves short selling here: template B, with the broker's rows in it.
  EXPECT_EQ(prompt.rfind("삼성전자 (005930) [주식]의 추세를", 0), 0u) << prompt;
  EXPECT_NE(prompt.find("외국인 누적 거래대금 1억 미만은"), std::string::npos);
  EXPECT_NE(prompt.find("20250121,100,110,90,111,1000"), std::string::npos) << prompt;
  EXPECT_NE(prompt.find("- 최근 기관/외국인 추이:\n20250121,-300,"), std::string::npos) << prompt;
  // The envelope of the day closes (period 5): the newest middle is the mean of 111..107.
  EXPECT_NE(prompt.find("- Envelope Mid/Low:\n"), std::string::npos);
  EXPECT_NE(prompt.find("20250121,109.00,103.55\n"), std::string::npos) << prompt;

  const std::wstring answer = Utf8ToWide(AiChatPeer::SandboxAnswer(prompt));
  ASSERT_EQ(window_.aiUploads.size(), 1u);
  const FakeEngineWindow::AiUpload& up = window_.aiUploads[0];
  EXPECT_EQ(up.stock, stock_);
  EXPECT_EQ(up.answer, answer);
  EXPECT_NE(up.price.find("20250121,100,110,90,111,1000"), std::string::npos);
  EXPECT_NE(up.envelope.find("20250121,109.00,103.55"), std::string::npos);
  EXPECT_NE(up.investor.find("20250121,-300,"), std::string::npos);
  EXPECT_EQ(up.shortSelling, "");
  EXPECT_EQ(up.shortOn, 0);
  EXPECT_EQ(up.used, 1234);
  EXPECT_EQ(up.total, 1234);

  ASSERT_EQ(window_.aiPages.size(), 1u);
  const AiAnalysisSnapshot_s& page = *window_.aiPages[0];
  EXPECT_EQ(page.kind, 1);
  EXPECT_EQ(page.code, L"005930");
  EXPECT_EQ(page.name, L"삼성전자");
  EXPECT_EQ(page.answer, answer);
  EXPECT_NE(page.priceSeries.find("20250121,111"), std::string::npos) << page.priceSeries;
  // Foreign before institution, as the page's chart reads them.
  EXPECT_NE(page.investorSeries.find("20250121,500,-300"), std::string::npos)
      << page.investorSeries;
  EXPECT_EQ(engine_.AiAnswer(), answer);
  EXPECT_FALSE(engine_.AiBusy());
  ASSERT_GE(window_.popups.size(), 3u);
  EXPECT_EQ(window_.popups[0], L"종목 분석용 데이터 조회중\r\n잠시만 기다려 주세요\n");
  EXPECT_EQ(window_.popups[1], L"생성형 AI를 통한 종목 분석중\r\n잠시만 기다려 주세요\n");
  EXPECT_EQ(window_.popups.back(), L"<hide>");

  // A second analysis adds its tokens to the running total.
  engine_.RunAiAnalysis(curl_);
  ASSERT_EQ(window_.aiUploads.size(), 2u);
  EXPECT_EQ(window_.aiUploads[1].total, 2468);
  EXPECT_EQ(engine_.AiTokensTotal(), 2468);
}

TEST_F(AiAnalysis, NoAnswerMeansNoUploadAndAnEmptyPage) {
  struct Fault {
    const char* what;
    PeerReply reply;
    const char* key;
  };
  std::vector<Fault> faults(5);
  faults[0] = {"empty choices", {}, "sk-test"};
  faults[0].reply.body = "{\"choices\":[],\"usage\":{\"total_tokens\":5}}";
  faults[1] = {"status 500", {}, "sk-test"};
  faults[1].reply.status = 500;
  faults[1].reply.body = AiChatPeer::ChoicesReply("error page", 5);
  faults[2] = {"reset", {}, "sk-test"};
  faults[2].reply.wire = PeerReply::Wire::kReset;
  faults[3] = {"cut", {}, "sk-test"};
  faults[3].reply.body = AiChatPeer::ChoicesReply("잘린 답변", 5);
  faults[3].reply.wire = PeerReply::Wire::kCut;
  faults[4] = {"wrong key", {}, "sk-wrong"};
  engine_.RequestAiAnalysis(1, L"005930");
  for (const Fault& fault : faults) {
    if (std::string(fault.what) == "wrong key")
      chat_.ClearReply();
    else
      chat_.SetReply(fault.reply);
    std::wcscpy(engine_.Options().ai_key, Utf8ToWide(fault.key).c_str());
    window_.aiPages.clear();
    engine_.RunAiAnalysis(curl_);
    EXPECT_TRUE(window_.aiUploads.empty()) << fault.what;
    ASSERT_EQ(window_.aiPages.size(), 1u) << fault.what;
    EXPECT_EQ(window_.aiPages[0]->answer, L"") << fault.what;
    EXPECT_FALSE(window_.aiPages[0]->priceSeries.empty()) << fault.what;
    EXPECT_FALSE(engine_.AiBusy()) << fault.what;
    EXPECT_EQ(window_.popups.back(), L"<hide>") << fault.what;
  }
  EXPECT_EQ(engine_.AiTokensTotal(), 0);
  EXPECT_EQ(engine_.AiAnswer(), L"");
  int logged = 0;
  for (const std::wstring& line : window_.Logs())
    logged += line.find(L"답변을 받지 못했습니다") != std::wstring::npos;
  EXPECT_EQ(logged, 5);
}

TEST_F(AiAnalysis, WithoutAddressOrKeyNothingIsAskedAndTheUserIsTold) {
  engine_.RequestAiAnalysis(1, L"005930");
  for (int which = 0; which < 2; ++which) {
    if (which == 0)
      engine_.Options().ai_url[0] = 0;
    else {
      std::wcscpy(engine_.Options().ai_url, Utf8ToWide(chat_.ChatUrl()).c_str());
      engine_.Options().ai_key[0] = 0;
    }
    engine_.RunAiAnalysis(curl_);
  }
  EXPECT_TRUE(chat_.ChatRequests().empty());
  EXPECT_TRUE(window_.aiUploads.empty());
  ASSERT_EQ(window_.boxes.size(), 2u);
  EXPECT_EQ(window_.boxes[0], L"생성형 AI 분석 주소(URL)와 SECRET-KEY를 설정에서 입력해 주세요.");
  ASSERT_EQ(window_.aiPages.size(), 2u);
  EXPECT_EQ(window_.aiPages[1]->answer, L"");
}

TEST_F(AiAnalysis, ACoinIsAskedWithTemplateAAndAnUnknownStockAsksNothing) {
  Stock_s* coin = engine_.Stocks().AddMasterStock(kMarketCoin, L"BTC", L"비트코인", 9, 0, 0, 0,
                                                  1000, 0, 0);
  ASSERT_NE(coin, nullptr);
  // Without a coin agent the analysis has no broker to ask: the page comes without answer.
  engine_.RequestAiAnalysis(kMarketCoin, L"BTC");
  engine_.RunAiAnalysis(curl_);
  EXPECT_TRUE(chat_.ChatRequests().empty());
  ASSERT_EQ(window_.aiPages.size(), 1u);
  EXPECT_EQ(window_.aiPages[0]->kind, 5);
  EXPECT_EQ(window_.aiPages[0]->answer, L"");

  // A stock no list holds: nothing at all.
  engine_.RequestAiAnalysis(1, L"999999");
  engine_.RunAiAnalysis(curl_);
  EXPECT_EQ(window_.aiPages.size(), 1u);
  EXPECT_FALSE(engine_.AiBusy());
}

TEST_F(AiAnalysis, TheWorkerRunsTheRequestedAnalysisOnItsOwnHandle) {
  ASSERT_EQ(engine_.CreateEvents(), 1);
  for (int i = 0; i < kEngineWorkerCount; ++i)
    if (static_cast<EngineWorker>(i) != EngineWorker::kAi)
      engine_.SetWorkerBody(static_cast<EngineWorker>(i), [](CPelomarEngine& e, EngineWorker w) {
        e.ResetWorkEvent(w);
      });
  ASSERT_EQ(engine_.StartWorkerThreads(), kEngineWorkerCount);
  engine_.RequestAiAnalysis(1, L"005930");
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < until) {
    {
      std::lock_guard<std::mutex> lock(window_.mutex);
      if (!window_.aiPages.empty()) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  engine_.StopWorkerThreads();
  ASSERT_EQ(window_.aiPages.size(), 1u);
  EXPECT_FALSE(window_.aiPages[0]->answer.empty());
  EXPECT_EQ(window_.aiUploads.size(), 1u);
  EXPECT_EQ(chat_.ChatRequests().size(), 1u);
}

}  // namespace
