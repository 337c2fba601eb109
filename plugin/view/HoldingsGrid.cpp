#include "plugin/view/HoldingsGrid.h"

#include <cwchar>
#include <memory>
#include <unordered_set>

#include "platform/ui/model/ReportCtrl.h"
#include "plugin/rows/RurezOzadoResultRecord.h"

namespace {
// A row is hidden once its holding missed this many refreshes in a row.
constexpr uint32_t kMissesToHide = 2;
// The automatic-trading cell's background while off.
constexpr COLORREF kAutoTradeOffBack = 0xE6E022;
// The per-stock level cells that the sell-one-by-one switch opens for editing.
constexpr int kOneByOneItems[4] = {
    CRurezOzadoResultRecord::kColSellRatio, CRurezOzadoResultRecord::kColStopLoss,
    CRurezOzadoResultRecord::kColMinProfit, CRurezOzadoResultRecord::kColStepInterval};
}  // namespace

CHoldingsGrid::Identity CHoldingsGrid::IdentityOf(const StockTrade_s& h) {
  return Identity(h.account_no, h.account_index, h.stock ? h.stock->market : 0, h.holding_kind,
                  h.credit, h.stock);
}

void CHoldingsGrid::FillRow(CRurezOzadoResultRecord& row, const StockTrade_s& h) {
  row.SetNumberValue(CRurezOzadoResultRecord::kColCurPrice, h.stock ? h.stock->cur_price : 0);
  row.SetNumberValue(CRurezOzadoResultRecord::kColAvgPrice, h.avg_price);
  row.SetNumberValue(CRurezOzadoResultRecord::kColProfitRate, h.profit_rate);
  row.SetNumberValue(CRurezOzadoResultRecord::kColPurchase, h.purchase);
  row.SetNumberValue(CRurezOzadoResultRecord::kColValuationProfit, h.profit_amount);
}

CRurezOzadoResultRecord* CHoldingsGrid::MakeRow(StockTrade_s* h) {
  RurezOzadoRowValues v;
  Stock_s* stock = h->stock;
  v.market = stock ? static_cast<uint8_t>(stock->market_letter ? stock->market_letter : '1') : '1';
  v.rowNumber = h->running_index + 1;
  v.creditKind = h->holding_kind;
  v.accountId = h->account_no;
  v.code = h->code;
  v.name = stock ? stock->name : std::wstring();
  v.autoTrade = h->auto_trade != 0;
  // 매도비중 is the share of the quantity the split sells aim at; 분할률/금액 the sell-rate level.
  v.sellRatio = h->sell_ratio;
  v.stopLossRate = h->stop_loss_rate;
  v.minProfit = h->profit_offset;
  v.stepInterval = h->step_value;
  v.splitRateOrAmount = h->sell_rate;
  v.curPrice = stock ? stock->cur_price : 0;
  v.changeRate = stock ? stock->change_rate : 0;
  v.quantity = h->quantity;
  v.valuation = h->valuation;
  v.valuationProfit = h->profit;
  v.profitRate = h->profit_rate;
  v.purchaseAmount = h->purchase;
  auto* row = new CRurezOzadoResultRecord(m_scale, h, stock, v);
  m_grid.AddRecord(row);
  for (int item : kOneByOneItems)
    if (item < row->GetItemCount()) row->SetItemEditable(item, m_sellOneByOne);
  return row;
}

int CHoldingsGrid::RefreshHoldingsGrid(const HoldingMap* holdings) {
  if (!holdings) return 0;
  ++m_generation;
  if (m_log)
    m_log(L"▶ [UI] 계좌 " + std::to_wstring(holdings->size()) + L"개 갱신 시작[" +
          std::to_wstring(m_generation) + L"]\n");
  int added = 0, shownAgain = 0, hidden = 0;
  std::unordered_set<const StockTrade_s*> live;
  for (const auto& item : *holdings) {
    StockTrade_s* h = item.first;
    live.insert(h);
    if (h->quantity <= 0) continue;
    Entry& entry = m_index[IdentityOf(*h)];
    if (entry.row) {
      entry.row->SetHolding(h);
      FillRow(*entry.row, *h);
      if (!entry.shown) {
        entry.row->SetVisible(true);
        entry.shown = true;
        ++shownAgain;
      }
      if (entry.removed) {
        entry.removed = false;
        h->removed = 0;
      }
    } else {
      entry.row = MakeRow(h);
      entry.shown = true;
      ++added;
    }
    h->grid_row = entry.row;
    entry.generation = m_generation;
    entry.misses = 0;
    entry.stock = h->stock;
    entry.holding = h;
  }
  for (auto& item : m_index) {
    Entry& entry = item.second;
    if (entry.generation == m_generation) continue;
    // A holding the balance query freed is never touched again, by the index or by its row.
    if (entry.holding && !live.count(entry.holding)) {
      entry.holding = nullptr;
      if (entry.row) {
        // Nothing trades on this row any more.
        entry.row->SetHolding(nullptr);
        entry.row->SetCheckValue(CRurezOzadoResultRecord::kColAutoTrade, false);
        entry.row->SetItemBackColor(CRurezOzadoResultRecord::kColAutoTrade, kAutoTradeOffBack);
      }
    }
    ++entry.misses;
    if (entry.shown && entry.misses >= kMissesToHide) {
      if (entry.row) entry.row->SetVisible(false);
      entry.shown = false;
      entry.removed = true;
      if (entry.holding) {
        entry.holding->removed = 1;
        entry.holding->grid_row = nullptr;
      }
      ++hidden;
    }
  }
  if (added > 0) EnsureHoldingsFooter();
  if (added > 0 || shownAgain > 0 || hidden > 0) {
    m_grid.Populate();
    if (m_redraw) m_redraw();
  }
  m_grid.RedrawControl();
  if (m_log) m_log(L"▶ [UI] 계좌 " + std::to_wstring(added) + L"개 갱신 완료\n");
  return added;
}

void CHoldingsGrid::EnsureHoldingsFooter() {
  if (m_footers[0]) return;
  RurezOzadoRowValues first;
  first.name = L"전체 주식(자동 체크 권장)";
  m_footers[0] = static_cast<CRurezOzadoResultRecord*>(m_grid.AddFooterRecord(
      std::make_unique<CRurezOzadoResultRecord>(m_scale, nullptr, nullptr, first)));
  m_footers[1] = static_cast<CRurezOzadoResultRecord*>(m_grid.AddFooterRecord(
      std::make_unique<CRurezOzadoResultRecord>(m_scale, nullptr, nullptr, RurezOzadoRowValues())));
}

void CHoldingsGrid::Reset() {
  m_index.clear();
  m_footers[0] = m_footers[1] = nullptr;
}

void CHoldingsGrid::RemoveRows() {
  for (auto& item : m_index) {
    Entry& entry = item.second;
    if (entry.row) m_grid.RemoveRecord(entry.row);
  }
  m_index.clear();
  m_grid.Populate();
}

int CHoldingsGrid::ShownRows() const {
  int shown = 0;
  for (const auto& item : m_index) shown += item.second.shown ? 1 : 0;
  return shown;
}

CRurezOzadoResultRecord* CHoldingsGrid::RowOf(const StockTrade_s* holding) const {
  for (const auto& item : m_index)
    if (item.second.holding == holding) return item.second.row;
  return nullptr;
}
