#include "host/logs/LogWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "host/logs/TextEncoding.h"

namespace orv::host {

SYSTEMTIME LocalTimeNow() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm local{};
  localtime_r(&ts.tv_sec, &local);
  SYSTEMTIME st;
  st.wYear = static_cast<WORD>(local.tm_year + 1900);
  st.wMonth = static_cast<WORD>(local.tm_mon + 1);
  st.wDayOfWeek = static_cast<WORD>(local.tm_wday);
  st.wDay = static_cast<WORD>(local.tm_mday);
  st.wHour = static_cast<WORD>(local.tm_hour);
  st.wMinute = static_cast<WORD>(local.tm_min);
  st.wSecond = static_cast<WORD>(local.tm_sec);
  st.wMilliseconds = static_cast<WORD>(ts.tv_nsec / 1000000);
  return st;
}

}  // namespace orv::host

namespace {

// A name used as one path component: cut to the length limit, and never a separator or a
// way out of the log root, whatever a module passes as its source text.
std::string SafeComponent(const std::wstring& name) {
  std::string out = orv::host::WideToUtf8(name.substr(0, CLogWriter::kMaxNameLength));
  for (char& c : out) {
    if (c == '/') c = '_';
  }
  if (out == "." || out == "..") out.assign(out.size(), '_');
  return out;
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Makes the folder when it is missing; `created` tells whether it had to be made.
bool EnsureFolder(const std::string& path, bool& created) {
  created = false;
  if (IsFolder(path)) return true;
  if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return false;
  created = true;
  return IsFolder(path);
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

std::wstring TimeText(const SYSTEMTIME& t) {
  wchar_t buf[32];
  swprintf(buf, sizeof buf / sizeof buf[0], L"%02d:%02d:%02d.%03d", t.wHour, t.wMinute, t.wSecond,
           t.wMilliseconds);
  return buf;
}

// Carriage returns go; every line feed becomes CR LF.
std::wstring ToCrLf(const std::wstring& line) {
  std::wstring out;
  out.reserve(line.size() + 8);
  for (wchar_t c : line) {
    if (c == L'\r') continue;
    if (c == L'\n') out.push_back(L'\r');
    out.push_back(c);
  }
  return out;
}

}  // namespace

CLogWriter::CLogWriter(std::string programFolder, orv::host::LocalTimeSource clock,
                       const std::wstring& subFolderName, const std::wstring& stem,
                       const std::wstring& folderName)
    : m_subFolderName(SafeComponent(subFolderName)),
      m_stem(SafeComponent(stem)),
      m_folderName(SafeComponent(folderName)),
      m_programFolder(std::move(programFolder)),
      m_clock(clock ? std::move(clock) : orv::host::LocalTimeSource(orv::host::LocalTimeNow)) {}

CLogWriter::~CLogWriter() { CloseLocked(); }

void CLogWriter::Close() {
  std::lock_guard<std::mutex> lock(m_mutex);
  CloseLocked();
}

void CLogWriter::CloseLocked() {
  if (m_fd >= 0) close(m_fd);
  m_fd = -1;
  m_openFolder.clear();
}

std::string CLogWriter::GetFileName() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_fileName;
}

int CLogWriter::GetPartNumber() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_partNumber;
}

bool CLogWriter::OpenPart(const std::string& folder, const SYSTEMTIME& now) {
  CloseLocked();
  char name[64];
  snprintf(name, sizeof name, "[%04d-%02d-%02d]", now.wYear, now.wMonth, now.wDay);
  char part[16];
  snprintf(part, sizeof part, "_%03d.txt", m_partNumber);
  m_fileName = folder + name + m_stem + part;
  m_writtenCount = 0;
  m_fd = open(m_fileName.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (m_fd < 0) return false;
  m_openFolder = folder;
  return true;
}

int CLogWriter::WriteLine(int folderNumber, const std::wstring& text, bool newline) {
  if (text.empty()) return 0;
  std::lock_guard<std::mutex> lock(m_mutex);
  const SYSTEMTIME now = m_clock();

  const std::string root = m_programFolder + "Logs/";
  bool rootCreated = false;
  if (!EnsureFolder(root, rootCreated)) {
    CloseLocked();
    return -1;
  }
  std::string target = root;
  if (!m_folderName.empty()) {
    char number[16];
    snprintf(number, sizeof number, "%02d_", folderNumber);
    target = root + number + m_folderName + "/";
  } else if (!m_subFolderName.empty()) {
    target = root + m_subFolderName + "/";
  }
  bool targetCreated = false;
  if (!EnsureFolder(target, targetCreated)) {
    CloseLocked();
    return -1;
  }
  // A folder that had to be made again means the open file is gone with it.
  if (rootCreated || targetCreated || m_fd < 0 || m_openFolder != target) {
    if (!OpenPart(target, now)) return -1;
  }
  struct stat st {};
  if (fstat(m_fd, &st) == 0 && static_cast<uint64_t>(st.st_size) >= m_sizeLimit) {
    ++m_partNumber;
    if (!OpenPart(target, now)) return -1;
  }

  std::wstring line = TimeText(now);
  line += L'\t';
  line += text;
  if (newline) line += L'\n';
  const std::string bytes = orv::host::WideToUtf16Le(ToCrLf(line));
  if (!WriteAll(m_fd, bytes)) return -1;
  m_writtenCount += bytes.size();
  return 1;
}
