#pragma once
// Runs this test program again as a child process that executes one helper test (selected by
// an environment variable), so that a test can watch a second process or a crash.

#include <string>
#include <utility>
#include <vector>

namespace orv::test {

// The helper role this process was started for, or empty in the normal test run.
std::string ChildRole();

// Starts the test program with `role` and the extra environment entries ("NAME=value"); returns
// the child's pid.
int StartChild(const std::string& role, const std::vector<std::string>& env);

// Waits for the child; its exit status as waitpid reports it.
int WaitChild(int pid);

}  // namespace orv::test
