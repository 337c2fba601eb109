#include "plugin/view/engine/DailyLogs.h"

#include <filesystem>
#include <system_error>

#include "platform/support/TextConv.h"
#include "platform/win/Clock.h"
#include "plugin/view/engine/TextFormat.h"
#include "shared/StockRecords.h"

const wchar_t kTradingLogHeader[] =
    L"틱,시간,나라,증권사,자동,시뮬,종목코드,종목명,주문번호,결과코드,결과메시지,주문량,남은량,"
    L"총량,매입가,현재가,현재등락률,수익률,컷수익률,익절기준률,손절기준률\n";
const char kUtf8Mark[] = "\xEF\xBB\xBF";

namespace {

constexpr char kAppLogSuffix[] = "_app_log.csv";
constexpr char kTradingLogSuffix[] = "_trading_log.csv";
constexpr char kPriceLogSuffix[] = "_price_log.csv";
// Days before today whose logs are still deleted at start-up.
constexpr int kOldestPurgedDay = -30;
// The newest day whose logs the start-up deletes.
constexpr int kStartupPurgeDays = -5;
// Log-pane kind of the engine's and start-up messages.
constexpr DWORD kStartupLogKind = 4;

void CloseStream(FILE* stream) {
  if (stream) std::fclose(stream);
}

// The price log's write buffer: a polling pass's replies gather in it and reach the file in one
// write when the pass flushes the log (or when the buffer fills, or the file closes).
constexpr size_t kPriceLogBufferBytes = 64 * 1024;

// One write of a whole line, then the flush that puts it on disk.
void WriteAndFlush(FILE* stream, const std::string& bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::fflush(stream);
}

}  // namespace

struct CDailyLogs::LogFile {
  mutable std::mutex mutex;
  LogStream stream;
  std::string dateKey;
  std::string path;
};

CDailyLogs::CDailyLogs()
    : m_appLog(std::make_unique<LogFile>()),
      m_tradingLog(std::make_unique<LogFile>()),
      m_priceLog(std::make_unique<LogFile>()) {}

CDailyLogs::~CDailyLogs() { CloseLogs(); }

int CDailyLogs::SetLogFolder(const std::wstring& dataFolder) {
  std::string folder = WideToUtf8(dataFolder);
  if (folder.empty()) {
    std::lock_guard<std::mutex> lock(m_folderMutex);
    m_logFolder.clear();
    return 0;
  }
  if (!folder.empty() && folder.back() != '/') folder += '/';
  folder += "Log/";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  std::lock_guard<std::mutex> lock(m_folderMutex);
  m_logFolder = folder;
  return std::filesystem::is_directory(folder, ec) ? 1 : 0;
}

std::string CDailyLogs::GetLogFolder() const {
  std::lock_guard<std::mutex> lock(m_folderMutex);
  return m_logFolder;
}

void CDailyLogs::SetLogPane(ILogPane* pane) { m_pane = pane; }

bool CDailyLogs::SwitchToToday(LogFile& log, const char* suffix, const std::string& prefix,
                               size_t bufferBytes) {
  SYSTEMTIME now;
  orv::win::GetLocalTime(&now);
  const std::string key = FormatDateKey(now);
  if (log.stream && log.dateKey == key) return true;
  log.stream.reset();
  log.dateKey.clear();
  const std::string folder = GetLogFolder();
  if (folder.empty()) {
    log.path.clear();
    return false;
  }
  log.path = folder + key + suffix;
  FILE* file = std::fopen(log.path.c_str(), "a+");
  if (!file) return false;
  if (bufferBytes > 0) {
    // The buffer lives as long as the stream: the closing deleter owns it, so a pass still
    // holding the old day's stream keeps it after a day switch.
    std::shared_ptr<char[]> buffer(new char[bufferBytes]);
    std::setvbuf(file, buffer.get(), _IOFBF, bufferBytes);
    log.stream = LogStream(file, [buffer](FILE* stream) { CloseStream(stream); });
  } else {
    log.stream = LogStream(file, CloseStream);
  }
  if (!prefix.empty()) WriteAndFlush(file, prefix);
  log.dateKey = key;
  return true;
}

bool CDailyLogs::OpenAppLog() {
  std::lock_guard<std::mutex> lock(m_appLog->mutex);
  return SwitchToToday(*m_appLog, kAppLogSuffix, kUtf8Mark);
}

bool CDailyLogs::OpenTradingLog() {
  std::lock_guard<std::mutex> lock(m_tradingLog->mutex);
  return SwitchToToday(*m_tradingLog, kTradingLogSuffix,
                       std::string(kUtf8Mark) + WideToUtf8(kTradingLogHeader));
}

LogStream CDailyLogs::OpenPriceLog() {
  std::lock_guard<std::mutex> lock(m_priceLog->mutex);
  SwitchToToday(*m_priceLog, kPriceLogSuffix, std::string(), kPriceLogBufferBytes);
  return m_priceLog->stream;
}

void CDailyLogs::CloseLogs() {
  for (LogFile* log : {m_priceLog.get(), m_appLog.get(), m_tradingLog.get()}) {
    std::lock_guard<std::mutex> lock(log->mutex);
    log->stream.reset();
    log->dateKey.clear();
  }
}

int CDailyLogs::BackupTradingLog(std::string* outPath) {
  std::lock_guard<std::mutex> lock(m_tradingLog->mutex);
  const std::string path = m_tradingLog->path;
  std::error_code error;
  if (path.empty() || !std::filesystem::is_regular_file(path, error)) return 0;
  m_tradingLog->stream.reset();
  m_tradingLog->dateKey.clear();
  const std::string backup = path + ".bak";
  if (outPath) *outPath = backup;
  std::filesystem::remove(backup, error);
  return std::filesystem::copy_file(path, backup,
                                    std::filesystem::copy_options::overwrite_existing, error)
             ? 1
             : 0;
}

int CDailyLogs::AddLogMsg(DWORD ctrlId, DWORD kind, double value, const wchar_t* title,
                          const wchar_t* msg, BYTE flag) {
  if (msg && *msg) {
    std::lock_guard<std::mutex> lock(m_appLog->mutex);
    if (m_appLog->stream) {
      SYSTEMTIME now;
      orv::win::GetLocalTime(&now);
      WriteAndFlush(m_appLog->stream.get(),
                    StrPrintf("%04d-%02d-%02d %02d:%02d:%02d.%03d,\"%s\"\n", now.wYear, now.wMonth,
                              now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds,
                              WideToUtf8(msg).c_str()));
    }
  }
  ILogPane* pane = m_pane.load();
  return pane ? pane->AddLogMsgToPane(ctrlId, kind, value, title, msg, flag) : 0;
}

int CDailyLogs::WriteTradingLine(const StockTrade_s* order, const Stock_s* stock,
                                 const TradingLine_s& line) {
  std::lock_guard<std::mutex> lock(m_tradingLog->mutex);
  if (!SwitchToToday(*m_tradingLog, kTradingLogSuffix,
                     std::string(kUtf8Mark) + WideToUtf8(kTradingLogHeader))) {
    return -1;
  }
  if (!stock) return 0;
  SYSTEMTIME now;
  orv::win::GetLocalTime(&now);
  const auto text = [](const wchar_t* wide) { return wide ? WideToUtf8(wide) : std::string(); };
  WriteAndFlush(m_tradingLog->stream.get(),
                StrPrintf("%d,%02d:%02d:%02d,%d,%d,%d,%d,%s,%s,%s,%d,%s,%f,%f,%f,%f,%f\n",
                          static_cast<int>(orv::win::GetTickCount()), now.wHour, now.wMinute,
                          now.wSecond, stock->market, order ? order->broker_id : 0, line.auto_flag,
                          line.sim_flag, WideToUtf8(stock->code).c_str(),
                          WideToUtf8(stock->name).c_str(), text(line.order_no).c_str(),
                          line.result_code, text(line.result_msg).c_str(), line.order_qty,
                          line.remaining_qty, line.total_qty, line.buy_price, stock->cur_price));
  return 0;
}

int CDailyLogs::DeleteOldLogs(std::wstring* outDate, int days) {
  const int firstDay = days < 0 ? days : -1;
  if (firstDay < kOldestPurgedDay) return 0;
  SYSTEMTIME now;
  orv::win::GetLocalTime(&now);
  const int64_t today = DaysFromCivil(now.wYear, now.wMonth, now.wDay);
  const std::string folder = GetLogFolder();
  if (folder.empty()) return 0;
  int deleted = 0;
  for (int d = firstDay; d >= kOldestPurgedDay; --d) {
    int year = 0, month = 0, day = 0;
    CivilFromDays(today + d, &year, &month, &day);
    if (d == firstDay && outDate) {
      *outDate = Utf8ToWide(StrPrintf("%04d-%02d-%02d", year, month, day));
    }
    const std::string key = StrPrintf("%04d%02d%02d", year, month, day);
    for (const char* suffix : {kAppLogSuffix, kTradingLogSuffix, kPriceLogSuffix}) {
      std::error_code ec;
      if (std::filesystem::remove(folder + key + suffix, ec)) ++deleted;
    }
  }
  return deleted;
}

int CDailyLogs::StartDailyLogs(DWORD ctrlId) {
  std::wstring cutOff;
  const int deleted = DeleteOldLogs(&cutOff, kStartupPurgeDays);
  OpenAppLog();
  const std::wstring msg = cutOff + L"일 이전 로그 " + std::to_wstring(deleted) + L"개 삭제";
  AddLogMsg(ctrlId, kStartupLogKind, 0, L"", msg.c_str(), 0);
  return deleted;
}

std::string CDailyLogs::GetAppLogPath() const {
  std::lock_guard<std::mutex> lock(m_appLog->mutex);
  return m_appLog->path;
}

std::string CDailyLogs::GetTradingLogPath() const {
  std::lock_guard<std::mutex> lock(m_tradingLog->mutex);
  return m_tradingLog->path;
}

std::string CDailyLogs::GetPriceLogPath() const {
  std::lock_guard<std::mutex> lock(m_priceLog->mutex);
  return m_priceLog->path;
}

bool CDailyLogs::IsAppLogOpen() const {
  std::lock_guard<std::mutex> lock(m_appLog->mutex);
  return m_appLog->stream != nullptr;
}

bool CDailyLogs::IsTradingLogOpen() const {
  std::lock_guard<std::mutex> lock(m_tradingLog->mutex);
  return m_tradingLog->stream != nullptr;
}

bool CDailyLogs::IsPriceLogOpen() const {
  std::lock_guard<std::mutex> lock(m_priceLog->mutex);
  return m_priceLog->stream != nullptr;
}
