#include "plugin/rows/CafeStockRecord.h"

#include "shared/StockRecords.h"

const char* const kCafeInterestGridLayout =
    ":?5;No:25;카페:?30;구분:?g50;국가:c30;마켓:?30;코드:?50;종목명:130;매수/매도:?c30;관심:?20;"
    "추천가:>50;종료손익:>50;현재가:>50;등락율:>45;손익:>55;경과:>22;경과:>22;일별손익:>50;"
    "1차익절률:>50;2차익절률:>50;최저익절가:>50;손절률:>50;손절가:>50;매수이유:110;매도이유:110;"
    "비중:>35;추천인:?0;추천인:?40;좋아요:30;추천일:45;매도일:45;전일대비:>40;승인:?";
const char* const kCafeExpertGridLayout =
    ":?5;No:25;카페:?30;상태:?g50;국가:c30;마켓:?30;코드:?50;종목명:130;매수/매도:?c30;관심:?20;"
    "추천가:>50;종료손익:>50;현재가:>50;등락율:>45;손익:>55;경과:>22;경과:>22;일별손익:>50;"
    "1차익절률:>50;2차익절률:>50;최저익절가:>50;손절률:>50;손절가:>50;매수이유:110;매도이유:110;"
    "비중:>35;추천인:?0;추천인:?40;좋아요:30;추천일:45;매도일:45;전일대비:>40;승인:?";
const char* const kCafeMemberGridLayout =
    ":?5;No:25;IDX:?;카페:?30;그룹:40;기간:?g40;아이디:50;이름:50;전화:?50;시작일:80;종료일:80;"
    "환불일:?80;환불:?40;유/무료:?40;상태:?40;코멘트";

namespace {

constexpr COLORREF kProfitBack = 0x9FE7F9;
constexpr COLORREF kDailyProfitBack = 0xA4CBFF;
constexpr COLORREF kCurPriceBack = 0xE2E2E2;

// Overseas markets (AMEX, Dow Jones, Hong Kong, NASDAQ) quote prices with 4 decimals.
bool HasFractionalPrices(char market) {
  return market == 'A' || market == 'D' || market == 'H' || market == 'N';
}

// Red above 0, blue at 0 and below: the profit cells.
COLORREF ProfitColor(double value) { return value > 0 ? kRowRed : kRowBlue; }

// Red from +0.1 %, blue from -0.1 %, black in between.
COLORREF ChangeRateColor(double rate) {
  if (rate >= 0.1) return kRowRed;
  if (rate <= -0.1) return kRowBlue;
  return kRowBlack;
}

}  // namespace

CCafeStockRecord::CCafeStockRecord(double screenScale, int32_t rowNumber, int32_t cafeIndex,
                                   int32_t state, int32_t nation, char market,
                                   const std::wstring& code, const std::wstring& name,
                                   Stock_s* stock, const CafeStockValues_s& v)
    : CStockGridRecord(stock ? stock->market : 0, stock ? std::wstring(stock->code) : code),
      m_screenScale(screenScale),
      m_stock(stock) {
  // A price with 0 decimals is drawn as a whole number: the price is no percentage, so the
  // cell shows no percent sign after it.
  const char* priceFormat = HasFractionalPrices(market) ? "%.4f" : "%.0f";
  auto addPrice = [this, priceFormat](double price) {
    return AddMyNumber(this, price, priceFormat);
  };
  const bool hasButtons = rowNumber != 0 && v.approval == 1;

  AddText();                                             // 0
  AddNumber(rowNumber);                                  // 1
  AddOptions(cafeIndex);                                 // 2
  AddOptions(state);                                     // 3
  AddOptions(nation);                                    // 4
  AddText(market ? std::wstring(1, static_cast<wchar_t>(static_cast<unsigned char>(market)))
                 : std::wstring());                      // 5
  AddText(code);                                         // 6
  orv::ui::CMyReportRecordItem* nameItem = AddText(name);  // 7
  AddOptions(v.tradeSide);                               // 8
  if (rowNumber != 0)
    AddCheck(v.interest != 0);  // 9
  else
    AddText();
  addPrice(v.recPrice);  // 10
  auto* closing = AddNumber(v.closingProfit, "%.1f%%");  // 11
  closing->backColor = kProfitBack;
  closing->textColor = ProfitColor(v.closingProfit);
  addPrice(v.curPrice)->backColor = kCurPriceBack;           // 12
  AddNumber(v.changeRate, "%.1f %%")->textColor = ChangeRateColor(v.changeRate);  // 13
  auto* profit = AddNumber(v.profit, "%.1f%%");              // 14
  profit->backColor = kProfitBack;
  profit->textColor = ProfitColor(v.profit);
  AddNumber(v.elapsed1);                                     // 15
  AddNumber(v.elapsed2);                                     // 16
  auto* daily = AddNumber(v.dailyProfit, "%.1f%%");          // 17
  daily->backColor = kDailyProfitBack;
  daily->textColor = ProfitColor(v.dailyProfit);
  AddNumber(v.takeProfitRate1, "%.0f%%");                    // 18
  AddNumber(v.takeProfitRate2, "%.0f%%");                    // 19
  addPrice(v.lowestTakeProfitPrice);                         // 20
  AddNumber(v.stopLossRate, "%.0f%%");                       // 21
  addPrice(v.stopLossPrice);                                 // 22
  orv::ui::CMyReportRecordItem* buyReason = AddText(v.buyReason);    // 23
  orv::ui::CMyReportRecordItem* sellReason = AddText(v.sellReason);  // 24
  AddNumber(v.weight, "%.0f%%");                             // 25
  AddNumber(v.recommenderIndex);                             // 26
  AddText(v.recommenderName);                                // 27
  AddNumber(v.likes);                                        // 28
  AddText(v.recDate);                                        // 29
  AddText(v.sellDate);                                       // 30
  AddMyNumber(this, v.change, "%.0lf");                      // 31
  AddNumber(v.approval);                                     // 32

  // The name cell: one button by state and by who looks (a member or a manager), on approved
  // numbered rows; then "인증" on every row.
  if (hasButtons) {
    if (state == kCafeStateBuying) {
      if (v.manager)
        AddScaledButton(nameItem, L"매도", kCafeButtonSell, 27, m_screenScale);
      else
        AddScaledButton(nameItem, L"정보", kCafeButtonInfo, 27, m_screenScale);
    } else if (v.manager) {
      AddScaledButton(nameItem, L"재매수", kCafeButtonRebuy, 38, m_screenScale);
    } else {
      AddScaledButton(nameItem, L"결과", kCafeButtonResult, 27, m_screenScale);
    }
  }
  AddScaledButton(nameItem, L"인증", kCafeButtonConfirm, 27, m_screenScale);
  if (hasButtons) {
    AddScaledButton(buyReason, L"...", kCafeButtonReason, 22, m_screenScale);
    AddScaledButton(sellReason, L"...", kCafeButtonReason, 22, m_screenScale);
  }
}

CCafeStockRecord::~CCafeStockRecord() = default;
