// The chart of a held stock, on the road with the sandbox's Kiwoom account: its chart pass stores
// 60 day and 60 minute candles of the stock, the user right-clicks the stock's holdings row and
// picks "종목 정보 조회" (the grid menu's stock command), and the chart dialog opens with the
// day candles, SAR and MACD of those bars and the minute candles below. The foreign stock lists
// are asked for after the master codes.
#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/grid.h>
#include <wx/notebook.h>
#include <wx/timer.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "host/frame/MainFrame.h"
#include "platform/support/TextConv.h"
#include "platform/ui/ChartControl.h"
#include "tests/e2e/road/RoadHost.h"
#include "tests/e2e/road/RoadWindows.h"
#include "tests/e2e/road/TradingGrids.h"

using orv::test::KiwoomCandle;
using orv::test::windows::FindById;
using orv::test::RoadHost;
using orv::test::windows::ShownDialog;
using namespace orv::test::grids;

namespace {

constexpr auto kStepBound = std::chrono::seconds(20);
constexpr int kStockInfoCommand = 565;
constexpr int kCandles = 60;

// 60 candles, newest first, that wander up and down around 70,000 won.
std::vector<KiwoomCandle> Candles(bool minutes) {
  std::vector<KiwoomCandle> newestFirst;
  double close = 66000;
  std::vector<KiwoomCandle> oldestFirst;
  for (int i = 0; i < kCandles; ++i) {
    const double open = close;
    close = std::round((66000 + 4000 * std::sin(i / 7.0) + 1500 * std::sin(i * 1.3) + i * 60) / 100) * 100;
    KiwoomCandle c;
    char date[32];
    if (minutes)
      std::snprintf(date, sizeof date, "20261210%02d%02d00", 9 + (i + 10) / 60, (i + 10) % 60);
    else
      std::snprintf(date, sizeof date, "2026%02d%02d", 9 + i / 28, 1 + i % 28);
    c.date = date;
    c.open = open;
    c.close = close;
    c.high = std::max(open, close) + 300 + (i % 4) * 200;
    c.low = std::min(open, close) - 300 - (i % 3) * 200;
    c.volume = 100000 + i * 1000;
    oldestFirst.push_back(c);
  }
  newestFirst.assign(oldestFirst.rbegin(), oldestFirst.rend());
  return newestFirst;
}

}  // namespace

TEST(ChartRoad, TheGridMenusStockCommandOpensTheChartOfTheHeldStock) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR, "kiwoom"});
  std::string error;
  ASSERT_TRUE(road.Prepare("005930 70000 000660 198000\n", &error)) << error;
  road.Market().Kiwoom().SetCandles("ka10081", Candles(false));
  road.Market().Kiwoom().SetCandles("ka10080", Candles(true));
  ASSERT_TRUE(road.StartHost(&error)) << error;
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };

  std::wstring loginError;
  const int login = road.LogIn(&loginError);
  if (login != 1) road.KeepFolders();
  ASSERT_EQ(login, 1) << "log-in error: " << WideToUtf8(loginError);
  // After the master codes the portal's foreign lists are asked for (the sandbox's web server
  // stands in for the portal and has none: each list ends at its first page).
  EXPECT_TRUE(wait([&] { return !road.WebRequests("stock/exchange/NASDAQ/marketValue").empty(); }));
  EXPECT_TRUE(wait([&] { return !road.WebRequests("stock/exchange/KOSDAQ/marketValue").empty(); }));
  // The chart pass asks for both kinds of candles, then the short selling of the data agent.
  EXPECT_TRUE(wait([&] { return !road.KiwoomRequests("ka10080").empty(); }));
  EXPECT_TRUE(wait([&] { return !road.KiwoomRequests("ka10014").empty(); }));

  wxGrid* own = TabGrid(TradingTabs(road.Frame()), 1, false);
  ASSERT_NE(own, nullptr);
  int row = -1;
  ASSERT_TRUE(wait([&] { return (row = RowOfCode(own, "005930")) >= 0; }));

  // The user right-clicks the row; in the menu that opens, the stock command is picked and the
  // menu closes.
  // A loaded machine may close the menu before the pick reaches it: the user tries again.
  wxDialog* dialog = nullptr;
  for (int attempt = 0; attempt < 3 && !dialog; ++attempt) {
    const auto pick = PickRowMenuCommand(own, row, kStockInfoCommand);
    road.WaitFor([&] { return (dialog = ShownDialog("CHART")) != nullptr; },
                 std::chrono::seconds(5));
  }
  ASSERT_TRUE(dialog || wait([&] { return (dialog = ShownDialog("CHART")) != nullptr; }))
      << "no chart dialog";
  auto* day = FindById<orv::ui::ChartControl>(dialog, 2010);
  auto* minute = FindById<orv::ui::ChartControl>(dialog, 2011);
  ASSERT_NE(day, nullptr);
  ASSERT_NE(minute, nullptr);
  auto points = [](orv::ui::ChartControl* chart, const char* name) -> size_t {
    const orv::ui::ChartSeries* s = chart->Model() ? chart->Model()->Find(name) : nullptr;
    return s ? s->points.size() : 0;
  };
  EXPECT_TRUE(wait([&] { return points(day, "Candle") == kCandles; }))
      << points(day, "Candle") << " day candles";
  EXPECT_EQ(points(minute, "Candle"), static_cast<size_t>(kCandles));
  EXPECT_EQ(points(day, "MACD"), static_cast<size_t>(kCandles));
  EXPECT_GE(points(day, "SAR"), static_cast<size_t>(kCandles - 1));
  // The bars are the stored candles, oldest first, labelled by their dates and times.
  const std::vector<KiwoomCandle> candles = Candles(false);
  const orv::ui::ChartSeries* candle = day->Model()->Find("Candle");
  ASSERT_NE(candle, nullptr);
  if (candle->points.size() == kCandles) {
    EXPECT_EQ(candle->points.back().label, candles.front().date);
    // The newest bar is today's: a price poll may already have moved its close to the current
    // price, so the stored closes are compared from the bar before it.
    EXPECT_EQ(candle->points[kCandles - 2].close, candles[1].close);
    EXPECT_EQ(candle->points.front().open, candles.back().open);
  }
  const orv::ui::ChartSeries* minuteCandle = minute->Model()->Find("Candle");
  if (minuteCandle && !minuteCandle->points.empty())
    EXPECT_EQ(minuteCandle->points.front().label, "910");

  // ORV_ROAD_SCREENSHOT=FILE.png keeps a picture of the screen with the chart open.
  if (const char* shot = std::getenv("ORV_ROAD_SCREENSHOT")) {
    dialog->SetSize(1000, 760);
    dialog->Raise();
    orv::test::PumpEvents(800);
    const std::string command = std::string("import -window root '") + shot + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }
  dialog->Close();
  EXPECT_FALSE(dialog->IsShown());
  EXPECT_TRUE(road.CloseWithYes(kStepBound));
}
