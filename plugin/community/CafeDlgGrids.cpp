#include "plugin/community/CafeDlgGrids.h"

#include <cwchar>

#include "plugin/rows/CafeStockRecord.h"
#include "plugin/rows/GridConstraints.h"
#include "shared/StockRecords.h"

using orv::ui::CMyReportCtrl;
using orv::ui::CMyReportRecordBase;

namespace {

// The name a row shows for a stock the user's membership does not open.
constexpr const wchar_t* kMaskedName = L"***";
// The "no value" of a stock's cafe rates.
constexpr double kNoCafeRate = -100.0;

constexpr int kFrozenColumns = 2;

void InitGrid(CMyReportCtrl& grid, int id, const char* layout) {
  grid.SetCtrlId(id);
  grid.InitColumns(std::string_view(layout));
  grid.FreezeColumns(kFrozenColumns);
}

// The row of `grid` that is `record`, found by address alone (a stale pointer is never read).
CCafeStockRecord* FindGridRow(const CMyReportCtrl& grid, const void* record) {
  if (!record) return nullptr;
  for (int i = 0; i < grid.GetRecordCount(); ++i) {
    CMyReportRecordBase* row = grid.GetRecord(i);
    if (row == record) return dynamic_cast<CCafeStockRecord*>(row);
  }
  return nullptr;
}

}  // namespace

int32_t GfxFillGroupsToConstraints(orv::ui::CReportEditOptions* options, const CafeMap& cafes,
                                   CafePicker_s* picker, int32_t select) {
  if (picker) picker->entries.Clear();
  bool found = false;
  for (const auto& [index, cafe] : cafes) {
    if (!cafe) continue;
    if (options) options->constraints.Add(index, cafe->title);
    if (picker) picker->entries.Add(index, cafe->title);
    if (index == select) found = true;
  }
  const int32_t selected = found ? select : 0;
  if (picker) picker->selected = selected;
  return selected;
}

CafeStockValues_s MakeCafeRowValues(const CafeRecItemValues_s& item, int32_t approval,
                                    uint8_t manager) {
  CafeStockValues_s v;
  v.tradeSide = item.tradeSide;
  v.elapsed1 = item.elapsed;
  v.recPrice = item.recPrice;
  v.takeProfitRate1 = item.takeProfitRate1;
  v.takeProfitRate2 = item.takeProfitRate2;
  v.lowestTakeProfitPrice = item.targetPrice;
  v.stopLossRate = item.stopLossRate;
  v.stopLossPrice = item.cutPrice;
  v.buyReason = item.buyReason;
  v.sellReason = item.sellReason;
  v.recommenderName = item.author;
  v.likes = item.likes;
  v.recDate = item.recDate;
  v.approval = approval;
  v.profit = item.profit;
  v.dailyProfit = item.dailyProfit;
  v.manager = manager;
  return v;
}

namespace {

// A shown row takes the download's new numbers (the texts stay as the user may have edited
// them).
void RefreshCafeRow(CCafeStockRecord& row, const CafeRecItemValues_s& item) {
  row.SetOptionsValue(CCafeStockRecord::kColTradeSide, item.tradeSide);
  row.SetNumberValue(CCafeStockRecord::kColRecPrice, item.recPrice);
  row.SetNumberValue(CCafeStockRecord::kColProfit, item.profit);
  row.SetNumberValue(15, item.elapsed);
  row.SetNumberValue(CCafeStockRecord::kColDailyProfit, item.dailyProfit);
  row.SetNumberValue(18, item.takeProfitRate1);
  row.SetNumberValue(19, item.takeProfitRate2);
  row.SetNumberValue(CCafeStockRecord::kColLowestTakeProfit, item.targetPrice);
  row.SetNumberValue(21, item.stopLossRate);
  row.SetNumberValue(CCafeStockRecord::kColStopLossPrice, item.cutPrice);
}

int RecordIndex(const CMyReportCtrl& grid, const CMyReportRecordBase* record) {
  for (int i = 0; i < grid.GetRecordCount(); ++i)
    if (grid.GetRecord(i) == record) return i;
  return -1;
}

// True when a shown row no longer matches what the download says of the recommendation's
// standing: its approval, its state or the viewer's manager flag chose the row's name and
// buttons when it was built, so it has to be built again.
bool ShownRowOutdated(const CCafeStockRecord& row, const Stock_s& stock, int32_t cafeIndex,
                      const CafeRecItemValues_s& item, uint8_t manager) {
  const int32_t cafe = cafeIndex >= 1 ? cafeIndex : stock.cafe_index;
  const int32_t approval = cafe == stock.cafe_index && stock.cafe_approved != 0 ? 1 : 0;
  const int32_t state = item.closed ? kCafeStateDone : kCafeStateBuying;
  if (static_cast<int32_t>(row.GetNumberValue(CCafeStockRecord::kColApproval)) != approval ||
      row.GetOptionsValue(CCafeStockRecord::kColState) != state)
    return true;
  if (approval != 1) return false;
  bool managerButton = false;
  if (const auto* name = row.GetItem(CCafeStockRecord::kColName))
    for (const auto& button : name->buttons)
      managerButton |= button.id == kCafeButtonSell || button.id == kCafeButtonRebuy;
  return managerButton != (manager != 0);
}

}  // namespace

int AddCafeStockRows(CMyReportCtrl& grid, int slot, double screenScale,
                     const std::map<std::wstring, Stock_s*>& items, int32_t cafeIndex,
                     const std::map<std::wstring, CafeRecItemValues_s>* values, uint8_t manager) {
  int added = 0;
  int built = 0;  // new rows and rows built again
  for (const auto& entry : items) {
    Stock_s* stock = entry.second;
    if (!stock) continue;
    if (cafeIndex >= 1) stock->cafe_index = cafeIndex;
    const CafeRecItemValues_s* item = nullptr;
    if (values) {
      const auto found = values->find(entry.first);
      if (found != values->end()) item = &found->second;
    }
    // Shown already: the slot's row is in the grid and shows this stock.
    CCafeStockRecord* outdated = nullptr;
    CCafeStockRecord* shown = FindGridRow(grid, stock->row_refs[slot]);
    if (shown && shown->GetStock() == stock) {
      if (!item) continue;
      if (!ShownRowOutdated(*shown, *stock, cafeIndex, *item, manager)) {
        RefreshCafeRow(*shown, *item);
        continue;
      }
      // Built again in its place (below): the stock points at the new row.
      stock->row_refs[slot] = nullptr;
      shown->SetStock(nullptr);
      outdated = shown;
    }
    ++built;
    int32_t number = outdated ? static_cast<int32_t>(outdated->GetNumberValue(
                                    CCafeStockRecord::kColNo))
                              : ++added;
    const bool open = cafeIndex == stock->cafe_index && stock->cafe_approved != 0;
    CafeStockValues_s rowValues;
    int32_t state = 0;
    if (item) {
      rowValues = MakeCafeRowValues(*item, open ? 1 : 0, manager);
      if (item->recIndex >= 1) number = item->recIndex;
      state = item->closed ? kCafeStateDone : kCafeStateBuying;
    }
    auto* row = new CCafeStockRecord(screenScale, number, cafeIndex, state, stock->nation,
                                     stock->market_letter, stock->code,
                                     open ? stock->name : std::wstring(kMaskedName), nullptr,
                                     rowValues);
    row->SetStock(stock);
    stock->row_refs[slot] = row;
    if (outdated) {
      grid.InsertRecord(RecordIndex(grid, outdated), std::unique_ptr<CCafeStockRecord>(row));
      grid.RemoveRecord(outdated);
    } else {
      grid.AddRecord(row);
    }
  }
  if (built == 0)
    grid.RedrawControl();
  else
    grid.Populate();
  return added;
}

int32_t FillCafeColumnAndPicker(CMyReportCtrl& grid, const CafeMap& cafes, CafePicker_s* picker,
                                int32_t select) {
  orv::ui::CReportEditOptions* options = grid.GetColumnEditOptions(CCafeStockRecord::kColCafe);
  if (options) {
    options->constraints.Clear();
    options->allowEdit = true;
    options->comboButton = false;
  }
  return GfxFillGroupsToConstraints(options, cafes, picker, select);
}

std::map<std::wstring, Stock_s*> TakeCafeStocks(
    std::map<std::wstring, std::unique_ptr<Stock_s>>& stocks, const CafeSnapshot_s& snapshot) {
  std::map<std::wstring, Stock_s*> items;
  for (const CafeRecStock_s& recStock : snapshot.recStocks) {
    std::unique_ptr<Stock_s>& stock = stocks[recStock.code];
    if (!stock) stock = std::make_unique<Stock_s>();
    std::wcsncpy(stock->code, recStock.code.c_str(), kStockCodeLen);
    stock->code[kStockCodeLen] = L'\0';
    stock->name = recStock.name;
    stock->market = recStock.market;
    stock->market_letter = recStock.marketLetter;
    stock->nation = recStock.nation;
    stock->cafe_approved = recStock.approved;
    items.emplace(recStock.code, stock.get());
  }
  return items;
}

CCafeDlgGrids::CCafeDlgGrids() {
  InitGrid(m_interestGrid, kCafeInterestGridId, kCafeInterestGridLayout);
  InitGrid(m_expertGrid, kCafeExpertGridId, kCafeExpertGridLayout);
  InitGrid(m_memberGrid, kCafeMemberGridId, kCafeMemberGridLayout);
  for (CMyReportCtrl* grid : {&m_interestGrid, &m_expertGrid}) {
    GfxFillTradeSideConstraints(grid->GetColumnEditOptions(CCafeStockRecord::kColTradeSide), 0, 1);
    GfxFillNationConstraints(grid->GetColumnEditOptions(CCafeStockRecord::kColNation), 0, 1);
  }
  GfxFillBuyStateConstraints(m_interestGrid.GetColumnEditOptions(CCafeStockRecord::kColState), 0,
                             1);
  GfxFillMemberLevelConstraints(m_memberGrid.GetColumnEditOptions(5), 0, 1);
}

CCafeDlgGrids::~CCafeDlgGrids() {
  // The stocks go with this object; no slot of theirs may point at a freed row meanwhile.
  ClearRecGrids();
}

int32_t CCafeDlgGrids::FillCafeGroups(const CafeMap& cafes, int32_t select) {
  if (select < 0) select = m_currentCafe;
  m_currentCafe = FillCafeColumnAndPicker(m_interestGrid, cafes, &m_picker, select);
  return m_currentCafe;
}

void CCafeDlgGrids::SelectCafe(int32_t cafe) {
  m_currentCafe = m_picker.entries.IndexOfValue(cafe) >= 0 ? cafe : 0;
  m_picker.selected = m_currentCafe;
}

int CCafeDlgGrids::FillRecItemRows(const std::map<std::wstring, Stock_s*>& items,
                                   int32_t cafeIndex, int /*unused*/, bool clearFirst,
                                   const std::map<std::wstring, CafeRecItemValues_s>* values) {
  if (clearFirst) ClearRecGrids();
  AddCafeStockRows(m_interestGrid, kRowSlotCafeInterest, m_screenScale, items, cafeIndex, values,
                   m_managerFlag ? 1 : 0);
  return 0;
}

void CCafeDlgGrids::ClearRecGrids() {
  UnlinkGridRows(m_interestGrid, kRowSlotCafeInterest, true);
  UnlinkGridRows(m_expertGrid, kRowSlotCellButton, true);
  m_interestGrid.ResetContent();
  m_interestGrid.RedrawControl();
  m_expertGrid.ResetContent();
  m_expertGrid.RedrawControl();
}

void CCafeDlgGrids::UnlinkGridRows(CMyReportCtrl& grid, int slot, bool detach) {
  for (int i = 0; i < grid.GetRecordCount(); ++i) {
    auto* row = dynamic_cast<CCafeStockRecord*>(grid.GetRecord(i));
    if (!row || !row->GetStock()) continue;
    Stock_s* stock = row->GetStock();
    stock->cafe_index = 0;
    stock->cafe_state = 0;
    stock->cafe_rates[0] = kNoCafeRate;
    stock->cafe_rates[1] = kNoCafeRate;
    if (slot >= 0 && slot < kStockRowSlotCount && stock->row_refs[slot])
      stock->row_refs[slot] = nullptr;
    if (detach) row->SetStock(nullptr);
  }
}

void CCafeDlgGrids::FillCafeGroups(const CafeSnapshotPtr& snapshot) {
  if (snapshot) FillCafeGroups(*snapshot->cafes, snapshot->currentCafeIndex);
}

void CCafeDlgGrids::FillCafeRows(const CafeSnapshotPtr& snapshot) {
  if (!snapshot) return;
  // The rows show one cafe: the stocks of another cafe replace them, not join them.
  if (snapshot->recItemsCafe != m_rowsCafe) {
    ClearRecGrids();
    m_stocks.clear();
    m_rowsCafe = snapshot->recItemsCafe;
  }
  std::map<std::wstring, CafeRecItemValues_s> values;
  for (const CafeRecStock_s& recStock : snapshot->recStocks)
    values.emplace(recStock.code, recStock.values);
  FillRecItemRows(TakeCafeStocks(m_stocks, *snapshot), snapshot->recItemsCafe, 0, false, &values);
}

void CCafeDlgGrids::SetCafeManagerFlags(int managerFlag, bool chiefManager) {
  m_managerFlag = managerFlag;
  m_chiefManager = chiefManager;
}
