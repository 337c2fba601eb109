#pragma once
// One row of the monitoring view's grid: a stock found by the whole-market scan or received
// from a condition search. The row keeps a pointer to the stock so that handlers find it again.

#include <cstdint>
#include <string>

#include "plugin/rows/RowItems.h"

// The monitoring grid's layout: entry n is the column of item n, each title over the item
// that carries its content.
extern const char* const kFilteredStockGridLayout;
constexpr int kFilteredStockColumns = 54;
constexpr int kFilteredStockItems = 56;

// Row kinds: which button the name cell carries.
constexpr int kFilteredRowOrderButton = 1;   // "주문/정보"
constexpr int kFilteredRowDeleteButton = 2;  // "삭제"

// The stock's values shown in items 11 to 29 and 38 to 55, as the callers pass them.
struct FilteredStockValues {
  double rate = 0;         // 11: first rate field
  double perOrderQty = 0;  // 12: configured per-order amount / price (0 from the scan)
  double maxQty = 0;       // 13: maximum quantity
  double indicator1 = 0;   // 15
  double indicator2 = 0;   // 16: a whole number
  double curPrice = 0;     // 17
  double priceField = 0;   // 18
  double boughtQty = 0;    // 19 and 22
  double changeRate = 0;   // 20
  double wholeField = 0;   // 21
  double value23 = 0;      // 23
  double lowerAmount = 0;  // 24
  double indicator3 = 0;   // 25
  double indicator4 = 0;   // 26
  double value27 = 0;      // 27
  double value28 = 0;      // 28
  double value29 = 0;      // 29
  double further[18]{};    // 38 to 55
};

struct Stock_s;

class CFilteredStockRecord : public CStockGridRecord {
 public:
  enum Item {
    kItemNo = 1,
    kItemCafe = 2,
    kItemFlag = 3,
    kItemMarket = 4,
    kItemCode = 5,
    kItemName = 6,
    kItemExtra = 7,
    kItemCondition = 8,
    kItemWatch = 9,
    kItemCheck2 = 10,
    kItemRate = 11,
    kItemMaxQty = 13,
    kItemConditionHits = 14,
    kItemIndicator1 = 15,
    kItemCurPrice = 17,
    kItemBoughtRate = 19,
    kItemTime = 30,
    kItemConditionCount = 31,
    kItemKey = 32,
    kItemEntryCount = 33,
    kItemScores = 34,
  };

  CFilteredStockRecord(double scale, int32_t rowNumber, int32_t cafeIndex, int32_t conditionIndex,
                       int32_t rowKind, uint8_t flagByte, char marketLetter,
                       const std::wstring& code, const std::wstring& name,
                       const std::wstring& extraText, const std::wstring& timeText,
                       int32_t conditionCount, const std::wstring& keyText, int32_t entryCount,
                       bool check1, bool check2, Stock_s* stock, const FilteredStockValues& values);
  ~CFilteredStockRecord() override;

  double GetScale() const { return m_dScale; }

 private:
  double m_dScale;
};
