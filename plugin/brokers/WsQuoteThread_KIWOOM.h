#pragma once
// The Kiwoom securities broker's real-time quote client: logs in with a "LOGIN" message 100 ms
// after the connection opens and, once the server accepts it, registers every stock of the
// target map with one "REG" message each, 200 ms apart. It also runs the user's condition
// searches: after the log-in it asks for the list of conditions ("CNSRLST"), starts a real-time
// search of each ("CNSRREQ", 200 ms apart) and hands the list, each search's current matches and
// the real-time entries and exits to the condition sink, on the quote thread.

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "plugin/brokers/KiwoomConditionFrames.h"
#include "plugin/brokers/WebSocketQuoteThread.h"

// Where the condition searches go; each member may be empty. Called on the quote thread with
// no lock of the client held.
struct KiwoomConditionSink_s {
  std::function<void(const std::vector<KiwoomCondition_s>& conditions)> list;
  std::function<void(const KiwoomCondition_s& condition,
                     const std::vector<KiwoomConditionHit_s>& hits)>
      result;
  std::function<void(const KiwoomCondition_s& condition, const KiwoomConditionEvent_s& event)>
      event;
};

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
  // Set before Start.
  void SetConditionSink(KiwoomConditionSink_s sink) { m_conditionSink = std::move(sink); }
  // Stops every running condition search ("CNSRCLR") and asks for the list again, which starts
  // them anew; false when the client is not logged in.
  bool RestartConditionSearches();

 protected:
  std::string SingleSubscriptionFrame(const std::string& code, bool add) const override;
  void OnOpened() override;
  void OnFrame(const std::string& payload) override;
  const char* Prefix() const override { return "[KIWOOM]"; }

 private:
  struct Walk;
  void WalkStep(const std::shared_ptr<Walk>& walk);
  void FinishWalk(const std::shared_ptr<Walk>& walk);
  // On the quote thread.
  void OnConditionMessage(const KiwoomConditionMessage_s& message);
  void RequestConditions(std::vector<int> seqs, size_t next, int round);

  KiwoomConditionSink_s m_conditionSink;
  // The user's conditions by sequence number, and those whose search was started; quote thread
  // only.
  std::map<int, std::wstring> m_conditions;
  std::vector<int> m_started;
  int m_conditionRound = 0;
};
