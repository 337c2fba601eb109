#include "platform/support/StockOptionStore.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/support/Encryption.h"
#include "platform/support/TextConv.h"
#include "shared/StockOption.h"

namespace {

enum class FieldType { kByte, kInt, kUInt, kDouble, kText };

// One stored field: its name in STOCK_CFG_VALUES and where it lives in the record.
struct FieldRef {
  std::string name;
  FieldType type;
  void* ptr;
  size_t textLen;  // wide characters of a kText field, terminator included
  bool secret = false;  // a broker key or secret: stored sealed, never in clear
};

using FieldVisitor = std::function<void(const FieldRef&)>;

template <int N>
void VisitSlots(const char* group, broker_slots_s<N>& slots, const FieldVisitor& visit) {
  for (int i = 0; i < N; ++i) {
    const std::string p = std::string("acc.") + group + "." + std::to_string(i) + ".";
    visit({p + "broker_id", FieldType::kByte, &slots.broker_id[i], 0});
    visit({p + "instance", FieldType::kByte, &slots.instance[i], 0});
    visit({p + "account", FieldType::kText, slots.account[i], std::size(slots.account[i])});
    visit({p + "name", FieldType::kText, slots.name[i], std::size(slots.name[i])});
    visit({p + "app_key", FieldType::kText, slots.app_key[i], std::size(slots.app_key[i]), true});
    visit({p + "app_secret", FieldType::kText, slots.app_secret[i],
           std::size(slots.app_secret[i]), true});
  }
}

// The broker account items.
void VisitAccountItems(stock_option_s& o, const FieldVisitor& visit) {
  VisitSlots("domestic", o.domestic, visit);
  VisitSlots("overseas", o.overseas, visit);
  VisitSlots("coin", o.coin, visit);
  VisitSlots("europe", o.europe, visit);
  visit({"acc.ai_key", FieldType::kText, o.ai_key, std::size(o.ai_key), true});
  visit({"acc.coin_on", FieldType::kByte, &o.coin_on, 0});
  visit({"acc.default_domestic_broker", FieldType::kByte, &o.default_domestic_broker, 0});
  visit({"acc.data_broker", FieldType::kByte, &o.data_broker, 0});
}

// The values the settings dialog edits beyond the engine's own.
void VisitDialogValues(stock_option_s& o, const FieldVisitor& visit) {
  auto d = [&](const char* n, double* p) { visit({n, FieldType::kDouble, p, 0}); };
  auto i = [&](const char* n, int32_t* p) { visit({n, FieldType::kInt, p, 0}); };
  auto b = [&](const char* n, uint8_t* p) { visit({n, FieldType::kByte, p, 0}); };
  auto t = [&](const char* n, wchar_t* p, size_t len) { visit({n, FieldType::kText, p, len}); };
  b("ai_on", &o.ai_on);
  b("ai_engine", &o.ai_engine);
  b("nxt_on", &o.nxt_on);
  b("trend_broker", &o.trend_broker);
  b("short_broker", &o.short_broker);
  b("us_auto_switch", &o.us_auto_switch);
  b("overseas_on", &o.overseas_on);
  i("europe_switch_time", &o.europe_switch_time);
  d("eur_rate", &o.eur_rate);
  d("europe_fee", &o.europe_fee);
  d("europe_fee2", &o.europe_fee2);
  d("coin_fee", &o.coin_fee);
  d("coin_fee_fraction", &o.coin_fee_fraction);
  d("tax_fraction", &o.tax_fraction);
  d("buy_fee_domestic_fraction", &o.buy_fee_domestic_fraction);
  d("sell_fee_domestic_fraction", &o.sell_fee_domestic_fraction);
  d("buy_fee_overseas_fraction", &o.buy_fee_overseas_fraction);
  d("sell_fee_overseas_fraction", &o.sell_fee_overseas_fraction);
  b("heuristic_on", &o.heuristic_on);
  d("heuristic_rate", &o.heuristic_rate);
  b("keep_auto_sell_on", &o.keep_auto_sell_on);
  b("new_holding_stop_loss", &o.new_holding_stop_loss);
  b("investor_realtime", &o.investor_realtime);
  b("credit_sell_by_date", &o.credit_sell_by_date);
  b("close_out_before_end", &o.close_out_before_end);
  b("web_sync_seconds", &o.web_sync_seconds);
  b("save_valuation", &o.save_valuation);
  b("close_broker_popups", &o.close_broker_popups);
  i("holdings_query_ms", &o.holdings_query_ms);
  b("web_price_query", &o.web_price_query);
  b("min_profit_auto_adjust", &o.min_profit_auto_adjust);
  b("cafe_price_query", &o.cafe_price_query);
  b("cafe_sell_sms", &o.cafe_sell_sms);
  d("remainder_amount", &o.remainder_amount);
  i("order_ban_amount", &o.order_ban_amount);
  d("min_profit_stop_band", &o.min_profit_stop_band);
  i("stop_after_profit", &o.stop_after_profit);
  i("rebuy_start", &o.rebuy_start);
  i("rebuy_end", &o.rebuy_end);
  t("main_code", o.main_code, std::size(o.main_code));
  t("sub_code", o.sub_code, std::size(o.sub_code));
  b("compare_market", &o.compare_market);
  b("hide_sold", &o.hide_sold);
  b("chart_date_order", &o.chart_date_order);
  i("stop_loss_lower_step", &o.stop_loss_lower_step);
  i("hide_low_profit", &o.hide_low_profit);
  b("expert_alert", &o.expert_alert);
  b("fill_popup", &o.fill_popup);
  b("fill_voice", &o.fill_voice);
  b("save_trades_server", &o.save_trades_server);
  b("comment_column", &o.comment_column);
  b("other_account_watch", &o.other_account_watch);
  b("watch_all_realtime", &o.watch_all_realtime);
  b("investor_check_30s", &o.investor_check_30s);
  b("credit_buy", &o.credit_buy);
  b("write_log_file", &o.write_log_file);
  b("held_stock_buy_rule", &o.held_stock_buy_rule);
  b("auto_buy_scope", &o.auto_buy_scope);
  b("reentry_buy", &o.reentry_buy);
  i("auto_buy_rise_limit", &o.auto_buy_rise_limit);
  i("auto_buy_min_rise", &o.auto_buy_min_rise);
  i("auto_buy_max_rise", &o.auto_buy_max_rise);
  i("auto_buy_ban_fall", &o.auto_buy_ban_fall);
  i("auto_buy_delay_ms", &o.auto_buy_delay_ms);
  b("auto_buy_kind", &o.auto_buy_kind);
  b("auto_buy_match", &o.auto_buy_match);
  i("split_buy_amount", &o.split_buy_amount);
  d("split_buy_amount_won", &o.split_buy_amount_won);
  i("split_buy_interval_ms", &o.split_buy_interval_ms);
  i("auto_buy_max_stocks", &o.auto_buy_max_stocks);
  i("per_stock_buy_limit", &o.per_stock_buy_limit);
  i("daily_buy_limit", &o.daily_buy_limit);
  i("no_quote_buy_qty", &o.no_quote_buy_qty);
  b("kospi_only", &o.kospi_only);
  b("minute_chart", &o.minute_chart);
  b("minute_chart2", &o.minute_chart2);
  b("search_mode", &o.search_mode);
  visit({"module_flags", FieldType::kUInt, &o.module_flags, 0});
  b("rsi_period", &o.rsi_period);
  d("rsi_low", &o.rsi_low);
  d("rsi_high", &o.rsi_high);
  d("rsi_threshold", &o.rsi_threshold);
  b("stoch_k", &o.stoch_k);
  b("stoch_d", &o.stoch_d);
  d("stoch_day_low", &o.stoch_day_low);
  d("stoch_day_high", &o.stoch_day_high);
  d("stoch_minute_low", &o.stoch_minute_low);
  d("stoch_minute_high", &o.stoch_minute_high);
  d("stoch_threshold", &o.stoch_threshold);
  b("mfi_period", &o.mfi_period);
  d("mfi_low", &o.mfi_low);
  d("mfi_high", &o.mfi_high);
  d("mfi_threshold", &o.mfi_threshold);
  b("cci_period", &o.cci_period);
  d("cci_day_low", &o.cci_day_low);
  d("cci_day_high", &o.cci_day_high);
  d("cci_minute_low", &o.cci_minute_low);
  d("cci_minute_high", &o.cci_minute_high);
  d("cci_threshold", &o.cci_threshold);
  i("macd_short", &o.macd_short);
  i("macd_long", &o.macd_long);
  i("macd_signal", &o.macd_signal);
  d("macd_low", &o.macd_low);
  d("macd_high", &o.macd_high);
  b("psar_period", &o.psar_period);
  d("psar_low", &o.psar_low);
  d("psar_high", &o.psar_high);
  b("psar_day_level", &o.psar_day_level);
  b("psar_minute_level", &o.psar_minute_level);
  i("sell_start_time", &o.sell_start_time);
  i("sell_end_time", &o.sell_end_time);
  i("buy_start_time", &o.buy_start_time);
  i("buy_end_time", &o.buy_end_time);
  i("zone1_low", &o.zone1_low);
  i("zone1_high", &o.zone1_high);
  i("zone2_low", &o.zone2_low);
  i("zone2_high", &o.zone2_high);
  i("condition_restart_time", &o.condition_restart_time);
  b("buy_condition_sets", &o.buy_condition_sets);
  b("sell_condition_sets", &o.sell_condition_sets);
  for (int k = 0; k < 4; ++k) {
    const std::string n = std::to_string(k);
    i(("buy_condition." + n).c_str(), &o.buy_condition[k]);
    i(("buy_condition_limit." + n).c_str(), &o.buy_condition_limit[k]);
    i(("buy_condition_start." + n).c_str(), &o.buy_condition_start[k]);
    i(("buy_condition_end." + n).c_str(), &o.buy_condition_end[k]);
  }
  t("chosen_buy_conditions", o.chosen_buy_conditions, std::size(o.chosen_buy_conditions));
  t("chosen_sell_conditions", o.chosen_sell_conditions, std::size(o.chosen_sell_conditions));
  b("monitor_option", &o.monitor_option);
}

// Every field kept in STOCK_CFG_VALUES except the account items.
void VisitOptionValues(stock_option_s& o, const FieldVisitor& visit) {
  auto d = [&](const char* n, double* p) { visit({n, FieldType::kDouble, p, 0}); };
  auto i = [&](const char* n, int32_t* p) { visit({n, FieldType::kInt, p, 0}); };
  auto b = [&](const char* n, uint8_t* p) { visit({n, FieldType::kByte, p, 0}); };
  d("buy_fee_domestic", &o.buy_fee_domestic);
  d("sell_fee_domestic", &o.sell_fee_domestic);
  d("buy_fee_overseas", &o.buy_fee_overseas);
  d("sell_fee_overseas", &o.sell_fee_overseas);
  d("tax_rate", &o.tax_rate);
  for (int k = 0; k < 5; ++k) d(("steps." + std::to_string(k)).c_str(), &o.steps[k]);
  b("rule_byte", &o.rule_byte);
  i("split_sell_interval", &o.split_sell_interval);
  i("min_order_gap_ms", &o.min_order_gap_ms);
  i("max_orders_per_step", &o.max_orders_per_step);
  i("step_hold_ms", &o.step_hold_ms);
  i("close_out_time", &o.close_out_time);
  d("per_order_limit", &o.per_order_limit);
  d("auto_buy_limit", &o.auto_buy_limit);
  b("close_out_mode", &o.close_out_mode);
  i("stop_loss_rate", &o.stop_loss_rate);
  i("stop_trading_loss", &o.stop_trading_loss);
  i("liquidation_time", &o.liquidation_time);
  d("min_take_profit", &o.min_take_profit);
  d("second_take_profit", &o.second_take_profit);
  d("step_width", &o.step_width);
  d("stop_floor_offset.0", &o.stop_floor_offset[0]);
  d("stop_floor_offset.1", &o.stop_floor_offset[1]);
  d("step_margin", &o.step_margin);
  d("sell_ratio", &o.sell_ratio);
  i("env_day_period", &o.env_day_period);
  d("env_day_width", &o.env_day_width);
  i("env_minute_period", &o.env_minute_period);
  d("env_minute_width", &o.env_minute_width);
  i("sms_alarm_time", &o.sms_alarm_time);
  d("exchange_rate2", &o.exchange_rate2);
  b("sell_one_by_one", &o.sell_one_by_one);
  d("wide_step_factor", &o.wide_step_factor);
  b("board_mode", &o.board_mode);
  i("board_buy_amount", &o.board_buy_amount);
  VisitDialogValues(o, visit);
}

// crypt_ver is 1 for a sealed value (Encryption.h), NULL for a value kept as text. Tables made
// before keys were sealed lack the column; their rows are all plain.
constexpr const char* kCreateValues =
    "CREATE TABLE IF NOT EXISTS STOCK_CFG_VALUES (app_idx int NOT NULL, site_idx int NOT NULL, "
    "name varchar(64) NOT NULL, value text, crypt_ver int, PRIMARY KEY (app_idx, site_idx, name))";
constexpr int kSealedValue = 1;

// A prepared statement that finalizes itself.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) { rc_ = sqlite3_prepare_v2(db, sql, -1, &st_, nullptr); }
  ~Statement() { sqlite3_finalize(st_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  bool ok() const { return rc_ == SQLITE_OK && st_; }
  int rc() const { return rc_ == SQLITE_OK ? SQLITE_ERROR : rc_; }
  sqlite3_stmt* get() const { return st_; }

 private:
  sqlite3_stmt* st_ = nullptr;
  int rc_;
};

bool Exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool HasValuesTable(sqlite3* db) {
  Statement st(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'STOCK_CFG_VALUES'");
  return st.ok() && sqlite3_step(st.get()) == SQLITE_ROW;
}

bool HasCryptColumn(sqlite3* db) {
  Statement st(db, "SELECT 1 FROM pragma_table_info('STOCK_CFG_VALUES') WHERE name = 'crypt_ver'");
  return st.ok() && sqlite3_step(st.get()) == SQLITE_ROW;
}

// Makes the value table, or gives an older one its crypt_ver column.
int EnsureValuesTable(sqlite3* db) {
  const int rc = sqlite3_exec(db, kCreateValues, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK || HasCryptColumn(db)) return rc;
  return sqlite3_exec(db, "ALTER TABLE STOCK_CFG_VALUES ADD COLUMN crypt_ver int", nullptr,
                      nullptr, nullptr);
}

// A sealed value's key is bound to its row and name, so a value copied to another slot, field
// or configuration does not open.
std::string SealContext(int appIdx, int siteIdx, const std::string& name) {
  return "STOCK_CFG_VALUES\x1f" + std::to_string(appIdx) + '\x1f' + std::to_string(siteIdx) +
         '\x1f' + name;
}

// The names of the fields that are kept sealed.
const std::set<std::string>& SecretNames() {
  static const std::set<std::string> names = [] {
    std::set<std::string> found;
    stock_option_s scratch;
    VisitAccountItems(scratch, [&](const FieldRef& f) {
      if (f.secret) found.insert(f.name);
    });
    return found;
  }();
  return names;
}

std::string FieldText(const FieldRef& f) {
  char buf[64];
  switch (f.type) {
    case FieldType::kByte:
      return std::to_string(*static_cast<uint8_t*>(f.ptr));
    case FieldType::kInt:
      return std::to_string(*static_cast<int32_t*>(f.ptr));
    case FieldType::kUInt:
      return std::to_string(*static_cast<uint32_t*>(f.ptr));
    case FieldType::kDouble:
      std::snprintf(buf, sizeof buf, "%.17g", *static_cast<double*>(f.ptr));
      return buf;
    case FieldType::kText:
      return WideToUtf8(static_cast<const wchar_t*>(f.ptr));
  }
  return {};
}

// Stores a text value into the field; a number that does not read whole leaves it unchanged.
void SetFieldText(const FieldRef& f, const std::string& text) {
  char* end = nullptr;
  switch (f.type) {
    case FieldType::kByte:
    case FieldType::kInt:
    case FieldType::kUInt: {
      const long long v = std::strtoll(text.c_str(), &end, 10);
      if (text.empty() || *end) return;
      if (f.type == FieldType::kByte)
        *static_cast<uint8_t*>(f.ptr) = static_cast<uint8_t>(v);
      else if (f.type == FieldType::kUInt)
        *static_cast<uint32_t*>(f.ptr) = static_cast<uint32_t>(v);
      else
        *static_cast<int32_t*>(f.ptr) = static_cast<int32_t>(v);
      return;
    }
    case FieldType::kDouble: {
      const double v = std::strtod(text.c_str(), &end);
      if (text.empty() || *end) return;
      *static_cast<double*>(f.ptr) = v;
      return;
    }
    case FieldType::kText:
      StrSafeCopyFromUTF8_W(static_cast<wchar_t*>(f.ptr), f.textLen, text.c_str());
      return;
  }
}

int WriteValues(sqlite3* db, int appIdx, int siteIdx, stock_option_s& o,
                void (*visitor)(stock_option_s&, const FieldVisitor&), int* written = nullptr) {
  Statement st(db,
               "INSERT INTO STOCK_CFG_VALUES (app_idx, site_idx, name, value, crypt_ver) "
               "VALUES (?, ?, ?, ?, ?) ON CONFLICT(app_idx, site_idx, name) DO UPDATE SET "
               "value = excluded.value, crypt_ver = excluded.crypt_ver");
  if (!st.ok()) return st.rc();
  int rc = SQLITE_OK;
  visitor(o, [&](const FieldRef& f) {
    if (rc != SQLITE_OK) return;
    std::string text = FieldText(f);
    if (f.secret) {
      std::string sealed;
      if (orv::support::SealText(SealContext(appIdx, siteIdx, f.name), text, &sealed) !=
          orv::support::kCryptOk) {
        rc = SQLITE_AUTH;
        return;
      }
      text.swap(sealed);
    }
    sqlite3_reset(st.get());
    sqlite3_bind_int(st.get(), 1, appIdx);
    sqlite3_bind_int(st.get(), 2, siteIdx);
    sqlite3_bind_text(st.get(), 3, f.name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st.get(), 4, text.c_str(), -1, SQLITE_TRANSIENT);
    if (f.secret)
      sqlite3_bind_int(st.get(), 5, kSealedValue);
    else
      sqlite3_bind_null(st.get(), 5);
    const int step = sqlite3_step(st.get());
    if (step != SQLITE_DONE)
      rc = step;
    else if (written)
      ++*written;
  });
  return rc;
}

// Runs `body` inside one transaction; rolls back when it fails.
int InTransaction(sqlite3* db, const std::function<int()>& body) {
  int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) return rc;
  rc = EnsureValuesTable(db);
  if (rc == SQLITE_OK) rc = body();
  if (rc == SQLITE_OK) rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  return rc;
}

int WriteConfigRow(sqlite3* db, int appIdx, int siteIdx, const stock_option_s& o) {
  Statement st(db,
               "INSERT INTO STOCK_CFG (app_idx, site_idx, split_sell_money, currency_usd) "
               "VALUES (?, ?, ?, ?) ON CONFLICT(app_idx, site_idx) DO UPDATE SET "
               "split_sell_money = excluded.split_sell_money, "
               "currency_usd = excluded.currency_usd");
  if (!st.ok()) return st.rc();
  sqlite3_bind_int(st.get(), 1, appIdx);
  sqlite3_bind_int(st.get(), 2, siteIdx);
  sqlite3_bind_double(st.get(), 3, o.split_sell_amount * 10000.0);
  sqlite3_bind_double(st.get(), 4, o.exchange_rate);
  const int step = sqlite3_step(st.get());
  return step == SQLITE_DONE ? SQLITE_OK : step;
}

// Seals the broker keys and secrets that an earlier version stored in clear, in every
// configuration, and then wipes the clear text from the file: the rows are rewritten with
// secure_delete on, the database is rebuilt (VACUUM drops the free space older writes left
// behind) and the write-ahead log is emptied. When a key cannot be sealed nothing changes and
// the clear values stay readable.
void SealPlainKeys(sqlite3* db) {
  if (!HasValuesTable(db)) return;
  struct Plain {
    int appIdx, siteIdx;
    std::string name, value;
  };
  std::vector<Plain> plain;
  {
    const bool hasColumn = HasCryptColumn(db);
    Statement st(db, hasColumn ? "SELECT app_idx, site_idx, name, value FROM STOCK_CFG_VALUES "
                                 "WHERE crypt_ver IS NULL OR crypt_ver <> 1"
                               : "SELECT app_idx, site_idx, name, value FROM STOCK_CFG_VALUES");
    if (!st.ok()) return;
    while (sqlite3_step(st.get()) == SQLITE_ROW) {
      const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 2));
      if (!name || !SecretNames().count(name)) continue;
      const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 3));
      plain.push_back({sqlite3_column_int(st.get(), 0), sqlite3_column_int(st.get(), 1), name,
                       value ? value : ""});
    }
  }
  if (plain.empty()) return;
  const int rc = InTransaction(db, [&] {
    Statement st(db,
                 "UPDATE STOCK_CFG_VALUES SET value = ?, crypt_ver = ? "
                 "WHERE app_idx = ? AND site_idx = ? AND name = ?");
    if (!st.ok()) return st.rc();
    for (const Plain& p : plain) {
      std::string sealed;
      if (orv::support::SealText(SealContext(p.appIdx, p.siteIdx, p.name), p.value, &sealed) !=
          orv::support::kCryptOk)
        return SQLITE_AUTH;
      sqlite3_reset(st.get());
      sqlite3_bind_text(st.get(), 1, sealed.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int(st.get(), 2, kSealedValue);
      sqlite3_bind_int(st.get(), 3, p.appIdx);
      sqlite3_bind_int(st.get(), 4, p.siteIdx);
      sqlite3_bind_text(st.get(), 5, p.name.c_str(), -1, SQLITE_TRANSIENT);
      if (sqlite3_step(st.get()) != SQLITE_DONE) return static_cast<int>(SQLITE_ERROR);
    }
    return static_cast<int>(SQLITE_OK);
  });
  if (rc != SQLITE_OK) return;
  Exec(db, "VACUUM");
  Exec(db, "PRAGMA wal_checkpoint(TRUNCATE)");
}

}  // namespace

int GfxLoadStockOption(sqlite3* db, int appIdx, int siteIdx, stock_option_s* option) {
  if (!db || !option) return -1;
  Statement row(db,
                "SELECT split_sell_money, currency_usd FROM STOCK_CFG "
                "WHERE app_idx = ? AND site_idx = ?");
  if (!row.ok()) return -1;
  sqlite3_bind_int(row.get(), 1, appIdx);
  sqlite3_bind_int(row.get(), 2, siteIdx);
  const int step = sqlite3_step(row.get());
  if (step == SQLITE_DONE) return 0;
  if (step != SQLITE_ROW) return -1;
  // A missing or non-positive amount is one the catalogue never set: the record keeps its own.
  if (sqlite3_column_type(row.get(), 0) != SQLITE_NULL) {
    const double won = sqlite3_column_double(row.get(), 0);
    if (won >= 10000.0) {
      option->split_sell_amount = static_cast<int32_t>(won / 10000.0);
      option->split_sell_amount_won = option->split_sell_amount * 10000.0;
    }
  }
  if (sqlite3_column_type(row.get(), 1) != SQLITE_NULL)
    option->exchange_rate = sqlite3_column_double(row.get(), 1);

  if (!HasValuesTable(db)) return 1;  // no companion table yet: nothing more was ever saved
  // A table of an earlier version without crypt_ver (a read-only file is never upgraded) holds
  // only plain values.
  Statement values(db, HasCryptColumn(db) ? "SELECT name, value, crypt_ver FROM STOCK_CFG_VALUES "
                                            "WHERE app_idx = ? AND site_idx = ?"
                                          : "SELECT name, value, NULL FROM STOCK_CFG_VALUES "
                                            "WHERE app_idx = ? AND site_idx = ?");
  if (!values.ok()) return -1;
  sqlite3_bind_int(values.get(), 1, appIdx);
  sqlite3_bind_int(values.get(), 2, siteIdx);
  struct Stored {
    std::string value;
    bool sealed;
  };
  std::map<std::string, Stored> stored;
  while (sqlite3_step(values.get()) == SQLITE_ROW) {
    const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(values.get(), 0));
    const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(values.get(), 1));
    if (name)
      stored[name] = {value ? value : "", sqlite3_column_int(values.get(), 2) == kSealedValue};
  }
  int result = 1;
  const FieldVisitor apply = [&](const FieldRef& f) {
    auto it = stored.find(f.name);
    if (it == stored.end()) return;
    if (!it->second.sealed) {
      SetFieldText(f, it->second.value);
      return;
    }
    std::string plain;
    const int opened =
        f.secret ? orv::support::OpenText(SealContext(appIdx, siteIdx, f.name), it->second.value,
                                          &plain)
                 : orv::support::kCryptBadFormat;
    if (opened == orv::support::kCryptOk)
      SetFieldText(f, plain);
    else
      result = opened;  // the field keeps what it held
  };
  VisitOptionValues(*option, apply);
  VisitAccountItems(*option, apply);
  return result;
}

int GfxSaveStockOption(sqlite3* db, int appIdx, int siteIdx, const stock_option_s* option,
                       const wchar_t*, int* outLen) {
  if (outLen) *outLen = 0;
  if (!db || !option) return SQLITE_MISUSE;
  stock_option_s copy = *option;
  int written = 0;
  const int result = InTransaction(db, [&] {
    int rc = WriteConfigRow(db, appIdx, siteIdx, copy);
    if (rc == SQLITE_OK) rc = WriteValues(db, appIdx, siteIdx, copy, VisitOptionValues, &written);
    if (rc == SQLITE_OK) rc = WriteValues(db, appIdx, siteIdx, copy, VisitAccountItems, &written);
    return rc;
  });
  if (result == SQLITE_OK && outLen) *outLen = written;
  return result;
}

int GfxSaveStockAccItemsInfo(sqlite3* db, int appIdx, int siteIdx, const stock_option_s* option) {
  if (!db || !option) return SQLITE_MISUSE;
  stock_option_s copy = *option;
  return InTransaction(db,
                       [&] { return WriteValues(db, appIdx, siteIdx, copy, VisitAccountItems); });
}

void GfxClearStockOption(stock_option_s* option, int) {
  if (option) *option = stock_option_s{};
}

sqlite3* GfxOpenOptionsDb(const char* utf8Path) {
  struct stat info {};
  if (!utf8Path || !*utf8Path || stat(utf8Path, &info) != 0) return nullptr;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(utf8Path, &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr) !=
      SQLITE_OK) {
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, 5000);
  sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
  sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
  // Freed space is zeroed, so a value that is rewritten leaves nothing of itself behind.
  sqlite3_exec(db, "PRAGMA secure_delete=ON", nullptr, nullptr, nullptr);
  SealPlainKeys(db);
  return db;
}
