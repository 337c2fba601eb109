#pragma once
// The trading view's window dressing without a toolkit: the layout values, the arithmetic of
// the pane layout and of the check-box row at the top right, the grid filter's settings and
// counts, and the operations of other parts that the view's messages and menus run (set where
// those parts are built; an unset one does nothing).

#include <cstdint>
#include <functional>
#include <string>

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
CheckRowRects_s LayoutCheckRow(int right, int barBottom, double scale);

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
  // Presets the order side panel (side, stock, code, quantity, price).
  std::function<void(int side, struct Stock_s* stock, const wchar_t* code, double quantity,
                     double price)>
      setOrderForm;
  // Selects a stock in the view (code, how).
  std::function<void(const wchar_t* code, int how)> requestStockSelect;
  // Resets a stock's profit stairs.
  std::function<void(struct Stock_s* stock)> resetStockStairs;
  // Inserts an order report row into WX_STOCK_ORDER; answers 0 on success.
  std::function<int(const struct TradeOrderReport_s& order)> insertStockOrder;
};
