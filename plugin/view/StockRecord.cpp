#include "plugin/view/StockRecord.h"

#include <cmath>

#include "platform/ui/model/ReportCtrl.h"
#include "plugin/rows/RurezOzadoResultRecord.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/engine/EnvelopeScore.h"
#include "shared/StockRecords.h"

using orv::ui::CMyReportRecordBase;
using orv::ui::CMyReportRecordItem;

namespace {

// The three values of one indicator (day, minute, second minute) with their background.
void AddIndicator(CMyReportRecordBase* row, const double values[3], const char* format,
                  COLORREF back) {
  for (int i = 0; i < 3; ++i) {
    CMyReportRecordItem* item = row->AddNumber(values[i], format);
    if (back != orv::ui::kColorNone) item->backColor = back;
  }
}

void SetNumberColored(CMyReportRecordBase* row, int item, double value, COLORREF color) {
  row->SetNumberValue(item, value);
  row->SetItemTextColor(item, color);
}

}  // namespace

COLORREF PriceColor(double value) { return SignColor(value, kRowBlack); }

COLORREF StopLossBack(double rate) { return rate > -90 ? 0xE6E0B0 : 0x9FE7F9; }

COLORREF SellRatioBack(double ratio) {
  if (ratio >= 100) return 0xFFFFFF;
  if (ratio >= 90) return 0xE6E0B0;
  if (ratio >= 50) return 0xFFB3FF;
  return 0xFFFF00;
}

void SetStopLossCell(CRurezOzadoResultRecord& row, double rate) {
  row.SetNumberValue(CRurezOzadoResultRecord::kColStopLoss, rate);
  row.SetItemBackColor(CRurezOzadoResultRecord::kColStopLoss, StopLossBack(rate));
}

void SetSellRatioCell(CRurezOzadoResultRecord& row, double ratio) {
  row.SetOptionsValue(CRurezOzadoResultRecord::kColSellRatio, static_cast<int64_t>(ratio));
  row.SetItemBackColor(CRurezOzadoResultRecord::kColSellRatio, SellRatioBack(ratio));
}

void SetMinProfitCell(CRurezOzadoResultRecord& row, double rate) {
  row.SetNumberValue(CRurezOzadoResultRecord::kColMinProfit, rate);
  row.SetItemBackColor(CRurezOzadoResultRecord::kColMinProfit, MinProfitBack(rate));
}

void SetIntervalCell(CRurezOzadoResultRecord& row, double interval) {
  row.SetNumberValue(CRurezOzadoResultRecord::kColStepInterval, interval);
  row.SetItemBackColor(CRurezOzadoResultRecord::kColStepInterval, StepIntervalBack(interval));
}

void SetAutoTradeCell(CRurezOzadoResultRecord& row, bool on) {
  row.SetCheckValue(CRurezOzadoResultRecord::kColAutoTrade, on);
  row.SetItemBackColor(CRurezOzadoResultRecord::kColAutoTrade,
                       on ? kAutoTradeOnBack : kAutoTradeOffBack);
}

COLORREF SplitValueBack(double value) {
  if (value >= 10000) return 0xFFFFFF;
  if (value > 100) return 0xF0DEEB;
  if (value >= 10) return 0x99BBED;
  if (value >= 5) return 0xD5D7F2;
  if (value >= 3) return 0xF1E6D4;
  return 0xF7ECF4;
}

// ---------------------------------------------------------------------------------------
// CStockRecord

CStockRecord::CStockRecord(const StockRow_s* stock, int index, double scale)
    : CStockGridRecord(stock ? stock->market : 0, stock ? stock->code : std::wstring()),
      m_scale(scale > 0 ? scale : 1.0) {
  static const StockListing_s kEmpty;
  const StockListing_s& l = stock ? stock->listing : kEmpty;
  const double price = stock ? stock->curPrice : 0;
  const double change = stock ? stock->change : 0;
  if (stock) {
    m_filter.managed = l.managed != 0;
    m_filter.caution2 = l.caution2 != 0;
    m_filter.listed = l.listed != 0;
    m_filter.credit = l.credit != 0;
    m_filter.caution = !l.caution.empty();
    m_filter.curPrice = price;
    m_filter.change = change;
    m_filter.changeRate = stock->changeRate;
  }

  AddText();                                                                          // 0
  AddNumber(stock ? stock->listIndex : 0);                                           // 1 IDX
  AddNumber(index);                                                                   // 2 순서
  AddOptions(stock ? stock->market : 0);                                              // 3 국가
  // 4 마켓: the listing's market code, else the market letter the master list gave the stock.
  AddOptions(l.market_code ? l.market_code : static_cast<uint8_t>(stock ? stock->marketLetter : 0));
  AddText(l.nxt ? L"NXT" : L"");                                                      // 5
  AddText(l.industry);                                                                // 6
  AddText(l.caution)->textColor = l.caution.empty() ? orv::ui::kColorNone : kRowRed;  // 7
  AddCheck(l.auto_trade != 0);                                                        // 8 자동
  AddText(stock ? stock->code : std::wstring())->backColor = kCodeBack;  // 9 종목코드
  auto* name = AddText(stock ? stock->name : std::wstring());            // 10 종목명
  name->textColor = (!l.caution.empty() || l.managed) ? kRowRed : kRowBlack;
  if (stock) AddScaledButton(name, L"주문/정보", kStockRowOrderButton, 58, m_scale);
  AddDate(l.expiry, "%Y-%m-%d");            // 11 만기일
  AddText(l.credit ? L"신용" : L"");        // 12 신용가능
  AddCheck(stock && stock->interest);  // 13 감시
  AddNumber(l.received, "%.0lf");           // 14 수신
  AddText(l.sector);                        // 15 섹터
  AddScaledButton(AddText(l.comment), L"...", kStockRowCommentButton, 22, m_scale);  // 16
  AddText(l.status);                                                       // 17 종목상태
  AddNumber(l.margin_rate, "%.0lf");                                       // 18 증거금율
  AddNumber(l.per, "%.0lf");                                               // 19 PER
  AddNumber(l.pbr, "%.0lf");                                               // 20 PBR
  AddText(l.managed ? L"관리" : L"")->textColor = kRowRed;                 // 21 관리종목
  AddCheck(l.alarm_on != 0);                                               // 22 알람
  AddNumber(l.alarm_rate, "%.1lf");                                        // 23 알람율
  AddOptions(l.alarm_kind);                                                // 24 알람형태
  for (int i = 0; i < 4; ++i) AddNumber(l.has_ma ? l.ma[i] : 0, "%.0lf");  // 25..28 MA
  AddNumber(l.has_ma ? l.vol5 : 0, "%.0lf");                               // 29 VOL5

  // 30..34: the envelope position of the price against the moving averages, with the
  // previous close as the upper bound of the band; 0 without moving averages.
  double forecast[5] = {};
  double score = 0;
  if (stock && l.has_ma) {
    const double levels[3] = {l.ma[0], l.ma[1], l.ma[2]};
    score = ScoreEnvelopePosition(price, levels, l.ma[3], price - change, forecast);
  }
  AddNumber(score, "%.1lf");
  AddNumber(forecast[1], "%.1lf");
  AddNumber(forecast[2]);
  AddNumber(forecast[3]);
  AddNumber(forecast[4]);

  AddNumber(stock ? stock->openPrice : 0, "%.0lf");      // 35 시초가
  AddNumber(stock ? stock->highPrice : 0, "%.0lf");      // 36 최고
  AddNumber(stock ? stock->lowPrice : 0, "%.0lf");       // 37 최저
  AddNumber(l.open_vs, "%.1lf%%");                       // 38
  AddNumber(l.low_vs, "%.1lf%%");                        // 39
  AddNumber(l.high_vs, "%.1lf%%");                       // 40
  AddNumber(l.trade_score, "%.1lf");                     // 41 매매점수
  AddNumber(l.foreign_rise, "%.1lf");                    // 42 외인상승
  AddNumber(stock ? stock->changeRate : 0, "%.1lf%%");   // 43 등락률
  // The change and the price are amounts in won: they carry no percent sign.
  AddNumber(change, "%.0lf");        // 44 등락
  AddNumber(l.prev_close, "%.0lf");  // 45 전일가
  AddNumber(price, "%.0lf");         // 46 현재가
  for (double v : {l.volume, l.expected_price, l.expected_qty, l.net_buy, l.net_sell, l.buy_ratio,
                   l.sell_ratio, l.strength, l.score})
    AddNumber(v, "%.0lf");                                  // 47..55
  AddIndicator(this, l.rsi, "%.2f", kRsiBack);              // 56..58
  AddIndicator(this, l.sto, "%.2f", kStoBack);              // 59..61
  AddIndicator(this, l.mfi, "%.2f", kRsiBack);              // 62..64
  AddIndicator(this, l.cci, "%.2f", kCciBack);              // 65..67
  AddIndicator(this, l.macd, "%.2f", kMacdBack);            // 68..70
  AddIndicator(this, l.psar, "%.0f", orv::ui::kColorNone);  // 71..73
  AddText();                                                // 74 추이
  AddText();                                                // 75 그림
  AddNumber(l.sensitivity_prev, "%.1f")->editable = true;   // 76 감도(전)
  AddNumber(l.sensitivity, "K%.1f")->editable = true;       // 77 감도

  // 78..137: the day values, then zeros up to 60 items.
  int days = 0;
  for (uint32_t v : l.day_values) {
    AddNumber(static_cast<double>(v), "%.0lf");
    ++days;
  }
  for (; days < kDayItemCount; ++days) AddNumber(0, "%.0lf");

  if (stock) {
    const COLORREF color = PriceColor(stock->changeRate);
    for (int item : {kAllItemPrice, kAllItemChange, kAllItemChangeRate})
      SetItemTextColor(item, color);
  }
}

CStockRecord::~CStockRecord() = default;

bool CStockRecord::ApplyQuote(const StockQuoteRow_s& q) {
  if (!HasStock()) return false;
  if (GetNumberValue(kAllItemPrice) == q.curPrice &&
      GetNumberValue(kAllItemChangeRate) == q.changeRate &&
      GetNumberValue(kAllItemChange) == q.change && GetNumberValue(kAllItemOpen) == q.openPrice &&
      GetNumberValue(kAllItemHigh) == q.highPrice && GetNumberValue(kAllItemLow) == q.lowPrice)
    return false;
  m_filter.curPrice = q.curPrice;
  m_filter.change = q.change;
  m_filter.changeRate = q.changeRate;
  const COLORREF color = PriceColor(q.changeRate);
  SetNumberColored(this, kAllItemPrice, q.curPrice, color);
  SetNumberColored(this, kAllItemOpen, q.openPrice, kRowBlack);
  SetNumberColored(this, kAllItemLow, q.lowPrice, kRowBlack);
  SetNumberColored(this, kAllItemHigh, q.highPrice, kRowBlack);
  SetNumberColored(this, kAllItemChange, q.change, color);
  SetNumberColored(this, kAllItemChangeRate, q.changeRate, color);
  return true;
}

// ---------------------------------------------------------------------------------------
// The own-stock grid's holding rows

bool ApplyHoldingRow(CRurezOzadoResultRecord* row, const HoldingRow_s& h, bool full,
                     const SYSTEMTIME* checkTime) {
  if (!row || !h.hasStock) return false;
  const double price = h.price;
  const COLORREF rateColor = PriceColor(h.changeRate);
  SetNumberColored(row, kMyItemPrice, price, rateColor);
  // The holding row's 등락 cell is a rate ("%.1f%%"): it shows the change rate, which is the
  // same in every quote currency.
  SetNumberColored(row, kMyItemChange, h.changeRate, rateColor);
  SetNumberColored(row, kMyItemStrength, h.strength, kRowBlack);
  SetNumberColored(row, kMyItemScore, h.score, PriceColor(h.score));
  row->SetNumberValue(kMyItemScoreDay, h.dayScore);
  row->SetNumberValue(kMyItemScoreMinute, h.minuteScore);
  // The valuation profit follows the valuation: the quote pass recomputes both.
  SetNumberColored(row, kMyItemProfit, h.profitAmount, PriceColor(h.profitAmount));
  row->SetNumberValue(kMyItemTax, h.tax);
  row->SetNumberValue(kMyItemFee, h.commission);
  row->SetNumberValue(kMyItemValuation, h.valuation);
  row->SetNumberValue(kMyItemPurchase, h.purchase);
  row->SetNumberValue(kMyItemCredit, h.loanAmount);
  SetNumberColored(row, kMyItemProfitRate, h.profitRate, PriceColor(h.profitRate));
  SetNumberColored(row, kMyItemKeptProfit, h.profitAmount, PriceColor(h.profitAmount));
  SetNumberColored(row, kMyItemBreakPoint, h.stepThreshold, PriceColor(h.stepThreshold));
  row->SetNumberValue(kMyItemAvgPrice, h.avgPrice);
  row->SetNumberValue(kMyItemQuantity, h.quantity);
  row->SetTimeValue(kMyItemCheckTime, checkTime ? *checkTime : h.checkTime);
  row->SetTimeValue(kMyItemInTime, h.entryTime);
  row->SetTimeValue(kMyItemOutTime, h.exitTime);
  if (!full) return true;

  row->SetNumberValue(kMyItemOrderQty, 0);
  row->SetNumberValue(kMyItemForeignDown, 0);
  row->SetNumberValue(kMyItemRebuyQty, 0);
  row->SetNumberValue(kMyItemRebuyLimit, 0);
  row->SetNumberValue(kMyItemSellForbidden, 0);
  row->SetNumberValue(kMyItemSplitQty, h.sellSplitQty);
  row->SetNumberValue(kMyItemSplitAmount, h.sellSplitQty * price);
  row->SetNumberValue(kMyItemStairs, h.curStep < 0 ? 0 : h.curStep);
  SetSellRatioCell(*row, h.sellRatio);
  SetStopLossCell(*row, h.stopLossRate);
  SetAutoTradeCell(*row, h.autoTrade);
  // The level cells show what the sell rules use, which is also what the user edits: the first
  // step's threshold, the step width and the split amount (the sell rate while none is set).
  SetMinProfitCell(*row, h.minTakeProfit);
  SetIntervalCell(*row, h.stepWidth);
  const double split = h.splitAmount != 0 ? h.splitAmount : h.sellRate;
  row->SetNumberValue(kMyItemSplit, split);
  row->SetItemBackColor(kMyItemSplit, SplitValueBack(split));
  row->SetTextValue(kMyItemLevelText, h.levelText);
  SetNumberColored(row, kMyItemInst10, h.inst10, PriceColor(h.inst10));
  SetNumberColored(row, kMyItemInstToday, h.instToday, PriceColor(h.instToday));
  row->SetNumberValue(kMyItemForeign10, h.foreign10);
  SetNumberColored(row, kMyItemForeignToday, h.foreignToday, PriceColor(h.foreignToday));
  row->SetNumberValue(kMyItemForeignUp, h.foreignUp);
  return true;
}

void WriteOwnGridTotals(CMyReportRecordBase* totalsRow, const OwnGridTotals_s& t) {
  if (!totalsRow) return;
  totalsRow->SetNumberValue(kMyItemPurchase, t.purchase);
  totalsRow->SetNumberValue(kMyItemCredit, t.credit);
  totalsRow->SetNumberValue(kMyItemValuation, t.valuation);
  totalsRow->SetNumberValue(kMyItemTax, t.tax);
  totalsRow->SetNumberValue(kMyItemFee, t.fee);
  SetNumberColored(totalsRow, kMyItemProfit, t.profit, PriceColor(t.profit));
  SetNumberColored(totalsRow, kMyItemProfitRate, t.profitRate, PriceColor(t.profitRate));
}

OwnGridTotals_s SumOwnGridTotals(orv::ui::CMyReportCtrl& grid) {
  OwnGridTotals_s totals;
  for (int i = 0; i < grid.GetRecordCount(); ++i) {
    auto* row = dynamic_cast<CRurezOzadoResultRecord*>(grid.GetRecord(i));
    if (!row || row->IsBlankRow()) continue;
    // The totals are those of the rows shown: a holding the balance no longer names keeps its
    // last values until its row is hidden.
    if (!row->IsVisible()) continue;
    totals.purchase += row->GetNumberValue(kMyItemPurchase);
    totals.credit += row->GetNumberValue(kMyItemCredit);
    totals.valuation += row->GetNumberValue(kMyItemValuation);
    totals.tax += row->GetNumberValue(kMyItemTax);
    totals.fee += row->GetNumberValue(kMyItemFee);
    totals.profit += row->GetNumberValue(kMyItemProfit);
  }
  totals.profitRate = totals.purchase > 0 ? totals.profit / totals.purchase * 100 : 0;
  if (grid.GetFooterRecordCount() > 0) WriteOwnGridTotals(grid.GetFooterRecord(0), totals);
  return totals;
}
