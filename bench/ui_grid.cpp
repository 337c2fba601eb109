// The all-stock grid's two hot paths: filling 12,000 stock rows, and the 500 ms tick's
// refresh of 200 changed rows (values written, then only the changed rows on screen
// formatted again, as the grid window repaints them).

#include <benchmark/benchmark.h>

#include <string>

#include "platform/ui/model/ReportCtrl.h"

namespace {

using namespace orv::ui;

constexpr int kRows = 12000;
constexpr int kItems = 78;
constexpr int kVisibleRows = 40;

class StockRow : public CMyReportRecordBase {
 public:
  explicit StockRow(int i) {
    AddText();
    AddNumber(i);
    AddNumber(i);
    AddOptions(1);
    AddOptions('1');
    AddText();
    AddText(L"업종");
    AddText();
    AddCheck(false);
    AddText(std::to_wstring(100000 + i))->backColor = 0xFBF5EB;
    REPORT_CELL_ADD_BUTTON(AddText(L"종목" + std::to_wstring(i)), L"주문/정보", 1, 58);
    while (GetItemCount() < kItems) AddNumber(i * 0.5, "%.1lf%%");
  }
};

void FillGrid(CMyReportCtrl& grid) {
  grid.ResetContent();
  grid.ReserveRecords(kRows);
  for (int i = 0; i < kRows; ++i) grid.AddRecord(new StockRow(i));
  grid.Populate();
}

void BM_FillAllStockGrid(benchmark::State& state) {
  CMyReportCtrl grid;
  std::wstring layout;
  for (int i = 0; i < kItems; ++i) layout += L"c" + std::to_wstring(i) + L":>50;";
  grid.InitColumns(std::wstring_view(layout));
  for (auto _ : state) FillGrid(grid);
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_FillAllStockGrid)->Unit(benchmark::kMillisecond);

void BM_RefreshChangedRows(benchmark::State& state) {
  CMyReportCtrl grid;
  std::wstring layout;
  for (int i = 0; i < kItems; ++i) layout += L"c" + std::to_wstring(i) + L":>50;";
  grid.InitColumns(std::wstring_view(layout));
  FillGrid(grid);
  double price = 1;
  size_t chars = 0;
  for (auto _ : state) {
    price += 1;
    // 200 changed rows spread over the list; 5 price items each, as RefreshRowColours does
    for (int k = 0; k < 200; ++k) {
      CMyReportRecordBase* row = grid.GetRowRecord((k * 59) % kRows);
      for (int item : {46, 35, 37, 36, 44}) row->SetNumberValue(item, price);
      row->SetItemTextColor(46, price > 0 ? 0x0000FF : 0xFF0000);
    }
    // the repaint: only changed rows on screen are formatted again
    for (int r : grid.TakeChangedRows(0, kVisibleRows - 1)) {
      CMyReportRecordBase* row = grid.GetRowRecord(r);
      for (int c = 0; c < grid.GetColumnCount(); ++c) chars += row->GetItemCaption(c).size();
    }
  }
  benchmark::DoNotOptimize(chars);
}
BENCHMARK(BM_RefreshChangedRows)->Unit(benchmark::kMicrosecond);

}  // namespace
