#include "plugin/brokers/WsQuoteThread_DBSEC.h"

#include <vector>

#include "platform/support/TextConv.h"
#include "plugin/brokers/QuoteFrames.h"

CWsQuoteThread_DBSEC::~CWsQuoteThread_DBSEC() {
  Disconnect();
  Stop();
}

void CWsQuoteThread_DBSEC::Run() { RunConnection(Prefix()); }

std::string CWsQuoteThread_DBSEC::SingleSubscriptionFrame(const std::string& code, bool add) const {
  return DbSubscriptionFrame(m_token, add, code.c_str());
}

void CWsQuoteThread_DBSEC::OnOpened() { m_loggedIn.store(1); }

int CWsQuoteThread_DBSEC::Subscribe(const char* code, const char* type, int group, bool add,
                                    int refresh) {
  if (!IsConnectionOpen()) return -1;
  return SendText(DbSubscriptionFrame(m_token, add, code));
}

int CWsQuoteThread_DBSEC::SubscribeAll() {
  if (!Opened() || !IsConnectionOpen()) return 0;
  if (!m_targets.load()) return 0;
  if (m_subscribing.exchange(1) != 0) return 0;
  // The codes waiting, copied under the owner's lock; the frames go out without it.
  std::vector<std::wstring> waiting;
  WithTargets([&](StockViewMap& targets) {
    for (const auto& entry : targets)
      if (entry.second && !entry.second->rt_subscribed) waiting.push_back(entry.first);
  });
  for (const std::wstring& code : waiting) {
    if (Subscribe(WideToUtf8(code).c_str(), nullptr, 0, true, 1) != 0) continue;
    WithTargets([&](StockViewMap& targets) {
      const auto found = targets.find(code);
      if (found != targets.end() && found->second) found->second->rt_subscribed = 1;
    });
    m_subscribing.store(0);
    return 1;
  }
  m_subscribing.store(0);
  return 0;
}

bool CWsQuoteThread_DBSEC::ApplyPriceFrame(const std::string& payload) {
  DbPriceFrame_s frame;
  if (!ReadDbPriceFrame(payload.data(), payload.size(), &frame)) return false;
  if (!frame.hasBody || frame.code.empty() || frame.price <= 0) return false;
  bool written = false;
  WithTargets([&](StockViewMap& targets) {
    const auto found = targets.find(frame.code);
    if (found == targets.end() || !found->second) return;
    Stock_s* stock = found->second;
    stock->cur_price = frame.price;
    stock->listing.volume = frame.accVolume;
    stock->change_rate = frame.changeRate;
    written = true;
  });
  return written;
}

void CWsQuoteThread_DBSEC::OnFrame(const std::string& payload) {
  try {
    if (ApplyPriceFrame(payload)) NotePricesWritten();
  } catch (const std::exception&) {
    // A message that cannot be read is dropped.
  }
}
