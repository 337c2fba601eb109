// What the view does when the user edits, clicks or right-clicks a cell of its stock grids:
// which cells may be edited, the per-stock values a changed cell sets (through the engine, by
// the row's key), the in-cell buttons and the right-click menu. Rows keep their own values;
// the engine applies each change under its lock and hands back a copy the row then shows.

#include <wx/utils.h>

#include <algorithm>
#include <cwctype>
#include <string>

#include "platform/support/TextConv.h"
#include "platform/ui/model/ReportCtrl.h"
#include "platform/win/MessageBox.h"
#include "plugin/community/StockGridMenu.h"
#include "plugin/community/WebEngine.h"
#include "plugin/rows/RurezOzadoResultRecord.h"
#include "plugin/view/HoldingsGrid.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/StockRecord.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "plugin/view/engine/TextFormat.h"

using orv::ui::ReportNotify;
using Row = CRurezOzadoResultRecord;

namespace {

constexpr int kGrid2215 = 2215;
constexpr int kGrid2218 = 2218;
// The step the stop-loss down button moves the stop-loss by (percent points, with its sign).
constexpr int kStopLossDownStep = -1;
constexpr double kNoStopLoss = -100.0;
constexpr double kTakeProfitButtonStep = 0.5;
constexpr double kSplitButtonStepWon = 100000.0;
constexpr uint8_t kHoldingSettingsChanged = 2;

bool IsHoldingsTypeGrid(int id) {
  return id == IDC_MY_STOCK_GRID || id == IDC_ORDER_HISTORY_GRID || id == kGrid2218;
}

// The item a notification's column shows (the grid's column order may differ from the items').
int ItemOf(const ReportNotify& nm) {
  if (!nm.grid || nm.column < 0) return -1;
  const orv::ui::ReportColumn* column = nm.grid->GetColumn(nm.column);
  return column ? column->itemIndex : -1;
}

std::wstring Trimmed(const std::wstring& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && std::iswspace(text[begin])) ++begin;
  while (end > begin && std::iswspace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

bool CPelomarView::PerStockStepMode() const { return m_engine->Options().sell_one_by_one != 0; }

LRESULT CPelomarView::OnGridNotify(ReportNotify& nm) {
  switch (nm.code) {
    case orv::ui::REPORT_NM_REQUESTEDIT:
      return OnGridItemEditable(nm);
    case orv::ui::REPORT_NM_VALUECHANGED:
      return OnGridValueChanged(nm);
    case orv::ui::REPORT_NM_ITEMBUTTONCLICK:
      return OnGridItemButtonClick(nm);
    case orv::ui::NM_RCLICK:
      return OnGridRightClick(nm);
    default:
      return 0;
  }
}

LRESULT CPelomarView::OnGridItemEditable(ReportNotify& nm) {
  const int item = ItemOf(nm);
  if (!nm.grid || nm.row < 0 || item < 0) return 0;
  // A click on a holding row's 자동매매 check switches that holding, as the menu's "자동 매매"
  // does (which also flips the check): the grid's own toggle would change only the cell.
  if (nm.ctrlId == IDC_MY_STOCK_GRID && item == Row::kColAutoTrade) {
    auto* row = dynamic_cast<Row*>(nm.grid->GetRowRecord(nm.row));
    if (row && !row->IsBlankRow()) {
      nm.cancel = TRUE;
      // Switching on needs a price: without one the stop-loss price cannot be set.
      HoldingRow_s now;
      const bool turningOn = !row->GetCheckValue(Row::kColAutoTrade);
      if (turningOn && m_engine->HoldingRowOf(KeyOf(*row), &now) && !(now.price > 0)) {
        orv::win::MessageBox("실시간 시세가 수신되지 않아서,\n자동매매 설정을 할 수 없습니다.",
                             "ERROR", MB_OK | MB_ICONERROR);
        return 1;
      }
      GridMenu().RunStockGridCommand(nm.ctrlId, nm.row, ID_HOLDING_AUTO_TRADE);
      return 1;
    }
  }
  const bool stepCell = item == Row::kColStepInterval || item == Row::kColSplitRate;
  bool editable;
  if (nm.ctrlId == IDC_ALL_STOCK_GRID) {
    static constexpr int kEditable[] = {8, 13, 15, 16, 22, 23, 24};
    editable = std::find(std::begin(kEditable), std::end(kEditable), item) != std::end(kEditable);
  } else if (IsHoldingsTypeGrid(nm.ctrlId)) {
    editable = item == Row::kColMarket ||
               (item >= Row::kColComment && item <= Row::kColMinProfit) ||
               (stepCell && PerStockStepMode());
  } else if (nm.ctrlId == kGrid2215) {
    editable = item == Row::kColAutoTrade || item == Row::kColStopLoss ||
               item == Row::kColMinProfit || item == Row::kColBaseRange ||
               (stepCell && PerStockStepMode());
  } else {
    return 0;
  }
  nm.cancel = editable ? FALSE : TRUE;
  return 1;
}

void CPelomarView::ShowGridEdit(Row& row, int item, const CPelomarEngine::GridEdit_s& edit) {
  if (!edit.found) return;
  row.SetNumberValue(item, edit.cell);
  if (edit.applied && edit.colour != orv::ui::kColorNone) row.SetItemBackColor(item, edit.colour);
  if (edit.applied) {
    ApplyHoldingRow(&row, edit.row, false);
    row.SetNumberValue(kMyItemSplitQty, edit.row.sellSplitQty);
    row.SetNumberValue(kMyItemSplitAmount, edit.row.sellSplitQty * edit.row.price);
  }
  if (orv::ui::CMyReportCtrl* grid = row.GetGrid()) {
    grid->NoteRecordChanged(&row);
    grid->RedrawControl();
  }
}

void CPelomarView::ShowStockComment(const std::wstring& code, const std::wstring& comment,
                                    bool inHoldings, bool inAllStocks) {
  if (inHoldings && m_myStockGrid) {
    for (int i = 0; i < m_myStockGrid->GetRecordCount(); ++i) {
      auto* row = dynamic_cast<Row*>(m_myStockGrid->GetRecord(i));
      if (row && row->GetCode() == code) row->SetTextValue(Row::kColComment, comment);
    }
    m_myStockGrid->RedrawControl();
  }
  if (inAllStocks && m_allStockGrid) {
    auto found = m_allStockRows.find(code);
    if (found != m_allStockRows.end()) {
      found->second->SetTextValue(kAllItemComment, comment);
      m_allStockGrid->RedrawControl();
    }
  }
}

LRESULT CPelomarView::OnGridValueChanged(ReportNotify& nm) {
  const int item = ItemOf(nm);
  if (!nm.grid || nm.row < 0 || item < 0) return 0;
  if (nm.ctrlId == IDC_ALL_STOCK_GRID) {
    auto* row = dynamic_cast<CStockRecord*>(nm.grid->GetRowRecord(nm.row));
    if (!row || !row->HasStock()) return 0;
    // The stock is named by the row's market and code.
    const uint8_t market = row->GetStockMarket();
    const std::wstring& code = row->GetStockCode();
    switch (item) {
      case 15:
        nm.grid->Populate();
        break;
      case kAllItemComment: {
        const std::wstring comment = Trimmed(row->GetTextValue(kAllItemComment));
        if (m_engine->SetStockComment(market, code.c_str(), comment))
          ShowStockComment(code, comment, true, false);
        break;
      }
      case 23: {
        const double rate = row->GetNumberValue(23);
        m_engine->SetStockAlarm(market, code.c_str(), &rate, nullptr);
        break;
      }
      case kAllItemAlarmKind: {
        const int kind = static_cast<int>(row->GetOptionsValue(kAllItemAlarmKind));
        m_engine->SetStockAlarm(market, code.c_str(), nullptr, &kind);
        break;
      }
      default:
        break;
    }
    return 0;
  }
  if (!IsHoldingsTypeGrid(nm.ctrlId)) return 0;
  auto* row = dynamic_cast<Row*>(nm.grid->GetRowRecord(nm.row));
  if (!row || row->IsBlankRow()) return 0;
  const HoldingKey_s key = KeyOf(*row);
  const double value = row->GetNumberValue(item);
  switch (item) {
    case Row::kColComment: {
      const std::wstring comment = row->GetTextValue(Row::kColComment);
      if (m_engine->SetStockComment(row->GetStockMarket(), row->GetCode().c_str(), comment))
        ShowStockComment(row->GetCode(), comment, false, true);
      break;
    }
    case Row::kColSellRatio: {
      HoldingRow_s after;
      const double ratio = static_cast<double>(row->GetOptionsValue(Row::kColSellRatio));
      if (!m_engine->SetHoldingSellRatioByKey(key, ratio, &after)) break;
      row->SetOptionsValue(Row::kColSellRatio, static_cast<int64_t>(after.sellRatio));
      row->SetItemBackColor(Row::kColSellRatio, CPelomarEngine::SellRatioCellColour(after.sellRatio));
      row->SetNumberValue(kMyItemSplitQty, after.sellSplitQty);
      row->SetNumberValue(kMyItemSplitAmount, after.sellSplitQty * after.price);
      if (nm.ctrlId == IDC_MY_STOCK_GRID) {
        m_engine->MarkQuoteListsChanged();
        uint8_t& changed = m_engine->Options().changed;
        if (changed == 0) changed = kHoldingSettingsChanged;
      }
      nm.grid->NoteRecordChanged(row);
      nm.grid->RedrawControl();
      break;
    }
    case Row::kColStopLoss:
      ShowGridEdit(*row, item, m_engine->ValidateStopLossRate(key, value, nm.ctrlId));
      break;
    case Row::kColMinProfit:
      ShowGridEdit(*row, item, m_engine->ValidateMinTakeProfit(key, value, nm.ctrlId));
      break;
    case Row::kColStepInterval:
      ShowGridEdit(*row, item, m_engine->ValidateStepWidth(key, value, nm.ctrlId));
      break;
    case Row::kColSplitRate:
      ShowGridEdit(*row, item, m_engine->ValidateSplitAmount(key, value, nm.ctrlId));
      break;
    case Row::kColAvgPrice: {
      HoldingRow_s after;
      if (value > 0 && m_engine->SetHoldingAvgPrice(key, value, &after)) {
        ApplyHoldingRow(row, after, false);
        nm.grid->RedrawControl();
      }
      break;
    }
    default:
      break;
  }
  return 0;
}

double CPelomarView::StopLossAfterDownButton(double current, double profitRate, int step) {
  const double a = current > kNoStopLoss ? current + step : step;
  const double b = profitRate < 0 ? profitRate + step : step;
  return std::max(kNoStopLoss, std::min(a, b));
}

LRESULT CPelomarView::OnGridItemButtonClick(ReportNotify& nm) {
  const int item = ItemOf(nm);
  if (!nm.grid || nm.row < 0 || item < 0) return 0;
  const int icon = nm.buttonId;
  if (nm.ctrlId == IDC_ALL_STOCK_GRID) {
    auto* row = dynamic_cast<CStockRecord*>(nm.grid->GetRowRecord(nm.row));
    // The order button sits beside the code and name cells.
    if (!row || !row->HasStock() || (item != kAllItemCode && item != kAllItemName)) return 0;
    // The row names its stock by code, whatever its name cell shows.
    const std::wstring& code = row->GetStockCode();
    if (icon == 0) {
      WebEngine().RequestStockSelect(code.c_str(), 2);
    } else if (icon == 1) {
      OpenOrderPopup(kOrderSideBuy, row->GetStockMarket(), code.c_str(), 1,
                     row->GetNumberValue(kAllItemPrice));
    }
    return 1;
  }
  if (!IsHoldingsTypeGrid(nm.ctrlId) && nm.ctrlId != kGrid2215) return 0;
  auto* row = dynamic_cast<Row*>(nm.grid->GetRowRecord(nm.row));
  if (!row || row->IsBlankRow()) return 0;
  const HoldingKey_s key = KeyOf(*row);
  switch (item) {
    case Row::kColName:
      if (icon == 0) {
        WebEngine().RequestStockSelect(row->GetCode().c_str(), 2);
      } else if (icon == 1) {
        const int side = nm.ctrlId == IDC_MY_STOCK_GRID ? kOrderSideSell : kOrderSideBuy;
        const double quantity = static_cast<double>(
            static_cast<long long>(row->GetNumberValue(kMyItemQuantity)));
        OpenOrderPopup(side, row->GetStockMarket(), row->GetCode().c_str(), quantity,
                       row->GetNumberValue(Row::kColAvgPrice));
      }
      break;
    case Row::kColStopLoss: {
      if (icon == 0) {
        ShowGridEdit(*row, item, m_engine->ValidateStopLossRate(key, kNoStopLoss, nm.ctrlId));
        break;
      }
      HoldingRow_s now;
      if (!m_engine->HoldingRowOf(key, &now)) break;
      const double base =
          StopLossAfterDownButton(now.stopLossRate, now.profitRate, kStopLossDownStep);
      const std::string question = StrPrintf(
          "[주의 필요]\n손절 기준을 %.1f%%로 설정할까요?\n---------\n* 현재 수익률 : %.1f%%보다 "
          "%.1f%%보다 낮게 설정하시겠습니까?\n",
          base, now.profitRate, base - now.profitRate);
      if (orv::win::MessageBox(question, "QUESTION", MB_YESNO | MB_ICONQUESTION) == IDYES)
        ShowGridEdit(*row, item, m_engine->ValidateStopLossRate(key, base, nm.ctrlId));
      break;
    }
    case Row::kColMinProfit: {
      const double step = icon == 0 ? kTakeProfitButtonStep : -kTakeProfitButtonStep;
      ShowGridEdit(*row, item,
                   m_engine->ValidateMinTakeProfit(key, row->GetNumberValue(item) + step,
                                                   nm.ctrlId));
      break;
    }
    case Row::kColStepInterval: {
      if (!PerStockStepMode()) break;
      const double step = icon == 0 ? kTakeProfitButtonStep : -kTakeProfitButtonStep;
      ShowGridEdit(*row, item,
                   m_engine->ValidateStepWidth(key, row->GetNumberValue(item) + step, nm.ctrlId));
      break;
    }
    case Row::kColSplitRate: {
      if (!PerStockStepMode()) break;
      const double step = icon == 0 ? kSplitButtonStepWon : -kSplitButtonStepWon;
      ShowGridEdit(*row, item,
                   m_engine->ValidateSplitAmount(key, row->GetNumberValue(item) + step,
                                                 nm.ctrlId));
      break;
    }
    default:
      break;
  }
  return 0;
}

LRESULT CPelomarView::OnGridRightClick(ReportNotify& nm) {
  if (nm.row < 0) return 0;
  m_rightClickGrid = nm.ctrlId;
  // The menu opens where the mouse was clicked.
  const wxPoint screen = wxGetMousePosition();
  wxMenu* menu = nm.ctrlId == IDC_MY_STOCK_GRID ? HoldingsColumnMenu(ItemOf(nm)) : StockMenu();
  GridMenu().OnStockGridContextMenu(nm.ctrlId, nm.row, menu, POINT{screen.x, screen.y});
  return 1;
}
