#pragma once
// The DPI the host lays its windows out at. A desktop scales a program in two ways: a monitor
// of many pixels per inch, or a larger text resolution (the desktop's font DPI, e.g. 144 for
// 150 %), which makes every text larger without changing the monitor. Sizes given at 96 DPI
// must grow with whichever is larger, or the larger texts no longer fit them.

class wxWindow;

// The larger of the window's monitor DPI (the main display's without a window) and the
// desktop's text DPI; 96 when neither is known.
int HostLayoutDpi(const wxWindow* window);

// The larger of two DPI values, each rounded to a whole number; values below 1 count as
// unknown, and 96 is the answer when both are.
int LargerDpi(double monitorDpi, double textDpi);
