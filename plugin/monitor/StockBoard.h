#pragma once
// The split-buy board's working part, without a window: the watch grid (a report-grid model of
// CStockBuyItemRecord rows), the band routine, the checks of the user's edits, the automatic-buy
// watch, and the saving of the rows into the trading view's own stock lists and the strategy
// workbook. CStockMonDlg shows the grid and forwards the user's actions here.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/ui/model/ReportCtrl.h"
#include "shared/StockRecords.h"

namespace orv::xl {
class CXlBook;
class CXlSheet;
}
class CStockBuyItemRecord;

// What the board asks of the trading view.
class IStockBoardHost {
 public:
  virtual ~IStockBoardHost() = default;
  // Master-list lookups by market (= the row's nation) and code, or by name.
  virtual Stock_s* FindMasterStock(uint8_t market, const std::wstring& code) = 0;
  virtual Stock_s* SearchStockByName(uint8_t market, const std::wstring& text) = 0;
  virtual size_t MasterStockCount() = 0;
  // The automatic-buy list (the view's own stock lists), in list order.
  virtual std::vector<Stock_s*> AutoBuyStocks() = 0;
  virtual bool InAutoBuyList(uint8_t market, const std::wstring& code) = 0;
  // Adds a master stock with its automatic-buy flag (which the engine's automatic-buy pass
  // follows); false when the master list lacks it.
  virtual bool AddToAutoBuyList(uint8_t market, const std::wstring& code, bool autoBuy) = 0;
  virtual void RemoveFromAutoBuyList(uint8_t market, const std::wstring& code) = 0;
  // Empties the domestic list when it differs from its saved code text (or with force).
  virtual void ClearMyStockList(bool force) = 0;
  virtual void RefreshAllStockGrids() = 0;
  virtual void SetCurStock(uint8_t market, const std::wstring& code) = 0;
  virtual void RequestStockSelect(const std::wstring& code, int mode) = 0;
  virtual bool IsAutoBuyOn() = 0;
  virtual void SetAutoBuy(bool on) = 0;
  // The buy limit a newly entered stock gets (won).
  virtual double DefaultBuyLimit() = 0;
  // The default account of a nation group.
  virtual int DefaultAccount(int nation) = 0;
  virtual int UserIndex() = 0;
  // The program folder, ending with '/'.
  virtual std::string ProgramFolder() = 0;
  // Guards the stock records' buy settings against the engine's workers.
  virtual void LockStocks() = 0;
  virtual void UnlockStocks() = 0;
};

// One band preset: offsets of band 1 and band 2 from the base price, the band width, and a
// preset value the board remembers.
struct BuyBandPreset_s {
  double first = -0.03;
  double second = 0;
  double width = 0;
  int value = 0;
};

// The bands a base price gives (ApplyBuyBands' arithmetic). Base price 0 or below: all zero.
struct BuyBands_s {
  double band1Low = 0, band1High = 0, band2Low = 0, band2High = 0;
  double band1Qty = 0, band2Qty = 0;
  double amountNeeded = 0;  // base price x band-2 quantity
};
BuyBands_s ComputeBuyBands(double basePrice, const BuyBandPreset_s& preset, int buyAmountManWon);

// The sheet of that name and its index; with create, a missing one is added (*index -1,
// *added true). Null when missing and not created.
orv::xl::CXlSheet* FindSheet(orv::xl::CXlBook& book, const std::string& name, int* index,
                             bool create, bool* added);

// The workbook's sheet and header.
extern const char kStrategySheetName[];
extern const char* const kStrategyHeader[29];
// The workbook's path under the program folder.
std::string StrategyWorkbookPath(const std::string& programFolder);

class CStockBoard {
 public:
  // The context-menu presets (command, first offset, second offset, value); width 0.02.
  struct MenuPreset {
    int command;
    double first;
    double second;
    int value;
  };
  static const MenuPreset kMenuPresets[5];
  // The columns whose cell button opens the cell's edit pop-up: band-1 high and buy time 1.
  static constexpr int kColPopupHigh = 23;
  static constexpr int kColPopupTime = 24;

  // `options` is the trading configuration (board mode and per-stock buy amount); it must
  // outlive the board.
  CStockBoard(IStockBoardHost& host, uint8_t* boardMode, int32_t* buyAmountManWon);

  orv::ui::CMyReportCtrl& Grid() { return m_grid; }
  CStockBuyItemRecord* Row(int index) const;

  // Grid set-up: columns, the option lists of nation, algorithm and price columns.
  void InitGrid();
  // The search mode (kept in "Settings" with the rows).
  int SearchMode() const { return m_searchMode; }
  void SetSearchMode(int mode) { m_searchMode = mode; }
  void LoadSearchMode();
  const BuyBandPreset_s& LastPreset() const { return m_lastPreset; }

  // Rows.
  void AddBlankRows(int nation, int count, int firstNumber, bool clearAutoBuy);
  // Initial rows: the reload, then ten blank rows each of nations 1, 2 and 9.
  void InitRows();
  void ReloadBuyItems();
  void SetAccountGroups(const GroupInfoMap* accounts);

  // Band routine: sets the stock's bands from `basePrice` and shows them in the row.
  void ApplyBuyBands(Stock_s* stock, CStockBuyItemRecord* row, double basePrice,
                     const BuyBandPreset_s& preset, bool redraw);
  // The price the bands of a row's stock start from (the coin price for nation 9).
  static double BasePriceOf(const Stock_s* stock, int nation);
  // The context-menu preset `command` applied to the selected rows; false for other commands.
  bool ApplyMenuPreset(int command, const std::vector<CStockBuyItemRecord*>& rows);

  // The user changed a cell (the grid already holds the new value).
  void OnValueChanged(CStockBuyItemRecord* row, int column);
  // The user toggled a check box (the grid already holds the new state).
  void OnCheckChanged(CStockBuyItemRecord* row, int column);
  static bool IsEditableColumn(int column);
  // Timer 1: the scores of the rows' stocks; true when a row changed.
  bool RefreshScores();
  // The automatic-buy watch (toolbar command 3389).
  void ToggleAutoBuyWatch();
  // Cell button 4 on the name column: removes the row's stock after the question.
  bool RemoveRowStock(CStockBuyItemRecord* row);

  // Saving and the workbook.
  int CountWatchRows(int* watched, int* autoBuy) const;
  void SaveBuyItems(bool force, bool ask);
  bool ExportStrategyWorkbook(const std::string& path, std::string* error = nullptr);
  // Empties the grid and loads the workbook rows whose stocks are not yet in the auto-buy
  // list, adding those stocks to it. Answers the rows loaded (-1: no book or sheet).
  int LoadStrategyWorkbook();

  // The stock a row refers to (by its nation and code), or null.
  Stock_s* StockOfRow(const CStockBuyItemRecord* row) const;

 private:
  CStockBuyItemRecord* AppendStockRow(Stock_s* stock, int rowNumber, int account,
                                      bool creditCheck);
  void ShowStockInRow(const Stock_s* stock, CStockBuyItemRecord* row);
  void ClearRowStock(CStockBuyItemRecord* row);
  bool CheckBand1Edit(CStockBuyItemRecord* row, Stock_s* stock, int column);

  IStockBoardHost& m_host;
  uint8_t* m_boardMode;
  int32_t* m_buyAmount;
  orv::ui::CMyReportCtrl m_grid;
  BuyBandPreset_s m_lastPreset;
  int m_searchMode = 1;
  // The code each row last took, to let its stock go when the row's code is replaced by one
  // that matches nothing.
  std::map<const CStockBuyItemRecord*, std::wstring> m_rowCodes;
};
