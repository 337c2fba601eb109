#include "ChildProcess.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace orv::test {

std::string ChildRole() {
  const char* role = std::getenv("ORV_TEST_CHILD_ROLE");
  return role != nullptr ? role : "";
}

int StartChild(const std::string& role, const std::vector<std::string>& env) {
  std::vector<std::string> entries;
  for (char** e = environ; *e != nullptr; ++e) entries.emplace_back(*e);
  entries.push_back("ORV_TEST_CHILD_ROLE=" + role);
  entries.insert(entries.end(), env.begin(), env.end());
  std::vector<char*> envp;
  for (auto& e : entries) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string filter = "--gtest_filter=ChildRole.Run";
  char exe[] = "/proc/self/exe";
  char* argv[] = {exe, filter.data(), nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv, envp.data()) != 0) return -1;
  return pid;
}

int WaitChild(int pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return status;
}

}  // namespace orv::test
