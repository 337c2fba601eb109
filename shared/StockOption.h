#pragma once
// The trading configuration: the fields the engine and the agents read. The record is loaded
// and saved by the support library's option storage; fields are added as readers need them.

#include <cstdint>

#include "platform/win/WinTypes.h"

constexpr int kDomesticBrokerSlots = 4;
constexpr int kOverseasBrokerSlots = 1;
constexpr int kCoinBrokerSlots = 2;

// One group of broker slots; each field kind is an array over the group's slots.
template <int N>
struct broker_slots_s {
  uint8_t broker_id[N]{};
  uint8_t instance[N]{};
  uint8_t logged_in[N]{};
  wchar_t account[N][20]{};
  wchar_t name[N][20]{};
  wchar_t app_key[N][100]{};
  wchar_t app_secret[N][100]{};
};

struct stock_option_s {
  // Change mark: 0 unchanged, 1 changed, 2 only the account items changed.
  uint8_t changed = 0;

  broker_slots_s<kDomesticBrokerSlots> domestic;
  broker_slots_s<kOverseasBrokerSlots> overseas;
  broker_slots_s<kCoinBrokerSlots> coin;
  uint8_t coin_on = 0;
  uint8_t default_domestic_broker = 0;
  uint8_t data_broker = 0;
  uint8_t trading_market = 1;  // 1 domestic, 2 overseas
  uint8_t overseas_on = 0;     // overseas trading switch
  uint8_t rule_byte_copy = 0;  // the rule byte as the last balance query applied it

  double exchange_rate = 1500.0;  // won per US dollar

  // Fees and tax, percent.
  double buy_fee_domestic = 0;
  double sell_fee_domestic = 0;
  double buy_fee_overseas = 0;
  double sell_fee_overseas = 0;
  double tax_rate = 0;

  // Values given to new holdings (the balance parsers' step values), in field order.
  double steps[5]{-100.0, 5.0, 2.0, 2.0, 100.0};
  uint8_t rule_byte = 0;

  int32_t split_sell_amount = 50;  // units of 10,000 won
  double split_sell_amount_won = 500000.0;
  int32_t split_sell_interval = 20;  // seconds
  int32_t min_order_gap_ms = 20000;
  int32_t max_orders_per_step = 0;
  int32_t step_hold_ms = 300000;
  int32_t close_out_time = 1530;
  double per_order_limit = 500000.0;
  double auto_buy_limit = 50.0;
  uint8_t close_out_mode = 0;
  int32_t stop_loss_rate = -100;
  int32_t stop_trading_loss = -1000;
  int32_t liquidation_time = 0;
  double min_take_profit = 5.0;
  double second_take_profit = 7.0;
  double step_width = 2.0;
  double stop_floor_offset[2]{-100.0, -100.0};
  double step_margin = 0;
  double sell_ratio = 100.0;
  int32_t env_day_period = 5;
  double env_day_width = 5.0;
  int32_t env_minute_period = 5;
  double env_minute_width = 0.8;
  int32_t sms_alarm_time = 1500;

  // The second dollar rate (won per US dollar) the host may hand over.
  double exchange_rate2 = 1500.0;
  // Profit steps set per holding instead of from the shared options.
  uint8_t sell_one_by_one = 0;
  // Steps from the sixteenth on are this many step widths apart (the stop-loss ladder).
  double wide_step_factor = 3.0;
  // The split-buy board: its mode (2 search on, 4 off) and the per-stock buy amount (units of
  // 10,000 won; 0 or below: a budget of 1,000 won).
  uint8_t board_mode = 4;
  int32_t board_buy_amount = 0;
};
