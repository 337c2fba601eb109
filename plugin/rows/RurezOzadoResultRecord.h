#pragma once
// The row of the trading view's holdings grid and order-history grids: 73 titled columns and
// 60 spare ones, built from one holding and its stock.

#include <cstdint>
#include <string>

#include "plugin/rows/RowItems.h"

// The grid layout the rows of CRurezOzadoResultRecord fill (item n is entry n).
extern const char* const kRurezOzadoGridLayout;
constexpr int kRurezOzadoTitledColumns = 73;
constexpr int kRurezOzadoSpareColumns = 60;

// The backgrounds of the minimum take-profit (20) and step interval (21) cells by value.
COLORREF MinProfitBack(double rate);
COLORREF StepIntervalBack(double rate);

// Row numbers that mark a blank row (separator and totals rows).
constexpr int32_t kBlankRowNumber = 65535;

// The values of one row, in the order the grid builders pass them.
struct RurezOzadoRowValues {
  uint8_t market = 0;       // market code ('1', '2', 'A', 'b', ...)
  uint8_t stockMarket = 0;  // the stock's market kind (names the stock with the code)
  int32_t brokerId = 0;
  int8_t nation = 0;
  uint8_t nxt = 0;         // also trades on NXT
  int32_t rowNumber = 0;   // 0 and 65535: a blank row
  int32_t creditKind = 0;  // 1 cash, 2 credit (holding rows), other: no holding
  int32_t putFlag = 0;
  int32_t accountId = 0;
  int32_t kindValue = 0;
  std::wstring code;
  std::wstring name;
  std::wstring comment;
  bool autoTrade = false;
  bool sms = false;
  bool reBuy = false;
  bool closeOut = false;
  double sellRatio = 0;
  double stopLossRate = 0;
  double minProfit = 0;
  double stepInterval = 0;
  double splitRateOrAmount = 0;
  std::wstring baseRange;
  double orderCount = 0;
  double orderQty = 0;
  double foreignFallCount = 0;
  double splitQty = 0;
  double splitAmount = 0;
  double sellBarredQty = 0;
  double reBuyQty = 0;
  double reBuyLimit = 0;
  double creditAmount = 0;  // the credit (loan) amount
  double tax = 0;
  double commission = 0;
  double buyExchangeRate = 0;
  double dayScore = 0;
  double minuteScore = 0;
  SYSTEMTIME checkTime{};
  SYSTEMTIME entryTime{};
  SYSTEMTIME exitTime{};
  double loanDate = 0;
  std::wstring expiry;
  double loanFlag = 0;
  double curPrice = 0;
  double changeRate = 0;
  double strength = 0;
  double score = 0;
  double premium = 0;
  double btcPrice = 0;
  double btcChange = 0;
  double inst10Days = 0;
  double instToday = 0;
  double foreign10Days = 0;
  double foreignToday = 0;
  double foreignRiseCount = 0;
  double quantity = 0;
  double valuation = 0;
  double valuationProfit = 0;
  double profitRate = 0;
  double keptProfit = 0;
  double breakPoint = 0;
  double purchaseAmount = 0;
  bool separateAccount = false;
};

class CRurezOzadoResultRecord : public CStockGridRecord {
 public:
  // Column item indexes the handlers address.
  enum Column {
    kColNo = 1,
    kColBroker = 2,
    kColAccount = 3,
    kColKind = 4,
    kColNation = 5,
    kColMarket = 6,
    kColNxt = 7,
    kColPut = 8,
    kColCredit = 9,
    kColCode = 10,
    kColName = 11,
    kColComment = 12,
    kColAutoTrade = 13,
    kColSms = 14,
    kColReBuy = 15,
    kColSeparate = 16,
    kColCloseOut = 17,
    kColSellRatio = 18,
    kColStopLoss = 19,
    kColMinProfit = 20,
    kColStepInterval = 21,
    kColFirstStep = 22,
    kColSplitRate = 23,
    kColBaseRange = 24,
    kColCheckTime = 32,
    kColCurPrice = 41,
    kColAvgPrice = 48,
    kColProfitRate = 50,
    kColPurchase = 55,
    kColCreditAmount = 56,
    kColCreditRate = 57,
    kColValuationProfit = 59,
    kColFirstSpare = 73,
  };

  explicit CRurezOzadoResultRecord(double scale, const RurezOzadoRowValues& values);
  ~CRurezOzadoResultRecord() override;

  double GetScale() const { return m_dScale; }
  uint8_t GetMarket() const { return m_nMarket; }
  uint8_t GetNxt() const { return m_nNxt; }
  int32_t GetAccountId() const { return m_nAccountId; }
  // The code and cash/credit kind the row was made for: with the account they name its
  // holding to the engine (a row never hands out a holding's address as its identity).
  const std::wstring& GetCode() const { return m_code; }
  int32_t GetCreditKind() const { return m_nCreditKind; }
  int32_t GetRowNumber() const { return m_nRowNumber; }
  bool IsBlankRow() const { return IsBlankRowNumber(m_nRowNumber); }

  static bool IsBlankRowNumber(int32_t rowNumber) {
    return rowNumber == 0 || rowNumber == kBlankRowNumber;
  }
  // Decimals of the price columns: 4 for the foreign and coin markets, else 0.
  static int PriceDecimals(uint8_t market);

 private:
  double m_dScale;
  uint8_t m_nMarket;
  uint8_t m_nNxt;
  int32_t m_nAccountId;
  int32_t m_nRowNumber;
  int32_t m_nCreditKind;
};
