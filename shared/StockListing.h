#pragma once
// What the stock grids show of a listed instrument beyond its prices: the listing texts and
// flags of the master-code download, the daily indicators and the investor figures. One
// block per stock (Stock_s::listing); whoever loads the master codes or the indicators fills
// it, the grid rows only read it.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/WinTypes.h"

struct StockListing_s {
  uint8_t market_code = 0;  // the market of the listing (option list of the "마켓" column)
  uint8_t nxt = 0;          // also trades on the NXT market
  std::wstring industry;
  std::wstring caution;  // caution text; not empty while a caution is in force
  uint8_t caution2 = 0;  // second caution flag (trading halt, delisting review)
  uint8_t managed = 0;   // managed stock
  uint8_t listed = 1;    // listing flag: the stock is listed and tradable
  uint8_t credit = 0;    // credit trading possible
  uint8_t auto_trade = 0;
  SYSTEMTIME expiry{};  // expiry date (derivatives, warrants)
  double received = 0;  // quotes received
  std::wstring sector;
  std::wstring comment;
  std::wstring status;
  double margin_rate = 0;
  double per = 0;
  double pbr = 0;
  uint8_t alarm_on = 0;
  double alarm_rate = 0;
  int32_t alarm_kind = 0;
  // Moving averages 5, 10, 20 and 30 and the five-day volume; has_ma 0 while none is known.
  uint8_t has_ma = 0;
  double ma[4]{};
  double vol5 = 0;
  double open_vs = 0;  // percent against the open, the low and the high
  double low_vs = 0;
  double high_vs = 0;
  double trade_score = 0;
  double foreign_rise = 0;
  double prev_close = 0;
  double volume = 0;
  double expected_price = 0;
  double expected_qty = 0;
  double net_buy = 0;
  double net_sell = 0;
  double buy_ratio = 0;
  double sell_ratio = 0;
  double strength = 0;
  double score = 0;
  // Day, minute and second-minute values of RSI, stochastic fast, MFI, CCI, MACD, P.SAR.
  double rsi[3]{};
  double sto[3]{};
  double mfi[3]{};
  double cci[3]{};
  double macd[3]{};
  double psar[3]{};
  double sensitivity_prev = 0;
  double sensitivity = 0;
  // Institution and foreigner net buying: ten days and today; foreigner rise and fall.
  double inst10 = 0;
  double inst_today = 0;
  double foreign10 = 0;
  double foreign_today = 0;
  double foreign_up = 0;
  double foreign_down = 0;
  // Day values, newest first, as the day columns "1" to "60" show them.
  std::vector<uint32_t> day_values;
};
