#include "plugin/view/StockRecord.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/model/ReportCtrl.h"
#include "plugin/rows/RurezOzadoResultRecord.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/engine/EnvelopeScore.h"
#include "shared/StockRecords.h"

using orv::ui::CMyReportRecordBase;
using orv::ui::CMyReportRecordItem;

namespace {

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

namespace {

using orv::ui::CMyRecItemOptions;
using orv::ui::CMyReportRecordItemCheck;
using orv::ui::CMyReportRecordItemDateTime;
using orv::ui::CMyReportRecordItemNumber;
using orv::ui::CMyReportRecordItemText;
using orv::ui::kColorNone;
using ItemPtr = std::unique_ptr<CMyReportRecordItem>;

ItemPtr Number(double value, const char* format = nullptr, COLORREF back = kColorNone) {
  auto item = std::make_unique<CMyReportRecordItemNumber>(
      value, format ? std::string_view(format) : std::string_view());
  item->backColor = back;
  return item;
}

ItemPtr Text(std::wstring text, COLORREF color = kColorNone, COLORREF back = kColorNone) {
  auto item = std::make_unique<CMyReportRecordItemText>(std::move(text));
  item->textColor = color;
  item->backColor = back;
  return item;
}

// The indicator items 56..73: RSI, stochastic fast, MFI, CCI, MACD and P.SAR, three values
// each (day, minute, second minute) on the indicator's background.
ItemPtr IndicatorItem(const StockListing_s& l, int offset) {
  struct Indicator {
    const double* values;
    const char* format;
    COLORREF back;
  };
  const Indicator indicators[] = {{l.rsi, "%.2f", kRsiBack},  {l.sto, "%.2f", kStoBack},
                                  {l.mfi, "%.2f", kRsiBack},  {l.cci, "%.2f", kCciBack},
                                  {l.macd, "%.2f", kMacdBack}, {l.psar, "%.0f", kColorNone}};
  const Indicator& ind = indicators[offset / 3];
  return Number(ind.values[offset % 3], ind.format, ind.back);
}

}  // namespace

CStockRecord::CStockRecord(const StockRow_s* stock, int index, double scale)
    : CStockRecord(stock ? std::make_shared<const StockRow_s>(*stock) : nullptr, index, scale) {}

CStockRecord::CStockRecord(std::shared_ptr<const StockRow_s> stock, int index, double scale)
    : CStockGridRecord(stock ? stock->market : 0, stock ? stock->code : std::wstring()),
      m_scale(scale > 0 ? scale : 1.0),
      m_stock(std::move(stock)),
      m_order(index) {
  if (const StockRow_s* s = m_stock.get()) {
    const StockListing_s& l = s->listing;
    m_filter.managed = l.managed != 0;
    m_filter.caution2 = l.caution2 != 0;
    m_filter.listed = l.listed != 0;
    m_filter.credit = l.credit != 0;
    m_filter.caution = !l.caution.empty();
    m_filter.curPrice = s->curPrice;
    m_filter.change = s->change;
    m_filter.changeRate = s->changeRate;
    m_open = s->openPrice;
    m_high = s->highPrice;
    m_low = s->lowPrice;
  }
  MakeItemsLate();
}

CStockRecord::~CStockRecord() = default;

int CStockRecord::ItemCountToMake() const {
  const size_t days = m_stock ? m_stock->listing.day_values.size() : 0;
  return kAllStockItemCount + std::max(static_cast<int>(days), kDayItemCount);
}

void CStockRecord::MakeItems() {
  const int count = ItemCountToMake();
  ReserveItems(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) AddItem(MakeStockItem(i));
  m_stock.reset();  // the items hold the values from now on
}

std::unique_ptr<CMyReportRecordItem> CStockRecord::MakeLoneItem(int index) const {
  return MakeStockItem(index);
}

std::unique_ptr<CMyReportRecordItem> CStockRecord::MakeStockItem(int index) const {
  static const StockListing_s kEmpty;
  const StockRow_s* stock = m_stock.get();
  const StockListing_s& l = stock ? stock->listing : kEmpty;
  const double price = m_filter.curPrice;
  const double change = m_filter.change;
  // Price, change and rate are coloured by the rate's sign (the footer row keeps no colour).
  const COLORREF priceColor = stock ? PriceColor(m_filter.changeRate) : kColorNone;

  if (index >= kAllItemFirstDay) {
    // 78..: the day values, then zeros up to 60 items.
    const size_t day = static_cast<size_t>(index - kAllItemFirstDay);
    if (index >= ItemCountToMake()) return nullptr;
    return Number(day < l.day_values.size() ? static_cast<double>(l.day_values[day]) : 0,
                  "%.0lf");
  }
  if (index >= 56 && index <= 73) return IndicatorItem(l, index - 56);
  if (index >= 25 && index <= 28) return Number(l.has_ma ? l.ma[index - 25] : 0, "%.0lf");
  if (index >= 30 && index <= 34) {
    // The envelope position of the listed price against the moving averages, with the previous
    // close as the upper bound of the band; 0 without moving averages. Later quotes leave it.
    double forecast[5] = {};
    double score = 0;
    if (stock && l.has_ma) {
      const double levels[3] = {l.ma[0], l.ma[1], l.ma[2]};
      score = ScoreEnvelopePosition(stock->curPrice, levels, l.ma[3],
                                    stock->curPrice - stock->change, forecast);
    }
    if (index == kAllItemForecast) return Number(score, "%.1lf");
    return Number(forecast[index - kAllItemForecast], index == 31 ? "%.1lf" : nullptr);
  }
  if (index >= 47 && index <= 55) {
    const double values[] = {l.volume,   l.expected_price, l.expected_qty,
                             l.net_buy,  l.net_sell,       l.buy_ratio,
                             l.sell_ratio, l.strength,     l.score};
    return Number(values[index - 47], "%.0lf");
  }
  switch (index) {
    case 0:
      return Text({});
    case kAllItemIndex:  // IDX
      return Number(stock ? stock->listIndex : 0);
    case kAllItemOrder:  // 순서
      return Number(m_order);
    case kAllItemNation:  // 국가
      return std::make_unique<CMyRecItemOptions>(stock ? stock->market : 0);
    case kAllItemMarket:  // 마켓: the listing's market code, else the master list's letter
      return std::make_unique<CMyRecItemOptions>(
          l.market_code ? l.market_code : static_cast<uint8_t>(stock ? stock->marketLetter : 0));
    case 5:
      return Text(l.nxt ? L"NXT" : L"");
    case 6:
      return Text(l.industry);
    case kAllItemCaution:
      return Text(l.caution, l.caution.empty() ? kColorNone : kRowRed);
    case kAllItemAuto:  // 자동
      return std::make_unique<CMyReportRecordItemCheck>(l.auto_trade != 0);
    case kAllItemCode:  // 종목코드
      return Text(stock ? stock->code : std::wstring(), kColorNone, kCodeBack);
    case kAllItemName: {  // 종목명
      auto name = Text(stock ? stock->name : std::wstring(),
                       (!l.caution.empty() || l.managed) ? kRowRed : kRowBlack);
      if (stock) AddScaledButton(name.get(), L"주문/정보", kStockRowOrderButton, 58, m_scale);
      return name;
    }
    case 11:  // 만기일
      return std::make_unique<CMyReportRecordItemDateTime>(orv::ui::ReportItemKind::Date,
                                                           l.expiry, "%Y-%m-%d");
    case kAllItemCredit:  // 신용가능
      return Text(l.credit ? L"신용" : L"");
    case kAllItemWatch:  // 감시
      return std::make_unique<CMyReportRecordItemCheck>(stock && stock->interest);
    case 14:  // 수신
      return Number(l.received, "%.0lf");
    case 15:  // 섹터
      return Text(l.sector);
    case kAllItemComment: {
      auto comment = Text(l.comment);
      AddScaledButton(comment.get(), L"...", kStockRowCommentButton, 22, m_scale);
      return comment;
    }
    case 17:  // 종목상태
      return Text(l.status);
    case 18:  // 증거금율
      return Number(l.margin_rate, "%.0lf");
    case 19:  // PER
      return Number(l.per, "%.0lf");
    case 20:  // PBR
      return Number(l.pbr, "%.0lf");
    case kAllItemManaged:  // 관리종목
      return Text(l.managed ? L"관리" : L"", kRowRed);
    case 22:  // 알람
      return std::make_unique<CMyReportRecordItemCheck>(l.alarm_on != 0);
    case 23:  // 알람율
      return Number(l.alarm_rate, "%.1lf");
    case kAllItemAlarmKind:  // 알람형태
      return std::make_unique<CMyRecItemOptions>(l.alarm_kind);
    case 29:  // VOL5
      return Number(l.has_ma ? l.vol5 : 0, "%.0lf");
    case kAllItemOpen:  // 시초가
    case kAllItemHigh:  // 최고
    case kAllItemLow: {  // 최저
      auto item = Number(index == kAllItemOpen ? m_open : index == kAllItemHigh ? m_high : m_low,
                         "%.0lf");
      if (m_quoted) item->textColor = kRowBlack;  // as a quote writes them
      return item;
    }
    case 38:
      return Number(l.open_vs, "%.1lf%%");
    case 39:
      return Number(l.low_vs, "%.1lf%%");
    case 40:
      return Number(l.high_vs, "%.1lf%%");
    case 41:  // 매매점수
      return Number(l.trade_score, "%.1lf");
    case 42:  // 외인상승
      return Number(l.foreign_rise, "%.1lf");
    case kAllItemChangeRate: {  // 등락률
      auto item = Number(m_filter.changeRate, "%.1lf%%");
      item->textColor = priceColor;
      return item;
    }
    case kAllItemChange: {  // 등락: an amount in won, without a percent sign
      auto item = Number(change, "%.0lf");
      item->textColor = priceColor;
      return item;
    }
    case kAllItemPrevClose:  // 전일가
      return Number(l.prev_close, "%.0lf");
    case kAllItemPrice: {  // 현재가
      auto item = Number(price, "%.0lf");
      item->textColor = priceColor;
      return item;
    }
    case 74:  // 추이
    case 75:  // 그림
      return Text({});
    case 76:  // 감도(전)
      return Number(l.sensitivity_prev, "%.1f");
    case kAllItemSensitivity:  // 감도
      return Number(l.sensitivity, "K%.1f");
    default:
      return nullptr;
  }
}

bool CStockRecord::ApplyQuote(const StockQuoteRow_s& q) {
  if (!HasStock()) return false;
  // The quote shown: the cells' once they are made (an edit may have changed one).
  const bool same =
      ItemsMade()
          ? GetNumberValue(kAllItemPrice) == q.curPrice &&
                GetNumberValue(kAllItemChangeRate) == q.changeRate &&
                GetNumberValue(kAllItemChange) == q.change &&
                GetNumberValue(kAllItemOpen) == q.openPrice &&
                GetNumberValue(kAllItemHigh) == q.highPrice &&
                GetNumberValue(kAllItemLow) == q.lowPrice
          : m_filter.curPrice == q.curPrice && m_filter.changeRate == q.changeRate &&
                m_filter.change == q.change && m_open == q.openPrice &&
                m_high == q.highPrice && m_low == q.lowPrice;
  if (same) return false;
  m_filter.curPrice = q.curPrice;
  m_filter.change = q.change;
  m_filter.changeRate = q.changeRate;
  m_open = q.openPrice;
  m_high = q.highPrice;
  m_low = q.lowPrice;
  m_quoted = true;
  // A row whose items are not made yet has never been drawn: its items take the quote when
  // they are made.
  if (!ItemsMade()) return true;
  const COLORREF color = PriceColor(q.changeRate);
  SetNumberColored(this, kAllItemPrice, q.curPrice, color);
  SetNumberColored(this, kAllItemOpen, q.openPrice, kRowBlack);
  SetNumberColored(this, kAllItemLow, q.lowPrice, kRowBlack);
  SetNumberColored(this, kAllItemHigh, q.highPrice, kRowBlack);
  SetNumberColored(this, kAllItemChange, q.change, color);
  SetNumberColored(this, kAllItemChangeRate, q.changeRate, color);
  return true;
}

void CStockRecord::SetOrder(int order) {
  m_order = order;
  if (ItemsMade()) SetNumberValue(kAllItemOrder, order);
}

std::wstring CStockRecord::StockName() const {
  if (!ItemsMade()) return m_stock ? m_stock->name : std::wstring();
  return GetTextValue(kAllItemName);
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
