#pragma once
// Window messages between threads: any thread posts, the UI thread delivers.
//
// A MessageTarget is anything that receives messages (a view, a dialog, the main frame). It
// registers handlers by message number, message-map style. PostMessage may be called from any
// thread; the handler runs later on the UI thread, in posting order. SendMessage on the UI
// thread calls the handler at once. A target destroyed before delivery receives nothing.
// Targets are windows: create and destroy them on the UI thread. A target destroyed on another
// thread waits there until a handler of it that is running on the UI thread has returned.

#include <functional>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/win/WinTypes.h"

namespace orv::ui {

using MessageHandler = std::function<LRESULT(WPARAM, LPARAM)>;

class MessageTarget {
 public:
  MessageTarget();
  virtual ~MessageTarget();
  MessageTarget(const MessageTarget&) = delete;
  MessageTarget& operator=(const MessageTarget&) = delete;

  // The handle other threads post to; stays unique for the life of the process.
  HWND GetSafeHwnd() const { return hwnd_; }

  // Registers (or replaces) the handler of one message number.
  void OnMessage(UINT msg, MessageHandler handler);

  // Delivers one message on the calling thread: the registered handler, else
  // DefaultMessage().
  LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);

 protected:
  // Called for a message without a registered handler; answers 0 by default.
  virtual LRESULT DefaultMessage(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  HWND hwnd_;
  // Handlers are shared so that one may replace or destroy itself (or its target) while it runs.
  std::mutex handlersMutex_;
  std::unordered_map<UINT, std::shared_ptr<const MessageHandler>> handlers_;
};

// Queues a message for the target; false when the target does not exist.
bool PostMessage(HWND target, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

// Delivers at once on the UI thread; from another thread it posts and waits for the answer.
// Answers 0 when the target does not exist.
LRESULT SendMessage(HWND target, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

// True when a target with this handle is alive.
bool IsWindow(HWND target);

// Frees this copy's targets table and task queue when no target is alive and no task waits;
// false, freeing nothing, otherwise. The next use makes them afresh. The plug-in, which links a
// copy of its own, calls it when it destroys its windows before it is unloaded: the unloading
// would leave the memory with nothing pointing at it. Call it on the UI thread.
bool ReleaseDispatcher();

}  // namespace orv::ui
