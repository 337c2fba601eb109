#pragma once
// The row of one recommended ("cafe") stock (33 columns) and the layouts of the cafe dialog's
// three grids. The cafe dialog, the cafe data view and the split-buy board show such rows.

#include <cstdint>
#include <string>

#include "plugin/rows/RowItems.h"

struct Stock_s;

// Grid layouts (entry n is column n). The two recommended-stock layouts differ only in the
// title of column 3.
extern const char* const kCafeInterestGridLayout;
extern const char* const kCafeExpertGridLayout;
extern const char* const kCafeMemberGridLayout;
constexpr int kCafeStockColumns = 33;
constexpr int kCafeMemberColumns = 16;

// Control ids of the cafe dialog's grids.
constexpr int kCafeInterestGridId = 2255;
constexpr int kCafeExpertGridId = 1330;
constexpr int kCafeMemberGridId = 1310;

// Ids of the in-cell buttons (what the grid handlers switch on).
constexpr int kCafeButtonReason = 0;   // "..." of the two reason cells
constexpr int kCafeButtonInfo = 1;     // "정보"
constexpr int kCafeButtonSell = 2;     // "매도"
constexpr int kCafeButtonRebuy = 3;    // "재매수"
constexpr int kCafeButtonResult = 4;   // "결과"
constexpr int kCafeButtonConfirm = 5;  // "인증"

// Recommendation states of a row.
constexpr int32_t kCafeStateBuying = 1;  // "매수 진행중"
constexpr int32_t kCafeStateDone = 2;    // "완료"

// The values of a row after its stock (columns 8 to 32, and the approval and manager flag that
// choose the buttons).
struct CafeStockValues_s {
  int32_t tradeSide = 0;  // 1 buy, 2 sell, 3 buy and sell
  int32_t interest = 0;
  int32_t elapsed1 = 0;
  int32_t elapsed2 = 0;
  double curPrice = 0;
  double recPrice = 0;
  double weight = 0;  // percent
  double takeProfitRate1 = 0;
  double takeProfitRate2 = 0;
  double lowestTakeProfitPrice = 0;
  double stopLossRate = 0;
  double stopLossPrice = 0;
  std::wstring buyReason;
  std::wstring sellReason;
  int32_t recommenderIndex = 0;
  std::wstring recommenderName;
  int32_t likes = 0;
  std::wstring recDate;
  std::wstring sellDate;
  int32_t approval = 0;  // 1 approved
  double changeRate = 0;
  double profit = 0;
  double closingProfit = 0;
  double dailyProfit = 0;
  int32_t change = 0;   // from the previous close
  uint8_t manager = 0;  // the viewer manages the cafe
};

// The row points at a stock record of the window that shows it (the window's own copy of a
// recommended stock, never the engine's), and the stock points back through its row slot.
class CCafeStockRecord : public CStockGridRecord {
 public:
  enum Column {
    kColNo = 1,
    kColCafe = 2,
    kColState = 3,
    kColNation = 4,
    kColMarket = 5,
    kColCode = 6,
    kColName = 7,
    kColTradeSide = 8,
    kColInterest = 9,
    kColRecPrice = 10,
    kColClosingProfit = 11,
    kColCurPrice = 12,
    kColChangeRate = 13,
    kColProfit = 14,
    kColDailyProfit = 17,
    kColLowestTakeProfit = 20,
    kColStopLossPrice = 22,
    kColBuyReason = 23,
    kColSellReason = 24,
    kColChange = 31,
    kColApproval = 32,
  };

  // rowNumber 0 marks a row without number: no check item and no buttons but "인증".
  // `stock` may be null; the row then shows no stock.
  CCafeStockRecord(double screenScale, int32_t rowNumber, int32_t cafeIndex, int32_t state,
                   int32_t nation, char market, const std::wstring& code, const std::wstring& name,
                   Stock_s* stock, const CafeStockValues_s& values);
  ~CCafeStockRecord() override;

  Stock_s* GetStock() const { return m_stock; }
  void SetStock(Stock_s* stock) { m_stock = stock; }
  double GetScreenScale() const { return m_screenScale; }

 private:
  double m_screenScale = 1.0;
  Stock_s* m_stock = nullptr;
};
