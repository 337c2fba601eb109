#pragma once
// The all-stock grid's filter over a grid model, toolkit-free so that it runs under test.

#include <functional>

#include "plugin/view/StockRecord.h"
#include "plugin/view/ViewLayout.h"

class StockMap;
namespace orv::ui {
class CMyReportCtrl;
}

// The all-stock row of a stock (its grid row when that row belongs to `grid`), or null.
orv::ui::CMyReportRecordBase* AllStockRowOf(const Stock_s* stock,
                                            const orv::ui::CMyReportCtrl& grid);
// Makes the all-stock row of a stock, links the stock to it and adds it to the grid.
CStockRecord* AddAllStockRow(orv::ui::CMyReportCtrl& grid, Stock_s* stock, int index, double scale);

// One filter pass over the master map in key order (mode 0 filters, other modes show every
// row); `priceInRange` answers -1 without a price range, else 1 in range and 0 out of it.
// Numbers the shown rows, writes the footer row's counts and populates the grid.
MasterGridCounts_s FilterMasterGridRows(orv::ui::CMyReportCtrl& grid, const StockMap& master,
                                        const MasterGridFilter_s& filter,
                                        const std::function<int(double)>& priceInRange, int mode);
