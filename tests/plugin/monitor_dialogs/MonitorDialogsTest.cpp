// The log, tick list and viewer dialogs under a display: keys, clearing, hiding, the virtual
// tick rows and the viewer's CSV and chart.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/grid.h>
#include <wx/textctrl.h>

#include <cstdlib>
#include <cwchar>
#include <fstream>
#include <memory>

#include "platform/win/MessageBox.h"
#include "plugin/monitor/dialogs/AppLogDlg.h"
#include "plugin/monitor/dialogs/LogFileDlg.h"
#include "plugin/monitor/dialogs/StockViewerDlg.h"
#include "tests/probe/ProbeHarness.h"

namespace {

log_msg_data_s* Entry(const wchar_t* text) {
  auto* e = new log_msg_data_s();
  e->tmTime.wHour = 9;
  e->tmTime.wMinute = 30;
  e->pszText = ::wcsdup(text);
  return e;
}

class MonitorDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override { orv::test::EnsureWxApp(); }
  void TearDown() override { orv::win::StopScriptingMessageBoxes(); }
};

}  // namespace

TEST_F(MonitorDialogsTest, AppLogKeysSearchClearAndClose) {
  CAppLogDlg::LogStore store = {Entry(L"매수 주문 005930"), Entry(L"매도 주문 000660"),
                                Entry(L"잔고 조회")};
  auto* dialog = new CAppLogDlg(orv::test::HiddenFrame(), 0, 2, false);
  dialog->SetLogStore(&store);
  dialog->Show();
  dialog->OnLogTimer();
  EXPECT_EQ(dialog->ShownCount(), 3);

  // Enter searches with the trimmed text; Escape is consumed and closes nothing; a key going up
  // does nothing.
  dialog->SearchBox()->ChangeValue(L"  주문 \t");
  EXPECT_FALSE(dialog->HandleKey({false, 13, false, false}));
  EXPECT_EQ(dialog->ShownCount(), 3);
  EXPECT_TRUE(dialog->HandleKey({true, 13, false, false}));
  EXPECT_EQ(dialog->SearchText(), L"주문");
  EXPECT_EQ(dialog->ShownCount(), 2);
  EXPECT_TRUE(dialog->HandleKey({true, 27, false, false}));
  EXPECT_TRUE(dialog->IsShown());
  // Ctrl+C is consumed also with nothing selected.
  EXPECT_TRUE(dialog->HandleKey({true, 'C', true, true}));
  EXPECT_FALSE(dialog->HandleKey({true, 'C', true, false}));

  // Changes while auto-scroll is off are reloaded at the next tick all the same.
  dialog->ToggleAutoScroll();
  EXPECT_FALSE(dialog->AutoScroll());
  store.push_back(Entry(L"주문 취소"));
  dialog->NotifyLogChanged(1);
  EXPECT_EQ(dialog->ShownCount(), 2);
  dialog->OnLogTimer();
  EXPECT_EQ(dialog->ShownCount(), 3);

  // Clearing asks first: No keeps the log, Yes empties it; an empty log is reported.
  orv::win::ScriptMessageBoxes({IDNO, IDYES, IDOK});
  dialog->ClearLog();
  EXPECT_EQ(store.size(), 4u);
  dialog->ClearLog();
  EXPECT_TRUE(store.empty());
  EXPECT_EQ(dialog->ShownCount(), 0);
  dialog->ClearLog();
  const auto calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].caption, "QUESTION");
  EXPECT_EQ(calls[0].text, "Do you want to clear all log?");
  EXPECT_EQ(calls[2].caption, "ERROR");
  EXPECT_EQ(calls[2].text, "Log is empty");

  // The dark background keeps the entries readable; closing in mode 2 only hides.
  dialog->ToggleDarkBackground();
  EXPECT_EQ(dialog->Background(), *wxBLACK);
  EXPECT_EQ(dialog->TextColour(), *wxWHITE);
  dialog->ToggleDarkBackground();
  EXPECT_EQ(dialog->TextColour(), *wxBLACK);
  dialog->Close();
  EXPECT_FALSE(dialog->IsShown());
  dialog->Destroy();
}

TEST_F(MonitorDialogsTest, AHiddenAppLogRebuildsNothingUntilShown) {
  CAppLogDlg::LogStore store = {Entry(L"시세 조회 OK"), Entry(L"잔고 조회")};
  auto* dialog = new CAppLogDlg(orv::test::HiddenFrame(), 0, 2, false);
  dialog->SetLogStore(&store);
  EXPECT_FALSE(dialog->LogTimerRunning());
  dialog->OnLogTimer();
  EXPECT_EQ(dialog->ShownCount(), 0) << "the hidden dialog rebuilt its entries";

  // Shown, it loads at once and follows the log every second.
  dialog->Show();
  EXPECT_EQ(dialog->ShownCount(), 2);
  EXPECT_TRUE(dialog->LogTimerRunning());

  // Hidden again (closing in mode 2), the timer stops and changes wait for the next show.
  dialog->Close();
  EXPECT_FALSE(dialog->LogTimerRunning());
  store.push_back(Entry(L"시세 조회 OK"));
  dialog->NotifyLogChanged(1);
  dialog->OnLogTimer();
  EXPECT_EQ(dialog->ShownCount(), 2);
  dialog->Show();
  EXPECT_EQ(dialog->ShownCount(), 3);

  orv::win::ScriptMessageBoxes({IDYES});
  dialog->ClearLog();
  EXPECT_TRUE(store.empty());
  dialog->Destroy();
}

TEST_F(MonitorDialogsTest, TickListRowsComeFromTheBoundVectorAtEachRefresh) {
  CLogFileDlg dialog;
  ASSERT_TRUE(dialog.CreateFromTemplate(3176, orv::test::HiddenFrame()));
  wxGrid* grid = dialog.GridCtrl()->Grid();
  ASSERT_EQ(grid->GetNumberCols(), 9);
  EXPECT_EQ(grid->GetColLabelValue(5), "Up/Down%");
  EXPECT_EQ(grid->GetNumberRows(), 0);
  dialog.RefreshTickList(true);  // no vector: nothing happens

  TickRecord_s a, b;
  std::wcscpy(a.code, L"005930");
  a.changeRate = -1.5;
  b.price = 70100.75;
  TickRecordList ticks;
  dialog.SetTickData(&ticks);
  dialog.RefreshTickList(true);  // an empty vector: no rows, no scrolling
  EXPECT_EQ(grid->GetNumberRows(), 0);
  ticks = {&a, &b};
  EXPECT_EQ(grid->GetNumberRows(), 0) << "the count is fixed at the last binding";
  dialog.RefreshTickList(true);
  ASSERT_EQ(grid->GetNumberRows(), 2);
  EXPECT_EQ(grid->GetCellValue(0, 1), "005930");
  EXPECT_EQ(grid->GetCellValue(0, 5), "-1");
  EXPECT_EQ(grid->GetCellValue(1, 4), "70100");
  ticks.pop_back();
  dialog.RefreshTickList(false);
  EXPECT_EQ(grid->GetNumberRows(), 1);
}

TEST_F(MonitorDialogsTest, ViewerLoadsRowsOfTwelveFieldsAndDrawsItsValues) {
  orv::test::TempDir dir;
  const std::string csv = dir.Path() + "/sample.csv";
  {
    std::ofstream out(csv);
    out << "h1,h2,h3,h4,h5,h6,h7,h8,h9,h10,h11,h12\n"
        << "삼성전자,b,c,d,KOSPI,전기전자,g,h,70000.5,71000,69000,x\n"
        << "short,b,c,d,e,f,g,h,1,2,3\n"
        << "SK하이닉스,b,c,d,KOSPI,반도체,g,h,198000,199000,197000,x,extra\r\n";
  }
  auto* viewer = new CStockViewerDlg(orv::test::HiddenFrame(), csv);
  ASSERT_EQ(viewer->Entries().size(), 2u);
  EXPECT_EQ(viewer->Grid()->GetNumberRows(), 2);
  EXPECT_EQ(viewer->Grid()->GetCellValue(1, 12), "extra");
  EXPECT_EQ(std::wstring(viewer->Entries()[0].field1), L"삼성전자");
  EXPECT_EQ(std::wstring(viewer->Entries()[1].field6), L"반도체");
  EXPECT_EQ(viewer->Entries()[0].value9, 70000.5);
  EXPECT_EQ(viewer->Entries()[1].value11, 197000);
  // 100 values between 8000 and 8999, three of them marked.
  const orv::ui::ChartSeries* line = viewer->Chart().Find("1");
  ASSERT_NE(line, nullptr);
  ASSERT_EQ(line->points.size(), 100u);
  for (const auto& p : line->points) {
    EXPECT_GE(p.close, 8000);
    EXPECT_LE(p.close, 8999);
  }
  EXPECT_EQ(viewer->Chart().Series().size(), 4u);
  EXPECT_EQ(viewer->Chart().labelAngle, 90);
  viewer->Destroy();

  // Without the file the grid stays empty and the chart is drawn all the same.
  auto* empty = new CStockViewerDlg(orv::test::HiddenFrame(), dir.Path() + "/missing.csv");
  EXPECT_EQ(empty->Grid()->GetNumberRows(), 0);
  EXPECT_TRUE(empty->Entries().empty());
  EXPECT_EQ(empty->Chart().Series().size(), 4u);
  empty->Destroy();
}
