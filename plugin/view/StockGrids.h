#pragma once
// The all-stock grid's rows and filter over a grid model, toolkit-free so that it runs under
// test.

#include <functional>

#include "plugin/view/StockRecord.h"
#include "plugin/view/ViewLayout.h"

namespace orv::ui {
class CMyReportCtrl;
}

// Makes the all-stock row of a stock from its copy and adds it to the grid.
CStockRecord* AddAllStockRow(orv::ui::CMyReportCtrl& grid, const StockRow_s& stock, int index,
                             double scale);

// One filter pass over the grid's stock rows in their order (mode 0 filters, other modes show
// every row); `priceInRange` answers -1 without a price range, else 1 in range and 0 out of it.
// Numbers the shown rows, writes the footer row's counts and populates the grid.
MasterGridCounts_s FilterMasterGridRows(orv::ui::CMyReportCtrl& grid,
                                        const MasterGridFilter_s& filter,
                                        const std::function<int(double)>& priceInRange, int mode);
