#pragma once
// The host's in-memory log: the lines the log pane lists, a filtered view of the lines that
// hold the search text, and the daily log file the lines can also go to. Safe to use from any
// thread: every read and change happens under one lock.

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "host/logs/LogWriter.h"
#include "platform/win/WinTypes.h"

// One log line as the hub keeps it.
struct LogHubEntry {
  int32_t level = 0;
  int32_t number2 = 0;
  int32_t number3 = 0;
  int32_t number4 = 0;
  uint8_t flag1 = 0;
  uint8_t flag2 = 0;
  uint8_t flag3 = 0;
  SYSTEMTIME time;
  // Absent when the caller gave no source.
  std::optional<std::wstring> source;
  std::wstring text;
};

// A reader's own copies of the lines it has read, keyed by the line's serial number, so that
// what it draws stays valid when the hub drops the line. The reader owns the map.
using LogCopyMap = std::map<uint64_t, std::unique_ptr<LogHubEntry>>;

// The window that shows the hub's lines; told the count the list should show.
class LogHubOwner {
 public:
  virtual ~LogHubOwner() = default;
  virtual void OnLogLinesAdded(int count) = 0;
};

class CLogHub {
 public:
  static constexpr int kMinLines = 10;
  static constexpr int kMaxLines = 10000;
  static constexpr int kDefaultLines = 1000;
  // Longer texts are cut to this many characters.
  static constexpr size_t kMaxTextLength = 10000;

  // The run settings' line limit brought into kMinLines..kMaxLines.
  static int ClampMaximum(int lines);

  // programFolder (ending in "/") holds the "Logs" folder; clock stamps lines and file names.
  CLogHub(LogHubOwner* owner, int number, std::string programFolder,
          orv::host::LocalTimeSource clock = {});
  virtual ~CLogHub();
  CLogHub(const CLogHub&) = delete;
  CLogHub& operator=(const CLogHub&) = delete;

  int Init();
  // Keeps at most `lines` lines (clamped as ClampMaximum); a new limit clears all lines.
  void SetMaximum(int lines);
  int GetMaximum() const;

  // Splits the text at line feeds (a carriage return before one goes with it) and adds each
  // non-empty line; drops the oldest lines beyond the maximum. Returns the line count.
  int AddLines(const std::wstring& text, bool format, int32_t level, uint8_t flag1, uint8_t flag2,
               uint8_t flag3, int32_t number3, int32_t number4, const wchar_t* source);
  // Writes the text to the daily log file, then adds it as AddLines does and tells the owner
  // the count the list shows. Returns 0.
  int AddLinesAndWrite(const std::wstring& text, bool format, int32_t level, uint8_t flag1,
                       uint8_t flag2, uint8_t flag3, int32_t number3, int32_t number4,
                       const wchar_t* source);

  // The line at index of the list as shown (the filtered view while a filter is on), or null.
  // Without a copy map the hub's own line is returned, valid until the line is dropped; with
  // one, the reader's copy of it (made the first time it is asked for). `out` gets the same.
  const LogHubEntry* GetLine(int index, LogCopyMap* copies, const LogHubEntry** out = nullptr);

  // Sets the search text; while on with a non-empty text, the filtered view holds the lines
  // that contain it.
  void SetFilter(bool on, const std::wstring& searchText);
  bool IsFilterOn() const;

  int GetLineCount() const;
  int GetFilteredCount() const;
  // The count the list shows: the filtered count while the filter is on, else the line count.
  int GetViewCount() const;
  bool IsBusy() const { return m_busy.load(); }

  // Frees the n oldest lines (all when n is negative or larger than the count).
  void DropOldest(int n);
  void Clear();
  void CloseWriters();
  // Closes the log files and clears the lines; returns -1.
  int Stop();

 private:
  struct Line {
    uint64_t serial;
    LogHubEntry entry;
  };

  bool FilterActive() const { return m_filterOn && !m_searchText.empty(); }
  void DropOldestLocked(size_t n);
  void ClearLocked();
  int ViewCountLocked() const;

  LogHubOwner* m_owner;
  std::deque<std::unique_ptr<Line>> m_lines;
  std::deque<const Line*> m_filteredLines;
  std::map<int, std::unique_ptr<CLogWriter>> m_writers;
  size_t m_maximum = kDefaultLines;
  uint64_t m_nextSerial = 1;
  bool m_filterOn = false;
  std::wstring m_searchText;
  std::atomic<int> m_busy{0};
  int m_number;
  std::string m_programFolder;
  orv::host::LocalTimeSource m_clock;
  mutable std::mutex m_mutex;
};
