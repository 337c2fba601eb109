#pragma once
// The row of the split-buy board's watch grid: one stock with its automatic-buy settings and
// two price bands (29 columns).

#include <cstdint>
#include <string>

#include "plugin/rows/RowItems.h"

// The board's grid layout (item n is entry n; the spaces belong to the titles).
extern const char* const kStockBuyItemGridLayout;
constexpr int kStockBuyItemColumns = 29;

// Columns 8 to 28, in column order (column 14, the state, starts empty).
struct StockBuyItemValues {
  double curPrice = 0;
  double changeRate = 0;
  double change = 0;  // from the previous close
  bool creditAllowed = false;
  bool autoBuy = false;
  int32_t algorithm = 0;
  double dayScore = 0;
  double minuteScore = 0;
  double buyCount = 0;
  double buyLimit = 0;
  double amountNeeded = 0;
  double amountBought = 0;
  double band1Low = 0;
  double band1Tolerance = 0;
  double band1High = 0;
  SYSTEMTIME band1Time;
  double band2Low = 0;
  double band2Tolerance = 0;
  double band2High = 0;
  SYSTEMTIME band2Time;
};

struct Stock_s;

class CStockBuyItemRecord : public CStockGridRecord {
 public:
  enum Column {
    kColNo = 1,
    kColAccount = 2,
    kColNation = 3,
    kColMarket = 4,
    kColCafe = 5,
    kColCode = 6,
    kColName = 7,
    kColCurPrice = 8,
    kColCredit = 11,
    kColAutoBuy = 12,
    kColAlgorithm = 13,
    kColState = 14,
    kColDayScore = 15,
    kColMinuteScore = 16,
    kColBuyCount = 17,
    kColBuyLimit = 18,
    kColBand1Low = 21,
    kColBand1Time = 24,
    kColBand2Low = 25,
    kColBand2Time = 28,
  };

  CStockBuyItemRecord(int32_t rowNumber, Stock_s* stock, int32_t accountId, int32_t nation,
                      int32_t market, int32_t cafeId, const std::wstring& code,
                      const std::wstring& name, const StockBuyItemValues& values);
  ~CStockBuyItemRecord() override;
};
