// The "주문 내역" tab: one trade-result row per order of this run, newest last, and a caption
// that counts them.

#include <wx/notebook.h>

#include <cstdio>

#include "platform/ui/model/ReportCtrl.h"
#include "plugin/rows/RurezOzadoResultRecord.h"
#include "plugin/view/PelomarView.h"

namespace {
constexpr int kOrderHistoryTab = 2;
}  // namespace

CRurezOzadoResultRecord* CPelomarView::AddOrderHistoryRow(const OrderHistoryRow_s& row) {
  orv::ui::CMyReportCtrl* grid = m_orderHistoryGrid.get();
  if (!grid || row.code.empty()) return nullptr;
  RurezOzadoRowValues values;
  values.market = row.marketLetter ? static_cast<uint8_t>(row.marketLetter) : row.market;
  values.stockMarket = row.market;
  values.nation = row.nation;
  values.rowNumber = m_orderHistoryCount + 1;
  values.kindValue = row.side;
  values.putFlag = row.intValue;
  values.code = row.code;
  values.name = row.name;
  values.orderQty = row.quantity;
  values.quantity = row.quantity;
  values.curPrice = row.price;
  values.changeRate = row.changeRate;
  values.profitRate = row.profitRate;
  values.purchaseAmount = row.amount;
  values.loanFlag = row.credit ? 1 : 0;
  auto record = std::make_unique<CRurezOzadoResultRecord>(1.0, values);
  record->SetTimeValue(CRurezOzadoResultRecord::kColCheckTime, row.orderClock);
  auto* added = static_cast<CRurezOzadoResultRecord*>(grid->AddRecord(std::move(record)));
  grid->Populate();

  ++m_orderHistoryCount;
  if (m_tabs && m_tabs->GetPageCount() > kOrderHistoryTab) {
    wchar_t caption[64];
    std::swprintf(caption, 64, L"주문 내역:%d건", m_orderHistoryCount);
    m_tabs->SetPageText(kOrderHistoryTab, wxString(caption));
  }
  return added;
}
