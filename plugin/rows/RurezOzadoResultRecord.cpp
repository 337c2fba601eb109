#include "plugin/rows/RurezOzadoResultRecord.h"

#include <cmath>
#include <cstdio>

#include "shared/StockRecords.h"

using orv::ui::CMyReportRecordItem;

const char* const kRurezOzadoGridLayout =
    ":#16;No:-28;증권사:?g100;계좌:40;구분:?35;국가:?gc35;마켓:c30;NXT:?30;풋/콜:?30;"
    "신용구분:20;코드:50;종목명:150;코멘트:?90;자동매매:40;SMS:?32;재매수:?45;분리계좌:?40;"
    "청산매도:?40;매도비중:c75;손절기준:>95;최저이익:>95;간격:>85;첫계단 보정:?45;"
    "분할률/금액:100;매수/매도 기준구간:100;대출일:d60;만기일:?60;융자:-20;수신:-30;계단:-30;"
    "계단2:-30;계단매도:-50;체크시간:t60;IN-TIME:t60;OUT-TIME:t60;주문수:?t40;보전수익금:?60;"
    "튕김:?60;디버그:?;점수D:>40;점수M:>40;현재가:>60;등락:>43;강도:?>43;점수:?>40;김.프:?>40;"
    "BTC마켓:?>50;B.등락:?>40;매수평단:>60;매수환율:?>60;수익률:>50;보전수익:>60;돌파점:>50;"
    "주문량:>45;보유수:>35;매입금액:>70;신용금액:>70;신용율:>40;평가금액:>70;평가손익:>70;"
    "세금:>70;수수료:>70;기관10일:>60;기관.오늘:>60;외인10일:>60;외인.오늘:>60;외인상승:?>50;"
    "외인하락:?>50;분할량:>55;분할금액:>65;매도금지량:>75;재매수량:>75;재매수한도:>75;";

namespace {

constexpr COLORREF kBlankBack = 0xCFF3FC;
constexpr COLORREF kCodeBack = 0xFBF5EB;
constexpr COLORREF kAutoOffBack = 0xE6E022;
constexpr COLORREF kCreditOtherText = 0xFF00FF;

COLORREF SellRatioBack(int ratio) {
  if (ratio >= 100) return kRowWhite;
  if (ratio >= 50) return 0xF1E6D4;
  if (ratio >= 30) return 0xD5D7F2;
  return 0x99BBED;
}

COLORREF StopLossBack(double rate) { return rate > -99 ? 0xE6E0B0 : 0x9FE7F9; }

COLORREF SplitRateBack(double value) {
  if (value >= 10000) return kRowWhite;
  if (value > 100) return 0xF0DEEB;
  if (value >= 10) return 0x99BBED;
  if (value >= 5) return 0xD5D7F2;
  if (value >= 3) return 0xF1E6D4;
  return 0xF7ECF4;
}

CMyReportRecordItem* WithBack(CMyReportRecordItem* item, COLORREF back) {
  item->backColor = back;
  return item;
}

}  // namespace

COLORREF MinProfitBack(double rate) {
  if (rate >= 10) return 0xFFB3FF;
  if (rate >= 5) return 0x99AAFF;
  if (rate < 0) return 0xFFFF00;
  return 0xE1E4FF;
}

COLORREF StepIntervalBack(double rate) {
  if (rate >= 7) return 0x7AB2F0;
  if (rate >= 5) return 0x6FDCF7;
  if (rate >= 3) return 0xF0DEEB;
  return 0xECEDFD;
}

int CRurezOzadoResultRecord::PriceDecimals(uint8_t market) {
  switch (market) {
    case 'A':
    case 'D':
    case 'H':
    case 'N':
    case 'b':
    case 'B':
      return 4;
    default:
      return 0;
  }
}

CRurezOzadoResultRecord::CRurezOzadoResultRecord(double scale, const RurezOzadoRowValues& v)
    : CStockGridRecord(v.stockMarket, v.code),
      m_dScale(scale),
      m_nMarket(v.market),
      m_nNxt(v.nxt),
      m_nAccountId(v.accountId),
      m_nRowNumber(v.rowNumber),
      m_nCreditKind(v.creditKind) {
  char priceFormat[16];
  std::snprintf(priceFormat, sizeof priceFormat, "%%.%dlf", PriceDecimals(v.market));
  const bool blank = IsBlankRow();
  const bool holdingRow = v.creditKind == 1 || v.creditKind == 2;
  const bool rowButtons = holdingRow && !blank;
  auto addStepButtons = [&](CMyReportRecordItem* item) {
    if (!rowButtons) return;
    AddScaledButton(item, L".■.", 0, 22, scale);
    AddScaledButton(item, L".▼.", 1, 22, scale);
  };

  AddText();                                                    // 0
  AddNumber(v.rowNumber == kBlankRowNumber ? 0 : v.rowNumber);  // 1
  AddOptions(v.brokerId);                                       // 2
  AddOptions(v.accountId);                                      // 3
  AddOptions(v.kindValue);                                      // 4
  AddOptions(v.nation);                                         // 5
  AddOptions(v.market);                                         // 6
  AddText(v.nxt ? L"NXT" : L"");                                // 7
  AddNumber(v.putFlag);                                         // 8

  // 9: the quote currency for coins, else the credit kind.
  if (v.market == 'b') {
    WithBack(AddText(L"KRW"), 0xF1FAEA);
  } else if (v.market == 'B') {
    WithBack(AddText(L"BTC"), 0xE6EEFB);
  } else {
    const bool put = v.putFlag == 1;
    auto* credit = AddText();
    if (v.creditKind == 1) {
      credit->text = put ? L"풋" : L"현금";
      credit->textColor = put ? kRowRed : kRowBlack;
    } else if (v.creditKind == 2) {
      credit->text = put ? L"공매도" : L"신용";
      credit->textColor = kRowRed;
    } else if (put) {
      credit->textColor = kRowRed;
    }
  }

  WithBack(AddText(v.code), kCodeBack);  // 10
  auto* name = AddText(v.name);          // 11
  if (holdingRow) AddScaledButton(name, L"주문/정보", 1, 58, scale);
  auto* comment = AddText(v.comment);  // 12
  if (holdingRow) AddScaledButton(comment, L"?..", 0, 16, scale);

  if (v.rowNumber != 0)  // 13
    WithBack(AddCheck(v.autoTrade), v.autoTrade ? kRowRed : kAutoOffBack);
  else
    WithBack(AddText(), kBlankBack);
  AddCheck(v.sms);                                                                 // 14
  AddCheck(v.reBuy);                                                               // 15
  WithBack(AddCheck(v.separateAccount), v.separateAccount ? kRowRed : kRowWhite);  // 16
  WithBack(AddCheck(v.closeOut), v.closeOut ? kAutoOffBack : kRowWhite);           // 17

  if (blank) {  // 18 to 23
    WithBack(AddText(), kBlankBack);
    for (int i = 19; i <= 23; ++i) AddText();
  } else {
    const int ratio = static_cast<int>(v.sellRatio);
    WithBack(AddOptions(ratio), SellRatioBack(ratio));
    addStepButtons(WithBack(AddNumber(v.stopLossRate, "%.1f%%"), StopLossBack(v.stopLossRate)));
    addStepButtons(WithBack(AddNumber(v.minProfit, "%.1f%%"), MinProfitBack(v.minProfit)));
    addStepButtons(WithBack(AddNumber(v.stepInterval, "%.1f%%"), StepIntervalBack(v.stepInterval)));
    AddCheck(false);
    addStepButtons(
        WithBack(AddNumber2(this, v.splitRateOrAmount), SplitRateBack(v.splitRateOrAmount)));
  }

  auto* baseRange = AddText(v.baseRange);  // 24
  if (holdingRow) AddScaledButton(baseRange, L"EQ.", 0, 22, scale);
  AddNumber(v.loanDate);  // 25
  AddText(v.expiry);      // 26
  AddNumber(v.loanFlag);  // 27
  for (int i = 28; i <= 31; ++i) AddNumber(0);

  WithBack(AddTimeNum(this, v.checkTime, kTimeNumHourMinuteSecond,
                      kRowItemFrame),
           0xF8EEF5);  // 32
  AddTimeNum(this, v.entryTime, kTimeNumHourMinuteSecond,
             kRowItemFrame);  // 33
  AddTimeNum(this, v.exitTime, kTimeNumHourMinuteSecond,
             kRowItemFrame);                                        // 34
  AddNumber(v.orderCount, "%.0f");                                  // 35
  AddNumber(0, "%.2f%%");                                           // 36
  AddNumber(0, "%.2f%%");                                           // 37
  AddText();                                                        // 38
  AddNumber(v.dayScore, "%.0f");                                    // 39
  AddNumber(v.minuteScore, "%.0f");                                 // 40
  WithBack(AddMyNumber(this, v.curPrice, priceFormat), kCodeBack);  // 41
  WithBack(AddNumber(v.changeRate, "%.1f%%"), 0x6FDCF7);            // 42
  WithBack(AddNumber(v.strength, "%.1f%%"), 0xE1C0C0);              // 43
  AddNumber(v.score, "%.1f%%");                                     // 44
  WithBack(AddNumber(v.premium, "%.1f%%"), 0xE1C0C0);               // 45
  AddMyNumber(this, v.btcPrice, priceFormat);                       // 46
  WithBack(AddNumber(v.btcChange, "%.1f%%"), 0x6FDCF7);             // 47
  const double avgPrice = v.quantity > 0 ? v.purchaseAmount / v.quantity : 0;
  WithBack(AddMyNumber(this, avgPrice, priceFormat), 0xE2E2E2);            // 48
  AddNumber(v.buyExchangeRate, "%.1f");                                    // 49
  WithBack(AddNumber(v.profitRate, "%.2f%%"), 0xE1E4FF);                   // 50
  WithBack(AddNumber(v.keptProfit, "%.2f%%"), 0xE2E2E2);                   // 51
  WithBack(AddNumber(v.breakPoint, "%.2f%%"), 0xE2E2E2);                   // 52
  AddNumber(v.orderQty, "%.0f");                                           // 53
  // Shares are whole; a coin holding is a fraction of a coin, which "%.0f" would show as 0:
  // coins (and any quantity with a fraction) show whole numbers bare and fractions as they are.
  const bool fractional = v.stockMarket == kMarketCoin || v.quantity != std::floor(v.quantity);
  WithBack(AddMyNumber(this, v.quantity, fractional ? "" : "%.0f"), 0xEFF7E9);  // 54
  WithBack(AddMyNumber(this, v.purchaseAmount, priceFormat), kBlankBack);  // 55
  const double creditAmount = v.creditAmount;
  AddMyNumber(this, creditAmount, priceFormat)->textColor =
      v.creditKind == 1 ? kRowBlack : kCreditOtherText;  // 56
  const double creditRate =
      creditAmount > 0 && v.purchaseAmount > 0 ? creditAmount / v.purchaseAmount * 100 : 0;
  WithBack(AddNumber(creditRate, "%.1f%%"), 0xA0D7FA);               // 57
  AddMyNumber(this, v.valuation, priceFormat);                       // 58
  auto* profit = AddMyNumber(this, v.valuationProfit, priceFormat);  // 59
  profit->textColor = SignColor(v.valuationProfit, kRowBlack);
  profit->backColor = 0xF1FAEA;
  AddMyNumber(this, v.tax, priceFormat);                                               // 60
  AddMyNumber(this, v.commission, priceFormat);                                        // 61
  AddMyNumber(this, v.inst10Days, priceFormat)->textColor = SignColor(v.inst10Days);   // 62
  AddMyNumber(this, v.instToday, priceFormat)->textColor = SignColor(v.instToday);     // 63
  AddMyNumber(this, v.foreign10Days, "%.0f")->textColor = SignColor(v.foreign10Days);  // 64
  AddMyNumber(this, v.foreignToday, "%.0f")->textColor = SignColor(v.foreignToday);    // 65
  AddNumber(v.foreignRiseCount, "%.0f");                                               // 66
  AddNumber(v.foreignFallCount, "%.0f");                                               // 67
  WithBack(AddMyNumber(this, v.splitQty, "%.0f"), 0xFDEDEC);                           // 68
  WithBack(AddMyNumber(this, v.splitAmount, "%.0lf"), 0xFCF3CF);                       // 69
  AddMyNumber(this, v.sellBarredQty, "%.0f");                                          // 70
  WithBack(AddMyNumber(this, v.reBuyQty, "%.0f"), 0xFCF3CF);                           // 71
  WithBack(AddMyNumber(this, v.reBuyLimit, "%.0f"), 0xE2E2E2);                         // 72

  for (int i = 0; i < kRurezOzadoSpareColumns; ++i) {  // 73 to 132
    if (blank)
      AddText();
    else
      AddMyNumber(this, 0, "%.0lf");
  }
}

CRurezOzadoResultRecord::~CRurezOzadoResultRecord() = default;
