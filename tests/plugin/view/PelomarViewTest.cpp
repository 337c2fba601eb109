// The trading view in a wx parent: the start-up runs once, the teardown is safe twice, and a
// changed configuration is saved on destroy while an unchanged one is not.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/frame.h>
#include <wx/grid.h>
#include <wx/menu.h>
#include <wx/combobox.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/stocklib/BalanceMerge.h"
#include "platform/stocklib/StockAgentBase.h"
#include "platform/support/StockOptionStore.h"
#include "platform/ui/DbViewBase.h"
#include "platform/ui/model/ReportCtrl.h"
#include "platform/win/MessageBox.h"
#include "platform/support/TextConv.h"
#include "platform/win/Registry.h"
#include "plugin/rows/RurezOzadoResultRecord.h"
#include "plugin/community/StockGridMenu.h"
#include "plugin/community/WebEngine.h"
#include "plugin/view/HoldingsGrid.h"
#include "plugin/community/WebLogin.h"
#include "plugin/view/PelomarLoginEngine.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/ProfitRateDialog.h"
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
  // The server modes set, in order: "<flags>:<text>" ("-" for no text).
  static inline std::vector<std::wstring> serverModes;
  void SetSplitOrderBaseMoney(int amount) override { splitAmount = amount; }
  void SetServerMode(uint32_t flags, const wchar_t* text) override {
    serverModes.push_back(std::to_wstring(flags) + L":" + (text ? text : L"-"));
  }
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
    RecordingOrderPanel::serverModes.clear();
    ChildMakers().orderPanel = [](CPelomarView&) {
      return std::make_unique<RecordingOrderPanel>();
    };
  }
  void TearDown() override { ChildMakers() = PelomarChildMakers{}; }

  CPelomarView* CreateView(wxWindow* parent = nullptr) {
    GfxSetEmbededViewsCfgDataPtr(&block_);
    wxWindow* wnd = GfxCreateEmbededView(nullptr, CPelomarView::GetThisClass(),
                                         RECT{0, 0, 800, 600},
                                         parent ? parent : orv::test::HiddenFrame(), 0xE901,
                                         WS_CHILD, &block_);
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
  // "체크중" first, then the view's own server mode (no login yet: no flags).
  EXPECT_EQ(RecordingOrderPanel::serverModes, (std::vector<std::wstring>{L"0:체크중", L"0:-"}));

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
  // A row without a code adds nothing and counts nothing.
  row.code.clear();
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

TEST_F(PelomarViewTest, AnOrderDatabaseThatCannotBeOpenedIsAnErrorTheUserSees) {
  const std::string data = dir_.Path() + "/Settings/data.db";
  std::ofstream(data, std::ios::binary) << std::string(8192, 'x');
  orv::win::ScriptMessageBoxes({});
  CPelomarView* view = CreateView();
  const auto boxes = orv::win::ScriptedMessageBoxCalls();
  orv::win::StopScriptingMessageBoxes();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->Engine().DataDb(), nullptr);
  std::vector<orv::win::MessageBoxCall> errors;
  for (const auto& box : boxes)
    if (box.caption == "ERROR") errors.push_back(box);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].text.rfind("주문 DB를 열 수 없습니다: " + data + "\n(", 0), 0u)
      << errors[0].text;
  EXPECT_NE(errors[0].text.find("주문 내역이 기록되지 않습니다."), std::string::npos);
  // The file is left as it was for whoever looks into it.
  EXPECT_EQ(ReadFile(data), std::string(8192, 'x'));
  EXPECT_TRUE(view->Destroy());
}

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
    s->change = index == 0 ? -10 : 10;
    s->change_rate = s->change / 10.0;
    ++index;
  }
  // The rebuild the tick runs after the master codes (rows in code order: 000660 first).
  view->Engine().PublishMasterList();
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

void PumpFor(int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until) {
    wxTheApp->ProcessPendingEvents();
    wxYield();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// A window's rectangle in its view's client pixels.
wxRect InView(wxWindow* w, wxWindow* view) {
  return wxRect(view->ScreenToClient(w->GetScreenPosition()), w->GetSize());
}

}  // namespace

// The command bar and the check-box row as the program lays them out in a shown frame, with
// the tabs where GTK put them: every caption is as wide as its text needs and inside the view,
// no two controls overlap and no box lies over a tab, at both scales, wide and narrow.
TEST_F(PelomarViewTest, ToolbarAndCheckRowTextsAreWholeAndApart) {
  for (double scale : {1.0, 1.5})
    for (int width : {1280, 640}) {
      SCOPED_TRACE(testing::Message() << "scale " << scale << ", width " << width);
      run_.dScale = scale;
      auto* frame = new wxFrame(nullptr, wxID_ANY, "view", wxPoint(0, 0), wxSize(width, 700));
      frame->Show();
      CPelomarView* view = CreateView(frame);
      ASSERT_NE(view, nullptr);
      view->SetSize(frame->GetClientSize());
      view->Show();
      // Once the tabs are shown their strip is known and the row finds its place.
      for (int pass = 0; pass < 3; ++pass) {
        PumpFor(150);
        view->LayoutChildWindows();
      }
      PumpFor(150);
      const wxSize client = view->GetClientSize();

      // The command bar: whole controls and captions inside the bar, none over another; the
      // controls that do not fit one row come with the button that shows them.
      CViewCommandBar* bar = view->CommandBar();
      auto checkBar = [&] {
        const wxRect barRect = InView(bar, view);
        std::vector<wxRect> placed;
        int shown = 0;
        for (int id : bar->ControlIds()) {
          if (bar->Control(id)->IsShown()) ++shown;
          for (wxWindow* w : {bar->Control(id), bar->Label(id)}) {
            if (!w || !w->IsShown()) continue;
            const wxRect r = InView(w, view);
            EXPECT_TRUE(barRect.Contains(r)) << id << " outside the bar";
            if (w == bar->Label(id) || dynamic_cast<wxCheckBox*>(w))
              EXPECT_GE(r.width, w->GetBestSize().x) << id;
            for (const wxRect& other : placed) EXPECT_FALSE(r.Intersects(other)) << id;
            placed.push_back(r);
          }
        }
        if (bar->MoreButton()->IsShown()) {
          const wxRect more = InView(bar->MoreButton(), view);
          EXPECT_TRUE(barRect.Contains(more));
          for (const wxRect& other : placed) EXPECT_FALSE(more.Intersects(other));
        }
        return shown;
      };
      const int collapsedShown = checkBar();
      const int collapsedHeight = bar->GetSize().y;
      ASSERT_TRUE(bar->MoreButton()->IsShown()) << "the controls never fit one row here";
      // Expanded, every control the program shows is there, in more rows.
      wxCommandEvent press(wxEVT_BUTTON, bar->MoreButton()->GetId());
      press.SetEventObject(bar->MoreButton());
      bar->MoreButton()->GetEventHandler()->ProcessEvent(press);
      PumpFor(100);
      EXPECT_TRUE(bar->IsExpanded());
      EXPECT_GT(checkBar(), collapsedShown);
      EXPECT_GT(bar->GetSize().y, collapsedHeight);
      // Before a login the trading items are hidden, and the price bounds while their switch
      // is off.
      const std::set<int> tradingItems = {3350, 3441, 1316, 2239, 719, 1230, 378,
                                          369,  695,  697,  618,  619,  3444};
      for (const ToolbarControlSpec& spec : ToolbarControls())
        if (!spec.hidden && spec.id != 1298 && spec.id != 1299) {
          EXPECT_EQ(bar->Control(spec.id)->IsShown(), tradingItems.count(spec.id) == 0)
              << spec.id;
        }
      bar->MoreButton()->GetEventHandler()->ProcessEvent(press);
      PumpFor(100);
      EXPECT_EQ(checkBar(), collapsedShown);
      const wxRect barRect = InView(bar, view);

      // The check-box row: texts whole, inside the view, apart, off the tabs.
      std::vector<wxWindow*> row = {view->ProfitRatesButton()};
      for (int id : {IDC_CHECK_ALL_STOCK_WATCH, IDC_CHECK_SELL_ONE_BY_ONE, IDC_CHECK_PROFIT_STEPS,
                     IDC_CHECK_SIMPLE_UI})
        row.push_back(view->CheckBox(id));
      wxNotebook* tabs = view->TabControl();
      ASSERT_GT(view->TabStripWidth(), 0) << "the tabs were never found";
      std::vector<wxRect> boxes;
      for (wxWindow* w : row) {
        ASSERT_NE(w, nullptr);
        const wxRect r = InView(w, view);
        const wxSize best = w->GetBestSize();
        EXPECT_GE(r.width, best.x) << w->GetLabel();
        EXPECT_GE(r.height, best.y) << w->GetLabel();
        EXPECT_GE(r.x, 0) << w->GetLabel();
        EXPECT_LE(r.x + best.x, client.x) << w->GetLabel();
        EXPECT_GE(r.y, barRect.GetBottom()) << w->GetLabel();
        for (const wxRect& other : boxes) EXPECT_FALSE(r.Intersects(other)) << w->GetLabel();
        boxes.push_back(r);
        // No tab under the box: along its middle line the tab control finds no tab.
        for (int x = r.x; x < r.GetRight(); x += 3) {
          const wxPoint at = tabs->ScreenToClient(view->ClientToScreen(wxPoint(x, r.y + r.height / 2)));
          EXPECT_EQ(tabs->HitTest(at), wxNOT_FOUND) << w->GetLabel() << " over a tab at " << x;
        }
      }
      EXPECT_TRUE(view->Destroy());
      frame->Destroy();
      PumpFor(50);
    }
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

namespace {

// A holding as a balance reply leaves it: in the engine's holdings map, its stock in the master
// list, 10 shares bought at 10,000.
StockTrade_s* AddHeldStock(CPelomarEngine& engine, const wchar_t* code, double price,
                           double rate) {
  Stock_s* stock = engine.Stocks().AddMasterStock(1, code, code, 0, 0, 0, 0, 0, 0, 0);
  stock->cur_price = price;
  stock->market_letter = '1';
  auto* h = new StockTrade_s();
  h->stock = stock;
  std::wcscpy(h->code, code);
  h->quantity = 10;
  h->avg_price = 10000;
  h->purchase = 100000;
  h->step_base_price = 10000;
  h->profit_rate = rate;
  h->stop_loss_rate = -5;
  h->auto_trade = 0;
  h->sell_rate = 100;
  stock->holding = h;
  engine.Stocks().Holdings().emplace(h, 0);
  return h;
}

// The holdings row the view shows for a holding, found by the key the view names it by.
CRurezOzadoResultRecord* RowOf(CPelomarView* view, const StockTrade_s* h) {
  return view->HoldingsRows()->RowOf(HoldingKey_s{h->account_no, h->code, h->holding_kind});
}

// The all-stock row of a stock (the rows name their stock by market and code).
orv::ui::CMyReportRecordBase* AllStockRowOf(const Stock_s* stock, orv::ui::CMyReportCtrl& grid) {
  for (int i = 0; i < grid.GetRecordCount(); ++i) {
    auto* row = dynamic_cast<CStockGridRecord*>(grid.GetRecord(i));
    if (row && row->GetStockMarket() == stock->market && row->GetStockCode() == stock->code)
      return grid.GetRecord(i);
  }
  return nullptr;
}

}  // namespace

TEST_F(PelomarViewTest, HostCommandsAndTheGridMenuSwitchAutomaticTradingOfTheHoldingRows) {
  block_.pfnNotify = &RecordHostNotice;
  HostNotices().clear();
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  CPelomarEngine& engine = view->Engine();
  engine.Options().changed = 0;
  auto* grid = view->Grid(IDC_MY_STOCK_GRID);
  ASSERT_NE(grid, nullptr);
  // One holding that may trade, one without a price and one below its stop-loss; the rows are
  // the ones the account refresh of the tick makes.
  std::vector<StockTrade_s*> holdings = {AddHeldStock(engine, L"005930", 11000, 10),
                                         AddHeldStock(engine, L"000660", 0, 10),
                                         AddHeldStock(engine, L"035420", 9000, -10)};
  engine.PublishHoldings();
  ASSERT_EQ(grid->GetRecordCount(), 3);
  for (StockTrade_s* h : holdings) ASSERT_NE(RowOf(view, h), nullptr);
  const auto rowCheck = [&](int i) {
    return RowOf(view, holdings[i])->GetCheckValue(CRurezOzadoResultRecord::kColAutoTrade);
  };

  EXPECT_EQ(view->OnReceivedMsgFromManager(2, 113, 0, 0, nullptr), 1);
  EXPECT_EQ(holdings[0]->auto_trade, 1);
  EXPECT_EQ(holdings[1]->auto_trade, 0);
  EXPECT_EQ(holdings[2]->auto_trade, 0);
  EXPECT_TRUE(rowCheck(0));
  EXPECT_FALSE(rowCheck(1));
  EXPECT_FALSE(rowCheck(2));
  EXPECT_EQ(RowOf(view, holdings[0])->GetItem(CRurezOzadoResultRecord::kColAutoTrade)->backColor,
            kRowRed);
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

  // The grid menu's "자동 매매" on a holding row switches that holding on (its sell steps start
  // again), then off again.
  const int shown = grid->GetRowIndex(RowOf(view, holdings[0]));
  ASSERT_GE(shown, 0);
  holdings[0]->cur_step = 3;
  holdings[0]->step_orders = 2;
  ASSERT_TRUE(view->GridMenu().RunStockGridCommand(IDC_MY_STOCK_GRID, shown, ID_HOLDING_AUTO_TRADE));
  EXPECT_EQ(holdings[0]->auto_trade, 1);
  EXPECT_EQ(holdings[0]->cur_step, -1);
  EXPECT_EQ(holdings[0]->step_orders, 0);
  EXPECT_TRUE(rowCheck(0));
  ASSERT_TRUE(view->GridMenu().RunStockGridCommand(IDC_MY_STOCK_GRID, shown, ID_HOLDING_AUTO_TRADE));
  EXPECT_EQ(holdings[0]->auto_trade, 0);
  EXPECT_FALSE(rowCheck(0));
  // So does the user's click on the row's check box: the holding follows the cell.
  const int autoColumn = CRurezOzadoResultRecord::kColAutoTrade;
  grid->OnToggleCheck(shown, autoColumn);
  EXPECT_EQ(holdings[0]->auto_trade, 1);
  EXPECT_TRUE(rowCheck(0));
  grid->OnToggleCheck(shown, autoColumn);
  EXPECT_EQ(holdings[0]->auto_trade, 0);
  EXPECT_FALSE(rowCheck(0));

  // A holding the next balance dropped is freed before the rows follow: the switch neither
  // reads it nor counts it.
  engine.Stocks().Holdings().erase(holdings[2]);
  GfxStockTradeDataFree(holdings[2]);
  HostNotices().clear();
  EXPECT_EQ(view->OnReceivedMsgFromManager(2, 113, 0, 0, nullptr), 1);
  ASSERT_FALSE(HostNotices().empty());
  EXPECT_EQ(HostNotices().back().text, L"전체 보유 종목이 [자동 매매] *설정* (1개)되었습니다.");

  // The view's end frees the rows before the holdings they point at.
  EXPECT_TRUE(view->Destroy());
}

TEST_F(PelomarViewTest, QuotePassesRefreshTheHoldingRowsAndTheirTotalsOnTheNextTick) {
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  CPelomarEngine& engine = view->Engine();
  auto* grid = view->Grid(IDC_MY_STOCK_GRID);
  StockTrade_s* a = AddHeldStock(engine, L"005930", 11000, 10);
  StockTrade_s* b = AddHeldStock(engine, L"000660", 9000, -10);
  b->loan_amount = 30000;
  engine.PublishHoldings();
  ASSERT_EQ(grid->GetRecordCount(), 2);
  // The footer's first row carries the totals, shown with the rows.
  ASSERT_GE(grid->GetFooterRecordCount(), 1);
  orv::ui::CMyReportRecordBase* totals = grid->GetFooterRecord(0);
  EXPECT_DOUBLE_EQ(totals->GetNumberValue(kMyItemPurchase), 200000);
  EXPECT_DOUBLE_EQ(totals->GetNumberValue(kMyItemCredit), 30000);

  // A quote pass moves both prices; the next tick shows them and the new totals.
  struct Pass {
    double priceA, priceB;
  };
  for (const Pass& pass : {Pass{12000, 8000}, Pass{12500, 9500}}) {
    a->stock->cur_price = pass.priceA;
    a->stock->change_rate = 2.5;
    b->stock->cur_price = pass.priceB;
    b->stock->change_rate = -1.5;
    engine.ApplyQuotesToHoldings(nullptr, nullptr, nullptr, 0, nullptr, 0);
    engine.m_quotesApplied.store(1);
    engine.OnTradingTick();
    EXPECT_DOUBLE_EQ(RowOf(view, a)->GetNumberValue(kMyItemPrice), pass.priceA);
    EXPECT_DOUBLE_EQ(RowOf(view, b)->GetNumberValue(kMyItemPrice), pass.priceB);
    EXPECT_EQ(RowOf(view, a)->GetItem(kMyItemPrice)->textColor, kRowRed);
    EXPECT_EQ(RowOf(view, b)->GetItem(kMyItemPrice)->textColor, kRowBlue);
    EXPECT_DOUBLE_EQ(RowOf(view, b)->GetNumberValue(kMyItemChange), -1.5);
    // The all-stock tab's row of the stock follows too.
    orv::ui::CMyReportRecordBase* quote = AllStockRowOf(b->stock, *view->Grid(IDC_ALL_STOCK_GRID));
    ASSERT_NE(quote, nullptr);
    EXPECT_DOUBLE_EQ(quote->GetNumberValue(kAllItemPrice), pass.priceB);
    EXPECT_EQ(quote->GetItem(kAllItemPrice)->textColor, kRowBlue);
    EXPECT_DOUBLE_EQ(totals->GetNumberValue(kMyItemValuation), (pass.priceA + pass.priceB) * 10);
    EXPECT_DOUBLE_EQ(totals->GetNumberValue(kMyItemPurchase), 200000);
  }

  // A holding the balance dropped is freed before the rows follow: the tick does not read it
  // and its row keeps its last values (in the totals while the row is shown).
  CRurezOzadoResultRecord* rowB = RowOf(view, b);
  b->auto_trade = 1;
  rowB->SetCheckValue(CRurezOzadoResultRecord::kColAutoTrade, true);
  engine.Stocks().Holdings().erase(b);
  GfxStockTradeDataFree(b);
  a->stock->cur_price = 13000;
  engine.ApplyQuotesToHoldings(nullptr, nullptr, nullptr, 0, nullptr, 0);
  engine.m_quotesApplied.store(1);
  engine.OnTradingTick();
  EXPECT_DOUBLE_EQ(RowOf(view, a)->GetNumberValue(kMyItemPrice), 13000);
  EXPECT_DOUBLE_EQ(rowB->GetNumberValue(kMyItemPrice), 9500);
  EXPECT_DOUBLE_EQ(totals->GetNumberValue(kMyItemValuation), 130000 + 95000);
  EXPECT_DOUBLE_EQ(totals->GetNumberValue(kMyItemCredit), 30000);
  // The next account refresh: the row no longer trades; missed twice, it is hidden and leaves
  // the totals.
  engine.PublishHoldings();
  EXPECT_FALSE(rowB->GetCheckValue(CRurezOzadoResultRecord::kColAutoTrade));
  EXPECT_TRUE(rowB->IsVisible());
  engine.PublishHoldings();
  EXPECT_FALSE(rowB->IsVisible());
  EXPECT_DOUBLE_EQ(totals->GetNumberValue(kMyItemValuation), 130000);
  EXPECT_DOUBLE_EQ(totals->GetNumberValue(kMyItemCredit), 0);
  EXPECT_TRUE(view->Destroy());
}

// A holding row's switch names its holding by account, code and kind: with one stock held in
// two accounts it switches only its own; once that holding was dropped (and freed) it switches
// nothing, and the grid menu reads no quantity for it.
TEST_F(PelomarViewTest, ARowSwitchesTheHoldingItsKeyNamesAndNothingOnceItIsGone) {
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  CPelomarEngine& engine = view->Engine();
  auto* grid = view->Grid(IDC_MY_STOCK_GRID);
  StockTrade_s* first = AddHeldStock(engine, L"005930", 11000, 10);
  first->account_no = 7;
  first->holding_kind = 1;
  auto* second = new StockTrade_s(*first);
  second->account_no = 8;
  second->quantity = 4;
  engine.Stocks().Holdings().emplace(second, 1);
  engine.PublishHoldings();
  ASSERT_EQ(grid->GetRecordCount(), 2);
  CRurezOzadoResultRecord* firstRow = RowOf(view, first);
  const int firstIndex = grid->GetRowIndex(firstRow);
  const int secondIndex = grid->GetRowIndex(RowOf(view, second));
  ASSERT_GE(firstIndex, 0);
  ASSERT_GE(secondIndex, 0);

  view->WebEngine().SetStockGridRowAutoTrade(IDC_MY_STOCK_GRID, secondIndex, true, 0);
  EXPECT_EQ(second->auto_trade, 1);
  EXPECT_EQ(first->auto_trade, 0);
  StockGridRow_s read;
  ASSERT_TRUE(view->WebEngine().GetStockGridRow(IDC_MY_STOCK_GRID, firstIndex, &read));
  EXPECT_DOUBLE_EQ(read.holdingQty, 10);

  // The balance drops the first account's holding; the rows have not followed yet.
  engine.MergeUnderViewLock([&] {
    engine.Stocks().Holdings().erase(first);
    GfxStockTradeDataFree(first);
  });
  ASSERT_TRUE(view->WebEngine().GetStockGridRow(IDC_MY_STOCK_GRID, firstIndex, &read));
  EXPECT_DOUBLE_EQ(read.holdingQty, 0);
  view->WebEngine().SetStockGridRowAutoTrade(IDC_MY_STOCK_GRID, firstIndex, true, 0);
  EXPECT_EQ(second->auto_trade, 1);
  view->WebEngine().SetStockGridRowAutoTrade(IDC_MY_STOCK_GRID, secondIndex, false, 0);
  EXPECT_EQ(second->auto_trade, 0);
  EXPECT_TRUE(view->Destroy());
}

// The account worker merges balance replies that alternately name and drop a holding (the
// merge frees a dropped holding) while the user-interface thread refreshes the rows and runs
// the tick. No window step may read a freed holding (an ASan or TSan build reports it); when
// the replies stop, the rows show what the last one said.
TEST_F(PelomarViewTest, AHoldingTheAccountWorkerFreesWhileTheGridRefreshesIsNeverRead) {
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  CPelomarEngine& engine = view->Engine();
  auto* grid = view->Grid(IDC_MY_STOCK_GRID);
  group_info_s account;
  account.key = 7;
  BalanceQueryArgs_s args;
  args.totals = &account;
  args.holdings = &engine.Stocks().Holdings();
  args.stocks = &engine.Stocks().Master();
  BalanceOwner_s owner;
  owner.brokerId = 11;
  owner.accountKey = 7;
  owner.market = 1;
  const auto row = [](const wchar_t* code, double quantity, double price) {
    BalanceRow_s r;
    r.code = code;
    r.name = code;
    r.quantity = quantity;
    r.avgPrice = 10000;
    r.curPrice = price;
    return r;
  };
  const auto merge = [&](uint32_t pass, bool both) {
    BalanceReply_s reply;
    reply.rows.push_back(row(L"005930", 10, 11000 + pass % 7));
    if (both) reply.rows.push_back(row(L"000660", 5, 9000));
    owner.pass = pass;
    owner.afterFirstPass = pass > 1;
    engine.MergeUnderViewLock([&] { MergeBalanceReply(reply, owner, args); });
  };
  merge(1, true);

  std::atomic<bool> stop{false};
  std::atomic<int> merges{0};
  std::thread accountWorker([&] {
    for (uint32_t pass = 2; !stop.load(); ++pass) {
      merge(pass, pass % 2 == 0);
      merges.fetch_add(1);
      engine.m_accountRefresh.store(1);
    }
  });
  for (int i = 0; i < 300 || merges.load() < 50; ++i) {
    engine.PublishHoldings();
    engine.m_quotesApplied.store(1);
    engine.OnTradingTick();
    if (i > 20000) break;
  }
  stop.store(true);
  accountWorker.join();
  EXPECT_GE(merges.load(), 50);

  // The last reply names only 005930: two refreshes later only its row is shown.
  merge(1000001, false);
  engine.PublishHoldings();
  engine.PublishHoldings();
  int shown = 0;
  for (int i = 0; i < grid->GetRecordCount(); ++i) {
    auto* record = static_cast<CRurezOzadoResultRecord*>(grid->GetRecord(i));
    if (!record->IsVisible()) continue;
    ++shown;
    EXPECT_EQ(record->GetItem(kMyItemCode)->GetCaption(nullptr), L"005930");
    EXPECT_DOUBLE_EQ(record->GetNumberValue(kMyItemPrice), 11000 + 1000001 % 7);
  }
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(view->Destroy());
}

TEST_F(PelomarViewTest, OptionColumnsShowTheirLabels) {
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  CPelomarEngine& engine = view->Engine();
  group_info_s account;
  account.key = 7;
  account.label = L"모의계좌-01";
  engine.Accounts()[account.label] = &account;
  StockTrade_s* h = AddHeldStock(engine, L"005930", 11000, 10);
  h->account_no = 7;
  h->broker_id = 11;
  h->stock->nation = 1;
  h->stock->market_letter = '2';
  h->sell_ratio = 95;  // 매도비중
  h->sell_rate = 30;   // 분할률/금액
  h->stop_loss_rate = -12.5;
  engine.PublishHoldings();
  auto* grid = view->Grid(IDC_MY_STOCK_GRID);
  ASSERT_EQ(grid->GetRecordCount(), 1);
  // What the grid's window shows: the item's caption through its column's option list.
  const auto shows = [&](orv::ui::CMyReportCtrl* g, orv::ui::CMyReportRecordBase* row, int item) {
    const orv::ui::ReportColumn* column = g->FindColumnByItem(item);
    return column ? row->GetItem(item)->GetCaption(&column->editOptions.constraints)
                  : std::wstring(L"(no column)");
  };
  using Row = CRurezOzadoResultRecord;
  orv::ui::CMyReportRecordBase* row = RowOf(view, h);
  EXPECT_EQ(shows(grid, row, Row::kColBroker), L"DB증권");
  EXPECT_EQ(shows(grid, row, Row::kColAccount), L"모의계좌-01");
  EXPECT_EQ(shows(grid, row, Row::kColNation), L"KR");
  EXPECT_EQ(shows(grid, row, Row::kColMarket), L"2:코스닥");
  EXPECT_EQ(shows(grid, row, Row::kColSellRatio), L"95%매도");
  EXPECT_DOUBLE_EQ(row->GetNumberValue(Row::kColSplitRate), 30);
  EXPECT_EQ(shows(grid, row, Row::kColStopLoss), L"-12.5%");

  // The all-stock rows the rebuild makes show the nation and market labels too.
  engine.PublishMasterList();
  orv::ui::CMyReportCtrl* all = view->Grid(IDC_ALL_STOCK_GRID);
  ASSERT_EQ(all->GetRecordCount(), 1);
  EXPECT_EQ(shows(all, all->GetRecord(0), kAllItemNation), L"KR");
  EXPECT_EQ(shows(all, all->GetRecord(0), kAllItemMarket), L"2:코스닥");
  engine.Accounts().clear();
  EXPECT_TRUE(view->Destroy());
}

TEST_F(PelomarViewTest, TheTickFillsTheAllStockGridAfterTheMasterCodesAndALogoutEmptiesIt) {
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  CPelomarEngine& engine = view->Engine();
  CStockLists& lists = engine.Stocks();
  struct Listed {
    const wchar_t* code;
    int8_t nation;
    double change;
  };
  // Codes ending in 0 are shown; a nation '3' stock is counted in the caption but has no row.
  for (const Listed& l : {Listed{L"005930", 1, 100}, Listed{L"000660", 1, -50},
                          Listed{L"005935", 1, 10}, Listed{L"AAPL0", '3', 0}}) {
    Stock_s* s = lists.AddMasterStock(1, l.code, l.code, l.nation, 0, 0, 0, 10000, 0, 0);
    s->nation = l.nation;
    s->change = l.change;
  }
  // What the master-code download leaves: its count and a rebuild request for the tick.
  engine.m_masterCodeCount.store(4);
  engine.m_gridRebuildRequest.store(1);
  engine.OnTradingTick();
  EXPECT_EQ(engine.m_gridRebuildRequest.load(), 0);
  orv::ui::CMyReportCtrl* grid = view->Grid(IDC_ALL_STOCK_GRID);
  ASSERT_EQ(grid->GetRecordCount(), 3);
  EXPECT_EQ(grid->GetRowCount(), 2);  // 005935 is filtered out
  EXPECT_EQ(view->TabControl()->GetPageText(0), wxString(L"전종목 시세 (4 개)"));
  ASSERT_EQ(grid->GetFooterRecordCount(), 1);
  orv::ui::CMyReportRecordBase* footer = grid->GetFooterRecord(0);
  EXPECT_EQ(footer->GetTextValue(kAllItemName), L"전체");
  EXPECT_DOUBLE_EQ(footer->GetNumberValue(kAllItemOrder), 2);
  EXPECT_EQ(footer->GetTextValue(kAllItemCode), L"상승(2)/하락(1) (0.0)");
  EXPECT_NE(ReadFile(engine.Logs().GetAppLogPath()).find("[전종목] 3 조회"), std::string::npos);
  Stock_s* samsung = lists.Master().Find(L"005930");
  ASSERT_NE(samsung, nullptr);
  EXPECT_EQ(AllStockRowOf(samsung, *grid), grid->GetRowRecord(1));  // 000660 comes first

  // A second rebuild replaces the rows rather than adding to them.
  engine.m_gridRebuildRequest.store(1);
  engine.OnTradingTick();
  EXPECT_EQ(grid->GetRecordCount(), 3);
  EXPECT_EQ(grid->GetFooterRecordCount(), 1);

  // The logout's view step empties the rows before the engine frees their stocks.
  engine.Window()->ClearViewAfterLogout();
  EXPECT_EQ(grid->GetRecordCount(), 0);
  EXPECT_EQ(AllStockRowOf(samsung, *grid), nullptr);
  engine.m_gridRebuildRequest.store(1);
  engine.OnTradingTick();
  ASSERT_EQ(grid->GetRecordCount(), 3);
  // The view's end frees the rows while their stocks still exist.
  EXPECT_TRUE(view->Destroy());
}

namespace {

// The all-stock list the grid shows: code, name, current price.
std::shared_ptr<const MasterListSnapshot_s> MasterOf(
    std::initializer_list<std::tuple<const wchar_t*, const wchar_t*, double>> stocks) {
  MasterListSnapshot_s master;
  int index = 0;
  for (const auto& [code, name, price] : stocks) {
    StockRow_s row;
    row.code = code;
    row.name = name;
    row.market = 1;
    row.marketLetter = '1';
    row.listIndex = index++;
    row.curPrice = price;
    master.stocks.push_back(row);
  }
  return std::make_shared<const MasterListSnapshot_s>(std::move(master));
}

std::vector<std::wstring> VisibleCodes(orv::ui::CMyReportCtrl* grid) {
  std::vector<std::wstring> codes;
  for (int i = 0; i < grid->GetRecordCount(); ++i) {
    auto* row = dynamic_cast<CStockRecord*>(grid->GetRecord(i));
    if (row && row->HasStock() && row->IsVisible()) codes.push_back(row->GetStockCode());
  }
  return codes;
}

void SetBarText(CPelomarView* view, int id, const wchar_t* text) {
  auto* box = dynamic_cast<wxTextCtrl*>(view->CommandBar()->Control(id));
  ASSERT_NE(box, nullptr) << id;
  box->ChangeValue(wxString(text));
}

}  // namespace

// Every switch the view keeps in "Settings" is there for the next view the program makes.
TEST_F(PelomarViewTest, InterfaceSwitchesOutliveTheView) {
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->m_simpleUiMode, 0);
  EXPECT_EQ(view->m_showProfitStepCol, 0);
  // The user ticks the check boxes of the row and switches the per-stock steps on.
  for (int id : {IDC_CHECK_SIMPLE_UI, IDC_CHECK_PROFIT_STEPS}) {
    view->CheckBox(id)->SetValue(true);
    wxCommandEvent click(wxEVT_CHECKBOX, id);
    click.SetEventObject(view->CheckBox(id));
    view->CheckBox(id)->GetEventHandler()->ProcessEvent(click);
  }
  EXPECT_EQ(view->m_simpleUiMode, 1);
  EXPECT_EQ(view->m_showProfitStepCol, 1);
  EXPECT_EQ(orv::win::GetProfileInt("Settings", "STOCK_SimpleUiMode", -1), 1);
  EXPECT_EQ(orv::win::GetProfileInt("Settings", "STOCK_ShowProfitStepCol", -1), 1);
  EXPECT_TRUE(view->OnCommand(3454));  // off to on: no question
  EXPECT_EQ(view->m_sellOneByOne, 1);
  EXPECT_EQ(view->Engine().Options().sell_one_by_one, 1);
  view->m_notiPopupFlags = 5;
  EXPECT_TRUE(view->Destroy());

  CPelomarView* again = CreateView();
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->m_simpleUiMode, 1);
  EXPECT_EQ(again->m_showProfitStepCol, 1);
  EXPECT_EQ(again->m_sellOneByOne, 1);
  EXPECT_EQ(again->m_notiPopupFlags, 5);
  EXPECT_TRUE(again->CheckBox(IDC_CHECK_SIMPLE_UI)->GetValue());
  // Simple mode hides column 18 and every detail column above 72; the step columns show.
  orv::ui::CMyReportCtrl* grid = again->Grid(IDC_MY_STOCK_GRID);
  ASSERT_NE(grid, nullptr);
  int checked = 0;
  for (int c = 0; c < grid->GetColumnCount(); ++c) {
    const auto* column = grid->GetColumn(c);
    if (column->itemIndex == 18 || column->itemIndex > 72) {
      EXPECT_FALSE(column->visible) << column->itemIndex;
      ++checked;
    }
    if (column->itemIndex == 29 || column->itemIndex == 31) {
      EXPECT_TRUE(column->visible) << column->itemIndex;
      ++checked;
    }
  }
  EXPECT_GT(checked, 3);
  // Steps off again hides them; switching the per-stock mode off asks, and "no" keeps it.
  again->SetColumnSwitch(IDC_CHECK_PROFIT_STEPS, false);
  for (int c = 0; c < grid->GetColumnCount(); ++c)
    if (grid->GetColumn(c)->itemIndex == 29) {
      EXPECT_FALSE(grid->GetColumn(c)->visible);
    }
  orv::win::ScriptMessageBoxes({IDNO, IDYES});
  again->OnCommand(3454);
  EXPECT_EQ(again->m_sellOneByOne, 1);
  again->OnCommand(3454);
  EXPECT_EQ(again->m_sellOneByOne, 0);
  const auto boxes = orv::win::ScriptedMessageBoxCalls();
  orv::win::StopScriptingMessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, "QUESTION");
  EXPECT_EQ(boxes[0].text.rfind("수익 간격(Step)을 전체종목을 동일하게 설정할까요?", 0), 0u);
  EXPECT_TRUE(again->Destroy());
  EXPECT_EQ(orv::win::GetProfileInt("Settings", "STOCK_SellOptOneByOneOn", -1), 0);
}

// The split-sell combo's amount: stored in units and in won, kept inside what an order may
// carry, handed to the order windows and kept under the agency's key.
TEST_F(PelomarViewTest, SplitOrderBaseAmountIsClampedAndKept) {
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  struct Case {
    const wchar_t* typed;
    int units;
    int won;
  };
  const Case cases[] = {{L"50", 50, 500000},   {L"0", 0, 0},        {L"1", 1, 10000},
                        {L"5000", 1000, 10000000}, {L"-3", -3, -3}, {L"-900", -50, -50}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.typed);
    auto* combo = dynamic_cast<wxComboBox*>(view->CommandBar()->Control(697));
    ASSERT_NE(combo, nullptr);
    combo->SetValue(wxString(c.typed));
    view->Engine().Options().changed = 0;
    EXPECT_TRUE(view->OnToolbarExecute(697));
    EXPECT_EQ(view->Engine().Options().split_sell_amount, c.units);
    EXPECT_EQ(view->Engine().Options().split_sell_amount_won, c.won);
    EXPECT_EQ(view->SplitOrderBaseWon(), c.won);
    EXPECT_EQ(view->Engine().Options().changed, 1);
    EXPECT_EQ(RecordingOrderPanel::splitAmount, c.units);
    EXPECT_EQ(orv::win::GetProfileInt("Settings", "Stock-SplitOrderBaseMoney10k-3", 12345),
              c.units);
  }
  // A combo filled from its option list answers its entry's value, not its label's number; a
  // step narrower than 0.8 % is taken as 0.8 %.
  auto* step = dynamic_cast<wxComboBox*>(view->CommandBar()->Control(378));
  ASSERT_NE(step, nullptr);
  ASSERT_GT(step->GetCount(), 1u);
  for (unsigned i = 0; i < step->GetCount(); ++i) {
    step->SetSelection(static_cast<int>(i));
    int64_t value = 0;
    ASSERT_TRUE(view->SelectedOptionValue(378, &value));
    EXPECT_TRUE(view->OnToolbarExecute(378));
    EXPECT_DOUBLE_EQ(view->Engine().Options().step_width,
                     std::max(0.8, static_cast<double>(value) / 10.0));
  }
  EXPECT_TRUE(view->Destroy());
}

// What each command's update handler shows, by login and user level.
TEST_F(PelomarViewTest, CommandsAreEnabledByLoginAndLevel) {
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  std::wcscpy(login_.szUserId, L"kim");
  std::wcscpy(login_.szUserName, L"김철수");
  struct Case {
    int userIdx;
    int level;
    int id;
    bool enabled;
  };
  const Case cases[] = {
      {0, 0, 948, true},     {7, 0, 948, false},   {0, 0, 949, false},  {7, 0, 949, true},
      {0, 0, 670, false},    {7, 0, 670, true},    {0, 0, 3195, true},  {7, 10, 950, false},
      {7, 40, 950, true},    {0, 95, 950, false},  {7, 40, 1326, false}, {7, 90, 1326, true},
      {0, 0, 3386, false},   {7, 0, 3386, true},   {0, 0, 3423, true},  {0, 0, 3421, false},
      {7, 89, 2230, false},  {7, 90, 2241, true},  {0, 0, 667, true},   {0, 0, 681, false},
  };
  for (const Case& c : cases) {
    login_.nUserIdx = c.userIdx;
    login_.byUserLevel = static_cast<uint8_t>(c.level);
    EXPECT_EQ(view->CommandState(c.id).enable, c.enabled)
        << c.id << " user " << c.userIdx << " level " << c.level;
  }
  login_.nUserIdx = 0;
  EXPECT_EQ(view->CommandState(956).text, L"3. 회원 가입");
  EXPECT_EQ(view->CommandState(950).text, L"4. 앱 배포자 수익 조회(DB금융투자)");
  EXPECT_EQ(view->CommandState(3169).text, L"5. 관리자 메뉴 - 회원/고객 조회(DB금융투자)");
  login_.nUserIdx = 7;
  EXPECT_EQ(view->CommandState(956).text, L"3. 내 정보 변경/전문가 신청 등 : kim/김철수 님");
  EXPECT_EQ(view->CommandState(950).text, L"4. 앱 배포자 수익 조회(DB금융투자) : 김철수 님");
  EXPECT_EQ(view->CommandState(3169).text, L"5. ★고객 할인율 조회/관리 (김철수 님)");

  // The menu the toolbar's button opens carries those states; check marks follow switches.
  std::unique_ptr<wxMenu> menu = view->BuildCommandMenu();
  ASSERT_NE(menu->FindItem(956), nullptr);
  EXPECT_EQ(menu->FindItem(956)->GetItemLabelText().ToStdWstring(),
            L"3. 내 정보 변경/전문가 신청 등 : kim/김철수 님");
  EXPECT_FALSE(menu->FindItem(948)->IsEnabled());
  EXPECT_FALSE(menu->FindItem(3206)->IsChecked());
  view->OnCommand(3206);
  EXPECT_EQ(view->PriceSearchBox(), 1);
  view->UpdateCommandMenu(*menu);
  EXPECT_TRUE(menu->FindItem(3206)->IsChecked());
  // The settings dialog is not built yet: asking for it says so and opens nothing.
  orv::win::ScriptMessageBoxes({});
  EXPECT_TRUE(view->OnCommand(3386));
  ASSERT_EQ(orv::win::ScriptedMessageBoxCalls().size(), 1u);
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls()[0].text, kNotAvailableText);
  orv::win::StopScriptingMessageBoxes();
  // A disabled command does nothing: code update below level 90.
  login_.byUserLevel = 10;
  orv::win::ScriptMessageBoxes({});
  EXPECT_TRUE(view->OnCommand(1326));
  EXPECT_TRUE(orv::win::ScriptedMessageBoxCalls().empty());
  orv::win::StopScriptingMessageBoxes();
  login_.nUserIdx = 0;
  EXPECT_TRUE(view->Destroy());
}

// A market's list in the all-stock grid: a row makes its cells when the grid first draws or
// reads it (its window fits the columns to the first rows), so a long list costs little until
// it is scrolled; filtering, sorting and quotes leave the other rows as they are.
TEST_F(PelomarViewTest, TheAllStockGridMakesTheCellsOfTheRowsItShowsOnly) {
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  constexpr int kListed = 600;
  MasterListSnapshot_s master;
  for (int i = 0; i < kListed; ++i) {
    StockRow_s row;
    row.code = std::to_wstring(100000 + i * 10);
    row.name = L"종목" + std::to_wstring(i);
    row.market = 1;
    row.marketLetter = '1';
    row.listIndex = i + 1;
    row.curPrice = 1000 + (i * 37) % 5000;
    master.stocks.push_back(row);
  }
  ASSERT_EQ(view->ShowMasterList(std::make_shared<const MasterListSnapshot_s>(master)), kListed);
  orv::ui::CMyReportCtrl* grid = view->Grid(IDC_ALL_STOCK_GRID);
  ASSERT_NE(grid, nullptr);
  ASSERT_EQ(grid->GetRowCount(), kListed);
  auto made = [grid] {
    int n = 0;
    for (int i = 0; i < grid->GetRecordCount(); ++i) n += grid->GetRecord(i)->ItemsMade() ? 1 : 0;
    return n;
  };
  // No events are pumped here: the engine's first trading tick hands the grid its own (empty)
  // master list. The grid window fits its columns to the first rows as the rows are shown.
  const int first = made();
  EXPECT_LT(first, kListed / 4);

  // A quote for every stock, then a sort by price: the rows stay as they were, and show the
  // new prices when drawn.
  QuotesSnapshot_s quotes;
  double highest = 0;
  for (const StockRow_s& row : master.stocks) {
    highest = std::max(highest, row.curPrice + 10);
    StockQuoteRow_s q;
    q.code = row.code;
    q.curPrice = row.curPrice + 10;
    quotes.stocks.push_back(q);
  }
  EXPECT_EQ(view->ShowQuotes(quotes), kListed);
  int priceColumn = -1;
  for (int c = 0; c < grid->GetColumnCount(); ++c)
    if (grid->GetColumn(c)->itemIndex == kAllItemPrice) priceColumn = c;
  ASSERT_GE(priceColumn, 0);
  grid->OnHeaderClick(priceColumn);
  EXPECT_LT(made(), kListed / 4);
  double last = 0;
  for (int r = 0; r < grid->GetRowCount(); ++r) {
    const double price = grid->GetRowRecord(r)->GetNumberValue(kAllItemPrice);
    EXPECT_GE(price, last);
    last = price;
  }
  EXPECT_EQ(last, highest);
  EXPECT_TRUE(view->Destroy());
}

// The search box over the all-stock rows: by code, by name, by "code:price", with bounds.
TEST_F(PelomarViewTest, StockSearchFiltersTheAllStockRows) {
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  login_.nUserIdx = 7;
  view->ShowMasterList(MasterOf({{L"A10010", L"알파", 15000},
                                 {L"A10020", L"베타", 15000},
                                 {L"B10010", L"감마", 15000},
                                 {L"A10030", L"델타", 900},
                                 {L"C20000", L"A100", 1200},
                                 {L"A10040", L"엡실론", 2000}}));
  orv::ui::CMyReportCtrl* grid = view->Grid(IDC_ALL_STOCK_GRID);
  ASSERT_NE(grid, nullptr);
  struct Case {
    const wchar_t* text;
    const wchar_t* low;
    const wchar_t* high;
    std::vector<std::wstring> shown;
  };
  const std::vector<Case> cases = {
      // A code prefix with a price: codes beginning with it at exactly that price (and the
      // row whose name is the key).
      {L"a100:15000", L"", L"", {L"A10010", L"A10020", L"C20000"}},
      {L"A1001:15000", L"", L"", {L"A10010"}},
      // A name that matches ends the search: earlier code matches stay, later rows hide.
      {L"A100", L"", L"", {L"A10010", L"A10020", L"A10030", L"C20000"}},
      {L"100", L"", L"", {L"A10010", L"A10020", L"B10010", L"A10030", L"A10040"}},
      // Bounds: a low bound alone, then both (commas are allowed).
      {L"A", L"1000", L"", {L"A10010", L"A10020", L"A10040"}},
      {L"A", L"1,000", L"2,000", {L"A10040"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << wxString(c.text));
    SetBarText(view, 597, c.text);
    SetBarText(view, 619, c.low);
    SetBarText(view, 618, c.high);
    EXPECT_TRUE(view->OnCommand(670));
    EXPECT_EQ(VisibleCodes(grid), c.shown);
  }
  // Nothing found: the user is told, with the text as typed.
  orv::win::ScriptMessageBoxes({});
  SetBarText(view, 619, L"");
  SetBarText(view, 618, L"");
  SetBarText(view, 597, L" ZZZ ");
  view->OnCommand(670);
  const auto boxes = orv::win::ScriptedMessageBoxCalls();
  orv::win::StopScriptingMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "ERROR");
  EXPECT_EQ(boxes[0].text, "종목코드/종목명에서 (ZZZ)이 검색되지 않았습니다.");
  EXPECT_TRUE(VisibleCodes(grid).empty());
  // The reset empties the boxes and the bounds.
  SetBarText(view, 619, L"5000");
  view->OnCommand(670);
  view->OnCommand(3195);
  EXPECT_EQ(view->SearchText(), L"");
  EXPECT_EQ(view->PriceLow(), 0);
  EXPECT_EQ(dynamic_cast<wxTextCtrl*>(view->CommandBar()->Control(619))->GetValue(), "");
  login_.nUserIdx = 0;
  EXPECT_TRUE(view->Destroy());
}

// The recommended profit-rate dialog: only for a signed-in user; an old table without the coin
// row is replaced; the user's confirmed table becomes the view's.
TEST_F(PelomarViewTest, ProfitRateDialogNeedsALoginAndKeepsTheConfirmedTable) {
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  orv::win::ScriptMessageBoxes({});
  wxCommandEvent press(wxEVT_BUTTON, IDC_PROFIT_RATES_BUTTON);
  press.SetEventObject(view->ProfitRatesButton());
  view->ProfitRatesButton()->GetEventHandler()->ProcessEvent(press);
  auto boxes = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "ERROR");
  EXPECT_EQ(boxes[0].text, "로그인을 먼저 해주세요");
  EXPECT_EQ(view->ProfitRateDialog(), nullptr);

  login_.nUserIdx = 7;
  ASSERT_NE(view->LoginEngine(), nullptr);
  view->LoginEngine()->WebLogin().m_stopLossRates = WideToUtf8(L"4.9% 이하 수익권=5,0,2,옛 표;");
  view->ProfitRatesButton()->GetEventHandler()->ProcessEvent(press);
  CProfitRateDialog* dialog = view->ProfitRateDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->IsShown());
  EXPECT_EQ(dialog->GetTitle(), wxString(L"권장 수익률 설정"));
  const std::wstring shown = dialog->Table();
  EXPECT_EQ(SplitProfitRateTable(shown).size(), 9u);
  EXPECT_NE(shown.find(L"(코인) 손절 라인=-100,0,0,-11% 권장. -100은 손절안함;"), std::wstring::npos);
  EXPECT_NE(shown.find(L"5~14.9% 수익권=-2.5,1,5,-3% 낮게. 간격 6% 권장;"), std::wstring::npos);

  // "No" keeps the view's table; "yes" makes the dialog's table the view's.
  orv::win::ScriptMessageBoxes({IDNO, IDYES});
  dialog->SetTable(L"4.9% 이하 수익권=4,1,3,내 설정, 쉼표 포함;(코인) 손절 라인=-50,0,0,코인;");
  EXPECT_FALSE(dialog->ApplyTable());
  EXPECT_EQ(view->RateTableText(), shown);
  EXPECT_TRUE(dialog->ApplyTable());
  boxes = orv::win::ScriptedMessageBoxCalls();
  orv::win::StopScriptingMessageBoxes();
  EXPECT_EQ(view->RateTableText(),
            L"4.9% 이하 수익권=4,1,3,내 설정, 쉼표 포함;(코인) 손절 라인=-50,0,0,코인;");
  EXPECT_FALSE(dialog->IsShown());
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().caption, "QUESTION");
  EXPECT_EQ(boxes.back().text.rfind("익절, 손절을 현 수익률 기준 적절히 조절하겠습니까?", 0), 0u);
  login_.nUserIdx = 0;
  EXPECT_TRUE(view->Destroy());
}

// The trading log's backup holds every line written, and the log goes on after it.
TEST_F(PelomarViewTest, TradingLogBackupHoldsEveryLine) {
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  Stock_s* stock =
      view->Engine().Stocks().AddMasterStock(1, L"005930", L"삼성전자", 0, 0, 0, 0, 0, 0, 0);
  TradingLine_s line;
  line.result_code = 30;
  line.result_msg = L"첫 줄";
  ASSERT_EQ(view->Engine().Logs().WriteTradingLine(nullptr, stock, line), 0);
  std::wstring backup;
  ASSERT_EQ(view->BackupTradingLog(&backup), 1);
  const std::string log = view->Engine().Logs().GetTradingLogPath();
  EXPECT_EQ(WideToUtf8(backup), log + ".bak");
  EXPECT_EQ(ReadFile(WideToUtf8(backup)), ReadFile(log));
  EXPECT_NE(ReadFile(WideToUtf8(backup)).find("첫 줄"), std::string::npos);
  line.result_msg = L"둘째 줄";
  ASSERT_EQ(view->Engine().Logs().WriteTradingLine(nullptr, stock, line), 0);
  EXPECT_NE(ReadFile(log).find("둘째 줄"), std::string::npos);
  EXPECT_EQ(ReadFile(WideToUtf8(backup)).find("둘째 줄"), std::string::npos);
  EXPECT_TRUE(view->Destroy());
}

// Login flags, auto-login and the code update's questions.
TEST_F(PelomarViewTest, LoginSwitchesAndTheCodeUpdateAskFirst) {
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  view->SetAccountLoginFlags(1, 0);
  view->SetAccountLoginFlags(-1, 1);
  EXPECT_EQ(view->LoginFlags() & (LOGIN_FLAG_AUTO | LOGIN_FLAG_SAVE_PASSWORD),
            LOGIN_FLAG_AUTO | LOGIN_FLAG_SAVE_PASSWORD);
  orv::win::ScriptMessageBoxes({IDNO, IDYES, IDOK});
  view->OnCommand(1307);  // on: asked whether to show the window again; "no" keeps it
  EXPECT_EQ(view->AutoLogin(), 1);
  view->OnCommand(1307);
  EXPECT_EQ(view->AutoLogin(), 0);
  view->OnCommand(1308);
  EXPECT_EQ(view->LoginWindowAtStart(), 1);
  auto boxes = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text.rfind("어플 자동 시작시, 로그인 창을 표출할까요?", 0), 0u);
  EXPECT_EQ(boxes[2].caption, "INFORMATION");
  EXPECT_NE(boxes[2].text.find("현재는 체크 상태입니다."), std::string::npos);

  // The code update: only an administrator with a master list; it asks before it starts.
  login_.nUserIdx = 7;
  login_.byUserLevel = 90;
  orv::win::ScriptMessageBoxes({IDOK, IDNO, IDYES});
  view->OnCommand(1326);  // no master list yet
  view->Engine().Stocks().AddMasterStock(1, L"005930", L"삼성전자", 0, 0, 0, 0, 0, 0, 0);
  view->OnCommand(1326);  // "no": nothing starts
  EXPECT_FALSE(view->Engine().CodeUpdateRunning());
  EXPECT_EQ(view->StartCodeUpdateThread(true), 1);
  boxes = orv::win::ScriptedMessageBoxCalls();
  orv::win::StopScriptingMessageBoxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text, "종목코드 갱신은 관리자만 가능합니다.\n너그러이 이해 부탁드립니다");
  EXPECT_EQ(boxes[1].text, "종목 코드를 업데이트 할까요 ?");
  // Stopping waits for the thread, well inside its 3000 ms.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(view->Engine().StopCodeUpdateThread(3000));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(3000));
  EXPECT_FALSE(view->Engine().CodeUpdateRunning());
  login_.nUserIdx = 0;
  EXPECT_TRUE(view->Destroy());
}

TEST_F(PelomarViewTest, GridEditsGoThroughTheGridsNotificationsToTheHolding) {
  block_.pfnNotify = &RecordHostNotice;
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  CPelomarEngine& engine = view->Engine();
  StockTrade_s* h = AddHeldStock(engine, L"005930", 10200, 2);
  h->rules_ready = 1;
  h->min_take_profit = 5;
  h->stop_loss_rate = -5;
  engine.PublishHoldings();
  auto* grid = view->Grid(IDC_MY_STOCK_GRID);
  using Row = CRurezOzadoResultRecord;
  const int shown = grid->GetRowIndex(RowOf(view, h));
  ASSERT_GE(shown, 0);

  // Which cells may be edited: the step cells only in the per-stock step mode.
  struct Editable {
    int item;
    bool perStock;
    bool allowed;
  };
  const Editable editable[] = {
      {Row::kColCode, false, false},         {Row::kColFirstStep, false, false},
      {Row::kColStepInterval, false, false}, {Row::kColSplitRate, false, false},
      {Row::kColBaseRange, false, false},    {Row::kColStepInterval, true, true},
      {Row::kColSplitRate, true, true},      {Row::kColStopLoss, false, true},
  };
  for (const Editable& e : editable) {
    engine.Options().sell_one_by_one = e.perStock ? 1 : 0;
    orv::ui::ReportNotify nm;
    nm.code = orv::ui::REPORT_NM_REQUESTEDIT;
    nm.ctrlId = IDC_MY_STOCK_GRID;
    nm.grid = grid;
    nm.row = shown;
    nm.column = e.item;
    EXPECT_EQ(view->OnGridNotify(nm), 1);
    EXPECT_EQ(nm.cancel == FALSE, e.allowed) << e.item << " per-stock " << e.perStock;
  }
  engine.Options().sell_one_by_one = 0;

  // A typed stop-loss of 3 is a loss of 3 %; -150 means none.
  ASSERT_TRUE(grid->OnCommitEdit(shown, Row::kColStopLoss, L"3"));
  EXPECT_DOUBLE_EQ(h->stop_loss_rate, -3);
  EXPECT_DOUBLE_EQ(RowOf(view, h)->GetNumberValue(Row::kColStopLoss), -3);
  EXPECT_EQ(RowOf(view, h)->GetItem(Row::kColStopLoss)->backColor, 15130800u);
  ASSERT_TRUE(grid->OnCommitEdit(shown, Row::kColStopLoss, L"-150"));
  EXPECT_DOUBLE_EQ(h->stop_loss_rate, -100);
  EXPECT_EQ(RowOf(view, h)->GetItem(Row::kColStopLoss)->backColor, 10479609u);

  // A stop-loss above the current profit asks; declining puts the old value back.
  orv::win::ScriptMessageBoxes({IDNO});
  ASSERT_TRUE(grid->OnCommitEdit(shown, Row::kColStopLoss, L"-1"));
  const auto asked = orv::win::ScriptedMessageBoxCalls();
  orv::win::StopScriptingMessageBoxes();
  ASSERT_EQ(asked.size(), 0u);  // -1 lies below +2 %: taken without a question
  EXPECT_DOUBLE_EQ(h->stop_loss_rate, -1);
  h->stock->cur_price = 9800;
  h->profit_rate = -2;
  engine.PublishHoldings();
  orv::win::ScriptMessageBoxes({IDNO});
  ASSERT_TRUE(grid->OnCommitEdit(shown, Row::kColStopLoss, L"-1.5"));
  const auto declined = orv::win::ScriptedMessageBoxCalls();
  orv::win::StopScriptingMessageBoxes();
  ASSERT_EQ(declined.size(), 1u);
  EXPECT_EQ(declined[0].caption, "QUESTION");
  EXPECT_DOUBLE_EQ(h->stop_loss_rate, -1);
  EXPECT_DOUBLE_EQ(RowOf(view, h)->GetNumberValue(Row::kColStopLoss), -1);

  // A take-profit too near the current profit is refused and the cell shows the old value.
  ASSERT_TRUE(grid->OnCommitEdit(shown, Row::kColMinProfit, L"-1.5"));
  EXPECT_DOUBLE_EQ(h->min_take_profit, 5);
  EXPECT_DOUBLE_EQ(RowOf(view, h)->GetNumberValue(Row::kColMinProfit), 5);
  ASSERT_TRUE(grid->OnCommitEdit(shown, Row::kColMinProfit, L"8"));
  EXPECT_DOUBLE_EQ(h->min_take_profit, 8);
  EXPECT_EQ(RowOf(view, h)->GetItem(Row::kColMinProfit)->backColor, 10070783u);
  // The next account refresh shows the levels the rules use, the edited ones included.
  h->step_width = 3;
  engine.PublishHoldings();
  EXPECT_DOUBLE_EQ(RowOf(view, h)->GetNumberValue(Row::kColMinProfit), 8);
  EXPECT_DOUBLE_EQ(RowOf(view, h)->GetNumberValue(Row::kColStopLoss), -1);
  EXPECT_DOUBLE_EQ(RowOf(view, h)->GetNumberValue(Row::kColStepInterval), 3);

  // Automatic trading cannot be checked on while the holding has no price.
  h->stock->cur_price = 0;
  orv::win::ScriptMessageBoxes({IDOK});
  grid->OnToggleCheck(shown, Row::kColAutoTrade);
  const auto noPrice = orv::win::ScriptedMessageBoxCalls();
  orv::win::StopScriptingMessageBoxes();
  ASSERT_EQ(noPrice.size(), 1u);
  EXPECT_EQ(noPrice[0].caption, "ERROR");
  EXPECT_EQ(noPrice[0].text, "실시간 시세가 수신되지 않아서,\n자동매매 설정을 할 수 없습니다.");
  EXPECT_EQ(h->auto_trade, 0);
  EXPECT_FALSE(RowOf(view, h)->GetCheckValue(Row::kColAutoTrade));
  h->stock->cur_price = 9800;

  // The comment of a holdings row goes to its stock and to the stock's all-stock row.
  engine.PublishMasterList();
  ASSERT_TRUE(grid->OnCommitEdit(shown, Row::kColComment, L"장기 보유"));
  EXPECT_EQ(h->stock->listing.comment, L"장기 보유");
  orv::ui::CMyReportCtrl* all = view->Grid(IDC_ALL_STOCK_GRID);
  ASSERT_EQ(all->GetRecordCount(), 1);
  EXPECT_EQ(all->GetRecord(0)->GetTextValue(kAllItemComment), L"장기 보유");
  // And an all-stock comment, found by the row's code, reaches the holdings row trimmed.
  ASSERT_TRUE(all->OnCommitEdit(all->GetRowIndex(all->GetRecord(0)), kAllItemComment,
                                L"  목표 8만  "));
  EXPECT_EQ(h->stock->listing.comment, L"목표 8만");
  EXPECT_EQ(RowOf(view, h)->GetTextValue(Row::kColComment), L"목표 8만");
  EXPECT_TRUE(view->Destroy());
}

// The toolbar's step interval reaches every held stock: its ladder is rebuilt on the new
// interval from its average price, and its row shows it.
TEST_F(PelomarViewTest, TheStepIntervalRebuildsEveryLadder) {
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  CPelomarEngine& engine = view->Engine();
  StockTrade_s* moved = AddHeldStock(engine, L"005930", 11000, 10);
  StockTrade_s* narrow = AddHeldStock(engine, L"000660", 11000, 10);
  for (StockTrade_s* h : {moved, narrow}) {
    h->rules_ready = 1;
    h->min_take_profit = 4;
  }
  moved->avg_price = 10500;  // bought more since the ladder was made
  narrow->step_width = 0.4;
  engine.Options().min_take_profit = 6;
  engine.PublishHoldings();

  // Without force only the holding whose base moved is rebuilt; the one narrower than 1 % takes
  // the minimum take-profit option; an interval of 0.3 is raised to 0.5.
  EXPECT_EQ(engine.ApplyStepIntervalToHoldings(0.3, 0), 1);
  EXPECT_DOUBLE_EQ(moved->step_base_price, 10500);
  EXPECT_DOUBLE_EQ(moved->step_width, 0.5);
  EXPECT_DOUBLE_EQ(moved->stairs[2].threshold - moved->stairs[1].threshold, 0.5);
  EXPECT_DOUBLE_EQ(narrow->step_width, 6);
  EXPECT_DOUBLE_EQ(narrow->step_base_price, 10000);
  // An interval of 0.1 or less is not given to any holding, even forced (the one below 1 % takes
  // the option again).
  EXPECT_EQ(engine.ApplyStepIntervalToHoldings(0.05, 1), 2);
  EXPECT_DOUBLE_EQ(moved->step_width, 6);
  EXPECT_DOUBLE_EQ(narrow->step_width, 6);

  // The toolbar combo, as the user picks an entry: every ladder takes the option's interval.
  auto* step = dynamic_cast<wxComboBox*>(view->CommandBar()->Control(378));
  ASSERT_NE(step, nullptr);
  ASSERT_GT(step->GetCount(), 1u);
  step->SetSelection(static_cast<int>(step->GetCount()) - 1);
  ASSERT_TRUE(view->OnToolbarExecute(378));
  const double width = engine.Options().step_width;
  for (StockTrade_s* h : {moved, narrow}) {
    EXPECT_DOUBLE_EQ(h->step_width, width);
    EXPECT_DOUBLE_EQ(h->stairs[3].threshold - h->stairs[2].threshold, width);
    EXPECT_DOUBLE_EQ(RowOf(view, h)->GetNumberValue(CRurezOzadoResultRecord::kColStepInterval),
                     width);
  }
  EXPECT_TRUE(view->Destroy());
}

TEST_F(PelomarViewTest, TheGridMenuPresetsChangeEveryHoldingAndReportTheCount) {
  block_.pfnNotify = &RecordHostNotice;
  HostNotices().clear();
  CPelomarView* view = CreateView();
  ASSERT_NE(view, nullptr);
  CPelomarEngine& engine = view->Engine();
  std::vector<StockTrade_s*> holdings;
  for (int i = 0; i < 100; ++i) {
    wchar_t code[8];
    std::swprintf(code, 8, L"%06d", 100000 + i);
    holdings.push_back(AddHeldStock(engine, code, 11000, 10));
    holdings.back()->sell_ratio = 100;
    holdings.back()->rules_ready = 1;
  }
  engine.PublishHoldings();
  engine.Options().changed = 0;

  // 95 % on holdings that have 100: every row changes and is re-sized.
  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  view->ApplyMinProfitPreset(3191, 0);
  auto calls = orv::win::ScriptedMessageBoxCalls();
  orv::win::StopScriptingMessageBoxes();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].text, "매도 비중을 95%로 조정할까요?");
  EXPECT_EQ(calls[1].text, "전체 보유 종목중, 100개가 매도 비중이 95%로 수정 되었습니다.");
  for (StockTrade_s* h : holdings) EXPECT_DOUBLE_EQ(h->sell_ratio, 95);
  EXPECT_EQ(RowOf(view, holdings[7])->GetOptionsValue(CRurezOzadoResultRecord::kColSellRatio),
            95);
  EXPECT_EQ(engine.Options().changed, 2);
  EXPECT_EQ(HostNotices().back().text,
            L"전체 보유 종목중, 100개가 매도 비중이 95%로 수정 되었습니다.");
  EXPECT_NE(TradingLog(view).find(",55,매도 비중.설정,"), std::string::npos);

  // The same ratio again changes nothing.
  engine.Options().changed = 0;
  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  view->SetSellRatioForAll(95, 1);
  calls = orv::win::ScriptedMessageBoxCalls();
  orv::win::StopScriptingMessageBoxes();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].caption, "ERROR");
  EXPECT_EQ(calls[1].text, "수정된 종목이 없습니다.");
  EXPECT_EQ(engine.Options().changed, 0);

  // A stop-loss preset of -5 below the profit rate of 10 % for all rows; automatic trading
  // stops.
  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  EXPECT_EQ(view->ApplyRatePresetToAll(-5, -5, 0, 1, 0, 0, 0, 0), 0);  // at or below +10 %: kept
  orv::win::StopScriptingMessageBoxes();
  for (StockTrade_s* h : holdings) h->stop_loss_rate = 20;
  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  EXPECT_EQ(view->ApplyRatePresetToAll(-5, -5, 0, 1, 0, 0, 0, 0), 100);
  calls = orv::win::ScriptedMessageBoxCalls();
  orv::win::StopScriptingMessageBoxes();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_NE(calls[0].text.find("[전체] 보유종목의 *손절구간* 을 자동으로 설정할까요?"),
            std::string::npos);
  EXPECT_NE(calls[1].text.find("[전체] 보유 종목중, 100개의 *손절구간*이 수정 되었습니다."),
            std::string::npos);
  for (StockTrade_s* h : holdings) {
    EXPECT_DOUBLE_EQ(h->stop_loss_rate, 5);
    EXPECT_EQ(h->auto_trade, 0);
  }
  EXPECT_EQ(RowOf(view, holdings[3])->GetItem(CRurezOzadoResultRecord::kColStopLoss)->backColor,
            0xe6e0b0u);
  EXPECT_NE(TradingLog(view).find(",56,전종목.손절/익절률.재설정,"), std::string::npos);

  // A negative split-order amount is applied by its size.
  engine.Options().split_sell_amount_won = -300000;
  EXPECT_EQ(view->ApplyStopLossOptionToAll(-1, 1, 0), 100);
  for (StockTrade_s* h : holdings) EXPECT_DOUBLE_EQ(h->split_amount, 300000);
  EXPECT_EQ(HostNotices().back().text, L"보유 종목의 [스탑로스 옵션] *전체 설정* (100개)되었습니다.");
  EXPECT_EQ(view->PendingSave(), 2);
  EXPECT_TRUE(view->Destroy());
}
