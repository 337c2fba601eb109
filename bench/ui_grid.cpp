// The all-stock grid on screen: 12,000 stock rows of the program's own row class in the real
// grid window (the layout, day columns and frozen columns of the trading view), and the 500 ms
// tick's refresh of 200 changed rows: new quotes written into the rows (every row on screen
// among them, the rest spread over the list), then the window's refresh and the paint it
// causes. Runs under a display (scripts/bench starts Xvfb when there is none).
//
// "ms_per_refresh" is the time of one refresh, quotes written to painted; the aim is under 5.

#include <benchmark/benchmark.h>
#include <wx/evtloop.h>
#include <wx/grid.h>
#include <wx/wx.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "platform/ui/ReportGridWindow.h"
#include "platform/ui/model/ReportCtrl.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/StockGrids.h"
#include "plugin/view/StockRecord.h"

namespace {

using namespace orv::ui;

constexpr int kRows = 12000;
constexpr int kChanged = 200;

void Pump(int ms) {
  wxGUIEventLoop loop;
  wxEventLoopActivator activate(&loop);
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    while (loop.Pending()) loop.Dispatch();
    wxTheApp->ProcessPendingEvents();
    loop.DispatchTimeout(5);
    wxTheApp->ProcessIdle();
  }
}

StockRow_s MakeStock(int i) {
  StockRow_s s;
  s.code = std::to_wstring(100000 + i * 3);
  s.name = L"종목" + std::to_wstring(i);
  s.market = 1;
  s.marketLetter = i % 2 ? 'Q' : 'K';
  s.listIndex = i;
  s.curPrice = 1000 + (i * 37) % 90000;
  s.openPrice = s.curPrice * 0.99;
  s.highPrice = s.curPrice * 1.02;
  s.lowPrice = s.curPrice * 0.97;
  s.change = (i % 7 - 3) * 10;
  s.changeRate = (i % 7 - 3) * 0.5;
  s.listing.listed = 1;
  return s;
}

struct Screen {
  wxFrame* frame = nullptr;
  CMyReportCtrl model;
  ReportGridWindow* window = nullptr;
  std::vector<CStockRecord*> rows;

  Screen() {
    frame = new wxFrame(nullptr, wxID_ANY, "grid", wxPoint(0, 0), wxSize(1500, 900));
    // The trading view's all-stock grid: its layout, the 60 day columns, 13 frozen columns.
    window = GfxInitReportCtrl2(model, frame, 1, kAllStockGridLayout);
    for (int i = 0; i < kDayItemCount; ++i)
      model.AddColumn(kAllItemFirstDay + i, std::to_wstring(i + 1), L">60");
    model.FreezeColumns(13);
    frame->Show();
    model.ResetContent(true);
    model.ReserveRecords(kRows);
    for (int i = 0; i < kRows; ++i) {
      const StockRow_s stock = MakeStock(i);
      rows.push_back(AddAllStockRow(model, stock, i + 1, 1.0));
    }
    model.AddFooterRecord(std::make_unique<CStockRecord>(nullptr, 0, 1.0));
    model.Populate();
    Pump(300);
  }
  ~Screen() {
    frame->Destroy();
    Pump(50);
  }
};

void BM_RefreshChangedRowsOnScreen(benchmark::State& state) {
  Screen screen;
  int first = 0, last = -1;
  screen.window->GetVisibleRows(&first, &last);
  if (last < first) {
    state.SkipWithError("no row on screen");
    return;
  }
  // Every row on screen, then rows spread over the rest of the list.
  std::vector<int> changed;
  for (int r = first; r <= last && static_cast<int>(changed.size()) < kChanged; ++r)
    changed.push_back(r);
  for (int k = 0; static_cast<int>(changed.size()) < kChanged; ++k) {
    const int r = (last + 1 + k * 59) % kRows;
    if (r > last) changed.push_back(r);
  }
  wxGrid* body = screen.window->GetBodyGrid();
  int tick = 0;
  std::vector<double> ms;
  for (auto _ : state) {
    ++tick;
    const auto start = std::chrono::steady_clock::now();
    for (int r : changed) {
      const StockRow_s base = MakeStock(r);
      StockQuoteRow_s q;
      q.code = base.code;
      const double step = ((tick + r) % 5 - 2) * 10.0;
      q.curPrice = base.curPrice + step;
      q.openPrice = base.openPrice;
      q.highPrice = std::max(base.highPrice, q.curPrice);
      q.lowPrice = std::min(base.lowPrice, q.curPrice);
      q.change = base.change + step;
      q.changeRate = q.change / base.curPrice * 100;
      screen.rows[static_cast<size_t>(r)]->ApplyQuote(q);
    }
    screen.window->RefreshChangedRows();
    screen.window->GetWindow()->Update();  // paints what the refresh invalidated, now
    body->GetGridWindow()->Update();
    if (body->GetFrozenColGridWindow()) body->GetFrozenColGridWindow()->Update();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                           start)
                     .count());
  }
  std::sort(ms.begin(), ms.end());
  state.counters["rows_on_screen"] = last - first + 1;
  state.counters["rows_repainted"] = screen.window->GetLastRepaintCount();
  state.counters["ms_per_refresh"] = ms.empty() ? 0 : ms[ms.size() / 2];
  state.counters["target_ms"] = 5;
}
BENCHMARK(BM_RefreshChangedRowsOnScreen)->Unit(benchmark::kMillisecond)->Iterations(200);

// Filling the grid model with 12,000 stock rows, as the master list arrives.
void BM_FillAllStockGrid(benchmark::State& state) {
  CMyReportCtrl grid;
  grid.InitColumns(std::wstring_view(kAllStockGridLayout));
  std::vector<StockRow_s> stocks;
  for (int i = 0; i < kRows; ++i) stocks.push_back(MakeStock(i));
  for (auto _ : state) {
    grid.ResetContent();
    grid.ReserveRecords(kRows);
    for (int i = 0; i < kRows; ++i) AddAllStockRow(grid, stocks[static_cast<size_t>(i)], i + 1, 1);
    grid.Populate();
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_FillAllStockGrid)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  wxApp::SetInstance(new wxApp);
  int wxArgc = 1;
  char name[] = "bench_ui_grid";
  char* wxArgv[] = {name, nullptr};
  if (!wxEntryStart(wxArgc, wxArgv)) return 1;
  wxTheApp->CallOnInit();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  wxEntryCleanup();
  return 0;
}
