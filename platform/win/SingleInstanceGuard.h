#pragma once
// One running instance per user and name: a locked file held for the life of the process, and
// a local socket beside it through which a later start wakes the running one.

#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/win/WinTypes.h"

namespace orv::win {

// The message a second start sends to the running instance.
extern const char kAppControlMessageName[];
// Its command: show the main window.
constexpr WPARAM kShowMainWindowCommand = 261;
// How long a second start waits for the running instance to take the message.
constexpr int kWakeTimeoutMs = 1000;

class SingleInstanceGuard {
 public:
  SingleInstanceGuard() = default;
  ~SingleInstanceGuard();
  SingleInstanceGuard(const SingleInstanceGuard&) = delete;
  SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

  // "<instance>_<version>_<1|0>", or "<instance>__<1|0>" without a version; 1 when elevated.
  static std::string MutexName(const std::string& instanceName, const std::string& versionText,
                               bool elevated);

  // The folder the lock files live in: $XDG_RUNTIME_DIR, else a private folder under /tmp.
  static std::string LockFolder();

  // Takes the lock file `folder`/`name`. True when this process is the only holder (and then
  // listens for wake-up messages); false when another process holds it or it cannot be made.
  bool Acquire(const std::string& folder, const std::string& name);
  bool AlreadyRunning() const { return alreadyRunning_; }

  // Handler of wake-up messages, called on the listener thread with the message's wParam and
  // lParam. Messages before a handler is set are answered and dropped.
  void SetWakeHandler(std::function<void(WPARAM, LPARAM)> handler);

  // Sends the control message to the instance that holds `folder`/`name`, waiting at most
  // `timeoutMs` for it to take it. False when no instance could be reached.
  static bool WakeRunningInstance(const std::string& folder, const std::string& name, WPARAM wParam,
                                  LPARAM lParam, int timeoutMs = kWakeTimeoutMs);

  // Releases the lock and stops listening.
  void Release();

 private:
  void Listen();

  int lockFd_ = -1;
  int listenFd_ = -1;
  int stopPipe_[2] = {-1, -1};
  bool alreadyRunning_ = false;
  std::string socketPath_;
  std::thread listener_;
  std::function<void(WPARAM, LPARAM)> handler_;
  std::mutex handlerLock_;
};

// The start-up check: takes the guard `folder`/`name`; when another instance holds it, wakes
// that instance (command 261) and tells the user, or, when it cannot be reached, shows the
// "already running" error. True when this process may go on.
bool EnforceSingleInstance(SingleInstanceGuard& guard, const std::string& folder,
                           const std::string& name);

}  // namespace orv::win
