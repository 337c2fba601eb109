#include "plugin/view/engine/LogPackage.h"

#include <cstdio>
#include <filesystem>
#include <random>

#include "platform/win/CivilDays.h"
#include "plugin/view/engine/DailyLogs.h"

const char* const kPackageLogNames[4] = {"stock_realtime_search", "stock_trade",
                                         "auto_trade_buy_signal_check", "stock_chart"};

namespace {
constexpr int kFirstDay = -5;
constexpr int kLastDay = -2;
}  // namespace

std::vector<std::string> GatherLogPackageFiles(CDailyLogs& logs, const SYSTEMTIME& now) {
  std::vector<std::string> files;
  std::string backup;
  if (logs.BackupTradingLog(&backup) == 1 && std::filesystem::exists(backup))
    files.push_back(backup);
  const std::string folder = logs.GetLogFolder();
  if (folder.empty()) return files;
  const int64_t today = DaysFromCivil(now.wYear, now.wMonth, now.wDay);
  for (int day = kFirstDay; day <= kLastDay; ++day) {
    int year = 0, month = 0, mday = 0;
    CivilFromDays(today + day, &year, &month, &mday);
    for (const char* name : kPackageLogNames) {
      char file[300];
      std::snprintf(file, sizeof file, "%s%s_%04d%02d%02d.csv", folder.c_str(), name, year, month,
                    mday);
      std::error_code ec;
      if (std::filesystem::is_regular_file(file, ec)) files.push_back(file);
    }
  }
  return files;
}

std::string MakeLogPackagePassword(uint32_t seed) {
  std::minstd_rand generator(seed == 0 ? 1 : seed);
  const unsigned r = static_cast<unsigned>(generator() % 32768u);
  char text[16];
  std::snprintf(text, sizeof text, "%X%u", r, r);
  return text;
}
