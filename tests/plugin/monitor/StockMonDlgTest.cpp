// The board as the program makes and shows it: the plug-in's start-up installs its maker, the
// trading view creates it with its dialogs, the view's show command opens it, and what the
// user saves reaches the view's own stock list and the strategy workbook, from which the next
// run's board reloads.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/grid.h>
#include <wx/stattext.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>
#include <cwchar>
#include <filesystem>

#include "platform/ui/DbViewBase.h"
#include "platform/ui/ReportGridWindow.h"
#include "platform/win/MessageBox.h"
#include "platform/xl/XlBook.h"
#include "plugin/monitor/StockMonDlg.h"
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
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  auto* board = dynamic_cast<CStockMonDlg*>(view->StockBoard());
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
  wxGrid* grid = GridOf(dlg);
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
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  auto* board = dynamic_cast<CStockMonDlg*>(view->StockBoard());
  ASSERT_NE(board, nullptr);
  ASSERT_TRUE(board->SendCommand(CStockMonDlg::IDC_RELOAD));
  EXPECT_TRUE(board->WaitingForMasterList());
  view->Engine().Stocks().AddMasterStock(1, L"005930", L"삼성전자", 1, 0, 0, 0, 70000, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return !board->WaitingForMasterList(); }, 5000));
  view->Destroy();
}
