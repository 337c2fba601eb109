#include "plugin/rows/FilteredStockRecord.h"

#include "shared/StockRecords.h"

// Item 3 is the stock's flag byte ("국가"), items 4 to 7 its market letter, code, name and
// extra text, item 8 the condition index (the option column that receives the condition
// names), item 9 the watch-list check ("관심") and item 10 the second check ("자동").
const char* const kFilteredStockGridLayout =
    ":?5;IDX:?30;카페:?;국가:?;마켓:?;종목코드:?50;종목명:130;신용:15;조건명:?gc80;관심:30;"
    "자동:?30;진입시간:1;IN:>1;이탈시간:1;OUT:>1;강도0:40;강도:40;랭킹0:40;랭킹:40;RSI:?40;"
    "RSI.분:?40;RSI.분2:?40;STO.F:?50;STO.F.분:?50;STO.F.분2:?50;MFI:?40;MFI.분:?40;"
    "MFI.분2:?40;CCI:?40;CCI.분:?40;CCI.분2:?40;MACD:?40;MACD.분:?40;MACD.분2:?40;SAR:?40;"
    "SAR.분:?40;SAR.분2:?40;매수량:?43;매수금:?>43;총매수금:?>43;1주문:?>43;한도:?>43;"
    "EQ수:?>30;점수0:?>43;점수:?>43;등락율:>45;현재가:>60;전일대비:>40;매수-저가:>83;"
    "매수-고가:>83;설정액:>80;매수-저가2:>83;매수-고가2:>83;설정액2:>80;";

namespace {

constexpr COLORREF kBoundBack = 0x9FE7F9;
constexpr COLORREF kHighlightBack = 0x66FFFF;

bool IsForeignMarket(char market) {
  return market == 'A' || market == 'D' || market == 'H' || market == 'N';
}

COLORREF BoughtRateColor(double value) {
  if (value >= 0.1) return kRowRed;
  if (value <= -0.1) return kRowBlue;
  return kRowBlack;
}

}  // namespace

CFilteredStockRecord::CFilteredStockRecord(
    double scale, int32_t rowNumber, int32_t cafeIndex, int32_t conditionIndex, int32_t rowKind,
    uint8_t flagByte, char marketLetter, const std::wstring& code, const std::wstring& name,
    const std::wstring& extraText, const std::wstring& timeText, int32_t conditionCount,
    const std::wstring& keyText, int32_t entryCount, bool check1, bool check2, Stock_s* stock,
    const FilteredStockValues& v)
    : CStockGridRecord(stock ? stock->market : 0, stock ? std::wstring(stock->code) : std::wstring()),
      m_dScale(scale) {
  const char* marketFormat = IsForeignMarket(marketLetter) ? "%.4f" : "%.0f%%";
  auto marketNumber = [&](double value) { AddMyNumber(this, value, marketFormat); };
  auto boundNumber = [&](double value) {
    auto* item = AddMyNumber(this, value, "%.0lf");
    item->textColor = kRowRed;
    item->backColor = kBoundBack;
  };

  AddText();              // 0
  AddNumber(rowNumber);   // 1
  AddOptions(cafeIndex);  // 2
  AddOptions(flagByte);   // 3
  AddText(marketLetter ? std::wstring(1, static_cast<unsigned char>(marketLetter))
                       : std::wstring());  // 4
  AddText(code);                           // 5
  auto* nameItem = AddText(name);          // 6
  if (rowKind == kFilteredRowOrderButton)
    AddScaledButton(nameItem, L"주문/정보", 0, 58, scale);
  else if (rowKind == kFilteredRowDeleteButton)
    AddScaledButton(nameItem, L"삭제", 0, 26, scale);
  AddText(extraText);          // 7
  AddOptions(conditionIndex);  // 8
  AddCheck(check1);            // 9
  AddCheck(check2);            // 10

  AddNumber(v.rate, "%.0f%%");  // 11
  marketNumber(v.perOrderQty);  // 12
  marketNumber(v.maxQty);       // 13
  GetItem(13)->textColor = kRowRed;
  AddMyNumber(this, conditionCount, "%.0f%%");                                  // 14
  AddMyNumber(this, v.indicator1, "%.0f%%");                                    // 15
  AddNumber(v.indicator2);                                                      // 16
  AddMyNumber(this, v.curPrice, "%.0lf");                                       // 17
  AddMyNumber(this, v.priceField, "%.0lf");                                     // 18
  AddNumber(v.boughtQty, "%.1f %%")->textColor = BoughtRateColor(v.boughtQty);  // 19
  marketNumber(v.changeRate);                                                   // 20
  AddMyNumber(this, v.wholeField, "%.0lf");                                     // 21
  marketNumber(v.boughtQty);                                                    // 22
  marketNumber(v.value23);                                                      // 23
  boundNumber(v.lowerAmount);                                                   // 24
  AddMyNumber(this, v.indicator3, "%.0f%%");                                    // 25
  AddMyNumber(this, v.indicator4, "%.0f%%");                                    // 26
  marketNumber(v.value27);                                                      // 27
  marketNumber(v.value28);                                                      // 28
  boundNumber(v.value29);                                                       // 29
  AddText(timeText);                                                            // 30
  AddNumber(conditionCount);                                                    // 31
  AddText(keyText);                                                             // 32
  AddNumber(entryCount);                                                        // 33
  AddNumber(stock ? stock->secondary_score_prev : 0, "%.2f");                   // 34
  AddNumber(stock ? stock->secondary_score : 0, "%.2f");                        // 35
  AddNumber(stock ? stock->signal_score_prev : 0, "%.2f");                      // 36
  AddNumber(stock ? stock->signal_score : 0, "%.2f");                           // 37
  for (int i = 38; i <= 52; ++i) {
    auto* item = AddNumber(v.further[i - 38], "%.2f");
    if (i >= 41 && i <= 43) item->backColor = kHighlightBack;
  }
  for (int i = 53; i <= 55; ++i) AddNumber(v.further[i - 38], "%.0f");
}

CFilteredStockRecord::~CFilteredStockRecord() = default;
