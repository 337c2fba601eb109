#include "plugin/monitor/core/RealTimeSearchLog.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/support/TextConv.h"
#include "plugin/view/engine/TextFormat.h"

const char kRealTimeSearchLogHeader[] =
    "시간,명령,키값,조건명,진입/이탈,검출수,EQ수,종목코드,종목명,가격,등락률(%),주문여부,주문수량,"
    "잔량,자동회차,자동한도,허용율,주문START,주문END,금일매수,1일한도,시간DELAY,시간DELAY(초),"
    "인증,체크중\r\n";

namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

std::string TimeText(const SYSTEMTIME& t) {
  return StrPrintf("%02d:%02d:%02d.%03d", t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
}

std::string U8(const std::wstring& text) { return WideToUtf8(text); }

}  // namespace

std::string FormatEntryRow(const RealTimeEntryRow_s& r) {
  const RealTimeLogLimits_s& l = r.limits;
  return StrPrintf(
      "%s,%d,%s,\"%s\",IN/%s,%d,%d,[%s],\"%s\",%.3f,%f%%,0,0,0,0,0,%d%%,%d,%d,%d,%d,%d,%d,%d,%d\r\n",
      TimeText(r.time).c_str(), kRealTimeRowEntry, U8(r.key).c_str(), U8(r.condition).c_str(),
      U8(std::wstring(1, r.kind)).c_str(), r.conditionCount, r.requiredCount, U8(r.code).c_str(),
      U8(r.name).c_str(), r.price, r.changeRate, l.riseLimit, l.orderStart, l.orderEnd,
      l.boughtToday, l.dailyLimitWon, l.waitMs, l.checkIntervalMs, l.certified, l.checking);
}

std::string FormatExitRow(const RealTimeExitRow_s& r) {
  return StrPrintf("%s,%d,%s,\"%s\",OUT,%d,[%s],\"%s\",%.3f,%f%%\r\n", TimeText(r.time).c_str(),
                   kRealTimeRowExit, U8(r.key).c_str(), U8(r.condition).c_str(), r.conditionCount,
                   U8(r.code).c_str(), U8(r.name).c_str(), r.price, r.changeRate);
}

std::string FormatExitStateRow(const RealTimeExitStateRow_s& r) {
  return StrPrintf("%s,%d,%d:0x%x:0x%x,\"%s\",OUT,\"%d/%d\",%d,[%s],\"%s\",%.3f,%f%%\r\n",
                   TimeText(r.time).c_str(), kRealTimeRowExit, r.conditionIndex, r.state, 0x1000u,
                   U8(r.condition).c_str(), r.conditionCount, r.secondCount, r.requiredCount,
                   U8(r.code).c_str(), U8(r.name).c_str(), r.price, r.changeRate);
}

std::string FormatResetRow(const RealTimeResetRow_s& r) {
  const RealTimeLogLimits_s& l = r.limits;
  return StrPrintf(
      "%s,%d,%s,\"%s\",RESET/%d,0,0,,,0,0%%,0,0,0,0,0,%d%%,S:%04d,E:%04d,%d,%d,%d,%d,%d,%d\r\n",
      TimeText(r.time).c_str(), kRealTimeRowReset, U8(r.condition).c_str(),
      U8(r.registeredName).c_str(), r.conditionIndex, l.riseLimit, l.orderStart, l.orderEnd,
      l.boughtToday, l.dailyLimitWon, l.waitMs, l.checkIntervalMs, l.certified, l.checking);
}

CRealTimeSearchLog::~CRealTimeSearchLog() { Close(); }

std::string CRealTimeSearchLog::DailyPath(const std::string& logFolder, const SYSTEMTIME& day) {
  std::string folder = logFolder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder + StrPrintf("stock_realtime_search_%04d%02d%02d.csv", day.wYear, day.wMonth,
                            day.wDay);
}

void CRealTimeSearchLog::SetPath(const std::string& path) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_path = path;
}

std::string CRealTimeSearchLog::Path() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_path;
}

int CRealTimeSearchLog::SetRealTimeLog(bool on, const std::string* logFolder,
                                       const SYSTEMTIME* day, std::string* error) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!on) {
    CloseUnderLock();
    return 0;
  }
  if (logFolder && day) m_path = DailyPath(*logFolder, *day);
  if (m_file) return 0;
  if (m_path.empty()) {
    if (error) *error = "no log folder";
    return -1;
  }
  const std::filesystem::path path(m_path);
  std::error_code ec;
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
  FILE* file = std::fopen(m_path.c_str(), "ab");
  if (!file) {
    if (error) *error = std::strerror(errno);
    return -1;
  }
  // Append mode: the position is the file's end, so an empty file is a new one.
  std::fseek(file, 0, SEEK_END);
  if (std::ftell(file) == 0) {
    const std::string head = std::string(kUtf8Mark) + kRealTimeSearchLogHeader;
    std::fwrite(head.data(), 1, head.size(), file);
    std::fflush(file);
  }
  m_file = file;
  return 1;
}

bool CRealTimeSearchLog::IsOpen() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_file != nullptr;
}

void CRealTimeSearchLog::Close() {
  std::lock_guard<std::mutex> lock(m_mutex);
  CloseUnderLock();
}

void CRealTimeSearchLog::CloseUnderLock() {
  if (m_file) std::fclose(m_file);
  m_file = nullptr;
}

int CRealTimeSearchLog::BackupRealTimeLog(std::string* outBackupPath) {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::error_code ec;
  if (m_path.empty() || !std::filesystem::is_regular_file(m_path, ec)) return 0;
  CloseUnderLock();
  const std::string backup = m_path + ".bak";
  if (outBackupPath) *outBackupPath = backup;
  std::filesystem::remove(backup, ec);
  return std::filesystem::copy_file(m_path, backup,
                                    std::filesystem::copy_options::overwrite_existing, ec)
             ? 1
             : 0;
}

bool CRealTimeSearchLog::WriteLine(const std::string& line) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_file) return false;
  const bool whole = std::fwrite(line.data(), 1, line.size(), m_file) == line.size();
  std::fflush(m_file);
  return whole;
}

bool CRealTimeSearchLog::WriteEntry(const RealTimeEntryRow_s& row) {
  return WriteLine(FormatEntryRow(row));
}
bool CRealTimeSearchLog::WriteExit(const RealTimeExitRow_s& row) {
  return WriteLine(FormatExitRow(row));
}
bool CRealTimeSearchLog::WriteExitWithState(const RealTimeExitStateRow_s& row) {
  return WriteLine(FormatExitStateRow(row));
}
bool CRealTimeSearchLog::WriteReset(const RealTimeResetRow_s& row) {
  return WriteLine(FormatResetRow(row));
}
