// The trading view in a wx parent: the start-up runs once, the teardown is safe twice, and a
// changed configuration is saved on destroy while an unchanged one is not.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <wx/checkbox.h>
#include <wx/frame.h>
#include <wx/grid.h>
#include <wx/menu.h>
#include <wx/notebook.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/support/StockOptionStore.h"
#include "platform/ui/DbViewBase.h"
#include "platform/ui/model/ReportCtrl.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "plugin/rows/RurezOzadoResultRecord.h"
#include "plugin/view/HoldingsGrid.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/StockGrids.h"
#include "plugin/view/ViewToolbar.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"
#include "shared/Messages.h"
#include "shared/SearchCondition.h"
#include "shared/SharedWnds.h"
#include "tests/probe/ProbeHarness.h"

namespace fs = std::filesystem;

namespace {

struct RecordingOrderPanel : CPelomarOrderWindow {
  static inline int splitAmount = -1;
  static inline std::wstring serverText;
  void SetSplitOrderBaseMoney(int amount) override { splitAmount = amount; }
  void SetServerMode(uint32_t, const wchar_t* text) override { serverText = text ? text : L""; }
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class PelomarViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    orv::test::EnsureWxApp();
    setenv("XDG_CONFIG_HOME", (dir_.Path() + "/config").c_str(), 1);
    fs::create_directories(fs::path(dir_.Path()) / "Settings");
    catalogue_ = dir_.Path() + "/Settings/app-settings.db";
    fs::copy_file(fs::path(ORV_BINARY_DIR) / "seed" / "app-settings.db", catalogue_);
    const std::wstring program(dir_.Path().begin(), dir_.Path().end());
    std::wcscpy(folders_.szExeFolder, (program + L"/").c_str());
    std::wcscpy(run_.szDataFolder, (program + L"/data").c_str());
    std::wcscpy(run_.szCompanyKey, L"OrvTest");
    run_.nAgencyIdx = 3;
    block_.pRunSetting = &run_;
    block_.pLoginInfo = &login_;
    block_.pSearchCond = &folders_;
    ChildMakers().orderPanel = [](CPelomarView&) {
      return std::make_unique<RecordingOrderPanel>();
    };
  }
  void TearDown() override { ChildMakers() = PelomarChildMakers{}; }

  CPelomarView* CreateView() {
    GfxSetEmbededViewsCfgDataPtr(&block_);
    wxWindow* wnd =
        GfxCreateEmbededView(nullptr, CPelomarView::GetThisClass(), RECT{0, 0, 800, 600},
                             orv::test::HiddenFrame(), 0xE901, WS_CHILD, &block_);
    auto* view = dynamic_cast<CPelomarView*>(wnd);
    if (view) GfxSendMessageToWnd(view, WM_INITIALUPDATE);
    return view;
  }
  std::string TradingLog(CPelomarView* view) {
    return ReadFile(view->Engine().Logs().GetTradingLogPath());
  }

  orv::test::TempDir dir_;
  std::string catalogue_;
  SharedWnds_s block_;
  app_run_setting_s run_;
  login_info_s login_;
  search_condition_s folders_;
};

}  // namespace

TEST_F(PelomarViewTest, StartUpRunsOnceAndBuildsTheView) {
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->GetSharedWnds(), &block_);
  EXPECT_EQ(view->ViewState() & VIEW_STATE_INITIALIZED, VIEW_STATE_INITIALIZED);
  EXPECT_TRUE(view->Engine().HasEvents());
  EXPECT_TRUE(view->Engine().ThreadsStarted());
  EXPECT_EQ(view->Engine().RunningWorkerCount(), kEngineWorkerCount);
  EXPECT_EQ(view->TimerId(0), PELOMAR_TIMER_3);
  EXPECT_EQ(view->TimerId(1), PELOMAR_TIMER_TICK);
  EXPECT_EQ(view->TimerId(2), PELOMAR_TIMER_2);

  // Tabs and grids, the own-stock tab selected.
  ASSERT_NE(view->TabControl(), nullptr);
  ASSERT_EQ(view->TabControl()->GetPageCount(), 3u);
  EXPECT_EQ(view->TabControl()->GetPageText(0), wxString(L"전종목 시세"));
  EXPECT_EQ(view->TabControl()->GetPageText(2), wxString(L"주문 내역"));
  EXPECT_EQ(view->TabControl()->GetSelection(), 1);
  EXPECT_EQ(view->Grid(IDC_ALL_STOCK_GRID)->GetColumnCount(), 78 + 60);
  EXPECT_EQ(view->Grid(IDC_MY_STOCK_GRID)->GetColumnCount(), 73 + 60);
  EXPECT_EQ(view->Grid(IDC_ORDER_HISTORY_GRID)->GetColumn(32)->spec.title, L"주문시각");

  // Run settings, folders and logs.
  EXPECT_STREQ(run_.szModuleKind, L"주식");
  EXPECT_EQ(run_.chMarker1, L'@');
  EXPECT_EQ(view->Engine().CaCertPath(), L"");  // no Settings/cacert.pem in this folder
  EXPECT_TRUE(fs::is_directory(dir_.Path() + "/data/Log"));
  EXPECT_TRUE(view->Engine().Logs().IsAppLogOpen());
  EXPECT_NE(ReadFile(view->Engine().Logs().GetAppLogPath()).find("일 이전 로그 0개 삭제"),
            std::string::npos);
  EXPECT_DOUBLE_EQ(view->Engine().Options().exchange_rate, 1500.0);

  // The order panel got its start-up values.
  EXPECT_EQ(RecordingOrderPanel::splitAmount, 50);
  EXPECT_EQ(RecordingOrderPanel::serverText, L"체크중");

  // No auto login stored: no id or password in the dialog's text.
  EXPECT_EQ(view->CredentialText(), L"0\t\t\t\t0\t0");
  EXPECT_EQ(view->LoginDialogFlags(), 0x104000u);

  // A later initial update only refreshes.
  GfxSendMessageToWnd(view, WM_INITIALUPDATE);
  EXPECT_EQ(view->InitialUpdateCount(), 2);
  EXPECT_EQ(view->TabControl()->GetPageCount(), 3u);
  EXPECT_EQ(view->Engine().RunningWorkerCount(), kEngineWorkerCount);

  // Login callbacks: the notify callback whenever asked, the rest only as a pair.
  void* ctx = nullptr;
  ::LoginCallback login = nullptr;
  ::LoginNotifyCallback notify = nullptr;
  EXPECT_EQ(view->GetLoginCallbackFunc(nullptr, nullptr, &notify), 0);
  EXPECT_NE(notify, nullptr);
  EXPECT_EQ(view->GetLoginCallbackFunc(&ctx, &login, nullptr), 1);
  EXPECT_EQ(ctx, view);
  EXPECT_EQ(login, &CPelomarView::LoginCallback);

  EXPECT_TRUE(view->Destroy());
}

TEST_F(PelomarViewTest, TeardownTwiceStopsWorkersBeforeFreeing) {
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  Stock_s* stock =
      view->Engine().Stocks().AddMasterStock(1, L"005930", L"삼성전자", 0, 0, 0, 0, 0, 0, 0);
  view->Engine().Stocks().Held(0)[L"005930"] = stock;
  // The destroy runs the teardown, then the destructor runs it again.
  wxWindow* parent = view->GetParent();
  const size_t children = parent->GetChildren().size();
  EXPECT_TRUE(view->Destroy());
  EXPECT_EQ(parent->GetChildren().size(), children - 1);
}

TEST_F(PelomarViewTest, ChangedConfigurationIsSavedOnDestroyAndUnchangedIsNot) {
  {
    CPelomarView* view = CreateView();
    ASSERT_NE(view, nullptr);
    const std::string tradingLogPath = view->Engine().Logs().GetTradingLogPath();
    view->m_notiPopupFlags = 4;
    view->Destroy();
    EXPECT_EQ(ReadFile(tradingLogPath).find("STK.OPT.SAVE"), std::string::npos);
    // The switches are written even so.
    EXPECT_EQ(orv::win::GetProfileInt("Settings", "STOCK_NotiPopupFlags", -1), 4);
  }
  sqlite3* db = GfxOpenOptionsDb(catalogue_.c_str());
  stock_option_s stored;
  stored.min_take_profit = -1;
  GfxLoadStockOption(db, 1, 1, &stored);
  EXPECT_DOUBLE_EQ(stored.min_take_profit, -1);  // nothing was saved
  {
    CPelomarView* view = CreateView();
    ASSERT_NE(view, nullptr);
    const std::string tradingLogPath = view->Engine().Logs().GetTradingLogPath();
    EXPECT_EQ(view->m_notiPopupFlags, 4);  // read back at creation
    view->Engine().Options().min_take_profit = 8.5;
    view->Engine().Options().changed = 1;
    view->Destroy();
    EXPECT_NE(ReadFile(tradingLogPath).find("STK.OPT.SAVE"), std::string::npos);
  }
  EXPECT_EQ(GfxLoadStockOption(db, 1, 1, &stored), 1);
  EXPECT_DOUBLE_EQ(stored.min_take_profit, 8.5);
  sqlite3_close(db);
}

TEST_F(PelomarViewTest, OrdersAddRowsToTheOrderHistoryTabAndCountThemInItsCaption) {
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  // The order table's connection is open beside the catalogue.
  EXPECT_NE(view->Engine().DataDb(), nullptr);
  EXPECT_TRUE(fs::exists(dir_.Path() + "/Settings/data.db"));

  bool added = false;
  Stock_s* stock = GfxAddStockToMap(&view->Engine().Stocks().Master(), L"005930", 1, 0, 0, &added);
  stock->name = L"삼성전자";
  stock->market_letter = '1';
  stock->cur_price = 61000;
  OrderHistoryRow_s row = view->Engine().MakeOrderHistoryRow(nullptr, stock, 2, 1, false, 3, 61000);
  row.orderClock.wHour = 10;
  row.orderClock.wMinute = 20;
  row.orderClock.wSecond = 30;
  ASSERT_NE(view->AddOrderHistoryRow(row), nullptr);
  orv::ui::CMyReportCtrl* grid = view->Grid(IDC_ORDER_HISTORY_GRID);
  ASSERT_EQ(grid->GetRecordCount(), 1);
  EXPECT_EQ(grid->GetRecord(0)->GetTextValue(CRurezOzadoResultRecord::kColCode), L"005930");
  EXPECT_EQ(grid->GetRecord(0)->GetTimeValue(CRurezOzadoResultRecord::kColCheckTime).wMinute, 20);
  EXPECT_EQ(view->TabControl()->GetPageText(2), wxString(L"주문 내역:1건"));
  view->AddOrderHistoryRow(row);
  EXPECT_EQ(grid->GetRecordCount(), 2);
  EXPECT_EQ(view->OrderHistoryCount(), 2);
  EXPECT_EQ(view->TabControl()->GetPageText(2), wxString(L"주문 내역:2건"));
  // A row without a stock adds nothing and counts nothing.
  row.stock = nullptr;
  EXPECT_EQ(view->AddOrderHistoryRow(row), nullptr);
  EXPECT_EQ(view->OrderHistoryCount(), 2);
  EXPECT_TRUE(view->Destroy());
}

namespace {

wxGrid* FindGrid(wxWindow* window) {
  if (auto* grid = dynamic_cast<wxGrid*>(window)) return grid;
  for (wxWindow* child : window->GetChildren())
    if (wxGrid* grid = FindGrid(child)) return grid;
  return nullptr;
}

std::vector<std::wstring> MenuLabels(wxMenu* menu) {
  std::vector<std::wstring> labels;
  for (wxMenuItem* item : menu->GetMenuItems())
    labels.push_back(item->GetItemLabelText().ToStdWstring());
  return labels;
}

}  // namespace

TEST_F(PelomarViewTest, HostStopAndMessagesWithoutTheirPointers) {
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  ASSERT_EQ(view->Engine().RunningWorkerCount(), kEngineWorkerCount);
  // Messages whose pointer is missing are ignored.
  EXPECT_EQ(GfxSendMessageToWnd(view, WM_MODULE_REFRESH, 3, 0), 0);
  EXPECT_EQ(GfxSendMessageToWnd(view, WM_ADD_SPARE_STOCK, 0, 0), 0);
  EXPECT_TRUE(view->Engine().SpareStocks().empty());
  Stock_s* stock =
      view->Engine().Stocks().AddMasterStock(1, L"005930", L"삼성전자", 0, 0, 0, 0, 0, 0, 0);
  GfxSendMessageToWnd(view, WM_ADD_SPARE_STOCK, 0, reinterpret_cast<LPARAM>(stock));
  EXPECT_EQ(view->Engine().SpareStocks().Find(L"005930"), stock);

  // Code 21 stops the workers for good.
  EXPECT_EQ(view->OnReceivedMsgFromManager(2, 21, 0, 0, nullptr), 0);
  EXPECT_EQ(view->Engine().RunningWorkerCount(), 0);
  EXPECT_FALSE(view->Engine().ThreadsRunning());
  EXPECT_FALSE(view->Engine().ThreadsStarted());
  EXPECT_TRUE(view->Destroy());
}

TEST_F(PelomarViewTest, LanguageMessageRelabelsTheHeaderMenu) {
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  GfxSendMessageToWnd(view, WM_MODULE_LANGUAGE, MODULE_LANGUAGE_WPARAM, 1);
  EXPECT_EQ(MenuLabels(view->ContextMenuPopup(0)),
            (std::vector<std::wstring>{L"Hide Column", L"Show all hidden columns",
                                       L"Copy column's caption",
                                       L"Copy all column's caption(with width)"}));
  EXPECT_EQ(MenuLabels(view->ContextMenuPopup(1)),
            (std::vector<std::wstring>{L"add", L"edit", L"delete"}));
  GfxSendMessageToWnd(view, WM_MODULE_LANGUAGE, MODULE_LANGUAGE_WPARAM, 2);
  EXPECT_EQ(MenuLabels(view->ContextMenuPopup(0))[0], L"열 숨기기");
  // Korean has no default for "edit": the English one stays.
  EXPECT_EQ(MenuLabels(view->ContextMenuPopup(2)),
            (std::vector<std::wstring>{L"추가", L"edit", L"삭제"}));
  EXPECT_EQ(view->CommandBar()->ToolTipOf(434), wxString(L"종료일"));
  // Other wParam values change nothing.
  GfxSendMessageToWnd(view, WM_MODULE_LANGUAGE, 14, 1);
  EXPECT_EQ(MenuLabels(view->ContextMenuPopup(0))[0], L"열 숨기기");
  EXPECT_TRUE(view->Destroy());
}

TEST_F(PelomarViewTest, LayoutAtScaleOneAndAHalfShowsTheGridRows) {
  run_.dScale = 1.5;
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  view->SetSize(0, 0, 1500, 800);
  view->LayoutChildWindows();
  wxCheckBox* simple = view->CheckBox(IDC_CHECK_SIMPLE_UI);
  ASSERT_NE(simple, nullptr);
  EXPECT_EQ(simple->GetSize(), wxSize(165, 36));
  const int barBottom = view->CommandBar()->GetSize().y;
  EXPECT_GT(barBottom, 0);
  EXPECT_EQ(simple->GetPosition(), wxPoint(static_cast<int>(1500 - 85 * 1.5), barBottom + 2));
  // The host gave no left container and the cafe view has no window: the tabs take the width.
  EXPECT_EQ(view->TabControl()->GetRect(), wxRect(0, barBottom, 1500, 800 - barBottom));

  // Stocks with rows in the all-stock grid, shown by a pass that shows every row.
  CStockLists& lists = view->Engine().Stocks();
  orv::ui::CMyReportCtrl* grid = view->Grid(IDC_ALL_STOCK_GRID);
  int index = 0;
  for (const wchar_t* code : {L"005930", L"000660", L"035720"}) {
    Stock_s* s = lists.AddMasterStock(1, code, L"종목", 0, 0, 0, 0, 1000, 0, 0);
    s->change = index == 1 ? -10 : 10;
    s->change_rate = s->change / 10.0;
    AddAllStockRow(*grid, s, ++index, view->Scale());
  }
  EXPECT_EQ(view->FilterMasterGrid(1).shown, 3);
  wxGrid* body = FindGrid(view->TabControl()->GetPage(0));
  ASSERT_NE(body, nullptr);
  EXPECT_EQ(body->GetNumberRows(), 3);
  EXPECT_EQ(grid->GetRowRecord(1)->GetItem(kAllItemPrice)->textColor, kRowBlue);
  EXPECT_EQ(grid->GetRowRecord(0)->GetItem(kAllItemPrice)->textColor, kRowRed);
  EXPECT_EQ(grid->GetRowRecord(0)->GetItem(kAllItemName)->buttons[0].width, 87);
  EXPECT_TRUE(view->Destroy());
}

namespace {

struct HostNotice {
  int kind;
  std::wstring title, text;
};
std::vector<HostNotice>& HostNotices() {
  static std::vector<HostNotice> notices;
  return notices;
}
intptr_t RecordHostNotice(void*, int, int kind, int, double, double, const wchar_t* text1,
                          const wchar_t* text2, const void*, intptr_t, intptr_t, int*, wchar_t*,
                          int, int, int, intptr_t, intptr_t) {
  HostNotices().push_back({kind, text1 ? text1 : L"", text2 ? text2 : L""});
  return 0;
}

}  // namespace

TEST_F(PelomarViewTest, HostCommandsSwitchAutomaticTradingForAllOwnStocks) {
  block_.pfnNotify = &RecordHostNotice;
  HostNotices().clear();
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  CPelomarEngine& engine = view->Engine();
  engine.Options().changed = 0;
  auto* grid = view->Grid(IDC_MY_STOCK_GRID);
  ASSERT_NE(grid, nullptr);
  // One holding that may trade, one without a price and one below its stop-loss.
  struct Spec {
    const wchar_t* code;
    double price, rate;
  };
  const Spec specs[] = {{L"005930", 11000, 10}, {L"000660", 0, 10}, {L"035420", 9000, -10}};
  std::vector<StockTrade_s*> holdings;
  for (const Spec& s : specs) {
    Stock_s* stock = engine.Stocks().AddMasterStock(1, s.code, s.code, 0, 0, 0, 0, 0, 0, 0);
    stock->cur_price = s.price;
    auto* h = new StockTrade_s();
    h->stock = stock;
    std::wcscpy(h->code, s.code);
    h->quantity = 10;
    h->avg_price = 10000;
    h->step_base_price = 10000;
    h->profit_rate = s.rate;
    h->stop_loss_rate = -5;
    h->auto_trade = 0;
    engine.Stocks().Holdings().emplace(h, 0);
    grid->AddRecord(new CMyStockRecord(h, static_cast<int>(holdings.size()) + 1));
    holdings.push_back(h);
  }
  const auto rowCheck = [&](int i) { return grid->GetRecord(i)->GetCheckValue(kMyItemAutoTrade); };

  EXPECT_EQ(view->OnReceivedMsgFromManager(2, 113, 0, 0, nullptr), 1);
  EXPECT_EQ(holdings[0]->auto_trade, 1);
  EXPECT_EQ(holdings[1]->auto_trade, 0);
  EXPECT_EQ(holdings[2]->auto_trade, 0);
  EXPECT_TRUE(rowCheck(0));
  EXPECT_FALSE(rowCheck(1));
  EXPECT_EQ(view->AutoTradeSwitch(0), 1);
  EXPECT_TRUE(view->CheckBox(IDC_CHECK_ALL_STOCK_WATCH)->GetValue());
  EXPECT_EQ(engine.Options().changed, 2);

  EXPECT_EQ(view->OnReceivedMsgFromManager(2, 114, 0, 0, nullptr), 1);
  EXPECT_EQ(holdings[0]->auto_trade, 0);
  EXPECT_FALSE(rowCheck(0));
  EXPECT_EQ(view->AutoTradeSwitch(0), 0);
  EXPECT_FALSE(view->CheckBox(IDC_CHECK_ALL_STOCK_WATCH)->GetValue());

  std::vector<std::wstring> texts;
  for (const HostNotice& n : HostNotices())
    if (n.kind == 8 && n.title == L"전체 종목") texts.push_back(n.text);
  EXPECT_EQ(texts,
            (std::vector<std::wstring>{L"전체 보유 종목이 [자동 매매] *설정* (1개)되었습니다.",
                                       L"전체 보유 종목이 [자동 매매] *취소(Cancel)* "
                                       L"(1개)되었습니다."}));
  const std::string log = TradingLog(view);
  EXPECT_NE(log.find(",28,전종목.자동매도.설정,"), std::string::npos);
  EXPECT_NE(log.find(",29,전종목.자동매도.해제,"), std::string::npos);

  // The grid menu's toggle asks first; declining changes nothing.
  orv::win::ScriptMessageBoxes({IDNO});
  view->Hooks().setAutoTradeAll(IDC_MY_STOCK_GRID, -1, 1, 0);
  const auto calls = orv::win::ScriptedMessageBoxCalls();
  orv::win::StopScriptingMessageBoxes();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].caption, "QUESTION");
  EXPECT_NE(calls[0].text.find("●가격 미수신: 1개\n●현재 수익률보다 낮은 것 : 1개"),
            std::string::npos);
  EXPECT_NE(calls[0].text.find("1> 000660(000660) (현재가 : 0.0, 손절가 : 9500.0) 등"),
            std::string::npos);
  EXPECT_EQ(view->AutoTradeSwitch(0), 0);
  EXPECT_EQ(holdings[0]->auto_trade, 0);

  grid->ResetContent();
  EXPECT_TRUE(view->Destroy());
}
