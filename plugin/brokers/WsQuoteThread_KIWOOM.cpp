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
    KiwoomReply_s reply;
    if (!ReadKiwoomReply(payload.data(), payload.size(), &reply)) return;
    if (!IsAcceptedLogin(reply)) return;
    m_loggedIn.store(1);
    SubscribeAll();
  } catch (const std::exception&) {
    // A message that cannot be read is dropped.
  }
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
