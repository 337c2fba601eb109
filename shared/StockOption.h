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

  // --- What the settings dialog edits besides the fields above ---
  // The European account (one slot, kept apart from the overseas slots the agents log into)
  // and the generative-AI key; both keys are stored sealed like the broker keys.
  broker_slots_s<1> europe;
  wchar_t ai_key[100]{};
  uint8_t ai_on = 0;
  uint8_t ai_engine = 0;
  uint8_t nxt_on = 0;           // NXT orders allowed
  uint8_t trend_broker = 0;     // investor-trend data broker (0: the login broker)
  uint8_t short_broker = 0;     // short-selling data broker (0: the login broker)
  uint8_t us_auto_switch = 0;   // switch to US trading after 22:00
  int32_t europe_switch_time = 0;  // hhmm: 0 off, 1700 or 1730
  double eur_rate = 1600.0;        // won per euro
  // Fees in percent and the fractions the save derives from them.
  double europe_fee = 0;
  double europe_fee2 = 0;
  double coin_fee = 0;
  double coin_fee_fraction = 0;
  double tax_fraction = 0;
  double buy_fee_domestic_fraction = 0;
  double sell_fee_domestic_fraction = 0;
  double buy_fee_overseas_fraction = 0;
  double sell_fee_overseas_fraction = 0;
  uint8_t heuristic_on = 0;
  double heuristic_rate = 0;

  // Stop-loss and selling.
  uint8_t keep_auto_sell_on = 0;
  uint8_t new_holding_stop_loss = 0;
  uint8_t investor_realtime = 0;  // 0 off, 1 by amount, 2 by quantity
  uint8_t credit_sell_by_date = 0;
  uint8_t close_out_before_end = 0;
  uint8_t web_sync_seconds = 0;
  uint8_t save_valuation = 0;
  uint8_t close_broker_popups = 0;
  int32_t holdings_query_ms = 30000;
  uint8_t web_price_query = 0;
  uint8_t min_profit_auto_adjust = 0;
  uint8_t cafe_price_query = 0;
  uint8_t cafe_sell_sms = 0;
  double remainder_amount = 5000.0;  // won
  int32_t order_ban_amount = 5000;   // won
  double min_profit_stop_band = 0.1;  // percent
  int32_t stop_after_profit = 0;      // percent
  int32_t rebuy_start = 0;            // percent
  int32_t rebuy_end = 0;              // percent
  wchar_t main_code[20]{};
  wchar_t sub_code[20]{};
  uint8_t compare_market = 0;
  uint8_t hide_sold = 1;
  uint8_t chart_date_order = 0;
  int32_t stop_loss_lower_step = -3;
  int32_t hide_low_profit = -100;
  // Alerts and other settings.
  uint8_t expert_alert = 0;
  uint8_t fill_popup = 0;
  uint8_t fill_voice = 0;
  uint8_t save_trades_server = 0;
  uint8_t comment_column = 0;
  uint8_t other_account_watch = 0;
  uint8_t watch_all_realtime = 0;
  uint8_t investor_check_30s = 0;

  // Automatic buying.
  uint8_t credit_buy = 0;
  uint8_t write_log_file = 1;
  uint8_t held_stock_buy_rule = 0;
  uint8_t auto_buy_scope = 0;
  uint8_t reentry_buy = 0;
  int32_t auto_buy_rise_limit = 10;  // percent
  int32_t auto_buy_min_rise = 0;
  int32_t auto_buy_max_rise = 0;
  int32_t auto_buy_ban_fall = 0;
  int32_t auto_buy_delay_ms = 0;
  uint8_t auto_buy_kind = 2;
  uint8_t auto_buy_match = 0;
  int32_t split_buy_amount = 0;  // units of 10,000 won
  double split_buy_amount_won = 0;
  int32_t split_buy_interval_ms = 10000;
  int32_t auto_buy_max_stocks = 5;
  int32_t per_stock_buy_limit = 10;  // units of 10,000 won
  int32_t daily_buy_limit = 10;      // units of 10,000 won
  int32_t no_quote_buy_qty = 0;
  // Search modules and their values.
  uint8_t kospi_only = 0;
  uint8_t minute_chart = 0;
  uint8_t minute_chart2 = 0;
  uint8_t search_mode = 0;
  uint32_t module_flags = 0;
  uint8_t rsi_period = 14;
  double rsi_low = 0, rsi_high = 50, rsi_threshold = 0.01;
  uint8_t stoch_k = 5, stoch_d = 3;
  double stoch_day_low = 20, stoch_day_high = 30, stoch_minute_low = 20, stoch_minute_high = 30,
         stoch_threshold = 0.01;
  uint8_t mfi_period = 14;
  double mfi_low = 0, mfi_high = 50, mfi_threshold = 0.01;
  uint8_t cci_period = 9;
  double cci_day_low = 0, cci_day_high = 0, cci_minute_low = 0, cci_minute_high = 0,
         cci_threshold = 0.01;
  int32_t macd_short = 12, macd_long = 26, macd_signal = 9;
  double macd_low = 0, macd_high = 30;
  uint8_t psar_period = 9;
  double psar_low = 0, psar_high = 0;
  uint8_t psar_day_level = 2, psar_minute_level = 5;
  // Order times (hhmm, 0: all day) and the buying zones (percent).
  int32_t sell_start_time = 0, sell_end_time = 0, buy_start_time = 0, buy_end_time = 0;
  int32_t zone1_low = -3, zone1_high = -2, zone2_low = -3, zone2_high = -2;
  // Condition searches.
  int32_t condition_restart_time = 0;  // hhmm
  uint8_t buy_condition_sets = 0;
  uint8_t sell_condition_sets = 0;
  uint8_t chosen_buy_count = 0;
  uint8_t chosen_buy_spare = 0;  // cleared with the count
  int32_t buy_condition[4]{};
  int32_t buy_condition_limit[4]{};
  int32_t buy_condition_start[4]{};
  int32_t buy_condition_end[4]{};
  wchar_t chosen_buy_conditions[1001]{};   // "name;" per chosen set
  wchar_t chosen_sell_conditions[1001]{};
  // The split-buy board: its mode (2 search on, 4 off) and the per-stock buy amount (units of
  // 10,000 won; 0 or below: a budget of 1,000 won).
  uint8_t board_mode = 4;
  int32_t board_buy_amount = 0;
  // The monitoring view's option check (control 3214).
  uint8_t monitor_option = 0;
};
