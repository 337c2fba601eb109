#include "platform/win/KeepAwake.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>

extern char** environ;

namespace orv::win {

namespace {

// The program's full path in PATH, empty when it is not installed.
std::string FindInPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  std::stringstream folders(path);
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    if (folder.empty()) continue;
    const std::string candidate = folder + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

void ResetScreenSaver(uint32_t) {
  static const std::string program = FindInPath("xdg-screensaver");
  if (program.empty()) return;
  char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("reset"), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return;
  // The request must not hold up the user-interface thread; a helper thread reaps the child.
  std::thread([pid] {
    int status = 0;
    waitpid(pid, &status, 0);
  }).detach();
}

}  // namespace

KeepAwakeFunction& CurrentKeepAwake() {
  static KeepAwakeFunction function = ResetScreenSaver;
  return function;
}

void SetKeepAwake(KeepAwakeFunction function) {
  CurrentKeepAwake() = function ? std::move(function) : KeepAwakeFunction(ResetScreenSaver);
}

void RequestKeepAwake(uint32_t flags) {
  if (CurrentKeepAwake()) CurrentKeepAwake()(flags);
}

}  // namespace orv::win
