#include "plugin/view/HoldingsGrid.h"

#include <memory>

#include "platform/ui/model/ReportCtrl.h"
#include "plugin/rows/RurezOzadoResultRecord.h"
#include "plugin/view/StockRecord.h"

namespace {
// A row is hidden once its holding missed this many refreshes in a row.
constexpr uint32_t kMissesToHide = 2;
// The per-stock level cells that the sell-one-by-one switch opens for editing.
constexpr int kOneByOneItems[4] = {
    CRurezOzadoResultRecord::kColSellRatio, CRurezOzadoResultRecord::kColStopLoss,
    CRurezOzadoResultRecord::kColMinProfit, CRurezOzadoResultRecord::kColStepInterval};
}  // namespace

HoldingKey_s KeyOf(const CRurezOzadoResultRecord& row) {
  return HoldingKey_s{row.GetAccountId(), row.GetCode(), row.GetCreditKind()};
}

CHoldingsGrid::Identity CHoldingsGrid::IdentityOf(const HoldingRow_s& h) {
  return Identity(h.key.accountNo, h.accountIndex, h.market, h.key.holdingKind, h.credit,
                  h.key.code);
}

CRurezOzadoResultRecord* CHoldingsGrid::MakeRow(const HoldingRow_s& h) {
  RurezOzadoRowValues v;
  v.market = h.marketLetter;
  v.stockMarket = h.market;
  v.brokerId = h.brokerId;
  v.nation = h.nation;
  v.rowNumber = h.runningIndex + 1;
  v.creditKind = h.key.holdingKind;
  v.accountId = h.key.accountNo;
  v.code = h.key.code;
  v.name = h.name;
  v.autoTrade = h.autoTrade;
  // 매도비중 is the share of the quantity the split sells aim at; 분할률/금액 the sell-rate level.
  v.sellRatio = h.sellRatio;
  v.stopLossRate = h.stopLossRate;
  v.minProfit = h.minTakeProfit;
  v.stepInterval = h.stepWidth;
  v.splitRateOrAmount = h.splitAmount != 0 ? h.splitAmount : h.sellRate;
  v.curPrice = h.price;
  v.changeRate = h.changeRate;
  v.quantity = h.quantity;
  v.valuation = h.valuation;
  v.valuationProfit = h.profit;
  v.profitRate = h.profitRate;
  v.purchaseAmount = h.purchase;
  v.creditAmount = h.loanAmount;
  v.tax = h.tax;
  v.commission = h.commission;
  v.buyExchangeRate = h.buyExchangeRate;
  v.dayScore = h.dayScore;
  v.minuteScore = h.minuteScore;
  v.checkTime = h.checkTime;
  v.entryTime = h.entryTime;
  v.exitTime = h.exitTime;
  auto* row = new CRurezOzadoResultRecord(m_scale, v);
  m_grid.AddRecord(row);
  for (int item : kOneByOneItems)
    if (item < row->GetItemCount()) row->SetItemEditable(item, m_sellOneByOne);
  return row;
}

int CHoldingsGrid::RefreshHoldingsGrid(const std::vector<HoldingRow_s>& holdings) {
  ++m_generation;
  if (m_log)
    m_log(L"▶ [UI] 계좌 " + std::to_wstring(holdings.size()) + L"개 갱신 시작[" +
          std::to_wstring(m_generation) + L"]\n");
  int added = 0, shownAgain = 0, hidden = 0;
  for (const HoldingRow_s& h : holdings) {
    if (h.quantity <= 0) continue;
    Entry& entry = m_index[IdentityOf(h)];
    if (entry.row) {
      if (!entry.shown) {
        entry.row->SetVisible(true);
        entry.shown = true;
        ++shownAgain;
      }
    } else {
      entry.row = MakeRow(h);
      entry.shown = true;
      ++added;
    }
    // Every row shows its holding's levels as the balance left them.
    ApplyHoldingRow(entry.row, h, true);
    entry.held = true;
    entry.generation = m_generation;
    entry.misses = 0;
  }
  for (auto& item : m_index) {
    Entry& entry = item.second;
    if (entry.generation == m_generation) continue;
    if (entry.held && entry.row) {
      // Nothing trades on this row any more.
      SetAutoTradeCell(*entry.row, false);
    }
    entry.held = false;
    ++entry.misses;
    if (entry.shown && entry.misses >= kMissesToHide) {
      if (entry.row) entry.row->SetVisible(false);
      entry.shown = false;
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

CHoldingsGrid::Entry* CHoldingsGrid::HeldEntry(const HoldingRow_s& h) {
  auto found = m_index.find(IdentityOf(h));
  if (found == m_index.end() || !found->second.held || !found->second.row) return nullptr;
  return &found->second;
}

int CHoldingsGrid::ApplyQuotes(const std::vector<HoldingRow_s>& holdings,
                               const SYSTEMTIME* checkTime) {
  int written = 0;
  for (const HoldingRow_s& h : holdings)
    if (Entry* entry = HeldEntry(h)) written += ApplyHoldingRow(entry->row, h, false, checkTime);
  return written;
}

int CHoldingsGrid::ApplyRows(const std::vector<HoldingRow_s>& holdings) {
  int written = 0;
  for (const HoldingRow_s& h : holdings)
    if (Entry* entry = HeldEntry(h)) written += ApplyHoldingRow(entry->row, h, true);
  if (written > 0) m_grid.RedrawControl();
  return written;
}

void CHoldingsGrid::EnsureHoldingsFooter() {
  if (m_footers[0]) return;
  RurezOzadoRowValues first;
  first.name = L"전체 주식(자동 체크 권장)";
  m_footers[0] = static_cast<CRurezOzadoResultRecord*>(
      m_grid.AddFooterRecord(std::make_unique<CRurezOzadoResultRecord>(m_scale, first)));
  m_footers[1] = static_cast<CRurezOzadoResultRecord*>(m_grid.AddFooterRecord(
      std::make_unique<CRurezOzadoResultRecord>(m_scale, RurezOzadoRowValues())));
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

CRurezOzadoResultRecord* CHoldingsGrid::RowOf(const HoldingKey_s& key) const {
  for (const auto& [identity, entry] : m_index)
    if (entry.held && entry.row && std::get<0>(identity) == key.accountNo &&
        std::get<3>(identity) == key.holdingKind && std::get<5>(identity) == key.code)
      return entry.row;
  return nullptr;
}

bool CHoldingsGrid::IsHeld(const CRurezOzadoResultRecord* row) const {
  if (!row) return false;
  for (const auto& item : m_index)
    if (item.second.row == row) return item.second.held;
  return false;
}
