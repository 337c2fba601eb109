#pragma once
// The monitoring view's daily real-time search log: every stock that enters or leaves a
// broker's real-time condition search, one CSV row each, for checking a condition formula
// afterwards in a spreadsheet. The file is "stock_realtime_search_yyyymmdd.csv" in the
// plug-in's log folder, UTF-8 with a byte-order mark and a header line when new, lines ending
// in CR LF. The file is written under its own lock.

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

#include "platform/win/WinTypes.h"

// The header line as it stands in the file (its eleventh title carries one per-cent sign).
extern const char kRealTimeSearchLogHeader[];

// Row commands (the second column).
constexpr int kRealTimeRowEntry = 5;
constexpr int kRealTimeRowExit = 6;
constexpr int kRealTimeRowReset = 7;

// The configuration's values every entry and reset row repeats.
struct RealTimeLogLimits_s {
  int riseLimit = 0;        // percent
  int orderStart = 0;       // hhmm
  int orderEnd = 0;         // hhmm
  int boughtToday = 0;      // won bought automatically today
  int dailyLimitWon = 0;
  int waitMs = 0;
  int checkIntervalMs = 0;
  int certified = 0;        // the 인증 column: the signed-in user's customer number
  int checking = 0;         // the view's "checking" value
};

struct RealTimeEntryRow_s {
  SYSTEMTIME time{};
  std::wstring key;
  std::wstring condition;
  wchar_t kind = L'I';      // after "IN/": 'I' real-time, 'R' or the list handler's kind
  int conditionCount = 0;   // conditions the stock is in
  int requiredCount = 0;    // EQ수
  std::wstring code;
  std::wstring name;
  double price = 0;
  double changeRate = 0;
  RealTimeLogLimits_s limits;
};

struct RealTimeExitRow_s {
  SYSTEMTIME time{};
  std::wstring key;
  std::wstring condition;
  int conditionCount = 0;
  std::wstring code;
  std::wstring name;
  double price = 0;
  double changeRate = 0;
};

struct RealTimeExitStateRow_s {
  SYSTEMTIME time{};
  int conditionIndex = 0;
  uint32_t state = 0;       // the stock's state word (0x11000 after an exit)
  std::wstring condition;
  int conditionCount = 0;
  int secondCount = 0;
  int requiredCount = 0;
  std::wstring code;
  std::wstring name;
  double price = 0;
  double changeRate = 0;
};

struct RealTimeResetRow_s {
  SYSTEMTIME time{};
  std::wstring condition;
  std::wstring registeredName;  // the name registered for the index
  int conditionIndex = 0;
  RealTimeLogLimits_s limits;
};

// The rows as they are written (UTF-8, ending in CR LF).
std::string FormatEntryRow(const RealTimeEntryRow_s& row);
std::string FormatExitRow(const RealTimeExitRow_s& row);
std::string FormatExitStateRow(const RealTimeExitStateRow_s& row);
std::string FormatResetRow(const RealTimeResetRow_s& row);

class CRealTimeSearchLog {
 public:
  CRealTimeSearchLog() = default;
  ~CRealTimeSearchLog();
  CRealTimeSearchLog(const CRealTimeSearchLog&) = delete;
  CRealTimeSearchLog& operator=(const CRealTimeSearchLog&) = delete;

  // "<logFolder>stock_realtime_search_yyyymmdd.csv" of the local day (the folder ends in '/').
  static std::string DailyPath(const std::string& logFolder, const SYSTEMTIME& day);

  // The file the next open uses; an open file stays open.
  void SetPath(const std::string& path);
  std::string Path() const;

  // On: with a folder and a day given the path becomes that day's file; when no file is
  // open it is opened for appending (its folder made when missing; a new file gets the mark
  // and the header) and 1 is answered. -1 when it cannot be opened: nothing is open and
  // `error` says why. Off: the open file is closed. 0 in every other case.
  int SetRealTimeLog(bool on, const std::string* logFolder, const SYSTEMTIME* day,
                     std::string* error = nullptr);
  bool IsOpen() const;
  void Close();

  // When the log file exists: closes it and copies it over "<path>.bak" (the old backup goes
  // first); answers the copy's result (1 copied, 0 not), 0 without a log file.
  int BackupRealTimeLog(std::string* outBackupPath);

  // Rows are written only while the file is open; false when none was written.
  bool WriteEntry(const RealTimeEntryRow_s& row);
  bool WriteExit(const RealTimeExitRow_s& row);
  bool WriteExitWithState(const RealTimeExitStateRow_s& row);
  bool WriteReset(const RealTimeResetRow_s& row);

 private:
  bool WriteLine(const std::string& line);
  void CloseUnderLock();

  mutable std::mutex m_mutex;
  std::string m_path;
  FILE* m_file = nullptr;
};
