#include "plugin/view/engine/TradingOptions.h"

#include "shared/StockOption.h"

void SetDefaultStockOptions(stock_option_s* o) {
  if (!o) return;
  o->split_sell_amount = 50;
  o->split_sell_amount_won = 500000.0;
  o->split_sell_interval = 20;
  o->min_order_gap_ms = 20000;
  o->max_orders_per_step = 0;
  o->step_hold_ms = 300000;
  o->close_out_time = 1530;
  o->per_order_limit = 500000.0;
  o->auto_buy_limit = 50.0;
  o->close_out_mode = 0;
  o->stop_loss_rate = -100;
  o->stop_trading_loss = -1000;
  o->liquidation_time = 0;
  o->min_take_profit = 5.0;
  o->second_take_profit = 7.0;
  o->step_width = 2.0;
  o->stop_floor_offset[0] = -100.0;
  o->stop_floor_offset[1] = -100.0;
  o->step_margin = 0.0;
  o->sell_ratio = 100.0;
  o->env_day_period = 5;
  o->env_day_width = 5.0;
  o->env_minute_period = 5;
  o->env_minute_width = 0.8;
  o->sms_alarm_time = 1500;
  o->wide_step_factor = 3.0;
}

void ApplyCurrencyRates(double* rate, double* rate2, double hostRate, double hostRate2) {
  auto settle = [](double* r, double host) {
    if (!r) return;
    if (host > 0) *r = host;
    if (*r <= 1.0) *r = 1500.0;
  };
  settle(rate, hostRate);
  settle(rate2, hostRate2);
}
