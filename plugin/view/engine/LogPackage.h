#pragma once
// The log package the user sends to the product's developers: which files go into it and the
// password it is packed with.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/WinTypes.h"

class CDailyLogs;

// The dated logs a package gathers, in this order for each day.
extern const char* const kPackageLogNames[4];

// The package's files: the trading log's backup (made now, when there is a trading log)
// first, then for each day from five days before `now` to two days before it every existing
// "<log folder><name>_yyyymmdd.csv" of kPackageLogNames.
std::vector<std::string> GatherLogPackageFiles(CDailyLogs& logs, const SYSTEMTIME& now);

// The password of one package: one number r drawn from a generator seeded with `seed`
// (0..32767), written in upper-case hexadecimal followed by r in decimal.
std::string MakeLogPackagePassword(uint32_t seed);
