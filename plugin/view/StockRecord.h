#pragma once
// The rows of the trading view's stock grids: CStockRecord, one stock of the all-stock quote
// grid (items 0 to 77 and the 60 day columns), and the refresh of the own-stock grid's holding
// rows (CRurezOzadoResultRecord, items 0 to 72), whose values RefreshStockRow writes.

#include <memory>
#include <string>

#include "plugin/rows/RowItems.h"
#include "plugin/view/engine/ViewSnapshots.h"

class CRurezOzadoResultRecord;
namespace orv::ui {
class CMyReportCtrl;
}

// All-stock grid items.
enum AllStockItem {
  kAllItemIndex = 1,
  kAllItemOrder = 2,
  kAllItemNation = 3,
  kAllItemMarket = 4,
  kAllItemCaution = 7,
  kAllItemAuto = 8,
  kAllItemCode = 9,
  kAllItemName = 10,
  kAllItemCredit = 12,
  kAllItemWatch = 13,
  kAllItemComment = 16,
  kAllItemManaged = 21,
  kAllItemAlarmKind = 24,
  kAllItemForecast = 30,
  kAllItemOpen = 35,
  kAllItemHigh = 36,
  kAllItemLow = 37,
  kAllItemChangeRate = 43,
  kAllItemChange = 44,
  kAllItemPrevClose = 45,
  kAllItemPrice = 46,
  kAllItemSensitivity = 77,
  kAllItemFirstDay = 78,
};
constexpr int kAllStockItemCount = 78;
constexpr int kDayItemCount = 60;

// Cell buttons of the all-stock rows.
constexpr int kStockRowOrderButton = 0;
constexpr int kStockRowCommentButton = 1;

// Background colours of the all-stock rows.
constexpr COLORREF kCodeBack = 0xFBF5EB;
constexpr COLORREF kRsiBack = 0xE1E4FF;
constexpr COLORREF kStoBack = 0x66FFFF;
constexpr COLORREF kCciBack = 0xE1C0C0;
constexpr COLORREF kMacdBack = 0xE2E2E2;
// The automatic-trading check's backgrounds in the holdings rows.
constexpr COLORREF kAutoTradeOnBack = 0x0000FF;
constexpr COLORREF kAutoTradeOffBack = 0xE6E022;

// Red above 0, blue below 0, black at 0 (the price colours of the grids).
COLORREF PriceColor(double value);

// What the all-stock grid's filter decides on, kept by the row (quote values follow ApplyQuote).
struct StockFilterValues_s {
  bool managed = false;
  bool caution2 = false;
  bool listed = true;
  bool credit = false;
  bool caution = false;
  double curPrice = 0;
  double change = 0;
  double changeRate = 0;
};

// A row of the all-stock grid. A market lists thousands of stocks and only a screenful is
// ever drawn at once, so the row keeps the stock's values (a copy, or its place in the master
// list's snapshot, which it shares) and makes its items when it is first drawn or read; the
// values are let go then. Filtering, searching and quotes work on the kept values until then.
class CStockRecord : public CStockGridRecord {
 public:
  // A row of a copy of the stock's values; a null stock gives a row of empty values (the
  // footer row). `index` is the row's running number, `scale` the host's display scale.
  CStockRecord(const StockRow_s* stock, int index, double scale);
  // A row of values the caller shares (a stock of a master-list snapshot).
  CStockRecord(std::shared_ptr<const StockRow_s> stock, int index, double scale);
  ~CStockRecord() override;

  double Scale() const { return m_scale; }
  const StockFilterValues_s& FilterValues() const { return m_filter; }
  // Rewrites the price items (46, 35, 37, 36, 44, 43) from a new quote and colours them;
  // false when the quote is the one shown.
  bool ApplyQuote(const StockQuoteRow_s& quote);
  // The running number (item 2) the filter gives a shown row.
  void SetOrder(int order);
  // The stock's name as the name cell shows it.
  std::wstring StockName() const;

 private:
  void MakeItems() override;
  std::unique_ptr<orv::ui::CMyReportRecordItem> MakeLoneItem(int index) const override;
  // Item `index` of the row as made from the kept values; null past the last item.
  std::unique_ptr<orv::ui::CMyReportRecordItem> MakeStockItem(int index) const;
  int ItemCountToMake() const;

  double m_scale = 1.0;
  StockFilterValues_s m_filter;
  // Kept until the items are made: the stock's values (null for the footer row), the running
  // number and the quote values, which may be newer than the stock's.
  std::shared_ptr<const StockRow_s> m_stock;
  int m_order = 0;
  double m_open = 0;
  double m_high = 0;
  double m_low = 0;
  bool m_quoted = false;  // a quote came after the stock's values
};

// Own-stock grid items.
enum MyStockItem {
  kMyItemNo = 1,
  kMyItemCode = 10,
  kMyItemName = 11,
  kMyItemAutoTrade = 13,
  kMyItemStopLoss = 19,
  kMyItemMinProfit = 20,
  kMyItemStepGap = 21,
  kMyItemSplit = 23,
  kMyItemLevelText = 24,
  kMyItemStairs = 29,
  kMyItemCheckTime = 32,
  kMyItemInTime = 33,
  kMyItemOutTime = 34,
  kMyItemScoreDay = 39,
  kMyItemScoreMinute = 40,
  kMyItemPrice = 41,
  kMyItemChange = 42,
  kMyItemStrength = 43,
  kMyItemScore = 44,
  kMyItemAvgPrice = 48,
  kMyItemProfitRate = 50,
  kMyItemKeptProfit = 51,
  kMyItemBreakPoint = 52,
  kMyItemOrderQty = 53,
  kMyItemQuantity = 54,
  kMyItemPurchase = 55,
  kMyItemCredit = 56,
  kMyItemValuation = 58,
  kMyItemProfit = 59,
  kMyItemTax = 60,
  kMyItemFee = 61,
  kMyItemInst10 = 62,
  kMyItemInstToday = 63,
  kMyItemForeign10 = 64,
  kMyItemForeignToday = 65,
  kMyItemForeignUp = 66,
  kMyItemForeignDown = 67,
  kMyItemSplitQty = 68,
  kMyItemSplitAmount = 69,
  kMyItemSellForbidden = 70,
  kMyItemRebuyQty = 71,
  kMyItemRebuyLimit = 72,
};

// The own-stock grid's stop-loss and split-value backgrounds.
COLORREF StopLossBack(double rate);
// The sell-ratio cell's background: white from 100 %, then lighter to stronger below.
COLORREF SellRatioBack(double ratio);
// Cell setters of a holdings row: the value and its background.
void SetStopLossCell(CRurezOzadoResultRecord& row, double rate);
void SetSellRatioCell(CRurezOzadoResultRecord& row, double ratio);
// The minimum take-profit (20) and step interval (21) cells, on the backgrounds the row was
// made with, so that a refresh never recolours them.
void SetMinProfitCell(CRurezOzadoResultRecord& row, double rate);
void SetIntervalCell(CRurezOzadoResultRecord& row, double interval);
// The automatic-trading check (13): red when on, the "off" colour when not.
void SetAutoTradeCell(CRurezOzadoResultRecord& row, bool on);
COLORREF SplitValueBack(double value);

// The own-stock grid's seven totals.
struct OwnGridTotals_s {
  double purchase = 0;
  double credit = 0;
  double valuation = 0;
  double tax = 0;
  double fee = 0;
  double profit = 0;
  double profitRate = 0;  // profit / purchase x 100, 0 without a purchase
};

// Rewrites one own-stock row from the copy of its holding; `full` adds the slow-changing
// items. `checkTime` replaces the holding's check time when given (the price simulation's
// clock). Answers false for a holding without a stock (nothing is written).
bool ApplyHoldingRow(CRurezOzadoResultRecord* row, const HoldingRow_s& holding, bool full,
                     const SYSTEMTIME* checkTime = nullptr);
// Writes the totals into the own-stock grid's totals row (items 55, 56, 58, 60, 61, 59, 50).
void WriteOwnGridTotals(orv::ui::CMyReportRecordBase* totalsRow, const OwnGridTotals_s& totals);
// Sums the totals over the values of the shown holding rows and writes them into the first
// footer row (the holdings footer) when there is one. Answers the totals.
OwnGridTotals_s SumOwnGridTotals(orv::ui::CMyReportCtrl& grid);
