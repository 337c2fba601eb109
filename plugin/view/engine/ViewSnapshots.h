#pragma once
// What the engine hands the windows: copies of the values its rows show, made under the
// engine's lock and handed over through the view's dispatcher. A window keeps its own copy and
// never reaches a holding or stock record: a balance reply may free those at any time.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/win/WinTypes.h"
#include "shared/StockListing.h"

struct Stock_s;
struct StockSeries_s;
struct StockTrade_s;

// A holding as a window names it: its account, code and cash/credit kind (1 cash, 2 credit).
struct HoldingKey_s {
  int32_t accountNo = 0;
  std::wstring code;
  int32_t holdingKind = 0;
};

// The values one holdings-grid row shows of a holding and its stock.
struct HoldingRow_s {
  HoldingKey_s key;
  // The rest of the row's identity (one row per holding of an account).
  int32_t accountIndex = 0;
  uint8_t market = 0;        // the stock's market kind
  uint8_t marketLetter = 0;  // the market code the row shows ('1' without a stock)
  uint8_t credit = 0;
  int32_t runningIndex = 0;
  int32_t brokerId = 0;
  int8_t nation = 0;
  double buyExchangeRate = 0;
  bool hasStock = false;
  std::wstring name;

  bool autoTrade = false;
  double sellRatio = 0;
  double stopLossRate = 0;
  double profitOffset = 0;
  double stepValue = 0;
  double sellRate = 0;
  double minTakeProfit = 0;
  double stepWidth = 0;
  double splitAmount = 0;  // below 0: percent of the target; else won (0: the default)
  std::wstring levelText;
  int32_t curStep = -1;
  double sellSplitQty = 0;

  // The price the holding is valued at (coins: in its quote currency) and the stock's quote.
  double price = 0;
  double changeRate = 0;
  double strength = 0;
  double score = 0;
  double dayScore = 0;
  double minuteScore = 0;

  double quantity = 0;
  double avgPrice = 0;
  double purchase = 0;
  double valuation = 0;
  double profit = 0;
  double profitAmount = 0;
  double profitRate = 0;
  double tax = 0;
  double commission = 0;
  double loanAmount = 0;
  double stepThreshold = 0;
  SYSTEMTIME checkTime{};
  SYSTEMTIME entryTime{};
  SYSTEMTIME exitTime{};

  double inst10 = 0;
  double instToday = 0;
  double foreign10 = 0;
  double foreignToday = 0;
  double foreignUp = 0;
  double foreignDown = 0;
};

// An account as the grids' account column lists it (key, label).
using AccountLabels = std::vector<std::pair<uint32_t, std::wstring>>;

// The holdings after the account worker reported changes: every holding of quantity above 0.
struct HoldingsSnapshot_s {
  std::vector<HoldingRow_s> rows;
  AccountLabels accounts;
};

// One broker account as the account summary shows it (amounts in won, the ratio in percent).
struct AccountSummaryRow_s {
  std::wstring label;  // the account map's key
  int32_t brokerId = 0;
  uint8_t checked = 0;  // the last pass read the account's deposit and balance
  double holdings = 0;  // held stocks of the account
  int32_t errors = 0;   // failed deposit queries in a row
  double estimatedDeposit = 0;
  double receivable = 0;
  double stockValuation = 0;
  double withdrawable = 0;
  double d2Deposit = 0;
  double estimatedAssets = 0;
  double tax = 0;
  double fees = 0;
  double creditLimit = 0;
  double creditAmount = 0;
  double collateralRatio = 0;
  double todayBuy = 0;
  double todaySell = 0;
  double todayProfit = 0;
  std::wstring message;  // the broker's last refusal, empty when none
};

// The accounts' totals that the side panel's charts and labels show (won; ratio in percent).
struct AccountTotals_s {
  double d2Deposit = 0;
  double estimatedAssets = 0;
  double collateralRatio = 0;
  double purchase = 0;
  double creditLoan = 0;
  double fees = 0;
  double taxes = 0;
  // US stocks (the overseas balances).
  double usPurchase = 0;
  double usFees = 0;
  double usTax = 0;
  double usEstimatedAssets = 0;
};

// The accounts after an account pass, in the account map's order.
struct AccountSummarySnapshot_s {
  std::vector<AccountSummaryRow_s> accounts;
  AccountTotals_s totals;
};

// The collateral ratio of assets against a credit loan in percent; 0 without a loan.
double CollateralRatioOf(double assets, double loan);

// One listed stock as the all-stock grid shows it.
struct StockRow_s {
  std::wstring code;
  std::wstring name;
  uint8_t market = 0;
  char marketLetter = 0;
  int32_t listIndex = 0;
  bool interest = false;
  double curPrice = 0;
  double openPrice = 0;
  double highPrice = 0;
  double lowPrice = 0;
  double change = 0;
  double changeRate = 0;
  StockListing_s listing;
};

// A stock's quote after a quote pass.
struct StockQuoteRow_s {
  std::wstring code;
  double curPrice = 0;
  double openPrice = 0;
  double highPrice = 0;
  double lowPrice = 0;
  double change = 0;
  double changeRate = 0;
};

// After a quote pass: the held rows' values and the quotes that changed since the last hand-over.
struct QuotesSnapshot_s {
  std::vector<HoldingRow_s> holdings;
  std::vector<StockQuoteRow_s> stocks;
};

// The master list, for the all-stock grid (stocks of the unlisted nation byte left out).
struct MasterListSnapshot_s {
  std::vector<StockRow_s> stocks;
};

// The copies, made by the caller under the engine's lock.
HoldingRow_s MakeHoldingRow(const StockTrade_s& holding);
StockRow_s MakeStockRow(const Stock_s& stock);
StockQuoteRow_s MakeStockQuote(const Stock_s& stock);

// The bars of one chart, oldest first; the envelope lines are aligned with them (0 where a
// line has no value).
struct ChartBars_s {
  std::vector<int32_t> labels;  // day bars: yyyymmdd; minute bars: hhmmss
  std::vector<double> open;
  std::vector<double> high;
  std::vector<double> low;
  std::vector<double> close;
  std::vector<double> envLow;
  std::vector<double> envMid;
  std::vector<double> envHigh;
  int Count() const { return static_cast<int>(close.size()); }
};

// One stock's chart data as the engine hands it to the chart dialog: at most kChartBarLimit
// bars of each kind, the newest last.
struct StockChartSnapshot_s {
  uint8_t market = 0;
  std::wstring code;
  std::wstring name;
  ChartBars_s day;
  ChartBars_s minute;
};

constexpr int kChartBarLimit = 60;

// The bars of a stock's candle block (the newest `limit` of them) with its envelope lines; a
// block that keeps closes only gives each bar its close as open, high and low.
ChartBars_s MakeChartBars(const StockSeries_s& series, bool minutes, int limit = kChartBarLimit);
