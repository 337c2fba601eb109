#include "platform/win/Registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/win/AtomicFile.h"
#include "platform/win/KnownFolders.h"

namespace orv::win {
namespace {

// Length of the valid UTF-8 sequence starting at text[i], 0 when the bytes there are not one.
size_t Utf8Length(const std::string& text, size_t i) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  size_t length;
  uint32_t min;
  uint32_t code;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, min = 0x80, code = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, min = 0x800, code = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, min = 0x10000, code = lead & 0x07;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

bool IsValidUtf8(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    size_t length = Utf8Length(text, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

// Names and values are escaped so that every line holds one entry and the first "=" splits it:
// the backslash, "=", ";", "#", "[", "]" get a backslash; line breaks, other control bytes and
// bytes that are not UTF-8 become \n, \r or \xHH.
std::string Escape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t length = Utf8Length(text, i);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\\' || c == '=' || c == ';' || c == '#' || c == '[' || c == ']') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (length == 0 || (c < 0x20 && c != '\t') || c == 0x7F) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
      length = 1;
    } else {
      out.append(text, i, length);
      i += length;
      continue;
    }
    ++i;
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Undoes Escape; false on an unknown or cut-off escape.
bool Unescape(const std::string& text, std::string* out) {
  out->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      *out += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case 'n':
        *out += '\n';
        break;
      case 'r':
        *out += '\r';
        break;
      case '\\':
      case '=':
      case ';':
      case '#':
      case '[':
      case ']':
        *out += text[i];
        break;
      case 'x': {
        if (i + 2 >= text.size()) return false;
        int high = HexDigit(text[i + 1]);
        int low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0) return false;
        *out += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default:
        return false;
    }
  }
  return true;
}

// Position of the first "=" that no backslash escapes: the split between name and value.
size_t UnescapedEquals(const std::string& line) {
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\\') {
      ++i;
    } else if (line[i] == '=') {
      return i;
    }
  }
  return std::string::npos;
}

bool ValidName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

enum class LoadResult { kLoaded, kMissing, kFailed };

LoadResult LoadFile(const std::string& path, std::string* text) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? LoadResult::kMissing : LoadResult::kFailed;
  text->clear();
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return LoadResult::kFailed;
    }
    text->append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return LoadResult::kLoaded;
}

// Holds an exclusive lock on "<path>.lock" for its lifetime.
class FileLock {
 public:
  explicit FileLock(const std::string& path) {
    fd_ = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) return;
    int rc;
    do {
      rc = ::flock(fd_, LOCK_EX);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~FileLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool Locked() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace

std::string FormatSettingsText(const Registry::Sections& sections) {
  std::string text;
  for (const auto& [section, values] : sections) {
    if (!text.empty()) text += '\n';
    text += '[' + Escape(section) + "]\n";
    for (const auto& [key, value] : values) text += Escape(key) + '=' + Escape(value) + '\n';
  }
  return text;
}

Registry::Sections ParseSettingsText(const std::string& text) {
  Registry::Sections sections;
  std::map<std::string, std::string>* current = nullptr;  // null: no valid section yet
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();  // tolerate CRLF files
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == ';' || line[first] == '#') continue;
    if (!IsValidUtf8(line)) continue;
    std::string name;
    if (line[first] == '[') {
      // A section header. A broken one drops the keys below it until the next good header,
      // rather than filing them under the wrong section.
      size_t last = line.find_last_not_of(" \t");
      current = nullptr;
      if (line[last] == ']' && last > first + 1 &&
          Unescape(line.substr(first + 1, last - first - 1), &name) && !name.empty()) {
        current = &sections[name];
      }
      continue;
    }
    size_t equals = UnescapedEquals(line);
    std::string value;
    if (!current || equals == std::string::npos || !Unescape(line.substr(0, equals), &name) ||
        name.empty() || !Unescape(line.substr(equals + 1), &value)) {
      continue;
    }
    (*current)[name] = value;
  }
  return sections;
}

bool Registry::Open(const std::string& companyKey, const std::string& fileName) {
  std::lock_guard<std::mutex> guard(mutex_);
  path_.clear();
  values_.clear();
  if (!ValidName(companyKey) || !ValidName(fileName)) return false;
  path_ = GetConfigFolder() + "/" + companyKey + "/" + fileName;
  return true;
}

bool Registry::IsOpen() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return !path_.empty();
}

std::string Registry::Path() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return path_;
}

bool Registry::Refresh() {
  if (path_.empty()) return false;
  std::string text;
  switch (LoadFile(path_, &text)) {
    case LoadResult::kLoaded:
      values_ = ParseSettingsText(text);
      return true;
    case LoadResult::kMissing:
      values_.clear();
      return true;
    case LoadResult::kFailed:
      break;
  }
  return false;
}

std::string Registry::GetString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (!Refresh()) return defaultValue;
  auto found = values_.find(section);
  if (found == values_.end()) return defaultValue;
  auto value = found->second.find(key);
  return value == found->second.end() ? defaultValue : value->second;
}

int Registry::GetInt(const std::string& section, const std::string& key, int defaultValue) {
  std::string text = GetString(section, key);
  if (text.empty()) return defaultValue;
  errno = 0;
  char* end = nullptr;
  long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || text[0] == ' ' || value < INT_MIN || value > INT_MAX) {
    return defaultValue;
  }
  return static_cast<int>(value);
}

bool Registry::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (path_.empty() || section.empty() || key.empty()) return false;
  if (!CreateFolders(path_.substr(0, path_.rfind('/')))) return false;
  FileLock lock(path_);
  if (!lock.Locked()) return false;
  // Another writer may have changed the file since it was last read: start from what is there,
  // and never replace a file that could not be read.
  if (!Refresh()) return false;
  Sections next = values_;
  next[section][key] = value;
  if (!ReplaceFileContents(path_, FormatSettingsText(next))) return false;
  values_ = std::move(next);
  return true;
}

bool Registry::WriteInt(const std::string& section, const std::string& key, int value) {
  return WriteString(section, key, std::to_string(value));
}

Registry& AppRegistry() {
  static Registry registry;
  return registry;
}

int GetProfileInt(const std::string& section, const std::string& key, int defaultValue) {
  return AppRegistry().GetInt(section, key, defaultValue);
}

std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue) {
  return AppRegistry().GetString(section, key, defaultValue);
}

BOOL WriteProfileInt(const std::string& section, const std::string& key, int value) {
  return AppRegistry().WriteInt(section, key, value) ? TRUE : FALSE;
}

BOOL WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value) {
  return AppRegistry().WriteString(section, key, value) ? TRUE : FALSE;
}

std::string UserIndexKey(const std::string& key, int index) {
  return key + "-" + std::to_string(index);
}

}  // namespace orv::win

namespace {

std::string IndexedKey(const std::string& key, int firstIndex, int secondIndex) {
  std::string name = orv::win::UserIndexKey(key, firstIndex);
  return secondIndex == 0 ? name : orv::win::UserIndexKey(name, secondIndex);
}

}  // namespace

std::string REG_READ_CSTRING_VALUE_UIDX(const std::string& section, const std::string& key,
                                        int firstIndex, int secondIndex,
                                        const std::string& defaultValue) {
  return orv::win::GetProfileString(section, IndexedKey(key, firstIndex, secondIndex),
                                    defaultValue);
}

BOOL REG_WRITE_TEXT_VALUE_UIDX(const std::string& section, const std::string& key, int firstIndex,
                               int secondIndex, const std::string& value) {
  return orv::win::WriteProfileString(section, IndexedKey(key, firstIndex, secondIndex), value);
}
