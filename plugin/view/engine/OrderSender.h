#pragma once
// Orders the user places in the order dialogs go out from this worker, one at a time, never
// from the user-interface thread: the dialog hands an order over and goes on; the worker finds
// the stock and the account under the view lock, sends the order through the engine's order
// routine with its own HTTP handle and no lock held, and hands the reply back on the
// user-interface thread. Each order is sent once; an outcome it cannot read is reported as
// unknown, never sent again. The worker runs while the engine's workers run.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "plugin/view/engine/TradeOrders.h"

class CPelomarEngine;

// One order of the user.
struct UserOrder_s {
  int market = 1;
  std::wstring account;  // the account's label; empty: the market's default broker account
  std::wstring code;
  int side = 1;    // 1 buy, 2 sell
  int credit = 1;  // 1 cash, 2 credit
  double quantity = 0;
  double price = 0;  // 0: market price
  int loanDate = 0;
  // A later part of a split order: placed through PlaceUserOrder (the per-order limit may cut
  // it); else the order routine as it is.
  bool splitPart = false;
};

// What became of it.
struct UserOrderReply_s {
  int result = kOrderNoAgent;
  int success = 0;
  OrderOutcome outcome = OrderOutcome::kNotSent;
  double cut = 0;  // the part the per-order limit cut off
  std::wstring message;
};

class COrderSender {
 public:
  using Done = std::function<void(const UserOrderReply_s&)>;

  explicit COrderSender(CPelomarEngine& engine);
  ~COrderSender();
  COrderSender(const COrderSender&) = delete;
  COrderSender& operator=(const COrderSender&) = delete;

  void Start();
  // Ends the worker after the order that is out; orders still waiting are dropped unsent and
  // their callers told so (kNotSent) on the user-interface thread.
  void Stop();
  bool Running() const;
  // Queues the order; `done` runs on the user-interface thread with the reply. False when the
  // worker does not run (nothing is queued, `done` is not called).
  bool Send(const UserOrder_s& order, Done done);
  // One order on the calling thread with `curl` (the worker's step).
  UserOrderReply_s Place(void* curl, const UserOrder_s& order);

 private:
  struct Job {
    UserOrder_s order;
    Done done;
  };
  void Run();
  void Deliver(Done done, const UserOrderReply_s& reply);

  CPelomarEngine& m_engine;
  mutable std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<Job> m_jobs;
  bool m_running = false;
  std::thread m_thread;
};
