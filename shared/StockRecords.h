#pragma once
// The three trading records (listed instrument, holding, broker account), the maps that hold
// them, and their allocation and freeing.
//
// Ownership: a `Stock_s` record belongs to exactly one OwningStockMap (the master list); every
// other stock map is a StockViewMap that only points into it. A holding (`StockTrade_s`)
// belongs to exactly one OwningHoldingMap. Account records (`group_info_s`) live inside their
// broker agents; the account map only points at them. The freeing functions free records only
// through an owning map, so emptying a view can never free a record another list still uses.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/WinTypes.h"
#include "shared/StockListing.h"

struct Stock_s;
struct StockTrade_s;
struct group_info_s;
class CStockAgentBase;

// Number of price slots a stock record keeps prices and list flags for.
constexpr int kPriceSlotCount = 16;
// Longest stock code, in wide characters (without the terminator).
constexpr int kStockCodeLen = 46;
// Candles kept per chart series of a stock.
constexpr int kStockSeriesLen = 200;

// Slots of a stock's row-reference table: one grid row per kind of grid that shows the stock.
constexpr int kRowSlotCafeInterest = 0;  // the cafe dialog's cafe-interest grid
constexpr int kRowSlotCafeData = 1;      // the cafe data view's grid
constexpr int kRowSlotCellButton = 2;    // the cafe dialog's expert grid and other button grids
constexpr int kRowSlotBoardWatch = 3;    // the split-buy board's watch grid
constexpr int kRowSlotMonitoring = 4;    // the monitoring view's grid
constexpr int kStockRowSlotCount = 5;

// Market kinds.
constexpr uint8_t kMarketDomestic = 1;
constexpr uint8_t kMarketOverseas = 2;
constexpr uint8_t kMarketThird = 3;
constexpr uint8_t kMarketCoin = 9;
constexpr uint8_t kMarketCoinBtc = 10;

// One chart series of a stock with its envelope lines (filled by the chart and envelope code).
struct StockSeries_s {
  std::vector<double> close;
  std::vector<double> env_upper;
  std::vector<double> env_middle;
  std::vector<double> env_lower;
  int32_t count = 0;      // candles held in close
  int32_t env_state = 0;  // result of the last envelope calculation
  // The candle block: `requested` places (0: `count` places), filled from the end, so the
  // newest candle sits at place requested - 1 and the `count` candles end there. Readers that
  // keep whole candles size the arrays below to the places they fill (empty otherwise).
  int32_t requested = 0;
  std::vector<int32_t> date;  // yyyymmdd of each place
  std::vector<int32_t> time;  // hhmmss of each place (minute candles; empty for days)
  std::vector<double> open;
  std::vector<double> high;
  std::vector<double> low;
  std::vector<double> volume;
  int32_t first_date = 0;  // yyyymmdd
  int32_t last_date = 0;   // yyyymmdd
};

// The place of the newest candle of a block; -1 when it holds none.
inline int NewestCandlePlace(const StockSeries_s& series) {
  if (series.count <= 0) return -1;
  const int places = series.requested > 0 ? series.requested : series.count;
  return places <= static_cast<int>(series.close.size()) ? places - 1 : -1;
}

// The automatic-buy settings of a stock: the split-buy board writes them, the automatic-buy
// pass reads them. Prices in the stock's currency; tolerances in percent.
struct StockBuySettings_s {
  // The automatic-buy flag is the stock's own auto_buy.
  uint8_t credit = 0;  // credit buying allowed
  double limit = 0;      // buy limit (won)
  double count = 0;      // buy count
  double bought = 0;     // amount bought so far
  double band1_low = 0;
  double band1_high = 0;
  double band2_low = 0;
  double band2_high = 0;
  double tolerance1 = 0;
  double tolerance2 = 0;
  // Working copies of the band prices and the per-band quantities.
  double band1_low_work = 0;
  double band1_high_work = 0;
  double band2_low_work = 0;
  double band2_high_work = 0;
  double band1_qty = 0;
  double band2_qty = 0;
};

// One listed instrument of one market.
struct Stock_s {
  int32_t list_index = 0;                 // 1-based position in the load that made it
  uint8_t slot_flags[kPriceSlotCount]{};  // 1 when a list or balance reply named it for a slot
  uint8_t changed = 0;                    // 1 when a new current price arrived
  uint8_t rt_subscribed = 0;              // 1 once a real-time quote subscription was sent
  char market_letter = 0;                 // '1', '2', '0' domestic; 'D', 'N', 'A' overseas
  wchar_t code[kStockCodeLen + 1]{};      // short code, without a domestic leading 'A'
  uint8_t market = 0;                     // market kind (kMarket...)
  uint8_t domestic = 0;                   // 1 when made from a domestic list
  char std_code[20]{};                    // standard (ISIN) code
  char nation_code[5]{};                  // "KR", "US", "JP"
  int8_t nation = 0;                      // nation byte; lower values preferred among equals
  int32_t kind = 0;                       // listing kind given by the creator
  uint8_t flag_byte = 0;                  // creator's flag byte
  int32_t int_value = 0;                  // creator's integer value
  int32_t status = 0;                     // 32-bit status of a master record
  int64_t count64 = 0;                    // creator's 64-bit count
  std::wstring name;                      // Korean name

  // Prices: one per price slot (sized by GfxAllocStockPointerVars), plus the last seen.
  std::vector<double> slot_prices;
  double cur_price = 0;
  double second_price = 0;
  double open_price = 0;
  double high_price = 0;
  double low_price = 0;
  double change = 0;       // against the previous close
  double change_rate = 0;  // percent, against the previous close
  double price_step = 0;   // new current price minus the previous one
  double rate_step = 0;    // new change rate minus the previous one
  SYSTEMTIME update_time;  // local time of the last update
  int64_t update_value = 0;
  double coin_prices[2]{};      // coins: current price per quote currency (KRW, BTC)
  int32_t trade_date = 0;       // coins: yyyymmdd of the last trade a ticker named
  int32_t trade_time = 0;       // coins: hhmmss of that trade
  double volume_ratio = 0;      // coins: the day's trade against the last 24 hours, percent
  uint8_t exchange_flags[2]{};  // coins: listed on the KRW / BTC market

  StockTrade_s* holding = nullptr;  // holding made for this stock by a balance reply

  // Running totals over all holdings, recomputed by each quote application.
  double run_qty = 0;
  double run_valuation = 0;
  double prev_run_qty = 0;
  double prev_run_valuation = 0;

  // Own-list state.
  uint8_t source = 0;
  double preset_price1 = 0;
  double preset_price2 = 0;
  double preset_qty = 0;
  double option_value = 0;  // a per-stock option value set at creation
  double option_rate = 0;   // a per-stock rate set at creation
  int32_t interest = 0;
  int32_t interest_next = 0;
  int32_t own_state1 = 0;
  int32_t own_state2 = 0;
  uint8_t cafe_approved = 0;
  int32_t cafe_index = 0;
  int32_t cafe_state = 0;   // a further cafe value; 0 when none
  double cafe_rates[2]{};   // two cafe values; -100.0 when none

  // Chart series and envelope lines: empty until a chart is stored (GfxSizeStockSeries).
  StockSeries_s day;
  StockSeries_s minute;

  StockBuySettings_s buy;  // the split-buy board's settings

  // Signal scores (the signal module and the boards).
  double day_score = 0;
  double minute_score = 0;
  double signal_score = 0;
  double signal_score_prev = 0;
  double secondary_score = 0;
  double secondary_score_prev = 0;

  // Automatic buying: the user's auto-buy flag and when the stock was last detected (64-bit
  // tick). The price simulation's base price (the price at a change rate of 0).
  uint8_t auto_buy = 0;
  uint64_t last_auto_buy_tick = 0;
  double sim_base_price = 0;

  // Grid rows showing this stock, one per kind of grid (kRowSlot...). A row points back at
  // its stock; whoever empties a grid unlinks its rows first.
  void* row_refs[kStockRowSlotCount]{};

  // Listing texts, flags and indicators the stock grids show.
  StockListing_s listing;
};

// One broker account with its cash figures. Agents embed their own.
struct group_info_s {
  uint32_t key = 0;     // the owning agent's key
  std::wstring label;   // display label; the account map key is a copy of it
  std::string account;  // account number text
  std::string password;
  CStockAgentBase* agent = nullptr;

  double deposit = 0;           // "DpsBalAmt"
  double withdrawable = 0;      // "WthdwAbleAmt"
  double margin = 0;            // "MgnMny"
  double next_day_deposit = 0;  // "PrsmptDpsD1"

  double eval_total = 0;
  double credit_amount = 0;
  double deposit_asset = 0;
  double realized_profit = 0;
  double today_sell = 0;
  double today_buy = 0;
  double cash = 0;
  double loan_to_value = 0;
  double page_valuation = 0;
  double page_tax = 0;
  double page_commission = 0;
  int32_t holding_count = 0;
  int32_t query_count = 0;

  // Totals recomputed by each quote application.
  uint8_t recomputing = 0;
  double total_valuation = 0;
  double total_buy = 0;
  double total_profit = 0;
  double total_further = 0;
};

// Profit steps of one holding (its ladder).
constexpr int kStockStairCount = 30;

// One step of a holding's ladder.
struct StockStair_s {
  double threshold = 0;   // profit rate (percent) the step begins above
  double upper = 0;       // the next step's threshold
  double step_price = 0;  // price of the threshold from the step base price
  double sell_down_price = 0;
  double order_value1 = 0;  // order values of the step, cleared on a reset
  double order_value2 = 0;
  int32_t order_count = 0;
  uint8_t flag = 0;
};

// One holding of one account.
struct alignas(64) StockTrade_s {
  // What the rule check reads and writes on every quote, kept together at the front (with the
  // ladder right after it) and at the start of a cache line, so that checking a book of
  // thousands of holdings touches two or three cache lines of each rather than a dozen spread
  // over the record.
  Stock_s* stock = nullptr;
  double quantity = 0;
  double avg_price = 0;
  double profit_rate = 0;
  double shown_profit_rate = 0;
  double stop_loss_rate = 0;
  double step_orders = 0;
  double step_threshold = 0;
  double first_threshold = 0;
  int32_t cur_step = -1;
  int32_t prev_step = -1;
  int32_t peak_step = -1;
  uint32_t step_change_tick = 0;
  uint32_t step_up_tick = 0;
  uint32_t step_down_tick = 0;
  uint8_t sold_out = 0;
  uint8_t reverse = 0;
  uint8_t auto_trade = 1;
  uint8_t sell_signal = 0;
  uint8_t stairs_rebuild = 1;  // 1: the ladder must be rebuilt before it is used
  uint8_t rules_ready = 0;     // 1 once the holding's step values were taken over
  // The ladder of profit steps (the rule check and the sell pass).
  StockStair_s stairs[kStockStairCount];
  SYSTEMTIME step_up_time;
  SYSTEMTIME step_down_time;

  group_info_s* account = nullptr;
  int32_t broker_id = 0;
  int32_t account_no = 0;  // the account record's key
  int32_t account_index = 0;
  uint8_t price_slot = 0;
  uint8_t holding_kind = 1;  // 1 cash, 2 credit
  uint8_t credit = 0;        // credit kind
  uint8_t kind2 = 0;         // a second kind byte (part of the identity)
  int32_t loan_date = 0;     // yyyymmdd, 0 for cash
  wchar_t loan_date_text[12]{};
  wchar_t code[kStockCodeLen + 1]{};
  double loan_amount = 0;
  int32_t running_index = 0;
  uint8_t is_new = 0;
  double ratio = 1.0;

  double quantity2 = 0;
  double cur_price = 0;
  double purchase = 0;  // quantity x average price
  double commission = 0;
  double tax = 0;
  double cost_per_share = 0;
  double valuation = 0;
  double profit = 0;
  double sell_split_qty = 0;
  double split_state = 0;  // state kept by GfxStockCalcSellSplitQty
  double steps[5]{-100.0, 5.0, 2.0, 2.0, 100.0};
  uint8_t changed_mark = 0;
  uint8_t quantity_trend = 0;  // 1 grew, 2 shrank, 0 unchanged
  int32_t caller_value = 0;
  uint32_t balance_pass = 0;  // the balance pass that last named this holding
  int32_t markers[3]{-1, -1, -1};

  // Quote application.
  double buy_amount = 0;
  double profit_amount = 0;
  uint8_t quote_currency = 0;  // coins: 0 KRW, 1 BTC
  double day_value = 0;
  double further_amount = 0;
  uint8_t in_grid = 0;  // handed to the holdings grid by the last holdings snapshot

  // Trading rules and orders.
  uint8_t auto_group = 0;  // the automatic-trading switch that governs it (0 master, 1 second)
  double step_base_price = 0;
  double rate_at_last_sell = 0;
  uint32_t last_sell_tick = 0;
  uint32_t last_buy_tick = 0;
  int32_t order_count = 0;
  int32_t order_kind = 0;  // 1 buy, 2 sell
  double buy_qty = 0;
  std::wstring order_condition;
  uint8_t order_byte = 0;
  int32_t last_result = 0;
  uint8_t ordered = 0;
  SYSTEMTIME sell_time;
  SYSTEMTIME buy_time;
  double order_price = 0;

  // Levels.
  double buy_price = 0;
  double profit_offset = 0;
  double profit_offset2 = 0;
  double stop_start = 0;
  double stop1 = 0;
  double stop2 = 0;
  double step_value = 0;
  double sell_rate = 0;
  uint8_t step_flags[2]{};
  std::wstring level_text;

  // Shown by the holdings grid (the credit amount is loan_amount).
  SYSTEMTIME check_time;
  SYSTEMTIME entry_time;
  SYSTEMTIME exit_time;
  double buy_exchange_rate = 0;

  // Ladder and split-sell sizing (the rule check and the sell pass).
  std::wstring stairs_text;
  uint8_t first_band_on = 0;
  double first_band_correction = 0;
  double step_width = 2.0;       // percent points between steps
  double min_take_profit = 5.0;  // the first step's threshold
  double order_rate = 0;         // profit rate at the last queued order
  double first_order_rate = 0;
  uint32_t order_tick = 0;
  double sell_ratio = 100.0;  // percent of the quantity the split sells aim at
  double split_amount = 0;    // below 0: percent of the target; else won (0: the default)
  double split_value = 0;     // value of one split sell
  double remaining_qty = 0;   // quantity left after the target is sold
  double sell_balance = 0;
  double sold_amount = 0;
  double sizing_qty = 0;  // the quantity when the split was sized
};

// Ordinal comparison of wide stock codes.
struct cmp_str {
  using is_transparent = void;
  bool operator()(const std::wstring& a, const std::wstring& b) const { return a < b; }
  bool operator()(const std::wstring& a, const wchar_t* b) const;
  bool operator()(const wchar_t* a, const std::wstring& b) const;
  // Lookups by a view of the code, compared in place (codes are a few characters).
  bool operator()(const std::wstring& a, std::wstring_view b) const { return Less(a, b); }
  bool operator()(std::wstring_view a, const std::wstring& b) const { return Less(a, b); }

 private:
  static bool Less(std::wstring_view a, std::wstring_view b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i)
      if (a[i] != b[i]) return a[i] < b[i];
    return a.size() < b.size();
  }
};

// Holding identity: broker id, account number, holding kind (cash before credit), loan date,
// second kind byte, wide stock code.
struct cmp_trade_data_obj {
  bool operator()(const StockTrade_s* a, const StockTrade_s* b) const;
};

// Case-insensitive comparison of wide account labels.
struct cmp_str_group_info {
  bool operator()(const std::wstring& a, const std::wstring& b) const;
};

// A map whose values (or keys) are records: constructed as an owner (frees its records when
// emptied by the library's freeing functions or destroyed) or as a view (never frees).
template <class Key, class Value, class Cmp>
class RecordMap : public std::map<Key, Value, Cmp> {
 public:
  RecordMap(const RecordMap&) = delete;
  RecordMap& operator=(const RecordMap&) = delete;
  bool OwnsRecords() const { return owns_; }

 protected:
  explicit RecordMap(bool owns) : owns_(owns) {}
  ~RecordMap() = default;

 private:
  bool owns_;
};

// A stock map: wide code -> record. Construct an OwningStockMap (the master list, frees its
// records) or a StockViewMap (points into a master list, never frees).
class StockMap : public RecordMap<std::wstring, Stock_s*, cmp_str> {
 public:
  // The record under a code, or null.
  Stock_s* Find(const wchar_t* code) const;

 protected:
  using RecordMap::RecordMap;
};

class OwningStockMap : public StockMap {
 public:
  OwningStockMap() : StockMap(true) {}
  ~OwningStockMap();
};

class StockViewMap : public StockMap {
 public:
  StockViewMap() : StockMap(false) {}
};

// A holdings map: holding -> int, ordered by identity. The OwningHoldingMap frees its
// holdings; a HoldingViewMap (e.g. the order queue) never does.
class HoldingMap : public RecordMap<StockTrade_s*, int, cmp_trade_data_obj> {
 protected:
  using RecordMap::RecordMap;
};

class OwningHoldingMap : public HoldingMap {
 public:
  OwningHoldingMap() : HoldingMap(true) {}
  ~OwningHoldingMap();
};

class HoldingViewMap : public HoldingMap {
 public:
  HoldingViewMap() : HoldingMap(false) {}
};

// The account map: wide account label -> account record (records live in their agents).
using GroupInfoMap = std::map<std::wstring, group_info_s*, cmp_str_group_info>;

// Prepares a new record's inner arrays for its market. Returns the record.
Stock_s* GfxAllocStockPointerVars(Stock_s* stock, uint8_t market);
// Gives a chart series its kStockSeriesLen closes (zeros, no candles) when it has none, and
// envelope lines of kStockSeriesLen values when they are shorter; whoever stores a chart or an
// envelope calls it first. Closes already there keep their size and values.
void GfxSizeStockSeries(StockSeries_s* series);
// A new, prepared record (what a zeroed block plus GfxAllocStockPointerVars gives).
Stock_s* GfxNewStock(uint8_t market);

// Frees one record (clearing its holding's back link).
void GfxStockDataFree(Stock_s* stock);
// Empties a stock map. Records are freed only when the map owns them (the flags are kept for
// the callers' argument lists: (map, 0, 1, 0)). Returns the number of entries removed.
int GfxStockDataListFree2(StockMap* map, int reserved = 0, int freeRecords = 1, int last = 0);
// Empties a vector of record pointers without freeing the records.
int GfxStockDataListFree3(std::vector<Stock_s*>* list, int reserved = 0);

// Frees one holding (clearing its stock's link to it).
void GfxStockTradeDataFree(StockTrade_s* holding);
// Empties a holdings map, freeing the holdings when the map owns them. Returns entries removed.
int GfxStockTradeDataMap3Free(HoldingMap* map, int reserved = 0);

// Empties the account map (the records belong to their agents).
int GfxGroupInfoMapClear(GroupInfoMap* map, int reserved = 0);

// Removes a leading 'A' from a domestic code (writes the result into out, bounded).
void GfxNormalizeStockCode(const wchar_t* code, uint8_t market, wchar_t* out, size_t outLen);

// Adding a stock: finds the code in the map, setting the record's flag for the price slot;
// otherwise makes a prepared record (code, market, slot flag, list index = listIndex, or the
// map's size + 1 when listIndex is 0) and inserts it. A domestic (market 1) code loses a
// leading 'A'. *added is set to whether a record was made. Null for an empty code.
Stock_s* GfxAddStockToMap(OwningStockMap* map, const wchar_t* code, uint8_t market,
                          uint8_t priceSlot, int32_t listIndex, bool* added);

// Updating a price from a quote: when the current price differs from the slot's price, sets
// the changed flag, price step and rate step and stores the price; then always stores open,
// high, low, change, change rate and the update time and clears the stored 8-byte value.
// Returns 1 when the price changed, else 0.
struct StockQuote_s {
  double cur_price = 0;
  double open_price = 0;
  double high_price = 0;
  double low_price = 0;
  double change = 0;
  double change_rate = 0;
};
int GfxUpdateStockPrice(Stock_s* stock, uint8_t priceSlot, const StockQuote_s& quote,
                        const SYSTEMTIME& now);

// Holding lookup: the first holding of the map whose stock is `stock` (or, without one, whose
// code equals `code`), filtered by broker id, account number and holding kind where those are
// above 0. Null when none matches.
StockTrade_s* GfxGetStockTradeDataByCode2(const HoldingMap* map, int brokerId, int accountNo,
                                          const Stock_s* stock, const wchar_t* code,
                                          int holdingKind, int reserved = 0);
