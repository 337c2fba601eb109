#pragma once
// What one order carries through the engine's order routine (SendTradeOrder), the row the
// order-history tab shows for it, and the records of the plug-in's order table
// (WX_STOCK_ORDER).

#include <cstdint>
#include <string>

#include "platform/win/WinTypes.h"

struct Stock_s;
struct StockTrade_s;
struct group_info_s;

// SendTradeOrder's flags.
constexpr int kOrderFlagSound = 2;    // queue the buy or sell alert sound
constexpr int kOrderFlagHistory = 4;  // add an order-history row
// The sell pass's flags and value.
constexpr int kSellPassOrderFlags = 7;
constexpr int kSellPassOrderValue = 1;

// Results the order routines answer besides the broker's codes.
constexpr int kOrderNoAgent = -1;         // no agent was called
constexpr int kOrderNoStock = -998;       // PlaceUserOrder without a stock
constexpr int kOrderRefused = -300;       // PlaceUserOrder: the order was refused outright
constexpr int kOrderSimulationOn = -307;  // the price simulation runs: nothing reaches a broker

// Alert sounds of the view's sound table.
constexpr int kAlertSoundBuy = 0;
constexpr int kAlertSoundSell = 1;

// The arguments of one order.
struct TradeOrderArgs_s {
  int market = 1;   // market kind (0 is taken as 1)
  int session = 1;  // the session state, handed to the agent as its exchange selector
  group_info_s* account = nullptr;
  int side = 2;  // 1 buy, 2 sell
  int reverse = 0;
  int cashCredit = 1;  // 1 cash, 2 credit
  Stock_s* stock = nullptr;
  std::wstring code;
  double quantity = 0;
  double price = 0;      // 0: market price
  double reserved1 = 0;  // handed to the agent as its first value
  double reserved2 = 0;
  std::string accountText;      // the agent's account text
  std::wstring orderCondition;  // its number goes to the agent (credit orders: the loan date)
  uint8_t orderByte = 0;
  std::wstring note;
  int flags = 0;     // kOrderFlag...
  int intValue = 0;  // handed to the agent as the credit kind
  // The holding the order is for (null: a manual order). SendTradeOrder never reads it: it
  // names the holding in the history row; the values come from `snapshot`.
  StockTrade_s* holding = nullptr;
  // The holding's values as the caller took them under the view lock (another thread may
  // free the holding while the order is out).
  const StockTrade_s* snapshot = nullptr;
};

// What became of an order.
enum class OrderOutcome {
  kNotSent,  // no agent was called, or nothing reached the broker (price simulation)
  kPlaced,   // the broker accepted it and gave its order number
  kRefused,  // the broker answered and did not accept it
  kUnknown,  // no readable answer (time-out, reset, HTTP error, cut or unreadable reply): the
             // broker may have executed it; only the broker's own state settles it
};

// What one order answered.
struct TradeOrderResult_s {
  int result = kOrderNoAgent;
  int success = 0;
  double remaining = 0;
  std::wstring message;
  std::string orderNo;
  OrderOutcome outcome = OrderOutcome::kNotSent;
  double orderPrice = 0;  // the stock's price when the order went out
  int retried = 0;        // 1 when the broker asked for the order again and it was sent again
};

// An order whose effect the broker's balance has not shown yet: a placed sale, or an order
// whose outcome is unknown. Its holding is not ordered again until a balance read that began
// a settle time after the order names the holding (or no longer lists it).
struct OpenOrder_s {
  std::string key;  // the holding's identity (OpenOrderKey)
  std::string code;
  int side = 2;
  double quantity = 0;    // ordered
  double heldBefore = 0;  // the holding's quantity when the order went out
  int unknown = 0;        // 1: outcome unknown; 0: placed
  int64_t sentMs = 0;     // local wall time, ms since 1970
  std::string orderNo;
  bool settleAsked = false;  // the account step was asked for the settling balance read
};

// One row of the order-history tab ("주문 내역"), as the engine hands it to the window side.
struct OrderHistoryRow_s {
  bool fromHolding = false;  // false for a manual order
  char marketLetter = 0;     // the stock's market code, 0 when the list gave none
  std::wstring code;
  std::wstring name;
  uint8_t market = 0;
  int8_t nation = 0;
  int side = 0;
  int intValue = 0;
  bool credit = false;
  double quantity = 0;
  double price = 0;  // the order price (the stock's current price for market orders)
  double avgPrice = 0;
  double amount = 0;        // quantity x average buy price
  double profitRate = 0;    // (order price - average) / average x 100, 0 without an average
  double changeRate = 0;    // against the previous close, 0 without one
  std::wstring orderTime;   // "hh:mm:ss.mmm"
  SYSTEMTIME orderClock{};  // the same local time
};

// The arguments of one WX_STOCK_ORDER row (InsertStockOrder).
struct StockOrderInsert_s {
  int creditFlag = 0;
  int buyOrSell = 1;  // 1 buy, other values sell
  std::string code;
  double price = 0;
  double quantity = 0;
  double requestedTotal = 0;
  int nth = 0;
  double avgBuyPrice = 0;
  double profitMoney = 0;
  double profitRate = 0;
  double cutProfitRate = 0;
  double minProfitRate = 0;
  double rateGap = 0;
  int simulation = 0;
  int autoTrade = 0;
  int ruleIndex = 0;
  std::string ruleName;
};

// One WX_STOCK_ORDER row read back.
struct StockOrderRecord_s {
  int idx = 0;
  char base_date[16]{};
  char code[32]{};
  double buy_cnt = 0;
  double sell_cnt = 0;
  double invest_money = 0;
  double profit_money = 0;
  double profit_rate = 0;
  double buy_price = 0;
  double sell_price = 0;
  int is_simulation = 0;
  int is_auto_trade = 0;
  int is_credit_loan = 0;
  int buy_or_sell = 0;
};
