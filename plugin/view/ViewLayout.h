#pragma once
// The trading view's window dressing without a toolkit: the layout values, the arithmetic of
// the pane layout and of the check-box row at the top right, the grid filter's settings and
// counts, and the operations of other parts that the view's messages and menus run (set where
// those parts are built; an unset one does nothing).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/win/WinTypes.h"

// The layout values of the view.
struct ViewLayoutState_s {
  int splitterPos = 0;  // pixels from the client's left edge; below 3 means unset
  RECT splitterRect{};
  int topOffset = 0;
  int leftPaneHidden = 0;
  int sidePanelHidden = 0;
  bool shown = false;  // set by a show (RefreshWindow, a position change with the show flag)
};

// Splitter band half-width and the tracker's top margin.
constexpr int kSplitterHalf = 3;
constexpr int kTrackerTop = 42;

// The splitter position for a client width: a position below 3 becomes half the width.
int EffectiveSplitterPos(int pos, int clientWidth);

// The check-box row at the top right (client pixels).
struct CheckRowRects_s {
  RECT simpleUi;      // "단순 UI 모드" (3455)
  RECT profitSteps;   // "감시 계단 보기" (3458)
  RECT sellOneByOne;  // "수익 간격 개별 설정" (3454)
  RECT slot;          // the slot left of it (the all-stock watch check, 3453)
  RECT profitRates;   // "권장 수익률 설정"
};
// What the row's boxes need to show their texts whole (client pixels, 0 for nothing): each box
// is at least as wide as it needs and the row at least as high as its highest box.
struct CheckRowNeeds_s {
  int simpleUi = 0;
  int profitSteps = 0;
  int sellOneByOne = 0;
  int slot = 0;
  int profitRates = 0;
  int height = 0;
};
// The row right to left from the client's right edge, 5 pixels apart, at the default widths
// (110, 110, 130, 110 and 130 times the scale) unless a box needs more; the simple-mode box
// starts 85 times the scale left of the edge, or further left when its text would pass the edge.
CheckRowRects_s LayoutCheckRow(int right, int barBottom, double scale,
                               const CheckRowNeeds_s& needs = CheckRowNeeds_s{});

// The top of the tab control below a command bar ending at barBottom: the row lies over the
// tab strip's empty right part when its leftmost box starts `gap` pixels or more right of the
// last tab's right edge (tabsRight, client pixels); else the row gets its own band and the tab
// control starts below it.
int TabsTopBelowCheckRow(const CheckRowRects_s& row, int barBottom, int tabsRight, int gap);

// The row kept inside the client from `left` to `right`: unchanged when it starts at or right
// of `left`; else its boxes go left to right from `left` (the recommended-rates button first)
// in as many lines as the width needs.
CheckRowRects_s FitCheckRow(const CheckRowRects_s& row, int left, int right);

// The command bar's items (a control with its caption) placed left to right in rows that wrap
// at the bar's width, so that no item is cut at the right edge. With maxRows above 0 only that
// many rows are kept: the items of later rows are left out (row -1), for a button that shows
// them on demand.
struct BarItemSize_s {
  int width = 0;
  int height = 0;
};
struct BarPlacement_s {
  std::vector<POINT> positions;  // each item's top left, in the items' order
  std::vector<int> rows;         // each item's row, -1 when left out
  int rowCount = 0;              // the rows all items need
  int height = 0;                // the kept rows' height with the margins
};
BarPlacement_s WrapBarItems(const std::vector<BarItemSize_s>& items, int width, int gap,
                            int margin, int maxRows = 0);

// The grid filter's settings (the configuration's grid options and the view's price class).
struct MasterGridFilter_s {
  uint8_t codesEndingInZero = 1;  // show codes ending in '0' (the ordinary shares)
  uint8_t excludeManaged = 0;
  uint8_t listedOnly = 0;
  uint8_t excludeCredit = 0;
  int priceClass = 0;      // 1 up to 100, 2 100 to 1000, 3 1000 to 10000; else none
  double footerValue = 0;  // shown after the rising/falling counts
};

// What one filter pass counted.
struct MasterGridCounts_s {
  int shown = 0;
  int managed = 0;
  int caution = 0;
  int credit = 0;
  int rising = 0;
  int falling = 0;
};

// Operations of other parts that the view's messages and menus run.
struct ViewHooks_s {
  // Automatic trading for all stocks of a grid (grid id, state 1 on / 0 off / -1 toggle, ask,
  // scope).
  std::function<void(int gridId, int state, int ask, int scope)> setAutoTradeAll;
  // Opens a workbook (the file import).
  std::function<void(const std::wstring& path)> importFile;
  // The balance-pages' minimum-profit presets of the stock-grid menu.
  std::function<void(int command, int apply)> applyMinProfitPreset;
  // Presets the order side panel (side, market kind, code, quantity, price).
  std::function<void(int side, uint8_t market, const wchar_t* code, double quantity,
                     double price)>
      setOrderForm;
  // Selects a stock in the view (code, how).
  std::function<void(const wchar_t* code, int how)> requestStockSelect;
  // Inserts an order report row into WX_STOCK_ORDER; answers 0 on success.
  std::function<int(const struct TradeOrderReport_s& order)> insertStockOrder;
  // Chooses a file (the price simulation's CSV); unset: a file-open dialog.
  std::function<std::wstring(const wchar_t* filter)> chooseFile;
};
