#include "plugin/community/StockGridMenu.h"

#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "plugin/community/WebEngine.h"
#include "plugin/community/WebText.h"
#include "shared/StockRecords.h"

namespace {

bool IsHoldingsGrid(int gridId) {
  return gridId == kGridHoldings1 || gridId == kGridHoldings2 || gridId == kGridHoldings3;
}

bool IsPresetCommand(int commandId) {
  return (commandId >= ID_MIN_PROFIT_PRESET_FIRST && commandId <= ID_MIN_PROFIT_PRESET_LAST) ||
         (commandId >= ID_STOP_LOSS_PRESET_FIRST && commandId <= ID_STOP_LOSS_PRESET_LAST);
}

}  // namespace

double PresetBuyQuantity(double price) {
  if (!(price > 0)) return 1;
  const double quantity = static_cast<double>(static_cast<long long>(kPresetBuyAmount / price));
  return quantity < 1 ? 1 : quantity;
}

CStockGridMenu::CStockGridMenu(IWebEngine& engine) : m_engine(engine) {}

int CStockGridMenu::OnStockGridContextMenu(int gridId, int row, void* menu, POINT point) {
  if (!IsHoldingsGrid(gridId) && gridId != kGridStockList) return 0;
  const int command = m_engine.TrackStockGridMenu(menu, point);
  if (command == 0) return 0;
  return RunStockGridCommand(gridId, row, command) ? command : 0;
}

bool CStockGridMenu::RunStockGridCommand(int gridId, int row, int commandId) {
  const bool holdings = IsHoldingsGrid(gridId);
  if (!holdings && gridId != kGridStockList) return false;
  StockGridRow_s gridRow;
  if (!m_engine.GetStockGridRow(gridId, row, &gridRow)) return false;
  // The menu works from the row's own values; the engine finds the stock by code when asked.
  const wchar_t* code = gridRow.code.c_str();
  const double price = gridRow.price;
  const double buyQuantity = PresetBuyQuantity(price);

  if (IsPresetCommand(commandId)) {
    if (!holdings) return false;
    m_engine.ApplyMinProfitPreset(commandId, 1);
    return true;
  }
  switch (commandId) {
    case ID_AUTO_SELL_ALL:
      m_engine.SetAutoTradeAll(gridId, m_engine.AutoTradeAllFlag() == 0 ? 1 : 0);
      return true;
    case ID_STOCK_INFO:
      if (holdings)
        m_engine.ShowStockChartDlg(gridRow.market, gridRow.code.c_str());
      else
        m_engine.RequestStockSelect(gridRow.code.c_str(), 2);
      return true;
    case ID_GRID_BUY:
      m_engine.SetOrderForm(kOrderSideBuy, gridRow.market, code, buyQuantity, price);
      m_engine.NoteBuyPresetTime();
      return true;
    case ID_GRID_SELL:
      m_engine.SetOrderForm(kOrderSideSell, gridRow.market, code,
                            holdings ? gridRow.holdingQty : buyQuantity, price);
      return true;
    case ID_HOLDING_AUTO_TRADE: {
      if (!holdings) return false;
      const bool on = !gridRow.autoTrade;
      m_engine.SetStockGridRowAutoTrade(gridId, row, on,
                                        on ? kAutoTradeOnColour : kAutoTradeOffColour);
      const bool listed = m_engine.ResetStockStairs(code, gridRow.market);
      if (listed) m_engine.SetStockAutoTrade(code, gridRow.market, on);
      m_engine.RedrawGrid(gridId);
      if (listed) {
        const std::wstring text =
            FormatW(L"보유 종목(%ls/%ls)이 [자동 매매] %ls 되었습니다.", code,
                    gridRow.name.c_str(), on ? L"*설정*" : L"*취소(Cancel)*");
        m_engine.SendNotifyMsgToMainFrame(8, 0, 0, 0, gridRow.name.c_str(), text.c_str(), nullptr,
                                          0, 0, true, 0);
      }
      return true;
    }
    case ID_STAIR_WATCH:
      if (!holdings) return false;
      m_engine.ShowStairWatchDlg(gridId, row);
      return true;
    case ID_CAFE_RECOMMEND_BUY:
      m_engine.ShowCafeRecommendDlg(gridRow.market, code, 1);
      return true;
    case ID_CAFE_RECOMMEND_SELL:
      m_engine.ShowCafeRecommendDlg(gridRow.market, code, 2);
      return true;
    case ID_ADD_WATCH_STOCK:
      if (m_engine.AddMyStock(code, gridRow.market, 1, 1, -1) == 0)
        orv::win::MessageBox("추가하지 못했습니다", "ERROR", MB_OK | MB_ICONERROR);
      else
        m_engine.ShowCafeDlg(1);
      return true;
    case ID_OTHER_ACCOUNT_MONITOR_ON:
    case ID_OTHER_ACCOUNT_MONITOR_OFF:
      return true;
    default:
      return false;
  }
}
