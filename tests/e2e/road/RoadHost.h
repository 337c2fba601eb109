#pragma once
// The main road's stage: the sandbox (DB broker and web server on loopback) with a price
// script, a program folder laid out as scripts/stage does and pointed at the sandbox by
// scripts/sandbox-stage, fresh home, config, data and documents folders, and the real host
// started in this process from that folder, its module row naming the real Pelomar.so.
// Needs a display and the wx application (orv::test::EnsureWxApp).

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "host/frame/MainWindowSteps.h"
#include "sandbox/Sandbox.h"
#include "tests/peers/HttpPeer.h"

class CVarqoMainApp;
class CMainFrame;

namespace orv::test {

// Where the built program and the source tree are (the caller's ORV_BINARY_DIR and
// ORV_SOURCE_DIR).
struct RoadPaths {
  std::string binaryDir;
  std::string sourceDir;
  // The sandbox staging (scripts/sandbox-stage): "db", or "kiwoom", "ls" or "hanguk" for a
  // second domestic slot with that broker's account, the data broker ("ls" also puts the opening
  // holdings in the LS account and leaves the DB account empty); "bithumb" or "upbit" for the
  // first coin slot with the sandbox's coin account at that exchange.
  std::string broker = "db";
};

class RoadHost {
 public:
  using Clock = std::chrono::steady_clock;

  explicit RoadHost(RoadPaths paths);
  // Closes what is still open, stops the sandbox and removes the folders (kept when asked).
  ~RoadHost();
  RoadHost(const RoadHost&) = delete;
  RoadHost& operator=(const RoadHost&) = delete;

  // Starts the sandbox with the price script (ParseSandboxScript text; the market ticks after
  // every answered price inquiry), stages the program folder and starts the host. False, with
  // the reason in `error`, when a step fails.
  bool Start(const std::string& script, std::string* error) {
    return Prepare(script, error) && StartHost(error);
  }
  // Start's two halves: the sandbox and the program folder, then the host alone.
  bool Prepare(const std::string& script, std::string* error);
  bool StartHost(std::string* error);
  // The user's log-in command (the ribbon's 948) with the sandbox member's key and secret
  // typed into the dialog and its log-in button pressed; the dialog's answer (1 signed in), or
  // 0 when no dialog opened. The dialog's error text goes to `error`.
  // With `broker` above 0 the dialog logs in with that broker's account instead of the staged
  // one (the Kiwoom account: 1).
  int LogIn(std::wstring* error, int broker = 0);
  // Pumps the host's events until done() holds or `bound` runs out; done()'s last answer.
  bool WaitFor(const std::function<bool()>& done, Clock::duration bound);
  // The user closes the main window and answers yes to the question; true when the window is
  // gone within `bound`.
  bool CloseWithYes(Clock::duration bound);
  // After CloseWithYes: the host ends and starts again from the same program folder.
  bool Restart(std::string* error);

  CVarqoMainApp& App() { return *app_; }
  CMainFrame* Frame() { return windows_.frame; }
  Sandbox& Market() { return *sandbox_; }
  const std::string& Root() const { return root_; }
  const std::string& ProgramFolder() const { return program_; }
  void KeepFolders() { keep_ = true; }

  // What the broker and the web server were sent, by path (the web server's by path part).
  std::vector<RecordedRequest> BrokerRequests(const std::string& path) const;
  std::vector<RecordedRequest> WebRequests(const std::string& pathPart) const;
  // What the Kiwoom broker was sent for an operation ("api-id"), or to a path when it is empty.
  std::vector<RecordedRequest> KiwoomRequests(const std::string& apiId,
                                              const std::string& path = std::string()) const;
  // What the Korea Investment broker was sent to a path.
  std::vector<RecordedRequest> HangukRequests(const std::string& path) const;
  // When the sandbox answered the requests whose served line contains `text`, in order.
  std::vector<Clock::time_point> ServedTimes(const std::string& text) const;
  // The text of every file under the run's folders whose name ends with suffix.
  std::string FilesEndingWith(const std::string& suffix) const;

 private:
  bool StageProgramFolder(std::string* error);

  RoadPaths paths_;
  std::string root_;
  std::string program_;
  bool keep_ = false;
  std::unique_ptr<Sandbox> sandbox_;
  mutable std::mutex servedMutex_;
  std::vector<std::pair<Clock::time_point, std::string>> served_;
  std::unique_ptr<CVarqoMainApp> app_;
  HostWindows windows_;
  bool started_ = false;
};

// Runs the wx event loop's pending work for `ms` milliseconds.
void PumpEvents(int ms);

// With ORV_ROAD_SCREENSHOT=FILE.png, lets the screen settle for `settleMs` and saves it as FILE
// with `suffix` before the extension (FILE-suffix.png); a failed capture fails the test.
void RoadScreenshot(const char* suffix, int settleMs = 500);

// A market's full list of `listed` stocks as the DB broker serves it in continued pages of
// `pageRows`: the sandbox's own stocks first, then made-up codes "9xxxxx" in two markets.
std::vector<std::vector<DbTickerRow>> ListedTickerPages(int listed, size_t pageRows);

}  // namespace orv::test
