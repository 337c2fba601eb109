// The real-time search log's bytes: mark and header once per file, CR LF lines, the four row
// kinds; the switch, the folder it makes, a file that cannot be opened, and the backup.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "plugin/monitor/core/RealTimeSearchLog.h"

namespace fs = std::filesystem;

namespace {

struct Folder {
  std::string path;
  Folder() {
    std::string pattern = (fs::temp_directory_path() / "rtlog-XXXXXX").string();
    path = ::mkdtemp(pattern.data());
  }
  ~Folder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

SYSTEMTIME Day(int y, int m, int d, int hh = 9, int mm = 5, int ss = 7, int ms = 42) {
  SYSTEMTIME t{};
  t.wYear = y;
  t.wMonth = m;
  t.wDay = d;
  t.wHour = hh;
  t.wMinute = mm;
  t.wSecond = ss;
  t.wMilliseconds = ms;
  return t;
}

const std::string kHead =
    "\xEF\xBB\xBF"
    "시간,명령,키값,조건명,진입/이탈,검출수,EQ수,종목코드,종목명,가격,등락률(%),주문여부,주문수량,"
    "잔량,자동회차,자동한도,허용율,주문START,주문END,금일매수,1일한도,시간DELAY,시간DELAY(초),"
    "인증,체크중\r\n";

}  // namespace

TEST(RealTimeSearchLogTest, NewFileGetsMarkAndHeaderOnceAndRowsEndInCrLf) {
  Folder dir;
  const std::string logFolder = dir.path + "/data/Log/";  // made by the switch
  const SYSTEMTIME day = Day(2026, 3, 4);
  CRealTimeSearchLog log;
  EXPECT_EQ(log.SetRealTimeLog(true, &logFolder, &day), 1);
  EXPECT_EQ(log.Path(), logFolder + "stock_realtime_search_20260304.csv");
  // A second switch-on keeps the open file and writes no second header.
  EXPECT_EQ(log.SetRealTimeLog(true, nullptr, nullptr), 0);

  RealTimeEntryRow_s entry;
  entry.time = day;
  entry.key = L"K1";
  entry.condition = L"급등주";
  entry.kind = L'I';
  entry.conditionCount = 2;
  entry.requiredCount = 3;
  entry.code = L"005930";
  entry.name = L"삼성전자";
  entry.price = 71500;
  entry.changeRate = 1.25;
  entry.limits = {10, 900, 1520, 300000, 1000000, 3000, 10000, 77, 1};
  EXPECT_TRUE(log.WriteEntry(entry));

  RealTimeExitRow_s exit;
  exit.time = day;
  exit.key = L"K1";
  exit.condition = L"급등주";
  exit.conditionCount = 1;
  exit.code = L"005930";
  exit.name = L"삼성전자";
  exit.price = 71400.5;
  exit.changeRate = -0.5;
  EXPECT_TRUE(log.WriteExit(exit));

  RealTimeExitStateRow_s state;
  state.time = day;
  state.conditionIndex = 13;
  state.state = 0x11000;
  state.condition = L"급등주";
  state.conditionCount = 1;
  state.secondCount = 2;
  state.requiredCount = 3;
  state.code = L"005930";
  state.name = L"삼성전자";
  state.price = 71400;
  state.changeRate = 0;
  EXPECT_TRUE(log.WriteExitWithState(state));

  RealTimeResetRow_s reset;
  reset.time = day;
  reset.condition = L"급등주";
  reset.registeredName = L"급등주2";
  reset.conditionIndex = 13;
  reset.limits = {10, 900, 1520, 300000, 1000000, 3000, 10000, 77, 0};
  EXPECT_TRUE(log.WriteReset(reset));
  log.Close();
  EXPECT_FALSE(log.WriteExit(exit));  // rows only while the file is open

  const std::string expected =
      kHead +
      "09:05:07.042,5,K1,\"급등주\",IN/I,2,3,[005930],\"삼성전자\",71500.000,1.250000%,0,0,0,0,0,"
      "10%,900,1520,300000,1000000,3000,10000,77,1\r\n"
      "09:05:07.042,6,K1,\"급등주\",OUT,1,[005930],\"삼성전자\",71400.500,-0.500000%\r\n"
      "09:05:07.042,6,13:0x11000:0x1000,\"급등주\",OUT,\"1/2\",3,[005930],\"삼성전자\",71400.000,"
      "0.000000%\r\n"
      "09:05:07.042,7,급등주,\"급등주2\",RESET/13,0,0,,,0,0%,0,0,0,0,0,10%,S:0900,E:1520,300000,"
      "1000000,3000,10000,77,0\r\n";
  EXPECT_EQ(ReadAll(log.Path()), expected);

  // The same day's file opened again is appended to, without a second mark or header.
  CRealTimeSearchLog again;
  EXPECT_EQ(again.SetRealTimeLog(true, &logFolder, &day), 1);
  EXPECT_TRUE(again.WriteExit(exit));
  again.Close();
  EXPECT_EQ(ReadAll(log.Path()),
            expected + "09:05:07.042,6,K1,\"급등주\",OUT,1,[005930],\"삼성전자\",71400.500,"
                       "-0.500000%\r\n");
}

TEST(RealTimeSearchLogTest, FileThatCannotBeOpenedLeavesTheLogOffWithAReason) {
  Folder dir;
  const SYSTEMTIME day = Day(2026, 3, 4);
  const std::string logFolder = dir.path + "/";
  // A folder stands where the file would be.
  fs::create_directories(CRealTimeSearchLog::DailyPath(logFolder, day));
  CRealTimeSearchLog log;
  std::string error;
  EXPECT_EQ(log.SetRealTimeLog(true, &logFolder, &day, &error), -1);
  EXPECT_FALSE(log.IsOpen());
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(log.WriteExit(RealTimeExitRow_s{}));

  // No folder at all: the same.
  CRealTimeSearchLog noFolder;
  EXPECT_EQ(noFolder.SetRealTimeLog(true, nullptr, nullptr, &error), -1);
  // Switching off answers 0 and leaves nothing open.
  EXPECT_EQ(noFolder.SetRealTimeLog(false, nullptr, nullptr), 0);
}

TEST(RealTimeSearchLogTest, BackupClosesTheLogAndReplacesTheOldCopy) {
  Folder dir;
  const SYSTEMTIME day = Day(2026, 12, 31);
  const std::string logFolder = dir.path + "/";
  CRealTimeSearchLog log;
  std::string backup;
  EXPECT_EQ(log.BackupRealTimeLog(&backup), 0);  // no log yet
  ASSERT_EQ(log.SetRealTimeLog(true, &logFolder, &day), 1);
  std::ofstream(log.Path() + ".bak") << "old";
  EXPECT_EQ(log.BackupRealTimeLog(&backup), 1);
  EXPECT_EQ(backup, dir.path + "/stock_realtime_search_20261231.csv.bak");
  EXPECT_FALSE(log.IsOpen());
  EXPECT_EQ(ReadAll(backup), kHead);
}
