#pragma once
// The trading view's stock collections and the lookups the engine and the dialogs make on
// them: the master list (owns every Stock_s), the user's own stock lists, the held and watch
// maps (all pointing into the master list), and the holdings map (owns its StockTrade_s).
//
// The view lock (the view's recursive critical section) guards every change to the own,
// held and watch lists, because the quote workers read them under that lock while they
// rebuild their quote lists.

#include <cstdint>
#include <string>

#include "platform/win/CriticalSection.h"
#include "shared/StockRecords.h"

// What the lists need from the window side; the trading view implements it.
class IStockListView {
 public:
  virtual ~IStockListView() = default;
  // Redraws the own-stock grid.
  virtual void RedrawMyStockGrid() = 0;
  // Shows a stock's interest value in its row (column 13).
  virtual void SetRowInterest(Stock_s* stock, int value) = 0;
  // Marks the stock grid for a redraw.
  virtual void MarkStockGridRedraw() = 0;
};

class CStockLists {
 public:
  // Own stock lists, by market.
  enum MyListIndex { kMyDomestic = 0, kMyOverseas = 1, kMyCoin = 2, kMyListCount = 3 };
  // Held maps: markets 1, 2, 9 and 10.
  enum HeldIndex { kHeldDomestic = 0, kHeldOverseas = 1, kHeldCoin = 2, kHeldCoinBtc = 3 };
  static constexpr int kHeldCount = 4;
  // Watch maps: markets 1, 2 and 9.
  static constexpr int kWatchCount = 3;
  // Longest own-list text that IsMyStockListChanged builds.
  static constexpr size_t kMaxMyListText = 999;

  // `viewLock` is the view's lock; `view` may be null (nothing is redrawn).
  CStockLists(orv::win::CCriticalSection& viewLock, IStockListView* view);
  ~CStockLists();
  CStockLists(const CStockLists&) = delete;
  CStockLists& operator=(const CStockLists&) = delete;

  // The per-stock budget in won that sizes a new own-list entry without a preset quantity,
  // and the option value that every new master record starts with.
  void SetPerStockBudget(double won) { m_perStockBudget = won; }
  void SetNewStockOptionValue(int value) { m_newStockOptionValue = value; }
  // The grid's price filter bounds (0: not set).
  void SetPriceFilter(double lower, double upper);

  // A domestic (market 1) code with a leading 'A' or 'B' without that letter; any other code
  // unchanged.
  static std::wstring StripMarketPrefix(uint8_t market, const wchar_t* code);

  // Master list by exact code; else by the alternate code; else, with `scan`, the first
  // record of the market whose code equals `code` ignoring case. outName (when given) is
  // cleared, then receives the name of the stock found.
  Stock_s* FindStockByCode(uint8_t market, const wchar_t* code, std::wstring* outName, bool scan,
                           const wchar_t* altCode);
  Stock_s* FindMasterStock(uint8_t market, const wchar_t* code);
  Stock_s* FindMasterStockA(uint8_t market, const char* code);
  // Name lookups; outCode (when given) is cleared, then receives the code of the stock found.
  Stock_s* FindStockByName(const wchar_t* name, std::wstring* outCode, int preferredNation);
  Stock_s* SearchStockByName(uint8_t marketFilter, const wchar_t* text, int8_t preferredNation);

  // The own-list entry of a code; with `remove` the entry is taken out under the view lock
  // (its own-list state cleared, the grid redrawn with `refresh`) and null is returned.
  Stock_s* FindMyStock(uint8_t market, const wchar_t* code, bool remove, bool refresh);
  // 0: null stock or mode other than 1 (the source byte is still recorded); 2: already listed;
  // 1: added with its preset levels at 90 % and 95 % of the current price.
  int AddMyStock(Stock_s* stock, int mode, uint8_t source, bool refresh);
  // Adds (mode non-zero) or removes (mode 0) a master stock; null when the master list lacks it.
  Stock_s* AddOrRemoveMyStock(uint8_t market, const wchar_t* code, int mode, uint8_t source,
                              bool refresh);
  // 1 when the domestic own list's codes, each followed by `separator`, differ from the saved
  // own-list text.
  int IsMyStockListChanged(wchar_t separator) const;
  void SetSavedMyStockText(const std::wstring& text) { m_savedMyStockText = text; }
  const std::wstring& GetSavedMyStockText() const { return m_savedMyStockText; }

  // The holding of a stock (given, or looked up by code in the master list) filtered by broker
  // id, account number and holding kind where those are above 0.
  StockTrade_s* FindHoldingByCode(uint8_t market, int brokerId, int accountNo, Stock_s* stock,
                                  const wchar_t* code, int holdingKind);
  // Stores an interest value in a stock (given, or found by exact code) and its row; marks the
  // stock grid for a redraw. Returns 0.
  int SetStockInterest(const wchar_t* code, int value, Stock_s* stock);

  // Makes a master record and inserts it under its code. When the code is already listed the
  // existing record is returned unchanged. Null for an empty code.
  Stock_s* AddMasterStock(uint8_t market, const wchar_t* code, const wchar_t* name, int8_t nation,
                          int32_t kind, uint8_t flagByte, int32_t intValue, double curPrice,
                          double secondPrice, int64_t count);
  // Inserts a stock into a non-owning list under the view lock when its code is absent.
  // 1 when inserted; 0 when present, for a null argument or for an owning list.
  int InsertStockIntoList(StockMap* list, Stock_s* stock);
  // -1 no lower bound; 0 price not above 0 or below the lower bound, or above a set upper
  // bound; else 1.
  int PriceInFilterRange(double price) const;

  // The own list of a market (1, 2, 9 or 10), or null.
  StockViewMap* MyListOf(uint8_t market);
  StockViewMap& MyList(MyListIndex index) { return m_myLists[index]; }
  OwningStockMap& Master() { return m_master; }
  StockViewMap& Held(int index) { return m_held[index]; }
  StockViewMap& Watch(int index) { return m_watch[index]; }
  OwningHoldingMap& Holdings() { return m_holdings; }
  orv::win::CCriticalSection& ViewLock() { return m_viewLock; }

 private:
  orv::win::CCriticalSection& m_viewLock;
  IStockListView* m_view;
  double m_perStockBudget = 0;
  int m_newStockOptionValue = 0;
  double m_filterLower = 0;
  double m_filterUpper = 0;
  std::wstring m_savedMyStockText;

  // Declared first so it is destroyed last: every other map points into it.
  OwningStockMap m_master;
  StockViewMap m_myLists[kMyListCount];
  StockViewMap m_held[kHeldCount];
  StockViewMap m_watch[kWatchCount];
  // Destroyed before the master list, since freeing a holding clears its stock's link.
  OwningHoldingMap m_holdings;
};
