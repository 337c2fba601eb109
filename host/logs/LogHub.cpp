#include "host/logs/LogHub.h"

#include <algorithm>

int CLogHub::ClampMaximum(int lines) { return std::clamp(lines, kMinLines, kMaxLines); }

CLogHub::CLogHub(LogHubOwner* owner, int number, std::string programFolder,
                 orv::host::LocalTimeSource clock)
    : m_owner(owner),
      m_number(number),
      m_programFolder(std::move(programFolder)),
      m_clock(clock ? std::move(clock) : orv::host::LocalTimeSource(orv::host::LocalTimeNow)) {}

CLogHub::~CLogHub() {
  std::lock_guard<std::mutex> lock(m_mutex);
  ClearLocked();
  m_writers.clear();
}

int CLogHub::Init() { return 0; }

void CLogHub::SetMaximum(int lines) {
  const auto maximum = static_cast<size_t>(ClampMaximum(lines));
  std::lock_guard<std::mutex> lock(m_mutex);
  if (maximum == m_maximum) return;
  m_maximum = maximum;
  ClearLocked();
}

int CLogHub::GetMaximum() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return static_cast<int>(m_maximum);
}

int CLogHub::AddLines(const std::wstring& text, bool format, int32_t level, uint8_t flag1,
                      uint8_t flag2, uint8_t flag3, int32_t number3, int32_t number4,
                      const wchar_t* source) {
  std::wstring body = text.substr(0, kMaxTextLength);
  if (format) body += L'\n';
  const SYSTEMTIME now = m_clock();

  std::lock_guard<std::mutex> lock(m_mutex);
  m_busy = 1;
  const bool filter = FilterActive();
  size_t begin = 0;
  while (begin <= body.size()) {
    size_t end = body.find(L'\n', begin);
    if (end == std::wstring::npos) end = body.size();
    size_t stop = end;
    if (stop > begin && body[stop - 1] == L'\r') --stop;
    if (stop > begin) {
      auto line = std::make_unique<Line>();
      line->serial = m_nextSerial++;
      LogHubEntry& e = line->entry;
      e.level = level;
      e.number3 = number3;
      e.number4 = number4;
      e.flag1 = flag1;
      e.flag2 = flag2;
      e.flag3 = flag3;
      e.time = now;
      if (source) e.source = source;
      e.text = body.substr(begin, stop - begin);
      if (filter && e.text.find(m_searchText) != std::wstring::npos) {
        m_filteredLines.push_back(line.get());
      }
      m_lines.push_back(std::move(line));
    }
    begin = end + 1;
  }
  if (m_lines.size() > m_maximum) DropOldestLocked(m_lines.size() - m_maximum);
  const int count = static_cast<int>(m_lines.size());
  m_busy = 0;
  return count;
}

int CLogHub::AddLinesAndWrite(const std::wstring& text, bool format, int32_t level, uint8_t flag1,
                              uint8_t flag2, uint8_t flag3, int32_t number3, int32_t number4,
                              const wchar_t* source) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto& writer = m_writers[0];
    if (!writer) {
      writer = std::make_unique<CLogWriter>(m_programFolder, m_clock, L"", L"",
                                            source ? std::wstring(source) : std::wstring());
    }
    writer->WriteLine(number4, text.substr(0, kMaxTextLength), format);
  }
  AddLines(text, format, level, flag1, flag2, flag3, number3, number4, source);
  if (m_owner) m_owner->OnLogLinesAdded(GetViewCount());
  return 0;
}

const LogHubEntry* CLogHub::GetLine(int index, LogCopyMap* copies, const LogHubEntry** out) {
  if (out) *out = nullptr;
  std::lock_guard<std::mutex> lock(m_mutex);
  if (index < 0 || index >= ViewCountLocked()) return nullptr;
  const auto at = static_cast<size_t>(index);
  const Line* line = FilterActive() ? m_filteredLines[at] : m_lines[at].get();
  const LogHubEntry* result = &line->entry;
  if (copies) {
    auto& copy = (*copies)[line->serial];
    if (!copy) copy = std::make_unique<LogHubEntry>(line->entry);
    result = copy.get();
  }
  if (out) *out = result;
  return result;
}

void CLogHub::SetFilter(bool on, const std::wstring& searchText) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_filterOn = on;
  m_searchText = searchText;
  m_filteredLines.clear();
  if (!FilterActive()) return;
  for (const auto& line : m_lines) {
    if (line->entry.text.find(m_searchText) != std::wstring::npos) {
      m_filteredLines.push_back(line.get());
    }
  }
}

bool CLogHub::IsFilterOn() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_filterOn;
}

int CLogHub::GetLineCount() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return static_cast<int>(m_lines.size());
}

int CLogHub::GetFilteredCount() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return static_cast<int>(m_filteredLines.size());
}

int CLogHub::GetViewCount() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return ViewCountLocked();
}

int CLogHub::ViewCountLocked() const {
  return static_cast<int>(FilterActive() ? m_filteredLines.size() : m_lines.size());
}

void CLogHub::DropOldest(int n) {
  std::lock_guard<std::mutex> lock(m_mutex);
  DropOldestLocked(n < 0 ? m_lines.size() : static_cast<size_t>(n));
}

void CLogHub::DropOldestLocked(size_t n) {
  n = std::min(n, m_lines.size());
  if (n == 0) return;
  // The filtered view keeps the order of the lines, so the dropped ones lead it.
  const uint64_t lastDropped = m_lines[n - 1]->serial;
  while (!m_filteredLines.empty() && m_filteredLines.front()->serial <= lastDropped) {
    m_filteredLines.pop_front();
  }
  m_lines.erase(m_lines.begin(), m_lines.begin() + static_cast<std::ptrdiff_t>(n));
}

void CLogHub::Clear() {
  std::lock_guard<std::mutex> lock(m_mutex);
  ClearLocked();
}

void CLogHub::ClearLocked() {
  m_filteredLines.clear();
  m_lines.clear();
}

void CLogHub::CloseWriters() {
  std::lock_guard<std::mutex> lock(m_mutex);
  for (auto& [key, writer] : m_writers) writer->Close();
}

int CLogHub::Stop() {
  CloseWriters();
  Clear();
  return -1;
}
