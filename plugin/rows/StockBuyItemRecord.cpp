#include "plugin/rows/StockBuyItemRecord.h"

#include "shared/StockRecords.h"

#include <cmath>

const char* const kStockBuyItemGridLayout =
    ":#10;No:20; 계좌:c80;국가:gc40;마켓:c30;카페:?;코드:70; 종목명:80;현재가:50; 등락율:50;"
    " 전일비:?40;신용허용:50; 자동매수:60;알고리즘:c80;상태:40;점수D:40;점수M:40;매수량:40;"
    " 매수한도; 필요금액:?0;누적매수; 매수1-저가;허용1(%):38;매수1-고가:10;매수시간1;"
    "  매수2-저가; 허용2(%):38;매수2-고가:10;매수시간2";

CStockBuyItemRecord::CStockBuyItemRecord(int32_t rowNumber, Stock_s* stock, int32_t accountId,
                                         int32_t nation, int32_t market, int32_t cafeId,
                                         const std::wstring& code, const std::wstring& name,
                                         const StockBuyItemValues& v)
    : CStockGridRecord(stock ? stock->market : 0, stock ? std::wstring(stock->code) : std::wstring()) {
  AddText();                                                               // 0
  AddNumber(rowNumber);                                                    // 1
  AddOptions(accountId);                                                   // 2
  AddOptions(nation);                                                      // 3
  AddOptions(market);                                                      // 4
  AddOptions(cafeId);                                                      // 5
  AddText(code);                                                           // 6
  AddText(name);                                                           // 7
  AddMyNumber(this, v.curPrice, "%.0lf");                                  // 8
  AddNumber(v.changeRate, "%.2f%%");                                       // 9
  AddNumber(v.change);                                                     // 10
  AddCheck(v.creditAllowed);                                               // 11
  AddCheck(v.autoBuy);                                                     // 12
  AddOptions(v.algorithm);                                                 // 13
  AddText();                                                               // 14
  AddMyNumber(this, v.dayScore, "%.0lf");                                  // 15
  AddMyNumber(this, v.minuteScore, "%.0lf");                               // 16
  AddMyNumber(this, std::trunc(v.buyCount), "%.0lf");                      // 17
  AddMyNumber(this, v.buyLimit, "%.0lf");                                  // 18
  AddMyNumber(this, v.amountNeeded, "%.0lf");                              // 19
  AddMyNumber(this, v.amountBought, "%.0lf");                              // 20
  AddMyNumber(this, v.band1Low, "%.0lf");                                  // 21
  AddNumber(v.band1Tolerance, "%.1lf%%");                                  // 22
  AddMyNumber(this, v.band1High, "%.0lf");                                 // 23
  AddTimeNum(this, v.band1Time, kTimeNumHourMinute, orv::ui::kColorNone);  // 24
  AddMyNumber(this, v.band2Low, "%.0lf");                                  // 25
  AddNumber(v.band2Tolerance, "%.1lf%%");                                  // 26
  AddMyNumber(this, v.band2High, "%.0lf");                                 // 27
  AddTimeNum(this, v.band2Time, kTimeNumHourMinute, orv::ui::kColorNone);  // 28
}

CStockBuyItemRecord::~CStockBuyItemRecord() = default;
