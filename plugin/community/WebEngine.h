#pragma once
// What the reports, the web pages and the stock-grid menu need of the trading view and its
// engine. The trading view implements it (host notifications, the order side panel, the
// application log, stock lookups, grid rows and the view's dialogs); tests use a fake. Calls
// come from the user-interface thread, except AddLogMsg (any thread).

#include <cstdint>
#include <string>

#include "platform/win/WinTypes.h"

struct Stock_s;
struct TradeOrderReport_s;

// What a stock grid's row shows, as the menu reads it.
struct StockGridRow_s {
  std::wstring code;
  uint8_t market = 0;      // market byte
  double holdingQty = 0;   // the holdings grids (2213, 2215, 2219)
  bool autoTrade = false;  // the row's auto-trade check
  std::wstring name;       // the stock's name as the row shows it
  double price = 0;        // the row's current price
};

// Order sides of the order side panel.
constexpr int kOrderSideBuy = 1;
constexpr int kOrderSideSell = 2;

class IWebEngine {
 public:
  virtual ~IWebEngine() = default;

  // --- Host ---
  // The view base's SendNotifyMsgToMainFrame: (kind, code, val1, val2, text1, text2, narrow
  // extra text, n1, n2, slot); the view adds itself as owner, and its notify callback when
  // withCallback is set. Answers the host's answer (for pages: the page window, or 0).
  virtual intptr_t SendNotifyMsgToMainFrame(int kind, int code, double val1, double val2,
                                            const wchar_t* text1, const wchar_t* text2,
                                            const char* extra, int n1, int n2, bool withCallback,
                                            int slot) = 0;
  // Opens an address in the system browser (the desktop's default handler).
  virtual void OpenInSystemBrowser(const std::wstring& url) = 0;

  // --- View ---
  // The order side panel's notice box.
  virtual void SetNoticeText(const wchar_t* text) = 0;
  // A line of the application log.
  virtual void AddLogMsg(const wchar_t* text) = 0;
  // Shows the view's parent frame maximised.
  virtual void ShowParentMaximized() = 0;
  // Selects a tab of the view's tab bar.
  virtual void SelectViewTab(int tab) = 0;
  // Sets a timer of the view.
  virtual void SetViewTimer(int timerId, unsigned int ms) = 0;
  // The page window the view keeps an eye on (order list, balance pages).
  virtual void SetCurrentWebWindow(intptr_t window) = 0;
  // The wide text of the view that the event page receives as its address text.
  virtual std::wstring EventPageText() = 0;

  // --- Trading configuration (the per-order report) ---
  virtual double DefaultRateGap() = 0;
  virtual double ExtensionGap() = 0;
  // The view's all-sell settings: flag, hour, minute.
  virtual void AllSellSettings(int* flag, int* hour, int* minute) = 0;
  // The cafe dialog's admin value.
  virtual int CafeAdminValue() = 0;
  // Inserts the order into WX_STOCK_ORDER; answers 0 on success.
  virtual int InsertStockOrder(const TradeOrderReport_s& order) = 0;
  // The stock's own code suffix (".N", ...); empty when it has none.
  virtual std::string StockCodeSuffix(const Stock_s& stock) = 0;

  // --- Stock grids ---
  // The row of a grid (its values as the row shows them); false when the grid has no such row.
  virtual bool GetStockGridRow(int gridId, int row, StockGridRow_s* out) = 0;
  // Sets the row's auto-trade check and the check item's colour.
  virtual void SetStockGridRowAutoTrade(int gridId, int row, bool on, COLORREF colour) = 0;
  virtual void RedrawGrid(int gridId) = 0;
  // Tracks the popup menu at the point (screen co-ordinates); answers the chosen command, 0
  // when none was chosen.
  virtual int TrackStockGridMenu(void* menu, POINT point) = 0;

  // --- Trading view operations the menu runs ---
  virtual void ApplyMinProfitPreset(int command, int apply) = 0;
  // The view's flag that SetAutoTradeAll's on argument follows (on when the flag is 0).
  virtual int AutoTradeAllFlag() = 0;
  virtual void SetAutoTradeAll(int gridId, int on) = 0;
  virtual void ShowStockChartDlg(uint8_t market, const wchar_t* code) = 0;
  // Opens the step stop-loss and take-profit dialog for the holding of a holdings-grid row.
  virtual void ShowStairWatchDlg(int gridId, int row) = 0;
  virtual void RequestStockSelect(const wchar_t* code, int how) = 0;
  // Presets the order side panel (kOrderSide...) with the stock of (market, code).
  virtual void SetOrderForm(int side, uint8_t market, const wchar_t* code, double quantity,
                            double price) = 0;
  // The view notes the time of a buy preset.
  virtual void NoteBuyPresetTime() = 0;
  // Resets the sell steps of the holdings of the stock of (code, market kind); false when the
  // engine lists no such stock. The engine finds the stock under its lock.
  virtual bool ResetStockStairs(const wchar_t* code, uint8_t market) = 0;
  // Sets the two auto-trade flags of the stock of (code, market kind) to the state and clears
  // its two trade counters; the engine finds the stock under its lock.
  virtual void SetStockAutoTrade(const wchar_t* code, uint8_t market, bool on) = 0;
  // The cafe dialog's recommendation of the stock (1 buy, 2 sell).
  virtual void ShowCafeRecommendDlg(uint8_t market, const wchar_t* code, int kind) = 0;
  // Adds the stock of (code, market kind) to the view's own list; answers non-zero on success.
  virtual int AddMyStock(const wchar_t* code, uint8_t market, int a, int b, int c) = 0;
  virtual void ShowCafeDlg(int tab) = 0;
};
