// The board as the program makes and shows it: the plug-in's start-up installs its maker, the
// trading view creates it with its dialogs, the view's show command opens it, and what the
// user saves reaches the view's own stock list and the strategy workbook, from which the next
// run's board reloads.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/grid.h>
#include <wx/notebook.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <thread>
#include <cwchar>
#include <filesystem>

#include "platform/ui/DbViewBase.h"
#include "platform/ui/ReportEditPopup.h"
#include "platform/ui/ReportGridWindow.h"
#include "platform/win/MessageBox.h"
#include "platform/xl/XlBook.h"
#include "plugin/monitor/StockMonDlg.h"
#include "plugin/monitor/core/ForeignStockLists.h"
#include "plugin/rows/StockBuyItemRecord.h"
#include "plugin/view/PelomarView.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"
#include "shared/Messages.h"
#include "shared/SearchCondition.h"
#include "shared/SharedWnds.h"
#include "tests/probe/ProbeHarness.h"

namespace fs = std::filesystem;
using Col = CStockBuyItemRecord::Column;

namespace {

class StockMonDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    orv::test::EnsureWxApp();
    setenv("XDG_CONFIG_HOME", (dir_.Path() + "/config").c_str(), 1);
    fs::create_directories(fs::path(dir_.Path()) / "Settings");
    fs::copy_file(fs::path(ORV_BINARY_DIR) / "seed" / "app-settings.db",
                  fs::path(dir_.Path()) / "Settings" / "app-settings.db");
    const std::wstring program(dir_.Path().begin(), dir_.Path().end());
    std::wcscpy(folders_.szExeFolder, (program + L"/").c_str());
    std::wcscpy(run_.szDataFolder, (program + L"/data").c_str());
    std::wcscpy(run_.szCompanyKey, L"OrvTest");
    block_.pRunSetting = &run_;
    block_.pLoginInfo = &login_;
    block_.pSearchCond = &folders_;
    // As the plug-in's start-up does before it creates the view.
    InstallMonitorMakers();
  }
  void TearDown() override {
    orv::win::StopScriptingMessageBoxes();
    ChildMakers() = PelomarChildMakers{};
  }

  CPelomarView* CreateView() {
    GfxSetEmbededViewsCfgDataPtr(&block_);
    wxWindow* wnd = GfxCreateEmbededView(nullptr, CPelomarView::GetThisClass(),
                                         RECT{0, 0, 800, 600}, orv::test::HiddenFrame(), 0xE901,
                                         WS_CHILD, &block_);
    auto* view = dynamic_cast<CPelomarView*>(wnd);
    if (view) GfxSendMessageToWnd(view, WM_INITIALUPDATE);
    return view;
  }

  // The view as the program creates it and the board it made (null for the null board).
  CStockMonDlg* CreateBoard(CPelomarView** view) {
    *view = CreateView();
    return *view ? dynamic_cast<CStockMonDlg*>((*view)->StockBoard()) : nullptr;
  }
  // The same with 005930 listed in the view's master list.
  CStockMonDlg* CreateBoardWithStock(CPelomarView** view, Stock_s** stock) {
    CStockMonDlg* board = CreateBoard(view);
    *stock = board ? (*view)->Engine().Stocks().AddMasterStock(1, L"005930", L"삼성전자", 1, 0,
                                                                0, 0, 70000, 0, 0)
                   : nullptr;
    return *stock ? board : nullptr;
  }

  orv::test::TempDir dir_;
  SharedWnds_s block_;
  app_run_setting_s run_;
  login_info_s login_;
  search_condition_s folders_;
};

// Runs the event loop (timers included) until `done` or `ms` milliseconds.
bool PumpUntil(const std::function<bool()>& done, int ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    wxTheApp->Yield(true);
    wxTheApp->ProcessPendingEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

wxGrid* GridOf(wxWindow* window) {
  if (auto* grid = dynamic_cast<wxGrid*>(window)) return grid;
  for (wxWindow* child : window->GetChildren())
    if (wxGrid* grid = GridOf(child)) return grid;
  return nullptr;
}

}  // namespace

TEST_F(StockMonDlgTest, TheViewShowsTheBoardAndItsSaveReachesTheViewAndTheWorkbook) {
  CPelomarView* view = nullptr;
  CStockMonDlg* board = CreateBoard(&view);
  ASSERT_NE(view, nullptr);
  ASSERT_NE(board, nullptr) << "the view still holds the null board";
  wxDialog* dlg = board->GetWindow();
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(dlg->GetTitle(), wxString(L"추천종목 관리 + 분할매수"));
  EXPECT_FALSE(dlg->IsShown());
  // Made with its blank rows: the reload's 28, then ten each of nations 1, 2 and 9.
  EXPECT_EQ(board->Board().Grid().GetRecordCount(), 28 + 30);
  EXPECT_EQ(board->GetDlgItemText(1310), L"매수 감시 종목은, 해당 조건대로 매수 진행(주의 필요).");
  EXPECT_FALSE(board->IsDlgItemShown(1412));

  CStockLists& lists = view->Engine().Stocks();
  ASSERT_NE(lists.AddMasterStock(1, L"005930", L"삼성전자", 1, 0, 0, 0, 70000, 0, 0), nullptr);

  view->ShowStockMonDlg(true);
  ASSERT_TRUE(dlg->IsShown());
  EXPECT_EQ(board->PageIndex(), 0);
  wxGrid* grid = GridOf(board->GetDlgItem(CStockMonDlg::IDC_WATCH_GRID));
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->GetNumberRows(), board->Board().Grid().GetRowCount());
  EXPECT_EQ(grid->GetColLabelValue(7), wxString(L" 종목명"));

  // The user types a code into the first row; the board fills it.
  orv::ui::CMyReportCtrl& model = board->Board().Grid();
  ASSERT_TRUE(model.OnCommitEdit(0, Col::kColCode, L"005930"));
  auto* row = static_cast<CStockBuyItemRecord*>(model.GetRowRecord(0));
  EXPECT_EQ(row->GetTextValue(Col::kColName), L"삼성전자");
  // Columns outside the editable ones refuse edits.
  EXPECT_FALSE(model.OnRequestEdit(0, Col::kColName));
  EXPECT_TRUE(model.OnToggleCheck(0, Col::kColAutoBuy));

  // The view keeps showing its master list (the engine's tick); the unsaved row stays.
  PumpUntil([] { return false; }, 1200);
  EXPECT_EQ(static_cast<CStockBuyItemRecord*>(model.GetRecord(0))->GetTextValue(Col::kColCode),
            L"005930");

  // ORV_BOARD_SCREENSHOT=FILE.png keeps a picture of the screen with the board open.
  if (const char* shot = std::getenv("ORV_BOARD_SCREENSHOT")) {
    dlg->Raise();
    PumpUntil([] { return false; }, 800);
    const std::string command = std::string("import -window root '") + shot + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }

  // The save button, answered Yes: the stock joins the view's own list with its flag, and the
  // workbook is written under the program folder.
  orv::win::ScriptMessageBoxes({IDYES});
  ASSERT_TRUE(board->SendCommand(CStockMonDlg::IDC_SAVE));
  const auto asked = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].text.rfind("1개의 종목(총 1개)을 자동매수 정보를 저장할까요?", 0), 0u);
  Stock_s* listed = lists.FindMyStock(1, L"005930", false, false);
  ASSERT_NE(listed, nullptr);
  EXPECT_EQ(listed->auto_buy, 1);
  // The engine's automatic-buy pass finds it on its list and registry.
  EXPECT_EQ(view->Engine().AutoBuyRegistry().count(L"005930"), 1u);
  const std::string path = dir_.Path() + "/template/전략.xlsx";
  orv::xl::CXlBook book;
  ASSERT_TRUE(book.LoadXlsx(path));
  ASSERT_EQ(book.FindSheet("매수 전략"), 0);
  EXPECT_EQ(book.Sheet(0)->CellAt(1, 6)->text, "005930");

  // Hidden and shown again by the view, the board reloads from the view's list.
  view->ShowStockMonDlg(false);
  EXPECT_FALSE(dlg->IsShown());
  view->ShowStockMonDlg(true);
  EXPECT_TRUE(dlg->IsShown());
  auto* first = static_cast<CStockBuyItemRecord*>(model.GetRecord(0));
  EXPECT_EQ(first->GetTextValue(Col::kColCode), L"005930");
  EXPECT_TRUE(first->GetCheckValue(Col::kColAutoBuy));
  view->ShowStockMonDlg(false);
  view->Destroy();
}

TEST_F(StockMonDlgTest, ABoardShownBeforeTheMasterListWaitsForIt) {
  CPelomarView* view = nullptr;
  CStockMonDlg* board = CreateBoard(&view);
  ASSERT_NE(board, nullptr);
  ASSERT_TRUE(board->SendCommand(CStockMonDlg::IDC_RELOAD));
  EXPECT_TRUE(board->WaitingForMasterList());
  view->Engine().Stocks().AddMasterStock(1, L"005930", L"삼성전자", 1, 0, 0, 0, 70000, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return !board->WaitingForMasterList(); }, 5000));
  view->Destroy();
}

namespace {

// Selects a tab page as a click on its tab does (the change event included).
void SelectPage(wxNotebook* tabs, int page) {
  tabs->SetSelection(page);
  wxTheApp->ProcessPendingEvents();
}

ForeignStockRow_s ListRow(const wchar_t* market, const wchar_t* code, const wchar_t* name,
                          const wchar_t* exchange, const wchar_t* nation) {
  ForeignStockRow_s r;
  r.market = market;
  r.code = code;
  r.symbol = std::wstring(code).substr(0, std::wstring(code).find(L'.'));
  r.name = name;
  r.exchange = exchange;
  r.nation = nation;
  return r;
}

}  // namespace

TEST_F(StockMonDlgTest, TheTabsHoldTheListTheWatchGridAndThePortal) {
  CPelomarView* view = nullptr;
  CStockMonDlg* board = CreateBoard(&view);
  ASSERT_NE(board, nullptr);
  wxNotebook* list = board->Tabs(CStockMonDlg::IDC_LIST_TABS);
  wxNotebook* watch = board->Tabs(CStockMonDlg::IDC_WATCH_TABS);
  wxNotebook* portal = board->Tabs(CStockMonDlg::IDC_PORTAL_TABS);
  ASSERT_TRUE(list && watch && portal);
  ASSERT_EQ(watch->GetPageCount(), 3u);
  EXPECT_EQ(watch->GetPageText(0), wxString(L"감시 종목.등록"));
  EXPECT_EQ(watch->GetPageText(1), wxString(L"  "));
  EXPECT_EQ(watch->GetPageText(2), wxString(L"  "));
  ASSERT_EQ(portal->GetPageCount(), 1u);
  EXPECT_EQ(portal->GetPageText(0), wxString(L"인터넷 포털 정보"));
  ASSERT_EQ(list->GetPageCount(), 1u);
  wxWindow* watchGrid = board->GetDlgItem(CStockMonDlg::IDC_WATCH_GRID);
  wxWindow* listGrid = board->GetDlgItem(CStockMonDlg::IDC_LIST_GRID);
  ASSERT_TRUE(watchGrid && listGrid);
  EXPECT_EQ(watchGrid->GetParent(), watch->GetPage(0));
  EXPECT_EQ(listGrid->GetParent(), list->GetPage(0));
  wxWindow* web = board->WebView();
  if (web) EXPECT_EQ(web->GetParent(), portal->GetPage(0));

  view->ShowStockMonDlg(true);
  wxDialog* dlg = board->GetWindow();
  ASSERT_TRUE(dlg->IsShown());
  EXPECT_EQ(watch->GetSelection(), 0);
  // The list at the left, the watch tabs above the portal tabs at its right, none overlapping.
  const wxRect l = list->GetRect(), w = watch->GetRect(), p = portal->GetRect();
  EXPECT_LE(l.GetRight(), w.GetLeft());
  EXPECT_LE(w.GetBottom(), p.GetTop());
  EXPECT_EQ(w.GetLeft(), p.GetLeft());
  EXPECT_EQ(w.GetWidth(), p.GetWidth());
  EXPECT_LE(p.GetBottom(), dlg->GetClientSize().y);
  EXPECT_LE(w.GetRight(), dlg->GetClientSize().x);

  // The portal's lists as the view hands them over: one row of six texts per stock.
  auto rows = std::make_shared<std::vector<ForeignStockRow_s>>();
  rows->push_back(ListRow(L"NASDAQ", L"AAPL.O", L"애플", L"NASDAQ", L"USA"));
  rows->push_back(ListRow(L"DOW", L"JPM.N", L"JP모간", L"NYSE", L"USA"));
  rows->push_back(ListRow(L"KOSPI", L"005930", L"삼성전자", L"KOSPI", L"KOR"));
  board->ShowForeignStockList(rows);
  wxGrid* shown = GridOf(listGrid);
  ASSERT_NE(shown, nullptr);
  PumpUntil([&] { return shown->GetNumberRows() == 3; }, 2000);
  ASSERT_EQ(shown->GetNumberRows(), 3);
  ASSERT_EQ(shown->GetNumberCols(), 6);
  for (int c = 0; c < 6; ++c)
    EXPECT_EQ(shown->GetColLabelValue(c), wxString(kForeignListColumns[c].caption));
  EXPECT_EQ(shown->GetCellValue(0, 2), wxString(L"AAPL"));
  EXPECT_EQ(shown->GetCellValue(1, 4), wxString(L"NYSE"));
  EXPECT_EQ(shown->GetCellValue(2, 3), wxString(L"삼성전자"));
  // A later load replaces the rows.
  board->ShowForeignStockList(std::make_shared<std::vector<ForeignStockRow_s>>(rows->begin(),
                                                                                rows->begin() + 1));
  PumpUntil([&] { return shown->GetNumberRows() == 1; }, 2000);
  EXPECT_EQ(shown->GetNumberRows(), 1);

  // The page after "감시 종목.등록" shows the same watch grid, the third the web view.
  SelectPage(watch, 1);
  EXPECT_EQ(watchGrid->GetParent(), watch->GetPage(1));
  EXPECT_TRUE(watchGrid->IsShownOnScreen());
  if (web) {
    SelectPage(watch, 2);
    EXPECT_EQ(web->GetParent(), watch->GetPage(2));
    SelectPage(watch, 0);
    EXPECT_EQ(web->GetParent(), portal->GetPage(0));
  } else {
    SelectPage(watch, 0);
  }
  EXPECT_EQ(watchGrid->GetParent(), watch->GetPage(0));
  EXPECT_TRUE(watchGrid->IsShownOnScreen());

  // ORV_BOARD_TABS_SCREENSHOT=FILE.png keeps a picture of the board with the list.
  board->ShowForeignStockList(rows);
  if (const char* shot = std::getenv("ORV_BOARD_TABS_SCREENSHOT")) {
    dlg->Raise();
    PumpUntil([] { return false; }, 800);
    const std::string command = std::string("import -window root '") + shot + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }
  view->ShowStockMonDlg(false);
  view->Destroy();
}

TEST_F(StockMonDlgTest, TheBandHighAndBuyTimeCellsOpenTheirEditPopup) {
  CPelomarView* view = nullptr;
  Stock_s* stock = nullptr;
  CStockMonDlg* board = CreateBoardWithStock(&view, &stock);
  ASSERT_NE(board, nullptr);
  view->ShowStockMonDlg(true);
  orv::ui::CMyReportCtrl& model = board->Board().Grid();
  ASSERT_TRUE(model.OnCommitEdit(0, Col::kColCode, L"005930"));
  orv::ui::ReportGridWindow* grid = board->WatchGridWindow();
  ASSERT_NE(grid, nullptr);
  PumpUntil([] { return false; }, 200);
  auto clickButton = [&](int column) {
    const int width = grid->GetBodyGrid()->GetColSize(column);
    return grid->ClickCell(0, column, width - 4);
  };
  auto* row = static_cast<CStockBuyItemRecord*>(model.GetRowRecord(0));
  const double high = stock->buy.band1_high;
  ASSERT_GT(high, 0);
  const double low = stock->buy.band1_low;

  // Band-1 high: the pop-up holds the cell's text; what the user types there is stored
  // through the board's own checks (a price between the low and the current price).
  ASSERT_TRUE(clickButton(CStockBoard::kColPopupHigh));
  wxWindow* popup = orv::ui::OpenReportEditPopup();
  ASSERT_NE(popup, nullptr);
  auto* edit = dynamic_cast<wxTextCtrl*>(popup->GetChildren().front());
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->GetValue(), wxString(row->GetItemCaption(CStockBoard::kColPopupHigh)));
  const double typed = std::floor((low + 70000) / 2) + 500;
  edit->SetValue(std::to_wstring(static_cast<long>(typed)));
  orv::ui::CloseReportEditPopup(true);
  EXPECT_EQ(orv::ui::OpenReportEditPopup(), nullptr);
  EXPECT_DOUBLE_EQ(stock->buy.band1_high, typed);
  EXPECT_DOUBLE_EQ(row->GetNumberValue(CStockBoard::kColPopupHigh), typed);

  // A high at or below the low is refused as in the cell, and Escape changes nothing.
  orv::win::ScriptMessageBoxes({IDOK});
  ASSERT_TRUE(clickButton(CStockBoard::kColPopupHigh));
  edit = dynamic_cast<wxTextCtrl*>(orv::ui::OpenReportEditPopup()->GetChildren().front());
  edit->SetValue(std::to_wstring(static_cast<long>(low)));
  orv::ui::CloseReportEditPopup(true);
  ASSERT_EQ(orv::win::ScriptedMessageBoxCalls().size(), 1u);
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls()[0].caption, "ERROR");
  EXPECT_DOUBLE_EQ(stock->buy.band1_high, typed);
  ASSERT_TRUE(clickButton(CStockBoard::kColPopupHigh));
  edit = dynamic_cast<wxTextCtrl*>(orv::ui::OpenReportEditPopup()->GetChildren().front());
  edit->SetValue(L"1");
  orv::ui::CloseReportEditPopup(false);
  EXPECT_DOUBLE_EQ(stock->buy.band1_high, typed);

  // The buy time shows in its pop-up; the board lets no one edit it.
  const std::wstring time = row->GetItemCaption(CStockBuyItemRecord::kColBand1Time);
  ASSERT_TRUE(clickButton(CStockBoard::kColPopupTime));
  edit = dynamic_cast<wxTextCtrl*>(orv::ui::OpenReportEditPopup()->GetChildren().front());
  EXPECT_EQ(edit->GetValue(), wxString(time));
  edit->SetValue(L"09:30:00");
  orv::ui::CloseReportEditPopup(true);
  EXPECT_EQ(row->GetItemCaption(CStockBuyItemRecord::kColBand1Time), time);
  view->ShowStockMonDlg(false);
  view->Destroy();
}

TEST_F(StockMonDlgTest, TheBoardModeAndBuyAmountAreKeptWithTheConfiguration) {
  CPelomarView* view = nullptr;
  CStockMonDlg* board = CreateBoard(&view);
  ASSERT_NE(board, nullptr);
  EXPECT_FALSE(board->IsDlgButtonChecked(CStockMonDlg::IDC_SEARCH_ON));
  stock_option_s& options = view->Engine().Options();
  options.changed = 0;
  // "검색-ON": mode 2, the watch tabs' second page, the band columns shown.
  board->CheckDlgButton(CStockMonDlg::IDC_SEARCH_ON, true);
  ASSERT_TRUE(board->SendCommand(CStockMonDlg::IDC_SEARCH_ON));
  EXPECT_EQ(options.board_mode, 2);
  EXPECT_NE(options.changed, 0);
  EXPECT_EQ(board->Tabs(CStockMonDlg::IDC_WATCH_TABS)->GetSelection(), 1);
  EXPECT_EQ(board->GetDlgItem(CStockMonDlg::IDC_WATCH_GRID)->GetParent(),
            board->Tabs(CStockMonDlg::IDC_WATCH_TABS)->GetPage(1));
  EXPECT_TRUE(board->Board().Grid().GetColumn(21)->visible);
  options.board_buy_amount = 30;
  // The view saves the changed configuration when it goes.
  view->Destroy();
  PumpUntil([] { return false; }, 100);

  board = CreateBoard(&view);
  ASSERT_NE(board, nullptr);
  EXPECT_EQ(view->Engine().Options().board_mode, 2);
  EXPECT_EQ(view->Engine().Options().board_buy_amount, 30);
  EXPECT_TRUE(board->IsDlgButtonChecked(CStockMonDlg::IDC_SEARCH_ON));
  // The kept amount is the budget of the bands a code entry sets: 300,000 won per band.
  view->Engine().Stocks().AddMasterStock(1, L"005930", L"삼성전자", 1, 0, 0, 0, 70000, 0, 0);
  orv::ui::CMyReportCtrl& model = board->Board().Grid();
  ASSERT_TRUE(model.OnCommitEdit(0, Col::kColCode, L"005930"));
  Stock_s* stock = view->Engine().Stocks().FindMasterStock(1, L"005930");
  ASSERT_NE(stock, nullptr);
  EXPECT_NEAR(stock->buy.band1_qty, 300000.0 / stock->buy.band1_high, 1e-9);

  // Switched off again, the next run starts with the check clear.
  board->CheckDlgButton(CStockMonDlg::IDC_SEARCH_ON, false);
  ASSERT_TRUE(board->SendCommand(CStockMonDlg::IDC_SEARCH_ON));
  EXPECT_EQ(view->Engine().Options().board_mode, 4);
  view->Destroy();
  PumpUntil([] { return false; }, 100);
  board = CreateBoard(&view);
  ASSERT_NE(board, nullptr);
  EXPECT_FALSE(board->IsDlgButtonChecked(CStockMonDlg::IDC_SEARCH_ON));
  view->Destroy();
}

TEST_F(StockMonDlgTest, TheScoresFollowTheStocksOnlyWhileTheBoardIsShown) {
  CPelomarView* view = nullptr;
  Stock_s* stock = nullptr;
  CStockMonDlg* board = CreateBoardWithStock(&view, &stock);
  ASSERT_NE(board, nullptr);
  EXPECT_FALSE(board->ScoreTimerRunning()) << "a hidden board has no timer running";

  stock->day_score = 70;
  view->ShowStockMonDlg(true);
  orv::ui::CMyReportCtrl& model = board->Board().Grid();
  ASSERT_TRUE(model.OnCommitEdit(0, Col::kColCode, L"005930"));
  auto* row = static_cast<CStockBuyItemRecord*>(model.GetRecord(0));
  EXPECT_TRUE(board->ScoreTimerRunning());
  // While shown, the scores follow the stock every second.
  stock->day_score = 80;
  EXPECT_TRUE(PumpUntil([&] { return row->GetNumberValue(Col::kColDayScore) == 80; }, 3000));

  // Hidden (the view's hide, or the close button) the first tick stops the timer and nothing
  // follows the stock any more.
  board->ShowWindow(false);
  EXPECT_TRUE(PumpUntil([&] { return !board->ScoreTimerRunning(); }, 3000));
  stock->day_score = 90;
  PumpUntil([] { return false; }, 1200);
  EXPECT_EQ(row->GetNumberValue(Col::kColDayScore), 80);

  // Shown again (keeping the unsaved row), the board shows the current scores at once and
  // follows them again.
  board->ShowWindow(true);
  EXPECT_EQ(row->GetNumberValue(Col::kColDayScore), 90);
  EXPECT_TRUE(board->ScoreTimerRunning());
  view->Destroy();
}
