#pragma once
// A balance reply in two steps. An agent reads the reply into a BalanceReply_s without touching
// any map the view shares (no lock is held while it waits for the broker or parses); then
// MergeBalanceReply, the one merge every agent uses, brings the rows into the view's maps in one
// short step under the view's lock: stocks the master map lacks are added, holdings are added or
// updated, the holdings of the account the reply no longer names are dropped and freed by the
// map that owns them, and the account's figures are set.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "shared/StockRecords.h"

struct BalanceQueryArgs_s;

// One holding as a balance reply names it.
struct BalanceRow_s {
  std::wstring code;  // as the master map files it (a domestic code without its leading 'A')
  std::wstring name;  // empty when the reply named none
  double quantity = 0;
  double avgPrice = 0;
  double curPrice = 0;
  double commission = 0;  // 0: the fee rate gives it
  double tax = 0;
  int32_t loanDate = 0;  // yyyymmdd of a credit holding, else 0
};

// What one balance reply said: its holdings, the account figures it carries (each set on the
// account record as given), and the purchase and evaluation totals.
struct BalanceReply_s {
  std::vector<BalanceRow_s> rows;
  std::vector<std::pair<double group_info_s::*, double>> accountFigures;
  double purchase = 0;
  double evaluation = 0;
  // False when the reply may not name every holding (a paged list cut short by its page limit):
  // then no holding is dropped for not being named.
  bool complete = true;
  // True when the rows carry no current price (an exchange's account list): each holding takes
  // its record's current price (0 for a record the merge adds), and the evaluation total is
  // summed from those prices.
  bool pricesFromRecords = false;
};

// Who the reply belongs to and which side it covers.
struct BalanceOwner_s {
  uint8_t brokerId = 0;
  uint32_t accountKey = 0;  // the agent's key, kept in each holding's account_no
  uint8_t market = 0;       // the queried market: only its side's holdings may be dropped
  uint8_t priceSlot = 0;
  uint32_t pass = 0;            // marks the holdings this reply names
  bool afterFirstPass = false;  // the agent has finished a balance pass before
};

struct BalanceMergeResult_s {
  int parsed = 0;   // holdings the reply named
  int removed = 0;  // holdings dropped because the reply no longer named them
};

// Merges one reply into args.holdings, args.stocks and *args.totals (all must be set); the
// caller holds the lock that guards them.
BalanceMergeResult_s MergeBalanceReply(const BalanceReply_s& reply, const BalanceOwner_s& owner,
                                       const BalanceQueryArgs_s& args);
