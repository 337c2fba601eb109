#include "platform/win/KnownFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace orv::win {
namespace {

// An XDG variable counts only when it holds an absolute path.
std::string AbsoluteEnv(const char* name) {
  const char* value = std::getenv(name);
  if (!value || value[0] != '/') return {};
  std::string path(value);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// XDG_DOCUMENTS_DIR from user-dirs.dirs: a line XDG_DOCUMENTS_DIR="$HOME/Documents" or
// ="/absolute/path". Returns empty when the file or line is missing or malformed.
std::string DocumentsFromUserDirs(const std::string& home) {
  std::ifstream in(GetConfigFolder() + "/user-dirs.dirs");
  std::string line;
  std::string found;
  const std::string key = "XDG_DOCUMENTS_DIR=";
  while (std::getline(in, line)) {
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, key.size(), key) != 0) continue;
    std::string value = line.substr(start + key.size());
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r'))
      value.pop_back();
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') continue;
    value = value.substr(1, value.size() - 2);
    std::string path;
    for (size_t i = 0; i < value.size(); ++i) {
      if (value[i] == '\\' && i + 1 < value.size()) {
        path += value[++i];
      } else {
        path += value[i];
      }
    }
    if (path.compare(0, 5, "$HOME") == 0 && (path.size() == 5 || path[5] == '/')) {
      path = home + path.substr(5);
    }
    if (path.empty() || path[0] != '/') continue;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    found = path;  // the last valid line wins, as the XDG tools read it
  }
  return found;
}

}  // namespace

std::string GetHomeFolder() {
  std::string home = AbsoluteEnv("HOME");
  if (!home.empty()) return home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* result = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result &&
      result->pw_dir && result->pw_dir[0] == '/') {
    return result->pw_dir;
  }
  return "/tmp";
}

std::string GetDocumentsFolder() {
  std::string path = AbsoluteEnv("XDG_DOCUMENTS_DIR");
  if (!path.empty()) return path;
  std::string home = GetHomeFolder();
  path = DocumentsFromUserDirs(home);
  if (!path.empty()) return path;
  return home + "/Documents";
}

std::string GetConfigFolder() {
  std::string path = AbsoluteEnv("XDG_CONFIG_HOME");
  return path.empty() ? GetHomeFolder() + "/.config" : path;
}

std::string GetDataFolder() {
  std::string path = AbsoluteEnv("XDG_DATA_HOME");
  return path.empty() ? GetHomeFolder() + "/.local/share" : path;
}

std::string GetProgramFolder() {
  std::vector<char> buffer(4096);
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return {};
    if (static_cast<size_t>(n) < buffer.size()) {
      std::string path(buffer.data(), static_cast<size_t>(n));
      size_t slash = path.rfind('/');
      return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool CreateFolders(const std::string& path) {
  if (path.empty()) return false;
  for (size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos != path.size() && path[pos] != '/') continue;
    std::string part = path.substr(0, pos);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace orv::win
