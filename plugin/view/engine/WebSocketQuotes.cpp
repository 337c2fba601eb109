// The real-time quote client of the primary agent: made after a login for a broker with a
// quote stream (DB, Kiwoom), handed the domestic quote list each time the quote worker goes
// round (a DB client subscribes one more stock per call), and ended at logout or when the data
// is freed. Pushed prices are written into the records under the view lock; then the holdings
// are valued and checked as after a quote pass, and the tick hands the result to the windows.

#include "platform/stocklib/StockAgentBase.h"
#include "plugin/brokers/BrokerHosts.h"
#include "plugin/brokers/DbSecuAgent.h"
#include "plugin/brokers/KiwoomSecuAgent.h"
#include "plugin/brokers/WsQuoteThread_DBSEC.h"
#include "plugin/brokers/WsQuoteThread_KIWOOM.h"
#include "plugin/view/engine/PelomarEngine.h"

namespace {
constexpr int kDomesticQuoteList = 0;
}  // namespace

int CPelomarEngine::StartQuoteWebSockets(CStockAgentBase* agent, int start) {
  if (start == 0) return RunQuoteThread(agent, 0, std::string(), nullptr, nullptr);
  if (!agent || agent->AccessToken().empty()) return 0;
  StockViewMap* targets = &m_quoteLists[kDomesticQuoteList];
  if (agent->m_brokerId == kKiwoomBrokerId) {
    const std::string url =
        "wss://" + ReadBrokerWsHost(kKiwoomBrokerId, kKiwoomDefaultWsHost) + "/api/dostk/websocket";
    return RunQuoteThread(agent, 1, url, "", targets);
  }
  if (agent->m_brokerId == kDbBrokerId) {
    const std::string url =
        "wss://" + ReadBrokerWsHost(kDbBrokerId, kDbBrokerDefaultWsHost) + "/websocket";
    return RunQuoteThread(agent, 1, url, "J", targets);
  }
  return 0;
}

int CPelomarEngine::RunQuoteThread(CStockAgentBase* agent, int start, const std::string& url,
                                   const char* division, StockViewMap* targets) {
  std::shared_ptr<CWebSocketQuoteThread> client;
  if (start == 0) {
    {
      std::lock_guard<std::mutex> lock(m_quoteStreamLock);
      client = std::move(m_quoteStream);
      m_quoteStreamRunning.store(0);
    }
    if (client) {
      client->Disconnect();
      client->Stop();
    }
    return 0;
  }
  {
    std::lock_guard<std::mutex> lock(m_quoteStreamLock);
    // One client per login: one whose connection ended stays until the next login.
    if (!m_quoteStream && agent) {
      std::shared_ptr<CWebSocketQuoteThread> made;
      if (agent->m_brokerId == kKiwoomBrokerId) {
        auto kiwoom = std::make_shared<CWsQuoteThread_KIWOOM>();
        kiwoom->SetConditionSink(ConditionSinkToFeed());
        made = kiwoom;
      }      else if (agent->m_brokerId == kDbBrokerId)
        made = std::make_shared<CWsQuoteThread_DBSEC>();
      if (made) {
        const CStockAgentBase::RequestCredentials credentials = agent->CredentialsForRequest();
        made->SetParams(url.c_str(), credentials.key.c_str(), credentials.secret.c_str(),
                        credentials.token.c_str(), division);
        made->SetRecordGuard(&m_viewLock, [this] { ApplyPushedQuotes(); });
        made->SetCaCertPemFilePath(agent->CaCertPemFilePath());
        m_quoteStream = made;
        m_quoteStreamRunning.store(made->Start() ? 1 : 0);
      }
    }
    if (m_quoteStream && !m_quoteStream->IsRunning()) m_quoteStreamRunning.store(0);
    if (m_quoteStreamRunning.load() != 0) client = m_quoteStream;
  }
  // Outside the lock: a Kiwoom client registers its stocks 200 ms apart.
  if (client) client->SetTarget(targets);
  return m_quoteStreamRunning.load();
}

void CPelomarEngine::SetConditionFeed(ConditionFeed_s feed) {
  std::lock_guard<std::mutex> lock(m_conditionFeedLock);
  m_conditionFeed = std::move(feed);
}

bool CPelomarEngine::RestartConditionSearches() {
  std::shared_ptr<CWebSocketQuoteThread> client;
  {
    std::lock_guard<std::mutex> lock(m_quoteStreamLock);
    client = m_quoteStream;
  }
  auto* kiwoom = dynamic_cast<CWsQuoteThread_KIWOOM*>(client.get());
  return kiwoom && kiwoom->RestartConditionSearches();
}

KiwoomConditionSink_s CPelomarEngine::ConditionSinkToFeed() {
  KiwoomConditionSink_s sink;
  sink.list = [this](const std::vector<KiwoomCondition_s>& conditions) {
    const std::wstring text = KiwoomConditionListText(conditions);
    std::lock_guard<std::mutex> lock(m_conditionFeedLock);
    if (m_conditionFeed.list) m_conditionFeed.list(text);
  };
  sink.result = [this](const KiwoomCondition_s& condition,
                       const std::vector<KiwoomConditionHit_s>& hits) {
    std::wstring matches;
    for (const KiwoomConditionHit_s& hit : hits) {
      matches += hit.code;
      if (hit.price > 0) matches += L"^" + std::to_wstring(static_cast<int64_t>(hit.price));
      matches += L";";
    }
    std::lock_guard<std::mutex> lock(m_conditionFeedLock);
    if (m_conditionFeed.result) m_conditionFeed.result(matches, condition.name);
  };
  sink.event = [this](const KiwoomCondition_s& condition, const KiwoomConditionEvent_s& event) {
    const std::wstring type(1, event.kind);
    std::lock_guard<std::mutex> lock(m_conditionFeedLock);
    if (m_conditionFeed.event) m_conditionFeed.event(event.code, type, condition.name);
  };
  return sink;
}

int CPelomarEngine::RestartQuoteWebSockets(CStockAgentBase* agent) {
  StartQuoteWebSockets(agent, 0);
  return StartQuoteWebSockets(agent, 1);
}

void CPelomarEngine::RefreshQuoteStream() {
  if (m_signedInUser.load() <= 0 || !IsRunning()) return;
  if (CStockAgentBase* primary = m_roles.primary) StartQuoteWebSockets(primary, 1);
}

void CPelomarEngine::ApplyPushedQuotes() {
  if (!IsRunning()) return;
  ApplyQuotesToHoldings(nullptr, nullptr, nullptr, 1, nullptr, 1);
  m_quotesApplied.exchange(1);
}
