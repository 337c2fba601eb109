#include "plugin/monitor/dialogs/MonitorDialogMakers.h"

#include "plugin/monitor/dialogs/LogFileDlg.h"
#include "plugin/monitor/dialogs/StockChartDlg.h"

void InstallMonitorDialogMakers(PelomarChildMakers& makers) {
  makers.chartDialog = [](CPelomarView& view) { return std::make_unique<CStockChartDlg>(view); };
  makers.tickListDialog = [](CPelomarView&) { return std::make_unique<CLogFileDlg>(); };
}
