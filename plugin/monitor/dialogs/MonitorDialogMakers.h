#pragma once
// Installs the monitoring side's windows (the chart dialog, the tick list) in the trading view's
// child makers. The plug-in's start-up calls it before the view is made.

struct PelomarChildMakers;

void InstallMonitorDialogMakers(PelomarChildMakers& makers);
