#pragma once
// The commands of the stock grids' right-click menu: order presets, take-profit and stop-loss
// presets, automatic trading of a holding, stock information and cafe recommendations. The
// view builds and shows the menu; this runs the chosen command over the clicked row.

#include <cstdint>

#include "platform/win/WinTypes.h"

class CWebLogin;
class IWebEngine;

// The grids served: the holdings grids and the list grid.
constexpr int kGridHoldings1 = 2213;
constexpr int kGridHoldings2 = 2215;
constexpr int kGridHoldings3 = 2219;
constexpr int kGridStockList = 2212;

// Menu commands.
constexpr int ID_MIN_PROFIT_PRESET_FIRST = 3184;
constexpr int ID_MIN_PROFIT_PRESET_LAST = 3191;
constexpr int ID_STOP_LOSS_PRESET_FIRST = 3198;
constexpr int ID_STOP_LOSS_PRESET_LAST = 3204;
constexpr int ID_AUTO_SELL_ALL = 2220;
constexpr int ID_STOCK_INFO = 565;
constexpr int ID_GRID_BUY = 58;
constexpr int ID_GRID_SELL = 49;
constexpr int ID_HOLDING_AUTO_TRADE = 1547;
// Opens the step stop-loss and take-profit dialog for the holding of the row.
constexpr int ID_STAIR_WATCH = 3178;
constexpr int ID_CAFE_RECOMMEND_BUY = 2256;
constexpr int ID_CAFE_RECOMMEND_SELL = 2257;
constexpr int ID_ADD_WATCH_STOCK = 3372;
constexpr int ID_OTHER_ACCOUNT_MONITOR_ON = 2233;
constexpr int ID_OTHER_ACCOUNT_MONITOR_OFF = 2234;

// The amount a preset buy spends, in won.
constexpr double kPresetBuyAmount = 500000.0;
// Colours of the auto-trade check item.
constexpr COLORREF kAutoTradeOnColour = 255;
constexpr COLORREF kAutoTradeOffColour = 15130658;

// The preset buy quantity at a price: the preset amount divided by the price, cut to an
// integer and at least 1; 1 without a price.
double PresetBuyQuantity(double price);

class CStockGridMenu {
 public:
  explicit CStockGridMenu(IWebEngine& engine);

  // Tracks the menu the view chose at the point and runs the chosen command. Answers the
  // command run, 0 when none.
  int OnStockGridContextMenu(int gridId, int row, void* menu, POINT point);
  // Runs one command over the grid's row; false when the grid or the row is not served or the
  // command is not one of the menu's.
  bool RunStockGridCommand(int gridId, int row, int commandId);

 private:
  IWebEngine& m_engine;
};
