#include "plugin/view/StockRecord.h"

#include <cmath>
#include <unordered_set>

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

CStockRecord::CStockRecord(Stock_s* stock, int index, double scale)
    : CStockGridRecord(stock), m_scale(scale > 0 ? scale : 1.0) {
  static const StockListing_s kEmpty;
  const StockListing_s& l = stock ? stock->listing : kEmpty;
  const double price = stock ? stock->cur_price : 0;
  const double change = stock ? stock->change : 0;

  AddText();                                                                          // 0
  AddNumber(stock ? stock->list_index : 0);                                           // 1 IDX
  AddNumber(index);                                                                   // 2 순서
  AddOptions(stock ? stock->market : 0);                                              // 3 국가
  // 4 마켓: the listing's market code, else the market letter the master list gave the stock.
  AddOptions(l.market_code ? l.market_code : static_cast<uint8_t>(stock ? stock->market_letter : 0));
  AddText(l.nxt ? L"NXT" : L"");                                                      // 5
  AddText(l.industry);                                                                // 6
  AddText(l.caution)->textColor = l.caution.empty() ? orv::ui::kColorNone : kRowRed;  // 7
  AddCheck(l.auto_trade != 0);                                                        // 8 자동
  AddText(stock ? stock->code : L"")->backColor = kCodeBack;  // 9 종목코드
  auto* name = AddText(stock ? stock->name : L"");            // 10 종목명
  name->textColor = (!l.caution.empty() || l.managed) ? kRowRed : kRowBlack;
  if (stock) AddScaledButton(name, L"주문/정보", kStockRowOrderButton, 58, m_scale);
  AddDate(l.expiry, "%Y-%m-%d");            // 11 만기일
  AddText(l.credit ? L"신용" : L"");        // 12 신용가능
  AddCheck(stock && stock->interest != 0);  // 13 감시
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

  AddNumber(stock ? stock->open_price : 0, "%.0lf");     // 35 시초가
  AddNumber(stock ? stock->high_price : 0, "%.0lf");     // 36 최고
  AddNumber(stock ? stock->low_price : 0, "%.0lf");      // 37 최저
  AddNumber(l.open_vs, "%.1lf%%");                       // 38
  AddNumber(l.low_vs, "%.1lf%%");                        // 39
  AddNumber(l.high_vs, "%.1lf%%");                       // 40
  AddNumber(l.trade_score, "%.1lf");                     // 41 매매점수
  AddNumber(l.foreign_rise, "%.1lf");                    // 42 외인상승
  AddNumber(stock ? stock->change_rate : 0, "%.1lf%%");  // 43 등락률
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
    const COLORREF color = PriceColor(stock->change_rate);
    for (int item : {kAllItemPrice, kAllItemChange, kAllItemChangeRate})
      SetItemTextColor(item, color);
  }
}

CStockRecord::~CStockRecord() {
  // The stock must not keep pointing at a freed row.
  if (m_pStock && m_pStock->grid_row == static_cast<CMyReportRecordBase*>(this))
    m_pStock->grid_row = nullptr;
}

bool RefreshRowColours(CMyReportRecordBase* row) {
  auto* record = dynamic_cast<CStockGridRecord*>(row);
  Stock_s* stock = record ? record->GetStock() : nullptr;
  if (!stock) return false;
  const COLORREF color = PriceColor(stock->change_rate);
  SetNumberColored(row, kAllItemPrice, stock->cur_price, color);
  SetNumberColored(row, kAllItemOpen, stock->open_price, kRowBlack);
  SetNumberColored(row, kAllItemLow, stock->low_price, kRowBlack);
  SetNumberColored(row, kAllItemHigh, stock->high_price, kRowBlack);
  SetNumberColored(row, kAllItemChange, stock->change, color);
  SetNumberColored(row, kAllItemChangeRate, stock->change_rate, color);
  return true;
}

// ---------------------------------------------------------------------------------------
// The own-stock grid's holding rows

StockTrade_s* HeldHoldingOf(const CMyReportRecordBase* row, const HoldingMap& holdings) {
  const auto* record = dynamic_cast<const CRurezOzadoResultRecord*>(row);
  StockTrade_s* holding = record ? record->GetHolding() : nullptr;
  if (!holding) return nullptr;
  // The row's pointer may be stale: compare addresses only, never dereference it first.
  for (const auto& entry : holdings)
    if (entry.first == holding) return holding;
  return nullptr;
}

bool RefreshStockRow(CRurezOzadoResultRecord* row, bool full, const SYSTEMTIME* checkTime) {
  StockTrade_s* h = row ? row->GetHolding() : nullptr;
  Stock_s* s = h ? h->stock : nullptr;
  if (!s) return false;
  const StockListing_s& l = s->listing;
  const bool coin = s->market == kMarketCoin;
  const int currency = h->quote_currency < 2 ? h->quote_currency : 0;
  const double price =
      coin && s->coin_prices[currency] > 0 ? s->coin_prices[currency] : s->cur_price;
  const COLORREF rateColor = PriceColor(s->change_rate);
  SetNumberColored(row, kMyItemPrice, price, rateColor);
  // The holding row's 등락 cell is a rate ("%.1f%%"): it shows the change rate, which is the
  // same in every quote currency.
  SetNumberColored(row, kMyItemChange, s->change_rate, rateColor);
  SetNumberColored(row, kMyItemStrength, l.strength, kRowBlack);
  SetNumberColored(row, kMyItemScore, l.score, PriceColor(l.score));
  row->SetNumberValue(kMyItemScoreDay, s->day_score);
  row->SetNumberValue(kMyItemScoreMinute, s->minute_score);
  // The valuation profit follows the valuation: the quote pass recomputes both.
  SetNumberColored(row, kMyItemProfit, h->profit_amount, PriceColor(h->profit_amount));
  row->SetNumberValue(kMyItemTax, h->tax);
  row->SetNumberValue(kMyItemFee, h->commission);
  row->SetNumberValue(kMyItemValuation, h->valuation);
  row->SetNumberValue(kMyItemPurchase, h->purchase);
  row->SetNumberValue(kMyItemCredit, h->loan_amount);
  SetNumberColored(row, kMyItemProfitRate, h->profit_rate, PriceColor(h->profit_rate));
  SetNumberColored(row, kMyItemKeptProfit, h->profit_amount, PriceColor(h->profit_amount));
  SetNumberColored(row, kMyItemBreakPoint, h->step_threshold, PriceColor(h->step_threshold));
  row->SetNumberValue(kMyItemAvgPrice, h->avg_price);
  row->SetNumberValue(kMyItemQuantity, h->quantity);
  row->SetTimeValue(kMyItemCheckTime, checkTime ? *checkTime : h->check_time);
  row->SetTimeValue(kMyItemInTime, h->entry_time);
  row->SetTimeValue(kMyItemOutTime, h->exit_time);
  if (!full) return true;

  row->SetNumberValue(kMyItemOrderQty, 0);
  row->SetNumberValue(kMyItemForeignDown, 0);
  row->SetNumberValue(kMyItemRebuyQty, 0);
  row->SetNumberValue(kMyItemRebuyLimit, 0);
  row->SetNumberValue(kMyItemSellForbidden, 0);
  row->SetNumberValue(kMyItemSplitQty, h->sell_split_qty);
  row->SetNumberValue(kMyItemSplitAmount, h->sell_split_qty * price);
  row->SetNumberValue(kMyItemStairs, h->cur_step < 0 ? 0 : h->cur_step);
  row->SetOptionsValue(CRurezOzadoResultRecord::kColSellRatio, static_cast<int64_t>(h->sell_ratio));
  row->SetNumberValue(kMyItemStopLoss, h->stop_loss_rate);
  row->SetItemBackColor(kMyItemStopLoss, StopLossBack(h->stop_loss_rate));
  row->SetNumberValue(kMyItemMinProfit, h->profit_offset);
  row->SetItemBackColor(kMyItemMinProfit, StopLossBack(h->profit_offset));
  row->SetNumberValue(kMyItemStepGap, h->step_value);
  row->SetItemBackColor(kMyItemStepGap, SplitValueBack(h->step_value));
  row->SetNumberValue(kMyItemSplit, h->sell_rate);
  row->SetItemBackColor(kMyItemSplit, SplitValueBack(h->sell_rate));
  row->SetTextValue(kMyItemLevelText, h->level_text);
  SetNumberColored(row, kMyItemInst10, l.inst10, PriceColor(l.inst10));
  SetNumberColored(row, kMyItemInstToday, l.inst_today, PriceColor(l.inst_today));
  row->SetNumberValue(kMyItemForeign10, l.foreign10);
  SetNumberColored(row, kMyItemForeignToday, l.foreign_today, PriceColor(l.foreign_today));
  row->SetNumberValue(kMyItemForeignUp, l.foreign_up);
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

OwnGridTotals_s RefreshOwnGridRows(orv::ui::CMyReportCtrl& grid, const HoldingMap& holdings,
                                   const SYSTEMTIME* checkTime) {
  std::unordered_set<const StockTrade_s*> held;
  for (const auto& entry : holdings) held.insert(entry.first);
  OwnGridTotals_s totals;
  for (int i = 0; i < grid.GetRecordCount(); ++i) {
    auto* row = dynamic_cast<CRurezOzadoResultRecord*>(grid.GetRecord(i));
    if (!row || row->IsBlankRow()) continue;
    const StockTrade_s* h = row->GetHolding();
    if (h && held.count(h)) RefreshStockRow(row, false, checkTime);
    // The totals are those of the rows shown: a holding the balance no longer names keeps its
    // last values until its row is hidden, and its freed record is never read.
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
