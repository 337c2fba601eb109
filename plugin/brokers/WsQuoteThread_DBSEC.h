#pragma once
// The DB securities broker's real-time quote client: subscribes stocks of the target map to the
// real-time price service "S00" (the access token travels in every subscription; there is no
// log-in message) and writes each price message's current price, accumulated volume and change
// rate into the stock's record.

#include "plugin/brokers/WebSocketQuoteThread.h"

class CWsQuoteThread_DBSEC : public CWsConnectedQuoteThread {
 public:
  CWsQuoteThread_DBSEC() = default;
  ~CWsQuoteThread_DBSEC() override;

  // Subscribes the first not-yet-subscribed stock of the target map (key order); 1 when one
  // was subscribed, else 0.
  int SubscribeAll() override;
  // One "S00" frame for the code ("1" register with `add`, else "2" remove); type, group and
  // refresh are not used.
  int Subscribe(const char* code, const char* type, int group, bool add, int refresh) override;
  void Run() override;

  // Reads one price message and writes it into the target record; true when a record changed.
  bool ApplyPriceFrame(const std::string& payload);

 protected:
  std::string SingleSubscriptionFrame(const std::string& code, bool add) const override;
  void OnOpened() override;
  void OnFrame(const std::string& payload) override;
  const char* Prefix() const override { return "[DBSEC]"; }
};
