#pragma once
// Shared pieces of the loader tests: the wx application, a hidden parent frame, the probe
// module's path and the log of calls it records.

#include <functional>
#include <string>
#include <vector>

class wxFrame;

namespace orv::test {

// Starts the wx application once for the process (needs a display).
void EnsureWxApp();
// A hidden top-level frame to parent module windows; made on first use.
wxFrame* HiddenFrame();

// Runs the wx event loop's pending work (timers included) until `done` holds or `ms`
// milliseconds pass; done()'s last answer.
bool PumpUntil(const std::function<bool()>& done, int ms);

// Absolute path of the built probe module.
std::string ProbeModulePath();

// A fresh log file for the probe (ORV_PROBE_LOG points at it while the object lives).
class ProbeLog {
 public:
  ProbeLog();
  ~ProbeLog();
  std::vector<std::string> Lines() const;
  // Lines that start with prefix.
  std::vector<std::string> LinesStartingWith(const std::string& prefix) const;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// A folder under the system temporary folder, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// A host's folders for one test process: a fresh root under the system temporary folder with
// home, config, data and docs folders that HOME and the XDG variables point at, and a program
// folder "prog/" with Settings/ (holding a copy of the seed catalogue) and res/.
struct StagedHostFolders {
  std::string root;     // ends in "/"
  std::string program;  // root + "prog/"
};
StagedHostFolders StageHostFolders(const std::string& prefix);

}  // namespace orv::test
