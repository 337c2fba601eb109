#pragma once
// A grid's column width text ("25;?30;50": a width per column, "?" before a hidden one) kept
// per signed-in user in the application's settings: section "Settings", key
// "ColumnWidths-<view key>-<grid index>-<company>-<user>" (the user part left out for user 0).

#include <string>

#include "platform/win/WinTypes.h"

// Stores the width text of grid `index` of the view named `key`. TRUE when written.
BOOL SaveReportColumnWidthToDb(int companyIndex, int userIndex, const std::wstring& key, int index,
                               const std::wstring& widths);
