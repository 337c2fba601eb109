#pragma once
// The recommended-stock and split-buy board ("추천종목 관리 + 분할매수"): the watch grid of
// stocks the engine may buy automatically in two price bands, with its toolbar, the
// automatic-buy watch and the saving into the trading view's own lists and the strategy
// workbook. The working part is CStockBoard; this class only shows it, in three tab controls:
// the list grid of the portal's exchange-wide stock lists at the left, the watch grid above and
// the web view below.

#include <memory>

#include "platform/ui/ControlDialog.h"
#include "plugin/monitor/StockBoard.h"
#include "plugin/view/ChildWindows.h"

class wxTimer;
class wxTimerEvent;
class wxSizeEvent;
class wxBookCtrlEvent;
class wxNotebook;
class wxPanel;
class CPelomarView;
namespace orv::ui {
class ReportGridWindow;
}

class CStockMonDlg : public CPelomarStockBoard, public orv::ui::CControlDialog {
 public:
  static constexpr int kTemplateId = 2254;
  static constexpr int IDC_WATCH_GRID = 3380;
  static constexpr int IDC_RELOAD = 2104;
  static constexpr int IDC_SAVE = 2298;
  static constexpr int IDC_AUTO_BUY_WATCH = 3389;
  static constexpr int IDC_SEARCH_ON = 1412;
  static constexpr int IDC_SEARCH_MODE = 1411;
  static constexpr int IDC_LIST_GRID = 3384;
  static constexpr int IDC_LIST_TABS = 3383;
  static constexpr int IDC_WATCH_TABS = 3378;
  static constexpr int IDC_PORTAL_TABS = 3382;
  static constexpr int IDC_WEB_VIEW = 975;
  // The pages of the watch tab control (3378).
  static constexpr int kWatchPage = 0;
  static constexpr int kWatchPage2 = 1;
  static constexpr int kWebPage = 2;
  static constexpr int kScoreTimerId = 1;
  static constexpr int kMasterWaitTimerId = 1111;

  explicit CStockMonDlg(CPelomarView& view);
  ~CStockMonDlg() override;

  // CPelomarChildDialog
  bool CreateFromTemplate(int templateId, wxWindow* parent) override;
  void SetOwnerWnd(wxWindow* owner, bool modal) override;
  void ShowDialog(wxWindow* owner, bool modal, bool reload, int tab) override;
  void HideDialog() override;
  void CenterWindow() override;
  void ShowWindow(bool show) override;
  // CPelomarStockBoard
  void SetAccountGroups(GroupInfoMap* accounts, int selectFirst) override;
  // From the view when it shows a master list: reloads after a new load of the master codes.
  void ReloadBuyItems() override;
  // The portal's lists, one row of six texts per stock, in the list grid (3384).
  void ShowForeignStockList(std::shared_ptr<const std::vector<ForeignStockRow_s>> rows) override;

  CStockBoard& Board() { return *m_board; }
  orv::ui::CMyReportCtrl& ListGrid() { return m_listGrid; }
  orv::ui::ReportGridWindow* WatchGridWindow() const { return m_watchGridWnd; }
  wxNotebook* Tabs(int id) const;
  // The web view (null where the system has no web engine).
  wxWindow* WebView() const { return m_webView; }
  int PageIndex() const { return m_pageIndex; }
  // Reloads now when the master list has stocks, else once it has (timer 1111).
  void ReloadWhenReady();
  bool WaitingForMasterList() const;
  bool ScoreTimerRunning() const;
  // The context-menu command for the selected rows (as the menu would answer it).
  void OnContextCommand(int command);

 protected:
  void OnClose() override;

 private:
  class ViewHost;
  void BuildControls();
  void Layout();
  void OnTimer(wxTimerEvent& event);
  void OnSize(wxSizeEvent& event);
  LRESULT HandleGridNotify(orv::ui::ReportNotify& nm);
  void UpdateAutoBuyCheck();
  void ReloadRows();
  void BuildTabs();
  void OnWatchTabChanged(wxBookCtrlEvent& event);
  // Puts the watch grid and the web view on the pages the watch tab control's page shows.
  void PlaceSharedPanes(int page);
  void OnSearchOn();

  CPelomarView& m_view;
  std::unique_ptr<ViewHost> m_host;
  std::unique_ptr<CStockBoard> m_board;
  orv::ui::CMyReportCtrl m_listGrid;
  orv::ui::ReportGridWindow* m_watchGridWnd = nullptr;
  wxNotebook* m_listTabs = nullptr;
  wxNotebook* m_watchTabs = nullptr;
  wxNotebook* m_portalTabs = nullptr;
  wxPanel* m_watchPages[3] = {};
  wxPanel* m_portalPage = nullptr;
  wxWindow* m_webView = nullptr;
  wxWindow* m_parent = nullptr;
  wxWindow* m_owner = nullptr;
  std::unique_ptr<wxTimer> m_scoreTimer;
  std::unique_ptr<wxTimer> m_masterWaitTimer;
  int m_pageIndex = -1;
  size_t m_reloadedMasterCount = 0;  // the master list's size at the last reload
};

// Installs the board's maker (the plug-in's start-up calls it).
void InstallMonitorMakers();
