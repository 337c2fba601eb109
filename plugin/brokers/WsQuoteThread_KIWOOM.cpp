#include "plugin/brokers/WsQuoteThread_KIWOOM.h"

#include <chrono>
#include <future>
#include <vector>

#include "platform/support/TextConv.h"
#include "plugin/brokers/QuoteFrames.h"

namespace {
constexpr const char* kRealTimeType = "0B";
constexpr int kRegisterGroup = 1;
constexpr int kRegisterRefresh = 1;
}  // namespace

// One registration walk over the codes that were waiting when it began.
struct CWsQuoteThread_KIWOOM::Walk {
  std::vector<std::wstring> codes;
  size_t next = 0;
  int registered = 0;
  std::promise<int> done;
  bool finished = false;
};

CWsQuoteThread_KIWOOM::~CWsQuoteThread_KIWOOM() {
  Disconnect();
  Stop();
}

void CWsQuoteThread_KIWOOM::Run() { RunConnection(Prefix()); }

std::string CWsQuoteThread_KIWOOM::SingleSubscriptionFrame(const std::string& code,
                                                           bool add) const {
  return KiwoomRegisterFrame(kRegisterGroup, kRegisterRefresh, code.c_str(), kRealTimeType);
}

void CWsQuoteThread_KIWOOM::OnOpened() {
  After(kLoginDelayMs, [this] { SendText(KiwoomLoginFrame(m_token, m_appKey, m_appSecret)); });
}

void CWsQuoteThread_KIWOOM::OnFrame(const std::string& payload) {
  try {
    KiwoomConditionMessage_s condition;
    if (ReadKiwoomConditionMessage(payload.data(), payload.size(), &condition)) {
      OnConditionMessage(condition);
      return;
    }
    KiwoomReply_s reply;
    if (!ReadKiwoomReply(payload.data(), payload.size(), &reply)) return;
    if (!IsAcceptedLogin(reply)) return;
    // The condition list is asked for once a connection; a repeated log-in reply only registers.
    if (m_loggedIn.exchange(1) == 0) SendText(KiwoomConditionListFrame());
    SubscribeAll();
  } catch (const std::exception&) {
    // A message that cannot be read is dropped.
  }
}

void CWsQuoteThread_KIWOOM::OnConditionMessage(const KiwoomConditionMessage_s& message) {
  switch (message.kind) {
    case KiwoomConditionMessage_s::kList: {
      if (message.returnCode != 0) return;
      m_conditions.clear();
      std::vector<int> seqs;
      for (const KiwoomCondition_s& condition : message.conditions)
        if (m_conditions.emplace(condition.seq, condition.name).second)
          seqs.push_back(condition.seq);
      if (m_conditionSink.list) m_conditionSink.list(message.conditions);
      RequestConditions(std::move(seqs), 0, ++m_conditionRound);
      return;
    }
    case KiwoomConditionMessage_s::kSearchResult: {
      const auto known = m_conditions.find(message.seq);
      if (message.returnCode != 0 || known == m_conditions.end()) return;
      if (m_conditionSink.result) m_conditionSink.result({known->first, known->second}, message.hits);
      return;
    }
    case KiwoomConditionMessage_s::kEvents:
      for (const KiwoomConditionEvent_s& event : message.events) {
        const auto known = m_conditions.find(event.seq);
        if (known == m_conditions.end()) continue;  // not one of the user's searches
        if (m_conditionSink.event) m_conditionSink.event({known->first, known->second}, event);
      }
      return;
    default:
      return;
  }
}

void CWsQuoteThread_KIWOOM::RequestConditions(std::vector<int> seqs, size_t next, int round) {
  // A list received meanwhile starts its own walk; this one ends.
  if (round != m_conditionRound) return;
  if (next >= seqs.size() || m_running.load() == 0 || !IsConnectionOpen()) return;
  const int seq = seqs[next];
  if (SendText(KiwoomConditionRequestFrame(seq)) == 0) m_started.push_back(seq);
  After(kRegisterSpacingMs, [this, seqs = std::move(seqs), next, round]() mutable {
    RequestConditions(std::move(seqs), next + 1, round);
  });
}

bool CWsQuoteThread_KIWOOM::RestartConditionSearches() {
  if (m_loggedIn.load() == 0 || !Opened() || !IsConnectionOpen()) return false;
  return Post([this] {
    for (int seq : m_started) SendText(KiwoomConditionClearFrame(seq));
    m_started.clear();
    m_conditions.clear();
    ++m_conditionRound;
    SendText(KiwoomConditionListFrame());
  });
}

int CWsQuoteThread_KIWOOM::Subscribe(const char* code, const char* type, int group, bool add,
                                     int refresh) {
  if (!Opened() || !IsConnectionOpen()) return -1;
  const std::string frame = KiwoomRegisterFrame(group, refresh, code, type);
  if (frame.empty()) return -1;
  return SendText(frame);
}

int CWsQuoteThread_KIWOOM::SubscribeAll() {
  if (m_loggedIn.load() == 0) return 0;
  if (!Opened() || !IsConnectionOpen()) return 0;
  if (!m_targets.load()) return 0;
  auto walk = std::make_shared<Walk>();
  WithTargets([&](StockViewMap& targets) {
    for (const auto& entry : targets)
      if (entry.second && !entry.second->rt_subscribed) walk->codes.push_back(entry.first);
  });
  if (walk->codes.empty()) return 0;
  if (m_subscribing.exchange(1) != 0) return 0;
  if (OnQuoteThread()) {
    // The frames go out between the connection's other work, one per timer.
    WalkStep(walk);
    return 0;
  }
  std::future<int> registered = walk->done.get_future();
  if (!Post([this, walk] { WalkStep(walk); })) {
    m_subscribing.store(0);
    return 0;
  }
  const auto bound = std::chrono::milliseconds(
      static_cast<int64_t>(walk->codes.size()) * kRegisterSpacingMs + kSendWaitMs);
  if (registered.wait_for(bound) != std::future_status::ready) return 0;
  try {
    return registered.get();
  } catch (const std::exception&) {
    return 0;
  }
}

void CWsQuoteThread_KIWOOM::WalkStep(const std::shared_ptr<Walk>& walk) {
  if (walk->next >= walk->codes.size() || m_running.load() == 0 || !IsConnectionOpen()) {
    FinishWalk(walk);
    return;
  }
  const std::wstring code = walk->codes[walk->next++];
  if (Subscribe(WideToUtf8(code).c_str(), kRealTimeType, kRegisterGroup, true, kRegisterRefresh) ==
      0) {
    WithTargets([&](StockViewMap& targets) {
      const auto found = targets.find(code);
      if (found != targets.end() && found->second) found->second->rt_subscribed = 1;
    });
    ++walk->registered;
  }
  if (!After(kRegisterSpacingMs, [this, walk] { WalkStep(walk); })) FinishWalk(walk);
}

void CWsQuoteThread_KIWOOM::FinishWalk(const std::shared_ptr<Walk>& walk) {
  if (walk->finished) return;
  walk->finished = true;
  m_subscribing.store(0);
  walk->done.set_value(walk->registered);
}
