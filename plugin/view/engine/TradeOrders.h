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
  int flags = 0;                    // kOrderFlag...
  int intValue = 0;                 // handed to the agent as the credit kind
  StockTrade_s* holding = nullptr;  // the holding the order is for (null: a manual order)
};

// What one order answered.
struct TradeOrderResult_s {
  int result = kOrderNoAgent;
  int success = 0;
  double remaining = 0;
  std::wstring message;
  std::string orderNo;
};

// One row of the order-history tab ("주문 내역"), as the engine hands it to the window side.
struct OrderHistoryRow_s {
  Stock_s* stock = nullptr;
  StockTrade_s* holding = nullptr;  // null for a manual order
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
