#pragma once
// The trading view's three daily CSV logs in "<data folder>/Log/": the application log (every
// message the view logs), the trading log (one line per order and rule event) and the price
// log (one line per quoted stock and poll). Each file is named after the local date and
// appended to; each line is one write followed by a flush.
//
// Every log has its own lock, held around its day switch, each write and its flush, so one
// thread never closes a stream another thread is writing. The price log is handed to the
// agents' polling pass as a shared stream: a day switch during a pass only drops the log's
// reference, and the old file is closed when the last pass holding it ends.

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "platform/win/WinTypes.h"

struct Stock_s;
struct StockTrade_s;

// The host's log pane as the logs see it; the trading view implements it with the base
// embedded-view `AddLogMsg`.
class ILogPane {
 public:
  virtual ~ILogPane() = default;
  virtual int AddLogMsgToPane(DWORD ctrlId, DWORD kind, double value, const wchar_t* title,
                              const wchar_t* msg, BYTE flag) = 0;
};

// An open log stream shared by its log and the writers using it; the file closes with the
// last holder.
using LogStream = std::shared_ptr<FILE>;

// What one trading-log line holds besides the stock record.
struct TradingLine_s {
  const wchar_t* order_no = nullptr;  // order number text
  int auto_flag = 0;                  // 1 when the automatic engine placed the order
  int sim_flag = 0;                   // the price simulation's mode
  int result_code = 0;
  const wchar_t* result_msg = nullptr;  // empty when null
  double order_qty = 0;
  double remaining_qty = 0;
  double total_qty = 0;
  double buy_price = 0;
};

// The first line of every trading log opening (after the byte-order mark).
extern const wchar_t kTradingLogHeader[];
// The UTF-8 byte-order mark.
extern const char kUtf8Mark[];

class CDailyLogs {
 public:
  CDailyLogs();
  ~CDailyLogs();
  CDailyLogs(const CDailyLogs&) = delete;
  CDailyLogs& operator=(const CDailyLogs&) = delete;

  // The log folder becomes "<dataFolder>/Log/"; the data folder and the log folder are made
  // when missing. An empty data folder leaves the logs without a folder. Returns 1 when the
  // log folder exists afterwards, else 0.
  int SetLogFolder(const std::wstring& dataFolder);
  // UTF-8 path of the log folder, ending with "/" (empty before a folder is set).
  std::string GetLogFolder() const;
  // The host's log pane (null: messages go to the application log only).
  void SetLogPane(ILogPane* pane);

  // Switch each log to today's file: an open stream of today stays, one of another day is
  // closed and today's file is opened for appending. Without a log folder nothing is opened
  // (the logs never fall back to the current folder). A failed open leaves the log closed and
  // its writes skipped until the next switch. Returns whether the log is open afterwards.
  bool OpenAppLog();
  bool OpenTradingLog();
  // Returns the price log's stream for one polling pass (null when it cannot be opened). The
  // writers append whole lines without flushing; the pass flushes the stream at its end, and
  // closing the stream (a day switch, CloseLogs, the program's exit) writes what is left.
  LogStream OpenPriceLog();

  // Closes the price, application and trading logs, in that order.
  void CloseLogs();
  // Copies the current trading log to "<file>.bak" (an older backup is replaced) under the
  // log's lock: the stream is closed first, so the copy holds every line written; the next
  // line reopens the file. *outPath takes the backup's path. Returns 1 when copied, else 0
  // (no trading log file, or the copy failed).
  int BackupTradingLog(std::string* outPath);

  // Appends "<yyyy-mm-dd hh:mm:ss.mmm>,\"<msg>\"" to the application log when it is open and
  // msg is non-empty, then hands all six values to the host's log pane. Returns the pane's
  // answer (0 without a pane).
  int AddLogMsg(DWORD ctrlId, DWORD kind, double value, const wchar_t* title, const wchar_t* msg,
                BYTE flag);

  // Switches the trading log to today and, with a stock record and an open log, appends one
  // line: tick, time, market, broker id of the order (0 without one), auto flag, simulation
  // flag, code, name, order number, result code, result message, order, remaining and total
  // quantities, buy price and the stock's current price. Returns 0, or -1 when the trading
  // log cannot be opened (no log folder, or the open failed) and the line is not written.
  int WriteTradingLine(const StockTrade_s* order, const Stock_s* stock, const TradingLine_s& line);

  // Deletes the application, trading and price logs dated from `days` (negative; otherwise
  // yesterday) back to 30 days before today. When outDate is given it receives the first
  // day's date as "yyyy-mm-dd". Returns the number of files deleted (0 when days < -30 or
  // no log folder is set).
  int DeleteOldLogs(std::wstring* outDate, int days);

  // Start-up: deletes the logs 5 to 30 days old, opens the application log and logs
  // "<cut-off date>일 이전 로그 <count>개 삭제" with kind 4 under the view's control id.
  // Returns the number of files deleted.
  int StartDailyLogs(DWORD ctrlId);

  // Full UTF-8 paths of the files last opened (empty before the first open).
  std::string GetAppLogPath() const;
  std::string GetTradingLogPath() const;
  std::string GetPriceLogPath() const;
  bool IsAppLogOpen() const;
  bool IsTradingLogOpen() const;
  bool IsPriceLogOpen() const;

 private:
  struct LogFile;
  // Under the log's lock: switches it to today's file named "<key><suffix>", writing `prefix`
  // after each successful open. Returns whether the log is open afterwards.
  // `bufferBytes` > 0 gives a newly opened stream a write buffer of that size.
  bool SwitchToToday(LogFile& log, const char* suffix, const std::string& prefix,
                     size_t bufferBytes = 0);

  std::unique_ptr<LogFile> m_appLog;
  std::unique_ptr<LogFile> m_tradingLog;
  std::unique_ptr<LogFile> m_priceLog;
  mutable std::mutex m_folderMutex;
  std::string m_logFolder;
  std::atomic<ILogPane*> m_pane{nullptr};
};
