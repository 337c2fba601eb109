// The monitoring view as the trading view makes it: its bars, combos and summary, the limits
// reaching the configuration and "Settings", the automatic-buy switch, the real-time log's
// switch (also when its file cannot be opened), the settings command and the view's end.
#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/frame.h>
#include <wx/choice.h>
#include <wx/panel.h>
#include <wx/tglbtn.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/stocklib/StockAgentBase.h"
#include "platform/support/TextConv.h"
#include "platform/win/Clock.h"
#include "platform/win/CriticalSection.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "plugin/monitor/view/StockMonitoringView.h"
#include "plugin/rows/FilteredStockRecord.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "shared/StockOption.h"
#include "shared/StockRecords.h"
#include "tests/e2e/road/RoadWindows.h"
#include "tests/peers/KiwoomBrokerPeer.h"
#include "tests/peers/WsQuotePeer.h"
#include "tests/plugin/view/ViewStage.h"
#include "tests/probe/ProbeHarness.h"

namespace fs = std::filesystem;
using orv::test::windows::FindById;

namespace {

// A board that records being asked to show.
class RecordingBoard : public CPelomarStockBoard {
 public:
  explicit RecordingBoard(int* shown) : shown_(shown) {}
  void ShowDialog(wxWindow*, bool, bool, int) override { ++*shown_; }

 private:
  int* shown_;
};

class StockMonitoringViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stage_.Prepare();
    stage_.run.nAppRunning = 1;
    // The program's settings stay open for the whole test process: every test starts in the
    // mode a new user starts in, whatever mode an earlier test left kept.
    orv::win::WriteProfileInt("Settings", "Stock-AutoBuyType-0", kMonitorModeMarketScan);
    InstallMonitoringViewMaker(ChildMakers());
    ChildMakers().stockBoard = [this](CPelomarView&) {
      return std::make_unique<RecordingBoard>(&boardShown_);
    };
  }
  void TearDown() override {
    orv::win::StopScriptingMessageBoxes();
    if (view_) view_->Destroy();
    ChildMakers() = PelomarChildMakers{};
  }

  CStockMonitoringView* Make() {
    view_ = stage_.CreateView();
    if (!view_) return nullptr;
    return dynamic_cast<CStockMonitoringView*>(view_->MonitoringView());
  }

  // The user picks an item of a combo of the view.
  void Pick(CStockMonitoringView* monitor, int id, const wxString& label) {
    auto* choice = FindById<wxChoice>(monitor->Panel(), id);
    ASSERT_NE(choice, nullptr) << id;
    const int at = choice->FindString(label);
    ASSERT_NE(at, wxNOT_FOUND) << label;
    choice->SetSelection(at);
    wxCommandEvent event(wxEVT_CHOICE, id);
    event.SetEventObject(choice);
    event.SetInt(at);
    choice->ProcessWindowEvent(event);
  }
  // The user turns a two-state control (toggle button, check box) on or off.
  template <class T>
  void Flip(CStockMonitoringView* monitor, int id, wxEventType type, bool on) {
    auto* control = FindById<T>(monitor->Panel(), id);
    ASSERT_NE(control, nullptr) << id;
    control->SetValue(on);
    wxCommandEvent event(type, id);
    event.SetEventObject(control);
    event.SetInt(on);
    control->ProcessWindowEvent(event);
  }
  void Toggle(CStockMonitoringView* monitor, bool on) {
    Flip<wxToggleButton>(monitor, IDC_MONITOR_AUTO_BUY, wxEVT_TOGGLEBUTTON, on);
  }
  void Check(CStockMonitoringView* monitor, int id, bool on) {
    Flip<wxCheckBox>(monitor, id, wxEVT_CHECKBOX, on);
  }
  void Press(CStockMonitoringView* monitor, int id) {
    wxWindow* button = FindById<wxWindow>(monitor->Panel(), id);
    ASSERT_NE(button, nullptr);
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(button);
    button->ProcessWindowEvent(event);
  }
  // The test signal module in the program's "PlugIn" folder, chosen in the settings.
  void InstallTestModule() {
    fs::create_directories(stage_.dir.Path() + "/PlugIn");
    fs::copy_file(std::string(QLX_MODULE_DIR) + "QLX_alpha.so",
                  stage_.dir.Path() + "/PlugIn/QLX_alpha.so");
    orv::win::WriteProfileString("Settings", "STOCK_SignalModule", "alpha");
  }
  // 005930 in the master list at 70,000 won, and the real-time search log switched on.
  void ListSamsungAndKeepTheLog(CStockMonitoringView* monitor) {
    {
      orv::win::CSingleLock lock(&view_->Engine().ViewLock(), TRUE);
      bool added = false;
      Stock_s* s = GfxAddStockToMap(&view_->Engine().Stocks().Master(), L"005930",
                                    kMarketDomestic, 0, 0, &added);
      s->name = L"삼성전자";
      s->market_letter = '1';
      s->cur_price = 70000;
    }
    orv::win::ScriptMessageBoxes({IDYES});
    Check(monitor, IDC_MONITOR_WRITE_LOG, true);
    orv::win::StopScriptingMessageBoxes();
  }
  std::string TodaysLog() {
    SYSTEMTIME today;
    orv::win::GetLocalTime(&today);
    char name[64];
    std::snprintf(name, sizeof name, "stock_realtime_search_%04d%02d%02d.csv", today.wYear,
                  today.wMonth, today.wDay);
    return stage_.dir.Path() + "/data/Log/" + name;
  }

  orv::test::ViewStage stage_;
  CPelomarView* view_ = nullptr;
  int boardShown_ = 0;
};

}  // namespace

TEST_F(StockMonitoringViewTest, TheTradingViewMakesItWithBarsCombosGridAndSummary) {
  CStockMonitoringView* monitor = Make();
  ASSERT_NE(monitor, nullptr);
  wxWindow* panel = monitor->GetWindow();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->GetId(), IDC_MONITORING_VIEW);
  EXPECT_EQ(panel->GetName(), "CStockMonitoringView");
  EXPECT_EQ(monitor->IdText(), L"9999");
  for (int id : {IDR_MONITOR_MAIN_TOOLBAR, IDR_MONITOR_LIMIT_TOOLBAR, IDC_MONITOR_STATUS,
                 IDC_MONITOR_PROGRESS, IDC_MONITOR_SUMMARY, IDC_MONITOR_WRITE_LOG,
                 IDC_MONITOR_OPTION, IDC_MONITOR_CONDITION_COMBO, IDC_MONITOR_MODE_CONDITION,
                 IDC_MONITOR_MODE_CAFE, IDC_MONITOR_GRID})
    EXPECT_NE(FindById<wxWindow>(panel, id), nullptr) << id;
  EXPECT_FALSE(FindById<wxWindow>(panel, IDC_MONITOR_HIDDEN)->IsShown());

  // Before a login automatic trading is not allowed: the watch-only modes, limits disabled.
  auto* modes = FindById<wxChoice>(panel, IDC_MONITOR_MODE_COMBO);
  ASSERT_EQ(modes->GetCount(), 2u);
  EXPECT_EQ(modes->GetString(1), wxString(L"2.종목 모니터링"));
  auto* perStock = FindById<wxChoice>(panel, IDC_MONITOR_STOCK_LIMIT);
  auto* daily = FindById<wxChoice>(panel, IDC_MONITOR_DAILY_LIMIT);
  EXPECT_EQ(perStock->GetCount(), 17u);
  EXPECT_EQ(daily->GetCount(), 20u);
  EXPECT_EQ(perStock->GetStringSelection(), wxString(L"10 만원"));
  EXPECT_EQ(daily->GetString(15), wxString(L"1,000 만원"));
  EXPECT_FALSE(perStock->IsEnabled());
  EXPECT_EQ(monitor->PerStockLimitWon(), 100000);

  EXPECT_EQ(monitor->Grid().GetColumnCount(), 54);
  EXPECT_FALSE(monitor->Grid().GetColumn(52)->visible);
  EXPECT_TRUE(monitor->Grid().GetColumn(51)->visible);
  EXPECT_EQ(monitor->Mode(), kMonitorModeMarketScan);
  EXPECT_EQ(monitor->Summary(), L"*(0)");
  EXPECT_TRUE(monitor->Worker() && monitor->Worker()->Running());
}

TEST_F(StockMonitoringViewTest, LimitCombosReachTheConfigurationAndSettings) {
  CStockMonitoringView* monitor = Make();
  ASSERT_NE(monitor, nullptr);
  view_->Engine().Options().changed = 0;
  Pick(monitor, IDC_MONITOR_STOCK_LIMIT, L"15 만원");
  EXPECT_EQ(monitor->PerStockLimitWon(), 150000);
  EXPECT_EQ(view_->Engine().Options().per_stock_buy_limit, 15);
  EXPECT_EQ(view_->Engine().Options().changed, 1);
  EXPECT_EQ(orv::win::GetProfileInt("Settings", "Stock-AutoBuyMoneyItem", 0), 15);
  Pick(monitor, IDC_MONITOR_DAILY_LIMIT, L"1,000 만원");
  EXPECT_EQ(monitor->DailyLimitWon(), 10000000);
  EXPECT_EQ(view_->Engine().Options().daily_buy_limit, 1000);
  EXPECT_EQ(orv::win::GetProfileInt("Settings", "Stock-AutoBuyMoneyTotalQuota", 0), 1000);
  // The option check is the configuration's option flag.
  Check(monitor, IDC_MONITOR_OPTION, true);
  EXPECT_EQ(view_->Engine().Options().monitor_option, 1);
}

TEST_F(StockMonitoringViewTest, AutoBuySwitchAsksScansAndRefusesAnEmptyList) {
  CStockMonitoringView* monitor = Make();
  ASSERT_NE(monitor, nullptr);
  view_->Engine().Options().auto_buy_max_stocks = 0;
  orv::win::ScriptMessageBoxes({IDYES});
  Toggle(monitor, true);
  auto calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].caption, "QUESTION");
  EXPECT_EQ(calls[0].text.rfind("[ (고객번호: 0)]님, 거래소 전체 종목에서 검색을 시작(ON)", 0), 0u)
      << calls[0].text;
  EXPECT_TRUE(monitor->ScanRunning());
  EXPECT_EQ(view_->Engine().Options().auto_buy_max_stocks, 1);
  EXPECT_EQ(monitor->Summary(), L"*ON*(0)");
  for (int i = 0; i < 200 && monitor->Worker()->scanWakes.load() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(monitor->Worker()->scanWakes.load(), 1);
  Toggle(monitor, false);
  EXPECT_FALSE(monitor->ScanRunning());

  // A stock-list mode with an empty own list: an error, and the switch stays off.
  Pick(monitor, IDC_MONITOR_MODE_COMBO, L"2.종목 모니터링");
  EXPECT_EQ(monitor->Mode(), kMonitorModeStockWatch);
  EXPECT_EQ(monitor->Summary(), L"종목한정.OR매수. ()");
  orv::win::ScriptMessageBoxes({IDOK});
  Toggle(monitor, true);
  calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].caption, "ERROR");
  EXPECT_EQ(calls[0].text.rfind("자동매수 감시할 종목을 설정하지 않았습니다.", 0), 0u);
  EXPECT_FALSE(FindById<wxToggleButton>(monitor->Panel(), IDC_MONITOR_AUTO_BUY)->GetValue());
  EXPECT_FALSE(monitor->ScanRunning());
}

TEST_F(StockMonitoringViewTest, RealTimeLogSwitchOpensTheDailyFileOrSaysWhyNot) {
  CStockMonitoringView* monitor = Make();
  ASSERT_NE(monitor, nullptr);
  const std::string path = TodaysLog();
  // Answered no: nothing opened, the box unchecked.
  orv::win::ScriptMessageBoxes({IDNO});
  Check(monitor, IDC_MONITOR_WRITE_LOG, true);
  EXPECT_FALSE(FindById<wxCheckBox>(monitor->Panel(), IDC_MONITOR_WRITE_LOG)->GetValue());
  EXPECT_FALSE(monitor->RealTimeLog().IsOpen());

  orv::win::ScriptMessageBoxes({IDYES});
  Check(monitor, IDC_MONITOR_WRITE_LOG, true);
  auto calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_NE(calls[0].text.find("경로 : " + path), std::string::npos);
  EXPECT_TRUE(monitor->RealTimeLog().IsOpen());
  EXPECT_EQ(view_->Engine().Options().write_log_file, 1);
  EXPECT_EQ(monitor->WriteLogFlag(), 1);
  std::ifstream in(path, std::ios::binary);
  std::string first;
  std::getline(in, first);
  EXPECT_EQ(first.rfind("\xEF\xBB\xBF시간,명령,키값,", 0), 0u);
  EXPECT_EQ(first.back(), '\r');
  Check(monitor, IDC_MONITOR_WRITE_LOG, false);
  EXPECT_FALSE(monitor->RealTimeLog().IsOpen());
  EXPECT_EQ(view_->Engine().Options().write_log_file, 0);

  // The file cannot be opened (a folder stands in its place): the box goes off, an ERROR box
  // says why, and the configuration does not claim logging.
  fs::remove(path);
  fs::create_directories(path);
  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  Check(monitor, IDC_MONITOR_WRITE_LOG, true);
  calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].caption, "ERROR");
  EXPECT_EQ(calls[1].text.rfind("실시간 검색 로그 파일을 열 수 없습니다.", 0), 0u);
  EXPECT_FALSE(FindById<wxCheckBox>(monitor->Panel(), IDC_MONITOR_WRITE_LOG)->GetValue());
  EXPECT_FALSE(monitor->RealTimeLog().IsOpen());
  EXPECT_EQ(view_->Engine().Options().write_log_file, 0);
  EXPECT_EQ(monitor->WriteLogFlag(), 0);
}

TEST_F(StockMonitoringViewTest, CommandsFollowLoginAndAgentAndTheEndSavesTheMode) {
  CStockMonitoringView* monitor = Make();
  ASSERT_NE(monitor, nullptr);
  orv::win::ScriptMessageBoxes({IDOK});
  Press(monitor, IDC_MONITOR_SETTINGS);
  auto calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].text, "로그인을 먼저 해주세요");
  EXPECT_EQ(boardShown_, 0);
  // Signed in, in the scan mode: the recommended-stock board.
  stage_.login.nUserIdx = 5;
  Press(monitor, IDC_MONITOR_SETTINGS);
  EXPECT_EQ(boardShown_, 1);

  // Without a broker agent the clear and re-register commands ask nothing and do nothing.
  orv::win::ScriptMessageBoxes({});
  Press(monitor, IDC_MONITOR_CLEAR);
  Press(monitor, IDC_MONITOR_REREGISTER);
  EXPECT_TRUE(orv::win::ScriptedMessageBoxCalls().empty());

  // The mode chosen last is kept for the user; the view ends with its worker scanning.
  Pick(monitor, IDC_MONITOR_MODE_COMBO, L"1.HTS 검색식 감시");
  monitor->Worker()->scanRunning = 1;
  monitor->Worker()->SetScanEvent();
  view_->Destroy();
  view_ = nullptr;
  EXPECT_EQ(orv::win::GetProfileInt("Settings", "Stock-AutoBuyType-0", 0), 1);
}

namespace {

void PumpUntil(const std::function<bool()>& done, int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done() && std::chrono::steady_clock::now() < until) {
    wxTheApp->ProcessPendingEvents();
    wxYield();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace

// The switch on in the whole-market scan mode: the worker runs the master list through the
// loaded test module (it scores a stock by its change rate and flags the rising ones) and the
// grid shows the found stocks, highest score first, with the status line and the pass time.
TEST_F(StockMonitoringViewTest, TheScanFillsTheGridFromTheMasterListThroughTheModule) {
  InstallTestModule();
  CStockMonitoringView* monitor = Make();
  ASSERT_NE(monitor, nullptr);
  ASSERT_TRUE(view_->Engine().SignalModules().Loaded());
  struct Listed {
    const wchar_t* code;
    char letter;
    double rate;
  } listed[] = {{L"005930", '1', 2.5}, {L"000660", '2', 4.0}, {L"035420", '1', -3.0},
                {L"AAPL", 'D', 9.0}};
  {
    orv::win::CSingleLock lock(&view_->Engine().ViewLock(), TRUE);
    for (const Listed& l : listed) {
      bool added = false;
      Stock_s* s = GfxAddStockToMap(&view_->Engine().Stocks().Master(), l.code,
                                    l.letter == 'D' ? kMarketOverseas : kMarketDomestic, 0, 0,
                                    &added);
      s->name = std::wstring(L"종목") + l.code;
      s->market_letter = l.letter;
      s->change_rate = l.rate;
      s->cur_price = 50000;
    }
  }
  orv::win::ScriptMessageBoxes({IDYES});
  Toggle(monitor, true);
  ASSERT_TRUE(monitor->ScanRunning());
  PumpUntil([&] { return monitor->Grid().GetRecordCount() == 2; }, 5000);
  ASSERT_EQ(monitor->Grid().GetRecordCount(), 2);
  orv::ui::CMyReportRecordBase* first = monitor->Grid().GetRecord(0);
  orv::ui::CMyReportRecordBase* second = monitor->Grid().GetRecord(1);
  EXPECT_EQ(first->GetTextValue(CFilteredStockRecord::kItemCode), L"000660");
  EXPECT_EQ(second->GetTextValue(CFilteredStockRecord::kItemCode), L"005930");
  EXPECT_EQ(first->GetTextValue(CFilteredStockRecord::kItemName), L"종목000660");
  EXPECT_DOUBLE_EQ(first->GetNumberValue(CFilteredStockRecord::kItemNo), 1);
  EXPECT_DOUBLE_EQ(second->GetNumberValue(CFilteredStockRecord::kItemNo), 2);
  PumpUntil([&] { return monitor->StatusText().rfind(L"3/3:", 0) == 0; }, 5000);
  EXPECT_EQ(monitor->StatusText().rfind(L"3/3:", 0), 0u) << monitor->StatusText();
  EXPECT_NE(monitor->ElapsedText().find(L"s/"), std::wstring::npos);
  // The switch off ends the passes; the view's end joins the worker.
  Toggle(monitor, false);
  EXPECT_FALSE(monitor->ScanRunning());
  const auto before = std::chrono::steady_clock::now();
  view_->Destroy();
  view_ = nullptr;
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
}

// A condition search delivered on another thread (as a broker's events would come): the entry
// puts a row in the grid on the window's thread, a second condition updates it, the exit takes
// it out; the clear command forgets the conditions.
TEST_F(StockMonitoringViewTest, ConditionEntriesAndExitsReachTheGridThroughTheWindowsThread) {
  CStockMonitoringView* monitor = Make();
  ASSERT_NE(monitor, nullptr);
  // The user keeps the real-time search log: the entry and the exit land in today's file.
  ListSamsungAndKeepTheLog(monitor);
  ASSERT_TRUE(monitor->RealTimeLog().IsOpen());
  CConditionSearch* conditions = monitor->Conditions();
  ASSERT_NE(conditions, nullptr);
  conditions->LoadConditionList(L"0^급등주;1^눌림목", true);
  std::thread broker([conditions] {
    conditions->OnRealTimeConditionEvent(L"005930^71000", L"I", L"급등주");
    conditions->OnRealTimeConditionEvent(L"005930", L"I", L"눌림목");
  });
  broker.join();
  PumpUntil([&] { return monitor->Grid().GetRecordCount() == 1; }, 3000);
  ASSERT_EQ(monitor->Grid().GetRecordCount(), 1);
  orv::ui::CMyReportRecordBase* row = monitor->Grid().GetRecord(0);
  EXPECT_EQ(row->GetTextValue(CFilteredStockRecord::kItemCode), L"005930");
  EXPECT_DOUBLE_EQ(row->GetNumberValue(CFilteredStockRecord::kItemCurPrice), 71000);
  EXPECT_DOUBLE_EQ(row->GetNumberValue(16), 2);
  EXPECT_DOUBLE_EQ(view_->Engine().Stocks().Master().Find(L"005930")->cur_price, 71000);
  std::thread leave([conditions] {
    conditions->OnRealTimeConditionEvent(L"005930", L"D", L"급등주");
  });
  leave.join();
  PumpUntil([&] { return monitor->Grid().GetRecordCount() == 0; }, 3000);
  EXPECT_EQ(monitor->Grid().GetRecordCount(), 0);
  EXPECT_FALSE(conditions->Received(L"005930"));
  // The header, one entry row (the second condition only updates the row) and the exit row.
  monitor->RealTimeLog().Close();
  std::ifstream in(TodaysLog(), std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[1].find(",5,005930,\"급등주\",IN/I,1,"), std::string::npos) << lines[1];
  EXPECT_NE(lines[1].find(",[005930],\"삼성전자\",71000.000,"), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find(",6,1:0x11000:0x1000,\"급등주\",OUT,\"1/0\","), std::string::npos)
      << lines[2];
  // Mode 1 of the switch now finds the conditions (and no chosen list).
  Pick(monitor, IDC_MONITOR_MODE_COMBO, L"1.HTS 검색식 감시");
  orv::win::ScriptMessageBoxes({IDOK});
  Toggle(monitor, true);
  const auto calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].text.rfind("서버에서 조건검색식은 2개 검출되었습니다.", 0), 0u) << calls[0].text;
}

// The program's own source of condition searches: a logged-in Kiwoom primary account's stream
// asks for the list and starts every search; the names reach the condition combo, a pushed
// entry adds its row and its log row, the exit removes the row and writes the exit row.
TEST_F(StockMonitoringViewTest, KiwoomStreamConditionsReachTheComboGridAndLog) {
  CStockMonitoringView* monitor = Make();
  ASSERT_NE(monitor, nullptr);
  CPelomarEngine& engine = view_->Engine();
  orv::test::TestCa ca("Orvella Monitor Test CA");
  ASSERT_TRUE(ca.WriteCertificate(stage_.dir.Path() + "/Settings/cacert.pem"));
  engine.ResolveCaCertPath();
  orv::test::KiwoomBrokerPeer broker(ca);
  broker.AcceptCredentials("key", "secret");
  broker.SetToken("stream-token");
  ASSERT_TRUE(broker.Start());
  orv::test::KiwoomQuoteStreamPeer stream(ca);
  stream.SetConditions({{0, "급등주"}, {1, "눌림목"}});
  ASSERT_TRUE(stream.Start());
  const std::string base = broker.BaseUrl();
  orv::win::WriteProfileString("Settings", "BrokerHost-1", base.substr(base.find("://") + 3));
  orv::win::WriteProfileString("Settings", "BrokerWsHost-1", stream.Socket().Host());
  ListSamsungAndKeepTheLog(monitor);
  ASSERT_TRUE(monitor->RealTimeLog().IsOpen());

  CStockAgentBase* agent = engine.GetStockAgent(1, 1, 0, nullptr, nullptr);
  ASSERT_NE(agent, nullptr);
  int code = 0;
  wchar_t error[256]{};
  ASSERT_EQ(agent->LoginA(nullptr, "11112222", "key", "secret", &code, error, 256), 1);
  engine.AgentRoles().primary = agent;
  ASSERT_EQ(engine.RestartQuoteWebSockets(agent), 1);

  auto* combo = FindById<wxChoice>(monitor->Panel(), IDC_MONITOR_CONDITION_COMBO);
  ASSERT_NE(combo, nullptr);
  PumpUntil([&] { return combo->GetCount() == 2; }, 10000);
  ASSERT_EQ(combo->GetCount(), 2u);
  EXPECT_EQ(combo->GetString(0).ToStdWstring(), L"급등주");
  EXPECT_EQ(combo->GetString(1).ToStdWstring(), L"눌림목");
  PumpUntil([&] { return stream.Started() == std::set<int>{0, 1}; }, 10000);
  ASSERT_EQ(stream.Started(), (std::set<int>{0, 1}));

  ASSERT_EQ(stream.PushConditionEvent(0, "005930", 'I'), 1);
  PumpUntil([&] { return monitor->Grid().GetRecordCount() == 1; }, 10000);
  ASSERT_EQ(monitor->Grid().GetRecordCount(), 1);
  EXPECT_EQ(monitor->Grid().GetRecord(0)->GetTextValue(CFilteredStockRecord::kItemCode),
            L"005930");
  ASSERT_EQ(stream.PushConditionEvent(0, "005930", 'D'), 1);
  PumpUntil([&] { return monitor->Grid().GetRecordCount() == 0; }, 10000);
  EXPECT_EQ(monitor->Grid().GetRecordCount(), 0);

  engine.LogoutUser(nullptr, 0);
  monitor->RealTimeLog().Close();
  std::ifstream in(TodaysLog(), std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[1].find(",005930,\"급등주\",IN/I,"), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find(",\"급등주\",OUT,"), std::string::npos) << lines[2];
}

// The broker's list, a condition row, then a scan pass: the list names the condition column's
// choices and fills the condition combo; the pass replaces the grid after the received stock
// let go of its row, so the stock's later exit leaves the scan's rows alone. A new entry adds
// its row and names it on the status line; a stock that left shows its exit values.
TEST_F(StockMonitoringViewTest, ScanPassesDetachConditionRowsAndTheListNamesTheColumn) {
  InstallTestModule();
  CStockMonitoringView* monitor = Make();
  ASSERT_NE(monitor, nullptr);
  {
    orv::win::CSingleLock lock(&view_->Engine().ViewLock(), TRUE);
    for (auto [code, rate] : {std::pair{L"005930", 2.5}, std::pair{L"000660", 4.0}}) {
      bool added = false;
      Stock_s* s = GfxAddStockToMap(&view_->Engine().Stocks().Master(), code, kMarketDomestic,
                                    0, 0, &added);
      s->name = std::wstring(L"종목") + code;
      s->market_letter = '1';
      s->change_rate = rate;
      s->cur_price = 50000;
    }
  }
  CConditionSearch* conditions = monitor->Conditions();
  ASSERT_NE(conditions, nullptr);
  std::thread broker([monitor, conditions] {
    monitor->LoadConditionList(L"0^급등주;1^눌림목", true);
    conditions->OnRealTimeConditionEvent(L"005930", L"I", L"급등주");
  });
  broker.join();
  PumpUntil([&] { return monitor->Grid().GetRecordCount() == 1; }, 3000);
  ASSERT_EQ(monitor->Grid().GetRecordCount(), 1);
  const orv::ui::CReportEditOptions* column =
      monitor->Grid().GetColumnEditOptions(CFilteredStockRecord::kItemCondition);
  ASSERT_NE(column, nullptr);
  ASSERT_EQ(column->constraints.Size(), 2u);
  EXPECT_EQ(*column->constraints.FindLabel(1), L"급등주");
  EXPECT_EQ(*column->constraints.FindLabel(2), L"눌림목");
  auto* combo = FindById<wxChoice>(monitor->Panel(), IDC_MONITOR_CONDITION_COMBO);
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->GetCount(), 2u);
  EXPECT_EQ(combo->GetString(1), wxString(L"눌림목"));

  orv::win::ScriptMessageBoxes({IDYES});
  Toggle(monitor, true);
  PumpUntil([&] { return monitor->ElapsedText().find(L"s/1") != std::wstring::npos; }, 5000);
  ASSERT_NE(monitor->ElapsedText().find(L"s/1"), std::wstring::npos);
  // The switch goes off; a pass it cut short shows what it found so far.
  Toggle(monitor, false);
  PumpUntil([] { return false; }, 600);
  const int scanRows = monitor->Grid().GetRecordCount();
  ASSERT_LE(scanRows, 2);
  for (int i = 0; i < scanRows; ++i)  // scan rows only: the condition row went with the pass
    EXPECT_EQ(monitor->Grid().GetRecord(i)->GetTextValue(CFilteredStockRecord::kItemTime), L"");

  std::thread leave([conditions] {
    conditions->OnRealTimeConditionEvent(L"005930", L"D", L"급등주");
    conditions->OnRealTimeConditionEvent(L"000660", L"I", L"눌림목");
    const double values[kExitValueCount] = {1, 2, 3, 4, 5};
    conditions->UpdateExitedStock(L"000660", values);
  });
  leave.join();
  PumpUntil([&] { return monitor->Grid().GetRecordCount() == scanRows + 1; }, 3000);
  ASSERT_EQ(monitor->Grid().GetRecordCount(), scanRows + 1);
  EXPECT_FALSE(conditions->Received(L"005930"));
  orv::ui::CMyReportRecordBase* entered = monitor->Grid().GetRecord(scanRows);
  EXPECT_EQ(entered->GetTextValue(CFilteredStockRecord::kItemCode), L"000660");
  const std::wstring status = monitor->StatusText();
  EXPECT_NE(status.find(L":종목000660[000660]"), std::wstring::npos) << status;
  int item = 34;
  for (double value : {1.0, 2.0, 3.0, 4.0, 5.0}) {
    EXPECT_DOUBLE_EQ(entered->GetNumberValue(item), value) << item;
    item += 3;
  }
  // The scan's own rows are not the condition's.
  for (int i = 0; i < scanRows; ++i)
    EXPECT_DOUBLE_EQ(monitor->Grid().GetRecord(i)->GetNumberValue(46), 0);
  // A list loaded again with reset replaces the choices.
  monitor->LoadConditionList(L"4^돌파", true);
  PumpUntil([&] { return combo->GetCount() == 1; }, 3000);
  ASSERT_EQ(column->constraints.Size(), 1u);
  EXPECT_EQ(*column->constraints.FindLabel(5), L"돌파");
}

// The worker's starter: asked, the user may keep it or stop it; it starts again when asked.
TEST_F(StockMonitoringViewTest, StartBuyMonitoringAsksBeforeStoppingOrStarting) {
  CStockMonitoringView* monitor = Make();
  ASSERT_NE(monitor, nullptr);
  ASSERT_TRUE(monitor->Worker()->Started());
  orv::win::ScriptMessageBoxes({IDNO, IDYES, IDYES});
  monitor->StartBuyMonitoring(false, true);
  EXPECT_TRUE(monitor->Worker()->Started());
  monitor->StartBuyMonitoring(false, true);
  EXPECT_FALSE(monitor->Worker()->Started());
  monitor->StartBuyMonitoring(true, true);
  EXPECT_TRUE(monitor->Worker()->Started());
  const auto calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].text, "Stop Thread?\n\nStop?");
  EXPECT_EQ(calls[0].caption, "QUESTION");
  EXPECT_EQ(calls[2].text, "Start Buy Monitoring ?");
}
