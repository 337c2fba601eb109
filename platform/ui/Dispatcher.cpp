#include "platform/ui/Dispatcher.h"

#include <wx/app.h>
#include <wx/thread.h>
#include <wx/windowid.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <future>

#include "platform/ui/UiThread.h"

namespace orv::ui {
namespace {

// Live targets by handle. A delivery marks its target busy, so that a target destroyed on
// another thread can wait for the handler that is running on the UI thread.
struct Registry {
  struct Entry {
    MessageTarget* target = nullptr;
    int busy = 0;
    bool alive = true;
  };
  std::mutex mutex;
  std::condition_variable released;
  std::unordered_map<HWND, Entry> entries;
};

// Tasks waiting for the UI thread, in posting order. Each queued task has one wake-up call
// queued on the application, and each wake-up runs the oldest task: the order holds whatever
// thread posted, and also inside a nested event loop (a modal dialog opened by a handler).
struct TaskQueue {
  std::mutex mutex;
  std::deque<std::function<void()>> tasks;
};

// Both are made on first use and live until the process ends: targets and workers may still
// reach them while static objects are being destroyed. The plug-in's copy frees them before the
// plug-in is unloaded (ReleaseDispatcher): unloading unmaps the only pointers to them.
std::mutex g_stateMutex;  // trivially destructible: usable during static destruction
Registry* g_registry = nullptr;
TaskQueue* g_queue = nullptr;

Registry& GetRegistry() {
  std::lock_guard<std::mutex> lock(g_stateMutex);
  if (!g_registry) g_registry = new Registry;
  return *g_registry;
}

TaskQueue& GetTaskQueue() {
  std::lock_guard<std::mutex> lock(g_stateMutex);
  if (!g_queue) g_queue = new TaskQueue;
  return *g_queue;
}

// The host and the plug-in each link their own copy of this library; the high bits name the
// copy (an id reserved from the toolkit, which they share), so a handle is unique across the
// whole process and never reused.
HWND NewHandle() {
  static const HWND copyTag = static_cast<HWND>(-wxIdManager::ReserveId(1)) << 32;
  static std::atomic<HWND> counter{0};
  return copyTag | ++counter;
}

void RunOldestTask() {
  std::function<void()> task;
  {
    TaskQueue& queue = GetTaskQueue();
    std::lock_guard<std::mutex> lock(queue.mutex);
    if (queue.tasks.empty()) return;
    task = std::move(queue.tasks.front());
    queue.tasks.pop_front();
  }
  task();
}

bool QueueTask(std::function<void()> task) {
  wxAppConsole* app = wxAppConsole::GetInstance();
  if (!app) return false;
  {
    TaskQueue& queue = GetTaskQueue();
    std::lock_guard<std::mutex> lock(queue.mutex);
    queue.tasks.push_back(std::move(task));
  }
  app->CallAfter([] { RunOldestTask(); });
  return true;
}

// Calls the target's handler when the target is alive; false when it is not.
bool Deliver(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  Registry& registry = GetRegistry();
  MessageTarget* target = nullptr;
  {
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto it = registry.entries.find(hwnd);
    if (it == registry.entries.end() || !it->second.alive) return false;
    ++it->second.busy;
    target = it->second.target;
  }
  struct Release {
    Registry& registry;
    HWND hwnd;
    ~Release() {
      std::lock_guard<std::mutex> lock(registry.mutex);
      auto it = registry.entries.find(hwnd);
      if (--it->second.busy == 0 && !it->second.alive) {
        registry.entries.erase(it);
        registry.released.notify_all();
      }
    }
  } release{registry, hwnd};
  *result = target->Dispatch(msg, wParam, lParam);
  return true;
}

}  // namespace

bool IsUiThread() { return wxIsMainThread(); }

bool ReleaseDispatcher() {
  std::lock_guard<std::mutex> lock(g_stateMutex);
  if (g_registry) {
    std::lock_guard<std::mutex> targets(g_registry->mutex);
    if (!g_registry->entries.empty()) return false;
  }
  if (g_queue) {
    // Each waiting task has a wake-up call queued on the application that runs this copy's code.
    std::lock_guard<std::mutex> tasks(g_queue->mutex);
    if (!g_queue->tasks.empty()) return false;
  }
  delete g_registry;
  delete g_queue;
  g_registry = nullptr;
  g_queue = nullptr;
  return true;
}

bool RunOnUiThreadAndWait(const std::function<void()>& task) {
  if (IsUiThread()) {
    task();
    return true;
  }
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> finished = done->get_future();
  if (!QueueTask([task, done] {
        task();
        done->set_value();
      })) {
    return false;
  }
  try {
    finished.get();
    return true;
  } catch (const std::future_error&) {
    return false;  // the queue was dropped before the task ran
  }
}

MessageTarget::MessageTarget() : hwnd_(NewHandle()) {
  Registry& registry = GetRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  registry.entries[hwnd_].target = this;
}

MessageTarget::~MessageTarget() {
  Registry& registry = GetRegistry();
  std::unique_lock<std::mutex> lock(registry.mutex);
  auto it = registry.entries.find(hwnd_);
  if (it->second.busy == 0) {
    registry.entries.erase(it);
    return;
  }
  // A handler of this target is running. On the UI thread it is the caller (a target that
  // destroys itself in its own handler); the last delivery removes the entry.
  it->second.alive = false;
  if (IsUiThread()) return;
  const HWND hwnd = hwnd_;
  registry.released.wait(lock, [&] { return registry.entries.count(hwnd) == 0; });
}

void MessageTarget::OnMessage(UINT msg, MessageHandler handler) {
  auto shared = std::make_shared<const MessageHandler>(std::move(handler));
  std::lock_guard<std::mutex> lock(handlersMutex_);
  handlers_[msg] = std::move(shared);
}

LRESULT MessageTarget::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<const MessageHandler> handler;
  {
    std::lock_guard<std::mutex> lock(handlersMutex_);
    auto it = handlers_.find(msg);
    if (it != handlers_.end()) handler = it->second;
  }
  if (handler && *handler) return (*handler)(wParam, lParam);
  return DefaultMessage(msg, wParam, lParam);
}

LRESULT MessageTarget::DefaultMessage(UINT, WPARAM, LPARAM) { return 0; }

bool IsWindow(HWND target) {
  Registry& registry = GetRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  auto it = registry.entries.find(target);
  return it != registry.entries.end() && it->second.alive;
}

bool PostMessage(HWND target, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!IsWindow(target)) return false;
  return QueueTask([=] {
    LRESULT ignored = 0;
    Deliver(target, msg, wParam, lParam, &ignored);
  });
}

LRESULT SendMessage(HWND target, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (IsUiThread()) {
    Deliver(target, msg, wParam, lParam, &result);
    return result;
  }
  if (!IsWindow(target)) return 0;
  RunOnUiThreadAndWait([&] { Deliver(target, msg, wParam, lParam, &result); });
  return result;
}

}  // namespace orv::ui
