#pragma once
// The trading view as the web pages and the stock-grid menu see it (IWebEngine): host
// notifications, the view's tabs, timers, dialogs and grid rows, and the operations of other
// parts through the view's hooks. Included by the view's sources only.

#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/timer.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

#include <map>
#include <memory>

#include "platform/ui/model/ReportCtrl.h"
#include "platform/win/Clock.h"
#include "platform/win/CriticalSection.h"
#include "plugin/community/WebEngine.h"
#include "plugin/rows/RurezOzadoResultRecord.h"
#include "plugin/view/HoldingsGrid.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/StockRecord.h"
#include "shared/StockRecords.h"

class CPelomarView::WebEngineBridge : public IWebEngine {
 public:
  explicit WebEngineBridge(CPelomarView& view) : view_(view) {}

  intptr_t SendNotifyMsgToMainFrame(int kind, int code, double val1, double val2,
                                    const wchar_t* text1, const wchar_t* text2, const char* extra,
                                    int n1, int n2, bool withCallback, int slot) override {
    return view_.CDbViewBase::SendNotifyMsgToMainFrame(
        kind, code, val1, val2, text1, text2, extra, n1, n2, &view_,
        withCallback ? &CPelomarView::LoginNotifyCallback : nullptr, slot);
  }
  void OpenInSystemBrowser(const std::wstring& url) override { wxLaunchDefaultBrowser(url); }

  void SetNoticeText(const wchar_t* text) override { view_.SetPanelNotice(text); }
  void AddLogMsg(const wchar_t* text) override {
    if (text) view_.AddLogMsg(view_.m_nCtrlId, 4, 0, nullptr, text, 0);
  }
  void ShowParentMaximized() override {
    if (auto* frame = dynamic_cast<wxTopLevelWindow*>(wxGetTopLevelParent(&view_)))
      frame->Maximize(true);
  }
  void SelectViewTab(int tab) override {
    if (view_.m_tabs && tab >= 0 && tab < static_cast<int>(view_.m_tabs->GetPageCount()))
      view_.m_tabs->SetSelection(tab);
  }
  void SetViewTimer(int timerId, unsigned int ms) override {
    auto& timer = timers_[timerId];
    if (!timer) timer = std::make_unique<wxTimer>(&view_, timerId);
    timer->Start(static_cast<int>(ms));
  }
  void SetCurrentWebWindow(intptr_t window) override { webWindow_ = window; }
  std::wstring EventPageText() override { return view_.m_loginNotice; }

  double DefaultRateGap() override { return view_.m_engine->Options().step_width; }
  double ExtensionGap() override { return view_.m_engine->Options().step_margin; }
  void AllSellSettings(int* flag, int* hour, int* minute) override {
    const int time = view_.m_engine->Options().close_out_time;
    if (flag) *flag = view_.m_engine->Options().close_out_mode;
    if (hour) *hour = time / 100;
    if (minute) *minute = time % 100;
  }
  int CafeAdminValue() override { return 0; }
  int InsertStockOrder(const TradeOrderReport_s& order) override {
    return view_.m_hooks.insertStockOrder ? view_.m_hooks.insertStockOrder(order) : -1;
  }
  std::string StockCodeSuffix(const Stock_s&) override { return {}; }

  bool GetStockGridRow(int gridId, int row, StockGridRow_s* out) override {
    orv::ui::CMyReportCtrl* grid = view_.Grid(gridId);
    orv::ui::CMyReportRecordBase* record = grid ? grid->GetRowRecord(row) : nullptr;
    auto* stockRow = dynamic_cast<CStockGridRecord*>(record);
    if (!stockRow || !stockRow->HasStock() || !out) return false;
    out->code = stockRow->GetStockCode();
    out->market = stockRow->GetStockMarket();
    const bool holdingRow = dynamic_cast<CRurezOzadoResultRecord*>(record) != nullptr;
    out->holdingQty = 0;
    if (holdingRow)
      out->holdingQty =
          view_.m_engine->HeldQuantity(KeyOf(static_cast<const CRurezOzadoResultRecord&>(*record)));
    out->autoTrade = record->GetCheckValue(AutoTradeItem(record));
    const int nameItem = holdingRow ? int{CRurezOzadoResultRecord::kColName} : int{kAllItemName};
    const int priceItem =
        holdingRow ? int{CRurezOzadoResultRecord::kColCurPrice} : int{kAllItemPrice};
    out->name = record->GetTextValue(nameItem);
    out->price = record->GetNumberValue(priceItem);
    return true;
  }
  void SetStockGridRowAutoTrade(int gridId, int row, bool on, COLORREF colour) override {
    orv::ui::CMyReportCtrl* grid = view_.Grid(gridId);
    orv::ui::CMyReportRecordBase* record = grid ? grid->GetRowRecord(row) : nullptr;
    if (!record) return;
    const int item = AutoTradeItem(record);
    record->SetCheckValue(item, on);
    record->SetItemTextColor(item, colour);
    // A holding row switches its own holding (the stock may be held in several accounts),
    // named by its key: the engine applies the switch under its lock.
    if (const auto* row = dynamic_cast<const CRurezOzadoResultRecord*>(record))
      view_.m_engine->SetHoldingAutoTrade(KeyOf(*row), on);
  }
  void RedrawGrid(int gridId) override {
    if (orv::ui::CMyReportCtrl* grid = view_.Grid(gridId)) grid->RedrawControl();
  }
  int TrackStockGridMenu(void* menu, POINT point) override {
    auto* popup = static_cast<wxMenu*>(menu);
    if (!popup) return 0;
    const wxPoint at = view_.ScreenToClient(wxPoint(point.x, point.y));
    const int chosen = view_.GetPopupMenuSelectionFromUser(*popup, at);
    return chosen == wxID_NONE ? 0 : chosen;
  }

  void ApplyMinProfitPreset(int command, int apply) override {
    if (view_.m_hooks.applyMinProfitPreset) view_.m_hooks.applyMinProfitPreset(command, apply);
  }
  int AutoTradeAllFlag() override { return view_.m_allStockWatch; }
  void SetAutoTradeAll(int gridId, int on) override {
    if (view_.m_hooks.setAutoTradeAll) view_.m_hooks.setAutoTradeAll(gridId, on, 1, 0);
  }
  void ShowStockChartDlg(uint8_t market, const wchar_t* code) override {
    view_.ShowStockChartDlg(market, code ? code : L"");
  }
  void ShowStairWatchDlg(int gridId, int row) override {
    orv::ui::CMyReportCtrl* grid = view_.Grid(gridId);
    const auto* record =
        dynamic_cast<const CRurezOzadoResultRecord*>(grid ? grid->GetRowRecord(row) : nullptr);
    if (record) view_.ShowStairWatchDlg(KeyOf(*record));
  }
  void RequestStockSelect(const wchar_t* code, int how) override {
    if (view_.m_hooks.requestStockSelect) view_.m_hooks.requestStockSelect(code, how);
  }
  void SetOrderForm(int side, uint8_t market, const wchar_t* code, double quantity,
                    double price) override {
    if (view_.m_hooks.setOrderForm) view_.m_hooks.setOrderForm(side, market, code, quantity, price);
  }
  void NoteBuyPresetTime() override { buyPresetTick_ = orv::win::GetTickCount(); }
  bool ResetStockStairs(const wchar_t* code, uint8_t market) override {
    return view_.m_engine->ResetStairsOfStock(market, code);
  }
  void SetStockAutoTrade(const wchar_t* code, uint8_t market, bool on) override {
    view_.m_engine->SetStockAutoTrade(market, code, on);
  }
  void ShowCafeRecommendDlg(uint8_t market, const wchar_t* code, int kind) override {
    view_.ShowCafeRecommendDlg(true, market, code ? code : L"", kind, 0);
  }
  int AddMyStock(const wchar_t* code, uint8_t market, int a, int b, int c) override {
    return view_.m_engine->AddMyStockByCode(market, code, a, static_cast<uint8_t>(b), c != 0);
  }
  void ShowCafeDlg(int tab) override { view_.ShowCafeDlg(true, 0, tab); }

  intptr_t WebWindow() const { return webWindow_; }

 private:
  // The automatic-trading cell of a row: the holding rows' 자동매매, the all-stock rows' 자동.
  static int AutoTradeItem(const orv::ui::CMyReportRecordBase* record) {
    return dynamic_cast<const CRurezOzadoResultRecord*>(record)
               ? static_cast<int>(CRurezOzadoResultRecord::kColAutoTrade)
               : static_cast<int>(kAllItemAuto);
  }

  CPelomarView& view_;
  std::map<int, std::unique_ptr<wxTimer>> timers_;
  intptr_t webWindow_ = 0;
  DWORD buyPresetTick_ = 0;
};
