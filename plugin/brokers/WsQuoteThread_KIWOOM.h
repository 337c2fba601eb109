#pragma once
// The Kiwoom securities broker's real-time quote client: logs in with a "LOGIN" message 100 ms
// after the connection opens and, once the server accepts it, registers every stock of the
// target map with one "REG" message each, 200 ms apart. Of the server's messages it reads only
// the reply to "LOGIN".

#include <memory>

#include "plugin/brokers/WebSocketQuoteThread.h"

class CWsQuoteThread_KIWOOM : public CWsConnectedQuoteThread {
 public:
  static constexpr int kLoginDelayMs = 100;
  static constexpr int kRegisterSpacingMs = 200;

  CWsQuoteThread_KIWOOM() = default;
  ~CWsQuoteThread_KIWOOM() override;

  // Registers every not-yet-subscribed stock of the target map, one "REG" frame each and
  // kRegisterSpacingMs apart, the frames going out on the quote thread. From the owner's thread
  // it waits for the walk and answers the number registered; on the quote thread (after the
  // log-in) the walk runs on between the connection's other work and 0 is answered. A walk
  // already under way answers 0.
  int SubscribeAll() override;
  // One "REG" frame (group, refresh flag, code, real-time type); the add flag is not used.
  int Subscribe(const char* code, const char* type, int group, bool add, int refresh) override;
  void Run() override;

 protected:
  std::string SingleSubscriptionFrame(const std::string& code, bool add) const override;
  void OnOpened() override;
  void OnFrame(const std::string& payload) override;
  const char* Prefix() const override { return "[KIWOOM]"; }

 private:
  struct Walk;
  void WalkStep(const std::shared_ptr<Walk>& walk);
  void FinishWalk(const std::shared_ptr<Walk>& walk);
};
