#pragma once
// Daily log files: one writer appends lines to "Logs/[yyyy-mm-dd]<stem>_NNN.txt" under the
// program folder, in UTF-16 little-endian without a byte-order mark, and starts a new part
// once a file has reached its size limit.

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "platform/win/WinTypes.h"

namespace orv::host {

// Where the writer and the log hub take the local time from; tests pass a fixed clock.
using LocalTimeSource = std::function<SYSTEMTIME()>;

// The current local time with milliseconds.
SYSTEMTIME LocalTimeNow();

}  // namespace orv::host

class CLogWriter {
 public:
  static constexpr uint32_t kSizeLimit = 5000000;
  // Names are cut to this many characters.
  static constexpr size_t kMaxNameLength = 30;

  // programFolder ends with "/". An empty sub-folder and folder name put the files directly
  // into the log root; a folder name puts them into "NN_<folder name>/" (NN the line's
  // folder number), else a sub-folder name into "<sub-folder name>/".
  CLogWriter(std::string programFolder, orv::host::LocalTimeSource clock,
             const std::wstring& subFolderName = L"", const std::wstring& stem = L"",
             const std::wstring& folderName = L"");
  virtual ~CLogWriter();
  CLogWriter(const CLogWriter&) = delete;
  CLogWriter& operator=(const CLogWriter&) = delete;

  // Appends "<hh:mm:ss.mmm>\t<text>" (plus a line feed with the newline flag); carriage
  // returns are removed and line feeds written as CR LF. Returns 1 when written, 0 for an
  // empty text, -1 when the folder or file could not be made or written.
  int WriteLine(int folderNumber, const std::wstring& text, bool newline);
  // Closes the open file; the next line opens it again.
  void Close();

  // Full path of the file last opened (empty before the first line).
  std::string GetFileName() const;
  int GetPartNumber() const;

 private:
  bool OpenPart(const std::string& folder, const SYSTEMTIME& now);
  void CloseLocked();

  mutable std::mutex m_mutex;
  const uint32_t m_sizeLimit = kSizeLimit;
  // Bytes written since the current file was opened.
  uint64_t m_writtenCount = 0;
  int m_partNumber = 0;
  int m_fd = -1;
  std::string m_subFolderName;
  std::string m_stem;
  std::string m_folderName;
  std::string m_fileName;
  // Folder of the open file, so a line for another folder never lands in it.
  std::string m_openFolder;
  std::string m_programFolder;
  orv::host::LocalTimeSource m_clock;
};
